// The derived-variable driver on variable texts: nested functions computed deepest
// first, constants, two-output functions, slots already read, functions without arguments or
// with too many; the argument collector's scans.
#include <gtest/gtest.h>

#include "gfile_fixture.h"
#include "grd_calc_fixture.h"
#include "grd_fixture.h"
#include "test_util.h"
#include "vykcalc.h"
#include "grd_output.h"
#include "grd_kin.h"
#include "vykvar.h"

#include <cmath>
#include <memory>
#include <string>
#include <vector>

using grdtest::EtcPath;
using grdtest::expect_values;
using grdtest::Grid;
using grdtest::Out;

namespace {

constexpr float MISS = -9999;
using V = std::vector<float>;

/// The variable table of a variable text (functions typed as filled contours, as the plot
/// type setting does) with the grid table beside it, each slot described from its variable.
struct Table {
    EtcPath etc;
    std::vector<std::unique_ptr<Grid>> grids;
    explicit Table(const std::string &var_text)
    {
        FLAG_reset(VYK_MISS);
        FLAG_set(FLAG_PLOT_TYPE, VAR_T_FCONT);
        EXPECT_EQ(VAR_setup(nullptr, var_text.c_str()), 1);
        GRD_init_grids();
        for (int i = 0; i < VAR_get_num(); i++) GRD_set_var(i);
    }
    ~Table()
    {
        for (int i = 0; i < GRD_NUM; i++) GRD_free(GRD_get_grid(i));
    }
    /// Puts a grid of nx by ny values into slot i, as a read from a file would.
    GRD_report &put(int i, const V &values, int nx = 4, int ny = 1, const char *units = "")
    {
        grids.push_back(std::make_unique<Grid>(nx, ny, values));
        GRD_report &r = grids.back()->r;
        r.source = 7;
        strfcpy(r.units, units);
        r.var = VAR_get_var(i)->var[0];
        r.ltype = VAR_get_var(i)->ltype;
        r.level = VAR_get_var(i)->level;
        GRD_set_grid(i, &r);
        return r;
    }
    static V values(int i)
    {
        const GRD_report *g = GRD_get_grid(i);
        if (!g->grid) return {};
        return V(g->grid, g->grid + g->domain.nx * g->domain.ny);
    }
};

}  // namespace

// add(rvort(uwnd,vwnd),#5): the vorticity at depth 1 first, then the sum at depth 0.
TEST(GrdCalc, NestedFunctionsDeepestFirst)
{
    Table t("add(rvort(uwnd,vwnd),#5)");
    ASSERT_EQ(VAR_get_num(), 5);
    ASSERT_EQ(VAR_is_calc_GRID(0), 1);
    ASSERT_EQ(VAR_is_calc_GRID(1), 1);
    const V u{0, 1, 2, 3, 4, 5, 6, 7, 8}, v{1, 3, 9, 1, 4, 9, 1, 5, MISS};
    GRD_report &ur = t.put(2, u, 3, 3, "knt");
    GRD_report &vr = t.put(3, v, 3, 3, "knt");
    vyktest::CaptureStdio cap;
    EXPECT_EQ(GRD_calc_var(), 1);
    cap.finish();
    EXPECT_EQ(cap.out(), "Performing grid math: rvort\nPerforming grid math: add\n");
    Out vort;
    ASSERT_EQ(GRD_vorticity(&ur, &vr, &vort.r), 0);
    const V want(vort.r.grid, vort.r.grid + 9);
    expect_values(Table::values(1), want);
    V plus5;
    for (float w : want) plus5.push_back(w == MISS ? MISS : w + 5);
    expect_values(Table::values(0), plus5);
    EXPECT_STREQ(GRD_get_grid(1)->units, "1e-05 knt/m");
    EXPECT_EQ(GRD_get_grid(0)->source, 7);
    EXPECT_NE(std::string(GRD_get_grid(0)->datim), "");
}

// A two-output function at depth 1 fills its two slots; the outer function reads both.
TEST(GrdCalc, TwoOutputFunctions)
{
    Table t("wspd(grad(hgt))");
    const V z{0, 10, 30, 60, 5, 15, 35, 65};
    GRD_report &zr = t.put(3, z, 4, 2, "m");
    ASSERT_EQ(GRD_calc_var(), 1);
    Out dx, dy;
    ASSERT_EQ(GRD_dx(&zr, &dx.r), 0);
    ASSERT_EQ(GRD_dy(&zr, &dy.r), 0);
    expect_values(Table::values(1), V(dx.r.grid, dx.r.grid + 8));
    expect_values(Table::values(2), V(dy.r.grid, dy.r.grid + 8));
    V speed;
    for (int k = 0; k < 8; k++) speed.push_back(std::hypot(dx.r.grid[k], dy.r.grid[k]));
    expect_values(Table::values(0), speed);
}

