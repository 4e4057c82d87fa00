// neighbourhood: loading the stars around the Sun, naming and grouping them.
#include "universe/neighbourhood.h"

#include <cstdio>
#include <cstring>

#include "platform/files.h"

namespace vantrel {

namespace {

// Group weights by spectral class O B A F G K M ?, in fix16.
constexpr fix16 BY_CLASS[8] = {1310720, 393216, 131072, 85197, 65536, 45875, 16384, 32768};
constexpr fix16 WHITE_DWARF_WEIGHT = 39322; // 0.6
constexpr fix16 BROWN_DWARF_WEIGHT = 3277;  // 0.05
constexpr uint8_t PREFER[5] = {1, 7, 9, 4, 5};
constexpr fix16 GROUP_REACH_SQUARED = 4096; // 0.0625: closer than a quarter of a light year

using star_name = char[CATALOG3_STAR_NAME + 1];

// The working set of one load, in static storage: about 30 kB that no frame needs.
struct load_work {
    Catalog3Cell cells[NEIGHBOURHOOD_CELLS];
    Catalog3Star stars[NEIGHBOURHOOD_STARS];
    star_name names[NEIGHBOURHOOD_STARS];
    fix16 brightness[NEIGHBOURHOOD_STARS];
    Catalog3Tag tags[NEIGHBOURHOOD_TAGS];
    Catalog3Body bodies[NEIGHBOURHOOD_BODIES];
    uint8_t scratch[NEIGHBOURHOOD_SCRATCH];
};
load_work g_work;

void copy_name(char out[CATALOG3_STAR_NAME + 1], const char* in) {
    int n = 0;
    while (n < CATALOG3_STAR_NAME && in[n] != '\0') {
        out[n] = in[n];
        n++;
    }
    out[n] = '\0';
}

fix16 to_fix16_ly(fix32 v) {
    int64_t d = v >> 16;
    return d < INT32_MIN ? INT32_MIN : d > INT32_MAX ? INT32_MAX : static_cast<fix16>(d);
}

bool at_origin(const Catalog3Star& s) {
    for (fix32 p : s.pos) {
        fix16 v = to_fix16_ly(p);
        if (v < -HOME_RADIUS || v > HOME_RADIUS) return false;
    }
    return true;
}

// Name and brightness of star i from its detail record, and the home system when the star
// is the Sun and no home system has been accepted yet.
void read_star(const Catalog3* catalog, int i, StarSystem* system, const char* home_name,
               bool* home) {
    load_work& w = g_work;
    w.names[i][0] = '\0';
    w.brightness[i] = 0;
    const Catalog3Star& s = w.stars[i];
    if (s.detail == CATALOG3_NO_DETAIL) return;
    Catalog3SystemInfo info;
    if (!catalog3_read_detail(catalog, s.detail, &info, w.tags, NEIGHBOURHOOD_TAGS, w.bodies,
                              NEIGHBOURHOOD_BODIES, w.scratch, sizeof w.scratch))
        return;
    int32_t tags = info.tag_count < NEIGHBOURHOOD_TAGS ? info.tag_count : NEIGHBOURHOOD_TAGS;
    star_map_name(w.tags, tags, w.names[i]);
    w.brightness[i] = info.brightness;
    if (*home || !at_origin(s)) return;
    // Only the first 64 bodies were decoded, whatever the record's count says.
    int32_t bodies =
        info.body_count < NEIGHBOURHOOD_BODIES ? info.body_count : NEIGHBOURHOOD_BODIES;
    *home = system_from_catalog(system, home_name, &info, w.bodies, bodies, 1) >= 2;
}

} // namespace

fix16 star_map_weight(const Catalog3Star* star, fix16 brightness) {
    if (brightness > 0) return brightness;
    if (star->kind == STAR_WHITE_DWARF) return WHITE_DWARF_WEIGHT;
    if (star->kind == STAR_BROWN_DWARF) return BROWN_DWARF_WEIGHT;
    return BY_CLASS[star->cls < 8 ? star->cls : 7];
}

void star_map_name(const Catalog3Tag* tags, int32_t tag_count, char name[CATALOG3_STAR_NAME + 1]) {
    name[0] = '\0';
    for (uint8_t type : PREFER)
        for (int32_t i = 0; i < tag_count; i++) {
            const Catalog3Tag& t = tags[i];
            if (t.type != type || (t.text[0] == '\0' && t.value == 0)) continue;
            if (t.text[0] != '\0')
                copy_name(name, t.text);
            else
                std::snprintf(name, CATALOG3_STAR_NAME + 1, "%s %u", type == 4 ? "HIP" : "HD",
                              static_cast<unsigned>(t.value & 0xFFFFFFFFu));
            return;
        }
}

int32_t star_map_group(const Catalog3Star* stars, const char (*names)[CATALOG3_STAR_NAME + 1],
                       const fix16* brightness, int32_t star_count, const fix32 centre[3],
                       StarGroup* groups, int32_t capacity) {
    fix16 best[NEIGHBOURHOOD_GROUPS];
    int32_t count = 0;
    if (capacity > NEIGHBOURHOOD_GROUPS) capacity = NEIGHBOURHOOD_GROUPS;
    for (int32_t i = 0; i < star_count; i++) {
        const Catalog3Star& s = stars[i];
        vec3 p = {to_fix16_ly(wrap_sub64(s.pos[0], centre[0])),
                  to_fix16_ly(wrap_sub64(s.pos[1], centre[1])),
                  to_fix16_ly(wrap_sub64(s.pos[2], centre[2]))};
        fix16 w = star_map_weight(&s, brightness ? brightness[i] : 0);
        int32_t g = 0;
        for (; g < count; g++) {
            vec3 d;
            vec3_sub(&d, &groups[g].position, &p);
            if (d.x > -FIX16_ONE && d.x < FIX16_ONE && d.y > -FIX16_ONE && d.y < FIX16_ONE &&
                d.z > -FIX16_ONE && d.z < FIX16_ONE && vec3_dot(&d, &d) < GROUP_REACH_SQUARED)
                break;
        }
        StarGroup* group;
        if (g < count) {
            group = &groups[g];
            group->members++;
            group->brightness = wrap_add32(group->brightness, w);
        } else if (count < capacity) {
            group = &groups[count];
            *group = StarGroup{};
            group->position = p;
            group->brightness = w;
            group->members = 1;
            best[count++] = -1;
        } else {
            continue; // no room: the star is dropped
        }
        if (s.flags & CATALOG3_HAS_PLANETS) group->has_planets = 1;
        const char* name = names ? names[i] : "";
        if (w > best[g]) {
            group->position = p;
            group->cls = s.cls;
            group->kind = s.kind;
            group->star_id = s.id;
            best[g] = w;
            if (name[0]) copy_name(group->name, name);
        } else if (name[0] && group->name[0] == '\0') {
            copy_name(group->name, name);
        }
    }
    return count;
}

fix16 star_map_distance(const StarGroup* group) {
    return vec3_length(&group->position);
}

bool load_neighbourhood(StarSystem* system, StarGroup* groups, int32_t* group_count,
                        const char* home_name) {
    *group_count = 0;
    uint32_t size = 0;
    uint8_t* file = read_file(STAR_CATALOG_FILE, &size);
    if (!file) return false;
    mem_file memory = {file, size};
    Catalog3 catalog;
    if (!catalog3_open(&catalog, mem_file_read_at, &memory, g_work.cells, NEIGHBOURHOOD_CELLS)) {
        read_file_free(file);
        return false;
    }
    const fix32 origin[3] = {0, 0, 0};
    uint32_t found = catalog3_query_radius(&catalog, origin, NEIGHBOURHOOD_RADIUS, g_work.stars,
                                           NEIGHBOURHOOD_STARS);
    int32_t n = found < uint32_t(NEIGHBOURHOOD_STARS) ? int32_t(found) : NEIGHBOURHOOD_STARS;
    bool home = false;
    for (int32_t i = 0; i < n; i++) read_star(&catalog, i, system, home_name, &home);
    *group_count = star_map_group(g_work.stars, g_work.names, g_work.brightness, n, origin, groups,
                                  NEIGHBOURHOOD_GROUPS);
    for (int32_t g = 0; g < *group_count; g++)
        if (star_map_distance(&groups[g]) <= HOME_RADIUS) copy_name(groups[g].name, home_name);
    read_file_free(file);
    return home;
}

} // namespace vantrel
