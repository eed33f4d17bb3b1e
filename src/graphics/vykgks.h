// vykgks.h: the graphics services that plotting code uses above the kernel: the named colour
// table, attribute sets and attribute strings.
#ifndef VYKGKS_H
#define VYKGKS_H

#include "vyk.h"
#include "gks.h"

// ---------------------------------------------------------------------------------------------
// Calls the colour table and attribute strings make: the font list (gks_text.cpp) and the
// convenience drawing layer (gph.cpp)
// ---------------------------------------------------------------------------------------------

/// A font abbreviation or number to the font number (1-based position in the font list).
int gget_font_index(const char *str);
/// Defines colour ind as (red, grn, blu), each 0 to 1, on the workstation.  Returns 0.
int GPH_set_color(int ind, float red, float grn, float blu);

// ---------------------------------------------------------------------------------------------
// The named colour table (clr.cpp)
// ---------------------------------------------------------------------------------------------

/// Slots of the named colour table; colour indices 0 to CLR_MAX - 1 name its entries.
constexpr int CLR_MAX = 256;
/// Longest colour name (the entry's field holds one more for the terminator).
constexpr int CLR_NAME_MAX = 19;

// Colour indices with a meaning of their own.
enum {
    CLR_NONE = -1,  // nothing is drawn: "none", "off", "back", an empty or unknown name
    CLR_END = -2,   // the word "end", which closes colour lists
};

/// Loads the colour table from the ','-separated file list filename (NULL or empty: the
/// `color_table` resource, else "vyk.clr"), each file found along `file_path`.  Returns 0.
int CLR_read_table(const char *filename);
/// Empties the table (the entries stay in their slots until overwritten).  Returns 0.
int CLR_clear_table();
/// Appends a colour and defines it on the workstation; returns its index.  When all CLR_MAX
/// slots are taken nothing is stored and the index of the nearest existing colour is returned.
int CLR_add(const char *name, float red, float grn, float blu);
/// The colour index of a name, a colour code ("#rrggbb" hexadecimal, "#rrrgggbbb" decimal), a
/// pen word or a number; -1 for nothing, -2 for "end".
int CLR_get_ind(const char *name);
/// The name of an entry; an index past the last entry reads the last entry, and an empty table
/// gives "".
const char *CLR_get_name(int ind);
/// The components (0 to 1) of an entry, with the same index rule as CLR_get_name.  Returns 0.
int CLR_get_rgb(int ind, float *red, float *grn, float *blu);
int CLR_get_num();
int CLR_get_num_fill();

// ---------------------------------------------------------------------------------------------
// Attribute sets and attribute strings (attrib.cpp)
// ---------------------------------------------------------------------------------------------


int ATTR_parse_fill_pat(const char *str);
int ATTR_parse_marker(const char *str);
int ATTRIB_init(Gattribs *attrib);
int ATTRIB_parse(const char *str, Gattribs *attrib);
int ATTRIB_get(const char *resrc, const char *def, Gattribs *attrib);
int ATTRIB_update(Gattribs *attr1, const Gattribs *attr2);
int ATTRIB_print(const Gattribs *attrib);

// ---------------------------------------------------------------------------------------------
// Convenience drawing layer (gph.cpp)
// ---------------------------------------------------------------------------------------------
// Margins and panels are Glim rectangles: margins as fractions of the view area (x_min left,
// x_max right, y_min bottom, y_max top), the resulting panel in NDC.  Transformation 1 is the
// whole display; 2 and 3 the current panel.  GPH_set_color is declared above.

/// An aspect ratio x : y.
struct Gaspect {
    float x, y;
};
/// Placement of a fitted rectangle in each direction: 2 centred, 3 at the upper end, any other
/// value at 0.
struct Gcenter {
    int x, y;
};

