// equipment: parsing the equipment and commodity files, lookups and display names.
#include "trade/equipment.h"

#include <cstring>

#include "core/save.h"
#include "shell/catalog_amiga.h"

namespace vantrel {

GameTables g_tables;

namespace {

constexpr uint32_t EQUIPMENT_HEADER = 12, COMMODITIES_HEADER = 8;
constexpr uint32_t ID_FIELD = 16, NAME_FIELD = 24, MODEL_FIELD = 16;

// A fixed text field in the file: itself when its last byte is the NUL, else the empty text.
const char* text_field(save_reader* r, uint32_t width) {
    const char* field = reinterpret_cast<const char*>(r->data + r->pos);
    r->pos += width;
    return field[width - 1] == '\0' ? field : "";
}

table_names read_names(save_reader* r) {
    table_names n;
    n.id = text_field(r, ID_FIELD);
    n.czech = text_field(r, NAME_FIELD);
    n.english = text_field(r, NAME_FIELD);
    return n;
}

HullEntry read_hull(save_reader* r) {
    HullEntry h{};
    h.names = read_names(r);
    h.model = text_field(r, MODEL_FIELD);
    h.capacity = save_read_u32(r);
    h.tank = save_read_u32(r);
    h.pylons = save_read_u8(r);
    save_read_u8(r);
    return h;
}

ItemEntry read_item(save_reader* r) {
    ItemEntry i{};
    i.names = read_names(r);
    i.model = text_field(r, MODEL_FIELD);
    i.kind = save_read_u8(r);
    i.kept = save_read_u8(r);
    i.flags = save_read_u16(r);
    i.mass = save_read_u32(r);
    i.kept_word = save_read_u32(r);
    return i;
}

PaintEntry read_paint(save_reader* r) {
    PaintEntry p{};
    p.names = read_names(r);
    p.a = save_read_u16(r);
    p.b = save_read_u8(r);
    p.c = save_read_u16(r);
    p.d = save_read_u8(r);
    return p;
}

CommodityEntry read_goods(save_reader* r) {
    CommodityEntry c{};
    c.names = read_names(r);
    c.cls = save_read_u8(r);
    c.kept = save_read_u8(r);
    c.kept_word = save_read_u32(r);
    return c;
}

template <typename Entry>
uint16_t find_id(const Entry* entries, int32_t count, const char* id) {
    for (int32_t i = 0; i < count; i++)
        if (std::strcmp(entries[i].names.id, id) == 0) return static_cast<uint16_t>(i);
    return TABLES_NONE;
}

const char* display_name(const table_names& n) {
    bool czech = std::strcmp(amiga_catalog_language(), "czech") == 0;
    const char* chosen = czech ? n.czech : n.english;
    const char* other = czech ? n.english : n.czech;
    if (chosen[0]) return chosen;
    return other[0] ? other : n.id;
}

} // namespace

int tables_parse_equipment(GameTables* t, const uint8_t* buffer, uint32_t size) {
    t->hull_count = t->item_count = t->paint_count = 0;
    if (!buffer || size < EQUIPMENT_HEADER) return 0;
    save_reader r;
    save_reader_init(&r, buffer, size);
    if (save_read_header(&r, EQUIPMENT_MAGIC) != EQUIPMENT_VERSION) return 0;
    uint16_t h = save_read_u16(&r), i = save_read_u16(&r), p = save_read_u16(&r);
    if (h > TABLES_MAX_HULLS || i > TABLES_MAX_ITEMS || p > TABLES_MAX_PAINTS) return 0;
    uint64_t need = EQUIPMENT_HEADER + uint64_t{HULL_RECORD} * h + uint64_t{ITEM_RECORD} * i +
                    uint64_t{PAINT_RECORD} * p;
    if (size < need) return 0;
    for (int k = 0; k < h; k++) t->hulls[k] = read_hull(&r);
    for (int k = 0; k < i; k++) t->items[k] = read_item(&r);
    for (int k = 0; k < p; k++) t->paints[k] = read_paint(&r);
    if (r.error) return 0;
    t->hull_count = h;
    t->item_count = i;
    t->paint_count = p;
    return 1;
}

int tables_parse_commodities(GameTables* t, const uint8_t* buffer, uint32_t size) {
    t->commodity_count = 0;
    if (!buffer || size < COMMODITIES_HEADER) return 0;
    save_reader r;
    save_reader_init(&r, buffer, size);
    if (save_read_header(&r, COMMODITIES_MAGIC) != COMMODITIES_VERSION) return 0;
    uint16_t c = save_read_u16(&r);
    if (c > TABLES_MAX_GOODS || size < COMMODITIES_HEADER + uint64_t{GOODS_RECORD} * c) return 0;
    for (int k = 0; k < c; k++) t->goods[k] = read_goods(&r);
    if (r.error) return 0;
    t->commodity_count = c;
    return 1;
}

uint16_t tables_hull(const GameTables* t, const char* id) {
    return find_id(t->hulls, t->hull_count, id);
}
uint16_t tables_item(const GameTables* t, const char* id) {
    return find_id(t->items, t->item_count, id);
}
uint16_t tables_commodity(const GameTables* t, const char* id) {
    return find_id(t->goods, t->commodity_count, id);
}

const char* hull_display_name(const HullEntry* hull) {
    return display_name(hull->names);
}
const char* item_display_name(const ItemEntry* item) {
    return display_name(item->names);
}
const char* paint_display_name(const PaintEntry* paint) {
    return display_name(paint->names);
}
const char* commodity_display_name(const CommodityEntry* goods) {
    return display_name(goods->names);
}

} // namespace vantrel
