// Stability, temperature and moisture indices: the totals, K and Showalter indices of MetPy's
// documented sample sounding, the layer functions on analytic soundings (dry adiabats and
// isothermal layers), precipitable water against the textbook integral, SWEAT's terms and
// the missing-value rules.
#include "sounding_fixture.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace sndtest;

namespace {

constexpr double KAPPA = 0.286, RD = 287.05, G = 9.8;
constexpr double PI_D = 3.14159265358979323846;

int count(const std::vector<UPA_level> &lev) { return static_cast<int>(lev.size()); }

/// A dry adiabat of te (K) from 1000 mb to pi mb, isothermal above, every step mb to ptop,
/// with hypsometric heights.
std::vector<UPA_level> dry_under_isothermal(double te, double pi, double ptop, double step)
{
    std::vector<UPA_level> lev;
    const double ti = te * std::pow(pi / 1000, KAPPA);
    const double hi = RD * te / (G * KAPPA) * (1 - std::pow(pi / 1000, KAPPA));
    for (double p = 1000; p >= ptop - 1e-6; p -= step) {
        const bool low = p >= pi;
        const double t = low ? te * std::pow(p / 1000, KAPPA) : ti;
        const double h = low ? RD * te / (G * KAPPA) * (1 - std::pow(p / 1000, KAPPA))
                             : hi + RD * ti / G * std::log(pi / p);
        lev.push_back(L(static_cast<float>(p), static_cast<float>(h),
                        static_cast<float>(t - 273.15)));
    }
    return lev;
}

}  // namespace

TEST(UpaIndex, TotalsKAndShowalterOfMetPysSampleSounding)
{
    std::vector<UPA_level> s = metpy_sample();
    const int n = count(s);
    EXPECT_NEAR(vertical_totals(s.data(), n), 22.9, 0.005);
    EXPECT_NEAR(total_totals(s.data(), n), 42.674, 0.005);
    EXPECT_NEAR(cross_totals(s.data(), n), 19.774, 0.005);
    EXPECT_NEAR(k_index(s.data(), n), 35.940, 0.005);
    // The Showalter index: the lifted index of the 850 mb air at 500 mb.  The system's own
    // condensation level and moist adiabat stay within a few tenths of MetPy's.
    EXPECT_NEAR(lifted_index(s.data(), n, 100, 850, 0, 500), 0.484, 0.4);
}

TEST(UpaIndex, TotalsAndSweatTerms)
{
    // T850 20, Td850 15, T500 -10: total totals 55.
    std::vector<UPA_level> s = {L(1000, 100, 25, 18, 180, 10), L(850, 1500, 20, 15, 250, 15),
                                L(700, 3100, 8, 0, 270, 20), L(500, 5700, -10, -20, 310, 15)};
    const int n = count(s);
    EXPECT_FLOAT_EQ(total_totals(s.data(), n), 55);
    EXPECT_FLOAT_EQ(vertical_totals(s.data(), n), 30);
    EXPECT_FLOAT_EQ(cross_totals(s.data(), n), 25);
    EXPECT_FLOAT_EQ(k_index(s.data(), n), 30 + 15 - 8);
    struct Case {
        float dir850, dir500, spd850, spd500, t500;
        double shear;  // the shear term expected
    } cases[] = {
        {250, 310, 15, 15, -10, 125 * (std::sin(60 * PI_D / 180) + 0.2)},  // both bounds in
        {130, 210, 20, 30, -10, 125 * (std::sin(80 * PI_D / 180) + 0.2)},  // 130 starts it
        {129, 210, 20, 30, -10, 0},
        {250, 311, 20, 30, -10, 0},
        {200, 200, 20, 30, -10, 0},  // no veering
        {200, 260, 14, 30, -10, 0},  // too slow at 850 mb
        {200, 260, 20, 30, -7, 125 * (std::sin(60 * PI_D / 180) + 0.2)},
    };
    for (const Case &c : cases) {
        s[1].dir = c.dir850;
        s[1].spd = c.spd850;
        s[3].dir = c.dir500;
        s[3].spd = c.spd500;
        s[3].t = c.t500;
        const float tt = 20 + 15 - 2 * c.t500;
        const double want = 12 * 15 + (tt > 49 ? 20 * (tt - 49) : 0) + 2 * c.spd850 + c.spd500 +
                            c.shear;
        EXPECT_NEAR(sweat_index(s.data(), n), want, 1e-3) << c.dir850 << " " << c.dir500;
    }
    // Total totals of exactly 49 adds no totals term; a negative Td850 no moisture term.
    s[3].t = -7;
    s[1].td = 15;
    s[1].dir = 90;
    EXPECT_NEAR(sweat_index(s.data(), n), 12 * 15 + 2 * 20 + 30, 1e-3);
    s[1].td = -1;
    s[1].t = 20;
    EXPECT_NEAR(sweat_index(s.data(), n), 2 * 20 + 30, 1e-3);
    // Missing inputs.
    s[3].dir = M;
    EXPECT_EQ(sweat_index(s.data(), n), M);
    for (UPA_level &l : s) l.td = M;
    EXPECT_EQ(total_totals(s.data(), n), M);
    EXPECT_EQ(k_index(s.data(), n), M);
    EXPECT_EQ(cross_totals(s.data(), n), M);
    EXPECT_FLOAT_EQ(vertical_totals(s.data(), n), 20 - -7);
    EXPECT_EQ(total_totals(s.data(), 0), M);
    EXPECT_EQ(total_totals(nullptr, 4), M);
}

