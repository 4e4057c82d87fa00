// c2p_ref: the reference conversion and the 8-pixel-at-a-time converters.
#include "platform/c2p_ref.h"

#include <bit>
#include <cstring>

namespace vantrel {

namespace {

// Eight pixels are handled as one 64-bit word whose most significant byte is the leftmost
// pixel, whatever the host's byte order.
uint64_t load_pixels_msb_first(const uint8_t* p) {
    uint64_t v;
    std::memcpy(&v, p, 8);
    if constexpr (std::endian::native == std::endian::little) v = __builtin_bswap64(v);
    return v;
}

void store_pixels_msb_first(uint8_t* p, uint64_t v) {
    if constexpr (std::endian::native == std::endian::little) v = __builtin_bswap64(v);
    std::memcpy(p, &v, 8);
}

// Transposes the 8 x 8 bit matrix held in a word (bit 8r + c <-> bit 8c + r) by swapping
// ever larger blocks across the diagonal: 1 x 1 bits, then 2 x 2, then 4 x 4. With pixel
// 7 - r in byte r, byte k of the result is plane k's byte (pixel p at bit 7 - p), and the
// same swap turns eight plane bytes back into pixels.
uint64_t transpose8(uint64_t x) {
    uint64_t t = (x ^ (x >> 7)) & 0x00AA00AA00AA00AAull;
    x = x ^ t ^ (t << 7);
    t = (x ^ (x >> 14)) & 0x0000CCCC0000CCCCull;
    x = x ^ t ^ (t << 14);
    t = (x ^ (x >> 28)) & 0x00000000F0F0F0F0ull;
    return x ^ t ^ (t << 28);
}

} // namespace

void c2p_convert(const uint8_t* chunky, int32_t width, int32_t height, uint8_t* const* planes,
                 int32_t plane_count, int32_t bytes_per_row) {
    if (plane_count <= 0 || width <= 0 || height <= 0) return;
    size_t plane_bytes = static_cast<size_t>(height) * static_cast<size_t>(bytes_per_row);
    for (int32_t k = 0; k < plane_count; k++) std::memset(planes[k], 0, plane_bytes);
    for (int32_t y = 0; y < height; y++) {
        const uint8_t* row = chunky + static_cast<size_t>(y) * static_cast<size_t>(width);
        size_t base = static_cast<size_t>(y) * static_cast<size_t>(bytes_per_row);
        for (int32_t x = 0; x < width; x++) {
            uint8_t v = row[x];
            for (int32_t k = 0; k < plane_count && k < 8; k++)
                if (v & PLANE_BIT[k])
                    planes[k][base + static_cast<size_t>(x / 8)] |= POS_BIT[x % 8];
        }
    }
}

void c2p_run8(const uint8_t* chunky, int32_t pixels, uint8_t* const* planes, uint32_t offset) {
    for (int32_t i = 0; i < pixels; i += 8) {
        uint64_t v = transpose8(load_pixels_msb_first(chunky + i));
        uint32_t at = offset + static_cast<uint32_t>(i / 8);
        for (int k = 0; k < 8; k++) planes[k][at] = static_cast<uint8_t>(v >> (8 * k));
    }
}

void c2p_rows(const uint8_t* chunky, int32_t width, int32_t rows, uint8_t* const* planes,
              int32_t bytes_per_row) {
    int32_t whole = width & ~7;
    for (int32_t y = 0; y < rows; y++) {
        const uint8_t* row = chunky + static_cast<size_t>(y) * static_cast<size_t>(width);
        uint32_t base = static_cast<uint32_t>(y) * static_cast<uint32_t>(bytes_per_row);
        c2p_run8(row, whole, planes, base);
        // Whatever lies right of the last whole group (a ragged group, then padding) is
        // cleared first, so the result equals the reference's cleared-then-ORed planes.
        for (int k = 0; k < 8; k++)
            std::memset(planes[k] + base + whole / 8, 0,
                        static_cast<size_t>(bytes_per_row - whole / 8));
        for (int32_t x = whole; x < width; x++)
            for (int k = 0; k < 8; k++)
                if (row[x] & PLANE_BIT[k])
                    planes[k][base + static_cast<uint32_t>(x / 8)] |= POS_BIT[x % 8];
    }
}

void p2c_rows(uint8_t* const* planes, int32_t bytes_per_row, int32_t width, int32_t rows,
              uint8_t* chunky) {
    int32_t whole = width & ~7;
    for (int32_t y = 0; y < rows; y++) {
        uint8_t* row = chunky + static_cast<size_t>(y) * static_cast<size_t>(width);
        uint32_t base = static_cast<uint32_t>(y) * static_cast<uint32_t>(bytes_per_row);
        for (int32_t x = 0; x < whole; x += 8) {
            uint32_t at = base + static_cast<uint32_t>(x / 8);
            uint64_t v = 0;
            for (int k = 0; k < 8; k++) v |= static_cast<uint64_t>(planes[k][at]) << (8 * k);
            store_pixels_msb_first(row + x, transpose8(v));
        }
        for (int32_t x = whole; x < width; x++) {
            uint8_t v = 0;
            uint32_t at = base + static_cast<uint32_t>(x / 8);
            for (int k = 0; k < 8; k++)
                if (planes[k][at] & POS_BIT[x % 8]) v |= PLANE_BIT[k];
            row[x] = v;
        }
    }
}

} // namespace vantrel
