// game_main: the only file that knows every mode. It runs the start-up steps in order and
// hands the menu the mode table: one entry per main-menu choice, START to PORT; the menu runs
// each from begin to finish (the port's entry is run_port's three parts).
#include "shell/game_main.h"

#include "arcade/arcade_screen.h"
#include "flight/flight_loop.h"
#include "maps/map_screen.h"
#include "scenes/scene_mode.h"
#include "scenes/scene_player.h"
#include "shell/graphics.h"
#include "shell/menu_loop.h"
#include "shell/render_services.h"
#include "shell/services.h"
#include "shell/startup.h"
#include "shell/startup_assets.h"
#include "trade/port_screen.h"

namespace vantrel {

namespace {

constexpr game_mode MODES[MENU_MODE_COUNT] = {
    {"flight", 0, true, flight_begin, flight_step, flight_finish},
    {"flight (orbit demo)", 1, true, flight_begin, flight_step, flight_finish},
    {"flight (dock demo)", 2, true, flight_begin, flight_step, flight_finish},
    {"ship show", 0, true, ship_show_begin, ship_show_step, ship_show_finish},
    {"arcade", 0, true, arcade_mode_begin, arcade_mode_step, arcade_mode_finish},
    {"system map", 0, false, map_mode_begin, map_mode_step, map_mode_finish},
    {"port", 0, false, port_mode_begin, port_mode_step, port_mode_finish},
};

void free_title() {
    scene_view_free(&title_view);
}

// The title scene, the logo and the music, then the intro, before the first menu.
void startup_scenes() {
    int title_loaded = scene_view_load(&title_view, "title");
    shell_at_exit(free_title);
    startup_logo_and_music(title_loaded);
    const frame_target buffers = menu_screen_buffers();
    run_scene("intro", &buffers);
    start_log("intro done, menu");
}

} // namespace

int game_main(const launch_options& options) {
    startup_banner();
    render_services_install();
    startup_settings_and_catalog();
    startup_screen_mode(gfx_cfg.screen_mode_id);
    startup_cpu();
    startup_timer();
    if (!startup_models(options)) return 1;
    cockpit_panel_load();
    startup_scenes();
    return menu_loop(MODES, &TITLE_BACKDROP);
}

} // namespace vantrel
