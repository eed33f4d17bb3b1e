// vykgopt.h: the grid-file options that the plot-parameter keywords set ("grdfmt", "nohdr",
// "max_bad").  They belong to the grid files (src/gridio), above plot; plot declares exactly
// these here, as an exception to the layering listed with the folder layout, and the grid
// files' headers include this one.
#ifndef VYKGOPT_H
#define VYKGOPT_H

/// The printf format of values in text grid files (at most 14 characters, one numeric
/// conversion); NULL or empty restores the default.  0; -1 (format kept) for a format refused.
int GRD_set_format(const char *format);
/// GRIB index files used (non-zero, the start value) or not (0).  0.
int GRD_use_hdr_file(int flag);
/// Threshold of the GRIB edition-1 corrupt-data check (0 or below: off, the start value).  0.
int GRIB_set_max_bad(int n);

#endif
