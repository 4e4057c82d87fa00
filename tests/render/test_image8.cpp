// The IMG8 parser: what it accepts, what it refuses, and that no byte string can crash it.
#include <gtest/gtest.h>
#include <vector>

#include "render/image8.h"

namespace vantrel {
namespace {

std::vector<uint8_t> img8_file(uint16_t version, uint16_t w, uint16_t h, uint16_t first,
                               uint16_t count, size_t pixel_bytes) {
    std::vector<uint8_t> f = {'I', 'M', 'G', '8'};
    for (uint16_t v : {version, w, h, first, count}) {
        f.push_back(uint8_t(v >> 8));
        f.push_back(uint8_t(v));
    }
    for (int i = 0; i < 3 * count; i++) f.push_back(uint8_t(10 + i));
    for (size_t i = 0; i < pixel_bytes; i++) f.push_back(uint8_t(i * 7));
    return f;
}

TEST(Image8, ParsesPointersIntoTheBuffer) {
    std::vector<uint8_t> f = img8_file(1, 3, 2, 16, 2, 6);
    image8 img{};
    ASSERT_EQ(image8_parse(f.data(), uint32_t(f.size()), &img), 1);
    EXPECT_EQ(img.width, 3);
    EXPECT_EQ(img.height, 2);
    EXPECT_EQ(img.palette_first, 16);
    EXPECT_EQ(img.palette_count, 2);
    EXPECT_EQ(img.palette, f.data() + 14);
    EXPECT_EQ(img.pixels, f.data() + 20);
}

TEST(Image8, PaletteMayEndExactlyAtEntry255) {
    image8 img{};
    std::vector<uint8_t> ok = img8_file(1, 1, 1, 250, 6, 1);
    EXPECT_EQ(image8_parse(ok.data(), uint32_t(ok.size()), &img), 1);
    std::vector<uint8_t> over = img8_file(1, 1, 1, 250, 7, 1);
    EXPECT_EQ(image8_parse(over.data(), uint32_t(over.size()), &img), 0);
}

TEST(Image8, PixelDataOneShortIsRefusedOneLongerAccepted) {
    image8 img{};
    std::vector<uint8_t> shorter = img8_file(1, 4, 4, 0, 1, 15);
    EXPECT_EQ(image8_parse(shorter.data(), uint32_t(shorter.size()), &img), 0);
    std::vector<uint8_t> longer = img8_file(1, 4, 4, 0, 1, 17);
    EXPECT_EQ(image8_parse(longer.data(), uint32_t(longer.size()), &img), 1);
}

TEST(Image8, BadHeadersAreRefusedAndLeaveTheRecordAlone) {
    std::vector<std::vector<uint8_t>> bad = {
        img8_file(2, 1, 1, 0, 0, 1), img8_file(0, 1, 1, 0, 0, 1), img8_file(1, 0, 1, 0, 0, 1),
        img8_file(1, 1, 0, 0, 0, 1),
        // 65535 x 65535 pixels would wrap a 32-bit size sum to something small.
        img8_file(1, 65535, 65535, 0, 0, 64)};
    std::vector<uint8_t> wrong_magic = img8_file(1, 1, 1, 0, 0, 1);
    wrong_magic[3] = '9';
    bad.push_back(wrong_magic);
    for (const auto& f : bad) {
        image8 img{};
        img.width = 123;
        EXPECT_EQ(image8_parse(f.data(), uint32_t(f.size()), &img), 0);
        EXPECT_EQ(img.width, 123);
    }
}

TEST(Image8, EveryTruncationOfAValidFileIsRefused) {
    std::vector<uint8_t> f = img8_file(1, 5, 3, 100, 4, 15);
    image8 img{};
    for (uint32_t n = 0; n < f.size(); n++) EXPECT_EQ(image8_parse(f.data(), n, &img), 0) << n;
    EXPECT_EQ(image8_parse(f.data(), uint32_t(f.size()), &img), 1);
}

TEST(Image8, ApplyPaletteTouchesOnlyItsOwnEntries) {
    std::vector<uint8_t> f = img8_file(1, 1, 1, 254, 2, 1);
    image8 img{};
    ASSERT_EQ(image8_parse(f.data(), uint32_t(f.size()), &img), 1);
    std::vector<uint8_t> pal(768, 0x55);
    image8_apply_palette(&img, pal.data());
    for (int i = 0; i < 762; i++) ASSERT_EQ(pal[size_t(i)], 0x55) << i;
    for (int i = 0; i < 6; i++) EXPECT_EQ(pal[size_t(762 + i)], 10 + i);
}

} // namespace
} // namespace vantrel
