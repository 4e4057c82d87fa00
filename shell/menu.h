// menu: the main menu's two pages (the hub and the graphics settings): drawing and keys.
//
// The menu loop owns the screen and the frame; this module only knows the current page and
// cursor, draws them into a chunky frame and turns raw keys into changes and choices.
#pragma once

#include <cstdint>

#include "shell/graphics.h"

namespace vantrel {

// Main page entries, top to bottom; every one but SETTINGS leaves the menu when chosen.
enum menu_choice : int {
    MENU_START = 0,
    MENU_DEMO_ORBIT = 1,
    MENU_DEMO_DOCK = 2,
    MENU_DEMO_SHIPS = 3,
    MENU_ARCADE = 4,
    MENU_SYSTEM_MAP = 5,
    MENU_PORT = 6,
    MENU_SETTINGS = 7,
    MENU_QUIT = 8,
};

// What a key asks of the menu loop besides a choice (choices are the values above).
enum menu_event : int {
    MENU_STAY = -1,  // nothing for the loop to do
    MENU_SAVE = -2,  // the settings page was left: write the settings file
    MENU_MUSIC = -3, // flip the music on or off
};

constexpr int MENU_MAIN_ENTRIES = 9;
constexpr int MENU_SETTINGS_ENTRIES = 8;
constexpr int MENU_SETTINGS_BACK = 7;
// Where the main page stands when no title scene gives its own place.
constexpr int MENU_DEFAULT_Y0 = 170;
// The lowest first-entry row at which all nine entries and their panel (down to y0 + 104)
// still end above the CPU line at row 244. A lower place (the default 170 among them) would
// push SETTINGS and QUIT off the bottom of the screen and over that line, so the page is
// raised to here.
constexpr int MENU_LOWEST_Y0 = 138;

struct menu_state {
    int settings_page; // 0 the main page, 1 the settings page
    int cursor;
};

// The machine facts the pages show and depend on.
struct menu_facts {
    uint32_t cpu_class;
    int has_fpu;
    int dock_models_loaded; // the dock demo can be chosen
};

// The main page with the cursor on its first entry.
void menu_reset(menu_state* m);
// Handles one raw key; changes settings in cfg on the settings page. Returns a choice that
// leaves the menu, or a menu_event.
int menu_key(menu_state* m, int raw_key, graphics_config* cfg, const menu_facts* facts);
// One settings entry stepped by +1 or -1 (entries 0-6; others change nothing).
void menu_settings_step(graphics_config* cfg, int entry, int delta);
// Draws the current page over what the frame holds; y0 places the main page.
void menu_draw(const menu_state* m, uint8_t* frame, int width, int height, int y0,
               const graphics_config* cfg, const menu_facts* facts);
// The label of a settings entry with its value, as the page shows it.
void menu_settings_entry_text(const graphics_config* cfg, const menu_facts* facts, int entry,
                              char* out, int size);

} // namespace vantrel
