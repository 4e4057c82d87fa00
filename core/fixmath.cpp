// fixmath: fixed-point scalar, vector and matrix operations.
#include "core/fixmath.h"

#include <cstdio>

namespace vantrel {

namespace {

fix16 saturate_to_fix16(int64_t q) {
    if (q > INT32_MAX) return INT32_MAX;
    if (q < INT32_MIN) return INT32_MIN;
    return static_cast<fix16>(q);
}

uint32_t magnitude32(int32_t x) {
    return x < 0 ? 0u - static_cast<uint32_t>(x) : static_cast<uint32_t>(x);
}

// The digit-by-digit binary root, for 32-bit radicands (the common case: every length the
// game forms in practice) and for 64-bit ones; top is the highest even power of two.
template <typename U>
U isqrt_bits(U x, U top) {
    U root = 0;
    U bit = top;
    while (bit > x) bit >>= 2;
    while (bit != 0) {
        if (x >= root + bit) {
            x -= root + bit;
            root = (root >> 1) + bit;
        } else {
            root >>= 1;
        }
        bit >>= 2;
    }
    return root;
}

} // namespace

fix16 fix16_div(fix16 a, fix16 b) {
    if (b == 0) return a >= 0 ? INT32_MAX : INT32_MIN;
    return saturate_to_fix16(static_cast<int64_t>(a) * 65536 / b);
}

fix16 fix32_div_to_fix16(fix32 n, fix16 d) {
    if (d == 0) return 0;
    // INT64_MIN / -1 is the one quotient that does not fit 64 bits; it saturates like
    // every other overflowing quotient instead of trapping.
    if (d == -1 && n == INT64_MIN) return INT32_MAX;
    return saturate_to_fix16(n / d);
}

uint32_t isqrt_u32(uint32_t x) {
    return isqrt_bits<uint32_t>(x, 1u << 30);
}

fix16 fix16_sqrt(fix16 x) {
    if (x <= 0) return 0;
    // Root of the 48-bit value x * 2^16: sixteen bit pairs of x, then eight zero pairs.
    uint64_t remainder = 0;
    uint64_t root = 0;
    uint32_t bits = static_cast<uint32_t>(x);
    for (int step = 0; step < 24; step++) {
        uint32_t pair = step < 16 ? (bits >> (30 - 2 * step)) & 3u : 0u;
        remainder = remainder * 4 + pair;
        uint64_t trial = root * 4 + 1;
        if (remainder >= trial) {
            remainder -= trial;
            root = root * 2 + 1;
        } else {
            root = root * 2;
        }
    }
    return static_cast<fix16>(root);
}

fix16 fix32_sqrt_narrow(fix32 x) {
    if (x <= 0) return 0;
    uint64_t ux = static_cast<uint64_t>(x);
    if ((ux >> 32) == 0) return static_cast<fix16>(isqrt_u32(static_cast<uint32_t>(ux)));
    return static_cast<fix16>(static_cast<uint32_t>(isqrt_bits<uint64_t>(ux, 1ull << 62)));
}

fix16 fix32_narrow(fix32 x) {
    return saturate_to_fix16(x >> 16);
}

fix16 fix16_recip(fix16 x) {
    if (x >= 0 && x <= 2) return INT32_MAX;
    if (x == -1 || x == -2) return INT32_MIN;
    uint32_t ax = magnitude32(x);
    uint32_t q = 0xFFFFFFFFu / ax;
    if (static_cast<uint64_t>(q + 1) * ax == (1ull << 32)) q++;
    return x < 0 ? static_cast<fix16>(0u - q) : static_cast<fix16>(q);
}

int fix16_to_str(fix16 x, char* buf, size_t size) {
    uint32_t ax = magnitude32(x);
    // 3125 / 2048 = 100000 / 65536: five decimals of the fraction, truncated.
    return std::snprintf(buf, size, "%s%u.%05u", x < 0 ? "-" : "", ax >> 16,
                         ((ax & 0xFFFFu) * 3125u) >> 11);
}

void decaying_value_init(decaying_value* v) {
    v->value = 0;
}

void decaying_value_add(decaying_value* v, int32_t n) {
    v->value = wrap_add32(v->value, n);
}

void decaying_value_decay(decaying_value* v, uint32_t shift) {
    v->value >>= (shift > 31 ? 31 : shift);
}

vec3* vec3_scale(vec3* out, const vec3* v, fix16 s) {
    vec3 r = {fix16_mul(v->x, s), fix16_mul(v->y, s), fix16_mul(v->z, s)};
    *out = r;
    return out;
}

vec3* vec3_cross(vec3* out, const vec3* a, const vec3* b) {
    vec3 r = {wrap_sub32(fix16_mul(a->y, b->z), fix16_mul(a->z, b->y)),
              wrap_sub32(fix16_mul(a->z, b->x), fix16_mul(a->x, b->z)),
              wrap_sub32(fix16_mul(a->x, b->y), fix16_mul(a->y, b->x))};
    *out = r;
    return out;
}

fix16 vec3_length(const vec3* v) {
    // Exact squares summed in 64 bits; a sum past 2^63 wraps negative and gives length 0,
    // which callers avoid by keeping components below 32768.0.
    uint64_t sum = static_cast<uint64_t>(static_cast<int64_t>(v->x) * v->x) +
                   static_cast<uint64_t>(static_cast<int64_t>(v->y) * v->y) +
                   static_cast<uint64_t>(static_cast<int64_t>(v->z) * v->z);
    return fix32_sqrt_narrow(static_cast<int64_t>(sum));
}

vec3* vec3_normalize(vec3* out, const vec3* v) {
    fix16 len = vec3_length(v);
    if (len == 0) {
        *out = vec3{0, 0, 0};
        return out;
    }
    vec3 r = {fix16_div(v->x, len), fix16_div(v->y, len), fix16_div(v->z, len)};
    *out = r;
    return out;
}

vec3* vec3_normalize_fast(vec3* out, const vec3* v) {
    fix16 len = vec3_length(v);
    if (len == 0) {
        *out = vec3{0, 0, 0};
        return out;
    }
    fix16 r = fix16_recip(len);
    return vec3_scale(out, v, r);
}

mat3* mat3_identity(mat3* out) {
    *out = IDENTITY;
    return out;
}

vec3* mat3_apply(vec3* out, const mat3* m, const vec3* v) {
    const fix16* e = m->m;
    vec3 r;
    r.x =
        wrap_add32(wrap_add32(fix16_mul(e[0], v->x), fix16_mul(e[1], v->y)), fix16_mul(e[2], v->z));
    r.y =
        wrap_add32(wrap_add32(fix16_mul(e[3], v->x), fix16_mul(e[4], v->y)), fix16_mul(e[5], v->z));
    r.z =
        wrap_add32(wrap_add32(fix16_mul(e[6], v->x), fix16_mul(e[7], v->y)), fix16_mul(e[8], v->z));
    *out = r;
    return out;
}

mat3* mat3_transpose(mat3* out, const mat3* m) {
    mat3 t;
    for (int r = 0; r < 3; r++)
        for (int c = 0; c < 3; c++) t.m[3 * r + c] = m->m[3 * c + r];
    *out = t;
    return out;
}

mat3* mat3_mul(mat3* out, const mat3* a, const mat3* b) {
    mat3 t;
    for (int i = 0; i < 3; i++) {
        for (int j = 0; j < 3; j++) {
            int32_t sum = 0;
            for (int k = 0; k < 3; k++)
                sum = wrap_add32(sum, fix16_mul(a->m[3 * i + k], b->m[3 * k + j]));
            t.m[3 * i + j] = sum;
        }
    }
    *out = t;
    return out;
}

vec3 mat3_column(const mat3* m, int c) {
    return vec3{m->m[c], m->m[3 + c], m->m[6 + c]};
}

mat3* mat3_look_at(mat3* out, const vec3* forward, const vec3* up) {
    vec3 f;
    vec3_normalize(&f, forward);
    if (f == vec3{0, 0, 0}) return mat3_identity(out);
    vec3 r;
    vec3_cross(&r, up, &f);
    vec3_normalize(&r, &r);
    if (r == vec3{0, 0, 0}) {
        // Up is zero or parallel to forward: take the Z axis crossed with forward.
        vec3 side = {wrap_sub32(0, f.y), f.x, 0};
        vec3_normalize(&r, &side);
    }
    vec3 u;
    vec3_cross(&u, &f, &r);
    *out = mat3{{r.x, u.x, f.x, r.y, u.y, f.y, r.z, u.z, f.z}};
    return out;
}

mat3* mat3_orthonormalize(mat3* out, const mat3* m) {
    vec3 forward = mat3_column(m, 2);
    vec3 up = mat3_column(m, 1);
    return mat3_look_at(out, &forward, &up);
}

} // namespace vantrel
