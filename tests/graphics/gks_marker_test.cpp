// Polymarkers: the nine shapes on the own window checked in an xwd capture (centre, strokes and
// extent), sizes, stroke width and the drop shadow; the PostScript, HP-GL/2 and metafile output,
// the drop shadow on a print workstation after an X11 window has gone, and the refusals.
#include <gtest/gtest.h>

#include "test_util.h"

#include "gks.h"
#include "gks_x11.h"
#include "gks_internal.h"
#include "image_util.h"
#include "kernel_util.h"

#include <algorithm>
#include <cmath>
#include <cctype>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

using vyktest::has;
using vyktest::count;
using vyktest::CaptureStdio;
using vyktest::run;
using vyktest::Rgb;
using vyktest::capture_window;
using Image = vyktest::RgbImage;
using vyktest::at_pixel;
using vyktest::define;

namespace {

constexpr Rgb BLACK{0, 0, 0}, RED{255, 0, 0}, WHITE{255, 255, 255};

// The marked pixels of the square of half-width `half` around (cx, cy).
struct Extent {
    int x0 = 1 << 20, y0 = 1 << 20, x1 = -(1 << 20), y1 = -(1 << 20), count = 0;
};

Extent extent(const Image &img, int cx, int cy, int half, Rgb colour)
{
    Extent e;
    for (int y = cy - half; y <= cy + half; y++)
        for (int x = cx - half; x <= cx + half; x++)
            if (img.at(x, y) == colour) {
                e.x0 = std::min(e.x0, x);
                e.x1 = std::max(e.x1, x);
                e.y0 = std::min(e.y0, y);
                e.y1 = std::max(e.y1, y);
                e.count++;
            }
    return e;
}

}  // namespace

TEST(GksMarker, Refusals)
{
    const Gpt pt[] = {{0.5f, 0.5f}};
    ASSERT_EQ(gopen_gks(nullptr, 0), 0);
    {
        CaptureStdio cap;
        EXPECT_EQ(gpolymarker(1, pt), -1);
        EXPECT_EQ(gset_marker_colr_ind(1), -1);
        EXPECT_EQ(gset_marker_size(2), -1);
        EXPECT_EQ(gset_marker_type(2), -1);
        EXPECT_EQ(gset_marker_width(2), -1);
        cap.finish();
        EXPECT_EQ(cap.err(), "gpolymarker: GKS not opened\n\n"
                             "gset_marker_colr_ind: GKS not opened\n\n"
                             "gset_marker_size: GKS not opened\n\n"
                             "gset_marker_type: GKS not opened\n\n"
                             "gset_marker_width: GKS not opened\n\n");
    }
    ASSERT_EQ(gopen_ws(1, "", GWS_X11), 0);
    EXPECT_NE(gget_marker_gc(), nullptr);
    {
        CaptureStdio cap;
        EXPECT_EQ(gset_marker_size(-1), -1);
        EXPECT_EQ(gset_marker_size(std::nanf("")), -1);
        EXPECT_EQ(gset_marker_width(-0.5f), -1);
        EXPECT_EQ(gset_marker_size(INFINITY), -1);  // it would reach a printer as "inf"
        EXPECT_EQ(gset_marker_width(INFINITY), -1);
        EXPECT_EQ(gset_marker_colr_ind(600), -1);
        EXPECT_EQ(gset_marker_colr_ind(77), -1);  // no colour cell yet
        EXPECT_EQ(gpolymarker(-1, pt), -1);
        EXPECT_EQ(gpolymarker(2, nullptr), -1);
        EXPECT_EQ(gpolymarker(0, nullptr), 0);  // nothing to draw
        cap.finish();
        EXPECT_EQ(cap.err(), "gset_marker_size: invalid marker size: -1.000000\n\n"
                             "gset_marker_size: invalid marker size: nan\n\n"
                             "gset_marker_width: invalid marker width: -0.500000\n\n"
                             "gset_marker_size: invalid marker size: inf\n\n"
                             "gset_marker_width: invalid marker width: inf\n\n"
                             "gset_marker_colr_ind: invalid color index: 600\n\n"
                             "gset_marker_colr_ind: color index not initialized\n\n"
                             "gpolymarker: invalid number of points: -1\n\n"
                             "gpolymarker: invalid number of points: 2\n\n");
    }
    // A pen draws in colour 1 on the window; any type is accepted.
    EXPECT_EQ(gset_marker_colr_ind(501), 0);
    EXPECT_EQ(gget_marker_colr(), 1);
    EXPECT_EQ(gset_marker_type(42), 0);
    EXPECT_EQ(gclose_ws(1), 0);
}

