// vykcont.h: the contour and vector settings that the plot frame reads and its plot-parameter
// keywords set.  Contouring and vector plots are not built yet: these are placeholders in
// pending.cpp until they land.
#ifndef VYKCONT_H
#define VYKCONT_H

/// Colour bar mode: 0 none, 1 to 3 a bar wanted, -1 and -2 refused.
int CONT_set_bar(int mode);
int CONT_get_bar();
/// The bar's own value range.  0.
int CONT_set_bar_range(float max, float min);
/// Column and row skips of grid-value plots.
int CONT_set_skip(int x, int y);
/// Offsets of printed grid values.
int CONT_set_plot_offset(float x, float y);
/// The reference-vector legend: above 0 while it is on.
int VECT_get_vect();

#endif
