// View transform, projection, frustum tests, clipping and the two vertex paths.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <tuple>

#include "core/trig.h"
#include "render/transform.h"
#include "render/transform_fpu.h"

namespace vantrel {
namespace {

constexpr fix16 ONE = FIX16_ONE;

view_projection game_projection() {
    return view_projection_make(320, 256, VIEW_FOCAL, VIEW_NEAR);
}

frustum_slopes game_slopes() {
    view_projection vp = game_projection();
    frustum_slopes s;
    make_frustum_slopes(&s, &vp);
    return s;
}

TEST(Projection, CentreAndRoundingTowardMinusInfinity) {
    view_projection vp = game_projection();
    EXPECT_EQ(vp.centre_x, 160);
    EXPECT_EQ(vp.centre_y, 128);
    // At z = focal the scale is exactly 1.0: one view unit is one pixel. -0.5 px floors to
    // -1; y is up, so +0.5 becomes -0 rows.
    const struct {
        vec3 v;
        fix16 scale;
        int x, y;
    } cases[] = {{{0, 0, VIEW_FOCAL}, ONE, 160, 128},
                 {{-ONE / 2, ONE / 2, VIEW_FOCAL}, ONE, 159, 128},
                 {{10 * ONE, -10 * ONE, VIEW_FOCAL / 2}, 2 * ONE, 180, 148}};
    for (const auto& c : cases) {
        projected_vertex p;
        project_view_vertex(&p, &c.v, &vp);
        EXPECT_EQ(std::tie(p.valid, p.scale, p.screen_x, p.screen_y, p.z),
                  std::make_tuple(1, c.scale, c.x, c.y, c.v.z));
    }
}

TEST(Projection, PointAtTheNearPlaneIsNotProjected) {
    view_projection vp = game_projection();
    vec3 v = {0, 0, VIEW_NEAR};
    projected_vertex p;
    std::memset(&p, 0x77, sizeof p);
    project_view_vertex(&p, &v, &vp);
    EXPECT_EQ(std::tie(p.valid, p.z, p.screen_x, p.scale), std::make_tuple(0, VIEW_NEAR, 0, 0));
}

TEST(Frustum, SlopesAndOutcodes) {
    frustum_slopes s = game_slopes();
    EXPECT_EQ(s.slope_x, 37449); // 160 / 280
    EXPECT_EQ(s.slope_y, 29959); // 128 / 280
    const fix16 z = 100 * ONE;
    const fix16 edge_x = fix16_mul(z, s.slope_x), edge_y = fix16_mul(z, s.slope_y);
    struct {
        vec3 v;
        uint8_t code;
    } cases[] = {
        {{0, 0, z}, 0},
        {{edge_x, edge_y, z}, 0}, // on the planes counts as inside
        {{edge_x + 1, 0, z}, OUT_RIGHT},
        {{-edge_x - 1, 0, z}, OUT_LEFT},
        {{0, edge_y + 1, z}, OUT_TOP},
        {{0, -edge_y - 1, z}, OUT_BOTTOM},
        {{ONE, ONE, -z}, OUT_NEAR | OUT_RIGHT | OUT_LEFT | OUT_TOP | OUT_BOTTOM},
        {{0, 0, VIEW_NEAR}, OUT_NEAR}, // at the near plane is outside
        {{0, 0, VIEW_NEAR + 1}, 0},
    };
    for (auto& c : cases) EXPECT_EQ(view_outcode(&c.v, VIEW_NEAR, &s), c.code);
}

TEST(Frustum, SphereCull) {
    frustum_slopes s = game_slopes();
    const fix16 r = 10 * ONE;
    vec3 c = {0, 0, 100 * ONE};
    EXPECT_FALSE(view_sphere_culled(&c, r, VIEW_NEAR, &s));
    c.z = VIEW_NEAR - r; // near >= z + r: wholly behind
    EXPECT_TRUE(view_sphere_culled(&c, r, VIEW_NEAR, &s));
    c.z += 1;
    EXPECT_FALSE(view_sphere_culled(&c, r, VIEW_NEAR, &s));
    c.z = VIEW_NEAR - 5 * r;
    EXPECT_FALSE(view_sphere_culled(&c, 0, VIEW_NEAR, &s)); // radius 0: never culled
    EXPECT_FALSE(view_sphere_culled(&c, -ONE, VIEW_NEAR, &s));
    // Beyond the right plane by more than the radius (measured along the plane normal).
    c = vec3{fix16_mul(100 * ONE, s.slope_x) + fix16_mul(r, s.norm_x) + 2, 0, 100 * ONE};
    EXPECT_TRUE(view_sphere_culled(&c, r, VIEW_NEAR, &s));
    c.x -= 4 * ONE;
    EXPECT_FALSE(view_sphere_culled(&c, r, VIEW_NEAR, &s));
    c = vec3{0, -fix16_mul(100 * ONE, s.slope_y) - fix16_mul(r, s.norm_y) - 2, 100 * ONE};
    EXPECT_TRUE(view_sphere_culled(&c, r, VIEW_NEAR, &s));
}

TEST(ViewTransform, ObjectAndCameraPoses) {
    render_pose object = {{0, 0, 0}, IDENTITY};
    render_pose camera = {{0, 0, 0}, IDENTITY};
    // Positions are narrowed by 16 bits: 2^16 position units are one view unit.
    object.pos = space_pos{int64_t(50) << 32, 0, int64_t(100) << 32};
    vec3 p = {ONE, 2 * ONE, 3 * ONE}, out;
    transform_to_view(&out, &p, &object, &camera);
    EXPECT_EQ(out, (vec3{51 * ONE, 2 * ONE, 103 * ONE}));
    // The camera turned to look along world +x: its forward column is x, its right is -z.
    camera.orient = mat3{{0, 0, ONE, 0, ONE, 0, -ONE, 0, 0}};
    transform_to_view(&out, &p, &object, &camera);
    EXPECT_EQ(out, (vec3{-103 * ONE, 2 * ONE, 51 * ONE}));
    // The composed transform gives the same.
    mat3 m;
    vec3 t, v;
    view_transform_build(&m, &t, &object, &camera);
    mat3_apply(&v, &m, &p);
    vec3_add(&v, &v, &t);
    EXPECT_EQ(v, out);
    projected_vertex pv;
    view_projection vp = game_projection();
    transform_and_project(&pv, &p, &object, &camera, &vp);
    EXPECT_EQ(pv.valid, 1);
    EXPECT_EQ(pv.z, 51 * ONE);
}

TEST(Clip, NearPlane) {
    const fix16 n = VIEW_NEAR;
    vec3 out[4];
    const vec3 all_in[3] = {{0, 0, 50 * ONE}, {ONE, 0, 50 * ONE}, {0, ONE, 50 * ONE}};
    EXPECT_EQ(clip_triangle_near(all_in, n, out), 3);
    const vec3 all_out[3] = {{0, 0, n}, {ONE, 0, 0}, {0, ONE, -ONE}};
    EXPECT_EQ(clip_triangle_near(all_out, n, out), 0);
    // One vertex behind: a quad whose new vertices sit exactly on the near plane.
    const vec3 one_out[3] = {{0, 0, 0}, {10 * ONE, 0, 50 * ONE}, {0, 10 * ONE, 50 * ONE}};
    ASSERT_EQ(clip_triangle_near(one_out, n, out), 4);
    // Edge C->A first: the intersection on it comes first, then A... in walking order.
    EXPECT_EQ(out[0], (vec3{0, 5 * ONE, n}));
    EXPECT_EQ(out[1], (vec3{5 * ONE, 0, n}));
    EXPECT_EQ(out[2], one_out[1]);
    EXPECT_EQ(out[3], one_out[2]);
    // Two behind: a smaller triangle.
    const vec3 two_out[3] = {{0, 0, 0}, {10 * ONE, 0, 0}, {0, 10 * ONE, 50 * ONE}};
    EXPECT_EQ(clip_triangle_near(two_out, n, out), 3);
}

TEST(Clip, VertexOnThePlaneIsKeptAndRepeated) {
    // Plane x <= z (slope 1.0). Q1 lies on it; the edge from it to the outside Q2 emits it
    // a second time (t = 0).
    const vec3 in[3] = {
        {0, 0, 100 * ONE}, {100 * ONE, 0, 100 * ONE}, {200 * ONE, 50 * ONE, 100 * ONE}};
    vec3 out[8];
    ASSERT_EQ(clip_polygon_plane(in, 3, dist_right, ONE, out, 8), 4);
    EXPECT_EQ(out[1], in[0]);
    EXPECT_EQ(out[2], in[1]);
    EXPECT_EQ(out[3], in[1]);
    EXPECT_EQ(dist_right(&out[0], ONE), 0);
    // A full output buffer drops vertices instead of writing past it.
    EXPECT_EQ(clip_polygon_plane(in, 3, dist_right, ONE, out, 2), 2);
}

TEST(Clip, FrustumResultsStayInsideAndNeverExceedEight) {
    view_projection vp = game_projection();
    frustum_slopes s = game_slopes();
    std::mt19937 rng(7);
    int most = 0, clipped = 0;
    for (int i = 0; i < 100000; i++) {
        vec3 tri[3];
        for (auto& v : tri) {
            v.x = int32_t(rng() % (2000u << 16)) - (1000 << 16);
            v.y = int32_t(rng() % (2000u << 16)) - (1000 << 16);
            v.z = int32_t(rng() % (600u << 16)) - (100 << 16);
        }
        vec3 out[CLIP_MAX_VERTS];
        int n = clip_triangle_frustum(tri, &vp, out);
        ASSERT_TRUE(n == 0 || (n >= 3 && n <= CLIP_MAX_VERTS));
        most = std::max(most, n);
        clipped += n > 0;
        for (int k = 0; k < n; k++) {
            ASSERT_GE(out[k].z, vp.near);
            // Inside every side plane, within the rounding of the intersections (t has
            // 16 fraction bits over edges up to 2000 units long).
            ASSERT_GE(dist_right(&out[k], s.slope_x), -4096);
            ASSERT_GE(dist_left(&out[k], s.slope_x), -4096);
            ASSERT_GE(dist_top(&out[k], s.slope_y), -4096);
            ASSERT_GE(dist_bottom(&out[k], s.slope_y), -4096);
        }
    }
    EXPECT_GE(most, 7);
    EXPECT_GT(clipped, 10000);
    // One vertex behind the camera, the near-clipped quad a diamond around the view axis
    // whose four corners each poke out of a different side: all five planes cut, 8 left.
    const vec3 diamond[3] = {{-20 * ONE - 26214, 16 * ONE + 21627, 5 * ONE + 6554},
                             {1000 * ONE, 0, 1000 * ONE},
                             {0, -1000 * ONE, 1000 * ONE}};
    vec3 eight[CLIP_MAX_VERTS];
    EXPECT_EQ(clip_triangle_frustum(diamond, &vp, eight), 8);
    // A triangle wholly beyond one side gives nothing.
    const vec3 right[3] = {{900 * ONE, 0, 100 * ONE},
                           {950 * ONE, 10 * ONE, 100 * ONE},
                           {900 * ONE, 20 * ONE, 300 * ONE}};
    vec3 out[CLIP_MAX_VERTS];
    EXPECT_EQ(clip_triangle_frustum(right, &vp, out), 0);
}

TEST(Lod, SelectLod) {
    const int64_t t[3] = {100, 900, INT64_MAX};
    EXPECT_EQ(select_lod(1, t, 5000), 0);
    EXPECT_EQ(select_lod(3, t, 0), 0);
    EXPECT_EQ(select_lod(3, t, 99), 0);
    EXPECT_EQ(select_lod(3, t, 100), 1); // equal passes on to the next level
    EXPECT_EQ(select_lod(3, t, 899), 1);
    EXPECT_EQ(select_lod(3, t, 900), 2);
    EXPECT_EQ(select_lod(3, t, INT64_MAX), 2);
    const int64_t negative[2] = {-5, 10};
    EXPECT_EQ(select_lod(2, negative, -6), 0); // compared as signed 64-bit values
    EXPECT_EQ(select_lod(2, negative, -5), 1);
}

TEST(FpuPath, Conversions) {
    EXPECT_EQ(fpu_to_int(-1.9f), -1);
    EXPECT_EQ(fpu_to_int(1.9f), 1);
    EXPECT_EQ(fpu_to_int(3e9f), INT32_MAX);
    EXPECT_EQ(fpu_to_int(-3e9f), INT32_MIN);
    EXPECT_EQ(fpu_to_int(std::nanf("")), INT32_MIN);
    // A case where rounding the product first loses everything: (1 + e)(1 - e) - 1 = -e^2.
    const float e = 1.0f / 8388608.0f;
    EXPECT_EQ(fpu_fma(1.0f + e, 1.0f - e, -1.0f), -e * e);
    // The double sum lands exactly halfway between two floats although the exact value
    // lies just below: 8(1 + e) * 8(1 - e) + (2^30 + 128) = 2^30 + 192 - 2^-40. Rounding the
    // double would tie to even (2^30 + 256); the fused result is 2^30 + 128.
    const float big = 1073741824.0f + 128.0f;
    EXPECT_EQ(fpu_fma(8.0f * (1.0f + e), 8.0f * (1.0f - e), big), big);
    EXPECT_EQ(fpu_fma(-8.0f * (1.0f + e), 8.0f * (1.0f - e), -big), -big);
    // Results below the normal range round on the coarser subnormal grid.
    const float tiny = std::ldexp(1.0f, -140);
    EXPECT_EQ(fpu_fma(tiny, 0.75f, 0.0f), std::ldexp(1.0f, -141) * 1.5f);
    EXPECT_EQ(fpu_fma(std::ldexp(1.0f, -149), 0.5f, 0.0f), 0.0f); // a tie, to even zero
    EXPECT_EQ(fpu_fma(std::ldexp(1.0f, -149), 0.75f, 0.0f), std::ldexp(1.0f, -149));
    // Past the largest float the sum overflows to infinity, as a fused operation would.
    EXPECT_EQ(fpu_fma(3e38f, 2.0f, 0.0f), INFINITY);
    EXPECT_EQ(fpu_fma(3e38f, 1.0f, 3e38f), INFINITY);
}

#if VANTREL_LIBM_TRIG
TEST(FpuPath, MultiplyAddMatchesTheCLibrary) {
    std::mt19937 rng(3);
    auto random_float = [&](int spread) {
        uint32_t bits = (rng() & 0x807FFFFFu) | ((127u + (rng() % spread) - spread / 2) << 23);
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    };
    for (int i = 0; i < 2000000; i++) {
        float a = random_float(60), b = random_float(60);
        // c near -a*b makes the cancellation and tie cases frequent.
        float c = (i & 1) ? random_float(120) : -(a * b) * (1.0f + random_float(8) * 1e-7f);
        float want = std::fmaf(a, b, c), got = fpu_fma(a, b, c);
        ASSERT_EQ(std::memcmp(&want, &got, sizeof got), 0) << a << " " << b << " " << c;
    }
}
#endif

TEST(FpuPath, AgreesWithTheIntegerPathWithinAPixel) {
    view_projection vp = game_projection();
    frustum_slopes s = game_slopes();
    std::mt19937 rng(11);
    constexpr int N = 2000;
    static vec3 verts[N], view_i[N], view_f[N];
    static uint8_t used[N], code_i[N], code_f[N];
    static projected_vertex proj_i[N], proj_f[N];
    int compared = 0;
    // A digest of every float-path result: the float path must round identically on every
    // machine, so this is a recorded value like a frame hash.
    uint64_t digest = 0;
    auto mix = [&digest](int32_t v) { digest = (digest ^ uint32_t(v)) * 0x100000001B3ull; };
    for (int round = 0; round < 50; round++) {
        // A rotation from the fixed-point trig, a translation in front of the camera.
        vec3 fwd = {int32_t(rng() % 131072) - 65536, int32_t(rng() % 131072) - 65536,
                    int32_t(rng() % 131072) - 65536};
        vec3 up = {fix2_30_mul(trig_sin(rng()), ONE), ONE, 0};
        mat3 m;
        mat3_look_at(&m, &fwd, &up);
        vec3 t = {int32_t(rng() % (200u << 16)) - (100 << 16),
                  int32_t(rng() % (200u << 16)) - (100 << 16), int32_t(rng() % (800u << 16))};
        for (int i = 0; i < N; i++) {
            verts[i] = vec3{int32_t(rng() % (400u << 16)) - (200 << 16),
                            int32_t(rng() % (400u << 16)) - (200 << 16),
                            int32_t(rng() % (400u << 16)) - (200 << 16)};
            used[i] = (rng() & 3) != 0;
        }
        transform_vertices(&m, &t, &vp, &s, verts, used, N, view_i, code_i, proj_i);
        fpu_view fv;
        fpu_view_setup(&fv, &m, &t, &vp);
        fpu_transform_vertices(&fv, verts, used, N, view_f, code_f, proj_f);
        for (int i = 0; i < N; i++) {
            if (!used[i]) continue;
            mix(view_f[i].x), mix(view_f[i].y), mix(view_f[i].z), mix(code_f[i]);
            if (!(code_f[i] & OUT_NEAR))
                mix(proj_f[i].screen_x), mix(proj_f[i].screen_y), mix(proj_f[i].scale);
            // Positions within a few units of 2^-16 (the integer path truncates each product).
            ASSERT_LE(std::abs(view_i[i].x - view_f[i].x), 64);
            ASSERT_LE(std::abs(view_i[i].z - view_f[i].z), 64);
            if (code_i[i] & OUT_NEAR || code_f[i] & OUT_NEAR) continue;
            if (view_i[i].z < 2 * ONE) continue; // a pixel there is thousands of units
            ASSERT_LE(std::abs(proj_i[i].screen_x - proj_f[i].screen_x), 1) << i;
            ASSERT_LE(std::abs(proj_i[i].screen_y - proj_f[i].screen_y), 1) << i;
            ASSERT_EQ(proj_f[i].valid, 1);
            ASSERT_EQ(proj_f[i].z, view_f[i].z);
            compared++;
        }
    }
    EXPECT_GT(compared, 20000);
    EXPECT_EQ(digest, 0x92D809CD149AF991ull) << std::hex << digest;
}

// A tiny object accepted as projecting onto one pixel row or column must do so on both vertex
// paths, with every vertex inside the frustum, also when it sits across a pixel edge or on a
// pixel centre; the sweep crosses several edges in steps of 1/64 pixel.
TEST(OneLine, AcceptedBoxesProjectOntoOneRowOrColumnOnBothPaths) {
    view_projection vp = game_projection();
    frustum_slopes s = game_slopes();
    std::mt19937 rng(5);
    constexpr int N = 40;
    vec3 verts[N], view_i[N], view_f[N];
    uint8_t used[N], code_i[N], code_f[N];
    projected_vertex proj_i[N], proj_f[N];
    std::memset(used, 1, sizeof used);
    int accepted = 0, refused = 0;
    for (int round = 0; round < 400; round++) {
        vec3 fwd = {int32_t(rng() % 131072) - 65536, int32_t(rng() % 131072) - 65536, ONE};
        vec3 up = {0, ONE, 0};
        mat3 m;
        mat3_look_at(&m, &fwd, &up);
        // A flat box (a ship seen from afar): half sizes up to 3 units, 0.05 units thick.
        model_box box = {{int32_t(rng() % (4u << 16)) - (2 << 16), 0, 0},
                         {int64_t(rng() % (3u << 16)), ONE / 20, int64_t(rng() % (3u << 16))}};
        fix16 z = (300 + int32_t(rng() % 3000)) << 16;
        // Offsets of whole pixels plus 1/64 steps, at this distance.
        int32_t pixel = int32_t(int64_t(z) * ONE / VIEW_FOCAL);
        vec3 t = {int32_t(rng() % 200) * pixel / 64 - 50 * pixel, (round % 128) * pixel / 64, z};
        for (int i = 0; i < N; i++) {
            for (int k = 0; k < 3; k++) {
                int64_t h = box.half[k];
                int64_t d = i < 8 ? ((i >> k) & 1 ? h : -h) : int64_t(rng() % (2 * h + 1)) - h;
                (&verts[i].x)[k] = int32_t(box.centre[k] + d);
            }
        }
        if (!view_box_on_one_line(&m, &t, &box, &vp, &s)) {
            refused++;
            continue;
        }
        accepted++;
        transform_vertices(&m, &t, &vp, &s, verts, used, N, view_i, code_i, proj_i);
        fpu_view fv;
        fpu_view_setup(&fv, &m, &t, &vp);
        fpu_transform_vertices(&fv, verts, used, N, view_f, code_f, proj_f);
        bool row = true, column = true;
        for (int i = 0; i < N; i++) {
            ASSERT_EQ(code_i[i] | code_f[i], 0) << round;
            row = row && proj_i[i].screen_y == proj_i[0].screen_y &&
                  proj_f[i].screen_y == proj_f[0].screen_y;
            column = column && proj_i[i].screen_x == proj_i[0].screen_x &&
                     proj_f[i].screen_x == proj_f[0].screen_x;
        }
        EXPECT_TRUE(row || column) << round;
    }
    EXPECT_GT(accepted, 50);
    EXPECT_GT(refused, 50);
}

} // namespace
} // namespace vantrel
