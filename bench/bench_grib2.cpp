// GRIB edition 2: the largest simple-, complex- and JPEG 2000-packed fields of the test corpus
// (tests/data/grib2) decoded through the grid-file layer, beside eccodes decoding the same
// message in the same run (codes_get_double_array on a handle made from the message in
// memory).  The corpus's simple-packed fields are small (81 x 61), so a 1440 x 721 field
// repacked as simple packing by eccodes from the GDAS field is measured as well, and the PNG
// field (7000 x 3500) for completeness.  Report the ratio of the times of each pair.
#include "grd_file.h"
#include "grd_tool.h"
#include "vykplot.h"
#include "vykresrc.h"

#include <eccodes.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

struct Field {
    std::string path;                // the file the decoder reads
    int product = 0;                 // its product number
    std::vector<unsigned char> msg;  // the message eccodes decodes
    size_t points = 0;
};

std::string scratch(const std::string &name)
{
    return "/tmp/vyk_bench_grib2_" + std::to_string(getpid()) + "_" + name;
}

/// The corpus file, unpacked into a scratch file when it is compressed.
std::string unpacked(const std::string &name)
{
    const std::string src = std::string(VYK_DATA_DIR) + "/grib2/" + name;
    if (name.size() < 3 || name.compare(name.size() - 3, 3, ".xz") != 0) return src;
    const std::string out = scratch(name.substr(0, name.size() - 3));
    const std::string cmd = "xz -dc '" + src + "' > '" + out + "'";
    if (std::system(cmd.c_str()) != 0) return "";
    return out;
}

/// Message number msg of a file, as eccodes reads it.
std::vector<unsigned char> message_of(const std::string &path, int msg, size_t *points)
{
    std::vector<unsigned char> bytes;
    FILE *f = std::fopen(path.c_str(), "rb");
    if (!f) return bytes;
    int err = 0;
    for (int i = 0; i <= msg; i++) {
        codes_handle *h = codes_handle_new_from_file(nullptr, f, PRODUCT_GRIB, &err);
        if (!h) break;
        if (i == msg) {
            const void *m = nullptr;
            size_t size = 0;
            codes_get_message(h, &m, &size);
            bytes.assign(static_cast<const unsigned char *>(m),
                         static_cast<const unsigned char *>(m) + size);
            codes_get_size(h, "values", points);
        }
        codes_handle_delete(h);
    }
    std::fclose(f);
    return bytes;
}

/// The GDAS field repacked with simple packing of 16 bits.
Field simple_gdas()
{
    Field f;
    const std::string src = unpacked("gdas.t12z.pgrb2.0p25.f000.12.xz");
    size_t n = 0;
    const std::vector<unsigned char> m = message_of(src, 0, &n);
    codes_handle *h = codes_handle_new_from_message_copy(nullptr, m.data(), m.size());
    if (!h) return f;
    std::vector<double> v(n);
    codes_get_double_array(h, "values", v.data(), &n);
    const char *packing = "grid_simple";
    size_t len = std::strlen(packing);
    codes_set_string(h, "packingType", packing, &len);
    codes_set_long(h, "bitsPerValue", 16);
    codes_set_double_array(h, "values", v.data(), n);
    const void *out = nullptr;
    size_t size = 0;
    codes_get_message(h, &out, &size);
    f.msg.assign(static_cast<const unsigned char *>(out), static_cast<const unsigned char *>(out) + size);
    codes_get_size(h, "values", &f.points);
    codes_handle_delete(h);
    f.path = scratch("gdas_simple.grib2");
    if (FILE *o = std::fopen(f.path.c_str(), "wb")) {
        std::fwrite(f.msg.data(), 1, f.msg.size(), o);
        std::fclose(o);
    }
    return f;
}

Field &field(const std::string &key)
{
    static std::map<std::string, Field> fields;
    auto it = fields.find(key);
    if (it != fields.end()) return it->second;
    MESS_set(0, 0);
    RES_put("file_path", VYK_ETC_DIR);
    Field f;
    struct Source {
        const char *key, *file;
        int product, message;
    };
    static const Source SOURCES[] = {
        // the first of the 16 fields of one message, all of 81 x 61 points (eccodes decodes
        // the first field of a message handed to it)
        {"simple", "Z__C_RJTD_20170221120000_MSG_GPV_Gll0p5deg_Pys_B20170221120000_F2017022115-"
                   "2017022212_grib2.bin.xz", 0, 0},
        {"complex", "ds.critfireo.bin.xz", 0, 0},
        {"spatial", "gdas.t12z.pgrb2.0p25.f000.12.xz", 0, 0},
        {"jpeg", "CMC_glb_TMP_ISBL_1_latlon.24x.24_2021051800_P000.grib2", 0, 0},
        {"png", "MRMS_PrecipFlag_00.00_20260219-042400.grib2.gz", 0, 0},
    };
    if (key == "simple_large") {
        f = simple_gdas();
    } else {
        for (const Source &s : SOURCES) {
            if (key != s.key) continue;
            std::string name = s.file;
            if (name.size() > 3 && name.compare(name.size() - 3, 3, ".gz") == 0) {
                const std::string out = scratch(name.substr(0, name.size() - 3));
                const std::string cmd = "gzip -dc '" + std::string(VYK_DATA_DIR) + "/grib2/" +
                                        name + "' > '" + out + "'";
                f.path = std::system(cmd.c_str()) == 0 ? out : "";
            } else {
                f.path = unpacked(name);
            }
            f.product = s.product;
            f.msg = message_of(f.path, s.message, &f.points);
        }
    }
    return fields[key] = f;
}

