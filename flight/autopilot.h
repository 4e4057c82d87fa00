// autopilot: flies the ship to a standing point near a target through the pilot's controls.
//
// It keeps no state of its own: every physics step it looks at where the target is and how
// fast both move, wants a closing speed it can still brake from at half its acceleration,
// turns the nose toward the needed change of velocity and thrusts only once the nose points
// within about 25 degrees of it, so it never thrusts backwards.
#pragma once

#include <cstdint>

#include "core/fixmath.h"
#include "flight/flight_state.h"

namespace vantrel {

struct autopilot_goal {
    vec3 rel;             // target position - ship position, metres
    vec3 target_velocity; // m/s
    fix16 standoff;       // the distance to hold from the target's centre
    fix16 max_speed;      // closing speed never asked beyond this
    fix16 accel;          // the ship's acceleration capacity, m/s^2
};

// The first four fields are those of flight_controls.
struct autopilot_output {
    fix16 pitch, yaw, roll;
    fix16 throttle;
    fix16 distance; // |rel|
    fix16 error;    // |desired velocity - velocity|
    int32_t holding;
};

constexpr fix16 AUTOPILOT_MAX_SPEED = 150 * FIX16_ONE;
// cos 25 degrees: the nose must be this close to the wanted velocity change to thrust.
constexpr fix16 AUTOPILOT_THRUST_COS = 59399;

// Pitch, yaw and roll commands turning the nose toward the unit vector dir while damping
// the turn rates. Returns 1/torque (torque below 1 raw taken as 1.0).
fix16 aim(const flight_state* state, const vec3* dir, fix16 torque, autopilot_output* out);
autopilot_output* autopilot_steer(autopilot_output* out, const flight_state* state,
                                  const autopilot_goal* goal, fix16 torque);

} // namespace vantrel
