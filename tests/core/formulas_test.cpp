// Meteorological formulas, checked against independent published formulas and tables.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>

#include "vyk.h"

namespace {

constexpr float MISS = -9999.0f;
constexpr double T0 = 273.15;

// Bolton (1980), Mon. Wea. Rev. 108, eq. 10: saturation vapour pressure (mb) over water,
// T in degrees C; within 0.1% of the Goff-Gratch values between -30 and 35 C.
double bolton_es(double tc) { return 6.112 * std::exp(17.67 * tc / (tc + 243.5)); }

// Mixing ratio (g/kg) from vapour pressure e and pressure p, epsilon = 0.622.
double mixing_ratio(double e, double p) { return 622.0 * e / (p - e); }

// Bolton (1980) eq. 15: temperature (K) of the lifting condensation level from T and Td (K).
double bolton_tl(double t, double td) { return 1.0 / (1.0 / (td - 56.0) + std::log(t / td) / 800.0) + 56.0; }

// Poisson's equation with R/cp = 0.2857 (dry air).
double poisson(double t, double p) { return t * std::pow(1000.0 / p, 0.2857); }

// Haversine great-circle distance (km) on a sphere of radius 6371.3 km.
double haversine(double lat1, double lon1, double lat2, double lon2)
{
    const double r = M_PI / 180.0;
    const double a = std::pow(std::sin((lat2 - lat1) * r / 2), 2) +
                     std::cos(lat1 * r) * std::cos(lat2 * r) * std::pow(std::sin((lon2 - lon1) * r / 2), 2);
    return 2.0 * 6371.3 * std::asin(std::min(1.0, std::sqrt(a)));
}

}  // namespace

TEST(Formula, SaturationVapourPressureMatchesBolton)
{
    for (double tc : {0.0, 20.0, 30.0}) {
        const double expected = bolton_es(tc);  // 6.112, 23.37, 42.43 mb
        EXPECT_NEAR(vapor_pr(static_cast<float>(T0 + tc)), expected, 0.002 * expected) << tc;
    }
    EXPECT_NEAR(vapor_pr(273.15f), 6.10, 0.02);
    EXPECT_EQ(vapor_pr(-9999.0f), MISS);
    EXPECT_EQ(vapor_pr(50.0f), 0.0f);
}

TEST(Formula, MoistureFunctions)
{
    // Mixing ratio at 20 C and 1000 mb from Bolton's vapour pressure: 14.88 g/kg.
    const double w = mixing_ratio(bolton_es(20.0), 1000.0);
    EXPECT_NEAR(mix_ratio(293.15f, 1000.0f), w, 0.003 * w);
    EXPECT_NEAR(spec_hum(293.15f, 1000.0f), 0.622 * bolton_es(20.0), 0.03);
    // The saturation mixing-ratio line through that point and the inverse of vapor_pr.
    EXPECT_NEAR(temp_on_mixrat(mix_ratio(293.15f, 1000.0f), 1000.0f), 293.15, 0.1);
    EXPECT_NEAR(temp_vapor_pr(vapor_pr(283.15f)), 283.15, 0.1);
    // Relative humidity of T = 30 C, Td = 20 C from Bolton's vapour pressures: 55.1%.
    EXPECT_NEAR(rel_hum(303.15f, 293.15f), 100.0 * bolton_es(20.0) / bolton_es(30.0), 0.3);
    EXPECT_NEAR(dew_temp(303.15f, rel_hum(303.15f, 293.15f)), 293.15, 0.1);

    struct Case {
        float got, want;
    } cases[] = {
        {mix_ratio(10.0f, 1000.0f), 622.0f * 10.0f / 990.0f},  // 10 is a vapour pressure
        {mix_ratio(-9999.0f, 1000.0f), MISS},
        {mix_ratio(300.0f, -9999.0f), MISS},
        {mix_ratio(0.0f, 1000.0f), 0.0f},
        {mix_ratio(10.0f, 10.0f), MISS},  // vapour pressure equal to the pressure
        {spec_hum(10.0f, 1000.0f), 6.22f},
        {rel_hum(10.0f, 5.0f), 50.0f},
        {rel_hum(0.0f, 5.0f), MISS},
        {rel_hum(50.0f, 280.0f), MISS},  // no vapour pressure below 100 K
        {dew_temp(300.0f, 150.0f), dew_temp(300.0f, 100.0f)},
        {dew_temp(300.0f, 1.0f), dew_temp(300.0f, 2.0f)},
        {dew_temp(300.0f, MISS), MISS},
        {temp_vapor_pr(0.0f), 0.0f},
        {temp_on_mixrat(0.0f, 1000.0f), 0.0f},
    };
    for (size_t i = 0; i < std::size(cases); ++i) EXPECT_FLOAT_EQ(cases[i].got, cases[i].want) << "case " << i;
    EXPECT_NEAR(dew_temp(300.0f, 100.0f), 300.0, 0.1);
}

