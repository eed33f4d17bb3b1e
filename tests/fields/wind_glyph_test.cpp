// Wind glyphs: the pennants, full and half barbs of every speed, where a barb points and where
// its barbs lie, arrows and motion tracks, the map-turned forms on a polar stereographic map,
// and a barb drawn on PostScript and read back from ghostscript's rendering.
#include <gtest/gtest.h>

#include "glyph_fixture.h"
#include "image_util.h"
#include "test_util.h"
#include "vykplot.h"
#include "wind_glyph.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

using glyphtest::Drawing;
using glyphtest::near;
using glyphtest::Record;

namespace {

struct Counts {
    int pennants = 0, full = 0, half = 0, staffs = 0;
};

// A barb drawn pointing north (dir 0) from the origin with size 1: across the staff is +x.
Counts classify(const std::vector<Record> &rs)
{
    Counts c;
    for (const Record &r : rs) {
        if (r.kind == 'F') {
            c.pennants++;
            continue;
        }
        if (r.pts.size() != 2) continue;
        const float across = std::max(r.pts[0].x, r.pts[1].x);
        if (std::fabs(across) < 1e-4f) c.staffs++;
        else if (std::fabs(across - 0.5f) < 1e-4f) c.full++;
        else if (std::fabs(across - 0.25f) < 1e-4f) c.half++;
    }
    return c;
}

}  // namespace

TEST(WindGlyph, BarbCountsFollowTheRoundingToFiveKnots)
{
    // Every speed from calm to 200 knots, and the cap at 300.
    std::vector<int> speeds;
    for (int s = 0; s <= 200; s++) speeds.push_back(s);
    for (int s : {247, 248, 298, 300, 301, 450}) speeds.push_back(s);
    for (int s : speeds) {
        SCOPED_TRACE(s);
        Drawing d(10);
        ASSERT_TRUE(d.ok());
        const int result = WIND_barb(0, 0, 0, static_cast<float>(s), 1, 0);
        const Counts c = classify(d.records());
        if (s == 0) {
            EXPECT_EQ(result, -1);
            EXPECT_EQ(c.staffs, 0);
            continue;
        }
        EXPECT_EQ(result, 0);
        const int rounded = 5 * ((std::min(s, 300) + 2) / 5);
        EXPECT_EQ(c.staffs, 1);
        EXPECT_EQ(c.pennants, rounded / 50);
        EXPECT_EQ(c.full, rounded % 50 / 10);
        EXPECT_EQ(c.half, rounded % 10 / 5);
    }
}

