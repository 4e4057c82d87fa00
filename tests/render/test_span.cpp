// Span rasteriser: the fused and span paths agree, edges meet exactly, nothing is written
// outside the frame, and the depth base keeps every new frame in front of the old ones.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "render/fast_clear.h"
#include "render/span.h"

namespace vantrel {
namespace {

constexpr int W = 320, H = 256;
constexpr int PAD = 4096; // canary bytes (and depth words) on each side of the buffers
constexpr uint8_t CANARY = 0xA5;

// A frame and depth buffer with canaries before and after.
struct target {
    std::vector<uint8_t> frame_mem = std::vector<uint8_t>(W * H + 2 * PAD, CANARY);
    std::vector<int32_t> depth_mem = std::vector<int32_t>(W * H + 2 * PAD, 0x5A5A5A5A);
    target() {
        std::memset(frame(), 0, W * H);
        std::memset(depth(), 0, W * H * sizeof(int32_t));
    }
    uint8_t* frame() { return frame_mem.data() + PAD; }
    int32_t* depth() { return depth_mem.data() + PAD; }
    bool canaries_intact() const {
        for (int i = 0; i < PAD; i++) {
            if (frame_mem[i] != CANARY || frame_mem[PAD + W * H + i] != CANARY) return false;
            if (depth_mem[i] != 0x5A5A5A5A || depth_mem[PAD + W * H + i] != 0x5A5A5A5A)
                return false;
        }
        return true;
    }
    bool same_as(target& o) {
        return std::memcmp(frame(), o.frame(), W * H) == 0 &&
               std::memcmp(depth(), o.depth(), W * H * sizeof(int32_t)) == 0;
    }
};

// Restores the global switches whatever a test does to them.
struct switch_guard {
    int fused = g_raster_fused, no_depth = g_raster_no_depth;
    ~switch_guard() {
        g_raster_fused = fused;
        g_raster_no_depth = no_depth;
    }
};

int draw(target& t, const screen_triangle& tri, const int32_t z[3], uint8_t colour, bool fused,
         bool no_depth = false) {
    static depth_span spans[SPAN_CAPACITY];
    switch_guard g;
    g_raster_fused = fused;
    g_raster_no_depth = no_depth;
    return raster_screen_triangle(t.frame(), t.depth(), W, H, &tri, z, colour, spans);
}

screen_triangle tri3(int x0, int y0, int x1, int y1, int x2, int y2) {
    return screen_triangle{
        {{int16_t(x0), int16_t(y0)}, {int16_t(x1), int16_t(y1)}, {int16_t(x2), int16_t(y2)}}};
}

TEST(Span, FusedAndSpanPathsAgreeOnRandomTriangles) {
    std::mt19937 rng(12345);
    target fused, spans;
    // Mixed scales weighted toward small triangles, one in twenty reaching far off the screen,
    // and depth ranges both inside and outside the triangle-wide step's limits.
    const int ranges[20] = {20,  20,  20,  20,  20,  40,  40,  40,   40,   40,
                            100, 100, 200, 200, 400, 400, 700, 1200, 1200, 32000};
    const int32_t depth_ranges[3] = {0xFFFFF, 0x3FFFFF, 0x7FFFFFFF};
    int drawn = 0;
    for (int i = 0; i < 100000; i++) {
        int range = ranges[rng() % 20];
        int cx = int(rng() % 480) - 80, cy = int(rng() % 400) - 72;
        screen_triangle t;
        for (auto& v : t.v) {
            int x = cx + int(rng() % (2 * range + 1)) - range;
            int y = cy + int(rng() % (2 * range + 1)) - range;
            v = screen_vertex{int16_t(std::clamp(x, -32768, 32767)),
                              int16_t(std::clamp(y, -32768, 32767))};
        }
        int32_t dr = depth_ranges[rng() % 3];
        int32_t z[3];
        for (auto& d : z) d = int32_t(uint32_t(rng()) % uint32_t(dr));
        uint8_t colour = uint8_t(1 + rng() % 255);
        static depth_span probe[SPAN_CAPACITY];
        bool fits = emit_triangle_spans_z(&t, z, colour, probe, SPAN_CAPACITY) >= 0;
        int a = draw(fused, t, z, colour, true);
        int b = draw(spans, t, z, colour, false);
        if (fits) {
            ASSERT_EQ(a, b) << "triangle " << i;
        } else {
            // Too many rows for the span buffer: the span path draws nothing at all.
            ASSERT_EQ(b, 0);
            // Keep going from the same picture.
            std::memcpy(spans.frame(), fused.frame(), W * H);
            std::memcpy(spans.depth(), fused.depth(), W * H * sizeof(int32_t));
        }
        drawn += a > 0;
        if (i % 64 == 0) {
            ASSERT_TRUE(fused.same_as(spans)) << "triangle " << i;
        }
    }
    EXPECT_TRUE(fused.same_as(spans));
    EXPECT_TRUE(fused.canaries_intact());
    EXPECT_TRUE(spans.canaries_intact());
    EXPECT_GT(drawn, 30000); // about half the random triangles face the right way
}

TEST(Span, NoWriteOutsideTheFrameForFarOffScreenTriangles) {
    target t;
    const int32_t z[3] = {0x1000, 0x2000, 0x3000};
    const screen_triangle far[] = {
        tri3(-30000, -30000, -20000, -30000, -25000, -100), // above and left
        tri3(400, 10, 32000, 20, 500, 250),                 // right of the frame
        tri3(10, 300, 300, 260, 32767, 32767),              // below
        tri3(-32768, -32768, 32767, -32768, -32768, 32767), // covers and overhangs all
        tri3(-32768, 100, 32767, 101, 0, 102),              // wide and thin
        tri3(319, -5, 330, 300, 318, 300),                  // a sliver on the right edge
    };
    for (const auto& tri : far)
        for (int path = 0; path < 3; path++) draw(t, tri, z, 7, path == 0, path == 2);
    EXPECT_TRUE(t.canaries_intact());
}

TEST(Span, SharedEdgesAreCoveredExactlyOnce) {
    // Convex quads split along a diagonal: every row of the union is one run, with the two
    // triangles' spans meeting exactly (no pixel twice, no gap between them).
    std::mt19937 rng(99);
    static flat_span s1[SPAN_CAPACITY], s2[SPAN_CAPACITY];
    int checked = 0;
    for (int i = 0; i < 20000; i++) {
        int cx = int(rng() % 600) - 140, cy = int(rng() % 500) - 120;
        int r = 2 + int(rng() % 300);
        // Four points on a rough circle in clockwise screen order (y down).
        screen_vertex q[4];
        for (int k = 0; k < 4; k++) {
            static const int dx[4] = {0, 1, 0, -1}, dy[4] = {-1, 0, 1, 0};
            int jx = int(rng() % (r / 2 + 1)), jy = int(rng() % (r / 2 + 1));
            q[k] = screen_vertex{int16_t(cx + dx[k] * r + (dx[k] ? 0 : jx - r / 4)),
                                 int16_t(cy + dy[k] * r + (dy[k] ? 0 : jy - r / 4))};
        }
        screen_triangle a = {{q[0], q[1], q[2]}}, b = {{q[0], q[2], q[3]}};
        int n1 = emit_triangle_spans(&a, 1, s1, SPAN_CAPACITY);
        int n2 = emit_triangle_spans(&b, 2, s2, SPAN_CAPACITY);
        ASSERT_GE(n1, 0);
        ASSERT_GE(n2, 0);
        // Both lists run down the rows in order: walk them together.
        for (int u = 0, v = 0; u < n1 && v < n2;) {
            if (s1[u].y < s2[v].y) {
                u++;
            } else if (s2[v].y < s1[u].y) {
                v++;
            } else {
                // The bottom vertex's row is sampled where both short edges have ended
                // beside the diagonal; only rows above it are shared-edge rows. Above it,
                // a lies right of the diagonal q0-q2 and b left of it: they must meet.
                if (s1[u].y < q[2].y) {
                    ASSERT_EQ(s2[v].right, s1[u].left) << "quad " << i << " row " << s1[u].y;
                    checked++;
                }
                u++, v++;
            }
        }
    }
    EXPECT_GT(checked, 100000);
}

TEST(Span, RejectsReversedAndDegenerateTriangles) {
    target t;
    const int32_t z[3] = {5, 5, 5};
    for (bool fused : {true, false}) {
        EXPECT_EQ(draw(t, tri3(10, 10, 10, 50, 50, 10), z, 3, fused), 0); // counter-clockwise
        EXPECT_EQ(draw(t, tri3(10, 10, 20, 20, 40, 40), z, 3, fused), 0); // collinear
        EXPECT_EQ(draw(t, tri3(10, 10, 10, 10, 10, 10), z, 3, fused), 0);
    }
    static flat_span s[4];
    screen_triangle ccw = tri3(10, 10, 10, 50, 50, 10);
    EXPECT_EQ(emit_triangle_spans(&ccw, 1, s, 4), 0);
    uint8_t zero[W * H] = {};
    EXPECT_EQ(std::memcmp(t.frame(), zero, W * H), 0);
}

TEST(Span, RowsAreSampledAtTheirTopEdge) {
    // Two rows tall: only the top row can be drawn.
    target t;
    const int32_t z[3] = {100, 100, 100};
    int n = draw(t, tri3(10, 10, 30, 10, 20, 11), z, 9, true);
    EXPECT_EQ(n, 21); // row 10 covers 10..29: 20 pixels, counted as right - left + 1
    for (int x = 0; x < W; x++) {
        EXPECT_EQ(t.frame()[10 * W + x], (x >= 10 && x < 30) ? 9 : 0) << x;
        EXPECT_EQ(t.frame()[11 * W + x], 0) << x;
    }
}

TEST(Span, ClippedLeftEndCarriesTheUnclippedDepth) {
    // The same triangle drawn into a frame and shifted 40 pixels right into a frame 40
    // pixels wider: every pixel and depth of the overlap must match.
    constexpr int WIDE = W + 40;
    // Depth spread wide enough to need the per-span step, and within the triangle-wide one.
    for (int32_t spread : {0x80000, 0x7000000}) {
        std::vector<uint8_t> f1(W * H), f2(WIDE * H);
        std::vector<int32_t> d1(W * H), d2(WIDE * H);
        const int32_t z[3] = {0x100000, 0x100000 + spread, 0x100000 + spread / 3};
        screen_triangle a = tri3(-37, -20, 200, 60, -30, 230);
        screen_triangle b = tri3(3, -20, 240, 60, 10, 230);
        raster_triangle_w(f1.data(), d1.data(), W, H, &a, z, 4);
        raster_triangle_w(f2.data(), d2.data(), WIDE, H, &b, z, 4);
        for (int y = 0; y < H; y++)
            for (int x = 0; x < W; x++) {
                ASSERT_EQ(f1[y * W + x], f2[y * WIDE + x + 40]) << x << "," << y;
                ASSERT_EQ(d1[y * W + x], d2[y * WIDE + x + 40]) << x << "," << y;
            }
        EXPECT_EQ(f1[100 * W + 0], 4);
    }
}

TEST(Span, DepthTestRules) {
    target t;
    const int32_t z[3] = {0x200000, 0x200000, 0x200000};
    for (bool fused : {true, false}) {
        draw(t, tri3(0, 0, 100, 0, 0, 100), z, 1, fused);
        draw(t, tri3(0, 0, 100, 0, 0, 100), z, 2, fused);
        EXPECT_EQ(t.frame()[10 * W + 10], 1); // equal depth keeps the first
    }
    // Without depth the triangle is drawn over everything and the depth buffer is kept.
    const int32_t low[3] = {1, 1, 1};
    draw(t, tri3(0, 0, 100, 0, 0, 100), low, 3, true, true);
    EXPECT_EQ(t.frame()[10 * W + 10], 3);
    EXPECT_EQ(t.depth()[10 * W + 10], 0x200000);
}

TEST(Span, TooManyRowsForTheSpanBufferDrawsNothing) {
    target t;
    const int32_t z[3] = {0x200000, 0x200000, 0x200000};
    screen_triangle tall = tri3(0, -1000, 300, 200, 0, 100);
    static depth_span spans[SPAN_CAPACITY];
    EXPECT_EQ(emit_triangle_spans_z(&tall, z, 1, spans, SPAN_CAPACITY), -1);
    EXPECT_EQ(draw(t, tall, z, 1, false), 0);
    EXPECT_EQ(t.frame()[50 * W + 5], 0);
    EXPECT_GT(draw(t, tall, z, 1, true), 0);
    EXPECT_EQ(t.frame()[50 * W + 5], 1);
}

TEST(Span, DepthBaseKeepsNewFramesInFrontAcrossTheWrap) {
    std::vector<int32_t> zbuf(W * H, 0);
    std::vector<uint8_t> fbuf(W * H, 0);
    depth_frame df;
    depth_frame_init(&df, 1638400, 0x1180000);
    EXPECT_EQ(df.scale, 5851 * 32767);
    depth_frame_begin(&df, zbuf.data(), W * H);
    EXPECT_EQ(df.base, 0x100000u);
    // Scales from the near plane (focal / near) down to far away give depths inside one
    // frame's band.
    EXPECT_EQ(depth_frame_vertex(&df, 0), 0x100000);
    int32_t nearest = depth_frame_vertex(&df, 0xB3333);
    EXPECT_LT(nearest, 0x200000);
    EXPECT_GE(nearest, 0x1FF000);
    int clears = 0;
    uint32_t previous = df.base;
    for (int frame = 0; frame < 5000; frame++) {
        // Last frame, something very near; this frame, something very far in the same spot.
        const int32_t near_z = depth_frame_vertex(&df, 0xB3333);
        const int32_t zn[3] = {near_z, near_z, near_z};
        screen_triangle tri = tri3(0, 0, 50, 0, 0, 50);
        raster_triangle_w(fbuf.data(), zbuf.data(), W, H, &tri, zn, 1);
        depth_frame_begin(&df, zbuf.data(), W * H);
        if (df.base < previous) clears++;
        previous = df.base;
        ASSERT_LT(df.base + 0xFFFFFu, 0x80000000u);
        const int32_t far_z = depth_frame_vertex(&df, 1);
        const int32_t zf[3] = {far_z, far_z, far_z};
        raster_triangle_w(fbuf.data(), zbuf.data(), W, H, &tri, zf, 2);
        ASSERT_EQ(fbuf[5 * W + 5], 2) << "frame " << frame << " base " << df.base;
    }
    EXPECT_EQ(clears, 2); // once every 2046 frames
}

TEST(Span, TimingCountsPixelsOnlyWhenOn) {
    switch_guard g;
    render_timing saved = g_render_timing;
    static uint32_t ticks = 0;
    g_render_timing = render_timing{};
    g_render_timing.now = [] { return ticks += 10; };
    target t;
    const int32_t z[3] = {0x200000, 0x200000, 0x200000};
    draw(t, tri3(0, 0, 10, 0, 0, 10), z, 1, true);
    EXPECT_EQ(g_render_timing.pixels, 0u);
    g_render_timing.on = 1;
    int n = draw(t, tri3(0, 0, 10, 0, 0, 10), z, 1, false);
    EXPECT_EQ(g_render_timing.pixels, uint32_t(n));
    EXPECT_GT(g_render_timing.fill, 0u);
    EXPECT_GT(g_render_timing.setup, 0u);
    EXPECT_EQ(g_render_timing.reads, 3u);
    g_render_timing = saved;
}

} // namespace
} // namespace vantrel
