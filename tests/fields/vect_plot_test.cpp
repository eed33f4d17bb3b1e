// Vector plots of wind-component grids: arrows, barbs and streamlines of analytic winds (uniform
// flow, solid-body rotation) on latitude-longitude and polar stereographic maps, read back from
// a text metafile: directions turned to the map's north, lengths against the base speed and the
// reference vector, cut-offs and skips, streamlines that keep to the circles of a rotation; the
// caller's grids left as they were, and winds without a speed drawn as nothing.
#include <gtest/gtest.h>

#include "domain_util.h"
#include "gks.h"
#include "meta_fixture.h"
#include "test_util.h"
#include "vyk.h"
#include "cont.h"
#include "vykgks.h"
#include "grd_tool.h"
#include "vykplot.h"
#include "vect_plot.h"

#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

const char *const ETC = VYK_SOURCE_DIR "/etc";

/// A grid of nx x ny points on a domain; f(i, j) gives the value of column i and row j counted
/// from the bottom.
struct Grid {
    GRD_report r{};
    Grid(const Domain &dom, const std::function<float(int, int)> &f)
    {
        GRD_init(&r);
        r.domain = dom;
        GRD_alloc(&r);
        r.source = 7;
        for (int j = 0; j < dom.ny; j++)
            for (int i = 0; i < dom.nx; i++) at(i, j) = f(i, j);
    }
    ~Grid() { GRD_free(&r); }
    Grid(const Grid &) = delete;
    Grid &operator=(const Grid &) = delete;
    float &at(int i, int j)
    {
        return r.grid[static_cast<size_t>(r.domain.ny - 1 - j) * r.domain.nx + i];
    }
    GRD_report *get() { return &r; }
    std::vector<float> values() const
    {
        return {r.grid, r.grid + static_cast<size_t>(r.domain.nx) * r.domain.ny};
    }
};

Domain latlon(int nx, int ny, float dx = 1)
{
    Domain d;
    DOM_init(&d);
    d.proj = 2;
    d.clat = 45;
    d.clon = -100;
    d.nx = nx;
    d.ny = ny;
    d.dx = d.dy = dx;
    return d;
}

/// A polar stereographic domain centred at clat, 100W.
Domain polar(int nx, int ny, float dx = 2, float clat = 80)
{
    Domain d = vyktest::make_domain(1, clat, -100, dx, dx, nx, ny);
    d.plat = 90;
    d.plon = -100;
    return d;
}

/// The north pole of a polar stereographic domain in grid-index space (y up from the bottom
/// row), where the vector plots draw a grid on its own map.
Gpt pole_of(const Domain &d)
{
    Domain dom = d;
    MAP_domain(&dom);
    float px, py, gx, gy;
    MAP_tran(90, 0, &px, &py);
    MAP_grid_untran(px, py, &gx, &gy);
    return {gx, static_cast<float>(d.ny - 1) - gy};
}

struct Line {
    int tran;
    int color;
    std::vector<Gpt> pts;
    float dx() const { return pts.back().x - pts.front().x; }
    float dy() const { return pts.back().y - pts.front().y; }
    float length() const { return std::hypot(dx(), dy()); }
};

struct Drawn {
    std::vector<Line> lines;
    std::vector<std::string> texts;
    std::string meta;
    /// The two-point polylines (arrow shafts, barb staffs, streamline segments) of a
    /// transformation.
    std::vector<Line> shafts(int tran) const
    {
        std::vector<Line> out;
        for (const Line &l : lines)
            if (l.tran == tran && l.pts.size() == 2) out.push_back(l);
        return out;
    }
};

Drawn parse(const std::string &meta)
{
    Drawn d;
    d.meta = meta;
    for (const vyktest::MetaRecord &r : vyktest::meta_records(meta)) {
        if (r.kind == "PL") d.lines.push_back({r.tran, r.color, r.pts});
        else if (r.kind == "TE") d.texts.push_back(r.text);
    }
    return d;
}

/// One vector plot pass of the pair on the map of domain into a metafile, as the data-plotting
/// driver runs it: type and format, setup, drawing and the legend.
class VectPlot : public ::testing::Test {
protected:
    void SetUp() override
    {
        RES_put("file_path", ETC);
        FLAG_set_batch(1);
    }

