// Tests for the back-face test by face planes: the same answers as the corner test.
#include <gtest/gtest.h>

#include "render/model_draw.h"

namespace vantrel {
namespace {

TEST(FacePlanes, AgreeWithTheCornerTestEdgeOnAndAtTheLimits) {
    constexpr int32_t R = FACE_PLANE_REACH, N = FACE_PLANE_NORMAL;
    uint32_t r = 2463534242u;
    auto next = [&r] {
        r ^= r << 13;
        r ^= r >> 17;
        r ^= r << 5;
        return r;
    };
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
        ASSERT_EQ(face_front_plane(plane[0], &n, &a, &eye), face_front_dot(&n, &a, &eye))
            << i << ": n " << n.x << " " << n.y << " " << n.z << ", eye " << eye.x;
        delete[] plane;
    }
    // Out of reach, a level keeps the corner test.
    model_face face = {0, 0, 0, 0, 0, {}};
    vec3 far = {R + 1, 0, 0}, n = {65536, 0, 0}, wide = {N + 1, 0, 0};
    model_lod lod = {1, 1, &far, &face};
    EXPECT_EQ(compute_face_planes(&lod, &n), nullptr);
    lod.vertices = &n;
    EXPECT_EQ(compute_face_planes(&lod, &wide), nullptr);
}

} // namespace
} // namespace vantrel
