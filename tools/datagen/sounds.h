// sounds: the sound recipes (assets/sounds/effects.txt and music1.txt), their integer
// synthesis, and the IFF 8SVX files the game plays: Sfx/<name>.iff and music1.iff.
//
// Every number in a recipe is a decimal with at most three places and is kept as an integer
// count of thousandths, so the samples come from integer arithmetic alone and their bytes
// depend neither on the machine's floating point nor on its compiler.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sfx_amiga.h"

namespace vantrel::datagen {

// The effect bank is the game's own list of names in id order (SFX_NAMES): the game loads
// "Sfx/<name>.iff" for each.
constexpr int SOUND_BANK_SIZE = SFX_COUNT;
constexpr uint32_t SOUND_MAX_BYTES = 131070; // the longest effect the player copies

enum class sound_wave { sine, triangle, square, saw, noise };
enum class sound_sweep { none, linear, exponential };

// One oscillator with its modulation, envelope and filter. Thousandths throughout:
// frequencies in mHz, times in microseconds, percentages in thousandths of a percent.
struct sound_layer {
    sound_wave wave = sound_wave::sine;
    int64_t freq = 0, sweep_to = 0; // noise: 0 draws a new value every sample
    sound_sweep sweep = sound_sweep::none;
    int64_t duty = 50000;
    int64_t vibrato_rate = 0, vibrato_depth = 0; // depth: share of the frequency
    int64_t tremolo_rate = 0, tremolo_depth = 0; // depth: share of the level
    int64_t attack = 0, hold = 0, decay = 0, curve = 1, sustain = 0, release = 0;
    int64_t cutoff = 0, cutoff_to = 0; // 0: no low-pass
    sound_sweep cutoff_sweep = sound_sweep::none;
    int64_t trill_freq = 0, trill_time = 0;
    int64_t start = 0;
    int64_t level = 100000;
    int64_t detune = 0; // thousandths of a cent
};

struct sound_recipe {
    std::string name;
    uint32_t rate = 0;
    int64_t length = 0; // microseconds
    bool loop = false;
    uint32_t peak = 0;
    std::vector<sound_layer> layers;
    std::string source; // the block's lines, kept in the file's annotation
};

// A tracker cell: a note number (A-4 = 69), or one of these.
constexpr int CELL_HOLD = -1, CELL_OFF = -2;

struct music_recipe {
    uint32_t rate = 0, rows_per_beat = 0, peak = 0;
    int64_t tempo = 0; // thousandths of a beat per minute
    struct instrument {
        std::string name;
        std::vector<sound_layer> layers;
    };
    std::vector<instrument> instruments;
    std::vector<int> tracks; // instrument of each track
    struct pattern {
        std::string name;
        std::vector<std::vector<int>> rows; // a cell per track
    };
    std::vector<pattern> patterns;
    std::vector<int> order; // pattern indices
    std::string source;
};

// The readers: false with "<path>:<line>: <fault>" in *error on the first fault.
bool sound_read_effects(std::string_view text, const std::string& path,
                        std::vector<sound_recipe>* out, std::string* error);
bool sound_read_music(std::string_view text, const std::string& path, music_recipe* out,
                      std::string* error);

// The samples (signed 8-bit), scaled so that the largest magnitude is the recipe's peak.
// A one-shot starts and ends at 0; a loop repeats without a seam.
std::vector<int8_t> sound_render(const sound_recipe& r);
// The pattern order played once, taken from a second pass so that the notes that ring over
// the end sound at the start too.
std::vector<int8_t> music_render(const music_recipe& m);
// Samples of one pass of the order.
uint32_t music_length(const music_recipe& m);

// A FORM "8SVX": VHDR, NAME, ANNO (the recipe), BODY, every chunk padded to even length.
std::vector<uint8_t> sound_8svx_bytes(const std::vector<int8_t>& samples, uint32_t rate, bool loop,
                                      const std::string& name, const std::string& annotation);

// WAV previews of the built sounds into out_dir/sounds/ (loops repeated to 3 s, the music
// twice), with a line of rate, length, peak and RMS for each on standard output.
bool sound_previews(const std::string& game_dir, const std::string& assets_dir,
                    const std::string& out_dir);

} // namespace vantrel::datagen
