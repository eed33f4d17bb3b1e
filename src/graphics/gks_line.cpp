// Polylines: a connected line through world points in the current line colour, width and type
// on whichever workstation is open, the line attribute setters, the graphics context that all
// X11 lines are drawn with, and the single segment and outline rectangle of the rubber band.
//
// Line types: 1 solid, 2 dashed (6 on, 6 off), 3 short dashes (3, 6), 4 dash and short dash
// (6, 6, 3, 6), 5 dotted (2, 2); lengths in pixels on X11.  Widths are in device units; on X11
// the context takes the integer part, so widths below 1 give the server's thin line.
#include "gks.h"
#include "gks_x11.h"
#include "gks_internal.h"
#include "vyk.h"

#include <climits>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

namespace {

unsigned int line_color = 1;
int line_type = 1;
float line_width = 1.0f;
int print_bold = 1;
GC line_gc = nullptr;
int line_gc_function = GXcopy;

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

// The X11 line width of a width: its integer part, within what the protocol can carry.
int x_width(float width)
{
    if (!(width < 32767.0f)) return 32767;
    return static_cast<int>(width);
}

bool valid_width(float width) { return width >= 0 && std::isfinite(width); }

XPoint *point_buffer(Gint n, XPoint *local)
{
    if (n <= LOCAL_POINTS) return local;
    try {
        if (point_buf.size() < static_cast<size_t>(n)) point_buf.resize(static_cast<size_t>(n));
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
    return point_buf.data();
}

inline short to_pixel(float v)
{
    return static_cast<short>(std::trunc(static_cast<double>(v) + 0.5));
}

// One connected line; a line longer than the largest request the server takes is drawn in
// pieces that share their end points.
void draw_lines(Display *display, Drawable win, XPoint *pts, int n)
{
    long max_request = XExtendedMaxRequestSize(display);
    if (max_request <= 0) max_request = XMaxRequestSize(display);
    const int chunk = static_cast<int>(max_request - 8 > INT_MAX ? INT_MAX : max_request - 8);
    if (chunk < 2 || n <= chunk) {
        XDrawLines(display, win, line_gc, pts, n, CoordModeOrigin);
        return;
    }
    for (int start = 0; start < n - 1; start += chunk - 1) {
        const int count = n - start < chunk ? n - start : chunk;
        XDrawLines(display, win, line_gc, pts + start, count, CoordModeOrigin);
    }
}

int draw_x11(Gint n, const Gpt *points)
{
    if (static_cast<size_t>(n) <= INT_MAX / sizeof(Gpt)) {
        void *obj = gnew_obj(30, n, static_cast<int>(n * sizeof(Gpt)), nullptr);
        if (obj) std::memcpy(obj, points, n * sizeof(Gpt));
    }
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
    if (display && win && line_gc) draw_lines(display, win, pts, n);
    return 0;
}

void write_meta(Gint n, const Gpt *points)
{
    if (gmeta_get_type() == 1) {
        gcgm_control(4, 1, 31, 4 * n);
        for (Gint i = 0; i < n; i++) gcgm_point(points[i].x, points[i].y);
        return;
    }
    gmeta_printf("PL %d ", n);
    for (Gint i = 0; i < n; i++) {
        gmeta_printf("%f,%f ", points[i].x, points[i].y);
        if (i % 4 == 3 && i != n - 1) gmeta_printf("\n   ");
    }
    gmeta_printf("\n");
}

void write_ps(Gint n, const Gpt *points)
{
    gps_printf("%%%%PL:%d\n", n);
    gps_set_width(static_cast<int>(line_color), line_width);
    gps_set_color(static_cast<int>(line_color));
    gps_set_type(line_type);
    gps_printf("np\n");
    gps_move(points[0].x, points[0].y);
    for (Gint i = 1; i < n; i++) gps_line(points[i].x, points[i].y);
    gps_printf("stroke\n");
}

void write_hpgl(Gint n, const Gpt *points)
{
    ghpgl_set_width(static_cast<int>(line_color), line_width);
    ghpgl_set_color(static_cast<int>(line_color));
    ghpgl_set_type(line_type);
    ghpgl_move(points[0].x, points[0].y);
    for (Gint i = 1; i < n; i++) {
        ghpgl_line(points[i].x, points[i].y);
        if (i % 10 == 9) ghpgl_printf("\n");
    }
    ghpgl_printf("\n");
}

// The display and the line context while an X11 workstation is open.
bool x11_context(Display *&display)
{
    display = gget_display();
    return gtype_is_WIN_PIX() && gchk_graphics() && display && line_gc;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Drawing
// ---------------------------------------------------------------------------------------------

Gint gpolyline(Gint n, const Gpt *points)
{
    if (!gchk_graphics()) {
        gerr_printf("gpolyline", "GKS not opened\n");
        return -1;
    }
    if (n < 2 || !points) {
        gerr_printf("gpolyline", "invalid number of points: %d\n", n);
        return -1;
    }
    if (!gpts_in_win(n, points)) return 0;
    if (gtype_is_META()) {
        write_meta(n, points);
        return 1;
    }
    if (gtype_is_WIN_PIX()) return draw_x11(n, points);
    if (gtype_is_PS()) write_ps(n, points);
    else if (gtype_is_HPGL()) write_hpgl(n, points);
    return 0;
}

int gxline(Drawable win, const XPoint *p1, const XPoint *p2)
{
    Display *display;
    if (x11_context(display) && win && p1 && p2)
        XDrawLine(display, win, line_gc, p1->x, p1->y, p2->x, p2->y);
    return 0;
}

int gxrect(Drawable win, const XPoint *p1, const XPoint *p2)
{
    Display *display;
    if (!x11_context(display) || !win || !p1 || !p2) return 0;
    const int left = p1->x < p2->x ? p1->x : p2->x;
    const int top = p1->y < p2->y ? p1->y : p2->y;
    const int width = p1->x < p2->x ? p2->x - p1->x : p1->x - p2->x;
    const int height = p1->y < p2->y ? p2->y - p1->y : p1->y - p2->y;
    XDrawRectangle(display, win, line_gc, left, top, static_cast<unsigned>(width),
                   static_cast<unsigned>(height));
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Attributes
// ---------------------------------------------------------------------------------------------

Gint gset_line_colr_ind(Gint ind)
{
    if (!gchk_graphics()) {
        gerr_printf("gset_line_colr_ind", "GKS not opened\n");
        return -1;
    }
    if (!gis_valid_colr(ind)) {
        gerr_printf("gset_line_colr_ind", "invalid color index: %d\n", ind);
        return -1;
    }
    const bool pen = ind >= 500 && ind <= 508;
    if (pen && gtype_is_WIN_PIX()) ind = 1;
    else if (!pen && gget_color_ind(ind) == -1) {
        gerr_printf("gset_line_colr_ind", "color index not initialized\n");
        return -1;
    }
    if (static_cast<unsigned int>(ind) == line_color) return 0;
    line_color = static_cast<unsigned int>(ind);
    if (gtype_is_META()) {
        gmeta_printf("PL_CLR %d\n", ind);
        return 0;
    }
    gnew_obj(35, ind, 0, nullptr);
    Display *display;
    if (x11_context(display))
        XSetForeground(display, line_gc, static_cast<unsigned long>(gget_color_ind(ind)));
    return 0;
}

Gint gset_linewidth(Gfloat width)
{
    if (!gchk_graphics()) {
        gerr_printf("gset_linewidth", "GKS not opened\n");
        return -1;
    }
    if (!valid_width(width)) {
        gerr_printf("gset_linewidth", "invalid line width: %f\n", width);
        return -1;
    }
    if (width == line_width) return 0;
    if (gtype_is_PS() && width == 0) width = 1;
    line_width = width;
    if (gtype_is_META()) {
        gmeta_printf("PL_LW %f\n", width);
        return 0;
    }
    gnew_obj(34, 1, sizeof(float), &width);
    Display *display;
    if (x11_context(display)) {
        XGCValues values;
        values.line_width = x_width(width);
        XChangeGC(display, line_gc, GCLineWidth, &values);
    }
    return 0;
}

Gint gset_linetype(Gint type)
{
    if (!gchk_graphics()) {
        gerr_printf("gset_linetype", "GKS not opened\n");
        return -1;
    }
    if (type < 0) {
        gerr_printf("gset_linetype", "invalid line type: %d\n", type);
        return -1;
    }
    if (type == line_type) return 0;
    line_type = type;
    if (gtype_is_META()) {
        gmeta_printf("PL_TYPE %d\n", type);
        return 0;
    }
    gnew_obj(33, type, 0, nullptr);
    Display *display;
    if (x11_context(display)) {
        XGCValues values;
        values.line_style = type == 1 ? LineSolid : LineOnOffDash;
        XChangeGC(display, line_gc, GCLineStyle, &values);
        // Type 0 and types above 5 keep the dash list the context has.
        if (type >= 2 && type <= 5)
            XSetDashes(display, line_gc, 0, dashes[type - 2].list, dashes[type - 2].len);
    }
    return 0;
}

int gset_line_print_bold(int factor)
{
    print_bold = factor < 1 ? 1 : factor;
    gnew_obj(36, print_bold, 0, nullptr);
    return 0;
}

int gget_line_print_bold() { return print_bold; }

int gget_line_colr() { return static_cast<int>(line_color); }

// The context only while an X11 workstation is open: after its close the context is freed.
GC gget_line_gc()
{
    Display *display;
    return x11_context(display) ? line_gc : nullptr;
}

int gset_line_gc_func(int function)
{
    line_gc_function = function;
    Display *display;
    if (x11_context(display)) XSetFunction(display, line_gc, function);
    return 0;
}

int gget_line_gc_func() { return line_gc_function; }

// ---------------------------------------------------------------------------------------------
// Initialisation
// ---------------------------------------------------------------------------------------------

int ginit_line(int kind)
{
    Display *display = gget_display();
    if (kind != 0 && kind != 1) {
        // A print of the display list initialises the kernel for the printer while the window
        // stays open: the window's context follows the attributes just reset (colour 1, solid,
        // thin), so that drawing after the print matches them.
        if (display && line_gc && gget_root_window()) {
            XGCValues values;
            const int pixel = gget_color_ind(1);
            values.foreground = pixel >= 0 ? static_cast<unsigned long>(pixel)
                                           : WhitePixel(display, gget_screen());
            values.line_width = 0;
            values.line_style = LineSolid;
            XChangeGC(display, line_gc, GCForeground | GCLineWidth | GCLineStyle, &values);
        }
        return 0;
    }
    if (!display) return 0;
    // A new X11 workstation: the context of an earlier one was freed when it closed.
    if (kind == 0) line_gc = XCreateGC(display, gget_root_window(), 0, nullptr);
    if (!x11_context(display)) return 0;  // no X11 workstation open: its context is gone
    XRectangle clip;
    gget_xviewport(&clip);
    XSetClipRectangles(display, line_gc, 0, 0, &clip, 1, Unsorted);
    line_gc_function = GXcopy;
    XSetFunction(display, line_gc, GXcopy);
    // The current colour's pixel once it has a cell (after a redraw), else white.
    const int screen = gget_screen();
    const int pixel = gget_color_ind(static_cast<int>(line_color));
    XSetForeground(display, line_gc,
                   pixel >= 0 ? static_cast<unsigned long>(pixel) : WhitePixel(display, screen));
    XSetBackground(display, line_gc, BlackPixel(display, screen));
    return 0;
}

int greset_line()
{
    line_color = 1;
    line_type = 1;
    line_width = 1.0f;
    return 0;
}
