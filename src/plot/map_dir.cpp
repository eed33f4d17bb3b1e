// Directions, distances and the decluttering grid on the current map domain: a true wind
// direction turned into a plot direction and back, the true direction of a plot segment, the
// projection's scale factor, the plot point a distance away along a direction, and the grid of
// cells that lets one station per area of the plot be drawn.
//
// Directions are degrees clockwise from north (true) or from plot-up (plot).  Each projection's
// direction rule lives with its formulas (map_proj.cpp); kinds without one leave directions as
// they are.  A missing direction or start point stays missing (-9999).
#include "map_internal.h"
#include "vyk.h"

#include <cmath>
#include <new>
#include <vector>

using namespace vykmap;

namespace {

/// The largest decluttering grid allocated (cells); a larger one is refused and every point
/// passes.
constexpr double PLOT_GRID_MAX = 1 << 26;

struct Declutter {
    int grid_limit = 0;              // 0 off; see MAP_set_plot_limit
    std::vector<unsigned char> grid; // one mark per cell; empty: no grid
    int row = 0;                     // cells per row
    int nx = 0, ny = 0;              // the domain's counts when the grid was made
};

Declutter dc;

bool unusable(float v) { return !std::isfinite(v) || VYK_is_miss(v); }

/// The kind's rule applied to dir at (x, y); dir unchanged where the kind has none.
float turn(bool inverse, float dir, float x, float y)
{
    if (unusable(dir)) return VYK_MISS;
    const MapKind *k = map_current_kind();
    auto rule = k == nullptr ? nullptr : inverse ? k->undir_adj : k->dir_adj;
    if (rule == nullptr) return dir;
    if (unusable(x) || unusable(y)) return VYK_MISS;
    MapState *st = map_ready_state(inverse ? "MAP_undir_adj" : "MAP_dir_adj");
    if (st == nullptr) return VYK_MISS;
    const double r = rule(*st, dir, x, y);
    return std::isfinite(r) && r != MISS ? static_cast<float>(r) : VYK_MISS;
}

/// A pole has no east: the flat step's longitude scale is taken as undefined where the
/// parallel's length is below this share of the equator's (only at the pole itself in floats).
constexpr double POLE_COS = 1e-9;

}  // namespace

namespace vykmap {

void map_flat_step(double lat, double lon, double dir, double km, double &lat2, double &lon2)
{
    const double deg = km / MAP_KM_PER_DEG;
    const double c = std::cos(lat * RAD);
    if (c > POLE_COS) {
        lon2 = lon + deg * std::sin(dir * RAD) / c;
        lat2 = lat + deg * std::cos(dir * RAD);
    } else {
        // At a pole every direction leads down one meridian: from the north pole direction dir
        // goes down meridian lon + 180 - dir (dir 0 carries on across the pole), from the south
        // pole down meridian lon + dir; the whole step is latitude.
        const bool north = lat > 0.0;
        lon2 = north ? lon + 180.0 - dir : lon + dir;
        lat2 = north ? 90.0 - deg : -90.0 + deg;
    }
    // A latitude past a pole goes on down the meridian on the far side, once per crossing.
    const double turns = std::floor((lat2 + 90.0) / 180.0);
    const double part = lat2 + 90.0 - 180.0 * turns;  // [0, 180)
    const bool odd = std::fmod(std::fabs(turns), 2.0) == 1.0;
    lat2 = odd ? 90.0 - part : part - 90.0;
    if (odd) lon2 += 180.0;
    lon2 = wrap_lon(lon2);
}

}  // namespace vykmap

float MAP_dir_adj(float dir, float x, float y) { return turn(false, dir, x, y); }

float MAP_undir_adj(float dir, float x, float y) { return turn(true, dir, x, y); }

float MAP_uvdir_adj(float u, float, float x, float y)
{
    return MAP_get_proj() == DOM_PSTEREO ? MAP_dir_adj(u, x, y) : u;
}

float MAP_dir(float x1, float y1, float x2, float y2)
{
    if (unusable(x1) || unusable(y1) || unusable(x2) || unusable(y2)) return VYK_MISS;
    const double d = atan2d(static_cast<double>(x2) - x1, static_cast<double>(y2) - y1);
    return MAP_undir_adj(static_cast<float>(d), x1, y1);
}

float MAP_factor(float lat, float lon)
{
    const MapKind *k = map_current_kind();
    if (k == nullptr || k->factor == nullptr) return 1.0f;
    MapState *st = map_ready_state("MAP_factor");
    if (st == nullptr || unusable(lat)) return VYK_MISS;
    return static_cast<float>(k->factor(*st, lat, lon));
}

int MAP_offset(float xi, float yi, float dir, float rad, float *xf, float *yf)
{
    float lat = VYK_MISS, lon = VYK_MISS;
    if (!unusable(xi) && !unusable(yi)) MAP_untran(xi, yi, &lat, &lon);
    // The inverse's answer is not looked at: the centre of an azimuthal view answers 0 with its
    // position.  A start off the earth has none.
    if (unusable(lat) || unusable(lon) || unusable(dir) || unusable(rad)) {
        *xf = *yf = VYK_MISS;
        return 0;
    }
    double lat2, lon2;
    map_flat_step(lat, lon, dir, rad, lat2, lon2);
    return MAP_tran(static_cast<float>(lat2), static_cast<float>(lon2), xf, yf);
}

int MAP_set_plot_limit(int val)
{
    dc.grid_limit = val;
    return 0;
}

int MAP_plot_grid_init()
{
    dc.grid.clear();
    dc.grid.shrink_to_fit();
    const Domain *d = MAP_get_domain(nullptr);
    const int L = dc.grid_limit;
    if (L == 0 || d->nx < 1 || d->ny < 1) return 0;
    const double per = L > 1 ? static_cast<double>(L) * L : 1.0;
    const double cells = static_cast<double>(d->nx) * d->ny * per;
    if (cells > PLOT_GRID_MAX) {
        MESS_print(M_WARN, "MAP_plot_grid_init: Plot grid of %.0f cells refused\n", cells);
        return 0;
    }
    try {
        dc.grid.assign(static_cast<size_t>(cells), 0);
    } catch (const std::bad_alloc &) {
        dc.grid.clear();
        return 0;
    }
    dc.row = L > 1 ? d->nx * L : d->nx;
    dc.nx = d->nx;
    dc.ny = d->ny;
    return 0;
}

int MAP_plot_grid(float x, float y)
{
    if (dc.grid_limit == 0 || dc.grid.empty()) return 1;
    float gx, gy;
    MAP_grid_untran(x, y, &gx, &gy);
    if (!(gx >= 0.0f && gx <= dc.nx - 1.0f && gy >= 0.0f && gy <= dc.ny - 1.0f)) return 0;
    const int L = dc.grid_limit;
    if (L == -1) return 1;
    double cell;
    if (L > 0)
        cell = std::trunc(static_cast<double>(gx) * L) + std::trunc(static_cast<double>(gy) * L) * dc.row;
    else
        cell = std::trunc(static_cast<double>(gx) / -L) + std::trunc(static_cast<double>(gy) / -L) * dc.row;
    if (!(cell >= 0.0 && cell < static_cast<double>(dc.grid.size()))) return 0;
    unsigned char &mark = dc.grid[static_cast<size_t>(cell)];
    if (mark > 0) return 0;
    mark = 1;
    return 1;
}
