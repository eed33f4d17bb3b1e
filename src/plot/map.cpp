// The one current map domain: making a domain current, its plot limits, the forward and inverse
// transforms, grid positions and the conversion of plot positions between domains.
//
// Every kind with formulas is a back end (map_proj.cpp, map_diagram.cpp) behind one MapKind
// table; the current kind's table is looked up once, when the kind changes, and every
// transform goes through it.  The constants a kind derives from its domain (true-latitude
// factors, cone constants, sines of the centre, ...) are computed at the first transform after
// the domain changed and kept until it changes again.
//
// Transforms never hand back stale or undefined values: a point a projection hides, a plot
// position off the earth, input that is not finite, a kind without formulas and a domain whose
// parameters define no projection all give -9999 for both outputs (the last two with one
// warning per domain).
#include "map_internal.h"
#include "vyk.h"

#include <cmath>

namespace vykmap {

namespace {

/// Without a domain the transforms are the identity.
bool none_tran(MapState &, double a, double b, double &x, double &y)
{
    x = a;
    y = b;
    return true;
}

const MapKind NONE_KIND = {.proj = DOM_NONE, .tran = none_tran, .untran = none_tran};

struct Current {
    MapState state;
    const MapKind *kind = &NONE_KIND;  // nullptr: a kind without formulas
};

Current cur;

const MapKind *find_kind(int proj)
{
    if (proj == DOM_NONE) return &NONE_KIND;
    if (const MapKind *k = map_proj_kind(proj)) return k;
    return map_diagram_kind(proj);
}

void set_kind(int proj)
{
    cur.state.domain.proj = proj;
    cur.kind = find_kind(proj);
    cur.state.warned = false;
}

void empty_cache() { cur.state.cache.filled = false; }

/// Fills the cache when it is empty; false when the current domain has no usable transform
/// (warned once per domain).
bool ready(const char *who)
{
    MapState &s = cur.state;
    if (cur.kind != nullptr && !s.cache.filled) {
        s.cache = MapCache{};
        if (cur.kind->fill) cur.kind->fill(s);
        s.cache.filled = true;
    }
    if (cur.kind != nullptr && s.cache.usable) return true;
    if (!s.warned) {
        s.warned = true;
        if (cur.kind == nullptr)
            MESS_print(M_WARN, "%s: No transform for projection %d\n", who, s.domain.proj);
        else
            MESS_print(M_WARN, "%s: Projection %d is undefined for its parameters\n", who,
                       s.domain.proj);
    }
    return false;
}

int missing(float *x, float *y)
{
    *x = VYK_MISS;
    *y = VYK_MISS;
    return 0;
}

/// A double result as a float output: -9999 when it is not finite as a float.
bool store(double vx, double vy, float *x, float *y)
{
    const float fx = static_cast<float>(vx), fy = static_cast<float>(vy);
    if (!std::isfinite(fx) || !std::isfinite(fy)) return false;
    *x = fx;
    *y = fy;
    return true;
}

bool is_map(int proj) { return proj >= DOM_PSTEREO && proj <= DOM_SAT; }

/// Maps: the centre in the middle of an nx by ny grid of dx by dy.
void map_limits()
{
    MapState &s = cur.state;
    float xc, yc;
    MAP_tran(s.domain.clat, s.domain.clon, &xc, &yc);
    const double hx = static_cast<double>(s.domain.dx) * (s.domain.nx - 1.0) / 2.0;
    const double hy = static_cast<double>(s.domain.dy) * (s.domain.ny - 1.0) / 2.0;
    s.limits.x_min = static_cast<float>(xc - hx);
    s.limits.x_max = static_cast<float>(xc + hx);
    s.limits.y_min = static_cast<float>(yc - hy);
    s.limits.y_max = static_cast<float>(yc + hy);
}

}  // namespace

double atan2d(double a, double b) { return a == 0.0 && b == 0.0 ? 0.0 : std::atan2(a, b) * DEG; }

double wrap_lon(double lon) { return std::remainder(lon, 360.0); }

bool map_tran_raw(MapState &s, double a, double b, double &x, double &y)
{
    if (cur.kind == nullptr || !std::isfinite(a) || !std::isfinite(b)) return false;
    if (cur.kind->map) b = wrap_lon(b);
    return cur.kind->tran(s, a, b, x, y) && std::isfinite(x) && std::isfinite(y);
}

bool map_untran_raw(MapState &s, double x, double y, double &a, double &b)
{
    s.at_centre = false;
    if (cur.kind == nullptr || !std::isfinite(x) || !std::isfinite(y)) return false;
    return cur.kind->untran(s, x, y, a, b) && std::isfinite(a) && std::isfinite(b);
}

void map_corner_limits(MapState &s, double x1, double y1, double x2, double y2)
{
    s.limits.x_min = static_cast<float>(std::fmin(x1, x2));
    s.limits.x_max = static_cast<float>(std::fmax(x1, x2));
    s.limits.y_min = static_cast<float>(std::fmin(y1, y2));
    s.limits.y_max = static_cast<float>(std::fmax(y1, y2));
}

MapState *map_ready_state(const char *who) { return ready(who) ? &cur.state : nullptr; }

const MapKind *map_current_kind() { return cur.kind; }

}  // namespace vykmap

