// upa_interp.h: level lookup and interpolation (upa_interp.cpp).
//
// The vertical coordinate codes fall into three kinds: height (103 to 106, m), isentropic (113,
// 114, K) and pressure (every other code, mb; 1, 100, 101, 102, 115 and 116 by name).  A level's
// coordinate value grows upward on all three: -ln p, h, or the potential temperature.
#ifndef UPA_INTERP_H
#define UPA_INTERP_H

#include "upa_level.h"

enum UPA_kind { UPA_KIND_PRES, UPA_KIND_HGHT, UPA_KIND_THETA };

/// The kind of a vertical coordinate code (the pressure kind for every code not of the others).
UPA_kind UPA_coord_kind(int coord);

/// Surface pressure of a merged sounding: 1000 when *ind is -9999, else lev[*ind].p.
float UPA_sfc_pres(const UPA_level *lev, const int *ind);
/// Far end of a layer of depth thick (-9999: the kind's default) from bottom.
float UPA_thick_top(int coord, float bottom, float thick);
/// Near end of a layer of depth thick (-9999: the kind's default) that ends at top.
float UPA_thick_bottom(int coord, float top, float thick);
/// The level's coordinate value on coord; -9999 when it has none.
float UPA_get_level(int coord, const UPA_level *level);

/// Interpolates levels[0..num_level-1] (ground first, at most 300 levels) at each of
/// values[0..num_result-1] into result[0..num_result-1], field by field from the nearest levels
/// that have the field.  Coordinate 1 copies the current surface level into result[0].  Returns
/// the index of the first level at or above the last request (num_level above the sounding, 0
/// below it).  On the isentropic kind missing temperatures of levels are filled in place.
int UPA_interp_levels(UPA_level *levels, int num_level, int coord, const float *values,
                      UPA_level *result, int num_result);
/// UPA_interp_levels for one value.
int UPA_interp(UPA_level *levels, int num_level, int coord, float value, UPA_level *result);
/// Fills missing temperatures in place, linear in pressure between the nearest levels with one;
/// returns 0.
int UPA_calc_temp(UPA_level *levels, int num);
/// UPA_interp_levels on the current temperature (SM) or wind (WM) sounding.
int UPA_sm_interp(int coord, const float *values, UPA_level *result, int num_result);
/// The current temperature sounding interpolated at pressure p (mb).
UPA_level UPA_sm_at(float p);
int UPA_wm_interp(int coord, const float *values, UPA_level *result, int num_result);

#endif
