// Lock-on accumulation and resets; time-warp factors, limits, steps and step plans.
#include <gtest/gtest.h>

#include "flight/lockon.h"
#include "flight/time_warp.h"

namespace vantrel {
namespace {

constexpr fix16 HALF = FIX16_ONE / 2;

TEST(Lockon, AccumulatesWhileFramedAndLocksAtExactlyTheRequiredTime) {
    lockon_state s;
    lockon_state_init(&s);
    lockon_tick(&s, 3, 1, HALF);
    lockon_tick(&s, 3, 1, HALF);
    EXPECT_EQ(lockon_is_locked(&s, 3, LOCKON_IR_TIME), 0);
    lockon_tick(&s, 3, 1, HALF);
    EXPECT_EQ(s.time, 3 * HALF);
    EXPECT_EQ(lockon_is_locked(&s, 3, LOCKON_IR_TIME), 1);
    EXPECT_EQ(lockon_is_locked(&s, 2, LOCKON_IR_TIME), 0);
    EXPECT_EQ(lockon_is_locked(&s, 3, LOCKON_RADAR_TIME), 0);
}

TEST(Lockon, BreaksRestartTheClock) {
    lockon_state s;
    lockon_state_init(&s);
    lockon_tick(&s, 1, 1, FIX16_ONE);
    lockon_tick(&s, 1, 0, FIX16_ONE); // one frame out of the frame
    EXPECT_EQ(s.id, 1);
    EXPECT_EQ(s.time, 0);
    lockon_tick(&s, 1, 1, HALF);
    EXPECT_EQ(s.time, HALF);
    lockon_tick(&s, 2, 1, 1234); // another target starts at this frame's dt
    EXPECT_EQ(s.id, 2);
    EXPECT_EQ(s.time, 1234);
    lockon_state_init(&s);
    EXPECT_EQ(lockon_is_locked(&s, 0, 0), 1); // id 0 means none; a zero requirement holds
}

TEST(Lockon, ALongHeldLockDoesNotWrapAway) {
    lockon_state s{5, FIX16_MAX - 10};
    lockon_tick(&s, 5, 1, 2 * FIX16_ONE);
    EXPECT_EQ(s.time, FIX16_MAX);
    EXPECT_EQ(lockon_is_locked(&s, 5, LOCKON_RADAR_TIME), 1);
}

TEST(Lockon, RequiredTime) {
    EXPECT_EQ(lockon_required_time(3 * FIX16_ONE, 2 * FIX16_ONE), 3 * HALF);
    EXPECT_EQ(lockon_required_time(3 * FIX16_ONE, 0), 3 * FIX16_ONE);
    EXPECT_EQ(lockon_required_time(3 * FIX16_ONE, -FIX16_ONE), 3 * FIX16_ONE);
}

TEST(TimeWarp, FactorsClampTheLevel) {
    const int32_t expect[] = {0, 0, 1, 10, 100, 1000, 10000, 10000};
    for (int32_t level = -1; level <= 6; level++)
        EXPECT_EQ(time_warp_factor(level), expect[level + 1]) << level;
}

TEST(TimeWarp, LimitAtEveryBoundary) {
    EXPECT_EQ(time_warp_limit(0, 0), 2);
    EXPECT_EQ(time_warp_limit(1999, 0), 2);
    EXPECT_EQ(time_warp_limit(2000, 0), 3);
    EXPECT_EQ(time_warp_limit(19999, 0), 3);
    EXPECT_EQ(time_warp_limit(20000, 0), 4);
    EXPECT_EQ(time_warp_limit(199999, 0), 4);
    EXPECT_EQ(time_warp_limit(200000, 0), 5);
    EXPECT_EQ(time_warp_limit(0xFFFFFFFFu, 0), 5);
    for (uint32_t m : {0u, 1999u, 200000u, 0xFFFFFFFFu}) EXPECT_EQ(time_warp_limit(m, 1), 1);
}

TEST(TimeWarp, StepsStayInsideTheRange) {
    EXPECT_EQ(time_warp_step(5, +1, 5), 5);
    EXPECT_EQ(time_warp_step(0, -1, 5), 0);
    EXPECT_EQ(time_warp_step(2, +1, 5), 3);
    EXPECT_EQ(time_warp_step(2, -7, 5), 1); // one level whatever the size of dir
    EXPECT_EQ(time_warp_step(2, 0, 5), 2);
    EXPECT_EQ(time_warp_step(3, +1, 3), 3);
    EXPECT_EQ(time_warp_step(4, +1, 9), 5); // never above the top level
    EXPECT_EQ(time_warp_step(-4, 0, 5), 0);
    int32_t mag = 0;
    time_warp_step(1, -3, 5, &mag);
    EXPECT_EQ(mag, 3);
}

TEST(TimeWarp, PauseIsNeverLimited) {
    EXPECT_EQ(time_warp_apply_limit(0, 3), 0);
    EXPECT_EQ(time_warp_apply_limit(0, 1), 0);
    EXPECT_EQ(time_warp_apply_limit(4, 3), 3);
    EXPECT_EQ(time_warp_apply_limit(2, 3), 2);
    EXPECT_EQ(time_warp_apply_limit(3, 3), 3);
}

TEST(TimeWarp, PlanAtEveryLevel) {
    const fix16 tick = 1310;
    struct {
        int32_t level, steps;
        fix16 dt_linear, dt_angular;
    } cases[] = {
        {0, 0, 0, 0},          {1, 1, tick, tick},
        {2, 10, tick, tick},   {3, 16, 8187, tick}, // (1310 * 100) >> 4
        {4, 16, 81875, tick},                       // (1310 * 1000) >> 4
        {5, 16, 818750, tick},                      // (1310 * 10000) >> 4
        {9, 16, 818750, tick},                      // levels above the top run as the top
        {-2, 0, 0, 0},
    };
    for (auto& k : cases) {
        warp_plan p{-1, -1, -1};
        EXPECT_EQ(time_warp_plan(&p, k.level, tick), &p);
        EXPECT_EQ(p.steps, k.steps) << k.level;
        EXPECT_EQ(p.dt_linear, k.dt_linear) << k.level;
        EXPECT_EQ(p.dt_angular, k.dt_angular) << k.level;
    }
    // The longest frame (12 ticks) at x10000 still fits the 32-bit product; the whole
    // plan covers the frame's time times the factor within the truncation of the shift.
    warp_plan p;
    time_warp_plan(&p, 5, 12 * tick);
    EXPECT_EQ(p.dt_linear, (12 * tick * 10000) >> 4);
    EXPECT_LE(int64_t{12} * tick * 10000 - int64_t{p.steps} * p.dt_linear, 15);
}

} // namespace
} // namespace vantrel
