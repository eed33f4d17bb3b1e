// The plot frame's events in-process: the zoom box on maps and diagrams, the return to the first
// domain, redraw and resize re-plots and the domains they are given.
#include <gtest/gtest.h>

#include "test_util.h"
#include "vykplot.h"

#include <cmath>
#include <string>
#include <vector>

using vyktest::CaptureStdio;

namespace {

std::vector<Domain> replots;

int record(Domain *dom)
{
    replots.push_back(*dom);
    return 0;
}

Domain current(const char *text)
{
    Domain d;
    EXPECT_GT(DOM_decode(text, &d), 0) << text;
    EXPECT_EQ(MAP_domain(&d), 0);
    Domain cur;
    MAP_get_domain(&cur);
    return cur;
}

TEST(PltEvent, AMapZoomKeepsTheProjectionAndMakesSquareCells)
{
    const Domain first = current("ps,60,-105,25,17,1,1");
    PLT_set_zoom_func(record);
    float xc, yc;
    MAP_tran_center(&xc, &yc);
    CaptureStdio cap;
    EXPECT_EQ(PLT_plot_zoom("B1-P-Shft", xc - 5, yc - 2), 0);
    // A release on the press point's row or column zooms nothing and stays armed.
    EXPECT_EQ(PLT_plot_zoom("B1-R-Shft", xc - 5, yc + 1), -1);
    EXPECT_EQ(PLT_plot_zoom("B1-R-Shft", xc + 2, yc - 2), -1);
    EXPECT_TRUE(replots.empty());
    EXPECT_EQ(PLT_plot_zoom("B1-R", xc + 5, yc + 2), 0);
    cap.finish();
    ASSERT_EQ(replots.size(), 1u);
    const Domain &z = replots[0];
    EXPECT_EQ(z.proj, first.proj);
    EXPECT_EQ(z.plat, first.plat);
    EXPECT_EQ(z.plon, first.plon);
    EXPECT_EQ(z.nx, 25);
    EXPECT_EQ(z.ny, 17);
    EXPECT_FLOAT_EQ(z.dx, 10.0f / 24);
    EXPECT_FLOAT_EQ(z.dy, 10.0f / 24);
    float lat, lon;
    MAP_untran(xc, yc, &lat, &lon);
    EXPECT_FLOAT_EQ(z.clat, lat);
    EXPECT_FLOAT_EQ(z.clon, lon);
    EXPECT_EQ(PLT_get_zoom(), 1);
    EXPECT_NE(cap.out().find("New domain: "), std::string::npos) << cap.out();

    // Disarmed: another release does nothing.
    EXPECT_EQ(PLT_plot_zoom("B1-R", xc + 1, yc + 1), 0);
    EXPECT_EQ(replots.size(), 1u);

    // A second zoom counts on; Alt-u returns to the domain before the first one.
    MAP_domain(&z);
    PLT_plot_zoom("B1-P-Shft", 0, 0);
    PLT_plot_zoom("B1-R-Shft", 1, 1);
    EXPECT_EQ(PLT_get_zoom(), 2);
    EXPECT_EQ(PLT_plot_zoom("u-Alt", 0, 0), 0);
    ASSERT_EQ(replots.size(), 3u);
    EXPECT_EQ(replots[2].dx, first.dx);
    EXPECT_EQ(replots[2].clat, first.clat);
    EXPECT_EQ(PLT_get_zoom(), 0);
    // Alt-u without a zoom does nothing.
    EXPECT_EQ(PLT_plot_zoom("u-Alt", 0, 0), 0);
    EXPECT_EQ(replots.size(), 3u);
}

TEST(PltEvent, OtherEventsDisarmAndRedrawsReplotTheCurrentDomain)
{
    const Domain first = current("ll,40,-100,41,21,0.5,0.5");
    PLT_set_zoom_func(record);
    PLT_set_resize_func(record);
    PLT_plot_zoom("B1-P-Shft", 0, 0);
    PLT_plot_zoom("g", 0, 0);
    EXPECT_EQ(PLT_plot_zoom("B1-R-Shft", 3, 3), 0);
    EXPECT_TRUE(replots.empty());
    PLT_plot_zoom("r-Alt", 0, 0);
    PLT_plot_resize("size", 800, 600);
    PLT_plot_resize("B1-R", 0, 0);  // not a resize
    ASSERT_EQ(replots.size(), 2u);
    for (const Domain &d : replots) {
        EXPECT_EQ(d.proj, first.proj);
        EXPECT_EQ(d.clat, first.clat);
        EXPECT_EQ(d.dx, first.dx);
    }
    EXPECT_EQ(PLT_get_zoom(), 0);
}

TEST(PltEvent, ADiagramZoomTakesTheBoxInDataValues)
{
    // Time-height section: 14 file columns over 20 plot units, 18000 m over 18.
    current("cat,-1,-1000,20,18,14,18000");
    PLT_set_zoom_func(record);
    float x0, y0, x1, y1;
    MAP_tran(1, 0, &x0, &y0);
    MAP_tran(5, 6000, &x1, &y1);
    PLT_plot_zoom("B1-P-Shft", x1, y1);  // dragged up-right to down-left
    EXPECT_EQ(PLT_plot_zoom("B1-R-Shft", x0, y0), 0);
    ASSERT_EQ(replots.size(), 1u);
    const Domain &z = replots[0];
    EXPECT_NEAR(z.clat, 1, 1e-4);
    EXPECT_NEAR(z.clon, 0, 1e-2);
    EXPECT_NEAR(z.dx, 4, 1e-4);
    EXPECT_NEAR(z.dy, 6000, 1e-2);
    EXPECT_EQ(z.nx, 20);
    EXPECT_EQ(z.ny, 18);
}

TEST(PltEvent, BoxesThatCannotBeShownAreRefused)
{
    // A box centred off the earth of an orthographic map.
    current("or,40,-100,25,17,5,5");
    PLT_set_zoom_func(record);
    CaptureStdio cap;
    PLT_plot_zoom("B1-P-Shft", 200, 200);
    EXPECT_EQ(PLT_plot_zoom("B1-R-Shft", 210, 210), -1);
    cap.finish();
    EXPECT_TRUE(replots.empty());
    EXPECT_EQ(PLT_get_zoom(), 0);
    EXPECT_NE(cap.err().find("off the earth"), std::string::npos) << cap.err();
}

TEST(PltEvent, PointerLocation)
{
    current("ll,40,-100,41,21,0.5,0.5");
    float x, y;
    MAP_tran(42, -95, &x, &y);
    CaptureStdio cap;
    EXPECT_EQ(PLT_print_location("v-Alt", x, y), 0);
    EXPECT_EQ(PLT_print_location("v", x, y), 0);
    EXPECT_EQ(PLT_print_location(nullptr, x, y), 0);
    cap.finish();
    EXPECT_EQ(cap.out().find("Lat:  42.00 Lon:  -95.00 XY: "), 0u) << cap.out();
    EXPECT_EQ(cap.out().find("Lat:", 1), std::string::npos) << cap.out();  // one line only
}

}  // namespace
