// Directions, distances and the decluttering grid: plot directions against PROJ's meridian
// convergence, the inverse turn, the scale factor, offsets against a haversine, and the cells of
// the decluttering grid.
#include <gtest/gtest.h>

#include "test_util.h"
#include "vykplot.h"

#include <cmath>
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
                for (float km : {10.0f, 500.0f}) {
                    float xf, yf, lat, lon;
                    ASSERT_EQ(MAP_offset(xi, yi, dir, km, &xf, &yf), 1);
                    MAP_untran(xf, yf, &lat, &lon);
                    EXPECT_NEAR(haversine(s[0], s[1], lat, lon), km, km * 1e-4 + 0.01)
                        << s[0] << " " << s[1] << " dir " << dir;
                }
                // Over a short segment the plot segment's true direction is dir.
                float xf, yf;
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
