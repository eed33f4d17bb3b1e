// vykgext.h: the grid calculations that contouring and the vector plots call: extremes, the
// largest speed of a wind pair, grid-point positions and interpolated values, the grid table's
// first slot and saving a grid.  They belong to the grid calculations
// (src/gridcalc), above fields; fields declares exactly these here, as an exception to the
// layering listed with the folder layout, and the grid calculations' header includes this one.
#ifndef VYKGEXT_H
#define VYKGEXT_H

#include "vykrec.h"

/// Largest and smallest present values (both -9999 when there is none): 0, or -1 without values.
int GRD_maxmin(const GRD_report *grid, float *max, float *min);
/// Largest speed sqrt(u^2 + v^2) over the points where both components are present (-9999
/// when there is none): 0, or -1 when a record or its values are missing or the two grids
/// differ in size.
int GRD_UVmax(const GRD_report *ugrid, const GRD_report *vgrid, float *max);
/// Plot x and y in the map of domain of every grid point into two arrays the caller owns (and
/// releases with free); old arrays are released first.  0, or -1 with a warning.
int GRD_proj_XY(const GRD_report *grid, const Domain *domain, float **grdx, float **grdy);
/// The bilinear value at (gx, gy) (gx right, gy down from the top row): -9999 outside
/// 0 .. n - 0.9999, without values, or when any of the four points used is missing.  Within
/// 0.0001 of the last column or row the last column or row stands in for the one beyond it.
float GRD_get_value(const GRD_report *grid, float gx, float gy);
/// The grid table (60 slots).
GRD_report *GRD_get_grids();
/// A file header for output from a date and a domain.  0.
int GRD_set_info(GRD_info *info, const Date *date, const Domain *domain);
/// Writes info and grid as the one product of a grid file under grid_path.  1 written, else 0.
int GRD_save_file(const char *filename, const GRD_report *grid, GRD_info *info, int type);

#endif