TEST(WindGlyph, BarbLayoutAlongTheStaff)
{
    struct Case {
        float spd;
        std::vector<std::vector<float>> lines;  // each x0, y0, x1, y1 (staff north, size 1)
    };
    const Case cases[] = {
        {2, {{0, 0, 0, 1}}},                                   // the staff alone
        {3, {{0, 0, 0, 1}, {0, 0.88f, 0.25f, 0.94f}}},        // a half barb one step in
        {8, {{0, 0, 0, 1}, {0, 1, 0.5f, 1.12f}}},             // a full barb from the tip
        {15, {{0, 0, 0, 1}, {0, 1, 0.5f, 1.12f}, {0, 0.88f, 0.25f, 0.94f}}},
        // A pennant, one empty step, a full barb and a half barb.
        {65, {{0, 0, 0, 1}, {0, 0.76f, 0.5f, 0.88f}, {0, 0.64f, 0.25f, 0.7f}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.spd);
        Drawing d(10);
        WIND_barb(0, 0, 0, c.spd, 1, 0);
        std::vector<Record> lines;
        for (const Record &r : d.records())
            if (r.kind == 'L' && r.pts.size() == 2) lines.push_back(r);
        ASSERT_EQ(lines.size(), c.lines.size());
        for (size_t i = 0; i < lines.size(); i++) {
            EXPECT_TRUE(near(lines[i].pts[0], c.lines[i][0], c.lines[i][1]));
            EXPECT_TRUE(near(lines[i].pts[1], c.lines[i][2], c.lines[i][3]))
                << lines[i].pts[1].x << "," << lines[i].pts[1].y;
        }
    }
    // The pennant of 65: filled, then outlined, from the tip to 0.5 across and back.
    Drawing d(10);
    WIND_barb(0, 0, 0, 65, 1, 0);
    const std::vector<Record> rs = d.records();
    const auto fill = std::find_if(rs.begin(), rs.end(), [](const Record &r) { return r.kind == 'F'; });
    ASSERT_NE(fill, rs.end());
    ASSERT_EQ(fill->pts.size(), 4u);
    EXPECT_TRUE(near(fill->pts[0], 0, 1));
    EXPECT_TRUE(near(fill->pts[1], 0.5f, 1));
    EXPECT_TRUE(near(fill->pts[2], 0, 0.88f));
    ASSERT_NE(fill + 1, rs.end());
    EXPECT_EQ((fill + 1)->kind, 'L');
    EXPECT_EQ((fill + 1)->pts.size(), 4u);
}

TEST(WindGlyph, BarbPointsIntoTheWindWithBarbsClockwise)
{
    struct Case {
        float dir;
        float tip_x, tip_y;    // the staff's tip for size 10 (where the wind comes from)
        float side_x, side_y;  // the direction the barbs stand out
    };
    const Case cases[] = {
        {0, 0, 10, 1, 0},      // north wind: barbs east
        {90, 10, 0, 0, -1},    // east wind: barbs south
        {180, 0, -10, -1, 0},
        {270, -10, 0, 0, 1},   // west wind: barbs north
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.dir);
        Drawing d(100);
        EXPECT_EQ(WIND_barb(5, 5, c.dir, 20, 10, 2), 0);
        const std::vector<Record> rs = d.records();
        ASSERT_GE(rs.size(), 3u);
        // The staff starts offset from the point and ends size from it.
        EXPECT_TRUE(near(rs[0].pts[0], 5 + c.tip_x * 0.2f, 5 + c.tip_y * 0.2f));
        EXPECT_TRUE(near(rs[0].pts[1], 5 + c.tip_x, 5 + c.tip_y));
        for (size_t i = 1; i < rs.size(); i++) {
            const Gpt &end = rs[i].pts[1];
            const float side = (end.x - 5) * c.side_x + (end.y - 5) * c.side_y;
            EXPECT_NEAR(side, 5, 1e-3);
        }
    }
    // Offset 0 starts at the point; offset equal to size leaves the staff no length but draws
    // the barbs.
    Drawing d(100);
    WIND_barb(0, 0, 0, 20, 10, 10);
    const std::vector<Record> rs = d.records();
    ASSERT_EQ(rs.size(), 3u);
    EXPECT_TRUE(near(rs[0].pts[0], 0, 10));
    EXPECT_TRUE(near(rs[0].pts[1], 0, 10));
}

TEST(WindGlyph, UnusableWindsDrawNothing)
{
    struct Case {
        float dir, spd;
    };
    const Case cases[] = {
        {VYK_MISS, 10}, {10, VYK_MISS}, {10, 0}, {10, -20}, {NAN, 10}, {10, INFINITY},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.dir << " " << c.spd);
        Drawing d(100);
        EXPECT_EQ(WIND_barb(0, 0, c.dir, c.spd, 1, 0), -1);
        if (c.spd >= 0 || std::isnan(c.spd)) {
            EXPECT_EQ(WIND_vect(0, 0, c.dir, c.spd, 1, 1), -1);
            EXPECT_EQ(WIND_track(0, 0, c.dir, c.spd, 1, 4, 0), -1);
        }
        EXPECT_TRUE(d.records().empty());
    }
}

