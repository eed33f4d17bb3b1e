// wind_glyph.h: wind glyphs: wind barbs, arrows and motion tracks (wind_glyph.cpp), and weather
// symbols from a stroke file and sky-cover circles (wx_symb.cpp).
//
// Directions are meteorological degrees clockwise from north (on a plot: from plot-up), the
// direction the wind comes from.  Angles are converted with pi taken as 3.1415926535898
// (VECT_DEG2RAD), computing in double precision and storing floats.  -9999 (VYK_MISS) marks a
// missing value.
#ifndef WIND_GLYPH_H
#define WIND_GLYPH_H

#include "vyk.h"
// WIND, VECT, the wind and polar conversions and VECT_DEG2RAD.
#include "vect.h"

// ---------------------------------------------------------------------------------------------
// Wind glyphs (wind_glyph.cpp).  Drawn in world coordinates with the caller's line and fill
// attributes; only the fill interior style is set.  A value that is not a finite number is
// missing too.
// ---------------------------------------------------------------------------------------------

/// Barb of size plot units at (x, y), its staff starting offset plot units from the point:
/// pennants for 50, full barbs for 10, a half barb for 5, the speed rounded to the nearest 5
/// and taken as 300 above 300.  0 drawn; -1 for a missing direction or speed, a speed of 0 or
/// a negative speed (nothing drawn).
int WIND_barb(float x, float y, float dir, float spd, float size, float offset);
/// WIND_barb with dir, a true direction, turned to the map's north at (x, y); a missing
/// direction or speed is refused before the turn.
int WIND_barb_map(float x, float y, float dir, float spd, float size, float offset);
/// Arrow pointing downwind from (x, y), size x spd plot units long, with a head of strokes
/// 0.2 sqrt(2) arrow times the shaft's length (arrow 0: none).  0 drawn; -1 for a speed of 0,
/// a missing speed or direction.
int WIND_vect(float x, float y, float dir, float spd, float size, float arrow);
/// WIND_vect with the direction turned as in WIND_barb_map.
int WIND_vect_map(float x, float y, float dir, float spd, float size, float arrow);
/// Motion track: a line of spd plot units downwind from (x, y) with maj cross ticks (the first
/// at the start, none at the tip) and a head of strokes 0.2 sqrt(2) arrow long; min is not
/// used.  0 drawn; -1 for a speed of 0, a missing speed or direction.
int WIND_track(float x, float y, float dir, float spd, float arrow, int maj, int min);

// ---------------------------------------------------------------------------------------------
// Weather symbols and sky-cover circles (wx_symb.cpp)
// ---------------------------------------------------------------------------------------------

/// Longest symbol name of a stroke file; longer names are left out of the index.
constexpr int WX_NAME_MAX = 14;
/// Symbols of a stroke file that are indexed (the first ones in the file).
constexpr int WX_INDEX_MAX = 100;
/// Points of one stroke; the rest of a longer stroke is left out with a warning.
constexpr int WX_STROKE_MAX = 1000;

/// Opens the stroke file file (NULL: "wx.smb") found along file_path, as a plain file only.
/// 0 opened; -1 when that file is already open (nothing changes) or it cannot be opened
/// ("WX_symb_file: Unable to open file: %s", then no stroke file is open).
int WX_symb_file(const char *file);
/// Draws the symbol whose name begins code (the first such in file order, letter case
/// ignored) with its lower-left corner at (x, y) (moved by the current text alignment), size
/// plot units square.  1 drawn; 0 nothing drawn (no file, an empty code or one beginning with
/// a blank, no such symbol: said once for each code).
int WX_symb(float x, float y, const char *code, float size);
/// The sky-cover circle of radius rad at the centre for the cover character (0 to 9, C, F, S,
/// B, O, X, and b, o, s, x; any other character adds an "M").  Always 0.
int WX_cloud(float x_center, float y_center, float rad, char cover);

#endif
