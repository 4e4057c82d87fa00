// Scene files, animation clips and the scene timing functions.
#include <gtest/gtest.h>
#include <vector>

#include "core/trig.h"
#include "scenes/scene.h"

// Sanitized runs abort on any allocation far beyond a test file: a count trusted unchecked.
extern "C" const char* __asan_default_options() {
    return "max_allocation_size_mb=64";
}

namespace vantrel {
namespace {

constexpr int64_t M = int64_t(1) << 32; // one metre in 32.32
constexpr int32_t TICK = 65536;

struct key_spec {
    int32_t time;
    int64_t x, y; // z is always -7 and the orientation the identity
};
struct track_spec {
    uint32_t id;
    std::vector<key_spec> keys;
};

void write_clip(save_writer* w, const std::vector<track_spec>& tracks, uint32_t count_bias = 0) {
    save_write_header(w, ANIM_MAGIC, ANIM_VERSION);
    save_write_u32(w, uint32_t(tracks.size()) + count_bias);
    for (const track_spec& t : tracks) {
        save_write_u32(w, t.id);
        save_write_u32(w, uint32_t(t.keys.size()));
        for (const key_spec& k : t.keys) {
            save_write_i32(w, k.time);
            for (int64_t v : {k.x, k.y, int64_t(-7)}) save_write_i64(w, v);
            for (int32_t m : IDENTITY.m) save_write_i32(w, m);
        }
    }
}

// Keys 0-1 a slide, 1-2 a cut (one time), 2-3 a slide down in y.
const std::vector<track_spec> CLIP = {
    {0, {{0, 0, 0}, {10 * TICK, 10 * M, 0}, {10 * TICK, 100 * M, 0}, {20 * TICK, 100 * M, -4 * M}}},
    {7, {{INT32_MIN, 0, 0}, {INT32_MAX, 2 * M, 0}}},
    {7, {{0, 5, 5}}}};

std::vector<uint8_t> bytes_of(const std::vector<track_spec>& tracks, uint32_t count_bias = 0) {
    std::vector<uint8_t> b(4096);
    save_writer w;
    save_writer_init(&w, b.data(), uint32_t(b.size()));
    write_clip(&w, tracks, count_bias);
    b.resize(w.pos);
    return b;
}

int load(anim_clip* clip, const std::vector<uint8_t>& b, uint32_t size) {
    save_reader r;
    save_reader_init(&r, b.data(), size);
    return anim_clip_load(clip, &r);
}

TEST(AnimClip, RoundTripsSamplesAndRefusesEveryCut) {
    std::vector<uint8_t> b = bytes_of(CLIP);
    anim_clip clip;
    ASSERT_EQ(load(&clip, b, uint32_t(b.size())), 1);
    ASSERT_EQ(clip.track_count, 3u);
    EXPECT_TRUE(anim_clip_find_track(&clip, 7) == &clip.tracks[1] &&
                !anim_clip_find_track(&clip, 8));
    std::vector<uint8_t> again(size_t(anim_clip_save_size(&clip)));
    save_writer w;
    save_writer_init(&w, again.data(), uint32_t(again.size()));
    EXPECT_EQ(anim_clip_save(&clip, &w), 1);
    EXPECT_EQ(again, b);
    struct {
        int track;
        int64_t t, x, y;
    } rows[] = {
        {0, -5, 0, 0},
        {0, 5 * TICK, 5 * M, 0},
        {0, 10 * TICK - 1, 42949017600, 0}, // u = 65535: (10 << 16) x 65535
        {0, 10 * TICK, 100 * M, 0},         // the cut jumps at its own time
        {0, 15 * TICK, 100 * M, -2 * M},
        {0, int64_t(1) << 40, 100 * M, -4 * M}, // a clip time past 655 s
        {1, 0, M, 0}, // 2^31 / (2^32 - 1) of the way: a 32-bit span would wrap
        {2, 123, 5, 5},
    };
    for (const auto& row : rows) {
        anim_pose p;
        anim_track_sample(&p, &clip.tracks[row.track], row.t);
        EXPECT_TRUE(p.pos == (space_pos{row.x, row.y, -7})) << row.t;
        EXPECT_EQ(p.orient, IDENTITY);
    }
    anim_clip_owned_free(&clip);
    for (uint32_t n = 0; n < b.size(); n++)
        EXPECT_EQ(load(&clip, b, n) + (clip.tracks != nullptr), 0) << n;
}

TEST(AnimClip, RefusesLyingCountsAndBackwardTimes) {
    std::vector<uint8_t> huge_keys = bytes_of({{1, {{0, 0, 0}}}});
    huge_keys[17] = 0x01, huge_keys[14] = 0x04; // key count 0x04000001: wraps x64 on 32 bits
    const std::pair<std::vector<uint8_t>, int> cases[] = {
        {bytes_of({}, 0xFFFFFFFFu), 0}, // far more tracks than bytes
        {bytes_of(CLIP, 1), 0},         // one track more than written
        {huge_keys, 0},
        {bytes_of({{1, {}}}), 0},                     // no keys
        {bytes_of({{1, {{5, 0, 0}, {4, 0, 0}}}}), 0}, // time goes back
        {bytes_of({}), 1},                            // no tracks at all is a clip
    };
    for (const auto& [b, loads] : cases) {
        anim_clip clip = {nullptr, 9};
        EXPECT_EQ(load(&clip, b, uint32_t(b.size())), loads);
        EXPECT_EQ(clip.track_count, 0u);
    }
}

struct event_spec {
    int32_t time;
    uint8_t kind, param;
    uint32_t target;
    int32_t duration;
};

// A 10 s scene with fades in 1 s and out 2 s, one role object, one caption.
std::vector<uint8_t> scene_bytes(uint16_t version, const std::vector<event_spec>& events) {
    std::vector<uint8_t> b(8192);
    save_writer w;
    save_writer_init(&w, b.data(), uint32_t(b.size()));
    save_write_header(&w, SCENE_MAGIC, version);
    save_write_u8(&w, 5), save_write_bytes(&w, "title", 5), save_write_i32(&w, 10 << 16);
    save_write_u8(&w, 0), save_write_i32(&w, 65536), save_write_i32(&w, 2 * 65536);
    save_write_i32(&w, 1000), save_write_i32(&w, 280);
    uint8_t zeros[53] = {}; // stars, logo, colour effects and menu y
    save_write_bytes(&w, zeros, sizeof(zeros));
    save_write_u16(&w, 1), save_write_u32(&w, 1);
    save_write_bytes(&w, "@ship-name-long!model-name-long!", 32);
    save_write_u8(&w, 3), save_write_u8(&w, 1), save_write_bytes(&w, zeros, 26);
    const uint8_t caption[] = {0, 0, 0, 0, 0, 1, 0, 0, 0xFF, 0xFF, 1, 2, 3, 2, 'h', 'i'};
    save_write_u16(&w, 1), save_write_bytes(&w, caption, sizeof(caption));
    if (version == 3) save_write_u16(&w, uint16_t(events.size()));
    for (const event_spec& e : version == 3 ? events : std::vector<event_spec>{}) {
        save_write_i32(&w, e.time), save_write_u8(&w, e.kind), save_write_u8(&w, e.param);
        save_write_u32(&w, e.target), save_write_u32(&w, 0), save_write_i32(&w, e.duration);
    }
    write_clip(&w, CLIP);
    b.resize(w.pos);
    return b;
}

constexpr int32_t S = 65536; // one second in 16.16
const std::vector<event_spec> EVENTS = {
    {0, SCENE_EVENT_HIDE, 0, 1, 0},        {2 * S, SCENE_EVENT_ARRIVE, 0, 2, 0},
    {S, SCENE_EVENT_LEAVE, 0, 3, 0},       {5 * S, SCENE_EVENT_COCKPIT_ON, 2, 0, 0},
    {S, SCENE_EVENT_COCKPIT_OFF, 0, 0, 0}, {8 * S, SCENE_EVENT_COCKPIT_ON, 3, 0, 0},
    {3 * S, SCENE_EVENT_FLASH, 0, 0, S},   {3 * S + S / 2, SCENE_EVENT_FLASH, 0, 0, 2 * S}};

TEST(Scene, LoadsAndRefusesEveryCutAndBadField) {
    std::vector<uint8_t> b = scene_bytes(3, EVENTS);
    scene s;
    ASSERT_EQ(scene_load(&s, b.data(), uint32_t(b.size())), 1);
    EXPECT_EQ(std::string(s.objects[0].name) + s.objects[0].model_name + s.captions[0].text,
              "@ship-name-longmodel-name-longhi");
    EXPECT_TRUE(scene_object_is_role(&s.objects[0]));
    EXPECT_EQ(s.captions[0].y + s.event_count + s.clip.track_count, -1 + 8 + 3);
    scene_free(&s);
    for (uint32_t n = 0; n < b.size(); n++) EXPECT_EQ(scene_load(&s, b.data(), n), 0) << n;
    // Version, name length, duration, projection, object count, emitter count, caption
    // text length, event count.
    const std::pair<uint32_t, uint8_t> faults[] = {{5, 4},   {6, 32},  {12, 0x80}, {25, 0x80},
                                                   {87, 17}, {125, 5}, {167, 64},  {171, 33}};
    for (const auto& [at, value] : faults) {
        std::vector<uint8_t> bad = b;
        bad[at] = value;
        EXPECT_EQ(scene_load(&s, bad.data(), uint32_t(bad.size())), 0) << at;
    }
}

TEST(Scene, TimingFollowsEventsInFileOrder) {
    std::vector<uint8_t> b = scene_bytes(3, EVENTS);
    scene s, old;
    ASSERT_EQ(scene_load(&s, b.data(), uint32_t(b.size())), 1);
    b = scene_bytes(2, EVENTS);
    ASSERT_EQ(scene_load(&old, b.data(), uint32_t(b.size())), 1);
    const struct {
        uint32_t ms;
        int v1, v2, v3, cockpit, flash, fade;
    } rows[] = {
        {0, 0, 0, 1, 0, 0, 0},        {500, 0, 0, 1, 0, 0, 128},    {1349, 0, 0, 1, 0, 0, 256},
        {1350, 0, 0, 0, 0, 0, 256},   {2499, 0, 0, 0, 0, 0, 256},   {2500, 0, 1, 0, 0, 0, 256},
        {3250, 0, 1, 0, 0, 192, 256}, {3500, 0, 1, 0, 0, 256, 256}, {4250, 0, 1, 0, 0, 160, 256},
        {6000, 0, 1, 0, 0, 0, 256}, // off: later in file
        {8000, 0, 1, 0, 1, 0, 256},   {9000, 0, 1, 0, 1, 0, 128},   {10000, 0, 1, 0, 1, 0, 0},
    };
    for (const auto& r : rows) {
        uint8_t variant = 0;
        EXPECT_EQ(scene_object_visible(&s, 1, r.ms), r.v1) << r.ms;
        EXPECT_EQ(scene_object_visible(&s, 2, r.ms), r.v2) << r.ms;
        EXPECT_EQ(scene_object_visible(&s, 3, r.ms), r.v3) << r.ms;
        EXPECT_EQ(scene_cockpit(&s, r.ms, &variant), r.cockpit) << r.ms;
        EXPECT_EQ(variant, r.cockpit ? 3 : 0) << r.ms;
        EXPECT_EQ(scene_flash(&s, r.ms), r.flash) << r.ms;
        EXPECT_EQ(scene_fade(&s, r.ms), r.fade) << r.ms;
        EXPECT_EQ(scene_finished(&s, r.ms), r.ms >= 10000) << r.ms;
        EXPECT_EQ(scene_object_visible(&old, 1, r.ms) + scene_cockpit(&old, r.ms, nullptr), 1);
        EXPECT_EQ(scene_flash(&old, r.ms), 0);
    }
    EXPECT_EQ(scene_clip_time(&s, 25), TICK + TICK / 4); // off the 20 ms grid
    EXPECT_EQ(scene_clip_time(&s, 12000), 500 * TICK);
    scene_free(&s), scene_free(&old);
}

TEST(Scene, LongPeriodsUseWideProducts) {
    scene loop = {}, slow = {};
    loop.flags = SCENE_LOOP, loop.duration = 10 * S, loop.fade_out = 2 * S;
    slow.duration = 1000 * S, slow.fade_in = 30000 * S;
    EXPECT_EQ(scene_clip_time(&loop, 25000), 250 * TICK);
    EXPECT_EQ(scene_fade(&loop, 9000), 256);
    EXPECT_FALSE(scene_finished(&loop, 0xFFFFFFFFu));
    EXPECT_EQ(scene_clip_time(&slow, 700000), int64_t(35000) * TICK);
    EXPECT_EQ(scene_fade(&slow, 20000000), 170);
    const struct {
        uint32_t t, period;
        fix16 wave;
        int32_t phase;
    } rows[] = {{250, 1000, FIX16_ONE, 1536},
                {750, 1000, -FIX16_ONE, 4608},
                {19999999, 20000000, -QUARTER_SINE[1], 6143},
                {0x80000000u + 5, 0, 0, 0}};
    for (const auto& r : rows) {
        EXPECT_EQ(scene_wave(r.t, r.period), r.wave) << r.t;
        EXPECT_EQ(scene_phase(r.t, r.period, 6144), r.phase) << r.t;
    }
}

} // namespace
} // namespace vantrel
