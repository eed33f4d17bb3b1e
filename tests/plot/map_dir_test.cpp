// Directions, distances and the decluttering grid: plot directions against PROJ's meridian
// convergence, the inverse turn, the scale factor, offsets worked out by hand and placed by PROJ,
// and the cells of the decluttering grid.
#include <gtest/gtest.h>

#include "test_util.h"
#include "vykplot.h"

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

using vyktest::run;

namespace {

void make_current(const char *text)
{
    Domain d;
    ASSERT_GT(DOM_decode(text, &d), 0) << text;
    MAP_domain(&d);
}

double angle_diff(double a, double b) { return std::fabs(std::remainder(a - b, 360.0)); }

/// PROJ's meridian convergence at each (lat, lon), in degrees.
std::vector<double> convergence(const std::string &proj, const std::vector<std::pair<double, double>> &pts)
{
    std::string in;
    for (const auto &p : pts) in += std::to_string(p.second) + " " + std::to_string(p.first) + "\n";
    const auto r = run("proj -V " + proj, in);
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<double> out;
    std::istringstream lines(r.out);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("Convergence", 0) != 0) continue;
        const size_t open = line.find('[');
        if (open != std::string::npos) out.push_back(std::stod(line.substr(open + 1)));
    }
    return out;
}

/// Plot direction = true direction - convergence, on every projection that turns directions.
TEST(MapDir, PlotDirectionsAgreeWithProjsConvergence)
{
    struct Case {
        const char *domain;
        std::string proj;
        std::vector<std::pair<double, double>> pts;
    };
    const std::string S = " +R=6371220";
    const Case cases[] = {
        {"ps:90:-105:60,60,-105,25,17,1,1", "+proj=stere +lat_0=90 +lat_ts=60 +lon_0=-105" + S,
         {{40, -90}, {40, -120}, {70, 60}, {10, -20}}},
        {"ps:-90:140:-60,-70,140,25,17,1,1", "+proj=stere +lat_0=-90 +lat_ts=-60 +lon_0=140" + S,
         {{-40, 120}, {-70, 170}, {-20, -50}}},
        {"lc:40:-100:30:60,40,-100,25,17,1,1",
         "+proj=lcc +lat_1=30 +lat_2=60 +lat_0=90 +lon_0=-100" + S, {{40, -80}, {20, -130}, {60, -60}}},
        {"lc:40:-100:45,40,-100,25,17,1,1",
         "+proj=lcc +lat_1=45 +lat_0=90 +lon_0=-100" + S, {{40, -80}, {20, -130}}},
        {"lc:-40:145:-30:-60,-30,145,25,17,1,1",
         "+proj=lcc +lat_1=-30 +lat_2=-60 +lat_0=-90 +lon_0=145" + S,
         {{-20, 120}, {-40, 170}, {-60, 140}}},
        {"lc:-40:145:-45,-30,145,25,17,1,1",
         "+proj=lcc +lat_1=-45 +lat_0=-90 +lon_0=145" + S, {{-20, 120}, {-40, 170}}},
        {"sat:0:-75:421.64:1,0,-75,25,17,1,1",
         "+proj=geos +sweep=y +lon_0=-75 +h=" + std::to_string(42164000.0 - 6371220.0) + S,
         {{10, -60}, {-40, -100}, {50, -40}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.domain);
        const std::vector<double> conv = convergence(c.proj, c.pts);
        ASSERT_EQ(conv.size(), c.pts.size());
        make_current(c.domain);
        for (size_t k = 0; k < c.pts.size(); k++) {
            float x, y;
            ASSERT_EQ(MAP_tran(c.pts[k].first, c.pts[k].second, &x, &y), 1);
            // The satellite view is not conformal: the convergence is the turn of north only.
            const bool conformal = c.domain[0] != 's';
            for (float dir : {0.0f, 45.0f, 180.0f, 200.0f}) {
                const float plot = MAP_dir_adj(dir, x, y);
                EXPECT_LE(angle_diff(MAP_undir_adj(plot, x, y), dir), 0.01);
                if (!conformal && dir != 0 && dir != 180) continue;
                EXPECT_LE(angle_diff(plot, dir - conv[k]), 0.01)
                    << "at " << c.pts[k].first << " " << c.pts[k].second << " dir " << dir;
            }
        }
    }
}

TEST(MapDir, AtThePoleAndOnTheMeridians)
{
    make_current("ps:90:-105,60,-105,25,17,1,1");
    EXPECT_FLOAT_EQ(MAP_dir_adj(0, 0, 0), 105);
    EXPECT_FLOAT_EQ(MAP_undir_adj(105, 0, 0), 0);
    // East of the pole the meridian runs to the right: a wind from 270 blows down the plot.
    EXPECT_FLOAT_EQ(MAP_dir_adj(270, 10, 0), 180);
    EXPECT_FLOAT_EQ(MAP_undir_adj(180, 10, 0), 270);
    EXPECT_FLOAT_EQ(MAP_uvdir_adj(270, 5, 10, 0), 180);

    // A north wind on the meridian plon just below the pole comes straight down the meridian,
    // as it does at the pole of a map whose meridian 0 runs down.
    EXPECT_FLOAT_EQ(MAP_dir_adj(0, 0, -0.01f), 0);
    make_current("ps:90:0,60,0,25,17,1,1");
    EXPECT_FLOAT_EQ(MAP_dir_adj(0, 0, 0), 0);

    // A missing direction stays missing.
    EXPECT_EQ(MAP_dir_adj(-9999, 10, 0), -9999);
}

TEST(MapDir, KindsThatLeaveDirectionsAsTheyAre)
{
    for (const char *text : {"ll,40,-100,25,17,1,1", "merc,40,-100,25,17,1,1", "ortho,40,-100,25,17,1,1",
                             "moll,40,-100,25,17,1,1", "lambaz,40,-100,25,17,1,1", "xy,0,0,10,10,1,1"}) {
        SCOPED_TRACE(text);
        make_current(text);
        EXPECT_EQ(MAP_dir_adj(123, 5, 7), 123);
        EXPECT_EQ(MAP_undir_adj(123, 5, 7), 123);
        EXPECT_EQ(MAP_uvdir_adj(123, 1, 5, 7), 123);
        EXPECT_EQ(MAP_factor(30, 0), 1);
    }
}

TEST(MapDir, SatelliteViewNearTheLimbAndOffTheEarth)
{
    // A low orbit, where float plot coordinates resolve the last kilometres before the limb.
    make_current("sat:0:0:64,0,0,25,17,1,1");
    // The plot's edge of the earth on the equator, x = sat_rad R / sqrt(sat_rad^2 - R^2).
    const double sat = 64, R = 63.7122;
    const float x = static_cast<float>(sat * R / std::sqrt(sat * sat - R * R)) - 1e-4f, y = 0;
    float lat, lon;
    ASSERT_EQ(MAP_untran(x, y, &lat, &lon), 1);
    EXPECT_EQ(MAP_dir_adj(90, x, y), -9999);  // 1 km east is beyond the limb
    EXPECT_NE(MAP_dir_adj(270, x, y), -9999);
    // A start point off the earth: no direction, no offset.
    EXPECT_EQ(MAP_dir_adj(0, 200, 200), -9999);
    float xf = 1, yf = 1;
    EXPECT_EQ(MAP_offset(200, 200, 0, 100, &xf, &yf), 0);
    EXPECT_EQ(xf, -9999);
    EXPECT_EQ(yf, -9999);
    make_current("ortho:45:10,45,10,25,17,1,1");
    EXPECT_EQ(MAP_offset(70, 0, 0, 100, &xf, &yf), 0);
    EXPECT_EQ(xf, -9999);
}

TEST(MapDir, ScaleFactors)
{
    make_current("ps:90:-105,60,-105,25,17,1,1");
    EXPECT_NEAR(MAP_factor(60, 0), 1, 1e-6);
    EXPECT_NEAR(MAP_factor(0, 0), 1 + std::sin(M_PI / 3), 1e-5);
    make_current("ps:-90:140,-70,140,25,17,1,1");
    EXPECT_NEAR(MAP_factor(-60, 0), 1, 1e-6);
    EXPECT_NEAR(MAP_factor(0, 0), 1 + std::sin(M_PI / 3), 1e-5);
    // The domain's own true latitude, not always 60.
    make_current("ps:90:-105:45,60,-105,25,17,1,1");
    EXPECT_NEAR(MAP_factor(45, 0), 1, 1e-6);
    EXPECT_NEAR(MAP_factor(90, 0), (1 + std::sin(M_PI / 4)) / 2, 1e-5);
    make_current("lc:40:-100:30:60:0.95,40,-100,25,17,1,1");
    EXPECT_FLOAT_EQ(MAP_factor(45, -100), 0.95f);
    make_current("lc:40:-100:30:60,40,-100,25,17,1,1");
    EXPECT_NEAR(MAP_factor(30, -100), 1, 1e-5);
    EXPECT_NEAR(MAP_factor(60, -90), 1, 1e-5);
    EXPECT_LT(MAP_factor(45, -100), 1);
}

/// The great-circle distance in km on the sphere of 111.195 km per degree.
double haversine(double lat1, double lon1, double lat2, double lon2)
{
    const double r = M_PI / 180, R = 111.195 * 180 / M_PI;
    const double a = std::pow(std::sin((lat2 - lat1) * r / 2), 2) +
                     std::cos(lat1 * r) * std::cos(lat2 * r) * std::pow(std::sin((lon2 - lon1) * r / 2), 2);
    return 2 * R * std::asin(std::sqrt(a));
}

/// PROJ's plot position (100 km units) of each (lat, lon) on a sphere of radius 63.7122.
std::vector<std::pair<double, double>> proj_positions(const std::string &proj,
                                                     const std::vector<std::pair<double, double>> &pts)
{
    std::string in;
    char line[64];
    for (const auto &p : pts) {
        std::snprintf(line, sizeof line, "%.8f %.8f\n", p.second, p.first);
        in += line;
    }
    const auto r = run("proj -f %.6f " + proj + " +R=6371220", in);
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<std::pair<double, double>> out;
    std::istringstream lines(r.out);
    double x, y;
    while (lines >> x >> y) out.emplace_back(x / 1e5, y / 1e5);
    return out;
}

/// The offset is a flat step: latitude + km cos(dir) / 111.195, longitude + km sin(dir) /
/// (111.195 cos lat).  A step past a pole goes on down the meridian on the far side, and from a
/// pole itself direction dir leads down meridian lon + 180 - dir (north) or lon + dir (south),
/// lon being the pole's longitude on the plot.  The ends were worked out by hand; the plot
/// points are PROJ's.
TEST(MapDir, OffsetsAreFlatStepsGuardedAtThePoles)
{
    struct Case {
        const char *domain, *proj;
        float lat, lon, dir, km;
        double lat2, lon2;
    };
    const char *PS_N = "ps:90:-105,60,-105,25,17,1,1", *PS_S = "ps:-90:140,-70,140,25,17,1,1";
    const char *STERE_N = "+proj=stere +lat_0=90 +lat_ts=60 +lon_0=-105";
    const char *STERE_S = "+proj=stere +lat_0=-90 +lat_ts=-60 +lon_0=140";
    const Case cases[] = {
        {PS_N, STERE_N, 45, -100, 45, 200, 46.27183, -98.20136},
        {"lc:40:-100:30:60,40,-100,25,17,1,1", "+proj=lcc +lat_1=30 +lat_2=60 +lat_0=90 +lon_0=-100",
         40, -100, 90, 500, 40, -94.13010},
        {"lc:-40:145:-30:-60,-30,145,25,17,1,1",
         "+proj=lcc +lat_1=-30 +lat_2=-60 +lat_0=-90 +lon_0=145", -30, 140, 300, 800, -26.40272,
         132.80543},
        {"merc:0:-100,30,-100,25,17,1,1", "+proj=merc +lon_0=-100", 30, -100, 135, 300, 28.09225,
         -97.79712},
        // Near the north pole: across it onto the far meridian; round it along the parallel.
        {PS_N, STERE_N, 89, -105, 0, 300, 88.30204, 75},
        {PS_N, STERE_N, 89.5f, 60, 90, 200, 89.5, -93.88819},
        // From the pole itself, whose longitude on this plot is -105.
        {PS_N, STERE_N, 90, -105, 90, 111.195f, 89, -15},
        // Near the south pole and from it (longitude 140 on the plot).
        {PS_S, STERE_S, -89, 140, 180, 300, -88.30204, -40},
        {PS_S, STERE_S, -88, 10, 250, 150, -88.46138, -26.32224},
        {PS_S, STERE_S, -90, 140, 30, 222.39f, -88, 170},
        // From the centre of an azimuthal view; 200 degrees north crosses both poles.
        {"lambaz:50:10,50,10,25,17,1,1", "+proj=laea +lat_0=50 +lon_0=10", 50, 10, 0, 111.195f,
         51, 10},
        {"lambaz:0:0,0,0,25,17,1,1", "+proj=laea +lat_0=0 +lon_0=0", 80, 20, 0, 22239, -80, 20},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.domain) + " from " + std::to_string(c.lat) + " " +
                     std::to_string(c.lon) + " dir " + std::to_string(c.dir));
        make_current(c.domain);
        const auto want = proj_positions(c.proj, {{c.lat2, c.lon2}});
        ASSERT_EQ(want.size(), 1u);
        float xi, yi, xf = 0, yf = 0, lat, lon;
        ASSERT_EQ(MAP_tran(c.lat, c.lon, &xi, &yi), 1);
        ASSERT_EQ(MAP_offset(xi, yi, c.dir, c.km, &xf, &yf), 1);
        EXPECT_NEAR(xf, want[0].first, 2e-4);
        EXPECT_NEAR(yf, want[0].second, 2e-4);
        MAP_untran(xf, yf, &lat, &lon);
        EXPECT_NEAR(lat, c.lat2, 1e-4);
        // the longitude to 1e-4 degrees of the equator (near a pole it is given by less)
        EXPECT_LE(angle_diff(lon, c.lon2) * std::cos(c.lat2 * M_PI / 180), 1e-4) << lon;
    }
}

