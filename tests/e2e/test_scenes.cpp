// The scenes in the real program: start-up, the intro's ends, damaged or missing files.
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "e2e/run_game.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

game_run run_raw_script(const std::string& dir, const std::string& script,
                        std::vector<std::string> extra = {}) {
    write_text(dir + "/raw.script", script);
    std::vector<std::string> args = {"--headless", "--script", dir + "/raw.script"};
    args.insert(args.end(), extra.begin(), extra.end());
    return run_game(dir, args, locale_env());
}

// Positions of the lines in the output, in the order given; npos for a missing one.
std::vector<size_t> line_positions(const std::string& out, const std::vector<std::string>& lines) {
    std::vector<size_t> at;
    for (const std::string& l : lines) at.push_back(out.find("\n" + l + "\n"));
    return at;
}

TEST(Scenes, StartUpLoadsTheTitleAndPlaysTheIntroBeforeTheMenu) {
    std::string dir = game_dir_fresh("scene-lines");
    // DEMO (ships) from the menu, ended by a key on its 10th frame, then QUIT.
    game_run run = run_raw_script(dir, "0 press space\n2 press down\n4 press down\n"
                                       "6 press down\n8 press return\n18 press space\n"
                                       "20 press up\n22 press return\n");
    EXPECT_EQ(run.exit_code, 0) << run.out;
    std::vector<size_t> at =
        line_positions(run.out, {"cockpit panels: PROGDIR:cockpit.cpt", "scene title: loaded",
                                 "music: loaded", "scene intro: loaded", "scene lode: loaded"});
    for (size_t i = 0; i < at.size(); i++) ASSERT_NE(at[i], std::string::npos) << i << run.out;
    for (size_t i = 1; i < at.size(); i++) EXPECT_LT(at[i - 1], at[i]) << run.out;
    EXPECT_NE(read_text(dir + "/Vantrel_start.log").find("title scene ok, logo ok\n"),
              std::string::npos);
    EXPECT_NE(read_text(dir + "/Vantrel_start.log").find("intro done, menu\n"), std::string::npos);
}

TEST(Scenes, TheIntroEndsByItselfOrAtAnyInputAndTheInputStaysWithIt) {
    std::string dir = game_dir_fresh("scene-end");
    // The menu's first frame, as every script that skips the intro at once sees it.
    game_run skipped = run_raw_script(dir, "0 press space\n1 hash\n2 quit\n");
    const std::string menu = hash_at(skipped, 1);
    ASSERT_FALSE(menu.empty()) << skipped.out;
    struct ending {
        const char* name;
        const char* script; // its menu frame is hashed by the line that follows
        int first_menu_frame;
    } endings[] = {
        {"itself", "", 1201},
        {"space", "30 press space\n", 31},
        {"mouse", "30 lmb down\n31 lmb up\n", 31},
        // Esc and a cursor key end the intro and go no further: no QUIT, no cursor move.
        {"esc", "30 press esc\n", 31},
        {"down", "30 press down\n", 31},
    };
    for (const ending& e : endings) {
        int f = e.first_menu_frame;
        game_run run = run_raw_script(dir, std::string(e.script) + std::to_string(f - 2) +
                                               " hash\n" + std::to_string(f) + " hash\n" +
                                               std::to_string(f + 1) + " quit\n");
        EXPECT_EQ(run.exit_code, 0) << e.name;
        EXPECT_EQ(hash_at(run, f), menu) << e.name << "\n" << run.out;
        // A hash line shows the frame on the screen when the next poll comes.
        EXPECT_NE(hash_at(run, f - 2), menu) << e.name << ": the intro";
    }
    // --frames ends the intro, and with it the run.
    game_run frames = run_game(dir, {"--headless", "--frames", "50"});
    EXPECT_EQ(frames.exit_code, 0);
    EXPECT_NE(frames.out.find("scene intro: loaded"), std::string::npos);
}

// Writes the file cut to `keep` bytes, or with the four bytes at `at` set to zero.
void damage(const std::string& path, size_t keep, size_t zero_at = std::string::npos) {
    std::string bytes = read_text(path);
    if (zero_at != std::string::npos) bytes.replace(zero_at, 4, std::string(4, '\0'));
    write_text(path, bytes.substr(0, keep));
}

TEST(Scenes, MissingOrDamagedScenesLeaveTheGamePlayable) {
    // Each run chooses DEMO (ships), then QUIT (up from START on the reopened menu). Had the
    // ship show played, the first key would have ended it and the second started a flight.
    // No key at frame 0: without an intro it would choose START.
    const std::string quit_via_ships = "2 press down\n4 press down\n"
                                       "6 press down\n8 press return\n10 press up\n"
                                       "12 press return\n200 quit\n";
    std::string dir = game_dir_fresh("scene-damaged");
    fs::remove(dir + "/Scenes/title.scene");
    std::string lode = read_text(dir + "/Scenes/lode.scene");
    // The first track's key count: after "ANIM", its version, the track count and the id.
    size_t keys = lode.find("ANIM") + 4 + 2 + 4 + 4;
    damage(dir + "/Scenes/lode.scene", lode.size(), keys);
    for (size_t keep : {size_t(0), size_t(7), size_t(120), size_t(2000)}) {
        fs::copy_file(game_dir_fresh("scene-src") + "/Scenes/intro.scene",
                      dir + "/Scenes/intro.scene", fs::copy_options::overwrite_existing);
        damage(dir + "/Scenes/intro.scene", keep);
        game_run run = run_raw_script(dir, quit_via_ships);
        EXPECT_EQ(run.exit_code, 0) << keep;
        EXPECT_EQ(run.out.find("quit_requested"), std::string::npos) << run.out;
        for (const char* line :
             {"scene title: missing or invalid", "scene intro: missing or invalid",
              "scene lode: missing or invalid"})
            EXPECT_NE(run.out.find(std::string("\n") + line + "\n"), std::string::npos)
                << keep << ": " << line << "\n"
                << run.out;
    }
    EXPECT_NE(read_text(dir + "/Vantrel_start.log").find("title scene missing, logo ok\n"),
              std::string::npos);
    // A scene naming a model that is not there plays without it.
    std::string gone = game_dir_fresh("scene-nomodel");
    for (const auto& entry : fs::directory_iterator(gone))
        if (entry.path().filename().string().rfind("kriznik", 0) == 0) fs::remove(entry.path());
    game_run run = run_raw_script(gone, "0 press space\n2 quit\n");
    EXPECT_NE(run.out.find("\nscene model kriznik: missing\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\nscene title: loaded\n"), std::string::npos);
}

} // namespace
} // namespace vantrel
