// sdl_keymap: the translation table, by the rows of the Amiga keyboard.
#include "platform/sdl/sdl_keymap.h"

#include <array>

namespace vantrel {

namespace {

constexpr sdl_key_pair KEYS[] = {
    // Top row: ` 1-9 0 - = \, keypad 0.
    {SDL_SCANCODE_GRAVE, 0x00},
    {SDL_SCANCODE_1, 0x01},
    {SDL_SCANCODE_2, 0x02},
    {SDL_SCANCODE_3, 0x03},
    {SDL_SCANCODE_4, 0x04},
    {SDL_SCANCODE_5, 0x05},
    {SDL_SCANCODE_6, 0x06},
    {SDL_SCANCODE_7, 0x07},
    {SDL_SCANCODE_8, 0x08},
    {SDL_SCANCODE_9, 0x09},
    {SDL_SCANCODE_0, 0x0A},
    {SDL_SCANCODE_MINUS, 0x0B},
    {SDL_SCANCODE_EQUALS, 0x0C},
    {SDL_SCANCODE_BACKSLASH, 0x0D},
    {SDL_SCANCODE_KP_0, 0x0F},
    // Q row, keypad 1-3.
    {SDL_SCANCODE_Q, 0x10},
    {SDL_SCANCODE_W, 0x11},
    {SDL_SCANCODE_E, 0x12},
    {SDL_SCANCODE_R, 0x13},
    {SDL_SCANCODE_T, 0x14},
    {SDL_SCANCODE_Y, 0x15},
    {SDL_SCANCODE_U, 0x16},
    {SDL_SCANCODE_I, 0x17},
    {SDL_SCANCODE_O, 0x18},
    {SDL_SCANCODE_P, 0x19},
    {SDL_SCANCODE_LEFTBRACKET, 0x1A},
    {SDL_SCANCODE_RIGHTBRACKET, 0x1B},
    {SDL_SCANCODE_KP_1, 0x1D},
    {SDL_SCANCODE_KP_2, 0x1E},
    {SDL_SCANCODE_KP_3, 0x1F},
    // A row, the international key beside Return, keypad 4-6.
    {SDL_SCANCODE_A, 0x20},
    {SDL_SCANCODE_S, 0x21},
    {SDL_SCANCODE_D, 0x22},
    {SDL_SCANCODE_F, 0x23},
    {SDL_SCANCODE_G, 0x24},
    {SDL_SCANCODE_H, 0x25},
    {SDL_SCANCODE_J, 0x26},
    {SDL_SCANCODE_K, 0x27},
    {SDL_SCANCODE_L, 0x28},
    {SDL_SCANCODE_SEMICOLON, 0x29},
    {SDL_SCANCODE_APOSTROPHE, 0x2A},
    {SDL_SCANCODE_NONUSHASH, 0x2B},
    {SDL_SCANCODE_KP_4, 0x2D},
    {SDL_SCANCODE_KP_5, 0x2E},
    {SDL_SCANCODE_KP_6, 0x2F},
    // Z row with the international key left of Z, keypad point and 7-9.
    {SDL_SCANCODE_NONUSBACKSLASH, 0x30},
    {SDL_SCANCODE_Z, 0x31},
    {SDL_SCANCODE_X, 0x32},
    {SDL_SCANCODE_C, 0x33},
    {SDL_SCANCODE_V, 0x34},
    {SDL_SCANCODE_B, 0x35},
    {SDL_SCANCODE_N, 0x36},
    {SDL_SCANCODE_M, 0x37},
    {SDL_SCANCODE_COMMA, 0x38},
    {SDL_SCANCODE_PERIOD, 0x39},
    {SDL_SCANCODE_SLASH, 0x3A},
    {SDL_SCANCODE_KP_PERIOD, 0x3C},
    {SDL_SCANCODE_KP_7, 0x3D},
    {SDL_SCANCODE_KP_8, 0x3E},
    {SDL_SCANCODE_KP_9, 0x3F},
    // Space, editing keys, cursor keys.
    {SDL_SCANCODE_SPACE, 0x40},
    {SDL_SCANCODE_BACKSPACE, 0x41},
    {SDL_SCANCODE_TAB, 0x42},
    {SDL_SCANCODE_KP_ENTER, 0x43},
    {SDL_SCANCODE_RETURN, 0x44},
    {SDL_SCANCODE_ESCAPE, 0x45},
    {SDL_SCANCODE_DELETE, 0x46},
    {SDL_SCANCODE_KP_MINUS, 0x4A},
    {SDL_SCANCODE_UP, 0x4C},
    {SDL_SCANCODE_DOWN, 0x4D},
    {SDL_SCANCODE_RIGHT, 0x4E},
    {SDL_SCANCODE_LEFT, 0x4F},
    // Function keys F1-F10.
    {SDL_SCANCODE_F1, 0x50},
    {SDL_SCANCODE_F2, 0x51},
    {SDL_SCANCODE_F3, 0x52},
    {SDL_SCANCODE_F4, 0x53},
    {SDL_SCANCODE_F5, 0x54},
    {SDL_SCANCODE_F6, 0x55},
    {SDL_SCANCODE_F7, 0x56},
    {SDL_SCANCODE_F8, 0x57},
    {SDL_SCANCODE_F9, 0x58},
    {SDL_SCANCODE_F10, 0x59},
    // Keypad top row ( ) / * and +; Insert stands for Help.
    {SDL_SCANCODE_NUMLOCKCLEAR, 0x5A},
    {SDL_SCANCODE_KP_DIVIDE, 0x5C},
    {SDL_SCANCODE_KP_MULTIPLY, 0x5D},
    {SDL_SCANCODE_KP_PLUS, 0x5E},
    {SDL_SCANCODE_INSERT, 0x5F},
    // Qualifiers: shifts, Caps Lock, Ctrl (one on the Amiga), Alts, the Amiga keys.
    {SDL_SCANCODE_LSHIFT, 0x60},
    {SDL_SCANCODE_RSHIFT, 0x61},
    {SDL_SCANCODE_CAPSLOCK, 0x62},
    {SDL_SCANCODE_LCTRL, 0x63},
    {SDL_SCANCODE_RCTRL, 0x63},
    {SDL_SCANCODE_LALT, 0x64},
    {SDL_SCANCODE_RALT, 0x65},
    {SDL_SCANCODE_LGUI, 0x66},
    {SDL_SCANCODE_RGUI, 0x67},
};

} // namespace

const sdl_key_pair* sdl_key_pairs(int* count) {
    *count = static_cast<int>(sizeof KEYS / sizeof KEYS[0]);
    return KEYS;
}

namespace {

// The pairs spread into a direct lookup by scancode, built once at compile time.
constexpr std::array<signed char, SDL_NUM_SCANCODES> make_lookup() {
    std::array<signed char, SDL_NUM_SCANCODES> t{};
    for (auto& v : t) v = -1;
    for (const sdl_key_pair& p : KEYS) t[p.scancode] = static_cast<signed char>(p.raw);
    return t;
}
constexpr std::array<signed char, SDL_NUM_SCANCODES> LOOKUP = make_lookup();

} // namespace

int sdl_scancode_to_raw(SDL_Scancode scancode) {
    if (scancode < 0 || scancode >= SDL_NUM_SCANCODES) return -1;
    return LOOKUP[scancode];
}

} // namespace vantrel
