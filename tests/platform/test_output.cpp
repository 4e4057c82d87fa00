// Frame output: every mode leaves the screen (or its planes) exactly as the reference
// conversion of what was presented; delta modes write only what changed; the mode rules,
// counters and description lines.
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <vector>

#include "platform/c2p_ref.h"
#include "platform/headless/headless.h"
#include "platform/present_amiga.h"

namespace vantrel {
namespace {

std::vector<uint8_t> random_bytes(std::mt19937& rng, size_t n) {
    std::vector<uint8_t> v(n);
    for (auto& b : v) b = static_cast<uint8_t>(rng());
    return v;
}

// Planes of the reference conversion, in one block of eight planes.
std::vector<uint8_t> reference_planes(const std::vector<uint8_t>& chunky, int w, int h, int bpr) {
    std::vector<uint8_t> block(8 * static_cast<size_t>(bpr) * h, 0xEE);
    uint8_t* planes[8];
    for (int k = 0; k < 8; k++) planes[k] = block.data() + static_cast<size_t>(k) * bpr * h;
    c2p_convert(chunky.data(), w, h, planes, 8, bpr);
    return block;
}

std::vector<uint8_t> screen_planes(const present_screen* s) {
    std::vector<uint8_t> block;
    for (int k = 0; k < 8; k++) block.insert(block.end(), s->plane[k], s->plane[k] + s->plane_size);
    return block;
}

TEST(C2p, FastConvertersMatchTheReference) {
    std::mt19937 rng(5);
    // Widths with whole groups, a ragged last group, and padded rows.
    for (int w : {8, 64, 320, 13, 100}) {
        int h = 7, bpr = (w + 63) / 64 * 8;
        auto chunky = random_bytes(rng, static_cast<size_t>(w) * h);
        auto ref = reference_planes(chunky, w, h, bpr);
        std::vector<uint8_t> fast(ref.size(), 0xEE);
        uint8_t* planes[8];
        for (int k = 0; k < 8; k++) planes[k] = fast.data() + static_cast<size_t>(k) * bpr * h;
        c2p_rows(chunky.data(), w, h, planes, bpr);
        EXPECT_EQ(fast, ref) << "width " << w;
        std::vector<uint8_t> back(chunky.size());
        p2c_rows(planes, bpr, w, h, back.data());
        EXPECT_EQ(back, chunky) << "width " << w;
    }
    // One known pixel: value 0x81 at x = 9 sets bit 0x40 of byte 1 in planes 0 and 7 only.
    std::vector<uint8_t> one(16, 0);
    one[9] = 0x81;
    auto ref = reference_planes(one, 16, 1, 2);
    for (int k = 0; k < 8; k++) {
        EXPECT_EQ(ref[k * 2 + 0], 0);
        EXPECT_EQ(ref[k * 2 + 1], (k == 0 || k == 7) ? 0x40 : 0) << k;
    }
    uint8_t untouched = 0x5A;
    uint8_t* p = &untouched;
    c2p_convert(one.data(), 16, 1, &p, 0, 2); // no planes: nothing written
    EXPECT_EQ(untouched, 0x5A);
}

class Output : public ::testing::Test {
  protected:
    void start(bool planar, uint32_t gap = 0) {
        present_settings settings;
        settings.planar = planar;
        present_planar_gap_for_tests(gap);
        ASSERT_EQ(present_backend_start(&PRESENT_BACKEND_HEADLESS, &settings), 1);
    }
    void TearDown() override {
        present_planar_gap_for_tests(0);
        PRESENT_BACKEND_HEADLESS.stop();
    }
};

// Presents random frames and random row ranges in a mode and checks after each call that
// the screen shows exactly what was presented, planes included.
void check_mode_follows_presents(present_screen* s, int32_t mode, std::mt19937& rng) {
    int w = s->width, h = s->height;
    ASSERT_EQ(present_amiga_set_c2p_mode(s, mode), mode);
    std::vector<uint8_t> expect(static_cast<size_t>(w) * h, 0);
    auto frame = random_bytes(rng, expect.size());
    present_amiga_frame(s, frame.data());
    expect = frame;
    for (int round = 0; round < 40; round++) {
        // Change a few random blocks only, or everything, so both delta paths run.
        if (round % 5 == 0) {
            frame = random_bytes(rng, expect.size());
        } else {
            for (int i = 0; i < 20; i++) frame[rng() % frame.size()] = static_cast<uint8_t>(rng());
        }
        int y0 = static_cast<int>(rng() % h);
        int rows = 1 + static_cast<int>(rng() % (h - y0));
        present_amiga_frame_rows(s, frame.data(), y0, rows);
        bool whole = !s->gfx_card && (w * rows) % 32 != 0;
        if (whole)
            expect = frame;
        else
            std::memcpy(expect.data() + static_cast<size_t>(y0) * w,
                        frame.data() + static_cast<size_t>(y0) * w, static_cast<size_t>(rows) * w);
        ASSERT_EQ(0, memcmp(s->shown, expect.data(), expect.size()))
            << "mode " << mode << " round " << round;
        if (!s->gfx_card) {
            ASSERT_EQ(screen_planes(s), reference_planes(expect, w, h, s->bytes_per_row))
                << "mode " << mode << " round " << round;
        }
    }
}

TEST_F(Output, PlanarModesMatchTheReference) {
    start(true);
    std::mt19937 rng(11);
    for (int32_t mode : {C2P_MEXG, C2P_040, C2P_DELTA}) {
        present_screen* s = present_amiga_open(320, 200, "Vantrel");
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->planes_contiguous, 1);
        EXPECT_EQ(s->rows_unpadded, 1);
        check_mode_follows_presents(s, mode, rng);
        present_amiga_close(s);
    }
    // Odd sizes: rows that are not whole groups fall back to the whole frame.
    present_screen* s = present_amiga_open(72, 9, "Vantrel");
    EXPECT_EQ(s->rows_unpadded, 0);
    check_mode_follows_presents(s, C2P_MEXG, rng);
    present_amiga_close(s);
    PRESENT_BACKEND_HEADLESS.stop();

