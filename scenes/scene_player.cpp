// scene_player: loading and binding a scene view, one frame in order, the palette effects and
// the scene mode's own screen.
#include "scenes/scene_player.h"

#include <cstdio>
#include <cstring>

#include "flight/flight_loop.h"
#include "render/globe_draw.h"
#include "render/model_draw.h"
#include "render/palette.h"
#include "render/particles_draw.h"
#include "render/view_draw.h"
#include "scenes/scene_parts.h"
#include "shell/game_models.h"
#include "shell/graphics.h"
#include "shell/services.h"
#include "shell/startup.h"

namespace vantrel {

scene_view title_view;

namespace {

constexpr int GLOBES = 4;
constexpr int32_t CLOUD_RADIUS_WITHOUT_MODEL = 30 * FIX16_ONE;
constexpr uint8_t BEAM_COLOURS[4][3] = {
    {255, 70, 50}, {70, 255, 110}, {80, 150, 255}, {255, 215, 60}};

void make_stars(scene_view* view) {
    const scene& s = view->sc;
    view->star_count = s.star_count < SCENE_MAX_STARS ? s.star_count : SCENE_MAX_STARS;
    for (int i = 0; i < view->star_count; i++) {
        uint32_t h = particles_hash(s.star_seed * 0x9E3779B1u + static_cast<uint32_t>(i));
        scene_star& star = view->stars[i];
        star.x = static_cast<int16_t>((h & 0xFFFF) * 320 >> 16);
        star.y = static_cast<int16_t>((h >> 24) & 255);
        star.colour = ((h >> 16) & 7) == 0 ? 92 : static_cast<uint8_t>(90 + ((h >> 19) & 1));
    }
}

// The drift offset moves by dt * speed / 1000 and wraps into [0, size) pixels (16.16).
fix16 drift(fix16 offset, fix16 speed, uint32_t dt, int size) {
    int64_t span = int64_t(size) << 16;
    int64_t v = (offset + int64_t(dt) * speed / 1000) % span;
    return static_cast<fix16>(v < 0 ? v + span : v);
}

void draw_stars(scene_view* view, uint8_t* frame, uint32_t dt) {
    view->drift_x = drift(view->drift_x, view->sc.star_drift_x, dt, view->width);
    view->drift_y = drift(view->drift_y, view->sc.star_drift_y, dt, view->height);
    int ox = view->drift_x >> 16, oy = view->drift_y >> 16;
    for (int i = 0; i < view->star_count; i++) {
        const scene_star& s = view->stars[i];
        int x = (s.x + ox) % view->width, y = (s.y + oy) % view->height;
        frame[y * view->width + x] = s.colour;
    }
}

void place_objects(scene_frame* f) {
    const scene& s = f->view->sc;
    for (int i = 0; i < s.object_count; i++) {
        const scene_object& o = s.objects[i];
        f->shown[i] = scene_object_at(&s.clip, o.id, f->clip, &f->poses[i]) &&
                      scene_object_visible(&s, o.id, f->clip_ms);
    }
}

void begin_frame(scene_frame* f) {
    scene_view* view = f->view;
    const scene& s = view->sc;
    f->vp = view_projection_make(view->width, view->height, view->focal, view->near);
    make_frustum_slopes(&f->slopes, &f->vp);
    f->clip = scene_clip_time(&s, f->ms);
    f->clip_ms = scene_clip_ms(&s, f->ms);
    anim_pose cam;
    const anim_track* track = anim_clip_find_track(&s.clip, 0);
    if (track) {
        anim_track_sample(&cam, track, f->clip);
        f->camera = render_pose{cam.pos, cam.orient};
    } else {
        f->camera = render_pose{{0, 0, 0}, IDENTITY};
    }
    place_objects(f);
}

// Globes sit behind everything; they are depth-tested only where a model reaches as far.
void draw_globes(const scene_frame* f) {
    const scene_view* view = f->view;
    globe_item items[GLOBES];
    int count = 0;
    fix16 overlap = 0;
    for (int i = 0; i < view->sc.object_count; i++) {
        if (!f->shown[i]) continue;
        if (view->globes[i]) {
            globe_item_add(items, &count, GLOBES, view->globes[i], &f->poses[i], &f->camera);
        } else if (view->models[i]) {
            fix16 edge = view_far_edge(&f->camera, &f->poses[i], view->models[i]->radius[0]);
            if (edge > overlap) overlap = edge;
        }
    }
    draw_globes_back(f->frame, f->depth, view->width, view->height, items, count, overlap,
                     &f->camera, &f->vp, &g_depth_frame, view->globe_detail);
}

void draw_clouds(scene_frame* f) {
    scene_view* view = f->view;
    const scene& s = view->sc;
    for (int i = 0; i < s.event_count; i++) {
        const scene_event& e = s.events[i];
        uint32_t start = scene_event_ms(&e);
        if (!view->cloud_marker[i] || f->clip_ms < start || f->clip_ms - start >= SCENE_EFFECT_MS)
            continue;
        int variant = e.kind == SCENE_EVENT_LEAVE ? 1 : 0;
        render_pose at;
        int64_t when = scene_clip_time(&s, start + (variant ? 350 : 500));
        if (!scene_object_at(&s.clip, e.target, when, &at)) continue;
        int index = scene_object_index(&s, e.target);
        const drawable* d = index >= 0 ? view->models[index] : nullptr;
        fix16 radius = d ? d->radius[0] : CLOUD_RADIUS_WITHOUT_MODEL;
        int count =
            hypercloud_build(e.param > 3 ? 0 : e.param, variant, e.target, static_cast<uint32_t>(i),
                             f->clip_ms - start, SCENE_EFFECT_MS, view->cloud, HYPERCLOUD_CAPACITY);
        hypercloud_draw(f->frame, view->width, view->height, view->cloud, count, &at,
                        static_cast<fix16>(uint32_t(radius) * 4), &f->camera, &f->vp,
                        view->cloud_marker[i]);
    }
}

// New particles for every emission number the scene's time passed since the last frame.
void emit(scene_view* view, const scene_object& o, const render_pose& pose, uint32_t ms) {
    const uint32_t previous = view->drawn && view->previous_ms <= ms ? view->previous_ms : ms;
    vec3 back = mat3_column(&pose.orient, 2);
    back = vec3{-back.x, -back.y, -back.z};
    for (int slot = 0; slot < o.emitter_count; slot++) {
        const scene_emitter& e = o.emitters[slot];
        if (e.interval_ms == 0) continue;
        uint32_t first = previous / e.interval_ms + 1, last = ms / e.interval_ms;
        if (last >= first + 3) last = first + 2;
        vec3 turned;
        mat3_apply(&turned, &pose.orient, &e.offset);
        vec3 at = {wrap_add32(fix32_narrow(pose.pos.x), turned.x),
                   wrap_add32(fix32_narrow(pose.pos.y), turned.y),
                   wrap_add32(fix32_narrow(pose.pos.z), turned.z)};
        uint32_t seed = particles_hash(o.id * 4 + static_cast<uint32_t>(slot));
        for (uint32_t n = first; n <= last; n++)
            particles_burst(&view->fx, seed ^ n, 1, &at, &back, e.param_a, e.param_b, e.param16,
                            e.kind > 1 ? 0 : e.kind, e.param8);
    }
}

void draw_objects(scene_frame* f) {
    scene_view* view = f->view;
    view_scene vs = {
        {f->frame, f->depth, view->width, view->height}, &f->camera, &f->vp, &f->slopes, f->spans};
    for (int i = 0; i < view->sc.object_count; i++) {
        if (!f->shown[i] || !view->models[i] || view->globes[i]) continue;
        const scene_object& o = view->sc.objects[i];
        view_draw_object(&vs, view->models[i], &f->poses[i],
                         static_cast<uint8_t>(LIVERY_BASE[view->paint[i]]), f->shading);
        emit(view, o, f->poses[i], f->ms);
    }
}

// A scene with a cockpit event shows the panel in its colours.
bool has_cockpit(const scene& s) {
    for (int i = 0; i < s.event_count; i++)
        if (s.events[i].kind == SCENE_EVENT_COCKPIT_ON) return true;
    return false;
}

} // namespace

int scene_object_index(const scene* s, uint32_t id) {
    for (int i = 0; i < s->object_count; i++)
        if (s->objects[i].id == id) return i;
    return -1;
}

uint32_t scene_clip_ms(const scene* s, uint32_t ms) {
    int64_t clip = scene_clip_time(s, ms);
    return static_cast<uint32_t>((clip >> 16) * 20 + ((clip & 0xFFFF) * 20 >> 16));
}

uint32_t scene_event_ms(const scene_event* e) {
    return scene_period_ms(e->time);
}

bool scene_moment_passed(const scene_view* view, uint32_t moment, uint32_t now) {
    if (!view->drawn) return moment <= now;
    uint32_t before = view->previous_clip_ms;
    if (before <= now) return before < moment && moment <= now;
    return moment > before || moment <= now; // the loop came round
}

int scene_object_at(const anim_clip* clip, uint32_t id, int64_t t, render_pose* out) {
    const anim_track* track = anim_clip_find_track(clip, id);
    if (!track) return 0;
    anim_pose p;
    anim_track_sample(&p, track, t);
    out->pos = p.pos;
    mat3_mul(&out->orient, &p.orient, &NOSE_X_TO_Z);
    return 1;
}

void scene_view_point(vec3* out, const render_pose* camera, const space_pos* point) {
    const render_pose at = {*point, IDENTITY};
    const vec3 origin = {0, 0, 0};
    transform_to_view(out, &origin, &at, camera);
}

int scene_view_load(scene_view* view, const char* name) {
    scene_view_free(view);
    std::memset(static_cast<void*>(view), 0, sizeof *view);
    char path[64];
    int n = std::snprintf(path, sizeof path, "PROGDIR:Scenes/%s.scene", name);
    uint32_t size = 0;
    uint8_t* data = n > 0 && n < int(sizeof path) ? read_file(path, &size) : nullptr;
    view->loaded = data && scene_load(&view->sc, data, size);
    read_file_free(data);
    std::printf("scene %s: %s\n", name, view->loaded ? "loaded" : "missing or invalid");
    if (!view->loaded) return 0;
    view->width = SCENE_VIEW_WIDTH;
    view->height = SCENE_VIEW_HEIGHT;
    view->scale = view->width >= 640 ? 2 : 1;
    view->near = view->sc.projection_depth;
    view->focal = static_cast<fix16>(uint32_t(view->sc.focal_length) << 16);
    make_stars(view);
    scene_view_particles(view, PARTICLES_GAME_CAPACITY, 1);
    scene_view_bind(view);
    return 1;
}

void scene_view_bind(scene_view* view) {
    if (!view->loaded) return;
    const scene& s = view->sc;
    for (int i = 0; i < s.object_count; i++) {
        const scene_object& o = s.objects[i];
        view->paint[i] = o.paint > 6 ? 0 : o.paint;
        view->models[i] = scene_drawable(scene_object_is_role(&o) ? o.model_name : o.name);
        bool planet = std::strcmp(o.name, "zeme") == 0 || std::strcmp(o.name, "mesic") == 0;
        view->globes[i] = planet ? globe_lookup(o.name) : nullptr;
    }
    for (int i = 0; i < s.event_count; i++) {
        scene_wreck_free(&view->wrecks[i]);
        if (s.events[i].kind != SCENE_EVENT_DESTROY) continue;
        int index = scene_object_index(&s, s.events[i].target);
        if (index >= 0 && view->models[index])
            scene_wreck_build(&view->wrecks[i], view->models[index]);
    }
    view->drift_x = view->drift_y = 0;
    view->previous_ms = view->previous_clip_ms = 0;
    view->drawn = 0;
    view->fx.count = 0;
}

void scene_view_particles(scene_view* view, int limit, int globe_detail) {
    particles_init(&view->fx, view->pool, PARTICLES_GAME_CAPACITY);
    view->fx.limit = limit < PARTICLES_GAME_CAPACITY ? limit : PARTICLES_GAME_CAPACITY;
    view->globe_detail = globe_detail;
}

void scene_view_free(scene_view* view) {
    for (scene_wreck& w : view->wrecks) scene_wreck_free(&w);
    if (view->loaded) scene_free(&view->sc);
    view->loaded = 0;
}

void scene_view_palette(scene_view* view, uint8_t* palette) {
    const scene& s = view->sc;
    int pairs[2][2], pair_count = 0;
    for (int i = 0; i < s.event_count; i++) {
        view->cloud_marker[i] = 0;
        const scene_event& e = s.events[i];
        if (e.kind != SCENE_EVENT_ARRIVE && e.kind != SCENE_EVENT_LEAVE) continue;
        int style = e.param > 3 ? 0 : e.param, variant = e.kind == SCENE_EVENT_LEAVE;
        int k = 0;
        while (k < pair_count && (pairs[k][0] != style || pairs[k][1] != variant)) k++;
        if (k == pair_count) {
            if (pair_count == 2) continue; // a third pair has no colours left
            pairs[pair_count][0] = style;
            pairs[pair_count][1] = variant;
            hypercloud_palette(style, variant, palette + (100 + 16 * k) * 3);
            pair_count++;
        }
        view->cloud_marker[i] = static_cast<uint8_t>(100 + 16 * k);
    }
    if (g_cp_ok && has_cockpit(s)) cockpit_panel_apply_palette(&g_cp_panel, palette);
    std::memcpy(palette + 96 * 3, BEAM_COLOURS, sizeof BEAM_COLOURS);
}

void scene_view_frame(scene_view* view, uint8_t* frame, int32_t* depth, depth_span* spans,
                      uint32_t ms, uint32_t dt, int shading, uint8_t* palette) {
    std::memset(frame, 0,
                size_t(view->width > 0 ? view->width : SCENE_VIEW_WIDTH) *
                    size_t(view->height > 0 ? view->height : SCENE_VIEW_HEIGHT));
    if (!view->loaded) return;
    draw_stars(view, frame, dt);
    scene_frame f = {};
    f.view = view;
    f.frame = frame;
    f.depth = depth;
    f.spans = spans;
    f.ms = ms;
    f.shading = shading;
    begin_frame(&f);
    depth_frame_begin(&g_depth_frame, depth, uint32_t(view->width * view->height));
    scene_logo logo;
    scene_logo_place(&f, &logo);
    draw_globes(&f);
    scene_logo_draw(&f, &logo);
    draw_clouds(&f);
    draw_objects(&f);
    scene_draw_wrecks(&f);
    scene_draw_beams(&f);
    particles_update(&view->fx, dt);
    particles_draw(&view->fx, FX_RAMPS, &f.camera, &f.vp, &g_depth_frame, frame, depth, view->width,
                   view->height);
    scene_logo_glint(&f, &logo);
    if (logo.shown) scene_logo_palette(view, ms, logo.glint, palette);
    scene_draw_cockpit(&f);
    scene_draw_captions(&f, palette);
    view->previous_ms = ms;
    view->previous_clip_ms = f.clip_ms;
    view->drawn = 1;
}

bool scene_faded_palette(const scene_view* view, uint32_t ms, const uint8_t* palette,
                         uint8_t* out) {
    int32_t fade = scene_fade(&view->sc, ms);
    int32_t flash = scene_flash(&view->sc, scene_clip_ms(&view->sc, ms));
    for (int i = 0; i < 768; i++) {
        int32_t v = palette[i] * fade >> 8;
        out[i] = static_cast<uint8_t>(v + ((255 - v) * flash >> 8));
    }
    return fade < 256 || flash > 0;
}

void scene_apply_palette(present_screen* screen, const scene_view* view, uint32_t ms,
                         const uint8_t* palette, int* state) {
    uint8_t faded[768];
    if (scene_faded_palette(view, ms, palette, faded)) {
        present_amiga_set_palette(screen, faded);
        *state = 1;
        return;
    }
    if (*state)
        present_amiga_set_palette(screen, palette);
    else
        present_amiga_set_colors(screen, 96, 104, palette + 96 * 3);
    *state = 0;
}

} // namespace vantrel
