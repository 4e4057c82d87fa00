// port_screen: PORT (TEST) on the main menu: the port's own 320 x 256 screen, "Vantrel
// Port", with its places, menus, ad board and the faces of the people the player talks to.
//
// Each frame clears, draws, waits for the frame-rate cap and presents, then takes the input:
// every queued key, then a click, then at most one action (port.h). The portrait stands at
// (258, 30) in every place with a person but the board, whose entries need the full width.
#pragma once

#include <cstdint>

#include "shell/game_mode.h"
#include "trade/port.h"

namespace vantrel {

constexpr int PORT_SCREEN_W = 320, PORT_SCREEN_H = 256;

// The portrait colours at 184-247: group g, colour j is the table's colour j scaled by the
// group's eighths (truncated).
void port_portrait_colours(uint8_t* rgb768);
// One whole frame of the state: background, clock, texts, the board's band and arrows, the
// portrait.
void port_draw(const port_state* s, const port_layout* layout, uint8_t* frame);

// The port as a mode of the main menu; run_port runs it from begin to finish.
bool port_mode_begin(const mode_request* request);
bool port_mode_step();
void port_mode_finish();
void run_port(const frame_target* target);

} // namespace vantrel
