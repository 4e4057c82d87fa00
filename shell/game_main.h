// game_main: the program assembled: start-up, then the menu over the table of every mode.
#pragma once

#include "shell/options.h"

namespace vantrel {

// Runs the game as the command line asked; returns the process exit code (0 after QUIT,
// 1 when start-up or a mode fails).
int game_main(const launch_options& options);

} // namespace vantrel
