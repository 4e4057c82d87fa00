// Equipment and goods files from any bytes: both parsers, then a ship fitted out of whatever
// parsed. Texts must stay inside the input or be the empty text, and the loadout's rules must
// hold whatever the tables say.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "trade/equipment.h"
#include "trade/loadout.h"

using namespace vantrel;

namespace {

const uint8_t* g_base;
size_t g_size;

void check_text(const char* text) {
    if (text[0] == '\0') return;
    auto p = reinterpret_cast<const uint8_t*>(text);
    if (p < g_base || p >= g_base + g_size) std::abort();
    if (std::memchr(p, '\0', size_t(g_base + g_size - p)) == nullptr) std::abort();
}

void check_names(const table_names& n) {
    check_text(n.id);
    check_text(n.czech);
    check_text(n.english);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1u << 20) return 0;
    g_base = data;
    g_size = size;
    static GameTables t;
    tables_parse_equipment(&t, data, uint32_t(size));
    tables_parse_commodities(&t, data, uint32_t(size));
    for (int i = 0; i < t.hull_count; i++)
        check_names(t.hulls[i].names), check_text(t.hulls[i].model);
    for (int i = 0; i < t.item_count; i++)
        check_names(t.items[i].names), check_text(t.items[i].model);
    for (int i = 0; i < t.paint_count; i++) check_names(t.paints[i].names);
    for (int i = 0; i < t.commodity_count; i++) check_names(t.goods[i].names);
    for (uint16_t hull = 0; hull < t.hull_count; hull++) {
        Loadout l;
        loadout_init(&l, &t, hull);
        for (uint16_t item = 0; item < t.item_count; item++) {
            loadout_install(&l, &t, item);
            for (int32_t pylon = -1; pylon <= LOADOUT_PYLONS; pylon++)
                loadout_arm(&l, &t, pylon, item);
        }
        for (uint16_t g = 0; g < t.commodity_count; g++) loadout_add_goods(&l, &t, g, 0x10000);
        loadout_store_fuel(&l, &t, 0x30000);
        loadout_board(&l, &t, 1);
        loadout_refuel(&l, &t, 0x7FFFFFFF);
        loadout_auto_refuel(&l, &t);
        HoldSummary s;
        loadout_hold(&s, &l, &t);
        if (l.equipment_count > LOADOUT_ITEMS || l.lot_count > LOADOUT_LOTS ||
            l.passengers > loadout_cabins(&l, &t) || l.stored_fuel < 0 || l.tank_fuel < 0)
            std::abort();
        int32_t percent = loadout_fuel_percent(&l, &t);
        if (percent < 0 || percent > 100) std::abort();
    }
    return 0;
}
