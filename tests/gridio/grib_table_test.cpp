// GRIB parameter units and predefined grids: the renumbering of ECMWF's local parameters and of
// edition-0 elements, the units of edition 1, the NCEP grids, the old grid variable codes.
#include <gtest/gtest.h>

#include "grib_fixture.h"
#include "test_util.h"
#include "grib_table.h"

#include <cstring>
#include <string>

TEST(GribTable, UnitsAndRenumbering)
{
    struct Case {
        int source, version, var;
        int want_var;
        const char *units;
        int ltype, level;  // -1: as before (3 and 4)
        bool message;      // "Invalid GRIB variable"
    };
    const Case cases[] = {
        {98, 1, 167, 11, "K", 105, 2, false},
        {98, 1, 164, 71, "%", 200, 0, false},
        {98, 1, 151, 1, "Pa", 102, 4, false},  // the level type alone
        {98, 1, 172, 81, "", 3, 4, false},
        {98, 1, 200, 200, "", 3, 4, true},
        {98, 1, 128, 128, "Pa", 3, 4, false},  // not local: the edition-1 table
        {7, 0, 2, 7, "10 m", 3, 4, false},
        {7, 0, 76, 108, "s", 3, 4, false},
        {7, 0, 9, 9, "", 3, 4, true},
        {98, 0, 2, 2, "", 3, 4, false},        // edition 0 of centre 98: no units
        {7, 1, 19300007, 19300007, "m", 3, 4, false},
        {7, 1, 999, 999, "-", 3, 4, false},
        {7, 1, 491, 491, "dBZ", 3, 4, false},
        {7, 1, 11, 11, "K", 3, 4, false},
        {7, 1, 22, 22, "", 3, 4, false},
        {7, 1, 208, 208, "kg-m/m^2-s", 3, 4, false},
        {7, 1, -5, -5, "-", 3, 4, false},
        {7, 2, 7, 7, "", 3, 4, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.source) + " " + std::to_string(c.version) + " " +
                     std::to_string(c.var));
        gribtest::Rec rec;
        rec.r.source = c.source;
        rec.r.version = c.version;
        rec.r.var = c.var;
        rec.r.ltype = 3;
        rec.r.level = 4;
        std::strcpy(rec.r.units, "old");
        vyktest::CaptureStdio cap;
        EXPECT_EQ(GRIB_units(&rec.r), 0);
        cap.finish();
        EXPECT_EQ(rec.r.var, c.want_var);
        EXPECT_STREQ(rec.r.units, c.units);
        EXPECT_EQ(rec.r.ltype, c.ltype);
        EXPECT_EQ(rec.r.level, c.level);
        EXPECT_EQ(cap.err().find("Invalid GRIB variable: " + std::to_string(c.var)) !=
                      std::string::npos,
                  c.message)
            << cap.err();
    }
}

TEST(GribTable, PredefinedGrids)
{
    struct Case {
        int type, proj, nx, ny;
        float dx, dy, clat, clon;
    };
    const Case cases[] = {
        {21, 2, 37, 37, 5, 2.5f, 45, 90},
        {26, 2, 73, 19, 5, 5, -45, 180},
        {50, 2, 36, 33, 2.5f, 1.25f, 40, -96.25f},
        {64, 2, 91, 46, 2, 2, -45, -90},
        {211, 4, 93, 65, 0.8127f, 0.8127f, 40.607f, -100.553f},
        {215, 4, 369, 257, 0.2032f, 0.2032f, 40.607f, -100.553f},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.type);
        Domain d;
        DOM_init(&d);
        EXPECT_EQ(GRIB_set_domain(c.type, &d), 1);
        EXPECT_EQ(d.proj, c.proj);
        EXPECT_EQ(d.nx, c.nx);
        EXPECT_EQ(d.ny, c.ny);
        EXPECT_FLOAT_EQ(d.dx, c.dx);
        EXPECT_FLOAT_EQ(d.dy, c.dy);
        EXPECT_FLOAT_EQ(d.clat, c.clat);
        EXPECT_FLOAT_EQ(d.clon, c.clon);
        if (c.proj == 4) {
            EXPECT_FLOAT_EQ(d.plon, -95);
            EXPECT_FLOAT_EQ(d.param[0], 25);
            EXPECT_FLOAT_EQ(d.param[1], 25);
            EXPECT_FLOAT_EQ(d.param[2], 1);
        } else {
            EXPECT_FLOAT_EQ(d.plon, -9999);
        }
    }
    Domain d, before;
    DOM_init(&d);
    before = d;
    EXPECT_EQ(GRIB_set_domain(5, &d), 1);
    EXPECT_EQ(std::memcmp(&d, &before, sizeof d), 0);
}

TEST(GribTable, OldGridVariableUnits)
{
    EXPECT_STREQ(GRIB_cdf_units(104), "kelvin");
    EXPECT_STREQ(GRIB_cdf_units(15), "celsius");
    EXPECT_STREQ(GRIB_cdf_units(175), "degrees");
    EXPECT_EQ(GRIB_cdf_units(3), nullptr);
}
