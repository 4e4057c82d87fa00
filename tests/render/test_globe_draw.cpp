// Globe drawing: the tables' rules, map orientation on the disc, lighting, the depth rule,
// ordering without depth, near-plane skips and the radius clamp.
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <vector>

#include "core/hash.h"
#include "render/globe_draw.h"
#include "render/model_draw.h"

namespace vantrel {
namespace {

constexpr int W = 320, H = 256;

int ramp_of(uint8_t colour) {
    return colour >= GLOBE_RAMP_FIRST && colour < GLOBE_RAMP_FIRST + 48
               ? (colour - GLOBE_RAMP_FIRST) / 8
               : -1;
}

TEST(GlobeTables, FollowTheirRules) {
    if (!VANTREL_LIBM_TRIG) GTEST_SKIP() << "no usable libm under this emulator";
    for (int i = 0; i < 256; i++) {
        ASSERT_EQ(GLOBE_SQRT[i],
                  static_cast<uint16_t>(std::lround(16384 * std::sqrt(1 - i / 255.0))))
            << i;
        ASSERT_EQ(GLOBE_ASIN[i],
                  static_cast<uint8_t>(std::floor(128 - 256 * std::asin((i - 127.5) / 128) / M_PI)))
            << i;
    }
    for (int i = 0; i < 128; i++)
        for (int j = 0; j < 128; j++) {
            double v = std::atan2(63.5 - i, j - 63.5) * 128 / M_PI;
            long expected = std::lround(v);
            if (std::fabs(v - expected) > 1e-9) expected = static_cast<long>(std::floor(v));
            ASSERT_EQ(GLOBE_ATAN[i * 128 + j], static_cast<uint8_t>(((expected % 256) + 256) % 256))
                << i << "," << j;
        }
}

TEST(GlobeTables, SameOnEveryMachine) {
    uint64_t h = 0;
    for (uint16_t v : GLOBE_SQRT) h = hash_mix64(h ^ v);
    for (uint8_t v : GLOBE_ASIN) h = hash_mix64(h ^ v);
    for (uint8_t v : GLOBE_ATAN) h = hash_mix64(h ^ v);
    EXPECT_EQ(h, 0x194583924C06E50Aull);
}

class GlobeDrawTest : public ::testing::Test {
  protected:
    std::vector<uint8_t> texels;
    globe_texture tex;
    render_pose camera = {{0, 0, fix32{-2000} << 32}, IDENTITY};
    view_projection vp = view_projection_make(W, H, VIEW_FOCAL, VIEW_NEAR);
    depth_frame df;
    std::vector<uint8_t> frame = std::vector<uint8_t>(W * H, 0);
    std::vector<int32_t> depth = std::vector<int32_t>(W * H, 0);

