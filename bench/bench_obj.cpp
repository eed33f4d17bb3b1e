// Objective analysis of 2000 scattered stations onto a 300 x 200 grid with two passes, next to
// the same scheme written with numpy (vectorised over each row of grid points and the stations
// within the radius of that row) in the same run.  numpy's time is measured inside python,
// around the analysis alone (no start-up, no input parsing), and reported as manual time.
//
// BM_ObjPairedWithCKDTree pairs each of our analyses with one of scipy's cKDTree version
// (bench/obj_ckdtree.py), taken right after it.
// Command: build-bench/bench/bench_obj --benchmark_filter=Paired
// Statistic: the time column is ours per iteration (manual time); the counters are the medians
// over the pairs of our milliseconds (vyk_ms), scipy's (peer_ms) and of their ratio (ratio,
// ours / scipy's).
#include "bench_peer.h"
#include "obj.h"
#include "vykplot.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int NX = 300, NY = 200, NSTA = 2000, PASSES = 2;
constexpr float SPACING = 0.25f, FILTER = 4.0f, RADIUS = 20.0f, CONVERG = 0.3f;

struct Case {
    GRD_report grid{};
    std::vector<float> gx, gy, z;
    Case()
    {
        MESS_set(0, 0);
        GRD_init(&grid);
        DOM_init(&grid.domain);
        grid.domain.proj = 2;
        grid.domain.clat = 40;
        grid.domain.clon = -100;
        grid.domain.dx = grid.domain.dy = SPACING;
        grid.domain.nx = NX;
        grid.domain.ny = NY;
        GRD_alloc(&grid);
        unsigned s = 12345;
        const auto next = [&s] {
            s = s * 1103515245u + 12345u;
            return static_cast<float>((s >> 8) % 1000000) / 1e6f;
        };
        for (int k = 0; k < NSTA; k++) {
            gx.push_back(next() * (NX - 1));
            gy.push_back(next() * (NY - 1));
            z.push_back(5500 + 80 * std::sin(gx.back() * 0.05f) * std::cos(gy.back() * 0.07f) + 10 * next());
        }
    }
    ~Case() { GRD_free(&grid); }
    Case(const Case &) = delete;
    Case &operator=(const Case &) = delete;
};

void set_params()
{
    OBJ_initialize();
    OBJ_set_filter(FILTER);
    OBJ_set_rad_inf(RADIUS);
    OBJ_set_num_pass(PASSES);
    OBJ_set_converg(CONVERG);
}

void BM_ObjAnalyze(benchmark::State &state)
{
    Case c;
    MAP_domain(&c.grid.domain);
    std::vector<float> px(NSTA), py(NSTA);
    for (int k = 0; k < NSTA; k++) MAP_grid_tran(c.gx[k], c.gy[k], &px[k], &py[k]);
    for (auto _ : state) {
        std::vector<float> x = px, y = py, z = c.z;
        float *fields[] = {z.data()};
        set_params();
        OBJ_analyze(x.data(), y.data(), fields, NSTA, 1, &c.grid);
        benchmark::DoNotOptimize(c.grid.grid[0]);
    }
}
BENCHMARK(BM_ObjAnalyze)->Unit(benchmark::kMillisecond);

/// Writes the input of obj_ckdtree.py to a new temporary file; its name, empty on failure.
std::string ckdtree_input(const Case &c)
{
    char path[] = "/tmp/bench_obj.XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0) return {};
    FILE *f = fdopen(fd, "wb");
    const int sizes[] = {NX, NY, NSTA, PASSES};
    const double params[] = {SPACING, FILTER, RADIUS, CONVERG};
    std::fwrite(sizes, sizeof sizes, 1, f);
    std::fwrite(params, sizeof params, 1, f);
    for (const std::vector<float> *v : {&c.gx, &c.gy, &c.z}) std::fwrite(v->data(), sizeof(float), v->size(), f);
    std::fclose(f);
    return path;
}

