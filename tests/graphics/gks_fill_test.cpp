// Fill areas: the pattern table, solid and pattern fills on the own window checked pixel by
// pixel in an xwd capture, the PostScript, HP-GL/2 and metafile output, and the refusals (closed
// kernel, too few points, pattern numbers outside the table).
#include <gtest/gtest.h>

#include "test_util.h"

#include "gks.h"
#include "gks_x11.h"
#include "gks_internal.h"
#include "image_util.h"
#include "kernel_util.h"

#include <cctype>
#include <cstdlib>
#include <string>

using vyktest::has;
using vyktest::CaptureStdio;
using vyktest::run;
using vyktest::Rgb;
using vyktest::parse_ppm;
using vyktest::capture_window;
using Image = vyktest::RgbImage;
using vyktest::at_pixel;
using vyktest::define;

namespace {

constexpr Rgb BLACK{0, 0, 0}, RED{255, 0, 0};

// A square polygon with corners (x0, y0) and (x1, y1) in pixels, four points, not closed.
struct Square {
    Gpt p[4];
    Square(int x0, int y0, int x1, int y1)
        : p{at_pixel(x0, y0), at_pixel(x1, y0), at_pixel(x1, y1), at_pixel(x0, y1)}
    {
    }
};

int bits_set(int pattern)
{
    int n = 0;
    for (int y = 0; y < 8; y++)
        for (int x = 0; x < 8; x++) n += gfill_test(pattern, x, y) != 0;
    return n;
}

}  // namespace

TEST(GksFill, PatternTable)
{
    // Set bits of each 8 x 8 pattern.
    const int counts[20] = {64, 32, 16, 16, 16, 32, 16, 16, 32, 28,
                            0,  7,  14, 21, 28, 36, 43, 50, 56, 64};
    for (int p = 0; p < 20; p++) EXPECT_EQ(bits_set(p), counts[p]) << "pattern " << p;
    for (int y = 0; y < 8; y++)
        for (int x = 0; x < 8; x++) {
            SCOPED_TRACE(testing::Message() << x << "," << y);
            EXPECT_EQ(gfill_test(1, x, y) != 0, (x + y) % 2 == 1);        // checkerboard
            EXPECT_EQ(gfill_test(5, x, y) != 0, x % 4 < 2);               // vertical stripes
            EXPECT_EQ(gfill_test(8, x, y) != 0, y % 4 < 2);               // horizontal stripes
            EXPECT_EQ(gfill_test(6, x, y) != 0, (x - y + 8) % 8 < 2);     // down to the right
            EXPECT_EQ(gfill_test(7, x, y) != 0, (x + y + 1) % 8 < 2);     // up to the right
            EXPECT_EQ(gfill_test(0, x, y) != 0, gfill_test(19, x, y) != 0);
        }
    // The pattern repeats every 8 pixels; numbers outside the table have no bits.
    EXPECT_EQ(gfill_test(6, 3 + 80, 2 + 16) != 0, gfill_test(6, 3, 2) != 0);
    EXPECT_EQ(gfill_test(20, 0, 0), 0);
    EXPECT_EQ(gfill_test(-1, 0, 0), 0);
    EXPECT_EQ(gfill_test(1000000, 5, 5), 0);
}

