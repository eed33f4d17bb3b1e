// grib_table.h: GRIB parameter units and predefined grids (grib_table.cpp).
//
// The units of a product's parameter, the renumbering of two older parameter numberings into
// WMO GRIB edition 1 code table 2 (the local parameters of ECMWF, centre 98, and the element
// numbers of GRIB edition 0, which are also the old grid variable codes of model-output netCDF
// files), the georeference of the NCEP predefined grids that a product may name by number
// alone, and the units of the old grid variable codes.
#ifndef GRIB_TABLE_H
#define GRIB_TABLE_H

#include "vykgrd.h"

/// Sets grd->units, and for the two older numberings grd->var (and the level where the table
/// gives one), from grd->source, grd->version and grd->var.  0.
int GRIB_units(GRD_report *grd);
/// Fills the fields of domain that the table gives for predefined grid type (projection, size,
/// spacing, centre; for the Lambert conformal grids also the pole and the three parameters);
/// any other number leaves domain unchanged.  1.
int GRIB_set_domain(int type, Domain *domain);
/// The units text of an old grid variable code, or NULL.
const char *GRIB_cdf_units(int var_id);

#endif