TEST(GksMarker, NineShapesOnWindow)
{
    vyktest::PrivateX x;  // nothing of other tests covers the capture
    ASSERT_FALSE(x.name().empty());
    vyktest::open_pixel_square();
    ASSERT_EQ(gset_marker_colr_ind(2), 0);
    EXPECT_EQ(gget_marker_colr(), 2);

    struct Shape {
        int type;
        float size;
        int x0, y0, x1, y1;  // extent relative to the centre
        std::vector<std::pair<int, int>> on, off;
    };
    // Size 1 gives 10 pixels, so s = 5; size 2 gives s = 10; a point stays 2 x 2 at any size.
    const Shape shapes[] = {
        {1, 1, 0, 0, 1, 1, {{0, 0}, {1, 0}, {0, 1}, {1, 1}}, {{-1, 0}, {2, 0}}},
        {1, 3, 0, 0, 1, 1, {{0, 0}, {1, 1}}, {{2, 2}}},
        {2, 1, -5, -5, 5, 5, {{-5, 0}, {5, 0}, {0, -5}, {0, 5}, {0, 0}}, {{1, 1}, {-6, 0}}},
        {2, 2, -10, -10, 10, 10, {{-10, 0}, {10, 0}, {0, -10}, {0, 10}}, {{3, 3}}},
        {3, 1, -5, -5, 5, 5, {{-5, 0}, {5, 5}, {-5, -5}, {5, -5}, {-5, 5}, {0, 5}}, {{2, 1}}},
        {4, 1, -5, -5, 5, 5, {{-5, 0}, {5, 0}, {0, -5}, {0, 5}}, {{0, 0}, {-5, -5}, {5, 5}}},
        {5, 1, -5, -5, 5, 5, {{-5, -5}, {5, 5}, {5, -5}, {-5, 5}, {0, 0}}, {{0, 3}, {3, 0}}},
        {6, 1, -5, -5, 5, 5, {{-5, -5}, {5, 5}, {0, -5}, {5, 0}, {-5, 0}, {0, 5}}, {{0, 0}}},
        {7, 1, -5, -5, 5, 5, {{0, -5}, {-5, 5}, {5, 5}, {0, 5}}, {{-5, -5}, {5, -5}, {0, 0}}},
        {8, 1, 0, 0, 0, 0, {{0, 0}}, {{1, 0}, {0, 1}}},
        {9, 1, -5, -5, 5, 5, {{0, 5}, {-5, -5}, {5, -5}, {0, -5}}, {{-5, 5}, {5, 5}, {0, 0}}},
    };
    std::vector<std::pair<int, int>> centres;
    int column = 0;
    for (const Shape &s : shapes) {
        const Gpt p = at_pixel(30 + 40 * column++, 40);
        ASSERT_EQ(gset_marker_type(s.type), 0);
        ASSERT_EQ(gset_marker_size(s.size), 0);
        ASSERT_EQ(gpolymarker(1, &p), 0);
        // The centre is the pixel of the world point, rounded.
        centres.emplace_back(static_cast<int>(static_cast<double>(xW_p(p.x)) + 0.5),
                             static_cast<int>(static_cast<double>(yW_p(p.y)) + 0.5));
    }
    // A type outside 1 to 9 draws nothing.
    ASSERT_EQ(gset_marker_size(1), 0);
    ASSERT_EQ(gset_marker_type(10), 0);
    const Gpt none = at_pixel(200, 200);
    EXPECT_EQ(gpolymarker(1, &none), 0);

    const Image img = capture_window();
    ASSERT_EQ(img.width, 640 + 2 * img.border);
    for (size_t i = 0; i < std::size(shapes); i++) {
        const Shape &s = shapes[i];
        const int cx = centres[i].first, cy = centres[i].second;
        SCOPED_TRACE(testing::Message() << "type " << s.type << " size " << s.size << " at "
                                        << cx << "," << cy);
        const Extent e = extent(img, cx, cy, 15, RED);
        EXPECT_EQ(e.x0, cx + s.x0);
        EXPECT_EQ(e.y0, cy + s.y0);
        EXPECT_EQ(e.x1, cx + s.x1);
        EXPECT_EQ(e.y1, cy + s.y1);
        for (auto [dx, dy] : s.on) EXPECT_EQ(img.at(cx + dx, cy + dy), RED) << dx << "," << dy;
        for (auto [dx, dy] : s.off) EXPECT_EQ(img.at(cx + dx, cy + dy), BLACK) << dx << "," << dy;
    }
    EXPECT_EQ(extent(img, 200, 200, 20, RED).count, 0);
    // Spot checks of counts: a plus of size 1 is 21 pixels, a point 4, a dot 1.
    EXPECT_EQ(extent(img, centres[2].first, centres[2].second, 15, RED).count, 21);
    EXPECT_EQ(extent(img, centres[0].first, centres[0].second, 15, RED).count, 4);
    EXPECT_EQ(extent(img, centres[9].first, centres[9].second, 15, RED).count, 1);
    gclose_ws(1);
}

