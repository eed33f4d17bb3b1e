// Profiler variables: the wind of a report at a level (exact levels, interpolation, the ends of
// the report, heights above sea level and pressures), each named variable with its units, and
// the 0-3 km shear and helicity of a column against analytic hodographs.
#include <gtest/gtest.h>

#include "dadodu.h"
#include "vykprf.h"
#include "vect.h"

#include <cmath>
#include <cstring>
#include <string>

namespace {

constexpr float M = VYK_MISS;
constexpr double PI = 3.14159265358979323846;

/// A report at 300 m with levels every 250 m from 250 m to 5000 m: u = 0.001 h, v = 2 - 0.002 h
/// and w = 0.1 at every level; surface wind from 90 degrees at 5 m/s, 12 C, dew point 8 C.
PRF_report sample_report()
{
    PRF_report r;
    PRF_initialize(&r);
    strfcpy(r.id, "PLTC2");
    r.elev = 300;
    r.temp = 12;
    r.dewp = 8;
    r.dir = 90;
    r.spd = 5;
    for (int k = 0; k < 20; k++) {
        PRF_level &l = r.lev[k];
        l.h = 250.0f * static_cast<float>(k + 1);
        l.u = 0.001f * l.h;
        l.v = 2 - 0.002f * l.h;
        l.w = 0.1f;
    }
    r.num_levels = 20;
    return r;
}

VAR_data variable(const char *name, int ltype, int level, const char *units = "")
{
    VAR_data v;
    VAR_data_init(&v);
    strfcpy(v.name, name);
    strfcpy(v.units, units);
    v.ltype = ltype;
    v.level = level;
    return v;
}

TEST(PrfVar, WindAtALevel)
{
    const PRF_report r = sample_report();
    float su, sv;
    wind2vect(90, 5, &su, &sv);
    const struct {
        const char *what;
        int ltype;
        long level;
        int result;
        float u, v, w;  // M: expected missing
    } rows[] = {
        {"at a level", 105, 500, 1, 0.5f, 1.0f, 0.1f},
        {"halfway 500-750", 105, 625, 1, 0.625f, 0.75f, 0.1f},
        {"1 m above a level", 105, 501, 1, 0.501f, 0.998f, 0.1f},
        {"the top level", 105, 5000, 1, 5.0f, -8.0f, 0.1f},
        {"above the top", 105, 5001, 0, M, M, M},
        {"below the lowest level", 105, 100, 0, M, M, M},
        {"above sea level: 1500 - 300", 103, 1500, 1, 1.2f, -0.4f, 0.1f},
        {"above sea level below the ground", 103, 200, 0, M, M, M},
        {"surface", 1, 0, 1, su, sv, 0},
        {"0 m above the ground", 105, 0, 1, su, sv, 0},
        {"another level type in metres", 106, 1000, 1, 1.0f, 0.0f, 0.1f},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        float u = 1, v = 1, w = 1;
        EXPECT_EQ(PRF_get_level(&r, row.ltype, row.level, &u, &v, &w), row.result);
        for (auto [got, want] : {std::pair{u, row.u}, {v, row.v}, {w, row.w}}) {
            if (want == M) EXPECT_EQ(got, M);
            else EXPECT_NEAR(got, want, 1e-5);
        }
    }
}

TEST(PrfVar, PressureLevelsAreHeightsAboveTheGround)
{
    // The standard-atmosphere height of 850 mb, less the station's elevation.
    const PRF_report r = sample_report();
    const float h = std::trunc(pres_alt(850) - 300);
    ASSERT_GT(h, 250);
    ASSERT_LT(h, 5000);
    float u, v, w;
    EXPECT_EQ(PRF_get_level(&r, 100, 850, &u, &v, &w), 1);
    EXPECT_NEAR(u, 0.001f * h, 1e-4);
    EXPECT_NEAR(v, 2 - 0.002f * h, 1e-4);
}

TEST(PrfVar, MissingPiecesStayMissing)
{
    PRF_report r = sample_report();
    r.lev[2].u = M;  // 750 m
    float u, v, w;
    EXPECT_EQ(PRF_get_level(&r, 105, 625, &u, &v, &w), 1);
    EXPECT_EQ(u, M);
    EXPECT_NEAR(v, 0.75f, 1e-5);
    // Without the elevation a height above sea level has no place in the report.
    r.elev = M;
    EXPECT_EQ(PRF_get_level(&r, 103, 1500, &u, &v, &w), 0);
    EXPECT_EQ(u, M);
    // A missing surface wind.
    r.spd = M;
    EXPECT_EQ(PRF_get_level(&r, 1, 0, &u, &v, &w), 1);
    EXPECT_EQ(u, M);
    EXPECT_EQ(v, M);
    // No levels at all.
    r.num_levels = 0;
    EXPECT_EQ(PRF_get_level(&r, 105, 500, &u, &v, &w), 0);
}

TEST(PrfVar, EachVariableWithItsUnits)
{
    RES_put("file_path", VYK_SOURCE_DIR "/etc");  // the unit conversions
    const PRF_report r = sample_report();
    // The wind at 1000 m: u 1, v 0 m/s, from 270 degrees.
    const struct {
        const char *name;
        int ltype, level;
        const char *units;     // asked for
        float v0, v1;          // expected values (M: missing)
        const char *text;      // expected data text
        const char *units_out; // the variable's units afterwards
    } rows[] = {
        {"city", 105, 1000, "", M, M, "PLTC2", ""},
        {"temp", 1, 0, "", 12, M, "", "C"},
        {"temp", 105, 1000, "", M, M, "", "C"},
        // The ground row of a time-height section (0 m above the ground) is the surface.
        {"temp", 105, 0, "", 12, M, "", "C"},
        {"dewp", 105, 0, "", 8, M, "", "C"},
        {"temp", 1, 0, "K", 285.15f, M, "", "K"},
        {"dewp", 1, 0, "", 8, M, "", "C"},
        {"dewd", 1, 0, "", 4, M, "", "dC"},
        {"dewd", 105, 500, "", M, M, "", "dC"},
        {"wdir", 105, 1000, "", 270, M, "", "deg"},
        {"wspd", 105, 1000, "", 1.944f, M, "", "knt"},
        {"WSPD-extra", 105, 1000, "", 1.944f, M, "", "knt"},
        {"wspd", 105, 1000, "m/s", 1, M, "", "m/s"},
        {"wbrb", 105, 1000, "knt", 270, 1.944f, "", "knt"},
        {"wbrb", 105, 1000, "m/s", 270, 1, "", "m/s"},
        // Without units a barb takes its default units: knots, as barbs are drawn.
        {"wbrb", 105, 1000, "", 270, 1.944f, "", "knt"},
        {"wbrbc", 105, 1000, "", 270, 1.944f, "", "knt"},
        {"wind", 105, 1000, "", 270, 1.944f, "", "knt"},
        {"uwnd", 105, 1000, "", 1, M, "", "m/s"},
        {"vwnd", 105, 500, "", 1, M, "", "m/s"},
        {"vvel", 105, 500, "", 0.1f, M, "", "m/s"},
        {"other", 105, 500, "", M, M, "", ""},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string(row.name) + " " + row.units);
        VAR_data var = variable(row.name, row.ltype, row.level, row.units);
        RAW_data d;
        RAW_data_init(&d);
        d.type = VAR_T_VALUE;
        strfcpy(d.data, "old");
        d.value[0] = d.value[1] = 5;
        EXPECT_EQ(PRF_get_data(&r, &var, &d), 1);
        for (auto [got, want] : {std::pair{d.value[0], row.v0}, {d.value[1], row.v1}}) {
            if (want == M) EXPECT_EQ(got, M);
            else EXPECT_NEAR(got, want, 1e-3);
        }
        EXPECT_STREQ(d.data, row.text);
        EXPECT_STREQ(var.units, row.units_out);
        EXPECT_EQ(d.type, VAR_T_VALUE);  // position, type and format are not touched
        EXPECT_EQ(PRF_is_variable(&var), std::string(row.name) != "other");
    }
}

