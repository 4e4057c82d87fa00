// flight_input: the flight's keys, panel buttons and mouse: the key-to-command table, the
// panel actions, the function keys and the throttle, steering and fire controls.
#include <cstdio>
#include <cstring>

#include "flight/flight_local.h"
#include "flight/flight_loop.h"
#include "flight/furniture.h"
#include "platform/prof_amiga.h"
#include "render/model_draw.h"
#include "render/span.h"
#include "shell/startup.h"

namespace vantrel {

namespace {

constexpr fix16 THROTTLE_STEP = 1638; // full throttle in 40 ticks

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
        pages_profiles(f);
        break;
    case ACT_MAPS:
        pages_maps(f);
        break;
    default:
        set_warp_direct(f, action - ACT_WARP0);
        break;
    }
}

// What a key does in flight: one of the cockpit's own commands, or a panel action (which
// also lights its button).
enum key_command : int {
    KEY_SELECT,      // arg: the target index
    KEY_WARP_STEP,   // arg: -1 slower, +1 faster
    KEY_NEXT_TARGET, // the next target
    KEY_PAUSE,       // pause on and off
    KEY_NEXT_MODE,   // the next weapon mode
    KEY_GROUP,       // the other weapon group
    KEY_NEXT_STORE,  // the next pylon store type
    KEY_LEAVE,       // back to the cockpit from a page, else the end of the flight
    KEY_ACTION,      // arg: the panel action
};

struct flight_key {
    int key;
    key_command command;
    int arg;
};

constexpr flight_key FLIGHT_KEYS[] = {
    {RAWKEY_1, KEY_SELECT, 0},
    {RAWKEY_2, KEY_SELECT, 1},
    {RAWKEY_3, KEY_SELECT, 2},
    {RAWKEY_4, KEY_SELECT, 3},
    {RAWKEY_MINUS, KEY_WARP_STEP, -1},
    {RAWKEY_COMMA, KEY_WARP_STEP, -1},
    {RAWKEY_KP_MINUS, KEY_WARP_STEP, -1},
    {RAWKEY_EQUALS, KEY_WARP_STEP, +1},
    {RAWKEY_PERIOD, KEY_WARP_STEP, +1},
    {RAWKEY_KP_PLUS, KEY_WARP_STEP, +1},
    {RAWKEY_T, KEY_NEXT_TARGET, 0},
    {RAWKEY_P, KEY_PAUSE, 0},
    {RAWKEY_TAB, KEY_NEXT_MODE, 0},
    {RAWKEY_V, KEY_GROUP, 0},
    {RAWKEY_Q, KEY_NEXT_STORE, 0},
    {RAWKEY_ESCAPE, KEY_LEAVE, 0},
    {RAWKEY_A, KEY_ACTION, ACT_AUTOPILOT},
    {RAWKEY_F1 + 6, KEY_ACTION, ACT_WARP0 + 0}, // F7 - F10: pause, x1, x10, x100
    {RAWKEY_F1 + 7, KEY_ACTION, ACT_WARP0 + 1},
    {RAWKEY_F1 + 8, KEY_ACTION, ACT_WARP0 + 2},
    {RAWKEY_F1 + 9, KEY_ACTION, ACT_WARP0 + 3},
    {RAWKEY_N, KEY_ACTION, ACT_MAPS},
    {RAWKEY_M, KEY_ACTION, ACT_MAPS},
    {RAWKEY_I, KEY_ACTION, ACT_PROFILES},
    {RAWKEY_E, KEY_ACTION, ACT_ENGINES},
    {RAWKEY_G, KEY_ACTION, ACT_GEAR},
    {RAWKEY_C, KEY_ACTION, ACT_COMMS},
    {RAWKEY_R, KEY_ACTION, ACT_ANALYSER},
    {RAWKEY_H, KEY_ACTION, ACT_HYPERJUMP},
};

// Escape: a page goes back to the cockpit, the cockpit ends the flight.
void leave(flight* f) {
    if (flight_on_page(f))
        pages_show(f, SCREEN_COCKPIT);
    else
        f->quit = 1;
}

void key_command_run(flight* f, key_command command, int arg) {
    cockpit& c = f->cp;
    switch (command) {
    case KEY_SELECT:
        cockpit_select(&c, arg);
        break;
    case KEY_WARP_STEP:
        cockpit_warp_step(&c, arg);
        break;
    case KEY_NEXT_TARGET:
        cockpit_select_next(&c);
        break;
    case KEY_PAUSE:
        cockpit_toggle_pause(&c);
        break;
    case KEY_NEXT_MODE:
        cockpit_next_mode(&c);
        break;
    case KEY_GROUP:
        run_action(f, f->group_state == 0 ? ACT_GROUP_B : ACT_GROUP_A);
        break;
    case KEY_NEXT_STORE:
        next_store_type(f);
        break;
    case KEY_LEAVE:
        leave(f);
        break;
    case KEY_ACTION:
        run_action(f, arg);
        break;
    }
}

