// cont_label.cpp: contour labels and the high and low marks of a contoured grid.
//
// Both passes run over the grid as the contouring left it: the projected point positions, or
// the grid's own index space, with the same drawing height.  Label levels are counted by index
// from a first level computed once, so that any base and interval end.
#include "cont_internal.h"

#include "vyk.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr float TEXT_FACTOR = 0.015f;
constexpr float MARK_FACTOR = 0.02f;

// Sides as the contouring names them: 0 bottom (corner 0 to 1), 1 left (0 to 2), 2 top (2 to
// 3), 3 right (1 to 3).
constexpr int SIDE_FROM[4] = {0, 0, 2, 1};
constexpr int SIDE_TO[4] = {1, 2, 3, 3};

bool fills(int type) { return type == CONT_FILL || type == CONT_LFILL; }

struct Grid {
    const GRD_report *grid;
    const float *gx, *gy;
    int nx, ny;
    float value(int i, int j) const { return grid->grid[index(i, j)]; }
    size_t index(int i, int j) const { return static_cast<size_t>(ny - 1 - j) * nx + i; }
    float x(int i, int j) const { return gx ? gx[index(i, j)] : static_cast<float>(i); }
    float y(int i, int j) const { return gy ? gy[index(i, j)] : static_cast<float>(j); }
};

Grid grid_of(const GRD_report *grid)
{
    const ContState &st = cont_state();
    return Grid{grid, st.grdx, st.grdy, grid->domain.nx, grid->domain.ny};
}

bool has_values(const GRD_report *grid)
{
    return grid && grid->grid && grid->domain.nx > 0 && grid->domain.ny > 0 &&
           static_cast<size_t>(grid->domain.nx) * static_cast<size_t>(grid->domain.ny) <=
               GRD_MAX_POINTS;
}

bool outside_cuts(const ContState &st, float v)
{
    return (!VYK_is_miss(st.min_cut) && v < st.min_cut) ||
           (!VYK_is_miss(st.max_cut) && v > st.max_cut);
}

/// The text attributes of a pass: the label height factor; the unit size of marks in *unit.
/// false when the fill-label colour is -1 (nothing is labelled).
bool apply_text(const ContState &st, float *size, float *unit)
{
    Gattribs line, fill;
    cont_label_attribs(st, &line, &fill);
    if (fill.color == CLR_NONE) return false;
    const float factor = st.scale * st.vert_size * TEXT_FACTOR;
    const Gattribs *use = fills(st.cont_type) ? &fill : line.color == CLR_NONE ? nullptr : &line;
    *size = factor;
    *unit = st.vert_size * st.scale;
    if (use) {
        GPH_text_attr(use, factor);
        if (!VYK_is_miss(use->height)) {
            *size = factor * use->height;
            *unit *= use->height;
        }
    }
    return true;
}

struct Labels {
    const ContState *st;
    Grid g;
    int xs, ys;
    float size;
    float limit;
    bool expl;
    int kstart;
    float vstart;
    double step;  // label step in value (computed levels)
};

/// The first labelled level of the computed levels: from the base, up in label steps until at
/// or above conlo; or down until at or below conlo and then one step up.  Counted by index,
/// never by repeated adding.
float first_label_level(const ContState &st, double step)
{
    if (VYK_is_miss(st.base) || !(step > 0)) return st.conlo;
    const double v = st.base, lo = st.conlo;
    if (v < lo) return static_cast<float>(v + std::ceil((lo - v) / step) * step);
    if (v > lo) return static_cast<float>(v - (std::ceil((v - lo) / step) - 1) * step);
    return st.base;
}

int first_label_index(const ContState &st)
{
    if (VYK_is_miss(st.base)) return 0;
    for (int k = 0; k < st.num_cont && k < CONT_LEVELS; k++)
        if (st.cont_value[k] == st.base) return k;
    return 0;
}