TEST(UpaIndex, LayerFunctionsOfAnalyticSoundings)
{
    std::vector<UPA_level> s = dry_under_isothermal(300, 600, 300, 10);
    const int n = count(s);
    // On the dry adiabat: the dry lapse rate g/cp and no change of potential temperature.
    EXPECT_NEAR(lapse_rate(s.data(), n, 100, 1000, 700), G * KAPPA / RD, 1e-6);
    EXPECT_NEAR(theta_lapse_rate(s.data(), n, 100, 1000, 700), 0, 1e-5);
    EXPECT_NEAR(theta_pres_lapse_rate(s.data(), n, 100, 1000, 700), 0, 1e-4);
    // Thickness: the hypsometric heights, positive either way round.
    const double h700 = RD * 300 / (G * KAPPA) * (1 - std::pow(0.7, KAPPA));
    EXPECT_NEAR(thickness(s.data(), n, 100, 1000, 700), h700, 0.05);
    EXPECT_NEAR(thickness(s.data(), n, 100, 700, 1000), h700, 0.05);
    // Isothermal above 600 mb: static stability -(R T / (p theta)) dtheta/dp with
    // theta = T (1000 / p)^kappa, the derivative taken from 470 to 440 mb (20 mb below the
    // level, 10 above), near kappa R T / p^2 (p in Pa).
    const double ti = 300 * std::pow(0.6, KAPPA);
    auto theta = [&](double p) { return ti * std::pow(1000 / p, KAPPA); };
    const double secant = (theta(440) - theta(470)) / (440 - 470);
    const double ss = -RD * ti / (450 * theta(450)) * secant / 10000;
    EXPECT_NEAR(static_stability(s.data(), n, 100, 450), ss, 1e-4 * ss);
    EXPECT_NEAR(ss, KAPPA * RD * ti / (45000.0 * 45000.0), 0.02 * ss);
    EXPECT_NEAR(theta_pres_lapse_rate(s.data(), n, 100, 500, 400),
                (ti * std::pow(1000.0 / 400, KAPPA) - ti * std::pow(1000.0 / 500, KAPPA)) / 100,
                1e-3);
    EXPECT_NEAR(lapse_rate(s.data(), n, 100, 500, 400), 0, 1e-6);
    // Air from the top of a layer on the dry adiabat arrives at the bottom as it was there.
    EXPECT_NEAR(max_temperature(s.data(), n, 100, 1000, 150), 300, 0.01);
    EXPECT_NEAR(max_temperature(s.data(), n, 100, 700, 200),
                ti * std::pow(700.0 / 500, KAPPA), 0.05);

    // 10 C at 3000 m, -5 C at 5500 m: 0.006 C per m.
    std::vector<UPA_level> two = {L(700, 3000, 10), L(500, 5500, -5)};
    EXPECT_NEAR(lapse_rate(two.data(), 2, 103, 3000, 5500), 0.006, 1e-6);
    // Missing-value rules.
    std::vector<UPA_level> no_h = {L(700, M, 10), L(500, M, -5)};
    EXPECT_EQ(thickness(no_h.data(), 2, 100, 700, 500), M);
    EXPECT_EQ(lapse_rate(no_h.data(), 2, 100, 700, 500), M);
    EXPECT_EQ(theta_lapse_rate(no_h.data(), 2, 100, 700, 500), M);
    EXPECT_NE(theta_pres_lapse_rate(no_h.data(), 2, 100, 700, 500), M);
    EXPECT_EQ(theta_pres_lapse_rate(no_h.data(), 2, 100, 600, 600), M);
    std::vector<UPA_level> no_t = {L(700, 3000, 10), L(500, 5500)};
    EXPECT_EQ(max_temperature(no_t.data(), 2, 100, 700, 200), M);
    EXPECT_EQ(max_temperature(s.data(), n, 100, M, 150), M);
    EXPECT_EQ(static_stability(no_t.data(), 2, 100, 600), M);
    EXPECT_EQ(thickness(s.data(), 0, 100, 1000, 700), M);
}