TEST(WindGlyph, ArrowsAndTracks)
{
    {
        // A west wind of 2 at size 3: a shaft of 6 toward the east, head strokes at 45 degrees
        // of 0.2 sqrt(2) x 0.5 x 6.
        Drawing d(100);
        EXPECT_EQ(WIND_vect(1, 1, 270, 2, 3, 0.5f), 0);
        const std::vector<Record> rs = d.records();
        ASSERT_EQ(rs.size(), 2u);
        EXPECT_TRUE(near(rs[0].pts[0], 1, 1));
        EXPECT_TRUE(near(rs[0].pts[1], 7, 1));
        ASSERT_EQ(rs[1].pts.size(), 3u);
        EXPECT_TRUE(near(rs[1].pts[1], 7, 1));
        EXPECT_TRUE(near(rs[1].pts[0], 6.4f, 0.4f));
        EXPECT_TRUE(near(rs[1].pts[2], 6.4f, 1.6f));
    }
    {
        Drawing d(100);
        EXPECT_EQ(WIND_vect(0, 0, 0, 1, 5, 0), 0);  // no head
        const std::vector<Record> rs = d.records();
        ASSERT_EQ(rs.size(), 1u);
        EXPECT_TRUE(near(rs[0].pts[1], 0, -5));
    }
    {
        // A track of 8 toward the south with 4 ticks at 0, 2, 4 and 6; its head depends on
        // arrow alone.
        Drawing d(100);
        EXPECT_EQ(WIND_track(0, 0, 0, 8, 1, 4, 99), 0);
        const std::vector<Record> rs = d.records();
        ASSERT_EQ(rs.size(), 6u);
        EXPECT_TRUE(near(rs[0].pts[1], 0, -8));
        for (int i = 0; i < 4; i++) {
            const Record &tick = rs[static_cast<size_t>(1 + i)];
            EXPECT_NEAR((tick.pts[0].y + tick.pts[1].y) / 2, -2.0f * static_cast<float>(i), 1e-4);
            EXPECT_NEAR(std::fabs(tick.pts[0].x - tick.pts[1].x), 0.4f, 1e-4);
        }
        EXPECT_TRUE(near(rs[5].pts[0], -0.2f, -7.8f));
        EXPECT_TRUE(near(rs[5].pts[2], 0.2f, -7.8f));
    }
}

TEST(WindGlyph, MapFormsTurnToTheMapsNorthAndRefuseMissingWinds)
{
    Domain dom;
    ASSERT_GT(DOM_decode("ps:90:-105:60,60,-105,25,17,1,1", &dom), 0);
    MAP_domain(&dom);
    float x = 0, y = 0;
    ASSERT_EQ(MAP_tran(45, -70, &x, &y), 1);
    const float turned = MAP_dir_adj(270, x, y);
    ASSERT_GT(std::fabs(turned - 270), 10);  // far from the central meridian the map turns
    std::vector<Record> plain, mapped;
    {
        Drawing d(1000);
        WIND_barb(x, y, turned, 35, 1, 0.1f);
        WIND_vect(x, y, turned, 35, 0.1f, 1);
        plain = d.records();
    }
    {
        Drawing d(1000);
        EXPECT_EQ(WIND_barb_map(x, y, 270, 35, 1, 0.1f), 0);
        EXPECT_EQ(WIND_vect_map(x, y, 270, 35, 0.1f, 1), 0);
        mapped = d.records();
    }
    ASSERT_EQ(plain.size(), mapped.size());
    for (size_t i = 0; i < plain.size(); i++)
        for (size_t k = 0; k < plain[i].pts.size(); k++)
            EXPECT_TRUE(near(plain[i].pts[k], mapped[i].pts[k].x, mapped[i].pts[k].y, 1e-4f));
    // A missing direction turned by the map would become a real one: refused before the turn.
    Drawing d(1000);
    EXPECT_EQ(WIND_barb_map(x, y, VYK_MISS, 35, 1, 0), -1);
    EXPECT_EQ(WIND_vect_map(x, y, VYK_MISS, 35, 1, 1), -1);
    EXPECT_EQ(WIND_barb_map(x, y, 270, VYK_MISS, 1, 0), -1);
    EXPECT_EQ(WIND_vect_map(x, y, 270, VYK_MISS, 1, 1), -1);
    EXPECT_TRUE(d.records().empty());
}

