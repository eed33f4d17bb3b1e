// Finite differences against numpy (numpy.gradient for first derivatives, explicit second
// differences for the Laplacian) on analytic fields on latitude-longitude and polar
// stereographic grids: solid-body rotation, pure divergence, the Laplacian of a Gaussian; the
// Coriolis parameter against 2 Omega sin(latitude); point coordinates, wind rotation, and
// the edges: missing neighbours, one-point and one-row grids, polar rows, hostile grids.
#include <gtest/gtest.h>

#include "grd_calc_fixture.h"
#include "grd_fixture.h"
#include "test_util.h"
#include "grd_kin.h"
#include "vykplot.h"

#include <cmath>
#include <functional>
#include <string>
#include <utility>
#include <vector>

using grdtest::Grid;
using grdtest::fill;
using grdtest::latlon_domain;
using grdtest::numpy;
using grdtest::Out;
using grdtest::polar_domain;

namespace {

constexpr float MISS = -9999;

// numpy's first derivatives (numpy.gradient: centred inside, one-sided at the edges) and
// second differences (one-sided over two points at the edges), each row with its own x
// spacing.  Input: nx ny sy, the ny x spacings, then u, v and z.  Output, one block after the
// other: du/dx, dv/dy, vorticity, convergence, deformations 1 and 2, advection of z, and the
// Laplacian of z.
const char *const KINEMATICS = R"(
d = [float(w) for w in sys.stdin.read().split()]
nx, ny, sy = int(d[0]), int(d[1]), d[2]
sx = np.array(d[3:3 + ny]); p = 3 + ny
u, v, z = (np.array(d[p + k * nx * ny:p + (k + 1) * nx * ny]).reshape(ny, nx) for k in range(3))
ddx = lambda F: np.array([np.gradient(F[j], sx[j]) for j in range(ny)])
ddy = lambda F: np.gradient(F, -sy, axis=0)
def d2(F):
    R = np.empty_like(F)
    R[1:-1] = F[:-2] + F[2:] - 2 * F[1:-1]
    R[-1] = F[-1] + F[-3] - 2 * F[-2]
    R[0] = F[0] + F[2] - 2 * F[1]
    return R
lap = d2(z) / sy**2 + d2(z.T).T / sx[:, None]**2
for r in [ddx(u), ddy(v), ddx(v) - ddy(u), -ddx(u) - ddy(v), ddx(u) - ddy(v), -ddy(u) - ddx(v),
          -u * ddx(z) - v * ddy(z), lap]:
    print(' '.join(repr(float(x)) for x in r.ravel()))
)";

/// The eight operators of KINEMATICS on u, v and z, against numpy; sx the x spacing of each
/// row and sy the y spacing as the test expects them.
void check_against_numpy(const Grid &u, const Grid &v, const Grid &z, const std::vector<double> &sx,
                         double sy)
{
    const int n = u.r.domain.nx * u.r.domain.ny;
    std::string input = std::to_string(u.r.domain.nx) + " " + std::to_string(u.r.domain.ny) + " " +
                        std::to_string(sy) + "\n";
    for (double s : sx) input += std::to_string(s) + " ";
    input += "\n";
    for (const Grid *g : {&u, &v, &z})
        input += grdtest::as_text(g->r).substr(grdtest::as_text(g->r).find('\n') + 1);
    const std::vector<double> want = numpy(KINEMATICS, input);
    ASSERT_EQ(want.size(), 8u * static_cast<size_t>(n));

    Out out[8];
    ASSERT_EQ(GRD_dx(&u.r, &out[0].r), 0);
    ASSERT_EQ(GRD_dy(&v.r, &out[1].r), 0);
    ASSERT_EQ(GRD_vorticity(&u.r, &v.r, &out[2].r), 0);
    ASSERT_EQ(GRD_converge(&u.r, &v.r, nullptr, &out[3].r), 0);
    ASSERT_EQ(GRD_deformation1(&u.r, &v.r, &out[4].r), 0);
    ASSERT_EQ(GRD_deformation2(&u.r, &v.r, &out[5].r), 0);
    ASSERT_EQ(GRD_advection(&u.r, &v.r, &z.r, &out[6].r), 0);
    ASSERT_EQ(GRD_laplacian(&z.r, &out[7].r), 0);
    const char *names[] = {"dx", "dy", "vorticity", "converge", "def1", "def2", "advection", "laplacian"};
    for (int o = 0; o < 8; o++) {
        double worst = 0, scale = 0;
        for (int k = 0; k < n; k++) {
            const double w = want[static_cast<size_t>(o * n + k)];
            worst = std::max(worst, std::fabs(out[o].at(k) - w));
            scale = std::max(scale, std::fabs(w));
        }
        EXPECT_LE(worst, 2e-5 * std::max(1.0, scale)) << names[o];
    }
}

