// Fill areas: a polygon through world points filled with the current fill colour, solid or in
// one of 20 built-in 8 x 8 patterns; the fill attributes and the print-solid switch that the
// print drivers consult.  The current device fills and keeps the attributes it needs.
#include "gks.h"
#include "gks_internal.h"

namespace {

struct State {
    Gfill_attr attr;      // reset with every kernel initialisation
    int print_solid = 0;  // 1: the print drivers fill solid instead of the grey shade; kept
} fill;

// Row r of a pattern is byte r, top row first; bit 0 is the leftmost pixel.  A set bit is drawn
// in the fill colour, a clear bit leaves what is below.
constexpr unsigned char bitmap[GFILL_PATTERNS][8] = {
    {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},  // solid
    {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55},  // checkerboard
    {0x55, 0x00, 0x55, 0x00, 0x55, 0x00, 0x55, 0x00},
    {0x24, 0x11, 0x82, 0x48, 0x42, 0x11, 0x28, 0x84},
    {0x33, 0x33, 0x00, 0x00, 0xCC, 0xCC, 0x00, 0x00},
    {0x33, 0x33, 0x33, 0x33, 0x33, 0x33, 0x33, 0x33},  // vertical stripes
    {0x03, 0x06, 0x0C, 0x18, 0x30, 0x60, 0xC0, 0x81},  // diagonal, top left to bottom right
    {0x81, 0xC0, 0x60, 0x30, 0x18, 0x0C, 0x06, 0x03},  // diagonal, the other way
    {0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00},  // horizontal stripes
    {0xC3, 0x66, 0x3C, 0x18, 0x3C, 0x66, 0xC3, 0x81},  // crosses
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},  // empty
    {0x40, 0x10, 0x20, 0x01, 0x00, 0x04, 0x08, 0x02},  // scattered dots, rising density
    {0x08, 0xA0, 0x44, 0x11, 0x22, 0x10, 0x81, 0x44},
    {0x45, 0x28, 0x94, 0x43, 0x50, 0x09, 0x52, 0xA8},
    {0x19, 0xCA, 0x34, 0x1A, 0xE1, 0x32, 0xA5, 0xCC},
    {0x55, 0xDC, 0x3B, 0xE2, 0x97, 0xAA, 0x65, 0x3E},
    {0x7A, 0xE5, 0x5F, 0xAB, 0xF5, 0xEB, 0x5E, 0xB5},
    {0xFE, 0xBB, 0xF5, 0x6F, 0xFE, 0xD7, 0xBD, 0xEB},
    {0xFD, 0xFF, 0xEF, 0x7F, 0xDF, 0xFE, 0xF7, 0xAF},
    {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},  // solid
};

bool valid_pattern(int pattern) { return pattern >= 0 && pattern < GFILL_PATTERNS; }

}  // namespace

const Gfill_attr &gfill_attr() { return fill.attr; }

const unsigned char *gfill_bitmap(int pattern)
{
    return valid_pattern(pattern) ? bitmap[pattern] : nullptr;
}

// ---------------------------------------------------------------------------------------------
// Drawing
// ---------------------------------------------------------------------------------------------

Gint gfill_area(Gint n, const Gpt *points)
{
    if (!gcheck_points("gfill_area", n, points, 3)) return -1;
    if (!gpts_in_win(n, points)) return 0;
    gnew_points(GOBJ_FILL_AREA, n, points);
    const auto fill_area = gdev().fill_area;
    return fill_area ? fill_area(n, points) : 0;
}

int gclear_region(const Glim *lim)
{
    if (!lim || !gchk_graphics()) return 0;
    gnew_obj(GOBJ_CLEAR_REGION, 1, sizeof(Glim), lim);
    if (const auto clear_region = gdev().clear_region) clear_region(lim);
    return 0;
}

int gfill_test(int pattern, int x, int y)
{
    if (!valid_pattern(pattern)) return 0;
    const int col = ((x % 8) + 8) % 8, row = ((y % 8) + 8) % 8;
    return bitmap[pattern][row] & (1 << col);
}

// ---------------------------------------------------------------------------------------------
// Attributes
// ---------------------------------------------------------------------------------------------

Gint gset_fill_colr_ind(Gint ind)
{
    return gset_colour("gset_fill_colr_ind", ind, fill.attr.color, GOBJ_FILL_COLR);
}

Gint gset_fill_int_style(Gfill_int_style style)
{
    return gset_number("gset_fill_int_style", "interior style", style, true, fill.attr.style,
                       GOBJ_FILL_STYLE);
}

Gint gset_fill_style_ind(Gint pattern)
{
    return gset_number("gset_fill_style_ind", "style index", pattern, valid_pattern(pattern),
                       fill.attr.pattern, GOBJ_FILL_STYLE_IND);
}

int gset_fill_print_solid(int val)
{
    fill.print_solid = val;
    gnew_obj(GOBJ_FILL_SOLID, val, 0, nullptr);
    return 0;
}

int gget_fill_print_solid() { return fill.print_solid; }

int gget_fill_colr() { return fill.attr.color; }

int greset_fill()
{
    fill.attr = Gfill_attr{};
    return 0;
}
