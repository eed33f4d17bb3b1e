// vect_plot.cpp: vector plots of a wind-component grid pair: arrows and barbs at the points of
// a skip lattice, speed colouring through the contour colour table, the reference-vector legend
// and the stand-alone vector plot; streamlines are traced in vect_strm.cpp.
//
// Drawing works on a private copy of the caller's pair: turning the components (grid-relative
// to true north, true north to the map's north for streamlines) never changes the grids handed
// in, so a zoom or a second frame draws the same winds again.
#include "vect_internal.h"

#include "vyk.h"
#include "cont.h"
#include "vykgext.h"
#include "vykplot.h"
#include "vykresrc.h"
#include "vykvar.h"
#include "wind_glyph.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

VectState &st = vect_state();

constexpr M_type PROGRESS = 3840;  // "Plotting wind vectors"

constexpr int CONT_FILL_TYPE = 15;  // the contour type colouring by speed uses

// The legend.
constexpr float LEGEND_TEXT = 0.015f;  // text height, times the view height
constexpr float LEGEND_X = 0.01f, LEGEND_TEXT_X = 0.02f, LEGEND_Y = 0.025f;

constexpr int LABEL_MAX = 79;  // longest lower-left levels text
constexpr int VAR_VECTORS = 332, VAR_STREAMLINES = 333;  // variable codes of the upper-left label

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
    } else if (vect_set(st.intrvl)) {
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
    if (vect_positions() && !st.computed) return true;  // installed by the caller
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

/// Components relative to the grid's axes turned to true north, in the grid's own domain.
void turn_to_true(GRD_report *u, GRD_report *v)
{
    const MAP_keep keep;
    MAP_domain(&u->domain);
    for (int row = 0; row < u->domain.ny; row++) {
        for (int i = 0; i < u->domain.nx; i++) {
            const size_t k = vect_index_of(u, i, row);
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

// ---------------------------------------------------------------------------------------------
// Arrows and barbs
// ---------------------------------------------------------------------------------------------

bool explicit_levels() { return CONT_get_values(nullptr) > 0; }

bool within_cuts(float spd)
{
    return !(vect_set(st.min_cut) && !(spd > st.min_cut)) &&
           !(vect_set(st.max_cut) && !(spd < st.max_cut));
}

void draw_arrows(const GRD_report *u, const GRD_report *v)
{
    const int nx = u->domain.nx, ny = u->domain.ny;
    for (int row = 0; row < ny; row += st.yskip) {
        for (int i = 0; i < nx; i += st.xskip) {
            const size_t k = vect_index_of(u, i, row);
            const float uu = u->grid[k], vv = v->grid[k];
            if (VYK_is_miss(uu) || VYK_is_miss(vv)) continue;
            float dir, spd;
            vect2wind(uu, vv, &dir, &spd);
            vect_speed_attribs(spd);
            const float rel = spd / st.grid_max;
            float x, y;
            vect_point_position(i, row, k, &x, &y);
            if (VYK_is_miss(x) || VYK_is_miss(y)) continue;
            dir = MAP_dir_adj(dir, x, y);
            if (st.attr.color == CLR_NONE || !within_cuts(spd)) continue;
            if (!vect_positions()) {
                x = static_cast<float>(i);
                y = static_cast<float>(ny - 1 - row);
            }
            if (st.vect_type == VT_BARB) WIND_barb(x, y, dir, spd, st.vect_size, 0);
            else WIND_vect(x, y, dir, rel, st.vect_size, 1);
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Drawing set-up
// ---------------------------------------------------------------------------------------------

/// Window and sizes of the drawing: plot units with positions, grid indices without.
void drawing_space(const GRD_report *u)
{
    Glim view;
    PLT_get_view(&view);
    if (vect_positions()) {
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

bool vect_positions() { return st.grdx && st.grdy; }

/// The plot position of grid point (i, row): installed, or in the current map.
void vect_point_position(int i, int row, size_t k, float *x, float *y)
{
    if (vect_positions()) {
        *x = st.grdx[k];
        *y = st.grdy[k];
    } else {
        MAP_grid_tran(static_cast<float>(i), static_cast<float>(row), x, y);
    }
}

/// The attributes of a speed: its colour band when colouring, else the drawing's.
void vect_speed_attribs(float spd)
{
    if (!st.colouring) return;
    CONT_get_fill_attrib(spd, &st.attr);
    GPH_line_attr(&st.attr);
    GPH_fill_attr(&st.attr);
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
    if (!vect_has_values(ugrid) || !vect_has_values(vgrid)) return 0;
    if (domain && VYK_is_miss(domain->clat)) *domain = ugrid->domain;
    MESS_print(PROGRESS, "Plotting wind vectors\n\n");
    CONT_set_fill_colors(nullptr, 0);
    VECT_prompt_type();
    GRD_UVmax(ugrid, vgrid, &st.grid_max);
    float value;
    if (RES_getval("con_interval", &value, CV_float)) st.intrvl = value;
    if (vect_set(st.intrvl) && st.intrvl <= 0) st.intrvl = VYK_MISS;
    apply_con_base();
    CONT_set_cutoff(st.max_cut, st.min_cut);
    if (vect_set(st.intrvl)) {
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
    if (!vect_has_values(ugrid) || !vect_has_values(vgrid) || !vect_same_size(ugrid, vgrid)) {
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
    st.vect_size = vect_set(st.base) && st.base != 0 ? st.scale * st.grid_max / st.base : st.scale;
    if (!drawing_attribs()) return 0;
    drawing_space(ugrid);
    st.colouring = explicit_levels() || vect_set(st.intrvl);
    const float length = 4.0f * static_cast<float>(ugrid->domain.nx) * (vect_set(st.scale) ? st.scale : 1);
    PairCopy pair(ugrid, vgrid);
    if (st.uvgrid == 1) turn_to_true(pair.u(), pair.v());
    if (st.vect_type == VT_STREAM) return vect_draw_streamlines(pair.u(), pair.v(), length);
    draw_arrows(pair.u(), pair.v());
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
    bool drawn = false;
    const auto draw = [domain, &drawn](bool) {
        drawn = true;
        GRD_report *u = st.ugrd_ptr, *v = st.vgrd_ptr;
        if (vect_has_values(u) && !DOM_comp(domain, &u->domain))
            MESS_print(PROGRESS, "Computing plot domain...\n");
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
    };
    const int done = PLT_run(DOM_aspect(domain),
                             {.name = "VECT_plot", .callback = st.callback, .replot = VECT_plot,
                              .draw = draw, .over_labels = [domain] { MAP_setup(domain); }});
    if (drawn && st.computed) release_positions();
    return done;
}
