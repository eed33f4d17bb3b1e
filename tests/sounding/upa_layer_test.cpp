// Layer means and parcels: quantities at a level against the core formulas, layer means and
// buoyant energies against numpy computations of the textbook formulas (layer_reference.py),
// mixed layers and condensation levels on analytic soundings, the theta-E index's runs, and the
// edge cases of empty, short and incomplete soundings.
#include "sounding_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>

using namespace sndtest;

namespace {

constexpr double KAPPA = 0.286, RD = 287.05, G = 9.8;

/// The reference script's numbers, one vector per computation named.
std::vector<std::vector<double>> numpy(const std::string &what,
                                       const std::vector<UPA_level> &lev = {})
{
    std::ostringstream in;
    in.precision(9);
    for (const UPA_level &l : lev) in << l.p << " " << l.h << " " << l.t << " " << l.td << "\n";
    return reference_numbers("layer_reference.py", what, in.str());
}

int count(const std::vector<UPA_level> &lev) { return static_cast<int>(lev.size()); }

/// A level of an environment on the dry adiabat of te (K) from 1000 mb up to pi mb and
/// isothermal above, with the height of the hypsometric equation (R/cp = 0.286).
UPA_level env_level(double te, double pi, double p, double td = M)
{
    const double ti = te * std::pow(pi / 1000, KAPPA);
    double t, h;
    if (p >= pi) {
        t = te * std::pow(p / 1000, KAPPA);
        h = RD * te / (G * KAPPA) * (1 - std::pow(p / 1000, KAPPA));
    } else {
        t = ti;
        h = RD * te / (G * KAPPA) * (1 - std::pow(pi / 1000, KAPPA)) + RD * ti / G * std::log(pi / p);
    }
    return L(static_cast<float>(p), static_cast<float>(h), static_cast<float>(t - 273.15),
             static_cast<float>(td));
}

/// That environment every step mb from 1000 mb up to ptop.
std::vector<UPA_level> dry_under_isothermal(double te, double pi, double ptop, double step)
{
    std::vector<UPA_level> lev;
    for (double p = 1000; p >= ptop - 1e-6; p -= step) lev.push_back(env_level(te, pi, p));
    return lev;
}

PARCEL_params ascent(std::vector<UPA_level> lev, UPA_level *start, float bottom = 1000,
                     float thick = 0, int result = 1)
{
    PARCEL_params pp;
    EXPECT_EQ(parcel_calc(lev.data(), count(lev), start, 100, bottom, thick, &pp), result);
    return pp;
}

}  // namespace

TEST(UpaLayer, QuantitiesAtALevel)
{
    const UPA_level lev = L(850, 1460, 8, 2);
    const float T = 281.15f, Td = 275.15f;
    struct Case {
        const char *name;
        int code;
        float want;
    } cases[] = {
        {"temp", 1, 8},
        {"dewp", 2, 2},
        {"rhum", 3, rel_hum(T, Td)},
        {"theta", 4, pot_temp(T, 850)},
        {"dewd", 5, 6},
        {"mrat", 6, mix_ratio(Td, 850)},
        {"shum", 7, spec_hum(Td, 850)},
        {"vpres", 8, vapor_pr(Td)},
        {"wetblb", 9, wet_bulb(T, Td, 850)},
        {"thetaw", 10, wet_bulb_pot_temp(T, Td, 850)},
        {"thetae", 11, eq_pot_temp(T, Td, 850)},
        {"thetav", 12, virt_pot_temp(T, Td, 850)},
        {nullptr, 13, pot_temp(T, 850)},
        {"vtemp", 14, virt_temp(T, Td, 850)},
        {"hght", 15, 1460},
        {"hag", 15, 1460},
        {"pres", 16, 850},
        {"Temp", 0, M},  // names are compared exactly
        {"wind", 0, M},
        {nullptr, 99, M},
    };
    for (const Case &c : cases) {
        if (c.name) {
            EXPECT_EQ(UPA_quantity_code(c.name), c.code) << c.name;
        }
        EXPECT_FLOAT_EQ(variable_calc(c.code, &lev), c.want) << c.code;
    }
    // Quantities that need the dew point are missing without one.
    const UPA_level dry = L(850, 1460, 8);
    for (int code : {3, 5, 6, 7, 8, 9, 10, 11}) EXPECT_EQ(variable_calc(code, &dry), M) << code;
    EXPECT_EQ(variable_calc(1, nullptr), M);
}