TEST(GksMarker, WidthAndManyPointsOnWindow)
{
    vyktest::PrivateX x;  // nothing of other tests covers the capture
    ASSERT_FALSE(x.name().empty());
    vyktest::open_pixel_square();
    ASSERT_EQ(gset_marker_colr_ind(2), 0);
    ASSERT_EQ(gset_marker_type(2), 0);
    ASSERT_EQ(gset_marker_size(1), 0);
    ASSERT_EQ(gset_marker_width(3), 0);
    // Twenty markers along a row: every point of the list is drawn.
    std::vector<Gpt> pts;
    for (int i = 0; i < 20; i++) pts.push_back(at_pixel(20 + 20 * i, 100));
    ASSERT_EQ(gpolymarker(static_cast<Gint>(pts.size()), pts.data()), 0);
    const Image img = capture_window();
    for (int i = 0; i < 20; i++) {
        const int cx = static_cast<int>(static_cast<double>(xW_p(pts[i].x)) + 0.5);
        const int cy = static_cast<int>(static_cast<double>(yW_p(pts[i].y)) + 0.5);
        SCOPED_TRACE(i);
        // Three pixels thick: the horizontal stroke covers the rows above and below the centre.
        EXPECT_EQ(img.at(cx - 4, cy - 1), RED);
        EXPECT_EQ(img.at(cx - 4, cy), RED);
        EXPECT_EQ(img.at(cx - 4, cy + 1), RED);
        EXPECT_EQ(img.at(cx - 4, cy + 2), BLACK);
        EXPECT_EQ(img.at(cx + 1, cy - 4), RED);
        EXPECT_EQ(img.at(cx + 2, cy - 4), BLACK);
    }
    gclose_ws(1);
}

