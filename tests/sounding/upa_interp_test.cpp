// Level lookup and interpolation: whole levels interpolated field by field in pressure, height
// and potential temperature, from the nearest levels that carry each field; requests at, between,
// below and above the levels; the pressure gap rule; directions through north; the working
// limit of 300 levels; filled temperatures; default layer depths.
#include "sounding_fixture.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace sndtest;

namespace {

// A sounding with holes: no dew point at 900 mb, no speed at 800 mb, no temperature at 700 mb.
std::vector<UPA_level> holed()
{
    return {L(1000, 100, 20, 15, 350, 10), L(900, 1000, 14, M, 10, 20),
            L(800, 1950, 8, 2, 40, M),     L(700, 3000, M, M, 90, 40),
            L(500, 5600, -18, -30, 100, 50)};
}

// Linear in ln p between (p1, v1) and (p2, v2), as the textbook log-pressure interpolation.
double lnp(double p, double p1, double v1, double p2, double v2)
{
    return v1 + (v2 - v1) * std::log(p / p1) / std::log(p2 / p1);
}

// Poisson's equation with the exponent of the system's potential temperature.
double theta(double tc, double p) { return (tc + 273.15) * std::pow(1000.0 / p, 0.286); }

struct InterpCase {
    const char *what;
    int coord;
    float request;
    UPA_level expect;
    int index;
};

void expect_level(const UPA_level &got, const UPA_level &want)
{
    const float UPA_level::*fields[] = {&UPA_level::p, &UPA_level::h, &UPA_level::t,
                                        &UPA_level::td, &UPA_level::dir, &UPA_level::spd};
    const char *names[] = {"p", "h", "t", "td", "dir", "spd"};
    for (int f = 0; f < 6; f++) {
        SCOPED_TRACE(names[f]);
        const float w = want.*fields[f], g = got.*fields[f];
        if (w == M) EXPECT_EQ(g, M);
        else if (f == 4) EXPECT_NEAR(std::remainder(g - w, 360.0f), 0, 1e-3);  // 0 is 360
        else EXPECT_NEAR(g, w, 2e-3 * std::max(1.0f, std::fabs(w)));
    }
}

void run_cases(std::vector<UPA_level> lev, const std::vector<InterpCase> &cases)
{
    for (const InterpCase &c : cases) {
        SCOPED_TRACE(c.what);
        UPA_level r;
        std::vector<UPA_level> copy = lev;
        EXPECT_EQ(UPA_interp(copy.data(), static_cast<int>(copy.size()), c.coord, c.request, &r),
                  c.index);
        expect_level(r, c.expect);
    }
}

TEST(UpaInterp, InPressure)
{
    const double p_mid = std::sqrt(1000.0 * 900.0);
    const float td900 = static_cast<float>(lnp(900, 1000, 15, 800, 2));
    const float spd800 = static_cast<float>(lnp(800, 900, 20, 700, 40));
    const float t700 = static_cast<float>(lnp(700, 800, 8, 500, -18));
    const float t_above_rel = static_cast<float>(lnp(600, 800, 8, 500, -18));
    run_cases(holed(), {
        {"at a level: its fields, a missing one from its neighbours", 100, 900,
         L(900, 1000, 14, td900, 10, 20), 1},
        {"at the top level", 100, 500, L(500, 5600, -18, -30, 100, 50), 4},
        {"at the first level", 100, 1000, L(1000, 100, 20, 15, 350, 10), 1},
        {"halfway in ln p; direction through north", 100, static_cast<float>(p_mid),
         L(static_cast<float>(p_mid), 550, 17, static_cast<float>(lnp(p_mid, 1000, 15, 800, 2)),
           360, 15), 1},
        {"speed missing at the level", 100, 800, L(800, 1950, 8, 2, 40, spd800), 2},
        {"temperature missing at the level", 100, 700, L(700, 3000, t700, static_cast<float>(
         lnp(700, 800, 2, 500, -30)), 90, 40), 3},
        {"between levels with a hole", 100, 600,
         L(600, static_cast<float>(lnp(600, 700, 3000, 500, 5600)), t_above_rel,
           static_cast<float>(lnp(600, 800, 2, 500, -30)),
           static_cast<float>(lnp(600, 700, 90, 500, 100)),
           static_cast<float>(lnp(600, 700, 40, 500, 50))), 4},
        {"0.5 % below the ground: the first level", 100, 1005, L(1000, 100, 20, 15, 350, 10), 0},
        {"2 % below the ground: nothing", 100, 1020, L(M, M), 0},
        {"above the top: only the pressure", 100, 400, L(400, M), 5},
        {"missing request", 100, M, L(M, M), 0},
        {"zero pressure", 100, 0, L(M, M), 0},
        {"negative pressure", 101, -5, L(M, M), 0},
        {"unknown codes are pressure", 7, 900, L(900, 1000, 14, td900, 10, 20), 1},
    });
}

// A request exactly at a level takes the level's own fields also when no level on the other
// side has them: a surface dew point above which the sounding has none, a single level.
TEST(UpaInterp, AtALevelWithoutNeighboursForAField)
{
    std::vector<UPA_level> lev = {L(1000, 100, 20, 15, 180, 5), L(900, 1000, 12), L(800, 2000, 6)};
    UPA_level r;
    UPA_interp(lev.data(), 3, 100, 1000, &r);
    expect_level(r, L(1000, 100, 20, 15, 180, 5));
    UPA_interp(lev.data(), 3, 100, 800, &r);
    expect_level(r, L(800, 2000, 6, M, M, M));
    UPA_interp(lev.data(), 3, 100, 950, &r);
    EXPECT_EQ(r.td, M);  // between levels it takes two
    UPA_interp(lev.data(), 1, 103, 100, &r);
    expect_level(r, L(1000, 100, 20, 15, 180, 5));
}

TEST(UpaInterp, InHeight)
{
    const float td1000 = 15 + (2 - 15) * (1000.0f - 100) / (1950 - 100);
    run_cases(holed(), {
        {"at a level", 103, 1000, L(900, 1000, 14, td1000, 10, 20), 1},
        {"halfway: pressure linear in height", 105, 550, L(950, 550, 17, 15 + (2 - 15) * 0.5f *
         900 / 1850, 0, 15), 1},
        {"within 3 m below the ground", 104, 98, L(1000, 100, 20, 15, 350, 10), 0},
        {"more than 3 m below", 106, 90, L(M, M), 0},
        {"above the top: only the height", 103, 6000, L(M, 6000), 5},
    });
}

TEST(UpaInterp, NoPressureAcrossAWideGap)
{
    // 350 mb between two levels: no pressure is made up in the middle of the gap.
    const std::vector<UPA_level> gap = {L(500, 5600, -18, -30, 250, 40),
                                        L(150, 14000, -60, -70, 270, 100)};
    const float f2 = 2.0f / 8400, f1 = 8398.0f / 8400;
    run_cases(gap, {
        {"middle of the gap: all missing", 103, 9800, L(M, M), 1},
        {"2 m above the lower level", 103, 5602,
         L(500, 5602, -18 - 42 * f2, -30 - 40 * f2, 250 + 20 * f2, 40 + 60 * f2), 1},
        {"2 m below the upper level", 103, 13998,
         L(150, 13998, -18 - 42 * f1, -30 - 40 * f1, 250 + 20 * f1, 40 + 60 * f1), 1},
        {"at the upper level", 103, 14000, L(150, 14000, -60, -70, 270, 100), 1},
    });
}

TEST(UpaInterp, DirectionsTurnTheShortWay)
{
    const struct {
        float d1, d2, mid;
    } cases[] = {{350, 10, 360}, {10, 350, 0}, {300, 60, 360}, {90, 270, 180}, {200, 100, 150},
                 {340, 40, 10}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.d1);
        std::vector<UPA_level> lev = {L(1000, 0, M, M, c.d1, 10), L(900, 1000, M, M, c.d2, 10)};
        UPA_level r;
        UPA_interp(lev.data(), 2, 103, 500, &r);
        EXPECT_NEAR(r.dir, c.mid, 1e-3);
    }
}

