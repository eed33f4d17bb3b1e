// X11 windows on the test X server: the own window (size, title, class and hints as xwininfo
// and xprop show them, geometry from resources and X defaults), the reused display connection
// and drawing into a window of the loop window program.
#include <gtest/gtest.h>

#include "test_util.h"

#include "gks.h"
#include "gks_x11.h"
#include "gks_internal.h"
#include "vyk.h"

#include <X11/Xutil.h>

#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

using vyktest::has;
using vyktest::CaptureStdio;
using vyktest::run;

namespace {

std::string xwininfo(Window win) { return run("xwininfo -id " + std::to_string(win)).out; }
std::string xprop(Window win) { return run("xprop -id " + std::to_string(win)).out; }

// The number after a label in xwininfo's output; -1 when the label is missing.
int field(const std::string &info, const std::string &label)
{
    const size_t p = info.find(label);
    return p == std::string::npos ? -1 : std::atoi(info.c_str() + p + label.size());
}

int open_fds()
{
    int n = 0;
    if (DIR *d = opendir("/proc/self/fd")) {
        while (readdir(d)) n++;
        closedir(d);
    }
    return n;
}

void open_own_window()
{
    ASSERT_EQ(gopen_gks(nullptr, 0), 0);
    ASSERT_EQ(gopen_ws(1, "", GWS_X11), 0);
}

}  // namespace

TEST(GksXwin, OwnWindowHasSizeTitleClassAndHints)
{
    EXPECT_EQ(gset_win_title("Wind_profiler_display"), -1);  // no window yet
    open_own_window();
    EXPECT_EQ(gchk_graphics(), 1);
    EXPECT_EQ(gtype_is_WIN(), 1);
    const Window win = gget_root_window();
    ASSERT_NE(win, 0u);
    EXPECT_NE(gget_base_window(), 0u);
    EXPECT_EQ(gget_draw_window(), gget_base_window());
    EXPECT_STREQ(gget_win_title(), "Wind profiler display");

    const std::string info = xwininfo(win);
    EXPECT_TRUE(has(info, "\"Wind profiler display\"")) << info;
    EXPECT_TRUE(has(info, "Width: 640")) << info;
    EXPECT_TRUE(has(info, "Height: 512")) << info;
    EXPECT_TRUE(has(info, "Border width: 5")) << info;
    EXPECT_TRUE(has(info, "Backing Store State: Always")) << info;
    const std::string prop = xprop(win);
    EXPECT_TRUE(has(prop, "WM_CLASS(STRING) = \"V11_Ududi\", \"Vyk\"")) << prop;
    EXPECT_TRUE(has(prop, "WM_ICON_NAME(STRING) = \"Wind profiler display\"")) << prop;
    EXPECT_TRUE(has(prop, "Client accepts input or input focus: True")) << prop;
    EXPECT_TRUE(has(prop, "Initial state is Normal State.")) << prop;
    EXPECT_TRUE(has(prop, "bitmap id # to use for icon")) << prop;
    EXPECT_TRUE(has(prop, "program specified location: 100, 100")) << prop;
    EXPECT_TRUE(has(prop, "program specified size: 640 by 512")) << prop;

    int w, h;
    gget_win_size(&w, &h);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 512);
    gget_root_size(&w, &h);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 512);
    EXPECT_EQ(gget_win_depth(), DefaultDepth(gget_display(), gget_screen()));
    EXPECT_NE(gget_red_mask(), 0u);

    EXPECT_EQ(gset_win_title_extra("12Z"), 0);
    EXPECT_TRUE(has(xwininfo(win), "\"Wind profiler display 12Z\""));
    char extra[80];
    EXPECT_EQ(gget_win_title_extra(extra, sizeof extra), 0);
    EXPECT_STREQ(extra, "12Z");
    EXPECT_EQ(gset_win_title_extra(""), 0);
    EXPECT_EQ(gget_win_title_extra(extra, sizeof extra), 0);
    EXPECT_STREQ(extra, "");

    EXPECT_EQ(gupdate_window(), 0);
    EXPECT_EQ(gget_cursor_type(), 8);
    EXPECT_EQ(gset_cursor(6), 8);
    EXPECT_EQ(gset_cursor_type(42), 6);  // no such cursor: only recorded
    EXPECT_EQ(gget_cursor_type(), 42);

    EXPECT_EQ(gclose_ws(1), 0);
    EXPECT_EQ(gchk_graphics(), 0);
    EXPECT_EQ(gget_root_window(), 0u);
    EXPECT_EQ(gupdate_window(), -1);
    EXPECT_EQ(gset_win_title_extra("x"), -1);
    EXPECT_NE(run("xwininfo -id " + std::to_string(win)).status, 0);  // destroyed
    EXPECT_EQ(gclose_ws(1), -1);
}

