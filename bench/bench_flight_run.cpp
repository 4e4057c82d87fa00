// A whole flight frame (simulation, render and headless present) of the game view and of
// the orbit demo, timed frame by frame: median and 95th percentile.
#include "bench/bench_game.h"
#include "flight/flight_loop.h"

namespace vantrel {
namespace {

void flight_frames(benchmark::State& state, int scene) {
    if (!prepare_game()) {
        state.SkipWithError("the game data is not built");
        return;
    }
    frame_times times;
    {
        quiet_stdout quiet;
        const mode_request request = {scene, {g_chunky, g_depth, g_spans, 320, 256}};
        if (!flight_begin(&request)) {
            state.SkipWithError("the flight could not start");
            return;
        }
        for (int warm = 0; warm < 20; warm++) flight_step();
        for (auto _ : state) times.time([] { flight_step(); });
        flight_finish();
    }
    times.report(state);
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