TEST(PrfVar, DefaultUnits)
{
    const struct {
        const char *name, *units, *expected;
    } rows[] = {
        {"city", "", ""},     {"temp", "", "C"},     {"dewp", "", "C"},    {"dewd", "", "dC"},
        {"wdir", "", "deg"},  {"wspd", "", "knt"},   {"wbrbc", "", "knt"}, {"wbrb", "", "knt"},
        {"wind", "", "knt"},  {"uwnd", "", "m/s"},   {"vwnd", "", "m/s"},  {"vvel", "", ""},
        {"shear", "", ""},    {"hel", "", ""},       {"Wbrb-1", "", "knt"}, {"wspd", "m/s", "m/s"},
    };
    for (const auto &row : rows) {
        VAR_data var = variable(row.name, 105, 500, row.units);
        EXPECT_EQ(PRF_get_var(&var), 1);
        EXPECT_STREQ(var.units, row.expected) << row.name;
    }
}

/// A report whose winds (speed spd(h) m/s from direction dir(h)) lie every 500 m up to 9500 m,
/// with the surface wind at 0 m.
template <class Dir, class Spd> PRF_report column_report(Dir dir, Spd spd)
{
    PRF_report r;
    PRF_initialize(&r);
    strfcpy(r.id, "COL");
    r.elev = 200;
    r.dir = static_cast<float>(dir(0.0));
    r.spd = static_cast<float>(spd(0.0));
    for (int k = 1; k < 20; k++) {
        PRF_level &l = r.lev[k - 1];
        l.h = 500.0f * static_cast<float>(k);
        wind2vect(static_cast<float>(dir(l.h)), static_cast<float>(spd(l.h)), &l.u, &l.v);
        l.w = 0;
    }
    r.num_levels = 19;
    return r;
}

