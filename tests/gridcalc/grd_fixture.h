// Fixtures of the grid tests: records with values that release themselves, small grids with
// missing points, and numpy (the Debian package's python) as the independent reference.
#ifndef GRD_FIXTURE_H
#define GRD_FIXTURE_H

#include <gtest/gtest.h>

#include "test_util.h"
#include "grd_oper.h"

#include <sstream>
#include <string>
#include <vector>

namespace grdtest {

/// A grid record of nx by ny values on a latitude-longitude domain; released at the end.
struct Grid {
    GRD_report r{};
    Grid(int nx, int ny, const std::vector<float> &values = {})
    {
        GRD_init(&r);
        DOM_init(&r.domain);
        r.domain.proj = 2;
        r.domain.clat = 40;
        r.domain.clon = -100;
        r.domain.dx = r.domain.dy = 1;
        r.domain.nx = nx;
        r.domain.ny = ny;
        EXPECT_EQ(GRD_alloc(&r), 1);
        for (size_t k = 0; r.grid && k < static_cast<size_t>(nx) * static_cast<size_t>(ny); k++)
            r.grid[k] = k < values.size() ? values[k] : 0.0f;
    }
    ~Grid() { GRD_free(&r); }
    Grid(const Grid &) = delete;
    Grid &operator=(const Grid &) = delete;
    float &at(int i, int j) { return r.grid[i + j * r.domain.nx]; }
};

/// Values of a small grid: a deterministic mix of signs and sizes with every k-th missing.
inline std::vector<float> sample_values(int n, unsigned seed, int every)
{
    std::vector<float> v;
    unsigned s = seed;
    for (int k = 0; k < n; k++) {
        s = s * 1103515245u + 12345u;
        const float x = static_cast<float>((s >> 8) % 20000) / 100.0f - 100.0f;
        v.push_back(every > 0 && k % every == every - 1 ? VYK_MISS : x);
    }
    return v;
}

/// Runs a numpy script (numpy imported as np, sys imported) with text on its standard input;
/// the numbers it prints.  A missing python or numpy fails the test.
inline std::vector<double> numpy(const std::string &script, const std::string &input)
{
    const vyktest::RunResult r =
        vyktest::run("/usr/bin/python3 -c " + vyktest::quote("import sys\nimport numpy as np\n" + script),
                     input);
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<double> out;
    std::istringstream in(r.out);
    std::string word;
    while (in >> word) out.push_back(word == "nan" ? VYK_MISS : std::stod(word));
    return out;
}

/// A grid as numpy reads it: "nx ny" and the values, -9999 for missing.
inline std::string as_text(const GRD_report &g)
{
    std::ostringstream out;
    out.precision(9);
    out << g.domain.nx << ' ' << g.domain.ny << '\n';
    for (int k = 0; k < g.domain.nx * g.domain.ny; k++) out << g.grid[k] << (k % 8 == 7 ? '\n' : ' ');
    out << '\n';
    return out.str();
}

}  // namespace grdtest

#endif
