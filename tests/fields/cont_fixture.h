// Shared fixtures of the contour tests: grids made from a function, and what contouring draws,
// read back from a text metafile (polylines with their line type and colour, fill areas with
// their fill colour, texts with their position).
#ifndef CONT_FIXTURE_H
#define CONT_FIXTURE_H

#include <gtest/gtest.h>

#include "gks.h"
#include "meta_fixture.h"
#include "test_util.h"
#include "vyk.h"
#include "cont.h"
#include "vykgks.h"
#include "grd_tool.h"
#include "vykplot.h"

#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace conttest {

/// A grid of nx x ny points on a latitude-longitude domain; f(i, j) gives the value of column
/// i and row j counted from the bottom.
struct Grid {
    GRD_report r{};
    Grid(int nx, int ny, const std::function<float(int, int)> &f, float clat = 40,
         float clon = -100, float dx = 1)
    {
        GRD_init(&r);
        DOM_init(&r.domain);
        r.domain.proj = 2;
        r.domain.clat = clat;
        r.domain.clon = clon;
        r.domain.dx = r.domain.dy = dx;
        r.domain.nx = nx;
        r.domain.ny = ny;
        GRD_alloc(&r);
        r.source = 7;
        for (int j = 0; j < ny; j++)
            for (int i = 0; i < nx; i++) at(i, j) = f(i, j);
    }
    ~Grid() { GRD_free(&r); }
    Grid(const Grid &) = delete;
    Grid &operator=(const Grid &) = delete;
    float &at(int i, int j) { return r.grid[static_cast<size_t>(r.domain.ny - 1 - j) * r.domain.nx + i]; }
    GRD_report *get() { return &r; }
};

/// Loads the shipped named colour table (before a workstation opens, which takes its colours).
inline void colors() { vyktest::load_color_table(); }

struct Record {
    char kind;      // 'L' a polyline, 'F' a fill area, 'T' a text
    int color;      // the line, fill or text colour in force
    int style;      // the line type in force (polylines)
    std::vector<Gpt> pts;
    std::string text;
};

/// Opens the kernel on a text metafile with the colour table's colours, transformation 1 with
/// world window -half..half; records() closes it and returns what was drawn.
class Drawing : public vyktest::MetaDrawing {
public:
    explicit Drawing(float half = 1000) : MetaDrawing("cont.meta", half, true) {}

    std::vector<Record> records()
    {
        std::vector<Record> out;
        for (const vyktest::MetaRecord &m : MetaDrawing::records()) {
            if (m.kind == "TE") out.push_back({'T', m.color, 0, m.pts, m.text});
            else if (m.kind == "PL" || m.kind == "FA")
                out.push_back({m.kind == "PL" ? 'L' : 'F', m.color, m.line_type, m.pts, ""});
        }
        return out;
    }
};

inline std::vector<Record> only(const std::vector<Record> &rs, char kind)
{
    std::vector<Record> out;
    for (const Record &r : rs)
        if (r.kind == kind) out.push_back(r);
    return out;
}

/// Signed area of a polygon (the closing point may be repeated).
inline double area(const std::vector<Gpt> &p)
{
    double a = 0;
    for (size_t i = 0; i < p.size(); i++) {
        const Gpt &u = p[i], &v = p[(i + 1) % p.size()];
        a += static_cast<double>(u.x) * v.y - static_cast<double>(v.x) * u.y;
    }
    return a / 2;
}

/// Whether (x, y) lies inside the polygon (even-odd rule).
inline bool inside(const std::vector<Gpt> &p, double x, double y)
{
    bool in = false;
    for (size_t i = 0, j = p.size() - 1; i < p.size(); j = i++) {
        if ((p[i].y > y) != (p[j].y > y) &&
            x < (p[j].x - p[i].x) * (y - p[i].y) / (p[j].y - p[i].y) + p[i].x)
            in = !in;
    }
    return in;
}

/// Sets up contouring of grid in its own index space: the grid's domain current, the
/// contour settings reset with the given type, interval and base, the colour table of the
/// colour list (empty: the built-in list).
inline void setup(GRD_report *grid, int type, float intrvl, float base = VYK_MISS,
                  const char *list = "")
{
    colors();
    MAP_domain(&grid->domain);
    CONT_init();
    CONT_set_type(type);
    CONT_set_intrvl(intrvl);
    CONT_set_base(base);
    CONT_set_fill_colors(list, 1);
    CONT_set_range(VYK_MISS, VYK_MISS);
    CONT_set_cont_ext(grid);
}

}  // namespace conttest

#endif
