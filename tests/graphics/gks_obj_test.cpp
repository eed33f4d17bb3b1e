// The display list: recording switch and its settings, objects and their data, segments,
// callback objects, the event check every 500th request, and the replays onto the window
// (compared pixel by pixel with ImageMagick) and into PostScript (rendered by ghostscript).
// Window tests run on an X server of their own, so that no other window covers theirs.
#include <gtest/gtest.h>

#include "test_util.h"

#include "gks.h"
#include "gks_x11.h"
#include "gks_internal.h"
#include "vyk.h"

#include <X11/Xutil.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using vyktest::CaptureStdio;
using vyktest::PrivateX;
using vyktest::run;

namespace {


// The objects of the list in order: "code:values", and for messages "5:text".
std::vector<std::string> list()
{
    std::vector<std::string> out;
    for (const drawobj *p = gobj_first(); p; p = p->next) {
        if (p->type == GOBJ_MESSAGE && p->data)
            out.push_back("5:" + std::string(static_cast<const char *>(p->data)));
        else
            out.push_back(std::to_string(p->type) + ":" + std::to_string(p->values));
    }
    return out;
}

void open_window()
{
    ASSERT_EQ(gopen_gks(nullptr, 0), 0);
    ASSERT_EQ(gopen_ws(1, "", GWS_X11), 0);
}

unsigned long window_pixel(int x, int y)
{
    XImage *image = XGetImage(gget_display(), gget_root_window(), x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image) return ~0ul;
    const unsigned long p = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    return p;
}

// Fills the pixmap behind the window without touching the window or the display list.
void fill_pixmap(unsigned long pixel)
{
    Display *display = gget_display();
    GC gc = XCreateGC(display, gget_base_window(), 0, nullptr);
    XSetForeground(display, gc, pixel);
    int width, height;
    gget_win_size(&width, &height);
    XFillRectangle(display, gget_base_window(), gc, 0, 0, static_cast<unsigned>(width),
                   static_cast<unsigned>(height));
    XFreeGC(display, gc);
    XSync(display, False);
}

// The shown window as a PNG file, through xwd and ImageMagick.
void capture(const std::string &png)
{
    const std::string cmd = "xwd -silent -id " + std::to_string(gget_root_window()) +
                            " | convert xwd:- png:" + vyktest::quote(png);
    ASSERT_EQ(run(cmd).status, 0) << cmd;
}

// The number of pixels in which two images differ (compare -metric AE).
long differing_pixels(const std::string &a, const std::string &b)
{
    const vyktest::RunResult r =
        run("compare -metric AE " + vyktest::quote(a) + " " + vyktest::quote(b) + " null: 2>&1");
    return r.out.empty() ? -1 : std::atol(r.out.c_str());
}

// A picture of lines in six colours defined here, in several types and widths, under two
// transformations, with a cleared region.
void draw_picture()
{
    gclear_ws(1, GALWAYS);
    const Gcolr_rep colours[6] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1},
                                  {1, 1, 0}, {0, 1, 1}, {1, 0.5f, 0}};
    for (int i = 0; i < 6; i++) gset_colr_rep(1, i + 1, &colours[i]);
    for (int k = 0; k < 12; k++) {
        const float f = 0.05f + 0.07f * static_cast<float>(k);
        const Gpt line[4] = {{0.05f, f}, {0.4f, f + 0.1f}, {0.6f, f - 0.05f}, {0.95f, f}};
        gset_line_colr_ind(1 + k % 6);
        gset_linetype(1 + k % 4);
        gset_linewidth(static_cast<float>(1 + k % 3));
        gpolyline(4, line);
    }
    const Glim clear{0.3f, 0.5f, 0.3f, 0.5f};
    gclear_region(&clear);
    const Glim win{-10, 10, -10, 10}, vp{0.6f, 0.9f, 0.1f, 0.4f};
    gset_win(1, &win);
    gset_vp(1, &vp);
    gsel_norm_tran(1);
    const Gpt cross[5] = {{-10, -10}, {10, 10}, {10, -10}, {-10, 10}, {-10, -10}};
    gset_line_colr_ind(2);
    gpolyline(5, cross);
    gsel_norm_tran(0);
}

std::vector<int> seen;
void note(void *data) { seen.push_back(*static_cast<int *>(data)); }
void clear_list(void *) { gclear_objs(); }

int *number(int v)
{
    int *p = static_cast<int *>(std::malloc(sizeof(int)));
    *p = v;
    return p;
}

}  // namespace

