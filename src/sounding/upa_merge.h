// upa_merge.h: merging an upper-air report into working soundings (upa_merge.cpp): the
// temperature sounding ordered by pressure, the wind sounding ordered by height, an older wind
// merge, and two general merges of level arrays.
//
// The index list (at least 24 ints) receives, for the report's slots 0 (surface), 1 to 21
// (mandatory pressures), 22 (tropopause) and 23 (maximum wind), the index of the level that
// came from the slot, or -9999.  Wind heights of the report are feet; the merged heights are
// metres.  A report never yields more than 224 temperature or 124 wind levels; its counts are
// taken within the record's slots.
#ifndef UPA_MERGE_H
#define UPA_MERGE_H

#include "upa_report.h"

constexpr float UPA_FEET_M = 0.3048f;  // m per foot
constexpr int UPA_NUM_INDEX = 24;      // entries of an index list that a merge writes

/// The temperature sounding of a report into merge; returns its count.
int UPA_sm_merge(const UPA_report *report, UPA_level *merge, int *man_index);
/// The wind sounding of a report into merge; returns its count.
int UPA_wm_merge(const UPA_report *report, UPA_level *merge, int *man_index);
/// The older wind merge: slots without a height stay so; no tropopause or maximum wind.
int UPA_sw_merge(const UPA_report *report, UPA_level *merge, int *man_index);
/// Two pressure-ordered arrays into out (at most 300 levels); returns the count.
int UPA_merge_array(const UPA_level *in1, int in1_num, const UPA_level *in2, int in2_num,
                    UPA_level *out);
/// Two height-ordered wind arrays into out (at most 300 levels); returns the count.
int UPA_wnd_merge_array(const UPA_level *in1, int in1_num, const UPA_level *in2, int in2_num,
                        UPA_level *out);
/// Height (m) of a pressure (mb) in the standard atmosphere.
float UPA_std_height(float p);

#endif
