// The cockpit panel file: structural refusals, button hits and the palette it brings.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

#include "flight/cockpit_panel.h"

namespace vantrel {
namespace {

struct panel_builder {
    uint16_t version = 1, width = 4, top = 2, bottom = 1, first = 130, count = 2;
    std::vector<std::vector<uint8_t>> buttons; // 10 bytes each
    std::vector<std::vector<uint8_t>> sprites; // header + pixels
    bool sprite_count = true;

    static void u16(std::vector<uint8_t>& v, int x) {
        v.push_back(uint8_t(x >> 8));
        v.push_back(uint8_t(x));
    }
    void button(int action, int x0, int y0, int x1, int y1) {
        std::vector<uint8_t> b = {uint8_t(action), 0};
        for (int v : {x0, y0, x1, y1}) u16(b, v);
        buttons.push_back(b);
    }
    void sprite(int kind, int index, int w, int h, int pixel_bytes = -1) {
        std::vector<uint8_t> s = {uint8_t(kind), uint8_t(index)};
        for (int v : {1, 2, w, h, 10, 20, 30, 40}) u16(s, v);
        int n = pixel_bytes < 0 ? w * h : pixel_bytes;
        for (int i = 0; i < n; i++) s.push_back(uint8_t(i));
        sprites.push_back(s);
    }
    std::vector<uint8_t> bytes() const {
        std::vector<uint8_t> f = {'C', 'P', 'T', '1'};
        for (int v : {int(version), int(width), int(top), int(bottom), int(first), int(count)})
            u16(f, v);
        for (int i = 0; i < 3 * count; i++) f.push_back(uint8_t(10 + i));
        int image = (top + bottom) * width;
        for (int i = 0; i < image; i++) f.push_back(1); // normal
        for (int i = 0; i < image; i++) f.push_back(2); // lit
        u16(f, int(buttons.size()));
        for (const auto& b : buttons) f.insert(f.end(), b.begin(), b.end());
        if (sprite_count) u16(f, int(sprites.size()));
        for (const auto& s : sprites) f.insert(f.end(), s.begin(), s.end());
        return f;
    }
};

int parse(const std::vector<uint8_t>& f, cockpit_panel* p) {
    return cockpit_panel_parse(f.data(), uint32_t(f.size()), p);
}

// One change to a valid file each (to its parts, or to its bytes), and whether it still loads.
TEST(CockpitPanelParse, StructuralLimitsAndRefusals) {
    auto bands = [](int top, int bottom) {
        return [=](panel_builder& b) { b.top = uint16_t(top), b.bottom = uint16_t(bottom); };
    };
    auto palette = [](int first, int count) {
        return [=](panel_builder& b) { b.first = uint16_t(first), b.count = uint16_t(count); };
    };
    auto as_built = [](panel_builder&) {};
    const struct {
        const char* name;
        std::function<void(panel_builder&)> build;
        int ok;
        std::function<void(std::vector<uint8_t>&)> patch = nullptr;
    } cases[] = {
        // The bands must leave the view its clock line on the shorter flight screen.
        {"bands 120+64", bands(120, 64), 1},
        {"bands 121+64", bands(121, 64), 0},
        {"bands 184+0", bands(184, 0), 1},
        {"bands 0+185", bands(0, 185), 0},
        {"bands 300+0", bands(300, 0), 0},
        // The palette range ends at 256 and must not wrap round.
        {"palette 250+6", palette(250, 6), 1},
        {"palette 250+7", palette(250, 7), 0},
        {"palette 65535+2", palette(0xFFFF, 2), 0},
        {"pixels short at the end", [](panel_builder& b) { b.sprite(8, 0, 4, 4, 15); }, 0},
        {"ends after the buttons", [](panel_builder& b) { b.sprite_count = false; }, 0},
        {"version 2", [](panel_builder& b) { b.version = 2; }, 0},
        {"magic", as_built, 0, [](std::vector<uint8_t>& f) { f[0] = 'X'; }},
        // Huge declared images must not wrap the size check.
        {"huge images", as_built, 0,
         [](std::vector<uint8_t>& f) { std::fill(&f[6], &f[12], 0xFF); }},
    };
    static cockpit_panel p;
    for (const auto& k : cases) {
        panel_builder b;
        k.build(b);
        std::vector<uint8_t> f = b.bytes();
        if (k.patch) k.patch(f);
        EXPECT_EQ(parse(f, &p), k.ok) << k.name;
    }
    EXPECT_EQ(cockpit_panel_parse(nullptr, 0, &p), 0);
}

TEST(CockpitPanelParse, ReadsEveryPartInPlace) {
    panel_builder b;
    b.button(5, 0, 0, 9, 9);
    b.sprite(8, 0, 3, 2);
    b.sprite(7, 0, 2, 0); // no rows: no pixel data
    auto f = b.bytes();
    static cockpit_panel p;
    ASSERT_EQ(parse(f, &p), 1);
    EXPECT_EQ(p.width, 4);
    EXPECT_EQ(p.top_rows, 2);
    EXPECT_EQ(p.bottom_rows, 1);
    EXPECT_EQ(p.palette, f.data() + 16);
    EXPECT_EQ(p.normal, f.data() + 22);
    EXPECT_EQ(p.lit, f.data() + 34);
    EXPECT_EQ(p.lit[0], 2);
    ASSERT_EQ(p.button_count, 1);
    EXPECT_EQ(p.buttons[0].action, 5);
    EXPECT_EQ(p.buttons[0].x1, 9);
    ASSERT_EQ(p.sprite_count, 2);
    EXPECT_EQ(p.sprites[0].w, 3);
    EXPECT_EQ(p.sprites[0].param[3], 40);
    EXPECT_EQ(p.sprites[0].pixels[5], 5);
    EXPECT_EQ(cockpit_panel_sprite(&p, 7, 0), &p.sprites[1]);
    EXPECT_EQ(cockpit_panel_sprite(&p, 7, 1), nullptr);
}

TEST(CockpitPanelParse, CapacitiesOfButtonsAndSprites) {
    static cockpit_panel p;
    panel_builder b;
    for (int i = 0; i < 24; i++) b.button(i, i, 0, i, 0);
    for (int i = 0; i < 80; i++) b.sprite(8, i, 1, 1);
    EXPECT_EQ(parse(b.bytes(), &p), 1);
    EXPECT_EQ(p.sprites[79].index, 79);
    panel_builder more_buttons = b;
    more_buttons.button(24, 0, 0, 0, 0);
    EXPECT_EQ(parse(more_buttons.bytes(), &p), 0);
    EXPECT_EQ(p.button_count, 0); // cleared on failure
    panel_builder more_sprites = b;
    more_sprites.sprite(8, 80, 1, 1);
    EXPECT_EQ(parse(more_sprites.bytes(), &p), 0);
}

TEST(CockpitPanelParse, EveryTruncationIsRefusedWithoutReadingPastTheEnd) {
    panel_builder b;
    b.button(1, 0, 0, 3, 3);
    b.sprite(6, 0, 4, 3);
    b.sprite(8, 1, 2, 2);
    auto f = b.bytes();
    static cockpit_panel p;
    ASSERT_EQ(parse(f, &p), 1);
    for (size_t size = 0; size < f.size(); size++) {
        std::vector<uint8_t> cut(f.begin(), f.begin() + size);
        EXPECT_EQ(cockpit_panel_parse(cut.data(), uint32_t(size), &p), 0) << size;
    }
}

TEST(CockpitPanelHit, EdgesAreInsideAndTheFirstButtonWins) {
    panel_builder b;
    b.button(3, 10, 20, 30, 40);
    b.button(7, 25, 35, 50, 60); // overlaps the first
    b.button(9, -5, -5, 2, 2);
    auto f = b.bytes();
    static cockpit_panel p;
    ASSERT_EQ(parse(f, &p), 1);
    EXPECT_EQ(cockpit_panel_hit(&p, 10, 20), 3);
    EXPECT_EQ(cockpit_panel_hit(&p, 30, 40), 3); // right and bottom edges are inclusive
    EXPECT_EQ(cockpit_panel_hit(&p, 31, 40), 7);
    EXPECT_EQ(cockpit_panel_hit(&p, 28, 38), 3); // overlap: file order
    EXPECT_EQ(cockpit_panel_hit(&p, 50, 60), 7);
    EXPECT_EQ(cockpit_panel_hit(&p, 51, 60), -1);
    EXPECT_EQ(cockpit_panel_hit(&p, 9, 25), -1);
    EXPECT_EQ(cockpit_panel_hit(&p, -5, 0), 9); // signed coordinates
}

TEST(CockpitPanelPalette, CopiesOnlyItsOwnEntries) {
    panel_builder b;
    b.first = 254;
    b.count = 2;
    auto f = b.bytes();
    static cockpit_panel p;
    ASSERT_EQ(parse(f, &p), 1);
    uint8_t pal[768];
    std::memset(pal, 0xEE, sizeof pal);
    cockpit_panel_apply_palette(&p, pal);
    EXPECT_EQ(pal[3 * 253 + 2], 0xEE);
    EXPECT_EQ(pal[3 * 254], 10);
    EXPECT_EQ(pal[767], 15);
    panel_builder none;
    none.count = 0;
    auto g = none.bytes();
    ASSERT_EQ(parse(g, &p), 1);
    std::memset(pal, 0xEE, sizeof pal);
    cockpit_panel_apply_palette(&p, pal);
    for (uint8_t v : pal) ASSERT_EQ(v, 0xEE);
}

} // namespace
} // namespace vantrel
