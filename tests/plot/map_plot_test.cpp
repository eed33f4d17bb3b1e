// The map plot program run from a shell as a user would (map_plot_tool): labels, texts, markers
// and range circles of its items, the stations of the station database when only labels are
// given, point-data files plotted station by station (identifier filter, skip, formats),
// gridded and contoured, metafiles replayed, hostile point-data files and names; world maps
// with stations and gridded point data on PostScript, rendered by ghostscript; and plots whose
// output cannot be written, which fail the program.  Drawings are read back from the text
// metafile.
#include <gtest/gtest.h>

#include "image_util.h"
#include "meta_fixture.h"
#include "output_fault.h"
#include "test_util.h"

#include <cmath>
#include <cstdio>
#include <set>
#include <string>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace {

using vyktest::RunResult;
using vyktest::TempDir;
using vyktest::has;
using vyktest::quote;

constexpr const char *DOMAIN = "ll,40,-100,41,21,1,1";  // 80 to 120 W, 30 to 50 N

struct Text {
    float x, y;
    std::string text;
};

struct Drawing {
    std::vector<Text> texts;
    std::vector<int> marker_types;
    std::vector<std::vector<std::pair<float, float>>> lines;
    int marks = 0, fills = 0;
    std::set<int> fill_colors;
    bool has_text(const std::string &t) const
    {
        for (const Text &x : texts)
            if (x.text == t) return true;
        return false;
    }
    const Text *find(const std::string &t) const
    {
        for (const Text &x : texts)
            if (x.text == t) return &x;
        return nullptr;
    }
};

Drawing read_meta(const std::string &path)
{
    Drawing d;
    for (const vyktest::MetaRecord &r : vyktest::meta_records(vyktest::read_file(path))) {
        if (r.kind == "TE") {
            d.texts.push_back({r.pts[0].x, r.pts[0].y, r.text});
        } else if (r.kind == "PL") {
            d.lines.emplace_back();
            for (const Gpt &p : r.pts) d.lines.back().push_back({p.x, p.y});
        } else if (r.kind == "PM") {
            d.marker_types.push_back(r.marker_type);
            d.marks++;
        } else if (r.kind == "FA") {
            d.fills++;
            d.fill_colors.insert(r.color);
        }
    }
    return d;
}

struct Outcome {
    RunResult result;
    Drawing drawing;
};

/// Runs the map program on a metafile in dir (its raw_path and grid_path) with options and items.
Outcome map_plot(const TempDir &dir, const std::string &options, const std::vector<std::string> &items,
                 const std::string &domain = DOMAIN)
{
    const std::string meta = dir.file("out.meta");
    std::string cmd = quote(vyktest::tool("map_plot_tool")) + " -ba -fp " + quote(VYK_SOURCE_DIR "/etc") +
                      " -rp " + quote(dir.path()) + " -gp " + quote(dir.path()) + " -pd " + quote(domain) +
                      " -de " + quote("m," + meta) + " " + options;
    for (const std::string &i : items) cmd += " " + quote(i);
    Outcome o;
    o.result = vyktest::run(cmd);
    o.drawing = read_meta(meta);
    return o;
}

const char *STATIONS =
    "DADODU\n00Z 1 JAN 26\n!Surface data\nid lat lon t:Temperature\n$\n"
    "KDEN 39.75 -104.87 12.5\n"
    "KBOU 40.01 -105.25 9.0\n"
    "KCOS 38.81 -104.71 15.25\n"
    "KPUB 38.29 -104.50 17.0\n"
    "KGJT 39.12 -108.53 8.5\n"
    "KALS 37.44 -105.87 3.0\n"
    "KASE 39.22 -106.87 -2.5\n";

// A station database: plot coordinates x degrees east of 100 W, y degrees north.
const char *CITIES =
    "Denver_Intl      CO US KDEN  3    39.85 -104.66  1655 72565\n"
    "Boulder          CO US KBOU  2    40.01 -105.25  1612 99999\n"
    "Pueblo           CO US KPUB  1    38.29 -104.50  1439 72464\n"
    "Grand_Junction   CO US KGJT  5    39.12 -108.53  1475 72476\n"
    "Omaha            NE US KOMA  0*   41.30  -95.89   299 72553\n";

}  // namespace

