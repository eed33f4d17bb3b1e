// The X11 back end: the device tables of the program's own window and of a loop window, the
// graphics contexts that lines, markers, fills and text are drawn with (and the fill pattern
// bitmaps and server fonts that go with them), the drawing itself into the current drawing
// target, and the kernel's handlers of protocol errors and of a lost connection.
#include "gks.h"
#include "gks_internal.h"
#include "gks_x11.h"
#include "vyk.h"

#include <climits>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <new>
#include <vector>

namespace {

constexpr int MAX_X_ERRORS = 25;

struct Errors {
    int flag = 0;   // set by the protocol-error handler
    int print = 1;  // print and count protocol errors
    int count = 0;  // protocol errors printed so far
} xerror;

// The contexts of the primitives and what goes with them.  A context is created when an X11
// workstation opens and freed when it closes.
struct Contexts {
    GC line = nullptr;
    GC marker = nullptr;
    GC fill = nullptr;
    GC text = nullptr;
    int line_function = GXcopy;
    Pixmap pattern[GFILL_PATTERNS] = {};
    XFontStruct *font = nullptr;      // the loaded server font
    Display *font_display = nullptr;  // the connection the font belongs to
} gc;

// The on/off lengths of line types 2 to 5.
struct Dashes {
    char list[4];
    int len;
};
constexpr Dashes dashes[4] = {{{6, 6}, 2}, {{3, 6}, 2}, {{6, 6, 3, 6}, 4}, {{2, 2}, 2}};

// Short lines (glyphs, symbols, map segments) are converted on the stack; longer ones in a
// buffer that is kept between calls, so a long drawing allocates only while its lines grow.
constexpr int LOCAL_POINTS = 32;
std::vector<XPoint> point_buf;

constexpr int STROKE_RUN = 30;  // glyph points drawn in one request

// The glyph strokes of the text being drawn.
struct Glyphs {
    Display *display = nullptr;
    Drawable win = 0;
    XPoint pts[STROKE_RUN];
    int n = 0;
    bool shadow = false;          // the shadow's pen is on
    unsigned long saved_pixel = 0;  // the text pixel the shadow replaced
} glyphs;

// ---------------------------------------------------------------------------------------------
// Helpers
// ---------------------------------------------------------------------------------------------

// The display while an X11 workstation is open and has the context (its close frees it).
Display *with(GC context)
{
    Display *display = gget_display();
    return (gdev().caps & GDEV_WINDOW) && gchk_graphics() && display && context ? display
                                                                                 : nullptr;
}

// The pixel of a colour index (-1 when it has no colour cell).
unsigned long pixel_of(int ind) { return static_cast<unsigned long>(gget_color_ind(ind)); }

// The pixel of a colour index, white without a colour cell.
unsigned long pixel_or_white(Display *display, int ind)
{
    const int pixel = gget_color_ind(ind);
    return pixel >= 0 ? static_cast<unsigned long>(pixel) : WhitePixel(display, gget_screen());
}

// The X11 line width of a width: its integer part, within what the protocol can carry.
int x_width(float width)
{
    if (!(width < 32767.0f)) return 32767;
    return static_cast<int>(width);
}

inline short to_pixel(float v)
{
    return static_cast<short>(std::trunc(static_cast<double>(v) + 0.5));
}

// A device coordinate as an X coordinate: truncated, and held inside the 16-bit range (a
// non-number goes to the lower end) so that the conversion is always defined.
short to_xcoord(float v)
{
    const float t = std::trunc(v);
    if (!(t >= -32768.0f)) return -32768;
    if (t > 32767.0f) return 32767;
    return static_cast<short>(t);
}

// A pixel coordinate: trunc(v + 0.5) in double precision, held inside the 16-bit range.
short to_rounded_xcoord(float v)
{
    const double t = std::trunc(static_cast<double>(v) + 0.5);
    if (!(t >= -32768.0)) return -32768;
    if (t > 32767.0) return 32767;
    return static_cast<short>(t);
}

XPoint *point_buffer(int n, XPoint *local)
{
    if (n <= LOCAL_POINTS) return local;
    try {
        if (point_buf.size() < static_cast<size_t>(n)) point_buf.resize(static_cast<size_t>(n));
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
    return point_buf.data();
}

XRectangle to_xrect(const Grectangle &r)
{
    return XRectangle{static_cast<short>(r.x), static_cast<short>(r.y),
                      static_cast<unsigned short>(r.width), static_cast<unsigned short>(r.height)};
}

void set_clip(Display *display, GC context)
{
    XRectangle clip = to_xrect(gget_clip().pixels);
    XSetClipRectangles(display, context, 0, 0, &clip, 1, Unsorted);
}

// Loads the bitmap of a pattern as the fill context's stipple (nothing for a pattern without
// one).
void set_stipple(int pattern)
{
    Display *display = with(gc.fill);
    if (display && pattern >= 0 && pattern < GFILL_PATTERNS && gc.pattern[pattern])
        XSetStipple(display, gc.fill, gc.pattern[pattern]);
}

// ---------------------------------------------------------------------------------------------
// Protocol errors
// ---------------------------------------------------------------------------------------------

int Xerror_handler(Display *display, XErrorEvent *error)
{
    xerror.flag = 1;
    if (!xerror.print) return 0;
    char text[80] = "";
    char request[60] = "";
    char code[16];
    XGetErrorText(display, error->error_code, text, sizeof text);
    std::snprintf(code, sizeof code, "%d", error->request_code);
    XGetErrorDatabaseText(display, "XRequest", code, "", request, sizeof request);
    MESS_print(M_WARN, "X11 error: %s in %s\n", text, request);
    if (++xerror.count >= MAX_X_ERRORS) {
        MESS_print(M_ERROR, "X11 error: too many errors\n");
        if (gdev().caps & GDEV_OWN_WINDOW) gdelete_all_frames();
        VYK_exit(VYK_EXIT_GRAPHICS);
    }
    return 0;
}

// The connection is gone: the server has already released every pixmap of it, and a request on
// the dead connection would only re-enter this handler, so nothing is sent any more.
int XerrorIO_handler(Display *)
{
    MESS_print(M_ERROR, "Fatal X11 Error\n");
    VYK_exit(VYK_EXIT_GRAPHICS);
}

// ---------------------------------------------------------------------------------------------
// The workstation
// ---------------------------------------------------------------------------------------------

// The display, then the own window or the loop window.
int open_display(int count, char **items)
{
    ginstall_x_handlers();
    if (gx_open_display(count > 0 ? items[0] : nullptr) != 0) {
        MESS_print(M_WARN, "gopen_ws: unable to connect to display\n");
        return -1;
    }
    gset_def_cmap(DefaultColormap(gget_display(), gget_screen()));
    return 0;
}

// A new workstation starts without protocol errors.
int opened()
{
    xerror.flag = 0;
    xerror.print = 1;
    return 0;
}

int x11_open(int count, char **items)
{
    if (open_display(count, items) != 0 || gx_open_window() != 0) return -1;
    return opened();
}

int pix_open(int count, char **items)
{
    if (open_display(count, items) != 0) return -1;
    if (gx_attach_window(count, items, gget_pix_mode()) != 0) {
        gset_user_cmap(0);  // a colormap of the loop window program is never ours
        return -1;
    }
    gset_rw_colors(0);  // the loop window's colours are shared
    return opened();
}

// Frees the contexts and the pattern bitmaps of the closing workstation.
void free_contexts()
{
    if (Display *display = gget_display())
        for (GC *context : {&gc.line, &gc.marker, &gc.fill, &gc.text})
            if (*context) XFreeGC(display, *context);
    gc.line = gc.marker = gc.fill = gc.text = nullptr;
    gdel_fill_pat();
}

int x11_close()
{
    Display *display = gget_display();
    gdelete_all_frames();
    greset_zoom();  // a magnified picture belongs to this window only
    gx_close_window(GWS_X11);
    free_contexts();
    if (display) {
        if (Colormap cmap = gget_user_cmap()) {
            XFreeColormap(display, cmap);
            gset_user_cmap(0);
        }
        XSync(display, False);
    }
    gclear_objs();
    return 0;
}

int pix_close()
{
    free_contexts();
    if (gget_pix_mode() == 9) gx_send_notice(9);
    // The loop window's colormap is forgotten, never freed: a later own window must neither
    // install nor free it.
    gset_user_cmap(0);
    gx_close_window(GWS_PIX);
    if (Display *display = gget_display()) XSync(display, False);
    return 0;
}

// The own window's pixmap filled with the background; the display list starts again.
int x11_clear()
{
    Display *display = gget_display();
    Pixmap base = gget_base_window();
    if (!display || !base) return 0;
    int width, height;
    gget_win_size(&width, &height);
    GC context = gget_root_gc();
    XSetForeground(display, context, pixel_of(-1));
    XFillRectangle(display, base, context, 0, 0, static_cast<unsigned>(width),
                   static_cast<unsigned>(height));
    XSetForeground(display, context, gx_get_fore_colr());
    gclear_objs();
    return 0;
}

int x11_update()
{
    if (Display *display = gget_display()) XSync(display, False);
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Kept calls: the contexts follow the attributes
// ---------------------------------------------------------------------------------------------

// Loads the pixel of a redefined index into a context whose colour is that index (-1 and 256
// both name the background).
void reload(int attr_color, int ind, GC context)
{
    auto index_of = [](int i) { return i == -1 ? 256 : i; };
    if (index_of(attr_color) != index_of(ind)) return;
    if (Display *display = with(context)) XSetForeground(display, context, pixel_of(index_of(ind)));
}

void line_type(Display *display, int type)
{
    XGCValues values;
    values.line_style = type == 1 ? LineSolid : LineOnOffDash;
    XChangeGC(display, gc.line, GCLineStyle, &values);
    // Type 0 and types above 5 keep the dash list the context has.
    if (type >= 2 && type <= 5)
        XSetDashes(display, gc.line, 0, dashes[type - 2].list, dashes[type - 2].len);
}

void line_width(Display *display, GC context, int width)
{
    XGCValues values;
    values.line_width = width;
    XChangeGC(display, context, GCLineWidth, &values);
}

void fill_style(Display *display, int style)
{
    if (style == GSOLID) {
        XSetFillStyle(display, gc.fill, FillSolid);
    } else if (style == GPAT) {
        XSetFillStyle(display, gc.fill, FillStippled);
        set_stipple(gfill_attr().pattern);
    }
}

float float_of(const void *data)
{
    float v;
    std::memcpy(&v, data, sizeof v);
    return v;
}

void x11_object(int code, int values, const void *data)
{
    switch (code) {
    case GOBJ_LINE_COLR:
        if (Display *display = with(gc.line)) XSetForeground(display, gc.line, pixel_of(values));
        break;
    case GOBJ_LINEWIDTH:
        if (Display *display = with(gc.line)) line_width(display, gc.line, x_width(float_of(data)));
        break;
    case GOBJ_LINETYPE:
        if (Display *display = with(gc.line)) line_type(display, values);
        break;
    case GOBJ_MARKER_COLR:
        if (Display *display = with(gc.marker))
            XSetForeground(display, gc.marker, pixel_of(values));
        break;
    case GOBJ_MARKER_WIDTH:
        if (Display *display = with(gc.marker))
            line_width(display, gc.marker, x_width(float_of(data)));
        break;
    case GOBJ_FILL_COLR:
        if (Display *display = with(gc.fill)) XSetForeground(display, gc.fill, pixel_of(values));
        break;
    case GOBJ_FILL_STYLE:
        if (Display *display = with(gc.fill)) fill_style(display, values);
        break;
    case GOBJ_FILL_STYLE_IND: set_stipple(values); break;
    case GOBJ_TEXT_COLR:
        if (Display *display = with(gc.text)) XSetForeground(display, gc.text, pixel_of(values));
        break;
    case GOBJ_TEXT_WIDTH:
        if (Display *display = with(gc.text))
            line_width(display, gc.text, static_cast<int>(float_of(data)));
        break;
    case GOBJ_COLR_REP:
        reload(gget_line_colr(), values, gc.line);
        reload(gget_text_colr(), values, gc.text);
        reload(gget_marker_colr(), values, gc.marker);
        reload(gget_fill_colr(), values, gc.fill);
        break;
    default: break;
    }
}

void x11_clip(const Gclip &clip)
{
    Display *display = gget_display();
    if (!display || !gchk_graphics()) return;
    XRectangle rect = to_xrect(clip.pixels);
    for (GC context : {gc.line, gc.marker, gc.fill, gc.text})
        if (context) XSetClipRectangles(display, context, 0, 0, &rect, 1, Unsorted);
}

// ---------------------------------------------------------------------------------------------
// Drawing
// ---------------------------------------------------------------------------------------------

// One connected line; a line longer than the largest request the server takes is drawn in
// pieces that share their end points.
void draw_lines(Display *display, Drawable win, XPoint *pts, int n)
{
    long max_request = XExtendedMaxRequestSize(display);
    if (max_request <= 0) max_request = XMaxRequestSize(display);
    const int chunk = static_cast<int>(max_request - 8 > INT_MAX ? INT_MAX : max_request - 8);
    if (chunk < 2 || n <= chunk) {
        XDrawLines(display, win, gc.line, pts, n, CoordModeOrigin);
        return;
    }
    for (int start = 0; start < n - 1; start += chunk - 1) {
        const int count = n - start < chunk ? n - start : chunk;
        XDrawLines(display, win, gc.line, pts + start, count, CoordModeOrigin);
    }
}

int x11_polyline(Gint n, const Gpt *points)
{
    XPoint local[LOCAL_POINTS];
    XPoint *pts = point_buffer(n, local);
    if (!pts) {
        gerr_printf("gpolyline", "malloc error\n");
        return -1;
    }
    for (Gint i = 0; i < n; i++) {
        pts[i].x = to_pixel(xW_p(points[i].x));
        pts[i].y = to_pixel(yW_p(points[i].y));
    }
    Display *display = gget_display();
    const Drawable win = gget_draw_window();
    if (display && win && gc.line) draw_lines(display, win, pts, n);
    return 0;
}

// Filled through the points, then outlined through them (not closed).
int x11_fill_area(Gint n, const Gpt *points)
{
    Display *display = with(gc.fill);
    const Drawable draw = gget_draw_window();
    if (!display || !draw) return 0;
    XPoint local[LOCAL_POINTS];
    XPoint *xp = point_buffer(n, local);
    if (!xp) {
        gerr_printf("gfill_area", "malloc error\n");
        return -1;
    }
    for (Gint i = 0; i < n; i++)
        xp[i] = XPoint{to_rounded_xcoord(xW_p(points[i].x)), to_rounded_xcoord(yW_p(points[i].y))};
    XFillPolygon(display, draw, gc.fill, xp, n, Complex, CoordModeOrigin);
    XDrawLines(display, draw, gc.fill, xp, n, CoordModeOrigin);
    return 0;
}

// The clear region in the background colour.
int x11_clear_region(const Glim *lim)
{
    const int x0 = static_cast<int>(static_cast<double>(xW_p(lim->x_min)) + 0.5);
    const int y0 = static_cast<int>(static_cast<double>(yW_p(lim->y_max)) + 0.5);
    const int w = static_cast<int>(static_cast<double>(xW_p(lim->x_max)) - x0 + 0.5);
    const int h = static_cast<int>(static_cast<double>(yW_p(lim->y_min)) - y0 + 0.5);
    Display *display = gget_display();
    const Drawable win = gget_draw_window();
    GC context = gget_root_gc();
    if (!display || !win || w <= 0 || h <= 0) return 0;
    XSetForeground(display, context, pixel_of(-1));
    XFillRectangle(display, win, context, static_cast<short>(x0), static_cast<short>(y0),
                   static_cast<unsigned short>(w), static_cast<unsigned short>(h));
    XSetForeground(display, context, gx_get_fore_colr());
    return 0;
}

// The shadow of markers is drawn in the screen's black pixel.
void x11_marker_shadow(bool on)
{
    Display *display = with(gc.marker);
    if (!display) return;
    XSetForeground(display, gc.marker,
                   on ? BlackPixel(display, gget_screen()) : pixel_of(gmarker_attr().color));
}

int x11_stroke(int n, const Gpt *points)
{
    Display *display = with(gc.marker);
    const Drawable draw = gget_draw_window();
    if (!display || !draw) return 0;
    if (n == 1) {
        XDrawPoint(display, draw, gc.marker, to_xcoord(points[0].x), to_xcoord(points[0].y));
        return 0;
    }
    XPoint local[LOCAL_POINTS];
    XPoint *xp = point_buffer(n, local);
    if (!xp) return 0;
    for (int i = 0; i < n; i++) xp[i] = XPoint{to_xcoord(points[i].x), to_xcoord(points[i].y)};
    XDrawLines(display, draw, gc.marker, xp, n, CoordModeOrigin);
    return 0;
}

// Text: device points buffered and drawn as connected lines in runs.
bool x11_text_begin(float, float, const char *, int)
{
    glyphs.display = with(gc.text);
    glyphs.win = gget_draw_window();
    glyphs.n = 0;
    return glyphs.display != nullptr;
}

void flush_glyph()
{
    if (glyphs.n >= 2)
        XDrawLines(glyphs.display, glyphs.win, gc.text, glyphs.pts, glyphs.n, CoordModeOrigin);
}

void x11_glyph_start() { glyphs.n = 0; }

void x11_glyph_point(bool move, float x, float y)
{
    const XPoint p{static_cast<short>(static_cast<double>(xW_p(x)) + 0.5),
                   static_cast<short>(static_cast<double>(yW_p(y)) + 0.5)};
    if (move) {
        flush_glyph();
        glyphs.n = 0;
    }
    glyphs.pts[glyphs.n++] = p;
    if (glyphs.n == STROKE_RUN) {
        flush_glyph();
        glyphs.pts[0] = p;
        glyphs.n = 1;
    }
}

void x11_glyph_end()
{
    flush_glyph();
    glyphs.n = 0;
}

// The shadow is drawn with the screen's black pixel; back to the pixel of the text colour, or
// to the pixel it replaced when the index has no colour cell.
void x11_text_shadow(bool on)
{
    Display *display = with(gc.text);
    if (on) {
        glyphs.shadow = display != nullptr;
        if (!display) return;
        XGCValues saved{};
        XGetGCValues(display, gc.text, GCForeground, &saved);
        glyphs.saved_pixel = saved.foreground;
        XSetForeground(display, gc.text, BlackPixel(display, gget_screen()));
        return;
    }
    if (!glyphs.shadow) return;
    glyphs.shadow = false;
    const unsigned long pixel = pixel_of(gtext_attr().color);
    const bool cell = pixel != static_cast<unsigned long>(-1);
    if (display) XSetForeground(display, gc.text, cell ? pixel : glyphs.saved_pixel);
}

int x11_server_font(const char *name)
{
    Display *display = gget_display();
    XFontStruct *info = display ? XLoadQueryFont(display, name) : nullptr;
    if (!info) return -1;
    if (gc.font && gc.font_display == display) XFreeFont(display, gc.font);
    gc.font = info;
    gc.font_display = display;
    if (with(gc.text)) XSetFont(display, gc.text, info->fid);
    return 0;
}

void x11_server_text(const Gpt *pos, const char *str, int len)
{
    Display *display = with(gc.text);
    if (!display || !gc.font || !std::isfinite(pos->x) || !std::isfinite(pos->y)) return;
    const Gtext_attr &text = gtext_attr();
    const int px = static_cast<int>(xW_p(pos->x) + 0.5f);
    const int py = static_cast<int>(yW_p(pos->y) + 0.5f);
    const int w = XTextWidth(gc.font, str, len);
    int xoff = 0, yoff = 0;
    if (text.hor == GCENTER_HOR) xoff = -(w / 2);
    else if (text.hor == GRIGHT_HOR) xoff = -w;
    switch (text.ver) {
    case GTOP_VERT:
    case GCAP_VERT: yoff = gc.font->ascent; break;
    case GHALF_VERT: yoff = gc.font->ascent / 2; break;
    case GBOTTOM_VERT: yoff = -gc.font->descent; break;
    default: break;
    }
    const Drawable win = gget_draw_window();
    const int shadow = gget_font_drop();
    if (shadow > 0) {
        x11_text_shadow(true);
        for (int i = 0; i < shadow; i++)
            XDrawString(display, win, gc.text, px + xoff + i, py + yoff + i, str, len);
        x11_text_shadow(false);
    }
    XDrawString(display, win, gc.text, px + xoff, py + yoff, str, len);
}

// A print of the display list initialises the kernel for the printer while the window stays
// open: the window's contexts follow the attributes just reset (colour 1, thin, solid).
void follow_reset(GC context, unsigned long mask, int width)
{
    Display *display = gget_display();
    if (!display || !context || !gget_root_window()) return;
    XGCValues values;
    values.foreground = pixel_or_white(display, 1);
    values.line_width = width;
    values.line_style = LineSolid;
    values.fill_style = FillSolid;
    XChangeGC(display, context, mask, &values);
}

// A kernel initialisation of a context: a print kind puts it back to the reset attributes (the
// fields of mask, the given line width); a new X11 workstation creates it on the drawable `on`
// (none without one).  The display when the context is then to start on the open workstation,
// else none.
Display *init_context(int kind, GC &context, Drawable on, unsigned long mask, int width)
{
    if (kind != GINIT_WINDOW && kind != GINIT_REDRAW) {
        follow_reset(context, mask, width);
        return nullptr;
    }
    Display *display = gget_display();
    if (!display) return nullptr;
    // A new X11 workstation: the context of an earlier one was freed when it closed.
    if (kind == GINIT_WINDOW) context = on ? XCreateGC(display, on, 0, nullptr) : nullptr;
    return with(context);  // no X11 workstation open: its context is gone
}

// The start of a context on a window: its clip, white on black, thin solid lines with butt
// caps and bevel joins.
void start_context(Display *display, GC context)
{
    set_clip(display, context);
    const int screen = gget_screen();
    XSetForeground(display, context, WhitePixel(display, screen));
    XSetBackground(display, context, BlackPixel(display, screen));
    XSetLineAttributes(display, context, 0, LineSolid, CapButt, JoinBevel);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// The device tables
// ---------------------------------------------------------------------------------------------

namespace {

// The two X11 types draw alike; they differ in what the kernel owns.
constexpr Gdevice window_device(Gws_type type, unsigned caps, int (*open)(int, char **),
                                int (*close)(), int (*clear)())
{
    return Gdevice{
        .type = type,
        .caps = caps,
        .init_kind = GINIT_WINDOW,
        .units = GUNITS_PIXELS,
        .marker_scale = 1.0,
        .open = open,
        .close = close,
        .clear = clear,
        .update = x11_update,
        .object = x11_object,
        .clip = x11_clip,
        .polyline = x11_polyline,
        .polymarker = gstroke_markers,
        .fill_area = x11_fill_area,
        .text = gstroke_text,
        .image = gx_put_image,
        .clear_region = x11_clear_region,
        .marker_shadow = x11_marker_shadow,
        .stroke = x11_stroke,
        .text_begin = x11_text_begin,
        .text_shadow = x11_text_shadow,
        .glyph_start = x11_glyph_start,
        .glyph_point = x11_glyph_point,
        .glyph_end = x11_glyph_end,
        .server_font = x11_server_font,
        .server_text = x11_server_text,
    };
}

}  // namespace

const Gdevice gdev_x11 =
    window_device(GWS_X11, GDEV_WINDOW | GDEV_OWN_WINDOW, x11_open, x11_close, x11_clear);

// The loop window: its program keeps the events and the pictures.
const Gdevice gdev_pix = window_device(GWS_PIX, GDEV_WINDOW, pix_open, pix_close, nullptr);

// ---------------------------------------------------------------------------------------------
// The contexts
// ---------------------------------------------------------------------------------------------

int ginit_line(int kind)
{
    Display *display = init_context(kind, gc.line, gget_root_window(),
                                    GCForeground | GCLineWidth | GCLineStyle, 0);
    if (!display) return 0;
    start_context(display, gc.line);
    gc.line_function = GXcopy;
    XSetFunction(display, gc.line, GXcopy);
    // The current colour's pixel once it has a cell (after a redraw), else white.
    XSetForeground(display, gc.line, pixel_or_white(display, gline_attr().color));
    return 0;
}

int ginit_marker(int kind)
{
    Display *display =
        init_context(kind, gc.marker, gget_draw_window(), GCForeground | GCLineWidth, 0);
    if (display) start_context(display, gc.marker);
    return 0;
}

int ginit_fill(int kind)
{
    const Window shown = gget_root_window();
    Display *display = init_context(kind, gc.fill, shown, GCForeground | GCFillStyle, 0);
    if (kind == GINIT_WINDOW && gc.fill)
        for (int i = 0; i < GFILL_PATTERNS; i++)
            gc.pattern[i] = XCreateBitmapFromData(
                gget_display(), shown, reinterpret_cast<const char *>(gfill_bitmap(i)), 8, 8);
    if (!display) return 0;
    start_context(display, gc.fill);
    XSetFillStyle(display, gc.fill, FillSolid);
    return 0;
}

int ginit_text(int kind)
{
    Display *display =
        init_context(kind, gc.text, gget_base_window(), GCForeground | GCLineWidth, 1);
    if (display) start_context(display, gc.text);
    return 0;
}

GC gget_line_gc() { return with(gc.line) ? gc.line : nullptr; }
GC gget_marker_gc() { return with(gc.marker) ? gc.marker : nullptr; }
GC gget_fill_gc() { return with(gc.fill) ? gc.fill : nullptr; }
GC gget_text_gc() { return with(gc.text) ? gc.text : nullptr; }

int gset_line_gc_func(int function)
{
    gc.line_function = function;
    if (Display *display = with(gc.line)) XSetFunction(display, gc.line, function);
    return 0;
}

int gget_line_gc_func() { return gc.line_function; }

int gxline(Drawable win, const XPoint *p1, const XPoint *p2)
{
    Display *display = with(gc.line);
    if (display && win && p1 && p2) XDrawLine(display, win, gc.line, p1->x, p1->y, p2->x, p2->y);
    return 0;
}

int gxrect(Drawable win, const XPoint *p1, const XPoint *p2)
{
    Display *display = with(gc.line);
    if (!display || !win || !p1 || !p2) return 0;
    const int left = p1->x < p2->x ? p1->x : p2->x;
    const int top = p1->y < p2->y ? p1->y : p2->y;
    const int width = p1->x < p2->x ? p2->x - p1->x : p1->x - p2->x;
    const int height = p1->y < p2->y ? p2->y - p1->y : p1->y - p2->y;
    XDrawRectangle(display, win, gc.line, left, top, static_cast<unsigned>(width),
                   static_cast<unsigned>(height));
    return 0;
}

int gdel_fill_pat()
{
    Display *display = gget_display();
    for (Pixmap &pat : gc.pattern) {
        if (pat && display) XFreePixmap(display, pat);
        pat = 0;
    }
    return 0;
}

int gget_xviewport(XRectangle *rect)
{
    if (rect) *rect = to_xrect(gget_clip().pixels);
    return 0;
}

int gbell(int len)
{
    Display *display = gget_display();
    if (!(gdev().caps & GDEV_WINDOW) || !display) return 0;
    if (len == 0) len = 50;
    if (len > 100) len = 100;  // the server refuses volumes outside -100 to 100
    if (len < -100) len = -100;
    XBell(display, len);
    XSync(display, False);
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Protocol errors
// ---------------------------------------------------------------------------------------------

int gclear_Xerror()
{
    xerror.flag = 0;
    return 0;
}

int gget_Xerror() { return xerror.flag; }

int gset_Xerror_print(int val)
{
    xerror.print = val;
    return 0;
}

int ginstall_x_handlers()
{
    XSetErrorHandler(Xerror_handler);
    XSetIOErrorHandler(XerrorIO_handler);
    return 0;
}