    Drawn draw(GRD_report *u, GRD_report *v, const Domain &map, int type, const char *form,
               bool legend = false)
    {
        const std::string meta = dir.file("vect" + std::to_string(++runs) + ".meta");
        RES_put("device", ("m," + meta).c_str());
        Domain dom = map;
        MAP_domain(&dom);
        EXPECT_EQ(PLT_open(DOM_aspect(&dom)), 0);
        MAP_setup(&dom);
        gsel_norm_tran(2);
        VECT_set_type(type);
        VECT_set_format(type, form);
        VECT_plot_setup(0, 0, u, v, &dom, nullptr);
        result = VECT_draw(u, v);
        PLT_get_view(&view);
        if (legend) {
            gsel_norm_tran(1);
            VECT_draw_vect();
        }
        PLT_close();
        return parse(vyktest::read_file(meta));
    }

    vyktest::TempDir dir;
    int runs = 0;
    int result = 0;
    Glim view{};
};

constexpr float TOL = 1e-3f;

TEST_F(VectPlot, UniformFlowOnItsOwnLatLonMap)
{
    // A west wind of 10 m/s: every arrow points east and, at the maximum speed, is one grid
    // length long (drawn in grid-index space, the grid being the map).
    const Domain d = latlon(11, 9);
    Grid u(d, [](int, int) { return 10.0f; }), v(d, [](int, int) { return 0.0f; });
    const Drawn out = draw(u.get(), v.get(), d, 21, "");
    EXPECT_EQ(result, 0);
    const std::vector<Line> shafts = out.shafts(3);
    ASSERT_EQ(shafts.size(), 99u);
    for (const Line &l : shafts) {
        EXPECT_NEAR(l.dx(), 1, TOL);
        EXPECT_NEAR(l.dy(), 0, TOL);
    }
    EXPECT_NEAR(VECT_get_vector_size(), 1, TOL);
}

TEST_F(VectPlot, BaseSpeedGivesTheLengthOfAGridLength)
{
    // With a base speed of 10 an arrow of 10 m/s is one grid length whatever the maximum (40);
    // without one the fastest arrow is one grid length.  A south wind points north.
    const Domain d = latlon(4, 3);
    Grid u(d, [](int, int) { return 0.0f; });
    Grid v(d, [](int i, int) { return 10.0f * static_cast<float>(i + 1); });
    for (const auto &[form, unit] : {std::pair{"cb=10", 0.1f}, {"", 1 / 40.0f}}) {
        SCOPED_TRACE(form);
        const Drawn out = draw(u.get(), v.get(), d, 21, form);
        const std::vector<Line> shafts = out.shafts(3);
        ASSERT_EQ(shafts.size(), 12u);
        for (const Line &l : shafts) {
            const int i = static_cast<int>(std::lround(l.pts[0].x));
            EXPECT_NEAR(l.dx(), 0, TOL);
            EXPECT_NEAR(l.dy(), unit * 10.0f * static_cast<float>(i + 1), TOL);
        }
    }
}

TEST_F(VectPlot, PolarStereographicArrowsTurnToTheMapsNorth)
{
    // An earth-relative west wind on a polar stereographic grid drawn on its own map: every
    // arrow runs along its latitude circle, anticlockwise about the pole.
    RES_put("plot_param", "uvew");
    const Domain d = polar(15, 15);
    Grid u(d, [](int, int) { return 20.0f; }), v(d, [](int, int) { return 0.0f; });
    const Drawn out = draw(u.get(), v.get(), d, 21, "");
    const Gpt pole = pole_of(d);
    const std::vector<Line> shafts = out.shafts(3);
    ASSERT_GT(shafts.size(), 200u);
    int checked = 0;
    for (const Line &l : shafts) {
        const float rx = l.pts[0].x - pole.x, ry = l.pts[0].y - pole.y;
        const float r = std::hypot(rx, ry);
        if (r < 0.5f) continue;
        EXPECT_NEAR((rx * l.dx() + ry * l.dy()) / (r * l.length()), 0, 1e-3) << rx << "," << ry;
        EXPECT_GT(rx * l.dy() - ry * l.dx(), 0);
        EXPECT_NEAR(l.length(), 1, TOL);
        checked++;
    }
    EXPECT_GT(checked, 200);
}

