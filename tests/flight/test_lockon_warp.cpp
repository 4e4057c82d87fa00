// Lock-on accumulation and resets; time-warp factors, limits, steps and step plans.
#include <gtest/gtest.h>

#include "flight/lockon.h"
#include "flight/time_warp.h"

namespace vantrel {
namespace {

constexpr fix16 HALF = FIX16_ONE / 2;

TEST(Lockon, AccumulatesWhileFramedAndRestartsOnEveryBreak) {
    lockon_state s;
    lockon_state_init(&s);
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(lockon_is_locked(&s, 3, LOCKON_IR_TIME), 0);
        lockon_tick(&s, 3, 1, HALF);
    }
    EXPECT_EQ(lockon_is_locked(&s, 3, LOCKON_IR_TIME), 1); // 1.5 s is enough: >=, not >
    EXPECT_EQ(lockon_is_locked(&s, 2, LOCKON_IR_TIME), 0);
    EXPECT_EQ(lockon_is_locked(&s, 3, LOCKON_RADAR_TIME), 0);
    lockon_tick(&s, 3, 0, HALF); // one frame out of the frame
    EXPECT_EQ(s.id, 3);
    EXPECT_EQ(s.time, 0);
    lockon_tick(&s, 3, 1, HALF);
    lockon_tick(&s, 4, 1, 1234); // another target starts at this frame's dt
    EXPECT_EQ(s.id, 4);
    EXPECT_EQ(s.time, 1234);
    // Held for hours under time warp the time saturates instead of wrapping negative.
    s = lockon_state{5, FIX16_MAX - 10};
    lockon_tick(&s, 5, 1, 2 * FIX16_ONE);
    EXPECT_EQ(lockon_is_locked(&s, 5, LOCKON_RADAR_TIME), 1);
    EXPECT_EQ(lockon_required_time(3 * FIX16_ONE, 2 * FIX16_ONE), 3 * HALF);
    EXPECT_EQ(lockon_required_time(3 * FIX16_ONE, 0), 3 * FIX16_ONE);
}

TEST(TimeWarp, FactorsLimitsAndSteps) {
    const int32_t factor[] = {0, 0, 1, 10, 100, 1000, 10000, 10000};
    for (int32_t level = -1; level <= 6; level++)
        EXPECT_EQ(time_warp_factor(level), factor[level + 1]) << level;

    const uint32_t metres[] = {0, 1999, 2000, 19999, 20000, 199999, 200000, 0xFFFFFFFFu};
    const int32_t limit[] = {2, 2, 3, 3, 4, 4, 5, 5};
    for (int i = 0; i < 8; i++) {
        EXPECT_EQ(time_warp_limit(metres[i], 0), limit[i]) << metres[i];
        EXPECT_EQ(time_warp_limit(metres[i], 1), 1);
    }

    EXPECT_EQ(time_warp_step(5, +1, 5), 5);
    EXPECT_EQ(time_warp_step(0, -1, 5), 0);
    EXPECT_EQ(time_warp_step(2, -7, 5), 1); // one level whatever the size of dir
    EXPECT_EQ(time_warp_step(2, 0, 5), 2);
    EXPECT_EQ(time_warp_step(3, +1, 3), 3);
    EXPECT_EQ(time_warp_step(4, +1, 9), 5); // never above the top level
    int32_t magnitude = 0;
    time_warp_step(1, -3, 5, &magnitude);
    EXPECT_EQ(magnitude, 3);

    EXPECT_EQ(time_warp_apply_limit(0, 1), 0); // a pause stays a pause
    EXPECT_EQ(time_warp_apply_limit(4, 3), 3);
    EXPECT_EQ(time_warp_apply_limit(2, 3), 2);
}

TEST(TimeWarp, PlanAtEveryLevel) {
    const fix16 tick = 1310;
    struct {
        int32_t level, steps;
        fix16 dt_linear, dt_angular;
    } cases[] = {
        {0, 0, 0, 0},          {1, 1, tick, tick},
        {2, 10, tick, tick},   {3, 16, 8187, tick}, // (1310 * 100) >> 4
        {4, 16, 81875, tick},  {5, 16, 818750, tick},
        {9, 16, 818750, tick}, {-2, 0, 0, 0},
    };
    for (auto& k : cases) {
        warp_plan p{-1, -1, -1};
        time_warp_plan(&p, k.level, tick);
        EXPECT_EQ(p.steps, k.steps) << k.level;
        EXPECT_EQ(p.dt_linear, k.dt_linear) << k.level;
        EXPECT_EQ(p.dt_angular, k.dt_angular) << k.level;
    }
    // The longest frame (12 ticks) at x10000 still fits the 32-bit product.
    warp_plan p;
    time_warp_plan(&p, 5, 12 * tick);
    EXPECT_EQ(p.dt_linear, (12 * tick * 10000) >> 4);
}

} // namespace
} // namespace vantrel
