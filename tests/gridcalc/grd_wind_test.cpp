// Wind and kinematic grid functions against direct computation: directions and components,
// speeds and their labels, grid-relative winds on a polar stereographic grid, products and
// vector differences, derivative units, convergence and divergence, vorticity, advection, the
// geostrophic wind of analytic heights and the Q-vector against numpy; refused arguments.
#include <gtest/gtest.h>

#include "grd_calc_fixture.h"
#include "grd_fixture.h"
#include "test_util.h"
#include "vykcalc.h"
#include "grd_kin.h"
#include "vykplot.h"
#include "vykvar.h"

#include <cmath>
#include <string>
#include <vector>

using grdtest::Call;
using grdtest::EtcPath;
using grdtest::expect_values;
using grdtest::fill;
using grdtest::Grid;
using grdtest::latlon_domain;
using grdtest::numpy;
using grdtest::Out;
using grdtest::polar_domain;

namespace {

constexpr float MISS = -9999;
using V = std::vector<float>;

void set_domain(Call &call, const Domain &d)
{
    for (auto &g : call.grids) g->r.domain = d;
}

std::string info(const GRD_report &r) { return r.info; }

}  // namespace

// Directions and components in the meteorological convention; winds in knots become m/s.
TEST(GrdWind, DirectionsAndComponents)
{
    const EtcPath etc;
    Call dir({V{0, -10, 0, 10}, V{-10, 0, 0, 0}});
    ASSERT_EQ(dir.run("dir"), 1);
    expect_values(dir.result(dir.out), {0, 90, 0, 270});
    EXPECT_EQ(dir.out.var, VAR_search_var_num("wdir"));
    EXPECT_STREQ(dir.out.units, "deg");
    Call wdir({V{MISS, -5, 3, 7}, V{1, -5, MISS, -7}});
    ASSERT_EQ(wdir.run("wdir"), 1);
    expect_values(wdir.result(wdir.out), {MISS, 45, MISS, 315});

    Call u({V{90, 0, 270, MISS}, V{10, 10, 20, 5}});
    ASSERT_EQ(u.run("uwnd"), 1);
    expect_values(u.result(u.out), {-10, 0, 20, MISS});
    Call v({V{180, 0, 90, 45}, V{10, 10, 20, MISS}});
    v.arg(1, 32, "knt");
    ASSERT_EQ(v.run("vwnd"), 1);
    expect_values(v.result(v.out), {5.144033f, -5.144033f, 0, MISS}, 1e-6);
    EXPECT_STREQ(v.grids[1]->r.units, "m/s");
    EXPECT_STREQ(v.grids[0]->r.units, "");  // directions are not converted
}

// Speeds: "spd" labels its result "Speed", "wspd" and "mag" keep the setup's label; a type
// after the hyphen suppresses the word.
TEST(GrdWind, SpeedsAndTheirLabels)
{
    const EtcPath etc;
    for (const char *f : {"spd", "wspd", "mag", "spd-wspd"}) {
        SCOPED_TRACE(f);
        Call call({V{3, 0, MISS, -6}, V{4, -2, 1, 8}});
        call.arg(0, 33, "m/s");
        call.arg(1, 34, "m/s");
        ASSERT_EQ(call.run(f), 1);
        expect_values(call.result(call.out), {5, 2, MISS, 10});
        EXPECT_STREQ(call.out.units, "m/s");
        EXPECT_EQ(info(call.out).find("Speed") != std::string::npos, std::string(f) == "spd") << call.out.info;
    }
}

