#include "platform/sdl/sdl_audio.h"

#include <SDL2/SDL.h>
#include <cstdint>
#include <cstdio>

#include "platform/audio_device.h"

namespace vantrel {
namespace {

constexpr int CALLBACK_FRAMES = 512;

SDL_AudioDeviceID g_device = 0;

void lock_device() {
    SDL_LockAudioDevice(g_device);
}
void unlock_device() {
    SDL_UnlockAudioDevice(g_device);
}

const audio_lock SDL_AUDIO_LOCK = {lock_device, unlock_device};

// SDL holds the device lock around the callback: the game's calls wait for the mix to end.
// Nothing here allocates or prints.
void sdl_audio_callback(void*, Uint8* stream, int bytes) {
    audio_device_mix(reinterpret_cast<int16_t*>(stream), bytes / 4);
}

} // namespace

void sdl_audio_start(bool no_sound) {
    audio_device_set_lock(nullptr);
    audio_device_reset(0);
    if (no_sound) return;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        std::fprintf(stderr, "vantrel: no sound (%s)\n", SDL_GetError());
        return;
    }
    SDL_AudioSpec want = {}, have = {};
    want.freq = AUDIO_RATE;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = CALLBACK_FRAMES;
    want.callback = sdl_audio_callback;
    g_device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (g_device == 0) {
        std::fprintf(stderr, "vantrel: no sound (%s)\n", SDL_GetError());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return;
    }
    audio_device_reset(AUDIO_CHANNELS);
    audio_device_set_lock(&SDL_AUDIO_LOCK);
    SDL_PauseAudioDevice(g_device, 0);
}

void sdl_audio_stop() {
    if (g_device == 0) return;
    SDL_CloseAudioDevice(g_device);
    g_device = 0;
    audio_device_set_lock(nullptr);
    audio_device_reset(0);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

} // namespace vantrel
