// plt_frame.h: the plot frame (plt_frame.cpp): opening, resetting and closing a plot around the
// graphics kernel, panels, image dumps and batch detaching; its layout settings (margins, border
// and full-area labels, plt_layout.cpp); its event handlers
// (plt_event.cpp): zoom, resize and refresh re-plots and the pointer read-outs; the plot pass
// of the plot routines (plt_run.cpp); and the plot-parameter keywords (plt_param.cpp).
//
// Every plotting routine runs one life cycle, PLT_run: PLT_open (or PLT_reset when the kernel is
// already open), make its domain current, draw, PLT_labels, PLT_dump(0), PLT_close (only when it
// opened the plot).  The re-plots of the event handlers call the routine again from inside the
// hold of PLT_close; it must then reset, never open or close.
#ifndef PLT_FRAME_H
#define PLT_FRAME_H

#include "gks.h"
#include "vykdom.h"

#include <functional>

// ---------------------------------------------------------------------------------------------
// The frame (plt_frame.cpp)
// ---------------------------------------------------------------------------------------------

/// Image dump kinds.
enum PLT_dump_kind {
    PLT_DUMP_NONE = 0,
    PLT_DUMP_XWD = 1,
    PLT_DUMP_GIF = 2,
    PLT_DUMP_IMG = 3,  // the system's own image format
    PLT_DUMP_PNG = 4,
};
constexpr int PLT_DUMP_KINDS = 5;
/// PLT_dump's frame code for one file per loop image.
constexpr int PLT_DUMP_ALL_FRAMES = -4;
/// Longest dump file-name template.
constexpr int PLT_DUMP_NAME_MAX = 159;
/// Longest text of PLT_mess.
constexpr int PLT_MESS_MAX = 79;

/// Decodes the plot parameters and opens kernel and workstation for a data area of width :
/// height = aspect : 1 inside the margins (the program ends with status 4 when nothing opens).
/// 0; -1 with nothing opened when no plot component is switched on or the plot type is 99.
int PLT_open(float aspect);
/// As PLT_open for the open workstation: clears it and lays it out again (the plot parameters
/// are not decoded again; the label type goes back to its first overlay).  -1 as PLT_open, and
/// when no plot is open.
int PLT_reset(float aspect);
/// Lays out the next panel of the view (aspect 0: the data area's own width / height).  0.
int PLT_panel(float aspect);
/// Ends the plot: in batch mode detaches into the background when the close would hold a
/// window; holds the window unless an image dump was made; closes the workstation and empties
/// the label store.  0; -1 for plot type 99 or when nothing was open, and when the plot's
/// output (the device file or an image dump) could not be written.
int PLT_close();
/// Closes the workstation and ends the program with status val.
[[noreturn]] void PLT_exit(int val);
/// Records a message of at most PLT_MESS_MAX characters in the display list (a comment of
/// metafile and PostScript output).  0.
int PLT_mess(const char *format, ...) __attribute__((format(printf, 1, 2)));
// The layout settings (plt_layout.cpp).
/// Border around the data area: 1 drawn (the start value), 0 not.  0.
int PLT_border(int val);
int PLT_get_border();
/// One margin on the top and bottom (the sides get none).  0.
int PLT_set_view_offset(float offset);
// PLT_get_view_offset is declared in vykdom.h.
/// The four margins (left, right, bottom, top) as fractions of the view.  0.
int PLT_set_view_offsets(float xn, float xx, float yn, float yx);
int PLT_get_view_offsets(Glim *view);
/// The data area of the last open, reset or panel in normalized device coordinates.  0.
int PLT_get_view(Glim *view);
int PLT_get_work_type();
/// Labels inside the data area: 1 when set (plot parameter "fullab").
int PLT_set_full_lab(int val);
int PLT_get_full_lab();
/// Asks for an image dump of kind type to the file-name template filename (NULL or empty: the
/// kind's default name "vyk.xwd", "vyk.gif", "vyk.img" or "vyk.png"); each kind keeps its own
/// template, so several kinds may be dumped at once.  Type 0 drops every dump.  0; -1 for an
/// unknown kind.
int PLT_set_dump(int type, const char *filename);
/// The dump kinds asked for, bit k for kind k; 0 none.
int PLT_get_dump();
/// Writes every dump asked for, named by its template as a file-name convention (key 'i' the
/// frame, key 'p' the window title) under `image_path`: frame PLT_DUMP_ALL_FRAMES writes one
/// file per loop image; with loop images, frame selects the image taken; without, the window.
/// -1 when no dump is asked for, else 0 (a failed file is reported and makes PLT_close fail).
int PLT_dump(int frame);
/// Sets the view size and offset of the next panel from "SXxSY+OX+OY": with SX above 1 a grid
/// of SX columns and SY rows (1 to 8) and the panel in column OX, row OY from the top left;
/// otherwise fractions of the display.  0; -1 (nothing changed) for a text that is not four
/// numbers or an empty view.
int PLT_panel_decode(const char *str);
/// Colour bar claims: PLT_bar returns 1 only for the first claim while the contour bar mode is
/// above 0, until PLT_set_bar(0).
int PLT_set_bar(int val);
int PLT_bar();

