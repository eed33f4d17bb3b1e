// Wind conversions: direction and speed to components and back in both conventions, calm and
// missing winds, and the vector products.
#include <gtest/gtest.h>

#include "vykwind.h"

#include <cmath>

namespace {

constexpr float MISS = VYK_MISS;

}  // namespace

TEST(WindVect, WindsToComponentsAndBack)
{
    struct Case {
        float dir, spd;  // a wind
        float u, v;      // its components
    };
    const float r = std::sqrt(0.5f) * 10;
    const Case cases[] = {
        {0, 10, 0, -10},     // from the north, blowing south
        {90, 10, -10, 0},    // from the east
        {180, 10, 0, 10},
        {270, 10, 10, 0},    // a west wind blows toward the east
        {45, 10, -r, -r},    // each quadrant
        {135, 10, -r, r},
        {225, 10, r, r},
        {315, 10, r, -r},
        {30, 20, -10, -17.320508f},
        {200, 3.5f, 1.197071f, 3.288924f},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.dir << " " << c.spd);
        float u = 0, v = 0;
        EXPECT_EQ(wind2vect(c.dir, c.spd, &u, &v), 0);
        EXPECT_NEAR(u, c.u, 1e-4);
        EXPECT_NEAR(v, c.v, 1e-4);
        float dir = 0, spd = 0;
        EXPECT_EQ(vect2wind(c.u, c.v, &dir, &spd), 0);
        EXPECT_NEAR(dir, c.dir, 1e-3);
        EXPECT_NEAR(spd, c.spd, 1e-4);
        // The polar form points the other way.
        EXPECT_EQ(polar2vect(c.dir, c.spd, &u, &v), 0);
        EXPECT_NEAR(u, -c.u, 1e-4);
        EXPECT_NEAR(v, -c.v, 1e-4);
    }
}

TEST(WindVect, DirectionRangesCalmAndThreeSixty)
{
    float dir = -1, spd = -1;
    // Calm, and anything shorter than 0.01, has direction 0.
    EXPECT_EQ(vect2wind(0, 0, &dir, &spd), 0);
    EXPECT_EQ(dir, 0);
    EXPECT_EQ(spd, 0);
    EXPECT_EQ(vect2wind(0.005f, -0.005f, &dir, &spd), 0);
    EXPECT_EQ(dir, 0);
    EXPECT_NEAR(spd, 0.00707f, 1e-5);
    // A vector of length 0.01 has its direction.
    EXPECT_EQ(vect2wind(0.01f, 0, &dir, &spd), 0);
    EXPECT_NEAR(dir, 270, 1e-4);
    // Air moving north comes from the south; from the north is 0, never 360 or below 0.
    EXPECT_EQ(vect2wind(0, 10, &dir, &spd), 0);
    EXPECT_NEAR(dir, 180, 1e-4);
    EXPECT_EQ(vect2wind(0, -10, &dir, &spd), 0);
    EXPECT_EQ(dir, 0);
    EXPECT_EQ(vect2wind(1e-4f, -10, &dir, &spd), 0);
    EXPECT_GE(dir, 0);
    EXPECT_LE(dir, 360);
    EXPECT_GT(dir, 359.9f);
    // 360 and 0 are the same wind.
    float u0 = 0, v0 = 0, u1 = 0, v1 = 0;
    wind2vect(0, 12, &u0, &v0);
    wind2vect(360, 12, &u1, &v1);
    EXPECT_NEAR(u0, u1, 1e-5);
    EXPECT_NEAR(v0, v1, 1e-5);
    // The polar direction runs from -180 to 180.
    EXPECT_EQ(vect2polar(-10, 0, &dir, &spd), 0);
    EXPECT_NEAR(dir, -90, 1e-4);
    EXPECT_EQ(vect2polar(0, 0, &dir, &spd), 0);
    EXPECT_EQ(dir, 0);
    EXPECT_EQ(polar2vect(90, 1, &u0, &v0), 0);
    EXPECT_NEAR(u0, 1, 1e-6);
    EXPECT_NEAR(v0, 0, 1e-6);
}

TEST(WindVect, MissingInEitherPartIsMissing)
{
    struct Case {
        float a, b;
    };
    const Case cases[] = {{MISS, 10}, {270, MISS}, {MISS, MISS}};
    int (*const conversions[])(float, float, float *, float *) = {wind2vect, vect2wind,
                                                                  polar2vect, vect2polar};
    for (auto convert : conversions) {
        for (const Case &c : cases) {
            float x = 1, y = 1;
            EXPECT_EQ(convert(c.a, c.b, &x, &y), -1);
            EXPECT_EQ(x, MISS);
            EXPECT_EQ(y, MISS);
        }
    }
}

TEST(WindVect, DotAndCrossProducts)
{
    const VECT a = {1, 2, 3}, b = {4, -5, 6};
    EXPECT_FLOAT_EQ(dot_product(a, b), 12);
    VECT w{};
    EXPECT_EQ(cross_product(a, b, &w), 0);
    EXPECT_FLOAT_EQ(w.x, 27);
    EXPECT_FLOAT_EQ(w.y, 6);
    EXPECT_FLOAT_EQ(w.z, -13);
    // Only x marks a missing vector.
    const VECT gone = {MISS, 1, 1}, half = {1, MISS, 0};
    EXPECT_EQ(dot_product(gone, b), MISS);
    EXPECT_EQ(dot_product(b, gone), MISS);
    EXPECT_EQ(cross_product(a, gone, &w), -1);
    EXPECT_EQ(w.x, MISS);
    EXPECT_EQ(w.y, MISS);
    EXPECT_EQ(w.z, MISS);
    EXPECT_NE(dot_product(half, b), MISS);
    EXPECT_EQ(cross_product(half, b, &w), 0);
}
