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
#include <unistd.h>

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

// Warnings filtered out of the reporting level print nothing, from the kernel's refusals too;
// let back in, they read as before.
TEST(Gks, ErrorReportFollowsTheWarningLevel)
{
    const Gpt pt[] = {{0.5f, 0.5f}, {0.6f, 0.6f}};
    ASSERT_EQ(gopen_gks(nullptr, 0), 0);
    CaptureStdio cap;
    MESS_set(MESS_PROG_CLEAR, M_WARN);
    gerr_printf("gset_vp", "hidden %d\n", 1);
    EXPECT_EQ(gpolyline(2, pt), -1);
    MESS_set(MESS_PROG_ADD, M_WARN);
    gerr_printf("gset_vp", "shown %d\n", 2);
    EXPECT_EQ(gpolyline(2, pt), -1);
    cap.finish();
    EXPECT_EQ(cap.err(), "gset_vp: shown 2\n\ngpolyline: GKS not opened\n\n");
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

TEST(Gks, EveryWorkstationTypeHasItsDeviceTable)
{
    struct Case {
        Gws_type type;
        unsigned caps;
        int init_kind;
    };
    const Case cases[] = {
        {GWS_X11, GDEV_WINDOW | GDEV_OWN_WINDOW, GINIT_WINDOW},
        {GWS_PIX, GDEV_WINDOW, GINIT_WINDOW},
        {GWS_PS, GDEV_PENS, GINIT_PS},
        {GWS_HPGL, GDEV_PENS, GINIT_HPGL},
        {GWS_META, GDEV_PENS, GINIT_META},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.type);
        const Gdevice *dev = gdevice_of(c.type);
        ASSERT_NE(dev, nullptr);
        EXPECT_EQ(dev->type, c.type);
        EXPECT_EQ(dev->caps, c.caps);
        EXPECT_EQ(dev->init_kind, c.init_kind);
        // Every back end opens, closes and draws the output primitives.
        for (const void *entry : {reinterpret_cast<const void *>(dev->open),
                                  reinterpret_cast<const void *>(dev->close),
                                  reinterpret_cast<const void *>(dev->polyline),
                                  reinterpret_cast<const void *>(dev->polymarker),
                                  reinterpret_cast<const void *>(dev->fill_area),
                                  reinterpret_cast<const void *>(dev->text)})
            EXPECT_NE(entry, nullptr);
        gset_win_type(c.type);
        EXPECT_EQ(&gdev(), dev);
    }
    // A type the kernel does not have has no table: the current device then draws nothing.
    EXPECT_EQ(gdevice_of(2), nullptr);
    gset_win_type(2);
    EXPECT_EQ(gdev().polyline, nullptr);
    EXPECT_EQ(gdev().caps, 0u);
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

TEST(Gks, FileOutputsOnAFullDiskFailAndLeaveNoCutFile)
{
    // Every file back end on a full disk: the close reports the failure, says so, and removes
    // the cut file (where the disk cannot be made, /dev/full takes the output).
    struct Case {
        const char *what;
        Gws_type type;
        const char *file;
        const char *options;
        const char *message;
    };
    const Case cases[] = {
        {"PostScript", GWS_PS, "out.ps", ",land", "gps_close_file: unable to write postscript file\n"},
        {"EPS", GWS_PS, "out.eps", ",eps", "gps_close_file: unable to write postscript file\n"},
        {"metafile", GWS_META, "out.meta", "", "gmeta_close_file: unable to write the metafile\n"},
        {"CGM", GWS_META, "out.cgm", ",cgm", "gmeta_close_file: unable to write the metafile\n"},
        {"HP-GL/2", GWS_HPGL, "out.hp", nullptr, "ghpgl_close_file: unable to write the HPGL file\n"},
    };
    for (const char *name : {"vykprint", "vykhp_out", "vykhp_param", "vykmeta_out", "METAOUT",
                             "vykps_param", "PSGEOMETRY", "vykps_geometry"})
        unsetenv(name);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const std::string result = vyktest::on_full_disk([&](const std::string &dir) {
            const std::string path = dir.empty() ? "/dev/full" : dir + "/" + c.file;
            if (!c.options) setenv("vykhp_out", path.c_str(), 1);
            const std::string conn = c.options ? path + c.options : "";
            CaptureStdio cap;
            gopen_gks(nullptr, 0);
            const int opened = gopen_ws(1, conn.c_str(), c.type);
            for (int i = 0; i < 3000; i++) {
                const Gpt line[2] = {{0.1f, 0.1f * (i % 9)}, {0.9f, 0.5f}};
                gpolyline(2, line);
            }
            const int closed = gclose_ws(1);
            gclose_gks();
            cap.finish();
            const bool told = cap.err().find(c.message) != std::string::npos &&
                              cap.out().find("Created") == std::string::npos;
            const std::string left =
                dir.empty() ? "device" : access(path.c_str(), F_OK) == 0 ? "left" : "gone";
            return "open " + std::to_string(opened) + " close " + std::to_string(closed) + " " +
                   left + (told ? " told" : " " + cap.err());
        });
        EXPECT_TRUE(result == "open 0 close -1 gone told" ||
                    result == "open 0 close -1 device told")
            << result;
    }
}
