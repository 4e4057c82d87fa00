// The seeded hash: fixed values that every machine must reproduce.
#include <gtest/gtest.h>

#include "core/hash.h"

namespace vantrel {
namespace {

TEST(Hash, KnownValues) {
    EXPECT_EQ(hash_mix64(0), 0u);
    const uint64_t zero[1] = {0};
    EXPECT_EQ(hash_fold(0, zero, 1), 0u);
    EXPECT_EQ(hash_mix64(1), 0x5692161D100B05E5ull);
    EXPECT_EQ(hash_fold(1, nullptr, 0), 0x5692161D100B05E5ull);
    const uint64_t words[2] = {0, 1};
    uint64_t h = hash_fold(1, words, 2);
    EXPECT_EQ(h, 0xC14BF009DE212E89ull);
    EXPECT_EQ(hash_range_u32(h, 8), 6u);
    EXPECT_EQ(hash_tag("ADS"), 0x414453ull);
    EXPECT_EQ(hash_tag("ABCDEFGHIJ"), 0x4142434445464748ull);
}

TEST(Hash, RangeStaysInsideAndUsesTheUpperHalf) {
    EXPECT_EQ(hash_range_u32(0xFFFFFFFFFFFFFFFFull, 0), 0u);
    EXPECT_EQ(hash_range_u32(0xFFFFFFFFFFFFFFFFull, 1), 0u);
    EXPECT_EQ(hash_range_u32(0xFFFFFFFF00000000ull, 10), 9u);
    EXPECT_EQ(hash_range_u32(0x00000000FFFFFFFFull, 10), 0u);
    uint64_t h = 12345;
    for (int i = 0; i < 10000; i++) {
        h = hash_mix64(h + 1);
        ASSERT_LT(hash_range_u32(h, 7), 7u);
    }
}

} // namespace
} // namespace vantrel
