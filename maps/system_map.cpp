// system_map: layout, projection, lines and the drawing of the home system.
#include "maps/system_map.h"

#include "render/palette.h"
#include "render/text.h"

namespace vantrel {

const uint8_t MAP_PALETTE[MAP_PALETTE_COUNT][3] = {
    // 164..171: stars by spectral class code 0..7
    {155, 176, 255},
    {170, 191, 255},
    {202, 215, 255},
    {248, 247, 255},
    {255, 244, 234},
    {255, 210, 161},
    {255, 160, 110},
    {180, 180, 180},
    // 172..183: bodies by type code 0..11
    {60, 130, 220},
    {40, 90, 200},
    {205, 110, 60},
    {150, 150, 150},
    {210, 230, 240},
    {230, 210, 60},
    {235, 80, 30},
    {230, 200, 160},
    {200, 150, 100},
    {225, 205, 150},
    {120, 200, 230},
    {150, 90, 60},
};

void map_palette_apply(uint8_t* palette768) {
    ui_colours_apply(palette768);
    for (int i = 0; i < MAP_PALETTE_COUNT; i++) {
        for (int c = 0; c < 3; c++) palette768[(MAP_PALETTE_FIRST + i) * 3 + c] = MAP_PALETTE[i][c];
    }
}

namespace {

// Pixels a projected point may lie off the centre; beyond this a line is not worth drawing
// and the pixel sums stay far from the int limits.
constexpr int64_t MAX_OFFSET = 4000;
// 60208 / 65536 astronomical units per level-2 unit (2^37 m).
constexpr int64_t AU_PER_LEVEL2 = 60208;
constexpr int PLANET_ORBIT_STEPS = 48;
constexpr int MOON_ORBIT_STEPS = 24;
constexpr int RING_STEPS = 32;

fix16 saturate_fix16(int64_t v) {
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return static_cast<fix16>(v);
}

// Step k of a whole turn cut into `steps`, truncated; step `steps` wraps back to 0.
bangle turn_step(int k, int steps) {
    return static_cast<bangle>((static_cast<uint64_t>(k) << 32) / static_cast<uint64_t>(steps));
}

int32_t parent_of(const StarSystem* system, int32_t i) {
    int32_t p = system->bodies[i].parent;
    return p < i ? p : 0;
}

int32_t body_count(const StarSystem* system) {
    int32_t n = system->body_count;
    if (n < 0) return 0;
    return n > SYSTEM_MAX_BODIES ? SYSTEM_MAX_BODIES : n;
}

struct disc_size {
    int r2; // squared radius in pixels
    int h;  // half-size of the square the disc is cut from
};

disc_size body_disc(const SystemBody* body) {
    if (body->kind == SYSTEM_STAR) return {30, 5};
    int64_t size = body->radius >> 32; // about 1,050 km per step
    if (body->kind == SYSTEM_MOON) return size > 1 ? disc_size{6, 2} : disc_size{2, 1};
    if (size > 40) return {20, 4};
    if (size > 15) return {12, 3};
    return {6, 2};
}

void plot(uint8_t* frame, int width, int height, int x, int y, uint8_t colour) {
    if (x >= 0 && y >= 0 && x < width && y < height) frame[y * width + x] = colour;
}

void fill_disc(uint8_t* frame, int width, int height, int x, int y, disc_size d, uint8_t colour) {
    for (int dy = -d.h; dy <= d.h; dy++) {
        for (int dx = -d.h; dx <= d.h; dx++) {
            if (dx * dx + dy * dy <= d.r2) plot(frame, width, height, x + dx, y + dy, colour);
        }
    }
}

// An orbit of radius r around centre in the plane of the orbit's P and Q; a point that does
// not project breaks the outline.
void draw_orbit(uint8_t* frame, int width, int height, const map_view* view, const vec3* centre,
                const Orbit* orbit, fix16 r, int steps, uint8_t colour) {
    vec3 p = {orbit->p[0] >> 14, orbit->p[1] >> 14, orbit->p[2] >> 14};
    vec3 q = {orbit->q[0] >> 14, orbit->q[1] >> 14, orbit->q[2] >> 14};
    int prev_x = 0, prev_y = 0, prev_visible = 0;
    for (int k = 0; k <= steps; k++) {
        bangle a = turn_step(k, steps);
        fix16 rc = static_cast<fix16>((static_cast<int64_t>(r) * trig_cos(a)) >> 30);
        fix16 rs = static_cast<fix16>((static_cast<int64_t>(r) * trig_sin(a)) >> 30);
        vec3 point = {wrap_add32(centre->x, wrap_add32(fix16_mul(p.x, rc), fix16_mul(q.x, rs))),
                      wrap_add32(centre->y, wrap_add32(fix16_mul(p.y, rc), fix16_mul(q.y, rs))),
                      wrap_add32(centre->z, wrap_add32(fix16_mul(p.z, rc), fix16_mul(q.z, rs)))};
        int x = 0, y = 0;
        int visible = project(view, &point, &x, &y, nullptr);
        if (visible && prev_visible) line(frame, width, height, prev_x, prev_y, x, y, colour);
        prev_x = x;
        prev_y = y;
        prev_visible = visible;
    }
}

// A flat ellipse around the disc, squashed by the pitch as a ring in the orbital plane would be.
void draw_ring(uint8_t* frame, int width, int height, int x, int y, int h, fix16 sin_pitch) {
    int64_t rx = 2 * h + 2;
    int64_t ry = (rx * (sin_pitch < 0 ? -static_cast<int64_t>(sin_pitch) : sin_pitch)) >> 16;
    if (ry < 1) ry = 1;
    int prev_x = 0, prev_y = 0;
    for (int k = 0; k <= RING_STEPS; k++) {
        bangle a = turn_step(k, RING_STEPS);
        int px = x + static_cast<int>((rx * trig_cos(a)) >> 30);
        int py = y + static_cast<int>((ry * trig_sin(a)) >> 30);
        if (k > 0) line(frame, width, height, prev_x, prev_y, px, py, MAP_RING);
        prev_x = px;
        prev_y = py;
    }
}

struct shown_body {
    int32_t index;
    fix16 depth;
    int x, y;
    disc_size disc;
};

struct name_box {
    int x0, y0, x1, y1; // half-open
};

bool boxes_overlap(const name_box& a, const name_box& b) {
    return a.x0 < b.x1 && b.x0 < a.x1 && a.y0 < b.y1 && b.y0 < a.y1;
}

// Which name pass a body belongs to: the selection first, then the star, the large planets,
// and everything else.
int name_pass(const SystemBody* body, bool selected) {
    if (selected) return 0;
    if (body->kind == SYSTEM_STAR) return 1;
    if (body->kind == SYSTEM_PLANET && (body->radius >> 32) > 15) return 2;
    return 3;
}

bool name_allowed(const StarSystem* system, int32_t i, bool selected, int32_t label_mode,
                  int32_t focus) {
    if (selected) return true;
    if (label_mode >= 2) return true;
    if (label_mode < 1) return false;
    if (system->bodies[i].kind != SYSTEM_MOON) return true;
    return focus == i || focus == parent_of(system, i);
}

} // namespace

map_view map_view_make(bangle yaw, bangle pitch, const vec3* focus, fix16 zoom, int width,
                       int height) {
    map_view v;
    v.cos_yaw = trig_cos(yaw) >> 14;
    v.sin_yaw = trig_sin(yaw) >> 14;
    v.cos_pitch = trig_cos(pitch) >> 14;
    v.sin_pitch = trig_sin(pitch) >> 14;
    v.focus = focus != nullptr ? *focus : vec3{0, 0, 0};
    v.zoom = zoom > 0 ? zoom : FIX16_ONE;
    // Two screen widths of map units away: (2 * width) as fix16, divided by the zoom in fix16.
    v.cam_dist = saturate_fix16((static_cast<int64_t>(width) << 33) / v.zoom);
    v.cx = width / 2;
    v.cy = height / 2;
    return v;
}

fix16 sqrt_au(const space_vec* v) {
    fix16 len = vec3_length(&v->v);
    if (v->level == 2) {
        return fix16_sqrt(static_cast<fix16>((static_cast<int64_t>(len) * AU_PER_LEVEL2) >> 16));
    }
    if (v->level == 1) {
        return static_cast<fix16>(((static_cast<int64_t>(fix16_sqrt(len)) * 5422) >> 16) >> 10);
    }
    return 0;
}

void system_map_layout(const StarSystem* system, const space_pos* positions, int32_t scale_mode,
                       vec3* layout) {
    int32_t n = body_count(system);
    if (n > 0) layout[0] = vec3{0, 0, 0};
    for (int32_t i = 1; i < n; i++) {
        int32_t p = parent_of(system, i);
        bool moon = system->bodies[i].kind == SYSTEM_MOON;
        space_vec rel;
        if (!space_rel(&positions[i], &positions[p], moon ? 1 : 2, &rel)) rel = {{0, 0, 0}, 2};
        fix16 d;
        if (moon) {
            d = wrap_add32(sqrt_au(&rel), sqrt_au(&rel));
        } else if (scale_mode == 1) {
            d = static_cast<fix16>((static_cast<int64_t>(vec3_length(&rel.v)) * AU_PER_LEVEL2) >>
                                   16);
        } else {
            d = sqrt_au(&rel);
        }
        vec3 dir;
        vec3_normalize(&dir, &rel.v);
        layout[i] = vec3{wrap_add32(layout[p].x, fix16_mul(dir.x, d)),
                         wrap_add32(layout[p].y, fix16_mul(dir.y, d)),
                         wrap_add32(layout[p].z, fix16_mul(dir.z, d))};
    }
}

fix16 system_map_fit_zoom(const StarSystem* system, const vec3* layout, int32_t half_width) {
    fix16 target = saturate_fix16(static_cast<int64_t>(half_width) * (FIX16_ONE * 7 / 8));
    fix16 m = FIX16_ONE / 4;
    int32_t n = body_count(system);
    for (int32_t i = 1; i < n; i++) {
        if (system->bodies[i].kind != SYSTEM_PLANET) continue;
        fix16 len = vec3_length(&layout[i]);
        if (len > m) m = len;
    }
    return fix16_div(target, m);
}

int project(const map_view* view, const vec3* point, int* x, int* y, fix16* depth) {
    int64_t dx = wrap_sub32(point->x, view->focus.x);
    int64_t dy = wrap_sub32(point->y, view->focus.y);
    int64_t dz = wrap_sub32(point->z, view->focus.z);
    int64_t a = (dz * view->cos_yaw - dx * view->sin_yaw) >> 16;
    int64_t dep = (view->sin_pitch * dy + a * view->cos_pitch) >> 16;
    int64_t z = view->cam_dist + dep;
    if (z < (view->cam_dist >> 4)) return 0;
    // The perspective ratio in fix16; beyond the fix16 range of z it is below 1.0 and the
    // plain 64-bit quotient is what the fix16 division would give.
    fix16 ratio = z <= INT32_MAX
                      ? fix16_div(view->cam_dist, static_cast<fix16>(z))
                      : static_cast<fix16>(static_cast<int64_t>(view->cam_dist) * FIX16_ONE / z);
    int64_t s = (static_cast<int64_t>(view->zoom) * ratio) >> 16;
    int64_t rx = (dx * view->cos_yaw + dz * view->sin_yaw) >> 16;
    int64_t ry = (view->cos_pitch * dy - a * view->sin_pitch) >> 16;
    // A product past 64 bits is thousands of screens away: off the screen, not wrapped back on.
    int64_t px, py;
    if (__builtin_mul_overflow(rx, s, &px) || __builtin_mul_overflow(ry, s, &py)) return 0;
    int64_t sx = px >> 32;
    int64_t sy = py >> 32;
    if (sx > MAX_OFFSET || sx < -MAX_OFFSET || sy > MAX_OFFSET || sy < -MAX_OFFSET) return 0;
    *x = static_cast<int>(view->cx + sx);
    *y = static_cast<int>(view->cy - sy);
    if (depth != nullptr) *depth = saturate_fix16(dep);
    return 1;
}

void line(uint8_t* frame, int width, int height, int x0, int y0, int x1, int y1, uint8_t colour) {
    if (frame == nullptr || width <= 0 || height <= 0) return;
    if ((x0 < 0 && x1 < 0) || (y0 < 0 && y1 < 0) || (x0 >= width && x1 >= width) ||
        (y0 >= height && y1 >= height)) {
        return;
    }
    // Walk the major axis (x on ties); the minor coordinate at step i is
    // floor((2 * minor_run * i + major_run - 1) / (2 * major_run)), the classic Bresenham
    // rounding, so the walk may start at any step without visiting the ones before it.
    int64_t dx = static_cast<int64_t>(x1) - x0;
    int64_t dy = static_cast<int64_t>(y1) - y0;
    uint64_t adx = static_cast<uint64_t>(dx < 0 ? -dx : dx);
    uint64_t ady = static_cast<uint64_t>(dy < 0 ? -dy : dy);
    bool x_major = adx >= ady;
    int64_t a = x_major ? x0 : y0;
    int64_t b = x_major ? y0 : x0;
    uint64_t n = x_major ? adx : ady; // major run, below 2^32
    uint64_t m = x_major ? ady : adx; // minor run, at most n
    int64_t sa = (x_major ? dx : dy) < 0 ? -1 : 1;
    int64_t sb = (x_major ? dy : dx) < 0 ? -1 : 1;
    int64_t a_limit = x_major ? width : height;
    int64_t b_limit = x_major ? height : width;
    int64_t a_stride = x_major ? 1 : width;
    int64_t b_stride = x_major ? width : 1;

    // The steps whose major coordinate lies inside the frame.
    int64_t last = static_cast<int64_t>(n);
    int64_t lo, hi;
    if (sa > 0) {
        lo = a < 0 ? -a : 0;
        hi = a_limit - 1 - a < last ? a_limit - 1 - a : last;
    } else {
        lo = a > a_limit - 1 ? a - (a_limit - 1) : 0;
        hi = a < last ? a : last;
    }
    if (lo > hi) return;
    if (n == 0) {
        plot(frame, width, height, x0, y0, colour);
        return;
    }

    // The minor coordinate and error at step lo: m * lo stays below 2^64 since both are below
    // 2^32, and the remainder term below 4n.
    uint64_t product = m * static_cast<uint64_t>(lo);
    uint64_t offset = product / n;
    uint64_t rem = 2 * (product % n) + n - 1;
    if (rem >= 2 * n) {
        offset++;
        rem -= 2 * n;
    }
    a += sa * lo;
    b += sb * static_cast<int64_t>(offset);
    for (int64_t i = lo; i <= hi; i++) {
        if (b >= 0 && b < b_limit) {
            frame[a * a_stride + b * b_stride] = colour;
        } else if (sb > 0 ? b >= b_limit : b < 0) {
            break; // left the frame for good: the minor coordinate only moves one way
        }
        a += sa;
        rem += 2 * m;
        if (rem >= 2 * n) {
            rem -= 2 * n;
            b += sb;
        }
    }
}

void system_map_draw(uint8_t* frame, int width, int height, const StarSystem* system,
                     const space_pos* positions, system_view_state* view, map_point* points) {
    if (frame == nullptr || width <= 0 || height <= 0) return;
    for (int64_t i = 0, end = static_cast<int64_t>(width) * height; i < end; i++) {
        frame[i] = MAP_BACKGROUND;
    }
    if (system == nullptr) return;
    int32_t n = body_count(system);
    if (n == 0) return;

    system_map_layout(system, positions, view->scale_mode, view->layout);
    const vec3* layout = view->layout;
    int32_t focus = view->focus >= 0 && view->focus < n ? view->focus : 0;
    int32_t selected = view->selected >= 0 && view->selected < n ? view->selected : -1;
    map_view mv = map_view_make(view->yaw, view->pitch, &layout[focus], view->zoom, width, height);

    for (int32_t i = 1; i < n; i++) {
        const SystemBody* body = &system->bodies[i];
        int32_t p = parent_of(system, i);
        bool moon = body->kind == SYSTEM_MOON;
        if (moon && view->label_mode < 2 && focus != p && focus != i) continue;
        vec3 d;
        vec3_sub(&d, &layout[i], &layout[p]);
        draw_orbit(frame, width, height, &mv, &layout[p], &body->orbit, vec3_length(&d),
                   moon ? MOON_ORBIT_STEPS : PLANET_ORBIT_STEPS,
                   moon ? MAP_MOON_ORBIT : MAP_PLANET_ORBIT);
    }

    // The visible bodies, nearest first (stable on equal depth).
    shown_body shown[SYSTEM_MAX_BODIES];
    int count = 0;
    for (int32_t i = 0; i < n; i++) {
        shown_body s;
        s.index = i;
        if (!project(&mv, &layout[i], &s.x, &s.y, &s.depth)) {
            if (points != nullptr) points[i] = map_point{MAP_HIDDEN, MAP_HIDDEN};
            continue;
        }
        if (points != nullptr) points[i] = map_point{s.x, s.y};
        s.disc = body_disc(&system->bodies[i]);
        int k = count++;
        while (k > 0 && shown[k - 1].depth > s.depth) {
            shown[k] = shown[k - 1];
            k--;
        }
        shown[k] = s;
    }

    // Farthest first, so nearer discs cover farther ones.
    for (int k = count - 1; k >= 0; k--) {
        const shown_body& s = shown[k];
        const SystemBody* body = &system->bodies[s.index];
        uint8_t colour = MAP_STAR;
        if (body->kind != SYSTEM_STAR) {
            colour = static_cast<uint8_t>(MAP_BODY_TYPE + (body->type <= 11 ? body->type : 0));
        }
        fill_disc(frame, width, height, s.x, s.y, s.disc, colour);
        if (body->ring) draw_ring(frame, width, height, s.x, s.y, s.disc.h, mv.sin_pitch);
    }
    for (int k = 0; k < count; k++) {
        if (shown[k].index != selected) continue;
        brackets(frame, width, height, shown[k].x, shown[k].y, shown[k].disc.h + 3, MAP_SELECTION);
    }

    name_box placed[SYSTEM_MAX_BODIES];
    int placed_count = 0;
    for (int pass = 0; pass < 4; pass++) {
        for (int k = 0; k < count; k++) {
            const shown_body& s = shown[k];
            const SystemBody* body = &system->bodies[s.index];
            bool is_selected = s.index == selected;
            if (name_pass(body, is_selected) != pass) continue;
            if (!name_allowed(system, s.index, is_selected, view->label_mode, focus)) continue;
            int x = s.x + s.disc.h + 3;
            name_box box = {x, s.y - 3, x + text_width(body->name), s.y + 6};
            bool room = true;
            for (int j = 0; j < placed_count && !is_selected; j++) {
                if (boxes_overlap(box, placed[j])) room = false;
            }
            if (!room) continue;
            placed[placed_count++] = box;
            text_draw_shadow(frame, width, height, x, s.y - 3, body->name,
                             body->kind == SYSTEM_MOON ? MAP_TEXT : MAP_TEXT_BRIGHT, MAP_SHADOW);
        }
    }
}

int32_t system_map_pick(const map_point* points, int32_t count, int x, int y, int radius) {
    int32_t best = -1;
    int64_t best_d2 = static_cast<int64_t>(radius) * radius + 1;
    for (int32_t i = 0; i < count; i++) {
        if (points[i].x == MAP_HIDDEN) continue;
        int64_t dx = static_cast<int64_t>(points[i].x) - x;
        int64_t dy = static_cast<int64_t>(points[i].y) - y;
        int64_t d2 = dx * dx + dy * dy;
        if (d2 < best_d2) {
            best = i;
            best_d2 = d2;
        }
    }
    return best;
}

void brackets(uint8_t* frame, int width, int height, int x, int y, int s, uint8_t colour) {
    // Each mark points its two arms inward along the square's edges.
    for (int sy = -1; sy <= 1; sy += 2) {
        for (int sx = -1; sx <= 1; sx += 2) {
            int cx = x + sx * s;
            int cy = y + sy * s;
            line(frame, width, height, cx, cy, cx - sx * 2, cy, colour);
            line(frame, width, height, cx, cy, cx, cy - sy * 2, colour);
        }
    }
}

} // namespace vantrel
