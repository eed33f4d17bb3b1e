// gks.h: the graphics kernel's types and calls.
//
// The kernel drives one workstation at a time (its id is always 1): the program's own X11
// window, a window of the loop window program, PostScript or EPS, HP-GL/2 or the metafile.
// Every drawing call reaches the current back end through the kernel's device table.
// World coordinates go through one of six normalization transformations (0 to 5) and the
// workstation transformation to the device.  Results: 0 for success and -1 for failure unless a
// call says otherwise.
//
// This is the plotting API only: the calls that hand out X11 resources (display, windows,
// graphics contexts, colormaps, events, frame pixmaps) are in gks_x11.h.
#ifndef GKS_H
#define GKS_H

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
    GWS_ASK = 0,   // not chosen yet: the user is asked
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

/// Interior styles of fill areas; the kernel stores any number it is given (a metafile may
/// hold one beyond these), so the type holds every int.
enum Gfill_int_style : int { GHOLLOW = 0, GSOLID = 1, GPAT = 2, GHATCH = 3 };
enum Gclear_flag { GCOND = 0, GALWAYS = 1 };

/// Kinds of kernel initialisation: ginit_plot, ginit_tran and the modules' ginit_* calls.
enum Ginit_kind : int {
    GINIT_NONE = -1,     // ginit_plot does nothing
    GINIT_WINDOW = 0,    // a new X11 workstation
    GINIT_REDRAW = 1,    // an X11 redraw or resize
    GINIT_PS = 2,        // PostScript (an open, or a print of the display list)
    GINIT_HPGL = 3,      // HP-GL/2
    GINIT_META = 4,      // metafile
    GINIT_RESIZE = 10,   // ginit_tran only: the device size changed, the transformations stay
};

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
/// Re-initialises every attribute module for a Ginit_kind (GINIT_WINDOW to GINIT_META);
/// GINIT_NONE does nothing and returns -1.
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
// X11 windows (gks_xwin.cpp)
// ---------------------------------------------------------------------------------------------

/// The X11 depth; 10 on the file back ends.
int gget_win_depth();
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
/// A Ginit_kind: GINIT_RESIZE refits the device transformation and keeps the others.
int ginit_tran(int kind);
Gint ginq_norm_tran(Gint n, Gint *err_ind, Gtran *tran);
Gint ginq_cur_norm_tran_num(Gint *err_ind, Gint *n);
Gint ginq_disp_space_size(Gws_type ws_type, Gint *err_ind, Gdsp_size *size);
/// 1 when the bounding box of the n points meets the current window.
int gpts_in_win(Gint n, const Gpt *points);
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
/// The X11 back end's line context (gks_x11.cpp): GINIT_WINDOW creates it, GINIT_WINDOW and
/// GINIT_REDRAW reset it; a print kind puts it back to the reset attributes.
int ginit_line(int kind);
int greset_line();

// ---------------------------------------------------------------------------------------------
// Calls of the kernel's later components (markers, fills, text, events, frames, display list,
// metafile, PostScript, HP-GL/2) that the control module makes
// ---------------------------------------------------------------------------------------------

// Polymarkers (gks_marker.cpp)
// Marker types: 1 a 2 x 2 pixel block, 2 plus, 3 star, 4 circle, 5 x, 6 square, 7 triangle,
// 8 dot, 9 inverted triangle; others draw nothing.  A marker's device size is 10 x its size in
// pixels (x 0.72 on PostScript, x 10.15 on HP-GL/2), independent of the transformation.
/// Draws a marker at each point (with the text layer's drop shadow); 0, or -1 when the kernel is
/// not open or the list is unusable (a negative count, or no points).
Gint gpolymarker(Gint n, const Gpt *points);
Gint gset_marker_colr_ind(Gint ind);
Gint gset_marker_size(Gfloat size);
Gint gset_marker_type(Gint type);
Gint gset_marker_width(Gfloat width);
int gget_marker_colr();
/// Strokes one marker of the current type centred on a device point, device size S; 0.
int draw_marker(float cx, float cy, float S);
/// One connected stroke through n device points on the current workstation; 0.
int mark_draw(int n, const Gpt *points);
/// The X11 back end's marker context (gks_x11.cpp), as ginit_line.
int ginit_marker(int kind);
/// Colour 1, type 1, width 1, size 10.
int greset_marker();