TEST(UpaLayer, LayerMeansAgainstNumpy)
{
    std::vector<UPA_level> sm = sample_sm();
    struct Case {
        const char *name;
        float bottom, top;
    } cases[] = {
        {"temp", 1000, 500}, {"temp", 975, 620}, {"theta", 1000, 300},
        {"theta", 920, 260}, {"hght", 980, 400}, {"temp", 870, 860},
    };
    std::string what;
    for (const Case &c : cases)
        what += std::string(" mean:") + c.name + ":" + std::to_string(c.bottom) + ":" +
                std::to_string(c.top);
    const auto want = numpy(what, sm);
    ASSERT_EQ(want.size(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); i++) {
        const Case &c = cases[i];
        EXPECT_NEAR(mean_value(c.name, sm.data(), count(sm), 100, c.bottom, c.top), want[i][0],
                    0.01)
            << c.name << " " << c.bottom << "-" << c.top;
    }
    // The same layer in heights gives the same mean.
    EXPECT_NEAR(mean_value("temp", sm.data(), count(sm), 103, 100, 5600), want[0][0], 0.01);
}

TEST(UpaLayer, LayerMeanEdgeCases)
{
    std::vector<UPA_level> sm = sample_sm();
    const int n = count(sm);
    // Top equal to the bottom, or no top: the value at the interpolated bottom.
    UPA_level at925;
    UPA_interp(sm.data(), n, 100, 925, &at925);
    EXPECT_NEAR(at925.t, 14.027, 0.001);  // in ln p between 16 C at 950 mb and 12 C at 900
    EXPECT_FLOAT_EQ(mean_value("temp", sm.data(), n, 100, 925, 925), at925.t);
    EXPECT_FLOAT_EQ(mean_value("temp", sm.data(), n, 100, 925, M), at925.t);
    EXPECT_EQ(mean_value("temp", sm.data(), 0, 100, 1000, 500), M);
    EXPECT_EQ(mean_value("temp", nullptr, 5, 100, 1000, 500), M);
    EXPECT_EQ(mean_value("temp", sm.data(), n, 100, M, 500), M);
    EXPECT_EQ(mean_value("wind", sm.data(), n, 100, 1000, 500), M);
    EXPECT_NE(mean_value("temp", sm.data() + 5, n - 5, 100, 500, 200), M);  // starts at 500 mb
    EXPECT_EQ(mean_value("temp", sm.data() + 6, n - 6, 100, 300, 200), M);  // starts above
    // One level: its value without a top, nothing with one.
    EXPECT_FLOAT_EQ(mean_value("temp", sm.data(), 1, 100, 1000, M), 20);
    EXPECT_EQ(mean_value("temp", sm.data(), 1, 100, 1000, 900), M);
    // A level with a dew point but no temperature is passed over in the mean of the dew point.
    std::vector<UPA_level> gap = sm;
    gap.insert(gap.begin() + 2, L(925, M, M, 40));
    EXPECT_FLOAT_EQ(mean_value("dewp", gap.data(), count(gap), 100, 1000, 500),
                    mean_value("dewp", sm.data(), n, 100, 1000, 500));
    // No level has the quantity: no mean.
    std::vector<UPA_level> dry = sm;
    for (UPA_level &l : dry) l.td = M;
    EXPECT_EQ(mean_value("mrat", dry.data(), count(dry), 100, 1000, 500), M);
}

