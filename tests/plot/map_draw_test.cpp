// The background map: map lists with passes, region blocks and size tests, the default list,
// item attributes and fills, map list files, the settings of the line intervals, range
// circles; and world, polar and United States maps from the shipped map files drawn to
// PostScript through map_demo and rendered by ghostscript.
#include <gtest/gtest.h>

#include "image_util.h"
#include "map_fixture.h"
#include "test_util.h"
#include "vykgks.h"
#include "vykplot.h"

#include <cmath>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using maptest::Drawing;
using maptest::Record;
using vyktest::has;

namespace {

/// A latitude-longitude domain centred at (clat, clon), one degree a grid step, of the given
/// height (and twice that width) in degrees.
Domain latlon(float clat, float clon, int height)
{
    return vyktest::make_domain(DOM_LATLON, clat, clon, 1, 1, 2 * height + 1, height + 1);
}

/// The items drawn: the names of the "Map: " messages.
std::vector<std::string> drawn(const std::vector<Record> &rs)
{
    std::vector<std::string> out;
    for (const std::string &m : maptest::messages(rs))
        if (m.compare(0, 5, "Map: ") == 0) out.push_back(m.substr(5));
    return out;
}

std::string joined(const std::vector<std::string> &v)
{
    std::string s;
    for (const std::string &w : v) s += (s.empty() ? "" : " ") + w;
    return s;
}

const char *const ONE_LINE = "2 0 0 0 0 0\n40 -100\n41 -99\n0 0 0 0 0 0\n";

}  // namespace

// ---------------------------------------------------------------------------------------------
// Lists, passes, region blocks and size tests
// ---------------------------------------------------------------------------------------------

struct ListCase {
    const char *name;
    const char *list;
    float clat, clon;
    int height;
    int mask;
    const char *drawn;  // the items drawn, in order
};

const ListCase list_cases[] = {
    {"FirstBlockMatchesAndEndsAtTheSecond", "[20,60,-130,-60,30],states.map,[0,90,-180,180],world.map",
     40, -100, 20, 7, "states.map"},
    {"TooLargeForTheFirstBlock", "[20,60,-130,-60,30],states.map,[0,90,-180,180],world.map",
     40, -100, 40, 7, "world.map"},
    {"BlockWithoutSize", "[20,60,-130,-60],a.map,[0,90,-180,180],b.map", 40, -100, 20, 7,
     "a.map"},
    {"CentreOutsideTheFirstBlock", "[20,60,-130,-60],a.map,[0,90,-180,180],b.map", 10, 20, 20, 7,
     "b.map"},
    {"EmptyBlockMatchesAnyPlot", "[60,20,-60,-130],a.map,[],b.map", 10, 20, 20, 7, "b.map"},
    {"ItemsBeforeTheFirstBlockAlways", "pre.map,[0,1,0,1],a.map", 40, -100, 20, 7, "pre.map"},
    {"BoundsIncluded", "[40,50,-100,-90],a.map", 40, -100, 20, 7, "a.map"},
    {"MinusPassOnly", "-a.map,+b.map,c.map", 0, 0, 20, MAP_PASS_MINUS, "-a.map"},
    {"PlusPassOnly", "-a.map,+b.map,c.map", 0, 0, 20, MAP_PASS_PLUS, "+b.map"},
    {"PlainPassOnly", "-a.map,+b.map,c.map", 0, 0, 20, MAP_PASS_PLAIN, "c.map"},
    {"UnderAndPlain", "-a.map,+b.map,c.map", 0, 0, 20, 5, "-a.map c.map"},
    {"SizeAtLeastTooSmall", "-s+40:topo.map", 0, 0, 30, 7, ""},
    {"SizeAtLeastLargeEnough", "-s+40:topo.map", 0, 0, 40, 7, "-s+40:topo.map"},
    {"SizeAtLeastWrongPass", "-s+40:topo.map", 0, 0, 40, 6, ""},
    {"SizeBetweenBelow", ">10<100:x.map", 0, 0, 8, 7, ""},
    {"SizeBetweenInside", ">10<100:x.map", 0, 0, 50, 7, ">10<100:x.map"},
    {"SizeBetweenAbove", ">10<100:x.map", 0, 0, 120, 7, ""},
    {"SizeAtMost", "s-30:a.map,<30>10:b.map", 0, 0, 20, 7, "s-30:a.map <30>10:b.map"},
    {"SizeAtMostTooLarge", "s-30:a.map,<30>10:b.map", 0, 0, 40, 7, ""},
    {"EmptyItemsSkipped", ",a.map,,", 0, 0, 20, 7, "a.map"},
};

