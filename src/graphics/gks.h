// gks.h: the graphics kernel's types and calls.
//
// The kernel drives one workstation at a time (its id is always 1): the program's own X11
// window, a window of the loop window program, PostScript or EPS, HP-GL/2 or the metafile.
// Every drawing call asks the type predicates (gtype_is_*) which back end is current.
// World coordinates go through one of six normalization transformations (0 to 5) and the
// workstation transformation to the device.  Results: 0 for success and -1 for failure unless a
// call says otherwise.
//
// This header includes Xlib, whose macros (None, Bool, Status, True, False, Always ...) collide
// with names in some C++ libraries: include such headers (GoogleTest among them) first.
#ifndef GKS_H
#define GKS_H

#include <X11/Xlib.h>

#include <cstddef>
#include <cstdio>

// ---------------------------------------------------------------------------------------------
// Types shared by all drawing code
// ---------------------------------------------------------------------------------------------

typedef int Gint;
typedef float Gfloat;
typedef char Gchar;

/// Workstation type.
typedef int Gws_type;
enum : Gws_type {
    GWS_X11 = 1,   // the program's own X11 window (and its pixmap)
    GWS_META = 3,  // metafile: text form or binary CGM
    GWS_PS = 4,    // PostScript or EPS
    GWS_HPGL = 5,  // HP-GL/2, optionally inside PCL
    GWS_PIX = 6,   // a window of the loop window program
};

/// A point.
struct Gpt {
    Gfloat x, y;
};

/// A rectangle as callers pass windows and viewports: both x limits first.
struct Glim {
    Gfloat x_min, x_max, y_min, y_max;
};

/// The stored form of a rectangle (note the order differs from Glim); the extents are recomputed
/// whenever a rectangle is stored.
struct Gcoords {
    float x_min, y_min, x_max, y_max, x_ext, y_ext;
};

/// A scale pair.
struct Gtransform {
    float x, y;
};

/// A normalization transformation: world window and NDC viewport.
struct Gtran {
    Glim win, vp;
};

enum Gcoord_unit { GMETER_UNIT = 0, GOTHER_UNIT = 1 };

struct Gint_pt {
    Gint x_coord, y_coord;
};

/// Display space of a workstation.
struct Gdsp_size {
    Gcoord_unit coord_units;
    Gpt coord_size;   // (width - 1, height - 1)
    Gint_pt ras_size; // (width, height)
};

/// A rectangle in device units.
struct Grectangle {
    Gint x, y, width, height;
};

/// A colour representation, components 0 to 1.
struct Gcolr_rep {
    Gfloat red, green, blue;
};

enum Gfill_int_style { GHOLLOW = 0, GSOLID = 1, GPAT = 2, GHATCH = 3 };
enum Gclear_flag { GCOND = 0, GALWAYS = 1 };

// ---------------------------------------------------------------------------------------------
// Kernel and workstation control (gks_ws.cpp)
// ---------------------------------------------------------------------------------------------

Gint gopen_gks(const Gchar *err_f, long mem);
Gint gclose_gks();
Gint gemergency_close_gks();
/// conn_id: comma-separated items; item 0 names the display (X11 types) or the output (files).
Gint gopen_ws(Gint ws_id, const Gchar *conn_id, Gws_type ws_type);
Gint gactivate_ws(Gint ws_id);
Gint gdeactivate_ws(Gint ws_id);
Gint gclear_ws(Gint ws_id, Gclear_flag clear_flag);
Gint gclose_ws(Gint ws_id);
/// Re-initialises every attribute module: 0 new X11 workstation, 1 X11 redraw or resize,
/// 2 PostScript, 3 HP-GL/2, 4 metafile; -1 does nothing and returns -1.
int ginit_plot(int type);
Gint gmessage(Gint ws_id, const Gchar *message);
Gint gcreate_seg(Gint seg_name);
Gint gclose_seg(Gint seg_name);
Gint gdel_seg(Gint seg_name);
int gchk_graphics();
int gset_prog_name(const char *str);
const char *gget_prog_name();
int gget_ws_id();
int gset_win_type(Gws_type val);
Gws_type gget_win_type();
/// 0 nothing, 1 clear the loop window's pixmap at open, 2 ask it for a new frame at open,
/// 9 end its hold at close.
int gset_pix_mode(int mode);
int gsync();
int gbell(int len);
/// Kernel error report: "func: " and the formatted message, mask 192, while the error channel
/// is open (after gopen_gks).
int gerr_printf(const char *func, const char *mess, ...) __attribute__((format(printf, 2, 3)));

