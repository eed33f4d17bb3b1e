// Tests of the variable and source tables, and of the lookup files shipped in etc/: their
// descriptions against the WMO tables that eccodes reads, and the program's variable file through
// the test driver var_tool.
#include "var_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <cctype>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>

namespace {

using vyktest::CaptureStdio;

const std::string ETC = VYK_SOURCE_DIR "/etc";
const std::string ECCODES = "/usr/share/eccodes/definitions";

TEST(VarTable, ReadsTheTable)
{
    vartest::Files files(vartest::VAR_FILE,
                         "11 tmp Temperature\n"
                         "33,133 uwnd U wind\n"
                         "x 1 not an entry\n"
                         "44\n"
                         "45 only\n"
                         "46 averyverylongabbr A long abbreviation\n"
                         "47 long " + std::string(300, 'L') + " never a record\n"
                         "1,2,3,4,5,6 six Six numbers\n");
    CaptureStdio cap;
    EXPECT_EQ(VAR_search_var_num("UWND"), 33);
    EXPECT_EQ(VAR_search_var_num("only"), 45);
    EXPECT_EQ(VAR_search_var_num("averyvery"), 46);
    EXPECT_EQ(VAR_search_var_num("never"), 0);
    EXPECT_EQ(VAR_search_var_num("six"), 1);
    EXPECT_EQ(VAR_search_var_num("nope"), 0);
    char buf[VAR_LABEL_LEN];
    EXPECT_STREQ(VAR_str(buf, 45, ""), "");
    EXPECT_EQ(std::string(VAR_str(buf, 47, "")), std::string(49, 'L'));
    cap.finish();
    EXPECT_NE(cap.err().find("abbreviation cut to 9 characters: averyverylongabbr"), std::string::npos);
    EXPECT_NE(cap.err().find("line longer than 200 characters cut"), std::string::npos);
}

TEST(VarTable, AMissingTableIsTriedAgain)
{
    vyktest::TempDir dir;
    RES_put("file_path", dir.path().c_str());
    CaptureStdio cap;
    char buf[VAR_LABEL_LEN];
    EXPECT_STREQ(VAR_str(buf, 11, "K"), "v11 (K)");
    EXPECT_EQ(VAR_search_var_num("tmp"), 0);
    vyktest::write_file(dir.file("variable.lup"), "11 tmp Temperature\n");
    EXPECT_EQ(VAR_search_var_num("tmp"), 11);
    EXPECT_EQ(VAR_read_varfile(), 1);
    cap.finish();
    EXPECT_NE(cap.err().find("VAR_read_varfile: Unable to open file: " + dir.file("variable.lup")),
              std::string::npos);
    EXPECT_EQ(VAR_source(buf, 7), nullptr);
}

TEST(VarTable, SourceNames)
{
    vartest::Files files;
    char buf[VAR_SOURCE_LEN];
    EXPECT_STREQ(VAR_source(buf, 7), "US National Weather Service - NCEP (WMC)");
    EXPECT_STREQ(VAR_source(buf, 98), "European Centre for Medium-Range Weather");
    EXPECT_STREQ(VAR_source(buf, 5), "");
    char small[6];
    EXPECT_STREQ(VAR_source(small, 7, sizeof small), "US Na");
}

std::string normal(std::string s)
{
    for (char &c : s) c = c == '-' ? ' ' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Every WMO parameter 1 to 127 is in etc/variable.lup with the description of code table 2
// as eccodes has it (its text before the units), once, under a unique abbreviation that is
// neither a plot-type keyword (but the profiler's "wind") nor an element word nor "grad".
TEST(VarTable, ShippedTableFollowsTheWmoTable)
{
    std::ifstream wmo(ECCODES + "/grib1/2.0.3.table");
    ASSERT_TRUE(wmo) << "libeccodes-data is needed";
    std::map<int, std::string> names;
    for (std::string line; std::getline(wmo, line);) {
        std::istringstream in(line);
        int n;
        std::string a, b, rest;
        if (line.empty() || line[0] == '#' || !(in >> n >> a >> b)) continue;
        std::getline(in, rest);
        names[n] = rest;
    }
    RES_put("file_path", ETC.c_str());
    std::ifstream ours(ETC + "/variable.lup");
    std::set<std::string> abbrs;
    std::set<int> wmo_seen;
    int entries = 0;
    for (std::string line; std::getline(ours, line); entries++) {
        std::istringstream in(line);
        int n;
        std::string abbr, desc;
        ASSERT_TRUE(in >> n >> abbr) << line;
        std::getline(in, desc);
        desc.erase(0, 1);
        EXPECT_TRUE(abbrs.insert(abbr).second) << "abbreviation twice: " << abbr;
        EXPECT_LE(abbr.size(), 9u) << abbr;
        EXPECT_LE(desc.size(), 49u) << desc;
        if (abbr != "wind") {  // the profiler's name
            EXPECT_EQ(VAR_dec_type(abbr.c_str()), -1) << abbr;
        }
        EXPECT_NE(abbr, "map");
        EXPECT_NE(abbr, "plot");
        EXPECT_NE(abbr, "grad");
        EXPECT_FALSE(std::isdigit(static_cast<unsigned char>(abbr[0]))) << abbr;
        if (n >= 1 && n <= 127 && wmo_seen.insert(n).second) {
            ASSERT_TRUE(names.count(n)) << n;
            EXPECT_EQ(names[n].find(" " + desc), 0u) << n << ": " << desc << " | " << names[n];
        }
    }
    EXPECT_EQ(wmo_seen.size(), 127u);
    EXPECT_LE(entries, VAR_TABLE_MAX);
    // The abbreviations the package's programs and grid functions name.
    for (const char *a : {"tmp", "temp", "dewp", "dewd", "rhum", "wdir", "wspd", "uwnd", "vwnd",
                          "vvel", "hgt", "city", "wbrb", "wbrbc", "wind", "shear", "hel", "theta",
                          "thetae", "vtemp", "thetav", "shum", "mixrat", "vapor", "wetblb",
                          "wchill", "heat", "ugeos", "vgeos", "rvort", "avort", "diverg"})
        EXPECT_NE(VAR_search_var_num(a), 0) << a;
}

// The descriptions the package prints for the main variables, against the names eccodes'
// grib_get gives a GRIB edition 1 message of that parameter.
TEST(VarTable, DescriptionsAgreeWithGribGet)
{
    RES_put("file_path", ETC.c_str());
    vyktest::TempDir dir;
    for (int n : {7, 11, 17, 31, 32, 33, 34, 39, 52}) {
        const std::string grib = dir.file("p.grib");
        const auto set = vyktest::run("grib_set -s centre=7,table2Version=3,indicatorOfParameter=" +
                                      std::to_string(n) + " /usr/share/eccodes/samples/GRIB1.tmpl " +
                                      grib);
        ASSERT_EQ(set.status, 0) << set.err;
        const auto get = vyktest::run("grib_get -p name " + grib);
        ASSERT_EQ(get.status, 0) << get.err;
        std::string name = get.out;
        while (!name.empty() && (name.back() == '\n' || name.back() == ' ')) name.pop_back();
        char buf[VAR_LABEL_LEN];
        EXPECT_EQ(normal(VAR_str(buf, n, "")), normal(name)) << n;
    }
}

TEST(VarTable, ShippedSourcesFollowTableC1)
{
    RES_put("file_path", ETC.c_str());
    std::ifstream c1(ECCODES + "/common/c-1.table");
    ASSERT_TRUE(c1) << "libeccodes-data is needed";
    std::set<int> seen;
    for (std::string line; std::getline(c1, line);) {
        std::istringstream in(line);
        int n;
        std::string id, name;
        if (line.empty() || line[0] == '#' || !(in >> n >> id)) continue;
        std::getline(in, name);
        name.erase(0, name.find_first_not_of(' '));
        if (!seen.insert(n).second) continue;  // the first name of a number counts
        char buf[VAR_SOURCE_LEN];
        ASSERT_NE(VAR_source(buf, n), nullptr);
        EXPECT_EQ(name.compare(0, std::strlen(buf), buf), 0) << n << ": " << buf;
        EXPECT_FALSE(std::string(buf).empty()) << n;
    }
    EXPECT_GT(seen.size(), 80u);
}

// The program's variable file: one record for each variable the profiler program computes, with
// its natural plot type and units, all shown in the menu.
TEST(VarTable, ProgramVariableFile)
{
    struct Case {
        const char *var, *type, *units;
        const char *format = "";
    } cases[] = {
        {"city", "value (2)", ""},      {"temp", "value (2)", "C"},   {"dewp", "value (2)", "C"},
        {"dewd", "value (2)", "dC"},    {"wdir", "value (2)", "deg"}, {"wspd", "value (2)", "knt"},
        {"wbrbc", "cbarb (33)", "knt"}, {"wbrb", "wbarb (32)", "knt"}, {"wind", "dbarb (34)", "knt"},
        {"uwnd", "value (2)", "m/s"},   {"vwnd", "value (2)", "m/s"},
        // A vertical velocity of a few tenths of a metre per second is shown in tenths.
        {"vvel", "value (2)", "m/s", "%.1f"},
        {"shear", "value (2)", "10^-3/s"}, {"hel", "value (2)", "m^2/s^2"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.var);
        const auto r = vyktest::run(vyktest::tool("var_tool") + " -fp " + ETC + " " + c.var);
        ASSERT_EQ(r.status, 0) << r.err;
        const std::string slot = "slot 0 | " + std::string(c.var) + " | 0 | " + c.type + " | 0 | -9999 | -9999 | ";
        EXPECT_EQ(r.out.find(slot), 0u) << r.out;
        EXPECT_NE(r.out.find(" | " + std::string(c.units) + " | " + c.format + "\n"),
                  std::string::npos)
            << r.out;
        EXPECT_EQ(r.out.find("slot 1"), std::string::npos) << r.out;
        EXPECT_EQ(r.err, "");
    }
    RES_put("file_path", ETC.c_str());
    ASSERT_EQ(VAR_open_file("prfdisp.var"), 1);
    ASSERT_EQ(VAR_read_menu(), 1);
    char name[VAR_MENU_DESC_LEN];
    for (const Case &c : cases) EXPECT_EQ(VAR_search_name_file(c.var, name), 1) << c.var;
}

TEST(VarTable, VarToolShowsTheBarbSlotInKnots)
{
    const auto r = vyktest::run(vyktest::tool("var_tool") + " -fp " + ETC + " wbrb");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "slot 0 | wbrb | 0 | wbarb (32) | 0 | -9999 | -9999 | 301 | knt | \n"
              "label -2 | wbrb (knt)\n"
              "label -1 | wbrb (knt)\n"
              "label 0 | Wind barbs (knt)\n"
              "label 1 | Wind barbs (knt)\n");
    const auto lev = vyktest::run(vyktest::tool("var_tool") + " -fp " + ETC +
                                  " -le 3000m_ag -pp labcomp 'h24-6acc::wspd:m/s:value:%4.1f'");
    ASSERT_EQ(lev.status, 0) << lev.err;
    EXPECT_EQ(lev.out.substr(0, lev.out.find('\n')),
              "slot 0 | wspd | 0 | value (2) | 4018024 | 105 | 3000 | 32 | m/s | %4.1f");
    EXPECT_NE(lev.out.find("label 1 | 6 hour acc 3000 m AG Wind speed (m/s) - %4.1f\n"), std::string::npos);
    const auto none = vyktest::run(vyktest::tool("var_tool") + " -fp " + ETC + " ''");
    EXPECT_EQ(none.status, 1);
}

}  // namespace
