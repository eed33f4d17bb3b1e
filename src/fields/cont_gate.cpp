// cont_gate.cpp: the drawing gate of contour pieces across the seams of wrapping projections.
//
// On latitude-longitude, Mercator and Mollweide maps two neighbouring grid points can land on
// opposite edges of the plot; on Lambert conformal maps across the cut.  Crossing points are
// placed after unwrapping (int_xy), and every fill polygon and line segment passes
// CONT_draw_lines, which splits, doubles or drops pieces that jump across the seam.
#include "cont_internal.h"

#include "vyk.h"
#include "vykplot.h"

#include <cmath>

namespace {

enum { PROJ_LATLON = 2, PROJ_MERCATOR = 3, PROJ_LAMBERT = 4, PROJ_MOLLWEIDE = 7 };

constexpr double PI = 3.1415926535898;
constexpr float LL_PERIOD = 360.0f;
constexpr float MERC_PERIOD_DRAW = 400.31555f;
constexpr double MERC_PERIOD_INT = 2 * PI * 63.7122;
constexpr double MERC_HALF = PI * 63.713;
constexpr float JUMP = 50.0f;
constexpr float MOLL_JUMP = 10.0f;
constexpr double MOLL_HALF = 127.426;  // half-width at the equator
constexpr double MOLL_FULL = 254.852;  // full width at the equator
constexpr double MOLL_R = 63.713;
constexpr float WRAP_EDGE = 150.0f;
constexpr int GATE_POINTS = 64;        // most points of a piece the gate copies

/// The Mollweide map's width factor at height y: never the root of a negative number.
double moll_factor(double y)
{
    const double q = y / MOLL_R;
    return std::sqrt(std::max(0.0, 1.0 - q * q));
}

/// Full width of the Mollweide map at height y.
float moll_width(float y) { return static_cast<float>(MOLL_FULL * moll_factor(y)); }

/// x outside the map's x-range (the contour x-limits when set).
bool outside_x(const ContState &st, float x, double half)
{
    if (!VYK_is_miss(st.x_min) && !VYK_is_miss(st.x_max)) return x < st.x_min || x > st.x_max;
    return x < -half || x > half;
}

/// Whether a polygon must be split at the seam of projection proj.
bool needs_split(const ContState &st, int proj, int n, const Gpt *p)
{
    const float jump = proj == PROJ_MOLLWEIDE ? MOLL_JUMP : JUMP;
    for (int i = 0; i + 1 < n; i++)
        if (std::fabs(p[i + 1].x - p[i].x) > jump) return true;
    if (proj == PROJ_LATLON || proj == PROJ_MERCATOR) {
        const double half = proj == PROJ_LATLON ? 180.0 : MERC_HALF;
        for (int i = 0; i < n; i++)
            if (outside_x(st, p[i].x, half)) return true;
    }
    return false;
}

void fill(int n, const Gpt *p) { gfill_area(n, p); }

void draw_fill(const ContState &st, int proj, int n, Gpt *p)
{
    if (n < 3) return;
    const bool wraps = proj == PROJ_LATLON || proj == PROJ_MERCATOR || proj == PROJ_LAMBERT ||
                       proj == PROJ_MOLLWEIDE;
    if (!wraps || !needs_split(st, proj, n, p)) {
        fill(n, p);
        return;
    }
    if (proj == PROJ_LAMBERT) return;
    if (proj == PROJ_MOLLWEIDE) {
        for (int i = 0; i < n; i++)
            if (p[i].x < 0) p[i].x += moll_width(p[i].y);
        fill(n, p);
        for (int i = 0; i < n; i++) p[i].x -= moll_width(p[i].y);
        fill(n, p);
        return;
    }
    const float period = proj == PROJ_LATLON ? LL_PERIOD : MERC_PERIOD_DRAW;
    for (int i = 0; i < n; i++)
        if (p[i].x < -WRAP_EDGE) p[i].x += period;
    fill(n, p);
    for (int i = 0; i < n; i++)
        if (p[i].x > WRAP_EDGE) p[i].x -= period;
    fill(n, p);
}

void line(float x0, float y0, float x1, float y1)
{
    const Gpt p[2] = {{x0, y0}, {x1, y1}};
    gpolyline(2, p);
}

void draw_segment(int proj, const Gpt *p)
{
    const float x0 = p[0].x, y0 = p[0].y, x1 = p[1].x, y1 = p[1].y;
    if (proj == PROJ_MOLLWEIDE) {
        const float w = moll_width(y0);
        if (x1 > 0 && x0 < 0 && x1 - x0 > MOLL_JUMP) {
            line(x0 + w, y0, x1, y1);
            line(x0, y0, x1 - w, y1);
        } else if (x1 < 0 && x0 > 0 && x0 - x1 > MOLL_JUMP) {
            line(x0, y0, x1 + w, y1);
            line(x0 - w, y0, x1, y1);
        } else {
            line(x0, y0, x1, y1);
        }
        return;
    }
    if (proj == PROJ_LATLON || proj == PROJ_MERCATOR) {
        const float period = proj == PROJ_LATLON ? LL_PERIOD : MERC_PERIOD_DRAW;
        const float dx = x1 - x0;
        if (dx < -JUMP) {
            line(x0, y0, x1 + period, y1);
            line(x0 - period, y0, x1, y1);
        } else if (dx > JUMP) {
            line(x0, y0, x1 - period, y1);
            line(x0 + period, y0, x1, y1);
        } else {
            line(x0, y0, x1, y1);
        }
        return;
    }
    if (proj == PROJ_LAMBERT && !(std::fabs(x1 - x0) < JUMP)) return;
    line(x0, y0, x1, y1);
}

}  // namespace

