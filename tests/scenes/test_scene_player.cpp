// The scene player's rules that a frame hash would not pin down: emitters per frame, cloud
// ramps, the palette's update pattern, the wreck fragments and the logo's colours.
#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>

#include "platform/headless/headless.h"
#include "platform/present_amiga.h"
#include "render/model_draw.h"
#include "scenes/scene_parts.h"
#include "shell/game_models.h"

namespace vantrel {
namespace {

constexpr int64_t M = int64_t(1) << 32; // one metre in 32.32

uint8_t g_frame[SCENE_VIEW_WIDTH * SCENE_VIEW_HEIGHT];
int32_t g_depth[SCENE_VIEW_WIDTH * SCENE_VIEW_HEIGHT];
depth_span g_spans[SPAN_CAPACITY];

// A loaded-looking view of one box 100 m ahead of the camera, with borrowed tracks (never
// freed through the scene).
struct box_view {
    scene_view view = {};
    drawable box = {};
    anim_key keys[2] = {};
    anim_track tracks[2] = {};
    box_view() {
        door_box_build(&box);
        keys[0] = anim_key{0, {0, 0, 0}, IDENTITY};
        keys[1] = anim_key{0, {0, 0, 100 * M}, IDENTITY};
        tracks[0] = anim_track{0, 1, &keys[0]};
        tracks[1] = anim_track{1, 1, &keys[1]};
        scene& s = view.sc;
        s.duration = 60 * FIX16_ONE;
        s.object_count = 1;
        s.objects[0].id = 1;
        s.objects[0].emitter_count = 1;
        s.objects[0].emitters[0] = scene_emitter{{0, 0, 0}, 0, 100, 1000, FIX16_ONE, FIX16_ONE, 0};
        s.clip = anim_clip{tracks, 2};
        view.loaded = 1;
        view.width = SCENE_VIEW_WIDTH;
        view.height = SCENE_VIEW_HEIGHT;
        view.scale = 1;
        view.near = 2 * FIX16_ONE;
        view.focal = 280 * FIX16_ONE;
        view.models[0] = &box;
        scene_view_particles(&view, PARTICLES_GAME_CAPACITY, 1);
        depth_frame_init(&g_depth_frame, view.near, view.focal);
    }
    ~box_view() { drawable_free(&box); }
    void frame(uint32_t ms, uint32_t dt, uint8_t* palette) {
        scene_view_frame(&view, g_frame, g_depth, g_spans, ms, dt, SHADE_MATERIAL, palette);
    }
};

TEST(ScenePlayer, EmittersTakeThreeAFrameAndCloudsShareTwoRamps) {
    box_view b;
    uint8_t palette[768] = {};
    b.frame(0, 0, palette);
    EXPECT_EQ(b.view.fx.count, 0);
    b.frame(500, 500, palette); // five emissions passed, three are made
    EXPECT_EQ(b.view.fx.count, 3);
    b.frame(600, 100, palette); // the sixth emission
    EXPECT_EQ(b.view.fx.count, 4);

    // Arrivals and departures by style: the first two pairs get ramps, a third none.
    const scene_event events[5] = {{0, SCENE_EVENT_ARRIVE, 0, 0, 0, 0},
                                   {0, SCENE_EVENT_ARRIVE, 1, 0, 0, 0},
                                   {0, SCENE_EVENT_ARRIVE, 9, 0, 0, 0},
                                   {0, SCENE_EVENT_LEAVE, 2, 0, 0, 0},
                                   {0, SCENE_EVENT_SHOW, 0, 0, 0, 0}};
    b.view.sc.event_count = 5;
    std::copy(events, events + 5, b.view.sc.events);
    scene_view_palette(&b.view, palette);
    const uint8_t markers[5] = {100, 116, 100, 0, 0}; // style 9 counts as style 0
    EXPECT_EQ(std::memcmp(b.view.cloud_marker, markers, 5), 0);
    uint8_t ramp[48];
    hypercloud_palette(1, 0, ramp);
    EXPECT_EQ(std::memcmp(palette + 116 * 3, ramp, 48), 0);
    const uint8_t beam0[3] = {255, 70, 50};
    EXPECT_EQ(std::memcmp(palette + 96 * 3, beam0, 3), 0);
}

TEST(ScenePlayer, AfterAFadeAllColoursOnceThenOnlyTheSceneColours) {
    present_settings settings;
    ASSERT_EQ(present_backend_start(&PRESENT_BACKEND_HEADLESS, &settings), 1);
    present_screen* screen = present_amiga_open(320, 256, "Vantrel");
    ASSERT_NE(screen, nullptr);
    box_view b;
    b.view.sc.fade_in = FIX16_ONE; // one second
    uint8_t palette[768], shown[768];
    for (int i = 0; i < 768; i++) palette[i] = 200;
    int state = 0;
    scene_apply_palette(screen, &b.view, 500, palette, &state); // half faded in
    present_palette_rgb(screen, shown);
    EXPECT_EQ(state, 1);
    EXPECT_EQ(shown[10 * 3], 100);
    palette[10 * 3] = 7;
    scene_apply_palette(screen, &b.view, 1000, palette, &state); // whole again: all of it
    present_palette_rgb(screen, shown);
    EXPECT_EQ(state, 0);
    EXPECT_EQ(shown[10 * 3], 7);
    palette[10 * 3] = 9;
    palette[150 * 3] = 9;
    scene_apply_palette(screen, &b.view, 1020, palette, &state); // 96-199 only
    present_palette_rgb(screen, shown);
    EXPECT_EQ(shown[10 * 3], 7);
    EXPECT_EQ(shown[150 * 3], 9);
    present_amiga_close(screen);
    PRESENT_BACKEND_HEADLESS.stop();
}

TEST(ScenePlayer, WreckPutsEveryFaceInTheOctantOfItsVertexSum) {
    drawable box = {};
    ASSERT_TRUE(door_box_build(&box));
    scene_wreck w = {};
    const model_lod& lod = box.mdl.levels[0];
    ASSERT_EQ(scene_wreck_build(&w, &box), w.count);
    uint32_t faces = 0;
    int seen = 0;
    for (int k = 0; k < w.count; k++) {
        const model_lod& part = w.parts[k].mdl.levels[0];
        int64_t sum[3] = {};
        int octant = -1;
        for (uint32_t i = 0; i < part.face_count; i++) {
            const model_face& f = part.faces[i];
            const vec3 &a = lod.vertices[f.a], &b = lod.vertices[f.b], &c = lod.vertices[f.c];
            int o = (int64_t(a.x) + b.x + c.x > 0) + 2 * (int64_t(a.y) + b.y + c.y > 0) +
                    4 * (int64_t(a.z) + b.z + c.z > 0);
            if (octant < 0) octant = o;
            EXPECT_EQ(o, octant) << "part " << k;
            sum[0] += a.x >> 4, sum[1] += a.y >> 4, sum[2] += a.z >> 4;
        }
        EXPECT_FALSE(seen & (1 << octant)) << "two parts in octant " << octant;
        seen |= 1 << octant;
        faces += part.face_count;
        int64_t n = part.face_count;
        EXPECT_EQ(w.centre[k],
                  (vec3{fix16(sum[0] / n * 16), fix16(sum[1] / n * 16), fix16(sum[2] / n * 16)}));
    }
    EXPECT_EQ(faces, lod.face_count);
    EXPECT_GE(w.count, 2);
    scene_wreck_free(&w);
    drawable_free(&box);
}

TEST(ScenePlayer, LogoColoursAtOneMoment) {
    scene_view view = {};
    scene& s = view.sc;
    s.band1_period = 6144 * FIX16_ONE / 1000 + 1; // 6144 ms: the first phase is the ms
    s.band2_period = 4096 * FIX16_ONE / 1000 + 1; // 4096 ms: the second is too
    const uint8_t rgb[4][3] = {{40, 70, 160}, {20, 30, 70}, {255, 170, 60}, {255, 240, 200}};
    uint8_t* const into[4] = {s.band1_rgb, s.band2_rgb, s.centre_rgb, s.glint_rgb};
    for (int i = 0; i < 4; i++) std::memcpy(into[i], rgb[i], 3);
    ASSERT_EQ(scene_period_ms(s.band1_period), 6144u);
    ASSERT_EQ(scene_period_ms(s.band2_period), 4096u);
    uint8_t p[768] = {};
    // At 1664 ms band A's highlight sits on band 2 and band B's on band 6; no glint wave.
    scene_logo_palette(&view, 1664, 0, p);
    EXPECT_EQ(p[(96 + 3 * 2 + 2) * 3], 40 + 215 * 205 / 256); // A lit fully: 212
    EXPECT_EQ(p[(96 + 3 * 2 + 0) * 3], (40 + 215 * 205 / 256) * 90 >> 8);
    EXPECT_EQ(p[(96 + 3 * 0 + 2) * 3], 40 + 215 * 86 * 205 / 65536); // two bands off: 86
    EXPECT_EQ(p[(144 + 3 * 6 + 2) * 3 + 2], 255);                    // B lit fully
    EXPECT_EQ(p[(144 + 3 * 7 + 2) * 3], 20 + (235 * 171 >> 8));      // one band off: 171
    EXPECT_EQ(p[(144 + 3 * 0 + 2) * 3], 20);                         // six bands off: dark
    EXPECT_EQ(p[194 * 3], 255 * 214 >> 8);                           // centre: E = 214
    EXPECT_EQ(p[192 * 3 + 1], (170 * 214 >> 8) * 90 >> 8);
    EXPECT_EQ(p[198 * 3 + 2], 200 * 60 >> 8); // the glint's last
}

} // namespace
} // namespace vantrel
