// upa_hydro.h: hydrostatic heights and pressures of a column (upa_hydro.cpp).
//
// Both fills work in place and write an end marker (missing values) into the record after the
// last level: the caller's array holds num + 1 records.  Columns of 300 levels or more are
// refused with a warning.
#ifndef UPA_HYDRO_H
#define UPA_HYDRO_H

#include "upa_level.h"

/// Fills the missing heights of a column ordered by pressure from the ground up; 0, or -1 when
/// no level after the first has a height (nothing is filled) or the column is refused.
int UPA_calc_height(UPA_level *level, int num);
/// Fills the missing pressures (and a missing height at the start of a stretch) of a column
/// ordered by height from the ground up; returns 0.
int UPA_calc_press(UPA_level *level, int num);

#endif
