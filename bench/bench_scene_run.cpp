// Whole scene frames as the player draws them, every 20 ms from the start: the intro, the
// title behind the menu and the ship show, each timed frame by frame (median and 95th
// percentile), on the settings' own vertex path, shading and particles.
#include "bench/bench_game.h"
#include "render/model_draw.h"
#include "render/palette.h"
#include "scenes/scene_player.h"
#include "shell/startup.h"

namespace vantrel {
namespace {

scene_view g_view;

void scene_frames(benchmark::State& state, const char* name) {
    if (!prepare_game()) {
        state.SkipWithError("the game data is not built");
        return;
    }
    {
        quiet_stdout quiet;
        if (!scene_view_load(&g_view, name)) {
            state.SkipWithError("the scene is not built");
            return;
        }
    }
    graphics_resolved g;
    graphics_resolve(&g, &gfx_cfg, static_cast<uint32_t>(detected_cpu));
    scene_view_particles(&g_view, static_cast<int>(particles_mode_limit(g.particles)),
                         globe_detail_setting(g.detail));
    depth_frame_init(&g_depth_frame, g_view.near, g_view.focal);
    const int shading = g.shading == 2 ? SHADE_MATERIAL_LIT : SHADE_MATERIAL;
    uint8_t palette[768];
    scene_base_palette(palette);
    scene_view_palette(&g_view, palette);
    frame_times times;
    uint32_t ms = 0;
    for (auto _ : state) {
        times.time([&] {
            scene_view_frame(&g_view, g_chunky, g_depth, g_spans, ms, ms ? 20 : 0, shading,
                             palette);
        });
        ms += 20;
    }
    scene_view_free(&g_view);
    times.report(state);
}

void BM_scene_intro(benchmark::State& state) {
    scene_frames(state, "intro");
}
BENCHMARK(BM_scene_intro)->Iterations(1200)->Unit(benchmark::kMicrosecond);

void BM_scene_title(benchmark::State& state) {
    scene_frames(state, "title");
}
BENCHMARK(BM_scene_title)->Iterations(2000)->Unit(benchmark::kMicrosecond);

void BM_scene_ship_show(benchmark::State& state) {
    scene_frames(state, "lode");
}
BENCHMARK(BM_scene_ship_show)->Iterations(1800)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace vantrel