// Products and vector differences: any missing component makes the point missing.
TEST(GrdWind, ProductsAndVectorDifferences)
{
    const EtcPath etc;
    const V ua{1, 2, 3, MISS}, va{4, 5, 6, 1}, ub{7, -1, 0, 1}, vb{2, 2, MISS, 1};
    Call dot({ua, va, ub, vb});
    ASSERT_EQ(dot.run("dot"), 1);
    expect_values(dot.result(dot.out), {15, 8, MISS, MISS});
    Call cross({ua, va, ub, vb});
    ASSERT_EQ(cross.run("cross"), 1);
    expect_values(cross.result(cross.out), {2 - 28, 4 + 5, MISS, MISS});
    Call diff({ua, va, ub, vb}, true);
    diff.arg(0, 33, "m/s");
    ASSERT_EQ(diff.run("vdiff"), 1);
    expect_values(diff.result(diff.out), {-6, 3, MISS, MISS});
    expect_values(diff.result(diff.out2), {2, 3, MISS, MISS});
    EXPECT_NE(info(diff.out).find("Vector Diff"), std::string::npos) << diff.out.info;
}

// Derivative units: the argument's scaled by 1e-5 per m (1e-10 per m^2); "grad" gives two
// grids and only the first carries the scaled units and the word "Gradient".
TEST(GrdWind, DerivativeUnitsAndLabels)
{
    const EtcPath etc;
    Call grad({V{0, 100, 300, 600, 0, 100, 300, 600}}, true, 4, 2);
    grad.arg(0, 7, "m");
    ASSERT_EQ(grad.run("grad"), 1);
    EXPECT_STREQ(grad.out.units, "1e-05 m/m");
    EXPECT_STREQ(grad.out2.units, "m");
    EXPECT_NE(info(grad.out).find("Gradient"), std::string::npos) << grad.out.info;
    EXPECT_EQ(info(grad.out2).find("Gradient"), std::string::npos);
    Out dx;
    ASSERT_EQ(GRD_dx(&grad.grids[0]->r, &dx.r), 0);
    expect_values(grad.result(grad.out), V(dx.r.grid, dx.r.grid + 8));
    for (int k = 0; k < 8; k++) EXPECT_EQ(grad.out2.grid[k], 0);

    Call d({V{0, 1, 2, 3}});
    d.arg(0, 11, "K");
    ASSERT_EQ(d.run("dx"), 1);
    EXPECT_STREQ(d.out.units, "1e-05 K/m");
    Call lapl({V{0, 1, 4, 9, 0, 1, 4, 9, 0, 1, 4, 9}}, false, 4, 3);
    lapl.arg(0, 7, "m");
    ASSERT_EQ(lapl.run("lapl"), 1);
    EXPECT_STREQ(lapl.out.units, "1e-10 m/m^2");
    EXPECT_NE(info(lapl.out).find("Laplacian"), std::string::npos) << lapl.out.info;
}

// Convergence with a moisture factor labels with the moisture and multiplies by it;
// divergence is its negative, missing points staying missing and no -0.
TEST(GrdWind, ConvergenceAndDivergence)
{
    const EtcPath etc;
    const V u{0, 1, 2, 3, 0, 2, 4, 6}, v{0, 0, 0, 0, 5, 5, 5, MISS}, q{2, 2, 2, 2, 1, 1, 1, 1};
    Call conv({u, v}, false, 4, 2);
    conv.arg(0, 33, "m/s");
    ASSERT_EQ(conv.run("conv"), 1);
    Call mconv({u, v, q}, false, 4, 2);
    mconv.arg(0, 33, "m/s");
    mconv.arg(2, 51, "g/kg");
    ASSERT_EQ(mconv.run("conv"), 1);
    Call div({u, v}, false, 4, 2);
    div.arg(0, 33, "m/s");
    ASSERT_EQ(div.run("diverg"), 1);
    EXPECT_STREQ(conv.out.units, "1e-05 m/s/m");
    EXPECT_NE(info(conv.out).find("Convergence"), std::string::npos) << conv.out.info;
    EXPECT_NE(info(mconv.out).find("humidity"), std::string::npos) << mconv.out.info;
    EXPECT_NE(info(div.out).find("Divergence"), std::string::npos) << div.out.info;
    Out plain;
    ASSERT_EQ(GRD_converge(&conv.grids[0]->r, &conv.grids[1]->r, nullptr, &plain.r), 0);
    for (int k = 0; k < 8; k++) {
        const float c = plain.r.grid[k];
        EXPECT_EQ(conv.out.grid[k], c);
        EXPECT_EQ(mconv.out.grid[k], c == MISS ? MISS : c * q[static_cast<size_t>(k)]);
        EXPECT_EQ(div.out.grid[k], c == MISS ? MISS : -c);
        EXPECT_FALSE(std::signbit(div.out.grid[k]) && div.out.grid[k] == 0);
    }
    EXPECT_EQ(div.out.grid[7], MISS);
}

