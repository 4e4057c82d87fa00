// The font's coverage and spacing rules, and drawing with per-pixel clipping.
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "render/text.h"

namespace vantrel {
namespace {

std::vector<uint8_t> glyph_of(int code) {
    const uint8_t* g = text_glyph(static_cast<uint8_t>(code));
    return std::vector<uint8_t>(g, g + 8);
}

bool glyph_blank(int code) {
    for (uint8_t b : glyph_of(code))
        if (b) return false;
    return true;
}

// Every Czech letter in ISO 8859-2 with its unaccented base letter.
const std::map<int, char> CZECH_LETTERS = {
    {0xC1, 'A'}, {0xC8, 'C'}, {0xCF, 'D'}, {0xC9, 'E'}, {0xCC, 'E'}, {0xCD, 'I'},
    {0xD2, 'N'}, {0xD3, 'O'}, {0xD8, 'R'}, {0xA9, 'S'}, {0xAB, 'T'}, {0xDA, 'U'},
    {0xD9, 'U'}, {0xDD, 'Y'}, {0xAE, 'Z'}, {0xE1, 'a'}, {0xE8, 'c'}, {0xEF, 'd'},
    {0xE9, 'e'}, {0xEC, 'e'}, {0xED, 'i'}, {0xF2, 'n'}, {0xF3, 'o'}, {0xF8, 'r'},
    {0xB9, 's'}, {0xBB, 't'}, {0xFA, 'u'}, {0xF9, 'u'}, {0xFD, 'y'}, {0xBE, 'z'},
};

TEST(Font, EveryGlyphKeepsItsBottomRowAndRightColumnClear) {
    for (int c = 32; c < 256; c++) {
        std::vector<uint8_t> g = glyph_of(c);
        EXPECT_EQ(g[7], 0) << "code " << c;
        for (int r = 0; r < 8; r++) EXPECT_EQ(g[r] & 1, 0) << "code " << c << " row " << r;
    }
}

TEST(Font, UnassignedAndControlCodesShowTheQuestionMark) {
    std::vector<uint8_t> q = glyph_of('?');
    for (int c = 1; c < 32; c++) EXPECT_EQ(glyph_of(c), q) << c;
    for (int c = 127; c < 160; c++) EXPECT_EQ(glyph_of(c), q) << c;
}

TEST(Font, EveryPrintableCodeHasAShapeAndNoTwoLookAlike) {
    std::map<std::vector<uint8_t>, int> seen;
    // The only intended twins: the no-break space shows as a space and the soft hyphen
    // as a hyphen.
    const std::map<int, int> twins = {{0xA0, ' '}, {0xAD, '-'}};
    for (int c = 32; c < 256; c++) {
        if (c >= 127 && c < 160) continue;
        if (c != ' ' && c != 0xA0) {
            EXPECT_FALSE(glyph_blank(c)) << "code " << c;
        }
        auto twin = twins.find(c);
        if (twin != twins.end()) {
            EXPECT_EQ(glyph_of(c), glyph_of(twin->second)) << c;
            continue;
        }
        auto [it, fresh] = seen.emplace(glyph_of(c), c);
        EXPECT_TRUE(fresh) << "code " << c << " looks like code " << it->second;
    }
}

TEST(Font, CzechLettersAreTheirBaseLetterWithAMarkAbove) {
    for (auto [code, base] : CZECH_LETTERS) {
        std::vector<uint8_t> g = glyph_of(code);
        EXPECT_NE(g, glyph_of(base)) << code;
        // A mark in the top two rows (d and t carry theirs beside the stem, also up there).
        EXPECT_TRUE(g[0] || g[1]) << "no mark on code " << code;
        // Capital and small forms of the same letter stay apart.
        bool capital = base >= 'A' && base <= 'Z';
        if (capital) {
            int small = code + (code < 0xB0 ? 0x10 : 0x20); // ISO 8859-2's case pairs
            EXPECT_EQ(CZECH_LETTERS.at(small), base + 0x20) << code;
            EXPECT_NE(g, glyph_of(small)) << code;
        }
    }
    // 0xC8 is the capital C with caron: a V-shaped mark over a C.
    std::vector<uint8_t> c_caron = glyph_of(0xC8);
    EXPECT_EQ(c_caron[0], 0x28); // .#.#.
    EXPECT_EQ(c_caron[1], 0x10); // ..#..
}

TEST(TextDraw, WidthCountsEightPixelsPerByte) {
    EXPECT_EQ(text_width(""), 0);
    EXPECT_EQ(text_width("AB"), 16);
    EXPECT_EQ(text_width("\xC8\xE1st"), 32); // bytes, not letters of any other encoding
}

// A frame with a guard band around it, so a write outside the frame shows up.
struct guarded_frame {
    static constexpr int GUARD = 64;
    int width, height;
    std::vector<uint8_t> bytes;
    guarded_frame(int w, int h) : width(w), height(h), bytes(size_t(w * h + 2 * GUARD), 0xEE) {
        for (int i = 0; i < w * h; i++) pixels()[i] = 0;
    }
    uint8_t* pixels() { return bytes.data() + GUARD; }
    uint8_t at(int x, int y) { return pixels()[y * width + x]; }
    bool guard_intact() {
        for (int i = 0; i < GUARD; i++)
            if (bytes[size_t(i)] != 0xEE || bytes[bytes.size() - 1 - size_t(i)] != 0xEE)
                return false;
        return true;
    }
};

// Whether the glyph's pixel at row r, column k is set (nothing outside its 8 x 8 cell).
bool glyph_bit(char code, int r, int k) {
    return r >= 0 && k >= 0 && r < 8 && k < 8 && (text_glyph(uint8_t(code))[r] & (0x80 >> k));
}

TEST(TextDraw, GlyphBitsBecomePixelsClearBitsAreTransparentAndLeftClipKeepsTheRest) {
    guarded_frame f(24, 10);
    f.pixels()[0] = 77; // a clear bit at the glyph's corner must not paint over this
    text_draw(f.pixels(), f.width, f.height, 0, 0, "A?", 5);
    for (int ch = 0; ch < 2; ch++)
        for (int r = 0; r < 8; r++)
            for (int k = 0; k < 8; k++) {
                uint8_t clear = r == 0 && k == 0 && ch == 0 ? 77 : 0;
                EXPECT_EQ(f.at(ch * 8 + k, r), glyph_bit("A?"[ch], r, k) ? 5 : clear)
                    << ch << " " << r << " " << k;
            }
    EXPECT_TRUE(f.guard_intact());
    guarded_frame m(16, 8);
    text_draw(m.pixels(), m.width, m.height, -3, 0, "M", 9);
    for (int r = 0; r < 8; r++)
        for (int k = 3; k < 8; k++) EXPECT_EQ(m.at(k - 3, r), glyph_bit('M', r, k) ? 9 : 0);
    EXPECT_TRUE(m.guard_intact());
}

TEST(TextDraw, TextHangingOffEverySideNeverWritesOutsideTheFrame) {
    for (int y = -9; y <= 11; y++)
        for (int x = -20; x <= 20; x += 3) {
            guarded_frame f(13, 7);
            text_draw_shadow(f.pixels(), f.width, f.height, x, y, "W\xDA#@", 1, 2);
            ASSERT_TRUE(f.guard_intact()) << x << "," << y;
        }
    // A control byte draws "?" and the string still ends at the zero byte.
    guarded_frame a(16, 8), b(16, 8);
    text_draw(a.pixels(), 16, 8, 0, 0, "\x07", 3);
    text_draw(b.pixels(), 16, 8, 0, 0, "?", 3);
    EXPECT_EQ(a.bytes, b.bytes);
}

TEST(TextDraw, ShadowSitsOneDownRightUnderTheText) {
    guarded_frame f(16, 10);
    text_draw_shadow(f.pixels(), f.width, f.height, 2, 1, "I", 200, 100);
    for (int r = 0; r < 8; r++)
        for (int k = 0; k < 8; k++) {
            uint8_t want = glyph_bit('I', r, k) ? 200 : glyph_bit('I', r - 1, k - 1) ? 100 : 0;
            EXPECT_EQ(f.at(2 + k, 1 + r), want) << r << " " << k;
        }
}

TEST(DigitFont, TenDistinctThreeByFiveDigits) {
    std::set<std::vector<uint8_t>> shapes;
    for (int d = 0; d < 10; d++) {
        std::vector<uint8_t> rows(DIGIT_FONT.begin() + d * 5, DIGIT_FONT.begin() + d * 5 + 5);
        for (uint8_t r : rows) EXPECT_LT(r, 8) << d;
        shapes.insert(rows);
    }
    EXPECT_EQ(shapes.size(), 10u);
}

} // namespace
} // namespace vantrel
