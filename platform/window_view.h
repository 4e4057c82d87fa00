// window_view: where the image sits in a window of any size, and which image pixel a
// pointer position in the window falls on.
#pragma once

#include <cstdint>

namespace vantrel {

struct view_rect {
    int32_t x, y, w, h;
};

// The image scaled by the largest whole factor that fits the output, centred; an output
// smaller than the image gets the largest same-aspect rectangle that fits instead.
view_rect view_fit(int32_t out_w, int32_t out_h, int32_t image_w, int32_t image_h);

// The largest rectangle of the given shape (aspect_w : aspect_h) that fits the output,
// centred: the image is stretched to it, for a screen whose pixels were not square.
view_rect view_fit_aspect(int32_t out_w, int32_t out_h, int32_t aspect_w, int32_t aspect_h);

// A position in output pixels to image pixels (rounding toward minus infinity, so a pointer
// left of or above the image gives negative values, as on a larger screen).
void view_map_point(const view_rect& r, int32_t image_w, int32_t image_h, int32_t out_x,
                    int32_t out_y, int32_t* image_x, int32_t* image_y);

} // namespace vantrel