// Vorticity of solid-body rotation, absolute vorticity adding f, advection of a linear field.
TEST(GrdWind, VorticityAndAdvection)
{
    const EtcPath etc;
    const Domain d = latlon_domain(3, 3, 30, 1, 1);
    const double sy = 1.11195;
    V u, v, z, uc, vc;
    for (int j = 0; j < 3; j++)
        for (int i = 0; i < 3; i++) {
            const double sx = std::cos((31 - j) * M_PI / 180) * 1.11195;
            u.push_back(static_cast<float>(-2 * sy * (1 - j)));  // -omega y
            v.push_back(static_cast<float>(2 * sx * (i - 1)));   // omega x
            z.push_back(static_cast<float>(280 + 3 * sx * i));   // 3 per 100 km eastward
            uc.push_back(10);
            vc.push_back(0);
        }
    Call rel({u, v}, false, 3, 3), abs({u, v}, false, 3, 3), adv({uc, vc, z}, false, 3, 3);
    for (Call *c : {&rel, &abs, &adv}) set_domain(*c, d);
    rel.arg(0, 33, "m/s");
    adv.arg(2, 11, "K");
    ASSERT_EQ(rel.run("rvort"), 1);
    ASSERT_EQ(abs.run("avort"), 1);
    ASSERT_EQ(adv.run("adv"), 1);
    EXPECT_STREQ(rel.out.units, "1e-05 m/s/m");
    EXPECT_STREQ(adv.out.units, "1e-05 K/s");
    EXPECT_NE(info(adv.out).find("Advection"), std::string::npos) << adv.out.info;
    for (int j = 0; j < 3; j++)
        for (int i = 0; i < 3; i++) {
            const int k = i + 3 * j;
            EXPECT_NEAR(rel.out.grid[k], 4, 1e-4);
            EXPECT_NEAR(abs.out.grid[k], 4 + 14.584 * std::sin((31 - j) * M_PI / 180), 1e-4);
            EXPECT_NEAR(adv.out.grid[k], -30, 1e-3);
        }
}

// The geostrophic wind of heights rising northward by a per 100 km: u = -9.8 a / f, v = 0;
// the equator has no geostrophic wind.
TEST(GrdWind, GeostrophicWind)
{
    const EtcPath etc;
    const float a = 40;  // m per 100 km
    V z;
    for (int j = 0; j < 5; j++)
        for (int i = 0; i < 3; i++) z.push_back(static_cast<float>(5500 + a * 1.11195 * 5 * (4 - j)));
    Call ug({z}, false, 3, 5), vg({z}, false, 3, 5);
    set_domain(ug, latlon_domain(3, 5, 10, 1, 5));  // rows at 20, 15, 10, 5 and 0 degrees
    set_domain(vg, latlon_domain(3, 5, 10, 1, 5));
    ug.arg(0, 7, "m");
    vg.arg(0, 7, "m");
    ASSERT_EQ(ug.run("ugeos"), 1);
    ASSERT_EQ(vg.run("vgeos"), 1);
    EXPECT_STREQ(ug.out.units, "m/s");
    for (int j = 0; j < 5; j++)
        for (int i = 0; i < 3; i++) {
            const int k = i + 3 * j;
            if (j == 4) {
                EXPECT_EQ(ug.out.grid[k], MISS);
                EXPECT_EQ(vg.out.grid[k], MISS);
                continue;
            }
            const double f = 14.584 * std::sin((20 - 5 * j) * M_PI / 180);
            EXPECT_NEAR(ug.out.grid[k], -9.8 * a / f, 1e-3) << k;
            EXPECT_EQ(vg.out.grid[k], 0) << k;
            EXPECT_FALSE(std::signbit(vg.out.grid[k]));
        }
}

