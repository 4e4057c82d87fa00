// cockpit: the pilot's side of a flight - weapon mode, target, lock, shots, camera, time
// warp, autopilot switch and the short centre-screen messages - and its HUD layer.
//
// The flight loop feeds it the targets and the camera every frame, forwards key and mouse
// actions to it, ticks it and lets it draw. Shots fly in simulated time: time warp hurries
// them and a pause stops them.
#pragma once

#include <array>
#include <cstdint>

#include "core/fixmath.h"
#include "flight/autopilot.h"
#include "flight/hud.h"
#include "flight/lockon.h"
#include "render/transform.h"

namespace vantrel {

constexpr int32_t COCKPIT_MAX_TARGETS = 8;
constexpr int32_t COCKPIT_MODES = 5;
constexpr int32_t COCKPIT_MESSAGE_MS = 2500;

enum cockpit_mode : int32_t {
    COCKPIT_GUNS = 0,
    COCKPIT_IR_MISSILE = 1,
    COCKPIT_RADAR_MISSILE = 2,
    COCKPIT_CAMERA = 3,
    COCKPIT_BOMBS = 4,
};

// Message ids of the texts the cockpit shows.
enum cockpit_message : int32_t {
    MSG_MODE_GUNS = 46, // the five mode names follow in mode order
    MSG_PAUSE = 51,
    MSG_AUTOPILOT = 52,
    MSG_AUTOPILOT_HOLDING = 53,
    MSG_LOCKED = 54,
    MSG_MISSILE_AWAY = 55,
    MSG_HIT = 56,
    MSG_MISS = 57,
    MSG_PHOTO_TAKEN = 58,
    MSG_NO_TARGET = 59,
    MSG_NO_LOCK = 60,
    MSG_BOMB_AWAY = 61,
    MSG_TIME_WARP_LIMITED = 62,
    MSG_OUT_OF_RANGE = 64,
};

// The HUD colours the flight passes: normal, calm, highlight, large object, shadow.
constexpr std::array<uint8_t, 5> HUD_COLORS = {2, 3, 4, 5, 1};

// The flight loop's description of one target.
struct target_info {
    const char* name;
    const render_pose* object; // position (fix32 metres) and orientation
    vec3 velocity;
    fix16 radius;  // its integer part counts as whole metres
    int32_t large; // stations and bodies: limit the warp, own colour
};

struct cockpit {
    int32_t mode;
    int32_t target; // -1 for none
    lockon_state lock;
    int32_t locked;
    fix16 photo_hold;
    int32_t photo_taken;
    int32_t flash_ms;
    int32_t warp_requested;
    int32_t warp_level;
    int32_t warp_limit;
    int32_t autopilot;
    int32_t autopilot_holding;
    int32_t shot_active;
    int32_t shot_target;
    int32_t shot_hits;
    int32_t shot_ms;
    int32_t hit_target;
    int32_t message;
    int32_t message_ms;
    int32_t phase;
    int32_t target_count;
    vec3 view_pos[COCKPIT_MAX_TARGETS];
    hud_target proj[COCKPIT_MAX_TARGETS];
    uint32_t dist[COCKPIT_MAX_TARGETS]; // whole metres to the surface, 0 inside
    uint32_t nearest;                   // 0xFFFFFFFF with no targets
    int32_t centre_x, centre_y;
};

void cockpit_init(cockpit* c);
void cockpit_update_view(cockpit* c, const target_info* targets, int32_t count,
                         const render_pose* camera, const view_projection* projection);
void cockpit_next_mode(cockpit* c);
void cockpit_select(cockpit* c, int32_t i);
void cockpit_select_next(cockpit* c);
int cockpit_pick(cockpit* c, int32_t x, int32_t y);
void cockpit_toggle_autopilot(cockpit* c);
void cockpit_warp_step(cockpit* c, int32_t dir);
void cockpit_toggle_pause(cockpit* c);
void cockpit_fire(cockpit* c, const vec3* velocity, const view_projection* projection);
// Returns 1 on the tick a shot hits (hit_target names the target), else 0.
int cockpit_tick(cockpit* c, fix16 sim_dt, int32_t frame_ms);
int cockpit_autopilot_goal(const cockpit* c, const target_info* targets,
                           const space_local* ship_position, fix16 accel, autopilot_goal* goal);
void cockpit_draw(const cockpit* c, const hud_canvas* canvas, const target_info* targets,
                  const vec3* velocity, const view_projection* projection, const uint8_t* colours,
                  int pointer_on, int32_t pointer_x, int32_t pointer_y);

} // namespace vantrel
