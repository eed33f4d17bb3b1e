// Unit conversion: factors written in unit texts, the "units.lup" table, scaled unit texts and
// "name (units)" labels.  Conversions are cross-checked with GNU units.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "test_util.h"
#include "vyk.h"
#include "vykresrc.h"

using vyktest::CaptureStdio;
using vyktest::TempDir;
using vyktest::write_file;

namespace {

const std::string shipped_etc = std::string(VYK_SOURCE_DIR) + "/etc";

/// Makes the converter look for "units.lup" in dir.
void table_dir(const std::string &dir) { RES_put("file_path", dir.c_str()); }

/// Answers of GNU units to (have, want) queries, all in one run.
std::vector<double> gnu_units(const std::vector<std::pair<std::string, std::string>> &queries)
{
    std::string input;
    for (const auto &q : queries) input += q.first + "\n" + q.second + "\n";
    const auto r = vyktest::run("units -t -d 12", input);
    EXPECT_EQ(r.status, 0) << "GNU units is needed (Debian package units): " << r.err;
    std::vector<double> got;
    std::istringstream lines(r.out);
    std::string line;
    while (std::getline(lines, line)) {
        char *end = nullptr;
        const double v = std::strtod(line.c_str(), &end);
        EXPECT_TRUE(end != line.c_str() && *end == '\0') << "units said: " << line;
        got.push_back(v);
    }
    EXPECT_EQ(got.size(), queries.size()) << r.out;
    got.resize(queries.size(), NAN);
    return got;
}

/// Single-precision agreement with an exact answer.
::testing::AssertionResult agrees(float got, double want, double rel = 1e-5)
{
    if (std::fabs(got - want) <= rel * std::fmax(1.0, std::fabs(want)))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << got << " differs from " << want;
}

struct Case {
    float value;
    const char *in, *out;
    const char *have, *want;  // the same conversion asked of GNU units
};

}  // namespace

TEST(Unit, ShippedTableConvertsWhatTheSystemNeeds)
{
    table_dir(shipped_etc);
    const Case cases[] = {
        {10, "C", "F", "tempC(10)", "tempF"},
        {50, "F", "C", "tempF(50)", "tempC"},
        {300, "K", "C", "tempK(300)", "tempC"},
        {-40, "C", "K", "tempC(-40)", "tempK"},
        {68, "F", "K", "tempF(68)", "tempK"},
        {250, "K", "F", "tempK(250)", "tempF"},
        {12.5, "celsius", "kelvin", "tempC(12.5)", "tempK"},
        {280, "degK", "degC", "tempK(280)", "tempC"},
        {21.5, "deg C", "F", "tempC(21.5)", "tempF"},
        {5, "delta_C", "delta_F", "5 degC", "degF"},
        {9, "delta_F", "delta_K", "9 degF", "K"},
        {6.5, "K/km", "C/m", "6.5 K/km", "K/m"},
        {3.6, "K/h", "C/s", "3.6 K/hr", "K/s"},
        {101325, "Pa", "hPa", "101325 Pa", "hPa"},
        {1013.25, "hPa", "mb", "1013.25 hPa", "millibar"},
        {850, "mb", "Pa", "850 millibar", "Pa"},
        {500, "hectopascals", "Pa", "500 hPa", "Pa"},
        {100, "kPa", "mb", "100 kPa", "millibar"},
        {1000, "m", "ft", "1000 m", "ft"},
        {5000, "ft", "m", "5000 ft", "m"},
        {1.5, "km", "m", "1.5 km", "m"},
        {552, "dam", "m", "552 dam", "m"},
        {5520, "gpm", "dam", "5520 m", "dam"},
        {552, "geopotential_dekameters", "m", "552 dam", "m"},
        {3000, "m", "km", "3000 m", "km"},
        {25.4, "mm", "in", "25.4 mm", "inch"},
        {1.5, "in", "mm", "1.5 inch", "mm"},
        {2, "inches", "cm", "2 inch", "cm"},
        {0.012f, "kg/kg", "g/kg", "0.012 kg/kg", "g/kg"},
        {12, "g/kg", "kg/kg", "12 g/kg", "kg/kg"},
        {0.012f, "kg kg-1", "g kg-1", "0.012 kg/kg", "g/kg"},
        {10, "meters/second", "m/s", "10 m/s", "m/s"},
        {10, "m s-1", "M/S", "10 m/s", "m/s"},
        // Factors in front of the texts apply on top of the table.
        {15, "100 m", "ft", "1500 m", "ft"},
        {2, "1e-05 K/m", "K/km", "2e-05 K/m", "K/km"},
        {250, "10^-2 hPa", "Pa", "2.5 hPa", "Pa"},
    };
    std::vector<std::pair<std::string, std::string>> queries;
    for (const Case &c : cases) queries.emplace_back(c.have, c.want);
    const auto want = gnu_units(queries);
    for (size_t i = 0; i < std::size(cases); i++)
        EXPECT_TRUE(agrees(UNIT_cvt(cases[i].value, cases[i].in, cases[i].out), want[i]))
            << cases[i].value << " " << cases[i].in << " -> " << cases[i].out;
}

