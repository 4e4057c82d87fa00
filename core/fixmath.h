// fixmath: the fixed-point scalar formats, vectors and matrices all game arithmetic uses.
//
// fix16 is signed 16.16 in 32 bits (1.0 = 65536), fix32 is signed 32.32 in 64 bits
// (1.0 = 2^32), fix2_30 is a signed 2.30 sine or unit component (1.0 = 0x40000000).
// Products are exact 64-bit products shifted right (rounding toward minus infinity) and keep
// their low 32 bits: they wrap, they never saturate. Division, square root and reciprocal
// saturate. Every sum that "wraps" is formed in unsigned arithmetic, so overflow is defined.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vantrel {

using fix16 = int32_t;
using fix32 = int64_t;
using fix2_30 = int32_t;

constexpr fix16 FIX16_ONE = 65536;
constexpr fix2_30 FIX2_30_ONE = 0x40000000;
constexpr fix16 FIX16_MAX = INT32_MAX;
constexpr fix16 FIX16_MIN = INT32_MIN;

// Two's-complement wrapping in 32 bits, through unsigned arithmetic.
constexpr int32_t wrap_add32(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
constexpr int32_t wrap_sub32(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}
constexpr int64_t wrap_add64(int64_t a, int64_t b) {
    return static_cast<int64_t>(static_cast<uint64_t>(a) + static_cast<uint64_t>(b));
}
constexpr int64_t wrap_sub64(int64_t a, int64_t b) {
    return static_cast<int64_t>(static_cast<uint64_t>(a) - static_cast<uint64_t>(b));
}

// The exact product shifted right by 16, low 32 bits kept.
constexpr fix16 fix16_mul(fix16 a, fix16 b) {
    return static_cast<fix16>((static_cast<int64_t>(a) * b) >> 16);
}
// A 2.30 value times a fix16 (or any 32-bit value), shifted right by 30, low 32 bits kept.
constexpr int32_t fix2_30_mul(fix2_30 s, int32_t v) {
    return static_cast<int32_t>((static_cast<int64_t>(s) * v) >> 30);
}

fix16 fix16_div(fix16 a, fix16 b);
fix16 fix32_div_to_fix16(fix32 n, fix16 d);
fix16 fix16_sqrt(fix16 x);
// floor(sqrt(x)) of a plain unsigned integer, bit by bit (no division, no floating point).
uint32_t isqrt_u32(uint32_t x);
fix16 fix32_sqrt_narrow(fix32 x);
fix16 fix32_narrow(fix32 x);
fix16 fix16_recip(fix16 x);
// Writes "%s%u.%05u" (five decimals, truncated); returns what snprintf returns.
int fix16_to_str(fix16 x, char* buf, size_t size);

// A signed accumulator that adds with wrapping and decays by arithmetic shifts.
struct decaying_value {
    int32_t value;
};
void decaying_value_init(decaying_value* v);
void decaying_value_add(decaying_value* v, int32_t n);
void decaying_value_decay(decaying_value* v, uint32_t shift);

struct vec3 {
    fix16 x, y, z;
};
constexpr bool operator==(const vec3& a, const vec3& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
}

// Row-major: element (row r, column c) is m[3r + c]. An orientation's columns are the
// object's right, up and forward axes in the parent frame.
struct mat3 {
    fix16 m[9];
};
constexpr bool operator==(const mat3& a, const mat3& b) {
    for (int i = 0; i < 9; i++)
        if (a.m[i] != b.m[i]) return false;
    return true;
}

constexpr mat3 IDENTITY = {{FIX16_ONE, 0, 0, 0, FIX16_ONE, 0, 0, 0, FIX16_ONE}};

// Every vector and matrix operation reads all its inputs before it writes: out may alias.
// The three smallest are defined here: model drawing runs them once per face.
inline vec3* vec3_add(vec3* out, const vec3* a, const vec3* b) {
    vec3 r = {wrap_add32(a->x, b->x), wrap_add32(a->y, b->y), wrap_add32(a->z, b->z)};
    *out = r;
    return out;
}
inline vec3* vec3_sub(vec3* out, const vec3* a, const vec3* b) {
    vec3 r = {wrap_sub32(a->x, b->x), wrap_sub32(a->y, b->y), wrap_sub32(a->z, b->z)};
    *out = r;
    return out;
}
inline fix16 vec3_dot(const vec3* a, const vec3* b) {
    return wrap_add32(wrap_add32(fix16_mul(a->x, b->x), fix16_mul(a->y, b->y)),
                      fix16_mul(a->z, b->z));
}
vec3* vec3_scale(vec3* out, const vec3* v, fix16 s);
vec3* vec3_cross(vec3* out, const vec3* a, const vec3* b);
fix16 vec3_length(const vec3* v);
vec3* vec3_normalize(vec3* out, const vec3* v);
vec3* vec3_normalize_fast(vec3* out, const vec3* v);

mat3* mat3_identity(mat3* out);
vec3* mat3_apply(vec3* out, const mat3* m, const vec3* v);
mat3* mat3_transpose(mat3* out, const mat3* m);
mat3* mat3_mul(mat3* out, const mat3* a, const mat3* b);
mat3* mat3_look_at(mat3* out, const vec3* forward, const vec3* up);
mat3* mat3_orthonormalize(mat3* out, const mat3* m);
vec3 mat3_column(const mat3* m, int c);

} // namespace vantrel
