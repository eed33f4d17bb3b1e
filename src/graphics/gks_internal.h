// gks_internal.h: calls between the kernel's own components (control, the device table and its
// back ends, X11 windows, transformations and the attribute modules); not for plotting code.
// Free of Xlib: the X11 side is in gks_x11.h.
#ifndef GKS_INTERNAL_H
#define GKS_INTERNAL_H

#include "gks.h"

#include <functional>

struct IMG_report;

// ---------------------------------------------------------------------------------------------
// The device table
// ---------------------------------------------------------------------------------------------
// Every back end file defines the table of its workstation type once (gks_x11.cpp two, for the
// own window and the loop window).  The kernel's modules check a call, record it in the display
// list and hand it to the current device's entry; no module asks which device it is on.  An
// entry that a device does not need is null.

/// The segment call that deletes (the others are the objects' codes).
constexpr int GSEG_DELETE = -1;

/// What a device offers besides drawing.
enum Gdev_caps : unsigned {
    GDEV_WINDOW = 1u,      // draws into an X11 window: colour cells, contexts, cursor, server fonts
    GDEV_OWN_WINDOW = 2u,  // the kernel's own window: events, the hold, frames, zoom, redraws
    GDEV_PENS = 4u,        // keeps the print pens 500 to 508 (a window draws them in colour 1)
};

/// The device coordinates: window pixels with y down, page units with y up, or none (a device
/// that keeps records of the calls).
enum Gdev_units { GUNITS_PIXELS, GUNITS_PAGE, GUNITS_NONE };

/// The current viewport as a clip region: in window pixels (x, y the upper left corner) and in
/// page units.
struct Gclip {
    Grectangle pixels;
    float x0, y0, x1, y1;
};

struct Gdevice {
    Gws_type type = 0;
    unsigned caps = 0;    // Gdev_caps
    int init_kind = GINIT_NONE;  // the Ginit_kind of an open
    Gdev_units units = GUNITS_NONE;
    double marker_scale = 1.0;  // device units of one marker unit (markers are 10 units a size)

    // The workstation: open with the connection's items (0, or -1 after a message), open a
    // replay's output file (a print of the display list), close, clear, bring the picture up to
    // date.
    int (*open)(int count, char **items) = nullptr;
    int (*open_file)(const char *name) = nullptr;
    int (*close)() = nullptr;
    int (*clear)() = nullptr;
    int (*update)() = nullptr;

    // The calls the display list keeps (attributes, transformations, colours, messages), with
    // the object code, value and data they are recorded with; the clip region whenever the
    // current viewport changes; segment brackets and deletions (null: the display list keeps
    // the segments).
    void (*object)(int code, int values, const void *data) = nullptr;
    /// A colour defined in the kernel's table (components 0 to 1).  Unlike every other entry it
    /// is called on each table that has it, current or not: the print drivers keep their grey
    /// levels for a later print of the display list.
    void (*colour_rep)(int ind, float red, float green, float blue) = nullptr;
    void (*clip)(const Gclip &clip) = nullptr;
    int (*segment)(int code, Gint name) = nullptr;  // GOBJ_SEG_START, GOBJ_SEG_END or GSEG_DELETE

    // Output in world coordinates of the current transformation; the results are the calls'.
    int (*polyline)(Gint n, const Gpt *points) = nullptr;
    int (*polymarker)(Gint n, const Gpt *points) = nullptr;
    int (*fill_area)(Gint n, const Gpt *points) = nullptr;
    int (*text)(const Gpt *pos, const char *str) = nullptr;
    /// 1 when the image was drawn.
    int (*image)(IMG_report *image, int x, int y) = nullptr;
    int (*clear_region)(const Glim *lim) = nullptr;

    // Markers stroked by the kernel (gstroke_markers): the pen of a list of n markers, the
    // shadow's pen on and back off, and one stroke in device coordinates (mark_draw).
    void (*marker_begin)(Gint n) = nullptr;
    void (*marker_shadow)(bool on) = nullptr;
    int (*stroke)(int n, const Gpt *points) = nullptr;

