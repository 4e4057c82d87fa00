// The music streamer and the effects player over the real device and small 8SVX files:
// what the mixer plays, which channels they take, and the motor functions' edges.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/audio_device.h"
#include "platform/files.h"
#include "platform/music_amiga.h"
#include "platform/sfx_amiga.h"

namespace vantrel {
namespace {

using bytes = std::vector<uint8_t>;

void put32(bytes* b, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) b->push_back(uint8_t(v >> shift));
}

bytes svx(uint32_t length, uint32_t rate) {
    bytes vhdr(20, 0);
    vhdr[12] = uint8_t(rate >> 8), vhdr[13] = uint8_t(rate), vhdr[14] = 1;
    bytes b = {'F', 'O', 'R', 'M'};
    put32(&b, 4 + 8 + 20 + 8 + length + (length & 1));
    b.insert(b.end(), {'8', 'S', 'V', 'X', 'V', 'H', 'D', 'R'});
    put32(&b, 20);
    b.insert(b.end(), vhdr.begin(), vhdr.end());
    b.insert(b.end(), {'B', 'O', 'D', 'Y'});
    put32(&b, length);
    for (uint32_t i = 0; i < length; ++i) b.push_back(uint8_t((i * 7 + i / 300) % 251));
    if (length & 1) b.push_back(0);
    return b;
}

uint8_t* buffer_of(const bytes& b) {
    uint8_t* p = static_cast<uint8_t*>(std::malloc(b.size()));
    std::copy(b.begin(), b.end(), p);
    return p;
}

std::vector<int16_t> mix(int frames) {
    std::vector<int16_t> out(2 * size_t(frames));
    audio_device_mix(out.data(), frames);
    return out;
}

// Below 55 Hz the period would pass 16 bits: it stays at the longest.
TEST(Music, PeriodStaysInRangeShortTracksAreRefusedAndCallsAcceptNone) {
    const struct {
        uint32_t rate;
        uint16_t period;
    } cases[] = {{0, 65535}, {50, 65535}, {54, 65535}, {8287, 428}, {28604, 124}, {96000, 124}};
    for (const auto& c : cases) EXPECT_EQ(audio_period_for_rate(c.rate), c.period) << c.rate;
    EXPECT_EQ(music_from_memory(buffer_of(svx(16383, 8000)), 16383 + 48), nullptr);
    EXPECT_EQ(music_play(nullptr, 56), 0);
    music_update(nullptr);
    music_stop(nullptr);
    music_free(nullptr);
    EXPECT_EQ(music_playing(nullptr), 0);
}

// Both sides play the sample over and over, across every refill, without a gap.
TEST(Music, TheShortestTrackLoopsSeamlesslyOnAStereoPair) {
    const bytes file = svx(16384, 40000);
    const bytes sample(file.begin() + 48, file.end());
    audio_device_reset(AUDIO_CHANNELS);
    music* m = music_from_memory(buffer_of(file), uint32_t(file.size()));
    ASSERT_NE(m, nullptr);
    ASSERT_EQ(music_play(m, 56), 1);
    EXPECT_EQ(m->period, 124);
    const uint32_t step = audio_device_step(124);
    uint64_t position = 0;
    for (int frame = 0; frame < 80; ++frame) {
        const std::vector<int16_t> out = mix(960);
        music_update(m);
        for (int k = 0; k < 960; ++k, position += step) {
            const int want = 2 * 56 * int8_t(sample[(position >> 16) % 16384]);
            ASSERT_EQ(out[2 * size_t(k)], want) << frame << " " << k;
            ASSERT_EQ(out[2 * size_t(k) + 1], want) << frame << " " << k;
        }
    }
    // While it plays, the effects cannot have the channels; the music cannot start while
    // the effects hold them.
    EXPECT_FALSE(sfx_open());
    music_stop(m);
    EXPECT_EQ(music_playing(m), 0);
    ASSERT_TRUE(sfx_open());
    EXPECT_EQ(music_play(m, 56), 0);
    sfx_close();
    music_free(m);
}

class Sfx : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() / ("vantrel_sfx_" + std::to_string(getpid()));
        std::filesystem::create_directories(dir_ / "Sfx");
        write("engine", svx(1000, 11025));
        write("pulse_laser", svx(2001, 16000)); // played as 2000 bytes
        write("alarm", svx(600, 8000));
        write("bell", svx(1, 8000)); // nothing left once even
        std::string progdir = dir_.string() + "/";
        progdir_set(progdir.c_str());
        audio_device_reset(AUDIO_CHANNELS);
        ASSERT_TRUE(sfx_open());
    }
    void TearDown() override {
        sfx_close();
        std::filesystem::remove_all(dir_);
    }
    void write(const char* name, const bytes& b) {
        FILE* f = std::fopen((dir_ / "Sfx" / (std::string(name) + ".iff")).c_str(), "wb");
        std::fwrite(b.data(), 1, b.size(), f);
        std::fclose(f);
    }
    static int playing(int channel) {
        return sfx_channel(channel).busy ? sfx_channel(channel).id : -1;
    }
    std::filesystem::path dir_;
};

