// Fixtures of the grid-function tests: the argument arrays of one call built from a list of
// grids, constants and empty slots; the shipped variable table on the file path; results
// compared value by value.
#ifndef GRD_CALC_FIXTURE_H
#define GRD_CALC_FIXTURE_H

#include <gtest/gtest.h>

#include "domain_util.h"
#include "grd_fixture.h"
#include "vykcalc.h"
#include "vykplot.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <variant>
#include <vector>

namespace grdtest {

/// An argument of a table row: the values of a grid of four points, a constant, or an empty
/// slot.
struct Empty {};
using ArgSpec = std::variant<std::vector<float>, float, Empty>;

/// The argument arrays of one call: slot 0 a new output record (no values, no georeference),
/// then the arguments, then the ending empty slot.  Grid arguments are 4 by 1 on a
/// latitude-longitude domain, with source 7.
struct Call {
    GRD_report out{};
    GRD_report out2{};
    std::vector<std::unique_ptr<Grid>> grids;
    GRD_report *slots[GRD_MATH_SLOTS + 1] = {};
    float values[GRD_MATH_SLOTS + 1];

    explicit Call(const std::vector<ArgSpec> &args, bool two_outputs = false, int nx = 4, int ny = 1)
    {
        GRD_init(&out);
        GRD_init(&out2);
        for (float &v : values) v = static_cast<float>(VYK_MISS);
        slots[0] = &out;
        int s = 1;
        if (two_outputs) slots[s++] = &out2;
        for (const ArgSpec &a : args) {
            if (const auto *g = std::get_if<std::vector<float>>(&a)) {
                grids.push_back(std::make_unique<Grid>(nx, ny, *g));
                grids.back()->r.source = 7;
                slots[s] = &grids.back()->r;
            } else if (const auto *c = std::get_if<float>(&a)) {
                values[s] = *c;
            }
            s++;
        }
    }
    ~Call()
    {
        GRD_free(&out);
        GRD_free(&out2);
    }
    int run(const char *text) { return GRD_math(text, slots, values); }
    /// Grid argument k (from 0, in the order given), with a variable number and units.
    GRD_report &arg(size_t k, int var = VYK_MISS, const char *units = "")
    {
        GRD_report &r = grids.at(k)->r;
        r.var = var;
        strfcpy(r.units, units);
        return r;
    }
    std::vector<float> result(const GRD_report &r) const
    {
        if (!r.grid) return {};
        return std::vector<float>(r.grid, r.grid + r.domain.nx * r.domain.ny);
    }
};

/// An output record without values, released at the end.
struct Out : GRD_scratch {
    float at(int k) const { return r.grid[k]; }
};

/// Fills a grid from f(x, y, lat, lon) with x, y the plot position of each point on the grid's
/// own map and lat, lon its place on the earth.
inline void fill(Grid &g, const std::function<float(double, double, double, double)> &f)
{
    const Domain &d = g.r.domain;
    MAP_domain(&d);
    float xc = 0, yc = 0;
    ASSERT_EQ(MAP_tran(d.clat, d.clon, &xc, &yc), 1);
    for (int j = 0; j < d.ny; j++) {
        for (int i = 0; i < d.nx; i++) {
            const double x = xc + d.dx * (i - (d.nx - 1) / 2.0);
            const double y = yc + d.dy * ((d.ny - 1) / 2.0 - j);
            float lat = 0, lon = 0;
            MAP_untran(static_cast<float>(x), static_cast<float>(y), &lat, &lon);
            g.at(i, j) = f(x, y, lat, lon);
        }
    }
}

/// A latitude-longitude domain centred at (clat, -100).
inline Domain latlon_domain(int nx, int ny, float clat, float dx, float dy)
{
    return vyktest::make_domain(DOM_LATLON, clat, -100, dx, dy, nx, ny);
}

/// A polar stereographic domain (pole at 90 N, -105 E, true at 60 N) centred at (55, -100),
/// the ratio of true to plot distance in param[2].
inline Domain polar_domain(int nx, int ny, float dx, float ratio)
{
    Domain d;
    EXPECT_GT(DOM_decode("ps:90:-105:60,55,-100,25,17,1,1", &d), 0);
    d.nx = nx;
    d.ny = ny;
    d.dx = d.dy = dx;
    d.param[2] = ratio;
    return d;
}

/// The file path with the shipped variable table (for variable numbers and units).
struct EtcPath {
    EtcPath() { RES_put("file_path", VYK_SOURCE_DIR "/etc"); }
};

inline void expect_values(const std::vector<float> &got, const std::vector<float> &want,
                          double tol = 1e-5)
{
    ASSERT_EQ(got.size(), want.size());
    for (size_t k = 0; k < want.size(); k++) {
        if (want[k] == static_cast<float>(VYK_MISS)) EXPECT_EQ(got[k], static_cast<float>(VYK_MISS)) << k;
        else EXPECT_NEAR(got[k], want[k], tol * std::max(1.0f, std::fabs(want[k]))) << k;
        EXPECT_FALSE(std::signbit(got[k]) && got[k] == 0) << "-0 at " << k;
    }
}

}  // namespace grdtest

#endif
