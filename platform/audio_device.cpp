#include "platform/audio_device.h"

#include <algorithm>

namespace vantrel {
namespace {

struct queued_write {
    audio_write write;
    uint32_t request;
};

struct channel_state {
    queued_write queue[AUDIO_QUEUE_DEPTH]; // queue[0] plays
    int queued;
    uint16_t cycles_left; // of queue[0]
    uint64_t position;    // 16.16 byte position in queue[0]
    uint32_t step;
    bool owned;
    int priority;
};

struct reply {
    uint32_t request;
    int channel;
};

// Every reply belongs to a write that held a queue slot, and a channel takes no new write
// while its queue and uncollected replies together fill AUDIO_QUEUE_DEPTH.
constexpr int REPLY_CAPACITY = AUDIO_CHANNELS * AUDIO_QUEUE_DEPTH;

struct device_state {
    channel_state channels[AUDIO_CHANNELS];
    int enabled;
    reply replies[REPLY_CAPACITY];
    int reply_count;
    uint32_t next_request;
    uint32_t requests;
};

device_state g_device = {};
const audio_lock* g_lock = nullptr;

class locked {
  public:
    locked() {
        if (g_lock && g_lock->lock) g_lock->lock();
    }
    ~locked() {
        if (g_lock && g_lock->unlock) g_lock->unlock();
    }
    locked(const locked&) = delete;
    locked& operator=(const locked&) = delete;
};

bool left_channel(int channel) {
    return channel == 0 || channel == 3;
}

int replies_of(int channel) {
    int n = 0;
    for (int i = 0; i < g_device.reply_count; ++i) n += g_device.replies[i].channel == channel;
    return n;
}

void remove_reply(int index) {
    std::copy(g_device.replies + index + 1, g_device.replies + g_device.reply_count,
              g_device.replies + index);
    --g_device.reply_count;
}

// The head write starts: its own period and cycle count, the position as it stands.
void start_head(channel_state* ch) {
    if (ch->queued == 0) {
        ch->position = 0;
        return;
    }
    ch->cycles_left = ch->queue[0].write.cycles;
    ch->step = audio_device_step(ch->queue[0].write.period);
}

void remove_queued(channel_state* ch, int index) {
    std::copy(ch->queue + index + 1, ch->queue + ch->queued, ch->queue + index);
    --ch->queued;
    if (index == 0) {
        ch->position = 0;
        start_head(ch);
    }
}

// The head reached its end: loop it, or reply and go on with the next write, carrying
// the fractional rest so that writes join without a gap.
void end_cycle(int channel, uint64_t end) {
    channel_state* ch = &g_device.channels[channel];
    ch->position -= end;
    if (ch->queue[0].write.cycles == 0 || --ch->cycles_left > 0) return;
    g_device.replies[g_device.reply_count++] = {ch->queue[0].request, channel};
    std::copy(ch->queue + 1, ch->queue + ch->queued, ch->queue);
    --ch->queued;
    start_head(ch);
}

void mix_channel(int channel, int16_t* stereo, int frames) {
    channel_state* ch = &g_device.channels[channel];
    int16_t* out = stereo + (left_channel(channel) ? 0 : 1);
    int done = 0;
    while (done < frames && ch->queued > 0) {
        const audio_write& w = ch->queue[0].write;
        const uint64_t end = uint64_t(w.length) << 16;
        const uint64_t step = ch->step;
        const uint64_t to_end = (end - ch->position + step - 1) / step;
        const int n = int(std::min<uint64_t>(to_end, uint64_t(frames - done)));
        // Two channels per side at most 2 * 128 * 64 each: the sum fills int16 exactly.
        const int scale = 2 * w.volume;
        uint64_t position = ch->position;
        int16_t* o = out + 2 * done;
        for (int k = 0; k < n; ++k) {
            o[2 * k] = int16_t(o[2 * k] + w.sample[position >> 16] * scale);
            position += step;
        }
        ch->position = position;
        done += n;
        if (position >= end) end_cycle(channel, end);
    }
}

} // namespace

void audio_device_set_lock(const audio_lock* lock) {
    g_lock = lock;
}

uint32_t audio_device_step(uint16_t period) {
    const uint64_t p = std::max(period, AUDIO_PERIOD_MIN);
    return uint32_t((uint64_t(AUDIO_CLOCK) << 16) / (p * AUDIO_RATE));
}

void audio_device_reset(int channels) {
    locked guard;
    g_device = {};
    g_device.enabled = std::clamp(channels, 0, AUDIO_CHANNELS);
    g_device.next_request = 1;
}

void audio_device_mix(int16_t* stereo, int frames) {
    std::fill(stereo, stereo + 2 * frames, int16_t(0));
    for (int c = 0; c < AUDIO_CHANNELS; ++c)
        if (g_device.channels[c].queued > 0) mix_channel(c, stereo, frames);
}

uint8_t audio_device_allocate(const uint8_t* masks, int count, int priority) {
    locked guard;
    for (int i = 0; i < count; ++i) {
        bool free = masks[i] != 0;
        for (int c = 0; c < AUDIO_CHANNELS; ++c)
            if (masks[i] & (1 << c))
                free = free && c < g_device.enabled && !g_device.channels[c].owned;
        if (!free) continue;
        for (int c = 0; c < AUDIO_CHANNELS; ++c) {
            if (!(masks[i] & (1 << c))) continue;
            g_device.channels[c].owned = true;
            g_device.channels[c].priority = priority;
        }
        return masks[i];
    }
    return 0;
}

void audio_device_free(uint8_t mask) {
    locked guard;
    for (int c = 0; c < AUDIO_CHANNELS; ++c) {
        if (!(mask & (1 << c))) continue;
        channel_state* ch = &g_device.channels[c];
        *ch = {};
        for (int i = g_device.reply_count - 1; i >= 0; --i)
            if (g_device.replies[i].channel == c) remove_reply(i);
    }
}

uint32_t audio_device_write(int channel, const audio_write& write) {
    locked guard;
    if (channel < 0 || channel >= AUDIO_CHANNELS || !write.sample || write.length == 0) return 0;
    channel_state* ch = &g_device.channels[channel];
    if (!ch->owned || ch->queued + replies_of(channel) >= AUDIO_QUEUE_DEPTH) return 0;
    const uint32_t request = g_device.next_request;
    g_device.next_request = request == UINT32_MAX ? 1 : request + 1;
    ch->queue[ch->queued] = {write, request};
    ch->queue[ch->queued].write.volume = std::min(write.volume, AUDIO_VOLUME_MAX);
    ++ch->queued;
    if (ch->queued == 1) start_head(ch);
    ++g_device.requests;
    return request;
}

void audio_device_pervol(int channel, uint16_t period, uint8_t volume) {
    locked guard;
    if (channel < 0 || channel >= AUDIO_CHANNELS) return;
    channel_state* ch = &g_device.channels[channel];
    if (!ch->owned) return;
    ++g_device.requests;
    if (ch->queued == 0) return;
    ch->queue[0].write.period = period;
    ch->queue[0].write.volume = std::min(volume, AUDIO_VOLUME_MAX);
    ch->step = audio_device_step(period);
}

void audio_device_abort(uint32_t request) {
    locked guard;
    if (request == 0) return;
    for (channel_state& ch : g_device.channels)
        for (int i = 0; i < ch.queued; ++i)
            if (ch.queue[i].request == request) return remove_queued(&ch, i);
    for (int i = 0; i < g_device.reply_count; ++i)
        if (g_device.replies[i].request == request) return remove_reply(i);
}

bool audio_device_collect(uint8_t mask, uint32_t* request) {
    locked guard;
    for (int i = 0; i < g_device.reply_count; ++i) {
        if (!(mask & (1 << g_device.replies[i].channel))) continue;
        *request = g_device.replies[i].request;
        remove_reply(i);
        return true;
    }
    return false;
}

uint32_t audio_device_requests() {
    locked guard;
    return g_device.requests;
}

} // namespace vantrel
