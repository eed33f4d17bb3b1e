// grd_wind.cpp: the wind, vector and kinematic functions of the grid-function evaluator:
// derivatives and the gradient, vector difference, speed and direction, wind components
// (earth- or grid-relative), dot and cross products, geostrophic wind, Q-vectors, Laplacian,
// convergence and divergence, deformations, vorticity and advection.
//
// Wind arguments are converted in place to m/s, heights to m and temperatures to K.  The
// functions that difference whole grids (grd_kin.cpp) take grids only; the pointwise ones
// also take constants.  Derivative units are the argument's scaled by 1e-5 per m (values per
// 100 km), 1e-10 per m^2 or 1e-5 per s.
#include "grd_math_internal.h"
#include "grd_oper.h"
#include "grd_kin.h"

#include <cmath>

namespace {

constexpr float MISS = static_cast<float>(VYK_MISS);
constexpr double DEG2RAD = 0.017453292519943334;
constexpr double RAD2DEG = 57.295779513082195;
constexpr float GRAVITY = 9.8f;           // m/s^2
constexpr double GAS_CONSTANT = 287.05;   // J/(kg K), dry air
constexpr double PA_PER_MB = 100;
constexpr int LTYPE_ISOBARIC = 100;
constexpr float PER_100KM = 1e-5f;        // a derivative per 100 km in units per m
constexpr float PER_100KM2 = 1e-10f;

bool present(float v) { return grd_present(v); }

/// The units of a derivative of argument k: its units scaled, with the suffix.
struct ScaledUnits {
    char text[GRD_UNITS_LEN] = "";
    ScaledUnits(const MathCall &c, int k, float scale, const char *suffix)
    {
        const GRD_report *g = c.rec(k);
        UNIT_scale(g ? g->units : "", scale, suffix, text);
    }
};

/// Labels the result with the variable of igrid and a word, when the function text has no
/// type and igrid is a grid; else rebuilds the result's own description.
void label(const MathCall &c, GRD_report *out, const GRD_report *igrid, const char *word)
{
    if (c.labelled() && igrid) GRD_make_devtype(out, igrid, word);
    else GRD_make_datatype(out, nullptr);
}

/// Multiplies the present values by factor (-0 becomes 0).
void scale(GRD_report *g, float factor)
{
    const size_t n = grd_points(g);
    for (size_t k = 0; k < n; k++)
        if (!VYK_is_miss(g->grid[k])) g->grid[k] = grd_result(g->grid[k] * factor);
}

/// The meteorological direction (from which the wind blows, degrees) of a plot-relative wind.
double direction(float u, float v)
{
    if (u == 0 && v == 0) return 0;
    double d = std::atan2(-static_cast<double>(u), -static_cast<double>(v)) * RAD2DEG;
    if (d < 0) d += 360;
    return d;
}

double wrap(double d)
{
    if (d < 0) d += 360;
    if (d > 360) d -= 360;
    return d;
}

// ---------------------------------------------------------------------------------------------
// Derivatives
// ---------------------------------------------------------------------------------------------

template <int (*D)(const GRD_report *, GRD_report *)> int derivative(MathCall &c)
{
    if (!c.setup(1)) return 0;
    const GRD_report *z = c.rec(1);
    if (!z) return c.refuse();
    const ScaledUnits units(c, 1, PER_100KM, "/m");
    GRD_report *out = c.out();
    if (D(z, out) != 0) return 0;
    strfcpy(out->units, units.text);
    GRD_make_datatype(out, nullptr);
    return 1;
}

int grad(MathCall &c)
{
    if (!c.setup(1)) return 0;
    const GRD_report *z = c.rec(1);
    if (!z) return c.refuse();
    const ScaledUnits units(c, 1, PER_100KM, "/m");
    GRD_report *x = c.out(0), *y = c.out(1);
    if (GRD_dx(z, x) != 0 || GRD_dy(z, y) != 0) return 0;
    strfcpy(x->units, units.text);
    label(c, x, z, "Gradient");
    return 1;
}

int lapl(MathCall &c)
{
    if (!c.setup(1)) return 0;
    const GRD_report *z = c.rec(1);
    if (!z) return c.refuse();
    const ScaledUnits units(c, 1, PER_100KM2, "/m^2");
    GRD_report *out = c.out();
    if (GRD_laplacian(z, out) != 0) return 0;
    strfcpy(out->units, units.text);
    label(c, out, z, "Laplacian");
    return 1;
}

// ---------------------------------------------------------------------------------------------
// Pointwise vector functions
// ---------------------------------------------------------------------------------------------

int vdiff(MathCall &c)
{
    if (!c.setup(4)) return 0;
    const MathArg ua = c.arg(1), va = c.arg(2), ub = c.arg(3), vb = c.arg(4);
    float *X = c.out_values(0), *Y = c.out_values(1);
    const size_t n = c.points();
    for (size_t k = 0; k < n; k++) {
        if (!present(ua[k]) || !present(va[k]) || !present(ub[k]) || !present(vb[k])) {
            X[k] = Y[k] = MISS;
            continue;
        }
        X[k] = grd_result(ua[k] - ub[k]);
        Y[k] = grd_result(va[k] - vb[k]);
    }
    if (c.labelled() && c.rec(1)) GRD_make_devtype(c.out(0), c.rec(1), "Vector Diff");
    return 1;
}

/// "wspd", "spd", "mag".
int speed(MathCall &c)
{
    if (!c.setup(2, "m/s")) return 0;
    c.convert(1, "m/s");
    c.convert(2, "m/s");
    const MathArg u = c.arg(1), v = c.arg(2);
    c.each([&](size_t k) {
        if (!present(u[k]) || !present(v[k])) return MISS;
        return grd_result(std::sqrt(static_cast<double>(v[k] * v[k] + u[k] * u[k])));
    });
    if (std::string_view(c.func()) == "spd" && c.labelled() && c.rec(1))
        GRD_make_devtype(c.out(), c.rec(1), "Speed");
    return 1;
}

/// "wdir", "dir": the direction of a wind relative to the plot (grid) axes.
int wind_dir(MathCall &c)
{
    if (!c.setup(2, "deg", "wdir")) return 0;
    c.convert(1, "m/s");
    c.convert(2, "m/s");
    const MathArg u = c.arg(1), v = c.arg(2);
    c.each([&](size_t k) {
        if (!present(u[k]) || !present(v[k])) return MISS;
        return grd_result(wrap(direction(u[k], v[k])));
    });
    return 1;
}

/// Calls fn(k, x, y) for every point of the output with its plot position on the output's own
/// map, made current meanwhile; positions are -9999 when the map cannot place the grid.
template <class Fn> void walk(const MathCall &c, Fn fn)
{
    const MAP_keep keep;
    const Domain &d = c.out()->domain;
    MAP_domain(&d);
    const GridWalk w = grd_walk(d);
    size_t k = 0;
    for (int j = 0; j < c.ny(); j++)
        for (int i = 0; i < c.nx(); i++, k++)
            fn(k, w.ok ? w.x(i) : MISS, w.ok ? w.y(j) : MISS);
}

/// "ewdir": the direction of a grid-relative wind relative to true north.
int earth_dir(MathCall &c)
{
    if (!c.setup(2, "deg", "wdir")) return 0;
    c.convert(1, "m/s");
    c.convert(2, "m/s");
    const MathArg u = c.arg(1), v = c.arg(2);
    float *O = c.out_values();
    walk(c, [&](size_t k, float x, float y) {
        if (!present(u[k]) || !present(v[k]) || VYK_is_miss(x)) {
            O[k] = MISS;
            return;
        }
        const float d = MAP_undir_adj(static_cast<float>(direction(u[k], v[k])), x, y);
        O[k] = present(d) ? grd_result(wrap(d)) : MISS;
    });
    return 1;
}

/// "uwnd", "vwnd": earth-relative components of a direction and speed.
template <bool U> int component(MathCall &c)
{
    if (!c.setup(2, "m/s")) return 0;
    c.convert(2, "m/s");
    const MathArg dir = c.arg(1), spd = c.arg(2);
    c.each([&](size_t k) {
        if (!present(dir[k]) || !present(spd[k])) return MISS;
        const double a = dir[k] * DEG2RAD;
        return grd_result(-spd[k] * (U ? std::sin(a) : std::cos(a)));
    });
    return 1;
}

/// "uwndg", "vwndg": grid-relative components; the direction grid takes the grid-relative
/// directions where the result has a value.
template <bool U> int grid_component(MathCall &c)
{
    if (!c.setup(2, "m/s")) return 0;
    c.convert(2, "m/s");
    const MathArg dir = c.arg(1), spd = c.arg(2);
    GRD_report *dgrid = c.rec(1);
    float *O = c.out_values();
    walk(c, [&](size_t k, float x, float y) {
        const float dk = dir[k], sk = spd[k];
        if (!present(dk) || !present(sk) || VYK_is_miss(x)) {
            O[k] = MISS;
            return;
        }
        const float adj = MAP_dir_adj(dk, x, y);
        if (!present(adj)) {
            O[k] = MISS;
            return;
        }
        const double a = adj * DEG2RAD;
        O[k] = grd_result(-sk * (U ? std::sin(a) : std::cos(a)));
        if (dgrid) dgrid->grid[k] = adj;
    });
    return 1;
}

template <bool Dot> int product(MathCall &c)
{
    if (!c.setup(4, "m/s")) return 0;
    const MathArg ua = c.arg(1), va = c.arg(2), ub = c.arg(3), vb = c.arg(4);
    c.each([&](size_t k) {
        if (!present(ua[k]) || !present(va[k]) || !present(ub[k]) || !present(vb[k])) return MISS;
        return grd_result(Dot ? ua[k] * ub[k] + vb[k] * va[k] : vb[k] * ua[k] - ub[k] * va[k]);
    });
    return 1;
}

// ---------------------------------------------------------------------------------------------
// Geostrophic wind and Q-vectors
// ---------------------------------------------------------------------------------------------

/// The geostrophic component of heights z (m) into out: u = -g dz/dy / f, v = g dz/dx / f.
template <bool U> int geostrophic(const GRD_report *z, GRD_report *out)
{
    if ((U ? GRD_dy(z, out) : GRD_dx(z, out)) != 0) return -1;
    GRD_coriolis(out, "div");
    scale(out, U ? -GRAVITY : GRAVITY);
    return 0;
}

template <bool U> int geos(MathCall &c)
{
    if (!c.setup(1, "m/s")) return 0;
    GRD_report *z = c.rec(1);
    if (!z) return c.refuse();
    c.convert(1, "m");
    return geostrophic<U>(z, c.out()) == 0 ? 1 : 0;
}

/// A grid of the call's own, with another grid's header, released at the end.
struct Scratch : GRD_scratch {
    explicit Scratch(const GRD_report *like) { GRD_copy_info(&r, like); }
};

/// "uq", "vq": the Q-vector of heights z and temperatures t on the output's isobaric level.
template <bool U> int qvector(MathCall &c)
{
    if (!c.setup(2)) return 0;
    GRD_report *z = c.rec(1), *t = c.rec(2);
    if (!z || !t) return c.refuse();
    const GRD_report *out = c.out();
    if (out->ltype != LTYPE_ISOBARIC || out->level <= 0) {
        MESS_print(M_WARN_C, "GRD_math: The Q-vector needs an isobaric level (type %d, level %d)\n",
                   out->ltype, out->level);
        return c.refuse();
    }
    c.convert(1, "m");
    c.convert(2, "K");
    Scratch ug(z), vg(z), A(z), B(z), Tx(z), Ty(z);
    const auto d = U ? GRD_dx : GRD_dy;
    if (geostrophic<true>(z, &ug.r) != 0 || geostrophic<false>(z, &vg.r) != 0 ||
        d(&ug.r, &A.r) != 0 || d(&vg.r, &B.r) != 0 || GRD_dx(t, &Tx.r) != 0 ||
        GRD_dy(t, &Ty.r) != 0)
        return 0;
    const double factor = -GAS_CONSTANT / (PA_PER_MB * out->level);
    const float *a = A.r.grid, *b = B.r.grid, *tx = Tx.r.grid, *ty = Ty.r.grid;
    c.each([&](size_t k) {
        if (!present(a[k]) || !present(b[k]) || !present(tx[k]) || !present(ty[k])) return MISS;
        return grd_result((a[k] * tx[k] + b[k] * ty[k]) * factor);
    });
    return 1;
}

// ---------------------------------------------------------------------------------------------
// Convergence, deformation, vorticity and advection
// ---------------------------------------------------------------------------------------------

/// "conv", "diverg": u, v and an optional factor q (moisture convergence).
template <bool Div> int convergence(MathCall &c)
{
    const int n = c.count();
    if (n < 2) return c.refuse();
    const ScaledUnits units(c, 1, PER_100KM, "/m");
    if (!c.setup(n, units.text)) return 0;
    const GRD_report *u = c.rec(1), *v = c.rec(2), *q = n == 3 ? c.rec(3) : nullptr;
    if (!u || !v || (n == 3 && !q)) return c.refuse();
    GRD_report *out = c.out();
    label(c, out, q ? q : u, Div ? "Divergence" : "Convergence");
    if (GRD_converge(u, v, q, out) != 0) return 0;
    if (Div) scale(out, -1);
    return 1;
}

/// "def1", "def2", "vconv", "rvort", "avort": the kinematic operation of u and v (and q),
/// its units from u's.
template <int Count, bool Absolute, class Op> int kinematic(MathCall &c, Op op)
{
    const int n = Count > 0 ? Count : c.count();
    if (n < 2) return c.refuse();
    const ScaledUnits units(c, 1, PER_100KM, "/m");
    if (!c.setup(n, units.text)) return 0;
    const GRD_report *u = c.rec(1), *v = c.rec(2), *q = Count == 3 ? c.rec(3) : nullptr;
    if (!u || !v || (Count == 3 && !q)) return c.refuse();
    if (op(u, v, q, c.out()) != 0) return 0;
    if (Absolute) GRD_coriolis(c.out(), "add");
    return 1;
}

int def1(MathCall &c)
{
    return kinematic<0, false>(c, [](auto u, auto v, auto, auto o) { return GRD_deformation1(u, v, o); });
}
int def2(MathCall &c)
{
    return kinematic<0, false>(c, [](auto u, auto v, auto, auto o) { return GRD_deformation2(u, v, o); });
}
int vconv(MathCall &c)
{
    return kinematic<3, false>(c, [](auto u, auto v, auto q, auto o) { return GRD_converge(u, v, q, o); });
}
int rvort(MathCall &c)
{
    return kinematic<2, false>(c, [](auto u, auto v, auto, auto o) { return GRD_vorticity(u, v, o); });
}
int avort(MathCall &c)
{
    return kinematic<2, true>(c, [](auto u, auto v, auto, auto o) { return GRD_vorticity(u, v, o); });
}

int adv(MathCall &c)
{
    const ScaledUnits units(c, 3, PER_100KM, "/s");
    if (!c.setup(3, units.text)) return 0;
    const GRD_report *u = c.rec(1), *v = c.rec(2), *z = c.rec(3);
    if (!u || !v || !z) return c.refuse();
    GRD_report *out = c.out();
    label(c, out, z, "Advection");
    return GRD_advection(u, v, z, out) == 0 ? 1 : 0;
}

constexpr MathFunc WIND[] = {
    {"dx", derivative<GRD_dx>},
    {"dy", derivative<GRD_dy>},
    {"grad", grad},
    {"vdiff", vdiff},
    {"wspd", speed},
    {"spd", speed},
    {"mag", speed},
    {"wdir", wind_dir},
    {"dir", wind_dir},
    {"ewdir", earth_dir},
    {"uwnd", component<true>},
    {"uwndg", grid_component<true>},
    {"vwnd", component<false>},
    {"vwndg", grid_component<false>},
    {"dot", product<true>},
    {"cross", product<false>},
    {"ugeos", geos<true>},
    {"vgeos", geos<false>},
    {"uq", qvector<true>},
    {"vq", qvector<false>},
    {"lapl", lapl},
    {"conv", convergence<false>},
    {"diverg", convergence<true>},
    {"def1", def1},
    {"def2", def2},
    {"vconv", vconv},
    {"rvort", rvort},
    {"avort", avort},
    {"adv", adv},
};

}  // namespace

std::span<const MathFunc> grd_wind_funcs() { return WIND; }
