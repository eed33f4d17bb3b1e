// GRIB edition 2 data unpacking: the data representation (5), bit-map (6) and data (7)
// sections of one field into a grid record.
//
// Each packing is a row of a table: its template numbers, the reader of its section-5
// parameters and its unpacker.  An unpacker turns the data section into the field's values in
// the order the message stores them; one placer then spreads them over the grid by the bit map
// and the scanning mode (and widens quasi-regular rows), whatever the packing.  Every count a
// section states is checked against the octets it holds before anything is unpacked: a data
// section shorter than the values it declares, group lists that do not add up, widths beyond
// 32 bits, images larger than the grid are refused with a warning, never unpacked as garbage.
// A packing without an unpacker leaves every point missing, with a warning.
#include "grib2_internal.h"
#include "vykbase.h"
#include "vykmess.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace {

constexpr M_type M_TRACE = M_DEBUG_C;
constexpr int BITS_MAX = 32;      // widest packed value, group reference, width or length
constexpr int SPAT_OCTETS_MAX = 3; // octets of a spatial-differencing descriptor
constexpr float MISS = float(VYK_MISS);

// Code table 5.7: precision of IEEE values.
enum { IEEE_32 = 1, IEEE_64 = 2 };

/// Packed numbers of up to 32 bits, most significant bit first.  Reading past the end gives 0
/// and sets over.
struct BitCursor {
    const unsigned char *q, *end;
    uint64_t acc = 0;
    int held = 0;  // bits of acc not yet taken
    bool over = false;

    BitCursor(const unsigned char *p, size_t n) : q(p), end(p + n) {}
    uint32_t get(int w)
    {
        if (held < w) {
            if (end - q >= 4) {
                acc = (acc << 32) | (uint64_t(q[0]) << 24) | (uint64_t(q[1]) << 16) |
                      (uint64_t(q[2]) << 8) | q[3];
                q += 4;
                held += 32;
            } else {
                while (held < w) {
                    if (q == end) {
                        over = true;
                        held = 0;
                        return 0;
                    }
                    acc = (acc << 8) | *q++;
                    held += 8;
                }
            }
        }
        held -= w;
        return uint32_t((acc >> held) & ((uint64_t{1} << w) - 1));
    }
    /// Drops the rest of a partly read octet.
    void align() { held -= held % 8; }
    uint64_t left() const { return uint64_t(end - q) * 8 + uint64_t(held); }
};

/// The parameters of section 5.
struct Drs {
    int temp = -1;          // template number
    uint32_t data_pnts = 0; // packed values
    double ref = 0, sfac = 1, dscale = 1;
    int num_bits = 0, data_type = 0;
    // complex packing
    int num_bits_gref = 0, split_method = 0, miss_type = 0;
    float miss1 = 0, miss2 = 0;
    uint32_t num_group = 0;
    int ref_gwidth = 0, num_bits_gwidth = 0;
    uint32_t ref_glen = 0;
    int inc_glen = 0;
    uint32_t last_glen = 0;
    int num_bits_glen = 0;
    int order = -1, spat_bytes = -1;
    // IEEE values
    int precision = 0;
    // run length
    int max_val = 0, num_map = 0;
    std::vector<float> map;
};

/// What a field takes from the fields before it in its message: the packing and the bit map in
/// force.  Each open file (slot) keeps its own.
struct Unpack {
    Drs drs;
    std::vector<unsigned char> bmb;  // the bit map in force
    bool has_bmb = false;
};

struct State {
    std::array<Unpack, GRD_MAX_FILES> files;  // by slot
    Unpack loose;  // for a slot number outside the table (never carried)
};
State st;

Unpack &unpack(int grd_fd)
{
    if (grd_fd >= 0 && grd_fd < GRD_MAX_FILES) return st.files[size_t(grd_fd)];
    st.loose = Unpack{};
    return st.loose;
}

