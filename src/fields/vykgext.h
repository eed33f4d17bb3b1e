// vykgext.h: the grid calculations that contouring calls: extremes, grid-point positions, the
// grid table's first slot and saving a grid.  They belong to the grid calculations
// (src/gridcalc), above fields; fields declares exactly these here, as an exception to the
// layering listed with the folder layout, and the grid calculations' header includes this one.
#ifndef VYKGEXT_H
#define VYKGEXT_H

#include "vykgrid.h"

/// Largest and smallest present values (both -9999 when there is none): 0, or -1 without values.
int GRD_maxmin(const GRD_report *grid, float *max, float *min);
/// Plot x and y in the map of domain of every grid point into two arrays the caller owns (and
/// releases with free); old arrays are released first.  0, or -1 with a warning.
int GRD_proj_XY(const GRD_report *grid, const Domain *domain, float **grdx, float **grdy);
/// The grid table (60 slots).
GRD_report *GRD_get_grids();
/// A file header for output from a date and a domain.  0.
int GRD_set_info(GRD_info *info, const Date *date, const Domain *domain);
/// Writes info and grid as the one product of a grid file under grid_path.  1 written, else 0.
int GRD_save_file(const char *filename, const GRD_report *grid, GRD_info *info, int type);

#endif
