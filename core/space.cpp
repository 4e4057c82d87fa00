// space: conversions between world positions, local metre vectors and levelled vectors.
#include "core/space.h"

#include <cstdio>

namespace vantrel {

namespace {

uint64_t magnitude64(int64_t d) {
    return d < 0 ? 0ull - static_cast<uint64_t>(d) : static_cast<uint64_t>(d);
}

// d expressed in fix16 units of 2^e m, low 32 bits kept.
fix16 to_level_units(int64_t d, unsigned e) {
    if (e < 4)
        return static_cast<fix16>(static_cast<uint32_t>(static_cast<uint64_t>(d) << (4 - e)));
    return static_cast<fix16>(static_cast<uint32_t>(static_cast<uint64_t>(d >> (e - 4))));
}

int64_t shl20_wrapping(int64_t s) {
    return static_cast<int64_t>(static_cast<uint64_t>(s) << 20);
}

} // namespace

int space_rel(const space_pos* a, const space_pos* b, int min_level, space_vec* out) {
    if (min_level < 0) min_level = 0;
    if (min_level > 2) return 0;
    int64_t d[3] = {wrap_sub64(a->x, b->x), wrap_sub64(a->y, b->y), wrap_sub64(a->z, b->z)};
    uint64_t m = magnitude64(d[0]);
    if (magnitude64(d[1]) > m) m = magnitude64(d[1]);
    if (magnitude64(d[2]) > m) m = magnitude64(d[2]);
    // Levels are chosen by comparing against a power of two, never by measuring a length.
    for (int level = min_level; level <= 2; level++) {
        unsigned e = SPACE_LEVEL_EXP[level];
        if (m < (1ull << (e + 26))) {
            out->v =
                vec3{to_level_units(d[0], e), to_level_units(d[1], e), to_level_units(d[2], e)};
            out->level = level;
            return 1;
        }
    }
    return 0;
}

vec3* space_direction(vec3* out, const space_pos* a, const space_pos* b) {
    space_vec rel;
    if (!space_rel(a, b, 0, &rel) || rel.v == vec3{0, 0, 0}) {
        *out = vec3{0, 0, FIX16_ONE};
        return out;
    }
    return vec3_normalize(out, &rel.v);
}

fix16 space_length(int64_t d, int level) {
    if (level < 0 || level > 2) return INT32_MAX;
    unsigned e = SPACE_LEVEL_EXP[level];
    uint64_t md = magnitude64(d);
    int64_t r;
    if (e < 4) {
        if (md >= (1ull << 40)) return INT32_MAX;
        r = d * (int64_t{1} << (4 - e));
    } else {
        r = d >> (e - 4);
    }
    if (magnitude64(r) >= (1ull << 31)) return INT32_MAX;
    return static_cast<fix16>(r);
}

int64_t space_from_m(fix32 m) {
    return m >> 20;
}

fix32 space_to_m(int64_t s) {
    return shl20_wrapping(s);
}

int64_t space_from_mm(fix32 x) {
    // x * 10^6 * 4096 / 2^32 = x * 15625 / 2^14, split so no product overflows: the high
    // word times 15625 * 2^18, plus the low word (less its lowest bit) times 15625 / 2^13.
    uint64_t hi = static_cast<uint64_t>(x >> 32);
    uint64_t lo = static_cast<uint64_t>(x) & 0xFFFFFFFFull;
    uint64_t high_part = hi * 15625ull * 262144ull;
    uint64_t low_part = ((lo >> 1) * 15625ull) >> 13;
    return static_cast<int64_t>(high_part + low_part);
}

void space_from_local(const space_pos* base, const space_local* local, space_pos* out) {
    space_pos r = {wrap_add64(base->x, local->x >> 20), wrap_add64(base->y, local->y >> 20),
                   wrap_add64(base->z, local->z >> 20)};
    *out = r;
}

int space_to_local(const space_pos* a, const space_pos* b, space_local* out) {
    const int64_t d[3] = {wrap_sub64(a->x, b->x), wrap_sub64(a->y, b->y), wrap_sub64(a->z, b->z)};
    fix32* axes[3] = {&out->x, &out->y, &out->z};
    for (int i = 0; i < 3; i++) {
        // 2^43 units is 2^31 m, the reach of a fix32 metre value.
        if ((magnitude64(d[i]) >> 32) > 2047) return 0;
        *axes[i] = shl20_wrapping(d[i]);
    }
    return 1;
}

void space_rebase(space_pos* origin, const space_local* shift, space_local* locals, int count) {
    // Whole space_pos units move into the origin; locals lose exactly that part of the
    // shift, so every origin + local stays where it was.
    const int64_t whole_mask = ~int64_t{0xFFFFF};
    origin->x = wrap_add64(origin->x, shift->x >> 20);
    origin->y = wrap_add64(origin->y, shift->y >> 20);
    origin->z = wrap_add64(origin->z, shift->z >> 20);
    for (int k = 0; k < count; k++) {
        locals[k].x = wrap_sub64(locals[k].x, shift->x & whole_mask);
        locals[k].y = wrap_sub64(locals[k].y, shift->y & whole_mask);
        locals[k].z = wrap_sub64(locals[k].z, shift->z & whole_mask);
    }
}

int space_format_distance(const space_vec* v, char* buf, size_t size) {
    uint32_t n = static_cast<uint32_t>(vec3_length(&v->v));
    if (v->level == 0) {
        long m = static_cast<long>(n >> 16);
        if (m <= 9999) return std::snprintf(buf, size, "%ld m", m);
        return std::snprintf(buf, size, "%ld.%ld km", m / 1000, (m % 1000) / 100);
    }
    if (v->level == 1) {
        long m = static_cast<long>(n >> 6);
        if (m <= 99999) return std::snprintf(buf, size, "%ld.%ld km", m / 1000, (m % 1000) / 100);
        return std::snprintf(buf, size, "%ld km", m / 1000);
    }
    // Level 2: up to 713 raw (about 0.01 AU) whole kilometres, beyond that hundredths of
    // an AU; 60208 / 65536 turns units of 2^37 m into astronomical units.
    if (n <= 713) return std::snprintf(buf, size, "%ld km", static_cast<long>((n << 21) / 1000u));
    uint64_t au = (static_cast<uint64_t>(n) * 60208u) >> 16;
    return std::snprintf(buf, size, "%ld.%02ld AU", static_cast<long>(au >> 16),
                         static_cast<long>(((au & 0xFFFFu) * 100u) >> 16));
}

} // namespace vantrel
