// orbit: the plane axes and the position along the circle at a world time.
#include "universe/orbit.h"

namespace vantrel {

namespace {

fix2_30 mul_2_30(fix2_30 a, fix2_30 b) {
    return static_cast<fix2_30>((static_cast<int64_t>(a) * b) >> 30);
}

// floor(radius * w / 2^30) exactly, without a 128-bit product: the radius is split at bit
// 30 so each partial product fits 64 bits for any radius below 2^63 units.
int64_t scale_radius(uint64_t radius, fix2_30 w) {
    int64_t high = static_cast<int64_t>(radius >> 30);
    int64_t low = static_cast<int64_t>(radius & 0x3FFFFFFFu);
    uint64_t whole = static_cast<uint64_t>(high) * static_cast<uint64_t>(static_cast<int64_t>(w));
    return static_cast<int64_t>(whole + static_cast<uint64_t>((low * w) >> 30));
}

} // namespace

void orbit_init(Orbit* orbit, uint64_t radius, uint32_t period, bangle phase, bangle inclination,
                bangle node) {
    fix2_30 cos_a = trig_cos(inclination), sin_a = trig_sin(inclination);
    fix2_30 cos_b = trig_cos(node), sin_b = trig_sin(node);
    orbit->radius = radius;
    orbit->period = period;
    orbit->phase = phase;
    orbit->p[0] = cos_b;
    orbit->p[1] = 0;
    orbit->p[2] = sin_b;
    orbit->q[0] = -mul_2_30(sin_b, cos_a);
    orbit->q[1] = sin_a;
    orbit->q[2] = mul_2_30(cos_b, cos_a);
}

void orbit_offset(const Orbit* orbit, const world_time* time, space_pos* out) {
    bangle theta =
        orbit->period == 0 ? orbit->phase : world_time_phase(time, orbit->period, orbit->phase);
    fix2_30 c = trig_cos(theta), s = trig_sin(theta);
    int64_t axis[3];
    for (int i = 0; i < 3; i++) {
        fix2_30 w = static_cast<fix2_30>(((static_cast<int64_t>(s) * orbit->q[i]) >> 30) +
                                         ((static_cast<int64_t>(c) * orbit->p[i]) >> 30));
        axis[i] = scale_radius(orbit->radius, w);
    }
    *out = space_pos{axis[0], axis[1], axis[2]};
}

void mul33(const mat3_2_30* a, const mat3_2_30* b, mat3_2_30* out) {
    mat3_2_30 t;
    for (int i = 0; i < 3; i++)
        for (int j = 0; j < 3; j++) {
            int64_t sum = 0;
            for (int k = 0; k < 3; k++)
                sum += static_cast<int64_t>(a->m[3 * i + k]) * b->m[3 * k + j];
            t.m[3 * i + j] = static_cast<fix2_30>(sum >> 30);
        }
    *out = t;
}

} // namespace vantrel
