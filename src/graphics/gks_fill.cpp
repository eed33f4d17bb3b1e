// Fill areas: a polygon through world points filled with the current fill colour, solid or in
// one of 20 built-in 8 x 8 patterns; the fill attributes, the X11 fill context and its pattern
// bitmaps, and the print-solid switch that the print drivers consult.
#include "gks.h"
#include "gks_x11.h"
#include "gks_internal.h"

#include <climits>
#include <cmath>
#include <memory>
#include <new>

namespace {

constexpr int NUM_PATTERNS = 20;

int fill_inter_style = GSOLID;  // interior style
int fill_inter_index = 1;       // pattern number, 0 to 19
int fill_color = 1;             // colour index
int print_solid = 0;            // 1: the print drivers fill solid instead of the grey shade
GC fill_gc = nullptr;
Pixmap fill_pat[NUM_PATTERNS] = {};

// Row r of a pattern is byte r, top row first; bit 0 is the leftmost pixel.  A set bit is drawn
// in the fill colour, a clear bit leaves what is below.
constexpr unsigned char bitmap[NUM_PATTERNS][8] = {
    {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},  // solid
    {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55},  // checkerboard
    {0x55, 0x00, 0x55, 0x00, 0x55, 0x00, 0x55, 0x00},
    {0x24, 0x11, 0x82, 0x48, 0x42, 0x11, 0x28, 0x84},
    {0x33, 0x33, 0x00, 0x00, 0xCC, 0xCC, 0x00, 0x00},
    {0x33, 0x33, 0x33, 0x33, 0x33, 0x33, 0x33, 0x33},  // vertical stripes
    {0x03, 0x06, 0x0C, 0x18, 0x30, 0x60, 0xC0, 0x81},  // diagonal, top left to bottom right
    {0x81, 0xC0, 0x60, 0x30, 0x18, 0x0C, 0x06, 0x03},  // diagonal, the other way
    {0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00},  // horizontal stripes
    {0xC3, 0x66, 0x3C, 0x18, 0x3C, 0x66, 0xC3, 0x81},  // crosses
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},  // empty
    {0x40, 0x10, 0x20, 0x01, 0x00, 0x04, 0x08, 0x02},  // scattered dots, rising density
    {0x08, 0xA0, 0x44, 0x11, 0x22, 0x10, 0x81, 0x44},
    {0x45, 0x28, 0x94, 0x43, 0x50, 0x09, 0x52, 0xA8},
    {0x19, 0xCA, 0x34, 0x1A, 0xE1, 0x32, 0xA5, 0xCC},
    {0x55, 0xDC, 0x3B, 0xE2, 0x97, 0xAA, 0x65, 0x3E},
    {0x7A, 0xE5, 0x5F, 0xAB, 0xF5, 0xEB, 0x5E, 0xB5},
    {0xFE, 0xBB, 0xF5, 0x6F, 0xFE, 0xD7, 0xBD, 0xEB},
    {0xFD, 0xFF, 0xEF, 0x7F, 0xDF, 0xFE, 0xF7, 0xAF},
    {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},  // solid
};

constexpr int LOCAL_POINTS = 10;    // polygons up to this size need no allocation
constexpr int POINTS_PER_LINE = 4;  // points per metafile record line

bool valid_pattern(int pattern) { return pattern >= 0 && pattern < NUM_PATTERNS; }

// The X11 context may be used only while an X11 workstation has it.
bool have_x_gc() { return gtype_is_WIN_PIX() && gchk_graphics() && gget_display() && fill_gc; }

// Loads the bitmap of a pattern as the context's stipple (nothing for a pattern without one).
void set_stipple(int pattern)
{
    if (have_x_gc() && valid_pattern(pattern) && fill_pat[pattern])
        XSetStipple(gget_display(), fill_gc, fill_pat[pattern]);
}

