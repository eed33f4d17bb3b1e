// upa_index.h: stability, temperature and moisture indices of a sounding (upa_index.cpp).
//
// Stateless functions over a caller's sounding, ground first, temperatures in degrees C; each
// answers one float, -9999 when it cannot be computed.  The layer functions take a coordinate
// code with bottom and top (or a depth) in its unit; the whole-sounding functions read the
// sounding at 850, 700 and 500 mb.
#ifndef UPA_INDEX_H
#define UPA_INDEX_H

#include "upa_level.h"

/// |h_top - h_bottom|, m.
float thickness(UPA_level *lev, int num, int coord, float bottom, float top);
/// -(t_top - t_bottom) / (h_top - h_bottom), degrees C per m.
float lapse_rate(UPA_level *lev, int num, int coord, float bottom, float top);
/// (theta_top - theta_bottom) / (h_top - h_bottom), K per m.
float theta_lapse_rate(UPA_level *lev, int num, int coord, float bottom, float top);
/// (theta_top - theta_bottom) / (p_bottom - p_top), K per mb.
float theta_pres_lapse_rate(UPA_level *lev, int num, int coord, float bottom, float top);
/// -(R T / (p theta)) dtheta/dp around level (20 mb below to 10 mb above on pressure).
float static_stability(UPA_level *lev, int num, int coord, float level);
/// Temperature (K) that air from the top of the layer bottom..bottom+thick reaches when brought
/// down dry-adiabatically to the bottom.
float max_temperature(UPA_level *lev, int num, int coord, float bottom, float thick);
/// Largest excess (C) of the environment over the parcel between its LCL and 500 mb; the parcel
/// is mixed over thick when thick > 0.
float cap_strength(UPA_level *lev, int num, int coord, float bottom, float thick);
/// The environment at top less the parcel lifted there from bottom (mixed over thick > 0), C.
float lifted_index(UPA_level *lev, int num, int coord, float bottom, float thick, float top);

/// Precipitable water, inches.
float precip_water(const UPA_level *lev, int num);
/// Pressure of the wet-bulb zero level; -1 when the lowest wet-bulb temperature is below 0 C.
float wet_bulb_zero(const UPA_level *lev, int num);
float total_totals(UPA_level *lev, int num);     // T850 + Td850 - 2 T500
float vertical_totals(UPA_level *lev, int num);  // T850 - T500
float cross_totals(UPA_level *lev, int num);     // Td850 - T500
float k_index(UPA_level *lev, int num);          // (T850 - T500) + Td850 - (T700 - Td700)
float sweat_index(UPA_level *lev, int num);
/// Static energy at 500 mb less that at 850 mb, cal/g.
float energy_index(UPA_level *lev, int num);

#endif