void BM_ObjPairedWithCKDTree(benchmark::State &state)
{
    Case c;
    MAP_domain(&c.grid.domain);
    std::vector<float> px(NSTA), py(NSTA);
    for (int k = 0; k < NSTA; k++) MAP_grid_tran(c.gx[k], c.gy[k], &px[k], &py[k]);
    const std::string input = ckdtree_input(c);
    Peer peer(VYK_BENCH_DIR "/obj_ckdtree.py", input);
    std::vector<double> ours, theirs, ratio;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        std::vector<float> x = px, y = py, z = c.z;
        float *fields[] = {z.data()};
        set_params();
        OBJ_analyze(x.data(), y.data(), fields, NSTA, 1, &c.grid);
        const double t = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        benchmark::DoNotOptimize(c.grid.grid[0]);
        const double p = peer.run();
        if (p <= 0) {
            state.SkipWithError("the scipy peer did not run");
            break;
        }
        state.SetIterationTime(t);
        ours.push_back(t * 1e3);
        theirs.push_back(p * 1e3);
        ratio.push_back(t / p);
    }
    std::remove(input.c_str());
    state.counters["vyk_ms"] = median(ours);
    state.counters["peer_ms"] = median(theirs);
    state.counters["ratio"] = median(ratio);
}
BENCHMARK(BM_ObjPairedWithCKDTree)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(11);

const char *const NUMPY = R"(
import sys, time
import numpy as np
w = sys.stdin.read().split()
nx, ny, ns, npass = int(w[0]), int(w[1]), int(w[2]), int(w[3])
dx, f, rad, conv, reps = float(w[4]), float(w[5]), float(w[6]), float(w[7]), int(w[8])
a = np.array(w[9:9 + 3 * ns], dtype=np.float64).reshape(3, ns)
gx, gy, z = a
R2 = (rad * dx) ** 2
cols = np.arange(nx, dtype=np.float64)
def one_pass(v, f, g, first):
    out = g.copy()
    for j in range(ny):
        ay = (dx * (gy - j)) ** 2
        near = ay <= R2
        d2 = (dx * (gx[near][None, :] - cols[:, None])) ** 2 + ay[near][None, :]
        m = d2 <= R2
        wt = np.where(m, np.exp(-d2 / f), 0.0)
        ws = wt.sum(axis=1)
        s = wt @ v[near]
        ok = (ws > 0) & (m.sum(axis=1) >= 1)
        mean = np.where(ok, s / np.where(ok, ws, 1.0), 0.0)
        if first: out[j] = np.where(ok, mean, np.nan)
        else: out[j] = np.where(ok, g[j] + mean, g[j])
    return out
def resid(g):
    i = np.minimum(gx.astype(int), nx - 2); j = np.minimum(gy.astype(int), ny - 2)
    fx = gx - i; fy = gy - j
    v = (1-fx)*(1-fy)*g[j, i] + fx*(1-fy)*g[j, i+1] + (1-fx)*fy*g[j+1, i] + fx*fy*g[j+1, i+1]
    return z - v
best = []
for r in range(reps):
    t0 = time.perf_counter()
    ff = f
    g = one_pass(z, ff, np.zeros((ny, nx)), True)
    for p in range(2, npass + 1):
        ff *= conv
        g = one_pass(np.nan_to_num(resid(g)), ff, g, False)
    best.append(time.perf_counter() - t0)
print(' '.join(repr(b) for b in best))
)";

// numpy's times of reps analyses, in seconds.
std::vector<double> numpy_times(const Case &c, int reps)
{
    std::ostringstream in;
    in.precision(9);
    in << NX << ' ' << NY << ' ' << NSTA << ' ' << PASSES << ' ' << SPACING << ' ' << FILTER << ' '
       << RADIUS << ' ' << CONVERG << ' ' << reps << '\n';
    for (float v : c.gx) in << v << ' ';
    for (float v : c.gy) in << v << ' ';
    for (float v : c.z) in << v << ' ';
    char path[] = "/tmp/bench_obj.XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0) return {};
    FILE *f = fdopen(fd, "w");
    std::fputs(in.str().c_str(), f);
    std::fclose(f);
    std::ostringstream script;
    std::string cmd = "/usr/bin/python3 -c '";
    for (const char *p = NUMPY; *p; p++) {
        if (*p == '\'') cmd += "'\\''";
        else cmd += *p;
    }
    cmd += "' < ";
    cmd += path;
    std::vector<double> out;
    if (FILE *p = popen(cmd.c_str(), "r")) {
        double t;
        while (std::fscanf(p, "%lf", &t) == 1) out.push_back(t);
        pclose(p);
    }
    std::remove(path);
    return out;
}

void BM_ObjNumpy(benchmark::State &state)
{
    Case c;
    for (auto _ : state) {
        const std::vector<double> t = numpy_times(c, 1);
        if (t.empty()) {
            state.SkipWithError("numpy did not run");
            break;
        }
        state.SetIterationTime(t[0]);
    }
}
BENCHMARK(BM_ObjNumpy)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

}  // namespace
