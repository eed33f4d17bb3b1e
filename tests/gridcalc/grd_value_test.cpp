// Extremes, statistics, bilinear values and grid-point positions against numpy on small grids
// with missing points; the largest wind of a purely zonal field; the band before the last
// column and row; printing and editing a value at a point of the map.
#include <gtest/gtest.h>

#include "grd_fixture.h"
#include "test_util.h"
#include "grd_oper.h"
#include "vykplot.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

using grdtest::Grid;
using grdtest::numpy;

namespace {

struct Shape {
    int nx, ny;
    unsigned seed;
    int every;  // every k-th value missing (0 none)
};

const Shape shapes[] = {{1, 1, 1, 0}, {5, 4, 2, 3}, {7, 3, 3, 5}, {2, 6, 4, 2},
                        {3, 3, 5, 1}, {6, 5, 6, 29}, {4, 4, 7, 7}};

// numpy's answer for every grid: max, min, mean, count (nan when none).
const char *const STATS = R"(
for block in sys.stdin.read().split('#')[1:]:
    words = block.split()
    nx, ny = int(words[0]), int(words[1])
    g = np.array([float(w) for w in words[2:2 + nx * ny]], dtype=np.float32)
    g[g == -9999] = np.nan
    ok = ~np.isnan(g)
    if ok.any():
        print(np.nanmax(g), np.nanmin(g), np.float32(g[ok].astype(np.float64).mean()), ok.sum())
    else:
        print('nan nan nan nan')
)";

// numpy's bilinear value at each query point: the four points around it (the point itself for
// a neighbour beyond the last column or row within 0.0001), missing when any is missing.
const char *const BILINEAR = R"(
lines = sys.stdin.read().split('#')[1:]
words = lines[0].split()
nx, ny = int(words[0]), int(words[1])
g = np.array([float(w) for w in words[2:2 + nx * ny]]).reshape(ny, nx)
q = np.array([float(w) for w in lines[1].split()]).reshape(-1, 2)
for gx, gy in q:
    if gx < 0 or gy < 0 or gx > nx - 0.9999 or gy > ny - 0.9999:
        print('nan'); continue
    ix, iy = int(np.floor(gx)), int(np.floor(gy))
    jx, jy = min(ix + 1, nx - 1), min(iy + 1, ny - 1)
    fx, fy = gx - ix, gy - iy
    four = np.array([g[iy, ix], g[iy, jx], g[jy, ix], g[jy, jx]])
    if (four == -9999).any():
        print('nan'); continue
    w = np.array([(1 - fx) * (1 - fy), fx * (1 - fy), (1 - fx) * fy, fx * fy])
    print(repr(float((w * four).sum())))
)";

}  // namespace

TEST(GrdValue, ExtremesAndStatisticsAgreeWithNumpy)
{
    std::string input;
    std::vector<std::vector<float>> ours;
    for (const Shape &s : shapes) {
        Grid g(s.nx, s.ny, grdtest::sample_values(s.nx * s.ny, s.seed, s.every));
        input += "#" + grdtest::as_text(g.r);
        float max = 0, min = 0, avg[2] = {0, 0}, one[2] = {0, 0};
        EXPECT_EQ(GRD_maxmin(&g.r, &max, &min), 0);
        EXPECT_EQ(GRD_stats("avgnum", &g.r, avg), 1);
        EXPECT_EQ(GRD_stats("MaxMin", &g.r, one), 1);
        EXPECT_EQ(one[0], max);
        EXPECT_EQ(one[1], min);
        ours.push_back({max, min, avg[0], avg[1]});
    }
    const std::vector<double> ref = numpy(STATS, input);
    ASSERT_EQ(ref.size(), 4 * ours.size());
    for (size_t i = 0; i < ours.size(); i++) {
        SCOPED_TRACE(i);
        EXPECT_EQ(ours[i][0], static_cast<float>(ref[4 * i]));
        EXPECT_EQ(ours[i][1], static_cast<float>(ref[4 * i + 1]));
        if (ref[4 * i + 2] == VYK_MISS) {
            EXPECT_EQ(ours[i][2], VYK_MISS);
            continue;
        }
        EXPECT_NEAR(ours[i][2], ref[4 * i + 2], 1e-4 * (1 + std::fabs(ref[4 * i + 2])));
        EXPECT_EQ(ours[i][3], static_cast<float>(ref[4 * i + 3]));
    }
    // Without values: -1 and missing extremes; statistics as the words say.
    GRD_report none{};
    GRD_init(&none);
    float max = 0, min = 0, v[2] = {0, 0};
    EXPECT_EQ(GRD_maxmin(&none, &max, &min), -1);
    EXPECT_EQ(max, VYK_MISS);
    EXPECT_EQ(GRD_stats("avg", &none, v), 0);
    EXPECT_EQ(GRD_stats("max", &none, v), 1);
    EXPECT_EQ(v[0], VYK_MISS);
    EXPECT_EQ(GRD_stats("median", &none, v), 0);
    // The case of the three values 1, 2 and 6.
    Grid three(2, 2, {1, VYK_MISS, 2, 6});
    EXPECT_EQ(GRD_stats("avgnum", &three.r, v), 1);
    EXPECT_EQ(v[0], 3);
    EXPECT_EQ(v[1], 3);
}