int gtype_is_WIN();      // own window (events, hold loop, frames, zoom)
int gtype_is_PIX();      // loop window program's window
int gtype_is_WIN_PIX();  // all X11 drawing
int gtype_is_PS();
int gtype_is_HPGL();
int gtype_is_META();

// ---------------------------------------------------------------------------------------------
// X11 windows (gks_x11.cpp)
// ---------------------------------------------------------------------------------------------

Display *gget_display();
int gget_screen();
Visual *gget_visual();
/// The X11 depth; 10 on the file back ends.
int gget_win_depth();
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
int gget_win_size(int *width, int *height);
int gget_root_size(int *width, int *height);
int gget_win_offset(int *x, int *y);
int gget_window_width();
int gget_window_height();
/// Sets the device size and refits the device transformation (ginit_tran(10)).
int gset_win_size(int width, int height);
int gset_xsize(int x, int y);
int gset_xoff(int x, int y);
/// width > 0 imposes a size; otherwise follows the window (-1 also keeps the old picture).
/// 1 when the size changed, else 0.
int gresize_window(int width, int height);
int gupdate_window();
int gclear_region(const Glim *lim);
int gset_geometry(const char *geom);
int gset_iconic(int iconic);
int gset_fixed_size();
/// 288 bytes: a 48 by 48 bitmap, rows of 6 bytes.
int gset_icon_bitmap(const unsigned char *bits);
int gset_win_title(const char *str);
const char *gget_win_title();
int gset_win_title_extra(const char *str);
/// Copies the window name's text after the title into str (at most size - 1 characters).
int gget_win_title_extra(char *str, size_t size = 80);
/// Cursor types: 0 X, 1 pointer, 2 move, 3 loop, 4 stop, 5 draw, 6 rectangle, 7 text, 8 busy.
int gset_cursor_type(int type);
int gset_cursor(int type);
int gget_cursor_type();

// ---------------------------------------------------------------------------------------------
// Transformations and clipping (gks_trans.cpp)
// ---------------------------------------------------------------------------------------------

float xW_NDC(float x);
float yW_NDC(float y);
float xW_p(float x);     // world to window pixels, clamped to +-30000
float yW_p(float y);
float xp_W(float x);     // window pixels to world
float yp_W(float y);
float xNDC_p(float x);
float yNDC_p(float y);
float xW_ps(float x);    // world to print units, clamped to +-100000
float yW_ps(float y);
float xNDC_ps(float x);
float yNDC_ps(float y);
float xW_trans(float x, int t1, int t2);
float yW_trans(float y, int t1, int t2);
Gint gset_win(Gint n, const Glim *window);
Gint gset_vp(Gint n, const Glim *viewport);
Gint gsel_norm_tran(Gint n);
Gint gset_ws_win(Gint ws_id, const Glim *window);
Gint gset_ws_vp(Gint ws_id, const Glim *viewport);
/// 0 new X11 workstation, 1 X11 reset, 2 PostScript, 3 HP-GL/2, 4 metafile, 10 size change.
int ginit_tran(int kind);
Gint ginq_norm_tran(Gint n, Gint *err_ind, Gtran *tran);
Gint ginq_cur_norm_tran_num(Gint *err_ind, Gint *n);
Gint ginq_disp_space_size(Gws_type ws_type, Gint *err_ind, Gdsp_size *size);
/// 1 when the bounding box of the n points meets the current window.
int gpts_in_win(Gint n, const Gpt *points);
int gget_xviewport(XRectangle *rect);
int gget_gviewport(Grectangle *rect);
int gset_tran_mult(float x, float y);
int greset_clip();
int gprint_win();

// ---------------------------------------------------------------------------------------------
// Colour representation (gks_color.cpp)
// ---------------------------------------------------------------------------------------------
// Colour indices: 0 to 255 table entries, 256 (or -1) the background, 500 to 508 print pens.

