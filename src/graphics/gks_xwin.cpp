// X11 windows: the display connection, the program's own window with the pixmap that receives
// all drawing, or a window of the loop window program that the kernel draws into; sizes,
// offsets, titles, cursors and copying the pixmap to the screen.
#include "gks.h"
#include "gks_x11.h"
#include "gks_internal.h"
#include "vyk.h"
#include "vykresrc.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr int ICON_SIZE = 48;
constexpr int ICON_BYTES = ICON_SIZE * ICON_SIZE / 8;
constexpr int NUM_CURSORS = 9;
// Seconds the loop window program gets to prepare a new frame.
constexpr int FRAME_WAIT_STEPS = 100;  // of 0.2 seconds
constexpr float FRAME_WAIT_STEP = 0.2f;

// A frame with a rising curve: the default icon.
std::array<unsigned char, ICON_BYTES> make_icon()
{
    std::array<unsigned char, ICON_BYTES> bits{};
    auto set = [&](int x, int y) { bits[y * 6 + x / 8] |= static_cast<unsigned char>(1 << (x % 8)); };
    for (int k = 2; k < ICON_SIZE - 2; k++) {
        set(k, 2);
        set(k, ICON_SIZE - 3);
        set(2, k);
        set(ICON_SIZE - 3, k);
    }
    for (int x = 6; x < ICON_SIZE - 6; x++) {
        int y = ICON_SIZE - 7 - (x - 6) * (x - 6) / 36;
        set(x, y);
        set(x, y - 1);
    }
    return bits;
}

Display *display = nullptr;
std::string display_name;       // the name the connection was opened with ("" the default)
int screen = 0;
int depth = 0;
Visual *visual = nullptr;
Window root_window = 0;         // the window that is shown
Pixmap base_window = 0;         // the pixmap that receives drawing
Drawable draw_window = 0;       // the current drawing target
GC root_gc = nullptr;
unsigned long fore_colr = 0, back_colr = 0;
unsigned long red_mask = 0, grn_mask = 0, blu_mask = 0;
Cursor cursors[NUM_CURSORS] = {};  // each made on its first use (see cursor_of)
bool own_window_shown = false;     // cursors go to the program's own window only
int cursor = 0;
int icon = 0;
int fixed_size = 0;
std::array<unsigned char, ICON_BYTES> icon_bits = make_icon();
Pixmap icon_pixmap = 0;
int root_width = 640, root_height = 512;
int win_width = 640, win_height = 512;
int win_x = 0, win_y = 0;
char win_title[60] = "V11_Ududi";
char geometry[40] = "";

void video_colours()
{
    if (gget_inverse()) {
        back_colr = WhitePixel(display, screen);
        fore_colr = BlackPixel(display, screen);
    } else {
        back_colr = BlackPixel(display, screen);
        fore_colr = WhitePixel(display, screen);
    }
}

void forget_window()
{
    if (display && root_gc) XFreeGC(display, root_gc);
    root_gc = nullptr;
    root_window = 0;
    base_window = 0;
    draw_window = 0;
}

// A decimal or hexadecimal number at p followed by the separator sep (or the end of the text);
// moves p past both.  Numbers out of range count as not read.
bool read_field(const char *&p, int base, char sep, long &out)
{
    char *end;
    errno = 0;
    long v = std::strtol(p, &end, base);
    if (end == p || errno == ERANGE || v < 0 || v > UINT32_MAX) return false;
    out = v;
    p = end;
    if (*p == sep && sep) p++;
    else if (*p) p = "";  // anything else ends the window description
    return true;
}

// Reads a window description: the '+' form (shown window, pixmap, size, colormap), the "0x"
// form and the decimal form (pixmap, size, colormap).  Returns the number of fields read.
int read_spec(const char *desc, long &root, long &pixmap, long &width, long &height, long &cmap)
{
    const char *p = desc;
    int n = 0;
    int base = 10;
    bool with_root = false;
    if (*p == '+') {
        p++;
        with_root = true;
    } else if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        p += 2;
        base = 16;
    }
    if (with_root) {
        if (!read_field(p, 10, ':', root)) return n;
        n++;
    }
    if (!*p || !read_field(p, base, ':', pixmap)) return n;
    n++;
    if (!*p || !read_field(p, 10, 'x', width)) return n;
    n++;
    if (!*p || !read_field(p, 10, ':', height)) return n;
    n++;
    if (!*p || !read_field(p, 10, 0, cmap)) return n;
    return n + 1;
}

