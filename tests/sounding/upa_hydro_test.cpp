// Hydrostatic heights and pressures against the hypsometric equation: isothermal columns
// whose heights and pressures are known exactly, the correction toward a known height, the
// extrapolation above the last known value, the end marker, and refused columns.
#include "sounding_fixture.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace sndtest;

namespace {

constexpr double RD = 287.05, G = 9.8;

/// Height (m) of pressure p in an isothermal atmosphere of T kelvin with 0 m at 1000 mb.
double iso_height(double p, double T) { return RD * T / G * std::log(1000 / p); }

/// Pressure at height h in that atmosphere.
double iso_pres(double h, double T) { return 1000 * std::exp(-h * G / (RD * T)); }

/// A column with one spare record after num levels, for the end marker.
std::vector<UPA_level> column(std::initializer_list<UPA_level> levels)
{
    std::vector<UPA_level> c(levels);
    c.push_back(L(1, 2, 3, 4, 5, 6));
    return c;
}

}  // namespace

TEST(UpaHydro, HeightsBetweenKnownHeightsMeetTheHypsometricEquation)
{
    const double T = 250;
    const float t = static_cast<float>(T - 273.15);
    std::vector<UPA_level> c = column({L(1000, 0, t), L(925, M, t), L(850, M, t), L(700, M, t),
                                       L(500, static_cast<float>(iso_height(500, T)), t),
                                       L(400, M, t), L(300, M, t)});
    ASSERT_EQ(UPA_calc_height(c.data(), 7), 0);
    for (int i = 0; i < 7; i++) EXPECT_NEAR(c[i].h, iso_height(c[i].p, T), 0.05) << c[i].p;
    // The end marker.
    EXPECT_EQ(c[7].p, M);
    EXPECT_EQ(c[7].h, M);
    EXPECT_EQ(c[7].t, M);
    EXPECT_EQ(c[7].td, 4);  // only p, h and t are written

    // A known height 30 m off the hypsometric one: the error is spread linearly in pressure,
    // the filled levels meeting the known height exactly.
    std::vector<UPA_level> off = column({L(1000, 0, t), L(925, M, t), L(850, M, t),
                                         L(700, static_cast<float>(iso_height(700, T) + 30), t)});
    ASSERT_EQ(UPA_calc_height(off.data(), 4), 0);
    for (int i = 1; i < 3; i++)
        EXPECT_NEAR(off[i].h, iso_height(off[i].p, T) + 30 * (off[i].p - 1000) / (700.0 - 1000),
                    0.05);
    EXPECT_FLOAT_EQ(off[3].h, static_cast<float>(iso_height(700, T) + 30));

    // The first height from the second, downward, with the mean temperature of the two.
    std::vector<UPA_level> first = column({L(1000, M, 10), L(900, 1000, 0), L(800, M, -5)});
    ASSERT_EQ(UPA_calc_height(first.data(), 3), 0);
    EXPECT_NEAR(first[0].h, 1000 - std::log(1000.0 / 900) * RD * (278.15) / G, 0.01);
    EXPECT_NEAR(first[2].h, 1000 + std::log(900.0 / 800) * RD * (270.65) / G, 0.01);
}

