// scenery: spin steps, body orientation, the docking script and the arrow pointer.
#include "flight/scenery.h"

#include "universe/orbit.h"

namespace vantrel {

namespace {

mat3_2_30 rotation_y(bangle a) {
    fix2_30 c = trig_cos(a), s = trig_sin(a);
    return mat3_2_30{{c, 0, s, 0, FIX2_30_ONE, 0, -s, 0, c}};
}

mat3_2_30 rotation_x(bangle a) {
    fix2_30 c = trig_cos(a), s = trig_sin(a);
    return mat3_2_30{{FIX2_30_ONE, 0, 0, 0, c, -s, 0, s, c}};
}

fix32 metres(fix16 m) {
    return static_cast<fix32>(m) << 16;
}

fix16 ratio(uint32_t num, uint32_t den) {
    return fix16_div(static_cast<fix16>(num), static_cast<fix16>(den));
}

// The bay opening one ship asks for at time t of its 30 s script.
fix16 door_request(uint32_t t) {
    if (t < 9000) {
        if (t <= 2600) return 0;
        fix16 o = ratio(t - 2600, 1200);
        return o > FIX16_ONE ? FIX16_ONE : o;
    }
    if (t <= 9300) return FIX16_ONE;
    if (t < 10500) return FIX16_ONE - ratio(t - 9300, 1200);
    return 0;
}

constexpr const char* ARROW[11] = {"X",       "XX",      "X.X", "X..X", "X...X", "X....X",
                                   "X.....X", "X..XXXX", "X.X", "XX",   "X"};

} // namespace

void spin_step(mat3* orientation, const mat3* step) {
    mat3_mul(orientation, orientation, step);
    mat3_orthonormalize(orientation, orientation);
}

void spin_orientation(mat3* out, const spin_record* spin, const world_time* time) {
    bangle angle =
        spin->period != 0 ? world_time_phase(time, spin->period, spin->phase) : spin->phase;
    mat3_2_30 direction = rotation_y(spin->tilt_direction);
    mat3_2_30 tilt = rotation_x(spin->tilt);
    mat3_2_30 turn = rotation_y(angle);
    mat3_2_30 m;
    mul33(&direction, &tilt, &m);
    mul33(&m, &turn, &m);
    for (int i = 0; i < 9; i++) out->m[i] = m.m[i] >> 14;
}

void dock_scene_objects(uint32_t time_ms, dock_scene* out) {
    static constexpr fix16 LANE_Z[DOCK_SHIPS] = {-40 * FIX16_ONE, 0, 40 * FIX16_ONE};
    fix16 opening = 0;
    for (int k = 0; k < DOCK_SHIPS; k++) {
        uint32_t t = static_cast<uint32_t>((static_cast<uint64_t>(time_ms) + 10000u * k) % 30000u);
        fix16 x, y, z, remaining;
        if (t < 9000) {
            // Eases in along a parabola from the waiting point to the docking berth.
            remaining = FIX16_ONE - ratio(t, 9000);
            fix16 q = fix16_mul(remaining, remaining);
            x = 482 * FIX16_ONE + 706 * q;
            y = -11 * FIX16_ONE + 71 * q;
            z = fix16_mul(LANE_Z[k], q);
        } else {
            remaining = 0;
            x = 482 * FIX16_ONE;
            y = -11 * FIX16_ONE;
            z = 0;
        }
        out->ship_pos[k][0] = metres(x);
        out->ship_pos[k][1] = metres(y);
        out->ship_pos[k][2] = metres(z);
        out->ship_in_flight[k] = t < 9000;
        out->ship_remaining[k] = remaining;
        fix16 asked = door_request(t);
        if (asked > opening) opening = asked;
    }
    out->door_opening = opening;
    fix16 slide = 25 * opening;
    const fix16 door_z[2] = {-25 * FIX16_ONE - slide, slide};
    for (int d = 0; d < 2; d++) {
        out->door_pos[d][0] = metres(510 * FIX16_ONE);
        out->door_pos[d][1] = 0;
        out->door_pos[d][2] = metres(door_z[d]);
    }
    fix16 s = ratio(time_ms % 32000u, 32000);
    out->mover_pos[0] = metres(760 * FIX16_ONE);
    out->mover_pos[1] = metres(-80 * FIX16_ONE);
    out->mover_pos[2] = metres(200 * s - 100 * FIX16_ONE);
}

void draw_arrow_pointer(uint8_t* frame, int stride, int height, int x, int y) {
    for (int row = 0; row < 11; row++) {
        int py = y + row;
        if (py < 0 || py >= height) continue;
        for (int col = 0; ARROW[row][col] != '\0'; col++) {
            int px = x + col;
            char c = ARROW[row][col];
            if (px < 0 || px >= stride || c == ' ') continue;
            frame[py * stride + px] = c == 'X' ? 1 : 255;
        }
    }
}

} // namespace vantrel
