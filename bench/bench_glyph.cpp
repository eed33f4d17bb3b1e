// Wind glyphs and weather symbols on the plotting path: a time-height section draws a barb at
// every height of every file, a station map a symbol at every station.  Drawn into a text
// metafile on /dev/null, so that the glyph code and the kernel's front end are measured.
#include "gks.h"
#include "vyk.h"
#include "wind_glyph.h"

#include <benchmark/benchmark.h>

namespace {

struct Sheet {
    Sheet()
    {
        MESS_set(0, 0);
        gopen_gks(nullptr, 0);
        gopen_ws(1, "/dev/null,vyk", GWS_META);
        gactivate_ws(1);
        const Glim win = {0, 100, 0, 100}, vp = {0, 1, 0, 1};
        gset_win(1, &win);
        gset_vp(1, &vp);
        gsel_norm_tran(1);
        RES_put("file_path", VYK_ETC_DIR);
    }
};

const Sheet &sheet()
{
    static const Sheet s;
    return s;
}

void BM_WindBarb(benchmark::State &state)
{
    sheet();
    int k = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(WIND_barb(50, 50, static_cast<float>(k % 360), static_cast<float>(k % 160), 4, 0));
        k += 7;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_WindBarb);

void BM_WeatherSymbol(benchmark::State &state)
{
    sheet();
    const char *const codes[] = {"RA", "+SN", "TSRA", "FG", "BLSN", "SHRA"};
    int k = 0;
    for (auto _ : state) benchmark::DoNotOptimize(WX_symb(50, 50, codes[k++ % 6], 3));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_WeatherSymbol);

void BM_SkyCover(benchmark::State &state)
{
    sheet();
    const char covers[] = "0123456789";
    int k = 0;
    for (auto _ : state) benchmark::DoNotOptimize(WX_cloud(50, 50, 2, covers[k++ % 10]));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SkyCover);

}  // namespace
