// prof_amiga: the fine tick counter for render timing, with its rate and read cost.
//
// On Linux the counter is the host clock in microseconds (a 1 MHz "E-clock"): fine enough
// for stage timing, and its 2,000,000-tick cap in clock_us stays two seconds as designed.
#pragma once

#include <cstdint>

namespace vantrel {

int prof_init();
void prof_close();
uint32_t prof_now();
uint64_t prof_now64();
uint32_t prof_hz();
uint32_t prof_read_cost();
uint32_t prof_ticks_to_us(uint32_t ticks);
// The conversion for any rate, so that it can be checked against the Amiga's.
uint32_t prof_ticks_to_us_at(uint32_t ticks, uint32_t hz);

} // namespace vantrel