TEST(GksFill, Refusals)
{
    const Gpt tri[] = {{0.1f, 0.1f}, {0.9f, 0.1f}, {0.5f, 0.9f}};
    ASSERT_EQ(gopen_gks(nullptr, 0), 0);
    {
        CaptureStdio cap;
        // The kernel is not open: every setter refuses, the current values as well (as the
        // line, marker and text setters do).
        EXPECT_EQ(gfill_area(3, tri), -1);
        EXPECT_EQ(gset_fill_colr_ind(1), -1);
        EXPECT_EQ(gset_fill_int_style(GSOLID), -1);
        EXPECT_EQ(gset_fill_style_ind(1), -1);
        cap.finish();
        EXPECT_EQ(cap.err(), "gfill_area: GKS not opened\n\n"
                             "gset_fill_colr_ind: GKS not opened\n\n"
                             "gset_fill_int_style: GKS not opened\n\n"
                             "gset_fill_style_ind: GKS not opened\n\n");
    }
    ASSERT_EQ(gopen_ws(1, "", GWS_X11), 0);
    {
        CaptureStdio cap;
        EXPECT_EQ(gfill_area(2, tri), -1);
        EXPECT_EQ(gfill_area(0, tri), -1);
        EXPECT_EQ(gfill_area(-5, tri), -1);
        EXPECT_EQ(gfill_area(3, nullptr), -1);
        EXPECT_EQ(gset_fill_style_ind(20), -1);
        EXPECT_EQ(gset_fill_style_ind(-1), -1);
        EXPECT_EQ(gset_fill_colr_ind(600), -1);
        EXPECT_EQ(gset_fill_colr_ind(77), -1);  // no colour cell yet
        cap.finish();
        EXPECT_EQ(cap.err(), "gfill_area: invalid number of points: 2\n\n"
                             "gfill_area: invalid number of points: 0\n\n"
                             "gfill_area: invalid number of points: -5\n\n"
                             "gfill_area: invalid number of points: 3\n\n"
                             "gset_fill_style_ind: invalid style index: 20\n\n"
                             "gset_fill_style_ind: invalid style index: -1\n\n"
                             "gset_fill_colr_ind: invalid color index: 600\n\n"
                             "gset_fill_colr_ind: color index not initialized\n\n");
    }
    // A pen is colour 1 on the window, the current colour: nothing is recorded again.
    auto objects = [] {
        int n = 0;
        for (const drawobj *obj = gobj_first(); obj; obj = obj->next) n++;
        return n;
    };
    const int recorded = objects();
    EXPECT_EQ(gset_fill_colr_ind(500), 0);
    EXPECT_EQ(objects(), recorded);
    // Failures leave the state as it was; the limits of the table are accepted.
    EXPECT_EQ(gget_fill_colr(), 1);
    EXPECT_EQ(gset_fill_style_ind(19), 0);
    EXPECT_EQ(gset_fill_style_ind(0), 0);
    EXPECT_EQ(gset_fill_print_solid(1), 0);
    EXPECT_EQ(gget_fill_print_solid(), 1);
    EXPECT_NE(gget_fill_gc(), nullptr);
    EXPECT_EQ(gclose_ws(1), 0);
}

TEST(GksFill, SolidFillsOnWindow)
{
    vyktest::PrivateX x;  // nothing of other tests covers the capture
    ASSERT_FALSE(x.name().empty());
    vyktest::open_pixel_square();
    ASSERT_EQ(gset_fill_colr_ind(2), 0);
    EXPECT_EQ(gget_fill_colr(), 2);

    // A square of four points: filled, and outlined along three sides; the right and bottom
    // sides, which the fill leaves out, come from the outline.
    const Square sq(10, 10, 50, 50);
    EXPECT_EQ(gfill_area(4, sq.p), 0);
    // A triangle whose closing edge is its bottom side: that row is neither filled nor outlined.
    const Gpt tri[] = {at_pixel(100, 50), at_pixel(100, 10), at_pixel(140, 50)};
    EXPECT_EQ(gfill_area(3, tri), 0);
    // Twelve points (more than the local buffer holds): a square traced with extra points.
    Gpt many[12];
    for (int i = 0; i < 3; i++) {
        many[i] = at_pixel(200 + 10 * i, 10);
        many[3 + i] = at_pixel(230, 10 + 10 * i);
        many[6 + i] = at_pixel(230 - 10 * i, 40);
        many[9 + i] = at_pixel(200, 40 - 10 * i);
    }
    EXPECT_EQ(gfill_area(12, many), 0);
    // A polygon wholly outside the window is culled.
    const Gpt outside[] = {{600, 10}, {700, 10}, {650, 100}};
    EXPECT_EQ(gfill_area(3, outside), 0);

    const Image img = capture_window();
    ASSERT_EQ(img.width, 640 + 2 * img.border);
    struct Probe {
        int x, y;
        Rgb colour;
    };
    const Probe probes[] = {
        {30, 30, RED},   {10, 10, RED},   {50, 50, RED},   {50, 30, RED},   {30, 50, RED},
        {10, 50, RED},   {9, 30, BLACK},  {51, 30, BLACK}, {30, 9, BLACK},  {30, 51, BLACK},
        {105, 45, RED},  {100, 10, RED},  {100, 49, RED},  {110, 49, RED},  {110, 50, BLACK},
        {100, 50, RED} /* the outline starts there */, {139, 49, RED}, {135, 20, BLACK}, {99, 30, BLACK},
        {215, 25, RED},  {230, 40, RED},  {231, 25, BLACK}, {215, 41, BLACK},
    };
    for (const Probe &p : probes)
        EXPECT_EQ(img.at(p.x, p.y), p.colour) << "pixel " << p.x << "," << p.y;
    gclose_ws(1);
}