TEST(GksObj, RecordingIsOnAtStartAndTheSettingNoTurnsItOff)
{
    EXPECT_EQ(gget_redraw(), 1);
    EXPECT_EQ(gget_cache(), 1);
    struct Case {
        const char *setting;  // nullptr: unset
        int recording;
    };
    const Case cases[] = {{nullptr, 1}, {"yes", 1}, {"", 1}, {"No", 0}, {"yes", 0}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.setting ? c.setting : "(unset)");
        if (c.setting) setenv("vykredraw", c.setting, 1);
        else unsetenv("vykredraw");
        EXPECT_EQ(ginit_objs(), 0);
        EXPECT_EQ(gget_redraw(), c.recording);  // "no" turns it off, nothing turns it on
    }
    EXPECT_EQ(gset_redraw(1), 0);
    EXPECT_EQ(gset_redraw(1), 1);
    unsetenv("vykredraw");
}

TEST(GksObj, XDefaultRedrawNoTurnsRecordingOff)
{
    PrivateX x;
    ASSERT_FALSE(x.name().empty());
    ASSERT_EQ(run("DISPLAY=" + x.name() + " xrdb -merge", "vykobjtest.redraw: no\n").status, 0);
    unsetenv("vykredraw");
    gset_prog_name("vykobjtest");
    open_window();
    EXPECT_EQ(gget_redraw(), 0);
    gclose_ws(1);
}

TEST(GksObj, ObjectsKeepACopyOfTheirData)
{
    float width = 2.5f;
    void *block = gnew_obj(GOBJ_LINEWIDTH, 1, sizeof width, &width);
    ASSERT_NE(block, nullptr);
    width = 7;
    float kept;
    std::memcpy(&kept, block, sizeof kept);
    EXPECT_EQ(kept, 2.5f);

    // Without data the caller fills the block.
    auto *points = static_cast<Gpt *>(gnew_obj(GOBJ_POLYLINE, 3, 3 * sizeof(Gpt), nullptr));
    ASSERT_NE(points, nullptr);
    points[2] = Gpt{0.5f, 0.25f};
    EXPECT_EQ(gnew_obj(GOBJ_NORM_TRAN, 2, 0, nullptr), nullptr);  // kept, without data
    EXPECT_EQ(list(), (std::vector<std::string>{"34:1", "30:3", "15:2"}));
    const drawobj *third = gobj_first()->next->next;
    EXPECT_EQ(third->data, nullptr);

    EXPECT_EQ(gset_redraw(0), 1);
    EXPECT_EQ(gnew_obj(GOBJ_LINEWIDTH, 1, sizeof width, &width), nullptr);
    EXPECT_EQ(list().size(), 3u);
    gset_redraw(1);
    EXPECT_EQ(gclear_objs(), 0);
    EXPECT_EQ(gobj_first(), nullptr);
    EXPECT_NE(gnew_obj(GOBJ_LINEWIDTH, 1, sizeof width, &width), nullptr);
    EXPECT_EQ(list(), (std::vector<std::string>{"34:1"}));
    gclear_objs();
}

TEST(GksObj, DeletingASegmentRemovesExactlyItsObjects)
{
    gmessage(1, "a");
    gcreate_seg(1);
    gmessage(1, "b");
    gclose_seg(1);
    gmessage(1, "c");
    gcreate_seg(2);
    gmessage(1, "d");
    gcreate_seg(1);  // a run inside another segment
    gmessage(1, "e");
    gclose_seg(1);
    gclose_seg(2);
    gmessage(1, "f");
    EXPECT_EQ(gdel_seg(1), 0);
    EXPECT_EQ(list(), (std::vector<std::string>{"5:a", "5:c", "81:2", "5:d", "82:2", "5:f"}));
    EXPECT_EQ(gget_redraw(), 1);
    EXPECT_EQ(gget_cache(), 1);

    EXPECT_EQ(gdel_seg_objs(7), 0);  // no such segment
    EXPECT_EQ(list().size(), 6u);

    // A run without its end goes to the end of the list; later objects follow the one before.
    gcreate_seg(3);
    gmessage(1, "g");
    EXPECT_EQ(gdel_seg_objs(3), 0);
    gmessage(1, "h");
    EXPECT_EQ(list(),
              (std::vector<std::string>{"5:a", "5:c", "81:2", "5:d", "82:2", "5:f", "5:h"}));

    // The whole list as one segment.
    gclear_objs();
    gcreate_seg(4);
    gmessage(1, "i");
    gclose_seg(4);
    EXPECT_EQ(gdel_seg_objs(4), 0);
    EXPECT_TRUE(list().empty());
    gmessage(1, "j");
    EXPECT_EQ(list(), (std::vector<std::string>{"5:j"}));

    gset_redraw(0);
    EXPECT_EQ(gdel_seg_objs(4), -1);
    gset_redraw(1);
    gclear_objs();
}

