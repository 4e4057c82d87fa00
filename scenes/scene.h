// scene: scripted sequences (title background, intro, ship show): the file, its records and
// the pure timing functions the scene player asks once per frame.
//
// File times are 16.16 seconds; the timing functions take milliseconds since the scene
// started and convert each file time with scene_period_ms. The clip's times are 16.16
// counts of 20 ms ticks.
#pragma once

#include <cstdint>

#include "core/fixmath.h"
#include "scenes/anim.h"

namespace vantrel {

constexpr uint32_t SCENE_MAGIC = save_magic("SCNE");
constexpr int SCENE_MAX_OBJECTS = 16;
constexpr int SCENE_MAX_CAPTIONS = 16;
constexpr int SCENE_MAX_EVENTS = 32;
constexpr int SCENE_MAX_EMITTERS = 4;

enum : uint8_t {
    SCENE_LOOP = 1,
    SCENE_SHOW_LOGO = 2,
};

enum : uint8_t {
    SCENE_EVENT_SHOW = 1,
    SCENE_EVENT_HIDE = 2,
    SCENE_EVENT_ARRIVE = 3, // by hyperspace: visible from the time + 500 ms
    SCENE_EVENT_LEAVE = 4,  // by hyperspace: visible until the time + 350 ms
    SCENE_EVENT_DESTROY = 5,
    SCENE_EVENT_COCKPIT_ON = 6, // the parameter selects the overlay variant
    SCENE_EVENT_COCKPIT_OFF = 7,
    SCENE_EVENT_FLASH = 8, // fades over the duration
    SCENE_EVENT_BEAM = 9,  // from the target to the object whose id is the value
};

// Particles spawned from a point in the object's frame, handed to the particle burst.
struct scene_emitter {
    vec3 offset;
    uint8_t kind;
    uint16_t interval_ms; // 0 = off
    uint16_t param16;
    int32_t param_a, param_b;
    uint8_t param8;
};

struct scene_object {
    uint32_t id;   // also its track's id
    char name[16]; // "@..." is a role: its model comes from model_name
    char model_name[16];
    uint8_t paint;
    uint8_t emitter_count;
    scene_emitter emitters[SCENE_MAX_EMITTERS];
};

struct scene_caption {
    fix16 start, end;
    int16_t y; // negative: three quarters of the view height
    uint8_t rgb[3];
    char text[64];
};

struct scene_event {
    fix16 time;
    uint8_t kind;
    uint8_t param;
    uint32_t target;
    uint32_t value;
    fix16 duration;
};

struct scene {
    char name[32];
    fix16 duration;
    uint8_t flags;
    fix16 fade_in, fade_out; // <= 0: none
    int32_t projection_depth, focal_length;
    uint16_t star_count;
    uint32_t star_seed;
    fix16 star_drift_x, star_drift_y; // pixels per second
    int16_t logo_x, logo_y;
    fix16 logo_depth_factor; // <= 0 means 1.0
    uint8_t logo_bob_amplitude;
    fix16 logo_bob_period;
    fix16 band1_period, band2_period, glint_period;
    uint8_t band1_rgb[3], band2_rgb[3], centre_rgb[3], glint_rgb[3];
    int16_t menu_y;
    uint16_t object_count, caption_count, event_count;
    scene_object objects[SCENE_MAX_OBJECTS];
    scene_caption captions[SCENE_MAX_CAPTIONS];
    scene_event events[SCENE_MAX_EVENTS];
    anim_clip clip; // owned
};

// Versions 2 (no events) and 3. Zeroes the scene first; 0 on any fault. A clip that failed
// to load has already freed itself, so a failed scene needs no scene_free (it is harmless).
int scene_load(scene* s, const uint8_t* data, uint32_t size);
void scene_free(scene* s);
int scene_object_is_role(const scene_object* object);

// A 16.16 second count in milliseconds; 0 for x <= 0.
uint32_t scene_period_ms(fix16 x);
// The clip time (16.16 ticks) at ms: wrapped by a looping scene, clamped by another. It
// needs 64 bits past 655 s; every clip time beyond the last key samples as that key.
int64_t scene_clip_time(const scene* s, uint32_t ms);
// A 256-step sine of the phase of t in a period of period_ms, 16.16; 0 for period 0.
fix16 scene_wave(uint32_t t, uint32_t period_ms);
// A sawtooth from 0 up to (not including) scale over each period; 0 for period 0.
int32_t scene_phase(uint32_t t, uint32_t period_ms, int32_t scale);
int scene_object_visible(const scene* s, uint32_t id, uint32_t ms);
// 1 with the overlay on (variant stored when variant_out is not null), else 0.
int scene_cockpit(const scene* s, uint32_t ms, uint8_t* variant_out);
// White flash level 0..256: the brightest running flash.
int32_t scene_flash(const scene* s, uint32_t ms);
// Brightness 0..256 from the fade-in and fade-out.
int32_t scene_fade(const scene* s, uint32_t ms);
int scene_finished(const scene* s, uint32_t ms);

} // namespace vantrel
