// scene_player: a loaded scene turned into frames: the background stars, the camera's view
// of the objects, globes, hyperspace clouds, wrecks, beams and particles, the title logo
// with its animated colours, the cockpit overlay and the captions, and the palette of fades
// and flashes. It draws the menu's title background (a view the menu keeps) and plays a
// scene on a screen of its own (run_scene: the intro at start-up, the ship show).
//
// Settled here:
// - Times: fades, waves, emitters and star drift run on the scene's own milliseconds; events
//   and captions on the clip's (a looping scene's events come round with every loop).
// - The camera is track 0 as sampled; objects are turned by NOSE_X_TO_Z. The near plane and
//   the depth frame take the first projection value (metres, 16.16), the focal length the
//   second (whole pixels).
// - The logo lies at the vertex depth of a point at near / factor (a factor <= 0 or above
//   1.0 counts as 1.0); its bob is the first wave, its glint the glint period's wave. Logo
//   and glint pixels are clipped to the frame.
// - Clouds: style = the event's parameter (above 3: 0), variant 0 arriving, 1 leaving, seed
//   high = the target's id, seed = the event's index, size 4 x the target's level-0 radius
//   (30 m without a model). Only the first two (style, variant) pairs get a colour ramp.
// - Emitters: kind = ramp (above 1: 0), 16-bit value the lifetime, 32-bit values speed and
//   spread, 8-bit value the size; out of the offset in the model's frame against its nose,
//   seeded particles_hash(id * 4 + slot) ^ emission number; at most 3 a frame.
// - Beams: a one-pixel line without depth, clipped to the near plane and the frame; 4 sparks
//   a frame at the far end (300 ms, ramp 0, 8 m/s, spread 1.0).
// - Wrecks: the fragments are built when the view is bound, fly on with the wreck's velocity
//   plus 6 m/s outward along their centres and turn 90 degrees a second about an axis hashed
//   from (event, fragment); 40 embers burst at the moment of destruction.
// - Cockpit: variant 0 at rest, 1 with the radar on and blips of the 8 nearest visible
//   objects within 4 km (roles "@..." in the hostile colour); gauges 100, 80, 60, 0, 50; the
//   lamp blinks with a 500 ms half-period. Its colours are set only in scenes with a cockpit
//   event, whose clouds the scene compiler keeps to the first ramp.
// - An object with a globe draws the globe only; its mesh stands in when the globe is missing.
#pragma once

#include <cstdint>

#include "platform/present_amiga.h"
#include "render/globe.h"
#include "render/hypercloud.h"
#include "render/model.h"
#include "render/particles.h"
#include "render/span.h"
#include "render/transform.h"
#include "scenes/scene.h"

namespace vantrel {

constexpr int SCENE_VIEW_WIDTH = 320, SCENE_VIEW_HEIGHT = 256;
constexpr int SCENE_MAX_STARS = 256;
constexpr int SCENE_WRECK_PARTS = 8;
constexpr uint32_t SCENE_EFFECT_MS = 7000; // clouds and wrecks

struct scene_star {
    int16_t x, y;
    uint8_t colour;
};

// A destroyed object's model in up to eight pieces, each holding the level's vertices and
// its own faces; centres in the model's frame.
struct scene_wreck {
    int count;
    drawable parts[SCENE_WRECK_PARTS];
    vec3 centre[SCENE_WRECK_PARTS];
};

struct scene_view {
    scene sc;
    int loaded;
    int width, height, scale;
    fix16 near;  // the first projection value
    fix16 focal; // the second, as 16.16 pixels
    int star_count;
    scene_star stars[SCENE_MAX_STARS];
    fix16 drift_x, drift_y;
    uint32_t previous_ms;
    uint32_t previous_clip_ms;
    int drawn; // a frame has been drawn since binding
    drawable* models[SCENE_MAX_OBJECTS];
    const globe_texture* globes[SCENE_MAX_OBJECTS];
    uint8_t paint[SCENE_MAX_OBJECTS];
    int globe_detail;                       // the globe drawer's setting for the detail in use
    uint8_t cloud_marker[SCENE_MAX_EVENTS]; // 100, 116 or 0 (no cloud)
    scene_wreck wrecks[SCENE_MAX_EVENTS];   // of destroy events
    particle pool[PARTICLES_GAME_CAPACITY];
    particles fx;
    cloud_triangle cloud[HYPERCLOUD_CAPACITY];
};

// The menu's title background, loaded at start-up and kept for the run.
extern scene_view title_view;

// Zeroes the view, reads "PROGDIR:Scenes/<name>.scene" and prints "scene <name>: loaded" or
// "... missing or invalid"; on success sizes the view, makes its stars and binds it.
int scene_view_load(scene_view* view, const char* name);
// Looks up every object's model, globe and paint, and builds the wrecks; resets the drift,
// the times and the particles. Call again whenever the models may have changed.
void scene_view_bind(scene_view* view);
// The particle pool (160) with the live limit of the particle setting, and the globe detail.
void scene_view_particles(scene_view* view, int limit, int globe_detail);
// Frees the wrecks and the scene.
void scene_view_free(scene_view* view);
// The cloud ramps (and their markers) and the beam colours into the palette, the cockpit's
// colours in a scene with a cockpit event.
void scene_view_palette(scene_view* view, uint8_t* palette768);

// One frame at scene time ms, dt after the previous one; shading is a shade_mode (3 or 4).
// palette is the 768-byte palette the frame's colour effects update.
void scene_view_frame(scene_view* view, uint8_t* frame, int32_t* depth, depth_span* spans,
                      uint32_t ms, uint32_t dt, int shading, uint8_t* palette);
// The palette as the screen shows it at ms, faded and flashed; false when neither applies.
bool scene_faded_palette(const scene_view* view, uint32_t ms, const uint8_t* palette, uint8_t* out);
// Fades and flashes onto the screen; state remembers that the last frame was faded.
void scene_apply_palette(present_screen* screen, const scene_view* view, uint32_t ms,
                         const uint8_t* palette, int* state);

// The pose of the track with that id at clip time t, turned by NOSE_X_TO_Z; 0 without it.
int scene_object_at(const anim_clip* clip, uint32_t id, int64_t t, render_pose* out);
// point relative to the camera in view coordinates.
void scene_view_point(vec3* out, const render_pose* camera, const space_pos* point);

// Sorts the faces of a level into up to eight fragments by the octant of their vertex sums
// (exposed for tests). Returns the fragments made.
int scene_wreck_build(scene_wreck* wreck, const drawable* d);
void scene_wreck_free(scene_wreck* wreck);

} // namespace vantrel
