// The current sounding: its values before any load (what the profiler display decodes against),
// installing soundings with the surface level and the storm motion they give, the parcel and
// paging options, the working limit of 300 levels.
#include "sounding_fixture.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace sndtest;

namespace {

void expect_special_start(const UPA_level *lev)
{
    EXPECT_EQ(lev->p, M);
    EXPECT_EQ(lev->h, M);
    EXPECT_EQ(lev->t, M);
    EXPECT_EQ(lev->td, M);
    EXPECT_EQ(lev->dir, M);
    EXPECT_EQ(lev->spd, 0);  // calm, not missing
}

/// A wind sounding of one wind at every height from the ground to 8000 m.
std::vector<UPA_level> uniform_wind(float dir, float spd)
{
    std::vector<UPA_level> lev;
    for (int i = 0; i <= 16; i++) {
        const float h = 500.0f * i;
        lev.push_back(L(1013.25f * std::pow(1 - h / 44330.8f, 5.25588f), h, 15, 10, dir, spd));
    }
    return lev;
}

TEST(Therm, StartsWithNothingLoaded)
{
    EXPECT_EQ(THERM_get_SM(), nullptr);
    EXPECT_EQ(THERM_get_WM(), nullptr);
    EXPECT_EQ(THERM_get_SM_num(), 0);
    EXPECT_EQ(THERM_get_WM_num(), 0);
    expect_special_start(THERM_get_sfc());
    expect_special_start(THERM_get_trop());
    expect_special_start(THERM_get_mwnd());
    expect_special_start(THERM_get_parcel());
    EXPECT_EQ(THERM_get_storm().dir, 0);
    EXPECT_EQ(THERM_get_storm().spd, 0);
    EXPECT_EQ(THERM_get_par_type(), THERM_PAR_LAYER);
    EXPECT_EQ(THERM_get_par_thick(), 100);
    for (int ltype : {1, 100, 103, 104, 105, 113}) EXPECT_EQ(THERM_get_sfc_level(ltype), M);
}

TEST(Therm, SettersCopyAndGettersSeeLaterChanges)
{
    UPA_level *trop = THERM_get_trop();
    const UPA_level t = L(200, 11800, -56, -66, 270, 60);
    THERM_set_trop(&t);
    EXPECT_EQ(trop->h, 11800);  // the address handed out sees the change
    EXPECT_EQ(trop->spd, 60);
    const UPA_level w = L(300, 9200, -44, -55, 265, 120);
    THERM_set_mwnd(&w);
    EXPECT_EQ(THERM_get_mwnd()->dir, 265);
    const WIND storm = {250, 25};
    THERM_set_storm(&storm);
    EXPECT_EQ(THERM_get_storm().dir, 250);
    EXPECT_EQ(THERM_get_storm().spd, 25);
}

TEST(Therm, InstallingInterpolatesTheSurface)
{
    load(sample_sm(), 975);
    EXPECT_EQ(THERM_get_SM_num(), 9);
    EXPECT_EQ(THERM_get_WM_num(), 9);
    const UPA_level *sfc = THERM_get_sfc();
    EXPECT_EQ(sfc->p, 975);
    const double f = std::log(975.0 / 1000) / std::log(950.0 / 1000);
    EXPECT_NEAR(sfc->h, 100 + 440 * f, 1e-2);
    EXPECT_NEAR(sfc->t, 20 - 4 * f, 1e-4);
    EXPECT_EQ(THERM_get_sfc_level(103), sfc->h);
    EXPECT_EQ(THERM_get_sfc_level(104), sfc->h);
    EXPECT_EQ(THERM_get_sfc_level(105), 975);  // only 103 and 104 give the height
    EXPECT_NEAR(THERM_get_sfc_level(113), (sfc->t + 273.15) * std::pow(1000 / 975.0, 0.286),
                1e-3);

    // A surface pressure outside the sounding leaves the surface and the storm motion missing.
    load(sample_sm(), 1050);
    EXPECT_EQ(THERM_get_sfc()->p, M);
    EXPECT_EQ(THERM_get_sfc()->h, M);
    EXPECT_EQ(THERM_get_storm().dir, M);
    EXPECT_EQ(THERM_get_storm().spd, M);
}

TEST(Therm, StormMotionTurnsTheMeanWindRight)
{
    const struct {
        float dir, spd, storm_dir, storm_spd;
    } cases[] = {{340, 40, 10, 30}, {330, 40, 360, 30}, {270, 20, 300, 15}, {0, 0, 30, 0}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.dir);
        const std::vector<UPA_level> &wm = keep(uniform_wind(c.dir, c.spd));
        THERM_set_data(wm[0].p, const_cast<UPA_level *>(wm.data()), 17,
                       const_cast<UPA_level *>(wm.data()), 17);
        EXPECT_NEAR(THERM_get_storm().dir, c.storm_dir, 1e-3);
        EXPECT_NEAR(THERM_get_storm().spd, c.storm_spd, 1e-4);
        const WIND other = {1, 1};
        THERM_set_storm(&other);
        THERM_calc_storm();  // the same from the installed wind sounding
        EXPECT_NEAR(THERM_get_storm().dir, c.storm_dir, 1e-3);
    }
    // No wind in the lowest 6000 m: no storm motion.
    std::vector<UPA_level> &calmless = keep(uniform_wind(M, M));
    THERM_set_data(calmless[0].p, calmless.data(), 17, calmless.data(), 17);
    EXPECT_EQ(THERM_get_storm().dir, M);
    EXPECT_EQ(THERM_get_storm().spd, M);
}

