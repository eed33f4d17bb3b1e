// The grid tool from a shell: a grid copied through every own kind (text, binary, netCDF, text
// without a first line) lists and dumps the same products; bad arguments and files give a
// status, never a crash.
#include <gtest/gtest.h>

#include "gfile_fixture.h"
#include "test_util.h"

#include <string>

namespace {

vyktest::RunResult tool(const std::string &args)
{
    return vyktest::run(vyktest::tool("grid_tool") + " " + args);
}

/// The output without the first line (it names the file and its kind).
std::string products(const std::string &out) { return out.substr(out.find('\n') + 1); }

}  // namespace

TEST(GridTool, RoundTripsThroughEveryOwnKind)
{
    vyktest::TempDir dir;
    gfiletest::Prod a(3, 2, DOM_PSTEREO), b(2, 2, DOM_LAMB);
    a.dom.plon = -105;
    a.values[2] = VYK_MISS;
    a.units = "";  // netCDF keeps no units
    b.units = "";
    b.var = 7;
    b.dom.plat = 25;
    b.dom.plon = -95;
    b.values = {1.5f, -2.0f, 3.25f, 1e-3f};
    const std::string first = dir.file("first.grd");
    ASSERT_TRUE(gfiletest::write(first, GRD_BINARY, {a, b}));
    const std::string list = tool("list " + first).out;
    const std::string dump0 = tool("dump " + first + " 0").out, dump1 = tool("dump " + first + " 1").out;
    EXPECT_NE(list.find("product 1 |"), std::string::npos) << list;
    EXPECT_NE(dump1.find("1.5 -2\n3.25 0.00100000005\n"), std::string::npos) << dump1;

    std::string from = first;
    for (const char *kind : {"cdf", "binary", "text1", "text", "11"}) {
        SCOPED_TRACE(kind);
        const std::string to = dir.file(std::string("copy_") + kind);
        const vyktest::RunResult c = tool("copy " + from + " " + kind + " " + to);
        ASSERT_EQ(c.status, 0) << c.err;
        EXPECT_EQ(c.out, "copied 2 products to " + to + "\n");
        EXPECT_EQ(products(tool("list " + to).out), products(list));
        EXPECT_EQ(products(tool("dump " + to + " 0").out), products(dump0));
        EXPECT_EQ(products(tool("dump " + to + " 1").out), products(dump1));
        from = to;
    }
    // One product of two, with a value format of the user's.
    const std::string one = dir.file("one.grd");
    ASSERT_EQ(tool("-f %10.3f copy " + first + " text " + one + " 1").status, 0);
    EXPECT_NE(vyktest::read_file(one).find("\n     1.500\n    -2.000\n"), std::string::npos);
    EXPECT_EQ(products(tool("list " + one).out).find("product 1"), std::string::npos);
}

TEST(GridTool, BadArgumentsAndFiles)
{
    vyktest::TempDir dir;
    vyktest::write_file(dir.file("junk"), "junk");
    struct Case {
        std::string args;
        int status;
    };
    const Case cases[] = {
        {"", 2},
        {"list", 2},
        {"-k nonsense list x", 2},
        {"-f %s list x", 2},
        {"list " + dir.file("missing"), 1},
        {"list " + dir.file("junk"), 1},
        {"dump " + dir.file("junk") + " 0", 1},
        {"copy " + dir.file("junk") + " text " + dir.file("out"), 1},
        {"copy " + dir.file("junk") + " nonsense " + dir.file("out"), 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.args);
        EXPECT_EQ(tool(c.args).status, c.status);
    }
}
