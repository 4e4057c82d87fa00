// HUD primitives stay on the canvas; projection, hit tests, edge arrows, distance text and
// the drawings put their pixels where they belong.
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <tuple>
#include <vector>

#include "flight/hud.h"

namespace vantrel {
namespace {

constexpr uint8_t CANARY = 0xA5;
constexpr uint8_t INK = 7;
const uint8_t COLOURS[5] = {2, 3, 4, 5, 1};

// A canvas with guard bytes before and after it, wide enough to catch any stray write of
// the coordinates used here.
struct framed_canvas {
    static constexpr int32_t GUARD = 65536;
    std::vector<uint8_t> bytes;
    hud_canvas c;
    framed_canvas(int32_t w, int32_t h) : bytes(size_t(w) * h + 2 * GUARD, CANARY) {
        std::memset(bytes.data() + GUARD, 0, size_t(w) * h);
        c = hud_canvas{bytes.data() + GUARD, w, h};
    }
    bool guards_intact() const {
        for (int32_t i = 0; i < GUARD; i++)
            if (bytes[i] != CANARY || bytes[bytes.size() - 1 - i] != CANARY) return false;
        return true;
    }
    uint8_t at(int32_t x, int32_t y) const { return c.pixels[y * c.width + x]; }
    int count(uint8_t col) const {
        return int(std::count(c.pixels, c.pixels + c.width * c.height, col));
    }
    int inked() const { return c.width * c.height - count(0); }
    bool ink_within(int64_t x0, int64_t y0, int64_t x1, int64_t y1) const {
        for (int32_t y = 0; y < c.height; y++)
            for (int32_t x = 0; x < c.width; x++)
                if (at(x, y) && (x < std::min(x0, x1) || x > std::max(x0, x1) ||
                                 y < std::min(y0, y1) || y > std::max(y0, y1)))
                    return false;
        return true;
    }
};

const view_projection P = {VIEW_FOCAL, VIEW_NEAR, 160, 100};

TEST(HudPrimitives, NothingOffTheCanvasIsWritten) {
    const int32_t far[] = {INT32_MIN, -100000, -30, 100, 100000, INT32_MAX};
    for (int32_t a : far) {
        for (int32_t b : far) {
            framed_canvas f(64, 40);
            const hud_canvas* c = &f.c;
            hud_plot(c, a, b, INK);
            hud_hline(c, a, ~a, b, INK); // b is off, whatever a spans (~a: the other side)
            hud_vline(c, a, b, ~b, INK);
            hud_line(c, a, b, a / 2, b, INK);
            hud_rect(c, a, b, a, b / 3, INK);
            hud_fill(c, a, b, ~a, b, INK);
            hud_corners(c, a, b, a, b, 30, INK);
            hud_draw_pointer(c, a, b, INK);
            hud_draw_offscreen(c, a, b, 256, 0, INK);
            hud_target t{1, 1, a, b, 400};
            hud_draw_bomb_signal(c, &t, 8, COLOURS);
            hud_draw_target(c, &t, "NAME", "1 m", 1, 1, INK, COLOURS);
            EXPECT_EQ(f.inked(), 0) << a << "," << b;
            EXPECT_TRUE(f.guards_intact());
        }
    }
}

TEST(HudPrimitives, PartlyOffCallsClipToTheirOwnBox) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int32_t> coord(-300, 400);
    for (int i = 0; i < 3000; i++) {
        framed_canvas f(97, 61); // odd sizes: no row aligns with a power of two
        int32_t x0 = coord(rng), y0 = coord(rng), x1 = coord(rng), y1 = coord(rng);
        int32_t arm = 1 + i % 40;
        switch (i % 7) {
        case 0:
            hud_plot(&f.c, x0, y0, INK), x1 = x0, y1 = y0;
            break;
        case 1:
            hud_hline(&f.c, x0, x1, y0, INK), y1 = y0;
            break;
        case 2:
            hud_vline(&f.c, x0, y0, y1, INK), x1 = x0;
            break;
        case 3:
            hud_line(&f.c, x0, y0, x1, y1, INK);
            break;
        case 4:
            hud_rect(&f.c, x0, y0, x1, y1, INK);
            break;
        case 5:
            hud_fill(&f.c, x0, y0, x1, y1, INK);
            break;
        case 6: // arms longer than the box reach past it along its edges
            hud_corners(&f.c, x0, y0, x1, y1, arm, INK);
            std::tie(x0, x1) = std::make_pair(std::min(x0, x1) - arm, std::max(x0, x1) + arm);
            std::tie(y0, y1) = std::make_pair(std::min(y0, y1) - arm, std::max(y0, y1) + arm);
            break;
        }
        ASSERT_TRUE(f.guards_intact()) << i;
        ASSERT_TRUE(f.ink_within(x0, y0, x1, y1)) << i;
    }
}

TEST(HudPrimitives, Shapes) {
    framed_canvas f(40, 30);
    hud_corners(&f.c, 5, 5, 20, 15, 3, INK); // four Ls of two 3-pixel arms
    EXPECT_EQ(f.count(INK), 20);
    EXPECT_EQ(f.at(7, 5), INK);
    EXPECT_EQ(f.at(20, 13), INK);
    hud_fill(&f.c, 0, 10, 3, 9, 9); // y0 > y1: nothing
    hud_fill(&f.c, 3, 20, 0, 21, 9);
    EXPECT_EQ(f.count(9), 8);
    framed_canvas longest(4000, 3);
    hud_line(&longest.c, 0, 1, 3999, 1, INK);
    EXPECT_EQ(longest.count(INK), HUD_LINE_MAX);
}

TEST(HudProjection, NearOffAxisAndOnScreen) {
    hud_target t;
    vec3 at_near = {0, 0, P.near};
    hud_project_target(&t, &at_near, FIX16_ONE, &P);
    EXPECT_EQ(t.in_front + t.visible, 0);
    EXPECT_EQ(t.x, 160);
    vec3 side = {300 * FIX16_ONE, 0, 30 * FIX16_ONE}; // more than 8 times off the axis
    hud_project_target(&t, &side, FIX16_ONE, &P);
    EXPECT_EQ(t.in_front, 1);
    EXPECT_EQ(t.visible, 0);
    EXPECT_EQ(t.x, 32000);
    EXPECT_EQ(t.y, 32000); // y = 0 counts as below
    // 280 / 100 is 2.8 (183500 raw, truncated); offsets round toward minus infinity.
    vec3 ahead = {10 * FIX16_ONE, -5 * FIX16_ONE, 100 * FIX16_ONE};
    hud_project_target(&t, &ahead, 50 * FIX16_ONE, &P);
    EXPECT_EQ(t.visible, 1);
    EXPECT_EQ(t.x, 160 + 27);
    EXPECT_EQ(t.y, 100 + 14);
    EXPECT_EQ(t.r, 139);
    hud_project_target(&t, &ahead, 1000 * FIX16_ONE, &P);
    EXPECT_EQ(t.r, 400);
    vec3 far_side = {30000 * FIX16_ONE, 0, 5000 * FIX16_ONE}; // far: no pinning
    hud_project_target(&t, &far_side, 0, &P);
    EXPECT_EQ(t.x, 160 + 1679);
    EXPECT_EQ(t.visible, 0);
}

TEST(HudGeometry, FramesAndPicking) {
    hud_target t{1, 1, 160 + 14, 100 - 14, 5};
    EXPECT_EQ(hud_in_frame(1, &t, 320, 200), 1); // bounds inclusive
    t.x++;
    EXPECT_EQ(hud_in_frame(1, &t, 320, 200), 0);
    EXPECT_EQ(hud_in_frame(2, &t, 320, 200), 1);
    EXPECT_EQ(hud_in_frame(4, &t, 320, 200), 0);

    hud_target ts[4] = {
        {1, 1, 100, 100, 20}, {1, 1, 110, 100, 20}, {0, 1, 104, 100, 50}, {1, 1, 200, 50, 1}};
    EXPECT_EQ(hud_pick(ts, 4, 104, 100, 6), 0); // the nearer centre, the hidden one skipped
    EXPECT_EQ(hud_pick(ts, 4, 106, 100, 6), 1);
    EXPECT_EQ(hud_pick(ts, 4, 105, 100, 6), 0); // a tie goes to the first
    EXPECT_EQ(hud_pick(ts, 4, 207, 50, 6), 3);  // radius 1 + slack 6
    EXPECT_EQ(hud_pick(ts, 4, 208, 50, 6), -1); // 7 px outside the target's edge
}

TEST(HudGeometry, EdgePoints) {
    constexpr fix16 M = FIX16_ONE; // a metre
    struct {
        hud_target t;
        vec3 v;
        int32_t w, h, x, y, dx, dy;
    } cases[] = {
        // On screen side, off the picture: the right edge, on the ray.
        {{0, 1, 400, 100, 2}, {0, 0, 0}, 320, 200, 310, 100, 256, 0},
        // Behind: the camera-space position decides; up and a little left, the top edge.
        {{0, 0, 160, 100, 2}, {-10 * M, 40 * M, -50 * M}, 320, 200, 160 - 22, 10, -64, -256},
        // Pinned far off the axis: the camera-space position again.
        {{0, 1, -32000, 32000, 2}, {-100 * M, 0, 10 * M}, 320, 200, 10, 100, -256, 0},
        // Straight behind: nowhere to point, so the bottom centre pointing down.
        {{0, 0, 160, 100, 2}, {0, 0, 0}, 320, 200, 160, 190, 0, 256},
        // Canvases smaller than the margins must not divide by zero.
        {{0, 1, 20, 3, 2}, {0, 0, 0}, 8, 6, 4, 10, 256, 0},
        {{0, 1, 4, 50, 2}, {0, 0, 0}, 8, 6, -2, 3, 0, 256},
    };
    for (auto& k : cases) {
        int32_t x, y, dx, dy;
        hud_edge_point(&k.t, &k.v, k.w, k.h, 10, &x, &y, &dx, &dy);
        EXPECT_EQ((std::vector<int32_t>{x, y, dx, dy}),
                  (std::vector<int32_t>{k.x, k.y, k.dx, k.dy}));
    }
}

TEST(HudText, DistanceAtEveryRangeBoundary) {
    struct {
        uint32_t m;
        const char* text;
    } cases[] = {{999, "999 m"},     {1000, "1.0 km"},           {1949, "1.9 km"},
                 {1950, "2.0 km"},   {99999, "100.0 km"},        {100000, "100 km"},
                 {100500, "101 km"}, {2000000000, "2000000 km"}, {3000000000u, "2000000 km"}};
    for (auto& k : cases) {
        char buf[40];
        EXPECT_EQ(hud_format_distance(buf, sizeof buf, k.m), int(std::strlen(k.text)));
        EXPECT_STREQ(buf, k.text) << k.m;
    }
    char small[4];
    EXPECT_EQ(hud_format_distance(small, sizeof small, 12345), 7); // cut short, safely
    EXPECT_STREQ(small, "12.");
}

TEST(HudDrawing, ArrowMarkerAndBombSignal) {
    framed_canvas arrow(64, 64);
    hud_draw_offscreen(&arrow.c, 40, 30, 256, 0, INK);
    EXPECT_EQ(arrow.at(32, 25) + arrow.at(32, 35) + arrow.at(40, 30), 3 * INK);
    EXPECT_TRUE(arrow.ink_within(32, 25, 40, 35)); // base 8 px behind the tip, 10 px tall

    struct {
        vec3 v;
        bool drawn, retro;
    } marks[] = {{{0, 0, 65535}, false, false}, // below 1 m/s
                 {{0, 0, 50 * FIX16_ONE}, true, false},
                 {{0, 0, -50 * FIX16_ONE}, true, true},
                 {{50 * FIX16_ONE, 0, 5 * FIX16_ONE}, false, false}}; // 84 degrees off
    for (auto& k : marks) {
        framed_canvas f(320, 200);
        hud_draw_velocity_marker(&f.c, &k.v, &P, COLOURS);
        EXPECT_EQ(f.count(COLOURS[HUD_CALM]), f.inked());
        EXPECT_EQ(f.at(160, 97) != 0, k.drawn);              // the ring
        EXPECT_EQ(f.at(152, 100) != 0, k.drawn && !k.retro); // the wings
        EXPECT_EQ(f.at(159, 99) != 0, k.retro);              // the X
    }

    hud_target t{1, 1, 50, 60, 10};
    framed_canvas bomb(100, 100);
    hud_draw_bomb_signal(&bomb.c, &t, 8, COLOURS);
    EXPECT_EQ(bomb.at(44, 30), COLOURS[HUD_LARGE]); // top row: x - 6 .. x + 6
    EXPECT_EQ(bomb.at(48, 35), 0);                  // the point: x - 1 .. x + 1
    for (int32_t y = 37; y < 50; y++) EXPECT_EQ(bomb.at(50, y) != 0, (y - 37) % 3 == 0) << y;
    EXPECT_EQ(bomb.count(COLOURS[HUD_LARGE]), 13 + 11 + 9 + 7 + 5 + 3 + 5);
    framed_canvas blink(100, 100);
    hud_draw_bomb_signal(&blink.c, &t, 0, COLOURS);
    EXPECT_EQ(blink.count(COLOURS[HUD_NORMAL]), 53);
}

TEST(HudDrawing, ReticleClosesWithProgress) {
    for (fix16 progress : {0, FIX16_ONE / 2, FIX16_ONE, 3 * FIX16_ONE}) {
        framed_canvas f(320, 200);
        hud_draw_reticle(&f.c, 1, progress, 0, COLOURS);
        EXPECT_EQ(f.at(160 - 10, 100 - 14), COLOURS[HUD_CALM]); // the IR frame
        // The closing marks run from the frame (14) to +-6 at a full lock.
        if (progress > 0) {
            int32_t d = 14 - (8 * std::min(progress, FIX16_ONE) >> 16);
            EXPECT_EQ(f.at(160 + d - 2, 100 + d), COLOURS[HUD_NORMAL]) << progress;
        }
        EXPECT_EQ(f.at(160 - 6, 100 - 6) != 0, progress >= FIX16_ONE);
        EXPECT_EQ(f.at(160, 100 - 2), 0); // the gap of the centre cross
    }
    framed_canvas locked(320, 200);
    hud_draw_reticle(&locked.c, 2, FIX16_ONE, 1, COLOURS);
    EXPECT_EQ(locked.at(160 + 44, 100 + 26), COLOURS[HUD_CALM]);
    EXPECT_EQ(locked.at(160 + 6, 100 + 6), COLOURS[HUD_HIGHLIGHT]);
    EXPECT_EQ(locked.at(160 + 8, 100), COLOURS[HUD_HIGHLIGHT]); // the lock box

    framed_canvas camera(320, 200);
    hud_draw_reticle(&camera.c, 3, FIX16_ONE / 2, 0, COLOURS);
    EXPECT_NE(camera.at(160 - 47 + 46, 100 + 47), 0); // the bar, half of 95 filled
    EXPECT_EQ(camera.at(160 - 47 + 48, 100 + 47), 0);
    for (int32_t mode : {0, 4, 9}) {
        framed_canvas plain(320, 200);
        hud_draw_reticle(&plain.c, mode, FIX16_ONE, 1, COLOURS);
        EXPECT_EQ(plain.inked(), 28); // the centre cross only
    }
}

TEST(HudDrawing, TargetBoxesNamesAndPointer) {
    hud_target t{1, 1, 100, 50, 2};
    framed_canvas plain(200, 120);
    hud_draw_target(&plain.c, &t, "ALFA", "1.0 km", 0, 0, 9, COLOURS);
    EXPECT_EQ(plain.inked(), 12); // half-size at least 6, arms of 2, no text
    EXPECT_EQ(plain.at(94, 44), 9);

    framed_canvas sel(200, 120);
    hud_draw_target(&sel.c, &t, "ALFA", "1.0 km", 1, 1, 9, COLOURS);
    EXPECT_EQ(sel.at(97, 44), 9);                      // arms of 4
    EXPECT_EQ(sel.at(97, 42), COLOURS[HUD_HIGHLIGHT]); // the lock corners
    int name = 0, dist = 0;
    for (int32_t x = 0; x < 200; x++) {
        for (int32_t y = 59; y < 67; y++) name += sel.at(x, y) == 9;
        for (int32_t y = 68; y < 76; y++) dist += sel.at(x, y) == COLOURS[HUD_CALM];
    }
    EXPECT_GT(name, 10); // the name below the box, the distance nine rows lower
    EXPECT_GT(dist, 10);
    EXPECT_GT(sel.count(COLOURS[HUD_SHADOW]), 0);

    framed_canvas ptr(40, 40);
    hud_draw_pointer(&ptr.c, 10, 10, INK);
    EXPECT_EQ(ptr.count(INK), 15 + 3 + 2 + 5); // seven rows, then the tail
    EXPECT_EQ(ptr.at(15, 19), INK);
}

} // namespace
} // namespace vantrel
