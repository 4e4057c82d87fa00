// arcade_draw: the cabinet's hole, the playfield's stars, ships, shots, bursts and texts.
#include <cstdio>
#include <cstring>

#include "arcade/arcade_local.h"
#include "core/hash.h"
#include "render/fast_clear.h"
#include "render/model_draw.h"
#include "render/particles_draw.h"
#include "render/text.h"
#include "shell/loc.h"

namespace vantrel {

const mat3 ARCADE_NOSE_UP = {{FIX16_ONE, 0, 0, 0, 0, FIX16_ONE, 0, -FIX16_ONE, 0}};
const mat3 ARCADE_NOSE_DOWN = {{-FIX16_ONE, 0, 0, 0, 0, -FIX16_ONE, 0, -FIX16_ONE, 0}};

bool cabinet_hole_scan(const uint8_t* pixels, cabinet_hole* out) {
    int left = ARCADE_SCREEN_W, right = -1, top = -1, bottom = -1;
    for (int y = 0; y < ARCADE_SCREEN_H; y++) {
        const uint8_t* row = pixels + y * ARCADE_SCREEN_W;
        int first = -1, last = -1;
        for (int x = 0; x < ARCADE_SCREEN_W; x++) {
            if (row[x] != 0) continue;
            if (first < 0) first = x;
            last = x;
        }
        out->first[y] = int16_t(first);
        out->last[y] = int16_t(last);
        if (first < 0) continue;
        if (top < 0) top = y;
        bottom = y;
        if (first < left) left = first;
        if (last > right) right = last;
    }
    out->left = left;
    out->top = top;
    out->width = right - left + 1;
    out->height = bottom - top + 1;
    return top >= 0;
}

void cabinet_hole_plain(cabinet_hole* out) {
    out->left = 82;
    out->top = 23;
    out->width = SHOOTER_WIDTH;
    out->height = SHOOTER_HEIGHT;
    for (int y = 0; y < ARCADE_SCREEN_H; y++) {
        bool inside = y >= out->top && y < out->top + out->height;
        out->first[y] = int16_t(inside ? out->left : -1);
        out->last[y] = int16_t(inside ? out->left + out->width - 1 : -1);
    }
}

namespace {

constexpr int LINE_CHARS = 63;

// The length of the next line of p (at most 63 characters) and where the line after it starts.
int next_line(const char* p, int max_width, const char** rest) {
    int len = 0, space_at = -1;
    while (p[len] && len < LINE_CHARS && (len + 1) * 8 <= max_width) {
        if (p[len] == ' ') space_at = len;
        len++;
    }
    if (!p[len]) {
        *rest = p + len;
        return len;
    }
    if (p[len] == ' ') space_at = len; // the whole width fits up to a space
    if (space_at > 0) {
        *rest = p + space_at + 1;
        return space_at;
    }
    *rest = p + (len > 0 ? len : 1);
    return len > 0 ? len : 1;
}

} // namespace

int arcade_text(uint8_t* frame, int width, int height, int y, const char* text, uint8_t colour) {
    const char* p = text;
    while (*p) {
        const char* rest;
        int len = next_line(p, width - 3, &rest);
        char line[LINE_CHARS + 1];
        std::snprintf(line, sizeof line, "%.*s", len, p);
        text_draw_shadow(frame, width, height, (width - text_width(line)) / 2, y, line, colour, 95);
        y += 10;
        p = rest;
    }
    return y;
}

void arcade_stars_init(arcade_state* a) {
    uint32_t r = 625341585u;
    auto next = [&r] { return r = xorshift32(r); };
    const uint32_t w = uint32_t(a->view.width), h = uint32_t(a->view.height);
    for (int i = 0; i < ARCADE_STARS; i++) {
        arcade_star& s = a->stars[i];
        s.x = int16_t(next() % w);
        s.y = (next() % h) << 16;
        s.colour = uint8_t(90 + i % 3);
    }
}

namespace {

constexpr fix16 px(int32_t pixels) {
    return fix16(uint32_t(pixels) << 16);
}

// Playfield (x, y) in the view space of a ship whose pixels are s model units.
vec3 view_point(fix16 x, fix16 y, fix16 s) {
    return vec3{fix16_mul(wrap_sub32(x, px(78)), s), fix16_mul(wrap_sub32(px(105), y), s),
                fix16(uint32_t(s) << 8)};
}

space_pos to_space(const vec3& v) {
    return space_pos{int64_t(v.x) * 65536, int64_t(v.y) * 65536, int64_t(v.z) * 65536};
}

// Along the velocity (screen y down) once it is 8 px/s or more.
mat3 heading(fix16 vx, fix16 vy) {
    vec3 v = {vx, wrap_sub32(0, vy), 0};
    if (vec3_length(&v) < px(8)) return ARCADE_NOSE_DOWN;
    vec3 f;
    vec3_normalize(&f, &v);
    // Columns right, up (towards the viewer), forward: right = up x forward = (f.y, -f.x, 0).
    return mat3{{f.y, 0, f.x, wrap_sub32(0, f.x), 0, f.y, 0, -FIX16_ONE, 0}};
}

void draw_ship(arcade_view* v, const arcade_ship* ship, fix16 x, fix16 y, const mat3& orient) {
    const drawable* d = ship->model;
    render_pose pose = {to_space(view_point(x, y, ship->scale)), orient};
    int level = drawable_pick_lod(d, &pose.pos, &v->camera.pos);
    if (level < 0 || level >= d->mdl.level_count) return;
    // A point far off to the upper left, in front, that lights every face.
    constexpr fix16 LIGHT = 37837 * 4096; // 4096 m along (-1, 1, -1) / sqrt 3
    vec3 c = view_point(x, y, ship->scale);
    vec3 light = {wrap_sub32(c.x, LIGHT), wrap_add32(c.y, LIGHT), wrap_sub32(c.z, LIGHT)};
    draw_model(v->playfield, v->depth, v->width, v->height, &d->mdl.levels[level],
               d->normals[level], d->radius[level], &pose, &v->camera, &v->vp, &v->slopes,
               v->shade_mode, &light, ship->base, 4, v->spans, d->planes[level]);
}

const arcade_ship* enemy_ship(const arcade_state* a, int kind) {
    return &a->ships[SHIP_KIND0 + kind];
}

void draw_enemies(arcade_state* a) {
    for (const shooter_enemy& e : a->game.enemies) {
        if (e.state == ENEMY_WAITING || e.state == ENEMY_DEAD) continue;
        mat3 orient = e.state == ENEMY_FORMATION ? ARCADE_NOSE_DOWN : heading(e.vx, e.vy);
        draw_ship(&a->view, enemy_ship(a, e.kind), e.x, e.y, orient);
    }
}

void draw_player(arcade_state* a) {
    const shooter_game& g = a->game;
    if (g.game_over) return;
    if (g.invuln_ms > 0 && (g.invuln_ms & 0x80) == 0) return; // blinking
    draw_ship(&a->view, &a->ships[SHIP_PLAYER], g.player_x, px(SHOOTER_PLAYER_Y), ARCADE_NOSE_UP);
}

void draw_lives(arcade_state* a) {
    int icons = a->game.lives < 5 ? a->game.lives : 5;
    for (int i = 0; i < icons; i++)
        draw_ship(&a->view, &a->ships[SHIP_ICON], px(147 - 10 * i), px(17), ARCADE_NOSE_UP);
}

void put_block(arcade_view* v, int x, int y, int w, int h, uint8_t colour) {
    for (int row = y; row < y + h; row++)
        for (int col = x; col < x + w; col++)
            if (row >= 0 && row < v->height && col >= 0 && col < v->width)
                v->playfield[row * v->width + col] = colour;
}

void draw_shots(arcade_state* a) {
    arcade_view* v = &a->view;
    for (const shooter_shot& s : a->game.shots)
        if (s.active) put_block(v, v->origin_x + (s.x >> 16), v->origin_y + (s.y >> 16), 1, 4, 255);
    for (const shooter_shot& s : a->game.enemy_shots)
        if (s.active) put_block(v, v->origin_x + (s.x >> 16), v->origin_y + (s.y >> 16), 2, 2, 94);
}

void move_and_draw_stars(arcade_state* a, int32_t dt) {
    static const uint32_t SPEED[3] = {14, 34, 54}; // pixels per 1024 ms
    arcade_view* v = &a->view;
    const uint32_t bottom = uint32_t(v->height) << 16;
    for (int i = 0; i < ARCADE_STARS; i++) {
        arcade_star& s = a->stars[i];
        s.y += SPEED[i % 3] * uint32_t(dt) * 64u;
        while (s.y >= bottom) s.y -= bottom;
        v->playfield[int(s.y >> 16) * v->width + s.x] = s.colour;
    }
}

void draw_texts(arcade_state* a) {
    arcade_view* v = &a->view;
    const shooter_game& g = a->game;
    char text[64];
    std::snprintf(text, sizeof text, loc(90), static_cast<unsigned long>(g.score));
    arcade_text(v->playfield, v->width, v->height, v->origin_y + 3, text, 255);
    std::snprintf(text, sizeof text, loc(91), g.wave);
    text_draw(v->playfield, v->width, v->height, v->origin_x + 6, v->origin_y + 13, text, 93);
    int mid = v->height / 2;
    if (g.game_over) {
        int y = arcade_text(v->playfield, v->width, v->height, mid - 24, loc(93), 94);
        std::snprintf(text, sizeof text, loc(94), static_cast<unsigned long>(g_arcade_best));
        y = arcade_text(v->playfield, v->width, v->height, y, text, 255);
        arcade_text(v->playfield, v->width, v->height, y, loc(95), 93);
    } else if (a->game_ms < 3000) {
        int y = arcade_text(v->playfield, v->width, v->height, mid - 20, loc(88), 94);
        arcade_text(v->playfield, v->width, v->height, y, loc(89), 93);
    }
}

void burst(arcade_state* a, const shooter_effect& e, const arcade_ship* ship, int count,
           int speed_px, uint16_t lifetime, uint8_t ramp) {
    fix16 s = ship->scale;
    vec3 centre = view_point(e.x, e.y, s);
    const vec3 still = {0, 0, 0};
    int size = s >> 15; // two pixels
    particles_burst(&a->fx, particles_hash(++a->bursts), count, &centre, &still,
                    fix16_mul(px(speed_px), s), FIX16_ONE, lifetime, ramp,
                    uint8_t(size < 1     ? 1
                            : size > 255 ? 255
                                         : size));
}

} // namespace

void arcade_bursts(arcade_state* a) {
    for (int i = 0; i < a->game.effect_count; i++) {
        const shooter_effect& e = a->game.effects[i];
        if (e.kind == EFFECT_ENEMY_HIT) burst(a, e, enemy_ship(a, e.param), 8, 40, 300, 0);
        if (e.kind == EFFECT_ENEMY_KILLED) burst(a, e, enemy_ship(a, e.param), 30, 60, 700, 1);
        if (e.kind == EFFECT_PLAYER_HIT) burst(a, e, &a->ships[SHIP_PLAYER], 30, 60, 700, 1);
    }
}

void arcade_draw(arcade_state* a, int32_t dt) {
    arcade_view* v = &a->view;
    const uint32_t pixels = uint32_t(v->width * v->height);
    depth_frame_begin(&g_depth_frame, v->depth, pixels);
    fast_clear_frame(v->playfield, pixels, 0);
    move_and_draw_stars(a, dt);
    draw_enemies(a);
    draw_player(a);
    particles_update(&a->fx, uint32_t(dt));
    particles_draw(&a->fx, FX_RAMPS, &v->camera, &v->vp, &g_depth_frame, v->playfield, v->depth,
                   v->width, v->height);
    draw_shots(a);
    draw_texts(a);
    draw_lives(a);
}

} // namespace vantrel
