// The benchmark executable's entry: every case registered by the other files.
#include <benchmark/benchmark.h>

BENCHMARK_MAIN();
