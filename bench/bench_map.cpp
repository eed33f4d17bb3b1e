// Map transforms on the plotting path: every point of every map line, grid point and station
// goes through MAP_tran, and the read-outs and grid remapping through MAP_untran.  A grid of
// 4096 places per iteration on a few projections, forward and inverse.
#include "vykplot.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

const char *const DOMAINS[] = {
    "ps:90:-105:60,60,-105,25,17,1,1",      // polar stereographic
    "lc:40:-100:30:60,40,-100,25,17,1,1",   // Lambert conformal
    "merc:0:-100,30,-100,25,17,1,1",        // Mercator
    "moll:0:20,0,20,25,17,1,1",             // Mollweide (Newton steps)
    "sat:e:0:-75,0,-75,25,17,1,1",          // geostationary view on the ellipsoid
    "ll:0:-100,0,-100,25,17,1,1",           // latitude-longitude
};

struct Places {
    std::vector<float> lat, lon, x, y;
};

Places places_on(const char *text)
{
    Domain d;
    DOM_decode(text, &d);
    MAP_domain(&d);
    Places p;
    for (int i = 0; i < 64; i++) {
        for (int j = 0; j < 64; j++) {
            const float lat = 10.0f + 70.0f * i / 63.0f, lon = -140.0f + 80.0f * j / 63.0f;
            float x, y;
            MAP_tran(lat, lon, &x, &y);
            p.lat.push_back(lat);
            p.lon.push_back(lon);
            p.x.push_back(x);
            p.y.push_back(y);
        }
    }
    return p;
}

/// Every place of the grid through one transform: MAP_tran from latitude and longitude, or
/// MAP_untran from the plot positions.
template <int (*TRANSFORM)(float, float, float *, float *)>
void transform_all(benchmark::State &state, const std::vector<float> Places::*a,
                   const std::vector<float> Places::*b)
{
    const Places p = places_on(DOMAINS[state.range(0)]);
    state.SetLabel(DOMAINS[state.range(0)]);
    const std::vector<float> &in1 = p.*a, &in2 = p.*b;
    const size_t n = in1.size();
    for (auto _ : state) {
        for (size_t k = 0; k < n; k++) {
            float out1, out2;
            TRANSFORM(in1[k], in2[k], &out1, &out2);
            benchmark::DoNotOptimize(out1);
            benchmark::DoNotOptimize(out2);
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * n));
}

void BM_MapTran(benchmark::State &state)
{
    transform_all<MAP_tran>(state, &Places::lat, &Places::lon);
}

void BM_MapUntran(benchmark::State &state)
{
    transform_all<MAP_untran>(state, &Places::x, &Places::y);
}

BENCHMARK(BM_MapTran)->DenseRange(0, 5);
BENCHMARK(BM_MapUntran)->DenseRange(0, 5);

}  // namespace