// A west wind of 65 knots drawn on colour PostScript beside markers of the point (green), of
// north (blue) and of east (magenta), rendered by ghostscript: the barb's ink lies west of the
// point (it points into the wind) with the barbs and pennant north of the staff, whichever way
// the page is turned.
TEST(WindGlyph, BarbOnPostScriptPointsIntoTheWind)
{
    vyktest::TempDir dir;
    const std::string ps = dir.file("barb.ps"), ppm = dir.file("barb.ppm");
    gopen_gks(nullptr, 0);
    ASSERT_EQ(gopen_ws(1, (ps + ",color").c_str(), GWS_PS), 0);
    gactivate_ws(1);
    const Glim win = {-2, 2, -2, 2}, vp = {0, 1, 0, 1};
    gset_win(1, &win);
    gset_vp(1, &vp);
    gsel_norm_tran(1);
    const Gcolr_rep colours[] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 0, 1}};
    for (int k = 0; k < 4; k++) gset_colr_rep(1, 2 + k, &colours[k]);
    gset_fill_colr_ind(2);
    gset_line_colr_ind(2);
    gset_linewidth(2);
    EXPECT_EQ(WIND_barb(0, 0, 270, 65, 1.5f, 0.2f), 0);
    const auto spot = [](int colour, float x, float y) {
        gset_fill_colr_ind(colour);
        const Gpt sq[4] = {{x - 0.05f, y - 0.05f}, {x + 0.05f, y - 0.05f}, {x + 0.05f, y + 0.05f},
                           {x - 0.05f, y + 0.05f}};
        gfill_area(4, sq);
    };
    spot(3, 0, 0);
    spot(4, 0, 1.8f);
    spot(5, 1.8f, 0);
    gdeactivate_ws(1);
    gclose_ws(1);
    gclose_gks();

    const vyktest::RunResult gs =
        vyktest::run("gs -dSAFER -dBATCH -dNOPAUSE -q -r72 -sPAPERSIZE=letter -sDEVICE=ppmraw "
                     "-sOutputFile=" + vyktest::quote(ppm) + " " + vyktest::quote(ps));
    ASSERT_EQ(gs.status, 0) << gs.err;
    ASSERT_EQ(gs.err, "");
    const vyktest::RgbImage img = vyktest::parse_ppm(vyktest::read_file(ppm));
    ASSERT_GT(img.width, 0);
    struct Centre {
        double x = 0, y = 0;
        int n = 0;
    };
    Centre ink, point, north, east;
    for (int y = 0; y < img.height; y++) {
        for (int x = 0; x < img.width; x++) {
            const vyktest::Rgb c = img.at(x, y);
            Centre *to = nullptr;
            if (c.r > 200 && c.g < 80 && c.b < 80) to = &ink;
            else if (c.g > 200 && c.r < 80 && c.b < 80) to = &point;
            else if (c.b > 200 && c.r < 80 && c.g < 80) to = &north;
            else if (c.r > 200 && c.b > 200 && c.g < 80) to = &east;
            if (!to) continue;
            to->x += x;
            to->y += y;
            to->n++;
        }
    }
    ASSERT_GT(ink.n, 50);
    ASSERT_GT(point.n, 0);
    ASSERT_GT(north.n, 0);
    ASSERT_GT(east.n, 0);
    const auto at = [](const Centre &c) { return std::make_pair(c.x / c.n, c.y / c.n); };
    const auto [px, py] = at(point);
    const auto [nx, ny] = at(north);
    const auto [ex, ey] = at(east);
    const auto [ix, iy] = at(ink);
    // The ink's centre in units of the marker vectors (both 1.8 long).
    const double to_e = ((ix - px) * (ex - px) + (iy - py) * (ey - py)) / ((ex - px) * (ex - px) + (ey - py) * (ey - py)) * 1.8;
    const double to_n = ((ix - px) * (nx - px) + (iy - py) * (ny - py)) / ((nx - px) * (nx - px) + (ny - py) * (ny - py)) * 1.8;
    EXPECT_LT(to_e, -0.8) << to_e;   // west of the point, along the staff
    EXPECT_GT(to_n, 0.1) << to_n;    // the barbs and pennant north of the staff
    EXPECT_LT(to_n, 0.5) << to_n;
}
