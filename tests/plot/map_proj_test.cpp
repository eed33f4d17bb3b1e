// The map projections: forward and inverse transforms against PROJ's `proj` (run through the
// test driver map_tool, as a user would from a shell), round trips, and the cases each
// projection's formulas single out.
#include <gtest/gtest.h>

#include "test_util.h"
#include "vykplot.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

using vyktest::run;
using vyktest::tool;

namespace {

constexpr double R = 63.7122;

/// One projection: the domain string given to map_tool, PROJ's definition, the plot units per
/// PROJ unit, and the grid of test points (latitudes and longitudes, first, last and step).
struct ProjCase {
    const char *name;
    const char *domain;
    std::string proj;
    double scale;
    double lat0, lat1, dlat, lon0, lon1, dlon;
};

// The geostationary view: plot units are the orbit radius times the scan angle, PROJ's metres
// the height above the surface times the same angle.
const double SAT_SPHERE = 421.64 / (42164000.0 - 6371220.0);
const double SAT_ELLIPSOID = 421.64 / (42164000.0 - 6378137.0);
const std::string SPHERE = " +R=6371220";

const ProjCase CASES[] = {
    {"polar north", "ps:90:-105:60,60,-105,25,17,1,1",
     "+proj=stere +lat_0=90 +lat_ts=60 +lon_0=-105" + SPHERE, 1e-5, 0, 85, 5, -180, 170, 10},
    {"polar south", "ps:-90:140:-60,-70,140,25,17,1,1",
     "+proj=stere +lat_0=-90 +lat_ts=-60 +lon_0=140" + SPHERE, 1e-5, -85, 0, 5, -180, 170, 10},
    {"mercator", "merc:0:-100,30,-100,25,17,1,1", "+proj=merc +lon_0=-100" + SPHERE, 1e-5, -80,
     80, 10, -180, 170, 10},
    {"lambert north 30 60", "lc:40:-100:30:60,40,-100,25,17,1,1",
     "+proj=lcc +lat_1=30 +lat_2=60 +lat_0=90 +lon_0=-100" + SPHERE, 1e-5, -20, 85, 5, -170, 170,
     20},
    {"lambert north 45", "lc:40:-100:45:45,40,-100,25,17,1,1",
     "+proj=lcc +lat_1=45 +lat_2=45 +lat_0=90 +lon_0=-100" + SPHERE, 1e-5, -20, 85, 5, -170, 170,
     20},
    {"lambert south -30 -60", "lc:-40:135:-30:-60,-30,135,25,17,1,1",
     "+proj=lcc +lat_1=-30 +lat_2=-60 +lat_0=-90 +lon_0=135" + SPHERE, 1e-5, -85, 20, 5, -170,
     170, 20},
    {"lambert south -45", "lc:-40:135:-45:-45,-30,135,25,17,1,1",
     "+proj=lcc +lat_1=-45 +lat_2=-45 +lat_0=-90 +lon_0=135" + SPHERE, 1e-5, -85, 20, 5, -170,
     170, 20},
    {"orthographic", "ortho:45:10,45,10,25,17,1,1", "+proj=ortho +lat_0=45 +lon_0=10" + SPHERE,
     1e-5, -40, 90, 10, -180, 170, 10},
    {"lambert azimuthal", "lambaz:50:10,50,10,25,17,1,1",
     "+proj=laea +lat_0=50 +lon_0=10" + SPHERE, 1e-5, -80, 90, 10, -180, 170, 10},
    {"mollweide", "moll:0:20,0,20,25,17,1,1",
     "+proj=moll +lon_0=20 +R=" + std::to_string(6371220.0 / std::sqrt(2.0)), 1e-5, -90, 90, 10,
     -160, 190, 10},
    {"geostationary sphere", "sat:0:-75:421.64:1,0,-75,25,17,1,1",
     "+proj=geos +sweep=y +lon_0=-75 +h=" + std::to_string(42164000.0 - 6371220.0) + SPHERE,
     SAT_SPHERE, -60, 60, 10, -140, -10, 10},  // PROJ's sphere shows points beyond the limb
    {"geostationary ellipsoid", "sat:e:0:-75:421.64:1,0,-75,25,17,1,1",
     "+proj=geos +sweep=y +lon_0=-75 +a=6378137 +b=6356752 +h=" +
         std::to_string(42164000.0 - 6378137.0),
     SAT_ELLIPSOID, -70, 70, 10, -140, -10, 10},
    {"latitude-longitude", "ll:0:-100,0,-100,25,17,1,1",
     "+proj=eqc +lon_0=-100 +R=57.29577951308232", 1.0, -90, 90, 10, -180, 170, 10},
};

struct Sample {
    double lat, lon;
};

std::vector<Sample> grid_of(const ProjCase &c)
{
    std::vector<Sample> pts;
    for (double lat = c.lat0; lat <= c.lat1 + 1e-9; lat += c.dlat)
        for (double lon = c.lon0; lon <= c.lon1 + 1e-9; lon += c.dlon) pts.push_back({lat, lon});
    return pts;
}

/// Lines of numbers (a "*" from PROJ becomes NaN; a line with other words gives no numbers).
std::vector<std::vector<double>> numbers(const std::string &text)
{
    std::vector<std::vector<double>> rows;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::vector<double> row;
        std::string w;
        while (words >> w) {
            char *end = nullptr;
            const double v = w == "*" ? NAN : std::strtod(w.c_str(), &end);
            if (w != "*" && *end != '\0') {
                row.clear();
                break;
            }
            row.push_back(v);
        }
        rows.push_back(row);
    }
    return rows;
}

