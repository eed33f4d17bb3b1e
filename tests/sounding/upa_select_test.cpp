// Upper-air file, station and level selection, in process and through upa_tool as a user runs
// it (identifier and level resources, prompts, the level menu file).
#include "upa_file_fixture.h"

#include <gtest/gtest.h>

#include <string>

using namespace upatest;
using vyktest::has;
using vyktest::quote;
using vyktest::run;
using vyktest::TempDir;
using vyktest::write_file;

namespace {

/// A kind 5 file of stations PIT (72520), KPIT (72521), ABC (72528) and BUF (72529).
std::string stations(const TempDir &dir)
{
    const std::string path = dir.file("stations.upa");
    EXPECT_EQ(write_reports(path, UPA_FILE_X, {sample_report("PIT", 72520), sample_report("KPIT", 72521),
                                               sample_report("ABC", 72528), sample_report("BUF", 72529)}),
              0);
    return path;
}

vyktest::RunResult upa_tool(const std::string &args, const std::string &input = "")
{
    return run(vyktest::tool("upa_tool") + " " + args, input);
}

}  // namespace

TEST(UpaSelect, StationsAreFoundByIdentifierOrNumber)
{
    TempDir dir;
    const std::string path = stations(dir);
    struct Case {
        const char *args, *input, *found;
    } cases[] = {
        {"", "pit\n", "station PIT 72520"},     // three letters: upper case
        {"", "kpit\n", "station KPIT 72521"},   // kept as typed, compared without case
        {"", "nope\nXYZ\nbuf\n", "station BUF 72529"},
        {"-id 72528", "", "station ABC 72528"}, // by WMO number
        {"-id abc", "", "station ABC 72528"},
    };
    for (const Case &c : cases) {
        const vyktest::RunResult r = upa_tool(std::string(c.args) + " -ba -le 500 select " + quote(path), c.input);
        EXPECT_EQ(r.status, 0) << c.args << c.input << r.err;
        EXPECT_TRUE(has(r.out, c.found)) << c.input << "\n" << r.out;
    }
    const vyktest::RunResult prompted = upa_tool("-le 500 select " + quote(path), "pit\n");
    EXPECT_TRUE(has(prompted.out, "Possible stations\n PIT KPIT  ABC  BUF \n\n")) << prompted.out;
    EXPECT_TRUE(has(prompted.out, "Enter station to be used in the analysis: ")) << prompted.out;
}

TEST(UpaSelect, NoStationEndsTheProgram)
{
    TempDir dir;
    const std::string path = stations(dir);
    const vyktest::RunResult given = upa_tool("-id XYZ -le 500 select " + quote(path));
    EXPECT_EQ(given.status, VYK_EXIT_NO_STATION);
    EXPECT_FALSE(has(given.out, "Enter station")) << given.out;  // one attempt, no prompt
    EXPECT_TRUE(has(given.out + given.err, "UPA_get_station: No such station:XYZ"));
    EXPECT_TRUE(has(given.out + given.err, "Unable to find a station"));
    const vyktest::RunResult tries = upa_tool("-le 500 select " + quote(path), "a\nb\nc\nd\nPIT\n");
    EXPECT_EQ(tries.status, VYK_EXIT_NO_STATION);  // four attempts, the fifth answer unread
    EXPECT_EQ(vyktest::count(tries.out, "Enter station"), 4);
    const vyktest::RunResult list = upa_tool("-id list select " + quote(path));
    EXPECT_EQ(list.status, 0);
    EXPECT_TRUE(has(list.out, "Possible stations")) << list.out;
    EXPECT_FALSE(has(list.out, "station PIT")) << list.out;
    const vyktest::RunResult bye = upa_tool("-le 500 select " + quote(path), "exit\n");
    EXPECT_EQ(bye.status, 0);
    EXPECT_FALSE(has(bye.out, "station PIT"));
    const vyktest::RunResult missing = upa_tool("select " + quote(dir.file("absent")));
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(has(missing.out + missing.err, "UPA_open_file: Unable to open file:"));
}

