// Scripted scenery: spin rates, body orientation, the docking script and the pointer.
#include <gtest/gtest.h>
#include <vector>

#include "flight/scenery.h"

namespace vantrel {
namespace {

TEST(Scenery, StationTurnsFortyFiveDegreesPerSecond) {
    mat3 m = IDENTITY;
    for (int tick = 0; tick < 50; tick++) spin_step(&m, &STATION_SPIN_STEP);
    vec3 forward = mat3_column(&m, 2);
    EXPECT_NEAR(forward.x, 46341, 200); // sin 45 deg
    EXPECT_NEAR(forward.z, 46341, 200);
    EXPECT_NEAR(forward.y, 0, 4);
    // The decoys' steps keep their axes too.
    mat3 d1 = IDENTITY;
    for (int tick = 0; tick < 1000; tick++) spin_step(&d1, &DECOY1_SPIN_STEP);
    EXPECT_NEAR(mat3_column(&d1, 0).x, 65536, 4);
}

TEST(Scenery, SpinOrientation) {
    spin_record still = {0, 0, 0, 0};
    world_time t = {123456, 789};
    mat3 m;
    spin_orientation(&m, &still, &t);
    EXPECT_EQ(m, IDENTITY);

    spin_record quarter = {0, BANGLE_90, 0, 0}; // fixed at a quarter turn about Y
    spin_orientation(&m, &quarter, &t);
    EXPECT_EQ(m, (mat3{{0, 0, 65536, 0, 65536, 0, -65536, 0, 0}}));

    // The planet's axis leans 23.44 degrees towards +z and keeps leaning as it turns.
    for (uint32_t minute = 0; minute < 1436; minute += 97) {
        world_time when = {minute, 0};
        spin_orientation(&m, &EARTH_SPIN, &when);
        vec3 up = mat3_column(&m, 1);
        EXPECT_NEAR(up.y, 60127, 3) << minute; // cos 23.44 deg
        EXPECT_NEAR(up.z, 26071, 3) << minute; // sin 23.44 deg
    }
}

TEST(Scenery, DockingScript) {
    dock_scene s;
    dock_scene_objects(0, &s);
    // Ship 0 waits in its lane; ship 1 is docked (t = 10000); ship 2 is at t = 20000.
    EXPECT_EQ(s.ship_pos[0][0], fix32{1188} << 32);
    EXPECT_EQ(s.ship_pos[0][1], fix32{60} << 32);
    EXPECT_EQ(s.ship_pos[0][2], fix32{-40} << 32);
    EXPECT_EQ(s.ship_in_flight[0], 1);
    EXPECT_EQ(s.ship_remaining[0], 65536);
    EXPECT_EQ(s.ship_pos[1][0], fix32{482} << 32);
    EXPECT_EQ(s.ship_in_flight[1], 0);
    EXPECT_EQ(s.ship_remaining[1], 0);
    // At 10000 ms ship 1 asks for 1 - 700/1200 of the bay.
    EXPECT_EQ(s.door_opening, 65536 - fix16_div(700, 1200));
    EXPECT_EQ(s.door_pos[1][2], fix32{25} * s.door_opening << 16);

    dock_scene_objects(4500, &s); // halfway in: u = 0.5, q = 0.25
    EXPECT_EQ(s.ship_remaining[0], 32768);
    EXPECT_EQ(s.ship_pos[0][0], (fix32{482} << 32) + (fix32{706} * 16384 << 16));
    EXPECT_EQ(s.ship_pos[0][2], fix32{-10} << 32);

    dock_scene_objects(9000, &s); // ship 0 docks with the bay wide open
    EXPECT_EQ(s.ship_in_flight[0], 0);
    EXPECT_EQ(s.door_opening, 65536);
    EXPECT_EQ(s.door_pos[0][2], fix32{-50} << 32);
    EXPECT_EQ(s.door_pos[1][2], fix32{25} << 32);

    dock_scene_objects(2000, &s); // nobody near the bay: doors shut
    EXPECT_EQ(s.door_opening, 0);
    dock_scene_objects(16000, &s);
    EXPECT_EQ(s.mover_pos[2], fix32{0} << 32); // halfway along its 32 s pass
    dock_scene_objects(0xFFFFFFFFu, &s);       // no overflow at the end of the clock
    EXPECT_LE(s.door_opening, 65536);
}

TEST(Scenery, ArrowPointerIsClippedToTheFrame) {
    const int w = 16, h = 12;
    std::vector<uint8_t> buf(w * h + 32, 0xCC);
    uint8_t* frame = buf.data() + 16;
    std::fill(frame, frame + w * h, 0);
    draw_arrow_pointer(frame, w, h, 0, 0);
    EXPECT_EQ(frame[0], 1);
    EXPECT_EQ(frame[3 * w + 1], 255);
    EXPECT_EQ(frame[7 * w + 6], 1);
    for (int x : {-20, -3, 12, 15, 40})
        for (int y : {-20, -5, 8, 11, 40}) draw_arrow_pointer(frame, w, h, x, y);
    for (int i = 0; i < 16; i++) {
        EXPECT_EQ(buf[i], 0xCC);
        EXPECT_EQ(buf[16 + w * h + i], 0xCC);
    }
}

} // namespace
} // namespace vantrel
