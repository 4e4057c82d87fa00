// Presenting frames: the window back end's whole path (palette expansion, texture upload,
// scaled copy) on SDL's dummy video driver, the headless present, and every output mode
// with an unchanged and a fully changed frame.
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <random>
#include <vector>

#include "platform/c2p_ref.h"
#include "platform/headless/headless.h"
#include "platform/present_amiga.h"
#if VANTREL_HAVE_SDL
#include "platform/sdl/sdl_window.h"
#endif

namespace vantrel {
namespace {

constexpr int W = 320, H = 256;

// Two different random frames; alternating them changes every 32-pixel group.
struct frames {
    std::vector<uint8_t> a, b;
    frames() : a(W * H), b(W * H) {
        std::mt19937 rng(7);
        for (auto& p : a) p = static_cast<uint8_t>(rng());
        for (size_t i = 0; i < b.size(); i++) b[i] = static_cast<uint8_t>(a[i] ^ 0x5A);
    }
};

void grey_palette(present_screen* s) {
    uint8_t rgb[768];
    for (int i = 0; i < 768; i++) rgb[i] = static_cast<uint8_t>(i / 3);
    present_amiga_set_palette(s, rgb);
}

// Whole frames in one output mode; state.range(1) = 1 alternates two frames (everything
// changes), 0 presents the same frame again (nothing changes).
void present_mode(benchmark::State& state, const present_backend* backend, bool planar) {
    present_settings settings;
    settings.planar = planar;
    settings.scale = 1;
    if (!present_backend_start(backend, &settings)) {
        state.SkipWithError("no back end");
        return;
    }
    present_screen* s = present_amiga_open(W, H, "bench");
    if (!s) {
        state.SkipWithError("no screen");
        backend->stop();
        return;
    }
    grey_palette(s);
    int32_t mode = static_cast<int32_t>(state.range(0));
    if (present_amiga_set_c2p_mode(s, mode) != mode) state.SkipWithError("mode not available");
    bool changing = state.range(1) != 0;
    frames f;
    present_amiga_frame_rows(s, f.a.data(), 0, H);
    bool flip = false;
    for (auto _ : state) {
        flip = changing && !flip;
        present_amiga_frame_rows(s, flip ? f.b.data() : f.a.data(), 0, H);
    }
    uint32_t submitted, written;
    present_amiga_c2p_stats(s, &submitted, &written);
    state.counters["written%"] = submitted ? 100.0 * written / submitted : 0.0;
    present_amiga_close(s);
    backend->stop();
}

void BM_headless_present(benchmark::State& state) {
    bool planar = state.range(0) < C2P_RTG;
    present_mode(state, &PRESENT_BACKEND_HEADLESS, planar);
}
// Args: output mode, frame changes (1) or not (0).
BENCHMARK(BM_headless_present)
    ->ArgNames({"mode", "changed"})
    ->ArgsProduct({{C2P_MEXG, C2P_040, C2P_DELTA, C2P_RTG, C2P_RTG_DELTA}, {0, 1}});

void BM_c2p_reference(benchmark::State& state) {
    frames f;
    std::vector<uint8_t> block(8 * (W / 8) * H);
    uint8_t* planes[8];
    for (int k = 0; k < 8; k++) planes[k] = block.data() + k * (W / 8) * H;
    for (auto _ : state) {
        c2p_convert(f.a.data(), W, H, planes, 8, W / 8);
        benchmark::DoNotOptimize(block.data());
    }
}
BENCHMARK(BM_c2p_reference);

void BM_c2p_fast(benchmark::State& state) {
    frames f;
    std::vector<uint8_t> block(8 * (W / 8) * H);
    uint8_t* planes[8];
    for (int k = 0; k < 8; k++) planes[k] = block.data() + k * (W / 8) * H;
    for (auto _ : state) {
        c2p_rows(f.a.data(), W, H, planes, W / 8);
        benchmark::DoNotOptimize(block.data());
    }
}
BENCHMARK(BM_c2p_fast);

#if VANTREL_HAVE_SDL

// The window path end to end on the dummy driver: expand through the palette into the
// locked texture, copy it to the window and present.
void BM_sdl_present(benchmark::State& state) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    present_mode(state, &PRESENT_BACKEND_SDL, false);
}
BENCHMARK(BM_sdl_present)
    ->ArgNames({"mode", "changed"})
    ->Args({C2P_RTG, 1})
    ->Args({C2P_RTG_DELTA, 0});

void BM_sdl_expand(benchmark::State& state) {
    frames f;
    std::vector<uint32_t> table(256), out(W * H);
    for (int i = 0; i < 256; i++) table[i] = 0xFF000000u | i * 0x010101u;
    for (auto _ : state) {
        sdl_expand_rows(f.a.data(), W, H, table.data(), reinterpret_cast<uint8_t*>(out.data()),
                        W * 4);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_sdl_expand);

#endif

} // namespace
} // namespace vantrel
