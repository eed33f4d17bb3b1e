// Colour representation: the components and the X pixel of every colour index (0 to 255 the
// colour table, 256 the background), the X colour cells behind them (private read-write cells
// where the server grants them, shared read-only cells otherwise), an optional colormap of the
// program's own, the background colour and the inverse-video flag.
//
// On the X11 workstations every index gets a cell as it is defined; a primitive colour setter
// refuses an index without one.  On the file workstations no cells exist: a defined entry is
// marked -2 there, so that the setters accept it.  The background of a page is white.
#include "gks.h"
#include "gks_x11.h"
#include "gks_internal.h"
#include "vyk.h"
#include "vykgks.h"
#include "vykresrc.h"

#include <X11/Xutil.h>

#include <cmath>
#include <cstdlib>
#include <array>
#include <cstring>
#include <vector>

namespace {

constexpr int NUM_IND = 257;      // 0 to 255 and the background
constexpr int BACKGROUND = 256;
constexpr int TABLE_MAX = 255;    // highest colour-table index
constexpr int NO_CELL = -1;
constexpr int FILE_CELL = -2;     // defined on a workstation without colour cells

// The colour cells of the indices; every X11 workstation set up starts without any.
struct Cells {
    std::array<int, NUM_IND> pixel = no_cells();  // X pixel of each index; NO_CELL or FILE_CELL
    std::array<bool, NUM_IND> rw{};               // the index owns a private read-write cell

