// palette: the game palette, laid out in ramps so that a shade is an offset from a base.
#pragma once

#include <array>
#include <cstdint>

#include "core/fixmath.h"

namespace vantrel {

struct rgb8 {
    uint8_t r, g, b;
};

// 256 entries of red, green and blue, built once at start-up.
extern uint8_t g_game_palette[256 * 3];

extern const std::array<int, 5> BLOCK_BASE;
extern const std::array<rgb8, 5> LIVERY_MAIN;
extern const std::array<rgb8, 5> LIVERY_ACCENT;
extern const std::array<rgb8, 5> LIVERY_LIGHTS;
// The base colours offered for ships: the five livery blocks, then the blue and brown ramps.
extern const std::array<int, 7> LIVERY_BASE;

void build_game_palette();
// The game palette with the colours of the menu and the scenes over it: three star greys,
// text, highlight and text shadow at 90-95.
void scene_base_palette(uint8_t* rgb768);
// Six materials of four shades from index `first`: main, accent, lights, dark metal,
// glass blue and black.
void livery_block(uint8_t* palette, int first, rgb8 main, rgb8 accent, rgb8 lights);

// The interface colours of the map and port screens at 152-163, in order: background, two line
// colours (orbits; the port's selection band), bright text, text, menu and selection, star,
// rings, jump target, highlight, grid and the text shadow.
constexpr int UI_COLOUR_FIRST = 152;
constexpr int UI_COLOUR_COUNT = 12;
extern const std::array<rgb8, UI_COLOUR_COUNT> UI_COLOURS;
// Writes the interface colours into a 256-entry RGB palette.
void ui_colours_apply(uint8_t* rgb768);

} // namespace vantrel
