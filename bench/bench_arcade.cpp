// An arcade frame (rules, drawing and headless present) with all 36 ships on the screen and
// bursts alive, timed frame by frame: median and 95th percentile, on the integer vertex path
// (argument 0) and on the float one (1), which the game takes where the processor has an FPU.
// `make bench-callgrind` counts their instructions.
#include "arcade/arcade_local.h"
#include "bench/bench_game.h"
#include "shell/game_models.h"
#include "shell/startup.h"

namespace vantrel {
namespace {

// The game's data and models, and the arcade opened on them on the chosen vertex path; its
// lines kept out of the report.
bool open_arcade(bool fpu) {
    quiet_stdout quiet;
    progdir_set(VANTREL_GAME_DIR);
    render_services_install();
    present_settings settings;
    bool ok =
        present_backend_current() || present_backend_start(&PRESENT_BACKEND_HEADLESS, &settings);
    gfx_cfg.detail = 2; // high
    gfx_cfg.particles = 3;
    g_has_fpu = fpu;
    gfx_cfg.fpu_use = fpu ? 2 : 1; // on, off
    graphics_resolved g;
    graphics_resolve(&g, &gfx_cfg, static_cast<uint32_t>(detected_cpu));
    const mode_request request = {0, {g_chunky, g_depth, g_spans, 320, 256}};
    ok = ok && load_detail_models(int(g.detail)) && arcade_mode_begin(&request);
    return ok && arcade_current()->running;
}

// Every ship back in its slot when one is gone, and two more explosions when the bursts
// thin out.
void keep_busy(arcade_state* a) {
    shooter_game& g = a->game;
    g.invuln_ms = 100000;
    bool all = std::all_of(std::begin(g.enemies), std::end(g.enemies),
                           [](const shooter_enemy& e) { return e.state != ENEMY_DEAD; });
    if (!all || g.enemies[35].state == ENEMY_WAITING)
        for (shooter_enemy& e : g.enemies) {
            e.state = ENEMY_FORMATION;
            shooter_slot_pos(&g, e.slot, &e.x, &e.y);
        }
    if (a->fx.count >= 60) return;
    g.effect_count = 2;
    g.effects[0] = shooter_effect{EFFECT_ENEMY_KILLED, 2, 40 << 16, 60 << 16};
    g.effects[1] = shooter_effect{EFFECT_ENEMY_KILLED, 0, 110 << 16, 120 << 16};
    arcade_bursts(a);
}

void BM_arcade_frame(benchmark::State& state) {
    if (!open_arcade(state.range(0) != 0)) return state.SkipWithError("the game data is not built");
    arcade_state* a = arcade_current();
    frame_times times;
    for (auto _ : state) {
        keep_busy(a);
        times.time([] { arcade_mode_step(); });
    }
    arcade_mode_finish();
    times.report(state);
}
BENCHMARK(BM_arcade_frame)->Arg(0)->Arg(1)->Iterations(1000)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace vantrel
