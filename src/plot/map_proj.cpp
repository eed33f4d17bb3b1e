// The map projections: polar stereographic, latitude-longitude, Mercator, Lambert conformal,
// orthographic, Mollweide, Lambert azimuthal equal-area and the geostationary satellite view,
// each with its forward and inverse formulas on the sphere of radius R = 63.7122 plot units
// (100 km), its direction rule and scale factor, behind one MapKind table per projection.
// The gnomonic projection has a name but no formulas.
//
// Longitudes reach the forward formulas already brought into [-180, 180]; differences from the
// central meridian are brought into the same range.  Inverse formulas return the central
// meridian plus an azimuth, which may lie outside that range.
#include "map_internal.h"
#include "vyk.h"

#include <cmath>

namespace vykmap {

namespace {

constexpr double R = EARTH_RAD;

double sind(double a) { return std::sin(a * RAD); }
double cosd(double a) { return std::cos(a * RAD); }
double tand(double a) { return std::tan(a * RAD); }
double asind(double v) { return std::asin(std::fmax(-1.0, std::fmin(1.0, v))) * DEG; }
double atand(double v) { return std::atan(v) * DEG; }
bool missing(float v) { return VYK_is_miss(v); }

/// Plot coordinates hold float digits: a position on the edge of the projected earth may come
/// back a few units of the last digit outside it.  EDGE is that margin, relative.
constexpr double EDGE = 1e-6;

// ---------------------------------------------------------------------------------------------
// Polar stereographic (1).  The hemisphere sign s is -1 on a north-polar map (the meridian plon
// runs down from the pole), +1 on a south-polar one; K = R (1 - s sin tlat1).
// ---------------------------------------------------------------------------------------------

void ps_setup(MapState &st)
{
    st.tlat1 = st.domain.plat < 0.0f ? -60.0 : 60.0;
    if (!missing(st.domain.param[0])) st.tlat1 = st.domain.param[0];
}

void ps_fill(MapState &st)
{
    MapCache &c = st.cache;
    c.scale = st.domain.plat >= 0.0f ? -1.0 : 1.0;
    c.xfactor = R * (1.0 - c.scale * sind(st.tlat1));
    c.usable = std::isfinite(c.xfactor) && c.xfactor > 0.0;
}

bool ps_tran(MapState &st, double lat, double lon, double &x, double &y)
{
    const double s = st.cache.scale;
    if (s * lat > 75.0) lat = 75.0 * s;
    const double r = st.cache.xfactor * tand((90.0 + s * lat) / 2.0);
    const double a = (lon - st.domain.plon) * RAD;
    x = r * std::sin(a);
    y = s * r * std::cos(a);
    return true;
}

bool ps_untran(MapState &st, double x, double y, double &lat, double &lon)
{
    const double s = st.cache.scale;
    const double r = std::hypot(x, y);
    lat = s * (2.0 * atand(r / st.cache.xfactor) - 90.0);
    lon = st.domain.plon + atan2d(x, s * y);
    return true;
}

double ps_dir_adj(MapState &st, double dir, double x, double y)
{
    const bool north = st.domain.plat >= 0.0f;
    if (x == 0.0 && y == 0.0) return north ? dir - st.domain.plon : dir + st.domain.plon;
    return north ? dir - atan2d(x, -y) : dir + atan2d(x, y);
}

double ps_undir_adj(MapState &st, double dir, double x, double y)
{
    const bool north = st.domain.plat >= 0.0f;
    if (x == 0.0 && y == 0.0) return north ? dir + st.domain.plon : dir - st.domain.plon;
    return north ? dir + atan2d(x, -y) : dir - atan2d(x, y);
}

/// (1 - s sin tlat1) / (1 - s sin lat): 1 on the true latitude.
double ps_factor(MapState &st, double lat, double)
{
    const double s = st.cache.scale;
    const double k = (1.0 - s * sind(st.tlat1)) / (1.0 - s * sind(lat));
    return std::isfinite(k) ? k : MISS;
}

// ---------------------------------------------------------------------------------------------
// Latitude-longitude (2): degrees east of the central meridian and degrees north.
// ---------------------------------------------------------------------------------------------

bool ll_tran(MapState &st, double lat, double lon, double &x, double &y)
{
    x = wrap_lon(lon - st.domain.plon);
    y = lat;
    return true;
}

bool ll_untran(MapState &st, double x, double y, double &lat, double &lon)
{
    lon = wrap_lon(st.domain.plon + x);
    lat = y;
    return true;
}

// ---------------------------------------------------------------------------------------------
// Mercator (3), true at the equator; latitudes limited to 89.9 degrees.
// ---------------------------------------------------------------------------------------------

bool merc_tran(MapState &st, double lat, double lon, double &x, double &y)
{
    x = R * wrap_lon(lon - st.domain.plon) * RAD;
    lat = std::fmax(-89.9, std::fmin(89.9, lat));
    y = -R * std::log(tand(45.0 - lat / 2.0));
    return true;
}

bool merc_untran(MapState &st, double x, double y, double &lat, double &lon)
{
    lon = wrap_lon(st.domain.plon + x / (R * RAD));
    lat = 90.0 - 2.0 * atand(std::exp(-y / R));
    return true;
}

// ---------------------------------------------------------------------------------------------
// Lambert conformal conic (4).  The hemisphere sign s is +1 when plat >= 0, else -1; the cone
// is built on the absolute true latitudes, so that a southern map is the mirror image of the
// northern one: n its constant (sin t on a tangent cone), F its multiplier.
// ---------------------------------------------------------------------------------------------

void lc_setup(MapState &st)
{
    st.tlat1 = 30.0;
    st.tlat2 = 60.0;
    if (!missing(st.domain.param[0])) {
        st.tlat1 = st.domain.param[0];
        // One true latitude given: a tangent cone.
        st.tlat2 = missing(st.domain.param[1]) ? st.tlat1 : st.domain.param[1];
    }
}

void lc_fill(MapState &st)
{
    MapCache &c = st.cache;
    c.scale = st.domain.plat >= 0.0f ? 1.0 : -1.0;
    const double t1 = std::fabs(st.tlat1), t2 = std::fabs(st.tlat2);
    double n;
    if (t1 == t2)
        n = sind(t1);
    else
        n = (std::log(cosd(t1)) - std::log(cosd(t2))) /
            (std::log(tand(45.0 - t1 / 2.0)) - std::log(tand(45.0 - t2 / 2.0)));
    c.xfactor = n;
    c.mult = cosd(t1) / (n * std::pow(tand(45.0 - t1 / 2.0), n));
    c.usable = std::isfinite(n) && n > 1e-10 && n <= 1.0 && std::isfinite(c.mult) && c.mult > 0.0;
}

bool lc_tran(MapState &st, double lat, double lon, double &x, double &y)
{
    const double s = st.cache.scale, n = st.cache.xfactor;
    if (s > 0.0 && lat < -89.0) lat = -89.0;
    if (s < 0.0 && lat > 89.0) lat = 89.0;
    const double rho = R * st.cache.mult * std::pow(tand(45.0 - s * lat / 2.0), n);
    const double a = n * wrap_lon(lon - st.domain.plon) * RAD;
    x = rho * std::sin(a);
    y = -s * rho * std::cos(a);
    return true;
}

bool lc_untran(MapState &st, double x, double y, double &lat, double &lon)
{
    const double s = st.cache.scale, n = st.cache.xfactor;
    const double r = std::hypot(x, y);
    lat = s * 90.0 - 2.0 * s * atand(std::pow(r / (st.cache.mult * R), 1.0 / n));
    lon = st.domain.plon + atan2d(x, -s * y) / n;
    return true;
}

// North of the equator north points towards the apex, south of it away from the apex.
double lc_dir_adj(MapState &st, double dir, double x, double y)
{
    return st.cache.scale > 0.0 ? dir - atan2d(x, -y) : dir + atan2d(x, y);
}

double lc_undir_adj(MapState &st, double dir, double x, double y)
{
    return st.cache.scale > 0.0 ? dir + atan2d(x, -y) : dir - atan2d(x, y);
}

/// The domain's param[2] when it gives one, else the cone's scale factor n rho / (R cos lat).
double lc_factor(MapState &st, double lat, double lon)
{
    if (!missing(st.domain.param[2])) return st.domain.param[2];
    double x, y;
    lc_tran(st, lat, lon, x, y);
    const double k = st.cache.xfactor * std::hypot(x, y) / (R * cosd(lat));
    return std::isfinite(k) ? k : MISS;
}

// ---------------------------------------------------------------------------------------------
// Orthographic (5), centred on (plat, plon); a missing plat is the equator.
// ---------------------------------------------------------------------------------------------

void ortho_fill(MapState &st)
{
    if (missing(st.domain.plat)) st.domain.plat = 0.0f;
    st.cache.cos_c = cosd(st.domain.plat);
    st.cache.sin_c = sind(st.domain.plat);
}

bool ortho_tran(MapState &st, double lat, double lon, double &x, double &y)
{
    const double C = st.cache.cos_c, S = st.cache.sin_c;
    const double d = (lon - st.domain.plon) * RAD;
    const double cl = cosd(lat), sl = sind(lat);
    if (cl * C * std::cos(d) + sl * S < -1e-12) return false;  // the far side; the limb shows
    x = R * std::sin(d) * cl;
    y = R * (sl * C - S * cl * std::cos(d));
    return true;
}

bool ortho_untran(MapState &st, double x, double y, double &lat, double &lon)
{
    const double C = st.cache.cos_c, S = st.cache.sin_c;
    const double q = R * R - x * x - y * y;
    if (q < -EDGE * R * R) return false;
    const double z = std::sqrt(std::fmax(q, 0.0));
    lat = asind((C * y + S * z) / R);
    lon = st.domain.plon + atan2d(x, C * z - S * y);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Mollweide (7), scaled by 1/sqrt(2): full width 4 R, height 2 R.
// ---------------------------------------------------------------------------------------------

bool moll_tran(MapState &st, double lat, double lon, double &x, double &y)
{
    const double d = wrap_lon(lon - st.domain.plon);
    double theta;
    if (lat > 89.99 || lat < -89.99) {
        theta = lat > 0.0 ? PI / 2.0 : -PI / 2.0;
        x = 0.0;
    } else {
        // Newton steps on t + sin t = pi sin(lat), t = 2 theta.
        const double target = PI * std::sin(lat * RAD);
        double t = lat * RAD;
        for (int i = 0; i < 15; i++) {
            const double delta = -(t + std::sin(t) - target) / (std::cos(t) + 1.0);
            if (!std::isfinite(delta)) break;
            t += delta;
            if (std::fabs(delta) < 1e-10) break;
        }
        theta = t / 2.0;
        x = R * d / 90.0 * std::cos(theta);
    }
    y = R * std::sin(theta);
    return true;
}

bool moll_untran(MapState &st, double x, double y, double &lat, double &lon)
{
    const double sigma = y / R;
    if (std::fabs(sigma) > 1.0 + EDGE) return false;
    const double theta = std::asin(std::fmax(-1.0, std::fmin(1.0, sigma)));
    const double ct = std::cos(theta);
    double d;
    if (ct < 1e-12) {
        if (std::fabs(x) > EDGE * R) return false;
        d = 0.0;
    } else {
        d = 90.0 * x / (ct * R);
        if (std::fabs(d) > 180.0 * (1.0 + EDGE)) return false;  // outside the ellipse
    }
    const double tau = (2.0 * theta + std::sin(2.0 * theta)) / PI;
    if (std::fabs(tau) > 1.0 + EDGE) return false;
    lat = asind(tau);
    lon = st.domain.plon + d;
    return true;
}

// ---------------------------------------------------------------------------------------------
// Lambert azimuthal equal-area (8), centred on (plat, plon); only the antipode is hidden.
// ---------------------------------------------------------------------------------------------

void laea_fill(MapState &st)
{
    st.cache.cos_c = cosd(st.domain.plat);
    st.cache.sin_c = sind(st.domain.plat);
}

bool laea_tran(MapState &st, double lat, double lon, double &x, double &y)
{
    const double C = st.cache.cos_c, S = st.cache.sin_c;
    const double d = (lon - st.domain.plon) * RAD;
    const double cl = cosd(lat), sl = sind(lat);
    const double k = S * sl + C * cl * std::cos(d);
    if (k <= -1.0 + 1e-12) return false;  // the antipode
    const double m = R * std::sqrt(2.0 / (k + 1.0));
    st.cache.mult = m;
    x = m * cl * std::sin(d);
    y = m * (C * sl - S * cl * std::cos(d));
    return true;
}

bool laea_untran(MapState &st, double x, double y, double &lat, double &lon)
{
    const double C = st.cache.cos_c, S = st.cache.sin_c;
    const double rho = std::hypot(x, y);
    const double m = std::fmin(rho / (2.0 * R), 1.0);
    if (rho / (2.0 * R) > 1.0 + EDGE) return false;
    lon = st.domain.plon;
    if (rho < 1e-10) {  // the centre: its position, marked for MAP_untran's answer 0
        lat = st.domain.plat;
        st.at_centre = true;
        return true;
    }
    const double c = 2.0 * std::asin(m);
    const double sc = std::sin(c), cc = std::cos(c);
    lat = asind(cc * S + y * sc * C / rho);
    if (std::fabs(std::fabs(st.domain.plat) - 90.0) > 1e-10)
        lon += atan2d(x * sc, rho * C * cc - y * S * sc);
    else
        lon += st.domain.plat >= 0.0f ? atan2d(x, -y) : atan2d(x, y);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Geostationary satellite view (9): the satellite at sat_rad from the earth's centre over
// (0, plon).  Plot coordinates are sat_rad times the tangents of the east-west and north-south
// scan angles, or times the angles themselves (radians) when param[1] is 1; the north-south
// angle is measured after the east-west one (sweep about the y axis).  ellipse 1 takes the
// ellipsoid of radii earth_maj and earth_min.
// ---------------------------------------------------------------------------------------------

void sat_setup(MapState &st)
{
    st.sat_rad = missing(st.domain.param[0]) ? SAT_RAD : st.domain.param[0];
    st.sat_rad2 = st.sat_rad * st.sat_rad;
    st.sat_rad4 = st.sat_rad2 * st.sat_rad2;
    st.sat2_earth2 = st.sat_rad2 - EARTH_MAJ * EARTH_MAJ;
}

void sat_fill(MapState &st)
{
    st.cache.sat_ratio = st.sat_rad / R;
    st.cache.earth_ratio = R / st.sat_rad;
    st.cache.usable = std::isfinite(st.sat_rad) && st.sat_rad > EARTH_MAJ;
}

bool sat_angles(const MapState &st) { return st.domain.param[1] == 1.0f; }

bool sat_tran(MapState &st, double lat, double lon, double &x, double &y)
{
    const bool ell = st.domain.ellipse == 1;
    const double r2 = st.earth_ratio2;
    const double g = ell ? atand(r2 * tand(lat)) : lat;
    const double d = (lon - st.domain.plon) * RAD;
    const double cg = cosd(g), sg = sind(g);
    const double c = cg * std::cos(d);
    if (c < st.cache.earth_ratio) return false;  // beyond the limb
    const double r = ell ? EARTH_MIN / std::sqrt(1.0 - (1.0 - r2) * cg * cg) : R;
    const double D = st.sat_rad - r * c;
    const double e = r * std::sin(d) * cg;
    const double H = std::hypot(D, e);
    st.cache.xfactor = H;
    double u = e / D, v = r * sg / H;
    if (sat_angles(st)) {
        u = std::atan(u);
        v = std::atan(v);
    }
    x = st.sat_rad * u;
    y = st.sat_rad * v;
    return true;
}

bool sat_untran_ellipsoid(MapState &st, double x, double y, double &lat, double &lon)
{
    const double a = sat_angles(st) ? x / st.sat_rad : std::atan(x / st.sat_rad);
    const double b = sat_angles(st) ? y / st.sat_rad : std::atan(y / st.sat_rad);
    const double ca = std::cos(a), sa = std::sin(a), cb = std::cos(b), sb = std::sin(b);
    const double Q = st.sat_rad * ca * cb;
    const double E = cb * cb + sb * sb / st.earth_ratio2;
    const double disc = Q * Q - st.sat2_earth2 * E;
    if (disc < -EDGE * Q * Q) return false;
    const double sn = (Q - std::sqrt(std::fmax(disc, 0.0))) / E;  // from the satellite to the surface
    const double s1 = st.sat_rad - sn * ca * cb, s2 = sn * sa * cb;
    lat = atand(sn * sb / (st.earth_ratio2 * std::hypot(s1, s2)));
    lon = st.domain.plon + atan2d(s2, s1);
    return true;
}

/// The line of sight (1, u, v sqrt(1 + u^2)) from the satellite meets the sphere at distance t.
bool sat_untran_sphere(MapState &st, double x, double y, double &lat, double &lon)
{
    const double h = st.sat_rad;
    const double u = sat_angles(st) ? std::tan(x / h) : x / h;
    const double v = sat_angles(st) ? std::tan(y / h) : y / h;
    const double w = v * std::sqrt(1.0 + u * u);
    const double q = 1.0 + u * u + w * w;
    const double disc = h * h - q * (h * h - R * R);
    if (disc < -EDGE * h * h) return false;
    const double t = (h - std::sqrt(std::fmax(disc, 0.0))) / q;
    lat = asind(t * w / R);
    lon = st.domain.plon + atan2d(t * u, h - t);
    return true;
}

bool sat_untran(MapState &st, double x, double y, double &lat, double &lon)
{
    return st.domain.ellipse == 1 ? sat_untran_ellipsoid(st, x, y, lat, lon)
                                  : sat_untran_sphere(st, x, y, lat, lon);
}

/// A true direction on the plot: the plot direction towards the point 1 km away along dir.
double sat_dir_adj(MapState &st, double dir, double x, double y)
{
    double lat, lon, lat2, lon2, x2, y2;
    if (!map_untran_raw(st, x, y, lat, lon)) return MISS;
    map_flat_step(lat, lon, dir, 1.0, lat2, lon2);
    if (!map_tran_raw(st, lat2, lon2, x2, y2)) return MISS;
    return atan2d(x2 - x, y2 - y);
}

/// Its inverse: the true direction towards the place 1 km away on the plot along dir.
double sat_undir_adj(MapState &st, double dir, double x, double y)
{
    constexpr double step = 0.01;  // 1 km in plot units
    double lat, lon, lat2, lon2;
    if (!map_untran_raw(st, x, y, lat, lon) ||
        !map_untran_raw(st, x + step * std::sin(dir * RAD), y + step * std::cos(dir * RAD), lat2,
                        lon2))
        return MISS;
    return atan2d(wrap_lon(lon2 - lon) * cosd(lat), lat2 - lat);
}

const MapKind KINDS[] = {
    {.proj = DOM_PSTEREO, .map = true, .setup = ps_setup, .fill = ps_fill, .tran = ps_tran,
     .untran = ps_untran, .dir_adj = ps_dir_adj, .undir_adj = ps_undir_adj, .factor = ps_factor},
    {.proj = DOM_LATLON, .map = true, .tran = ll_tran, .untran = ll_untran},
    {.proj = DOM_MERC, .map = true, .tran = merc_tran, .untran = merc_untran},
    {.proj = DOM_LAMB, .map = true, .setup = lc_setup, .fill = lc_fill, .tran = lc_tran,
     .untran = lc_untran, .dir_adj = lc_dir_adj, .undir_adj = lc_undir_adj, .factor = lc_factor},
    {.proj = DOM_ORTHO, .map = true, .fill = ortho_fill, .tran = ortho_tran,
     .untran = ortho_untran},
    {.proj = DOM_MOLL, .map = true, .tran = moll_tran, .untran = moll_untran},
    {.proj = DOM_LAMBAZ, .map = true, .fill = laea_fill, .tran = laea_tran,
     .untran = laea_untran},
    {.proj = DOM_SAT, .map = true, .setup = sat_setup, .fill = sat_fill, .tran = sat_tran,
     .untran = sat_untran, .dir_adj = sat_dir_adj, .undir_adj = sat_undir_adj},
};

}  // namespace

const MapKind *map_proj_kind(int proj)
{
    for (const MapKind &k : KINDS)
        if (k.proj == proj) return &k;
    return nullptr;
}

}  // namespace vykmap
