// Map frames of the built neighbourhood in their heaviest views (every label, the hint on):
// update and draw, timed frame by frame: median and 95th percentile.
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <vector>

#include "maps/map_screen.h"
#include "platform/files.h"

namespace vantrel {
namespace {

void map_frames(benchmark::State& state, bool star_map) {
    progdir_set(VANTREL_GAME_DIR);
    static map_state map;
    world_time t = WORLD_TIME_START;
    if (!map_init(&map, 256, &t)) return state.SkipWithError("the star catalog is not built");
    map.star_map = star_map;
    map.sys.label_mode = map.star.label_mode = 2;
    static uint8_t frame[320 * 256];
    const uint8_t held[128] = {};
    present_input in{};
    std::vector<double> us;
    for (auto _ : state) {
        auto t0 = std::chrono::steady_clock::now();
        map.hint_ms = 6000;
        map_update_held(&map, held, &in, 160, 128, 20);
        map_draw(&map, frame, 320, 256, &t, "1 h/s");
        us.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0)
                .count());
        t.minutes += 1;
    }
    std::sort(us.begin(), us.end());
    state.counters["median_us"] = us[us.size() / 2];
    state.counters["p95_us"] = us[us.size() * 95 / 100];
}

void BM_map_system_frame(benchmark::State& state) {
    map_frames(state, false);
}
BENCHMARK(BM_map_system_frame)->Iterations(1000)->Unit(benchmark::kMicrosecond);

void BM_map_star_frame(benchmark::State& state) {
    map_frames(state, true);
}
BENCHMARK(BM_map_star_frame)->Iterations(1000)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace vantrel
