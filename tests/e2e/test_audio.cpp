// What the game plays, heard through the headless WAV.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/run_game.h"
#include "platform/audio_device.h"
#include "platform/iff8svx.h"
#include "platform/music_amiga.h"

namespace vantrel {
namespace {

constexpr size_t FRAME = 960; // output frames per game frame

struct heard {
    game_run run;
    std::string bytes;
    std::vector<int16_t> left, right;
};

heard play(const std::string& name, const std::string& script,
           const std::vector<std::string>& extra = {}) {
    const std::string dir = game_dir_fresh("audio-" + name);
    write_script(dir + "/script.txt", script);
    std::vector<std::string> args = {"--headless", "--script", dir + "/script.txt", "--audio-wav",
                                     dir + "/out.wav"};
    args.insert(args.end(), extra.begin(), extra.end());
    heard h;
    h.run = run_game(dir, args);
    h.bytes = read_text(dir + "/out.wav");
    for (size_t i = 44; i + 3 < h.bytes.size(); i += 4) {
        auto at = [&](size_t k) { return uint8_t(h.bytes[k]); };
        h.left.push_back(int16_t(at(i) | at(i + 1) << 8));
        h.right.push_back(int16_t(at(i + 2) | at(i + 3) << 8));
    }
    return h;
}

bool silent(const heard& h, size_t from, size_t to) {
    for (size_t k = from; k < to; ++k)
        if (h.left[k] || h.right[k]) return false;
    return true;
}

uint32_t le32(const std::string& b, size_t at) {
    return uint32_t(uint8_t(b[at])) | uint32_t(uint8_t(b[at + 1])) << 8 |
           uint32_t(uint8_t(b[at + 2])) << 16 | uint32_t(uint8_t(b[at + 3])) << 24;
}

TEST(Audio, TheMenuMusicStopsWithMAndStartsAgainFromItsBeginning) {
    const std::string script = "10 press m\n20 press m\n30 quit\n";
    const heard h = play("menu", script);
    ASSERT_EQ(h.run.exit_code, 0) << h.run.err;
    EXPECT_NE(h.run.out.find("\nmusic: loaded\n"), std::string::npos) << h.run.out;
    ASSERT_EQ(h.bytes.size(), 44 + 30 * FRAME * 4);
    EXPECT_EQ(h.bytes.substr(0, 4), "RIFF");
    EXPECT_EQ(le32(h.bytes, 4), 36 + 30 * FRAME * 4);
    EXPECT_EQ(le32(h.bytes, 40), 30 * FRAME * 4);
    EXPECT_FALSE(silent(h, 0, FRAME));
    EXPECT_FALSE(silent(h, 9 * FRAME, 10 * FRAME));
    EXPECT_TRUE(silent(h, 10 * FRAME, 20 * FRAME));
    for (size_t k = 0; k < 10 * FRAME; ++k) {
        ASSERT_EQ(h.left[20 * FRAME + k], h.left[k]) << k;
        ASSERT_EQ(h.right[20 * FRAME + k], h.right[k]) << k;
    }
    EXPECT_EQ(play("menu-again", script).bytes, h.bytes);
}

// The flight starts at frame 2 and leaves at 40; the gun fires on frame 21.
TEST(Audio, TheEngineHumsOnBothSidesAndTheGunSoundsForItsLength) {
    const std::string flight = "1 press return\n10 down w\n30 up w\n40 press esc\n";
    const heard quiet = play("engine", flight + "50 quit\n");
    const heard fired = play("gun", flight + "20 press d\n50 quit\n");
    ASSERT_EQ(quiet.run.exit_code, 0) << quiet.run.err;
    EXPECT_NE(quiet.run.out.find("\nsound: on (engine + 2 effect channels)\n"), std::string::npos);
    ASSERT_EQ(quiet.left.size(), 50 * FRAME);
    ASSERT_EQ(fired.left.size(), 50 * FRAME);
    EXPECT_FALSE(silent(quiet, FRAME, 2 * FRAME));
    for (size_t k = FRAME; k < 40 * FRAME; ++k) ASSERT_EQ(quiet.left[k], quiet.right[k]) << k;
    // After Esc the effects are closed: the next frame is the menu's, its music from the top.
    const heard menu = play("music", "10 quit\n");
    for (size_t k = 0; k < 10 * FRAME; ++k) ASSERT_EQ(quiet.left[40 * FRAME + k], menu.left[k]);

    const std::string file = read_text(std::string(VANTREL_GAME_DIR) + "/Sfx/pulse_laser.iff");
    iff8svx_sample gun;
    ASSERT_EQ(
        iff8svx_parse(reinterpret_cast<const uint8_t*>(file.data()), uint32_t(file.size()), &gun),
        1);
    const uint64_t step = audio_device_step(audio_period_for_rate(gun.rate));
    const size_t length = size_t(((uint64_t(gun.length & ~1u) << 16) + step - 1) / step);
    size_t first = SIZE_MAX, last = 0;
    for (size_t k = 0; k < fired.left.size(); ++k) {
        if (fired.left[k] == quiet.left[k] && fired.right[k] == quiet.right[k]) continue;
        first = std::min(first, k);
        last = k;
    }
    EXPECT_GE(first, 20 * FRAME);
    EXPECT_LT(first, 21 * FRAME);
    EXPECT_LT(last, 20 * FRAME + length);
}

TEST(Audio, WithoutSoundEverythingIsRefusedAndTheFileIsSilent) {
    const heard h = play("none", "5 press return\n20 press esc\n30 quit\n", {"--no-sound"});
    ASSERT_EQ(h.run.exit_code, 0) << h.run.err;
    EXPECT_NE(h.run.out.find("\nmusic: loaded\n"), std::string::npos) << h.run.out;
    EXPECT_NE(h.run.out.find("\nmusic: no free audio channels\n"), std::string::npos);
    EXPECT_NE(h.run.out.find("\nsound: off (no audio channels)\n"), std::string::npos);
    ASSERT_EQ(h.left.size(), 30 * FRAME);
    EXPECT_TRUE(silent(h, 0, h.left.size()));

    const std::string dir = game_dir_fresh("audio-nofile");
    const game_run refused =
        run_game(dir, {"--headless", "--frames", "3", "--audio-wav", dir + "/none/out.wav"});
    EXPECT_NE(refused.exit_code, 0);
    EXPECT_EQ(refused.out, "");
    EXPECT_NE(refused.err.find("out.wav"), std::string::npos);
}

} // namespace
} // namespace vantrel
