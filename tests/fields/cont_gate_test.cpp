// Tests of the drawing gate across projection seams: crossing points unwrapped by int_xy, fill
// polygons and segments split, doubled or dropped by CONT_draw_lines, hidden bands.
#include "cont_fixture.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using conttest::Drawing;
using conttest::Grid;
using conttest::only;
using conttest::Record;

/// Makes a map of projection proj current (whole earth) and a one-colour table.
void map(const char *domain)
{
    Domain d;
    ASSERT_EQ(DOM_decode(domain, &d), DOM_DOMAIN) << domain;
    MAP_domain(&d);
    conttest::colors();
    CONT_init();
    CONT_set_fill_colors("red,red", 1);
}

TEST(ContGate, IntXyUnwrapsAcrossTheDateline)
{
    map("ll,0,0,361,181,1,1");
    Gpt p;
    int_xy(&p, 175, 10, -175, 20, 0.5f);
    EXPECT_FLOAT_EQ(p.x, -180);
    EXPECT_FLOAT_EQ(p.y, 15);
    int_xy(&p, -175, 0, 175, 0, 0.25f);
    EXPECT_FLOAT_EQ(p.x, 182.5f);
    int_xy(&p, 10, 0, 20, 0, 0.5f);
    EXPECT_FLOAT_EQ(p.x, 15);
}

// The second piece runs from x0 - 360 to x1: -185 to -175, the mirror of the first across
// the seam.
TEST(ContGate, SegmentAcrossTheDatelineIsDrawnTwice)
{
    map("ll,0,0,361,181,1,1");
    Drawing d;
    Gpt seg[2] = {{175, 0}, {-175, 0}};
    EXPECT_EQ(CONT_draw_lines(12, 2, seg), 0);
    const auto lines = only(d.records(), 'L');
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_FLOAT_EQ(lines[0].pts[0].x, 175);
    EXPECT_FLOAT_EQ(lines[0].pts[1].x, 185);
    EXPECT_FLOAT_EQ(lines[1].pts[0].x, -185);
    EXPECT_FLOAT_EQ(lines[1].pts[1].x, -175);
}

TEST(ContGate, FillsSplitOnlyAcrossTheSeam)
{
    map("ll,0,0,361,181,1,1");
    Drawing d;
    Gpt inside[4] = {{0, 0}, {40, 0}, {40, 40}, {0, 40}};
    CONT_draw_lines(15, 4, inside);
    Gpt across[4] = {{175, 0}, {-175, 0}, {-175, 10}, {175, 10}};
    CONT_draw_lines(15, 4, across);
    const auto fills = only(d.records(), 'F');
    ASSERT_EQ(fills.size(), 3u);
    // The split polygon is filled on each side, never spanning the map.
    for (size_t k = 1; k < 3; k++) {
        float lo = 1e9f, hi = -1e9f;
        for (const Gpt &p : fills[k].pts) {
            lo = std::min(lo, p.x);
            hi = std::max(hi, p.x);
        }
        EXPECT_LE(hi - lo, 10.001f);
    }
}

TEST(ContGate, LambertDropsJumpsMollweideSplitsThem)
{
    map("lc,40,-100,201,201,0.5,0.5");
    {
        Drawing d;
        Gpt seg[2] = {{-30, 0}, {30, 0}};
        CONT_draw_lines(12, 2, seg);
        Gpt poly[3] = {{-30, 0}, {30, 0}, {30, 5}};
        CONT_draw_lines(15, 3, poly);
        EXPECT_TRUE(d.records().empty());
    }
    map("mo,0,0,201,101,2,2");
    {
        Drawing d;
        Gpt seg[2] = {{-125, 0}, {125, 0}};
        CONT_draw_lines(12, 2, seg);
        const auto lines = only(d.records(), 'L');
        ASSERT_EQ(lines.size(), 2u);
        for (const Record &r : lines) EXPECT_LE(std::fabs(r.pts[1].x - r.pts[0].x), 10.0f);
    }
    // At the map's top the width term is 0, and a height beyond it gives no NaN.
    {
        Drawing d;
        Gpt seg[2] = {{-5, 70}, {6, 70}};
        CONT_draw_lines(12, 2, seg);
        for (const Record &r : only(d.records(), 'L'))
            for (const Gpt &p : r.pts) EXPECT_TRUE(std::isfinite(p.x));
        Gpt pt;
        int_xy(&pt, -5, 70, 6, 70, 0.5f);
        EXPECT_TRUE(std::isfinite(pt.x));
    }
}

TEST(ContGate, HiddenBandDrawsNothing)
{
    map("ll,0,0,361,181,1,1");
    conttest::colors();
    CONT_init();
    CONT_set_fill_colors("none,red", 1);
    Drawing d;
    Gpt seg[2] = {{0, 0}, {1, 1}};
    EXPECT_EQ(CONT_draw_lines(16, 2, seg), -1);
    EXPECT_TRUE(d.records().empty());
}

/// Largest x extent of any drawn piece.
float widest(const std::vector<Record> &rs)
{
    float w = 0;
    for (const Record &r : rs) {
        float lo = 1e9f, hi = -1e9f;
        for (const Gpt &p : r.pts) {
            lo = std::min(lo, p.x);
            hi = std::max(hi, p.x);
        }
        if (!r.pts.empty()) w = std::max(w, hi - lo);
    }
    return w;
}

TEST(ContGate, FieldAcrossTheDatelineDrawsNoLineAcrossTheMap)
{
    // Longitudes 150 to 210 east, contoured on whole-earth maps centred on 0.
    Grid g(31, 21, [](int i, int j) {
        return static_cast<float>(50 * std::sin(0.2 * i) * std::cos(0.3 * j));
    }, 0, 180, 2);
    for (const char *domain : {"ll,0,0,361,181,1,1", "mo,0,0,201,101,2,2"}) {
        SCOPED_TRACE(domain);
        Domain d;
        ASSERT_EQ(DOM_decode(domain, &d), DOM_DOMAIN);
        MAP_domain(&d);
        CONT_init();
        CONT_set_type(16);
        CONT_set_intrvl(10);
        CONT_set_fill_colors("1-15", 1);
        CONT_set_range(VYK_MISS, VYK_MISS);
        CONT_set_cont_ext(g.get());
        Drawing draw;
        ASSERT_EQ(CONT_draw_contour(g.get()), 0);
        const auto rs = draw.records();
        ASSERT_FALSE(only(rs, 'L').empty());
        ASSERT_FALSE(only(rs, 'F').empty());
        // Grid cells are 2 degrees (a few plot units on Mollweide): no line is wider than a
        // few cells.  A band region on one side of the seam is at most the grid's 30 degrees
        // wide; one drawn across the map would span most of its width.
        EXPECT_LT(widest(only(rs, 'L')), 20.0f);
        EXPECT_LT(widest(only(rs, 'F')), 100.0f);
    }
}

}  // namespace
