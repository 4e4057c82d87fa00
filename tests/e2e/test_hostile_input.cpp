// The real program given awkward input: FIFOs where files belong, out-of-range options and
// screenshots that cannot be written. Each is refused or reported, never waited on.
#include <atomic>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

#include "e2e/run_game.h"

namespace vantrel {
namespace {

TEST(HostileInput, FifosAreRefusedNotWaitedOn) {
    std::string dir = game_dir_fresh("fifo"), fifo = dir + "/input.fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--headless", "--frames", "5", "--script", fifo},
         "vantrel: script " + fifo + ": cannot be read (not a regular file)\n"},
        {{"--headless", "--frames", "5", fifo}, "FAILED: could not read " + fifo + "\n"},
    };
    for (const auto& [args, line] : cases) {
        // Should the game wait on the FIFO, a writer comes after 10 s so the test fails, not hangs.
        std::atomic<bool> done{false};
        std::thread watchdog([&] {
            for (int i = 0; i < 100 && !done; i++) usleep(100000);
            if (!done) close(open(fifo.c_str(), O_WRONLY | O_NONBLOCK));
        });
        game_run run = run_game(dir, args);
        done = true;
        watchdog.join();
        EXPECT_EQ(run.exit_code, 1) << line;
        EXPECT_NE((run.out + run.err).find(line), std::string::npos) << run.out << run.err;
    }
}

TEST(HostileInput, FramesOutsideTheirRangeGetAPlainMessage) {
    std::string dir = game_dir_fresh("frames");
    for (std::string frames : {"0", "4294967296", "+5"}) {
        game_run run = run_game(dir, {"--frames", frames, "--version"});
        EXPECT_NE(run.exit_code, 0) << frames;
        EXPECT_EQ(run.err.rfind("--frames: Value " + frames +
                                    " is not a whole number from 1 to 4294967295\n",
                                0),
                  0u)
            << run.err;
    }
    EXPECT_EQ(run_game(dir, {"--frames", "4294967295", "--version"}).exit_code, 0);
}

TEST(HostileInput, FailedShotsNameTheReasonAndFailTheRun) {
    std::string dir = game_dir_fresh("shots");
    write_script(dir + "/shots.script", "1 shot a.png\n2 hash\n3 quit\n");
    game_run run = run_game(
        dir, {"--headless", "--script", dir + "/shots.script", "--shot-dir", dir + "/no/such"});
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_NE(run.out.find("frame 2 crc32 "), std::string::npos) << "the run goes on";
    EXPECT_NE(run.err.find("could not write the screenshot " + dir +
                           "/no/such/a.png: No such file or directory\n"
                           "vantrel: 1 screenshot could not be written\n"),
              std::string::npos)
        << run.err;
}

} // namespace
} // namespace vantrel
