// upa_wind.cpp: the wind calculations of a sounding: the mean wind of a layer, its shear split
// into veering and backing steps, storm-relative helicity with its vorticity companions, the
// bulk Richardson number and the energy-helicity index.
//
// Stateless functions over a caller's sounding (ground first).  The ends of a layer and the
// samples inside it come from the interpolation; a sample without a wind is left out of the
// sums, and a step that lacks what its sum needs (a pressure for the log-pressure weights) is
// skipped, so that no sum ever takes a missing value.
#include "vyk.h"
#include "upa_level.h"
#include "upa_interp.h"
#include "upa_wind.h"
#include "upa_row.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr float MISS = VYK_MISS;
constexpr float HIGH_FOOT = 5000;      // m: a sounding starting higher has no low layers
constexpr float SHEAR_STEP = 500;      // m between the samples of the shear
constexpr float HEL_STEP = 100;        // m between the samples of the helicity
constexpr float CEILING_SLACK = 10;    // m above the top still sampled
constexpr float MAX_SAMPLED = 100000;  // m above the bottom: no air is sampled beyond
constexpr float BRN_LOW = 500, BRN_HIGH = 6000;  // m: the two mean winds of the bulk shear
constexpr float BRN_CALM = 0.01f;                 // m/s: less shear counts as none
constexpr float EHI_DEPTH = 2000;                 // m: the helicity layer of the index
constexpr float EHI_SCALE = 160000;

float knots_to_ms(float spd) { return VYK_is_miss(spd) ? MISS : spd * UPA_KNOT_MS; }

/// A wind as a vector in m/s (both components -9999 when the wind is missing).
struct Vec {
    float u = MISS, v = MISS;
    bool ok() const { return !VYK_is_miss(u); }
};

Vec vector_ms(float dir, float spd_knots)
{
    Vec w;
    wind2vect(dir, knots_to_ms(spd_knots), &w.u, &w.v);
    return w;
}

/// dir difference brought into -180 to 180.
float turn(float d)
{
    if (d < -180) d += 360;
    if (d > 180) d -= 360;
    return d;
}

/// Height of sample k (from 1) above from, every step metres, while it stays within ceiling;
/// false past the ceiling or past the highest air that is ever sampled.
bool sample_height(float from, float ceiling, float step, int k, float &z)
{
    z = from + step * static_cast<float>(k);
    return z <= ceiling && step * static_cast<float>(k) <= MAX_SAMPLED;
}

// ---------------------------------------------------------------------------------------------
// Layer mean wind
// ---------------------------------------------------------------------------------------------

/// One end of a segment of the mean: its pressure, its wind in the sounding's unit.
struct End {
    float p = MISS;
    float u = MISS, v = MISS, spd = MISS;
    bool wind = false;
};

End end_of(const UPA_level &lev)
{
    End e;
    e.p = lev.p;
    e.spd = lev.spd;
    e.wind = wind2vect(lev.dir, lev.spd, &e.u, &e.v) == 0;
    return e;
}

/// Sums of the log-pressure weighted trapezoids; the upper end of each segment becomes the
/// running end whether or not the segment counted.
struct MeanSums {
    float su = 0, sv = 0, ss = 0, w = 0;
    End run;

    void segment(const End &up, const char *label_lo, int lo, const char *label_up, int upi)
    {
        const End &low = run;
        if (low.wind && up.wind && low.p > 0 && up.p > 0) {
            const float wt = static_cast<float>(std::log(static_cast<double>(low.p) / up.p));
            w += wt;
            su += (low.u + up.u) * wt;
            sv += (low.v + up.v) * wt;
            ss += (low.spd + up.spd) * wt;
        }
        if (MESS_check(M_DEBUG_C)) trace(up, label_lo, lo, label_up, upi);
        run = up;
    }

    void trace(const End &up, const char *label_lo, int lo, const char *label_up, int upi) const
    {
        char a[16], b[16];
        if (label_lo) strfcpy(a, label_lo);
        else snprintf(a, sizeof a, "%2d", lo);
        if (label_up) strfcpy(b, label_up);
        else snprintf(b, sizeof b, "%2d", upi);
        MESS_print(M_DEBUG_C, "%s,%s  %5.1f,%5.1f %5.1f,%5.1f %5.1f,%5.1f %5.1f,%5.1f\n", a, b,
                   run.p, up.p, run.u, run.v, up.u, up.v, su, sv);
    }
};

/// True when a layer runs the wrong way on its coordinate.
bool reversed(int coord, float bottom, float top)
{
    if (VYK_is_miss(top)) return false;
    return UPA_coord_kind(coord) == UPA_KIND_PRES ? top > bottom : top < bottom;
}

