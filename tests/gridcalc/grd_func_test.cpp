// Tests of the grid-function names: the three predicates over the name part of a function text.
#include "vykcalc.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(GrdFunc, ClassifiesNames)
{
    struct Case {
        const char *text;
        int math, vect, plot;
    } cases[] = {
        {"wind", 20, 0, 1},        {"vect", 21, 0, 1},       {"stream", 23, 0, 1},
        {"strm", 23, 0, 1},        {"grad", 0, 1, 0},        {"vdiff-uwnd", 0, 1, 0},
        {"GRAD", 0, 0, 0},         {"gra", 0, 0, 0},         {"grads", 0, 0, 0},
        {"thick-hgt", 10, 0, 0},   {"adv", 10, 0, 0},        {"log10", 10, 0, 0},
        {"wchill2", 10, 0, 0},     {"avort-absv", 10, 0, 0}, {"smooth", 0, 0, 0},
        {"lat", 0, 0, 0},          {"uwnd", 0, 0, 0},        {"pr_alt", 0, 0, 0},
        {"tmp", 0, 0, 0},          {"", 0, 0, 0},            {"-grad", 0, 0, 0},
        {"wind ", 0, 0, 0},        {"abcdefghijk", 0, 0, 0}, {"stream-a-b-c", 23, 0, 1},
        {"wind-averyveryverylongtype", 20, 0, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(GRD_is_math_func(c.text), c.math);
        EXPECT_EQ(GRD_is_vect_func(c.text), c.vect);
        EXPECT_EQ(GRD_is_plot_func(c.text), c.plot);
    }
    EXPECT_EQ(GRD_is_math_func(nullptr), 0);
    EXPECT_EQ(GRD_is_vect_func(nullptr), 0);
    EXPECT_EQ(GRD_is_plot_func(nullptr), 0);
}

// The classifier knows exactly the 61 calculator names (and the four plotting markers).
TEST(GrdFunc, KnowsTheSixtyOneCalculatorNames)
{
    const char *names[] = {
        "copy", "max", "min", "add", "sum", "avg", "interp", "sub", "thick", "mul", "mod", "sqrt",
        "pow", "exp", "log", "log10", "abs", "div", "sin", "cos", "tan", "asin", "acos", "atan",
        "atan2", "dx", "dy", "dewp", "rhum", "wetblb", "show", "wchill", "wchill2", "heat",
        "theta", "thetae", "vtemp", "thetav", "vapor", "shum", "mixrat", "wspd", "spd", "mag",
        "wdir", "dir", "dot", "cross", "ugeos", "vgeos", "uq", "vq", "lapl", "conv", "diverg",
        "def1", "def2", "vconv", "rvort", "avort", "adv"};
    ASSERT_EQ(sizeof names / sizeof names[0], 61u);
    for (const char *n : names) {
        EXPECT_EQ(GRD_is_math_func(n), 10) << n;
        EXPECT_EQ(GRD_is_plot_func(n), 0) << n;
        EXPECT_EQ(GRD_is_vect_func(n), 0) << n;
        // Letter case counts.
        std::string upper(n);
        for (char &ch : upper) ch = static_cast<char>(toupper(static_cast<unsigned char>(ch)));
        EXPECT_EQ(GRD_is_math_func(upper.c_str()), 0) << upper;
    }
    // The evaluator's other names are not classified.
    for (const char *n : {"smooth", "lat", "lon", "projx", "projy", "grad", "vdiff", "pr_alt",
                          "ewdir", "uwnd", "uwndg", "vwnd", "vwndg"})
        EXPECT_EQ(GRD_is_math_func(n), 0) << n;
}

}  // namespace
