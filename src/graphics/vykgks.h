// vykgks.h: the graphics services that plotting code uses above the kernel: the named colour
// table, attribute sets and attribute strings.
#ifndef VYKGKS_H
#define VYKGKS_H

#include "vyk.h"
#include "gks.h"

// ---------------------------------------------------------------------------------------------
// Calls of components built later: the font list (gks_text.cpp) and the convenience drawing
// layer (gks_tool.cpp)
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

/// One attribute set.  Every field is unset at -9999 (VYK_MISS); a colour of -1 means that
/// nothing is drawn.
struct Gattribs {
    int color;     // colour index (CLR_get_ind)
    float width;   // line width; stroke width for text; line width for markers
    float height;  // character height for text; size factor for markers
    float expan;   // text expansion (width factor)
    int style;     // line type for lines (1 solid .. 5 dotted); marker type for markers
    int fill_pat;  // fill pattern 0..19; 0 is solid
    int font;      // font number, 1-based position in the font list
};

int ATTR_parse_fill_pat(const char *str);
int ATTR_parse_marker(const char *str);
int ATTRIB_init(Gattribs *attrib);
int ATTRIB_parse(const char *str, Gattribs *attrib);
int ATTRIB_get(const char *resrc, const char *def, Gattribs *attrib);
int ATTRIB_update(Gattribs *attr1, const Gattribs *attr2);
int ATTRIB_print(const Gattribs *attrib);

#endif
