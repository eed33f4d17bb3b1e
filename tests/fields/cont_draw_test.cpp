// Tests of cell-by-cell contouring: fills that cover every cell exactly once in the colour of
// its band, lines against contourpy, the cell rules (flat cells, corners on a level, cut-offs,
// explicit levels, missing corners), grid values, the cell trace and hostile grids.
#include "cont_fixture.h"
#include "cont_internal.h"

#include "vykresrc.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

using conttest::area;
using conttest::Drawing;
using conttest::Grid;
using conttest::inside;
using conttest::only;
using conttest::Record;
using conttest::setup;

float hill(int i, int j)
{
    const double u = (i - 14.3) / 6.0, v = (j - 11.7) / 5.0;
    return static_cast<float>(100 * std::exp(-(u * u + v * v)));
}

float saddle(int i, int j)
{
    const double u = (i - 9.37) / 4.0, v = (j - 8.61) / 4.0;
    return static_cast<float>(30 * u * v + 3 * std::sin(0.7 * i + 0.3 * j));
}

float waves(int i, int j)
{
    return static_cast<float>(40 * std::sin(0.45 * i + 0.1) * std::cos(0.38 * j + 0.2) + 0.3 * i);
}

/// What contouring draws, the fills piece by piece as the cells give them.
std::vector<Record> draw(GRD_report *grid, int type, float intrvl, float base = VYK_MISS,
                         const char *colors = "1-15")
{
    Drawing d;
    setup(grid, type, intrvl, base, colors);
    cont_state().merge_fills = false;
    EXPECT_EQ(CONT_draw_contour(grid), 0);
    cont_state().merge_fills = true;
    return d.records();
}

/// The fill polygons of each cell, by the cell their centroid lies in.
std::map<std::pair<int, int>, std::vector<Record>> by_cell(const std::vector<Record> &fills)
{
    std::map<std::pair<int, int>, std::vector<Record>> cells;
    for (const Record &r : fills) {
        double cx = 0, cy = 0;
        const size_t n = r.pts.size() - 1;  // the closing point repeats the first
        for (size_t k = 0; k < n; k++) {
            cx += r.pts[k].x;
            cy += r.pts[k].y;
        }
        cells[{static_cast<int>(std::floor(cx / n)), static_cast<int>(std::floor(cy / n))}]
            .push_back(r);
    }
    return cells;
}

TEST(ContDraw, FillsCoverEveryCellOnceInItsBandsColour)
{
    struct Field {
        const char *name;
        float (*f)(int, int);
        float intrvl;
    };
    const Field fields[] = {{"hill", hill, 7}, {"saddle", saddle, 5}, {"waves", waves, 6}};
    for (const Field &fd : fields) {
        SCOPED_TRACE(fd.name);
        Grid g(24, 19, fd.f);
        const auto fills = only(draw(g.get(), 15, fd.intrvl), 'F');
        const auto cells = by_cell(fills);
        for (int j = 0; j + 1 < 19; j++) {
            for (int i = 0; i + 1 < 24; i++) {
                auto it = cells.find({i, j});
                ASSERT_NE(it, cells.end()) << i << "," << j;
                double sum = 0;
                for (const Record &r : it->second) sum += std::fabs(area(r.pts));
                EXPECT_NEAR(sum, 1.0, 1e-4) << i << "," << j;
                // Points near each corner lie in exactly one polygon, of the corner's colour.
                const int di[4] = {0, 1, 0, 1}, dj[4] = {0, 0, 1, 1};
                for (int q = 0; q < 4; q++) {
                    const float z = g.at(i + di[q], j + dj[q]);
                    const double px = i + (di[q] ? 0.999 : 0.001) + 1e-7;
                    const double py = j + (dj[q] ? 0.999 : 0.001) + 2e-7;
                    int hits = 0, color = -1;
                    for (const Record &r : it->second) {
                        if (!inside(r.pts, px, py)) continue;
                        hits++;
                        color = r.color;
                    }
                    EXPECT_EQ(hits, 1) << i << "," << j << " corner " << q;
                    Gattribs a;
                    CONT_get_fill_attrib(z, &a);
                    const float frac = std::fmod(z / fd.intrvl, 1.0f);
                    if (std::fabs(frac) > 0.02f && std::fabs(frac) < 0.98f) {
                        EXPECT_EQ(color, a.color) << i << "," << j << " corner " << q << " " << z;
                    }
                }
            }
        }
    }
}

