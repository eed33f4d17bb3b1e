// upa_level.cpp: sounding levels and level codes: a variable's level turned into a vertical
// coordinate, a bottom, a top and a depth against the current sounding; layers around a single
// level; mandatory pressures; the freezing level.
//
// For every layer lev1 is the end nearer the ground (the larger pressure, the smaller height or
// potential temperature) and lev2 the far end.  Layers that need a special level of the current
// sounding (surface pressure, tropopause) are missing when the sounding has none.
#include "vyk.h"
#include "upa_level.h"
#include "therm.h"

#include <iterator>

namespace {

constexpr float MISS = VYK_MISS;

/// The sixteen mandatory pressures, in the order of the mandatory slots 1 to 16.
constexpr float MANDATORY[] = {1000, 925, 850, 700, 500, 400, 300, 250,
                               200,  150, 100, 70,  50,  30,  20,  10};

constexpr float FREEZE_FLOOR = 500;  // mb: no freezing level is looked for above this

bool is_layer_type(int ltype)
{
    switch (ltype) {
    case UPA_LT_PRES_LAYER: case UPA_LT_HGHT_LAYER: case UPA_LT_AGL_LAYER:
    case UPA_LT_THETA_LAYER: case UPA_LT_DPRES_LAYER:
        return true;
    default:
        return false;
    }
}

/// Types whose level value VAR_get_level splits or scales (single levels and layers).
bool is_valued_type(int ltype)
{
    return is_layer_type(ltype) || ltype == UPA_LT_AGL || ltype == UPA_LT_DPRES;
}

/// The layer of a type-101 level whose larger value is a, smaller b.
void pressure_layer(float a, float b, float p_s, float *lev1, float *lev2, float *thick)
{
    if (a == UPA_LAYER_SFC || a == UPA_LAYER_MAXT) {
        *lev1 = p_s;
        *lev2 = b;
    } else if (a == UPA_LAYER_TROP_PRES) {
        const float p_t = THERM_get_trop()->p;
        if (VYK_is_miss(p_t) || p_t - b < 0) return;  // no tropopause, or above 0 mb
        *lev1 = p_t;
        *lev2 = p_t - b;
    } else if (a >= UPA_LAYER_SFC_DEPTH) {
        *thick = a - UPA_LAYER_SFC_DEPTH;
        *lev1 = p_s;
        *lev2 = b;
    } else {
        *lev1 = a;
        *lev2 = b;
    }
}

/// The layer of a type-104 level.  The tropopause-based layers are tested and built on the
/// tropopause height.
void height_layer(float a, float b, float *lev1, float *lev2)
{
    const float h_t = THERM_get_trop()->h;
    if (a == UPA_LAYER_TROP_UP) {
        if (VYK_is_miss(h_t) || h_t + b < 0) return;
        *lev1 = h_t;
        *lev2 = h_t + b;
    } else if (a == UPA_LAYER_TROP_DOWN) {
        if (VYK_is_miss(h_t) || h_t - b < 0) return;
        *lev1 = h_t - b;
        *lev2 = h_t;
    } else {
        *lev1 = b;
        *lev2 = a;
    }
}

/// A level or layer on a coordinate of its own (every type without a special meaning); returns
/// the result of the decoding.
int coordinate_level(const VAR_data *var, float *lev1, float *lev2, float *thick)
{
    const int ltype = var->ltype;
    if (is_valued_type(ltype) && var->level == VYK_MISS)  // "any level": nothing to unpack
        return is_layer_type(ltype) ? 2 : 1;
    const UPA_level *sfc = THERM_get_sfc();
    const float h_s = VYK_is_miss(sfc->h) ? 0.0f : sfc->h;
    const float p_s = sfc->p;
    float a, b;
    VAR_get_level(ltype, var->level, &a, &b);
    switch (ltype) {
    case UPA_LT_PRES_LAYER: pressure_layer(a, b, p_s, lev1, lev2, thick); break;
    case UPA_LT_HGHT_LAYER: height_layer(a, b, lev1, lev2); break;
    case UPA_LT_AGL: *lev1 = a + h_s; break;
    case UPA_LT_AGL_LAYER: *lev1 = b + h_s; *lev2 = a + h_s; break;
    case UPA_LT_THETA_LAYER: *lev1 = b; *lev2 = a; break;
    case UPA_LT_DPRES:  // needs the surface pressure
        if (!VYK_is_miss(p_s)) *lev1 = p_s - a;
        break;
    case UPA_LT_DPRES_LAYER:
        if (!VYK_is_miss(p_s)) {
            *lev1 = p_s - b;
            *lev2 = p_s - a;
        }
        break;
    default: *lev1 = static_cast<float>(var->level); break;
    }
    return is_layer_type(ltype) ? 2 : 1;
}

}  // namespace