TEST(UpaInterp, InPotentialTemperature)
{
    // The isentropic kind fills missing temperatures of the caller's sounding first.
    std::vector<UPA_level> lev = holed();
    const double th0 = theta(20, 1000), th1 = theta(14, 900), th2 = theta(8, 800);
    const double mid = (th0 + th1) / 2;
    UPA_level r;
    EXPECT_EQ(UPA_interp(lev.data(), 5, 113, static_cast<float>(mid), &r), 1);
    const float td = static_cast<float>(15 + (2 - 15) * (mid - th0) / (th2 - th0));
    expect_level(r, L(950, 550, 17, td, 0, 15));
    EXPECT_NEAR(lev[3].t, 8 + (-18 - 8) * (700.0f - 800) / (500 - 800), 1e-4);

    // Leading levels without a potential temperature are passed over; a level without one
    // after the first that has one ends the column.
    std::vector<UPA_level> cut = {L(1000, 100), L(900, 1000, 14, 10, 200, 10),
                                  L(800, 1950, 8, 2, 220, 20), L(M, 2500, 5, M, 230, 25),
                                  L(500, 5600, -18, -30, 260, 50)};
    const float th_800 = static_cast<float>(theta(8, 800));
    EXPECT_EQ(UPA_interp(cut.data(), 5, 114, th_800, &r), 2);
    expect_level(r, L(800, 1950, 8, 2, 220, 20));
    EXPECT_EQ(UPA_interp(cut.data(), 5, 114, static_cast<float>(theta(-18, 500)), &r), 3);
    expect_level(r, L(M, M));  // beyond the end of the column
}

