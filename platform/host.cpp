// host: the real-time clock record and the run-time choice of clock.
#include "platform/host.h"

#include <ctime>

namespace vantrel {

namespace {

uint64_t real_counter_us() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint64_t>(ts.tv_sec) * 1000000u + static_cast<uint64_t>(ts.tv_nsec) / 1000u;
}

// PAL frames: the vertical blank comes every 20 ms of the monotonic clock.
void real_wait_vblank() {
    constexpr uint64_t FRAME_NS = 20000000;
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    uint64_t ns =
        static_cast<uint64_t>(now.tv_sec) * 1000000000u + static_cast<uint64_t>(now.tv_nsec);
    uint64_t next = (ns / FRAME_NS + 1) * FRAME_NS;
    timespec until = {static_cast<time_t>(next / 1000000000u),
                      static_cast<long>(next % 1000000000u)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) != 0) {
    }
}

void real_date_stamp(amiga_datestamp* out) {
    timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    time_t secs = ts.tv_sec;
    tm local;
    localtime_r(&secs, &local);
    // Days from 1978-01-01 to the local date, through the date's own Unix day number.
    tm midnight = local;
    midnight.tm_hour = 12;
    midnight.tm_min = midnight.tm_sec = 0;
    time_t noon = timegm(&midnight);
    out->days = static_cast<int32_t>(noon / 86400 - 2922);
    out->minute = local.tm_hour * 60 + local.tm_min;
    out->tick = local.tm_sec * 50 + static_cast<int32_t>(ts.tv_nsec / 20000000);
}

void real_frame_end() {}

const host_clock* g_clock = &HOST_CLOCK_REAL;

} // namespace

const host_clock HOST_CLOCK_REAL = {"real",          real_counter_us, real_wait_vblank,
                                    real_date_stamp, real_frame_end,  false};

void virtual_date_stamp_at(uint64_t us, amiga_datestamp* out) {
    uint64_t ticks = us / 20000;
    uint64_t minutes = VIRTUAL_START_MINUTE + ticks / 3000;
    out->days = VIRTUAL_START_DAYS + static_cast<int32_t>(minutes / 1440);
    out->minute = static_cast<int32_t>(minutes % 1440);
    out->tick = static_cast<int32_t>(ticks % 3000);
}

void host_clock_select(const host_clock* clock) {
    g_clock = clock ? clock : &HOST_CLOCK_REAL;
}

const host_clock* host_clock_current() {
    return g_clock;
}

void amiga_date_stamp(amiga_datestamp* out) {
    g_clock->date_stamp(out);
}

void amiga_wait_tof() {
    g_clock->wait_vblank();
}

} // namespace vantrel
