// time_warp: levels, limits and step plans.
#include "flight/time_warp.h"

namespace vantrel {

int32_t time_warp_factor(int32_t level) {
    if (level < 0) level = 0;
    if (level > TIME_WARP_MAX_LEVEL) level = TIME_WARP_MAX_LEVEL;
    return TIME_WARP_FACTOR[static_cast<size_t>(level)];
}

int32_t time_warp_limit(uint32_t nearest_m, int32_t near_large) {
    if (near_large) return 1;
    if (nearest_m < 2000) return 2;
    if (nearest_m < 20000) return 3;
    if (nearest_m < 200000) return 4;
    return 5;
}

int32_t time_warp_step(int32_t level, int32_t dir, int32_t max, int32_t* magnitude) {
    int64_t next = level;
    if (dir > 0) next++;
    if (dir < 0) next--;
    if (next < 0) next = 0;
    int64_t top = max < TIME_WARP_MAX_LEVEL ? max : TIME_WARP_MAX_LEVEL;
    if (next > top) next = top;
    if (magnitude)
        *magnitude = dir < 0 ? static_cast<int32_t>(0u - static_cast<uint32_t>(dir)) : dir;
    return static_cast<int32_t>(next);
}

int32_t time_warp_apply_limit(int32_t level, int32_t limit) {
    if (level == 0) return 0;
    return level < limit ? level : limit;
}

warp_plan* time_warp_plan(warp_plan* plan, int32_t level, fix16 frame_dt) {
    int32_t f = time_warp_factor(level);
    if (f == 0) {
        *plan = warp_plan{0, 0, 0};
        return plan;
    }
    if (f <= TIME_WARP_MAX_STEPS) {
        plan->steps = f;
        plan->dt_linear = frame_dt;
    } else {
        // The product is 32 bits, as the step length has always been computed.
        uint32_t product = static_cast<uint32_t>(frame_dt) * static_cast<uint32_t>(f);
        plan->steps = TIME_WARP_MAX_STEPS;
        plan->dt_linear = static_cast<int32_t>(product) >> 4;
    }
    plan->dt_angular = frame_dt;
    return plan;
}

} // namespace vantrel
