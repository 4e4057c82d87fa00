// The equipment and goods files and the ship's loadout: refusals at every capacity, texts
// without their NUL, lookups, the hold's budget at its edges, the fitting rules, refuelling,
// and the helpers the pages and the panel read.
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "trade/equipment.h"
#include "trade/loadout.h"

namespace vantrel {
namespace {

constexpr fix16 T = 65536; // a tonne

struct file_builder {
    std::vector<uint8_t> b;
    void u8(uint32_t v) { b.push_back(uint8_t(v)); }
    void u16(uint32_t v) { u8(v >> 8), u8(v); }
    void u32(uint32_t v) { u16(v >> 16), u16(v); }
    void text(const std::string& s, size_t width) {
        for (size_t i = 0; i < width; i++) u8(i < s.size() ? uint8_t(s[i]) : 0);
    }
    void names(const std::string& id) { text(id, 16), text(id + " cz", 24), text(id + " en", 24); }
};

struct hull_spec {
    std::string id;
    uint32_t hold, tank;
    uint8_t pylons;
};
struct item_spec {
    std::string id;
    uint8_t kind, store;
    uint16_t flags;
    uint32_t mass;
};

std::vector<uint8_t> equipment_file(const std::vector<hull_spec>& hulls,
                                    const std::vector<item_spec>& items, int paints,
                                    int announce_extra = 0) {
    file_builder f;
    f.u32(EQUIPMENT_MAGIC), f.u16(2);
    f.u16(uint32_t(hulls.size()) + (announce_extra == 1)),
        f.u16(uint32_t(items.size()) + (announce_extra == 2)), f.u16(uint32_t(paints));
    for (const hull_spec& h : hulls)
        f.names(h.id), f.text(h.id, 16), f.u32(h.hold), f.u32(h.tank), f.u8(h.pylons), f.u8(0);
    for (const item_spec& i : items)
        f.names(i.id), f.text("-", 16), f.u8(i.kind), f.u8(i.store), f.u16(i.flags), f.u32(i.mass),
            f.u32(0);
    for (int p = 0; p < paints; p++)
        f.names("p" + std::to_string(p)), f.u16(p), f.u8(1), f.u16(7), f.u8(0);
    return f.b;
}

std::vector<uint8_t> goods_file(int count) {
    file_builder f;
    f.u32(COMMODITIES_MAGIC), f.u16(1), f.u16(uint32_t(count));
    for (int i = 0; i < count; i++) f.names("g" + std::to_string(i)), f.u8(0), f.u8(0), f.u32(0);
    return f.b;
}

TEST(Tables, RefusedPastEveryCapacityAndOneByteShort) {
    static GameTables t;
    auto equipment = [](const std::vector<uint8_t>& f, size_t short_by = 0) {
        return tables_parse_equipment(&t, f.data(), uint32_t(f.size() - short_by));
    };
    auto goods = [](const std::vector<uint8_t>& f) {
        return tables_parse_commodities(&t, f.data(), uint32_t(f.size()));
    };
    EXPECT_EQ(equipment(equipment_file({}, {}, 33)), 0);
    EXPECT_EQ(equipment(equipment_file(std::vector<hull_spec>(33, {"h", T, T, 1}), {}, 0)), 0);
    EXPECT_EQ(equipment(equipment_file({}, std::vector<item_spec>(129, {"i", 0, 0, 0, T}), 0)), 0);
    const auto ok = equipment_file({{"a", T, T, 1}}, {{"x", 0, 0, 0, T}}, 2);
    EXPECT_EQ(equipment(ok, 1), 0);
    EXPECT_EQ(t.hull_count + t.item_count + t.paint_count, 0);
    EXPECT_EQ(equipment(ok), 1);
    EXPECT_EQ(t.paint_count, 2);
    EXPECT_EQ(goods(goods_file(65)), 0);
    EXPECT_EQ(goods(goods_file(0)), 1);
    EXPECT_EQ(tables_commodity(&t, "g0"), TABLES_NONE);
}

TEST(Tables, TextsWithoutTheirNulAndLookups) {
    static GameTables t;
    auto f = equipment_file({{"a", T, T, 1}, {"b", T, T, 1}, {"a", T, T, 1}}, {}, 0);
    std::memset(f.data() + 12 + 90, 'x', 16); // hull 1's id fills its field: no NUL
    ASSERT_EQ(tables_parse_equipment(&t, f.data(), uint32_t(f.size())), 1);
    EXPECT_STREQ(t.hulls[1].names.id, "");
    EXPECT_EQ(tables_hull(&t, ""), 1);
    EXPECT_EQ(tables_hull(&t, "a"), 0); // the first of two
    EXPECT_EQ(tables_hull(&t, "A"), TABLES_NONE);
    EXPECT_STREQ(hull_display_name(&t.hulls[0]), "a en");
    EXPECT_STREQ(hull_display_name(&t.hulls[1]), "b en"); // the names keep their NULs
}

// A 10 t hold, 4 t tank and 14 pylons; items: 6 t of gear, a 1 t cabin, an auto-refuel unit,
// a pylon store, and one whose mass reads negative as a signed number.
struct ship_fixture {
    GameTables t{};
    Loadout l{};
    std::vector<uint8_t> eq, goods;
    ship_fixture(uint32_t hold = 10 * T) {
        eq = equipment_file({{"h", hold, 4 * T, 14}},
                            {{"gear", 0, 0, 0, 6 * T},
                             {"cabin", 2, 0, ITEM_CABIN, T},
                             {"refuel", 1, 0, ITEM_AUTOREFUEL, 0},
                             {"missile", 5, STORE_IR, 0, T / 4},
                             {"huge", 0, 0, 0, 0x80000000u}},
                            1);
        goods = goods_file(20);
        tables_parse_equipment(&t, eq.data(), uint32_t(eq.size()));
        tables_parse_commodities(&t, goods.data(), uint32_t(goods.size()));
        loadout_init(&l, &t, 0);
    }
};

TEST(Loadout, TheHoldBudgetAtItsEdges) {
    ship_fixture s;
    EXPECT_EQ(s.l.tank_fuel, 4 * T);
    EXPECT_EQ(loadout_install(&s.l, &s.t, 4), 0); // 0x80000000 t is not a negative mass
    EXPECT_EQ(loadout_install(&s.l, &s.t, 3), 0); // a pylon store is never installed
    ASSERT_EQ(loadout_install(&s.l, &s.t, 0), 1);
    ASSERT_EQ(loadout_store_fuel(&s.l, &s.t, 3 * T), 1);
    EXPECT_EQ(loadout_add_goods(&s.l, &s.t, 0, 3 * T / 2), 0);
    EXPECT_EQ(loadout_add_goods(&s.l, &s.t, 0, T), 1);
    HoldSummary h;
    loadout_hold(&h, &s.l, &s.t);
    EXPECT_EQ(h.free, 0);
    EXPECT_EQ(h.used, 10 * T);
    // Sixteen lots: a seventeenth good has no room, more of a carried one always does.
    ship_fixture big(100 * T);
    for (uint16_t g = 0; g < 16; g++) ASSERT_EQ(loadout_add_goods(&big.l, &big.t, g, 1), 1);
    EXPECT_EQ(loadout_add_goods(&big.l, &big.t, 16, 1), 0);
    EXPECT_EQ(loadout_add_goods(&big.l, &big.t, 15, T), 1);
    // Without a valid hull: no capacity, free is minus what is used.
    big.l.hull = 7;
    loadout_hold(&h, &big.l, &big.t);
    EXPECT_EQ(h.capacity, 0);
    EXPECT_EQ(h.free, -h.used);
    // A hold above 0x7FFFFFFF counts as the largest.
    ship_fixture vast(0xFFFFFFFFu);
    loadout_hold(&h, &vast.l, &vast.t);
    EXPECT_EQ(h.capacity, 0x7FFFFFFF);
}

TEST(Loadout, PylonsCabinsPaintAndFuel) {
    ship_fixture s;
    EXPECT_EQ(loadout_arm(&s.l, &s.t, 12, 3), 0); // 14 pylons, but twelve are usable
    EXPECT_EQ(loadout_arm(&s.l, &s.t, -1, 3), 0);
    EXPECT_EQ(loadout_arm(&s.l, &s.t, 1, 0), 0); // not a store
    ASSERT_EQ(loadout_arm(&s.l, &s.t, 1, 3), 1);
    uint8_t stores[LOADOUT_STORES];
    loadout_store_types(&s.l, &s.t, stores);
    EXPECT_EQ(std::vector<uint8_t>(stores, stores + 6), (std::vector<uint8_t>{0, 1, 0, 0, 0, 0}));
    ASSERT_EQ(loadout_install(&s.l, &s.t, 1), 1);
    EXPECT_EQ(loadout_board(&s.l, &s.t, 2), 0);
    ASSERT_EQ(loadout_install(&s.l, &s.t, 1), 1);
    EXPECT_EQ(loadout_board(&s.l, &s.t, 2), 1);
    uint16_t a = s.l.paint_a;
    loadout_paint(&s.l, &s.t, -1);
    loadout_paint(&s.l, &s.t, 1);
    EXPECT_EQ(s.l.paint_a, a);
    // Refuel moves what the hold has; the auto unit waits for a tank below a quarter.
    s.l.tank_fuel = 2 * T;
    s.l.stored_fuel = T / 2;
    EXPECT_EQ(loadout_refuel(&s.l, &s.t, 4 * T), T / 2);
    ASSERT_EQ(loadout_install(&s.l, &s.t, 2), 1);
    s.l.tank_fuel = T;
    s.l.stored_fuel = 2 * T;
    EXPECT_EQ(loadout_auto_refuel(&s.l, &s.t), 0);
    EXPECT_EQ(loadout_fuel_percent(&s.l, &s.t), 25);
    s.l.tank_fuel = T - 1;
    EXPECT_EQ(loadout_auto_refuel(&s.l, &s.t), 2 * T);
}

TEST(Loadout, TonnesAsThePagesWriteThem) {
    const struct {
        fix16 t;
        const char* text;
    } cases[] = {{0, "0.0 t"},
                 {T, "1.0 t"},
                 {T * 3 / 2, "1.5 t"},
                 {3276, "0.0 t"},
                 {3277, "0.1 t"},
                 {-3276, "0.0 t"},
                 {-3277, "-0.1 t"},
                 {0x7FFFFFFF, "32768.0 t"},
                 {int32_t(0x80000000), "-32768.0 t"}};
    for (const auto& c : cases) {
        char text[32];
        loadout_format_tonnes(c.t, text, sizeof text);
        EXPECT_STREQ(text, c.text) << c.t;
    }
}

} // namespace
} // namespace vantrel
