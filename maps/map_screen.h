// map_screen: the map screen: the home system (system map) or the neighbourhood (star map),
// turned, zoomed, selected and focused by the player, with the jump target chosen on the star
// map. One state per setting (the stand-alone screen from the main menu here, the flight's
// computer in flight/), each loaded on its first use and kept for the run.
//
// Settled here: angles come from bangle_from_deg (the system map opens pitched 35 degrees,
// the star map 30, both at yaw 0; pitch is held within 89 degrees either way); turning adds
// the input's right-button drag offset as the flight's steering does; turning and zooming are
// taken in 64 bits and clamped (zoom within [the view's minimum, 30000.0]), so no frame time
// can wrap them; F on a body whose moons all sit at its centre counts as no moons.
#pragma once

#include <cstdint>

#include "maps/star_map.h"
#include "maps/system_map.h"
#include "platform/present_amiga.h"
#include "shell/game_mode.h"
#include "universe/neighbourhood.h"
#include "universe/world_time.h"

namespace vantrel {

// The jump target's catalog star id, shared by every map state; 0xFFFFFFFF = none.
extern uint32_t g_jump_target_id;

struct map_state {
    bool loaded;
    StarSystem system;
    StarGroup groups[NEIGHBOURHOOD_GROUPS];
    int32_t group_count;
    bool star_map; // the star map is showing
    system_view_state sys;
    star_view_state star;
    map_point body_points[SYSTEM_MAX_BODIES];
    map_point group_points[NEIGHBOURHOOD_GROUPS];
    int32_t hint_ms;
    bool in_flight;
    bool lmb_was;
};

// Loads the state on its first successful call; then, every call, marks the jump target,
// places the bodies for the time, lays them out and fits the zoom to the view size. False when
// the neighbourhood cannot be loaded (the next call tries again).
bool map_init(map_state* map, int view_size, const world_time* time);
// A key press; true when the key was used.
bool map_key(map_state* map, int key, int view_size);
// Held keys, mouse turning and zooming, picking, the hint timer; dt in milliseconds.
void map_update(map_state* map, present_screen* screen, const present_input* input, int mouse_x,
                int mouse_y, int32_t dt);
// The same with the held keys given as one byte a raw key (tests and fuzzing).
void map_update_held(map_state* map, const uint8_t held[128], const present_input* input,
                     int mouse_x, int mouse_y, int32_t dt);
void map_draw(map_state* map, uint8_t* frame, int width, int height, const world_time* time,
              const char* rate_label);
// The key hint, broken at spaces into lines that fit, drawn from the bottom up.
void map_hint(uint8_t* frame, int width, int height, const char* text);

// Tracing (--trace): the next drawn page prints its texts and clock whatever the last one
// printed; a page other than a map prints its texts (joined by " | ") as a map does.
void map_trace_restart();
void map_trace_page(const char* texts);

// The stand-alone screen as a mode of the main menu.
bool map_mode_begin(const mode_request* request);
bool map_mode_step();
void map_mode_finish();

} // namespace vantrel
