// Golden frames of the game view and both demos, of the maps, the arcade and the port: a headless
// run of a fixed script must give the recorded frame hashes. After an intended change in drawing,
// rerun with VANTREL_UPDATE_GOLDEN=1 to record the new hashes, and review the screenshots.
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "e2e/run_game.h"
#include "platform/frame_crc.h"

namespace vantrel {
namespace {

std::string hash_lines(const std::string& out) {
    std::string lines;
    size_t at = 0;
    while ((at = out.find("frame ", at)) != std::string::npos) {
        size_t end = out.find('\n', at);
        std::string line = out.substr(at, end - at);
        if (line.find(" crc32 ") != std::string::npos && (at == 0 || out[at - 1] == '\n'))
            lines += line + "\n";
        at = end;
    }
    return lines;
}

// Runs <name>.script in the language lang and compares its hash lines with <name>_hashes.txt;
// a settings file is written first when given. With `wav` the sound of the run, as a player
// would hear it, is compared with <name>_wav_crc.txt too.
void expect_recorded(const std::string& name, long frames, const std::string& lang = "C",
                     const std::string& settings = "", bool wav = false) {
    const std::string source = VANTREL_SOURCE_DIR "/tests/golden/";
    std::string dir = game_dir_fresh("golden-" + name);
    if (!settings.empty()) write_text(dir + "/Vantrel.cfg", settings);
    std::vector<std::string> args = {"--headless", "--script", source + name + ".script"};
    if (wav) args.insert(args.end(), {"--audio-wav", dir + "/out.wav"});
    game_run run = run_game(dir, args, locale_env(lang));
    ASSERT_EQ(run.exit_code, 0) << run.out << run.err;
    std::string got = hash_lines(run.out);
    ASSERT_EQ(std::count(got.begin(), got.end(), '\n'), frames) << run.out;
    const char* update = std::getenv("VANTREL_UPDATE_GOLDEN");
    if (update && update[0] == '1') write_text(source + name + "_hashes.txt", got);
    EXPECT_EQ(got, read_text(source + name + "_hashes.txt"));
    if (!wav) return;
    const std::string sound = read_text(dir + "/out.wav");
    char crc[16];
    std::snprintf(crc, sizeof crc, "%08lx\n",
                  static_cast<unsigned long>(
                      frame_crc32(reinterpret_cast<const uint8_t*>(sound.data()), sound.size())));
    if (update && update[0] == '1') write_text(source + name + "_wav_crc.txt", crc);
    EXPECT_EQ(crc, read_text(source + name + "_wav_crc.txt"));
}

// The game view, both demos and their sound (menu music, engine, the demos' hum); the cross
// script checks that PowerPC writes the same bytes.
TEST(FlightGolden, GameViewDemosAndSoundAsRecorded) {
    expect_recorded("flight", 6, "C", "", true);
}

// The computer's pages in flight: SYSTEM, STARS with a jump target, SHIP and CARGO.
TEST(FlightGolden, ComputerPagesAsRecorded) {
    expect_recorded("pages", 4);
}

TEST(MapsGolden, BothMapsAsRecorded) {
    expect_recorded("maps", 4);
}

// The integer vertex path (FPU off), triangle shading, many particles, high detail; the cross
// script writes the same bytes.
const std::string SCENES_SETTINGS("GRFX\0\7\0\2\3\2\0\1\0\0\0\0\0UICF\0\1\0", 24);

TEST(ScenesGolden, IntroTitleAndShipShowAsRecorded) {
    expect_recorded("scenes", 13, "C", SCENES_SETTINGS);
}

TEST(ArcadeGolden, EnglishAndCzechAsRecorded) {
    expect_recorded("arcade", 5);
    expect_recorded("arcade_czech", 1, "cs_CZ.UTF-8");
}

TEST(PortGolden, EnglishAndCzechAsRecorded) {
    expect_recorded("port", 5);
    expect_recorded("port_czech", 2, "cs_CZ.UTF-8");
}

} // namespace
} // namespace vantrel
