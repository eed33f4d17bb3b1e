// grib2_internal.h: what the edition-2 section readers (grib2.cpp) and the edition-2 unpackers
// (grib2_unpack.cpp) share; not for callers of the grid files.
#ifndef GRIB2_INTERNAL_H
#define GRIB2_INTERNAL_H

#include "grib_internal.h"
#include "vykdom.h"

#include <cstddef>
#include <cstdint>
#include <vector>

/// One section as read: octet n (counted from 1, as in the standard) is o[n - 1]; octets beyond
/// the section read as 0.
struct G2_section {
    std::vector<unsigned char> o;
    int operator()(size_t n) const { return n >= 1 && n <= o.size() ? o[n - 1] : 0; }
    /// Unsigned number of k octets from octet n (k at most 4).
    uint32_t u(size_t n, int k) const
    {
        uint32_t v = 0;
        for (int i = 0; i < k; i++) v = (v << 8) | uint32_t((*this)(n + size_t(i)));
        return v;
    }
    /// Sign-and-magnitude number of k octets from octet n.
    int32_t s(size_t n, int k) const
    {
        const uint32_t v = u(n, k);
        const uint32_t sign = uint32_t{0x80} << (8 * (k - 1));
        const int32_t mag = int32_t(v & (sign - 1));
        return (v & sign) ? -mag : mag;
    }
    size_t size() const { return o.size(); }
};

/// The grid of the last grid definition section: it stays for later fields of the message.
struct G2_grid {
    Domain dv{};
    int type = 0;          // the grid number the definition is known by (0: none)
    bool known = false;    // a supported grid template was decoded
    int ydir = 1;          // 1 rows south to north, -1 north to south
    int xalt = 0;          // 1 when adjacent rows run in opposite directions
    bool thin = false;     // quasi-regular rows
    std::vector<int> rows; // points of each quasi-regular row
};
/// The grid in force in the message being read from the slot's file (each open file keeps its
/// own, so reading another file between two fields of a message changes nothing).
const G2_grid &g2_grid(int grd_fd);

/// Value of a 4-octet big-endian IEEE single-precision number.
float GRIB_ieee_float_conv(const unsigned char *pc);

// The packing and the bit map in force are kept for each open file (slot), as the grid is.
/// Section 5 from its octets: the field's packing and its parameters.  1, or 0 (a warning) for
/// a section too short for its template.
int g2_drs(int grd_fd, const G2_section &s);
/// Section 6 from its octets: 1 when a bit map is in force afterwards, else 0.
int g2_bms(int grd_fd, const G2_section &s);
/// Section 7 from its octets into grd's values (domain from the grid in force).  1; 0 (a
/// warning) when the values cannot be unpacked: the report then has no values, or all -9999
/// when the packing is not one this decoder knows.
int g2_ds(int grd_fd, const G2_section &s, GRD_report *grd);
/// Where a decoded image's values go: the first `want` pixels, each c + a * X for its sample X.
struct G2_image_out {
    float *v = nullptr;     // room for want values
    size_t want = 0;        // values the field declares (at most max_points)
    size_t max_points = 0;  // the grid's points: a larger image is refused before decoding
    double a = 1, c = 0;
};
/// The values of a JPEG 2000 code stream (grib2_image.cpp): want, or -1 (a warning: an image
/// larger than the grid or smaller than the values declared, or "jpc_decode error").
long g2_jpeg_values(const unsigned char *p, size_t len, const G2_image_out &out);
/// The values of a PNG file, likewise.
long g2_png_values(const unsigned char *p, size_t len, const G2_image_out &out);

/// Forgets the slot's bit map and packing (a new message: a bit map is borrowed only from an
/// earlier field of the same message).
void g2_unpack_reset(int grd_fd);

#endif
