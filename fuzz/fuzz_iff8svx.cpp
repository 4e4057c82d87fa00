// 8SVX files from any bytes: a parsed sample lies inside the input, and every byte of it can
// be read.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/iff8svx.h"

using namespace vantrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1u << 20) return 0;
    // A copy of exactly the input's size, so that the sanitizer sees a read one past it.
    uint8_t* copy = static_cast<uint8_t*>(std::malloc(size ? size : 1));
    if (!copy) return 0;
    if (size) std::memcpy(copy, data, size);
    iff8svx_sample s;
    if (iff8svx_parse(copy, uint32_t(size), &s)) {
        auto first = reinterpret_cast<const uint8_t*>(s.samples);
        if (s.length == 0 || s.rate == 0 || first < copy + 12 || first + s.length > copy + size)
            std::abort();
        uint32_t sum = 0;
        for (uint32_t i = 0; i < s.length; i++) sum += uint8_t(s.samples[i]);
        if (sum == 0xFFFFFFFFu) std::abort(); // keeps the reads
    }
    std::free(copy);
    return 0;
}