int set_wind(WIND *wind, float dir, float spd, int result)
{
    wind->dir = dir;
    wind->spd = spd;
    return result;
}

/// The segments of the mean: from B to the first level above it with a wind (when B is not at
/// a level), on through every level with a wind below T's index lt, and on to T.
void mean_walk(MeanSums &s, const UPA_level *lev, const UPA_level &B, int lb,
               const UPA_level &T, int lt)
{
    int k = lb + 1, last = lb;
    if (lb < lt && lev[lb].p != B.p) {
        k = lb;
        while (k < lt && VYK_is_miss(lev[k].dir)) k++;
        if (k < lt) s.segment(end_of(lev[k]), "LB", 0, nullptr, k);
        last = k++;
    }
    for (; k < lt; k++) {
        if (VYK_is_miss(lev[k].dir)) continue;
        s.segment(end_of(lev[k]), nullptr, last, nullptr, k);
        last = k;
    }
    if (T.p != s.run.p) s.segment(end_of(T), nullptr, last, "LT", 0);
}

// ---------------------------------------------------------------------------------------------
// Shear and helicity
// ---------------------------------------------------------------------------------------------

/// The highest sample height of a layer from B to T: 10 m above T's height.  Without one, on
/// coordinate 103 the depth asked for above B's height (result 0), on any other code none
/// (result -1).
int sample_ceiling(int coord, float bottom, float top, const UPA_level &B, const UPA_level &T,
                   float &ceiling, int &result)
{
    if (!VYK_is_miss(T.h)) {
        ceiling = T.h + CEILING_SLACK;
        return result;
    }
    if (coord != UPA_LT_HGHT || VYK_is_miss(top) || VYK_is_miss(bottom)) return result = -1;
    ceiling = B.h + (top - bottom);
    return result = 0;
}

/// The wind of the sounding at height z, as a vector in m/s, with its direction.
Vec sample_at(UPA_level *lev, int num, float z, float &dir)
{
    UPA_level S;
    UPA_interp(lev, num, UPA_LT_HGHT, z, &S);
    dir = S.dir;
    return vector_ms(S.dir, S.spd);
}

/// True when the wind veers (turns clockwise) from direction d0 to d1.
bool veers(float d0, float d1)
{
    const float d = d1 - d0;
    return (d > 0 && d < 180) || d < -180;
}

void set_missing(HELICITY_params *h)
{
    *h = {MISS, MISS, MISS, MISS, MISS, MISS, MISS, MISS};
}

/// Storm-relative helicity sums over the samples of a layer.
struct HelicitySums {
    Vec run;           // running storm-relative vector
    float run_dir = MISS, run_spd = MISS;
    int n = 0;         // samples taken
    float depth = 0;   // m of steps that counted
    float turning = 0; // sum of the streamwise (turning) terms
    float total = 0;   // sum of the total shear terms

    void start(const Vec &v)
    {
        run = v;
        vect2wind(v.u, v.v, &run_dir, &run_spd);
    }

    /// One sample V (storm-relative, m/s) at the end of a step of HEL_STEP metres.
    void step(const Vec &V, HELICITY_params *hp)
    {
        float dir, spd;
        vect2wind(V.u, V.v, &dir, &spd);
        const float h = run.v * V.u - run.u * V.v;
        if (h > 0) hp->pos_hel += h;
        else hp->neg_hel += h;
        const float d = turn(dir - run_dir);
        const float a = (run_spd + spd) * (d * static_cast<float>(VECT_DEG2RAD) / HEL_STEP) / 2;
        const float b = (spd - run_spd) / HEL_STEP;
        turning += a;
        total += std::sqrt(a * a + b * b);
        depth += HEL_STEP;
        run = V;
        run_dir = dir;
        run_spd = spd;
    }
};

/// The storm-relative wind of a level: its vector less the storm's.
Vec relative(const UPA_level &lev, const Vec &storm)
{
    Vec v = vector_ms(lev.dir, lev.spd);
    if (v.ok()) {
        v.u -= storm.u;
        v.v -= storm.v;
    }
    return v;
}

}  // namespace

// -------------------------------------------------------------------------------------------------
// Layer mean wind
// -------------------------------------------------------------------------------------------------

