// grd_search.h: grids from files: selectors and the searches of grid files (grd_search.cpp), and
// the grid input configuration of the resources: the model, its file-naming convention, model
// mosaics of piece files from "model.lup", and the input file kind (grd_model.cpp).
//
// A grid is asked for by its product number in a file ("#3"), by a short selector of time,
// level and variable ("-12p5hh", "+h12:p500:st:C:2"), or through the variable table.  The
// searches read product headers in file order through the grid-file contract (grd_file.h) and
// read a matching product whole.  Results: 1 found, 0 not found, -1 the file cannot be opened.
#ifndef GRD_SEARCH_H
#define GRD_SEARCH_H

#include "grd_file.h"
#include "grd_tool.h"
#include "vykvar.h"

// ---------------------------------------------------------------------------------------------
// Selectors and searches (grd_search.cpp)
// ---------------------------------------------------------------------------------------------

/// Limits of the words of a selector.
constexpr int GRD_SEL_TIME_MAX = 9;
constexpr int GRD_SEL_LEVEL_MAX = 19;
constexpr int GRD_SEL_VAR_MAX = 39;
constexpr int GRD_SEL_UNITS_MAX = VAR_UNITS_LEN - 1;
constexpr int GRD_SEL_TYPE_MAX = 9;

/// Parses a selector into params (cleared first: every code -9999, no units; type gets the
/// grid_type resource when it is set).  Returns the product number of "#n[:units]", -9999 for
/// no selector, "-" or ":units", and -1 for the search forms "-TTLLVV[:units]" and
/// "+time:level:variable:units:gridtype".
int GRD_parse_params(const char *str, VAR_data *params, int *type);
/// Fills a selector: ltype, level, var (the other four numbers 0) and time.  0.
int GRD_set_params(VAR_data *params, int time, int ltype, int level, int var);
/// 1 when a grid header matches the selector and the grid type (-9999 any), else 0.
int GRD_test(const GRD_report *grid, const VAR_data *params, int type);
/// Fills grids[0 .. n-1] from the open file grd_fd with the products matching params[i]
/// (n = |num|; num < 0: every slot wanted; num > 0: slot i wanted when variable slot i takes
/// its grid from a file).  Slots that hold a grid already count as found.  1 when all are
/// found, else 0 (the slots found stay filled).
int GRD_search(int grd_fd, GRD_report *grids, const VAR_data *params, int type, int num);
/// The same for the piece file of mosaic entry ind: matching products are pasted at the
/// piece's place of each slot's mosaic.  1 when every wanted slot got a piece from this file.
int GRD_search_piece(int grd_fd, int ind, GRD_report *grids, const VAR_data *params, int num);
/// The domain of the first product of the grid_type resource's type (any type when unset) of
/// a named grid file.  1, 0 when no product has that type, -1 when the file cannot be opened.
int GRD_get_file_domain(const char *filename, Domain *domain);
/// The same for the grid file of date (NULL: the current grid-file date) under the current
/// naming convention; a mosaic's domain covers all its pieces.
int GRD_get_file_date_domain(const Date *date, Domain *domain);
/// Reads one grid from "name[selector]" (the selector cut off from the third character on, the
/// name placed under grid_path) into grid and the file header into info.  *type: the file
/// kind (0 detect; the kind found comes back).  1, 0 not found, -1 no file.
int GRD_read_file(const char *filename, GRD_report *grid, GRD_info *info, int *type);
/// The same for the grid file of date under the current convention, with selector extra.
int GRD_read_file_date(const Date *date, const char *extra, GRD_report *grid, GRD_info *info,
                       int *type);

// ---------------------------------------------------------------------------------------------
// Input configuration (grd_model.cpp)
// ---------------------------------------------------------------------------------------------

/// Most pieces of a model mosaic, and the longest convention name of a piece.
constexpr int GRD_MAX_PIECES = 12;
constexpr int GRD_PIECE_NAME_MAX = 19;
/// Longest model name.
constexpr int GRD_MODEL_NAME_MAX = 19;

/// Grid input kinds named by the in_file and input resources.
enum { GRD_IN_ANY = 0, GRD_IN_VYK = 3, GRD_IN_CDF = 12, GRD_IN_GRIB = 23 };

/// One piece of a model mosaic: its column and row (row 0 at the top), the grid type wanted
/// in its file (-9999 any) and its file-naming convention.
struct GRD_piece {
    int x;
    int y;
    int type;
    char name[GRD_PIECE_NAME_MAX + 1];
};

/// Configures grid input from the resources model, grid_type, in_file, input and grid_num and
/// the model file "model.lup" on file_path.  0.
int GRD_in_file();
/// Pieces of the model mosaic (0: no mosaic).
int GRD_get_num_piece();
/// Mosaic entry ind, or NULL outside 0 .. GRD_MAX_PIECES - 1.
const GRD_piece *GRD_get_piece(int ind);
/// The mosaic's size in pieces.  0.
int GRD_get_mosaic_size(int *nx, int *ny);
/// The current model name.
const char *GRD_get_model();
/// The default selector (the grid_num resource; empty when none).
const char *GRD_get_def_selector();
/// The input kind (GRD_IN_ANY, GRD_IN_VYK, GRD_IN_CDF, GRD_IN_GRIB).
int GRD_get_input_kind();
/// The grid-file kind to open input files with: GRIB for GRD_IN_GRIB, else 0 (detect).
int GRD_input_file_kind();

#endif
