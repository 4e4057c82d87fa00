#include "platform/sfx_amiga.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/audio_device.h"
#include "platform/files.h"
#include "platform/iff8svx.h"
#include "platform/music_amiga.h"

namespace vantrel {

const char* const SFX_NAMES[SFX_COUNT] = {"engine",
                                          "laser_beem",
                                          "pulse_laser",
                                          "pulsegun",
                                          "pulse_shot",
                                          "plasma_pulse",
                                          "heavy_plasma_pulse",
                                          "mining_laser",
                                          "heavy_mining_laser",
                                          "hull1",
                                          "hull2",
                                          "alarm",
                                          "alarm2",
                                          "explosion",
                                          "explosion2",
                                          "explosion3",
                                          "camera",
                                          "bell"};

namespace {

constexpr int SFX_PRIORITY = 30;
constexpr uint8_t ALL_CHANNELS = 15;
constexpr int ENGINE_LEFT = 0, ENGINE_RIGHT = 1;
constexpr int EFFECT_RIGHT = 2, EFFECT_LEFT = 3;

struct loaded_sample {
    std::vector<int8_t> bytes; // empty: the id is silent
    uint16_t period;
};

struct channel_slot {
    sfx_channel_record record;
    uint32_t request;
};

struct sfx_state {
    bool open;
    loaded_sample samples[SFX_COUNT];
    channel_slot channels[AUDIO_CHANNELS];
    uint16_t engine_period;
    uint8_t engine_volume;
};

sfx_state g_sfx;

constexpr sfx_channel_record FREE_CHANNEL = {false, -1, 0, false};

// The file's sample, even and at most 131 070 bytes; one that rounds down to nothing stays
// silent, since an empty write would read as the hardware's longest.
void load_sample(int id) {
    loaded_sample* s = &g_sfx.samples[id];
    s->bytes.clear();
    s->period = SFX_DEFAULT_PERIOD;
    char path[64];
    std::snprintf(path, sizeof path, "PROGDIR:Sfx/%s.iff", SFX_NAMES[id]);
    uint32_t size = 0;
    uint8_t* data = read_file(path, &size);
    iff8svx_sample sample;
    if (data && iff8svx_parse(data, size, &sample)) {
        const uint32_t length = std::min(sample.length & ~1u, SFX_MAX_BYTES);
        s->bytes.assign(sample.samples, sample.samples + length);
        s->period = audio_period_for_rate(sample.rate);
    }
    read_file_free(data);
}

bool loaded(int id) {
    return id >= 0 && id < SFX_COUNT && !g_sfx.samples[id].bytes.empty();
}

void stop_channel(int channel) {
    channel_slot* slot = &g_sfx.channels[channel];
    audio_device_abort(slot->request);
    slot->request = 0;
    slot->record = FREE_CHANNEL;
}

void start(int channel, int id, int priority, bool loop, uint16_t period, uint8_t volume) {
    const loaded_sample& s = g_sfx.samples[id];
    const audio_write write = {s.bytes.data(), uint32_t(s.bytes.size()), period, volume,
                               uint16_t(loop ? 0 : 1)};
    channel_slot* slot = &g_sfx.channels[channel];
    slot->request = audio_device_write(channel, write);
    slot->record = {slot->request != 0, slot->request ? id : -1, priority, loop};
}

bool engine_running() {
    for (int c : {ENGINE_LEFT, ENGINE_RIGHT})
        if (!g_sfx.channels[c].record.busy || g_sfx.channels[c].record.id != SFX_ENGINE)
            return false;
    return true;
}

} // namespace

bool sfx_open() {
    if (g_sfx.open) return true;
    if (audio_device_allocate(&ALL_CHANNELS, 1, SFX_PRIORITY) != ALL_CHANNELS) return false;
    for (channel_slot& slot : g_sfx.channels) slot = {FREE_CHANNEL, 0};
    for (int id = 0; id < SFX_COUNT; ++id) load_sample(id);
    g_sfx.open = true;
    return true;
}

bool sfx_is_open() {
    return g_sfx.open;
}

void sfx_close() {
    if (!g_sfx.open) return;
    for (int c = 0; c < AUDIO_CHANNELS; ++c) stop_channel(c);
    audio_device_free(ALL_CHANNELS);
    for (loaded_sample& s : g_sfx.samples) s.bytes = {};
    g_sfx.open = false;
}

void sfx_update() {
    if (!g_sfx.open) return;
    for (uint32_t request; audio_device_collect(ALL_CHANNELS, &request);)
        for (channel_slot& slot : g_sfx.channels)
            if (slot.request == request) slot = {FREE_CHANNEL, 0};
}

void sfx_play(int id, int priority, int side, int loop) {
    if (!g_sfx.open || id < 1 || id >= SFX_COUNT || !loaded(id)) return;
    int targets[2], count = 0;
    if (side >= 0) targets[count++] = EFFECT_RIGHT;
    if (side <= 0) targets[count++] = EFFECT_LEFT;
    for (int i = 0; i < count; ++i) {
        const sfx_channel_record& r = g_sfx.channels[targets[i]].record;
        if (r.busy && r.priority > priority) return;
    }
    for (int i = 0; i < count; ++i) {
        if (g_sfx.channels[targets[i]].record.busy) stop_channel(targets[i]);
        start(targets[i], id, priority, loop != 0, g_sfx.samples[id].period, AUDIO_VOLUME_MAX);
    }
}

void sfx_stop(int id) {
    if (!g_sfx.open) return;
    for (int c : {EFFECT_RIGHT, EFFECT_LEFT})
        if (g_sfx.channels[c].record.busy && g_sfx.channels[c].record.id == id) stop_channel(c);
}

void sfx_engine(uint16_t period, uint8_t volume) {
    if (!g_sfx.open || !loaded(SFX_ENGINE)) return;
    if (engine_running()) {
        if (period == g_sfx.engine_period && volume == g_sfx.engine_volume) return;
        audio_device_pervol(ENGINE_LEFT, period, volume);
        audio_device_pervol(ENGINE_RIGHT, period, volume);
    } else {
        for (int c : {ENGINE_LEFT, ENGINE_RIGHT}) {
            if (g_sfx.channels[c].record.busy) stop_channel(c);
            start(c, SFX_ENGINE, 0, true, period, volume);
        }
    }
    g_sfx.engine_period = period;
    g_sfx.engine_volume = volume;
}

uint16_t sfx_base_period(int id) {
    return loaded(id) ? g_sfx.samples[id].period : SFX_DEFAULT_PERIOD;
}

sfx_channel_record sfx_channel(int channel) {
    if (channel < 0 || channel >= AUDIO_CHANNELS) return FREE_CHANNEL;
    return g_sfx.channels[channel].record;
}

// The quotient of a 16-bit period by a factor as small as 0.1 needs more than 32 bits, and
// can pass the longest period: it is taken in 64 bits and clamped.
uint16_t motor_playback_period(uint32_t base, fix16 a, fix16 b) {
    const int64_t factor = std::max<int64_t>(fix16_mul(a, b), 6553);
    const int64_t period = (int64_t(base) << 16) / factor;
    return uint16_t(std::clamp<int64_t>(period, 1, UINT16_MAX));
}

// Clamped while still 32 bits wide: narrowing first would wrap levels of 512.0 and more.
uint8_t motor_playback_volume(fix16 level) {
    return uint8_t(std::clamp<int32_t>(level >> 10, 0, AUDIO_VOLUME_MAX));
}

int motor_duck_volume(int volume, int duck) {
    return volume > duck ? volume - duck : 0;
}

} // namespace vantrel
