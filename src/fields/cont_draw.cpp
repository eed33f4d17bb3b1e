// cont_draw.cpp: cell-by-cell contouring of a grid: lines, dashes, colour-filled bands and
// printed grid values.
//
// Each grid cell is handled on its own: the crossings of a level on the cell's four sides give
// its segment(s); the part of the cell between two levels is filled as the polygon(s) bounded
// by their segments and the cell's sides.  A value equal to a level counts as above it, so
// that every level crosses a cell on 0, 2 or 4 sides and the bands of a cell tile it exactly.
// A saddle (4 crossings) pairs its sides by the measure total = (2 - t2 - t3) + t0 + t1: below 2
// the segments cut off corners 0 and 3, else corners 1 and 2.
//
// Set the environment variable gridloc to "i,j" to trace the cell of column i and row j
// (counted from the bottom) on standard output.
#include "cont_internal.h"

#include "vyk.h"
#include "vykgext.h"
#include "vykplot.h"
#include "vykresrc.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Corners: 0 lower left, 1 lower right, 2 upper left, 3 upper right.  Sides: 0 bottom (0 to 1),
// 1 left (0 to 2), 2 top (2 to 3), 3 right (1 to 3).
constexpr int SIDE_FROM[4] = {0, 0, 2, 1};
constexpr int SIDE_TO[4] = {1, 2, 3, 3};
constexpr int POLY_MAX = 16;  // a band polygon of a cell: 4 corners, 8 crossings, the closure
constexpr float TEXT_FACTOR = 0.015f;

struct Cell {
    float x[4], y[4], z[4];
    float zmin, zmax;
    int i;  // column
};

/// The crossings of one level in the current cell.
struct Crossing {
    float level;
    int n;          // sides crossed: 0, 2 or 4
    bool hit[4];    // side crossed
    float t[4];     // fraction along the side from its first corner
    Gpt p[4];       // crossing points
    int pair[4];    // the side whose crossing joins this one, -1 none
    float total;    // saddle pairing measure
};

/// One point of the boundary walk of a cell.
struct Item {
    Gpt p;
    int level;  // -1 corner, 0 the lower level, 1 the upper level
    int side;   // the side of a crossing
    bool enter; // a crossing where the walk enters the band
};

struct Trace {
    bool on = false;
    int i = -1, j = -1;
};

Trace trace;

void read_trace()
{
    trace = Trace{};
    const char *env = std::getenv("gridloc");
    if (env && std::sscanf(env, "%d,%d", &trace.i, &trace.j) == 2) trace.on = true;
}

bool bad(float v) { return VYK_is_miss(v) || !std::isfinite(v); }

void crossings(const Cell &c, float level, Crossing *x)
{
    x->level = level;
    x->n = 0;
    for (int s = 0; s < 4; s++) {
        const int a = SIDE_FROM[s], b = SIDE_TO[s];
        x->pair[s] = -1;
        x->hit[s] = (c.z[a] >= level) != (c.z[b] >= level);
        x->t[s] = x->hit[s] ? (level - c.z[a]) / (c.z[b] - c.z[a]) : -2.0f;
        if (!x->hit[s]) continue;
        int_xy(&x->p[s], c.x[a], c.y[a], c.x[b], c.y[b], x->t[s]);
        x->n++;
    }
    x->total = (2 - x->t[2] - x->t[3]) + x->t[0] + x->t[1];
    if (x->n == 2) {
        int first = -1;
        for (int s = 0; s < 4; s++) {
            if (!x->hit[s]) continue;
            if (first < 0) {
                first = s;
            } else {
                x->pair[first] = s;
                x->pair[s] = first;
            }
        }
    } else if (x->n == 4) {
        static constexpr int CUT_03[2][2] = {{0, 1}, {2, 3}};  // cut off corners 0 and 3
        static constexpr int CUT_12[2][2] = {{0, 3}, {1, 2}};  // cut off corners 1 and 2
        const int (*pairs)[2] = x->total < 2 ? CUT_03 : CUT_12;
        for (int k = 0; k < 2; k++) {
            x->pair[pairs[k][0]] = pairs[k][1];
            x->pair[pairs[k][1]] = pairs[k][0];
        }
    }
}

