// catalog_writer: the star catalog file written from decoded star records, the same records
// the game's reader (universe/catalog3.h) gives back. The asset builder's stars recipe and the
// tests' small catalogs both go through it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "universe/catalog3.h"

namespace vantrel {

struct catalog_entry {
    // id, pos (fix32 ly), cls, kind, extra and flags (CATALOG3_HAS_PLANETS); the detail flag
    // and index are set by the writer from has_detail.
    Catalog3Star star;
    bool has_detail;
    // temperature, brightness (fix16, stored in 1/256), radius (fix16, stored in 1/64), name,
    // extra; tag_count and body_count are taken from the vectors.
    Catalog3SystemInfo info;
    std::vector<Catalog3Tag> tags;    // type, b1 b2 b3, value, text as the type uses them
    std::vector<Catalog3Body> bodies; // every field; mass_code and radius_code are written
};

// The whole file: sectors `scale` light years wide (a power of two), the coarse index and the
// sector directory sorted as the reader searches them, a sector's stars in the order given,
// detail records in star-table order, header counts at 12 and 16 = sectors and stars.
// Returns false with a reason in *error for a scale that is not a power of two, a position
// whose sector does not fit 16 bits, more than 65535 stars in a sector, or a record too long.
bool catalog3_write(uint16_t scale, const std::vector<catalog_entry>& entries,
                    std::vector<uint8_t>* out, std::string* error);

} // namespace vantrel
