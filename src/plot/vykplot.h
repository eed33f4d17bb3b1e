// vykplot.h: domains, projections, the plot frame, labels and maps.
#ifndef VYKPLOT_H
#define VYKPLOT_H

#include "vyk.h"
// The domain record, DOM_decode, DOM_init, DOM_print, MAP_get_domain, PLT_get_label and
// PLT_get_view_offset, declared where the image files of graphics need them.
#include "vykdom.h"
#include "vyklabel.h"  // the label type

/// The map domain from the resources (flag 4: plot_domain, else region, else the region file's
/// first region): the domain decoder's result, 0 when none applies.
int DOM_get_region(Domain *domain, int flag);
/// The steps of the latitude-longitude lines (on diagrams: x and y grid lines; a negative step
/// aligns the lines to multiples of it), dots and extra labels.  Returns 0.
int MAP_latlon(float lat, float lon, int dt, int ex);
/// The four margins of the plot view (left, right, bottom, top; normalized units).  Returns 0.
int PLT_set_view_offsets(float xn, float xx, float yn, float yx);

#endif
