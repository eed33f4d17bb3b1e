// The data-plotting driver with a small data program plugged in: stations read through the
// program's callbacks and their values drawn on a map domain with the map underlay and overlay,
// labels, point-data output and the station marks; the attribute sets by plot type, the
// decluttering grid, range rings, a program that plots a slot itself, empty callbacks; and the
// whole plot on PostScript rendered by ghostscript.
#include <gtest/gtest.h>

#include "dadodu.h"
#include "date_util.h"
#include "image_util.h"
#include "meta_fixture.h"
#include "test_util.h"
#include "cont.h"
#include "grd_tool.h"
#include "vykplot.h"
#include "vect_plot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <tuple>
#include <vector>

using vyktest::TempDir;
using vyktest::count;
using vyktest::has;
using vyktest::read_file;
using vyktest::write_file;

namespace {

const char *const ETC = VYK_SOURCE_DIR "/etc";

// ---------------------------------------------------------------------------------------------
// The data program
// ---------------------------------------------------------------------------------------------

struct Station {
    const char *id;
    float lat, lon;
    float temp;      // C
    float dir, spd;  // wind, knots
};

struct Program {
    std::vector<Station> stations;
    size_t next = 0;
    int rewinds = 0, get_vars = 0, get_datas = 0, plot_datas = 0;
    int skip_every = 0;   // read_report answers 0 (skip) for every n-th station
    int plot_itself = -1;  // the slot the program plots itself
    int out_raw = 0;
    std::vector<std::string> units_seen;  // each get_data: the slot's units
};

Program prog;

int read_report(void *report, CTY_locate *station)
{
    if (prog.next >= prog.stations.size()) return -1;
    const size_t k = prog.next++;
    if (prog.skip_every > 0 && (k + 1) % static_cast<size_t>(prog.skip_every) == 0) return 0;
    const Station &s = prog.stations[k];
    *static_cast<const Station **>(report) = &s;
    strfcpy(station->id, s.id);
    MAP_tran(s.lat, s.lon, &station->x, &station->y);
    station->el = VYK_MISS;
    return 1;
}

int rewind_reader()
{
    prog.next = 0;
    prog.rewinds++;
    return 0;
}

int get_var(VAR_data *var)
{
    prog.get_vars++;
    if (!var->units[0] && std::strcmp(var->name, "wspd") == 0) strfcpy(var->units, "knt");
    return 0;
}

int get_data(void *report, VAR_data *var, RAW_data *data)
{
    prog.get_datas++;
    prog.units_seen.push_back(var->units);
    const Station &s = **static_cast<const Station **>(report);
    if (std::strcmp(var->name, "temp") == 0) data->value[0] = s.temp;
    else if (std::strcmp(var->name, "wspd") == 0) data->value[0] = s.dir, data->value[1] = s.spd;
    return 0;
}

int plot_data(int ind)
{
    prog.plot_datas++;
    return ind == prog.plot_itself ? 1 : 0;
}

int out_raw() { return prog.out_raw; }

const Station *current = nullptr;

DATA_info full_info()
{
    DATA_info info;
    std::memset(&info, 0, sizeof info);
    info.plot = 0;
    info.model = VYK_MISS;
    info.date = vyktest::make_date(2026, 12, 10, 12, 0, VYK_MISS);
    info.report = &current;
    info.get_var = get_var;
    info.read_report = read_report;
    info.rewind = rewind_reader;
    info.get_data = get_data;
    info.plot_data = plot_data;
    info.out_raw = out_raw;
    return info;
}

const std::vector<Station> FOUR = {
    {"KDEN", 39.85f, -104.66f, 12.5f, 270, 15},
    {"KCYS", 41.15f, -104.81f, -3.25f, 180, 25},
    {"KGJT", 39.12f, -108.53f, 7.0f, 90, 0},
    {"KPUB", 38.29f, -104.5f, 20.0f, 300, 65},
};

/// Opens the plot frame on domain with the domain's aspect and makes the domain current.
bool open_plot(Domain *dom)
{
    MAP_domain(dom);
    MAP_limits lim;
    MAP_get_limits(&lim);
    if (PLT_open((lim.x_max - lim.x_min) / (lim.y_max - lim.y_min)) != 0) return false;
    MAP_setup(dom);
    return true;
}

/// Runs one plot of the variable text over a domain of the Rockies into a metafile:
/// what the metafile holds.
std::string run_plot(const TempDir &dir, const char *var_text, DATA_info info,
                     const std::string &domain = "ll,40,-105,41,21,0.5,0.5")
{
    const std::string meta = dir.file("plot.meta");
    RES_put("file_path", ETC);
    RES_put("device", ("m," + meta).c_str());
    EXPECT_EQ(VAR_setup(nullptr, var_text), 1);
    Domain dom;
    EXPECT_GT(DOM_decode(domain.c_str(), &dom), 0);
    EXPECT_TRUE(open_plot(&dom));
    DATA_plot_init();
    DATA_plot_start();
    for (int i = 0; i < VAR_get_num(); i++) {
        if (VAR_is_type_MAP(i)) DATA_plot_map(i);
        else i = DATA_plot_raw(i, &info);
    }
    DATA_plot_end();
    PLT_close();
    return read_file(meta);
}

/// The texts of the metafile's text records, in order.
std::vector<std::string> texts(const std::string &meta)
{
    std::vector<std::string> out;
    size_t at = 0;
    while ((at = meta.find("\nTE ", at)) != std::string::npos) {
        const size_t blank = meta.find(' ', at + 4);
        const size_t end = meta.find('\n', blank);
        out.push_back(meta.substr(blank + 1, end - blank - 1));
        at = end;
    }
    return out;
}

bool has_text(const std::string &meta, const std::string &text)
{
    for (const std::string &t : texts(meta))
        if (t == text) return true;
    return false;
}

class DataPlot : public ::testing::Test {
protected:
    void SetUp() override
    {
        prog = Program{};
        prog.stations = FOUR;
        MAP_set_plot_limit(0);
    }
    TempDir dir;
};

TEST_F(DataPlot, StationsValuesAndLabels)
{
    // Two plain slots: each is a point group of its own, so the program's reader runs once
    // for each.  The word after a variable name is its units: here empty, so that the slots
    // take their default units before their values are taken.
    const std::string meta = run_plot(dir, "temp::value:%4.1f,wspd::wbarb", full_info());
    for (const char *t : {"12.5", "-3.2", " 7.0", "20.0"}) EXPECT_TRUE(has_text(meta, t)) << t;
    EXPECT_EQ(prog.rewinds, 2);
    EXPECT_EQ(prog.get_datas, 8);  // two slots at four stations
    ASSERT_EQ(prog.units_seen.size(), 8u);
    EXPECT_EQ(prog.units_seen[0], "");
    EXPECT_EQ(prog.units_seen[4], "knt");
    EXPECT_GE(prog.get_vars, 4);
    // The labels: the slots' descriptions upper left, their time upper right.
    int described = 0, timed = 0;
    for (const std::string &t : texts(meta)) {
        described += has(t, "Temperature") ? 1 : 0;
        timed += has(t, "1200Z 10 DEC 26") ? 1 : 0;
    }
    EXPECT_EQ(described, 1) << meta;
    EXPECT_GE(timed, 1) << meta;
}

TEST_F(DataPlot, AGroupIsOnePointGroup)
{
    // The slots of a group are drawn together, station by station: one pass of the reader.
    const std::string meta =
        run_plot(dir, "g{temp::value:%4.1f,wspd::wbarb}", full_info());
    for (const char *t : {"12.5", "-3.2", " 7.0", "20.0"}) EXPECT_TRUE(has_text(meta, t)) << t;
    EXPECT_EQ(prog.rewinds, 1);
    EXPECT_EQ(prog.get_datas, 8);
    ASSERT_EQ(prog.units_seen.size(), 8u);
    for (size_t k = 0; k < 8; k++) EXPECT_EQ(prog.units_seen[k], k % 2 ? "knt" : "") << k;
}

TEST_F(DataPlot, AttributeSetsByPlotType)
{
    // Values in the data colour, barbs in the wind colour: two value slots share the first set,
    // the barb slot after them switches.
    RES_put("color_data", "red");
    RES_put("color_wind", "blue");
    const std::string meta = run_plot(dir, "g{temp::value:%4.1f,temp::value:ur:%3.0f,wspd::wbarb}", full_info());
    const int red = CLR_get_ind("red"), blue = CLR_get_ind("blue");
    ASSERT_GE(red, 0);
    ASSERT_GE(blue, 0);
    EXPECT_GE(count(meta, "TE_CLR " + std::to_string(red) + "\n"), 1) << meta;
    EXPECT_GE(count(meta, "PL_CLR " + std::to_string(blue) + "\n"), 1) << meta;
    EXPECT_TRUE(has_text(meta, "12.5"));
    EXPECT_TRUE(has_text(meta, " 12"));
}

TEST_F(DataPlot, DeclutteringSkipsStationsAndTheirOutput)
{
    // Two stations in one cell of the decluttering grid: the second is not drawn and writes no
    // line of the point-data output.
    prog.stations = {{"AAAA", 40.1f, -104.9f, 1, 0, 0}, {"BBBB", 40.2f, -104.8f, 2, 0, 0},
                     {"CCCC", 44.1f, -99.9f, 3, 0, 0}};
    prog.out_raw = 1;
    RES_put("raw_path", dir.path().c_str());
    FILE_set_name(("@" + dir.file("out_%v.dat")).c_str());
    MAP_set_plot_limit(1);
    const std::string meta = run_plot(dir, "temp::value:%3.1f", full_info());
    MAP_set_plot_limit(0);
    EXPECT_TRUE(has_text(meta, "1.0"));
    EXPECT_FALSE(has_text(meta, "2.0"));
    EXPECT_TRUE(has_text(meta, "3.0"));
    const std::string out = read_file(dir.file("out_temp.dat"));
    EXPECT_TRUE(has(out, "AAAA")) << out;
    EXPECT_FALSE(has(out, "BBBB")) << out;
    EXPECT_TRUE(has(out, "CCCC")) << out;
}

TEST_F(DataPlot, SkippedStationsAndSiteMarks)
{
    prog.skip_every = 2;  // the reader skips the second and fourth station
    DATA_set_site(1);
    const std::string meta = run_plot(dir, "temp::value:%4.1f", full_info());
    DATA_set_site(0);
    EXPECT_TRUE(has_text(meta, "12.5"));
    EXPECT_FALSE(has_text(meta, "-3.2"));
    EXPECT_TRUE(has_text(meta, " 7.0"));
    EXPECT_FALSE(has_text(meta, "20.0"));
    EXPECT_EQ(count(meta, "\nPM "), 2);  // a plus at each station drawn
}

TEST_F(DataPlot, RangeRings)
{
    const std::string none = run_plot(dir, "temp::value", full_info());
    for (auto [dist, rings] : {std::pair{9.0f, 0}, {10.0f, 4}}) {
        prog = Program{};
        prog.stations = FOUR;
        DATA_set_dist(dist);
        const std::string meta = run_plot(dir, "temp::value", full_info());
        EXPECT_EQ(count(meta, "\nPL ") - count(none, "\nPL "), rings) << dist;
    }
    DATA_set_dist(0);
}

TEST_F(DataPlot, AProgramThatPlotsASlotItself)
{
    prog.plot_itself = 0;
    VAR_setup(nullptr, "temp::value");
    DATA_info info = full_info();
    EXPECT_EQ(DATA_plot_raw(0, &info), 0);
    EXPECT_EQ(prog.plot_datas, 1);
    EXPECT_EQ(prog.rewinds, 0);
    EXPECT_EQ(prog.get_datas, 0);
}

TEST_F(DataPlot, EmptyCallbacksAreSkipped)
{
    DATA_info info;
    std::memset(&info, 0, sizeof info);
    DATE_init(&info.date);
    info.model = VYK_MISS;
    const std::string meta = run_plot(dir, "temp::value,wspd::wbarb", info);
    EXPECT_TRUE(has(meta, "VYKMETA"));
    // Only a reader: the values stay missing and nothing is drawn for them.
    info.read_report = read_report;
    info.report = &current;
    prog.next = 0;
    const std::string read_only = run_plot(dir, "temp::value", info);
    EXPECT_FALSE(has_text(read_only, "12.5"));
    EXPECT_EQ(DATA_plot_raw(-1, &info), -1);
    EXPECT_EQ(DATA_plot_raw(0, nullptr), 0);
    EXPECT_EQ(DATA_plot_map(70), -1);
    EXPECT_EQ(DATA_plot_control(-3, nullptr), -1);
}

TEST_F(DataPlot, MapPassesAroundPointData)
{
    // A map list with an underlay item ('-', red), an overlay item ('+', blue) and a plain one
    // (magenta).  Point values only: underlay and plain items before the data, the overlay
    // after them; over filled contours without a map slot: the underlay before, the plain and
    // overlay items after.
    const char *line = "2 0 0 0 0 0\n40 -106\n40 -104\n0 0 0 0 0 0\n";
    write_file(dir.file("a.map"), line);
    RES_put("map_file", (std::string("-") + dir.file("a.map") + ":red,+" + dir.file("a.map") +
                         ":blue," + dir.file("a.map") + ":magenta").c_str());
    for (int fill : {0, 1}) {
        SCOPED_TRACE(fill);
        prog = Program{};
        prog.stations = FOUR;
        FLAG_set(FLAG_PLOT_TYPE, fill ? VAR_T_FCONT : VYK_MISS);
        const std::string meta = run_plot(dir, "temp::value:%4.1f", full_info());
        auto at = [&](const char *colour) {
            const std::string key = "PL_CLR " + std::to_string(CLR_get_ind(colour)) + "\n";
            EXPECT_EQ(count(meta, key), 1) << colour << meta;
            return meta.find(key);
        };
        const size_t value = meta.find(" 12.5\n");
        ASSERT_NE(value, std::string::npos);
        EXPECT_LT(at("red"), value);
        EXPECT_GT(at("blue"), value);
        if (fill) EXPECT_GT(at("magenta"), value);
        else EXPECT_LT(at("magenta"), value);
    }
    FLAG_set(FLAG_PLOT_TYPE, VYK_MISS);
}

TEST_F(DataPlot, WholePlotOnPostScript)
{
    // Stations over the shipped map with values, barbs, labels and a colour bar: ghostscript
    // renders the page.  The program gives the bar its range of temperatures (-5 to 25 in
    // steps of 5, counted from the base 0 that the values are coloured from as well): six
    // boxes of six colours show beside the small values and barbs.
    const std::string ps = dir.file("plot.ps"), png = dir.file("plot.png");
    RES_put("file_path", ETC);
    RES_put("device", ("p," + ps + ",color").c_str());
    RES_put("color_data", "red");
    RES_put("color_wind", "blue");
    RES_put("con_interval", "5");
    RES_put("con_base", "0");
    CONT_set_bar(1);
    CONT_set_bar_range(25, -5);  // the program's range of temperatures for the bar
    ASSERT_EQ(VAR_setup(nullptr, "temp::value:%4.1f,wspd::wbarb"), 1);
    Domain dom;
    ASSERT_GT(DOM_decode("ll,40,-105,41,21,0.5,0.5", &dom), 0);
    ASSERT_TRUE(open_plot(&dom));
    DATA_info info = full_info();
    DATA_plot_init();
    DATA_plot_start();
    for (int i = 0; i < VAR_get_num(); i++) i = DATA_plot_raw(i, &info);
    DATA_plot_end();
    ASSERT_EQ(PLT_close(), 0);
    const vyktest::RunResult gs =
        vyktest::run("gs -dSAFER -dBATCH -dNOPAUSE -q -r60 -sDEVICE=png16m -sOutputFile=" +
                     vyktest::quote(png) + " " + vyktest::quote(ps));
    ASSERT_EQ(gs.status, 0) << gs.err;
    EXPECT_EQ(gs.out.find("Error"), std::string::npos) << gs.out;
    std::map<std::tuple<int, int, int>, int> pixels;
    for (const vyktest::Rgb &c : vyktest::magick_rgb(png))
        if (!(c.r == c.g && c.g == c.b)) pixels[{c.r, c.g, c.b}]++;
    int boxes = 0;
    for (const auto &[colour, n] : pixels) boxes += n >= 300 ? 1 : 0;
    EXPECT_GE(boxes, 6) << pixels.size() << " colours";
}

TEST_F(DataPlot, ColourBarOncePerFrame)
{
    CONT_set_bar(1);
    DATA_new_frame();
    EXPECT_EQ(DATA_plot_bar(), 0);
    EXPECT_EQ(DATA_plot_bar(), -1);
    DATA_new_frame();
    CONT_set_bar(0);
    EXPECT_EQ(DATA_plot_bar(), -1);
}

TEST_F(DataPlot, AVectorFieldThroughTheVectorLoop)
{
    // A vector of two wind grids with the plot type "vect" and the legend word: the driver
    // takes the components from the grid table and the vector plots draw an arrow at every
    // grid point (a uniform west wind, the fastest: east, one grid length), the legend once in
    // transformation 1, and the slot's label.
    const std::string meta = dir.file("vect.meta");
    RES_put("file_path", ETC);
    RES_put("device", ("m," + meta).c_str());
    FLAG_set(FLAG_PLOT_TYPE, VYK_MISS);  // the type in the brackets is taken
    ASSERT_EQ(VAR_setup(nullptr, "wnd<uwnd,vwnd>[:vect:vbar]"), 1);
    ASSERT_EQ(VAR_get_num(), 3);
    ASSERT_TRUE(VAR_is_plot_VECT(0));
    Domain dom;
    ASSERT_GT(DOM_decode("ll,40,-105,11,9,1,1", &dom), 0);
    GRD_init_grids();
    for (int i = 0; i < VAR_get_num(); i++) GRD_set_var(i);
    GRD_report u, v;
    for (auto [g, value] : {std::pair{&u, 12.0f}, {&v, 0.0f}}) {
        GRD_init(g);
        g->domain = dom;
        GRD_alloc(g);
        g->source = 7;
        strfcpy(g->units, "m/s");
        for (int k = 0; k < dom.nx * dom.ny; k++) g->grid[k] = value;
    }
    GRD_set_grid(1, &u);
    GRD_set_grid(2, &v);
    ASSERT_TRUE(open_plot(&dom));
    DATA_info info = full_info();
    info.domain = dom;
    DATA_plot_init();
    DATA_plot_start();
    EXPECT_EQ(DATA_plot_grid(0, &info), 2);
    EXPECT_EQ(DATA_plot_vect_bar(), -1);  // the legend is drawn already
    DATA_plot_end();
    PLT_close();
    GRD_free(&u);
    GRD_free(&v);
    const std::string out = read_file(meta);
    // The two-point lines of each transformation that run exactly along x.
    int east = 0, legend = 0;
    for (const vyktest::MetaRecord &r : vyktest::meta_records(out)) {
        const std::vector<Gpt> &pts = r.pts;
        if (r.kind != "PL" || pts.size() != 2 || std::fabs(pts[1].y - pts[0].y) > 1e-5f ||
            pts[1].x <= pts[0].x)
            continue;
        if (r.tran == 1) legend++;
        else if (std::fabs(pts[1].x - pts[0].x - 1) < 1e-4f) east++;
    }
    EXPECT_EQ(east, 99) << out;
    EXPECT_EQ(legend, 1) << out;
    EXPECT_TRUE(has(out, "MAX VECTOR:")) << out;
}

}  // namespace
