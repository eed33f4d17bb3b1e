// Drawing polylines into the own window's pixmap: maps, contours, wind barbs and symbols draw
// hundreds of thousands of short lines per plot, so a line must cost no server round trip and,
// for the usual sizes, no allocation.  Needs an X display: scripts/bench.sh runs the benchmarks
// under xvfb-run when DISPLAY is not set (by hand: xvfb-run -a build-bench/bench/bench_polyline).
#include <benchmark/benchmark.h>

#include "gks.h"
#include "vyk.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

constexpr int NUM_LINES = 100000;

// The own window, opened once for every benchmark; world coordinates are its pixels.
bool window_open()
{
    static int state = 0;  // 1 open, -1 no display
    if (state == 0) {
        MESS_set(-1, M_ERROR | M_WARN);  // errors and warnings (placeholders of unbuilt parts) stay quiet
        state = gopen_gks(nullptr, 0) == 0 && gopen_ws(1, "", GWS_X11) == 0 ? 1 : -1;
        if (state == 1) {
            const Glim ws = {0, 1, 0, 511.0f / 639.0f};
            gset_ws_win(1, &ws);
            const Glim win = {0, 639, 0, 511};
            gset_win(1, &win);
            gset_vp(1, &ws);
            gsel_norm_tran(1);
            for (int i = 1; i <= 8; i++) {
                const Gcolr_rep rep = {static_cast<float>(i & 1), static_cast<float>(i >> 1 & 1),
                                       static_cast<float>(i >> 2 & 1)};
                gset_colr_rep(1, i, &rep);
            }
        }
    }
    return state == 1;
}

// Lines of `points` points each, a few pixels long, spread over the window (a fixed sequence).
std::vector<Gpt> make_lines(int lines, int points, float step)
{
    std::vector<Gpt> pts(static_cast<size_t>(lines) * points);
    uint32_t seed = 12345;
    auto next = [&seed]() {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<float>(seed >> 8) / 16777216.0f;
    };
    for (int i = 0; i < lines; i++) {
        float x = 10 + 600 * next(), y = 10 + 480 * next();
        for (int k = 0; k < points; k++) {
            pts[static_cast<size_t>(i) * points + k] = {x, y};
            x += step * (next() - 0.5f);
            y += step * (next() - 0.5f);
        }
    }
    return pts;
}

}  // namespace

// 100 000 three-point lines of one colour, width and type, then one synchronisation so that the
// server's drawing counts too.
static void BM_ShortPolylines(benchmark::State &state)
{
    if (!window_open()) {
        state.SkipWithError("no X display: run under xvfb-run");
        return;
    }
    const std::vector<Gpt> pts = make_lines(NUM_LINES, 3, 8);
    gset_line_colr_ind(2);
    gset_linewidth(1);
    gset_linetype(1);
    for (auto _ : state) {
        for (int i = 0; i < NUM_LINES; i++) gpolyline(3, &pts[static_cast<size_t>(i) * 3]);
        gsync();
    }
    state.SetItemsProcessed(state.iterations() * NUM_LINES);
}
BENCHMARK(BM_ShortPolylines)->Unit(benchmark::kMillisecond);

// The same lines with the colour, width and type changed before every line, as symbol and
// barb code does (the setters skip unchanged values).
static void BM_ShortPolylinesChangingAttributes(benchmark::State &state)
{
    if (!window_open()) {
        state.SkipWithError("no X display: run under xvfb-run");
        return;
    }
    const std::vector<Gpt> pts = make_lines(NUM_LINES, 3, 8);
    for (auto _ : state) {
        for (int i = 0; i < NUM_LINES; i++) {
            gset_line_colr_ind(1 + i % 8);
            gset_linewidth(static_cast<float>(i % 3));
            gset_linetype(1 + i % 5);
            gpolyline(3, &pts[static_cast<size_t>(i) * 3]);
        }
        gsync();
    }
    state.SetItemsProcessed(state.iterations() * NUM_LINES);
}
BENCHMARK(BM_ShortPolylinesChangingAttributes)->Unit(benchmark::kMillisecond);

// Long lines (contours, coastlines): 2 000 lines of 200 points.
static void BM_LongPolylines(benchmark::State &state)
{
    if (!window_open()) {
        state.SkipWithError("no X display: run under xvfb-run");
        return;
    }
    constexpr int lines = 2000, points = 200;
    const std::vector<Gpt> pts = make_lines(lines, points, 4);
    gset_line_colr_ind(3);
    gset_linewidth(1);
    gset_linetype(1);
    for (auto _ : state) {
        for (int i = 0; i < lines; i++) gpolyline(points, &pts[static_cast<size_t>(i) * points]);
        gsync();
    }
    state.SetItemsProcessed(state.iterations() * lines * points);
}
BENCHMARK(BM_LongPolylines)->Unit(benchmark::kMillisecond);