/// The x spacing of each row of a latitude-longitude domain, in 100 km units.
std::vector<double> latlon_spacing(const Domain &d)
{
    std::vector<double> sx;
    for (int j = 0; j < d.ny; j++) {
        const double lat = d.clat + d.dy * ((d.ny - 1) / 2.0 - j);
        sx.push_back(std::cos(lat * M_PI / 180) * d.dx * 1.11195);
    }
    return sx;
}

}  // namespace

// Smooth fields on both projections: the operators agree with numpy's differences point by
// point, edges included.
TEST(GrdKin, FirstAndSecondDifferencesAgreeWithNumpy)
{
    {
        SCOPED_TRACE("latitude-longitude");
        const Domain d = latlon_domain(13, 9, 45, 2.5f, 1.5f);
        Grid u(13, 9), v(13, 9), z(13, 9);
        u.r.domain = v.r.domain = z.r.domain = d;
        fill(u, [](double, double, double lat, double lon) { return 10 * std::sin(lat / 7) + lon / 9; });
        fill(v, [](double, double, double lat, double lon) { return 5 * std::cos(lon / 5) * lat / 40; });
        fill(z, [](double, double, double lat, double lon) { return 5500 + 3 * lat * lat - 2 * lon; });
        check_against_numpy(u, v, z, latlon_spacing(d), d.dy * 1.11195);
    }
    {
        SCOPED_TRACE("polar stereographic with a distance ratio");
        const Domain d = polar_domain(11, 8, 0.8f, 1.277f);
        Grid u(11, 8), v(11, 8), z(11, 8);
        u.r.domain = v.r.domain = z.r.domain = d;
        fill(u, [](double x, double y, double, double) { return 3 * std::sin(x / 3) * y; });
        fill(v, [](double x, double y, double, double) { return x * x / 10 - std::cos(y); });
        fill(z, [](double x, double y, double, double) { return 100 * std::exp(-(x * x + y * y) / 400); });
        check_against_numpy(u, v, z, std::vector<double>(8, 0.8 * 1.277), 0.8 * 1.277);
    }
}

