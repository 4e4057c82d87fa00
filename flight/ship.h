// ship: a ship's mass and volume budgets, the pilot's per-step input and the integrator.
//
// Motion is Newtonian without drag: thrust along the nose accelerates the ship by 1/mass,
// torque against a moment of inertia turns it, and speeds and turn rates saturate per axis.
#pragma once

#include <cstdint>

#include "core/fixmath.h"
#include "flight/flight_state.h"

namespace vantrel {

// The input of one step. Pitch turns the nose toward -y (down), yaw toward +x (right),
// throttle is the fraction of full thrust along +z; fire is not read by the integrator.
struct flight_controls {
    fix16 pitch, yaw, roll;
    fix16 throttle;
    int32_t fire;
};

// Tonnes. The capacity is the most the ship may weigh; it takes no part in the total.
struct mass_budget {
    fix16 capacity;
    fix16 components[4];
};

struct volume_budget {
    int32_t capacity;
    int32_t used;
};

// Per-axis saturation of the integrator: 30000.0 m/s and 3.0 rad/s.
constexpr fix16 SHIP_MAX_SPEED = 0x75300000;
constexpr fix16 SHIP_MAX_TURN_RATE = 3 * FIX16_ONE;

// What the flight gives every ship: 8000.0 of thrust, 3.0 of torque, extent 1.
constexpr fix16 SHIP_THRUST = 8000 * FIX16_ONE;
constexpr fix16 SHIP_TORQUE = 3 * FIX16_ONE;

fix16 mass_budget_total(const mass_budget* b);
int mass_budget_fits(const mass_budget* b, fix16 extra);
int volume_budget_fits(const volume_budget* b, int32_t extra);
int32_t volume_budget_remaining(const volume_budget* b);
fix16 ship_delta_v_capacity(fix16 impulse, const mass_budget* b);
fix16 extension_moment_of_inertia_factor(int32_t extent);

// One explicit Euler step: velocity first, then the position moved by the new velocity,
// then the turn applied in the ship's own frame and the orientation re-squared. A ship
// whose total mass is not positive is left exactly as it was.
void flight_integrate_split(flight_state* state, const flight_controls* controls, fix16 thrust,
                            fix16 torque, const mass_budget* masses, int32_t extent,
                            fix16 dt_linear, fix16 dt_angular);
void flight_integrate(flight_state* state, const flight_controls* controls, fix16 thrust,
                      fix16 torque, const mass_budget* masses, int32_t extent, fix16 dt);

} // namespace vantrel
