// upa_level.h: sounding levels and level codes (upa_level.cpp).
//
// A sounding is an array of UPA_level (prf_sounding.h) owned by the caller, ordered from the
// ground up.  A level code is a level type of GRIB edition 1 table 3 and a level value; layer
// types pack their two values as upper and lower three digits (VAR_get_level unpacks them).
// The vertical coordinate code handed to the sounding calculations is such a level type, with
// the bottom and top in its unit: mb for the pressure kind (the bottom the larger pressure), m
// for the height kind, K for the isentropic kind.
#ifndef UPA_LEVEL_H
#define UPA_LEVEL_H

#include "prf_sounding.h"

// Level types that the sounding code treats by name.
enum {
    UPA_LT_NONE = 0,          // the sounding as a whole, surface to 500 mb
    UPA_LT_SFC = 1,           // the surface; a positive value is a depth in mb
    UPA_LT_FRZ = 4,           // the freezing level
    UPA_LT_LCL = 5,           // lifting condensation level of the surface air
    UPA_LT_MWND = 6,          // maximum wind
    UPA_LT_TROP = 7,          // tropopause
    UPA_LT_PRES = 100,        // isobaric, mb
    UPA_LT_PRES_LAYER = 101,  // between two pressures (tens of mb)
    UPA_LT_MSL = 102,         // mean sea level
    UPA_LT_HGHT = 103,        // height above sea level, m
    UPA_LT_HGHT_LAYER = 104,  // between two such heights (hundreds of m)
    UPA_LT_AGL = 105,         // height above the ground, m
    UPA_LT_AGL_LAYER = 106,   // between two such heights (hundreds of m)
    UPA_LT_THETA = 113,       // isentropic, K
    UPA_LT_THETA_LAYER = 114, // between two isentropic levels
    UPA_LT_DPRES = 115,       // pressure difference from the ground, mb
    UPA_LT_DPRES_LAYER = 116, // between two such differences
};

// Markers in the larger value of a layer (surface-, parcel- and tropopause-based layers).
constexpr float UPA_LAYER_SFC = 1900;        // surface pressure up to the smaller value
constexpr float UPA_LAYER_MAXT = 1910;       // the same, for the maximum-temperature parcel
constexpr float UPA_LAYER_TROP_PRES = 1950;  // tropopause upward by the smaller value (mb)
constexpr float UPA_LAYER_SFC_DEPTH = 2000;  // 2000 + n: surface-based, n mb handed out as depth
constexpr float UPA_LAYER_TROP_UP = 99500;   // tropopause height upward by the smaller value (m)
constexpr float UPA_LAYER_TROP_DOWN = 99600; // tropopause height downward by the smaller value

constexpr float UPA_KELVIN = 273.15f;  // degrees C to kelvin

/// A temperature in degrees C as kelvin; -9999 stays -9999.
inline float UPA_kelvin(float c) { return VYK_is_miss(c) ? c : c + UPA_KELVIN; }

/// Sets every field of lev to -9999; returns 0.
int UPA_level_init(UPA_level *lev);
/// 1 when var's level is the maximum-temperature parcel's layer, else 0.
int UPA_is_maxt(const VAR_data *var);
/// A layer of half-depth delta (0: 25 mb, 200 m or 5 K) around var's single level, the upper
/// end in lev1; coord is not written; returns 0.
int UPA_make_layer(const VAR_data *var, int *coord, float *lev1, float *lev2, float delta);
/// The mandatory slot (1 for 1000 mb to 16 for 10 mb) of a pressure, 0 for any other.
int UPA_mandatory(float p);
/// Pressure (mb) of the 0 degrees C level of a sounding; -1 when the air at the ground is below
/// freezing, -9999 when there is none.
float freezing_level(const UPA_level *lev, int num);

#endif
