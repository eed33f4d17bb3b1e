// Layer values of the current sounding for a plot variable: the mean of a named quantity and the
// mean wind over the variable's layer, before and after a sounding is loaded.
#include "sounding_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

using namespace sndtest;

namespace {

VAR_data named_var(const char *name, const char *level)
{
    VAR_data var = level_var(level);
    strfcpy(var.name, name);
    return var;
}

TEST(UpaCalc, NothingLoadedGivesMissingValues)
{
    VAR_data var = named_var("temp", "850");
    RAW_data data;
    RAW_data_init(&data);
    data.value[0] = 5;
    EXPECT_EQ(UPA_calc_layer(&var, &data), 0);
    EXPECT_EQ(data.value[0], M);
    WIND wind = {1, 1};
    EXPECT_EQ(UPA_calc_wind_layer(&var, &wind), 0);
    EXPECT_EQ(wind.dir, M);
    EXPECT_EQ(wind.spd, M);
}

TEST(UpaCalc, LayerMeansOfTheCurrentSounding)
{
    load(sample_sm());
    const std::vector<UPA_level> s = sample_sm();
    const int n = static_cast<int>(s.size());
    struct Case {
        const char *name, *level;
    } cases[] = {{"temp", "850"}, {"temp", "850-700"}, {"rhum", "none"},
                 {"dewp", "1000-500"}, {"temp", "h0-3000"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + c.level);
        VAR_data var = named_var(c.name, c.level);
        RAW_data data;
        RAW_data_init(&data);
        UPA_calc_layer(&var, &data);
        int coord = 0;
        float lev1 = M, lev2 = M, thick = M;
        UPA_level_decode(&var, &coord, &lev1, &lev2, &thick);
        std::vector<UPA_level> copy = s;
        EXPECT_EQ(data.value[0], mean_value(c.name, copy.data(), n, coord, lev1, lev2));
        EXPECT_FALSE(VYK_is_miss(data.value[0]));
    }
    // 850 mb alone: the level's own temperature; 850-700 mb between its ends' 8 and -2 C.
    VAR_data t850 = named_var("temp", "850");
    RAW_data data;
    RAW_data_init(&data);
    UPA_calc_layer(&t850, &data);
    EXPECT_FLOAT_EQ(data.value[0], 8);
    VAR_data layer = named_var("temp", "850-700");
    UPA_calc_layer(&layer, &data);
    EXPECT_GT(data.value[0], -2);
    EXPECT_LT(data.value[0], 8);
    // The whole sounding: from the surface pressure to 500 mb.
    VAR_data whole = named_var("temp", "none");
    UPA_calc_layer(&whole, &data);
    std::vector<UPA_level> copy = s;
    EXPECT_FLOAT_EQ(data.value[0], mean_value("temp", copy.data(), n, 100, 1000, 500));
    // A name that is no quantity.
    VAR_data junk = named_var("nothing", "850");
    UPA_calc_layer(&junk, &data);
    EXPECT_EQ(data.value[0], M);
}

TEST(UpaCalc, LayerMeanWindIsWholeOrMissing)
{
    // A wind sounding of 240 degrees at 40 knots up to 700 mb.
    std::vector<UPA_level> wm = {L(1000, 100, 20, 10, 240, 40), L(850, 1500, 10, 5, 240, 40),
                                 L(700, 3000, 0, -5, 240, 40)};
    std::vector<UPA_level> &kept = keep(wm);
    THERM_set_data(1000, kept.data(), 3, kept.data(), 3);
    VAR_data var = named_var("wind", "1000-700");
    WIND wind;
    UPA_calc_wind_layer(&var, &wind);
    EXPECT_NEAR(wind.dir, 240, 1e-3);
    EXPECT_NEAR(wind.spd, 40, 1e-3);
    // Its top above the wind sounding: the missing wind, not the partial mean.
    VAR_data deep = named_var("wind", "1000-500");
    UPA_calc_wind_layer(&deep, &wind);
    EXPECT_EQ(wind.dir, M);
    EXPECT_EQ(wind.spd, M);
    EXPECT_EQ(UPA_calc_wind_layer(nullptr, &wind), 0);
    EXPECT_EQ(UPA_calc_wind_layer(&var, nullptr), 0);
}

}  // namespace
