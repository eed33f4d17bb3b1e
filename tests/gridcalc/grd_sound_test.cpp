// Soundings from grids: a column built from synthetic grids of a grid file equals the grids'
// values at the station (converted to dew points, winds in knots and degrees C); the surface
// inserted by its pressure (converted from its product's units); products the column has no
// level for ignored; too few grids; the pressure step; the caller's array checked.
#include <gtest/gtest.h>

#include "gfile_fixture.h"
#include "test_util.h"
#include "grd_sound.h"

#include <cmath>
#include <string>
#include <vector>

using gfiletest::Prod;

namespace {

constexpr float M = VYK_MISS;

// Products of 3 by 3 points around 40 N 100 W, value = base + 0.1 column + 0.01 row: the
// station at the centre sees base + 0.11.
Prod product(int var, int ltype, int level, const char *units, float base)
{
    Prod p(3, 3);
    p.dom.clat = 40;
    p.dom.clon = -100;
    p.dom.dx = p.dom.dy = 1;
    p.var = var;
    p.ltype = ltype;
    p.level = level;
    p.units = units;
    p.time = 0;
    p.values.clear();
    for (int j = 0; j < 3; j++)
        for (int i = 0; i < 3; i++) p.values.push_back(base + 0.1f * i + 0.01f * j);
    return p;
}

float height(int p) { return 100.0f + (1000 - p) * 10.0f; }
float temp_k(int p) { return 300.0f - (1000 - p) * 0.06f; }

struct Column {
    float sfc_pres = 98000;
    const char *sfc_units = "Pa";
    bool surface = true;
    std::vector<int> extra_levels;  // isobaric levels beyond 1000 to 100 every 50
    int drop = 0;                   // products left out from the end
};

std::vector<Prod> products(const Column &c)
{
    std::vector<Prod> out;
    std::vector<int> levels;
    for (int p = 1000; p >= 100; p -= 50) levels.push_back(p);
    for (int p : c.extra_levels) levels.push_back(p);
    for (int p : levels) {
        out.push_back(product(7, 100, p, "m", height(p)));
        out.push_back(product(11, 100, p, "K", temp_k(p)));
        out.push_back(product(52, 100, p, "%", 80));
        out.push_back(product(33, 100, p, "m/s", 10));
        out.push_back(product(34, 100, p, "m/s", 0));
    }
    if (c.surface) {
        out.push_back(product(1, 1, 0, c.sfc_units, c.sfc_pres));
        out.push_back(product(11, 105, 2, "K", 299));
        out.push_back(product(52, 105, 2, "%", 70));
        out.push_back(product(33, 105, 10, "m/s", 5));
        out.push_back(product(34, 105, 10, "m/s", 0));
    }
    out.resize(out.size() - static_cast<size_t>(c.drop));
    return out;
}

struct Sounding {
    std::vector<UPA_level> levels;
    float sfcp = M;
    int result = -1;
    std::string err;
};

Sounding build(const std::vector<Prod> &prods, int capacity = 42)
{
    RES_put("file_path", VYK_SOURCE_DIR "/etc");
    vyktest::TempDir dir;
    const std::string path = dir.file("model.grd");
    EXPECT_TRUE(gfiletest::write(path, GRD_TEXT, prods, gfiletest::header(3, 3)));
    Sounding s;
    const int fd = gfiletest::open_read(path);
    EXPECT_GE(fd, 0);
    std::vector<UPA_level> sm(static_cast<size_t>(capacity));
    int num = capacity;
    vyktest::CaptureStdio cap;
    s.result = GRD_get_sound(fd, 40, -100, sm.data(), &num, &s.sfcp);
    cap.finish();
    s.err = cap.err();
    GRD_close(fd);
    if (s.result == 1) s.levels.assign(sm.begin(), sm.begin() + num);
    return s;
}

void expect_isobaric(const UPA_level &l, int p)
{
    SCOPED_TRACE(p);
    EXPECT_EQ(l.p, p);
    EXPECT_NEAR(l.h, height(p) + 0.11f, 1e-3);
    const float tk = temp_k(p) + 0.11f;
    EXPECT_NEAR(l.t, tk - 273.15f, 1e-3);
    EXPECT_NEAR(l.td, dew_temp(tk, 80.11f) - 273.15f, 1e-3);
    // u = 10.11 m/s, v = 0.11 m/s: nearly from the west.
    EXPECT_NEAR(l.dir, 270 - std::atan2(0.11, 10.11) * 180 / M_PI, 1e-2);
    EXPECT_NEAR(l.spd, std::hypot(10.11, 0.11) * 1.944, 1e-3);
}

// A surface at 980 mb: the 1000 mb level keeps only its height, the surface follows, then the
// isobaric levels from 950 mb up to 100 mb; the 50 mb level, without data, is gone.
TEST(GrdSound, ColumnEqualsTheGrids)
{
    const Sounding s = build(products({}));
    ASSERT_EQ(s.result, 1) << s.err;
    EXPECT_FLOAT_EQ(s.sfcp, 980.0011f);
    ASSERT_EQ(s.levels.size(), 20u);
    const UPA_level &ground = s.levels[0];
    EXPECT_EQ(ground.p, 1000);
    EXPECT_NEAR(ground.h, height(1000) + 0.11f, 1e-3);
    EXPECT_EQ(ground.t, M);
    EXPECT_EQ(ground.td, M);
    EXPECT_EQ(ground.dir, M);
    EXPECT_EQ(ground.spd, M);
    const UPA_level &sfc = s.levels[1];
    EXPECT_NEAR(sfc.p, 980.0011f, 1e-3);
    EXPECT_NEAR(sfc.t, 299.11f - 273.15f, 1e-3);
    EXPECT_NEAR(sfc.td, dew_temp(299.11f, 70.11f) - 273.15f, 1e-3);
    EXPECT_NEAR(sfc.spd, std::hypot(5.11, 0.11) * 1.944, 1e-3);
    for (int k = 2; k < 20; k++) expect_isobaric(s.levels[static_cast<size_t>(k)], 1050 - 50 * k);
}

// The surface pressure goes through the unit layer: in mb it is taken as it is.
TEST(GrdSound, SurfacePressureInItsUnits)
{
    Column c;
    c.sfc_pres = 980;
    c.sfc_units = "mb";
    const Sounding s = build(products(c));
    ASSERT_EQ(s.result, 1) << s.err;
    EXPECT_NEAR(s.sfcp, 980.11f, 1e-3);
}

// A surface pressure of 1013 mb puts the surface first, with its own values only.
TEST(GrdSound, SurfaceBelowTheFirstLevel)
{
    Column c;
    c.sfc_pres = 101300;
    const Sounding s = build(products(c));
    ASSERT_EQ(s.result, 1) << s.err;
    ASSERT_EQ(s.levels.size(), 20u);
    EXPECT_NEAR(s.levels[0].p, 1013.0011f, 1e-3);
    EXPECT_NEAR(s.levels[0].t, 299.11f - 273.15f, 1e-3);
    expect_isobaric(s.levels[1], 1000);
}

// Without surface products the surface pressure is 1000 and nothing is inserted; isobaric
// products at 975 mb (not on the 50 mb step) and 30 mb (above 50 mb) are ignored.
TEST(GrdSound, LevelsOffTheColumnIgnored)
{
    Column c;
    c.surface = false;
    c.extra_levels = {975, 30};
    const Sounding s = build(products(c));
    ASSERT_EQ(s.result, 1) << s.err;
    EXPECT_EQ(s.sfcp, 1000);
    ASSERT_EQ(s.levels.size(), 19u);
    for (int k = 0; k < 19; k++) expect_isobaric(s.levels[static_cast<size_t>(k)], 1000 - 50 * k);
}

TEST(GrdSound, TooFewGrids)
{
    std::vector<Prod> nine;
    for (int p = 1000; p >= 600; p -= 50) nine.push_back(product(7, 100, p, "m", height(p)));
    ASSERT_EQ(nine.size(), 9u);
    const Sounding s = build(nine);
    EXPECT_EQ(s.result, 0);
    EXPECT_TRUE(vyktest::has(s.err, "GRD_get_sound: Too few grids to make sounding: 9\n")) << s.err;
}

// The 25 mb step: 40 isobaric levels laid out, those without products (975, 925, ... and the
// 25 mb level) removed.
TEST(GrdSound, PressureStep)
{
    GRD_set_sound_dp(30);
    EXPECT_EQ(GRD_get_sound_dp(), 50);
    RES_put("plot_param", "nomap,dpres=25");
    GRD_snd_param();
    EXPECT_EQ(GRD_get_sound_dp(), 25);
    GRD_set_sound_dp(50);
    EXPECT_EQ(GRD_get_sound_dp(), 25);  // only 25 is taken
    Column c;
    c.surface = false;
    c.extra_levels = {975};
    const Sounding s = build(products(c));
    ASSERT_EQ(s.result, 1) << s.err;
    ASSERT_EQ(s.levels.size(), 20u);
    expect_isobaric(s.levels[0], 1000);
    expect_isobaric(s.levels[1], 975);
    expect_isobaric(s.levels[2], 950);
    // A column of 40 levels needs 42 records.
    const Sounding small = build(products(c), 41);
    EXPECT_EQ(small.result, 0);
    EXPECT_TRUE(vyktest::has(small.err, "41 levels do not hold a column of 42")) << small.err;
}

TEST(GrdSound, CallersArrayChecked)
{
    const Sounding s = build(products({}), 21);
    EXPECT_EQ(s.result, 0);
    EXPECT_TRUE(vyktest::has(s.err, "21 levels do not hold a column of 22")) << s.err;
}

}  // namespace
