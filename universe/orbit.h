// orbit: circular, inclined orbits of bodies around their parents.
//
// An orbit is a radius in space units, a period in minutes and a phase at the epoch, plus
// the plane's two unit axes P and Q in 2.30: with inclination A and node B,
// P = (cos B, 0, sin B) and Q = (-sin B cos A, sin A, cos B cos A). A = B = 0 is the x-z
// plane with y up.
#pragma once

#include <cstdint>

#include "core/space.h"
#include "core/trig.h"
#include "universe/world_time.h"

namespace vantrel {

struct Orbit {
    uint64_t radius; // space units (1/4096 m)
    uint32_t period; // minutes; 0 = the body stays at its phase angle
    bangle phase;    // angle at the epoch
    fix2_30 p[3];
    fix2_30 q[3];
};

void orbit_init(Orbit* orbit, uint64_t radius, uint32_t period, bangle phase, bangle inclination,
                bangle node);
// Offset of the body from its parent at the given time, in space units.
void orbit_offset(const Orbit* orbit, const world_time* time, space_pos* out);

// A 3x3 matrix of 2.30 values, row-major.
struct mat3_2_30 {
    fix2_30 m[9];
};
// out = a * b; each element is the exact 64-bit sum of three products shifted right by 30.
void mul33(const mat3_2_30* a, const mat3_2_30* b, mat3_2_30* out);

} // namespace vantrel
