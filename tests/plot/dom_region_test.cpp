// Regions: the region file (search, menu, listing), the region forms of domain strings, regions
// that name regions, the built-in regions and menu, the domain taken from the resources and the
// region prompt.
#include <gtest/gtest.h>

#include "test_util.h"
#include "vykplot.h"

#include <string>
#include <utility>
#include <vector>

using vyktest::CaptureStdio;
using vyktest::TempDir;
using vyktest::quote;
using vyktest::run;
using vyktest::tool;
using vyktest::write_file;

namespace {

const char *REGIONS =
    "# abbr name flag domain\n"
    "wo   World           1 ll:0:0,0,0,73,37,5,5\n"
    "EU   Europe          1 lc:50:10:35:65,52,10,31,25,1.5,1.5\n"
    "hid  Hidden_area     2 ps:90:0,80,0,25,17,2,2\n"
    "off  Not_in_menu     0 40,-100\n"
    "pair Named_pair      1 eu\n"
    "toolong Too_long     1 40,-100\n"
    "bad  Bad_string      1 nowhere\n"
    "\n"
    "late After_the_blank 1 10,10\n";

class DomRegion : public ::testing::Test {
protected:
    void SetUp() override
    {
        write_file(dir.file("vyk.reg"), REGIONS);
        RES_put("file_path", dir.path().c_str());
    }
    TempDir dir;
};

TEST_F(DomRegion, SearchTheRegionFile)
{
    char domstr[DOM_STR_LEN];
    EXPECT_EQ(DOM_search_file("vyk.reg", "eu", domstr), 1);
    EXPECT_STREQ(domstr, "lc:50:10:35:65,52,10,31,25,1.5,1.5");
    EXPECT_EQ(DOM_search_file("vyk.reg", nullptr, domstr), 1);
    EXPECT_STREQ(domstr, "ll:0:0,0,0,73,37,5,5");
    EXPECT_EQ(DOM_search_file("vyk.reg", "off", domstr), 1);  // flag 0 only keeps it from the menu
    EXPECT_EQ(DOM_search_file("vyk.reg", "late", domstr), 0);  // behind the blank line
    EXPECT_EQ(DOM_search_file("vyk.reg", "#", domstr), 0);
    EXPECT_EQ(DOM_search_file("nosuch.reg", "eu", domstr), 0);

    // A line of a single word answers every search that reaches it; a domain string longer
    // than 79 characters is passed over.
    write_file(dir.file("one.reg"),
               "xx Long 1 " + std::string(80, '1') + "\n40,-100,1\nyy Y 1 1,2\n");
    CaptureStdio cap;
    EXPECT_EQ(DOM_search_file("one.reg", "xx", domstr), 1);
    cap.finish();
    EXPECT_STREQ(domstr, "40,-100,1");
    EXPECT_NE(cap.err().find("longer than 79"), std::string::npos);
}

TEST_F(DomRegion, RegionForms)
{
    write_file(dir.file("other.reg"), "aa A 1 30,40,25,17,1,1\nbb B 1 ll,1,2\n");
    struct Row {
        const char *text;
        int result;
        float clat;
    };
    const Row rows[] = {
        {"wo", 2, 0},         {"EU", 2, 52},         {"hid", 2, 80},
        {"pair", 2, 52},      {"fi:other.reg", 2, 30}, {"other.reg:bb", 2, 1},
        {"other.reg:zz", -1, 0}, {"bad", -1, 0},  {"nowhere", -1, 0},
        {"us", 2, 39},        {"nosuch.reg:aa", -1, 0}, {"fi:nosuch.reg", -1, 0},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.text);
        Domain d;
        CaptureStdio cap;
        EXPECT_EQ(DOM_decode(r.text, &d), r.result);
        cap.finish();
        if (r.result == 2) {
            EXPECT_FLOAT_EQ(d.clat, r.clat);
            EXPECT_EQ(FLAG_get(5), 2);
        } else {
            EXPECT_NE(cap.err().find("Invalid plot domain"), std::string::npos) << cap.err();
        }
    }
    // "file:" loads that file as the region menu and gives no domain.
    Domain d;
    EXPECT_EQ(DOM_decode("other.reg:", &d), -9999);
    EXPECT_EQ(d.proj, -9999);
    EXPECT_STREQ(DOM_get_region_name(1), "A");
    EXPECT_STREQ(DOM_get_region_name(2), "B");
    EXPECT_EQ(DOM_get_region_name(3), nullptr);
}

