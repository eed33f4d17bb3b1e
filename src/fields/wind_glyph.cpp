// wind_glyph.cpp: the wind glyphs that point plots and vector grids draw at a position: barbs
// with pennants, full and half barbs, downwind arrows, and motion tracks with cross ticks.
// Each is drawn in world coordinates with the kernel's polylines and fill areas in the
// caller's attributes.
#include "gks.h"
#include "vykplot.h"
#include "wind_glyph.h"

#include <cmath>

namespace {

// Barb layout, in fractions of the barb's size: the spacing of pennants and barbs along the
// staff, the length of a full barb (and a pennant's height) across it.
constexpr double STEP = 0.12;
constexpr double FULL = 0.5;
constexpr double HALF = 0.25;
constexpr float MAX_SPEED = 300;

bool unusable(float v) { return VYK_is_miss(v) || !std::isfinite(v); }

// The frame of a barb: the point a sizes along the staff (toward where the wind comes from)
// and b sizes across it (clockwise of the staff).
struct BarbFrame {
    double x, y, size;
    double sx, sy;  // unit vector along the staff
    double px, py;  // the staff turned 90 degrees clockwise

    BarbFrame(float x0, float y0, float dir, float sz) : x(x0), y(y0), size(sz)
    {
        const double rad = dir * VECT_DEG2RAD;
        sx = std::sin(rad);
        sy = std::cos(rad);
        px = sy;
        py = -sx;
    }
    Gpt at(double a, double b) const
    {
        return {static_cast<float>(x + a * size * sx + b * size * px),
                static_cast<float>(y + a * size * sy + b * size * py)};
    }
};

void line(const Gpt &a, const Gpt &b)
{
    const Gpt pts[2] = {a, b};
    gpolyline(2, pts);
}

// Counts of a barb's speed (already raised by 0.01): pennants of 50, full barbs of 10 and a
// half barb of 5, the speed rounded to the nearest 5.
struct BarbCounts {
    int pennants, full;
    bool half;
};

BarbCounts barb_counts(float spd)
{
    BarbCounts c;
    c.pennants = static_cast<int>(std::floor((spd + 2) / 50));
    const float rest = spd - 50.0f * static_cast<float>(c.pennants);
    c.full = static_cast<int>(std::floor((rest + 2) / 10));
    c.half = static_cast<int>(std::floor((rest + 2) / 5)) % 2 == 1;
    return c;
}

void draw_pennants(const BarbFrame &f, int count)
{
    for (int k = 0; k < count; k++) {
        const double t = STEP * k;
        const Gpt tri[4] = {f.at(1 - t, 0), f.at(1 - t, FULL), f.at(1 - STEP - t, 0),
                            f.at(1 - t, 0)};
        gfill_area(4, tri);
        gpolyline(4, tri);
    }
}

// Two heads strokes from tip: back along -w turned 45 degrees either way, scaled by g.
void arrow_head(const Gpt &tip, double wx, double wy, double g)
{
    const Gpt head[3] = {
        {static_cast<float>(tip.x + g * (-wx + wy)), static_cast<float>(tip.y + g * (-wy - wx))},
        tip,
        {static_cast<float>(tip.x + g * (-wx - wy)), static_cast<float>(tip.y + g * (-wy + wx))}};
    gpolyline(3, head);
}

}  // namespace

int WIND_barb(float x, float y, float dir, float spd, float size, float offset)
{
    if (unusable(dir) || unusable(spd) || !std::isfinite(x) || !std::isfinite(y) ||
        !std::isfinite(size) || !std::isfinite(offset))
        return -1;
    if (spd > MAX_SPEED) spd = MAX_SPEED;
    // A negative speed is not a wind: its counts would come out as nonsense barbs.
    if (spd <= 0) return -1;
    gset_fill_int_style(GSOLID);
    spd += 0.01f;

    const BarbFrame f(x, y, dir, size);
    const Gpt start = {static_cast<float>(x + offset * f.sx), static_cast<float>(y + offset * f.sy)};
    line(start, f.at(1, 0));

    const BarbCounts c = barb_counts(spd);
    if (c.half && c.full == 0 && c.pennants == 0) {
        line(f.at(1 - STEP, 0), f.at(1 - STEP / 2, HALF));
        return 0;
    }
    draw_pennants(f, c.pennants);
    // Without pennants the first barb starts at the tip; after them one empty step follows.
    const int q = c.pennants > 0 ? c.pennants : -1;
    for (int k = 0; k < c.full; k++) {
        const double t = STEP * (k + q);
        line(f.at(1 - STEP - t, 0), f.at(1 - t, FULL));
    }
    if (c.half) {
        const double t = STEP * (c.full + q);
        line(f.at(1 - STEP - t, 0), f.at(1 - STEP / 2 - t, HALF));
    }
    return 0;
}

int WIND_vect(float x, float y, float dir, float spd, float size, float arrow)
{
    if (spd == 0 || unusable(spd) || unusable(dir) || !std::isfinite(x) || !std::isfinite(y) ||
        !std::isfinite(size) || !std::isfinite(arrow))
        return -1;
    const double rad = dir * VECT_DEG2RAD;
    const double wx = -spd * std::sin(rad), wy = -spd * std::cos(rad);
    const Gpt tail = {x, y};
    const Gpt tip = {static_cast<float>(x + size * wx), static_cast<float>(y + size * wy)};
    line(tail, tip);
    if (arrow > 0) arrow_head(tip, wx, wy, 0.2 * arrow * size);
    return 0;
}

int WIND_track(float x, float y, float dir, float spd, float arrow, int maj, int /*min*/)
{
    if (spd == 0 || unusable(spd) || unusable(dir) || !std::isfinite(x) || !std::isfinite(y) ||
        !std::isfinite(arrow))
        return -1;
    const double rad = dir * VECT_DEG2RAD;
    const double dx = -std::sin(rad), dy = -std::cos(rad);
    const Gpt tail = {x, y};
    const Gpt tip = {static_cast<float>(x + spd * dx), static_cast<float>(y + spd * dy)};
    line(tail, tip);
    const double tick = 0.2 * arrow;
    for (int i = 0; i < maj; i++) {
        const double along = i * (static_cast<double>(spd) / maj);
        const double cx = x + along * dx, cy = y + along * dy;
        line({static_cast<float>(cx - tick * dy), static_cast<float>(cy + tick * dx)},
             {static_cast<float>(cx + tick * dy), static_cast<float>(cy - tick * dx)});
    }
    if (arrow > 0) arrow_head(tip, dx, dy, 0.2 * arrow);
    return 0;
}

// The map forms turn a true direction to the map's north at the point.  A missing direction or
// speed is refused before the turn: turned, it would no longer read as missing.
int WIND_barb_map(float x, float y, float dir, float spd, float size, float offset)
{
    if (unusable(dir) || unusable(spd)) return -1;
    return WIND_barb(x, y, MAP_dir_adj(dir, x, y), spd, size, offset);
}

int WIND_vect_map(float x, float y, float dir, float spd, float size, float arrow)
{
    if (unusable(dir) || unusable(spd)) return -1;
    return WIND_vect(x, y, MAP_dir_adj(dir, x, y), spd, size, arrow);
}
