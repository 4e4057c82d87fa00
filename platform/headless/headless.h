// headless: the back end without a window: the screen is a buffer in memory, input comes
// from a script, and time is virtual (20 ms per frame), so every run repeats exactly.
#pragma once

#include "platform/host.h"
#include "platform/present_amiga.h"

namespace vantrel {

extern const present_backend PRESENT_BACKEND_HEADLESS;

// Script shots that could not be written; the run goes on without them and fails at its end.
uint32_t headless_failed_shots();

// The virtual clock's first date stamp: 1 October 2026, noon.
constexpr int32_t HEADLESS_START_DAYS = VIRTUAL_START_DAYS;
constexpr int32_t HEADLESS_START_MINUTE = VIRTUAL_START_MINUTE;

} // namespace vantrel