class MapList : public testing::TestWithParam<ListCase> {};

TEST_P(MapList, DrawsTheItemsOfItsPassAndPlot)
{
    const ListCase &c = GetParam();
    Drawing d(latlon(c.clat, c.clon, c.height));
    ASSERT_TRUE(d.ok());
    ASSERT_FLOAT_EQ(MAP_get_vert(), static_cast<float>(c.height));
    MAP_file(c.list);
    vyktest::CaptureStdio cap;
    EXPECT_EQ(MAP_draw(c.mask), 0);
    cap.finish();
    EXPECT_EQ(joined(drawn(d.records())), c.drawn) << c.list;
}

INSTANTIATE_TEST_SUITE_P(Cases, MapList, testing::ValuesIn(list_cases),
                         [](const testing::TestParamInfo<ListCase> &i) { return i.param.name; });

TEST(MapDraw, TheDefaultListFollowsTheDomainAndThenStays)
{
    {
        Drawing d(latlon(40, -95, 50));
        vyktest::CaptureStdio cap;
        MAP_draw(7);
        cap.finish();
        EXPECT_EQ(joined(drawn(d.records())), "vyk.map");
    }
    // The default stays once chosen, whatever the domain.
    Drawing d(latlon(40, -95, 80));
    vyktest::CaptureStdio cap;
    MAP_draw(7);
    cap.finish();
    EXPECT_EQ(joined(drawn(d.records())), "vyk.map");
}

TEST(MapDraw, TheDefaultListOfLargePlotsAndOtherPlaces)
{
    for (const auto &dom : {latlon(40, -95, 80), latlon(40, 10, 20)}) {
        MAP_file("");
        Drawing d(dom);
        vyktest::CaptureStdio cap;
        MAP_draw(7);
        cap.finish();
        EXPECT_EQ(joined(drawn(d.records())), "cont.map country.map");
        // Neither is in the scratch folder: each is reported, and drawing goes on.
        EXPECT_TRUE(has(cap.err(), "MAP_process: Map file not found: " + d.dir().file("cont.map")))
            << cap.err();
        EXPECT_TRUE(has(cap.err(), "country.map")) << cap.err();
    }
}

TEST(MapDraw, TheMapFileResourceOverridesTheList)
{
    Drawing d(latlon(0, 0, 20));
    MAP_file("a.map");
    RES_put("map_file", "b.map,c.map");
    vyktest::CaptureStdio cap;
    MAP_draw(7);
    cap.finish();
    EXPECT_EQ(joined(drawn(d.records())), "b.map c.map");
}

TEST(MapDraw, NothingWhileTheMapSwitchIsOff)
{
    Drawing d(latlon(0, 0, 20));
    d.write("a.map", ONE_LINE);
    MAP_file("a.map");
    MAP_latlon(10, 10, 0, 0);
    FLAG_setplot(PLOT_MAP, 0);
    EXPECT_EQ(MAP_draw(7), 0);
    const std::vector<Record> rs = d.records();
    EXPECT_TRUE(maptest::of_kind(rs, "PL").empty());
    EXPECT_TRUE(drawn(rs).empty());
}

TEST(MapDraw, NoLatitudeLongitudeLinesWhileTheGridSwitchIsOff)
{
    for (const int grid : {1, 0}) {
        SCOPED_TRACE(grid);
        Drawing d(latlon(40, -100, 20));
        d.write("a.map", ONE_LINE);
        MAP_file("a.map,lalo:20");
        MAP_latlon(10, 10, 0, 0);
        FLAG_setplot(PLOT_GRID, grid);
        vyktest::CaptureStdio cap;
        EXPECT_EQ(MAP_draw(7), 0);
        cap.finish();
        const std::vector<Record> rs = d.records();
        EXPECT_EQ(joined(drawn(rs)), "a.map");  // the map itself is drawn either way
        const size_t lines = maptest::of_kind(rs, "PL").size();
        if (grid) EXPECT_GT(lines, 10u);
        else EXPECT_EQ(lines, 1u);  // the map file's one line
    }
}

