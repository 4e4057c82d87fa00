// hud: the clipped vector overlay of the flight view and the geometry behind it.
//
// Every primitive clips to the canvas and writes nothing outside it, whatever coordinates
// it is given. Colours passed as `colours` are the five-entry table normal, calm,
// highlight, large object, shadow; a single `col` is a palette index.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "core/fixmath.h"
#include "render/transform.h"

namespace vantrel {

// The frame the HUD draws on: row-major palette indices, width is also the stride.
struct hud_canvas {
    uint8_t* pixels;
    int32_t width;
    int32_t height;
};

// A target as it appears on screen.
struct hud_target {
    int32_t visible;  // on the screen
    int32_t in_front; // ahead of the camera
    int32_t x, y;     // pixels (pinned at +-32000 when far off the axis)
    int32_t r;        // screen radius, 2..400
};

enum hud_colour : uint8_t {
    HUD_NORMAL = 0,
    HUD_CALM = 1,
    HUD_HIGHLIGHT = 2,
    HUD_LARGE = 3,
    HUD_SHADOW = 4,
};

struct hud_offset {
    int8_t dx, dy;
};
// The ring of the velocity marker.
constexpr std::array<hud_offset, 8> HUD_RING = {
    {{0, -3}, {2, -2}, {3, 0}, {2, 2}, {0, 3}, {-2, 2}, {-3, 0}, {-2, -2}}};

// The longest line hud_line draws, in pixels.
constexpr int32_t HUD_LINE_MAX = 2048;

void hud_plot(const hud_canvas* c, int32_t x, int32_t y, uint8_t col);
void hud_hline(const hud_canvas* c, int32_t x0, int32_t x1, int32_t y, uint8_t col);
void hud_vline(const hud_canvas* c, int32_t x, int32_t y0, int32_t y1, uint8_t col);
void hud_line(const hud_canvas* c, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint8_t col);
void hud_rect(const hud_canvas* c, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint8_t col);
void hud_fill(const hud_canvas* c, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint8_t col);
void hud_corners(const hud_canvas* c, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t len,
                 uint8_t col);

// Half-width and half-height of a weapon mode's framing box; 0 x 0 for modes without one.
void hud_mode_frame(int32_t mode, int32_t* w, int32_t* h);
hud_target* hud_project_target(hud_target* out, const vec3* v, fix16 radius,
                               const view_projection* p);
int hud_in_frame(int32_t mode, const hud_target* t, int32_t width, int32_t height);
// The visible target whose box (radius + slack) holds the point, nearest centre first.
int32_t hud_pick(const hud_target* targets, int32_t n, int32_t x, int32_t y, int32_t slack);
// Where an arrow toward a target that is not on screen goes, and which way it points
// (the larger direction component is +-256).
void hud_edge_point(const hud_target* t, const vec3* v, int32_t width, int32_t height,
                    int32_t margin, int32_t* x, int32_t* y, int32_t* dx, int32_t* dy);
// "%u m", "%d.%d km" (to 100 m) or "%d km"; returns what snprintf returns.
int hud_format_distance(char* buf, size_t size, uint32_t metres);

void hud_draw_target(const hud_canvas* c, const hud_target* t, const char* name,
                     const char* dist_text, int selected, int locked, uint8_t col,
                     const uint8_t* colours);
void hud_draw_offscreen(const hud_canvas* c, int32_t x, int32_t y, int32_t dx, int32_t dy,
                        uint8_t col);
void hud_draw_bomb_signal(const hud_canvas* c, const hud_target* t, int32_t phase,
                          const uint8_t* colours);
void hud_draw_velocity_marker(const hud_canvas* c, const vec3* v, const view_projection* p,
                              const uint8_t* colours);
void hud_draw_reticle(const hud_canvas* c, int32_t mode, fix16 progress, int flag,
                      const uint8_t* colours);
void hud_draw_pointer(const hud_canvas* c, int32_t x, int32_t y, uint8_t col);

} // namespace vantrel
