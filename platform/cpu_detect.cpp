// cpu_detect: fixed answers for the PowerPC-class builds.
#include "platform/cpu_detect.h"

namespace vantrel {

int32_t amiga_detect_cpu() {
    return 3;
}

int amiga_has_fpu() {
    return 1;
}

uint32_t amiga_read_pcr() {
    return 0;
}

// The flags a 68060 with its FPU sets: 68010, 68020, 68030, 68040 (bits 0-3), 68881 and
// 68882 (bits 4-5), FPU40 (bit 6) and 68060 (bit 7).
uint16_t amiga_attn_flags() {
    return 0x00FF;
}

} // namespace vantrel
