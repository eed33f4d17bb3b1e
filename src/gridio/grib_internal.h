// grib_internal.h: what the GRIB framing, the edition decoders and the GRIB back end of the
// grid-file table share; not for callers of the grid files.
#ifndef GRIB_INTERNAL_H
#define GRIB_INTERNAL_H

#include "grd_file_internal.h"
#include "grib.h"
#include "map.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

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

/// The indicator section of the current message as read: 16 octets, the magic first (octets
/// not read are 0).
const unsigned char *grib_indicator();

// ---------------------------------------------------------------------------------------------
// Grid definitions (grib.cpp): what the decoders of both editions compute alike
// ---------------------------------------------------------------------------------------------

/// A longitude beyond 180 degrees east as degrees west.
inline float grib_lon180(float lon) { return lon > 180 ? lon - 360 : lon; }
/// The centre of a projected grid d (its kind, pole, size and spacing set) from its first point
/// (la1, lo1): the point's plot position moved half the grid along x (xdir -1 when the columns
/// run east to west) and along y (ydir 1 when the rows run south to north), back to latitude
/// and longitude, on a domain made current for the while.
void grib_projected_centre(Domain &d, float la1, float lo1, float xdir, float ydir);
/// The spacing and centre of a Mercator grid d (its size and pole longitude plon set) from its
/// first and last points, projected on a domain made current for the while.
void grib_mercator_grid(Domain &d, float la1, float lo1, float la2, float lo2);

// ---------------------------------------------------------------------------------------------
// Index files (grib_index.cpp): read when the GRIB file's header is, then product by product
// ---------------------------------------------------------------------------------------------

/// One line of an index: the offset of the product's message and its label.
struct GRIB_index_line {
    long offset = 0;
    int field = 0;       // the field of an edition-2 message (0 first), from the label
    char label[129] = "";
};
/// What a label describes (numbers not in it: -9999, source -1).
struct GRIB_index_desc {
    bool described = false;  // the label holds a description
    int edition = 1, source = -1, model = 0, type = 0;
    int time = VYK_MISS, ltype = VYK_MISS, level = VYK_MISS, var = VYK_MISS;
    int field = 0;
};
/// Parses a label's description.
void grib_index_parse(const char *label, GRIB_index_desc *d);
/// Reads the index attached to the slot's record and checks it against the GRIB file: true
/// when it is in use; else (a warning) it is closed and the GRIB file is read without it.
bool grib_index_load(int slot, GRD_file *f);
/// true when the slot reads its headers from an index.
bool grib_index_in_use(int slot, const GRD_file *f);
/// The line of product n, or NULL past the index's end (or with no index in use).
const GRIB_index_line *grib_index_line(int slot, const GRD_file *f, int n);
/// Closes the slot's index: the GRIB file is read by itself from now on.
void grib_index_drop(int slot, GRD_file *f);
/// A product header from its line (rep_type GRD_READ_HEADER_DATA adds the labels).
void grib_index_header(const GRD_file *f, const GRIB_index_line &l, GRD_report *grd,
                       int rep_type);
/// true when a decoded product carries the codes its line describes.
bool grib_index_agrees(const GRIB_index_line &l, const GRD_report &grd);

// ---------------------------------------------------------------------------------------------
// Ensembles (grib1.cpp): the product definition of either edition writes them, GRIB_set_var
// names the product from them.
// ---------------------------------------------------------------------------------------------

/// The ensemble and probability codes of the product decoded last.
struct GRIB_ensemble {
    int ens = 0;         // 1: an ensemble or probability product
    int ens_type = 0;    // member kind: 1 control, 2 negative, 3 positive, 4 cluster, 5 whole
    int ens_id = 0;      // member number
    int ens_prod = 0;    // 1 member, 2 mean, 11 and 12 spread
    int ens_smooth = 0;
    int ens_prob_var = 0;   // variable of a probability
    int ens_prob_type = 0;  // 1 to 8: below, above, between (ensemble and other kinds)
    float ens_prob_low = 0, ens_prob_up = 0;  // its limits
};
GRIB_ensemble &grib_ensemble();

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
/// Field `field` (0 first) of the edition-2 message whose framing begins at msg_pos, as a
/// message of its own: the indicator section with the new length, the identification, local
/// use and grid sections in force for the field, its own sections 4 to 7 (a bit map it
/// borrows from an earlier field written out) and the end section.  false (a warning) when the
/// message does not hold that field whole.
bool grib2_field_copy(int grd_fd, long msg_pos, int field, std::vector<unsigned char> &out);

#endif
