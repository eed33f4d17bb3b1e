// upa_layer.cpp: layer means and parcels: a derived quantity at a level, the log-pressure mean
// of a quantity over a layer, the mixed-layer parcel, the convective condensation level, the
// theta-E index, the buoyant energy of a layer and the ascent of a parcel.
//
// The layer walk is shared by the means and the dry part of the ascent: from the interpolated
// bottom B through every sounding level in between that has the walk's field to the
// interpolated top T, each segment weighed by ln(p_lower / p_upper).  A segment whose ends lack
// a value (or a pressure) is left out; the energies leave out layers that lack a temperature or
// a height instead of integrating over them.
#include "vyk.h"
#include "upa_level.h"
#include "therm.h"
#include "upa_interp.h"
#include "upa_layer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr float MISS = VYK_MISS;
constexpr float LOW_FLOOR = 500;         // mb: a column starting higher has no low layers
constexpr float THETAE_FLOOR = 700;      // mb: theta-E runs start at or below this level
constexpr int THETAE_RUNS = 5;
constexpr float CAP_FLOOR = 500;         // mb: the cap is taken below this level only
constexpr float MOIST_STEP = 10;         // mb between the points of the moist ascent
constexpr float GRAVITY = 9.8f;          // m/s2
constexpr int CCL_HALVINGS = 12;
constexpr double CCL_TOLERANCE = 2e-5;   // K^2

using Field = float UPA_level::*;

bool present(float v) { return !VYK_is_miss(v); }

/// The number of levels a calculation takes: none without an array, at most 300.
int working_count(const UPA_level *lev, int num)
{
    if (!lev || num <= 0) return 0;
    return std::min(num, UPA_MAX_LEVELS);
}

struct Quantity {
    const char *name;
    int code;
};
constexpr Quantity QUANTITIES[] = {
    {"temp", UPA_Q_TEMP},     {"dewp", UPA_Q_DEWP},     {"rhum", UPA_Q_RHUM},
    {"theta", UPA_Q_THETA},   {"dewd", UPA_Q_DEWD},     {"mrat", UPA_Q_MRAT},
    {"shum", UPA_Q_SHUM},     {"vpres", UPA_Q_VPRES},   {"wetblb", UPA_Q_WETBLB},
    {"thetaw", UPA_Q_THETAW}, {"thetae", UPA_Q_THETAE}, {"thetav", UPA_Q_THETAV},
    {"vtemp", UPA_Q_VTEMP},   {"hght", UPA_Q_HGHT},     {"hag", UPA_Q_HGHT},
    {"pres", UPA_Q_PRES},
};

// Labels of the ends of a segment that are not sounding levels.
constexpr int AT_BOTTOM = -1, AT_TOP = -2;

/// Room for the label of any index.
constexpr size_t LABEL_LEN = 12;

void index_label(char (&out)[LABEL_LEN], int ind)
{
    if (ind == AT_BOTTOM) strfcpy(out, "LB");
    else if (ind == AT_TOP) strfcpy(out, "LT");
    else snprintf(out, sizeof out, "%2d", ind);
}

/// Visits the segments of the layer from B (search index lb) to T (search index lt): from B to
/// the first level with field F when B does not lie at level lb, on through every level with F
/// below lt, and on to T when T is not at the last level reached.  visit(upper, lo, up) gets
/// the upper end of each segment and the labels of both ends.
template <typename Visit>
void layer_walk(const UPA_level *lev, int num, const UPA_level &B, int lb, const UPA_level &T,
                int lt, Field F, Visit &&visit)
{
    lt = std::clamp(lt, 0, num);
    lb = std::clamp(lb, 0, num);
    int lo = lb, k = lb + 1;
    float last_p = B.p;
    if (lb >= lt || lev[lb].p != B.p) {
        lo = AT_BOTTOM;
        k = lb;
        while (k < lt && !present(lev[k].*F)) k++;
        if (k < lt) {
            visit(lev[k], lo, k);
            lo = k;
            last_p = lev[k].p;
            k++;
        }
    }
    for (; k < lt; k++) {
        if (!present(lev[k].*F)) continue;
        visit(lev[k], lo, k);
        lo = k;
        last_p = lev[k].p;
    }
    if (T.p != last_p) visit(T, lo, AT_TOP);
}

