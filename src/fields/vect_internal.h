// vect_internal.h: the vector module's shared state and the helpers its components share:
// settings (vect_param.cpp), streamlines (vect_strm.cpp), and the drawing and the plot routine
// (vect_plot.cpp).
#ifndef VECT_INTERNAL_H
#define VECT_INTERNAL_H

#include "vect_plot.h"

#include "vyk.h"

#include <cstddef>
#include <string>

// Vector types (plot-type codes).
enum {
    VT_GRID = 10, VT_WIND = 20, VT_ARROW = 21, VT_BARB = 22, VT_STREAM = 23, VT_NONE = 99
};
constexpr int SLOTS = 60;           // variable slots with a remembered series
constexpr int FORMAT_LEN = 100;     // the slot's format text: 99 characters and the end

/// The vector state with its start values.
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
    GRD_report *ugrd_ptr = nullptr, *vgrd_ptr = nullptr;
    PLT_callback callback = nullptr;
    Gattribs attr{};             // line and fill attributes of the drawing
    bool colouring = false;      // segments and arrows coloured by speed
    int vect_types[SLOTS] = {};
    float intrvls[SLOTS] = {};
    float bases[SLOTS] = {};
};

/// The one vector state of the process.
VectState &vect_state();

/// A grid with values, of a size the module draws.
inline bool vect_has_values(const GRD_report *g)
{
    return g && g->grid && g->domain.nx > 0 && g->domain.ny > 0 &&
           static_cast<size_t>(g->domain.nx) * static_cast<size_t>(g->domain.ny) <= GRD_MAX_POINTS;
}
inline bool vect_same_size(const GRD_report *u, const GRD_report *v)
{
    return u->domain.nx == v->domain.nx && u->domain.ny == v->domain.ny;
}
inline size_t vect_index_of(const GRD_report *g, int i, int row)
{
    return static_cast<size_t>(i) + static_cast<size_t>(row) * static_cast<size_t>(g->domain.nx);
}
/// A value that is set (not missing).
inline bool vect_set(float v) { return !VYK_is_miss(v); }

/// Plot positions of the grid points are installed or computed.
bool vect_positions();
/// The plot position of grid point (i, row), k its index: installed, or in the current map.
void vect_point_position(int i, int row, size_t k, float *x, float *y);
/// The attributes of a speed: its colour band when colouring, else the drawing's.
void vect_speed_attribs(float spd);
/// Streamlines of the pair (components relative to true north, turned here to the map's north),
/// each at most length quarter steps.  0; -1 when memory runs out.
int vect_draw_streamlines(GRD_report *ug, GRD_report *vg, float length);

#endif
