// vykgrib.h: GRIB framing and message search (grib.cpp).  For now the threshold of the
// edition-1 corrupt-data check that the plot-parameter keyword "max_bad" sets.
#ifndef VYKGRIB_H
#define VYKGRIB_H

// GRIB_set_max_bad, declared where the plot-parameter keywords need it.
#include "vykgopt.h"

/// The corrupt-data threshold; 0 or below: the check is off (-1 until set).
int GRIB_get_max_bad();

#endif
