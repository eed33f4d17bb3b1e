// grd_oper.h: operations on one grid (or a u and v pair): extremes, statistics, grid-point
// positions, interpolated values and their interactive printing and editing (grd_value.cpp);
// mosaics, remapping, cut-offs, scaling, offsets, units and calculator labels (grd_oper.cpp).
//
// Grid coordinates: gx along a row from the left column (0), gy down from the top row (0),
// fractional between points.  Plot coordinates are those of the current map (src/plot).
// Missing values are -9999.  A record whose domain size is not positive, or larger than
// GRD_MAX_POINTS, is taken as a record without values.
#ifndef GRD_OPER_H
#define GRD_OPER_H

#include "grd_tool.h"

// ---------------------------------------------------------------------------------------------
// Extremes and statistics
// ---------------------------------------------------------------------------------------------

/// Largest and smallest present values (both -9999 when there is none): 0, or -1 without values.
int GRD_maxmin(const GRD_report *grid, float *max, float *min);
// GRD_UVmax (the largest speed of a wind pair) is declared in vykgext.h.
/// By oper (case ignored): "max", "min", "maxmin" (largest, smallest), "avg" (mean of the present
/// values), "avgnum" (mean and count) into values[0] and values[1] (-9999 when not set).  1 for
/// these words (0 for "avg" and "avgnum" without values), 0 for any other word.
int GRD_stats(const char *oper, const GRD_report *grid, float *values);

// ---------------------------------------------------------------------------------------------
// Positions and point values
// ---------------------------------------------------------------------------------------------

/// Plot x and y in the map of domain of every grid point, in storage order, into two arrays
/// that the caller owns afterwards (arrays already there are released first; points the map
/// cannot show are -9999).  The current map stays.  0, or -1 when the grid has no size or
/// memory runs out ("GRD_proj_XY: Unable to allocate grid arrays").
int GRD_proj_XY(const GRD_report *grid, const Domain *domain, float **grdx, float **grdy);
// GRD_get_value (the bilinear value at a grid coordinate) is declared in vykgext.h.
/// The value at plot position (x, y) of domain (the current map when NULL or without a
/// projection); x and y are overwritten with the grid coordinates.
float GRD_get_value_domain(const GRD_report *grid, const Domain *domain, float *x, float *y);
/// Prints the grid coordinates of a point of the current map and the value there (mask 15).
int GRD_print_value(float x, float y, const GRD_report *grid);
/// The same for two grids at one point (such as u and v).
int GRD_print_value2(float x, float y, const GRD_report *grid1, const GRD_report *grid2);
/// Asks "New value: " for the grid point nearest a point of the current map and stores the
/// answer (an empty answer leaves the value).  0, or -1 off the grid or without values.
int GRD_edit_value(const char *str, float x, float y, GRD_report *grid);

// ---------------------------------------------------------------------------------------------
// Mosaics
// ---------------------------------------------------------------------------------------------

/// Makes grid a mosaic of nx by ny pieces of igrid's size sharing their edges, the first piece
/// in place at the top left.  With igrid the record is copied from it and gets a new array of
/// -9999; without it grid is enlarged in place and values it holds become the first piece.
/// 0, or -1 for counts below 1 or a mosaic too large.
int GRD_piece_setup(GRD_report *grid, int nx, int ny, const GRD_report *igrid);
/// Pastes igrid's values as piece (x, y) (row 0 at the top) of the mosaic.  0, or -1 when the
/// piece does not fit there or a record has no values.
int GRD_piece_grid(GRD_report *grid, int x, int y, const GRD_report *igrid);

// ---------------------------------------------------------------------------------------------
// Whole-grid transformations
// ---------------------------------------------------------------------------------------------

/// ogrid = igrid interpolated onto domain (missing outside igrid); the current map is left on
/// igrid's domain.  0.
int GRD_remap(GRD_report *ogrid, const Domain *domain, const GRD_report *igrid);
/// ogrid = a copy of igrid with values of its own: cmd "lower" replaces present values below
/// cutoff by nval, "higher" those above it; another cmd copies unchanged with a warning.  0.
int GRD_cutoff(GRD_report *ogrid, const char *cmd, float cutoff, float nval,
               const GRD_report *igrid);
int GRD_scale(GRD_report *grid, float scale);
int GRD_offset(GRD_report *grid, float offset);
// GRD_units (converting a grid's values) is declared in vykgacc.h.
/// Description and date label of a calculator result from words ind and ind + 1 of cmd ("-"
/// or empty: unchanged; "v=name": the variable of that name).  0.
int GRD_set_math_info(GRD_report *grid, const char *const *cmd, int num, int ind);

#endif