// The loop window's geometry: a panel, or "WxH+X+Y" limited to the loop window.
void pix_geometry()
{
    const char *geom = geometry[0] ? geometry : RES_get("geometry");
    if (!geom || !geom[0]) return;
    if (geom[0] == 'P' || geom[0] == 'p') {
        gset_panel_geometry(geom, 1);
        return;
    }
    int w, h, x, y;
    int n = std::sscanf(geom, "%dx%d+%d+%d", &w, &h, &x, &y);
    if (n < 2 || w < 1 || h < 1) return;
    if (w > root_width) w = root_width;
    if (h > root_height) h = root_height;
    win_width = w;
    win_height = h;
    if (n == 4) {
        win_x = x;
        win_y = y;
    }
}

// The own window's place and size: the geometry setting (gset_geometry, else the geometry
// resource, else the X default) over the remembered size, 640 x 512 at first.
XSizeHints size_hints()
{
    XSizeHints hints{};
    int x = 100, y = 100;
    int width = win_width ? win_width : 640;
    int height = win_height ? win_height : 512;
    hints.flags = PPosition | PSize;
    const char *geom = RES_get("geometry");
    if (geometry[0]) geom = geometry;
    if (!geom || !geom[0]) geom = gx_get_default("geometry");
    if (geom && geom[0]) {
        int gx = 0, gy = 0;
        unsigned gw = 0, gh = 0;
        int mask = XParseGeometry(geom, &gx, &gy, &gw, &gh);
        if ((mask & WidthValue) && gw > 0) width = static_cast<int>(gw);
        if ((mask & HeightValue) && gh > 0) height = static_cast<int>(gh);
        if ((mask & XValue) && (mask & YValue)) {
            hints.flags |= USPosition;
            x = (mask & XNegative) ? gx + DisplayWidth(display, screen) - width : gx;
            y = (mask & YNegative) ? gy + DisplayHeight(display, screen) - height : gy;
        }
        if ((mask & WidthValue) && (mask & HeightValue)) hints.flags |= USSize;
    }
    hints.x = x;
    hints.y = y;
    hints.width = width;
    hints.height = height;
    if (fixed_size) {
        hints.min_width = hints.max_width = width;
        hints.min_height = hints.max_height = height;
        hints.flags |= PMinSize | PMaxSize;
    }
    return hints;
}

// Creates the own window; none when the server refuses it.
Window create_window(const XSizeHints &hints)
{
    XSetWindowAttributes attrs{};
    attrs.background_pixel = back_colr;
    attrs.border_pixel = fore_colr;
    attrs.backing_store = Always;
    attrs.colormap = DefaultColormap(display, screen);
    attrs.event_mask = KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask |
                       EnterWindowMask | LeaveWindowMask | ButtonMotionMask | ExposureMask |
                       StructureNotifyMask | FocusChangeMask;
    gclear_Xerror();
    gset_Xerror_print(0);
    Window win = XCreateWindow(display, RootWindow(display, screen), hints.x, hints.y,
                               static_cast<unsigned>(hints.width),
                               static_cast<unsigned>(hints.height), 5, depth, InputOutput, visual,
                               CWBackPixel | CWBorderPixel | CWBackingStore | CWColormap |
                                   CWEventMask,
                               &attrs);
    XSync(display, False);
    const bool failed = gget_Xerror() || !win;
    gset_Xerror_print(1);
    return failed ? 0 : win;
}

