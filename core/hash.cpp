// hash: SplitMix64 finaliser, fold over words, and the multiply-shift range reduction.
#include "core/hash.h"

namespace vantrel {

uint64_t hash_mix64(uint64_t z) {
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

uint64_t hash_fold(uint64_t seed, const uint64_t* words, int count) {
    uint64_t h = hash_mix64(seed);
    for (int i = 0; i < count; i++) h = hash_mix64(h ^ words[i]);
    return h;
}

uint32_t hash_range_u32(uint64_t hash, uint32_t n) {
    // Only the upper half is used: two draws need two hashes, not the lower half.
    return static_cast<uint32_t>(((hash >> 32) * n) >> 32);
}

} // namespace vantrel
