// amiga_flight_demo: the program's life: start-up, the menu loop and the mode dispatch.
#pragma once

#include <cstdint>

#include "shell/options.h"

namespace vantrel {

// The processor class found at start-up (1 68030, 2 68040, 3 68060, 0 not recognised) and
// whether a floating-point unit is present.
extern int32_t detected_cpu;
extern int g_has_fpu;
// The menu's music switch (M); it outlives the menu screen.
extern int g_music_muted;
// The mode handed to the flight loop: 0 the game, 1 the orbit demo, 2 the dock demo.
extern int32_t g_scene;

// Runs the game as the command line asked; returns the process exit code (0 after QUIT,
// 1 when start-up or a mode fails).
int game_main(const launch_options& options);

} // namespace vantrel
