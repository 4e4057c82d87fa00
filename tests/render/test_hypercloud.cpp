// The hyperspace cloud: palette block, size envelope, seeded building, fade and clipped drawing.
#include <cstring>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

#include "render/hypercloud.h"
#include "render/span.h"

namespace vantrel {
namespace {

TEST(Hypercloud, PaletteRampsHuesAndSparks) {
    struct row {
        int style, variant, entry;
        uint8_t r, g, b;
    } rows[] = {
        {0, 0, 0, 0, 0, 0},        {0, 0, 1, 8, 20, 70},      {0, 0, 12, 150, 210, 255},
        {1, 1, 12, 255, 110, 90},  {2, 1, 6, 115, 83, 42},    {0, 0, 13, 202, 232, 255},
        {0, 0, 14, 228, 243, 255}, {0, 0, 15, 255, 255, 255}, {2, 1, 13, 227, 202, 167},
        {3, 0, 1, 60, 120, 255},   {3, 1, 1, 255, 170, 40},   {3, 1, 12, 250, 230, 50},
        {3, 0, 14, 255, 255, 255},
    };
    for (const row& r : rows) {
        uint8_t pal[48];
        hypercloud_palette(r.style, r.variant, pal);
        EXPECT_EQ(std::vector<uint8_t>(pal + r.entry * 3, pal + r.entry * 3 + 3),
                  (std::vector<uint8_t>{r.r, r.g, r.b}))
            << r.style << "/" << r.variant << " entry " << r.entry;
    }
}

TEST(Hypercloud, EnvelopeRisesSettlesAndEnds) {
    struct row {
        uint32_t t, duration;
        fix16 scale;
    } rows[] = {{0, 6000, 0},        {350, 6000, 63897},  {700, 6000, 85196},
                {2500, 6000, 65536}, {4250, 6000, 32768}, {6000, 6000, 0},
                {7000, 6000, 0},     {2510, 2510, 0},     {2505, 2510, 65536}};
    for (const row& r : rows) EXPECT_EQ(hypercloud_scale(r.t, r.duration), r.scale) << r.t;
    for (uint32_t t = 0; t < 9000; t += 7) {
        fix16 s = hypercloud_scale(t, 8000);
        EXPECT_TRUE(s >= 0 && s <= 85196) << t;
    }
}

std::vector<cloud_triangle> build(int style, int variant, uint32_t seed, uint32_t t,
                                  int capacity = HYPERCLOUD_CAPACITY) {
    std::vector<cloud_triangle> out(static_cast<size_t>(capacity));
    out.resize(static_cast<size_t>(
        hypercloud_build(style, variant, 0, seed, t, 6000, out.data(), capacity)));
    return out;
}

bool same(const std::vector<cloud_triangle>& a, const std::vector<cloud_triangle>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); i++)
        if (std::memcmp(a[i].v, b[i].v, sizeof a[i].v) != 0 || a[i].colour != b[i].colour)
            return false;
    return true;
}

TEST(Hypercloud, SeededCapacityKeptAndFading) {
    for (int style = 0; style < 4; style++) {
        std::vector<cloud_triangle> a = build(style, 0, 1, 1000);
        EXPECT_GT(a.size(), 100u) << style;
        EXPECT_TRUE(same(a, build(style, 0, 1, 1000))) << style;
        EXPECT_FALSE(same(a, build(style, 1, 1, 1000))) << style;
        EXPECT_FALSE(same(a, build(style, 0, 2, 1000))) << style;
        for (const cloud_triangle& tri : a) EXPECT_LT(tri.colour, 16) << style;
        std::vector<cloud_triangle> small = build(style, 0, 1, 1000, 7);
        ASSERT_EQ(small.size(), 7u) << style;
        EXPECT_TRUE(same(small, std::vector<cloud_triangle>(a.begin(), a.begin() + 7)));
        // No element is left out before the last 30 %; most are gone near the end.
        EXPECT_EQ(build(style, 0, 1, 4199).size(), a.size()) << style;
        size_t late = build(style, 0, 1, 5900).size();
        EXPECT_LT(late, a.size() * 3 / 4) << style;
        EXPECT_LT(build(style, 0, 1, 5999).size(), late) << style;
        EXPECT_TRUE(build(style, 0, 1, 6000).empty());
    }
}

