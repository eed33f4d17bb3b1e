// vykgrid.h: the grid record and the grid-file header.  They belong to the grid files and the
// grid calculations (src/gridio, src/gridcalc), above fields; contouring reads the record's
// values and domain, so the records are defined here, as an exception to the layering listed
// with the folder layout, and the grid files' header includes this one.
#ifndef VYKGRID_H
#define VYKGRID_H

#include "vykdate.h"
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

#endif
