// autopilot: aiming and the closing-speed rule.
#include "flight/autopilot.h"

namespace vantrel {

namespace {

// Plain 32-bit multiplications by small integers, wrapping like the rest of the arithmetic.
fix16 times2(fix16 v) {
    return static_cast<fix16>(static_cast<uint32_t>(v) * 2u);
}
fix16 times4(fix16 v) {
    return static_cast<fix16>(static_cast<uint32_t>(v) * 4u);
}

fix16 clamp_unit(fix16 v) {
    if (v > FIX16_ONE) return FIX16_ONE;
    if (v < -FIX16_ONE) return -FIX16_ONE;
    return v;
}

fix16 magnitude(fix16 v) {
    if (v == FIX16_MIN) return FIX16_MAX;
    return v < 0 ? -v : v;
}

fix16 min_fix16(fix16 a, fix16 b) {
    return a < b ? a : b;
}

} // namespace

fix16 aim(const flight_state* state, const vec3* dir, fix16 torque, autopilot_output* out) {
    mat3 to_ship;
    vec3 local;
    mat3_transpose(&to_ship, &state->orientation);
    mat3_apply(&local, &to_ship, dir);

    // Ahead: turn in proportion to the sideways offset. Level or behind: the offset says
    // nothing useful about how far to turn, so turn hard toward the nearer side.
    fix16 yaw_err;
    if (local.z >= 1)
        yaw_err = times4(local.x);
    else
        yaw_err = local.x < 0 ? -4 * FIX16_ONE : 4 * FIX16_ONE;

    fix16 k = fix16_div(FIX16_ONE, torque < 1 ? FIX16_ONE : torque);
    const vec3& w = state->angular_velocity;
    fix16 pitch_err = wrap_sub32(wrap_sub32(0, local.y), w.x);
    out->pitch = clamp_unit(fix16_mul(times4(pitch_err), k));
    out->yaw = clamp_unit(fix16_mul(wrap_sub32(yaw_err, times4(w.y)), k));
    out->roll = clamp_unit(fix16_mul(wrap_sub32(0, times4(w.z)), k));
    return k;
}

autopilot_output* autopilot_steer(autopilot_output* out, const flight_state* state,
                                  const autopilot_goal* goal, fix16 torque) {
    out->pitch = out->yaw = out->roll = out->throttle = 0;

    fix16 d = vec3_length(&goal->rel);
    vec3 dir = {0, 0, FIX16_ONE};
    if (d > 0) vec3_normalize(&dir, &goal->rel);

    // s > 0: too far, s < 0: too close. The closing speed is a quarter of the gap per
    // second, no more than the goal allows, and no more than the speed from which half the
    // ship's acceleration still stops it within the gap.
    fix16 s = wrap_sub32(d, goal->standoff);
    fix16 gap = magnitude(s);
    fix16 v = min_fix16(gap >> 2, goal->max_speed);
    fix16 half_accel = goal->accel >> 1;
    fix16 brake = fix16_mul(fix16_sqrt(gap), fix16_sqrt(times2(half_accel)));
    v = min_fix16(v, brake);
    if (s < 0) v = wrap_sub32(0, v);

    vec3 desired, e;
    vec3_scale(&desired, &dir, v);
    vec3_add(&desired, &desired, &goal->target_velocity);
    vec3_sub(&e, &desired, &state->velocity);
    fix16 err = vec3_length(&e);

    fix16 near = wrap_add32(fix16_div(goal->standoff, 10 * FIX16_ONE), 2 * FIX16_ONE);
    out->holding = gap <= near && err <= 2 * FIX16_ONE ? 1 : 0;

    if (err <= FIX16_ONE) {
        aim(state, &dir, torque, out);
    } else {
        vec3 e_dir;
        vec3_normalize(&e_dir, &e);
        aim(state, &e_dir, torque, out);
        vec3 forward = mat3_column(&state->orientation, 2);
        if (vec3_dot(&forward, &e_dir) > AUTOPILOT_THRUST_COS) {
            if (half_accel < 1)
                out->throttle = FIX16_ONE;
            else
                out->throttle = min_fix16(fix16_div(err, half_accel), FIX16_ONE);
        }
    }
    out->distance = d;
    out->error = err;
    return out;
}

} // namespace vantrel
