// ship: budgets and the fixed-step integrator.
#include "flight/ship.h"

namespace vantrel {

namespace {

fix16 clamp_fix16(fix16 v, fix16 limit) {
    if (v > limit) return limit;
    if (v < -limit) return -limit;
    return v;
}

vec3 clamp_vec3(vec3 v, fix16 limit) {
    return vec3{clamp_fix16(v.x, limit), clamp_fix16(v.y, limit), clamp_fix16(v.z, limit)};
}

// The turn of one step as small-angle rotations about the ship's own axes, sine taken as
// the angle and cosine as 1: the re-squaring afterwards removes the growth this causes.
mat3 small_turn(fix16 ax, fix16 ay, fix16 az) {
    const fix16 one = FIX16_ONE;
    mat3 rx = {{one, 0, 0, 0, one, wrap_sub32(0, ax), 0, ax, one}};
    mat3 ry = {{one, 0, ay, 0, one, 0, wrap_sub32(0, ay), 0, one}};
    mat3 rz = {{one, wrap_sub32(0, az), 0, az, one, 0, 0, 0, one}};
    mat3 yz, turn;
    mat3_mul(&yz, &ry, &rz);
    mat3_mul(&turn, &rx, &yz);
    return turn;
}

} // namespace

fix16 mass_budget_total(const mass_budget* b) {
    fix16 total = 0;
    for (fix16 c : b->components) total = wrap_add32(total, c);
    return total;
}

// The sums are formed in 64 bits: a wrapped sum would let an absurd load "fit".
int mass_budget_fits(const mass_budget* b, fix16 extra) {
    return int64_t{mass_budget_total(b)} + extra <= b->capacity ? 1 : 0;
}

int volume_budget_fits(const volume_budget* b, int32_t extra) {
    return int64_t{b->used} + extra <= b->capacity ? 1 : 0;
}

int32_t volume_budget_remaining(const volume_budget* b) {
    int64_t left = int64_t{b->capacity} - b->used;
    if (left < 0) return 0;
    return left > INT32_MAX ? INT32_MAX : static_cast<int32_t>(left);
}

fix16 ship_delta_v_capacity(fix16 impulse, const mass_budget* b) {
    fix16 m = mass_budget_total(b);
    return m > 0 ? fix16_div(impulse, m) : 0;
}

fix16 extension_moment_of_inertia_factor(int32_t extent) {
    uint32_t e = static_cast<uint32_t>(extent);
    return static_cast<fix16>((e * e) << 16);
}

void flight_integrate_split(flight_state* state, const flight_controls* controls, fix16 thrust,
                            fix16 torque, const mass_budget* masses, int32_t extent,
                            fix16 dt_linear, fix16 dt_angular) {
    fix16 m = mass_budget_total(masses);
    if (m <= 0) return;

    vec3 force = {0, 0, fix16_mul(thrust, controls->throttle)};
    vec3 accel_local, accel_world, dv;
    vec3_scale(&accel_local, &force, fix16_div(FIX16_ONE, m));
    mat3_apply(&accel_world, &state->orientation, &accel_local);
    vec3_scale(&dv, &accel_world, dt_linear);
    vec3_add(&state->velocity, &state->velocity, &dv);
    state->velocity = clamp_vec3(state->velocity, SHIP_MAX_SPEED);

    // fix16 m/s times fix16 s is already a fix32 displacement: kept whole, never narrowed.
    const vec3& v = state->velocity;
    space_local& p = state->position;
    p.x = wrap_add64(p.x, int64_t{v.x} * dt_linear);
    p.y = wrap_add64(p.y, int64_t{v.y} * dt_linear);
    p.z = wrap_add64(p.z, int64_t{v.z} * dt_linear);

    fix16 k = fix16_div(torque, extension_moment_of_inertia_factor(extent));
    vec3 command = {controls->pitch, controls->yaw, controls->roll};
    vec3 alpha, dw;
    vec3_scale(&alpha, &command, k);
    vec3_scale(&dw, &alpha, dt_angular);
    vec3_add(&state->angular_velocity, &state->angular_velocity, &dw);
    state->angular_velocity = clamp_vec3(state->angular_velocity, SHIP_MAX_TURN_RATE);

    const vec3& w = state->angular_velocity;
    mat3 turn = small_turn(fix16_mul(w.x, dt_angular), fix16_mul(w.y, dt_angular),
                           fix16_mul(w.z, dt_angular));
    mat3 turned;
    mat3_mul(&turned, &state->orientation, &turn);
    mat3_orthonormalize(&state->orientation, &turned);
}

void flight_integrate(flight_state* state, const flight_controls* controls, fix16 thrust,
                      fix16 torque, const mass_budget* masses, int32_t extent, fix16 dt) {
    flight_integrate_split(state, controls, thrust, torque, masses, extent, dt, dt);
}

} // namespace vantrel
