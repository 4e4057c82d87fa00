// Sound recipes from any text: both readers, then whatever they accept rendered when it is
// small enough for a fuzzing pace. Rendered samples keep to the recipe's peak and length.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "tools/datagen/sounds.h"

using namespace vantrel::datagen;

namespace {

constexpr int64_t WORK = 400000; // samples x layers rendered per input at most

void render_effects(const std::vector<sound_recipe>& recipes) {
    int64_t work = 0;
    for (const sound_recipe& r : recipes)
        work += r.length * r.rate / 1000000 * int64_t(r.layers.size()) * (r.loop ? 2 : 1);
    if (work > WORK) return;
    for (const sound_recipe& r : recipes) {
        std::vector<int8_t> v = sound_render(r);
        if (v.size() != size_t(r.length * r.rate / 1000000 & ~int64_t(1))) std::abort();
        for (int8_t s : v)
            if (s > int(r.peak) || s < -int(r.peak)) std::abort();
    }
}

void render_music(const music_recipe& m) {
    int64_t notes = 0;
    for (int p : m.order) notes += int64_t(m.patterns[size_t(p)].rows.size());
    int64_t layers = 0;
    for (int t : m.tracks) layers += int64_t(m.instruments[size_t(t)].layers.size());
    // Each row of each pass may start a note on every track, and a note may ring to the end.
    if (4 * int64_t(music_length(m)) * notes * layers > 5 * WORK) return;
    std::vector<int8_t> v = music_render(m);
    if (v.size() != music_length(m)) std::abort();
    for (int8_t s : v)
        if (s > int(m.peak) || s < -int(m.peak)) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1u << 16) return 0;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string error;
    std::vector<sound_recipe> effects;
    if (sound_read_effects(text, "effects.txt", &effects, &error)) render_effects(effects);
    music_recipe music;
    if (sound_read_music(text, "music1.txt", &music, &error)) render_music(music);
    return 0;
}