TEST(UpaLayer, MixedLayerOfAnAnalyticSounding)
{
    // A well-mixed layer: potential temperature 300 K and mixing ratio 8 g/kg at every level.
    std::vector<UPA_level> lev = dry_under_isothermal(300, 500, 500, 25);
    for (UPA_level &l : lev) l.td = temp_on_mixrat(8, l.p) - 273.15f;
    float w = 0, o = 0;
    EXPECT_EQ(layer_parcel_mean(lev.data(), count(lev), 100, 990, 860, &w, &o), 0);
    EXPECT_NEAR(o, 300, 0.02);
    EXPECT_NEAR(w, 8, 0.01);
    // The surface coordinate takes the current surface as the bottom, pressure for the top.
    load(lev, 1000);
    EXPECT_EQ(layer_parcel_mean(lev.data(), count(lev), 1, 1000, 900, &w, &o), 0);
    EXPECT_NEAR(o, 300, 0.02);
    EXPECT_NEAR(w, 8, 0.01);

    // Without dew points in the upper half the mean is divided by the whole depth: smaller.
    std::vector<UPA_level> half = lev;
    for (UPA_level &l : half)
        if (l.p < 900) l.td = M;
    EXPECT_EQ(layer_parcel_mean(half.data(), count(half), 100, 1000, 800, &w, &o), 0);
    EXPECT_GT(w, 3);
    EXPECT_LT(w, 6);
    EXPECT_NEAR(o, 300, 0.02);

    // One level: its own values; a layer without depth: missing.
    EXPECT_EQ(layer_parcel_mean(lev.data(), 1, 100, 1000, 900, &w, &o), 0);
    EXPECT_FLOAT_EQ(w, mix_ratio(lev[0].td + 273.15f, 1000));
    EXPECT_FLOAT_EQ(o, pot_temp(lev[0].t + 273.15f, 1000));
    EXPECT_EQ(layer_parcel_mean(lev.data(), count(lev), 100, 900, 900, &w, &o), 0);
    EXPECT_EQ(w, M);
    EXPECT_EQ(o, M);
}

TEST(UpaLayer, ConvectiveCondensationLevel)
{
    std::vector<UPA_level> sm = sample_sm();
    const int n = count(sm);
    float w = 0;
    // Surface air of 15 C dew point: saturated where the sounding's temperature meets the
    // saturation temperature of its mixing ratio.
    const float pc = pr_ccl(sm.data(), n, 100, 1000, 0, &w);
    EXPECT_FLOAT_EQ(w, mix_ratio(288.15f, 1000));
    ASSERT_GT(pc, 700);
    ASSERT_LT(pc, 950);
    UPA_level at;
    UPA_interp(sm.data(), n, 100, pc, &at);
    EXPECT_NEAR(temp_on_mixrat(w, pc), at.t + 273.15f, 0.05);

    // Mixed over 100 mb: the mixing ratio of the layer mean.
    float wl = 0, o = 0;
    layer_parcel_mean(sm.data(), n, 100, 1000, 900, &wl, &o);
    pr_ccl(sm.data(), n, 100, 1000, 100, &w);
    EXPECT_FLOAT_EQ(w, wl);

    // Saturated at the first level examined: that level's pressure.
    std::vector<UPA_level> wet = sm;
    wet[1].td = wet[1].t = 16;
    wet[1].t = 10;  // colder than its own saturation temperature
    EXPECT_FLOAT_EQ(pr_ccl(wet.data(), n, 100, 975, 0, &w), 950);
    // Never saturated: -1; an empty sounding or a start above 500 mb: -9999.
    std::vector<UPA_level> dry = sm;
    for (UPA_level &l : dry) l.td = -60;
    EXPECT_EQ(pr_ccl(dry.data(), n, 100, 1000, 0, &w), -1);
    EXPECT_EQ(pr_ccl(sm.data(), 0, 100, 1000, 0, &w), M);
    EXPECT_EQ(w, M);
    EXPECT_EQ(pr_ccl(sm.data(), n, 100, 400, 0, &w), M);
    EXPECT_EQ(pr_ccl(sm.data(), 1, 100, 1000, 0, &w), 0);
    EXPECT_FLOAT_EQ(w, mix_ratio(288.15f, 1000));
}

