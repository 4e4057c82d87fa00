// Star catalogs from any bytes: open, a query over the whole grid, every detail record the
// query reaches, and the system each record builds. Nothing may read outside the input, and
// what comes back must keep the reader's promises.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/files.h"
#include "universe/catalog3.h"
#include "universe/neighbourhood.h"
#include "universe/system.h"

using namespace vantrel;

namespace {

void check_text(const char* text, size_t size) {
    if (std::memchr(text, '\0', size) == nullptr) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1u << 20) return 0;
    mem_file memory = {data, uint32_t(size)};
    static Catalog3Cell cells[NEIGHBOURHOOD_CELLS];
    Catalog3 catalog;
    if (!catalog3_open(&catalog, mem_file_read_at, &memory, cells, NEIGHBOURHOOD_CELLS)) return 0;
    if (catalog.cell_count > NEIGHBOURHOOD_CELLS || (catalog.scale & (catalog.scale - 1)))
        std::abort();
    static Catalog3Star stars[NEIGHBOURHOOD_STARS];
    const fix32 centre[3] = {0, 0, 0};
    uint32_t found =
        catalog3_query_radius(&catalog, centre, 0x7FFFFFFF, stars, NEIGHBOURHOOD_STARS);
    uint32_t n = found < uint32_t(NEIGHBOURHOOD_STARS) ? found : NEIGHBOURHOOD_STARS;
    static Catalog3Tag tags[NEIGHBOURHOOD_TAGS];
    static Catalog3Body bodies[NEIGHBOURHOOD_BODIES];
    static uint8_t scratch[NEIGHBOURHOOD_SCRATCH];
    static StarSystem system;
    for (uint32_t i = 0; i < n; i++) {
        if (stars[i].cls > 7 || stars[i].kind > 7) std::abort();
        Catalog3SystemInfo info;
        if (stars[i].detail == CATALOG3_NO_DETAIL ||
            !catalog3_read_detail(&catalog, stars[i].detail, &info, tags, NEIGHBOURHOOD_TAGS,
                                  bodies, NEIGHBOURHOOD_BODIES, scratch, sizeof scratch))
            continue;
        check_text(info.name, sizeof info.name);
        uint32_t kept_tags =
            info.tag_count < NEIGHBOURHOOD_TAGS ? info.tag_count : NEIGHBOURHOOD_TAGS;
        for (uint32_t t = 0; t < kept_tags; t++) check_text(tags[t].text, sizeof tags[t].text);
        int32_t kept =
            info.body_count < NEIGHBOURHOOD_BODIES ? info.body_count : NEIGHBOURHOOD_BODIES;
        int32_t count = system_from_catalog(&system, info.name, &info, bodies, kept, stars[i].id);
        if (count < 1 || count > SYSTEM_MAX_BODIES) std::abort();
        for (int32_t b = 1; b < count; b++)
            if (system.bodies[b].parent >= b || system.bodies[b].type > 11) std::abort();
        static space_pos at[SYSTEM_MAX_BODIES];
        world_time t = WORLD_TIME_START;
        system_positions(&system, &t, at);
    }
    return 0;
}