TEST(MapDir, OffsetsAndSegmentDirections)
{
    for (const char *text : {"lc:40:-100:30:60,40,-100,25,17,1,1", "ps:90:-105,60,-105,25,17,1,1",
                             "merc:0:-100,30,-100,25,17,1,1", "lc:-40:145:-30:-60,-30,145,25,17,1,1"}) {
        SCOPED_TRACE(text);
        make_current(text);
        const float starts[][2] = {{40, -100}, {55, -80}, {-30, 140}, {70, -120}};
        for (const auto &s : starts) {
            float xi, yi;
            if (MAP_tran(s[0], s[1], &xi, &yi) == 0) continue;
            for (float dir : {0.0f, 60.0f, 135.0f, 270.0f}) {
                // A short step is as long on the earth as it was asked to be; a long one
                // keeps its north and east parts on the parallel it starts from.
                float xf, yf, lat, lon;
                ASSERT_EQ(MAP_offset(xi, yi, dir, 10, &xf, &yf), 1);
                MAP_untran(xf, yf, &lat, &lon);
                EXPECT_NEAR(haversine(s[0], s[1], lat, lon), 10, 0.011)
                    << s[0] << " " << s[1] << " dir " << dir;
                ASSERT_EQ(MAP_offset(xi, yi, dir, 500, &xf, &yf), 1);
                MAP_untran(xf, yf, &lat, &lon);
                const double r = M_PI / 180;
                EXPECT_NEAR((lat - s[0]) * 111.195, 500 * std::cos(dir * r), 0.05) << dir;
                EXPECT_NEAR(std::remainder(lon - s[1], 360.0) * 111.195 * std::cos(s[0] * r),
                            500 * std::sin(dir * r), 0.05)
                    << dir;
                // Over a short segment the plot segment's true direction is dir.
                MAP_offset(xi, yi, dir, 1, &xf, &yf);
                EXPECT_LE(angle_diff(MAP_dir(xi, yi, xf, yf), dir), 0.05) << dir;
            }
        }
    }
    // From the pole itself.
    make_current("ps:90:-105,60,-105,25,17,1,1");
    float xf, yf, lat, lon;
    ASSERT_EQ(MAP_offset(0, 0, 0, 111.195f, &xf, &yf), 1);
    MAP_untran(xf, yf, &lat, &lon);
    EXPECT_NEAR(lat, 89, 1e-4);
}