TEST(UpaLayer, ThetaEIndexFindsTheLargestRun)
{
    // Theta-E of the levels below, computed with the core formula.
    std::vector<UPA_level> lev = {
        L(1000, 100, 25, 22), L(950, 560, 21, 17), L(900, 1000, 18, 10),
        L(850, 1500, 16, 0),  L(800, 2000, 14, 2),  L(750, 2500, 11, 4),
        L(700, 3000, 6, -20), L(650, 3600, -1, -40), L(600, 4200, 0, -5),
        L(500, 5600, -10, -15),
    };
    std::vector<float> e;
    for (const UPA_level &l : lev) e.push_back(eq_pot_temp(l.t + 273.15f, l.td + 273.15f, l.p));
    ASSERT_GT(e[0], e[1]);
    ASSERT_GT(e[1], e[2]);
    ASSERT_GT(e[2], e[3]);
    ASSERT_LT(e[3], e[4]);  // the first run ends at 800 mb
    ASSERT_GT(e[5], e[6]);  // the second starts above 750 mb
    ASSERT_GT(e[6], e[7]);
    ASSERT_LT(e[7], e[8]);
    THETAE_params tp;
    ASSERT_EQ(thetae_index(lev.data(), count(lev), &tp), 0);
    const double run1 = e[0] - e[3], run2 = e[4] - e[5] > 0 ? e[4] - e[7] : e[5] - e[7];
    const bool first = run1 >= run2;
    EXPECT_NEAR(tp.index, first ? run1 : run2, 1e-3);
    // A run's base and top are the pressures of the levels where it opened and closed.
    EXPECT_EQ(tp.base, first ? 950 : (e[4] >= e[5] ? 750 : 700));
    EXPECT_EQ(tp.top, first ? 800 : 600);
    EXPECT_FLOAT_EQ(tp.max, *std::max_element(e.begin(), e.begin() + 9));
    EXPECT_FLOAT_EQ(tp.min, *std::min_element(e.begin(), e.begin() + 9));

    // Rising all the way: index 0 based at the first level, no run to give a top.
    std::vector<UPA_level> rising = {L(1000, 100, 10, 0), L(900, 1000, 12, 5),
                                     L(800, 2000, 14, 10), L(700, 3000, 16, 14)};
    ASSERT_EQ(thetae_index(rising.data(), count(rising), &tp), 0);
    EXPECT_EQ(tp.index, 0);
    EXPECT_EQ(tp.base, 1000);
    EXPECT_EQ(tp.top, M);
    EXPECT_EQ(tp.minp, 1000);
    EXPECT_EQ(tp.maxp, 700);

    // Starting above 700 mb: -1 with the extremes kept.
    ASSERT_EQ(thetae_index(lev.data() + 7, 3, &tp), -1);
    EXPECT_EQ(tp.index, M);
    EXPECT_EQ(tp.base, M);
    EXPECT_NE(tp.max, M);
    // Nothing with both temperature and dew point.
    std::vector<UPA_level> dry = {L(1000, 100, 10), L(900, 1000, 5)};
    EXPECT_EQ(thetae_index(dry.data(), 2, &tp), -1);
    EXPECT_EQ(tp.max, M);
}

TEST(UpaLayer, EnergyOfALayer)
{
    const UPA_level p1 = L(1000, M, 21), p2 = L(900, M, 21);
    const UPA_level e1 = L(1000, 0, 20), e2 = L(900, 1000, 20);
    EXPECT_NEAR(energy_calc(&p1, &p2, &e1, &e2), 1000 * 9.8 * 1 / 293.15, 1e-3);
    EXPECT_NEAR(energy_calc(&e1, &e2, &p1, &p2), M, 0);  // the environment needs heights
    const UPA_level cold = L(900, M, 18);
    EXPECT_LT(energy_calc(&p1, &cold, &e1, &e2), 0);
    const UPA_level no_t = L(900, 1000);
    EXPECT_EQ(energy_calc(&p1, &p2, &e1, &no_t), M);
}

