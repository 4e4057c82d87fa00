// Orbits: positions along the circle, the plane's tilt, and exact scaling of huge radii.
#include <gtest/gtest.h>

#include "universe/orbit.h"

namespace vantrel {
namespace {

TEST(Orbit, PositionsAlongTheCircle) {
    // 30 AU: the plain product radius * w would need 80 bits.
    const int64_t au30 = int64_t(30 * space_from_mm(fix32{149598} << 32)), r = 1000 * 4096;
    const struct {
        int64_t radius;
        uint32_t period;
        bangle phase, inclination;
        world_time t;
        space_pos want;
    } rows[] = {
        {r, 1440, 0, 0, {0, 0}, {r, 0, 0}},
        {r, 1440, 0, 0, {360, 0}, {0, 0, r}}, // a quarter of the period: along Q = +z
        {r, 1440, 0, 0, {720, 0}, {-r, 0, 0}},
        {4096, 0, BANGLE_90, 0, {0, 0}, {0, 0, 4096}}, // no period: it stays at its phase
        {4096, 0, BANGLE_90, 0, {123456789, 1000}, {0, 0, 4096}},
        {1 << 20, 4, 0, BANGLE_90, {1, 0}, {0, 1 << 20, 0}}, // a polar orbit: Q points up
        {au30, 1000, 0, 0, {0, 0}, {au30, 0, 0}},
        {au30, 1000, 0, 0, {500, 0}, {-au30, 0, 0}},
    };
    for (const auto& row : rows) {
        Orbit o;
        orbit_init(&o, uint64_t(row.radius), row.period, row.phase, row.inclination, 0);
        space_pos p;
        orbit_offset(&o, &row.t, &p);
        EXPECT_EQ(p, row.want) << row.radius << " at " << row.t.minutes;
    }
}

} // namespace
} // namespace vantrel
