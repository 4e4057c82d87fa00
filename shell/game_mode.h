// game_mode: a mode of the game as the menu runs it, and what the shell lends it.
//
// Every choice on the main menu runs one mode: begin once, step once a frame until the mode
// says it has ended, finish once. The shell owns the program's one set of screen buffers
// (the chunky frame, the depth buffer and the rasteriser's spans) and lends them to whichever
// mode runs; a mode keeps its own state, never buffers of its own for the screen. A new mode
// is a folder of its own plus one entry in the table the program assembles (game_main).
#pragma once

#include <cstdint>

#include "render/span.h"

namespace vantrel {

// The buffers a mode draws into: room for a screen of width x height pixels.
struct frame_target {
    uint8_t* chunky;   // width * height palette indices
    int32_t* depth;    // width * height depth values
    depth_span* spans; // SPAN_CAPACITY entries of rasteriser work space
    int width, height;
};

struct mode_request {
    int variant; // which of the mode's kinds was chosen (the flight: game, orbit or dock demo)
    frame_target target;
};

struct game_mode {
    const char* name;
    int variant;       // handed to begin in the request
    bool needs_models; // the ships at the chosen detail must be loaded before it starts
    // false when the mode cannot start: the program then ends with a failure.
    bool (*begin)(const mode_request* request);
    // One frame; false once the mode has ended.
    bool (*step)();
    void (*finish)();
};

} // namespace vantrel
