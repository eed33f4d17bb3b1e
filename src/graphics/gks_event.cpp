// Events and the hold loop of the own window: the reader and dispatcher of its X11 events, every
// key and button binding, the rubber band, resizes and exposures, the notices of a drawer in the
// loop window protocol, the key-driven dumps, and the hold loop that keeps a finished picture on
// the screen.  Events are read only on the own window and only while the event-processing switch
// is on; nothing here waits for an event except the hold loop.
#include "gks.h"
#include "gks_x11.h"
#include "gks_internal.h"
#include "vyk.h"
#include "img.h"
#include "vykresrc.h"

#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

constexpr int NUM_PTS = 5;
constexpr int NAME_SIZE = 80;  // event names hold at most 79 characters
constexpr int GC_COPY = 3;     // GXcopy
constexpr int GC_XOR = 6;      // GXxor

// The hold: 0 outside, 1 holding, 2 holding after a key, 3 the hold is to end.
int input_mode = 0;
int user_event = 0;   // the event just handled was a key press or a button release
int mapped = 0;
int Expose_cnt = 0;   // an exposure of the present burst has been answered
Gmouse_func mouse_CB = nullptr;

int rubber_band = 0;       // 0 none, 1 line, 2 rectangle, 3 lines to fixed points
int rubber_band_con = 0;   // mode 3: 0 free, 1 x fixed, 2 y fixed
int rubber_band_num = 0;   // mode 3: number of points given
XPoint rubber_band_lim[2] = {{VYK_MISS, VYK_MISS}, {VYK_MISS, VYK_MISS}};
XPoint pts[NUM_PTS] = {{VYK_MISS, VYK_MISS}, {VYK_MISS, VYK_MISS}, {VYK_MISS, VYK_MISS},
                       {VYK_MISS, VYK_MISS}, {VYK_MISS, VYK_MISS}};
int pt_ind = 0;            // a button has been pressed or released
bool band_shown = false;   // a band is on the window in exclusive-or (erased by drawing it again)

int refresh = 0;                        // seconds between refresh calls, 0 none
Grefresh_func refresh_CB = nullptr;

bool events_on()
{
    return gchk_graphics() && (gdev().caps & GDEV_OWN_WINDOW) && gget_cache() && gget_display() &&
           gget_root_window();
}

short to_short(long v)
{
    if (v > 32767) return 32767;
    if (v < -32768) return -32768;
    return static_cast<short>(v);
}

// World point to window pixels, rounded as the rubber band wants them.
XPoint to_pixels(const Gpt &p)
{
    return XPoint{to_short(static_cast<long>(xW_p(p.x) + 0.5f)),
                  to_short(static_cast<long>(yW_p(p.y) + 0.5f))};
}

// Window pixels to world coordinates, through the magnification of the shown picture.
void to_world(int x, int y, float &wx, float &wy)
{
    float px = static_cast<float>(x), py = static_cast<float>(y);
    if (gget_zoom() > 1) {
        px = xZ_p(px);
        py = yZ_p(py);
    }
    wx = xp_W(px);
    wy = yp_W(py);
}

// The event name: the base name and the suffixes of the modifiers held.
void event_name(char (&name)[NAME_SIZE], const char *base, unsigned state)
{
    std::snprintf(name, sizeof name, "%s%s%s%s", base, (state & Mod1Mask) ? "-Alt" : "",
                  (state & ShiftMask) ? "-Shft" : "", (state & ControlMask) ? "-Cntrl" : "");
}

void call_mouse(int kind, const char *name, float x, float y)
{
    if (!mouse_CB) return;
    const int previous = gset_cursor(1);
    mouse_CB(kind, name, x, y);
    gset_cursor(previous);
}

// Loop delay steps of the keys and buttons.
void loop_slower() { ginc_loop_delay(gget_loop_delay() < 0.09f ? 0.05f : 0.1f); }
void loop_faster() { ginc_loop_delay(gget_loop_delay() <= 0.11f ? -0.05f : -0.1f); }

