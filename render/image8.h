// image8: the small 8-bit indexed picture format ("IMG8") that carries its own partial palette.
#pragma once

#include <cstdint>

namespace vantrel {

// A parsed picture; the pointers point into the file buffer, which the caller keeps alive.
struct image8 {
    uint16_t width;
    uint16_t height;
    uint16_t palette_first; // the first palette entry the picture's colours go to
    uint16_t palette_count;
    const uint8_t* palette; // palette_count x (red, green, blue)
    const uint8_t* pixels;  // width x height palette indices, row-major, top row first
};

// 1 on success; 0 on any failure, leaving out untouched.
int image8_parse(const uint8_t* data, uint32_t size, image8* out);
// Copies the picture's colours into entries first .. first + count - 1 of a 768-byte palette.
void image8_apply_palette(const image8* image, uint8_t* palette768);

} // namespace vantrel