TEST_F(DomRegion, RegionsThatNameThemselvesStop)
{
    write_file(dir.file("loop.reg"),
               "self S 1 loop.reg:self\n"
               "a A 1 loop.reg:b\n"
               "b B 1 loop.reg:a\n"
               "r1 R 1 loop.reg:r2\nr2 R 1 loop.reg:r3\nr3 R 1 loop.reg:r4\nr4 R 1 loop.reg:r5\n"
               "r5 R 1 loop.reg:r6\nr6 R 1 loop.reg:r7\nr7 R 1 loop.reg:r8\nr8 R 1 33,44\n");
    Domain d;
    for (const char *text : {"loop.reg:self", "loop.reg:a"}) {
        CaptureStdio cap;
        EXPECT_EQ(DOM_decode(text, &d), -1) << text;
        cap.finish();
        EXPECT_NE(cap.err().find("Invalid domain: regions nested deeper than 8"), std::string::npos);
    }
    // Eight decodings deep still read.
    EXPECT_EQ(DOM_decode("loop.reg:r2", &d), 2);
    EXPECT_FLOAT_EQ(d.clat, 33);
    CaptureStdio cap;
    EXPECT_EQ(DOM_decode("loop.reg:r1", &d), -1);
    cap.finish();
}

TEST_F(DomRegion, NamesFromTextAreNeverCommandsOrStreams)
{
    const std::string mark = dir.file("ran");
    Domain d;
    CaptureStdio cap;
    EXPECT_EQ(DOM_decode(("|touch " + mark + ":x").c_str(), &d), -1);
    EXPECT_EQ(DOM_decode(("fi:|touch " + mark).c_str(), &d), -1);
    EXPECT_EQ(DOM_decode("-:x", &d), -1);  // not standard input: no wait
    EXPECT_EQ(DOM_decode("std:", &d), -1);
    EXPECT_EQ(DOM_decode((dir.path() + ":x").c_str(), &d), -1);  // a directory
    cap.finish();
    EXPECT_FALSE(vyktest::run("test -e " + quote(mark)).status == 0);

    // A region file of binary junk.
    std::string junk;
    for (int k = 0; k < 4000; k++) junk += static_cast<char>((k * 7919) % 256);
    write_file(dir.file("junk.reg"), junk);
    CaptureStdio cap2;
    DOM_decode("junk.reg:x", &d);
    DOM_decode("fi:junk.reg", &d);
    DOM_read_menu("junk.reg");
    DOM_print_file("junk.reg");
    cap2.finish();
}

TEST_F(DomRegion, MenuFromTheFile)
{
    EXPECT_STREQ(DOM_get_region_name(0), "Return to previous menu");
    EXPECT_STREQ(DOM_get_region_name(1), "Contiguous US");  // built in until a file loads
    EXPECT_EQ(DOM_read_menu("vyk.reg"), 1);
    const char *names[] = {"World", "Europe", "Hidden area", "Named pair", "Bad string"};
    for (int k = 0; k < 5; k++) EXPECT_STREQ(DOM_get_region_name(k + 1), names[k]);
    EXPECT_EQ(DOM_get_region_name(6), nullptr);  // too long an abbreviation, flag 0, the blank

    // At most 19 regions; names cut to 20 characters.
    std::string many;
    for (int k = 0; k < 25; k++)
        many += "r" + std::to_string(k) + " A_very_long_region_name_" + std::to_string(k) + " 1 40,-100\n";
    write_file(dir.file("many.reg"), many);
    EXPECT_EQ(DOM_read_menu("many.reg"), 1);
    EXPECT_STREQ(DOM_get_region_name(1), "A very long region n");
    EXPECT_NE(DOM_get_region_name(19), nullptr);
    EXPECT_EQ(DOM_get_region_name(20), nullptr);
    EXPECT_EQ(DOM_get_region_name(-1), nullptr);

    // A file that does not open leaves the menu as it was.
    EXPECT_EQ(DOM_read_menu("nosuch.reg"), 0);
    EXPECT_NE(DOM_get_region_name(19), nullptr);
}

