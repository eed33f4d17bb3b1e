// Fills drawn as band regions: every point of the picture gets the colour the cell-by-cell
// pieces give it, holes and islands included, with a few fill areas per band; the rendered
// PostScript matches the cell-by-cell rendering but for the pixels along band edges.
#include "cont_fixture.h"
#include "cont_internal.h"
#include "image_util.h"

#include <gtest/gtest.h>

#include <cmath>
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

float waves(int i, int j)
{
    return static_cast<float>(40 * std::sin(0.45 * i + 0.1) * std::cos(0.38 * j + 0.2) + 0.3 * i);
}

/// Whole levels on every point: corners on levels, flat cells, a checkerboard of plateaus.
float steps(int i, int j)
{
    if ((i / 3 + j / 3) % 2 == 0) return 20;
    return static_cast<float>(10 * ((i * 7 + j * 3) % 5));
}

/// A ring of high values around a low middle, with a high island in it: a band with a hole
/// that holds another band's island.
float ring(int i, int j)
{
    const double r = std::hypot(i - 12.0, j - 10.0);
    return static_cast<float>(r < 2.5 ? 50 : r < 6 ? 5 : r < 9 ? 50 : 5);
}

std::vector<Record> fills(GRD_report *grid, float intrvl, bool merge, int type = 15)
{
    Drawing d;
    setup(grid, type, intrvl, VYK_MISS, "1-15");
    cont_state().merge_fills = merge;
    EXPECT_EQ(CONT_draw_contour(grid), 0);
    cont_state().merge_fills = true;
    return only(d.records(), 'F');
}

/// The colour at (x, y): the colour of the one record holding it (even-odd), -1 for none,
/// -2 when several do.
int colour_at(const std::vector<Record> &fs, double x, double y)
{
    int found = -1;
    for (const Record &r : fs) {
        if (!inside(r.pts, x, y)) continue;
        if (found != -1) return -2;
        found = r.color;
    }
    return found;
}

TEST(ContMerge, RegionsColourEveryPointAsTheCellPiecesDo)
{
    struct Field {
        const char *name;
        float (*f)(int, int);
        float intrvl;
        bool holes;  // missing points
    };
    const Field fields[] = {{"hill", hill, 7, false},   {"waves", waves, 6, false},
                            {"steps", steps, 10, false}, {"ring", ring, 10, false},
                            {"waves with gaps", waves, 6, true}};
    for (const Field &fd : fields) {
        SCOPED_TRACE(fd.name);
        Grid g(24, 19, fd.f);
        if (fd.holes) {
            g.at(5, 5) = VYK_MISS;
            g.at(6, 5) = VYK_MISS;
            g.at(15, 12) = VYK_MISS;
            g.at(0, 18) = VYK_MISS;
        }
        const auto cells = fills(g.get(), fd.intrvl, false);
        const auto merged = fills(g.get(), fd.intrvl, true);
        ASSERT_FALSE(merged.empty());
        EXPECT_LT(merged.size() * 2, cells.size()) << merged.size() << " " << cells.size();
        // Points off the cells' sides and off every level's crossing lines.
        int checked = 0;
        for (double y = 0.013; y < 18; y += 0.231) {
            for (double x = 0.017; x < 23; x += 0.193) {
                const int want = colour_at(cells, x, y);
                const int got = colour_at(merged, x, y);
                if (want == -2) continue;  // on a shared edge of two pieces
                EXPECT_EQ(got, want) << x << "," << y;
                checked++;
            }
        }
        EXPECT_GT(checked, 7000);
        double a_cells = 0, a_merged = 0;
        for (const Record &r : cells) a_cells += std::fabs(area(r.pts));
        for (const Record &r : merged) a_merged += area(r.pts);
        EXPECT_NEAR(a_merged, a_cells, 1e-3);
    }
}

TEST(ContMerge, AnEvenFieldIsOneFillArea)
{
    Grid g(300, 200, [](int, int) { return 42.0f; });
    const auto merged = fills(g.get(), 10, true);
    ASSERT_EQ(merged.size(), 1u);
    EXPECT_EQ(merged[0].pts.size(), 5u);  // four corners and the closing point
    EXPECT_NEAR(area(merged[0].pts), 299.0 * 199.0, 1e-6);
    // A missing point makes a hole of four cells, bridged into the one fill area.
    g.at(100, 100) = VYK_MISS;
    const auto holed = fills(g.get(), 10, true);
    ASSERT_EQ(holed.size(), 1u);
    EXPECT_NEAR(area(holed[0].pts), 299.0 * 199.0 - 4, 1e-6);
    EXPECT_FALSE(inside(holed[0].pts, 100.2, 100.3));
    EXPECT_FALSE(inside(holed[0].pts, 99.5, 99.5));
    EXPECT_TRUE(inside(holed[0].pts, 98.5, 100.5));
}

