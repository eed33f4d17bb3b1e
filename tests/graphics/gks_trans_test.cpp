// Transformations and clipping: normalized to pixel and print units, the aspect fit, clamps,
// the clip rectangle, culling, and the refusal of bad transformation numbers and empty
// rectangles.
#include <gtest/gtest.h>

#include "test_util.h"

#include "gks.h"
#include "gks_x11.h"
#include "gks_internal.h"

#include <cmath>
#include <limits>
#include <string>

using vyktest::CaptureStdio;
using vyktest::TempDir;

namespace {

// A device of width by height pixels with the unit square everywhere.
void device(int width, int height, int x = 0, int y = 0)
{
    gset_win_type(0);
    gx_set_device(width, height, x, y);
    ginit_tran(1);
}

// Transformation 2: x 0 to 10 and y 100 to 200 on the viewport 0.1 to 0.9 by 0.2 to 0.8.
const Glim plot_win = {0, 10, 100, 200};
const Glim plot_vp = {0.1f, 0.9f, 0.2f, 0.8f};

void plot_panel()
{
    ASSERT_EQ(gset_win(2, &plot_win), 0);
    ASSERT_EQ(gset_vp(2, &plot_vp), 0);
    ASSERT_EQ(gsel_norm_tran(2), 0);
}

void expect_rect(const XRectangle &r, int x, int y, int width, int height)
{
    EXPECT_EQ(r.x, x);
    EXPECT_EQ(r.y, y);
    EXPECT_EQ(r.width, width);
    EXPECT_EQ(r.height, height);
}

}  // namespace

TEST(GksTrans, UnitSquareOnDevice)
{
    device(640, 512);
    // The fit keeps the 511-unit height and uses the left 512 columns.
    EXPECT_FLOAT_EQ(xNDC_p(1), 511);
    EXPECT_FLOAT_EQ(yNDC_p(1), 0);
    EXPECT_FLOAT_EQ(xNDC_p(0), 0);
    EXPECT_FLOAT_EQ(yNDC_p(0), 511);
    EXPECT_FLOAT_EQ(yNDC_ps(1), 511);  // print units: y upward
    EXPECT_FLOAT_EQ(xW_p(0.5f), 255.5f);
    XRectangle r;
    gget_xviewport(&r);
    expect_rect(r, 0, 0, 512, 512);
    Gint err = 7, n = 7;
    ginq_cur_norm_tran_num(&err, &n);
    EXPECT_EQ(err, 0);
    EXPECT_EQ(n, 0);
    Gdsp_size size;
    ginq_disp_space_size(GWS_X11, &err, &size);
    EXPECT_EQ(size.coord_units, GOTHER_UNIT);
    EXPECT_FLOAT_EQ(size.coord_size.x, 639);
    EXPECT_FLOAT_EQ(size.coord_size.y, 511);
    EXPECT_EQ(size.ras_size.x_coord, 640);
    EXPECT_EQ(size.ras_size.y_coord, 512);
}

TEST(GksTrans, WorldToDeviceAndBack)
{
    device(640, 512);
    plot_panel();
    struct Case {
        float x, y;      // world
        float px, py;    // window pixels
        float psx, psy;  // print units
    };
    const Case cases[] = {
        {0, 100, 51.1f, 408.8f, 51.1f, 102.2f},
        {10, 200, 459.9f, 102.2f, 459.9f, 408.8f},
        {5, 150, 255.5f, 255.5f, 255.5f, 255.5f},
        {2.5f, 175, 153.3f, 178.85f, 153.3f, 332.15f},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.x);
        EXPECT_NEAR(xW_p(c.x), c.px, 1e-3);
        EXPECT_NEAR(yW_p(c.y), c.py, 1e-3);
        EXPECT_NEAR(xW_ps(c.x), c.psx, 1e-3);
        EXPECT_NEAR(yW_ps(c.y), c.psy, 1e-3);
        EXPECT_NEAR(xp_W(c.px), c.x, 1e-4);
        EXPECT_NEAR(yp_W(c.py), c.y, 1e-3);
        EXPECT_NEAR(xNDC_p(xW_NDC(c.x)), c.px, 1e-3);
        EXPECT_NEAR(yNDC_ps(yW_NDC(c.y)), c.psy, 1e-3);
    }
    // The clip rectangle is the viewport in pixels.
    XRectangle r;
    gget_xviewport(&r);
    expect_rect(r, 51, 102, 410, 308);
}

