// main: the command line, then the game.
#include <CLI/CLI.hpp>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <string>

#include "flight/flight_loop.h"
#include "platform/headless/headless.h"
#include "shell/game_main.h"
#include "shell/version.h"
#if VANTREL_HAVE_SDL
#include "platform/sdl/sdl_window.h"
#endif

namespace {

// The screen and input back end the command line asks for: the window unless --headless
// (or when this build has no window back end).
const vantrel::present_backend* choose_backend(const vantrel::launch_options& options) {
#if VANTREL_HAVE_SDL
    if (!options.headless) return &vantrel::PRESENT_BACKEND_SDL;
#else
    (void)options;
#endif
    return &vantrel::PRESENT_BACKEND_HEADLESS;
}

// The frame count is 32 bits wide: a larger --frames would wrap instead of being reached,
// and 0 would never quit. Decimal digits only, checked before CLI11 converts the value.
std::string frame_count_fault(std::string& text) {
    uint64_t value = 0;
    bool digits = !text.empty() && text.size() <= 10;
    for (char c : text) {
        if (c < '0' || c > '9') digits = false;
        if (digits) value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    if (digits && value >= 1 && value <= UINT32_MAX) return {};
    return "Value " + text + " is not a whole number from 1 to 4294967295";
}

} // namespace

int main(int argc, char** argv) {
    // A write past the file-size limit then fails with an error the game reports, keeping
    // the old settings file, instead of killing the game.
    std::signal(SIGXFSZ, SIG_IGN);
    vantrel::launch_options options;
    bool window = false;
    bool show_version = false;
    CLI::App app{"Vantrel: space flight, trading and contracts among the stars near the Sun."};
    app.add_flag("--version", show_version, "Print the version and exit");
    app.add_flag("--fullscreen", options.fullscreen, "Start in desktop fullscreen");
    app.add_flag("--window", window, "Start in a window (the default)");
    app.add_option("--scale", options.scale, "Starting window size in multiples of 320x256")
        ->check(CLI::Range(1, 16));
    std::string aspect = "square";
    app.add_option("--aspect", aspect,
                   "Window image shape: square pixels (whole scales) or 4:3 (stretched)")
        ->check(CLI::IsMember({"square", "4:3"}));
    CLI::Option* headless = app.add_flag("--headless", options.headless,
                                         "Run without a window (screen kept in memory)");
    app.add_flag("--planar", options.planar,
                 "Emulate a planar (bit-plane) screen instead of a graphics-card screen");
    // A window takes its input from the player: a script there would be silently ignored.
    app.add_option("--script", options.script, "Headless input script")
        ->check(CLI::ExistingFile)
        ->needs(headless);
    app.add_option("--audio-wav", options.audio_wav, "Headless: write the sound mix to a WAV file")
        ->needs(headless);
    app.add_flag("--no-sound", options.no_sound, "Play no sound (every audio channel refused)");
    app.add_option("--record", options.record,
                   "Window: write every input and frame time to FILE as a headless script")
        ->excludes(headless);
    app.add_option("--frames", options.frames, "Quit after this many frames")
        ->check(CLI::Validator(frame_count_fault, "INT in [1 - 4294967295]"));
    app.add_flag("--trace", vantrel::g_flight_trace,
                 "Print what the flight shows mid-screen (messages, target distance), for tests");
    app.add_option("--shot-dir", options.shot_dir, "Directory for screenshots");
    app.add_option("station-model", options.station_model,
                   "Station model to load instead of PROGDIR:station.model");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e);
    }
    if (show_version) {
        std::printf("Vantrel %s%s\n", vantrel::VANTREL_VERSION, vantrel::VANTREL_VARIANT);
        return 0;
    }
    if (window) options.fullscreen = false;
    options.aspect_4_3 = aspect == "4:3";
    vantrel::present_settings settings;
    settings.planar = options.planar;
    settings.fullscreen = options.fullscreen;
    settings.scale = options.scale;
    settings.aspect_4_3 = options.aspect_4_3;
    settings.frames = options.frames;
    settings.script = options.script.c_str();
    settings.shot_dir = options.shot_dir.c_str();
    settings.audio_wav = options.audio_wav.c_str();
    settings.no_sound = options.no_sound;
    settings.record = options.record.c_str();
    settings.version = vantrel::VANTREL_VERSION;
    if (!vantrel::present_backend_start(choose_backend(options), &settings)) return 1;
    int result = vantrel::game_main(options);
    uint32_t failed = vantrel::headless_failed_shots();
    if (result == 0 && failed > 0) {
        std::fprintf(stderr, "vantrel: %lu screenshot%s could not be written\n",
                     static_cast<unsigned long>(failed), failed == 1 ? "" : "s");
        return 1;
    }
    return result;
}