TEST(Formula, PotentialAndVirtualTemperatures)
{
    for (float p : {1000.0f, 850.0f, 500.0f, 200.0f}) {
        // R/cp of 0.286 against 0.2857: within 0.05%.
        EXPECT_NEAR(pot_temp(280.0f, p), poisson(280.0, p), 5e-4 * poisson(280.0, p)) << p;
        EXPECT_NEAR(temp_on_dryad(pot_temp(280.0f, p), p), 280.0, 0.01) << p;
    }
    // Tv = T (1 + 0.61 w) with w = 10 g/kg.
    EXPECT_NEAR(virt_temp(300.0f, 10.0f, 1000.0f), 300.0 * 1.00609, 1e-3);
    EXPECT_NEAR(virt_temp(300.0f, 293.15f, 1000.0f), 300.0 * (1 + 0.609e-3 * mix_ratio(293.15f, 1000.0f)), 1e-3);
    EXPECT_NEAR(virt_pot_temp(300.0f, 10.0f, 500.0f), poisson(300.0 * 1.00609, 500.0), 0.1);

    struct Case {
        float got, want;
    } cases[] = {
        {virt_temp(300.0f, 0.0f, 1000.0f), 300.0f},
        {virt_temp(0.0f, 10.0f, 1000.0f), MISS},
        {virt_pot_temp(300.0f, 0.0f, 500.0f), pot_temp(300.0f, 500.0f)},
        {virt_pot_temp(300.0f, 10.0f, 0.0f), MISS},  // zero pressure
        {pot_temp(-9999.0f, 500.0f), MISS},
        {pot_temp(300.0f, 0.0f), MISS},
        {temp_on_dryad(-9999.0f, 500.0f), 0.0f},
        {temp_on_satad(300.0f, 2500.0f), MISS},
        {temp_on_satad(0.0f, 500.0f), MISS},
        {thetae_on_satad(0.0f, 500.0f), 0.0f},
    };
    for (size_t i = 0; i < std::size(cases); ++i) EXPECT_FLOAT_EQ(cases[i].got, cases[i].want) << "case " << i;
}

TEST(Formula, LiftingCondensationLevelMatchesBolton)
{
    struct Case {
        double t, td, p;
    } cases[] = {{303.15, 293.15, 1000}, {293.15, 283.15, 950}, {300, 299, 1000}, {283.15, 263.15, 850}};
    for (const Case &c : cases) {
        const double tl = bolton_tl(c.t, c.td);
        const double pl = c.p * std::pow(tl / c.t, 1.0 / 0.2857);  // dry adiabat from the surface
        const float p = lcl_pres(static_cast<float>(c.t), static_cast<float>(c.td), static_cast<float>(c.p));
        EXPECT_NEAR(p, pl, 3.0) << c.t << " " << c.td;
        EXPECT_NEAR(lcl_temp(static_cast<float>(c.t), static_cast<float>(c.p), p), tl, 0.4) << c.t << " " << c.td;
    }
    // Temperatures in degrees C, and pressures outside the atmosphere, have no level.
    EXPECT_EQ(lcl_pres(20.0f, 10.0f, 1000.0f), MISS);
    EXPECT_EQ(lcl_pres(300.0f, 290.0f, 1200.0f), MISS);
    EXPECT_EQ(lcl_pres(300.0f, 290.0f, 0.0f), MISS);
    EXPECT_EQ(lcl_pres(300.0f, 290.0f, 5.0f), MISS);  // dew point saturates beyond 5 mb
}