// ---------------------------------------------------------------------------------------------
// The rubber band
// ---------------------------------------------------------------------------------------------

XPoint limited(int x, int y)
{
    XPoint p{to_short(x), to_short(y)};
    if (rubber_band_lim[0].x == VYK_MISS) return p;
    if (p.x < rubber_band_lim[0].x) p.x = rubber_band_lim[0].x;
    if (p.x > rubber_band_lim[1].x) p.x = rubber_band_lim[1].x;
    if (p.y < rubber_band_lim[0].y) p.y = rubber_band_lim[0].y;
    if (p.y > rubber_band_lim[1].y) p.y = rubber_band_lim[1].y;
    return p;
}

// Moves the band's moving end to a pointer position.
void move_band(int x, int y)
{
    const XPoint p = limited(x, y);
    if (rubber_band != 3) {
        pts[1] = p;
        return;
    }
    if (rubber_band_con != 1) pts[0].x = p.x;
    if (rubber_band_con != 2) pts[0].y = p.y;
}

void draw_band()
{
    const Drawable win = gget_root_window();
    if (!win) return;
    if (rubber_band == 1) {
        gxline(win, &pts[0], &pts[1]);
    } else if (rubber_band == 3) {
        if (pts[1].x != VYK_MISS) gxline(win, &pts[0], &pts[1]);
        if (rubber_band_num > 2 && pts[2].x != VYK_MISS) gxline(win, &pts[0], &pts[2]);
    } else {
        gxrect(win, &pts[0], &pts[1]);
    }
}

void end_band()
{
    rubber_band = 0;
    rubber_band_lim[0] = rubber_band_lim[1] = XPoint{VYK_MISS, VYK_MISS};
    band_shown = false;
}

// ---------------------------------------------------------------------------------------------
// The dumps of Alt-g and Alt-x
// ---------------------------------------------------------------------------------------------

void dump(bool gif)
{
    const int previous = gset_cursor(8);
    const char *kind = gif ? "GIF" : "XWD";
    const char *ext = gif ? "gif" : "xwd";
    const char *title = gget_win_title();
    const char *dir = RES_get("image_path");
    char name[NAME_SIZE];
    char full[FILE_NAME_MAX + 1];
    auto write = [&](int frame) {
        if (frame < 0) std::snprintf(name, sizeof name, "%.5s.%s", title, ext);
        else std::snprintf(name, sizeof name, "%.5s-%2.2d.%s", title, frame, ext);
        fill_string(name, ' ', '_');
        FILE_add_path(dir, name, full);
        return (gif ? GIF_dump(full) : XWD_dump(full)) != 0;
    };
    const int n = gget_num_images();
    if (n >= 2 && gget_looping()) {
        MESS_print(M_MESS, "Creating %s files:\n", kind);
        for (int i = 0; i < n; i++) {
            gselect_frame(i);
            if (write(i))
                MESS_print(M_MESS, "%s\n", full);
            else
                MESS_print(M_WARN, "gprocess_x11_event: Unable to write %s file: %s\n", kind,
                           full);
        }
    } else {
        bool ok;
        if (n >= 2) {
            const int cur = gget_cur_frame();
            gselect_frame(cur);
            ok = write(cur);
        } else {
            ok = write(-1);
        }
        if (ok) MESS_print(M_MESS, "Created %s file: %s\n", kind, full);
        else MESS_print(M_WARN, "gprocess_x11_event: Unable to write %s file: %s\n", kind, full);
    }
    gset_cursor(previous);
}

// ---------------------------------------------------------------------------------------------
// Handling one event
// ---------------------------------------------------------------------------------------------

