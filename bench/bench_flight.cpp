// Flight rules: one integrator step, one autopilot decision, one cockpit view update.
#include <benchmark/benchmark.h>
#include <random>
#include <vector>

#include "flight/autopilot.h"
#include "flight/cockpit.h"
#include "flight/ship.h"

namespace vantrel {
namespace {

constexpr size_t RING = 1024;
constexpr fix16 TICK = 1310;

std::vector<flight_controls> random_controls(uint64_t seed) {
    std::mt19937_64 rng(seed);
    std::uniform_int_distribution<int32_t> unit(-FIX16_ONE, FIX16_ONE);
    std::vector<flight_controls> v(RING);
    for (auto& c : v) c = {unit(rng), unit(rng), unit(rng), unit(rng) & 0xFFFF, 0};
    return v;
}

mass_budget start_budget() {
    return mass_budget{1000 * FIX16_ONE,
                       {400 * FIX16_ONE, 200 * FIX16_ONE, 100 * FIX16_ONE, 50 * FIX16_ONE}};
}

void BM_flight_integrate_split(benchmark::State& state) {
    auto controls = random_controls(1);
    mass_budget m = start_budget();
    flight_state s{};
    s.orientation = IDENTITY;
    size_t i = 0;
    for (auto _ : state) {
        flight_integrate_split(&s, &controls[i], SHIP_THRUST, SHIP_TORQUE, &m, 1, 8187, TICK);
        benchmark::DoNotOptimize(s);
        i = (i + 1) & (RING - 1);
    }
}
BENCHMARK(BM_flight_integrate_split);

// States taken from a random flight so the steering sees every kind of attitude.
void BM_autopilot_steer(benchmark::State& state) {
    auto controls = random_controls(2);
    mass_budget m = start_budget();
    std::vector<flight_state> states(RING);
    flight_state s{};
    s.orientation = IDENTITY;
    for (size_t k = 0; k < RING; k++) {
        flight_integrate(&s, &controls[k], SHIP_THRUST, SHIP_TORQUE, &m, 1, 4 * TICK);
        states[k] = s;
    }
    autopilot_goal g{{1200 * FIX16_ONE, -300 * FIX16_ONE, 4000 * FIX16_ONE},
                     {50 * FIX16_ONE, 0, 0},
                     64 * FIX16_ONE,
                     AUTOPILOT_MAX_SPEED,
                     fix16_div(SHIP_THRUST, mass_budget_total(&m))};
    size_t i = 0;
    for (auto _ : state) {
        autopilot_output out;
        autopilot_steer(&out, &states[i], &g, SHIP_TORQUE);
        benchmark::DoNotOptimize(out);
        i = (i + 1) & (RING - 1);
    }
}
BENCHMARK(BM_autopilot_steer);

// Eight targets scattered ahead, behind and to the sides of a camera that turns a little
// every iteration, so projections, pins and distances all vary.
void BM_cockpit_update_view(benchmark::State& state) {
    std::mt19937_64 rng(3);
    std::uniform_int_distribution<int64_t> metres(-20000, 20000);
    render_pose poses[COCKPIT_MAX_TARGETS];
    target_info targets[COCKPIT_MAX_TARGETS];
    for (int i = 0; i < COCKPIT_MAX_TARGETS; i++) {
        poses[i] = render_pose{{metres(rng) << 32, metres(rng) << 32, metres(rng) << 32}, IDENTITY};
        targets[i] = target_info{"T", &poses[i], {0, 0, 0}, (8 + 60 * i) * FIX16_ONE, i == 0};
    }
    std::vector<render_pose> cameras(RING);
    auto controls = random_controls(4);
    mass_budget m = start_budget();
    flight_state s{};
    s.orientation = IDENTITY;
    for (size_t k = 0; k < RING; k++) {
        flight_integrate(&s, &controls[k], SHIP_THRUST, SHIP_TORQUE, &m, 1, 4 * TICK);
        cameras[k] = render_pose{{s.position.x, s.position.y, s.position.z}, s.orientation};
    }
    view_projection p = view_projection_make(320, 200, VIEW_FOCAL, VIEW_NEAR);
    cockpit c;
    cockpit_init(&c);
    size_t i = 0;
    for (auto _ : state) {
        cockpit_update_view(&c, targets, COCKPIT_MAX_TARGETS, &cameras[i], &p);
        benchmark::DoNotOptimize(c);
        i = (i + 1) & (RING - 1);
    }
}
BENCHMARK(BM_cockpit_update_view);

} // namespace
} // namespace vantrel