    // Text stroked by the kernel (gstroke_text): a pass of the text at (x, y) in a colour (false:
    // nothing is drawn), the shadow's pen on and back off, and the strokes of each glyph in
    // world coordinates; server fonts load by name and draw a text themselves.
    bool (*text_begin)(float x, float y, const char *str, int color) = nullptr;
    void (*text_shadow)(bool on) = nullptr;
    void (*glyph_start)() = nullptr;
    void (*glyph_point)(bool move, float x, float y) = nullptr;
    void (*glyph_end)() = nullptr;
    int (*server_font)(const char *name) = nullptr;
    void (*server_text)(const Gpt *pos, const char *str, int n) = nullptr;
};

extern const Gdevice gdev_x11;   // gks_x11.cpp
extern const Gdevice gdev_pix;   // gks_x11.cpp
extern const Gdevice gdev_ps;    // gks_ps.cpp
extern const Gdevice gdev_hpgl;  // gks_hpgl.cpp
extern const Gdevice gdev_meta;  // gks_meta.cpp

/// The table of the current workstation type (one without entries when there is none).
const Gdevice &gdev();
/// The table of a workstation type; none for a type the kernel does not have.
const Gdevice *gdevice_of(Gws_type type);
/// Records a kept call in the display list and hands it to the current device.
void gkeep(Gobj_code code, int values, int size = 0, const void *data = nullptr);
/// Hands a colour definition to every device table that keeps colours (colour_rep).
void gdefine_colour(int ind, float red, float green, float blue);

/// True while the kernel is open; else false after "func: GKS not opened".
bool gcheck_open(const char *func);
/// The rule of the setters of a width, size or factor: the kernel is open and the value is a
/// finite number of 0 or more (else -1 after "func: invalid what: value"); a changed value is
/// stored into field and kept (gkeep).  0 or -1.
Gint gset_measure(const char *func, const char *what, Gfloat value, float &field,
                  Gobj_code code);

// ---------------------------------------------------------------------------------------------
// Kernel control (gks_ws.cpp): what the back ends share when they open
// ---------------------------------------------------------------------------------------------

/// The panel form of a geometry ("P" then "%fx%f+%f+%f": nx, ny, i, j) applied to the device
/// rectangle (win_x, win_y, win_width, win_height).  y_down: rows counted from the top in a
/// window (loop window), 0 on a page whose y axis points up.
int gset_panel_geometry(const char *geom, int y_down);

/// The option items of a page device: those of the environment variable env, then the
/// connection's items from the second on; from_env tells them apart.
void gfor_each_option(const char *env, int count, char **items,
                      const std::function<void(const char *item, bool from_env)> &apply);
/// A paper name ("a4", "letter", ...): its size in inches, long side first.
bool gpaper_size(const char *item, float &width, float &height);
/// The number that starts at position `from` of an item (0 when the item is shorter).
float gitem_number(const char *item, size_t from);
/// The number that starts at position `from` of an item, when one does.
bool gitem_value(const char *item, size_t from, double &value);
/// A page device's size on paper of width x height inches: "sz=WxH" items (sizes from position
/// 3).  True when the item was one.
bool gitem_size(const char *item, float &width, float &height);

/// How a page device reads its geometry: a size and offset (size_form, four numbers) or an
/// offset alone (offset_form, two numbers), in units of `scale` device units counted from
/// `origin`.
struct Gpage_geometry {
    const char *size_form, *offset_form;
    float scale, origin;
};
/// The geometry of a page device: the `geometry` resource, else the environment variables
/// env1 and env2 (either may be none); a panel form ("P...") or the device's own form.
void gset_page_geometry(const char *env1, const char *env2, const Gpage_geometry &form);

// ---------------------------------------------------------------------------------------------
// X11 windows (gks_xwin.cpp) and the X11 back end (gks_x11.cpp)
// ---------------------------------------------------------------------------------------------

/// X11 protocol errors: Xerror is set by the error handler; while printing is off (0) errors
/// are neither printed nor counted.
int gclear_Xerror();
int gget_Xerror();
int gset_Xerror_print(int val);
/// Installs the kernel's protocol-error and connection-loss handlers.
int ginstall_x_handlers();

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
/// The X default (XGetDefault) of the program for an option; none without a display.
const char *gx_get_default(const char *option);
/// The loop window mode of gset_pix_mode.
int gget_pix_mode();

