// The built sounds read back with the game's 8SVX reader: headers, lengths, levels and loop
// seams; the tracker's pitch; and the recipe readers' faults by line.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/iff8svx.h"
#include "tools/datagen/sounds.h"

namespace vantrel {
namespace {

std::vector<uint8_t> read_built(const std::string& name) {
    std::ifstream f(std::string(VANTREL_GAME_DIR) + "/" + name, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(f)),
                                std::istreambuf_iterator<char>());
}

uint32_t be32(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | b[at + 3];
}

struct expected_sound {
    const char* name;
    int ms;
    bool loop;
};
// The lengths the game's effects were designed around.
const expected_sound EXPECTED[] = {{"engine", 800, true},
                                   {"laser_beem", 1000, true},
                                   {"pulse_laser", 150, false},
                                   {"pulsegun", 120, false},
                                   {"pulse_shot", 80, false},
                                   {"plasma_pulse", 200, false},
                                   {"heavy_plasma_pulse", 350, false},
                                   {"mining_laser", 1000, true},
                                   {"heavy_mining_laser", 1000, true},
                                   {"hull1", 150, false},
                                   {"hull2", 250, false},
                                   {"alarm", 800, false},
                                   {"alarm2", 1200, false},
                                   {"explosion", 700, false},
                                   {"explosion2", 1100, false},
                                   {"explosion3", 1600, false},
                                   {"camera", 120, false},
                                   {"bell", 1200, false},
                                   {"music1", 19200, true}};

// Checks one file; returns whether its NAME or ANNO chunk has an odd length.
bool check_sound(const expected_sound& e, const std::vector<uint8_t>& file) {
    SCOPED_TRACE(e.name);
    iff8svx_sample s{};
    EXPECT_EQ(iff8svx_parse(file.data(), uint32_t(file.size()), &s), 1);
    if (!s.samples) return false;
    // VHDR first, as the writer puts it: one-shot or repeat length, one octave, no compression.
    EXPECT_EQ(std::string(file.begin() + 12, file.begin() + 16), "VHDR");
    EXPECT_EQ(be32(file, 16), 20u);
    EXPECT_EQ(be32(file, 20), e.loop ? 0 : s.length);
    EXPECT_EQ(be32(file, 24), e.loop ? s.length : 0);
    EXPECT_EQ(be32(file, 28), 0u);
    EXPECT_EQ(s.rate, 11025u);
    EXPECT_EQ(file[34], 1);
    EXPECT_EQ(file[35], 0);
    EXPECT_EQ(be32(file, 36), 0x10000u);
    EXPECT_EQ(s.length % 2, 0u);
    if (std::string(e.name) == "music1") {
        EXPECT_GE(s.length, 16384u); // the player streams it in two 16 384-byte halves
    } else {
        EXPECT_LE(s.length, datagen::SOUND_MAX_BYTES);
    }
    EXPECT_NEAR(double(s.length) * 1000 / s.rate, e.ms, e.ms / 10.0);
    std::vector<int> v(s.samples, s.samples + s.length);
    int peak = 0;
    std::vector<int> steps;
    long sum = 0;
    for (size_t i = 0; i < v.size(); i++) {
        peak = std::max(peak, std::abs(v[i]));
        sum += v[i];
        if (i) steps.push_back(std::abs(v[i] - v[i - 1]));
    }
    EXPECT_GE(peak, 80);
    EXPECT_LE(peak, 120);
    EXPECT_LE(std::abs(double(sum) / v.size()), 2.0);
    if (e.loop) {
        // The seam steps no further than all but the largest hundredth of the steps inside:
        // a fade or a restarted wave at the loop point would.
        std::sort(steps.begin(), steps.end());
        EXPECT_LE(std::abs(v.front() - v.back()), steps[steps.size() * 99 / 100]);
    } else {
        EXPECT_EQ(v.front(), 0); // one-shots start and end in silence
        EXPECT_EQ(v.back(), 0);
    }
    uint32_t name_length = be32(file, 44),
             anno_length = be32(file, 48 + name_length + name_length % 2 + 4);
    return name_length % 2 || anno_length % 2;
}

TEST(BuiltSounds, EveryFileParsesWithItsHeaderLengthAndLevels) {
    ASSERT_EQ(std::size(EXPECTED), size_t(datagen::SOUND_BANK_SIZE) + 1);
    bool odd_chunk = false;
    for (size_t i = 0; i < std::size(EXPECTED); i++) {
        const expected_sound& e = EXPECTED[i];
        bool music = i == size_t(datagen::SOUND_BANK_SIZE);
        if (!music) {
            EXPECT_STREQ(e.name, SFX_NAMES[i]);
        }
        std::vector<uint8_t> file =
            read_built(music ? "music1.iff" : std::string("Sfx/") + e.name + ".iff");
        ASSERT_GT(file.size(), 48u) << e.name;
        odd_chunk = check_sound(e, file) || odd_chunk;
    }
    EXPECT_TRUE(odd_chunk); // the game's reader has walked a pad byte in real data
}

// One sine note of the tracker crosses zero at the note's frequency: A-4 440 Hz, E-5 an
// equal-tempered fifth above (659.26 Hz).
TEST(SoundsRecipe, TrackerNotesSoundAtTheirFrequencies) {
    for (auto [cell, hz] : {std::pair{"A-4", 440.0}, {"E-5", 659.255}, {"A-2", 110.0}}) {
        std::string text = "rate 11025\ntempo 60\nrows-per-beat 1\npeak 100\n"
                           "instrument s sine\ntracks s\npattern p\n" +
                           std::string(cell) + "\n---\n---\n---\norder p\n";
        datagen::music_recipe m;
        std::string error;
        ASSERT_TRUE(datagen::sound_read_music(text, "m.txt", &m, &error)) << error;
        std::vector<int8_t> v = datagen::music_render(m);
        ASSERT_EQ(v.size(), 44100u);
        int rises = 0;
        for (size_t i = 1; i < v.size(); i++) rises += v[i - 1] < 0 && v[i] >= 0;
        EXPECT_NEAR(rises / 4.0, hz, 1.0) << cell;
    }
}

TEST(SoundsRecipe, EachFaultNamesItsLine) {
    const char* effect = "sound a\nrate 11025\nlength 100\npeak 100\nlayer sine freq 440\n";
    const struct {
        bool music;
        const char* text;
        const char* message;
    } CASES[] = {
        {false, "sound a\nrate 11025\nlength 100\npeak 100\nlayer sine freq 6000\n",
         "f.txt:5: frequency: 6000 is outside 0.001..5512.5"},
        {false, "sound a\nrate 11025\nlength 100\npeak 100\nlayer sine freq 440 wobble 3\n",
         "f.txt:5: unknown layer key 'wobble'"},
        {false, "sound a\nrate 11025\nlength 100\npeak 100\nlayer sine freq 4.4.0\n",
         "f.txt:5: frequency: '4.4.0' is not a number"},
        {false, "sound a\nrate 11025\nlength 100\npeak 100\nlayer square freq 440 env 1 2\n",
         "f.txt:5: missing decay"},
        {false, "sound a\nrate 11025\nlength 100\npeak 100\nlayer sine\n",
         "f.txt:5: a layer needs its frequency ('freq')"},
        {false, "sound a\nrate 11025\nlength 100\n\nsound b\n",
         "f.txt:1: sound 'a' needs rate, length, peak and a layer"},
        {false, "rate 11025\n", "f.txt:1: 'rate' before the first 'sound'"},
        {false, "sound a\nrate 11025\nlength 100\npeak 100\nlayer sine freq 440\nsound a\n",
         "f.txt:6: sound 'a' is already on line 1"},
        {false, "sound a\nrate 11025\nlength 20000\npeak 100\nlayer sine freq 440\n",
         "f.txt:1: sound 'a' is 220500 samples long, outside 16..131070"},
        {true, "rate 11025\ntempo 100\nrows-per-beat 4\npeak 100\ninstrument s sine freq 3\n",
         "f.txt:5: 'freq' is not a key of an instrument"},
        {true, "rate 11025\ninstrument s sine\ntracks s s\npattern p\nA-4 H-4\n",
         "f.txt:5: 'H-4' is not a note, --- or ==="},
        {true, "rate 11025\ninstrument s sine\ntracks s\npattern p\nA-4 ---\n",
         "f.txt:5: 2 cells for 1 tracks"},
        {true, "rate 11025\ninstrument s sine\ntracks s\npattern p\nA-4\norder q\n",
         "f.txt:6: no pattern 'q'"},
        {true, "rate 11025\ntracks t\n", "f.txt:2: no instrument 't'"},
    };
    for (const auto& c : CASES) {
        std::string error;
        datagen::music_recipe m;
        std::vector<datagen::sound_recipe> effects;
        bool ok = c.music ? datagen::sound_read_music(c.text, "f.txt", &m, &error)
                          : datagen::sound_read_effects(c.text, "f.txt", &effects, &error);
        EXPECT_FALSE(ok) << c.text;
        EXPECT_EQ(error, c.message) << c.text;
    }
    std::string error;
    std::vector<datagen::sound_recipe> effects;
    EXPECT_TRUE(datagen::sound_read_effects(effect, "f.txt", &effects, &error)) << error;
}

} // namespace
} // namespace vantrel
