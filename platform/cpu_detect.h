// cpu_detect: the processor class and floating-point unit the settings choose paths by.
//
// These are the PowerPC builds' fixed answers: the 68k attention flags and configuration
// register belong to 68k machines, and a PowerPC counts as the fastest class with an FPU.
#pragma once

#include <cstdint>

namespace vantrel {

int32_t amiga_detect_cpu();  // 1 = 68030, 2 = 68040, 3 = 68060; 3 here
int amiga_has_fpu();         // 1: a floating-point unit is present
uint32_t amiga_read_pcr();   // 0: no processor configuration register
uint16_t amiga_attn_flags(); // the system's processor attention flags word

} // namespace vantrel
