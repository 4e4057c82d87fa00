// The equipment and goods files of the built game parsed whole, and the hold summary the
// pages and the fitting rules compute again and again.
#include <benchmark/benchmark.h>
#include <string>

#include "platform/files.h"
#include "trade/equipment.h"
#include "trade/loadout.h"

namespace vantrel {
namespace {

struct built_tables {
    uint8_t* eq = nullptr;
    uint8_t* goods = nullptr;
    uint32_t eq_size = 0, goods_size = 0;
    built_tables() {
        std::string dir = VANTREL_GAME_DIR;
        eq = read_file((dir + "/equipment.dat").c_str(), &eq_size);
        goods = read_file((dir + "/commodities.dat").c_str(), &goods_size);
    }
};

built_tables& files() {
    static built_tables f;
    return f;
}

void BM_tables_parse_both(benchmark::State& state) {
    built_tables& f = files();
    if (!f.eq || !f.goods) return state.SkipWithError("the tables are not built");
    static GameTables t;
    for (auto _ : state) {
        benchmark::DoNotOptimize(tables_parse_equipment(&t, f.eq, f.eq_size));
        benchmark::DoNotOptimize(tables_parse_commodities(&t, f.goods, f.goods_size));
    }
}
BENCHMARK(BM_tables_parse_both);

void BM_loadout_hold(benchmark::State& state) {
    built_tables& f = files();
    static GameTables t;
    if (!tables_parse_equipment(&t, f.eq, f.eq_size) ||
        !tables_parse_commodities(&t, f.goods, f.goods_size))
        return state.SkipWithError("the tables are not built");
    Loadout l;
    loadout_init(&l, &t, tables_hull(&t, "stihac"));
    loadout_install(&l, &t, tables_item(&t, "beam_1mw"));
    loadout_install(&l, &t, tables_item(&t, "cabin"));
    loadout_add_goods(&l, &t, tables_commodity(&t, "food"), 0x20000);
    loadout_add_goods(&l, &t, tables_commodity(&t, "medicine"), 0x10000);
    HoldSummary s;
    for (auto _ : state) {
        loadout_hold(&s, &l, &t);
        benchmark::DoNotOptimize(s);
    }
}
BENCHMARK(BM_loadout_hold);

} // namespace
} // namespace vantrel
