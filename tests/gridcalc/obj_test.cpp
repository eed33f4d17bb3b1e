// Objective analysis: every pass against an independent numpy computation of the scheme on
// scattered stations; the response to a plane wave against the scheme's analytic response;
// the parameters and their decoding; the cases of the settings and of hostile input as tables.
#include <gtest/gtest.h>

#include "grd_fixture.h"
#include "test_util.h"
#include "obj.h"
#include "vykplot.h"

#include <algorithm>
#include <cmath>
#include <iomanip>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

using grdtest::Grid;
using grdtest::numpy;

namespace {

constexpr float MISS = VYK_MISS;

// A grid of nx by ny points at spacing h (degrees of a latitude-longitude map).
void shape(Grid &g, float h)
{
    g.r.domain.dx = g.r.domain.dy = h;
    std::fill(g.r.grid, g.r.grid + g.r.domain.nx * g.r.domain.ny, 123.0f);
}

// Stations given in grid coordinates of g, returned as plot positions of its map.
struct Stations {
    std::vector<float> x, y, gx, gy;
    void add(const Domain &d, float gxi, float gyi)
    {
        MAP_domain(&d);
        float px = MISS, py = MISS;
        MAP_grid_tran(gxi, gyi, &px, &py);
        x.push_back(px);
        y.push_back(py);
        gx.push_back(gxi);
        gy.push_back(gyi);
    }
    int n() const { return static_cast<int>(x.size()); }
};

// Deterministic numbers in [0, 1).
struct Lcg {
    unsigned s;
    float next()
    {
        s = s * 1103515245u + 12345u;
        return static_cast<float>((s >> 8) % 1000000) / 1e6f;
    }
};

// The scheme in numpy: passes over every grid point and station, residuals by bilinear values
// (the point itself beyond the last column or row), a later pass leaving a point alone where no
// residual reaches it.  Grid values are single precision between passes.
const char *const BARNES = R"(
w = sys.stdin.read().split()
nx, ny = int(w[0]), int(w[1]); dx, dy, R2, f, conv = map(float, w[2:7])
npass, mins, ns = int(w[7]), int(w[8]), int(w[9])
a = np.array(w[10:10 + 3 * ns], dtype=np.float64).reshape(3, ns)
gx, gy, z = a[0], a[1], a[2].copy()
z[z == -9999] = np.nan
I, J = np.meshgrid(np.arange(nx), np.arange(ny))
d2 = (dx * (gx[None, None, :] - I[:, :, None]))**2 + (dy * (gy[None, None, :] - J[:, :, None]))**2
inside = d2 <= R2
def mean(v, f):
    m = inside & ~np.isnan(v)[None, None, :]
    wt = np.where(m, np.exp(-d2 / f), 0.0)
    ws = wt.sum(axis=2)
    s = (wt * np.nan_to_num(v)[None, None, :]).sum(axis=2)
    ok = (ws != 0) & (m.sum(axis=2) >= mins)
    return np.where(ok, s / np.where(ws == 0, 1, ws), np.nan), ok
def tidy(g):
    g = np.where(np.abs(g) < 1e-10, 0.0, g)
    return g.astype(np.float32).astype(np.float64)
def resid(g):
    r = np.full(ns, np.nan)
    for s in range(ns):
        x, y = gx[s], gy[s]
        if np.isnan(z[s]) or x < 0 or y < 0 or x > nx - 1 or y > ny - 1: continue
        i, j = int(x), int(y); fx, fy = x - i, y - j
        i1, j1 = min(i + 1, nx - 1), min(j + 1, ny - 1)
        v = (1-fx)*(1-fy)*g[j,i] + fx*(1-fy)*g[j,i1] + (1-fx)*fy*g[j1,i] + fx*fy*g[j1,i1]
        r[s] = z[s] - v
    return r
g, ok = mean(z, f)
g = tidy(g)
for p in range(2, npass + 1):
    f *= conv
    c, ok = mean(resid(g), f)
    g = np.where(ok & ~np.isnan(g), tidy(g + np.where(ok, c, 0)), g)
print(' '.join('nan' if np.isnan(v) else repr(v) for v in g.ravel()))
)";