TEST(UpaSelect, LevelComesFromTheResourceTheBatchDefaultOrTheMenu)
{
    TempDir dir;
    const std::string path = stations(dir);
    struct Case {
        const char *args, *input, *level;
    } cases[] = {
        {"-ba", "", "level 100 500"},
        {"-le 850mb", "", "level 100 850"},
        {"", "700mb\n", "level 100 700"},
        {"", "5\n", "level 100 850"},  // the fifth row shown: 850 mb
    };
    for (const Case &c : cases) {
        const vyktest::RunResult r = upa_tool(std::string(c.args) + " -id PIT select " + quote(path), c.input);
        EXPECT_EQ(r.status, 0) << c.args << r.err;
        EXPECT_TRUE(has(r.out, c.level)) << c.args << c.input << "\n" << r.out;
    }
    const vyktest::RunResult menu = upa_tool("-id PIT select " + quote(path), "back\n");
    EXPECT_TRUE(has(menu.out, "Vertical Level Menu")) << menu.out;
    EXPECT_TRUE(has(menu.out, "Whole sounding"));
    EXPECT_FALSE(has(menu.out, "\nlevel "));  // back: no level
    EXPECT_EQ(upa_tool("-id PIT select " + quote(path), "exit\n").status, 0);
}

TEST(UpaSelect, ProgramLevelMenuFileReplacesTheRows)
{
    TempDir dir;
    const std::string path = stations(dir);
    write_file(dir.file("upa_tool.lev"),
               "850mb 850_mb 1\n"
               "700mb 700_mb 0\n"
               "trop Tropo_pause mo=eta&ft=00,mo=gfs\n"
               "waytoolongabbreviation " + std::string(300, 'n') + " 1\n"
               "sfc __Surface__ 1\n");
    const vyktest::RunResult r = upa_tool("-fp " + quote(dir.path()) + " -id PIT select " + quote(path), "3\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(has(r.out, "Back to previous menu")) << r.out;
    EXPECT_TRUE(has(r.out, "850 mb"));
    EXPECT_FALSE(has(r.out, "700 mb"));
    EXPECT_FALSE(has(r.out, "Tropo pause"));    // no model matches
    EXPECT_FALSE(has(r.out, "Whole sounding"));  // the built-in rows are gone
    EXPECT_TRUE(has(r.out, "Surface")) << r.out;
    EXPECT_TRUE(has(r.out, std::string(30, 'n')));
    EXPECT_FALSE(has(r.out, std::string(31, 'n')));  // the name is cut to its field
    EXPECT_TRUE(has(r.out, "level 1 ")) << r.out;     // row 3 is the surface
}

TEST(UpaSelect, StationsAreReadInTurnAndListed)
{
    TempDir dir;
    const std::string path = stations(dir);
    ASSERT_EQ(UPA_open_file(path.c_str()), 1);
    Date d;
    UPA_get_date(&d);
    EXPECT_EQ(d.month, 3);
    EXPECT_STREQ(UPA_get_datim(), "12Z 15 MAR 96");
    UPA_report r;
    const char *ids[] = {"PIT", "KPIT", "ABC", "BUF"};
    for (const char *id : ids) {
        ASSERT_EQ(UPA_read_station(&r), 0);
        EXPECT_STREQ(r.id, id);
    }
    EXPECT_EQ(UPA_read_station(&r), -1);
    EXPECT_EQ(UPA_read_station(&r), -1);  // the counter went on
    EXPECT_EQ(UPA_rewind_file(), 0);
    ASSERT_EQ(UPA_read_station(&r), 0);
    EXPECT_STREQ(r.id, "PIT");
    EXPECT_EQ(UPA_get_station("buf", &r), 1);
    EXPECT_STREQ(r.id, "BUF");
    EXPECT_EQ(r.numsig, 6);
    EXPECT_EQ(UPA_get_station("72521", &r), 1);
    EXPECT_STREQ(r.id, "KPIT");
    EXPECT_EQ(UPA_get_station("NONE", &r), 0);
    EXPECT_EQ(UPA_close_file(), 0);
    EXPECT_EQ(UPA_open_file(dir.file("absent").c_str()), 0);
}
