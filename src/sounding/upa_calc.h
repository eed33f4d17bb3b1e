// upa_calc.h: layer values of the current sounding for a plot variable (upa_calc.cpp): the mean
// of a named quantity and the mean wind over the layer of the variable's level.
#ifndef UPA_CALC_H
#define UPA_CALC_H

#include "vykrawplot.h"  // RAW_data

/// Stores into data's first value the mean of the quantity var names over var's layer of the
/// current temperature sounding (-9999 when it cannot be computed).  Returns 0.
int UPA_calc_layer(const VAR_data *var, RAW_data *data);
/// Sets wind to the mean wind of var's layer of the current wind sounding; direction and speed
/// -9999 unless the whole layer is covered.  Returns 0.
int UPA_calc_wind_layer(const VAR_data *var, WIND *wind);

#endif