int UPA_level_init(UPA_level *lev)
{
    *lev = {MISS, MISS, MISS, MISS, MISS, MISS};
    return 0;
}

int UPA_level_decode(const VAR_data *var, int *coord, float *lev1, float *lev2, float *thick)
{
    *lev1 = *lev2 = *thick = MISS;
    *coord = UPA_LT_PRES;
    if (!var || var->ltype == VYK_MISS) return 0;
    const UPA_level *sfc = THERM_get_sfc();
    switch (var->ltype) {
    case UPA_LT_SFC:
        *lev1 = sfc->p;
        if (var->level > 0) *thick = static_cast<float>(var->level);
        return 1;
    case UPA_LT_MWND: *lev1 = THERM_get_mwnd()->p; return 1;
    case UPA_LT_TROP: *lev1 = THERM_get_trop()->p; return 1;
    case UPA_LT_NONE:
        *lev1 = sfc->p;
        *lev2 = 500;
        return 2;
    case UPA_LT_FRZ: *lev1 = freezing_level(THERM_get_SM(), THERM_get_SM_num()); return 1;
    case UPA_LT_LCL: *lev1 = lcl_pres(UPA_kelvin(sfc->t), UPA_kelvin(sfc->td), sfc->p); return 1;
    default:
        *coord = var->ltype;
        return coordinate_level(var, lev1, lev2, thick);
    }
}

int UPA_is_maxt(const VAR_data *var)
{
    if (!var || var->ltype != UPA_LT_PRES_LAYER) return 0;
    float a, b;
    VAR_get_level(var->ltype, var->level, &a, &b);
    return a == UPA_LAYER_MAXT ? 1 : 0;
}

int UPA_make_layer(const VAR_data *var, int *, float *lev1, float *lev2, float delta)
{
    if (!var) return 0;
    if (delta < 0) delta = 0;
    const float level = static_cast<float>(var->level);
    float sign = 1, fallback;
    switch (var->ltype) {
    case UPA_LT_PRES: sign = -1; fallback = 25; break;  // mb: the upper end is the smaller value
    case UPA_LT_HGHT: fallback = 200; break;
    case UPA_LT_THETA: fallback = 5; break;
    default: return 0;
    }
    if (delta == 0) delta = fallback;
    *lev1 = level + sign * delta;
    *lev2 = level - sign * delta;
    return 0;
}

int UPA_mandatory(float p)
{
    for (size_t i = 0; i < std::size(MANDATORY); i++)
        if (p == MANDATORY[i]) return static_cast<int>(i) + 1;
    return 0;
}

float freezing_level(const UPA_level *lev, int num)
{
    if (!lev || num < 1 || lev[0].p < FREEZE_FLOOR) return MISS;
    // A level counts when it has a temperature and a pressure to place the crossing at.
    auto usable = [&](int k) { return !VYK_is_miss(lev[k].t) && !VYK_is_miss(lev[k].p); };
    int i = 0;
    while (i < num - 1 && !usable(i)) i++;
    if (i >= num - 1) return MISS;
    if (lev[i].p > FREEZE_FLOOR && lev[i].t < 0) return -1;
    for (;;) {
        int j = i + 1;
        while (j < num && !usable(j)) j++;
        if (j >= num) return MISS;
        if ((lev[i].t >= 0) != (lev[j].t >= 0))
            return linear_interp(0, lev[i].t, lev[j].t, lev[i].p, lev[j].p);
        i = j;
    }
}
