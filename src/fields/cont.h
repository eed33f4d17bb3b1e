// cont.h: contouring.  One contour state is shared by everything that contours a grid or
// colours values: settings and levels (cont.cpp), the contour plot (cont_plot.cpp), the colour
// table and the colour bar (cont_color.cpp), the drawing gate across projection seams
// (cont_gate.cpp), cell-by-cell contouring (cont_draw.cpp), contour labels and extremes
// (cont_label.cpp).
//
// Contour types are plot-type codes: 12 lines, 15 colour fill, 16 lines over fill, 17 grid
// values, 99 none.  -9999 marks a value that is not set.
#ifndef CONT_H
#define CONT_H

#include "gks.h"
#include "plt_frame.h"
#include "vykgks.h"
#include "vykrec.h"

#include <functional>

// ---------------------------------------------------------------------------------------------
// Settings and levels (cont.cpp).  Setters return 0 unless said otherwise.
// ---------------------------------------------------------------------------------------------

/// Resets type, interval, base, explicit levels and labels, cut-offs, range, label settings,
/// dash mode, scale, skips, fill pattern, formats and the colour-table latch.
int CONT_init();
/// Installs plot positions of the grid points (malloc'd arrays the module then owns).
int CONT_grid(float *grx, float *gry);
int CONT_draw_grid(int value);
int CONT_set_scale(float scale);
int CONT_set_skip(int x, int y);
int CONT_set_plot_offset(float x, float y);
constexpr int CONT_LEVELS = 256;  // explicit levels and colour-table entries

/// Explicit levels: at most CONT_LEVELS of the num values, stopping at a -9999.  -1 (nothing changed)
/// while the colour table is latched.
int CONT_set_values(const float *values, int num);
int CONT_reset_values();
/// The number of explicit levels (0 none), copied into values when given.
int CONT_get_values(float *values);
int CONT_get_num_cont();
int CONT_set_dash(int ind);
int CONT_set_intrvl(float value);
float CONT_get_intrvl();
int CONT_set_range(float max, float min);
/// Each cut-off is set only when its argument is not -9999.
int CONT_set_cutoff(float max, float min);
/// 52 is stored as 15.
int CONT_set_type(int type);
int CONT_get_type();
int CONT_set_label_type(int skip, int rad);
/// The slot's format text and its plot type (13 dashed lines, 14 lines dashed below the base).
int CONT_set_format(int type, const char *form);
int CONT_set_over(int ind);
int CONT_set_label_space(int x, int y);
int CONT_set_base(float value);
float CONT_get_base();
/// An interval for num bands over the range, rounded up to one significant digit (a multiple of
/// 1000 from 1000 up).
float CONT_calc_intrvl(float max, float min, int num);
/// Lays out the levels of the data range (from grid when no range is set).  0; -1 without a
/// range.
int CONT_set_cont_ext(const GRD_report *grid);
/// Applies the ':'-separated words of a format text.  0; -1 for NULL.
int CONT_format_decode_type(const char *format);
/// Applies the co=, wi=, st= and fp= items of the stored format to attr.  0.
int CONT_format_decode_attrib(Gattribs *attr);
/// Applies the attribute items of a format ("co=" colour, "wi=" width, "st=" style and, when
/// fill_pattern is set, "fp=" fill pattern; any case) to attr; other items are left alone.  0.
int CONT_format_attrib_items(const char *format, Gattribs *attr, bool fill_pattern);
/// Applies the contour words of the plot_param resource.  0.
int CONT_param_decode();
/// Hands each item of the con_base resource, in order, to item: kind '>' with a lower cut-off,
/// '<' with an upper cut-off, '=' with a base (blanks before an item are skipped, an empty item
/// is passed over, and a value that is not a number reads as 0).
void CONT_base_items(const std::function<void(char kind, float value)> &item);
/// The interval from con_interval or the console ("Enter the contour interval: ").
float CONT_prompt_intrvl();
/// The contour type kept, from the plot type or asked.
int CONT_prompt_type();

// ---------------------------------------------------------------------------------------------
// The contour plot (cont_plot.cpp)
// ---------------------------------------------------------------------------------------------

