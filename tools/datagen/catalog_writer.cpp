// catalog_writer: lays out the star catalog file from decoded star records. It is the mirror
// of universe/catalog3.cpp: every field goes out where the reader looks for it, so a catalog
// written here reads back as the records it was given.
#include "tools/datagen/catalog_writer.h"

#include <algorithm>
#include <cstring>

#include "core/save.h"

namespace vantrel {

namespace {

struct placed {
    uint32_t entry;    // index into the caller's entries
    int16_t sector[3]; // position >> (32 + k)
    uint16_t fine[3];  // offset inside the sector in steps of S/65536 ly
    int16_t cell[3];   // sector >> 4
};

// Cells, then sectors inside a cell, compared as signed values axis by axis: the order both
// of the reader's binary searches assume. Stars of one sector keep the caller's order
// because the sort is stable.
bool placed_before(const placed& a, const placed& b) {
    for (int i = 0; i < 3; i++)
        if (a.cell[i] != b.cell[i]) return a.cell[i] < b.cell[i];
    for (int i = 0; i < 3; i++)
        if (a.sector[i] != b.sector[i]) return a.sector[i] < b.sector[i];
    return false;
}

bool same_sector(const placed& a, const placed& b) {
    return a.sector[0] == b.sector[0] && a.sector[1] == b.sector[1] && a.sector[2] == b.sector[2];
}

bool same_cell(const placed& a, const placed& b) {
    return a.cell[0] == b.cell[0] && a.cell[1] == b.cell[1] && a.cell[2] == b.cell[2];
}

// Splits one axis into sector and fine value; false when the sector does not fit 16 bits.
// The remainder is taken in unsigned arithmetic: pos - (sector << (32 + k)) always lies in
// [0, 2^(32+k)), so only its bits matter.
bool place_axis(fix32 pos, uint32_t k, int16_t* sector, uint16_t* fine) {
    int64_t s = pos >> (32 + k);
    if (s < INT16_MIN || s > INT16_MAX) return false;
    uint64_t rest = uint64_t(pos) - (uint64_t(s) << (32 + k));
    *sector = int16_t(s);
    *fine = uint16_t(rest >> (16 + k));
    return true;
}

// fix16 to a stored u16 in coarser units, rounded to nearest; nothing below zero, saturated.
uint16_t stored_u16(fix16 v, uint32_t shift) {
    if (v <= 0) return 0;
    uint32_t q = (uint32_t(v) + (1u << (shift - 1))) >> shift;
    return uint16_t(std::min<uint32_t>(q, 0xFFFF));
}

// Names are NUL-terminated in their fixed slots; a full slot has no terminator to find.
size_t text_length(const char* s, size_t kept) {
    return strnlen(s, kept);
}

// Payload bytes after a tag's type byte. A type the reader does not know is written as its
// type byte alone: the reader refuses the record at that byte, which is what a test of a
// broken record wants.
uint32_t tag_payload(const Catalog3Tag& t) {
    switch (t.type) {
    case 1:
    case 7:
    case 9:
        return 1 + uint32_t(text_length(t.text, CATALOG3_TAG_TEXT));
    case 2:
        return 3;
    case 3:
        return 3;
    case 4:
    case 5:
    case 6:
        return 4;
    case 8:
        return 8;
    default:
        return 0;
    }
}

// A body: ids and codes (4+1+1+1+1), name, orbit 8, period 4, four bytes, phase 2, flags 2,
// mass and radius codes 2, temperature 2, carried 1+4, tilt 1, spin 4, carried 2+1.
constexpr uint32_t BODY_FIXED = 8 + 1 + 8 + 4 + 4 + 2 + 2 + 2 + 2 + 5 + 1 + 4 + 3;

uint32_t detail_size(const catalog_entry& e) {
    uint32_t n = 1;
    for (const Catalog3Tag& t : e.tags) n += 1 + tag_payload(t);
    n += 2 + 2 + 2 + 1 + uint32_t(text_length(e.info.name, CATALOG3_STAR_NAME)) + 1 + 1;
    for (const Catalog3Body& b : e.bodies)
        n += BODY_FIXED + uint32_t(text_length(b.name, CATALOG3_BODY_NAME));
    return n;
}

void write_text(save_writer* w, const char* s, size_t kept) {
    size_t n = text_length(s, kept);
    save_write_u8(w, uint8_t(n));
    save_write_bytes(w, s, uint32_t(n));
}

void write_detail(save_writer* w, const catalog_entry& e) {
    save_write_u8(w, uint8_t(e.tags.size()));
    for (const Catalog3Tag& t : e.tags) {
        save_write_u8(w, t.type);
        switch (t.type) {
        case 1:
        case 7:
        case 9:
            write_text(w, t.text, CATALOG3_TAG_TEXT);
            break;
        case 2:
            save_write_u8(w, t.b1);
            save_write_u8(w, t.b2);
            save_write_u8(w, t.b3);
            break;
        case 3:
            save_write_u16(w, uint16_t(t.value));
            save_write_u8(w, t.b3);
            break;
        case 4:
        case 5:
        case 6:
            save_write_u32(w, uint32_t(t.value));
            break;
        case 8:
            save_write_u64(w, t.value);
            break;
        default:
            break;
        }
    }
    // The reader widens brightness by 256 and radius by 1024: store the nearest step.
    save_write_u16(w, e.info.temperature);
    save_write_u16(w, stored_u16(e.info.brightness, 8));
    save_write_u16(w, stored_u16(e.info.radius, 10));
    write_text(w, e.info.name, CATALOG3_STAR_NAME);
    save_write_u8(w, e.info.extra);
    save_write_u8(w, uint8_t(e.bodies.size()));
    for (const Catalog3Body& b : e.bodies) {
        save_write_u32(w, b.id);
        save_write_u8(w, b.kind);
        save_write_u8(w, b.parent);
        save_write_u8(w, b.carried3);
        save_write_u8(w, b.type);
        write_text(w, b.name, CATALOG3_BODY_NAME);
        save_write_u64(w, b.orbit_mm);
        save_write_u32(w, b.period);
        save_write_u8(w, b.b0);
        save_write_u8(w, b.inclination);
        save_write_u8(w, b.node);
        save_write_u8(w, b.phase_high);
        save_write_u16(w, b.phase_low);
        save_write_u16(w, b.flags);
        save_write_u8(w, b.mass_code);
        save_write_u8(w, b.radius_code);
        save_write_u16(w, b.temperature);
        save_write_u8(w, b.carried15);
        save_write_u32(w, b.carried16);
        save_write_u8(w, b.tilt);
        save_write_i32(w, b.spin);
        save_write_u16(w, b.carried19);
        save_write_u8(w, b.carried20);
    }
}

bool fail(std::string* error, const std::string& why) {
    if (error) *error = why;
    return false;
}

} // namespace

bool catalog3_write(uint16_t scale, const std::vector<catalog_entry>& entries,
                    std::vector<uint8_t>* out, std::string* error) {
    if (scale == 0 || (scale & (scale - 1)) != 0)
        return fail(error, "scale " + std::to_string(scale) + " is not a power of two");
    uint32_t k = 0;
    while ((1u << k) != scale) k++;

    std::vector<placed> order(entries.size());
    for (uint32_t i = 0; i < entries.size(); i++) {
        placed& p = order[i];
        p.entry = i;
        for (int a = 0; a < 3; a++) {
            if (!place_axis(entries[i].star.pos[a], k, &p.sector[a], &p.fine[a]))
                return fail(error, "star " + std::to_string(entries[i].star.id) +
                                       " lies outside the 16-bit sector range");
            p.cell[a] = int16_t(p.sector[a] >> 4);
        }
        const catalog_entry& e = entries[i];
        if (e.has_detail && (e.tags.size() > 255 || e.bodies.size() > 255))
            return fail(error, "star " + std::to_string(e.star.id) +
                                   " has more than 255 tags or bodies for its record");
    }
    std::stable_sort(order.begin(), order.end(), placed_before);

    // Runs of equal sectors and of equal cells over the sorted stars.
    std::vector<uint32_t> sector_start, cell_start; // indices into order, and into sectors
    for (uint32_t i = 0; i < order.size(); i++) {
        if (i == 0 || !same_sector(order[i - 1], order[i])) {
            if (i == 0 || !same_cell(order[i - 1], order[i]))
                cell_start.push_back(uint32_t(sector_start.size()));
            sector_start.push_back(i);
        }
    }
    uint32_t sectors = uint32_t(sector_start.size()), cells = uint32_t(cell_start.size());
    uint32_t stars = uint32_t(order.size());
    sector_start.push_back(stars);
    cell_start.push_back(sectors);
    for (uint32_t s = 0; s < sectors; s++)
        if (sector_start[s + 1] - sector_start[s] > 0xFFFF)
            return fail(error, "more than 65535 stars in one sector");

    uint32_t details = 0;
    uint64_t record_bytes = 0;
    for (const placed& p : order) {
        if (!entries[p.entry].has_detail) continue;
        details++;
        record_bytes += detail_size(entries[p.entry]);
    }
    uint64_t index_at = CATALOG3_HEADER_SIZE;
    uint64_t directory_at = index_at + uint64_t(CATALOG3_CELL_SIZE) * cells;
    uint64_t star_at = directory_at + uint64_t(CATALOG3_SECTOR_SIZE) * sectors;
    uint64_t detail_at = star_at + uint64_t(CATALOG3_STAR_SIZE) * stars;
    uint64_t records_at = detail_at + 4 * (uint64_t(details) + 1);
    uint64_t total = records_at + record_bytes;
    if (total > 0xFFFFFFFFu) return fail(error, "the catalog would pass 4 GiB");

    out->assign(size_t(total), 0);
    save_writer w;
    save_writer_init(&w, out->data(), uint32_t(total));
    save_write_header(&w, CATALOG3_MAGIC, CATALOG3_VERSION);
    save_write_u16(&w, scale);
    save_write_u32(&w, cells);
    // The two counts the reader keeps but does not use: sectors and stars.
    save_write_u32(&w, sectors);
    save_write_u32(&w, stars);
    save_write_u32(&w, details);
    save_write_u32(&w, uint32_t(index_at));
    save_write_u32(&w, uint32_t(directory_at));
    save_write_u32(&w, uint32_t(star_at));
    save_write_u32(&w, uint32_t(detail_at));

    for (uint32_t c = 0; c < cells; c++) {
        const placed& first = order[sector_start[cell_start[c]]];
        for (int a = 0; a < 3; a++) save_write_u16(&w, uint16_t(first.cell[a]));
        save_write_u16(&w, uint16_t(cell_start[c + 1] - cell_start[c]));
        save_write_u32(&w, cell_start[c]);
    }

    // A sector's first_detail is the detail index its first detailed star gets: the number of
    // detailed stars before the sector in the table, whether or not the sector has one.
    uint32_t detail_before = 0;
    for (uint32_t s = 0; s < sectors; s++) {
        const placed& first = order[sector_start[s]];
        for (int a = 0; a < 3; a++) save_write_u16(&w, uint16_t(first.sector[a]));
        save_write_u16(&w, uint16_t(sector_start[s + 1] - sector_start[s]));
        save_write_u32(&w, sector_start[s]);
        save_write_u32(&w, detail_before);
        for (uint32_t j = sector_start[s]; j < sector_start[s + 1]; j++)
            detail_before += entries[order[j].entry].has_detail ? 1 : 0;
    }

    for (const placed& p : order) {
        const catalog_entry& e = entries[p.entry];
        save_write_u32(&w, e.star.id);
        for (int a = 0; a < 3; a++) save_write_u16(&w, p.fine[a]);
        save_write_u8(&w, uint8_t((e.star.cls & 7) | ((e.star.kind & 7) << 3)));
        save_write_u8(&w, e.star.extra);
        uint8_t flags = uint8_t(e.star.flags & ~CATALOG3_HAS_DETAIL);
        save_write_u8(&w, e.has_detail ? uint8_t(flags | CATALOG3_HAS_DETAIL) : flags);
    }

    uint32_t at = uint32_t(records_at);
    for (const placed& p : order) {
        if (!entries[p.entry].has_detail) continue;
        save_write_u32(&w, at);
        at += detail_size(entries[p.entry]);
    }
    save_write_u32(&w, at);
    for (const placed& p : order)
        if (entries[p.entry].has_detail) write_detail(&w, entries[p.entry]);

    if (w.pos != total) return fail(error, "internal: the catalog's size was miscounted");
    return true;
}

} // namespace vantrel
