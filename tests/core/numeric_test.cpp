// Small numerics: rounding to an int, linear interpolation and swapping two floats.
#include "vyk.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

TEST(Numeric, Float2Int)
{
    struct Case {
        float x;
        int code;
    };
    const Case cases[] = {
        {0.0f, 0},      {5.0f, 50},     {25.0f, 125},   {250.0f, 225},  {2500.0f, 325},
        {-25.0f, -125}, {0.25f, 950},   {0.5f, 900},    {7.3f, 73},     {-0.25f, -950},
        {1.0f, 10},     {10.0f, 110},   {99.0f, 199},   {0.05f, 800},   {0.025f, 850},   {-0.0f, 0},
        {1234.0f, 312},
    };
    for (const Case &c : cases)
        EXPECT_EQ(float2int(c.x), c.code) << c.x;
    // Not finite: no code.
    EXPECT_EQ(float2int(std::numeric_limits<float>::infinity()), VYK_MISS);
    EXPECT_EQ(float2int(-std::numeric_limits<float>::infinity()), VYK_MISS);
    EXPECT_EQ(float2int(std::numeric_limits<float>::quiet_NaN()), VYK_MISS);
    // The extremes of float stay in range.
    EXPECT_EQ(float2int(std::numeric_limits<float>::max()), 3834);
    const int tiny = float2int(std::numeric_limits<float>::denorm_min());
    EXPECT_GT(tiny, -10000);
    EXPECT_LT(tiny, 10000);
}

TEST(Numeric, LinearInterpAndFswap)
{
    EXPECT_EQ(linear_interp(5, 0, 10, 100, 200), 150.0f);
    EXPECT_EQ(linear_interp(0, 0, 10, 100, 200), 100.0f);
    EXPECT_EQ(linear_interp(10, 0, 10, 100, 200), 200.0f);
    EXPECT_EQ(linear_interp(-5, 0, 10, 100, 200), 50.0f);
    EXPECT_EQ(linear_interp(850, 1000, 700, 20, -10), 5.0f);
    // Float arithmetic: (x - x1) * (y2 - y1) / (x2 - x1) + y1 rounded at every step.
    const float x = 0.1f, x1 = 0.0f, x2 = 0.3f, y1 = 1.0f, y2 = 2.0f;
    const float step1 = x - x1, step2 = y2 - y1, step3 = x2 - x1;
    const float product = step1 * step2;
    const float quotient = product / step3;
    EXPECT_EQ(linear_interp(x, x1, x2, y1, y2), quotient + y1);

    float a = 1.5f, b = -2.0f;
    EXPECT_EQ(fswap(&a, &b), 0);
    EXPECT_EQ(a, -2.0f);
    EXPECT_EQ(b, 1.5f);
}
