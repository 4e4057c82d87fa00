// Star map: grid step, hollow stars, hidden points, names by label mode, an empty map.
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

#include "maps/star_map.h"

namespace vantrel {
namespace {

constexpr int W = 320, H = 256;
constexpr fix16 LY = FIX16_ONE;
const uint8_t* const C = STAR_MAP_COLOUR_LIST;

StarGroup group_at(fix16 x, fix16 y, fix16 z, const char* name, uint8_t cls = 4) {
    StarGroup g{{x, y, z}, LY, cls, 0, 1, 0, 0, {}}; // brightness 1.0: disc r2 12, hole r2 6
    std::strncpy(g.name, name, sizeof g.name - 1);
    return g;
}

// Focus 0 puts the first group at the screen centre (no groups: the Sun).
struct drawn {
    std::vector<uint8_t> frame = std::vector<uint8_t>(W * H);
    map_point points[3];
    drawn(const std::vector<StarGroup>& groups, int32_t selected, int32_t labels, fix16 jump) {
        star_view_state v = {0,      bangle_from_deg(30), 9 * LY, 0, selected, -1, labels, jump,
                             10 * LY};
        star_map_draw(frame.data(), W, H, groups.data(), static_cast<int32_t>(groups.size()), &v, C,
                      points);
    }
    int count(uint8_t c, int x0 = 0, int y0 = 0, int x1 = W, int y1 = H) const {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) n += frame[y * W + x] == c;
        return n;
    }
};

TEST(StarMap, GridStepKeepsAtMostFourRingsInTheHalfHeight) {
    const int32_t cases[][3] = {
        // zoom, height, step: V = 30, 4, huge, 8, 8+, 40, 41, 2001 ly
        {4 * LY, 240, 10}, {30 * LY, 240, 1},      {1, 256, 500},
        {15 * LY, 240, 2}, {15 * LY - 16, 240, 5}, {LY, 80, 10},
        {LY, 82, 20},      {LY, 4002, 500},        {0, 8, 1}}; // zoom 0 taken as 1
    for (const auto& c : cases) EXPECT_EQ(star_map_grid_step(c[0], c[1]), c[2]) << c[0];
}

TEST(StarMap, BeyondTheJumpRangeIsHollowAndNamedOnlyInTheFullLabelMode) {
    // 4.5, 0, 6 is 7.5 ly; the camera stands 2 * 320 / 9 ly out, 100 ly behind is behind it;
    // the third lies 2 ly farther along the line of sight, so only depth order keeps it under.
    std::vector<StarGroup> far = {group_at(294912, 0, 6 * LY, "Far"),
                                  group_at(294912, 0, -94 * LY, "Behind"),
                                  group_at(294912, LY, 6 * LY + 113512, "", 6)};
    for (fix16 jump : {7 * LY, 8 * LY}) {
        drawn d(far, -1, 2, jump);
        EXPECT_EQ(d.points[1].x, MAP_HIDDEN);
        int wrong = 0; // hole pixels in the star's colour, or disc pixels not in it
        for (int dy = -3; dy <= 3; ++dy)
            for (int dx = -3, r2; dx <= 3; ++dx)
                wrong += (r2 = dx * dx + dy * dy) <= 12 &&
                         (d.frame[(H / 2 + dy) * W + W / 2 + dx] == C[9 + 4]) !=
                             (jump > 7 * LY || r2 >= 6);
        EXPECT_EQ(wrong, 0) << jump;
    }
    for (int mode = 0; mode <= 2; ++mode) {
        drawn d(far, -1, mode, 7 * LY);
        EXPECT_EQ(d.count(C[4], W / 2 + 6, H / 2 - 3, W / 2 + 30, H / 2 + 5) > 0, mode == 2);
        EXPECT_EQ(d.count(C[3]), 0);
    }
}

TEST(StarMap, SelectionIsAlwaysNamedAndOverlappingNamesAreDropped) {
    std::vector<StarGroup> one = {group_at(LY, LY, 0, "Near")};
    std::vector<StarGroup> twins = {one[0], group_at(LY, LY, 0, "Twin")};
    for (int mode = 0; mode <= 2; ++mode) {
        drawn d(one, 0, mode, 7 * LY);
        EXPECT_GT(d.count(C[3], W / 2 + 6, H / 2 - 3, W / 2 + 38, H / 2 + 5), 0);
        EXPECT_EQ(d.count(C[5]), 20); // four marks of two 3-pixel arms
        drawn plain(one, -1, mode, 7 * LY);
        EXPECT_EQ(plain.count(C[3]) > 0, mode >= 1);
        EXPECT_EQ(drawn(twins, -1, mode, 7 * LY).frame, plain.frame); // same place, one name
    }
}

TEST(StarMap, WithoutGroupsOnlyTheGridAndRangeCirclesAreDrawn) {
    for (fix16 jump : {7 * LY, 12 * LY}) { // the full-tank range is 10 ly
        drawn d({}, -1, 2, jump);
        EXPECT_TRUE(d.count(C[1]) > 0 && d.count(C[7]) > 0);
        EXPECT_EQ(d.count(C[8]) > 0, jump < 10 * LY);
        EXPECT_EQ(d.count(C[0]) + d.count(C[1]) + d.count(C[7]) + d.count(C[8]), W * H);
    }
}

} // namespace
} // namespace vantrel