TEST_F(VectPlot, GridRelativeWindsFollowTheGridsAxes)
{
    // The same grid with components along its own axes (the default): turned to true north
    // and back to the map's north, an x-component wind points along the grid's x axis.
    const Domain d = polar(9, 7);
    Grid u(d, [](int, int) { return 15.0f; }), v(d, [](int, int) { return 0.0f; });
    const Drawn out = draw(u.get(), v.get(), d, 21, "");
    const std::vector<Line> shafts = out.shafts(3);
    ASSERT_EQ(shafts.size(), 63u);
    for (const Line &l : shafts) {
        EXPECT_NEAR(l.dx(), 1, 1e-3);
        EXPECT_NEAR(l.dy(), 0, 1e-3);
    }
}

TEST_F(VectPlot, PolarGridOnALatLonMap)
{
    // Drawn on another map the grid points take their plot positions there: an earth-relative
    // west wind on the polar grid points east on the latitude-longitude map, and barbs' staffs
    // point west, one grid length (in plot units) long.
    RES_put("plot_param", "uvew");
    const Domain d = polar(9, 9, 1, 60);
    Grid u(d, [](int, int) { return 25.0f; }), v(d, [](int, int) { return 0.0f; });
    Domain map;
    ASSERT_GT(DOM_decode("ll,60,-100,61,41,0.5,0.5", &map), 0);
    for (int type : {21, 22}) {
        SCOPED_TRACE(type);
        const Drawn out = draw(u.get(), v.get(), map, type, "");
        const std::vector<Line> shafts = out.shafts(2);
        ASSERT_GT(shafts.size(), 40u);
        for (const Line &l : shafts) {
            if (type == 21) {
                EXPECT_GT(l.dx(), 0);
                EXPECT_NEAR(l.dy() / l.length(), 0, 1e-3);
            }
        }
        if (type == 22) {
            // The staffs: the first two-point line of each barb, from the point westward.
            int staffs = 0;
            for (const Line &l : shafts) {
                if (std::fabs(l.dy()) > 1e-3f * l.length() || l.dx() >= 0) continue;
                EXPECT_NEAR(l.length(), 1, 1e-3);
                staffs++;
            }
            EXPECT_EQ(staffs, 81);
        }
    }
}

TEST_F(VectPlot, ReferenceVectorIsTheDrawnLengthOfTheFastest)
{
    // The legend's arrow, in transformation 1, is as long as an arrow of the maximum speed on
    // the plot: one grid length of the 8 that the view's height spans.
    const Domain d = latlon(13, 9);
    Grid u(d, [](int i, int) { return 2.0f * static_cast<float>(i); });
    Grid v(d, [](int, int) { return 0.0f; });
    const Drawn out = draw(u.get(), v.get(), d, 21, "vbar", true);
    EXPECT_EQ(VECT_get_vect(), 1);
    std::vector<Line> legend;
    for (const Line &l : out.shafts(1))
        if (l.dx() > 0 && std::fabs(l.dy()) < 1e-6f) legend.push_back(l);
    ASSERT_EQ(legend.size(), 1u) << out.meta;
    EXPECT_NEAR(legend[0].dx(), (view.y_max - view.y_min) / 8, 1e-4);
    bool labelled = false;
    for (const std::string &t : out.texts) labelled |= t.rfind("MAX VECTOR:", 0) == 0 && t.find("24") != std::string::npos;
    EXPECT_TRUE(labelled) << out.meta;
}

TEST_F(VectPlot, CutOffsAndSkips)
{
    // Arrows are drawn for speeds strictly between the cut-offs; sk= and wv_skip= thin the
    // lattice.
    const Domain d = latlon(7, 5);
    Grid u(d, [](int i, int) { return 5.0f * static_cast<float>(i); });
    Grid v(d, [](int, int) { return 0.0f; });
    struct Case {
        const char *form, *param;
        size_t arrows;
    };
    for (const Case &c : {Case{"mn=10", "", 4u * 5},   // 15 .. 30 (10 itself left out)
                          Case{"mn=5:mx=25", "", 3u * 5},
                          Case{"sk=3", "", 2u * 2},   // columns 0, 3, 6 (0 is calm), rows 0, 3
                          Case{"", "wv_skip=2", 3u * 3}}) {
        SCOPED_TRACE(std::string(c.form) + c.param);
        RES_put("plot_param", c.param);
        const Drawn out = draw(u.get(), v.get(), d, 21, c.form);
        EXPECT_EQ(out.shafts(3).size(), c.arrows);
    }
}

