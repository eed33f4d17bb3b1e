// Sounding levels and level codes: level words of the variable language decoded into layers
// of the current sounding, before any load (as the profiler display decodes them) and with a
// sounding installed; layers around single levels, mandatory pressures, the freezing level.
#include "sounding_fixture.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace sndtest;

namespace {

struct DecodeCase {
    const char *word;
    int result, coord;
    float lev1, lev2, thick;
};

void expect_decodes(const DecodeCase &c)
{
    SCOPED_TRACE(c.word);
    const VAR_data var = level_var(c.word);
    int coord = 0;
    float lev1 = 0, lev2 = 0, thick = 0;
    EXPECT_EQ(UPA_level_decode(&var, &coord, &lev1, &lev2, &thick), c.result);
    EXPECT_EQ(coord, c.coord);
    EXPECT_FLOAT_EQ(lev1, c.lev1);
    EXPECT_FLOAT_EQ(lev2, c.lev2);
    EXPECT_FLOAT_EQ(thick, c.thick);
}

// Temperature (K) of the lifting condensation level, Bolton (1980) eq. 15, and its pressure on
// the dry adiabat (Poisson, R/cp = 0.2857).
double bolton_lcl_pres(double t, double td, double p)
{
    const double tl = 1.0 / (1.0 / (td - 56.0) + std::log(t / td) / 800.0) + 56.0;
    return p * std::pow(tl / t, 1.0 / 0.2857);
}

TEST(UpaLevel, DecodesLevelsBeforeAnySoundingIsLoaded)
{
    // The profiler display's case: no surface, tropopause or maximum wind, ground at 0 m.
    const DecodeCase cases[] = {
        {"miss", 0, 100, M, M, M},
        {"a0-3000", 2, 106, 0, 3000, M},
        {"a1000-6000", 2, 106, 1000, 6000, M},
        {"500m_ag", 1, 105, 500, M, M},
        {"none", 2, 100, M, 500, M},
        {"sfc", 1, 100, M, M, M},
        {"sfc-500mb", 2, 101, M, 500, M},
        {"trop-50mb", 2, 101, M, M, M},
        {"trop+1000m", 2, 104, M, M, M},
        {"mwnd", 1, 100, M, M, M},
        {"trop", 1, 100, M, M, M},
        {"frz", 1, 100, M, M, M},
        {"lcl", 1, 100, M, M, M},
        {"30mb_ag", 1, 115, M, M, M},      // no surface pressure: no level
        {"0-30mb_ag", 2, 116, M, M, M},    // nor a layer
        {"1000-500", 2, 101, 1000, 500, M},
        {"h0-3000", 2, 104, 0, 3000, M},
        {"850", 1, 100, 850, M, M},
    };
    for (const DecodeCase &c : cases) expect_decodes(c);
    EXPECT_EQ(THERM_get_SM(), nullptr);  // decoding loads nothing
}

TEST(UpaLevel, DecodesLevelsAgainstTheCurrentSounding)
{
    std::vector<UPA_level> sm = sample_sm();
    load(sm);
    const float lcl = lcl_pres(293.15f, 288.15f, 1000);
    EXPECT_NEAR(lcl, bolton_lcl_pres(293.15, 288.15, 1000), 3.0);
    const DecodeCase cases[] = {
        {"none", 2, 100, 1000, 500, M},
        {"sfc", 1, 100, 1000, M, M},
        {"sfc[50]", 1, 100, 1000, M, 50},
        {"mwnd", 1, 100, 300, M, M},
        {"trop", 1, 100, 250, M, M},
        {"frz", 1, 100, 730, M, M},
        {"lcl", 1, 100, lcl, M, M},
        {"sfc-500mb", 2, 101, 1000, 500, M},
        {"maxt-500mb", 2, 101, 1000, 500, M},
        {"sfc[20]-500mb", 2, 101, 1000, 500, 20},
        {"trop-50mb", 2, 101, 250, 200, M},
        {"trop-300mb", 2, 101, M, M, M},       // would reach above 0 mb
        {"500-1000", 2, 101, 1000, 500, M},
        {"trop+1000m", 2, 104, 10400, 11400, M},
        {"trop-1000m", 2, 104, 9400, 10400, M},  // the layer below the tropopause
        {"h0-3000", 2, 104, 0, 3000, M},
        {"a0-3000", 2, 106, 100, 3100, M},     // above the station at 100 m
        {"500m_ag", 1, 105, 600, M, M},
        {"1500m", 1, 103, 1500, M, M},
        {"k300-310", 2, 114, 300, 310, M},
        {"30mb_ag", 1, 115, 970, M, M},
        {"0-30mb_ag", 2, 116, 1000, 970, M},
        {"850", 1, 100, 850, M, M},
    };
    for (const DecodeCase &c : cases) expect_decodes(c);
}

TEST(UpaLevel, TropopauseHeightLayersNeedTheTropopauseHeight)
{
    // The tropopause of a report may carry its pressure without a height: a height layer
    // above it cannot be placed, while a pressure layer can.
    std::vector<UPA_level> sm = sample_sm();
    load(sm);
    const UPA_level no_height = L(250, M);
    THERM_set_trop(&no_height);
    expect_decodes({"trop+1000m", 2, 104, M, M, M});
    expect_decodes({"trop-50mb", 2, 101, 250, 200, M});
    const UPA_level no_pressure = L(M, 10400);
    THERM_set_trop(&no_pressure);
    expect_decodes({"trop+1000m", 2, 104, 10400, 11400, M});
    expect_decodes({"trop-50mb", 2, 101, M, M, M});
}

TEST(UpaLevel, AnyLevelOfALayerTypeGivesNoBounds)
{
    VAR_data var;
    VAR_data_init(&var);
    int coord;
    float l1, l2, thick;
    for (int ltype : {101, 104, 105, 106, 114, 115, 116}) {
        SCOPED_TRACE(ltype);
        var.ltype = ltype;
        var.level = VYK_MISS;
        const int r = UPA_level_decode(&var, &coord, &l1, &l2, &thick);
        EXPECT_EQ(r, ltype == 105 || ltype == 115 ? 1 : 2);
        EXPECT_EQ(coord, ltype);
        EXPECT_EQ(l1, M);
        EXPECT_EQ(l2, M);
    }
}

TEST(UpaLevel, MaximumTemperatureLayer)
{
    VAR_data maxt = level_var("maxt-500mb"), sfc = level_var("sfc-500mb"), p = level_var("500");
    EXPECT_EQ(UPA_is_maxt(&maxt), 1);
    EXPECT_EQ(UPA_is_maxt(&sfc), 0);
    EXPECT_EQ(UPA_is_maxt(&p), 0);
}

TEST(UpaLevel, LayersAroundASingleLevel)
{
    const struct {
        int ltype, level;
        float delta, lev1, lev2;
    } cases[] = {
        {100, 500, 0, 475, 525},  {100, 500, 10, 490, 510}, {103, 1000, 0, 1200, 800},
        {103, 1000, 50, 1050, 950}, {113, 300, -3, 305, 295}, {105, 1000, 0, -1, -1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.ltype);
        VAR_data var;
        VAR_data_init(&var);
        var.ltype = c.ltype;
        var.level = c.level;
        int coord = 77;
        float l1 = -1, l2 = -1;
        EXPECT_EQ(UPA_make_layer(&var, &coord, &l1, &l2, c.delta), 0);
        EXPECT_EQ(l1, c.lev1);
        EXPECT_EQ(l2, c.lev2);
        EXPECT_EQ(coord, 77);
    }
}

TEST(UpaLevel, MandatoryPressures)
{
    const float pressures[] = {1000, 925, 850, 700, 500, 400, 300, 250,
                               200,  150, 100, 70,  50,  30,  20,  10};
    for (int i = 0; i < 16; i++) EXPECT_EQ(UPA_mandatory(pressures[i]), i + 1);
    EXPECT_EQ(UPA_mandatory(920), 0);
    EXPECT_EQ(UPA_mandatory(850.5f), 0);
    EXPECT_EQ(UPA_mandatory(M), 0);
}

TEST(UpaLevel, FreezingLevel)
{
    const struct {
        const char *what;
        std::vector<UPA_level> lev;
        float frz;
    } cases[] = {
        {"crossing", {L(1000, M, 5), L(900, M, -5)}, 950},
        {"cold ground", {L(1000, M, -2), L(900, M, -5)}, -1},
        {"above 500 mb", {L(450, M, 5), L(400, M, -5)}, M},
        {"all warm", {L(1000, M, 25), L(900, M, 15), L(800, M, 5)}, M},
        {"no temperature at the ground", {L(1000, M), L(950, M, 4), L(850, M, -6)}, 910},
        {"inversion", {L(1000, M, -1), L(900, M, 3), L(800, M, -4)}, -1},
        {"first temperature aloft", {L(1000, M), L(480, M, -5), L(400, M, -20)}, M},
        {"level without pressure", {L(1000, M, 5), L(M, M, -3), L(900, M, -5)}, 950},
        {"only the top level", {L(1000, M), L(900, M, -5)}, M},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FLOAT_EQ(freezing_level(c.lev.data(), static_cast<int>(c.lev.size())), c.frz);
    }
    EXPECT_EQ(freezing_level(nullptr, 0), M);
}

}  // namespace
