// The tick counter's conversions, the processor answers, the CRC-32 behind frame hashes
// and the window geometry (fit and pointer mapping).
#include <gtest/gtest.h>
#include <random>
#include <vector>

#include "platform/cpu_detect.h"
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
    EXPECT_EQ(prof_ticks_to_us_at(3000000, 709379), 2820874u);
    EXPECT_EQ(prof_ticks_to_us_at(2000000, 709379), 2820874u);
    EXPECT_EQ(prof_ticks_to_us_at(709, 709379), 1000u);
    EXPECT_EQ(prof_ticks_to_us_at(1, 999), 0x7FFFFFFFu);
    EXPECT_EQ(prof_ticks_to_us_at(0, 999), 0x7FFFFFFFu);
    EXPECT_EQ(prof_ticks_to_us_at(12345, 0), 0u);
    EXPECT_EQ(prof_ticks_to_us_at(1234, 1000000), 1234u);
    EXPECT_EQ(prof_ticks_to_us_at(0xFFFFFFFFu, 1000), 2000000000u);
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

TEST(Cpu, PowerPcClassAnswers) {
    EXPECT_EQ(amiga_detect_cpu(), 3);
    EXPECT_EQ(amiga_has_fpu(), 1);
    EXPECT_EQ(amiga_read_pcr(), 0u);
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

TEST(WindowView, WholeScalesCentredAndShrinkingFits) {
    view_rect r = view_fit(960, 768, 320, 256);
    EXPECT_EQ(r.x, 0);
    EXPECT_EQ(r.w, 960);
    EXPECT_EQ(r.h, 768);
    r = view_fit(1920, 1080, 320, 256); // scale 4 (1280 x 1024), centred
    EXPECT_EQ(r.w, 1280);
    EXPECT_EQ(r.h, 1024);
    EXPECT_EQ(r.x, 320);
    EXPECT_EQ(r.y, 28);
    r = view_fit(700, 2000, 320, 256); // width limits: scale 2
    EXPECT_EQ(r.w, 640);
    EXPECT_EQ(r.y, (2000 - 512) / 2);
    r = view_fit(160, 200, 320, 256); // smaller than the image: same aspect
    EXPECT_EQ(r.w, 160);
    EXPECT_EQ(r.h, 128);
    r = view_fit(0, 100, 320, 256);
    EXPECT_EQ(r.w, 0);
}

TEST(WindowView, FourThreeFillsTheLimitingSideAndMapsThePointerBack) {
    view_rect r = view_fit_aspect(1920, 1080, 4, 3); // height limits: 1440 x 1080
    EXPECT_EQ(r.w, 1440);
    EXPECT_EQ(r.h, 1080);
    EXPECT_EQ(r.x, 240);
    EXPECT_EQ(r.y, 0);
    r = view_fit_aspect(960, 1000, 4, 3); // width limits: 960 x 720
    EXPECT_EQ(r.w, 960);
    EXPECT_EQ(r.h, 720);
    EXPECT_EQ(r.y, 140);
    r = view_fit_aspect(0, 1000, 4, 3);
    EXPECT_EQ(r.w, 0);
    // 256 image rows over 720 output rows: the last output row is the last image row.
    r = view_fit_aspect(960, 720, 4, 3);
    int32_t x, y;
    view_map_point(r, 320, 256, 959, 719, &x, &y);
    EXPECT_EQ(x, 319);
    EXPECT_EQ(y, 255);
    view_map_point(r, 320, 256, 0, 0, &x, &y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
}

TEST(WindowView, PointerMapsToImagePixelsAndMayLeaveTheImage) {
    view_rect r = view_fit(1920, 1080, 320, 256);
    int32_t x, y;
    view_map_point(r, 320, 256, 320, 28, &x, &y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    view_map_point(r, 320, 256, 323, 31, &x, &y); // inside the first 4x4 block
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    view_map_point(r, 320, 256, 324 + 4 * 100, 28 + 4 * 255 + 3, &x, &y);
    EXPECT_EQ(x, 101);
    EXPECT_EQ(y, 255);
    view_map_point(r, 320, 256, 319, 27, &x, &y); // one output pixel outside: -1, not 0
    EXPECT_EQ(x, -1);
    EXPECT_EQ(y, -1);
    view_map_point(r, 320, 256, 1919, 1079, &x, &y);
    EXPECT_EQ(x, 399);
    EXPECT_EQ(y, 262);
}

} // namespace
} // namespace vantrel
