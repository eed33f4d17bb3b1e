// upa_hydro.cpp: hydrostatic fills: the missing heights of a pressure-ordered column and the
// missing pressures of a height-ordered column, from the hypsometric equation anchored to the
// values the column has.
//
// Both fills write an end marker into the record after the last level, so the caller's array
// holds one record more than its levels; a column of 300 levels or more is refused.
#include "vyk.h"
#include "upa_level.h"
#include "therm.h"
#include "upa_hydro.h"

#include <cmath>

namespace {

constexpr float MISS = VYK_MISS;
constexpr double RD = 287.05;                          // J/(kg K)
constexpr double GRAV = 9.8;                           // m/s2
constexpr double G_OVER_RD = 0.03414039365964118;      // 9.8 / 287.05
constexpr double LAPSE = 0.0065;                       // K/m
constexpr double STD_SFC_T = 288.15;                   // K
constexpr double FALLBACK_T = 273.15;                  // K

bool present(float v) { return !VYK_is_miss(v); }

/// False, with a warning, for a column that cannot hold its end marker in the working limit.
bool column_fits(const char *who, const UPA_level *level, int num)
{
    if (!level || num <= 0) return false;
    if (num >= UPA_MAX_LEVELS) {
        MESS_print(M_WARN, "%s: %d levels, at most %d can be filled\n", who, num,
                   UPA_MAX_LEVELS - 1);
        return false;
    }
    return true;
}

/// Temperature (K) of the standard lapse rate at height h from the first level's temperature,
/// or from the standard surface temperature when the first level has none; the fallback
/// without a height.
double standard_temp(const UPA_level *level, float h)
{
    if (!present(h)) return FALLBACK_T;
    const double t0 = present(level[0].t) ? level[0].t + FALLBACK_T : STD_SFC_T;
    return t0 - LAPSE * h;
}

/// Layer temperature (K) between levels a and b: their mean, the one present, else -9999.
double layer_temp(const UPA_level &a, const UPA_level &b)
{
    if (present(a.t) && present(b.t)) return (a.t + b.t) / 2.0 + FALLBACK_T;
    if (present(a.t)) return a.t + FALLBACK_T;
    if (present(b.t)) return b.t + FALLBACK_T;
    return MISS;
}

/// Height of upper level u above level l (which has its height) in the layer temperature tm.
float hypsometric(const UPA_level &l, const UPA_level &u, double tm)
{
    return static_cast<float>(l.h + std::log(static_cast<double>(l.p) / u.p) * RD * tm / GRAV);
}

int next_with(const UPA_level *level, int num, int from, float UPA_level::*field)
{
    int e = from + 1;
    while (e < num && !present(level[e].*field)) e++;
    return e;
}

/// Heights of the levels strictly between s and e by integrating up from s; the error at e
/// (when e is a level) is spread linearly in pressure.
void fill_heights(UPA_level *level, int num, int s, int e)
{
    const float H = e < num ? level[e].h : MISS;
    const int last = e < num ? e : num - 1;
    for (int k = s + 1; k <= last; k++) {
        const UPA_level &lo = level[k - 1];
        UPA_level &up = level[k];
        if (!present(lo.p) || !present(up.p) || !(lo.p > 0) || !(up.p > 0) || !present(lo.h)) {
            up.h = level[s].h;
            continue;
        }
        double tm = layer_temp(lo, up);
        if (VYK_is_miss(static_cast<float>(tm))) tm = standard_temp(level, lo.h);
        up.h = hypsometric(lo, up, tm);
    }
    if (e >= num) return;
    const float D = level[e].h - H;
    level[e].h = H;
    const float span = level[e].p - level[s].p;
    if (!present(level[s].p) || !present(level[e].p) || span == 0) return;
    for (int k = s + 1; k < e; k++)
        if (present(level[k].p)) level[k].h -= (level[k].p - level[s].p) * D / span;
}

}  // namespace

int UPA_calc_height(UPA_level *level, int num)
{
    if (!column_fits("UPA_calc_height", level, num)) return -1;
    for (int s = 0; s < num;) {
        const int e = next_with(level, num, s, &UPA_level::h);
        if (e == num) {
            level[num].p = level[num].h = level[num].t = MISS;
            if (s == 0) return -1;
        }
        UPA_level &S = level[s];
        if (!present(S.h) && e < num && S.p > 0 && level[e].p > 0) {
            double tm = layer_temp(S, level[e]);
            if (VYK_is_miss(static_cast<float>(tm))) tm = standard_temp(level, level[e].h);
            S.h = static_cast<float>(level[e].h - std::log(static_cast<double>(S.p) / level[e].p) *
                                                      RD * tm / GRAV);
        }
        // A stretch whose start has no height has nothing to integrate from.
        if (e - s > 1 && present(S.h)) fill_heights(level, num, s, e);
        s = e;
    }
    return 0;
}

int UPA_calc_press(UPA_level *level, int num)
{
    if (!column_fits("UPA_calc_press", level, num)) return 0;
    for (int s = 0; s < num;) {
        const int e = next_with(level, num, s, &UPA_level::p);
        if (e == num) level[num].p = level[num].h = MISS;
        UPA_level &S = level[s];
        const UPA_level *E = e < num ? &level[e] : nullptr;
        if (!present(S.h)) {
            if (!E || !present(E->p) || !present(S.p) || !present(E->h) || !(E->p > 0) ||
                !(S.p > 0)) {
                S.h = 0;
            } else {
                const double tm = present(S.t) && present(E->t) ? (S.t + E->t) / 2.0 + FALLBACK_T
                                                                : FALLBACK_T;
                S.h = static_cast<float>(E->h + std::log(static_cast<double>(E->p) / S.p) * RD *
                                                    tm / GRAV);
            }
        }
        if (!present(S.p) && E) {
            // The first level's pressure from the next one's, in a standard temperature.
            const double tm = present(E->h) ? standard_temp(level, E->h) : FALLBACK_T;
            if (present(E->h)) S.p = static_cast<float>(E->p * std::exp((E->h - S.h) * GRAV / (RD * tm)));
        }
        // Without any pressure to start from the stretch keeps its missing pressures.
        if (e - s > 1 && present(S.p) && S.p > 0) {
            double tm = 0;
            if (E && present(E->h) && E->p > 0 && S.p != E->p)
                tm = (E->h - S.h) * G_OVER_RD / std::log(static_cast<double>(S.p) / E->p);
            if (!(tm > 0)) tm = 0;  // heights and pressures that disagree: the standard value
            for (int i = s + 1; i < e; i++) {
                if (!present(level[i].h)) continue;
                if (tm == 0) tm = standard_temp(level, level[i].h);
                level[i].p = static_cast<float>(S.p * std::exp((S.h - level[i].h) * GRAV / (RD * tm)));
            }
        }
        s = e;
    }
    return 0;
}
