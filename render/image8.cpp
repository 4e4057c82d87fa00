// image8: header checks first, then pointers into the buffer; nothing is copied.
#include "render/image8.h"

#include <cstring>

#include "core/save.h"

namespace vantrel {

namespace {

constexpr uint32_t IMG8_MAGIC = save_magic("IMG8");
constexpr uint16_t IMG8_VERSION = 1;
constexpr uint32_t IMG8_HEADER_SIZE = 14;

} // namespace

int image8_parse(const uint8_t* data, uint32_t size, image8* out) {
    save_reader r;
    save_reader_init(&r, data, size);
    if (save_read_header(&r, IMG8_MAGIC) != IMG8_VERSION) return 0;
    image8 img;
    img.width = save_read_u16(&r);
    img.height = save_read_u16(&r);
    img.palette_first = save_read_u16(&r);
    img.palette_count = save_read_u16(&r);
    if (r.error || img.width == 0 || img.height == 0) return 0;
    if (uint32_t(img.palette_first) + img.palette_count > 256) return 0;
    // 64-bit: a 65535 x 65535 picture would wrap a 32-bit sum and pass the size check.
    uint64_t needed =
        uint64_t(IMG8_HEADER_SIZE) + 3ull * img.palette_count + uint64_t(img.width) * img.height;
    if (needed > size) return 0;
    img.palette = data + IMG8_HEADER_SIZE;
    img.pixels = img.palette + 3u * img.palette_count;
    *out = img;
    return 1;
}

void image8_apply_palette(const image8* image, uint8_t* palette768) {
    std::memcpy(palette768 + 3u * image->palette_first, image->palette, 3u * image->palette_count);
}

} // namespace vantrel