TEST(GksFill, PatternFillsOnWindow)
{
    vyktest::PrivateX x;  // nothing of other tests covers the capture
    ASSERT_FALSE(x.name().empty());
    vyktest::open_pixel_square();
    ASSERT_EQ(gset_fill_colr_ind(2), 0);
    ASSERT_EQ(gset_fill_int_style(GPAT), 0);
    // All 20 patterns in 40 x 40 squares, five to a row.
    auto corner = [](int p, int &x0, int &y0) {
        x0 = 20 + 60 * (p % 5);
        y0 = 20 + 60 * (p / 5);
    };
    for (int p = 0; p < 20; p++) {
        int x0, y0;
        corner(p, x0, y0);
        ASSERT_EQ(gset_fill_style_ind(p), 0);
        const Square sq(x0, y0, x0 + 40, y0 + 40);
        EXPECT_EQ(gfill_area(4, sq.p), 0);
    }
    // Back to solid filling: the stipple no longer applies.
    ASSERT_EQ(gset_fill_int_style(GSOLID), 0);
    const Square solid(20, 300, 60, 340);
    EXPECT_EQ(gfill_area(4, solid.p), 0);
    // Hollow and hatch have no rendering of their own: the context keeps filling solid.
    ASSERT_EQ(gset_fill_int_style(GHOLLOW), 0);
    const Square hollow(80, 300, 120, 340);
    EXPECT_EQ(gfill_area(4, hollow.p), 0);

    const Image img = capture_window();
    ASSERT_EQ(img.width, 640 + 2 * img.border);
    for (int p = 0; p < 20; p++) {
        int x0, y0;
        corner(p, x0, y0);
        int wrong = 0;
        // Inside and on the outline every pixel follows the pattern, fixed to the window origin;
        // the ring around the square stays untouched.
        for (int y = y0 - 2; y <= y0 + 42; y++)
            for (int x = x0 - 2; x <= x0 + 42; x++) {
                const bool inside = x >= x0 && x <= x0 + 40 && y >= y0 && y <= y0 + 40;
                const Rgb want = inside && gfill_test(p, x, y) ? RED : BLACK;
                if (!(img.at(x, y) == want) && wrong++ < 3)
                    ADD_FAILURE() << "pattern " << p << " pixel " << x << "," << y << " is "
                                  << img.at(x, y) << ", not " << want;
            }
        EXPECT_EQ(wrong, 0) << "pattern " << p;
    }
    // Pattern 6 (its square starts at 80, 80): the filled pixels run down to the right and
    // repeat every 8 pixels.
    for (int k = 0; k < 40; k++) {
        EXPECT_EQ(img.at(80 + k, 80 + k), RED) << k;
        EXPECT_EQ(img.at(84 + k % 36, 80 + k % 36), BLACK) << k;
    }
    for (int x : {20, 40, 60})
        for (int y : {300, 320, 340}) {
            EXPECT_EQ(img.at(x, y), RED) << x << "," << y;
            EXPECT_EQ(img.at(x + 60, y), RED) << x + 60 << "," << y;
        }
    gclose_ws(1);
}

TEST(GksFill, PostScriptFillsOnlySolid)
{
    vyktest::TempDir dir;
    const std::string ps = dir.file("fill.ps");
    ASSERT_EQ(gopen_gks(nullptr, 0), 0);
    ASSERT_EQ(gopen_ws(1, ps.c_str(), GWS_PS), 0);
    define(3, 0, 0, 0);
    ASSERT_EQ(gset_fill_colr_ind(3), 0);
    const Gpt tri[] = {{0.2f, 0.2f}, {0.8f, 0.2f}, {0.5f, 0.8f}};
    EXPECT_EQ(gfill_area(3, tri), 0);
    ASSERT_EQ(gset_fill_int_style(GPAT), 0);
    const Gpt quad[] = {{0.1f, 0.1f}, {0.2f, 0.1f}, {0.2f, 0.2f}, {0.1f, 0.2f}};
    EXPECT_EQ(gfill_area(4, quad), 0);  // a pattern prints nothing
    ASSERT_EQ(gset_fill_int_style(GHOLLOW), 0);
    EXPECT_EQ(gfill_area(4, quad), 0);
    EXPECT_EQ(gclose_ws(1), 0);

    const std::string text = vyktest::read_file(ps);
    const size_t head = text.find("%%FA:3\n");
    ASSERT_NE(head, std::string::npos) << text;
    const size_t end = text.find("fill\n", head);
    ASSERT_NE(end, std::string::npos) << text;
    const std::string body = text.substr(head, end + 5 - head);
    EXPECT_TRUE(has(body, "%%FA:3\nnp\n")) << body;
    EXPECT_TRUE(has(body, " mv\n")) << body;
    EXPECT_TRUE(has(body, "cp\n")) << body;
    // The fill colour, if written, stands between the closed path and the fill.
    const std::string tail = body.substr(body.find("cp\n") + 3);
    EXPECT_TRUE(tail == "fill\n" || (tail.find('\n') + 1 < tail.size() &&
                                     tail.substr(tail.find('\n') + 1) == "fill\n"))
        << body;
    EXPECT_EQ(text.find("%%FA:4"), std::string::npos) << text;

    // Ghostscript shows the triangle dark and the corner square left blank.
    const auto res = run("gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=ppmraw -r72 -sOutputFile=- " +
                         vyktest::quote(ps));
    ASSERT_EQ(res.status, 0) << res.err;
    const std::string pix = parse_ppm(res.out).pixels;
    ASSERT_FALSE(pix.empty());
    // The page is landscape, so count dark pixels instead of finding them by position.
    size_t dark = 0;
    for (size_t i = 0; i + 2 < pix.size(); i += 3)
        if (static_cast<unsigned char>(pix[i]) < 64 && static_cast<unsigned char>(pix[i + 1]) < 64 &&
            static_cast<unsigned char>(pix[i + 2]) < 64)
            dark++;
    // The triangle covers 0.18 of the 576-point square area: about 60000 square points.
    EXPECT_GT(dark, 40000u);
    EXPECT_LT(dark, 80000u);
}