TEST(UpaHydro, HeightFillEdgeCases)
{
    // All heights known: unchanged but for the end marker.
    std::vector<UPA_level> known = column({L(1000, 100, 15), L(850, 1500, 5), L(700, 3000, -3)});
    const std::vector<UPA_level> before = known;
    ASSERT_EQ(UPA_calc_height(known.data(), 3), 0);
    for (int i = 0; i < 3; i++) EXPECT_EQ(known[i].h, before[i].h);
    EXPECT_EQ(known[3].p, M);
    // Only the first height known: -1, nothing filled, the marker written.
    std::vector<UPA_level> one = column({L(1000, 100, 15), L(850, M, 5), L(700, M, -3)});
    EXPECT_EQ(UPA_calc_height(one.data(), 3), -1);
    EXPECT_EQ(one[1].h, M);
    EXPECT_EQ(one[2].h, M);
    EXPECT_EQ(one[3].p, M);
    // No temperatures: the standard lapse rate from 288.15 K.
    std::vector<UPA_level> cold = column({L(1000, 0), L(900, M), L(800, 2000)});
    ASSERT_EQ(UPA_calc_height(cold.data(), 3), 0);
    EXPECT_GT(cold[1].h, 800);
    EXPECT_LT(cold[1].h, 1000);
    // Levels without pressures take the height of the stretch's start.
    std::vector<UPA_level> nop = column({L(1000, 0, 10), L(M, M, 5), L(800, 2000, 0)});
    ASSERT_EQ(UPA_calc_height(nop.data(), 3), 0);
    EXPECT_TRUE(std::isfinite(nop[1].h));
    // Columns that cannot hold their end marker within 300 records are refused.
    std::vector<UPA_level> many(UPA_MAX_LEVELS + 1, L(500, M, -10));
    many[0].h = 0;
    many[5].h = 5000;
    EXPECT_EQ(UPA_calc_height(many.data(), UPA_MAX_LEVELS), -1);
    EXPECT_EQ(many[2].h, M);
    EXPECT_EQ(UPA_calc_height(nullptr, 3), -1);
    EXPECT_EQ(UPA_calc_height(many.data(), 0), -1);
}

TEST(UpaHydro, PressuresOfAWindSounding)
{
    // Pressures at the mandatory levels only: the wind levels between them get theirs from
    // the layer temperature the two heights imply (isothermal here).
    const double T = 260;
    auto hp = [&](double p) { return static_cast<float>(iso_height(p, T)); };
    std::vector<UPA_level> c = column(
        {L(1000, 0, -13.15f, M, 180, 5), L(M, 300, M, M, 190, 7), L(M, 600, M, M, 200, 9),
         L(850, hp(850), -13.15f, M, 210, 11), L(M, 2000, M, M, 220, 13),
         L(700, hp(700), -13.15f, M, 230, 15), L(M, 4000, M, M, 240, 17), L(M, 5000, M, M, 250, 19)});
    ASSERT_EQ(UPA_calc_press(c.data(), 8), 0);
    for (int i : {1, 2, 4}) EXPECT_NEAR(c[i].p, iso_pres(c[i].h, T), 0.01) << i;
    // Above the last pressure: extrapolated with the standard temperature at the first of
    // them: the first level's temperature less 6.5 K per km.
    const double ts = 260 - 0.0065 * 4000;
    for (int i : {6, 7})
        EXPECT_NEAR(c[i].p, 700 * std::exp((hp(700) - c[i].h) * G / (RD * ts)), 0.01) << i;
    EXPECT_EQ(c[8].p, M);
    EXPECT_EQ(c[8].h, M);
    EXPECT_EQ(c[8].dir, 5);  // only p and h are written

    // A first level without pressure: from the next one's, in the standard temperature.
    std::vector<UPA_level> top = column({L(M, 0, M, M, 180, 5), L(900, 1000, M, M, 190, 6)});
    ASSERT_EQ(UPA_calc_press(top.data(), 2), 0);
    EXPECT_NEAR(top[0].p, 900 * std::exp(1000 * G / (RD * (288.15 - 6.5))), 0.01);
    // A first level without height: from the next one's, in 273.15 K without temperatures.
    std::vector<UPA_level> noh = column({L(1000, M), L(900, 1000)});
    ASSERT_EQ(UPA_calc_press(noh.data(), 2), 0);
    EXPECT_NEAR(noh[0].h, 1000 + std::log(0.9) * RD * 273.15 / G, 0.01);
    // No pressure anywhere: nothing to start from, the pressures stay missing.
    std::vector<UPA_level> none = column({L(M, 0), L(M, 500), L(M, 1000)});
    ASSERT_EQ(UPA_calc_press(none.data(), 3), 0);
    for (int i = 0; i < 3; i++) EXPECT_EQ(none[i].p, M);
    std::vector<UPA_level> many(UPA_MAX_LEVELS + 1, L(M, 100));
    EXPECT_EQ(UPA_calc_press(many.data(), UPA_MAX_LEVELS), 0);
    EXPECT_EQ(many[1].p, M);
}
