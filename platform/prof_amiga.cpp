// prof_amiga: the tick counter over the selected host clock.
#include "platform/prof_amiga.h"

#include "platform/host.h"

namespace vantrel {

namespace {

constexpr uint32_t COUNTER_HZ = 1000000;

struct prof_state {
    int open;
    uint32_t hz;
    uint32_t read_cost;
};

prof_state g_prof = {0, 0, 0};

} // namespace

int prof_init() {
    if (g_prof.open) return 1;
    const host_clock* clock = host_clock_current();
    g_prof.open = 1;
    g_prof.hz = COUNTER_HZ;
    uint64_t start = clock->counter_us();
    for (int i = 0; i < 100; i++) (void)clock->counter_us();
    g_prof.read_cost = static_cast<uint32_t>(clock->counter_us() - start);
    return 1;
}

void prof_close() {
    g_prof = prof_state{0, 0, 0};
}

uint32_t prof_now() {
    return static_cast<uint32_t>(prof_now64());
}

uint64_t prof_now64() {
    return g_prof.open ? host_clock_current()->counter_us() : 0;
}

uint32_t prof_hz() {
    return g_prof.hz;
}

uint32_t prof_read_cost() {
    return g_prof.read_cost;
}

uint32_t prof_ticks_to_us_at(uint32_t ticks, uint32_t hz) {
    if (hz == 0) return 0;
    if (hz < 1000) return 0x7FFFFFFF;
    uint64_t t = ticks > 2000000u ? 2000000u : ticks;
    return static_cast<uint32_t>(t * 1000u / (hz / 1000u));
}

uint32_t prof_ticks_to_us(uint32_t ticks) {
    return prof_ticks_to_us_at(ticks, g_prof.hz);
}

} // namespace vantrel