// The Q-vector against numpy's gradients of the geostrophic wind and the temperature; it needs
// an isobaric level.
TEST(GrdWind, QVectorAgainstNumpy)
{
    const EtcPath etc;
    const int nx = 9, ny = 7;
    const Domain d = latlon_domain(nx, ny, 45, 2, 2);
    Grid zg(nx, ny), tg(nx, ny);
    zg.r.domain = tg.r.domain = d;
    fill(zg, [](double x, double y, double, double) { return 5500 + 60 * std::sin(x / 4) * std::cos(y / 5); });
    fill(tg, [](double x, double y, double, double) { return 250 + 0.5 * x - 0.3 * y + std::sin(y / 2); });
    const std::vector<float> zv(zg.r.grid, zg.r.grid + nx * ny), tv(tg.r.grid, tg.r.grid + nx * ny);
    const std::vector<double> want = numpy(R"(
d = [float(w) for w in sys.stdin.read().split()]
nx, ny = int(d[0]), int(d[1])
z = np.array(d[2:2 + nx * ny]).reshape(ny, nx)
t = np.array(d[4 + nx * ny:4 + 2 * nx * ny]).reshape(ny, nx)
lat = 45 + 2 * ((ny - 1) / 2 - np.arange(ny))
f = 14.584 * np.sin(np.radians(lat))[:, None]
sx, sy = np.cos(np.radians(lat)) * 2 * 1.11195, 2 * 1.11195
ddx = lambda F: np.array([np.gradient(F[j], sx[j]) for j in range(ny)])
ddy = lambda F: np.gradient(F, -sy, axis=0)
ug, vg = -9.8 * ddy(z) / f, 9.8 * ddx(z) / f
k = -287.05 / (100 * 500)
for r in [(ddx(ug) * ddx(t) + ddx(vg) * ddy(t)) * k, (ddy(ug) * ddx(t) + ddy(vg) * ddy(t)) * k]:
    print(' '.join(repr(float(x)) for x in r.ravel()))
)", grdtest::as_text(zg.r) + grdtest::as_text(tg.r));
    ASSERT_EQ(want.size(), static_cast<size_t>(2 * nx * ny));
    int block = 0;
    for (const char *f : {"uq", "vq"}) {
        SCOPED_TRACE(f);
        Call call({zv, tv}, false, nx, ny);
        set_domain(call, d);
        call.out.ltype = 100;
        call.out.level = 500;
        ASSERT_EQ(call.run(f), 1);
        double worst = 0, scale = 0;
        for (int k = 0; k < nx * ny; k++) {
            const double w = want[static_cast<size_t>(block * nx * ny + k)];
            worst = std::max(worst, std::fabs(call.out.grid[k] - w));
            scale = std::max(scale, std::fabs(w));
        }
        EXPECT_GT(scale, 0);
        EXPECT_LE(worst, 1e-4 * scale);
        block++;
    }
    for (const int ltype : {1, 100}) {
        Call call({zv, tv}, false, nx, ny);
        set_domain(call, d);
        call.out.ltype = ltype;
        call.out.level = ltype == 100 ? 0 : 500;
        vyktest::CaptureStdio cap;
        EXPECT_EQ(call.run("uq"), 0);
        cap.finish();
        EXPECT_NE(cap.err().find("The Q-vector needs an isobaric level"), std::string::npos);
    }
}

