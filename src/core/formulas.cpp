// Meteorological formulas: moisture, potential temperatures, adiabats, the lifting condensation
// level, comfort indices, the standard atmosphere, interpolation in ln p and great-circle
// distances.  Pure functions without state.
//
// Units: temperatures in K, pressures and vapour pressures in mb, mixing ratio and specific
// humidity in g/kg, relative humidity in percent, wind speed in m/s, heights in m, distances in
// km, angles in degrees.  -9999 is the missing value.
//
// Precision: every function computes in double and rounds its result to float; where a float
// intermediate is part of the definition it is written as an explicit float below, so results
// are the same on every machine.
#include "vykbase.h"
#include "vykcdf.h"
#include "vykform.h"
#include "vykscan.h"

#include <cmath>

namespace {

// Exponent of the potential temperature (R/cp as the system has always used it).
constexpr double KAPPA = 0.286;
// Ratio of the molecular weights of water and dry air, times 1000 (g/kg).
constexpr double EPS_GKG = 622.0;
// Latent-heat factor of the saturated adiabat (K per g/kg).
constexpr double LATENT = 2.6518986;
// The lifting condensation level: its tolerance (mb) and the bound on its corrections.
constexpr float LCL_TOLERANCE = 0.01f;
constexpr int LCL_MAX_STEPS = 500;

// Temperature (K) whose saturation vapour pressure is e (mb), e > 0.
double temp_of_vapor(double e)
{
    const double a = std::pow(e, 0.0915) - 1.2035;
    return std::pow(10.0, 2.4082965 + 0.0498646455 * std::log10(e)) - 7.08475 + 38.9114 * a * a;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Moisture
// ---------------------------------------------------------------------------------------------

float vapor_pr(float t)
{
    if (t < 0.0f) return VYK_MISS;
    if (t < 100.0f) return 0.0f;
    const double T = t;
    const double l = 23.832241 - 5.02808 * std::log10(T) -
                     1.3816e-7 * std::pow(10.0, 11.344 - 0.0303998 * T) +
                     0.008132801 * std::pow(10.0, 3.49149 - 1302.8844 / T) - 2949.076 / T;
    return static_cast<float>(std::pow(10.0, l));
}

// A temperature of 100 or less is taken as the vapour pressure itself.
float mix_ratio(float temp, float pr)
{
    if (VYK_is_miss(temp) || VYK_is_miss(pr)) return VYK_MISS;
    if (temp <= 0.0f || pr <= 0.0f) return 0.0f;
    const float e = temp <= 100.0f ? temp : vapor_pr(temp);
    const float dry = pr - e;
    // When the vapour pressure reaches the total pressure there is no mixing ratio.
    if (dry <= 0.0f) return VYK_MISS;
    return static_cast<float>(EPS_GKG * e / dry);
}

float spec_hum(float temp, float pr)
{
    if (VYK_is_miss(temp) || VYK_is_miss(pr)) return VYK_MISS;
    if (temp <= 0.0f || pr <= 0.0f) return 0.0f;
    const float e = temp <= 100.0f ? temp : vapor_pr(temp);
    return static_cast<float>(EPS_GKG * e / pr);
}

// Both arguments 100 or less: they are vapour pressures.  Float arithmetic throughout.
float rel_hum(float t, float td)
{
    if (t <= 0.0f || td <= 0.0f) return VYK_MISS;
    if (t <= 100.0f && td <= 100.0f) return 100.0f * td / t;
    const float es = vapor_pr(t);
    if (es <= 0.0f) return VYK_MISS;  // a temperature below 100 K has no vapour pressure
    return vapor_pr(td) / es * 100.0f;
}

float dew_temp(float temp, float rh)
{
    if (VYK_is_miss(rh) || temp <= 0.0f) return VYK_MISS;
    if (rh <= 2.0f) rh = 2.0f;
    if (rh >= 100.0f) rh = 100.0f;
    const float product = vapor_pr(temp) * rh;
    return temp_vapor_pr(product / 100.0f);
}

float temp_vapor_pr(float e)
{
    if (e <= 0.0f) return 0.0f;
    return static_cast<float>(temp_of_vapor(e));
}

float temp_on_mixrat(float w, float pr)
{
    if (w <= 0.0f || pr <= 0.0f) return 0.0f;
    const float product = w * pr;
    return static_cast<float>(temp_of_vapor(product / (EPS_GKG + w)));
}

// ---------------------------------------------------------------------------------------------
// Potential temperatures
// ---------------------------------------------------------------------------------------------

float pot_temp(float temp, float pr)
{
    if (pr <= 0.0f || temp <= 0.0f) return VYK_MISS;
    return static_cast<float>(temp * std::pow(1000.0 / pr, KAPPA));
}

// A dew point of 100 or less is a mixing ratio (g/kg); exactly 0 means dry air.
float virt_temp(float temp, float dewp, float pr)
{
    if (temp <= 0.0f || dewp < 0.0f || pr < 0.0f) return VYK_MISS;
    if (dewp == 0.0f) return temp;
    const float w = dewp <= 100.0f ? dewp : mix_ratio(dewp, pr);
    if (VYK_is_miss(w)) return VYK_MISS;
    return static_cast<float>((1.0 + 0.609 * w / 1000.0) * temp);
}

float virt_pot_temp(float temp, float dewp, float pr)
{
    if (temp <= 0.0f || dewp < 0.0f || pr < 0.0f) return VYK_MISS;
    if (dewp == 0.0f) return pot_temp(temp, pr);
    if (pr == 0.0f) return VYK_MISS;  // no potential temperature at zero pressure
    const float tv = virt_temp(temp, dewp, pr);
    if (VYK_is_miss(tv)) return VYK_MISS;
    return static_cast<float>(tv * std::pow(1000.0 / pr, KAPPA));
}

// ---------------------------------------------------------------------------------------------
// Adiabats and the lifting condensation level
// ---------------------------------------------------------------------------------------------

float temp_on_dryad(float pot, float pr)
{
    if (pot <= 0.0f || pr <= 0.0f) return 0.0f;
    return static_cast<float>(pot * std::pow(pr / 1000.0, KAPPA));
}

float thetae_on_satad(float temp, float pr)
{
    if (temp <= 0.0f || pr <= 0.0f) return 0.0f;
    const float w = mix_ratio(temp, pr);
    if (VYK_is_miss(w)) return 0.0f;  // saturation beyond the total pressure: no adiabat
    return static_cast<float>(std::pow(1000.0 / pr, KAPPA) * temp / std::exp(-LATENT * w / temp));
}

// Bisection with float state: 12 evaluations at most.
float temp_on_satad(float pot, float pr)
{
    if (pot <= 0.0f || pr <= 0.0f) return VYK_MISS;
    if (pr > 2000.0f) return VYK_MISS;
    float guess = 253.16f;
    float step = 120.0f;
    for (int pass = 0; pass < 12; ++pass) {
        const float w = mix_ratio(guess, pr);
        float diff;
        if (VYK_is_miss(w)) {
            // The guess saturates beyond the total pressure: it is far too warm.
            diff = -1.0f;
        } else {
            diff = static_cast<float>(pot * std::exp(-LATENT * w / guess) - pot_temp(guess, pr));
            if (static_cast<double>(diff) * diff < 2e-5) return guess;
        }
        step /= 2.0f;
        guess = diff > 0.0f ? guess + step : guess - step;
    }
    return guess;
}

float lcl_pres(float ts, float tds, float ps)
{
    if (ts <= 100.0f || tds <= 100.0f || ps <= 0.0f || ps > 1100.0f) return VYK_MISS;
    const float w = mix_ratio(tds, ps);
    if (VYK_is_miss(w)) return VYK_MISS;
    const float theta = pot_temp(ts, ps);
    // Corrected until a step moves the level by less than 0.01 mb: a large dew-point spread
    // needs far more steps than a moist parcel.
    float p = ps;
    for (int n = 0; n < LCL_MAX_STEPS; ++n) {
        const float d = temp_on_mixrat(w, p) - temp_on_dryad(theta, p);
        const float next = static_cast<float>(p * std::pow(2.0, 0.02 * d));
        if (!(next > 0.0f)) return VYK_MISS;
        const float change = std::fabs(next - p);
        p = next;
        if (change < LCL_TOLERANCE) break;
    }
    return p;
}

float lcl_temp(float ts, float ps, float pl) { return temp_on_dryad(pot_temp(ts, ps), pl); }

float conv_temp(float wbar, float pc, float pr)
{
    return temp_on_dryad(pot_temp(temp_on_mixrat(wbar, pc), pc), pr);
}

// A dew point of exactly 0 means dry air.
float eq_pot_temp(float temp, float dewp, float pr)
{
    if (temp <= 0.0f || dewp < 0.0f || pr < 0.0f) return VYK_MISS;
    if (dewp == 0.0f) return pot_temp(temp, pr);
    const float pl = lcl_pres(temp, dewp, pr);
    if (VYK_is_miss(pl)) return VYK_MISS;
    const float te = thetae_on_satad(lcl_temp(temp, pr, pl), pl);
    return te > 0.0f ? te : VYK_MISS;
}

namespace {

// The saturated-adiabat parameter through the lifting condensation level of (temp, dewp, pr),
// or 0 when there is none.
float satad_of_parcel(float temp, float dewp, float pr)
{
    const float pl = lcl_pres(temp, dewp, pr);
    if (VYK_is_miss(pl)) return 0.0f;
    return thetae_on_satad(lcl_temp(temp, pr, pl), pl);
}

}  // namespace

// Dry air (dew point 0) has no wet-bulb temperature here: -9999.
float wet_bulb(float temp, float dewp, float pr)
{
    if (temp <= 0.0f || dewp < 0.0f || pr < 0.0f) return VYK_MISS;
    if (dewp == 0.0f) return VYK_MISS;
    const float th = satad_of_parcel(temp, dewp, pr);
    if (th <= 0.0f) return VYK_MISS;
    return temp_on_satad(th, pr);
}

float wet_bulb_pot_temp(float temp, float dewp, float pr)
{
    if (temp <= 0.0f || dewp < 0.0f || pr < 0.0f) return VYK_MISS;
    if (dewp == 0.0f) return VYK_MISS;
    const float th = satad_of_parcel(temp, dewp, pr);
    if (th <= 0.0f) return VYK_MISS;
    return temp_on_satad(th, 1000.0f);
}

// ---------------------------------------------------------------------------------------------
// Interpolation
// ---------------------------------------------------------------------------------------------

float interp_temp(float t1, float t2, float p1, float p2, float pr)
{
    if (p1 <= 0.0f || p2 <= 0.0f) return VYK_MISS;
    if (VYK_is_miss(t1) && VYK_is_miss(t2)) return VYK_MISS;
    if (VYK_is_miss(t1)) return t2;
    if (VYK_is_miss(t2)) return t1;
    if (pr <= 0.0f) return VYK_MISS;
    const float dt = t2 - t1;
    const float r = pr / p1;
    const float span = p1 / p2;
    if (span == 1.0f) return VYK_MISS;  // equal pressures: no slope in ln p
    return static_cast<float>(t1 - dt * std::log(static_cast<double>(r)) /
                                   std::log(static_cast<double>(span)));
}

// ---------------------------------------------------------------------------------------------
// Comfort indices
// ---------------------------------------------------------------------------------------------

float wind_chill_temp(float temp, float ws)
{
    if (ws < 0.0f || temp < 0.0f) return VYK_MISS;
    if (ws < 2.0f || temp > 306.15f) return temp;
    const double v = ws > 26.0f ? 26.0 : ws;
    return static_cast<float>(306.15 -
                              (0.474266 + 0.453843 * std::sqrt(v) - 0.0453843 * v) * (306.15 - temp));
}

float wind_chill_temp2(float temp, float ws)
{
    if (ws < 0.0f || temp < 0.0f) return VYK_MISS;
    const float w = static_cast<float>(0.6215 * temp + 116.514 +
                                       std::pow(static_cast<double>(ws), 0.16) * (0.4863 * temp - 146.774));
    return w < temp ? w : temp;
}

float wind_chill(float temp, float ws)
{
    if (ws < 0.0f || temp < 0.0f) return VYK_MISS;
    if (ws < 2.0f || temp > 306.15f) return temp;
    const double v = ws > 26.0f ? 26.0 : ws;
    return static_cast<float>((10.45 + 10.0 * std::sqrt(v) - v) * 1.1627 * (306.15 - temp));
}

float heat_index(float temp, float dewp)
{
    if (temp < 0.0f || dewp < 0.0f || dewp > temp) return VYK_MISS;
    const float es = vapor_pr(temp);
    if (es <= 0.0f) return VYK_MISS;  // below 100 K: no relative humidity
    const float F = static_cast<float>(32.0 + 9.0 * (temp - 273.15) / 5.0);
    const float RH = static_cast<float>(static_cast<double>(vapor_pr(dewp)) / es * 100.0);
    const float f68 = F - 68.0f;
    double index = static_cast<float>(60.8 + 1.2 * f68 + 0.0936 * RH);
    if (index >= 77.0) {
        const float F2 = F * F, F3 = F2 * F;
        const float R2 = RH * RH, R3 = R2 * RH;
        const double f = F, r = RH;
        index = 16.0 + 0.185212 * f + 5.37941 * r - 0.100254 * f * r + 0.00941695 * F2 +
                0.00728898 * R2 + 0.000345372 * F2 * r - 0.000814971 * f * R2 +
                1.02102e-5 * F2 * R2 - 3.8646e-5 * F3 + 2.91583e-5 * R3 + 1.42721e-6 * F3 * r +
                1.97483e-7 * f * R3 - 2.18429e-8 * F3 * R2 + 8.43296e-10 * F2 * R3 -
                4.81975e-11 * F3 * R3;
    }
    return static_cast<float>(273.15 + 5.0 * (index - 32.0) / 9.0);
}

// Degrees F in every case: below a vapour pressure of 21 mb the humiture is the temperature.
float humiture(float temp, float dewp)
{
    if (temp < 0.0f || dewp < 0.0f) return VYK_MISS;
    const float x = vapor_pr(dewp) - 21.0f;
    const double f = 32.0 + 9.0 * (temp - 273.15) / 5.0;
    return static_cast<float>(x >= 0.0f ? f + x : f);
}

float temp_hum_index(float temp, float dewp)
{
    if (temp < 0.0f || dewp < 0.0f) return VYK_MISS;
    return static_cast<float>(17.5 + 0.55 * temp + 0.2 * dewp);
}

// ---------------------------------------------------------------------------------------------
// Standard atmosphere
// ---------------------------------------------------------------------------------------------

float sfc_pr_alt(float alt, float el)
{
    if (alt <= 0.0f || VYK_is_miss(el)) return VYK_MISS;
    const double ratio = (288.15 - 0.0065 * el) / 288.15;
    if (ratio <= 0.0) return VYK_MISS;  // above the top of the standard troposphere's formula
    return static_cast<float>(alt * std::pow(ratio, 5.2558));
}

float pres_alt(float pres)
{
    if (pres <= 0.0f) return VYK_MISS;
    if (pres < 226.32) return static_cast<float>(11000.0 + 6341.62 * std::log(226.32 / pres));
    const float t = static_cast<float>(288.15 * std::pow(pres / 1013.25, 0.190263));
    return static_cast<float>((288.15 - t) / 0.0065);
}

// ---------------------------------------------------------------------------------------------
// Distance
// ---------------------------------------------------------------------------------------------

float calc_earth_dist(float lat1, float lon1, float lat2, float lon2)
{
    if (lat1 == lat2 && lon1 == lon2) return 0.0f;
    constexpr double RAD = 0.017453292519943334;
    const double la1 = lat1 * RAD, lo1 = lon1 * RAD, la2 = lat2 * RAD, lo2 = lon2 * RAD;
    const float x1 = static_cast<float>(std::cos(la1) * std::cos(lo1));
    const float y1 = static_cast<float>(std::cos(la1) * std::sin(lo1));
    const float z1 = static_cast<float>(std::sin(la1));
    const float x2 = static_cast<float>(std::cos(la2) * std::cos(lo2));
    const float y2 = static_cast<float>(std::cos(la2) * std::sin(lo2));
    const float z2 = static_cast<float>(std::sin(la2));
    float d = x1 * x2 + y1 * y2 + z1 * z2;
    // Rounding can carry the cosine just past 1 for (nearly) equal or opposite points.
    if (d > 1.0f) d = 1.0f;
    if (d < -1.0f) d = -1.0f;
    return static_cast<float>(std::acos(static_cast<double>(d)) * 100.0 * 63.713);
}
