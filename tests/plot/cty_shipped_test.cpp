// The shipped station files: the converter reproduces them from the Debian source, every line
// reads as a station, and stations are found in them by identifier, pattern and location from
// the shell (raw_tool) against positions of the source.
#include <gtest/gtest.h>

#include "test_util.h"
#include "cty.h"
#include "vykplot.h"

#include <string>

using vyktest::TempDir;
using vyktest::has;
using vyktest::read_file;
using vyktest::run;
using vyktest::tool;

namespace {

const std::string ETC = std::string(VYK_SOURCE_DIR) + "/etc";

TEST(CtyShipped, ConverterReproducesTheShippedFiles)
{
    TempDir dir;
    const std::string exe = dir.file("ctygen");
    auto r = run("c++ -std=c++20 -O1 -o " + exe + " " + std::string(VYK_SOURCE_DIR) +
                 "/tools/ctygen.cpp -lz");
    ASSERT_EQ(r.status, 0) << r.err;
    r = run(exe + " /usr/share/weather-util/stations.gz " + dir.path());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(read_file(dir.file("sao.cty")), read_file(ETC + "/sao.cty"));
    EXPECT_EQ(read_file(dir.file("upa.cty")), read_file(ETC + "/upa.cty"));
}

TEST(CtyShipped, EveryLineIsAStation)
{
    for (const char *name : {"sao.cty", "upa.cty"}) {
        vyktest::CaptureStdio cap;
        ASSERT_GE(CTY_open((ETC + "/" + name).c_str(), 0, 0), 0);
        CTY_data c;
        CTY_data_init(&c);
        int n = 0;
        while (CTY_read(0, &c) > 0) n++;
        CTY_close(0);
        cap.finish();
        EXPECT_EQ(cap.err() + cap.out(), "") << name;
        EXPECT_EQ(n, vyktest::count(read_file(ETC + "/" + name), "\n")) << name;
    }
}

TEST(CtyShipped, FoundFromTheShell)
{
    const std::string raw = tool("raw_tool") + " -ba -fp " + ETC + " ";
    auto r = run(raw + "get kden");
    ASSERT_EQ(r.status, 0) << r.err;
    // Denver's location in the source is (0.6958046, -1.8267780) radians.
    EXPECT_EQ(r.out, "KDEN 99999 1 39.87 -104.67 Denver_International\n");
    r = run(raw + "get 74531");
    EXPECT_EQ(r.out, "PLTC2 74531 0 40.18 -104.73 Platteville\n");
    r = run(raw + "-id 'ST=CO:P=0' find");
    EXPECT_EQ(r.out, "PLTC2 74531 0 40.18 -104.73 Platteville\n") << r.err;
    r = run(raw + "-id 'RA<39.87:-104.67:5' find");
    ASSERT_EQ(r.status, 0);
    EXPECT_TRUE(has(r.out, "KDEN ")) << r.out;
    EXPECT_EQ(vyktest::count(r.out, "\n"), 1) << r.out;
    r = run(raw + "near 39.9 -104.7");
    EXPECT_EQ(r.out, "KDEN 99999 1 39.87 -104.67\n") << r.err;
    r = run(raw + "-cf upa.cty near 40.0 -104.0");
    EXPECT_EQ(r.out, "PLTC2 74531 0 40.18 -104.73\n") << r.err;
    r = run(raw + "near -40 -130");  // the South Pacific: nothing within 4.9 degrees
    EXPECT_EQ(r.status, 1) << r.out;
    r = run(raw + "get NOSUCH");
    EXPECT_EQ(r.status, 1);
}

}  // namespace
