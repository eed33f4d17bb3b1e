// map_internal.h: what the current map domain (map.cpp) shares with the back ends of its
// kinds: the map projections (map_proj.cpp) and the diagram spaces (map_diagram.cpp).
//
// Each kind with formulas defines one MapKind table; the dispatcher in map.cpp finds the
// current kind's table once per domain and calls through it, so no code outside a back end
// asks which kind is current.  The state is the dispatcher's; a back end reads and fills it
// only through the reference it is handed.
#ifndef MAP_INTERNAL_H
#define MAP_INTERNAL_H

#include "vykbase.h"
#include "map.h"

namespace vykmap {

// Degrees and radians with pi taken as 3.1415926535898.
constexpr double PI = 3.1415926535898;
constexpr double RAD = 0.017453292519943334;  // radians per degree
constexpr double DEG = 57.295779513082195;    // degrees per radian
constexpr double MISS = -9999.0;

// The earth in plot units (100 km).
constexpr double EARTH_RAD = 63.7122;  // sphere
constexpr double EARTH_MAJ = 63.78137; // ellipsoid, equatorial
constexpr double EARTH_MIN = 63.56752; // ellipsoid, polar
constexpr double SAT_RAD = 421.61;     // geostationary orbit radius

/// Constants derived from the current domain at the first transform after an emptying.
struct MapCache {
    bool filled = false;
    bool usable = true;      // false: the domain's parameters define no projection
    double xfactor = MISS;   // per kind: true-latitude factor, cone constant, scale factors
    double yfactor = 0.0;
    double mult = 0.0;
    double scale = 0.0;      // hemisphere sign; skew-T lower limit
    double cos_c = 0.0, sin_c = 0.0;  // sine and cosine of the centre latitude
    double sat_ratio = MISS; // sat_rad / R
    double earth_ratio = 0.0;
    bool setup_pass = false; // the limits computation of kinds 40, 43 and 44 runs
};

/// The current domain and everything derived from it.
struct MapState {
    Domain domain = {VYK_MISS, VYK_MISS, VYK_MISS, {VYK_MISS, 0, 0, 0, 0}, VYK_MISS, VYK_MISS,
                     VYK_MISS, VYK_MISS, VYK_MISS, VYK_MISS, 0};
    MAP_limits limits = {VYK_MISS, VYK_MISS, VYK_MISS, VYK_MISS};
    MAP_limits view = {VYK_MISS, VYK_MISS, VYK_MISS, VYK_MISS};
    double earth_ratio2 = MISS;  // (earth_min / earth_maj)^2
    double sat_rad = 421.64;
    double sat_rad2 = 421.64 * 421.64;
    double sat_rad4 = 421.64 * 421.64 * 421.64 * 421.64;
    double sat2_earth2 = 421.64 * 421.64 - EARTH_MAJ * EARTH_MAJ;
    double tlat1 = 30.0, tlat2 = 60.0;  // true latitudes
    MapCache cache;
    bool warned = false;  // the one warning of a domain without a transform was given
    bool at_centre = false;  // the last inverse transform found the centre of an azimuthal view
};

/// One kind's back end.  tran and untran return false for a hidden point or a position off
/// the projected earth (the dispatcher then writes -9999); their inputs are finite.
struct MapKind {
    int proj = DOM_NONE;
    bool map = false;                                   // a map projection: longitudes wrapped
    void (*setup)(MapState &) = nullptr;                // when the domain is made current
    void (*fill)(MapState &) = nullptr;                 // the cache constants; may mark unusable
    bool (*tran)(MapState &, double a, double b, double &x, double &y) = nullptr;
    bool (*untran)(MapState &, double x, double y, double &a, double &b) = nullptr;
    void (*limits)(MapState &) = nullptr;               // nullptr: the rule of maps or corners
    /// Plot direction of true direction dir at (x, y) and back; nullptr: unchanged.
    double (*dir_adj)(MapState &, double dir, double x, double y) = nullptr;
    double (*undir_adj)(MapState &, double dir, double x, double y) = nullptr;
    /// The scale factor at (lat, lon); nullptr: 1.
    double (*factor)(MapState &, double lat, double lon) = nullptr;
};

/// The back end of a map projection (1 to 9) or of a diagram kind, or nullptr.
const MapKind *map_proj_kind(int proj);
const MapKind *map_diagram_kind(int proj);

/// The current state with its cache filled, or nullptr when the current domain has no usable
/// transform (warned once per domain, naming who); and the current kind (nullptr: none).
MapState *map_ready_state(const char *who);
const MapKind *map_current_kind();

/// The dispatcher's transforms without the cache test or wrapping, for back ends that
/// transform on the way (limits of diagrams, satellite directions).
bool map_tran_raw(MapState &s, double a, double b, double &x, double &y);
bool map_untran_raw(MapState &s, double x, double y, double &a, double &b);
/// The place reached from (lat, lon) by a flat step of km kilometres along true direction dir
/// (the longitude step scaled by the parallel's length); over a pole the step goes on down the
/// meridian on the far side.  The longitude is brought into [-180, 180].
void map_flat_step(double lat, double lon, double dir, double km, double &lat2, double &lon2);
/// The limits from two corners (clat, clon) and (clat + dx, clon + dy).
void map_corner_limits(MapState &s, double x1, double y1, double x2, double y2);

/// The background map's state that its map files and lines read (map_draw.cpp): the map file
/// being drawn is filled; the cross-grid and extra-label intervals in whole degrees (0: none).
bool map_fill_items();
int map_dot_interval();
int map_extra_interval();

/// The width of the plot at plot height y across which a line wraps on the current projection
/// (360 on the latitude-longitude projection, the equator's length on Mercator, 1000 on the
/// Lambert conformal projection, the map's width at y on Mollweide); 0 on the others.
double map_wrap_width(double y);

/// atan2 in degrees; 0 when both arguments are 0.
double atan2d(double a, double b);
/// A longitude brought into [-180, 180].
double wrap_lon(double lon);

}  // namespace vykmap

#endif