// Linear fields are differenced exactly: solid-body rotation has vorticity 2 Omega and a pure
// divergence has divergence 2a, everywhere, edges included; on a polar stereographic grid the
// rotation has no divergence and the divergence no vorticity.
TEST(GrdKin, SolidBodyRotationAndPureDivergence)
{
    const double omega = 3.5, a = 1.25;
    struct Case {
        const char *name;
        Domain d;
    };
    const Case cases[] = {
        {"latitude-longitude", latlon_domain(9, 7, 30, 2, 2)},
        {"polar stereographic", polar_domain(10, 7, 1.5f, VYK_MISS)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const Domain &d = c.d;
        Grid u(d.nx, d.ny), v(d.nx, d.ny), du(d.nx, d.ny), dv(d.nx, d.ny);
        u.r.domain = v.r.domain = du.r.domain = dv.r.domain = d;
        // Distances from the grid's centre in 100 km units along its rows and columns.
        const bool ll = d.proj == DOM_LATLON;
        for (int j = 0; j < d.ny; j++) {
            const double lat = d.clat + d.dy * ((d.ny - 1) / 2.0 - j);
            const double sx = ll ? std::cos(lat * M_PI / 180) * d.dx * 1.11195 : d.dx;
            const double sy = ll ? d.dy * 1.11195 : d.dy;
            for (int i = 0; i < d.nx; i++) {
                const double x = sx * (i - (d.nx - 1) / 2.0), y = sy * ((d.ny - 1) / 2.0 - j);
                u.at(i, j) = static_cast<float>(-omega * y);
                v.at(i, j) = static_cast<float>(omega * x);
                du.at(i, j) = static_cast<float>(a * x);
                dv.at(i, j) = static_cast<float>(a * y);
            }
        }
        Out vort, conv, vort0, div;
        ASSERT_EQ(GRD_vorticity(&u.r, &v.r, &vort.r), 0);
        ASSERT_EQ(GRD_converge(&u.r, &v.r, nullptr, &conv.r), 0);
        ASSERT_EQ(GRD_vorticity(&du.r, &dv.r, &vort0.r), 0);
        ASSERT_EQ(GRD_converge(&du.r, &dv.r, nullptr, &div.r), 0);
        for (int k = 0; k < d.nx * d.ny; k++) {
            EXPECT_NEAR(vort.at(k), 2 * omega, 1e-4) << k;
            EXPECT_NEAR(div.at(k), -2 * a, 1e-4) << k;
            // Without metric terms the x spacing of a latitude-longitude row changes with its
            // latitude, so that the cross terms vanish on the plane projection only.
            if (ll) continue;
            EXPECT_NEAR(conv.at(k), 0, 1e-4) << k;
            EXPECT_NEAR(vort0.at(k), 0, 1e-4) << k;
        }
    }
}

// The discrete Laplacian of a Gaussian approaches the analytic one inside the grid.
TEST(GrdKin, LaplacianOfAGaussian)
{
    const Domain d = polar_domain(41, 41, 0.25f, VYK_MISS);
    Grid z(41, 41);
    z.r.domain = d;
    const double s2 = 4.0;  // sigma^2, (100 km)^2
    for (int j = 0; j < 41; j++)
        for (int i = 0; i < 41; i++) {
            const double x = 0.25 * (i - 20), y = 0.25 * (20 - j);
            z.at(i, j) = static_cast<float>(std::exp(-(x * x + y * y) / (2 * s2)));
        }
    Out lap;
    ASSERT_EQ(GRD_laplacian(&z.r, &lap.r), 0);
    for (int j = 2; j < 39; j++)
        for (int i = 2; i < 39; i++) {
            const double x = 0.25 * (i - 20), y = 0.25 * (20 - j), r2 = x * x + y * y;
            const double want = std::exp(-r2 / (2 * s2)) * (r2 / (s2 * s2) - 2 / s2);
            EXPECT_NEAR(lap.at(i + 41 * j), want, 0.01) << i << "," << j;
        }
    EXPECT_NEAR(lap.at(20 + 41 * 20), -0.5, 0.005);
}

// f = 2 Omega sin(latitude) in 1e-5 per second, on both projections, for every oper.
TEST(GrdKin, CoriolisParameterAgainstTheLatitude)
{
    struct Case {
        const char *oper;
        double (*combine)(double v, double f);
    };
    const Case cases[] = {
        {"add", [](double v, double f) { return v + f; }},
        {"SUB", [](double v, double f) { return v - f; }},
        {"sub-", [](double v, double f) { return f - v; }},
        {"mul", [](double v, double f) { return f * v; }},
        {"div", [](double v, double f) { return v / f; }},
        {"Div-", [](double v, double f) { return f / v; }},
    };
    for (const Domain &d : {latlon_domain(5, 7, 40, 3, 5), polar_domain(6, 5, 4, VYK_MISS)}) {
        for (const Case &c : cases) {
            SCOPED_TRACE(std::string(c.oper) + " on projection " + std::to_string(d.proj));
            Grid g(d.nx, d.ny);
            g.r.domain = d;
            std::vector<double> lats;
            fill(g, [&](double, double, double lat, double) {
                lats.push_back(lat);
                return static_cast<float>(lats.size() % 4 == 3 ? MISS : 2.5 + lats.size());
            });
            std::vector<float> before(g.r.grid, g.r.grid + d.nx * d.ny);
            ASSERT_EQ(GRD_coriolis(&g.r, c.oper), 0);
            for (size_t k = 0; k < before.size(); k++) {
                if (before[k] == MISS) {
                    EXPECT_EQ(g.r.grid[k], MISS);
                    continue;
                }
                const double f = 2 * 7.292e-5 * std::sin(lats[k] * M_PI / 180) * 1e5;
                EXPECT_NEAR(g.r.grid[k], c.combine(before[k], f), 2e-3 * std::fabs(c.combine(before[k], f)) + 1e-3) << k;
            }
        }
    }
    // The values of the text: 45 and 30 degrees; the equator divides by 0; another oper
    // changes nothing.
    Grid ll(1, 3, {1, 1, 1});
    ll.r.domain = latlon_domain(1, 3, 30, 1, 15);
    GRD_coriolis(&ll.r, "add");
    EXPECT_NEAR(ll.at(0, 0), 1 + 10.3124, 1e-4);
    EXPECT_NEAR(ll.at(0, 1), 1 + 7.292, 1e-4);
    Grid eq(1, 2, {1, 0});
    eq.r.domain = latlon_domain(1, 2, 0.5f, 1, 1);  // rows at 1 and 0 degrees
    GRD_coriolis(&eq.r, "div");
    EXPECT_NEAR(eq.at(0, 0), 1 / (14.584 * std::sin(M_PI / 180)), 1e-3);
    EXPECT_EQ(eq.at(0, 1), MISS);
    // A row off the equator by rounding only divides by 0 as well.
    Grid near(1, 2, {1, 1});
    near.r.domain = latlon_domain(1, 2, 0.50000006f, 1, 1);
    GRD_coriolis(&near.r, "div");
    EXPECT_EQ(near.at(0, 1), MISS);
    Grid zero(1, 1, {0});
    zero.r.domain = latlon_domain(1, 1, 20, 1, 1);
    GRD_coriolis(&zero.r, "div-");
    EXPECT_EQ(zero.at(0, 0), MISS);
    GRD_coriolis(&ll.r, "times");
    EXPECT_NEAR(ll.at(0, 0), 1 + 10.3124, 1e-4);
}

// Spacing: 0.555975 units per degree at 60 degrees; a polar row has no x spacing (within
// 1e-4 degrees) while dy is still computed there.
TEST(GrdKin, SpacingAndPolarRows)
{
    Grid g(3, 2, {0, 1, 2, 0, 1, 2});
    g.r.domain = latlon_domain(3, 2, 60.5f, 1, 1);  // rows at 61 and 60 degrees
    Out dx;
    ASSERT_EQ(GRD_dx(&g.r, &dx.r), 0);
    EXPECT_NEAR(dx.at(4), 1 / 0.555975, 1e-4);
    struct Case {
        float top;  // latitude of the top row (dy 1)
        bool polar;
    };
    for (const Case c : {Case{90, true}, Case{90.00005f, true}, Case{89.99995f, true},
                         Case{89.99f, false}}) {
        SCOPED_TRACE(c.top);
        Grid p(3, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9});
        p.r.domain = latlon_domain(3, 3, c.top - 1, 1, 1);
        Out x, y, l, v;
        ASSERT_EQ(GRD_dx(&p.r, &x.r), 0);
        ASSERT_EQ(GRD_dy(&p.r, &y.r), 0);
        ASSERT_EQ(GRD_laplacian(&p.r, &l.r), 0);
        ASSERT_EQ(GRD_vorticity(&p.r, &p.r, &v.r), 0);
        for (int i = 0; i < 3; i++) {
            EXPECT_EQ(x.at(i) == MISS, c.polar);
            EXPECT_EQ(l.at(i) == MISS, c.polar);
            EXPECT_EQ(v.at(i) == MISS, c.polar);
            EXPECT_NEAR(y.at(i), -3 / 1.11195, 1e-4);
            EXPECT_NE(x.at(i + 3), MISS);
        }
    }
}

