// A whole flight frame (simulation, render and headless present) of the game view and of
// the orbit demo, timed frame by frame: median and 95th percentile.
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

#include "flight/flight_loop.h"
#include "platform/headless/headless.h"
#include "platform/present_amiga.h"
#include "shell/graphics.h"
#include "shell/render_services.h"
#include "shell/services.h"
#include "shell/startup_assets.h"

namespace vantrel {
namespace {

// The flight prints its start lines and statistics: keep them out of the report.
struct quiet_stdout {
    int saved;
    quiet_stdout() {
        std::fflush(stdout);
        saved = dup(1);
        int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        close(null);
    }
    ~quiet_stdout() {
        std::fflush(stdout);
        dup2(saved, 1);
        close(saved);
    }
};

bool g_ready = false;

// The screen buffers the shell would lend the flight.
uint8_t g_chunky[320 * 256];
int32_t g_depth[320 * 256];
depth_span g_spans[SPAN_CAPACITY];

bool prepare_game() {
    if (g_ready) return true;
    quiet_stdout quiet;
    progdir_set(VANTREL_GAME_DIR);
    render_services_install();
    present_settings settings;
    if (!present_backend_start(&PRESENT_BACKEND_HEADLESS, &settings)) return false;
    gfx_cfg.detail = 2; // high
    launch_options options;
    if (!startup_models(options)) return false;
    cockpit_panel_load();
    g_ready = true;
    return true;
}

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
