// Small catalogs for the universe tests, written with the asset builder's catalog writer and
// read back through memory.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "platform/files.h"
#include "tools/datagen/catalog_writer.h"
#include "universe/catalog3.h"

namespace vantrel {

constexpr int64_t LY = int64_t{1} << 32; // a light year as fix32

inline catalog_entry star_at(uint32_t id, double x, double y, double z, uint8_t cls = 4,
                             uint8_t kind = 0) {
    catalog_entry e{};
    e.star.id = id;
    e.star.pos[0] = static_cast<fix32>(x * 4294967296.0);
    e.star.pos[1] = static_cast<fix32>(y * 4294967296.0);
    e.star.pos[2] = static_cast<fix32>(z * 4294967296.0);
    e.star.cls = cls;
    e.star.kind = kind;
    return e;
}

inline Catalog3Tag text_tag(uint8_t type, const char* text) {
    Catalog3Tag t{};
    t.type = type;
    t.b3 = 255;
    std::snprintf(t.text, sizeof t.text, "%s", text);
    return t;
}

inline Catalog3Tag number_tag(uint8_t type, uint64_t value) {
    Catalog3Tag t{};
    t.type = type;
    t.b3 = 255;
    t.value = value;
    return t;
}

// A catalog in memory and the reader open over it.
struct test_catalog {
    std::vector<uint8_t> bytes;
    mem_file memory{};
    Catalog3Cell cells[65]; // room for the one test that opens 65 cells
    Catalog3 catalog{};

    bool write(uint16_t scale, const std::vector<catalog_entry>& entries) {
        std::string error;
        return catalog3_write(scale, entries, &bytes, &error);
    }
    bool open(uint32_t capacity = 64) {
        memory = mem_file{bytes.data(), uint32_t(bytes.size())};
        return catalog3_open(&catalog, mem_file_read_at, &memory, cells, capacity);
    }
    std::vector<Catalog3Star> query(double cx, double cy, double cz, double radius,
                                    uint32_t capacity = 256, uint32_t* found = nullptr) {
        std::vector<Catalog3Star> out(capacity);
        const fix32 c[3] = {static_cast<fix32>(cx * 4294967296.0),
                            static_cast<fix32>(cy * 4294967296.0),
                            static_cast<fix32>(cz * 4294967296.0)};
        uint32_t n = catalog3_query_radius(&catalog, c, static_cast<fix16>(radius * 65536.0),
                                           out.data(), capacity);
        if (found) *found = n;
        out.resize(n < capacity ? n : capacity);
        return out;
    }
    void put_u16(size_t at, uint16_t v) {
        bytes[at] = uint8_t(v >> 8);
        bytes[at + 1] = uint8_t(v);
    }
};

} // namespace vantrel
