// headless_audio: the headless back end's sound: the device mixed in virtual time, 960
// frames at the end of every frame, optionally into a 16-bit stereo PCM WAV file.
#pragma once

#include <cstdint>

namespace vantrel {

constexpr int HEADLESS_AUDIO_FRAMES = 960; // 20 ms at 48 kHz

// Resets the device (no channels when `no_sound`) and creates the WAV file when a path is
// given; false, with a line on stderr, when the file cannot be created.
bool headless_audio_start(const char* wav_path, bool no_sound);
// One frame's mix, appended to the file.
void headless_audio_frame();
// Fills the header's sizes and closes the file.
void headless_audio_stop();

} // namespace vantrel
