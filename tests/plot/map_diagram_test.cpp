// The diagram spaces: the profiler's time-height section (kind 24), the other scaled kinds,
// the pressure and thermodynamic kinds, the hodograph and pixels.
#include <gtest/gtest.h>

#include "domain_util.h"
#include "vykplot.h"

#include <cmath>

namespace {

Domain diagram(int kind, float clat, float dx, int nx, float clon, float dy, int ny)
{
    Domain d = vyktest::make_domain(kind, clat, clon, dx, dy, nx, ny);
    MAP_domain(&d);
    return d;
}

MAP_limits limits()
{
    MAP_limits l;
    MAP_get_limits(&l);
    return l;
}

TEST(MapDiagram, TimeHeightSection)
{
    // The worked case: 12 by 18 plot units for 12 files and 18000 m from -1000 m.
    diagram(24, 0, 12, 12, -1000, 18000, 18);
    MAP_limits l = limits();
    EXPECT_FLOAT_EQ(l.x_min, 0);
    EXPECT_FLOAT_EQ(l.x_max, 12);
    EXPECT_FLOAT_EQ(l.y_min, -1000);
    EXPECT_FLOAT_EQ(l.y_max, -982);
    float x, y, a, b;
    EXPECT_EQ(MAP_tran(6, 8000, &x, &y), 1);
    EXPECT_FLOAT_EQ(x, 6);
    EXPECT_FLOAT_EQ(y, -991);

    // The profiler display's section: hourly files over 12 hours give the x extent
    // -(-43200) / 3600 + 2 = 14 (columns -1 to 13) on 25 plot units, heights from 1000 m below
    // the ground over 18000 m on 21.
    const float extent = static_cast<float>(43200 / 3600 + 2);
    ASSERT_EQ(extent, 14);
    diagram(24, -1, extent, 25, -1000, 18000, 21);
    l = limits();
    EXPECT_FLOAT_EQ(l.x_min, -1);
    EXPECT_FLOAT_EQ(l.x_max, 24);
    EXPECT_FLOAT_EQ(l.y_min, -1000);
    EXPECT_FLOAT_EQ(l.y_max, -979);
    MAP_tran(-1, -1000, &x, &y);  // one column before the first file, the bottom
    EXPECT_FLOAT_EQ(x, -1);
    EXPECT_FLOAT_EQ(y, -1000);
    MAP_tran(13, 17000, &x, &y);  // the last file plus one, the top
    EXPECT_FLOAT_EQ(x, 24);
    EXPECT_FLOAT_EQ(y, -979);
    MAP_tran(5, 3000, &x, &y);
    EXPECT_NEAR(x, -1 + 6 * 25.0 / 14, 1e-5);
    EXPECT_NEAR(y, -1000 + 4000 * 21.0 / 18000, 1e-4);
    MAP_untran(x, y, &a, &b);
    EXPECT_NEAR(a, 5, 1e-5);
    EXPECT_NEAR(b, 3000, 0.1);  // y holds float digits of -995
    // Limits survive a change of the pole (the factors are derived from the domain again).
    MAP_coord(0, 0);
    MAP_tran(5, 3000, &a, &b);
    EXPECT_FLOAT_EQ(a, x);
    EXPECT_FLOAT_EQ(b, y);

    // The lower form: 400 m below the ground over 8000 m.
    diagram(24, -1, extent, 25, -400, 8000, 21);
    MAP_tran(0, 7600, &x, &y);
    EXPECT_FLOAT_EQ(y, limits().y_max);
}

TEST(MapDiagram, ScaledAndReflectedKinds)
{
    float x, y, a, b;
    diagram(20, 10, 100, 20, 0, 50, 10);
    MAP_tran(60, 25, &x, &y);
    EXPECT_FLOAT_EQ(x, 10 + 50 * 0.2f);
    EXPECT_FLOAT_EQ(y, 5);

    // Kind 25: clon -1050, dy 950, ny 20 put 1050 at y = 1050 and 100 at y = 1070.
    diagram(25, 0, 10, 10, -1050, 950, 20);
    MAP_tran(0, 1050, &x, &y);
    EXPECT_FLOAT_EQ(y, 1050);
    MAP_tran(0, 100, &x, &y);
    EXPECT_FLOAT_EQ(y, 1070);
    MAP_untran(0, 1060, &a, &b);
    EXPECT_NEAR(b, 575, 1e-3);
}

TEST(MapDiagram, PressureHodographAndPixels)
{
    float x, y, a, b;
    // Kind 22: clon 1050 and dy -950 put the lower limit at -ln 1050, the upper at -ln 100.
    diagram(22, -40, 80, 0, 1050, -950, 0);
    MAP_limits l = limits();
    EXPECT_NEAR(l.y_min, -std::log(1050.0), 1e-5);
    EXPECT_NEAR(l.y_max, -std::log(100.0), 1e-5);
    MAP_untran(0, -std::log(500.0f), &a, &b);
    EXPECT_NEAR(b, 500, 1e-3);

    diagram(41, -40, 80, 0, 1050, -950, 0);
    MAP_tran(0, 500, &x, &y);
    MAP_untran(x, y, &a, &b);
    EXPECT_NEAR(b, 500, 0.01);

    diagram(23, -50, 100, 0, -50, 100, 0);
    MAP_tran(90, 10, &x, &y);
    EXPECT_NEAR(x, 10, 1e-5);
    EXPECT_NEAR(y, 0, 1e-5);
    MAP_untran(0, -10, &a, &b);
    EXPECT_FLOAT_EQ(a, 180);
    EXPECT_FLOAT_EQ(b, 10);
    MAP_untran(-10, 0, &a, &b);
    EXPECT_FLOAT_EQ(a, 270);
    EXPECT_EQ(limits().x_max, 50);

    diagram(99, 0, 640, 0, 0, 480, 0);
    MAP_tran(5, 7, &x, &y);
    EXPECT_EQ(x, 5);
    EXPECT_EQ(y, -7);
}

TEST(MapDiagram, ThermodynamicKindsRoundTrip)
{
    struct Row {
        int kind;
        float clon, dy;  // pressures, or potential temperatures in kelvin on kind 43
    };
    const Row rows[] = {{40, 1050, -950}, {42, 1050, -950}, {44, 1050, -950}, {43, 250, 150}};
    for (const Row &r : rows) {
        SCOPED_TRACE(r.kind);
        diagram(r.kind, -40, 80, 0, r.clon, r.dy, 0);
        const MAP_limits l = limits();
        EXPECT_LT(l.x_min, l.x_max);
        EXPECT_LT(l.y_min, l.y_max);
        for (float t : {-30.0f, 0.0f, 25.0f}) {
            for (float p : {1000.0f, 700.0f, 300.0f}) {
                float x, y, a, b;
                ASSERT_EQ(MAP_tran(t, p, &x, &y), 1);
                ASSERT_EQ(MAP_untran(x, y, &a, &b), 1);
                EXPECT_NEAR(a, t, 1e-3);
                EXPECT_NEAR(b, p, p * 1e-5);  // exponents of theta that agree
            }
        }
    }
    // The skew: on the skew-T, a colder point higher up sits further right than its
    // temperature alone would put it.
    diagram(40, -40, 80, 0, 1050, -950, 0);
    float x1, y1, x2, y2;
    MAP_tran(0, 1000, &x1, &y1);
    MAP_tran(0, 500, &x2, &y2);
    EXPECT_GT(x2, x1);
}

/// Logarithms of zero, negative or missing values and zero extents give -9999.
TEST(MapDiagram, ValuesWithoutAPlace)
{
    float x, y, a, b;
    for (int kind : {22, 40, 41, 42, 43, 44}) {
        SCOPED_TRACE(kind);
        diagram(kind, -40, 80, 0, kind == 43 ? 250 : 1050, kind == 43 ? 150 : -950, 0);
        for (float p : {0.0f, -100.0f, -9999.0f}) {
            x = y = 1;
            if (kind == 41 && p == 0.0f) continue;  // the Stuve axis has a place for 0
            EXPECT_EQ(MAP_tran(10, p, &x, &y), 0) << p;
            EXPECT_EQ(x, -9999);
            EXPECT_EQ(y, -9999);
        }
        if (kind == 43 || kind == 44) {
            EXPECT_EQ(MAP_tran(-9999, 500, &x, &y), 0);
            EXPECT_EQ(MAP_tran(-300, 500, &x, &y), 0);  // below absolute zero
        }
    }
    // Zero extents.
    for (int kind : {40, 43, 20, 24, 25}) {
        SCOPED_TRACE(kind);
        diagram(kind, -40, 0, 0, kind == 43 ? 250 : 1050, 0, 0);
        EXPECT_EQ(MAP_tran(10, 500, &x, &y), 0);
        EXPECT_EQ(x, -9999);
        EXPECT_EQ(MAP_untran(1, 1, &a, &b), 0);
        EXPECT_EQ(a, -9999);
        EXPECT_FALSE(std::isnan(limits().x_min));
    }
}

/// A view rectangle turns the skew and the tephigram's turn into 45 degrees on the screen.
TEST(MapDiagram, ViewOfTheSkewedKinds)
{
    const MAP_limits view = {0.1f, 0.9f, 0.1f, 0.5f};
    MAP_set_view(&view);
    diagram(40, -40, 80, 0, 1050, -950, 0);
    const MAP_limits l = limits();
    float x1, y1, x2, y2;
    MAP_tran(0, 1050, &x1, &y1);
    // An isotherm climbs 45 degrees in view units.
    MAP_tran(0, 300, &x2, &y2);
    const double vx = (x2 - x1) * 0.8 / (l.x_max - l.x_min);
    const double vy = (y2 - y1) * 0.4 / (l.y_max - l.y_min);
    EXPECT_NEAR(vx, vy, 1e-5);
}

}  // namespace
