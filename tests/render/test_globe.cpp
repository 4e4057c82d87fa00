// Globe textures: the parser's refusals, the shade rule and the 16-slot cache.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "render/globe.h"
#include "render/import.h"
#include "shell/services.h"

namespace vantrel {
namespace {

std::vector<uint8_t> globe_file(uint16_t version, uint16_t width, uint16_t height, uint32_t radius,
                                size_t pixels) {
    std::vector<uint8_t> f = {'G', 'L', 'O', 'B'};
    auto put = [&f](uint32_t v, int bytes) {
        for (int i = bytes - 1; i >= 0; i--) f.push_back(uint8_t(v >> (8 * i)));
    };
    put(version, 2), put(width, 2), put(height, 2), put(radius, 4);
    for (size_t i = 0; i < pixels; i++) f.push_back(uint8_t(152 + i % 48));
    return f;
}

TEST(GlobeParse, ReadsHeaderAndPointsIntoTheBuffer) {
    auto f = globe_file(1, 8, 4, 4800, 33); // a trailing byte is ignored
    globe_texture t;
    ASSERT_EQ(globe_texture_parse(f.data(), uint32_t(f.size()), &t), 1);
    EXPECT_EQ(t.width, 8);
    EXPECT_EQ(t.shift, 3);
    EXPECT_EQ(t.height, 4);
    EXPECT_EQ(t.radius, 4800u);
    EXPECT_EQ(t.pixels, f.data() + 14);
}

TEST(GlobeParse, WidthPowerOfTwoHeightNonZeroVersionAndMagic) {
    auto bad_magic = globe_file(1, 16, 8, 1300, 128);
    bad_magic[3] = 'X';
    const struct {
        std::vector<uint8_t> file;
        int shift; // -1: refused
    } cases[] = {
        {globe_file(1, 1, 1, 10, 1), 0},
        {globe_file(1, 0x8000, 1, 10, 0x8000), 15},
        {globe_file(1, 0, 1, 10, 0), -1},
        {globe_file(1, 3, 1, 10, 3), -1},
        {globe_file(1, 6, 1, 10, 6), -1},
        {globe_file(1, 12, 1, 10, 12), -1},
        {globe_file(1, 0x8001, 1, 10, 0x8001), -1},
        {globe_file(1, 4, 0, 10, 0), -1},
        {globe_file(2, 16, 8, 1300, 128), -1},
        {bad_magic, -1},
        // The largest dimensions must not overflow the size check.
        {globe_file(1, 0x8000, 0xFFFF, 1, 16), -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        globe_texture t;
        ASSERT_EQ(globe_texture_parse(c.file.data(), uint32_t(c.file.size()), &t), c.shift >= 0);
        if (c.shift >= 0) {
            EXPECT_EQ(t.shift, c.shift);
        }
    }
    globe_texture t;
    EXPECT_EQ(globe_texture_parse(nullptr, 0, &t), 0);
}

TEST(GlobeParse, RefusesEveryTruncation) {
    globe_texture t;
    auto f = globe_file(1, 16, 8, 1300, 128);
    for (uint32_t size = 0; size < f.size(); size++) {
        // Each short copy lives in a buffer of exactly that size, so a read past it is caught
        // by the address sanitizer.
        std::vector<uint8_t> cut(f.begin(), f.begin() + size);
        EXPECT_EQ(globe_texture_parse(cut.data(), size, &t), 0) << size;
        EXPECT_EQ(t.pixels, nullptr);
    }
}

TEST(GlobeShade, FullLightShowsTheTexelAndDarknessKeepsTheRampBase) {
    const uint8_t ocean_mid = globe_texel(GLOBE_DEEP_OCEAN, 4); // 156
    EXPECT_EQ(ocean_mid, 156);
    const int light_and_colour[][2] = {{7, 156}, {6, 155},  {4, 153}, {3, 152},
                                       {0, 152}, {-5, 152}, {99, 156}};
    for (auto [light, colour] : light_and_colour)
        EXPECT_EQ(globe_shade(ocean_mid, light), colour) << light;
    // Never leaves its own ramp: the brightest ice stays ice, the darkest regolith stays.
    EXPECT_EQ(globe_shade(globe_texel(GLOBE_ICE, 7), 7), 175);
    EXPECT_EQ(globe_shade(globe_texel(GLOBE_ICE, 7), 0), 168);
    EXPECT_EQ(globe_shade(globe_texel(GLOBE_REGOLITH, 0), 7), 192);
    // Texels outside the ramps are shown as they are.
    EXPECT_EQ(globe_shade(151, 0), 151);
    EXPECT_EQ(globe_shade(200, 3), 200);
}

class GlobeCache : public ::testing::Test {
  protected:
    static void print(const char* text) { std::fputs(text, stdout); }
    void SetUp() override {
        static const render_import IMPORT = {read_file, read_file_free, print, read_file_error};
        render_set_import(&IMPORT);
        globe_cache_clear();
    }
    void TearDown() override {
        globe_cache_clear();
        render_set_import(nullptr);
        for (const std::string& p : written) std::remove(p.c_str());
    }
    void write(const std::string& name, const std::vector<uint8_t>& bytes) {
        std::string path = std::string(progdir()) + name + ".globe";
        FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
        written.push_back(path);
    }
    std::vector<std::string> written;
};

TEST_F(GlobeCache, LoadsOnceAndRemembersFailures) {
    write("tglobe_a", globe_file(1, 4, 2, 777, 8));
    const globe_texture* a = globe_lookup("tglobe_a");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->radius, 777u);
    EXPECT_EQ(globe_lookup("tglobe_a"), a); // same slot, no second read
    EXPECT_EQ(globe_lookup("tglobe_missing"), nullptr);
    // A failed load is not retried, even once the file appears.
    write("tglobe_missing", globe_file(1, 4, 2, 1, 8));
    EXPECT_EQ(globe_lookup("tglobe_missing"), nullptr);
    write("tglobe_bad", globe_file(1, 3, 2, 1, 6));
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(globe_lookup("tglobe_bad"), nullptr); // there but broken: named, not silent
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "globe tglobe_bad: PROGDIR:tglobe_bad.globe invalid\n");
}

TEST_F(GlobeCache, SixteenSlotsAndNamesThatTakeNone) {
    write("tglobe_last", globe_file(1, 2, 1, 5, 2));
    EXPECT_EQ(globe_lookup(""), nullptr);
    EXPECT_EQ(globe_lookup(nullptr), nullptr);
    EXPECT_EQ(globe_lookup("tglobe_sixteen16"), nullptr); // 16 characters
    for (int i = 0; i < GLOBE_CACHE_SLOTS - 1; i++)
        EXPECT_EQ(globe_lookup(("tglobe_m" + std::to_string(i)).c_str()), nullptr);
    EXPECT_NE(globe_lookup("tglobe_last"), nullptr); // the 16th slot was still free
    globe_cache_clear();
    for (int i = 0; i < GLOBE_CACHE_SLOTS; i++)
        EXPECT_EQ(globe_lookup(("tglobe_n" + std::to_string(i)).c_str()), nullptr);
    EXPECT_EQ(globe_lookup("tglobe_last"), nullptr); // the seventeenth name gets nothing
}

} // namespace
} // namespace vantrel