// Dry parcels condense far above the ground: the level is corrected until it settles, so that
// the saturation temperature of the parcel's mixing ratio meets its dry adiabat there.
TEST(Formula, LiftingCondensationLevelOfDryParcelsIsConverged)
{
    struct Case {
        double t, td, p;
    } cases[] = {{303.15, 253.15, 1000}, {313.15, 263.15, 950}, {298.15, 233.15, 1000},
                 {303.15, 293.15, 1000}, {283.15, 282.15, 850}, {300.0, 300.0, 1000},
                 {300.0, 180.0, 1000}};
    for (const Case &c : cases) {
        const float t = static_cast<float>(c.t), td = static_cast<float>(c.td);
        const float p = lcl_pres(t, td, static_cast<float>(c.p));
        const float w = mix_ratio(td, static_cast<float>(c.p));
        const float theta = pot_temp(t, static_cast<float>(c.p));
        EXPECT_NEAR(temp_on_mixrat(w, p), temp_on_dryad(theta, p), 0.02) << c.t << " " << c.td;
        if (c.td < 230) continue;  // Bolton's fit covers the usual dew points only
        const double tl = bolton_tl(c.t, c.td);
        EXPECT_NEAR(p, c.p * std::pow(tl / c.t, 1.0 / 0.2857), 4.0) << c.t << " " << c.td;
    }
}

TEST(Formula, EquivalentPotentialTemperatureMatchesBolton)
{
    struct Case {
        double t, td, p;
    } cases[] = {{303.15, 293.15, 1000}, {293.15, 283.15, 900}, {283.15, 273.15, 700}};
    for (const Case &c : cases) {
        // Bolton (1980) eq. 43 with the mixing ratio from eq. 10.
        const double r = mixing_ratio(bolton_es(c.td - T0), c.p);
        const double tl = bolton_tl(c.t, c.td);
        const double want = c.t * std::pow(1000.0 / c.p, 0.2854 * (1 - 0.28e-3 * r)) *
                            std::exp((3.376 / tl - 0.00254) * r * (1 + 0.81e-3 * r));
        EXPECT_NEAR(eq_pot_temp(static_cast<float>(c.t), static_cast<float>(c.td), static_cast<float>(c.p)), want,
                    2.0)
            << c.t;
        // The wet-bulb potential temperature lies on the same saturated adiabat.
        const float wbpt = wet_bulb_pot_temp(static_cast<float>(c.t), static_cast<float>(c.td), static_cast<float>(c.p));
        EXPECT_NEAR(thetae_on_satad(wbpt, 1000.0f),
                    thetae_on_satad(lcl_temp(static_cast<float>(c.t), static_cast<float>(c.p),
                                             lcl_pres(static_cast<float>(c.t), static_cast<float>(c.td),
                                                      static_cast<float>(c.p))),
                                    lcl_pres(static_cast<float>(c.t), static_cast<float>(c.td), static_cast<float>(c.p))),
                    0.3);
    }
    EXPECT_FLOAT_EQ(eq_pot_temp(300.0f, 0.0f, 500.0f), pot_temp(300.0f, 500.0f));  // dry air
}

TEST(Formula, WetBulbMatchesStull)
{
    // Stull (2011), J. Appl. Meteor. Climatol. 50, eq. 1, valid at 1013.25 hPa (within 1 K).
    auto stull = [](double tc, double rh) {
        return tc * std::atan(0.151977 * std::sqrt(rh + 8.313659)) + std::atan(tc + rh) - std::atan(rh - 1.676331) +
               0.00391838 * std::pow(rh, 1.5) * std::atan(0.023101 * rh) - 4.686035;
    };
    struct Case {
        double tc, tdc;
    } cases[] = {{20, 10}, {30, 20}, {25, 5}};
    for (const Case &c : cases) {
        const double rh = 100.0 * bolton_es(c.tdc) / bolton_es(c.tc);
        const float tw = wet_bulb(static_cast<float>(T0 + c.tc), static_cast<float>(T0 + c.tdc), 1013.25f);
        EXPECT_NEAR(tw, T0 + stull(c.tc, rh), 1.0) << c.tc;
        EXPECT_GT(tw, T0 + c.tdc);
        EXPECT_LT(tw, T0 + c.tc);
    }
    // Round trip along one saturated adiabat.
    EXPECT_NEAR(temp_on_satad(thetae_on_satad(290.0f, 800.0f), 800.0f), 290.0, 0.1);
}

