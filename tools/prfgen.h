// prfgen.h: the sample data of the profiler file generator (prfgen.cpp), shared by its netCDF
// and BUFR writers.
#ifndef PRFGEN_H
#define PRFGEN_H

#include "vyk.h"

#include <cstdint>
#include <string>

namespace prfgen {

constexpr int SET_LEVELS = 36;  // levels of each mode (low and high)
constexpr int ALL_LEVELS = 72;  // both modes
constexpr int NUM_STATIONS = 6;
/// Quality codes of the netCDF files.
constexpr int QUALITY_GOOD = 10, QUALITY_BAD = 9, QUALITY_NONE = 0;

struct Station {
    const char *id;
    int wmo;           // WMO block and station number, written in the bulletins
    float lat, lon;    // degrees, west negative
    float elev;        // m
    float dir0;        // surface wind direction, degrees
    float geo;         // wind speed at the top of the boundary layer, m/s
    float zi;          // boundary-layer depth, m
    float t0, spread;  // surface temperature at the first hour and its dew-point depression, C
};
extern const Station stations[NUM_STATIONS];

/// Height of level i (0 to 71): low mode 500 to 9250 m, high mode 9250 to 18000 m, both every
/// 250 m, so that the last low-mode level and the first high-mode level share 9250 m.
float level_height(int i);

/// A repeatable number in -1 to 1 for the given indices.
double noise(int s, int t, int i, int k);

/// The wind of one level (m/s), with its quality code; all missing above the signal.
struct Wind {
    float u, v, w, hdev, vdev;
    int q;
};
Wind level_wind(int s, int t, int i);

/// Surface values of station s at hour t: pressure (mb), temperature and dew point (C),
/// relative humidity (%), wind direction and speed, rain rate (mm/h).
struct Surface {
    float pres, temp, dewp, rh, dir, spd, rain;
};
Surface surface(int s, int t);

struct Time {
    Date date;
    int64_t secs;  // since 1970 UTC
};

/// Prints "prfgen: what: path" and returns false.
bool fail(const char *what, const std::string &path);

/// Writes the bulletin file of hour t (prfgen_bufr.cpp).
bool write_bufr(const std::string &path, int t, const Time &time);

}  // namespace prfgen

#endif