TEST(GksTrans, ConversionsClamp)
{
    device(640, 512);
    plot_panel();
    EXPECT_FLOAT_EQ(xW_p(1e9f), 30000);
    EXPECT_FLOAT_EQ(xW_p(-1e9f), -30000);
    EXPECT_FLOAT_EQ(yW_p(1e9f), -30000);  // rows grow downward
    EXPECT_FLOAT_EQ(yW_p(-1e9f), 30000);
    EXPECT_FLOAT_EQ(xW_ps(1e9f), 100000);
    EXPECT_FLOAT_EQ(yW_ps(-1e9f), -100000);
    EXPECT_FLOAT_EQ(xNDC_p(1e6f), 30000);
    EXPECT_FLOAT_EQ(yNDC_ps(1e6f), 100000);
    // A non-number goes to the lower end, as a coordinate far below does.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FLOAT_EQ(xW_p(nan), -30000);
    EXPECT_FLOAT_EQ(yW_p(nan), -30000);
    EXPECT_FLOAT_EQ(xW_ps(nan), -100000);
    EXPECT_FLOAT_EQ(yW_ps(nan), -100000);
    EXPECT_FLOAT_EQ(xNDC_p(nan), -30000);
    EXPECT_FLOAT_EQ(yNDC_p(nan), -30000);
    EXPECT_FLOAT_EQ(xNDC_ps(nan), -100000);
    EXPECT_FLOAT_EQ(yNDC_ps(nan), -100000);
}

TEST(GksTrans, NotANumberNeverReachesThePrinter)
{
    for (const char *name : {"vykps_param", "vykps_geometry", "PSGEOMETRY", "PSCOLOR"})
        unsetenv(name);
    TempDir dir;
    const std::string ps = dir.file("nan.ps");
    const float nan = std::numeric_limits<float>::quiet_NaN();
    {
        CaptureStdio cap;
        ASSERT_EQ(gopen_gks(nullptr, 0), 0);
        ASSERT_EQ(gopen_ws(1, ps.c_str(), GWS_PS), 0);
        const Gpt line[] = {{0.2f, 0.2f}, {nan, 0.5f}, {0.8f, nan}, {0.8f, 0.8f}};
        EXPECT_EQ(gpolyline(4, line), 0);
        const Gpt marks[] = {{nan, nan}, {0.5f, 0.5f}};
        EXPECT_EQ(gpolymarker(2, marks), 0);
        EXPECT_EQ(gclose_ws(1), 0);
    }
    const std::string text = vyktest::read_file(ps);
    ASSERT_NE(text.find("%%VYK"), std::string::npos) << text;
    EXPECT_EQ(text.find("nan"), std::string::npos) << text;
    const vyktest::RunResult r =
        vyktest::run("gs -dSAFER -dBATCH -dNOPAUSE -q -r10 -sDEVICE=png16m -sOutputFile=" +
                     vyktest::quote(dir.file("nan.png")) + " " + vyktest::quote(ps));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out.find("Error"), std::string::npos) << r.out;
}

TEST(GksTrans, AspectFitAndOffset)
{
    struct Case {
        int width, height, ox, oy;
        Glim ws_win;
        float x1, y0;  // pixels of NDC x = ws_win.x_max and y = ws_win.y_min
    };
    const Case cases[] = {
        {1000, 400, 0, 0, {0, 1, 0, 1}, 399, 399},      // wider device: height decides
        {400, 1000, 0, 0, {0, 1, 0, 1}, 399, 399},      // taller device: width decides
        {640, 512, 0, 0, {0, 1, 0, 0.5f}, 639, 319.5f},
        {640, 512, 10, 20, {0, 1, 0, 1}, 521, 531},     // the device offset moves the origin
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.width);
        device(c.width, c.height, c.ox, c.oy);
        ASSERT_EQ(gset_ws_win(1, &c.ws_win), 0);
        EXPECT_FLOAT_EQ(xNDC_p(c.ws_win.x_max), c.x1);
        EXPECT_FLOAT_EQ(yNDC_p(c.ws_win.y_min), c.y0);
        EXPECT_FLOAT_EQ(xNDC_p(c.ws_win.x_min), static_cast<float>(c.ox));
        EXPECT_FLOAT_EQ(yNDC_p(c.ws_win.y_max), static_cast<float>(c.oy));
    }
    // A workstation viewport smaller than the device.
    device(640, 512);
    const Glim ws_vp = {0, 199, 0, 99};
    ASSERT_EQ(gset_ws_vp(1, &ws_vp), 0);
    EXPECT_FLOAT_EQ(xNDC_p(1), 99);
    EXPECT_FLOAT_EQ(yNDC_p(0), 99);
}

