// prf_sounding.h: what the profiler display takes of the sounding calculations, for its wind
// shear and helicity: the decoding of a variable's level into a layer (the level record is
// core's, vykrec.h), and the layer mean wind, shear and helicity of the column.  The sounding folder
// defines these (zazudi.h includes this header).
#ifndef PRF_SOUNDING_H
#define PRF_SOUNDING_H

#include "vykrec.h"   // UPA_level, SHEAR_params, HELICITY_params
#include "vykvar.h"   // VAR_data
#include "vect.h"  // WIND


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
