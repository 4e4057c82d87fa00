// menu_loop: the main menu, visit after visit, and the modes its choices run.
#pragma once

#include <cstdint>

#include "platform/present_amiga.h"
#include "shell/game_mode.h"

namespace vantrel {

// The menu's music switch (M); it outlives the menu screen.
extern int g_music_muted;

// The modes of the main menu's entries, START to PORT, in entry order.
constexpr int MENU_MODE_COUNT = 7;

// What the menu stands over (the program hands in the title scene).
struct menu_backdrop {
    // At every opening: the palette; returns the row of the page's first entry.
    int (*open)(uint8_t* palette768);
    // Each frame before the page, ms since the opening and since the previous frame; shading
    // is the shade mode the models take. It may change the palette's colours.
    void (*draw)(const frame_target* target, uint32_t ms, uint32_t dt, int shading,
                 uint8_t* palette768);
    // After the page: the palette for this moment onto the screen.
    void (*show_palette)(present_screen* screen, uint32_t ms, const uint8_t* palette768,
                         int* state);
};

// The program's one set of screen buffers, which the menu and every mode draw into in turn.
frame_target menu_screen_buffers();

// Menu, mode, menu again, until QUIT or the quit signal: 0, or 1 when a mode fails.
int menu_loop(const game_mode modes[MENU_MODE_COUNT], const menu_backdrop* backdrop);

} // namespace vantrel
