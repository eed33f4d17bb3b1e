// therm_report.h: the printed reports of the current sounding (therm_report.cpp): the loaded
// temperature sounding, the stability and moisture analysis with its risk wording, the wind
// parameters, the wind level table and the storm parameters by depth.
//
// The reports print what the value record holds (run THERM_calc after loading); a value that is
// missing leaves its line out.  The paged tables stop at "Press return to continue" holds of the
// message output (none in batch mode or with paging off).  All return 0.
#ifndef THERM_REPORT_H
#define THERM_REPORT_H

/// The temperature sounding with its tropopause and maximum-wind levels, paged.
int THERM_sig_table();
/// "Sounding variables and indices" and "Parcel Indices".
int THERM_indices();
/// "Wind Parameters".
int THERM_wind();
/// The wind sounding with its storm-relative winds, paged.
int THERM_wind_table();
/// "Storm Parameters" for depths from 500 m to 6000 m above the ground.
int THERM_storm_table();

#endif