TEST(GksObj, CallbackObjectsRunOnReplayAndOwnTheirData)
{
    seen.clear();
    EXPECT_EQ(gset_redraw_func(note, number(1)), 0);
    gmessage(1, "between");
    EXPECT_EQ(gset_redraw_func(note, number(2)), 0);
    EXPECT_EQ(list(), (std::vector<std::string>{"999:1", "5:between", "999:1"}));
    EXPECT_EQ(gobj_replay(), 3);
    EXPECT_EQ(seen, (std::vector<int>{1, 2}));
    EXPECT_EQ(list().size(), 3u);  // the replayed message was not recorded again
    gset_redraw(1);
    gset_cache(1);
    EXPECT_EQ(gobj_redraw_funcs(gobj_first()), 0);
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 1}));

    // Not recorded: the data is released at once (the leak checker would see it otherwise).
    gset_redraw(0);
    EXPECT_EQ(gset_redraw_func(note, number(3)), 0);
    gset_redraw(1);
    EXPECT_EQ(list().size(), 3u);

    // A callback that clears the list during a replay ends the walk; the list goes afterwards.
    gclear_objs();
    seen.clear();
    gset_redraw_func(note, number(4));
    gset_redraw_func(clear_list, nullptr);
    gset_redraw_func(note, number(5));
    EXPECT_EQ(gobj_replay(), 2);
    EXPECT_EQ(seen, (std::vector<int>{4}));
    EXPECT_EQ(gobj_first(), nullptr);
    EXPECT_EQ(gget_redraw(), 0);  // the caller of a replay restores the switches
    EXPECT_EQ(gget_cache(), 0);
    gset_redraw(1);
    gset_cache(1);

    // Clearing releases the data of the callback objects.
    gset_redraw_func(note, number(6));
    gclear_objs();
    EXPECT_EQ(gobj_first(), nullptr);
}

TEST(GksObj, EveryFiveHundredthRequestHandlesQueuedEvents)
{
    PrivateX x;
    ASSERT_FALSE(x.name().empty());
    for (int recording : {1, 0}) {
        SCOPED_TRACE(recording);
        open_window();
        gset_redraw(recording);
        ginit_objs();  // the count starts here
        Display *display = gget_display();
        fill_pixmap(WhitePixel(display, gget_screen()));
        // The window is cleared and an exposure is queued, as when it is uncovered.
        XClearArea(display, gget_root_window(), 0, 0, 0, 0, True);
        XSync(display, False);
        const unsigned long black = BlackPixel(display, gget_screen());
        EXPECT_EQ(window_pixel(10, 10), black);
        for (int i = 1; i < 500; i++) gmessage(1, "x");
        EXPECT_EQ(window_pixel(10, 10), black);  // nothing has read the queue yet
        gmessage(1, "x");
        EXPECT_EQ(window_pixel(10, 10), WhitePixel(display, gget_screen()));
        EXPECT_EQ(list().size(), recording ? 500u : 0u);
        gset_redraw(1);
        gclose_ws(1);
    }
}

TEST(GksObj, WindowReplayEqualsTheOriginal)
{
    PrivateX x;
    ASSERT_FALSE(x.name().empty());
    vyktest::TempDir dir;
    open_window();
    draw_picture();
    gupdate_window();
    const std::string original = dir.file("original.png"), blank = dir.file("blank.png"),
                      replayed = dir.file("replayed.png");
    capture(original);

    fill_pixmap(static_cast<unsigned long>(gget_color_ind(-1)));  // as the clear at the start
    gupdate_window();
    capture(blank);
    EXPECT_GT(differing_pixels(original, blank), 1000);  // the picture is there

    const size_t objects = list().size();
    EXPECT_EQ(gobj_redraw_plot(), 0);
    gupdate_window();
    capture(replayed);
    EXPECT_EQ(differing_pixels(original, replayed), 0);
    EXPECT_EQ(list().size(), objects);  // the replay recorded nothing
    EXPECT_EQ(gget_redraw(), 1);
    EXPECT_EQ(gget_cache(), 1);
    EXPECT_EQ(gget_cursor_type(), 8);

    gset_redraw(0);
    EXPECT_EQ(gobj_redraw_plot(), -1);
    gset_redraw(1);
    gclose_ws(1);
}