TEST(MapDraw, ItemsDrawInTheirColoursAndFills)
{
    Drawing d(latlon(40, -100, 20));
    d.write("a.map", ONE_LINE);
    d.write("box.map", "4 0 0 0 0 0\n40 -100\n41 -100\n41 -99\n40 -100\n0 0 0 0 0 0\n");
    MAP_file("-a.map:blue,+box.map:green:f0,a.map,a.map:none");
    MAP_draw(MAP_PASS_MINUS);
    MAP_draw(MAP_PASS_PLUS);
    MAP_set_format("cyan");
    MAP_draw(MAP_PASS_PLAIN);
    const std::vector<Record> rs = d.records();
    // One line each for blue and for cyan (the format); none in "none"; one filled box.
    EXPECT_EQ(maptest::of_kind(rs, "PL").size(), 2u);
    ASSERT_EQ(maptest::of_kind(rs, "FA").size(), 1u);
    EXPECT_EQ(maptest::of_kind(rs, "FA")[0].pts.size(), 4u);
    const std::string all = vyktest::read_file(d.dir().file("map.meta"));
    for (const char *colour : {"blue", "green", "cyan"})
        EXPECT_TRUE(has(all, "_CLR " + std::to_string(CLR_get_ind(colour)))) << colour << all;
}

TEST(MapDraw, ColoursOfMapFilesWithoutTheirOwn)
{
    Drawing d(latlon(40, -100, 20));
    d.write("a.map", ONE_LINE);
    MAP_file("a.map");
    RES_put("color_map", "orange");
    MAP_draw(7);
    RES_put("color_cmap", "purple");
    MAP_fill_cont(1);
    MAP_draw(7);
    d.records();
    const std::string meta = vyktest::read_file(d.dir().file("map.meta"));
    const size_t orange = meta.find("PL_CLR " + std::to_string(CLR_get_ind("orange")));
    const size_t purple = meta.find("PL_CLR " + std::to_string(CLR_get_ind("purple")));
    ASSERT_NE(orange, std::string::npos) << meta;
    ASSERT_NE(purple, std::string::npos) << meta;
    EXPECT_LT(orange, purple);
}

TEST(MapDraw, MapListFilesAreReadWordByWord)
{
    Drawing d(latlon(40, -100, 20));
    d.write("a.map", ONE_LINE);
    d.write("list.txt", "a.map  [0,1,0,1]\n  b.map\n");
    d.write("outer.txt", "fi:list.txt c.map\n");
    MAP_file("fi:list.txt,fi:outer.txt,fi:missing.txt,d.map");
    vyktest::CaptureStdio cap;
    MAP_draw(7);
    cap.finish();
    // The block of the first file leaves its section for the rest of the list; list files do
    // not nest; a missing one is reported and the list goes on.
    EXPECT_EQ(joined(drawn(d.records())), "a.map");
    EXPECT_TRUE(has(cap.err(), "MAP_draw: Map list files do not nest: fi:list.txt")) << cap.err();
    EXPECT_TRUE(has(cap.err(), "MAP_draw: Unable to open map list file: " +
                                   d.dir().file("missing.txt")))
        << cap.err();
}

TEST(MapDraw, NamesAreOpenedAsPlainFilesOnly)
{
    Drawing d(latlon(40, -100, 20));
    RES_put("file_path", "");
    const std::string marker = d.dir().file("ran");
    const std::string list = "|touch " + marker + ",fi:|touch " + marker;
    MAP_file(list.c_str());
    vyktest::CaptureStdio cap;
    MAP_draw(7);
    cap.finish();
    d.records();
    EXPECT_FALSE(vyktest::run("test -e " + marker).status == 0);
    EXPECT_TRUE(has(cap.err(), "Map file not found: |touch")) << cap.err();
    EXPECT_TRUE(has(cap.err(), "Unable to open map list file: |touch")) << cap.err();
}

