// upa_wind.h: layer mean wind, shear, helicity, bulk Richardson number and energy-helicity
// index of a sounding (upa_wind.cpp).  layer_wind_mean, shear_layer and helicity are declared
// with the level record in prf_sounding.h.
//
// Speeds of a sounding are knots; shear, helicity and the bulk Richardson number turn them into
// m/s (x 0.5144) before any vector work, the layer mean wind keeps its input's unit.  Bottom and
// top are in the unit of the coordinate code, the bottom the end nearer the ground.
#ifndef UPA_WIND_H
#define UPA_WIND_H

#include "upa_level.h"

constexpr float UPA_KNOT_MS = 0.5144f;  // m/s per knot

/// Shear between the 0-500 m and 0-6000 m mean winds above bottom (m/s) and the bulk
/// Richardson number cape / (0.5 shear^2); 0, or -1 with both -9999.
int bulk_richardson(UPA_level *lev, int num, int coord, float bottom, float cape, float *brn,
                    float *shear);
/// pos_hel of the lowest 2000 m above bottom times cape / 160000; -9999 when missing.
float energy_helicity(UPA_level *lev, int num, int coord, float bottom, const WIND *storm,
                      float cape);

#endif
