// upa_interp.cpp: level lookup and interpolation: a level's value on a vertical coordinate,
// whole levels interpolated field by field at coordinate values, the ends of default layers,
// missing temperatures filled, the surface pressure of a merged sounding.
//
// The coordinate values of a sounding live in a fixed working column of 300 floats, so the
// interpolation allocates nothing; a longer sounding is cut to its first 300 levels with a
// warning.
#include "vyk.h"
#include "upa_level.h"
#include "therm.h"
#include "upa_interp.h"

#include <cmath>

namespace {

constexpr float MISS = VYK_MISS;
constexpr float SFC_PRES_DEFAULT = 1000;  // mb, a merged sounding without a surface level
constexpr float PRES_GAP = 300;           // mb: no pressure is interpolated across a wider gap

/// What each kind of coordinate takes: the tolerance of a request below the first level, and
/// the default depths of the layers that end or start at a level.
struct KindRules {
    float tolerance;
    float thick_top;
    float thick_bottom;
};
constexpr KindRules RULES[] = {
    {0.01f, 10, 20},  // pressure: -ln p, mb
    {3, 50, 200},     // height: m
    {1, 5, 2},        // isentropic: K
};

using Field = float UPA_level::*;
constexpr Field FIELDS[] = {&UPA_level::p,  &UPA_level::h,   &UPA_level::t,
                            &UPA_level::td, &UPA_level::dir, &UPA_level::spd};

bool named_pressure_code(int coord)
{
    switch (coord) {
    case UPA_LT_SFC: case UPA_LT_PRES: case UPA_LT_PRES_LAYER: case UPA_LT_MSL:
    case UPA_LT_DPRES: case UPA_LT_DPRES_LAYER:
        return true;
    default:
        return false;
    }
}

/// -ln p in double precision, stored as a float.
float log_coord(float p) { return static_cast<float>(-std::log(static_cast<double>(p))); }

float coord_value(UPA_kind kind, const UPA_level &lev)
{
    switch (kind) {
    case UPA_KIND_PRES: return lev.p > 0 ? log_coord(lev.p) : MISS;
    case UPA_KIND_HGHT: return lev.h;
    case UPA_KIND_THETA:
        return pot_temp(VYK_is_miss(lev.t) ? MISS : lev.t + 273.15f, lev.p);
    }
    return MISS;
}

/// The coordinate values of a sounding, ground first.
struct Column {
    UPA_kind kind;
    float tolerance;
    float c[UPA_MAX_LEVELS];
    int n;  // levels that take part
};

void fill_column(Column &col, UPA_level *levels, int num)
{
    col.n = num;
    if (col.kind == UPA_KIND_THETA) UPA_calc_temp(levels, num);
    bool seen = false;
    for (int i = 0; i < num; i++) {
        col.c[i] = coord_value(col.kind, levels[i]);
        if (col.kind != UPA_KIND_THETA) continue;
        // Leading levels without a potential temperature are passed over; the first one after
        // a level that has one ends the column.
        if (!VYK_is_miss(col.c[i])) seen = true;
        else if (seen) {
            col.n = i;
            break;
        }
    }
}

/// The coordinate value of a request; false for a request that is skipped.
bool request_coord(UPA_kind kind, float value, float &x)
{
    if (VYK_is_miss(value)) return false;
    if (kind == UPA_KIND_PRES) {
        if (value <= 0) return false;
        x = log_coord(value);
    } else {
        x = value;
    }
    return true;
}

/// v1 + (v2 - v1) (x - c1) / (c2 - c1)
float linear(float v1, float v2, float x, float c1, float c2)
{
    return v1 + (v2 - v1) * (x - c1) / (c2 - c1);
}

/// A direction between two, the short way round through north.
float direction(float d1, float d2, float x, float c1, float c2)
{
    const float d = d2 - d1;
    if (d > 180) {
        const float r = linear(d1, d2 - 360, x, c1, c2);
        return r < 0 ? r + 360 : r;
    }
    if (d < -180) {
        const float r = linear(d1, d2 + 360, x, c1, c2);
        return r > 360 ? r - 360 : r;
    }
    return linear(d1, d2, x, c1, c2);
}

/// Field F at x, from the nearest levels below search index i and at or above it that have
/// it.  gap is set when the pressure may not be interpolated (the whole level is then missing).
float settle(const UPA_level *levels, const Column &col, int i, float x, float request, Field F,
             bool &gap)
{
    if (F == &UPA_level::p && col.kind == UPA_KIND_PRES) return request;
    if (F == &UPA_level::h && col.kind == UPA_KIND_HGHT) return request;
    const int n = col.n;
    const float *c = col.c;
    int lo = i - 1;
    while (lo >= 0 && VYK_is_miss(levels[lo].*F)) lo--;
    int hi = i;
    while (hi < n && VYK_is_miss(levels[hi].*F)) hi++;
    // A request exactly at a level that has the field takes it, also when no level on the
    // other side has one.
    if (hi < n && c[hi] == x) return levels[hi].*F;
    if (lo >= 0 && c[lo] == x) return levels[lo].*F;
    if (lo < 0 || hi == n) return MISS;
    if (VYK_is_miss(c[lo]) || VYK_is_miss(c[hi])) return MISS;
    if (c[hi] == c[lo]) return levels[lo].*F;
    if (F == &UPA_level::p && levels[lo].p - levels[hi].p > PRES_GAP) {
        if (x < c[lo] + col.tolerance) return levels[lo].p;
        if (x > c[hi] - col.tolerance) return levels[hi].p;
        gap = true;
        return MISS;
    }
    if (F == &UPA_level::dir) return direction(levels[lo].dir, levels[hi].dir, x, c[lo], c[hi]);
    return linear(levels[lo].*F, levels[hi].*F, x, c[lo], c[hi]);
}

/// One request into result; returns its search index.
int interp_one(const UPA_level *levels, const Column &col, float x, float request,
               UPA_level &result)
{
    const int n = col.n;
    if (n == 0 || x < col.c[0] - col.tolerance) return 0;  // below the sounding
    if (x < col.c[0]) {                                     // within the tolerance of its foot
        result = levels[0];
        return 0;
    }
    int i = 1;
    while (i < n && !(col.c[i] >= x)) i++;
    for (Field F : FIELDS) {
        bool gap = false;
        const float v = settle(levels, col, i, x, request, F, gap);
        if (gap) {
            UPA_level_init(&result);
            break;
        }
        result.*F = v;
    }
    return i;
}

int level_limit(const UPA_level *levels, int num)
{
    if (!levels || num <= 0) return 0;
    if (num > UPA_MAX_LEVELS) {
        MESS_print(M_WARN, "UPA_interp_levels: %d levels, only the first %d are used\n", num,
                   UPA_MAX_LEVELS);
        return UPA_MAX_LEVELS;
    }
    return num;
}

}  // namespace

