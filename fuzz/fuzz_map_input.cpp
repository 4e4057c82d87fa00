// The map screen under random input: keys, held keys, mouse, buttons and frame times of 0 to
// 5000 ms through map_key, map_update and map_draw, on the built neighbourhood. Nothing may
// write outside the frame or wrap a number; the views stay within their limits.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "maps/map_screen.h"
#include "platform/files.h"

using namespace vantrel;

namespace {

constexpr int W = 320, H = 256;

map_state* loaded_map() {
    static map_state map;
    static bool tried = false;
    if (!tried) {
        tried = true;
        const char* dir = std::getenv("VANTREL_FUZZ_GAME_DIR");
        progdir_set(dir ? dir : "build/game");
        world_time t = WORLD_TIME_START;
        if (!map_init(&map, 256, &t)) std::abort(); // the harness needs the built catalog
    }
    return &map;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    map_state* map = loaded_map();
    static uint8_t frame[W * H];
    world_time t = WORLD_TIME_START;
    for (size_t at = 0; at + 8 <= size; at += 8) {
        const uint8_t* b = data + at;
        map_key(map, b[0] & 0x7F, 256);
        uint8_t held[128] = {};
        held[b[1] & 0x7F] = 1;
        present_input in{};
        in.drag_dx = int8_t(b[2]) * 4;
        in.drag_dy = int8_t(b[3]) * 4;
        in.rmb = b[4] & 1;
        in.lmb = (b[4] >> 1) & 1;
        in.mouse_x = b[5] * 2 - 100;
        in.mouse_y = b[6] * 2 - 100;
        int32_t dt = int32_t((b[7] * 5000) / 255);
        map_update_held(map, held, &in, in.mouse_x, in.mouse_y, dt);
        t.minutes += uint32_t(b[7]) * 997u;
        map_draw(map, frame, W, H, &t, b[0] & 1 ? "x1" : nullptr);
        if (map->sys.zoom < 1 || map->star.zoom < FIX16_ONE || map->sys.zoom > MAP_MAX_ZOOM ||
            map->star.zoom > MAP_MAX_ZOOM)
            std::abort();
        int32_t limit = int32_t(bangle_from_deg(89));
        if (int32_t(map->sys.pitch) > limit || int32_t(map->sys.pitch) < -limit) std::abort();
    }
    return 0;
}
