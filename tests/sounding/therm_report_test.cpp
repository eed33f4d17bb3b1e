// The printed reports of the current sounding: MetPy's documented sample loaded as a report and
// analysed, its index lines and risk words, the wording at each threshold, the parcel, wind and
// storm reports, and the holds of the paged tables.
#include "sounding_fixture.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <sstream>

using namespace sndtest;

namespace {

constexpr double PI_D = 3.14159265358979323846;

void load_sample(const char *plot_param = "nopage")
{
    RES_put("plot_param", plot_param);
    static UPA_report r;
    r = metpy_report();
    ASSERT_EQ(UPA_merge_report(&r), 1);
    THERM_calc();
}

/// The printed line that begins with head ("" when there is none).
std::string line_of(const std::string &text, const std::string &head)
{
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (line.compare(0, head.size(), head) == 0) return line;
    return "";
}

/// The first number after head on its line.
double number_after(const std::string &text, const std::string &head)
{
    const std::string line = line_of(text, head);
    EXPECT_FALSE(line.empty()) << head;
    return line.empty() ? NAN : std::atof(line.c_str() + head.size());
}

size_t count_of(const std::string &text, const std::string &what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) n++;
    return n;
}

/// Standard input from an empty file, so that every hold returns at once.
void no_keys()
{
    const int fd = open("/dev/null", O_RDONLY);
    ASSERT_GE(fd, 0);
    dup2(fd, 0);
    close(fd);
}

TEST(ThermReport, IndicesOfTheSampleSounding)
{
    load_sample();
    const std::string out = printed(M_OUT1 | M_OUT2, [] { THERM_indices(); });
    const std::vector<double> h = metpy_heights();
    EXPECT_NE(out.find("\nSounding variables and indices\n"), std::string::npos);
    EXPECT_NEAR(number_after(out, "1000-500 mb thick:"), h[11] - h[1], 0.006);
    // MetPy's values, as the report words them.
    EXPECT_EQ(line_of(out, "Total Totals Index:"), "Total Totals Index:       42.67 C Risk: None");
    EXPECT_EQ(line_of(out, "  Vertical Totals Index:"), "  Vertical Totals Index:  22.90 C");
    EXPECT_EQ(line_of(out, "  Cross Totals Index:"), "  Cross Totals Index:     19.77 C");
    EXPECT_EQ(line_of(out, "K Index:"),
              "K Index:                  35.94   Risk: > 80 % chance of thunderstorms");
    EXPECT_NEAR(number_after(out, "Showalter Index:"), 0.484, 0.4);
    EXPECT_NE(line_of(out, "Showalter Index:").find("Risk: Thunderstorms probable"),
              std::string::npos);
    // One crossing of 0 C, between 600 and 550 mb, at the sample's heights there.
    const std::string frz = line_of(out, "Freezing level:");
    EXPECT_EQ(count_of(out, "Freezing level:"), 1u);
    const double pfrz = std::atof(frz.c_str() + 15);
    EXPECT_NEAR(pfrz, 600 - 50 * 3.1 / 3.6, 0.01);  // linear in pressure
    const double hfrz = h[9] + (h[10] - h[9]) * (600 - pfrz) / 50;
    EXPECT_NEAR(std::atof(frz.substr(frz.find("mb =") + 4).c_str()), hfrz, 1);
    EXPECT_NEAR(std::atof(frz.substr(frz.find("m =") + 3).c_str()), hfrz * 3.2808, 3.5);
    EXPECT_EQ(line_of(out, "Freezing level:      Surface below freezing"), "");
    EXPECT_NE(line_of(out, "Sfc-Lift cond lev (LCL):"), "");
    EXPECT_NE(line_of(out, "Precipitable water:"), "");
    // The parcel of the start-up choice, the 100 mb mixed layer, which is dry enough to stay
    // colder than the sample all the way up.
    EXPECT_NE(out.find("\nParcel Indices\nParcel: using 100 mb layer\n"), std::string::npos);
    EXPECT_EQ(line_of(out, "Lev Free Conv (LFC):"), "Lev Free Conv (LFC):     none");
    EXPECT_EQ(line_of(out, "Equ Level (EL):"), "");

    // The surface air rises freely from just above its condensation level to near 100 mb.
    load_sample("par=sfc");
    const std::string sfc = printed(M_OUT2, [] { THERM_indices(); });
    const PARCEL_params &pc = THERM_get_values()->parcel;
    EXPECT_NE(sfc.find("\nParcel Indices\nParcel: using surface\n"), std::string::npos);
    EXPECT_NEAR(number_after(sfc, "CAPE (B+):"), pc.Bplus, 0.006);
    EXPECT_GT(pc.Bplus, 1000);
    EXPECT_NEAR(number_after(sfc, "Lift Cond Lev (LCL):"), pc.plcl, 0.006);
    EXPECT_NEAR(number_after(sfc, "Lev Free Conv (LFC):"), pc.lfc, 0.006);
    EXPECT_NEAR(number_after(sfc, "Equ Level (EL):"), pc.el, 0.006);
    EXPECT_GT(pc.el, 100);
    EXPECT_LT(pc.el, 200);
    // The EL's height is the sample's height at that pressure (between 200 and 100 mb).
    const std::string el = line_of(sfc, "Equ Level (EL):");
    const double hel = std::atof(el.substr(el.find("mb =") + 4).c_str());
    EXPECT_GT(hel, h[17]);
    EXPECT_LT(hel, h[21]);
}

