// prf_disp.h: the state the profiler display program (prf_disp.cpp) shares with its plot
// (prf_plot.cpp): the plot mode, the stations, the height step, the file the user named and the
// file in use with its header.  The program fills it before the first plot; the plot reads it
// on every pass and keeps the date and header of the files it reads in it.
#ifndef PRF_DISP_H
#define PRF_DISP_H

#include "vykprf.h"

#include <string>
#include <vector>

/// Plot modes.
enum PRF_plot_mode {
    PRF_PLOT_LEVEL = 71,    // every station of one file at one level, on a map
    PRF_PLOT_SECTION = 73,  // time-height section of one station over a file series
};

/// Longest variable text (var_str holds it and the end).
constexpr int PRF_VAR_STR_LEN = 80;

/// The program's state with its start values.
struct PrfState {
    int plt_type = PRF_PLOT_SECTION;
    int numid = -1;                    // identifiers in ids (0 or more once read)
    std::vector<std::string> ids;      // station identifiers; the first is plotted
    float dlev = 500;                  // height step of the section, m
    int variable_prompt = 1;           // the variable is still to be obtained
    bool var_file_opened = false;      // the variable file was opened (first prompt)
    char var_str[PRF_VAR_STR_LEN] = "";  // the variable text
    std::string convention;            // the naming convention of the file series
    std::string file;                  // the profiler file named (or found) at the start
    Date named_date = {};              // its date (year -9999 when it is not known)
    Date file_date = {};               // date of the profiler file in use
    PRF_info info = {};                // header of the last profiler file opened
    int prf_fd = -1;                   // the file opened through the wrappers
    int stat_num = 0;                  // its record counter
};

/// The one program state of the process.
PrfState &prf_state();

/// The station of the time-height section: the first identifier named ("" when none).
const char *prf_station();

/// What keeps a profiler file from being read, as a message: "cannot open NAME: why" (no such
/// file, a directory, not a regular file, the system's reason) or "not a profiler file: NAME
/// (why)" (empty, neither a bulletin nor a netCDF file); "" when it can be opened.
std::string prf_file_problem(const char *filename);

/// The station identifiers of a file as the listing prints them: 13 a line, each line ended
/// ("\n" for a file without stations); "" when the file cannot be opened.  The file's header
/// is left in the state's info.
std::string prf_station_lines(const char *filename);

#endif
