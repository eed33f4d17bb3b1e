// Single-grid operations that contouring and vector plots run over whole grids: extremes,
// the largest wind, bilinear values at every point of a finer raster, grid-point positions on
// another map, and remapping.
#include "bench_field.h"
#include "grd_oper.h"
#include "vykplot.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>

namespace {

using Field = BenchField;

void BM_GrdMaxmin(benchmark::State &state)
{
    const Field f(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        float max, min;
        benchmark::DoNotOptimize(GRD_maxmin(&f.r, &max, &min));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0) * state.range(0));
}
BENCHMARK(BM_GrdMaxmin)->Arg(256)->Arg(1024);

void BM_GrdUVmax(benchmark::State &state)
{
    const Field u(static_cast<int>(state.range(0))), v(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        float max;
        benchmark::DoNotOptimize(GRD_UVmax(&u.r, &v.r, &max));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0) * state.range(0));
}
BENCHMARK(BM_GrdUVmax)->Arg(1024);

void BM_GrdGetValue(benchmark::State &state)
{
    const Field f(256);
    for (auto _ : state) {
        float sum = 0;
        for (int j = 0; j < 1000; j++)
            for (int i = 0; i < 1000; i++)
                sum += GRD_get_value(&f.r, 0.255f * static_cast<float>(i), 0.255f * static_cast<float>(j));
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * 1000000);
}
BENCHMARK(BM_GrdGetValue);

void BM_GrdProjXY(benchmark::State &state)
{
    const Field f(256);
    Domain ps;
    DOM_decode("ps:90:-105:60,60,-105,25,17,1,1", &ps);
    float *x = nullptr, *y = nullptr;
    for (auto _ : state) benchmark::DoNotOptimize(GRD_proj_XY(&f.r, &ps, &x, &y));
    std::free(x);
    std::free(y);
    state.SetItemsProcessed(state.iterations() * 256 * 256);
}
BENCHMARK(BM_GrdProjXY);

void BM_GrdRemap(benchmark::State &state)
{
    const Field f(256);
    Domain ps;
    DOM_decode("ps:90:-105:60,45,-90,200,200,0.2,0.2", &ps);
    for (auto _ : state) {
        GRD_report out{};
        GRD_init(&out);
        GRD_remap(&out, &ps, &f.r);
        GRD_free(&out);
    }
    state.SetItemsProcessed(state.iterations() * 200 * 200);
}
BENCHMARK(BM_GrdRemap);

}  // namespace