// Fill areas (gks_fill.cpp)
// Interior styles: GSOLID, or GPAT with one of 20 built-in 8 x 8 patterns (0 and 19 solid,
// 10 empty); GHOLLOW and GHATCH are recorded but have no rendering of their own.
/// Fills the polygon (outlined on X11 through the given points, not closed); 0 drawn or culled,
/// 1 written to a metafile, -1 when the kernel is not open, fewer than 3 points are given or a
/// buffer cannot be allocated.
Gint gfill_area(Gint n, const Gpt *points);
Gint gset_fill_colr_ind(Gint ind);
Gint gset_fill_int_style(Gfill_int_style style);
/// Pattern number 0 to 19.
Gint gset_fill_style_ind(Gint pattern);
/// 1: the print drivers fill in solid black / full fill instead of the colour's grey; 0.
int gset_fill_print_solid(int val);
int gget_fill_print_solid();
int gget_fill_colr();
/// Clears a world rectangle to the background (a page's white); 0.
int gclear_region(const Glim *lim);
/// Non-zero when the pattern's bit for pixel (x mod 8, y mod 8) is set; 0 for no such pattern.
int gfill_test(int pattern, int x, int y);
/// The X11 back end's fill context and pattern bitmaps (gks_x11.cpp), as ginit_line.
int ginit_fill(int kind);
/// GSOLID, pattern 1, colour 1; the context is not touched.
int greset_fill();

// Text and stroke fonts (gks_text.cpp)
// Text is stroked with the loaded stroke font on every device (or drawn with an X server font
// on the X11 types).  Font units: x from 0 to the right, y upward with the descender line at 0,
// the baseline at 35, the half line at 85, the cap line at 140 and the top line at 160; 105
// font units (baseline to cap line) are one character height.
enum Gtext_hor : int { GNORMAL_HOR = 0, GLEFT_HOR = 1, GCENTER_HOR = 2, GRIGHT_HOR = 3 };
enum Gtext_ver : int {
    GNORMAL_VERT = 0, GTOP_VERT = 1, GCAP_VERT = 2, GHALF_VERT = 3, GBASE_VERT = 4,
    GBOTTOM_VERT = 5
};
struct Gtext_align {
    Gtext_hor hor;
    Gtext_ver ver;
};
enum Gtext_prec : int { GSTRING_PREC = 0, GCHAR_PREC = 1, GSTROKE_PREC = 2 };
struct Gfontprec {
    Gint font;        // 1-based position in the font list
    Gtext_prec prec;  // not used
};
enum Gtext_path : int { GRIGHT_PATH = 0, GLEFT_PATH = 1, GUP_PATH = 2, GDOWN_PATH = 3 };

