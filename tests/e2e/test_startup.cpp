// The real program, run as a player runs it: version, banner, platform lines, start log.
#include <gtest/gtest.h>

#include "e2e/run_game.h"

namespace vantrel {
namespace {

TEST(Startup, VersionLine) {
    game_run run = run_game(game_dir_fresh("version"), {"--version"});
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(run.out, "Vantrel 0.1.11 (defe713)\n");
}

TEST(Startup, BannerPlatformLinesAndStartLog) {
    std::string dir = game_dir_fresh("banner");
    write_text(dir + "/Vantrel_start.log", "stale line from an earlier run\n");
    game_run run = run_game(dir, {"--headless", "--frames", "3"});
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(
        run.out.rfind(
            "Vantrel 0.1.11 (defe713)\nfastram_cache_enable: SKIPPED (this build variant)\n", 0),
        0u)
        << run.out;
    EXPECT_NE(run.out.find("\nscreen mode: default AGA $00000000\n"
                           "CPU: AttnFlags $00ff, PCR $00000000, FPU present\n"
                           "EClock 1000000 Hz, one read = 0.00 ticks\n"),
              std::string::npos)
        << run.out;
    std::string log = read_text(dir + "/Vantrel_start.log");
    EXPECT_EQ(log.rfind("Vantrel 0.1.11 (defe713): main\n", 0), 0u) << log;
    EXPECT_EQ(log.find("stale"), std::string::npos);
    EXPECT_NE(log.find("cpu 68060, AttnFlags $00ff\nPCR $00000000\nfpu present\ntimer ok\n"),
              std::string::npos)
        << log;
    // Virtual time: a second run prints the very same lines.
    EXPECT_EQ(run_game(dir, {"--headless", "--frames", "3"}).out, run.out);
}

TEST(Startup, BadOptionsAndScriptsAreRefusedWithAMessage) {
    std::string dir = game_dir_fresh("badopt");
    game_run run = run_game(dir, {"--scale", "0"});
    EXPECT_NE(run.exit_code, 0);
    EXPECT_NE(run.err.find("--scale"), std::string::npos) << run.err;

    // A script only drives the headless back end; in a window it would be ignored unseen.
    write_text(dir + "/input.script", "1 quit\n");
    run = run_game(dir, {"--script", dir + "/input.script"});
    EXPECT_NE(run.exit_code, 0);
    EXPECT_NE(run.err.find("--headless"), std::string::npos) << run.err;
    EXPECT_EQ(run.out.find("Vantrel"), std::string::npos) << "the game must not start";

    write_text(dir + "/bad.script", "1 press esc\n2 press nokey\n");
    run = run_game(dir, {"--headless", "--script", dir + "/bad.script"});
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_NE(run.err.find("bad.script line 2: unknown key 'nokey'"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
}

} // namespace
} // namespace vantrel
