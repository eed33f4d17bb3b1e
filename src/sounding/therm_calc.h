// therm_calc.h: the analysis of the current sounding (therm_calc.cpp): every value and index of
// the value record, and the parcel starting level actually lifted.
#ifndef THERM_CALC_H
#define THERM_CALC_H

/// Computes the value record of the current sounding (THERM_get_values) and sets the parcel
/// starting level (THERM_get_parcel) to the level the parcel was lifted from.  Returns 0.
int THERM_calc();

#endif
