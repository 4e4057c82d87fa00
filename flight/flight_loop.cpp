// flight_loop: the flight mode's start and end, its simulation, the cockpit, panel and
// overlays, and the frame that runs them in order.
//
// The parts it drives are in flight_input, flight_scene and flight_stats; flight_local.h
// holds the record they share.
#include "flight/flight_loop.h"

#include <cstdio>
#include <cstring>

#include "flight/autopilot.h"
#include "flight/flight_local.h"
#include "flight/furniture.h"
#include "flight/scenery.h"
#include "platform/prof_amiga.h"
#include "platform/sfx_amiga.h"
#include "render/model_draw.h"
#include "render/palette.h"
#include "render/text.h"
#include "shell/startup.h"
#include "trade/loadout.h"
#include "universe/world_time.h"

namespace vantrel {

int g_flight_trace = 0;
int g_cp_ok = 0;
cockpit_panel g_cp_panel;

namespace {

constexpr fix16 TICK_DT = 1310; // 1/50 s
constexpr uint32_t TICK_US = 20000;
constexpr int MAX_TICKS = 12;

// The three modes, by number: the game, the orbit demo, the dock demo.
constexpr flight_setup FLIGHT_SETUPS[3] = {
    {true, false, true, false, CAMERA_SHIP},
    {false, true, true, false, CAMERA_ORBIT},
    {false, false, false, true, CAMERA_DOCK},
};

// The particles live in static storage: a fixed capacity, nothing allocated per flight.
particle g_particle_pool[PARTICLES_GAME_CAPACITY];

uint8_t* g_cp_file = nullptr;

flight g_flight;

// --- start and end ------------------------------------------------------------------------

void compute_view_rows(flight* f) {
    int top = f->use_panel ? g_cp_panel.top_rows : BAR_ROWS;
    int bottom = f->use_panel ? g_cp_panel.bottom_rows : GAUGE_STRIP_ROWS;
    f->view_y0 = top;
    f->view_y1 = f->height - bottom;
    f->vp = view_projection_make(f->width, f->view_y1 - f->view_y0, VIEW_FOCAL, VIEW_NEAR);
    make_frustum_slopes(&f->slopes, &f->vp);
    std::memset(f->panel_drawn, 0xFF, sizeof f->panel_drawn); // forces the next panel redraw
}

} // namespace

bool flight_open_screen(flight* f, int height) {

    present_screen* s = present_amiga_open(FRAME_W, height, "Vantrel");
    if (!s) return false;
    f->screen = s;
    f->width = present_amiga_width(s);
    f->height = present_amiga_height(s) > FRAME_H_MAX ? FRAME_H_MAX : present_amiga_height(s);
    present_amiga_set_palette(s, f->palette);
    // A screen may come out shorter than asked for: a panel that leaves it no view gives way
    // to the drawn one for as long as this screen is open.
    f->use_panel = g_cp_ok && cockpit_panel_fits(&g_cp_panel, f->height);
    if (g_cp_ok && !f->use_panel)
        std::printf("cockpit panels: drawn (cockpit.cpt does not fit %dx%d)\n", f->width,
                    f->height);
    compute_view_rows(f);
    f->full_present = 1;
    return true;
}

namespace {

void print_start_lines(flight* f) {
    graphics_resolve(&f->gfx, &gfx_cfg, static_cast<uint32_t>(detected_cpu));
    char line[200];
    graphics_describe(&f->gfx, line, sizeof line);
    std::printf("%s\n", line);
    g_vertex_fpu = graphics_fpu_enabled(&gfx_cfg, static_cast<uint32_t>(detected_cpu), g_has_fpu);
    std::printf("FPU: %s, vertex math: %s (setting %s, F4 toggles)\n",
                g_has_fpu ? "present" : "none", g_vertex_fpu ? "FPU" : "integer (fix16)",
                fpu_mode_name(gfx_cfg.fpu_use));
    std::printf("raster path: %s (F6 toggles fused/spans)\n", g_raster_fused ? "fused" : "spans");
}

int flight_start(flight* f, const mode_request* request) {
    std::memset(f, 0, sizeof *f);
    f->mode = request->variant >= 0 && request->variant <= 2 ? request->variant : 0;
    f->setup = &FLIGHT_SETUPS[f->mode];
    f->target = request->target;
    if (f->target.width < FRAME_W || f->target.height < FRAME_H_MAX) {
        std::printf("FAILED: the flight needs a %dx%d frame\n", FRAME_W, FRAME_H_MAX);
        return 1;
    }
    print_start_lines(f);
    build_game_palette();
    std::memcpy(f->palette, g_game_palette, sizeof f->palette);
    if (g_cp_ok) cockpit_panel_apply_palette(&g_cp_panel, f->palette);
    int requested_h = FRAME_H_MAX;
    if (!flight_open_screen(f, requested_h)) {
        std::printf("FAILED: present_amiga_open returned NULL\n");
        return 1;
    }
    std::printf("requested %dx%d, Intuition granted %dx%d (width*height %% 32 = %d)\n", FRAME_W,
                requested_h, f->width, f->height, (f->width * f->height) % 32);
    bool aligned = (reinterpret_cast<uintptr_t>(f->target.chunky) & 15u) == 0;
    std::printf(
        "chunky @ 0x%08lx, %s16-byte aligned (%s MOVE16 clear this run)\n",
        static_cast<unsigned long>(reinterpret_cast<uintptr_t>(f->target.chunky) & 0xFFFFFFFFu),
        aligned ? "" : "NOT ", aligned ? "using" : "falling back for");
    depth_frame_init(&g_depth_frame, VIEW_NEAR, VIEW_FOCAL);
    particles_init(&f->fx, g_particle_pool, PARTICLES_GAME_CAPACITY);
    f->fx.limit = static_cast<int>(particles_mode_limit(f->gfx.particles));
    std::printf("OK: flight test running until Escape.\n");
    std::printf("sound: %s\n",
                sfx_open() ? "on (engine + 2 effect channels)" : "off (no audio channels)");
    start_log("flight started");
    static const uint16_t PRIMARY[KEYBIND_ACTIONS] = {0x11, 0x21, 0x22}; // W, S, D
    keybind_config_defaults(&f->keys, PRIMARY);
    keybind_config_set(&f->keys, 0, 1, RAWKEY_UP);
    keybind_config_set(&f->keys, 1, 1, RAWKEY_DOWN);
    cockpit_init(&f->cp);
    f->masses = mass_budget{1000 * FIX16_ONE,
                            {400 * FIX16_ONE, 200 * FIX16_ONE, 100 * FIX16_ONE, 50 * FIX16_ONE}};
    flight_place_scene(f);
    // The ship's loadout is built on the first flight of the run; its stores hang on the
    // pylons the panel shows. Without the tables the flight flies as the placeholder it was.
    ship_setup();
    if (g_ship_ok) loadout_store_types(&g_ship, &g_tables, f->stores);
    pages_start(f);
    f->engines_on = 1;
    f->store_type = 1;
    f->orbit_dir = vec3{0, 0, -FIX16_ONE};
    amiga_date_stamp(&f->started);
    f->stat_start = f->started;
    f->clock_last = clock_us();
    f->frame_last = f->clock_last;
    f->cap_last = f->clock_last;
    f->stat_frames_start_us = f->clock_last;
    f->fps_start_us = f->clock_last;
    return 0;
}

void flight_end(flight* f) {
    std::printf("quit_requested after %u total frames\n", f->frames);
    sfx_close();
    std::printf("OK: flight test ended.\n");
    present_amiga_close(f->screen);
    f->screen = nullptr;
}
// --- simulation ---------------------------------------------------------------------------

int take_ticks(flight* f) {
    uint32_t now = clock_us();
    uint32_t elapsed = now - f->clock_last;
    f->clock_last = now;
    if (elapsed > 250000) elapsed = 250000;
    f->accumulator += elapsed;
    int ticks = static_cast<int>(f->accumulator / TICK_US);
    f->accumulator -= static_cast<uint32_t>(ticks) * TICK_US;
    if (ticks >= MAX_TICKS) {
        ticks = MAX_TICKS;
        f->accumulator = 0;
    }
    return ticks;
}

// The frame's stages (simulate, run_cockpit, draw_panel) stay calls of their own, never
// inlined, so that `make bench-callgrind` can count each by name.
[[gnu::noinline]] void simulate(flight* f, int ticks) {
    time_warp_plan(&f->plan, f->cp.warp_level, ticks * TICK_DT);
    fix16 accel = fix16_div(SHIP_THRUST, mass_budget_total(&f->masses));
    for (int s = 0; s < f->plan.steps; s++) {
        autopilot_goal goal;
        if (f->setup->player &&
            cockpit_autopilot_goal(&f->cp, f->targets, &f->ship.position, accel, &goal)) {
            autopilot_output out;
            autopilot_steer(&out, &f->ship, &goal, SHIP_TORQUE);
            f->controls.pitch = out.pitch;
            f->controls.yaw = out.yaw;
            f->controls.roll = out.roll;
            f->controls.throttle = out.throttle;
            f->cp.autopilot_holding = out.holding;
        }
        flight_integrate_split(&f->ship, &f->controls, SHIP_THRUST, SHIP_TORQUE, &f->masses, 1,
                               f->plan.dt_linear, f->plan.dt_angular);
    }
    uint32_t advanced =
        static_cast<uint32_t>(f->plan.steps) * static_cast<uint32_t>(f->plan.dt_linear);
    world_time_advance(&g_world_time, advanced);
    f->sim_ms += static_cast<uint32_t>((static_cast<uint64_t>(advanced) * 1000u) >> 16);
    f->sim_steps += static_cast<uint32_t>(f->plan.steps);
    if (f->plan.steps > 0 && g_ship_ok) {
        fix16 moved = loadout_auto_refuel(&g_ship, &g_tables);
        if (moved > 0)
            std::printf("ship: auto-refuel, %ld kg\n", long((int64_t{moved} * 1000) >> 16));
    }
    if (f->cp.warp_level != 0) {
        for (int t = 0; t < ticks; t++) {
            spin_step(&f->station.orient, &STATION_SPIN_STEP);
            spin_step(&f->decoys[0].orient, &DECOY0_SPIN_STEP);
            spin_step(&f->decoys[1].orient, &DECOY1_SPIN_STEP);
            spin_step(&f->decoys[2].orient, &DECOY2_SPIN_STEP);
        }
    }
}

// The engine hums higher and louder with the throttle: its pitch factor runs from 0.65 at
// rest to 1.25 at full, its volume from 20 to 48.
void engine_sound(const flight* f) {
    sfx_update();
    const fix16 pitch = FIX16_ONE + fix16_mul(f->throttle, 39321) - 22938;
    const uint16_t period = motor_playback_period(sfx_base_period(SFX_ENGINE), pitch, FIX16_ONE);
    sfx_engine(period, static_cast<uint8_t>(20 + ((f->throttle * 28) >> 16)));
}

// --- the HUD, the panel and the rest of the overlays --------------------------------------

vec3 velocity_in_camera(const flight* f) {
    mat3 ct;
    mat3_transpose(&ct, &f->camera.orient);
    vec3 v;
    mat3_apply(&v, &ct, &f->ship.velocity);
    return v;
}

// The cockpit runs on every screen (targets tracked, missiles flying, messages timing out);
// only the cockpit shows its HUD.
[[gnu::noinline]] void run_cockpit(flight* f, const view_target* vt, int frame_ms, bool hud) {
    cockpit& c = f->cp;
    cockpit_update_view(&c, f->targets, f->target_count, &f->camera, &f->vp);
    vec3 velocity = velocity_in_camera(f);
    if (f->controls.fire && !f->fire_was) {
        cockpit_fire(&c, &velocity, &f->vp);
        if (c.mode == COCKPIT_GUNS) sfx_play(SFX_GUN, 1, 0, 0);
    }
    f->fire_was = f->controls.fire;
    fix16 sim_dt = static_cast<fix16>(static_cast<uint32_t>(f->plan.steps) *
                                      static_cast<uint32_t>(f->plan.dt_linear));
    if (cockpit_tick(&c, sim_dt, frame_ms) && c.hit_target >= 0 && c.hit_target < f->target_count) {
        const space_pos& p = f->targets[c.hit_target].object->pos;
        vec3 centre = {fix32_narrow(p.x), fix32_narrow(p.y), fix32_narrow(p.z)}, still = {0, 0, 0};
        particles_burst(&f->fx, f->frames * 7919u, 40, &centre, &still, 25 * FIX16_ONE, FIX16_ONE,
                        900, 0, 2);
        if (g_flight_trace)
            std::printf("trace %u: explosion at %s, %d particles\n", present_frame_count(),
                        f->targets[c.hit_target].name, f->fx.count);
    }
    if (!hud) return;
    hud_canvas canvas = {vt->frame, vt->width, vt->height};
    cockpit_draw(&c, &canvas, f->targets, &velocity, &f->vp, HUD_COLORS.data(), 0, 0, 0);
}

uint32_t lit_mask(flight* f) {
    uint32_t mask = 0;
    if (f->engines_on) mask |= 1u << ACT_ENGINES;
    if (f->cp.autopilot) mask |= 1u << ACT_AUTOPILOT;
    if (f->gear_out) mask |= 1u << ACT_GEAR;
    mask |= 1u << (f->group_state == 0 ? ACT_GROUP_A : ACT_GROUP_B);
    int warp = f->cp.warp_requested > 3 ? 3 : f->cp.warp_requested;
    mask |= 1u << (ACT_WARP0 + warp);
    for (int a = 0; a < ACT_COUNT; a++)
        if (f->light_counter[a] > 0) mask |= 1u << a;
    // The button of the computer's group shown stays lit while its pages are up.
    const int shown = f->computer.shown;
    if (shown == PAGE_SYSTEM || shown == PAGE_STARS) mask |= 1u << ACT_MAPS;
    if (shown >= PAGE_SHIP) mask |= 1u << ACT_PROFILES;
    return mask;
}

// The tank as the FUEL gauge shows it: full without a loadout.
int fuel_gauge() {
    return g_ship_ok ? loadout_fuel_percent(&g_ship, &g_tables) : 100;
}

uint8_t speed_percent(const flight* f) {
    int32_t speed = vec3_length(&f->ship.velocity) >> 16;
    return static_cast<uint8_t>(speed >= 300 ? 100 : speed / 3);
}

void fill_panel_values(flight* f) {
    uint8_t* v = f->panel_values;
    std::memset(v, 0, PANEL_VALUES_SIZE);
    panel_values_set_mask(v, lit_mask(f));
    v[PV_GAUGES + 0] = 100;                                             // hull
    v[PV_GAUGES + 1] = static_cast<uint8_t>(fuel_gauge());              // fuel
    v[PV_GAUGES + 2] = static_cast<uint8_t>((f->throttle * 100) >> 16); // thrust
    v[PV_GAUGES + 3] = 0;                                               // weapons heat
    v[PV_GAUGES + 4] = speed_percent(f);
    v[PV_SELECTOR] = static_cast<uint8_t>(f->cp.mode);
    v[PV_RADAR_ON] = 1;
    v[PV_WARP_READOUT] = static_cast<uint8_t>(f->cp.warp_level);
    int blips = 0;
    for (int i = 0; i < f->cp.target_count && blips < PANEL_MAX_BLIPS; i++) {
        const vec3& p = f->cp.view_pos[i];
        int32_t x = p.x >> 16, y = p.y >> 16, z = p.z >> 16;
        if (x < -2048 || x > 2048 || z < -2048 || z > 2048) continue;
        uint8_t colour = i == f->cp.target ? 14 : (f->targets[i].large ? 13 : 12);
        panel_values_set_blip(v, blips++, x, z, y, colour);
    }
    v[PV_BLIP_COUNT] = static_cast<uint8_t>(blips);
    v[PV_STORE_COUNT] = PYLONS;
    for (int i = 0; i < PYLONS; i++) v[PV_STORES + i] = f->stores[i];
    v[PV_STORE_TYPE] = static_cast<uint8_t>(f->store_type);
    char text[16];
    std::snprintf(text, sizeof text, "S%d", static_cast<int>(vec3_length(&f->ship.velocity) >> 16));
    panel_values_set_text(v, PV_TEXT1, text);
    if (f->cp.target >= 0) {
        std::snprintf(text, sizeof text, "D%u", f->cp.dist[f->cp.target]);
        panel_values_set_text(v, PV_TEXT2, text);
    }
}

// A drawn bar item is lit for the requested warp level and for the computer's group shown.
bool bar_active(const flight* f, int item, int warp) {
    const int shown = f->computer.shown;
    if (item == 1) return shown == PAGE_SYSTEM || shown == PAGE_STARS;
    if (item == 2) return shown >= PAGE_SHIP;
    return item >= 3 && item - 3 == warp;
}

[[gnu::noinline]] void draw_panel(flight* f) {
    if (f->use_panel) {
        fill_panel_values(f);
        if (std::memcmp(f->panel_values, f->panel_drawn, PANEL_VALUES_SIZE) != 0) {
            cockpit_panel_draw(&g_cp_panel, f->panel_values, f->target.chunky,
                               f->target.chunky + (f->height - g_cp_panel.bottom_rows) * f->width,
                               f->width);
            std::memcpy(f->panel_drawn, f->panel_values, PANEL_VALUES_SIZE);
            f->bands_changed = 1;
        }
        return;
    }
    f->bands_changed = 1;
    // Without the panel file: the top bar and four gauges, redrawn every frame.
    std::memset(f->target.chunky, 0, static_cast<size_t>(BAR_ROWS * f->width));
    int x0[BAR_ITEMS], x1[BAR_ITEMS];
    screen_bar_layout(f->width, x0, x1);
    int warp = f->cp.warp_requested > 3 ? 3 : f->cp.warp_requested;
    for (int i = 0; i < BAR_ITEMS; i++)
        bar_item(f->target.chunky, f->width, x0[i], x1[i], bar_label(i), bar_active(f, i, warp), 2);
    uint8_t* strip = f->target.chunky + f->view_y1 * f->width;
    std::memset(strip, 0, static_cast<size_t>(GAUGE_STRIP_ROWS * f->width));
    draw_flight_gauges(strip, f->width, 100, fuel_gauge(), 0, (f->throttle * 100) >> 16);
}

// True when rows y0 .. y1 (inclusive) reach into a panel band.
bool over_panel(const flight* f, int y0, int y1) {
    return y0 < f->view_y0 || y1 >= f->view_y1;
}

// The panel, the notice and the pointer on every screen; the clock and FPS lines belong to
// the cockpit's view.
void draw_overlays(flight* f, const view_target* vt) {
    bool cockpit = !flight_on_page(f);
    draw_panel(f);
    if (cockpit)
        screen_clock(vt->frame + (vt->height - 16) * vt->width, vt->width, 16, &g_world_time,
                     nullptr);
    bool on_panel = false;
    if (g_osd_on) {
        amiga_datestamp now;
        amiga_date_stamp(&now);
        if (datestamp_elapsed_ms(&g_osd_start, &now) > 2500) {
            g_osd_on = 0;
        } else {
            int x = (f->width - text_width(g_osd_text)) / 2;
            int y = f->height - 34;
            text_draw_shadow(f->target.chunky, f->width, f->height, x, y, g_osd_text, 2, 1);
            on_panel = on_panel || over_panel(f, y, y + 8);
        }
    }
    if (cockpit) {
        char fps[16];
        std::snprintf(fps, sizeof fps, "FPS %u", f->fps_shown);
        text_draw_shadow(vt->frame, vt->width, vt->height, vt->width - 4 - text_width(fps),
                         vt->height - 12, fps, 3, 1);
    }
    int mx = f->screen->mouse_x, my = f->screen->mouse_y;
    draw_arrow_pointer(f->target.chunky, f->width, f->height, mx, my);
    on_panel = on_panel || over_panel(f, my, my + 10);
    // The panel is redrawn only when its values change, so whatever was drawn over its bands
    // (the notice, the pointer) is wiped by a redraw on the next frame, and on the frame
    // after it has gone.
    if (on_panel || f->overlay_on_panel) std::memset(f->panel_drawn, 0xFF, sizeof f->panel_drawn);
    f->overlay_on_panel = on_panel;
}
// --- one frame ----------------------------------------------------------------------------

void flight_frame(flight* f) {
    uint32_t t0 = clock_us();
    int ticks = take_ticks(f);
    uint32_t frame_ms = 0;
    {
        uint32_t now = clock_us();
        frame_ms = (now - f->frame_last) / 1000;
        f->frame_last = now;
    }
    flight_read_input(f, ticks, frame_ms);
    if (f->quit) return;
    uint32_t t1 = clock_us();
    f->timers.input += t1 - t0;
    simulate(f, ticks);
    engine_sound(f);
    flight_place_camera(f, ticks);
    particles_update(&f->fx, f->cp.warp_level == 0 ? 0 : frame_ms);
    for (int& counter : f->light_counter)
        if (counter > 0) counter--;
    uint32_t t2 = clock_us();
    f->timers.physics += t2 - t1;

    g_render_timing.on = g_prof_on;
    g_render_timing.now = g_prof_on ? prof_now : nullptr;
    const view_scene view = {{f->target.chunky + f->view_y0 * f->width, f->target.depth, f->width,
                              f->view_y1 - f->view_y0},
                             &f->camera,
                             &f->vp,
                             &f->slopes,
                             f->target.spans};
    const view_target& vt = view.target;
    bool page = flight_on_page(f);
    if (!page) flight_render_view(f, &view);
    uint32_t t3 = clock_us();
    run_cockpit(f, &vt, static_cast<int>(frame_ms), !page);
    if (page) pages_draw(f, frame_ms);
    draw_overlays(f, &vt);
    if (g_flight_trace) flight_trace_frame(f);
    f->timers.render += clock_us() - t3;

    frame_cap_wait(&f->cap_last, fps_cap_period_us(gfx_cfg.fps_cap));
    uint32_t t4 = clock_us();
    // Only the 3D view's rows change from frame to frame; the bands go out with them when the
    // panel was redrawn or something was drawn over it, and everything after a screen change.
    if (f->full_present || f->bands_changed || f->overlay_on_panel)
        present_amiga_frame(f->screen, f->target.chunky);
    else
        present_amiga_frame_rows(f->screen, f->target.chunky, f->view_y0, f->view_y1 - f->view_y0);
    f->full_present = 0;
    f->bands_changed = 0;
    f->timers.present += clock_us() - t4;

    f->frames++;
    if (f->frames % 10 == 0) {
        uint32_t now = clock_us();
        uint32_t spent = now - f->fps_start_us;
        f->fps_shown = spent ? 10000000u / spent : 0;
        f->fps_start_us = now;
    }
    if (f->frames % STAT_FRAMES == 0) flight_print_stats(f);
}

} // namespace

void cockpit_panel_load() {
    read_file_free(g_cp_file);
    g_cp_file = nullptr;
    uint32_t size = 0;
    g_cp_file = read_file("PROGDIR:cockpit.cpt", &size);
    g_cp_ok = g_cp_file && cockpit_panel_parse(g_cp_file, size, &g_cp_panel);
    const char* source = g_cp_ok     ? "PROGDIR:cockpit.cpt"
                         : g_cp_file ? "drawn (cockpit.cpt invalid)"
                                     : "drawn (no cockpit.cpt)";
    std::printf("cockpit panels: %s\n", source);
}

bool flight_begin(const mode_request* request) {
    return flight_start(&g_flight, request) == 0;
}

bool flight_step() {
    flight* f = &g_flight;
    if (f->quit || present_quit_requested()) return false;
    flight_frame(f);
    return !f->quit;
}

void flight_finish() {
    flight_end(&g_flight);
}

void flight_type_key(int raw_key) {
    if (!g_flight.screen) return;
    present_input_key(g_flight.screen, raw_key);
    present_input_key(g_flight.screen, raw_key | 0x80);
}

int run_flight(const mode_request* request) {
    if (!flight_begin(request)) return 1;
    while (flight_step()) {
    }
    flight_finish();
    return 0;
}

} // namespace vantrel
