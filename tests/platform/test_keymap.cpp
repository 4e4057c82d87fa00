// The SDL scancode table: every key the game names is there exactly once, nothing maps
// twice, and the host's own keys never reach the game.
#if VANTREL_HAVE_SDL
#include <gtest/gtest.h>
#include <set>
#include <utility>

#include "platform/sdl/sdl_keymap.h"

namespace vantrel {
namespace {

TEST(Keymap, GameKeysPresentOnceAndHostKeysAbsent) {
    int count = 0;
    const sdl_key_pair* keys = sdl_key_pairs(&count);
    std::set<int> scancodes;
    std::multiset<int> raws;
    for (int i = 0; i < count; i++) {
        EXPECT_TRUE(scancodes.insert(keys[i].scancode).second) << "scancode " << keys[i].scancode;
        EXPECT_GE(keys[i].raw, 0);
        EXPECT_LE(keys[i].raw, 0x67);
        raws.insert(keys[i].raw);
    }
    // The keys the game reads, and the letters its bindings and pages use.
    const int game_keys[] = {0x0B, 0x0C, 0x40, 0x41, 0x42, 0x43, 0x44, 0x45, 0x4A, 0x4C,
                             0x4D, 0x4E, 0x4F, 0x50, 0x51, 0x52, 0x53, 0x54, 0x55, 0x56,
                             0x57, 0x58, 0x59, 0x5E, 0x20, 0x21, 0x22, 0x11, 0x36, 0x37};
    for (int raw : game_keys) EXPECT_EQ(raws.count(raw), 1u) << "raw key " << raw;
    // Only Ctrl has two host keys (the Amiga has one Ctrl).
    for (int raw : raws)
        if (raw != 0x63) {
            EXPECT_EQ(raws.count(raw), 1u) << "raw key " << raw;
        }

    // Insert is Help, left GUI the left Amiga key; host keys and codes off the table give -1.
    // Scancodes are kept as ints here: an enum object holding -5 is not a valid value.
    const std::pair<int, int> MAPPED[] = {
        {SDL_SCANCODE_F11, -1},       {SDL_SCANCODE_PRINTSCREEN, -1}, {SDL_SCANCODE_ESCAPE, 0x45},
        {SDL_SCANCODE_KP_PLUS, 0x5E}, {SDL_SCANCODE_W, 0x11},         {SDL_SCANCODE_0, 0x0A},
        {SDL_SCANCODE_INSERT, 0x5F},  {SDL_SCANCODE_LGUI, 0x66},      {-5, -1},
        {SDL_NUM_SCANCODES, -1}};
    for (auto [scancode, raw] : MAPPED)
        EXPECT_EQ(sdl_scancode_to_raw(static_cast<SDL_Scancode>(scancode)), raw) << scancode;
}

} // namespace
} // namespace vantrel
#endif
