// images: the title logo, the arcade cabinet and the arcade title, written as ".img8".
//
// The images draw with palette entries the game leaves free (130-151) or with colours other
// parts of the game animate (the logo's bands 96-191 and its centre 192-194), so that ship
// liveries and scene colours stay intact.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "tools/datagen/datagen.h"

namespace vantrel::datagen {

namespace {

// ---------------------------------------------------------------- the arcade palette, 130-151
constexpr int ARCADE_FIRST = 130;
enum arcade_colour : uint8_t {
    BODY0 = 130,
    BODY1,
    BODY2,
    BODY3, // cabinet purple, dark to light
    BEZEL0 = 134,
    BEZEL1,
    BEZEL2, // screen surround greys
    GLOW0 = 137,
    GLOW1,
    GLOW2, // marquee light, red to amber
    CHROME0 = 140,
    CHROME1,
    RED0 = 142,
    RED1,
    YELLOW0 = 144,
    YELLOW1,
    CYAN0 = 146,
    CYAN1,
    PINK0 = 148,
    PINK1,
    WALL = 150,
    FLOOR = 151,
};
constexpr uint8_t ARCADE_RGB[22][3] = {
    {34, 22, 56},    {58, 38, 96},    {88, 58, 140},  {126, 90, 186}, {18, 18, 24},
    {38, 38, 48},    {68, 68, 82},    {96, 22, 12},   {190, 70, 24},  {255, 160, 48},
    {140, 146, 162}, {222, 226, 236}, {130, 20, 20},  {236, 64, 52},  {150, 118, 12},
    {250, 212, 44},  {20, 104, 136},  {70, 204, 232}, {136, 30, 100}, {240, 86, 172},
    {14, 12, 22},    {7, 6, 12}};

image8_art arcade_image(int w, int h, uint8_t fill) {
    image8_art img;
    img.width = w;
    img.height = h;
    img.first = ARCADE_FIRST;
    for (const auto& c : ARCADE_RGB) img.rgb.insert(img.rgb.end(), c, c + 3);
    img.pixels.assign(size_t(w) * h, fill);
    return img;
}

void fill_rect(image8_art& img, int x0, int y0, int x1, int y1, uint8_t c) {
    for (int y = std::max(0, y0); y <= std::min(img.height - 1, y1); y++)
        for (int x = std::max(0, x0); x <= std::min(img.width - 1, x1); x++)
            img.pixels[size_t(y) * img.width + x] = c;
}

void put(image8_art& img, int x, int y, uint8_t c) {
    if (x >= 0 && y >= 0 && x < img.width && y < img.height)
        img.pixels[size_t(y) * img.width + x] = c;
}

// A mask of glyph art scaled up by blocks: true where a glyph pixel is set.
struct mask {
    int w, h;
    std::vector<uint8_t> on;
    bool get(int x, int y) const {
        return x >= 0 && y >= 0 && x < w && y < h && on[size_t(y) * w + x];
    }
};

mask word_mask(const glyph_set& letters, const char* word, int block, int gap, double slant) {
    int n = 0, gw = 0, gh = 0;
    for (const char* p = word; *p; p++) {
        const auto* g = find_glyph(letters, *p);
        if (!g) continue;
        n++;
        gw = int((*g)[0].size());
        gh = int(g->size());
    }
    int shear = int(std::ceil(gh * block * slant));
    mask m{n * gw * block + (n - 1) * gap + shear, gh * block, {}};
    m.on.assign(size_t(m.w) * m.h, 0);
    int x0 = 0;
    for (const char* p = word; *p; p++) {
        const auto* g = find_glyph(letters, *p);
        if (!g) continue;
        for (int y = 0; y < m.h; y++) {
            int dx = int((m.h - 1 - y) * slant); // slant to the right, top leaning forward
            for (int x = 0; x < gw * block; x++) {
                const std::string& row = (*g)[y / block];
                if (size_t(x / block) < row.size() && row[x / block] == '#')
                    m.on[size_t(y) * m.w + x0 + x + dx] = 1;
            }
        }
        x0 += gw * block + gap;
    }
    return m;
}

} // namespace

std::vector<uint8_t> image8_bytes(const image8_art& img) {
    bytes b;
    b.tag("IMG8");
    b.u16(1);
    b.u16(img.width);
    b.u16(img.height);
    b.u16(img.first);
    b.u16(static_cast<uint32_t>(img.rgb.size() / 3));
    b.raw(img.rgb);
    b.raw(img.pixels);
    return b.data;
}

// ---------------------------------------------------------------- the title logo
// Letter faces use the first animated band (96 + 3k + j), their outline and drop shadow the
// second (144 + 3k + j), k = 0..15 bands from left to right, j = 0..2 from dark to bright; the
// diamond under the word uses the centre colours 192-194. No palette is carried: the scene
// player computes every one of these colours each frame.
image8_art build_logo(const glyph_set& letters) {
    const int BLOCK = 4, GAP = 2, MARGIN = 3;
    mask word = word_mask(letters, "VANTREL", BLOCK, GAP, 0.25);
    image8_art img;
    img.width = word.w + 2 * MARGIN + 3;
    img.height = word.h + 2 * MARGIN + 3 + 14;
    img.first = 130;
    img.pixels.assign(size_t(img.width) * img.height, 0);
    auto band = [&](int x) { return std::min(15, x * 16 / img.width); };
    auto face = [&](int x, int y) { return word.get(x - MARGIN, y - MARGIN); };
    for (int y = 0; y < img.height; y++) {
        for (int x = 0; x < img.width; x++) {
            int k = band(x);
            if (face(x, y)) {
                // Bevel: lit from the top left; the face darkens toward the bottom.
                int ly = y - MARGIN;
                int j = ly < word.h * 2 / 5 ? 2 : ly < word.h * 7 / 10 ? 1 : 0;
                if (!face(x, y - 1) || !face(x - 1, y))
                    j = 2;
                else if (!face(x, y + 1) || !face(x + 1, y))
                    j = 0;
                put(img, x, y, uint8_t(96 + 3 * k + j));
                continue;
            }
            bool outline = false;
            for (int dy = -2; dy <= 2 && !outline; dy++)
                for (int dx = -2; dx <= 2 && !outline; dx++)
                    if (std::abs(dx) + std::abs(dy) <= 3 && face(x + dx, y + dy)) outline = true;
            bool shadow = face(x - 3, y - 3) || face(x - 2, y - 2);
            if (outline)
                put(img, x, y, uint8_t(144 + 3 * k + 1));
            else if (shadow)
                put(img, x, y, uint8_t(144 + 3 * k));
        }
    }
    // The centre mark: a diamond on a rule under the word, where the glint is drawn.
    int cx = img.width / 2, cy = img.height - 8;
    for (int x = img.width / 5; x < img.width * 4 / 5; x++) {
        if (std::abs(x - cx) > 8) put(img, x, cy, uint8_t(144 + 3 * band(x) + 2));
    }
    for (int dy = -6; dy <= 6; dy++) {
        for (int dx = -6; dx <= 6; dx++) {
            int d = std::abs(dx) + std::abs(dy);
            if (d > 6) continue;
            put(img, cx + dx, cy + dy, uint8_t(d >= 5 ? 192 : d >= 3 ? 193 : 194));
        }
    }
    return img;
}

// ---------------------------------------------------------------- the arcade cabinet
// 320 x 256, front view. Its screen is the only place of colour 0: a 156 x 210 hole at (82, 23)
// where the game composes the playfield. The marquee above the hole is left plain for the
// arcade title.
image8_art build_cabinet() {
    const int HX = 82, HY = 23, HW = 156, HH = 210;
    image8_art img = arcade_image(320, 256, WALL);
    // Wall with a faint vertical pattern, and the floor.
    // Wall panels behind the cabinet: faint seams every 32 pixels.
    for (int y = 0; y < 244; y++)
        for (int x = 0; x < 320; x += 32) put(img, x, y, FLOOR);
    fill_rect(img, 0, 244, 319, 255, FLOOR);
    // Cabinet sides: purple panels with a bright front edge and diagonal stripes.
    for (int side = 0; side < 2; side++) {
        int x0 = side ? 246 : 46, x1 = side ? 273 : 73;
        fill_rect(img, x0, 0, x1, 250, BODY1);
        for (int y = 0; y <= 250; y++) {
            put(img, side ? x0 : x1, y, BODY3);
            put(img, side ? x1 : x0, y, BODY0);
            // Neon stripes sweeping down the side: a wide cyan one and a thin pink one.
            for (int x = x0 + 2; x < x1 - 1; x++) {
                int t = ((side ? (x1 - x) : (x - x0)) + y / 2) % 30;
                if (t < 4)
                    put(img, x, y, t == 0 ? CYAN0 : CYAN1);
                else if (t >= 6 && t < 8)
                    put(img, x, y, PINK1);
                else if (t >= 8 && t < 9)
                    put(img, x, y, PINK0);
            }
        }
    }
    // Cabinet front between the sides.
    fill_rect(img, 74, 0, 245, 250, BODY2);
    // Marquee: a lit box across the top.
    fill_rect(img, 74, 0, 245, HY - 3, GLOW1);
    for (int y = 0; y < HY - 2; y++) {
        uint8_t c = y < 3 ? GLOW2 : y > HY - 7 ? GLOW0 : GLOW1;
        fill_rect(img, 76, y, 243, y, c);
    }
    fill_rect(img, 74, HY - 3, 245, HY - 3, CHROME1);
    // Bezel around the screen: dark, with a bevelled inner edge.
    fill_rect(img, HX - 6, HY - 2, HX + HW + 5, HY + HH + 3, BEZEL1);
    fill_rect(img, HX - 2, HY - 1, HX + HW + 1, HY + HH + 1, BEZEL0);
    fill_rect(img, HX - 6, HY + HH + 3, HX + HW + 5, HY + HH + 3, BEZEL2);
    for (int y = HY - 2; y <= HY + HH + 3; y++) {
        put(img, HX - 6, y, BEZEL2);
        put(img, HX + HW + 5, y, BEZEL0);
    }
    fill_rect(img, HX, HY, HX + HW - 1, HY + HH - 1, 0); // the screen hole
    // Control deck under the screen: chrome lip, joystick and two fire buttons.
    int deck = HY + HH + 4;
    fill_rect(img, 70, deck, 249, 250, BODY3);
    fill_rect(img, 70, deck, 249, deck, CHROME1);
    fill_rect(img, 70, deck + 1, 249, deck + 1, CHROME0);
    fill_rect(img, 70, 250, 249, 250, BODY0);
    // Joystick: a shaft and a red ball.
    fill_rect(img, 118, deck + 4, 119, deck + 10, CHROME0);
    for (int dy = -3; dy <= 3; dy++)
        for (int dx = -3; dx <= 3; dx++)
            if (dx * dx + dy * dy <= 10)
                put(img, 118 + dx, deck + 3 + dy, dx + dy < -1 ? RED1 : RED0);
    fill_rect(img, 112, deck + 10, 125, deck + 11, BEZEL0);
    for (int b = 0; b < 2; b++) {
        int cx = 182 + 16 * b, cy = deck + 7;
        for (int dy = -3; dy <= 3; dy++)
            for (int dx = -4; dx <= 4; dx++)
                if (dx * dx + 2 * dy * dy <= 18)
                    put(img, cx + dx, cy + dy, dy < 0 ? YELLOW1 : YELLOW0);
    }
    // Coin door below the deck is off the picture; a speaker grille sits on the marquee's sides.
    for (int side = 0; side < 2; side++)
        for (int y = 4; y < HY - 6; y += 2)
            fill_rect(img, side ? 232 : 80, y, side ? 239 : 87, y, GLOW0);
    return img;
}

// ---------------------------------------------------------------- the arcade title
// "ZORIVE" in blocky arcade letters, amber with a dark outline; colour 0 is transparent. It is
// at most 21 rows tall so that it fits the marquee above the screen hole.
image8_art build_zorive_logo(const glyph_set& letters) {
    mask word = word_mask(letters, "ZORIVE", 3, 3, 0.0);
    image8_art img = arcade_image(word.w + 4, word.h + 3, 0);
    for (int y = 0; y < img.height; y++) {
        for (int x = 0; x < img.width; x++) {
            int lx = x - 1, ly = y - 1;
            if (word.get(lx, ly)) {
                put(img, x, y, ly < 5 ? YELLOW1 : ly < 11 ? GLOW2 : GLOW1);
            } else {
                bool near = false;
                for (int dy = -1; dy <= 1; dy++)
                    for (int dx = -1; dx <= 1; dx++) near = near || word.get(lx + dx, ly + dy);
                if (near || word.get(lx - 1, ly - 2)) put(img, x, y, BEZEL0);
            }
        }
    }
    return img;
}

bool generate_images(const asset_context& c) {
    glyph_set vantrel, zorive;
    if (!read_glyphs(c.assets_dir + "/images/vantrel_letters.txt", &vantrel)) return false;
    if (!read_glyphs(c.assets_dir + "/images/zorive_letters.txt", &zorive)) return false;
    return write_file(c.out_dir + "/logo.img8", image8_bytes(build_logo(vantrel))) &&
           write_file(c.out_dir + "/automat34.img8", image8_bytes(build_cabinet())) &&
           write_file(c.out_dir + "/logo_zorive.img8", image8_bytes(build_zorive_logo(zorive)));
}

} // namespace vantrel::datagen
