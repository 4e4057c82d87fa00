// flight_local: what the flight's own files share.
//
// A `flight` is the whole state of one flight: the screen it draws on and the rows of its 3D
// view, the ship with its controls and mass, the cockpit, the placed objects of the scene and
// their traffic, the camera, the particles, what the panel last showed, and the timers and
// counters of the statistics. One lives for the program (in flight_loop.cpp); each start
// clears it. Its mode's `flight_setup` says what the scene holds and who holds the camera, so
// the parts ask the record rather than compare mode numbers.
//
// The parts: flight_loop (start, end, simulation, the overlays and the frame), flight_input
// (keys, buttons and the mouse), flight_scene (placing the objects, the cameras, drawing the
// view), flight_pages (the ship's computer: the map and profile pages that replace the view)
// and flight_stats (the 20-frame statistics and the trace lines).
#pragma once

#include <cstdint>

#include "flight/cockpit.h"
#include "flight/panel_draw.h"
#include "flight/ship.h"
#include "flight/time_warp.h"
#include "platform/present_amiga.h"
#include "render/particles.h"
#include "render/view_draw.h"
#include "shell/game_mode.h"
#include "shell/graphics.h"
#include "shell/keybinds.h"
#include "shell/services.h"
#include "universe/orbit.h"

namespace vantrel {

constexpr int FRAME_W = 320;
constexpr int FRAME_H_MAX = 256;
constexpr int TARGETS = 5;
constexpr int DOCK_DRAWS = 6; // three ships, two doors, the passing ship
constexpr int STAT_FRAMES = 20;
constexpr int PYLONS = 6;

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

enum flight_camera : int {
    CAMERA_SHIP = 0,  // the pilot's seat
    CAMERA_ORBIT = 1, // circling the compact station
    CAMERA_DOCK = 2,  // sweeping past the docking bay, then around the complex
};

// What a flight mode places, draws and flies.
struct flight_setup {
    bool player;          // the pilot's flight: five targets, planet, moon, freighter, autopilot
    bool compact_station; // the small station instead of the complex with its traffic
    bool decoys_drawn;
    bool traffic_real_time; // the traffic runs on the wall clock, not simulated time
    flight_camera camera;
};

// What fills the rows of the 3D view: the cockpit, or a page of the ship's computer.
enum flight_screen : int {
    SCREEN_COCKPIT = 0,
    PAGE_SYSTEM, // the maps: the home system and the star neighbourhood
    PAGE_STARS,
    PAGE_SHIP, // the profiles: ship, pilot, cargo, missions
    PAGE_PILOT,
    PAGE_CARGO,
    PAGE_MISSIONS,
};
constexpr int PAGE_BUTTONS = 2; // PAINT and REFUEL

// A button of the page shown, in screen pixels (inclusive), and what it does.
struct page_button {
    int x0, y0, x1, y1;
    int command;
};

// The computer's pages within one flight.
struct flight_computer {
    int shown;        // flight_screen
    int last_profile; // the profile page opened next
    int maps_refused; // the star catalog could not be read: the maps stay shut this flight
    uint32_t ship_ms; // how long the SHIP page has been showing: the hull's turn
    // The hull's reach from its axis and the half-height it shows pitched (fix16 metres).
    fix16 hull_reach, hull_half_height;
    int lmb_in_view; // the left button went down over the view
    // Drawn on the page shown this frame; cleared whenever the screen changes.
    page_button buttons[PAGE_BUTTONS];
    int button_count;
    uint8_t palette[768]; // the flight's palette with the map colours and the ship's livery
};

struct phase_timers {
    uint32_t input, physics, clear, station, decoys, fx, render, present;
};

struct flight {
    int mode;                  // 0 the game, 1 the orbit demo, 2 the dock demo
    const flight_setup* setup; // what that mode places, draws and flies
    frame_target target;       // the screen buffers the shell lends the flight
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
    flight_computer computer;
};

// flight_loop
bool flight_open_screen(flight* f, int height);

// flight_input
// Keys, panel buttons and the mouse of one frame; ticks is the frame's 20 ms ticks (throttle).
void flight_read_input(flight* f, int ticks, uint32_t frame_ms);

// flight_scene
void flight_place_scene(flight* f);
void flight_place_camera(flight* f, int ticks);
void flight_render_view(flight* f, const view_scene* view);

// flight_pages
bool flight_on_page(const flight* f);
// Clears the computer for a new flight: the cockpit shown, the page models looked up.
void pages_start(flight* f);
// Shows a screen (the cockpit or a page): its palette, a whole-frame present, a trace line.
void pages_show(flight* f, int screen);
// The keys and panel buttons MAPS and PROFILES: open the group or step through it.
void pages_maps(flight* f);
void pages_profiles(flight* f);
// The map's own keys first on a map page; true when the key was used.
bool pages_key(flight* f, int key);
// The map's turning, zooming and picking, frame time in ms; the page's buttons on a click.
void pages_update(flight* f, const present_input* in, uint32_t frame_ms);
bool pages_click(flight* f, int x, int y);
// The screen reopened (F2): the map refits the new view, the page's palette goes back on.
void pages_screen_changed(flight* f);
// Fills the view's rows with the page shown.
void pages_draw(flight* f, uint32_t frame_ms);
// A box 12 rows high, text width + 8 wide, in colour 153, the text shadowed inside at
// (x + 4, y + 2); its inclusive rectangle goes to rect (x0, y0, x1, y1).
void draw_button(uint8_t* frame, int pitch, int height, int x, int y, const char* text,
                 int rect[4]);

// flight_stats
void flight_print_stats(flight* f);
void flight_trace_frame(flight* f);

} // namespace vantrel
