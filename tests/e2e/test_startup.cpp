// The real program, run as a player runs it: version line, banner and start log.
#include <cstdio>

#include <gtest/gtest.h>

#include "e2e/run_game.h"

namespace vantrel {
namespace {

TEST(Startup, VersionLine) {
    game_run run = run_game(game_dir_fresh("version"), {"--version"});
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(run.out, "Vantrel 0.1.11 (defe713)\n");
}

TEST(Startup, BannerAndStartLog) {
    std::string dir = game_dir_fresh("banner");
    write_text(dir + "/Vantrel_start.log", "stale line from an earlier run\n");
    game_run run = run_game(dir, {"--headless", "--frames", "1"});
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(
        run.out.rfind(
            "Vantrel 0.1.11 (defe713)\nfastram_cache_enable: SKIPPED (this build variant)\n", 0),
        0u)
        << run.out;
    std::string log = read_text(dir + "/Vantrel_start.log");
    EXPECT_EQ(log.rfind("Vantrel 0.1.11 (defe713): main\n", 0), 0u) << log;
    EXPECT_EQ(log.find("stale"), std::string::npos);
}

TEST(Startup, BadOptionsAreRefusedWithAMessage) {
    game_run run = run_game(game_dir_fresh("badopt"), {"--scale", "0"});
    EXPECT_NE(run.exit_code, 0);
    EXPECT_NE(run.err.find("--scale"), std::string::npos) << run.err;

    // A script only drives the headless back end; in a window it would be ignored unseen.
    std::string dir = game_dir_fresh("scriptwindow");
    std::string script = dir + "/input.script";
    std::FILE* f = std::fopen(script.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fputs("1 quit\n", f);
    std::fclose(f);
    run = run_game(dir, {"--script", script});
    EXPECT_NE(run.exit_code, 0);
    EXPECT_NE(run.err.find("--headless"), std::string::npos) << run.err;
    EXPECT_EQ(run.out.find("Vantrel"), std::string::npos) << "the game must not start";
}

} // namespace
} // namespace vantrel
