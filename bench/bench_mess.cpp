// A message whose class the mask filters out must cost next to nothing: MESS_print sits in
// inner loops of readers and plotting code.
#include <benchmark/benchmark.h>

#include "gks.h"
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

// A primitive the kernel refuses (no workstation open) while warnings are filtered out: the
// refusal's text is never formatted.
static void BM_GksRefusalFiltered(benchmark::State &state)
{
    MESS_set(10, M_PRINT);
    gopen_gks(nullptr, 0);
    const Gpt pts[] = {{0.1f, 0.1f}, {0.9f, 0.9f}};
    for (auto _ : state) benchmark::DoNotOptimize(gpolyline(2, pts));
    gclose_gks();
}
BENCHMARK(BM_GksRefusalFiltered);
