// scenery: what moves in the flight scene by script: spinning station and decoys, bodies
// turning on their axes, ships docking at the station with its bay doors, and the mouse
// pointer drawn over the frame.
#pragma once

#include <cstdint>

#include "core/fixmath.h"
#include "core/trig.h"
#include "universe/world_time.h"

namespace vantrel {

// Rotations applied once per simulation tick while time runs, then re-squared.
constexpr mat3 STATION_SPIN_STEP = {
    {65528, 0, 1029, 0, 65536, 0, -1029, 0, 65528}}; // 0.9 deg about Y
constexpr mat3 DECOY0_SPIN_STEP = {
    {65531, 0, 824, 0, 65536, 0, -824, 0, 65531}}; // 0.72 deg about Y
constexpr mat3 DECOY1_SPIN_STEP = {{65536, 0, 0, 0, 65530, -915, 0, 915, 65530}}; // 0.8 deg about X
constexpr mat3 DECOY2_SPIN_STEP = {{65532, -686, 0, 686, 65532, 0, 0, 0, 65536}}; // 0.6 deg about Z

// Facing along -x (the docking ships fly into the bay) and along +z (the passing ship).
// Models point their nose along +z (column 2 of an orientation is the forward axis), so
// the ship flying towards -x turns its forward column to -x, not merely its right side.
constexpr mat3 NOSE_MINUS_X = {{0, 0, -65536, 0, 65536, 0, 65536, 0, 0}};
constexpr mat3 NOSE_PLUS_Z = IDENTITY;

// How a body turns: a period in minutes (0 = fixed at its phase), the angle at the epoch,
// and the axis tilt about X turned about Y by the tilt direction.
struct spin_record {
    uint32_t period;
    bangle phase;
    bangle tilt;
    bangle tilt_direction;
};

constexpr spin_record EARTH_SPIN = {1436, 0, 279650093, 0}; // tilt 23.44 deg
constexpr spin_record MOON_SPIN = {39343, 0, 0, 0};

// One spin step: orientation = orthonormalize(orientation * step).
void spin_step(mat3* orientation, const mat3* step);
// out = Ry(tilt direction) * Rx(tilt) * Ry(angle of the spin at the time).
void spin_orientation(mat3* out, const spin_record* spin, const world_time* time);

constexpr int DOCK_SHIPS = 3;

// Placements of the scripted docking traffic, positions in fix32 metres.
struct dock_scene {
    fix32 ship_pos[DOCK_SHIPS][3];
    int ship_in_flight[DOCK_SHIPS];
    fix16 ship_remaining[DOCK_SHIPS]; // 1.0 waiting outside .. 0 docked
    fix32 door_pos[2][3];
    fix16 door_opening; // 0 shut .. 1.0 open
    fix32 mover_pos[3];
};

void dock_scene_objects(uint32_t time_ms, dock_scene* out);

// The arrow pointer with its tip at (x, y), clipped to a frame of stride x height pixels.
void draw_arrow_pointer(uint8_t* frame, int stride, int height, int x, int y);

} // namespace vantrel