TEST(PrfVar, ShearOfAStraightHodograph)
{
    // From the west, growing by 0.01 m/s per metre from calm: a shear of 10 (10^-3/s) over any
    // layer, whichever single level the variable names, and the layer written back.
    const PRF_report r = column_report([](double) { return 270.0; }, [](double h) { return 0.01 * h; });
    for (int level : {500, 1500, 4000}) {
        VAR_data var = variable("shear", 105, level);
        RAW_data d;
        RAW_data_init(&d);
        PRF_get_data(&r, &var, &d);
        EXPECT_NEAR(d.value[0], 10, 1e-3) << level;
        EXPECT_EQ(var.ltype, 106);
        EXPECT_EQ(var.level, 30000);
        EXPECT_STREQ(var.units, "10^-3/s");
    }
    // A missing surface wind is taken as calm: the column is not missing.
    PRF_report calm = r;
    calm.dir = calm.spd = M;
    VAR_data var = variable("shear", 105, 500);
    RAW_data d;
    RAW_data_init(&d);
    PRF_get_data(&calm, &var, &d);
    EXPECT_NEAR(d.value[0], 10, 1e-3);
}

TEST(PrfVar, HelicityOfAClosedHodograph)
{
    // 10 m/s turning clockwise through a whole circle from 0 to 3000 m: the hodograph closes,
    // so the storm motion drops out; the 100 m samples make 30 chords of 12 degrees:
    // 30 R^2 sin 12 deg, against pi R^2 of half the swept area.
    const auto dir = [](double h) { return std::fmod(180 + 360 * std::min(h, 3000.0) / 3000, 360.0); };
    const PRF_report r = column_report(dir, [](double) { return 10.0; });
    VAR_data var = variable("hel", 105, 1000);
    RAW_data d;
    RAW_data_init(&d);
    PRF_get_data(&r, &var, &d);
    EXPECT_NEAR(d.value[0], 30 * 100 * std::sin(12 * PI / 180), 0.5);
    EXPECT_NEAR(d.value[0], 2 * PI * 100, 6);
    EXPECT_STREQ(var.units, "m^2/s^2");
    EXPECT_EQ(var.ltype, 106);
    // A layer the variable names is kept.
    VAR_data half = variable("hel", 0, 0);
    VAR_dec_level("a0-1500", &half.ltype, &half.level);
    const int ltype = half.ltype, level = half.level;
    RAW_data h;
    RAW_data_init(&h);
    PRF_get_data(&r, &half, &h);
    EXPECT_EQ(half.ltype, ltype);
    EXPECT_EQ(half.level, level);
    EXPECT_NE(h.value[0], M);
}

}  // namespace
