// The star catalog reader: refusals at open, sector arithmetic of negative positions, query
// order and capacity, far-off catalogs that must neither wrap nor walk empty space, detail
// records, and the two code tables against a reference.
#include <cmath>
#include <gtest/gtest.h>

#include "universe/universe_helpers.h"

namespace vantrel {
namespace {

TEST(Catalog3, OpenRefusesBadHeadersAndTooManyCells) {
    test_catalog t;
    ASSERT_TRUE(t.write(4, {star_at(1, 1, 1, 1)}));
    ASSERT_TRUE(t.open());
    const struct {
        size_t at;
        uint16_t value;
    } bad[] = {{4, 2}, {6, 3}, {6, 0}}; // version 2, scale 3, scale 0
    for (const auto& b : bad) {
        test_catalog u = t;
        u.put_u16(b.at, b.value);
        EXPECT_FALSE(u.open()) << b.at << "=" << b.value;
    }
    // 65 cells: one star in each of 65 cells 16 sectors apart.
    std::vector<catalog_entry> many;
    for (int i = 0; i < 65; i++) many.push_back(star_at(10 + i, 16.0 * 4 * i, 0, 0));
    test_catalog w;
    ASSERT_TRUE(w.write(4, many));
    EXPECT_FALSE(w.open(64));
    EXPECT_TRUE(w.open(65));
    // No cells at all: opens, and every query finds nothing.
    test_catalog empty;
    ASSERT_TRUE(empty.write(4, {}));
    ASSERT_TRUE(empty.open());
    EXPECT_TRUE(empty.query(0, 0, 0, 1000).empty());
}

TEST(Catalog3, PositionsRoundTripAndNegativeSectorsRoundDown) {
    test_catalog t;
    ASSERT_TRUE(t.write(1, {star_at(7, -0.5, 2.25, -3.75)}));
    ASSERT_TRUE(t.open());
    Catalog3Sector s;
    EXPECT_TRUE(catalog3_find_sector(&t.catalog, -1, 2, -4, &s));
    EXPECT_EQ(t.cells[0].cx, -1);
    std::vector<Catalog3Star> found = t.query(0, 0, 0, 5);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].pos[0], -LY / 2);
    EXPECT_EQ(found[0].pos[1], LY * 9 / 4);
    EXPECT_EQ(found[0].pos[2], -LY * 15 / 4);
}

TEST(Catalog3, QueryOrderBoundaryAndCapacity) {
    std::vector<catalog_entry> stars;
    // 120 stars on a line through three sectors, written in reverse: the query returns them
    // by sector, x first, and in table order inside a sector.
    for (int i = 119; i >= 0; i--) stars.push_back(star_at(1000 + i, i * 0.1 - 6.0, 0, 0));
    stars.push_back(star_at(5, 0, 3.0, 0)); // exactly at the radius
    stars.push_back(star_at(6, 0, 3.0001, 0));
    test_catalog t;
    ASSERT_TRUE(t.write(4, stars));
    ASSERT_TRUE(t.open());
    uint32_t found = 0;
    std::vector<Catalog3Star> s = t.query(0, 0, 0, 3.0, 96, &found);
    EXPECT_EQ(found, 61u + 1u); // -3.0 .. 3.0 on the line, plus the star at exactly 3 ly
    std::vector<Catalog3Star> all = t.query(0, 0, 0, 7.0, 96, &found);
    EXPECT_EQ(found, 122u);
    ASSERT_EQ(all.size(), 96u);
    EXPECT_LT(all[0].pos[0], all[95].pos[0] + 1); // sectors ascend along x
    int64_t sector_of_first = all[0].pos[0] >> 34;
    EXPECT_EQ(sector_of_first, -2);
}

// A star 32000 ly out on every axis from the centre: the sum of squares needs all 64 bits,
// unsigned, and must not wrap into a match. A vast radius finds every star without walking
// the empty sectors in between.
TEST(Catalog3, FarCatalogsNeitherWrapNorWalkEmptySpace) {
    test_catalog t;
    ASSERT_TRUE(t.write(4, {star_at(1, 62000, 62000, 62000), star_at(2, -60000, 1, 1),
                            star_at(3, 30000, 30000, 30000)}));
    ASSERT_TRUE(t.open());
    std::vector<Catalog3Star> s = t.query(30000, 30000, 30000, 32767);
    ASSERT_EQ(s.size(), 1u);
    EXPECT_EQ(s[0].id, 3u);
    EXPECT_EQ(t.query(0, 0, 0, 32767.99).size(), 0u); // the others are beyond the range
    EXPECT_EQ(t.query(-30000, 0, 0, 32767).size(), 1u);
}

