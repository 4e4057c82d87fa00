// body: what a planet or moon is like when the catalog does not say: its equilibrium
// temperature from its star, and its type (terran, ocean world ... hot Jupiter) by rules
// with a hashed choice where the rules leave one open.
#pragma once

#include <cstdint>

#include "core/fixmath.h"

namespace vantrel {

enum body_type : uint8_t {
    BODY_TERRAN = 0,
    BODY_OCEAN_WORLD = 1,
    BODY_DESERT = 2,
    BODY_BARREN_ROCK = 3,
    BODY_ICE_WORLD = 4,
    BODY_VOLCANIC = 5,
    BODY_LAVA_WORLD = 6,
    BODY_CLOUD_COVERED = 7,
    BODY_GAS_GIANT = 8,
    BODY_PALE_GAS_GIANT = 9,
    BODY_ICE_GIANT = 10,
    BODY_HOT_JUPITER = 11,
};
constexpr int BODY_TYPES = 12;
// The message id of type 0's name; type t is named by message BODY_TYPE_MESSAGE + t.
constexpr int BODY_TYPE_MESSAGE = 108;

// Kelvin of a body at distance (fix16 AU) from a star of the given temperature and radius
// (fix16 solar radii): T * sqrt(R / 2d), in fixed point; 0 without a distance or a radius.
// Taken in 64 bits, so no star of the catalog's range can overflow it.
uint32_t body_equilibrium_temp_k(uint32_t star_temperature, fix16 star_radius, fix16 distance);

// Type of a planet from its mass (fix16 Earth masses), radius (fix16 Earth radii), kelvin
// and temperature band (2 temperate, 1 near it, 0 outside); seed and body id pick among
// equal candidates.
uint8_t body_classify_planet(fix16 mass, fix16 radius, uint32_t temperature, int band,
                             uint64_t seed, uint32_t body_id);
// Type of a moon from its size (fix16 km), kelvin and its planet's type.
uint8_t body_classify_moon(fix16 size_km, uint32_t temperature, uint8_t parent_type, uint64_t seed,
                           uint32_t body_id);

} // namespace vantrel