// A pixel coordinate: trunc(v + 0.5) in double precision, held inside the 16-bit range (a
// non-number goes to the lower end) so that the conversion is always defined.
short to_xcoord(float v)
{
    const double t = std::trunc(static_cast<double>(v) + 0.5);
    if (!(t >= -32768.0)) return -32768;
    if (t > 32767.0) return 32767;
    return static_cast<short>(t);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Drawing
// ---------------------------------------------------------------------------------------------

Gint gfill_area(Gint n, const Gpt *points)
{
    if (!gchk_graphics()) {
        gerr_printf("gfill_area", "GKS not opened\n");
        return -1;
    }
    if (n < 3 || !points) {
        gerr_printf("gfill_area", "invalid number of points: %d\n", n);
        return -1;
    }
    if (!gpts_in_win(n, points)) return 0;

    if (gtype_is_META()) {
        gmeta_printf("FA %d ", n);
        for (Gint i = 0; i < n; i++) {
            gmeta_printf("%f,%f ", points[i].x, points[i].y);
            if ((i + 1) % POINTS_PER_LINE == 0) gmeta_printf("\n   ");
        }
        if (n % POINTS_PER_LINE != 0) gmeta_printf("\n");
        return 1;
    }

    // The object copies the world points (a list too long to size in an int keeps none).
    const bool fits = n <= INT_MAX / static_cast<Gint>(sizeof(Gpt));
    gnew_obj(70, n, fits ? n * static_cast<int>(sizeof(Gpt)) : 0, fits ? points : nullptr);

    if (gtype_is_WIN_PIX()) {
        Display *display = gget_display();
        const Drawable draw = gget_draw_window();
        if (!have_x_gc() || !draw) return 0;
        XPoint local[LOCAL_POINTS];
        std::unique_ptr<XPoint[]> heap;
        XPoint *xp = local;
        if (n > LOCAL_POINTS) {
            heap.reset(new (std::nothrow) XPoint[static_cast<size_t>(n)]);
            if (!heap) {
                gerr_printf("gfill_area", "malloc error\n");
                return -1;
            }
            xp = heap.get();
        }
        for (Gint i = 0; i < n; i++)
            xp[i] = XPoint{to_xcoord(xW_p(points[i].x)), to_xcoord(yW_p(points[i].y))};
        XFillPolygon(display, draw, fill_gc, xp, n, Complex, CoordModeOrigin);
        XDrawLines(display, draw, fill_gc, xp, n, CoordModeOrigin);
    } else if (gtype_is_PS()) {
        if (fill_inter_style != GSOLID) return 0;
        gps_printf("%%%%FA:%d\n", n);
        gps_printf("np\n");
        gps_move(points[0].x, points[0].y);
        for (Gint i = 1; i < n; i++) gps_line(points[i].x, points[i].y);
        gps_printf("cp\n");
        gps_set_fill_color(fill_color);
        gps_printf("fill\n");
    } else if (gtype_is_HPGL()) {
        ghpgl_set_fill_color(fill_color);
        ghpgl_move(points[0].x, points[0].y);
        ghpgl_printf("PM0;");
        for (Gint i = 1; i < n; i++) ghpgl_line(points[i].x, points[i].y);
        ghpgl_printf("PM1;PM2;FP;\n");
    }
    return 0;
}

int gfill_test(int pattern, int x, int y)
{
    if (!valid_pattern(pattern)) return 0;
    const int col = ((x % 8) + 8) % 8, row = ((y % 8) + 8) % 8;
    return bitmap[pattern][row] & (1 << col);
}

// ---------------------------------------------------------------------------------------------
// Attributes
// ---------------------------------------------------------------------------------------------

Gint gset_fill_colr_ind(Gint ind)
{
    if (ind == fill_color) return 0;
    if (!gchk_graphics()) {
        gerr_printf("gset_fill_colr_ind", "GKS not opened\n");
        return -1;
    }
    if (!gis_valid_colr(ind)) {
        gerr_printf("gset_fill_colr_ind", "invalid color index: %d\n", ind);
        return -1;
    }
    const bool pen = ind >= 500 && ind <= 508;
    if (pen && gtype_is_WIN_PIX()) ind = 1;
    else if (!pen && gget_color_ind(ind) == -1) {
        gerr_printf("gset_fill_colr_ind", "color index not initialized\n");
        return -1;
    }
    fill_color = ind;
    if (gtype_is_META()) {
        gmeta_printf("FA_CLR %d\n", ind);
    } else {
        gnew_obj(75, ind, 0, nullptr);
        if (have_x_gc())
            XSetForeground(gget_display(), fill_gc, static_cast<unsigned long>(gget_color_ind(ind)));
    }
    return 0;
}

Gint gset_fill_int_style(Gfill_int_style style)
{
    if (style == fill_inter_style) return 0;
    if (!gchk_graphics()) {
        gerr_printf("gset_fill_int_style", "GKS not opened\n");
        return -1;
    }
    fill_inter_style = style;
    if (gtype_is_META()) {
        gmeta_printf("FA_INT %d\n", static_cast<int>(style));
        return 0;
    }
    gnew_obj(73, style, 0, nullptr);
    if (have_x_gc()) {
        if (style == GSOLID) {
            XSetFillStyle(gget_display(), fill_gc, FillSolid);
        } else if (style == GPAT) {
            XSetFillStyle(gget_display(), fill_gc, FillStippled);
            set_stipple(fill_inter_index);
        }
    }
    return 0;
}

Gint gset_fill_style_ind(Gint pattern)
{
    if (pattern == fill_inter_index) return 0;
    if (!gchk_graphics()) {
        gerr_printf("gset_fill_style_ind", "GKS not opened\n");
        return -1;
    }
    if (!valid_pattern(pattern)) {
        gerr_printf("gset_fill_style_ind", "invalid style index: %d\n", pattern);
        return -1;
    }
    fill_inter_index = pattern;
    if (gtype_is_META()) {
        gmeta_printf("FA_ST %d\n", pattern);
        return 0;
    }
    gnew_obj(74, pattern, 0, nullptr);
    set_stipple(pattern);
    return 0;
}

int gset_fill_print_solid(int val)
{
    print_solid = val;
    gnew_obj(76, val, 0, nullptr);
    return 0;
}

int gget_fill_print_solid() { return print_solid; }

int gget_fill_colr() { return fill_color; }

// The context only while an X11 workstation is open: after its close the context is freed.
GC gget_fill_gc() { return have_x_gc() ? fill_gc : nullptr; }

// ---------------------------------------------------------------------------------------------
// Initialisation
// ---------------------------------------------------------------------------------------------

int ginit_fill(int kind)
{
    Display *display = gget_display();
    if (kind != 0 && kind != 1) {
        // A print of the display list initialises the kernel for the printer while the window
        // stays open: the window's context follows the attributes just reset (colour 1, solid).
        if (display && fill_gc && gget_root_window()) {
            XGCValues values;
            const int pixel = gget_color_ind(1);
            values.foreground = pixel >= 0 ? static_cast<unsigned long>(pixel)
                                           : WhitePixel(display, gget_screen());
            values.fill_style = FillSolid;
            XChangeGC(display, fill_gc, GCForeground | GCFillStyle, &values);
        }
        return 0;
    }
    if (!display) return 0;
    if (kind == 0) {
        // A new X11 workstation: the context of an earlier one was freed when it closed.
        fill_gc = nullptr;
        const Window shown = gget_root_window();
        if (!shown) return 0;
        fill_gc = XCreateGC(display, shown, 0, nullptr);
        for (int i = 0; i < NUM_PATTERNS; i++)
            fill_pat[i] = XCreateBitmapFromData(display, shown,
                                                reinterpret_cast<const char *>(bitmap[i]), 8, 8);
    }
    if (!have_x_gc()) return 0;  // no X11 workstation open: its context is gone
    XRectangle clip;
    gget_xviewport(&clip);
    XSetClipRectangles(display, fill_gc, 0, 0, &clip, 1, Unsorted);
    XSetFillStyle(display, fill_gc, FillSolid);
    const int screen = gget_screen();
    XSetForeground(display, fill_gc, WhitePixel(display, screen));
    XSetBackground(display, fill_gc, BlackPixel(display, screen));
    return 0;
}

int greset_fill()
{
    fill_inter_style = GSOLID;
    fill_inter_index = 1;
    fill_color = 1;
    return 0;
}

int gdel_fill_pat()
{
    Display *display = gget_display();
    for (Pixmap &pat : fill_pat) {
        if (pat && display) XFreePixmap(display, pat);
        pat = 0;
    }
    return 0;
}
