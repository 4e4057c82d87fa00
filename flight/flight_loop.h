// flight_loop: the flight mode: one frame loop of input, fixed-tick simulation under the
// time warp, the 3D view, the HUD and the cockpit panel, until the pilot leaves with Escape.
#pragma once

#include <cstdint>

#include "flight/cockpit_panel.h"
#include "shell/game_mode.h"

namespace vantrel {

// The cockpit panel read at start-up; the file buffer stays loaded for the whole run.
extern int g_cp_ok;
extern cockpit_panel g_cp_panel;

// Start-up: reads and parses "PROGDIR:cockpit.cpt" and prints which panel the flight uses.
void cockpit_panel_load();

// Developer tracing (--trace): the flight prints what the pilot sees on screen but the
// console does not carry: centre messages, on-screen notices, the selected target's distance.
extern int g_flight_trace;

// Runs one flight of the requested variant (0 the game, 1 the orbit demo, 2 the dock demo) in
// the screen buffers the request lends; 0 when it ended normally, 1 when it could not start.
int run_flight(const mode_request* request);

// The same flight in three calls, the flight's entry in the mode table: start (false when it
// could not), one frame (false once the flight has ended), and the end lines and clean-up.
bool flight_begin(const mode_request* request);
bool flight_step();
void flight_finish();
// A key pressed and released on the flight's screen, as if typed (benchmarks drive the
// flight's pages with it).
void flight_type_key(int raw_key);

} // namespace vantrel