int layer_wind_mean(UPA_level *lev, int num, int coord, float bottom, float top, WIND *wind)
{
    if (!wind) return -1;
    if (reversed(coord, bottom, top) || !lev || num <= 0 || VYK_is_miss(bottom))
        return set_wind(wind, MISS, MISS, -1);
    if (num == 1) return set_wind(wind, lev[0].dir, lev[0].spd, 0);
    UPA_level B, T;
    const int lb = UPA_interp(lev, num, coord, bottom, &B);
    if (VYK_is_miss(top) || top == bottom)
        return set_wind(wind, B.dir, B.spd, VYK_is_miss(B.dir) ? 0 : 1);
    const int lt = UPA_interp(lev, num, coord, top, &T);
    if (MESS_check(M_DEBUG_C | M_DEBUG_D)) {
        UPA_print_level(M_DEBUG_D, M_DEBUG_D, 1, &B);
        UPA_print_level(M_DEBUG_D, M_DEBUG_D, 2, &T);
        MESS_print(M_DEBUG_C, "%2d-%2d  %5.1f %5.1f  %5.1f %5.1f\n", lb, lt, B.dir, B.spd,
                   T.dir, T.spd);
    }
    MeanSums s;
    s.run = end_of(B);
    mean_walk(s, lev, B, lb, T, std::min(lt, num));
    if (s.w == 0) return set_wind(wind, MISS, MISS, 0);
    float dir, spd;
    vect2wind(s.su / (2 * s.w), s.sv / (2 * s.w), &dir, &spd);
    spd = s.ss / (2 * s.w);
    MESS_print(M_DEBUG_C, "%f %f\n", dir, spd);
    return set_wind(wind, dir, spd, VYK_is_miss(T.dir) ? 0 : 1);
}

// -------------------------------------------------------------------------------------------------
// Shear
// -------------------------------------------------------------------------------------------------

int shear_layer(UPA_level *lev, int num, int coord, float bottom, float top, const WIND *storm,
                SHEAR_params *windp)
{
    if (!windp) return 0;
    *windp = {MISS, MISS};
    if (!lev || num <= 0 || lev[0].h > HIGH_FOOT) return 0;
    if (MESS_check(M_DEBUG_C)) {  // the storm motion is only traced
        const Vec s = storm ? vector_ms(storm->dir, storm->spd) : Vec{0, 0};
        MESS_print(M_DEBUG_C, "%f,%f\n", s.u, s.v);
    }
    UPA_level B, T;
    UPA_interp(lev, num, coord, bottom, &B);
    UPA_interp(lev, num, coord, top, &T);
    if (VYK_is_miss(B.h)) return -1;
    int result = 1;
    float ceiling = MISS;
    if (sample_ceiling(coord, bottom, top, B, T, ceiling, result) < 0) return -1;

    float px = 0, py = 0, nx = 0, ny = 0, depth = 0;
    Vec run = vector_ms(B.dir, B.spd);
    float run_dir = B.dir;
    float z;
    for (int k = 1; sample_height(B.h, ceiling, SHEAR_STEP, k, z); k++) {
        float dir;
        const Vec V = sample_at(lev, num, z, dir);
        if (run.ok() && V.ok()) {
            // A missing sample breaks the chain: the next one starts a new pair.
            const float du = V.u - run.u, dv = V.v - run.v;
            if (veers(run_dir, dir)) px += du, py += dv;
            else nx += du, ny += dv;
            depth += SHEAR_STEP;
        }
        MESS_print(M_DEBUG_C,
                   "%5.1f %5.1f-%5.1f  %5.1f,%5.1f %5.1f,%5.1f = %5.1f,%5.1f %5.1f,%5.1f\n", z,
                   run_dir, dir, run.u, run.v, V.u, V.v, px, py, nx, ny);
        run = V;
        run_dir = dir;
    }
    if (depth == 0) return result;
    windp->pos_shr = std::sqrt(px * px + py * py) / depth;
    windp->neg_shr = std::sqrt(nx * nx + ny * ny) / depth;
    MESS_print(M_DEBUG_C, "%5.1f %5.1f-%5.1f\n", depth, windp->pos_shr, windp->neg_shr);
    return result;
}

// -------------------------------------------------------------------------------------------------
// Helicity
// -------------------------------------------------------------------------------------------------

