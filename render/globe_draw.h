// globe_draw: planets and moons as textured, lit, dithered discs, drawn back to front.
//
// Each frame the caller collects its visible globes into a list; the list is sorted far to
// near and drawn before the models. A globe is depth-tested only when something may overlap
// it in depth; otherwise its pixels are simply written.
#pragma once

#include <array>
#include <cstdint>

#include "render/globe.h"
#include "render/span.h"
#include "render/transform.h"

namespace vantrel {

// GLOBE_SQRT[i] = round(16384 * sqrt(1 - i / 255)): the sphere's depth (1.0 = 16384) at a
// squared radial distance of i / 255.
extern const std::array<uint16_t, 256> GLOBE_SQRT;
// GLOBE_ASIN[i] = floor(128 - 256 * asin((i - 127.5) / 128) / pi): the latitude row
// (0 = north) of a normal whose vertical component is (i - 127.5) / 128.
extern const std::array<uint8_t, 256> GLOBE_ASIN;
// GLOBE_ATAN[i * 128 + j] = floor(atan2(63.5 - i, j - 63.5) * 128 / pi) mod 256: the
// longitude in 256ths of a turn from the two horizontal components.
extern const std::array<uint8_t, 128 * 128> GLOBE_ATAN;
// The 4 x 4 ordered-dither (Bayer) matrix, row by row.
extern const std::array<uint8_t, 16> DITHER;

constexpr int GLOBE_MAX_RADIUS = 4000;

struct globe_item {
    const globe_texture* texture;
    render_pose pose;       // the body's position and orientation
    uint16_t colour_offset; // 0
    fix16 near;             // distance to the camera minus the radius
    fix16 far;              // distance to the camera plus the radius
};

// Everything the disc drawer needs, prepared once per globe per frame.
struct prepared_globe {
    int centre_x, centre_y;
    int radius;            // pixels, 1 .. 4000
    int32_t depth;         // the centre's depth value, used for every pixel
    int32_t to_texture[9]; // view space -> texture frame, 2.14
    int32_t light[3];      // direction to the star in view space, 2.14
    int coarse;            // 0 every pixel, 1 every second pixel, 2 also every second row
};

// Appends an item unless the list is full; returns 1 when added.
int globe_item_add(globe_item* list, int* count, int capacity, const globe_texture* texture,
                   const render_pose* body, const render_pose* camera);

// Sorts the items far to near and draws them; returns the pixels written. The globe
// setting is the resolved graphics value (1: coarse, 2: automatic, other: full detail).
uint32_t draw_globes_back(uint8_t* frame, int32_t* depth, int width, int height, globe_item* items,
                          int count, fix16 overlap_distance, const render_pose* camera,
                          const view_projection* vp, const depth_frame* df, int globe_setting);

// Draws one prepared disc; depth may be null (no test, no write). Returns pixels written.
uint32_t globe_draw(uint8_t* frame, int32_t* depth, int width, int height,
                    const globe_texture* texture, const prepared_globe* globe);

} // namespace vantrel
