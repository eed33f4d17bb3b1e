// grd_tool.h: grid records (grd_record.cpp) and the table of 60 grids (grd_tool.cpp).
//
// Grid slot i holds the grid of variable slot i.  An array of values is owned by the record
// that allocated it (GRD_alloc); GRD_copy and GRD_set_grid share it with another record, which
// never releases it; GRD_move hands it over.  Copy records with these operations, not by
// assignment, so that the owner stays known.
#ifndef GRD_TOOL_H
#define GRD_TOOL_H

#include "vyk.h"
// GRD_report, GRD_info, GRD_init, GRD_alloc and GRD_free, declared where the grid files need
// them.
#include "vykgrd.h"
// The grid factor, the grid table's slots and the value read-outs, declared where the plot
// frame needs them.
#include "vykgacc.h"
// Extremes, positions, the table and saving, declared where contouring needs them.
#include "vykgext.h"
// The slots, reuse and saving that the gridding of point-data files calls, declared there.
#include "raw_grid.h"

/// Slots of the grid table (the variable slots' count).
constexpr int GRD_NUM = 60;

// ---------------------------------------------------------------------------------------------
// Records.  All return 0 unless said otherwise.
// ---------------------------------------------------------------------------------------------

/// Copies grid1 whole into grid2: the values are shared (grid1, or their owner, keeps them).
int GRD_copy(GRD_report *grid2, const GRD_report *grid1);
/// Copies grid1 whole into grid2 and empties grid1: grid2 alone holds the values.
int GRD_move(GRD_report *grid2, GRD_report *grid1);
/// Copies datim, units, date, domain, source, version, model and type of grid1 into grid2 and
/// leaves grid2 without values (nothing released); info, time, ltype, level and var stay.
int GRD_copy_info(GRD_report *grid2, const GRD_report *grid1);
/// A file header for output: grid_type 0, the date, max_x and max_y from the domain.
int GRD_set_info(GRD_info *info, const Date *date, const Domain *domain);
/// Rebuilds the description from time, level, variable and units; oper is not used.
int GRD_make_datatype(GRD_report *grid, const char *oper);
/// The description of a grid derived from igrid by the function titled str.
int GRD_make_devtype(GRD_report *ogrid, const GRD_report *igrid, const char *str);
/// One line about a grid at level: type -2, -1, 0 the labels (empty ones built first, in the
/// record), 1 the codes, 2 the domain, 3 the rebuilt description; other types nothing.
int GRD_print_info(M_type level, GRD_report *grid, int type);
/// Codes, domain line and domain string at level; -1 when the level is off.
int GRD_print(M_type level, GRD_report *grid);

// ---------------------------------------------------------------------------------------------
// The table.  A slot number outside 0 to 59 is refused with a warning: NULL, -1 or "" then.
// ---------------------------------------------------------------------------------------------

/// Empties every slot (values dropped, not released).
int GRD_init_grids();
/// Empties every slot, first releasing the values a slot owns (those it allocated or was
/// handed); values shared from other records are only dropped.  Loaders that fill the table
/// again and again use it, so that each load does not keep the last one's arrays.
int GRD_free_grids();
/// The first slot; the table is emptied on first use.
GRD_report *GRD_get_grids();
GRD_report *GRD_get_grid(int ind);
/// Copies grd whole into slot ind (the values are shared).
int GRD_set_grid(int ind, const GRD_report *grd);
int GRD_set_grid_info(int ind, const char *str);
// GRD_get_grid_info (the slot's description) is declared in vykgacc.h.
/// The slot's date (when date is given) and date label.
int GRD_set_grid_date(int ind, const Date *date, const char *str);
/// The refinement factor of slot domains: set when fact > 0, else ignored.  0.
int GRD_set_grid_factor(int fact);
int GRD_get_grid_factor();
/// The slot's domain (source and version 0), refined by the factor: (n - 1) f + 1 points at
/// spacing d / f.
int GRD_set_grid_domain(int ind, const Domain *dom);
int GRD_get_grid_domain(int ind, Domain *dom);
/// Variable number, time, level and units of slot ind from variable slot ind.
int GRD_set_var(int ind);
/// GRD_alloc on slot ind; 0 whatever it gave.
int GRD_alloc_grid(int ind);
/// The current grid-file date: date, or the file layer's current date when date is NULL.
int GRD_set_date(const Date *date);
int GRD_get_date(Date *date);
/// The file header shared by the grid searches (the header of the file read last).
GRD_info *GRD_get_file_info();

#endif
