// sdl_audio: the window back end's sound card: one SDL audio device, 48 kHz 16-bit stereo,
// whose callback runs the game's mixer under the device lock.
#pragma once

namespace vantrel {

// Opens the device and starts it; without a device (or with `no_sound`) every channel is
// refused, and a missing device says so once on stderr.
void sdl_audio_start(bool no_sound);
void sdl_audio_stop();

} // namespace vantrel
