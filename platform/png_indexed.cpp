// png_indexed: indexed PNG writing through libpng, where the build has it.
#include "platform/png_indexed.h"

#include <cerrno>
#include <cstdio>

#if VANTREL_HAVE_PNG
#include <csetjmp>
#include <png.h>
#endif

namespace vantrel {

#if VANTREL_HAVE_PNG

namespace {

// libpng reports errors by longjmp; everything it touches is plain C state, and the
// caller's only resource (the FILE) is closed after the jump.
bool write_png(FILE* f, const uint8_t* pixels, int32_t width, int32_t height,
               const uint8_t* rgb768) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_color palette[256];
    for (int i = 0; i < 256; i++)
        palette[i] = png_color{rgb768[i * 3], rgb768[i * 3 + 1], rgb768[i * 3 + 2]};
    png_set_PLTE(png, info, palette, 256);
    png_write_info(png, info);
    for (int32_t y = 0; y < height; y++)
        png_write_row(png, pixels + static_cast<size_t>(y) * static_cast<size_t>(width));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

int png_write_indexed(const char* path, const uint8_t* pixels, int32_t width, int32_t height,
                      const uint8_t* rgb768) {
    if (width <= 0 || height <= 0) {
        errno = EINVAL;
        return 0;
    }
    errno = 0;
    FILE* f = std::fopen(path, "wb");
    if (!f) return 0;
    bool ok = write_png(f, pixels, width, height, rgb768);
    ok = std::fclose(f) == 0 && ok;
    if (ok) return 1;
    // libpng's own failures (memory) may leave errno unset; the removal must not change it.
    int why = errno != 0 ? errno : EIO;
    std::remove(path);
    errno = why;
    return 0;
}

#else

int png_write_indexed(const char*, const uint8_t*, int32_t, int32_t, const uint8_t*) {
    errno = ENOTSUP;
    return 0;
}

#endif

} // namespace vantrel
