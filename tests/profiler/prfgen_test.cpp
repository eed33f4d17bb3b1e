// The sample-file generator: 13 hourly files in each netCDF layout and of bulletins (the
// bulletins are checked against eccodes in prf_bufr_test.cpp), the layouts checked by ncdump, the same data read back through both layouts, and winds that look like the
// atmosphere (a veering boundary layer, a jet near 10 km that strengthens, no signal aloft).
#include "test_util.h"
#include "vykprf.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

using vyktest::quote;
using vyktest::read_file;
using vyktest::run;
using vyktest::TempDir;

namespace {

constexpr int FILES = 13, STATIONS = 6;

std::string hour_file(const std::string &dir, const char *layout, int hour)
{
    char name[32];
    snprintf(name, sizeof name, "/%s/20240514%02d.prf", layout, hour);
    return dir + name;
}

void generate(const TempDir &dir, const std::string &args = "")
{
    const auto r = run(quote(VYK_PRFGEN) + " " + args + " " + quote(dir.path()));
    ASSERT_EQ(r.status, 0) << r.err;
}

struct File_reports {
    PRF_info info = {};
    std::vector<PRF_report> reports;
};

File_reports read_all(const std::string &path)
{
    File_reports f;
    int kind = 0;
    const int fd = PRF_open(path.c_str(), 0, &kind);
    EXPECT_NE(fd, -1) << path;
    if (fd == -1)
        return f;
    PRF_getinfo(fd, &f.info);
    PRF_report r;
    while (PRF_read(fd, &r, 0, nullptr) == 1)
        f.reports.push_back(r);
    PRF_close(fd);
    return f;
}

double speed(const PRF_level &l)
{
    return std::hypot(l.u, l.v);
}

/// Meteorological direction (where the wind comes from), degrees.
double direction(const PRF_level &l)
{
    const double d = std::atan2(-l.u, -l.v) * 180.0 / 3.1415926535898;
    return d < 0 ? d + 360 : d;
}

const PRF_level *at_height(const PRF_report &r, float h)
{
    for (int i = 0; i < r.num_levels; i++)
        if (r.lev[i].h == h)
            return &r.lev[i];
    return nullptr;
}

TEST(Prfgen, ThirteenHourlyFilesInEachLayout)
{
    TempDir dir, again;
    generate(dir);
    generate(again);
    for (const char *layout : {"station", "record", "bufr"})
        for (int h = 0; h < FILES; h++) {
            const std::string path = hour_file(dir.path(), layout, h);
            ASSERT_FALSE(read_file(path).empty()) << path;
            EXPECT_EQ(read_file(path), read_file(hour_file(again.path(), layout, h))) << path;
        }
    EXPECT_TRUE(read_file(hour_file(dir.path(), "station", FILES)).empty());

    // The layouts as ncdump shows them.
    const auto st = run("ncdump -h " + quote(hour_file(dir.path(), "station", 0)));
    const auto rc = run("ncdump -h " + quote(hour_file(dir.path(), "record", 0)));
    ASSERT_EQ(st.status, 0) << st.err;
    ASSERT_EQ(rc.status, 0) << rc.err;
    for (const char *line :
         {"station = UNLIMITED ; // (6 currently)", "low_level = 36 ;", "high_level = 36 ;",
          "string_len = 6 ;", "char id(station, string_len) ;", "float lat(station) ;",
          "float lon(station) ;", "int elev(station) ;", "int region(station) ;",
          "float sfc_p(station) ;", "float sfc_t(station) ;", "float sfc_td(station) ;",
          "float sfc_dir(station) ;", "float sfc_spd(station) ;", "float sfc_rain(station) ;",
          "int year(station) ;", "int month(station) ;", "int day(station) ;",
          "int hour(station) ;", "float low_level(low_level) ;", "float high_level(high_level) ;",
          "float low_u_wind(station, low_level) ;", "float low_v_wind(station, low_level) ;",
          "float low_w_wind(station, low_level) ;", "float low_moment2_n(station, low_level) ;",
          "float low_moment2_e(station, low_level) ;", "float low_moment2_v(station, low_level) ;",
          "byte low_qual_indicator(station, low_level) ;",
          "float high_u_wind(station, high_level) ;", "float high_moment2_v(station, high_level) ;",
          "byte high_qual_indicator(station, high_level) ;"})
        EXPECT_NE(st.out.find(std::string("\t") + line + "\n"), std::string::npos) << line;
    for (const char *line :
         {"recNum = UNLIMITED ; // (6 currently)", "level = 72 ;", "staNamLen = 6 ;",
          "char staName(recNum, staNamLen) ;", "float staLat(recNum) ;", "float staLon(recNum) ;",
          "float staElev(recNum) ;", "float pressure(recNum) ;", "float temperature(recNum) ;",
          "float relHumidity(recNum) ;", "float windDirSfc(recNum) ;",
          "float windSpeedSfc(recNum) ;", "float rainRate(recNum) ;", "double timeObs(recNum) ;",
          "float levels(level) ;", "float uComponent(recNum, level) ;",
          "float vComponent(recNum, level) ;", "float wComponent(recNum, level) ;",
          "float windSpeedStdDev(recNum, level) ;", "float wStdDev(recNum, level) ;",
          "byte uvQualityCode(recNum, level) ;"})
        EXPECT_NE(rc.out.find(std::string("\t") + line + "\n"), std::string::npos) << line;
}

TEST(Prfgen, OptionsAndRefusals)
{
    TempDir dir;
    generate(dir, "-s 2023123122 -n 3 -l record");
    EXPECT_FALSE(read_file(dir.file("record/2024010100.prf")).empty());
    EXPECT_TRUE(read_file(dir.file("record/2024010101.prf")).empty());
    EXPECT_TRUE(read_file(dir.file("station/2023123122.prf")).empty());
    EXPECT_TRUE(read_file(dir.file("bufr/2023123122.prf")).empty());
    generate(dir, "-n 1 -l bufr,station");
    EXPECT_FALSE(read_file(dir.file("bufr/2024051400.prf")).empty());
    EXPECT_FALSE(read_file(dir.file("station/2024051400.prf")).empty());
    for (const char *args : {"", "-s 20241301 x", "-n 0 x", "-l both2 x", "-l bufr,x x", "-q x"})
        EXPECT_EQ(run(quote(VYK_PRFGEN) + " " + args).status, 2) << args;
}

TEST(Prfgen, PlausibleWindsInBothLayouts)
{
    TempDir dir;
    generate(dir);
    double jet_first[STATIONS] = {}, jet_last[STATIONS] = {};
    bool quality_dropped = false;
    for (int h = 0; h < FILES; h++) {
        SCOPED_TRACE(h);
        const File_reports st = read_all(hour_file(dir.path(), "station", h));
        const File_reports rc = read_all(hour_file(dir.path(), "record", h));
        ASSERT_EQ(st.reports.size(), size_t{STATIONS});
        ASSERT_EQ(rc.reports.size(), size_t{STATIONS});
        EXPECT_EQ(st.info.date.hour, h);
        EXPECT_EQ(rc.info.date.hour, h);
        EXPECT_EQ(rc.info.date.min, 0);
        for (int s = 0; s < STATIONS; s++) {
            const PRF_report &a = st.reports[s], &b = rc.reports[s];
            SCOPED_TRACE(a.id);
            EXPECT_STREQ(a.id, b.id);
            EXPECT_FLOAT_EQ(a.lat, b.lat);
            EXPECT_FLOAT_EQ(a.lon, b.lon);  // stored west positive in the station layout
            EXPECT_LT(a.lon, -90);
            EXPECT_FLOAT_EQ(a.elev, b.elev);
            EXPECT_FLOAT_EQ(a.pres, b.pres);
            EXPECT_LT(a.dewp, a.temp);
            // The record layout stores the humidity; the dew point derived from it is the
            // station layout's within the rounding of the formulas.
            EXPECT_NEAR(b.dewp, a.dewp, 0.1);
            // 72 levels with the shared 9250 m once.
            ASSERT_EQ(a.num_levels, 71);
            ASSERT_EQ(b.num_levels, 71);
            for (int i = 0; i < 71; i++) {
                ASSERT_FLOAT_EQ(a.lev[i].h, b.lev[i].h);
                ASSERT_TRUE(i == 0 || a.lev[i].h > a.lev[i - 1].h);
                if (!VYK_is_miss(a.lev[i].u) && b.lev[i].q == 10) {
                    EXPECT_FLOAT_EQ(a.lev[i].u, b.lev[i].u);
                }
                if (a.lev[i].q == 9) {  // suspect: kept only where quality is not screened
                    EXPECT_TRUE(VYK_is_miss(a.lev[i].v));
                    EXPECT_FALSE(VYK_is_miss(b.lev[i].v));
                    quality_dropped = true;
                }
            }
            // No signal at the top.
            EXPECT_TRUE(VYK_is_miss(a.lev[70].u) && VYK_is_miss(b.lev[70].u));
            // Veering in and above the boundary layer.
            const PRF_level *low = at_height(a, 500), *mid = at_height(a, 5000);
            ASSERT_TRUE(low && mid);
            if (!VYK_is_miss(low->u) && !VYK_is_miss(mid->u)) {
                const double veer = std::fmod(direction(*mid) - direction(*low) + 360, 360);
                EXPECT_GT(veer, 15);
                EXPECT_LT(veer, 150);
                EXPECT_LT(speed(*low), speed(*mid));
            }
            // The strongest wind lies near 10 km.
            const PRF_level *top = nullptr;
            for (int i = 0; i < b.num_levels; i++)
                if (!VYK_is_miss(b.lev[i].u) && (top == nullptr || speed(b.lev[i]) > speed(*top)))
                    top = &b.lev[i];
            ASSERT_NE(top, nullptr);
            EXPECT_GE(top->h, 8000);
            EXPECT_LE(top->h, 12000);
            (h == 0 ? jet_first : jet_last)[s] = speed(*top);
        }
        // One component out of range: gone in both layouts, the others kept.
        const PRF_level *bad = at_height(rc.reports[2], 1750);
        ASSERT_NE(bad, nullptr);
        EXPECT_TRUE(VYK_is_miss(bad->u));
        EXPECT_FALSE(VYK_is_miss(bad->v));
    }
    EXPECT_TRUE(quality_dropped);
    for (int s = 0; s < STATIONS; s++)
        EXPECT_GT(jet_last[s], jet_first[s] + 15) << s;  // the jet strengthens
}

}  // namespace