TEST(GksTrans, RectangleOrders)
{
    // Callers pass x_min, x_max, y_min, y_max; the inquiry and the printout give them back in
    // that order, while the window itself is stored as x_min, y_min, x_max, y_max.
    device(640, 512);
    plot_panel();
    Gtran tran;
    Gint err = 7;
    ASSERT_EQ(ginq_norm_tran(2, &err, &tran), 0);
    EXPECT_EQ(err, 0);
    EXPECT_FLOAT_EQ(tran.win.x_min, 0);
    EXPECT_FLOAT_EQ(tran.win.x_max, 10);
    EXPECT_FLOAT_EQ(tran.win.y_min, 100);
    EXPECT_FLOAT_EQ(tran.win.y_max, 200);
    EXPECT_FLOAT_EQ(tran.vp.x_max, 0.9f);
    EXPECT_FLOAT_EQ(tran.vp.y_min, 0.2f);
    CaptureStdio cap;
    gprint_win();
    cap.finish();
    EXPECT_EQ(cap.out(), "C-2:   0.000  10.000 100.000 200.000\n"
                         "W-0:   0.000   1.000   0.000   1.000\n"
                         "W-1:   0.000   1.000   0.000   1.000\n"
                         "W-2:   0.000  10.000 100.000 200.000\n"
                         "W-3:   0.000   1.000   0.000   1.000\n");
}