TEST(GksXwin, GeometryFromResourceAndOverride)
{
    struct Case {
        const char *resource;  // nullptr: none
        const char *override_geom;
        int x, y, width, height;
        const char *hint;
    };
    const Case cases[] = {
        {nullptr, "", 100, 100, 640, 512, "program specified size: 640 by 512"},
        {"320x240", "", 100, 100, 320, 240, "user specified size: 320 by 240"},
        {"320x240", "400x300+30+40", 30, 40, 400, 300, "user specified location: 30, 40"},
        {"-10-20", "", 630, 492, 640, 512, "user specified location: 630, 492"},
    };
    gopen_gks(nullptr, 0);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.hint);
        if (c.resource) RES_put("geometry", c.resource);
        gset_geometry(c.override_geom);
        ASSERT_EQ(gopen_ws(1, "", GWS_X11), 0);
        const Window win = gget_root_window();
        const std::string info = xwininfo(win);
        EXPECT_EQ(field(info, "Absolute upper-left X:"), c.x) << info;
        EXPECT_EQ(field(info, "Absolute upper-left Y:"), c.y) << info;
        EXPECT_EQ(field(info, "Width:"), c.width) << info;
        EXPECT_EQ(field(info, "Height:"), c.height) << info;
        EXPECT_TRUE(has(xprop(win), c.hint)) << xprop(win);
        EXPECT_EQ(gclose_ws(1), 0);
    }
}

TEST(GksXwin, GeometryAndIconicFromXDefaults)
{
    // The defaults are looked up under a program name of this test only, so that windows of
    // tests running at the same time are not affected; the server's database is restored.
    const std::string saved = run("xrdb -nocpp -query").out;
    vyktest::TempDir dir;
    vyktest::write_file(dir.file("saved"), saved);
    vyktest::write_file(dir.file("add"), "GksDefaultsTest.geometry: 300x200+10+20\n"
                                         "GksDefaultsTest.iconic: On\n");
    ASSERT_EQ(run("xrdb -nocpp -merge " + dir.file("add")).status, 0);
    gset_prog_name("GksDefaultsTest");
    open_own_window();
    const Window win = gget_root_window();
    const std::string info = xwininfo(win), prop = xprop(win);
    run("xrdb -nocpp -load " + dir.file("saved"));
    EXPECT_EQ(field(info, "Width:"), 300) << info;
    EXPECT_EQ(field(info, "Height:"), 200) << info;
    EXPECT_EQ(field(info, "Absolute upper-left X:"), 10) << info;
    EXPECT_EQ(field(info, "Absolute upper-left Y:"), 20) << info;
    EXPECT_TRUE(has(prop, "WM_CLASS(STRING) = \"GksDefaultsTest\", \"Vyk\"")) << prop;
    EXPECT_TRUE(has(prop, "Initial state is Iconic State.")) << prop;
    gclose_ws(1);

    // The icon resource turns it off again.
    RES_put("icon", "off");
    ASSERT_EQ(gopen_ws(1, "", GWS_X11), 0);
    EXPECT_TRUE(has(xprop(gget_root_window()), "Initial state is Normal State."));
    gclose_ws(1);
}

TEST(GksXwin, DisplayConnectionIsReused)
{
    open_own_window();
    Display *first = gget_display();
    ASSERT_EQ(gclose_ws(1), 0);
    EXPECT_EQ(gget_display(), first);  // stays open after the close
    const int fds = open_fds();
    for (int i = 0; i < 20; i++) {
        ASSERT_EQ(gopen_ws(1, "", GWS_X11), 0);
        EXPECT_EQ(gget_display(), first);
        ASSERT_EQ(gclose_ws(1), 0);
    }
    EXPECT_EQ(open_fds(), fds);
}

