// globe: the textures of planets and moons drawn as lit spheres, and the cache that loads them.
//
// A globe texture is a longitude x latitude map (row 0 the north pole, column 0 longitude 0)
// whose bytes are palette indices. So that the drawer can light a texel with nothing but an
// addition, every texel is written as one shade of one of the game palette's six 8-shade ramps
// (152 + 8 r + s, r = 0..5, s = 0..7):
//
//   texel classes, by ramp r:  0 deep ocean (25,70,170)   1 vegetation (50,135,60)
//                              2 ice and cloud (235,238,245)   3 desert, rock (150,120,75)
//                              4 shallow sea (60,130,200)   5 bare regolith (95,95,100)
//   top shade s: the shade the texel shows in full light (its albedo within the ramp).
//
// Shade rule: with the light at a pixel turned into a level L = 0 (unlit) .. 7 (full light),
// the pixel's colour is 152 + 8 r + max(0, s + L - 7). Full light shows the texel as stored,
// each step less light darkens it by one shade, and the night side keeps the ramp's darkest
// shade (152 + 8 r). Texels outside 152..199 are shown unlit as they are.
#pragma once

#include <cstdint>

namespace vantrel {

constexpr uint8_t GLOBE_RAMP_FIRST = 152; // first index of the six 8-shade ramps
constexpr int GLOBE_RAMP_COUNT = 6;
constexpr int GLOBE_SHADES = 8;
constexpr int GLOBE_CACHE_SLOTS = 16;

// Texel classes (the ramp index r above).
enum globe_class : uint8_t {
    GLOBE_DEEP_OCEAN = 0,
    GLOBE_VEGETATION = 1,
    GLOBE_ICE = 2,
    GLOBE_DESERT = 3,
    GLOBE_SHALLOW = 4,
    GLOBE_REGOLITH = 5,
};

struct globe_texture {
    uint16_t width;        // a power of two
    uint16_t shift;        // log2(width)
    uint16_t height;       // at least 1
    uint32_t radius;       // metres
    const uint8_t* pixels; // width x height, inside the file buffer
};

// Parses a ".globe" file in place; the buffer must outlive the texture. 1 on success, 0 on
// any failure (the texture is then cleared).
int globe_texture_parse(const uint8_t* data, uint32_t size, globe_texture* out);

// The texel of class r with top shade s.
constexpr uint8_t globe_texel(int ramp, int top) {
    return static_cast<uint8_t>(GLOBE_RAMP_FIRST + GLOBE_SHADES * ramp + top);
}

// The colour a texel shows at light level 0..7 (the shade rule above).
uint8_t globe_shade(uint8_t texel, int light);

// The texture for a body name ("PROGDIR:<name>.globe"), loaded once per run; none when the
// file is missing or broken (remembered, not retried) or when all 16 slots are taken.
const globe_texture* globe_lookup(const char* name);

// Empties the cache and frees its buffers (for tests and program end).
void globe_cache_clear();

} // namespace vantrel
