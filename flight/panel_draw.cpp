// panel_draw: drawing the cockpit panel bands and everything on them.
#include "flight/panel_draw.h"

#include <cstring>

namespace vantrel {

namespace {

uint8_t* target_row(const panel_target* t, int r) {
    return r < t->top_rows ? t->top + r * t->stride : t->bottom + (r - t->top_rows) * t->stride;
}

void put(const panel_target* t, int x, int y, uint8_t colour) {
    if (x < 0 || x >= t->width || y < 0 || y >= t->rows) return;
    target_row(t, y)[x] = colour;
}

int16_t read_i16(const uint8_t* p) {
    return static_cast<int16_t>(static_cast<uint16_t>((p[0] << 8) | p[1]));
}

void write_i16(uint8_t* p, int32_t v) {
    uint16_t u = static_cast<uint16_t>(v);
    p[0] = static_cast<uint8_t>(u >> 8);
    p[1] = static_cast<uint8_t>(u);
}

uint8_t level_colour(const cockpit_panel* panel, int gauge, int level) {
    int judged = gauge == 3 ? 100 - level : level; // gauge 3 (weapons heat) reads inverted
    int step = judged >= 51 ? 12 : (judged >= 26 ? 13 : 14);
    return static_cast<uint8_t>(panel->first_colour + step);
}

void draw_gauges(const cockpit_panel* panel, const uint8_t* values, const panel_target* t) {
    for (int i = 0; i < 5; i++) {
        const panel_sprite* frame = cockpit_panel_sprite(panel, PANEL_SPRITE_GAUGE, i);
        if (!frame) continue;
        blit(t, frame, frame->x, frame->y);
        int level = values[PV_GAUGES + i] > 100 ? 100 : values[PV_GAUGES + i];
        int w = frame->w, h = frame->h;
        int m = h <= 4 ? 1 : h / 5;
        int length = ((w - 2 * m) * level) / 100;
        if (length < 1) continue;
        uint8_t colour = level_colour(panel, i, level);
        for (int y = frame->y + m; y <= frame->y + h - 1 - m; y++)
            for (int x = frame->x + m; x < frame->x + m + length; x++) put(t, x, y, colour);
    }
}

void draw_text_readout(const cockpit_panel* panel, const panel_target* t, const uint8_t* text,
                       int max_chars, int x, int y, int advance) {
    for (int i = 0; i < max_chars && text[i] != 0; i++, x += advance) {
        const char* at = std::strchr(PANEL_GLYPHS, text[i]);
        if (!at) continue; // an unknown character leaves a gap
        blit(t,
             cockpit_panel_sprite(panel, PANEL_SPRITE_GLYPH, static_cast<int>(at - PANEL_GLYPHS)),
             x, y);
    }
}

void draw_readouts(const cockpit_panel* panel, const uint8_t* values, const panel_target* t) {
    const panel_sprite* selector =
        cockpit_panel_sprite(panel, PANEL_SPRITE_SELECTOR, values[PV_SELECTOR]);
    if (selector) blit(t, selector, selector->x, selector->y);
    const panel_sprite* zero = cockpit_panel_sprite(panel, PANEL_SPRITE_GLYPH, 0);
    if (!zero) return;
    int advance = zero->w + (zero->w + 2) / 3;
    draw_text_readout(panel, t, values + PV_TEXT1, PV_TEXT2 - PV_TEXT1, zero->param[0],
                      zero->param[1], advance);
    draw_text_readout(panel, t, values + PV_TEXT2, PANEL_VALUES_SIZE - PV_TEXT2, zero->param[2],
                      zero->param[3], advance);
}

void draw_blips(const cockpit_panel* panel, const uint8_t* values, const panel_target* t,
                const panel_sprite* scope) {
    if (!scope || values[PV_RADAR_ON] == 0 || values[PV_BLIP_COUNT] == 0) return;
    int count = values[PV_BLIP_COUNT] > PANEL_MAX_BLIPS ? PANEL_MAX_BLIPS : values[PV_BLIP_COUNT];
    // Blips stay inside the scope's own rectangle.
    auto dot = [&](int x, int y, uint8_t colour) {
        if (x < scope->x || x >= scope->x + scope->w || y < scope->y || y >= scope->y + scope->h)
            return;
        put(t, x, y, colour);
    };
    for (int k = 0; k < count; k++) {
        const uint8_t* b = values + PV_BLIPS + 6 * k;
        int bx = read_i16(b), bz = read_i16(b + 2);
        int h = static_cast<int8_t>(b[4]);
        uint8_t colour = static_cast<uint8_t>(panel->first_colour + b[5]);
        int X = scope->param[0] + ((bx * scope->param[2]) >> 10);
        int Y = scope->param[1] - ((bz * scope->param[3]) >> 10);
        int dir = h > 0 ? -1 : 1; // a positive height rises up the screen
        int length = h < 0 ? -h : h;
        for (int i = 0; i <= length; i++) dot(X, Y + dir * i, colour);
        for (int dx = -1; dx <= 1; dx++) {
            dot(X + dx, Y - h - 1, colour);
            dot(X + dx, Y - h, colour);
        }
    }
}

void draw_stores(const cockpit_panel* panel, const uint8_t* values, const panel_target* t) {
    int type = values[PV_STORE_TYPE];
    const panel_sprite* icon = cockpit_panel_sprite(panel, PANEL_SPRITE_STORE, type);
    if (!icon) return;
    blit(t, icon, icon->x, icon->y);
    int tens = 10, ones = 10; // blank
    int entries = values[PV_STORE_COUNT] > 8 ? 8 : values[PV_STORE_COUNT];
    if (values[PV_STORE_COUNT] != 0) {
        int n = 0;
        for (int i = 0; i < entries; i++)
            if (values[PV_STORES + i] != 0 && values[PV_STORES + i] == type) n++;
        if (n > 9) {
            tens = ones = 9;
        } else if (n >= 1) {
            tens = 0;
            ones = n;
        }
    }
    int step = icon->param[2] == 0 ? 8 : icon->param[2];
    blit(t, cockpit_panel_sprite(panel, PANEL_SPRITE_DIGIT, tens), icon->param[0], icon->param[1]);
    blit(t, cockpit_panel_sprite(panel, PANEL_SPRITE_DIGIT, ones), icon->param[0] + step,
         icon->param[1]);
}

void draw_lit_buttons(const cockpit_panel* panel, uint32_t mask, const panel_target* t) {
    const int bottom_screen_y = PANEL_LAYOUT_HEIGHT - panel->bottom_rows;
    for (int b = 0; b < panel->button_count; b++) {
        const panel_button& button = panel->buttons[b];
        if (button.action >= 32 || !(mask & (1u << button.action))) continue;
        for (int sy = button.y0; sy <= button.y1; sy++) {
            int r = sy < panel->top_rows
                        ? sy
                        : (sy >= bottom_screen_y ? panel->top_rows + sy - bottom_screen_y : -1);
            if (r < 0 || r >= t->rows) continue;
            int x0 = button.x0 < 0 ? 0 : button.x0;
            int x1 = button.x1 >= t->width ? t->width - 1 : button.x1;
            if (x0 > x1) continue;
            std::memcpy(target_row(t, r) + x0, panel->lit + r * panel->width + x0,
                        static_cast<size_t>(x1 - x0 + 1));
        }
    }
}

} // namespace

void panel_values_set_mask(uint8_t* values, uint32_t mask) {
    for (int i = 0; i < 4; i++) values[PV_MASK + i] = static_cast<uint8_t>(mask >> (24 - 8 * i));
}

uint32_t panel_values_mask(const uint8_t* values) {
    return (uint32_t(values[0]) << 24) | (uint32_t(values[1]) << 16) | (uint32_t(values[2]) << 8) |
           values[3];
}

void panel_values_set_blip(uint8_t* values, int k, int32_t x, int32_t z, int32_t y,
                           uint8_t colour) {
    uint8_t* b = values + PV_BLIPS + 6 * k;
    write_i16(b, x / 2);
    write_i16(b + 2, z / 2);
    int32_t h = y / 128;
    b[4] = static_cast<uint8_t>(static_cast<int8_t>(h > 12 ? 12 : (h < -12 ? -12 : h)));
    b[5] = colour;
}

void panel_values_set_text(uint8_t* values, int offset, const char* text) {
    int room = (offset == PV_TEXT1 ? PV_TEXT2 : PANEL_VALUES_SIZE) - offset;
    int i = 0;
    for (; i < room - 1 && text[i] != '\0'; i++) values[offset + i] = static_cast<uint8_t>(text[i]);
    for (; i < room; i++) values[offset + i] = 0;
}

void blit(const panel_target* target, const panel_sprite* sprite, int x, int y) {
    if (!sprite || sprite->h == 0 || sprite->w == 0) return;
    for (int r = 0; r < sprite->h; r++) {
        int ty = y + r;
        if (ty < 0 || ty >= target->rows) continue;
        const uint8_t* src = sprite->pixels + r * sprite->w;
        int from = x < 0 ? -x : 0;
        int to = x + sprite->w > target->width ? target->width - x : sprite->w;
        if (from >= to) continue;
        std::memcpy(target_row(target, ty) + x + from, src + from, static_cast<size_t>(to - from));
    }
}

void cockpit_panel_draw(const cockpit_panel* panel, const uint8_t* values, uint8_t* top,
                        uint8_t* bottom, int stride) {
    int width = panel->width < stride ? panel->width : stride;
    panel_target t = {top,  bottom, stride, panel->top_rows, panel->top_rows + panel->bottom_rows,
                      width};
    for (int r = 0; r < t.rows; r++)
        std::memcpy(target_row(&t, r), panel->normal + r * panel->width,
                    static_cast<size_t>(width));
    draw_lit_buttons(panel, panel_values_mask(values), &t);
    draw_gauges(panel, values, &t);
    draw_readouts(panel, values, &t);
    const panel_sprite* scope = cockpit_panel_sprite(panel, PANEL_SPRITE_SCOPE, 0);
    if (scope) blit(&t, scope, scope->x, scope->y);
    if (values[PV_LAMP_HIDDEN] == 0) {
        const panel_sprite* lamp =
            cockpit_panel_sprite(panel, PANEL_SPRITE_LAMP, values[PV_RADAR_ON] == 0 ? 1 : 0);
        if (lamp) blit(&t, lamp, lamp->x, lamp->y);
    }
    draw_blips(panel, values, &t, scope);
    draw_stores(panel, values, &t);
    const panel_sprite* warp =
        cockpit_panel_sprite(panel, PANEL_SPRITE_READOUT, values[PV_WARP_READOUT]);
    if (warp) blit(&t, warp, warp->x, warp->y);
}

int panel_layout_y(const cockpit_panel* panel, int y, int height) {
    if (y < panel->top_rows) return y;
    int bottom_start = height - panel->bottom_rows;
    if (y >= bottom_start) return PANEL_LAYOUT_HEIGHT - panel->bottom_rows + (y - bottom_start);
    return -1; // the 3D view between the bands
}

} // namespace vantrel
