// A message whose class the mask filters out must cost next to nothing: MESS_print sits in
// inner loops of readers and plotting code.
#include <benchmark/benchmark.h>

#include "vyk.h"

static void BM_MessPrintFiltered(benchmark::State &state)
{
    MESS_set(10, 0xFF);
    float value = 1.5f;
    for (auto _ : state) {
        benchmark::DoNotOptimize(MESS_print(0x40000000, "value %f at %d\n", value, 3));
    }
}
BENCHMARK(BM_MessPrintFiltered);

static void BM_MessPrintToFile(benchmark::State &state)
{
    MESS_set(10, 0xFFFFF);
    MESS_set_str("fi=/dev/null");
    float value = 1.5f;
    for (auto _ : state) {
        benchmark::DoNotOptimize(MESS_print(0x1000, "value %f at %d\n", value, 3));
    }
}
BENCHMARK(BM_MessPrintToFile);