/// What an unpacker works on: the field's packing, the data section's octets after its header,
/// and room for the first `want` values of the field.
struct Data {
    const Drs &drs;
    const unsigned char *p;
    size_t len;
    float *out;
    size_t want;
    size_t max_points;  // points of the grid
};

long skip(const char *why)
{
    MESS_print(M_WARN, "GRIB_DS: %s: the field is skipped\n", why);
    return -1;
}

constexpr const char *SHORT = "a data section shorter than the values it declares";

/// R, E and D of the templates that share octets 12 to 19.
void scale_of(const G2_section &s, Drs &d)
{
    d.ref = GRIB_ieee_float_conv(s.o.data() + 11);
    d.sfac = std::ldexp(1.0, s.s(16, 2));
    d.dscale = std::pow(10.0, -s.s(18, 2));
}

// ---------------------------------------------------------------------------------------------
// Section 5 readers
// ---------------------------------------------------------------------------------------------

/// Simple packing, and the image packings that share its octets.
bool drs_simple(const G2_section &s, Drs &d)
{
    if (s.size() < 21) return false;
    MESS_print(M_TRACE, d.temp == 0 ? "Grid point - simple packing\n"
                                    : "JPEG2000 data compression\n");
    scale_of(s, d);
    d.num_bits = s(20);
    d.data_type = s(21);
    return true;
}

bool drs_complex(const G2_section &s, Drs &d)
{
    if (s.size() < (d.temp == 3 ? 49u : 47u)) return false;
    MESS_print(M_TRACE, d.temp == 3 ? "Grid point - complex packing and spatial differencing\n"
                                    : "Grid point - complex packing\n");
    scale_of(s, d);
    d.num_bits_gref = s(20);
    d.data_type = s(21);
    d.split_method = s(22);
    d.miss_type = s(23);
    d.miss1 = d.miss_type != 0 ? GRIB_ieee_float_conv(s.o.data() + 23) : 0.0f;
    d.miss2 = d.miss_type > 1 ? GRIB_ieee_float_conv(s.o.data() + 27) : 0.0f;
    d.num_group = s.u(32, 4);
    d.ref_gwidth = s(36);
    d.num_bits_gwidth = s(37);
    d.ref_glen = s.u(38, 4);
    d.inc_glen = s(42);
    d.last_glen = s.u(43, 4);
    d.num_bits_glen = s(47);
    d.order = d.temp == 3 ? s(48) : -1;
    d.spat_bytes = d.temp == 3 ? s(49) : -1;
    MESS_print(M_TRACE, "DRS-PTS: %d REF: %f SFAC: %f DSCL: %f NGREF: %d DTYPE: %d\n",
               int(d.data_pnts), d.ref, d.sfac, d.dscale, d.num_bits_gref, d.data_type);
    MESS_print(M_TRACE, "SPLIT: %d NGRP: %d - MTYPE: %d MISS: %f\n", d.split_method,
               int(d.num_group), d.miss_type, double(d.miss1));
    MESS_print(M_TRACE, "NWDTH: %d NLEN: %d - ORD: %d SPAT: %d\n", d.num_bits_gwidth,
               d.num_bits_glen, d.order, d.spat_bytes);
    return true;
}

bool drs_ieee(const G2_section &s, Drs &d)
{
    if (s.size() < 12) return false;
    MESS_print(M_TRACE, "Grid point - IEEE floating point data\n");
    d.precision = s(12);
    return true;
}

