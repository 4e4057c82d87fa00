// iff8svx: the IFF 8SVX reader: the one uncompressed, single-octave sample of a sound file.
#pragma once

#include <cstdint>

namespace vantrel {

// A parsed sample; the pointer points into the file buffer, which the caller keeps alive.
struct iff8svx_sample {
    const int8_t* samples; // signed 8-bit PCM
    uint32_t length;       // bytes, at least 1
    uint32_t rate;         // samples per second, at least 1
};

// 1 when data holds a FORM "8SVX" with a VHDR (rate not 0, no compression, at most one
// octave) and a non-empty BODY; 0 otherwise, leaving out untouched. The first VHDR and the
// first BODY count; other chunks are passed over.
int iff8svx_parse(const uint8_t* data, uint32_t size, iff8svx_sample* out);

} // namespace vantrel
