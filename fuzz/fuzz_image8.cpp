// IMG8 pictures from any bytes: a parsed picture's palette and pixels lie inside the input.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "render/image8.h"

using namespace vantrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1u << 20) return 0;
    uint8_t* copy = static_cast<uint8_t*>(std::malloc(size ? size : 1));
    if (!copy) return 0;
    if (size) std::memcpy(copy, data, size);
    image8 img;
    if (image8_parse(copy, uint32_t(size), &img)) {
        // Touch every byte the picture claims, so a sanitizer sees any overrun.
        uint32_t sum = 0;
        for (uint32_t i = 0; i < 3u * img.palette_count; i++) sum += img.palette[i];
        for (uint32_t i = 0; i < uint32_t(img.width) * img.height; i++) sum += img.pixels[i];
        uint8_t palette[768] = {};
        image8_apply_palette(&img, palette);
        if (sum == 0xFFFFFFFFu) std::abort(); // keeps the reads
    }
    std::free(copy);
    return 0;
}
