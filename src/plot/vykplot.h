// vykplot.h: domains, projections, the plot frame, labels and maps.
#ifndef VYKPLOT_H
#define VYKPLOT_H

#include "vyk.h"
// The domain record, DOM_decode, DOM_init, DOM_print, MAP_get_domain, PLT_get_label and
// PLT_get_view_offset, declared where the image files of graphics need them.
#include "vykdom.h"
#include "plt_label.h" // the label store and the plot labels
#include "plt_frame.h" // the plot frame, its events and the plot-parameter keywords
#include "dom.h"       // domain tools, domain strings and regions
#include "map.h"       // the current map domain, projections, diagrams and directions
#include "map_draw.h"  // background maps, map files, latitude-longitude lines and grids
#include "data_plot.h" // the data-plotting driver
#include "map_plot.h"  // the map-plotting program's plot routine

#endif
