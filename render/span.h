// span: flat-coloured triangles into the 8-bit frame, with or without the 32-bit depth test.
//
// Two ways draw a depth-tested triangle with the same pixels: a fused edge walker that tests
// and writes as it goes, and a two-stage path that first emits one span per row and then
// fills the spans. The depth buffer is never cleared per frame: each frame's values sit
// above every earlier frame's, because a per-frame base advances (see depth_frame_begin).
#pragma once

#include <cstdint>

#include "core/fixmath.h"

namespace vantrel {

struct screen_vertex {
    int16_t x, y;
};

// Drawn only when clockwise on the screen (y down).
struct screen_triangle {
    screen_vertex v[3];
};

// One row of a triangle: pixels left up to, not including, right.
struct flat_span {
    int16_t y, left, right;
    uint8_t colour;
};

struct depth_span {
    int16_t y, left, right;
    uint8_t colour;
    int32_t depth; // at left
    int32_t step;  // per pixel
};

constexpr int SPAN_CAPACITY = 1024;

struct depth_frame {
    uint32_t base; // added to every depth value of the current frame
    int32_t scale; // turns a vertex's projection scale into a depth value
};

// The offset between frames: one frame's depth values lie in [base, base + 0xFFFFF].
constexpr uint32_t DEPTH_FRAME_STEP = 0x100000;

// Render timing: accumulators filled while `on` and a tick source is installed. The
// flight statistics read and reset them.
struct render_timing {
    int on;
    uint32_t (*now)(); // the fine tick counter; the renderer has no clock of its own
    uint32_t backface, verts, setup, fill, globe;
    uint32_t reads;
    uint32_t pixels;
    uint32_t globe_pixels;
    uint32_t globe_level;
};

extern int g_raster_no_depth; // draw without depth test or write
extern int g_raster_fused;    // 1: the fused walker, 0: the two-stage span path
extern render_timing g_render_timing;
extern depth_frame g_depth_frame;

void depth_frame_init(depth_frame* df, int32_t near, int32_t focal);
void depth_frame_begin(depth_frame* df, int32_t* depth, uint32_t pixel_count);
// The depth value of a projected vertex from its projection scale (focal / z).
inline int32_t depth_frame_vertex(const depth_frame* df, int32_t scale) {
    int32_t d = fix16_mul(scale, df->scale);
    if (d < 0) d = 0;
    return static_cast<int32_t>(static_cast<uint32_t>(d >> 11) + df->base);
}

// Twice the signed area, (x1 - x0)(y2 - y0) - (x2 - x0)(y1 - y0) in wrapping 32-bit
// arithmetic: every raster path draws a triangle only when this is positive, so a caller
// may drop the others before computing anything else for them.
inline int32_t screen_cross(int x0, int y0, int x1, int y1, int x2, int y2) {
    uint32_t a = static_cast<uint32_t>(x1 - x0) * static_cast<uint32_t>(y2 - y0);
    uint32_t b = static_cast<uint32_t>(x2 - x0) * static_cast<uint32_t>(y1 - y0);
    return static_cast<int32_t>(a - b);
}
inline int32_t screen_triangle_cross(const screen_triangle* tri) {
    const screen_vertex* v = tri->v;
    return screen_cross(v[0].x, v[0].y, v[1].x, v[1].y, v[2].x, v[2].y);
}

int raster_screen_triangle(uint8_t* frame, int32_t* depth, int width, int height,
                           const screen_triangle* tri, const int32_t depths[3], uint8_t colour,
                           depth_span* spans);
int raster_triangle_w(uint8_t* frame, int32_t* depth, int width, int height,
                      const screen_triangle* tri, const int32_t depths[3], uint8_t colour);
// raster_triangle_w for a triangle the caller has seen turn clockwise (screen_triangle_cross
// > 0), without the pixel count: the same pixels for less set-up.
void raster_front_triangle_w(uint8_t* frame, int32_t* depth, int width, int height,
                             const screen_triangle* tri, const int32_t depths[3], uint8_t colour);
int emit_triangle_spans(const screen_triangle* tri, uint8_t colour, flat_span* spans, int capacity);
int emit_triangle_spans_z(const screen_triangle* tri, const int32_t depths[3], uint8_t colour,
                          depth_span* spans, int capacity);
void raster_flat_spans(uint8_t* frame, int width, int height, const flat_span* spans, int count);
void raster_flat_spans_w(uint8_t* frame, int32_t* depth, int width, int height,
                         const depth_span* spans, int count);

// The entry points the dispatcher calls; the same operations as the three above.
int raster_triangle_w_fast(uint8_t* frame, int32_t* depth, int width, int height,
                           const screen_triangle* tri, const int32_t depths[3], uint8_t colour);
void raster_flat_spans_fast(uint8_t* frame, int width, int height, const flat_span* spans,
                            int count);
void raster_flat_spans_w_fast(uint8_t* frame, int32_t* depth, int width, int height,
                              const depth_span* spans, int count);

// The statistic every path reports for a set of spans: right - left + 1 per span on a row
// above `height` (rows below the frame are never reached by the fused walker).
uint32_t span_pixel_count(const flat_span* spans, int count, int height);
uint32_t span_pixel_count_z(const depth_span* spans, int count, int height);

} // namespace vantrel
