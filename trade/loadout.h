// loadout: the player's ship as the tables describe it: a hull fitted out with equipment,
// pylon stores, passengers, goods and fuel, all by table index, under the hold's mass budget.
//
// Every tonne of equipment, cabins, goods and fuel carried in the hold counts against the
// hull's hold capacity; the fuel tank is separate, filled from the fuel in the hold by hand or
// by an auto-refuel unit. Pylon stores weigh nothing in the hold. Masses are fix16 tonnes;
// the file's masses are unsigned, so sums are taken in 64 bits and saturated to 32.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/fixmath.h"
#include "trade/equipment.h"

namespace vantrel {

constexpr int LOADOUT_ITEMS = 24;
constexpr int LOADOUT_PYLONS = 12;
constexpr int LOADOUT_LOTS = 16;
constexpr int LOADOUT_STORES = 6; // the pylons the flight's stores readout shows

struct GoodsLot {
    uint16_t commodity;
    fix16 mass;
};

struct Loadout {
    uint16_t hull;
    uint8_t equipment_count;
    uint16_t equipment[LOADOUT_ITEMS];
    uint16_t pylons[LOADOUT_PYLONS]; // TABLES_NONE = empty
    uint8_t passengers;
    uint8_t lot_count;
    GoodsLot lots[LOADOUT_LOTS];
    fix16 stored_fuel; // carried in the hold
    fix16 tank_fuel;
    uint16_t paint_a;
    uint8_t paint_b;
    uint16_t paint_c;
    uint8_t paint_d;
};

struct HoldSummary {
    fix16 equipment; // items without the cabin flag
    fix16 cabins;    // items with it
    fix16 stored_fuel;
    fix16 goods;
    fix16 used;     // fuel, equipment and goods
    fix16 free;     // capacity - used; negative when overloaded
    fix16 capacity; // 0 without a valid hull
};

extern Loadout g_ship;
extern int g_ship_ok; // 1 once ship_setup built the starting loadout

void loadout_init(Loadout* l, const GameTables* t, uint16_t hull);
void loadout_paint(Loadout* l, const GameTables* t, int32_t paint);
void loadout_hold(HoldSummary* out, const Loadout* l, const GameTables* t);
int32_t loadout_cabins(const Loadout* l, const GameTables* t);
int loadout_has_flag(const Loadout* l, const GameTables* t, uint16_t mask);
int loadout_install(Loadout* l, const GameTables* t, uint16_t item);
int loadout_arm(Loadout* l, const GameTables* t, int32_t pylon, uint16_t item);
int loadout_add_goods(Loadout* l, const GameTables* t, uint16_t commodity, fix16 mass);
int loadout_store_fuel(Loadout* l, const GameTables* t, fix16 mass);
int loadout_board(Loadout* l, const GameTables* t, int32_t passengers);
fix16 loadout_refuel(Loadout* l, const GameTables* t, fix16 amount);
fix16 loadout_auto_refuel(Loadout* l, const GameTables* t);

// Builds the starting loadout from the tables, once per run, and prints its line.
void ship_setup();

// Tonnes with one decimal, "%s%ld.%ld t": tenths rounded to nearest (ties up) on the
// absolute value, the minus sign only when what is shown is not 0.
void loadout_format_tonnes(fix16 tonnes, char* out, size_t size);
// The tank as a percentage of its capacity, truncated, 0-100.
int32_t loadout_fuel_percent(const Loadout* l, const GameTables* t);
// The store types (store_type) hanging on pylons 0-5: 0 when empty or beyond the hull's pylons.
void loadout_store_types(const Loadout* l, const GameTables* t, uint8_t out[LOADOUT_STORES]);
// The livery block 0 of the palette in the ship's paint: main and accent from their RGB565
// values by bit replication, lights from livery block b.
void loadout_livery(const Loadout* l, uint8_t* palette);

// The paint record matching g_ship's paint, or -1; the next paint record (wrapping to 0).
int32_t ship_paint_index();
void ship_next_paint();
// Fills the tank from the hold and prints "ship: refuelled by hand, %ld kg".
void ship_refuel_by_hand();

} // namespace vantrel