TEST(GrdValue, LargestWindCountsZonalAndMeridionalPoints)
{
    // A purely zonal field: v is exactly 0 everywhere.
    Grid u(4, 3, {5, -12, 3, VYK_MISS, 7, 0, 9, 1, 2, 2, 2, 2});
    Grid v(4, 3, std::vector<float>(12, 0.0f));
    float max = 0;
    EXPECT_EQ(GRD_UVmax(&u.r, &v.r, &max), 0);
    EXPECT_EQ(max, 12);
    // Meridional, with a missing component here and there, against numpy.
    Grid mu(5, 4, std::vector<float>(20, 0.0f));
    Grid mv(5, 4, grdtest::sample_values(20, 9, 4));
    mu.at(3, 2) = VYK_MISS;
    EXPECT_EQ(GRD_UVmax(&mu.r, &mv.r, &max), 0);
    const std::vector<double> ref = numpy(R"(
u, v = [np.array([float(w) for w in b.split()[2:]], dtype=np.float32) for b in sys.stdin.read().split('#')[1:]]
ok = (u != -9999) & (v != -9999)
print(repr(float(np.sqrt(u[ok] ** 2 + v[ok] ** 2).max())))
)", "#" + grdtest::as_text(mu.r) + "#" + grdtest::as_text(mv.r));
    ASSERT_EQ(ref.size(), 1u);
    EXPECT_FLOAT_EQ(max, static_cast<float>(ref[0]));
    // Calm everywhere has a largest speed of 0; everything missing has none.
    Grid calm(2, 2, std::vector<float>(4, 0.0f));
    EXPECT_EQ(GRD_UVmax(&calm.r, &calm.r, &max), 0);
    EXPECT_EQ(max, 0);
    Grid gone(2, 2, std::vector<float>(4, VYK_MISS));
    EXPECT_EQ(GRD_UVmax(&gone.r, &calm.r, &max), 0);
    EXPECT_EQ(max, VYK_MISS);
    // Grids of different sizes, or without values, are refused.
    vyktest::CaptureStdio cap;
    EXPECT_EQ(GRD_UVmax(&u.r, &calm.r, &max), -1);
    cap.finish();
    EXPECT_NE(cap.err().find("differ in size"), std::string::npos);
    GRD_report none{};
    GRD_init(&none);
    EXPECT_EQ(GRD_UVmax(&none, &v.r, &max), -1);
    EXPECT_EQ(max, VYK_MISS);
}

TEST(GrdValue, BilinearValuesAgreeWithNumpy)
{
    for (const Shape &s : shapes) {
        SCOPED_TRACE(testing::Message() << s.nx << "x" << s.ny);
        Grid g(s.nx, s.ny, grdtest::sample_values(s.nx * s.ny, s.seed, s.every));
        std::vector<float> q;
        for (float gx : {0.0f, 0.25f, 1.0f, 1.5f, 2.7f, -0.01f, static_cast<float>(s.nx - 1),
                         static_cast<float>(s.nx) - 0.99995f, static_cast<float>(s.nx) - 0.99f,
                         static_cast<float>(s.nx) + 3})
            for (float gy : {0.0f, 0.6f, 1.0f, 2.2f, static_cast<float>(s.ny - 1),
                             static_cast<float>(s.ny) - 0.99995f, static_cast<float>(s.ny) - 0.99f, NAN}) {
                q.push_back(gx);
                q.push_back(gy);
            }
        std::ostringstream qs;
        qs.precision(9);
        for (float v : q) qs << (std::isnan(v) ? -1.0f : v) << ' ';
        const std::vector<double> ref = numpy(BILINEAR, "#" + grdtest::as_text(g.r) + "#" + qs.str());
        ASSERT_EQ(ref.size(), q.size() / 2);
        for (size_t k = 0; k < ref.size(); k++) {
            const float ours = GRD_get_value(&g.r, q[2 * k], q[2 * k + 1]);
            SCOPED_TRACE(testing::Message() << q[2 * k] << "," << q[2 * k + 1]);
            if (ref[k] == VYK_MISS) {
                EXPECT_EQ(ours, VYK_MISS);
            } else {
                EXPECT_NEAR(ours, ref[k], 2e-4 * (1 + std::fabs(ref[k])));
            }
        }
    }
}

