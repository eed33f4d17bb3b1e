// Contouring a 1000 x 1000 grid at 20 levels, as lines, fills and both, into the kernel's
// display list without a workstation (no device output).  bench/cont_vs_contourpy.sh runs this
// and times contourpy's line and filled generation of the same grid and levels.
#include <benchmark/benchmark.h>

#include "gks.h"
#include "vyk.h"
#include "vykcont.h"
#include "vykgtab.h"
#include "vykplot.h"

#include <cmath>

namespace {

constexpr int N = 1000;
constexpr int LEVELS = 20;

/// The field: a hill with waves over it; the same formula as bench/contourpy_time.py.
float field(int i, int j)
{
    const double u = -3 + 6.0 * i / (N - 1), v = -3 + 6.0 * j / (N - 1);
    return static_cast<float>(100 * std::exp(-(u * u + v * v) / 4) + 20 * std::sin(2 * u) * std::cos(3 * v));
}

struct Setup {
    GRD_report grid{};
    float min = 0, max = 0;
    Setup()
    {
        MESS_set(-1, M_ERROR | M_WARN);
        GRD_init(&grid);
        DOM_init(&grid.domain);
        grid.domain.proj = 2;
        grid.domain.clat = 0;
        grid.domain.clon = 0;
        grid.domain.dx = grid.domain.dy = 0.1f;
        grid.domain.nx = grid.domain.ny = N;
        GRD_alloc(&grid);
        grid.source = 7;
        for (int j = 0; j < N; j++)
            for (int i = 0; i < N; i++) grid.grid[static_cast<size_t>(N - 1 - j) * N + i] = field(i, j);
        GRD_maxmin(&grid, &max, &min);
        gopen_gks(nullptr, 0);
        gset_redraw(1);
        MAP_domain(&grid.domain);
    }
};

Setup &setup()
{
    static Setup s;
    return s;
}

void contour(benchmark::State &state, int type)
{
    Setup &s = setup();
    for (auto _ : state) {
        CONT_init();
        CONT_set_type(type);
        CONT_set_fill_colors("1-15", 1);
        CONT_set_base(s.min);
        CONT_set_intrvl((s.max - s.min) / LEVELS);
        CONT_set_range(s.max, s.min);
        CONT_set_cont_ext(&s.grid);
        CONT_draw_contour(&s.grid);
        state.PauseTiming();
        gclear_objs();
        state.ResumeTiming();
    }
}

void BM_ContourLines(benchmark::State &state) { contour(state, 12); }
void BM_ContourFills(benchmark::State &state) { contour(state, 15); }
void BM_ContourLinesAndFills(benchmark::State &state) { contour(state, 16); }

BENCHMARK(BM_ContourLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ContourFills)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ContourLinesAndFills)->Unit(benchmark::kMillisecond);

}  // namespace
