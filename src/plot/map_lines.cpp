// Latitude-longitude lines and diagram grids: parallels and meridians with their edge labels,
// extra labels along the lines and a grid of small crosses on map projections; a rectangular
// grid of value lines with numeric axis labels on diagram kinds.
//
// Every loop counts its lines by index (value = start + k * step), so that the last line is
// neither lost nor doubled by rounding, and an interval that would give no end (0, not finite,
// negative on a map projection, or so small that the lines cannot be told apart) draws nothing.
#include "map_internal.h"
#include "vyk.h"
#include "gks.h"
#include "vykdom.h"
#include "dom.h"
#include "plt_frame.h"
#include "vykgks.h"
#include "map.h"
#include "map_draw.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

/// Rounding tolerance of the line counts, in steps: a float interval carries a relative error of
/// about 6e-8, which the count of steps multiplies.
constexpr double EPS = 1e-6;
/// More lines than this in one direction cannot be told apart on any plot.
constexpr long MAX_LINES = 100000;
/// Lines of latitude are drawn in steps of this many degrees of longitude.
constexpr double PARALLEL_STEP = 2.5;
/// A step of a parallel whose x jumps by more than this has crossed the projection's cut.
constexpr float PARALLEL_JUMP = 50.0f;
/// Half the length of a cross's tick in degrees, and the longest tick drawn in plot units.
constexpr float TICK = 0.1f;
constexpr float TICK_MAX = 5.0f;
/// The diagram labels' distance from the data area (NDC) and their number format.
constexpr float LABEL_GAP = 0.01f;
constexpr const char *AXIS_FORMAT = "2.2.0";

/// What the lines of one call work with.
struct Frame {
    MAP_limits lim;
    Domain dom;
    Glim view;
    float off;  // label inset
};

/// The number of k >= 0 with k * step <= span (end included) or < span (end excluded), to
/// within rounding; -1 when it is beyond MAX_LINES.
long count_steps(double span, double step, bool include_end)
{
    const double q = span / step;
    if (!std::isfinite(q)) return -1;
    const double tol = EPS * (1.0 + std::fabs(q));
    if (q < -tol) return 0;
    const double n = include_end ? std::floor(q + tol) + 1 : std::ceil(q - tol);
    if (n > MAX_LINES) return -1;
    return n < 0 ? 0 : static_cast<long>(n);
}

/// Line k of a run from start in steps of step, with the end it may reach: a value counted
/// within rounding of the end is the end.
double nth(double start, double step, long k, double end)
{
    const double v = start + static_cast<double>(k) * step;
    return (step > 0 && v > end) || (step < 0 && v < end) ? end : v;
}

/// An interval as the decimal it was written as (0.1f is 0.1, not 0.100000001490116).
double decimal(float v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.7g", static_cast<double>(v));
    return std::strtod(text, nullptr);
}

bool usable(float step, bool map)
{
    return std::isfinite(step) && step != 0.0f && (!map || step > 0.0f);
}

bool visible(const Gpt &p) { return !VYK_is_miss(p.x) && !VYK_is_miss(p.y); }

Gpt tran(double a, double b)
{
    Gpt p;
    MAP_tran(static_cast<float>(a), static_cast<float>(b), &p.x, &p.y);
    return p;
}

void segment(Gpt a, Gpt b)
{
    const Gpt pts[2] = {a, b};
    gpolyline(2, pts);
}

void label(float x, float y, const char *text)
{
    const Gpt at = {x, y};
    gtext(&at, text);
}

// ---------------------------------------------------------------------------------------------
// Diagram grids
// ---------------------------------------------------------------------------------------------

/// Direction in which y values run: up on kinds 20, 24 and 99, down on 22 and 41 (values
/// falling upward); on the other kinds the direction of the extent dy.
int y_direction(int proj, float dy)
{
    switch (proj) {
    case DOM_XY: case DOM_CAT: case DOM_PIXEL: return 1;
    case DOM_XLOGP: case DOM_STUVE: return -1;
    default: return dy < 0 ? -1 : 1;
    }
}

