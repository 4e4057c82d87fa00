// neighbourhood: the player's stellar neighbourhood, read from "PROGDIR:stars.catalog" when a
// map first needs it: every star within 12 light years of the Sun, a display name for each,
// the Sun's planetary system, and the stars merged into the groups the star map shows
// (members closer than a quarter of a light year are one object, named after the brightest).
#pragma once

#include <cstdint>

#include "core/fixmath.h"
#include "universe/catalog3.h"
#include "universe/system.h"

namespace vantrel {

constexpr int NEIGHBOURHOOD_STARS = 96;
constexpr int NEIGHBOURHOOD_GROUPS = 96;
constexpr int NEIGHBOURHOOD_CELLS = 64;
constexpr int NEIGHBOURHOOD_TAGS = 16;
constexpr int NEIGHBOURHOOD_BODIES = 64;
constexpr uint32_t NEIGHBOURHOOD_SCRATCH = 16384;
constexpr fix16 NEIGHBOURHOOD_RADIUS = 12 * FIX16_ONE;
// A group this close to the origin (fix16 ly, about 0.01 ly) is the Sun's.
constexpr fix16 HOME_RADIUS = 654;
constexpr const char* STAR_CATALOG_FILE = "PROGDIR:stars.catalog";

struct StarGroup {
    vec3 position;     // fix16 ly from the centre: the brightest member's
    fix16 brightness;  // the sum of the members' weights
    uint8_t cls, kind; // of the brightest member
    uint8_t members;
    uint8_t has_planets;
    uint32_t star_id; // of the brightest member
    char name[CATALOG3_STAR_NAME + 1];
};

// Loads the neighbourhood around the Sun: the home system into *system and the groups into
// groups (NEIGHBOURHOOD_GROUPS slots) with their count. True when the home system was built
// with at least one planet (groups may be filled even when it was not). The Sun's system and
// group take home_name, the player's word for it ("Sun" in English).
bool load_neighbourhood(StarSystem* system, StarGroup* groups, int32_t* group_count,
                        const char* home_name = "Sun");

// A star's display name from its tags: the first usable tag of the types 1, 7, 9, 4, 5 in
// that order ("HIP n" and "HD n" for the numbered ones); empty when none is usable.
void star_map_name(const Catalog3Tag* tags, int32_t tag_count, char name[CATALOG3_STAR_NAME + 1]);

// Groups the stars around centre (fix32 ly); names holds a 24-byte name per star (may be
// empty), brightness a fix16 per star or null. Returns the number of groups.
int32_t star_map_group(const Catalog3Star* stars, const char (*names)[CATALOG3_STAR_NAME + 1],
                       const fix16* brightness, int32_t star_count, const fix32 centre[3],
                       StarGroup* groups, int32_t capacity);

// fix16 light years from the centre.
fix16 star_map_distance(const StarGroup* group);

// The weight a star brings to its group: its brightness, else a rule of thumb by kind and
// spectral class.
fix16 star_map_weight(const Catalog3Star* star, fix16 brightness);

} // namespace vantrel