struct Setting {
    float filter, radius;
    int passes;
    float converg;
    int min_sta;
};

std::vector<double> numpy_barnes(const GRD_report &g, const Setting &s, const std::vector<float> &gx,
                                 const std::vector<float> &gy, const std::vector<float> &z)
{
    std::ostringstream in;
    in.precision(9);
    const double r = static_cast<double>(s.radius) * g.domain.dx;
    in << g.domain.nx << ' ' << g.domain.ny << ' ' << g.domain.dx << ' ' << g.domain.dy << ' '
       << std::setprecision(17) << r * r << ' ' << s.filter << ' ' << s.converg << ' ' << s.passes
       << ' ' << s.min_sta << ' ' << gx.size() << '\n'
       << std::setprecision(9);
    for (float v : gx) in << v << ' ';
    for (float v : gy) in << v << ' ';
    for (float v : z) in << v << ' ';
    return numpy(BARNES, in.str());
}

void set(const Setting &s)
{
    OBJ_initialize();
    OBJ_set_filter(s.filter);
    OBJ_set_rad_inf(s.radius);
    OBJ_set_num_pass(s.passes);
    OBJ_set_converg(s.converg);
    OBJ_set_min_sta(s.min_sta);
}

// Settings where the radius cuts the weights off, the minimum count matters, and later passes
// narrow the filter.
const Setting settings[] = {
    {1.0f, 3.0f, 1, 0.2f, 1},  {0.5f, 2.5f, 2, 0.3f, 1}, {2.0f, 4.0f, 3, 0.2f, 2},
    {0.3f, 3.0f, 2, 0.5f, 3},  {1.0f, 1000.0f, 4, 0.2f, 1},
};

// Scattered stations over a 23 by 17 grid of spacing 0.5 (some off the grid, some missing);
// every pass agrees with numpy point by point.
TEST(ObjAnalyze, PassesAgreeWithNumpy)
{
    for (const Setting &s : settings) {
        SCOPED_TRACE("filter " + std::to_string(s.filter) + " passes " + std::to_string(s.passes));
        Grid g(23, 17);
        shape(g, 0.5f);
        Stations st;
        std::vector<float> z;
        Lcg r{7};
        for (int k = 0; k < 60; k++) {
            const float gx = -2.0f + 26.0f * r.next(), gy = -2.0f + 20.0f * r.next();
            st.add(g.r.domain, gx, gy);
            const float v = 10.0f * std::sin(0.3f * gx) + 0.5f * gy + 3.0f * r.next();
            z.push_back(k % 11 == 10 ? MISS : v);
        }
        set(s);
        std::vector<float> zz = z;
        float *fields[] = {zz.data()};
        ASSERT_EQ(OBJ_analyze(st.x.data(), st.y.data(), fields, st.n(), 1, &g.r), 0);
        for (int k = 0; k < st.n(); k++) {
            EXPECT_NEAR(st.x[k], st.gx[k], 2e-4);
            EXPECT_NEAR(st.y[k], st.gy[k], 2e-4);
        }
        const std::vector<double> want = numpy_barnes(g.r, s, st.x, st.y, z);
        ASSERT_EQ(want.size(), 23u * 17u);
        int present = 0;
        for (size_t k = 0; k < want.size(); k++) {
            if (VYK_is_miss(static_cast<float>(want[k]))) {
                EXPECT_EQ(g.r.grid[k], MISS) << k;
                continue;
            }
            present++;
            EXPECT_NEAR(g.r.grid[k], want[k], 1e-4 * (1 + std::fabs(want[k]))) << k;
        }
        EXPECT_GT(present, 60);
        EXPECT_EQ(g.r.source, 1);
        EXPECT_EQ(g.r.type, 2);
    }
}