TEST_F(VectPlot, ConBaseGivesCutOffsAndTheBaseSpeed)
{
    // con_base: '>' a lower and '<' an upper cut-off, neither of them a base speed; a plain
    // item (blanks before it skipped) is the base speed.  Speeds 0 to 30 m/s: 15 and 20 are
    // drawn, one grid length for the fastest wind (30) or for the base speed.
    const Domain d = latlon(7, 5);
    Grid u(d, [](int i, int) { return 5.0f * static_cast<float>(i); });
    Grid v(d, [](int, int) { return 0.0f; });
    struct Case {
        const char *con_base;
        float unit;  // drawn length of 1 m/s
    };
    for (const Case &c : {Case{">10,<25", 1 / 30.0f}, Case{">10,<25,  10", 0.1f}}) {
        SCOPED_TRACE(c.con_base);
        RES_put("con_base", c.con_base);
        const Drawn out = draw(u.get(), v.get(), d, 21, "");
        int slow = 0, fast = 0;
        for (const Line &l : out.shafts(3)) {
            if (std::fabs(l.length() - 15 * c.unit) < TOL) slow++;
            else if (std::fabs(l.length() - 20 * c.unit) < TOL) fast++;
            else ADD_FAILURE() << "shaft of length " << l.length();
        }
        EXPECT_EQ(slow, 5);
        EXPECT_EQ(fast, 5);
    }
}

/// Streamline segments joined into lines: a segment that starts where the last one ended
/// continues it.
std::vector<std::vector<Gpt>> chains(const std::vector<Line> &segs)
{
    std::vector<std::vector<Gpt>> out;
    for (const Line &s : segs) {
        if (!out.empty()) {
            const Gpt &end = out.back().back();
            if (std::fabs(end.x - s.pts[0].x) < 1e-3f && std::fabs(end.y - s.pts[0].y) < 1e-3f) {
                out.back().push_back(s.pts[1]);
                continue;
            }
        }
        out.push_back({s.pts[0], s.pts[1]});
    }
    return out;
}

TEST_F(VectPlot, StreamlinesOfSolidBodyRotationAreCircles)
{
    // u = -w (y - yc), v = w (x - xc): the lines go anticlockwise round the centre; each step
    // of a quarter unit goes along the tangent, so the k-th point of a line lies at radius
    // sqrt(r0^2 + k/16) exactly (the bilinear field of a linear wind is the wind itself).
    const Domain d = latlon(21, 21);
    Grid u(d, [](int, int j) { return -0.5f * static_cast<float>(j - 10); });
    Grid v(d, [](int i, int) { return 0.5f * static_cast<float>(i - 10); });
    const std::vector<float> u0 = u.values(), v0 = v.values();
    const Drawn out = draw(u.get(), v.get(), d, 23, "");
    EXPECT_EQ(result, 0);
    const std::vector<std::vector<Gpt>> lines = chains(out.shafts(3));
    ASSERT_GT(lines.size(), 5u);
    size_t points = 0;
    for (const std::vector<Gpt> &line : lines) {
        const float r0 = std::hypot(line[0].x - 10, line[0].y - 10);
        for (size_t k = 0; k < line.size(); k++) {
            const float r = std::hypot(line[k].x - 10, line[k].y - 10);
            EXPECT_NEAR(r, std::sqrt(r0 * r0 + static_cast<float>(k) / 16), 2e-3f) << k;
            if (k > 0) {
                const float cross = (line[k - 1].x - 10) * (line[k].y - line[k - 1].y) -
                                    (line[k - 1].y - 10) * (line[k].x - line[k - 1].x);
                EXPECT_GT(cross, 0);
            }
        }
        points += line.size();
    }
    EXPECT_GT(points, 100u);
    EXPECT_EQ(u.values(), u0);
    EXPECT_EQ(v.values(), v0);
}