TEST_F(Sfx, SidesAndPrioritiesChooseTheEffectChannels) {
    EXPECT_EQ(sfx_base_period(2), 221);
    EXPECT_EQ(sfx_base_period(17), SFX_DEFAULT_PERIOD);
    EXPECT_EQ(sfx_base_period(5), SFX_DEFAULT_PERIOD);
    const struct {
        int id, priority, side;
        int right, left; // ids on channels 2 and 3 afterwards
    } steps[] = {
        {2, 5, 1, 2, -1},  {11, 5, -1, 2, 11}, {2, 4, 0, 2, 11},  {2, 5, 0, 2, 2},
        {11, 9, 1, 11, 2}, {2, 1, 0, 11, 2},   {17, 9, 0, 11, 2}, {0, 9, 0, 11, 2},
        {18, 9, 0, 11, 2}, {2, 9, 0, 2, 2},
    };
    for (const auto& s : steps) {
        sfx_play(s.id, s.priority, s.side, 0);
        EXPECT_EQ(playing(2), s.right) << s.id << " " << s.priority << " " << s.side;
        EXPECT_EQ(playing(3), s.left) << s.id << " " << s.priority << " " << s.side;
    }
    EXPECT_EQ(playing(0), -1);
}

TEST_F(Sfx, OneShotsEndLoopsLastUntilStopped) {
    sfx_play(2, 1, 1, 0);
    sfx_play(11, 1, -1, 1);
    const std::vector<int16_t> out = mix(48000);
    sfx_update();
    EXPECT_EQ(playing(2), -1);
    EXPECT_EQ(playing(3), 11);
    EXPECT_TRUE(sfx_channel(3).loop);
    EXPECT_NE(out[2 * 47999], 0);
    // A shot that ended unseen, replaced before the next update: the update keeps the new one.
    sfx_play(2, 1, 1, 0);
    mix(48000);
    sfx_play(11, 1, 1, 0);
    sfx_update();
    EXPECT_EQ(playing(2), 11);
    sfx_stop(11);
    EXPECT_EQ(playing(2), -1);
    EXPECT_EQ(playing(3), -1);
    const std::vector<int16_t> after = mix(10);
    for (int16_t v : after) ASSERT_EQ(v, 0);
}

TEST_F(Sfx, TheEngineLoopsOnBothSidesAndUnchangedValuesSendNothing) {
    const uint32_t before = audio_device_requests();
    for (int i = 0; i < 5; ++i) sfx_engine(400, 30);
    EXPECT_EQ(audio_device_requests() - before, 2u);
    sfx_engine(380, 30);
    EXPECT_EQ(audio_device_requests() - before, 4u);
    const std::vector<int16_t> out = mix(20000);
    sfx_update();
    for (size_t k = 0; k < 20000; ++k) ASSERT_EQ(out[2 * k], out[2 * k + 1]) << k;
    EXPECT_NE(out[2 * 19999], 0);
    EXPECT_EQ(playing(0), 0);
    EXPECT_EQ(playing(1), 0);
}

TEST(Motor, PeriodAndVolumeStayInRangeAtTheirEdges) {
    const struct {
        uint32_t base;
        fix16 a, b;
        uint16_t period;
    } periods[] = {
        {321, 65536, 65536, 321},      {321, 65536 + 39321 - 22938, 65536, 256},
        {321, 0, 65536, 3210},         {65535, 0, 0, 65535},
        {65535, -65536, 65536, 65535}, {1, 65536 * 100, 65536, 1},
    };
    for (const auto& p : periods)
        EXPECT_EQ(motor_playback_period(p.base, p.a, p.b), p.period) << p.base << " " << p.a;
    const struct {
        fix16 level;
        uint8_t volume;
    } volumes[] = {{65536, 64},        {32768, 32},     {-1, 0},       {512 * 65536, 64},
                   {1024 * 65536, 64}, {INT32_MAX, 64}, {INT32_MIN, 0}};
    for (const auto& v : volumes) EXPECT_EQ(motor_playback_volume(v.level), v.volume) << v.level;
    EXPECT_EQ(motor_duck_volume(40, 10), 30);
    EXPECT_EQ(motor_duck_volume(10, 10), 0);
    EXPECT_EQ(motor_duck_volume(5, 10), 0);
}

} // namespace
} // namespace vantrel