/// Trapezoids in ln p: the running end is the upper end of the last segment, whether or not
/// that segment counted.
struct LogMean {
    double sum = 0, weight = 0;
    float run_p, run_v;

    LogMean(float p, float v) : run_p(p), run_v(v) {}

    void add(float p, float v)
    {
        if (present(run_v) && present(v) && run_p > 0 && p > 0) {
            const double w = std::log(static_cast<double>(run_p) / p);
            sum += (static_cast<double>(run_v) + v) * w;
            weight += w;
        }
        run_p = p;
        run_v = v;
    }

    float mean() const { return weight == 0 ? MISS : static_cast<float>(sum / (2 * weight)); }
};

void trace_segment(int lo, int up, float t1, float t2, float p1, float p2, float v1, float v2)
{
    if (!MESS_check(M_DEBUG_C)) return;
    char a[LABEL_LEN], b[LABEL_LEN];
    index_label(a, lo);
    index_label(b, up);
    MESS_print(M_DEBUG_C, "%s,%s  %5.1f,%5.1f %5.1f,%5.1f %5.1f,%5.1f\n", a, b, t1, t2, p1, p2, v1,
               v2);
}

/// The log-pressure mean of quantity code over the walk from B to T with field F qualifying;
/// the sum and weight in m.
LogMean walk_mean(const UPA_level *lev, int num, const UPA_level &B, int lb, const UPA_level &T,
                  int lt, Field F, int code)
{
    LogMean m(B.p, variable_calc(code, &B));
    float run_t = B.t;
    layer_walk(lev, num, B, lb, T, lt, F, [&](const UPA_level &up, int lo, int upi) {
        const float v = variable_calc(code, &up);
        trace_segment(lo, upi, run_t, up.t, m.run_p, up.p, m.run_v, v);
        m.add(up.p, v);
        run_t = up.t;
    });
    return m;
}

void trace_ends(const char *format, int lb, int lt, const UPA_level &B, const UPA_level &T)
{
    MESS_print(M_DEBUG_C, format, lb, lt, B.t, B.td, T.t, T.td);
}

// ---------------------------------------------------------------------------------------------
// Theta-E index
// ---------------------------------------------------------------------------------------------

/// Equivalent potential temperature of a level with temperature and dew point, else -9999.
float level_thetae(const UPA_level &lev)
{
    if (!present(lev.t) || !present(lev.td)) return MISS;
    return eq_pot_temp(UPA_kelvin(lev.t), UPA_kelvin(lev.td), lev.p);
}

/// The next level from k with a theta-E; num when none.
int next_thetae(const UPA_level *lev, int num, int k)
{
    while (k < num && !present(level_thetae(lev[k]))) k++;
    return k;
}

struct ThetaeRuns {
    double drop[THETAE_RUNS] = {};
    float base[THETAE_RUNS] = {MISS, MISS, MISS, MISS, MISS};
    float top[THETAE_RUNS] = {MISS, MISS, MISS, MISS, MISS};
    bool opened[THETAE_RUNS] = {};
    int run = 0;  // the latest run
    bool open = false;
};

/// The chosen run: the largest drop among those based at or below 700 mb, the first on ties.
int best_run(const ThetaeRuns &r)
{
    int best = 0;
    const int last = std::min(r.run, THETAE_RUNS - 1);
    for (int k = 1; k <= last; k++)
        if (r.base[k] >= THETAE_FLOOR && r.drop[k] > r.drop[best]) best = k;
    return best;
}

// ---------------------------------------------------------------------------------------------
// Parcel ascent
// ---------------------------------------------------------------------------------------------

/// The environment at pressure p; returns the search index.
int env_at(UPA_level *lev, int num, float p, UPA_level &E)
{
    return UPA_interp(lev, num, UPA_LT_PRES, p, &E);
}

