// cockpit: actions, the per-frame view and tick, the autopilot goal and the HUD layer.
#include "flight/cockpit.h"

#include <cstdio>

#include "flight/time_warp.h"
#include "render/text.h"
#include "shell/loc.h"

namespace vantrel {

namespace {

constexpr uint32_t NO_DISTANCE = 0xFFFFFFFFu;
constexpr uint32_t IR_RANGE_M = 3000;
constexpr uint32_t RADAR_RANGE_M = 8000;
constexpr uint32_t BOMB_RANGE_M = 3000;
constexpr uint32_t PHOTO_RANGE_M = 2000;
constexpr uint32_t LARGE_NEAR_M = 4999;
constexpr fix16 PHOTO_HOLD_TIME = 2 * FIX16_ONE;
constexpr int32_t PHOTO_FLASH_MS = 800;
constexpr int32_t MISSILE_SPEED = 300;
constexpr int32_t BOMB_MIN_SPEED = 30;
constexpr fix32 AUTOPILOT_REACH = fix32{30000} << 32;

void show(cockpit* c, int32_t message) {
    c->message = message;
    c->message_ms = COCKPIT_MESSAGE_MS;
}

void lock_reset(cockpit* c) {
    lockon_state_init(&c->lock);
    c->locked = 0;
    c->photo_hold = 0;
    c->photo_taken = 0;
}

int64_t abs64(int64_t v) {
    return v < 0 ? -v : v;
}

int within(const hud_target* t, int32_t cx, int32_t cy, int32_t w, int32_t h) {
    return abs64(int64_t{t->x} - cx) <= w && abs64(int64_t{t->y} - cy) <= h;
}

// Flight time in milliseconds over dist metres at speed m/s, the distance capped so the
// product stays within 32 bits.
int32_t flight_ms(uint32_t dist, int32_t speed) {
    int64_t d = dist < 2000000u ? dist : 2000000u;
    return static_cast<int32_t>(d * 1000 / speed);
}

fix32 clamp_reach(fix32 v) {
    return v > AUTOPILOT_REACH ? AUTOPILOT_REACH : v < -AUTOPILOT_REACH ? -AUTOPILOT_REACH : v;
}

void tick_lockon(cockpit* c, fix16 sim_dt) {
    const hud_target& t = c->proj[c->target];
    uint32_t range = c->mode == COCKPIT_IR_MISSILE ? IR_RANGE_M : RADAR_RANGE_M;
    int in_range = t.visible && c->dist[c->target] <= range;
    int32_t w, h;
    hud_mode_frame(c->mode, &w, &h);
    int in_frame = in_range && within(&t, c->centre_x, c->centre_y, w, h);
    lockon_tick(&c->lock, c->target + 1, in_frame, sim_dt);
    fix16 required = c->mode == COCKPIT_IR_MISSILE ? LOCKON_IR_TIME : LOCKON_RADAR_TIME;
    int was = c->locked;
    c->locked = lockon_is_locked(&c->lock, c->target + 1, required);
    if (!was && c->locked) show(c, MSG_LOCKED);
}

void tick_camera(cockpit* c, fix16 sim_dt) {
    if (c->photo_taken) return;
    const hud_target& t = c->proj[c->target];
    int framed = t.visible && c->dist[c->target] <= PHOTO_RANGE_M && t.r > 9 &&
                 within(&t, c->centre_x, c->centre_y, 56, 42);
    if (!framed) {
        c->photo_hold = 0;
        return;
    }
    int64_t hold = int64_t{c->photo_hold} + sim_dt;
    c->photo_hold = hold > FIX16_MAX ? FIX16_MAX : static_cast<fix16>(hold);
    if (c->photo_hold >= PHOTO_HOLD_TIME) {
        c->photo_taken = 1;
        c->flash_ms = PHOTO_FLASH_MS;
        show(c, MSG_PHOTO_TAKEN);
    }
}

void fire_bomb(cockpit* c, const vec3* velocity, const view_projection* projection) {
    uint32_t dist = c->dist[c->target];
    if (dist > BOMB_RANGE_M) {
        show(c, MSG_OUT_OF_RANGE);
        return;
    }
    // The bomb keeps the ship's motion: it hits when the point 1000 m ahead along the
    // velocity falls on the target's screen box.
    const hud_target& t = c->proj[c->target];
    fix16 speed = vec3_length(velocity);
    int hits = 0;
    if (speed > FIX16_ONE && velocity->z > 0 && t.visible) {
        vec3 d, ahead;
        vec3_normalize(&d, velocity);
        vec3_scale(&ahead, &d, 1000 * FIX16_ONE);
        hud_target aim_point;
        hud_project_target(&aim_point, &ahead, 0, projection);
        int32_t reach = t.r + 6;
        hits = aim_point.visible && within(&aim_point, t.x, t.y, reach, reach);
    }
    int32_t whole = speed >> 16;
    c->shot_active = 1;
    c->shot_target = c->target;
    c->shot_hits = hits;
    c->shot_ms = flight_ms(dist, whole > BOMB_MIN_SPEED ? whole : BOMB_MIN_SPEED);
    show(c, MSG_BOMB_AWAY);
}

// Whole metres of a 64-bit offset in fix32 metres, saturated just below "no distance".
// The offset is brought to 16 fractional bits and shifted right until every axis is below
// 2^30, so the sum of squares fits a signed 64-bit root; shift is how far it went.
uint32_t offset_metres(const fix32 d[3], int* shift) {
    uint64_t a[3];
    for (int k = 0; k < 3; k++) {
        uint64_t u = d[k] < 0 ? 0 - static_cast<uint64_t>(d[k]) : static_cast<uint64_t>(d[k]);
        a[k] = u >> 16;
    }
    int s = 0;
    while (((a[0] | a[1] | a[2]) >> s) >= (1ull << 30)) s++;
    uint64_t sum = 0;
    for (uint64_t v : a) sum += (v >> s) * (v >> s);
    uint64_t len = static_cast<uint32_t>(fix32_sqrt_narrow(static_cast<int64_t>(sum)));
    uint64_t m = s <= 16 ? len >> (16 - s) : len << (s - 16);
    *shift = s;
    return m < NO_DISTANCE ? static_cast<uint32_t>(m) : NO_DISTANCE - 1;
}

// A target's camera-space position and distance when it lies beyond the reach of the 16.16
// view transform (about 16 km on an axis): the offset is taken at full width, scaled down by
// the returned power of two so that its direction survives, and rotated into the camera. The
// distance is exact to the metre out to a million kilometres, within two metres beyond.
// Returns 0, writing nothing, for targets within reach.
int view_offset(vec3* out, uint32_t* metres, const render_pose* object, const render_pose* camera) {
    const fix32 d[3] = {wrap_sub64(object->pos.x, camera->pos.x),
                        wrap_sub64(object->pos.y, camera->pos.y),
                        wrap_sub64(object->pos.z, camera->pos.z)};
    int shift;
    uint32_t m = offset_metres(d, &shift);
    if (shift == 0) return 0;
    vec3 world = {static_cast<fix16>(d[0] >> (16 + shift)),
                  static_cast<fix16>(d[1] >> (16 + shift)),
                  static_cast<fix16>(d[2] >> (16 + shift))};
    mat3 ct;
    mat3_transpose(&ct, &camera->orient);
    mat3_apply(out, &ct, &world);
    *metres = m;
    return shift;
}

} // namespace

void cockpit_init(cockpit* c) {
    *c = cockpit{};
    c->target = -1;
    lock_reset(c);
    c->nearest = NO_DISTANCE;
    c->warp_requested = 1;
    c->warp_level = 1;
    c->warp_limit = TIME_WARP_MAX_LEVEL;
}

void cockpit_update_view(cockpit* c, const target_info* targets, int32_t count,
                         const render_pose* camera, const view_projection* projection) {
    c->target_count = count < 0 ? 0 : count > COCKPIT_MAX_TARGETS ? COCKPIT_MAX_TARGETS : count;
    c->centre_x = projection->centre_x;
    c->centre_y = projection->centre_y;
    if (c->target >= c->target_count) c->target = -1;

    c->nearest = NO_DISTANCE;
    int near_large = 0;
    const vec3 origin = {0, 0, 0};
    for (int32_t i = 0; i < c->target_count; i++) {
        const target_info& t = targets[i];
        uint32_t d;
        int shift = view_offset(&c->view_pos[i], &d, t.object, camera);
        if (shift == 0) {
            transform_to_view(&c->view_pos[i], &origin, t.object, camera);
            d = static_cast<uint32_t>(vec3_length(&c->view_pos[i]) >> 16);
        }
        hud_project_target(&c->proj[i], &c->view_pos[i], t.radius >> shift, projection);
        uint32_t r = static_cast<uint32_t>(t.radius >> 16);
        if (r < d) {
            c->dist[i] = d - r;
            if (c->dist[i] < c->nearest) c->nearest = c->dist[i];
            if (t.large && c->dist[i] <= LARGE_NEAR_M) near_large = 1;
        } else {
            c->dist[i] = 0;
            c->nearest = 0;
            if (t.large) near_large = 1;
        }
    }

    c->warp_limit = time_warp_limit(c->nearest, near_large);
    int32_t old = c->warp_level;
    c->warp_level = time_warp_apply_limit(c->warp_requested, c->warp_limit);
    if (c->warp_level < old && c->warp_level < c->warp_requested) show(c, MSG_TIME_WARP_LIMITED);
}

void cockpit_next_mode(cockpit* c) {
    c->mode = (c->mode + 1) % COCKPIT_MODES;
    lock_reset(c);
}

void cockpit_select(cockpit* c, int32_t i) {
    if (i >= c->target_count) {
        if (c->target >= 0) lock_reset(c);
        c->target = -1;
        c->autopilot = 0;
        return;
    }
    // Any negative index means "none"; stored as -1 so that stepping on from it starts at 0.
    if (i < 0) i = -1;
    if (i != c->target) lock_reset(c);
    c->target = i;
    if (i < 0) c->autopilot = 0;
}

void cockpit_select_next(cockpit* c) {
    if (c->target_count <= 0) return;
    int32_t next = c->target + 1;
    if (next >= c->target_count) next = 0;
    if (next != c->target) lock_reset(c);
    c->target = next;
}

int cockpit_pick(cockpit* c, int32_t x, int32_t y) {
    int32_t i = hud_pick(c->proj, c->target_count, x, y, 6);
    if (i < 0) return 0;
    cockpit_select(c, i);
    return 1;
}

void cockpit_toggle_autopilot(cockpit* c) {
    if (c->autopilot) {
        c->autopilot = 0;
    } else if (c->target < 0) {
        show(c, MSG_NO_TARGET);
    } else {
        c->autopilot = 1;
        c->autopilot_holding = 0;
        show(c, MSG_AUTOPILOT);
    }
}

void cockpit_warp_step(cockpit* c, int32_t dir) {
    int32_t next = time_warp_step(c->warp_requested, dir, TIME_WARP_MAX_LEVEL);
    if (dir > 0 && next > c->warp_limit) {
        show(c, MSG_TIME_WARP_LIMITED);
        if (c->warp_requested < c->warp_limit) c->warp_requested = c->warp_limit;
    } else {
        c->warp_requested = next;
    }
    c->warp_level = time_warp_apply_limit(c->warp_requested, c->warp_limit);
}

void cockpit_toggle_pause(cockpit* c) {
    c->warp_requested = c->warp_requested == 0 ? 1 : 0;
    c->warp_level = time_warp_apply_limit(c->warp_requested, c->warp_limit);
}

void cockpit_fire(cockpit* c, const vec3* velocity, const view_projection* projection) {
    if (c->mode == COCKPIT_GUNS || c->mode == COCKPIT_CAMERA || c->shot_active) return;
    if (c->target < 0) {
        show(c, MSG_NO_TARGET);
        return;
    }
    if (c->mode == COCKPIT_BOMBS) {
        fire_bomb(c, velocity, projection);
        return;
    }
    if (!c->locked) {
        show(c, MSG_NO_LOCK);
        return;
    }
    c->shot_active = 1;
    c->shot_target = c->target;
    c->shot_hits = 1;
    c->shot_ms = flight_ms(c->dist[c->target], MISSILE_SPEED);
    lock_reset(c);
    show(c, MSG_MISSILE_AWAY);
}

int cockpit_tick(cockpit* c, fix16 sim_dt, int32_t frame_ms) {
    if (c->message_ms > 0) c->message_ms = wrap_sub32(c->message_ms, frame_ms);
    if (c->flash_ms > 0) c->flash_ms = wrap_sub32(c->flash_ms, frame_ms);
    c->phase = wrap_add32(c->phase, frame_ms >> 4);

    if (c->shot_active) {
        // Whole milliseconds of simulated time, kept at full width: under a strong warp a
        // frame holds more than 32767 ms and a 16-bit count would run the shot backwards.
        int64_t ms = (int64_t{sim_dt} * 65536000) >> 32;
        if (ms > 0) {
            int64_t left = int64_t{c->shot_ms} - ms;
            c->shot_ms = left < INT32_MIN ? INT32_MIN : static_cast<int32_t>(left);
        }
        if (c->shot_ms <= 0) {
            c->shot_active = 0;
            if (c->shot_hits) {
                c->hit_target = c->shot_target;
                show(c, MSG_HIT);
                return 1;
            }
            show(c, MSG_MISS);
        }
    }

    if (sim_dt <= 0 || c->target < 0 || c->target >= c->target_count) return 0;
    if (c->mode == COCKPIT_IR_MISSILE || c->mode == COCKPIT_RADAR_MISSILE) tick_lockon(c, sim_dt);
    if (c->mode == COCKPIT_CAMERA) tick_camera(c, sim_dt);
    return 0;
}

int cockpit_autopilot_goal(const cockpit* c, const target_info* targets,
                           const space_local* ship_position, fix16 accel, autopilot_goal* goal) {
    if (!c->autopilot || c->target < 0) return 0;
    const target_info& t = targets[c->target];
    const space_pos& p = t.object->pos;
    goal->rel.x = fix32_narrow(clamp_reach(wrap_sub64(p.x, ship_position->x)));
    goal->rel.y = fix32_narrow(clamp_reach(wrap_sub64(p.y, ship_position->y)));
    goal->rel.z = fix32_narrow(clamp_reach(wrap_sub64(p.z, ship_position->z)));
    goal->target_velocity = t.velocity;
    goal->standoff =
        wrap_add32(static_cast<fix16>(static_cast<uint32_t>(t.radius) * 3u), 40 * FIX16_ONE);
    goal->max_speed = AUTOPILOT_MAX_SPEED;
    goal->accel = accel;
    return 1;
}

namespace {

void draw_targets(const cockpit* c, const hud_canvas* canvas, const target_info* targets,
                  const uint8_t* colours) {
    for (int32_t i = 0; i < c->target_count; i++) {
        uint8_t col = targets[i].large ? colours[HUD_LARGE] : colours[HUD_NORMAL];
        int selected = i == c->target;
        if (c->proj[i].visible) {
            char text[40];
            hud_format_distance(text, sizeof text, c->dist[i]);
            hud_draw_target(canvas, &c->proj[i], targets[i].name, text, selected,
                            c->locked && selected, col, colours);
        } else if (selected) {
            int32_t x, y, dx, dy;
            hud_edge_point(&c->proj[i], &c->view_pos[i], canvas->width, canvas->height, 10, &x, &y,
                           &dx, &dy);
            hud_draw_offscreen(canvas, x, y, dx, dy, col);
        }
    }
}

void draw_reticle(const cockpit* c, const hud_canvas* canvas, const uint8_t* colours) {
    fix16 progress = 0;
    int flag = 0;
    if (c->mode == COCKPIT_IR_MISSILE || c->mode == COCKPIT_RADAR_MISSILE) {
        fix16 required = c->mode == COCKPIT_IR_MISSILE ? LOCKON_IR_TIME : LOCKON_RADAR_TIME;
        if (c->target >= 0) progress = lockon_required_time(c->lock.time, required);
        flag = c->locked;
    } else if (c->mode == COCKPIT_CAMERA) {
        if (c->photo_taken) {
            progress = FIX16_ONE;
            flag = c->flash_ms > 0;
        } else {
            progress = fix16_div(c->photo_hold, PHOTO_HOLD_TIME);
        }
    }
    hud_draw_reticle(canvas, c->mode, progress, flag, colours);
}

void text_at(const hud_canvas* canvas, int32_t x, int32_t y, const char* text, uint8_t col,
             const uint8_t* colours) {
    text_draw_shadow(canvas->pixels, canvas->width, canvas->height, x, y, text, col,
                     colours[HUD_SHADOW]);
}

void text_right(const hud_canvas* canvas, int32_t y, const char* text, uint8_t col,
                const uint8_t* colours) {
    int32_t x = canvas->width - 4 - static_cast<int32_t>(text_width(text));
    text_at(canvas, x, y, text, col, colours);
}

void draw_texts(const cockpit* c, const hud_canvas* canvas, const uint8_t* colours) {
    int32_t mode = c->mode >= 0 && c->mode < COCKPIT_MODES ? c->mode : 0;
    text_at(canvas, 4, 4, loc(MSG_MODE_GUNS + mode), colours[HUD_NORMAL], colours);

    if (c->warp_level == 0) {
        uint8_t col = (c->phase & 16) ? colours[HUD_HIGHLIGHT] : colours[HUD_CALM];
        text_right(canvas, 4, loc(MSG_PAUSE), col, colours);
    } else {
        char factor[16];
        std::snprintf(factor, sizeof factor, "x%d",
                      static_cast<int>(time_warp_factor(c->warp_level)));
        uint8_t col = c->warp_level == 1 ? colours[HUD_CALM] : colours[HUD_HIGHLIGHT];
        text_right(canvas, 4, factor, col, colours);
    }
    if (c->autopilot) {
        const char* text = loc(c->autopilot_holding ? MSG_AUTOPILOT_HOLDING : MSG_AUTOPILOT);
        text_right(canvas, 14, text, colours[HUD_HIGHLIGHT], colours);
    }
    if (c->message_ms > 0 && c->message != 0) {
        const char* text = loc(c->message);
        int32_t x = (canvas->width - static_cast<int32_t>(text_width(text))) / 2;
        text_at(canvas, x, canvas->height / 2 + 52, text, colours[HUD_HIGHLIGHT], colours);
    }
}

} // namespace

void cockpit_draw(const cockpit* c, const hud_canvas* canvas, const target_info* targets,
                  const vec3* velocity, const view_projection* projection, const uint8_t* colours,
                  int pointer_on, int32_t pointer_x, int32_t pointer_y) {
    draw_targets(c, canvas, targets, colours);
    if (c->mode == COCKPIT_BOMBS && c->target >= 0)
        hud_draw_bomb_signal(canvas, &c->proj[c->target], c->phase, colours);
    hud_draw_velocity_marker(canvas, velocity, projection, colours);
    draw_reticle(c, canvas, colours);
    draw_texts(c, canvas, colours);
    if (pointer_on) hud_draw_pointer(canvas, pointer_x, pointer_y, colours[HUD_HIGHLIGHT]);
}

} // namespace vantrel