// Labels, texts at plot and map positions, markers by word and number, and a range circle of
// 100 nautical miles (185.2 km: 1.666 degrees of latitude north and south of its centre).
TEST(MapPlot, ItemsDrawLabelsTextsMarksAndRanges)
{
    TempDir dir;
    const auto o = map_plot(dir, "", {"ul:Upper_left", "xy:-95.5:45.25:Hello there", "text:40:-105:Denver",
                                      "mark:40:-105:tri", "mark:40:-105:12", "mark:40:-105:open",
                                      "range:40:-105:100"});
    ASSERT_EQ(o.result.status, 0) << o.result.err;
    const Drawing &d = o.drawing;
    EXPECT_TRUE(d.has_text("Upper left"));
    const Text *hello = d.find("Hello there");
    ASSERT_NE(hello, nullptr);
    EXPECT_FLOAT_EQ(hello->x, -95.5f);
    EXPECT_FLOAT_EQ(hello->y, 45.25f);
    const Text *denver = d.find("Denver");
    ASSERT_NE(denver, nullptr);
    // Plot coordinates of the latitude-longitude map: degrees east of its centre's meridian
    // (100 W) and degrees of latitude.
    EXPECT_NEAR(denver->x, -5.0f, 1e-3);
    EXPECT_NEAR(denver->y, 40.0f, 1e-3);
    // The three markers in order: a triangle, type 12, a circle ("open" begins with "o").
    size_t next = 0;
    for (int t : d.marker_types)
        if (next < 3 && t == std::vector<int>{7, 12, 4}[next]) next++;
    EXPECT_EQ(next, 3u) << "marker types 7, 12 and 4 in order";
    // The circle: the 49-point polyline around (-105, 40).
    bool circle = false;
    for (const auto &l : d.lines) {
        if (l.size() != 49) continue;
        float ymin = 1e9f, ymax = -1e9f;
        for (const auto &p : l) {
            ymin = std::fmin(ymin, p.second);
            ymax = std::fmax(ymax, p.second);
        }
        EXPECT_NEAR(ymax - 40.0f, 185.2 / 111.195, 0.02);
        EXPECT_NEAR(40.0f - ymin, 185.2 / 111.195, 0.02);
        circle = true;
    }
    EXPECT_TRUE(circle);
}

// Items that do not read (missing numbers, unknown markers) are reported and passed over.
TEST(MapPlot, UnreadableItemsAreReported)
{
    TempDir dir;
    const std::string long_text(1000, 'x');
    const auto o = map_plot(dir, "", {"xy:1:Only one number", "mark:40:-105:zzz", "range:40:north:100",
                                      "text:40:-105:" + long_text, "text:nan:-105:NaN"});
    ASSERT_EQ(o.result.status, 0) << o.result.err;
    EXPECT_TRUE(has(o.result.err, "Unable to read item: xy:1:Only one number")) << o.result.err;
    EXPECT_TRUE(has(o.result.err, "Unknown marker: zzz")) << o.result.err;
    EXPECT_TRUE(has(o.result.err, "Unable to read item: range:40:north:100")) << o.result.err;
    EXPECT_TRUE(has(o.result.err, "Unable to read item: text:nan")) << o.result.err;
    // The long text is cut to its buffer (and the kernel's text length), not overrun.
    bool cut = false;
    for (const Text &t : o.drawing.texts) cut = cut || (t.text.size() > 50 && t.text.find_first_not_of('x') == std::string::npos);
    EXPECT_TRUE(cut);
}

