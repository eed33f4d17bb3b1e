// The grid tool from a shell: a grid copied through every own kind (text, binary, netCDF, text
// without a first line) lists and dumps the same products; edition-2 GRIB products list, dump
// (with and without an index file) and copy out raw; bad arguments and files give a status,
// never a crash; an output that cannot be written whole fails the run and leaves no file.
#include <gtest/gtest.h>

#include "gfile_fixture.h"
#include "grib_fixture.h"
#include "output_fault.h"
#include "test_util.h"

#include <cmath>
#include <cstring>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

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

TEST(GridTool, ListsDumpsIndexesAndCopiesGrib2Products)
{
    vyktest::TempDir dir;
    const std::string file = gribtest::corpus(dir, gribtest::JMA_16_FIELDS);
    const vyktest::RunResult list = tool("list " + vyktest::quote(file));
    ASSERT_EQ(list.status, 0) << list.err;
    EXPECT_NE(list.out.find("| kind 21 (GRIB) |"), std::string::npos) << list.out;
    EXPECT_EQ(vyktest::count(list.out, "\nproduct "), 16) << list.out;
    EXPECT_NE(list.out.find("product 15 |"), std::string::npos);

    // Product 3 is field 4 of the message: its values against the reference another decoder
    // wrote (rows north first, as the dump prints them).
    const vyktest::RunResult dump = tool("dump " + vyktest::quote(file) + " 3");
    ASSERT_EQ(dump.status, 0) << dump.err;
    const std::string ref = gribtest::octets(gribtest::corpus(dir, "kousa-wgrib2-le.bin.xz"));
    std::vector<float> want(ref.size() / 4);
    std::memcpy(want.data(), ref.data(), want.size() * 4);
    ASSERT_EQ(want.size(), 81u * 61u);
    std::istringstream in(products(dump.out));
    std::string header;
    std::getline(in, header);
    EXPECT_NE(header.find(" 81 61"), std::string::npos) << header;
    size_t k = 0, bad = 0;
    double v;
    while (in >> v) {
        if (k < want.size() && std::fabs(v - want[k]) > 1e-6 * std::max(1.0, std::fabs(double(want[k]))))
            bad++;
        k++;
    }
    EXPECT_EQ(k, want.size());
    EXPECT_EQ(bad, 0u);

    // Through an index written by the tool: the same values.
    const std::string idx = dir.file("jma.idx");
    const vyktest::RunResult ix = tool("index " + vyktest::quote(file) + " " + vyktest::quote(idx));
    ASSERT_EQ(ix.status, 0) << ix.err;
    EXPECT_EQ(vyktest::count(vyktest::read_file(idx), "\n"), 16);
    const vyktest::RunResult indexed =
        tool("-i " + vyktest::quote(idx) + " dump " + vyktest::quote(file) + " 3");
    ASSERT_EQ(indexed.status, 0) << indexed.err;
    EXPECT_EQ(products(indexed.out), products(dump.out));
    EXPECT_EQ(vyktest::count(tool("-i " + vyktest::quote(idx) + " list " + vyktest::quote(file)).out,
                             "\nproduct "),
              16);

    // Two fields copied out raw: a GRIB file of two messages that eccodes reads.
    const std::string out = dir.file("two.grib2");
    const vyktest::RunResult c =
        tool("copy " + vyktest::quote(file) + " grib " + vyktest::quote(out) + " 3 15");
    ASSERT_EQ(c.status, 0) << c.err;
    EXPECT_EQ(gribtest::keys(out, "stepRange,parameterNumber"), "6 193\n24 193\n");
    // Decoded values are no GRIB: a GRIB product copied into a text file and back is refused.
    const std::string text = dir.file("t.grd");
    ASSERT_EQ(tool("copy " + vyktest::quote(file) + " text " + vyktest::quote(text) + " 3").status, 0);
    const vyktest::RunResult back =
        tool("copy " + vyktest::quote(text) + " grib " + vyktest::quote(dir.file("back.grib2")));
    EXPECT_EQ(back.status, 1);
    EXPECT_NE(back.err.find("computed grids are not written as GRIB"), std::string::npos) << back.err;
}

// Every writer of the tool on a full file system, on one with a little room left (the output
// begins and is cut) and on a full device: the run fails, a message names the output, no cut
// file is left and the device node stays.  The grid of 40 by 40 points is more than the room
// in every form; the index of a GRIB file is less, so it meets only the full disk and device.
TEST(GridTool, OutputsThatCannotBeWrittenFailAndLeaveNoFile)
{
    vyktest::TempDir dir;
    const std::string grid = dir.file("in.grd");
    ASSERT_TRUE(gfiletest::write(grid, GRD_TEXT, {gfiletest::Prod(40, 40)},
                                 gfiletest::header(40, 40)));
    const std::string grib = vyktest::data(
        "grib2/Z__C_RJTD_20160822020000_NOWC_GPV_Ggis10km_Pphw10_FH0000-0100_grib2.bin");
    const std::string t = vyktest::tool("grid_tool") + " ";
    vyktest::expect_outputs_fail_cleanly({
        {"text", t + "copy " + grid + " text {}"},
        {"binary", t + "copy " + grid + " binary {}"},
        {"netCDF", t + "copy " + grid + " cdf {}"},
        {"raw GRIB", t + "copy " + grib + " grib {}"},
        {"GRIB index", t + "index " + grib + " {}", false},
    });
}

// A copy the GRIB writer refuses (decoded values are no GRIB product) leaves no empty file.
TEST(GridTool, RefusedCopyLeavesNoFile)
{
    vyktest::TempDir dir;
    const std::string grid = dir.file("in.grd"), out = dir.file("out.grib2");
    ASSERT_TRUE(gfiletest::write(grid, GRD_TEXT, {gfiletest::Prod()}));
    const vyktest::RunResult r = tool("copy " + grid + " grib " + out);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("not written to " + out), std::string::npos) << r.err;
    struct stat sb;
    EXPECT_NE(stat(out.c_str(), &sb), 0);
}

// A FIFO or a directory named as the grid file (detected or of a given kind) or as the index
// file is refused with a message naming it, never waited on: the tool fails.  (The timeout
// turns a wait into a failure instead of a stuck test.)
TEST(GridTool, InputsThatAreNotRegularFilesAreRefused)
{
    vyktest::TempDir dir;
    const std::string fifo = dir.file("fifo.grd"), sub = dir.file("sub.grd");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(mkdir(sub.c_str(), 0700), 0);
    const std::string grib = gribtest::corpus(dir, gribtest::JMA_16_FIELDS);
    struct Row {
        std::string args, refused;
    };
    const Row rows[] = {
        {"list " + fifo, fifo},         {"list " + sub, sub},
        {"-k 11 list " + fifo, fifo},   {"-k 3 list " + fifo, fifo},
        {"-k 21 dump " + sub + " 0", sub},
        {"-i " + fifo + " list " + grib, fifo},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.args);
        const vyktest::RunResult r =
            vyktest::run("timeout 60 " + vyktest::tool("grid_tool") + " " + row.args + " </dev/null");
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("not a regular file, not read: " + row.refused), std::string::npos)
            << r.err;
    }
}
