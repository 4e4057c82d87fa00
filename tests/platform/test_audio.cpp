// The sound path below the game: the 8SVX reader on hand-built files (the chunk walk, the
// refusals, lengths near 2^32 that would wrap a 32-bit sum back inside the buffer); the
// four-channel device against a reference written from the mixing rule (every output frame
// takes byte (k-th 16.16 position >> 16) of the stream the channel was given); and the music
// streamer and effects player over it: what the mixer plays, which channels they take, and
// the motor functions' edges.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/audio_device.h"
#include "platform/files.h"
#include "platform/iff8svx.h"
#include "platform/music_amiga.h"
#include "platform/sfx_amiga.h"

namespace vantrel {
namespace {

using bytes = std::vector<uint8_t>;

void put32(bytes* b, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) b->push_back(uint8_t(v >> shift));
}

bytes chunk(const char* id, const bytes& payload, bool pad = true) {
    bytes b(id, id + 4);
    put32(&b, uint32_t(payload.size()));
    b.insert(b.end(), payload.begin(), payload.end());
    if (pad && payload.size() % 2) b.push_back(0);
    return b;
}

bytes vhdr(uint32_t rate, uint8_t octaves = 1, uint8_t compression = 0, size_t size = 20) {
    bytes v(size, 0);
    if (size >= 16)
        v[12] = uint8_t(rate >> 8), v[13] = uint8_t(rate), v[14] = octaves, v[15] = compression;
    return v;
}

// FORM with the true length unless one is given.
bytes form(const std::vector<bytes>& chunks, int64_t length = -1) {
    bytes inner = {'8', 'S', 'V', 'X'};
    for (const bytes& c : chunks) inner.insert(inner.end(), c.begin(), c.end());
    bytes b = {'F', 'O', 'R', 'M'};
    put32(&b, length < 0 ? uint32_t(inner.size()) : uint32_t(length));
    b.insert(b.end(), inner.begin(), inner.end());
    return b;
}

const bytes BODY3 = {1, 0x80, 0x7F};

struct parse_case {
    const char* what;
    bytes file;
    uint32_t length; // 0: refused
    uint32_t rate = 11025;
};

TEST(Iff8svx, AcceptsTheSubsetAndRefusesTheRest) {
    bytes ok_body = chunk("BODY", BODY3);
    // 12 + 8 + 0xFFFFFFF4 wraps to 16 in 32 bits: back inside the buffer.
    bytes wrapping_anno = {'A', 'N', 'N', 'O', 0xFF, 0xFF, 0xFF, 0xF4};
    bytes huge_chunk = form({chunk("VHDR", vhdr(11025)), wrapping_anno, ok_body}, 0xFFFFFFFF);
    bytes unpadded_last = form({chunk("VHDR", vhdr(11025)), chunk("BODY", BODY3, false)});
    bytes not_8svx = form({chunk("VHDR", vhdr(11025)), ok_body});
    not_8svx[8] = 'A';
    const parse_case cases[] = {
        {"plain", form({chunk("VHDR", vhdr(11025)), ok_body}), 3},
        {"odd chunk before BODY walks its pad byte",
         form({chunk("VHDR", vhdr(8000)), chunk("NAME", {'a', 'b', 'c'}), ok_body}), 3, 8000},
        {"octave count 0", form({chunk("VHDR", vhdr(11025, 0)), ok_body}), 3},
        {"first VHDR and BODY count",
         form({chunk("VHDR", vhdr(11025)), ok_body, chunk("VHDR", vhdr(0)), chunk("BODY", {})}), 3},
        {"last odd chunk without its pad byte", unpadded_last, 3},
        {"huge FORM length means the data size",
         form({chunk("VHDR", vhdr(11025)), ok_body}, 0xFFFFFFFF), 3},
        {"compression 1", form({chunk("VHDR", vhdr(11025, 1, 1)), ok_body}), 0},
        {"octave count 2", form({chunk("VHDR", vhdr(11025, 2)), ok_body}), 0},
        {"rate 0", form({chunk("VHDR", vhdr(0)), ok_body}), 0},
        {"short VHDR", form({chunk("VHDR", vhdr(11025, 1, 0, 18)), ok_body}), 0},
        {"no VHDR", form({ok_body}), 0},
        {"no BODY", form({chunk("VHDR", vhdr(11025))}), 0},
        {"empty BODY", form({chunk("VHDR", vhdr(11025)), chunk("BODY", {})}), 0},
        {"BODY past the form's end", form({chunk("VHDR", vhdr(11025)), ok_body}, 4 + 28 + 10), 0},
        {"chunk length near 2^32", huge_chunk, 0},
        {"form shorter than 20", form({}, 8), 0},
        {"not 8SVX", not_8svx, 0},
    };
    for (const parse_case& c : cases) {
        iff8svx_sample s{nullptr, 0, 0};
        int ok = iff8svx_parse(c.file.data(), uint32_t(c.file.size()), &s);
        EXPECT_EQ(ok, c.length ? 1 : 0) << c.what;
        if (!ok || !c.length) {
            EXPECT_EQ(s.samples, nullptr) << c.what; // untouched on refusal
            continue;
        }
        EXPECT_EQ(s.length, c.length) << c.what;
        EXPECT_EQ(s.rate, c.rate) << c.what;
        ASSERT_GE(reinterpret_cast<const uint8_t*>(s.samples), c.file.data()) << c.what;
        EXPECT_EQ(std::vector<int8_t>(s.samples, s.samples + 3),
                  (std::vector<int8_t>{1, -128, 127}))
            << c.what;
    }
    // Every truncation of a good file is refused or parsed inside the bytes it has.
    bytes good = form({chunk("VHDR", vhdr(11025)), chunk("ANNO", {'x'}), ok_body});
    for (uint32_t size = 0; size < good.size(); size++) {
        iff8svx_sample s{nullptr, 0, 0};
        if (iff8svx_parse(good.data(), size, &s)) {
            EXPECT_LE(reinterpret_cast<const uint8_t*>(s.samples) + s.length, good.data() + size);
        }
    }
}

using stream = std::vector<int8_t>;

stream ramp(int length, int from) {
    stream s;
    for (int i = 0; i < length; ++i) s.push_back(int8_t((from + i * 37) % 256 - 128));
    return s;
}

audio_write write_of(const stream& s, uint16_t period, uint8_t volume, uint16_t cycles) {
    return {s.data(), uint32_t(s.size()), period, volume, cycles};
}

std::vector<int16_t> mix(int frames) {
    std::vector<int16_t> out(2 * size_t(frames));
    audio_device_mix(out.data(), frames);
    return out;
}

// Side `side` of frames from `first` on must be the stream read from 16.16 position `start`.
void expect_stream(const std::vector<int16_t>& out, int side, int first, const stream& s,
                   uint64_t start, uint32_t step, int volume) {
    uint64_t position = start;
    for (size_t k = size_t(first); k < out.size() / 2; ++k, position += step) {
        const int want = (position >> 16) < s.size() ? 2 * volume * s[position >> 16] : 0;
        ASSERT_EQ(out[2 * k + size_t(side)], want) << "frame " << k;
    }
}

uint8_t take(uint8_t mask) {
    audio_device_reset(AUDIO_CHANNELS);
    return audio_device_allocate(&mask, 1, 0);
}

TEST(AudioDevice, StepFollowsThePalClockAndClampsThePeriod) {
    const struct {
        uint16_t period;
        uint32_t step;
    } cases[] = {{124, 39053}, {1, 39053}, {428, 11314}, {65535, 73}};
    for (const auto& c : cases) EXPECT_EQ(audio_device_step(c.period), c.step) << c.period;
}

TEST(AudioDevice, EachChannelPlaysOnItsOwnSideAtItsPitchAndVolume) {
    const stream s = ramp(3000, 5);
    const struct {
        int channel;
        int side;
        uint16_t period;
        uint8_t volume;
    } cases[] = {{0, 0, 124, 64}, {1, 1, 428, 33}, {2, 1, 300, 1}, {3, 0, 65535, 200}};
    for (const auto& c : cases) {
        take(0xF);
        ASSERT_NE(audio_device_write(c.channel, write_of(s, c.period, c.volume, 1)), 0u);
        const std::vector<int16_t> out = mix(4000);
        const int volume = c.volume > 64 ? 64 : c.volume;
        expect_stream(out, c.side, 0, s, 0, audio_device_step(c.period), volume);
        for (size_t k = 0; k < 4000; ++k) ASSERT_EQ(out[2 * k + size_t(1 - c.side)], 0);
    }
}

TEST(AudioDevice, FullScaleOnBothChannelsOfASideFillsSixteenBitsExactly) {
    const stream low(64, -128), high(64, 127);
    take(0xF);
    for (int c = 0; c < AUDIO_CHANNELS; ++c)
        audio_device_write(c, write_of(c == 0 || c == 3 ? low : high, 124, 64, 1));
    const std::vector<int16_t> out = mix(1);
    EXPECT_EQ(out[0], -32768);
    EXPECT_EQ(out[1], 32512);
}

TEST(AudioDevice, CyclesWritesAndPeriodChangesJoinWithoutAGap) {
    const stream a = ramp(101, 0), b = ramp(77, 9);
    stream joined;
    for (int i = 0; i < 3; ++i) joined.insert(joined.end(), a.begin(), a.end());
    joined.insert(joined.end(), b.begin(), b.end());
    take(1);
    const uint32_t first = audio_device_write(0, write_of(a, 200, 64, 3));
    const uint32_t second = audio_device_write(0, write_of(b, 200, 64, 1));
    const uint32_t step = audio_device_step(200);
    const std::vector<int16_t> out = mix(1200);
    expect_stream(out, 0, 0, joined, 0, step, 64);
    uint32_t reply = 0;
    ASSERT_TRUE(audio_device_collect(1, &reply));
    EXPECT_EQ(reply, first);
    ASSERT_TRUE(audio_device_collect(1, &reply));
    EXPECT_EQ(reply, second);
    EXPECT_FALSE(audio_device_collect(1, &reply));

    // Endless: still playing long after; a period change keeps the position.
    const stream c = ramp(50, 3);
    stream looped;
    for (int i = 0; i < 400; ++i) looped.insert(looped.end(), c.begin(), c.end());
    audio_device_write(0, write_of(c, 500, 40, 0));
    const std::vector<int16_t> before = mix(1000);
    expect_stream(before, 0, 0, looped, 0, audio_device_step(500), 40);
    audio_device_pervol(0, 150, 20);
    const std::vector<int16_t> after = mix(1000);
    const uint64_t position = 1000ull * audio_device_step(500);
    expect_stream(after, 0, 0, looped, position, audio_device_step(150), 20);
    EXPECT_FALSE(audio_device_collect(1, &reply));
}

TEST(AudioDevice, AbortTakesAQueuedWriteOrAFinishedWritesUncollectedReply) {
    const stream s = ramp(10, 0);
    take(1);
    const uint32_t finished = audio_device_write(0, write_of(s, 124, 64, 1));
    mix(100);
    audio_device_abort(finished);
    uint32_t reply = 0;
    EXPECT_FALSE(audio_device_collect(1, &reply));

    const uint32_t playing = audio_device_write(0, write_of(s, 124, 64, 0));
    audio_device_abort(playing);
    const std::vector<int16_t> out = mix(50);
    for (int16_t v : out) ASSERT_EQ(v, 0);
    EXPECT_FALSE(audio_device_collect(1, &reply));
}

// A one-octave 8SVX voice of `length` bytes at `rate`, the data after a 48-byte header.
bytes svx(uint32_t length, uint32_t rate) {
    bytes body(length);
    for (uint32_t i = 0; i < length; ++i) body[i] = uint8_t((i * 7 + i / 300) % 251);
    return form({chunk("VHDR", vhdr(rate)), chunk("BODY", body)});
}

uint8_t* buffer_of(const bytes& b) {
    uint8_t* p = static_cast<uint8_t*>(std::malloc(b.size()));
    std::copy(b.begin(), b.end(), p);
    return p;
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
        std::ofstream(dir_ / "Sfx" / (std::string(name) + ".iff"), std::ios::binary)
            .write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
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