TEST(GksXwin, ResizeFollowsAndImposesTheWindowSize)
{
    open_own_window();
    const Window win = gget_root_window();
    EXPECT_EQ(gresize_window(-1, -1), 0);  // unchanged
    const Pixmap old_base = gget_base_window();

    Display *other = XOpenDisplay(nullptr);
    ASSERT_NE(other, nullptr);
    XResizeWindow(other, win, 500, 400);
    XSync(other, False);
    XCloseDisplay(other);
    EXPECT_EQ(gresize_window(-1, -1), 1);
    int w, h;
    gget_win_size(&w, &h);
    EXPECT_EQ(w, 500);
    EXPECT_EQ(h, 400);
    EXPECT_NE(gget_base_window(), old_base);
    EXPECT_EQ(gget_draw_window(), gget_base_window());

    EXPECT_EQ(gresize_window(300, 200), 1);
    EXPECT_EQ(field(xwininfo(win), "Width:"), 300);
    EXPECT_EQ(field(xwininfo(win), "Height:"), 200);
    gget_root_size(&w, &h);
    EXPECT_EQ(w, 300);
    EXPECT_EQ(h, 200);
    gclose_ws(1);
}

// ---------------------------------------------------------------------------------------------
// The loop window program's window
// ---------------------------------------------------------------------------------------------

namespace {

// The loop window stand-in, started in the background.
struct LoopWindow {
    vyktest::TempDir dir;
    pid_t pid = -1;

    explicit LoopWindow(const char *mode)
    {
        const std::string out = dir.file("out");
        const std::string prog = vyktest::tool("gks_loopwin_tool");
        pid = fork();
        if (pid == 0) {
            if (!freopen(out.c_str(), "w", stdout)) _exit(3);
            execl(prog.c_str(), prog.c_str(), dir.path().c_str(), mode, nullptr);
            _exit(3);
        }
        // The window-id file appears when the window is ready; however long the program takes
        // to start on a busy machine, it is waited for until it appears or the program ends.
        while (access(dir.file("vovadev.3").c_str(), R_OK) != 0) {
            int st = 0;
            if (waitpid(pid, &st, WNOHANG) == pid) {
                pid = -1;
                break;
            }
            usleep(20000);
        }
        RES_put("file_path", dir.path().c_str());
    }
    ~LoopWindow()
    {
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
    }
    // Waits for the program's end; its exit status.
    int wait()
    {
        int st = 0;
        waitpid(pid, &st, 0);
        pid = -1;
        return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    }
    std::string out() { return vyktest::read_file(dir.file("out")); }
};

}  // namespace

TEST(GksXwin, DrawsIntoLoopWindowAfterFrameHandshake)
{
    // A loop window that sees the notice late still shows the old frame for a while: the
    // handshake waits for the new one.
    for (const char *mode : {"answer", "late"}) {
        SCOPED_TRACE(mode);
        LoopWindow loop(mode);
        gopen_gks(nullptr, 0);
        gset_pix_mode(2);
        ASSERT_EQ(gopen_ws(1, ",w3", GWS_PIX), 0);
        EXPECT_EQ(gtype_is_PIX(), 1);
        EXPECT_STREQ(gget_win_title(), "Plot");  // without the frame number
        EXPECT_NE(gget_root_window(), gget_base_window());
        int w, h;
        gget_win_size(&w, &h);
        EXPECT_EQ(w, 400);
        EXPECT_EQ(h, 300);
        char extra[80];
        EXPECT_EQ(gget_win_title_extra(extra, sizeof extra), 0);
        EXPECT_STREQ(extra, "[4]");

        gset_pix_mode(9);
        EXPECT_EQ(gclose_ws(1), 0);
        EXPECT_EQ(loop.wait(), 0);
        EXPECT_EQ(loop.out(), "notice 2\nnotice 9\n");
        gclose_gks();
    }
}

TEST(GksXwin, FrameHandshakeIsBounded)
{
    for (const char *mode : {"die", "hang"}) {
        SCOPED_TRACE(mode);
        LoopWindow loop(mode);
        gopen_gks(nullptr, 0);
        gset_pix_mode(2);
        CaptureStdio cap;
        const int status = gopen_ws(1, ",w3", GWS_PIX);
        cap.finish();
        EXPECT_EQ(status, -1);
        if (status == 0) gclose_ws(1);
        EXPECT_TRUE(has(cap.err(), "gopen_ws: loop window does not answer\n")) << cap.err();
        EXPECT_EQ(gchk_graphics(), 0);
        EXPECT_EQ(gget_root_window(), 0u);
        gclose_gks();
    }
}

