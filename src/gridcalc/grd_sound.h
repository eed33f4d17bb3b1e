// grd_sound.h: soundings from grids (grd_sound.cpp).
//
// A model's grid file holds, for one forecast time, height, temperature, relative humidity and
// wind on isobaric levels and the surface pressure, 2 m temperature and humidity and 10 m wind.
// GRD_get_sound takes them at one place and builds a sounding column (pressure in mb, height
// in m, temperature and dew point in degrees C, wind direction in degrees and speed in knots)
// that the sounding calculations use like an observed sounding.
#ifndef GRD_SOUND_H
#define GRD_SOUND_H

#include "zazudi.h"

/// Isobaric levels of the column for each pressure step, and the column's extra levels (a
/// spare and the surface).
constexpr int GRD_SND_LEVELS_50 = 20, GRD_SND_LEVELS_25 = 40, GRD_SND_EXTRA = 2;

/// Reads the `plot_param` words: "dpres" and a separator, then the pressure step.  0.
int GRD_snd_param();
/// Sets the pressure step of the isobaric levels to dp when dp is 25; any other value leaves
/// it (50 unless set to 25 before).  0.
int GRD_set_sound_dp(float dp);
/// The pressure step in force (mb).
float GRD_get_sound_dp();
/// Builds the sounding at lat, lon from the open grid file grd_fd (its header read) into sm.
/// *num in: the levels sm holds, at least the column's isobaric levels plus GRD_SND_EXTRA;
/// out: the levels of the finished sounding.  *sfcp: the surface pressure in mb (1000 when the
/// file has none).  1, or 0 when sm is too small or fewer than 10 values were found.
int GRD_get_sound(int grd_fd, float lat, float lon, UPA_level *sm, int *num, float *sfcp);

#endif