bool drs_run_length(const G2_section &s, Drs &d)
{
    if (s.size() < 17) return false;
    d.num_bits = s(12);
    MESS_print(M_TRACE, "Bits: %d\n", d.num_bits);
    const int dec = s(17);
    d.dscale = std::pow(10.0, -dec);
    MESS_print(M_TRACE, "Scale: %d %f\n", dec, d.dscale);
    d.max_val = int(s.u(13, 2));
    d.num_map = int(s.u(15, 2));
    if (s.size() < 17 + 2 * size_t(d.num_map)) return false;
    d.map.resize(size_t(d.num_map));
    for (size_t i = 0; i < d.map.size(); i++) {
        d.map[i] = float(d.dscale * double(s.u(18 + 2 * i, 2)));
        MESS_print(M_TRACE, "  Level: %f\n", double(d.map[i]));
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Unpackers: the field's first `want` values, in the order the message stores them, into out;
// `want`, or -1 (a warning) when they cannot be unpacked.
// ---------------------------------------------------------------------------------------------

/// Simple packing: values of num_bits bits.
long ds_simple(const Data &f)
{
    const Drs &d = f.drs;
    if (d.num_bits > BITS_MAX) return skip("values wider than 32 bits are not unpacked");
    if (uint64_t(f.want) * uint64_t(d.num_bits) > uint64_t(f.len) * 8) return skip(SHORT);
    const double a = d.sfac * d.dscale, c = d.ref * d.dscale;
    const int w = d.num_bits;
    float *out = f.out;
    if (w == 0) {
        for (size_t k = 0; k < f.want; k++) out[k] = float(c);
    } else if (w == 8) {
        for (size_t k = 0; k < f.want; k++) out[k] = float(c + a * double(f.p[k]));
    } else if (w == 16) {
        const unsigned char *q = f.p;
        for (size_t k = 0; k < f.want; k++, q += 2)
            out[k] = float(c + a * double((unsigned(q[0]) << 8) | q[1]));
    } else {
        BitCursor b(f.p, f.len);
        for (size_t k = 0; k < f.want; k++) out[k] = float(c + a * double(b.get(w)));
    }
    return long(f.want);
}

/// The extra descriptors of spatial differencing: first values and the overall minimum.
struct Differencing {
    int order = 0;  // 0: none
    int64_t first = 0, second = 0, minimum = 0;
    size_t octets = 0;
    // running state over the values that are not missing
    size_t n = 0;
    uint64_t prev1 = 0, prev2 = 0;

    /// The value of a packed difference x (arithmetic wraps, as hostile data may overflow).
    int64_t next(uint64_t x)
    {
        uint64_t v;
        if (n == 0) v = uint64_t(first);
        else if (n == 1 && order == 2) v = uint64_t(second);
        else if (order == 1) v = x + uint64_t(minimum) + prev1;
        else v = x + uint64_t(minimum) + 2 * prev1 - prev2;
        n++;
        prev2 = prev1;
        prev1 = v;
        return int64_t(v);
    }
};

/// Sign-and-magnitude number of k octets.
int64_t signed_octets(const unsigned char *p, int k)
{
    uint64_t v = 0;
    for (int i = 0; i < k; i++) v = (v << 8) | p[i];
    const uint64_t sign = uint64_t{0x80} << (8 * (k - 1));
    return (v & sign) ? -int64_t(v & (sign - 1)) : int64_t(v);
}

long differencing_of(const Data &f, Differencing &sd)
{
    const Drs &d = f.drs;
    if (d.order == 0) return 0;  // no differencing (as some encoders write it): complex packing
    if (d.order != 1 && d.order != 2)
        return skip("spatial differencing of an order other than 1 or 2");
    if (d.spat_bytes < 1)
        return skip("spatial differencing whose extra descriptors have no octets");
    if (d.spat_bytes > SPAT_OCTETS_MAX)
        return skip("extra descriptors of more than three octets are not supported");
    const size_t nb = size_t(d.spat_bytes);
    sd.order = d.order;
    sd.octets = nb * size_t(d.order + 1);
    if (f.len < sd.octets) return skip(SHORT);
    sd.first = signed_octets(f.p, d.spat_bytes);
    if (d.order == 2) sd.second = signed_octets(f.p + nb, d.spat_bytes);
    sd.minimum = signed_octets(f.p + nb * size_t(d.order), d.spat_bytes);
    MESS_print(M_TRACE, "DS1 %d %d %d\n", int(sd.first), int(sd.second), int(sd.minimum));
    return 0;
}

/// The group lists of complex packing: references, widths and lengths.
struct Groups {
    std::vector<uint32_t> ref, width, len;
};

long groups_of(const Drs &d, BitCursor &b, size_t npts, Groups &g)
{
    const size_t ng = d.num_group;
    if (d.num_bits_gref > BITS_MAX || d.num_bits_gwidth > BITS_MAX || d.num_bits_glen > BITS_MAX)
        return skip("group descriptors wider than 32 bits are not unpacked");
    if (ng > npts || (ng == 0 && npts > 0)) return skip("a group count the values cannot have");
    // The three lists must fit before they are allocated.
    const uint64_t list_bits =
        uint64_t(ng) * uint64_t(d.num_bits_gref + d.num_bits_gwidth + d.num_bits_glen);
    if (list_bits > b.left()) return skip(SHORT);
    g.ref.resize(ng);
    g.width.resize(ng);
    g.len.resize(ng);
    b.align();
    for (size_t i = 0; i < ng; i++) g.ref[i] = b.get(d.num_bits_gref);
    b.align();
    for (size_t i = 0; i < ng; i++) {
        g.width[i] = b.get(d.num_bits_gwidth) + uint32_t(d.ref_gwidth);
        if (g.width[i] > BITS_MAX) return skip("a group wider than 32 bits");
    }
    b.align();
    uint64_t sum = 0, value_bits = 0;
    for (size_t i = 0; i < ng; i++) {
        const uint64_t len = uint64_t(b.get(d.num_bits_glen)) * uint64_t(d.inc_glen) + d.ref_glen;
        g.len[i] = i + 1 == ng ? d.last_glen : uint32_t(len > UINT32_MAX ? UINT32_MAX : len);
        sum += g.len[i];
        value_bits += uint64_t(g.len[i]) * g.width[i];
    }
    b.align();
    if (b.over || sum != npts) return skip("group lengths that do not add up to the values declared");
    if (value_bits > b.left()) return skip(SHORT);
    return 0;
}

/// Complex packing, with spatial differencing for template 5.3.  Missing values of the
/// missing-value management are -9999 and take no place in the differences.
long ds_complex(const Data &f)
{
    const Drs &d = f.drs;
    Differencing sd;
    if (d.temp == 3 && differencing_of(f, sd) < 0) return -1;
    BitCursor b(f.p + sd.octets, f.len - sd.octets);
    Groups g;
    if (groups_of(d, b, d.data_pnts, g) < 0) return -1;
    const double a = d.sfac * d.dscale, c = d.ref * d.dscale;
    const uint64_t gref_all = (uint64_t{1} << d.num_bits_gref) - 1;
    // A primary missing value is all ones; with management 2 all ones less 1 is a secondary one.
    auto missing = [&](uint64_t x, uint64_t all) {
        return d.miss_type != 0 && (x == all || (d.miss_type == 2 && all > 0 && x == all - 1));
    };
    float *out = f.out;
    size_t k = 0;
    for (size_t i = 0; i < g.ref.size() && k < f.want; i++) {
        const int w = int(g.width[i]);
        const uint64_t r = g.ref[i];
        const size_t n = std::min<size_t>(g.len[i], f.want - k);
        if (w == 0) {
            const bool miss = missing(r, gref_all);
            for (size_t j = 0; j < n; j++, k++)
                out[k] = miss ? MISS : float(c + a * double(sd.order ? sd.next(r) : int64_t(r)));
            continue;
        }
        const uint64_t all = (uint64_t{1} << w) - 1;
        if (!d.miss_type && !sd.order) {
            for (size_t j = 0; j < n; j++, k++) out[k] = float(c + a * double(r + b.get(w)));
            continue;
        }
        for (size_t j = 0; j < n; j++, k++) {
            const uint64_t x = b.get(w);
            if (missing(x, all)) out[k] = MISS;
            else out[k] = float(c + a * double(sd.order ? sd.next(r + x) : int64_t(r + x)));
        }
    }
    return long(k);
}

/// JPEG 2000 and PNG: the values are the pixels of one image.  A field of 0 bits, or an empty
/// data section, is constant: every value R x 10^-D.
long ds_image(const Data &f)
{
    const Drs &d = f.drs;
    if (d.num_bits == 0 || f.len == 0) {
        const float v = float(d.ref * d.dscale);
        for (size_t k = 0; k < f.want; k++) f.out[k] = v;
        return long(f.want);
    }
    G2_image_out o;
    o.v = f.out;
    o.want = f.want;
    o.max_points = f.max_points;
    o.a = d.sfac * d.dscale;
    o.c = d.ref * d.dscale;
    const bool png = d.temp == 41 || d.temp == 40010;
    return png ? g2_png_values(f.p, f.len, o) : g2_jpeg_values(f.p, f.len, o);
}

/// IEEE values of 32 or 64 bits, as they stand.
long ds_ieee(const Data &f)
{
    const int precision = f.drs.precision;
    if (precision != IEEE_32 && precision != IEEE_64)
        return skip("IEEE values of this precision are not unpacked");
    const size_t octets = precision == IEEE_32 ? 4 : 8;
    if (uint64_t(f.want) * octets > f.len) return skip(SHORT);
    const unsigned char *q = f.p;
    for (size_t k = 0; k < f.want; k++, q += octets) {
        if (precision == IEEE_32) {
            f.out[k] = GRIB_ieee_float_conv(q);
            continue;
        }
        uint64_t u = 0;
        for (size_t i = 0; i < 8; i++) u = (u << 8) | q[i];
        double v;
        std::memcpy(&v, &u, sizeof v);
        f.out[k] = float(v);
    }
    return long(f.want);
}

/// Run-length packing with level values: a value up to MV is a level, larger values are the
/// digits (base 2^bits - 1 - MV, least significant first) of the count of further repeats of
/// the level before them.  Level 0 is no data; level L is the table's value L - 1.  The last
/// run is written when the section ends.
long ds_run_length(const Data &f)
{
    const Drs &d = f.drs;
    const int w = d.num_bits;
    if (w < 1 || w > 16) return skip("run-length values of this width are not unpacked");
    MESS_print(M_TRACE, "Template 7.200\n");
    const uint64_t mv = uint64_t(d.max_val);
    const uint64_t range = (uint64_t{1} << w) - 1 > mv ? (uint64_t{1} << w) - 1 - mv : 0;
    BitCursor b(f.p, f.len);
    size_t k = 0;
    bool pending = false;
    float level = MISS;
    uint64_t count = 0, mult = 1;
    auto flush = [&]() {
        for (uint64_t i = 0; i < count && k < f.want; i++) f.out[k++] = level;
    };
    while (b.left() >= uint64_t(w) && k < f.want) {
        const uint64_t x = b.get(w);
        if (x > mv) {
            if (!pending) continue;  // digits before any level repeat nothing
            count += (x - mv - 1) * mult;
            if (count > f.want) count = f.want;
            mult = mult > f.want ? f.want + 1 : mult * range;
            continue;
        }
        flush();
        pending = true;
        level = x == 0 || x > uint64_t(d.num_map) ? MISS : d.map[size_t(x - 1)];
        count = 1;
        mult = 1;
    }
    if (pending) flush();
    for (; k < f.want; k++) f.out[k] = MISS;
    return long(f.want);
}

// ---------------------------------------------------------------------------------------------
// Placing the values on the grid
// ---------------------------------------------------------------------------------------------

bool bit_of(const std::vector<unsigned char> &bmb, size_t k)
{
    if ((k >> 3) >= bmb.size()) return false;
    return (bmb[k >> 3] >> (7 - (k & 7))) & 1;
}

/// Points in scanning order from the values: a bit-map bit 0, or a point after the values ran
/// out, is missing.
void spread(const std::vector<unsigned char> &bmb, const float *vals, size_t n, float *pts,
            size_t points)
{
    size_t j = 0;
    for (size_t k = 0; k < points; k++) pts[k] = bit_of(bmb, k) && j < n ? vals[j++] : MISS;
}

/// Rows in scanning order (first row first, each from its first column) into the array order
/// of the grid (northernmost row first, west to east), in place.
void arrange(float *g, size_t nx, size_t ny, int ydir, int xalt)
{
    if (xalt)
        for (size_t r = 1; r < ny; r += 2) std::reverse(g + r * nx, g + (r + 1) * nx);
    if (ydir == 1)
        for (size_t r = 0; r < ny / 2; r++)
            std::swap_ranges(g + r * nx, g + (r + 1) * nx, g + (ny - 1 - r) * nx);
}

/// Quasi-regular rows, each interpolated along the row to nx points; a point between two values
/// of which one is missing is missing.
void widen(const float *pts, const std::vector<int> &rows, float *g, size_t nx, int ydir)
{
    const size_t ny = rows.size();
    size_t at = 0;
    for (size_t r = 0; r < ny; r++) {
        const size_t n = size_t(rows[r]);
        const float *v = pts + at;
        at += n;
        float *row = g + (ydir == -1 ? r : ny - 1 - r) * nx;
        for (size_t i = 0; i < nx; i++) {
            if (n == 0) {
                row[i] = MISS;
                continue;
            }
            const double pos = nx > 1 ? double(i) * double(n - 1) / double(nx - 1) : 0;
            const size_t j = std::min(size_t(pos), n - 1);
            const size_t j1 = std::min(j + 1, n - 1);
            const double p = pos - double(j);
            if (p == 0) row[i] = v[j];
            else if (v[j] == MISS || v[j1] == MISS) row[i] = MISS;
            else row[i] = float(p * v[j1] + (1 - p) * v[j]);
        }
    }
}

/// One packing: its template numbers, section-5 reader and unpacker (none: not supported).
struct Packing {
    int temp;
    const char *name;
    bool (*drs)(const G2_section &, Drs &);
    long (*ds)(const Data &);
};

constexpr Packing PACKINGS[] = {
    {0, "simple packing", drs_simple, ds_simple},
    {2, "complex packing", drs_complex, ds_complex},
    {3, "complex packing with spatial differencing", drs_complex, ds_complex},
    {4, "IEEE floating point", drs_ieee, ds_ieee},
    {40, "JPEG 2000", drs_simple, ds_image},
    {40000, "JPEG 2000", drs_simple, ds_image},
    {41, "PNG", drs_simple, ds_image},
    {40010, "PNG", drs_simple, ds_image},
    {42, "CCSDS (adaptive entropy coding)", nullptr, nullptr},
    {200, "run length with level values", drs_run_length, ds_run_length},
};

const Packing *packing_of(int temp)
{
    for (const Packing &p : PACKINGS)
        if (p.temp == temp) return &p;
    return nullptr;
}

int unsupported(const Drs &drs, GRD_report *grd, size_t total)
{
    const Packing *p = packing_of(drs.temp);
    for (size_t i = 0; i < total; i++) grd->grid[i] = MISS;
    if (drs.temp < 0) {
        MESS_print(M_WARN, "GRIB_DS: no usable data representation section: the field is "
                           "missing\n");
        return 0;
    }
    MESS_print(M_WARN, "GRIB_DS: packing template 5.%d%s%s%s is not supported: the field is "
                       "missing\n",
               drs.temp, p ? " (" : "", p ? p->name : "", p ? ")" : "");
    return 0;
}

}  // namespace

float GRIB_ieee_float_conv(const unsigned char *pc)
{
    uint32_t u = 0;
    for (int i = 0; i < 4; i++) u = (u << 8) | pc[i];
    float f;
    std::memcpy(&f, &u, sizeof f);
    return f;
}

int g2_drs(int grd_fd, const G2_section &s)
{
    Drs d;
    if (s.size() < 11) {
        MESS_print(M_WARN, "GRIB_DRS: a data representation section of %zu octets\n", s.size());
        return 0;
    }
    d.data_pnts = s.u(6, 4);
    d.temp = int(s.u(10, 2));
    const Packing *p = packing_of(d.temp);
    if (p && p->drs && !p->drs(s, d)) {
        MESS_print(M_WARN, "GRIB_DRS: a section too short for template 5.%d\n", d.temp);
        d.temp = -1;
    }
    unpack(grd_fd).drs = std::move(d);
    return 1;
}

int g2_bms(int grd_fd, const G2_section &s)
{
    Unpack &u = unpack(grd_fd);
    const int ind = s(6);
    if (ind == 254) {
        MESS_print(M_TRACE, "BMS reuse: %d %d %d\n", ind, int(u.bmb.size()), int(u.has_bmb));
        return u.has_bmb ? 1 : 0;
    }
    u.bmb.clear();
    u.has_bmb = false;
    if (ind == 255 || s.size() <= 6) return 0;
    u.bmb.assign(s.o.begin() + 6, s.o.end());
    u.has_bmb = true;
    MESS_print(M_TRACE, "BMS: %d %d %d\n", ind, int(u.bmb.size()), 1);
    return 1;
}

int g2_ds(int grd_fd, const G2_section &s, GRD_report *grd)
{
    const G2_grid &g = g2_grid(grd_fd);
    const Unpack &u = unpack(grd_fd);
    grd->domain = g.dv;
    if (!g.known || g.dv.nx <= 0 || g.dv.ny <= 0) {
        grd_drop_values(grd);
        MESS_print(M_WARN, "GRIB_DS: the values of a grid this decoder does not know are not "
                           "unpacked\n");
        return 0;
    }
    const size_t nx = size_t(g.dv.nx), ny = size_t(g.dv.ny);
    const size_t total = nx * ny;
    if (!grd_values(grd, total)) return 0;
    const Packing *p = packing_of(u.drs.temp);
    if (!p || !p->ds) return unsupported(u.drs, grd, total);
    // Points of the field in scanning order: every point of a regular grid, the points of each
    // quasi-regular row.
    size_t points = total;
    if (g.thin) {
        points = 0;
        for (int n : g.rows) points += size_t(n);
    }
    const size_t want = std::min<size_t>(u.drs.data_pnts, points);
    // Without a bit map the values of a regular grid are unpacked in place.
    const bool direct = !u.has_bmb && !g.thin;
    std::vector<float> vals(direct ? 0 : want);
    Data f{u.drs, s.o.data() + 5, s.size() - 5, direct ? grd->grid : vals.data(), want, total};
    const long n = p->ds(f);
    if (n < 0) {
        grd_drop_values(grd);
        return 0;
    }
    if (direct) {
        for (size_t k = size_t(n); k < total; k++) grd->grid[k] = MISS;
    } else if (!g.thin) {
        spread(u.bmb, vals.data(), size_t(n), grd->grid, total);
    } else {
        std::vector<float> pts(points);
        if (u.has_bmb) spread(u.bmb, vals.data(), size_t(n), pts.data(), points);
        else std::copy(vals.begin(), vals.begin() + n, pts.begin());
        std::fill(pts.begin() + (u.has_bmb ? long(points) : n), pts.end(), MISS);
        widen(pts.data(), g.rows, grd->grid, nx, g.ydir);
        return 1;
    }
    arrange(grd->grid, nx, ny, g.ydir, g.xalt);
    return 1;
}

void g2_unpack_reset(int grd_fd)
{
    unpack(grd_fd) = Unpack{};
}
