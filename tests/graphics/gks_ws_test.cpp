// Kernel control: the error report, the back-end predicates, failing workstation opens and the
// panel form of the geometry.
#include <gtest/gtest.h>

#include "test_util.h"

#include "gks.h"
#include "gks_x11.h"
#include "gks_internal.h"
#include "vyk.h"

#include <cstdlib>
#include <string>

using vyktest::CaptureStdio;

TEST(Gks, ErrorReportOnlyWhileChannelOpen)
{
    vyktest::TempDir dir;
    CaptureStdio cap;
    gerr_printf("gset_vp", "closed %d\n", 1);
    EXPECT_EQ(gopen_gks(nullptr, 0), 0);
    gerr_printf("gset_vp", "open %d\n", 2);
    gclose_gks();  // standard error stays the channel
    gerr_printf("gset_vp", "still %d\n", 3);
    EXPECT_EQ(gopen_gks(dir.file("err.log").c_str(), 0), 0);
    gclose_gks();  // a named file is closed and the channel cleared
    gerr_printf("gset_vp", "gone %d\n", 4);
    EXPECT_EQ(gopen_gks("/dev/null/err.log", 0), 1);
    cap.finish();
    EXPECT_EQ(cap.err(), "gset_vp: open 2\n\ngset_vp: still 3\n\n");
}

TEST(Gks, ErrorReportIsCutTo79Characters)
{
    gopen_gks(nullptr, 0);
    const std::string longer(200, 'x');
    CaptureStdio cap;
    gerr_printf("f", "%s", longer.c_str());
    cap.finish();
    EXPECT_EQ(cap.err(), "f: " + std::string(79, 'x') + "\n");
}

TEST(Gks, PredicatesFollowTheWorkstationType)
{
    struct Case {
        Gws_type type;
        int win, pix, win_pix, ps, hpgl, meta;
    };
    const Case cases[] = {
        {GWS_X11, 1, 0, 1, 0, 0, 0}, {GWS_PIX, 0, 1, 1, 0, 0, 0}, {GWS_PS, 0, 0, 0, 1, 0, 0},
        {GWS_HPGL, 0, 0, 0, 0, 1, 0}, {GWS_META, 0, 0, 0, 0, 0, 1}, {0, 0, 0, 0, 0, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.type);
        gset_win_type(c.type);
        EXPECT_EQ(gget_win_type(), c.type);
        EXPECT_EQ(gtype_is_WIN(), c.win);
        EXPECT_EQ(gtype_is_PIX(), c.pix);
        EXPECT_EQ(gtype_is_WIN_PIX(), c.win_pix);
        EXPECT_EQ(gtype_is_PS(), c.ps);
        EXPECT_EQ(gtype_is_HPGL(), c.hpgl);
        EXPECT_EQ(gtype_is_META(), c.meta);
    }
    EXPECT_EQ(gget_ws_id(), 1);
    EXPECT_STREQ(gget_prog_name(), "V11_Ududi");
    gset_prog_name("a_program_name_longer_than_nineteen");
    EXPECT_STREQ(gget_prog_name(), "a_program_name_long");
}

TEST(Gks, FailedOpensReportAndLeaveTheKernelClosed)
{
    // Every output name lies under /dev/null, which is no directory: nothing is created.
    struct Case {
        Gws_type type;
        const char *conn;
        const char *vykprint;
        const char *hp_out;  // vykhp_out, the HP-GL/2 output when the connection names none
        const char *message;
    };
    const Case cases[] = {
        {GWS_PS, "/dev/null/out.ps,land", nullptr, nullptr,
         "gopen_ws: unable to open postscript file\n\n"},
        {GWS_PS, "/dev/null/out.hp", "HpGl", nullptr, "gopen_ws: unable to open HPGL file\n\n"},
        {GWS_HPGL, "", nullptr, "/dev/null/x", "gopen_ws: unable to open HPGL file\n\n"},
        {GWS_META, "/dev/null/pic.cgm,cgm", nullptr, nullptr,
         "gopen_ws: unable to open metafile\n\n"},
        {2, "", nullptr, nullptr, "gopen_ws: invalid workstation type: 2\n\n"},
        {GWS_PIX, "", nullptr, nullptr, "gopen_ws: window parameters not specified\n"},
        {GWS_PIX, ",,x", nullptr, nullptr, "gopen_ws: window id not specified\n"},
        {GWS_X11, ":97", nullptr, nullptr, "gopen_ws: unable to connect to display\n"},
    };
    unsetenv("vykwindow");
    unsetenv("WINDOW");
    unsetenv("vykhp_param");
    gopen_gks(nullptr, 0);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.message);
        if (c.vykprint) setenv("vykprint", c.vykprint, 1);
        else unsetenv("vykprint");
        if (c.hp_out) setenv("vykhp_out", c.hp_out, 1);
        else unsetenv("vykhp_out");
        CaptureStdio cap;
        EXPECT_EQ(gopen_ws(1, c.conn, c.type), -1);
        cap.finish();
        EXPECT_NE(cap.err().find(c.message), std::string::npos) << cap.err();
        EXPECT_EQ(gchk_graphics(), 0);
        EXPECT_EQ(gclose_ws(1), -1);
    }
    unsetenv("vykprint");
    unsetenv("vykhp_out");
}

