// sdl_window: the back end with a real window: the 8-bit image through its palette into a
// streaming texture, scaled by whole factors; keys and mouse from SDL; one window per run.
#pragma once

#include <cstdint>

#include "platform/present_amiga.h"

namespace vantrel {

extern const present_backend PRESENT_BACKEND_SDL;

// Redraws the window and reads its pixels back as XRGB8888 (for the window tests); returns
// 0 when no window is open or the buffer is too small.
int sdl_window_capture(uint32_t* pixels, int32_t capacity, int32_t* width, int32_t* height);

// Expands `rows` rows of 8-bit pixels through a 256-entry XRGB table into 32-bit pixels,
// the inner step of every present (exposed for the benchmarks).
void sdl_expand_rows(const uint8_t* src, int32_t width, int32_t rows, const uint32_t* table,
                     uint8_t* dst, int32_t dst_pitch);

} // namespace vantrel