using namespace vykmap;

int MAP_domain(const Domain *dom)
{
    if (dom == nullptr) {
        set_kind(DOM_NONE);
        return -1;
    }
    MapState &s = cur.state;
    s.domain = *dom;
    if (VYK_is_miss(s.domain.plat)) s.domain.plat = s.domain.clat;
    if (VYK_is_miss(s.domain.plon)) s.domain.plon = s.domain.clon;
    set_kind(s.domain.proj);
    if (cur.kind != nullptr && cur.kind->setup) cur.kind->setup(s);
    empty_cache();
    s.earth_ratio2 = (EARTH_MIN / EARTH_MAJ) * (EARTH_MIN / EARTH_MAJ);
    MAP_set_limits();
    return 0;
}

Domain *MAP_get_domain(Domain *dom)
{
    if (dom == nullptr) return &cur.state.domain;
    *dom = cur.state.domain;
    return dom;
}

MAP_keep::MAP_keep() { MAP_get_domain(&saved_); }

MAP_keep::~MAP_keep() { MAP_domain(&saved_); }

int MAP_print_domain()
{
    DOM_print(M_PRINT, &cur.state.domain);
    return 0;
}

int MAP_proj_str(const char *proj) { return DOM_proj_str(proj); }

int MAP_proj(int proj)
{
    set_kind(proj);
    empty_cache();
    return 0;
}

int MAP_coord(float rlat, float rlon)
{
    cur.state.domain.plat = rlat;
    cur.state.domain.plon = rlon;
    empty_cache();
    return 0;
}

int MAP_proj_coord(const float *value)
{
    if (value == nullptr) return -1;
    MapState &s = cur.state;
    if (s.domain.proj != DOM_LAMB) return 0;
    s.domain.param[0] = value[0];
    s.domain.param[1] = value[1];
    s.tlat1 = value[0];
    s.tlat2 = value[1];
    return 0;
}

int MAP_get_proj() { return cur.state.domain.proj; }

float MAP_get_clat() { return cur.state.domain.clat; }

float MAP_get_clon() { return cur.state.domain.clon; }

int MAP_set_limits()
{
    MapState &s = cur.state;
    if (cur.kind != nullptr && cur.kind->limits) {
        // Diagram limits of their own; the factors that depend on them are derived afresh.
        cur.kind->limits(s);
        empty_cache();
        return 0;
    }
    if (is_map(s.domain.proj)) {
        map_limits();
        return 0;
    }
    float x1, y1, x2, y2;
    MAP_tran(s.domain.clat, s.domain.clon, &x1, &y1);
    MAP_tran(s.domain.clat + s.domain.dx, s.domain.clon + s.domain.dy, &x2, &y2);
    map_corner_limits(s, x1, y1, x2, y2);
    return 0;
}

