// startup_assets: the start-up steps that load what the modes draw: the station and detail
// models, the logo and the music. (The cockpit panel is the flight's, the title scene and
// the intro the scene player's; the program runs them in between.)
#pragma once

#include <cstdint>

#include "platform/music_amiga.h"
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
// The title music, or null when its file is missing or unplayable.
extern music* g_music;

// Steps 9 and 10: the station model, then the ship and dock models at the resolved detail.
// Prints the failure line and returns 0 when the game cannot go on.
int startup_models(const launch_options& options);
// The logo and the music, after the title scene and before the intro; neither can stop the
// game. The log line names the title scene's state with the logo's.
void startup_logo_and_music(int title_loaded);
// The logo's mark centre (exposed for tests).
void logo_find_centre(logo_record* logo);

} // namespace vantrel