TEST(ThermReport, RiskWordsAtTheirThresholds)
{
    struct Case {
        float THERM_values::*field;
        float value;
        const char *line;
    } cases[] = {
        {&THERM_values::li, 2.01f, "Lifted Index:              2.01 C Risk: None"},
        {&THERM_values::li, 2, "Lifted Index:              2.00 C Risk: Showers probable"},
        {&THERM_values::li, -4, "Lifted Index:             -4.00 C Risk: Severe thunderstorms probable"},
        {&THERM_values::li, -3.9f, "Lifted Index:             -3.90 C Risk: Severe thunderstorms possible"},
        {&THERM_values::si, -6, "Showalter Index:          -6.00 C Risk: Severe thunderstorms probable"},
        {&THERM_values::si, 1, "Showalter Index:           1.00 C Risk: Thunderstorms probable"},
        {&THERM_values::si, 3.5f, "Showalter Index:           3.50 C Risk: None"},
        {&THERM_values::tt, 44, "Total Totals Index:       44.00 C Risk: Scattered moderate thunderstorms"},
        {&THERM_values::tt, 54.99f, "Total Totals Index:       54.99 C Risk: Scattered heavy thunderstorms"},
        {&THERM_values::tt, 55, "Total Totals Index:       55.00 C Risk: Severe Thunderstorms probable"},
        {&THERM_values::k, 14, "K Index:                  14.00   Risk: None"},
        {&THERM_values::k, 15, "K Index:                  15.00   Risk: < 20 % chance of thunderstorms"},
        {&THERM_values::k, 29, "K Index:                  29.00   Risk: 40-60 % chance of thunderstorms"},
        {&THERM_values::k, 35, "K Index:                  35.00   Risk: > 80 % chance of thunderstorms"},
        {&THERM_values::sweat, 300, "Sweat Index:             300.00   Risk: Showers and thunderstorms possible"},
        {&THERM_values::sweat, 400, "Sweat Index:             400.00   Risk: Severe Thunderstorms possible"},
        {&THERM_values::ei, 0, "Energy Index:              0.00   Risk: Scattered severe thunderstorms"},
        {&THERM_values::ei, -2, "Energy Index:             -2.00   Risk: Severe Thunderstorms probable"},
        {&THERM_values::ei, 0.5f, "Energy Index:              0.50   Risk: None"},
    };
    load_sample();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line);
        THERM_get_values()->*c.field = c.value;
        const std::string out = printed(M_OUT1 | M_OUT2, [] { THERM_indices(); });
        const std::string head(c.line, std::string(c.line).find(':') + 1);
        EXPECT_EQ(line_of(out, head), c.line);
    }
}

