// grd_therm.cpp: the thermodynamic functions of the grid-function evaluator: dew point,
// relative humidity, wet-bulb temperature, the Showalter index, wind chills, heat index,
// potential, equivalent potential and virtual temperatures, vapour pressure, pressure
// altitude, specific humidity and mixing ratio, point by point through the meteorological
// formulas of the core.
//
// Grid arguments are converted in place to the units the formulas take (K, mb, m/s) and keep
// them.  Moisture is a dew point when its record carries the variable "dewp", else a relative
// humidity in percent.  The pressure of the functions that need one is the output's level on an
// isobaric output, else the optional pressure argument when exactly the full count of
// arguments is given, else 1000 mb.  A constant argument is used as it stands.
#include "grd_math_internal.h"
#include "vykvar.h"

#include <cmath>

namespace {

constexpr float MISS = static_cast<float>(VYK_MISS);
constexpr int LTYPE_ISOBARIC = 100;
constexpr float DEFAULT_PRES = 1000;  // mb
constexpr float SHOWALTER_LOW = 850, SHOWALTER_HIGH = 500;  // mb

bool present(float v) { return grd_present(v); }

/// The variables that decide what an argument is, looked up once per call.  A name the
/// variable table lacks (number 0) matches no record.
struct Kinds {
    int dewp = VAR_search_var_num("dewp");
    int wspd = VAR_search_var_num("wspd");
    int spd = VAR_search_var_num("spd");
    bool is(int num, const GRD_report *g) const { return g && num != 0 && g->var == num; }
    bool is_dewp(const GRD_report *g) const { return is(dewp, g); }
    bool is_speed(const GRD_report *g) const { return is(wspd, g) || is(spd, g); }
};

bool isobaric(const GRD_report *out) { return out && out->ltype == LTYPE_ISOBARIC; }

/// A fixed pressure read as an argument.
struct FixedPres {
    float value = DEFAULT_PRES;
    MathArg arg() const { return {&value, 0}; }
};

/// The pressure of a function whose pressure is optional argument k (k arguments in all):
/// the output's level on an isobaric output, argument k (converted to mb) when exactly k
/// arguments are present, else 1000 mb.
MathArg pressure(const MathCall &c, int n, int k, FixedPres &fixed)
{
    if (isobaric(c.out())) {
        fixed.value = static_cast<float>(c.out()->level);
        return fixed.arg();
    }
    if (n == k) {
        c.convert(k, "mb");
        return c.arg(k);
    }
    return fixed.arg();
}

/// Moisture argument k as dew points: converted to K when it is one.
struct Moisture {
    MathArg m;
    bool dewp;
    Moisture(const MathCall &c, const Kinds &kinds, int k) : m(c.arg(k)), dewp(kinds.is_dewp(c.rec(k)))
    {
        if (dewp) c.convert(k, "K");
    }
    /// The dew point at point k for temperature t (K): -9999 when it has none.
    float at(size_t k, float t) const
    {
        const float v = m[k];
        if (!present(v)) return MISS;
        const float td = dewp ? v : dew_temp(t, v);
        return present(td) ? td : MISS;
    }
};

int dewp(MathCall &c)
{
    if (!c.setup(2, "K")) return 0;
    c.convert(1, "K");
    const MathArg t = c.arg(1), rh = c.arg(2);
    c.each([&](size_t k) {
        return present(t[k]) && present(rh[k]) ? grd_result(dew_temp(t[k], rh[k])) : MISS;
    });
    return 1;
}

int rhum(MathCall &c)
{
    if (!c.setup(2, "%")) return 0;
    c.convert(1, "K");
    c.convert(2, "K");
    const MathArg t = c.arg(1), td = c.arg(2);
    c.each([&](size_t k) {
        return present(t[k]) && present(td[k]) ? grd_result(rel_hum(t[k], td[k])) : MISS;
    });
    return 1;
}

/// "wetblb", "thetae", "vtemp", "thetav": F(t, td, p) with the optional pressure third.
template <float (*F)(float, float, float)> int moist(MathCall &c)
{
    const int n = c.count();
    if (n < 2) return c.refuse();
    if (!c.setup(n, "K")) return 0;
    const Kinds kinds;
    c.convert(1, "K");
    const Moisture m(c, kinds, 2);
    FixedPres fixed;
    const MathArg t = c.arg(1), p = pressure(c, n, 3, fixed);
    c.each([&](size_t k) {
        if (!present(t[k]) || !present(p[k])) return MISS;
        const float td = m.at(k, t[k]);
        return VYK_is_miss(td) ? MISS : grd_result(F(t[k], td, p[k]));
    });
    return 1;
}

/// The Showalter index: the 500 mb temperature less that of a parcel lifted from 850 mb.
float showalter(float t850, float td850, float t500)
{
    const float plcl = lcl_pres(t850, td850, SHOWALTER_LOW);
    if (!present(plcl) || plcl <= 0) return MISS;
    float tp;
    if (plcl < SHOWALTER_HIGH) {
        tp = temp_on_dryad(pot_temp(t850, SHOWALTER_LOW), SHOWALTER_HIGH);
    } else {
        const float tlcl = lcl_temp(t850, SHOWALTER_LOW, plcl);
        tp = temp_on_satad(thetae_on_satad(tlcl, plcl), SHOWALTER_HIGH);
    }
    if (!present(tp) || tp <= 0) return MISS;
    return grd_result(t500 - tp);
}

int show(MathCall &c)
{
    if (!c.setup(3, "dC")) return 0;
    const Kinds kinds;
    c.convert(1, "K");
    const Moisture m(c, kinds, 2);
    c.convert(3, "K");
    const MathArg t850 = c.arg(1), t500 = c.arg(3);
    c.each([&](size_t k) {
        if (!present(t850[k]) || !present(t500[k])) return MISS;
        const float td = m.at(k, t850[k]);
        return VYK_is_miss(td) ? MISS : showalter(t850[k], td, t500[k]);
    });
    return 1;
}

/// "wchill", "wchill2": a wind speed second, or the u and v components second and third.
template <float (*F)(float, float)> int wind_chill(MathCall &c)
{
    const int n = c.count();
    if (n < 2) return c.refuse();
    const Kinds kinds;
    const bool speed = kinds.is_speed(c.rec(2));
    if (!speed && n < 3) return c.refuse();
    if (!c.setup(n, "K")) return 0;
    c.convert(1, "K");
    c.convert(2, "m/s");
    if (!speed) c.convert(3, "m/s");
    const MathArg t = c.arg(1), s = c.arg(2);
    const MathArg v = speed ? MathArg{} : c.arg(3);
    c.each([&](size_t k) {
        if (!present(t[k]) || !present(s[k])) return MISS;
        float ws = s[k];
        if (!speed) {
            if (!present(v[k])) return MISS;
            ws = static_cast<float>(std::sqrt(static_cast<double>(s[k] * s[k] + v[k] * v[k])));
        }
        return grd_result(F(t[k], ws));
    });
    return 1;
}

int heat(MathCall &c)
{
    const int n = c.count();
    if (n < 2) return c.refuse();
    if (!c.setup(n, "K")) return 0;
    const Kinds kinds;
    c.convert(1, "K");
    const Moisture m(c, kinds, 2);
    const MathArg t = c.arg(1);
    c.each([&](size_t k) {
        if (!present(t[k])) return MISS;
        const float td = m.at(k, t[k]);
        return VYK_is_miss(td) ? MISS : grd_result(heat_index(t[k], td));
    });
    return 1;
}

int theta(MathCall &c)
{
    const int n = c.count();
    if (n < 1) return c.refuse();
    if (!c.setup(n, "K")) return 0;
    FixedPres fixed;
    const MathArg p = pressure(c, n, 2, fixed);
    c.convert(1, "K");
    const MathArg t = c.arg(1);
    c.each([&](size_t k) {
        return present(t[k]) && present(p[k]) ? grd_result(pot_temp(t[k], p[k])) : MISS;
    });
    return 1;
}

int vapor(MathCall &c)
{
    const int n = c.count();
    if (n < 1) return c.refuse();
    const Kinds kinds;
    const bool a_dewp = kinds.is_dewp(c.rec(1));
    if (!a_dewp && n < 2) return c.refuse();
    if (!c.setup(n, "mb")) return 0;
    c.convert(1, "K");
    const MathArg a = c.arg(1);
    const MathArg b = a_dewp ? MathArg{} : c.arg(2);
    c.each([&](size_t k) {
        if (!present(a[k])) return MISS;
        float td = a[k];
        if (!a_dewp) {
            if (!present(b[k])) return MISS;
            td = dew_temp(a[k], b[k]);
            if (!present(td)) return MISS;
        }
        return grd_result(vapor_pr(td));
    });
    return 1;
}

int pr_alt(MathCall &c)
{
    if (!c.setup(1, "m")) return 0;
    c.convert(1, "mb");
    const MathArg p = c.arg(1);
    c.each([&](size_t k) { return present(p[k]) ? grd_result(pres_alt(p[k])) : MISS; });
    return 1;
}

/// "shum", "mixrat": a dew point with an optional pressure, or a temperature, a relative
/// humidity and an optional pressure.  On an isobaric output the pressure is the level and
/// further arguments are not read.
template <float (*F)(float, float)> int humidity(MathCall &c)
{
    const Kinds kinds;
    const bool a_dewp = kinds.is_dewp(c.rec(1));
    const bool iso = isobaric(c.out());
    const int n = iso ? (a_dewp ? 1 : 2) : c.count();
    if (n < 1 || (!a_dewp && n < 2)) return c.refuse();
    if (!c.setup(n, "gm/kg")) return 0;
    FixedPres fixed;
    if (iso) fixed.value = static_cast<float>(c.out()->level);
    c.convert(1, "K");
    const int pk = a_dewp ? (n > 1 ? 2 : 0) : (n == 3 ? 3 : 0);  // the pressure argument
    if (pk) c.convert(pk, "mb");
    const MathArg a = c.arg(1), p = pk ? c.arg(pk) : fixed.arg();
    const MathArg b = a_dewp ? MathArg{} : c.arg(2);
    c.each([&](size_t k) {
        if (!present(a[k]) || !present(p[k])) return MISS;
        float td = a[k];
        if (!a_dewp) {
            if (!present(b[k])) return MISS;
            td = dew_temp(a[k], b[k]);
            if (!present(td)) return MISS;
        }
        return grd_result(F(td, p[k]));
    });
    return 1;
}

constexpr MathFunc THERM[] = {
    {"dewp", dewp},
    {"rhum", rhum},
    {"wetblb", moist<wet_bulb>},
    {"show", show},
    {"wchill", wind_chill<wind_chill_temp>},
    {"wchill2", wind_chill<wind_chill_temp2>},
    {"heat", heat},
    {"theta", theta},
    {"thetae", moist<eq_pot_temp>},
    {"vtemp", moist<virt_temp>},
    {"thetav", moist<virt_pot_temp>},
    {"vapor", vapor},
    {"pr_alt", pr_alt},
    {"shum", humidity<spec_hum>},
    {"mixrat", humidity<mix_ratio>},
};

}  // namespace

std::span<const MathFunc> grd_therm_funcs() { return THERM; }
