// fast_clear: whole-buffer clears of the chunky frame and the depth buffer.
#include "render/fast_clear.h"

#include <cstring>

namespace vantrel {

void fast_clear_frame(uint8_t* frame, uint32_t pixel_count, uint8_t colour) {
    if (frame) std::memset(frame, colour, pixel_count);
}

void fast_clear_depth(int32_t* depth, uint32_t pixel_count) {
    if (depth) std::memset(depth, 0, static_cast<size_t>(pixel_count) * sizeof(int32_t));
}

} // namespace vantrel
