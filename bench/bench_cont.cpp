// Contouring a 1000 x 1000 grid at 20 levels, as lines, fills and both, onto an open
// workstation: PostScript written to /dev/null, or a text metafile on /dev/null.  Each
// benchmark runs one drawing per iteration, five times, and reports the fastest run (the _min
// row), the statistic bench/contourpy_time.py takes of contourpy; bench/cont_vs_contourpy.sh
// pairs the two.  The counters give what one drawing writes (from a run into a file outside the
// timing): its bytes, fill areas and polylines.  BM_ContourFillsCells draws the fills piece by
// piece as the cells give them, without merging them into band regions.
#include <benchmark/benchmark.h>

#include "cont_internal.h"
#include "gks.h"
#include "vyk.h"
#include "cont.h"
#include "grd_tool.h"
#include "vykplot.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

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
        CLR_read_table(VYK_ETC_DIR "/vyk.clr");
        gopen_gks(nullptr, 0);
        MAP_domain(&grid.domain);
    }
};

Setup &setup()
{
    static Setup s;
    return s;
}

/// One drawing of contour type `type` on a workstation of kind ws writing to out, in the
/// colour table's colours as the plot set-up gives them; with cells, the fills piece by piece.
bool draw(Setup &s, int type, Gws_type ws, const std::string &out, bool cells)
{
    const std::string conn = ws == GWS_META ? out + ",vyk" : out;
    if (gopen_ws(1, conn.c_str(), ws) != 0) return false;
    gactivate_ws(1);
    for (int i = 0; i < CLR_get_num(); i++) {
        float r = 0, g = 0, b = 0;
        CLR_get_rgb(i, &r, &g, &b);
        GPH_set_color(i, r, g, b);
    }
    cont_state().merge_fills = !cells;
    CONT_init();
    CONT_set_type(type);
    CONT_set_fill_colors("1-15", 1);
    CONT_set_base(s.min);
    CONT_set_intrvl((s.max - s.min) / LEVELS);
    CONT_set_range(s.max, s.min);
    CONT_set_cont_ext(&s.grid);
    CONT_draw_contour(&s.grid);
    cont_state().merge_fills = true;
    gdeactivate_ws(1);
    gclose_ws(1);
    gclear_objs();
    return true;
}

size_t count(const std::string &text, const std::string &what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) n++;
    return n;
}

/// What one drawing writes: bytes, fill areas and polylines.
void measure(benchmark::State &state, Setup &s, int type, Gws_type ws, bool cells)
{
    const std::string path = "/tmp/bench_cont_" + std::to_string(getpid()) +
                             (ws == GWS_META ? ".meta" : ".ps");
    if (!draw(s, type, ws, path, cells)) return;
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    const std::string all = text.str();
    std::remove(path.c_str());
    const bool ps = ws == GWS_PS;
    state.counters["bytes"] = static_cast<double>(all.size());
    state.counters["fills"] = static_cast<double>(count(all, ps ? "%%FA:" : "\nFA "));
    state.counters["polylines"] = static_cast<double>(count(all, ps ? "%%PL:" : "\nPL "));
}

void contour(benchmark::State &state, int type, Gws_type ws, bool cells = false)
{
    Setup &s = setup();
    for (auto _ : state) {
        if (!draw(s, type, ws, "/dev/null", cells)) {
            state.SkipWithError("cannot open the workstation");
            return;
        }
    }
    measure(state, s, type, ws, cells);
}

void BM_ContourLines(benchmark::State &state) { contour(state, 12, GWS_PS); }
void BM_ContourFills(benchmark::State &state) { contour(state, 15, GWS_PS); }
void BM_ContourLinesAndFills(benchmark::State &state) { contour(state, 16, GWS_PS); }
void BM_ContourFillsCells(benchmark::State &state) { contour(state, 15, GWS_PS, true); }
void BM_ContourLinesMeta(benchmark::State &state) { contour(state, 12, GWS_META); }
void BM_ContourFillsMeta(benchmark::State &state) { contour(state, 15, GWS_META); }

double fastest(const std::vector<double> &v) { return *std::min_element(v.begin(), v.end()); }

#define CONT_BENCH(name)                                                                   \
    BENCHMARK(name)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)          \
        ->ComputeStatistics("min", fastest)->ReportAggregatesOnly(true)
CONT_BENCH(BM_ContourLines);
CONT_BENCH(BM_ContourFills);
CONT_BENCH(BM_ContourLinesAndFills);
CONT_BENCH(BM_ContourFillsCells);
CONT_BENCH(BM_ContourLinesMeta);
CONT_BENCH(BM_ContourFillsMeta);

}  // namespace
