// text: the font is drawn here as pictures and packed into row bytes at compile time.
//
// The glyph shapes are this program's own, drawn for a 5 x 7 cell (a 4-row x-height so that
// accented capitals, squeezed to 5 rows under their marks, never look like the small
// letters); no outside font was used. Accented ISO 8859-2 letters are a body and a mark laid
// over each other, so every caron, acute and ring is the same few pixels wherever it sits.
#include "render/text.h"

#include <cstddef>

namespace vantrel {

namespace {

// A picture is rows from top to bottom separated by '/', '#' a set pixel, '.' a clear one.
// A row of seven characters covers columns 0-6; a shorter row starts at column 1, so the
// usual five-wide shape keeps a clear column on the left and two on the right.
struct glyph_layer {
    const char* art;
    int top; // the frame row of the picture's first row
};

struct glyph_def {
    int code;
    glyph_layer body;
    glyph_layer mark; // art null: no mark
};

constexpr glyph_layer NONE = {nullptr, 0};

// --- marks ------------------------------------------------------------------------------
constexpr const char* ACUTE = "...#./..#..";
constexpr const char* CARON = ".#.#./..#..";
constexpr const char* CIRCUMFLEX = "..#../.#.#.";
constexpr const char* BREVE = "#...#/.###.";
constexpr const char* DIAERESIS = ".#.#.";
constexpr const char* DOT = "..#..";
constexpr const char* DOUBLE_ACUTE = "..#.#/.#.#.";
constexpr const char* RING = "..#../.#.#./..#..";
constexpr const char* CEDILLA = "..##.";
constexpr const char* OGONEK = "...##";

// --- letter bodies shared by plain and accented letters ----------------------------------
// Small letters: four rows, drawn from row 3 (marks then sit in rows 0-1 with a gap).
constexpr const char* SMALL_A = ".####/#...#/#..##/.##.#";
constexpr const char* SMALL_C = ".####/#..../#..../.####";
constexpr const char* SMALL_E = ".###./#####/#..../.####";
constexpr const char* SMALL_I = ".##../..#../..#../.###."; // dotless
constexpr const char* SMALL_N = "####./#...#/#...#/#...#";
constexpr const char* SMALL_O = ".###./#...#/#...#/.###.";
constexpr const char* SMALL_R = "#.##./##..#/#..../#....";
constexpr const char* SMALL_S = ".####/##.../..###/####.";
constexpr const char* SMALL_U = "#...#/#...#/#..##/.##.#";
constexpr const char* SMALL_Y = "#...#/.#.#./..#../##...";
constexpr const char* SMALL_Z = "#####/...#./.#.../#####";
constexpr const char* SMALL_L5 = ".##../..#../..#../..#../.###."; // short l under a mark
constexpr const char* SMALL_T6 = ".#.../.#.../####./.#.../.#..#/..##.";

// Capitals under a mark: five rows, drawn from row 2.
constexpr const char* CAP_A = ".###./#...#/#####/#...#/#...#";
constexpr const char* CAP_C = ".####/#..../#..../#..../.####";
constexpr const char* CAP_D = "####./#...#/#...#/#...#/####.";
constexpr const char* CAP_E = "#####/#..../####./#..../#####";
constexpr const char* CAP_I = ".###./..#../..#../..#../.###.";
constexpr const char* CAP_L = "#..../#..../#..../#..../#####";
constexpr const char* CAP_N = "#...#/##..#/#.#.#/#..##/#...#";
constexpr const char* CAP_O = ".###./#...#/#...#/#...#/.###.";
constexpr const char* CAP_R = "####./#...#/####./#..#./#...#";
constexpr const char* CAP_S = ".####/#..../.###./....#/####.";
constexpr const char* CAP_T = "#####/..#../..#../..#../..#..";
constexpr const char* CAP_U = "#...#/#...#/#...#/#...#/.###.";
constexpr const char* CAP_U4 = "#...#/#...#/#...#/.###."; // under the ring
constexpr const char* CAP_Y = "#...#/.#.#./..#../..#../..#..";
constexpr const char* CAP_Z = "#####/...#./..#../.#.../#####";

constexpr const char* QUESTION = ".###./#...#/....#/...#./..#../...../..#..";

constexpr glyph_layer full(const char* art) {
    return {art, 0};
}
constexpr glyph_layer small(const char* art) {
    return {art, 3};
}
constexpr glyph_layer cap(const char* art) {
    return {art, 2};
}

// Codes 32-126: ASCII.
constexpr glyph_def ASCII_GLYPHS[] = {
    {' ', NONE, NONE},
    {'!', full("..#../..#../..#../..#../..#../...../..#.."), NONE},
    {'"', full(".#.#./.#.#."), NONE},
    {'#', full(".#.#./.#.#./#####/.#.#./#####/.#.#./.#.#."), NONE},
    {'$', full("..#../.####/#.#../.###./..#.#/####./..#.."), NONE},
    {'%', full("##.../##..#/...#./..#../.#.../#..##/...##"), NONE},
    {'&', full(".##../#..#./#.#../.#.../#.#.#/#..#./.##.#"), NONE},
    {'\'', full("..#../..#../.#..."), NONE},
    {'(', full("...#./..#../.#.../.#.../.#.../..#../...#."), NONE},
    {')', full(".#.../..#../...#./...#./...#./..#../.#..."), NONE},
    {'*', full("...../..#../#.#.#/.###./#.#.#/..#.."), NONE},
    {'+', full("...../..#../..#../#####/..#../..#.."), NONE},
    {',', {".##../..#../.#...", 4}, NONE},
    {'-', {"#####", 3}, NONE},
    {'.', {".##../.##..", 5}, NONE},
    {'/', full("...../....#/...#./..#../.#.../#...."), NONE},
    {'0', full(".###./#...#/#..##/#.#.#/##..#/#...#/.###."), NONE},
    {'1', full("..#../.##../..#../..#../..#../..#../.###."), NONE},
    {'2', full(".###./#...#/....#/...#./..#../.#.../#####"), NONE},
    {'3', full("#####/...#./..#../...#./....#/#...#/.###."), NONE},
    {'4', full("...#./..##./.#.#./#..#./#####/...#./...#."), NONE},
    {'5', full("#####/#..../####./....#/....#/#...#/.###."), NONE},
    {'6', full("..##./.#.../#..../####./#...#/#...#/.###."), NONE},
    {'7', full("#####/....#/...#./..#../.#.../.#.../.#..."), NONE},
    {'8', full(".###./#...#/#...#/.###./#...#/#...#/.###."), NONE},
    {'9', full(".###./#...#/#...#/.####/....#/...#./.##.."), NONE},
    {':', full("...../.##../.##../...../.##../.##.."), NONE},
    {';', full("...../.##../.##../...../.##../..#../.#..."), NONE},
    {'<', full("...#./..#../.#.../#..../.#.../..#../...#."), NONE},
    {'=', full("...../...../#####/...../#####"), NONE},
    {'>', full(".#.../..#../...#./....#/...#./..#../.#..."), NONE},
    {'?', full(QUESTION), NONE},
    {'@', full(".###./#...#/....#/.##.#/#.#.#/#.#.#/.###."), NONE},
    {'A', full(".###./#...#/#...#/#####/#...#/#...#/#...#"), NONE},
    {'B', full("####./#...#/#...#/####./#...#/#...#/####."), NONE},
    {'C', full(".###./#...#/#..../#..../#..../#...#/.###."), NONE},
    {'D', full("###../#..#./#...#/#...#/#...#/#..#./###.."), NONE},
    {'E', full("#####/#..../#..../####./#..../#..../#####"), NONE},
    {'F', full("#####/#..../#..../####./#..../#..../#...."), NONE},
    {'G', full(".###./#...#/#..../#.###/#...#/#...#/.####"), NONE},
    {'H', full("#...#/#...#/#...#/#####/#...#/#...#/#...#"), NONE},
    {'I', full(".###./..#../..#../..#../..#../..#../.###."), NONE},
    {'J', full("..###/...#./...#./...#./...#./#..#./.##.."), NONE},
    {'K', full("#...#/#..#./#.#../##.../#.#../#..#./#...#"), NONE},
    {'L', full("#..../#..../#..../#..../#..../#..../#####"), NONE},
    {'M', full("#...#/##.##/#.#.#/#.#.#/#...#/#...#/#...#"), NONE},
    {'N', full("#...#/#...#/##..#/#.#.#/#..##/#...#/#...#"), NONE},
    {'O', full(".###./#...#/#...#/#...#/#...#/#...#/.###."), NONE},
    {'P', full("####./#...#/#...#/####./#..../#..../#...."), NONE},
    {'Q', full(".###./#...#/#...#/#...#/#.#.#/#..#./.##.#"), NONE},
    {'R', full("####./#...#/#...#/####./#.#../#..#./#...#"), NONE},
    {'S', full(".####/#..../#..../.###./....#/....#/####."), NONE},
    {'T', full("#####/..#../..#../..#../..#../..#../..#.."), NONE},
    {'U', full("#...#/#...#/#...#/#...#/#...#/#...#/.###."), NONE},
    {'V', full("#...#/#...#/#...#/#...#/#...#/.#.#./..#.."), NONE},
    {'W', full("#...#/#...#/#...#/#.#.#/#.#.#/#.#.#/.#.#."), NONE},
    {'X', full("#...#/#...#/.#.#./..#../.#.#./#...#/#...#"), NONE},
    {'Y', full("#...#/#...#/#...#/.#.#./..#../..#../..#.."), NONE},
    {'Z', full("#####/....#/...#./..#../.#.../#..../#####"), NONE},
    {'[', full(".###./.#.../.#.../.#.../.#.../.#.../.###."), NONE},
    {'\\', full("...../#..../.#.../..#../...#./....#"), NONE},
    {']', full(".###./...#./...#./...#./...#./...#./.###."), NONE},
    {'^', full("..#../.#.#./#...#"), NONE},
    {'_', {"#####", 6}, NONE},
    {'`', full(".#.../..#../...#."), NONE},
    {'a', small(SMALL_A), NONE},
    {'b', full("#..../#..../#..../####./#...#/#...#/####."), NONE},
    {'c', small(SMALL_C), NONE},
    {'d', full("....#/....#/....#/.####/#...#/#...#/.####"), NONE},
    {'e', small(SMALL_E), NONE},
    {'f', full("..##./.#.../.#.../###../.#.../.#.../.#..."), NONE},
    {'g', {".####/#...#/.####/....#/.###.", 2}, NONE},
    {'h', full("#..../#..../#..../####./#...#/#...#/#...#"), NONE},
    {'i', small(SMALL_I), {DOT, 1}},
    {'j', {"...#./...../..##./...#./...#./###..", 1}, NONE},
    {'k', full("#..../#..../#..../#..#./###../#..#./#...#"), NONE},
    {'l', full(".##../..#../..#../..#../..#../..#../.###."), NONE},
    {'m', small("##.#./#.#.#/#.#.#/#.#.#"), NONE},
    {'n', small(SMALL_N), NONE},
    {'o', small(SMALL_O), NONE},
    {'p', small("####./#...#/####./#...."), NONE},
    {'q', small(".####/#...#/.####/....#"), NONE},
    {'r', small(SMALL_R), NONE},
    {'s', small(SMALL_S), NONE},
    {'t', {SMALL_T6, 1}, NONE},
    {'u', small(SMALL_U), NONE},
    {'v', small("#...#/#...#/.#.#./..#.."), NONE},
    {'w', small("#...#/#.#.#/#.#.#/.#.#."), NONE},
    {'x', small("#...#/.#.#./.#.#./#...#"), NONE},
    {'y', small(SMALL_Y), NONE},
    {'z', small(SMALL_Z), NONE},
    {'{', full("...#./..#../..#../.#.../..#../..#../...#."), NONE},
    {'|', full("..#../..#../..#../..#../..#../..#../..#.."), NONE},
    {'}', full(".#.../..#../..#../...#./..#../..#../.#..."), NONE},
    {'~', {".#.../#.#.#/...#.", 2}, NONE},
};

// Codes 160-255: ISO 8859-2. Letters with a mark below (cedilla, ogonek) rise by one row so
// the mark fits above the empty bottom row.
constexpr glyph_def LATIN2_GLYPHS[] = {
    {0xA0, NONE, NONE}, // no-break space
    {0xA1, {CAP_A, 1}, {OGONEK, 6}},
    {0xA2, {BREVE, 1}, NONE},
    {0xA3, full(".#.../.#.../.#.#./.##../##.../.#.../.####"), NONE}, // L stroke
    {0xA4, full("...../#...#/.###./.#.#./.###./#...#"), NONE},       // currency
    {0xA5, full("#..#./#..#./#..../#..../#..../#..../#####"), NONE}, // L caron
    {0xA6, cap(CAP_S), {ACUTE, 0}},
    {0xA7, full(".####/#..../.###./#...#/.###./....#/####."), NONE}, // section
    {0xA8, {DIAERESIS, 1}, NONE},
    {0xA9, cap(CAP_S), {CARON, 0}},
    {0xAA, {CAP_S, 1}, {CEDILLA, 6}},
    {0xAB, cap(CAP_T), {CARON, 0}},
    {0xAC, cap(CAP_Z), {ACUTE, 0}},
    {0xAD, {"#####", 3}, NONE}, // soft hyphen
    {0xAE, cap(CAP_Z), {CARON, 0}},
    {0xAF, cap(CAP_Z), {DOT, 0}},
    {0xB0, full(".##../#..#./#..#./.##.."), NONE}, // degree
    {0xB1, {SMALL_A, 2}, {OGONEK, 6}},
    {0xB2, {"..#../..##.", 5}, NONE},                                // ogonek
    {0xB3, full(".##../..#../..#.#/..##./.##../..#../.###."), NONE}, // l stroke
    {0xB4, {ACUTE, 0}, NONE},
    {0xB5, full(".##.#/..#.#/..#../..#../..#../..#../.###."), NONE}, // l caron
    {0xB6, small(SMALL_S), {ACUTE, 0}},
    {0xB7, {CARON, 0}, NONE},
    {0xB8, {"..#../.##..", 5}, NONE}, // cedilla
    {0xB9, small(SMALL_S), {CARON, 0}},
    {0xBA, {SMALL_S, 2}, {CEDILLA, 6}},
    {0xBB, full("....#/.#..#/.#.../####./.#.../.#..#/..##."), NONE}, // t caron
    {0xBC, small(SMALL_Z), {ACUTE, 0}},
    {0xBD, {DOUBLE_ACUTE, 0}, NONE},
    {0xBE, small(SMALL_Z), {CARON, 0}},
    {0xBF, small(SMALL_Z), {DOT, 1}},
    {0xC0, cap(CAP_R), {ACUTE, 0}},
    {0xC1, cap(CAP_A), {ACUTE, 0}},
    {0xC2, cap(CAP_A), {CIRCUMFLEX, 0}},
    {0xC3, cap(CAP_A), {BREVE, 0}},
    {0xC4, cap(CAP_A), {DIAERESIS, 0}},
    {0xC5, cap(CAP_L), {ACUTE, 0}},
    {0xC6, cap(CAP_C), {ACUTE, 0}},
    {0xC7, {CAP_C, 1}, {CEDILLA, 6}},
    {0xC8, cap(CAP_C), {CARON, 0}},
    {0xC9, cap(CAP_E), {ACUTE, 0}},
    {0xCA, {CAP_E, 1}, {OGONEK, 6}},
    {0xCB, cap(CAP_E), {DIAERESIS, 0}},
    {0xCC, cap(CAP_E), {CARON, 0}},
    {0xCD, cap(CAP_I), {ACUTE, 0}},
    {0xCE, cap(CAP_I), {CIRCUMFLEX, 0}},
    {0xCF, cap(CAP_D), {CARON, 0}},
    {0xD0, full("####./.#..#/.#..#/###.#/.#..#/.#..#/####."), NONE}, // D stroke
    {0xD1, cap(CAP_N), {ACUTE, 0}},
    {0xD2, cap(CAP_N), {CARON, 0}},
    {0xD3, cap(CAP_O), {ACUTE, 0}},
    {0xD4, cap(CAP_O), {CIRCUMFLEX, 0}},
    {0xD5, cap(CAP_O), {DOUBLE_ACUTE, 0}},
    {0xD6, cap(CAP_O), {DIAERESIS, 0}},
    {0xD7, full("...../#...#/.#.#./..#../.#.#./#...#"), NONE}, // multiplication
    {0xD8, cap(CAP_R), {CARON, 0}},
    {0xD9, small(CAP_U4), {RING, 0}},
    {0xDA, cap(CAP_U), {ACUTE, 0}},
    {0xDB, cap(CAP_U), {DOUBLE_ACUTE, 0}},
    {0xDC, cap(CAP_U), {DIAERESIS, 0}},
    {0xDD, cap(CAP_Y), {ACUTE, 0}},
    {0xDE, {CAP_T, 1}, {CEDILLA, 6}},
    {0xDF, full(".##../#..#./#..#./#.#../#..#./#..#./#.##."), NONE}, // sharp s
    {0xE0, small(SMALL_R), {ACUTE, 0}},
    {0xE1, small(SMALL_A), {ACUTE, 0}},
    {0xE2, small(SMALL_A), {CIRCUMFLEX, 0}},
    {0xE3, small(SMALL_A), {BREVE, 0}},
    {0xE4, small(SMALL_A), {DIAERESIS, 1}},
    {0xE5, cap(SMALL_L5), {ACUTE, 0}},
    {0xE6, small(SMALL_C), {ACUTE, 0}},
    {0xE7, {SMALL_C, 2}, {CEDILLA, 6}},
    {0xE8, small(SMALL_C), {CARON, 0}},
    {0xE9, small(SMALL_E), {ACUTE, 0}},
    {0xEA, {SMALL_E, 2}, {OGONEK, 6}},
    {0xEB, small(SMALL_E), {DIAERESIS, 1}},
    {0xEC, small(SMALL_E), {CARON, 0}},
    {0xED, small(SMALL_I), {ACUTE, 0}},
    {0xEE, small(SMALL_I), {CIRCUMFLEX, 0}},
    {0xEF, full("....#.#/....#.#/....#../.####../#...#../#...#../.####.."), NONE}, // d caron
    {0xF0, full("....#/..###/....#/.####/#...#/#...#/.####"), NONE},               // d stroke
    {0xF1, small(SMALL_N), {ACUTE, 0}},
    {0xF2, small(SMALL_N), {CARON, 0}},
    {0xF3, small(SMALL_O), {ACUTE, 0}},
    {0xF4, small(SMALL_O), {CIRCUMFLEX, 0}},
    {0xF5, small(SMALL_O), {DOUBLE_ACUTE, 0}},
    {0xF6, small(SMALL_O), {DIAERESIS, 1}},
    {0xF7, full("...../..#../...../#####/...../..#.."), NONE}, // division
    {0xF8, small(SMALL_R), {CARON, 0}},
    {0xF9, small(SMALL_U), {RING, 0}},
    {0xFA, small(SMALL_U), {ACUTE, 0}},
    {0xFB, small(SMALL_U), {DOUBLE_ACUTE, 0}},
    {0xFC, small(SMALL_U), {DIAERESIS, 1}},
    {0xFD, small(SMALL_Y), {ACUTE, 0}},
    {0xFE, {SMALL_T6, 0}, {CEDILLA, 6}},
    {0xFF, {DOT, 1}, NONE}, // dot above
};

using font_bytes = std::array<uint8_t, FONT8X8_GLYPHS * 8>;

// Ors one picture into a glyph. A picture that would reach the bottom row or past the right
// column is a drawing mistake; it makes the table unusable (checked below at compile time).
constexpr bool font_paint(font_bytes& font, int code, glyph_layer layer) {
    if (!layer.art) return true;
    const char* p = layer.art;
    for (int row = layer.top; *p; row++) {
        int len = 0;
        while (p[len] && p[len] != '/') len++;
        if (row > 6 || len > 7) return false;
        int first_column = len == 7 ? 0 : 1;
        uint8_t bits = 0;
        for (int k = 0; k < len; k++)
            if (p[k] == '#') bits = static_cast<uint8_t>(bits | (0x80 >> (first_column + k)));
        font[static_cast<size_t>((code - FONT8X8_FIRST) * 8 + row)] |= bits;
        p += len;
        if (*p == '/') p++;
    }
    return true;
}

template <size_t N>
constexpr bool font_paint_all(font_bytes& font, const glyph_def (&defs)[N]) {
    for (const glyph_def& d : defs)
        if (!font_paint(font, d.code, d.body) || !font_paint(font, d.code, d.mark)) return false;
    return true;
}

struct font_result {
    font_bytes bytes;
    bool ok;
};

constexpr font_result font_build() {
    font_result r{};
    r.ok = true;
    for (int c = 127; c < 160; c++) r.ok = r.ok && font_paint(r.bytes, c, full(QUESTION));
    r.ok = r.ok && font_paint_all(r.bytes, ASCII_GLYPHS) && font_paint_all(r.bytes, LATIN2_GLYPHS);
    return r;
}

constexpr font_result FONT_BUILT = font_build();
static_assert(FONT_BUILT.ok, "a glyph picture reaches the bottom row or the right column");
static_assert(sizeof ASCII_GLYPHS / sizeof ASCII_GLYPHS[0] == 95, "one picture per ASCII code");
static_assert(sizeof LATIN2_GLYPHS / sizeof LATIN2_GLYPHS[0] == 96, "one per code 160-255");

} // namespace

const font_bytes FONT8X8 = FONT_BUILT.bytes;

// Rows of three pixels, bit 2 leftmost:
//   0: 111 101 101 101 111   1: 010 110 010 010 111   2: 111 001 111 100 111
//   3: 111 001 111 001 111   4: 101 101 111 001 001   5: 111 100 111 001 111
//   6: 111 100 111 101 111   7: 111 001 010 010 010   8: 111 101 111 101 111
//   9: 111 101 111 001 111
const std::array<uint8_t, 50> DIGIT_FONT = {
    7, 5, 5, 5, 7, 2, 6, 2, 2, 7, 7, 1, 7, 4, 7, 7, 1, 7, 1, 7, 5, 5, 7, 1, 1,
    7, 4, 7, 1, 7, 7, 4, 7, 5, 7, 7, 1, 2, 2, 2, 7, 5, 7, 5, 7, 7, 5, 7, 1, 7,
};

const uint8_t* text_glyph(uint8_t c) {
    if (c < FONT8X8_FIRST) c = '?';
    return &FONT8X8[static_cast<size_t>(c - FONT8X8_FIRST) * 8];
}

void text_draw(uint8_t* frame, int width, int height, int x, int y, const char* text,
               uint8_t colour) {
    for (const char* s = text; *s; s++, x += 8) {
        // Past the right edge nothing more can show; before the left edge this glyph cannot.
        if (x >= width) return;
        if (x <= -8) continue;
        const uint8_t* glyph = text_glyph(static_cast<uint8_t>(*s));
        bool whole_width = x >= 0 && x <= width - 8;
        for (int r = 0; r < 8; r++) {
            int py = y + r;
            if (py < 0 || py >= height) continue;
            uint8_t bits = glyph[r];
            uint8_t* row = frame + static_cast<size_t>(py) * static_cast<size_t>(width);
            if (whole_width) {
                uint8_t* out = row + x;
                for (int k = 0; bits; k++, bits = static_cast<uint8_t>(bits << 1))
                    if (bits & 0x80) out[k] = colour;
                continue;
            }
            for (int k = 0; k < 8 && bits; k++, bits = static_cast<uint8_t>(bits << 1)) {
                int px = x + k;
                if ((bits & 0x80) && px >= 0 && px < width) row[px] = colour;
            }
        }
    }
}

void text_draw_shadow(uint8_t* frame, int width, int height, int x, int y, const char* text,
                      uint8_t colour, uint8_t shadow) {
    text_draw(frame, width, height, x + 1, y + 1, text, shadow);
    text_draw(frame, width, height, x, y, text, colour);
}

int text_width(const char* text) {
    int n = 0;
    while (text[n]) n++;
    return 8 * n;
}

} // namespace vantrel
