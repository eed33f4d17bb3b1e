// vykcty.h: the station database.
#ifndef VYKCTY_H
#define VYKCTY_H

constexpr int CTY_ID_LEN = 11;  // a plot identifier: 10 characters and the end

/// A station placed on the plot.
struct CTY_locate {
    char id[CTY_ID_LEN];  // plot identifier
    int wmo;              // WMO number
    float x, y;           // plot position
    float el;             // elevation
    int pr;               // priority
};

/// Looks station id up in the station file city_file (the city_file resource takes precedence):
/// 1 with its latitude and longitude, 0 with lat and lon untouched when it is not found.
int CTY_get_loc(const char *city_file, const char *id, float *lat, float *lon);

// Not built yet (placeholders in pending.cpp).

/// How stored stations are keyed: 0 identifier, 1 WMO number, 2 coded WMO number.  0.
int CTY_set_id_type(int type);
/// The stored station nearest to lat, lon: 1 with data filled, 0 when none.
int CTY_search_loc(float lat, float lon, CTY_locate *data);
/// The user buffer of the stored station id, NULL when none.
char *CTY_get_data(const char *id);

#endif
