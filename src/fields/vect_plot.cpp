// vect_plot.cpp: vector plots of a wind-component grid pair: arrows and barbs at the points of
// a skip lattice, streamlines traced in quarter-cell steps through the bilinear wind field with
// a density bookkeeping that keeps them from crowding, speed colouring through the contour
// colour table, the reference-vector legend and the stand-alone vector plot.
//
// Drawing works on a private copy of the caller's pair: turning the components (grid-relative
// to true north, true north to the map's north for streamlines) never changes the grids handed
// in, so a zoom or a second frame draws the same winds again.
#include "vykvplot.h"

#include "vyk.h"
#include "vykcont.h"
#include "vykgext.h"
#include "vykplot.h"
#include "vykresrc.h"
#include "vykvar.h"
#include "vykwind.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr M_type PROGRESS = 3840;  // "Plotting wind vectors"

// Vector types (plot-type codes).
enum {
    VT_GRID = 10, VT_WIND = 20, VT_ARROW = 21, VT_BARB = 22, VT_STREAM = 23, VT_NONE = 99
};
constexpr int CONT_FILL_TYPE = 15;  // the contour type colouring by speed uses
constexpr int SLOTS = 60;           // variable slots with a remembered series
constexpr int FORMAT_LEN = 100;     // the slot's format text: 99 characters and the end

// Streamline tracing.
constexpr float STEP = 0.25f;        // a step is a quarter unit along the wind
constexpr int HEAD_PERIOD = 10;      // steps between arrow heads at arrow scale 1
constexpr float HEAD_SIZE = 4;       // arrow-head size factor
constexpr int FREE_STEPS = 5;        // steps 1 to 5 may pass through crowded cells
constexpr int RUN_FACTOR = 6;        // most steps in one cell: this times the column skip
constexpr float STOP_SPEED = 0.001f; // a slower wind ends the line
constexpr float CALM_SPEED = 0.01f;  // a slower wind has direction 0
constexpr float TURN_MIN = 120, TURN_MAX = 240;  // a turn between these ends the line

// The legend.
constexpr float LEGEND_TEXT = 0.015f;  // text height, times the view height
constexpr float LEGEND_X = 0.01f, LEGEND_TEXT_X = 0.02f, LEGEND_Y = 0.025f;

constexpr int LABEL_MAX = 79;  // longest lower-left levels text
constexpr int VAR_VECTORS = 332, VAR_STREAMLINES = 333;  // variable codes of the upper-left label

struct VectState {
    int vect_type = VYK_MISS;    // 21 arrows, 22 barbs, 23 streamlines, 99 none
    int type_set = 0;            // the type was fixed with VECT_set_type
    int plot_type = VYK_MISS;    // the slot's plot type handed over with its format
    char format[FORMAT_LEN] = "";
    float intrvl = VYK_MISS;     // speed interval of the colouring
    float base = VYK_MISS;       // base speed; for streamlines the density limit
    float min_cut = VYK_MISS;    // speeds strictly between the cut-offs are drawn
    float max_cut = VYK_MISS;
    float grid_max = VYK_MISS;   // the largest speed of the pair
    std::string units = "m/s";  // the speeds' units: the grids' own, m/s when they name none
    float scale = 1;             // vector length scale, also the streamline length factor
    float arrow_scale = 1;       // streamline arrow heads: size and spacing
    int xskip = 1, yskip = 1;    // every xskip-th column and yskip-th row is drawn
    int uvgrid = 1;              // 1: components relative to the grid's axes
    int plt_vect = 0;            // reference-vector legend on
    float vect_size = 0;         // drawn length of a vector at the maximum speed
    float vert_size = 0;         // vertical size of the window the last drawing used
    float *grdx = nullptr;       // installed plot positions of the grid points
    float *grdy = nullptr;
    bool computed = false;       // the positions were computed by the drawing for pos_map
    Domain pos_map{};            // the map they were computed for
    Domain pos_grid{};           // the grid domain they were computed from
    std::vector<int> num;        // streamline density counts
    GRD_report *ugrd_ptr = nullptr, *vgrd_ptr = nullptr;
    PLT_callback callback = nullptr;
    Gattribs attr{};             // line and fill attributes of the drawing
    bool colouring = false;      // segments and arrows coloured by speed
    int vect_types[SLOTS] = {};
    float intrvls[SLOTS] = {};
    float bases[SLOTS] = {};
};

VectState st;