void key_press(XKeyEvent &key)
{
    if (input_mode == 1) input_mode = 2;
    char text[NAME_SIZE] = "";
    KeySym sym = 0;
    const int len = XLookupString(&key, text, NAME_SIZE - 1, &sym, nullptr);
    text[len > 0 && len < NAME_SIZE ? len : 0] = '\0';
    const char *base = text;
    bool call = true;
    const bool alt = key.state & Mod1Mask;
    if (sym == XK_Return) {
        input_mode = 3;
        base = "Ret";
    } else if (alt) {
        switch (sym) {
        case XK_q: input_mode = 3; break;
        case XK_d: gdelete_frame(-2); break;
        case XK_z: gzoom(-2, key.x, key.y, -2, 0); break;
        case XK_u: {
            const bool zoomed = gget_zoom() > 1;
            gunzoom();
            if (zoomed) call = false;
            break;
        }
        case XK_m: {
            const int previous = gset_cursor(8);
            gobj_print_meta();
            gset_cursor(previous);
            break;
        }
        case XK_g: dump(true); break;
        case XK_x: dump(false); break;
        case XK_l: gtoggle_loop(-1); break;
        case XK_bracketright:
            if (gget_looping()) loop_faster();
            else gdisplay_frame(ginc_frame(1));
            break;
        case XK_bracketleft:
            if (gget_looping()) loop_slower();
            else gdisplay_frame(ginc_frame(-1));
            break;
        default: break;
        }
    }
    if (!call || !mouse_CB) return;
    // The pointer as it is now, after the key's action.
    Display *display = gget_display();
    const Window win = gget_root_window();
    Window root = 0, child = 0;
    int rx = 0, ry = 0, wx = 0, wy = 0;
    unsigned mask = 0;
    if (display && win) XQueryPointer(display, win, &root, &child, &rx, &ry, &wx, &wy, &mask);
    char name[NAME_SIZE];
    event_name(name, base, key.state);
    float x, y;
    to_world(wx, wy, x, y);
    call_mouse(2, name, x, y);
}

void button_press(XButtonEvent &button)
{
    const unsigned b = button.button;
    if (b < 1 || b > 3) return;  // the wheel and extra buttons have no binding
    if (!(button.state & Mod1Mask)) {
        if (b == 1) {
            if (gget_looping()) loop_slower();
            else gdisplay_frame(ginc_frame(-1));
        } else if (b == 2) {
            gtoggle_loop(-1);
        } else {
            if (gget_looping()) loop_faster();
            else gdisplay_frame(ginc_frame(1));
        }
    }
    // Mode 3 keeps its moving and fixed points: a press only starts the tracking.
    if (rubber_band != 3) {
        pts[0] = XPoint{to_short(button.x), to_short(button.y)};
        pts[1] = XPoint{VYK_MISS, VYK_MISS};
        band_shown = false;
    }
    pt_ind = 1;
    char base[8], name[NAME_SIZE];
    std::snprintf(base, sizeof base, "B%u-P", b);
    event_name(name, base, button.state);
    float x, y;
    to_world(button.x, button.y, x, y);
    call_mouse(3, name, x, y);
}

void button_release(XButtonEvent &button)
{
    user_event = 1;
    pt_ind = 1;
    const unsigned b = button.button;
    if (b < 1 || b > 3) return;
    int cx = button.x, cy = button.y;
    if (rubber_band) {
        if (gget_line_gc_func() == GC_COPY) gset_line_gc_func(GC_XOR);
        if (band_shown) draw_band();
        if (gget_line_gc_func() == GC_XOR) gset_line_gc_func(GC_COPY);
        move_band(button.x, button.y);
        if (rubber_band == 3) {
            cx = pts[0].x;
            cy = pts[0].y;
        }
        draw_band();
        if (Display *display = gget_display()) XFlush(display);
        end_band();
    }
    char base[8], name[NAME_SIZE];
    std::snprintf(base, sizeof base, "B%u-R", b);
    event_name(name, base, button.state);
    float x, y;
    to_world(cx, cy, x, y);
    call_mouse(3, name, x, y);
}

void motion(XEvent &event)
{
    // Only the newest of the queued motion events counts.
    Display *display = gget_display();
    XEvent latest = event;
    while (XCheckTypedWindowEvent(display, event.xmotion.window, MotionNotify, &latest)) {
    }
    if (!rubber_band || pt_ind != 1) return;
    if (gget_line_gc_func() == GC_COPY) gset_line_gc_func(GC_XOR);
    if (band_shown) draw_band();
    move_band(latest.xmotion.x, latest.xmotion.y);
    draw_band();
    band_shown = true;
    XFlush(display);
}