// A plane wave of wavelength L sampled at jittered stations: the first pass keeps
// D0 = exp(-k pi^2 / L^2) of its amplitude, two passes D0 (1 + D0^(gamma-1) - D0^gamma).
double wave_response(int passes)
{
    const float h = 0.2f, L = 5.0f;
    Grid g(101, 101);
    shape(g, h);
    Stations st;
    std::vector<float> z;
    Lcg r{11};
    MAP_domain(&g.r.domain);
    for (int j = 0; j < 200; j++)
        for (int i = 0; i < 200; i++) {
            st.add(g.r.domain, (i + r.next()) * 0.5f, (j + r.next()) * 0.5f);
            z.push_back(std::cos(2 * static_cast<float>(M_PI) * st.x.back() / L));
        }
    set({1.0f, 25.0f, passes, 0.2f, 1});
    float *fields[] = {z.data()};
    EXPECT_EQ(OBJ_analyze(st.x.data(), st.y.data(), fields, st.n(), 1, &g.r), 0);
    // Least squares amplitude over the points at least 5 units from the edges.
    double gc = 0, cc = 0, gs = 0;
    MAP_domain(&g.r.domain);
    for (int j = 25; j <= 75; j++)
        for (int i = 25; i <= 75; i++) {
            float px, py;
            MAP_grid_tran(static_cast<float>(i), static_cast<float>(j), &px, &py);
            const double c = std::cos(2 * M_PI * px / L), sn = std::sin(2 * M_PI * px / L);
            gc += g.at(i, j) * c;
            gs += g.at(i, j) * sn;
            cc += c * c;
        }
    EXPECT_NEAR(gs / cc, 0.0, 0.01);
    return gc / cc;
}

TEST(ObjAnalyze, AnalyticResponseOfOnePass)
{
    const double d0 = std::exp(-M_PI * M_PI / 25.0);
    EXPECT_NEAR(d0, 0.674, 0.001);
    EXPECT_NEAR(wave_response(1), d0, 0.01);
}

TEST(ObjAnalyze, AnalyticResponseOfTwoPasses)
{
    const double d0 = std::exp(-M_PI * M_PI / 25.0);
    const double d = d0 * (1 + std::pow(d0, 0.2 - 1) - std::pow(d0, 0.2));
    EXPECT_NEAR(d, 0.975, 0.001);
    EXPECT_NEAR(wave_response(2), d, 0.01);
}

// One small analysis: a 7 by 5 grid of spacing 1, stations given in grid coordinates.
struct Small {
    Grid g{7, 5};
    Stations st;
    std::vector<float> z;
    Small() { shape(g, 1.0f); }
    void add(float gx, float gy, float v)
    {
        st.add(g.r.domain, gx, gy);
        z.push_back(v);
    }
    int run()
    {
        float *fields[] = {z.data()};
        return OBJ_analyze(st.x.data(), st.y.data(), fields, st.n(), 1, &g.r);
    }
};

TEST(ObjAnalyze, SingleStationFillsItsRadius)
{
    Small a;
    a.add(3.0f, 2.0f, 5.0f);
    set({1.0f, 2.0f, 1, 0.2f, 1});
    ASSERT_EQ(a.run(), 0);
    for (int j = 0; j < 5; j++)
        for (int i = 0; i < 7; i++) {
            const double d2 = (i - 3.0) * (i - 3.0) + (j - 2.0) * (j - 2.0);
            EXPECT_EQ(a.g.at(i, j), d2 <= 4 ? 5.0f : MISS) << i << ',' << j;
        }
}

// Stations far beside the grid on a row it has (positions from a report, as any number) reach
// no point and are passed over at once, whatever the distance.
TEST(ObjAnalyze, StationsFarOffTheGridReachNothing)
{
    for (const float far : {1e6f, 1e12f, 3e38f, -1e12f, -3e38f}) {
        SCOPED_TRACE(far);
        Small a;
        a.add(3.0f, 2.0f, 5.0f);
        a.add(far, 2.0f, 100.0f);
        set({1.0f, 2.0f, 2, 0.5f, 1});
        ASSERT_EQ(a.run(), 0);
        for (int j = 0; j < 5; j++)
            for (int i = 0; i < 7; i++) {
                const double d2 = (i - 3.0) * (i - 3.0) + (j - 2.0) * (j - 2.0);
                EXPECT_EQ(a.g.at(i, j), d2 <= 4 ? 5.0f : MISS) << i << ',' << j;
            }
    }
}

