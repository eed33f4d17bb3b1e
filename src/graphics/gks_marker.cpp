// Polymarkers: a marker of the current type, size, width and colour at each of a list of world
// points, stroked in device coordinates so that its size does not follow the transformation;
// the marker shapes as rows of strokes, and the marker attribute setters.  Markers carry the
// drop shadow that the text layer holds.
#include "gks.h"
#include "gks_internal.h"

#include <cmath>

namespace {

struct State {
    Gmarker_attr attr;  // reset with every kernel initialisation
} marker;

// ---------------------------------------------------------------------------------------------
// The shapes
// ---------------------------------------------------------------------------------------------
// A marker is up to four strokes through points (fx, fy) x the half size s about its centre; the
// 2 x 2 block of type 1 has a half size of 1 whatever the size.  y runs as on the device: the
// triangle's apex is up on the screen.

struct Stroke {
    int n;
    double f[13][2];
};
struct Shape {
    bool unit;  // the half size is 1, not the marker's
    int strokes;
    Stroke stroke[4];
};

constexpr double C30 = 0.866, S30 = 0.5;  // cos and sin of 30 degrees, as the circle has them

constexpr Shape shapes[] = {
    {true, 1, {{5, {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 0}}}}},  // 1: a 2 x 2 block
    {false, 2, {{2, {{-1, 0}, {1, 0}}}, {2, {{0, 1}, {0, -1}}}}},  // 2: plus
    {false, 4,  // 3: star
     {{2, {{-1, 0}, {1, 0}}}, {2, {{-1, -1}, {1, 1}}}, {2, {{0, 1}, {0, -1}}},
      {2, {{1, -1}, {-1, 1}}}}},
    {false, 1,  // 4: circle, a closed 12-gon
     {{13,
       {{-1, 0}, {-C30, S30}, {-S30, C30}, {0, 1}, {S30, C30}, {C30, S30}, {1, 0}, {C30, -S30},
        {S30, -C30}, {0, -1}, {-S30, -C30}, {-C30, -S30}, {-1, 0}}}}},
    {false, 2, {{2, {{-1, -1}, {1, 1}}}, {2, {{1, -1}, {-1, 1}}}}},  // 5: x
    {false, 1, {{5, {{-1, 1}, {1, 1}, {1, -1}, {-1, -1}, {-1, 1}}}}},  // 6: square
    {false, 1, {{4, {{-1, 1}, {1, 1}, {0, -1}, {-1, 1}}}}},  // 7: triangle, apex up on the screen
    {false, 1, {{1, {{0, 0}}}}},  // 8: dot
    {false, 1, {{4, {{-1, -1}, {1, -1}, {0, 1}, {-1, -1}}}}},  // 9: inverted triangle
};

// A coordinate of a stroke point: the centre moved by the factor times s, the product formed in
// double precision and stored as a float.
inline float at(float centre, double factor, float s)
{
    return factor == 0 ? centre : centre + static_cast<float>(factor * static_cast<double>(s));
}

// Draws the strokes of one marker with a shadow of `depth` copies under it, one device unit
// further right and down the picture each time, in the shadow's pen.
void draw_with_shadow(const Gdevice &dev, float cx, float cy, float size, int depth)
{
    if (depth > 0 && dev.marker_shadow) {
        const float down = dev.units == GUNITS_PIXELS ? 1.0f : -1.0f;
        dev.marker_shadow(true);
        for (int k = 0; k < depth; k++)
            draw_marker(cx + static_cast<float>(k), cy + down * static_cast<float>(k), size);
        dev.marker_shadow(false);
    }
    draw_marker(cx, cy, size);
}

}  // namespace

const Gmarker_attr &gmarker_attr() { return marker.attr; }

// ---------------------------------------------------------------------------------------------
// Drawing
// ---------------------------------------------------------------------------------------------

Gint gpolymarker(Gint n, const Gpt *points)
{
    if (!gcheck_points("gpolymarker", n, points, 0)) return -1;
    if (n == 0) return 0;
    gnew_points(GOBJ_POLYMARKER, n, points);
    const auto polymarker = gdev().polymarker;
    return polymarker ? polymarker(n, points) : 0;
}

int gstroke_markers(Gint n, const Gpt *points)
{
    const Gdevice &dev = gdev();
    if (dev.marker_begin) dev.marker_begin(n);
    const float size =
        static_cast<float>(dev.marker_scale * static_cast<double>(10.0f * marker.attr.size));
    const int depth = gget_font_drop();
    for (Gint i = 0; i < n; i++) {
        float cx, cy;
        if (dev.units == GUNITS_PIXELS) {
            cx = static_cast<float>(static_cast<double>(xW_p(points[i].x)) + 0.5);
            cy = static_cast<float>(static_cast<double>(yW_p(points[i].y)) + 0.5);
        } else {
            cx = xW_ps(points[i].x);
            cy = yW_ps(points[i].y);
        }
        draw_with_shadow(dev, cx, cy, size, depth);
    }
    return 0;
}

int draw_marker(float cx, float cy, float S)
{
    const int type = marker.attr.type;
    if (type < 1 || type > static_cast<int>(sizeof shapes / sizeof shapes[0])) return 0;
    const Shape &shape = shapes[type - 1];
    const float s = shape.unit ? 1.0f : std::trunc(S / 2);
    for (int k = 0; k < shape.strokes; k++) {
        const Stroke &stroke = shape.stroke[k];
        Gpt p[13];
        for (int i = 0; i < stroke.n; i++)
            p[i] = {at(cx, stroke.f[i][0], s), at(cy, stroke.f[i][1], s)};
        mark_draw(stroke.n, p);
    }
    return 0;
}

int mark_draw(int n, const Gpt *points)
{
    if (n < 1 || !points) return 0;
    if (const auto stroke = gdev().stroke) stroke(n, points);
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Attributes
// ---------------------------------------------------------------------------------------------

Gint gset_marker_colr_ind(Gint ind)
{
    return gset_colour("gset_marker_colr_ind", ind, marker.attr.color, GOBJ_MARKER_COLR);
}

Gint gset_marker_size(Gfloat size)
{
    return gset_measure("gset_marker_size", "marker size", size,
                        marker.attr.size, GOBJ_MARKER_SIZE);
}

Gint gset_marker_type(Gint type)
{
    return gset_number("gset_marker_type", "marker type", type, true, marker.attr.type,
                       GOBJ_MARKER_TYPE);
}

Gint gset_marker_width(Gfloat width)
{
    return gset_measure("gset_marker_width", "marker width", width,
                        marker.attr.width, GOBJ_MARKER_WIDTH);
}

int gget_marker_colr() { return marker.attr.color; }

int greset_marker()
{
    marker.attr = Gmarker_attr{};
    return 0;
}
