// catalog3: the star catalog file "stars.catalog" (magic "STC3") and the four ways to read
// it: open, find a sector, query the stars within a radius, decode one star's detail record.
//
// Stars sit in a sparse grid of cubic sectors S light years wide (S a power of two 2^k); a
// sector on an axis is the position >> (32 + k), a star's offset inside it a 16-bit fine
// value in steps of S/65536 ly, and a coarse cell groups 16^3 sectors. The file is: a 40-byte
// header, the coarse index (12-byte cells sorted by cx, cy, cz), the sector directory (16-byte
// entries, each cell's range sorted by sx, sy, sz), the star table (13 bytes a star, a
// sector's stars consecutive), the detail offset table (records + 1 offsets) and the detail
// records. Everything is big-endian and the offsets are absolute.
//
// The module never opens a file and never allocates: it reads through the caller's callback
// (usually over the whole file in memory) and writes into the caller's arrays.
#pragma once

#include <array>
#include <cstdint>

#include "core/fixmath.h"

namespace vantrel {

constexpr uint32_t CATALOG3_MAGIC = 0x53544333; // "STC3"
constexpr uint16_t CATALOG3_VERSION = 3;
constexpr uint32_t CATALOG3_HEADER_SIZE = 40;
constexpr uint32_t CATALOG3_CELL_SIZE = 12;
constexpr uint32_t CATALOG3_SECTOR_SIZE = 16;
constexpr uint32_t CATALOG3_STAR_SIZE = 13;
constexpr uint32_t CATALOG3_NO_DETAIL = 0xFFFFFFFFu;
constexpr int CATALOG3_STAR_NAME = 23; // kept characters of names
constexpr int CATALOG3_TAG_TEXT = 31;
constexpr int CATALOG3_BODY_NAME = 31;

// Star flags (byte 12 of a star).
constexpr uint8_t CATALOG3_HAS_DETAIL = 1;
constexpr uint8_t CATALOG3_HAS_PLANETS = 2;

// Body flags.
constexpr uint16_t CATALOG3_INCLINATION_GIVEN = 1;
constexpr uint16_t CATALOG3_NODE_GIVEN = 2;
constexpr uint16_t CATALOG3_RING = 0x80;

// Star kinds (bits 3-5 of the class byte).
enum catalog3_kind : uint8_t {
    STAR_MAIN_SEQUENCE = 0,
    STAR_SUBGIANT = 1,
    STAR_GIANT = 2,
    STAR_SUPERGIANT = 3,
    STAR_WHITE_DWARF = 4,
    STAR_BROWN_DWARF = 5,
};

// Spectral classes by code 0-7, and the printed class of a star ("G V", "D", "L/T").
extern const char* const CLS[8];
// Writes the class as the maps print it into out (at least 8 bytes).
void catalog3_class_text(uint8_t cls, uint8_t kind, char* out, int size);

// Earth masses and Earth radii (fix16) by their one-byte codes, built at compile time by
// their rules: mass i = round(65536 * 10^((i - 96) / 32)), radius i = round(65536 *
// 10^((i - 150) / 50)), saturated at 0x7FFFFFFF; code 0 = not recorded.
extern const std::array<fix16, 256> CATALOG3_MASS_EARTH;
extern const std::array<fix16, 256> CATALOG3_RADIUS_EARTH;

// (handle, offset, destination, length): nonzero when all length bytes were copied.
using catalog3_read_fn = int (*)(void* handle, uint32_t offset, void* dest, uint32_t length);

struct Catalog3Cell {
    int16_t cx, cy, cz;
    uint16_t sector_count;
    uint32_t first_sector;
};

struct Catalog3Sector {
    int16_t sx, sy, sz;
    uint16_t star_count;
    uint32_t first_star;
    uint32_t first_detail;
};

struct Catalog3 {
    catalog3_read_fn read;
    void* handle;
    uint16_t scale;
    uint32_t shift; // k, where scale = 2^k
    uint32_t cell_count;
    uint32_t count_a, count_b; // header counts kept as read (sectors, stars)
    uint32_t detail_count;
    uint32_t index_offset, directory_offset, star_offset, detail_offset;
    Catalog3Cell* cells;
};

struct Catalog3Star {
    uint32_t id;
    fix32 pos[3]; // light years
    uint8_t cls;
    uint8_t kind;
    uint8_t extra;
    uint8_t flags;
    uint32_t detail; // detail index, CATALOG3_NO_DETAIL for none
};

struct Catalog3SystemInfo {
    uint8_t tag_count;
    uint8_t body_count;
    uint16_t temperature; // kelvin, 0 = not recorded
    fix16 brightness;     // the Sun = 1.0
    fix16 radius;         // solar radii
    char name[CATALOG3_STAR_NAME + 1];
    uint8_t extra;
};

// Tag types: 1 display name, 7 proper name, 9 GJ name (texts); 4 HIP, 5 HD, 6 another
// number (u32); 8 a 64-bit number (Gaia DR3); 2 three bytes; 3 a u16 and a byte.
struct Catalog3Tag {
    uint8_t type;
    uint8_t b1, b2, b3;
    uint64_t value;
    char text[CATALOG3_TAG_TEXT + 1];
};

struct Catalog3Body {
    uint32_t id;
    uint8_t kind;   // 1 moon, anything else a planet of the star
    uint8_t parent; // a moon's planet among the record's bodies; 255 none
    uint8_t carried3;
    uint8_t type; // 0-11 fixed, 12 and above: classify
    char name[CATALOG3_BODY_NAME + 1];
    uint64_t orbit_mm; // unsigned 32.32 megametres
    uint32_t period;   // minutes, 0 = not used
    uint8_t b0, inclination, node, phase_high;
    uint16_t phase_low;
    uint16_t flags;
    fix16 mass;   // Earth masses, through CATALOG3_MASS_EARTH
    fix16 radius; // Earth radii, through CATALOG3_RADIUS_EARTH
    uint8_t mass_code, radius_code;
    uint16_t temperature; // kelvin, 0 = compute
    uint8_t carried15;
    uint32_t carried16;
    uint8_t tilt; // code, 255 = none
    int32_t spin;
    uint16_t carried19;
    uint8_t carried20;
};

// Reads and checks the header and copies the coarse index into cells (capacity entries).
bool catalog3_open(Catalog3* catalog, catalog3_read_fn read, void* handle, Catalog3Cell* cells,
                   uint32_t capacity);
bool catalog3_find_sector(const Catalog3* catalog, int16_t sx, int16_t sy, int16_t sz,
                          Catalog3Sector* out);
// Every star within radius (fix16 ly) of centre (fix32 ly), in sector order x, y, z and in
// table order inside a sector. Returns the number of matches, which may exceed capacity;
// only the first capacity are written.
uint32_t catalog3_query_radius(const Catalog3* catalog, const fix32 centre[3], fix16 radius,
                               Catalog3Star* out, uint32_t capacity);
bool catalog3_read_detail(const Catalog3* catalog, uint32_t index, Catalog3SystemInfo* info,
                          Catalog3Tag* tags, uint32_t tag_capacity, Catalog3Body* bodies,
                          uint32_t body_capacity, uint8_t* scratch, uint32_t scratch_size);

} // namespace vantrel
