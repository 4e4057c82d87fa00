// system_map: the home system as a small 3D diagram on the 8-bit frame, and the projection
// and line drawing the star map shares.
//
// Bodies are laid out in map units (astronomical units on the real scale, their square roots
// on the compressed one), orbits drawn as circles in their own planes, bodies as coloured
// discs with rings and names. The view is a yaw and a pitch about a focus point, a zoom in
// pixels per map unit and a camera 2 * width / zoom away; every product is taken in 64 bits.
#pragma once

#include <cstdint>

#include "core/fixmath.h"
#include "core/space.h"
#include "core/trig.h"
#include "universe/system.h"

namespace vantrel {

// The map palette: the interface colours at 152..163 (render/palette), then the stars by
// class and the bodies by type, 20 colours at 164..183.
constexpr int MAP_PALETTE_FIRST = 164;
constexpr int MAP_PALETTE_COUNT = 20;
extern const uint8_t MAP_PALETTE[MAP_PALETTE_COUNT][3];
// Writes the map colours, the interface ones among them, into a 256-entry RGB palette.
void map_palette_apply(uint8_t* palette768);

enum map_colour : uint8_t {
    MAP_BACKGROUND = 152,
    MAP_PLANET_ORBIT = 153,
    MAP_MOON_ORBIT = 154,
    MAP_TEXT_BRIGHT = 155,
    MAP_TEXT = 156,
    MAP_SELECTION = 157,
    MAP_STAR = 158,
    MAP_RING = 159,
    MAP_JUMP_TARGET = 160,
    MAP_HIGHLIGHT = 161,
    MAP_GRID = 162,
    MAP_SHADOW = 163,
    MAP_STAR_CLASS = 164, // + spectral class code 0..7
    MAP_BODY_TYPE = 172,  // + body type code 0..11
};

constexpr int MAP_HIDDEN = -32768;         // a projected point that is not on the screen
constexpr fix16 MAP_MAX_ZOOM = 0x75300000; // 30000.0

struct map_view {
    fix16 cos_yaw, sin_yaw, cos_pitch, sin_pitch;
    vec3 focus;
    fix16 zoom, cam_dist;
    int cx, cy;
};

struct map_point {
    int x, y;
};

// What the map screen keeps of the system view.
struct system_view_state {
    bangle yaw, pitch;
    fix16 zoom;
    int32_t focus;      // body index, 0 = the star
    int32_t selected;   // -1 = none
    int32_t scale_mode; // 0 compressed, 1 real
    int32_t label_mode; // 0..2
    fix16 fit_zoom;
    vec3 layout[SYSTEM_MAX_BODIES];
    space_pos positions[SYSTEM_MAX_BODIES];
};

// The view of yaw, pitch, focus and zoom for a frame width x height (zoom 1.0 when not above 0).
map_view map_view_make(bangle yaw, bangle pitch, const vec3* focus, fix16 zoom, int width,
                       int height);

// fix16 square root of the distance of a scaled space vector in astronomical units.
fix16 sqrt_au(const space_vec* v);
void system_map_layout(const StarSystem* system, const space_pos* positions, int32_t scale_mode,
                       vec3* layout);
fix16 system_map_fit_zoom(const StarSystem* system, const vec3* layout, int32_t half_width);
// 1 when the point is visible, with its pixel and (when asked) its depth.
int project(const map_view* view, const vec3* point, int* x, int* y, fix16* depth);
// Bresenham between two pixels, only the pixels inside the frame written.
void line(uint8_t* frame, int width, int height, int x0, int y0, int x1, int y1, uint8_t colour);
// Draws the system; points receives each body's projected point for picking.
void system_map_draw(uint8_t* frame, int width, int height, const StarSystem* system,
                     const space_pos* positions, system_view_state* view, map_point* points);
// Four corner marks of the square of half-size s around (x, y), each two 3-pixel lines.
void brackets(uint8_t* frame, int width, int height, int x, int y, int s, uint8_t colour);
// The nearest point within radius of (x, y), ties to the lower index; -1 when none.
int32_t system_map_pick(const map_point* points, int32_t count, int x, int y, int radius);

} // namespace vantrel
