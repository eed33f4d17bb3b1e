// The diagram spaces: plots whose axes are physical quantities (file index and height of the
// time-height section, temperature and pressure of the thermodynamic diagrams, direction and
// speed of the hodograph, pixel column and row), each behind one MapKind table.  The first
// transform argument is the x value a, the second the y value b; clat and clon are the values at
// the origin corner, dx and dy their extents, and nx and ny the plot extent on the scaled kinds.
//
// Values a diagram cannot place (a logarithm of zero, a negative or missing pressure, a zero
// extent) give -9999 rather than an infinity or NaN.
#include "map_internal.h"
#include "vyk.h"

#include <cmath>

namespace vykmap {

namespace {

constexpr double KELVIN = 273.15;
/// The exponent of pot_temp: theta = T (1000 / p)^POT_EXP.
constexpr double POT_EXP = 0.286;

bool missing(double v) { return v == MISS; }
bool extent_ok(double v) { return std::isfinite(v) && v != 0.0; }

/// The view of the skew-T and tephigram spaces: the one set, else the limits themselves.
MAP_limits view_of(const MapState &st)
{
    const MAP_limits &v = st.view;
    if (VYK_is_miss(v.x_min) || VYK_is_miss(v.x_max) || VYK_is_miss(v.y_min) ||
        VYK_is_miss(v.y_max))
        return st.limits;
    return v;
}

/// ln of the potential temperature of (a degrees C, b mb); false when it has none.
bool log_theta(double a, double b, double &y)
{
    if (missing(a) || missing(b)) return false;
    const float theta = pot_temp(static_cast<float>(a + KELVIN), static_cast<float>(b));
    if (VYK_is_miss(theta) || theta <= 0.0f) return false;
    y = std::log(static_cast<double>(theta));
    return true;
}

/// The pressure at which a degrees C has the potential temperature exp(log_th).
bool pressure_of(double a, double log_th, double &b)
{
    if (missing(a)) return false;
    const double t = a + KELVIN;
    if (t <= 0.0) return false;
    b = 1000.0 * std::pow(t / std::exp(log_th), 1.0 / POT_EXP);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Scaled kinds 20 and 24 (and 25, whose y values fall upward): the plot spans nx by ny plot
// units from the origin values, whatever the value ranges dx and dy are.
// ---------------------------------------------------------------------------------------------

void scaled_fill(MapState &st)
{
    const Domain &d = st.domain;
    st.cache.xfactor = static_cast<double>(d.nx) / d.dx;
    st.cache.yfactor = static_cast<double>(d.ny) / d.dy;
    st.cache.usable = d.nx != VYK_MISS && d.ny != VYK_MISS && !VYK_is_miss(d.dx) &&
                      !VYK_is_miss(d.dy) && extent_ok(st.cache.xfactor) &&
                      extent_ok(st.cache.yfactor);
}

void scaled_limits(MapState &st)
{
    const Domain &d = st.domain;
    map_corner_limits(st, d.clat, d.clon, static_cast<double>(d.clat) + d.nx,
                      static_cast<double>(d.clon) + d.ny);
}

void reflected_limits(MapState &st)
{
    const Domain &d = st.domain;
    map_corner_limits(st, d.clat, -static_cast<double>(d.clon), static_cast<double>(d.clat) + d.nx,
                      -static_cast<double>(d.clon) + d.ny);
}

bool scaled_tran(MapState &st, double a, double b, double &x, double &y)
{
    x = st.limits.x_min + (a - st.limits.x_min) * st.cache.xfactor;
    y = st.limits.y_min + (b - st.limits.y_min) * st.cache.yfactor;
    return true;
}

bool scaled_untran(MapState &st, double x, double y, double &a, double &b)
{
    a = st.limits.x_min + (x - st.limits.x_min) / st.cache.xfactor;
    b = st.limits.y_min + (y - st.limits.y_min) / st.cache.yfactor;
    return true;
}

bool reflected_tran(MapState &st, double a, double b, double &x, double &y)
{
    x = st.limits.x_min + (a - st.limits.x_min) * st.cache.xfactor;
    y = st.limits.y_min + (st.limits.y_min - b) * st.cache.yfactor;
    return true;
}

bool reflected_untran(MapState &st, double x, double y, double &a, double &b)
{
    a = st.limits.x_min + (x - st.limits.x_min) / st.cache.xfactor;
    b = st.limits.y_min + (st.limits.y_min - y) / st.cache.yfactor;
    return true;
}

// ---------------------------------------------------------------------------------------------
// Logarithm of pressure (22 and the emagram 42), Stuve (41), hodograph (23), pixels (99).
// ---------------------------------------------------------------------------------------------

bool logp_tran(MapState &, double a, double b, double &x, double &y)
{
    if (missing(a) || missing(b) || b <= 0.0) return false;
    x = a;
    y = -std::log(b);
    return true;
}

bool logp_untran(MapState &, double x, double y, double &a, double &b)
{
    a = x;
    b = std::exp(-y);
    return true;
}

bool stuve_tran(MapState &, double a, double b, double &x, double &y)
{
    if (missing(a) || missing(b) || b < 0.0) return false;
    x = a;
    y = -std::pow(b, 0.285714);
    return true;
}

bool stuve_untran(MapState &, double x, double y, double &a, double &b)
{
    if (y > 0.0) return false;
    a = x;
    b = std::pow(-y, 3.5);
    return true;
}

bool hodo_tran(MapState &, double a, double b, double &x, double &y)
{
    x = b * std::sin(a * RAD);
    y = b * std::cos(a * RAD);
    return true;
}

bool hodo_untran(MapState &, double x, double y, double &a, double &b)
{
    a = atan2d(x, y);
    if (a < 0.0) a += 360.0;
    b = std::hypot(x, y);
    return true;
}

/// Corners taken as plot coordinates without a transform.
void hodo_limits(MapState &st)
{
    const Domain &d = st.domain;
    map_corner_limits(st, d.clat, d.clon, static_cast<double>(d.clat) + d.dx,
                      static_cast<double>(d.clon) + d.dy);
}

bool pixel_tran(MapState &, double a, double b, double &x, double &y)
{
    x = a;
    y = -b;
    return true;
}

bool pixel_untran(MapState &, double x, double y, double &a, double &b)
{
    a = x;
    b = -y;
    return true;
}

// ---------------------------------------------------------------------------------------------
// Skew-T log-p (40): temperature skewed by y so that the skew is 45 degrees in the view.
// ---------------------------------------------------------------------------------------------

void skewt_limits(MapState &st)
{
    const Domain &d = st.domain;
    const double x1 = d.clat, x2 = static_cast<double>(d.clat) + d.dx;
    const double b1 = d.clon, b2 = static_cast<double>(d.clon) + d.dy;
    if (!(b1 > 0.0) || !(b2 > 0.0)) {
        st.limits = {VYK_MISS, VYK_MISS, VYK_MISS, VYK_MISS};
        return;
    }
    map_corner_limits(st, x1, -std::log(b1), x2, -std::log(b2));
}

void skewt_fill(MapState &st)
{
    const MAP_limits v = view_of(st), &l = st.limits;
    const double ly = static_cast<double>(l.y_max) - l.y_min;
    const double vx = static_cast<double>(v.x_max) - v.x_min;
    st.cache.scale = l.y_min;
    st.cache.xfactor = (static_cast<double>(l.x_max) - l.x_min) *
                       ((static_cast<double>(v.y_max) - v.y_min) / vx) / ly;
    st.cache.usable = !VYK_is_miss(l.y_min) && extent_ok(ly) && extent_ok(vx) &&
                      std::isfinite(st.cache.xfactor);
}

bool skewt_tran(MapState &st, double a, double b, double &x, double &y)
{
    if (missing(a) || missing(b) || b <= 0.0) return false;
    y = -std::log(b);
    x = a + st.cache.xfactor * (y - st.cache.scale);
    return true;
}

bool skewt_untran(MapState &st, double x, double y, double &a, double &b)
{
    a = x - st.cache.xfactor * (y - st.cache.scale);
    b = std::exp(-y);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Rotated tephigram (44): temperature against the logarithm of the potential temperature; the
// tephigram (43) is the same turned by 45 degrees in the view.
// ---------------------------------------------------------------------------------------------

void rteph_limits(MapState &st)
{
    const Domain &d = st.domain;
    double y1, y2;
    if (!log_theta(d.clat, d.clon, y1) || !log_theta(d.clat, static_cast<double>(d.clon) + d.dy, y2)) {
        st.limits = {VYK_MISS, VYK_MISS, VYK_MISS, VYK_MISS};
        return;
    }
    map_corner_limits(st, d.clat, y1, static_cast<double>(d.clat) + d.dx, y2);
}

bool rteph_tran(MapState &, double a, double b, double &x, double &y)
{
    if (!log_theta(a, b, y)) return false;
    x = a;
    return true;
}

bool rteph_untran(MapState &, double x, double y, double &a, double &b)
{
    a = x;
    return pressure_of(a, y, b);
}

/// Kind 43's set-up: x the temperature, y the logarithm of the potential temperature (clon
/// and dy in kelvin).
void teph_limits(MapState &st)
{
    const Domain &d = st.domain;
    const double b1 = d.clon, b2 = static_cast<double>(d.clon) + d.dy;
    if (!(b1 > 0.0) || !(b2 > 0.0)) {
        st.limits = {VYK_MISS, VYK_MISS, VYK_MISS, VYK_MISS};
        return;
    }
    map_corner_limits(st, d.clat, std::log(b1), static_cast<double>(d.clat) + d.dx,
                      std::log(b2));
}

void teph_fill(MapState &st)
{
    const MAP_limits v = view_of(st), &l = st.limits;
    const double lx = static_cast<double>(l.x_max) - l.x_min;
    const double ly = static_cast<double>(l.y_max) - l.y_min;
    st.cache.xfactor = (static_cast<double>(v.x_max) - v.x_min) / lx;
    st.cache.yfactor = (static_cast<double>(v.y_max) - v.y_min) / ly;
    st.cache.usable = !VYK_is_miss(l.x_min) && extent_ok(lx) && extent_ok(ly) &&
                      extent_ok(st.cache.xfactor) && extent_ok(st.cache.yfactor);
}

bool teph_tran(MapState &st, double a, double b, double &x, double &y)
{
    double lt;
    if (!log_theta(a, b, lt)) return false;
    const MAP_limits v = view_of(st), &l = st.limits;
    const double xf = st.cache.xfactor, yf = st.cache.yfactor;
    const double X = xf * (a - l.x_min) + v.x_min;
    const double Y = yf * (lt - l.y_min) + v.y_min;
    // Turn by 45 degrees clockwise about the view's lower-left corner (and shrink by 1/sqrt 2).
    const double X1 = 0.5 * (X + v.x_min) + 0.5 * (Y - v.y_min);
    const double Y1 = Y - (X1 - v.x_min);
    x = l.x_min + (X1 - v.x_min) / xf;
    y = l.y_min + (Y1 - v.y_min) / yf;
    return true;
}

bool teph_untran(MapState &st, double x, double y, double &a, double &b)
{
    const MAP_limits v = view_of(st), &l = st.limits;
    const double xf = st.cache.xfactor, yf = st.cache.yfactor;
    const double X = xf * (x - l.x_min) + v.x_min;
    const double Y = yf * (y - l.y_min) + v.y_min;
    const double Y2 = (X - v.x_min) + Y;
    const double X2 = 2.0 * X - (Y2 - v.y_min) - v.x_min;
    a = l.x_min + (X2 - v.x_min) / xf;
    return pressure_of(a, l.y_min + (Y2 - v.y_min) / yf, b);
}

const MapKind KINDS[] = {
    {.proj = DOM_XY, .fill = scaled_fill, .tran = scaled_tran, .untran = scaled_untran,
     .limits = scaled_limits},
    {.proj = DOM_CAT, .fill = scaled_fill, .tran = scaled_tran, .untran = scaled_untran,
     .limits = scaled_limits},
    {.proj = DOM_XP, .fill = scaled_fill, .tran = reflected_tran, .untran = reflected_untran,
     .limits = reflected_limits},
    {.proj = DOM_XLOGP, .tran = logp_tran, .untran = logp_untran},
    {.proj = DOM_EMA, .tran = logp_tran, .untran = logp_untran},
    {.proj = DOM_STUVE, .tran = stuve_tran, .untran = stuve_untran},
    {.proj = DOM_HODO, .tran = hodo_tran, .untran = hodo_untran, .limits = hodo_limits},
    {.proj = DOM_PIXEL, .tran = pixel_tran, .untran = pixel_untran},
    {.proj = DOM_SKEWT, .fill = skewt_fill, .tran = skewt_tran, .untran = skewt_untran,
     .limits = skewt_limits},
    {.proj = DOM_RTEPH, .tran = rteph_tran, .untran = rteph_untran, .limits = rteph_limits},
    {.proj = DOM_TEPH, .fill = teph_fill, .tran = teph_tran, .untran = teph_untran,
     .limits = teph_limits},
};

}  // namespace

const MapKind *map_diagram_kind(int proj)
{
    for (const MapKind &k : KINDS)
        if (k.proj == proj) return &k;
    return nullptr;
}

}  // namespace vykmap