// The window manager's properties: title and size hints, icon and its state, class.
void set_properties(Window win, XSizeHints &hints)
{
    for (char *c = win_title; *c; c++)
        if (*c == '_') *c = ' ';
    XSetStandardProperties(display, win, win_title, win_title, 0, nullptr, 0, &hints);

    const char *iconic = gx_get_default("iconic");
    if (iconic && stricmp(iconic, "on") == 0) icon = 1;
    RES_getval("icon", &icon, CV_bool);
    XWMHints wm{};
    wm.flags = InputHint | StateHint | IconPixmapHint;
    wm.input = True;
    wm.initial_state = icon ? IconicState : NormalState;
    icon_pixmap = XCreatePixmapFromBitmapData(
        display, win, reinterpret_cast<char *>(icon_bits.data()), ICON_SIZE, ICON_SIZE,
        BlackPixel(display, screen), WhitePixel(display, screen), 1);
    wm.icon_pixmap = icon_pixmap;
    XSetWMHints(display, win, &wm);

    XClassHint class_hint;
    char res_class[] = "Vyk";
    char res_name[20];
    strfcpy(res_name, gget_prog_name());
    class_hint.res_name = res_name;
    class_hint.res_class = res_class;
    XSetClassHint(display, win, &class_hint);
}

// The cursor of a shape (an index into cursors), made on its first use: a program that never
// sets one, as in batch mode, loads no cursor font.  0 when the server gives none, or when the
// drawing goes to a window or pixmap that is not the program's own.
Cursor cursor_of(int type)
{
    if (!own_window_shown) return 0;
    static constexpr unsigned shapes[NUM_CURSORS] = {XC_X_cursor, XC_left_ptr, XC_fleur,
                                                     XC_exchange, XC_dot,      XC_pencil,
                                                     XC_tcross,   XC_xterm,    XC_watch};
    if (!cursors[type]) cursors[type] = XCreateFontCursor(display, shapes[type]);
    return cursors[type];
}

// Maps the window and waits for it; the size it got, the colours and a pixmap in the
// background colour.
void show_window(Window win)
{
    own_window_shown = true;
    XMapWindow(display, win);
    XSync(display, False);
    XEvent event;
    XWindowEvent(display, win, ExposureMask | StructureNotifyMask, &event);

    ginit_xcolr();

    XWindowAttributes now;
    if (XGetWindowAttributes(display, win, &now)) {
        win_width = root_width = now.width;
        win_height = root_height = now.height;
        red_mask = now.visual->red_mask;
        grn_mask = now.visual->green_mask;
        blu_mask = now.visual->blue_mask;
    }
    XClearWindow(display, win);
    XSetForeground(display, root_gc, back_colr);
    XFillRectangle(display, base_window, root_gc, 0, 0, static_cast<unsigned>(win_width),
                   static_cast<unsigned>(win_height));
    XSetForeground(display, root_gc, fore_colr);
    XSync(display, False);
}

// The loop window's description: the connection's second item, vykwindow or WINDOW; one that
// does not start with a number or '+' names a file of the loop window program ("w" and "wN"
// its standard files) whose first word is the description.  False after a message.
bool window_description(int count, char **items, char (&desc)[80])
{
    const char *given = count >= 2 ? items[1] : std::getenv("vykwindow");
    if (!given) given = std::getenv("WINDOW");
    if (!given) {
        MESS_print(M_WARN, "gopen_ws: window parameters not specified\n");
        return false;
    }
    strfcpy(desc, given);
    if (!desc[0]) {
        MESS_print(M_WARN, "gopen_ws: window id not specified\n");
        return false;
    }
    if ((desc[0] >= '0' && desc[0] <= '9') || desc[0] == '+') return true;
    char name[FILE_NAME_MAX + 1];
    if ((desc[0] == 'w' || desc[0] == 'W') && desc[1] >= '0' && desc[1] <= '9')
        std::snprintf(name, sizeof name, "vovadev.%ld", std::strtol(desc + 1, nullptr, 10));
    else if (desc[0] == 'w' || desc[0] == 'W')
        strfcpy(name, "vovadev.win");
    else
        strfcpy(name, desc);
    char *path = nullptr;
    RES_getval("file_path", &path, CV_path);
    char full[FILE_NAME_MAX + 1];
    FILE_add_path(path, name, full);
    std::free(path);
    // The loop window program writes this file: it is read as a plain file.
    FILE *fp = std::fopen(full, "r");
    if (!fp) {
        MESS_print(M_WARN, "gopen_ws: unable to open window id file\n");
        return false;
    }
    char word[80];
    if (std::fscanf(fp, "%79s", word) != 1) word[0] = '\0';
    std::fclose(fp);
    strfcpy(desc, word);
    return true;
}

