// raw_grid.h: the grid calculations that the gridding of point-data files calls: the grid
// table's slots, a slot's value array, reusing and saving a grid file, and the objective
// analysis.  They belong to the grid calculations (src/gridcalc), above the point data; the
// point data declares exactly these here, as an exception to the layering listed with the
// folder layout, and the grid calculations' headers include this one.
#ifndef RAW_GRID_H
#define RAW_GRID_H

#include "vykgext.h"  // GRD_get_grids, GRD_save_file

/// Empties every slot of the grid table, releasing the values a slot owns.  0.
int GRD_free_grids();
int GRD_set_grid_info(int ind, const char *str);
/// The slot's date (when date is given) and date label.  0.
int GRD_set_grid_date(int ind, const Date *date, const char *str);
/// The slot's domain, refined by the grid factor.  0.
int GRD_set_grid_domain(int ind, const Domain *dom);
/// Allocates nx x ny values for the grid: 1, or 0 with a warning.
int GRD_alloc(GRD_report *grid);
/// 1 when an existing grid file under grid_path can stand for the output about to be computed
/// (same domain): its first grid is read into grid and its header into info; else 0.
int GRD_read_check(const char *filename, GRD_report *grid, GRD_info *info, int *type,
                   const Domain *domain);

/// Objective analysis: settings reset, filter and radius of influence (grid lengths).  0.
int OBJ_initialize();
int OBJ_set_filter(float fil);
int OBJ_set_rad_inf(float rad);
/// Analyses the station values z[k] at plot positions x, y (turned into grid coordinates) into
/// grid[k] for k below num_fields.  0; -1 when nothing could be analysed.
int OBJ_analyze(float *x, float *y, float **z, int numdata, int num_fields, GRD_report *grid);

#endif