/// Draws a text at a world position with the current text attributes; 0, -1 when the kernel
/// is not open.
Gint gtext(const Gpt *text_pos, const Gchar *char_string);
Gint gset_text_colr_ind(Gint text_colr_ind);
Gint gset_expan(Gfloat expansion);
Gint gset_text_width(Gfloat textwidth);
/// Character height (baseline to cap line) in world units of the current transformation.
Gint gset_char_ht(Gfloat char_ht);
/// Accepted and ignored: text runs along its baseline.
Gint gset_text_path(Gtext_path text_path);
/// The up vector (stored with length 1; a zero vector is ignored).
Gint gset_char_up_vec(const Gpt *char_up_vec);
Gint gset_text_align(const Gtext_align *text_align);
Gint ginq_text_align(Gint *err, Gtext_align *text_align);
/// Spacing between characters in hundreds of font units.
Gint gset_space(Gfloat space);
/// Fixed character pitch (0 off): every character advances (100 space + 100) x pitch.
Gint gset_char_space(Gfloat space);
/// Selects font number font of the font list (and loads it).
Gint gset_fontprec(const Gfontprec *fontprec);
/// A ','-separated list of font names, or "fi:" and a list file; overrides the font_list
/// resource (at most 79 characters).  Returns 1.
int gset_font_list(const char *list);
/// Builds the font list and loads the current font (each workstation open).
int gsetup_fonts();
/// Loads a stroke-font file (found along file_path) or, for a name beginning '#', an X server
/// font on the X11 types; 0 or -1.
int read_font(const char *name);
/// Drop shadow: n copies one device unit apart under each text and marker (0 none).
int gset_font_drop(int ind);
int gget_font_drop();
int gset_font_drop_color(int ind);
/// The X11 back end's text context (gks_x11.cpp), as ginit_line.
int ginit_text(int type);
/// Every text attribute back to its start value (drop shadow and context kept).
int greset_text();
int gget_text_colr();
/// Reads stroke-font data (the file format of read_font) from an open stream into the loaded
/// font; 0, or -1 when they are not a valid font (every stroke glyph is then removed).
int gread_font_data(FILE *fp);
/// The measured length of a text in font units with the current spacing, pitch and expansion:
/// what gtext aligns.
int gtext_length(const Gchar *char_string);
/// Runs gtext's stroke layout with the loaded stroke font without drawing: pen is called for
/// every point in world coordinates, draw 0 starting a stroke and 1 continuing it.  Returns
/// the number of points.
int gtext_strokes(const Gpt *text_pos, const Gchar *char_string,
                  void (*pen)(void *arg, int draw, float x, float y), void *arg);

// Events and the hold loop (gks_event.cpp)
// Events of the own window are read only at fixed points: at the open, every 500th display-list
// request, during animation delays and in the hold loop.  Only the hold loop waits for events.

/// The mouse callback: kind 2 for keys and "size", 3 for buttons; the event name is the base
/// name ("Ret", "g", "B1-P", "B3-R", "size") followed by "-Alt", "-Shft" and "-Cntrl" for the
/// modifiers held; x, y are the pointer's world coordinates in the current transformation (for
/// "size" the new width and height in pixels).  The result is ignored.
typedef int (*Gmouse_func)(int kind, const char *event, float x, float y);
/// The refresh function that the hold loop calls every refresh interval.
typedef void (*Grefresh_func)();
/// Holds the own window until Return, Alt-q or the end-hold notice; 0 at once on other types.
Gint ghold(Gint ws_id);
/// Handles every event already queued, without waiting; the number of user events (key
/// presses and button releases) among them.
int gcheck_event();
/// Waits for one event, then handles it and every event queued; the number of user events.
int gwait_event();
/// Diagnostic: prints every event that arrives, without end.
int gprint_event();
/// Resets the rubber band; type 0 (a new window) also leaves the hold state.  1.
int ginit_event(int type);
int gset_mouse_callback(Gmouse_func func);
/// val seconds between calls of func during the hold (0 none): the hold then polls.
int gset_refresh_callback(int val, Grefresh_func func);
int gset_input_mode(int val);
/// 1 until the hold has been asked to end.
int gget_input_mode();
/// 1 while the own window is mapped.
int gis_mapped();
/// Rubber band for the next drag: 0 none, 1 a line, 2 a rectangle from the press point, 3 lines
/// from a moving point to fixed points.  1.
int gset_rubber_band(int val);
/// Mode 3: the moving point and up to four fixed points (world coordinates, at most 5 in all);
/// constraint 0 free, 1 x fixed, 2 y fixed.  1.
int gset_rubber_band_points(const Gpt *array_pt, int num_pt, int constraint);
/// Two world points whose window rectangle limits the moving end of the band.  1.
int gset_rubber_band_limits(const Gpt *array_pt);

// Animation frames and zoom (gks_loop.cpp)
// Up to 128 frames, each a pixmap of the window's size.  Frame indexes: a slot 0 to 127, or -1
// the last frame, -2 the current frame, -3 the base pixmap (where drawing normally goes) and,
// for gset_loop_delay only, -4 every frame but the last.  An index that names no slot of the
// table is refused.  The zoom magnifies the shown picture by pixel replication, at most 1024x.