TEST(Therm, AtMostThreeHundredLevelsAreInstalled)
{
    std::vector<UPA_level> &big = keep(std::vector<UPA_level>(301, L(500, 5000)));
    MESS_set(MESS_PROG_SET, M_WARN);
    vyktest::CaptureStdio cap;
    THERM_set_data(500, big.data(), 301, nullptr, 5);
    cap.finish();
    EXPECT_EQ(THERM_get_SM_num(), 300);
    EXPECT_EQ(THERM_get_WM_num(), 0);  // no array, no levels
    EXPECT_NE(cap.err().find("THERM_set_data: 301 levels, only the first 300 are used"),
              std::string::npos);
    THERM_set_data(500, big.data(), -4, big.data(), 3);
    EXPECT_EQ(THERM_get_SM_num(), 0);
    EXPECT_EQ(THERM_get_WM_num(), 3);
}

TEST(Therm, ParcelOptionsFromThePlotParameters)
{
    const struct {
        const char *words;
        int type;
        float thick, p, t, td;
    } cases[] = {
        {"par=sfc,nopage", THERM_PAR_SFC, 100, 1000, M, M},
        {"par=layer:50", THERM_PAR_LAYER, 50, 1000, M, M},
        {"par=layer", THERM_PAR_LAYER, 100, 1000, M, M},
        {"par=maxt", THERM_PAR_MAXT, 100, 1000, M, M},
        {"par=850:5:-2", THERM_PAR_USER, 100, 850, 5, -2},
        {"PAR=700:3", THERM_PAR_USER, 100, 700, 3, M},
        {"par=", THERM_PAR_SFC, 100, 1000, M, M},
        {"par", THERM_PAR_SFC, 100, 1000, M, M},
        {"par=:5:1", THERM_PAR_SFC, 100, 1000, 5, 1},
        {"par=layer:30,par=850", THERM_PAR_USER, 30, 850, M, M},  // the later word wins
        {"page,grid", THERM_PAR_USER, 30, 850, M, M},              // no parcel word: kept
        {"par=twentycharacterslong:4", THERM_PAR_SFC, 30, 1000, 4, M},
        {"par=nan:inf", THERM_PAR_SFC, 30, 1000, M, M},
    };
    load(sample_sm());
    for (const auto &c : cases) {
        SCOPED_TRACE(c.words);
        RES_put("plot_param", c.words);
        MESS_set(MESS_PROG_SET, M_NONE);
        THERM_param();
        EXPECT_EQ(THERM_get_par_type(), c.type);
        EXPECT_EQ(THERM_get_par_thick(), c.thick);
        if (c.type == THERM_PAR_USER || c.type == THERM_PAR_SFC) {
            EXPECT_EQ(THERM_get_parcel()->t, c.t);
            EXPECT_EQ(THERM_get_parcel()->td, c.td);
        }
        if (c.type == THERM_PAR_USER) {
            EXPECT_EQ(THERM_get_parcel()->p, c.p);
        }
    }
    // A level that is no number falls back on the surface with a warning.
    RES_put("plot_param", "par=abc");
    MESS_set(MESS_PROG_SET, M_WARN);
    vyktest::CaptureStdio cap;
    THERM_param();
    cap.finish();
    EXPECT_EQ(THERM_get_par_type(), THERM_PAR_SFC);
    EXPECT_NE(cap.err().find("THERM_param: parcel level not known: abc"), std::string::npos);
}

}  // namespace

TEST(Therm, ValueRecordStartsAtZeroAndResetsItsListedFields)
{
    THERM_values *v = THERM_get_values();
    ASSERT_EQ(v, THERM_get_values());
    EXPECT_EQ(v->wmo, 0);
    EXPECT_EQ(v->plcl, 0);
    EXPECT_EQ(v->parcel.Bplus, 0);
    EXPECT_EQ(v->thetae.index, 0);
    v->tlcl = 290;
    v->cap = 2.5f;
    v->parcel.lfc = 850;
    v->k = 30;
    v->wmo = 72469;
    EXPECT_EQ(THERM_init_values(v), 0);
    for (float f : {v->lat, v->lon, v->elev, v->plcl, v->precip, v->thick, v->li, v->si, v->tt,
                    v->k, v->sweat})
        EXPECT_EQ(f, M);
    EXPECT_EQ(v->wmo, M);
    // What the analysis always fills is left for it.
    EXPECT_EQ(v->tlcl, 290);
    EXPECT_EQ(v->cap, 2.5f);
    EXPECT_EQ(v->parcel.lfc, 850);
    EXPECT_EQ(v->frz, 0);
    EXPECT_EQ(THERM_init_values(nullptr), 0);
}
