// A session played in a real window, recorded with --record, then played again headless from
// the record: the same console and the same last frame. Input comes as SDL events pushed
// while the game runs, at real-time moments: into the menu, a flight, a lock and a missile.
#include <SDL2/SDL.h>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>

#include "e2e/run_game.h"
#include "flight/flight_loop.h"
#include "platform/files.h"
#include "platform/present_amiga.h"
#include "platform/sdl/sdl_window.h"
#include "shell/game_main.h"

namespace vantrel {
namespace {

void press(SDL_Scancode sc) {
    for (bool down : {true, false}) {
        SDL_Event e{};
        e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        e.key.keysym.scancode = sc;
        e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        SDL_PushEvent(&e);
        std::this_thread::sleep_for(std::chrono::milliseconds(80));
    }
}

// Waits until the game has ended `frames` more frames than at `since`. The count is read
// across threads without a lock: it only grows, and a stale read only waits a little longer.
uint32_t wait_frames(uint32_t since, uint32_t frames) {
    while (present_frame_count() < since + frames)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return present_frame_count();
}

// The player: past the intro, START, the second target, missiles, a wait for the lock, fire,
// a wait for the hit, and the window closed. Paced by the game's frames, not the wall clock,
// so that a slow machine plays the same session.
void play() {
    uint32_t at = wait_frames(0, 5);
    press(SDL_SCANCODE_SPACE);
    at = wait_frames(at, 20);
    press(SDL_SCANCODE_RETURN);
    at = wait_frames(at, 60);
    press(SDL_SCANCODE_2);
    press(SDL_SCANCODE_TAB);
    at = wait_frames(at, 110);
    press(SDL_SCANCODE_D);
    wait_frames(at, 70);
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
}

// The lines both runs must print alike: the back ends describe themselves differently.
std::string comparable(const std::string& out) {
    std::istringstream in(out);
    std::string line, kept;
    while (std::getline(in, line))
        if (line.rfind("chunky @", 0) != 0 && line.rfind("frame ", 0) != 0) kept += line + "\n";
    return kept;
}

TEST(Record, AWindowSessionReplaysHeadlessToTheSameLastFrame) {
    std::string dir = game_dir_fresh("record");
    const std::string record = dir + "/session.script", console = dir + "/window.txt";
    progdir_set(dir.c_str());
    setenv("LANGUAGE", "", 1);
    setenv("LC_ALL", "", 1);
    setenv("LANG", "C", 1);

    present_settings settings;
    settings.scale = 1;
    settings.no_sound = true;
    settings.record = record.c_str();
    settings.version = "test";
    ASSERT_EQ(present_backend_start(&PRESENT_BACKEND_SDL, &settings), 1);
    std::fflush(stdout);
    int saved = dup(1);
    std::FILE* out = std::fopen(console.c_str(), "w");
    dup2(fileno(out), 1);
    std::thread player(play);
    launch_options options;
    options.no_sound = true;
    g_flight_trace = 1;
    int result = game_main(options);
    player.join();
    PRESENT_BACKEND_SDL.stop();
    std::fflush(stdout);
    dup2(saved, 1);
    std::fclose(out);
    ASSERT_EQ(result, 0);

    std::string window = read_text(console), script = read_text(record);
    EXPECT_NE(script.find(" down d\n"), std::string::npos) << script;
    EXPECT_NE(window.find("message LOCKED"), std::string::npos) << window;
    game_run replay = run_game(dir, {"--headless", "--no-sound", "--trace", "--script", record},
                               {"LANGUAGE=", "LC_ALL=", "LC_MESSAGES=", "LANG=C"});
    EXPECT_EQ(replay.exit_code, 0) << replay.err;
    size_t hash = window.rfind("frame ");
    ASSERT_NE(hash, std::string::npos) << window;
    EXPECT_NE(replay.out.find(window.substr(hash)), std::string::npos) << replay.out;
    EXPECT_EQ(comparable(replay.out), comparable(window));
}

} // namespace
} // namespace vantrel
