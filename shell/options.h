// options: what the command line asked for, filled by main() and read by the shell.
#pragma once

#include <cstdint>
#include <string>

namespace vantrel {

struct launch_options {
    bool headless = false;     // no window: the screen is a buffer in memory
    bool fullscreen = false;   // start in desktop fullscreen
    int scale = 3;             // starting window size in multiples of the image
    bool aspect_4_3 = false;   // show the image at 4:3 (a monitor's shape), not square pixels
    bool planar = false;       // emulated bit-planes instead of a graphics-card screen
    std::string script;        // headless input script
    uint32_t frames = 0;       // raise the quit signal after this many frames (0 = never)
    std::string shot_dir;      // where screenshots go (empty = current directory)
    std::string audio_wav;     // headless: the sound mix as a WAV file
    bool no_sound = false;     // play nothing: every audio channel refused
    std::string record;        // window: write the session as a headless script
    std::string station_model; // the optional positional argument
};

} // namespace vantrel