TEST(MapDraw, ImagesAndMetafilesOfAListAreRegularFilesOnly)
{
    // A map list file comes with data: its image items never start a command and its metafile
    // items never open a FIFO (which would wait for ever).
    Drawing d(latlon(40, -100, 20));
    RES_put("file_path", d.dir().path().c_str());
    RES_put("image_path", "");
    const std::string marker = d.dir().file("ran"), fifo = d.dir().file("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    d.write("list.txt", "im:|touch${IFS}" + marker + " if:|touch${IFS}" + marker + " mf:" + fifo + "\n");
    MAP_file("fi:list.txt");
    vyktest::CaptureStdio cap;
    MAP_draw(7);
    cap.finish();
    d.records();
    EXPECT_NE(access(marker.c_str(), F_OK), 0);
    EXPECT_EQ(vyktest::count(cap.err(), "MAP_process: Image file not found: |touch${IFS}" + marker),
              2)
        << cap.err();
    EXPECT_TRUE(has(cap.err(), "MAP_process: Metafile not found: " + fifo)) << cap.err();
}

TEST(MapDraw, DiagramsOpenNoGeographicMapFile)
{
    Drawing d(vyktest::make_domain(DOM_CAT, -1, -1000, 14, 18000, 25, 21));
    MAP_file("cont.map");
    vyktest::CaptureStdio cap;
    MAP_draw(7);
    cap.finish();
    EXPECT_TRUE(maptest::of_kind(d.records(), "PL").empty());
    EXPECT_FALSE(has(cap.err(), "not found")) << cap.err();
    EXPECT_EQ(MAP_map(stdin), 1);
}

TEST(MapDraw, ABadSizeTestIsReported)
{
    Drawing d(latlon(0, 0, 20));
    MAP_file("s+x:a.map,>10a.map");
    vyktest::CaptureStdio cap;
    MAP_draw(7);
    cap.finish();
    EXPECT_TRUE(drawn(d.records()).empty());
    EXPECT_EQ(vyktest::count(cap.err(), "MAP_process: A size test needs a number and ':'"), 2)
        << cap.err();
}

// ---------------------------------------------------------------------------------------------
// Settings, window and circles
// ---------------------------------------------------------------------------------------------

TEST(MapDraw, SettingsAndTheWindow)
{
    float lat = -1, lon = -1;
    MAP_get_latlon(&lat, &lon);
    EXPECT_EQ(lat, 0);
    EXPECT_EQ(lon, 0);
    MAP_latlon(1, -2000, 0, 0);
    MAP_get_latlon(&lat, &lon);
    EXPECT_EQ(lat, 1);
    EXPECT_EQ(lon, -2000);

    Drawing d(latlon(10, 20, 30));
    Glim w;
    EXPECT_EQ(MAP_get_window(&w), 0);
    EXPECT_FLOAT_EQ(w.x_min, -30);  // x counts from the pole's longitude, the centre's
    EXPECT_FLOAT_EQ(w.x_max, 30);
    EXPECT_FLOAT_EQ(w.y_min, -5);
    EXPECT_FLOAT_EQ(w.y_max, 25);
    EXPECT_FLOAT_EQ(MAP_get_vert(), 30);
    EXPECT_FLOAT_EQ(MAP_get_hor(), 60);
    EXPECT_EQ(MAP_setup(nullptr), -1);
    EXPECT_FLOAT_EQ(MAP_get_vert(), 30);

    // Long texts are cut to their fields.
    const std::string big(400, 'a');
    EXPECT_EQ(MAP_file(big.c_str()), 0);
    EXPECT_EQ(MAP_set_format(big.c_str()), 0);
}

TEST(MapDraw, ARangeCircleIsClosed)
{
    Drawing d(vyktest::make_domain(DOM_PSTEREO, 40, -100, 1, 1, 41, 41));
    float x, y;
    MAP_tran(40, -100, &x, &y);
    EXPECT_EQ(MAP_draw_circle(x, y, 100), 0);
    const std::vector<Record> pl = maptest::of_kind(d.records(), "PL");
    ASSERT_EQ(pl.size(), 1u);
    ASSERT_EQ(pl[0].pts.size(), 49u);
    EXPECT_TRUE(maptest::near(pl[0].pts.front(), pl[0].pts.back().x, pl[0].pts.back().y));
    // 100 km is one plot unit times the projection's scale there.
    const double r = MAP_factor(40, -100);
    for (const Gpt &p : pl[0].pts) EXPECT_NEAR(std::hypot(p.x - x, p.y - y), r, 0.02 * r);
}

// ---------------------------------------------------------------------------------------------
// World and polar maps from the shipped files, rendered by ghostscript
// ---------------------------------------------------------------------------------------------

namespace {

struct Page {
    vyktest::RgbImage img;
    int left = -1, right = -1, top = -1, bottom = -1;  // the data area's border
    MAP_limits lim{};
};

bool dark(const vyktest::Rgb &c) { return c.r < 200 || c.g < 200 || c.b < 200; }

/// Runs map_demo on PostScript (portrait) with the shipped map files and renders the page at
/// dpi dots per inch.
Page render(const std::string &domain_text, const std::string &options, int dpi = 72)
{
    vyktest::TempDir dir;
    const std::string ps = dir.file("map.ps");
    const vyktest::RunResult r =
        vyktest::run("env -u DISPLAY " + vyktest::quote(vyktest::tool("map_demo")) + " -ba -fp " +
                     vyktest::quote(VYK_SOURCE_DIR "/etc") + " -de p," + ps + ",port,sz=8.5x11 " + options +
                     " " + vyktest::quote(domain_text));
    Page page;
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_FALSE(has(r.err, "MAP_")) << r.err;
    const vyktest::RunResult gs = vyktest::run(
        "gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=ppmraw -r" + std::to_string(dpi) +
        " -sOutputFile=- " + ps);
    EXPECT_EQ(gs.status, 0) << gs.err;
    page.img = vyktest::parse_ppm(gs.out);
    const vyktest::RgbImage &img = page.img;
    // The border: the outermost dark pixels of the middle row, then the rows dark across.
    const int row = img.height / 2;
    for (int x = 0; x < img.width; x++)
        if (dark(img.at(x, row))) {
            if (page.left < 0) page.left = x;
            page.right = x;
        }
    for (int y = 0; y < img.height; y++) {
        int n = 0;
        for (int x = page.left; x <= page.right; x++) n += dark(img.at(x, y));
        if (n > 0.9 * (page.right - page.left + 1)) {
            if (page.top < 0) page.top = y;
            page.bottom = y;
        }
    }
    Domain dom;
    DOM_decode(domain_text.c_str(), &dom);
    MAP_domain(&dom);
    MAP_get_limits(&page.lim);
    return page;
}

/// The pixel of a place on the rendered page.
void pixel_of(const Page &p, float lat, float lon, int &px, int &py)
{
    float x, y;
    MAP_tran(lat, lon, &x, &y);
    px = static_cast<int>(std::lround(p.left + (x - p.lim.x_min) / (p.lim.x_max - p.lim.x_min) *
                                                   (p.right - p.left)));
    py = static_cast<int>(std::lround(p.bottom - (y - p.lim.y_min) / (p.lim.y_max - p.lim.y_min) *
                                                     (p.bottom - p.top)));
}

/// Dark pixels within r pixels of a place.
int dark_near(const Page &p, float lat, float lon, int r)
{
    int px, py, n = 0;
    pixel_of(p, lat, lon, px, py);
    for (int y = py - r; y <= py + r; y++)
        for (int x = px - r; x <= px + r; x++)
            if (x > p.left && x < p.right && y > p.top && y < p.bottom) n += dark(p.img.at(x, y));
    return n;
}

/// The points of the shipped binary map file nearest each place.
EarthPoint nearest_in(const std::string &file, float lat, float lon)
{
    std::ifstream in(file, std::ios::binary);
    const std::string b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto be = [&](size_t at) {
        const uint32_t u = (uint32_t{static_cast<unsigned char>(b[at])} << 24) |
                           (uint32_t{static_cast<unsigned char>(b[at + 1])} << 16) |
                           (uint32_t{static_cast<unsigned char>(b[at + 2])} << 8) |
                           static_cast<unsigned char>(b[at + 3]);
        float f;
        std::memcpy(&f, &u, 4);
        return f;
    };
    EarthPoint best{0, 0};
    double dist = 1e30;
    for (size_t at = 0; at + 22 <= b.size();) {
        const unsigned n = (unsigned{static_cast<unsigned char>(b[at])} << 8) |
                           static_cast<unsigned char>(b[at + 1]);
        at += 22;
        if (n == 0) break;
        for (unsigned i = 0; i < n && at + 8 <= b.size(); i++, at += 8) {
            const float la = be(at), lo = be(at + 4);
            const double d = std::hypot(la - lat, lo - lon);
            if (d < dist) {
                dist = d;
                best = {la, lo};
            }
        }
    }
    EXPECT_LT(dist, 1.0) << file << " has no point near " << lat << "," << lon;
    return best;
}

const std::string CONT = VYK_SOURCE_DIR "/etc/cont.map";

}  // namespace

TEST(MapRender, AWorldMapDrawsItsCoastsAndLeavesTheOceanBlank)
{
    const Page p = render("ll,0,0,181,91,2,2", "");
    ASSERT_GT(p.right - p.left, 300);
    ASSERT_GT(p.bottom - p.top, 150);
    EXPECT_NEAR(static_cast<double>(p.right - p.left) / (p.bottom - p.top), 2.0, 0.03);
    // Coasts: the Strait of Gibraltar, the Florida peninsula, Cape Horn, Tasmania.
    for (const EarthPoint e : {EarthPoint{36.0f, -5.6f}, EarthPoint{27.0f, -80.1f},
                               EarthPoint{-55.9f, -67.3f}, EarthPoint{-43.5f, 146.9f}}) {
        const EarthPoint c = nearest_in(CONT, e.lat, e.lon);
        EXPECT_GT(dark_near(p, c.lat, c.lon, 1), 0) << c.lat << "," << c.lon;
    }
    // Open ocean: the mid-Atlantic, the South Pacific, the Indian Ocean.
    for (const EarthPoint e : {EarthPoint{30, -45}, EarthPoint{-40, -125}, EarthPoint{-20, 80}})
        EXPECT_EQ(dark_near(p, e.lat, e.lon, 3), 0) << e.lat << "," << e.lon;
}

TEST(MapRender, APolarMapWithGridLines)
{
    const Page p = render("ps:90:-100,90,-100,41,41,4,4", "-pp lalo=10");
    ASSERT_GT(p.right - p.left, 300);
    EXPECT_NEAR(static_cast<double>(p.right - p.left) / (p.bottom - p.top), 1.0, 0.03);
    // Hudson Bay's and Greenland's coasts.
    for (const EarthPoint e : {EarthPoint{60.0f, -94.6f}, EarthPoint{60.0f, -43.5f}}) {
        const EarthPoint c = nearest_in(CONT, e.lat, e.lon);
        EXPECT_GT(dark_near(p, c.lat, c.lon, 1), 0) << c.lat << "," << c.lon;
    }
    // The parallel of 50 N and the meridian of 100 W pass through open water; between the
    // lines the North Pacific stays blank.
    EXPECT_GT(dark_near(p, 50, -165, 1), 0);
    EXPECT_GT(dark_near(p, 40, -140, 1), 0);
    EXPECT_EQ(dark_near(p, 45, -145, 2), 0);
}

namespace {

/// A place on a lake's shore, or on its open water, and its name.
struct LakePlace {
    const char *name;
    EarthPoint at;
};

// Shores of the Great Lakes at lakeside towns: Lake Michigan's west shore (Milwaukee,
// Sheboygan) and east shore (Grand Haven, Ludington); Lake Superior's south and north shores
// (Marquette, Thunder Bay), Lake Erie's south shore (Cleveland) and Lake Ontario's (Rochester).
const LakePlace lake_shores[] = {
    {"Milwaukee", {43.04f, -87.89f}},   {"Sheboygan", {43.75f, -87.70f}},
    {"Grand Haven", {43.06f, -86.25f}}, {"Ludington", {43.955f, -86.455f}},
    {"Marquette", {46.54f, -87.39f}},   {"Thunder Bay", {48.40f, -89.20f}},
    {"Cleveland", {41.50f, -81.70f}},   {"Rochester", {43.26f, -77.60f}}};

// The open water of Lake Michigan between those shores, 55 km and more from either.
const LakePlace lake_water[] = {{"off Milwaukee", {43.0f, -87.05f}},
                                {"off Kenosha", {42.5f, -87.0f}}};

/// Each shore has a line within shore_r pixels; the open water has none within water_r.
void expect_lakes(const Page &p, int shore_r, int water_r)
{
    for (const LakePlace &s : lake_shores)
        EXPECT_GT(dark_near(p, s.at.lat, s.at.lon, shore_r), 0) << s.name;
    for (const LakePlace &w : lake_water)
        EXPECT_EQ(dark_near(p, w.at.lat, w.at.lon, water_r), 0) << w.name;
}

}  // namespace

TEST(MapRender, TheUnitedStatesMapDrawsTheGreatLakes)
{
    // The Contiguous_US region: a plot 36 units high over America, whose default map is the
    // finer North American map. At 144 dpi a pixel is about 5.5 km; Lake Michigan is some 25
    // pixels wide.
    const Page p = render("lc:40:-97:33:45,38.5,-96.5,29,19,2,2", "", 144);
    ASSERT_GT(p.right - p.left, 900);
    expect_lakes(p, 2, 4);
}

TEST(MapRender, TheWorldMapDrawsTheGreatLakes)
{
    // At 300 dpi a degree is about 6.7 pixels; Lake Michigan is some 11 pixels wide.
    const Page p = render("ll,0,0,181,91,2,2", "", 300);
    ASSERT_GT(p.right - p.left, 2000);
    expect_lakes(p, 2, 1);
}
