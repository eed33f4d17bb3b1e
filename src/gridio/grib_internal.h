// grib_internal.h: what the GRIB framing, the edition decoders and the GRIB back end of the
// grid-file table share; not for callers of the grid files.
#ifndef GRIB_INTERNAL_H
#define GRIB_INTERNAL_H

#include "grd_file_internal.h"
#include "vykgrib.h"
#include "vykmap.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>

// ---------------------------------------------------------------------------------------------
// Octets and streams (grib.cpp)
// ---------------------------------------------------------------------------------------------

/// The stream of a GRIB slot, or NULL.
FILE *grib_stream(int grd_fd);
/// Reads exactly n octets: true, or false on a short read.
bool grib_read(FILE *fp, unsigned char *buf, size_t n);
/// Moves the stream forward by n octets (reading them where it cannot seek): true, or false
/// when the stream ended first.
bool grib_skip(FILE *fp, long n);
/// Moves the stream to an offset: true, or false.
bool grib_seek(FILE *fp, long pos);
/// An unsigned big-endian number of n octets (n at most 4).
inline uint32_t grib_uint(const unsigned char *p, int n)
{
    uint32_t v = 0;
    for (int i = 0; i < n; i++) v = (v << 8) | p[i];
    return v;
}
/// A sign-and-magnitude number of n octets (the top bit of the first octet is the sign).
inline int32_t grib_sint(const unsigned char *p, int n)
{
    const uint32_t v = grib_uint(p, n);
    const uint32_t sign = uint32_t{0x80} << (8 * (n - 1));
    const int32_t mag = static_cast<int32_t>(v & (sign - 1));
    return (v & sign) ? -mag : mag;
}

/// The full year of an edition-1 year-of-century octet: 0 to 49 are 2000 to 2049, 50 to 199
/// are 1950 to 2099.
inline int grib_year(int octet)
{
    int year = octet;
    if (year <= 49) year += 2000;
    if (year <= 199) year += 1900;
    return year;
}

/// The current map domain, made current again when the object goes (the grid definitions
/// project their corners on a domain made current for a while).
class GribKeepMap {
public:
    GribKeepMap() { MAP_get_domain(&saved_); }
    ~GribKeepMap() { MAP_domain(&saved_); }
    GribKeepMap(const GribKeepMap &) = delete;
    GribKeepMap &operator=(const GribKeepMap &) = delete;

private:
    Domain saved_;
};

/// The indicator section of the current message as read: 16 octets, the magic first (octets
/// not read are 0).
const unsigned char *grib_indicator();

// ---------------------------------------------------------------------------------------------
// Editions: one row per decoder; the GRIB back end hands each message to the row of its
// edition octet (a message of an edition without a row is skipped with a warning).
// ---------------------------------------------------------------------------------------------

/// Results of an edition's decoder.
enum {
    GRIB_SHORT = -1,      // the stream ended inside the message
    GRIB_NO_PRODUCT = 0,  // the header or grid cannot be decoded (a warning was printed)
    GRIB_DECODED = 1,     // decoded as asked
    GRIB_NO_VALUES = 2,   // the header was decoded, the values cannot be (a warning was printed)
};

struct GRIB_edition {
    int first = 0, last = 0;  // edition octets the row decodes
    const char *name = "";
    /// Decodes the product of the current message, the stream standing after its indicator
    /// section: its header (rep_type GRD_READ_HEADER or GRD_READ_HEADER_DATA) or header and
    /// values (GRD_READ_VALUES).  1 decoded; 0 the product cannot be decoded (a warning was
    /// printed; its header cannot be read either when this comes from a header-only read);
    /// -1 a short read.
    int (*decode)(int grd_fd, GRD_report *grd, int rep_type) = nullptr;
};

// The rows, each defined in its decoder's file.
extern const GRIB_edition grib_edition_1;  // grib1.cpp: editions 0 and 1
extern const GRIB_edition grib_edition_2;  // grib2.cpp: edition 2

// Edition 2 carries several fields in one message; the back end numbers each field.
/// Decodes the field whose first section starts at the stream position: a later field of the
/// message decoded last, inheriting its sections (results as an edition decoder's).
int grib2_continue(int grd_fd, GRD_report *grd, int rep_type);
/// After an edition-2 field: offset where the next field of its message begins, or -1 when the
/// message ended with it.
long grib2_next_field();
/// After an edition-2 field that ended its message: offset just after its end section, or -1.
long grib2_message_end();

#endif
