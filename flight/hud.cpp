// hud: primitives, projection, hit tests, distance text and the HUD's drawings.
#include "flight/hud.h"

#include <cstdio>

#include "render/text.h"

namespace vantrel {

namespace {

// Coordinates are widened before any sum so that callers may pass anything 32-bit.
void span_h(const hud_canvas* c, int64_t x0, int64_t x1, int64_t y, uint8_t col) {
    if (x0 > x1) {
        int64_t t = x0;
        x0 = x1;
        x1 = t;
    }
    if (y < 0 || y >= c->height || x1 < 0 || x0 >= c->width) return;
    if (x0 < 0) x0 = 0;
    if (x1 >= c->width) x1 = c->width - 1;
    uint8_t* row = c->pixels + y * c->width;
    for (int64_t x = x0; x <= x1; x++) row[x] = col;
}

void span_v(const hud_canvas* c, int64_t x, int64_t y0, int64_t y1, uint8_t col) {
    if (y0 > y1) {
        int64_t t = y0;
        y0 = y1;
        y1 = t;
    }
    if (x < 0 || x >= c->width || y1 < 0 || y0 >= c->height) return;
    if (y0 < 0) y0 = 0;
    if (y1 >= c->height) y1 = c->height - 1;
    for (int64_t y = y0; y <= y1; y++) c->pixels[y * c->width + x] = col;
}

void plot64(const hud_canvas* c, int64_t x, int64_t y, uint8_t col) {
    if (x < 0 || y < 0 || x >= c->width || y >= c->height) return;
    c->pixels[y * c->width + x] = col;
}

int64_t abs64(int64_t v) {
    return v < 0 ? -v : v;
}

// Bresenham, both ends included, cut off after HUD_LINE_MAX pixels.
void line64(const hud_canvas* c, int64_t x0, int64_t y0, int64_t x1, int64_t y1, uint8_t col) {
    int64_t dx = abs64(x1 - x0), dy = -abs64(y1 - y0);
    int64_t sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int64_t err = dx + dy;
    for (int32_t n = 0; n < HUD_LINE_MAX; n++) {
        plot64(c, x0, y0, col);
        if (x0 == x1 && y0 == y1) break;
        int64_t e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
}

void corners64(const hud_canvas* c, int64_t x0, int64_t y0, int64_t x1, int64_t y1, int64_t len,
               uint8_t col) {
    if (len <= 0) return;
    int64_t a = len - 1; // each arm is len pixels including the corner
    span_h(c, x0, x0 + a, y0, col);
    span_v(c, x0, y0, y0 + a, col);
    span_h(c, x1 - a, x1, y0, col);
    span_v(c, x1, y0, y0 + a, col);
    span_h(c, x0, x0 + a, y1, col);
    span_v(c, x0, y1 - a, y1, col);
    span_h(c, x1 - a, x1, y1, col);
    span_v(c, x1, y1 - a, y1, col);
}

// Text positions far off the canvas are pinned to +-2^30: still off it, and the text
// drawing's own offsets (the shadow, each character) stay clear of the 32-bit edge.
int32_t pin_text(int64_t v) {
    constexpr int64_t FAR = int64_t{1} << 30;
    return static_cast<int32_t>(v < -FAR ? -FAR : v > FAR ? FAR : v);
}

void text_centred(const hud_canvas* c, int64_t x, int64_t y, const char* text, uint8_t col,
                  uint8_t shadow) {
    int64_t w = text_width(text);
    text_draw_shadow(c->pixels, c->width, c->height, pin_text(x - w / 2), pin_text(y), text, col,
                     shadow);
}

// The integer part of (span * p) for a fix16 fraction p.
int32_t scaled(int32_t span, fix16 p) {
    return fix16_mul(span * FIX16_ONE, p) >> 16;
}

} // namespace

void hud_plot(const hud_canvas* c, int32_t x, int32_t y, uint8_t col) {
    plot64(c, x, y, col);
}

void hud_hline(const hud_canvas* c, int32_t x0, int32_t x1, int32_t y, uint8_t col) {
    span_h(c, x0, x1, y, col);
}

void hud_vline(const hud_canvas* c, int32_t x, int32_t y0, int32_t y1, uint8_t col) {
    span_v(c, x, y0, y1, col);
}

void hud_line(const hud_canvas* c, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint8_t col) {
    line64(c, x0, y0, x1, y1, col);
}

void hud_rect(const hud_canvas* c, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint8_t col) {
    span_h(c, x0, x1, y0, col);
    span_h(c, x0, x1, y1, col);
    span_v(c, x0, y0, y1, col);
    span_v(c, x1, y0, y1, col);
}

void hud_fill(const hud_canvas* c, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint8_t col) {
    if (y0 > y1) return;
    int64_t top = y0 < 0 ? 0 : y0;
    int64_t bottom = y1 >= c->height ? int64_t{c->height} - 1 : y1;
    for (int64_t y = top; y <= bottom; y++) span_h(c, x0, x1, y, col);
}

void hud_corners(const hud_canvas* c, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t len,
                 uint8_t col) {
    corners64(c, x0, y0, x1, y1, len, col);
}

void hud_mode_frame(int32_t mode, int32_t* w, int32_t* h) {
    switch (mode) {
    case 1:
        *w = 14, *h = 14;
        break;
    case 2:
        *w = 44, *h = 26;
        break;
    case 3:
        *w = 56, *h = 42;
        break;
    default:
        *w = 0, *h = 0;
        break;
    }
}

hud_target* hud_project_target(hud_target* out, const vec3* v, fix16 radius,
                               const view_projection* p) {
    const int32_t cx = p->centre_x, cy = p->centre_y;
    if (v->z <= p->near) {
        *out = hud_target{0, 0, cx, cy, 2};
        return out;
    }
    // Close in and far off the axis the projection would overflow the screen range: the
    // target is only pinned to the side it lies on.
    int64_t off = int64_t{8} * v->z;
    if (v->z < 4096 * FIX16_ONE && (abs64(v->x) > off || abs64(v->y) > off)) {
        *out = hud_target{0, 1, v->x < 1 ? -32000 : 32000, v->y < 1 ? 32000 : -32000, 2};
        return out;
    }
    fix16 s = fix16_div(p->focal, v->z);
    int32_t x = cx + static_cast<int32_t>((int64_t{v->x} * s) >> 32);
    int32_t y = cy - static_cast<int32_t>((int64_t{v->y} * s) >> 32);
    int64_t r = (int64_t{radius} * s) >> 32;
    r = r < 2 ? 2 : r > 400 ? 400 : r;
    int visible = x >= 0 && x < 2 * cx && y >= 0 && y < 2 * cy;
    *out = hud_target{visible, 1, x, y, static_cast<int32_t>(r)};
    return out;
}

int hud_in_frame(int32_t mode, const hud_target* t, int32_t width, int32_t height) {
    int32_t w, h;
    hud_mode_frame(mode, &w, &h);
    if (w == 0 || !t->visible) return 0;
    return abs64(int64_t{t->x} - width / 2) <= w && abs64(int64_t{t->y} - height / 2) <= h;
}

int32_t hud_pick(const hud_target* targets, int32_t n, int32_t x, int32_t y, int32_t slack) {
    int32_t best = -1;
    int64_t best_d2 = 0;
    for (int32_t i = 0; i < n; i++) {
        const hud_target& t = targets[i];
        if (!t.visible) continue;
        int64_t half = int64_t{t.r} + slack;
        int64_t dx = int64_t{x} - t.x, dy = int64_t{y} - t.y;
        if (abs64(dx) > half || abs64(dy) > half) continue;
        int64_t d2 = dx * dx + dy * dy;
        if (best < 0 || d2 < best_d2) {
            best = i;
            best_d2 = d2;
        }
    }
    return best;
}

void hud_edge_point(const hud_target* t, const vec3* v, int32_t width, int32_t height,
                    int32_t margin, int32_t* x, int32_t* y, int32_t* dx, int32_t* dy) {
    const int64_t cx = width / 2, cy = height / 2;
    int64_t ux, uy;
    if (t->in_front && t->x >= -29999 && t->x < 30000) {
        ux = t->x - cx;
        uy = t->y - cy;
    } else {
        ux = v->x >> 8;
        uy = -(int64_t{v->y} >> 8);
    }
    if (ux == 0 && uy == 0) {
        *dx = 0;
        *dy = 256;
        if (cx < margin) {
            *x = margin;
            *y = static_cast<int32_t>(cy + cx - margin);
        } else {
            *x = static_cast<int32_t>(cx);
            *y = static_cast<int32_t>(2 * cy - margin);
        }
        return;
    }
    int64_t big = abs64(ux) > abs64(uy) ? abs64(ux) : abs64(uy);
    int64_t sx = ux * 256 / big, sy = uy * 256 / big;
    *dx = static_cast<int32_t>(sx);
    *dy = static_cast<int32_t>(sy);
    const int64_t ix = cx - margin, iy = cy - margin;
    // A component that is zero only reaches its branch on a canvas smaller than twice the
    // margin; the point then stays on the centre line instead of dividing by zero.
    if (abs64(sx) * iy > abs64(sy) * ix) {
        *x = static_cast<int32_t>(sx < 0 ? margin : 2 * cx - margin);
        *y = static_cast<int32_t>(sx == 0 ? cy : cy + sy * ix / abs64(sx));
    } else {
        *y = static_cast<int32_t>(sy <= 0 ? margin : 2 * cy - margin);
        *x = static_cast<int32_t>(sy == 0 ? cx : cx + sx * iy / abs64(sy));
    }
}

int hud_format_distance(char* buf, size_t size, uint32_t m) {
    if (m <= 999) return std::snprintf(buf, size, "%u m", m);
    if (m <= 99999)
        return std::snprintf(buf, size, "%d.%d km", static_cast<int>((m + 50) / 1000),
                             static_cast<int>((m + 50) / 100 % 10));
    if (m <= 2000000000u)
        return std::snprintf(buf, size, "%d km", static_cast<int>((m + 500) / 1000));
    return std::snprintf(buf, size, "%d km", 2000000);
}

void hud_draw_target(const hud_canvas* c, const hud_target* t, const char* name,
                     const char* dist_text, int selected, int locked, uint8_t col,
                     const uint8_t* colours) {
    if (!t->visible) return;
    int64_t s = int64_t{t->r} + 3;
    if (s < 6) s = 6;
    int64_t arm = selected ? 4 : 2;
    corners64(c, t->x - s, t->y - s, t->x + s, t->y + s, arm, col);
    if (locked) {
        int64_t s2 = s + 2;
        corners64(c, t->x - s2, t->y - s2, t->x + s2, t->y + s2, arm + 2, colours[HUD_HIGHLIGHT]);
    }
    if (!selected) return;
    int64_t y = t->y + s + 3;
    uint8_t shadow = colours[HUD_SHADOW];
    if (name && name[0]) {
        text_centred(c, t->x, y, name, col, shadow);
        y += 9;
    }
    if (dist_text && dist_text[0]) text_centred(c, t->x, y, dist_text, colours[HUD_CALM], shadow);
}

void hud_draw_offscreen(const hud_canvas* c, int32_t x, int32_t y, int32_t dx, int32_t dy,
                        uint8_t col) {
    int64_t bx = int64_t{x} - dx / 32, by = int64_t{y} - dy / 32;
    int64_t ox = -5 * int64_t{dy} / 256, oy = 5 * int64_t{dx} / 256;
    line64(c, x, y, bx + ox, by + oy, col);
    line64(c, x, y, bx - ox, by - oy, col);
    line64(c, bx + ox, by + oy, bx - ox, by - oy, col);
}

void hud_draw_bomb_signal(const hud_canvas* c, const hud_target* t, int32_t phase,
                          const uint8_t* colours) {
    if (!t->visible) return;
    uint8_t col = (phase & 8) ? colours[HUD_LARGE] : colours[HUD_NORMAL];
    int64_t top = int64_t{t->y} - t->r - 20;
    const int64_t x = t->x;
    for (int64_t k = 0; k < 6; k++) span_h(c, x - 6 + k, x + 6 - k, top + k, col);
    int64_t bottom = int64_t{t->y} - t->r - 1;
    for (int64_t y = top + 7; y <= bottom; y += 3) plot64(c, x, y, col);
}

void hud_draw_velocity_marker(const hud_canvas* c, const vec3* v, const view_projection* p,
                              const uint8_t* colours) {
    if (vec3_length(v) < FIX16_ONE) return;
    vec3 d;
    vec3_normalize(&d, v);
    bool retrograde = d.z <= 0;
    if (retrograde) d = vec3{-d.x, -d.y, -d.z};
    if (d.z < 8192) return; // more than about 83 degrees off the view axis
    vec3 ahead;
    vec3_scale(&ahead, &d, 1000 * FIX16_ONE);
    hud_target m;
    hud_project_target(&m, &ahead, 0, p);
    if (!m.visible) return;
    uint8_t col = colours[HUD_CALM];
    for (const hud_offset& o : HUD_RING) hud_plot(c, m.x + o.dx, m.y + o.dy, col);
    if (retrograde) {
        line64(c, m.x - 2, m.y - 2, m.x + 2, m.y + 2, col);
        line64(c, m.x - 2, m.y + 2, m.x + 2, m.y - 2, col);
    } else {
        hud_hline(c, m.x - 8, m.x - 4, m.y, col);
        hud_hline(c, m.x + 4, m.x + 8, m.y, col);
        hud_vline(c, m.x, m.y - 6, m.y - 4, col);
    }
}

void hud_draw_reticle(const hud_canvas* c, int32_t mode, fix16 progress, int flag,
                      const uint8_t* colours) {
    const int32_t x = c->width / 2, y = c->height / 2;
    const uint8_t normal = colours[HUD_NORMAL], calm = colours[HUD_CALM];
    const uint8_t high = colours[HUD_HIGHLIGHT];
    hud_hline(c, x - 9, x - 3, y, normal);
    hud_hline(c, x + 3, x + 9, y, normal);
    hud_vline(c, x, y - 9, y - 3, normal);
    hud_vline(c, x, y + 3, y + 9, normal);

    fix16 p = progress < 0 ? 0 : progress > FIX16_ONE ? FIX16_ONE : progress;
    if (mode == 1 || mode == 2) {
        int32_t w, h;
        hud_mode_frame(mode, &w, &h);
        if (mode == 1)
            hud_corners(c, x - w, y - h, x + w, y + h, 5, calm);
        else
            hud_rect(c, x - w, y - h, x + w, y + h, calm);
        // The closing marks start on the frame and reach +-6 pixels at a full lock.
        if (progress > 0) {
            int32_t dx = w - scaled(w - 6, p), dy = h - scaled(h - 6, p);
            hud_corners(c, x - dx, y - dy, x + dx, y + dy, 3, flag ? high : normal);
        }
        if (flag) hud_rect(c, x - 8, y - 8, x + 8, y + 8, high);
    } else if (mode == 3) {
        hud_corners(c, x - 56, y - 42, x + 56, y + 42, 10, normal);
        hud_hline(c, x - 3, x + 3, y, normal);
        hud_vline(c, x, y - 3, y + 3, normal);
        hud_rect(c, x - 48, y + 46, x + 48, y + 49, calm);
        int32_t filled = scaled(95, p);
        if (filled > 0) hud_fill(c, x - 47, y + 47, x - 47 + filled - 1, y + 48, high);
        if (flag) hud_rect(c, x - 54, y - 40, x + 54, y + 40, high);
    }
}

void hud_draw_pointer(const hud_canvas* c, int32_t x, int32_t y, uint8_t col) {
    for (int32_t i = 0; i < 7; i++)
        span_h(c, x, int64_t{x} + (i < 5 ? i : 7 - i), int64_t{y} + i, col);
    line64(c, int64_t{x} + 3, int64_t{y} + 5, int64_t{x} + 5, int64_t{y} + 9, col);
}

} // namespace vantrel
