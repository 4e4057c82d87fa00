// The menu pages: cursor movement, setting steps, choices, and where each line is drawn.
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "render/text.h"
#include "shell/menu.h"

namespace vantrel {
namespace {

constexpr int KEY_W = 0x11, KEY_S = 0x21, KEY_A = 0x20, KEY_D = 0x22, KEY_M = 0x37;
constexpr int KEY_SPACE = 0x40, KEY_ENTER = 0x43, KEY_RETURN = 0x44, KEY_ESC = 0x45;
constexpr int KEY_UP = 0x4C, KEY_DOWN = 0x4D, KEY_RIGHT = 0x4E, KEY_LEFT = 0x4F;

const menu_facts FAST = {3, 1, 1}; // 68060 with an FPU, dock models loaded
const menu_facts SLOW = {1, 0, 0}; // 68030, no FPU, no dock models

std::string entry(const graphics_config& cfg, const menu_facts& facts, int i) {
    char text[64];
    menu_settings_entry_text(&cfg, &facts, i, text, sizeof text);
    return text;
}

TEST(MenuKeys, CursorWrapsOnBothPages) {
    menu_state m;
    menu_reset(&m);
    graphics_config cfg{};
    EXPECT_EQ(menu_key(&m, KEY_UP, &cfg, &FAST), MENU_STAY);
    EXPECT_EQ(m.cursor, 8);
    EXPECT_EQ(menu_key(&m, KEY_S, &cfg, &FAST), MENU_STAY);
    EXPECT_EQ(m.cursor, 0);
    menu_key(&m, KEY_W, &cfg, &FAST);
    menu_key(&m, KEY_W, &cfg, &FAST);
    EXPECT_EQ(m.cursor, 7);
    EXPECT_EQ(menu_key(&m, KEY_SPACE, &cfg, &FAST), MENU_STAY); // SETTINGS opens its page
    EXPECT_EQ(m.settings_page, 1);
    EXPECT_EQ(m.cursor, 0);
    menu_key(&m, KEY_W, &cfg, &FAST);
    EXPECT_EQ(m.cursor, 7);
    menu_key(&m, KEY_DOWN, &cfg, &FAST);
    EXPECT_EQ(m.cursor, 0);
}

TEST(MenuKeys, ChoicesLeaveTheMenu) {
    graphics_config cfg{};
    for (int i : {0, 1, 3, 4, 5, 6, 8}) {
        menu_state m;
        menu_reset(&m);
        for (int k = 0; k < i; k++) menu_key(&m, KEY_DOWN, &cfg, &SLOW);
        EXPECT_EQ(menu_key(&m, i % 2 ? KEY_RETURN : KEY_ENTER, &cfg, &SLOW), i);
    }
    menu_state m;
    menu_reset(&m);
    EXPECT_EQ(menu_key(&m, KEY_ESC, &cfg, &FAST), MENU_QUIT);
    EXPECT_EQ(menu_key(&m, KEY_M, &cfg, &FAST), MENU_MUSIC);
    EXPECT_EQ(menu_key(&m, 0x10, &cfg, &FAST), MENU_STAY); // Q means nothing here
}

TEST(MenuKeys, DockDemoNeedsItsModels) {
    graphics_config cfg{};
    menu_state m;
    menu_reset(&m);
    menu_key(&m, KEY_DOWN, &cfg, &SLOW);
    menu_key(&m, KEY_DOWN, &cfg, &SLOW);
    EXPECT_EQ(menu_key(&m, KEY_RETURN, &cfg, &SLOW), MENU_STAY);
    EXPECT_EQ(menu_key(&m, KEY_RETURN, &cfg, &FAST), MENU_DEMO_DOCK);
}

TEST(MenuKeys, LeavingTheSettingsPageSavesAndReturnsToSettings) {
    graphics_config cfg{};
    menu_state m = {1, 3};
    EXPECT_EQ(menu_key(&m, KEY_ESC, &cfg, &FAST), MENU_SAVE);
    EXPECT_EQ(m.settings_page, 0);
    EXPECT_EQ(m.cursor, MENU_SETTINGS);
    m = {1, 7};
    graphics_config before = cfg;
    EXPECT_EQ(menu_key(&m, KEY_LEFT, &cfg, &FAST), MENU_STAY);
    EXPECT_EQ(menu_key(&m, KEY_D, &cfg, &FAST), MENU_STAY);
    EXPECT_EQ(std::memcmp(&cfg, &before, sizeof cfg), 0); // BACK has no value to change
    EXPECT_EQ(menu_key(&m, KEY_M, &cfg, &FAST), MENU_MUSIC);
    EXPECT_EQ(menu_key(&m, KEY_SPACE, &cfg, &FAST), MENU_SAVE);
}

TEST(MenuSettings, StepsWrapWithinEachSetting) {
    graphics_config cfg{};
    menu_state m = {1, 2};
    menu_key(&m, KEY_A, &cfg, &FAST); // particles: auto stepped down is "high"
    EXPECT_EQ(cfg.particles, 3u);
    EXPECT_EQ(entry(cfg, FAST, 2), "PARTICLES: high");
    menu_key(&m, KEY_RETURN, &cfg, &FAST); // Enter steps up, wrapping to auto
    EXPECT_EQ(cfg.particles, 0u);
    m.cursor = 3;
    menu_key(&m, KEY_LEFT, &cfg, &FAST); // detail: auto stepped down is 4, shown as auto
    EXPECT_EQ(cfg.detail, 4u);
    EXPECT_EQ(entry(cfg, FAST, 3), "DETAIL: auto");
    menu_key(&m, KEY_RIGHT, &cfg, &FAST);
    EXPECT_EQ(cfg.detail, 0u);

    struct {
        int entry;
        uint32_t graphics_config::*field;
        uint32_t n;
    } cyclic[] = {{0, &graphics_config::shading, 3},
                  {1, &graphics_config::output_path, 3},
                  {3, &graphics_config::detail, 5},
                  {5, &graphics_config::fpu_use, 3},
                  {6, &graphics_config::fps_cap, 3}};
    for (auto c : cyclic) {
        graphics_config g{};
        for (uint32_t k = 1; k <= 2 * c.n; k++) {
            menu_settings_step(&g, c.entry, +1);
            EXPECT_EQ(g.*c.field, k % c.n) << c.entry;
        }
        menu_settings_step(&g, c.entry, -1);
        EXPECT_EQ(g.*c.field, c.n - 1) << c.entry;
    }
    graphics_config g{};
    menu_settings_step(&g, 4, -1);
    EXPECT_EQ(g.view, 1u);
    menu_settings_step(&g, 4, -1);
    EXPECT_EQ(g.view, 0u);
    menu_settings_step(&g, 7, +1);
    menu_settings_step(&g, 99, +1);
    EXPECT_EQ(std::memcmp(&g, &(const graphics_config&)graphics_config{}, sizeof g), 0);
}

TEST(MenuSettings, EntryTexts) {
    graphics_config cfg{};
    EXPECT_EQ(entry(cfg, FAST, 0), "SHADING: auto");
    EXPECT_EQ(entry(cfg, FAST, 1), "OUTPUT: auto");
    EXPECT_EQ(entry(cfg, FAST, 4), "VIEW: 320x124");
    EXPECT_EQ(entry(cfg, FAST, 5), "FPU: auto (+)");
    EXPECT_EQ(entry(cfg, SLOW, 5), "FPU: auto (-)");
    EXPECT_EQ(entry(cfg, FAST, 6), "FPS LIMIT: 50");
    EXPECT_EQ(entry(cfg, FAST, 7), "BACK");
    cfg = graphics_config{2, 2, 1, 3, 1, 1, 0, 2};
    EXPECT_EQ(entry(cfg, FAST, 0), "SHADING: triangles");
    EXPECT_EQ(entry(cfg, FAST, 1), "OUTPUT: 040/060");
    EXPECT_EQ(entry(cfg, FAST, 2), "PARTICLES: off");
    EXPECT_EQ(entry(cfg, FAST, 3), "DETAIL: ultra");
    EXPECT_EQ(entry(cfg, FAST, 4), "VIEW: 320x180");
    EXPECT_EQ(entry(cfg, FAST, 5), "FPU: off"); // has an FPU but does not use it
    EXPECT_EQ(entry(cfg, FAST, 6), "FPS LIMIT: off");
    cfg.fps_cap = 1;
    cfg.fpu_use = 2;
    EXPECT_EQ(entry(cfg, FAST, 6), "FPS LIMIT: 25");
    EXPECT_EQ(entry(cfg, FAST, 5), "FPU: on (+)");
}

// Rows [y, y + 9) of the drawn page equal those of a frame with only `text` drawn centred.
void expect_line(const std::vector<uint8_t>& page, int y, const char* text, uint8_t colour,
                 uint8_t shadow) {
    std::vector<uint8_t> want(320 * 256, 0);
    text_draw_shadow(want.data(), 320, 256, (320 - text_width(text)) >> 1, y, text, colour, shadow);
    for (int row = y; row < y + 9; row++)
        EXPECT_EQ(std::memcmp(&page[size_t(row * 320)], &want[size_t(row * 320)], 320), 0)
            << "\"" << text << "\" row " << row;
}

TEST(MenuDraw, MainPageLinesAndPanel) {
    std::vector<uint8_t> page(320 * 256, 0);
    menu_state m;
    menu_reset(&m);
    graphics_config cfg{};
    menu_draw(&m, page.data(), 320, 256, MENU_DEFAULT_Y0, &cfg, &SLOW);
    // The default place would put QUIT below the screen: the page rises until it fits.
    expect_line(page, 138, "> START <", 94, 95);
    expect_line(page, 138 + 24, "DEMO (dock) - models missing", 255, 95);
    expect_line(page, 138 + 96, "QUIT", 255, 95);
    expect_line(page, 244, "CPU 68030 | 030 | off", 93, 95);
    // The panel halves what lies under it; outside it nothing changes.
    std::vector<uint8_t> grey(320 * 256, 7);
    menu_draw(&m, grey.data(), 320, 256, 100, &cfg, &FAST);
    EXPECT_EQ(grey[95 * 320 + 41], 0);   // x + y even, first panel row
    EXPECT_EQ(grey[95 * 320 + 42], 7);   // odd
    EXPECT_EQ(grey[94 * 320 + 41], 7);   // above the panel
    EXPECT_EQ(grey[204 * 320 + 40], 0);  // last panel row, first column
    EXPECT_EQ(grey[205 * 320 + 41], 7);  // below it
    EXPECT_EQ(grey[150 * 320 + 39], 7);  // left of it
    EXPECT_EQ(grey[151 * 320 + 280], 7); // right of it
}

TEST(MenuDraw, SettingsPageLines) {
    std::vector<uint8_t> page(320 * 256, 0);
    menu_state m = {1, 1};
    graphics_config cfg{2, 0, 0, 0, 0, 0, 0, 0};
    menu_draw(&m, page.data(), 320, 256, MENU_DEFAULT_Y0, &cfg, &SLOW);
    expect_line(page, 132, "SETTINGS", 255, 95);
    expect_line(page, 143, "SHADING: auto", 255, 95);
    expect_line(page, 153, "> OUTPUT: 040/060 <", 94, 95);
    expect_line(page, 213, "BACK", 255, 95);
    expect_line(page, 226, "detected CPU: 68030", 93, 95);
    expect_line(page, 236, "used: 030, off, low, low (!)", 93, 95);
    expect_line(page, 247, "arrows/WSAD, ENTER, ESC", 93, 95);
}

} // namespace
} // namespace vantrel
