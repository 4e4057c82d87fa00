// world_time: the one game clock (minutes since 2000-01-01 12:00 plus the fraction of the
// minute), its calendar date and its stardate.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/trig.h"

namespace vantrel {

struct world_time {
    uint32_t minutes;  // whole minutes since the epoch
    uint32_t fraction; // 16.16 seconds into the minute, always below 60.0
};

struct world_date {
    uint16_t year;
    uint8_t month; // 1..12
    uint8_t day;   // 1..31
    uint8_t hour;
    uint8_t minute;
};

constexpr uint32_t WORLD_MINUTE_FRACTION = 3932160; // 60 s in 16.16
// 14.06.2279 12:00, where every new game starts.
constexpr world_time WORLD_TIME_START = {146976480, 0};

extern world_time g_world_time;

void world_time_advance(world_time* time, uint32_t seconds_fix16);
void world_time_add_minutes(world_time* time, uint32_t minutes);
bangle world_time_phase(const world_time* time, uint32_t period_minutes, bangle phase);
world_date world_time_date(const world_time* time);
int32_t world_date_stardate10(const world_date* date);
// The stardate number as the clock shows it: "7797.2", "-29.8".
int world_stardate_format(int32_t stardate10, char* buf, size_t size);

} // namespace vantrel
