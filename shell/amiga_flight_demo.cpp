// amiga_flight_demo: start-up sequence and the main loop of the game.
#include "shell/amiga_flight_demo.h"

#include <cstdio>

#include "shell/catalog_amiga.h"
#include "shell/graphics.h"
#include "shell/render_services.h"
#include "shell/services.h"
#include "shell/settings_file.h"
#include "shell/ui_config.h"
#include "shell/version.h"

namespace vantrel {

namespace {

void startup_banner() {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    start_log("Vantrel %s%s: main", VANTREL_VERSION, VANTREL_VARIANT);
    std::printf("Vantrel %s%s\n", VANTREL_VERSION, VANTREL_VARIANT);
    std::printf("fastram_cache_enable: SKIPPED (this build variant)\n");
}

// Settings first (the catalog language is one of them), then the catalog, so that every
// text shown from here on is in the player's language.
void startup_settings_and_catalog() {
    graphics_config_defaults(&gfx_cfg);
    ui_config_defaults(&ui_cfg);
    settings_file_read(&gfx_cfg, &ui_cfg);
    amiga_catalog_open(ui_cfg.language[0] ? ui_cfg.language : nullptr);
    shell_at_exit(amiga_catalog_close);
    std::printf("language: %s\n", amiga_catalog_language());
    start_log("settings + catalog ok (%s)", amiga_catalog_language());
}

} // namespace

int game_main(const launch_options& options) {
    (void)options;
    startup_banner();
    render_services_install();
    startup_settings_and_catalog();
    std::printf("vantrel: start-up stops here: the screen and the game modes are not built yet\n");
    return 0;
}

} // namespace vantrel
