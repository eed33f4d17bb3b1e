// Printed sounding tables: the report's location, mandatory, significant and wind tables as
// whole texts, the two-column layout for odd and even counts, the wind level table with its
// storm-relative columns, and values too wide for their columns.
#include "sounding_fixture.h"

#include <gtest/gtest.h>

#include <string>

using namespace sndtest;

namespace {

constexpr M_type OUT = M_PRINT_A;

UPA_report report_of(int nsig, int nwnd)
{
    UPA_report r;
    UPA_initialize(&r);
    strfcpy(r.id, "ABC");
    r.wmo = 72469;
    r.lat = 39.77f;
    r.lon = -104.87f;
    r.elev = 1611;
    r.numman = 1;
    r.man[0] = L(838, 1611, 20.4f, 5.2f, 180, 10);
    r.man[4] = L(700, 3142, M, M, 250, 25);
    r.man[22] = L(210, M, -60.1f, -70.3f, 270, 60);
    for (int i = 0; i < nsig; i++)
        r.sig[i] = {838.0f - 100 * i, 20.0f - 10 * i, 5.0f - 10 * i};
    r.numsig = nsig;
    for (int i = 0; i < nwnd; i++)
        r.wnd[i] = {1000.0f * (i + 1), 200.0f + i, 10.0f + i};
    r.numwnd = nwnd;
    return r;
}

}  // namespace

TEST(UpaPrint, ReportTables)
{
    UPA_set_datim("261211/1200");
    const UPA_report r = report_of(5, 0);
    EXPECT_EQ(printed(OUT, [&] { UPA_print_locate(OUT, &r); }),
              "Date:261211/1200\n"
              "Station: ABC\n"
              "WMO ident:  72469\n"
              "Latitude:   39.77\n"
              "Longitude: -104.87\n"
              "Elevation: 1611.00\n");
    // A mandatory slot whose temperature is missing prints the missing value as a number.
    EXPECT_EQ(printed(OUT, [&] { UPA_print_man(OUT, &r); }),
              "STA:   ABC WMO: 72469 LAT:   39.77 LON: -104.87\n"
              "     Press    Height   Temp    Dewpt     Dir    Spd\n"
              "SFC   838.0     1611     20.4     5.2     180     10\n"
              "      700.0     3142  -9999.0 -9999.0     250     25\n"
              "TROP  210.0    -9999    -60.1   -70.3     270     60\n");
    // Five significant levels: rows (0, 3), (1, 4) and level 2 alone.
    EXPECT_EQ(printed(OUT, [&] { UPA_print_sig(OUT, &r); }),
              "STA:   ABC WMO: 72469 LAT:   39.77 LON: -104.87\n"
              "Press    Temp    Dewpt     Press    Temp    Dewpt\n"
              " 838.0     20.0     5.0     538.0    -10.0   -25.0\n"
              " 738.0     10.0    -5.0     438.0    -20.0   -35.0\n"
              " 638.0      0.0   -15.0\n");
    // No wind levels: the header alone.
    EXPECT_EQ(printed(OUT, [&] { UPA_print_wnd(OUT, &r); }),
              "STA:   ABC WMO: 72469 LAT:   39.77 LON: -104.87\n"
              "Height    Dir    Spd     Height    Dir    Spd\n\n");
    // Four levels: rows (0, 2) and (1, 3); the whole report.
    const UPA_report four = report_of(4, 4);
    const std::string all = printed(OUT, [&] { UPA_print_report(OUT, &four); });
    EXPECT_NE(all.find(" 838.0     20.0     5.0     638.0      0.0   -15.0\n"
                       " 738.0     10.0    -5.0     538.0    -10.0   -25.0\n"),
              std::string::npos)
        << all;
    EXPECT_NE(all.find("  1000     200     10      3000     202     12\n"
                       "  2000     201     11      4000     203     13\n\n"),
              std::string::npos)
        << all;
    EXPECT_EQ(all.find("STA:"), std::string::npos);
    // Nothing under a mask that is off.
    EXPECT_EQ(printed(M_PRINT_B, [&] { UPA_print_report(M_DEBUG_D, &four); }), "");
}

TEST(UpaPrint, ValuesTooWideForTheirColumns)
{
    UPA_report r = report_of(1, 1);
    r.man[0].p = 123456789;
    r.sig[0].t = 1e12f;
    r.wnd[0].h = -1e9f;
    r.wmo = 1234567;
    const std::string out = printed(OUT, [&] {
        UPA_print_man(OUT, &r);
        UPA_print_sig(OUT, &r);
        UPA_print_wnd(OUT, &r);
    });
    EXPECT_NE(out.find("SFC  ******     1611"), std::string::npos) << out;
    EXPECT_NE(out.find(" 838.0  *******     5.0\n"), std::string::npos) << out;
    EXPECT_NE(out.find("******     200     10\n"), std::string::npos) << out;
    EXPECT_NE(out.find("WMO: ***** LAT"), std::string::npos) << out;
    // Hostile counts are held to the record's slots.
    r.numsig = 100000;
    r.numwnd = -3;
    const std::string held = printed(OUT, [&] { UPA_print_report(OUT, &r); });
    size_t rows = 0;
    for (size_t at = held.find('\n'); at != std::string::npos; at = held.find('\n', at + 1)) rows++;
    EXPECT_LT(rows, 120u);
}

TEST(UpaPrint, WindLevelTable)
{
    const WIND storm = {0, 10};  // 10 knots from the north
    EXPECT_EQ(printed(OUT, [&] { UPA_print_wind(OUT, OUT, 0, nullptr, &storm); }),
              "\nWind level data\n"
              "   Storm motion:   0 at  10 knt\n"
              "----------------------------------------------------------\n"
              "                   TRUE/GROUND REL   |     STORM REL\n"
              " LEV   P    H    DIR SPD   U     V   | DIR SPD   U     V\n"
              "       mb   m        knt     m/s     |     knt     m/s\n"
              "----------------------------------------------------------\n");
    EXPECT_EQ(printed(OUT, [&] { UPA_print_wind(OUT, OUT, 0, nullptr, nullptr); }),
              "\nWind level data\n"
              "------------------------------------\n"
              "                   TRUE/GROUND REL   \n"
              " LEV   P    H    DIR SPD   U     V   \n"
              "       mb   m        knt     m/s     \n"
              "------------------------------------\n");
    // 10 knots from the north: V is -5.1 m/s; relative to a storm moving with it, calm.
    const UPA_level north = L(850, 1500, M, M, 0, 10);
    EXPECT_EQ(printed(OUT, [&] { UPA_print_wind(OUT, OUT, 3, &north, &storm); }),
              "  3   850  1500    0  10  -0.0  -5.1 |   0   0   0.0   0.0 \n");
    // Without a storm direction the row ends after the ground-relative columns; missing values
    // are blanks.
    const WIND none = {M, M};
    const UPA_level gap = L(M, 2000, M, M, 90, 20);
    EXPECT_EQ(printed(OUT, [&] { UPA_print_wind(OUT, OUT, 12, &gap, &none); }),
              " 12        2000   90  20 -10.3   0.0\n");
    // A row needs a storm record.
    EXPECT_EQ(printed(OUT, [&] { UPA_print_wind(OUT, OUT, 1, &north, nullptr); }), "");
    // The storm-relative part goes under its own mask.
    EXPECT_EQ(printed(OUT, [&] { UPA_print_wind(OUT, M_DEBUG_D, 3, &north, &storm); }),
              "  3   850  1500    0  10  -0.0  -5.1");
}
