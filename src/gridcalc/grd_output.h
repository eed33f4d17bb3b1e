// grd_output.h: grid output files and loading the variable table's grids (grd_output.cpp).
//
// Output formats (also kept in flag 17, the grid file type): 0 none, 2 the own text grid file,
// 3 the own binary grid file, 11 netCDF.  The out_file resource chooses the format and the
// file-naming convention; the file layer's overwrite rule (FILE_overwrite) decides whether an
// existing file is replaced, appended to or left alone.  Computed grids are never written as
// GRIB: only GRIB products themselves can be copied out, by the grid-file layer.
#ifndef GRD_OUTPUT_H
#define GRD_OUTPUT_H

#include "grd_search.h"

/// Output formats.
enum { GRD_OUT_NONE = 0, GRD_OUT_TEXT = GRD_TEXT, GRD_OUT_BINARY = GRD_BINARY,
       GRD_OUT_NETCDF = GRD_NETCDF };

/// Selects the output convention ("grd_grd", then the words of out_file in order) and
/// returns the output format (type when no word names one; 2 when words were taken but none
/// named a format); a non-zero format is stored in flag 17.
int GRD_out_file(int type);
/// Writes info and grid as the one product of a grid file named filename under grid_path
/// (type 0: nothing, 0).  1 written, 0 on any failure (a warning says which).
int GRD_save_file(const char *filename, const GRD_report *grid, GRD_info *info, int type);
/// The opening half of GRD_save_file for callers that write several grids: the open slot, or
/// -1 (type 0, or a failure said).
int GRD_open_out_file(const char *filename, int type);
/// Writes info and grid to an open output slot and closes it.  0, or -1 when a write failed.
int GRD_save_grid(int grd_fd, const GRD_report *grid, GRD_info *info);
/// 1 when an existing grid file under grid_path can stand for the output about to be computed
/// (same domain): its first grid is read into grid and its header into info; else 0 (the
/// record then holds no values).  *type gets the file's kind.
int GRD_read_check(const char *filename, GRD_report *grid, GRD_info *info, int *type,
                   const Domain *domain);
/// Loads the grids of the variable table from one named file, computes the derived grids and
/// saves them.  1, or -1 when the file cannot be opened.
int GRD_search_file(const char *filename);
/// The same for the grid file of date (NULL: the current grid-file date) under the current
/// convention, or for each piece file of a model mosaic.  1, or -1 when the file cannot be
/// opened.
int GRD_search_file_date(const Date *date);

#endif