bool map_zoom_key(int key) {
    return key == RAWKEY_MINUS || key == RAWKEY_EQUALS || key == RAWKEY_KP_MINUS ||
           key == RAWKEY_KP_PLUS;
}

// On a map page the zoom keys belong to the map (held, not queued), and every other key but
// the computer's own is the map's first.
void handle_key(flight* f, int key) {
    int shown = f->computer.shown;
    if (shown == PAGE_SYSTEM || shown == PAGE_STARS) {
        if (map_zoom_key(key)) return;
        bool computer_key = key == RAWKEY_N || key == RAWKEY_M || key == RAWKEY_I;
        if (!computer_key && pages_key(f, key)) return;
    }
    for (const flight_key& k : FLIGHT_KEYS)
        if (k.key == key) {
            key_command_run(f, k.command, k.arg);
            return;
        }
}

bool reopen_screen(flight* f, int height) {
    present_amiga_close(f->screen);
    f->screen = nullptr;
    return flight_open_screen(f, height);
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
        if (!reopen_screen(f, wanted) && !flight_open_screen(f, previous)) {
            std::printf("FAILED: could not reopen the screen\n");
            f->quit = 1;
            return;
        }
        report_screen(f->screen, 0);
        pages_screen_changed(f);
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

// The drawn top bar: "<" back to the cockpit, MAPS, PROFILES, then the four warp levels.
void bar_click(flight* f, int x) {
    int x0[BAR_ITEMS], x1[BAR_ITEMS];
    screen_bar_layout(f->width, x0, x1);
    for (int i = 0; i < BAR_ITEMS; i++) {
        if (x < x0[i] || x > x1[i]) continue;
        if (i == 0 && flight_on_page(f)) pages_show(f, SCREEN_COCKPIT);
        if (i == 1) run_action(f, ACT_MAPS);
        if (i == 2) run_action(f, ACT_PROFILES);
        if (i >= 3) run_action(f, ACT_WARP0 + (i - 3));
    }
}

// A click on the bands works the panel; in the view it picks a target in the cockpit, hits a
// button of the page shown, or (on a map page) is the map's to pick with.
void mouse_click(flight* f, const present_input* in) {
    int x = in->mouse_x, y = in->mouse_y;
    if (f->use_panel) {
        int ly = panel_layout_y(&g_cp_panel, y, f->height);
        if (ly >= 0) {
            run_action(f, cockpit_panel_hit(&g_cp_panel, x, ly));
            return;
        }
    } else if (y < BAR_ROWS) {
        bar_click(f, x);
        return;
    }
    f->computer.lmb_in_view = y >= f->view_y0 && y < f->view_y1;
    if (flight_on_page(f))
        pages_click(f, x, y);
    else
        cockpit_pick(&f->cp, x, y - f->view_y0);
}

} // namespace

void flight_read_input(flight* f, int ticks, uint32_t frame_ms) {
    present_input in;
    present_amiga_poll_input(f->screen, &in);
    // Function keys act once per press, however long they are held.
    for (int k = 0; k < 6; k++) {
        int held = present_amiga_key_held(f->screen, RAWKEY_F1 + k);
        if (held && !f->fkey_held[k]) function_key(f, k);
        f->fkey_held[k] = held;
        if (f->quit) return;
    }
    // The escape flag and the queued Escape are the same press: it acts once.
    bool escaped = false;
    int key;
    while ((key = present_amiga_pop_key(f->screen)) >= 0) {
        escaped = escaped || key == RAWKEY_ESCAPE;
        handle_key(f, key);
    }
    if (in.escape && !escaped) leave(f);
    if (in.lmb && !f->lmb_was) mouse_click(f, &in);
    f->lmb_was = in.lmb;
    if (!in.lmb) f->computer.lmb_in_view = 0;

    if (flight_on_page(f)) {
        // The pages leave the ship to fly on: the held throttle and fire keys and the right
        // button's steering rest while the arrows and the mouse turn a map.
        if (!f->engines_on) f->throttle = 0;
        f->controls = flight_controls{0, 0, 0, f->throttle, 0};
        pages_update(f, &in, frame_ms);
        return;
    }
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

} // namespace vantrel
