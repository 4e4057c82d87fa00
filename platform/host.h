// host: the machine's clocks behind the platform layer, one record chosen at run time.
//
// The window back end runs on the real monotonic clock; the headless back end installs a
// virtual clock that moves exactly 20 ms each time a frame ends, so its runs repeat.
#pragma once

#include <cstdint>

namespace vantrel {

// The system date stamp: days since 1978-01-01, minutes past midnight, ticks of 1/50 s.
struct amiga_datestamp {
    int32_t days;
    int32_t minute;
    int32_t tick;
};

struct host_clock {
    const char* name;
    uint64_t (*counter_us)();                 // monotonic microseconds, never decreasing
    void (*wait_vblank)();                    // until the next 50 Hz frame boundary
    void (*date_stamp)(amiga_datestamp* out); // the system date and time of day
    void (*frame_end)();                      // one call per frame, from frame_cap_wait
    bool virtual_time;                        // the counter and date move only when a frame ends
};

// The virtual clock's first date stamp: 1 October 2026, noon.
constexpr int32_t VIRTUAL_START_DAYS = 17805;
constexpr int32_t VIRTUAL_START_MINUTE = 12 * 60;
// The date stamp of a virtual clock that has run for us microseconds.
void virtual_date_stamp_at(uint64_t us, amiga_datestamp* out);

// The real-time clock over CLOCK_MONOTONIC and the local time of day.
extern const host_clock HOST_CLOCK_REAL;

void host_clock_select(const host_clock* clock);
const host_clock* host_clock_current();

void amiga_date_stamp(amiga_datestamp* out);
void amiga_wait_tof();

} // namespace vantrel
