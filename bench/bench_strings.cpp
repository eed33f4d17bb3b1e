// Splitting resource lists and comparing keywords: the text work behind every typed value.
#include "vyk.h"

#include <benchmark/benchmark.h>

namespace {

void BM_parse_string_ten_fields(benchmark::State &state)
{
    const char *text = "KDEN,72469,39.77,-104.87,1611,CO,US,profiler,wind,915mhz";
    for (auto _ : state) {
        int count = 0;
        char **list = nullptr;
        parse_string(text, ',', &count, &list);
        benchmark::DoNotOptimize(list);
        free_parsed_array(count, list);
    }
}
BENCHMARK(BM_parse_string_ten_fields);

void BM_stricmp_equal(benchmark::State &state)
{
    const char *a = "WIND_BARB_COLOUR";
    const char *b = "wind_barb_colour";
    for (auto _ : state) {
        benchmark::DoNotOptimize(a);
        benchmark::DoNotOptimize(b);
        benchmark::DoNotOptimize(stricmp(a, b));
    }
}
BENCHMARK(BM_stricmp_equal);

void BM_stricmp_differ_early(benchmark::State &state)
{
    const char *a = "plot_domain";
    const char *b = "Plot_param";
    for (auto _ : state) {
        benchmark::DoNotOptimize(a);
        benchmark::DoNotOptimize(b);
        benchmark::DoNotOptimize(stricmp(a, b));
    }
}
BENCHMARK(BM_stricmp_differ_early);

}  // namespace
