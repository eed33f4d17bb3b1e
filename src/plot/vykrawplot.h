// vykrawplot.h: the point-data plotting that the background map calls for its "rf:" items.  It
// belongs to the point data (src/profiler), above plot; plot declares exactly this here, as an
// exception to the layering listed with the folder layout, and the point-data header includes
// this one.
#ifndef VYKRAWPLOT_H
#define VYKRAWPLOT_H

/// Plots the point-data file spec (a file name, optionally with a field designator); label 1
/// adds the file's labels, applies the identifier filter and the station table.  0.
int RAW_plot_file(const char *spec, int label);

#endif