TEST(UpaLayer, DryAscentThroughAnIsothermalLayerAgainstNumpy)
{
    // A parcel of 303 K potential temperature lifted through a 300 K dry adiabat up to 800 mb
    // and the isothermal layer above: buoyant up to about 773 mb, then colder.  Its dew point
    // puts the LCL near 620 mb; the sounding ends 5 mb above it, so the ascent is dry.
    UPA_level start = L(1000, M, 303 - 273.15f, -1);
    const float plcl = lcl_pres(303, 272.15f, 1000);
    std::vector<UPA_level> env = dry_under_isothermal(300, 800, plcl, 5);
    env.push_back(env_level(300, 800, plcl - 5));
    const PARCEL_params pp = ascent(env, &start);
    EXPECT_FLOAT_EQ(pp.plcl, plcl);
    char what[96];
    snprintf(what, sizeof what, "dryiso:300:800:%.6f:%.6f", pot_temp(pp.tlcl, pp.plcl), pp.plcl);
    const auto want = numpy(what);
    ASSERT_EQ(want.size(), 1u);
    EXPECT_NEAR(pp.Bplus, want[0][0], 0.01 * want[0][0]);
    EXPECT_NEAR(pp.Bminus, want[0][1], 0.01 * want[0][1]);
    EXPECT_EQ(pp.lfc, -1);  // a buoyant layer below the LCL sets no LFC
    EXPECT_EQ(pp.el, M);
    EXPECT_NEAR(pp.wmax, std::sqrt(2 * pp.Bplus), 1e-3);
    // The cap: the isothermal layer's excess over the parcel at the LCL.
    const double ti = 300 * std::pow(0.8, KAPPA);
    EXPECT_NEAR(pp.cap, ti - pp.tlcl, 0.05);

    // A level without a temperature changes nothing; missing heights leave layers out.
    std::vector<UPA_level> gap = env;
    gap.insert(gap.begin() + 7, L(967, M, M, M));
    const PARCEL_params pg = ascent(gap, &start);
    EXPECT_NEAR(pg.Bplus, pp.Bplus, 1e-3);
    EXPECT_NEAR(pg.Bminus, pp.Bminus, 1e-3);
    std::vector<UPA_level> flat = env;
    for (UPA_level &l : flat) l.h = M;
    const PARCEL_params pf = ascent(flat, &start);
    EXPECT_EQ(pf.Bplus, 0);
    EXPECT_EQ(pf.Bminus, 0);
}

TEST(UpaLayer, MoistAscentAgainstNumpy)
{
    // A saturated parcel of 295 K at 1000 mb in a 302 K dry adiabat up to 450 mb, isothermal
    // above: CIN below its LFC near 867 mb, CAPE up to its EL near 296 mb.
    std::vector<UPA_level> env = dry_under_isothermal(302, 450, 200, 10);
    UPA_level start;
    UPA_level_init(&start);
    env[0].t = env[0].td = 295 - 273.15f;  // the surface parcel is the environment's first level
    const PARCEL_params pp = ascent(env, &start);
    EXPECT_FLOAT_EQ(start.p, 1000);  // the starting level is handed back
    EXPECT_FLOAT_EQ(start.t, 295 - 273.15f);
    EXPECT_NEAR(pp.plcl, 1000, 0.5);  // saturated: condensing where it starts
    const auto want = numpy("moist:302:450:295:200");
    ASSERT_EQ(want.size(), 1u);
    EXPECT_NEAR(pp.Bplus, want[0][0], 0.03 * want[0][0]);
    EXPECT_NEAR(pp.Bminus, want[0][1], 0.1 * want[0][1] + 5);
    EXPECT_NEAR(pp.lfc, want[0][2], 10);
    EXPECT_NEAR(pp.el, want[0][3], 10);
    // Between the LFC and the EL only the layer that crosses the EL is negative.
    EXPECT_GT(pp.Bel, 0.99 * pp.Bplus);
    EXPECT_LT(pp.Bel, pp.Bplus);
    EXPECT_EQ(pp.mpl, M);                  // the negative energy above stays below the CAPE
    EXPECT_NEAR(pp.Satad, thetae_on_satad(pp.tlcl, pp.plcl), 1e-3);
}

