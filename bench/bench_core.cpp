// Core arithmetic: divides, square roots, sine, normalisation, re-squaring, levels, hash.
#include <benchmark/benchmark.h>
#include <random>
#include <vector>

#include "core/fixmath.h"
#include "core/hash.h"
#include "core/space.h"
#include "core/trig.h"

namespace vantrel {
namespace {

// Inputs are drawn once, outside the timed loop; each case walks a ring of 4096 of them.
constexpr size_t RING = 4096;

std::vector<int32_t> random_i32(uint64_t seed, int shift) {
    std::mt19937_64 rng(seed);
    std::vector<int32_t> v(RING);
    for (auto& x : v) x = static_cast<int32_t>(rng()) >> shift;
    return v;
}

void BM_fix16_div(benchmark::State& state) {
    auto a = random_i32(1, 4), b = random_i32(2, 8);
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(fix16_div(a[i], b[i] | 1));
        i = (i + 1) & (RING - 1);
    }
}
BENCHMARK(BM_fix16_div);

void BM_fix32_div_to_fix16(benchmark::State& state) {
    auto a = random_i32(3, 0), b = random_i32(4, 8);
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(fix32_div_to_fix16(static_cast<int64_t>(a[i]) << 16, b[i] | 1));
        i = (i + 1) & (RING - 1);
    }
}
BENCHMARK(BM_fix32_div_to_fix16);

void BM_fix16_recip(benchmark::State& state) {
    auto a = random_i32(5, 4);
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(fix16_recip(a[i]));
        i = (i + 1) & (RING - 1);
    }
}
BENCHMARK(BM_fix16_recip);

void BM_fix16_sqrt(benchmark::State& state) {
    auto a = random_i32(6, 1);
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(fix16_sqrt(a[i]));
        i = (i + 1) & (RING - 1);
    }
}
BENCHMARK(BM_fix16_sqrt);

void BM_fix32_sqrt_narrow(benchmark::State& state) {
    auto a = random_i32(7, 1);
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(fix32_sqrt_narrow((static_cast<int64_t>(a[i]) << state.range(0))));
        i = (i + 1) & (RING - 1);
    }
}
BENCHMARK(BM_fix32_sqrt_narrow)->Arg(0)->Arg(24);

void BM_quarter_sin(benchmark::State& state) {
    auto a = random_i32(8, 2);
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(quarter_sin(static_cast<uint32_t>(a[i]) & 0x3FFFFFFF));
        i = (i + 1) & (RING - 1);
    }
}
BENCHMARK(BM_quarter_sin);

void BM_vec3_normalize(benchmark::State& state) {
    auto a = random_i32(9, 10);
    size_t i = 0;
    for (auto _ : state) {
        vec3 v = {a[i], a[(i + 1) & (RING - 1)], a[(i + 2) & (RING - 1)]}, out;
        benchmark::DoNotOptimize(vec3_normalize(&out, &v));
        benchmark::DoNotOptimize(out);
        i = (i + 1) & (RING - 1);
    }
}
BENCHMARK(BM_vec3_normalize);

void BM_mat3_orthonormalize(benchmark::State& state) {
    mat3 m = {{65530, 120, -80, -118, 65529, 300, 82, -301, 65533}};
    for (auto _ : state) {
        mat3 out;
        benchmark::DoNotOptimize(mat3_orthonormalize(&out, &m));
        benchmark::DoNotOptimize(out);
    }
}
BENCHMARK(BM_mat3_orthonormalize);

void BM_space_rel(benchmark::State& state) {
    std::mt19937_64 rng(10);
    std::vector<space_pos> p(RING);
    for (auto& q : p)
        q = {static_cast<int64_t>(rng()) >> (rng() % 40 + 2), static_cast<int64_t>(rng()) >> 20,
             static_cast<int64_t>(rng()) >> 30};
    size_t i = 0;
    for (auto _ : state) {
        space_vec out;
        benchmark::DoNotOptimize(space_rel(&p[i], &p[(i + 7) & (RING - 1)], 0, &out));
        benchmark::DoNotOptimize(out);
        i = (i + 1) & (RING - 1);
    }
}
BENCHMARK(BM_space_rel);

void BM_hash_fold(benchmark::State& state) {
    uint64_t words[3] = {hash_tag("ADS"), 12, 0};
    uint64_t seed = 1;
    for (auto _ : state) {
        words[2]++;
        seed = hash_fold(seed, words, 3);
        benchmark::DoNotOptimize(seed);
    }
}
BENCHMARK(BM_hash_fold);

} // namespace
} // namespace vantrel
