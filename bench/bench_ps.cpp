// Writing pictures to PostScript: a picture of one million line segments (1000 polylines of
// 1000 segments zig-zagging over the page), through the kernel's polylines and straight into the
// driver, next to the same text written with fprintf.
#include "gks.h"
#include "vyk.h"

#include <benchmark/benchmark.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int LINES = 1000;
constexpr int PER_LINE = 1000;  // segments of one polyline
constexpr double SEGMENTS = double(LINES) * PER_LINE;

const std::string &out_path()
{
    static const std::string path = "/tmp/bench_ps_" + std::to_string(getpid()) + ".ps";
    return path;
}

double file_size(const std::string &path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? static_cast<double>(st.st_size) : 0.0;
}

// The picture in world coordinates of the unit square.
const std::vector<Gpt> &picture()
{
    static const std::vector<Gpt> points = [] {
        std::vector<Gpt> p(static_cast<size_t>(LINES) * (PER_LINE + 1));
        for (int l = 0; l < LINES; l++)
            for (int i = 0; i <= PER_LINE; i++)
                p[static_cast<size_t>(l) * (PER_LINE + 1) + static_cast<size_t>(i)] = {
                    static_cast<float>(i) / PER_LINE,
                    (static_cast<float>(l) + 0.8f * static_cast<float>(i % 2)) / LINES};
        return p;
    }();
    return points;
}

void report(benchmark::State &state, double bytes)
{
    state.counters["bytes"] = bytes;
    state.counters["segments"] = SEGMENTS;
    state.counters["segments_per_s"] =
        benchmark::Counter(SEGMENTS, benchmark::Counter::kIsIterationInvariantRate);
    state.SetBytesProcessed(static_cast<int64_t>(bytes) * state.iterations());
    std::remove(out_path().c_str());
}

// The whole path of a plot: workstation open, polylines with their attributes, close.
void BM_ps_kernel_million_segments(benchmark::State &state)
{
    MESS_set(0, M_NONE);  // the open's progress notes
    gopen_gks(nullptr, 0);
    const std::vector<Gpt> &points = picture();
    double bytes = 0;
    for (auto _ : state) {
        gopen_ws(1, out_path().c_str(), GWS_PS);
        for (int l = 0; l < LINES; l++)
            gpolyline(PER_LINE + 1, points.data() + static_cast<size_t>(l) * (PER_LINE + 1));
        gclose_ws(1);
        bytes = file_size(out_path());
    }
    report(state, bytes);
}
BENCHMARK(BM_ps_kernel_million_segments)->Unit(benchmark::kMillisecond);

// The driver alone, with points already in device units.
void BM_ps_driver_million_segments(benchmark::State &state)
{
    MESS_set(0, M_NONE);
    const std::vector<Gpt> &points = picture();
    double bytes = 0;
    for (auto _ : state) {
        gps_open_file(out_path().c_str());
        gps_init();
        gps_set_size(11, 8.5f);
        gps_init_file();
        for (int l = 0; l < LINES; l++) {
            const Gpt *p = points.data() + static_cast<size_t>(l) * (PER_LINE + 1);
            gps_printf("%%%%PL:%d\n", PER_LINE + 1);
            gps_printf("np\n");
            gps_move_abs(755 * p[0].x, 575 * p[0].y);
            for (int i = 1; i <= PER_LINE; i++) gps_line_abs(755 * p[i].x, 575 * p[i].y);
            gps_printf("stroke\n");
        }
        gps_close_file();
        bytes = file_size(out_path());
    }
    report(state, bytes);
}
BENCHMARK(BM_ps_driver_million_segments)->Unit(benchmark::kMillisecond);

// For comparison: the same point lines formatted by fprintf.
void BM_fprintf_million_segments(benchmark::State &state)
{
    const std::vector<Gpt> &points = picture();
    double bytes = 0;
    for (auto _ : state) {
        FILE *fp = std::fopen(out_path().c_str(), "w");
        if (!fp) {
            state.SkipWithError("cannot create the output");
            return;
        }
        for (int l = 0; l < LINES; l++) {
            const Gpt *p = points.data() + static_cast<size_t>(l) * (PER_LINE + 1);
            std::fprintf(fp, "%%%%PL:%d\nnp\n", PER_LINE + 1);
            std::fprintf(fp, "%3.2f %3.2f mv\n", static_cast<double>(755 * p[0].x),
                         static_cast<double>(575 * p[0].y));
            for (int i = 1; i <= PER_LINE; i++)
                std::fprintf(fp, "%3.2f %3.2f ln\n", static_cast<double>(755 * p[i].x),
                             static_cast<double>(575 * p[i].y));
            std::fprintf(fp, "stroke\n");
        }
        std::fclose(fp);
        bytes = file_size(out_path());
    }
    report(state, bytes);
}
BENCHMARK(BM_fprintf_million_segments)->Unit(benchmark::kMillisecond);

}  // namespace
