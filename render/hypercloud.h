// hypercloud: the procedural hyperspace cloud, its size envelope, palette block and drawing.
//
// A ship entering or leaving hyperspace in a scene is wrapped in a flat burst of arcs, rings
// and tendrils around a dark hole. Nothing of it is stored: every shape is a hash_fold of the
// cloud's 64-bit seed and a fixed key tuple, rebuilt each frame from the time, so the same
// seed always gives the same cloud. The cloud swells to 1.3 in 0.7 s, settles to 1.0 by
// 2.5 s, then shrinks to nothing at the end; over the last 30 % of its life a fade fraction
// climbs from 0 to 1 and every element whose own hash lies below it is left out, so the
// cloud dissolves piece by piece while the hole closes.
//
// Shapes by style (radii in units of the cloud's size, before the envelope):
// - style 0, ring layout 0: five full rings at 0.30 + 0.13 r (r = 0..4), each 0.05 + 0.03 h
//   wide (h a hash fraction), breathing by up to 0.04 and turning at a hashed speed whose
//   direction alternates ring by ring, split into 12 + 4 r quads in ramp colours that dim
//   outwards; 12 spark flecks (short bright arcs) on hashed radii; a hole of radius 0.20,
//   12 segments, jitter 0.3.
// - style 1, ring layout 1: seven broken rings at 0.28 + 0.09 r, each made of 3 to 5 arcs
//   (hashed count) that cover 40 % to 90 % of their share of the turn, 0.04 wide, every
//   other ring against the clock, colour hashed per arc; a hole of radius 0.24, 14
//   segments, jitter 0.4.
// - style 2: 16 swirling arcs (radius 0.30 .. 0.85, 0.04 .. 0.12 wide, 45 to 135 degrees,
//   4 quads each) whose angle advances with t; 6 + (hash mod 5) tendrils, each a strip of
//   6 quads from radius 0.20 to 0.75 .. 1.05 curling by up to 60 degrees either way and
//   tapering from 0.05 to a point, with two thinner side tendrils of 4 quads leaving it at
//   its second and fourth joints; a hole of radius 0.22, 16 segments, jitter 0.25.
// - style 3: bands of 20, 16, 12 and 8 segments, outer radius 0.95, each band 0.17 further
//   in and 0.14 wide, alternately turning, each segment two quads in the next rainbow hue;
//   a hole of radius 0.25, 9 segments, jitter 0.6.
#pragma once

#include <cstdint>

#include "core/fixmath.h"
#include "render/transform.h"

namespace vantrel {

// A point in the cloud's own plane, relative to its centre (1.0 = the cloud's size).
struct cloud_point {
    fix16 x, y;
};

struct cloud_triangle {
    cloud_point v[3];
    uint8_t colour; // offset 0-15 into the cloud's palette block
};

constexpr int HYPERCLOUD_CAPACITY = 512;
// Block entries: 0 black, 1-12 the ramp, 13-15 the sparks.
constexpr int HYPERCLOUD_COLOURS = 16;

// The size envelope at t of a cloud lasting duration (milliseconds): 0 at and after the end.
fix16 hypercloud_scale(uint32_t t, uint32_t duration);
// The 16-entry RGB block (48 bytes) of a style (0-3, others are taken mod 4) and variant.
void hypercloud_palette(int style, int variant, uint8_t out[HYPERCLOUD_COLOURS * 3]);
// The cloud's triangles at t; returns how many were written, never more than capacity.
int hypercloud_build(int style, int variant, uint32_t seed_high, uint32_t seed, uint32_t t,
                     uint32_t duration, cloud_triangle* out, int capacity);
// Draws the built cloud facing the camera around object's position, size world units per
// cloud unit, without depth, in palette entries (palette_offset + colour) mod 256. Returns
// the triangles that reached the frame.
int hypercloud_draw(uint8_t* frame, int width, int height, const cloud_triangle* triangles,
                    int count, const render_pose* object, fix16 size, const render_pose* camera,
                    const view_projection* projection, uint8_t palette_offset);

} // namespace vantrel
