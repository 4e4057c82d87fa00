// sfx_amiga: the sound effects: all four channels held while open, the engine hum looping on
// channels 0 (left) and 1 (right), one-shot or looping effects on 2 (right) and 3 (left) by
// priority; and the motor functions that turn the throttle into the hum's pitch and volume.
#pragma once

#include <cstdint>

#include "core/fixmath.h"

namespace vantrel {

constexpr int SFX_COUNT = 18; // effect ids 0-17; 0 is the engine
constexpr int SFX_ENGINE = 0;
constexpr int SFX_GUN = 2; // the guns' shot
constexpr int SFX_EXPLOSION = 13;
constexpr uint32_t SFX_MAX_BYTES = 131070; // the longest sample a write can carry, even
constexpr uint16_t SFX_DEFAULT_PERIOD = 321;

// The bank's file names (PROGDIR:Sfx/<name>.iff), index = effect id.
extern const char* const SFX_NAMES[SFX_COUNT];

// What one channel plays (exposed for tests).
struct sfx_channel_record {
    bool busy;
    int id; // -1 when none
    int priority;
    bool loop;
};

// Holds all four channels and loads the bank; false (effects stay closed) when the
// channels are not free. A missing or unplayable file silences only its id.
bool sfx_open();
bool sfx_is_open();
void sfx_close();
// Once a frame: frees the channels whose effect has finished.
void sfx_update();
// Effect id 1-17 on the right (side > 0), the left (side < 0) or both effect channels;
// refused while a target channel plays an effect of higher priority.
void sfx_play(int id, int priority, int side, int loop);
void sfx_stop(int id);
// Keeps the engine looping on channels 0 and 1; unchanged values send nothing.
void sfx_engine(uint16_t period, uint8_t volume);
// The sample's natural period, or 321 when it did not load.
uint16_t sfx_base_period(int id);
sfx_channel_record sfx_channel(int channel);

// base / max(a * b, 0.1), whole ticks, 1 ... 65 535.
uint16_t motor_playback_period(uint32_t base, fix16 a, fix16 b);
// The level in 64ths of 1.0, clamped to 0 ... 64.
uint8_t motor_playback_volume(fix16 level);
int motor_duck_volume(int volume, int duck);

} // namespace vantrel