/// Forgets every frame (the pixmaps are not released: callers release them first); 0.
int ginit_loop();
/// Releases the pixmap of every frame slot (the count of frames is kept); 0.
int gdelete_all_frames();
/// Fills a frame (or the base pixmap for -3) with the background colour; 0, -1 for an index
/// that names no slot.
int gclear_frame(int ind);
/// Forgets the magnification without redrawing; 0.
int greset_zoom();
int gget_num_images();
int gget_cur_frame();
/// Makes (or reuses and clears) a frame; a negative index appends.  The index, or 0 when
/// nothing was made.
int gcreate_frame(int ind);
/// Draws into a frame from now on (recording off); 0, -1 when the frame has no pixmap.
int gselect_frame(int ind);
/// Two frames (or a frame and the base pixmap) exchange their pixmaps; 0 or -1.
int gswitch_frame(int ind1, int ind2);
int gcopy_frame(int dest, int src);
/// Shows a frame (negative: the current one) at the present magnification; 0.
int gdisplay_frame(int ind);
/// Removes a frame; 1 when done, 0 when refused.
int gdelete_frame(int ind);
int gset_looping(int ind);
/// 1 on, 0 off, any other value toggles; 0.
int gtoggle_loop(int val);
int gget_looping();
/// Bit 0 set steps forward; values above 1 go back and forth (3 forward, 2 backward).
int gset_loop_direct(int ind);
int gget_loop_direct();
/// The delay of one frame, or with -4 of every frame but the last (and the loop delay); 0, -1
/// for an index that names no slot.
int gset_loop_delay(int ind, float delay);
int ginc_loop_delay(float inc);
float gget_loop_delay();
/// The frame's delay in seconds; 0 for an index that names no slot.
float gget_frame_delay(int ind);
/// The frame that follows the current one (step 0: in the loop's direction); -1 without frames.
int ginc_frame(int step);
/// Holds the current frame for its delay, counted from the last VYK_init_time, handling
/// events meanwhile; 0, -1 without a current frame.
int gloop_sleep();
/// Keeps at most 50 bytes of the caller's data with a frame; 0 or -1.
int gset_image_data(int ind, const void *data, int size);
/// Copies the frame's data out (the caller's block holds 50 bytes); 0 or -1.
int gget_image_data(int ind, void *data);
/// Prints the shown window's, the base pixmap's and every frame's id to standard output; 0.
int gprint_frame_ids();
/// 1 adds the shown frame's number to the window name; returns 1.
int gset_loop_title(int val);
int gget_zoom();
/// A window pixel position mapped to the unmagnified picture.
float xZ_p(float x);
float yZ_p(float y);
/// Magnifies about window position (x, y) (-1: the present centre): factor >= 1 a new factor,
/// below -1 a multiple of the present one, -1 the present total; 0 is refused, and so is a
/// total above 1024.  flag 1 redisplays an existing magnification.  1 when the window was
/// redrawn, else 0.
int gzoom(int ind, int x, int y, int factor, int flag);
/// Undoes the magnification; 0.
int gunzoom();

// Display list and segments (gks_obj.cpp)
// While recording is on (from the start; "no" in vykredraw or the X default "redraw" turns it
// off), every drawing call and attribute change on the own window is kept as an object that
// holds the call's code, one value and a copy of its data, so that the picture can be replayed.