TEST(ContMerge, LinesOverFillLieOverEveryFill)
{
    Grid g(24, 19, waves);
    Drawing d;
    setup(g.get(), 16, 6, VYK_MISS, "1-15");
    EXPECT_EQ(CONT_draw_contour(g.get()), 0);
    const auto rs = d.records();
    size_t last_fill = 0, first_line = rs.size();
    for (size_t k = 0; k < rs.size(); k++) {
        if (rs[k].kind == 'F') last_fill = k;
        if (rs[k].kind == 'L' && first_line == rs.size()) first_line = k;
    }
    EXPECT_LT(last_fill, first_line);
    EXPECT_GT(only(rs, 'L').size(), 50u);
}

// The fill settings are made once a region, not once a band of every cell: a metafile
// records each change.
TEST(ContMerge, FillSettingsFollowTheRegions)
{
    Grid g(60, 45, waves);
    for (int type : {15, 16}) {
        SCOPED_TRACE(type);
        Drawing d;
        setup(g.get(), type, 6, VYK_MISS, "1-15");
        EXPECT_EQ(CONT_draw_contour(g.get()), 0);
        const auto fs = only(d.records(), 'F');
        const std::string text = d.text();
        ASSERT_GT(fs.size(), 5u);
        EXPECT_LE(vyktest::count(text, "\nFA_CLR "), fs.size() + 1);
    }
}

/// The grid's fills on PostScript rendered by ghostscript.
vyktest::RgbImage render(GRD_report *grid, float intrvl, bool merge, const std::string &ps)
{
    conttest::colors();
    gopen_gks(nullptr, 0);
    EXPECT_EQ(gopen_ws(1, ps.c_str(), GWS_PS), 0);
    gactivate_ws(1);
    setup(grid, 15, intrvl, VYK_MISS, "1-15");
    cont_state().merge_fills = merge;
    EXPECT_EQ(CONT_draw_contour(grid), 0);
    cont_state().merge_fills = true;
    gdeactivate_ws(1);
    gclose_ws(1);
    gclose_gks();
    const auto r = vyktest::run("gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=ppmraw -r50 -sOutputFile=- " + ps);
    EXPECT_EQ(r.status, 0) << r.err;
    return vyktest::parse_ppm(r.out);
}

TEST(ContMerge, RenderedPictureIsTheCellByCellOne)
{
    vyktest::TempDir dir;
    for (float (*f)(int, int) : {waves, ring}) {
        Grid g(40, 30, f);
        g.at(20, 20) = VYK_MISS;
        const auto old_pic = render(g.get(), 6, false, dir.file("cells.ps"));
        const auto new_pic = render(g.get(), 6, true, dir.file("merged.ps"));
        ASSERT_EQ(old_pic.width, new_pic.width);
        ASSERT_EQ(old_pic.height, new_pic.height);
        ASSERT_GT(old_pic.width, 100);
        // A pixel may differ only on an edge: where the old picture has the new colour beside it.
        int differ = 0, painted = 0;
        const vyktest::Rgb white = {255, 255, 255};
        for (int y = 1; y + 1 < old_pic.height; y++) {
            for (int x = 1; x + 1 < old_pic.width; x++) {
                const vyktest::Rgb o = old_pic.at(x, y), n = new_pic.at(x, y);
                if (!(o == white)) painted++;
                if (o == n) continue;
                differ++;
                bool edge = false;
                for (int dy = -1; dy <= 1 && !edge; dy++)
                    for (int dx = -1; dx <= 1 && !edge; dx++) edge = old_pic.at(x + dx, y + dy) == n;
                EXPECT_TRUE(edge) << x << "," << y << " old " << o << " new " << n;
            }
        }
        EXPECT_GT(painted, old_pic.width * old_pic.height / 10);
        EXPECT_LT(differ, painted / 20) << differ << " of " << painted;
    }
}

}  // namespace