TEST(GksObj, PrintPlotRendersInGhostscript)
{
    PrivateX x;
    ASSERT_FALSE(x.name().empty());
    vyktest::TempDir dir;
    const std::string ps = dir.file("plot.ps"), png = dir.file("plot.png");
    open_window();
    draw_picture();
    setenv("vykps_print", ps.c_str(), 1);
    {
        CaptureStdio io;
        const int status = gobj_print_plot();
        io.finish();
        if (io.err().find("gps_open_file: not available") != std::string::npos)
            GTEST_SKIP() << "PostScript output is not built yet";
        EXPECT_EQ(status, 0) << io.err();
    }
    unsetenv("vykps_print");
    EXPECT_EQ(gget_win_type(), GWS_X11);
    EXPECT_EQ(gget_redraw(), 1);
    EXPECT_EQ(gget_cache(), 1);
    int width, height;
    gget_win_size(&width, &height);
    EXPECT_EQ(width, 640);
    EXPECT_EQ(height, 512);
    // The window goes on drawing after the print.
    gclear_ws(1, GALWAYS);
    const Gpt across[2] = {{0.1f, 0.5f}, {0.9f, 0.5f}};
    gpolyline(2, across);
    gupdate_window();
    const int px = static_cast<int>(xW_p(0.5f) + 0.5f), py = static_cast<int>(yW_p(0.5f) + 0.5f);
    EXPECT_NE(window_pixel(px, py), static_cast<unsigned long>(gget_color_ind(-1)));
    gclose_ws(1);

    ASSERT_EQ(run("gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=png16m -r72 -sOutputFile=" +
                  vyktest::quote(png) + " " + vyktest::quote(ps))
                  .status,
              0);
    // The page holds the lines: its darkest pixel is far from the white paper.
    const vyktest::RunResult r =
        run("convert " + vyktest::quote(png) + " -colorspace gray -format '%[fx:minima]' info:");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_LT(std::atof(r.out.c_str()), 0.5) << r.out;
}

TEST(GksObj, PrintPlotFileNamesAndFailures)
{
    PrivateX x;
    ASSERT_FALSE(x.name().empty());
    vyktest::TempDir dir;
    open_window();
    gclear_objs();
    struct Case {
        const char *vykps_print, *psprint, *expected;
    };
    const Case cases[] = {
        {nullptr, "only.ps", "only.ps"},
        {"first.ps", "second.ps", "first.ps"},
    };
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.expected);
        if (c.vykps_print) setenv("vykps_print", c.vykps_print, 1);
        else unsetenv("vykps_print");
        setenv("PSPRINT", c.psprint, 1);
        CaptureStdio io;
        const int status = gobj_print_plot();
        io.finish();
        if (io.err().find("gps_open_file: not available") != std::string::npos)
            GTEST_SKIP() << "PostScript output is not built yet";
        EXPECT_EQ(status, 0);
        // An empty list still gives a finished file.
        EXPECT_NE(io.err().find("gobj_print_plot: No redraw data to make Postscript file from"),
                  std::string::npos)
            << io.err();
        struct stat st;
        EXPECT_EQ(stat(dir.file(c.expected).c_str(), &st), 0);
        EXPECT_GT(st.st_size, 0);
    }
    unsetenv("PSPRINT");
    // A directory cannot be made under a plain file: the output cannot be opened.
    vyktest::write_file(dir.file("plain"), "");
    setenv("vykps_print", dir.file("plain/x.ps").c_str(), 1);
    CaptureStdio io;
    EXPECT_EQ(gobj_print_plot(), -1);
    io.finish();
    EXPECT_NE(io.err().find("gprint_plot: unable to open postscript file"), std::string::npos)
        << io.err();
    EXPECT_EQ(gget_win_type(), GWS_X11);
    unsetenv("vykps_print");
    gclose_ws(1);
}

TEST(GksObj, PrintMetaReplaysTheListIntoAMetafile)
{
    PrivateX x;
    ASSERT_FALSE(x.name().empty());
    vyktest::TempDir dir;
    const std::string meta = dir.file("dump.meta"), empty = dir.file("empty.meta");
    open_window();
    draw_picture();
    setenv("METAOUT", meta.c_str(), 1);
    EXPECT_EQ(gobj_print_meta(), 0);
    EXPECT_EQ(gget_win_type(), GWS_X11);
    EXPECT_EQ(gget_redraw(), 1);
    const std::string text = vyktest::read_file(meta);
    EXPECT_EQ(text.rfind("VYKMETA", 0), 0u) << text;
    EXPECT_NE(text.find("\nPL "), std::string::npos) << text;

    // An empty list gives the header only, with the message.
    gclear_objs();
    setenv("METAOUT", empty.c_str(), 1);
    CaptureStdio io;
    EXPECT_EQ(gobj_print_meta(), 0);
    io.finish();
    EXPECT_NE(io.err().find("gobj_print_meta: No redraw data to make metafile from"),
              std::string::npos)
        << io.err();
    EXPECT_EQ(vyktest::read_file(empty).find("\nPL "), std::string::npos);

    setenv("METAOUT", "/dev/null/x.meta", 1);
    EXPECT_EQ(gobj_print_meta(), -1);
    EXPECT_EQ(gget_win_type(), GWS_X11);
    unsetenv("METAOUT");
    gclose_ws(1);
}