TEST(ContDraw, MissingCornersLeaveHoles)
{
    Grid g(10, 8, hill);
    g.at(0, 0) = VYK_MISS;
    g.at(4, 4) = VYK_MISS;
    g.at(9, 7) = std::nanf("");
    const auto fills = only(draw(g.get(), 15, 10), 'F');
    double sum = 0;
    for (const Record &r : fills) sum += std::fabs(area(r.pts));
    // 63 cells, less one at each grid corner and four around the inner point.
    EXPECT_NEAR(sum, 63 - 1 - 4 - 1, 1e-3);
    const auto cells = by_cell(fills);
    EXPECT_EQ(cells.count({3, 3}), 0u);
    EXPECT_EQ(cells.count({4, 4}), 0u);
    EXPECT_EQ(cells.count({0, 0}), 0u);
}

/// Distance from p to the segment a-b.
double seg_dist(double px, double py, double ax, double ay, double bx, double by)
{
    const double dx = bx - ax, dy = by - ay;
    const double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((px - ax) * dx + (py - ay) * dy) / len2 : 0;
    t = std::max(0.0, std::min(1.0, t));
    return std::hypot(px - (ax + t * dx), py - (ay + t * dy));
}

struct Line {
    double level;
    std::vector<std::pair<double, double>> pts;
};

std::vector<Line> contourpy_lines(Grid &g, const std::vector<double> &levels)
{
    std::ostringstream in;
    in.precision(9);
    const int nx = g.r.domain.nx, ny = g.r.domain.ny;
    in << nx << " " << ny << "\n";
    for (int j = 0; j < ny; j++) {
        for (int i = 0; i < nx; i++) in << g.at(i, j) << " ";
        in << "\n";
    }
    for (double l : levels) in << l << " ";
    in << "\n";
    const auto res = vyktest::run(
        "/usr/bin/python3 " VYK_SOURCE_DIR "/tests/fields/contourpy_lines.py", in.str());
    EXPECT_EQ(res.status, 0) << res.err;
    std::vector<Line> out;
    std::istringstream lines(res.out);
    std::string text;
    while (std::getline(lines, text)) {
        std::istringstream w(text);
        Line l;
        int n = 0;
        w >> l.level >> n;
        for (int k = 0; k < n; k++) {
            double x, y;
            w >> x >> y;
            l.pts.push_back({x, y});
        }
        out.push_back(l);
    }
    return out;
}

/// Whether cell (i, j) is a saddle of level: the level crosses all four sides.
bool saddle_cell(Grid &g, int i, int j, double level)
{
    const float z[4] = {g.at(i, j), g.at(i + 1, j), g.at(i, j + 1), g.at(i + 1, j + 1)};
    const int a[4] = {0, 0, 2, 1}, b[4] = {1, 2, 3, 3};
    int n = 0;
    for (int s = 0; s < 4; s++) n += (z[a[s]] >= level) != (z[b[s]] >= level);
    return n == 4;
}

