// grd_kin.h: finite-difference kinematics on grids and the Coriolis parameter (grd_kin.cpp).
//
// Distances are plot distances in units of 100 km (degrees of a latitude-longitude grid are
// turned into such units, 1.11195 per degree, the x spacing shrinking with the cosine of the
// row's latitude; other projections multiply their spacing by domain.param[2] when it is set),
// so a first derivative is per 100 km and a wind in m/s gives divergence and vorticity in
// 1e-5 per second, the unit of the Coriolis parameter here.
//
// Derivatives are centred, one-sided at the edges and beside missing values, and 0 at a point
// with no usable neighbour on the axis; a point whose inputs are missing (or not numbers) gives
// -9999, and so does a row of a latitude-longitude grid within 1e-4 degrees of a pole, which has
// no x spacing.  Results that are not finite are stored as -9999.
//
// The difference operators write into ogrid's values, allocating nx x ny values of the first
// input's size (owned by ogrid) when it has none; ogrid's other fields are not touched.  They
// return 0, or -1 with a warning when an input has no values, the inputs differ in size, the
// output holds values of another size or is one of the inputs, or memory runs out
// ("NAME: No memory for grid field").
#ifndef GRD_KIN_H
#define GRD_KIN_H

#include "grd_tool.h"

/// 2 x the earth's rotation rate in units of 1e-5 per second: f = TWO_OMEGA x sin(latitude).
constexpr double GRD_TWO_OMEGA = 14.584;
/// 100 km units per degree of latitude.
constexpr double GRD_UNITS_PER_DEG = 1.11195;

/// ogrid = d(grid)/dx.
int GRD_dx(const GRD_report *grid, GRD_report *ogrid);
/// ogrid = d(grid)/dy, y positive northward (toward row 0).
int GRD_dy(const GRD_report *grid, GRD_report *ogrid);
/// bgrid = d2(agrid)/dx2 + d2(agrid)/dy2 (second differences, one-sided over two points at an
/// edge or beside a missing value).
int GRD_laplacian(const GRD_report *agrid, GRD_report *bgrid);
/// ogrid = -(du/dx + dv/dy), times zgrid when zgrid is not NULL (moisture convergence).
int GRD_converge(const GRD_report *ugrid, const GRD_report *vgrid, const GRD_report *zgrid,
                 GRD_report *ogrid);
/// ogrid = dv/dx - du/dy.
int GRD_vorticity(const GRD_report *ugrid, const GRD_report *vgrid, GRD_report *ogrid);
/// ogrid = du/dx - dv/dy (stretching deformation).
int GRD_deformation1(const GRD_report *ugrid, const GRD_report *vgrid, GRD_report *ogrid);
/// ogrid = -(dv/dx + du/dy) (shearing deformation, with this sign).
int GRD_deformation2(const GRD_report *ugrid, const GRD_report *vgrid, GRD_report *ogrid);
/// agrid = -(u dz/dx + v dz/dy).
int GRD_advection(const GRD_report *ugrid, const GRD_report *vgrid, const GRD_report *zgrid,
                  GRD_report *agrid);

/// Combines each present value v of grid, in place, with the Coriolis parameter f there: oper
/// "add" v + f, "sub" v - f, "sub-" f - v, "mul" f v, "div" v / f, "div-" f / v (case
/// ignored); f is 0 within 1e-4 degrees of the equator, and a division by 0 gives -9999.
/// Another oper changes nothing.  The current map is the same afterwards.  0.
int GRD_coriolis(GRD_report *grid, const char *oper);
/// Replaces each present value of grid, in place, by its point's "lat", "lon" (-180 to 180),
/// "projx" or "projy" (plot position on the grid's own map; case ignored), and sets the
/// description, units and variable 0.  Another oper changes nothing.  0.
int GRD_point_locate(GRD_report *grid, const char *oper);
/// Turns earth-relative wind components, in place, into components along the grid's x and y
/// axes; a point where either component is missing gets -9999 in both.  0, or -1 when the two
/// grids have no values or differ in size.
int GRD_correct_UV(GRD_report *ugrid, GRD_report *vgrid);

#endif
