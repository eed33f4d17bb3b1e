// map_draw.h: the background map (map_draw.cpp): the plot window of the current domain, map
// lists and their items, drawn in passes; the map files (map_file.cpp); and the
// latitude-longitude lines and diagram grids (map_lines.cpp).
//
// A map list is a ','-separated list of items: map files (name or name:attributes), "fi:" map
// list files, "im:"/"if:" images, "mf:" metafiles, "rf:" point-data files, "lalo:" lines and
// region blocks [lat1,lat2,lon1,lon2(,size)] that limit the items after them to plots of an
// area.  An item prefixed '-' is drawn only in passes whose mask has MAP_PASS_MINUS, one
// prefixed '+' in passes with MAP_PASS_PLUS, the others in passes with MAP_PASS_PLAIN.
#ifndef MAP_DRAW_H
#define MAP_DRAW_H

#include "gks.h"
#include "vykdom.h"

#include <cstdio>

/// Pass mask bits of MAP_draw.
enum {
    MAP_PASS_MINUS = 1,  // items prefixed '-'
    MAP_PASS_PLUS = 2,   // items prefixed '+'
    MAP_PASS_PLAIN = 4,  // items without prefix
};

/// Longest map list that MAP_file keeps, and longest attribute string of MAP_set_format.
constexpr int MAP_LIST_MAX = 249;
constexpr int MAP_FORMAT_MAX = 39;
/// Most points of one map-file record (its count is 16 bits, unsigned).
constexpr int MAP_RECORD_MAX = 65535;

/// Makes domain current and sets the window of normalization transformation 2 to its plot
/// limits, then selects transformation 2.  0; -1 (nothing changed) for NULL.
int MAP_setup(const Domain *domain);
/// Draws the items of the passes in mask flag, then the latitude-longitude lines of
/// MAP_latlon.  Nothing while the map switch of the draw resource is off.  0.
int MAP_draw(int flag);
/// Draws one map item.  0 when something was drawn or attempted; -1 when the item was skipped,
/// was a region block, or its file was not found.
int MAP_process(const char *str);
/// Draws the records of an open map file (text or big-endian binary, told apart by the first
/// record).  1 without reading on a kind that is not a map projection; 0 after a record of 0
/// points; -1 at the end of the file, or at data that cannot be read (with a warning).
int MAP_map(FILE *map_file);
/// The map list used when the map_file resource is not set (at most MAP_LIST_MAX characters
/// are kept).  0.
int MAP_file(const char *file);
/// Attribute string of map files whose item gives none (at most MAP_FORMAT_MAX characters).  0.
int MAP_set_format(const char *str);
/// Set while contours are filled: map files then default to the color_cmap resource.  0.
int MAP_fill_cont(int value);
/// The steps of the latitude-longitude lines (0: none) that MAP_draw draws after its items (on
/// diagrams: x and y grid lines; a negative step aligns the lines to multiples of it), the
/// interval of the cross grid and of the extra labels in whole degrees (0: none).  0.
int MAP_latlon(float lat, float lon, int dt, int ex);
int MAP_get_latlon(float *lat, float *lon);
/// The window of normalization transformation 2.  0.
int MAP_get_window(Glim *wind);
/// The window's height and width in plot units (100 km on map projections).
float MAP_get_vert();
float MAP_get_hor();
/// A circle of rad km around plot point (x, y): 49 points every 7.5 degrees of direction.  0.
int MAP_draw_circle(float x, float y, float rad);
/// Draws the latitude-longitude lines (on diagrams the value grid) every dlat and dlon with the
/// current line and text attributes.  -1 without drawing when an interval is -9999, 0, not
/// finite, or negative on a map projection; -1 after a diagram grid; 0 after map lines.
int MAP_lines(float dlat, float dlon);

#endif
