// space: world positions in 1/4096 m, scale-levelled relative vectors and distance texts.
//
// A space_pos holds three signed 64-bit coordinates in units of 2^-12 m (about +-2^51 m per
// axis). Hot paths work on small relative vectors: the local form (fix32 metres from a base,
// a shift of 20 from space_pos units) or a space_vec, a vec3 in units of 2^e m at level
// 0, 1 or 2 (e = 0, 10, 37), every component below 2^30 so lengths and dot products fit.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "core/fixmath.h"

namespace vantrel {

struct space_pos {
    int64_t x, y, z;
};
constexpr bool operator==(const space_pos& a, const space_pos& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
}

struct space_vec {
    vec3 v;
    int32_t level;
};

// A local-form vector: fix32 metres measured from a base position.
struct space_local {
    fix32 x, y, z;
};

// Base-2 exponent of each level's unit in metres.
constexpr std::array<uint8_t, 3> SPACE_LEVEL_EXP = {0, 10, 37};
constexpr int64_t SPACE_UNITS_PER_M = 4096;

int space_rel(const space_pos* a, const space_pos* b, int min_level, space_vec* out);
vec3* space_direction(vec3* out, const space_pos* a, const space_pos* b);
fix16 space_length(int64_t d, int level);
int64_t space_from_m(fix32 m);
fix32 space_to_m(int64_t s);
int64_t space_from_mm(fix32 megametres);
void space_from_local(const space_pos* base, const space_local* local, space_pos* out);
int space_to_local(const space_pos* a, const space_pos* b, space_local* out);
void space_rebase(space_pos* origin, const space_local* shift, space_local* locals, int count);
int space_format_distance(const space_vec* v, char* buf, size_t size);

} // namespace vantrel
