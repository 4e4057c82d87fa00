// Drawing particles: squares clipped whole at the frame edge, tested against the depth buffer
// without writing it, skipped behind the near plane.
#include <gtest/gtest.h>
#include <vector>

#include "render/particles_draw.h"

namespace vantrel {
namespace {

constexpr int W = 320, H = 256;

class ParticlesDrawTest : public ::testing::Test {
  protected:
    particle pool[4];
    particles sys;
    render_pose camera = {{0, 0, 0}, IDENTITY};
    view_projection vp = view_projection_make(W, H, VIEW_FOCAL, VIEW_NEAR);
    depth_frame df;
    std::vector<uint8_t> frame = std::vector<uint8_t>(W * H, 0);
    std::vector<int32_t> depth = std::vector<int32_t>(W * H, 0);

    void SetUp() override {
        particles_init(&sys, pool, 4);
        depth_frame_init(&df, VIEW_NEAR, VIEW_FOCAL);
        df.base = DEPTH_FRAME_STEP;
    }
    // At 256 m ahead the projection factor is exactly 280/256 = 71680 raw.
    void emit_at(fix16 x, fix16 y, fix16 z, uint8_t size) {
        vec3 p = {x, y, z}, v = {0, 0, 0};
        ASSERT_EQ(particles_emit(&sys, &p, &v, 1000, 0, size), 1);
    }
    int draw() {
        return particles_draw(&sys, FX_RAMPS, &camera, &vp, &df, frame.data(), depth.data(), W, H);
    }
};

TEST_F(ParticlesDrawTest, SquareTouchingTheRightEdgeIsDrawnOneMoreIsNot) {
    emit_at(9467144, 0, 256 << 16, 2); // x = 318, side 2: ends exactly at the edge
    EXPECT_EQ(draw(), 1);
    EXPECT_EQ(frame[128 * W + 318], 248);
    EXPECT_EQ(frame[129 * W + 319], 248);
    EXPECT_EQ(frame[128 * W + 317], 0);
    pool[0].position.x = 9527062; // x = 319: would stick out by a pixel
    EXPECT_EQ(draw(), 0);
}

TEST_F(ParticlesDrawTest, DepthIsTestedButNeverWritten) {
    emit_at(0, 0, 256 << 16, 0);
    int32_t w = depth_frame_vertex(&df, 71680);
    depth[128 * W + 160] = w; // something exactly as near already there hides it
    EXPECT_EQ(draw(), 1);     // counted as drawn: the square was on screen
    EXPECT_EQ(frame[128 * W + 160], 0);
    depth[128 * W + 160] = w - 1;
    draw();
    EXPECT_EQ(frame[128 * W + 160], 248);
    EXPECT_EQ(depth[128 * W + 160], w - 1);
}

TEST_F(ParticlesDrawTest, BehindTheNearPlaneOrTheCameraIsSkipped) {
    emit_at(0, 0, VIEW_NEAR, 0);
    emit_at(0, 0, -(100 << 16), 3);
    EXPECT_EQ(draw(), 0);
    for (uint8_t px : frame) ASSERT_EQ(px, 0);
    // The camera turned round sees the second one.
    camera.orient = mat3{{-65536, 0, 0, 0, 65536, 0, 0, 0, -65536}};
    EXPECT_EQ(draw(), 1);
}

} // namespace
} // namespace vantrel