bool has_values(const GRD_report *g)
{
    return g && g->grid && g->domain.nx > 0 && g->domain.ny > 0 &&
           static_cast<size_t>(g->domain.nx) * static_cast<size_t>(g->domain.ny) <= GRD_MAX_POINTS;
}

bool same_size(const GRD_report *u, const GRD_report *v)
{
    return u->domain.nx == v->domain.nx && u->domain.ny == v->domain.ny;
}

size_t index_of(const GRD_report *g, int i, int row)
{
    return static_cast<size_t>(i) + static_cast<size_t>(row) * static_cast<size_t>(g->domain.nx);
}

bool set(float v) { return !VYK_is_miss(v); }

float item_float(const char *item) { return std::strtof(item + 3, nullptr); }

/// A private copy of a grid pair: the records with values of their own.
class PairCopy {
public:
    PairCopy(const GRD_report *u, const GRD_report *v)
        : u_(*u), v_(*v), uval_(u->grid, u->grid + points(u)), vval_(v->grid, v->grid + points(v))
    {
        u_.grid = uval_.data();
        v_.grid = vval_.data();
    }
    GRD_report *u() { return &u_; }
    GRD_report *v() { return &v_; }

private:
    static size_t points(const GRD_report *g)
    {
        return static_cast<size_t>(g->domain.nx) * static_cast<size_t>(g->domain.ny);
    }
    GRD_report u_, v_;
    std::vector<float> uval_, vval_;
};

/// One format item or plot-parameter word that fixes a vector type; VYK_MISS for none.
int type_word(const char *w)
{
    if (stricmp(w, "vect") == 0) return VT_ARROW;
    if (stricmp(w, "stream") == 0 || stricmp(w, "strm") == 0) return VT_STREAM;
    if (stricmp(w, "barb") == 0) return VT_BARB;
    return VYK_MISS;
}

int skip_of(int n) { return n > 0 ? n : 1; }

/// One item of the format text; *type gets a type the item chooses.
void format_item(const char *it, int *type)
{
    const int t = type_word(it);
    if (t != VYK_MISS) *type = t;
    else if (stricmp(it, "vbar") == 0) VECT_set_vect(1);
    else if (stricmp(it, "nolr") == 0) FLAG_setplot(PLOT_TEXT_LR, 0);
    else if (strnicmp(it, "sk=", 3) == 0) st.xskip = st.yskip = skip_of(std::atoi(it + 3));
    else if (strnicmp(it, "sc=", 3) == 0) st.scale = item_float(it);
    else if (strnicmp(it, "ss=", 3) == 0) st.arrow_scale = item_float(it);
    else if (strnicmp(it, "in=", 3) == 0) st.intrvl = item_float(it);
    else if (strnicmp(it, "cb=", 3) == 0) st.base = item_float(it);
    else if (strnicmp(it, "mn=", 3) == 0) st.min_cut = item_float(it);
    else if (strnicmp(it, "mx=", 3) == 0) st.max_cut = item_float(it);
}

/// One word of plot_param.
void param_word(const char *w)
{
    const char *eq = std::strchr(w, '=');
    if (stricmp(w, "vect") == 0 || stricmp(w, "vbar") == 0) {
        VECT_set_vect(1);
    } else if (stricmp(w, "uvgrid") == 0) {
        st.uvgrid = 1;
    } else if (stricmp(w, "uvew") == 0) {
        st.uvgrid = 0;
    } else if (strnicmp(w, "strm_sc", 7) == 0) {
        if (eq) st.arrow_scale = std::strtof(eq + 1, nullptr);
        if (!(st.arrow_scale > 0)) st.arrow_scale = 1;
    } else if (strnicmp(w, "wv_skip", 7) == 0) {
        if (!eq) return;
        int x = 1, y = 1;
        const int n = std::sscanf(eq + 1, "%d:%d", &x, &y);
        if (n < 1) return;
        if (n == 1) y = x;
        st.xskip = skip_of(x);
        st.yskip = skip_of(y);
    } else if (stricmp(w, "bar") == 0) {
        CONT_set_bar(1);
    } else if (stricmp(w, "nobar") == 0) {
        CONT_set_bar(-1);
    }
}

/// The items of con_base: '>' the lower cut-off, '<' the upper one, else the base.
void apply_con_base()
{
    CONT_base_items([](char kind, float value) {
        if (kind == '>') st.min_cut = value;
        else if (kind == '<') st.max_cut = value;
        else st.base = value;
    });
}

