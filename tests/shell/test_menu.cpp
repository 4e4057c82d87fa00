// The menu pages: cursor movement, setting steps, choices, and where each line is drawn.
#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "render/text.h"
#include "shell/menu.h"

namespace vantrel {
namespace {

constexpr int KEY_M = 0x37, KEY_SPACE = 0x40, KEY_ENTER = 0x43, KEY_RETURN = 0x44;
constexpr int KEY_ESC = 0x45, KEY_DOWN = 0x4D;

const menu_facts FAST = {3, 1, 1}; // 68060 with an FPU, dock models loaded
const menu_facts SLOW = {1, 0, 0}; // 68030, no FPU, no dock models

std::string entry(const graphics_config& cfg, const menu_facts& facts, int i) {
    char text[64];
    menu_settings_entry_text(&cfg, &facts, i, text, sizeof text);
    return text;
}

// Cursor wrapping, the dock demo without its models and saving on leaving the settings page
// are walked by the end-to-end menu tests; these are the codes they rest on.
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
    m = {1, 7};
    EXPECT_EQ(menu_key(&m, KEY_M, &cfg, &FAST), MENU_MUSIC); // on the settings page too
    EXPECT_EQ(menu_key(&m, KEY_SPACE, &cfg, &FAST), MENU_SAVE);
    m = {1, 3};
    EXPECT_EQ(menu_key(&m, KEY_ESC, &cfg, &FAST), MENU_SAVE);
    EXPECT_EQ(m.settings_page, 0);
    EXPECT_EQ(m.cursor, MENU_SETTINGS);
}

TEST(MenuSettings, StepsWrapWithinEachSetting) {
    graphics_config cfg{};
    menu_state m = {1, 2};
    menu_key(&m, KEY_RETURN, &cfg, &FAST); // Enter steps up
    EXPECT_EQ(cfg.particles, 1u);
    struct {
        int entry;
        uint32_t graphics_config::*field;
        uint32_t n;
    } cyclic[] = {{0, &graphics_config::shading, 3},   {1, &graphics_config::output_path, 3},
                  {2, &graphics_config::particles, 4}, {3, &graphics_config::detail, 5},
                  {5, &graphics_config::fpu_use, 3},   {6, &graphics_config::fps_cap, 3}};
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
    // The golden settings page shows every entry at auto on a processor with an FPU.
    graphics_config cfg{};
    EXPECT_EQ(entry(cfg, SLOW, 5), "FPU: auto (-)");
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
    cfg.particles = 3;
    cfg.detail = 4; // the hidden fifth step reads as auto
    EXPECT_EQ(entry(cfg, FAST, 6), "FPS LIMIT: 25");
    EXPECT_EQ(entry(cfg, FAST, 5), "FPU: on (+)");
    EXPECT_EQ(entry(cfg, FAST, 2), "PARTICLES: high");
    EXPECT_EQ(entry(cfg, FAST, 3), "DETAIL: auto");
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

// The golden menu pages pin both pages pixel for pixel on a fast processor with the dock
// models; these are the lines that differ on a slow one without them.
TEST(MenuDraw, SlowProcessorWithoutDockModels) {
    std::vector<uint8_t> page(320 * 256, 0);
    menu_state m;
    menu_reset(&m);
    graphics_config cfg{};
    menu_draw(&m, page.data(), 320, 256, MENU_DEFAULT_Y0, &cfg, &SLOW);
    // The default place would put QUIT below the screen: the page rises until it fits.
    expect_line(page, 138 + 24, "DEMO (dock) - models missing", 255, 95);
    expect_line(page, 244, "CPU 68030 | 030 | off", 93, 95);
    std::fill(page.begin(), page.end(), 0);
    m = {1, 1};
    cfg.output_path = 2; // a chosen path the processor cannot take
    menu_draw(&m, page.data(), 320, 256, MENU_DEFAULT_Y0, &cfg, &SLOW);
    expect_line(page, 153, "> OUTPUT: 040/060 <", 94, 95);
    expect_line(page, 226, "detected CPU: 68030", 93, 95);
    expect_line(page, 236, "used: 030, off, low, low (!)", 93, 95);
}

} // namespace
} // namespace vantrel