TEST(Formula, FailuresGiveTheMissingValue)
{
    struct Case {
        const char *what;
        float got;
    } cases[] = {
        {"eq_pot_temp with degrees C", eq_pot_temp(20.0f, 10.0f, 1000.0f)},
        {"eq_pot_temp negative dew point", eq_pot_temp(300.0f, -1.0f, 1000.0f)},
        {"wet_bulb with degrees C", wet_bulb(20.0f, 10.0f, 1000.0f)},
        {"wet_bulb of dry air", wet_bulb(300.0f, 0.0f, 1000.0f)},
        {"wet_bulb at zero pressure", wet_bulb(300.0f, 290.0f, 0.0f)},
        {"wet_bulb_pot_temp with degrees C", wet_bulb_pot_temp(20.0f, 10.0f, 1000.0f)},
        {"interp_temp equal pressures", interp_temp(280.0f, 290.0f, 850.0f, 850.0f, 850.0f)},
        {"interp_temp pressure 0", interp_temp(280.0f, 290.0f, 900.0f, 800.0f, 0.0f)},
        {"interp_temp p1 0", interp_temp(280.0f, 290.0f, 0.0f, 800.0f, 850.0f)},
        {"interp_temp both missing", interp_temp(MISS, MISS, 900.0f, 800.0f, 850.0f)},
        {"pres_alt 0", pres_alt(0.0f)},
        {"pres_alt negative", pres_alt(-10.0f)},
        {"pres_alt missing", pres_alt(MISS)},
        {"sfc_pr_alt above 44 km", sfc_pr_alt(1013.25f, 50000.0f)},
        {"sfc_pr_alt missing elevation", sfc_pr_alt(1013.25f, MISS)},
        {"heat_index dew point above temperature", heat_index(300.0f, 310.0f)},
        {"heat_index below 100 K", heat_index(50.0f, 40.0f)},
        {"humiture negative", humiture(-1.0f, 280.0f)},
        {"wind_chill_temp negative wind", wind_chill_temp(270.0f, -1.0f)},
    };
    for (const Case &c : cases) EXPECT_EQ(c.got, MISS) << c.what;
}

TEST(Formula, InterpolationIsLinearInLogPressure)
{
    EXPECT_EQ(interp_temp(280.0f, MISS, 900.0f, 800.0f, 850.0f), 280.0f);
    EXPECT_EQ(interp_temp(MISS, 290.0f, 900.0f, 800.0f, 850.0f), 290.0f);
    EXPECT_EQ(interp_temp(MISS, 290.0f, 850.0f, 850.0f, 850.0f), 290.0f);  // one value needs no slope
    EXPECT_NEAR(interp_temp(280.0f, 270.0f, 900.0f, 800.0f, 900.0f), 280.0, 1e-4);
    EXPECT_NEAR(interp_temp(280.0f, 270.0f, 900.0f, 800.0f, 800.0f), 270.0, 1e-4);
    // The geometric mean of the pressures is half way in ln p.
    EXPECT_NEAR(interp_temp(280.0f, 270.0f, 900.0f, 800.0f, std::sqrt(900.0f * 800.0f)), 275.0, 1e-3);
}

TEST(Formula, StandardAtmosphereHeights)
{
    // ICAO standard atmosphere (U.S. Standard Atmosphere 1976) heights of the mandatory levels.
    struct Case {
        float p, z;
    } cases[] = {{1013.25f, 0}, {850, 1457}, {700, 3012}, {500, 5574}, {300, 9164}, {200, 11784}, {100, 16180}};
    for (const Case &c : cases) {
        EXPECT_NEAR(pres_alt(c.p), c.z, 2.0) << c.p;
        // The altimeter setting 1013.25 reduced to that height gives the level's pressure back.
        if (c.z < 11000) {
            EXPECT_NEAR(sfc_pr_alt(1013.25f, c.z), c.p, 0.5) << c.p;
        }
    }
    EXPECT_NEAR(pres_alt(226.32f), 11000.0, 1.0);  // the tropopause of the standard atmosphere
}