void trace_level(const char *tag, const Crossing &x)
{
    int list[4] = {-1, -1, -1, -1}, m = 0;
    for (int s = 0; s < 4; s++)
        if (x.hit[s]) list[m++] = s;
    std::printf("%s-val: %f side: %.2f %.2f %.2f %.2f nside: %d cross: %d %d %d %d tside: %.2f\n",
                tag, static_cast<double>(x.level), static_cast<double>(x.t[2]),
                static_cast<double>(x.t[3]), static_cast<double>(x.t[0]),
                static_cast<double>(x.t[1]), x.n, list[0], list[1], list[2], list[3],
                static_cast<double>(x.total));
}

/// The segments of a level: each crossing with its partner once.
void draw_level_lines(const Crossing &x)
{
    for (int s = 0; s < 4; s++) {
        const int o = x.pair[s];
        if (o <= s) continue;
        Gpt seg[2] = {x.p[s], x.p[o]};
        if (seg[0].x == seg[1].x && seg[0].y == seg[1].y) continue;
        CONT_draw_lines(CONT_LINE, 2, seg);
    }
}

/// A side lying on the level (both corners equal to it) is drawn from corner to corner, once
/// for the cell.
void draw_flat_sides(const Cell &c, float level)
{
    for (int s = 0; s < 4; s++) {
        const int a = SIDE_FROM[s], b = SIDE_TO[s];
        if (c.z[a] != level || c.z[b] != level) continue;
        // Sides whose two other corners lie below are already drawn as the level's segment.
        const int o1 = s == 0 ? 2 : s == 1 ? 1 : s == 2 ? 0 : 0;
        const int o2 = s == 0 ? 3 : s == 1 ? 3 : s == 2 ? 1 : 2;
        if (c.z[o1] < level && c.z[o2] < level) continue;
        Gpt seg[2] = {{c.x[a], c.y[a]}, {c.x[b], c.y[b]}};
        CONT_draw_lines(CONT_LINE, 2, seg);
    }
}

/// The boundary walk of a cell clockwise from corner 0 (left side up, top side right, right
/// side down, bottom side left) with the crossings of the lower and upper levels.
int boundary(const Cell &c, const Crossing *lev[2], Item *items)
{
    // Corner and side of each step; dir 1 when the side runs along the walk.
    static constexpr int CORNER[4] = {0, 2, 3, 1};
    static constexpr int SIDE[4] = {1, 2, 3, 0};
    static constexpr int FORWARD[4] = {1, 1, 0, 0};
    int n = 0;
    for (int k = 0; k < 4; k++) {
        items[n++] = Item{{c.x[CORNER[k]], c.y[CORNER[k]]}, -1, -1, false};
        const int s = SIDE[k];
        const int end = FORWARD[k] ? SIDE_TO[s] : SIDE_FROM[s];
        int found[2], m = 0;
        float u[2];
        for (int l = 0; l < 2; l++) {
            if (!lev[l] || !lev[l]->hit[s]) continue;
            found[m] = l;
            u[m] = FORWARD[k] ? lev[l]->t[s] : 1 - lev[l]->t[s];
            m++;
        }
        if (m == 2 && u[1] < u[0]) std::swap(found[0], found[1]);
        for (int q = 0; q < m; q++) {
            const int l = found[q];
            const bool above_after = c.z[end] >= lev[l]->level;
            // After the lower level the walk is in the band when it goes above it; after the
            // upper level when it goes below it.
            const bool enter = l == 0 ? above_after : !above_after;
            items[n++] = Item{lev[l]->p[s], l, s, enter};
        }
    }
    return n;
}

