// menu_loop: the main menu, visit after visit, and the modes its choices run.
#pragma once

#include "shell/game_mode.h"

namespace vantrel {

// The menu's music switch (M); it outlives the menu screen.
extern int g_music_muted;

// The modes of the main menu's entries, START to PORT, in entry order.
constexpr int MENU_MODE_COUNT = 7;

// Menu, mode, menu again, until QUIT or the quit signal: 0, or 1 when a mode fails. Every
// mode draws into the one set of screen buffers the menu itself uses.
int menu_loop(const game_mode modes[MENU_MODE_COUNT]);

} // namespace vantrel
