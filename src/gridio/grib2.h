// grib2.h: GRIB edition 2 sections and templates (grib2.cpp) and data unpacking
// (grib2_unpack.cpp).
//
// An edition-2 message is a sequence of numbered sections; sections 2 to 7 may repeat, so one
// message can hold several fields, each inheriting the sections read before it.  After
// GRIB_header has read the indicator section, GRIB_read_section reads one section header at a
// time and the section's reader takes the rest of it.  Every section is read by the length it
// states; a length shorter than its header or beyond GRIB_MAX_SIZE ends the message.
#ifndef GRIB2_H
#define GRIB2_H

#include "vykgrd.h"

/// One row of the edition-2 parameter table "grib2_var.lup".
struct GribParam {
    int ind;          // the system's variable number; -9999 unset
    int ver;          // not used
    int src;          // originating centre (0 in the table: any centre)
    int disc;         // discipline
    int cat;          // parameter category
    int param;        // parameter number
    char name[20];    // variable abbreviation
    char units[30];   // units text
    char lname[80];   // long name
};

/// The parameter table's file name (found on the file_path resource).
constexpr const char *GRIB2_VAR_FILE = "grib2_var.lup";

/// Reads the next section header: 1 for sections 0 to 8, 0 at the end section "7777", at the
/// end of the stream, for a larger section number or a length that cannot be.
int GRIB_read_section(int grd_fd);
/// Number of the section whose header was read last (-1 after the end section) and its length.
int GRIB_get_sect();
int GRIB_get_slen();
/// Moves the stream past the rest of the current section.  1, or 0 when the stream ended.
int GRIB_skip_section(int grd_fd);
/// Section 1 (identification): centre and reference time.  1, 0 nothing could be read.
int GRIB_IDS(int grd_fd, GRD_report *grd);
/// Section 3 (grid definition) into the report's domain.  1; 0 nothing could be read, or a grid
/// that is too large or whose size is not known (a warning).  An unsupported template leaves
/// the domain missing and gives 1: the header can still be listed, the values are not unpacked.
int GRIB_GDS(int grd_fd, GRD_report *grd);
/// Section 4 (product definition): model, time, level and variable.  1, 0 nothing read.
int GRIB_PDS(int grd_fd, GRD_report *grd);
/// Section 5 (data representation).  1, or 0 when nothing could be read.
int GRIB_DRS(int grd_fd, GRD_report *grd);
/// Section 6 (bit map).  1 when a bit map is in force afterwards, else 0.
int GRIB_BMS(int grd_fd);
/// Section 7 (data) into the report's values.  1; 0 when the values cannot be unpacked (a
/// warning; no values, or all -9999 for a packing this decoder does not know).
int GRIB_DS(int grd_fd, GRD_report *grd);

/// The table row of a parameter (the first whose centre is 0 or src), or an empty row.
GribParam GRIB_get_ver2_param(int src, int disc, int cat, int param);
/// Empties a row: numbers -9999, texts empty.  1.
int GribParam_init(GribParam *param);

#endif
