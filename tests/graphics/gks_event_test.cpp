// Events and the hold loop on an X server of the test's own (the pointer and the keyboard are
// the server's, so no other test may share them): keys and buttons typed with xdotool into the
// hold tool's window and the names its callback receives, the end of the hold, resizes, the
// refresh function, the loop window notices, the dumps; in-process: the mapped state, events
// outside the hold, the rubber band.
#include <gtest/gtest.h>

#include "test_util.h"

#include "gks.h"
#include "gks_x11.h"
#include "gks_internal.h"
#include "vyk.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using vyktest::has_line;
using vyktest::has;
using vyktest::run;

namespace {

using vyktest::PrivateX;

// An Xvfb of the test's own on a free display number, made current only by use().
struct EventX : PrivateX {
    EventX() : PrivateX("800x600x24", false) {}
    /// Runs an xdotool command line on the server.
    int xdo(const std::string &args) const
    {
        return run("DISPLAY=" + name() + " xdotool " + args).status;
    }
};

// The hold tool running on the private server, its output read line by line.
class HoldTool : public vyktest::ToolProcess {
public:
    HoldTool(const PrivateX &x, const std::vector<std::string> &args)
        : ToolProcess(vyktest::tool("gks_hold_tool"), args, {"DISPLAY=" + x.name()})
    {
    }
};

struct Event {
    int kind = 0;
    std::string name;
    float x = 0, y = 0;
    int px = -1, py = -1;
};

// "event KIND [NAME] X Y PX PY" (PX and PY not for "size").
bool parse_event(const std::string &line, Event &e)
{
    const size_t open = line.find('['), close = line.rfind(']');
    if (line.compare(0, 6, "event ") != 0 || open == std::string::npos ||
        close == std::string::npos || close < open)
        return false;
    e.kind = std::atoi(line.c_str() + 6);
    e.name = line.substr(open + 1, close - open - 1);
    std::istringstream in(line.substr(close + 1));
    in >> e.x >> e.y;
    if (!(in >> e.px >> e.py)) e.px = e.py = -1;
    return true;
}

// A modifier key pressed alone reaches the callback too, with no text of its own: its name is
// empty or only the suffixes of the modifiers held before it.
bool modifier_alone(const Event &e) { return e.kind == 2 && (e.name.empty() || e.name[0] == '-'); }

std::vector<Event> events_in(const std::vector<std::string> &lines, bool modifiers = false)
{
    std::vector<Event> events;
    Event e;
    for (const std::string &l : lines)
        if (parse_event(l, e) && (modifiers || !modifier_alone(e))) events.push_back(e);
    return events;
}

std::vector<std::string> names_of(const std::vector<Event> &events)
{
    std::vector<std::string> names;
    for (const Event &e : events) names.push_back(e.name);
    return names;
}

// Starts the tool, points into its window and waits until its hold reacts to keys: the key "s"
// is typed until the callback reports it (keys before the hold do nothing).  Returns the window.
unsigned long start_holding(const EventX &x, HoldTool &tool)
{
    const std::string open = tool.wait_for("window ");
    if (open.empty()) return 0;
    const unsigned long win = std::strtoul(open.c_str() + 7, nullptr, 10);
    x.xdo("mousemove --window " + std::to_string(win) + " 100 80");
    // Keys typed before the window takes them are lost, so "s" is typed until one arrives;
    // under load more than one may be on its way by then.  A last key "t" is typed and read:
    // the server keeps the order of the keys, so every "s" before it has been read with it.
    auto read_until = [&](const char *name, int timeout_ms) {
        std::string l;
        while (tool.line(l, timeout_ms)) {
            Event e;
            if (parse_event(l, e) && e.name == name) return true;
        }
        return false;
    };
    for (int attempt = 0; attempt < 100; attempt++) {
        x.xdo("key s");
        if (!read_until("s", 200)) continue;
        x.xdo("key t");
        return read_until("t", 20000) ? win : 0;
    }
    return 0;
}

std::string window_name(Display *display, Window win)
{
    char *name = nullptr;
    std::string text;
    if (XFetchName(display, win, &name) && name) text = name;
    if (name) XFree(name);
    return text;
}

void send_notice(Display *display, Window win, int code)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = win;
    event.xclient.message_type = XA_NOTICE;
    event.xclient.format = 8;
    event.xclient.data.b[0] = static_cast<char>(code);
    XSendEvent(display, win, True, 0, &event);
    XSync(display, False);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Through the hold tool and xdotool
// ---------------------------------------------------------------------------------------------

TEST(GksEvent, KeysEndTheHoldAndReachTheCallbackByName)
{
    EventX x;
    ASSERT_FALSE(x.name().empty());
    struct Case {
        const char *keys;
        std::vector<std::string> names;
        std::vector<std::string> with_modifiers;  // every call, when given
    };
    const Case cases[] = {
        {"Return", {"Ret"}, {"Ret"}},
        // Only the unshifted letter with Alt ends the hold.
        {"shift+q alt+q", {"Q-Shft", "q-Alt"}, {"", "Q-Shft", "", "q-Alt"}},
        {"g bracketright ctrl+Return", {"g", "]", "Ret-Cntrl"}, {}},
        {"alt+shift+q ctrl+alt+Return", {"Q-Alt-Shft", "Ret-Alt-Cntrl"}, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.keys);
        HoldTool tool(x, {});
        ASSERT_NE(start_holding(x, tool), 0u) << tool.output();
        ASSERT_EQ(x.xdo(std::string("key ") + c.keys), 0);
        const std::vector<std::string> lines = tool.rest();
        const std::vector<Event> events = events_in(lines);
        EXPECT_EQ(names_of(events), c.names) << tool.output();
        if (!c.with_modifiers.empty()) {
            EXPECT_EQ(names_of(events_in(lines, true)), c.with_modifiers);
        }
        for (const Event &e : events) {
            EXPECT_EQ(e.kind, 2);
            // The pointer's position, in world coordinates and back.
            EXPECT_NEAR(e.px, 100, 1);
            EXPECT_NEAR(e.py, 80, 1);
        }
        EXPECT_TRUE(has_line(lines, "hold 0")) << tool.output();
        EXPECT_EQ(tool.status(), 0);
    }
}

TEST(GksEvent, ButtonsReachTheCallbackWithPositionAndModifiers)
{
    EventX x;
    ASSERT_FALSE(x.name().empty());
    HoldTool tool(x, {});
    const unsigned long win = start_holding(x, tool);
    ASSERT_NE(win, 0u) << tool.output();
    const std::string w = std::to_string(win);
    ASSERT_EQ(x.xdo("mousemove --window " + w + " 200 150 click 1"), 0);
    ASSERT_EQ(x.xdo("keydown shift click 1 keyup shift"), 0);
    ASSERT_EQ(x.xdo("mousemove --window " + w + " 300 40 keydown alt click 3 keyup alt"), 0);
    ASSERT_EQ(x.xdo("key Return"), 0);
    const std::vector<Event> events = events_in(tool.rest());
    const std::vector<std::string> expected = {"B1-P",     "B1-R",     "B1-P-Shft", "B1-R-Shft",
                                               "B3-P-Alt", "B3-R-Alt", "Ret"};
    ASSERT_EQ(names_of(events), expected) << tool.output();
    for (size_t i = 0; i + 1 < events.size(); i++) {
        SCOPED_TRACE(events[i].name);
        EXPECT_EQ(events[i].kind, 3);
        EXPECT_NEAR(events[i].px, i < 4 ? 200 : 300, 1);
        EXPECT_NEAR(events[i].py, i < 4 ? 150 : 40, 1);
    }
    EXPECT_EQ(tool.status(), 0);
}

TEST(GksEvent, ResizeCallsTheCallbackWithTheNewSizeAndAMoveDoesNot)
{
    EventX x;
    ASSERT_FALSE(x.name().empty());
    HoldTool tool(x, {});
    const unsigned long win = start_holding(x, tool);
    ASSERT_NE(win, 0u) << tool.output();
    const std::string w = std::to_string(win);
    ASSERT_EQ(x.xdo("windowmove " + w + " 20 30"), 0);
    ASSERT_EQ(x.xdo("windowsize " + w + " 400 300"), 0);
    const std::string size = tool.wait_for("event 2 [size]");
    EXPECT_EQ(size, "event 2 [size] 400 300") << tool.output();
    // The hold goes on after the resize.
    ASSERT_EQ(x.xdo("mousemove --window " + w + " 10 10 key Return"), 0);
    const std::vector<std::string> lines = tool.rest();
    EXPECT_EQ(names_of(events_in(lines)), std::vector<std::string>{"Ret"}) << tool.output();
    EXPECT_EQ(tool.status(), 0);
    const std::string &out = tool.output();
    EXPECT_EQ(out.find("event 2 [size]"), out.rfind("event 2 [size]")) << out;  // only one
}

TEST(GksEvent, RefreshFunctionRunsDuringAPollingHold)
{
    EventX x;
    ASSERT_FALSE(x.name().empty());
    HoldTool tool(x, {"-refresh", "1"});
    ASSERT_NE(start_holding(x, tool), 0u) << tool.output();
    EXPECT_EQ(tool.wait_for("refresh"), "refresh") << tool.output();
    EXPECT_EQ(tool.wait_for("refresh"), "refresh") << tool.output();
    ASSERT_EQ(x.xdo("key alt+q"), 0);
    const std::vector<std::string> lines = tool.rest();
    EXPECT_EQ(names_of(events_in(lines)), std::vector<std::string>{"q-Alt"}) << tool.output();
    EXPECT_TRUE(has_line(lines, "hold 0")) << tool.output();
    EXPECT_EQ(tool.status(), 0);
}

TEST(GksEvent, NoticesRestoreTheTitleAndCodeNineEndsTheHold)
{
    EventX x;
    ASSERT_FALSE(x.name().empty());
    HoldTool tool(x, {"-title", "Wind profiler", "-extra", "busy"});
    const unsigned long win = start_holding(x, tool);
    ASSERT_NE(win, 0u) << tool.output();
    Display *display = XOpenDisplay(x.name().c_str());
    ASSERT_NE(display, nullptr);
    EXPECT_EQ(window_name(display, win), "Wind profiler busy");
    send_notice(display, win, 5);
    std::string name;
    for (int i = 0; i < 400 && (name = window_name(display, win)) != "Wind profiler"; i++)
        usleep(50000);
    EXPECT_EQ(name, "Wind profiler");
    send_notice(display, win, 9);
    const std::vector<std::string> lines = tool.rest();
    XCloseDisplay(display);
    EXPECT_TRUE(has_line(lines, "hold 0")) << tool.output();
    EXPECT_TRUE(events_in(lines).empty()) << tool.output();
    EXPECT_EQ(tool.status(), 0);
}

TEST(GksEvent, DumpKeysWriteTheirFiles)
{
    EventX x;
    ASSERT_FALSE(x.name().empty());
    vyktest::TempDir dir;
    const std::string meta = dir.file("alt.meta");
    setenv("METAOUT", meta.c_str(), 1);  // the tool inherits it
    HoldTool tool(x, {"-title", "Wind profiler", "-ip", dir.path()});
    ASSERT_NE(start_holding(x, tool), 0u) << tool.output();
    // Writing the metafile reads the events already queued before Alt-m's callback runs, so
    // Return is typed only once that callback has been seen.
    ASSERT_EQ(x.xdo("key alt+x alt+g alt+m"), 0);
    std::vector<std::string> lines;
    for (std::string l; tool.line(l, 20000);) {
        lines.push_back(l);
        if (has(l, "[m-Alt]")) break;
    }
    ASSERT_EQ(x.xdo("key Return"), 0);
    for (const std::string &l : tool.rest()) lines.push_back(l);
    EXPECT_EQ(names_of(events_in(lines)),
              (std::vector<std::string>{"x-Alt", "g-Alt", "m-Alt", "Ret"}));
    // Alt-m writes the display list to the metafile named by METAOUT.
    struct stat st;
    EXPECT_EQ(stat(meta.c_str(), &st), 0) << tool.output();
    for (const char *kind : {"XWD", "GIF"}) {
        SCOPED_TRACE(kind);
        const std::string file =
            dir.file(std::string("Wind_.") + (kind[0] == 'X' ? "xwd" : "gif"));
        const std::string created = std::string("Created ") + kind + " file: " + file;
        const std::string failed =
            std::string("gprocess_x11_event: Unable to write ") + kind + " file: " + file;
        // The window capture may not be available yet; the name is the point here.
        if (has(tool.output(), created)) {
            EXPECT_EQ(stat(file.c_str(), &st), 0);
        } else {
            EXPECT_TRUE(has(tool.output(), failed)) << tool.output();
        }
    }
    EXPECT_EQ(tool.status(), 0);
}

TEST(GksEvent, PrintEventShowsEventsAsTheyArrive)
{
    EventX x;
    ASSERT_FALSE(x.name().empty());
    HoldTool tool(x, {"-print"});
    const std::string open = tool.wait_for("window ");
    ASSERT_FALSE(open.empty()) << tool.output();
    const std::string win = std::to_string(std::strtoul(open.c_str() + 7, nullptr, 10));
    std::string seen;
    // Keys typed before the window takes them are lost: "a" is typed until one is seen.
    for (int attempt = 0; attempt < 100 && seen.empty(); attempt++) {
        x.xdo("mousemove --window " + win + " 50 50 key a");
        std::string l;
        while (seen.empty() && tool.line(l, 200))
            if (has(l, "Event: KeyPress window " + win)) seen = l;
    }
    EXPECT_FALSE(seen.empty()) << tool.output();
}

// ---------------------------------------------------------------------------------------------
// In-process
// ---------------------------------------------------------------------------------------------

namespace {

struct Call {
    int kind;
    std::string name;
    float x, y;
};
std::vector<Call> calls;

int record(int kind, const char *event, float x, float y)
{
    calls.push_back({kind, event, x, y});
    return 0;
}

void open_window(const PrivateX &x)
{
    x.use();
    ASSERT_EQ(gopen_gks(nullptr, 0), 0);
    ASSERT_EQ(gopen_ws(1, "", GWS_X11), 0);
}

// Queues an event for the own window as the server would deliver it.
void queue(XEvent event, long mask)
{
    Display *display = gget_display();
    event.xany.display = display;
    event.xany.window = gget_root_window();
    XSendEvent(display, gget_root_window(), False, mask, &event);
    XSync(display, False);
}

XEvent key_event(KeySym sym, unsigned state)
{
    XEvent event{};
    event.xkey.type = KeyPress;
    event.xkey.root = gget_root_window();
    event.xkey.keycode = XKeysymToKeycode(gget_display(), sym);
    event.xkey.state = state;
    event.xkey.same_screen = True;
    return event;
}

XEvent button_event(int type, unsigned button, int x, int y, unsigned state = 0)
{
    XEvent event{};
    event.xbutton.type = type;
    event.xbutton.display = gget_display();
    event.xbutton.window = gget_root_window();
    event.xbutton.button = button;
    event.xbutton.x = x;
    event.xbutton.y = y;
    event.xbutton.state = state;
    event.xbutton.same_screen = True;
    return event;
}

unsigned long window_pixel(int x, int y)
{
    XImage *image = XGetImage(gget_display(), gget_root_window(), x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image) return ~0ul;
    const unsigned long p = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    return p;
}

}  // namespace

TEST(GksEvent, WindowCountsAsMappedFromTheOpenAndFollowsMapAndUnmap)
{
    EventX x;
    ASSERT_FALSE(x.name().empty());
    EXPECT_EQ(gis_mapped(), 0);
    open_window(x);
    // No window manager: the open consumed the MapNotify itself.
    EXPECT_EQ(gis_mapped(), 1);
    Display *display = gget_display();
    XUnmapWindow(display, gget_root_window());
    XSync(display, False);
    gcheck_event();
    EXPECT_EQ(gis_mapped(), 0);
    XMapWindow(display, gget_root_window());
    XSync(display, False);
    gcheck_event();
    EXPECT_EQ(gis_mapped(), 1);
    gclose_ws(1);
}

TEST(GksEvent, OutsideTheHoldKeysOnlyCountAndButtonsStillCallBack)
{
    EventX x;
    ASSERT_FALSE(x.name().empty());
    open_window(x);
    calls.clear();
    EXPECT_EQ(gset_mouse_callback(record), 1);
    queue(key_event(XK_Return, 0), KeyPressMask);
    queue(key_event(XK_q, Mod1Mask), KeyPressMask);
    EXPECT_EQ(gcheck_event(), 2);  // two user events, nothing else
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(gget_input_mode(), 1);

    // A press is not a user event, its release is; both reach the callback.
    queue(button_event(ButtonPress, 2, 30, 40, ControlMask), ButtonPressMask);
    EXPECT_EQ(gcheck_event(), 0);
    queue(button_event(ButtonRelease, 2, 30, 40, ControlMask | Button2Mask), ButtonReleaseMask);
    EXPECT_EQ(gcheck_event(), 1);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].name, "B2-P-Cntrl");
    EXPECT_EQ(calls[1].name, "B2-R-Cntrl");
    EXPECT_EQ(calls[0].kind, 3);
    EXPECT_NEAR(xW_p(calls[0].x), 30, 1);
    EXPECT_NEAR(yW_p(calls[0].y), 40, 1);

    // Events are read only while the event-processing switch is on.
    gset_cache(0);
    queue(button_event(ButtonPress, 1, 30, 40), ButtonPressMask);
    EXPECT_EQ(gcheck_event(), 0);
    EXPECT_EQ(calls.size(), 2u);
    gset_cache(1);
    gcheck_event();
    EXPECT_EQ(calls.size(), 3u);

    EXPECT_EQ(gset_mouse_callback(nullptr), 1);
    gset_input_mode(1);
    EXPECT_EQ(gget_input_mode(), 1);
    gset_input_mode(5);
    EXPECT_EQ(gget_input_mode(), 1);
    gclose_ws(1);
    // Not on the window: nothing is read and the hold returns at once.
    EXPECT_EQ(gcheck_event(), 0);
    EXPECT_EQ(ghold(1), 0);
}

