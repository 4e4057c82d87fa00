// transform_fpu: the single-precision vertex path, an alternative to the fix16 one.
//
// It takes its matrix from the fixed-point side (no trigonometry of its own), keeps the
// whole per-vertex computation in floats and converts to integers once. Multiply-adds
// are formed with one rounding each, done in software, so every machine gets the same bits.
#pragma once

#include <cstdint>
#include <cstring>

#include "render/transform.h"

namespace vantrel {

struct fpu_view {
    float m[9];    // the model-to-view matrix, fix16 elements / 65536
    float t[3];    // translation in raw fix16 units
    float slope_x; // centre x * 65536 / focal
    float slope_y;
    float near;  // raw fix16 units
    float focal; // raw fix16 units
    int16_t centre_x, centre_y;
};

void fpu_view_setup(fpu_view* out, const mat3* m, const vec3* t, const view_projection* vp);
// Returns the used vertices' outcodes or-ed together, as transform_vertices does.
uint8_t fpu_transform_vertices(const fpu_view* fv, const vec3* vertices, const uint8_t* used,
                               int count, vec3* view, uint8_t* outcodes,
                               projected_vertex* projected);

inline uint64_t fpu_double_bits(double d) {
    uint64_t u;
    std::memcpy(&u, &d, sizeof u);
    return u;
}

// a * b + c with a single rounding to float, by way of a double rounded to odd.
float fpu_fma_rounded_to_odd(float a, float b, float c);

// a * b + c with a single rounding to float. The product is exact in a double and the sum
// rounds once to a double; rounding that double to float gives the fused result unless it
// fell exactly halfway between two floats (the first rounding may have made the tie) or
// below the normal float range, where the float grid is coarser: those rare cases take
// the rounding-to-odd path.
inline float fpu_fma(float a, float b, float c) {
    double s = static_cast<double>(a) * static_cast<double>(b) + static_cast<double>(c);
    uint64_t u = fpu_double_bits(s);
    bool float_tie = (u & 0x1FFFFFFFull) == 0x10000000ull; // the 29 bits a float drops
    bool below_normal = ((u >> 52) & 0x7FF) < 1023 - 126;
    if (!float_tie && !below_normal) return static_cast<float>(s);
    return fpu_fma_rounded_to_odd(a, b, c);
}
// fpu_fma for operands that are all multiples of 2^-16, as the vertex path's are (matrix
// elements are fix16 / 65536, coordinates and translations whole raw units, and rounding to
// float only coarsens a multiple of 2^-16): the result is 0 or at least 2^-16 in size, never
// below the normal float range, so only the halfway case needs the slow path.
inline float fpu_fma_grid(float a, float b, float c) {
    double s = static_cast<double>(a) * static_cast<double>(b) + static_cast<double>(c);
    if ((fpu_double_bits(s) & 0x1FFFFFFFull) != 0x10000000ull) return static_cast<float>(s);
    return fpu_fma_rounded_to_odd(a, b, c);
}
// Truncation toward zero, saturated to 32 bits; not-a-number gives INT32_MIN. Inline: the
// vertex loop converts six values per vertex.
inline int32_t fpu_to_int(float f) {
    if (f > -2147483648.0f && f < 2147483648.0f) return static_cast<int32_t>(f);
    if (f != f) return INT32_MIN;
    return f > 0.0f ? INT32_MAX : INT32_MIN;
}

} // namespace vantrel