TEST(ContDraw, LinesAgreeWithContourpy)
{
    // Every vertex of our lines lies on a contourpy line of the same level, and the total
    // lengths agree.  In saddle cells contourpy decides the pairing of the four crossings by
    // its own rule, while ours pairs them by the measure total = (2 - t2 - t3) + t0 + t1: the
    // crossing points are the same, the segments inside such cells are left out of the length
    // comparison.
    struct Field {
        const char *name;
        float (*f)(int, int);
    };
    for (const Field &fd : {Field{"hill", hill}, Field{"saddle", saddle}, Field{"waves", waves}}) {
        SCOPED_TRACE(fd.name);
        Grid g(29, 23, fd.f);
        const float intrvl = 9.5f;
        const auto ours = only(draw(g.get(), 12, intrvl, 0.25f), 'L');
        ASSERT_FALSE(ours.empty());
        float maxv, minv;
        GRD_maxmin(g.get(), &maxv, &minv);
        std::vector<double> levels;
        for (double l = 0.25 + intrvl * std::floor((minv - 0.25) / intrvl); l <= maxv; l += intrvl)
            levels.push_back(static_cast<float>(l));
        const auto theirs = contourpy_lines(g, levels);
        ASSERT_FALSE(theirs.empty());
        // Our segments carry no level: a segment belongs to the level its end points lie on.
        double our_len = 0, their_len = 0;
        for (const Record &r : ours) {
            ASSERT_EQ(r.pts.size(), 2u);
            const double mx = (r.pts[0].x + r.pts[1].x) / 2, my = (r.pts[0].y + r.pts[1].y) / 2;
            double best = 1e9, best_level = 0;
            for (const Gpt &p : r.pts) {
                for (const Line &l : theirs) {
                    for (size_t k = 0; k + 1 < l.pts.size(); k++) {
                        const double d = seg_dist(p.x, p.y, l.pts[k].first, l.pts[k].second,
                                                  l.pts[k + 1].first, l.pts[k + 1].second);
                        if (d < best) {
                            best = d;
                            best_level = l.level;
                        }
                    }
                }
                EXPECT_LT(best, 1e-4) << p.x << "," << p.y;
            }
            if (!saddle_cell(g, static_cast<int>(mx), static_cast<int>(my), best_level))
                our_len += std::hypot(r.pts[1].x - r.pts[0].x, r.pts[1].y - r.pts[0].y);
        }
        for (const Line &l : theirs) {
            for (size_t k = 0; k + 1 < l.pts.size(); k++) {
                const double mx = (l.pts[k].first + l.pts[k + 1].first) / 2;
                const double my = (l.pts[k].second + l.pts[k + 1].second) / 2;
                if (saddle_cell(g, static_cast<int>(mx), static_cast<int>(my), l.level)) continue;
                their_len += std::hypot(l.pts[k + 1].first - l.pts[k].first,
                                        l.pts[k + 1].second - l.pts[k].second);
            }
        }
        EXPECT_NEAR(our_len, their_len, 0.001 * their_len);
    }
}

TEST(ContDraw, SaddleCellFollowsThePairingRule)
{
    // Corners 0 and 3 at 10, 1 and 2 at 0, level 5: total 2, segments cut off corners 1 and 2.
    Grid g(2, 2, [](int i, int j) { return i == j ? 10.0f : 0.0f; });
    auto lines = only(draw(g.get(), 12, 10, 5), 'L');
    ASSERT_EQ(lines.size(), 2u);
    for (const Record &r : lines) {
        const double mx = (r.pts[0].x + r.pts[1].x) / 2, my = (r.pts[0].y + r.pts[1].y) / 2;
        // Near corner 1 (1, 0) or corner 2 (0, 1).
        EXPECT_TRUE((mx > 0.5 && my < 0.5) || (mx < 0.5 && my > 0.5)) << mx << "," << my;
    }
    // Corner 3 at 6: total 4/3, the segments cut off corners 0 and 3.
    g.at(1, 1) = 6;
    lines = only(draw(g.get(), 12, 10, 5), 'L');
    ASSERT_EQ(lines.size(), 2u);
    for (const Record &r : lines) {
        const double mx = (r.pts[0].x + r.pts[1].x) / 2, my = (r.pts[0].y + r.pts[1].y) / 2;
        EXPECT_TRUE((mx < 0.5 && my < 0.5) || (mx > 0.5 && my > 0.5)) << mx << "," << my;
    }
}

