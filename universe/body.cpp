// body: equilibrium temperatures and the type rules of planets and moons.
#include "universe/body.h"

#include "core/hash.h"

namespace vantrel {

namespace {

// 0.04823 in fix16: the square root of half a solar radius in AU.
constexpr int64_t HALF_SOLAR_RADIUS_ROOT = 3161;

uint32_t body_hash(uint64_t seed, uint32_t body_id, uint32_t range) {
    const uint64_t words[2] = {body_id, 1};
    return hash_range_u32(hash_fold(seed, words, 2), range);
}

// Whole numbers in fix16 (a quarter of an Earth radius and such are written out).
constexpr fix16 W(int v) {
    return v * FIX16_ONE;
}

} // namespace

uint32_t body_equilibrium_temp_k(uint32_t star_temperature, fix16 star_radius, fix16 distance) {
    if (distance <= 0 || star_radius <= 0) return 0;
    fix16 s = fix16_sqrt(fix16_div(star_radius, distance));
    int64_t s2 = (int64_t{s} * HALF_SOLAR_RADIUS_ROOT) >> 16;
    uint64_t t = (uint64_t{star_temperature} * static_cast<uint64_t>(s2)) >> 16;
    return t > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(t);
}

uint8_t body_classify_planet(fix16 mass, fix16 radius, uint32_t t, int band, uint64_t seed,
                             uint32_t body_id) {
    uint32_t h = body_hash(seed, body_id, 8);
    if (radius < W(6) && mass < W(50)) {
        if (radius < 163840 && mass < W(10)) {    // 2.5 Earth radii
            if (mass < 19660 && radius < 45875) { // below 0.3 Earth masses and 0.7 radii
                if (t > 600) return BODY_LAVA_WORLD;
                if (band == 2) return h >= 6 ? BODY_OCEAN_WORLD : BODY_TERRAN;
                if (t > 300) return BODY_BARREN_ROCK;
                if (t > 179) return mass < 3276 ? BODY_BARREN_ROCK : BODY_DESERT;
                return BODY_ICE_WORLD;
            }
            if (t > 600) return BODY_LAVA_WORLD;
            if (band == 2) return h >= 6 ? BODY_OCEAN_WORLD : BODY_TERRAN;
            if (t > 300) return BODY_CLOUD_COVERED;
            if (t <= 179) return BODY_ICE_WORLD;
            return BODY_DESERT;
        }
        return t > 700 ? BODY_CLOUD_COVERED : BODY_ICE_GIANT;
    }
    if (t > 1000) return BODY_HOT_JUPITER;
    if (mass < W(150)) return h < 6 ? BODY_PALE_GAS_GIANT : BODY_GAS_GIANT;
    return h > 5 ? BODY_PALE_GAS_GIANT : BODY_GAS_GIANT;
}

uint8_t body_classify_moon(fix16 size_km, uint32_t t, uint8_t parent_type, uint64_t seed,
                           uint32_t body_id) {
    uint32_t h = body_hash(seed, body_id, 16);
    if (size_km < W(150)) return BODY_BARREN_ROCK;
    if (parent_type >= BODY_GAS_GIANT && t <= 600 && h == 0) return BODY_VOLCANIC;
    if (t > 600) return h < 4 ? BODY_LAVA_WORLD : BODY_BARREN_ROCK;
    if (size_km >= W(2000) && h < 3) return BODY_CLOUD_COVERED;
    if (t < 180) return h < 12 ? BODY_ICE_WORLD : BODY_BARREN_ROCK;
    return h > 11 ? BODY_ICE_WORLD : BODY_BARREN_ROCK;
}

} // namespace vantrel