TEST(GksXwin, WindowDescriptions)
{
    // A window with a pixmap made on a connection of the test's own.
    Display *own = XOpenDisplay(nullptr);
    ASSERT_NE(own, nullptr);
    const int scr = DefaultScreen(own);
    const Window win = XCreateSimpleWindow(own, RootWindow(own, scr), 0, 0, 640, 512, 0, 0, 0);
    const Pixmap pix = XCreatePixmap(own, win, 640, 512, DefaultDepth(own, scr));
    XStoreName(own, win, "Radar [12]");
    XSync(own, False);
    const std::string w = std::to_string(win), p = std::to_string(pix);
    char hex[32];
    std::snprintf(hex, sizeof hex, "0x%lx", pix);

    vyktest::TempDir dir;
    RES_put("file_path", dir.path().c_str());
    vyktest::write_file(dir.file("vovadev.3"), "+" + w + ":" + p + ":640x512\n");
    vyktest::write_file(dir.file("vovadev.12"), p + ":800x600:33 more words\n");
    vyktest::write_file(dir.file("vovadev.win"), std::string(hex) + ":320x200\n");
    vyktest::write_file(dir.file("abc"), p + "\n");
    vyktest::write_file(dir.file("long"), std::string(300, '1') + ":640x512\n");
    vyktest::write_file(dir.file("empty"), "");

    struct Case {
        std::string desc;
        int status;
        Window root;
        int width, height;
        const char *title;
        const char *message;
    };
    const Case cases[] = {
        {"w3", 0, win, 640, 512, "Radar", nullptr},
        {"W12", 0, pix, 800, 600, "Radar", nullptr},  // the pixmap stands for the window
        {"w", 0, pix, 320, 200, "Radar", nullptr},
        {"Wx", 0, pix, 320, 200, "Radar", nullptr},
        {"abc", 0, pix, 640, 512, "Radar", nullptr},
        {"+" + w + ":" + p, 0, win, 640, 512, "Radar", nullptr},
        {"0", -1, 0, 0, 0, nullptr, "gopen_ws: window id not specified\n"},
        {"long", -1, 0, 0, 0, nullptr, "gopen_ws: window id not specified\n"},
        {"empty", -1, 0, 0, 0, nullptr, "gopen_ws: window id not specified\n"},
        {"w5", -1, 0, 0, 0, nullptr, "gopen_ws: unable to open window id file\n"},
    };
    gopen_gks(nullptr, 0);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.desc);
        gset_win_title("Radar");
        CaptureStdio cap;
        const int status = gopen_ws(1, ("," + c.desc).c_str(), GWS_PIX);
        cap.finish();
        ASSERT_EQ(status, c.status) << cap.err();
        if (c.message) {
            EXPECT_TRUE(has(cap.err(), c.message)) << cap.err();
            continue;
        }
        EXPECT_FALSE(has(cap.err(), "X11 error")) << cap.err();
        EXPECT_EQ(gget_root_window(), c.root);
        EXPECT_EQ(gget_base_window(), pix);
        int width, height;
        gget_win_size(&width, &height);
        EXPECT_EQ(width, c.width);
        EXPECT_EQ(height, c.height);
        EXPECT_STREQ(gget_win_title(), c.title);
        EXPECT_EQ(gclose_ws(1), 0);
    }

    // The geometry places the drawing within the loop window.
    struct Geom {
        const char *geom;
        int x, y, w, h;
    };
    const Geom geoms[] = {
        {"1000x1000+0+0", 0, 0, 640, 512},
        {"P2x2+1+0", 320, 0, 320, 256},
        {"200x100+5+6", 5, 6, 200, 100},
        {"200x100", 0, 0, 200, 100},
    };
    for (const Geom &g : geoms) {
        SCOPED_TRACE(g.geom);
        gset_geometry(g.geom);
        ASSERT_EQ(gopen_ws(1, ",w3", GWS_PIX), 0);
        int x, y, width, height;
        gget_win_offset(&x, &y);
        gget_win_size(&width, &height);
        EXPECT_EQ(x, g.x);
        EXPECT_EQ(y, g.y);
        EXPECT_EQ(width, g.w);
        EXPECT_EQ(height, g.h);
        EXPECT_EQ(gclose_ws(1), 0);
    }
    // The loop window and its pixmap belong to their program: closing leaves them alone.
    XWindowAttributes attrs;
    EXPECT_NE(XGetWindowAttributes(own, win, &attrs), 0);
    XCloseDisplay(own);
}