// ---------------------------------------------------------------------------------------------
// Events and re-plots (plt_event.cpp)
// ---------------------------------------------------------------------------------------------

/// The program's event callback: kind 2 keys and "size", 3 buttons; x, y in plot units.
typedef void (*PLT_callback)(int type, const char *event, float x, float y);
/// A re-plot function: the program's plot routine, called with the domain to show.
typedef int (*PLT_replot)(Domain *domain);

/// Stores the callback and, when not NULL, installs it in the kernel.  0.
int PLT_set_callback(PLT_callback func);
int PLT_set_zoom_func(PLT_replot func);
int PLT_set_resize_func(PLT_replot func);
/// The handlers of a plot routine that opened the plot: callback for the events, replot (the
/// routine itself) for both zooms and resizes.  0.
int PLT_set_handlers(PLT_callback callback, PLT_replot replot);
/// Re-plots with func every sec seconds while the window is held (0: off).  0.
int PLT_set_refresh_func(int sec, PLT_replot func);
/// The zoom count: zooms since the domain shown before the first one.
int PLT_set_zoom(int val);
int PLT_get_zoom();
/// "B1-P-Shft" arms a zoom box, a "B1-R..." release zooms into it, "u-Alt" returns to the first
/// domain, "r-Alt" redraws.  0; -1 for a release on the press point's row or column (still
/// armed) and for a box that cannot be shown.
int PLT_plot_zoom(const char *event, float x, float y);
/// "size": re-plots the current domain with the resize function.  0.
int PLT_plot_resize(const char *event, float x, float y);
/// The timer re-plot of the current domain.
void PLT_plot_refresh();
/// "v-Alt": prints the pointer's latitude, longitude, plot and pixel position.  0.
int PLT_print_location(const char *event, float x, float y);
/// "v-Alt": the location, the nearest station and the plotted values; "e-Alt": edits the grid
/// value under the pointer.  0.
int PLT_print_values(const char *event, float x, float y);

// ---------------------------------------------------------------------------------------------
// The plot pass (plt_run.cpp)
// ---------------------------------------------------------------------------------------------

/// What a plot routine hands to PLT_run: its name (in messages), the event callback and re-plot
/// function installed when the frame opens, its drawing (reset: a re-plot in the open frame)
/// and what it draws over the labels (may be empty).
struct PLT_routine {
    const char *name = "";
    PLT_callback callback = nullptr;
    PLT_replot replot = nullptr;
    std::function<void(bool reset)> draw;
    std::function<void()> over_labels;
};
/// One plot pass of a plot routine: resets the frame when the kernel is open, else opens it for
/// a data area of width : height = aspect : 1 and installs the routine's handlers; then draws,
/// PLT_labels, draws over the labels, PLT_dump(0) and closes the frame when it opened it.  0;
/// 0 with nothing drawn when nothing is to be plotted (the open is refused); -1 with nothing
/// drawn when the open frame cannot be reset (reported); -1 when the plot's output could not
/// be written.
int PLT_run(float aspect, const PLT_routine &routine);

// ---------------------------------------------------------------------------------------------
// Plot-parameter keywords (plt_param.cpp)
// ---------------------------------------------------------------------------------------------

/// Applies the keywords of `plot_param` in order, then the image entries of `out_file`.  0.
int PLT_param_decode();

#endif