int int_xy(Gpt *pt, float x1, float y1, float x2, float y2, float d)
{
    const int proj = MAP_get_proj();
    if (proj == PROJ_LATLON || proj == PROJ_MERCATOR) {
        const double period = proj == PROJ_LATLON ? LL_PERIOD : MERC_PERIOD_INT;
        if (x1 - x2 < -JUMP) x1 = static_cast<float>(x1 + period);
        else if (x1 - x2 > JUMP) x1 = static_cast<float>(x1 - period);
    } else if (proj == PROJ_MOLLWEIDE) {
        if (x1 < 0 && x2 > 0 && x2 - x1 > MOLL_JUMP)
            x1 = static_cast<float>(x1 + MOLL_FULL * moll_factor(y1));
        if (x1 > 0 && x2 < 0 && x1 - x2 > MOLL_JUMP)
            x2 = static_cast<float>(x2 + MOLL_FULL * moll_factor(y2));
    }
    pt->x = x1 + (x2 - x1) * d;
    pt->y = y1 + (y2 - y1) * d;
    return 0;
}

bool cont_gate_plain(int n, const Gpt *p)
{
    const int proj = MAP_get_proj();
    const bool wraps = proj == PROJ_LATLON || proj == PROJ_MERCATOR || proj == PROJ_LAMBERT ||
                       proj == PROJ_MOLLWEIDE;
    return n <= GATE_POINTS && (!wraps || !needs_split(cont_state(), proj, n, p));
}

int CONT_draw_lines(int type, int num_pt, Gpt *pts)
{
    const ContState &st = cont_state();
    const int ent = st.con_off >= 0 && st.con_off <= CONT_LEVELS ? st.con_off : 0;
    if (st.fill_attrib[ent].color == CLR_NONE) return -1;
    if (!pts || num_pt < 1) return 0;
    const int proj = MAP_get_proj();
    if (type == CONT_FILL || type == CONT_LFILL) {
        // The seam moves are made on a copy, bounded, so that callers' arrays of any length
        // stay as they are beyond it.
        Gpt copy[GATE_POINTS];
        const int n = std::min(num_pt, GATE_POINTS);
        for (int i = 0; i < n; i++) copy[i] = pts[i];
        draw_fill(st, proj, n, copy);
    }
    if ((type == CONT_LINE || type == CONT_LFILL) && num_pt >= 2) draw_segment(proj, pts);
    return 0;
}

// Referenced so that the half-width of the Mollweide map is named once with its full width.
static_assert(MOLL_FULL == 2 * MOLL_HALF);
