// png_indexed: writes an 8-bit palettised image as an indexed PNG (screenshots).
#pragma once

#include <cstdint>

namespace vantrel {

// Writes width x height palette indices with their 256-entry RGB palette. Returns 1 on
// success, 0 on any failure (also in builds without libpng) with errno telling why; a failed
// write leaves no file.
int png_write_indexed(const char* path, const uint8_t* pixels, int32_t width, int32_t height,
                      const uint8_t* rgb768);

} // namespace vantrel
