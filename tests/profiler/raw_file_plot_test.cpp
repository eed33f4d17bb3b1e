// Point-data files analysed onto grids: an analytic field sampled at scattered stations comes
// back within the analysis's smoothing, the buffers grow past their first size, the grid output
// choices of out_file, and hostile files that give a message and no grid.  (Plotting files
// station by station is driven through the map plot program: tests/plot/map_plot_test.cpp.)
#include <gtest/gtest.h>

#include "dadodu.h"
#include "test_util.h"
#include "vyk.h"
#include "grd_file.h"
#include "grd_tool.h"
#include "vykplot.h"

#include <cmath>
#include <cstdio>
#include <functional>
#include <string>

namespace {

using vyktest::CaptureStdio;
using vyktest::TempDir;
using vyktest::has;

/// The field sampled: a plane rising to the north-east, in degrees of latitude and longitude.
float plane(float lat, float lon) { return 20.0f + 0.8f * (lat - 40.0f) + 0.5f * (lon + 100.0f); }
const float PLANE_GRADIENT = std::hypot(0.8f, 0.5f);

/// A deterministic scatter: the n-th of a jittered lattice of spacing step over the box.
struct Scatter {
    unsigned seed = 12345;
    float next01()
    {
        seed = seed * 1103515245u + 12345u;
        return static_cast<float>((seed >> 8) & 0xFFFF) / 65536.0f;
    }
};

/// A point-data file of the stations lat, lon with value f(lat, lon).
std::string station_file(int n, const std::function<void(int, float &, float &)> &where,
                         const std::function<float(float, float)> &f)
{
    std::string text = "DADODU\n00Z 1 JAN 26\nAnalytic field\n";
    char line[128];
    for (int i = 0; i < n; i++) {
        float lat, lon;
        where(i, lat, lon);
        std::snprintf(line, sizeof line, "S%04d %.3f %.3f %.4f\n", i, lat, lon, f(lat, lon));
        text += line;
    }
    return text;
}

/// The resources of a gridding into dir over domain, which is made current too.
void setup(const TempDir &dir, const char *domain)
{
    FLAG_set_batch(1);
    RES_put("file_path", VYK_SOURCE_DIR "/etc");
    RES_put("raw_path", dir.path().c_str());
    RES_put("grid_path", dir.path().c_str());
    RES_put("region", domain);
    Domain dom;
    ASSERT_GT(DOM_decode(domain, &dom), 0);
    MAP_domain(&dom);
}

/// The largest difference between grid slot 0 and f at its points, over rows and columns
/// [margin, n - margin); -1 when a point is missing.
float worst(const std::function<float(float, float)> &f, int margin)
{
    const GRD_report *g = GRD_get_grid(0);
    if (!g || !g->grid) return -1;
    const Domain &d = g->domain;
    float worst = 0;
    for (int j = margin; j < d.ny - margin; j++) {
        for (int i = margin; i < d.nx - margin; i++) {
            const float v = g->grid[i + j * d.nx];
            if (v == VYK_MISS) return -1;
            // Rows run from the top: row j lies at clat + (ny - 1) / 2 - j spacings.
            const float lat = d.clat + ((d.ny - 1) / 2.0f - j) * d.dy;
            const float lon = d.clon + (i - (d.nx - 1) / 2.0f) * d.dx;
            worst = std::fmax(worst, std::fabs(v - f(lat, lon)));
        }
    }
    return worst;
}

}  // namespace

