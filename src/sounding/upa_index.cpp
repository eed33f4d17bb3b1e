// upa_index.cpp: stability, temperature and moisture indices: thickness and lapse rates,
// static stability, precipitable water, the wet-bulb zero, the estimated maximum temperature,
// the cap strength, the lifted and Showalter indices, the totals, K, SWEAT and energy indices.
//
// Levels come from the interpolation; temperatures enter the formulas in kelvin.  Every index
// whose inputs are missing is -9999: no formula ever sees -9999 as a temperature.
#include "vyk.h"
#include "upa_level.h"
#include "therm.h"
#include "upa_interp.h"
#include "upa_layer.h"
#include "upa_index.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float MISS = VYK_MISS;
constexpr float LOW_FLOOR = 500;  // mb: a sounding starting higher has no low layers
constexpr float P850 = 850, P700 = 700, P500 = 500;
constexpr float RD = 287.05f;             // J/(kg K)
constexpr float PW_SCALE = 2.4892f;       // mb per inch of water per kg/kg
constexpr float TT_THRESHOLD = 49;        // total totals above which SWEAT adds a term
constexpr float SWEAT_MIN_SPEED = 15;     // knots
constexpr double DEG2RAD = 0.017453292519943334;
// Static energy: specific heat 0.24 cal/(g K), g h in cal/g (980 cm/s2, 4.2e7 erg/cal), latent
// heat 0.6 cal per g of vapour per g/kg.
constexpr float CP_CAL = 0.24f, G_CGS = 980, ERG_PER_CAL = 42000000, L_CAL = 0.6f;

bool present(float v) { return !VYK_is_miss(v); }

int working_count(const UPA_level *lev, int num)
{
    if (!lev || num <= 0) return 0;
    return std::min(num, UPA_MAX_LEVELS);
}

/// The sounding at value on coord; all missing for an empty sounding.
UPA_level at(UPA_level *lev, int num, int coord, float value)
{
    UPA_level L;
    UPA_level_init(&L);
    if (working_count(lev, num) > 0) UPA_interp(lev, working_count(lev, num), coord, value, &L);
    return L;
}

UPA_level at_pres(UPA_level *lev, int num, float p) { return at(lev, num, UPA_LT_PRES, p); }

float theta_of(const UPA_level &L)
{
    if (!present(L.t) || !(L.p > 0)) return MISS;
    return pot_temp(UPA_kelvin(L.t), L.p);
}

/// The two ends of a layer.
struct Ends {
    UPA_level B, T;
};

Ends ends(UPA_level *lev, int num, int coord, float bottom, float top)
{
    return {at(lev, num, coord, bottom), at(lev, num, coord, top)};
}

/// A parcel's temperature and dew point (K) at pressure p of level B: B's own, or the mean of
/// the layer from bottom over thick when thick > 0.
struct Parcel {
    float t = MISS, td = MISS, p = MISS;
};

Parcel parcel_of(UPA_level *lev, int num, int coord, float bottom, float thick,
                 const UPA_level &B)
{
    Parcel P;
    P.p = B.p;
    if (!(B.p > 0)) return P;
    if (thick > 0) {
        float w = MISS, o = MISS;
        layer_parcel_mean(lev, num, coord, bottom, UPA_thick_top(coord, bottom, thick), &w, &o);
        if (present(o) && o > 0) P.t = temp_on_dryad(o, B.p);
        if (present(w) && w > 0) P.td = temp_on_mixrat(w, B.p);
    } else {
        P.t = UPA_kelvin(B.t);
        P.td = UPA_kelvin(B.td);
    }
    return P;
}

/// The wet-bulb temperature (C) of a level with temperature, dew point and pressure.
float wet_bulb_c(const UPA_level &L)
{
    if (!present(L.t) || !present(L.td) || !present(L.p)) return MISS;
    const float w = wet_bulb(UPA_kelvin(L.t), UPA_kelvin(L.td), L.p);
    return present(w) ? w - UPA_KELVIN : MISS;
}