// The stations are plotted when only labels are given and identifiers or a priority are asked
// for; any other item leaves them out.  Entries carry labels and points of their own; without a
// database nothing is drawn.
TEST(MapPlot, StationsOnlyWithLabelsAlone)
{
    TempDir dir;
    vyktest::write_file(dir.file("st.cty"), CITIES);
    const std::string cf = " -cf " + quote(dir.file("st.cty"));
    const auto alone = map_plot(dir, "-id KDEN" + cf, {"ul:Stations"});
    ASSERT_EQ(alone.result.status, 0) << alone.result.err;
    const Text *kden = alone.drawing.find("KDEN");
    ASSERT_NE(kden, nullptr) << alone.result.err;
    EXPECT_NEAR(kden->x, -4.66f, 1e-3);
    EXPECT_NEAR(kden->y, 39.85f, 1e-3);
    EXPECT_FALSE(alone.drawing.has_text("KPUB"));
    EXPECT_TRUE(alone.drawing.has_text("Stations"));
    const auto with_mark = map_plot(dir, "-id KDEN" + cf, {"ul:Stations", "mark:40:-105:tri"});
    EXPECT_FALSE(with_mark.drawing.has_text("KDEN"));

    const struct {
        std::string options;
        std::vector<std::string> drawn, left_out;
    } cases[] = {
        {"-pr 1" + cf, {"KPUB", "KOMA"}, {"KDEN", "KBOU"}},
        {"-pr 3" + cf, {"KPUB", "KOMA", "KDEN", "KBOU"}, {"KGJT"}},
        {"-pr 9 -pp wmo" + cf, {"72565", "72464"}, {"KDEN"}},
        {"-id KDEN:Denver,XTRA:45:-90:Extra_point" + cf, {"Denver", "Extra point"}, {"KDEN", "KPUB"}},
        {"-id KDEN -cf none", {}, {"KDEN"}},
        {"-id KDEN", {"KDEN"}, {}},  // the shipped database
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.options);
        const auto o = map_plot(dir, c.options, {"ul:Stations"});
        ASSERT_EQ(o.result.status, 0) << o.result.err;
        for (const std::string &t : c.drawn) EXPECT_TRUE(o.drawing.has_text(t)) << t;
        for (const std::string &t : c.left_out) EXPECT_FALSE(o.drawing.has_text(t)) << t;
        EXPECT_FALSE(has(o.result.err, "not found")) << o.result.err;
    }
}