TEST(ObjAnalyze, TooFewStationsLeaveMissing)
{
    Small a;
    a.add(1.0f, 1.0f, 2.0f);
    a.add(1.5f, 1.0f, 4.0f);
    a.add(6.0f, 4.0f, MISS);  // reaches the corner but holds nothing
    set({1.0f, 1000.0f, 1, 0.2f, 3});
    ASSERT_EQ(a.run(), 0);
    for (int k = 0; k < 35; k++) EXPECT_EQ(a.g.r.grid[k], MISS);
}

// A filter of 0 weighs only a station at distance 0 (weight 1); the other points have no
// weight and stay missing.
TEST(ObjAnalyze, StationOnPointWeighsOneWhateverTheFilter)
{
    for (float filter : {0.0f, 1e-6f, 1.0f}) {
        Small a;
        a.add(2.0f, 3.0f, 7.5f);
        a.add(4.4f, 1.3f, 1.0f);
        set({filter, 1000.0f, 1, 0.2f, 1});
        ASSERT_EQ(a.run(), 0);
        if (filter < 1e-3f) {
            EXPECT_EQ(a.g.at(2, 3), 7.5f);
            EXPECT_EQ(a.g.at(0, 0), MISS);
        } else {
            EXPECT_GT(a.g.at(2, 3), 7.0f);
        }
    }
}

TEST(ObjAnalyze, LaterPassesNarrowTheStoredFilter)
{
    Small a;
    a.add(1.2f, 1.7f, 3.0f);
    a.add(4.6f, 2.2f, 8.0f);
    set({2.0f, 1000.0f, 3, 0.2f, 1});
    ASSERT_EQ(a.run(), 0);
    OBJ_params p;
    ASSERT_EQ(OBJ_get_params(&p), 0);
    EXPECT_FLOAT_EQ(p.filter, 2.0f * 0.2f * 0.2f);
    OBJ_initialize();
    ASSERT_EQ(OBJ_get_params(&p), 0);
    EXPECT_EQ(p.filter, 1.0f);
}

// One pass with the out3 messages off computes no residuals; with them on it reports them.
TEST(ObjAnalyze, ResidualsOnlyWhenAskedFor)
{
    for (bool out3 : {false, true}) {
        Small a;
        a.add(1.2f, 1.7f, 3.0f);
        a.add(9.0f, 2.0f, 4.0f);  // off the grid: no residual
        set({1.0f, 1000.0f, 1, 0.2f, 1});
        if (out3) MESS_set(MESS_USER_ADD, M_OUT3 | M_OUT4);
        vyktest::CaptureStdio cap;
        const int rc = a.run();
        cap.finish();
        EXPECT_EQ(rc, 0);
        EXPECT_EQ(vyktest::has(cap.out(), "Computing residuals...\n"), out3);
        EXPECT_EQ(vyktest::has(cap.out(), "RMS Error for field 1: "), out3) << cap.out();
        if (out3) {
            EXPECT_TRUE(vyktest::has(cap.out(), "Number of stations           =    2 stats\n"));
            EXPECT_TRUE(vyktest::has(cap.out(), "Filter parameter             =    1.0000 cm**2\n"));
        }
        EXPECT_TRUE(vyktest::has(cap.out(), "Fitting to grid...\n"));
    }
}

// A station on the last column and row: its residual uses the point itself (nothing beyond
// the grid is read), so a lone station keeps its value through later passes.
TEST(ObjAnalyze, StationOnLastColumnAndRow)
{
    Small a;
    a.add(6.0f, 4.0f, 5.0f);
    set({1.0f, 1000.0f, 3, 0.2f, 1});
    MESS_set(MESS_USER_ADD, M_OUT3);
    vyktest::CaptureStdio cap;
    ASSERT_EQ(a.run(), 0);
    cap.finish();
    EXPECT_TRUE(vyktest::has(cap.out(), "RMS Error for field 1: 0.000000\n")) << cap.out();
    EXPECT_EQ(a.g.at(6, 4), 5.0f);
    EXPECT_EQ(a.g.at(0, 0), 5.0f);
}

