// palette: the game palette, laid out in ramps so that a shade is an offset from a base.
#include "render/palette.h"

#include <cstring>

namespace vantrel {

uint8_t g_game_palette[256 * 3];

const std::array<int, 5> BLOCK_BASE = {16, 40, 64, 200, 224};
const std::array<rgb8, 5> LIVERY_MAIN = {
    {{190, 192, 198}, {205, 185, 135}, {165, 185, 215}, {170, 172, 182}, {150, 160, 178}}};
const std::array<rgb8, 5> LIVERY_ACCENT = {
    {{200, 40, 35}, {40, 125, 60}, {230, 120, 30}, {200, 150, 30}, {235, 135, 30}}};
const std::array<rgb8, 5> LIVERY_LIGHTS = {
    {{70, 150, 255}, {90, 255, 120}, {255, 80, 60}, {70, 150, 255}, {255, 180, 60}}};
const std::array<int, 7> LIVERY_BASE = {16, 40, 64, 200, 224, 152, 176};

namespace {

// The cockpit panel's colours, entries 6-15.
const rgb8 PANEL_RGB[10] = {{24, 26, 32},   {70, 74, 88},  {175, 180, 195}, {70, 200, 95},
                            {225, 195, 60}, {230, 65, 50}, {44, 47, 56},    {60, 52, 40},
                            {255, 190, 60}, {80, 170, 255}};
// Fire, sparks and engine glow, entries 248-254.
const rgb8 FX_RGB[7] = {{255, 235, 160}, {255, 140, 55}, {200, 65, 30}, {95, 30, 20},
                        {255, 245, 200}, {255, 185, 75}, {150, 90, 30}};
// Entries 2-5: the HUD's greens, yellow and red.
const rgb8 HUD_RGB[4] = {{90, 255, 140}, {55, 150, 90}, {255, 210, 80}, {255, 90, 70}};
// The six 8-shade ramps at 152 + 8i: blue, green, white, brown, sky and grey.
const rgb8 RAMP_RGB[6] = {{25, 70, 170},  {50, 135, 60},  {235, 238, 245},
                          {150, 120, 75}, {60, 130, 200}, {95, 95, 100}};
// Shade j of an 8-shade ramp is the colour times RAMP_PERCENT[j] / 100.
const int RAMP_PERCENT[8] = {9, 26, 38, 50, 63, 75, 87, 100};
// Shade j of a livery material is the colour times LIVERY_PERCENT[j] / 100.
const int LIVERY_PERCENT[4] = {35, 56, 78, 100};

void set_entry(uint8_t* palette, int index, rgb8 c) {
    palette[3 * index] = c.r;
    palette[3 * index + 1] = c.g;
    palette[3 * index + 2] = c.b;
}

rgb8 shade(rgb8 c, int percent) {
    return rgb8{uint8_t(c.r * percent / 100), uint8_t(c.g * percent / 100),
                uint8_t(c.b * percent / 100)};
}

} // namespace

void livery_block(uint8_t* palette, int first, rgb8 main, rgb8 accent, rgb8 lights) {
    const rgb8 materials[6] = {main, accent, lights, {50, 53, 62}, {85, 125, 175}, {0, 0, 0}};
    for (int m = 0; m < 6; m++)
        for (int j = 0; j < 4; j++)
            set_entry(palette, first + 4 * m + j, shade(materials[m], LIVERY_PERCENT[j]));
}

void build_game_palette() {
    uint8_t* p = g_game_palette;
    std::memset(p, 0, sizeof g_game_palette);
    // Cold grey ramp: entry 90 + k = (30 + 3k, 30 + 3k, 50 + 3k).
    for (int k = 0; k < 40; k++)
        set_entry(p, 90 + k, rgb8{uint8_t(30 + 3 * k), uint8_t(30 + 3 * k), uint8_t(50 + 3 * k)});
    for (int i = 0; i < 6; i++)
        for (int j = 0; j < 8; j++)
            set_entry(p, 152 + 8 * i + j, shade(RAMP_RGB[i], RAMP_PERCENT[j]));
    for (int b = 0; b < 5; b++)
        livery_block(p, BLOCK_BASE[b], LIVERY_MAIN[b], LIVERY_ACCENT[b], LIVERY_LIGHTS[b]);
    for (int i = 0; i < 7; i++) set_entry(p, 248 + i, FX_RGB[i]);
    set_entry(p, 255, rgb8{255, 255, 255});
    for (int i = 0; i < 10; i++) set_entry(p, 6 + i, PANEL_RGB[i]);
    set_entry(p, 1, rgb8{0, 0, 0});
    for (int i = 0; i < 4; i++) set_entry(p, 2 + i, HUD_RGB[i]);
}

void scene_base_palette(uint8_t* rgb768) {
    static const uint8_t MENU_COLOURS[6][3] = {{70, 75, 95},    {140, 145, 170}, {230, 235, 255},
                                               {150, 150, 165}, {255, 90, 60},   {0, 0, 0}};
    build_game_palette();
    std::memcpy(rgb768, g_game_palette, 768);
    std::memcpy(rgb768 + 90 * 3, MENU_COLOURS, sizeof MENU_COLOURS);
}

const std::array<rgb8, UI_COLOUR_COUNT> UI_COLOURS = {{
    {4, 6, 18},      // 152 background
    {46, 66, 120},   // 153 planet orbits, buttons
    {30, 42, 76},    // 154 moon orbits, the selection band
    {235, 235, 245}, // 155 bright text
    {150, 150, 170}, // 156 text
    {255, 140, 40},  // 157 selection brackets, menu
    {255, 220, 90},  // 158 the star
    {200, 180, 130}, // 159 rings
    {80, 255, 120},  // 160 jump target
    {80, 200, 255},  // 161 highlight
    {50, 110, 150},  // 162 star map grid
    {0, 0, 0},       // 163 text shadow
}};

void ui_colours_apply(uint8_t* rgb768) {
    for (int i = 0; i < UI_COLOUR_COUNT; i++)
        set_entry(rgb768, UI_COLOUR_FIRST + i, UI_COLOURS[size_t(i)]);
}

} // namespace vantrel