    start(true, 64); // planes scattered in memory
    s = present_amiga_open(320, 200, "Vantrel");
    EXPECT_EQ(s->planes_contiguous, 0);
    check_mode_follows_presents(s, C2P_MEXG, rng);
    present_amiga_close(s);
}

TEST_F(Output, GraphicsCardModesMatchWhatWasPresented) {
    start(false);
    std::mt19937 rng(13);
    for (int32_t mode : {C2P_RTG, C2P_RTG_DELTA}) {
        for (int w : {320, 100}) {
            present_screen* s = present_amiga_open(w, 37, "Vantrel");
            ASSERT_NE(s, nullptr);
            check_mode_follows_presents(s, mode, rng);
            present_amiga_close(s);
        }
    }
}

TEST_F(Output, ModeRulesFollowTheScreen) {
    const struct {
        bool planar;
        uint32_t gap;
        int w, h;
        int32_t first;
        std::vector<std::pair<int32_t, int32_t>> set; // asked, given
    } CASES[] = {
        {true, 0, 320, 256, C2P_MEXG, {{1, C2P_040}, {2, C2P_DELTA}}},
        {true, 0, 320, 256, C2P_MEXG, {{9, C2P_DELTA}, {-3, C2P_MEXG}}}, // out of range: clamped
        {true, 0, 100, 16, C2P_MEXG, {{1, C2P_MEXG}, {2, C2P_MEXG}}}, // rows padded to 128 pixels
        {true, 32, 320, 256, C2P_MEXG, {{2, C2P_MEXG}}},              // scattered planes
        {false, 0, 320, 256, C2P_RTG, {{0, C2P_RTG_DELTA}, {3, C2P_RTG}, {4, C2P_RTG_DELTA}}},
    };
    for (const auto& c : CASES) {
        start(c.planar, c.gap);
        present_screen* s = present_amiga_open(c.w, c.h, "Vantrel");
        EXPECT_EQ(present_amiga_c2p_mode(s), c.first) << c.w << " planar " << c.planar;
        for (auto [asked, given] : c.set)
            EXPECT_EQ(present_amiga_set_c2p_mode(s, asked), given) << c.w << " asked " << asked;
        present_amiga_close(s);
        PRESENT_BACKEND_HEADLESS.stop();
    }
    const char* NAMES[] = {"mexg", "040", "delta", "rtg", "rtg-delta"};
    for (int m = 0; m < 5; m++) EXPECT_STREQ(present_c2p_mode_name(m), NAMES[m]);
    EXPECT_STREQ(present_c2p_mode_name(7), "mexg");
    EXPECT_STREQ(present_c2p_mode_name(-1), "mexg");
}

TEST_F(Output, DeltaModesWriteOnlyChanges) {
    for (bool planar : {false, true}) {
        start(planar);
        present_screen* s = present_amiga_open(320, 256, "Vantrel");
        int32_t delta = planar ? C2P_DELTA : C2P_RTG_DELTA;
        ASSERT_EQ(present_amiga_set_c2p_mode(s, delta), delta);
        std::vector<uint8_t> frame(320 * 256, 3);
        uint32_t sub = 0, wr = 0;
        present_amiga_frame_rows(s, frame.data(), 0, 256);
        present_amiga_c2p_stats(s, &sub, &wr);
        EXPECT_EQ(sub, 2560u);
        EXPECT_EQ(wr, 2560u); // the first frame writes everything
        present_amiga_frame_rows(s, frame.data(), 0, 256);
        present_amiga_c2p_stats(s, &sub, &wr);
        EXPECT_EQ(sub, 2560u);
        EXPECT_EQ(wr, 0u);       // unchanged
        frame[5 * 320 + 40] = 9; // one block of row 5
        frame[5 * 320 + 63] = 9; // the same block
        frame[200 * 320 + 319] = 1;
        present_amiga_frame_rows(s, frame.data(), 0, 256);
        present_amiga_c2p_stats(s, &sub, &wr);
        EXPECT_EQ(wr, 2u);
        present_amiga_c2p_stats(s, &sub, &wr);
        EXPECT_EQ(sub, 0u); // reading resets
        // A mode change forgets the previous frame: the next frame writes every row.
        present_amiga_set_c2p_mode(s, delta);
        present_amiga_frame_rows(s, frame.data(), 0, 256);
        present_amiga_c2p_stats(s, &sub, &wr);
        EXPECT_EQ(wr, 2560u);
        present_amiga_close(s);
        PRESENT_BACKEND_HEADLESS.stop();
    }
}

TEST_F(Output, RowRangesOutsideTheImageDoNothing) {
    for (bool planar : {false, true}) {
        start(planar);
        present_screen* s = present_amiga_open(320, 256, "Vantrel");
        std::vector<uint8_t> frame(320 * 256, 77);
        present_amiga_frame_rows(s, frame.data(), 1, 256); // ends at 257
        present_amiga_frame_rows(s, frame.data(), -1, 2);
        present_amiga_frame_rows(s, frame.data(), 10, 0);
        present_amiga_frame_rows(s, frame.data(), 0x7FFFFFF0, 0x7FFFFFF0);
        uint32_t sub = 1, wr = 1;
        present_amiga_c2p_stats(s, &sub, &wr);
        EXPECT_EQ(sub, 0u);
        EXPECT_EQ(wr, 0u);
        EXPECT_EQ(s->shown[0], 0);
        present_amiga_close(s);
        if (planar) {
            // 100 x 5 pixels is not a multiple of 32: a row present becomes a whole-frame
            // present, not counted as rows.
            s = present_amiga_open(100, 5, "Vantrel");
            present_amiga_frame_rows(s, frame.data(), 1, 1);
            EXPECT_EQ(0, memcmp(s->shown, frame.data(), 500));
            present_amiga_c2p_stats(s, &sub, &wr);
            EXPECT_EQ(sub, 0u);
            present_amiga_close(s);
        }
        PRESENT_BACKEND_HEADLESS.stop();
    }
}

TEST_F(Output, DescriptionLines) {
    const struct {
        bool planar;
        uint32_t gap, mode_id;
        int w, h;
        const char* line;
    } CASES[] = {
        {false, 0, 0, 320, 256,
         "screen: ModeID $50001000 (headless) 320x256, RTG via LockBitMap, image 320x256 at 0,0"},
        {false, 0, 0x40D00001u, 320, 200,
         "screen: ModeID $40d00001 (headless) 320x200, RTG via LockBitMap, image 320x200 at 0,0"},
        // All ones means no mode asked for, as 0 does.
        {false, 0, 0xFFFFFFFFu, 320, 200,
         "screen: ModeID $50001000 (headless) 320x200, RTG via LockBitMap, image 320x200 at 0,0"},
        {true, 0, 0, 320, 256,
         "screen: ModeID $00021000 (headless, emulated planes) 320x256, BytesPerRow 40, own bitmap "
         "@ $00020000 Chip RAM, c2p direct"},
        {true, 16, 0, 100, 16,
         "screen: ModeID $00021000 (headless, emulated planes) 100x16, BytesPerRow 16 padded, own "
         "bitmap @ $00020000 Chip RAM, c2p via offscreen+memcpy"},
    };
    for (const auto& c : CASES) {
        start(c.planar, c.gap);
        present_amiga_request_mode(c.mode_id);
        present_screen* s = present_amiga_open(c.w, c.h, "Vantrel");
        char line[160], tiny[8];
        EXPECT_EQ(present_amiga_describe(s, line, sizeof line), int(strlen(c.line)));
        EXPECT_STREQ(line, c.line);
        EXPECT_EQ(present_amiga_describe(s, tiny, sizeof tiny), 7);
        EXPECT_STREQ(tiny, "screen:");
        // Virtual time cannot time a memory test: it reports 0 instead of waiting for ever.
        EXPECT_EQ(present_amiga_chip_write_kbs(s), 0);
        present_amiga_close(s);
        present_amiga_request_mode(0);
        PRESENT_BACKEND_HEADLESS.stop();
    }
}

} // namespace
} // namespace vantrel