TEST(MapDir, DeclutteringGrid)
{
    make_current("ll:0:0,0,0,10,10,1,1");  // 10 by 10 points of 1 degree
    MAP_limits l;
    MAP_get_limits(&l);
    auto at = [&](float gx, float gy, float *x, float *y) { MAP_grid_tran(gx, gy, x, y); };
    float x1, y1, x2, y2, xo, yo;
    at(2.2f, 3.3f, &x1, &y1);
    at(2.7f, 3.9f, &x2, &y2);
    at(-0.5f, 3, &xo, &yo);

    // Off: every point passes.
    MAP_plot_grid_init();
    EXPECT_EQ(MAP_plot_grid(x1, y1), 1);
    EXPECT_EQ(MAP_plot_grid(x1, y1), 1);

    // One point per grid cell; outside the grid nothing.
    MAP_set_plot_limit(1);
    MAP_plot_grid_init();
    EXPECT_EQ(MAP_plot_grid(x1, y1), 1);
    EXPECT_EQ(MAP_plot_grid(x2, y2), 0);
    EXPECT_EQ(MAP_plot_grid(xo, yo), 0);
    EXPECT_EQ(MAP_plot_grid(NAN, y1), 0);
    EXPECT_EQ(MAP_plot_grid(-9999, -9999), 0);

    // Two by two cells per grid cell: the two points fall apart.
    MAP_set_plot_limit(2);
    MAP_plot_grid_init();
    EXPECT_EQ(MAP_plot_grid(x1, y1), 1);
    EXPECT_EQ(MAP_plot_grid(x2, y2), 1);
    float x3, y3;
    at(8.9f, 8.9f, &x3, &y3);  // the last corner: cell 17 + 17 * 20 of 400
    EXPECT_EQ(MAP_plot_grid(x3, y3), 1);
    EXPECT_EQ(MAP_plot_grid(x3, y3), 0);

    // One cell per two by two grid cells: (2.2, 3.3) and (3.9, 2.1) share cell 1 + 1 * 10.
    MAP_set_plot_limit(-2);
    MAP_plot_grid_init();
    float x4, y4;
    at(3.9f, 2.1f, &x4, &y4);
    EXPECT_EQ(MAP_plot_grid(x1, y1), 1);
    EXPECT_EQ(MAP_plot_grid(x4, y4), 0);

    // Every point inside passes, none outside.
    MAP_set_plot_limit(-1);
    MAP_plot_grid_init();
    EXPECT_EQ(MAP_plot_grid(x1, y1), 1);
    EXPECT_EQ(MAP_plot_grid(x1, y1), 1);
    EXPECT_EQ(MAP_plot_grid(xo, yo), 0);

    // A grid too large to allocate is refused: points pass.
    make_current("ll:0:0,0,0,100000,100000,0.001,0.001");
    MAP_set_plot_limit(1000);
    vyktest::CaptureStdio cap;
    MAP_plot_grid_init();
    cap.finish();
    EXPECT_NE(cap.err().find("refused"), std::string::npos);
    EXPECT_EQ(MAP_plot_grid(0, 0), 1);
}

}  // namespace