/// Draws an image record into the window's current viewport (img_window.cpp); 1 when drawn.
int gx_put_image(IMG_report *image, int x, int y);

// ---------------------------------------------------------------------------------------------
// Transformations (gks_trans.cpp)
// ---------------------------------------------------------------------------------------------

/// The current viewport as the devices clip to it.
Gclip gget_clip();

// ---------------------------------------------------------------------------------------------
// Attributes: each module's state with its start values, read by the back ends when they draw
// ---------------------------------------------------------------------------------------------

/// Line attributes (gks_line.cpp).
struct Gline_attr {
    int color = 1;
    int type = 1;        // 1 solid, 2 dashed, 3 short dashes, 4 dash and short dash, 5 dotted
    float width = 1.0f;  // device units
};
/// Marker attributes (gks_marker.cpp).
struct Gmarker_attr {
    int color = 1;
    int type = 1;        // 1 to 9
    float width = 1.0f;  // stroke width
    float size = 10.0f;  // a marker is 10 x size device units
};
/// Fill attributes (gks_fill.cpp).
struct Gfill_attr {
    int style = GSOLID;  // Gfill_int_style
    int pattern = 1;     // 0 to 19
    int color = 1;
};
/// Text attributes (gks_text.cpp).
struct Gtext_attr {
    int color = 1;
    float width = 1.0f;        // stroke width
    float height = 0.01f;      // character height, world units
    float expan = 1.0f;        // expansion (width factor)
    float space = 0.25f;       // spacing, hundreds of font units
    float char_space = 0.0f;   // fixed pitch, 0 none
    int hor = GNORMAL_HOR;     // Gtext_hor
    int ver = GNORMAL_VERT;    // Gtext_ver
    Gpt up{0.0f, 1.0f};        // up vector of length 1
    int font = 1;              // 1-based position in the font list
};

const Gline_attr &gline_attr();
const Gmarker_attr &gmarker_attr();
const Gfill_attr &gfill_attr();
const Gtext_attr &gtext_attr();

/// The rule of the setters of a type, style or number: the kernel is open and valid (else -1
/// after "func: invalid what: value"); a changed value is stored into field and kept.  0 or -1.
Gint gset_number(const char *func, const char *what, Gint value, bool valid, int &field,
                 Gobj_code code);
/// The rule of the output primitives: the kernel is open and at least `least` points are given
/// (else false after "func: ...").
bool gcheck_points(const char *func, Gint n, const Gpt *points, Gint least);
/// The primitive colour setters (gks_color.cpp): the kernel is open, the index is valid and has
/// a colour (a print pen stays a pen on a device that keeps pens and becomes colour 1 elsewhere;
/// else -1 after "func: ..."); a changed index is stored into field and kept (gkeep).  0 or -1.
Gint gset_colour(const char *func, Gint ind, int &field, Gobj_code code);

/// The 8 x 8 bitmap of a fill pattern, rows from the top, bit 0 the leftmost pixel; none for a
/// number outside 0 to GFILL_PATTERNS - 1 (gks_fill.cpp).
constexpr int GFILL_PATTERNS = 20;
const unsigned char *gfill_bitmap(int pattern);

/// The polymarker of the stroking devices: markers centred on the points in device
/// coordinates, with the drop shadow (gks_marker.cpp).
int gstroke_markers(Gint n, const Gpt *points);
/// The text of the stroking devices: the loaded stroke font's strokes (with the drop shadow), or
/// the device's server font (gks_text.cpp).
int gstroke_text(const Gpt *pos, const char *str);

// ---------------------------------------------------------------------------------------------
// Display list (gks_obj.cpp)
// ---------------------------------------------------------------------------------------------

/// Records a primitive with a copy of its points (a list too long to size in an int keeps
/// none, and is not replayed).
void gnew_points(int type, Gint n, const Gpt *points);
/// The first recorded object; none when the list is empty.
const drawobj *gobj_first();
/// Replays every object onto the current back end with recording and event processing
/// switched off before each object (both are left off: the caller restores them).  The list
/// cannot be released under the walk: a clear asked for meanwhile happens when it ends.
/// Returns the number of objects replayed.
int gobj_replay();

#endif