// A notice from a drawer of the loop window protocol.
void notice(const XClientMessageEvent &message)
{
    const int code = message.data.b[0];
    if (code == 9) input_mode = 3;
    if (code == 2) {
        gset_win_title_extra("+");
        const int n = gget_num_images();
        if (n < 1) {
            gcreate_frame(0);
            gset_looping(1);
            gswitch_frame(0, -3);
        } else {
            gcreate_frame(-1);
            gcopy_frame(n, n - 1);
            gswitch_frame(n, n - 1);
            gclear_frame(n);
            gsync();
        }
    }
    gset_win_title_extra("");
}

void configure(const XConfigureEvent &config)
{
    if (config.window != gget_root_window()) return;
    if (gresize_window(-1, -1) == 0) return;
    ginit_plot(GINIT_REDRAW);
    int width, height;
    gget_win_size(&width, &height);
    call_mouse(2, "size", static_cast<float>(width), static_cast<float>(height));
}

const char *event_type_name(int type)
{
    static const char *const names[] = {
        "", "", "KeyPress", "KeyRelease", "ButtonPress", "ButtonRelease", "MotionNotify",
        "EnterNotify", "LeaveNotify", "FocusIn", "FocusOut", "KeymapNotify", "Expose",
        "GraphicsExpose", "NoExpose", "VisibilityNotify", "CreateNotify", "DestroyNotify",
        "UnmapNotify", "MapNotify", "MapRequest", "ReparentNotify", "ConfigureNotify",
        "ConfigureRequest", "GravityNotify", "ResizeRequest", "CirculateNotify",
        "CirculateRequest", "PropertyNotify", "SelectionClear", "SelectionRequest",
        "SelectionNotify", "ColormapNotify", "ClientMessage", "MappingNotify", "GenericEvent"};
    if (type >= 2 && type < static_cast<int>(sizeof names / sizeof names[0])) return names[type];
    return "unknown";
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Reading events
// ---------------------------------------------------------------------------------------------

int gprocess_x11_event(XEvent *event)
{
    if (!event || !events_on()) return 0;
    user_event = 0;
    if (event->type != Expose && event->type != ConfigureNotify) Expose_cnt = 0;
    switch (event->type) {
    case Expose:
        if (Expose_cnt == 0) {
            Expose_cnt = 1;
            gupdate_window();
        }
        break;
    case UnmapNotify: mapped = 0; break;
    case MapNotify: mapped = 1; break;
    case FocusIn:
    case FocusOut: break;
    case ConfigureNotify: configure(event->xconfigure); break;
    case ClientMessage: notice(event->xclient); break;
    case KeyPress:
        user_event = 1;
        if (input_mode == 1 || input_mode == 2) key_press(event->xkey);
        break;
    case ButtonPress: button_press(event->xbutton); break;
    case ButtonRelease: button_release(event->xbutton); break;
    case MotionNotify: motion(*event); break;
    default: break;
    }
    return 0;
}

int gcheck_event()
{
    int count = 0;
    // XPending only reads what has arrived: drawing never waits here.
    while (events_on() && XPending(gget_display()) > 0) {
        XEvent event;
        XNextEvent(gget_display(), &event);
        gprocess_x11_event(&event);
        count += user_event;
    }
    return count;
}

int gwait_event()
{
    if (!events_on()) return 0;
    XEvent event;
    XNextEvent(gget_display(), &event);
    gprocess_x11_event(&event);
    const int count = user_event;
    return count + gcheck_event();
}

int gprint_event()
{
    if (!events_on()) return -1;
    for (;;) {
        XEvent event;
        XNextEvent(gget_display(), &event);
        MESS_print(M_PRINT, "Event: %s window %lu\n", event_type_name(event.type),
                   static_cast<unsigned long>(event.xany.window));
    }
}

// ---------------------------------------------------------------------------------------------
// The hold loop
// ---------------------------------------------------------------------------------------------

Gint ghold(Gint)
{
    if (!events_on()) return 0;
    gcheck_event();
    gsync();
    if (gget_looping()) VYK_init_time();
    input_mode = 1;
    int64_t next_refresh = static_cast<int64_t>(std::time(nullptr)) + refresh;
    int idle = 0;
    // Polls for events: ten times a second for 5 seconds after the last user event, then twice.
    auto poll = [&idle] {
        if (idle <= 49) {
            VYK_sleep(0.1f);
            idle++;
        } else {
            VYK_sleep(0.5f);
        }
        if (gcheck_event() > 0) idle = 0;
    };
    auto step_frame = [&idle] {
        gloop_sleep();
        if (mapped) gdisplay_frame(ginc_frame(0));
        VYK_init_time();
        gcheck_event();
        idle = 0;
    };
    while (input_mode != 3) {
        // A callback may have closed the window: nothing would end the hold any more.
        if (!events_on()) break;
        const int frames = gget_num_images();
        if (frames < 2) {
            gset_cursor(6);
            if (refresh > 0) poll();
            else gwait_event();
        } else if (gget_looping()) {
            gset_cursor(3);
            step_frame();
        } else {
            gset_cursor(4);
            if (refresh > 0) poll();
            else gwait_event();
        }
        const int64_t now = std::time(nullptr);
        if (refresh > 0 && refresh_CB && next_refresh < now) {
            refresh_CB();
            next_refresh += refresh;
        }
    }
    input_mode = 0;
    gbell(50);
    gset_cursor(0);
    gsync();
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Settings
// ---------------------------------------------------------------------------------------------

int ginit_event(int type)
{
    rubber_band = 0;
    rubber_band_con = 0;
    rubber_band_num = 0;
    end_band();
    if (type == 0) {
        input_mode = 0;
        // The open of the own window consumes the window's first structure or exposure event;
        // when that was its MapNotify (no window manager) no other one follows, so the window
        // counts as mapped when the server reports it mapped now.  Under a window manager the
        // MapNotify that is still to come sets it.
        mapped = 0;
        Display *display = gget_display();
        const Window win = gget_root_window();
        XWindowAttributes attrs;
        const bool own = gdev().caps & GDEV_OWN_WINDOW;
        if (own && display && win && XGetWindowAttributes(display, win, &attrs))
            mapped = attrs.map_state != IsUnmapped;
    }
    return 1;
}

int gset_mouse_callback(Gmouse_func func)
{
    mouse_CB = func;
    return 1;
}

int gset_refresh_callback(int val, Grefresh_func func)
{
    refresh = val > 0 ? val : 0;
    refresh_CB = func;
    return 0;
}

int gset_input_mode(int val)
{
    input_mode = val == 1 ? 1 : 0;
    return 0;
}

int gget_input_mode() { return input_mode != 3 ? 1 : 0; }

int gis_mapped() { return mapped; }

int gset_rubber_band(int val)
{
    rubber_band = val;
    return 1;
}

int gset_rubber_band_points(const Gpt *array_pt, int num_pt, int constraint)
{
    if (num_pt > NUM_PTS) num_pt = NUM_PTS;
    if (num_pt < 0 || !array_pt) num_pt = 0;
    for (int i = 0; i < num_pt; i++) pts[i] = to_pixels(array_pt[i]);
    rubber_band_con = constraint;
    rubber_band_num = num_pt;
    return 1;
}

int gset_rubber_band_limits(const Gpt *array_pt)
{
    if (!array_pt) return 1;
    const XPoint a = to_pixels(array_pt[0]), b = to_pixels(array_pt[1]);
    // Kept as the upper left and the lower right corner whatever order the points come in.
    rubber_band_lim[0] = XPoint{a.x < b.x ? a.x : b.x, a.y < b.y ? a.y : b.y};
    rubber_band_lim[1] = XPoint{a.x < b.x ? b.x : a.x, a.y < b.y ? b.y : a.y};
    return 1;
}