// A point-data file: every station's value at its place, the file's labels; the identifier
// filter and the skip of plot_param choose stations.
TEST(MapPlot, PointDataFilePlottedStationByStation)
{
    TempDir dir;
    vyktest::write_file(dir.file("sfc.raw"), STATIONS);
    const struct {
        const char *options;
        std::vector<std::string> drawn, left_out;
    } cases[] = {
        {"", {"12.5", "9.0", "15.25", "17.0", "8.5", "3.0", "-2.5"}, {}},
        {"-id KDEN,KASE", {"12.5", "-2.5"}, {"9.0", "15.25", "17.0", "8.5", "3.0"}},
        {"-pp skip=3", {"12.5", "17.0", "-2.5"}, {"9.0", "15.25", "8.5", "3.0"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.options);
        const auto o = map_plot(dir, c.options, {"sfc.raw"});
        ASSERT_EQ(o.result.status, 0) << o.result.err;
        for (const std::string &t : c.drawn) EXPECT_TRUE(o.drawing.has_text(t)) << t;
        for (const std::string &t : c.left_out) EXPECT_FALSE(o.drawing.has_text(t)) << t;
        EXPECT_TRUE(o.drawing.has_text("Surface data")) << "the file's description labels the plot";
    }
    const auto o = map_plot(dir, "", {"sfc.raw"});
    const Text *kden = o.drawing.find("12.5");
    ASSERT_NE(kden, nullptr);
    EXPECT_NEAR(kden->x, -4.87f, 0.05f);
    EXPECT_NEAR(kden->y, 39.75f, 0.05f);
    // A column chosen with a format of the user's: the value printed in it.
    const auto fmt = map_plot(dir, "", {"sfc.raw-0:value:%5.2f"});
    EXPECT_TRUE(fmt.drawing.has_text("12.50")) << fmt.result.err;
    EXPECT_TRUE(fmt.drawing.has_text("Surface data-Temperature"));
}

// Point data with a contour plot type are gridded and contoured (filled), not plotted as points;
// the grid is saved when out_file asks.
TEST(MapPlot, GriddedAndContouredWithAContourType)
{
    TempDir dir;
    std::string text = "DADODU\n00Z 1 JAN 26\nPlane\n";
    for (int i = 0; i < 200; i++) {
        const float lat = 30.0f + 0.1f * static_cast<float>((i * 37) % 200);
        const float lon = -120.0f + 0.2f * static_cast<float>((i * 71) % 200);
        char line[100];
        std::snprintf(line, sizeof line, "S%03d %.2f %.2f %.2f\n", i, lat, lon, lat + 0.5f * lon);
        text += line;
    }
    vyktest::write_file(dir.file("plane.raw"), text);
    const auto o = map_plot(dir, "-pl cf -of vyk", {"plane.raw"});
    ASSERT_EQ(o.result.status, 0) << o.result.err;
    // Bands of several colours (each band one region), not points.
    EXPECT_GE(o.drawing.fill_colors.size(), 4u);
    EXPECT_GT(o.drawing.fills, 4);
    EXPECT_FALSE(o.drawing.has_text("S000"));
    EXPECT_TRUE(o.drawing.has_text("Plane"));
    EXPECT_EQ(vyktest::read_file(dir.file("2026010100_raw.grd")).rfind("VYKGRID", 0), 0u);
}

// A metafile named as an item is replayed; a file of no known kind is warned about and tried
// as point data.
TEST(MapPlot, MetafilesReplayedOtherFilesTried)
{
    TempDir dir;
    {
        TempDir first;
        const auto o = map_plot(first, "", {"xy:-110:35:Replayed text"});
        ASSERT_EQ(o.result.status, 0);
        vyktest::write_file(dir.file("first.meta"), vyktest::read_file(first.file("out.meta")));
    }
    const auto o = map_plot(dir, "", {"first.meta"});
    ASSERT_EQ(o.result.status, 0) << o.result.err;
    EXPECT_TRUE(o.drawing.has_text("Replayed text"));
    EXPECT_FALSE(has(o.result.err, "may not be in raw format")) << o.result.err;

    vyktest::write_file(dir.file("plain.txt"), "KDEN 39.75 -104.87 12.5\n");
    const auto p = map_plot(dir, "", {"plain.txt"});
    EXPECT_TRUE(has(p.result.err, "File may not be in raw format, trying anyway!")) << p.result.err;
    EXPECT_TRUE(p.drawing.has_text("12.5"));
}

// Hostile point-data files and names: formats that are not one number conversion (in the field
// list, in a token, in the user's file argument) are refused and the default used; a symbol
// file named by the data is never run as a command; cut and binary files and a data-named file
// that is a command or a standard stream give a message and no crash.
TEST(MapPlot, HostilePointDataFiles)
{
    TempDir dir;
    // A command that would leave the file "r" (a short name: formats are cut at 39 characters).
    const std::string witness = dir.file("r");
    vyktest::write_file(dir.file("fmt.raw"),
                        "DADODU\n00Z 1 JAN 26\n!Bad formats\nid lat lon t:T:value:%s%s%n\n$\n"
                        "KDEN 39.75 -104.87 12.5\n"
                        "KBOU 40.01 -105.25 9:%n%n%n%n\n"
                        "KCOS 38.81 -104.71 7:symb:sf=|>" + witness + "\n"
                        "KPUB 38.29 -104.50 5:sf=../../../../../../etc/passwd:symb\n");
    const auto o = map_plot(dir, "", {"fmt.raw:%s%x%n"});
    ASSERT_EQ(o.result.status, 0) << o.result.err;
    EXPECT_TRUE(has(o.result.err, "not one number conversion")) << o.result.err;
    EXPECT_FALSE(has(o.result.out + o.result.err, "(null)"));
    // The column's refused format leaves it a value in the default format "%1.0f".
    EXPECT_TRUE(o.drawing.has_text("12")) << "12.5 in the default format";
    EXPECT_TRUE(o.drawing.has_text("9")) << "a value whose own format was refused";
    EXPECT_NE(access(witness.c_str(), F_OK), 0) << "a symbol file name ran a command";
    EXPECT_TRUE(has(o.result.err, "WX_symb_file: Unable to open file")) << o.result.err;

    const struct {
        const char *name, *text, *message;
    } files[] = {
        {"cut.raw", "DADODU\n00Z 1 J", "No data in file"},
        {"binary.raw", "DADODU\n\x01\x02\xff\n\xfe\x80\n\x01 \xff \x02\n", nullptr},
        {"nonsense.raw", "DADODU\nx\ny\nA 1e999 nan 3\nB inf -inf 4\nC 40 -100 1e40,1e40\n", nullptr},
        {"missing.raw", nullptr, "Unable to open file"},
    };
    for (const auto &f : files) {
        SCOPED_TRACE(f.name);
        if (f.text) vyktest::write_file(dir.file(f.name), f.text);
        const auto r = map_plot(dir, "", {f.name});
        EXPECT_EQ(r.result.status, 0) << r.result.err;
        if (f.message) {
            EXPECT_TRUE(has(r.result.err, f.message)) << r.result.err;
        }
    }

    // A map list names point-data files as data: a command or a standard stream is refused
    // (without file_path the names stand as they are written).
    vyktest::write_file(dir.file("list.map"), "rf:|>" + witness + "\nrf:-\n");
    const auto m = vyktest::run(quote(vyktest::tool("map_plot_tool")) + " -ba -pd " + quote(DOMAIN) +
                                " -de " + quote("m," + dir.file("list.meta")) + " -mf " +
                                quote("fi:" + dir.file("list.map")) + " map");
    EXPECT_EQ(m.status, 0) << m.err;
    EXPECT_TRUE(has(m.err, "Not a plain file")) << m.err;
    EXPECT_NE(access(witness.c_str(), F_OK), 0) << "a map list item ran a command";
}

// A world map on PostScript with stations and gridded point data, rendered by ghostscript:
// the page holds the colour fill's many colours and, drawn again over the fill by the item
// "map", the map's black lines.
TEST(MapPlot, WorldMapWithStationsAndGriddedDataOnPostScript)
{
    TempDir dir;
    std::string text = "DADODU\n12Z 15 MAR 26\nWorld temperature\n";
    for (int i = 0; i < 600; i++) {
        const float lat = -80.0f + 160.0f * static_cast<float>((i * 37) % 600) / 600.0f;
        const float lon = -175.0f + 350.0f * static_cast<float>((i * 211) % 600) / 600.0f;
        char line[100];
        std::snprintf(line, sizeof line, "W%03d %.2f %.2f %.2f\n", i, lat, lon,
                      30.0f * std::cos(lat * 3.14159265f / 180.0f) - 5.0f);
        text += line;
    }
    vyktest::write_file(dir.file("world.raw"), text);
    const std::string ps = dir.file("world.ps");
    const std::string cmd = "PSCOLOR=1 " + quote(vyktest::tool("map_plot_tool")) + " -ba -fp " + quote(VYK_SOURCE_DIR "/etc") +
                            " -rp " + quote(dir.path()) + " -gp " + quote(dir.path()) +
                            " -pd ll,0,0,73,37,5,5 -pl cf -de " + quote("P," + ps) +
                            " world.raw map mark:40:-105:star mark:51.5:0:star mark:-33.9:151.2:star "
                            "text:40:-105:Boulder ul:World_map";
    const auto r = vyktest::run(cmd);
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    const auto gs = vyktest::run("gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=ppmraw -r36 -sOutputFile=- " + ps);
    ASSERT_EQ(gs.status, 0) << gs.err;
    const vyktest::RgbImage page = vyktest::parse_ppm(gs.out);
    ASSERT_GT(page.width, 100);
    std::set<std::tuple<int, int, int>> colours;
    size_t inked = 0, black = 0;
    for (const vyktest::Rgb &c : page.rgb()) {
        colours.insert({c.r, c.g, c.b});
        if (c.r != 255 || c.g != 255 || c.b != 255) inked++;
        if (c.r < 40 && c.g < 40 && c.b < 40) black++;
    }
    EXPECT_GT(colours.size(), 8u);
    EXPECT_GT(inked, page.rgb().size() / 4) << "the fill covers the map";
    EXPECT_GT(black, 500u) << "the coastlines over the fill";
    const std::string text_ps = vyktest::read_file(ps);
    EXPECT_TRUE(has(text_ps, "%!PS"));
}

// A world map of the shipped database's most important stations on PostScript, rendered by
// ghostscript: their labels put green on the page, which has none without a database.
TEST(MapPlot, WorldMapOfStationsOnPostScript)
{
    TempDir dir;
    const auto green_pixels = [&](const std::string &options) {
        const std::string ps = dir.file("stations.ps");
        const auto r = vyktest::run("PSCOLOR=1 " + quote(vyktest::tool("map_plot_tool")) + " -ba -fp " +
                                    quote(VYK_SOURCE_DIR "/etc") + " -pd ll,0,0,73,37,5,5 -de " +
                                    quote("P," + ps) + " " + options + " ul:World_stations");
        EXPECT_EQ(r.status, 0) << r.out << r.err;
        const auto gs = vyktest::run("gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=ppmraw -r72 -sOutputFile=- " + ps);
        EXPECT_EQ(gs.status, 0) << gs.err;
        const vyktest::RgbImage page = vyktest::parse_ppm(gs.out);
        EXPECT_GT(page.width, 100);
        size_t green = 0;
        for (const vyktest::Rgb &c : page.rgb()) green += c.g > c.r + 80 && c.g > c.b + 80;
        return green;
    };
    const size_t with = green_pixels("-pr 1");
    const size_t without = green_pixels("-pr 1 -cf none");
    EXPECT_GT(with, 2000u);
    EXPECT_EQ(without, 0u);
}

// The library's stand-alone point-data plot: two files, each gridded into slot 0 and contoured
// from it; the colour bar of explicit levels is drawn once.
TEST(MapPlot, StandAlonePointDataPlotGridsEachFile)
{
    TempDir dir;
    for (const char *name : {"a.raw", "b.raw"}) {
        std::string text = std::string("DADODU\n00Z 1 JAN 26\nFile ") + name + "\n";
        for (int i = 0; i < 150; i++) {
            const float lat = 30.0f + 0.1f * static_cast<float>((i * 37) % 200);
            const float lon = -120.0f + 0.2f * static_cast<float>((i * 71) % 200);
            char line[100];
            std::snprintf(line, sizeof line, "S%03d %.2f %.2f %.2f\n", i, lat, lon,
                          name[0] == 'a' ? lat : 100.0f - lat);
            text += line;
        }
        vyktest::write_file(dir.file(name), text);
    }
    const std::string meta = dir.file("raw.meta");
    const auto r = vyktest::run(quote(vyktest::tool("map_plot_tool")) + " --raw -ba -fp " +
                                quote(VYK_SOURCE_DIR "/etc") + " -rp " + quote(dir.path()) + " -pd " +
                                quote(DOMAIN) + " -pl cf -cof 30:blue,40:green,50:yellow,60:red -de " +
                                quote("m," + meta) + " a.raw b.raw");
    ASSERT_EQ(r.status, 0) << r.err;
    const Drawing d = read_meta(meta);
    EXPECT_GE(d.fill_colors.size(), 3u);
    EXPECT_GT(d.fills, 4);
    EXPECT_TRUE(d.has_text("File b.raw"));
    int bar_labels = 0;
    for (const Text &t : d.texts) bar_labels += t.text == "40";
    EXPECT_EQ(bar_labels, 1) << "one colour bar";
}

// A plot whose PostScript file or metafile cannot be written whole (a full file system, one
// with a little room left, a full device) fails the program with a message naming it, and
// leaves no cut file; so does the stand-alone point-data plot.
TEST(MapPlot, OutputsThatCannotBeWrittenFailTheProgram)
{
    const std::string map = quote(vyktest::tool("map_plot_tool")) + " -ba -fp " +
                            quote(VYK_SOURCE_DIR "/etc") + " -pd " + quote(DOMAIN) + " -de ";
    const std::string raw = quote(vyktest::tool("map_plot_tool")) + " --raw -ba -fp " +
                            quote(VYK_SOURCE_DIR "/etc") + " -pd " + quote(DOMAIN) + " -de ";
    vyktest::expect_outputs_fail_cleanly({
        {"PostScript", map + "p,{} ul:Title mark:40:-105:tri map"},
        {"metafile", map + "m,{} ul:Title map"},
        {"point-data plot", raw + "p,{} map"},
    });
}

// On a time-height diagram the n-th line of a point-data file is plotted at x = n with y its
// first value, and the identifiers of every ceil(dx / 10)-th line are written under the plot.
TEST(MapPlot, TimeHeightDiagramPlacesLinesByNumber)
{
    TempDir dir;
    vyktest::write_file(dir.file("th.raw"),
                        "DADODU\n00Z 1 JAN 26\nSection\nA 1 2 1000\nB 1 2 2000\nC 1 2 3000\nD 1 2 4000\n");
    // 12 columns and 18000 m over 10 plot units each.
    const auto o = map_plot(dir, "", {"th.raw"}, "cat,0,0,10,10,12,18000");
    ASSERT_EQ(o.result.status, 0) << o.result.err;
    for (int n = 0; n < 4; n++) {
        const Text *t = o.drawing.find(std::to_string(1000 * (n + 1)));
        ASSERT_NE(t, nullptr) << n;
        EXPECT_NEAR(t->x, n * 10.0f / 12.0f, 1e-4) << n;
        EXPECT_NEAR(t->y, 1000.0f * (n + 1) * 10.0f / 18000.0f, 1e-4) << n;
    }
    EXPECT_TRUE(o.drawing.has_text("A"));
    EXPECT_FALSE(o.drawing.has_text("B"));
    EXPECT_TRUE(o.drawing.has_text("C"));
    EXPECT_FALSE(o.drawing.has_text("D"));
}