TEST(UpaInterp, SeveralRequestsAndTheIndexOfTheLast)
{
    std::vector<UPA_level> lev = holed();
    const float values[] = {950, M, 400, 700};
    UPA_level result[4];
    EXPECT_EQ(UPA_interp_levels(lev.data(), 5, 100, values, result, 4), 3);
    EXPECT_NEAR(result[0].h, lnp(950, 1000, 100, 900, 1000), 1e-3);
    expect_level(result[1], L(M, M));
    expect_level(result[2], L(400, M));
    EXPECT_EQ(result[3].h, 3000);
}

TEST(UpaInterp, SurfaceRequestCopiesTheSurfaceLevel)
{
    std::vector<UPA_level> sm = sample_sm();
    load(sm, 950);
    UPA_level r[2] = {L(1, 1), L(2, 2)};
    const float values[] = {M, M};
    EXPECT_EQ(UPA_interp_levels(sm.data(), 9, 1, values, r, 2), 1);  // the 950 mb level
    expect_level(r[0], sm[1]);
    expect_level(r[1], L(2, 2));  // no other record is touched
    // No room in the caller's array: nothing is written.
    UPA_level guard = L(7, 7);
    EXPECT_EQ(UPA_interp_levels(sm.data(), 9, 1, values, &guard, 0), 0);
    expect_level(guard, L(7, 7));
}

TEST(UpaInterp, AtMostThreeHundredLevelsAreRead)
{
    std::vector<UPA_level> lev;
    for (int i = 0; i < 400; i++) lev.push_back(L(1000 - 2.0f * i, 10.0f * i, 20, M, 270, 10));
    UPA_level r;
    MESS_set(MESS_PROG_SET, M_WARN);
    vyktest::CaptureStdio cap;
    EXPECT_EQ(UPA_interp(lev.data(), 400, 103, 2500, &r), 250);
    EXPECT_EQ(UPA_interp(lev.data(), 400, 103, 3500, &r), 300);  // beyond the levels read
    cap.finish();
    EXPECT_NE(cap.err().find("UPA_interp_levels: 400 levels, only the first 300 are used"),
              std::string::npos);
    expect_level(r, L(M, 3500));
    // Isentropic: 300 K lies at 922 mb (level 39); the column too ends at 300 levels.
    EXPECT_EQ(UPA_interp(lev.data(), 400, 113, 300, &r), 39);
    EXPECT_EQ(UPA_interp(lev.data(), 400, 113, 600, &r), 300);
}

