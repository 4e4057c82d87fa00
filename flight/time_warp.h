// time_warp: warp levels, their limit near objects and the per-frame plan of physics steps.
//
// Levels 0..5 run time at x0 (pause), x1, x10, x100, x1000 and x10000. Up to x10 the frame
// is split into that many real-length steps; beyond, 16 longer steps carry the motion while
// rotation still advances by the real frame time per step.
#pragma once

#include <array>
#include <cstdint>

#include "core/fixmath.h"

namespace vantrel {

constexpr int32_t TIME_WARP_MAX_LEVEL = 5;
constexpr std::array<int32_t, 6> TIME_WARP_FACTOR = {0, 1, 10, 100, 1000, 10000};
// No plan runs more integrator steps than this in one frame.
constexpr int32_t TIME_WARP_MAX_STEPS = 16;

struct warp_plan {
    int32_t steps;
    fix16 dt_linear;
    fix16 dt_angular;
};

int32_t time_warp_factor(int32_t level);
// The highest level allowed with the nearest surface nearest_m whole metres away
// (0xFFFFFFFF: nothing near); 1 while near a large object.
int32_t time_warp_limit(uint32_t nearest_m, int32_t near_large);
// One level up (dir > 0) or down (dir < 0), kept within 0 .. min(max, 5). When magnitude is
// given it receives |dir|.
int32_t time_warp_step(int32_t level, int32_t dir, int32_t max, int32_t* magnitude = nullptr);
// A pause stays a pause; any other level is capped at the limit.
int32_t time_warp_apply_limit(int32_t level, int32_t limit);
warp_plan* time_warp_plan(warp_plan* plan, int32_t level, fix16 frame_dt);

} // namespace vantrel
