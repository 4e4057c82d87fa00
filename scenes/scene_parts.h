// scene_parts: what one scene frame is made of, shared by the files of the scene player: the
// frame's context and the drawing of the logo, beams, wrecks, cockpit and captions.
#pragma once

#include <cstdint>

#include "scenes/scene_player.h"

namespace vantrel {

// Everything a frame's steps share, filled once at the start of the frame.
struct scene_frame {
    scene_view* view;
    uint8_t* frame;
    int32_t* depth;
    depth_span* spans;
    uint32_t ms;      // the scene's own time
    uint32_t clip_ms; // the clip's time: events and captions
    int64_t clip;     // the clip's time in 16.16 ticks
    int shading;
    render_pose camera;
    view_projection vp;
    frustum_slopes slopes;
    render_pose poses[SCENE_MAX_OBJECTS];
    bool shown[SCENE_MAX_OBJECTS]; // has a track and is visible now
};

// The index of the object with that id, or -1.
int scene_object_index(const scene* s, uint32_t id);
// The clip's time at ms in whole milliseconds.
uint32_t scene_clip_ms(const scene* s, uint32_t ms);
// Milliseconds of an event time (0 for times at or before the start).
uint32_t scene_event_ms(const scene_event* e);
// True when the moment lies in (previous, now] of the clip's time, counting a wrap of a loop.
bool scene_moment_passed(const scene_view* view, uint32_t moment, uint32_t now);

// The logo: its placement and depth (valid only while shown) and the colour effects.
struct scene_logo {
    bool shown;
    int x, y;
    int32_t depth;
    fix16 glint;
};
void scene_logo_place(const scene_frame* f, scene_logo* logo);
void scene_logo_draw(const scene_frame* f, const scene_logo* logo);
void scene_logo_glint(const scene_frame* f, const scene_logo* logo);
void scene_logo_palette(const scene_view* view, uint32_t ms, fix16 glint, uint8_t* palette);

void scene_draw_beams(scene_frame* f);
void scene_draw_wrecks(scene_frame* f);
void scene_draw_cockpit(const scene_frame* f);
void scene_draw_captions(const scene_frame* f, uint8_t* palette);

} // namespace vantrel
