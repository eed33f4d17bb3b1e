// The grid-function evaluator: its edge cases as one table of function texts, arguments and
// results; the header and size of the output; the argument model (constants, empty slots, no
// constant array, 19 slots); smoothing against numpy; coordinate grids.
#include <gtest/gtest.h>

#include "grd_calc_fixture.h"
#include "grd_fixture.h"
#include "test_util.h"
#include "vykcalc.h"
#include "grd_kin.h"
#include "vykvar.h"

#include <cmath>
#include <memory>
#include <string>
#include <variant>
#include <vector>

using grdtest::Grid;
using grdtest::numpy;

namespace {

using grdtest::Call;
using grdtest::ArgSpec;
using grdtest::Empty;
using grdtest::EtcPath;
using grdtest::expect_values;

constexpr float MISS = -9999;
const float NaN = NAN, Inf = INFINITY;

}  // namespace

TEST(GrdMath, EdgeCasesAsATable)
{
    const EtcPath etc;
    struct Case {
        const char *text;
        std::vector<ArgSpec> args;
        std::vector<float> want;  // empty: the call is refused (0) and the output untouched
    };
    using V = std::vector<float>;
    const float e = static_cast<float>(M_E);
    const Case cases[] = {
        // Arithmetic: a missing argument gives -9999; a constant stands at every point.
        {"add", {V{1, 2, MISS, 4}, 5.0f}, {6, 7, MISS, 9}},
        {"add", {5.0f, V{1, 2, MISS, 4}}, {6, 7, MISS, 9}},
        {"sub", {V{1, 2, MISS, 4}, V{1, 1, 1, MISS}}, {0, 1, MISS, MISS}},
        {"sub", {V{1, 2, 3, 4}, Empty{}}, {}},
        {"thick", {V{5600, 5400, 5500, 5550}, V{100, 120, MISS, 90}}, {5500, 5280, MISS, 5460}},
        {"mul", {V{-1, 2, 3, 4}, V{0, 0.5f, MISS, -2}}, {0, 1, MISS, -8}},
        {"div", {V{1, 2, 0, 4}, V{0, 4, 0, -2}}, {MISS, 0.5f, MISS, -2}},
        {"mod", {V{7, -7, 7, 1}, V{3, 3, 0, MISS}}, {1, -1, MISS, MISS}},
        {"pow", {V{2, 4, -8, 0}, V{10, 0.5f, 1.0f / 3, -1}}, {1024, 2, MISS, MISS}},
        {"interp", {V{10, 10, MISS, 10}, V{0, 1, 0.5f, 0.25f}, V{20, 20, 20, 30}}, {10, 20, MISS, 15}},
        // Reductions over the arguments present.
        {"max", {V{1, 5, MISS, MISS}, V{3, MISS, 2, MISS}, V{2, 4, 1, MISS}}, {3, 5, 2, MISS}},
        {"min", {V{1, 5, MISS, MISS}, V{3, MISS, 2, MISS}, V{2, 4, 1, MISS}}, {1, 4, 1, MISS}},
        {"sum", {V{1, MISS, 2, MISS}, V{3, 4, MISS, MISS}}, {4, 4, 2, 0}},
        {"avg", {V{1, MISS, 2, MISS}, V{3, 4, MISS, MISS}}, {2, MISS, MISS, MISS}},
        {"avg", {V{1, 2, 3, 4}, 2.0f, V{3, 2, 1, 0}}, {2, 2, 2, 2}},
        {"sum", {}, {}},
        {"max", {V{1, 2, 3, 4}, Empty{}, V{9, 9, 9, 9}}, {1, 2, 3, 4}},
        // Elementary functions; what the library cannot give is -9999.
        {"sqrt", {V{4, 2.25f, -1, MISS}}, {2, 1.5f, MISS, MISS}},
        {"exp", {V{0, 1, 100, MISS}}, {1, e, MISS, MISS}},
        {"log", {V{0, -1, 1, e}}, {MISS, MISS, 0, 1}},
        {"log10", {V{100, 0.001f, MISS, 1}}, {2, -3, MISS, 0}},
        {"abs", {V{-3, 3, -0.0f, MISS}}, {3, 3, 0, MISS}},
        {"sin", {V{90, 0, 30, MISS}}, {1, 0, 0.5f, MISS}},
        {"cos", {V{60, 180, 90, -180}}, {0.5f, -1, 0, -1}},
        {"tan", {V{45, -45, 0, MISS}}, {1, -1, 0, MISS}},
        {"asin", {V{1, -0.5f, 2, MISS}}, {90, -30, MISS, MISS}},
        {"acos", {V{0, 1, -1, 1.5f}}, {90, 0, 180, MISS}},
        {"atan", {V{1, -1, 0, MISS}}, {45, -45, 0, MISS}},
        {"atan2", {V{1, 1, 0, -1}, V{-1, 1, -1, 0}}, {135, 45, 180, -90}},
        {"copy", {V{1, MISS, 3, 4}}, {1, MISS, 3, 4}},
        // Values that are not numbers are missing, in and out.
        {"add", {V{NaN, Inf, -Inf, 3e38f}, V{1, 1, 1, 3e38f}}, {MISS, MISS, MISS, MISS}},
        {"add", {V{1, 2, 3, 4}, NaN}, {}},
        // A type after the hyphen changes nothing of the values.
        {"add-tmp", {V{1, 2, 3, 4}, 1.0f}, {2, 3, 4, 5}},
        // Unknown names, names too long, and the plotting markers.
        {"nosuch", {V{1, 2, 3, 4}}, {}},
        {"additions1", {V{1, 2, 3, 4}, 1.0f}, {}},
        {"", {V{1, 2, 3, 4}}, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        Call call(c.args);
        vyktest::CaptureStdio cap;
        const int r = call.run(c.text);
        cap.finish();
        EXPECT_EQ(r, c.want.empty() ? 0 : 1);
        if (c.want.empty()) {
            EXPECT_EQ(call.out.grid, nullptr);
            EXPECT_NE(cap.err().find("GRD_math: "), std::string::npos);
        } else {
            expect_values(call.result(call.out), c.want);
            EXPECT_EQ(cap.err(), "");
        }
    }
}

TEST(GrdMath, MessagesNamesAndMarkers)
{
    const EtcPath etc;
    Call call({std::vector<float>{1, 2, 3, 4}, std::vector<float>{4, 3, 2, 1}});
    vyktest::CaptureStdio cap;
    EXPECT_EQ(call.run("wind"), 1);
    EXPECT_EQ(call.run("strm-wspd"), 1);
    EXPECT_EQ(call.out.grid, nullptr);
    EXPECT_EQ(call.run("nosuch-tmp"), 0);
    EXPECT_EQ(call.run("sub-"), 1);
    call.slots[2] = nullptr;
    EXPECT_EQ(call.run("sub"), 0);
    EXPECT_EQ(GRD_math("add", nullptr, nullptr), 0);
    cap.finish();
    EXPECT_EQ(cap.err(), "GRD_math: Math function not available: nosuch\nGRD_math: Invalid grids\n"
                         "GRD_math: Invalid grids\n");
}

// A new output takes the header of the first grid argument, even after a constant; an output
// with a georeference keeps it; a type names the result's variable; units of "(*)" functions
// come from a record only.
TEST(GrdMath, TheOutputsHeader)
{
    const EtcPath etc;
    {
        Call call({5.0f, std::vector<float>{1, 2, 3, 4}});
        Grid &g = *call.grids[0];
        g.r.domain.clat = 12;
        strfcpy(g.r.units, "K");
        strfcpy(g.r.datim, "label");
        g.r.model = 83;
        g.r.ltype = 100;
        ASSERT_EQ(call.run("add-tmp"), 1);
        EXPECT_EQ(call.out.domain.clat, 12);
        EXPECT_EQ(call.out.domain.nx, 4);
        EXPECT_STREQ(call.out.units, "K");
        EXPECT_STREQ(call.out.datim, "label");
        EXPECT_EQ(call.out.model, 83);
        EXPECT_EQ(call.out.source, 7);
        EXPECT_EQ(call.out.ltype, VYK_MISS);  // not part of the header
        EXPECT_EQ(call.out.var, VAR_search_var_num("tmp"));
        EXPECT_NE(VAR_search_var_num("tmp"), 0);
    }
    {
        // "sub" takes a's units and relabels; with a constant first it keeps its own.
        Call call({std::vector<float>{1, 2, 3, 4}, std::vector<float>{1, 1, 1, 1}});
        strfcpy(call.grids[0]->r.units, "gpm");
        call.out.var = 12;
        ASSERT_EQ(call.run("sub"), 1);
        EXPECT_STREQ(call.out.units, "gpm");
        EXPECT_NE(std::string(call.out.info).find("(gpm)"), std::string::npos);
        Call constant({1.0f, std::vector<float>{1, 1, 1, 1}});
        strfcpy(constant.grids[0]->r.units, "m");
        ASSERT_EQ(constant.run("sub"), 1);
        EXPECT_STREQ(constant.out.units, "m");  // copied with the header, not set
        EXPECT_STREQ(constant.out.info, "");
    }
    {
        // An output with values and a georeference keeps them and is overwritten.
        Call call({std::vector<float>{1, 2, 3, 4}, 1.0f});
        Grid own(4, 1, {9, 9, 9, 9});
        own.r.domain.clat = -33;
        float *values = own.r.grid;
        call.slots[0] = &own.r;
        ASSERT_EQ(call.run("add"), 1);
        EXPECT_EQ(own.r.grid, values);
        EXPECT_EQ(own.r.domain.clat, -33);
        expect_values(call.result(own.r), {2, 3, 4, 5});
    }
}

// Sizes are checked: arguments of another size than the output (new or old) are refused; so
// is an output whose values have no known size, and a call without any grid to size a new
// output.
TEST(GrdMath, SizesAreChecked)
{
    vyktest::CaptureStdio cap;
    Call call({std::vector<float>{1, 2, 3, 4}, std::vector<float>{1, 2, 3, 4}});
    call.grids[1]->r.domain.nx = 2;
    call.grids[1]->r.domain.ny = 2;
    EXPECT_EQ(call.run("add"), 0);
    EXPECT_EQ(call.out.grid, nullptr);
    Call small({std::vector<float>{1, 2, 3, 4}}, false, 2, 2);
    Grid out(4, 1);
    small.slots[0] = &out.r;
    EXPECT_EQ(small.run("copy"), 0);
    Call consts({2.0f, 3.0f});
    EXPECT_EQ(consts.run("add"), 0);
    Call unknown({std::vector<float>{1, 2, 3, 4}});
    float stray[4];
    unknown.out.grid = stray;
    EXPECT_EQ(unknown.run("copy"), 0);
    unknown.out.grid = nullptr;
    cap.finish();
    EXPECT_NE(cap.err().find("GRD_math: Grids of different sizes: 4x1 and 2x2"), std::string::npos);
    EXPECT_NE(cap.err().find("GRD_math: No grid argument to give the result its grid"), std::string::npos);
    EXPECT_NE(cap.err().find("GRD_math: Output grid of unknown size"), std::string::npos);
}

// The argument model: a slot with a record counts though it has no values (and is then
// refused), no constant array means no constants, 19 argument slots at most, the cursors.
TEST(GrdMath, ArgumentSlots)
{
    Call call({std::vector<float>{1, 2, 3, 4}, 2.0f, std::vector<float>{0, 0, 0, 0}});
    EXPECT_EQ(GRD_find_num_data(call.slots, call.values), 3);
    EXPECT_EQ(GRD_find_num_data(call.slots, nullptr), 1);
    GRD_report blank{};
    GRD_init(&blank);
    call.slots[4] = &blank;
    EXPECT_EQ(GRD_find_num_data(call.slots, call.values), 4);
    vyktest::CaptureStdio cap;
    EXPECT_EQ(call.run("sum"), 0);
    call.slots[4] = nullptr;
    EXPECT_EQ(GRD_math("add", call.slots, nullptr), 0);  // the constant is not there
    cap.finish();

    // The cursors of the setup and the value accessor.
    float *ptr[GRD_MATH_SLOTS];
    int nx = 0, ny = 0;
    ASSERT_EQ(GRD_math_setup(ptr, &nx, &ny, 3, call.slots, call.values, "avg", "", nullptr), 1);
    EXPECT_EQ(nx, 4);
    EXPECT_EQ(ny, 1);
    EXPECT_EQ(ptr[0], call.out.grid);
    EXPECT_EQ(ptr[1], call.grids[0]->r.grid);
    EXPECT_EQ(ptr[2], nullptr);
    EXPECT_EQ(GRD_get_math_val(1, ptr, call.values), 1);
    EXPECT_EQ(GRD_get_math_val(2, ptr, call.values), 2);
    EXPECT_EQ(GRD_get_math_val(2, ptr, nullptr), MISS);
    EXPECT_EQ(GRD_get_math_val(25, ptr, call.values), MISS);

    // Nineteen argument slots are the most; a two-output function has one fewer.
    std::vector<ArgSpec> many(19, std::vector<float>{1, 2, 3, 4});
    Call nineteen(many);
    ASSERT_EQ(nineteen.run("sum"), 1);
    expect_values(nineteen.result(nineteen.out), {19, 38, 57, 76});
    EXPECT_EQ(GRD_find_num_data(nineteen.slots, nineteen.values), 19);
    Call two({std::vector<float>{1, 2, 3, 4}}, true);
    vyktest::CaptureStdio cap2;
    EXPECT_EQ(GRD_math_setup(ptr, &nx, &ny, 19, two.slots, two.values, "grad", "", nullptr), 0);
    EXPECT_EQ(GRD_math_setup(ptr, &nx, &ny, 20, call.slots, call.values, "sum", "", nullptr), 0);
    cap2.finish();
    EXPECT_NE(cap2.err().find("GRD_math: More than 19 argument slots"), std::string::npos);
}

// Smoothing: r = -2 keeps a constant field, a point beside the border averages the neighbours
// inside the grid, missing neighbours are left out, r = 0 copies; the whole against numpy.
TEST(GrdMath, SmoothingAgainstNumpy)
{
    {
        Call call({std::vector<float>(30, 7.5f), -2.0f}, false, 6, 5);
        ASSERT_EQ(call.run("smooth"), 1);
        expect_values(call.result(call.out), std::vector<float>(30, 7.5f));
    }
    {
        std::vector<float> v = grdtest::sample_values(30, 9, 4);
        Call zero({v, 0.0f}, false, 6, 5);
        ASSERT_EQ(zero.run("smooth"), 1);
        expect_values(zero.result(zero.out), v);
    }
    vyktest::CaptureStdio cap;
    Call constant({3.0f, -2.0f});
    EXPECT_EQ(constant.run("smooth"), 0);
    Call same({std::vector<float>{1, 2, 3, 4}, -2.0f});
    same.slots[0] = same.slots[1];
    EXPECT_EQ(same.run("smooth"), 0);
    cap.finish();

    const int nx = 13, ny = 11;
    std::vector<float> v = grdtest::sample_values(nx * ny, 5, 7);
    std::vector<float> r(static_cast<size_t>(nx * ny), -3.0f);
    for (size_t k = 0; k < r.size(); k += 17) r[k] = 4;       // a few points weight far points more
    r[20] = MISS;
    Call call({v, r}, false, nx, ny);
    ASSERT_EQ(call.run("smooth"), 1);
    const std::vector<double> want = numpy(R"(
d = [float(w) for w in sys.stdin.read().split()]
nx, ny = int(d[0]), int(d[1])
a = np.array(d[2:2 + nx * ny]).reshape(ny, nx)
r = np.array(d[4 + nx * ny:4 + 2 * nx * ny]).reshape(ny, nx)
for j in range(ny):
    for i in range(nx):
        if a[j, i] == -9999 or r[j, i] == -9999:
            print('nan'); continue
        s = w = 0.0
        for dj in range(-4, 5):
            for di in range(-4, 5):
                jj, ii = j + dj, i + di
                if 0 <= jj < ny and 0 <= ii < nx and a[jj, ii] != -9999:
                    k = np.exp((di * di + dj * dj) / r[j, i])
                    s += k * a[jj, ii]; w += k
        print(repr(s / w))
)", grdtest::as_text(call.grids[0]->r) + grdtest::as_text(call.grids[1]->r));
    ASSERT_EQ(want.size(), static_cast<size_t>(nx * ny));
    for (int k = 0; k < nx * ny; k++) {
        const double w = want[static_cast<size_t>(k)];
        if (w == MISS) EXPECT_EQ(call.out.grid[k], MISS) << k;
        else EXPECT_NEAR(call.out.grid[k], w, 1e-4 * std::max(1.0, std::fabs(w))) << k;
    }
}

// Coordinate grids: a copy of the template whose present points hold their coordinates.
TEST(GrdMath, CoordinateGrids)
{
    Call call({std::vector<float>{1, MISS, 3, 4, 5, 6}}, false, 3, 2);
    Grid &t = *call.grids[0];
    t.r.domain.clat = 20;
    t.r.domain.dy = 10;
    t.r.var = 11;
    ASSERT_EQ(call.run("lat"), 1);
    EXPECT_NE(call.out.grid, t.r.grid);
    expect_values(call.result(call.out), {25, MISS, 25, 15, 15, 15});
    EXPECT_STREQ(call.out.info, "Latitude (deg)");
    EXPECT_EQ(call.out.var, 0);
    EXPECT_EQ(t.at(2, 0), 3);  // the template keeps its values
    Call lon({std::vector<float>{1, 1, 1, 1}});
    ASSERT_EQ(lon.run("lon"), 1);
    expect_values(lon.result(lon.out), {-101.5f, -100.5f, -99.5f, -98.5f});
}

// Every computing function of the evaluator on hostile grids: all-missing grids give missing
// results (a sum of nothing is 0), NaN, inf and huge values on one-row, one-column and
// one-point grids give numbers or -9999, never inf or NaN; a second grid of another size is
// refused by every function that reads it.
TEST(GrdMath, EveryFunctionSurvivesHostileGrids)
{
    const EtcPath etc;
    using V = std::vector<float>;
    // The computing functions and whether they read only their first argument.
    struct Func {
        const char *name;
        bool one_arg;
    };
    const Func funcs[] = {
        {"smooth", false}, {"copy", true},    {"lat", true},     {"lon", true},
        {"projx", true},   {"projy", true},   {"max", false},    {"min", false},
        {"add", false},    {"sum", false},    {"avg", false},    {"interp", false},
        {"sub", false},    {"thick", false},  {"mul", false},    {"mod", false},
        {"sqrt", true},    {"pow", false},    {"exp", true},     {"log", true},
        {"log10", true},   {"abs", true},     {"div", false},    {"sin", true},
        {"cos", true},     {"tan", true},     {"asin", true},    {"acos", true},
        {"atan", true},    {"atan2", false},  {"dx", true},      {"dy", true},
        {"grad", true},    {"vdiff", false},  {"wspd", false},   {"spd", false},
        {"mag", false},    {"wdir", false},   {"dir", false},    {"ewdir", false},
        {"uwnd", false},   {"uwndg", false},  {"vwnd", false},   {"vwndg", false},
        {"dot", false},    {"cross", false},  {"ugeos", true},   {"vgeos", true},
        {"uq", false},     {"vq", false},     {"lapl", true},    {"conv", false},
        {"diverg", false}, {"def1", false},   {"def2", false},   {"vconv", false},
        {"rvort", false},  {"avort", false},  {"adv", false},    {"dewp", false},
        {"rhum", false},   {"wetblb", false}, {"show", false},   {"wchill", false},
        {"wchill2", false}, {"heat", false},  {"theta", false},  {"thetae", false},
        {"vtemp", false},  {"thetav", false}, {"vapor", false},  {"pr_alt", true},
        {"shum", false},   {"mixrat", false},
    };
    ASSERT_EQ(std::size(funcs), 74u);
    auto two_outputs = [](const char *f) { return std::string(f) == "grad" || std::string(f) == "vdiff"; };
    auto outputs = [](const Call &call, bool two) {
        V all = call.result(call.out);
        if (two) {
            const V y = call.result(call.out2);
            all.insert(all.end(), y.begin(), y.end());
        }
        return all;
    };

    struct Shape {
        int nx, ny;
        V values;
    };
    const float big = 3e38f;
    const Shape hostile[] = {
        {4, 1, {MISS, MISS, MISS, MISS}},
        {1, 5, {1, NaN, Inf, -Inf, big}},
        {5, 1, {-big, 2, NaN, -Inf, 0}},
        {1, 1, {Inf}},
        {1, 1, {0}},
    };
    for (const Func &f : funcs) {
        SCOPED_TRACE(f.name);
        const bool two = two_outputs(f.name);
        for (const Shape &s : hostile) {
            SCOPED_TRACE(testing::Message() << s.nx << "x" << s.ny);
            Call call({s.values, s.values, s.values, s.values}, two, s.nx, s.ny);
            call.out.ltype = 100;
            call.out.level = 500;
            vyktest::CaptureStdio cap;
            ASSERT_EQ(call.run(f.name), 1);
            cap.finish();
            const V got = outputs(call, two);
            ASSERT_EQ(got.size(), (two ? 2u : 1u) * s.values.size());
            const bool all_missing = s.values[0] == MISS;
            for (float v : got) {
                EXPECT_TRUE(std::isfinite(v)) << v;
                if (all_missing) {
                    EXPECT_EQ(v, std::string(f.name) == "sum" ? 0 : MISS);
                }
            }
        }
        // A second grid of another size.
        Call call({V{1, 2, 3, 4}, V{1, 2, 3, 4}, V{1, 2, 3, 4}, V{1, 2, 3, 4}}, two);
        call.out.ltype = 100;
        call.out.level = 500;
        Grid other(2, 2, {1, 2, 3, 4});
        other.r.source = 7;
        call.slots[two ? 3 : 2] = &other.r;
        vyktest::CaptureStdio cap;
        EXPECT_EQ(call.run(f.name), f.one_arg ? 1 : 0);
        cap.finish();
        if (!f.one_arg) {
            EXPECT_NE(cap.err().find("GRD_math: Grids of different sizes"), std::string::npos);
        }
    }
}