TEST(Unit, EveryShippedEntryAgreesWithGnuUnits)
{
    // Each name of the table as GNU units writes it; absolute temperatures are functions there.
    struct Gnu {
        const char *expr;
        bool temperature;
    };
    const std::map<std::string, Gnu> gnu = {
        {"m/s", {"m/s", false}}, {"m_s-1", {"m/s", false}}, {"meters/second", {"m/s", false}},
        {"knt", {"knot", false}}, {"knots", {"knot", false}},
        {"K", {"tempK", true}}, {"kelvin", {"tempK", true}}, {"degK", {"tempK", true}},
        {"deg_K", {"tempK", true}}, {"C", {"tempC", true}}, {"celsius", {"tempC", true}},
        {"degC", {"tempC", true}}, {"deg_C", {"tempC", true}}, {"F", {"tempF", true}},
        {"fahrenheit", {"tempF", true}}, {"degF", {"tempF", true}}, {"deg_F", {"tempF", true}},
        {"delta_K", {"K", false}}, {"delta_C", {"degC", false}}, {"delta_F", {"degF", false}},
        {"K/m", {"K/m", false}}, {"C/m", {"K/m", false}}, {"K/km", {"K/km", false}},
        {"C/km", {"K/km", false}}, {"K/m^2", {"K/m^2", false}}, {"C/m^2", {"K/m^2", false}},
        {"K/s", {"K/s", false}}, {"C/s", {"K/s", false}}, {"K/h", {"K/hr", false}},
        {"C/h", {"K/hr", false}},
        {"Pa", {"Pa", false}}, {"hPa", {"hPa", false}}, {"hectopascals", {"hPa", false}},
        {"mb", {"millibar", false}}, {"mbar", {"millibar", false}}, {"kPa", {"kPa", false}},
        {"m", {"m", false}}, {"meters", {"m", false}}, {"gpm", {"m", false}},
        {"km", {"km", false}}, {"dam", {"dam", false}}, {"geopotential_dekameters", {"dam", false}},
        {"ft", {"ft", false}}, {"feet", {"ft", false}}, {"mm", {"mm", false}},
        {"cm", {"cm", false}}, {"in", {"inch", false}}, {"inches", {"inch", false}},
        {"kg/kg", {"kg/kg", false}}, {"kg_kg-1", {"kg/kg", false}}, {"g/kg", {"g/kg", false}},
        {"g_kg-1", {"g/kg", false}},
    };
    const auto is_knot = [](const std::string &n) { return n == "knt" || n == "knots"; };

    std::ifstream lup(shipped_etc + "/units.lup");
    ASSERT_TRUE(lup) << "etc/units.lup is missing";
    std::vector<std::pair<std::string, std::string>> pairs, queries;
    std::string line;
    while (std::getline(lup, line)) {
        std::istringstream words(line);
        std::string in, out, conv;
        if (!(words >> in) || in[0] == '#') continue;
        ASSERT_TRUE(words >> out >> conv) << line;
        ASSERT_TRUE(gnu.count(in) && gnu.count(out)) << "no GNU units name for: " << line;
        const Gnu &a = gnu.at(in), &b = gnu.at(out);
        const std::string have = a.temperature ? std::string(a.expr) + "(12.5)"
                                               : "12.5 " + std::string(a.expr);
        pairs.emplace_back(in, out);
        queries.emplace_back(have, b.expr);
    }
    ASSERT_GT(pairs.size(), 300u);
    table_dir(shipped_etc);
    const auto want = gnu_units(queries);
    for (size_t i = 0; i < pairs.size(); i++) {
        const auto &[in, out] = pairs[i];
        // The knot is pinned to 1.944 per m/s; the international knot differs by 8e-5.
        const double rel = is_knot(in) != is_knot(out) ? 1e-4 : 1e-5;
        EXPECT_TRUE(agrees(UNIT_cvt(12.5f, in.c_str(), out.c_str()), want[i], rel))
            << in << " -> " << out;
    }
}

