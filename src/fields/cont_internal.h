// cont_internal.h: the contour module's shared state and the helpers its components share:
// settings and levels (cont.cpp), the contour plot (cont_plot.cpp), colour table and bar
// (cont_color.cpp), the drawing gate (cont_gate.cpp), cell contouring (cont_draw.cpp), labels
// and extremes (cont_label.cpp).
#ifndef CONT_INTERNAL_H
#define CONT_INTERNAL_H

#include "cont.h"
#include "plt_frame.h"
#include "vykgks.h"

#include <map>
#include <vector>

/// Plot-type codes of contour kinds.
enum {
    CONT_LINE = 12,        // line contours
    CONT_LINE_DASH = 13,   // line contours, all dashed
    CONT_LINE_NDASH = 14,  // line contours, dashed below the base
    CONT_FILL = 15,        // colour fill
    CONT_LFILL = 16,       // lines over colour fill
    CONT_VALUE = 17,       // grid values
    CONT_FILL_ALT = 52,    // stored as CONT_FILL
    CONT_NONE = 99,        // nothing
};

/// Dash modes.
enum { CONT_DASH_NEG = -1, CONT_DASH_NONE = 0, CONT_DASH_ALL = 1 };

/// Line types the contours use.
enum { CONT_SOLID = 1, CONT_DASHED = 2 };

constexpr int CONT_LABEL_LEN = 10;      // a bar label: 9 characters and the end
constexpr int CONT_FORMAT_LEN = 100;    // the slot's format text: 99 characters and the end
constexpr int CONT_NUMFORM_LEN = 10;    // a number format: 9 characters and the end
constexpr int CONT_SLOTS = 60;          // variable slots with a remembered series
constexpr float CONT_LAST_WIDTH = 1000000.0f;  // the band width after the last explicit level
constexpr int CONT_BAR_MAX = 200;       // most boxes of a colour bar

/// The contour state with its start values.  Fields that CONT_init resets are listed in
/// cont_reset_init().
struct ContState {
    int cont_type = VYK_MISS;
    float intrvl = VYK_MISS;
    float base = VYK_MISS;
    float cbase = VYK_MISS;
    float conlo = VYK_MISS;
    float conhi = VYK_MISS;
    int num_cont = VYK_MISS;
    float cont_value[CONT_LEVELS + 1] = {static_cast<float>(VYK_MISS)};
    char cont_label[CONT_LEVELS][CONT_LABEL_LEN] = {};
    float min_cut = VYK_MISS, max_cut = VYK_MISS;
    float grid_min = VYK_MISS, grid_max = VYK_MISS;
    float bar_min = VYK_MISS, bar_max = VYK_MISS;
    int label_skip = 2;
    int ext_radius = 2;
    int x_label_space = VYK_MISS, y_label_space = VYK_MISS;
    int over = 0;
    int rot_label = 0;
    int dash = CONT_DASH_NONE;
    int max_line_fact = -2;
    float scale = 1;
    int x_skip = 1, y_skip = 1;
    float x_off = 0, y_off = 0;
    int fill_pat = VYK_MISS;
    char format[CONT_FORMAT_LEN] = "";
    char num_form[CONT_NUMFORM_LEN] = "";
    int draw_grid = 0;
    int mapcon = 0;
    int plt_bar = 0;
    float *grdx = nullptr, *grdy = nullptr;  // owned (malloc'd): released with free
    const GRD_report *grd_ptr = nullptr;
    PLT_callback callback = nullptr;
    // Per-slot memory of a series of frames.
    int cont_types[CONT_SLOTS] = {};
    float intrvls[CONT_SLOTS] = {};
    int dashs[CONT_SLOTS] = {};
    float bases[CONT_SLOTS] = {};
    // The colour table.
    Gattribs fill_attrib[CONT_LEVELS + 1] = {};
    int color_num = VYK_MISS;
    int color_fill_set = 0;
    // The colour bar.
    Glim bar_lim = {0, 0, 0, 0};
    float bar_inc = 0;
    // Drawing state: the band being drawn, contour line attributes, seam limits, text size.
    int con_off = 0;
    Gattribs ln_cont_attr = {VYK_MISS, VYK_MISS, VYK_MISS, VYK_MISS, VYK_MISS, VYK_MISS, VYK_MISS};
    float x_min = VYK_MISS, x_max = VYK_MISS;
    float vert_size = 1;
    bool merge_fills = true;  // fills drawn as traced band regions (else one piece per cell)
};

/// The one contour state of the process.
ContState &cont_state();

/// 1 when explicit levels are in force.
inline bool cont_explicit(const ContState &st) { return !VYK_is_miss(st.cont_value[0]); }
/// The colour count, at least 1.
inline int cont_colors(const ContState &st) { return st.color_num > 0 ? st.color_num : 1; }
/// k reduced into 0 .. n - 1.
inline int cont_wrap(long k, int n)
{
    long r = n > 0 ? k % n : 0;
    if (r < 0) r += n;
    return static_cast<int>(r);
}
/// The colour offset of the band starting at level lo: floor((lo - cbase)/intrvl + 0.01) modulo
/// the colour count (0 when the interval is unusable).
int cont_band_offset(const ContState &st, float lo, float cbase);
/// Lays out conlo, conhi and num_cont from the range (max, min) with the current interval and
/// base (the interval derived from the colour count when it is 0 or less).  -1 without a range.
int cont_layout(ContState &st, float max, float min);
/// The applied line and fill settings of one band: line type, width and colour from its entry,
/// the dash mode and the contour line attributes; def_width when neither sets a width.
void cont_band_attribs(const ContState &st, int fill_ent, int line_ent, float upper, int type,
                       float def_width);
/// Text alignment, fonts and colours of the label attributes: builds the line-label (line) and
/// fill-label (fill) sets.
void cont_label_attribs(const ContState &st, Gattribs *line, Gattribs *fill);
/// The contour line attributes: color_cont over the default colour, then the format's items,
/// then the default fill pattern.
void cont_line_attribs(ContState &st);
/// Whether the drawing gate draws a fill piece as it stands (no seam to split it at).
bool cont_gate_plain(int n, const Gpt *p);

struct ContEdge {
    Gpt a, b;
};

/// The fill pieces of one drawing, gathered by band and drawn as the outlines of the bands'
/// regions (cont_merge.cpp).  Whole cells are given row by row, the rows from the top; end_row()
/// ends each row.
class ContMerge {
public:
    /// Takes a closed piece (the first point may repeat at the end) of band k; false when it
    /// must be drawn on its own (it crosses a seam or has no area).
    bool piece(int k, int off, float upper, int n, const Gpt *p);
    /// Takes the whole cell of column i with its corners (0 lower left, 1 lower right, 2 upper
    /// left, 3 upper right); false when it must be drawn on its own.
    bool whole(int i, int k, int off, float upper, const Gpt corner[4]);
    void end_row();
    /// Draws every band's region with the band's attributes and forgets them.
    void flush(ContState &st, int type);
    void clear();

private:
    static constexpr int NONE = -1;
    struct Band {
        int off = 0;
        float upper = 0;
        std::vector<ContEdge> edges;
    };
    struct Whole {
        int k = NONE;
        int turn = 0;
        Gpt p[4] = {};
    };
    std::map<int, Band> bands_;
    std::vector<Whole> above_, row_;
    Band &band(int k, int off, float upper);
    void add(Band &band, int n, const Gpt *p, bool reverse);
    void side(const Whole &w, int s);
};

/// "white", or "black" on an inverse display.
const char *cont_default_color();

#endif
