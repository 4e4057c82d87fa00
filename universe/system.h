// system: a star system built once from a catalog star's detail record, and where its bodies
// stand at a world time.
//
// The star is body 0; each usable catalog planet and moon becomes a body with a size, a
// temperature, a type and a circular, inclined orbit around its parent. What the catalog does
// not say is filled in by rules (the equilibrium temperature) and by hashing the system seed
// with the body's catalog id, so the same catalog always yields the same system.
#pragma once

#include <cstdint>

#include "core/space.h"
#include "core/trig.h"
#include "universe/catalog3.h"
#include "universe/orbit.h"
#include "universe/world_time.h"

namespace vantrel {

constexpr int SYSTEM_MAX_BODIES = 64;
constexpr int SYSTEM_NAME = 31;

// Space units (1/4096 m) per fix16 unit of Earth radii and of solar radii.
constexpr int64_t EARTH_RADIUS_UNITS = 398187;
constexpr int64_t SOLAR_RADIUS_UNITS = 43481104;
constexpr uint32_t AU_MM = 149598; // megametres in an astronomical unit
constexpr uint16_t DEFAULT_STAR_TEMPERATURE = 5772;

enum system_body_kind : uint8_t { SYSTEM_STAR = 0, SYSTEM_PLANET = 1, SYSTEM_MOON = 2 };

struct SystemBody {
    char name[SYSTEM_NAME + 1];
    uint8_t kind;   // system_body_kind
    uint8_t parent; // 255 for the star, 0 for planets, the planet's index for moons
    uint8_t type;   // body_type, 0 for the star
    uint8_t ring;
    int64_t radius; // space units
    Orbit orbit;
    fix32 spin; // the catalog spin's magnitude as a whole number
    bangle tilt;
    bangle node;
    uint32_t temperature; // kelvin, as the catalog gave it or as the rules found it
};

struct StarSystem {
    char name[SYSTEM_NAME + 1];
    uint16_t star_temperature;
    int32_t body_count; // 1..64, body 0 the star
    SystemBody bodies[SYSTEM_MAX_BODIES];
};

// Builds the system from a decoded detail record (name may be null); bodies holds
// body_count decoded bodies. Returns the number of bodies, the star included.
int32_t system_from_catalog(StarSystem* system, const char* name, const Catalog3SystemInfo* info,
                            const Catalog3Body* bodies, int32_t body_count, uint64_t seed);
// Every body's position relative to the star at the origin (positions[0] is zero).
void system_positions(const StarSystem* system, const world_time* time, space_pos* positions);

} // namespace vantrel
