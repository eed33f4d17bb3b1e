// gks_x11.h: the kernel's X11 side: the display, the windows and pixmaps, the graphics
// contexts, colormaps, events and frame pixmaps.  Only the files that speak Xlib include it;
// plotting code uses gks.h.
//
// This header includes Xlib, whose macros (None, Bool, Status, True, False, Always ...) collide
// with names in some C++ libraries: include such headers (GoogleTest among them) first.
#ifndef GKS_X11_H
#define GKS_X11_H

#include <X11/Xlib.h>

#include "gks.h"

struct IMG_report;

// ---------------------------------------------------------------------------------------------
// The display and the windows (gks_xwin.cpp)
// ---------------------------------------------------------------------------------------------

Display *gget_display();
int gget_screen();
Visual *gget_visual();
Window gget_root_window();
Pixmap gget_base_window();
Drawable gget_draw_window();
GC gget_root_gc();
int gset_base_window(Pixmap win);
/// 0 selects the base pixmap.
int gset_draw_window(Drawable win);
unsigned long gget_red_mask();
unsigned long gget_grn_mask();
unsigned long gget_blu_mask();

// ---------------------------------------------------------------------------------------------
// The X11 back end: the graphics contexts and their drawing (gks_x11.cpp)
// ---------------------------------------------------------------------------------------------
// Each context exists only while an X11 workstation is open: after its close the getters give
// none.

GC gget_line_gc();
GC gget_marker_gc();
GC gget_fill_gc();
GC gget_text_gc();
/// The line context's drawing function (GXcopy, GXxor, ...).
int gset_line_gc_func(int function);
int gget_line_gc_func();
/// A single segment and an outline rectangle with the line context (the rubber band).
int gxline(Drawable win, const XPoint *p1, const XPoint *p2);
int gxrect(Drawable win, const XPoint *p1, const XPoint *p2);
/// Frees the fill pattern bitmaps.
int gdel_fill_pat();
/// The current viewport in window pixels: the clip rectangle of every context.
int gget_xviewport(XRectangle *rect);

// ---------------------------------------------------------------------------------------------
// Colour cells (gks_color.cpp)
// ---------------------------------------------------------------------------------------------

/// The TrueColor pixel of 16-bit components through the visual's masks.
unsigned long gget_color_rgb_Xval(int red, int grn, int blu);
int gset_def_cmap(Colormap cmap);
Colormap gget_def_cmap();
int gset_user_cmap(Colormap cmap);
Colormap gget_user_cmap();
Colormap gget_colormap();

// ---------------------------------------------------------------------------------------------
// Events (gks_event.cpp) and frames (gks_loop.cpp)
// ---------------------------------------------------------------------------------------------

/// Handles one event of the own window; 0.
int gprocess_x11_event(XEvent *event);
/// A frame's pixmap (-3 the base pixmap); 0 when there is none.
Pixmap gget_frame_id(int ind);
int gset_frame_id(int ind, Pixmap id);

// ---------------------------------------------------------------------------------------------
// Images on the window (img_window.cpp)
// ---------------------------------------------------------------------------------------------

/// Fills an X image for drawing the record on the window's depth.  Its pixel area is the
/// record's own when the depths agree, else a converted area of its own (zeros for a depth
/// combination that is not converted), to be released by the caller.  1, or 0 when the record's
/// size is invalid or the area cannot be allocated.
int gset_ximage_params(IMG_report *image, XImage *ximage);

#endif
