// vykgrd.h: grid records and grid files.
//
// The grid record GRD_report carries every gridded field of the system: the grid-file readers
// fill it, the grid calculations compute into it, contouring and vector plots draw from it.
// Its operations belong to the grid calculations (src/gridcalc, vykgtab.h); the few that the
// grid-file readers call (an empty record, values allocated and released) are declared here, as
// an exception to the layering listed with the folder layout.
#ifndef VYKGRD_H
#define VYKGRD_H

#include "vyk.h"
#include "vykdom.h"

#include <cstddef>

constexpr int GRD_DATIM_LEN = 50;  // date label: 49 characters and the end
constexpr int GRD_INFO_LEN = 70;   // description: 69 characters and the end
constexpr int GRD_UNITS_LEN = 15;  // units: 14 characters and the end
/// Most points a grid may hold (nx x ny); larger sizes are refused as corrupt.
constexpr size_t GRD_MAX_POINTS = size_t{1} << 28;

/// One two-dimensional field.  The values run row by row from the top row (largest map y),
/// x increasing along a row: column i of row j at index i + j * nx; -9999 marks a missing
/// value.
struct GRD_report {
    int type;                    // predefined grid number, 0 none
    int source;                  // originating centre; 0: the record holds no grid
    int version;                 // table or process version
    char datim[GRD_DATIM_LEN];   // date label
    char info[GRD_INFO_LEN];     // description label
    Date date;                   // reference (base) time
    int model;                   // generating model or process
    int ltype;                   // level type, -9999 unset
    int level;                   // level value, -9999 unset
    int time;                    // forecast-time code, -9999 unset
    int var;                     // variable number, -9999 unset
    char units[GRD_UNITS_LEN];   // units of the values
    Domain domain;               // georeference: projection, centre, spacing, size
    float *grid;                 // the values, or NULL
};

/// The header of a grid file.
struct GRD_info {
    char datim[40];  // label of the file's first product
    int max_x;       // grid size in x
    int max_y;       // grid size in y
    int grid_type;   // 0; 1 for the netCDF layout with coordinate variables
    Date date;       // date of the file's first product
};

// Record operations that the grid-file readers use (defined in src/gridcalc/grd_tool.cpp).
// The readers keep to the ownership rule of the grid table (vykgtab.h): values they read go
// into an array of GRD_alloc, and the record's old values are released only through GRD_free.

/// Empties a record: no values (nothing released), labels empty, source, model and type 0,
/// time, ltype, level and var -9999; version, date, units and domain kept.  0.
int GRD_init(GRD_report *grid);
/// Allocates domain.nx x domain.ny values (uninitialised) owned by this record; a previous
/// array is not released.  1, or 0 with a warning for a size that is not positive or larger
/// than GRD_MAX_POINTS, or when memory runs out (the record then has no values).
int GRD_alloc(GRD_report *grid);
/// Releases the values when this record owns them (an array shared by a copy is only dropped),
/// sets source to 0 and empties the domain.  0.
int GRD_free(GRD_report *grid);
/// The number of values the record's array holds when GRD_alloc made it, else 0 (no array, or
/// one of unknown size).
size_t GRD_capacity(const GRD_report *grid);

#endif