double lon_diff(double a, double b) { return std::fabs(std::remainder(a - b, 360.0)); }

/// A longitude difference as degrees of arc along the parallel of lat.
double arc_diff(double a, double b, double lat) { return lon_diff(a, b) * std::cos(lat * M_PI / 180); }

TEST(MapProj, ForwardAndInverseAgreeWithProj)
{
    for (const ProjCase &c : CASES) {
        SCOPED_TRACE(c.name);
        const std::vector<Sample> pts = grid_of(c);
        std::string ours_in, proj_in;
        for (const Sample &p : pts) {
            ours_in += std::to_string(p.lat) + " " + std::to_string(p.lon) + "\n";
            proj_in += std::to_string(p.lon) + " " + std::to_string(p.lat) + "\n";
        }
        const auto proj = run("proj -f %.6f " + c.proj, proj_in);
        ASSERT_EQ(proj.status, 0) << proj.err;
        const auto ours = run(tool("map_tool") + " " + vyktest::quote(c.domain), ours_in);
        ASSERT_EQ(ours.status, 0) << ours.err;
        const auto theirs = numbers(proj.out);
        auto mine = numbers(ours.out);
        ASSERT_GE(mine.size(), 2u);
        mine.erase(mine.begin(), mine.begin() + 2);  // the result and the domain lines
        ASSERT_EQ(theirs.size(), pts.size());
        ASSERT_EQ(mine.size(), pts.size());

        // The extent of the projected points sets the tolerance.
        double extent = 0;
        for (const auto &t : theirs)
            if (std::isfinite(t[0]))
                extent = std::fmax(extent, std::fmax(std::fabs(t[0]), std::fabs(t[1])) * c.scale);
        const double tol = 1e-4 * extent;
        std::string back_in;
        int compared = 0;
        for (size_t k = 0; k < pts.size(); k++) {
            SCOPED_TRACE(std::to_string(pts[k].lat) + " " + std::to_string(pts[k].lon));
            if (!std::isfinite(theirs[k][0])) {
                EXPECT_EQ(mine[k][0], -9999) << "PROJ hides this point";
                continue;
            }
            if (mine[k][0] == -9999) {
                ADD_FAILURE() << "hidden here, PROJ places it at " << theirs[k][0] << " "
                              << theirs[k][1];
                continue;
            }
            compared++;
            EXPECT_NEAR(mine[k][0], theirs[k][0] * c.scale, tol);
            EXPECT_NEAR(mine[k][1], theirs[k][1] * c.scale, tol);
            // Forward then inverse returns the point (away from the poles' single longitude).
            EXPECT_NEAR(mine[k][2], pts[k].lat, 1e-4);
            if (std::fabs(pts[k].lat) < 89.9) {
                EXPECT_LE(arc_diff(mine[k][3], pts[k].lon, pts[k].lat), 1e-4);
            }
            // PROJ's own Mollweide poles lie 60 m outside the ellipse: no inverse of them.
            if (std::fabs(pts[k].lat) > 89.9) continue;
            char buf[80];
            std::snprintf(buf, sizeof buf, "%.9f %.9f\n", theirs[k][0] * c.scale,
                          theirs[k][1] * c.scale);
            back_in += buf;
        }
        EXPECT_GT(compared, static_cast<int>(pts.size()) / 3);

        // The inverse of PROJ's positions gives PROJ's places back.
        const auto back = run(tool("map_tool") + " -i " + vyktest::quote(c.domain), back_in);
        auto places = numbers(back.out);
        places.erase(places.begin(), places.begin() + 2);
        size_t j = 0;
        for (size_t k = 0; k < pts.size(); k++) {
            if (!std::isfinite(theirs[k][0]) || mine[k][0] == -9999 || std::fabs(pts[k].lat) > 89.9)
                continue;
            ASSERT_LT(j, places.size());
            const auto &p = places[j++];
            EXPECT_NEAR(p[0], pts[k].lat, 1e-4) << "inverse of " << theirs[k][0];
            if (std::fabs(pts[k].lat) < 89.9) {
                EXPECT_LE(arc_diff(p[1], pts[k].lon, pts[k].lat), 1e-4);
            }
        }
    }
}

