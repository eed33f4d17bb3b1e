// vect_strm.cpp: streamlines of a wind-component grid pair, traced in quarter-cell steps
// through the bilinear wind field from seeds swept across the grid from each corner, with a
// density bookkeeping that keeps them from crowding and arrow heads at regular steps.
#include "vect_internal.h"

#include "vyk.h"
#include "vykgext.h"
#include "vykplot.h"
#include "wind_glyph.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

namespace {

VectState &st = vect_state();

// Streamline tracing.
constexpr float STEP = 0.25f;        // a step is a quarter unit along the wind
constexpr int HEAD_PERIOD = 10;      // steps between arrow heads at arrow scale 1
constexpr float HEAD_SIZE = 4;       // arrow-head size factor
constexpr int FREE_STEPS = 5;        // steps 1 to 5 may pass through crowded cells
constexpr int RUN_FACTOR = 6;        // most steps in one cell: this times the column skip
constexpr float STOP_SPEED = 0.001f; // a slower wind ends the line
constexpr float CALM_SPEED = 0.01f;  // a slower wind has direction 0
constexpr float TURN_MIN = 120, TURN_MAX = 240;  // a turn between these ends the line

/// The density counts of the streamlines being drawn (empty between drawings).
struct StrmState {
    std::vector<int> num;
};
StrmState strm;

/// Components turned from true north to the map's north at every point, so that streamlines
/// move through plot space with one kind of component throughout.  A point the map cannot
/// show becomes missing.
void turn_to_map(GRD_report *u, GRD_report *v)
{
    for (int row = 0; row < u->domain.ny; row++) {
        for (int i = 0; i < u->domain.nx; i++) {
            const size_t k = vect_index_of(u, i, row);
            float &uu = u->grid[k], &vv = v->grid[k];
            if (VYK_is_miss(uu) || VYK_is_miss(vv)) continue;
            float x, y, dir, spd;
            vect_point_position(i, row, k, &x, &y);
            if (VYK_is_miss(x) || VYK_is_miss(y)) {
                uu = vv = VYK_MISS;
                continue;
            }
            vect2wind(uu, vv, &dir, &spd);
            wind2vect(MAP_dir_adj(dir, x, y), spd, &uu, &vv);
        }
    }
}

/// Grid coordinates (gx right, gy down from the top row) of plot point (x, y) of the current
/// map in the grid's own domain.
void plot_to_grid(const GRD_report *g, float x, float y, float *gx, float *gy)
{
    const MAP_keep keep;
    float x2, y2;
    MAP_domain_tran(&keep.saved(), &g->domain, x, y, &x2, &y2);
    MAP_domain(&g->domain);
    MAP_grid_untran(x2, y2, gx, gy);
}

/// Where a line is and the wind there.
struct Trace {
    float x = 0, y = 0;    // drawing position
    float gx = 0, gy = 0;  // grid coordinates
    float u = VYK_MISS, v = VYK_MISS;
};

void wind_at(const GRD_report *ug, const GRD_report *vg, Trace *t)
{
    const int ny1 = ug->domain.ny - 1;
    if (vect_positions()) {
        plot_to_grid(ug, t->x, t->y, &t->gx, &t->gy);
    } else {
        t->gx = t->x;
        t->gy = static_cast<float>(ny1) - t->y;
    }
    t->u = GRD_get_value(ug, t->gx, t->gy);
    t->v = GRD_get_value(vg, t->gx, t->gy);
}

/// The density cell of grid coordinates (gx, gy); cells outside the grid share the last entry.
size_t density_cell(const GRD_report *g, float gx, float gy)
{
    const size_t last = strm.num.size() - 1;
    if (!(gx >= 0 && gy >= 0)) return last;
    const double cx = std::floor(2.0 * gx / st.xskip + 0.0001);
    const double cy = std::floor(2.0 * gy / st.yskip + 0.0001);
    const double k = cx + 2.0 * g->domain.nx * cy;
    // Cells run from 0 to 4 nx ny - 2; the spare entry takes the rest.
    return k >= 0 && k <= static_cast<double>(last) - 2 ? static_cast<size_t>(k) : last;
}

float wind_dir(float spd, float u, float v)
{
    if (VYK_is_miss(spd)) return VYK_MISS;
    if (spd < CALM_SPEED) return 0;
    return static_cast<float>(std::atan2(-static_cast<double>(u), -static_cast<double>(v)) *
                              VECT_RAD2DEG);
}

bool valid_speed(float spd)
{
    return !(vect_set(st.min_cut) && spd < st.min_cut) &&
           !(vect_set(st.max_cut) && spd > st.max_cut);
}

/// The arrow-head period in steps: at least one, whatever the arrow scale.
int head_period() { return std::max(1, static_cast<int>(HEAD_PERIOD * st.arrow_scale)); }

void seed_sweeps(GRD_report *ug, GRD_report *vg, float length)
{
    const int nx = ug->domain.nx, ny = ug->domain.ny;
    auto seed = [&](int i, int j, int su, int sv) {
        const float u = GRD_get_value(ug, static_cast<float>(i), static_cast<float>(ny - 1 - j));
        const float v = GRD_get_value(vg, static_cast<float>(i), static_cast<float>(ny - 1 - j));
        if (VYK_is_miss(u) || VYK_is_miss(v)) return;
        if (u * static_cast<float>(su) > 0 && v * static_cast<float>(sv) > 0)
            VECT_stream(ug, vg, i, j, length);
    };
    for (int i = 0; i < nx; i += st.xskip)
        for (int j = 0; j < ny; j += st.yskip) seed(i, j, 1, 1);
    for (int i = 0; i < nx; i += st.xskip)
        for (int j = ny - 1; j >= 0; j -= st.yskip) seed(i, j, 1, -1);
    for (int i = nx - 1; i >= 0; i -= st.xskip)
        for (int j = 0; j < ny; j += st.yskip) seed(i, j, -1, 1);
    for (int i = nx - 1; i >= 0; i -= st.xskip)
        for (int j = ny - 1; j >= 0; j -= st.yskip) seed(i, j, -1, -1);
}


}  // namespace