// Constants are fresh for every function: "sum" after "add(tmp,#3)" sums dewp alone; a
// function's description comes from its own slot (its own level); units asked for are applied.
TEST(GrdCalc, ConstantsDescriptionsAndUnits)
{
    {
        Table t("add(tmp,#3),sum(dewp)");
        t.put(1, {1, 2, 3, 4});
        t.put(4, {10, 20, MISS, 40});
        ASSERT_EQ(GRD_calc_var(), 1);
        expect_values(Table::values(0), {4, 5, 6, 7});
        expect_values(Table::values(3), {10, 20, 0, 40});
    }
    {
        Table t("12:500mb:add(12:700mb:tmp,#1)");
        t.put(1, {1, 2, 3, 4});
        ASSERT_EQ(GRD_calc_var(), 1);
        const std::string info = GRD_get_grid(0)->info;
        EXPECT_NE(info.find("500 mb"), std::string::npos) << info;
        EXPECT_EQ(info.find("700"), std::string::npos) << info;
        EXPECT_EQ(GRD_get_grid(0)->level, 500);
    }
    {
        Table t("copy(tmp)[C]");
        t.put(1, {273.15f, 283.15f, MISS, 300}, 4, 1, "K");
        ASSERT_EQ(GRD_calc_var(), 1);
        expect_values(Table::values(0), {0, 10, MISS, 26.85f}, 1e-5);
        EXPECT_STREQ(GRD_get_grid(0)->units, "C");
    }
}

// What is not computed: a table without functions, a function slot already read from a file,
// a function without arguments (it takes none of the next function's), a function whose
// argument is missing, and one with more arguments than the evaluator takes.
TEST(GrdCalc, WhatIsNotComputed)
{
    {
        Table t("tmp,dewp");
        t.put(0, {1, 2, 3, 4});
        ASSERT_EQ(GRD_calc_var(), 1);
        EXPECT_EQ(GRD_get_grid(1)->grid, nullptr);
    }
    {
        Table t("copy(tmp)");
        t.put(0, {7, 7, 7, 7});
        t.put(1, {1, 2, 3, 4});
        ASSERT_EQ(GRD_calc_var(), 1);
        expect_values(Table::values(0), {7, 7, 7, 7});
    }
    {
        Table t("copy(),copy(tmp)");
        t.put(2, {1, 2, 3, 4});
        vyktest::CaptureStdio cap;
        ASSERT_EQ(GRD_calc_var(), 1);
        cap.finish();
        EXPECT_EQ(GRD_get_grid(0)->grid, nullptr);
        expect_values(Table::values(1), {1, 2, 3, 4});
        EXPECT_NE(cap.err().find("GRD_math: Invalid grids"), std::string::npos);
    }
    {
        Table t("add(sub(tmp,dewp),#1)");
        t.put(2, {1, 2, 3, 4});  // dewp not found
        vyktest::CaptureStdio cap;
        ASSERT_EQ(GRD_calc_var(), 1);
        cap.finish();
        EXPECT_EQ(GRD_get_grid(0)->grid, nullptr);
        EXPECT_EQ(GRD_get_grid(1)->grid, nullptr);
    }
    {
        std::string var_text = "sum(";
        for (int i = 0; i < 20; i++) var_text += std::string(i ? "," : "") + "a" + std::to_string(i);
        Table t(var_text + ")");
        for (int i = 1; i <= 20; i++) t.put(i, {1, 1, 1, 1});
        vyktest::CaptureStdio cap;
        ASSERT_EQ(GRD_calc_var(), 1);
        cap.finish();
        EXPECT_EQ(GRD_get_grid(0)->grid, nullptr);
        EXPECT_NE(cap.err().find("GRD_calc_var: Too many arguments for sum (at most 19)"), std::string::npos);
    }
    {
        std::string var_text = "sum(";
        for (int i = 0; i < 19; i++) var_text += std::string(i ? "," : "") + "a" + std::to_string(i);
        Table t(var_text + ")");
        for (int i = 1; i <= 19; i++) t.put(i, {1, 1, 1, 1});
        ASSERT_EQ(GRD_calc_var(), 1);
        expect_values(Table::values(0), {19, 19, 19, 19});
    }
}

