// Latitude-longitude lines and diagram grids: the lines and labels drawn for several intervals
// and domains, the profiler's time-height grid with its aligned height lines, extra labels and
// the cross grid, lalo items and the lines of MAP_draw, and intervals that draw nothing.
#include <gtest/gtest.h>

#include "map_fixture.h"
#include "test_util.h"
#include "vykplot.h"

#include <cmath>
#include <set>
#include <string>
#include <vector>

using maptest::Drawing;
using maptest::Record;
using vyktest::has;

namespace {

Domain world() { return vyktest::make_domain(DOM_LATLON, 0, 0, 2, 2, 181, 91); }

/// What MAP_lines drew: its result and the records.
struct Lines {
    int result = 99;
    std::vector<Record> records;
    std::string err;
};

Lines draw_lines(const Domain &dom, float dlat, float dlon, int dot = 0, int extra = 0)
{
    Drawing d(dom);
    MAP_latlon(0, 0, dot, extra);
    Lines out;
    vyktest::CaptureStdio cap;
    out.result = MAP_lines(dlat, dlon);
    cap.finish();
    out.err = cap.err();
    out.records = d.records();
    return out;
}

/// The distinct y of the horizontal segments and x of the vertical ones (to 1e-3).
std::set<long> levels(const std::vector<Record> &rs, bool horizontal)
{
    std::set<long> out;
    for (const Record &r : maptest::of_kind(rs, "PL")) {
        if (r.pts.size() != 2) continue;
        const Gpt a = r.pts[0], b = r.pts[1];
        if (horizontal && std::fabs(a.y - b.y) < 1e-4f && std::fabs(a.x - b.x) > 1e-3f)
            out.insert(std::lround(a.y * 1000));
        if (!horizontal && std::fabs(a.x - b.x) < 1e-4f && std::fabs(a.y - b.y) > 1e-3f)
            out.insert(std::lround(a.x * 1000));
    }
    return out;
}

std::set<long> thousandths(std::initializer_list<double> v)
{
    std::set<long> out;
    for (const double x : v) out.insert(std::lround(x * 1000));
    return out;
}

std::vector<std::string> texts(const std::vector<Record> &rs)
{
    std::vector<std::string> out;
    for (const Record &r : maptest::of_kind(rs, "TE")) out.push_back(r.text);
    return out;
}

int count_text(const std::vector<Record> &rs, const std::string &t)
{
    int n = 0;
    for (const std::string &s : texts(rs)) n += s == t;
    return n;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Map projections
// ---------------------------------------------------------------------------------------------

TEST(MapLines, ParallelsAndMeridiansWithTheirLabels)
{
    const Lines l = draw_lines(world(), 30, 45);
    EXPECT_EQ(l.result, 0);
    EXPECT_EQ(levels(l.records, true), thousandths({-60, -30, 0, 30, 60}));
    EXPECT_EQ(levels(l.records, false),
              thousandths({-135, -90, -45, 0, 45, 90, 135, 180}));
    // Parallel labels at the left edge, meridian labels at the bottom (the meridians at the
    // edges themselves have none).
    for (const char *t : {"EQ", "30N", "60N", "30S", "60S", "PM", "45E", "135E", "45W", "135W"})
        EXPECT_EQ(count_text(l.records, t), 1) << t;
    EXPECT_EQ(count_text(l.records, "DL"), 0);
    for (const Record &r : maptest::of_kind(l.records, "TE")) {
        if (r.text.back() == 'N' || r.text.back() == 'S' || r.text == "EQ")
            EXPECT_NEAR(r.pts[0].x, -180 + 3.6, 1e-3) << r.text;
        else
            EXPECT_NEAR(r.pts[0].y, -90 + 3.6, 1e-3) << r.text;
    }
}

struct CountCase {
    const char *name;
    float dlat, dlon;
    size_t parallels, meridians;
};

// Counted by index: the last line is neither lost nor doubled by rounding.
const CountCase count_cases[] = {
    {"Thirty", 30, 45, 5, 8},
    {"Ten", 10, 10, 17, 36},
    {"NotDividing", 25, 50, 7, 7},       // 0, +-25, +-50, +-75; 0, +-50, +-100, +-150
    {"ThreeTenths", 30, 0.3f, 5, 1200},  // 0.3 as a float: 180 is still the last meridian
    {"Sevenths", 90.0f / 7, 180.0f / 7, 13, 14},
};

class MapLineCount : public testing::TestWithParam<CountCase> {};

TEST_P(MapLineCount, LinesCountedByIndex)
{
    const CountCase &c = GetParam();
    const Lines l = draw_lines(world(), c.dlat, c.dlon);
    EXPECT_EQ(l.result, 0);
    EXPECT_EQ(levels(l.records, true).size(), c.parallels);
    EXPECT_EQ(levels(l.records, false).size(), c.meridians);
}

INSTANTIATE_TEST_SUITE_P(Cases, MapLineCount, testing::ValuesIn(count_cases),
                         [](const testing::TestParamInfo<CountCase> &i) { return i.param.name; });

TEST(MapLines, AParallelAcrossTheCutIsDrawnInTwoPieces)
{
    // Centred on -100, the parallel at 30 N crosses the cut at longitude 80: the step from 80
    // to 82.5 jumps left by 357.5 units and is drawn off the right edge and from the left edge.
    Domain dom = vyktest::make_domain(DOM_LATLON, 0, -100, 2, 2, 181, 91);
    const Lines l = draw_lines(dom, 30, 360);
    int right = 0, left = 0;
    for (const Record &r : maptest::of_kind(l.records, "PL")) {
        if (r.pts.size() != 2 || std::fabs(r.pts[0].y - 30) > 1e-3f) continue;
        if (maptest::near(r.pts[0], 180, 30) && maptest::near(r.pts[1], 182.5, 30)) right++;
        if (maptest::near(r.pts[0], -180, 30) && maptest::near(r.pts[1], -177.5, 30)) left++;
    }
    EXPECT_EQ(right, 1);
    EXPECT_EQ(left, 1);
}

TEST(MapLines, MeridiansOfPolarMapsStopShortOfThePoles)
{
    for (const float dlat : {10.0f, 20.0f}) {
        const Lines l = draw_lines(vyktest::make_domain(DOM_PSTEREO, 90, -100, 4, 4, 41, 41), dlat, 90);
        float lowest = 90, highest = -90;
        for (const Record &r : maptest::of_kind(l.records, "PL")) {
            for (const Gpt &p : r.pts) {
                float lat, lon;
                MAP_untran(p.x, p.y, &lat, &lon);
                if (std::fabs(std::fabs(lon + 100) - 0) < 0.01f) {  // the meridian of -100
                    lowest = std::min(lowest, lat);
                    highest = std::max(highest, lat);
                }
            }
        }
        EXPECT_NEAR(highest, 80, 1e-2) << dlat;
    }
}

TEST(MapLines, ExtraLabelsAndCrosses)
{
    const Lines l = draw_lines(world(), 30, 10, 10, 30);
    // A parallel's extra labels stand at -165, -135, ..., 165.
    std::vector<float> eq;
    for (const Record &r : maptest::of_kind(l.records, "TE"))
        if (r.text == "EQ" && std::fabs(r.pts[0].y) < 1e-3f) eq.push_back(r.pts[0].x);
    std::set<long> xs;
    for (const float x : eq) xs.insert(std::lround(x));
    std::set<long> want;
    for (int lon = -165; lon <= 165; lon += 30) want.insert(lon);
    for (const long x : want) EXPECT_TRUE(xs.count(x)) << x;
    // Crosses every 10 degrees at latitudes -70 to 70 and longitudes -170 to 180: two ticks of
    // 0.2 degrees each, but for the latitude ticks at 180, whose ends fall on both sides of the
    // cut.
    int ticks = 0;
    for (const Record &r : maptest::of_kind(l.records, "PL"))
        if (r.pts.size() == 2 &&
            std::fabs(std::hypot(r.pts[1].x - r.pts[0].x, r.pts[1].y - r.pts[0].y) - 0.2) < 1e-3)
            ticks++;
    EXPECT_EQ(ticks, 15 * 36 * 2 - 15);
}

// ---------------------------------------------------------------------------------------------
// Diagram grids
// ---------------------------------------------------------------------------------------------

TEST(MapLines, TheTimeHeightSectionGrid)
{
    // The profiler display's section: columns -1 to 13, heights from 1000 m below the ground
    // over 18000 m; a line per file and height lines every 2000 m aligned to multiples.
    const Domain dom = vyktest::make_domain(DOM_CAT, -1, -1000, 14, 18000, 25, 21);
    const Lines l = draw_lines(dom, 1, -2000);
    EXPECT_EQ(l.result, -1);
    EXPECT_EQ(levels(l.records, false).size(), 15u);
    std::set<long> heights;
    for (int h = 0; h <= 16000; h += 2000) {
        float x, y;
        MAP_tran(0, static_cast<float>(h), &x, &y);
        heights.insert(std::lround(y * 1000));
    }
    EXPECT_EQ(levels(l.records, true), heights);
    // Labels at the same heights, and no x labels.
    EXPECT_EQ(texts(l.records).size(), 9u) << testing::PrintToString(texts(l.records));
    EXPECT_EQ(count_text(l.records, " 0"), 1);  // two characters wide at least
    EXPECT_EQ(count_text(l.records, "16000"), 1);

    // The lower form: 400 m below over 8000 m, every 1000 m: 0 to 7000.
    const Lines lower = draw_lines(vyktest::make_domain(DOM_CAT, -1, -400, 14, 8000, 25, 21), 1, -1000);
    EXPECT_EQ(levels(lower.records, true).size(), 8u);
}

TEST(MapLines, DiagramLinesCountedByIndex)
{
    // Tenths, which a float holds inexactly, over 0 to 180 and 0 to 90: x lines at both ends,
    // y lines up to 89.9 (the end excluded).
    const Lines l = draw_lines(vyktest::make_domain(DOM_XY, 0, 0, 180, 90, 181, 91), 0.1f, 0.1f);
    EXPECT_EQ(levels(l.records, false).size(), 1801u);
    EXPECT_EQ(levels(l.records, true).size(), 900u);
}

TEST(MapLines, APressureDiagramRunsDownward)
{
    const Domain dom = vyktest::make_domain(DOM_XLOGP, 0, 1050, 10, -950, 11, 11);
    const Lines l = draw_lines(dom, 5, 100);
    EXPECT_EQ(l.result, -1);
    std::set<long> want;
    for (int p = 1050; p >= 150; p -= 100) {
        float x, y;
        MAP_tran(0, static_cast<float>(p), &x, &y);
        want.insert(std::lround(y * 1000));
    }
    EXPECT_EQ(levels(l.records, true), want);
    EXPECT_EQ(levels(l.records, false).size(), 3u);  // 0, 5, 10
    for (const char *t : {"1050", "150", " 0", "5.0", "10"})
        EXPECT_EQ(count_text(l.records, t), 1) << t << testing::PrintToString(texts(l.records));
}

// ---------------------------------------------------------------------------------------------
// Intervals that draw nothing
// ---------------------------------------------------------------------------------------------

struct BadCase {
    const char *name;
    bool diagram;
    float dlat, dlon;
    const char *message;
};

const BadCase bad_cases[] = {
    {"Missing", false, -9999, 10, nullptr},
    {"MissingSecond", true, 10, -9999, nullptr},
    {"Zero", false, 0, 10, "MAP_lines: Line intervals 0, 10 draw no lines"},
    {"ZeroOnADiagram", true, 1, 0, "MAP_lines: Line intervals 1, 0 draw no lines"},
    {"NegativeOnAMap", false, 10, -5, "MAP_lines: Line intervals 10, -5 draw no lines"},
    {"NotFinite", false, NAN, 10, "draw no lines"},
    {"Infinite", true, INFINITY, 10, "draw no lines"},
    {"TooSmall", false, 1e-30f, 10, "give too many lines"},
    {"TooSmallOnADiagram", true, 1, 1e-30f, "give too many lines"},
};

class MapLinesBad : public testing::TestWithParam<BadCase> {};

TEST_P(MapLinesBad, DrawNothing)
{
    const BadCase &c = GetParam();
    const Domain dom = c.diagram ? vyktest::make_domain(DOM_CAT, -1, -1000, 14, 18000, 25, 21) : world();
    const Lines l = draw_lines(dom, c.dlat, c.dlon);
    EXPECT_EQ(l.result, -1);
    EXPECT_TRUE(maptest::of_kind(l.records, "PL").empty());
    if (c.message) EXPECT_TRUE(has(l.err, c.message)) << l.err;
    else EXPECT_TRUE(l.err.empty()) << l.err;
}

INSTANTIATE_TEST_SUITE_P(Cases, MapLinesBad, testing::ValuesIn(bad_cases),
                         [](const testing::TestParamInfo<BadCase> &i) { return i.param.name; });

// ---------------------------------------------------------------------------------------------
// lalo items and the lines of MAP_draw
// ---------------------------------------------------------------------------------------------

TEST(MapLines, LaloItemsTakeTheirIntervalsAndColours)
{
    Drawing d(world());
    MAP_file("lalo:10,lalo:10:20:blue,lalo:10:blue,lalo:none");
    vyktest::CaptureStdio cap;
    MAP_draw(7);
    cap.finish();
    const std::vector<Record> rs = d.records();
    const std::vector<std::string> m = maptest::messages(rs);
    std::vector<std::string> lalo;
    for (const std::string &s : m)
        if (s.compare(0, 9, "Map-lalo:") == 0) lalo.push_back(s);
    // Each item's message, then the one of MAP_lines; "lalo:none" has no number: the default
    // interval.
    const std::vector<std::string> want = {"Map-lalo: 10.0,10.0", "Map-lalo: 10.0,10.0",
                                           "Map-lalo: 10.0,20.0", "Map-lalo: 10.0,20.0",
                                           "Map-lalo: 10.0,10.0", "Map-lalo: 10.0,10.0",
                                           "Map-lalo: 5.0,5.0", "Map-lalo: 5.0,5.0"};
    EXPECT_EQ(lalo, want);
}

TEST(MapLines, MapDrawDrawsTheLinesOfMapLatlonInEveryPass)
{
    Drawing d(world());
    MAP_file("lalo:0");  // an item that draws nothing: interval 0
    MAP_latlon(30, 30, 0, 0);
    vyktest::CaptureStdio cap;
    MAP_draw(MAP_PASS_MINUS);
    MAP_draw(MAP_PASS_PLUS);
    cap.finish();
    const std::vector<Record> rs = d.records();
    int lines = 0;
    for (const std::string &s : maptest::messages(rs)) lines += s == "Map-lalo: 30.0,30.0";
    EXPECT_EQ(lines, 2);
    EXPECT_EQ(levels(rs, true), thousandths({-60, -30, 0, 30, 60}));
}
