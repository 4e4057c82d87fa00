// Orbits: positions along the circle, the plane's tilt, and exact scaling of huge radii.
#include <gtest/gtest.h>

#include "universe/orbit.h"

namespace vantrel {
namespace {

TEST(Orbit, FlatOrbitWalksTheXZPlane) {
    Orbit o;
    orbit_init(&o, 1000 * 4096, 1440, 0, 0, 0);
    world_time t = {0, 0};
    space_pos p;
    orbit_offset(&o, &t, &p);
    EXPECT_EQ(p, (space_pos{1000 * 4096, 0, 0}));
    t.minutes = 360; // a quarter of the period: along Q = +z
    orbit_offset(&o, &t, &p);
    EXPECT_EQ(p, (space_pos{0, 0, 1000 * 4096}));
    t.minutes = 720;
    orbit_offset(&o, &t, &p);
    EXPECT_EQ(p, (space_pos{-1000 * 4096, 0, 0}));
}

TEST(Orbit, ZeroPeriodStaysAtItsPhase) {
    Orbit o;
    orbit_init(&o, 4096, 0, BANGLE_90, 0, 0);
    space_pos first, later;
    world_time t0 = {0, 0}, t1 = {123456789, 1000};
    orbit_offset(&o, &t0, &first);
    orbit_offset(&o, &t1, &later);
    EXPECT_EQ(first, later);
    EXPECT_EQ(first, (space_pos{0, 0, 4096}));
}

TEST(Orbit, InclinationLiftsTheQAxis) {
    Orbit o;
    orbit_init(&o, 1 << 20, 4, 0, BANGLE_90, 0); // a polar orbit: Q points up
    EXPECT_EQ(o.q[1], FIX2_30_ONE);
    EXPECT_EQ(o.q[2], 0);
    world_time t = {1, 0};
    space_pos p;
    orbit_offset(&o, &t, &p);
    EXPECT_EQ(p, (space_pos{0, 1 << 20, 0}));
}

TEST(Orbit, LargeRadiiScaleExactly) {
    // 30 AU: the plain product radius * w would need 80 bits.
    const uint64_t au = space_from_mm(fix32{149598} << 32);
    Orbit o;
    orbit_init(&o, 30 * au, 1000, 0, 0, 0);
    world_time t = {0, 0};
    space_pos p;
    orbit_offset(&o, &t, &p);
    EXPECT_EQ(p.x, static_cast<int64_t>(30 * au));
    t.minutes = 500;
    orbit_offset(&o, &t, &p);
    EXPECT_EQ(p.x, -static_cast<int64_t>(30 * au));
    EXPECT_EQ(p.z, 0);
}

} // namespace
} // namespace vantrel
