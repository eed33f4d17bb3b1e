// gks_internal.h: calls between the kernel's own components (control, X11 windows,
// transformations and the attribute modules); not for plotting code.
#ifndef GKS_INTERNAL_H
#define GKS_INTERNAL_H

#include "gks.h"

// ---------------------------------------------------------------------------------------------
// Kernel control (gks_ws.cpp)
// ---------------------------------------------------------------------------------------------

/// X11 protocol errors: Xerror is set by the error handler; while printing is off (0) errors
/// are neither printed nor counted.
int gclear_Xerror();
int gget_Xerror();
int gset_Xerror_print(int val);
/// Installs the kernel's protocol-error and connection-loss handlers.
int ginstall_x_handlers();

/// The panel form of a geometry ("P" then "%fx%f+%f+%f": nx, ny, i, j) applied to the device
/// rectangle (win_x, win_y, win_width, win_height).  y_down: rows counted from the top in a
/// window (loop window), 0 on a page whose y axis points up.
int gset_panel_geometry(const char *geom, int y_down);

// ---------------------------------------------------------------------------------------------
// X11 windows (gks_x11.cpp)
// ---------------------------------------------------------------------------------------------

/// Opens the display named (NULL or "" the default), reusing the open connection when it is the
/// same display; records screen, depth and visual.  0, or -1 when it cannot be opened.
int gx_open_display(const char *name);
/// Creates the own window and its pixmap; 0, or -1 after "gopen_ws: unable to open window".
int gx_open_window();
/// Attaches to a window of the loop window program; items are the connection items.
int gx_attach_window(int count, char **items, int pix_mode);
/// Own window: destroys the window and its pixmap.  Both X11 types: forgets the window ids
/// and frees the root graphics context.
int gx_close_window(Gws_type type);
/// Sends the loop window a notice (2 new frame, 9 end the hold) and synchronises.
int gx_send_notice(int code);
/// Sets the device size and offset without touching a window (file back ends).
int gx_set_device(int width, int height, int x, int y);
/// The depth reported by gget_win_depth (10 on the file back ends).
int gx_set_depth(int depth);
/// The shown window's background and foreground pixels.
unsigned long gx_get_back_colr();
unsigned long gx_get_fore_colr();

// ---------------------------------------------------------------------------------------------
// Display list (gks_obj.cpp)
// ---------------------------------------------------------------------------------------------

/// The first recorded object; none when the list is empty.
const drawobj *gobj_first();
/// Replays every object onto the current back end with recording and event processing
/// switched off before each object (both are left off: the caller restores them).  The list
/// cannot be released under the walk: a clear asked for meanwhile happens when it ends.
/// Returns the number of objects replayed.
int gobj_replay();

#endif
