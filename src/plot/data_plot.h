// data_plot.h: the data-plotting driver (data_plot.cpp): the frame into which a data program
// plugs its reader and value extraction.  The program describes one plot in a DATA_info record
// (date, domain, report buffer and callbacks) and calls, in order, DATA_plot_init,
// DATA_plot_start, for each variable slot in turn one of DATA_plot_control, DATA_plot_map,
// DATA_plot_grid or DATA_plot_raw (continuing after the slot they return), and DATA_plot_end.
#ifndef DATA_PLOT_H
#define DATA_PLOT_H

#include "plt_frame.h"  // PLT_callback
#include "vykrawplot.h"  // RAW_data, CTY_locate, VAR_data

struct GRD_report;

/// What a data program hands the driver.  The driver never initialises it; an empty (NULL)
/// callback is skipped.
struct DATA_info {
    int plot;          // plot number for the contour and vector setups (above 0: restore)
    int model;         // model number of forecast-time labels; -9999 none
    Date date;         // the plot's date: labels and the point-data output file
    /// Non-zero: open a point-data output file for the plotted values.
    int (*out_raw)();
    int (*out_grid)();  // not called
    Domain domain;      // the plot domain of the contour and vector setups
    Domain grd_domain;  // not read
    void *report;       // the program's report buffer
    /// Gives a point slot its default units (before it is plotted and labelled).
    int (*get_var)(VAR_data *var);
    /// The next station: below 0 the end, 0 skip it, above 0 a station in station.
    int (*read_report)(void *report, CTY_locate *station);
    /// Starts the program's reader again before the station loop.
    int (*rewind)();
    /// Fills data's values and text of one slot for the current station.
    int (*get_data)(void *report, VAR_data *var, RAW_data *data);
    /// Non-zero when the program has plotted slot ind itself.
    int (*plot_data)(int ind);
    int (*grid_data)(void *report, VAR_data *var, GRD_report *grid);  // not called
    PLT_callback callback;  // the window-event callback of the contour and vector setups
};

/// 1: mark every plotted station with a plus sign.  0.
int DATA_set_site(int val);
/// Range rings of val nautical miles around each plotted station (below 10: none).  0.
int DATA_set_dist(float val);
/// Prepares a plot: filled contours, map and panel slots, the point attributes and scale.  0.
int DATA_plot_init();
/// Starts the plot: transformation 2, a new frame and the map underlay.  0.
int DATA_plot_start();
/// Starts a later panel: a new frame and the map underlay.  0.
int DATA_plot_begin();
/// Ends the plot (or the last panel): the map overlay and the plot labels.  0.
int DATA_plot_end();
/// Labels go to overlay line 0 again; the colour bar and vector key may be drawn again.  0.
int DATA_new_frame();
int DATA_map_underlay();
int DATA_map_overlay();
/// The colour bar (vector key) once per frame: 0 drawn, -1 not.
int DATA_plot_bar();
int DATA_plot_vect_bar();
/// A grid slot contoured or drawn as vectors: the last slot index used.
int DATA_plot_grid(int ind, DATA_info *data);
int DATA_plot_vect(int ind, DATA_info *data, char *units, const char *form);
int DATA_plot_cont(int ind, DATA_info *data, const char *form);
/// The point loop over the group of point slots from ind: the group's last slot index.
int DATA_plot_raw(int ind, DATA_info *data);
int DATA_plot_raw_label(int beg, int end, DATA_info *data);
/// A map element slot: its map items.  0, or -1 when ind is not a slot.
int DATA_plot_map(int ind);
int DATA_plot_panel(int ind, Domain *domain);
/// A panel control slot starts the next panel.  0, or -1 when ind is not a slot.
int DATA_plot_control(int ind, Domain *domain);

#endif
