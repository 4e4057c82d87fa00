// Aiming and the autopilot, alone and flying the real integrator.
#include <cmath>
#include <gtest/gtest.h>

#include "flight/autopilot.h"
#include "flight/ship.h"

namespace vantrel {
namespace {

constexpr fix16 TICK = 1310;

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
    EXPECT_EQ(out.pitch, 0);
    EXPECT_EQ(out.yaw, 0);
}

TEST(Autopilot, ATargetBehindCommandsFullYawTowardItsSide) {
    flight_state s = at_rest();
    autopilot_output out{};
    for (fix16 x : {1, 100, 30000, 65000}) {
        vec3 dir = {x, 0, -FIX16_ONE};
        vec3_normalize(&dir, &dir);
        EXPECT_EQ(aim(&s, &dir, SHIP_TORQUE, &out), fix16_div(FIX16_ONE, SHIP_TORQUE));
        EXPECT_EQ(out.yaw, FIX16_ONE) << x;
        vec3 left = {-dir.x, dir.y, dir.z};
        aim(&s, &left, SHIP_TORQUE, &out);
        EXPECT_EQ(out.yaw, -FIX16_ONE) << x;
    }
    // Straight behind counts as "not left": turn right. A tiny torque counts as 1.0.
    vec3 back = {0, 0, -FIX16_ONE};
    EXPECT_EQ(aim(&s, &back, 0, &out), FIX16_ONE);
    EXPECT_EQ(out.yaw, FIX16_ONE);
    // Above the nose: pitch up, which is a negative pitch command.
    vec3 up = {0, 30000, 58000};
    aim(&s, &up, SHIP_TORQUE, &out);
    EXPECT_LT(out.pitch, 0);
    // A turn already under way is damped: roll rate alone gives an opposing roll.
    s.angular_velocity = vec3{0, 0, FIX16_ONE};
    vec3 ahead = {0, 0, FIX16_ONE};
    aim(&s, &ahead, SHIP_TORQUE, &out);
    EXPECT_EQ(out.roll, -FIX16_ONE);
}

// Closes on a target from rest, with the integrator of the game, and checks three
// promises from the outside: it gets there, it keeps its speed limit, it never pushes
// away from the velocity it wants.
struct flight_log {
    int steps_to_hold = -1;
    double worst_rel_speed = 0;
    double worst_thrust_cos = 1;
    int thrust_steps = 0;
    int holding_after = 0;
};

flight_log fly(space_local target, vec3 target_velocity, int max_steps) {
    flight_state s = at_rest();
    mass_budget m{1000 * FIX16_ONE,
                  {400 * FIX16_ONE, 200 * FIX16_ONE, 100 * FIX16_ONE, 50 * FIX16_ONE}};
    const fix16 accel = fix16_div(SHIP_THRUST, mass_budget_total(&m));
    const fix16 radius = 8 * FIX16_ONE;
    flight_log run;
    for (int i = 0; i < max_steps; i++) {
        autopilot_goal g;
        int64_t d[3] = {target.x - s.position.x, target.y - s.position.y, target.z - s.position.z};
        fix16* rel[3] = {&g.rel.x, &g.rel.y, &g.rel.z};
        for (int a = 0; a < 3; a++) *rel[a] = fix32_narrow(d[a]);
        g.target_velocity = target_velocity;
        g.standoff = 3 * radius + 40 * FIX16_ONE;
        g.max_speed = AUTOPILOT_MAX_SPEED;
        g.accel = accel;
        autopilot_output out;
        autopilot_steer(&out, &s, &g, SHIP_TORQUE);
        if (out.holding && run.steps_to_hold < 0) run.steps_to_hold = i;
        if (run.steps_to_hold >= 0) run.holding_after += out.holding;

        // The wanted velocity worked out independently in doubles.
        double r[3] = {g.rel.x / 65536.0, g.rel.y / 65536.0, g.rel.z / 65536.0};
        double dist = std::sqrt(r[0] * r[0] + r[1] * r[1] + r[2] * r[2]);
        double gap = dist - g.standoff / 65536.0;
        double closing =
            std::min({std::fabs(gap) / 4, 150.0, std::sqrt(std::fabs(gap) * accel / 65536.0)});
        if (gap < 0) closing = -closing;
        double want[3], e[3], elen = 0;
        const fix16* tv = &target_velocity.x;
        const fix16* sv = &s.velocity.x;
        for (int a = 0; a < 3; a++) {
            want[a] = r[a] / dist * closing + tv[a] / 65536.0;
            e[a] = want[a] - sv[a] / 65536.0;
            elen += e[a] * e[a];
        }
        elen = std::sqrt(elen);
        if (out.throttle > 0 && elen > 1e-3) {
            vec3 f = mat3_column(&s.orientation, 2);
            double c = (f.x * e[0] + f.y * e[1] + f.z * e[2]) / 65536.0 / elen;
            run.worst_thrust_cos = std::min(run.worst_thrust_cos, c);
            run.thrust_steps++;
        }

        flight_controls c{out.pitch, out.yaw, out.roll, out.throttle, 0};
        flight_integrate(&s, &c, SHIP_THRUST, SHIP_TORQUE, &m, 1, TICK);
        target.x += int64_t{target_velocity.x} * TICK;
        target.y += int64_t{target_velocity.y} * TICK;
        target.z += int64_t{target_velocity.z} * TICK;
        double rv = 0;
        for (int a = 0; a < 3; a++) {
            double dv = (sv[a] - tv[a]) / 65536.0;
            rv += dv * dv;
        }
        run.worst_rel_speed = std::max(run.worst_rel_speed, std::sqrt(rv));
    }
    return run;
}

constexpr int64_t M = int64_t{1} << 32; // one metre as fix32

TEST(Autopilot, ClosesOnAStillTargetFiveKilometresAwayBehindTheShip) {
    flight_log run = fly(space_local{3000 * M, 0, -4000 * M}, vec3{0, 0, 0}, 50 * 240);
    ASSERT_GE(run.steps_to_hold, 0) << "never held station";
    EXPECT_LT(run.steps_to_hold, 50 * 120); // two minutes of flight
    EXPECT_LE(run.worst_rel_speed, 152.0);
    EXPECT_GT(run.thrust_steps, 100);
    EXPECT_GT(run.worst_thrust_cos, 0.85);
    // Once there it stays there.
    EXPECT_GT(run.holding_after, (50 * 240 - run.steps_to_hold) * 9 / 10);
}

TEST(Autopilot, CatchesATargetMovingAtFiftyMetresPerSecond) {
    flight_log run = fly(space_local{0, 3000 * M, 4000 * M}, vec3{50 * FIX16_ONE, 0, 0}, 50 * 300);
    ASSERT_GE(run.steps_to_hold, 0) << "never held station";
    EXPECT_LT(run.steps_to_hold, 50 * 90);
    EXPECT_LE(run.worst_rel_speed, 152.0);
    EXPECT_GT(run.worst_thrust_cos, 0.85);
    EXPECT_GT(run.holding_after, (50 * 300 - run.steps_to_hold) * 9 / 10);
}

} // namespace
} // namespace vantrel