/// The great-circle distance in degrees from the domain's pole (the equator under a satellite).
double centre_distance(const Domain &d, double lat, double lon)
{
    const double r = M_PI / 180, plat = d.proj == 9 ? 0 : d.plat;
    const double c = std::sin(plat * r) * std::sin(lat * r) +
                     std::cos(plat * r) * std::cos(lat * r) * std::cos((lon - d.plon) * r);
    return std::acos(std::fmax(-1.0, std::fmin(1.0, c))) / r;
}

/// Forward then inverse on the tangent form of the geostationary view and on random places.
TEST(MapProj, RoundTripsOnEveryProjection)
{
    const char *domains[] = {
        "ps:90:-105:60,60,-105,25,17,1,1",    "ps:-90:140,-70,140,25,17,1,1",
        "merc:0:-100,30,-100,25,17,1,1",      "lc:40:-100:30:60,40,-100,25,17,1,1",
        "lc:-40:135:-30:-60,-30,135,25,17,1,1", "ortho:45:10,45,10,25,17,1,1",
        "lambaz:-50:10,50,10,25,17,1,1",      "moll:0:20,0,20,25,17,1,1",
        "sat:0:140,0,140,25,17,1,1",          "sat:e:0:140,0,140,25,17,1,1",
        "ll:0:-100,0,-100,25,17,1,1",
    };
    for (const char *text : domains) {
        SCOPED_TRACE(text);
        Domain d;
        ASSERT_EQ(DOM_decode(text, &d), 1);
        MAP_domain(&d);
        int placed = 0;
        for (double lat = -88; lat <= 88; lat += 7.3) {
            for (double lon = -179; lon < 180; lon += 11.7) {
                float x, y, la, lo;
                if (MAP_tran(lat, lon, &x, &y) == 0) continue;
                // Float plot coordinates carry too few digits near a limb or an antipode, and
                // near the Mollweide map's edge and poles.
                const double dist = centre_distance(d, lat, lon);
                if ((d.proj == 5 && dist > 80) || (d.proj == 8 && dist > 150) ||
                    (d.proj == 9 && dist > 70) ||
                    (d.proj == 7 && (std::fabs(lat) > 80 || lon_diff(lon, d.plon) > 170)))
                    continue;
                // The polar maps show the far hemisphere at 75 degrees.
                if ((d.proj == 1 && std::fabs(lat) > 75) || (d.proj == 4 && std::fabs(lat) > 88))
                    continue;
                placed++;
                ASSERT_EQ(MAP_untran(x, y, &la, &lo), 1) << lat << " " << lon;
                EXPECT_NEAR(la, lat, 1e-4) << lat << " " << lon;
                EXPECT_LE(arc_diff(lo, lon, lat), 1e-4) << lat << " " << lon;
            }
        }
        EXPECT_GT(placed, 50);
    }
}

