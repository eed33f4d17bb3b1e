// vykgacc.h: the grid calculations that the plot frame and the data-plotting driver call: the
// grid refinement factor of the plot-parameter keyword "gridx", the grid table's values under
// the pointer, and the grids, descriptions and unit conversion of the plotted grid variables.  They belong
// to the grid calculations (src/gridcalc), above plot; plot declares exactly these here, as an
// exception to the layering listed with the folder layout, and the grid calculations' header
// includes this one.
#ifndef VYKGACC_H
#define VYKGACC_H

struct GRD_report;

/// The grid refinement factor (values of 0 or below are ignored).  0.
int GRD_set_grid_factor(int fact);
/// Grid slot ind (0 to 59) of the grid table.
GRD_report *GRD_get_grid(int ind);
/// The component grids of a derived variable from variable slot start on, at most num of them,
/// at function depth depth; grids ends with NULL.  The slot where the search stopped.
int GRD_find_param_grids(int start, int num, int depth, GRD_report **grids, float *values);
/// The slot's description, owned by the table.
const char *GRD_get_grid_info(int ind);
/// Converts the values to unit_out and relabels the grid.  0, or -1 without values or when
/// the units do not convert (nothing then changes).
int GRD_units(GRD_report *grid, const char *unit_out);
/// 1 when the name of a grid-function text is a plotting marker ("wind", "vect", "stream",
/// "strm": the two arguments are drawn as a vector field and nothing is computed), else 0.
int GRD_is_plot_func(const char *str);
/// Print the grid coordinates of a plot point and the grid's (two grids') value there.  0.
int GRD_print_value(float x, float y, const GRD_report *grid);
int GRD_print_value2(float x, float y, const GRD_report *grid1, const GRD_report *grid2);
/// Prompts for a new value of the grid point nearest a plot point.  0; -1 off the grid.
int GRD_edit_value(const char *str, float x, float y, GRD_report *grid);

#endif
