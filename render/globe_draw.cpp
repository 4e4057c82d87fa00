// globe_draw: globe tables built from their rules, ordering, preparation and the disc loop.
#include "render/globe_draw.h"

#include <cstring>

#include "render/model_draw.h"

namespace vantrel {

namespace {

// --- tables, evaluated at compile time so every target gets the same bytes ----------------

constexpr double PI = 3.14159265358979323846;

constexpr double c_sqrt(double x) {
    if (x <= 0) return 0;
    double r = x > 1 ? x : 1;
    for (int i = 0; i < 200; i++) {
        double next = 0.5 * (r + x / r);
        if (next == r) break;
        r = next;
    }
    return r;
}

// atan by two half-angle reductions and the Taylor series on |x| <= tan(pi/16).
constexpr double c_atan(double x) {
    if (x < 0) return -c_atan(-x);
    if (x > 1) return PI / 2 - c_atan(1 / x);
    for (int i = 0; i < 2; i++) x = x / (1 + c_sqrt(1 + x * x));
    double term = x, sum = x;
    for (int n = 1; n < 40; n++) {
        term *= -x * x;
        sum += term / (2 * n + 1);
    }
    return 4 * sum;
}

constexpr double c_atan2(double y, double x) {
    if (x > 0) return c_atan(y / x);
    if (x < 0) return y >= 0 ? c_atan(y / x) + PI : c_atan(y / x) - PI;
    return y >= 0 ? PI / 2 : -PI / 2;
}

constexpr double c_asin(double x) {
    return c_atan(x / c_sqrt(1 - x * x));
}

constexpr int64_t c_floor(double v) {
    int64_t i = static_cast<int64_t>(v);
    return (static_cast<double>(i) > v) ? i - 1 : i;
}

// Values that are whole numbers in exact arithmetic (atan2 of equal legs) must not fall a
// rounding error below them: snap anything within 1e-7 of an integer onto it first.
constexpr int64_t floor_exact(double v) {
    int64_t nearest = c_floor(v + 0.5);
    double d = v - static_cast<double>(nearest);
    if (d < 1e-7 && d > -1e-7) return nearest;
    return c_floor(v);
}

constexpr std::array<uint16_t, 256> make_globe_sqrt() {
    std::array<uint16_t, 256> t{};
    for (int i = 0; i < 256; i++)
        t[i] = static_cast<uint16_t>(c_floor(16384 * c_sqrt(1 - i / 255.0) + 0.5));
    return t;
}

constexpr std::array<uint8_t, 256> make_globe_asin() {
    std::array<uint8_t, 256> t{};
    for (int i = 0; i < 256; i++)
        t[i] = static_cast<uint8_t>(floor_exact(128 - 256 * c_asin((i - 127.5) / 128) / PI));
    return t;
}

constexpr std::array<uint8_t, 128 * 128> make_globe_atan() {
    std::array<uint8_t, 128 * 128> t{};
    for (int i = 0; i < 128; i++)
        for (int j = 0; j < 128; j++) {
            int64_t v = floor_exact(c_atan2(63.5 - i, j - 63.5) * 128 / PI);
            t[i * 128 + j] = static_cast<uint8_t>(((v % 256) + 256) % 256);
        }
    return t;
}

} // namespace

const std::array<uint16_t, 256> GLOBE_SQRT = make_globe_sqrt();
const std::array<uint8_t, 256> GLOBE_ASIN = make_globe_asin();
const std::array<uint8_t, 128 * 128> GLOBE_ATAN = make_globe_atan();
const std::array<uint8_t, 16> DITHER = {0, 8, 2, 10, 12, 4, 14, 6, 3, 11, 1, 9, 15, 7, 13, 5};

namespace {

// --- the disc loop's work arrays, rebuilt for each globe (never allocated) ----------------

// The sphere depth's share of one pixel's sums, per radial step, for the bounded row loop:
// the rotated normal's x and y, its z negated, and the light value.
struct depth_terms {
    int32_t x, y, z_negated, light;
};

// A pixel's squared radial distance reaches 512 at most (|x'|, |y'| <= 1.0 = 16384 each), and
// the steps from 255 on are the disc's rim, where the sphere depth is 0.
constexpr int RADIAL_STEPS = 513;

struct globe_work {
    int32_t depth_part[3][256]; // rotated contribution of the sphere depth, per radial step
    int32_t depth_light[256];   // its share of the light value
    depth_terms terms[RADIAL_STEPS];
    uint32_t v_row[256];   // texture offset of the latitude row of each normal y step
    uint8_t shade[8][256]; // texel -> colour at each light level
    uint8_t lines[2][2 * GLOBE_MAX_RADIUS + 2]; // the row being drawn and the one before
    int current;
    bool shades_built;
};

globe_work g_work;
// Row pointers into the shade table by light level index -32 .. 31, clamped to 0 .. 7 (see
// compute_row_bounded).
constexpr int LEVEL_LOW = 32, LEVEL_SIZE = 64;
const uint8_t* g_shade_rows[LEVEL_SIZE];

// Light levels 0 (unlit) .. 7 (full light) for every texel, from the texture's shade rule.
void build_shade_table() {
    if (g_work.shades_built) return;
    for (int level = 0; level < 8; level++)
        for (int t = 0; t < 256; t++)
            g_work.shade[level][t] = globe_shade(static_cast<uint8_t>(t), level);
    for (int i = 0; i < LEVEL_SIZE; i++) {
        int level = i - LEVEL_LOW;
        g_shade_rows[i] = g_work.shade[level < 0 ? 0 : (level > 7 ? 7 : level)];
    }
    g_work.shades_built = true;
}

void fill_work(const globe_texture* tex, const prepared_globe* g, bool bounded) {
    build_shade_table();
    const int32_t* m = g->to_texture;
    if (bounded) {
        // Steps 255 and on have sphere depth 0: their terms stay 0.
        for (int q = 0; q < 255; q++) {
            int32_t z = -static_cast<int32_t>(GLOBE_SQRT[q]); // the visible side faces the camera
            g_work.terms[q] = depth_terms{m[2] * z, m[5] * z, -(m[8] * z), g->light[2] * z};
        }
    } else {
        for (int q = 0; q < 256; q++) {
            int32_t z = -static_cast<int32_t>(GLOBE_SQRT[q]);
            for (int k = 0; k < 3; k++) g_work.depth_part[k][q] = m[3 * k + 2] * z;
            g_work.depth_light[q] = g->light[2] * z;
        }
    }
    for (int v = 0; v < 256; v++) {
        uint32_t lat = GLOBE_ASIN[v];
        g_work.v_row[v] = static_cast<uint32_t>((lat * tex->height) >> 8) * tex->width;
    }
}

int clamp_int(int v, int lo, int hi) {
    return v < lo ? lo : (v > hi ? hi : v);
}

// One disc row into the line buffer: pixels x0 .. x1 (frame columns), every `step`-th one
// computed and copied to the skipped neighbours.
void compute_row(const globe_texture* tex, const prepared_globe* g, int y, int x0, int x1,
                 int step) {
    // Everything the pixel loop reads is held in locals: the loop stores bytes, and a byte
    // store may alias any object, so values read through pointers would be loaded again for
    // every pixel.
    const int32_t* m = g->to_texture;
    int32_t ys = static_cast<int32_t>(static_cast<int64_t>(y - g->centre_y) * 16384 / g->radius);
    int32_t up = -ys; // screen rows run down, the normal's y runs up
    const int32_t m0 = m[0], m3 = m[3], m6 = m[6];
    const int32_t row_nx = m[1] * up, row_ny = m[4] * up, row_nz = m[7] * up;
    const int32_t light_x = g->light[0];
    const int32_t row_light = g->light[1] * up;
    const int32_t x_step = 0x400000 / g->radius;
    int32_t xs22 = (x0 - g->centre_x) * x_step;
    const uint8_t* dither_row = &DITHER[(y & 3) * 4];
    const uint32_t ys2 = static_cast<uint32_t>(ys * ys);
    const uint32_t shift = tex->shift;
    const uint8_t* pixels = tex->pixels;
    const uint8_t* atan_table = GLOBE_ATAN.data();
    const globe_work& w = g_work;
    uint8_t* out = g_work.lines[g_work.current];
    for (int x = x0; x <= x1; x += step, xs22 += x_step * step, out += step) {
        int32_t xs = xs22 >> 8;
        uint32_t q = (static_cast<uint32_t>(xs * xs) + ys2) >> 20;
        if (q > 255) q = 255;
        int32_t nx = (m0 * xs + row_nx + w.depth_part[0][q]) >> 14;
        int32_t ny = (m3 * xs + row_ny + w.depth_part[1][q]) >> 14;
        int32_t nz = (m6 * xs + row_nz + w.depth_part[2][q]) >> 14;
        int j = clamp_int((nx + 16384) >> 8, 0, 127);
        // Longitude grows to the right on the side facing the camera, as on a map with
        // north up: atan2 of (z, x) in the body frame.
        int i = clamp_int((16384 - nz) >> 8, 0, 127);
        int v = clamp_int((ny + 16384) >> 7, 0, 255);
        uint32_t lon = atan_table[i * 128 + j];
        uint32_t column = ((lon << 8) << shift) >> 16;
        uint8_t texel = pixels[w.v_row[v] + column];
        int32_t light = (light_x * xs + row_light + w.depth_light[q]) >> 14;
        if (light < 0) light = 0;
        int level = (light * 8 + dither_row[x & 3] * 1024) >> 14;
        uint8_t colour = w.shade[level > 7 ? 7 : level][texel];
        // The line buffer has a spare byte past the widest row, so a coarse pair may spill.
        out[0] = colour;
        if (step == 2) out[1] = colour;
    }
}

// --- the bounded row loop ---------------------------------------------------------------
//
// With every element of the rotation and of the light direction at most BOUND (1.125 in
// 2.14; a rotation's elements are at most 1.0), a pixel's sums m x' + m y' + m z stay within
// +-3 * BOUND * 16384, far inside 32 bits. The shifts and clamps of compute_row then fold
// into one shift of the whole sum and a table lookup each:
//   clamp(((s >> 14) + 16384) >> 8, 0, 127)  = clamp((s + 2^28) >> 22, 0, 127)
//   clamp((16384 - (s >> 14)) >> 8, 0, 127)  = clamp((2^28 + 16383 - s) >> 22, 0, 127)
//   clamp(((s >> 14) + 16384) >> 7, 0, 255)  = clamp((s + 2^28) >> 21, 0, 255)
//   min((max(s >> 14, 0) + 128 d) >> 11, 7)  = clamp((s + d 2^21) >> 25, 0, 7)
// (nested floor divisions by powers of two are one floor division; for a negative light
// value the dither, at most 15 * 128 < 2048, leaves level 0 either way).
constexpr int32_t BOUND = 18432;
constexpr int32_t BIAS = 1 << 28;
constexpr int32_t BIAS_NEGATED = (1 << 28) + 16383;

// Index ranges the sums can reach: +-(3 * BOUND * 16384 + BIAS) >> 22, >> 21 and >> 25.
constexpr int CLAMP_LOW = 160, CLAMP_SIZE = 448;     // indices -160 .. 287
constexpr int CLAMP_V_LOW = 320, CLAMP_V_SIZE = 896; // indices -320 .. 575

template <int Low, int Size, int Top>
constexpr std::array<uint16_t, Size> make_clamp(int scale) {
    std::array<uint16_t, Size> t{};
    for (int i = 0; i < Size; i++) {
        int v = i - Low;
        t[i] = static_cast<uint16_t>((v < 0 ? 0 : (v > Top ? Top : v)) * scale);
    }
    return t;
}

// Row offsets (atan row * 128) and columns of the longitude table, and latitude steps.
constexpr std::array<uint16_t, CLAMP_SIZE> CLAMP_ROW = make_clamp<CLAMP_LOW, CLAMP_SIZE, 127>(128);
constexpr std::array<uint16_t, CLAMP_SIZE> CLAMP_COLUMN = make_clamp<CLAMP_LOW, CLAMP_SIZE, 127>(1);
constexpr std::array<uint16_t, CLAMP_V_SIZE> CLAMP_LATITUDE =
    make_clamp<CLAMP_V_LOW, CLAMP_V_SIZE, 255>(1);

bool within_bound(const prepared_globe* g) {
    for (int32_t e : g->to_texture)
        if (e > BOUND || e < -BOUND) return false;
    for (int32_t e : g->light)
        if (e > BOUND || e < -BOUND) return false;
    return true;
}

// The per-column share of a pixel's sums, the same on every row of a globe: x' squared,
// x' times the rotation's first column (the z row negated), and the light's x share with
// the dither of the column for each of the four dither rows.
struct column_terms {
    uint32_t xs_squared;
    int32_t x, y, z_negated;
    int32_t light[4];
};

// Columns of one globe the bounded loop can hold; wider discs take the general loop.
constexpr int GLOBE_COLUMNS = 1024;

struct bounded_work {
    column_terms columns[GLOBE_COLUMNS + 1]; // one spare: a coarse row steps past its end
    int first_column;
    uint32_t latitude_offset[CLAMP_V_SIZE]; // texture row offset by clamp index
    // Texture columns of the longitude table for two texture widths (by shift parity):
    // ((lon << 8) << shift) >> 16 of every entry.
    uint16_t atan_column[2][128 * 128];
    uint32_t atan_shift[2];
    bool atan_built[2];
};

bounded_work g_bounded;

const uint16_t* atan_columns(uint32_t shift) {
    int slot = static_cast<int>(shift & 1);
    if (!g_bounded.atan_built[slot] || g_bounded.atan_shift[slot] != shift) {
        for (int i = 0; i < 128 * 128; i++) {
            uint32_t lon = GLOBE_ATAN[static_cast<size_t>(i)];
            g_bounded.atan_column[slot][i] = static_cast<uint16_t>(((lon << 8) << shift) >> 16);
        }
        g_bounded.atan_shift[slot] = shift;
        g_bounded.atan_built[slot] = true;
    }
    return g_bounded.atan_column[slot];
}

// The per-globe tables of the bounded loop for columns x_lo .. x_hi (at most GLOBE_COLUMNS).
void fill_bounded(const prepared_globe* g, int x_lo, int x_hi) {
    const int32_t* m = g->to_texture;
    const int32_t x_step = 0x400000 / g->radius;
    g_bounded.first_column = x_lo;
    for (int x = x_lo; x <= x_hi; x++) {
        int32_t xs = ((x - g->centre_x) * x_step) >> 8;
        column_terms& c = g_bounded.columns[x - x_lo];
        c.xs_squared = static_cast<uint32_t>(xs * xs);
        c.x = m[0] * xs;
        c.y = m[3] * xs;
        c.z_negated = -m[6] * xs;
        for (int k = 0; k < 4; k++) c.light[k] = g->light[0] * xs + (DITHER[k * 4 + (x & 3)] << 21);
    }
    for (int k = 0; k < CLAMP_V_SIZE; k++)
        g_bounded.latitude_offset[k] = g_work.v_row[CLAMP_LATITUDE[static_cast<size_t>(k)]];
}

// compute_row for a globe within BOUND; the same pixels, with the per-pixel work reduced to
// adds, shifts and lookups in tables that clamp.
template <int Step>
void compute_row_bounded(const globe_texture* tex, const prepared_globe* g, int y, int x0, int x1) {
    const int32_t* m = g->to_texture;
    int32_t ys = static_cast<int32_t>(static_cast<int64_t>(y - g->centre_y) * 16384 / g->radius);
    int32_t up = -ys;
    const int32_t row_x = m[1] * up + BIAS, row_y = m[4] * up + BIAS;
    const int32_t row_z = BIAS_NEGATED - m[7] * up;
    const int32_t row_light = g->light[1] * up;
    const uint32_t ys2 = static_cast<uint32_t>(ys * ys);
    const int dither_row = y & 3;
    const uint8_t* pixels = tex->pixels;
    const uint16_t* atan_column = atan_columns(tex->shift);
    const uint16_t* rows = CLAMP_ROW.data() + CLAMP_LOW;
    const uint16_t* columns = CLAMP_COLUMN.data() + CLAMP_LOW;
    const uint32_t* latitude = g_bounded.latitude_offset + CLAMP_V_LOW;
    const uint8_t* const* shades = g_shade_rows + LEVEL_LOW;
    const depth_terms* terms = g_work.terms;
    const column_terms* c = g_bounded.columns + (x0 - g_bounded.first_column);
    const column_terms* const end = c + (x1 - x0) + 1;
    uint8_t* out = g_work.lines[g_work.current];
    for (; c < end; c += Step, out += Step) {
        const depth_terms& d = terms[(c->xs_squared + ys2) >> 20];
        uint32_t column = atan_column[rows[(c->z_negated + row_z + d.z_negated) >> 22] +
                                      columns[(c->x + row_x + d.x) >> 22]];
        uint8_t texel = pixels[latitude[(c->y + row_y + d.y) >> 21] + column];
        uint8_t colour = shades[(c->light[dither_row] + row_light + d.light) >> 25][texel];
        out[0] = colour;
        if (Step == 2) out[1] = colour;
    }
}

// line[x - x0] = above[clamp(x, above_x0, above_x1) - above_x0] for x0 .. x1: the row
// above, its end pixels repeated where this row reaches further.
void stretch_row(uint8_t* line, int x0, int x1, const uint8_t* above, int above_x0, int above_x1) {
    int x = x0;
    if (x < above_x0) {
        int end = x1 < above_x0 - 1 ? x1 : above_x0 - 1;
        std::memset(line, above[0], static_cast<size_t>(end - x + 1));
        x = end + 1;
    }
    int middle_end = x1 < above_x1 ? x1 : above_x1;
    if (x <= middle_end) {
        std::memcpy(line + (x - x0), above + (x - above_x0),
                    static_cast<size_t>(middle_end - x + 1));
        x = middle_end + 1;
    }
    if (x <= x1)
        std::memset(line + (x - x0), above[above_x1 - above_x0], static_cast<size_t>(x1 - x + 1));
}

uint32_t copy_row(uint8_t* frame_row, int32_t* depth_row, int x0, int x1, int32_t depth_value) {
    const uint8_t* line = g_work.lines[g_work.current];
    if (!depth_row) {
        std::memcpy(frame_row + x0, line, static_cast<size_t>(x1 - x0 + 1));
        return static_cast<uint32_t>(x1 - x0 + 1);
    }
    uint32_t written = 0;
    for (int x = x0; x <= x1; x++) {
        if (depth_row[x] > depth_value) continue; // equal depth overwrites
        frame_row[x] = line[x - x0];
        depth_row[x] = depth_value;
        written++;
    }
    return written;
}

} // namespace

uint32_t globe_draw(uint8_t* frame, int32_t* depth, int width, int height,
                    const globe_texture* texture, const prepared_globe* g) {
    int r = g->radius;
    if (r <= 0 || texture == nullptr) return 0;
    if (g->centre_x + r < 0 || g->centre_x - r >= width || g->centre_y + r < 0 ||
        g->centre_y - r >= height)
        return 0;
    const int x_lo = clamp_int(g->centre_x - r, 0, width - 1);
    const int x_hi = clamp_int(g->centre_x + r, 0, width - 1);
    const bool bounded = within_bound(g) && x_hi - x_lo < GLOBE_COLUMNS;
    fill_work(texture, g, bounded);
    if (bounded) fill_bounded(g, x_lo, x_hi);
    int step = g->coarse >= 1 ? 2 : 1;
    bool skip_rows = g->coarse >= 2 && width <= 1024;
    int y_first = clamp_int(g->centre_y - r, 0, height - 1);
    int y_last = clamp_int(g->centre_y + r, 0, height - 1);
    uint32_t written = 0;
    int line_x0 = 0, line_x1 = -1;
    // The half-width floor(sqrt(r^2 - dy^2)) of each row, moved from the previous row's: over
    // the disc it changes by 2 r in all, far fewer steps than a root per row.
    uint32_t half_u =
        isqrt_u32(static_cast<uint32_t>(r * r - (y_first - g->centre_y) * (y_first - g->centre_y)));
    for (int y = y_first; y <= y_last; y++) {
        int dy = y - g->centre_y;
        const uint32_t n = static_cast<uint32_t>(r * r - dy * dy);
        while (half_u * half_u > n) half_u--;
        while ((half_u + 1) * (half_u + 1) <= n) half_u++;
        int half = static_cast<int>(half_u);
        int x0 = clamp_int(g->centre_x - half, 0, width - 1);
        int x1 = clamp_int(g->centre_x + half, 0, width - 1);
        if (g->centre_x - half >= width || g->centre_x + half < 0) continue;
        bool reuse = skip_rows && ((y - y_first) & 1) && line_x1 >= line_x0;
        if (reuse) {
            // A skipped row repeats the row above, stretched to its own ends by taking the
            // nearest computed pixel.
            const uint8_t* above = g_work.lines[g_work.current];
            g_work.current ^= 1;
            uint8_t* line = g_work.lines[g_work.current];
            stretch_row(line, x0, x1, above, line_x0, line_x1);
        } else if (!bounded) {
            compute_row(texture, g, y, x0, x1, step);
        } else if (step == 2) {
            compute_row_bounded<2>(texture, g, y, x0, x1);
        } else {
            compute_row_bounded<1>(texture, g, y, x0, x1);
        }
        line_x0 = x0;
        line_x1 = x1;
        written +=
            copy_row(frame + y * width, depth ? depth + y * width : nullptr, x0, x1, g->depth);
    }
    return written;
}

int globe_item_add(globe_item* list, int* count, int capacity, const globe_texture* texture,
                   const render_pose* body, const render_pose* camera) {
    if (*count >= capacity || texture == nullptr) return 0;
    globe_item* item = &list[(*count)++];
    fix16 distance = camera_distance(&body->pos, &camera->pos);
    fix16 radius = static_cast<fix16>(texture->radius << 16);
    item->texture = texture;
    item->pose = *body;
    item->colour_offset = 0;
    item->near = wrap_sub32(distance, radius);
    item->far = wrap_add32(distance, radius);
    return 1;
}

namespace {

void sort_far_to_near(globe_item* items, int count) {
    // Insertion sort on the near distance, largest first; equal keys keep their order.
    for (int i = 1; i < count; i++) {
        globe_item item = items[i];
        int j = i - 1;
        while (j >= 0 && items[j].near < item.near) {
            items[j + 1] = items[j];
            j--;
        }
        items[j + 1] = item;
    }
}

// A globe needs no depth test when it lies behind every model that may be near (the
// overlap distance) and its distance interval overlaps no other globe's.
bool needs_depth(const globe_item* items, int count, int i, fix16 overlap_distance) {
    if (items[i].near <= overlap_distance) return true;
    for (int j = i + 1; j < count; j++)
        if (items[i].near <= items[j].far) return true;
    for (int j = 0; j < i; j++)
        if (items[i].far >= items[j].near) return true;
    return false;
}

int coarse_level(int globe_setting, int radius) {
    if (globe_setting == 1) return 2;
    if (globe_setting == 2) return radius >= 65 ? 1 : 0;
    return 0;
}

bool prepare_globe(const globe_item* item, const render_pose* camera, const view_projection* vp,
                   const depth_frame* df, int globe_setting, prepared_globe* out) {
    const vec3 origin = {0, 0, 0};
    vec3 centre;
    transform_to_view(&centre, &origin, &item->pose, camera);
    if (centre.z <= vp->near) return false;
    projected_vertex pv;
    project_view_vertex(&pv, &centre, vp);
    if (!pv.valid) return false;
    int64_t r = (static_cast<int64_t>(item->texture->radius) * pv.scale) >> 16;
    out->radius = static_cast<int>(r < 1 ? 1 : (r > GLOBE_MAX_RADIUS ? GLOBE_MAX_RADIUS : r));
    out->centre_x = pv.screen_x;
    out->centre_y = pv.screen_y;
    out->depth = depth_frame_vertex(df, pv.scale);
    out->coarse = coarse_level(globe_setting, out->radius);
    // View space to the body's own frame (camera axes into the world, then the transposed
    // body orientation), and the star's direction in view space; both scaled to 2.14.
    mat3 body_t, to_texture;
    mat3_transpose(&body_t, &item->pose.orient);
    mat3_mul(&to_texture, &body_t, &camera->orient);
    for (int i = 0; i < 9; i++) out->to_texture[i] = to_texture.m[i] >> 2;
    vec3 light_world, light_view;
    light_from_star(&light_world, &item->pose.pos);
    mat3 camera_t;
    mat3_transpose(&camera_t, &camera->orient);
    mat3_apply(&light_view, &camera_t, &light_world);
    out->light[0] = light_view.x >> 2;
    out->light[1] = light_view.y >> 2;
    out->light[2] = light_view.z >> 2;
    return true;
}

} // namespace

uint32_t draw_globes_back(uint8_t* frame, int32_t* depth, int width, int height, globe_item* items,
                          int count, fix16 overlap_distance, const render_pose* camera,
                          const view_projection* vp, const depth_frame* df, int globe_setting) {
    sort_far_to_near(items, count);
    render_timing& timing = g_render_timing;
    bool timed = timing.on && timing.now != nullptr;
    uint32_t total = 0;
    for (int i = 0; i < count; i++) {
        prepared_globe g;
        if (!prepare_globe(&items[i], camera, vp, df, globe_setting, &g)) continue;
        int32_t* globe_depth = needs_depth(items, count, i, overlap_distance) ? depth : nullptr;
        uint32_t start = timed ? timing.now() : 0;
        uint32_t written = globe_draw(frame, globe_depth, width, height, items[i].texture, &g);
        if (timed) {
            timing.globe += timing.now() - start;
            timing.reads += 2;
        }
        timing.globe_pixels += written;
        if (static_cast<uint32_t>(g.coarse) > timing.globe_level)
            timing.globe_level = static_cast<uint32_t>(g.coarse);
        total += written;
    }
    return total;
}

} // namespace vantrel