TEST(GrdValue, ExactPointsAndTheLastColumn)
{
    Grid g(3, 2, {1, 2, 3, 4, 5, VYK_MISS});
    EXPECT_EQ(GRD_get_value(&g.r, 0, 0), 1);
    EXPECT_EQ(GRD_get_value(&g.r, 1, 0), VYK_MISS);  // a missing neighbour of weight 0
    EXPECT_FLOAT_EQ(GRD_get_value(&g.r, 0.5f, 0.5f), 3);
    // The last column: the point itself stands in for the column beyond, also within 0.0001.
    Grid h(3, 2, {1, 2, 3, 4, 5, 6});
    EXPECT_FLOAT_EQ(GRD_get_value(&h.r, 2, 0.5f), 4.5f);
    EXPECT_NEAR(GRD_get_value(&h.r, 2.00005f, 1.00005f), 6, 1e-3);
    EXPECT_NEAR(GRD_get_value(&h.r, 2.00005f, 0.5f), 4.5f, 1e-3);
    EXPECT_NEAR(GRD_get_value(&h.r, 1.5f, 1.00005f), 5.5f, 1e-3);
    EXPECT_EQ(GRD_get_value(&h.r, 2.01f, 0), VYK_MISS);
    EXPECT_EQ(GRD_get_value(&h.r, NAN, 0), VYK_MISS);
    EXPECT_EQ(GRD_get_value(&h.r, 0, INFINITY), VYK_MISS);
    GRD_report none{};
    GRD_init(&none);
    none.domain = h.r.domain;
    EXPECT_EQ(GRD_get_value(&none, 0, 0), VYK_MISS);
}

// Grid-point positions of a latitude-longitude grid on a polar stereographic map and of a
// polar stereographic grid on a latitude-longitude map, against numpy's own formulas (the
// sphere of radius 63.7122 units of 100 km, true at 60 N).
TEST(GrdValue, GridPointPositionsAgreeWithNumpy)
{
    Domain ps;
    ASSERT_GT(DOM_decode("ps:90:-105:60,60,-105,25,17,1,1", &ps), 0);
    Domain ll;
    ASSERT_GT(DOM_decode("ll,40,-100,25,17,1,1", &ll), 0);
    Domain keep;
    MAP_domain(&ll);
    MAP_get_domain(&keep);

    Grid latlon(4, 3);
    latlon.r.domain.clat = 45;
    latlon.r.domain.clon = -95;
    latlon.r.domain.dx = 2.5f;
    latlon.r.domain.dy = 2;
    float *x = nullptr, *y = nullptr;
    ASSERT_EQ(GRD_proj_XY(&latlon.r, &ps, &x, &y), 0);
    std::ostringstream out;
    out.precision(9);
    for (int k = 0; k < 12; k++) out << x[k] << ' ' << y[k] << ' ';
    const std::vector<double> ref = numpy(R"(
got = np.array([float(w) for w in sys.stdin.read().split()]).reshape(-1, 2)
K = 63.7122 * (1 + np.sin(np.radians(60)))
lon = -95 + (np.arange(4) - 1.5) * 2.5
lat = 45 + (1 - np.arange(3)) * 2.0
LON, LAT = np.meshgrid(lon, lat)
r = K * np.tan(np.radians(90 - LAT) / 2)
a = np.radians(LON + 105)
want = np.stack([r * np.sin(a), -r * np.cos(a)], axis=-1).reshape(-1, 2)
print(float(np.abs(got - want).max()))
)", out.str());
    ASSERT_EQ(ref.size(), 1u);
    EXPECT_LT(ref[0], 1e-4);

    // The other way: a polar stereographic grid on a latitude-longitude map.
    Grid polar(3, 2);
    polar.r.domain = ps;
    polar.r.domain.nx = 3;
    polar.r.domain.ny = 2;
    polar.r.domain.clat = 50;
    polar.r.domain.clon = -90;
    polar.r.domain.dx = polar.r.domain.dy = 1.5f;
    ASSERT_EQ(GRD_proj_XY(&polar.r, &ll, &x, &y), 0);
    std::ostringstream out2;
    out2.precision(9);
    for (int k = 0; k < 6; k++) out2 << x[k] << ' ' << y[k] << ' ';
    const std::vector<double> ref2 = numpy(R"(
got = np.array([float(w) for w in sys.stdin.read().split()]).reshape(-1, 2)
K = 63.7122 * (1 + np.sin(np.radians(60)))
r0 = K * np.tan(np.radians(90 - 50) / 2)
a0 = np.radians(-90 + 105)
xc, yc = r0 * np.sin(a0), -r0 * np.cos(a0)
X, Y = np.meshgrid(xc + (np.arange(3) - 1) * 1.5, yc + (0.5 - np.arange(2)) * 1.5)
lat = 90 - 2 * np.degrees(np.arctan(np.hypot(X, Y) / K))
lon = -105 + np.degrees(np.arctan2(X, -Y))
want = np.stack([lon + 100, lat], axis=-1).reshape(-1, 2)
print(float(np.abs(got - want).max()))
)", out2.str());
    ASSERT_EQ(ref2.size(), 1u);
    EXPECT_LT(ref2[0], 1e-3);
    std::free(x);
    std::free(y);
    // The current map is as it was.
    Domain after;
    MAP_get_domain(&after);
    EXPECT_EQ(DOM_comp(&after, &keep), 1);
}

