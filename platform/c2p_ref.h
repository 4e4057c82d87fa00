// c2p_ref: chunky-to-planar conversion: the reference rule and the fast converters that
// must match it, plus the planar-to-chunky read-back that shows emulated bit-planes.
#pragma once

#include <cstdint>

namespace vantrel {

// The bit of a pixel value that plane k holds.
constexpr uint8_t PLANE_BIT[8] = {1, 2, 4, 8, 16, 32, 64, 128};
// The bit of a plane byte that pixel x mod 8 occupies: the leftmost pixel is the top bit.
constexpr uint8_t POS_BIT[8] = {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01};

// The reference: clears every plane (height x bytes_per_row bytes), then ORs POS_BIT of
// each pixel into the planes whose PLANE_BIT the pixel's value has. A plane count of 0 or
// less converts nothing.
void c2p_convert(const uint8_t* chunky, int32_t width, int32_t height, uint8_t* const* planes,
                 int32_t plane_count, int32_t bytes_per_row);

// Eight planes of a run of whole 8-pixel groups, fast: `pixels` is a multiple of 8, the
// groups land at planes[k][offset ...]. Gives exactly the reference's bytes.
void c2p_run8(const uint8_t* chunky, int32_t pixels, uint8_t* const* planes, uint32_t offset);

// Rows of a chunky image into eight planes with the given row stride; any width (a ragged
// last group is converted by the reference rule, the row's padding bytes are cleared).
void c2p_rows(const uint8_t* chunky, int32_t width, int32_t rows, uint8_t* const* planes,
              int32_t bytes_per_row);

// The inverse: rebuilds `rows` rows of chunky pixels from eight planes.
void p2c_rows(uint8_t* const* planes, int32_t bytes_per_row, int32_t width, int32_t rows,
              uint8_t* chunky);

} // namespace vantrel
