// Model drawing: shading-mode colours of a known model, counters, culling and clipping,
// the palette and the lighting helpers, and golden frames of the door box.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "platform/frame_crc.h"
#include "render/model_draw.h"
#include "render/palette.h"
#include "shell/game_models.h"

namespace vantrel {
namespace {

constexpr fix16 ONE = FIX16_ONE;
constexpr int W = 320, H = 256;

space_pos at(fix16 x, fix16 y, fix16 z) {
    // View units are position units >> 16.
    return space_pos{int64_t(x) << 16, int64_t(y) << 16, int64_t(z) << 16};
}

struct scene {
    std::vector<uint8_t> frame = std::vector<uint8_t>(W * H, 0);
    std::vector<int32_t> depth = std::vector<int32_t>(W * H, 0);
    depth_span spans[SPAN_CAPACITY];
    view_projection vp = view_projection_make(W, H, VIEW_FOCAL, VIEW_NEAR);
    frustum_slopes slopes;
    drawable box = {};
    render_pose object = {{0, 0, 0}, IDENTITY};
    render_pose camera = {};
    scene() {
        make_frustum_slopes(&slopes, &vp);
        EXPECT_EQ(door_box_build(&box), 1);
        depth_frame_init(&g_depth_frame, vp.near, vp.focal);
        depth_frame_begin(&g_depth_frame, depth.data(), W * H);
        look_from(at(100 * ONE, 0, 12 * ONE + ONE * 3 / 4), vec3{-ONE, 0, 0});
        g_render_stats = render_stats{};
    }
    ~scene() { drawable_free(&box); }
    void look_from(space_pos pos, vec3 forward) {
        vec3 up = {0, ONE, 0};
        camera.pos = pos;
        mat3_look_at(&camera.orient, &forward, &up);
    }
    void draw(int mode, vec3 light = {0, 0, 0}, uint8_t base = 16, int ramp = 8) {
        draw_model(frame.data(), depth.data(), W, H, &box.mdl.levels[0], box.normals[0],
                   box.radius[0], &object, &camera, &vp, &slopes, mode, &light, base, ramp, spans);
    }
    void clear() {
        std::fill(frame.begin(), frame.end(), 0);
        depth_frame_begin(&g_depth_frame, depth.data(), W * H);
    }
    std::set<int> colours() const { return std::set<int>(frame.begin(), frame.end()); }
};

TEST(DrawModel, ShadingModesOfTheDoorBoxFacingTheCamera) {
    scene s;
    // Head-on at the x = 2 face (material 1, the first quad): the other sides are seen
    // edge-on or from behind, so only that quad's two triangles are drawn.
    s.draw(SHADE_FLAT);
    EXPECT_EQ(g_render_stats.tris_drawn, 2u);
    EXPECT_EQ(g_render_stats.tris_clipped, 0u);
    // Lit exactly along the face normal (world +x, the view's -z) from the object's origin.
    mat3 m;
    vec3 t;
    view_transform_build(&m, &t, &s.object, &s.camera);
    const vec3 camera = {0, 0, 0}, behind = {0, 0, 1000 * ONE}, normal = {t.x, t.y, t.z - ONE};
    const struct {
        int mode;
        vec3 light;
        uint8_t base;
        int ramp;
        std::set<int> colours;
    } cases[] = {
        {SHADE_FLAT, camera, 16, 8, {0, 16}},
        {SHADE_TRIANGLES, camera, 16, 8, {0, 16, 23}},    // faces 0 and 1: base + 0 and base + 7
        {SHADE_MATERIAL, camera, 16, 8, {0, 16 + 4 + 2}}, // material 1 at shade 2
        {SHADE_MATERIAL_LIT, camera, 16, 8, {0, 16 + 4 + 3}}, // lit from the camera: full
        {SHADE_MATERIAL_LIT, behind, 16, 8, {0, 16 + 4 + 2}}, // lit from behind: shade 2, not 0
        // Lit from the camera, slightly off the face's axis: dot 0.992 gives shade 6 of 0..7.
        {SHADE_LIT_RAMP, camera, 152, 8, {0, 152 + 6}},
        {SHADE_LIT_RAMP, normal, 152, 8, {0, 152 + 7}},
        {SHADE_LIT_RAMP, camera, 152, 1, {0, 152}}, // a one-shade ramp is the base
        {77, camera, 16, 8, {0, 16}},               // unknown modes colour like mode 0
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        s.clear();
        s.draw(c.mode, c.light, c.base, c.ramp);
        EXPECT_EQ(s.colours(), c.colours);
    }
}

TEST(DrawModel, CullsWholeObjectsAndCountsClippedFaces) {
    scene s;
    s.look_from(at(100 * ONE, 0, 12 * ONE), vec3{ONE, 0, 0}); // looking away
    s.draw(SHADE_FLAT);
    EXPECT_EQ(g_render_stats.objs_culled, 1u);
    EXPECT_EQ(g_render_stats.tris_drawn, 0u);
    EXPECT_EQ(s.colours(), (std::set<int>{0}));
    s.look_from(at(0, 0, 2000 * ONE), vec3{0, 0, ONE}); // far past, looking on
    s.draw(SHADE_FLAT);
    EXPECT_EQ(g_render_stats.objs_culled, 2u);

    // Close in front of the x = 2 face, slightly to the side: the quad crosses the near
    // plane and the frustum sides, is clipped, and still fills its part of the screen.
    scene c;
    c.look_from(at(30 * ONE, 5 * ONE, 12 * ONE), vec3{-ONE, 0, ONE / 8});
    c.draw(SHADE_FLAT);
    EXPECT_EQ(g_render_stats.objs_culled, 0u);
    EXPECT_GE(g_render_stats.tris_clipped, 1u);
    EXPECT_GE(g_render_stats.tris_drawn, g_render_stats.tris_clipped);
    size_t lit = 0;
    for (uint8_t p : c.frame) lit += p != 0;
    EXPECT_GT(lit, size_t(W * H / 4));
}

TEST(DrawModel, BothRasterPathsAndBothVertexPathsDrawTheBox) {
    // Golden frames: an oblique view in every shading mode, hashed. The span path must
    // give the same bytes as the fused one; the float vertex path may move edges by a pixel.
    const uint32_t golden[5] = {0xC3C4EF7Eu, 0x6054263Bu, 0x3F56349Bu, 0x1396D46Au, 0x21C9938Au};
    int saved_fused = g_raster_fused, saved_fpu = g_vertex_fpu;
    for (int mode = 0; mode < 5; mode++) {
        uint32_t crc[2];
        std::vector<uint8_t> frames[2];
        for (int fused = 0; fused < 2; fused++) {
            scene s;
            g_raster_fused = fused;
            s.look_from(at(60 * ONE, 30 * ONE, 70 * ONE), vec3{-60 * ONE, -30 * ONE, -58 * ONE});
            s.draw(mode, vec3{-200 * ONE, 300 * ONE, 0}, 16, 8);
            crc[fused] = frame_crc32(s.frame.data(), s.frame.size());
            frames[fused] = s.frame;
        }
        EXPECT_EQ(crc[0], crc[1]) << "mode " << mode;
        EXPECT_EQ(crc[1], golden[mode]) << "mode " << mode << std::hex << " crc 0x" << crc[1];

        scene f;
        g_vertex_fpu = 1;
        f.look_from(at(60 * ONE, 30 * ONE, 70 * ONE), vec3{-60 * ONE, -30 * ONE, -58 * ONE});
        f.draw(mode, vec3{-200 * ONE, 300 * ONE, 0}, 16, 8);
        g_vertex_fpu = saved_fpu;
        size_t differ = 0, lit = 0;
        for (size_t i = 0; i < f.frame.size(); i++) {
            differ += f.frame[i] != frames[1][i];
            lit += frames[1][i] != 0;
        }
        EXPECT_GT(lit, 1000u);
        EXPECT_LT(differ, lit / 10) << "mode " << mode;
    }
    g_raster_fused = saved_fused;
}

TEST(DrawModel, SharedRotationDrawsTheSameBytes) {
    // Rows of boxes at two depths, across both frame edges, turned ten ways (more than the
    // rotations kept at once) in an order that comes back to turns both kept and given up,
    // over two frames: the same frame and depth with the rotations shared as without, on
    // both vertex paths.
    int saved_fpu = g_vertex_fpu;
    mat3 turns[10];
    const vec3 up = {0, ONE, 0};
    for (int k = 0; k < 10; k++) {
        const vec3 forward = {(-60 + 9 * k) * ONE, -30 * ONE, -58 * ONE};
        mat3_look_at(&turns[k], &forward, &up);
    }
    const int turn_of[] = {0, 0, 1, 0, 2, 3, 4, 5, 6, 7, 8, 9, 0, 1, 1, 9, 8, 2};
    for (int fpu = 0; fpu < 2; fpu++) {
        g_vertex_fpu = fpu;
        scene plain, shared;
        for (scene* s : {&plain, &shared}) {
            s->camera = render_pose{{0, 0, 0}, IDENTITY};
            depth_frame_init(&g_depth_frame, s->vp.near, s->vp.focal); // the same bases
            if (s == &shared) draw_model_share_begin();
            for (int frame = 0; frame < 2; frame++) {
                s->clear();
                for (int i = 0; i < 18; i++) {
                    const int column = (i + frame) % 9;
                    s->object = render_pose{
                        at((column - 4) * 20 * ONE, column * ONE, (i < 9 ? 120 : 125) * ONE),
                        turns[turn_of[i]]};
                    s->draw(SHADE_MATERIAL_LIT, vec3{-200 * ONE, 300 * ONE, 0});
                }
            }
            draw_model_share_end();
        }
        EXPECT_GT(W * H - std::count(plain.frame.begin(), plain.frame.end(), 0), 2000) << fpu;
        EXPECT_EQ(plain.frame, shared.frame) << fpu;
        EXPECT_EQ(plain.depth, shared.depth) << fpu;
    }
    g_vertex_fpu = saved_fpu;
}

TEST(Lighting, MaterialLevelsAndTurnSine) {
    const int levels[][3] = {{2, -ONE, 3},    {2, 0, 3},   {0, -1, 2},     {0, 0, 0},
                             {4, ONE / 2, 2}, {1, ONE, 3}, {1, 2 * ONE, 3}}; // material, dot, level
    for (const auto& l : levels) EXPECT_EQ(material_level(l[0], l[1]), l[2]) << l[0] << " " << l[1];
    // sin 45 degrees is 46341; the coarse table gives 46387.
    const fix16 sines[][2] = {{0, 0},      {0x4000, ONE},  {0x2000, 46387},
                              {0x8000, 0}, {0xC000, -ONE}, {0xA000, -46387}};
    for (const auto& v : sines) EXPECT_EQ(turn_sin(uint32_t(v[0])), v[1]) << v[0];
    fix16 previous = turn_sin(0);
    for (uint32_t a = 1; a <= 0x4000; a++) {
        fix16 v = turn_sin(a);
        ASSERT_GE(v, previous); // rising through the first quarter
        previous = v;
    }
}

TEST(Lighting, SunStarAndDistances) {
    light_set_star(nullptr); // other tests place stars of their own
    vec3 sun;
    sun_direction(&sun);
    EXPECT_NEAR(vec3_length(&sun), ONE, 2);
    EXPECT_GT(sun.x, 0);
    EXPECT_LT(sun.z, 0);
    vec3 l;
    space_pos origin = {0, 0, 0};
    light_from_star(&l, &origin);
    EXPECT_NEAR(l.x, sun.x, 4);
    EXPECT_NEAR(l.y, sun.y, 4);
    EXPECT_NEAR(l.z, sun.z, 4);
    space_pos a = at(3 * ONE, 4 * ONE, 0), b = at(0, 0, 0);
    EXPECT_EQ(camera_distance(&a, &b), 5 * ONE);
    space_pos star = at(0, 100 * ONE, 0);
    light_set_star(&star);
    light_from_star(&l, &origin);
    EXPECT_EQ(l, (vec3{0, ONE, 0}));
}

TEST(Palette, GamePaletteLayout) {
    build_game_palette();
    auto rgb = [](int i) {
        return std::vector<int>{g_game_palette[3 * i], g_game_palette[3 * i + 1],
                                g_game_palette[3 * i + 2]};
    };
    // Block 0 main at 35 % and its dark metal (50, 53, 62) at 35 %, the grey ramp's top,
    // the blue ramp at 9 %.
    const struct {
        int index;
        std::vector<int> rgb;
    } entries[] = {{1, {0, 0, 0}},       {2, {90, 255, 140}},     {15, {80, 170, 255}},
                   {16, {66, 67, 69}},   {16 + 12, {17, 18, 21}}, {129, {147, 147, 167}},
                   {140, {0, 0, 0}},     {152, {2, 6, 15}},       {224 + 11, {255, 180, 60}},
                   {254, {150, 90, 30}}, {255, {255, 255, 255}}};
    for (const auto& e : entries) EXPECT_EQ(rgb(e.index), e.rgb) << e.index;
    // Repainting block 0 touches only its 24 entries.
    uint8_t before[768];
    std::copy(g_game_palette, g_game_palette + 768, before);
    livery_block(g_game_palette, 16, rgb8{100, 100, 100}, rgb8{0, 0, 0}, rgb8{0, 0, 0});
    EXPECT_EQ(rgb(19), (std::vector<int>{100, 100, 100}));
    EXPECT_TRUE(std::equal(before, before + 48, g_game_palette));
    EXPECT_TRUE(std::equal(before + 120, before + 768, g_game_palette + 120));
}

} // namespace
} // namespace vantrel