UPA_kind UPA_coord_kind(int coord)
{
    if (coord >= UPA_LT_HGHT && coord <= UPA_LT_AGL_LAYER) return UPA_KIND_HGHT;
    if (coord == UPA_LT_THETA || coord == UPA_LT_THETA_LAYER) return UPA_KIND_THETA;
    return UPA_KIND_PRES;
}

float UPA_sfc_pres(const UPA_level *lev, const int *ind)
{
    if (!lev || !ind || *ind < 0) return SFC_PRES_DEFAULT;  // -9999: no surface level
    return lev[*ind].p;
}

float UPA_thick_top(int coord, float bottom, float thick)
{
    if (VYK_is_miss(bottom)) return MISS;
    const UPA_kind kind = UPA_coord_kind(coord);
    if (VYK_is_miss(thick)) {
        if (kind == UPA_KIND_PRES && !named_pressure_code(coord)) return MISS;  // no default
        thick = RULES[kind].thick_top;
    }
    return kind == UPA_KIND_PRES && named_pressure_code(coord) ? bottom - thick : bottom + thick;
}

float UPA_thick_bottom(int coord, float top, float thick)
{
    if (VYK_is_miss(top)) return MISS;
    const UPA_kind kind = UPA_coord_kind(coord);
    if (VYK_is_miss(thick)) {
        if (kind == UPA_KIND_PRES && !named_pressure_code(coord)) return MISS;
        thick = RULES[kind].thick_bottom;
    }
    return kind == UPA_KIND_PRES && named_pressure_code(coord) ? top + thick : top - thick;
}

float UPA_get_level(int coord, const UPA_level *level)
{
    if (!level) return MISS;
    const UPA_kind kind = UPA_coord_kind(coord);
    if (kind == UPA_KIND_PRES && !named_pressure_code(coord)) return MISS;
    return coord_value(kind, *level);
}

int UPA_interp_levels(UPA_level *levels, int num_level, int coord, const float *values,
                      UPA_level *result, int num_result)
{
    if (!result || num_result <= 0) return 0;
    const int num = level_limit(levels, num_level);
    if (coord == UPA_LT_SFC) {
        const UPA_level *sfc = THERM_get_sfc();
        result[0] = *sfc;
        for (int i = 0; i < num; i++)
            if (levels[i].p == result[0].p) return i;
        return 0;
    }
    if (!values) return 0;
    Column col;
    col.kind = UPA_coord_kind(coord);
    col.tolerance = RULES[col.kind].tolerance;
    fill_column(col, levels, num);
    int index = 0;
    for (int j = 0; j < num_result; j++) {
        UPA_level_init(&result[j]);
        float x;
        if (!request_coord(col.kind, values[j], x)) continue;
        index = interp_one(levels, col, x, values[j], result[j]);
    }
    return index;
}

int UPA_interp(UPA_level *levels, int num_level, int coord, float value, UPA_level *result)
{
    return UPA_interp_levels(levels, num_level, coord, &value, result, 1);
}

int UPA_calc_temp(UPA_level *levels, int num)
{
    if (!levels) return 0;
    for (int i = 0; i < num; i++) {
        if (!VYK_is_miss(levels[i].t)) continue;
        int lo = i - 1;
        while (lo >= 0 && VYK_is_miss(levels[lo].t)) lo--;
        int hi = i + 1;
        while (hi < num && VYK_is_miss(levels[hi].t)) hi++;
        if (lo < 0 || hi >= num) continue;
        // Linear in pressure: every pressure of the three is needed, and two apart.
        const float p = levels[i].p, p_lo = levels[lo].p, p_hi = levels[hi].p;
        if (VYK_is_miss(p) || VYK_is_miss(p_lo) || VYK_is_miss(p_hi) || p_hi == p_lo) continue;
        levels[i].t = linear(levels[lo].t, levels[hi].t, p, p_lo, p_hi);
    }
    return 0;
}

int UPA_sm_interp(int coord, const float *values, UPA_level *result, int num_result)
{
    return UPA_interp_levels(THERM_get_SM(), THERM_get_SM_num(), coord, values, result,
                             num_result);
}

UPA_level UPA_sm_at(float p)
{
    UPA_level lev;
    UPA_sm_interp(UPA_LT_PRES, &p, &lev, 1);
    return lev;
}

int UPA_wm_interp(int coord, const float *values, UPA_level *result, int num_result)
{
    return UPA_interp_levels(THERM_get_WM(), THERM_get_WM_num(), coord, values, result,
                             num_result);
}