/// Object codes: the call that records the object and is called again on replay.
enum Gobj_code {
    GOBJ_MESSAGE = 5,         // gmessage: values ws id, data the text
    GOBJ_WS_VP = 10,          // gset_ws_vp: Glim
    GOBJ_WS_WIN = 11,         // gset_ws_win: Glim
    GOBJ_NORM_TRAN = 15,      // gsel_norm_tran: values the number
    GOBJ_VP = 16,             // gset_vp: values the number, Glim
    GOBJ_WIN = 17,            // gset_win: values the number, Glim
    GOBJ_COLR_REP = 20,       // gset_colr_rep: values the index, Gcolr_rep
    GOBJ_CLEAR_REGION = 25,   // gclear_region: Glim
    GOBJ_POLYLINE = 30,       // gpolyline: values the count, the points
    GOBJ_LINETYPE = 33,       // values the type
    GOBJ_LINEWIDTH = 34,      // float
    GOBJ_LINE_COLR = 35,      // values the index
    GOBJ_LINE_BOLD = 36,      // values the factor
    GOBJ_POLYMARKER = 40,     // gpolymarker: values the count, the points
    GOBJ_MARKER_TYPE = 43,    // values the type
    GOBJ_MARKER_SIZE = 44,    // float
    GOBJ_MARKER_COLR = 45,    // values the index
    GOBJ_MARKER_WIDTH = 46,   // float
    GOBJ_TEXT = 50,           // gtext: the position (Gpt) then the text with its zero
    GOBJ_SPACE = 53,          // float
    GOBJ_CHAR_SPACE = 54,     // float
    GOBJ_EXPAN = 55,          // float
    GOBJ_TEXT_COLR = 56,      // values the index
    GOBJ_CHAR_HT = 57,        // float
    GOBJ_CHAR_UP_VEC = 58,    // Gpt
    GOBJ_FONTPREC = 59,       // Gfontprec
    GOBJ_TEXT_ALIGN = 60,     // Gtext_align
    GOBJ_TEXT_WIDTH = 61,     // float
    GOBJ_FILL_AREA = 70,      // gfill_area: values the count, the points
    GOBJ_FILL_STYLE = 73,     // values the interior style
    GOBJ_FILL_STYLE_IND = 74, // values the pattern
    GOBJ_FILL_COLR = 75,      // values the index
    GOBJ_FILL_SOLID = 76,     // values the flag
    GOBJ_SEG_START = 81,      // gcreate_seg: values the segment name
    GOBJ_SEG_END = 82,        // gclose_seg: values the segment name
    GOBJ_CALLBACK = 999,      // gset_redraw_func: redraw_func
};

/// One object of the display list.
struct drawable {
    int type;         // the object code
    drawable *next;   // none for the last one
    int values;       // a count or a value, per code
    void *data;       // the object's own copy of the call's data, or none
};
typedef drawable drawobj;

/// The data of a callback object: func(data) runs when the object is replayed.
struct redraw_func {
    void (*func)(void *);
    void *data;
};

/// Starts a new list at a workstation open: the request count restarts and the recording
/// setting (vykredraw, then the X default "redraw") is read.  0.
int ginit_objs();
/// Counts a request (every 500th handles the queued events, recorded or not) and, while
/// recording, appends an object with a copy of size bytes of data (the block is left for the
/// caller to fill when data is none).  Returns the object's data block; none when nothing was
/// recorded or the object has no data.
void *gnew_obj(int type, int values, int size, const void *data);
/// Releases every object; 0.
int gclear_objs();
/// Removes every run of the segment (from its start to its end object, or to the end of the
/// list); 0, or -1 when not recording.
int gdel_seg_objs(Gint seg_name);
/// Sets the recording switch; the previous value.
int gset_redraw(int val);
int gget_redraw();
/// The event-processing switch: events are handled only while it is 1.
int gset_cache(int val);
int gget_cache();
/// While recording, appends a callback object.  The list owns data (a block from malloc, or
/// none): it is released with the object, or at once when nothing was recorded.  0.
int gset_redraw_func(void (*func)(void *), void *data);
/// Replays one object; 0.
int gobj_redraw_funcs(const drawobj *ptr);
/// Replays the list into the own window's pixmap; 0, or -1 when not recording.
int gobj_redraw_plot();
/// Replays the list into the PostScript file named by vykps_print, PSPRINT or "vyk.ps"; 0 or -1.
int gobj_print_plot();
/// Replays the list into the metafile named by METAOUT or "vyk.meta" (Alt-m); 0 or -1.
int gobj_print_meta();