/// The item of the crossing of level l on side s.
int find_item(const Item *items, int n, int l, int s)
{
    for (int k = 0; k < n; k++)
        if (items[k].level == l && items[k].side == s) return k;
    return -1;
}

/// Where the fill pieces of a pass go: gathered into band regions, drawn one by one, or
/// nowhere (a pass that draws only the lines).
struct FillOut {
    ContMerge *merge = nullptr;
    bool draw = true;
    int k = 0, off = 0;
    float upper = 0;
    int line_ent = 0, type = CONT_FILL;
};

/// The band's settings before a piece that a gathering pass draws on its own (other passes
/// make them for every band).
void direct_attribs(const FillOut &out)
{
    if (out.merge) cont_band_attribs(cont_state(), out.off, out.line_ent, out.upper, out.type, 0);
}

void put_piece(const FillOut &out, int n, Gpt *poly)
{
    if (!out.draw) return;
    if (out.merge && out.merge->piece(out.k, out.off, out.upper, n, poly)) return;
    direct_attribs(out);
    CONT_draw_lines(CONT_FILL, n, poly);
}

/// Fills the part of the cell between the two levels (lev[0] may be NULL: no lower bound
/// inside the cell).
void fill_band(const Cell &c, const Crossing *lev[2], const FillOut &out)
{
    if (!out.draw) return;
    Item items[4 + 8];
    const int n = boundary(c, lev, items);
    bool used[12] = {};
    for (int start = 0; start < n; start++) {
        if (items[start].level < 0 || !items[start].enter || used[start]) continue;
        Gpt poly[POLY_MAX];
        int np = 0;
        int cur = start;
        bool closed = false;
        for (int guard = 0; guard < n && !closed; guard++) {
            used[cur] = true;
            int k = cur;
            poly[np++] = items[k].p;
            do {
                k = (k + 1) % n;
                if (np < POLY_MAX - 1) poly[np++] = items[k].p;
            } while (items[k].level < 0 && k != cur);
            if (items[k].level < 0 || items[k].enter) break;  // not a band boundary: give up
            const Crossing *x = lev[items[k].level];
            const int next = find_item(items, n, items[k].level, x->pair[items[k].side]);
            if (next < 0) break;
            if (next == start) closed = true;
            else if (used[next] || !items[next].enter) break;
            cur = next;
        }
        if (!closed || np < 3) continue;
        poly[np++] = poly[0];
        put_piece(out, np, poly);
    }
}

void fill_cell(const Cell &c, const FillOut &out)
{
    if (!out.draw) return;
    const Gpt corner[4] = {{c.x[0], c.y[0]}, {c.x[1], c.y[1]}, {c.x[2], c.y[2]}, {c.x[3], c.y[3]}};
    if (out.merge && out.merge->whole(c.i, out.k, out.off, out.upper, corner)) return;
    direct_attribs(out);
    Gpt rect[5] = {corner[0], corner[1], corner[3], corner[2], corner[0]};
    CONT_draw_lines(CONT_FILL, 5, rect);
}

/// The band loop of one cell.
struct Bands {
    ContState *st;
    int type;
    bool fill;
    bool lines;
    bool expl;
    int ncol;
    float limit;  // most levels a drawn cell may span
    ContMerge *merge;  // fills gathered into band regions (NULL: drawn piece by piece)
    bool draw_fills;   // false: the pass draws only the lines
};

float band_interval(const ContState &st, bool expl, int k, float level)
{
    if (!expl) return st.intrvl;
    if (k + 1 < st.num_cont && k + 1 < CONT_LEVELS && !VYK_is_miss(st.cont_value[k + 1]))
        return st.cont_value[k + 1] - level;
    return CONT_LAST_WIDTH;
}

/// Level k of the computed levels: conlo + k intervals, the same in every cell.
float computed_level(const ContState &st, int k)
{
    return static_cast<float>(st.conlo + static_cast<double>(k) * st.intrvl);
}

