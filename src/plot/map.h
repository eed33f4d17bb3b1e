// map.h: the one current map domain and its plot transforms (map.cpp), the map projections
// (map_proj.cpp), the diagram spaces (map_diagram.cpp), and directions, distances and the
// decluttering grid (map_dir.cpp).
//
// Plot coordinates are in units of 100 km on the map projections (the sphere's radius is
// 63.7122 units) and in degrees on the latitude-longitude projection; on diagram spaces the
// two transform arguments are the diagram's x and y values.  A point that a projection hides,
// or a plot position off the projected earth, gives -9999 for both outputs.
#ifndef MAP_H
#define MAP_H

#include "dom.h"

/// Plot limits, in this order.
struct MAP_limits {
    float x_min, x_max, y_min, y_max;
};

/// A plot point.
struct Point {
    float x, y;
};

/// A latitude-longitude point.
struct EarthPoint {
    float lat, lon;
};

// ---------------------------------------------------------------------------------------------
// The current domain and its transforms (map.cpp)
// ---------------------------------------------------------------------------------------------

/// Makes a copy of dom the current domain and computes its set-up and plot limits; returns 0.
/// NULL leaves no domain current and returns -1.
int MAP_domain(const Domain *dom);
// MAP_get_domain is declared in vykdom.h.
/// The current map domain, made current again when the object goes: a caller that makes
/// another domain current for a while keeps one of these in scope.
class MAP_keep {
public:
    MAP_keep();
    ~MAP_keep();
    MAP_keep(const MAP_keep &) = delete;
    MAP_keep &operator=(const MAP_keep &) = delete;
    /// The domain that was current when the object was made.
    const Domain &saved() const { return saved_; }

private:
    Domain saved_;
};
/// Prints the current domain string at mask 15; returns 0.
int MAP_print_domain();
int MAP_proj_str(const char *proj);
/// Sets the current kind only (the limits are not recomputed); returns 0.
int MAP_proj(int proj);
/// Sets the current pole (plat, plon); returns 0.
int MAP_coord(float rlat, float rlon);
/// On a Lambert conformal domain: the two true latitudes value[0] and value[1]; returns 0.
int MAP_proj_coord(const float *value);
int MAP_get_proj();
float MAP_get_clat();
float MAP_get_clon();
int MAP_set_limits();
int MAP_get_limits(MAP_limits *lim);
int MAP_get_up_left(float *x, float *y);
/// The viewport rectangle of the skew-T and tephigram spaces; returns 0.
int MAP_set_view(const MAP_limits *vp);
int MAP_tran_center(float *x, float *y);
/// Latitude and longitude (diagram: x and y value) to plot position: 1, or 0 with -9999
/// outputs for a hidden point or input without a value.
int MAP_tran(float lat, float lon, float *x, float *y);
/// Plot position to latitude and longitude: 1, or 0 with -9999 outputs off the earth.
int MAP_untran(float x, float y, float *lat, float *lon);
int MAP_tran_ep(EarthPoint ept, Point *pt);
int MAP_tran_pe(Point pt, EarthPoint *ept);
/// 1 when the point lies within the plot limits, or when no domain is current.
int MAP_in_domain(float x, float y);
/// As MAP_in_domain with the limits widened by three grid spacings on every side.
int MAP_in_grid_domain(float x, float y);
/// Grid index (gx right, gy down from the top row) to plot position; -1 for a missing gx.
int MAP_grid_tran(float gx, float gy, float *x, float *y);
/// Plot position to fractional grid index; -1 for a missing x.
int MAP_grid_untran(float x, float y, float *gx, float *gy);
/// The plot position on domain2 of the place at (x1, y1) on domain1; returns 0.
int MAP_domain_tran(const Domain *domain1, const Domain *domain2, float x1, float y1, float *x2,
                    float *y2);

// ---------------------------------------------------------------------------------------------
// Directions, distances and the decluttering grid (map_dir.cpp)
// ---------------------------------------------------------------------------------------------

/// Kilometres per degree of latitude on the sphere of distances.
constexpr double MAP_KM_PER_DEG = 111.195;

/// The plot direction (clockwise from plot-up) of the true direction dir at plot point (x, y).
float MAP_dir_adj(float dir, float x, float y);
/// The true direction of the plot direction dir at plot point (x, y).
float MAP_undir_adj(float dir, float x, float y);
/// u turned as MAP_dir_adj turns a direction on the polar stereographic projection.
float MAP_uvdir_adj(float u, float v, float x, float y);
/// The true direction of the plot segment from (x1, y1) to (x2, y2).
float MAP_dir(float x1, float y1, float x2, float y2);
/// The projection's scale factor at (lat, lon).
float MAP_factor(float lat, float lon);
/// The plot point rad km from plot point (xi, yi) along true direction dir; the forward
/// transform's result.
int MAP_offset(float xi, float yi, float dir, float rad, float *xf, float *yf);
/// Decluttering: 0 off, 1 one point per grid cell, L > 1 L by L cells per grid cell, -1 every
/// point in the grid, L < -1 one point per |L| by |L| grid cells.
int MAP_set_plot_limit(int val);
int MAP_plot_grid_init();
/// 1 when the point may be plotted (its cell is taken), 0 when it is skipped.
int MAP_plot_grid(float x, float y);

#endif