TEST(Gks, GraphicsContextsLiveOnlyWithTheirWorkstation)
{
    unsetenv("vykwindow");
    unsetenv("WINDOW");
    ASSERT_EQ(gopen_gks(nullptr, 0), 0);
    ASSERT_EQ(gopen_ws(1, "", GWS_X11), 0);
    Display *display = gget_display();
    ASSERT_NE(display, nullptr);
    const GC contexts[] = {gget_line_gc(), gget_marker_gc(), gget_fill_gc(), gget_text_gc()};
    for (GC gc : contexts) EXPECT_NE(gc, nullptr);

    // A print of the display list puts the window's contexts back to the reset attributes:
    // colour 1 and the default widths and fill style.
    for (GC gc : contexts) {
        XSetForeground(display, gc, 7);
        XSetLineAttributes(display, gc, 5, LineSolid, CapButt, JoinBevel);
    }
    XSetFillStyle(display, gget_fill_gc(), FillStippled);
    ginit_line(2);
    ginit_marker(2);
    ginit_fill(2);
    ginit_text(2);
    const int one = gget_color_ind(1);
    const unsigned long pixel =
        one >= 0 ? static_cast<unsigned long>(one) : WhitePixel(display, gget_screen());
    const int widths[] = {0, 0, 5, 1};  // a fill context has no line width of its own
    for (int i = 0; i < 4; i++) {
        SCOPED_TRACE(i);
        XGCValues values{};
        ASSERT_NE(XGetGCValues(display, contexts[i], GCForeground | GCLineWidth | GCFillStyle,
                               &values),
                  0);
        EXPECT_EQ(values.foreground, pixel);
        EXPECT_EQ(values.line_width, widths[i]);
    }
    XGCValues fill{};
    XGetGCValues(display, gget_fill_gc(), GCFillStyle, &fill);
    EXPECT_EQ(fill.fill_style, FillSolid);

    // The close frees the contexts while the display stays connected: nobody may hand them out
    // or use them afterwards (the address sanitizer reports a use of a freed one).
    ASSERT_EQ(gclose_ws(1), 0);
    ASSERT_EQ(gget_display(), display);
    EXPECT_EQ(gget_line_gc(), nullptr);
    EXPECT_EQ(gget_marker_gc(), nullptr);
    EXPECT_EQ(gget_fill_gc(), nullptr);
    EXPECT_EQ(gget_text_gc(), nullptr);
    EXPECT_EQ(ginit_plot(1), 0);
    EXPECT_EQ(ginit_plot(2), 0);

    // The next window has contexts of its own.
    ASSERT_EQ(gopen_ws(1, "", GWS_X11), 0);
    EXPECT_NE(gget_marker_gc(), nullptr);
    EXPECT_NE(gget_fill_gc(), nullptr);
    EXPECT_NE(gget_text_gc(), nullptr);
    EXPECT_EQ(gclose_ws(1), 0);
}

TEST(Gks, SegmentsOnTheMetafileAreRecordsOnly)
{
    gset_win_type(GWS_META);
    EXPECT_EQ(gcreate_seg(3), -1);
    EXPECT_EQ(gclose_seg(3), -1);
    EXPECT_EQ(gdel_seg(3), -1);
    gset_win_type(GWS_X11);
    EXPECT_EQ(gcreate_seg(3), 0);
    EXPECT_EQ(gclose_seg(3), 0);
    EXPECT_EQ(gdel_seg(3), 0);
    EXPECT_EQ(ginit_plot(-1), -1);
    // Without a window the X11 requests do nothing.
    EXPECT_EQ(gsync(), 0);
    EXPECT_EQ(gbell(0), 0);
    EXPECT_EQ(gclear_ws(1, GALWAYS), 0);
}

TEST(Gks, PanelGeometry)
{
    struct Case {
        const char *geom;
        int y_down, width, height;
        int x, y, w, h;
    };
    const Case cases[] = {
        {"P2x2+1+1", 0, 1000, 800, 500, 0, 500, 400},    // lower right quarter of a page
        {"P2x2+0+0", 0, 1000, 800, 0, 400, 500, 400},    // upper left quarter of a page
        {"P9x9+0+0", 0, 1000, 800, 0, 700, 125, 100},    // clamped to an 8 by 8 grid
        {"P2x2+1+0", 1, 640, 512, 320, 0, 320, 256},     // upper right quarter of a window
        {"p3x2+2+1", 1, 900, 600, 600, 300, 300, 300},
        {"P0.5x0.25+0.5+0", 0, 1000, 800, 500, 0, 500, 200},  // fractions on a page
        {"P0.5x0.25+0.5+0", 1, 1000, 800, 500, 600, 500, 200},  // the same place in a window
        {"P", 0, 1000, 800, 0, 0, 1000, 800},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.geom);
        gx_set_device(c.width, c.height, 7, 7);
        gset_panel_geometry(c.geom, c.y_down);
        int x, y, w, h;
        gget_win_offset(&x, &y);
        gget_win_size(&w, &h);
        EXPECT_EQ(x, c.x);
        EXPECT_EQ(y, c.y);
        EXPECT_EQ(w, c.w);
        EXPECT_EQ(h, c.h);
    }
}
