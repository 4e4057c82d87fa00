// sound_previews: the built sounds as WAV files to listen to, read back with the game's own
// 8SVX reader, and a line of numbers for each: rate, length, peak and RMS.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/iff8svx.h"
#include "tools/datagen/datagen.h"
#include "tools/datagen/sounds.h"

namespace vantrel::datagen {

namespace {

std::vector<uint8_t> read_bytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(f)),
                                std::istreambuf_iterator<char>());
}

void le(bytes* b, uint32_t v, int count) {
    for (int i = 0; i < count; i++) b->u8(v >> (8 * i));
}

// 16-bit mono PCM: each 8-bit sample becomes its high byte.
std::vector<uint8_t> wav_bytes(const std::vector<int8_t>& samples, uint32_t rate) {
    bytes b;
    uint32_t data = uint32_t(samples.size()) * 2;
    b.tag("RIFF");
    le(&b, 36 + data, 4);
    b.tag("WAVE");
    b.tag("fmt ");
    le(&b, 16, 4);
    le(&b, 1, 2); // PCM
    le(&b, 1, 2); // mono
    le(&b, rate, 4);
    le(&b, rate * 2, 4);
    le(&b, 2, 2);
    le(&b, 16, 2);
    b.tag("data");
    le(&b, data, 4);
    for (int8_t s : samples) le(&b, uint32_t(int32_t(s) * 256), 2);
    return b.data;
}

// Writes name.wav with the sample repeated to at least min_samples, and prints its numbers.
bool preview_one(const std::string& file, const std::string& name, uint32_t repeat_to,
                 const std::string& out_dir) {
    std::vector<uint8_t> data = read_bytes(file);
    iff8svx_sample s;
    if (!iff8svx_parse(data.data(), uint32_t(data.size()), &s)) {
        std::fprintf(stderr, "previews: %s is not a playable 8SVX file\n", file.c_str());
        return false;
    }
    std::vector<int8_t> one(s.samples, s.samples + s.length), played;
    while (played.empty() || played.size() < repeat_to)
        played.insert(played.end(), one.begin(), one.end());
    int peak = 0;
    double squares = 0, sum = 0;
    for (int8_t v : one) {
        peak = std::max(peak, std::abs(int(v)));
        squares += double(v) * v;
        sum += v;
    }
    std::printf("%-20s %6u Hz %7u samples %6.3f s  peak %3d  RMS %5.1f  mean %+5.2f\n",
                name.c_str(), s.rate, s.length, double(s.length) / s.rate, peak,
                std::sqrt(squares / s.length), sum / s.length);
    return write_file(out_dir + "/" + name + ".wav", wav_bytes(played, s.rate));
}

} // namespace

bool sound_previews(const std::string& game_dir, const std::string& assets_dir,
                    const std::string& out_dir) {
    std::string text, error;
    std::vector<sound_recipe> recipes;
    if (!read_text(assets_dir + "/sounds/effects.txt", &text) ||
        !sound_read_effects(text, "effects.txt", &recipes, &error)) {
        std::fprintf(stderr, "previews: %s\n", error.c_str());
        return false;
    }
    const std::string dir = out_dir + "/sounds";
    std::error_code ignored;
    std::filesystem::create_directories(dir, ignored);
    for (const sound_recipe& r : recipes) {
        // Loops are heard three seconds long, so that the seam comes round several times.
        uint32_t repeat_to = r.loop ? 3 * r.rate : 0;
        if (!preview_one(game_dir + "/Sfx/" + r.name + ".iff", r.name, repeat_to, dir))
            return false;
    }
    // The music twice: once through the seam.
    std::vector<uint8_t> music = read_bytes(game_dir + "/music1.iff");
    iff8svx_sample m{};
    uint32_t twice = iff8svx_parse(music.data(), uint32_t(music.size()), &m) ? 2 * m.length : 0;
    return preview_one(game_dir + "/music1.iff", "music1", twice, dir);
}

} // namespace vantrel::datagen