// Grid-relative components and earth-relative directions: the identity on a latitude-longitude
// grid; on a polar stereographic grid they turn by the angle between true north and the
// grid's y axis, the direction grid takes the grid-relative directions; the current map stays.
TEST(GrdWind, GridAndEarthRelativeWinds)
{
    const EtcPath etc;
    Call ll({V{90, 180, MISS, 0}, V{10, 10, 10, 10}});
    ASSERT_EQ(ll.run("uwndg"), 1);
    expect_values(ll.result(ll.out), {-10, 0, MISS, 0});
    expect_values(V(ll.grids[0]->r.grid, ll.grids[0]->r.grid + 4), {90, 180, MISS, 0});

    const Domain ps = polar_domain(4, 3, 5, VYK_MISS);
    Grid where(4, 3);
    where.r.domain = ps;
    std::vector<double> turn;
    fill(where, [&](double, double, double, double lon) {
        turn.push_back(lon + 105);
        return 0.0f;
    });
    Domain keep;
    const Domain other = latlon_domain(2, 2, 0, 1, 1);
    MAP_domain(&other);
    MAP_get_domain(&keep);

    Call ug({V(12, 0), V(12, 10)}, false, 4, 3), vg({V(12, 0), V(12, 10)}, false, 4, 3),
        ew({V(12, 0), V(12, -10)}, false, 4, 3);
    set_domain(ug, ps);
    set_domain(vg, ps);
    set_domain(ew, ps);
    ASSERT_EQ(ug.run("uwndg"), 1);
    ASSERT_EQ(vg.run("vwndg"), 1);
    ASSERT_EQ(ew.run("ewdir"), 1);
    for (size_t k = 0; k < 12; k++) {
        const double t = turn[k] * M_PI / 180;
        EXPECT_NEAR(ug.out.grid[k], 10 * std::sin(t), 1e-3) << k;
        EXPECT_NEAR(vg.out.grid[k], -10 * std::cos(t), 1e-3) << k;
        EXPECT_NEAR(std::remainder(ug.grids[0]->r.grid[k] + turn[k], 360.0), 0, 1e-3) << k;
        EXPECT_NEAR(std::remainder(ew.out.grid[k] - turn[k], 360.0), 0, 1e-3) << k;
        EXPECT_GE(ew.out.grid[k], 0);
        EXPECT_LE(ew.out.grid[k], 360);
    }
    Domain after;
    MAP_get_domain(&after);
    EXPECT_EQ(DOM_comp(&after, &keep), 1);
}

// Functions that difference whole grids refuse constants and a missing second component
// (a single argument to the deformations, convergence and divergence).
TEST(GrdWind, RefusedArguments)
{
    const EtcPath etc;
    const char *const single[] = {"def1", "def2", "conv", "diverg", "rvort", "adv", "vconv"};
    for (const char *f : single) {
        SCOPED_TRACE(f);
        Call call({V{1, 2, 3, 4}});
        vyktest::CaptureStdio cap;
        EXPECT_EQ(call.run(f), 0);
        cap.finish();
        EXPECT_EQ(cap.err(), "GRD_math: Invalid grids\n");
    }
    // Constants, with an output that has its grid already.
    struct Case {
        const char *f;
        std::vector<grdtest::ArgSpec> args;
    };
    const Case constants[] = {
        {"dx", {3.0f}}, {"lapl", {3.0f}}, {"ugeos", {3.0f}}, {"uq", {3.0f, V{1, 2, 3, 4}}},
        {"rvort", {V{1, 2, 3, 4}, 3.0f}}, {"conv", {V{1, 2, 3, 4}, 3.0f}},
        {"adv", {V{1, 2, 3, 4}, V{1, 2, 3, 4}, 3.0f}},
    };
    for (const Case &c : constants) {
        SCOPED_TRACE(c.f);
        Call call(c.args);
        call.out.domain = latlon_domain(4, 1, 40, 1, 1);
        call.out.ltype = 100;
        call.out.level = 500;
        vyktest::CaptureStdio cap;
        EXPECT_EQ(call.run(c.f), 0);
        cap.finish();
        EXPECT_EQ(cap.err(), "GRD_math: Invalid grids\n");
    }
}