// Asks the loop window for a new frame and waits for it.  The loop window shows " +" behind its
// title while it makes the frame and then the new frame's number: the frame is ready once the
// title has shown the mark or changed from what it was before the notice, and no longer shows
// the mark (a program slow to see the notice still shows the old title).  False when its name
// can no longer be read (its program ended) or the frame is not ready within the time limit.
bool new_frame()
{
    char before[80];
    if (gget_win_title_extra(before, sizeof before) != 0) return false;
    gx_send_notice(2);
    bool marked = false;
    for (int step = 0; step < FRAME_WAIT_STEPS; step++) {
        VYK_sleep(FRAME_WAIT_STEP);
        char extra[80];
        if (gget_win_title_extra(extra, sizeof extra) != 0) return false;
        if (extra[0] == '+')
            marked = true;
        else if (marked || std::strcmp(extra, before) != 0)
            return true;
    }
    return false;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Opening and closing (called by the workstation control)
// ---------------------------------------------------------------------------------------------

int gx_open_display(const char *name)
{
    std::string wanted = name ? name : "";
    if (display && wanted == display_name) {
        // The connection of an earlier workstation serves again.
    } else {
        if (display) XCloseDisplay(display);
        display = XOpenDisplay(wanted.empty() ? nullptr : wanted.c_str());
        display_name = display ? wanted : "";
        if (!display) return -1;
    }
    screen = DefaultScreen(display);
    depth = DefaultDepth(display, screen);
    visual = DefaultVisual(display, screen);
    return 0;
}

int gx_open_window()
{
    XSizeHints hints = size_hints();
    if (std::getenv("vykinverse")) gset_inverse(1);
    video_colours();
    const Window win = create_window(hints);
    if (!win) {
        MESS_print(M_WARN, "gopen_ws: unable to open window\n");
        return -1;
    }
    root_window = win;
    set_properties(win, hints);
    root_gc = XCreateGC(display, win, 0, nullptr);
    base_window = XCreatePixmap(display, win, static_cast<unsigned>(hints.width),
                                static_cast<unsigned>(hints.height), static_cast<unsigned>(depth));
    draw_window = base_window;
    show_window(win);
    return 0;
}

int gx_attach_window(int count, char **items, int pix_mode)
{
    char desc[80];
    if (!window_description(count, items, desc)) return -1;
    win_width = 640;
    win_height = 512;
    win_x = win_y = 0;
    long root = 0, pixmap = 0, width = 640, height = 512, cmap = 0;
    int n = read_spec(desc, root, pixmap, width, height, cmap);
    const bool with_root = desc[0] == '+';
    if (n == 0 || pixmap == 0 || width < 1 || height < 1 || width > 32767 || height > 32767) {
        MESS_print(M_WARN, "gopen_ws: window id not specified\n");
        return -1;
    }
    win_width = root_width = static_cast<int>(width);
    win_height = root_height = static_cast<int>(height);
    base_window = draw_window = static_cast<Pixmap>(pixmap);
    root_window = static_cast<Window>(with_root && root ? root : pixmap);
    if (with_root && n == 5) gset_user_cmap(static_cast<Colormap>(cmap));

    // The name of the loop window, without the frame number it shows.  A pixmap standing for
    // the window has no name: the probe is not reported as an error.
    gset_Xerror_print(0);
    char *name = nullptr;
    if (XFetchName(display, root_window, &name) && name) {
        strfcpy(win_title, name);
        if (char *frame = std::strstr(win_title, " [")) *frame = '\0';
    }
    if (name) XFree(name);
    XSync(display, False);
    gset_Xerror_print(1);

    root_gc = XCreateGC(display, root_window, 0, nullptr);
    video_colours();
    if (pix_mode == 2 && !new_frame()) {
        MESS_print(M_WARN, "gopen_ws: loop window does not answer\n");
        forget_window();
        return -1;
    }
    ginit_xcolr();
    pix_geometry();
    return 0;
}

int gx_close_window(Gws_type type)
{
    if (display && type == GWS_X11) {
        if (root_window) {
            XUnmapWindow(display, root_window);
            XDestroyWindow(display, root_window);
        }
        if (base_window) XFreePixmap(display, base_window);
        if (icon_pixmap) XFreePixmap(display, icon_pixmap);
        icon_pixmap = 0;
        for (Cursor &c : cursors) {
            if (c) XFreeCursor(display, c);
            c = 0;
        }
        own_window_shown = false;
    }
    forget_window();
    return 0;
}

int gx_send_notice(int code)
{
    if (!display || !root_window) return -1;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.send_event = True;
    event.xclient.display = display;
    event.xclient.window = root_window;
    event.xclient.message_type = XA_NOTICE;
    event.xclient.format = 8;
    event.xclient.data.b[0] = static_cast<char>(code);
    XSendEvent(display, root_window, True, 0, &event);
    XSync(display, False);
    return 0;
}

int gx_set_device(int width, int height, int x, int y)
{
    win_width = width;
    win_height = height;
    win_x = x;
    win_y = y;
    return 0;
}

int gx_set_depth(int val)
{
    depth = val;
    return 0;
}

unsigned long gx_get_back_colr() { return back_colr; }
unsigned long gx_get_fore_colr() { return fore_colr; }

// ---------------------------------------------------------------------------------------------
// Accessors
// ---------------------------------------------------------------------------------------------

Display *gget_display() { return display; }

const char *gx_get_default(const char *option)
{
    return display ? XGetDefault(display, gget_prog_name(), option) : nullptr;
}
int gget_screen() { return screen; }
Visual *gget_visual() { return visual; }
int gget_win_depth() { return depth; }
Window gget_root_window() { return root_window; }
Pixmap gget_base_window() { return base_window; }
Drawable gget_draw_window() { return draw_window; }
GC gget_root_gc() { return root_gc; }

int gset_base_window(Pixmap win)
{
    base_window = win;
    return 0;
}

int gset_draw_window(Drawable win)
{
    draw_window = win ? win : base_window;
    return 0;
}

unsigned long gget_red_mask() { return red_mask; }
unsigned long gget_grn_mask() { return grn_mask; }
unsigned long gget_blu_mask() { return blu_mask; }

int gget_win_size(int *width, int *height)
{
    if (width) *width = win_width;
    if (height) *height = win_height;
    return 0;
}

int gget_root_size(int *width, int *height)
{
    if (width) *width = root_width;
    if (height) *height = root_height;
    return 0;
}

int gget_win_offset(int *x, int *y)
{
    if (x) *x = win_x;
    if (y) *y = win_y;
    return 0;
}

int gget_window_width() { return win_width; }
int gget_window_height() { return win_height; }

int gset_win_size(int width, int height)
{
    win_width = width;
    win_height = height;
    ginit_tran(10);
    return 0;
}

int gset_xsize(int x, int y)
{
    win_width = x;
    win_height = y;
    // Only the program's own window is resized: a loop window belongs to its program.
    if (display && root_window && (gdev().caps & GDEV_OWN_WINDOW) && x > 0 && y > 0) {
        XResizeWindow(display, root_window, static_cast<unsigned>(x), static_cast<unsigned>(y));
        XSync(display, False);
    }
    return 0;
}

int gset_xoff(int x, int y)
{
    win_x = x;
    win_y = y;
    return 0;
}

int gresize_window(int width, int height)
{
    if (!display || !root_window || !base_window) return 0;
    if (width > 0) {
        if (height < 1) height = win_height > 0 ? win_height : 1;
        XClearWindow(display, root_window);
        win_width = root_width = width;
        win_height = root_height = height;
        XResizeWindow(display, root_window, static_cast<unsigned>(width),
                      static_cast<unsigned>(height));
        Pixmap pix = XCreatePixmap(display, root_window, static_cast<unsigned>(width),
                                   static_cast<unsigned>(height), static_cast<unsigned>(depth));
        XCopyArea(display, base_window, pix, root_gc, 0, 0, static_cast<unsigned>(width),
                  static_cast<unsigned>(height), 0, 0);
        XFreePixmap(display, base_window);
        base_window = draw_window = pix;
        XSync(display, False);
    } else {
        XWindowAttributes now;
        if (!XGetWindowAttributes(display, root_window, &now)) return 0;
        if (now.width == win_width && now.height == win_height) return 0;
        XClearWindow(display, root_window);
        if (width == -1) {
            Pixmap pix = XCreatePixmap(display, root_window, static_cast<unsigned>(now.width),
                                       static_cast<unsigned>(now.height),
                                       static_cast<unsigned>(depth));
            if (win_width > 0 && win_height > 0)
                XCopyArea(display, base_window, pix, root_gc, 0, 0,
                          static_cast<unsigned>(win_width), static_cast<unsigned>(win_height), 0,
                          0);
            XFreePixmap(display, base_window);
            base_window = draw_window = pix;
        }
        win_width = root_width = now.width;
        win_height = root_height = now.height;
    }
    greset_zoom();
    gdelete_all_frames();
    return 1;
}

int gupdate_window()
{
    if (!display || !root_window || !base_window) return -1;
    XCopyArea(display, base_window, root_window, root_gc, 0, 0,
              static_cast<unsigned>(root_width), static_cast<unsigned>(root_height), 0, 0);
    XSync(display, False);
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Window-manager requests, titles and cursors
// ---------------------------------------------------------------------------------------------

int gset_geometry(const char *geom)
{
    strfcpy(geometry, geom);
    return 1;
}

int gset_iconic(int iconic)
{
    icon = iconic;
    return 1;
}

int gset_fixed_size()
{
    fixed_size = 1;
    return 1;
}

int gset_icon_bitmap(const unsigned char *bits)
{
    if (bits) std::memcpy(icon_bits.data(), bits, ICON_BYTES);
    return 0;
}

int gset_win_title(const char *str)
{
    strfcpy(win_title, str);
    if (!display || !root_window) return -1;
    XStoreName(display, root_window, win_title);
    XSetIconName(display, root_window, win_title);
    XSync(display, False);
    return 0;
}

const char *gget_win_title() { return win_title; }

int gset_win_title_extra(const char *str)
{
    if (!display || !root_window) return -1;
    char name[80];
    if (str && str[0]) std::snprintf(name, sizeof name, "%s %s", win_title, str);
    else strfcpy(name, win_title);
    XStoreName(display, root_window, name);
    XSync(display, False);
    return 0;
}

int gget_win_title_extra(char *str, size_t size)
{
    if (!str || size == 0) return -1;
    str[0] = '\0';
    if (!display || !root_window) return -1;
    char *name = nullptr;
    if (!XFetchName(display, root_window, &name) || !name) return -1;
    const size_t title = std::strlen(win_title);
    if (std::strlen(name) > title + 1) strfcpy(str, size, name + title + 1);
    XFree(name);
    return 0;
}

int gset_cursor_type(int type)
{
    const int previous = cursor;
    // Nobody watches the pointer of a batch run: its type is kept, no cursor font is loaded.
    if (type >= 0 && type < NUM_CURSORS && display && root_window && !FLAG_batch() &&
        cursor_of(type))
        XDefineCursor(display, root_window, cursors[type]);
    cursor = type;
    return previous;
}

int gset_cursor(int type)
{
    if (!(gdev().caps & GDEV_WINDOW)) return cursor;
    const int previous = gset_cursor_type(type);
    if (display) XSync(display, False);
    return previous;
}

int gget_cursor_type() { return cursor; }