int MAP_get_limits(MAP_limits *lim)
{
    if (lim == nullptr) return -1;
    *lim = cur.state.limits;
    return 0;
}

int MAP_get_up_left(float *x, float *y)
{
    if (x) *x = cur.state.limits.x_min;
    if (y) *y = cur.state.limits.y_max;
    return 0;
}

int MAP_set_view(const MAP_limits *vp)
{
    if (vp == nullptr) return -1;
    cur.state.view = *vp;
    return 0;
}

int MAP_tran_center(float *x, float *y)
{
    return MAP_tran(cur.state.domain.clat, cur.state.domain.clon, x, y);
}

int MAP_tran(float lat, float lon, float *x, float *y)
{
    if (!ready("MAP_tran")) return missing(x, y);
    double px, py;
    if (!map_tran_raw(cur.state, lat, lon, px, py) || !store(px, py, x, y)) return missing(x, y);
    return 1;
}

int MAP_untran(float x, float y, float *lat, float *lon)
{
    if (!ready("MAP_untran")) return missing(lat, lon);
    double a, b;
    if (!map_untran_raw(cur.state, x, y, a, b) || !store(a, b, lat, lon))
        return missing(lat, lon);
    // The centre of a Lambert azimuthal view answers 0 with its position.
    return cur.state.at_centre ? 0 : 1;
}

int MAP_tran_ep(EarthPoint ept, Point *pt) { return MAP_tran(ept.lat, ept.lon, &pt->x, &pt->y); }

int MAP_tran_pe(Point pt, EarthPoint *ept) { return MAP_untran(pt.x, pt.y, &ept->lat, &ept->lon); }

int MAP_in_domain(float x, float y)
{
    if (cur.state.domain.proj == DOM_NONE) return 1;
    const MAP_limits &l = cur.state.limits;
    return x >= l.x_min && x <= l.x_max && y >= l.y_min && y <= l.y_max ? 1 : 0;
}

int MAP_in_grid_domain(float x, float y)
{
    if (cur.state.domain.proj == DOM_NONE) return 1;
    const MAP_limits &l = cur.state.limits;
    const double mx = 3.0 * cur.state.domain.dx, my = 3.0 * cur.state.domain.dy;
    return x >= l.x_min - mx && x <= l.x_max + mx && y >= l.y_min - my && y <= l.y_max + my
               ? 1
               : 0;
}

int MAP_grid_tran(float gx, float gy, float *x, float *y)
{
    if (VYK_is_miss(gx)) {
        missing(x, y);
        return -1;
    }
    const Domain &d = cur.state.domain;
    if (!store(cur.state.limits.x_min + static_cast<double>(d.dx) * gx,
               cur.state.limits.y_max - static_cast<double>(d.dy) * gy, x, y))
        missing(x, y);
    return 0;
}

int MAP_grid_untran(float x, float y, float *gx, float *gy)
{
    if (VYK_is_miss(x)) {
        missing(gx, gy);
        return -1;
    }
    const Domain &d = cur.state.domain;
    if (d.dx == 0.0f || d.dy == 0.0f ||
        !store((x - static_cast<double>(cur.state.limits.x_min)) / d.dx,
               (cur.state.limits.y_max - static_cast<double>(y)) / d.dy, gx, gy))
        missing(gx, gy);
    return 0;
}

int MAP_domain_tran(const Domain *domain1, const Domain *domain2, float x1, float y1, float *x2,
                    float *y2)
{
    if (domain1 == nullptr || domain2 == nullptr) return -1;
    if (DOM_comp(domain1, domain2)) {
        *x2 = x1;
        *y2 = y1;
        return 0;
    }
    const MAP_keep keep;
    float lat, lon;
    MAP_domain(domain1);
    MAP_untran(x1, y1, &lat, &lon);
    MAP_domain(domain2);
    // A place off the earth of domain1 is no place on domain2.
    if (VYK_is_miss(lat) || VYK_is_miss(lon))
        missing(x2, y2);
    else
        MAP_tran(lat, lon, x2, y2);
    return 0;
}
