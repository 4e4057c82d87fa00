// loadout: the hold's budget, the fitting rules, the starting ship and its helpers.
#include "trade/loadout.h"

#include <cstdio>
#include <cstring>

#include "platform/files.h"
#include "render/palette.h"

namespace vantrel {

Loadout g_ship;
int g_ship_ok = 0;

namespace {

constexpr fix16 FIX16_MAX = 0x7FFFFFFF;

uint8_t* g_equipment_file = nullptr;
uint8_t* g_commodities_file = nullptr;
bool g_ship_tried = false;

// File masses are unsigned 32-bit: above 0x7FFFFFFF they count as the largest fix16.
int64_t mass_of(uint32_t file_mass) {
    return file_mass > 0x7FFFFFFFu ? 0x7FFFFFFF : int64_t{file_mass};
}

fix16 saturate(int64_t v) {
    return v > FIX16_MAX ? FIX16_MAX : v < -FIX16_MAX - 1 ? -FIX16_MAX - 1 : fix16(v);
}

bool valid_hull(const Loadout* l, const GameTables* t) {
    return l->hull < t->hull_count;
}

bool valid_item(const GameTables* t, uint16_t item) {
    return item < t->item_count;
}

// The hold's free mass as a 64-bit figure; a mass fits when it is not above it.
int64_t free_mass(const Loadout* l, const GameTables* t) {
    HoldSummary s;
    loadout_hold(&s, l, t);
    return s.free;
}

bool fits(const Loadout* l, const GameTables* t, int64_t mass) {
    return mass <= free_mass(l, t);
}

// The starting fit: each step follows its own rules, so an id the tables lack fails only
// that step.
void fit_out(Loadout* l, const GameTables* t) {
    loadout_install(l, t, tables_item(t, "beam_1mw"));
    loadout_install(l, t, tables_item(t, "cabin"));
    loadout_store_fuel(l, t, 0x30000);
    loadout_add_goods(l, t, tables_commodity(t, "food"), 0x20000);
    loadout_add_goods(l, t, tables_commodity(t, "medicine"), 0x10000);
    loadout_board(l, t, 1);
    loadout_arm(l, t, 0, tables_item(t, "missile_ir"));
    loadout_arm(l, t, 1, tables_item(t, "missile_ir"));
}

} // namespace

void loadout_init(Loadout* l, const GameTables* t, uint16_t hull) {
    *l = Loadout{};
    l->hull = hull;
    for (uint16_t& p : l->pylons) p = TABLES_NONE;
    if (valid_hull(l, t)) l->tank_fuel = saturate(mass_of(t->hulls[hull].tank));
    if (t->paint_count > 0) loadout_paint(l, t, 0);
}

void loadout_paint(Loadout* l, const GameTables* t, int32_t paint) {
    if (paint < 0 || paint >= t->paint_count) return;
    const PaintEntry& p = t->paints[paint];
    l->paint_a = p.a;
    l->paint_b = p.b;
    l->paint_c = p.c;
    l->paint_d = p.d;
}

void loadout_hold(HoldSummary* out, const Loadout* l, const GameTables* t) {
    int64_t equipment = 0, cabins = 0, goods = 0;
    for (int i = 0; i < l->equipment_count && i < LOADOUT_ITEMS; i++) {
        uint16_t item = l->equipment[i];
        if (!valid_item(t, item) || t->items[item].kind == ITEM_KIND_STORE) continue;
        int64_t m = mass_of(t->items[item].mass);
        if (t->items[item].flags & ITEM_CABIN)
            cabins += m;
        else
            equipment += m;
    }
    for (int i = 0; i < l->lot_count && i < LOADOUT_LOTS; i++) goods += l->lots[i].mass;
    int64_t used = int64_t{l->stored_fuel} + equipment + cabins + goods;
    int64_t capacity = valid_hull(l, t) ? mass_of(t->hulls[l->hull].capacity) : 0;
    *out = HoldSummary{saturate(equipment), saturate(cabins), l->stored_fuel,
                       saturate(goods),     saturate(used),   saturate(capacity - used),
                       saturate(capacity)};
}

int32_t loadout_cabins(const Loadout* l, const GameTables* t) {
    int32_t n = 0;
    for (int i = 0; i < l->equipment_count && i < LOADOUT_ITEMS; i++)
        if (valid_item(t, l->equipment[i]) && (t->items[l->equipment[i]].flags & ITEM_CABIN)) n++;
    return n;
}

int loadout_has_flag(const Loadout* l, const GameTables* t, uint16_t mask) {
    for (int i = 0; i < l->equipment_count && i < LOADOUT_ITEMS; i++)
        if (valid_item(t, l->equipment[i]) && (t->items[l->equipment[i]].flags & mask)) return 1;
    return 0;
}

int loadout_install(Loadout* l, const GameTables* t, uint16_t item) {
    if (!valid_item(t, item) || t->items[item].kind == ITEM_KIND_STORE ||
        l->equipment_count >= LOADOUT_ITEMS || !fits(l, t, mass_of(t->items[item].mass)))
        return 0;
    l->equipment[l->equipment_count++] = item;
    return 1;
}

int loadout_arm(Loadout* l, const GameTables* t, int32_t pylon, uint16_t item) {
    // A negative pylon is as wrong as one past the hull's count.
    if (!valid_hull(l, t) || pylon < 0 || pylon >= t->hulls[l->hull].pylons ||
        pylon >= LOADOUT_PYLONS)
        return 0;
    if (item != TABLES_NONE && (!valid_item(t, item) || t->items[item].kind != ITEM_KIND_STORE))
        return 0;
    l->pylons[pylon] = item;
    return 1;
}

int loadout_add_goods(Loadout* l, const GameTables* t, uint16_t commodity, fix16 mass) {
    if (commodity >= t->commodity_count || mass < 1 || !fits(l, t, mass)) return 0;
    for (int i = 0; i < l->lot_count; i++)
        if (l->lots[i].commodity == commodity) {
            l->lots[i].mass = saturate(int64_t{l->lots[i].mass} + mass);
            return 1;
        }
    if (l->lot_count >= LOADOUT_LOTS) return 0;
    l->lots[l->lot_count++] = GoodsLot{commodity, mass};
    return 1;
}

int loadout_store_fuel(Loadout* l, const GameTables* t, fix16 mass) {
    if (mass < 1 || !fits(l, t, mass)) return 0;
    l->stored_fuel = saturate(int64_t{l->stored_fuel} + mass);
    return 1;
}

int loadout_board(Loadout* l, const GameTables* t, int32_t passengers) {
    if (passengers < 1 || l->equipment_count == 0 ||
        int64_t{l->passengers} + passengers > loadout_cabins(l, t))
        return 0;
    l->passengers = static_cast<uint8_t>(l->passengers + passengers);
    return 1;
}

fix16 loadout_refuel(Loadout* l, const GameTables* t, fix16 amount) {
    int64_t capacity = valid_hull(l, t) ? mass_of(t->hulls[l->hull].tank) : 0;
    int64_t moved = capacity - l->tank_fuel;
    if (amount < moved) moved = amount;
    if (l->stored_fuel < moved) moved = l->stored_fuel;
    if (moved < 1) return 0;
    l->stored_fuel = fix16(l->stored_fuel - moved);
    l->tank_fuel = fix16(l->tank_fuel + moved);
    return fix16(moved);
}

fix16 loadout_auto_refuel(Loadout* l, const GameTables* t) {
    if (!valid_hull(l, t) || !loadout_has_flag(l, t, ITEM_AUTOREFUEL)) return 0;
    int64_t capacity = mass_of(t->hulls[l->hull].tank);
    if (l->tank_fuel >= (capacity >> 2)) return 0;
    int64_t moved = capacity - l->tank_fuel;
    if (l->stored_fuel < moved) moved = l->stored_fuel;
    if (moved < 1) return 0;
    l->stored_fuel = fix16(l->stored_fuel - moved);
    l->tank_fuel = fix16(l->tank_fuel + moved);
    return fix16(moved);
}

void ship_setup() {
    // One attempt a run: the files are read, parsed and reported once, whatever came of it.
    if (g_ship_tried) return;
    g_ship_tried = true;
    uint32_t equipment_size = 0, commodities_size = 0;
    g_equipment_file = read_file("PROGDIR:equipment.dat", &equipment_size);
    g_commodities_file = read_file("PROGDIR:commodities.dat", &commodities_size);
    uint16_t hull = TABLES_NONE;
    if (tables_parse_equipment(&g_tables, g_equipment_file, equipment_size)) {
        tables_parse_commodities(&g_tables, g_commodities_file, commodities_size);
        hull = tables_hull(&g_tables, "stihac");
    }
    if (hull == TABLES_NONE) {
        std::printf("ship: PROGDIR:equipment.dat missing or bad, placeholder loadout\n");
        return;
    }
    loadout_init(&g_ship, &g_tables, hull);
    fit_out(&g_ship, &g_tables);
    g_ship_ok = 1;
    // Six tenths of the tank, taken in 64 bits: a large tank would overflow the product.
    int64_t tank = mass_of(g_tables.hulls[hull].tank);
    g_ship.tank_fuel = saturate((tank * 39321) >> 16);
    HoldSummary s;
    loadout_hold(&s, &g_ship, &g_tables);
    std::printf("ship: %s, %d items, hold %ld/%ld t\n", g_tables.hulls[hull].names.id,
                g_ship.equipment_count, long(s.used >> 16), long(s.capacity >> 16));
}

void loadout_format_tonnes(fix16 tonnes, char* out, size_t size) {
    uint64_t magnitude = tonnes < 0 ? 0 - uint64_t(int64_t{tonnes}) : uint64_t(tonnes);
    // Tenths, to nearest with ties up: (m * 10 + 0.5) in 16.16.
    uint64_t tenths = (magnitude * 10 + 0x8000) >> 16;
    bool negative = tonnes < 0 && tenths != 0;
    std::snprintf(out, size, "%s%ld.%ld t", negative ? "-" : "", long(tenths / 10),
                  long(tenths % 10));
}

int32_t loadout_fuel_percent(const Loadout* l, const GameTables* t) {
    if (!valid_hull(l, t)) return 0;
    int64_t capacity = mass_of(t->hulls[l->hull].tank);
    if (capacity <= 0 || l->tank_fuel <= 0) return 0;
    int64_t percent = int64_t{l->tank_fuel} * 100 / capacity;
    return percent > 100 ? 100 : int32_t(percent);
}

void loadout_store_types(const Loadout* l, const GameTables* t, uint8_t out[LOADOUT_STORES]) {
    int32_t pylons = valid_hull(l, t) ? t->hulls[l->hull].pylons : 0;
    for (int i = 0; i < LOADOUT_STORES; i++) {
        uint16_t item = l->pylons[i];
        bool hung = i < pylons && valid_item(t, item) && t->items[item].kind == ITEM_KIND_STORE;
        out[i] = hung ? t->items[item].kept : uint8_t{STORE_NONE};
    }
}

namespace {

// RGB565 to eight bits a channel, the top bits repeated into the bottom ones.
rgb8 expand_565(uint16_t c) {
    uint8_t r = (c >> 11) & 31, g = (c >> 5) & 63, b = c & 31;
    return rgb8{uint8_t((r << 3) | (r >> 2)), uint8_t((g << 2) | (g >> 4)),
                uint8_t((b << 3) | (b >> 2))};
}

} // namespace

void loadout_livery(const Loadout* l, uint8_t* palette) {
    int block = l->paint_b <= 4 ? l->paint_b : 0;
    livery_block(palette, BLOCK_BASE[0], expand_565(l->paint_a), expand_565(l->paint_c),
                 LIVERY_LIGHTS[size_t(block)]);
}

int32_t ship_paint_index() {
    if (!g_ship_ok) return -1;
    for (int32_t i = 0; i < g_tables.paint_count; i++) {
        const PaintEntry& p = g_tables.paints[i];
        if (p.a == g_ship.paint_a && p.b == g_ship.paint_b && p.c == g_ship.paint_c &&
            p.d == g_ship.paint_d)
            return i;
    }
    return -1;
}

void ship_next_paint() {
    if (!g_ship_ok || g_tables.paint_count == 0) return;
    int32_t next = ship_paint_index() + 1;
    loadout_paint(&g_ship, &g_tables, next < g_tables.paint_count ? next : 0);
}

void ship_refuel_by_hand() {
    if (!g_ship_ok) return;
    int64_t capacity = mass_of(g_tables.hulls[g_ship.hull].tank);
    fix16 moved = loadout_refuel(&g_ship, &g_tables, saturate(capacity));
    std::printf("ship: refuelled by hand, %ld kg\n", long((int64_t{moved} * 1000) >> 16));
}

} // namespace vantrel
