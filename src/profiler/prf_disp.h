// prf_disp.h: what the profiler display program (prf_disp.cpp) shares with its plot
// (prf_plot.cpp): the plot mode, the station, the height step, the file in use and its header.
// The program sets them before the first plot; the plot reads them on every pass and keeps the
// date and header of the files it reads in them.
#ifndef PRF_DISP_H
#define PRF_DISP_H

#include "vykprf.h"

/// Plot modes.
enum PRF_plot_mode {
    PRF_PLOT_LEVEL = 71,    // every station of one file at one level, on a map
    PRF_PLOT_SECTION = 73,  // time-height section of one station over a file series
};

/// The plot mode.
int PRF_get_plot_type();
/// The station of the time-height section: the first identifier named ("" when none).
const char *PRF_get_station();
/// Height step of the time-height section, m.
float PRF_get_dlev();
/// Date of the profiler file in use.
Date *PRF_file_date();
/// Header of the last profiler file opened.
PRF_info *PRF_file_info();

#endif