// Missing neighbours and small grids, as rows: a derivative beside a missing value is
// one-sided, an isolated point has derivative 0 and no Laplacian, a one-point grid likewise;
// NaN and infinite inputs are missing.
TEST(GrdKin, EdgesAndMissingNeighbours)
{
    enum Opr { DX, DY, LAPL };
    struct Case {
        const char *what;
        Opr op;
        int nx, ny;
        std::vector<float> in, want;
    };
    const float nan = NAN, inf = INFINITY;
    const Case cases[] = {
        {"one point", DX, 1, 1, {5}, {0}},
        {"one point", DY, 1, 1, {5}, {0}},
        {"one point", LAPL, 1, 1, {5}, {MISS}},
        {"missing in a row", DX, 5, 1, {0, 2, MISS, 8, 16}, {2, 2, MISS, 8, 8}},
        {"isolated point", DX, 3, 1, {MISS, 4, MISS}, {MISS, 0, MISS}},
        {"NaN and inf are missing", DX, 5, 1, {1, nan, 3, inf, 4}, {0, MISS, 0, MISS, 0}},
        {"one row has no y neighbours", DY, 3, 1, {1, 2, 3}, {0, 0, 0}},
        {"one row has no y second difference", LAPL, 3, 1, {1, 2, 3}, {MISS, MISS, MISS}},
        {"column, north is row above", DY, 1, 4, {3, 2, 1, 0}, {1, 1, 1, 1}},
        {"column, one-sided beside missing", DY, 1, 4, {6, MISS, 2, 1}, {0, MISS, 1, 1}},
        {"one column has no x second difference", LAPL, 1, 3, {1, 2, 3}, {MISS, MISS, MISS}},
        {"second differences one-sided at the edges", LAPL, 3, 4,
         {0, 0, 0, 1, 1, 1, 4, 4, 4, 9, 9, 9}, std::vector<float>(12, 2)},
        {"second differences beside missing", LAPL, 3, 6,
         {0, 0, 0, 1, 1, 1, MISS, MISS, MISS, 9, 9, 9, 16, 16, 16, 25, 25, 25},
         {MISS, MISS, MISS, MISS, MISS, MISS, MISS, MISS, MISS, 2, 2, 2, 2, 2, 2, 2, 2, 2}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Grid g(c.nx, c.ny, c.in);
        DOM_init(&g.r.domain);
        g.r.domain.proj = DOM_PSTEREO;
        g.r.domain.nx = c.nx;
        g.r.domain.ny = c.ny;
        g.r.domain.dx = g.r.domain.dy = 1;
        Out o;
        const int r = c.op == DX ? GRD_dx(&g.r, &o.r) : c.op == DY ? GRD_dy(&g.r, &o.r)
                                                                   : GRD_laplacian(&g.r, &o.r);
        ASSERT_EQ(r, 0);
        for (size_t k = 0; k < c.want.size(); k++) EXPECT_FLOAT_EQ(o.at(static_cast<int>(k)), c.want[k]) << k;
    }
}

// Grids the operators refuse with a warning and -1: no values, sizes that differ, an output
// that is an input or holds values of another size, an unusable spacing gives missing rows.
TEST(GrdKin, HostileGridsAreRefused)
{
    Grid a(3, 2, {1, 2, 3, 4, 5, 6}), b(2, 3, {1, 2, 3, 4, 5, 6}), c(3, 2);
    Out o;
    GRD_report empty{};
    GRD_init(&empty);
    empty.domain = a.r.domain;
    vyktest::CaptureStdio cap;
    EXPECT_EQ(GRD_vorticity(&a.r, &b.r, &o.r), -1);
    EXPECT_EQ(GRD_advection(&a.r, &a.r, &b.r, &o.r), -1);
    EXPECT_EQ(GRD_dx(&empty, &o.r), -1);
    EXPECT_EQ(GRD_dx(nullptr, &o.r), -1);
    EXPECT_EQ(GRD_dx(&a.r, nullptr), -1);
    EXPECT_EQ(GRD_laplacian(&a.r, &a.r), -1);
    GRD_report share{};
    GRD_copy(&share, &a.r);
    EXPECT_EQ(GRD_dy(&a.r, &share), -1);
    EXPECT_EQ(GRD_dx(&a.r, &b.r), -1);  // values of another size
    EXPECT_EQ(o.r.grid, nullptr);
    EXPECT_EQ(GRD_correct_UV(&a.r, &b.r), -1);
    cap.finish();
    EXPECT_NE(cap.err().find("GRD_vorticity: Grids of different sizes: 3x2 and 2x3"), std::string::npos);
    EXPECT_NE(cap.err().find("GRD_dx: Grid without values"), std::string::npos);
    EXPECT_NE(cap.err().find("GRD_laplacian: The output grid is one of the inputs"), std::string::npos);
    EXPECT_NE(cap.err().find("GRD_dx: Output grid of another size"), std::string::npos);

    // An output with values of the right size is written in place.
    float *own = c.r.grid;
    ASSERT_EQ(GRD_dx(&a.r, &c.r), 0);
    EXPECT_EQ(c.r.grid, own);
    EXPECT_FLOAT_EQ(c.at(1, 0), static_cast<float>(1 / 1.11195 / std::cos(40.5 * M_PI / 180)));
    // A spacing that is 0 or unset gives missing values, not infinities.
    a.r.domain.dx = 0;
    ASSERT_EQ(GRD_dx(&a.r, &c.r), 0);
    for (int k = 0; k < 6; k++) EXPECT_EQ(c.r.grid[k], MISS);
    a.r.domain.proj = DOM_PSTEREO;
    a.r.domain.dx = 1;
    a.r.domain.dy = VYK_MISS;
    ASSERT_EQ(GRD_dy(&a.r, &c.r), 0);
    for (int k = 0; k < 6; k++) EXPECT_EQ(c.r.grid[k], MISS);
    ASSERT_EQ(GRD_dx(&a.r, &c.r), 0);
    EXPECT_FLOAT_EQ(c.r.grid[1], 1);
}

// Point coordinates: the centre lies midway between the central points of an even grid, a
// missing value keeps its place, longitudes stay within -180 to 180, another oper does nothing.
TEST(GrdKin, PointCoordinates)
{
    Grid g(4, 2, {1, 1, MISS, 1, 1, 1, 1, 1});
    g.r.domain = latlon_domain(4, 2, 10, 2, 4);
    g.r.domain.clon = 178;
    strfcpy(g.r.info, "old");
    ASSERT_EQ(GRD_point_locate(&g.r, "nothing"), 0);
    EXPECT_STREQ(g.r.info, "old");
    EXPECT_EQ(g.at(0, 0), 1);
    ASSERT_EQ(GRD_point_locate(&g.r, "LAT"), 0);
    EXPECT_STREQ(g.r.info, "Latitude (deg)");
    EXPECT_STREQ(g.r.units, "deg");
    EXPECT_EQ(g.r.var, 0);
    const std::vector<float> lat{12, 12, MISS, 12, 8, 8, 8, 8};
    for (int k = 0; k < 8; k++) EXPECT_NEAR(g.r.grid[k], lat[static_cast<size_t>(k)], 1e-4) << k;
    for (int k = 0; k < 8; k++) g.r.grid[k] = k == 2 ? MISS : 0;
    ASSERT_EQ(GRD_point_locate(&g.r, "lon"), 0);
    const std::vector<float> lon{175, 177, MISS, -179};
    for (int k = 0; k < 4; k++) EXPECT_NEAR(g.r.grid[k], lon[static_cast<size_t>(k)], 1e-4) << k;
    for (int k = 0; k < 8; k++) g.r.grid[k] = 0;
    ASSERT_EQ(GRD_point_locate(&g.r, "projy"), 0);
    EXPECT_STREQ(g.r.info, "Projection Y");
    EXPECT_STREQ(g.r.units, "");
    EXPECT_FLOAT_EQ(g.at(3, 0) - g.at(3, 1), 4);

    // On a polar stereographic grid the latitudes agree with numpy's inverse projection.
    Grid p(5, 4);
    p.r.domain = polar_domain(5, 4, 3, VYK_MISS);
    std::vector<double> want;
    fill(p, [&](double, double, double la, double) {
        want.push_back(la);
        return 1.0f;
    });
    ASSERT_EQ(GRD_point_locate(&p.r, "lat"), 0);
    const std::vector<double> ref = numpy(R"(
K = 63.7122 * (1 + np.sin(np.radians(60)))
r0 = K * np.tan(np.radians(90 - 55) / 2); a0 = np.radians(-100 + 105)
X, Y = np.meshgrid(r0 * np.sin(a0) + (np.arange(5) - 2) * 3.0, -r0 * np.cos(a0) + (1.5 - np.arange(4)) * 3.0)
print(' '.join(repr(float(x)) for x in (90 - 2 * np.degrees(np.arctan(np.hypot(X, Y) / K))).ravel()))
)", "");
    ASSERT_EQ(ref.size(), 20u);
    for (int k = 0; k < 20; k++) EXPECT_NEAR(p.r.grid[k], ref[static_cast<size_t>(k)], 1e-3) << k;
}

// Rotation to the grid's axes: the identity on a latitude-longitude grid; on a polar
// stereographic grid each wind turns by the angle between true north and the grid's y axis;
// a point with either component missing loses both; the current map stays.
TEST(GrdKin, WindsTurnToTheGridAxes)
{
    Grid u(3, 2, {10, 0, -5, 3, MISS, 2}), v(3, 2, {0, 10, 5, MISS, 4, 2});
    ASSERT_EQ(GRD_correct_UV(&u.r, &v.r), 0);
    const std::vector<float> wu{10, 0, -5, MISS, MISS, 2}, wv{0, 10, 5, MISS, MISS, 2};
    for (int k = 0; k < 6; k++) {
        EXPECT_NEAR(u.r.grid[k], wu[static_cast<size_t>(k)], 1e-4);
        EXPECT_NEAR(v.r.grid[k], wv[static_cast<size_t>(k)], 1e-4);
    }

    const Domain ps = polar_domain(4, 3, 5, VYK_MISS);
    Grid pu(4, 3), pv(4, 3);
    pu.r.domain = pv.r.domain = ps;
    std::vector<double> lons;
    fill(pu, [&](double, double, double, double lon) {
        lons.push_back(lon);
        return 0.0f;
    });
    for (int k = 0; k < 12; k++) pv.r.grid[k] = -10;  // from the north
    Domain keep;
    const Domain ll = latlon_domain(3, 2, 40, 1, 1);
    MAP_domain(&ll);
    MAP_get_domain(&keep);
    ASSERT_EQ(GRD_correct_UV(&pu.r, &pv.r), 0);
    for (int k = 0; k < 12; k++) {
        // The grid's y axis points to the pole along longitude -105: true north lies turned by
        // the longitude's difference from it.
        const double turn = (lons[static_cast<size_t>(k)] + 105) * M_PI / 180;
        EXPECT_NEAR(pu.r.grid[k], 10 * std::sin(turn), 1e-3) << k;
        EXPECT_NEAR(pv.r.grid[k], -10 * std::cos(turn), 1e-3) << k;
    }
    Domain after;
    MAP_get_domain(&after);
    EXPECT_EQ(DOM_comp(&after, &keep), 1);
}

namespace {

// The point-by-point rules of the operators, written out plainly: a centred difference where
// both neighbours have values, one-sided beside a gap or an edge, 0 with neither; a missing
// point is missing.  NaN stands for missing.
struct Rules {
    const std::vector<float> &u, &v, &z;
    int nx, ny;
    std::vector<double> sx;
    double sy;

    static bool has(float f) { return f != MISS && std::isfinite(f); }
    double at(const std::vector<float> &F, int i, int j) const
    {
        return i < 0 || j < 0 || i >= nx || j >= ny || !has(F[j * nx + i]) ? NAN : F[j * nx + i];
    }
    double ddx(const std::vector<float> &F, int i, int j) const
    {
        const double c = at(F, i, j), e = at(F, i + 1, j), w = at(F, i - 1, j);
        if (!std::isnan(e) && !std::isnan(w)) return (e - w) / (2 * sx[j]);
        if (!std::isnan(e)) return (e - c) / sx[j];
        if (!std::isnan(w)) return (c - w) / sx[j];
        return 0;
    }
    double ddy(const std::vector<float> &F, int i, int j) const
    {
        const double c = at(F, i, j), n = at(F, i, j - 1), s = at(F, i, j + 1);
        if (!std::isnan(n) && !std::isnan(s)) return (n - s) / (2 * sy);
        if (!std::isnan(n)) return (n - c) / sy;
        if (!std::isnan(s)) return (c - s) / sy;
        return 0;
    }
    // Second difference along (di, dj): centred, else one-sided over the two points behind or
    // ahead; NaN without them.
    double d2(const std::vector<float> &F, int i, int j, int di, int dj, double s2) const
    {
        const double c = at(F, i, j), a1 = at(F, i + di, j + dj), b1 = at(F, i - di, j - dj);
        if (std::isnan(a1)) return (c + at(F, i - 2 * di, j - 2 * dj) - 2 * b1) / s2;
        if (std::isnan(b1)) return (c + at(F, i + 2 * di, j + 2 * dj) - 2 * a1) / s2;
        return (b1 + a1 - 2 * c) / s2;
    }
    double value(const std::string &op, int i, int j) const
    {
        const bool uv = !std::isnan(at(u, i, j)) && !std::isnan(at(v, i, j));
        if (op == "dx") return std::isnan(at(u, i, j)) ? NAN : ddx(u, i, j);
        if (op == "dy") return std::isnan(at(u, i, j)) ? NAN : ddy(u, i, j);
        if (op == "laplacian")
            return std::isnan(at(z, i, j)) ? NAN : d2(z, i, j, 0, 1, sy * sy) + d2(z, i, j, 1, 0, sx[j] * sx[j]);
        if (!uv) return NAN;
        if (op == "vorticity") return ddx(v, i, j) - ddy(u, i, j);
        if (op == "converge") return -ddx(u, i, j) - ddy(v, i, j);
        if (op == "converge z") return (-ddx(u, i, j) - ddy(v, i, j)) * at(z, i, j);
        if (op == "def1") return ddx(u, i, j) - ddy(v, i, j);
        if (op == "def2") return -ddy(u, i, j) - ddx(v, i, j);
        if (std::isnan(at(z, i, j))) return NAN;  // advection
        return -(u[j * nx + i] * ddx(z, i, j)) - (v[j * nx + i] * ddy(z, i, j));
    }
};

}  // namespace

// Runs of complete points take a loop of their own; every point, inside the runs, at their
// ends, beside the scattered gaps (missing, NaN, infinite) and on the edges, has the value the
// point-by-point rules give, within float rounding.  Rows are wide enough for whole vector
// steps and their remainders; some rows are complete, some have gaps one point apart.
TEST(GrdKin, RunsBetweenGapsAgreeWithThePointRules)
{
    const int nx = 37, ny = 23;
    const Domain d = latlon_domain(nx, ny, 50, 0.7f, 0.5f);
    Grid u(nx, ny), v(nx, ny), z(nx, ny);
    u.r.domain = v.r.domain = z.r.domain = d;
    fill(u, [](double, double, double lat, double lon) { return 10 * std::sin(lat / 3) + lon / 2; });
    fill(v, [](double, double, double lat, double lon) { return 5 * std::cos(lon / 2) * lat / 40; });
    fill(z, [](double, double, double lat, double lon) { return 5500 + 3 * lat * lat - 20 * std::sin(lon); });
    // Gaps: scattered by a fixed sequence, a pair side by side, and one at every edge.
    const float gaps[] = {MISS, NAN, INFINITY, -INFINITY};
    unsigned s = 7;
    int g = 0;
    for (GRD_report *r : {&u.r, &v.r, &z.r}) {
        for (int n = 0; n < 40; n++) {
            s = s * 1103515245u + 12345u;
            const int k = static_cast<int>((s >> 8) % (nx * ny));
            if (k / nx >= 4 && k / nx <= 7) continue;  // rows 4 to 7 stay complete
            r->grid[k] = gaps[g++ % 4];
        }
    }
    u.r.grid[15 * nx + 10] = u.r.grid[15 * nx + 11] = MISS;
    z.r.grid[0] = z.r.grid[nx - 1] = z.r.grid[(ny - 1) * nx + 3] = z.r.grid[9 * nx] = MISS;

    const auto copy = [&](const Grid &f) { return std::vector<float>(f.r.grid, f.r.grid + nx * ny); };
    const std::vector<float> U = copy(u), V = copy(v), Z = copy(z);
    const Rules rules{U, V, Z, nx, ny, latlon_spacing(d), d.dy * 1.11195};
    const std::pair<const char *, std::function<int(GRD_report *)>> ops[] = {
        {"dx", [&](GRD_report *o) { return GRD_dx(&u.r, o); }},
        {"dy", [&](GRD_report *o) { return GRD_dy(&u.r, o); }},
        {"vorticity", [&](GRD_report *o) { return GRD_vorticity(&u.r, &v.r, o); }},
        {"converge", [&](GRD_report *o) { return GRD_converge(&u.r, &v.r, nullptr, o); }},
        {"converge z", [&](GRD_report *o) { return GRD_converge(&u.r, &v.r, &z.r, o); }},
        {"def1", [&](GRD_report *o) { return GRD_deformation1(&u.r, &v.r, o); }},
        {"def2", [&](GRD_report *o) { return GRD_deformation2(&u.r, &v.r, o); }},
        {"advection", [&](GRD_report *o) { return GRD_advection(&u.r, &v.r, &z.r, o); }},
        {"laplacian", [&](GRD_report *o) { return GRD_laplacian(&z.r, o); }},
    };
    for (const auto &[name, run] : ops) {
        SCOPED_TRACE(name);
        Out o;
        ASSERT_EQ(run(&o.r), 0);
        int present = 0;
        for (int j = 0; j < ny; j++) {
            for (int i = 0; i < nx; i++) {
                const double want = rules.value(name, i, j);
                const float got = o.at(j * nx + i);
                if (!std::isfinite(want)) {
                    EXPECT_EQ(got, MISS) << i << "," << j;
                    continue;
                }
                present++;
                EXPECT_NEAR(got, want, 1e-6 * std::fabs(want) + 1e-9) << i << "," << j;
            }
        }
        EXPECT_GT(present, nx * ny * 3 / 4);
    }
}