TEST(GksMarker, DropShadowOnWindow)
{
    vyktest::PrivateX x;  // nothing of other tests covers the capture
    ASSERT_FALSE(x.name().empty());
    vyktest::open_pixel_square(3);  // white ground, so that the black copies show
    ASSERT_EQ(gset_marker_colr_ind(2), 0);
    ASSERT_EQ(gset_marker_type(2), 0);
    ASSERT_EQ(gset_marker_size(1), 0);
    ASSERT_EQ(gset_font_drop(4), 0);
    const Gpt pts[] = {at_pixel(100, 100), at_pixel(200, 100)};
    ASSERT_EQ(gpolymarker(2, pts), 0);
    const Image img = capture_window();
    for (const Gpt &p : pts) {
        const int cx = static_cast<int>(static_cast<double>(xW_p(p.x)) + 0.5);
        const int cy = static_cast<int>(static_cast<double>(yW_p(p.y)) + 0.5);
        SCOPED_TRACE(testing::Message() << cx << "," << cy);
        // The marker itself on top.
        EXPECT_EQ(img.at(cx - 5, cy), RED);
        EXPECT_EQ(img.at(cx, cy + 5), RED);
        EXPECT_EQ(img.at(cx, cy), RED);
        // Four black copies at offsets 0 to 3: the last one ends 3 pixels right of and below.
        EXPECT_EQ(img.at(cx + 8, cy + 3), BLACK);
        EXPECT_EQ(img.at(cx + 3, cy + 8), BLACK);
        EXPECT_EQ(img.at(cx + 6, cy + 1), BLACK);
        EXPECT_EQ(img.at(cx + 9, cy + 3), WHITE);
        EXPECT_EQ(img.at(cx + 3, cy + 9), WHITE);
        EXPECT_EQ(img.at(cx - 6, cy), WHITE);
        EXPECT_EQ(extent(img, cx, cy, 15, BLACK).x1, cx + 8);
        EXPECT_EQ(extent(img, cx, cy, 15, BLACK).y1, cy + 8);
    }
    gset_font_drop(0);
    gclose_ws(1);
}

TEST(GksMarker, PostScriptStrokesAndShadowWithoutXContext)
{
    vyktest::TempDir dir;
    const std::string ps = dir.file("marker.ps");
    ASSERT_EQ(gopen_gks(nullptr, 0), 0);
    // An X11 window first, so that its graphics context has been freed when the print
    // workstation draws a shadow.
    ASSERT_EQ(gopen_ws(1, "", GWS_X11), 0);
    ASSERT_EQ(gclose_ws(1), 0);
    ASSERT_EQ(gopen_ws(1, ps.c_str(), GWS_PS), 0);
    ASSERT_EQ(gset_font_drop(0), 0);
    ASSERT_EQ(gset_marker_type(2), 0);
    ASSERT_EQ(gset_marker_size(1), 0);
    const Gpt pt[] = {{0.5f, 0.5f}};
    ASSERT_EQ(gpolymarker(1, pt), 0);
    ASSERT_EQ(gset_font_drop(2), 0);
    ASSERT_EQ(gpolymarker(1, pt), 0);
    ASSERT_EQ(gclose_ws(1), 0);

    const std::string text = vyktest::read_file(ps);
    const size_t first = text.find("%%PM:1\n");
    ASSERT_NE(first, std::string::npos) << text;
    const size_t second = text.find("%%PM:1\n", first + 1);
    ASSERT_NE(second, std::string::npos) << text;
    const std::string one = text.substr(first, second - first);
    const std::string shadowed = text.substr(second, text.find("%%End of plot") - second);
    // Size 1 on PostScript: S = 7.2 points, s = 3, around the centre of the drawing.
    const float cx = xW_ps(0.5f), cy = yW_ps(0.5f);
    char stroke[200];
    std::snprintf(stroke, sizeof stroke, "np\n%3.2f %3.2f mv\n%3.2f %3.2f ln\nstroke\n", cx - 3,
                  cy, cx + 3, cy);
    EXPECT_TRUE(has(one, stroke)) << one;
    std::snprintf(stroke, sizeof stroke, "np\n%3.2f %3.2f mv\n%3.2f %3.2f ln\nstroke\n", cx,
                  cy + 3, cx, cy - 3);
    EXPECT_TRUE(has(one, stroke)) << one;
    EXPECT_EQ(count(one, "stroke\n"), 2);
    // With a shadow of 2: two copies and the marker, the last copy one point right and down.
    EXPECT_EQ(count(shadowed, "stroke\n"), 6) << shadowed;
    std::snprintf(stroke, sizeof stroke, "np\n%3.2f %3.2f mv\n%3.2f %3.2f ln\nstroke\n",
                  cx + 1 - 3, cy - 1, cx + 1 + 3, cy - 1);
    EXPECT_TRUE(has(shadowed, stroke)) << shadowed;

    // Ghostscript reads the file without complaint.
    const auto res = run("gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=nullpage " + vyktest::quote(ps));
    EXPECT_EQ(res.status, 0) << res.err << res.out;
    EXPECT_EQ(res.out + res.err, "");
}

