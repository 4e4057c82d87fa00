// amiga_flight_demo: the program's life: start-up, the menu loop and the mode dispatch.
#pragma once

#include "shell/options.h"

namespace vantrel {

// Runs the game as the command line asked; returns the process exit code (0 after QUIT,
// 1 when start-up or a mode fails).
int game_main(const launch_options& options);

} // namespace vantrel