float static_energy(const UPA_level &L)
{
    const float w = mix_ratio(UPA_kelvin(L.td), L.p);
    if (!present(w)) return MISS;
    return CP_CAL * UPA_kelvin(L.t) + L.h * G_CGS * 100 / ERG_PER_CAL + L_CAL * w;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Layer functions
// ---------------------------------------------------------------------------------------------

float thickness(UPA_level *lev, int num, int coord, float bottom, float top)
{
    const Ends e = ends(lev, num, coord, bottom, top);
    if (!present(e.B.h) || !present(e.T.h)) return MISS;
    return std::fabs(e.T.h - e.B.h);
}

float lapse_rate(UPA_level *lev, int num, int coord, float bottom, float top)
{
    const Ends e = ends(lev, num, coord, bottom, top);
    if (!present(e.B.t) || !present(e.T.t) || !present(e.B.h) || !present(e.T.h) ||
        e.T.h == e.B.h)
        return MISS;
    return -(e.T.t - e.B.t) / (e.T.h - e.B.h);
}

float theta_lapse_rate(UPA_level *lev, int num, int coord, float bottom, float top)
{
    const Ends e = ends(lev, num, coord, bottom, top);
    const float tb = theta_of(e.B), tt = theta_of(e.T);
    if (!present(tb) || !present(tt) || !present(e.B.h) || !present(e.T.h) || e.T.h == e.B.h)
        return MISS;
    return (tt - tb) / (e.T.h - e.B.h);
}

float theta_pres_lapse_rate(UPA_level *lev, int num, int coord, float bottom, float top)
{
    const Ends e = ends(lev, num, coord, bottom, top);
    const float tb = theta_of(e.B), tt = theta_of(e.T);
    if (!present(tb) || !present(tt) || e.B.p == e.T.p) return MISS;
    return (tt - tb) / (e.B.p - e.T.p);
}

float static_stability(UPA_level *lev, int num, int coord, float level)
{
    const UPA_level L = at(lev, num, coord, level);
    const Ends e = ends(lev, num, coord, UPA_thick_bottom(coord, level, MISS),
                        UPA_thick_top(coord, level, MISS));
    const float tb = theta_of(e.B), tt = theta_of(e.T), tl = theta_of(L);
    // The middle level's temperature is needed as well: it scales the result.
    if (!present(tb) || !present(tt) || !present(tl) || !present(e.B.h) || !present(e.T.h) ||
        e.T.p == e.B.p)
        return MISS;
    return (tt - tb) * (UPA_kelvin(L.t) * -RD / (L.p * 10000 * tl)) / (e.T.p - e.B.p);
}

float max_temperature(UPA_level *lev, int num, int coord, float bottom, float thick)
{
    if (!present(bottom)) return MISS;
    const UPA_level B = at(lev, num, coord, bottom);
    const UPA_level T = at(lev, num, coord, UPA_thick_top(coord, bottom, thick));
    const float theta = theta_of(T);
    if (!present(theta) || !(B.p > 0)) return MISS;
    return temp_on_dryad(theta, B.p);
}

float cap_strength(UPA_level *lev, int num, int coord, float bottom, float thick)
{
    if (working_count(lev, num) == 0 || !present(bottom)) return MISS;
    const UPA_level B = at(lev, num, coord, bottom);
    const Parcel P = parcel_of(lev, num, coord, bottom, thick, B);
    const float plcl = lcl_pres(P.t, P.td, P.p);
    if (!present(plcl)) return MISS;  // no parcel to compare with
    const float tlcl = lcl_temp(P.t, P.p, plcl);
    // Above 500 mb the parcel is taken along its dry adiabat, else its moist adiabat.
    const bool dry = plcl < LOW_FLOOR;
    const float theta = dry ? pot_temp(P.t, P.p) : thetae_on_satad(tlcl, plcl);
    auto parcel_c = [&](float p) {
        const float t = dry ? temp_on_dryad(theta, p) : temp_on_satad(theta, p);
        return present(t) && t > 0 ? t - UPA_KELVIN : MISS;
    };

    UPA_level E;
    const int k0 = UPA_interp(lev, working_count(lev, num), UPA_LT_PRES, plcl, &E);
    float cap = present(E.t) ? E.t - (tlcl - UPA_KELVIN) : MISS;
    for (int k = k0; k < working_count(lev, num) && lev[k].p > LOW_FLOOR; k++) {
        if (!present(lev[k].t)) continue;
        const float tp = parcel_c(lev[k].p);
        if (!present(tp)) continue;
        const float excess = lev[k].t - tp;
        if (!present(cap) || excess > cap) cap = excess;
    }
    return cap;
}

float lifted_index(UPA_level *lev, int num, int coord, float bottom, float thick, float top)
{
    if (working_count(lev, num) == 0 || lev[0].p < LOW_FLOOR) return MISS;
    const Ends e = ends(lev, num, coord, bottom, top);
    if (!present(e.B.t) || !present(e.T.t) || !(e.T.p > 0)) return MISS;
    const Parcel P = parcel_of(lev, num, coord, bottom, thick, e.B);
    if (!present(P.t)) return MISS;
    // Without a dew point there is no condensation level: the parcel stays dry all the way.
    const float plcl = lcl_pres(P.t, P.td, P.p);
    float tp;
    if (e.T.p > plcl) {
        tp = temp_on_dryad(pot_temp(P.t, P.p), e.T.p);
    } else {
        tp = temp_on_satad(thetae_on_satad(lcl_temp(P.t, P.p, plcl), plcl), e.T.p);
    }
    if (!present(tp) || !(tp > 0)) return MISS;
    return e.T.t - (tp - UPA_KELVIN);
}

// ---------------------------------------------------------------------------------------------
// Whole-sounding functions
// ---------------------------------------------------------------------------------------------

float precip_water(const UPA_level *lev, int num)
{
    num = working_count(lev, num);
    if (num < 3 || !(lev[0].p >= LOW_FLOOR)) return MISS;
    if (!present(lev[0].td) && !present(lev[1].td) && !present(lev[2].td)) return MISS;
    // A pair of levels counts when both have a dew point and a pressure.
    auto usable = [&](int k) { return present(lev[k].td) && present(lev[k].p); };
    double sum = 0;
    for (int i = 0; i < num - 1; i++) {
        if (!usable(i)) continue;
        int j = i + 1;
        while (j < num && !usable(j)) j++;
        if (j >= num) break;
        const float qi = spec_hum(UPA_kelvin(lev[i].td), lev[i].p);
        const float qj = spec_hum(UPA_kelvin(lev[j].td), lev[j].p);
        if (!present(qi) || !present(qj)) continue;
        sum += (static_cast<double>(lev[i].p) - lev[j].p) *
               ((static_cast<double>(qi) + qj) / 2000) / PW_SCALE;
    }
    return static_cast<float>(sum);
}

float wet_bulb_zero(const UPA_level *lev, int num)
{
    num = working_count(lev, num);
    int i = 0;
    while (i < num && !present(wet_bulb_c(lev[i]))) i++;
    if (i >= num) return MISS;
    float w0 = wet_bulb_c(lev[i]);
    if (w0 < 0) return -1;
    for (;;) {
        int j = i + 1;
        while (j < num && !present(wet_bulb_c(lev[j]))) j++;
        if (j >= num) return MISS;
        const float w1 = wet_bulb_c(lev[j]);
        if ((w0 >= 0) != (w1 >= 0)) return linear_interp(0, w0, w1, lev[i].p, lev[j].p);
        i = j;
        w0 = w1;
    }
}

float total_totals(UPA_level *lev, int num)
{
    const UPA_level a = at_pres(lev, num, P850), c = at_pres(lev, num, P500);
    if (!present(a.t) || !present(a.td) || !present(c.t)) return MISS;
    return a.t + a.td - 2 * c.t;
}

float vertical_totals(UPA_level *lev, int num)
{
    const UPA_level a = at_pres(lev, num, P850), c = at_pres(lev, num, P500);
    if (!present(a.t) || !present(c.t)) return MISS;
    return a.t - c.t;
}

float cross_totals(UPA_level *lev, int num)
{
    const UPA_level a = at_pres(lev, num, P850), c = at_pres(lev, num, P500);
    if (!present(a.td) || !present(c.t)) return MISS;
    return a.td - c.t;
}

float k_index(UPA_level *lev, int num)
{
    const UPA_level a = at_pres(lev, num, P850), b = at_pres(lev, num, P700),
                    c = at_pres(lev, num, P500);
    if (!present(a.t) || !present(a.td) || !present(c.t) || !present(b.t) || !present(b.td))
        return MISS;
    return (a.t - c.t) + a.td - (b.t - b.td);
}

float sweat_index(UPA_level *lev, int num)
{
    const UPA_level a = at_pres(lev, num, P850), c = at_pres(lev, num, P500);
    if (!present(a.t) || !present(c.t) || !present(a.dir) || !present(c.dir) || !present(a.td))
        return MISS;
    float s = a.td > 0 ? 12 * a.td : 0;
    const float tt = a.t + a.td - 2 * c.t;
    if (tt > TT_THRESHOLD) s += 20 * (tt - TT_THRESHOLD);
    if (present(a.spd)) s += 2 * a.spd;
    if (present(c.spd)) s += c.spd;
    // The shear term: veering from 850 to 500 mb with a south-easterly to westerly low-level
    // wind.  The 850 mb directions start at 130 degrees as the published index has them
    // (Miller, 1972, AWS TR-200).
    constexpr float DIR850_MIN = 130, DIR850_MAX = 250, DIR500_MIN = 210, DIR500_MAX = 310;
    const float turn = c.dir - a.dir;
    if (a.dir >= DIR850_MIN && a.dir <= DIR850_MAX && c.dir >= DIR500_MIN &&
        c.dir <= DIR500_MAX && turn > 0 && present(a.spd) && present(c.spd) &&
        a.spd >= SWEAT_MIN_SPEED && c.spd >= SWEAT_MIN_SPEED)
        s += static_cast<float>(125 * (std::sin(turn * DEG2RAD) + 0.2));
    return s;
}

float energy_index(UPA_level *lev, int num)
{
    const UPA_level a = at_pres(lev, num, P850), c = at_pres(lev, num, P500);
    for (float v : {a.t, a.td, a.h, c.t, c.td, c.h})
        if (!present(v)) return MISS;
    const float e850 = static_energy(a), e500 = static_energy(c);
    if (!present(e850) || !present(e500)) return MISS;
    return e500 - e850;
}