TEST(UpaLayer, MoistAdiabatMatchesPublishedValues)
{
    // From 925 mb at 5 C: 0.997 C at 850 mb, -8.885 at 700, -28.376 at 500, -60.111 at 300
    // (MetPy's moist_lapse documentation), and the pseudo-adiabat integrated in numpy.
    const float th = thetae_on_satad(278.15f, 925);
    const float p[] = {850, 700, 500, 300};
    const double published[] = {0.997, -8.885, -28.376, -60.111};
    const auto want = numpy("satad:278.15:925:850,700,500,300");
    ASSERT_EQ(want.size(), 1u);
    ASSERT_EQ(want[0].size(), 4u);
    for (int i = 0; i < 4; i++) {
        const double t = temp_on_satad(th, p[i]) - 273.15;
        EXPECT_NEAR(t, published[i], 0.6) << p[i];
        EXPECT_NEAR(t, want[0][i] - 273.15, 0.6) << p[i];
    }
}

TEST(UpaLayer, ParcelWithoutAnAscent)
{
    std::vector<UPA_level> sm = sample_sm();
    PARCEL_params pp;
    pp.Satad = 123;
    EXPECT_EQ(parcel_calc(sm.data(), 0, nullptr, 100, 1000, 0, &pp), 0);
    EXPECT_EQ(pp.Bplus, M);
    EXPECT_EQ(pp.Bminus, M);
    EXPECT_EQ(pp.lfc, M);
    EXPECT_EQ(pp.cap, M);
    EXPECT_EQ(pp.plcl, M);
    EXPECT_EQ(pp.Satad, 123);  // left as it was
    EXPECT_EQ(parcel_calc(sm.data(), count(sm), nullptr, 100, M, 0, &pp), 0);
    // No dew point: no condensation level, no ascent.
    UPA_level start = L(1000, 100, 20, M);
    EXPECT_EQ(parcel_calc(sm.data(), count(sm), &start, 100, 1000, 0, &pp), 0);
    EXPECT_EQ(pp.plcl, M);
    EXPECT_EQ(pp.Bplus, M);
    EXPECT_EQ(pp.tlcl, M);
    // A mixed-layer parcel of the sample sounding rises and is handed back.
    UPA_level mixed;
    UPA_level_init(&mixed);
    EXPECT_EQ(parcel_calc(sm.data(), count(sm), &mixed, 100, 1000, 100, &pp), 1);
    float w, o;
    layer_parcel_mean(sm.data(), count(sm), 100, 1000, 900, &w, &o);
    EXPECT_NEAR(mixed.t, temp_on_dryad(o, 1000) - 273.15f, 1e-3);
    EXPECT_NEAR(mixed.td, temp_on_mixrat(w, 1000) - 273.15f, 1e-3);
    EXPECT_GT(pp.plcl, 700);
    EXPECT_GE(pp.Bplus, 0);
    EXPECT_GE(pp.cap, 0);
}

