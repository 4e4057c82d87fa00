#include "platform/music_amiga.h"

#include <algorithm>
#include <new>

#include "platform/audio_device.h"
#include "platform/files.h"

namespace vantrel {
namespace {

constexpr int MUSIC_PRIORITY = 20;
// Any pair of one left (0 or 3) and one right (1 or 2) channel.
constexpr uint8_t MUSIC_PAIRS[] = {3, 5, 10, 12};
constexpr uint8_t LEFT_CHANNELS = 9, RIGHT_CHANNELS = 6;

int channel_of(uint8_t mask) {
    for (int c = 0; c < AUDIO_CHANNELS; ++c)
        if (mask & (1 << c)) return c;
    return -1;
}

// The next buffer's worth of the sample; at its end the copy wraps to the start, so the
// track loops without a gap.
void fill(music* m, int buffer) {
    uint32_t done = 0;
    while (done < MUSIC_BUFFER_BYTES) {
        const uint32_t n = std::min(MUSIC_BUFFER_BYTES - done, m->sample.length - m->position);
        std::copy(m->sample.samples + m->position, m->sample.samples + m->position + n,
                  m->buffers[buffer] + done);
        done += n;
        m->position += n;
        if (m->position == m->sample.length) m->position = 0;
    }
}

void queue(music* m, int buffer) {
    fill(m, buffer);
    const audio_write write = {m->buffers[buffer], MUSIC_BUFFER_BYTES, m->period, m->volume, 1};
    for (int side = 0; side < 2; ++side)
        m->request[buffer][side] = audio_device_write(m->side_channel[side], write);
}

// The reply's buffer has returned on this side; a buffer is refilled once both have.
void take_reply(music* m, uint32_t request) {
    for (int buffer = 0; buffer < 2; ++buffer) {
        uint32_t* sides = m->request[buffer];
        if (sides[0] != request && sides[1] != request) continue;
        sides[sides[0] == request ? 0 : 1] = 0;
        if (sides[0] == 0 && sides[1] == 0) queue(m, buffer);
        return;
    }
}

} // namespace

uint16_t audio_period_for_rate(uint32_t rate) {
    if (rate == 0) return UINT16_MAX;
    return uint16_t(std::clamp<uint32_t>(AUDIO_CLOCK / rate, AUDIO_PERIOD_MIN, UINT16_MAX));
}

music* music_from_memory(uint8_t* buffer, uint32_t size) {
    iff8svx_sample sample;
    if (!buffer || !iff8svx_parse(buffer, size, &sample) || sample.length < MUSIC_BUFFER_BYTES) {
        read_file_free(buffer);
        return nullptr;
    }
    music* m = new (std::nothrow) music{};
    if (!m) {
        read_file_free(buffer);
        return nullptr;
    }
    m->file = buffer;
    m->sample = sample;
    return m;
}

music* music_load(const char* path) {
    uint32_t size = 0;
    uint8_t* data = read_file(path, &size);
    return data ? music_from_memory(data, size) : nullptr;
}

int music_play(music* m, int volume) {
    if (!m) return 0;
    if (m->playing) return 1;
    m->channels = audio_device_allocate(MUSIC_PAIRS, 4, MUSIC_PRIORITY);
    if (!m->channels) return 0;
    m->side_channel[0] = channel_of(m->channels & LEFT_CHANNELS);
    m->side_channel[1] = channel_of(m->channels & RIGHT_CHANNELS);
    m->period = audio_period_for_rate(m->sample.rate);
    m->volume = uint8_t(std::clamp(volume, 0, int(AUDIO_VOLUME_MAX)));
    m->position = 0;
    queue(m, 0);
    queue(m, 1);
    m->playing = true;
    return 1;
}

void music_update(music* m) {
    if (!m || !m->playing) return;
    for (uint32_t request; audio_device_collect(m->channels, &request);) take_reply(m, request);
}

int music_playing(const music* m) {
    return m && m->playing ? 1 : 0;
}

void music_stop(music* m) {
    if (!m || !m->playing) return;
    audio_device_free(m->channels);
    m->channels = 0;
    m->playing = false;
    for (auto& buffer : m->request) buffer[0] = buffer[1] = 0;
}

void music_free(music* m) {
    if (!m) return;
    music_stop(m);
    read_file_free(m->file);
    delete m;
}

} // namespace vantrel
