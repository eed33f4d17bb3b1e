// The grid calculations that derived variables run over whole grids: finite differences
// (derivative, vorticity, Laplacian), the Coriolis parameter on a map projection, and grid
// functions of the evaluator (arithmetic, smoothing, wind speed, equivalent potential
// temperature, absolute vorticity).
#include "bench_field.h"
#include "vykcalc.h"
#include "grd_kin.h"
#include "vykplot.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

/// The benchmark grid (on a latitude-longitude or polar stereographic domain) as a product of
/// source 7, with the shipped lookup files in reach.
struct Field : BenchField {
    Field(int n, float scale, float offset, const char *domain = "ll,40,-100,10,10,0.25,0.25")
        : BenchField(n, scale, offset, domain)
    {
        RES_put("file_path", VYK_ETC_DIR);
        r.source = 7;
    }
};

/// An output record that keeps its values from one iteration to the next (of the size of
/// like, when given).
struct Output {
    GRD_report r{};
    explicit Output(const Field *like = nullptr)
    {
        GRD_init(&r);
        DOM_init(&r.domain);
        if (like) r.domain = like->r.domain;
    }
    ~Output() { GRD_free(&r); }
    Output(const Output &) = delete;
    Output &operator=(const Output &) = delete;
};

void BM_GrdDx(benchmark::State &state)
{
    const int n = static_cast<int>(state.range(0));
    Field z(n, 100, 5500);
    Output o(&z);
    for (auto _ : state) {
        GRD_dx(&z.r, &o.r);
        benchmark::DoNotOptimize(o.r.grid[0]);
    }
    state.SetItemsProcessed(state.iterations() * n * n);
}
BENCHMARK(BM_GrdDx)->Arg(256)->Arg(1024);

void BM_GrdVorticity(benchmark::State &state)
{
    const int n = static_cast<int>(state.range(0));
    Field u(n, 20, 5), v(n, -15, 2);
    Output o(&u);
    for (auto _ : state) {
        GRD_vorticity(&u.r, &v.r, &o.r);
        benchmark::DoNotOptimize(o.r.grid[0]);
    }
    state.SetItemsProcessed(state.iterations() * n * n);
}
BENCHMARK(BM_GrdVorticity)->Arg(256)->Arg(1024);

void BM_GrdLaplacian(benchmark::State &state)
{
    const int n = static_cast<int>(state.range(0));
    Field z(n, 100, 5500);
    Output o(&z);
    for (auto _ : state) {
        GRD_laplacian(&z.r, &o.r);
        benchmark::DoNotOptimize(o.r.grid[0]);
    }
    state.SetItemsProcessed(state.iterations() * n * n);
}
BENCHMARK(BM_GrdLaplacian)->Arg(1024);

/// The Coriolis parameter on a polar stereographic grid: every point is placed on the map.
void BM_GrdCoriolisPolar(benchmark::State &state)
{
    const int n = static_cast<int>(state.range(0));
    Field z(n, 1, 10, "ps:90:-105:60,55,-100,25,17,1,1");
    z.r.domain.nx = z.r.domain.ny = n;
    z.r.domain.dx = z.r.domain.dy = 0.2f;
    for (auto _ : state) {
        GRD_coriolis(&z.r, "mul");
        GRD_coriolis(&z.r, "div");
        benchmark::DoNotOptimize(z.r.grid[1]);
    }
    state.SetItemsProcessed(state.iterations() * 2 * n * n);
}
BENCHMARK(BM_GrdCoriolisPolar)->Arg(256);

/// One grid function over n x n grids; the arguments are the fields given.
template <size_t N> void run_math(benchmark::State &state, const char *text, Field *(&args)[N])
{
    Output o;
    GRD_report *grids[GRD_MATH_SLOTS] = {};
    float values[GRD_MATH_SLOTS];
    for (float &v : values) v = static_cast<float>(VYK_MISS);
    grids[0] = &o.r;
    for (size_t k = 0; k < N; k++) grids[k + 1] = &args[k]->r;
    for (auto _ : state) {
        GRD_math(text, grids, values);
        benchmark::DoNotOptimize(o.r.grid[0]);
    }
    state.SetItemsProcessed(state.iterations() * args[0]->r.domain.nx * args[0]->r.domain.ny);
}

void BM_GrdMathAdd(benchmark::State &state)
{
    const int n = static_cast<int>(state.range(0));
    Field a(n, 10, 280), b(n, 5, 270);
    Field *args[] = {&a, &b};
    run_math(state, "add", args);
}
BENCHMARK(BM_GrdMathAdd)->Arg(1024);

void BM_GrdMathSmooth(benchmark::State &state)
{
    const int n = static_cast<int>(state.range(0));
    Field a(n, 10, 280);
    Output o;
    GRD_report *grids[GRD_MATH_SLOTS] = {&o.r, &a.r};
    float values[GRD_MATH_SLOTS];
    for (float &v : values) v = static_cast<float>(VYK_MISS);
    values[2] = -2;
    for (auto _ : state) {
        GRD_math("smooth", grids, values);
        benchmark::DoNotOptimize(o.r.grid[0]);
    }
    state.SetItemsProcessed(state.iterations() * n * n);
}
BENCHMARK(BM_GrdMathSmooth)->Arg(256);

void BM_GrdMathWspd(benchmark::State &state)
{
    const int n = static_cast<int>(state.range(0));
    Field u(n, 20, 5), v(n, -15, 2);
    strfcpy(u.r.units, "m/s");
    strfcpy(v.r.units, "m/s");
    Field *args[] = {&u, &v};
    run_math(state, "wspd", args);
}
BENCHMARK(BM_GrdMathWspd)->Arg(1024);

/// Equivalent potential temperature of temperature and relative humidity (a dew point found at
/// every point) at 1000 mb.
void BM_GrdMathThetae(benchmark::State &state)
{
    const int n = static_cast<int>(state.range(0));
    Field t(n, 10, 285), rh(n, 30, 60);
    strfcpy(t.r.units, "K");
    Field *args[] = {&t, &rh};
    run_math(state, "thetae", args);
}
BENCHMARK(BM_GrdMathThetae)->Arg(256);

void BM_GrdMathAvort(benchmark::State &state)
{
    const int n = static_cast<int>(state.range(0));
    Field u(n, 20, 5), v(n, -15, 2);
    strfcpy(u.r.units, "m/s");
    strfcpy(v.r.units, "m/s");
    Field *args[] = {&u, &v};
    run_math(state, "avort", args);
}
BENCHMARK(BM_GrdMathAvort)->Arg(1024);

}  // namespace