TEST_F(DomRegion, BuiltInMenuWithoutARegionFile)
{
    RES_put("file_path", "/nonexistent");
    EXPECT_EQ(DOM_read_menu("vyk.reg"), 0);
    const char *names[] = {"Contiguous US", "New England", "Atlantic", "Southeastern", "Midwestern",
                           "Southern Plains", "Northwestern", "Southwestern", "Variable"};
    for (int k = 0; k < 9; k++) EXPECT_STREQ(DOM_get_region_name(k + 1), names[k]);
    EXPECT_EQ(DOM_get_region_name(10), nullptr);

    // The first region of the menu, the built-in "us", is the last resort of flag 4.
    Domain d;
    EXPECT_EQ(DOM_get_region(&d, 4), 2);
    EXPECT_EQ(d.clat, 39);
    EXPECT_EQ(DOM_get_region(&d, 2), 0);
    EXPECT_EQ(d.proj, -9999);

    // Built-in regions, and the variable one not prompted in batch mode.
    const struct {
        const char *name;
        float clat, clon, dx;
    } rows[] = {{"us", 39, -97, 2.3f}, {"NE", 42, -76, 0.9f}, {"at", 37, -82, 0.9f},
                {"se", 31, -88, 1.1f}, {"mw", 43, -93, 1.1f}, {"sp", 32.5f, -100, 1.2f},
                {"nw", 44, -112, 1},   {"sw", 37, -112, 1}};
    for (const auto &r : rows) {
        Domain b;
        DOM_init(&b);
        ASSERT_EQ(DOM_get_def_region(r.name, &b), 1) << r.name;
        EXPECT_EQ(b.proj, 1);
        EXPECT_EQ(b.clat, r.clat);
        EXPECT_EQ(b.clon, r.clon);
        EXPECT_EQ(b.plon, r.clon);
        EXPECT_FLOAT_EQ(b.dx, r.dx);
        EXPECT_FLOAT_EQ(b.dy, r.dx);
        EXPECT_EQ(b.nx, 25);
    }
    Domain b;
    EXPECT_EQ(DOM_get_def_region("xx", &b), 0);
    FLAG_set_batch(1);
    EXPECT_EQ(DOM_get_def_region("var", &b), 0);
}

TEST_F(DomRegion, ListingAndResources)
{
    CaptureStdio cap;
    DOM_print_file("vyk.reg");
    cap.finish();
    EXPECT_NE(cap.out().find(" Abbr    Description\n"), std::string::npos);
    EXPECT_NE(cap.out().find("EU       Europe"), std::string::npos) << cap.out();
    EXPECT_EQ(cap.out().find("late"), std::string::npos);

    Domain d;
    RES_put("region", "eu");
    RES_put("plot_domain", "40,-100");
    EXPECT_EQ(DOM_get_region(&d, 1), 1);
    EXPECT_EQ(DOM_get_region(&d, 2), 2);
    EXPECT_EQ(DOM_get_grid_domain(&d), 2);
    RES_put("grid_domain", "wo");
    EXPECT_EQ(DOM_get_grid_domain(&d), 2);
    EXPECT_EQ(d.nx, 73);
}

TEST_F(DomRegion, PromptInBatchModeAndFromResources)
{
    FLAG_set_batch(1);
    Domain d;
    EXPECT_EQ(DOM_prompt_region(&d, 1), 2);  // the file's first region
    EXPECT_EQ(d.nx, 73);
    EXPECT_EQ(DOM_prompt_region(&d, 1), 0);  // it asks once
    DOM_set_prompt_region(1);
    RES_put("region", "eu");
    EXPECT_EQ(DOM_prompt_region(&d, 1), 2);
    EXPECT_FLOAT_EQ(d.clat, 52);

    DOM_set_prompt_region(1);
    RES_put("region", "nowhere");
    EXPECT_EXIT(DOM_prompt_region(&d, 1), ::testing::ExitedWithCode(43), "Invalid domain");
}

