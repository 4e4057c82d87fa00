// The integrator's numbers, clamps and turn directions, and the mass and volume budgets.
#include <gtest/gtest.h>
#include <random>

#include "flight/ship.h"

namespace vantrel {
namespace {

constexpr fix16 TICK = 1310;          // 0.02 s
constexpr fix16 T = FIX16_ONE * 1000; // a thousand tonnes

flight_state at_rest() {
    flight_state s{};
    s.orientation = IDENTITY;
    return s;
}

mass_budget masses(fix16 a, fix16 b = 0) {
    return mass_budget{T, {a, b, 0, 0}};
}

void step(flight_state* s, flight_controls c, const mass_budget& m, fix16 dt = TICK,
          int32_t extent = 1) {
    flight_integrate(s, &c, SHIP_THRUST, SHIP_TORQUE, &m, extent, dt);
}

TEST(Ship, OneStepOfFullThrustAlongTheNose) {
    flight_state s = at_rest();
    step(&s, {0, 0, 0, FIX16_ONE, 0}, masses(T * 3 / 5, T * 2 / 5));
    // 8000 times 1/1000 t (65 raw) is 520000 raw, about 7.93 m/s^2; one tick of it is
    // 10394 raw, about 0.16 m/s, and the new speed moves the ship in the same step.
    EXPECT_EQ(s.velocity, (vec3{0, 0, 10394}));
    EXPECT_EQ(s.position.z, int64_t{10394} * TICK);
    EXPECT_EQ(s.orientation, IDENTITY);

    // The start-of-flight 750 t give about 10.6 m/s^2 (1/750 truncates to 87 raw).
    flight_state t = at_rest();
    step(&t, {0, 0, 0, FIX16_ONE, 0}, masses(T * 3 / 4), FIX16_ONE);
    EXPECT_EQ(t.velocity.z, 8000 * 87);

    // Nose along +x: the thrust follows it.
    flight_state u = at_rest();
    u.orientation = mat3{{0, 0, FIX16_ONE, 0, FIX16_ONE, 0, -FIX16_ONE, 0, 0}};
    step(&u, {0, 0, 0, FIX16_ONE, 0}, masses(T));
    EXPECT_EQ(u.velocity, (vec3{10394, 0, 0}));
}

TEST(Ship, SpeedsAndTurnRatesSaturatePerAxis) {
    flight_state s = at_rest();
    s.velocity = vec3{-1966112768 /* -30000.5 */, 12345 * FIX16_ONE, 1966073446 /* 29999.9 */};
    step(&s, {0, 0, 0, FIX16_ONE, 0}, masses(T));
    EXPECT_EQ(s.velocity, (vec3{-30000 * FIX16_ONE, 12345 * FIX16_ONE, 30000 * FIX16_ONE}));

    // 3 rad/s^2 for 0.02 s is 3930 raw a step: 50 steps give 196500, the 51st hits 3.0.
    flight_state w = at_rest();
    for (int i = 0; i < 50; i++) step(&w, {FIX16_ONE, 0, 0, 0, 0}, masses(T));
    EXPECT_EQ(w.angular_velocity.x, 196500);
    for (int i = 0; i < 100; i++) {
        step(&w, {FIX16_ONE, 0, 0, 0, 0}, masses(T));
        ASSERT_EQ(w.angular_velocity, (vec3{SHIP_MAX_TURN_RATE, 0, 0}));
    }
    // A ship of extent 2 has four times the moment of inertia.
    flight_state big = at_rest();
    step(&big, {FIX16_ONE, 0, 0, 0, 0}, masses(T), TICK, 2);
    EXPECT_EQ(big.angular_velocity.x, 3930 / 4);
}

TEST(Ship, TurnsGoTheWayTheControlsSay) {
    flight_state pitch = at_rest(), yaw = at_rest(), roll = at_rest();
    for (int i = 0; i < 10; i++) {
        step(&pitch, {FIX16_ONE, 0, 0, 0, 0}, masses(T));
        step(&yaw, {0, FIX16_ONE, 0, 0, 0}, masses(T));
        step(&roll, {0, 0, FIX16_ONE, 0, 0}, masses(T));
    }
    EXPECT_LT(mat3_column(&pitch.orientation, 2).y, -1000); // nose down
    EXPECT_GT(mat3_column(&yaw.orientation, 2).x, 1000);    // nose right
    EXPECT_EQ(mat3_column(&roll.orientation, 2), (vec3{0, 0, FIX16_ONE}));
    EXPECT_GT(mat3_column(&roll.orientation, 0).y, 1000);
}

TEST(Ship, NoMassNoMotion) {
    flight_state s = at_rest();
    s.velocity = vec3{100, 200, 300};
    s.angular_velocity = vec3{1000, -1000, 5};
    s.position = space_local{1, 2, 3};
    for (mass_budget m : {masses(0), masses(5 * FIX16_ONE, -5 * FIX16_ONE), masses(-FIX16_ONE)}) {
        flight_state t = s;
        step(&t, {FIX16_ONE, -FIX16_ONE, FIX16_ONE, FIX16_ONE, 1}, m);
        EXPECT_TRUE(t.position.x == 1 && t.position.y == 2 && t.position.z == 3 &&
                    t.velocity == s.velocity && t.orientation == s.orientation &&
                    t.angular_velocity == s.angular_velocity);
    }
}

TEST(Ship, OrientationStaysOrthonormalOverLongRandomFlights) {
    std::mt19937 rng(20261206);
    std::uniform_int_distribution<int32_t> unit(-FIX16_ONE, FIX16_ONE), dt(0, 12 * TICK);
    flight_state s = at_rest();
    mass_budget m = masses(T * 3 / 4);
    flight_controls c{};
    int worst = 0;
    for (int i = 0; i < 100000; i++) {
        if (i % 37 == 0) c = {unit(rng), unit(rng), unit(rng), unit(rng) & 0xFFFF, 0};
        flight_integrate_split(&s, &c, SHIP_THRUST, SHIP_TORQUE, &m, 1, dt(rng), dt(rng));
        vec3 col[3];
        for (int a = 0; a < 3; a++) col[a] = mat3_column(&s.orientation, a);
        for (int a = 0; a < 3; a++) {
            worst = std::max(worst, std::abs(vec3_length(&col[a]) - FIX16_ONE));
            worst = std::max(worst, std::abs(vec3_dot(&col[a], &col[(a + 1) % 3])));
        }
    }
    EXPECT_LE(worst, 16); // a few raw units of rounding, nothing that accumulates
}

TEST(Ship, Budgets) {
    mass_budget m{T, {400 * FIX16_ONE, 200 * FIX16_ONE, 100 * FIX16_ONE, 50 * FIX16_ONE}};
    EXPECT_EQ(mass_budget_total(&m), 750 * FIX16_ONE);
    EXPECT_EQ(mass_budget_fits(&m, 250 * FIX16_ONE), 1);
    EXPECT_EQ(mass_budget_fits(&m, 250 * FIX16_ONE + 1), 0);
    EXPECT_EQ(mass_budget_fits(&m, FIX16_MAX), 0); // a 32-bit sum would wrap and "fit"
    EXPECT_EQ(ship_delta_v_capacity(1500 * FIX16_ONE, &m), 2 * FIX16_ONE);
    mass_budget none = masses(0);
    EXPECT_EQ(ship_delta_v_capacity(FIX16_ONE, &none), 0);
    volume_budget v{100, 60}, over{100, 130};
    EXPECT_EQ(volume_budget_fits(&v, 40), 1);
    EXPECT_EQ(volume_budget_fits(&v, 41), 0);
    EXPECT_EQ(volume_budget_fits(&v, INT32_MAX), 0);
    EXPECT_EQ(volume_budget_remaining(&v), 40);
    EXPECT_EQ(volume_budget_remaining(&over), 0);
    EXPECT_EQ(extension_moment_of_inertia_factor(1), 65536);
    EXPECT_EQ(extension_moment_of_inertia_factor(3), 9 * 65536);
}

} // namespace
} // namespace vantrel
