// world_time: clock arithmetic, the Gregorian calendar and the stardate.
#include "universe/world_time.h"

#include <cstdio>

namespace vantrel {

world_time g_world_time = WORLD_TIME_START;

void world_time_advance(world_time* time, uint32_t seconds_fix16) {
    // Summed in 64 bits so that even a huge step cannot wrap the fraction.
    uint64_t fraction = static_cast<uint64_t>(time->fraction) + seconds_fix16;
    if (fraction >= WORLD_MINUTE_FRACTION) {
        time->minutes += static_cast<uint32_t>(fraction / WORLD_MINUTE_FRACTION);
        fraction %= WORLD_MINUTE_FRACTION;
    }
    time->fraction = static_cast<uint32_t>(fraction);
}

void world_time_add_minutes(world_time* time, uint32_t minutes) {
    time->minutes += minutes;
}

bangle world_time_phase(const world_time* time, uint32_t period_minutes, bangle phase) {
    if (period_minutes == 0) return phase;
    uint64_t r = time->minutes % period_minutes;
    uint32_t whole = static_cast<uint32_t>((r << 32) / period_minutes);
    // The fraction of the minute as a 0.32 value, spread over the period.
    uint64_t fraction =
        time->fraction < WORLD_MINUTE_FRACTION ? time->fraction : WORLD_MINUTE_FRACTION - 1;
    uint32_t f = static_cast<uint32_t>((fraction << 32) / WORLD_MINUTE_FRACTION);
    return phase + whole + f / period_minutes;
}

world_date world_time_date(const world_time* time) {
    // Minute 0 is noon: 720 minutes move the day boundary to midnight. Beyond 0x7FFFFD00
    // every time shows the same date.
    uint32_t t = (time->minutes < 0x7FFFFD00u ? time->minutes : 0x7FFFFD00u) + 720u;
    int64_t day_number = t / 1440u;
    uint32_t minute_of_day = t % 1440u;
    // Civil date in 400-year cycles counted from 1 March 2000, so that the leap day ends
    // each cycle year; January and February belong to the year after.
    int64_t z = day_number - 60;
    int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    int64_t doe = z - era * 146097;
    int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    int64_t mp = (5 * doy + 2) / 153;
    int64_t day = doy - (153 * mp + 2) / 5 + 1;
    int64_t month = mp < 10 ? mp + 3 : mp - 9;
    int64_t year = yoe + era * 400 + 2000 + (month <= 2 ? 1 : 0);
    world_date d;
    d.year = static_cast<uint16_t>(year);
    d.month = static_cast<uint8_t>(month);
    d.day = static_cast<uint8_t>(day);
    d.hour = static_cast<uint8_t>(minute_of_day / 60u);
    d.minute = static_cast<uint8_t>(minute_of_day % 60u);
    return d;
}

int32_t world_date_stardate10(const world_date* date) {
    static constexpr int32_t DAYS_BEFORE_MONTH[12] = {0,   31,  59,  90,  120, 151,
                                                      181, 212, 243, 273, 304, 334};
    int32_t year = date->year;
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    int32_t day_of_year = date->day - 1;
    if (date->month >= 1 && date->month <= 12) {
        day_of_year += DAYS_BEFORE_MONTH[date->month - 1];
        if (leap && date->month > 2) day_of_year++;
    }
    int32_t m = day_of_year * 1440 + date->hour * 60 + date->minute;
    // A year spans 60.0 units; 1 January 2273 00:00 is 7410.2.
    return (year - 2273) * 600 + 74102 + (m * 600) / (leap ? 527040 : 525600);
}

int world_stardate_format(int32_t stardate10, char* buf, size_t size) {
    uint32_t magnitude =
        stardate10 < 0 ? 0u - static_cast<uint32_t>(stardate10) : static_cast<uint32_t>(stardate10);
    return std::snprintf(buf, size, "%s%ld.%ld", stardate10 < 0 ? "-" : "",
                         static_cast<long>(magnitude / 10u), static_cast<long>(magnitude % 10u));
}

} // namespace vantrel