TEST(ContDraw, CellRules)
{
    // A flat cell inside a band: one rectangle with fills, nothing with lines.
    {
        Grid g(2, 2, [](int, int) { return 12.0f; });
        auto rs = draw(g.get(), 15, 10, 0);
        ASSERT_EQ(only(rs, 'F').size(), 1u);
        EXPECT_NEAR(std::fabs(area(only(rs, 'F')[0].pts)), 1, 1e-6);
        EXPECT_TRUE(only(draw(g.get(), 12, 10, 0), 'L').empty());
    }
    // A level equal to one corner and above the other three draws no line.
    {
        Grid g(2, 2, [](int i, int j) { return i == 1 && j == 1 ? 10.0f : static_cast<float>(i + j); });
        EXPECT_TRUE(only(draw(g.get(), 12, 10, 0), 'L').empty());
    }
    // Type 16: lines on the band tops only, never at the lowest level.
    {
        Grid g(2, 2, [](int i, int) { return i == 0 ? 0.5f : 29.5f; });
        const auto rs = draw(g.get(), 16, 10, 0);
        EXPECT_EQ(only(rs, 'L').size(), 2u);  // 10 and 20
        EXPECT_EQ(only(rs, 'F').size(), 3u);
    }
}

TEST(ContDraw, CutOffsAndExplicitLevels)
{
    Grid g(2, 2, [](int i, int) { return i == 0 ? 0.0f : 40.0f; });
    // Lower cut-off above the cell: nothing.
    {
        Drawing d;
        setup(g.get(), 15, 10, 0);
        CONT_set_cutoff(VYK_MISS, 50);
        CONT_draw_contour(g.get());
        EXPECT_TRUE(d.records().empty());
    }
    // Cut-offs inside: fills from 15 up to 25 only, a line along the upper cut-off (type 16).
    {
        Drawing d;
        setup(g.get(), 16, 10, 0);
        CONT_set_cutoff(25, 15);
        CONT_draw_contour(g.get());
        const auto rs = d.records();
        double sum = 0;
        for (const Record &r : only(rs, 'F')) sum += std::fabs(area(r.pts));
        EXPECT_NEAR(sum, 0.25, 1e-5);
        bool at_cut = false;
        for (const Record &r : only(rs, 'L')) at_cut |= std::fabs(r.pts[0].x - 0.625f) < 1e-5;
        EXPECT_TRUE(at_cut);
    }
    // Explicit levels 10, 20, 30: the part below 10 is never filled.
    {
        Drawing d;
        conttest::colors();
        MAP_domain(&g.get()->domain);
        CONT_init();
        CONT_set_type(15);
        CONT_set_fill_colors("10:red,20:blue,30:green", 1);
        CONT_set_cont_ext(g.get());
        CONT_draw_contour(g.get());
        double sum = 0;
        for (const Record &r : only(d.records(), 'F')) sum += std::fabs(area(r.pts));
        EXPECT_NEAR(sum, 0.75, 1e-5);
    }
}

TEST(ContDraw, GridValuesArePrinted)
{
    Grid g(3, 2, [](int i, int j) { return static_cast<float>(10 * i + j); });
    Drawing d;
    setup(g.get(), 17, VYK_MISS);
    CONT_set_skip(2, 1);
    CONT_draw_contour(g.get());
    const auto texts = only(d.records(), 'T');
    ASSERT_EQ(texts.size(), 4u);  // columns 0 and 2 of both rows
    EXPECT_EQ(texts[0].text, "1");
    EXPECT_EQ(texts[1].text, "21");
}