TEST(Unit, KnotFactorIsThePinnedOne)
{
    // The system converts winds with knots = m/s * 1.944 everywhere (barbs, soundings,
    // printed components); the table keeps that factor rather than the international knot.
    table_dir(shipped_etc);
    EXPECT_EQ(UNIT_cvt(1, "m/s", "knt"), 1.944f);
    EXPECT_EQ(UNIT_cvt(10, "meters/second", "knots"), 10 * 1.944f);
    EXPECT_EQ(UNIT_cvt(25, "m_s-1", "KNOTS"), 25 * 1.944f);
    EXPECT_TRUE(agrees(UNIT_cvt(19.44f, "knots", "m/s"), 10.0, 1e-6));
    EXPECT_TRUE(agrees(UNIT_cvt(UNIT_cvt(7.3f, "m/s", "knt"), "knt", "m/s"), 7.3, 1e-6));

    const auto gnu = gnu_units({{"m/s", "knot"}});
    EXPECT_NEAR(gnu[0], 1.9438445, 1e-6);
    EXPECT_NEAR(1.944, gnu[0], 1e-4 * gnu[0]);  // pinned value within 0.01 % of the true one
}

TEST(Unit, FactorsAndEqualNamesNeedNoTable)
{
    TempDir empty;
    table_dir(empty.path());
    const struct {
        float value;
        const char *in, *out;
        float want;
    } cases[] = {
        {-9999, "K", "C", -9999},
        {-9999, "m/s", "furlong", -9999},
        {5, "m_s", "M S", 5},
        {5, "deg C", "DEG_c", 5},
        {5, "m", "", 5},
        {5, "", "m", 5},
        {5, "m/s", nullptr, 5},
        {2, "1e-05 K/m", "K/m", 2 * 1e-05f},
        {2, "1e-05_K/m", "k/m", 2 * 1e-05f},
        {3, "10^2 m", "m", 300},
        {1500, "m", "10^3 m", 1.5f},
        {4, "Pa", "-Pa", -4},
        {7, "100m", "m", 700},
        {7, "m ", "m", 7},
        {0.5f, "-", "-1", 0.5f},
    };
    CaptureStdio cap;
    for (const auto &c : cases)
        EXPECT_FLOAT_EQ(UNIT_cvt(c.value, c.in, c.out), c.want)
            << c.value << " " << c.in << " -> " << (c.out ? c.out : "NULL");
    cap.finish();
    EXPECT_EQ(cap.err(), "");  // the table was never looked for
}

TEST(Unit, MissingTableGivesMissingValueAndOneWarning)
{
    TempDir empty;
    table_dir(empty.path());
    CaptureStdio cap;
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(UNIT_cvt(10, "m/s", "knt"), -9999.0f);  // never calm: missing
        EXPECT_EQ(UNIT_cvt(10, "K", "C"), -9999.0f);
    }
    EXPECT_EQ(UNIT_cvt(1500, "m", "10^3 m"), 1.5f);  // factors alone still work
    cap.finish();
    EXPECT_EQ(cap.err(), "Unable to open units file: " + empty.file("units.lup") + "\n");
    EXPECT_EQ(cap.out(), "");

    // The table is looked for again when the path setting changes.
    TempDir other;
    write_file(other.file("units.lup"), "m/s knt *1.944\n");
    table_dir(other.path());
    EXPECT_EQ(UNIT_cvt(10, "m/s", "knt"), 10 * 1.944f);
}

