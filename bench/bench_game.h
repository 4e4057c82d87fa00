// bench_game: the staged game made ready for benchmarks that run whole frames of a mode: the
// headless back end, the models and the cockpit panel, and the screen buffers the shell
// would lend, with the game's console kept out of the report.
#pragma once

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

// The modes print their start lines and statistics: keep them out of the report.
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

inline bool g_ready = false;

// The screen buffers the shell would lend a mode.
inline uint8_t g_chunky[320 * 256];
inline int32_t g_depth[320 * 256];
inline depth_span g_spans[SPAN_CAPACITY];

inline bool prepare_game() {
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

// Frame times in microseconds, reported as the median and the 95th percentile.
struct frame_times {
    std::vector<double> us;
    template <class Frame>
    void time(Frame&& frame) {
        auto t0 = std::chrono::steady_clock::now();
        frame();
        us.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0)
                .count());
    }
    void report(benchmark::State& state) {
        if (us.empty()) return;
        std::sort(us.begin(), us.end());
        state.counters["median_us"] = us[us.size() / 2];
        state.counters["p95_us"] = us[us.size() * 95 / 100];
    }
};

} // namespace vantrel
