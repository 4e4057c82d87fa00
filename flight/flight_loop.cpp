// flight_loop: the flight mode's start, frame loop and statistics.
//
// Scene layout of the game mode, in the flight's metre frame (y up): the station complex
// sits at the origin with its docking bay opening towards +x and its traffic flying in; the
// player starts 2.9 km out on its far side with the station ahead on the right and the
// planet (17 km away, its moon circling it) beyond on the left; the three decoys wait a few
// hundred metres ahead, the freighter off to the side. The demos show the compact station
// (orbit) or the station complex with its traffic (dock).
#include "flight/flight_loop.h"

#include <cstdio>
#include <cstring>

#include "flight/autopilot.h"
#include "flight/cockpit.h"
#include "flight/furniture.h"
#include "flight/panel_draw.h"
#include "flight/scenery.h"
#include "flight/ship.h"
#include "flight/time_warp.h"
#include "platform/present_amiga.h"
#include "platform/prof_amiga.h"
#include "render/fast_clear.h"
#include "render/globe_draw.h"
#include "render/model_draw.h"
#include "render/palette.h"
#include "render/particles_draw.h"
#include "render/text.h"
#include "shell/amiga_flight_demo.h"
#include "shell/graphics.h"
#include "shell/keybinds.h"
#include "shell/loc.h"
#include "shell/services.h"
#include "universe/orbit.h"
#include "universe/world_time.h"

namespace vantrel {

int g_flight_trace = 0;
int g_cp_ok = 0;
cockpit_panel g_cp_panel;

namespace {

constexpr int FRAME_W = 320;
constexpr int FRAME_H_MAX = 256;
constexpr int TARGETS = 5;
constexpr int DOCK_DRAWS = 6; // three ships, two doors, the passing ship
constexpr int GLOBES = 2;
constexpr int STAT_FRAMES = 20;
constexpr fix16 TICK_DT = 1310; // 1/50 s
constexpr uint32_t TICK_US = 20000;
constexpr int MAX_TICKS = 12;
constexpr fix16 THROTTLE_STEP = 1638; // full throttle in 40 ticks
constexpr int PYLONS = 6;

constexpr mat3 ORBIT_STEP = {{65522, 0, 1372, 0, 65536, 0, -1372, 0, 65522}}; // 1.2 deg about Y

// Livery blocks of the game palette, one per kind of object.
constexpr uint8_t LIVERY_STATION = 200, LIVERY_TRANSPORT = 16, LIVERY_TRAFFIC = 40;
constexpr uint8_t LIVERY_DECOY[3] = {40, 64, 224};

// Panel actions, shared by keys and panel buttons.
enum panel_action : int {
    ACT_ENGINES = 0,
    ACT_AUTOPILOT = 1,
    ACT_GEAR = 2,
    ACT_PROFILES = 3,
    ACT_COMMS = 4,
    ACT_MAPS = 5,
    ACT_ANALYSER = 6,
    ACT_HYPERJUMP = 7,
    ACT_EXIT = 8,
    ACT_WARP0 = 9, // 9..12: F7..F10
    ACT_GROUP_A = 13,
    ACT_GROUP_B = 14,
    ACT_COUNT = 15,
};

// The frame and depth buffers live in static storage: fixed capacity, nothing allocated per
// flight, and the same addresses every run.
alignas(16) uint8_t g_chunky[FRAME_W * FRAME_H_MAX];
alignas(16) int32_t g_depth[FRAME_W * FRAME_H_MAX];
alignas(16) depth_span g_spans[SPAN_CAPACITY];
particle g_particle_pool[PARTICLES_GAME_CAPACITY];

uint8_t* g_cp_file = nullptr;

fix32 metres(int32_t m) {
    return static_cast<fix32>(m) << 32;
}

space_pos at_metres(int32_t x, int32_t y, int32_t z) {
    return space_pos{metres(x), metres(y), metres(z)};
}

space_pos from_local(const space_local& p) {
    return space_pos{p.x, p.y, p.z};
}

struct phase_timers {
    uint32_t input, physics, clear, station, decoys, fx, render, present;
};

struct flight {
    int mode;
    present_screen* screen;
    int width, height;
    int view_y0, view_y1; // rows of the 3D view
    int use_panel;        // the panel file's bands frame this screen
    graphics_resolved gfx;
    keybind_config keys;
    uint8_t palette[768];

    flight_state ship;
    flight_controls controls;
    fix16 throttle;
    mass_budget masses;
    cockpit cp;
    warp_plan plan;
    int engines_on, gear_out, group_state, store_type;
    uint8_t stores[PYLONS];
    int light_counter[ACT_COUNT];
    int fire_was;

    render_pose station, decoys[3], transport, dock_objects[DOCK_DRAWS], planet, moon;
    vec3 decoy_velocity[3];
    int dock_in_flight[3];
    Orbit moon_orbit;
    target_info targets[TARGETS];
    int target_count;
    vec3 orbit_dir;
    uint32_t sim_ms;         // simulated milliseconds, for the scripted traffic
    amiga_datestamp started; // for the dock demo's camera

    render_pose camera;
    view_projection vp;
    frustum_slopes slopes;
    particles fx;

