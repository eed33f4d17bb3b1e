// The X11 back end: the graphics contexts live only with their workstation and follow a print's
// reset, and the handlers of protocol errors and of a lost connection end the program.
#include <gtest/gtest.h>

#include "test_util.h"

#include "gks.h"
#include "gks_x11.h"
#include "vyk.h"

#include <cstdlib>
#include <string>

using vyktest::count;
using vyktest::has;
using vyktest::run;

TEST(GksX11, GraphicsContextsLiveOnlyWithTheirWorkstation)
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

TEST(GksX11, TwentyFifthProtocolErrorEndsWithStatus4)
{
    const auto ok = run(vyktest::tool("gks_xerror_tool") + " errors 24");
    EXPECT_EQ(ok.status, 0) << ok.err;
    EXPECT_EQ(ok.out, "survived\n");
    EXPECT_EQ(count(ok.err, "X11 error: BadWindow (invalid Window parameter) in X_MapWindow\n"),
              24);

    const auto stop = run(vyktest::tool("gks_xerror_tool") + " errors 40");
    EXPECT_EQ(stop.status, 4) << stop.err;
    EXPECT_EQ(stop.out, "");
    EXPECT_EQ(count(stop.err, " in X_MapWindow\n"), 25);
    EXPECT_TRUE(has(stop.err, "X11 error: too many errors\n"));
}

TEST(GksX11, LostConnectionEndsWithStatus4)
{
    const auto r = run(vyktest::tool("gks_xerror_tool") + " lost");
    EXPECT_EQ(r.status, 4) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(has(r.err, "Fatal X11 Error\n")) << r.err;
}
