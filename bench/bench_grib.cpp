// GRIB edition 1: a 1440 x 721 field of 16-bit simple packing (a quarter-degree global grid)
// decoded through the grid-file layer, beside eccodes decoding the same message in the same
// run (codes_get_double_array on a handle made from the message in memory, and from the file).
// The message is made with eccodes from its GRIB1 sample.  Report the ratio of the times.
#include "grd_file.h"
#include "grd_tool.h"
#include "vykplot.h"

#include <eccodes.h>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr long NI = 1440, NJ = 721;

/// The message, written to a scratch file once.
struct Message {
    std::string path = "/tmp/vyk_bench_grib_" + std::to_string(getpid()) + ".grib1";
    std::vector<unsigned char> bytes;
    Message()
    {
        MESS_set(0, 0);
        codes_handle *h = codes_grib_handle_new_from_samples(nullptr, "GRIB1");
        if (!h) return;
        codes_set_long(h, "centre", 7);
        codes_set_long(h, "Ni", NI);
        codes_set_long(h, "Nj", NJ);
        codes_set_double(h, "latitudeOfFirstGridPointInDegrees", 90);
        codes_set_double(h, "longitudeOfFirstGridPointInDegrees", 0);
        codes_set_double(h, "latitudeOfLastGridPointInDegrees", -90);
        codes_set_double(h, "longitudeOfLastGridPointInDegrees", 359.75);
        codes_set_double(h, "iDirectionIncrementInDegrees", 0.25);
        codes_set_double(h, "jDirectionIncrementInDegrees", 0.25);
        codes_set_long(h, "bitsPerValue", 16);
        std::vector<double> v(size_t(NI * NJ));
        for (size_t k = 0; k < v.size(); k++)
            v[k] = 250 + 40 * std::sin(0.0007 * double(k)) * std::cos(0.013 * double(k % NI));
        codes_set_double_array(h, "values", v.data(), v.size());
        const void *msg = nullptr;
        size_t size = 0;
        codes_get_message(h, &msg, &size);
        bytes.assign(static_cast<const unsigned char *>(msg),
                     static_cast<const unsigned char *>(msg) + size);
        codes_handle_delete(h);
        if (FILE *f = std::fopen(path.c_str(), "wb")) {
            std::fwrite(bytes.data(), 1, bytes.size(), f);
            std::fclose(f);
        }
    }
    ~Message() { std::remove(path.c_str()); }
};

Message &message()
{
    static Message m;
    return m;
}

void BM_vyk_grib1_decode(benchmark::State &state)
{
    Message &m = message();
    int kind = GRD_GRIB;
    const int fd = GRD_open(m.path.c_str(), GRD_ACCESS_READ, &kind);
    GRD_info info{};
    if (fd < 0 || GRD_getinfo(fd, &info) != 0) {
        state.SkipWithError("cannot open the message");
        return;
    }
    GRD_report g{};
    GRD_init(&g);
    DOM_init(&g.domain);
    for (auto _ : state) {
        int num = 0;
        if (GRD_read(fd, &g, GRD_READ_VALUES, &num) != 0) {
            state.SkipWithError("cannot decode the message");
            break;
        }
        benchmark::DoNotOptimize(g.grid[NI * NJ / 2]);
    }
    state.SetItemsProcessed(state.iterations() * NI * NJ);
    GRD_free(&g);
    GRD_close(fd);
}
BENCHMARK(BM_vyk_grib1_decode)->Unit(benchmark::kMillisecond);

void BM_eccodes_get_double_array(benchmark::State &state)
{
    Message &m = message();
    std::vector<double> v(size_t(NI * NJ));
    for (auto _ : state) {
        codes_handle *h = codes_handle_new_from_message(nullptr, m.bytes.data(), m.bytes.size());
        size_t n = v.size();
        if (!h || codes_get_double_array(h, "values", v.data(), &n) != 0) {
            state.SkipWithError("eccodes cannot decode the message");
            break;
        }
        codes_handle_delete(h);
        benchmark::DoNotOptimize(v[size_t(NI * NJ / 2)]);
    }
    state.SetItemsProcessed(state.iterations() * NI * NJ);
}
BENCHMARK(BM_eccodes_get_double_array)->Unit(benchmark::kMillisecond);

void BM_eccodes_from_file(benchmark::State &state)
{
    Message &m = message();
    std::vector<double> v(size_t(NI * NJ));
    for (auto _ : state) {
        FILE *f = std::fopen(m.path.c_str(), "rb");
        int err = 0;
        codes_handle *h = f ? codes_handle_new_from_file(nullptr, f, PRODUCT_GRIB, &err) : nullptr;
        size_t n = v.size();
        if (!h || codes_get_double_array(h, "values", v.data(), &n) != 0) {
            if (f) std::fclose(f);
            state.SkipWithError("eccodes cannot read the file");
            break;
        }
        codes_handle_delete(h);
        std::fclose(f);
        benchmark::DoNotOptimize(v[size_t(NI * NJ / 2)]);
    }
    state.SetItemsProcessed(state.iterations() * NI * NJ);
}
BENCHMARK(BM_eccodes_from_file)->Unit(benchmark::kMillisecond);

}  // namespace
