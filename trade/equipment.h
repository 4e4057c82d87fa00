// equipment: the ship hulls, equipment items, paint schemes and trade goods, read from
// "PROGDIR:equipment.dat" ("EQP1") and "PROGDIR:commodities.dat" ("COM1") into g_tables.
//
// Every record has a short text id ("stihac", "beam_1mw", "food") and a Czech and an English
// name; records refer to each other only by index. The file records are read field by field
// into the in-memory entries below; the texts stay in the file buffers, which are kept for
// the whole run, and a text field without its NUL reads as empty.
#pragma once

#include <cstdint>

#include "core/fixmath.h"

namespace vantrel {

constexpr uint32_t EQUIPMENT_MAGIC = 0x45515031; // "EQP1"
constexpr uint16_t EQUIPMENT_VERSION = 2;
constexpr uint32_t COMMODITIES_MAGIC = 0x434F4D31; // "COM1"
constexpr uint16_t COMMODITIES_VERSION = 1;
constexpr int TABLES_MAX_HULLS = 32;
constexpr int TABLES_MAX_ITEMS = 128;
constexpr int TABLES_MAX_PAINTS = 32;
constexpr int TABLES_MAX_GOODS = 64;
constexpr uint32_t HULL_RECORD = 90, ITEM_RECORD = 92, PAINT_RECORD = 70, GOODS_RECORD = 70;
constexpr uint16_t TABLES_NONE = 0xFFFF;

constexpr uint8_t ITEM_KIND_STORE = 5; // missiles and bombs: hung on pylons, never installed
constexpr uint16_t ITEM_AUTOREFUEL = 1;
constexpr uint16_t ITEM_CABIN = 2;
// The store type an item of kind 5 hangs as (its kept byte): IR missile, radar missile, bomb.
enum store_type : uint8_t { STORE_NONE = 0, STORE_IR = 1, STORE_RADAR = 2, STORE_BOMB = 3 };

struct table_names {
    const char* id;
    const char* czech;
    const char* english;
};

struct HullEntry {
    table_names names;
    const char* model;
    uint32_t capacity; // fix16 tonnes of hold, as the file gives it
    uint32_t tank;     // fix16 tonnes of fuel
    uint8_t pylons;
};

struct ItemEntry {
    table_names names;
    const char* model;
    uint8_t kind;
    uint8_t kept; // a pylon store's store_type
    uint16_t flags;
    uint32_t mass; // fix16 tonnes, unsigned as the file gives it
    uint32_t kept_word;
};

struct PaintEntry {
    table_names names;
    uint16_t a; // main colour, RGB565
    uint8_t b;  // the lights colour: that of livery block b (0-4)
    uint16_t c; // accent colour, RGB565
    uint8_t d;
};

struct CommodityEntry {
    table_names names;
    uint8_t cls; // 2: listed in the warning colour
    uint8_t kept;
    uint32_t kept_word;
};

struct GameTables {
    int32_t hull_count, item_count, commodity_count, paint_count;
    HullEntry hulls[TABLES_MAX_HULLS];
    ItemEntry items[TABLES_MAX_ITEMS];
    PaintEntry paints[TABLES_MAX_PAINTS];
    CommodityEntry goods[TABLES_MAX_GOODS];
};

extern GameTables g_tables;

// Parse a whole file kept by the caller; 1 on success, 0 on failure (the counts then 0).
int tables_parse_equipment(GameTables* tables, const uint8_t* buffer, uint32_t size);
int tables_parse_commodities(GameTables* tables, const uint8_t* buffer, uint32_t size);

// The index of the first entry whose id equals id exactly, or TABLES_NONE.
uint16_t tables_hull(const GameTables* tables, const char* id);
uint16_t tables_item(const GameTables* tables, const char* id);
uint16_t tables_commodity(const GameTables* tables, const char* id);

// The name to show: Czech when the message catalog is Czech, else English; an empty name falls
// back to the other language, then to the id.
const char* hull_display_name(const HullEntry* hull);
const char* item_display_name(const ItemEntry* item);
const char* paint_display_name(const PaintEntry* paint);
const char* commodity_display_name(const CommodityEntry* goods);

} // namespace vantrel