// A later pass that finds no residual within the radius of a point leaves its value.
TEST(ObjAnalyze, PointsWithoutResidualsKeepTheirValue)
{
    Small a;
    a.add(0.0f, 0.0f, 10.0f);
    a.add(8.0f, 2.0f, 20.0f);  // off the grid: reaches the right side but has no residual
    set({1.0f, 3.0f, 2, 0.2f, 1});
    ASSERT_EQ(a.run(), 0);
    EXPECT_EQ(a.g.at(6, 2), 20.0f);   // only the station off the grid reaches it
    EXPECT_NE(a.g.at(6, 2), MISS);
    EXPECT_NEAR(a.g.at(0, 0), 10.0f, 1e-4);
}

// Refusals leave the grids as they were.
TEST(ObjAnalyze, Refusals)
{
    struct Case {
        const char *name;
        float dx;
        bool no_field, no_values;
        const char *message;
    };
    const Case cases[] = {
        {"no field", 1.0f, true, false, ""},
        {"spacing 0", 0.0f, false, false, "OBJ_analyze: the grid has no positive spacing\n"},
        {"spacing missing", MISS, false, false, "OBJ_analyze: the grid has no positive spacing\n"},
        {"record without values", 1.0f, false, true, "OBJ_analyze: field 2 has no grid of 7 by 5"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Small a;
        a.add(2.0f, 2.0f, 1.0f);
        GRD_report recs[2];
        GRD_copy(&recs[0], &a.g.r);
        GRD_init(&recs[1]);
        recs[1].domain = a.g.r.domain;
        Grid second(7, 5);
        if (!c.no_values) GRD_copy(&recs[1], &second.r);
        recs[0].domain.dx = recs[0].domain.dy = c.dx;
        float *fields[] = {c.no_field ? nullptr : a.z.data(), c.no_field ? nullptr : a.z.data()};
        vyktest::CaptureStdio cap;
        EXPECT_EQ(OBJ_analyze(a.st.x.data(), a.st.y.data(), fields, 1, 2, recs), -1);
        cap.finish();
        EXPECT_TRUE(vyktest::has(cap.err(), c.message)) << cap.err();
        EXPECT_EQ(a.g.at(2, 2), 123.0f);
        EXPECT_EQ(recs[0].source, a.g.r.source);
    }
}

// Several fields share the weights; a field without a pointer is left alone.
TEST(ObjAnalyze, SeveralFields)
{
    Small a;
    a.add(1.0f, 1.0f, 2.0f);
    a.add(5.0f, 3.0f, 6.0f);
    std::vector<float> twice = {4.0f, MISS};
    Grid second(7, 5), third(7, 5);
    shape(third, 1.0f);
    GRD_report recs[3];
    GRD_copy(&recs[0], &a.g.r);
    GRD_copy(&recs[1], &second.r);
    GRD_copy(&recs[2], &third.r);
    float *fields[] = {a.z.data(), twice.data(), nullptr};
    set({1.0f, 1000.0f, 1, 0.2f, 1});
    ASSERT_EQ(OBJ_analyze(a.st.x.data(), a.st.y.data(), fields, 2, 3, recs), 0);
    EXPECT_NEAR(recs[0].grid[1 + 7], 2.0f, 1e-3);
    EXPECT_EQ(recs[1].grid[1 + 7], 4.0f);  // the only present value
    EXPECT_EQ(recs[1].grid[5 + 3 * 7], 4.0f);
    EXPECT_EQ(recs[2].grid[0], 123.0f);
    EXPECT_EQ(recs[1].source, 1);
    EXPECT_EQ(recs[2].source, third.r.source);
}

// ---------------------------------------------------------------------------------------------
// Settings from the resources
// ---------------------------------------------------------------------------------------------

TEST(ObjParams, DecodedFromResources)
{
    struct Case {
        const char *plot_param, *object_param;
        float radius_before;
        OBJ_params want;
    };
    // filter, radius, passes, convergence, missing value, minimum, grid factor
    const Case cases[] = {
        {nullptr, "0,-5,9,2,0", 3.0f, {1.0f, 1000.0f, 1, 0.2f, MISS, 1, 1}},
        {nullptr, "2.5,4,3,0.3,2.9", 3.0f, {2.5f, 4.0f, 3, 0.3f, MISS, 2, 1}},
        {nullptr, ",,2", 3.0f, {1.0f, 3.0f, 2, 0.2f, MISS, 1, 1}},
        {"miss=-99", nullptr, 3.0f, {1.0f, 3.0f, 1, 0.2f, -99.0f, 1, 1}},
        {"MISS=0,nomap", nullptr, 3.0f, {1.0f, 3.0f, 1, 0.2f, 0.0f, 1, 1}},
        {nullptr, "1,2,4,0.01,1", 3.0f, {1.0f, 2.0f, 4, 0.01f, MISS, 1, 1}},
        {nullptr, "1,2,5,1,-1", 3.0f, {1.0f, 2.0f, 1, 0.2f, MISS, 1, 1}},
        {nullptr, "x,2", 3.0f, {1.0f, 2.0f, 1, 0.2f, MISS, 1, 1}},
        // The grid factor stays from one decoding to the next (OBJ_initialize keeps it).
        {"gridx2", nullptr, 3.0f, {1.0f, 6.0f, 1, 0.2f, MISS, 1, 2}},
        {"gridx2", ",7", 3.0f, {1.0f, 7.0f, 1, 0.2f, MISS, 1, 2}},
        {"nomap", nullptr, 3.0f, {1.0f, 3.0f, 1, 0.2f, MISS, 1, 2}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.plot_param ? c.plot_param : "-") + " / " +
                     (c.object_param ? c.object_param : "-"));
        RES_put("plot_param", c.plot_param);
        RES_put("object_param", c.object_param);
        OBJ_initialize();
        OBJ_set_rad_inf(c.radius_before);
        vyktest::CaptureStdio cap;
        OBJ_decode_params();
        cap.finish();
        OBJ_params p;
        OBJ_get_params(&p);
        EXPECT_EQ(p.filter, c.want.filter);
        EXPECT_EQ(p.rad_inf, c.want.rad_inf);
        EXPECT_EQ(p.num_pass, c.want.num_pass);
        EXPECT_EQ(p.converg, c.want.converg);
        EXPECT_EQ(p.miss_val, c.want.miss_val);
        EXPECT_EQ(p.min_sta, c.want.min_sta);
        EXPECT_EQ(p.grid_factor, c.want.grid_factor);
    }
}

