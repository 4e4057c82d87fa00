// The integrator's numbers, clamps and turn directions, and the mass and volume budgets.
#include <cstring>
#include <gtest/gtest.h>
#include <random>

#include "flight/ship.h"

namespace vantrel {
namespace {

// Field by field: the record has padding after the orientation on some targets.
bool same(const flight_state& a, const flight_state& b) {
    return a.position.x == b.position.x && a.position.y == b.position.y &&
           a.position.z == b.position.z && a.velocity == b.velocity &&
           a.orientation == b.orientation && a.angular_velocity == b.angular_velocity;
}

constexpr fix16 TICK = 1310; // 0.02 s

flight_state at_rest() {
    flight_state s{};
    s.orientation = IDENTITY;
    return s;
}

mass_budget masses(fix16 a, fix16 b = 0, fix16 c = 0, fix16 d = 0) {
    return mass_budget{1000 * FIX16_ONE, {a, b, c, d}};
}

TEST(Ship, OneStepOfFullThrust) {
    flight_state s = at_rest();
    flight_controls full{0, 0, 0, FIX16_ONE, 0};
    mass_budget m = masses(600 * FIX16_ONE, 400 * FIX16_ONE);
    flight_integrate_split(&s, &full, SHIP_THRUST, SHIP_TORQUE, &m, 1, TICK, TICK);
    // 8000 t·m/s² times 1/1000 t (65 raw) is 520000 raw, about 7.93 m/s²; one tick of it
    // is 10394 raw, about 0.16 m/s along the nose.
    EXPECT_EQ(s.velocity, (vec3{0, 0, 10394}));
    // The new speed already moves the ship in the same step, kept as an exact fix32.
    EXPECT_EQ(s.position.z, int64_t{10394} * TICK);
    EXPECT_EQ(s.position.x, 0);
    EXPECT_EQ(s.orientation, IDENTITY);

    // The start-of-flight budget (750 t) gives about 10.6 m/s² (1/750 truncates to 87 raw).
    flight_state t = at_rest();
    mass_budget start = masses(400 * FIX16_ONE, 200 * FIX16_ONE, 100 * FIX16_ONE, 50 * FIX16_ONE);
    flight_integrate(&t, &full, SHIP_THRUST, SHIP_TORQUE, &start, 1, FIX16_ONE);
    EXPECT_EQ(t.velocity.z, 8000 * 87);
    EXPECT_NEAR(t.velocity.z / 65536.0, 8000.0 / 750.0, 0.06);
}

TEST(Ship, ThrustFollowsTheNose) {
    flight_state s = at_rest();
    // Nose along +x: right = -z, up = +y, forward = +x.
    s.orientation = mat3{{0, 0, FIX16_ONE, 0, FIX16_ONE, 0, -FIX16_ONE, 0, 0}};
    flight_controls full{0, 0, 0, FIX16_ONE, 0};
    mass_budget m = masses(1000 * FIX16_ONE);
    flight_integrate(&s, &full, SHIP_THRUST, SHIP_TORQUE, &m, 1, TICK);
    EXPECT_EQ(s.velocity, (vec3{10394, 0, 0}));
}

TEST(Ship, SpeedsClampPerAxis) {
    flight_state s = at_rest();
    s.velocity = vec3{-1966112768 /* -30000.5 */, 12345 * FIX16_ONE, 1966073446 /* 29999.9 */};
    flight_controls full{0, 0, 0, FIX16_ONE, 0};
    mass_budget m = masses(1000 * FIX16_ONE);
    flight_integrate(&s, &full, SHIP_THRUST, SHIP_TORQUE, &m, 1, TICK);
    EXPECT_EQ(s.velocity.z, 30000 * FIX16_ONE);
    EXPECT_EQ(s.velocity.x, -30000 * FIX16_ONE);
    EXPECT_EQ(s.velocity.y, 12345 * FIX16_ONE);
}

TEST(Ship, TurnRateGrowsToThreeRadiansAndStops) {
    flight_state s = at_rest();
    flight_controls pitch{FIX16_ONE, 0, 0, 0, 0};
    mass_budget m = masses(1000 * FIX16_ONE);
    // 3 rad/s² for 0.02 s is 3930 raw a step: 50 steps give 196500, the 51st hits the clamp.
    for (int i = 0; i < 50; i++) flight_integrate(&s, &pitch, 0, SHIP_TORQUE, &m, 1, TICK);
    EXPECT_EQ(s.angular_velocity.x, 196500);
    for (int i = 0; i < 100; i++) {
        flight_integrate(&s, &pitch, 0, SHIP_TORQUE, &m, 1, TICK);
        ASSERT_EQ(s.angular_velocity.x, SHIP_MAX_TURN_RATE);
    }
    EXPECT_EQ(s.angular_velocity.y, 0);
    EXPECT_EQ(s.angular_velocity.z, 0);

    // A bigger ship turns slower: extent 2 quarters the angular acceleration.
    flight_state big = at_rest();
    flight_integrate(&big, &pitch, 0, SHIP_TORQUE, &m, 2, TICK);
    EXPECT_EQ(big.angular_velocity.x, 3930 / 4);
}

TEST(Ship, TurnsGoTheWayTheControlsSay) {
    mass_budget m = masses(1000 * FIX16_ONE);
    struct {
        flight_controls c;
        int axis; // component of the forward axis that must grow
        int sign;
    } cases[] = {
        {{FIX16_ONE, 0, 0, 0, 0}, 1, -1}, // pitch: nose down
        {{0, FIX16_ONE, 0, 0, 0}, 0, +1}, // yaw: nose right
    };
    for (auto& k : cases) {
        flight_state s = at_rest();
        for (int i = 0; i < 10; i++) flight_integrate(&s, &k.c, 0, SHIP_TORQUE, &m, 1, TICK);
        vec3 f = mat3_column(&s.orientation, 2);
        fix16 comp = k.axis == 0 ? f.x : f.y;
        EXPECT_GT(comp * k.sign, 1000);
    }
    // Roll keeps the nose and turns the right axis toward +y.
    flight_state s = at_rest();
    flight_controls roll{0, 0, FIX16_ONE, 0, 0};
    for (int i = 0; i < 10; i++) flight_integrate(&s, &roll, 0, SHIP_TORQUE, &m, 1, TICK);
    EXPECT_EQ(mat3_column(&s.orientation, 2), (vec3{0, 0, FIX16_ONE}));
    EXPECT_GT(mat3_column(&s.orientation, 0).y, 1000);
}

TEST(Ship, NoMassNoMotion) {
    flight_state s = at_rest();
    s.velocity = vec3{100, 200, 300};
    s.angular_velocity = vec3{1000, -1000, 5};
    s.position = space_local{1, 2, 3};
    flight_controls c{FIX16_ONE, -FIX16_ONE, FIX16_ONE, FIX16_ONE, 1};
    for (mass_budget m : {masses(0), masses(5 * FIX16_ONE, -5 * FIX16_ONE), masses(-FIX16_ONE)}) {
        flight_state before = s;
        flight_integrate(&s, &c, SHIP_THRUST, SHIP_TORQUE, &m, 1, TICK);
        EXPECT_EQ(same(before, s), true);
    }
}

TEST(Ship, OrientationStaysOrthonormalOverLongRandomFlights) {
    std::mt19937 rng(20261206);
    std::uniform_int_distribution<int32_t> unit(-FIX16_ONE, FIX16_ONE);
    std::uniform_int_distribution<int32_t> dt(0, 12 * TICK);
    flight_state s = at_rest();
    mass_budget m = masses(750 * FIX16_ONE);
    flight_controls c{};
    int worst_len = 0, worst_dot = 0;
    for (int i = 0; i < 100000; i++) {
        if (i % 37 == 0)
            c = flight_controls{unit(rng), unit(rng), unit(rng), unit(rng) & 0xFFFF, 0};
        flight_integrate_split(&s, &c, SHIP_THRUST, SHIP_TORQUE, &m, 1, dt(rng), dt(rng));
        vec3 col[3] = {mat3_column(&s.orientation, 0), mat3_column(&s.orientation, 1),
                       mat3_column(&s.orientation, 2)};
        for (int a = 0; a < 3; a++) {
            worst_len = std::max(worst_len, std::abs(vec3_length(&col[a]) - FIX16_ONE));
            for (int b = a + 1; b < 3; b++)
                worst_dot = std::max(worst_dot, std::abs(vec3_dot(&col[a], &col[b])));
        }
    }
    // A few raw units of rounding, nothing that accumulates.
    EXPECT_LE(worst_len, 16);
    EXPECT_LE(worst_dot, 16);
}

TEST(Ship, Budgets) {
    mass_budget m{1000 * FIX16_ONE,
                  {400 * FIX16_ONE, 200 * FIX16_ONE, 100 * FIX16_ONE, 50 * FIX16_ONE}};
    EXPECT_EQ(mass_budget_total(&m), 750 * FIX16_ONE);
    EXPECT_EQ(mass_budget_fits(&m, 250 * FIX16_ONE), 1);
    EXPECT_EQ(mass_budget_fits(&m, 250 * FIX16_ONE + 1), 0);
    // A load so large that a 32-bit sum would wrap negative must still not fit.
    EXPECT_EQ(mass_budget_fits(&m, FIX16_MAX), 0);
    EXPECT_EQ(ship_delta_v_capacity(1500 * FIX16_ONE, &m), 2 * FIX16_ONE);
    mass_budget empty{FIX16_ONE, {0, 0, 0, 0}};
    EXPECT_EQ(ship_delta_v_capacity(FIX16_ONE, &empty), 0);

    volume_budget v{100, 60};
    EXPECT_EQ(volume_budget_fits(&v, 40), 1);
    EXPECT_EQ(volume_budget_fits(&v, 41), 0);
    EXPECT_EQ(volume_budget_fits(&v, INT32_MAX), 0);
    EXPECT_EQ(volume_budget_remaining(&v), 40);
    volume_budget over{100, 130};
    EXPECT_EQ(volume_budget_remaining(&over), 0);
    volume_budget odd{INT32_MAX, -5};
    EXPECT_EQ(volume_budget_remaining(&odd), INT32_MAX);

    EXPECT_EQ(extension_moment_of_inertia_factor(1), 65536);
    EXPECT_EQ(extension_moment_of_inertia_factor(3), 9 * 65536);
}

} // namespace
} // namespace vantrel
