// vykcty.h: the station database.
#ifndef VYKCTY_H
#define VYKCTY_H

/// Looks station id up in the station file city_file (the city_file resource takes precedence):
/// 1 with its latitude and longitude, 0 with lat and lon untouched when it is not found.
int CTY_get_loc(const char *city_file, const char *id, float *lat, float *lon);

#endif