TEST(Hypercloud, DrawsInsideTheFrameOnly) {
    constexpr int W = 64, H = 48, GUARD = 4096;
    std::vector<uint8_t> buf(W * H + 2 * GUARD, 0xAA);
    uint8_t* frame = buf.data() + GUARD;
    view_projection vp = view_projection_make(W, H, VIEW_FOCAL, VIEW_NEAR);
    render_pose camera = {{0, 0, 0}, IDENTITY};
    std::vector<cloud_triangle> cloud = build(2, 0, 1, 1000);
    struct row {
        int64_t x, z; // whole units, placed as fix32
        fix16 size;
        bool drawn;
    } rows[] = {
        {0, 200, 40 * FIX16_ONE, true},     // wider than the frame
        {-30, 200, 20 * FIX16_ONE, true},   // half off the left edge
        {60, 300, 500 * FIX16_ONE, true},   // off to the right, reaching back in
        {0, -200, 40 * FIX16_ONE, false},   // behind the camera
        {0, 200, 30000 * FIX16_ONE, false}, // too large to be worth drawing
    };
    for (const row& r : rows) {
        std::memset(frame, 0, W * H);
        render_pose obj = {{r.x * (int64_t{1} << 32), 0, r.z * (int64_t{1} << 32)}, IDENTITY};
        int n = hypercloud_draw(frame, W, H, cloud.data(), static_cast<int>(cloud.size()), &obj,
                                r.size, &camera, &vp, 0x40);
        int lit = 0;
        for (int i = 0; i < W * H; i++) lit += frame[i] != 0;
        EXPECT_EQ(n > 0, r.drawn) << r.x << "," << r.z;
        EXPECT_EQ(lit > 0, r.drawn) << r.x << "," << r.z;
        for (int i = 0; i < GUARD; i++) {
            ASSERT_EQ(buf[static_cast<size_t>(i)], 0xAA) << r.x;
            ASSERT_EQ(buf[static_cast<size_t>(GUARD + W * H + i)], 0xAA) << r.x;
        }
    }
}

// The clipped fill covers the renderer's span pixels, whichever way a triangle winds.
TEST(Hypercloud, FillMatchesTheSpanWalker) {
    constexpr int W = 64, H = 48;
    constexpr fix16 Q = FIX16_ONE / 4;
    const cloud_triangle tris[] = {{{{0, 0}, {2 * Q, 0}, {0, 2 * Q}}, 3},
                                   {{{-8 * Q, Q}, {Q, 5 * Q}, {-Q, -3 * Q}}, 5},
                                   {{{Q, Q}, {6 * Q, -Q}, {3 * Q, -7 * Q}}, 9}};
    view_projection vp = view_projection_make(W, H, VIEW_FOCAL, VIEW_NEAR);
    render_pose camera = {{0, 0, 0}, IDENTITY}, obj = {{0, 0, int64_t{280} << 32}, IDENTITY};
    for (const cloud_triangle& t : tris) {
        uint8_t got[W * H] = {}, want[W * H] = {};
        ASSERT_EQ(hypercloud_draw(got, W, H, &t, 1, &obj, 20 * FIX16_ONE, &camera, &vp, 0), 1);
        screen_triangle st;
        for (int k = 0; k < 3; k++) // 20 pixels per cloud unit around (32, 24), y up
            st.v[k] = {int16_t(32 + t.v[k].x * 20 / FIX16_ONE),
                       int16_t(24 - t.v[k].y * 20 / FIX16_ONE)};
        flat_span spans[64];
        int n = emit_triangle_spans(&st, t.colour, spans, 64);
        if (n == 0) std::swap(st.v[1], st.v[2]), n = emit_triangle_spans(&st, t.colour, spans, 64);
        ASSERT_GT(n, 0);
        raster_flat_spans(want, W, H, spans, n);
        EXPECT_EQ(std::memcmp(got, want, sizeof got), 0) << int(t.colour);
    }
}

} // namespace
} // namespace vantrel
