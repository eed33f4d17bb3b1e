// Polymarkers: a marker of the current type, size, width and colour at each of a list of world
// points, stroked in device coordinates so that its size does not follow the transformation.
// Markers carry the drop shadow that the text layer holds.
#include "gks.h"
#include "gks_x11.h"
#include "gks_internal.h"

#include <climits>
#include <cmath>
#include <vector>

namespace {

unsigned int marker_color = 1;  // colour index
int marker_type = 1;            // 1 to 9; others draw nothing
float marker_width = 1.0f;      // stroke width
float marker_height = 1.0f;     // marker size; 10 after every kernel initialisation
GC mark_gc = nullptr;           // the context X11 markers are drawn with

constexpr int POINTS_PER_LINE = 4;  // points per metafile record line

// A device coordinate as an X coordinate: truncated, and held inside the 16-bit range (a
// non-number goes to the lower end) so that the conversion is always defined.
short to_xcoord(float v)
{
    const float t = std::trunc(v);
    if (!(t >= -32768.0f)) return -32768;
    if (t > 32767.0f) return 32767;
    return static_cast<short>(t);
}

// The X11 context may be used only while an X11 workstation has it: its close frees it.
bool have_x_gc() { return gtype_is_WIN_PIX() && gchk_graphics() && gget_display() && mark_gc; }

int set_x_foreground(unsigned long pixel)
{
    if (have_x_gc()) XSetForeground(gget_display(), mark_gc, pixel);
    return 0;
}

// The marker's device size on the current workstation.
float device_size()
{
    const float size = 10.0f * marker_height;
    if (gtype_is_PS()) return static_cast<float>(0.72 * static_cast<double>(size));
    if (gtype_is_HPGL()) return static_cast<float>(10.15 * static_cast<double>(size));
    return size;
}

// A product of a factor and s formed in double precision, stored as a float.
inline float mul(double factor, float s) { return static_cast<float>(factor * s); }

// Draws the strokes of one marker with a shadow of `depth` copies under it.  On the X11 types the
// copies are drawn in the screen's black pixel one pixel further right and down each time; the
// print workstations have no X context, so there the copies take the black pen and go right and
// down the page (its y axis points up).
void draw_with_shadow(float cx, float cy, float size, int depth)
{
    if (depth > 0) {
        if (gtype_is_WIN_PIX()) {
            Display *display = gget_display();
            if (have_x_gc()) XSetForeground(display, mark_gc, BlackPixel(display, gget_screen()));
            for (int k = 0; k < depth; k++)
                draw_marker(cx + static_cast<float>(k), cy + static_cast<float>(k), size);
            set_x_foreground(static_cast<unsigned long>(gget_color_ind(static_cast<int>(marker_color))));
        } else if (gtype_is_PS() || gtype_is_HPGL()) {
            const bool ps = gtype_is_PS();
            if (ps) gps_set_color(500);
            else ghpgl_set_color(500);
            for (int k = 0; k < depth; k++)
                draw_marker(cx + static_cast<float>(k), cy - static_cast<float>(k), size);
            if (ps) gps_set_color(static_cast<int>(marker_color));
            else ghpgl_set_color(static_cast<int>(marker_color));
        }
    }
    draw_marker(cx, cy, size);
}

bool check_open(const char *func)
{
    if (gchk_graphics()) return true;
    gerr_printf(func, "GKS not opened\n");
    return false;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Drawing
// ---------------------------------------------------------------------------------------------

Gint gpolymarker(Gint n, const Gpt *points)
{
    if (!check_open("gpolymarker")) return -1;
    if (n < 0 || (n > 0 && !points)) {
        gerr_printf("gpolymarker", "invalid number of points: %d\n", n);
        return -1;
    }
    if (n == 0) return 0;

    if (gtype_is_META()) {
        gmeta_printf("PM %d ", n);
        for (Gint i = 0; i < n; i++) {
            gmeta_printf("%f,%f ", points[i].x, points[i].y);
            if ((i + 1) % POINTS_PER_LINE == 0) gmeta_printf("\n   ");
        }
        if (n % POINTS_PER_LINE != 0) gmeta_printf("\n");
        return 0;
    }

    // The object copies the world points (a list too long to size in an int keeps none).
    const bool fits = n <= INT_MAX / static_cast<Gint>(sizeof(Gpt));
    gnew_obj(40, n, fits ? n * static_cast<int>(sizeof(Gpt)) : 0, fits ? points : nullptr);

    const float size = device_size();
    if (gtype_is_PS()) {
        gps_printf("%%%%PM:%d\n", n);
        gps_set_width(static_cast<int>(marker_color), marker_width);
        gps_set_color(static_cast<int>(marker_color));
        gps_set_type(1);
    } else if (gtype_is_HPGL()) {
        ghpgl_set_width(static_cast<int>(marker_color), marker_width);
        ghpgl_set_color(static_cast<int>(marker_color));
        ghpgl_set_type(1);
    } else if (!gtype_is_WIN_PIX()) {
        return 0;
    }

    const bool x11 = gtype_is_WIN_PIX();
    const int depth = gget_font_drop();
    for (Gint i = 0; i < n; i++) {
        float cx, cy;
        if (x11) {
            cx = static_cast<float>(static_cast<double>(xW_p(points[i].x)) + 0.5);
            cy = static_cast<float>(static_cast<double>(yW_p(points[i].y)) + 0.5);
        } else {
            cx = xW_ps(points[i].x);
            cy = yW_ps(points[i].y);
        }
        draw_with_shadow(cx, cy, size, depth);
    }
    return 0;
}

int draw_marker(float cx, float cy, float S)
{
    const float s = std::trunc(S / 2);
    Gpt p[13];
    switch (marker_type) {
    case 1:  // a 2 x 2 block whatever the size
        p[0] = {cx, cy};
        p[1] = {cx + 1, cy};
        p[2] = {cx + 1, cy + 1};
        p[3] = {cx, cy + 1};
        p[4] = p[0];
        mark_draw(5, p);
        break;
    case 2:  // plus
        p[0] = {cx - s, cy};
        p[1] = {cx + s, cy};
        mark_draw(2, p);
        p[0] = {cx, cy + s};
        p[1] = {cx, cy - s};
        mark_draw(2, p);
        break;
    case 3:  // star
        p[0] = {cx - s, cy};
        p[1] = {cx + s, cy};
        mark_draw(2, p);
        p[0] = {cx - s, cy - s};
        p[1] = {cx + s, cy + s};
        mark_draw(2, p);
        p[0] = {cx, cy + s};
        p[1] = {cx, cy - s};
        mark_draw(2, p);
        p[0] = {cx + s, cy - s};
        p[1] = {cx - s, cy + s};
        mark_draw(2, p);
        break;
    case 4: {  // circle: a closed 12-gon
        const float a = mul(0.866, s), b = mul(0.5, s);
        p[0] = {cx - s, cy};
        p[1] = {cx - a, cy + b};
        p[2] = {cx - b, cy + a};
        p[3] = {cx, cy + s};
        p[4] = {cx + b, cy + a};
        p[5] = {cx + a, cy + b};
        p[6] = {cx + s, cy};
        p[7] = {cx + a, cy - b};
        p[8] = {cx + b, cy - a};
        p[9] = {cx, cy - s};
        p[10] = {cx - b, cy - a};
        p[11] = {cx - a, cy - b};
        p[12] = p[0];
        mark_draw(13, p);
        break;
    }
    case 5:  // x
        p[0] = {cx - s, cy - s};
        p[1] = {cx + s, cy + s};
        mark_draw(2, p);
        p[0] = {cx + s, cy - s};
        p[1] = {cx - s, cy + s};
        mark_draw(2, p);
        break;
    case 6:  // square
        p[0] = {cx - s, cy + s};
        p[1] = {cx + s, cy + s};
        p[2] = {cx + s, cy - s};
        p[3] = {cx - s, cy - s};
        p[4] = p[0];
        mark_draw(5, p);
        break;
    case 7:  // triangle, apex up on the screen
        p[0] = {cx - s, cy + s};
        p[1] = {cx + s, cy + s};
        p[2] = {cx, cy - s};
        p[3] = p[0];
        mark_draw(4, p);
        break;
    case 8:  // dot
        p[0] = {cx, cy};
        mark_draw(1, p);
        break;
    case 9:  // inverted triangle, apex down on the screen
        p[0] = {cx - s, cy - s};
        p[1] = {cx + s, cy - s};
        p[2] = {cx, cy + s};
        p[3] = p[0];
        mark_draw(4, p);
        break;
    default: break;
    }
    return 0;
}

int mark_draw(int n, const Gpt *points)
{
    if (n < 1 || !points) return 0;
    if (gtype_is_WIN_PIX()) {
        Display *display = gget_display();
        const Drawable draw = gget_draw_window();
        if (!have_x_gc() || !draw) return 0;
        if (n == 1) {
            XDrawPoint(display, draw, mark_gc, to_xcoord(points[0].x), to_xcoord(points[0].y));
            return 0;
        }
        XPoint local[16];
        std::vector<XPoint> heap;
        XPoint *xp = local;
        if (n > 16) {
            heap.resize(static_cast<size_t>(n));
            xp = heap.data();
        }
        for (int i = 0; i < n; i++) xp[i] = XPoint{to_xcoord(points[i].x), to_xcoord(points[i].y)};
        XDrawLines(display, draw, mark_gc, xp, n, CoordModeOrigin);
    } else if (gtype_is_PS()) {
        gps_printf("np\n");
        gps_move_abs(points[0].x, points[0].y);
        for (int i = 1; i < n; i++) gps_line_abs(points[i].x, points[i].y);
        gps_printf("stroke\n");
    } else if (gtype_is_HPGL()) {
        ghpgl_move_abs(points[0].x, points[0].y);
        for (int i = 1; i < n; i++) ghpgl_line_abs(points[i].x, points[i].y);
        ghpgl_printf("\n");
    }
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Attributes
// ---------------------------------------------------------------------------------------------

Gint gset_marker_colr_ind(Gint ind)
{
    if (!check_open("gset_marker_colr_ind")) return -1;
    if (!gis_valid_colr(ind)) {
        gerr_printf("gset_marker_colr_ind", "invalid color index: %d\n", ind);
        return -1;
    }
    const bool pen = ind >= 500 && ind <= 508;
    if (pen && gtype_is_WIN_PIX()) ind = 1;
    else if (!pen && gget_color_ind(ind) == -1) {
        gerr_printf("gset_marker_colr_ind", "color index not initialized\n");
        return -1;
    }
    if (static_cast<unsigned int>(ind) == marker_color) return 0;
    marker_color = static_cast<unsigned int>(ind);
    if (gtype_is_META()) {
        gmeta_printf("PM_CLR %d\n", ind);
    } else {
        gnew_obj(45, ind, 0, nullptr);
        set_x_foreground(static_cast<unsigned long>(gget_color_ind(ind)));
    }
    return 0;
}

Gint gset_marker_size(Gfloat size)
{
    if (!check_open("gset_marker_size")) return -1;
    if (!(size >= 0)) {  // negative, or not a number
        gerr_printf("gset_marker_size", "invalid marker size: %f\n", static_cast<double>(size));
        return -1;
    }
    if (size == marker_height) return 0;
    marker_height = size;
    if (gtype_is_META()) gmeta_printf("PM_SIZE %f\n", static_cast<double>(size));
    else gnew_obj(44, 1, sizeof(float), &size);
    return 0;
}

Gint gset_marker_type(Gint type)
{
    if (!check_open("gset_marker_type")) return -1;
    if (type == marker_type) return 0;
    marker_type = type;
    if (gtype_is_META()) gmeta_printf("PM_TYPE %d\n", type);
    else gnew_obj(43, type, 0, nullptr);
    return 0;
}

Gint gset_marker_width(Gfloat width)
{
    if (!check_open("gset_marker_width")) return -1;
    if (!(width >= 0)) {  // negative, or not a number
        gerr_printf("gset_marker_width", "invalid marker width: %f\n",
                    static_cast<double>(width));
        return -1;
    }
    if (width == marker_width) return 0;
    if (gtype_is_PS() && width == 0) width = 1;
    marker_width = width;
    if (gtype_is_META()) {
        gmeta_printf("PM_WDTH %f\n", static_cast<double>(width));
    } else {
        gnew_obj(46, 1, sizeof(float), &width);
        if (have_x_gc()) {
            XGCValues values;
            values.line_width = width < 32767 ? static_cast<int>(width) : 32767;
            XChangeGC(gget_display(), mark_gc, GCLineWidth, &values);
        }
    }
    return 0;
}

int gget_marker_colr() { return static_cast<int>(marker_color); }

// The context only while an X11 workstation is open: after its close the context is freed.
GC gget_marker_gc() { return have_x_gc() ? mark_gc : nullptr; }

// ---------------------------------------------------------------------------------------------
// Initialisation
// ---------------------------------------------------------------------------------------------

int ginit_marker(int kind)
{
    Display *display = gget_display();
    if (kind != 0 && kind != 1) {
        // A print of the display list initialises the kernel for the printer while the window
        // stays open: the window's context follows the attributes just reset (colour 1, thin).
        if (display && mark_gc && gget_root_window()) {
            XGCValues values;
            const int pixel = gget_color_ind(1);
            values.foreground = pixel >= 0 ? static_cast<unsigned long>(pixel)
                                           : WhitePixel(display, gget_screen());
            values.line_width = 0;
            XChangeGC(display, mark_gc, GCForeground | GCLineWidth, &values);
        }
        return 0;
    }
    if (!display) return 0;
    if (kind == 0) {
        // A new X11 workstation: the context of an earlier one was freed when it closed.
        mark_gc = nullptr;
        const Drawable draw = gget_draw_window();
        if (!draw) return 0;
        mark_gc = XCreateGC(display, draw, 0, nullptr);
    }
    if (!have_x_gc()) return 0;  // no X11 workstation open: its context is gone
    XRectangle clip;
    gget_xviewport(&clip);
    XSetClipRectangles(display, mark_gc, 0, 0, &clip, 1, Unsorted);
    const int screen = gget_screen();
    XSetForeground(display, mark_gc, WhitePixel(display, screen));
    XSetBackground(display, mark_gc, BlackPixel(display, screen));
    return 0;
}

int greset_marker()
{
    marker_color = 1;
    marker_type = 1;
    marker_width = 1.0f;
    marker_height = 10.0f;
    return 0;
}