TEST(Catalog3, DetailRecordsTagsBodiesAndRefusals) {
    catalog_entry e = star_at(9, 1, 0, 0);
    e.has_detail = true;
    e.info.temperature = 5772;
    e.info.brightness = 65536;
    e.tags = {text_tag(1, "Sol"), number_tag(4, 42)};
    Catalog3Body b{};
    b.id = 9 * 256 + 1;
    std::snprintf(b.name, sizeof b.name, "%s", std::string(31, 'x').c_str());
    b.mass_code = 96;
    b.radius_code = 150;
    e.bodies = {b};
    test_catalog t;
    ASSERT_TRUE(t.write(4, {e}));
    ASSERT_TRUE(t.open());
    Catalog3SystemInfo info;
    Catalog3Tag tags[1];
    Catalog3Body bodies[1];
    static uint8_t scratch[4096];
    // Two tags with room for one: the whole record still parses.
    ASSERT_TRUE(catalog3_read_detail(&t.catalog, 0, &info, tags, 1, bodies, 1, scratch, 4096));
    EXPECT_EQ(info.tag_count, 2);
    EXPECT_STREQ(tags[0].text, "Sol");
    EXPECT_EQ(info.brightness, 65536);
    EXPECT_EQ(bodies[0].mass, 65536);
    EXPECT_EQ(bodies[0].radius, 65536);
    EXPECT_EQ(std::strlen(bodies[0].name), 31u);
    EXPECT_FALSE(catalog3_read_detail(&t.catalog, 1, &info, tags, 1, bodies, 1, scratch, 4096));
    EXPECT_FALSE(catalog3_read_detail(&t.catalog, 0, &info, tags, 1, bodies, 1, scratch, 10));
    // A tag of type 0 spoils the record; so does a record cut short.
    const uint8_t* table = t.bytes.data() + t.catalog.detail_offset;
    size_t record = (size_t(table[0]) << 24) | (table[1] << 16) | (table[2] << 8) | table[3];
    test_catalog u = t;
    u.bytes[record + 1] = 0; // the first tag's type
    ASSERT_TRUE(u.open());
    EXPECT_FALSE(catalog3_read_detail(&u.catalog, 0, &info, tags, 1, bodies, 1, scratch, 4096));
    test_catalog v = t;
    v.bytes[t.catalog.detail_offset + 7]--; // the record ends one byte early
    ASSERT_TRUE(v.open());
    EXPECT_FALSE(catalog3_read_detail(&v.catalog, 0, &info, tags, 1, bodies, 1, scratch, 4096));
}

// Each entry against the rule evaluated in long double, far more precise than the rounding.
TEST(Catalog3, CodeTablesFollowTheirRules) {
#if VANTREL_LIBM_TRIG
    for (int i = 1; i < 256; i++) {
        long double m = std::round(65536.0L * std::pow(10.0L, (i - 96) / 32.0L));
        long double r = std::round(65536.0L * std::pow(10.0L, (i - 150) / 50.0L));
        EXPECT_EQ(CATALOG3_MASS_EARTH[i], m > 2147483647.0L ? 0x7FFFFFFF : int64_t(m)) << i;
        EXPECT_EQ(CATALOG3_RADIUS_EARTH[i], r > 2147483647.0L ? 0x7FFFFFFF : int64_t(r)) << i;
    }
#endif
    EXPECT_EQ(CATALOG3_MASS_EARTH[0], 0);
    EXPECT_EQ(CATALOG3_MASS_EARTH[96], 65536);
    EXPECT_EQ(CATALOG3_MASS_EARTH[255], 0x7FFFFFFF);
    EXPECT_EQ(CATALOG3_RADIUS_EARTH[150], 65536);
    EXPECT_EQ(CATALOG3_RADIUS_EARTH[1], 69);
    EXPECT_EQ(CATALOG3_RADIUS_EARTH[255], 8250494);
}

} // namespace
} // namespace vantrel