TEST(UpaIndex, LiftedIndexAndCapStrength)
{
    // A 300 K dry adiabat up to 800 mb, isothermal above.
    std::vector<UPA_level> s = dry_under_isothermal(300, 800, 300, 10);
    const int n = count(s);
    const double ti = 300 * std::pow(0.8, KAPPA) - 273.15;
    // Without dew points the parcel follows the dry adiabat all the way.
    EXPECT_NEAR(lifted_index(s.data(), n, 100, 1000, 0, 500),
                ti - (300 * std::pow(0.5, KAPPA) - 273.15), 0.02);
    // Cap strength needs a parcel with a condensation level: -9999 without one.
    EXPECT_EQ(cap_strength(s.data(), n, 100, 1000, 0), M);
    EXPECT_EQ(cap_strength(s.data(), n, 100, M, 0), M);
    EXPECT_EQ(cap_strength(s.data(), 0, 100, 1000, 0), M);

    // A moist surface under dry air: LCL near 900 mb, the moist adiabat above; the cap is the
    // largest excess of the isothermal layer over the parcel below 500 mb, at the highest level
    // below it.
    for (UPA_level &l : s) l.td = l.t - 30;
    s[0].td = 19;
    const float T = s[0].t + 273.15f, Td = 19 + 273.15f;
    const float plcl = lcl_pres(T, Td, 1000);
    const float te = thetae_on_satad(lcl_temp(T, 1000, plcl), plcl);
    ASSERT_GT(plcl, 800);
    const float cap = cap_strength(s.data(), n, 100, 1000, 0);
    EXPECT_NEAR(cap, ti - (temp_on_satad(te, 510) - 273.15), 0.01);
    EXPECT_NEAR(lifted_index(s.data(), n, 100, 1000, 0, 500),
                ti - (temp_on_satad(te, 500) - 273.15), 0.01);
    // Mixed over 100 mb the parcel is drier than the surface: a colder parcel, a weaker index.
    std::vector<UPA_level> mixed = s;
    for (int i = 1; i < 11; i++) mixed[i].td = 10;
    EXPECT_GT(lifted_index(mixed.data(), n, 100, 1000, 100, 500),
              lifted_index(mixed.data(), n, 100, 1000, 0, 500));
    // Lifted index rules: no temperature at the top, or a sounding starting above 500 mb.
    EXPECT_EQ(lifted_index(s.data(), n, 100, 1000, 0, 200), M);
    EXPECT_EQ(lifted_index(s.data() + 51, n - 51, 100, 480, 0, 400), M);  // from 490 mb
}

