// Star systems from catalog records, the body rules, and the neighbourhood: names, groups and
// the load from a catalog file with the Sun's system.
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

#include "core/hash.h"
#include "universe/body.h"
#include "universe/neighbourhood.h"
#include "universe/system.h"
#include "universe/universe_helpers.h"

namespace vantrel {
namespace {

constexpr uint64_t MM = uint64_t{1} << 32; // a megametre as unsigned 32.32

Catalog3Body planet(uint32_t id, uint64_t mm, uint32_t period, uint8_t type = 12) {
    Catalog3Body b{};
    b.id = id;
    b.parent = 255;
    b.type = type;
    b.orbit_mm = mm * MM;
    b.period = period;
    b.tilt = 255;
    std::snprintf(b.name, sizeof b.name, "p%u", id);
    return b;
}

Catalog3Body moon(uint32_t id, uint8_t parent, uint64_t mm) {
    Catalog3Body b = planet(id, mm, 1000);
    b.kind = 1;
    b.parent = parent;
    return b;
}

uint32_t h(uint64_t seed, uint32_t id, uint32_t range) {
    const uint64_t w[2] = {id, 1};
    return hash_range_u32(hash_fold(seed, w, 2), range);
}

TEST(System, BuildsWhatTheCatalogAllowsInOrder) {
    static StarSystem s;
    Catalog3SystemInfo info{};
    EXPECT_EQ(system_from_catalog(&s, nullptr, &info, nullptr, 0, 1), 1);
    EXPECT_EQ(s.star_temperature, 5772);
    EXPECT_EQ(s.bodies[0].radius, 0x29778100000);
    // A moon listed before its planet, a planet that does not move, its moon, a good pair.
    const Catalog3Body bodies[] = {moon(1, 2, 400), planet(2, 149598, 0), moon(3, 1, 400),
                                   planet(4, 149598, 525960), moon(5, 3, 384)};
    EXPECT_EQ(system_from_catalog(&s, "Sol", &info, bodies, 5, 1), 3);
    EXPECT_STREQ(s.bodies[1].name, "p4");
    EXPECT_EQ(s.bodies[2].kind, SYSTEM_MOON);
    EXPECT_EQ(s.bodies[2].parent, 1);
    EXPECT_EQ(s.bodies[2].radius, int64_t{16384} * 398187); // a quarter of an Earth radius
    EXPECT_EQ(s.bodies[2].temperature, s.bodies[1].temperature);
    // 1 AU from a Sun-like star: about 278 K, temperate, terran or ocean by the hash.
    EXPECT_NEAR(double(s.bodies[1].temperature), 278.0, 1.5);
    EXPECT_EQ(s.bodies[1].type, h(1, 4, 8) >= 6 ? BODY_OCEAN_WORLD : BODY_TERRAN);
    // 80 usable bodies: the system stops at 64.
    static Catalog3Body many[80];
    for (uint32_t i = 0; i < 80; i++) many[i] = planet(100 + i, 1000 + i, 500);
    EXPECT_EQ(system_from_catalog(&s, "Many", &info, many, 80, 1), 64);
}

TEST(System, TypeRulesAtTheirEdges) {
    for (uint32_t id = 1; id < 40; id++) {
        uint8_t heavy = body_classify_planet(300 * 65536, 11 * 65536, 150, 0, 7, id);
        EXPECT_EQ(heavy, h(7, id, 8) <= 5 ? BODY_GAS_GIANT : BODY_PALE_GAS_GIANT);
        uint8_t light = body_classify_planet(100 * 65536, 11 * 65536, 150, 0, 7, id);
        EXPECT_EQ(light, h(7, id, 8) < 6 ? BODY_PALE_GAS_GIANT : BODY_GAS_GIANT);
    }
    EXPECT_EQ(body_classify_planet(300 * 65536, 11 * 65536, 1001, 0, 1, 1), BODY_HOT_JUPITER);
    EXPECT_EQ(body_classify_planet(65536, 65536, 601, 0, 1, 1), BODY_LAVA_WORLD);
    EXPECT_EQ(body_classify_planet(0, 0, 150, 0, 1, 1), BODY_ICE_WORLD);
    EXPECT_EQ(body_classify_moon(100 * 65536, 300, BODY_GAS_GIANT, 1, 1), BODY_BARREN_ROCK);
    // Equilibrium temperature: the hottest, largest star the format can hold, with a planet as
    // close as it goes, needs more than 32 bits on the way (65535 * 8.73 in 16.16).
    EXPECT_EQ(body_equilibrium_temp_k(65535, 0x7FFFFFFF, 1), 572193u);
    EXPECT_EQ(body_equilibrium_temp_k(5772, 65536, 0), 0u);
}

TEST(System, PositionsFollowParentsAndWrapRatherThanOverflow) {
    static StarSystem s;
    Catalog3SystemInfo info{};
    Catalog3Body bodies[] = {planet(1, 149598, 1440 * 365), moon(2, 0, 384)};
    bodies[0].orbit_mm = (uint64_t{0x7FFFFFFF} << 32); // as far as an orbit may be
    ASSERT_EQ(system_from_catalog(&s, "W", &info, bodies, 2, 1), 3);
    space_pos at[3];
    world_time t = {0, 0};
    system_positions(&s, &t, at);
    space_pos offset;
    orbit_offset(&s.bodies[2].orbit, &t, &offset);
    EXPECT_EQ(at[2].x, int64_t(uint64_t(at[1].x) + uint64_t(offset.x)));
}

TEST(Neighbourhood, NamesAndGroups) {
    char name[24];
    const Catalog3Tag only_hip[] = {number_tag(4, 71683)};
    star_map_name(only_hip, 1, name);
    EXPECT_STREQ(name, "HIP 71683");
    const Catalog3Tag hd_after_empty[] = {text_tag(1, ""), number_tag(5, 128620)};
    star_map_name(hd_after_empty, 2, name);
    EXPECT_STREQ(name, "HD 128620");

    // 0.2 ly apart: one group at the brighter star; 0.3 ly: two. A named M dwarf lends its
    // name to a G star that has none.
    std::vector<catalog_entry> e = {star_at(1, 5, 0, 0, 6), star_at(2, 5.2, 0, 0, 4),
                                    star_at(3, -5, 0, 0, 6), star_at(4, -5.3, 0, 0, 4)};
    Catalog3Star stars[4];
    for (int i = 0; i < 4; i++) stars[i] = e[i].star;
    const char names[4][24] = {"Red", "", "", "Yellow"};
    const fix32 origin[3] = {0, 0, 0};
    StarGroup g[8];
    ASSERT_EQ(star_map_group(stars, names, nullptr, 4, origin, g, 8), 3);
    EXPECT_EQ(g[0].members, 2);
    EXPECT_EQ(g[0].star_id, 2u);
    EXPECT_EQ(g[0].cls, 4);
    EXPECT_STREQ(g[0].name, "Red");
    EXPECT_EQ(g[0].brightness, 65536 + 16384);
    EXPECT_EQ(g[0].position.x, int32_t(5.2 * 65536));
    EXPECT_STREQ(g[2].name, "Yellow");
}

// The load from a catalog file: the Sun's system is built from the star at the origin, and a
// record that claims more bodies than are decoded builds only from those that were.
TEST(Neighbourhood, LoadBuildsTheHomeSystem) {
    catalog_entry sun = star_at(0, 0, 0, 0);
    sun.has_detail = true;
    sun.star.flags = CATALOG3_HAS_PLANETS;
    sun.tags = {text_tag(1, "Sun")};
    // Ten bodies that do not move, then sixty that do: 54 of the first 64 can be used.
    for (uint32_t i = 0; i < 70; i++)
        sun.bodies.push_back(planet(i + 1, 57909 + 1000 * i, i < 10 ? 0 : 1000));
    catalog_entry far = star_at(2, 4.2, 0, 0, 6);
    far.has_detail = true;
    far.tags = {text_tag(1, "Proxima")};
    test_catalog t;
    ASSERT_TRUE(t.write(4, {far, sun}));
    std::string dir = ::testing::TempDir() + "/vantrel-neighbourhood";
    std::filesystem::create_directories(dir);
    std::ofstream(dir + "/stars.catalog", std::ios::binary)
        .write(reinterpret_cast<const char*>(t.bytes.data()), std::streamsize(t.bytes.size()));
    progdir_set(dir.c_str());
    static StarSystem home;
    static StarGroup groups[NEIGHBOURHOOD_GROUPS];
    int32_t count = 0;
    EXPECT_TRUE(load_neighbourhood(&home, groups, &count, "Slunce"));
    EXPECT_EQ(home.body_count, 55);
    EXPECT_STREQ(home.name, "Slunce");
    ASSERT_EQ(count, 2);
    EXPECT_STREQ(groups[0].name, "Slunce");
    EXPECT_EQ(groups[0].has_planets, 1);
    EXPECT_STREQ(groups[1].name, "Proxima");
    std::filesystem::remove(dir + "/stars.catalog");
    EXPECT_FALSE(load_neighbourhood(&home, groups, &count));
    EXPECT_EQ(count, 0);
}

} // namespace
} // namespace vantrel
