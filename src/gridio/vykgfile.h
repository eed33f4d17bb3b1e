// vykgfile.h: the table of open grid files and its settings (grd_file.cpp).  For now the two
// settings that the plot-parameter keywords and the grid calculator make: whether GRIB index
// files are used, and the value format of text grid files.
#ifndef VYKGFILE_H
#define VYKGFILE_H

// GRD_set_format and GRD_use_hdr_file, declared where the plot-parameter keywords need them.
#include "vykgopt.h"

/// The value format text grid files are written with when none is set.
constexpr const char *GRD_DEF_FORMAT = "%14.8e";
/// Longest value format.
constexpr int GRD_FORMAT_MAX = 14;

/// The value format of text output: the one set, else GRD_DEF_FORMAT.
const char *GRD_get_format();
/// 1 while GRIB index files are used, else 0.
int GRD_get_use_hdr_file();

#endif
