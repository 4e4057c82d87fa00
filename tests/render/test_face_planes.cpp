// Tests for the back-face test by face planes: the same answers as the corner test.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "core/hash.h"
#include "render/model_draw.h"
#include "shell/game_models.h"

namespace vantrel {
namespace {

TEST(FacePlanes, AgreeWithTheCornerTestEdgeOnAndAtTheLimits) {
    constexpr int32_t R = FACE_PLANE_REACH, N = FACE_PLANE_NORMAL;
    uint32_t r = 2463534242u;
    auto next = [&r] { return r = xorshift32(r); };
    auto pick = [&](int32_t reach) { return int32_t(next() % (2u * uint32_t(reach) + 1)) - reach; };
    for (int i = 0; i < 300000; i++) {
        // Eyes a few units off the face's plane put the exact sum in the band the truncated
        // products decide; the last fifth tries the far corners of the reach.
        int32_t nr = i % 3 == 0 ? N : 65536, ar = i % 5 == 4 ? R : R / 64;
        model_face face = {0, 0, 0, 0, 0, {}};
        vec3 n = {pick(nr), pick(nr), pick(nr)};
        vec3 a = {pick(ar), pick(ar), pick(ar)};
        if (i % 7 == 0) n.y = n.z = 0;
        vec3 eye = {pick(R), pick(R), pick(R)};
        if (i % 2 == 0 && n.x != 0) {
            // On the plane: n.x (eye.x - a.x) = -(n.y (eye.y - a.y) + n.z (eye.z - a.z)).
            int64_t rest =
                int64_t{n.y} * (int64_t{eye.y} - a.y) + int64_t{n.z} * (int64_t{eye.z} - a.z);
            int64_t x = a.x - rest / n.x + pick(3);
            if (x > R || x < -R) continue;
            eye.x = int32_t(x);
        }
        model_lod lod = {1, 1, &a, &face};
        int64_t* plane = compute_face_planes(&lod, &n);
        ASSERT_NE(plane, nullptr);
        ASSERT_EQ(face_front_plane(plane[0], &n, &a, &eye), face_front_dot(&n, &a, &eye)) << i;
        delete[] plane;
    }
    // Out of reach, a level keeps the corner test.
    model_face face = {0, 0, 0, 0, 0, {}};
    vec3 far = {R + 1, 0, 0}, n = {65536, 0, 0}, wide = {N + 1, 0, 0};
    model_lod lod = {1, 1, &far, &face}, near = {1, 1, &n, &face};
    EXPECT_EQ(compute_face_planes(&lod, &n), nullptr);
    EXPECT_EQ(compute_face_planes(&near, &wide), nullptr);
}

TEST(FacePlanes, ARowOfCopiesDrawsTheSameBytesShared) {
    // Boxes turned alike in a row (one eye coordinate varies), one crossing the frame's
    // edge and one turned another way among them, on both vertex paths: shared, the row's
    // plane sums, colours and pixels-only vertices give the same frame, depth and counts.
    constexpr int W = 320, H = 256;
    constexpr fix16 ONE = FIX16_ONE;
    drawable box = {};
    ASSERT_EQ(door_box_build(&box), 1);
    view_projection vp = view_projection_make(W, H, VIEW_FOCAL, VIEW_NEAR);
    frustum_slopes slopes;
    make_frustum_slopes(&slopes, &vp);
    // Turned a quarter about x: the eye in the box's frame then moves along one axis only.
    const mat3 turned = {{ONE, 0, 0, 0, 0, ONE, 0, -ONE, 0}};
    const mat3 identity = {{ONE, 0, 0, 0, ONE, 0, 0, 0, ONE}};
    const render_pose camera = {{0, 0, 0}, identity};
    const int saved_fpu = g_vertex_fpu;
    for (int fpu = 0; fpu < 2; fpu++) {
        std::vector<uint8_t> frame[2];
        std::vector<int32_t> depth[2];
        uint32_t drawn[2];
        for (int shared = 0; shared < 2; shared++) {
            g_vertex_fpu = fpu;
            frame[shared].assign(W * H, 0);
            depth[shared].assign(W * H, 0);
            depth_frame_init(&g_depth_frame, vp.near, vp.focal);
            depth_frame_begin(&g_depth_frame, depth[shared].data(), W * H);
            g_render_stats = render_stats{};
            depth_span spans[SPAN_CAPACITY];
            if (shared) draw_model_share_begin();
            for (int i = 0; i < 12; i++) {
                int64_t x = int64_t(i - 6) * 25 * ONE + (i == 11 ? -20 * ONE : 0);
                render_pose pose = {{x << 16, int64_t(8 * ONE) << 16, int64_t(200 * ONE) << 16},
                                    i == 7 ? identity : turned};
                const vec3 light = {-200 * ONE, 300 * ONE, 0};
                draw_model(frame[shared].data(), depth[shared].data(), W, H, &box.mdl.levels[0],
                           box.normals[0], box.radius[0], &pose, &camera, &vp, &slopes,
                           SHADE_MATERIAL_LIT, &light, 16, 8, spans, box.planes[0]);
            }
            draw_model_share_end();
            drawn[shared] = g_render_stats.tris_drawn;
        }
        EXPECT_GT(W * H - std::count(frame[0].begin(), frame[0].end(), 0), 2000) << fpu;
        EXPECT_EQ(frame[0], frame[1]) << fpu;
        EXPECT_EQ(depth[0], depth[1]) << fpu;
        EXPECT_EQ(drawn[0], drawn[1]) << fpu;
    }
    g_vertex_fpu = saved_fpu;
    drawable_free(&box);
}

} // namespace
} // namespace vantrel
