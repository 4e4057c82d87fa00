// music_amiga: the title music: one long 8SVX sample streamed in a loop through two
// double-buffered 16 384-byte writes on a stereo pair of channels.
#pragma once

#include <cstdint>

#include "platform/iff8svx.h"

namespace vantrel {

constexpr uint32_t MUSIC_BUFFER_BYTES = 16384;

struct music {
    uint8_t* file; // owns the sample bytes
    iff8svx_sample sample;
    uint16_t period;
    uint8_t volume;
    uint32_t position; // the next byte of the sample to copy into a buffer
    bool playing;
    uint8_t channels;       // the granted pair
    int side_channel[2];    // left, right
    uint32_t request[2][2]; // [buffer][side]; 0 when that write has returned
    int8_t buffers[2][MUSIC_BUFFER_BYTES];
};

// A track from a file, or null unless it parses and holds at least one buffer's worth.
music* music_load(const char* path);
// The same for a buffer (from read_file) the music then owns, freed also on failure.
music* music_from_memory(uint8_t* buffer, uint32_t size);
// 1 when playing (or already playing); 0 when no stereo pair is free. Volume 0-64.
int music_play(music* m, int volume);
// Once a frame: refills and queues again each buffer both of whose writes returned.
void music_update(music* m);
int music_playing(const music* m);
void music_stop(music* m);
void music_free(music* m);

// Ticks of the audio clock per byte at a rate: at least 124, at most 65 535 (also rate 0).
uint16_t audio_period_for_rate(uint32_t rate);

} // namespace vantrel