TEST(GksTrans, BadNumbersAndEmptyRectanglesAreRefused)
{
    gopen_gks(nullptr, 0);
    device(640, 512);
    plot_panel();
    const Glim empty_x = {5, 5, 0, 1}, empty_y = {0, 1, 3, 3};
    struct Case {
        const char *what;
        Gint (*call)();
        const char *message;
    };
    static const Glim *ex = &empty_x, *ey = &empty_y;
    static const Glim *good = &plot_win;
    const Case cases[] = {
        {"sel 6", [] { return gsel_norm_tran(6); },
         "gsel_norm_tran: invalid transformation number: 6\n\n"},
        {"sel -1", [] { return gsel_norm_tran(-1); },
         "gsel_norm_tran: invalid transformation number: -1\n\n"},
        {"win 7", [] { return gset_win(7, good); },
         "gset_win: invalid transformation number: 7\n\n"},
        {"vp -1", [] { return gset_vp(-1, good); },
         "gset_vp: invalid transformation number: -1\n\n"},
        {"win empty", [] { return gset_win(2, ex); }, "gset_win: invalid rectangle: "},
        {"vp empty", [] { return gset_vp(2, ey); }, "gset_vp: invalid rectangle: "},
        {"ws win empty", [] { return gset_ws_win(1, ex); }, "gset_ws_win: invalid rectangle: "},
        {"ws vp empty", [] { return gset_ws_vp(1, ey); }, "gset_ws_vp: invalid rectangle: "},
        {"win null", [] { return gset_win(2, nullptr); }, "gset_win: invalid rectangle\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        CaptureStdio cap;
        EXPECT_EQ(c.call(), -1);
        cap.finish();
        EXPECT_EQ(cap.err().rfind(c.message, 0), 0u) << cap.err();
        // Nothing changed.
        Gint err, n;
        ginq_cur_norm_tran_num(&err, &n);
        EXPECT_EQ(n, 2);
        EXPECT_NEAR(xW_p(10), 459.9f, 1e-3);
        EXPECT_NEAR(yW_p(100), 408.8f, 1e-3);
        XRectangle r;
        gget_xviewport(&r);
        expect_rect(r, 51, 102, 410, 308);
    }
    Gint err = 77;
    Gtran tran;
    EXPECT_EQ(ginq_norm_tran(6, &err, &tran), -1);
    EXPECT_EQ(ginq_norm_tran(-1, &err, &tran), -1);
    EXPECT_EQ(err, 77);
    CaptureStdio cap;
    EXPECT_FLOAT_EQ(xW_trans(3, 9, 0), 3);
    EXPECT_FLOAT_EQ(yW_trans(3, 0, -2), 3);
    cap.finish();
    EXPECT_EQ(cap.err(), "xW_trans: invalid transformation number: 9\n\n"
                         "yW_trans: invalid transformation number: -2\n\n");
}

TEST(GksTrans, NothingDividesBeforeTheFirstInitialisation)
{
    EXPECT_TRUE(std::isfinite(xp_W(100)));
    EXPECT_TRUE(std::isfinite(yp_W(100)));
    EXPECT_TRUE(std::isfinite(xW_trans(0.5f, 0, 1)));
    EXPECT_TRUE(std::isfinite(yW_p(0.5f)));
    device(1, 1);  // a device of one pixel: no extent to divide by
    EXPECT_TRUE(std::isfinite(xp_W(0)));
    EXPECT_TRUE(std::isfinite(yp_W(0)));
}

TEST(GksTrans, TransformBetweenTransformations)
{
    device(640, 512);
    plot_panel();
    const Glim grid = {0, 99, 0, 49};
    ASSERT_EQ(gset_win(3, &grid), 0);
    ASSERT_EQ(gset_vp(3, &plot_vp), 0);
    EXPECT_NEAR(xW_trans(5, 2, 3), 49.5f, 1e-4);
    EXPECT_NEAR(yW_trans(150, 2, 3), 24.5f, 1e-4);
    EXPECT_NEAR(xW_trans(49.5f, 3, 2), 5, 1e-4);
    EXPECT_NEAR(xW_trans(0.5f, 0, 2), 5, 1e-4);  // NDC 0.5 lies in the middle of both
}

TEST(GksTrans, CullingByBoundingBox)
{
    device(640, 512);
    plot_panel();
    struct Case {
        const char *what;
        Gpt pts[3];
        int n, inside;
    };
    const Case cases[] = {
        {"above", {{1, 201}, {9, 300}, {5, 250}}, 3, 0},
        {"on the top edge", {{1, 200}, {9, 300}, {5, 250}}, 3, 1},
        {"left", {{-5, 150}, {-1, 160}, {-3, 170}}, 3, 0},
        {"around", {{-5, 50}, {20, 300}, {0, 0}}, 2, 1},
        {"one point inside", {{5, 150}, {0, 0}, {0, 0}}, 1, 1},
        {"no points", {{5, 150}, {0, 0}, {0, 0}}, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(gpts_in_win(c.n, c.pts), c.inside);
    }
}

TEST(GksTrans, SizeChangeKeepsTransformations)
{
    device(640, 512);
    plot_panel();
    gset_win_size(800, 600);
    Gint err, n;
    ginq_cur_norm_tran_num(&err, &n);
    EXPECT_EQ(n, 2);
    EXPECT_NEAR(xW_p(0), 0.1f * 599, 1e-3);
    XRectangle r;
    gget_xviewport(&r);
    expect_rect(r, 60, 120, 480, 360);
    // A reset restores the unit square and transformation 0.
    ginit_tran(1);
    ginq_cur_norm_tran_num(&err, &n);
    EXPECT_EQ(n, 0);
}

TEST(GksTrans, ClipGoesToTheDeviceOnlyWhenTheCurrentViewportChanges)
{
    // On PostScript the clip path goes into the output ("initclip" starts it): selecting the
    // current transformation again or changing another transformation's viewport writes nothing.
    TempDir dir;
    const std::string path = dir.file("clip.ps");
    CaptureStdio cap;  // the driver's notes
    ASSERT_NE(gps_open_file(path.c_str()), nullptr);
    gps_init();
    gps_set_size(11, 8.5f);
    gps_init_file();
    device(640, 512);
    plot_panel();
    gset_win_type(GWS_PS);
    const auto step = [](int n) { gps_printf("%% step %d\n", n); };
    step(0);
    gsel_norm_tran(2);
    step(1);
    gset_vp(3, &plot_vp);
    step(2);
    gset_win(2, &plot_win);
    step(3);
    gset_vp(2, &plot_vp);
    step(4);
    gsel_norm_tran(3);
    step(5);
    gps_close_file();
    cap.finish();
    const std::string text = vyktest::read_file(path);
    const int expected[] = {0, 0, 0, 1, 1};
    for (int i = 0; i < 5; i++) {
        SCOPED_TRACE(i);
        const std::string from = "% step " + std::to_string(i) + "\n";
        const std::string to = "% step " + std::to_string(i + 1) + "\n";
        const size_t a = text.find(from), b = text.find(to);
        ASSERT_NE(a, std::string::npos) << text;
        ASSERT_NE(b, std::string::npos) << text;
        const std::string part = text.substr(a, b - a);
        int clips = 0;
        for (size_t at = part.find("initclip\n"); at != std::string::npos;
             at = part.find("initclip\n", at + 1))
            clips++;
        EXPECT_EQ(clips, expected[i]) << part;
        if (expected[i]) {
            EXPECT_NE(part.find("clip\n", part.find("cp\n")), std::string::npos) << part;
        }
    }

    Grectangle g = {1, 2, 3, 4};
    gsel_norm_tran(2);
    gget_gviewport(&g);
    EXPECT_EQ(g.x, 51);
    EXPECT_EQ(g.y, 102);
    EXPECT_EQ(g.width, 410);
    EXPECT_EQ(g.height, 308);
    gset_win_type(GWS_META);
    Grectangle m = {1, 2, 3, 4};
    gget_gviewport(&m);
    EXPECT_EQ(m.x, 1);
    EXPECT_EQ(m.height, 4);
}
