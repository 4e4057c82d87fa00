// Panel drawing from the values record: gauges, lit buttons, bands, blips, readouts, stores.
#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

#include "flight/panel_draw.h"

namespace vantrel {
namespace {

constexpr int W = 64, H1 = 4, H2 = 20, F = 130, STRIDE = 64, SCREEN_H = 48;

// A small panel built in memory: normal image 1, lit image 2, sprites of solid colours.
class PanelDrawTest : public ::testing::Test {
  protected:
    std::vector<uint8_t> normal = std::vector<uint8_t>((H1 + H2) * W, 1);
    std::vector<uint8_t> lit = std::vector<uint8_t>((H1 + H2) * W, 2);
    std::vector<uint8_t> solid = std::vector<uint8_t>(64 * 64, 7);
    cockpit_panel panel{};
    std::vector<uint8_t> screen = std::vector<uint8_t>(STRIDE * SCREEN_H + 64, 0xCC);
    uint8_t values[PANEL_VALUES_SIZE] = {};

    void SetUp() override {
        panel.width = W;
        panel.top_rows = H1;
        panel.bottom_rows = H2;
        panel.first_colour = F;
        panel.normal = normal.data();
        panel.lit = lit.data();
    }
    panel_sprite& add_sprite(int kind, int index, int x, int y, int w, int h) {
        panel_sprite& s = panel.sprites[panel.sprite_count++];
        s = panel_sprite{uint8_t(kind), uint8_t(index), int16_t(x),   int16_t(y),
                         uint16_t(w),   uint16_t(h),    {0, 0, 0, 0}, solid.data()};
        return s;
    }
    uint8_t* top() { return screen.data(); }
    uint8_t* bottom() { return screen.data() + (SCREEN_H - H2) * STRIDE; }
    void draw() { cockpit_panel_draw(&panel, values, top(), bottom(), STRIDE); }
    // Pixel at panel row r (top band rows first).
    uint8_t at(int x, int r) {
        return r < H1 ? top()[r * STRIDE + x] : bottom()[(r - H1) * STRIDE + x];
    }
};

TEST_F(PanelDrawTest, BandsAndNothingBetween) {
    draw();
    EXPECT_EQ(at(0, 0), 1);
    EXPECT_EQ(at(63, H1 + H2 - 1), 1);
    EXPECT_EQ(screen[H1 * STRIDE], 0xCC); // the 3D view rows are untouched
    EXPECT_EQ(screen[STRIDE * SCREEN_H], 0xCC);
    std::fill(screen.begin(), screen.end(), 0xCC);
    panel.bottom_rows = 0;
    draw();
    EXPECT_EQ(at(5, 2), 1);
    EXPECT_EQ(bottom()[0], 0xCC);
}

TEST_F(PanelDrawTest, GaugesClampAndColourByJudgedLevel) {
    for (int i = 0; i < 5; i++)
        add_sprite(PANEL_SPRITE_GAUGE, i, 2 + 12 * i, H1 + 2, 10, 10).pixels = normal.data();
    values[PV_GAUGES + 0] = 120;
    values[PV_GAUGES + 1] = 10;
    values[PV_GAUGES + 3] = 10;
    draw();
    // Margin 2: rows 8..13, columns 4.. for (10 - 4) * level / 100 pixels.
    EXPECT_EQ(at(4, H1 + 4), F + 12);
    EXPECT_EQ(at(9, H1 + 4), F + 12);
    EXPECT_EQ(at(10, H1 + 4), 1);         // 120 % fills like 100 %: six pixels
    EXPECT_EQ(at(2 + 12 + 2, H1 + 4), 1); // 10 % of 6 pixels is none
    values[PV_GAUGES + 1] = 20;
    values[PV_GAUGES + 3] = 20;
    draw();
    EXPECT_EQ(at(2 + 12 + 2, H1 + 4), F + 14); // fuel at 20 %: red
    EXPECT_EQ(at(2 + 36 + 2, H1 + 4), F + 12); // weapons heat at 20 %: judged 80 %, green
    EXPECT_EQ(at(2 + 36 + 2, H1 + 2 + 1), 1);  // the margin row stays as the frame
}

TEST_F(PanelDrawTest, LitButtonsCopyTheLitImage) {
    panel.button_count = 2;
    panel.buttons[0] = panel_button{3, 0, 2, 1, 5, 2}; // top band
    panel.buttons[1] = panel_button{
        9, 0, 10, PANEL_LAYOUT_HEIGHT - H2, 12, PANEL_LAYOUT_HEIGHT - H2 + 1}; // bottom
    panel_values_set_mask(values, (1u << 3) | (1u << 9));
    draw();
    EXPECT_EQ(at(2, 1), 2);
    EXPECT_EQ(at(5, 2), 2);
    EXPECT_EQ(at(6, 2), 1);
    EXPECT_EQ(at(10, H1), 2);
    EXPECT_EQ(at(12, H1 + 1), 2);
    EXPECT_EQ(at(12, H1 + 2), 1);
    EXPECT_EQ(panel_layout_y(&panel, SCREEN_H - H2, SCREEN_H), PANEL_LAYOUT_HEIGHT - H2);
    EXPECT_EQ(panel_layout_y(&panel, 2, SCREEN_H), 2);
    EXPECT_EQ(panel_layout_y(&panel, 10, SCREEN_H), -1);
}

TEST_F(PanelDrawTest, BlipsStayInsideTheScope) {
    panel_sprite& scope = add_sprite(PANEL_SPRITE_SCOPE, 0, 20, H1 + 2, 20, 16);
    scope.pixels = normal.data();
    scope.param[0] = 30;
    scope.param[1] = H1 + 10;
    scope.param[2] = 10; // 1024 m of x/2 -> 10 columns
    scope.param[3] = 8;
    values[PV_RADAR_ON] = 1;
    values[PV_BLIP_COUNT] = 2;
    panel_values_set_blip(values, 0, 0, 0, 256, 12);          // straight ahead, 2 steps up
    panel_values_set_blip(values, 1, 2048 * 2, 0, -9999, 13); // far right, clamped below
    draw();
    EXPECT_EQ(at(30, H1 + 10), F + 12); // stem foot
    EXPECT_EQ(at(30, H1 + 8), F + 12);  // stem top
    EXPECT_EQ(at(29, H1 + 7), F + 12);  // marker above the stem
    EXPECT_EQ(at(31, H1 + 8), F + 12);
    EXPECT_EQ(at(30, H1 + 11), 1);
    for (int r = 0; r < H1 + H2; r++)
        for (int x = 0; x < W; x++)
            if (x < 20 || x >= 40) {
                ASSERT_NE(at(x, r), F + 13) << x << "," << r;
            }
    values[PV_RADAR_ON] = 0;
    draw();
    EXPECT_EQ(at(30, H1 + 8), 1);
}

TEST_F(PanelDrawTest, ReadoutsAndStores) {
    std::vector<uint8_t> glyph(3 * 5, 9);
    for (int i = 0; i < 15; i++)
        add_sprite(PANEL_SPRITE_GLYPH, i, 0, 0, 3, 5).pixels = glyph.data();
    panel_sprite* zero =
        const_cast<panel_sprite*>(cockpit_panel_sprite(&panel, PANEL_SPRITE_GLYPH, 0));
    zero->param[0] = 1;
    zero->param[1] = H1 + 1;
    zero->param[2] = 1;
    zero->param[3] = H1 + 8;
    panel_values_set_text(values, PV_TEXT1, "1?2"); // '?' leaves a gap of one advance (4 px)
    panel_values_set_text(values, PV_TEXT2, "0123456789ABC"); // cut to fit the record
    EXPECT_EQ(values[PANEL_VALUES_SIZE - 1], 0);
    panel_sprite& icon = add_sprite(PANEL_SPRITE_STORE, 2, 40, H1 + 10, 4, 4);
    icon.param[0] = 46;
    icon.param[1] = H1 + 10;
    for (int d = 0; d <= 10; d++) {
        add_sprite(PANEL_SPRITE_DIGIT, d, 0, 0, 1, 1).pixels = &solid[0] + 0; // colour 7
    }
    panel.sprites[panel.sprite_count - 1].pixels = normal.data(); // the blank digit shows 1
    values[PV_STORE_TYPE] = 2;
    values[PV_STORE_COUNT] = 6;
    const uint8_t stores[6] = {2, 1, 2, 0, 2, 3};
    std::copy(stores, stores + 6, values + PV_STORES);
    draw();
    EXPECT_EQ(at(1, H1 + 1), 9);
    EXPECT_EQ(at(4, H1 + 1), 1); // the advance gap of 3 + 5 / 3
    EXPECT_EQ(at(5, H1 + 1), 1); // the unknown character
    EXPECT_EQ(at(9, H1 + 1), 9);
    EXPECT_EQ(at(40, H1 + 10), 7); // icon
    EXPECT_EQ(at(46, H1 + 10), 7); // "0" of "03"
    EXPECT_EQ(at(54, H1 + 10), 7); // "3", 8 pixels on (p2 = 0 counts as 8)
    values[PV_STORE_COUNT] = 0;
    draw();
    EXPECT_EQ(at(46, H1 + 10), 1); // both digits blank
}

TEST_F(PanelDrawTest, BlitClipsAtEveryEdge) {
    panel_target t = {top(), bottom(), STRIDE, H1, H1 + H2, W};
    panel_sprite s = {1, 0, 0, 0, 8, 8, {0, 0, 0, 0}, solid.data()};
    for (int x : {-7, -3, 60, 63, 70})
        for (int y : {-7, -2, 2, 22, 30}) blit(&t, &s, x, y);
    EXPECT_EQ(screen[H1 * STRIDE], 0xCC);
    EXPECT_EQ(screen[(SCREEN_H - H2 - 1) * STRIDE + 63], 0xCC);
    for (size_t i = STRIDE * SCREEN_H; i < screen.size(); i++) ASSERT_EQ(screen[i], 0xCC);
    blit(&t, nullptr, 0, 0);
}

} // namespace
} // namespace vantrel