    // A 256 x 1 map: west quarter (columns 128-191) ice, east quarter (192-255) vegetation,
    // the far half desert; every texel at its top shade.
    void SetUp() override {
        texels.resize(256);
        for (int c = 0; c < 256; c++)
            texels[c] =
                globe_texel(c >= 192 ? GLOBE_VEGETATION : (c >= 128 ? GLOBE_ICE : GLOBE_DESERT), 7);
        tex = globe_texture{256, 8, 1, 500, texels.data()};
        depth_frame_init(&df, VIEW_NEAR, VIEW_FOCAL);
        df.base = DEPTH_FRAME_STEP;
        space_pos star = {0, 0, fix32{-1} << 60}; // behind the camera: the near side is lit
        light_set_star(&star);
    }
    globe_item item_at(fix32 z) {
        globe_item list[1];
        int count = 0;
        render_pose body = {{0, 0, z}, IDENTITY};
        globe_item_add(list, &count, 1, &tex, &body, &camera);
        return list[0];
    }
    uint8_t at(int x, int y) const { return frame[y * W + x]; }
};

TEST_F(GlobeDrawTest, MapReadsEastToTheRightAndIsLit) {
    globe_item item = item_at(0); // 2000 m ahead: radius 500 * 280 / 2000 = 70 px
    uint32_t px =
        draw_globes_back(frame.data(), depth.data(), W, H, &item, 1, 0, &camera, &vp, &df, 0);
    EXPECT_GT(px, 3.0 * 70 * 70);
    EXPECT_LT(px, 3.3 * 70 * 70);
    EXPECT_EQ(ramp_of(at(160 - 30, 128)), GLOBE_ICE);
    EXPECT_EQ(ramp_of(at(160 + 30, 128)), GLOBE_VEGETATION);
    EXPECT_EQ(at(160 + 20, 128), globe_texel(GLOBE_VEGETATION, 7)); // facing the star
    EXPECT_EQ(at(160, 128 - 75), 0);                                // outside the disc
    EXPECT_EQ(at(160 - 75, 128), 0);
}

TEST_F(GlobeDrawTest, StarBehindTheGlobeLeavesTheNearSideDark) {
    space_pos star = {0, 0, fix32{1} << 60};
    light_set_star(&star);
    globe_item item = item_at(0);
    draw_globes_back(frame.data(), depth.data(), W, H, &item, 1, 0, &camera, &vp, &df, 0);
    EXPECT_EQ(at(160 + 20, 128), globe_texel(GLOBE_VEGETATION, 0));
}

TEST_F(GlobeDrawTest, DepthOnlyWhenSomethingMayOverlap) {
    // The far globe is all desert; listed first, it must still be drawn first.
    std::vector<uint8_t> sand(256, globe_texel(GLOBE_DESERT, 7));
    globe_texture far_tex = {256, 8, 1, 500, sand.data()};
    globe_item items[2] = {item_at(0), item_at(fix32{3000} << 32)};
    std::swap(items[0], items[1]);
    items[0].texture = &far_tex;
    std::vector<int32_t> before = depth;
    // Far apart and nothing nearer than 100 m: neither globe touches the depth buffer.
    draw_globes_back(frame.data(), depth.data(), W, H, items, 2, 100 << 16, &camera, &vp, &df, 0);
    EXPECT_EQ(depth, before);
    EXPECT_EQ(ramp_of(at(130, 128)), GLOBE_ICE); // the near globe ends on top

    // With models possibly as near as the globes, both are depth-tested and written.
    items[0] = item_at(0);
    items[1] = item_at(fix32{3000} << 32);
    draw_globes_back(frame.data(), depth.data(), W, H, items, 2, 5000 << 16, &camera, &vp, &df, 0);
    EXPECT_NE(depth[128 * W + 160], 0);
    // Something nearer already in the depth buffer hides the globe; equal depth does not.
    std::fill(frame.begin(), frame.end(), 0);
    int32_t mark = depth[128 * W + 160];
    depth[128 * W + 161] = mark + 1;
    globe_item one = item_at(0);
    draw_globes_back(frame.data(), depth.data(), W, H, &one, 1, 5000 << 16, &camera, &vp, &df, 0);
    EXPECT_EQ(at(161, 128), 0);
    EXPECT_NE(at(160, 128), 0);
}

TEST_F(GlobeDrawTest, SkipsBehindTheNearPlaneAndClampsHugeDiscs) {
    globe_item behind = item_at(fix32{-3000} << 32);
    EXPECT_EQ(
        draw_globes_back(frame.data(), depth.data(), W, H, &behind, 1, 0, &camera, &vp, &df, 0),
        0u);
    for (uint8_t p : frame) ASSERT_EQ(p, 0);
    // Just beyond the near plane a 500 m globe would be thousands of pixels across: the
    // disc is clamped to radius 4000 and covers the whole frame.
    globe_item close = item_at((fix32{-2000} << 32) + (fix32{30} << 32));
    close.near = close.far = 0;
    uint32_t px = draw_globes_back(frame.data(), nullptr, W, H, &close, 1, 0, &camera, &vp, &df, 0);
    EXPECT_EQ(px, static_cast<uint32_t>(W * H));
}

TEST_F(GlobeDrawTest, CoarseLevelsStayCloseToFullDetail) {
    globe_item item = item_at(0);
    draw_globes_back(frame.data(), nullptr, W, H, &item, 1, 0, &camera, &vp, &df, 0);
    std::vector<uint8_t> full = frame;
    for (int setting : {1, 2}) {
        std::fill(frame.begin(), frame.end(), 0);
        item = item_at(0);
        g_render_timing.globe_level = 0;
        draw_globes_back(frame.data(), nullptr, W, H, &item, 1, 0, &camera, &vp, &df, setting);
        EXPECT_EQ(g_render_timing.globe_level, setting == 1 ? 2u : 1u); // radius 70 >= 65
        int differ = 0;
        for (int i = 0; i < W * H; i++) differ += (ramp_of(full[i]) != ramp_of(frame[i]));
        EXPECT_LT(differ, 400) << setting; // only along the class borders and the rim
    }
}

} // namespace
} // namespace vantrel
