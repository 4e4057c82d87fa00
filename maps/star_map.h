// star_map: the neighbourhood in 3D around the Sun: a grid of distance rings in the
// horizontal plane, the jump range and the full-tank range, each star group as a coloured disc
// with a drop line to the plane, brackets on the selection and the jump target, and names
// placed without overlap. It shares the system map's projection and lines.
#pragma once

#include <cstdint>

#include "maps/system_map.h"
#include "universe/neighbourhood.h"

namespace vantrel {

// The star map's colours by role (palette indices): background, grid, drop lines, names,
// other names, selection, jump target, jump-range circle, full-tank circle, then the stars by
// spectral class code 0..7.
constexpr int STAR_MAP_COLOURS = 17;
extern const uint8_t STAR_MAP_COLOUR_LIST[STAR_MAP_COLOURS];
// Grid steps in light years.
extern const int32_t STEPS[9];

// What the map screen keeps of the star view.
struct star_view_state {
    bangle yaw, pitch;
    fix16 zoom;
    int32_t focus;    // group index
    int32_t selected; // -1 = none
    int32_t target;   // the jump target group, -1 = none
    int32_t label_mode;
    fix16 jump_range, full_range; // light years
};

// The grid step in light years for a zoom (pixels per light year) on a screen that tall.
int32_t star_map_grid_step(fix16 zoom, int height);
void star_map_draw(uint8_t* frame, int width, int height, const StarGroup* groups, int32_t count,
                   const star_view_state* view, const uint8_t* colours, map_point* points);
// A circle of 48 segments in the plane of p and q (fix16 unit vectors) around centre; points
// that do not project break the outline; dashed draws every other segment.
void circle3(uint8_t* frame, int width, int height, const map_view* view, const vec3* centre,
             const vec3* p, const vec3* q, fix16 radius, int dashed, uint8_t colour);

} // namespace vantrel