void vyk_decode(benchmark::State &state, const std::string &key)
{
    Field &f = field(key);
    if (f.points == 0) {
        state.SkipWithError("eccodes cannot read the field");
        return;
    }
    int kind = GRD_GRIB;
    const int fd = f.path.empty() ? -1 : GRD_open(f.path.c_str(), GRD_ACCESS_READ, &kind);
    GRD_info info{};
    if (fd < 0 || GRD_getinfo(fd, &info) != 0) {
        state.SkipWithError("cannot open the field");
        return;
    }
    GRD_report g{};
    GRD_init(&g);
    DOM_init(&g.domain);
    // One read before the timing makes the value array, as eccodes' array is made before it.
    int first = f.product;
    GRD_read(fd, &g, GRD_READ_VALUES, &first);
    for (auto _ : state) {
        int num = f.product;
        if (GRD_read(fd, &g, GRD_READ_VALUES, &num) != 0) {
            state.SkipWithError("cannot decode the field");
            break;
        }
        benchmark::DoNotOptimize(g.grid[f.points / 2]);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(f.points));
    GRD_free(&g);
    GRD_close(fd);
}

void eccodes_decode(benchmark::State &state, const std::string &key)
{
    Field &f = field(key);
    if (f.msg.empty() || f.points == 0) {
        state.SkipWithError("eccodes cannot read the field");
        return;
    }
    std::vector<double> v(f.points);
    for (auto _ : state) {
        codes_handle *h = codes_handle_new_from_message(nullptr, f.msg.data(), f.msg.size());
        size_t n = v.size();
        if (!h || codes_get_double_array(h, "values", v.data(), &n) != 0) {
            state.SkipWithError("eccodes cannot decode the field");
            break;
        }
        codes_handle_delete(h);
        benchmark::DoNotOptimize(v[f.points / 2]);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(f.points));
}

void BM_vyk_simple(benchmark::State &s) { vyk_decode(s, "simple"); }
void BM_eccodes_simple(benchmark::State &s) { eccodes_decode(s, "simple"); }
void BM_vyk_simple_1440x721(benchmark::State &s) { vyk_decode(s, "simple_large"); }
void BM_eccodes_simple_1440x721(benchmark::State &s) { eccodes_decode(s, "simple_large"); }
void BM_vyk_complex(benchmark::State &s) { vyk_decode(s, "complex"); }
void BM_eccodes_complex(benchmark::State &s) { eccodes_decode(s, "complex"); }
void BM_vyk_spatial_differencing(benchmark::State &s) { vyk_decode(s, "spatial"); }
void BM_eccodes_spatial_differencing(benchmark::State &s) { eccodes_decode(s, "spatial"); }
void BM_vyk_jpeg2000(benchmark::State &s) { vyk_decode(s, "jpeg"); }
void BM_eccodes_jpeg2000(benchmark::State &s) { eccodes_decode(s, "jpeg"); }
void BM_vyk_png(benchmark::State &s) { vyk_decode(s, "png"); }
void BM_eccodes_png(benchmark::State &s) { eccodes_decode(s, "png"); }

BENCHMARK(BM_vyk_simple)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_eccodes_simple)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_vyk_simple_1440x721)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_eccodes_simple_1440x721)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_vyk_complex)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_eccodes_complex)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_vyk_spatial_differencing)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_eccodes_spatial_differencing)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_vyk_jpeg2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_eccodes_jpeg2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_vyk_png)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_eccodes_png)->Unit(benchmark::kMillisecond);

/// Removes the scratch files at the end of the run.
struct Cleanup {
    ~Cleanup()
    {
        const std::string cmd = "rm -f " + scratch("*");
        if (std::system(cmd.c_str()) != 0) std::fprintf(stderr, "scratch files left\n");
    }
} cleanup;

}  // namespace
