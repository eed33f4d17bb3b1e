// Vorticity, convergence and advection of 1000 x 1000 fields without missing values, paired
// with numpy.gradient versions of the same three (bench/kin_numpy.py) in the same run: each
// iteration times our three operators, then the peer's three, so the medians compare pairs
// taken side by side.
//
// Command: build-bench/bench/bench_kin
// Statistic: the time column is ours per iteration (manual time); the counters are the medians
// over the pairs of our milliseconds (vyk_ms), numpy's (peer_ms) and of their ratio (ratio,
// ours / numpy's).
#include "bench_peer.h"
#include "vykgrd.h"
#include "grd_kin.h"
#include "vykplot.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int N = 1000, PAIRS = 11;
constexpr double DEG2RAD = 0.017453292519943334;

/// A complete n x n field of a smooth pattern on a latitude-longitude grid from 15 to 65 N.
struct Field {
    GRD_report r{};
    Field(float scale, float offset, float phase)
    {
        MESS_set(0, 0);
        GRD_init(&r);
        DOM_decode("ll,40,-100,10,10,0.05,0.05", &r.domain);
        r.domain.nx = r.domain.ny = N;
        GRD_alloc(&r);
        for (int j = 0; j < N; j++)
            for (int i = 0; i < N; i++)
                r.grid[j * N + i] = offset + scale * std::sin(0.011f * i + phase) * std::cos(0.007f * j);
    }
    ~Field() { GRD_free(&r); }
    Field(const Field &) = delete;
    Field &operator=(const Field &) = delete;
};

struct Output {
    GRD_report r{};
    explicit Output(const Field &like)
    {
        GRD_init(&r);
        r.domain = like.r.domain;
        GRD_alloc(&r);
    }
    ~Output() { GRD_free(&r); }
    Output(const Output &) = delete;
    Output &operator=(const Output &) = delete;
};

/// Writes the peer's input (see kin_numpy.py) to a new temporary file; its name, empty on failure.
std::string peer_input(const Field &u, const Field &v, const Field &z)
{
    char path[] = "/tmp/bench_kin.XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0) return {};
    FILE *f = fdopen(fd, "wb");
    const Domain &d = u.r.domain;
    const int size[2] = {d.nx, d.ny};
    const double sy = d.dy * GRD_UNITS_PER_DEG;
    std::vector<double> sx(static_cast<size_t>(d.ny));
    const double lat_min = d.clat - static_cast<double>(d.dy) * (d.ny - 1) / 2.0;
    for (int j = 0; j < d.ny; j++)
        sx[j] = std::cos((lat_min + static_cast<double>(d.dy) * (d.ny - 1 - j)) * DEG2RAD) * d.dx * GRD_UNITS_PER_DEG;
    std::fwrite(size, sizeof size, 1, f);
    std::fwrite(&sy, sizeof sy, 1, f);
    std::fwrite(sx.data(), sizeof(double), sx.size(), f);
    for (const Field *g : {&u, &v, &z}) std::fwrite(g->r.grid, sizeof(float), static_cast<size_t>(N) * N, f);
    std::fclose(f);
    return path;
}

void BM_KinematicsPairedWithNumpy(benchmark::State &state)
{
    Field u(20, 5, 0), v(-15, 2, 1), z(100, 5500, 2);
    Output vort(u), conv(u), adv(u);
    const std::string input = peer_input(u, v, z);
    Peer peer(VYK_BENCH_DIR "/kin_numpy.py", input);
    std::vector<double> ours, theirs, ratio;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        GRD_vorticity(&u.r, &v.r, &vort.r);
        GRD_converge(&u.r, &v.r, nullptr, &conv.r);
        GRD_advection(&u.r, &v.r, &z.r, &adv.r);
        const double t = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        benchmark::DoNotOptimize(adv.r.grid[0]);
        const double p = peer.run();
        if (p <= 0) {
            state.SkipWithError("the numpy peer did not run");
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
BENCHMARK(BM_KinematicsPairedWithNumpy)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(PAIRS);

}  // namespace
