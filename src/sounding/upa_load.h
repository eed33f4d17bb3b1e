// upa_load.h: loading an upper-air report as the current sounding (upa_load.cpp), and filling
// the missing winds of a temperature sounding from a wind sounding.
#ifndef UPA_LOAD_H
#define UPA_LOAD_H

#include "upa_report.h"

/// Merges report into the component's own temperature and wind soundings, fills their missing
/// heights, pressures and winds, sets the tropopause and maximum wind and installs them as the
/// current sounding.  The report's station fields (from "upa.cty" when its elevation is missing)
/// and the heights of its surface, tropopause and maximum-wind slots are updated in place.
/// Returns 1 when a sounding was loaded, 0 when the report has no temperature levels.
int UPA_merge_report(UPA_report *report);
/// Every level of sm whose direction is missing takes the wind of wm interpolated at its
/// pressure (missing values included).  Returns 0.
int UPA_calc_wind(UPA_level *sm, int sm_num, UPA_level *wm, int wm_num);

#endif
