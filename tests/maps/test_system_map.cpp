// System map: projection limits, clipped lines, picking and the layout on both scales. The
// drawn map itself is pinned by the maps golden frames.
#include "maps/system_map.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

namespace vantrel {
namespace {

constexpr fix16 ONE = FIX16_ONE;

TEST(SystemMap, ProjectionNearLimitOffsetLimitAndFloors) {
    vec3 origin = {0, 0, 0};
    // Zoom 0 falls back to 1.0: the camera 640 units off; near puts z right at the near limit.
    const fix16 cam = 640 * ONE, near = (cam >> 4) - cam;
    struct {
        bangle yaw, pitch;
        vec3 p;
        int visible, x, y;
    } cases[] = {
        {0, 0, {0, 0, near}, 1, 160, 128},           {0, 0, {0, 0, near - 1}, 0, 0, 0},
        {0, 0, {4000 * ONE, 0, 0}, 1, 4160, 128},    {0, 0, {4001 * ONE, 0, 0}, 0, 0, 0},
        {0, 0, {-4000 * ONE, 0, 0}, 1, -3840, 128},  {0, 0, {-4000 * ONE - 1, 0, 0}, 0, 0, 0},
        {0, 0, {0, 4000 * ONE, 0}, 1, 160, -3872},   {0, 0, {-ONE / 2, -ONE / 2, 0}, 1, 159, 129},
        {0, 0, {ONE / 2, ONE / 2, 0}, 1, 160, 128},  {BANGLE_90, 0, {0, 0, 5 * ONE}, 1, 165, 128},
        {0, BANGLE_90, {0, 0, 5 * ONE}, 1, 160, 133}};
    for (const auto& c : cases) {
        map_view w = map_view_make(c.yaw, c.pitch, &origin, 0, 320, 256);
        int x = 0, y = 0;
        ASSERT_EQ(project(&w, &c.p, &x, &y, nullptr), c.visible) << c.p.x << " " << c.p.z;
        EXPECT_EQ((std::pair{x, y}), (std::pair{c.x, c.y})) << c.p.x; // untouched when hidden
    }
}

// Every pixel of the classic Bresenham walk, each tested against the frame.
void naive_line(uint8_t* f, int w, int h, int x0, int y0, int x1, int y1, uint8_t c) {
    int64_t dx = std::abs(int64_t{x1} - x0), dy = std::abs(int64_t{y1} - y0);
    int64_t sx = x1 < x0 ? -1 : 1, sy = y1 < y0 ? -1 : 1, x = x0, y = y0;
    bool steep = dy > dx;
    int64_t major = steep ? dy : dx, minor = steep ? dx : dy, d = 2 * minor - major;
    for (int64_t i = 0; i <= major; i++) {
        if (x >= 0 && y >= 0 && x < w && y < h) f[y * w + x] = c;
        if (d > 0) {
            (steep ? x : y) += steep ? sx : sy;
            d -= 2 * major;
        }
        d += 2 * minor;
        (steep ? y : x) += steep ? sy : sx;
    }
}

TEST(SystemMap, LinesDrawExactlyTheBresenhamPixelsInsideTheFrame) {
    constexpr int W = 64, H = 48;
    const int cases[][4] = {
        {-5, -5, -1, -10},         {-5, 5, 5, 5},          {-5000, 20, 5000, 30},
        {-3000, -1234, 4000, 987}, {-50, -3000, 70, 2900}, {4100, 2000, -3900, -1700},
        {10, 10, 4000, 4001},      {63, 0, -3000, 3063},   {30, 20, 30, 20},
        {5, 47, 5, 7000},          {-7, 3, 70, 3},         {-1000, -476, 1000, 524}};
    for (const auto& c : cases) {
        std::vector<uint8_t> got(W * H, 0), want(W * H, 0);
        line(got.data(), W, H, c[0], c[1], c[2], c[3], 1);
        naive_line(want.data(), W, H, c[0], c[1], c[2], c[3], 1);
        EXPECT_EQ(got, want) << c[0] << "," << c[1] << " -> " << c[2] << "," << c[3];
    }
    std::vector<uint8_t> f(W * H, 0);
    line(f.data(), W, H, -5, 5, 5, 5, 1); // x = 0..5 of row 5 and nothing else
    EXPECT_EQ(std::count(f.begin() + 5 * W, f.begin() + 5 * W + 6, 1), 6);
    EXPECT_EQ(std::count(f.begin(), f.end(), 1), 6);
}

TEST(SystemMap, PickNearestWithinRadius) {
    map_point pts[] = {{MAP_HIDDEN, 12}, {10, 10}, {14, 10}, {30, 30}};
    EXPECT_EQ(system_map_pick(pts, 4, 12, 10, 8), 1); // a tie keeps the lower index
    EXPECT_EQ(system_map_pick(pts, 4, 33, 34, 5), 3); // exactly on the radius
    EXPECT_EQ(system_map_pick(pts, 4, 33, 34, 4), -1);
    map_point hidden[] = {{MAP_HIDDEN, 0}, {MAP_HIDDEN, 5}};
    EXPECT_EQ(system_map_pick(hidden, 2, MAP_HIDDEN, 0, 8), -1);
}

const int64_t AU = space_from_mm(fix32{AU_MM} << 32), KM = 4096 * 1000;

// The star, planets at 4 AU on x and 1 AU on z, a moon 2,000 km (level 1) off the second
// planet and one 400,000 km (level 2) above the first.
void make_system(StarSystem* s, space_pos* pos) {
    std::memset(s, 0, sizeof *s);
    s->body_count = 5;
    const uint8_t kind[] = {SYSTEM_STAR, SYSTEM_PLANET, SYSTEM_PLANET, SYSTEM_MOON, SYSTEM_MOON};
    const uint8_t parent[] = {255, 0, 0, 2, 1};
    for (int i = 0; i < 5; i++) {
        s->bodies[i] = {{}, kind[i], parent[i], 0, 0, 6371 * KM, {}, 0, 0, 0, 0};
        orbit_init(&s->bodies[i].orbit, 0, 0, 0, 0, 0);
    }
    std::strcpy(s->bodies[0].name, "Sol");
    const space_pos p[5] = {
        {0, 0, 0}, {4 * AU, 0, 0}, {0, 0, AU}, {2000 * KM, 0, AU}, {4 * AU, 400000 * KM, 0}};
    std::copy(p, p + 5, pos);
}

TEST(SystemMap, LayoutOnBothScalesAndFitZoom) {
    StarSystem s;
    space_pos pos[5];
    make_system(&s, pos);
    vec3 lay[5];
    // Map units: compressed square roots of AU, real AU; moons twice the root on both.
    const double moon3 = 2 * 0.0036563, moon4 = 2 * 0.0517093;
    const double want[2][5] = {{0, 2.0, 1.0, moon3, moon4}, {0, 4.0, 1.0, moon3, moon4}};
    for (int scale = 0; scale < 2; scale++) {
        system_map_layout(&s, pos, scale, lay);
        EXPECT_EQ(lay[0], (vec3{0, 0, 0}));
        const fix16 got[5] = {0, lay[1].x, lay[2].z, lay[3].x - lay[2].x, lay[4].y - lay[1].y};
        for (int i = 1; i < 5; i++) {
            // The level-1 constant comes out about 2 % short of the level-2 one, and a moon
            // at level 2 keeps only a few hundred raw units of length.
            double tolerance = i == 3 ? 0.03 : i == 4 ? 0.005 : 0.0002;
            EXPECT_NEAR(got[i] / 65536.0, want[scale][i], want[scale][i] * tolerance) << i;
        }
        EXPECT_TRUE(lay[3].y == 0 && lay[4].x == lay[1].x);
    }
    system_map_layout(&s, pos, 0, lay);
    EXPECT_NEAR(system_map_fit_zoom(&s, lay, 100) / 65536.0, 87.5 / 2.0, 0.01);
    s.body_count = 1;
    EXPECT_EQ(system_map_fit_zoom(&s, lay, 100), 350 * ONE); // 0.875 * 100 / 0.25
}

} // namespace
} // namespace vantrel
