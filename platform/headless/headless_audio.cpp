#include "platform/headless/headless_audio.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/audio_device.h"

namespace vantrel {
namespace {

constexpr uint32_t WAV_HEADER_BYTES = 44;
constexpr uint32_t FRAME_BYTES = 4; // two 16-bit channels

struct headless_audio {
    std::FILE* wav;
    uint32_t data_bytes;
    int16_t mix[2 * HEADLESS_AUDIO_FRAMES];
    uint8_t bytes[FRAME_BYTES * HEADLESS_AUDIO_FRAMES];
};

headless_audio g_audio;

void put16(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

void put32(uint8_t* p, uint32_t v) {
    put16(p, v);
    put16(p + 2, v >> 16);
}

// The canonical 44-byte header of a PCM WAV file; the sizes are little-endian on every host.
void wav_header(uint8_t* h, uint32_t data_bytes) {
    std::memcpy(h, "RIFF", 4);
    put32(h + 4, 36 + data_bytes);
    std::memcpy(h + 8, "WAVEfmt ", 8);
    put32(h + 16, 16);
    put16(h + 20, 1); // PCM
    put16(h + 22, 2);
    put32(h + 24, AUDIO_RATE);
    put32(h + 28, AUDIO_RATE * FRAME_BYTES);
    put16(h + 32, FRAME_BYTES);
    put16(h + 34, 16);
    std::memcpy(h + 36, "data", 4);
    put32(h + 40, data_bytes);
}

} // namespace

bool headless_audio_start(const char* wav_path, bool no_sound) {
    audio_device_reset(no_sound ? 0 : AUDIO_CHANNELS);
    g_audio.data_bytes = 0;
    if (!wav_path || !wav_path[0]) return true;
    g_audio.wav = std::fopen(wav_path, "wb");
    uint8_t header[WAV_HEADER_BYTES];
    wav_header(header, 0);
    if (g_audio.wav && std::fwrite(header, 1, sizeof header, g_audio.wav) == sizeof header)
        return true;
    std::fprintf(stderr, "vantrel: could not create the WAV file %s: %s\n", wav_path,
                 std::strerror(errno));
    if (g_audio.wav) std::fclose(g_audio.wav);
    g_audio.wav = nullptr;
    return false;
}

void headless_audio_frame() {
    audio_device_mix(g_audio.mix, HEADLESS_AUDIO_FRAMES);
    if (!g_audio.wav) return;
    for (int i = 0; i < 2 * HEADLESS_AUDIO_FRAMES; ++i)
        put16(g_audio.bytes + 2 * i, uint16_t(g_audio.mix[i]));
    std::fwrite(g_audio.bytes, 1, sizeof g_audio.bytes, g_audio.wav);
    g_audio.data_bytes += sizeof g_audio.bytes;
}

void headless_audio_stop() {
    if (!g_audio.wav) return;
    uint8_t header[WAV_HEADER_BYTES];
    wav_header(header, g_audio.data_bytes);
    if (std::fseek(g_audio.wav, 0, SEEK_SET) == 0)
        std::fwrite(header, 1, sizeof header, g_audio.wav);
    std::fclose(g_audio.wav);
    g_audio.wav = nullptr;
}

} // namespace vantrel
