// audio_device: the four-channel sample player that music and effects share, and its exact
// 48 kHz stereo mixer (channels 0 and 3 left, 1 and 2 right).
//
// Users allocate channels, queue writes on them and collect a reply for every write that
// finished. The back ends only reset the device and pull mixed frames from it; the window's
// audio thread mixes under the lock installed with audio_device_set_lock.
#pragma once

#include <cstdint>

namespace vantrel {

constexpr int AUDIO_CHANNELS = 4;
constexpr int AUDIO_RATE = 48000;
// The PAL audio clock: the game's screen is PAL, so every period counts its ticks.
constexpr uint32_t AUDIO_CLOCK = 3546895;
constexpr uint16_t AUDIO_PERIOD_MIN = 124; // the fastest the hardware fetches
constexpr int AUDIO_QUEUE_DEPTH = 4;       // writes queued on one channel at a time
constexpr uint8_t AUDIO_VOLUME_MAX = 64;

// One sample write: played `cycles` times (0: until aborted), then replied to.
struct audio_write {
    const int8_t* sample;
    uint32_t length; // bytes, at least 1
    uint16_t period; // audio clock ticks per byte, clamped to 124 ... 65 535 when played
    uint8_t volume;  // 0 ... 64
    uint16_t cycles;
};

// Around every call of the game and the mixer's caller: the window's audio thread shares
// the device. Null functions (the default) lock nothing.
struct audio_lock {
    void (*lock)();
    void (*unlock)();
};
void audio_device_set_lock(const audio_lock* lock);

// Forgets every allocation, write and reply; the first `channels` channels (0: none) can be
// allocated from now on.
void audio_device_reset(int channels);
// Mixes `frames` stereo frames (left, right interleaved) and advances every channel.
void audio_device_mix(int16_t* stereo, int frames);

// The first of the channel masks whose channels are all enabled and free, now owned by the
// caller; 0 when none is. The priority is recorded, but a held channel is never taken.
uint8_t audio_device_allocate(const uint8_t* masks, int count, int priority);
// Aborts every write on these channels and gives them back.
void audio_device_free(uint8_t mask);

// Queues a write behind the channel's others; the request number (never 0), or 0 when the
// channel is not allocated, its queue is full or the write is empty.
uint32_t audio_device_write(int channel, const audio_write& write);
// Changes the playing write's period and volume from the next output frame on.
void audio_device_pervol(int channel, uint16_t period, uint8_t volume);
// Removes a request: from its queue when it has not finished, or its reply when it has.
void audio_device_abort(uint32_t request);
// Takes the oldest reply of a write on one of the channels in mask; false when none waits.
bool audio_device_collect(uint8_t mask, uint32_t* request);

// Writes and period/volume changes accepted since the last reset.
uint32_t audio_device_requests();
// 16.16 bytes advanced per output frame at a period (clamped to 124 ... 65 535).
uint32_t audio_device_step(uint16_t period);

} // namespace vantrel
