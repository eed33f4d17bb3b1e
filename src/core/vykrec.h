// vykrec.h: the records that several folders share: the georeference of a map, grid or picture,
// a drawing attribute set, the grid record and grid-file header, the point datum that the point
// plotter draws, and the sounding level with its shear and helicity.  The components that fill
// and read them declare their functions in their own headers; the records live here so that
// every folder sees them without calling upward.
#ifndef VYKREC_H
#define VYKREC_H

#include "vykdate.h"  // Date

#include <cstddef>

// ---------------------------------------------------------------------------------------------
// Georeference and drawing attributes
// ---------------------------------------------------------------------------------------------

/// The georeference of a map, grid, image or diagram.
struct Domain {
    int proj;        // projection; -9999 none
    float plat;      // reference latitude
    float plon;      // reference longitude
    float param[5];  // projection parameters
    float clat;      // centre latitude (diagram: origin)
    float clon;      // centre longitude (diagram: origin)
    float dx;        // grid spacing in plot units (diagram: extent)
    float dy;
    int nx;          // point counts
    int ny;
    int ellipse;     // earth ellipsoid flag
};
/// One attribute set.  Every field is unset at -9999 (VYK_MISS); a colour of -1 means that
/// nothing is drawn.
struct Gattribs {
    int color;     // colour index (CLR_get_ind)
    float width;   // line width; stroke width for text; line width for markers
    float height;  // character height for text; size factor for markers
    float expan;   // text expansion (width factor)
    int style;     // line type for lines (1 solid .. 5 dotted); marker type for markers
    int fill_pat;  // fill pattern 0..19; 0 is solid
    int font;      // font number, 1-based position in the font list
};
// ---------------------------------------------------------------------------------------------
// Grids and grid files
// ---------------------------------------------------------------------------------------------

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

// ---------------------------------------------------------------------------------------------
// Point data
// ---------------------------------------------------------------------------------------------

constexpr int RAW_DATUM_FORMAT_LEN = 80;  // a datum's format: 79 characters and the end
constexpr int RAW_DATUM_DATA_LEN = 40;    // a datum's text: 39 characters and the end

/// One point to plot (the point-datum plotter's record).
struct RAW_data {
    float x, y;                          // plot position
    int type;                            // plot-type code (VAR_T_*)
    Gattribs attr;                       // the datum's own attributes (unset fields: none)
    char format[RAW_DATUM_FORMAT_LEN];   // the datum's own plot format
    char data[RAW_DATUM_DATA_LEN];       // the datum's text
    float value[2];                      // the value (wind: direction, speed in knots)
};

// ---------------------------------------------------------------------------------------------
// Soundings
// ---------------------------------------------------------------------------------------------

/// One level of a sounding; -9999 in every field without a value.
struct UPA_level {
    float p;    // pressure, mb
    float h;    // height, m
    float t;    // temperature, degrees C
    float td;   // dew point, degrees C
    float dir;  // wind direction (where it blows from), degrees
    float spd;  // wind speed, knots
};

/// Shear of a layer, per metre of depth: the veering steps and the others (1/s).
struct SHEAR_params {
    float pos_shr;
    float neg_shr;
};

/// Storm-relative helicity of a layer and its vorticity companions.
struct HELICITY_params {
    float dir_shr;   // storm-relative direction at the top minus at the bottom, degrees
    float pos_hel;   // positive contributions, m^2/s^2
    float neg_hel;   // negative contributions, m^2/s^2
    float tot_hel;   // pos_hel + neg_hel, m^2/s^2
    float ave_hel;   // tot_hel per metre of depth used, m/s^2
    float rel_hel;   // streamwise share of the shear
    float hor_vort;  // mean total shear per 100 m step, 1/s
    float stm_vort;  // mean turning (streamwise) term per 100 m step, 1/s
};

#endif