// Metafiles (gks_meta.cpp)
int gmeta_set_type(int type);
int gmeta_get_type();
FILE *gmeta_open_file(const char *filename);
int gmeta_init_file();
int gmeta_printf(const char *mess, ...) __attribute__((format(printf, 1, 2)));
int gmeta_close_file();
/// Writes a CGM command word (class maj, element min, parameter length len; 31 the long form),
/// then the 16-bit word param when param > 0 or len is 31.  -1 when no file is open.
int gcgm_control(int maj, int min, int len, int param);
/// A CGM point already in file-device units (fractions dropped).
int gcgm_ps_point(float x, float y);
/// A CGM point in world coordinates (through xW_ps, yW_ps).
int gcgm_point(float x, float y);
int gcgm_set_color(int color);            // no output
int gcgm_set_fill_color(int color);       // no output
int gcgm_set_width(int color, float width);  // no output
/// Remembers the line type; -1 when unchanged.
int gcgm_set_type(int type);
/// Replays a text metafile onto the current workstation; 0.
Gint gread_metafile(const Gchar *filename);

// PostScript and EPS (gks_ps.cpp)
// One output at a time: open, gps_init, the setters, gps_set_size, gps_init_file, drawing,
// gps_close_file.  Output is buffered; drawing is in points with y upward.
int gps_init();
/// Page size in inches, long side first.
int gps_set_size(float x, float y);
/// "|command" a print pipe (a name the user typed), "+name" appends, any other name is created.
FILE *gps_open_file(const char *name);
/// The prolog (or the short reset when appending).  It goes out with the first drawing, so that
/// an EPS bounding box covers the drawing area finally set up.
int gps_init_file();
/// The trailer; -1 when nothing is open or the output could not be written.
int gps_close_file();
int gps_printf(const char *mess, ...) __attribute__((format(printf, 1, 2)));
int gps_move(float x, float y);        // world coordinates
int gps_line(float x, float y);
int gps_move_abs(float x, float y);    // points
int gps_line_abs(float x, float y);
/// Stores the print grey level of an index (0 to 255; -1 or 256 the background); -1 for any
/// other index.
int gps_set_color_rep(int ind, float red, float green, float blue);
/// The grey level of an index (0 black to 1 white); pens 500 to 508 give their pen's grey.
float gps_get_gray(int ind);
int gps_set_color(int color);
int gps_set_fill_color(int color);
int gps_set_width(int color, float width);
int gps_set_type(int type);
/// Base line-width factor; values below 1 are ignored.
int gps_set_base_width(int width);
int gps_set_EPS(int val);
int gps_set_orient(int val);     // 1 portrait (no rotation), 0 landscape
/// Overall scale; values that are not positive (or print as 0.00) are ignored.
int gps_set_scale(float val);
int gps_set_colorPS(int val);
int gps_set_reverse(int val);
int gps_get_colorPS();
struct IMG_report;
/// Writes an image (8-bit pixels, shifted by x, y pixels) over the current viewport; 0.
int gps_image(const IMG_report *image, int x, int y);

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
/// Stores a grey level in the driver's own table (nothing in the output depends on it).
int ghpgl_set_color_rep(int ind, float red, float green, float blue);
/// Line, marker and text shade: pens 503-505 white, 506-508 grey, every other index black.
int ghpgl_set_color(int color);
/// Fill shading from the PostScript driver's grey level of the index (gps_get_gray).
int ghpgl_set_fill_color(int color);
/// Pen width for a colour index (pens 501/504/507 double, 502/505/508 quadruple).
int ghpgl_set_width(int color, float width);
/// Line type 1 to 5; others write nothing.
int ghpgl_set_type(int type);
/// "PU" / "PD" to a world point, and to a point already in plotter units.
int ghpgl_move(float x, float y);
int ghpgl_line(float x, float y);
int ghpgl_move_abs(float x, float y);
int ghpgl_line_abs(float x, float y);
int ghpgl_set_colorPS(int val);   // stored only; 1
int ghpgl_set_reverse(int val);   // stored only; 1
int ghpgl_get_colorPS();

#endif
