// The cockpit's rules: targets and distances, selection, warp limits and their message,
// missiles, bombs, the camera, pauses, the autopilot goal and the HUD layer it draws.
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

#include "flight/cockpit.h"

namespace vantrel {
namespace {

constexpr fix16 SECOND = FIX16_ONE;
constexpr fix16 HALF = FIX16_ONE / 2;
constexpr int64_t M = int64_t{1} << 32; // a metre as fix32

// A camera at the origin looking along +z and up to ten targets in front of it.
struct scene {
    render_pose poses[10];
    target_info targets[10];
    int32_t count = 0;
    render_pose camera{{0, 0, 0}, IDENTITY};
    view_projection p{VIEW_FOCAL, VIEW_NEAR, 160, 100};
    cockpit c;

    scene() { cockpit_init(&c); }
    // Metres in camera space; radius in whole metres.
    int32_t add(int32_t x, int32_t y, int32_t z, int32_t radius, int32_t large = 0) {
        poses[count] = render_pose{{x * M, y * M, z * M}, IDENTITY};
        targets[count] = target_info{"T", &poses[count], {0, 0, 0}, radius * FIX16_ONE, large};
        return count++;
    }
    void move(int32_t i, int32_t z) { poses[i].pos = space_pos{0, 0, z * M}; }
    void update() { cockpit_update_view(&c, targets, count, &camera, &p); }
    // One frame as the flight loop runs it; returns what the tick says.
    int frame(fix16 sim_dt, int32_t frame_ms = 20) {
        update();
        return cockpit_tick(&c, sim_dt, frame_ms);
    }
    void mode(int32_t m) {
        while (c.mode != m) cockpit_next_mode(&c);
    }
};

TEST(Cockpit, ViewKeepsEightTargetsAndMeasuresToTheirSurfaces) {
    scene s;
    EXPECT_EQ(s.c.target, -1);
    EXPECT_EQ(s.c.nearest, 0xFFFFFFFFu);
    EXPECT_EQ(s.c.warp_level, 1);
    EXPECT_EQ(s.c.warp_limit, 5);
    for (int i = 0; i < 10; i++) s.add(0, 0, 1000 + 100 * i, 8);
    s.move(3, 5); // inside its radius
    s.c.target = 9;
    s.update();
    EXPECT_EQ(s.c.target_count, 8);
    EXPECT_EQ(s.c.target, -1); // a selection past the eight is dropped
    EXPECT_EQ(s.c.dist[0], 992u);
    EXPECT_EQ(s.c.dist[7], 1692u);
    EXPECT_EQ(s.c.dist[3], 0u);
    EXPECT_EQ(s.c.nearest, 0u);
    EXPECT_EQ(s.c.view_pos[1], (vec3{0, 0, 1100 * FIX16_ONE}));
    EXPECT_EQ(s.c.warp_limit, 2);
    s.move(3, 1300);
    s.update();
    EXPECT_EQ(s.c.nearest, 992u);
    s.count = 0;
    s.update();
    EXPECT_EQ(s.c.nearest, 0xFFFFFFFFu);
    EXPECT_EQ(s.c.warp_limit, 5);
}

// Beyond the reach of 16.16 metres the distance is still exact, the target keeps its side of
// the screen and a far station no longer limits the warp.
TEST(Cockpit, FarTargetsKeepTheirDistanceAndDirection) {
    struct far_case {
        int64_t x, z; // metres
        uint32_t dist;
        int32_t limit;
    };
    const far_case cases[] = {
        {0, 10000, 9500, 3},
        {0, 20000, 19500, 3},
        {0, 40000, 39500, 4},
        {-30000, 40000, 49500, 4},
        {0, 3000000, 2999500, 5},
        {0, 2000000000, 1999999500, 5},
        {-2000000000, 2000000000, 2828426624u, 5},
    };
    for (const far_case& k : cases) {
        scene s;
        s.add(0, 0, 100, 500, 1);
        s.poses[0].pos = space_pos{k.x * M, 0, k.z * M};
        s.update();
        SCOPED_TRACE(k.dist);
        EXPECT_EQ(s.c.dist[0], k.dist);
        EXPECT_EQ(s.c.warp_limit, k.limit);
        EXPECT_GT(s.c.view_pos[0].z, 0);
        EXPECT_EQ(s.c.view_pos[0].x < 0, k.x < 0);
        EXPECT_EQ(s.c.proj[0].in_front, 1);
    }
}

TEST(Cockpit, WarpLimitedMessageOnlyOnTheFrameTheLevelDrops) {
    scene s;
    int32_t station = s.add(0, 0, 40000, 500, 1);
    s.c.warp_requested = 4;
    s.update();
    EXPECT_EQ(s.c.warp_level, 4);
    EXPECT_EQ(s.c.message, 0);
    s.move(station, 4500); // surface 4000 m away: large and near
    s.update();
    EXPECT_EQ(s.c.warp_level, 1);
    EXPECT_EQ(s.c.message, MSG_TIME_WARP_LIMITED);
    EXPECT_EQ(s.c.message_ms, COCKPIT_MESSAGE_MS);
    s.c.message = 0;
    for (int i = 0; i < 3; i++) s.update();
    EXPECT_EQ(s.c.message, 0);
    s.move(station, 5600); // 5100 m: only the distance limit remains
    s.update();
    EXPECT_EQ(s.c.warp_level, 3);
    EXPECT_EQ(s.c.warp_requested, 4);
    EXPECT_EQ(s.c.message, 0);
    s.c.warp_requested = 0; // a pause is never limited
    s.move(station, 100);
    s.update();
    EXPECT_EQ(s.c.warp_level, 0);
    EXPECT_EQ(s.c.message, 0);
}

TEST(Cockpit, SelectionPickingAndModesResetTheLockOnlyOnAChange) {
    scene s;
    for (int i = 0; i < 3; i++) s.add(100 * i - 100, 0, 1000, 8);
    s.update();
    auto held = [&] { s.c.lock = lockon_state{s.c.target + 1, SECOND}; };
    cockpit_select(&s.c, 0);
    held();
    s.c.autopilot = 1;
    cockpit_select(&s.c, 0);
    EXPECT_EQ(s.c.lock.time, SECOND);
    cockpit_select(&s.c, 2);
    EXPECT_EQ(s.c.lock.time, 0);
    EXPECT_EQ(s.c.autopilot, 1);
    cockpit_select_next(&s.c); // wraps, the autopilot stays on
    EXPECT_EQ(s.c.target, 0);
    EXPECT_EQ(s.c.autopilot, 1);
    cockpit_select(&s.c, 3); // past the targets
    EXPECT_EQ(s.c.target, -1);
    EXPECT_EQ(s.c.autopilot, 0);
    s.c.autopilot = 1;
    cockpit_select(&s.c, -5);
    EXPECT_EQ(s.c.target, -1);
    EXPECT_EQ(s.c.autopilot, 0);
    cockpit_select_next(&s.c); // from none to the first
    EXPECT_EQ(s.c.target, 0);

    EXPECT_EQ(cockpit_pick(&s.c, 20, 20), 0);
    EXPECT_EQ(cockpit_pick(&s.c, s.c.proj[2].x + 3, s.c.proj[2].y - 2), 1);
    EXPECT_EQ(s.c.target, 2);

    for (int32_t m : {1, 2, 3, 4, 0}) {
        held();
        s.c.locked = s.c.photo_taken = 1;
        cockpit_next_mode(&s.c);
        EXPECT_EQ(s.c.mode, m);
        EXPECT_EQ(s.c.lock.time + s.c.locked + s.c.photo_taken, 0);
    }

    scene one;
    one.add(0, 0, 500, 8);
    one.update();
    cockpit_select(&one.c, 0);
    one.c.lock = lockon_state{1, SECOND};
    cockpit_select_next(&one.c); // the only target, already selected: nothing changes
    EXPECT_EQ(one.c.lock.time, SECOND);
    scene none;
    none.update();
    cockpit_select_next(&none.c);
    EXPECT_EQ(none.c.target, -1);
}

TEST(Cockpit, AutopilotSwitchAndGoal) {
    scene s;
    s.add(50000, -10, 200, 8);
    s.targets[0].velocity = vec3{FIX16_ONE, 2, 3};
    s.update();
    autopilot_goal g{};
    space_local ship = {0, 0, -100 * M};
    cockpit_toggle_autopilot(&s.c);
    EXPECT_EQ(s.c.autopilot, 0);
    EXPECT_EQ(s.c.message, MSG_NO_TARGET);
    cockpit_select(&s.c, 0);
    EXPECT_EQ(cockpit_autopilot_goal(&s.c, s.targets, &ship, 700000, &g), 0);
    EXPECT_EQ(g.max_speed, 0); // untouched
    s.c.autopilot_holding = 1;
    cockpit_toggle_autopilot(&s.c);
    EXPECT_EQ(s.c.autopilot, 1);
    EXPECT_EQ(s.c.autopilot_holding, 0);
    EXPECT_EQ(s.c.message, MSG_AUTOPILOT);
    EXPECT_EQ(cockpit_autopilot_goal(&s.c, s.targets, &ship, 700000, &g), 1);
    EXPECT_EQ(g.rel, (vec3{30000 * FIX16_ONE, -10 * FIX16_ONE, 300 * FIX16_ONE})); // clamped
    EXPECT_EQ(g.target_velocity, (vec3{FIX16_ONE, 2, 3}));
    EXPECT_EQ(g.standoff, 64 * FIX16_ONE);
    EXPECT_EQ(g.max_speed, 150 * FIX16_ONE);
    EXPECT_EQ(g.accel, 700000);
    cockpit_toggle_autopilot(&s.c);
    EXPECT_EQ(s.c.autopilot, 0);
}

TEST(Cockpit, WarpStepsAndPause) {
    cockpit c;
    cockpit_init(&c);
    c.warp_limit = 3;
    cockpit_warp_step(&c, +1);
    cockpit_warp_step(&c, +1);
    EXPECT_EQ(c.warp_level, 3);
    EXPECT_EQ(c.message, 0);
    cockpit_warp_step(&c, +1); // beyond the limit: refused with a message
    EXPECT_EQ(c.warp_requested, 3);
    EXPECT_EQ(c.message, MSG_TIME_WARP_LIMITED);
    c.warp_limit = 1; // the limit fell under an earlier request, which is kept
    cockpit_warp_step(&c, +1);
    EXPECT_EQ(c.warp_requested, 3);
    EXPECT_EQ(c.warp_level, 1);
    cockpit_warp_step(&c, -1); // going down is never refused
    EXPECT_EQ(c.warp_requested, 2);
    for (int i = 0; i < 4; i++) cockpit_warp_step(&c, -1);
    EXPECT_EQ(c.warp_level, 0);
    c.warp_limit = 5;
    for (int i = 0; i < 7; i++) cockpit_warp_step(&c, +1);
    EXPECT_EQ(c.warp_requested, 5);
    cockpit_toggle_pause(&c);
    EXPECT_EQ(c.warp_level, 0);
    c.warp_limit = 2;
    cockpit_toggle_pause(&c);
    EXPECT_EQ(c.warp_requested, 1);
    EXPECT_EQ(c.warp_level, 1);
}

TEST(Cockpit, RadarMissileLocksFiresAndHitsInSimulatedTime) {
    scene s;
    s.add(0, 0, 6008, 8); // 6000 m to its surface, dead ahead
    s.update();
    cockpit_select(&s.c, 0);
    s.mode(COCKPIT_RADAR_MISSILE);
    vec3 still = {0, 0, 0};
    cockpit_fire(&s.c, &still, &s.p);
    EXPECT_EQ(s.c.message, MSG_NO_LOCK);
    s.frame(SECOND);
    s.frame(SECOND);
    EXPECT_EQ(s.c.locked, 0);
    s.frame(SECOND);
    EXPECT_EQ(s.c.locked, 1);
    EXPECT_EQ(s.c.message, MSG_LOCKED);
    s.c.message = 0;
    s.frame(SECOND);
    EXPECT_EQ(s.c.message, 0); // said once

    cockpit_fire(&s.c, &still, &s.p);
    EXPECT_EQ(s.c.message, MSG_MISSILE_AWAY);
    EXPECT_EQ(s.c.shot_ms, 20000);
    EXPECT_EQ(s.c.locked + s.c.lock.time, 0);
    s.c.locked = 1; // even locked again, a second shot waits for the first
    cockpit_fire(&s.c, &still, &s.p);
    EXPECT_EQ(s.c.shot_ms, 20000);
    // Paused: the message runs out in real time, the missile and the lock stand still.
    for (int i = 0; i < 200; i++) EXPECT_EQ(s.frame(0), 0);
    EXPECT_LE(s.c.message_ms, 0);
    EXPECT_EQ(s.c.shot_ms, 20000);
    EXPECT_EQ(s.c.lock.time, 0);
    for (int i = 0; i < 19; i++) EXPECT_EQ(s.frame(SECOND), 0);
    EXPECT_EQ(s.frame(SECOND), 1);
    EXPECT_EQ(s.c.hit_target, 0);
    EXPECT_EQ(s.c.message, MSG_HIT);
    EXPECT_EQ(s.c.shot_active, 0);

    // A frame of x1000 holds more milliseconds than 16 bits count: the shot still lands.
    s.c.shot_active = 1;
    s.c.shot_ms = 90000;
    EXPECT_EQ(cockpit_tick(&s.c, 240 * SECOND, 20), 1);
}

TEST(Cockpit, LockNeedsRangeAndTheFrame) {
    scene s;
    int32_t far = s.add(0, 0, 3508, 8);   // 3500 m: radar range only
    int32_t off = s.add(300, 0, 1000, 8); // close but outside both lock frames
    s.update();
    cockpit_select(&s.c, far);
    s.mode(COCKPIT_IR_MISSILE);
    for (int i = 0; i < 10; i++) s.frame(SECOND);
    EXPECT_EQ(s.c.locked, 0);
    s.mode(COCKPIT_RADAR_MISSILE);
    for (int i = 0; i < 6; i++) s.frame(HALF);
    EXPECT_EQ(s.c.locked, 1);
    cockpit_select(&s.c, off);
    for (int i = 0; i < 10; i++) s.frame(SECOND);
    EXPECT_EQ(s.c.locked + s.c.lock.time, 0);
}

TEST(Cockpit, BombsRangeFlightTimeHitAndMiss) {
    scene s;
    int32_t t = s.add(0, 0, 3009, 8); // 3001 m
    s.update();
    cockpit_select(&s.c, t);
    s.mode(COCKPIT_BOMBS);
    vec3 ahead = {0, 0, 100 * FIX16_ONE};
    cockpit_fire(&s.c, &ahead, &s.p);
    EXPECT_EQ(s.c.message, MSG_OUT_OF_RANGE);
    EXPECT_EQ(s.c.shot_active, 0);
    s.move(t, 3008); // 3000 m: released, and straight ahead it hits
    s.update();
    cockpit_fire(&s.c, &ahead, &s.p);
    EXPECT_EQ(s.c.message, MSG_BOMB_AWAY);
    EXPECT_EQ(s.c.shot_ms, 30000);
    int hits = 0;
    for (int i = 0; i < 30; i++) hits += s.frame(SECOND);
    EXPECT_EQ(hits, 1);

    s.move(t, 2008);
    s.update();
    struct {
        vec3 v;
        int hits;
        int32_t ms;
    } drops[] = {
        {{0, 0, 10 * FIX16_ONE}, 1, 2000 * 1000 / 30},    // slow: timed as 30 m/s
        {{60 * FIX16_ONE, 0, 80 * FIX16_ONE}, 0, 20000},  // moving across
        {{10 * FIX16_ONE, 0, 100 * FIX16_ONE}, 0, 20000}, // aimed 28 px beside it
        {{0, 0, -50 * FIX16_ONE}, 0, 40000},              // moving backwards
        {{0, 0, FIX16_ONE}, 0, 66666},                    // too slow to aim
    };
    for (auto& k : drops) {
        cockpit_fire(&s.c, &k.v, &s.p);
        EXPECT_EQ(s.c.shot_hits, k.hits) << k.v.x << "," << k.v.z;
        EXPECT_EQ(s.c.shot_ms, k.ms) << k.v.x << "," << k.v.z;
        s.c.shot_active = 0;
    }
    cockpit_fire(&s.c, &drops[1].v, &s.p);
    hits = 0;
    for (int i = 0; i < 30; i++) hits += s.frame(SECOND);
    EXPECT_EQ(hits, 0);
    EXPECT_EQ(s.c.message, MSG_MISS);

    s.c.message = 0;
    s.mode(COCKPIT_GUNS); // guns and the camera do not fire here
    cockpit_fire(&s.c, &ahead, &s.p);
    EXPECT_EQ(s.c.message, 0);
    s.mode(COCKPIT_IR_MISSILE);
    cockpit_select(&s.c, -1);
    cockpit_fire(&s.c, &ahead, &s.p);
    EXPECT_EQ(s.c.message, MSG_NO_TARGET);
}

TEST(Cockpit, CameraTakesOnePhotoPerTarget) {
    scene s;
    int32_t big = s.add(0, 0, 1500, 100);   // 18 px, 1400 m away
    int32_t small = s.add(20, 0, 1500, 20); // 3 px: too small
    s.update();
    cockpit_select(&s.c, small);
    s.mode(COCKPIT_CAMERA);
    for (int i = 0; i < 10; i++) s.frame(SECOND);
    EXPECT_EQ(s.c.photo_taken + s.c.photo_hold, 0);
    cockpit_select(&s.c, big);
    s.frame(3 * HALF);
    s.move(big, -1500); // out of the frame: the hold starts again
    s.frame(HALF);
    s.move(big, 1500);
    s.frame(0); // paused: nothing held
    EXPECT_EQ(s.c.photo_hold, 0);
    for (int i = 0; i < 3; i++) s.frame(HALF);
    EXPECT_EQ(s.c.photo_taken, 0);
    s.frame(HALF);
    EXPECT_EQ(s.c.photo_taken, 1);
    EXPECT_EQ(s.c.message, MSG_PHOTO_TAKEN);
    EXPECT_EQ(s.c.flash_ms, 800);
    s.c.message = 0;
    for (int i = 0; i < 50; i++) s.frame(SECOND);
    EXPECT_EQ(s.c.message, 0); // no second photo of the same target
    EXPECT_LE(s.c.flash_ms, 0);
    s.mode(COCKPIT_BOMBS);
    s.mode(COCKPIT_CAMERA); // a mode change allows the next one
    for (int i = 0; i < 4; i++) s.frame(HALF);
    EXPECT_EQ(s.c.message, MSG_PHOTO_TAKEN);
    s.move(big, 2200); // 2100 m: beyond the camera's reach
    cockpit_select(&s.c, small);
    cockpit_select(&s.c, big);
    for (int i = 0; i < 10; i++) s.frame(SECOND);
    EXPECT_EQ(s.c.photo_taken, 0);
}

TEST(Cockpit, DrawsItsLayerInsideTheCanvas) {
    scene s;
    s.add(0, 0, 800, 30);
    s.add(0, 0, -800, 30, 1); // behind: an edge arrow once selected
    s.add(-150, 90, 300, 8);  // partly off the top-left corner
    s.update();
    cockpit_select(&s.c, 1);
    s.mode(COCKPIT_BOMBS);
    s.c.autopilot = s.c.autopilot_holding = 1;
    s.c.message = MSG_BOMB_AWAY;
    s.c.message_ms = 100;
    const uint8_t* col = HUD_COLORS.data();
    std::vector<uint8_t> bytes(320 * 200 + 2048, 0xA5);
    std::memset(bytes.data() + 1024, 0, 320 * 200);
    hud_canvas canvas{bytes.data() + 1024, 320, 200};
    auto count_in = [&](int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint8_t colour) {
        int n = 0;
        for (int32_t y = y0; y <= y1; y++)
            for (int32_t x = x0; x <= x1; x++) n += canvas.pixels[y * 320 + x] == colour;
        return n;
    };
    vec3 v = {0, 0, 40 * FIX16_ONE};
    cockpit_draw(&s.c, &canvas, s.targets, &v, &s.p, col, 1, 318, 198);
    EXPECT_EQ(std::count(bytes.begin(), bytes.begin() + 1024, 0xA5), 1024);
    EXPECT_EQ(std::count(bytes.end() - 1024, bytes.end(), 0xA5), 1024);
    EXPECT_GT(count_in(4, 4, 60, 12, col[HUD_NORMAL]), 10);          // "BOMBS"
    EXPECT_GT(count_in(280, 4, 315, 12, col[HUD_CALM]), 5);          // "x1"
    EXPECT_GT(count_in(160, 14, 315, 22, col[HUD_HIGHLIGHT]), 20);   // "AUTOPILOT: HOLDING"
    EXPECT_GT(count_in(100, 152, 220, 160, col[HUD_HIGHLIGHT]), 20); // the message
    EXPECT_GT(count_in(150, 180, 170, 199, col[HUD_LARGE]), 2);      // the arrow, below
    // Paused: "PAUSE" in place of the factor, blinking with the phase.
    s.c.warp_level = 0;
    for (int32_t phase : {0, 16}) {
        s.c.phase = phase;
        std::memset(canvas.pixels, 0, 320 * 200);
        cockpit_draw(&s.c, &canvas, s.targets, &v, &s.p, col, 0, 0, 0);
        EXPECT_GT(count_in(270, 4, 315, 12, phase ? col[HUD_HIGHLIGHT] : col[HUD_CALM]), 10);
    }
}

} // namespace
} // namespace vantrel
