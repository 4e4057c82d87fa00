// sdl_keymap: SDL scancodes (physical key positions, so any layout works) to Amiga raw keys.
#pragma once

#include <SDL2/SDL_scancode.h>

namespace vantrel {

struct sdl_key_pair {
    SDL_Scancode scancode;
    int raw;
};

// The table of every translated key; scancodes absent from it (F11, F12, Print Screen,
// Home, End, ...) never reach the game.
const sdl_key_pair* sdl_key_pairs(int* count);

// The raw key code of a scancode, or -1 when the key has none.
int sdl_scancode_to_raw(SDL_Scancode scancode);

} // namespace vantrel
