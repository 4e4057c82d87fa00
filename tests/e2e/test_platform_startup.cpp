// The real program's platform start-up: screen mode, processor and timer lines on the
// console and in the start log; a bad script stops the run before the game starts.
#include <gtest/gtest.h>

#include "e2e/run_game.h"

namespace vantrel {
namespace {

TEST(PlatformStartup, ScreenCpuAndTimerLines) {
    std::string dir = game_dir_fresh("platform");
    game_run run = run_game(dir, {"--headless", "--frames", "3"});
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_NE(run.out.find("\nscreen mode: default AGA $00000000\n"
                           "CPU: AttnFlags $00ff, PCR $00000000, FPU present\n"
                           "EClock 1000000 Hz, one read = 0.00 ticks\n"),
              std::string::npos)
        << run.out;
    std::string log = read_text(dir + "/Vantrel_start.log");
    EXPECT_NE(log.find("cpu 68060, AttnFlags $00ff\nPCR $00000000\nfpu present\ntimer ok\n"),
              std::string::npos)
        << log;
    // Virtual time: a second run prints the very same lines.
    game_run again = run_game(dir, {"--headless", "--frames", "3"});
    EXPECT_EQ(again.out, run.out);
}

TEST(PlatformStartup, BadScriptStopsWithItsLine) {
    std::string dir = game_dir_fresh("badscript");
    write_text(dir + "/bad.script", "1 press esc\n2 press nokey\n");
    game_run run = run_game(dir, {"--headless", "--script", dir + "/bad.script"});
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_NE(run.err.find("bad.script line 2: unknown key 'nokey'"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
}

} // namespace
} // namespace vantrel