int diagram_grid(const Frame &f, double sx, double sy)
{
    double xmin = f.dom.clat, ymin = f.dom.clon;
    const double xmax = xmin + f.dom.dx, ymax = ymin + f.dom.dy;
    // A negative interval aligns the lines to its multiples.
    if (sx < 0) {
        sx = -sx;
        xmin = std::trunc(xmin / sx) * sx;
    }
    if (sy < 0) {
        sy = -sy;
        ymin = std::trunc(ymin / sy) * sy;
    }
    const int dir = y_direction(f.dom.proj, f.dom.dy);
    const long nx = count_steps(xmax - xmin, sx, true);
    const long ny = count_steps(dir * (ymax - ymin), sy, false);
    const long ny_lab = count_steps(dir * (ymax - ymin), sy, true);
    if (nx < 0 || ny < 0 || ny_lab < 0) {
        MESS_print(M_WARN, "MAP_lines: Intervals %g, %g give too many lines\n", sx, sy);
        return -1;
    }
    for (long i = 0; i < nx; i++) {
        const double xx = nth(xmin, sx, i, xmax);
        const Gpt a = tran(xx, ymin), b = tran(xx, ymax);
        if (visible(a) && visible(b)) segment(a, b);
    }
    for (long k = 0; k < ny; k++) {
        const double yy = ymin + dir * static_cast<double>(k) * sy;
        const Gpt a = tran(xmin, yy), b = tran(xmax, yy);
        if (visible(a) && visible(b)) segment(a, b);
    }

    // The labels, in the whole-display transformation.
    char text[16];
    if (f.dom.proj != DOM_CAT) {
        GPH_text_align(GCENTER_HOR, GCAP_VERT);
        for (long i = 0; i < nx; i++) {
            const double xx = nth(xmin, sx, i, xmax);
            const Gpt a = tran(xx, ymin);
            if (!visible(a)) continue;
            const float x = xW_trans(a.x, 2, 1);
            if (x < f.view.x_min || x > f.view.x_max) continue;
            GPH_trans(1);
            label(x, f.view.y_min - LABEL_GAP, set_num(text, AXIS_FORMAT, static_cast<float>(xx)));
            GPH_trans(2);
        }
    }
    GPH_text_align(GRIGHT_HOR, GHALF_VERT);
    for (long k = 0; k < ny_lab; k++) {
        const double yy = nth(ymin, dir * sy, k, ymax);
        const Gpt a = tran(xmin, yy);
        if (!visible(a)) continue;
        const float y = yW_trans(a.y, 2, 1);
        if (y < f.view.y_min || y > f.view.y_max) continue;
        GPH_trans(1);
        label(f.view.x_min - LABEL_GAP, y, set_num(text, AXIS_FORMAT, static_cast<float>(yy)));
        GPH_trans(2);
    }
    return -1;
}

// ---------------------------------------------------------------------------------------------
// Parallels and meridians
// ---------------------------------------------------------------------------------------------

void parallel_name(double lat, char *text, size_t size)
{
    if (lat == 0) std::snprintf(text, size, "EQ");
    else if (lat > 0) std::snprintf(text, size, "%1.0fN", lat);
    else std::snprintf(text, size, "%1.0fS", -lat);
}

void meridian_name(double lon, char *text, size_t size)
{
    if (lon == 0) std::snprintf(text, size, "PM");
    else if (lon == 180) std::snprintf(text, size, "DL");
    else if (lon > 0) std::snprintf(text, size, "%1.0fE", lon);
    else std::snprintf(text, size, "%1.0fW", -lon);
}