/// Crossings of v on the cell's sides as the contouring computes them, then the listed sides.
int label_sides(const float *z, float v, int *list)
{
    int m = 0;
    for (int s = 0; s < 4; s++) {
        const float za = z[SIDE_FROM[s]], zb = z[SIDE_TO[s]];
        if (zb - za == 0) continue;
        const float t = (v - za) / (zb - za);
        if ((t == 1 && (s == 0 || s == 3)) || (t == 0 && (s == 1 || s == 2))) continue;
        if (t < 0 || t > 1) continue;
        if (m < 2) list[m] = s;
        m++;
    }
    if (m == 3) m = 2;
    return m;
}

void label_cell(const Labels &L, int i, int j, const float *cx, const float *cy, const float *z)
{
    const ContState &st = *L.st;
    int kk = 0;
    for (int k = L.kstart; k < st.num_cont; k += st.label_skip, kk++) {
        float v;
        if (L.expl) {
            if (k >= CONT_LEVELS || VYK_is_miss(st.cont_value[k])) break;
            v = st.cont_value[k];
        } else {
            v = static_cast<float>(L.vstart + static_cast<double>(kk) * L.step);
        }
        if (outside_cuts(st, v)) continue;
        int list[2];
        if (label_sides(z, v, list) != 2) continue;
        const bool up = list[0] == 0 && list[1] == 2;
        const bool across = list[0] == 1 && list[1] == 3;
        if (!(up && j % L.ys == st.over) && !(across && i % L.xs == st.over)) continue;
        Gpt a, b, mid;
        for (int q = 0; q < 2; q++) {
            const int s = list[q];
            const int fa = SIDE_FROM[s], fb = SIDE_TO[s];
            const float t = (v - z[fa]) / (z[fb] - z[fa]);
            int_xy(q == 0 ? &a : &b, cx[fa], cy[fa], cx[fb], cy[fb], t);
        }
        int_xy(&mid, a.x, a.y, b.x, b.y, 0.5f);
        const Gpt upv = up && st.rot_label ? Gpt{1, 0} : Gpt{0, 1};
        gset_char_up_vec(&upv);
        char num[32];
        const char *text = k < CONT_LEVELS && st.cont_label[k][0] ? st.cont_label[k]
                                                                  : set_num(num, "1.2.0", v);
        gtext(&mid, text);
    }
}

/// Loads cell (i, j): corner positions and values; false with a missing corner.
bool cell_corners(const Grid &g, int i, int j, float *cx, float *cy, float *z, bool *present)
{
    static constexpr int DI[4] = {0, 1, 0, 1};
    static constexpr int DJ[4] = {0, 0, 1, 1};
    *present = true;
    for (int q = 0; q < 4; q++) {
        cx[q] = g.x(i + DI[q], j + DJ[q]);
        cy[q] = g.y(i + DI[q], j + DJ[q]);
        z[q] = g.value(i + DI[q], j + DJ[q]);
        if (VYK_is_miss(z[q]) || !std::isfinite(z[q]) || VYK_is_miss(cx[q])) *present = false;
    }
    return *present;
}

/// High (+1), low (-1) or neither (0) at point (i, j) within radius r.
int extreme(const Grid &g, int i, int j, int r)
{
    const float v = g.value(i, j);
    int total = 0, diff = 0, missing = 0;
    for (int dj = -r; dj <= r; dj++) {
        for (int di = -r; di <= r; di++) {
            if (di == 0 && dj == 0) continue;
            const int ii = i + di, jj = j + dj;
            if (ii < 0 || jj < 0 || ii >= g.nx || jj >= g.ny) continue;
            const float w = g.value(ii, jj);
            if (VYK_is_miss(w) || !std::isfinite(w)) {
                missing++;
                continue;
            }
            total++;
            diff += v > w ? 1 : v < w ? -1 : 0;
            if (diff != total && diff != -total) return 0;
        }
    }
    if (missing > 1) return 0;
    if (diff == total) return 1;
    if (diff == -total) return -1;
    return 0;
}

}  // namespace