int vect_draw_streamlines(GRD_report *ug, GRD_report *vg, float length)
{
    const size_t cells = 4 * static_cast<size_t>(ug->domain.nx) * ug->domain.ny + 1;
    try {
        strm.num.assign(cells, 0);
    } catch (const std::bad_alloc &) {
        MESS_print(M_WARN, "VECT_draw: Unable to allocate density counts\n");
        return -1;
    }
    turn_to_map(ug, vg);
    if (!(st.base > 0)) st.base = 1;
    seed_sweeps(ug, vg, length);
    std::vector<int>().swap(strm.num);
    return 0;
}

int VECT_stream(GRD_report *ugrid, GRD_report *vgrid, int i, int j, float length)
{
    if (!vect_has_values(ugrid) || !vect_has_values(vgrid) || !vect_same_size(ugrid, vgrid))
        return 0;
    const int ny1 = ugrid->domain.ny - 1;
    if (i < 0 || j < 0 || i >= ugrid->domain.nx || j > ny1) return 0;
    Trace t;
    if (vect_positions()) {
        const size_t k = vect_index_of(ugrid, i, ny1 - j);
        t.x = st.grdx[k];
        t.y = st.grdy[k];
        if (VYK_is_miss(t.x) || VYK_is_miss(t.y)) return 0;
    } else {
        t.x = static_cast<float>(i);
        t.y = static_cast<float>(j);
    }
    wind_at(ugrid, vgrid, &t);
    const int len = head_period();
    const float base = st.base > 0 ? st.base : 1;
    const float head = HEAD_SIZE * st.arrow_scale;
    size_t prev_cell = static_cast<size_t>(-1);
    int run = 0;
    float prev_x = t.x, prev_y = t.y, prev_dir = VYK_MISS;
    for (int k = 0; static_cast<float>(k) < length; k++) {
        bool stop = false;
        if (!strm.num.empty()) {
            const size_t cell = density_cell(ugrid, t.gx, t.gy);
            if (cell != prev_cell) {
                strm.num[cell]++;
                run = 0;
            } else {
                run++;
            }
            prev_cell = cell;
            if (static_cast<float>(strm.num[cell]) > base && (k < 1 || k > FREE_STEPS)) stop = true;
            if (run > RUN_FACTOR * st.xskip) stop = true;
        }
        float spd = VYK_MISS;
        if (VYK_is_miss(t.u) || VYK_is_miss(t.v)) stop = true;
        else spd = std::sqrt(t.u * t.u + t.v * t.v);
        if (!VYK_is_miss(spd) && spd < STOP_SPEED) stop = true;
        const bool valid = !VYK_is_miss(spd) && valid_speed(spd);
        const float dir = wind_dir(spd, t.u, t.v);
        if (k > 0 && !VYK_is_miss(dir) && !VYK_is_miss(prev_dir)) {
            const float turn = std::fabs(dir - prev_dir);
            if (turn > TURN_MIN && turn < TURN_MAX) stop = true;
        }
        if (stop) {
            if (k > 0 && valid && !VYK_is_miss(prev_dir) && st.attr.color != CLR_NONE)
                WIND_vect(prev_x, prev_y, prev_dir, STEP, 1, head);
            return 0;
        }
        vect_speed_attribs(spd);
        if (st.attr.color != CLR_NONE && valid)
            WIND_vect(t.x, t.y, dir, STEP, 1, k % len == len - 1 ? head : 0);
        prev_x = t.x;
        prev_y = t.y;
        prev_dir = dir;
        t.x += t.u / (4 * spd);
        t.y += t.v / (4 * spd);
        wind_at(ugrid, vgrid, &t);
    }
    return 0;
}
