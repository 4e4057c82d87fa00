// fast_clear: whole-buffer clears of the chunky frame and the depth buffer.
#pragma once

#include <cstdint>

namespace vantrel {

void fast_clear_frame(uint8_t* frame, uint32_t pixel_count, uint8_t colour);
// Zero is the empty depth: below every frame's base.
void fast_clear_depth(int32_t* depth, uint32_t pixel_count);

} // namespace vantrel
