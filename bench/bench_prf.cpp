// The profiler reader on generated files (six stations of 72 levels): a whole file of either
// netCDF layout or of bulletins, a day of bulletin files, and the lookup of one station in each
// file of a 13-hour series, as the time-height section does it on every draw.
#include "vykprf.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

/// Sample files made by the generator in a scratch directory, removed at exit.
class Samples {
public:
    Samples()
    {
        char tmpl[] = "/tmp/bench_prf.XXXXXX";
        if (mkdtemp(tmpl) == nullptr)
            std::abort();
        dir_ = tmpl;
        const std::string cmd = std::string(VYK_PRFGEN) + " -n 24 " + dir_;
        if (std::system(cmd.c_str()) != 0)
            std::abort();
    }
    ~Samples()
    {
        std::system(("rm -rf " + dir_).c_str());
    }
    std::string file(const char *layout, int hour) const
    {
        char name[40];
        std::snprintf(name, sizeof name, "/%s/20240514%02d.prf", layout, hour);
        return dir_ + name;
    }

private:
    std::string dir_;
};

const Samples &samples()
{
    static const Samples s;
    return s;
}

void read_file(benchmark::State &state, const char *layout)
{
    const std::string path = samples().file(layout, 12);
    PRF_report report;
    for (auto _ : state) {
        int kind = 0;
        const int fd = PRF_open(path.c_str(), 0, &kind);
        PRF_info info = {};
        PRF_getinfo(fd, &info);
        int n = 0;
        while (PRF_read(fd, &report, 0, nullptr) == 1)
            n++;
        PRF_close(fd);
        benchmark::DoNotOptimize(n);
    }
    state.SetItemsProcessed(state.iterations() * 6);
}

void BM_PrfReadStationLayout(benchmark::State &state)
{
    read_file(state, "station");
}
BENCHMARK(BM_PrfReadStationLayout);

void BM_PrfReadRecordLayout(benchmark::State &state)
{
    read_file(state, "record");
}
BENCHMARK(BM_PrfReadRecordLayout);

void BM_PrfReadBulletins(benchmark::State &state)
{
    read_file(state, "bufr");
}
BENCHMARK(BM_PrfReadBulletins);

/// Every report of a day's bulletin files (24 files of 6 messages).
void BM_PrfBulletinDay(benchmark::State &state)
{
    std::string files[24];
    for (int h = 0; h < 24; h++)
        files[h] = samples().file("bufr", h);
    PRF_report report;
    for (auto _ : state) {
        int n = 0;
        for (const std::string &f : files) {
            int kind = PRF_BUFR;
            const int fd = PRF_open(f.c_str(), 0, &kind);
            while (PRF_read(fd, &report, 0, nullptr) == 1)
                n++;
            PRF_close(fd);
        }
        benchmark::DoNotOptimize(n);
    }
    state.SetItemsProcessed(state.iterations() * 24 * 6);
}
BENCHMARK(BM_PrfBulletinDay);

void BM_PrfStationOverSeries(benchmark::State &state)
{
    std::string files[13];
    for (int h = 0; h < 13; h++)
        files[h] = samples().file("station", h);
    PRF_report report;
    for (auto _ : state) {
        int found = 0;
        for (const std::string &f : files)
            found += PRF_read_station(f.c_str(), "WSMN5", &report);
        benchmark::DoNotOptimize(found);
    }
    state.SetItemsProcessed(state.iterations() * 13);
}
BENCHMARK(BM_PrfStationOverSeries);

}  // namespace