TEST_F(VectPlot, TheLabelNamesVectorsOrStreamlines)
{
    const Domain d = latlon(11, 9);
    Grid u(d, [](int, int) { return 10.0f; }), v(d, [](int, int) { return 5.0f; });
    u.get()->ltype = 100;
    u.get()->level = 500;
    // The speeds' units are the grids' own (converted by the driver), m/s when they name none.
    const struct {
        int type;
        const char *units;
        const char *label;
    } rows[] = {{21, "", "500 mb Wind vectors (m/s)"}, {22, "", "500 mb Wind vectors (m/s)"},
                {23, "", "500 mb Streamlines (m/s)"}, {22, "kts", "500 mb Wind vectors (kts)"}};
    for (const auto &r : rows) {
        SCOPED_TRACE(r.type);
        std::snprintf(u.get()->units, sizeof u.get()->units, "%s", r.units);
        FLAG_set(FLAG_PLOT_TYPE, r.type);
        RES_put("device", ("m," + dir.file("label.meta")).c_str());
        Domain dom = d;
        MAP_domain(&dom);
        ASSERT_EQ(PLT_open(DOM_aspect(&dom)), 0);
        MAP_setup(&dom);
        VECT_set_type(r.type);
        VECT_set_format(r.type, "");
        vyktest::CaptureStdio cap;
        VECT_plot_setup(0, 0, u.get(), v.get(), &dom, nullptr);
        cap.finish();
        const char *upper_left = PLT_get_label(PLT_UP_LEFT, 0);
        EXPECT_STREQ(upper_left ? upper_left : "", r.label);
        PLT_close();
    }
}

TEST_F(VectPlot, StreamlinesUseTurnedWindsBetweenLatticePoints)
{
    // An earth-relative west wind on a polar stereographic map, every other point a seed: the
    // winds between the seeds are turned to the map's north as well, so every segment runs
    // along its latitude circle (a wind left unturned there would cross the circles at the
    // angle between true and map north).
    RES_put("plot_param", "uvew");
    const Domain d = polar(15, 15);
    Grid u(d, [](int, int) { return 10.0f; }), v(d, [](int, int) { return 0.0f; });
    const Drawn out = draw(u.get(), v.get(), d, 23, "sk=2");
    const Gpt pole = pole_of(d);
    size_t checked = 0;
    for (const Line &l : out.shafts(3)) {
        const float rx = l.pts[0].x - pole.x, ry = l.pts[0].y - pole.y;
        const float r = std::hypot(rx, ry);
        if (r < 3) continue;
        EXPECT_NEAR((rx * l.dx() + ry * l.dy()) / (r * l.length()), 0, 0.03) << rx << "," << ry;
        EXPECT_GT(rx * l.dy() - ry * l.dx(), 0);
        checked++;
    }
    EXPECT_GT(checked, 100u);
}

TEST_F(VectPlot, TheCallersGridsStayAsTheyWere)
{
    // Grid-relative winds on a polar grid drawn on another map, twice (as a zoom draws them
    // again): the grids keep their values and both drawings agree.
    const Domain d = polar(9, 9, 1, 60);
    Grid u(d, [](int i, int) { return 5.0f + static_cast<float>(i); });
    Grid v(d, [](int, int j) { return -3.0f + static_cast<float>(j); });
    const std::vector<float> u0 = u.values(), v0 = v.values();
    Domain map;
    ASSERT_GT(DOM_decode("ll,60,-100,61,41,0.5,0.5", &map), 0);
    for (int type : {21, 23}) {
        const Drawn first = draw(u.get(), v.get(), map, type, "");
        const Drawn second = draw(u.get(), v.get(), map, type, "");
        EXPECT_EQ(u.values(), u0) << type;
        EXPECT_EQ(v.values(), v0) << type;
        ASSERT_EQ(first.lines.size(), second.lines.size()) << type;
        for (size_t k = 0; k < first.lines.size(); k++) {
            ASSERT_EQ(first.lines[k].pts.size(), second.lines[k].pts.size());
            for (size_t p = 0; p < first.lines[k].pts.size(); p++) {
                EXPECT_FLOAT_EQ(first.lines[k].pts[p].x, second.lines[k].pts[p].x);
                EXPECT_FLOAT_EQ(first.lines[k].pts[p].y, second.lines[k].pts[p].y);
            }
        }
    }
}