TEST(Unit, MissingMessageCanBeSilenced)
{
    TempDir empty;
    table_dir(empty.path());
    MESS_set(-1, M_WARN);
    CaptureStdio cap;
    EXPECT_EQ(UNIT_cvt(10, "m/s", "knt"), -9999.0f);
    cap.finish();
    EXPECT_EQ(cap.err(), "");
}

TEST(Unit, UnknownPairGivesMissingValueAndOneWarningPerPair)
{
    TempDir dir;
    write_file(dir.file("units.lup"), "m/s knt *1.944\n");
    table_dir(dir.path());
    CaptureStdio cap;
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(UNIT_cvt(10, "m/s", "furlong/fortnight"), -9999.0f);
        EXPECT_EQ(UNIT_cvt(10, "m/s", "knt"), 10 * 1.944f);  // evicts the cached pair
    }
    EXPECT_EQ(UNIT_cvt(10, "knt", "m/s"), -9999.0f);  // the table is directional
    EXPECT_EQ(UNIT_cvt(10, "0 m", "m"), -9999.0f);      // a zero factor converts nothing
    EXPECT_EQ(UNIT_cvt(10, "m", "1e39 m"), -9999.0f);   // beyond single precision
    cap.finish();
    EXPECT_EQ(cap.err(),
              "UNIT_cvt: No conversion from m/s to furlong/fortnight\n"
              "UNIT_cvt: No conversion from knt to m/s\n"
              "UNIT_cvt: No conversion from 0 m to m\n"
              "UNIT_cvt: No conversion from m to 1e39 m\n");
}

TEST(Unit, TableFormat)
{
    TempDir dir;
    const std::string long_name(300, 'x'), cut_name(255, 'x');
    write_file(dir.file("units.lup"),
               "# the first comment m/s knt *99\n"
               "C F *1.8+32   # a comment after an entry\n"
               "K\n  C\n-273.15\n"           // words may spread over lines
               "x y *2 x y *3\n"             // the first entry of a pair wins
               "a b 2\n"                     // no '*', '+' or '-': scale 1, offset 0
               "p q +5 r s *2-1\n"
               "deg_C deg_F *1.8+32\n"
               "t #u *4\n"                   // '#' only starts a comment in the first place
               + long_name + " y *5\n"      // a name too long to keep is never matched
               + cut_name + " z *6\n"
               "u v\n");                     // an incomplete last entry
    table_dir(dir.path());
    const struct {
        float value;
        const char *in, *out;
        float want;
    } cases[] = {
        {10, "C", "F", 50},   {273.15f, "K", "C", 0}, {1, "x", "y", 2},
        {7, "a", "b", 7},     {1, "p", "q", 6},       {3, "r", "s", 5},
        {100, "deg C", "DEG F", 212}, {1, "T", "#U", 4},
        {1, long_name.c_str(), "y", -9999}, {1, long_name.c_str(), "z", -9999},
        {1, cut_name.c_str(), "z", 6}, {1, "u", "v", -9999},
        {1, "m/s", "knt", -9999},
    };
    CaptureStdio cap;
    for (const auto &c : cases)
        EXPECT_FLOAT_EQ(UNIT_cvt(c.value, c.in, c.out), c.want) << c.in << " -> " << c.out;
    cap.finish();
}

TEST(Unit, CachedPairSurvivesFactorOnlyConversions)
{
    TempDir dir;
    write_file(dir.file("units.lup"), "C F *1.8+32\nhPa Pa *100\n");
    table_dir(dir.path());
    const float first = UNIT_cvt(10, "C", "F");
    EXPECT_EQ(first, 50.0f);
    EXPECT_FLOAT_EQ(UNIT_cvt(2, "1e-05 K/m", "K/m"), 2e-05f);
    EXPECT_EQ(UNIT_cvt(10, "C", "F"), first);
    EXPECT_EQ(UNIT_cvt(2, "10^1 hPa", "Pa"), 2000.0f);  // factor, table, factor in order
    EXPECT_EQ(UNIT_cvt(2, "hPa", "10 Pa"), 20.0f);
    EXPECT_EQ(UNIT_cvt(10, "c", "f"), first);
}

