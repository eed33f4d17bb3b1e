// vykform.h: meteorological formulas (formulas.cpp) and small numerics (numeric.cpp).
#ifndef VYKFORM_H
#define VYKFORM_H

// ---------------------------------------------------------------------------------------------
// Meteorological formulas (formulas.cpp)
// ---------------------------------------------------------------------------------------------

// Temperatures in K, pressures and vapour pressures in mb, mixing ratio and specific humidity in
// g/kg, relative humidity in percent, wind speed in m/s, heights in m, distances in km, angles in
// degrees; -9999 where there is no value.  A "temperature" of 100 or less given to mix_ratio,
// spec_hum and rel_hum is a vapour pressure (mb); a dew point of 100 or less given to virt_temp is
// a mixing ratio (g/kg); a dew point of exactly 0 means dry air.

float vapor_pr(float t);
float mix_ratio(float temp, float pr);
float spec_hum(float temp, float pr);
float rel_hum(float t, float td);
float dew_temp(float temp, float rh);
float temp_vapor_pr(float e);
float temp_on_mixrat(float w, float pr);
float pot_temp(float temp, float pr);
float virt_temp(float temp, float dewp, float pr);
float virt_pot_temp(float temp, float dewp, float pr);
float temp_on_dryad(float pot, float pr);
float thetae_on_satad(float temp, float pr);
float temp_on_satad(float pot, float pr);
float lcl_pres(float ts, float tds, float ps);
float lcl_temp(float ts, float ps, float pl);
float conv_temp(float wbar, float pc, float pr);
float eq_pot_temp(float temp, float dewp, float pr);
float wet_bulb(float temp, float dewp, float pr);
float wet_bulb_pot_temp(float temp, float dewp, float pr);
float interp_temp(float t1, float t2, float p1, float p2, float pr);
float wind_chill_temp(float temp, float ws);
float wind_chill_temp2(float temp, float ws);
float wind_chill(float temp, float ws);
float heat_index(float temp, float dewp);
float humiture(float temp, float dewp);
float temp_hum_index(float temp, float dewp);
float sfc_pr_alt(float alt, float el);
float pres_alt(float pres);
float calc_earth_dist(float lat1, float lon1, float lat2, float lon2);

// ---------------------------------------------------------------------------------------------
// Small numerics (numeric.cpp)
// ---------------------------------------------------------------------------------------------

float linear_interp(float x, float x1, float x2, float y1, float y2);
int fswap(float *a, float *b);
int float2int(float x);

#endif