// The collector: num ends the scan at the entry that fills it; a vector's components take
// its variable; constants give values only when values are asked for; room is bounded.
TEST(GrdCalc, CollectingArguments)
{
    {
        Table t("f(a,#2,c)");
        GRD_report *grds[4] = {};
        float values[4] = {MISS, MISS, MISS, MISS};
        EXPECT_EQ(GRD_find_param_grids(1, 2, 1, grds, nullptr), 2);
        EXPECT_EQ(grds[0], GRD_get_grid(1));
        EXPECT_EQ(grds[1], GRD_get_grid(2));
        EXPECT_EQ(grds[2], nullptr);
        EXPECT_EQ(GRD_find_param_grids(0, -1, 1, grds, values), 4);
        EXPECT_EQ(grds[0], GRD_get_grid(1));
        EXPECT_EQ(grds[1], nullptr);
        EXPECT_EQ(values[1], 2);
        EXPECT_EQ(grds[2], GRD_get_grid(3));
        EXPECT_EQ(grds[3], nullptr);
    }
    {
        // Without a limit at most 19 arguments are collected (arrays of 20 entries).
        std::string var_text = "f(";
        for (int i = 0; i < 25; i++) var_text += std::string(i ? "," : "") + "a" + std::to_string(i);
        Table t(var_text + ")");
        GRD_report *grds[GRD_MATH_SLOTS];
        float values[GRD_MATH_SLOTS];
        vyktest::CaptureStdio cap;
        EXPECT_EQ(GRD_find_param_grids(0, -1, 1, grds, values), 20);
        cap.finish();
        EXPECT_EQ(grds[18], GRD_get_grid(19));
        EXPECT_EQ(grds[19], nullptr);
        EXPECT_NE(cap.err().find("More than 19 arguments"), std::string::npos);
    }
    {
        Table t("v<uwnd,vwnd>,tmp");
        GRD_get_grid(0)->var = 301;
        GRD_report *grds[3] = {};
        EXPECT_EQ(GRD_find_param_grids(0, 2, 0, grds, nullptr), 2);
        EXPECT_EQ(grds[0], GRD_get_grid(1));
        EXPECT_EQ(grds[1], GRD_get_grid(2));
        EXPECT_EQ(GRD_get_grid(1)->var, 301);
        EXPECT_EQ(GRD_get_grid(2)->var, VAR_search_var_num("vwnd"));
    }
}

// Derived variables of grids read from a file: the vorticity of the wind and the thickness
// between two height levels, loaded with the variable table from a text grid file.
TEST(GrdCalc, DerivedVariablesOfGridsInAFile)
{
    FLAG_reset(VYK_MISS);
    FLAG_set(FLAG_BATCH, 1);
    RES_put("file_path", VYK_SOURCE_DIR "/etc");
    vyktest::TempDir dir;
    gfiletest::Prod u(4, 3), v(4, 3), h500(4, 3), h1000(4, 3);
    u.var = 33;
    v.var = 34;
    u.units = v.units = "m/s";
    h500.var = h1000.var = 7;
    h500.units = h1000.units = "m";
    h1000.level = 1000;
    for (int k = 0; k < 12; k++) {
        const float i = static_cast<float>(k % 4), j = static_cast<float>(k / 4);
        u.values[k] = 10 + 2 * j;  // westerlies, weaker to the north
        v.values[k] = 3 * i;
        h500.values[k] = 5500 + 10 * i - 20 * j;
        h1000.values[k] = k == 6 ? MISS : 100 + i;
    }
    ASSERT_TRUE(gfiletest::write(dir.file("in.grd"), GRD_TEXT, {u, v, h500, h1000}, gfiletest::header(4, 3)));
    FLAG_set(FLAG_PLOT_TYPE, VAR_T_FCONT);
    ASSERT_EQ(VAR_setup(nullptr, "12:500mb:rvort(12:500mb:uwnd,12:500mb:vwnd),"
                                 "12:500mb:thick(12:500mb:hgt,12:1000mb:hgt)"), 1);
    {
        vyktest::CaptureStdio cap;
        ASSERT_EQ(GRD_search_file(dir.file("in.grd").c_str()), 1);
        cap.finish();
        EXPECT_NE(cap.out().find("Performing grid math: rvort"), std::string::npos) << cap.out();
        EXPECT_NE(cap.out().find("Performing grid math: thick"), std::string::npos) << cap.out() << cap.err();
    }
    const GRD_report *vort = GRD_get_grid(0);
    ASSERT_NE(vort->grid, nullptr);
    Out want;
    ASSERT_EQ(GRD_vorticity(GRD_get_grid(1), GRD_get_grid(2), &want.r), 0);
    expect_values(Table::values(0), V(want.r.grid, want.r.grid + 12));
    EXPECT_STREQ(vort->units, "1e-05 m/s/m");
    EXPECT_EQ(vort->domain.nx, 4);
    // Inside the grid dv/dx = 3 / spacing and du/dy = -2 / spacing (y northward, rows down).
    const double sx = 1.5 * 1.11195 * std::cos((40 - 0) * M_PI / 180), sy = 1.5 * 1.11195;
    EXPECT_NEAR(vort->grid[5], 3 / sx + 2 / sy, 1e-4);
    V thick;
    for (int k = 0; k < 12; k++) thick.push_back(k == 6 ? MISS : h500.values[k] - h1000.values[k]);
    expect_values(Table::values(3), thick);
    GRD_free_grids();
}
