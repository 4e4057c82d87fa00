// startup: the first steps of the program: the banner and start log, the settings and the
// message catalog, the screen mode, the processor and the timer, and what they found.
#pragma once

#include <cstdint>

namespace vantrel {

// The processor class found at start-up (1 68030, 2 68040, 3 68060, 0 not recognised) and
// whether a floating-point unit is present.
extern int32_t detected_cpu;
extern int g_has_fpu;

void startup_banner();
// Settings first (the catalog language is one of them), then the catalog, so that every
// text shown from here on is in the player's language.
void startup_settings_and_catalog();
void startup_screen_mode(uint32_t mode_id);
void startup_cpu();
void startup_timer();

} // namespace vantrel
