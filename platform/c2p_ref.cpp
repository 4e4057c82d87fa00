// c2p_ref: the reference conversion and the 8-pixel-at-a-time converters.
#include "platform/c2p_ref.h"

#include <array>
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

// Gathers bit 0 of each byte into one byte, byte 7 (most significant) into bit 7. The
// multiplier places byte i's bit at 56 + i without any two partial products meeting, so
// no carries disturb the gathered byte.
constexpr uint64_t LOW_BITS = 0x0101010101010101ull;
constexpr uint64_t GATHER = 0x0102040810204080ull;

uint8_t gather_plane(uint64_t pixels, int k) {
    return static_cast<uint8_t>((((pixels >> k) & LOW_BITS) * GATHER) >> 56);
}

// SPREAD[b]: eight bytes in memory order, byte i = bit (7 - i) of b, i.e. the plane byte
// b expanded to one 0/1 byte per pixel. Built by that rule at compile time.
constexpr std::array<uint64_t, 256> make_spread() {
    std::array<uint64_t, 256> t{};
    for (int b = 0; b < 256; b++) {
        uint64_t v = 0;
        for (int i = 0; i < 8; i++) {
            uint64_t bit = (static_cast<unsigned>(b) >> (7 - i)) & 1u;
            int shift = std::endian::native == std::endian::little ? 8 * i : 8 * (7 - i);
            v |= bit << shift;
        }
        t[static_cast<size_t>(b)] = v;
    }
    return t;
}
constexpr std::array<uint64_t, 256> SPREAD = make_spread();

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
        uint64_t v = load_pixels_msb_first(chunky + i);
        uint32_t at = offset + static_cast<uint32_t>(i / 8);
        for (int k = 0; k < 8; k++) planes[k][at] = gather_plane(v, k);
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
            // Each SPREAD entry holds 0/1 bytes; shifting by k < 8 never carries between
            // bytes, so the sum is the eight pixel values side by side.
            for (int k = 0; k < 8; k++) v |= SPREAD[planes[k][at]] << k;
            std::memcpy(row + x, &v, 8);
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
