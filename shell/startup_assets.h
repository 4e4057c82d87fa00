// startup_assets: the start-up steps that load what the modes draw: the station and detail
// models, the cockpit panel, the title scene, the logo, the music and the intro.
#pragma once

#include <cstdint>

#include "render/image8.h"
#include "shell/options.h"

namespace vantrel {

// The title logo: its file buffer, the parsed picture and the centre of its mark
// (the mean position of its pixels of colours 192-194, or the middle of the picture).
struct logo_record {
    uint8_t* file;
    image8 image;
    int loaded;
    int centre_x, centre_y;
};

extern logo_record g_logo;

// Steps 9 and 10: the station model, then the ship and dock models at the resolved detail.
// Prints the failure line and returns 0 when the game cannot go on.
int startup_models(const launch_options& options);
// Steps 12 to 15: title scene, logo, music, intro; none of them can stop the game. (Step
// 11, the cockpit panel, is the flight's: the program runs it in between.)
void startup_scenery();
// The logo's mark centre (exposed for tests).
void logo_find_centre(logo_record* logo);

} // namespace vantrel