void contour_cell(const Bands &b, const Cell &c, bool traced)
{
    ContState &st = *b.st;
    const int num = b.expl ? std::min(st.num_cont, CONT_LEVELS) : st.num_cont;
    // Without explicit levels the first band that can reach the cell is found directly, so
    // that a tiny interval never walks through levels far below the cell.
    int k0 = 0;
    if (!b.expl && st.intrvl > 0) {
        const double q = std::floor((static_cast<double>(c.zmin) - st.conlo) / st.intrvl) - 1;
        if (q > 0) k0 = q < num ? static_cast<int>(q) : num;
    }
    int off = b.expl ? 0 : cont_band_offset(st, st.conlo, st.cbase);
    off = cont_wrap(static_cast<long>(off) + k0, b.ncol);
    float level = b.expl ? st.cont_value[0] : computed_level(st, k0);
    Crossing lower_x, upper_x;
    bool have_lower = false;
    float lower_level = 0;
    for (int k = k0; k < num; k++) {
        if (b.expl) {
            level = VYK_is_miss(st.cont_value[k]) ? level + band_interval(st, true, k - 1, level)
                                                  : st.cont_value[k];
        } else {
            level = computed_level(st, k);
        }
        const float interval = band_interval(st, b.expl, k, level);
        if (k > k0) off = (off + 1) % b.ncol;
        if (traced) std::printf("Loop %d\n", k);
        float upper = b.fill ? level + interval : level;
        float lower = level;
        if (c.zmin > upper) continue;
        if (lower > c.zmax) break;
        if (!VYK_is_miss(st.min_cut) && st.min_cut > level) {
            if (upper < st.min_cut) continue;
            lower = st.min_cut;
        }
        if (!VYK_is_miss(st.max_cut) && st.max_cut < upper) {
            if (st.max_cut <= level) continue;
            upper = st.max_cut;
        }
        st.con_off = off;
        const int line_ent = b.type == CONT_LFILL ? (off + 1) % b.ncol : off;
        // A gathering pass sets the fill only where it draws; a pass of lines alone sets no fill.
        if (!b.merge) cont_band_attribs(st, off, line_ent, upper, b.draw_fills ? b.type : CONT_LINE, 0);
        if (b.fill) {
            const FillOut out = {b.merge, b.draw_fills, k, off, upper, line_ent, b.type};
            if (c.zmax <= upper && lower <= c.zmin) {
                fill_cell(c, out);
                break;
            }
            const Crossing *lev[2] = {nullptr, nullptr};
            if (lower > c.zmin) {
                if (!have_lower || lower_level != lower) crossings(c, lower, &lower_x);
                if (traced) trace_level(lower == level ? "AA" : "BB", lower_x);
                lev[0] = &lower_x;
            }
            if (c.zmax > upper) {
                crossings(c, upper, &upper_x);
                if (traced) trace_level("CC", upper_x);
                lev[1] = &upper_x;
            }
            fill_band(c, lev, out);
            if (!lev[1]) break;
            lower_x = upper_x;
            lower_level = upper;
            have_lower = true;
        } else {
            crossings(c, upper, &upper_x);
            if (traced) trace_level("CC", upper_x);
        }
        if (b.lines) {
            draw_level_lines(upper_x);
            draw_flat_sides(c, upper);
        }
    }
}

/// Corner positions and values of the cell with lower-left corner (i, j), j from the bottom.
bool load_cell(const GRD_report *grid, const float *gx, const float *gy, int i, int j, Cell *c)
{
    const int nx = grid->domain.nx, ny = grid->domain.ny;
    static constexpr int DI[4] = {0, 1, 0, 1};
    static constexpr int DJ[4] = {0, 0, 1, 1};
    for (int q = 0; q < 4; q++) {
        const int ii = i + DI[q], jj = j + DJ[q];
        const size_t k = static_cast<size_t>(ny - 1 - jj) * nx + ii;
        c->z[q] = grid->grid[k];
        if (bad(c->z[q])) return false;
        if (gx) {
            c->x[q] = gx[k];
            c->y[q] = gy[k];
            if (VYK_is_miss(c->x[q])) return false;
        } else {
            c->x[q] = static_cast<float>(ii);
            c->y[q] = static_cast<float>(jj);
        }
    }
    c->i = i;
    c->zmin = std::min(std::min(c->z[0], c->z[1]), std::min(c->z[2], c->z[3]));
    c->zmax = std::max(std::max(c->z[0], c->z[1]), std::max(c->z[2], c->z[3]));
    return true;
}

