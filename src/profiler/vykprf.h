// vykprf.h: wind-profiler reports, the profiler file reader and the profiler display program.
//
// A profiler file holds one report per station: the station's position, a few surface values
// and up to 100 levels of wind.  Three kinds of file are read: WMO BUFR bulletins and two
// netCDF layouts (a station layout with separate low- and high-mode level sets, and a record
// layout with one set).  The reader keeps one open file at a time.
#ifndef VYKPRF_H
#define VYKPRF_H

#include "vykplot.h"
#include "vykresrc.h"   // res_type
#include "vykrawplot.h"  // RAW_data
#include "vykvar.h"    // VAR_data

// ---------------------------------------------------------------------------------------------
// Records
// ---------------------------------------------------------------------------------------------

/// Levels a report holds.
constexpr int PRF_MAX_LEVELS = 100;
/// Station identifier field (at most PRF_ID_LEN - 1 characters).
constexpr int PRF_ID_LEN = 10;
/// Date label field of PRF_info.
constexpr int PRF_DATIM_LEN = 40;

/// Profiler file kinds.
enum PRF_kind {
    PRF_NONE = 0,      // no file open
    PRF_STATION = 11,  // netCDF station layout
    PRF_RECORD = 12,   // netCDF record layout
    PRF_BUFR = 31,     // WMO BUFR bulletins
};

/// One level of a report: height above the ground (m), wind components and vertical velocity
/// (m/s), the spreads of the horizontal and vertical wind (m/s) and a quality indicator.
struct PRF_level {
    float h;
    float u, v, w;
    float hdev, vdev;
    int q;
};

/// One station report; -9999 marks a missing value.
struct PRF_report {
    char id[PRF_ID_LEN];  // station identifier, printable ASCII
    int wmo;              // WMO station number (no reader fills it)
    float lat, lon;       // degrees, west longitudes negative
    float elev;           // m
    float pres;           // surface pressure, mb
    float temp;           // surface temperature, C
    float dewp;           // surface dew point, C (in the record layout, from its humidity)
    float dir, spd;       // surface wind, degrees and m/s
    float rain;           // rain rate
    PRF_level lev[PRF_MAX_LEVELS];
    int num_levels;       // levels in use, from lev[0]
};

/// The header of a profiler file (filled for the netCDF kinds only).
struct PRF_info {
    char datim[PRF_DATIM_LEN];  // date label of the file
    char file[20];              // not filled by the reader
    char *cmdline;              // not filled by the reader
    Date date;                  // date of the file's first report
    int num_stat;               // station records in the file
};

// ---------------------------------------------------------------------------------------------
// The reader (prf.cpp): one open file at a time
// ---------------------------------------------------------------------------------------------

/// The kind of a file from its first byte: PRF_BUFR, PRF_STATION, PRF_RECORD, or -1.
int PRF_chktype(const char *filename);
/// Opens a file of kind *type (0: detect it; the kind found is written back).  Returns the
/// handle (the netCDF id, or 1 for BUFR), -1 on failure.
int PRF_open(const char *filename, int access, int *type);
/// Reads the header of the open netCDF file into info and prepares its records; 0.
int PRF_getinfo(int handle, PRF_info *info);
/// Reads the next report: 1, or -1 when there is none.  statnum is the caller's record counter
/// (netCDF kinds): when it is not NULL and not -1 it names the record to read, and is moved on
/// past records that are refused; NULL or -1 reads at the reader's own position.
int PRF_read(int handle, PRF_report *report, int rep_type, int *statnum);
/// Starts the file again from its first report; 0, or -1 when no file is open.
int PRF_rewind(int handle);
/// Closes the open file; 0, or -1 when no file is open.
int PRF_close(int handle);
/// Empties a report (the wmo number is left alone); 0.
int PRF_initialize(PRF_report *report);
/// Prints a report at the message class mask; 0.
int PRF_print_report(M_type mask, const PRF_report *report);

// ---------------------------------------------------------------------------------------------
// Profiler variables and level interpolation (prf_var.cpp)
// ---------------------------------------------------------------------------------------------

/// The wind components of a report at a level (ltype 1 or 105 at 0: the surface wind; 103 m
/// above sea level; 100 mb, through the standard atmosphere; any other: m above the ground).
/// 1 when the level lies within the report's levels (values set, possibly -9999), 0 otherwise
/// (all three -9999), also below the lowest level.
int PRF_get_level(const PRF_report *report, int ltype, long level, float *u, float *v, float *w);
/// The value(s) of variable var (by its name up to the first '-') of a report at the variable's
/// level into data's values and text, in the variable's units; a variable without units takes
/// its default units.  "shear" and "hel" rewrite a single level as the 0-3000 m layer.  1.
int PRF_get_data(const PRF_report *report, VAR_data *var, RAW_data *data);
/// Gives a variable without units its default units.  1.
int PRF_get_var(VAR_data *var);
/// 1 when the variable's name (up to the first '-') is one the program computes, else 0.
int PRF_is_variable(const VAR_data *var);
/// The names of the variables the program computes, ", "-separated, into buf (size bytes):
/// 0, or -1 when they were cut to fit.
int PRF_variable_names(char *buf, size_t size);

// ---------------------------------------------------------------------------------------------
// The profiler display program (prf_disp.cpp)
// ---------------------------------------------------------------------------------------------

/// The program: resources, help, the profiler file, the plot mode and domain, the station and
/// the variable, then the plot.  Returns the exit status (other ends go through VYK_exit).
int PRF_main(int argc, char **argv);
/// The program's resources: the kinds it reads by keyword, then the positional ones, each list
/// ended by RES_null.
const res_type *PRF_res_keys();
const res_type *PRF_res_positions();
/// Obtains the plot variable (resource, batch default or menu) and sets it up: 0 when nothing
/// was set up, else the answer (1 from the resource or the batch default).
int PRF_prompt_variable();
int PRF_set_prompt_variable(int val);
/// Lists the station identifiers of a file, 13 a line; 0.
int PRF_list_stations(const char *filename);

// The program's one open profiler file.
/// 1 opened (header read), 0 failed.
int PRF_open_file(const char *filename);
int PRF_read_next(PRF_report *report);
int PRF_rewind_file();
void PRF_close_file();
/// Finds station id (any letter case) in a file: 1 with the report filled, else 0.
int PRF_read_station(const char *filename, const char *id, PRF_report *report);

// ---------------------------------------------------------------------------------------------
// The plot (prf_plot.cpp)
// ---------------------------------------------------------------------------------------------

/// Draws the prepared plot (time-height section or single-level map) over domain: opens the
/// plot frame (or resets it when it is open: the zoom and resize re-plots) and closes what it
/// opened.  0; -1 when the plot's output could not be written.  A map whose file cannot be
/// opened ends the program with status 10.
int PRF_plot(Domain *domain);
/// The end of a plot pass: the colour bar when it is due.  The slot index (the data-plotting
/// driver's plot_data entry) is not used.  0.
int PRF_plot_data(int ind);
/// The plot's event callback: zoom and resize.
void PRF_callback(int type, const char *event, float x, float y);

#endif
