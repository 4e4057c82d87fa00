// anim: keyframed animation clips (the "ANIM" block) and sampling a track at a clip time.
//
// A clip holds one track per animated thing, found by its 32-bit id. A track's keys ascend
// by time; a time is a 16.16 count of 20 ms ticks (50 per second). Key positions are 32.32
// metres in a space_pos, as the renderer's poses hold them; orientations are fix16 matrices.
#pragma once

#include <cstdint>

#include "core/fixmath.h"
#include "core/save.h"
#include "core/space.h"

namespace vantrel {

struct anim_key {
    int32_t time;  // 16.16 ticks of 20 ms
    space_pos pos; // 32.32 metres per axis
    mat3 orient;
};

struct anim_track {
    uint32_t id;
    uint32_t key_count; // at least 1
    anim_key* keys;
};

// Either owns its tracks and keys (loaded) or borrows them (a view); only the owner frees.
struct anim_clip {
    anim_track* tracks;
    uint32_t track_count;
};

struct anim_pose {
    space_pos pos;
    mat3 orient;
};

constexpr uint32_t ANIM_MAGIC = save_magic("ANIM");
constexpr uint16_t ANIM_VERSION = 1;
// On-disk sizes: a key is time, three i64 and nine i32; a track is id, count and a key.
constexpr uint32_t ANIM_KEY_BYTES = 4 + 3 * 8 + 9 * 4;
constexpr uint32_t ANIM_TRACK_MIN_BYTES = 8 + ANIM_KEY_BYTES;

// The clips' models point their noses along +x, the renderer's along +z: this turns +z
// into +x, so a sampled orientation times it places a model the way the clip means.
constexpr mat3 NOSE_X_TO_Z = {{0, 0, FIX16_ONE, 0, FIX16_ONE, 0, -FIX16_ONE, 0, 0}};

// Reads one "ANIM" block at the reader's position. On failure nothing stays allocated and
// the clip is empty. Refuses counts whose records cannot fit in the bytes left, zero key
// counts and keys whose times go backwards.
int anim_clip_load(anim_clip* clip, save_reader* r);
// Bytes anim_clip_save writes (64-bit: a borrowed clip may be of any size).
uint64_t anim_clip_save_size(const anim_clip* clip);
// Writes the block in the layout anim_clip_load reads; 1 when every byte fitted.
int anim_clip_save(const anim_clip* clip, save_writer* w);
// The first track with that id, or null.
const anim_track* anim_clip_find_track(const anim_clip* clip, uint32_t id);
void anim_clip_owned_free(anim_clip* clip);
// A borrowing copy (same pointer and count) for a user that must not free it.
anim_clip anim_clip_owned_view(const anim_clip* clip);

void sample_keyframe(anim_pose* out, const anim_key* key);
// The pose at clip time t (16.16 ticks; 64-bit so that clip times past 655 s still order
// correctly after the last key): clamped to the end keys, interpolated between neighbours.
void anim_track_sample(anim_pose* out, const anim_track* track, int64_t t);

} // namespace vantrel
