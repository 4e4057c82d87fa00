// World positions: level choice at every boundary, conversions and distance texts.
#include <gtest/gtest.h>
#include <string>

#include "core/space.h"

namespace vantrel {
namespace {

std::string distance_text(vec3 v, int level) {
    space_vec sv = {v, level};
    char buf[32];
    space_format_distance(&sv, buf, sizeof buf);
    return buf;
}

TEST(SpaceRel, PicksTheFinestLevelThatFits) {
    space_pos a = {100 * 4096, 0, 0}, b = {0, 0, 0};
    space_vec out;
    ASSERT_EQ(space_rel(&a, &b, 0, &out), 1);
    EXPECT_EQ(out.level, 0);
    EXPECT_EQ(out.v, (vec3{100 * 65536, 0, 0}));

    // Each level's limit is exclusive: 2^(e+26) units belongs to the next level.
    const int64_t limits[2] = {int64_t{1} << 26, int64_t{1} << 36};
    for (int level = 0; level < 2; level++) {
        for (int axis = 0; axis < 3; axis++) {
            for (int64_t sign : {1, -1}) {
                space_pos p = {0, 0, 0};
                int64_t* c[3] = {&p.x, &p.y, &p.z};
                *c[axis] = sign * (limits[level] - 1);
                ASSERT_EQ(space_rel(&p, &b, 0, &out), 1);
                EXPECT_EQ(out.level, level);
                *c[axis] = sign * limits[level];
                ASSERT_EQ(space_rel(&p, &b, 0, &out), 1);
                EXPECT_EQ(out.level, level + 1);
            }
        }
    }
    space_pos p16 = {int64_t{1} << 26, 0, 0};
    space_rel(&p16, &b, 0, &out);
    EXPECT_EQ(out.v.x, 1048576); // 16 km as 16.0 units of 1024 m

    space_pos far = {INT64_MAX, INT64_MIN + 1, 0};
    ASSERT_EQ(space_rel(&far, &b, 0, &out), 1);
    EXPECT_EQ(out.level, 2);
    EXPECT_EQ(out.v.x, static_cast<fix16>(INT64_MAX >> 33));

    EXPECT_EQ(space_rel(&a, &b, 3, &out), 0);
    ASSERT_EQ(space_rel(&a, &b, 1, &out), 1);
    EXPECT_EQ(out.level, 1);
    EXPECT_EQ(out.v.x, (100 * 4096) >> 6);
}

TEST(SpaceRel, DirectionFallsBackToForward) {
    space_pos a = {5, 6, 7};
    vec3 d;
    EXPECT_EQ(*space_direction(&d, &a, &a), (vec3{0, 0, 65536}));
    space_pos b = {5, 6 + 4096 * 10, 7};
    EXPECT_EQ(*space_direction(&d, &b, &a), (vec3{0, 65536, 0}));
}

TEST(SpaceConversions, LengthsAndForms) {
    EXPECT_EQ(space_length(4096, 0), 65536);
    EXPECT_EQ(space_length(-4096, 0), -65536);
    EXPECT_EQ(space_length(int64_t{1} << 27, 0), 0x7FFFFFFF);
    EXPECT_EQ(space_length(-(int64_t{1} << 27), 0), 0x7FFFFFFF);
    EXPECT_EQ(space_length((int64_t{1} << 27) - 1, 0), 0x7FFFFFF0);
    EXPECT_EQ(space_length(int64_t{1} << 22, 1), 65536);
    EXPECT_EQ(space_length(INT64_MIN, 2), -(1 << 30));
    EXPECT_EQ(space_length(INT64_MIN, 1), 0x7FFFFFFF);

    EXPECT_EQ(space_from_m(fix32{100} << 32), 100 * 4096);
    EXPECT_EQ(space_to_m(100 * 4096), fix32{100} << 32);
    EXPECT_EQ(space_from_mm(fix32{149598} << 32), int64_t{149598} * 15625 * 262144);
    EXPECT_EQ(space_from_mm(fix32{1} << 31), int64_t{500000} * 4096); // half a megametre

    space_pos base = {1000, -2000, 3000};
    space_local local = {fix32{-5} << 20, fix32{7} << 20, (fix32{1} << 20) - 1};
    space_pos moved;
    space_from_local(&base, &local, &moved);
    EXPECT_EQ(moved, (space_pos{995, -1993, 3000}));

    space_pos zero = {0, 0, 0};
    space_local out = {11, 22, 33};
    space_pos near = {(int64_t{1} << 43) - 1, -((int64_t{1} << 43) - 1), 0};
    EXPECT_EQ(space_to_local(&near, &zero, &out), 1);
    EXPECT_EQ(out.x, ((int64_t{1} << 43) - 1) << 20);
    space_pos too_far = {0, int64_t{1} << 43, 0};
    out = {11, 22, 33};
    EXPECT_EQ(space_to_local(&too_far, &zero, &out), 0);
    EXPECT_EQ(out.x, 0);  // earlier axis written
    EXPECT_EQ(out.y, 22); // failing axis untouched
    EXPECT_EQ(out.z, 33);
}

TEST(SpaceConversions, RebaseKeepsEveryPositionInPlace) {
    space_pos origin = {123456, -98765, 42};
    space_local locals[3] = {{fix32{5} << 32, -(fix32{3} << 31), 12345},
                             {0, 0, 0},
                             {-(fix32{77} << 28), fix32{1} << 40, -999999}};
    space_local shift = {(fix32{2} << 32) + 0x12345, -(fix32{9} << 30) - 0xFFFFF, 0x7654321};
    space_pos before[3];
    for (int k = 0; k < 3; k++) space_from_local(&origin, &locals[k], &before[k]);
    space_rebase(&origin, &shift, locals, 3);
    for (int k = 0; k < 3; k++) {
        space_pos after;
        space_from_local(&origin, &locals[k], &after);
        EXPECT_EQ(after, before[k]) << k;
    }
}

TEST(SpaceDistanceText, EveryRangeBoundary) {
    EXPECT_EQ(distance_text({9999 * 65536 + 58982, 0, 0}, 0), "9999 m");
    EXPECT_EQ(distance_text({10000 * 65536, 0, 0}, 0), "10.0 km");
    EXPECT_EQ(distance_text({12345 * 65536, 0, 0}, 0), "12.3 km");
    EXPECT_EQ(distance_text({0, 0, 0}, 0), "0 m");
    EXPECT_EQ(distance_text({99999 * 64, 0, 0}, 1), "99.9 km");
    EXPECT_EQ(distance_text({100000 * 64, 0, 0}, 1), "100 km");
    EXPECT_EQ(distance_text({150700 * 64, 0, 0}, 1), "150 km");
    EXPECT_EQ(distance_text({713, 0, 0}, 2), "1495269 km");
    EXPECT_EQ(distance_text({714, 0, 0}, 2), "0.00 AU"); // 0.0099 AU, truncated
    EXPECT_EQ(distance_text({65536, 0, 0}, 2), "0.91 AU");
    EXPECT_EQ(distance_text({0, 65536 * 3, 65536 * 4}, 2), "4.59 AU");
}

} // namespace
} // namespace vantrel
