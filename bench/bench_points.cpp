// Point data and stations: writing and reading a point-data file of many stations, one
// arithmetic command joining two such files station by station, and the nearest-station search
// in the shipped surface-station file.
#include "dadodu.h"
#include "cty.h"
#include "vykplot.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

std::string scratch(const char *name)
{
    return "/tmp/vyk_bench_points_" + std::to_string(getpid()) + "_" + name;
}

// A header file of n stations with one value each.
bool write_points(std::string path, int n, float offset)
{
    int type = RAW_TYPE_HEADER;
    const int slot = RAW_open(path.data(), RAW_WRITE, &type);
    if (slot < 0) return false;
    RAW_set_field_name(slot, RAW_field(10), "temp");
    RAW_info info{};
    std::strcpy(info.datim, "12Z 14 MAY 24");
    std::strcpy(info.info, "Temperatures");
    RAW_putinfo(slot, &info);
    RAW_report r{};
    r.type = VAR_T_VALUE;
    for (int k = 0; k < n; k++) {
        std::snprintf(r.id, sizeof r.id, "S%05d", k);
        r.lat = 25.0f + static_cast<float>(k % 250) * 0.1f;
        r.lon = -125.0f + static_cast<float>(k / 250) * 0.2f;
        r.value[0] = k % 53 == 0 ? VYK_MISS : offset + static_cast<float>(k % 40) * 0.5f;
        RAW_write(slot, &r, RAW_LINE, nullptr);
    }
    RAW_close(slot);
    return true;
}

int read_points(std::string path)
{
    int type = RAW_TYPE_NONE;
    const int slot = RAW_open(path.data(), RAW_READ, &type);
    if (slot < 0) return -1;
    RAW_info info{};
    RAW_getinfo(slot, &info);
    RAW_report r{};
    int count = 0;
    for (int line = 0; RAW_read(slot, &r, RAW_field(10), &line) == 0; line++) count++;
    RAW_close(slot);
    return count;
}

void BM_RawWrite(benchmark::State &state)
{
    MESS_set(0, 0);
    const int n = static_cast<int>(state.range(0));
    const std::string path = scratch("write.dat");
    for (auto _ : state) benchmark::DoNotOptimize(write_points(path, n, 10));
    std::remove(path.c_str());
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_RawWrite)->Arg(5000)->Unit(benchmark::kMillisecond);

void BM_RawRead(benchmark::State &state)
{
    MESS_set(0, 0);
    const int n = static_cast<int>(state.range(0));
    const std::string path = scratch("read.dat");
    write_points(path, n, 10);
    for (auto _ : state) {
        const int count = read_points(path);
        if (count != n) state.SkipWithError("not every station read back");
        benchmark::DoNotOptimize(count);
    }
    std::remove(path.c_str());
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_RawRead)->Arg(5000)->Unit(benchmark::kMillisecond);

// "a sub b = c": both files read into tables, joined by identifier, the result written.
void BM_RawMathJoin(benchmark::State &state)
{
    MESS_set(0, 0);
    const int n = static_cast<int>(state.range(0));
    const std::string a = scratch("a.dat"), b = scratch("b.dat"), c = scratch("c.dat");
    write_points(a, n, 10);
    write_points(b, n, 4);
    for (auto _ : state) {
        std::vector<std::string> words = {a, "sub", b, "=", c};
        std::vector<char *> argv;
        for (std::string &w : words) argv.push_back(w.data());
        if (RAW_math_command(static_cast<int>(argv.size()), argv.data()) != 1)
            state.SkipWithError("the command failed");
    }
    for (const std::string &f : {a, b, c}) std::remove(f.c_str());
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_RawMathJoin)->Arg(5000)->Unit(benchmark::kMillisecond);

