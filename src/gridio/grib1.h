// grib1.h: GRIB edition 1 decoding (grib1.cpp).
//
// One GRIB edition 1 message (or edition 0: the same sections without the length octets) into
// a grid record: the product definition section (PDS) into the system's centre, model, grid,
// date, time, level and variable codes and a product name; the grid description section (GDS)
// into the record's domain; the bit-map section (BMS); the binary data section (BDS) unpacked
// into the values, north row first.  The sections are read in turn from the stream that
// GRIB_header left behind the indicator section.  The product naming with the ensemble and
// probability codes and the bit reader with its corrupt-data check serve edition 2 too.
#ifndef GRIB1_H
#define GRIB1_H

#include "vykgrd.h"

/// Reads and decodes the PDS, names the product and writes its date label.  1; 0 when the
/// section is too short to be a PDS (a warning); -1 on a short read.  rep_type is not used.
int GRIB_PDB(int grd_fd, GRD_report *grd, int rep_type);
/// Decodes a PDS held in memory (data[m] is octet m, octets 1 to 55 present) into grd.  1.
int GRIB_decode_PDB(const unsigned char *data, GRD_report *grd);
/// Writes grd->info (and for ensemble products var and units) from the product's codes.  0.
int GRIB_set_var(GRD_report *grd);
/// Reads the GDS when the PDS flags one into grd->domain.  1; 0 when the grid cannot be
/// decoded (a side above 2000 points, a layout not decoded; a warning); -1 on a short read.
int GRIB_GDB(int grd_fd, GRD_report *grd);
/// Reads the BMS when the PDS flags one.  1 (read, or none); 0 when it cannot be used (a
/// warning); -1 on a short read.
int GRIB_BMB(int grd_fd);
/// Reads the BDS and unpacks the values into grd->grid.  1; 0 when they cannot be unpacked (a
/// packing not decoded, a data section shorter than its values, no memory; a warning, and the
/// record is left without values); -1 on a short read of the section header.
int GRIB_BDB(int grd_fd, GRD_report *grd);
/// The next packed value of the current data section, most significant bit first; -1 at the
/// end of the section's data.
long GRIB_bit_read(int grd_fd);
/// The next bit of the bit map (1 present, 0 missing); 1 without a bit map; 0 past its end.
int GRIB_BMB_read();

#endif
