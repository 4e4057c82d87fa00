// The tick counter's conversions, the CRC-32 behind frame hashes and the window geometry (fit
// and pointer mapping).
#include <gtest/gtest.h>
#include <random>
#include <tuple>
#include <vector>

#include "platform/frame_crc.h"
#include "platform/prof_amiga.h"
#include "platform/window_view.h"

#if VANTREL_HAVE_ZLIB
#include <zlib.h>
#endif

namespace vantrel {
namespace {

TEST(Prof, TicksToMicroseconds) {
    // A long count is capped at 2,000,000 ticks; the rate is used in whole kHz.
    const struct {
        uint32_t ticks, hz, us;
    } CASES[] = {{3000000, 709379, 2820874}, {2000000, 709379, 2820874},     {709, 709379, 1000},
                 {1, 999, 0x7FFFFFFF},       {0, 999, 0x7FFFFFFF},           {12345, 0, 0},
                 {1234, 1000000, 1234},      {0xFFFFFFFFu, 1000, 2000000000}};
    for (const auto& c : CASES)
        EXPECT_EQ(prof_ticks_to_us_at(c.ticks, c.hz), c.us) << c.ticks << " at " << c.hz;
}

TEST(Prof, OpensOnceAndReadsZeroWhenClosed) {
    prof_close();
    EXPECT_EQ(prof_now(), 0u);
    EXPECT_EQ(prof_hz(), 0u);
    EXPECT_EQ(prof_ticks_to_us(5000), 0u);
    ASSERT_EQ(prof_init(), 1);
    EXPECT_EQ(prof_hz(), 1000000u);
    uint32_t cost = prof_read_cost();
    EXPECT_EQ(prof_init(), 1); // already open: nothing measured again
    EXPECT_EQ(prof_read_cost(), cost);
    prof_close();
}

TEST(Crc32, KnownValuesAndZlibAgreement) {
    const uint8_t check[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(crc32_table_update(0, check, 9), 0xCBF43926u);
    EXPECT_EQ(frame_crc32(check, 9), 0xCBF43926u);
    EXPECT_EQ(crc32_table_update(0, nullptr, 0), 0u);
    // Continuing a CRC over a split buffer gives the CRC of the whole.
    EXPECT_EQ(crc32_table_update(crc32_table_update(0, check, 4), check + 4, 5), 0xCBF43926u);
    std::mt19937 rng(1);
    std::vector<uint8_t> data(81920);
    for (auto& b : data) b = static_cast<uint8_t>(rng());
    uint32_t table = crc32_table_update(0, data.data(), data.size());
    EXPECT_EQ(frame_crc32(data.data(), data.size()), table);
#if VANTREL_HAVE_ZLIB
    EXPECT_EQ(static_cast<uint32_t>(crc32(0, data.data(), static_cast<uInt>(data.size()))), table);
#endif
}

TEST(WindowView, WholeScalesOrFourThreeCentred) {
    const struct {
        bool four_three; // stretched to 4:3 instead of whole scales of 320 x 256
        int32_t out_w, out_h;
        view_rect want;
    } CASES[] = {
        {false, 960, 768, {0, 0, 960, 768}},
        {false, 1920, 1080, {320, 28, 1280, 1024}}, // scale 4, centred
        {false, 700, 2000, {30, 744, 640, 512}},    // width limits: scale 2
        {false, 160, 200, {0, 36, 160, 128}},       // smaller than the image: same aspect
        {false, 0, 100, {0, 0, 0, 0}},
        {true, 1920, 1080, {240, 0, 1440, 1080}}, // height limits
        {true, 960, 1000, {0, 140, 960, 720}},    // width limits
        {true, 0, 1000, {0, 0, 0, 0}},
    };
    for (const auto& c : CASES) {
        view_rect r = c.four_three ? view_fit_aspect(c.out_w, c.out_h, 4, 3)
                                   : view_fit(c.out_w, c.out_h, 320, 256);
        EXPECT_EQ(std::tie(r.x, r.y, r.w, r.h), std::tie(c.want.x, c.want.y, c.want.w, c.want.h))
            << c.out_w << " x " << c.out_h << (c.four_three ? " at 4:3" : "");
    }
}

TEST(WindowView, PointerMapsToImagePixelsAndMayLeaveTheImage) {
    const view_rect scale4 = view_fit(1920, 1080, 320, 256);
    const view_rect four_three = view_fit_aspect(960, 720, 4, 3);
    const struct {
        const view_rect* r;
        int32_t out_x, out_y, x, y;
    } CASES[] = {
        {&scale4, 320, 28, 0, 0},
        {&scale4, 323, 31, 0, 0}, // inside the first 4x4 block
        {&scale4, 324 + 4 * 100, 28 + 4 * 255 + 3, 101, 255},
        {&scale4, 319, 27, -1, -1}, // one output pixel outside: -1, not 0
        {&scale4, 1919, 1079, 399, 262},
        // 256 image rows over 720 output rows: the last output row is the last image row.
        {&four_three, 959, 719, 319, 255},
        {&four_three, 0, 0, 0, 0},
    };
    for (const auto& c : CASES) {
        int32_t x, y;
        view_map_point(*c.r, 320, 256, c.out_x, c.out_y, &x, &y);
        EXPECT_EQ(x, c.x) << c.out_x << "," << c.out_y;
        EXPECT_EQ(y, c.y) << c.out_x << "," << c.out_y;
    }
}

} // namespace
} // namespace vantrel
