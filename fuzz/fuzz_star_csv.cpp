// Star and body tables from any bytes: reading ends, whatever is accepted is in range, and its
// catalog is written and read back by the game with every star in place. An input holding a
// NUL byte is both tables, split there; any other input is tried as each table in turn.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "tools/datagen/stars.h"

using namespace vantrel;

namespace {

const std::string STARS = std::string(datagen::STARS_HEADER) +
                          "\n0,Sun,,,,,,,,,G2V,,,,,\n"
                          "1000001,Near,,,,,,10,20,500,M5V,,,,,\n"
                          "71683,Far,,,71683,,,219.9,-60.8,747.17,G2V,,,,,\n";

void require(bool ok) {
    if (!ok) std::abort();
}

int read_bytes(void* handle, uint32_t offset, void* dest, uint32_t length) {
    auto* file = static_cast<const std::vector<uint8_t>*>(handle);
    if (offset > file->size() || length > file->size() - offset) return 0;
    std::memcpy(dest, file->data() + offset, length);
    return 1;
}

void check_body(const catalog_entry& e, size_t i) {
    const Catalog3Body& b = e.bodies[i];
    require(b.id == e.star.id * 256 + uint32_t(i) + 1);
    require(b.kind == 0 ? b.parent == 255 : b.kind == 1 && b.parent < i);
    if (b.kind == 1) require(e.bodies[b.parent].kind == 0);
    require(b.type <= 12 && b.period >= 1 && b.orbit_mm >= 1 && (b.orbit_mm >> 32) < (1u << 31));
    require(b.phase_low <= 0xFF && b.name[0] != '\0' && std::strlen(b.name) <= 31);
    require((b.flags & ~0x83u) == 0 && (b.mass_code == 0) == (b.mass == 0));
}

void run(std::string_view stars, std::string_view bodies) {
    std::vector<catalog_entry> entries;
    std::string error;
    if (!datagen::stars_parse(stars, "stars.csv", bodies, "bodies.csv", &entries, &error)) {
        require(!error.empty());
        return;
    }
    fix32 far = 0;
    for (const catalog_entry& e : entries) {
        require(e.star.id < (1u << 24) && e.star.cls <= 6 && e.star.kind <= 5 && e.has_detail);
        require((e.star.flags & ~CATALOG3_HAS_PLANETS) == 0);
        require(std::strlen(e.info.name) >= 1 && std::strlen(e.info.name) <= 23);
        require(!e.tags.empty() && e.tags.size() <= 7 && e.tags[0].type == 1);
        require(e.bodies.size() <= 63 && e.bodies.empty() == !(e.star.flags & 2));
        for (size_t i = 0; i < e.bodies.size(); i++) check_body(e, i);
        for (fix32 p : e.star.pos) {
            require((p < 0 ? -p : p) <= (fix32(3262) << 32)); // 1 mas at the least
            far = std::max(far, p < 0 ? -p : p);
        }
    }
    std::vector<uint8_t> file;
    require(catalog3_write(datagen::STARS_SCALE, entries, &file, &error));
    Catalog3 catalog;
    Catalog3Cell cells[datagen::STARS_MAX_CELLS];
    require(catalog3_open(&catalog, read_bytes, &file, cells, datagen::STARS_MAX_CELLS));
    if (far >= fix32(32) << 32) return; // a wider query costs more than it finds
    fix32 centre[3] = {0, 0, 0};
    std::vector<Catalog3Star> found(entries.size() + 1);
    require(catalog3_query_radius(&catalog, centre, fix16(64) << 16, found.data(),
                                  uint32_t(found.size())) == entries.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1u << 16) return 0;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    size_t split = text.find('\0');
    if (split != std::string_view::npos) {
        run(text.substr(0, split), text.substr(split + 1));
    } else {
        run(text, datagen::BODIES_HEADER);
        run(STARS, text);
    }
    return 0;
}
