// hash: the seeded 64-bit hash behind every piece of generated content.
//
// Generated things (body types, port staff, ads, cloud shapes) are folds of a seed and a
// few words, never draws from a running generator, so nothing generated needs saving.
// Tags of up to eight ASCII characters are packed right-aligned, first character highest.
#pragma once

#include <cstdint>

namespace vantrel {

uint64_t hash_mix64(uint64_t z);
uint64_t hash_fold(uint64_t seed, const uint64_t* words, int count);
uint32_t hash_range_u32(uint64_t hash, uint32_t n);
// One step of Marsaglia's 32-bit xorshift (shifts 13, 17, 5): the small running generator
// behind the arcade's stars and dive picks, and the tests' seeded inputs.
constexpr uint32_t xorshift32(uint32_t r) {
    r ^= r << 13;
    r ^= r >> 17;
    return r ^ (r << 5);
}
// Packs up to eight ASCII characters right-aligned: "ADS" -> 0x414453.
constexpr uint64_t hash_tag(const char* s) {
    uint64_t w = 0;
    for (int i = 0; i < 8 && s[i] != '\0'; i++) w = (w << 8) | static_cast<uint8_t>(s[i]);
    return w;
}

} // namespace vantrel