TEST_F(VectPlot, CalmOrMissingWindsDrawNothing)
{
    // A maximum speed of 0 (all calm) or -9999 (every point missing): nothing is drawn, no
    // legend either, and nothing divides by it.
    const Domain d = latlon(5, 4);
    for (float value : {0.0f, -9999.0f}) {
        SCOPED_TRACE(value);
        Grid u(d, [&](int, int) { return value; }), v(d, [&](int, int) { return value; });
        for (int type : {21, 22, 23}) {
            const Drawn out = draw(u.get(), v.get(), d, type, "vbar", true);
            EXPECT_EQ(result, 0);
            EXPECT_TRUE(out.shafts(3).empty()) << type;
            EXPECT_TRUE(out.shafts(1).empty()) << type;
        }
    }
}

TEST_F(VectPlot, TinyArrowScaleStillSpacesTheHeads)
{
    // ss=0.05 would make the head period 0 steps: it is one step, a head at the tip of every
    // segment (those near the edges, whose heads the window clips, aside).
    const Domain d = latlon(9, 9);
    Grid u(d, [](int, int j) { return -static_cast<float>(j - 4); });
    Grid v(d, [](int i, int) { return static_cast<float>(i - 4); });
    const Drawn out = draw(u.get(), v.get(), d, 23, "ss=0.05");
    std::vector<Gpt> tips;
    for (const Line &l : out.lines)
        if (l.tran == 3 && l.pts.size() == 3) tips.push_back(l.pts[1]);
    size_t inner = 0;
    for (const Line &l : out.shafts(3)) {
        const Gpt &tip = l.pts[1];
        if (tip.x < 0.5f || tip.x > 7.5f || tip.y < 0.5f || tip.y > 7.5f) continue;
        inner++;
        bool headed = false;
        for (const Gpt &t : tips) headed |= std::fabs(t.x - tip.x) < 1e-4f && std::fabs(t.y - tip.y) < 1e-4f;
        EXPECT_TRUE(headed) << tip.x << "," << tip.y;
    }
    EXPECT_GT(inner, 50u);
}

TEST_F(VectPlot, FailuresAndTypes)
{
    const Domain d = latlon(3, 3);
    Grid u(d, [](int, int) { return 1.0f; });
    GRD_report empty;
    GRD_init(&empty);
    EXPECT_EQ(VECT_draw(nullptr, u.get()), -1);
    EXPECT_EQ(VECT_draw(u.get(), &empty), -1);
    // The type: fixed, kept through VECT_init until decided; plot type 0 in batch mode gives
    // arrows; a plot type of streamlines gives streamlines.
    VECT_set_type(22);
    VECT_init();
    EXPECT_EQ(VECT_get_type(), 22);
    EXPECT_EQ(VECT_prompt_type(), 22);
    VECT_init();
    EXPECT_EQ(VECT_get_type(), VYK_MISS);
    FLAG_set(FLAG_PLOT_TYPE, 0);
    EXPECT_EQ(VECT_prompt_type(), 21);
    VECT_init();
    FLAG_set(FLAG_PLOT_TYPE, 23);
    EXPECT_EQ(VECT_prompt_type(), 23);
    // Format words: the last type word wins; the legend word turns the legend on.
    VECT_init();
    VECT_set_vect(0);
    VECT_set_format(20, "barb:stream:vbar");
    VECT_format_decode_type();
    EXPECT_EQ(VECT_get_type(), 23);
    EXPECT_EQ(VECT_get_vect(), 1);
    // Attribute items: colour, width and style; a vector plot has no fill pattern.
    VECT_set_format(20, "barb:CO=5:wi=2.5:st=3:fp=4:other");
    Gattribs a;
    ATTRIB_init(&a);
    const int pattern = a.fill_pat;
    VECT_format_decode_attrib(&a);
    EXPECT_EQ(a.color, 5);
    EXPECT_FLOAT_EQ(a.width, 2.5f);
    EXPECT_EQ(a.style, 3);
    EXPECT_EQ(a.fill_pat, pattern);
}

}  // namespace
