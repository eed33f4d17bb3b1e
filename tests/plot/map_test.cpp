// The current map domain: making domains current, plot limits, grid positions, conversions
// between domains, and what the transforms give for input they cannot place.
#include <gtest/gtest.h>

#include "test_util.h"
#include "vykplot.h"

#include <cmath>
#include <limits>
#include <string>

using vyktest::CaptureStdio;

namespace {

Domain decoded(const char *text)
{
    Domain d;
    EXPECT_GT(DOM_decode(text, &d), 0) << text;
    return d;
}

TEST(Map, WithoutADomainTheTransformsAreTheIdentity)
{
    float x, y, lat, lon;
    EXPECT_EQ(MAP_get_proj(), -9999);
    EXPECT_EQ(MAP_tran(40, -100, &x, &y), 1);
    EXPECT_EQ(x, 40);
    EXPECT_EQ(y, -100);
    EXPECT_EQ(MAP_untran(40, -100, &lat, &lon), 1);
    EXPECT_EQ(lat, 40);
    EXPECT_EQ(lon, -100);
    EXPECT_EQ(MAP_in_domain(1e6f, -1e6f), 1);
    EXPECT_EQ(MAP_domain(nullptr), -1);
    EXPECT_EQ(MAP_get_proj(), -9999);
}

TEST(Map, MakingADomainCurrent)
{
    Domain d = decoded("ps,40,-100,25,17,1.2,1.2");
    EXPECT_EQ(d.plat, -9999);
    ASSERT_EQ(MAP_domain(&d), 0);
    Domain cur;
    MAP_get_domain(&cur);
    EXPECT_EQ(cur.plat, 40);  // a missing pole is the centre
    EXPECT_EQ(cur.plon, -100);
    EXPECT_EQ(MAP_get_clat(), 40);
    EXPECT_EQ(MAP_get_clon(), -100);

    // The centre is the middle of an nx by ny grid of dx by dy.
    MAP_limits l;
    MAP_get_limits(&l);
    float xc, yc;
    EXPECT_EQ(MAP_tran_center(&xc, &yc), 1);
    EXPECT_NEAR(l.x_min, xc - 12 * 1.2, 1e-4);
    EXPECT_NEAR(l.x_max, xc + 12 * 1.2, 1e-4);
    EXPECT_NEAR(l.y_min, yc - 8 * 1.2, 1e-4);
    EXPECT_NEAR(l.y_max, yc + 8 * 1.2, 1e-4);
    float ux, uy;
    MAP_get_up_left(&ux, &uy);
    EXPECT_EQ(ux, l.x_min);
    EXPECT_EQ(uy, l.y_max);

    // Grid positions: (0, 0) is the upper-left corner; rows count down.
    float x, y, gx, gy;
    EXPECT_EQ(MAP_grid_tran(0, 0, &x, &y), 0);
    EXPECT_EQ(x, l.x_min);
    EXPECT_EQ(y, l.y_max);
    MAP_grid_tran(24, 16, &x, &y);
    EXPECT_NEAR(x, l.x_max, 1e-4);
    EXPECT_NEAR(y, l.y_min, 1e-4);
    EXPECT_EQ(MAP_grid_untran(l.x_min, l.y_max, &gx, &gy), 0);
    EXPECT_EQ(gx, 0);
    EXPECT_EQ(gy, 0);
    EXPECT_EQ(MAP_grid_tran(-9999, 3, &x, &y), -1);
    EXPECT_EQ(x, -9999);
    EXPECT_EQ(MAP_grid_untran(-9999, 3, &gx, &gy), -1);
    EXPECT_EQ(gy, -9999);

    // The grid margin: 2.9 spacings left of the plot is in, 3.1 out.
    EXPECT_EQ(MAP_in_grid_domain(l.x_min - 2.9f * 1.2f, yc), 1);
    EXPECT_EQ(MAP_in_grid_domain(l.x_min - 3.1f * 1.2f, yc), 0);
    EXPECT_EQ(MAP_in_domain(l.x_min - 0.01f, yc), 0);
    EXPECT_EQ(MAP_in_domain(xc, yc), 1);
    EXPECT_EQ(MAP_in_domain(NAN, yc), 0);
}

TEST(Map, SettersOfTheCurrentDomain)
{
    Domain d = decoded("lc:40:-100,40,-100,25,17,1,1");
    MAP_domain(&d);
    float x1, y1, x2, y2;
    MAP_tran(50, -90, &x1, &y1);
    // New true latitudes take effect at the next emptying of the cache (MAP_coord).
    const float tl[2] = {45, 45};
    MAP_proj_coord(tl);
    EXPECT_EQ(MAP_get_domain(nullptr)->param[0], 45);
    MAP_tran(50, -90, &x2, &y2);
    EXPECT_EQ(x1, x2);
    MAP_coord(40, -100);
    MAP_tran(50, -90, &x2, &y2);
    EXPECT_NE(x1, x2);

    // Not on other kinds.
    Domain m = decoded("merc:0:0,0,0,25,17,1,1");
    MAP_domain(&m);
    MAP_proj_coord(tl);
    EXPECT_EQ(MAP_get_domain(nullptr)->param[0], -9999);

    EXPECT_EQ(MAP_proj(2), 0);
    EXPECT_EQ(MAP_get_proj(), 2);
    float x, y;
    MAP_tran(10, 20, &x, &y);
    EXPECT_FLOAT_EQ(x, 20);
    EXPECT_FLOAT_EQ(y, 10);
    EXPECT_EQ(MAP_proj_str("lambaz"), 8);
}

TEST(Map, ConversionBetweenDomains)
{
    const Domain ll = decoded("ll:0:0,0,0,25,17,1,1");
    const Domain ps = decoded("ps:90:-105,60,-105,25,17,1,1");
    const Domain ortho = decoded("ortho:0:0,0,0,25,17,1,1");
    MAP_domain(&ps);
    float x, y;
    // The same domain: the point is copied and nothing changes.
    EXPECT_EQ(MAP_domain_tran(&ll, &ll, 3, 4, &x, &y), 0);
    EXPECT_EQ(x, 3);
    EXPECT_EQ(y, 4);
    EXPECT_EQ(MAP_get_proj(), 1);
    // (lat 50, lon -105) on the latitude-longitude map to the polar map.
    EXPECT_EQ(MAP_domain_tran(&ll, &ps, -105, 50, &x, &y), 0);
    float px, py;
    MAP_tran(50, -105, &px, &py);
    EXPECT_NEAR(x, px, 1e-4);
    EXPECT_NEAR(y, py, 1e-4);
    EXPECT_EQ(MAP_get_proj(), 1);  // the current domain is back
    // A position off the earth of the first domain is no position on the second.
    MAP_domain_tran(&ortho, &ll, 100, 100, &x, &y);
    EXPECT_EQ(x, -9999);
    EXPECT_EQ(y, -9999);
}

/// Input without a value and kinds without formulas give -9999, never a stale or undefined
/// output, and never hang.
TEST(Map, WhatCannotBePlacedIsMissing)
{
    const float inf = std::numeric_limits<float>::infinity();
    const char *maps[] = {"ps,60,-100,25,17,1,1", "ll,0,0,25,17,1,1", "merc,0,0,25,17,1,1",
                          "lc,40,-100,25,17,1,1", "ortho,0,0,25,17,1,1", "moll,0,0,25,17,1,1",
                          "lambaz,0,0,25,17,1,1", "sat,0,0,25,17,1,1"};
    for (const char *text : maps) {
        SCOPED_TRACE(text);
        Domain d = decoded(text);
        MAP_domain(&d);
        float x = 1, y = 1, lat = 1, lon = 1;
        for (float bad : {NAN, inf, -inf}) {
            EXPECT_EQ(MAP_tran(10, bad, &x, &y), 0);
            EXPECT_EQ(x, -9999);
            EXPECT_EQ(MAP_tran(bad, 10, &x, &y), 0);
            EXPECT_EQ(MAP_untran(bad, 1, &lat, &lon), 0);
            EXPECT_EQ(lat, -9999);
            EXPECT_EQ(lon, -9999);
        }
        // Longitudes far out of range are reduced, not looped over.
        float x1, y1;
        const float far = 1e30f;
        const float near = static_cast<float>(std::remainder(static_cast<double>(far), 360.0));
        EXPECT_EQ(MAP_tran(10, far, &x, &y), MAP_tran(10, near, &x1, &y1));
        EXPECT_EQ(x, x1);
        MAP_tran(10, -9999, &x, &y);
        MAP_tran(10, 81, &x1, &y1);
        EXPECT_EQ(x, x1);
    }

    // Huge extents: limits without a value, but no crash.
    Domain big = decoded("ps,60,-100,2000000000,2000000000,1e38,1e38");
    MAP_domain(&big);
    MAP_limits l;
    MAP_get_limits(&l);
    EXPECT_FALSE(std::isnan(l.x_min));

    // The gnomonic projection and the named kinds without formulas: -9999, one warning.
    for (int kind : {6, 21, 30, 50, 51}) {
        SCOPED_TRACE(kind);
        Domain d = decoded("ps,60,-100,25,17,1,1");
        d.proj = kind;
        CaptureStdio cap;
        MAP_domain(&d);
        float x = 5, y = 5, lat = 5, lon = 5;
        EXPECT_EQ(MAP_tran(40, -100, &x, &y), 0);
        EXPECT_EQ(x, -9999);
        EXPECT_EQ(y, -9999);
        EXPECT_EQ(MAP_untran(1, 2, &lat, &lon), 0);
        EXPECT_EQ(lat, -9999);
        MAP_tran(41, -100, &x, &y);
        cap.finish();
        const std::string msg = "No transform for projection " + std::to_string(kind);
        const size_t at = cap.err().find(msg);
        EXPECT_NE(at, std::string::npos) << cap.err();
        EXPECT_EQ(cap.err().find(msg, at + 1), std::string::npos) << "warned once";
    }

    // A cone that true latitudes of 90 cannot make.
    Domain bad = decoded("lc:40:-100:90:90,40,-100,25,17,1,1");
    CaptureStdio cap;
    MAP_domain(&bad);
    float x, y;
    EXPECT_EQ(MAP_tran(40, -100, &x, &y), 0);
    EXPECT_EQ(x, -9999);
    cap.finish();
    EXPECT_NE(cap.err().find("undefined for its parameters"), std::string::npos) << cap.err();
}

}  // namespace
