// Layer mean wind, shear and helicity: helicity against the analytic circular and straight
// hodographs; mean wind and shear of a profiler column against an independent numpy computation
// from the textbook formulas; the edge cases of layers, missing winds and missing pressures.
#include "sounding_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>

using namespace sndtest;

namespace {

constexpr double PI = 3.14159265358979323846;
constexpr float KNOTS_PER_MS = 1.944f;

/// A level at height h whose wind has the components u, v (m/s), speed in knots as every
/// sounding holds it.
UPA_level wind_level(float p, float h, double u, double v)
{
    const double kt = std::hypot(u, v) / UPA_KNOT_MS;
    double dir = std::atan2(-u, -v) * 180 / PI;
    if (dir < 0) dir += 360;
    return L(p, h, M, M, static_cast<float>(dir), static_cast<float>(kt));
}

/// A hodograph of radius r (m/s) about the storm motion (cu, cv), turning through `turn`
/// degrees (clockwise when positive) over 0 to 3000 m, sampled every 100 m.
std::vector<UPA_level> circle(double r, double turn, double cu, double cv)
{
    std::vector<UPA_level> lev;
    for (int k = 0; k <= 30; k++) {
        const double a = (90 - turn * k / 30) * PI / 180;  // from pointing north
        lev.push_back(wind_level(M, 100.0f * k, cu + r * std::cos(a), cv + r * std::sin(a)));
    }
    return lev;
}

WIND storm_of(double cu, double cv)
{
    WIND s;
    vect2wind(static_cast<float>(cu / UPA_KNOT_MS), static_cast<float>(cv / UPA_KNOT_MS), &s.dir,
              &s.spd);
    return s;
}

HELICITY_params hel(std::vector<UPA_level> lev, float bottom, float top, const WIND &storm,
                    int result = 1, int coord = 103)
{
    HELICITY_params h;
    EXPECT_EQ(helicity(lev.data(), static_cast<int>(lev.size()), coord, bottom, top, &storm, &h),
              result);
    return h;
}

TEST(UpaWind, HelicityOfACircularHodograph)
{
    // Radius 10 m/s, a quarter turn clockwise, the storm motion at the centre: pi R^2 / 2.
    // The 100 m samples make 30 chords of 3 degrees: 30 R^2 sin 3 deg.
    const double R = 10, chords = 30 * R * R * std::sin(3 * PI / 180);
    const HELICITY_params h = hel(circle(R, 90, 8, -4), 0, 3000, storm_of(8, -4));
    EXPECT_NEAR(h.tot_hel, PI * R * R / 2, 0.1);
    EXPECT_NEAR(h.tot_hel, chords, 0.01);
    EXPECT_NEAR(h.pos_hel, chords, 0.01);
    EXPECT_EQ(h.neg_hel, 0);
    EXPECT_NEAR(h.ave_hel, h.tot_hel / 3000, 1e-6);  // 30 steps of 100 m
    EXPECT_NEAR(h.dir_shr, 90, 1e-3);  // storm-relative wind from the south, then the west
    const double a = R * (3 * PI / 180) / 100;  // turning term of every step
    EXPECT_NEAR(h.stm_vort, a, 1e-6);
    EXPECT_NEAR(h.hor_vort, a, 1e-6);
    EXPECT_NEAR(h.rel_hel, 1, 1e-4);

    // Turned the other way, the same amount of negative helicity.
    const HELICITY_params back = hel(circle(R, -90, 8, -4), 0, 3000, storm_of(8, -4));
    EXPECT_NEAR(back.tot_hel, -chords, 0.01);
    EXPECT_NEAR(back.neg_hel, -chords, 0.01);
    EXPECT_EQ(back.pos_hel, 0);
    EXPECT_NEAR(back.dir_shr, -90, 1e-3);
}

TEST(UpaWind, HelicityOfTheProfilerColumnForm)
{
    // 20 levels 500 m apart, the storm at rest at the centre: samples between the levels lie on
    // the circle as well, since direction and speed are interpolated.
    std::vector<UPA_level> lev;
    for (int k = 0; k < 20; k++) {
        const double turn = std::min(k * 15.0, 90.0);
        lev.push_back(L(M, 500.0f * k, M, M, static_cast<float>(180 + turn),
                        static_cast<float>(10 / UPA_KNOT_MS)));
    }
    const HELICITY_params h = hel(lev, 0, 3000, WIND{0, 0});
    EXPECT_NEAR(h.tot_hel, 30 * 100 * std::sin(3 * PI / 180), 0.01);
}

TEST(UpaWind, StraightHodographsHaveNoHelicity)
{
    // Along a line through the storm motion: unidirectional shear, and a line across.
    std::vector<UPA_level> west, across;
    for (int k = 0; k <= 30; k++) {
        west.push_back(wind_level(M, 100.0f * k, 5 + k, 0));
        across.push_back(wind_level(M, 100.0f * k, 10, -10 + 20.0 * k / 30));
    }
    EXPECT_NEAR(hel(west, 0, 3000, storm_of(20, 0)).tot_hel, 0, 1e-3);
    EXPECT_NEAR(hel(west, 0, 3000, WIND{0, 0}).tot_hel, 0, 1e-3);
    EXPECT_NEAR(hel(across, 0, 3000, storm_of(10, 0)).tot_hel, 0, 1e-3);
    // A storm motion equal to the wind everywhere.
    std::vector<UPA_level> uniform(31, L(M, 0, M, M, 250, 30));
    for (int k = 0; k <= 30; k++) uniform[k].h = 100.0f * k;
    const HELICITY_params h = hel(uniform, 0, 3000, WIND{250, 30});
    EXPECT_EQ(h.pos_hel, 0);
    EXPECT_EQ(h.neg_hel, 0);
    EXPECT_EQ(h.tot_hel, 0);
}

TEST(UpaWind, HelicityEdges)
{
    const WIND storm = storm_of(8, -4);
    std::vector<UPA_level> c = circle(10, 90, 8, -4);
    HELICITY_params h;

    std::vector<UPA_level> high = c;
    for (UPA_level &l : high) l.h += 5001;
    h = hel(high, 5001, 8001, storm, 0);  // first level above 5000 m
    EXPECT_EQ(h.tot_hel, M);
    EXPECT_EQ(h.dir_shr, M);
    EXPECT_EQ(h.stm_vort, M);

    h = hel(c, 0, 3000, WIND{M, 10}, 0);  // no storm motion
    EXPECT_EQ(h.tot_hel, M);
    h = hel(c, 0, 3000, WIND{250, M}, 0);  // half a storm motion is none
    EXPECT_EQ(h.tot_hel, M);
    EXPECT_EQ(helicity(c.data(), 1, 103, 0, 3000, &storm, &h), 0);
    EXPECT_EQ(helicity(c.data(), 31, 103, 0, 3000, nullptr, &h), 0);

    // A top above the sounding: computed up to its last level, result 0.
    h = hel(c, 0, 4000, storm, 0);
    EXPECT_NEAR(h.tot_hel, 30 * 100 * std::sin(3 * PI / 180), 0.01);
    EXPECT_NEAR(h.dir_shr, 90, 1e-3);
    EXPECT_NEAR(h.ave_hel, h.tot_hel / 3000, 1e-6);  // the depth actually used

    // A bottom without a height (below the sounding): -1.
    h = hel(c, -500, 3000, storm, -1);
    EXPECT_EQ(h.tot_hel, M);

    // A bottom without a wind: the first sample that has one starts the chain.
    std::vector<UPA_level> calm_less = c;
    calm_less[0].dir = calm_less[0].spd = M;
    h = hel(calm_less, 0, 3000, storm);
    EXPECT_NEAR(h.tot_hel, 29 * 100 * std::sin(3 * PI / 180), 0.01);
    EXPECT_EQ(h.dir_shr, M);

    // No wind at all: the sums stay 0, never NaN.
    std::vector<UPA_level> windless = c;
    for (UPA_level &l : windless) l.dir = l.spd = M;
    h = hel(windless, 0, 3000, storm);
    EXPECT_EQ(h.tot_hel, 0);
    EXPECT_EQ(h.ave_hel, 0);
    EXPECT_EQ(h.rel_hel, 0);
    EXPECT_EQ(h.dir_shr, M);

}

TEST(UpaWind, EnergyHelicityIndex)
{
    std::vector<UPA_level> c = circle(10, 90, 8, -4);
    const WIND storm = storm_of(8, -4);
    const double pos2000 = 20 * 100 * std::sin(3 * PI / 180);  // the lowest 2000 m
    EXPECT_NEAR(energy_helicity(c.data(), 31, 103, 0, &storm, 1600), pos2000 / 100, 1e-4);
    EXPECT_EQ(energy_helicity(c.data(), 31, 103, 0, &storm, M), M);
    EXPECT_EQ(energy_helicity(c.data(), 31, 103, M, &storm, 1600), M);
    EXPECT_EQ(energy_helicity(c.data(), 0, 103, 0, &storm, 1600), M);
    const WIND none = {M, M};
    EXPECT_EQ(energy_helicity(c.data(), 31, 103, 0, &none, 1600), M);
}

// ---------------------------------------------------------------------------------------------
// Layer mean wind
// ---------------------------------------------------------------------------------------------

WIND mean_of(std::vector<UPA_level> lev, int coord, float bottom, float top, int result)
{
    WIND w = {1, 1};
    EXPECT_EQ(layer_wind_mean(lev.data(), static_cast<int>(lev.size()), coord, bottom, top, &w),
              result);
    return w;
}

TEST(UpaWind, MeanWindEdges)
{
    std::vector<UPA_level> sm = sample_sm();
    WIND w = mean_of(sm, 100, 500, 850, -1);  // reversed on the pressure kind
    EXPECT_EQ(w.dir, M);
    EXPECT_EQ(w.spd, M);
    w = mean_of(sm, 103, 6000, 0, -1);  // and on the height kind
    EXPECT_EQ(w.spd, M);
    w = mean_of({}, 100, 1000, 500, -1);
    EXPECT_EQ(w.dir, M);
    w = mean_of({sm[2]}, 100, 1000, 500, 0);  // one level: its wind
    EXPECT_EQ(w.dir, 220);
    w = mean_of(sm, 100, M, 500, -1);  // no bottom
    EXPECT_EQ(w.dir, M);

    w = mean_of(sm, 100, 900, M, 1);  // no top: the wind at the bottom
    EXPECT_EQ(w.dir, 220);
    EXPECT_EQ(w.spd, 20);
    w = mean_of(sm, 103, 1460, 1460, 1);
    EXPECT_EQ(w.spd, 25);
    std::vector<UPA_level> windless = sm;
    windless[2].dir = windless[2].spd = M;
    w = mean_of(windless, 100, 900, M, 1);  // a wind missing at a level: from its neighbours
    EXPECT_NEAR(w.dir, 200 + 40 * std::log(950 / 900.0) / std::log(950 / 850.0), 1e-3);
    windless[0].dir = windless[0].spd = M;
    w = mean_of(windless, 100, 1000, M, 0);  // none at the bottom: not complete
    EXPECT_EQ(w.dir, M);
    w = mean_of({L(1000, 0, M, M, M, M), L(900, 900, M, M, M, M)}, 100, 1000, 900, 0);
    EXPECT_EQ(w.dir, M);

    // Uniform: itself.  Half from 090 and half from 270 (by ln p): the mean of the speeds,
    // although the mean vector is calm.
    std::vector<UPA_level> uniform, opposed;
    for (int k = 0; k < 6; k++) {
        const float p = 1000 * std::pow(0.95f, static_cast<float>(k));
        uniform.push_back(L(p, 450.0f * k, M, M, 270, 20));
    }
    w = mean_of(uniform, 103, 0, 2250, 1);
    EXPECT_NEAR(w.dir, 270, 1e-3);
    EXPECT_NEAR(w.spd, 20, 1e-4);
    for (int k = 0; k < 4; k++)
        opposed.push_back(L(1000 * std::pow(0.95f, static_cast<float>(k)), M, M, M,
                            k < 2 ? 90.0f : 270.0f, 10));
    w = mean_of(opposed, 100, 1000, opposed[3].p, 1);
    EXPECT_NEAR(w.spd, 10, 1e-4);
    EXPECT_EQ(w.dir, 0);  // calm mean vector

    // Above the sounding: the mean of what there is, not complete.
    w = mean_of(uniform, 103, 0, 4000, 0);
    EXPECT_NEAR(w.dir, 270, 1e-3);
    EXPECT_NEAR(w.spd, 20, 1e-4);
}

TEST(UpaWind, MeanWindSkipsStepsWithoutPressure)
{
    // A level without a pressure gives no log-pressure weight: its steps are left out, never
    // turned into NaN; without any pressure nothing is weighed.
    std::vector<UPA_level> lev;
    for (int k = 0; k < 6; k++)
        lev.push_back(L(1000 * std::pow(0.9f, static_cast<float>(k)), 500.0f * k, M, M, 270,
                        10.0f + 10 * k));
    lev[3].p = M;
    WIND w = mean_of(lev, 103, 0, 2500, 1);
    EXPECT_FALSE(std::isnan(w.spd));
    // Segments 0-1, 1-2 and 4-5 count, each ln(1/0.9) thick.
    EXPECT_NEAR(w.spd, ((10 + 20) + (20 + 30) + (50 + 60)) / 6.0, 1e-3);
    for (UPA_level &l : lev) l.p = M;
    w = mean_of(lev, 103, 0, 2500, 0);
    EXPECT_EQ(w.dir, M);
    EXPECT_EQ(w.spd, M);
}

// ---------------------------------------------------------------------------------------------
// Shear
// ---------------------------------------------------------------------------------------------

SHEAR_params shear_of(std::vector<UPA_level> lev, int coord, float bottom, float top, int result,
                      const WIND *storm = nullptr)
{
    SHEAR_params s = {1, 1};
    EXPECT_EQ(shear_layer(lev.data(), static_cast<int>(lev.size()), coord, bottom, top, storm, &s),
              result);
    return s;
}

TEST(UpaWind, ShearEdges)
{
    // Veering steadily: all positive.
    std::vector<UPA_level> veer;
    for (int k = 0; k <= 8; k++)
        veer.push_back(L(M, 500.0f * k, M, M, 180 + 10.0f * k, 20));
    SHEAR_params s = shear_of(veer, 103, 0, 3000, 1);
    EXPECT_EQ(s.neg_shr, 0);
    // Six 10-degree chords of a 20 knot circle, all adding up along an arc of 60 degrees.
    const double r = 20 * UPA_KNOT_MS;
    EXPECT_NEAR(s.pos_shr, 2 * r * std::sin(30 * PI / 180) / 3000, 1e-7);

    // No turn with a speed change, and a turn of exactly 180 degrees: backing.
    const std::vector<UPA_level> turns = {L(M, 0, M, M, 270, 10), L(M, 500, M, M, 270, 20),
                                          L(M, 1000, M, M, 90, 20)};
    s = shear_of(turns, 103, 0, 1000, 1);
    EXPECT_EQ(s.pos_shr, 0);
    EXPECT_NEAR(s.neg_shr, (10 * UPA_KNOT_MS - 40 * UPA_KNOT_MS) / -1000.0, 1e-6);
    const WIND storm = {250, 30};  // a storm motion changes nothing
    SHEAR_params with_storm = shear_of(turns, 103, 0, 1000, 1, &storm);
    EXPECT_EQ(with_storm.neg_shr, s.neg_shr);

    // First level above 5000 m, no levels: 0 with nothing computed.
    std::vector<UPA_level> high = veer;
    for (UPA_level &l : high) l.h += 5001;
    s = shear_of(high, 103, 5001, 8001, 0);
    EXPECT_EQ(s.pos_shr, M);
    s = shear_of({}, 103, 0, 3000, 0);
    EXPECT_EQ(s.neg_shr, M);
    // A bottom below the sounding has no height.
    s = shear_of(veer, 103, -100, 3000, -1);
    EXPECT_EQ(s.pos_shr, M);
    // No wind at all: no step counts.
    std::vector<UPA_level> calm = veer;
    for (UPA_level &l : calm) l.dir = l.spd = M;
    s = shear_of(calm, 103, 0, 3000, 1);
    EXPECT_EQ(s.pos_shr, M);
    EXPECT_EQ(s.neg_shr, M);
    // A top far above: the samples end, nothing hangs.
    s = shear_of(veer, 103, 0, 1e30f, 1);
    EXPECT_FALSE(std::isnan(s.pos_shr));
}

// ---------------------------------------------------------------------------------------------
// The profiler column against numpy
// ---------------------------------------------------------------------------------------------

struct UV {
    float u, v;  // m/s, -9999 missing
};

/// The column the profiler display builds from a report: 20 levels 500 m apart above the ground,
/// the standard-atmosphere pressure at the station elevation plus the height, no temperatures,
/// the wind in knots; calm at the ground when the report has no wind there.
std::vector<UPA_level> profiler_column(float elev, std::vector<UV> uv)
{
    std::vector<UPA_level> col;
    if (VYK_is_miss(uv[0].u)) uv[0] = {0, 0};
    for (int k = 0; k < 20; k++) {
        const float z = 500.0f * k;
        UPA_level l = L(static_cast<float>(
                            1013.25 * std::pow((288.15 - 0.0065 * (elev + z)) / 288.15, 5.25588)),
                        z);
        vect2wind(uv[k].u, uv[k].v, &l.dir, &l.spd);
        if (!VYK_is_miss(l.spd)) l.spd *= KNOTS_PER_MS;
        col.push_back(l);
    }
    return col;
}

/// A report: the wind veers from 160 to 250 degrees up to 3000 m, backs to 230 by 4500 m and
/// veers to 280 by 9500 m, strengthening from 5 to 35 m/s.
std::vector<UV> report_winds()
{
    std::vector<UV> uv;
    for (int k = 0; k < 20; k++) {
        const double z = 500.0 * k;
        const double dir = z <= 3000   ? 160 + 90 * z / 3000
                           : z <= 4500 ? 250 - 20 * (z - 3000) / 1500
                                       : 230 + 50 * (z - 4500) / 5000;
        const double spd = 5 + 30 * z / 9500;
        uv.push_back({static_cast<float>(-spd * std::sin(dir * PI / 180)),
                      static_cast<float>(-spd * std::cos(dir * PI / 180))});
    }
    return uv;
}

/// The reference script's lines for the report and the computations named.
std::vector<std::vector<double>> numpy(float elev, const std::vector<UV> &uv,
                                       const std::string &what)
{
    std::ostringstream in;
    in.precision(9);
    in << elev << "\n";
    for (const UV &w : uv) {
        if (VYK_is_miss(w.u)) in << "nan nan\n";
        else in << w.u << " " << w.v << "\n";
    }
    return reference_numbers("wind_reference.py", what, in.str());
}

TEST(UpaWind, ProfilerColumnPiecesFollowTheirFormulas)
{
    const float elev = 300;
    const std::vector<UV> uv = report_winds();
    const std::vector<UPA_level> col = profiler_column(elev, uv);
    const auto ref = numpy(elev, uv, "column");
    ASSERT_EQ(ref.size(), 1u);
    ASSERT_EQ(ref[0].size(), 60u);
    for (int k = 0; k < 20; k++) {
        SCOPED_TRACE(k);
        EXPECT_NEAR(col[k].p, ref[0][k], 1e-3);
        EXPECT_NEAR(col[k].spd, ref[0][20 + k], 1e-4);
        EXPECT_NEAR(col[k].dir, ref[0][40 + k], 1e-3);
        // The pressure is that of the standard atmosphere at the elevation plus the height.
        EXPECT_NEAR(pres_alt(col[k].p), elev + col[k].h, 0.5);
        // Knots back to m/s through the sounding's own factor.
        EXPECT_NEAR(col[k].spd * UPA_KNOT_MS, std::hypot(uv[k].u, uv[k].v), 1e-3);
    }
}

void expect_against_numpy(const std::vector<UV> &uv)
{
    const float elev = 1500;
    std::vector<UPA_level> col = profiler_column(elev, uv);
    const auto ref = numpy(elev, uv, "mean:0:12 mean:1:8 shear:0:6 shear:2:12 shear:0:19");
    ASSERT_EQ(ref.size(), 5u);
    WIND w;
    EXPECT_EQ(layer_wind_mean(col.data(), 20, 103, 0, 6000, &w), 1);
    EXPECT_NEAR(w.dir, ref[0][0], 1e-3);
    EXPECT_NEAR(w.spd, ref[0][1], 1e-3);
    EXPECT_EQ(layer_wind_mean(col.data(), 20, 101, col[1].p, col[8].p, &w), 1);
    EXPECT_NEAR(w.dir, ref[1][0], 1e-3);
    EXPECT_NEAR(w.spd, ref[1][1], 1e-3);

    const struct {
        int coord;
        float bottom, top;
        int line;
    } layers[] = {{103, 0, 3000, 2}, {106, 0, 3000, 2},         {101, col[0].p, col[6].p, 2},
                  {104, 1000, 6000, 3}, {103, 0, 9500, 4}};
    for (const auto &l : layers) {
        SCOPED_TRACE(l.coord);
        SHEAR_params s;
        EXPECT_EQ(shear_layer(col.data(), 20, l.coord, l.bottom, l.top, nullptr, &s), 1);
        EXPECT_NEAR(s.pos_shr, ref[l.line][0], 1e-6 + 1e-4 * ref[l.line][0]);
        EXPECT_NEAR(s.neg_shr, ref[l.line][1], 1e-6 + 1e-4 * ref[l.line][1]);
    }
}

TEST(UpaWind, MeanWindAndShearMatchNumpy)
{
    const std::vector<UV> uv = report_winds();
    expect_against_numpy(uv);
    // Without a wind at 2000 m: the mean passes over the level, the shear samples the wind
    // between its neighbours.
    std::vector<UV> holed = uv;
    holed[4] = {M, M};
    expect_against_numpy(holed);
}

TEST(UpaWind, ProfilerShearAndHelicityOfADecodedLayer)
{
    // The profiler's road: the layer of its variable, the storm motion from the 0-6000 m mean
    // turned 30 degrees right at 75 %, shear without a storm motion.
    const std::vector<UV> uv = report_winds();
    std::vector<UPA_level> col = profiler_column(300, uv);
    const VAR_data var = level_var("a0-3000");
    int coord;
    float bottom, top, thick;
    ASSERT_EQ(UPA_level_decode(&var, &coord, &bottom, &top, &thick), 2);
    WIND mean;
    ASSERT_EQ(layer_wind_mean(col.data(), 20, 103, 0, 6000, &mean), 1);
    WIND storm = {mean.dir + 30, mean.spd * 0.75f};
    if (storm.dir > 360) storm.dir -= 360;
    HELICITY_params h;
    EXPECT_EQ(helicity(col.data(), 20, coord, bottom, top, &storm, &h), 1);
    EXPECT_GT(h.tot_hel, 0);  // veering with height
    EXPECT_NEAR(h.ave_hel, h.tot_hel / 3000, 1e-6);
    SHEAR_params s;
    EXPECT_EQ(shear_layer(col.data(), 20, coord, bottom, top, nullptr, &s), 1);
    const auto ref = numpy(300, uv, "shear:0:6");
    EXPECT_NEAR(s.pos_shr, ref[0][0], 1e-6);
}

TEST(UpaWind, BulkRichardsonNumber)
{
    std::vector<UPA_level> lev;
    for (int k = 0; k <= 16; k++) {
        const float h = 500.0f * k;
        lev.push_back(L(static_cast<float>(1013.25 * std::pow(1 - h / 44330.8, 5.25588)), h, M,
                        M, 270, 10.0f + 3 * k));
    }
    float brn, shear;
    EXPECT_EQ(bulk_richardson(lev.data(), 17, 103, 0, 1000, &brn, &shear), 0);
    EXPECT_GT(shear, 0);
    EXPECT_NEAR(brn, 1000 / (0.5 * shear * shear), 1e-3);
    EXPECT_EQ(bulk_richardson(lev.data(), 17, 103, 0, 0, &brn, &shear), 0);
    EXPECT_EQ(brn, 0);
    EXPECT_EQ(bulk_richardson(lev.data(), 17, 103, 0, M, &brn, &shear), 0);
    EXPECT_EQ(brn, M);
    for (UPA_level &l : lev) l.spd = 20;  // identical means (but for rounding): no shear
    EXPECT_EQ(bulk_richardson(lev.data(), 17, 103, 0, 1000, &brn, &shear), 0);
    EXPECT_LT(shear, 1e-5);
    EXPECT_EQ(brn, M);
    // No wind in the lowest 500 m: the low mean has none, and no shear is made up from it.
    std::vector<UPA_level> high_winds = lev;
    high_winds[0].dir = high_winds[1].dir = M;
    EXPECT_EQ(bulk_richardson(high_winds.data(), 17, 103, 0, 1000, &brn, &shear), -1);
    EXPECT_EQ(shear, M);
    EXPECT_EQ(brn, M);
    EXPECT_EQ(bulk_richardson(lev.data(), 0, 103, 0, 1000, &brn, &shear), -1);
    EXPECT_EQ(shear, M);
    EXPECT_EQ(bulk_richardson(lev.data(), 17, 103, -100, 1000, &brn, &shear), -1);
}

}  // namespace