/// A parcel point: its pressure and temperature (C).
UPA_level parcel_point(float p, float t)
{
    UPA_level P;
    UPA_level_init(&P);
    P.p = p;
    P.t = t;
    return P;
}

float dryad_c(float theta, float p)
{
    if (theta <= 0 || p <= 0) return MISS;
    return temp_on_dryad(theta, p) - UPA_KELVIN;
}

float satad_c(float thetae, float p)
{
    const float t = temp_on_satad(thetae, p);
    return present(t) && thetae > 0 ? t - UPA_KELVIN : MISS;
}

/// Sums of an ascent: energies, cap and the levels found on the way.
struct Ascent {
    PARCEL_params *out;
    UPA_level env;  // lower end of the current layer
    UPA_level par;
    float above = 0;  // negative energy met above the LFC
    bool lfc_found = false, positive = false, el_found = false;

    /// The cap at one point of the ascent below 500 mb.
    void cap_at(const UPA_level &E, const UPA_level &P)
    {
        if (E.p > CAP_FLOOR && present(E.t) && present(P.t))
            out->cap = std::max(out->cap, E.t - P.t);
    }

    /// A layer of the dry ascent: its energy goes to Bplus or Bminus.
    void dry(const UPA_level &E, const UPA_level &P, int lo, int up)
    {
        cap_at(E, P);
        const float e = energy_calc(&par, &P, &env, &E);
        if (present(e)) {
            if (e > 0) out->Bplus += e;
            else out->Bminus -= e;
        }
        if (MESS_check(M_DEBUG_C)) {
            char a[LABEL_LEN], b[LABEL_LEN];
            index_label(a, lo);
            index_label(b, up);
            MESS_print(M_DEBUG_C, "%s,%s  %5.1f,%5.1f %5.1f,%5.1f %5.1f,%5.1f = %5.1f\n", a, b,
                       env.t, E.t, env.p, E.p, par.t, P.t, e);
        }
        env = E;
        par = P;
    }

    /// A layer of the moist ascent: the LFC, EL and MPL and the energies on each side.
    void moist(const UPA_level &E, const UPA_level &P)
    {
        cap_at(E, P);
        const float e = energy_calc(&par, &P, &env, &E);
        const float mid = (env.p + E.p) / 2;
        MESS_print(M_DEBUG_C, "%5.1f,%5.1f %5.1f,%5.1f %5.1f,%5.1f = %5.1f\n", env.t, E.t, env.p,
                   E.p, par.t, P.t, e);
        env = E;
        par = P;
        if (!present(e)) return;
        if (e >= 0 && !lfc_found) {
            out->lfc = mid;
            lfc_found = true;
        }
        if (e < 0 && !lfc_found) out->Bminus -= e;
        if (e > 0) {
            out->Bplus += e;
            positive = true;
        }
        if (e < 0 && lfc_found) {
            above -= e;
            if (positive && !el_found) {
                out->el = mid;
                out->mpl = MISS;
                out->Bel = out->Bplus - above;
                el_found = true;
            }
            positive = false;
        }
        if (el_found && !present(out->mpl) && above >= out->Bplus) {
            out->mpl = mid;
            out->Bmpl = out->Bplus - above;
        }
    }
};

void reset_parcel(PARCEL_params *p)
{
    p->plcl = p->el = p->mpl = p->Bel = p->Bmpl = MISS;
    p->lfc = -1;
    p->Bplus = p->Bminus = p->wmax = p->cap = 0;
}

/// No ascent: the energies, cap and LFC missing as well.
int no_ascent(PARCEL_params *p)
{
    p->Bplus = p->Bminus = p->wmax = p->cap = p->lfc = MISS;
    return 0;
}

