// transform_fpu: the single-precision vertex path, an alternative to the fix16 one.
#include "render/transform_fpu.h"

#include <cstring>

namespace vantrel {

float fpu_fma_rounded_to_odd(float a, float b, float c) {
    // The product of two floats is exact in a double. Their sum with c is made exact as a
    // pair (s, e) (two-sum), and s is rounded to odd when e is not zero: a double rounded
    // to odd keeps enough information that the final rounding to float is the correctly
    // rounded fused result.
    double p = static_cast<double>(a) * static_cast<double>(b);
    double s = p + static_cast<double>(c);
    double bb = s - p;
    double e = (p - (s - bb)) + (static_cast<double>(c) - bb);
    uint64_t u = fpu_double_bits(s);
    if (e != 0.0 && (u & 1) == 0 && (u & 0x7FF0000000000000ull) != 0x7FF0000000000000ull) {
        // Step one unit toward e: away from zero when e has s's sign, else toward zero.
        bool s_negative = (u >> 63) != 0;
        bool e_negative = e < 0.0;
        if (s == 0.0) {
            u = (e_negative ? 0x8000000000000001ull : 1ull);
        } else if (s_negative == e_negative) {
            u += 1;
        } else {
            u -= 1;
        }
        std::memcpy(&s, &u, sizeof s);
    }
    return static_cast<float>(s);
}

void fpu_view_setup(fpu_view* out, const mat3* m, const vec3* t, const view_projection* vp) {
    for (int i = 0; i < 9; i++) out->m[i] = static_cast<float>(m->m[i]) / 65536.0f;
    out->t[0] = static_cast<float>(t->x);
    out->t[1] = static_cast<float>(t->y);
    out->t[2] = static_cast<float>(t->z);
    out->focal = static_cast<float>(vp->focal);
    out->near = static_cast<float>(vp->near);
    out->slope_x = static_cast<float>(vp->centre_x) * 65536.0f / out->focal;
    out->slope_y = static_cast<float>(vp->centre_y) * 65536.0f / out->focal;
    out->centre_x = vp->centre_x;
    out->centre_y = vp->centre_y;
}

uint8_t fpu_transform_vertices(const fpu_view* fv, const vec3* vertices, const uint8_t* used,
                               int count, vec3* view, uint8_t* outcodes,
                               projected_vertex* projected) {
    // The view is copied into locals: the loop stores bytes (the outcodes), which may alias
    // anything, so fields read through fv would be loaded again for every vertex.
    const fpu_view v0 = *fv;
    const float* m = v0.m;
    uint8_t any = 0;
    for (int i = 0; i < count; i++) {
        if (!used[i]) continue;
        float x = static_cast<float>(vertices[i].x);
        float y = static_cast<float>(vertices[i].y);
        float z = static_cast<float>(vertices[i].z);
        float vx = fpu_fma_grid(m[2], z, fpu_fma_grid(m[0], x, m[1] * y)) + v0.t[0];
        float vy = fpu_fma_grid(m[5], z, fpu_fma_grid(m[3], x, m[4] * y)) + v0.t[1];
        float vz = fpu_fma_grid(m[8], z, fpu_fma_grid(m[6], x, m[7] * y)) + v0.t[2];
        vec3 v = {fpu_to_int(vx), fpu_to_int(vy), fpu_to_int(vz)};
        view[i] = v;
        uint8_t code = 0;
        if (vz <= v0.near) code |= OUT_NEAR;
        float sx = v0.slope_x * vz;
        float sy = v0.slope_y * vz;
        if (sx - vx < 0.0f) code |= OUT_RIGHT;
        if (vx + sx < 0.0f) code |= OUT_LEFT;
        if (sy - vy < 0.0f) code |= OUT_TOP;
        if (vy + sy < 0.0f) code |= OUT_BOTTOM;
        outcodes[i] = code;
        any |= code;
        if (code & OUT_NEAR) continue;
        float k = v0.focal / vz;
        projected_vertex& pv = projected[i];
        pv.scale = fpu_to_int(k * 65536.0f);
        pv.screen_x = static_cast<int16_t>(wrap_add32(v0.centre_x, fpu_to_int(vx * k) >> 16));
        pv.screen_y = static_cast<int16_t>(wrap_sub32(v0.centre_y, fpu_to_int(vy * k) >> 16));
        pv.z = v.z;
        pv.valid = 1;
    }
    return any;
}

} // namespace vantrel
