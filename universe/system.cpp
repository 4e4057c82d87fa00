// system: building a star system from the catalog, and its bodies' positions.
#include "universe/system.h"

#include <cstdio>
#include <cstring>

#include "universe/body.h"

namespace vantrel {

namespace {

constexpr fix16 DEFAULT_MOON_RADIUS = 16384; // a quarter of an Earth radius
constexpr uint8_t NO_PARENT = 255;

void copy_name(char* out, const char* name) {
    std::snprintf(out, SYSTEM_NAME + 1, "%s", name ? name : "");
}

// Whole megametres as fix16 AU: q whole AU and 16 bits of fraction, in two steps so that no
// product leaves 32 bits.
fix16 megametres_to_au(uint32_t m) {
    uint32_t q = m / AU_MM;
    uint32_t frac = (((m - AU_MM * q) << 13) / AU_MM) << 3;
    return static_cast<fix16>((q << 16) + frac);
}

// What the building walk keeps between bodies.
struct build_state {
    StarSystem* system;
    const Catalog3SystemInfo* info;
    uint64_t seed;
    uint8_t added[256];       // catalog index -> system index, 0 = not added
    uint32_t temperature[64]; // kelvin of each system body
};

bool usable(const Catalog3Body& b) {
    return b.orbit_mm != 0 && (b.orbit_mm >> 32) < 0x80000000u && b.period != 0;
}

uint32_t body_temperature(const build_state& s, const Catalog3Body& b, int parent, bool moon) {
    if (b.temperature != 0) return b.temperature;
    if (moon) return s.temperature[parent];
    fix16 star_radius = s.info->radius > 0 ? s.info->radius : FIX16_ONE;
    fix16 d = megametres_to_au(static_cast<uint32_t>(b.orbit_mm >> 32));
    return body_equilibrium_temp_k(s.system->star_temperature, star_radius, d);
}

uint8_t body_type_of(const build_state& s, const Catalog3Body& b, fix16 r, uint32_t t, bool moon,
                     int parent) {
    if (b.type < BODY_TYPES) return b.type;
    if (moon) {
        // Kilometres: r * 6371 as fix16, or a large moon's 32000 km.
        fix16 size = r < 5 * FIX16_ONE ? static_cast<fix16>((int64_t{r} * 0x18E30000) >> 16)
                                       : 32000 * FIX16_ONE;
        return body_classify_moon(size, t, s.system->bodies[parent].type, s.seed, b.id);
    }
    int band = (t >= 200 && t <= 320) ? 2 : (t >= 170 && t <= 370) ? 1 : 0;
    return body_classify_planet(b.mass, r, t, band, s.seed, b.id);
}

void add_body(build_state& s, const Catalog3Body& b, int catalog_index, int parent, bool moon) {
    StarSystem* sys = s.system;
    int index = sys->body_count++;
    s.added[catalog_index] = static_cast<uint8_t>(index);
    SystemBody& body = sys->bodies[index];
    copy_name(body.name, b.name);
    body.kind = moon ? SYSTEM_MOON : SYSTEM_PLANET;
    body.parent = static_cast<uint8_t>(parent);
    body.ring = (b.flags & CATALOG3_RING) ? 1 : 0;
    fix16 r = b.radius;
    if (r > 0) {
        body.radius = int64_t{r} * EARTH_RADIUS_UNITS;
    } else {
        body.radius = int64_t{moon ? DEFAULT_MOON_RADIUS : FIX16_ONE} * EARTH_RADIUS_UNITS;
        if (moon) r = DEFAULT_MOON_RADIUS; // a planet is classified with the catalog's 0
    }
    uint32_t t = body_temperature(s, b, parent, moon);
    s.temperature[index] = t;
    body.temperature = t;
    body.type = body_type_of(s, b, r, t, moon, parent);
    bangle phase = (uint32_t{b.phase_high} << 24) + (uint32_t{b.phase_low} << 16);
    bangle inclination = (b.flags & CATALOG3_INCLINATION_GIVEN) ? b.inclination * 0x808080u : 0;
    bangle node = (b.flags & CATALOG3_NODE_GIVEN) ? uint32_t{b.node} << 24 : 0;
    orbit_init(&body.orbit, static_cast<uint64_t>(space_from_mm(static_cast<fix32>(b.orbit_mm))),
               b.period, phase, inclination, node);
    uint32_t spin = b.spin < 0 ? 0u - static_cast<uint32_t>(b.spin) : static_cast<uint32_t>(b.spin);
    body.spin = static_cast<fix32>(static_cast<uint64_t>(spin) << 32);
    body.tilt = b.tilt == 255 ? 0 : b.tilt * 0x808080u;
    body.node = node;
}

} // namespace

int32_t system_from_catalog(StarSystem* system, const char* name, const Catalog3SystemInfo* info,
                            const Catalog3Body* bodies, int32_t body_count, uint64_t seed) {
    std::memset(system, 0, sizeof *system);
    copy_name(system->name, name);
    SystemBody& star = system->bodies[0];
    copy_name(star.name, name);
    system->star_temperature = info->temperature ? info->temperature : DEFAULT_STAR_TEMPERATURE;
    star.kind = SYSTEM_STAR;
    star.parent = NO_PARENT;
    star.radius = int64_t{info->radius > 0 ? info->radius : FIX16_ONE} * SOLAR_RADIUS_UNITS;
    star.temperature = system->star_temperature;
    system->body_count = 1;
    if (body_count < 1) return 1;

    build_state s{};
    s.system = system;
    s.info = info;
    s.seed = seed;
    s.temperature[0] = system->star_temperature;
    int32_t count = body_count < 256 ? body_count : 256;
    for (int32_t j = 0; j < count && system->body_count < SYSTEM_MAX_BODIES; j++) {
        const Catalog3Body& b = bodies[j];
        if (!usable(b)) continue;
        bool moon = b.kind == 1;
        int parent = 0;
        if (moon) {
            if (b.parent == NO_PARENT || s.added[b.parent] == 0) continue;
            parent = s.added[b.parent];
        }
        add_body(s, b, j, parent, moon);
    }
    return system->body_count;
}

void system_positions(const StarSystem* system, const world_time* time, space_pos* positions) {
    positions[0] = space_pos{0, 0, 0};
    for (int32_t i = 1; i < system->body_count; i++) {
        const SystemBody& b = system->bodies[i];
        const space_pos& base = b.parent < i ? positions[b.parent] : positions[0];
        space_pos offset;
        orbit_offset(&b.orbit, time, &offset);
        // Wrapping sums: an absurd catalog may place a body anywhere, never out of range.
        positions[i] = space_pos{wrap_add64(base.x, offset.x), wrap_add64(base.y, offset.y),
                                 wrap_add64(base.z, offset.z)};
    }
}

} // namespace vantrel
