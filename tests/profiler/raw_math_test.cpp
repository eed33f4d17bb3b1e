// Point-data arithmetic: each command form on small files with known results, stations in one
// file only, missing values and the "miss" and "outmiss" parameters, identifiers kept whole,
// series labels, extraction with its description, and failures that report failure.
#include <gtest/gtest.h>

#include "dadodu.h"
#include "test_util.h"

#include <filesystem>
#include <map>
#include <string>
#include <vector>

using vyktest::CaptureStdio;
using vyktest::TempDir;
using vyktest::has;
using vyktest::read_file;
using vyktest::write_file;

namespace {

struct RawMath : ::testing::Test {
    void SetUp() override
    {
        write_file(dir.file("a1"), "DADODU\n00Z 1 JAN 2026\nFirst\n"
                                   "AAA 10 20 5\nBBB 11 21 7\nCCC 12 22 -\nAAA 10 20 99\n"
                                   "STATION_NUMBER_ONE 1 1 1\n");
        write_file(dir.file("a2"), "DADODU\n06Z 1 JAN 2026\nSecond\n"
                                   "AAA 10 20 2\nDDD 13 23 4\nCCC 12 22 3\n"
                                   "STATION_NUMBER_TWO 1 1 2\n");
        write_file(dir.file("a3"), "DADODU\n12Z 1 JAN 2026\nThird\nBBB 11 21 -3\nAAA 10 20 1\n");
        write_file(dir.file("cols"), "DADODU\n00Z 2 JAN 2026\n!Columns\nid lat lon t:Temp:%4.1f "
                                     "rh:Humidity\n$\nAAA 10 20 5 50\nBBB 11 21 6 60\n");
    }
    int command(std::vector<std::string> words)
    {
        std::vector<char *> argv;
        for (std::string &w : words) {
            if (w.rfind("@", 0) == 0) w = dir.file(w.substr(1));
            argv.push_back(w.data());
        }
        return RAW_math_command(static_cast<int>(argv.size()), argv.data());
    }
    // The values of an output file by identifier (first column), and its header lines.
    std::map<std::string, float> values(const std::string &name)
    {
        std::map<std::string, float> out;
        std::string path = dir.file(name);
        int type = RAW_TYPE_NONE;
        const int slot = RAW_open(path.data(), RAW_READ, &type);
        EXPECT_GE(slot, 0) << name;
        RAW_info info{};
        RAW_getinfo(slot, &info);
        RAW_report r{};
        for (int line = 0; RAW_read(slot, &r, RAW_field(10), &line) == 0; line++) out[r.id] = r.value[0];
        RAW_close(slot);
        return out;
    }
    TempDir dir;
};

using Values = std::map<std::string, float>;

TEST_F(RawMath, ConstantsBeforeAndAfterTheOperator)
{
    const struct {
        std::vector<std::string> cmd;
        Values expect;
    } rows[] = {
        {{"#10", "sub", "@a1", "=", "@o"}, {{"AAA", 5}, {"BBB", 3}, {"STATION_NUMBER_ONE", 9}}},
        {{"@a1", "sub", "#10", "=", "@o"}, {{"AAA", -5}, {"BBB", -3}, {"STATION_NUMBER_ONE", -9}}},
        {{"@a1", "div", "#2", "=", "@o"}, {{"AAA", 2.5}, {"BBB", 3.5}, {"STATION_NUMBER_ONE", 0.5}}},
        {{"#14", "mod", "@a1", "=", "@o"}, {{"AAA", 4}, {"BBB", 0}, {"STATION_NUMBER_ONE", 0}}},
        {{"@a1", "ge", "#5", "=", "@o"}, {{"AAA", 5}, {"BBB", VYK_MISS}, {"STATION_NUMBER_ONE", 1}}},
        {{"@a1", "le", "#5", "=", "@o"}, {{"AAA", 5}, {"BBB", 7}, {"STATION_NUMBER_ONE", VYK_MISS}}},
    };
    for (const auto &r : rows) {
        ASSERT_EQ(command(r.cmd), 1) << r.cmd[0] << r.cmd[1] << r.cmd[2];
        Values got = values("o");
        // Every datum is written (AAA twice: the last line wins in this map, so drop it).
        got.erase("AAA");
        Values want = r.expect;
        want.erase("AAA");
        EXPECT_EQ(got, want) << r.cmd[0] << " " << r.cmd[1] << " " << r.cmd[2];
    }
    // The header comes from the words after the output, else from the input.
    ASSERT_EQ(command({"@a1", "add", "#1", "=", "@o", "Plus_one", "-"}), 1);
    EXPECT_EQ(read_file(dir.file("o")).substr(0, 36), "DADODU\n00Z 1 JAN 2026\nPlus_one\nAAA  ");
}

TEST_F(RawMath, TwoFilesStationByStation)
{
    ASSERT_EQ(command({"@a1", "sub", "@a2", "=", "@o"}), 1);
    EXPECT_EQ(values("o"), (Values{{"AAA", 3}}));  // only stations in both files
    // Identifiers are compared whole: the two long ones are different stations.
    ASSERT_EQ(command({"@a1", "add", "@a2", "=", "@o"}), 1);
    EXPECT_EQ(values("o"), (Values{{"AAA", 7}}));

    RES_put("parameter", "miss=0");
    ASSERT_EQ(command({"@a1", "sub", "@a2", "=", "@o"}), 1);
    EXPECT_EQ(values("o"), (Values{{"AAA", 3}, {"BBB", 7}, {"CCC", -3}, {"DDD", -4},
                                   {"STATION_NUMBER_ONE", 1}, {"STATION_NUMBER_TWO", -2}}));
    RES_put("parameter", "miss=0,outmiss");
    write_file(dir.file("z"), "DADODU\nx\nZ\nAAA 10 20 5\n");
    ASSERT_EQ(command({"@a1", "sub", "@z", "=", "@o"}), 1);
    EXPECT_EQ(values("o")["AAA"], 0);  // kept with outmiss
}

TEST_F(RawMath, TableCommands)
{
    ASSERT_EQ(command({"sum", "@a1", "@a2", "@a3", "=", "@o"}), 1);
    EXPECT_EQ(values("o"), (Values{{"AAA", 8}, {"BBB", 4}, {"STATION_NUMBER_ONE", 1}}));
    ASSERT_EQ(command({"max", "@a1", "@a2", "@a3", "=", "@o"}), 1);
    EXPECT_EQ(values("o"), (Values{{"AAA", 5}, {"BBB", 7}, {"STATION_NUMBER_ONE", 1}}));
    ASSERT_EQ(command({"min", "@a1", "@a2", "@a3", "=", "@o"}), 1);
    EXPECT_EQ(values("o"), (Values{{"AAA", 1}, {"BBB", -3}, {"STATION_NUMBER_ONE", 1}}));
    ASSERT_EQ(command({"copy", "@a1", "@a2", "@a3", "=", "@o"}), 1);
    EXPECT_EQ(values("o"), (Values{{"AAA", 1}, {"BBB", -3}, {"STATION_NUMBER_ONE", 1}}));
    RES_put("parameter", "miss=-1");
    ASSERT_EQ(command({"sum", "@a1", "@a2", "=", "@o"}), 1);
    // CCC: -1 (its missing value) + 3; DDD only in a2: -1 + 4; missing values take part as -1.
    EXPECT_EQ(values("o"), (Values{{"AAA", 7}, {"BBB", 7}, {"CCC", 2}, {"DDD", 3},
                                   {"STATION_NUMBER_ONE", 1}, {"STATION_NUMBER_TWO", 1}}));
    // A later file that cannot be opened is passed over.
    CaptureStdio cap;
    ASSERT_EQ(command({"sum", "@a1", "@nosuch", "=", "@o"}), 1);
    cap.finish();
    EXPECT_TRUE(has(cap.err() + cap.out(), "RAW_file_open: Unable to open file:"));
}

TEST_F(RawMath, IdentifierFilter)
{
    RES_put("identifier", "BBB,AAA");
    ASSERT_EQ(command({"sum", "@a1", "@a2", "=", "@o"}), 1);
    EXPECT_EQ(values("o"), (Values{{"AAA", 7}, {"BBB", 7}}));
}

TEST_F(RawMath, ExtractAndSeries)
{
    ASSERT_EQ(command({"ext", "@cols-1", "=", "@o"}), 1);
    EXPECT_EQ(values("o"), (Values{{"AAA", 50}, {"BBB", 60}}));
    EXPECT_TRUE(has(read_file(dir.file("o")), "\nColumns-Humidity\n")) << read_file(dir.file("o"));
    ASSERT_EQ(command({"ext", "@cols-t", "=", "@o2"}), 1);
    EXPECT_EQ(values("o2"), (Values{{"AAA", 5}, {"BBB", 6}}));
    EXPECT_TRUE(has(read_file(dir.file("o2")), "AAA  10.00   20.00 5.000000:%4.1f\n"));
    RES_put("parameter", "noattr");
    ASSERT_EQ(command({"ext", "@cols-t", "=", "@o3"}), 1);
    EXPECT_TRUE(has(read_file(dir.file("o3")), "AAA  10.00   20.00 5.000000\n"));

    ASSERT_EQ(command({"series", "@a2:jan", "@a3:feb", "=", "@s"}), 1);
    const std::string s = read_file(dir.file("s"));
    EXPECT_TRUE(has(s, "jan  10.00   20.00 2.000000\n")) << s;
    EXPECT_TRUE(has(s, "feb  11.00   21.00 -3.000000\n")) << s;
    EXPECT_EQ(vyktest::count(s, "jan "), 4);
}

TEST_F(RawMath, FailuresReportFailure)
{
    CaptureStdio cap;
    EXPECT_EQ(command({"@a1", "pow", "@a2", "=", "@o"}), 0);
    EXPECT_EQ(command({"@a1", "sub", "@a2", "="}), 0);
    EXPECT_EQ(command({"sum", "@nosuch", "=", "@o"}), 0);
    EXPECT_EQ(command({"@nosuch", "sub", "#1", "=", "@o"}), 0);
    EXPECT_EQ(command({"ext", "@nosuch", "=", "@o"}), 0);
    EXPECT_EQ(command({"series", "@a1", "@nosuch", "=", "@o"}), 0);
    EXPECT_EQ(command({"@a1", "sub", "@a2", "=", "@nodir/x/" + std::string(200, 'n')}), 0);
    // The answer that ends a prompt is no operand: the program goes on.
    EXPECT_EQ(command({"exit", "sub", "#1", "=", "@o"}), 0);
    EXPECT_EQ(command({"@a1", "sub", "#1", "=", "Exit#2024"}), 0);
    cap.finish();
    EXPECT_EQ(vyktest::count(cap.err() + cap.out(), "is no point-data file"), 2);
    EXPECT_EQ(vyktest::count(cap.err() + cap.out(), "RAW_math_command: Invalid operation"), 2);
    // The series begun before its second file failed to open is not left behind cut short.
    EXPECT_FALSE(std::filesystem::exists(dir.file("o")));
}

}  // namespace