int CONT_draw_labels(const GRD_report *grid)
{
    ContState &st = cont_state();
    if (!has_values(grid)) return 0;
    GPH_line_attr(nullptr);
    const Grid g = grid_of(grid);
    if (st.x_label_space == VYK_MISS) st.x_label_space = g.nx / 5;
    if (st.y_label_space == VYK_MISS) st.y_label_space = g.ny / 5;
    if (st.x_label_space < 1) st.x_label_space = 1;
    if (st.y_label_space < 1) st.y_label_space = 1;
    const float limit = st.max_line_fact < 1
                            ? 10000.0f
                            : static_cast<float>(cont_colors(st)) * static_cast<float>(st.max_line_fact);
    if (st.label_skip <= 0) return 0;
    float size = 0, unit = 0;
    if (!apply_text(st, &size, &unit)) return 0;
    const bool expl = cont_explicit(st);
    if (!expl && (!(st.intrvl > 0) || !std::isfinite(st.intrvl) || VYK_is_miss(st.conlo)))
        return 0;
    Labels L{&st, g, st.x_label_space, st.y_label_space, size, limit, expl, 0, 0, 0};
    if (expl) {
        L.kstart = first_label_index(st);
    } else {
        L.step = static_cast<double>(st.intrvl) * st.label_skip;
        L.vstart = first_label_level(st, L.step);
    }
    for (int j = g.ny - 2; j >= 0; j--) {
        for (int i = 0; i + 1 < g.nx; i++) {
            float cx[4], cy[4], z[4];
            bool present = false;
            cell_corners(g, i, j, cx, cy, z, &present);
            if (st.draw_grid && !VYK_is_miss(cx[0]) && !VYK_is_miss(cx[1]) &&
                !VYK_is_miss(cx[2]) && !VYK_is_miss(cx[3])) {
                const Gpt box[5] = {{cx[0], cy[0]}, {cx[1], cy[1]}, {cx[3], cy[3]},
                                    {cx[2], cy[2]}, {cx[0], cy[0]}};
                gpolyline(5, box);
            }
            if (i % L.xs != st.over && j % L.ys != st.over) continue;
            if (!present) continue;
            const float dx = cx[1] - cx[0], dy = cy[1] - cy[0];
            if (size * size > (dx * dx + dy * dy) * static_cast<float>(L.xs * L.ys)) continue;
            const float zmin = std::min(std::min(z[0], z[1]), std::min(z[2], z[3]));
            const float zmax = std::max(std::max(z[0], z[1]), std::max(z[2], z[3]));
            if (!expl && (zmax - zmin) / st.intrvl > limit) continue;
            label_cell(L, i, j, cx, cy, z);
        }
    }
    return 0;
}

int CONT_draw_maxmin(const GRD_report *grid)
{
    ContState &st = cont_state();
    if (!has_values(grid) || st.ext_radius <= 0) return 0;
    GPH_line_attr(nullptr);
    float size = 0, unit = 0;
    if (!apply_text(st, &size, &unit)) return 0;
    const Gpt upv = {0, 1};
    gset_char_up_vec(&upv);
    const Grid g = grid_of(grid);
    for (int j = g.ny - 1; j >= 0; j--) {
        for (int i = 0; i < g.nx; i++) {
            const float v = g.value(i, j);
            if (VYK_is_miss(v) || !std::isfinite(v) || outside_cuts(st, v)) continue;
            const int kind = extreme(g, i, j, st.ext_radius);
            if (kind == 0) continue;
            const float x = g.x(i, j), y = g.y(i, j);
            if (VYK_is_miss(x)) continue;
            gset_char_ht(MARK_FACTOR * unit);
            const Gpt at = {x, y};
            gtext(&at, kind > 0 ? "H" : "L");
            gset_char_ht(TEXT_FACTOR * unit);
            char num[32];
            const Gpt below = {x, y - MARK_FACTOR * unit};
            gtext(&below, set_num(num, "3.3.0", v));
        }
    }
    return 0;
}
