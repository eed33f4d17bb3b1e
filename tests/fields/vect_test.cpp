// Winds and vectors: the wind and polar conventions over every quadrant, calm and missing
// winds, and the products.
#include <gtest/gtest.h>

#include <cmath>

#include "vect.h"
#include "vyk.h"

namespace {

constexpr float MISS = VYK_MISS;

TEST(Vect, WindAndComponentsRoundTrip)
{
    // A wind blows from dir: a west wind (270) moves air toward the east (u > 0).
    const struct {
        float dir, spd, u, v;
    } cases[] = {
        {0, 10, 0, -10},     {90, 10, -10, 0},          {180, 10, 0, 10},
        {270, 10, 10, 0},    {45, 10, -7.0710678f, -7.0710678f},
        {135, 4, -2.8284271f, 2.8284271f},               {225, 4, 2.8284271f, 2.8284271f},
        {315, 4, 2.8284271f, -2.8284271f},               {360, 10, 0, -10},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.dir);
        float u, v, dir, spd;
        EXPECT_EQ(wind2vect(c.dir, c.spd, &u, &v), 0);
        EXPECT_NEAR(u, c.u, 1e-5);
        EXPECT_NEAR(v, c.v, 1e-5);
        EXPECT_EQ(vect2wind(c.u, c.v, &dir, &spd), 0);
        EXPECT_NEAR(spd, c.spd, 1e-5);
        EXPECT_NEAR(dir, c.dir == 360 ? 0 : c.dir, 1e-4);  // 360 comes back as 0
        EXPECT_GE(dir, 0);
        EXPECT_LT(dir, 360);
    }
}

TEST(Vect, CalmAndShortVectorsHaveDirectionZero)
{
    float dir = 1, spd = 1;
    EXPECT_EQ(vect2wind(0, 0, &dir, &spd), 0);
    EXPECT_EQ(dir, 0);
    EXPECT_EQ(spd, 0);
    EXPECT_FALSE(std::signbit(dir));
    EXPECT_EQ(vect2wind(0.005f, 0.005f, &dir, &spd), 0);
    EXPECT_EQ(dir, 0);
    EXPECT_EQ(vect2wind(0, -10, &dir, &spd), 0);  // air moving south: a north wind
    EXPECT_EQ(dir, 0);
    EXPECT_FALSE(std::signbit(dir));
    EXPECT_EQ(vect2wind(0, 10, &dir, &spd), 0);
    EXPECT_EQ(dir, 180);
    EXPECT_EQ(vect2wind(0.01f, 0, &dir, &spd), 0);  // exactly 0.01 long: a direction
    EXPECT_NEAR(dir, 270, 1e-4);
}

TEST(Vect, MissingHalvesMakeTheWholeMissing)
{
    float a, b;
    EXPECT_EQ(wind2vect(MISS, 5, &a, &b), -1);
    EXPECT_EQ(a, MISS);
    EXPECT_EQ(b, MISS);
    EXPECT_EQ(wind2vect(90, MISS, &a, &b), -1);
    EXPECT_EQ(vect2wind(3, MISS, &a, &b), -1);
    EXPECT_EQ(a, MISS);
    EXPECT_EQ(b, MISS);
    EXPECT_EQ(polar2vect(MISS, 1, &a, &b), -1);
    EXPECT_EQ(vect2polar(MISS, 1, &a, &b), -1);
    EXPECT_EQ(b, MISS);
}

TEST(Vect, PolarConventionPointsWhereTheVectorGoes)
{
    float u, v, dir, spd;
    polar2vect(90, 1, &u, &v);
    EXPECT_NEAR(u, 1, 1e-6);
    EXPECT_NEAR(v, 0, 1e-6);
    vect2polar(-10, 0, &dir, &spd);
    EXPECT_NEAR(dir, -90, 1e-5);  // -180 to 180, no 360 added
    EXPECT_EQ(spd, 10);
    vect2polar(0.001f, 0.001f, &dir, &spd);
    EXPECT_EQ(dir, 0);
}

TEST(Vect, ProductsTestOnlyTheXComponents)
{
    EXPECT_EQ(dot_product({1, 2, 3}, {4, 5, 6}), 32);
    EXPECT_EQ(dot_product({MISS, 2, 3}, {4, 5, 6}), MISS);
    EXPECT_EQ(dot_product({1, MISS, 0}, {1, 0, 0}), 1);  // a missing y alone is a value
    VECT w;
    EXPECT_EQ(cross_product({1, 0, 0}, {0, 1, 0}, &w), 0);
    EXPECT_EQ(w.x, 0);
    EXPECT_EQ(w.y, 0);
    EXPECT_EQ(w.z, 1);
    EXPECT_EQ(cross_product({1, 0, 0}, {MISS, 1, 0}, &w), -1);
    EXPECT_EQ(w.x, MISS);
    EXPECT_EQ(w.y, MISS);
    EXPECT_EQ(w.z, MISS);
}

}  // namespace
