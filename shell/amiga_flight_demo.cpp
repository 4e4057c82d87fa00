// amiga_flight_demo: start-up sequence and the main loop of the game.
#include "shell/amiga_flight_demo.h"

#include <cstdio>

#include "shell/services.h"
#include "shell/version.h"

namespace vantrel {

namespace {

void startup_banner() {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    start_log("Vantrel %s%s: main", VANTREL_VERSION, VANTREL_VARIANT);
    std::printf("Vantrel %s%s\n", VANTREL_VERSION, VANTREL_VARIANT);
    std::printf("fastram_cache_enable: SKIPPED (this build variant)\n");
}

} // namespace

int game_main(const launch_options& options) {
    (void)options;
    startup_banner();
    std::printf("vantrel: start-up stops here: the settings, the screen and the game modes are "
                "not built yet\n");
    return 0;
}

} // namespace vantrel
