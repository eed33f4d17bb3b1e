// therm_calc.cpp: the analysis of the current sounding.  The indices are the stateless functions
// of the layer, index and wind components; this decides which levels, layers, depths and parcel
// they are applied to.  Pressures in mb, heights in m, temperatures in degrees C unless stated.
#include "vyk.h"
#include "upa_level.h"
#include "therm.h"
#include "upa_interp.h"
#include "upa_wind.h"
#include "upa_layer.h"
#include "upa_index.h"
#include "therm_calc.h"

namespace {

constexpr float MISS = VYK_MISS;
constexpr float P_1000 = 1000, P_850 = 850, P_700 = 700, P_500 = 500;  // mb
constexpr float MAXT_DEPTH = 150;   // mb of air brought down for the maximum temperature
constexpr float MIXED_DEPTH = 100;  // mb of the mixed layer of the CCL, lifted and cap indices
constexpr float WIND_DEPTH = 3000;  // m of the shear and helicity layer
constexpr float PER_KM = 1000;

bool present(float v) { return !VYK_is_miss(v); }

/// A value less an offset (a unit change), missing when it is missing.
float shifted(float v, float by) { return present(v) ? v + by : MISS; }

/// The surface air's lifting condensation level and its temperature (K).
void surface_lcl(float p_s, THERM_values &v)
{
    const UPA_level sfc = UPA_sm_at(p_s);
    const float t = UPA_kelvin(sfc.t);
    v.plcl = lcl_pres(t, UPA_kelvin(sfc.td), sfc.p);
    v.tlcl = present(v.plcl) && present(t) ? lcl_temp(t, sfc.p, v.plcl) : MISS;
}

/// The temperature and moisture values of the sounding, in the record's order up to ei.
void thermo_values(float p_s, THERM_values &v)
{
    UPA_level *sm = THERM_get_SM();
    const int n = THERM_get_SM_num();
    v.thick = thickness(sm, n, UPA_LT_PRES, P_1000, P_500);
    v.frz = freezing_level(sm, n);
    v.wb0 = wet_bulb_zero(sm, n);
    v.precip = precip_water(sm, n);
    v.mean_rh = mean_value("rhum", sm, n, UPA_LT_PRES, p_s, P_500);
    v.max_t = shifted(max_temperature(sm, n, UPA_LT_PRES, p_s, MAXT_DEPTH), -UPA_KELVIN);
    surface_lcl(p_s, v);
    const float lapse = lapse_rate(sm, n, UPA_LT_PRES, P_700, P_500);
    v.lapse57 = present(lapse) ? lapse * PER_KM : MISS;
    thetae_index(sm, n, &v.thetae);
    v.ccl = pr_ccl(sm, n, UPA_LT_PRES, p_s, MIXED_DEPTH, &v.wbar);
    v.ct = v.ccl > 0 && present(v.wbar) && present(p_s) ? conv_temp(v.wbar, v.ccl, p_s) : MISS;
    v.li = lifted_index(sm, n, UPA_LT_PRES, p_s, MIXED_DEPTH, P_500);
    v.cap = cap_strength(sm, n, UPA_LT_PRES, p_s, MIXED_DEPTH);
    v.si = lifted_index(sm, n, UPA_LT_PRES, P_850, 0, P_500);
    v.tt = total_totals(sm, n);
    v.k = k_index(sm, n);
    v.sweat = sweat_index(sm, n);
    v.ei = energy_index(sm, n);
}

/// The starting level and layer depth of the parcel kind chosen: a level without a pressure
/// lets the ascent start from the sounding at the surface (depth 0) or from the mean of the
/// layer of that depth above it.
UPA_level parcel_start(float max_t, float &thick)
{
    UPA_level start;
    UPA_level_init(&start);
    thick = THERM_get_par_thick();
    switch (THERM_get_par_type()) {
    case THERM_PAR_SFC:
        thick = 0;
        break;
    case THERM_PAR_MAXT:
        start = *THERM_get_sfc();
        start.t = max_t;
        break;
    case THERM_PAR_USER: {
        const UPA_level choice = THERM_get_par_choice();
        start = UPA_sm_at(choice.p);
        if (present(choice.t)) start.t = choice.t;
        if (present(choice.td)) start.td = choice.td;
        break;
    }
    default:  // the mixed layer
        break;
    }
    return start;
}

/// The wind values of the lowest 3000 m and those that weigh the parcel's CAPE.
void wind_values(float p_s, float h_s, THERM_values &v)
{
    UPA_level *wm = THERM_get_WM();
    const int n = THERM_get_WM_num();
    const WIND storm = THERM_get_storm();
    const float top = shifted(h_s, WIND_DEPTH);
    shear_layer(wm, n, UPA_LT_HGHT, h_s, top, nullptr, &v.shear);
    helicity(wm, n, UPA_LT_HGHT, h_s, top, &storm, &v.helicity);
    bulk_richardson(wm, n, UPA_LT_PRES, p_s, v.parcel.Bplus, &v.brn, &v.bshear);
    v.ehi = energy_helicity(wm, n, UPA_LT_PRES, p_s, &storm, v.parcel.Bplus);
}

}  // namespace

int THERM_calc()
{
    THERM_values &v = *THERM_get_values();
    const UPA_level *sfc = THERM_get_sfc();
    const float p_s = sfc->p, h_s = sfc->h;
    thermo_values(p_s, v);

    float thick = 0;
    UPA_level start = parcel_start(v.max_t, thick);
    parcel_calc(THERM_get_SM(), THERM_get_SM_num(), &start, UPA_LT_PRES, p_s, thick, &v.parcel);
    *THERM_get_parcel() = start;

    wind_values(p_s, h_s, v);
    return 0;
}
