// Grid files: writing and reading one product of the own text, binary and netCDF kinds, and a
// header scan over a file of many products (what every grid search does first).
#include "bench_field.h"
#include "grd_file.h"
#include "grd_tool.h"
#include "vykplot.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

/// The benchmark grid as a product: 500 mb temperature of a date.
struct Field : BenchField {
    explicit Field(int n) : BenchField(n)
    {
        std::snprintf(r.datim, sizeof r.datim, "12Z 05 MAR 24");
        std::snprintf(r.info, sizeof r.info, "500 mb Temperature");
        r.source = 7;
        r.var = 11;
        r.ltype = 100;
        r.level = 500;
    }
};

std::string scratch(const char *ext)
{
    return "/tmp/vyk_bench_gfile_" + std::to_string(getpid()) + ext;
}

bool write_file(const std::string &path, int kind, const GRD_report &g, int products)
{
    int k = kind;
    const int fd = GRD_open(path.c_str(), GRD_ACCESS_CREATE, &k);
    if (fd < 0) return false;
    GRD_info info{};
    info.max_x = g.domain.nx;
    info.max_y = g.domain.ny;
    GRD_putinfo(fd, &info);
    GRD_report copy = g;
    for (int n = 0; n < products; n++) {
        int num = n;
        GRD_write(fd, &copy, 0, &num);
    }
    GRD_close(fd);
    return true;
}

const char *ext_of(int kind) { return kind == GRD_NETCDF ? ".nc" : ".grd"; }

/// Opens a grid file of any kind for reading and reads its header: the slot.
int open_read(const std::string &path)
{
    int k = GRD_DETECT;
    const int fd = GRD_open(path.c_str(), GRD_ACCESS_READ, &k);
    GRD_info info{};
    GRD_getinfo(fd, &info);
    return fd;
}

// The three kinds of file, each with a 256 x 256 field.
void every_kind_at_256(benchmark::internal::Benchmark *b)
{
    for (const int kind : {GRD_TEXT, GRD_BINARY, GRD_NETCDF}) b->Args({kind, 256});
}

void BM_GrdWrite(benchmark::State &state)
{
    const int kind = static_cast<int>(state.range(0));
    const Field f(static_cast<int>(state.range(1)));
    const std::string path = scratch(ext_of(kind));
    for (auto _ : state) benchmark::DoNotOptimize(write_file(path, kind, f.r, 1));
    std::remove(path.c_str());
    state.SetItemsProcessed(state.iterations() * state.range(1) * state.range(1));
}
BENCHMARK(BM_GrdWrite)
    ->ArgNames({"kind", "n"})
    ->Apply(every_kind_at_256)
    ->Unit(benchmark::kMillisecond);

void BM_GrdRead(benchmark::State &state)
{
    const int kind = static_cast<int>(state.range(0));
    const Field f(static_cast<int>(state.range(1)));
    const std::string path = scratch(ext_of(kind));
    write_file(path, kind, f.r, 1);
    GRD_report g{};
    GRD_init(&g);
    for (auto _ : state) {
        const int fd = open_read(path);
        int num = 0;
        benchmark::DoNotOptimize(GRD_read(fd, &g, GRD_READ_VALUES, &num));
        GRD_close(fd);
    }
    GRD_free(&g);
    std::remove(path.c_str());
    state.SetItemsProcessed(state.iterations() * state.range(1) * state.range(1));
}
BENCHMARK(BM_GrdRead)
    ->ArgNames({"kind", "n"})
    ->Apply(every_kind_at_256)
    ->Unit(benchmark::kMillisecond);

/// Header-only reads of 40 products, then the last one with its values.
void BM_GrdScan(benchmark::State &state)
{
    const int kind = static_cast<int>(state.range(0));
    constexpr int PRODUCTS = 40;
    const Field f(64);
    const std::string path = scratch(ext_of(kind));
    write_file(path, kind, f.r, PRODUCTS);
    GRD_report g{};
    GRD_init(&g);
    for (auto _ : state) {
        const int fd = open_read(path);
        int n = 0;
        for (;; n++) {
            int num = n;
            if (GRD_read(fd, &g, GRD_READ_HEADER, &num) != 0) break;
        }
        int last = n - 1;
        benchmark::DoNotOptimize(GRD_read(fd, &g, GRD_READ_VALUES, &last));
        GRD_close(fd);
    }
    GRD_free(&g);
    std::remove(path.c_str());
    state.SetItemsProcessed(state.iterations() * PRODUCTS);
}
BENCHMARK(BM_GrdScan)
    ->ArgNames({"kind"})
    ->Arg(GRD_TEXT)
    ->Arg(GRD_BINARY)
    ->Arg(GRD_NETCDF)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