    int traced_message, traced_message_ms;
    char traced_osd[sizeof g_osd_text];
    uint8_t panel_values[PANEL_VALUES_SIZE];
    uint8_t panel_drawn[PANEL_VALUES_SIZE];
    int overlay_on_panel; // the notice or the pointer covered a band last frame
    int bands_changed;    // the panel bands were drawn this frame
    int full_present;     // the whole frame must go out (a new screen)
    int fkey_held[6];
    int lmb_was;
    int quit;

    uint32_t clock_last, frame_last, cap_last, accumulator;
    uint32_t frames, stat_frames_start_us, sim_steps;
    amiga_datestamp stat_start;
    phase_timers timers;
    uint32_t fps_shown, fps_start_us;
    int station_lod;
};

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

bool open_screen(flight* f, int height) {
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

void place_targets(flight* f) {
    static const char* const NAMES[TARGETS] = {"Stanice Alfa", "Kocka-7", "Sokol-2", "Vrana-5",
                                               "Nakladni-3"};
    const fix16 station_radius = f->mode == 0 ? 500 * FIX16_ONE : 35 * FIX16_ONE;
    f->target_count = f->mode == 0 ? 5 : 4;
    f->targets[0] = target_info{NAMES[0], &f->station, {0, 0, 0}, station_radius, 1};
    for (int i = 0; i < 3; i++)
        f->targets[1 + i] =
            target_info{NAMES[1 + i], &f->decoys[i], f->decoy_velocity[i], 8 * FIX16_ONE, 0};
    f->targets[4] = target_info{NAMES[4], &f->transport, {0, 0, 0}, 125 * FIX16_ONE, 0};
}

void place_scene(flight* f) {
    f->station = render_pose{at_metres(0, 0, 0), IDENTITY};
    if (f->mode == 0) {
        // Kocka-7 waits dead ahead of the start, the other two a little aside.
        f->decoys[0] = render_pose{at_metres(2123, 831, -1309), IDENTITY};
        f->decoys[1] = render_pose{at_metres(2150, 760, -1250), IDENTITY};
        f->decoys[2] = render_pose{at_metres(2250, 930, -1180), IDENTITY};
    } else {
        f->decoys[0] = render_pose{at_metres(-70, 10, -90), IDENTITY};
        f->decoys[1] = render_pose{at_metres(80, -20, -60), IDENTITY};
        f->decoys[2] = render_pose{at_metres(0, 60, 110), IDENTITY};
    }
    for (vec3& v : f->decoy_velocity) v = vec3{0, 0, 0};
    f->transport = render_pose{at_metres(1500, 250, 900), NOSE_PLUS_Z};
    f->planet = render_pose{at_metres(-17000, -2500, 3000), IDENTITY};
    f->moon = f->planet;
    orbit_init(&f->moon_orbit, static_cast<uint64_t>(metres(15788)), 39343, 0xDB05B05Bu, 61322589u,
               0);
    // The start: outside the station's far side, the station ahead on the right and the
    // planet with its moon beyond it on the left.
    f->ship.position = space_local{metres(2400), metres(900), metres(-1400)};
    vec3 view = {-6400 * FIX16_ONE, -1600 * FIX16_ONE, 2100 * FIX16_ONE}, up = {0, FIX16_ONE, 0};
    mat3_look_at(&f->ship.orientation, &view, &up);
    f->ship.velocity = vec3{0, 0, 0};
    f->ship.angular_velocity = vec3{0, 0, 0};
    place_targets(f);
}

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

int flight_start(flight* f) {
    std::memset(f, 0, sizeof *f);
    f->mode = g_scene;
    print_start_lines(f);
    build_game_palette();
    std::memcpy(f->palette, g_game_palette, sizeof f->palette);
    if (g_cp_ok) cockpit_panel_apply_palette(&g_cp_panel, f->palette);
    int requested_h = FRAME_H_MAX;
    if (!open_screen(f, requested_h)) {
        std::printf("FAILED: present_amiga_open returned NULL\n");
        return 1;
    }
    std::printf("requested %dx%d, Intuition granted %dx%d (width*height %% 32 = %d)\n", FRAME_W,
                requested_h, f->width, f->height, (f->width * f->height) % 32);
    bool aligned = (reinterpret_cast<uintptr_t>(g_chunky) & 15u) == 0;
    std::printf("chunky @ 0x%08lx, %s16-byte aligned (%s MOVE16 clear this run)\n",
                static_cast<unsigned long>(reinterpret_cast<uintptr_t>(g_chunky) & 0xFFFFFFFFu),
                aligned ? "" : "NOT ", aligned ? "using" : "falling back for");
    depth_frame_init(&g_depth_frame, VIEW_NEAR, VIEW_FOCAL);
    particles_init(&f->fx, g_particle_pool, PARTICLES_GAME_CAPACITY);
    f->fx.limit = static_cast<int>(particles_mode_limit(f->gfx.particles));
    std::printf("OK: flight test running until Escape.\n");
    std::printf("sound: %s\n", "off (no audio channels)");
    start_log("flight started");
    static const uint16_t PRIMARY[KEYBIND_ACTIONS] = {0x11, 0x21, 0x22}; // W, S, D
    keybind_config_defaults(&f->keys, PRIMARY);
    keybind_config_set(&f->keys, 0, 1, RAWKEY_UP);
    keybind_config_set(&f->keys, 1, 1, RAWKEY_DOWN);
    cockpit_init(&f->cp);
    f->masses = mass_budget{1000 * FIX16_ONE,
                            {400 * FIX16_ONE, 200 * FIX16_ONE, 100 * FIX16_ONE, 50 * FIX16_ONE}};
    place_scene(f);
    static bool loadout_reported = false;
    if (!loadout_reported) {
        std::printf("ship: PROGDIR:equipment.dat missing or bad, placeholder loadout\n");
        loadout_reported = true;
    }
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
    std::printf("OK: flight test ended.\n");
    present_amiga_close(f->screen);
    f->screen = nullptr;
}

// --- input --------------------------------------------------------------------------------

void run_action(flight* f, int action);

void set_warp_direct(flight* f, int level) {
    cockpit& c = f->cp;
    c.warp_requested = level;
    c.warp_level = time_warp_apply_limit(level, c.warp_limit);
    if (c.warp_level < level)
        osd_show("zrychleni omezeno: blizko objektu (x%lu)",
                 static_cast<unsigned long>(time_warp_factor(c.warp_level)));
}

// Q: the next store type that hangs on a pylon, counting on cyclically from the current one.
void next_store_type(flight* f) {
    for (int k = 1; k <= 3; k++) {
        int type = (f->store_type - 1 + k) % 3 + 1;
        bool present = false;
        for (uint8_t s : f->stores) present = present || s == type;
        if (present) {
            f->store_type = type;
            break;
        }
    }
    f->group_state = 1;
}

void run_action(flight* f, int action) {
    if (action < 0 || action >= ACT_COUNT) return;
    f->light_counter[action] = 12;
    switch (action) {
    case ACT_ENGINES:
        f->engines_on = !f->engines_on;
        osd_show("%s", f->engines_on ? "motory: start" : "motory: stop");
        break;
    case ACT_AUTOPILOT:
        cockpit_toggle_autopilot(&f->cp);
        break;
    case ACT_GEAR:
        f->gear_out = !f->gear_out;
        osd_show("%s", f->gear_out ? "podvozek: vysunut" : "podvozek: zasunut");
        break;
    case ACT_COMMS:
        osd_show("%s: zatim neni", "komunikace");
        break;
    case ACT_ANALYSER:
        osd_show("%s: zatim neni", "analyzator");
        break;
    case ACT_HYPERJUMP:
        osd_show("%s: zatim neni", "hyperskok");
        break;
    case ACT_EXIT:
        f->quit = 1;
        break;
    case ACT_GROUP_A:
        f->group_state = 0;
        break;
    case ACT_GROUP_B:
        f->group_state = 1;
        break;
    case ACT_PROFILES:
    case ACT_MAPS:
        break; // the computer's pages are not part of this build's flight
    default:
        set_warp_direct(f, action - ACT_WARP0);
        break;
    }
}

void handle_key(flight* f, int key) {
    cockpit& c = f->cp;
    switch (key) {
    case 0x01:
    case 0x02:
    case 0x03:
    case 0x04:
        cockpit_select(&c, key - 1);
        break;
    case RAWKEY_MINUS:
    case 0x38:
    case RAWKEY_KP_MINUS:
        cockpit_warp_step(&c, -1);
        break;
    case RAWKEY_EQUALS:
    case 0x39:
    case RAWKEY_KP_PLUS:
        cockpit_warp_step(&c, +1);
        break;
    case 0x14:
        cockpit_select_next(&c);
        break;
    case 0x19:
        cockpit_toggle_pause(&c);
        break;
    case 0x20:
        run_action(f, ACT_AUTOPILOT);
        break;
    case RAWKEY_TAB:
        cockpit_next_mode(&c);
        break;
    case 0x56:
    case 0x57:
    case 0x58:
    case 0x59:
        run_action(f, ACT_WARP0 + key - 0x56);
        break;
    case 0x36:
    case 0x37:
        run_action(f, ACT_MAPS);
        break;
    case 0x17:
        run_action(f, ACT_PROFILES);
        break;
    case 0x12:
        run_action(f, ACT_ENGINES);
        break;
    case 0x24:
        run_action(f, ACT_GEAR);
        break;
    case 0x33:
        run_action(f, ACT_COMMS);
        break;
    case 0x13:
        run_action(f, ACT_ANALYSER);
        break;
    case 0x25:
        run_action(f, ACT_HYPERJUMP);
        break;
    case 0x34:
        run_action(f, f->group_state == 0 ? ACT_GROUP_B : ACT_GROUP_A);
        break;
    case 0x10:
        next_store_type(f);
        break;
    case RAWKEY_ESCAPE:
        f->quit = 1;
        break;
    default:
        break;
    }
}

bool reopen_screen(flight* f, int height) {
    present_amiga_close(f->screen);
    f->screen = nullptr;
    return open_screen(f, height);
}

void function_key(flight* f, int k) {
    char line[200];
    switch (k) {
    case 0: { // F1: shading
        gfx_cfg.shading = f->gfx.shading == 2 ? 1 : 2;
        graphics_resolve(&f->gfx, &gfx_cfg, static_cast<uint32_t>(detected_cpu));
        graphics_describe(&f->gfx, line, sizeof line);
        std::printf("%s\n", line);
        osd_show("F1 shading: %s", f->gfx.shading == 2 ? "on" : "off");
        break;
    }
    case 1: { // F2: the other screen height, or back to the one we had
        int previous = f->height;
        int wanted = previous == FRAME_H_MAX ? 200 : FRAME_H_MAX;
        if (!reopen_screen(f, wanted) && !open_screen(f, previous)) {
            std::printf("FAILED: could not reopen the screen\n");
            f->quit = 1;
            return;
        }
        report_screen(f->screen, 0);
        // The view names are the two settings' names: the taller screen is the taller view.
        std::printf("view: %s (%dx%d)\n", view_mode_name(f->height == FRAME_H_MAX ? 1 : 0),
                    f->width, f->height);
        break;
    }
    case 2: { // F3: the next output mode
        int32_t mode = present_amiga_c2p_mode(f->screen);
        int32_t next =
            mode >= C2P_RTG ? (mode == C2P_RTG ? C2P_RTG_DELTA : C2P_RTG) : (mode + 1) % 3;
        int32_t took = present_amiga_set_c2p_mode(f->screen, next);
        std::printf("c2p mode: %s\n", present_c2p_mode_name(took));
        osd_show("F3 c2p: %s", present_c2p_mode_name(took));
        std::memset(f->panel_drawn, 0xFF, sizeof f->panel_drawn);
        break;
    }
    case 3: { // F4: vertex math
        int forced = !g_has_fpu;
        g_vertex_fpu = forced ? 0 : !g_vertex_fpu;
        std::printf("vertex math: %s%s\n", g_vertex_fpu ? "FPU" : "integer (fix16)",
                    forced ? " - no FPU in this machine" : "");
        osd_show("F4 vertex math: %s%s", g_vertex_fpu ? "FPU" : "int", forced ? " (no FPU)" : "");
        break;
    }
    case 4: { // F5: render timing
        g_prof_on = g_eclock_ok ? !g_prof_on : 0;
        std::printf("render timing: %s\n", g_prof_on ? "on" : "off (no EClock reads)");
        osd_show("F5 render timing: %s", g_prof_on ? "on" : "off");
        break;
    }
    default: { // F6: raster path
        g_raster_fused = !g_raster_fused;
        std::printf("raster path: %s\n", g_raster_fused ? "fused" : "spans");
        osd_show("F6 raster: %s", g_raster_fused ? "fused" : "spans");
        break;
    }
    }
}

bool action_held(const flight* f, int action) {
    for (int slot = 0; slot < 2; slot++) {
        uint16_t key = keybind_config_get(&f->keys, action, slot);
        if (key != 0 && present_amiga_key_held(f->screen, key)) return true;
    }
    return false;
}

fix16 clamp_fix16(fix16 v, fix16 lo, fix16 hi) {
    return v < lo ? lo : (v > hi ? hi : v);
}

void mouse_click(flight* f, const present_input* in) {
    int x = in->mouse_x, y = in->mouse_y;
    if (f->use_panel) {
        int ly = panel_layout_y(&g_cp_panel, y, f->height);
        if (ly >= 0) {
            run_action(f, cockpit_panel_hit(&g_cp_panel, x, ly));
            return;
        }
    } else if (y < BAR_ROWS) {
        int x0[BAR_ITEMS], x1[BAR_ITEMS];
        screen_bar_layout(f->width, x0, x1);
        for (int i = 3; i < BAR_ITEMS; i++)
            if (x >= x0[i] && x <= x1[i]) run_action(f, ACT_WARP0 + (i - 3));
        return;
    }
    cockpit_pick(&f->cp, x, y - f->view_y0);
}

void read_input(flight* f, int ticks) {
    present_input in;
    present_amiga_poll_input(f->screen, &in);
    // Function keys act once per press, however long they are held.
    for (int k = 0; k < 6; k++) {
        int held = present_amiga_key_held(f->screen, RAWKEY_F1 + k);
        if (held && !f->fkey_held[k]) function_key(f, k);
        f->fkey_held[k] = held;
        if (f->quit) return;
    }
    int key;
    while ((key = present_amiga_pop_key(f->screen)) >= 0) handle_key(f, key);
    if (in.escape) f->quit = 1;
    if (in.lmb && !f->lmb_was) mouse_click(f, &in);
    f->lmb_was = in.lmb;

    if (!f->engines_on) {
        f->throttle = 0;
    } else if (action_held(f, 0)) {
        f->throttle = clamp_fix16(f->throttle + ticks * THROTTLE_STEP, 0, FIX16_ONE);
    }
    if (action_held(f, 1))
        f->throttle = clamp_fix16(f->throttle - ticks * THROTTLE_STEP, 0, FIX16_ONE);
    f->controls = flight_controls{0, 0, 0, f->throttle, action_held(f, 2) ? 1 : 0};
    if (in.rmb) {
        int dx = in.drag_dx < -50 ? -50 : (in.drag_dx > 50 ? 50 : in.drag_dx);
        int dy = in.drag_dy < -50 ? -50 : (in.drag_dy > 50 ? 50 : in.drag_dy);
        f->controls.yaw = fix16_div(dx * FIX16_ONE, 50 * FIX16_ONE);
        f->controls.pitch = fix16_div(-dy * FIX16_ONE, 50 * FIX16_ONE);
        if ((dx != 0 || dy != 0) && f->cp.autopilot) cockpit_toggle_autopilot(&f->cp);
    }
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

void simulate(flight* f, int ticks) {
    time_warp_plan(&f->plan, f->cp.warp_level, ticks * TICK_DT);
    fix16 accel = fix16_div(SHIP_THRUST, mass_budget_total(&f->masses));
    for (int s = 0; s < f->plan.steps; s++) {
        autopilot_goal goal;
        if (f->mode == 0 &&
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
    if (f->cp.warp_level != 0) {
        for (int t = 0; t < ticks; t++) {
            spin_step(&f->station.orient, &STATION_SPIN_STEP);
            spin_step(&f->decoys[0].orient, &DECOY0_SPIN_STEP);
            spin_step(&f->decoys[1].orient, &DECOY1_SPIN_STEP);
            spin_step(&f->decoys[2].orient, &DECOY2_SPIN_STEP);
        }
    }
}

// --- camera -------------------------------------------------------------------------------

void look_at(render_pose* camera, const vec3& from_m, const vec3& target_m) {
    camera->pos = space_pos{static_cast<fix32>(from_m.x) << 16, static_cast<fix32>(from_m.y) << 16,
                            static_cast<fix32>(from_m.z) << 16};
    vec3 forward, up = {0, FIX16_ONE, 0};
    vec3_sub(&forward, &target_m, &from_m);
    mat3_look_at(&camera->orient, &forward, &up);
}

void orbit_demo_camera(flight* f, int ticks) {
    for (int t = 0; t < ticks; t++) {
        mat3_apply(&f->orbit_dir, &ORBIT_STEP, &f->orbit_dir);
        vec3_normalize(&f->orbit_dir, &f->orbit_dir);
    }
    const vec3& d = f->orbit_dir;
    vec3 at = {fix16_mul(140 * FIX16_ONE, d.x), 40 * FIX16_ONE, fix16_mul(140 * FIX16_ONE, d.z)};
    f->ship.position = space_local{static_cast<fix32>(at.x) << 16, static_cast<fix32>(at.y) << 16,
                                   static_cast<fix32>(at.z) << 16};
    vec3 facing = {wrap_sub32(0, d.x), 0, wrap_sub32(0, d.z)}, up = {0, FIX16_ONE, 0};
    mat3_look_at(&f->ship.orientation, &facing, &up);
    f->camera = render_pose{from_local(f->ship.position), f->ship.orientation};
}

void dock_demo_camera(flight* f) {
    amiga_datestamp now;
    amiga_date_stamp(&now);
    uint32_t t = static_cast<uint32_t>(datestamp_elapsed_ms(&f->started, &now));
    if ((t / 20000) % 2 == 0) {
        fix16 u = fix16_div(static_cast<fix16>(t % 20000), 20000);
        fix16 phi = fix16_mul(turn_sin(static_cast<uint32_t>(u)), 0x1EB8);
        vec3 from = {560 * FIX16_ONE +
                         fix16_mul(300 * FIX16_ONE, turn_sin(static_cast<uint32_t>(phi + 0x4000))),
                     70 * FIX16_ONE,
                     fix16_mul(300 * FIX16_ONE, turn_sin(static_cast<uint32_t>(phi)))};
        look_at(&f->camera, from, vec3{510 * FIX16_ONE, 0, 0});
    } else {
        fix16 u = fix16_div(static_cast<fix16>(t % 30000), 30000);
        vec3 from = {fix16_mul(1500 * FIX16_ONE, turn_sin(static_cast<uint32_t>(u + 0x4000))),
                     420 * FIX16_ONE,
                     fix16_mul(1500 * FIX16_ONE, turn_sin(static_cast<uint32_t>(u)))};
        look_at(&f->camera, from, vec3{0, 0, 0});
    }
}

void place_camera(flight* f, int ticks) {
    if (f->mode == 1) {
        orbit_demo_camera(f, ticks);
    } else if (f->mode == 2) {
        dock_demo_camera(f);
    } else {
        f->camera = render_pose{from_local(f->ship.position), f->ship.orientation};
    }
}

// --- the 3D view --------------------------------------------------------------------------

struct view_target {
    uint8_t* frame;
    int32_t* depth;
    int width, height;
};

vec3 light_point(const render_pose* object, const render_pose* camera) {
    // A point 4096 m from the object towards the star, in view space: draw_model lights
    // each face from the direction of that point.
    vec3 dir, view_dir, t;
    light_from_star(&dir, &object->pos);
    mat3 ct;
    mat3_transpose(&ct, &camera->orient);
    mat3_apply(&view_dir, &ct, &dir);
    const vec3 origin = {0, 0, 0};
    transform_to_view(&t, &origin, object, camera);
    return vec3{wrap_add32(t.x, view_dir.x << 12), wrap_add32(t.y, view_dir.y << 12),
                wrap_add32(t.z, view_dir.z << 12)};
}

// Draws one placed drawable at its level of detail; returns that level, -1 when not drawn.
int draw_object(const flight* f, const view_target* vt, const drawable* d, const render_pose* pose,
                uint8_t base, int mode) {
    if (!d || d->mdl.level_count == 0) return -1;
    int level = drawable_pick_lod(d, &pose->pos, &f->camera.pos);
    if (level < 0 || level >= d->mdl.level_count) return -1;
    vec3 light = light_point(pose, &f->camera);
    int ramp = mode == SHADE_LIT_RAMP ? 8 : 4;
    draw_model(vt->frame, vt->depth, vt->width, vt->height, &d->mdl.levels[level],
               d->normals[level], d->radius[level], pose, &f->camera, &f->vp, &f->slopes, mode,
               &light, base, ramp, g_spans);
    return level;
}

fix16 far_edge(const flight* f, const render_pose* pose, fix16 radius) {
    return wrap_add32(camera_distance(&pose->pos, &f->camera.pos), radius);
}

// Globe detail follows the model detail: coarse globes at low and high detail, the automatic
// choice (coarse only for large discs) at ultra, every pixel at crazy.
int globe_setting(uint32_t detail) {
    if (detail >= 4) return 0;
    return detail == 3 ? 2 : 1;
}

void draw_bodies(flight* f, const view_target* vt, fix16 overlap) {
    if (f->mode != 0) return;
    space_pos offset;
    orbit_offset(&f->moon_orbit, &g_world_time, &offset);
    f->moon.pos =
        space_pos{wrap_add64(f->planet.pos.x, offset.x), wrap_add64(f->planet.pos.y, offset.y),
                  wrap_add64(f->planet.pos.z, offset.z)};
    spin_orientation(&f->planet.orient, &EARTH_SPIN, &g_world_time);
    spin_orientation(&f->moon.orient, &MOON_SPIN, &g_world_time);
    const globe_texture* zeme = globe_lookup("zeme");
    const globe_texture* mesic = globe_lookup("mesic");
    globe_item items[GLOBES];
    int count = 0;
    if (zeme) globe_item_add(items, &count, GLOBES, zeme, &f->planet, &f->camera);
    if (mesic) globe_item_add(items, &count, GLOBES, mesic, &f->moon, &f->camera);
    draw_globes_back(vt->frame, vt->depth, vt->width, vt->height, items, count, overlap, &f->camera,
                     &f->vp, &g_depth_frame, globe_setting(f->gfx.detail));
    if (!zeme && g_have_planet) draw_object(f, vt, &g_planet, &f->planet, 152, SHADE_LIT_RAMP);
    if (!mesic && g_have_planet) draw_object(f, vt, &g_moon, &f->moon, 176, SHADE_LIT_RAMP);
}

void place_dock_traffic(flight* f) {
    uint32_t t = f->sim_ms;
    if (f->mode == 2) {
        amiga_datestamp now;
        amiga_date_stamp(&now);
        t = static_cast<uint32_t>(datestamp_elapsed_ms(&f->started, &now));
    }
    dock_scene scene;
    dock_scene_objects(t, &scene);
    for (int k = 0; k < DOCK_SHIPS; k++) {
        f->dock_objects[k] = render_pose{
            {scene.ship_pos[k][0], scene.ship_pos[k][1], scene.ship_pos[k][2]}, NOSE_MINUS_X};
        f->dock_in_flight[k] = scene.ship_in_flight[k];
    }
    for (int d = 0; d < 2; d++)
        f->dock_objects[3 + d] = render_pose{
            {scene.door_pos[d][0], scene.door_pos[d][1], scene.door_pos[d][2]}, IDENTITY};
    f->dock_objects[5] =
        render_pose{{scene.mover_pos[0], scene.mover_pos[1], scene.mover_pos[2]}, NOSE_PLUS_Z};
}

void render_view(flight* f, const view_target* vt) {
    uint32_t t0 = clock_us();
    depth_frame_begin(&g_depth_frame, vt->depth, static_cast<uint32_t>(vt->width * vt->height));
    fast_clear_frame(vt->frame, static_cast<uint32_t>(vt->width * vt->height), 0);
    uint32_t t1 = clock_us();
    f->timers.clear += t1 - t0;

    int mode = f->gfx.shading == 2 ? SHADE_MATERIAL_LIT : SHADE_MATERIAL;
    bool big_station = f->mode != 1 && g_have_dock;
    const drawable* station = big_station ? &g_dock : &g_station;
    fix16 overlap = far_edge(f, &f->station, big_station ? 600 * FIX16_ONE : 60 * FIX16_ONE);
    if (f->mode == 0 && g_have_dock) {
        fix16 t = far_edge(f, &f->transport, 130 * FIX16_ONE);
        if (t > overlap) overlap = t;
    }
    draw_bodies(f, vt, overlap);
    f->station_lod = draw_object(f, vt, station, &f->station, LIVERY_STATION, mode);
    if (big_station) {
        place_dock_traffic(f);
        for (int k = 0; k < DOCK_SHIPS; k++)
            draw_object(f, vt, &g_hull, &f->dock_objects[k], LIVERY_TRAFFIC, mode);
        if (g_have_door_box)
            for (int d = 0; d < 2; d++)
                draw_object(f, vt, &g_door_box, &f->dock_objects[3 + d], LIVERY_STATION, mode);
        draw_object(f, vt, scene_drawable("lehka_fregata"), &f->dock_objects[5], LIVERY_TRANSPORT,
                    mode);
    }
    uint32_t t2 = clock_us();
    f->timers.station += t2 - t1;
    if (f->mode != 2)
        for (int i = 0; i < 3; i++)
            draw_object(f, vt, &g_hull, &f->decoys[i], LIVERY_DECOY[i], mode);
    if (f->mode == 0 && g_have_dock)
        draw_object(f, vt, &g_transport, &f->transport, LIVERY_TRANSPORT, mode);
    uint32_t t3 = clock_us();
    f->timers.decoys += t3 - t2;
    particles_draw(&f->fx, FX_RAMPS, &f->camera, &f->vp, &g_depth_frame, vt->frame, vt->depth,
                   vt->width, vt->height);
    f->timers.fx += clock_us() - t3;
}

// --- the HUD, the panel and the rest of the overlays --------------------------------------

vec3 velocity_in_camera(const flight* f) {
    mat3 ct;
    mat3_transpose(&ct, &f->camera.orient);
    vec3 v;
    mat3_apply(&v, &ct, &f->ship.velocity);
    return v;
}

void run_cockpit(flight* f, const view_target* vt, int frame_ms) {
    cockpit& c = f->cp;
    cockpit_update_view(&c, f->targets, f->target_count, &f->camera, &f->vp);
    vec3 velocity = velocity_in_camera(f);
    if (f->controls.fire && !f->fire_was) cockpit_fire(&c, &velocity, &f->vp);
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
    return mask;
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
    v[PV_GAUGES + 1] = 100;                                             // fuel
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

void draw_panel(flight* f) {
    if (f->use_panel) {
        fill_panel_values(f);
        if (std::memcmp(f->panel_values, f->panel_drawn, PANEL_VALUES_SIZE) != 0) {
            cockpit_panel_draw(&g_cp_panel, f->panel_values, g_chunky,
                               g_chunky + (f->height - g_cp_panel.bottom_rows) * f->width,
                               f->width);
            std::memcpy(f->panel_drawn, f->panel_values, PANEL_VALUES_SIZE);
            f->bands_changed = 1;
        }
        return;
    }
    f->bands_changed = 1;
    // Without the panel file: the top bar and four gauges, redrawn every frame.
    std::memset(g_chunky, 0, static_cast<size_t>(BAR_ROWS * f->width));
    int x0[BAR_ITEMS], x1[BAR_ITEMS];
    screen_bar_layout(f->width, x0, x1);
    int warp = f->cp.warp_requested > 3 ? 3 : f->cp.warp_requested;
    for (int i = 0; i < BAR_ITEMS; i++)
        bar_item(g_chunky, f->width, x0[i], x1[i], bar_label(i), i >= 3 && i - 3 == warp, 2);
    uint8_t* strip = g_chunky + f->view_y1 * f->width;
    std::memset(strip, 0, static_cast<size_t>(GAUGE_STRIP_ROWS * f->width));
    draw_flight_gauges(strip, f->width, 100, 100, 0, (f->throttle * 100) >> 16);
}

// True when rows y0 .. y1 (inclusive) reach into a panel band.
bool over_panel(const flight* f, int y0, int y1) {
    return y0 < f->view_y0 || y1 >= f->view_y1;
}

void draw_overlays(flight* f, const view_target* vt) {
    draw_panel(f);
    screen_clock(vt->frame + (vt->height - 16) * vt->width, vt->width, 16, &g_world_time, nullptr);
    bool on_panel = false;
    if (g_osd_on) {
        amiga_datestamp now;
        amiga_date_stamp(&now);
        if (datestamp_elapsed_ms(&g_osd_start, &now) > 2500) {
            g_osd_on = 0;
        } else {
            int x = (f->width - text_width(g_osd_text)) / 2;
            int y = f->height - 34;
            text_draw_shadow(g_chunky, f->width, f->height, x, y, g_osd_text, 2, 1);
            on_panel = on_panel || over_panel(f, y, y + 8);
        }
    }
    char fps[16];
    std::snprintf(fps, sizeof fps, "FPS %u", f->fps_shown);
    text_draw_shadow(vt->frame, vt->width, vt->height, vt->width - 4 - text_width(fps),
                     vt->height - 12, fps, 3, 1);
    int mx = f->screen->mouse_x, my = f->screen->mouse_y;
    draw_arrow_pointer(g_chunky, f->width, f->height, mx, my);
    on_panel = on_panel || over_panel(f, my, my + 10);
    // The panel is redrawn only when its values change, so whatever was drawn over its bands
    // (the notice, the pointer) is wiped by a redraw on the next frame, and on the frame
    // after it has gone.
    if (on_panel || f->overlay_on_panel) std::memset(f->panel_drawn, 0xFF, sizeof f->panel_drawn);
    f->overlay_on_panel = on_panel;
}

// --- statistics ---------------------------------------------------------------------------

void print_stats(flight* f) {
    uint32_t now = clock_us();
    long ms;
    if (g_eclock_ok && now - f->stat_frames_start_us >= 1000) {
        ms = static_cast<long>((now - f->stat_frames_start_us) / 1000);
    } else {
        amiga_datestamp ds;
        amiga_date_stamp(&ds);
        ms = datestamp_elapsed_ms(&f->stat_start, &ds);
    }
    long fps_whole = ms > 0 ? 20000 / ms : 0;
    long fps_frac = ms > 0 ? (2000000 / ms) % 100 : 0;
    const phase_timers& t = f->timers;
    std::printf("20 frames in %ld ms (%ld.%02ld fps) input=%ld physics=%ld clear=%ld station=%ld "
                "decoys=%ld "
                "fx=%ld render=%ld present=%ld ms, particles=%u\n",
                ms, fps_whole, fps_frac, static_cast<long>(t.input / 1000),
                static_cast<long>(t.physics / 1000), static_cast<long>(t.clear / 1000),
                static_cast<long>(t.station / 1000), static_cast<long>(t.decoys / 1000),
                static_cast<long>(t.fx / 1000), static_cast<long>(t.render / 1000),
                static_cast<long>(t.present / 1000), static_cast<unsigned>(f->fx.count));
    uint32_t submitted = 0, written = 0;
    present_amiga_c2p_stats(f->screen, &submitted, &written);
    long share =
        submitted ? static_cast<long>(static_cast<uint64_t>(written) * 100 / submitted) : 0;
    std::printf(
        "  tris/20f: drawn=%lu clipped=%lu objs_culled=%lu station_lod=%u | c2p=%s blocks written "
        "%ld%% | sim steps %lu\n",
        static_cast<unsigned long>(g_render_stats.tris_drawn),
        static_cast<unsigned long>(g_render_stats.tris_clipped),
        static_cast<unsigned long>(g_render_stats.objs_culled),
        static_cast<unsigned>(f->station_lod < 0 ? 0 : f->station_lod),
        present_c2p_mode_name(present_amiga_c2p_mode(f->screen)), share,
        static_cast<unsigned long>(f->sim_steps));
    const render_timing& rt = g_render_timing;
    auto per_frame_us = [](uint32_t ticks) {
        return static_cast<unsigned long>(prof_ticks_to_us(ticks) / STAT_FRAMES);
    };
    std::printf("  render us/frame: backface=%lu verts=%lu setup=%lu fill=%lu | px/frame=%lu "
                "reads/frame=%lu | "
                "%s raster=%s | globe=%lu px=%lu %s\n",
                per_frame_us(rt.backface), per_frame_us(rt.verts), per_frame_us(rt.setup),
                per_frame_us(rt.fill), static_cast<unsigned long>(rt.pixels / STAT_FRAMES),
                static_cast<unsigned long>(rt.reads / STAT_FRAMES),
                g_vertex_fpu ? "FPU" : "integer (fix16)", g_raster_fused ? "fused" : "spans",
                per_frame_us(rt.globe), static_cast<unsigned long>(rt.globe_pixels / STAT_FRAMES),
                rt.globe_level == 0 ? "full" : (rt.globe_level == 1 ? "coarse x2" : "coarse x4"));
    g_render_stats = render_stats{0, 0, 0};
    int on = g_render_timing.on;
    uint32_t (*reader)() = g_render_timing.now;
    g_render_timing = render_timing{};
    g_render_timing.on = on;
    g_render_timing.now = reader;
    f->timers = phase_timers{};
    f->sim_steps = 0;
    f->stat_frames_start_us = now;
    amiga_date_stamp(&f->stat_start);
}

// --- tracing ------------------------------------------------------------------------------

void trace_frame(flight* f) {
    const cockpit& c = f->cp;
    unsigned frame = present_frame_count();
    // A centre message is new when it changed or its display time started again.
    if (c.message != 0 && c.message_ms > 0 &&
        (c.message != f->traced_message || c.message_ms > f->traced_message_ms))
        std::printf("trace %u: message %s\n", frame, loc(c.message));
    f->traced_message = c.message;
    f->traced_message_ms = c.message_ms;
    if (g_osd_on && std::strcmp(g_osd_text, f->traced_osd) != 0)
        std::printf("trace %u: osd %s\n", frame, g_osd_text);
    std::snprintf(f->traced_osd, sizeof f->traced_osd, "%s", g_osd_on ? g_osd_text : "");
    if (c.target >= 0 && frame % 10 == 0)
        std::printf("trace %u: target %s %u m%s\n", frame, f->targets[c.target].name,
                    c.dist[c.target], c.proj[c.target].visible ? "" : " (off screen)");
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
    read_input(f, ticks);
    if (f->quit) return;
    uint32_t t1 = clock_us();
    f->timers.input += t1 - t0;
    simulate(f, ticks);
    place_camera(f, ticks);
    particles_update(&f->fx, f->cp.warp_level == 0 ? 0 : frame_ms);
    for (int& counter : f->light_counter)
        if (counter > 0) counter--;
    uint32_t t2 = clock_us();
    f->timers.physics += t2 - t1;

    g_render_timing.on = g_prof_on;
    g_render_timing.now = g_prof_on ? prof_now : nullptr;
    view_target vt = {g_chunky + f->view_y0 * f->width, g_depth, f->width, f->view_y1 - f->view_y0};
    render_view(f, &vt);
    uint32_t t3 = clock_us();
    run_cockpit(f, &vt, static_cast<int>(frame_ms));
    draw_overlays(f, &vt);
    if (g_flight_trace) trace_frame(f);
    f->timers.render += clock_us() - t3;

    frame_cap_wait(&f->cap_last, fps_cap_period_us(gfx_cfg.fps_cap));
    uint32_t t4 = clock_us();
    // Only the 3D view's rows change from frame to frame; the bands go out with them when the
    // panel was redrawn or something was drawn over it, and everything after a screen change.
    if (f->full_present || f->bands_changed || f->overlay_on_panel)
        present_amiga_frame(f->screen, g_chunky);
    else
        present_amiga_frame_rows(f->screen, g_chunky, f->view_y0, f->view_y1 - f->view_y0);
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
    if (f->frames % STAT_FRAMES == 0) print_stats(f);
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

int flight_begin() {
    return flight_start(&g_flight);
}

int flight_step() {
    flight* f = &g_flight;
    if (f->quit || present_quit_requested()) return 0;
    flight_frame(f);
    return !f->quit;
}

void flight_finish() {
    flight_end(&g_flight);
}

int run_flight() {
    if (flight_begin()) return 1;
    while (flight_step()) {
    }
    flight_finish();
    return 0;
}

} // namespace vantrel
