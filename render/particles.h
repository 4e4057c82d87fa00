// particles: a fixed pool of small coloured squares (sparks, debris, exhaust) that fly in
// straight lines, age through a colour ramp and die.
//
// Live particles occupy entries 0 .. count-1 of a caller-owned pool; a dying particle takes
// the last live one into its slot, so the pool never has holes and nothing is allocated.
#pragma once

#include <cstdint>

#include "core/fixmath.h"

namespace vantrel {

struct particle {
    vec3 position;             // narrowed world coordinates, like the camera's
    vec3 velocity;             // fix16 units per second
    uint16_t age;              // milliseconds
    uint16_t lifetime;         // milliseconds, never 0
    uint16_t inverse_lifetime; // min((lifetime + 65535) / lifetime, 65535)
    uint8_t ramp;              // index into the colour ramps
    uint8_t size;              // world size; 0 = always one pixel
};

struct particles {
    particle* pool;
    int capacity;
    int limit; // how many may live at once (the particle-count setting)
    int count;
};

// A colour ramp: its first palette index and its length.
struct particle_ramp {
    uint8_t first;
    uint8_t length;
};

// The effect colours at the top of the game palette: sparks (248..251) and embers (252..254).
constexpr particle_ramp FX_RAMPS[2] = {{248, 4}, {252, 3}};

constexpr int PARTICLES_GAME_CAPACITY = 160;

uint32_t particles_hash(uint32_t x);
void particles_init(particles* system, particle* pool, int capacity);
int particles_emit(particles* system, const vec3* position, const vec3* velocity, uint16_t lifetime,
                   uint8_t ramp, uint8_t size);
void particles_burst(particles* system, uint32_t seed, int count, const vec3* centre,
                     const vec3* direction, fix16 speed, fix16 spread, uint16_t lifetime,
                     uint8_t ramp, uint8_t size);
void particles_update(particles* system, uint32_t elapsed_ms);
uint8_t particle_color(const particle* p, const particle_ramp* ramps);

} // namespace vantrel