TEST(UpaLayer, HostileSoundings)
{
    // A thousand levels: only the first 300 take part; everything missing; pressures out of
    // order.  Every result is a value or -9999, never a crash or a non-number.
    std::vector<UPA_level> many;
    for (int i = 0; i < 1000; i++)
        many.push_back(L(1000 - 0.9f * i, 10.0f * i, 20 - 0.08f * i, 10 - 0.1f * i, 180, 10));
    const int n = count(many);
    PARCEL_params pp;
    EXPECT_EQ(parcel_calc(many.data(), n, nullptr, 100, 1000, 100, &pp), 1);
    for (float v : {pp.Bplus, pp.Bminus, pp.cap, pp.lfc, pp.wmax}) EXPECT_TRUE(std::isfinite(v));
    EXPECT_TRUE(std::isfinite(mean_value("thetae", many.data(), n, 100, 1000, 500)));
    THETAE_params tp;
    thetae_index(many.data(), n, &tp);
    float w;
    EXPECT_TRUE(std::isfinite(pr_ccl(many.data(), n, 100, 1000, 50, &w)));
    for (float v : {precip_water(many.data(), n), cap_strength(many.data(), n, 100, 1000, 0),
                    lifted_index(many.data(), n, 100, 1000, 100, 800), k_index(many.data(), n)})
        EXPECT_TRUE(std::isfinite(v));

    std::vector<UPA_level> blank(50, L(M, M));
    const int nb = count(blank);
    EXPECT_EQ(parcel_calc(blank.data(), nb, nullptr, 100, 1000, 0, &pp), 0);
    EXPECT_EQ(mean_value("temp", blank.data(), nb, 100, 1000, 500), M);
    EXPECT_EQ(thetae_index(blank.data(), nb, &tp), -1);
    EXPECT_EQ(pr_ccl(blank.data(), nb, 100, 1000, 0, &w), M);
    for (float v : {precip_water(blank.data(), nb), wet_bulb_zero(blank.data(), nb),
                    total_totals(blank.data(), nb), sweat_index(blank.data(), nb),
                    energy_index(blank.data(), nb), cap_strength(blank.data(), nb, 100, 1000, 0),
                    lifted_index(blank.data(), nb, 100, 1000, 0, 500),
                    max_temperature(blank.data(), nb, 100, 1000, 150),
                    static_stability(blank.data(), nb, 100, 700),
                    thickness(blank.data(), nb, 100, 1000, 500)})
        EXPECT_EQ(v, M);

    std::vector<UPA_level> shuffled = sample_sm();
    std::swap(shuffled[1], shuffled[6]);
    std::swap(shuffled[3], shuffled[8]);
    const int ns = count(shuffled);
    parcel_calc(shuffled.data(), ns, nullptr, 100, 1000, 0, &pp);
    for (float v : {pp.Bplus, pp.Bminus, pp.cap}) EXPECT_TRUE(std::isfinite(v));
    EXPECT_TRUE(std::isfinite(mean_value("temp", shuffled.data(), ns, 100, 1000, 500)));
    EXPECT_TRUE(std::isfinite(precip_water(shuffled.data(), ns)));
}

TEST(UpaLayer, FreeConvectionFromTheFirstStepOrNever)
{
    // A moist 300 K parcel in a 290 K dry adiabat is buoyant from the first moist step: its
    // LFC lies in the middle of that step.
    std::vector<UPA_level> env = dry_under_isothermal(290, 500, 150, 10);
    env[0].t = 300 - 273.15f;
    env[0].td = env[0].t - 1;
    PARCEL_params pp = ascent(env, nullptr);
    EXPECT_NEAR(pp.lfc, pp.plcl - 5, 1e-3);
    EXPECT_EQ(pp.Bminus, 0);
    EXPECT_GT(pp.Bplus, 0);
    EXPECT_GT(pp.el, 150);  // the isothermal layer above 500 mb stops it
    EXPECT_LT(pp.el, 500);
    // A cold parcel in a warm isothermal sounding is never buoyant.
    std::vector<UPA_level> warm = dry_under_isothermal(320, 1000, 200, 10);
    warm[0].t = warm[0].td = 5;
    pp = ascent(warm, nullptr);
    EXPECT_EQ(pp.lfc, -1);
    EXPECT_EQ(pp.el, M);
    EXPECT_EQ(pp.mpl, M);
    EXPECT_EQ(pp.Bplus, 0);
    EXPECT_EQ(pp.wmax, 0);
    EXPECT_GT(pp.Bminus, 0);
    EXPECT_GT(pp.cap, 0);
}