TEST(GrdValue, PrintAndEditAtAPointOfTheMap)
{
    Grid g(3, 2, {1, 2, 3, 4, 5, VYK_MISS});
    MAP_domain(&g.r.domain);  // the grid's own map
    float x = 0, y = 0;
    MAP_grid_tran(0.5f, 0.5f, &x, &y);
    {
        vyktest::CaptureStdio cap;
        GRD_print_value(x, y, &g.r);
        GRD_print_value2(x, y, &g.r, &g.r);
        MAP_grid_tran(2, 1, &x, &y);
        GRD_print_value2(x, y, &g.r, &g.r);
        cap.finish();
        EXPECT_EQ(cap.out(), "Grid:   0.50,  0.50 =   3.00\nGrid:   0.50,  0.50 =   3.00,  3.00\n"
                             "Grid:   2.00,  1.00 = \n");
    }
    struct Case {
        float gx, gy;
        const char *answer;
        int result;
        int col, row;  // the point edited
        float value;   // its value afterwards
        const char *said;
    };
    const Case cases[] = {
        {1.2f, 0.4f, "7.5\n", 0, 1, 0, 7.5f, "Grid:   1,  0 Val =   2.00 New value: "},
        {-0.4f, 0, "8\n", 0, 0, 0, 8, "Grid:   0,  0 Val =   1.00 New value: "},
        {-0.7f, 0, "9\n", 0, 0, 0, 9, ""},
        {2, 1, "\n", 0, 2, 1, VYK_MISS, "Grid:   2,  1 Val = MISS New value: "},  // empty: unchanged
        {1, 1, "abc\n-2\n", 0, 1, 1, -2, ""},
        {1, 1, "", 0, 1, 1, -2, ""},  // end of input: unchanged
        {3.6f, 0, "1\n", -1, 0, 0, 9, "Grid:   4,  0 Off grid\n"},
        {0, -1.5f, "1\n", -1, 0, 0, 9, "Off grid"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.gx << "," << c.gy);
        MAP_grid_tran(c.gx, c.gy, &x, &y);
        vyktest::TempDir dir;
        vyktest::write_file(dir.file("in"), c.answer);
        ASSERT_NE(std::freopen(dir.file("in").c_str(), "r", stdin), nullptr);
        vyktest::CaptureStdio cap;
        EXPECT_EQ(GRD_edit_value("", x, y, &g.r), c.result);
        cap.finish();
        EXPECT_EQ(g.at(c.col, c.row), c.value);
        if (c.said[0]) {
            EXPECT_NE(cap.out().find(c.said), std::string::npos) << cap.out();
        }
    }
}
