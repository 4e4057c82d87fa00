// window_view: integer-scale fitting and pointer mapping.
#include "platform/window_view.h"

namespace vantrel {

namespace {

int64_t floor_div(int64_t a, int64_t b) {
    int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

} // namespace

view_rect view_fit(int32_t out_w, int32_t out_h, int32_t image_w, int32_t image_h) {
    if (out_w <= 0 || out_h <= 0 || image_w <= 0 || image_h <= 0) return {0, 0, 0, 0};
    int32_t scale = out_w / image_w < out_h / image_h ? out_w / image_w : out_h / image_h;
    int32_t w, h;
    if (scale >= 1) {
        w = image_w * scale;
        h = image_h * scale;
    } else if (static_cast<int64_t>(out_w) * image_h <= static_cast<int64_t>(out_h) * image_w) {
        w = out_w;
        h = static_cast<int32_t>(static_cast<int64_t>(image_h) * out_w / image_w);
    } else {
        h = out_h;
        w = static_cast<int32_t>(static_cast<int64_t>(image_w) * out_h / image_h);
    }
    if (w < 1) w = 1;
    if (h < 1) h = 1;
    return {(out_w - w) / 2, (out_h - h) / 2, w, h};
}

view_rect view_fit_aspect(int32_t out_w, int32_t out_h, int32_t aspect_w, int32_t aspect_h) {
    if (out_w <= 0 || out_h <= 0 || aspect_w <= 0 || aspect_h <= 0) return {0, 0, 0, 0};
    int32_t w = out_w;
    int32_t h = static_cast<int32_t>(static_cast<int64_t>(out_w) * aspect_h / aspect_w);
    if (h > out_h) {
        h = out_h;
        w = static_cast<int32_t>(static_cast<int64_t>(out_h) * aspect_w / aspect_h);
    }
    if (w < 1) w = 1;
    if (h < 1) h = 1;
    return {(out_w - w) / 2, (out_h - h) / 2, w, h};
}

void view_map_point(const view_rect& r, int32_t image_w, int32_t image_h, int32_t out_x,
                    int32_t out_y, int32_t* image_x, int32_t* image_y) {
    if (r.w <= 0 || r.h <= 0) {
        *image_x = *image_y = 0;
        return;
    }
    *image_x = static_cast<int32_t>(floor_div(static_cast<int64_t>(out_x - r.x) * image_w, r.w));
    *image_y = static_cast<int32_t>(floor_div(static_cast<int64_t>(out_y - r.y) * image_h, r.h));
}

} // namespace vantrel