/// The label of a parallel where its last drawn piece crosses the left edge.
void parallel_edge(const Frame &f, Gpt q0, Gpt q1, const char *text)
{
    const float t = q1.x == q0.x ? -1.0f : (f.lim.x_min - q0.x) / (q1.x - q0.x);
    if (t < 0 || t >= 1) return;
    const float x = f.lim.x_min + f.off;
    const float y = q1.y == q0.y ? q0.y : q0.y + (q1.y - q0.y) * (x - q0.x) / (q1.x - q0.x);
    if (y <= f.lim.y_min || y >= f.lim.y_max) return;
    GPH_text_align(GLEFT_HOR, GHALF_VERT);
    label(x, y, text);
}

/// The label of a meridian where a piece crosses the bottom edge.
void meridian_edge(const Frame &f, Gpt p0, Gpt p1, const char *text)
{
    const float t = p1.y == p0.y ? -1.0f : (f.lim.y_min - p0.y) / (p1.y - p0.y);
    if (t < 0 || t >= 1) return;
    const float y = f.lim.y_min + f.off;
    const float x = p1.x == p0.x ? p0.x : p0.x + (p1.x - p0.x) * (y - p0.y) / (p1.y - p0.y);
    if (x <= f.lim.x_min || x >= f.lim.x_max) return;
    GPH_text_align(GCENTER_HOR, GBASE_VERT);
    label(x, y, text);
}

/// Labels along a line every `extra` degrees, at along = first, first + extra, ... while
/// along < end (or <= end); along is the longitude of a parallel's labels (along_lon), the
/// latitude of a meridian's, and across the line's own latitude or longitude.
void extra_labels(double first, double end, bool include_end, bool along_lon, double across,
                  const char *text)
{
    const int extra = vykmap::map_extra_interval();
    if (extra <= 0) return;
    const long n = count_steps(end - first, extra, include_end);
    GPH_text_align(GCENTER_HOR, GHALF_VERT);
    for (long k = 0; k < n; k++) {
        const double v = first + static_cast<double>(k) * extra;
        const Gpt p = along_lon ? tran(across, v) : tran(v, across);
        label(p.x, p.y, text);
    }
}

/// The first extra label of a line: (lim div extra) * extra - extra / 2, aligned to the
/// middle between two lines of the other kind.
double extra_start(int lim, double step)
{
    const int extra = vykmap::map_extra_interval();
    const double l0 = static_cast<double>((lim / extra) * extra) - extra / 2.0;
    return std::trunc(l0 / step) * step - step / 2.0;
}

void parallel(const Frame &f, double lat, double dlon, double wrap)
{
    char text[16];
    parallel_name(lat, text, sizeof text);
    Gpt p0 = tran(lat, -180.0);
    const long n = count_steps(355.0, PARALLEL_STEP, true);  // -175, -172.5, ..., 180
    for (long j = 0; j < n; j++) {
        const Gpt p1 = tran(lat, -175.0 + PARALLEL_STEP * static_cast<double>(j));
        if (visible(p0) && visible(p1)) {
            const float d = p1.x - p0.x, w = static_cast<float>(wrap);
            Gpt q0 = p0, q1 = p1;
            if (wrap > 0 && d < -PARALLEL_JUMP) {
                segment(p0, {p1.x + w, p1.y});
                q0 = {p0.x - w, p0.y};
            } else if (wrap > 0 && d > PARALLEL_JUMP) {
                segment({p0.x + w, p0.y}, p1);
                q1 = {p1.x - w, p1.y};
            }
            segment(q0, q1);
            parallel_edge(f, q0, q1, text);
        }
        p0 = p1;
    }
    if (vykmap::map_extra_interval() > 0)
        extra_labels(extra_start(-179, dlon), 180.0, true, true, lat, text);
}