// A plane sampled at 500 scattered stations, gridded at one degree: the Gaussian weights
// (e-folding length the filter's one degree) leave the grid within the plane's rise over
// that length everywhere inside the network; the grid is saved where out_file says.
TEST(RawFilePlot, GriddedFieldAgreesWithTheAnalyticField)
{
    TempDir dir;
    setup(dir, "ll,40,-100,21,11,1,1");
    RES_put("out_file", "vyk");
    Scatter s;
    const auto where = [&](int, float &lat, float &lon) {
        lat = 33.0f + 14.0f * s.next01();
        lon = -113.0f + 26.0f * s.next01();
    };
    vyktest::write_file(dir.file("field.raw"), station_file(500, where, plane));
    CaptureStdio cap;
    EXPECT_EQ(RAW_grid_file("field.raw", 0), 0);
    cap.finish();
    EXPECT_TRUE(has(cap.out(), "Reading in data from raw file...")) << cap.out();
    const GRD_report *g = GRD_get_grid(0);
    ASSERT_NE(g->grid, nullptr);
    EXPECT_EQ(g->domain.nx, 21);
    EXPECT_EQ(g->domain.ny, 11);
    const float err = worst(plane, 0);
    EXPECT_GE(err, 0) << "a grid point is missing";
    EXPECT_LT(err, PLANE_GRADIENT * 1.0f);
    EXPECT_STREQ(g->info, "Analytic field");
    // The grid file of the file's date, in the text form.
    const std::string saved = dir.file("2026010100_raw.grd");
    ASSERT_TRUE(vyktest::read_file(saved).rfind("VYKGRID", 0) == 0) << saved;
    int kind = 0;
    const int fd = GRD_open(saved.c_str(), 0, &kind);
    ASSERT_GE(fd, 0);
    GRD_info info{};
    GRD_getinfo(fd, &info);
    GRD_report back;
    GRD_init(&back);
    int num = 0;
    ASSERT_EQ(GRD_read(fd, &back, GRD_READ_VALUES, &num), 0);
    ASSERT_NE(back.grid, nullptr);
    for (int k = 0; k < 21 * 11; k++) ASSERT_NEAR(back.grid[k], g->grid[k], 1e-3f) << k;
    GRD_free(&back);
    GRD_close(fd);
}

// A curved field (a Gaussian hill) on a denser network: the analysis smooths the hill by about
// its filter, so the grid stays within the hill's change over one degree.
TEST(RawFilePlot, GriddedHillKeepsItsShape)
{
    TempDir dir;
    setup(dir, "ll,40,-100,21,11,1,1");
    const auto hill = [](float lat, float lon) {
        const float d2 = (lat - 40) * (lat - 40) + (lon + 100) * (lon + 100);
        return 50.0f * std::exp(-d2 / 50.0f);
    };
    int n = 0;
    const auto where = [&](int i, float &lat, float &lon) {
        lat = 33.0f + 0.5f * static_cast<float>(i / 53);
        lon = -113.0f + 0.5f * static_cast<float>(i % 53);
        n++;
    };
    vyktest::write_file(dir.file("hill.raw"), station_file(29 * 53, where, hill));
    RAW_grid_file("hill.raw", 0);
    // The hill's steepest change over one degree is 50 * sqrt(2/50) * exp(-1/2) * 1 = 6.1.
    const float err = worst(hill, 0);
    EXPECT_GE(err, 0);
    EXPECT_LT(err, 6.1f);
    const GRD_report *g = GRD_get_grid(0);
    EXPECT_NEAR(g->grid[10 + 5 * 21], 50.0f, 2.0f);  // the top of the hill stays
}

// 1000 stations: the buffers grow once, to 1200, and every station reaches the analysis (the
// last 200, alone in the east, set the grid there).
TEST(RawFilePlot, BuffersGrowAndKeepEveryStation)
{
    TempDir dir;
    setup(dir, "ll,40,-100,21,11,1,1");
    const auto where = [](int i, float &lat, float &lon) {
        if (i < 800) {
            lat = 34.0f + 0.4f * static_cast<float>(i / 40);
            lon = -112.0f + 0.3f * static_cast<float>(i % 40);  // west of -100
        } else {
            lat = 34.0f + 0.6f * static_cast<float>((i - 800) / 10);
            lon = -98.0f + 1.0f * static_cast<float>((i - 800) % 10);  // east of -98
        }
    };
    const auto step = [](float, float lon) { return lon < -99.0f ? 0.0f : 10.0f; };
    vyktest::write_file(dir.file("many.raw"), station_file(1000, where, step));
    CaptureStdio cap;
    RAW_grid_file("many.raw", 0);
    cap.finish();
    size_t count = 0;
    for (size_t at = 0; (at = cap.out().find("Increasing arrays to", at)) != std::string::npos; at++) count++;
    EXPECT_EQ(count, 1u);
    EXPECT_TRUE(has(cap.out(), "Increasing arrays to 1200")) << cap.out();
    const GRD_report *g = GRD_get_grid(0);
    ASSERT_NE(g->grid, nullptr);
    EXPECT_NEAR(g->grid[2 + 5 * 21], 0.0f, 0.01f);   // lon -108
    EXPECT_NEAR(g->grid[16 + 5 * 21], 10.0f, 0.01f);  // lon -94
}

