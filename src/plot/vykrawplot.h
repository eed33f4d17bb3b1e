// vykrawplot.h: the point data that plot calls: the plotting of point-data files for the
// background map's "rf:" items, and for the data-plotting driver and the station plot the
// point-datum plotter and the output of plotted values (the RAW_data record is core's,
// vykrec.h).  They belong to the point data (src/profiler),
// above plot; plot declares exactly these here, as an exception to the layering listed with
// the folder layout, and the point-data header includes this one.
#ifndef VYKRAWPLOT_H
#define VYKRAWPLOT_H

#include "vykrec.h"
#include "cty.h"
#include "vykgks.h"
#include "vykvar.h"

#include <cstddef>


/// Position, values, text, format and attributes reset; the type stays as it was.  0.
int RAW_data_init(RAW_data *datum);
/// Resets the values and the text only.  0.
int RAW_data_init_val(RAW_data *datum);
/// Prepares the point settings of a plot from attrib, scale and the resources: 0, or -1 when
/// nothing is to be drawn.
int RAW_plot_init(const Gattribs *attrib, float scale);
/// The base set's marker (after RAW_plot_init, which resets it).  0.
int RAW_set_marker(int marker);
/// Draws one datum: 0, or -1 when it is not drawn (drawing switched off, outside the cut-offs,
/// hidden by colour -1).  The type named in its format, and the text of a zero-suppressed value,
/// are written back into the record.
int RAW_plot_data(RAW_data *datum);

// Output of plotted values (raw_out.cpp).
int RAW_date_open(const Date *date);
int RAW_save_station(const CTY_locate *station);
int RAW_save_data(const RAW_data *datum);
int RAW_save_end();
/// Closes the output: 0, or -1 (with a message) when it could not be written whole or none is
/// open.
int RAW_close_file();
/// Keeps the text of values plotted at a station (text: size bytes).  0.
int RAW_set_var_string(const VAR_data *variable, const RAW_data *datum, char *text, size_t size);

/// Plots the point-data file named by file_arg (a file name, optionally with a field designator); label 1
/// adds the file's labels, applies the identifier filter and the station table.  0.
int RAW_plot_file(const char *file_arg, int label);
/// Analyses the point-data file named by file_arg onto grid slot 0 (over the `region` domain, else
/// the current one) and saves the grid as `out_file` asks; label 1 as for RAW_plot_file.  0.
int RAW_grid_file(const char *file_arg, int label);
/// The cut-offs of the point plots (-9999 when unset).  0.
int RAW_get_range(float *max, float *min);

#endif