TEST(Formula, ComfortIndices)
{
    // Environment Canada's wind chill index (2001): T in C, V in km/h.
    auto ec_chill = [](double tc, double kmh) {
        const double v = std::pow(kmh, 0.16);
        return 13.12 + 0.6215 * tc - 11.37 * v + 0.3965 * tc * v;
    };
    struct Chill {
        double tc, kmh;
    } chills[] = {{-10, 20}, {-30, 50}, {0, 10}};  // tables give -17.9, -48.3 and -3.3 C
    for (const Chill &c : chills)
        EXPECT_NEAR(wind_chill_temp2(static_cast<float>(T0 + c.tc), static_cast<float>(c.kmh / 3.6)),
                    T0 + ec_chill(c.tc, c.kmh), 0.2)
            << c.tc;
    for (float t : {250.0f, 280.0f, 300.0f, 320.0f})
        for (float ws : {0.0f, 1.0f, 10.0f, 40.0f}) EXPECT_LE(wind_chill_temp2(t, ws), t);
    EXPECT_EQ(wind_chill_temp(270.0f, 1.0f), 270.0f);
    EXPECT_EQ(wind_chill_temp(310.0f, 10.0f), 310.0f);
    EXPECT_FLOAT_EQ(wind_chill_temp(270.0f, 40.0f), wind_chill_temp(270.0f, 26.0f));

    // NWS heat index chart: 90 F with 50% relative humidity feels like 95 F (Rothfusz 1990).
    const double t90 = T0 + (90.0 - 32.0) * 5.0 / 9.0;
    const float hi = heat_index(static_cast<float>(t90), dew_temp(static_cast<float>(t90), 50.0f));
    EXPECT_NEAR(hi, T0 + (95.0 - 32.0) * 5.0 / 9.0, 1.0);
    // A cool, dry day: the simple index 60.8 + 1.2 (F - 68) + 0.0936 RH, in kelvin.
    const float rh = rel_hum(293.15f, 273.15f);
    const double simple = 60.8 + 1.2 * (68.0 - 68.0) + 0.0936 * rh;
    EXPECT_NEAR(heat_index(293.15f, 273.15f), T0 + 5.0 * (simple - 32.0) / 9.0, 0.01);

    // Humiture is in degrees F in both regimes: F + (e - 21) above 21 mb, F below.
    EXPECT_NEAR(humiture(300.0f, 280.0f), 32.0 + 9.0 * (300.0 - T0) / 5.0, 1e-3);
    EXPECT_NEAR(humiture(305.0f, 295.0f), 32.0 + 9.0 * (305.0 - T0) / 5.0 + vapor_pr(295.0f) - 21.0, 1e-3);
    EXPECT_FLOAT_EQ(temp_hum_index(300.0f, 290.0f), 17.5f + 0.55f * 300.0f + 0.2f * 290.0f);
}

TEST(Formula, EarthDistanceMatchesHaversine)
{
    struct Case {
        float lat1, lon1, lat2, lon2;
    } cases[] = {
        {0, 0, 0, 90},                      // a quarter of the circumference, 10008 km
        {90, 0, -90, 0},                    // pole to pole, 20016 km
        {40.64f, -73.78f, 51.47f, -0.45f},  // New York to London, about 5540 km
        {-33.95f, 151.18f, 1.36f, 103.99f},  // Sydney to Singapore
        {45, 45, -45, -135},                // antipodes
        {52.0f, 4.0f, 52.5f, 4.5f},          // a short hop
        {-83.7f, -180, -83.7f, 180},         // one point by two longitudes: the cosine rounds past 1
        {-83.7f, -177.4f, 83.7f, 2.6f},      // antipodes: the cosine rounds past -1
    };
    for (const Case &c : cases) {
        const double want = haversine(c.lat1, c.lon1, c.lat2, c.lon2);
        EXPECT_NEAR(calc_earth_dist(c.lat1, c.lon1, c.lat2, c.lon2), want, 3.0) << c.lat1 << "," << c.lon1;
    }
    // A point and itself: 0, never NaN from a cosine rounded past 1.
    for (float lat : {0.0f, 45.0f, 33.3f, -71.7f, 89.9f})
        for (float lon : {0.0f, 45.0f, -120.25f, 179.99f}) EXPECT_EQ(calc_earth_dist(lat, lon, lat, lon), 0.0f);
}