void cell_loop(const GRD_report *grid, const Bands &b)
{
    const ContState &st = *b.st;
    const int nx = grid->domain.nx, ny = grid->domain.ny;
    const float *gx = st.grdx, *gy = st.grdy;
    for (int j = ny - 2; j >= 0; j--) {
        for (int i = 0; i + 1 < nx; i++) {
            Cell c;
            if (!load_cell(grid, gx, gy, i, j, &c)) continue;
            // The trace is printed by the first pass only.
            const bool traced = trace.on && trace.i == i && trace.j == j && b.draw_fills;
            if (traced)
                std::printf("GRIDPOINT: %f %f %f %f\n", static_cast<double>(c.z[0]),
                            static_cast<double>(c.z[1]), static_cast<double>(c.z[2]),
                            static_cast<double>(c.z[3]));
            if (b.type == CONT_LINE && c.zmin == c.zmax) continue;
            if (!b.expl && (c.zmax - c.zmin) / st.intrvl > b.limit) continue;
            if (!VYK_is_miss(st.min_cut) && st.min_cut > c.zmax) continue;
            contour_cell(b, c, traced);
        }
        if (b.merge) b.merge->end_row();
    }
}

/// The cell passes of a drawing: with merged fills, the fills are gathered over the whole
/// grid and drawn as band regions, and the lines of lines over fill follow in a second pass so
/// that they lie over every fill.
void draw_cells(const GRD_report *grid, Bands b)
{
    ContState &st = *b.st;
    if (!b.fill || !st.merge_fills) {
        cell_loop(grid, b);
        return;
    }
    ContMerge merge;
    b.merge = &merge;
    const bool lines = b.lines;
    b.lines = false;
    cell_loop(grid, b);
    merge.flush(st, b.type);
    if (!lines) return;
    b.merge = nullptr;
    b.lines = true;
    b.draw_fills = false;
    cell_loop(grid, b);
}

/// Printed grid values (type 17).
void draw_values(const GRD_report *grid, const ContState &st, const Gattribs &label)
{
    const float v = MAP_get_vert();
    const int hor = st.x_off < 0 ? GRIGHT_HOR : st.x_off > 0 ? GLEFT_HOR : GCENTER_HOR;
    GPH_text_align(hor, GHALF_VERT);
    gset_text_width(0);
    const bool colored = cont_explicit(st) || (!VYK_is_miss(st.intrvl) && st.intrvl > 0);
    const bool own_form = st.num_form[0] && format_one_conv(st.num_form, "efgEG");
    const int nx = grid->domain.nx, ny = grid->domain.ny;
    for (int r = 0; r < ny; r++) {
        const int j = ny - 1 - r;
        if (j % st.y_skip != 0) continue;
        for (int i = 0; i < nx; i++) {
            if (i % st.x_skip != 0) continue;
            const size_t k = static_cast<size_t>(r) * nx + i;
            const float value = grid->grid[k];
            const float x = st.grdx ? st.grdx[k] : static_cast<float>(i);
            const float y = st.grdy ? st.grdy[k] : static_cast<float>(j);
            if (VYK_is_miss(x) || bad(value)) continue;
            Gattribs attr = label;
            if (colored) {
                CONT_get_fill_attrib(value, &attr);
                if (VYK_is_miss(attr.width)) attr.width = 0;
                if (attr.color == CLR_NONE) continue;
                GPH_text_attr(&attr, st.scale * st.vert_size * TEXT_FACTOR);
            }
            if (attr.color == CLR_NONE) continue;
            char text[64];
            if (own_form) std::snprintf(text, sizeof text, st.num_form, static_cast<double>(value));
            else set_num(text, "1.1.0", value);
            const Gpt pt = {x + st.x_off * v, y + st.y_off * v};
            gtext(&pt, text);
        }
    }
}

