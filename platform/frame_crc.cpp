// frame_crc: the table-driven CRC-32 and the choice between it and zlib.
#include "platform/frame_crc.h"

#include <array>

#if VANTREL_HAVE_ZLIB
#include <zlib.h>
#endif

namespace vantrel {

namespace {

// CRC_TABLE[n]: the byte n run through eight steps of the reflected division: shift right,
// and XOR 0xEDB88320 whenever the bit shifted out is 1.
constexpr std::array<uint32_t, 256> make_crc_table() {
    std::array<uint32_t, 256> t{};
    for (uint32_t n = 0; n < 256; n++) {
        uint32_t c = n;
        for (int k = 0; k < 8; k++) c = (c & 1u) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        t[n] = c;
    }
    return t;
}
constexpr std::array<uint32_t, 256> CRC_TABLE = make_crc_table();

} // namespace

uint32_t crc32_table_update(uint32_t crc, const uint8_t* data, size_t size) {
    uint32_t c = crc ^ 0xFFFFFFFFu;
    for (size_t i = 0; i < size; i++) c = CRC_TABLE[(c ^ data[i]) & 0xFFu] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

uint32_t frame_crc32(const uint8_t* data, size_t size) {
#if VANTREL_HAVE_ZLIB
    uLong crc = crc32(0L, Z_NULL, 0);
    // zlib takes lengths in uInt; feed very large buffers in pieces.
    while (size > 0) {
        uInt piece = size > 0x40000000u ? 0x40000000u : static_cast<uInt>(size);
        crc = crc32(crc, data, piece);
        data += piece;
        size -= piece;
    }
    return static_cast<uint32_t>(crc);
#else
    return crc32_table_update(0, data, size);
#endif
}

} // namespace vantrel
