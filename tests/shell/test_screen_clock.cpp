// The date line in the corner of the flight and map screens.
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "render/text.h"
#include "shell/services.h"

namespace vantrel {
namespace {

constexpr int W = 320, H = 64;

std::vector<uint8_t> expected(const std::string& left, const std::string& right) {
    std::vector<uint8_t> f(W * H, 0);
    text_draw_shadow(f.data(), W, H, 4, 4, left.c_str(), 155, 163);
    if (!right.empty())
        text_draw_shadow(f.data(), W, H, W - 4 - text_width(right.c_str()), 4, right.c_str(), 156,
                         163);
    return f;
}

std::vector<uint8_t> drawn(const world_time& t, const char* rate) {
    std::vector<uint8_t> f(W * H, 0);
    screen_clock(f.data(), W, H, &t, rate);
    return f;
}

TEST(ScreenClock, DateAndTimeWithTheRateRightAligned) {
    world_time t = WORLD_TIME_START;
    world_time_add_minutes(&t, 6 * 60 + 5);
    EXPECT_EQ(drawn(t, nullptr), expected("14.06.2279 18:05", ""));
    EXPECT_EQ(drawn(t, "x100"), expected("14.06.2279 18:05", "time: x100"));
}

TEST(ScreenClock, EighthOfSeptemberShowsTheStardate) {
    world_time t = WORLD_TIME_START;
    world_date d = world_time_date(&t);
    for (int days = 0; days < 400 && !(d.month == 9 && d.day == 8); days++) {
        world_time_add_minutes(&t, 24 * 60);
        d = world_time_date(&t);
    }
    ASSERT_TRUE(d.month == 9 && d.day == 8);
    char number[32];
    world_stardate_format(world_date_stardate10(&d), number, sizeof number);
    EXPECT_EQ(drawn(t, nullptr), expected(std::string("stardate ") + number, ""));
    // The day after is a plain date again.
    world_time_add_minutes(&t, 24 * 60);
    EXPECT_EQ(drawn(t, nullptr), expected("09.09.2279 12:00", ""));
}

} // namespace
} // namespace vantrel