TEST(GksMarker, HpglStrokes)
{
    vyktest::TempDir dir;
    const std::string out = dir.file("marker.hpgl");
    ASSERT_EQ(gopen_gks(nullptr, 0), 0);
    ASSERT_EQ(gopen_ws(1, (out + ",nopcl").c_str(), GWS_HPGL), 0);
    ASSERT_EQ(gset_marker_type(6), 0);
    ASSERT_EQ(gset_marker_size(1), 0);
    const Gpt pt[] = {{0.5f, 0.5f}};
    ASSERT_EQ(gpolymarker(1, pt), 0);
    ASSERT_EQ(gclose_ws(1), 0);
    // Size 1: S = 101.5 plotter units, s = 50; a square is one closed stroke.
    const float cx = xW_ps(0.5f), cy = yW_ps(0.5f);
    char stroke[200];
    std::snprintf(stroke, sizeof stroke, "PU%.0f,%.0f;PD%.0f,%.0f;PD%.0f,%.0f;PD%.0f,%.0f;"
                                         "PD%.0f,%.0f;\n",
                  cx - 50, cy + 50, cx + 50, cy + 50, cx + 50, cy - 50, cx - 50, cy - 50, cx - 50,
                  cy + 50);
    const std::string text = vyktest::read_file(out);
    EXPECT_TRUE(has(text, stroke)) << text << "\nwanted " << stroke;
}

TEST(GksMarker, MetafileRecords)
{
    vyktest::TempDir dir;
    const std::string meta = dir.file("marker.meta");
    ASSERT_EQ(gopen_gks(nullptr, 0), 0);
    ASSERT_EQ(gopen_ws(1, meta.c_str(), GWS_META), 0);
    const Gpt five[] = {{0.1f, 0.1f}, {0.2f, 0.1f}, {0.3f, 0.2f}, {2.0f, 3.0f}, {0.1f, 0.2f}};
    EXPECT_EQ(gpolymarker(5, five), 0);  // the point outside the window is kept
    EXPECT_EQ(gpolymarker(4, five), 0);
    EXPECT_EQ(gset_marker_type(3), 0);
    EXPECT_EQ(gset_marker_type(3), 0);  // the current value again: no record
    EXPECT_EQ(gset_marker_size(2.5f), 0);
    EXPECT_EQ(gset_marker_width(0), 0);
    EXPECT_EQ(gset_marker_colr_ind(503), 0);
    EXPECT_EQ(gclose_ws(1), 0);
    const std::string text = vyktest::read_file(meta);
    EXPECT_TRUE(has(text, "PM 5 0.100000,0.100000 0.200000,0.100000 0.300000,0.200000 "
                          "2.000000,3.000000 \n   0.100000,0.200000 \n"
                          "PM 4 0.100000,0.100000 0.200000,0.100000 0.300000,0.200000 "
                          "2.000000,3.000000 \n   PM_TYPE 3\nPM_SIZE 2.500000\n"
                          "PM_WDTH 0.000000\nPM_CLR 503\n"))
        << text;
}
