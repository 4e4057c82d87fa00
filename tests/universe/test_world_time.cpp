// The game clock: carries, calendar boundaries, leap days, stardates and cycle phases.
#include <gtest/gtest.h>
#include <string>

#include "universe/world_time.h"

namespace vantrel {
namespace {

std::string date_text(uint32_t minutes) {
    world_time t = {minutes, 0};
    world_date d = world_time_date(&t);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d.%02d.%04d %02d:%02d", d.day, d.month, d.year, d.hour,
                  d.minute);
    return buf;
}

// Minutes since the epoch of midnight on a civil date, counted by whole days.
uint32_t minutes_at(int year, int month, int day) {
    auto days_from_civil = [](int y, int m, int d) {
        y -= m <= 2;
        int era = (y >= 0 ? y : y - 399) / 400;
        int yoe = y - era * 400;
        int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
        int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
        return era * 146097 + doe - 719468;
    };
    int days = days_from_civil(year, month, day) - days_from_civil(2000, 1, 1);
    return static_cast<uint32_t>(days) * 1440u - 720u;
}

std::string stardate_text(int year, int month, int day, int hour, int minute) {
    world_date d = {static_cast<uint16_t>(year), static_cast<uint8_t>(month),
                    static_cast<uint8_t>(day), static_cast<uint8_t>(hour),
                    static_cast<uint8_t>(minute)};
    char buf[16];
    world_stardate_format(world_date_stardate10(&d), buf, sizeof buf);
    return buf;
}

TEST(WorldTime, AdvanceCarriesWholeMinutes) {
    world_time t = {10, 0};
    world_time_advance(&t, 59 * 65536 + 32768);
    EXPECT_EQ(t.minutes, 10u);
    world_time_advance(&t, 65536);
    EXPECT_EQ(t.minutes, 11u);
    EXPECT_EQ(t.fraction, 32768u);
    world_time_advance(&t, 180 * 65536);
    EXPECT_EQ(t.minutes, 14u);
    EXPECT_EQ(t.fraction, 32768u);
    world_time_advance(&t, 0xFFFFFFFFu); // a huge step still carries exactly
    EXPECT_EQ(t.minutes, 14u + (32768ull + 0xFFFFFFFFull) / WORLD_MINUTE_FRACTION);
    EXPECT_LT(t.fraction, WORLD_MINUTE_FRACTION);
    world_time_add_minutes(&t, 5);
    EXPECT_LT(t.fraction, WORLD_MINUTE_FRACTION);
}

TEST(WorldTime, CalendarBoundaries) {
    EXPECT_EQ(date_text(0), "01.01.2000 12:00");
    EXPECT_EQ(date_text(720), "02.01.2000 00:00");
    EXPECT_EQ(date_text(146976480), "14.06.2279 12:00");
    EXPECT_EQ(date_text(0x7FFFFD00u), "23.01.6083 01:20");
    EXPECT_EQ(date_text(0xFFFFFFFFu), "23.01.6083 01:20");
    EXPECT_EQ(date_text(minutes_at(2000, 2, 29)), "29.02.2000 00:00");
    EXPECT_EQ(date_text(minutes_at(2400, 2, 29)), "29.02.2400 00:00");
    EXPECT_EQ(date_text(minutes_at(2100, 2, 28) + 1440), "01.03.2100 00:00");
    // Every day for 1200 years lands where the proleptic Gregorian calendar says.
    for (int y = 2000; y < 3200; y += 7)
        for (int m = 1; m <= 12; m++) {
            char want[32];
            std::snprintf(want, sizeof want, "%02d.%02d.%04d 00:00", 28, m, y);
            ASSERT_EQ(date_text(minutes_at(y, m, 28)), want);
        }
}

TEST(WorldTime, Stardates) {
    EXPECT_EQ(stardate_text(2272, 12, 31, 23, 59), "7410.1");
    EXPECT_EQ(stardate_text(2273, 1, 1, 0, 0), "7410.2");
    EXPECT_EQ(stardate_text(2149, 1, 1, 0, 0), "-29.8");
    world_date start = world_time_date(&WORLD_TIME_START);
    EXPECT_EQ(world_date_stardate10(&start), 77972);
    world_date odd = {2280, 13, 5, 0, 0}; // a month outside 1..12 only counts the day
    EXPECT_EQ(world_date_stardate10(&odd), (2280 - 2273) * 600 + 74102 + (4 * 1440 * 600) / 527040);
}

TEST(WorldTime, PhaseTurnsWithThePeriod) {
    world_time t = {0, 0};
    EXPECT_EQ(world_time_phase(&t, 0, 1234u), 1234u);
    t.minutes = 360;
    EXPECT_EQ(world_time_phase(&t, 1440, 0), 0x40000000u);
    t.minutes = 1440 + 720;
    EXPECT_EQ(world_time_phase(&t, 1440, 0x40000000u), 0xC0000000u);
    t = {0, WORLD_MINUTE_FRACTION / 2}; // half a minute of a two-minute cycle
    EXPECT_EQ(world_time_phase(&t, 2, 0), 0x40000000u);
}

} // namespace
} // namespace vantrel
