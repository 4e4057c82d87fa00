// iff8svx: walks the chunks of the form. Lengths are summed in 64 bits: a length near 2^32
// would wrap a 32-bit sum back inside the buffer and pass every check.
#include "platform/iff8svx.h"

#include <algorithm>

#include "core/save.h"

namespace vantrel {

namespace {

constexpr uint32_t FORM = save_magic("FORM");
constexpr uint32_t SVX8 = save_magic("8SVX");
constexpr uint32_t VHDR = save_magic("VHDR");
constexpr uint32_t BODY = save_magic("BODY");
constexpr uint32_t VHDR_SIZE = 20; // the fixed voice header; shorter ones are damaged

uint32_t be32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

struct chunk_finds {
    const uint8_t* vhdr = nullptr;
    const uint8_t* body = nullptr;
    uint32_t body_length = 0;
};

// The first VHDR and BODY inside [12, end); false when a chunk runs past the form's end or
// the first VHDR is too short. A last chunk may lack its pad byte.
bool walk_chunks(const uint8_t* data, uint64_t end, chunk_finds* f) {
    for (uint64_t pos = 12; pos + 8 <= end;) {
        uint32_t id = be32(data + pos);
        uint32_t length = be32(data + pos + 4);
        const uint8_t* payload = data + pos + 8;
        if (pos + 8 + length > end) return false;
        if (id == VHDR && !f->vhdr) {
            if (length < VHDR_SIZE) return false;
            f->vhdr = payload;
        } else if (id == BODY && !f->body) {
            f->body = payload;
            f->body_length = length;
        }
        pos += 8 + uint64_t(length) + (length & 1);
    }
    return true;
}

} // namespace

int iff8svx_parse(const uint8_t* data, uint32_t size, iff8svx_sample* out) {
    if (!data || size < 12 || be32(data) != FORM || be32(data + 8) != SVX8) return 0;
    uint64_t end = std::min<uint64_t>(uint64_t(be32(data + 4)) + 8, size);
    if (end < 20) return 0;
    chunk_finds f;
    if (!walk_chunks(data, end, &f) || !f.vhdr || !f.body || f.body_length == 0) return 0;
    uint32_t rate = uint32_t(f.vhdr[12]) << 8 | f.vhdr[13];
    uint8_t octaves = f.vhdr[14], compression = f.vhdr[15];
    if (rate == 0 || compression != 0 || octaves > 1) return 0;
    out->samples = reinterpret_cast<const int8_t*>(f.body);
    out->length = f.body_length;
    out->rate = rate;
    return 1;
}

} // namespace vantrel