int helicity(UPA_level *lev, int num, int coord, float bottom, float top, const WIND *storm,
             HELICITY_params *windp)
{
    if (!windp) return 0;
    set_missing(windp);
    // A storm motion needs both its direction and its speed.
    if (!lev || num < 2 || lev[0].h > HIGH_FOOT || !storm || VYK_is_miss(storm->dir) ||
        VYK_is_miss(storm->spd))
        return 0;
    const Vec S = vector_ms(storm->dir, storm->spd);
    MESS_print(M_DEBUG_C, "%f,%f\n", S.u, S.v);

    int result = 1;
    UPA_level B, T;
    UPA_interp(lev, num, coord, bottom, &B);
    const int lt = UPA_interp(lev, num, coord, top, &T);
    if (VYK_is_miss(T.dir) && lt >= num) {  // the top lies above the sounding
        result = 0;
        UPA_interp(lev, num, UPA_LT_HGHT, lev[num - 1].h, &T);
    }
    HelicitySums sums;
    sums.start(relative(B, S));
    const Vec top_rel = relative(T, S);
    float top_dir, top_spd;
    vect2wind(top_rel.u, top_rel.v, &top_dir, &top_spd);
    if (!VYK_is_miss(sums.run_dir) && !VYK_is_miss(top_dir))
        windp->dir_shr = turn(top_dir - sums.run_dir);

    if (VYK_is_miss(B.h)) return -1;
    float ceiling = MISS;
    if (sample_ceiling(coord, bottom, top, B, T, ceiling, result) < 0) return -1;

    windp->pos_hel = windp->neg_hel = windp->tot_hel = windp->ave_hel = 0;
    windp->rel_hel = windp->hor_vort = windp->stm_vort = 0;
    float z;
    for (int k = 1; sample_height(B.h, ceiling, HEL_STEP, k, z); k++) {
        float dir;
        Vec V = sample_at(lev, num, z, dir);
        if (V.ok()) {
            V.u -= S.u;
            V.v -= S.v;
            // The first present wind starts the chain when the bottom had none; after that a
            // present sample pairs with the last present one.
            if (sums.run.ok()) sums.step(V, windp);
            else sums.start(V);
        }
        MESS_print(M_DEBUG_C, "%5.1f %5.1f-%5.1f  %5.1f,%5.1f %5.1f,%5.1f = %5.1f %5.1f\n", z,
                   sums.run_dir, dir, sums.run.u, sums.run.v, V.u, V.v, windp->pos_hel,
                   windp->neg_hel);
        sums.n++;
    }
    windp->tot_hel = windp->pos_hel + windp->neg_hel;
    if (sums.depth != 0) windp->ave_hel = windp->tot_hel / sums.depth;
    if (sums.n != 0) {
        windp->hor_vort = sums.total / sums.n;
        windp->stm_vort = sums.turning / sums.n;
    }
    if (windp->hor_vort != 0) windp->rel_hel = sums.turning / sums.total;
    return result;
}

// -------------------------------------------------------------------------------------------------
// Bulk Richardson number and energy-helicity index
// -------------------------------------------------------------------------------------------------

int bulk_richardson(UPA_level *lev, int num, int coord, float bottom, float cape, float *brn,
                    float *shear)
{
    *brn = *shear = MISS;
    if (!lev || num <= 0) return -1;
    UPA_level B;
    UPA_interp(lev, num, coord, bottom, &B);
    const float top_low = VYK_is_miss(B.h) ? MISS : B.h + BRN_LOW;
    const float top_high = VYK_is_miss(B.h) ? MISS : B.h + BRN_HIGH;
    WIND m1, m2;
    const int r1 = layer_wind_mean(lev, num, UPA_LT_HGHT, B.h, top_low, &m1);
    const int r2 = layer_wind_mean(lev, num, UPA_LT_HGHT, B.h, top_high, &m2);
    if (r1 != 1 && r2 != 1) return -1;
    const Vec v1 = vector_ms(m1.dir, m1.spd), v2 = vector_ms(m2.dir, m2.spd);
    if (!v1.ok() || !v2.ok()) return -1;  // one of the two means has no wind at all
    const float du = v2.u - v1.u, dv = v2.v - v1.v;
    const float s2 = du * du + dv * dv;
    *shear = std::sqrt(s2);
    // Two means that agree but for rounding have no shear to divide by.
    if (cape >= 0 && *shear >= BRN_CALM) *brn = cape / (0.5f * s2);
    return 0;
}

float energy_helicity(UPA_level *lev, int num, int coord, float bottom, const WIND *storm,
                      float cape)
{
    if (!lev || num <= 0 || VYK_is_miss(bottom)) return MISS;
    UPA_level B;
    UPA_interp(lev, num, coord, bottom, &B);
    HELICITY_params hp;
    const float top = VYK_is_miss(B.h) ? MISS : B.h + EHI_DEPTH;
    helicity(lev, num, UPA_LT_HGHT, B.h, top, storm, &hp);
    if (VYK_is_miss(hp.pos_hel) || VYK_is_miss(cape)) return MISS;
    return hp.pos_hel * cape / EHI_SCALE;
}
