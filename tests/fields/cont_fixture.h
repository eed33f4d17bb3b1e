// Shared fixtures of the contour tests: grids made from a function, and what contouring draws,
// read back from a text metafile (polylines with their line type and colour, fill areas with
// their fill colour, texts with their position).
#ifndef CONT_FIXTURE_H
#define CONT_FIXTURE_H

#include <gtest/gtest.h>

#include "gks.h"
#include "test_util.h"
#include "vyk.h"
#include "vykcont.h"
#include "vykgks.h"
#include "vykgtab.h"
#include "vykplot.h"

#include <cmath>
#include <functional>
#include <sstream>
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
inline void colors() { CLR_read_table(VYK_SOURCE_DIR "/etc/vyk.clr"); }

struct Record {
    char kind;      // 'L' a polyline, 'F' a fill area, 'T' a text
    int color;      // the line, fill or text colour in force
    int style;      // the line type in force (polylines)
    std::vector<Gpt> pts;
    std::string text;
};

/// Opens the kernel on a text metafile, transformation 1 with world window -half..half;
/// records() closes it and returns what was drawn.
class Drawing {
public:
    explicit Drawing(float half = 1000)
    {
        file_ = dir_.file("cont.meta");
        colors();
        gopen_gks(nullptr, 0);
        ok_ = gopen_ws(1, (file_ + ",vyk").c_str(), GWS_META) == 0;
        gactivate_ws(1);
        // The colour table's colours on the workstation, as the plot set-up defines them.
        for (int i = 0; i < CLR_get_num(); i++) {
            float r = 0, g = 0, b = 0;
            CLR_get_rgb(i, &r, &g, &b);
            GPH_set_color(i, r, g, b);
        }
        const Glim win = {-half, half, -half, half};
        const Glim vp = {0, 1, 0, 1};
        gset_win(1, &win);
        gset_vp(1, &vp);
        gsel_norm_tran(1);
    }
    ~Drawing() { close(); }
    bool ok() const { return ok_; }

    std::vector<Record> records()
    {
        close();
        std::istringstream in(vyktest::read_file(file_));
        std::vector<Record> out;
        std::string word;
        int line_colr = 1, fill_colr = 1, text_colr = 1, line_type = 1;
        while (in >> word) {
            if (word == "PL_CLR") in >> line_colr;
            else if (word == "FA_CLR") in >> fill_colr;
            else if (word == "TE_CLR" || word == "TX_CLR") in >> text_colr;
            else if (word == "PL_TYPE") in >> line_type;
            if (word == "TE") {
                Record r{'T', text_colr, 0, {}, ""};
                std::string pair;
                in >> pair;
                Gpt p{};
                std::sscanf(pair.c_str(), "%f,%f", &p.x, &p.y);
                r.pts.push_back(p);
                std::getline(in, r.text);
                if (!r.text.empty() && r.text[0] == ' ') r.text.erase(0, 1);
                out.push_back(r);
                continue;
            }
            if (word != "PL" && word != "FA") continue;
            Record r{word == "PL" ? 'L' : 'F', word == "PL" ? line_colr : fill_colr, line_type,
                     {}, ""};
            int n = 0;
            in >> n;
            for (int i = 0; i < n; i++) {
                std::string pair;
                in >> pair;
                Gpt p{};
                std::sscanf(pair.c_str(), "%f,%f", &p.x, &p.y);
                r.pts.push_back(p);
            }
            out.push_back(r);
        }
        return out;
    }
    std::string text() const { return vyktest::read_file(file_); }

private:
    void close()
    {
        if (closed_) return;
        closed_ = true;
        gdeactivate_ws(1);
        gclose_ws(1);
        gclose_gks();
    }
    vyktest::TempDir dir_;
    std::string file_;
    bool ok_ = false, closed_ = false;
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
