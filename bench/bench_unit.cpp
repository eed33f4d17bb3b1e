// Unit conversion on the wind path: every barb converts its speed from m/s to knots.
#include "vyk.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

/// A scratch directory holding a small "units.lup", set as the file path, removed at exit.
class Table {
public:
    Table()
    {
        char tmpl[] = "/tmp/bench_unit.XXXXXX";
        if (mkdtemp(tmpl) == nullptr) std::abort();
        dir_ = tmpl;
        file_ = dir_ + "/units.lup";
        FILE *fp = std::fopen(file_.c_str(), "w");
        if (fp == nullptr) std::abort();
        std::fputs("# wind and temperature\n"
                   "m/s knots *1.944\nknots m/s *0.51440329\n"
                   "K C -273.15\nC K +273.15\nC F *1.8+32\n",
                   fp);
        std::fclose(fp);
        RES_put("file_path", dir_.c_str());
    }
    ~Table()
    {
        std::remove(file_.c_str());
        rmdir(dir_.c_str());
    }

private:
    std::string dir_, file_;
};

const Table table;

// The same pair call after call: the case of a grid or a column of barbs.
void BM_UNIT_cvt_ms_to_knots(benchmark::State &state)
{
    float speed = 12.5f;
    for (auto _ : state) {
        benchmark::DoNotOptimize(speed);
        benchmark::DoNotOptimize(UNIT_cvt(speed, "m/s", "knots"));
    }
}
BENCHMARK(BM_UNIT_cvt_ms_to_knots);

// Two pairs in turn (a station plot converting wind and temperature): every call misses the
// cached pair and looks the table up in memory.
void BM_UNIT_cvt_alternating_pairs(benchmark::State &state)
{
    float speed = 12.5f, temp = 285.0f;
    for (auto _ : state) {
        benchmark::DoNotOptimize(speed);
        benchmark::DoNotOptimize(temp);
        benchmark::DoNotOptimize(UNIT_cvt(speed, "m/s", "knots"));
        benchmark::DoNotOptimize(UNIT_cvt(temp, "K", "C"));
    }
}
BENCHMARK(BM_UNIT_cvt_alternating_pairs);

// A scaled unit of the same name: factors only.
void BM_UNIT_cvt_scaled_same_name(benchmark::State &state)
{
    float grad = 3.2f;
    for (auto _ : state) {
        benchmark::DoNotOptimize(grad);
        benchmark::DoNotOptimize(UNIT_cvt(grad, "1e-05 K/m", "K/m"));
    }
}
BENCHMARK(BM_UNIT_cvt_scaled_same_name);

}  // namespace