TEST(UpaIndex, PrecipitableWaterAgainstTheTextbookIntegral)
{
    std::vector<UPA_level> s = metpy_sample();
    const int n = count(s);
    // (1/g) integral of q dp, q = 0.622 e / p with Bolton's vapour pressure, in inches.
    double pw = 0;
    auto q = [](const UPA_level &l) {
        const double e = 6.112 * std::exp(17.67 * l.td / (l.td + 243.5));
        return 0.622 * e / l.p;
    };
    auto integral = [&](const std::vector<UPA_level> &lev) {
        double pw = 0;
        int i = 0;
        for (size_t j = 1; j < lev.size(); j++) {
            if (VYK_is_miss(lev[j].td)) continue;
            pw += (q(lev[i]) + q(lev[j])) / 2 * (lev[i].p - lev[j].p) * 100 / G / 25.4;
            i = static_cast<int>(j);
        }
        return pw;
    };
    pw = integral(s);
    EXPECT_NEAR(precip_water(s.data(), n), pw, 0.01 * pw);
    // Levels without a dew point are bridged.
    std::vector<UPA_level> gap = s;
    gap[3].td = M;
    EXPECT_NEAR(precip_water(gap.data(), n), integral(gap), 0.01 * pw);
    // Rules: a surface above 500 mb, fewer than 3 levels, no dew point in the first three.
    std::vector<UPA_level> high = {L(480, M, -10, -20), L(400, M, -20, -30), L(300, M, -30, -40)};
    EXPECT_EQ(precip_water(high.data(), 3), M);
    EXPECT_EQ(precip_water(s.data(), 2), M);
    std::vector<UPA_level> dry = s;
    dry[0].td = dry[1].td = dry[2].td = M;
    EXPECT_EQ(precip_water(dry.data(), n), M);
}

TEST(UpaIndex, WetBulbZeroAndEnergyIndex)
{
    std::vector<UPA_level> s = {L(1000, 100, 15, 10), L(900, 1000, 8, 2), L(800, 2000, 2, -6),
                                L(700, 3000, -4, -12), L(500, 5600, -20, -30)};
    const int n = count(s);
    const float p0 = wet_bulb_zero(s.data(), n);
    ASSERT_LT(p0, 900);
    ASSERT_GT(p0, 700);
    UPA_level at;
    UPA_interp(s.data(), n, 100, p0, &at);
    EXPECT_NEAR(wet_bulb(at.t + 273.15f, at.td + 273.15f, p0) - 273.15f, 0, 0.5);
    std::vector<UPA_level> cold = s;
    cold[0].t = -1;
    cold[0].td = -3;
    EXPECT_EQ(wet_bulb_zero(cold.data(), n), -1);
    std::vector<UPA_level> warm = {L(1000, 100, 25, 20), L(900, 1000, 20, 15)};
    EXPECT_EQ(wet_bulb_zero(warm.data(), 2), M);
    EXPECT_EQ(wet_bulb_zero(s.data(), 0), M);

    // Energy index: heat, potential and latent energy at 500 mb less those at 850 mb.
    auto E = [](float t, float td, float h, float p) {
        return 0.24f * (t + 273.15f) + h * 980 * 100 / 42000000.0f +
               0.6f * mix_ratio(td + 273.15f, p);
    };
    UPA_level a, c;
    UPA_interp(s.data(), n, 100, 850, &a);
    UPA_interp(s.data(), n, 100, 500, &c);
    EXPECT_NEAR(energy_index(s.data(), n), E(c.t, c.td, c.h, 500) - E(a.t, a.td, a.h, 850),
                1e-3);
    s[4].h = M;
    EXPECT_EQ(energy_index(s.data(), n), M);
}