TEST(Unit, ScaledUnitTexts)
{
    const struct {
        const char *in;
        float scale;
        const char *mstr, *want;
    } cases[] = {
        {"K", 1e-5f, "/m", "1e-05 K/m"},  {"100 m", 0.01f, "", "1e+00 m"},
        {"m", 1e-5f, "/m", "1e-05 m/m"},  {"K", 1e-10f, "/m^2", "1e-10 K/m^2"},
        {"10^2 Pa", 1, "", "1e+02 Pa"},   {"-K", 1, "", "-1e+00 K"},
        {"m/s", 1e-5f, "/s", "1e-05 m/s/s"}, {"", 1, "", "1e+00 "},
    };
    for (const auto &c : cases) {
        char out[32];
        EXPECT_EQ(UNIT_scale(c.in, c.scale, c.mstr, out), 0);
        EXPECT_STREQ(out, c.want) << c.in;
    }
    char small[6];
    UNIT_scale("K", 1e-5f, "/m", small);
    EXPECT_STREQ(small, "1e-05");
}

TEST(Unit, LabelsWithUnits)
{
    const struct {
        const char *label, *var, *units;
    } cases[] = {
        {"Temperature   (K)", "Temperature", "K"},
        {"Height", "Height", ""},
        {"(K)", "", ""},
        {"Wind (m/s", "Wind", "m/s"},
        {"Speed (m/s) at 10 m", "Speed", "m/s"},
        {"", "", ""},
    };
    for (const auto &c : cases) {
        char var[50], units[15];
        EXPECT_EQ(UNIT_parse(c.label, var, units), 0);
        EXPECT_STREQ(var, c.var) << c.label;
        EXPECT_STREQ(units, c.units) << c.label;
    }
    char var[5], units[3];
    UNIT_parse("Temperature (kelvin)", var, units);
    EXPECT_STREQ(var, "Temp");
    EXPECT_STREQ(units, "ke");

    char label[80] = "Temperature   (K)";
    EXPECT_EQ(UNIT_change(label, "C"), 0);
    EXPECT_STREQ(label, "Temperature (C)");
    std::snprintf(label, sizeof label, "Speed (m/s) at 10 m");
    UNIT_change(label, "knots");
    EXPECT_STREQ(label, "Speed (knots)");
    std::snprintf(label, sizeof label, "Height");
    UNIT_change(label, label);  // the new units may be the label itself
    EXPECT_STREQ(label, "Height (Height)");
    char tight[12] = "Temperature";
    UNIT_change(tight, "C");
    EXPECT_STREQ(tight, "Temperature");
}

TEST(Unit, TableNameBuiltFromThePathNeverRunsACommand)
{
    TempDir dir;
    const std::string marker = dir.file("ran");
    table_dir("|touch " + marker + ";");
    CaptureStdio cap;
    EXPECT_EQ(UNIT_cvt(10, "m/s", "knt"), -9999.0f);
    cap.finish();
    EXPECT_FALSE(vyktest::run("test -e " + vyktest::quote(marker)).status == 0);
    EXPECT_NE(cap.err().find("Unable to open units file: |touch"), std::string::npos) << cap.err();
}

TEST(Unit, TracesOnTheDebugLevel)
{
    TempDir dir;
    write_file(dir.file("units.lup"), "C F *1.8+32\n");
    table_dir(dir.path());
    MESS_set(1, 0x40000000);
    CaptureStdio cap;
    EXPECT_EQ(UNIT_cvt(10, "C", "F"), 50.0f);
    EXPECT_EQ(UNIT_cvt(3, "100 m", "m"), 300.0f);
    cap.finish();
    EXPECT_EQ(cap.out(),
              "SC: 1.800000 +32\n"
              "OF: 32.000000 \n"
              "c f *1.8+32 1.800000 32.000000\n"
              "ISC: 100.000000 m\n");
}