TEST(ContDraw, GridlocTracesOneCell)
{
    setenv("gridloc", "1,0", 1);
    Grid g(3, 2, [](int i, int j) { return static_cast<float>(10 * i + 3 * j); });
    vyktest::CaptureStdio cap;
    draw(g.get(), 15, 5, 0);
    cap.finish();
    unsetenv("gridloc");
    EXPECT_TRUE(vyktest::has(cap.out(), "GRIDPOINT: 10.000000 20.000000 13.000000 23.000000"))
        << cap.out();
    EXPECT_TRUE(vyktest::has(cap.out(), "CC-val: 15.000000")) << cap.out();
    EXPECT_TRUE(vyktest::has(cap.out(), "Loop ")) << cap.out();
}

TEST(ContDraw, HostileGridsDrawNothingOrAMessage)
{
    struct Case {
        const char *name;
        int nx, ny;
        float (*f)(int, int);
        float intrvl;
    };
    const Case cases[] = {
        {"constant", 8, 6, [](int, int) { return 5.0f; }, 0},
        {"all missing", 8, 6, [](int, int) { return -9999.0f; }, 0},
        {"nan", 8, 6, [](int i, int) { return i % 2 ? std::nanf("") : 1.0f; }, 0},
        {"inf", 8, 6, [](int i, int j) { return i == 3 ? INFINITY : static_cast<float>(i + j); }, 0},
        {"-inf", 8, 6, [](int i, int j) { return j == 2 ? -INFINITY : static_cast<float>(i * j); }, 1},
        {"1 by n", 1, 9, [](int, int j) { return static_cast<float>(j); }, 1},
        {"n by 1", 9, 1, [](int i, int) { return static_cast<float>(i); }, 1},
        {"interval 1e-30", 8, 6, hill, 1e-30f},
        {"interval 1e-6", 8, 6, hill, 1e-6f},
        {"huge values", 8, 6, [](int i, int) { return i ? 3e38f : -3e38f; }, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Grid g(c.nx, c.ny, c.f);
        for (int type : {12, 15, 16, 17}) {
            Drawing d;
            setup(g.get(), type, c.intrvl, VYK_MISS);
            CONT_draw(g.get());
            for (const Record &r : d.records())
                for (const Gpt &p : r.pts) EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y));
        }
    }
    // No grid, no values: a message and -1.
    vyktest::CaptureStdio cap;
    EXPECT_EQ(CONT_draw(nullptr), -1);
    GRD_report empty{};
    GRD_init(&empty);
    EXPECT_EQ(CONT_draw(&empty), -1);
    cap.finish();
    EXPECT_TRUE(vyktest::has(cap.err() + cap.out(), "CONT_draw: Invalid grids"));
    EXPECT_TRUE(vyktest::has(cap.err() + cap.out(), "CONT_draw: Invalid grid arrays"));
}

TEST(ContDraw, DataSwitchOffDrawsNothing)
{
    Grid g(4, 4, hill);
    FLAG_setplot(PLOT_DATA, 0);
    Drawing d;
    setup(g.get(), 15, 10);
    EXPECT_EQ(CONT_draw(g.get()), -1);
    EXPECT_TRUE(d.records().empty());
    FLAG_setplot(PLOT_DATA, 1);
}

}  // namespace

namespace {

TEST(ContDraw, TypesNotDrawnAreRefused)
{
    Grid g(4, 4, hill);
    for (int type : {13, 20, -9999}) {
        SCOPED_TRACE(type);
        Drawing d;
        setup(g.get(), type, 10);
        vyktest::CaptureStdio cap;
        EXPECT_EQ(CONT_draw_contour(g.get()), -1);
        cap.finish();
        EXPECT_TRUE(vyktest::has(cap.out() + cap.err(), "Contour type not drawn")) << cap.err();
        EXPECT_TRUE(only(d.records(), 'F').empty());
    }
    // "none" draws nothing and says nothing.
    Drawing d;
    setup(g.get(), 99, 10);
    EXPECT_EQ(CONT_draw_contour(g.get()), 0);
    EXPECT_TRUE(only(d.records(), 'L').empty());
}

}  // namespace
