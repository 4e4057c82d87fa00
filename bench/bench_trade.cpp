// The equipment and goods files of the built game parsed whole, the hold summary the pages
// and the fitting rules compute again and again, the port's board as generated, and a port
// frame on the station's full board.
#include <benchmark/benchmark.h>
#include <string>

#include "bench_game.h"
#include "platform/files.h"
#include "trade/equipment.h"
#include "trade/loadout.h"
#include "trade/people.h"
#include "trade/port_screen.h"

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

// The station's four-day board, generated from nothing but the hash each time.
void BM_port_ads(benchmark::State& state) {
    Ad ads[32];
    uint32_t day = 102067;
    for (auto _ : state) {
        benchmark::DoNotOptimize(port_ads(&PORT_BASES[0], day, 0, ads, 32));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_port_ads);

// A frame of the ad board at the station: lay out and draw, the selection half-way down.
void BM_port_frame(benchmark::State& state) {
    static port_state s;
    static port_layout layout;
    world_time t{146976480, 0};
    port_enter(&s, &t);
    s.place = PLACE_BOARD;
    s.selected = s.ad_count / 2;
    port_scroll(&s);
    static uint8_t frame[PORT_SCREEN_W * PORT_SCREEN_H];
    frame_times times;
    for (auto _ : state) {
        times.time([&] {
            port_lay_out(&s, &layout);
            port_draw(&s, &layout, frame);
        });
        benchmark::DoNotOptimize(frame[1000]);
    }
    state.counters["ads"] = s.ad_count;
    times.report(state);
}
BENCHMARK(BM_port_frame)->Iterations(2000)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace vantrel