/// The lower-left text: the explicit levels, or the interval, or nothing.
void label_levels(std::string *text)
{
    char num[32];
    float levels[CONT_LEVELS];
    const int n = CONT_get_values(levels);
    if (n > 0) {
        *text = "LEVELS: ";
        for (int k = 0; k < n; k++) {
            std::string next = *text;
            if (k > 0) next += ',';
            next += set_num(num, "5.1.1", levels[k]);
            if (next.size() > static_cast<size_t>(LABEL_MAX)) break;
            *text = next;
        }
    } else if (set(st.intrvl)) {
        char buf[PLT_LABEL_MAX + 1];
        std::snprintf(buf, sizeof buf, "INTERVAL: %s", set_num(num, "5.1.1", st.intrvl));
        *text = buf;
        CONT_set_intrvl(st.intrvl);
    }
}

/// The labels of the vector plot.
void setup_labels(const GRD_report *u)
{
    const bool stream = FLAG_get(FLAG_PLOT_TYPE) == VT_STREAM;
    char text[VAR_LABEL_LEN];
    st.units = u->units[0] ? u->units : "m/s";
    VAR_make_datatype(u->time, u->ltype, u->level, stream ? VAR_STREAMLINES : VAR_VECTORS,
                      st.units.c_str(), text);
    PLT_label_up_left(text);
    PLT_label_up_right(u->datim);
    if (stream || st.plt_vect == 0) {
        char num[32], max[PLT_LABEL_MAX + 1];
        std::snprintf(max, sizeof max, "MAX: %s", set_num(num, "5.3.1", st.grid_max));
        PLT_label_low_right(max);
    }
    std::string lower;
    label_levels(&lower);
    if (CONT_get_bar() == 0) PLT_label_low_left(lower.c_str());
}

// ---------------------------------------------------------------------------------------------
// Positions and turning
// ---------------------------------------------------------------------------------------------

bool positions() { return st.grdx && st.grdy; }

void release_positions()
{
    std::free(st.grdx);
    std::free(st.grdy);
    st.grdx = st.grdy = nullptr;
    st.computed = false;
}

/// Positions for a grid drawn on another map: computed and kept for the map they were computed
/// for, computed again when the map or the grid changes.  false when memory runs out.
bool place_grid(const GRD_report *u)
{
    Domain map;
    MAP_get_domain(&map);
    if (positions() && !st.computed) return true;  // installed by the caller
    if (st.computed && DOM_comp(&st.pos_map, &map) && DOM_comp(&st.pos_grid, &u->domain))
        return true;
    release_positions();
    if (DOM_comp(&u->domain, &map)) return true;
    float *gx = nullptr, *gy = nullptr;
    if (GRD_proj_XY(u, &map, &gx, &gy) != 0) {
        MESS_print(M_WARN, "VECT_draw: Unable to allocate grid arrays\n");
        return false;
    }
    st.grdx = gx;
    st.grdy = gy;
    st.computed = true;
    st.pos_map = map;
    st.pos_grid = u->domain;
    return true;
}

/// The plot position of grid point (i, row): installed, or in the current map.
void point_position(int i, int row, size_t k, float *x, float *y)
{
    if (positions()) {
        *x = st.grdx[k];
        *y = st.grdy[k];
    } else {
        MAP_grid_tran(static_cast<float>(i), static_cast<float>(row), x, y);
    }
}

/// Components relative to the grid's axes turned to true north, in the grid's own domain.
void turn_to_true(GRD_report *u, GRD_report *v)
{
    const MAP_keep keep;
    MAP_domain(&u->domain);
    for (int row = 0; row < u->domain.ny; row++) {
        for (int i = 0; i < u->domain.nx; i++) {
            const size_t k = index_of(u, i, row);
            float &uu = u->grid[k], &vv = v->grid[k];
            if (VYK_is_miss(uu)) continue;
            if (VYK_is_miss(vv)) {
                uu = VYK_MISS;
                continue;
            }
            if (uu == 0 && vv == 0) continue;
            float x, y, dir, spd;
            MAP_grid_tran(static_cast<float>(i), static_cast<float>(row), &x, &y);
            vect2wind(uu, vv, &dir, &spd);
            wind2vect(MAP_undir_adj(dir, x, y), spd, &uu, &vv);
        }
    }
}

