// trig: binary angles and the interpolated sine over the 1025-entry quarter-wave table.
//
// A bangle is an unsigned 32-bit fraction of a turn (2^32 = 360 degrees), so angles add
// and wrap for free and the top two bits are the quadrant. Sines are 2.30 values.
#pragma once

#include <array>
#include <cstdint>

#include "core/fixmath.h"

namespace vantrel {

using bangle = uint32_t;

constexpr bangle BANGLE_90 = 0x40000000u;
constexpr bangle BANGLE_180 = 0x80000000u;
constexpr bangle BANGLE_270 = 0xC0000000u;

// SIN_TABLE[i] = round(sin(i * pi / 2048) * 2^30), i = 0..1024: a quarter turn in 1024
// steps. 1024 steps keep the linear interpolation error below one part in 2^22.
extern const std::array<uint32_t, 1025> SIN_TABLE;
// QUARTER_SINE[i] = round(sin(i * pi / 128) * 65536), i = 0..64: the coarse fix16 quarter
// wave that the scene player's wave function looks up without interpolation.
extern const std::array<fix16, 65> QUARTER_SINE;

uint32_t quarter_sin(uint32_t a);
fix2_30 trig_sin(bangle a);
fix2_30 trig_cos(bangle a);
bangle bangle_from_deg(int32_t degrees);

} // namespace vantrel
