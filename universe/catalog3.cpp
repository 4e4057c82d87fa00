// catalog3: reading the star catalog through the caller's callback, and the code tables.
#include "universe/catalog3.h"

#include <cstdio>
#include <cstring>

#include "core/save.h"

namespace vantrel {

const char* const CLS[8] = {"O", "B", "A", "F", "G", "K", "M", "?"};

void catalog3_class_text(uint8_t cls, uint8_t kind, char* out, int size) {
    static const char* const KIND_SUFFIX[8] = {" V", " IV", " III", " I", "", "", " V", " V"};
    if (kind == STAR_WHITE_DWARF)
        std::snprintf(out, size_t(size), "D");
    else if (kind == STAR_BROWN_DWARF)
        std::snprintf(out, size_t(size), "L/T");
    else
        std::snprintf(out, size_t(size), "%s%s", CLS[cls & 7], KIND_SUFFIX[kind & 7]);
}

// --- the code tables ------------------------------------------------------------------------
//
// Both tables are powers of ten in fractional steps, rounded to fix16. They are computed at
// compile time in integers: a 128-bit value type, numbers in 4.60 fixed point, the step root
// 10^(1/n) found by bisection (the largest x with x^n <= 10), its powers by multiplication,
// whole powers of ten applied exactly, and one rounding at the end. The error before that
// rounding stays below 10^-12 of a unit, far from deciding any entry.
namespace {

struct u128 {
    uint64_t hi, lo;
};

constexpr u128 mul64(uint64_t a, uint64_t b) {
    uint64_t a0 = a & 0xFFFFFFFFu, a1 = a >> 32, b0 = b & 0xFFFFFFFFu, b1 = b >> 32;
    uint64_t p00 = a0 * b0, p01 = a0 * b1, p10 = a1 * b0, p11 = a1 * b1;
    uint64_t mid = (p00 >> 32) + (p01 & 0xFFFFFFFFu) + (p10 & 0xFFFFFFFFu);
    return u128{p11 + (p01 >> 32) + (p10 >> 32) + (mid >> 32), (mid << 32) | (p00 & 0xFFFFFFFFu)};
}

constexpr u128 shr(u128 v, int n) {
    if (n == 0) return v;
    if (n >= 64) return u128{0, v.hi >> (n - 64)};
    return u128{v.hi >> n, (v.lo >> n) | (v.hi << (64 - n))};
}

constexpr u128 add(u128 a, u128 b) {
    uint64_t lo = a.lo + b.lo;
    return u128{a.hi + b.hi + (lo < a.lo ? 1 : 0), lo};
}

constexpr int FRAC = 60; // 4.60 fixed point: values below 16
constexpr uint64_t ONE = uint64_t{1} << FRAC;

// a * b in 4.60, truncated (both below 16, the product below 16 too).
constexpr uint64_t fmul(uint64_t a, uint64_t b) {
    return shr(mul64(a, b), FRAC).lo;
}

// x^n in 4.60 for 1 <= x; past 10 (where 4.60 would soon overflow) the answer is only "too
// big": UINT64_MAX.
constexpr uint64_t fpow(uint64_t x, int n) {
    uint64_t r = ONE;
    for (int i = 0; i < n; i++) {
        r = fmul(r, x);
        if (r > 10 * ONE) return UINT64_MAX;
    }
    return r;
}

// 10^(1/n) in 4.60: the largest x whose n-th power (as fpow computes it) is at most 10.
constexpr uint64_t tenth_root(int n) {
    uint64_t lo = ONE, hi = 2 * ONE;
    while (hi - lo > 1) {
        uint64_t mid = lo + (hi - lo) / 2;
        if (fpow(mid, n) <= 10 * ONE)
            lo = mid;
        else
            hi = mid;
    }
    return lo;
}

// round(65536 * 10^(e / n)), saturated to 0x7FFFFFFF.
constexpr fix16 ten_power_fix16(int e, int n, uint64_t root) {
    int q = e >= 0 ? e / n : -((-e + n - 1) / n); // floor(e / n)
    int r = e - q * n;
    uint64_t f = fpow(root, r); // 10^(r/n), 1 <= f < 10
    // 65536 * f * 10^q in 64.60 fixed point; whole powers of ten applied exactly.
    u128 v = mul64(f, 65536);
    for (int i = 0; i < q; i++) {
        u128 t = mul64(v.lo, 10);
        v = u128{v.hi * 10 + t.hi, t.lo};
        if (v.hi >> 40) return 0x7FFFFFFF;
    }
    for (int i = 0; i < -q; i++) {
        // v / 10, long division over the two halves
        uint64_t hq = v.hi / 10, hr = v.hi % 10;
        uint64_t lo_q = 0, rem = hr;
        for (int b = 63; b >= 0; b--) {
            rem = (rem << 1) | ((v.lo >> b) & 1);
            if (rem >= 10) {
                rem -= 10;
                lo_q |= uint64_t{1} << b;
            }
        }
        v = u128{hq, lo_q};
    }
    u128 rounded = shr(add(v, u128{0, uint64_t{1} << (FRAC - 1)}), FRAC);
    if (rounded.hi != 0 || rounded.lo > 0x7FFFFFFF) return 0x7FFFFFFF;
    return static_cast<fix16>(rounded.lo);
}

using code_table = std::array<fix16, 256>;

// Entry i = round(65536 * 10^((i - zero) / steps)); entry 0 = 0 (not recorded).
constexpr code_table make_code_table(int zero, int steps) {
    code_table t{};
    uint64_t root = tenth_root(steps);
    for (int i = 1; i < 256; i++) t[i] = ten_power_fix16(i - zero, steps, root);
    return t;
}

constexpr code_table MASS = make_code_table(96, 32);    // 32 steps a decade, code 96 = 1.0
constexpr code_table RADIUS = make_code_table(150, 50); // 50 steps a decade, code 150 = 1.0
static_assert(MASS[96] == 65536 && MASS[128] == 655360 && MASS[255] == 0x7FFFFFFF);
static_assert(RADIUS[150] == 65536 && RADIUS[200] == 655360 && RADIUS[1] == 69);

} // namespace

const std::array<fix16, 256> CATALOG3_MASS_EARTH = MASS;
const std::array<fix16, 256> CATALOG3_RADIUS_EARTH = RADIUS;

// --- reading ----------------------------------------------------------------------------------

namespace {

int16_t read_i16(const uint8_t* p) {
    return static_cast<int16_t>(static_cast<uint16_t>((p[0] << 8) | p[1]));
}
uint16_t read_u16(const uint8_t* p) {
    return static_cast<uint16_t>((p[0] << 8) | p[1]);
}
uint32_t read_u32(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

Catalog3Cell decode_cell(const uint8_t* b) {
    return Catalog3Cell{read_i16(b), read_i16(b + 2), read_i16(b + 4), read_u16(b + 6),
                        read_u32(b + 8)};
}

Catalog3Sector decode_sector(const uint8_t* b) {
    return Catalog3Sector{read_i16(b),     read_i16(b + 2), read_i16(b + 4),
                          read_u16(b + 6), read_u32(b + 8), read_u32(b + 12)};
}

// <0, 0, >0 as (ax, ay, az) compares with (bx, by, bz), signed, x first.
int compare3(int ax, int ay, int az, int bx, int by, int bz) {
    if (ax != bx) return ax < bx ? -1 : 1;
    if (ay != by) return ay < by ? -1 : 1;
    if (az != bz) return az < bz ? -1 : 1;
    return 0;
}

const Catalog3Cell* find_cell(const Catalog3* c, int16_t cx, int16_t cy, int16_t cz) {
    uint32_t low = 0, high = c->cell_count;
    while (low < high) {
        uint32_t mid = low + (high - low) / 2;
        const Catalog3Cell& e = c->cells[mid];
        int order = compare3(e.cx, e.cy, e.cz, cx, cy, cz);
        if (order == 0) return &e;
        if (order < 0)
            low = mid + 1;
        else
            high = mid;
    }
    return nullptr;
}

// The sector offset and fine steps of a star, in fix32 ly: (s << (32 + k)) + (f << (16 + k)),
// in unsigned arithmetic so that far sectors wrap instead of overflowing.
fix32 star_axis(int16_t sector, uint16_t fine, uint32_t k) {
    uint64_t s = static_cast<uint64_t>(static_cast<int64_t>(sector)) << (32 + k);
    return static_cast<fix32>(s + (static_cast<uint64_t>(fine) << (16 + k)));
}

} // namespace

bool catalog3_open(Catalog3* catalog, catalog3_read_fn read, void* handle, Catalog3Cell* cells,
                   uint32_t capacity) {
    *catalog = Catalog3{};
    uint8_t h[CATALOG3_HEADER_SIZE];
    if (!read || !read(handle, 0, h, sizeof h)) return false;
    uint16_t scale = read_u16(h + 6);
    if (read_u32(h) != CATALOG3_MAGIC || read_u16(h + 4) != CATALOG3_VERSION || scale == 0 ||
        (scale & (scale - 1)) != 0)
        return false;
    Catalog3 c{};
    c.read = read;
    c.handle = handle;
    c.scale = scale;
    while ((1u << c.shift) < scale) c.shift++;
    c.cell_count = read_u32(h + 8);
    c.count_a = read_u32(h + 12);
    c.count_b = read_u32(h + 16);
    c.detail_count = read_u32(h + 20);
    c.index_offset = read_u32(h + 24);
    c.directory_offset = read_u32(h + 28);
    c.star_offset = read_u32(h + 32);
    c.detail_offset = read_u32(h + 36);
    c.cells = cells;
    if (c.cell_count > capacity) return false;
    for (uint32_t i = 0; i < c.cell_count; i++) {
        uint8_t b[CATALOG3_CELL_SIZE];
        uint64_t at = uint64_t{c.index_offset} + uint64_t{CATALOG3_CELL_SIZE} * i;
        if (at > 0xFFFFFFFFu || !read(handle, uint32_t(at), b, sizeof b)) return false;
        cells[i] = decode_cell(b);
    }
    *catalog = c;
    return true;
}

bool catalog3_find_sector(const Catalog3* catalog, int16_t sx, int16_t sy, int16_t sz,
                          Catalog3Sector* out) {
    const Catalog3Cell* cell =
        find_cell(catalog, int16_t(sx >> 4), int16_t(sy >> 4), int16_t(sz >> 4));
    if (!cell) return false;
    uint64_t low = cell->first_sector, high = low + cell->sector_count;
    while (low < high) {
        uint64_t mid = low + (high - low) / 2;
        uint64_t at = catalog->directory_offset + CATALOG3_SECTOR_SIZE * mid;
        uint8_t b[CATALOG3_SECTOR_SIZE];
        if (at > 0xFFFFFFFFu || !catalog->read(catalog->handle, uint32_t(at), b, sizeof b))
            return false;
        Catalog3Sector e = decode_sector(b);
        int order = compare3(e.sx, e.sy, e.sz, sx, sy, sz);
        if (order == 0) {
            *out = e;
            return true;
        }
        if (order < 0)
            low = mid + 1;
        else
            high = mid;
    }
    return false;
}

namespace {

int64_t sat_add64(int64_t a, int64_t b) {
    int64_t r;
    if (__builtin_add_overflow(a, b, &r)) return b > 0 ? INT64_MAX : INT64_MIN;
    return r;
}

int64_t sat_sub64(int64_t a, int64_t b) {
    int64_t r;
    if (__builtin_sub_overflow(a, b, &r)) return b < 0 ? INT64_MAX : INT64_MIN;
    return r;
}

// The sector a position falls in, clamped to the 16-bit sector range.
int32_t sector_of(int64_t pos, uint32_t k) {
    int64_t s = pos >> (32 + k);
    return s < INT16_MIN ? INT16_MIN : s > INT16_MAX ? INT16_MAX : int32_t(s);
}

struct query {
    const Catalog3* catalog;
    int64_t centre[3];
    uint64_t radius_squared;
    int32_t lo[3], hi[3]; // the sector box
    Catalog3Star* out;
    uint32_t capacity;
    uint32_t matches;
};

// A star's difference from the centre on one axis in fix16 light years, saturated.
int64_t axis_difference(int64_t star, int64_t centre) {
    int64_t d = sat_sub64(star, centre) >> 16;
    return d < INT32_MIN ? INT32_MIN : d > INT32_MAX ? INT32_MAX : d;
}

void query_sector(query* q, const Catalog3Sector& e) {
    const Catalog3* c = q->catalog;
    uint32_t detailed = 0;
    for (uint32_t j = 0; j < e.star_count; j++) {
        uint64_t at = c->star_offset + uint64_t{CATALOG3_STAR_SIZE} * (uint64_t{e.first_star} + j);
        uint8_t b[CATALOG3_STAR_SIZE];
        if (at > 0xFFFFFFFFu || !c->read(c->handle, uint32_t(at), b, sizeof b)) return;
        Catalog3Star s{};
        s.id = read_u32(b);
        s.pos[0] = star_axis(e.sx, read_u16(b + 4), c->shift);
        s.pos[1] = star_axis(e.sy, read_u16(b + 6), c->shift);
        s.pos[2] = star_axis(e.sz, read_u16(b + 8), c->shift);
        s.cls = b[10] & 7;
        s.kind = (b[10] >> 3) & 7;
        s.extra = b[11];
        s.flags = b[12];
        s.detail = CATALOG3_NO_DETAIL;
        if (s.flags & CATALOG3_HAS_DETAIL) s.detail = e.first_detail + detailed++;
        // Squares of 32-bit differences summed unsigned: three of them cannot overflow.
        uint64_t sum = 0;
        for (int a = 0; a < 3; a++) {
            int64_t d = axis_difference(s.pos[a], q->centre[a]);
            sum += static_cast<uint64_t>(d * d);
        }
        if (sum > q->radius_squared) continue;
        if (q->matches < q->capacity) q->out[q->matches] = s;
        q->matches++;
    }
}

// The cells [first, end) of the index that share cell.axis's value with cells[first].
uint32_t run_end(const Catalog3* c, uint32_t first, uint32_t end, int axis) {
    auto value = [&](uint32_t i) {
        const Catalog3Cell& e = c->cells[i];
        return axis == 0 ? e.cx : axis == 1 ? e.cy : e.cz;
    };
    uint32_t i = first + 1;
    while (i < end && value(i) == value(first)) i++;
    return i;
}

// The sectors of one cell's slice on an axis that lie inside the box.
void sector_span(const query* q, int axis, int cell, int32_t* from, int32_t* to) {
    *from = cell * 16 > q->lo[axis] ? cell * 16 : q->lo[axis];
    *to = cell * 16 + 15 < q->hi[axis] ? cell * 16 + 15 : q->hi[axis];
}

bool inside(const query* q, int axis, int cell) {
    return cell >= (q->lo[axis] >> 4) && cell <= (q->hi[axis] >> 4);
}

// Every sector of the box that the catalog has, in x, y, z order, without walking the empty
// space between them: the loops run over the index's cells (sorted by cx, cy, cz) and over
// the sixteen sectors of each cell's slice, so a vast box costs no more than the catalog.
void query_box(query* q) {
    const Catalog3* c = q->catalog;
    for (uint32_t a = 0; a < c->cell_count;) {
        uint32_t a_end = run_end(c, a, c->cell_count, 0);
        int cx = c->cells[a].cx;
        if (inside(q, 0, cx)) {
            int32_t x0, x1;
            sector_span(q, 0, cx, &x0, &x1);
            for (int32_t sx = x0; sx <= x1; sx++)
                for (uint32_t b = a; b < a_end;) {
                    uint32_t b_end = run_end(c, b, a_end, 1);
                    int cy = c->cells[b].cy;
                    if (inside(q, 1, cy)) {
                        int32_t y0, y1;
                        sector_span(q, 1, cy, &y0, &y1);
                        for (int32_t sy = y0; sy <= y1; sy++)
                            for (uint32_t d = b; d < b_end; d++) {
                                int cz = c->cells[d].cz;
                                if (!inside(q, 2, cz)) continue;
                                int32_t z0, z1;
                                sector_span(q, 2, cz, &z0, &z1);
                                for (int32_t sz = z0; sz <= z1; sz++) {
                                    Catalog3Sector e;
                                    if (catalog3_find_sector(c, int16_t(sx), int16_t(sy),
                                                             int16_t(sz), &e) &&
                                        e.star_count > 0)
                                        query_sector(q, e);
                                }
                            }
                    }
                    b = b_end;
                }
        }
        a = a_end;
    }
}

} // namespace

uint32_t catalog3_query_radius(const Catalog3* catalog, const fix32 centre[3], fix16 radius,
                               Catalog3Star* out, uint32_t capacity) {
    if (radius < 0 || catalog->cell_count == 0) return 0;
    query q{};
    q.catalog = catalog;
    q.radius_squared = static_cast<uint64_t>(int64_t{radius} * radius);
    q.out = out;
    q.capacity = capacity;
    const int64_t reach = int64_t{radius} << 16;
    for (int a = 0; a < 3; a++) {
        q.centre[a] = centre[a];
        q.lo[a] = sector_of(sat_sub64(centre[a], reach), catalog->shift);
        q.hi[a] = sector_of(sat_add64(centre[a], reach), catalog->shift);
    }
    query_box(&q);
    return q.matches;
}

// --- detail records -------------------------------------------------------------------------

namespace {

// A u8-length string: the first `keep` bytes kept (NUL-terminated), the rest consumed.
void read_string(save_reader* r, char* out, int keep) {
    uint8_t n = save_read_u8(r);
    int kept = n < keep ? n : keep;
    save_read_bytes(r, out, uint32_t(kept));
    out[r->error ? 0 : kept] = '\0';
    for (int i = kept; i < n; i++) save_read_u8(r);
}

bool read_tag(save_reader* r, Catalog3Tag* t) {
    *t = Catalog3Tag{};
    t->b3 = 255;
    t->type = save_read_u8(r);
    switch (t->type) {
    case 1:
    case 7:
    case 9:
        read_string(r, t->text, CATALOG3_TAG_TEXT);
        return true;
    case 2:
        t->b1 = save_read_u8(r);
        t->b2 = save_read_u8(r);
        t->b3 = save_read_u8(r);
        return true;
    case 3:
        t->value = save_read_u16(r);
        t->b3 = save_read_u8(r);
        return true;
    case 4:
    case 5:
    case 6:
        t->value = save_read_u32(r);
        return true;
    case 8:
        t->value = save_read_u64(r);
        return true;
    default:
        return false; // 0 and types above 9 are not part of the format
    }
}

void read_body(save_reader* r, Catalog3Body* b) {
    *b = Catalog3Body{};
    b->id = save_read_u32(r);
    b->kind = save_read_u8(r);
    b->parent = save_read_u8(r);
    b->carried3 = save_read_u8(r);
    b->type = save_read_u8(r);
    read_string(r, b->name, CATALOG3_BODY_NAME);
    b->orbit_mm = save_read_u64(r);
    b->period = save_read_u32(r);
    b->b0 = save_read_u8(r);
    b->inclination = save_read_u8(r);
    b->node = save_read_u8(r);
    b->phase_high = save_read_u8(r);
    b->phase_low = save_read_u16(r);
    b->flags = save_read_u16(r);
    b->mass_code = save_read_u8(r);
    b->radius_code = save_read_u8(r);
    b->mass = CATALOG3_MASS_EARTH[b->mass_code];
    b->radius = CATALOG3_RADIUS_EARTH[b->radius_code];
    b->temperature = save_read_u16(r);
    b->carried15 = save_read_u8(r);
    b->carried16 = save_read_u32(r);
    b->tilt = save_read_u8(r);
    b->spin = save_read_i32(r);
    b->carried19 = save_read_u16(r);
    b->carried20 = save_read_u8(r);
}

} // namespace

bool catalog3_read_detail(const Catalog3* catalog, uint32_t index, Catalog3SystemInfo* info,
                          Catalog3Tag* tags, uint32_t tag_capacity, Catalog3Body* bodies,
                          uint32_t body_capacity, uint8_t* scratch, uint32_t scratch_size) {
    if (index >= catalog->detail_count) return false;
    uint64_t at = catalog->detail_offset + 4ull * index;
    uint8_t b[8];
    if (at > 0xFFFFFFFFu || !catalog->read(catalog->handle, uint32_t(at), b, sizeof b))
        return false;
    uint32_t start = read_u32(b), end = read_u32(b + 4);
    if (end < start || end - start > scratch_size) return false;
    uint32_t length = end - start;
    if (length > 0 && !catalog->read(catalog->handle, start, scratch, length)) return false;
    save_reader r;
    save_reader_init(&r, scratch, length);
    *info = Catalog3SystemInfo{};
    info->tag_count = save_read_u8(&r);
    for (uint32_t i = 0; i < info->tag_count; i++) {
        Catalog3Tag spare;
        if (!read_tag(&r, i < tag_capacity ? &tags[i] : &spare)) return false;
    }
    info->temperature = save_read_u16(&r);
    info->brightness = static_cast<fix16>(uint32_t{save_read_u16(&r)} * 256u);
    info->radius = static_cast<fix16>(uint32_t{save_read_u16(&r)} * 1024u);
    read_string(&r, info->name, CATALOG3_STAR_NAME);
    info->extra = save_read_u8(&r);
    info->body_count = save_read_u8(&r);
    for (uint32_t i = 0; i < info->body_count; i++) {
        Catalog3Body spare;
        read_body(&r, i < body_capacity ? &bodies[i] : &spare);
    }
    return r.error == 0;
}

} // namespace vantrel