TEST(GksEvent, RubberBandFollowsThePointerWithinItsLimits)
{
    EventX x;
    ASSERT_FALSE(x.name().empty());
    open_window(x);
    Glim win{0, 639, 0, 511};
    Glim vp{0, 1, 0, 0.8f};
    gset_win(1, &win);
    gset_vp(1, &vp);
    gsel_norm_tran(1);
    calls.clear();
    gset_mouse_callback(record);
    gupdate_window();
    const unsigned long background = window_pixel(5, 5);

    // A rectangle from the press point, limited to the box (50, 50) - (300, 250).
    const Gpt limits[2] = {{xp_W(50), yp_W(50)}, {xp_W(300), yp_W(250)}};
    gset_rubber_band(2);
    gset_rubber_band_limits(limits);
    XEvent press = button_event(ButtonPress, 1, 100, 100, Mod1Mask);
    gprocess_x11_event(&press);
    XEvent move = button_event(MotionNotify, 0, 200, 150);
    move.xmotion.type = MotionNotify;
    move.xmotion.x = 200;
    move.xmotion.y = 150;
    gprocess_x11_event(&move);
    XSync(gget_display(), False);
    EXPECT_NE(window_pixel(200, 125), background);  // the band's right edge
    XEvent release = button_event(ButtonRelease, 1, 400, 300, Mod1Mask | Button1Mask);
    gprocess_x11_event(&release);
    XSync(gget_display(), False);

    EXPECT_EQ(window_pixel(200, 125), background);  // erased
    EXPECT_NE(window_pixel(300, 175), background);  // the final band ends at the box edge
    EXPECT_NE(window_pixel(200, 250), background);
    EXPECT_EQ(window_pixel(350, 175), background);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].name, "B1-R-Alt");
    // The callback gets the release position itself.
    EXPECT_NEAR(xW_p(calls[1].x), 400, 1);
    EXPECT_NEAR(yW_p(calls[1].y), 300, 1);

    // One-shot: the next drag draws nothing.
    gprocess_x11_event(&press);
    gprocess_x11_event(&move);
    XSync(gget_display(), False);
    EXPECT_EQ(window_pixel(200, 125), background);
    gclose_ws(1);
}