void meridian(const Frame &f, double lon, double dlat)
{
    char text[16];
    meridian_name(lon, text, sizeof text);
    double top = 90.0;
    const int proj = f.dom.proj;
    if (proj == DOM_PSTEREO || proj == DOM_SAT || proj == DOM_LAMB)
        top = std::trunc(89.0 / dlat) * dlat;
    const long n = count_steps(2.0 * top, dlat, true);
    Gpt p0 = tran(-top, lon);
    for (long k = 1; k < n; k++) {
        const Gpt p1 = tran(nth(-top, dlat, k, top), lon);
        if (visible(p0) && visible(p1)) {
            segment(p0, p1);
            meridian_edge(f, p0, p1, text);
        }
        p0 = p1;
    }
    if (vykmap::map_extra_interval() > 0)
        extra_labels(extra_start(-89, dlat), 90.0, false, false, lon, text);
}

void cross_grid(int dot)
{
    const double lat0 = (-79 / dot) * dot, lon0 = (-179 / dot) * dot;
    const long nlat = count_steps(80.0 - lat0, dot, false);
    const long nlon = count_steps(180.0 - lon0, dot, true);
    for (long i = 0; i < nlat; i++) {
        const double lat = lat0 + static_cast<double>(i) * dot;
        for (long j = 0; j < nlon; j++) {
            const double lon = lon0 + static_cast<double>(j) * dot;
            const Gpt ticks[2][2] = {{tran(lat, lon - TICK), tran(lat, lon + TICK)},
                                     {tran(lat - TICK, lon), tran(lat + TICK, lon)}};
            for (const auto &t : ticks)
                if (visible(t[0]) && visible(t[1]) && std::fabs(t[1].x - t[0].x) < TICK_MAX)
                    segment(t[0], t[1]);
        }
    }
}

int map_lines(const Frame &f, double dlat, double dlon)
{
    const long north = count_steps(90.0, dlat, false);
    const long east = count_steps(180.0, dlon, true);
    const long west = count_steps(180.0, dlon, false);
    if (north < 0 || east < 0) {
        MESS_print(M_WARN, "MAP_lines: Intervals %g, %g give too many lines\n", dlat, dlon);
        return -1;
    }
    const double wrap = f.dom.proj == DOM_MOLL ? 0.0 : vykmap::map_wrap_width(0.0);
    for (long k = 0; k < north; k++) parallel(f, static_cast<double>(k) * dlat, dlon, wrap);
    for (long k = 1; k < north; k++) parallel(f, -static_cast<double>(k) * dlat, dlon, wrap);
    for (long k = 0; k < east; k++) meridian(f, nth(0.0, dlon, k, 180.0), dlat);
    for (long k = 1; k < west; k++) meridian(f, -static_cast<double>(k) * dlon, dlat);
    const int dot = vykmap::map_dot_interval();
    if (dot > 0) cross_grid(dot);
    return 0;
}

}  // namespace

int MAP_lines(float dlat, float dlon)
{
    if (VYK_is_miss(dlat) || VYK_is_miss(dlon)) return -1;
    const int proj = MAP_get_proj();
    const bool map = proj >= DOM_PSTEREO && proj <= DOM_SAT;
    if (!usable(dlat, map) || !usable(dlon, map)) {
        MESS_print(M_WARN, "MAP_lines: Line intervals %g, %g draw no lines\n",
                   static_cast<double>(dlat), static_cast<double>(dlon));
        return -1;
    }
    GPH_trans(2);
    PLT_mess("Map-lalo: %.1f,%.1f", static_cast<double>(dlat), static_cast<double>(dlon));
    Frame f;
    MAP_get_limits(&f.lim);
    f.dom = *MAP_get_domain(nullptr);
    PLT_get_view(&f.view);
    f.off = 0.01f * (f.lim.x_max - f.lim.x_min);
    const double sx = decimal(dlat), sy = decimal(dlon);
    const int result = map ? map_lines(f, sx, sy) : diagram_grid(f, sx, sy);
    GPH_line_attr(nullptr);
    GPH_text_attr(nullptr, 1);
    return map ? result : -1;
}
