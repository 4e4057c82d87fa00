// Renderer: both raster paths on small, medium and screen-sized triangles and a whole model
// draw, each beside a memset of the same bytes as the baseline.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "core/trig.h"
#include "render/model_draw.h"
#include "render/span.h"

namespace vantrel {
namespace {

constexpr int W = 320, H = 256;

struct buffers {
    std::vector<uint8_t> frame = std::vector<uint8_t>(W * H, 0);
    std::vector<int32_t> depth = std::vector<int32_t>(W * H, 0);
    depth_span spans[SPAN_CAPACITY];
};

// Clockwise right triangles with legs chosen for about 20, 200 and a full screen's pixels
// (range 0, 1, 2). The full-screen one is two triangles covering the frame.
int make_triangles(int size, screen_triangle* out) {
    switch (size) {
    case 0:
        out[0] = screen_triangle{{{0, 0}, {6, 0}, {0, 6}}};
        return 1;
    case 1:
        out[0] = screen_triangle{{{0, 0}, {21, 0}, {0, 21}}};
        return 1;
    default:
        out[0] = screen_triangle{{{0, 0}, {W, 0}, {0, H + 1}}};
        out[1] = screen_triangle{{{W, 0}, {W, H + 1}, {0, H + 1}}};
        return 2;
    }
}

// Counts the pixels one draw of the case writes, for the per-pixel rate.
uint32_t pixels_of(const screen_triangle* tris, int n) {
    buffers b;
    const int32_t z[3] = {1, 1, 1};
    for (int i = 0; i < n; i++)
        raster_triangle_w(b.frame.data(), b.depth.data(), W, H, &tris[i], z, 7);
    uint32_t count = 0;
    for (uint8_t p : b.frame) count += p == 7;
    return count;
}

void raster_case(benchmark::State& state, int fused) {
    buffers b;
    screen_triangle base[2];
    int n = make_triangles(int(state.range(0)), base);
    uint32_t pixels = pixels_of(base, n);
    int saved_fused = g_raster_fused;
    g_raster_fused = fused;
    int32_t depth = 0x100000;
    int k = 0;
    for (auto _ : state) {
        // Small triangles move over the frame; each draw is nearer than the last, so every
        // pixel passes the depth test and is written.
        int16_t dx = n == 1 ? int16_t((k * 37) % (W - 24)) : 0;
        int16_t dy = n == 1 ? int16_t((k * 23) % (H - 24)) : 0;
        k++;
        depth++;
        const int32_t z[3] = {depth, depth, depth};
        for (int i = 0; i < n; i++) {
            screen_triangle t = base[i];
            for (auto& v : t.v) v.x = int16_t(v.x + dx), v.y = int16_t(v.y + dy);
            raster_screen_triangle(b.frame.data(), b.depth.data(), W, H, &t, z, uint8_t(k),
                                   b.spans);
        }
        benchmark::ClobberMemory();
    }
    g_raster_fused = saved_fused;
    state.counters["px"] = pixels;
    // Seconds per pixel written, shown with an SI prefix (n = ns per pixel).
    state.counters["per_px"] =
        benchmark::Counter(double(pixels) * double(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_raster_fused(benchmark::State& state) {
    raster_case(state, 1);
}
BENCHMARK(BM_raster_fused)->Arg(0)->Arg(1)->Arg(2);

void BM_raster_spans(benchmark::State& state) {
    raster_case(state, 0);
}
BENCHMARK(BM_raster_spans)->Arg(0)->Arg(1)->Arg(2);

// The baseline: writing the same frame and depth bytes with memset.
void BM_raster_memset_baseline(benchmark::State& state) {
    buffers b;
    screen_triangle base[2];
    int n = make_triangles(int(state.range(0)), base);
    uint32_t pixels = pixels_of(base, n);
    // As rows of the triangle's average width, so the call count matches too.
    uint32_t rows = n == 1 ? uint32_t(base[0].v[2].y) : H;
    uint32_t width = pixels / rows;
    int k = 0;
    for (auto _ : state) {
        k++;
        for (uint32_t r = 0; r < rows; r++) {
            std::memset(b.frame.data() + r * W, k, width);
            std::memset(b.depth.data() + r * W, k, width * sizeof(int32_t));
        }
        benchmark::ClobberMemory();
    }
    state.counters["px"] = pixels;
}
BENCHMARK(BM_raster_memset_baseline)->Arg(0)->Arg(1)->Arg(2);

// A closed sphere of about 2000 triangles seen whole, the size of a station in view.
struct sphere_model {
    model_lod lod = {};
    std::vector<vec3> vertices;
    std::vector<model_face> faces;
    std::vector<vec3> normals;
    sphere_model(int rings, int segments, fix16 radius) {
        for (int r = 0; r <= rings; r++) {
            bangle lat = bangle(uint64_t(r) * 0x80000000u / uint32_t(rings)) - BANGLE_90;
            fix16 y = fix2_30_mul(trig_sin(lat), radius);
            fix16 ring = fix2_30_mul(trig_cos(lat), radius);
            for (int s = 0; s < segments; s++) {
                bangle lon = bangle(uint64_t(s) * 0x100000000ull / uint32_t(segments));
                vertices.push_back(
                    vec3{fix2_30_mul(trig_cos(lon), ring), y, fix2_30_mul(trig_sin(lon), ring)});
            }
        }
        for (int r = 0; r < rings; r++)
            for (int s = 0; s < segments; s++) {
                uint16_t a = uint16_t(r * segments + s);
                uint16_t b = uint16_t(r * segments + (s + 1) % segments);
                uint16_t c = uint16_t(a + segments), d = uint16_t(b + segments);
                faces.push_back(model_face{a, c, b, 0, 0, {}});
                faces.push_back(model_face{b, c, d, 0, 0, {}});
            }
        lod = model_lod{uint32_t(vertices.size()), uint32_t(faces.size()), vertices.data(),
                        faces.data()};
        vec3* n = compute_face_normals(&lod);
        normals.assign(n, n + faces.size());
        delete[] n;
    }
};

void BM_draw_model(benchmark::State& state) {
    buffers b;
    sphere_model sphere(32, 32, 60 * FIX16_ONE);
    view_projection vp = view_projection_make(W, H, VIEW_FOCAL, VIEW_NEAR);
    frustum_slopes slopes;
    make_frustum_slopes(&slopes, &vp);
    depth_frame_init(&g_depth_frame, vp.near, vp.focal);
    render_pose object = {{0, 0, int64_t(200) << 32}, IDENTITY};
    render_pose camera = {{0, 0, 0}, IDENTITY};
    const vec3 light = {-100 * FIX16_ONE, 100 * FIX16_ONE, 0};
    int saved_fused = g_raster_fused, saved_fpu = g_vertex_fpu;
    g_raster_fused = int(state.range(0) & 1);
    g_vertex_fpu = int(state.range(0) >> 1);
    g_render_stats = render_stats{};
    for (auto _ : state) {
        depth_frame_begin(&g_depth_frame, b.depth.data(), W * H);
        draw_model(b.frame.data(), b.depth.data(), W, H, &sphere.lod, sphere.normals.data(),
                   61 * FIX16_ONE, &object, &camera, &vp, &slopes, SHADE_MATERIAL_LIT, &light, 16,
                   8, b.spans);
        benchmark::ClobberMemory();
    }
    state.counters["tris"] = double(g_render_stats.tris_drawn) / double(state.iterations());
    g_raster_fused = saved_fused;
    g_vertex_fpu = saved_fpu;
}
// 0: spans + integer, 1: fused + integer, 2: spans + float, 3: fused + float.
BENCHMARK(BM_draw_model)->Arg(1)->Arg(0)->Arg(3)->Arg(2);

void BM_draw_model_memset_baseline(benchmark::State& state) {
    buffers b;
    int k = 0;
    for (auto _ : state) {
        k++;
        std::memset(b.frame.data(), k, b.frame.size());
        std::memset(b.depth.data(), k, b.depth.size() * sizeof(int32_t));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_draw_model_memset_baseline);

} // namespace
} // namespace vantrel
