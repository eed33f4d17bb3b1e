// zazudi.h: upper-air soundings: the level record and level codes, the current sounding, level
// lookup and interpolation, the wind indices and the level rows.  One header per component;
// this one only includes them.
#ifndef ZAZUDI_H
#define ZAZUDI_H

#include "vyk.h"
#include "prf_sounding.h"  // UPA_level, SHEAR_params, HELICITY_params and the profiler's calls
#include "upa_level.h"     // level codes
#include "therm.h"         // the current sounding
#include "upa_interp.h"    // level lookup and interpolation
#include "upa_wind.h"      // layer mean wind, shear, helicity
#include "upa_row.h"       // rows of the level table

#endif
