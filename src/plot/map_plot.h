// map_plot.h: the plot routine of the map-plotting program (map_plot.cpp): the background
// map with the items of the `filename` resource drawn over it (labels, texts, markers, range
// circles, map passes, point-data files plotted or gridded and contoured, metafiles), stations,
// a colour bar, the dump and the close; and the marker words of its mark items (map_mark.cpp),
// which the point-data plotter reads in mark data too.
#ifndef MAP_PLOT_H
#define MAP_PLOT_H

#include "vykdom.h"

/// Draws the whole plot for domain; also its own zoom and resize function.  0, or -1 when the
/// plot's output (a PostScript file, a metafile, a dump) could not be written.
int MAP_plot(Domain *domain);
/// The mouse callback MAP_plot installs: the value print, zoom and resize of the plot frame.
void MAP_callback(int type, const char *event, float x, float y);
/// The marker type of a marker word ("dot", "+", "tri", ... by prefix without regard to case,
/// in the map plot's order) or of a number; 0 for NULL and for neither.
int MAP_mark_type(const char *word);

#endif
