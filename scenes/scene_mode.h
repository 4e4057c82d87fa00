// scene_mode: the scene player as the program uses it: the intro played at start-up, the
// ship show on the main menu, and the title scene behind the menu.
#pragma once

#include "shell/game_mode.h"
#include "shell/menu_loop.h"

namespace vantrel {

// Plays the scene on a screen of its own until it ends, or a key, a mouse button or the quit
// signal stops it; the key that stops it never reaches whoever runs next. Draws into the
// caller's buffers; frees the scene's cached models when done.
void run_scene(const char* name, const frame_target* target);

// The title behind the menu (title_view; the menu stands on black without it).
extern const menu_backdrop TITLE_BACKDROP;

// DEMO (ships): the ship show, "lode".
bool ship_show_begin(const mode_request* request);
bool ship_show_step();
void ship_show_finish();

} // namespace vantrel