/// Chooses the device (the `device` resource, flag 2, batch mode or a prompt), names the window,
/// loads the colour table, opens the kernel and the workstation and lays out the panel; the
/// panel comes back in *offset.  Ends the program with status 4 when nothing opens.  0.
int GPH_setup(Gint *ws_id, Gws_type *ws_type, float asp_ratio, Glim *offset);
/// Opens the kernel and the workstation unless open (asking for a device when *ws_type is 0)
/// and activates it.  0.
int GPH_begin(Gint *ws_id, const char *conn_id, Gws_type *ws_type);
/// Clears the workstation and sets up display, panel, colours and font again.  0.
int GPH_reset(Gint *ws_id, Gws_type *ws_type, float asp_ratio, Glim *offset);
/// Lays out the panel inside the view area (asp_ratio 0: the view area's shape).  0.
int GPH_panel(Gint *ws_id, Gws_type *ws_type, float asp_ratio, Glim *offset);
/// Closes workstation and kernel; flag 2 gets back the type the caller asked for.  0, or -1
/// when the workstation's output file could not be written.
int GPH_end(Gint ws_id);
/// Shows the picture; on the own window runs the hold loop until it ends.  0.
int GPH_hold(Gint ws_id);
int GPH_set_win_title();
/// When *ws_type is 0 asks "Display (D) or Postscript (P): " on standard input.  0.
int GPH_device_prompt(int *ws_type);
/// Splits "device[,connection]": the connection (everything after the first ',') goes into
/// conn_id (at most size - 1 characters; 0 stands for FILE_NAME_MAX + 1 bytes); returns the
/// workstation type of the device word.
int gdevice_setup(const char *str, char *conn_id, size_t size = 0);

int GPH_set_view_size(float sx, float sy, float ox, float oy);
int GPH_get_view_size(Glim *limit);
float GPH_get_vert_win_size();
/// The display of a workstation type in NDC, the longer side 1 (1 and 1 on an error, which is
/// returned).
Gint ginq_maxview(Gint ws_type, Gfloat *xvp, Gfloat *yvp);
/// Fits the largest rectangle of aspect asp into vin and places it.  0.
int gset_aspect(const Glim *vin, Glim *vout, Gaspect asp, Gcenter center);
Gint GPH_trans(Gint trans);
Gint GPH_view(Gint tran, const Glim *view);
Gint GPH_win(Gint tran, const Glim *win);
int GPH_get_view(Gint tran, Glim *view);
int GPH_get_win(Gint tran, Glim *win);
int GPH_print_view(const Glim *view);

/// Attribute sets onto the kernel (NULL resets; a negative colour keeps the current one).
int GPH_line_attr(const Gattribs *attrib);
int GPH_fill_attr(const Gattribs *attrib);
int GPH_mark_attr(const Gattribs *attrib, float scale);
/// -1 for NULL (text width 0 and expansion 1 set), else 0.
int GPH_text_attr(const Gattribs *attrib, float scale);
/// NULL selects the default font.
int GPH_text_font(const char *str);
/// At most 19 characters are kept.
int GPH_set_def_font(const char *str);
Gint GPH_text_align(int x, int y);
int GPH_get_text_align(int *x, int *y);
/// Degrees; positive angles turn text clockwise.
Gint GPH_text_rotate(float rot);

/// Shapes and texts in world coordinates of the current transformation; all return 0.
int GPH_line(float x1, float y1, float x2, float y2);
int GPH_mark(float x1, float y1);
int GPH_border(const Glim *limit);
int GPH_rect(float x1, float y1, float x2, float y2);
int GPH_frect(float x1, float y1, float x2, float y2);
/// A 36-sided polygon through (x + rad cos 10i deg, y + rad sin 10i deg).
int GPH_circle(float x, float y, float rad);
int GPH_fcircle(float x, float y, float rad);
int GPH_pprint(const Gpt *pt, const char *str);
/// Formatted text of at most 59 characters (longer text is cut).
int GPH_pprintf(const Gpt *pt, const char *format, ...) __attribute__((format(printf, 2, 3)));
/// Formatted text of at most 99 characters (longer text is cut).
int GPH_printf(float x1, float y1, const char *format, ...) __attribute__((format(printf, 3, 4)));

#endif