    static constexpr std::array<int, NUM_IND> no_cells()
    {
        std::array<int, NUM_IND> a{};
        a.fill(NO_CELL);
        return a;
    }
} cells;

bool defined[NUM_IND];            // the components have been set
float red[NUM_IND], grn[NUM_IND], blu[NUM_IND];
int max_color_ind = 0;            // highest table index defined so far
int rw_colors = 1;
int local_cmap = 0;
int inverse = 0;
Colormap def_colormap = 0;
Colormap user_colormap = 0;
Colormap created_cmap = 0;        // the colormap made for the own window, freed at its close
char background[50] = "";

// The cells allocated for the own window, released when the next X11 workstation is set up
// (the window that showed them is gone by then).  A loop window keeps its pictures, so cells
// allocated there are never released.
std::vector<unsigned long> own_cells;
Colormap own_cells_cmap = 0;
Display *own_cells_display = nullptr;


int index_of(int ind) { return ind == -1 ? BACKGROUND : ind; }
bool in_table(int ind) { return ind >= 0 && ind < NUM_IND; }
bool is_pen(int ind) { return ind >= 500 && ind <= 508; }

// The device has colour cells: an X11 window.
bool has_cells() { return gdev().caps & GDEV_WINDOW; }

// A component brought into 0..1 (a value that is not a number reads as 0).
float unit(float v)
{
    if (!(v > 0.0f)) return 0.0f;
    return v > 1.0f ? 1.0f : v;
}

unsigned short to16(float v) { return static_cast<unsigned short>(65535.0f * v); }

bool debugging() { return MESS_check(M_DEBUG_C) != 0; }

void remember_cell(Display *display, Colormap cmap, unsigned long pixel)
{
    if (!(gdev().caps & GDEV_OWN_WINDOW)) return;
    if (own_cells.empty() || own_cells_cmap != cmap || own_cells_display != display) {
        own_cells.clear();
        own_cells_cmap = cmap;
        own_cells_display = display;
    }
    own_cells.push_back(pixel);
}

void release_own_cells(Display *display)
{
    if (!own_cells.empty() && display == own_cells_display && own_cells_cmap) {
        gset_Xerror_print(0);
        XFreeColors(display, own_cells_cmap, own_cells.data(), static_cast<int>(own_cells.size()),
                    0);
        XSync(display, False);
        gclear_Xerror();
        gset_Xerror_print(1);
    }
    own_cells.clear();
    own_cells_cmap = 0;
    own_cells_display = nullptr;
}

// A shared read-only cell for the colour.  When the colormap has no room left (a full 8-bit
// colormap), the nearest colour the colormap holds stands in for it: its cell is shared when
// it is read-only, else its pixel is used as it is.  The colour record receives the pixel and
// the components of the cell.  False only when the colormap cannot be read at all.
bool alloc_shared(Display *display, Colormap cmap, XColor &color)
{
    color.flags = DoRed | DoGreen | DoBlue;
    if (XAllocColor(display, cmap, &color)) {
        remember_cell(display, cmap, color.pixel);
        return true;
    }
    Visual *visual = gget_visual();
    const int entries = visual ? visual->map_entries : 0;
    if (entries <= 0 || entries > 65536) return false;
    std::vector<XColor> cells(static_cast<size_t>(entries));
    for (int i = 0; i < entries; i++)
        cells[static_cast<size_t>(i)].pixel = static_cast<unsigned long>(i);
    XQueryColors(display, cmap, cells.data(), entries);
    long best_d = -1;
    XColor best{};
    for (const XColor &c : cells) {
        const long d = std::labs(long(c.red) - color.red) + std::labs(long(c.green) - color.green) +
                       std::labs(long(c.blue) - color.blue);
        if (best_d < 0 || d < best_d) {
            best_d = d;
            best = c;
        }
    }
    XColor shared = best;
    shared.flags = DoRed | DoGreen | DoBlue;
    if (XAllocColor(display, cmap, &shared) && shared.pixel == best.pixel)
        remember_cell(display, cmap, shared.pixel);
    color.pixel = best.pixel;
    color.red = best.red;
    color.green = best.green;
    color.blue = best.blue;
    MESS_print(M_DEBUG_C, "Nearest X Color: %lu (%5d %5d %5d)\n", color.pixel, color.red,
               color.green, color.blue);
    return true;
}

// For the debug line, reads the cell back.
void report_cell(Display *display, Colormap cmap, const char *what, int ind, unsigned long pixel,
                 float r, float g, float b)
{
    if (!debugging()) return;
    XColor q{};
    q.pixel = pixel;
    XQueryColor(display, cmap, &q);
    MESS_print(M_DEBUG_C, "%s: %d %lu (%.2f %.2f %.2f) (%5d %5d %5d)\n", what, ind, pixel, r, g, b,
               q.red, q.green, q.blue);
}

// The defined table index whose colour lies nearest (summed component differences); the lowest
// such index, -1 when none is defined.
int nearest_index(float r, float g, float b)
{
    int best = -1;
    float best_d = 0;
    for (int i = 0; i <= TABLE_MAX; i++) {
        if (!defined[i]) continue;
        const float d = std::fabs(r - red[i]) + std::fabs(g - grn[i]) + std::fabs(b - blu[i]);
        if (best < 0 || d < best_d) {
            best = i;
            best_d = d;
        }
    }
    return best;
}

// Stores the colour into the index's read-write cell: everything drawn in it changes colour.
void store_cell(Display *display, Colormap cmap, int ind, XColor &req, const char *what)
{
    req.pixel = static_cast<unsigned long>(cells.pixel[ind]);
    XStoreColor(display, cmap, &req);
    XSync(display, False);  // a store the server refuses is reported here
    report_cell(display, cmap, what, ind, req.pixel, red[ind], grn[ind], blu[ind]);
}

// Gives the index a shared cell holding the colour (or the nearest one the colormap has).
void share_cell(Display *display, Colormap cmap, int ind, XColor &req, const char *what)
{
    if (alloc_shared(display, cmap, req)) {
        cells.pixel[ind] = static_cast<int>(req.pixel);
        cells.rw[ind] = false;
    }
    report_cell(display, cmap, what, ind, req.pixel, red[ind], grn[ind], blu[ind]);
}

// Gives the index an X cell holding the colour (or stores the colour into its cell).  With
// read-write colours a cell is allocated when the index has none or only a shared one (a shared
// cell cannot be stored into); when the server grants none, colours are shared from then on.
int alloc_x11(int ind, XColor &req)
{
    Display *display = gget_display();
    if (!display) return cells.pixel[ind];
    const Colormap cmap = gget_colormap();
    const bool fresh = cells.pixel[ind] < 0 || (rw_colors && !cells.rw[ind]);
    if (fresh && rw_colors) {
        unsigned long pixel = 0, planes = 0;
        const Status status = XAllocColorCells(display, cmap, False, &planes, 0, &pixel, 1);
        XSync(display, False);
        MESS_print(M_DEBUG_C, "Allocated RW Cells: %d\n", status);
        if (!status) {
            rw_colors = 0;
        } else {
            cells.pixel[ind] = static_cast<int>(pixel);
            cells.rw[ind] = true;
            remember_cell(display, cmap, pixel);
        }
    }
    if (rw_colors)
        store_cell(display, cmap, ind, req, fresh ? "Stored new RW Cells" : "Stored RW Cells");
    else
        share_cell(display, cmap, ind, req,
                   fresh ? "Allocated new RW Cells" : "Allocated RW Cells");
    return cells.pixel[ind];
}

// The window's background: a name of the colour table (a '#' code of six hexadecimal digits
// joins it), else an X colour name, else black (white in inverse video); a shared
// cell holds it.
void window_background(Display *display, const char *desc)
{
    const int screen = gget_screen();
    const Colormap def = def_colormap ? def_colormap : DefaultColormap(display, screen);
    XColor color{};
    bool given = false;
    if (desc) {
        const bool code = desc[0] == '#';
        const int ind = code && std::strlen(desc) != 7 ? -1 : CLR_get_ind(desc);
        if (ind >= 0 && ind < CLR_get_num()) {
            float r, g, b;
            CLR_get_rgb(ind, &r, &g, &b);
            red[BACKGROUND] = unit(r);
            grn[BACKGROUND] = unit(g);
            blu[BACKGROUND] = unit(b);
            color.red = to16(red[BACKGROUND]);
            color.green = to16(grn[BACKGROUND]);
            color.blue = to16(blu[BACKGROUND]);
            given = true;
        } else if (XParseColor(display, def, desc, &color)) {
            given = true;
        } else {
            gerr_printf("ginit_background", "unknown background colour: %s\n", desc);
        }
    }
    if (!given) {
        color.pixel = inverse ? WhitePixel(display, screen) : BlackPixel(display, screen);
        XQueryColor(display, def, &color);
    }
    const Colormap cmap = gget_colormap();
    alloc_shared(display, cmap, color);
    MESS_print(M_DEBUG_C, "Allocated BG Color: %lu (%5d %5d %5d)\n", color.pixel, color.red,
               color.green, color.blue);
    XQueryColor(display, cmap, &color);
    MESS_print(M_DEBUG_C, "Queried BG Color: %lu (%5d %5d %5d)\n", color.pixel, color.red,
               color.green, color.blue);
    cells.pixel[BACKGROUND] = static_cast<int>(color.pixel);
    cells.rw[BACKGROUND] = false;
    red[BACKGROUND] = color.red / 65535.0f;
    grn[BACKGROUND] = color.green / 65535.0f;
    blu[BACKGROUND] = color.blue / 65535.0f;
    defined[BACKGROUND] = true;
}

// The index rule of the primitive colour setters; false after "func: ..." (the index is then
// unchanged).  A print pen stays a pen on a device that keeps pens and is colour 1 elsewhere.
bool check_colr_ind(const char *func, Gint &ind)
{
    if (!gcheck_open(func)) return false;
    if (!gis_valid_colr(ind)) {
        gerr_printf(func, "invalid color index: %d\n", ind);
        return false;
    }
    if (is_pen(ind)) {
        if (!(gdev().caps & GDEV_PENS)) ind = 1;
        return true;
    }
    if (gget_color_ind(ind) == NO_CELL) {
        gerr_printf(func, "color index not initialized\n");
        return false;
    }
    return true;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Defining colours
// ---------------------------------------------------------------------------------------------

Gint gset_colr_rep(Gint, Gint ind, const Gcolr_rep *rep)
{
    if (!gcheck_open("gset_colr_rep")) return -1;
    if (is_pen(ind)) return 0;
    if (!gis_valid_colr(ind)) {
        gerr_printf("gset_colr_rep", "invalid color index: %d\n", ind);
        return -1;
    }
    if (!rep) {
        gerr_printf("gset_colr_rep", "invalid color representation\n");
        return -1;
    }
    // Index -1 finds or creates the entry nearest the colour (galloc_colr).
    galloc_colr(ind, rep->red, rep->green, rep->blue);
    gkeep(GOBJ_COLR_REP, ind, sizeof(Gcolr_rep), rep);
    return 0;
}


Gint gset_colour(const char *func, Gint ind, int &field, Gobj_code code)
{
    if (!check_colr_ind(func, ind)) return -1;
    if (ind == field) return 0;
    field = ind;
    gkeep(code, ind);
    return 0;
}

int galloc_colr(int ind, float r, float g, float b)
{
    if (ind >= NUM_IND) {
        gerr_printf("galloc_colr", "invalid color index: %d\n", ind);
        return -1;
    }
    r = unit(r);
    g = unit(g);
    b = unit(b);
    XColor req{};
    req.red = to16(r);
    req.green = to16(g);
    req.blue = to16(b);
    req.flags = DoRed | DoGreen | DoBlue;

    if (ind > max_color_ind && ind <= TABLE_MAX) max_color_ind = ind;
    if (ind < 0) {
        // Find or create: the last defined entry within the tolerance, else a new entry; with
        // the table full, the nearest entry as it is.
        int found = -1;
        for (int i = 0; i <= max_color_ind; i++)
            if (defined[i] && gis_color_near(i, r, g, b, 0)) found = i;
        if (found >= 0) {
            ind = found;
            MESS_print(M_DEBUG_C, "Used existing ind: %d (%.2f %.2f %.2f)\n", ind, r, g, b);
        } else if (max_color_ind < TABLE_MAX) {
            ind = ++max_color_ind;
            MESS_print(M_DEBUG_C, "Allocated new ind: %d (%.2f %.2f %.2f)\n", ind, r, g, b);
        } else {
            ind = nearest_index(r, g, b);
            if (ind < 0) ind = TABLE_MAX;
            MESS_print(M_DEBUG_C, "Used existing ind: %d (%.2f %.2f %.2f)\n", ind, r, g, b);
            if (defined[ind]) {
                // The entry keeps its colour: drawing already done in it must not change.
                if (!has_cells()) return 1;
                if (cells.pixel[ind] >= 0) return cells.pixel[ind];
                // Its cell went with an earlier workstation: it gets one for its own colour.
                r = red[ind];
                g = grn[ind];
                b = blu[ind];
                req.red = to16(r);
                req.green = to16(g);
                req.blue = to16(b);
            }
        }
    }

    const bool unchanged = defined[ind] && red[ind] == r && grn[ind] == g && blu[ind] == b;
    red[ind] = r;
    grn[ind] = g;
    blu[ind] = b;
    defined[ind] = true;
    gdefine_colour(ind, r, g, b);

    if (!has_cells()) {
        if (cells.pixel[ind] == NO_CELL) cells.pixel[ind] = FILE_CELL;
        return 1;
    }
    // The same colour again (a table defined at every plot, an image colour found again): the
    // cell it has already shows it.
    if (unchanged && cells.pixel[ind] >= 0 && (cells.rw[ind] || !rw_colors)) return cells.pixel[ind];
    return alloc_x11(ind, req);
}

// ---------------------------------------------------------------------------------------------
// Inquiries
// ---------------------------------------------------------------------------------------------

int gis_color_near(int ind, float r, float g, float b, int flag)
{
    if (ind == -1) return 0;
    if (flag) {
        const int pixel = ind;
        ind = -1;
        for (int i = 0; i < NUM_IND; i++)
            if (cells.pixel[i] == pixel) ind = i;
        if (ind < 0) return 0;
    }
    if (!in_table(ind)) return 0;
    const float d = std::fabs(r - red[ind]) + std::fabs(g - grn[ind]) + std::fabs(b - blu[ind]);
    return static_cast<double>(d) < 0.01 ? 1 : 0;
}

int gis_valid_colr(int ind) { return (ind >= -1 && ind <= BACKGROUND) || is_pen(ind) ? 1 : 0; }

int gget_color_ind(int ind)
{
    ind = index_of(ind);
    return in_table(ind) ? cells.pixel[ind] : NO_CELL;
}

int gget_color_rgb(int ind, float *r, float *g, float *b)
{
    ind = index_of(ind);
    float vr = 0, vg = 0, vb = 0;
    if (in_table(ind)) {
        vr = red[ind];
        vg = grn[ind];
        vb = blu[ind];
    } else if (is_pen(ind)) {
        // The pens' greys: black, white and grey.
        static constexpr float grey[] = {0.0f, 1.0f, 0.7f};
        vr = vg = vb = grey[(ind - 500) / 3];
    }
    if (r) *r = vr;
    if (g) *g = vg;
    if (b) *b = vb;
    return 1;
}

int gget_color_rgb256(int ind, int *r, int *g, int *b)
{
    float vr, vg, vb;
    gget_color_rgb(ind, &vr, &vg, &vb);
    if (r) *r = static_cast<int>(255.0f * vr);
    if (g) *g = static_cast<int>(255.0f * vg);
    if (b) *b = static_cast<int>(255.0f * vb);
    return 1;
}

unsigned long gget_color_rgb_Xval(int red16, int grn16, int blu16)
{
    const int depth = gget_win_depth();
    const unsigned long masks[3] = {gget_red_mask(), gget_grn_mask(), gget_blu_mask()};
    const int comps[3] = {red16, grn16, blu16};
    int shift[3], width[3];
    unsigned long pixel = 0;
    for (int k = 0; k < 3; k++) {
        int s = 0;
        while (s < depth && s < 64 && !((masks[k] >> s) & 1UL)) s++;
        int w = 0;
        while (s + w < depth && s + w < 64 && ((masks[k] >> (s + w)) & 1UL)) w++;
        if (w > 16) w = 16;
        shift[k] = s;
        width[k] = w;
        int c = comps[k] < 0 ? 0 : (comps[k] > 65535 ? 65535 : comps[k]);
        if (w > 0 && s < 64) pixel += static_cast<unsigned long>(c >> (16 - w)) << s;
    }
    MESS_print(M_DEBUG_C, "mask: %d-%d-%d %d-%d-%d %d-%d-%d\n", shift[0], 16 - width[0],
               (1 << width[0]) - 1, shift[1], 16 - width[1], (1 << width[1]) - 1, shift[2],
               16 - width[2], (1 << width[2]) - 1);
    return pixel;
}

int gget_back_color() { return cells.pixel[BACKGROUND]; }

int gget_max_colr() { return max_color_ind; }

int gquery_xcolor(int ind)
{
    ind = index_of(ind);
    Display *display = gget_display();
    if (!rw_colors || !in_table(ind) || !display || !has_cells() || cells.pixel[ind] < 0)
        return 0;
    XColor q{};
    q.pixel = static_cast<unsigned long>(cells.pixel[ind]);
    XQueryColor(display, gget_colormap(), &q);
    MESS_print(M_DEBUG_C, "Query X Color: %d=%d (%.2f %.2f %.2f) (%5d %5d %5d)\n", ind,
               cells.pixel[ind], red[ind], grn[ind], blu[ind], q.red, q.green, q.blue);
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Workstation set-up
// ---------------------------------------------------------------------------------------------

int ginit_xcolr()
{
    Display *display = gget_display();
    release_own_cells(display);
    if (display && (gdev().caps & GDEV_OWN_WINDOW)) {
        if (local_cmap || std::getenv("LOCAL_CMAP") || std::getenv("vyklocal_cmap")) {
            created_cmap = XCreateColormap(display, gget_root_window(), gget_visual(), AllocNone);
            user_colormap = created_cmap;
        }
        if (user_colormap) XSetWindowColormap(display, gget_root_window(), user_colormap);
    }
    cells = Cells{};
    return 0;
}

int ginit_background()
{
    const char *desc = background[0] ? background : RES_get("background");
    if (!desc || !desc[0]) desc = gx_get_default("background");
    bool clear = true;
    if (desc && (stricmp(desc, "none") == 0 || stricmp(desc, "def") == 0 ||
                 stricmp(desc, "over") == 0)) {
        desc = nullptr;
        clear = false;
    }
    if (desc && !desc[0]) desc = nullptr;
    if (!has_cells()) {
        galloc_colr(BACKGROUND, 1.0f, 1.0f, 1.0f);  // the paper
        return 1;
    }
    if (Display *display = gget_display()) window_background(display, desc);
    if (clear && (gdev().caps & GDEV_OWN_WINDOW)) gclear_frame(-3);
    return 1;
}

// ---------------------------------------------------------------------------------------------
// Settings
// ---------------------------------------------------------------------------------------------

int gset_background(const char *name)
{
    strfcpy(background, name);
    return 1;
}

int gset_local_colormap(int val)
{
    local_cmap = val;
    return 1;
}

int gset_rw_colors(int val)
{
    rw_colors = val;
    return 0;
}

int gset_inverse(int val)
{
    inverse = val;
    return 0;
}

int gget_inverse() { return inverse; }

int gset_def_cmap(Colormap cmap)
{
    def_colormap = cmap;
    return 0;
}

Colormap gget_def_cmap() { return def_colormap; }

int gset_user_cmap(Colormap cmap)
{
    if (user_colormap && user_colormap == created_cmap && cmap != created_cmap) {
        // The own window's colormap is being given up (its close frees it): the cells
        // allocated in it went with it.
        if (own_cells_cmap == created_cmap) {
            own_cells.clear();
            own_cells_cmap = 0;
            own_cells_display = nullptr;
        }
        created_cmap = 0;
    }
    user_colormap = cmap;
    return 0;
}

Colormap gget_user_cmap() { return user_colormap; }

Colormap gget_colormap() { return user_colormap ? user_colormap : def_colormap; }