/// Transformation, point positions, seam limits and drawing height of the grid.  false when
/// the positions cannot be made.
bool place_grid(const GRD_report *grid)
{
    ContState &st = cont_state();
    Domain current;
    MAP_get_domain(&current);
    if (DOM_comp(&grid->domain, &current)) {
        CONT_grid(nullptr, nullptr);
        Glim view;
        PLT_get_view(&view);
        const Glim win = {0, static_cast<float>(grid->domain.nx - 1), 0,
                          static_cast<float>(grid->domain.ny - 1)};
        GPH_view(3, &view);
        GPH_win(3, &win);
        GPH_trans(3);
        st.x_min = 0;
        st.x_max = static_cast<float>(grid->domain.nx - 1);
        st.vert_size = static_cast<float>(grid->domain.ny - 1);
        return true;
    }
    float *gx = st.grdx, *gy = st.grdy;
    st.grdx = st.grdy = nullptr;
    if (GRD_proj_XY(grid, &current, &gx, &gy) != 0) {
        MESS_print(M_WARN, "CONT_draw_contours: Unable to allocate grid arrays\n");
        return false;
    }
    st.grdx = gx;
    st.grdy = gy;
    st.x_min = st.x_max = VYK_MISS;
    st.vert_size = MAP_get_vert();
    return true;
}

}  // namespace

const char *cont_default_color() { return gget_inverse() ? "black" : "white"; }

void cont_line_attribs(ContState &st)
{
    ATTRIB_init(&st.ln_cont_attr);
    ATTRIB_get("color_cont", cont_default_color(), &st.ln_cont_attr);
    CONT_format_decode_attrib(&st.ln_cont_attr);
    if (st.fill_pat != VYK_MISS) st.ln_cont_attr.fill_pat = st.fill_pat;
}

void cont_label_attribs(const ContState &st, Gattribs *line, Gattribs *fill)
{
    const char *cont = RES_get("color_cont");
    const char *def = cont;
    if (RES_get("color_label") || !cont || stricmp(cont, "off") == 0) def = cont_default_color();
    *line = st.ln_cont_attr;
    ATTRIB_get("color_label", def, line);
    CONT_format_decode_attrib(line);
    ATTRIB_init(fill);
    ATTRIB_get("color_clabel", "black", fill);
    CONT_format_decode_attrib(fill);
}

void cont_band_attribs(const ContState &st, int fill_ent, int line_ent, float upper, int type,
                       float def_width)
{
    const Gattribs &fe = st.fill_attrib[fill_ent];
    const Gattribs &ln = st.ln_cont_attr;
    if (type != CONT_LINE) {
        if (fe.color != CLR_NONE && fe.color >= 0) gset_fill_colr_ind(fe.color);
        const int pat = fe.fill_pat != VYK_MISS && fe.fill_pat >= 0 ? fe.fill_pat : ln.fill_pat;
        if (pat == 0) {
            gset_fill_int_style(GSOLID);
        } else if (pat > 0 && pat != VYK_MISS) {
            gset_fill_int_style(GPAT);
            gset_fill_style_ind(pat);
        }
    }
    const Gattribs &le = st.fill_attrib[line_ent];
    if (ln.color == CLR_NONE && le.color != CLR_NONE && le.color >= 0) gset_line_colr_ind(le.color);
    int ltype = CONT_SOLID;
    if (le.style != VYK_MISS) {
        ltype = le.style;
    } else {
        const bool dashed = st.dash == CONT_DASH_NEG
                                ? upper < 0 || (!VYK_is_miss(st.base) && upper < st.base)
                                : st.dash == CONT_DASH_ALL;
        if (dashed) ltype = ln.style != VYK_MISS ? ln.style : CONT_DASHED;
        else if (st.dash == CONT_DASH_NONE && ln.style != VYK_MISS) ltype = ln.style;
    }
    gset_linetype(ltype);
    gset_linewidth(!VYK_is_miss(le.width) ? le.width : !VYK_is_miss(ln.width) ? ln.width : def_width);
}

