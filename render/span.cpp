// span: flat-coloured triangles into the 8-bit frame, with or without the 32-bit depth test.
#include "render/span.h"

#include <cstdlib>
#include <cstring>
#include <utility>

#include "core/fixmath.h"
#include "render/fast_clear.h"

namespace vantrel {

int g_raster_no_depth = 0;
int g_raster_fused = 1;
render_timing g_render_timing = {};
depth_frame g_depth_frame = {};

namespace {

flat_span g_flat_spans[SPAN_CAPACITY];

int32_t div_trunc(int32_t n, int32_t d) {
    if (d == 0) return 0;
    if (d == -1 && n == INT32_MIN) return INT32_MAX;
    return n / d;
}

// n / d toward zero for a divisor that cannot be negative (row counts, run lengths); 0 for 0.
int32_t div_rows(int32_t n, int32_t d) {
    return d > 0 ? n / d : 0;
}

int32_t shl16(int32_t v) {
    return static_cast<int32_t>(static_cast<uint32_t>(v) << 16);
}

int32_t mul32(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}

// One triangle edge from its upper vertex: x in 16.16 from the vertex's x (no half-pixel
// offset) and a depth, each with its per-row step. Walking an edge n rows down gives
// x + n dx and z + n dz in wrapping arithmetic, the same as adding the step n times; the
// walk keeps only x stepping and works the depth out for the rows that draw.
struct edge {
    int32_t x, dx, z, dz;
};

[[gnu::always_inline]] inline edge edge_make(const screen_vertex& s, int32_t zs,
                                             const screen_vertex& e, int32_t ze) {
    int32_t dy = e.y - s.y;
    edge ed;
    ed.x = shl16(s.x);
    ed.z = zs;
    ed.dx = div_rows(shl16(e.x - s.x), dy);
    ed.dz = div_rows(wrap_sub32(ze, zs), dy);
    return ed;
}

int32_t edge_depth(const edge& e, int32_t rows) {
    return wrap_add32(e.z, mul32(rows, e.dz));
}

bool within(int64_t v, int64_t limit) {
    return v <= limit && v >= -limit;
}

// One triangle-wide depth step per pixel when its products stay inside 32 bits, else
// `false` and each row works out its own.
[[gnu::always_inline]] inline bool triangle_depth_step(const screen_vertex& top,
                                                       const screen_vertex& mid,
                                                       const screen_vertex& bot, int32_t zt,
                                                       int32_t zm, int32_t zb, int32_t* step) {
    int32_t xm = mid.x - top.x, xb = bot.x - top.x;
    int32_t ym = mid.y - top.y, yb = bot.y - top.y;
    int64_t dzm = int64_t(zm) - zt, dzb = int64_t(zb) - zt;
    if (!(within(xm, 1023) && within(xb, 1023) && ym <= 1023 && yb <= 1023 &&
          within(dzm, 0xFFFFF) && within(dzb, 0xFFFFF)))
        return false;
    int32_t d = xm * yb - xb * ym;
    if (d == 0) return false;
    *step = div_trunc(yb * int32_t(dzm) - ym * int32_t(dzb), d);
    return true;
}

// Rows y .. y_stop between the long edge (started on row y_long) and a short edge (started
// on row y_short): calls row() for every row that covers a pixel. Thin slivers leave most
// rows empty, so an empty row costs only the two x steps and a compare.
template <bool Depth, class Row>
[[gnu::always_inline]] inline void
walk_rows(const edge& long_edge, int32_t y_long, const edge& short_edge, int32_t y_short, int32_t y,
          int32_t y_stop, bool tri_step, int32_t step, Row&& row) {
    uint32_t xl = static_cast<uint32_t>(long_edge.x) +
                  static_cast<uint32_t>(y - y_long) * static_cast<uint32_t>(long_edge.dx);
    uint32_t xs = static_cast<uint32_t>(short_edge.x) +
                  static_cast<uint32_t>(y - y_short) * static_cast<uint32_t>(short_edge.dx);
    const uint32_t dxl = static_cast<uint32_t>(long_edge.dx);
    const uint32_t dxs = static_cast<uint32_t>(short_edge.dx);
    for (; y <= y_stop; y++, xl += dxl, xs += dxs) {
        int32_t a = static_cast<int32_t>(xl) >> 16;
        int32_t b = static_cast<int32_t>(xs) >> 16;
        if (a == b) continue;
        int32_t zl = 0, zr = 0;
        if (Depth) {
            zl = edge_depth(long_edge, y - y_long);
            zr = edge_depth(short_edge, y - y_short);
        }
        int32_t left = a, right = b;
        if (a > b) {
            left = b, right = a;
            int32_t t = zl;
            zl = zr, zr = t;
        }
        if (Depth && !tri_step) step = div_rows(wrap_sub32(zr, zl), right - left);
        row(y, left, right, zl, step);
    }
}

// Walks the rows of a clockwise triangle from its top row down to its bottom row or to the
// row before y_end, calling row(y, left, right, left depth, step per pixel) for every row
// that covers at least one pixel. Returns false when the triangle is rejected. All three
// raster paths go through here, so they cover exactly the same pixels.
// Front: the caller has seen screen_triangle_cross(tri) > 0.
template <bool Depth, bool Front = false, class Row>
[[gnu::always_inline]] inline bool triangle_walk(const screen_triangle* tri, const int32_t* depths,
                                                 int32_t y_end, Row&& row) {
    if (!Front && screen_triangle_cross(tri) <= 0) return false;
    const screen_vertex* v = tri->v;

    // A stable sort by y, so equal rows keep the order received. The rows are held in
    // locals; when the last two need no swap, the first two are in order already.
    int i0 = 0, i1 = 1, i2 = 2;
    int32_t y0 = v[0].y, y1 = v[1].y, y2 = v[2].y;
    if (y1 < y0) std::swap(i0, i1), std::swap(y0, y1);
    if (y2 < y1) {
        std::swap(i1, i2), std::swap(y1, y2);
        if (y1 < y0) std::swap(i0, i1), std::swap(y0, y1);
    }
    const screen_vertex& top = v[i0];
    const screen_vertex& mid = v[i1];
    const screen_vertex& bot = v[i2];
    int32_t zt = Depth ? depths[i0] : 0;
    int32_t zm = Depth ? depths[i1] : 0;
    int32_t zb = Depth ? depths[i2] : 0;

    int32_t step = 0;
    bool tri_step = Depth && triangle_depth_step(top, mid, bot, zt, zm, zb, &step);

    // Each pixel row is sampled at its top edge; the short edge restarts exactly at the
    // middle vertex on the middle row.
    int32_t y_last = bot.y;
    if (y_last > y_end - 1) y_last = y_end - 1;
    edge long_edge = edge_make(top, zt, bot, zb);
    int32_t upper_last = mid.y - 1 < y_last ? mid.y - 1 : y_last;
    if (top.y <= upper_last)
        walk_rows<Depth>(long_edge, top.y, edge_make(top, zt, mid, zm), top.y, top.y, upper_last,
                         tri_step, step, row);
    if (mid.y <= y_last)
        walk_rows<Depth>(long_edge, top.y, edge_make(mid, zm, bot, zb), mid.y, mid.y, y_last,
                         tri_step, step, row);
    return true;
}

// The depth-tested fill of one clipped run. Written without branches so the compiler can
// vectorise it: a pixel that fails the test gets its own old values back. The build's -O2
// keeps loop vectorisation to trivial loops, so this one asks for the full pass.
#if defined(__GNUC__) && !defined(__clang__)
__attribute__((optimize("tree-vectorize", "vect-cost-model=dynamic")))
#endif
void fill_depth_run(uint8_t* __restrict fb, int32_t* __restrict zb, int32_t n, int32_t z,
                           int32_t step, uint8_t colour) {
    uint32_t z0 = static_cast<uint32_t>(z);
    uint32_t dz = static_cast<uint32_t>(step);
    for (int32_t i = 0; i < n; i++) {
        int32_t d = static_cast<int32_t>(z0 + static_cast<uint32_t>(i) * dz);
        int32_t old = zb[i];
        bool nearer = old < d;
        zb[i] = nearer ? d : old;
        fb[i] = nearer ? colour : fb[i];
    }
}

// Clamps a row to the frame and fills it with the depth test; the start depth is carried
// forward over the clipped-off pixels exactly as the unclipped walk would have reached it.
inline void fill_depth_row(uint8_t* frame, int32_t* depth, int width, int32_t y, int32_t left,
                           int32_t right, int32_t z, int32_t step, uint8_t colour) {
    int32_t l = left < 0 ? 0 : left;
    int32_t r = right > width ? width : right;
    if (l >= r) return;
    if (l > left) z = wrap_add32(z, mul32(l - left, step));
    size_t row = static_cast<size_t>(y) * static_cast<size_t>(width);
    uint8_t* fb = frame + row + l;
    int32_t* zb = depth + row + l;
    int32_t n = r - l;
    if (n >= 16) {
        fill_depth_run(fb, zb, n, z, step, colour);
        return;
    }
    // Short runs (small triangles, edges) are cheaper without the vector set-up.
    for (int32_t i = 0; i < n; i++) {
        if (zb[i] < z) {
            zb[i] = z;
            fb[i] = colour;
        }
        z = wrap_add32(z, step);
    }
}

uint32_t timing_now() {
    return g_render_timing.now ? g_render_timing.now() : 0;
}

} // namespace

void depth_frame_init(depth_frame* df, int32_t near, int32_t focal) {
    df->base = 0;
    df->scale = mul32(fix16_div(near, focal), 32767);
}

void depth_frame_begin(depth_frame* df, int32_t* depth, uint32_t pixel_count) {
    // Clear on the first frame and whenever the next base would pass 0x7FE00000, so the
    // largest value ever stored stays below 2^31.
    if (df->base - 1u > 0x7FDFFFFEu) {
        fast_clear_depth(depth, pixel_count);
        df->base = DEPTH_FRAME_STEP;
    } else {
        df->base += DEPTH_FRAME_STEP;
    }
}

int raster_triangle_w(uint8_t* frame, int32_t* depth, int width, int height,
                      const screen_triangle* tri, const int32_t depths[3], uint8_t colour) {
    uint32_t count = 0;
    triangle_walk<true>(tri, depths, height,
                        [&](int32_t y, int32_t left, int32_t right, int32_t z, int32_t step) {
                            count += static_cast<uint32_t>(right - left + 1);
                            if (y < 0) return;
                            fill_depth_row(frame, depth, width, y, left, right, z, step, colour);
                        });
    return static_cast<int>(count);
}

void raster_front_triangle_w(uint8_t* frame, int32_t* depth, int width, int height,
                             const screen_triangle* tri, const int32_t depths[3], uint8_t colour) {
    triangle_walk<true, true>(
        tri, depths, height, [&](int32_t y, int32_t left, int32_t right, int32_t z, int32_t step) {
            if (y >= 0) fill_depth_row(frame, depth, width, y, left, right, z, step, colour);
        });
}

int emit_triangle_spans(const screen_triangle* tri, uint8_t colour, flat_span* spans,
                        int capacity) {
    int n = 0;
    bool full = false;
    bool drawn = triangle_walk<false>(
        tri, nullptr, INT32_MAX, [&](int32_t y, int32_t left, int32_t right, int32_t, int32_t) {
            if (n >= capacity) {
                full = true;
                return;
            }
            spans[n++] = flat_span{int16_t(y), int16_t(left), int16_t(right), colour};
        });
    if (!drawn) return 0;
    return full ? -1 : n;
}

int emit_triangle_spans_z(const screen_triangle* tri, const int32_t depths[3], uint8_t colour,
                          depth_span* spans, int capacity) {
    int n = 0;
    bool full = false;
    bool drawn = triangle_walk<true>(
        tri, depths, INT32_MAX,
        [&](int32_t y, int32_t left, int32_t right, int32_t z, int32_t step) {
            if (n >= capacity) {
                full = true;
                return;
            }
            spans[n++] = depth_span{int16_t(y), int16_t(left), int16_t(right), colour, z, step};
        });
    if (!drawn) return 0;
    return full ? -1 : n;
}

void raster_flat_spans(uint8_t* frame, int width, int height, const flat_span* spans, int count) {
    for (int i = 0; i < count; i++) {
        const flat_span& s = spans[i];
        if (s.y < 0 || s.y >= height) continue;
        int32_t l = s.left < 0 ? 0 : s.left;
        int32_t r = s.right > width ? width : s.right;
        if (l >= r) continue;
        std::memset(frame + static_cast<size_t>(s.y) * static_cast<size_t>(width) + l, s.colour,
                    static_cast<size_t>(r - l));
    }
}

void raster_flat_spans_w(uint8_t* frame, int32_t* depth, int width, int height,
                         const depth_span* spans, int count) {
    for (int i = 0; i < count; i++) {
        const depth_span& s = spans[i];
        if (s.y < 0 || s.y >= height) continue;
        fill_depth_row(frame, depth, width, s.y, s.left, s.right, s.depth, s.step, s.colour);
    }
}

int raster_triangle_w_fast(uint8_t* frame, int32_t* depth, int width, int height,
                           const screen_triangle* tri, const int32_t depths[3], uint8_t colour) {
    return raster_triangle_w(frame, depth, width, height, tri, depths, colour);
}

void raster_flat_spans_fast(uint8_t* frame, int width, int height, const flat_span* spans,
                            int count) {
    raster_flat_spans(frame, width, height, spans, count);
}

void raster_flat_spans_w_fast(uint8_t* frame, int32_t* depth, int width, int height,
                              const depth_span* spans, int count) {
    raster_flat_spans_w(frame, depth, width, height, spans, count);
}

uint32_t span_pixel_count(const flat_span* spans, int count, int height) {
    uint32_t n = 0;
    for (int i = 0; i < count; i++)
        if (spans[i].y < height) n += static_cast<uint32_t>(spans[i].right - spans[i].left + 1);
    return n;
}

uint32_t span_pixel_count_z(const depth_span* spans, int count, int height) {
    uint32_t n = 0;
    for (int i = 0; i < count; i++)
        if (spans[i].y < height) n += static_cast<uint32_t>(spans[i].right - spans[i].left + 1);
    return n;
}

int raster_screen_triangle(uint8_t* frame, int32_t* depth, int width, int height,
                           const screen_triangle* tri, const int32_t depths[3], uint8_t colour,
                           depth_span* spans) {
    render_timing& rt = g_render_timing;
    bool timed = rt.on && rt.now;
    uint32_t t0 = timed ? timing_now() : 0;
    uint32_t count = 0;
    if (g_raster_no_depth) {
        int n = emit_triangle_spans(tri, colour, g_flat_spans, SPAN_CAPACITY);
        uint32_t t1 = timed ? timing_now() : 0;
        if (n >= 1) {
            raster_flat_spans_fast(frame, width, height, g_flat_spans, n);
            count = span_pixel_count(g_flat_spans, n, height);
        }
        if (timed) {
            rt.setup += t1 - t0;
            rt.fill += timing_now() - t1;
            rt.reads += 3;
        }
    } else if (g_raster_fused) {
        count = static_cast<uint32_t>(
            raster_triangle_w_fast(frame, depth, width, height, tri, depths, colour));
        if (timed) {
            rt.fill += timing_now() - t0;
            rt.reads += 2;
        }
    } else {
        int n = emit_triangle_spans_z(tri, depths, colour, spans, SPAN_CAPACITY);
        uint32_t t1 = timed ? timing_now() : 0;
        if (n >= 1) {
            raster_flat_spans_w_fast(frame, depth, width, height, spans, n);
            count = span_pixel_count_z(spans, n, height);
        }
        if (timed) {
            rt.setup += t1 - t0;
            rt.fill += timing_now() - t1;
            rt.reads += 3;
        }
    }
    if (timed) rt.pixels += count;
    return static_cast<int>(count);
}

} // namespace vantrel
