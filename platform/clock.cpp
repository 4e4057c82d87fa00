// clock: the game's microsecond clock over the timer, the frame-rate cap and date-stamp
// arithmetic.
#include "platform/clock.h"

#include <climits>

#include "platform/prof_amiga.h"

namespace vantrel {

int g_eclock_ok = 0;

namespace {

struct clock_state {
    bool primed;
    uint64_t last_ticks;
    uint32_t total_us;
    uint64_t remainder;
};
clock_state g_clock_us = {false, 0, 0, 0};

} // namespace

uint32_t clock_us() {
    if (!g_eclock_ok) {
        amiga_datestamp ds;
        amiga_date_stamp(&ds);
        uint32_t ms =
            static_cast<uint32_t>(ds.tick) * 20u + static_cast<uint32_t>(ds.minute) * 60000u;
        return ms * 1000u;
    }
    uint64_t now = prof_now64();
    if (!g_clock_us.primed) {
        g_clock_us.primed = true;
        g_clock_us.last_ticks = now;
        return g_clock_us.total_us;
    }
    uint64_t delta = now - g_clock_us.last_ticks;
    g_clock_us.last_ticks = now;
    // A long pause counts as at most 2,000,000 ticks; the remainder of each division is
    // carried so that no time is lost to rounding.
    if (delta > 2000000u) delta = 2000000u;
    uint64_t per_ms = prof_hz() / 1000u;
    if (per_ms == 0) return g_clock_us.total_us;
    uint64_t scaled = delta * 1000u + g_clock_us.remainder;
    g_clock_us.total_us += static_cast<uint32_t>(scaled / per_ms);
    g_clock_us.remainder = scaled % per_ms;
    return g_clock_us.total_us;
}

void clock_us_reset() {
    g_clock_us = clock_state{false, 0, 0, 0};
}

void frame_cap_wait(uint32_t* last_us, uint32_t period_us) {
    host_clock_current()->frame_end();
    if (period_us != 0) {
        // The 3 ms slack and the limit of four blanks keep a slow frame from waiting at all
        // and a fast one from waiting more than four blanks.
        for (int i = 0; i < 4; i++) {
            uint32_t now = clock_us();
            if (now - *last_us + 3000u >= period_us) break;
            amiga_wait_tof();
        }
    }
    *last_us = clock_us();
}

int32_t datestamp_elapsed_ms(const amiga_datestamp* from, const amiga_datestamp* to) {
    // Whole days count too, so that midnight does not turn the time back a day; a clock set
    // back counts as no time at all, and a month-long run stops at the largest count.
    int64_t ticks = (int64_t(to->days) - from->days) * 1440 * 3000 +
                    (int64_t(to->minute) - from->minute) * 3000 + (int64_t(to->tick) - from->tick);
    if (ticks <= 0) return 0;
    return ticks >= INT32_MAX / 20 ? INT32_MAX : static_cast<int32_t>(ticks * 20);
}

} // namespace vantrel