TEST_F(DomRegion, InteractivePrompt)
{
    const std::string cmd = tool("map_tool") + " -fp " + quote(dir.path()) + " -p";
    // An invalid answer asks again; "list" lists the file; a region name answers.
    auto r = run(cmd, "nowhere\nlist\neu\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Region Menu"), std::string::npos);
    EXPECT_NE(r.out.find("World"), std::string::npos);
    EXPECT_NE(r.out.find("EU       Europe"), std::string::npos);
    EXPECT_NE(r.err.find("Invalid domain"), std::string::npos);
    EXPECT_NE(r.out.find("result 2\nlamb:50.000:10.000:35.000:65.000:,52.000"), std::string::npos)
        << r.out;
    // A number picks a row; the answer may also be any domain string.
    r = run(cmd, "1\n");
    EXPECT_NE(r.out.find("result 2\nlatlon"), std::string::npos) << r.out;
    r = run(cmd, "30,40\n");
    EXPECT_NE(r.out.find("result 1\npstereo:::::,30.000,40.000"), std::string::npos) << r.out;
    // Five bad answers give up; "exit" ends the program.
    r = run(cmd, "a\nb\nc\nd\ne\nf\n");
    EXPECT_NE(r.out.find("result -1"), std::string::npos) << r.out;
    r = run(cmd, "exit\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.find("result"), std::string::npos);
    // A resource that does not decode ends with status 43.
    r = run(cmd + " -re nowhere", "");
    EXPECT_EQ(r.status, 43);
}

}  // namespace

namespace {

/// The shipped region file: every entry reads, and each region shows the places that define
/// its area (extreme points of the continents, the polar circles, the NOAA profiler sites).
TEST(DomRegionFile, ShippedRegionsCoverTheirAreas)
{
    RES_put("file_path", VYK_SOURCE_DIR "/etc");
    struct Row {
        const char *abbr;
        std::vector<std::pair<float, float>> places;
    };
    const Row rows[] = {
        {"wo", {{89, -179}, {-89, 179}, {0, 0}}},
        {"na", {{71.98f, -94.5f}, {7.2f, -80.9f}, {65.6f, -168.1f}, {52.2f, -55.6f}, {25, -110}}},
        {"sa", {{12.46f, -71.67f}, {-55.98f, -67.27f}, {-4.68f, -81.33f}, {-7.15f, -34.79f}}},
        {"eu", {{71.17f, 25.78f}, {36, -5.6f}, {38.78f, -9.5f}, {65.5f, -24.5f}, {60, 59}, {35, 33}}},
        {"af", {{37.35f, 9.75f}, {-34.83f, 20}, {14.74f, -17.53f}, {10.45f, 51.4f}}},
        {"as", {{77.7f, 104.3f}, {1.27f, 103.5f}, {39.48f, 26.07f}, {66.08f, -169.7f}, {8, 77.5f}}},
        {"oc", {{-10.69f, 142.53f}, {-39.14f, 146.38f}, {-26.15f, 113.16f}, {-28.64f, 153.64f},
                {-46.6f, 168.3f}, {-34.4f, 172.7f}}},
        {"arc", {{90, 0}, {66.5f, 0}, {66.5f, 90}, {66.5f, 180}, {66.5f, -90}}},
        {"ant", {{-90, 0}, {-65, 0}, {-65, 90}, {-65, 180}, {-65, -90}, {-63.2f, -57}}},
        {"us", {{49.38f, -95.15f}, {24.5f, -81.8f}, {48.4f, -124.7f}, {44.8f, -66.95f},
                {47.46f, -69.2f}, {32.5f, -117.1f}}},
        {"gde", {{0, -75.2f}, {70, -75.2f}, {-70, -75.2f}, {0, -5}, {0, -145}}},
        {"gdw", {{0, -137.2f}, {60, -160}, {0, 150}}},
        {"msg", {{0, 0}, {50, 10}, {-34, 18}}},
        {"prf", {{36.69f, -97.48f}, {34.98f, -97.52f}, {37.65f, -99.09f}, {37.38f, -95.63f},
                 {40.82f, -87.05f}, {40.18f, -104.73f}, {33.02f, -100.98f}, {36.88f, -89.97f}}},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.abbr);
        Domain d;
        ASSERT_EQ(DOM_decode(r.abbr, &d), 2);
        MAP_domain(&d);
        for (const auto &p : r.places) {
            float x, y;
            EXPECT_EQ(MAP_tran(p.first, p.second, &x, &y), 1) << p.first << " " << p.second;
            EXPECT_EQ(MAP_in_domain(x, y), 1) << p.first << " " << p.second << " at " << x << " " << y;
        }
    }
    // The menu offers the shown regions, in the file's order.
    ASSERT_EQ(DOM_read_menu("vyk.reg"), 1);
    EXPECT_STREQ(DOM_get_region_name(1), "World");
    EXPECT_STREQ(DOM_get_region_name(14), "Profiler network");
    EXPECT_EQ(DOM_get_region_name(15), nullptr);
}

}  // namespace
