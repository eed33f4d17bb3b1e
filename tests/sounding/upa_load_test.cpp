// Loading a report as the current sounding: MetPy's documented sample as a report (surface,
// mandatory and significant levels, tropopause and maximum wind), the station file filling a
// missing elevation, the station identifier and date, winds filled from the wind sounding;
// the sample read from an upper-air file, loaded and reported by upa_tool as a user runs it.
#include "sounding_fixture.h"
#include "upa_file_fixture.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace sndtest;

namespace {

/// The level of the current temperature sounding at pressure p (nullptr when none).
const UPA_level *sm_level(float p)
{
    for (int i = 0; i < THERM_get_SM_num(); i++)
        if (THERM_get_SM()[i].p == p) return &THERM_get_SM()[i];
    return nullptr;
}

TEST(UpaLoad, SampleReportBecomesTheCurrentSounding)
{
    UPA_report r = metpy_report();
    ASSERT_EQ(UPA_merge_report(&r), 1);
    const std::vector<UPA_level> s = metpy_sample();
    const std::vector<double> h = metpy_heights();
    // The tropopause takes the place of the 100 mb level; the maximum wind is a level of its own.
    ASSERT_EQ(THERM_get_SM_num(), static_cast<int>(s.size()) + 1);
    for (size_t i = 0; i < s.size(); i++) {
        SCOPED_TRACE(s[i].p);
        const UPA_level *lev = sm_level(s[i].p);
        ASSERT_NE(lev, nullptr);
        EXPECT_FLOAT_EQ(lev->t, s[i].t);
        EXPECT_FLOAT_EQ(lev->td, s[i].td);
        // Significant levels get hydrostatic heights between the mandatory ones.
        EXPECT_NEAR(lev->h, h[i], 15);
    }

    // The surface: the report's first level at its elevation.
    const UPA_level *sfc = THERM_get_sfc();
    EXPECT_EQ(sfc->p, 1008);
    EXPECT_FLOAT_EQ(sfc->h, METPY_ELEV);
    EXPECT_FLOAT_EQ(sfc->t, 29.3f);
    EXPECT_EQ(r.man[UPA_MAN_SFC].h, METPY_ELEV);

    // Tropopause and maximum wind: from their slots, the heights those levels have in SM.
    const UPA_level *trop = THERM_get_trop();
    EXPECT_EQ(trop->p, 100);
    EXPECT_NEAR(trop->h, h[21], 1);
    EXPECT_EQ(r.man[UPA_MAN_TROP].h, trop->h);
    const UPA_level *mwnd = THERM_get_mwnd();
    EXPECT_EQ(mwnd->p, 260);
    EXPECT_EQ(mwnd->dir, 270);
    EXPECT_EQ(mwnd->spd, 95);
    // Between 300 and 250 mb, in ln p: its height and temperature as SM has them.
    const double f = std::log(300.0 / 260) / std::log(300.0 / 250);
    EXPECT_NEAR(mwnd->h, h[15] + f * (h[16] - h[15]), 15);
    EXPECT_NEAR(mwnd->t, -29.7 + f * (-40 + 29.7), 0.01);
    ASSERT_NE(sm_level(260), nullptr);
    EXPECT_EQ(mwnd->t, sm_level(260)->t);
    EXPECT_EQ(mwnd->h, sm_level(260)->h);
    EXPECT_EQ(r.man[UPA_MAN_MWND].t, mwnd->t);
    EXPECT_EQ(r.man[UPA_MAN_MWND].h, mwnd->h);

    // The lowest 6000 m blow from 240 degrees at 40 knots: the storm moves from 270 at 30.
    EXPECT_NEAR(THERM_get_mean6().dir, 240, 1e-3);
    EXPECT_NEAR(THERM_get_mean6().spd, 40, 1e-3);
    EXPECT_NEAR(THERM_get_storm().dir, 270, 1e-3);
    EXPECT_NEAR(THERM_get_storm().spd, 30, 1e-3);

    // The significant levels, which have no wind of their own, take WM's.
    const UPA_level *l950 = sm_level(950);
    ASSERT_NE(l950, nullptr);
    EXPECT_NEAR(l950->dir, 240, 1e-3);
    EXPECT_NEAR(l950->spd, 40, 1e-3);
    // WM has pressures at every level (filled from the heights).
    for (int i = 0; i < THERM_get_WM_num(); i++) EXPECT_FALSE(VYK_is_miss(THERM_get_WM()[i].p));
}

TEST(UpaLoad, MergeWritesTheComponentsOwnArrays)
{
    // A caller's array installed as both soundings is not overwritten by the next merge.
    std::vector<UPA_level> &mine = keep(sample_sm());
    const std::vector<UPA_level> before = mine;
    THERM_set_data(1000, mine.data(), 9, mine.data(), 9);
    UPA_report r = metpy_report();
    ASSERT_EQ(UPA_merge_report(&r), 1);
    EXPECT_NE(THERM_get_SM(), THERM_get_WM());
    EXPECT_NE(THERM_get_SM(), mine.data());
    for (size_t i = 0; i < mine.size(); i++) EXPECT_EQ(mine[i].p, before[i].p);
    EXPECT_EQ(THERM_get_SM(), THERM_own_SM());
    EXPECT_EQ(THERM_get_WM(), THERM_own_WM());
}

TEST(UpaLoad, ReportWithoutTemperaturesLoadsNothing)
{
    UPA_report good = metpy_report();
    ASSERT_EQ(UPA_merge_report(&good), 1);
    const WIND storm = THERM_get_storm();
    UPA_report r;
    UPA_initialize(&r);
    strfcpy(r.id, "EMPTY");
    r.elev = 10;
    EXPECT_EQ(UPA_merge_report(&r), 0);
    EXPECT_EQ(THERM_get_SM_num(), 0);
    EXPECT_EQ(THERM_get_storm().dir, storm.dir);  // the rest stays the previous sounding's
    EXPECT_EQ(UPA_merge_report(nullptr), 0);
}

TEST(UpaLoad, MissingElevationComesFromTheStationFile)
{
    RES_put("file_path", VYK_SOURCE_DIR "/etc");
    UPA_report r = metpy_report();
    strfcpy(r.id, "LMNO2");  // Lamont, OK: 306 m, WMO 74533 in upa.cty
    r.elev = M;
    r.wmo = M;
    ASSERT_EQ(UPA_merge_report(&r), 1);
    EXPECT_EQ(r.elev, 306);
    EXPECT_EQ(r.wmo, 74533);
    EXPECT_NEAR(r.lat, 36.69, 1e-4);
    EXPECT_NEAR(r.lon, -97.48, 1e-4);
    EXPECT_EQ(r.man[UPA_MAN_SFC].h, 306);

    // A station the file does not hold keeps its elevation missing; the merge goes on.
    UPA_report u = metpy_report();
    strfcpy(u.id, "NOWHERE");
    u.elev = M;
    EXPECT_EQ(UPA_merge_report(&u), 1);
    EXPECT_EQ(u.elev, M);
}

TEST(UpaLoad, NoSurfaceEntryLoadsAt1000Mb)
{
    UPA_report r = metpy_report();
    r.man[UPA_MAN_SFC] = L(M, M);
    ASSERT_EQ(UPA_merge_report(&r), 1);
    EXPECT_EQ(THERM_get_sfc()->p, 1000);
    EXPECT_FLOAT_EQ(THERM_get_sfc()->t, 28.1f);
}

TEST(UpaLoad, IdentifierAndDate)
{
    EXPECT_STREQ(THERM_get_id(), "");
    EXPECT_EQ(THERM_get_wmo(), 0);
    // Set before loading: the load resets the WMO number.
    THERM_set_id("MTPY", 99001);
    UPA_report r = metpy_report();
    ASSERT_EQ(UPA_merge_report(&r), 1);
    EXPECT_EQ(THERM_get_wmo(), M);
    EXPECT_STREQ(THERM_get_id(), "MTPY");
    // Set after loading: kept.
    THERM_set_id("MTPY", 99001);
    EXPECT_EQ(THERM_get_wmo(), 99001);

    // The identifier is the file-name key 'i'; at most 19 characters are kept.
    THERM_set_id("ABCDEFGHIJKLMNOPQRSTUVWXYZ", 1);
    EXPECT_STREQ(THERM_get_id(), "ABCDEFGHIJKLMNOPQRS");
    char key[FILE_KEY_MAX + 1];
    FILE_get_key('i', key);
    EXPECT_STREQ(key, "ABCDEFGHIJKLMNOPQRS");
    // An identifier read from data never names another directory.
    MESS_set(MESS_PROG_SET, M_NONE);
    THERM_set_id("../../etc/x", 1);
    EXPECT_STREQ(THERM_get_id(), "../../etc/x");
    FILE_get_key('i', key);
    EXPECT_STREQ(key, "______etc_x");

    // The date: every field 0 at start; NULL copies the current file date.
    EXPECT_EQ(THERM_get_date().year, 0);
    EXPECT_EQ(THERM_get_date().hour, 0);
    Date d;
    DATE_init(&d);
    d.year = 2024;
    d.month = 5;
    d.day = 4;
    d.hour = 12;
    FILE_set_file_date(&d);
    THERM_set_date(nullptr);
    EXPECT_EQ(THERM_get_date().year, 2024);
    EXPECT_EQ(THERM_get_date().hour, 12);
    d.hour = 0;
    FILE_set_file_date(&d);  // a later change of the file date leaves the stored one
    EXPECT_EQ(THERM_get_date().hour, 12);
    THERM_set_date(&d);
    EXPECT_EQ(THERM_get_date().hour, 0);
}

TEST(UpaLoad, WindsFilledOnlyWhereTheDirectionIsMissing)
{
    std::vector<UPA_level> sm = {L(1000, 100, 20, 10, M, 15),  // speed without direction
                                 L(900, 1000, 15, 5, 200, M),  // direction without speed: kept
                                 L(800, 2000, 10, 0, M, M),    // between WM levels
                                 L(300, 9000, -40, -50, M, M)};  // above WM: missing
    std::vector<UPA_level> wm = {L(1000, 100, M, M, 180, 10), L(900, 1000, M, M, 190, 20),
                                 L(700, 3000, M, M, 220, 30)};
    EXPECT_EQ(UPA_calc_wind(sm.data(), 4, wm.data(), 3), 0);
    EXPECT_EQ(sm[0].dir, 180);
    EXPECT_EQ(sm[0].spd, 10);
    EXPECT_EQ(sm[1].dir, 200);
    EXPECT_EQ(sm[1].spd, M);
    EXPECT_GT(sm[2].dir, 190);
    EXPECT_LT(sm[2].dir, 220);
    EXPECT_GT(sm[2].spd, 20);
    EXPECT_LT(sm[2].spd, 30);
    EXPECT_EQ(sm[3].dir, M);
    EXPECT_EQ(sm[3].spd, M);
    EXPECT_EQ(UPA_calc_wind(nullptr, 4, wm.data(), 3), 0);
}

TEST(UpaLoad, ToolLoadsAStationOfAFileAndPrintsItsReports)
{
    vyktest::TempDir dir;
    const std::string path = dir.file("sample.nc");
    // Both netCDF layouts carry the sample's values as floats.
    for (int kind : {UPA_FILE_CDF_STN, UPA_FILE_CDF_REP}) {
        SCOPED_TRACE(kind);
        UPA_report other = metpy_report();
        strfcpy(other.id, "OTHER");
        for (UPA_level &m : other.man) m.t = VYK_is_miss(m.t) ? m.t : m.t - 5;
        ASSERT_EQ(upatest::write_reports(path, kind, {other, metpy_report()}), 0);
        const vyktest::RunResult r = vyktest::run(
            vyktest::tool("upa_tool") + " -ba -me out3 -id mtpy -pp par=sfc analyse " + vyktest::quote(path));
        ASSERT_EQ(r.status, 0) << r.err;
        // MetPy's values, the storm motion of the sample's winds, every report.
        EXPECT_TRUE(vyktest::has(r.out, "Total Totals Index:       42.67 C Risk: None\n")) << r.out;
        EXPECT_TRUE(vyktest::has(r.out, "K Index:                  35.94   Risk: > 80 % chance of thunderstorms\n"));
        EXPECT_TRUE(vyktest::has(r.out, "  Vertical Totals Index:  22.90 C\n"));
        EXPECT_TRUE(vyktest::has(r.out, "Parcel: using surface\n"));
        EXPECT_TRUE(vyktest::has(r.out, "Mean winds (0-6000m):            240.0 at   40.0 knts\n"));
        EXPECT_TRUE(vyktest::has(r.out, "Storm direction:                 270.0 at   30.0 knts\n"));
        EXPECT_TRUE(vyktest::has(r.out, "\nStorm Parameters\n"));
        EXPECT_FALSE(vyktest::has(r.out, "Press return"));  // batch mode does not stop
    }
    // A station the file does not hold.
    const vyktest::RunResult none =
        vyktest::run(vyktest::tool("upa_tool") + " -ba -id XYZ analyse " + vyktest::quote(path));
    EXPECT_EQ(none.status, 31);
}

}  // namespace