TEST(ThermReport, SpecialLinesAndMissingValues)
{
    load_sample();
    THERM_values &v = *THERM_get_values();
    v.wb0 = -1;
    v.ccl = -1;
    v.parcel.lfc = -1;
    v.precip = M;
    v.tt = M;
    std::string out = printed(M_OUT1 | M_OUT2, [] { THERM_indices(); });
    EXPECT_NE(out.find("Wetbulb zero:        Below ground\n"), std::string::npos);
    EXPECT_NE(out.find("Conv cond level (CCL): None\n"), std::string::npos);
    EXPECT_NE(out.find("Lev Free Conv (LFC):     none\n"), std::string::npos);
    EXPECT_EQ(out.find("Precipitable water"), std::string::npos);  // missing: left out
    EXPECT_EQ(out.find("Total Totals"), std::string::npos);
    EXPECT_EQ(out.find("Vertical Totals"), std::string::npos);

    // A surface below freezing and three crossings of 0 C, from the bottom up.
    std::vector<UPA_level> cold = {L(1000, 100, -2, -4), L(900, 1000, 3, 0),
                                   L(800, 2000, -1, -5), L(700, 3000, 1, -6),
                                   L(500, 5600, -20, -30)};
    load(cold);
    out = printed(M_OUT1, [] { THERM_indices(); });
    EXPECT_EQ(count_of(out, "Freezing level:"), 5u);
    EXPECT_NE(out.find("Freezing level:      Surface below freezing\nFreezing level:          960.00 mb"),
              std::string::npos);
    EXPECT_NE(out.find("Freezing level:          750.00 mb =  2500.00 m =  8202.00 ft\n"),
              std::string::npos);
}

TEST(ThermReport, ParcelHeadings)
{
    const struct {
        const char *words, *heading;
    } cases[] = {
        {"par=sfc", "Parcel: using surface\n"},
        {"par=layer:50", "Parcel: using 50 mb layer\n"},
        {"par=layer", "Parcel: using 100 mb layer\n"},
        {"par=maxt", "Parcel: using max temp\n"},
        {"par=850:5:-2", "Parcel: using P: 850 T: 5.0 TD: -2.0\n"},
        {"par=700", "Parcel: using P: 700 T: 10.1 TD: "},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.words);
        load_sample(c.words);
        const std::string out = printed(M_OUT2_A, [] { THERM_indices(); });
        EXPECT_NE(out.find(std::string("\nParcel Indices\n") + c.heading), std::string::npos);
    }
}

/// Direction and speed (knots) of the inflow: a mean wind less the storm motion.
void inflow(double mdir, double mspd, double sdir, double sspd, double &dir, double &spd)
{
    const double u = -mspd * std::sin(mdir * PI_D / 180) + sspd * std::sin(sdir * PI_D / 180);
    const double v = -mspd * std::cos(mdir * PI_D / 180) + sspd * std::cos(sdir * PI_D / 180);
    spd = std::hypot(u, v) * 0.5144 * 1.944;
    dir = std::fmod(std::atan2(-u, -v) * 180 / PI_D + 360, 360);
}

