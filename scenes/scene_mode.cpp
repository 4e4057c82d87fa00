// scene_mode: a scene's own screen and frame loop, the title backdrop and the ship show.
#include "scenes/scene_mode.h"

#include "render/model_draw.h"
#include "render/palette.h"
#include "scenes/scene_player.h"
#include "shell/game_models.h"
#include "shell/graphics.h"
#include "shell/menu.h"
#include "shell/services.h"
#include "shell/startup.h"

namespace vantrel {

namespace {

// The settings as every scene screen takes them when it opens: particles, globe detail and
// the vertex path. Returns the shade mode of the models.
int scene_settings(scene_view* view, present_screen* screen) {
    graphics_resolved g;
    graphics_resolve(&g, &gfx_cfg, static_cast<uint32_t>(detected_cpu));
    if (screen) present_amiga_set_c2p_mode(screen, g.output_path == 2 ? C2P_DELTA : C2P_MEXG);
    scene_view_particles(view, static_cast<int>(particles_mode_limit(g.particles)),
                         globe_detail_setting(g.detail));
    g_vertex_fpu = graphics_fpu_enabled(&gfx_cfg, static_cast<uint32_t>(detected_cpu), g_has_fpu);
    if (view->loaded) depth_frame_init(&g_depth_frame, view->near, view->focal);
    return g.shading == 2 ? SHADE_MATERIAL_LIT : SHADE_MATERIAL;
}

// True when the player asks the scene to stop: any key (taken from the queue), a mouse
// button or the quit signal.
bool stop_asked(present_screen* screen) {
    present_input input;
    present_amiga_poll_input(screen, &input);
    bool key = false;
    while (present_amiga_pop_key(screen) >= 0) key = true;
    return key || input.lmb || input.rmb || present_quit_requested();
}

void play(scene_view* view, present_screen* screen, const frame_target* target) {
    uint8_t palette[768];
    scene_base_palette(palette);
    scene_view_palette(view, palette);
    present_amiga_set_palette(screen, palette);
    int shading = scene_settings(view, screen);
    amiga_datestamp start, now;
    amiga_date_stamp(&start);
    uint32_t previous = 0, cap_last = clock_us();
    int faded = 0;
    for (;;) {
        amiga_date_stamp(&now);
        uint32_t ms = static_cast<uint32_t>(datestamp_elapsed_ms(&start, &now));
        if (scene_finished(&view->sc, ms) || stop_asked(screen)) return;
        scene_view_frame(view, target->chunky, target->depth, target->spans, ms, ms - previous,
                         shading, palette);
        scene_apply_palette(screen, view, ms, palette, &faded);
        frame_cap_wait(&cap_last, fps_cap_period_us(gfx_cfg.fps_cap));
        present_amiga_frame_rows(screen, target->chunky, 0, SCENE_VIEW_HEIGHT);
        previous = ms;
    }
}

int title_open(uint8_t* palette) {
    scene_base_palette(palette);
    scene_settings(&title_view, nullptr);
    scene_view_bind(&title_view);
    return title_view.loaded ? title_view.sc.menu_y : MENU_DEFAULT_Y0;
}

void title_draw(const frame_target* target, uint32_t ms, uint32_t dt, int shading,
                uint8_t* palette) {
    scene_view_frame(&title_view, target->chunky, target->depth, target->spans, ms, dt, shading,
                     palette);
}

void title_show_palette(present_screen* screen, uint32_t ms, const uint8_t* palette, int* state) {
    if (title_view.loaded) scene_apply_palette(screen, &title_view, ms, palette, state);
}

} // namespace

const menu_backdrop TITLE_BACKDROP = {title_open, title_draw, title_show_palette};

void run_scene(const char* name, const frame_target* target) {
    // The scene's view is as large as its pools: in static storage, reused by every scene.
    static scene_view view;
    if (!scene_view_load(&view, name)) return;
    present_screen* screen = present_amiga_open(SCENE_VIEW_WIDTH, SCENE_VIEW_HEIGHT, "Vantrel");
    if (screen) {
        play(&view, screen, target);
        present_amiga_close(screen);
    }
    scene_models_free();
    scene_view_free(&view);
}

bool ship_show_begin(const mode_request* request) {
    run_scene("lode", &request->target);
    return true;
}

bool ship_show_step() {
    return false;
}

void ship_show_finish() {}

} // namespace vantrel
