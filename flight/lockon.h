// lockon: the timer that decides when a missile has held its target long enough to lock.
#pragma once

#include <cstdint>

#include "core/fixmath.h"

namespace vantrel {

// id names the target being framed (the cockpit uses index + 1, so 0 is "none");
// time is how long it has been framed without a break, fix16 seconds.
struct lockon_state {
    int32_t id;
    fix16 time;
};

// Continuous framing needed: 1.5 s for the infrared missile, 3.0 s for the radar missile.
constexpr fix16 LOCKON_IR_TIME = 0x18000;
constexpr fix16 LOCKON_RADAR_TIME = 0x30000;

void lockon_state_init(lockon_state* s);
// Framing the same id adds dt; a new id restarts at dt; a frame out of frame restarts at 0.
void lockon_tick(lockon_state* s, int32_t id, int in_frame, fix16 dt);
int lockon_is_locked(const lockon_state* s, int32_t id, fix16 required);
fix16 lockon_required_time(fix16 a, fix16 b);

} // namespace vantrel