TEST(GksFill, HpglFillsEveryStyle)
{
    vyktest::TempDir dir;
    const std::string out = dir.file("fill.hpgl");
    ASSERT_EQ(gopen_gks(nullptr, 0), 0);
    ASSERT_EQ(gopen_ws(1, (out + ",nopcl").c_str(), GWS_HPGL), 0);
    const Gpt tri[] = {{0.2f, 0.2f}, {0.8f, 0.2f}, {0.5f, 0.8f}};
    EXPECT_EQ(gfill_area(3, tri), 0);
    ASSERT_EQ(gset_fill_int_style(GPAT), 0);
    EXPECT_EQ(gfill_area(3, tri), 0);
    EXPECT_EQ(gclose_ws(1), 0);
    const std::string text = vyktest::read_file(out);
    int fills = 0;
    for (size_t p = text.find("PM0;"); p != std::string::npos; p = text.find("PM0;", p + 1)) {
        fills++;
        const size_t pu = text.rfind("PU", p);
        ASSERT_NE(pu, std::string::npos);
        EXPECT_EQ(text.find(';', pu) + 1, p) << "the move comes right before PM0;";
        const size_t end = text.find("PM1;PM2;FP;\n", p);
        ASSERT_NE(end, std::string::npos) << text;
        const std::string lines = text.substr(p + 4, end - p - 4);
        int pd = 0;
        for (size_t q = lines.find("PD"); q != std::string::npos; q = lines.find("PD", q + 1)) pd++;
        EXPECT_EQ(pd, 2) << lines;
    }
    EXPECT_EQ(fills, 2) << text;
}

TEST(GksFill, MetafileRecords)
{
    vyktest::TempDir dir;
    const std::string meta = dir.file("fill.meta");
    ASSERT_EQ(gopen_gks(nullptr, 0), 0);
    ASSERT_EQ(gopen_ws(1, meta.c_str(), GWS_META), 0);
    const Gpt five[] = {{0.1f, 0.1f}, {0.2f, 0.1f}, {0.3f, 0.2f}, {0.2f, 0.3f}, {0.1f, 0.2f}};
    EXPECT_EQ(gfill_area(5, five), 1);
    EXPECT_EQ(gfill_area(4, five), 1);
    const Gpt outside[] = {{2, 2}, {3, 2}, {3, 3}};
    EXPECT_EQ(gfill_area(3, outside), 0);
    EXPECT_EQ(gset_fill_style_ind(7), 0);
    EXPECT_EQ(gset_fill_style_ind(7), 0);
    EXPECT_EQ(gset_fill_int_style(GPAT), 0);
    EXPECT_EQ(gset_fill_colr_ind(506), 0);  // a pen needs no colour cell
    EXPECT_EQ(gclose_ws(1), 0);
    const std::string text = vyktest::read_file(meta);
    EXPECT_TRUE(has(text, "FA 5 0.100000,0.100000 0.200000,0.100000 0.300000,0.200000 "
                          "0.200000,0.300000 \n   0.100000,0.200000 \n"))
        << text;
    EXPECT_TRUE(has(text, "FA 4 0.100000,0.100000 0.200000,0.100000 0.300000,0.200000 "
                          "0.200000,0.300000 \n   FA_ST 7\n"))
        << text;
    EXPECT_FALSE(has(text, "FA 3 ")) << text;
    EXPECT_TRUE(has(text, "FA_ST 7\nFA_INT 2\nFA_CLR 506\n")) << text;
}