/// The starting parcel and the environment there; returns the environment's search index.
int start_parcel(UPA_level *lev, int num, UPA_level *blev, int coord, float bottom, float thick,
                 UPA_level &P, UPA_level &E)
{
    if (blev && present(blev->p)) {
        P = *blev;
        return env_at(lev, num, P.p, E);
    }
    const int l1 = UPA_interp(lev, num, coord, bottom, &E);
    P = E;
    if (thick > 0) {
        float w = MISS, o = MISS;
        layer_parcel_mean(lev, num, coord, bottom, UPA_thick_top(coord, bottom, thick), &w, &o);
        P.t = present(o) ? dryad_c(o, P.p) : MISS;
        P.td = present(w) && w > 0 && P.p > 0 ? temp_on_mixrat(w, P.p) - UPA_KELVIN : MISS;
    }
    if (blev) *blev = P;
    return l1;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Quantities and means
// ---------------------------------------------------------------------------------------------

int UPA_quantity_code(const char *name)
{
    if (!name) return 0;
    for (const Quantity &q : QUANTITIES)
        if (std::strcmp(q.name, name) == 0) return q.code;
    return 0;
}

float variable_calc(int type, const UPA_level *lev)
{
    if (!lev) return MISS;
    const float T = UPA_kelvin(lev->t), Td = UPA_kelvin(lev->td), p = lev->p;
    switch (type) {
    case UPA_Q_TEMP: return lev->t;
    case UPA_Q_DEWP: return lev->td;
    case UPA_Q_RHUM: return present(T) && present(Td) ? rel_hum(T, Td) : MISS;
    case UPA_Q_THETA: case UPA_Q_POT: return pot_temp(T, p);
    case UPA_Q_DEWD: return present(lev->t) && present(lev->td) ? lev->t - lev->td : MISS;
    case UPA_Q_MRAT: return mix_ratio(Td, p);
    case UPA_Q_SHUM: return spec_hum(Td, p);
    case UPA_Q_VPRES: return present(Td) ? vapor_pr(Td) : MISS;
    case UPA_Q_WETBLB: return wet_bulb(T, Td, p);
    case UPA_Q_THETAW: return wet_bulb_pot_temp(T, Td, p);
    case UPA_Q_THETAE: return eq_pot_temp(T, Td, p);
    case UPA_Q_THETAV: return virt_pot_temp(T, Td, p);
    case UPA_Q_VTEMP: return virt_temp(T, Td, p);
    case UPA_Q_HGHT: return lev->h;
    case UPA_Q_PRES: return lev->p;
    default: return MISS;
    }
}

float mean_value(const char *val, UPA_level *lev, int num, int coord, float bottom, float top)
{
    const int code = UPA_quantity_code(val);
    num = working_count(lev, num);
    if (code == 0 || num == 0 || lev[0].p < LOW_FLOOR || !present(bottom)) return MISS;
    UPA_level B;
    if (num == 1 && present(top)) return MISS;
    const int lb = UPA_interp(lev, num, coord, bottom, &B);
    if (num == 1 || !present(top) || top == bottom) return variable_calc(code, &B);
    UPA_level T;
    const int lt = UPA_interp(lev, num, coord, top, &T);
    trace_ends("%d-%d  %5.1f %5.1f  %5.1f %5.1f\n", lb, lt, B, T);
    return walk_mean(lev, num, B, lb, T, lt, &UPA_level::t, code).mean();
}

int layer_parcel_mean(UPA_level *lev, int num, int coord, float bottom, float top, float *Wbar,
                      float *Obar)
{
    float w = MISS, o = MISS;
    num = working_count(lev, num);
    if (num == 1) {
        w = mix_ratio(UPA_kelvin(lev[0].td), lev[0].p);
        o = pot_temp(UPA_kelvin(lev[0].t), lev[0].p);
    } else if (num > 1) {
        UPA_level B, T;
        const int lb = UPA_interp(lev, num, coord, bottom, &B);
        const int lt = UPA_interp(lev, num, coord == UPA_LT_SFC ? UPA_LT_PRES : coord, top, &T);
        trace_ends("%2d-%2d  %5.1f %5.1f  %5.1f %5.1f\n", lb, lt, B, T);
        // Divided by the whole depth of the layer, not by the weight of what contributed.
        if (B.p > 0 && T.p > 0 && B.p != T.p) {
            const double depth = 2 * std::log(static_cast<double>(B.p) / T.p);
            const LogMean mo = walk_mean(lev, num, B, lb, T, lt, &UPA_level::t, UPA_Q_POT);
            const LogMean mw = walk_mean(lev, num, B, lb, T, lt, &UPA_level::td, UPA_Q_MRAT);
            o = static_cast<float>(mo.sum / depth);
            w = static_cast<float>(mw.sum / depth);
        }
        MESS_print(M_DEBUG_C, "%f %f\n", w, o);
    }
    if (Wbar) *Wbar = w;
    if (Obar) *Obar = o;
    return 0;
}

float pr_ccl(UPA_level *lev, int num, int coord, float bottom, float thick, float *Wbar)
{
    float unused;
    if (!Wbar) Wbar = &unused;
    *Wbar = MISS;
    num = working_count(lev, num);
    if (num == 0) return MISS;
    UPA_level B;
    const int lb = UPA_interp(lev, num, coord, bottom, &B);
    if (B.p < LOW_FLOOR) return MISS;  // a missing pressure included
    if (num == 1) {
        *Wbar = mix_ratio(UPA_kelvin(B.td), B.p);
        return 0;
    }
    float W = MISS;
    if (thick > 0) layer_parcel_mean(lev, num, coord, bottom, UPA_thick_top(coord, bottom, thick),
                                     &W, nullptr);
    else W = mix_ratio(UPA_kelvin(B.td), B.p);
    *Wbar = W;
    if (!present(W)) return MISS;

    // The first level whose temperature the saturation temperature of W exceeds.
    int j = -1, s = lb;
    for (; s < num; s++) {
        if (!present(lev[s].t) || !(lev[s].p > 0)) continue;
        if (temp_on_mixrat(W, lev[s].p) > UPA_kelvin(lev[s].t)) break;
        j = s;
    }
    if (s >= num) return -1;
    if (s == lb || j < 0) return lev[s].p;  // nothing below it to bracket with

    // Bisection in pressure between levels j and s.
    const float pj = lev[j].p, ps = lev[s].p;
    float pc = (pj + ps) / 2, d = (pj - ps) / 2;
    for (int n = 0; n < CCL_HALVINGS; n++) {
        const float tsat = temp_on_mixrat(W, pc);
        const float tenv = UPA_kelvin(interp_temp(lev[s].t, lev[j].t, ps, pj, pc));
        if (!present(tenv)) break;
        const float diff = tsat - tenv;
        if (static_cast<double>(diff) * diff < CCL_TOLERANCE) break;
        pc = diff > 0 ? pc + d : pc - d;
        d /= 2;
    }
    return pc;
}

// ---------------------------------------------------------------------------------------------
// Theta-E index
// ---------------------------------------------------------------------------------------------

int thetae_index(const UPA_level *lev, int num, THETAE_params *params)
{
    if (!params) return -1;
    *params = {MISS, MISS, MISS, MISS, MISS, MISS, MISS};
    num = working_count(lev, num);
    int k = next_thetae(lev, num, 0);
    if (k >= num) return -1;
    float prev = level_thetae(lev[k]);
    params->max = params->min = prev;
    params->maxp = params->minp = lev[k].p;

    ThetaeRuns r;
    r.base[0] = lev[k].p;
    float last_p = lev[k].p;
    while (r.run < THETAE_RUNS && r.base[r.run] >= THETAE_FLOOR) {
        const int n = k + 1;
        k = next_thetae(lev, num, n);
        if (k >= num) break;
        const float e = level_thetae(lev[k]);
        last_p = lev[k].p;
        if (e > params->max) params->max = e, params->maxp = lev[k].p;
        if (e < params->min) params->min = e, params->minp = lev[k].p;
        if (prev >= e) {
            if (!r.open) {
                r.open = r.opened[r.run] = true;
                r.base[r.run] = lev[n].p;
            }
            r.drop[r.run] += prev - e;
        } else if (r.open) {
            r.top[r.run] = lev[n].p;
            r.open = false;
            if (++r.run < THETAE_RUNS) r.base[r.run] = lev[n].p;
        }
        prev = e;
    }
    if (!(r.base[0] >= THETAE_FLOOR)) return -1;
    const int best = best_run(r);
    params->index = static_cast<float>(r.drop[best]);
    params->base = r.base[best];
    // A run still open when the scan ended reaches the last level examined; a run that never
    // opened has no top.
    params->top = r.opened[best] && !present(r.top[best]) ? last_p : r.top[best];
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Energy and the parcel ascent
// ---------------------------------------------------------------------------------------------

float energy_calc(const UPA_level *par1, const UPA_level *par2, const UPA_level *env1,
                  const UPA_level *env2)
{
    if (!par1 || !par2 || !env1 || !env2) return MISS;
    for (float v : {par1->t, par2->t, env1->t, env2->t, env1->h, env2->h})
        if (!present(v)) return MISS;
    const float tp = (par1->t + par2->t) / 2;
    const float te = (env1->t + env2->t) / 2;
    if (te + UPA_KELVIN <= 0) return MISS;
    return (env2->h - env1->h) * GRAVITY * (tp - te) / (te + UPA_KELVIN);
}

int parcel_calc(UPA_level *lev, int num, UPA_level *blev, int coord, float bottom, float thick,
                PARCEL_params *params)
{
    if (!params) return 0;
    reset_parcel(params);
    num = working_count(lev, num);
    if (num == 0 || !present(bottom)) return no_ascent(params);

    UPA_level P, E;
    const int l1 = start_parcel(lev, num, blev, coord, bottom, thick, P, E);
    if (MESS_check(M_DEBUG_C))
        MESS_print(M_DEBUG_C, "P:%6.1f H:%7.0f T:%7.1f Td:%7.1f Dir:%6.0f Spd:%6.0f\n", P.p, P.h,
                   P.t, P.td, P.dir, P.spd);

    // Without a condensation level there is no ascent to make.
    const float T0 = UPA_kelvin(P.t);
    params->plcl = lcl_pres(T0, UPA_kelvin(P.td), P.p);
    if (!present(params->plcl)) {
        params->tlcl = params->Satad = MISS;
        return no_ascent(params);
    }
    params->tlcl = lcl_temp(T0, P.p, params->plcl);
    const float dryad = pot_temp(params->tlcl, params->plcl);
    UPA_level L;
    const int l2 = env_at(lev, num, params->plcl, L);
    if (present(E.t) && present(P.t)) params->cap = std::max(0.0f, E.t - P.t);

    // Dry ascent to the LCL through the sounding's levels.
    Ascent a{params, E, parcel_point(P.p, P.t)};
    layer_walk(lev, num, E, l1, L, l2, &UPA_level::t, [&](const UPA_level &up, int lo, int upi) {
        UPA_level U = up;
        if (upi >= 0) env_at(lev, num, up.p, U);
        a.dry(U, parcel_point(U.p, dryad_c(dryad, U.p)), lo, upi);
    });

    // Moist ascent in 10 mb steps from the LCL to the top of the sounding.
    params->Satad = thetae_on_satad(params->tlcl, params->plcl);
    a.env = L;
    a.par = parcel_point(params->plcl, params->tlcl - UPA_KELVIN);
    const float top_p = std::max(lev[num - 1].p, 0.0f);
    for (int k = 1;; k++) {
        const float p = params->plcl - MOIST_STEP * static_cast<float>(k);
        if (!(p > top_p)) break;
        UPA_level U;
        env_at(lev, num, p, U);
        if (!present(U.t)) break;
        a.moist(U, parcel_point(p, satad_c(params->Satad, p)));
    }
    MESS_print(M_DEBUG_C, "   %5.1f-%5.1f-%5.1f %5.1f,%5.1f,%5.1f %5.1f-%5.1f\n", params->Bplus,
               params->Bminus, a.above, params->lfc, params->el, params->mpl, params->Bel,
               params->Bmpl);
    if (params->Bplus > 0) params->wmax = std::sqrt(2 * params->Bplus);
    return 1;
}