// The buffers refuse what they cannot hold: a field beyond the twentieth, a station past the end.
TEST(RawFilePlot, BufferBounds)
{
    RAW_init_oa_data();
    EXPECT_EQ(RAW_add_oa_field(20), -1);
    EXPECT_EQ(RAW_add_oa_field(-1), -1);
    EXPECT_EQ(RAW_chk_oa_data(0), 0);
    EXPECT_EQ(RAW_add_oa_field(0), 0);
    EXPECT_EQ(RAW_chk_oa_data(0), 1);
    EXPECT_EQ(RAW_add_oa_loc(801, 1, 1), -1);  // stations come in order
    EXPECT_EQ(RAW_add_oa_data(0, 900, 1), -1);
    EXPECT_EQ(RAW_add_oa_data(5, 3, 1), 0);    // no storage: only counted
    RAW_free_oa_data();
    EXPECT_EQ(RAW_chk_oa_data(0), 0);
}

// The grid output of out_file: the kind, flag 17 and the convention's template.
TEST(RawFilePlot, GridOutputChoices)
{
    RES_put("file_path", VYK_SOURCE_DIR "/etc");
    const struct {
        const char *out_file;
        int kind;
        const char *conv;  // the template chosen
    } cases[] = {
        {"none", 0, "%Y%m%d%h_raw.grd"},
        {"gif", 0, "%Y%m%d%h_raw.grd"},
        {"cdf", 11, "%Y%m%d%h_raw.nc"},
        {"cdf_mine", 11, "mine"},
        {"vyk", 2, "%Y%m%d%h_raw.grd"},
        {"VYKB", 3, "%Y%m%d%h_raw.grd"},
        {"vykb_other", 3, "other"},
        {"plain_name", 2, "plain_name"},
        {"cdf,none", 11, "%Y%m%d%h_raw.nc"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.out_file);
        FLAG_set(FLAG_GRID_FILE, 0);
        RES_put("out_file", c.out_file);
        EXPECT_EQ(RAW_grd_out_file(), c.kind);
        EXPECT_EQ(FLAG_get(FLAG_GRID_FILE), c.kind);
        EXPECT_STREQ(FILE_get_conv(), c.conv);
    }
}

// Hostile files give a message and no grid, never a crash: missing, empty, cut in the header,
// binary, and lines of nonsense numbers.
TEST(RawFilePlot, HostileFilesGiveAMessage)
{
    TempDir dir;
    setup(dir, "ll,40,-100,21,11,1,1");
    const struct {
        const char *name, *text, *message;
    } cases[] = {
        {"missing.raw", nullptr, "Unable to open file"},
        {"empty.raw", "", "No stations to grid"},
        {"cut.raw", "DADODU\n00Z 1 JA", "No stations to grid"},
        {"binary.raw", "\x01\x02\xff\xfe 9 9\n", "No stations to grid"},
        {"nonsense.raw", "DADODU\nx\ny\nA 1e999 nan 3\nB inf -inf 4\nC 40 -100 1e40,1e40\n", nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        if (c.text) vyktest::write_file(dir.file(c.name), c.text);
        CaptureStdio cap;
        EXPECT_EQ(RAW_grid_file(c.name, 1), 0);
        cap.finish();
        if (c.message) {
            EXPECT_TRUE(has(cap.err(), c.message)) << cap.err();
        }
    }
}