TEST(ObjParams, FormatMissingValue)
{
    OBJ_initialize();
    OBJ_decode_format("%5.1f:miss=-1:x");
    OBJ_params p;
    OBJ_get_params(&p);
    EXPECT_EQ(p.miss_val, -1.0f);
    vyktest::CaptureStdio cap;
    OBJ_decode_format("miss");
    cap.finish();
    OBJ_get_params(&p);
    EXPECT_EQ(p.miss_val, -1.0f);
    EXPECT_TRUE(vyktest::has(cap.err(), "the missing value needs a number"));
}

// miss=0: missing values that some grid point reaches count as 0 (and are written back);
// one that no point reaches stays missing.
TEST(ObjParams, MissingValueStandsIn)
{
    RES_put("plot_param", "miss=0");
    Small a;
    a.add(1.0f, 1.0f, MISS);
    a.add(40.0f, 40.0f, MISS);
    set({1.0f, 2.0f, 1, 0.2f, 1});
    ASSERT_EQ(a.run(), 0);
    EXPECT_EQ(a.z[0], 0.0f);
    EXPECT_EQ(a.z[1], MISS);
    EXPECT_EQ(a.g.at(1, 1), 0.0f);
    EXPECT_EQ(a.g.at(6, 4), MISS);
}

}  // namespace
