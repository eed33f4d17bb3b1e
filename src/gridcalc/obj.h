// obj.h: objective analysis of station data onto grids (obj.cpp).
//
// A Barnes-type successive correction: every grid point receives the Gaussian-weighted mean
// (weight exp(-d*d/filter), d in plot units) of the stations within the radius of influence;
// each later pass narrows the filter by the convergence parameter and adds the weighted mean of
// the station residuals.  The parameters persist between analyses; OBJ_initialize resets them.
#ifndef OBJ_H
#define OBJ_H

#include "vyk.h"
#include "grd_tool.h"
// The analysis that the gridding of point-data files calls, declared there.
#include "raw_grid.h"

/// Most value fields one analysis takes (the grid table's slots).
constexpr int OBJ_MAX_FIELDS = GRD_NUM;

/// The analysis parameters, with the values OBJ_initialize sets (the grid factor excepted).
struct OBJ_params {
    float filter = 1.0f;      // Gaussian filter parameter, plot units squared
    float rad_inf = 1000.0f;  // radius of influence in x spacings of the grid
    int num_pass = 1;         // number of passes
    float converg = 0.2f;     // each later pass multiplies the filter by it
    float miss_val = VYK_MISS;  // stands in for a missing station value; -9999: none
    int min_sta = 1;          // fewest stations with a value within the radius
    int grid_factor = 1;      // refinement factor of the plot parameter "gridx"
};

/// Sets every parameter to its start value, the grid factor excepted.  0.
int OBJ_initialize();
// Each setter stores its parameter as given.  0.
int OBJ_set_filter(float fil);
int OBJ_set_rad_inf(float rad);
int OBJ_set_num_pass(int pass);
int OBJ_set_converg(float conv);
int OBJ_set_min_sta(int min);
int OBJ_set_miss_val(float val);
/// The parameters in force.  0, or -1 when params is NULL.
int OBJ_get_params(OBJ_params *params);

/// Re-reads the user's settings: the `plot_param` words "miss" (missing value) and "gridx"
/// (grid factor, which multiplies the radius), then the `object_param` values
/// "filter,radius,passes,convergence,minimum"; out-of-range values take their defaults.  0.
int OBJ_decode_params();
/// Applies the "miss" word to each ':'-separated part of a plot format.  0.
int OBJ_decode_format(const char *fmt);

/// Analyses the station values z[k] (numdata values, -9999 missing; NULL: field k is not
/// analysed) at the plot positions x, y (of the map of grid[0]'s domain; overwritten with
/// fractional grid coordinates of that grid) into grid[k], for k below num_fields.  Every
/// analysed record needs values for grid[0]'s size; it takes grid[0]'s domain.  0; -1 when no
/// field is given, a record cannot hold the field, the grid has no positive spacing, or memory
/// runs out for the residuals (the first pass's values then stand).
int OBJ_analyze(float *x, float *y, float **z, int numdata, int num_fields, GRD_report *grid);

#endif
