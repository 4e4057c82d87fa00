// clock: the game's microsecond clock over the timer, the frame-rate cap every mode loop
// waits on once a frame, and date-stamp arithmetic.
#pragma once

#include <cstdint>

#include "platform/host.h"

namespace vantrel {

extern int g_eclock_ok; // the tick counter is open; clock_us reads it

uint32_t clock_us();
// Forgets the previous counter reading (for a fresh start after the counter reopens).
void clock_us_reset();
void frame_cap_wait(uint32_t* last_us, uint32_t period_us);

// Milliseconds from one date stamp to another, as the menus, scenes and messages count them:
// never negative, at most INT32_MAX.
int32_t datestamp_elapsed_ms(const amiga_datestamp* from, const amiga_datestamp* to);

} // namespace vantrel
