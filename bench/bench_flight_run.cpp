// A whole flight frame (simulation, render and headless present) of the game view, of the
// orbit demo and of two of the computer's pages in flight (the star map with a jump target,
// the SHIP page with the hull turning), timed frame by frame: median and 95th percentile.
#include <initializer_list>

#include "bench/bench_game.h"
#include "flight/flight_loop.h"
#include "platform/present_amiga.h"

namespace vantrel {
namespace {

// keys: typed one a frame before the warm-up, to open a page.
void flight_frames(benchmark::State& state, int scene, std::initializer_list<int> keys = {}) {
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
        for (int key : keys) {
            flight_type_key(key);
            flight_step();
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

void BM_flight_stars_page(benchmark::State& state) {
    flight_frames(state, 0, {RAWKEY_M, RAWKEY_N, RAWKEY_TAB, RAWKEY_RETURN});
}
BENCHMARK(BM_flight_stars_page)->Iterations(1000)->Unit(benchmark::kMicrosecond);

void BM_flight_ship_page(benchmark::State& state) {
    flight_frames(state, 0, {RAWKEY_I});
}
BENCHMARK(BM_flight_ship_page)->Iterations(1000)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace vantrel
