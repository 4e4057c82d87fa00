// A whole flight frame (simulation, render and headless present) of the game view and of
// the orbit demo, timed frame by frame: median and 95th percentile.
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <vector>

#include "bench/bench_game.h"
#include "flight/flight_loop.h"

namespace vantrel {
namespace {

void flight_frames(benchmark::State& state, int scene) {
    if (!prepare_game()) {
        state.SkipWithError("the game data is not built");
        return;
    }
    std::vector<double> frame_us;
    {
        quiet_stdout quiet;
        const mode_request request = {scene, {g_chunky, g_depth, g_spans, 320, 256}};
        if (!flight_begin(&request)) {
            state.SkipWithError("the flight could not start");
            return;
        }
        for (int warm = 0; warm < 20; warm++) flight_step();
        for (auto _ : state) {
            auto t0 = std::chrono::steady_clock::now();
            flight_step();
            frame_us.push_back(
                std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0)
                    .count());
        }
        flight_finish();
    }
    std::sort(frame_us.begin(), frame_us.end());
    state.counters["median_us"] = frame_us[frame_us.size() / 2];
    state.counters["p95_us"] = frame_us[frame_us.size() * 95 / 100];
}

void BM_flight_game_view(benchmark::State& state) {
    flight_frames(state, 0);
}
BENCHMARK(BM_flight_game_view)->Iterations(1000)->Unit(benchmark::kMicrosecond);

void BM_flight_orbit_demo(benchmark::State& state) {
    flight_frames(state, 1);
}
BENCHMARK(BM_flight_orbit_demo)->Iterations(1000)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace vantrel
