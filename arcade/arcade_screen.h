// arcade_screen: ARCADE on the main menu: ZORIVE played on the screen of an arcade cabinet
// picture, with the ships drawn as the game's 3D models, falling stars and bursts.
//
// Settled here, where the rules of the screen leave a choice:
// - The cabinet's screen hole is every pixel of colour 0; a 320 x 256 picture without one is
//   no cabinet, and the plain 156 x 210 screen at (82, 23) is used.
// - Stars: from r = 625341585, for star i: r = xorshift(r), x = r mod hole width,
//   r = xorshift(r), y = r mod hole height; colour 90 + i mod 3.
// - Ships: focal 256 centred on the playfield; a ship at playfield (x, y) sits in view space at
//   ((x - 78) s, (105 - y) s, 256 s) with s = model radius / size, so it shows size pixels
//   wide wherever it is. Its back faces the viewer: nose up for the player and the life icons,
//   nose down in formation, along its velocity once that is 8 px/s or more (else nose down).
//   Light comes from the upper left, in front; shading mode 4 with triangle shading, else 3.
// - Bursts: a hit throws 8 sparks at 40 px/s for 300 ms, a kill or a player hit 30 embers at
//   60 px/s for 700 ms, two pixels wide, in the view space of the ship they come from.
// - The frame's dt comes from the date stamp; one below zero (midnight) or over 200 ms counts
//   as 20 ms.
// - "The first 3 s" count from the start of the current game.
#pragma once

#include <cstdint>

#include "arcade/shooter.h"
#include "platform/host.h"
#include "shell/game_mode.h"

namespace vantrel {

// The best score of this program run; kept between visits, never written to a file.
extern uint32_t g_arcade_best;

constexpr int ARCADE_SCREEN_W = 320, ARCADE_SCREEN_H = 256;

// The screen hole of the cabinet: per screen row the first and last hole pixel (-1: none)
// and the box around all of them.
struct cabinet_hole {
    int32_t left, top, width, height;
    int16_t first[ARCADE_SCREEN_H], last[ARCADE_SCREEN_H];
};

// The colour-0 pixels of a 320 x 256 picture; false when there are none.
bool cabinet_hole_scan(const uint8_t* pixels, cabinet_hole* out);
// The screen without a cabinet: 156 x 210 at (82, 23).
void cabinet_hole_plain(cabinet_hole* out);

// Centred text broken into lines that fit the frame's width less 3 (after the last space that
// fits, the space dropped; at 63 characters; or the widest prefix that fits), 10 pixels apart,
// with shadow colour 95. Returns the y below the last line.
int arcade_text(uint8_t* frame, int width, int height, int y, const char* text, uint8_t colour);

// Milliseconds between two date stamps as a frame's dt: below zero (the day turned over at
// midnight) or over 200 ms it counts as 20.
int32_t arcade_frame_ms(const amiga_datestamp* before, const amiga_datestamp* now);

// The arcade as a mode of the main menu.
bool arcade_mode_begin(const mode_request* request);
bool arcade_mode_step();
void arcade_mode_finish();

} // namespace vantrel