TEST(ThermReport, WindParametersAndStormTable)
{
    load_sample();
    std::string out = printed(M_OUT2, [] { THERM_wind(); });
    EXPECT_NE(out.find("\nWind Parameters\n"
                       "Mean winds (0-6000m):            240.0 at   40.0 knts\n"
                       "Storm direction:                 270.0 at   30.0 knts\n"),
              std::string::npos);
    EXPECT_NE(out.find("Storm rel helicity (0-3000m) pos:    0.0 neg:"), std::string::npos);
    EXPECT_EQ(line_of(out, "Energy-Hel index:"), "Energy-Hel index:          0.00");
    // No shear between the 0-500 m and 0-6000 m means: no bulk Richardson number.
    EXPECT_EQ(line_of(out, "Bulk Rich Number:"), "");

    out = printed(M_OUT3, [] { THERM_storm_table(); });
    const std::string dashes(79, '-');
    EXPECT_EQ(out.find("\nStorm Parameters\n" + dashes +
                       "\nDepth  Mean    Inflow|    Shear      |           Helicity           | Vorticity\n"
                       " AGL  Dir Spd Dir Spd|  Pos  Neg  Tot|  Pos   Neg   Tot   Ave   Rel |  Hor Strm\n"
                       "  m       knt     knt|     10^-3/s   |       m^2/s^2     m/s^2      | 10^-3/s\n" +
                       dashes + "\n"),
              0u);
    // The lowest 6000 m blow from 240 at 40 knots, the storm moves from 270 at 30.
    double dir, spd;
    inflow(240, 40, 270, 30, dir, spd);
    char expect[64];
    std::snprintf(expect, sizeof expect, "240  40 %3.0f %3.0f| ", dir, spd);
    for (const char *depth : {" 500  ", "1000  ", "3000  ", "6000  "}) {
        SCOPED_TRACE(depth);
        const std::string row = line_of(out, depth);
        EXPECT_EQ(row.substr(0, 6 + std::strlen(expect)), depth + std::string(expect));
    }
    EXPECT_EQ(count_of(out, "\n"), 16u);  // heading and nine rows

    // Without a storm motion the inflow is missing.
    const WIND none = {M, M};
    THERM_set_storm(&none);
    out = printed(M_OUT3, [] { THERM_storm_table(); });
    EXPECT_EQ(line_of(out, " 500  ").substr(0, 27), " 500  240  40 -9999 -9999| ");
}

TEST(ThermReport, StormTableRowsWithoutData)
{
    // A wind sounding that ends at 3500 m: the deeper layers have no mean.
    std::vector<UPA_level> low = {L(1000, 100, 20, 10, 180, 10), L(900, 1000, 15, 5, 200, 20),
                                  L(800, 2000, 10, 0, 220, 30), L(700, 3600, 5, -5, 240, 40)};
    load(low);
    const std::string out = printed(M_OUT3, [] { THERM_storm_table(); });
    EXPECT_EQ(line_of(out, "4000  ").substr(0, 23), "4000   NO DATA       | ");
    EXPECT_EQ(line_of(out, "6000  ").substr(0, 23), "6000   NO DATA       | ");
    EXPECT_NE(line_of(out, "3000  ").substr(6, 9), " NO DATA ");
}

TEST(ThermReport, PagedTablesHold)
{
    no_keys();
    load_sample("page");
    MESS_set_str("line=10");
    ASSERT_EQ(MESS_get_max_lines(), 10);
    const int sm_num = THERM_get_SM_num();  // 31
    std::string out = printed(M_OUT1, [] { THERM_sig_table(); });
    // After levels 6, 16 and 26 (i % 10 == 6), then (31 + 1) % 10 != 6, then always at the end.
    EXPECT_EQ(count_of(out, "Press return to continue\n"), 4u);
    EXPECT_EQ(sm_num, 31);
    EXPECT_NE(out.find("Press return to continue\n"), std::string::npos);
    EXPECT_EQ(out.rfind("Press return to continue\n"), out.size() - 25);

    const int wm_num = THERM_get_WM_num();
    out = printed(M_OUT3, [] { THERM_wind_table(); });
    const int holds = wm_num / 10 + (wm_num % 10 > 6 ? 1 : 0) + (wm_num % 10 != 7 ? 1 : 0);
    EXPECT_EQ(static_cast<int>(count_of(out, "Press return to continue\n")), holds);

    // Paging off and batch mode run through.
    load_sample("nopage");
    out = printed(M_OUT1 | M_OUT2 | M_OUT3, [] {
        THERM_sig_table();
        THERM_indices();
        THERM_wind();
        THERM_wind_table();
    });
    EXPECT_EQ(out.find("Press return"), std::string::npos);
}

TEST(ThermReport, NothingLoaded)
{
    const std::string out = printed(M_OUT1 | M_OUT2 | M_OUT3, [] {
        THERM_calc();
        THERM_sig_table();
        THERM_indices();
        THERM_wind();
        THERM_wind_table();
        THERM_storm_table();
    });
    EXPECT_NE(out.find("Sounding variables and indices"), std::string::npos);
    EXPECT_EQ(out.find("Total Totals"), std::string::npos);
}

}  // namespace
