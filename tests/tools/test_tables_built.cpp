// The built equipment and goods files, as the game reads them: they parse, and every id the
// starting ship needs is there, with the fighter's numbers.
#include <gtest/gtest.h>
#include <string>

#include "platform/files.h"
#include "trade/equipment.h"

namespace vantrel {
namespace {

TEST(BuiltTables, ParseAndHoldTheStartingShip) {
    std::string dir = VANTREL_GAME_DIR;
    uint32_t eq_size = 0, goods_size = 0;
    uint8_t* eq = read_file((dir + "/equipment.dat").c_str(), &eq_size);
    uint8_t* goods = read_file((dir + "/commodities.dat").c_str(), &goods_size);
    static GameTables t;
    ASSERT_EQ(tables_parse_equipment(&t, eq, eq_size), 1);
    ASSERT_EQ(tables_parse_commodities(&t, goods, goods_size), 1);
    EXPECT_EQ(t.hull_count, 5);
    EXPECT_EQ(t.item_count, 9);
    EXPECT_EQ(t.paint_count, 6);
    EXPECT_EQ(t.commodity_count, 12);
    uint16_t stihac = tables_hull(&t, "stihac");
    ASSERT_NE(stihac, TABLES_NONE);
    EXPECT_EQ(t.hulls[stihac].capacity, 15u << 16);
    EXPECT_EQ(t.hulls[stihac].tank, 4u << 16);
    EXPECT_EQ(t.hulls[stihac].pylons, 4);
    for (const char* id : {"beam_1mw", "cabin", "missile_ir"})
        EXPECT_NE(tables_item(&t, id), TABLES_NONE) << id;
    for (const char* id : {"food", "medicine"}) EXPECT_NE(tables_commodity(&t, id), TABLES_NONE);
    EXPECT_EQ(t.items[tables_item(&t, "missile_ir")].kept, STORE_IR);
    read_file_free(eq);
    read_file_free(goods);
}

} // namespace
} // namespace vantrel