/// Prepares the contour state for variable slot ind's grid (plot: the frame of a series, 0
/// the first).  0.
int CONT_plot_setup(int plot, int ind, const GRD_report *grid, Domain *domain,
                    PLT_callback callback);
/// Stand-alone contour plot of one grid.  0, or -1 when the plot's output could not be written.
int CONT_plot_grid(const GRD_report *grid, Domain *domain, PLT_callback callback);
/// Stand-alone contour plot of grid slot 0; also its zoom and resize function.  0, or -1 when
/// the plot's output could not be written.
int CONT_plot(Domain *domain);
/// Event callback of the stand-alone plot ("s-Alt" saves grid slot 0 to "output.grd").
void CONT_callback(int type, const char *event, float x, float y);

// ---------------------------------------------------------------------------------------------
// Colour table and colour bar (cont_color.cpp)
// ---------------------------------------------------------------------------------------------

/// Builds the colour table from string, the color_fill resource (flag 0) or the built-in list.
/// 0 built; -1 when already latched or taken from the named colour table's fill colours.
int CONT_set_fill_colors(const char *string, int flag);
/// Appends the entries of one colour-list item (the text may be changed).  0.
int CONT_decode_fill_color(char *item);
/// Every field but the colour unset.  0.
int CONT_fill_attrib_init(Gattribs *attrib);
/// Copies the caller's entries (up to 256, ending at a colour below -1).  0.
int CONT_set_fill_attribs(const Gattribs *attribs);
int CONT_reset_fill_set();
int CONT_set_fill_pat(int pattern);
int CONT_get_fill_pat();
/// The attribute set of value's band; colour -1 when the value is not drawn.  0.
int CONT_get_fill_attrib(float value, Gattribs *attrib);
/// Entry ind (0 to 256) of the table.  0.
int CONT_get_fill_attrib_ind(int ind, Gattribs *attrib);
/// Colour-bar mode: 0 none, 1 to 3 a bar wanted, -1 and -2 refused.
int CONT_set_bar(int mode);
int CONT_get_bar();
/// The bar's own value range.  0.
int CONT_set_bar_range(float max, float min);
/// Draws the colour bar in transformation 1 (orient 1).  0, or -1 when not drawn.
int CONT_draw_bar(int orient, const char *caption);
/// The level of the bar box under (x, y); -9999 outside the last bar drawn.
float CONT_get_bar_value(float x, float y);
/// "f-Alt" flashes the colour of the bar box under the pointer.  0.
int CONT_flash_value(const char *event, float x, float y);

// ---------------------------------------------------------------------------------------------
// The drawing gate across projection seams (cont_gate.cpp)
// ---------------------------------------------------------------------------------------------

/// The point at fraction d from (x1, y1) to (x2, y2), unwrapped across the seam.  0.
int int_xy(Gpt *pt, float x1, float y1, float x2, float y2, float d);
/// Type 15 fills the num_pt points, 12 draws the segment pts[0]-pts[1], 16 both; pieces that
/// jump across a seam are split, doubled or dropped.  -1 without drawing when the current
/// band's colour is -1, else 0.  The points may be changed.
int CONT_draw_lines(int type, int num_pt, Gpt *pts);

// ---------------------------------------------------------------------------------------------
// Cell-by-cell contouring (cont_draw.cpp)
// ---------------------------------------------------------------------------------------------

/// Contours the grid as set up, then its labels and extremes.  0; -1 with nothing drawn (data
/// switched off, no grid or values) and after grid values.
int CONT_draw(const GRD_report *grid);
/// Draws the grid as set up.  0; -1 when the point positions cannot be made.
int CONT_draw_contour(const GRD_report *grid);

// ---------------------------------------------------------------------------------------------
// Contour labels and extremes (cont_label.cpp)
// ---------------------------------------------------------------------------------------------

/// Cell outlines (draw_grid) and contour labels.  0.
int CONT_draw_labels(const GRD_report *grid);
/// "H" and "L" marks of the highs and lows.  0.
int CONT_draw_maxmin(const GRD_report *grid);

#endif