int CONT_draw(const GRD_report *grid)
{
    if (!FLAG_getplot(PLOT_DATA)) return -1;
    if (!grid) {
        MESS_print(M_WARN, "CONT_draw: Invalid grids\n");
        return -1;
    }
    if (!grid->grid) {
        MESS_print(M_WARN, "CONT_draw: Invalid grid arrays\n");
        return -1;
    }
    if (CONT_draw_contour(grid) != 0) return -1;
    if (cont_state().cont_type == CONT_VALUE) return -1;
    CONT_draw_labels(grid);
    CONT_draw_maxmin(grid);
    return 0;
}

int CONT_draw_contour(const GRD_report *grid)
{
    ContState &st = cont_state();
    if (!grid || !grid->grid || grid->domain.nx < 1 || grid->domain.ny < 1) return 0;
    if (static_cast<size_t>(grid->domain.nx) * static_cast<size_t>(grid->domain.ny) >
        GRD_MAX_POINTS)
        return 0;
    if (!place_grid(grid)) return -1;
    CONT_set_fill_colors(nullptr, 0);
    if (VYK_is_miss(st.grid_max)) {
        GRD_maxmin(grid, &st.grid_max, &st.grid_min);
        CONT_set_cont_ext(grid);
    }
    cont_line_attribs(st);
    Gattribs line_lab, fill_lab;
    cont_label_attribs(st, &line_lab, &fill_lab);
    GPH_text_align(GCENTER_HOR, GHALF_VERT);
    GPH_text_attr(&line_lab, st.scale * st.vert_size * TEXT_FACTOR);
    const int type = st.cont_type;
    if ((type == CONT_LINE || type == CONT_LFILL) && st.ln_cont_attr.color != CLR_NONE)
        gset_line_colr_ind(st.ln_cont_attr.color);
    GPH_line_attr(&st.ln_cont_attr);
    if (st.dash == CONT_DASH_ALL) gset_linetype(CONT_DASHED);
    gset_fill_int_style(GSOLID);
    const int ncol = cont_colors(st);
    float limit = 10000;
    if (st.max_line_fact < 0) limit = static_cast<float>(ncol) * static_cast<float>(-st.max_line_fact);
    else if (st.max_line_fact > 0) limit = static_cast<float>(st.max_line_fact);
    if (type == CONT_VALUE && line_lab.color != CLR_NONE) {
        draw_values(grid, st, line_lab);
        return 0;
    }
    const bool fill = type == CONT_FILL || type == CONT_LFILL;
    const bool lines = type == CONT_LINE || type == CONT_LFILL;
    if (type == CONT_NONE) return 0;
    if (!fill && !lines && type != CONT_VALUE) {
        MESS_print(M_WARN, "CONT_draw_contour: Contour type not drawn: %d\n", type);
        return -1;
    }
    const bool expl = cont_explicit(st);
    // Nothing to draw without levels: a range that is not a number, or no usable interval.
    if (!expl && (VYK_is_miss(st.conlo) || !std::isfinite(st.conlo) || !(st.intrvl > 0) ||
                  !std::isfinite(st.intrvl) || st.num_cont <= 0))
        return 0;
    if (expl && st.num_cont <= 0) return 0;
    if (!fill && !lines) return 0;
    read_trace();
    const Bands b = {&st, type, fill, lines, expl, ncol, limit, nullptr, true};
    draw_cells(grid, b);
    return 0;
}
