// The universe over the built star catalog: the 12 ly query, the whole neighbourhood load,
// building the Sun's system, and the positions of its bodies (what every map frame pays).
#include <benchmark/benchmark.h>

#include "platform/files.h"
#include "universe/catalog3.h"
#include "universe/neighbourhood.h"
#include "universe/system.h"

namespace vantrel {
namespace {

struct built_catalog {
    uint8_t* data = nullptr;
    mem_file memory{};
    Catalog3Cell cells[NEIGHBOURHOOD_CELLS];
    Catalog3 catalog{};
    bool ok = false;

    built_catalog() {
        progdir_set(VANTREL_GAME_DIR);
        uint32_t size = 0;
        data = read_file(STAR_CATALOG_FILE, &size);
        memory = mem_file{data, size};
        ok = data && catalog3_open(&catalog, mem_file_read_at, &memory, cells, NEIGHBOURHOOD_CELLS);
    }
};

built_catalog& catalog() {
    static built_catalog c;
    return c;
}

void BM_catalog3_query_12ly(benchmark::State& state) {
    built_catalog& c = catalog();
    if (!c.ok) return state.SkipWithError("the star catalog is not built");
    static Catalog3Star stars[NEIGHBOURHOOD_STARS];
    const fix32 origin[3] = {0, 0, 0};
    for (auto _ : state)
        benchmark::DoNotOptimize(catalog3_query_radius(&c.catalog, origin, NEIGHBOURHOOD_RADIUS,
                                                       stars, NEIGHBOURHOOD_STARS));
}
BENCHMARK(BM_catalog3_query_12ly)->Unit(benchmark::kMicrosecond);

void BM_load_neighbourhood(benchmark::State& state) {
    if (!catalog().ok) return state.SkipWithError("the star catalog is not built");
    static StarSystem home;
    static StarGroup groups[NEIGHBOURHOOD_GROUPS];
    int32_t count = 0;
    for (auto _ : state) benchmark::DoNotOptimize(load_neighbourhood(&home, groups, &count));
}
BENCHMARK(BM_load_neighbourhood)->Unit(benchmark::kMicrosecond);

// The Sun's record decoded once; the case times only the build.
struct sun_record {
    Catalog3SystemInfo info{};
    Catalog3Tag tags[NEIGHBOURHOOD_TAGS];
    Catalog3Body bodies[NEIGHBOURHOOD_BODIES];
    uint8_t scratch[NEIGHBOURHOOD_SCRATCH];
    bool ok = false;
    sun_record() {
        built_catalog& c = catalog();
        Catalog3Star stars[4];
        const fix32 origin[3] = {0, 0, 0};
        ok = c.ok && catalog3_query_radius(&c.catalog, origin, 1000, stars, 4) >= 1 &&
             catalog3_read_detail(&c.catalog, stars[0].detail, &info, tags, NEIGHBOURHOOD_TAGS,
                                  bodies, NEIGHBOURHOOD_BODIES, scratch, sizeof scratch);
    }
};

void BM_system_from_catalog_sun(benchmark::State& state) {
    static sun_record sun;
    if (!sun.ok) return state.SkipWithError("the star catalog is not built");
    static StarSystem system;
    for (auto _ : state)
        benchmark::DoNotOptimize(
            system_from_catalog(&system, "Sun", &sun.info, sun.bodies, sun.info.body_count, 1));
}
BENCHMARK(BM_system_from_catalog_sun)->Unit(benchmark::kMicrosecond);

void BM_system_positions_sun(benchmark::State& state) {
    static sun_record sun;
    if (!sun.ok) return state.SkipWithError("the star catalog is not built");
    static StarSystem system;
    system_from_catalog(&system, "Sun", &sun.info, sun.bodies, sun.info.body_count, 1);
    static space_pos at[SYSTEM_MAX_BODIES];
    world_time t = WORLD_TIME_START;
    for (auto _ : state) {
        system_positions(&system, &t, at);
        benchmark::DoNotOptimize(at);
        t.minutes++;
    }
}
BENCHMARK(BM_system_positions_sun)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace vantrel
