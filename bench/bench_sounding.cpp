// The sounding calculations of the profiler display's wind shear and helicity, run for every
// point of a time-height section: the 0-6000 m mean wind, the 0-3000 m shear and helicity of a
// 20-level column, and the interpolation of a long sounding.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "zazudi.h"

namespace {

std::vector<UPA_level> column()
{
    std::vector<UPA_level> col;
    for (int k = 0; k < 20; k++) {
        const float z = 500.0f * k;
        const float p = 1013.25f * std::pow((288.15f - 0.0065f * (300 + z)) / 288.15f, 5.25588f);
        col.push_back({p, z, VYK_MISS, VYK_MISS, 160 + 5.0f * k, 10 + 3.0f * k});
    }
    return col;
}

void BM_MeanWind(benchmark::State &state)
{
    std::vector<UPA_level> col = column();
    WIND w;
    for (auto _ : state) {
        layer_wind_mean(col.data(), 20, 103, 0, 6000, &w);
        benchmark::DoNotOptimize(w);
    }
}
BENCHMARK(BM_MeanWind);

void BM_Shear(benchmark::State &state)
{
    std::vector<UPA_level> col = column();
    SHEAR_params s;
    for (auto _ : state) {
        shear_layer(col.data(), 20, 103, 0, 3000, nullptr, &s);
        benchmark::DoNotOptimize(s);
    }
}
BENCHMARK(BM_Shear);

void BM_Helicity(benchmark::State &state)
{
    std::vector<UPA_level> col = column();
    const WIND storm = {230, 20};
    HELICITY_params h;
    for (auto _ : state) {
        helicity(col.data(), 20, 103, 0, 3000, &storm, &h);
        benchmark::DoNotOptimize(h);
    }
}
BENCHMARK(BM_Helicity);

void BM_InterpLong(benchmark::State &state)
{
    std::vector<UPA_level> lev;
    for (int k = 0; k < 300; k++)
        lev.push_back({1000 - 3.0f * k, 30.0f * k, 20 - 0.2f * k, 10 - 0.3f * k, 180 + 0.3f * k,
                       10 + 0.2f * k});
    std::vector<float> values;
    for (int k = 0; k < 100; k++) values.push_back(95.0f * k);
    std::vector<UPA_level> out(values.size());
    for (auto _ : state) {
        UPA_interp_levels(lev.data(), 300, 103, values.data(), out.data(), 100);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_InterpLong);

}  // namespace
