// upa_layer.h: layer means and parcels of a sounding (upa_layer.cpp): a derived quantity at a
// level, log-pressure means over a layer, the mixed-layer parcel, the convective condensation
// level, the theta-E index and the ascent of a parcel with its buoyant energies.
//
// Stateless functions over a caller's sounding, ground first, temperatures and dew points in
// degrees C.  Bottom and top are in the unit of the coordinate code (the bottom the end nearer
// the ground).
#ifndef UPA_LAYER_H
#define UPA_LAYER_H

#include "upa_level.h"

/// The result of a parcel ascent.
struct PARCEL_params {
    float Satad;   // thetae_on_satad at the LCL: the moist adiabat followed above it, K
    float plcl;    // lifting condensation level, mb
    float tlcl;    // temperature there, K
    float cap;     // largest excess of the environment over the parcel below 500 mb, C
    float lfc;     // level of free convection, mb; -1 when none
    float el;      // equilibrium level, mb
    float mpl;     // maximum parcel level, mb
    float Bel;     // positive less negative energy above the LFC, at the EL, J/kg
    float Bmpl;    // the same at the MPL, J/kg
    float Bplus;   // positive buoyant energy (CAPE), J/kg
    float Bminus;  // negative buoyant energy below the LFC (CIN), positive, J/kg
    float wmax;    // maximum updraft, m/s
};

/// The result of the theta-E index.
struct THETAE_params {
    float index;  // largest decrease of theta-E over one run of non-increasing layers, K
    float base;   // pressures bounding that run, mb
    float top;
    float max;    // largest theta-E met, K, and its pressure
    float maxp;
    float min;    // smallest theta-E met, K, and its pressure
    float minp;
};

// Quantity codes of variable_calc.
enum {
    UPA_Q_TEMP = 1, UPA_Q_DEWP = 2, UPA_Q_RHUM = 3, UPA_Q_THETA = 4, UPA_Q_DEWD = 5,
    UPA_Q_MRAT = 6, UPA_Q_SHUM = 7, UPA_Q_VPRES = 8, UPA_Q_WETBLB = 9, UPA_Q_THETAW = 10,
    UPA_Q_THETAE = 11, UPA_Q_THETAV = 12, UPA_Q_POT = 13, UPA_Q_VTEMP = 14, UPA_Q_HGHT = 15,
    UPA_Q_PRES = 16,
};

/// The quantity of code type at a level; -9999 for an unknown code or missing input.
float variable_calc(int type, const UPA_level *lev);
/// The code of a quantity name (exact, case matters: "temp", "rhum", "hag", ...); 0 for none.
int UPA_quantity_code(const char *name);
/// Log-pressure mean of the named quantity from bottom to top (top -9999: the value at bottom).
float mean_value(const char *val, UPA_level *lev, int num, int coord, float bottom, float top);
/// Mean mixing ratio (g/kg) and potential temperature (K) of a layer; always 0.
int layer_parcel_mean(UPA_level *lev, int num, int coord, float bottom, float top, float *Wbar,
                      float *Obar);
/// Pressure of the convective condensation level (-1 when none); the mixing ratio used in *Wbar.
float pr_ccl(UPA_level *lev, int num, int coord, float bottom, float thick, float *Wbar);
/// The theta-E index: 0 when found, -1 otherwise.
int thetae_index(const UPA_level *lev, int num, THETAE_params *params);
/// Buoyant energy (J/kg) of the layer between env1 and env2; -9999 when a value is missing.
float energy_calc(const UPA_level *par1, const UPA_level *par2, const UPA_level *env1,
                  const UPA_level *env2);
/// The ascent of a parcel from bottom (or from blev when it has a pressure): 1 after an ascent,
/// 0 when none was possible.  blev without a pressure receives the starting level.
int parcel_calc(UPA_level *lev, int num, UPA_level *blev, int coord, float bottom, float thick,
                PARCEL_params *params);

#endif
