// The four-channel device against a reference written from the mixing rule: every output
// frame takes byte (k-th 16.16 position >> 16) of the stream the channel was given.
#include <gtest/gtest.h>

#include <vector>

#include "platform/audio_device.h"

namespace vantrel {
namespace {

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

} // namespace
} // namespace vantrel
