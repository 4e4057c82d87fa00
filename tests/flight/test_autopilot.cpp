// Aiming and the autopilot, alone and flying the game's integrator.
#include <cmath>
#include <gtest/gtest.h>

#include "flight/autopilot.h"
#include "flight/ship.h"

namespace vantrel {
namespace {

constexpr fix16 TICK = 1310;
constexpr int64_t M = int64_t{1} << 32; // a metre as fix32

flight_state at_rest() {
    flight_state s{};
    s.orientation = IDENTITY;
    return s;
}

TEST(Autopilot, HoldsStillAtTheStandoffOfAStillTarget) {
    flight_state s = at_rest();
    autopilot_goal g{{0, 0, 64 * FIX16_ONE},
                     {0, 0, 0},
                     64 * FIX16_ONE,
                     AUTOPILOT_MAX_SPEED,
                     fix16_div(SHIP_THRUST, 750 * FIX16_ONE)};
    autopilot_output out;
    EXPECT_EQ(autopilot_steer(&out, &s, &g, SHIP_TORQUE), &out);
    EXPECT_EQ(out.holding, 1);
    EXPECT_EQ(out.throttle, 0);
    EXPECT_EQ(out.distance, 64 * FIX16_ONE);
    EXPECT_EQ(out.error, 0);
}

TEST(Autopilot, AimTurnsHardTowardATargetBehindAndDampsTurns) {
    flight_state s = at_rest();
    autopilot_output out{};
    for (fix16 x : {1, 100, 30000, 65000}) { // however far off the axis
        vec3 right = {x, 0, -FIX16_ONE}, left = {-x, 0, -FIX16_ONE};
        EXPECT_EQ(aim(&s, &right, SHIP_TORQUE, &out), fix16_div(FIX16_ONE, SHIP_TORQUE));
        EXPECT_EQ(out.yaw, FIX16_ONE) << x;
        aim(&s, &left, SHIP_TORQUE, &out);
        EXPECT_EQ(out.yaw, -FIX16_ONE) << x;
    }
    vec3 up = {0, 30000, 58000};
    aim(&s, &up, 0, &out);   // a torque below 1 raw counts as 1.0
    EXPECT_LT(out.pitch, 0); // nose up is a negative pitch
    s.angular_velocity = vec3{0, 0, FIX16_ONE};
    vec3 ahead = {0, 0, FIX16_ONE};
    aim(&s, &ahead, SHIP_TORQUE, &out);
    EXPECT_EQ(out.roll, -FIX16_ONE);
}

// Squares by hand: the cross build's libm is kept out of the tests beyond sqrt.
double sq(double v) {
    return v * v;
}

struct flight_log {
    int steps_to_hold = -1, held_after = 0, thrust_steps = 0;
    double worst_rel_speed = 0, worst_thrust_cos = 1;
};

// Closes on a target from rest and checks three promises from the outside: it gets there,
// it keeps to its speed limit, and it only thrusts toward the velocity it wants, worked out
// here again in doubles.
flight_log fly(space_local target, vec3 target_v, int steps) {
    flight_state s = at_rest();
    mass_budget m{1000 * FIX16_ONE,
                  {400 * FIX16_ONE, 200 * FIX16_ONE, 100 * FIX16_ONE, 50 * FIX16_ONE}};
    const fix16 accel = fix16_div(SHIP_THRUST, mass_budget_total(&m));
    const double a = accel / 65536.0;
    const fix16 tv[3] = {target_v.x, target_v.y, target_v.z};
    flight_log log;
    for (int i = 0; i < steps; i++) {
        autopilot_goal g{{fix32_narrow(target.x - s.position.x),
                          fix32_narrow(target.y - s.position.y),
                          fix32_narrow(target.z - s.position.z)},
                         target_v,
                         64 * FIX16_ONE,
                         AUTOPILOT_MAX_SPEED,
                         accel};
        autopilot_output out;
        autopilot_steer(&out, &s, &g, SHIP_TORQUE);
        if (out.holding && log.steps_to_hold < 0) log.steps_to_hold = i;
        if (log.steps_to_hold >= 0) log.held_after += out.holding;

        const fix16 rel[3] = {g.rel.x, g.rel.y, g.rel.z};
        const fix16 sv[3] = {s.velocity.x, s.velocity.y, s.velocity.z};
        double d = std::sqrt(sq(rel[0]) + sq(rel[1]) + sq(rel[2])) / 65536;
        double gap = d - 64;
        double close = std::min({std::fabs(gap) / 4, 150.0, std::sqrt(std::fabs(gap) * a)});
        double e[3], len = 0, dot = 0, rel_v = 0;
        vec3 f = mat3_column(&s.orientation, 2);
        const fix16 fw[3] = {f.x, f.y, f.z};
        for (int k = 0; k < 3; k++) {
            e[k] = rel[k] / 65536.0 / d * std::copysign(close, gap) + (tv[k] - sv[k]) / 65536.0;
            len += e[k] * e[k];
            dot += e[k] * fw[k] / 65536.0;
        }
        if (out.throttle > 0 && len > 1e-6) {
            log.worst_thrust_cos = std::min(log.worst_thrust_cos, dot / std::sqrt(len));
            log.thrust_steps++;
        }

        flight_controls c{out.pitch, out.yaw, out.roll, out.throttle, 0};
        flight_integrate(&s, &c, SHIP_THRUST, SHIP_TORQUE, &m, 1, TICK);
        target.x += int64_t{tv[0]} * TICK;
        target.y += int64_t{tv[1]} * TICK;
        target.z += int64_t{tv[2]} * TICK;
        const fix16 now[3] = {s.velocity.x, s.velocity.y, s.velocity.z};
        for (int k = 0; k < 3; k++) rel_v += sq((now[k] - tv[k]) / 65536.0);
        log.worst_rel_speed = std::max(log.worst_rel_speed, std::sqrt(rel_v));
    }
    return log;
}

// A still target five kilometres away behind the ship, and one moving at 50 m/s: each is
// reached within a minute and a half, and held.
TEST(Autopilot, ClosesOnStillAndMovingTargets) {
    const struct {
        space_local at;
        vec3 v;
        int steps;
    } cases[] = {{{3000 * M, 0, -4000 * M}, {0, 0, 0}, 50 * 240},
                 {{0, 3000 * M, 4000 * M}, {50 * FIX16_ONE, 0, 0}, 50 * 300}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.v.x);
        flight_log log = fly(k.at, k.v, k.steps);
        ASSERT_GE(log.steps_to_hold, 0) << "never held station";
        EXPECT_LT(log.steps_to_hold, 50 * 90);
        EXPECT_LE(log.worst_rel_speed, 152.0);
        EXPECT_GT(log.thrust_steps, 100);
        EXPECT_GT(log.worst_thrust_cos, 0.85);
        EXPECT_GT(log.held_after, (k.steps - log.steps_to_hold) * 9 / 10); // and stays there
    }
}

} // namespace
} // namespace vantrel