TEST(MapProj, CasesOfTheFormulas)
{
    Domain d;
    float x, y, lat, lon;

    // North-polar stereographic: the pole at the origin, plon straight down, K = R (1 + sin 60),
    // everything south of -75 drawn at -75.
    ASSERT_EQ(DOM_decode("ps:90:-105,60,-105,25,17,1,1", &d), 1);
    MAP_domain(&d);
    MAP_tran(90, 0, &x, &y);
    EXPECT_NEAR(x, 0, 1e-5);
    EXPECT_NEAR(y, 0, 1e-5);
    MAP_tran(0, -105, &x, &y);
    EXPECT_NEAR(x, 0, 1e-5);
    EXPECT_NEAR(y, -R * (1 + std::sin(M_PI / 3)), 1e-4);
    float x75, y75;
    MAP_tran(-75, 30, &x75, &y75);
    MAP_tran(-89, 30, &x, &y);
    EXPECT_FLOAT_EQ(x, x75);
    EXPECT_FLOAT_EQ(y, y75);

    // Mercator: 89.95 and 90 both at 89.9.
    ASSERT_EQ(DOM_decode("merc:0:0,0,0,25,17,1,1", &d), 1);
    MAP_domain(&d);
    float y899;
    MAP_tran(89.9f, 0, &x, &y899);
    MAP_tran(90, 0, &x, &y);
    EXPECT_FLOAT_EQ(y, y899);

    // Latitude-longitude with plon -100: 100 gives -160, 81 gives -179, x = 190 is 90.
    ASSERT_EQ(DOM_decode("ll:0:-100,0,-100,25,17,1,1", &d), 1);
    MAP_domain(&d);
    MAP_tran(0, 100, &x, &y);
    EXPECT_FLOAT_EQ(x, -160);
    MAP_tran(0, 81, &x, &y);
    EXPECT_FLOAT_EQ(x, -179);
    MAP_untran(190, 0, &lat, &lon);
    EXPECT_FLOAT_EQ(lon, 90);

    // Orthographic: the point opposite the centre is hidden, the limb stays visible; an
    // orthographic domain without a pole latitude is centred on the equator.
    ASSERT_EQ(DOM_decode("ortho:45:10,45,10,25,17,1,1", &d), 1);
    MAP_domain(&d);
    EXPECT_EQ(MAP_tran(-45, -170, &x, &y), 0);
    EXPECT_EQ(x, -9999);
    EXPECT_EQ(MAP_tran(-45, 10, &x, &y), 1);
    EXPECT_NEAR(std::hypot(x, y), R, 1e-4);
    MAP_coord(VYK_MISS, 10);
    MAP_tran(0, 10, &x, &y);
    EXPECT_NEAR(x, 0, 1e-5);
    EXPECT_NEAR(y, 0, 1e-5);
    EXPECT_EQ(MAP_get_domain(nullptr)->plat, 0);

    // Lambert azimuthal: only the antipode is hidden; the centre inverts to the centre of the
    // domain (answering 0); farther than 2 R from it is off the earth.
    ASSERT_EQ(DOM_decode("lambaz:50:10,50,10,25,17,1,1", &d), 1);
    MAP_domain(&d);
    EXPECT_EQ(MAP_tran(-50, -170, &x, &y), 0);
    EXPECT_EQ(MAP_tran(-49.9f, -170, &x, &y), 1);
    EXPECT_EQ(MAP_untran(0, 0, &lat, &lon), 0);
    EXPECT_FLOAT_EQ(lat, 50);
    EXPECT_FLOAT_EQ(lon, 10);
    EXPECT_EQ(MAP_untran(2 * R + 0.01f, 0, &lat, &lon), 0);
    EXPECT_EQ(lat, -9999);

    // Mollweide: width 4 R and height 2 R; latitude 90 at x = 0; a point beyond |y| = R or
    // outside the ellipse is off the earth.
    ASSERT_EQ(DOM_decode("moll:0:0,0,0,25,17,1,1", &d), 1);
    MAP_domain(&d);
    MAP_tran(0, 180, &x, &y);
    EXPECT_NEAR(x, 2 * R, 1e-4);
    MAP_tran(90, 50, &x, &y);
    EXPECT_EQ(x, 0);
    EXPECT_NEAR(y, R, 1e-4);
    EXPECT_EQ(MAP_untran(0, R + 0.01f, &lat, &lon), 0);
    EXPECT_EQ(MAP_untran(2 * R - 1, 0.9f * R, &lat, &lon), 0);
    EXPECT_EQ(lat, -9999);
    EXPECT_EQ(lon, -9999);
    EXPECT_EQ(MAP_untran(R, 0.5f * R, &lat, &lon), 1);

    // Satellite view: the limb, and plot coordinates as tangents or angles of the scan.
    ASSERT_EQ(DOM_decode("sat:0:0,0,0,25,17,1,1", &d), 1);
    MAP_domain(&d);
    EXPECT_EQ(MAP_tran(0, 81.30f, &x, &y), 1);
    EXPECT_EQ(MAP_tran(0, 81.31f, &x, &y), 0);  // cos 81.31 < R / 421.61
    const double sat = 421.61;
    MAP_tran(0, 30, &x, &y);
    const double e = R * std::sin(M_PI / 6), D = sat - R * std::cos(M_PI / 6);
    EXPECT_NEAR(x, sat * e / D, 1e-4);
    ASSERT_EQ(DOM_decode("sat:0:0:421.61:1,0,0,25,17,1,1", &d), 1);
    MAP_domain(&d);
    MAP_tran(0, 30, &x, &y);
    EXPECT_NEAR(x, sat * std::atan(e / D), 1e-4);
}

