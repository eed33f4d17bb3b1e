// prf_sounding.h: what the profiler display takes of the sounding calculations, for its wind
// shear and helicity: the level record of a wind column, the decoding of a variable's level into
// a layer, and the layer mean wind, shear and helicity of the column.  The sounding folder
// defines these (zazudi.h includes this header).
#ifndef PRF_SOUNDING_H
#define PRF_SOUNDING_H

#include "vykvar.h"   // VAR_data
#include "vykvect.h"  // WIND

/// One level of a sounding; -9999 in every field without a value.
struct UPA_level {
    float p;    // pressure, mb
    float h;    // height, m
    float t;    // temperature, degrees C
    float td;   // dew point, degrees C
    float dir;  // wind direction (where it blows from), degrees
    float spd;  // wind speed, knots
};

/// Shear of a layer, per metre of depth: the veering steps and the others (1/s).
struct SHEAR_params {
    float pos_shr;
    float neg_shr;
};

/// Storm-relative helicity of a layer and its vorticity companions.
struct HELICITY_params {
    float dir_shr;   // storm-relative direction at the top minus at the bottom, degrees
    float pos_hel;   // positive contributions, m^2/s^2
    float neg_hel;   // negative contributions, m^2/s^2
    float tot_hel;   // pos_hel + neg_hel, m^2/s^2
    float ave_hel;   // tot_hel per metre of depth used, m/s^2
    float rel_hel;   // streamwise share of the shear
    float hor_vort;  // mean total shear per 100 m step, 1/s
    float stm_vort;  // mean turning (streamwise) term per 100 m step, 1/s
};

/// The vertical coordinate code, bottom, top and thickness of var's level against the current
/// sounding: 0 no level, 1 a single level, 2 a layer.
int UPA_level_decode(const VAR_data *var, int *coord, float *lev1, float *lev2, float *thick);

/// Mean wind of the layer bottom to top of the sounding lev[0..num-1] (ground first), in the
/// sounding's speed unit: 1 complete, 0 partial or none, -1 no levels or a reversed layer.
int layer_wind_mean(UPA_level *lev, int num, int coord, float bottom, float top, WIND *wind);

/// Veering and backing shear of the layer (speeds read as knots); storm may be NULL.
int shear_layer(UPA_level *lev, int num, int coord, float bottom, float top, const WIND *storm,
                SHEAR_params *windp);

/// Storm-relative helicity of the layer (speeds read as knots).
int helicity(UPA_level *lev, int num, int coord, float bottom, float top, const WIND *storm,
             HELICITY_params *windp);

#endif