/// Components turned from true north to the map's north at every point, so that streamlines
/// move through plot space with one kind of component throughout.  A point the map cannot
/// show becomes missing.
void turn_to_map(GRD_report *u, GRD_report *v)
{
    for (int row = 0; row < u->domain.ny; row++) {
        for (int i = 0; i < u->domain.nx; i++) {
            const size_t k = index_of(u, i, row);
            float &uu = u->grid[k], &vv = v->grid[k];
            if (VYK_is_miss(uu) || VYK_is_miss(vv)) continue;
            float x, y, dir, spd;
            point_position(i, row, k, &x, &y);
            if (VYK_is_miss(x) || VYK_is_miss(y)) {
                uu = vv = VYK_MISS;
                continue;
            }
            vect2wind(uu, vv, &dir, &spd);
            wind2vect(MAP_dir_adj(dir, x, y), spd, &uu, &vv);
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Arrows and barbs
// ---------------------------------------------------------------------------------------------

bool explicit_levels() { return CONT_get_values(nullptr) > 0; }

/// The attributes of a speed: its colour band when colouring, else the drawing's.
void speed_attribs(float spd)
{
    if (!st.colouring) return;
    CONT_get_fill_attrib(spd, &st.attr);
    GPH_line_attr(&st.attr);
    GPH_fill_attr(&st.attr);
}

bool within_cuts(float spd)
{
    return !(set(st.min_cut) && !(spd > st.min_cut)) && !(set(st.max_cut) && !(spd < st.max_cut));
}

void draw_arrows(const GRD_report *u, const GRD_report *v)
{
    const int nx = u->domain.nx, ny = u->domain.ny;
    for (int row = 0; row < ny; row += st.yskip) {
        for (int i = 0; i < nx; i += st.xskip) {
            const size_t k = index_of(u, i, row);
            const float uu = u->grid[k], vv = v->grid[k];
            if (VYK_is_miss(uu) || VYK_is_miss(vv)) continue;
            float dir, spd;
            vect2wind(uu, vv, &dir, &spd);
            speed_attribs(spd);
            const float rel = spd / st.grid_max;
            float x, y;
            point_position(i, row, k, &x, &y);
            if (VYK_is_miss(x) || VYK_is_miss(y)) continue;
            dir = MAP_dir_adj(dir, x, y);
            if (st.attr.color == CLR_NONE || !within_cuts(spd)) continue;
            if (!positions()) {
                x = static_cast<float>(i);
                y = static_cast<float>(ny - 1 - row);
            }
            if (st.vect_type == VT_BARB) WIND_barb(x, y, dir, spd, st.vect_size, 0);
            else WIND_vect(x, y, dir, rel, st.vect_size, 1);
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Streamlines
// ---------------------------------------------------------------------------------------------

/// Grid coordinates (gx right, gy down from the top row) of plot point (x, y) of the current
/// map in the grid's own domain.
void plot_to_grid(const GRD_report *g, float x, float y, float *gx, float *gy)
{
    const MAP_keep keep;
    float x2, y2;
    MAP_domain_tran(&keep.saved(), &g->domain, x, y, &x2, &y2);
    MAP_domain(&g->domain);
    MAP_grid_untran(x2, y2, gx, gy);
}

/// Where a line is and the wind there.
struct Trace {
    float x = 0, y = 0;    // drawing position
    float gx = 0, gy = 0;  // grid coordinates
    float u = VYK_MISS, v = VYK_MISS;
};

void wind_at(const GRD_report *ug, const GRD_report *vg, Trace *t)
{
    const int ny1 = ug->domain.ny - 1;
    if (positions()) {
        plot_to_grid(ug, t->x, t->y, &t->gx, &t->gy);
    } else {
        t->gx = t->x;
        t->gy = static_cast<float>(ny1) - t->y;
    }
    t->u = GRD_get_value(ug, t->gx, t->gy);
    t->v = GRD_get_value(vg, t->gx, t->gy);
}

/// The density cell of grid coordinates (gx, gy); cells outside the grid share the last entry.
size_t density_cell(const GRD_report *g, float gx, float gy)
{
    const size_t last = st.num.size() - 1;
    if (!(gx >= 0 && gy >= 0)) return last;
    const double cx = std::floor(2.0 * gx / st.xskip + 0.0001);
    const double cy = std::floor(2.0 * gy / st.yskip + 0.0001);
    const double k = cx + 2.0 * g->domain.nx * cy;
    // Cells run from 0 to 4 nx ny - 2; the spare entry takes the rest.
    return k >= 0 && k <= static_cast<double>(last) - 2 ? static_cast<size_t>(k) : last;
}

float wind_dir(float spd, float u, float v)
{
    if (VYK_is_miss(spd)) return VYK_MISS;
    if (spd < CALM_SPEED) return 0;
    return static_cast<float>(std::atan2(-static_cast<double>(u), -static_cast<double>(v)) *
                              VECT_RAD2DEG);
}

bool valid_speed(float spd)
{
    return !(set(st.min_cut) && spd < st.min_cut) && !(set(st.max_cut) && spd > st.max_cut);
}

/// The arrow-head period in steps: at least one, whatever the arrow scale.
int head_period() { return std::max(1, static_cast<int>(HEAD_PERIOD * st.arrow_scale)); }

void seed_sweeps(GRD_report *ug, GRD_report *vg, float length)
{
    const int nx = ug->domain.nx, ny = ug->domain.ny;
    auto seed = [&](int i, int j, int su, int sv) {
        const float u = GRD_get_value(ug, static_cast<float>(i), static_cast<float>(ny - 1 - j));
        const float v = GRD_get_value(vg, static_cast<float>(i), static_cast<float>(ny - 1 - j));
        if (VYK_is_miss(u) || VYK_is_miss(v)) return;
        if (u * static_cast<float>(su) > 0 && v * static_cast<float>(sv) > 0)
            VECT_stream(ug, vg, i, j, length);
    };
    for (int i = 0; i < nx; i += st.xskip)
        for (int j = 0; j < ny; j += st.yskip) seed(i, j, 1, 1);
    for (int i = 0; i < nx; i += st.xskip)
        for (int j = ny - 1; j >= 0; j -= st.yskip) seed(i, j, 1, -1);
    for (int i = nx - 1; i >= 0; i -= st.xskip)
        for (int j = 0; j < ny; j += st.yskip) seed(i, j, -1, 1);
    for (int i = nx - 1; i >= 0; i -= st.xskip)
        for (int j = ny - 1; j >= 0; j -= st.yskip) seed(i, j, -1, -1);
}

int draw_streamlines(GRD_report *ug, GRD_report *vg, float length)
{
    const size_t cells = 4 * static_cast<size_t>(ug->domain.nx) * ug->domain.ny + 1;
    try {
        st.num.assign(cells, 0);
    } catch (const std::bad_alloc &) {
        MESS_print(M_WARN, "VECT_draw: Unable to allocate density counts\n");
        return -1;
    }
    turn_to_map(ug, vg);
    if (!(st.base > 0)) st.base = 1;
    seed_sweeps(ug, vg, length);
    std::vector<int>().swap(st.num);
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Drawing set-up
// ---------------------------------------------------------------------------------------------

/// Window and sizes of the drawing: plot units with positions, grid indices without.
void drawing_space(const GRD_report *u)
{
    Glim view;
    PLT_get_view(&view);
    if (positions()) {
        st.vert_size = MAP_get_vert();
        st.vect_size *= u->domain.dx;
        return;
    }
    const Glim win = {0, static_cast<float>(u->domain.nx - 1), 0,
                      static_cast<float>(u->domain.ny - 1)};
    GPH_view(3, &view);
    GPH_win(3, &win);
    GPH_trans(3);
    st.vert_size = static_cast<float>(u->domain.ny - 1);
}

/// The drawing's attributes; false when their colour hides everything.
bool drawing_attribs()
{
    ATTRIB_init(&st.attr);
    ATTRIB_get("color_cont", gget_inverse() ? "black" : "white", &st.attr);
    VECT_format_decode_attrib(&st.attr);
    if (st.attr.color == CLR_NONE) return false;
    GPH_line_attr(nullptr);
    GPH_fill_attr(nullptr);
    GPH_line_attr(&st.attr);
    GPH_fill_attr(&st.attr);
    return true;
}

bool no_wind()
{
    return VYK_is_miss(st.grid_max) || !(st.grid_max > 0) || !std::isfinite(st.grid_max);
}

}  // namespace

int VECT_init()
{
    const VectState fresh;
    if (!st.type_set) st.vect_type = fresh.vect_type;
    st.intrvl = fresh.intrvl;
    st.base = fresh.base;
    st.min_cut = fresh.min_cut;
    st.max_cut = fresh.max_cut;
    return 0;
}

int VECT_grid(float *grx, float *gry)
{
    if (st.grdx != grx) std::free(st.grdx);
    if (st.grdy != gry) std::free(st.grdy);
    st.grdx = grx;
    st.grdy = gry;
    st.computed = false;
    return 0;
}

int VECT_set_scale(float scale)
{
    st.scale = scale;
    return 0;
}

int VECT_set_intrvl(float value)
{
    st.intrvl = value;
    return 0;
}

float VECT_get_intrvl() { return st.intrvl; }

int VECT_set_max(float max)
{
    st.grid_max = max;
    return 0;
}

int VECT_set_type(int type)
{
    st.vect_type = type;
    st.type_set = 1;
    return 0;
}

int VECT_get_type() { return st.vect_type; }

int VECT_set_vect(int value)
{
    st.plt_vect = value;
    return 0;
}

int VECT_get_vect() { return st.plt_vect; }

float VECT_get_vector_size() { return st.vect_size; }

int VECT_set_base(float value)
{
    st.base = value;
    return 0;
}

int VECT_set_format(int type, const char *form)
{
    strfcpy(st.format, form ? form : "");
    st.plot_type = type;
    return 0;
}

int VECT_format_decode_type()
{
    int type = st.plot_type == VT_ARROW || st.plot_type == VT_STREAM ? st.plot_type : VYK_MISS;
    int n = 0;
    char **items = nullptr;
    parse_string(st.format, ':', &n, &items);
    for (int i = 0; i < n; i++) format_item(items[i], &type);
    free_parsed_array(n, items);
    if (type != VYK_MISS) VECT_set_type(type);
    return 0;
}

int VECT_format_decode_attrib(Gattribs *attr)
{
    if (!attr) return 0;
    int n = 0;
    char **items = nullptr;
    parse_string(st.format, ':', &n, &items);
    for (int i = 0; i < n; i++) {
        const char *it = items[i];
        if (strnicmp(it, "co=", 3) == 0) attr->color = CLR_get_ind(it + 3);
        else if (strnicmp(it, "wi=", 3) == 0) attr->width = std::strtof(it + 3, nullptr);
        else if (strnicmp(it, "st=", 3) == 0) attr->style = std::atoi(it + 3);
    }
    free_parsed_array(n, items);
    return 0;
}

int VECT_param_decode()
{
    int n = 0;
    char **words = nullptr;
    RES_getvals("plot_param", &n, &words);
    for (int i = 0; i < n; i++) param_word(words[i]);
    free_parsed_array(n, words);
    return 0;
}

int VECT_prompt_type()
{
    int type = st.vect_type;
    if (VYK_is_miss(type) || type == VT_WIND || type == VT_GRID) {
        type = FLAG_get(FLAG_PLOT_TYPE);
        if (type <= 0 && FLAG_batch()) type = VT_ARROW;
    }
    if (type != VT_ARROW && type != VT_BARB && type != VT_STREAM) {
        char answer[12] = "";  // up to 10 characters
        VYK_prompts("Vectors (V) or Streamlines (S): ", answer, 11);
        const int word = type_word(answer);
        if (stricmp(answer, "none") == 0) type = VT_NONE;
        else if (word != VYK_MISS) type = word;
        else if (answer[0] && std::strchr("sSyY", answer[0])) type = VT_STREAM;
        else if (answer[0] && std::strchr("bB", answer[0])) type = VT_BARB;
        else type = VT_ARROW;
    }
    VECT_set_type(type);
    st.type_set = 0;
    return type;
}

int VECT_plot_setup(int plot, int ind, GRD_report *ugrid, GRD_report *vgrid, Domain *domain,
                    PLT_callback callback)
{
    if (FLAG_get(FLAG_PLOT_TYPE) == VT_NONE || !ugrid || !vgrid) return 0;
    st.callback = callback;
    st.ugrd_ptr = ugrid;
    st.vgrd_ptr = vgrid;
    CONT_init();
    VECT_init();
    const bool slot = ind >= 0 && ind < SLOTS;
    if (plot > 0 && slot) {
        st.vect_type = st.vect_types[ind];
        st.intrvl = st.intrvls[ind];
        st.base = st.bases[ind];
    }
    VECT_format_decode_type();
    VECT_param_decode();
    if (!has_values(ugrid) || !has_values(vgrid)) return 0;
    if (domain && VYK_is_miss(domain->clat)) *domain = ugrid->domain;
    MESS_print(PROGRESS, "Plotting wind vectors\n\n");
    CONT_set_fill_colors(nullptr, 0);
    VECT_prompt_type();
    GRD_UVmax(ugrid, vgrid, &st.grid_max);
    float value;
    if (RES_getval("con_interval", &value, CV_float)) st.intrvl = value;
    if (set(st.intrvl) && st.intrvl <= 0) st.intrvl = VYK_MISS;
    apply_con_base();
    CONT_set_cutoff(st.max_cut, st.min_cut);
    if (set(st.intrvl)) {
        CONT_set_base(0);
        CONT_set_intrvl(st.intrvl);
        CONT_set_range(st.grid_max, 0);
    }
    if (VYK_is_miss(CONT_get_type())) CONT_set_type(CONT_FILL_TYPE);
    MAP_fill_cont(0);
    setup_labels(ugrid);
    if (plot == 0 && slot) {
        st.vect_types[ind] = st.vect_type;
        st.intrvls[ind] = st.intrvl;
        st.bases[ind] = st.base;
    }
    return 0;
}

int VECT_draw(GRD_report *ugrid, GRD_report *vgrid)
{
    if (!FLAG_getplot(PLOT_DATA)) return 0;
    if (!ugrid || !vgrid) {
        MESS_print(M_WARN, "VECT_draw: Invalid grids\n");
        return -1;
    }
    if (!has_values(ugrid) || !has_values(vgrid) || !same_size(ugrid, vgrid)) {
        MESS_print(M_WARN, "VECT_draw: Invalid grid arrays\n");
        return -1;
    }
    if (no_wind()) {
        MESS_print(M_WARN, "VECT_draw: No wind to draw (maximum speed %g)\n",
                   static_cast<double>(st.grid_max));
        return 0;
    }
    if (!place_grid(ugrid)) return -1;
    CONT_set_fill_colors(nullptr, 0);
    apply_con_base();
    float scale;
    if (RES_getval("plot_scale", &scale, CV_float)) st.scale = scale;
    st.vect_size = set(st.base) && st.base != 0 ? st.scale * st.grid_max / st.base : st.scale;
    if (!drawing_attribs()) return 0;
    drawing_space(ugrid);
    st.colouring = explicit_levels() || set(st.intrvl);
    const float length = 4.0f * static_cast<float>(ugrid->domain.nx) * (set(st.scale) ? st.scale : 1);
    PairCopy pair(ugrid, vgrid);
    if (st.uvgrid == 1) turn_to_true(pair.u(), pair.v());
    if (st.vect_type == VT_STREAM) return draw_streamlines(pair.u(), pair.v(), length);
    draw_arrows(pair.u(), pair.v());
    return 0;
}

int VECT_stream(GRD_report *ugrid, GRD_report *vgrid, int i, int j, float length)
{
    if (!has_values(ugrid) || !has_values(vgrid) || !same_size(ugrid, vgrid)) return 0;
    const int ny1 = ugrid->domain.ny - 1;
    if (i < 0 || j < 0 || i >= ugrid->domain.nx || j > ny1) return 0;
    Trace t;
    if (positions()) {
        const size_t k = index_of(ugrid, i, ny1 - j);
        t.x = st.grdx[k];
        t.y = st.grdy[k];
        if (VYK_is_miss(t.x) || VYK_is_miss(t.y)) return 0;
    } else {
        t.x = static_cast<float>(i);
        t.y = static_cast<float>(j);
    }
    wind_at(ugrid, vgrid, &t);
    const int len = head_period();
    const float base = st.base > 0 ? st.base : 1;
    const float head = HEAD_SIZE * st.arrow_scale;
    size_t prev_cell = static_cast<size_t>(-1);
    int run = 0;
    float prev_x = t.x, prev_y = t.y, prev_dir = VYK_MISS;
    for (int k = 0; static_cast<float>(k) < length; k++) {
        bool stop = false;
        if (!st.num.empty()) {
            const size_t cell = density_cell(ugrid, t.gx, t.gy);
            if (cell != prev_cell) {
                st.num[cell]++;
                run = 0;
            } else {
                run++;
            }
            prev_cell = cell;
            if (static_cast<float>(st.num[cell]) > base && (k < 1 || k > FREE_STEPS)) stop = true;
            if (run > RUN_FACTOR * st.xskip) stop = true;
        }
        float spd = VYK_MISS;
        if (VYK_is_miss(t.u) || VYK_is_miss(t.v)) stop = true;
        else spd = std::sqrt(t.u * t.u + t.v * t.v);
        if (!VYK_is_miss(spd) && spd < STOP_SPEED) stop = true;
        const bool valid = !VYK_is_miss(spd) && valid_speed(spd);
        const float dir = wind_dir(spd, t.u, t.v);
        if (k > 0 && !VYK_is_miss(dir) && !VYK_is_miss(prev_dir)) {
            const float turn = std::fabs(dir - prev_dir);
            if (turn > TURN_MIN && turn < TURN_MAX) stop = true;
        }
        if (stop) {
            if (k > 0 && valid && !VYK_is_miss(prev_dir) && st.attr.color != CLR_NONE)
                WIND_vect(prev_x, prev_y, prev_dir, STEP, 1, head);
            return 0;
        }
        speed_attribs(spd);
        if (st.attr.color != CLR_NONE && valid)
            WIND_vect(t.x, t.y, dir, STEP, 1, k % len == len - 1 ? head : 0);
        prev_x = t.x;
        prev_y = t.y;
        prev_dir = dir;
        t.x += t.u / (4 * spd);
        t.y += t.v / (4 * spd);
        wind_at(ugrid, vgrid, &t);
    }
    return 0;
}

int VECT_draw_vect()
{
    Glim view;
    PLT_get_view(&view);
    const float height = view.y_max - view.y_min, width = view.x_max - view.x_min;
    Gattribs attr;
    ATTRIB_init(&attr);
    ATTRIB_get("color_text", gget_inverse() ? "black" : "white", &attr);
    GPH_text_attr(&attr, LEGEND_TEXT * height);
    GPH_text_align(GRIGHT_HOR, GHALF_VERT);
    if (attr.color == CLR_NONE || (!FLAG_getplot(PLOT_TEXT) && st.plt_vect == 0)) return 0;
    if (no_wind() || !(st.vert_size > 0)) {
        MESS_print(M_WARN, "VECT_draw_vect: No reference vector to draw\n");
        return 0;
    }
    const float length = st.vect_size * height / st.vert_size;
    GPH_line_attr(&attr);
    const float y = view.y_min - LEGEND_Y * height;
    WIND_vect(view.x_max - LEGEND_X * width - length, y, 270, 1, length, 1);
    char num[32];
    const Gpt at = {view.x_max - LEGEND_TEXT_X * width - length, y};
    GPH_pprintf(&at, "MAX VECTOR: %s %s", set_num(num, "5.3.1", st.grid_max), st.units.c_str());
    return 0;
}

int VECT_plot_grid(GRD_report *ugrid, GRD_report *vgrid, Domain *domain, PLT_callback callback)
{
    if (FLAG_get(FLAG_PLOT_TYPE) == VT_NONE) return 0;
    st.callback = callback;
    st.ugrd_ptr = ugrid;
    st.vgrd_ptr = vgrid;
    Domain own = ugrid ? ugrid->domain : Domain{};
    return VECT_plot(domain && !VYK_is_miss(domain->clat) ? domain : &own);
}

int VECT_plot(Domain *domain)
{
    if (FLAG_get(FLAG_PLOT_TYPE) == VT_NONE || !domain) return 0;
    const bool reset = gchk_graphics();
    if (reset) {
        PLT_reset(DOM_aspect(domain));
    } else {
        if (PLT_open(DOM_aspect(domain)) != 0) return 0;
        PLT_set_handlers(st.callback, VECT_plot);
    }
    GRD_report *u = st.ugrd_ptr, *v = st.vgrd_ptr;
    if (has_values(u) && !DOM_comp(domain, &u->domain)) MESS_print(PROGRESS, "Computing plot domain...\n");
    MAP_setup(domain);
    MAP_draw(5);
    GPH_line_attr(nullptr);
    VECT_plot_setup(0, 0, u, v, domain, st.callback);
    VECT_draw(u, v);
    GPH_line_attr(nullptr);
    GPH_trans(1);
    if (FLAG_get(FLAG_PLOT_TYPE) != VT_STREAM && st.plt_vect > 0) VECT_draw_vect();
    if (CONT_get_bar() > 0) CONT_draw_bar(1, "");
    GPH_trans(2);
    MAP_draw(2);
    PLT_labels();
    MAP_setup(domain);
    PLT_dump(0);
    // A plot whose output file could not be written fails (the frame says which).
    const bool failed = !reset && PLT_close() != 0;
    if (st.computed) release_positions();
    return failed ? -1 : 0;
}