/// A Lambert conformal domain: the tangent cone of 45 degrees has n = sin 45; the default cone
/// of 30 and 60 has n = 0.7155; one given true latitude is a tangent cone.
TEST(MapProj, LambertCones)
{
    struct Row {
        const char *domain;
        double n;
    };
    const Row rows[] = {
        {"lc:40:-100:45:45,40,-100,25,17,1,1", std::sin(M_PI / 4)},
        {"lc:40:-100,40,-100,25,17,1,1", 0.7155},
        {"lc:40:-100:25,40,-100,25,17,1,1", std::sin(25 * M_PI / 180)},
        {"lc:-40:-100:-25,40,-100,25,17,1,1", std::sin(25 * M_PI / 180)},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.domain);
        Domain d;
        ASSERT_EQ(DOM_decode(r.domain, &d), 1);
        MAP_domain(&d);
        // Meridians 10 degrees apart meet at the apex at n times 10 degrees.
        float x1, y1, x2, y2;
        MAP_tran(50, -100, &x1, &y1);
        MAP_tran(50, -90, &x2, &y2);
        const double angle = std::atan2(x2, std::fabs(y2)) - std::atan2(x1, std::fabs(y1));
        EXPECT_NEAR(angle * 180 / M_PI / 10, r.n, 1e-4);
    }
}

/// The exact centre of a Lambert azimuthal view goes back to (plat, plon) and answers 0; a
/// point a metre away is an ordinary point.  Callers look at the outputs, not the answer.
TEST(MapProj, LambertAzimuthalCentre)
{
    struct Row {
        const char *domain;
        float x, y;
        int answer;
        float lat, lon;
    };
    const Row rows[] = {
        {"lambaz:50:10,50,10,25,17,1,1", 0, 0, 0, 50, 10},
        {"lambaz:90:-105,60,-105,25,17,1,1", 0, 0, 0, 90, -105},
        {"lambaz:-90:140,-70,140,25,17,1,1", 0, 0, 0, -90, 140},
        {"lambaz:-35:-60,-35,-60,25,17,1,1", 0, 0, 0, -35, -60},
        // 1 m north and 1 m east of the centre (100 km units)
        {"lambaz:50:10,50,10,25,17,1,1", 0, 1e-5f, 1, 50.000009f, 10},
        {"lambaz:-35:-60,-35,-60,25,17,1,1", 1e-5f, 0, 1, -35, -59.999989f},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(std::string(r.domain) + " at " + std::to_string(r.x) + " " + std::to_string(r.y));
        Domain d;
        ASSERT_EQ(DOM_decode(r.domain, &d), 1);
        MAP_domain(&d);
        float lat = 1, lon = 1;
        EXPECT_EQ(MAP_untran(r.x, r.y, &lat, &lon), r.answer);
        EXPECT_NEAR(lat, r.lat, 1e-5);
        EXPECT_NEAR(lon, r.lon, 1e-5);
        EarthPoint e{};
        EXPECT_EQ(MAP_tran_pe(Point{r.x, r.y}, &e), r.answer);
        EXPECT_EQ(e.lat, lat);
    }
}

}  // namespace
