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

TEST(Image8, ParsesPointersIntoTheBufferAndAppliesOnlyItsOwnEntries) {
    std::vector<uint8_t> f = img8_file(1, 3, 2, 254, 2, 6);
    image8 img{};
    ASSERT_EQ(image8_parse(f.data(), uint32_t(f.size()), &img), 1);
    EXPECT_EQ(img.width, 3);
    EXPECT_EQ(img.height, 2);
    EXPECT_EQ(img.palette_first, 254);
    EXPECT_EQ(img.palette_count, 2);
    EXPECT_EQ(img.palette, f.data() + 14);
    EXPECT_EQ(img.pixels, f.data() + 20);
    std::vector<uint8_t> pal(768, 0x55);
    image8_apply_palette(&img, pal.data());
    for (int i = 0; i < 762; i++) ASSERT_EQ(pal[size_t(i)], 0x55) << i;
    for (int i = 0; i < 6; i++) EXPECT_EQ(pal[size_t(762 + i)], 10 + i);
}

TEST(Image8, AcceptsAndRefusesAtEveryLimitAndLeavesTheRecordAlone) {
    std::vector<uint8_t> wrong_magic = img8_file(1, 1, 1, 0, 0, 1);
    wrong_magic[3] = '9';
    const struct {
        std::vector<uint8_t> file;
        int ok;
    } cases[] = {
        {img8_file(1, 1, 1, 250, 6, 1), 1}, // the palette ends exactly at entry 255
        {img8_file(1, 1, 1, 250, 7, 1), 0},
        {img8_file(1, 4, 4, 0, 1, 17), 1}, // pixel data one longer (one short: truncations below)
        {img8_file(2, 1, 1, 0, 0, 1), 0},
        {img8_file(0, 1, 1, 0, 0, 1), 0},
        {img8_file(1, 0, 1, 0, 0, 1), 0},
        {img8_file(1, 1, 0, 0, 0, 1), 0},
        // 65535 x 65535 pixels would wrap a 32-bit size sum to something small.
        {img8_file(1, 65535, 65535, 0, 0, 64), 0},
        {wrong_magic, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        image8 img{};
        img.width = 123;
        EXPECT_EQ(image8_parse(c.file.data(), uint32_t(c.file.size()), &img), c.ok);
        if (!c.ok) {
            EXPECT_EQ(img.width, 123);
        }
    }
}

TEST(Image8, EveryTruncationOfAValidFileIsRefused) {
    std::vector<uint8_t> f = img8_file(1, 5, 3, 100, 4, 15);
    image8 img{};
    for (uint32_t n = 0; n < f.size(); n++) EXPECT_EQ(image8_parse(f.data(), n, &img), 0) << n;
    EXPECT_EQ(image8_parse(f.data(), uint32_t(f.size()), &img), 1);
}

} // namespace
} // namespace vantrel