TEST(UpaInterp, FillsTemperaturesLinearInPressure)
{
    std::vector<UPA_level> lev = {L(1000, M), L(900, M, 10), L(850, M), L(800, M),
                                  L(700, M, -5),  L(M, M),    L(500, M, -20), L(400, M)};
    EXPECT_EQ(UPA_calc_temp(lev.data(), 8), 0);
    EXPECT_EQ(lev[0].t, M);  // known only above it
    EXPECT_FLOAT_EQ(lev[2].t, 10 - 15 * 50.0f / 200);
    EXPECT_FLOAT_EQ(lev[3].t, 10 - 15 * 100.0f / 200);
    EXPECT_EQ(lev[5].t, M);  // no pressure to place it by
    EXPECT_EQ(lev[7].t, M);
}

TEST(UpaInterp, LevelCoordinatesAndLayerEnds)
{
    const UPA_level lev = L(500, 5600, -18);
    EXPECT_FLOAT_EQ(UPA_get_level(100, &lev), static_cast<float>(-std::log(500.0)));
    EXPECT_FLOAT_EQ(UPA_get_level(116, &lev), static_cast<float>(-std::log(500.0)));
    EXPECT_EQ(UPA_get_level(105, &lev), 5600);
    EXPECT_NEAR(UPA_get_level(113, &lev), theta(-18, 500), 1e-3);
    EXPECT_EQ(UPA_get_level(7, &lev), M);
    const UPA_level bad = L(0, M);
    EXPECT_EQ(UPA_get_level(100, &bad), M);
    EXPECT_EQ(UPA_get_level(114, &bad), M);

    EXPECT_EQ(UPA_thick_top(100, 850, M), 840);
    EXPECT_EQ(UPA_thick_top(103, 0, M), 50);
    EXPECT_EQ(UPA_thick_top(113, 300, M), 305);
    EXPECT_EQ(UPA_thick_top(101, 850, 50), 800);
    EXPECT_EQ(UPA_thick_top(100, M, 10), M);
    EXPECT_EQ(UPA_thick_bottom(100, 850, M), 870);
    EXPECT_EQ(UPA_thick_bottom(106, 1000, M), 800);
    EXPECT_EQ(UPA_thick_bottom(114, 300, M), 298);
    EXPECT_EQ(UPA_thick_bottom(100, M, 10), M);
    EXPECT_EQ(UPA_thick_top(7, 100, 5), 105);  // other codes: upward, no default depth
    EXPECT_EQ(UPA_thick_top(7, 100, M), M);

    std::vector<UPA_level> sm = sample_sm();
    const int none = VYK_MISS, two = 2;
    EXPECT_EQ(UPA_sfc_pres(sm.data(), &none), 1000);
    EXPECT_EQ(UPA_sfc_pres(sm.data(), &two), 900);
}

TEST(UpaInterp, CurrentSoundings)
{
    const float values[] = {850};
    UPA_level r;
    EXPECT_EQ(UPA_sm_interp(100, values, &r, 1), 0);  // nothing loaded
    expect_level(r, L(M, M));
    std::vector<UPA_level> sm = sample_sm();
    load(sm);
    EXPECT_EQ(UPA_sm_interp(100, values, &r, 1), 3);
    expect_level(r, sm[3]);
    const float heights[] = {1460};
    EXPECT_EQ(UPA_wm_interp(103, heights, &r, 1), 3);
    expect_level(r, sm[3]);
}

}  // namespace
