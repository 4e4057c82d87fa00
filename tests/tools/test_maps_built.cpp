// The map state over the built neighbourhood: the key table, and turning and zooming under the
// longest frames and drags, which must clamp instead of wrapping.
#include <gtest/gtest.h>

#include "maps/map_screen.h"
#include "platform/files.h"

namespace vantrel {
namespace {

TEST(MapState, KeysAndClampsUnderLongFrames) {
    progdir_set(VANTREL_GAME_DIR);
    static map_state m;
    world_time t = WORLD_TIME_START;
    ASSERT_TRUE(map_init(&m, 256, &t));
    EXPECT_FALSE(map_key(&m, 0x23, 256)); // F with nothing selected is not used
    EXPECT_TRUE(map_key(&m, 0x42, 256));  // Tab: Mercury
    EXPECT_EQ(m.sys.selected, 1);
    EXPECT_TRUE(map_key(&m, 0x21, 256)); // S: the real scale
    EXPECT_EQ(m.sys.scale_mode, 1);
    EXPECT_FALSE(map_key(&m, 0x44, 256)); // Return means nothing on the system map
    uint8_t held[128] = {};
    held[0x0C] = 1; // zoom in for 5 s frames, long past 30000.0
    present_input in{};
    in.rmb = 1;
    in.drag_dx = 30000;
    in.drag_dy = 30000;
    for (int i = 0; i < 20; i++) map_update_held(&m, held, &in, 0, 0, 5000);
    EXPECT_EQ(m.sys.zoom, MAP_MAX_ZOOM);
    EXPECT_EQ(int32_t(m.sys.pitch), int32_t(bangle_from_deg(89)));
    held[0x0C] = 0;
    held[0x0B] = 1; // and out again, to the minimum and never below
    for (int i = 0; i < 20; i++) map_update_held(&m, held, &in, 0, 0, 5000);
    EXPECT_EQ(m.sys.zoom, m.sys.fit_zoom / 8);
    EXPECT_TRUE(map_key(&m, 0x36, 256)); // N: the star map
    EXPECT_TRUE(m.star_map);
    for (int i = 0; i < 20; i++) map_update_held(&m, held, &in, 0, 0, 5000);
    EXPECT_EQ(m.star.zoom, FIX16_ONE);
}

} // namespace
} // namespace vantrel