// The nearest station to points over the contiguous United States, in the shipped sao.cty
// stored by location.
void BM_CtyNearest(benchmark::State &state)
{
    MESS_set(0, 0);
    RES_put("file_path", VYK_ETC_DIR);
    Domain dom{};
    DOM_decode("ll,0,0,361,181,1,1", &dom);
    if (CTY_store(nullptr, CTY_STORE_XY_LOC, &dom, VYK_MISS) <= 0) {
        state.SkipWithError("no stations stored");
        return;
    }
    int found = 0, k = 0;
    for (auto _ : state) {
        const float lat = 25.0f + static_cast<float>(k % 97) * 0.25f;
        const float lon = -124.0f + static_cast<float>(k % 113) * 0.5f;
        CTY_locate loc{};
        found += CTY_search_loc(lat, lon, &loc);
        k++;
    }
    CTY_clear();
    state.counters["found"] = benchmark::Counter(found, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_CtyNearest);

// A station file of n stations on a lattice over the globe (about 0.2 degrees apart for a
// million), stored by location once for the whole run (the table keeps the bucket count of the
// file's size, at most 4000); then nearest-station searches at points between the stations and
// look-ups by identifier.
bool store_lattice(int n, double &seconds)
{
    static int stored = 0;
    static double took = 0;
    seconds = took;
    if (stored == n && CTY_get_table() && CTY_get_table()->num_entry == n) return true;
    const std::string dir = scratch("cty");
    mkdir(dir.c_str(), 0700);
    const std::string file = dir + "/big.cty";
    const int rows = 800, cols = (n + rows - 1) / rows;
    FILE *fp = std::fopen(file.c_str(), "w");
    if (!fp) return false;
    for (int k = 0; k < n; k++) {
        const double lat = -80.0 + 160.0 * (k % rows) / rows;
        const double lon = -179.9 + 359.8 * (k / rows) / cols;
        std::fprintf(fp, "Station_%07d    XX XX S%06d 3    %6.2f %7.2f   100 99999\n", k, k, lat,
                     lon);
    }
    std::fclose(fp);
    RES_put("file_path", dir.c_str());
    Domain dom{};
    DOM_decode("ll,0,0,361,181,1,1", &dom);
    const auto start = std::chrono::steady_clock::now();
    const bool ok = CTY_store("big.cty", CTY_STORE_XY_LOC, &dom, VYK_MISS) > 0;
    took = seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::remove(file.c_str());
    rmdir(dir.c_str());
    stored = ok ? n : 0;
    return ok;
}

void BM_CtyNearestLarge(benchmark::State &state)
{
    MESS_set(0, 0);
    const int n = static_cast<int>(state.range(0));
    double store_seconds = 0;
    if (!store_lattice(n, store_seconds)) {
        state.SkipWithError("no stations stored");
        return;
    }
    int found = 0, k = 0;
    char id[16];
    for (auto _ : state) {
        const float lat = -79.0f + static_cast<float>(k % 997) * 0.157f;
        const float lon = -179.0f + static_cast<float>(k % 1009) * 0.353f;
        CTY_locate loc{};
        found += CTY_search_loc(lat, lon, &loc);
        std::snprintf(id, sizeof id, "S%06d", (k * 7919) % n);
        found += CTY_search(id, &loc);
        k++;
    }
    state.counters["found"] = benchmark::Counter(found, benchmark::Counter::kAvgIterations);
    state.counters["store_s"] = store_seconds;  // storing the file once, for the whole run
}
BENCHMARK(BM_CtyNearestLarge)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

// The longest search: points more than 4.9 degrees from every station (north of the lattice),
// where every ring is probed and nothing is found.
void BM_CtyNoneNearLarge(benchmark::State &state)
{
    MESS_set(0, 0);
    double store_seconds = 0;
    if (!store_lattice(static_cast<int>(state.range(0)), store_seconds)) {
        state.SkipWithError("no stations stored");
        return;
    }
    int found = 0, k = 0;
    for (auto _ : state) {
        CTY_locate loc{};
        found += CTY_search_loc(86.0f, -179.0f + static_cast<float>(k++ % 359), &loc);
    }
    state.counters["found"] = benchmark::Counter(found, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_CtyNoneNearLarge)->Arg(1000000)->Unit(benchmark::kMicrosecond);

}  // namespace
