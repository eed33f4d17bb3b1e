// Polylines: a connected line through world points in the current line colour, width and type,
// and the line attribute setters.  The current device draws the line and keeps the attributes
// it needs.
//
// Line types: 1 solid, 2 dashed (6 on, 6 off), 3 short dashes (3, 6), 4 dash and short dash
// (6, 6, 3, 6), 5 dotted (2, 2); lengths in pixels on X11.  Widths are in device units; on X11
// the context takes the integer part, so widths below 1 give the server's thin line.
#include "gks.h"
#include "gks_internal.h"

#include <cmath>

namespace {

struct State {
    Gline_attr attr;     // reset with every kernel initialisation
    int print_bold = 1;  // width factor of the print drivers; kept
} line;

}  // namespace

const Gline_attr &gline_attr() { return line.attr; }

// ---------------------------------------------------------------------------------------------
// Drawing
// ---------------------------------------------------------------------------------------------

Gint gpolyline(Gint n, const Gpt *points)
{
    if (!gcheck_points("gpolyline", n, points, 2)) return -1;
    if (!gpts_in_win(n, points)) return 0;
    gnew_points(GOBJ_POLYLINE, n, points);
    const auto polyline = gdev().polyline;
    return polyline ? polyline(n, points) : 0;
}

// ---------------------------------------------------------------------------------------------
// Attributes
// ---------------------------------------------------------------------------------------------

Gint gset_line_colr_ind(Gint ind)
{
    return gset_colour("gset_line_colr_ind", ind, line.attr.color, GOBJ_LINE_COLR);
}

Gint gset_linewidth(Gfloat width)
{
    return gset_measure("gset_linewidth", "line width", width, line.attr.width, GOBJ_LINEWIDTH);
}

Gint gset_linetype(Gint type)
{
    return gset_number("gset_linetype", "line type", type, type >= 0, line.attr.type,
                       GOBJ_LINETYPE);
}

int gset_line_print_bold(int factor)
{
    line.print_bold = factor < 1 ? 1 : factor;
    gnew_obj(GOBJ_LINE_BOLD, line.print_bold, 0, nullptr);
    return 0;
}

int gget_line_print_bold() { return line.print_bold; }

int gget_line_colr() { return line.attr.color; }

int greset_line()
{
    line.attr = Gline_attr{};
    return 0;
}