Gint gset_colr_rep(Gint ws_id, Gint ind, const Gcolr_rep *rep);
int galloc_colr(int ind, float r, float g, float b);
int gis_color_near(int ind, float r, float g, float b, int flag);
int gis_valid_colr(int ind);
/// The X pixel of an index (-1 read as 256); -1 when it has no colour cell.
int gget_color_ind(int ind);
int gget_color_rgb(int ind, float *r, float *g, float *b);
int gget_color_rgb256(int ind, int *r, int *g, int *b);
unsigned long gget_color_rgb_Xval(int red, int grn, int blu);
int gget_back_color();
int gget_max_colr();
int gquery_xcolor(int ind);
int ginit_xcolr();
int ginit_background();
int gset_background(const char *name);
int gset_local_colormap(int val);
int gset_rw_colors(int val);
int gset_inverse(int val);
int gget_inverse();
int gset_def_cmap(Colormap cmap);
Colormap gget_def_cmap();
int gset_user_cmap(Colormap cmap);
Colormap gget_user_cmap();
Colormap gget_colormap();

// ---------------------------------------------------------------------------------------------
// Polylines (gks_line.cpp)
// ---------------------------------------------------------------------------------------------

Gint gpolyline(Gint n, const Gpt *points);
Gint gset_line_colr_ind(Gint ind);
Gint gset_linewidth(Gfloat width);
Gint gset_linetype(Gint type);
int gset_line_print_bold(int factor);
int gget_line_print_bold();
int gget_line_colr();
GC gget_line_gc();
int gset_line_gc_func(int function);
int gget_line_gc_func();
int gxline(Drawable win, const XPoint *p1, const XPoint *p2);
int gxrect(Drawable win, const XPoint *p1, const XPoint *p2);
int ginit_line(int kind);
int greset_line();

// ---------------------------------------------------------------------------------------------
// Calls of the kernel's later components (markers, fills, text, events, frames, display list,
// metafile, PostScript, HP-GL/2) that the control module makes
// ---------------------------------------------------------------------------------------------

// Polymarkers (gks_marker.cpp)
GC gget_marker_gc();
int ginit_marker(int kind);
int greset_marker();

// Fill areas (gks_fill.cpp)
GC gget_fill_gc();
int ginit_fill(int kind);
int greset_fill();
int gdel_fill_pat();

// Text and stroke fonts (gks_text.cpp)
GC gget_text_gc();
int ginit_text(int type);
int greset_text();
int gsetup_fonts();

// Events and the hold loop (gks_event.cpp)
int gcheck_event();
int ginit_event(int type);

// Animation frames and zoom (gks_loop.cpp)
int ginit_loop();
int gdelete_all_frames();
int gclear_frame(int ind);
int greset_zoom();

// Display list and segments (gks_obj.cpp)
int ginit_objs();
/// Appends an object (and, every 500th request, checks events); returns its data block.
void *gnew_obj(int type, int values, int size, const void *data);
int gclear_objs();
int gdel_seg_objs(Gint seg_name);
int gset_redraw(int val);
int gget_redraw();
int gset_cache(int val);
int gget_cache();

// Metafiles (gks_meta.cpp)
int gmeta_set_type(int type);
int gmeta_get_type();
FILE *gmeta_open_file(const char *filename);
int gmeta_init_file();
int gmeta_printf(const char *mess, ...) __attribute__((format(printf, 1, 2)));
int gmeta_close_file();
int gcgm_control(int maj, int min, int len, int param);
int gcgm_ps_point(float x, float y);

// PostScript and EPS (gks_ps.cpp)
int gps_init();
int gps_set_size(float x, float y);
FILE *gps_open_file(const char *name);
int gps_init_file();
int gps_close_file();
int gps_printf(const char *mess, ...) __attribute__((format(printf, 1, 2)));
int gps_move(float x, float y);
int gps_line(float x, float y);
int gps_set_fill_color(int color);
int gps_set_base_width(int width);
int gps_set_EPS(int val);
int gps_set_orient(int val);
int gps_set_scale(float val);
int gps_set_colorPS(int val);

// HP-GL/2 (gks_hpgl.cpp)
int ghpgl_init();
FILE *ghpgl_open_file(const char *name);
int ghpgl_set_pcl(int val);
int ghpgl_set_rotate(int val);
int ghpgl_set_scale(float val);
int ghpgl_set_base_width(float val);
int ghpgl_init_file();
int ghpgl_close_file();
int ghpgl_printf(const char *mess, ...) __attribute__((format(printf, 1, 2)));

#endif
