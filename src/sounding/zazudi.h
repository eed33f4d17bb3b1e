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
#include "upa_layer.h"     // layer means and parcels
#include "upa_index.h"     // stability, temperature and moisture indices
#include "upa_report.h"    // the upper-air report record and file header
#include "upa_group.h"     // group codes of the text forms
#include "upa_merge.h"     // reports merged into working soundings
#include "upa_hydro.h"     // hydrostatic heights and pressures
#include "upa_print.h"     // printed report and wind tables
#include "upa_file.h"      // upper-air files of every kind
#include "upa_select.h"    // file, station and level selection
#include "therm_raw.h"     // the current sounding as a point-data file
#include "upa_load.h"      // a report loaded as the current sounding
#include "therm_calc.h"    // the analysis of the current sounding
#include "therm_report.h"  // its printed reports
#include "upa_calc.h"      // layer values of the current sounding

#endif
