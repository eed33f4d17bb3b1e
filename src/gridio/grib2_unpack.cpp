// GRIB edition 2 data unpacking: the data representation (5), bit-map (6) and data (7)
// sections of one field into a grid record.
//
// Each packing is a row of a table: its template numbers, the reader of its section-5
// parameters and its unpacker.  Every count a section states is checked against the octets it
// holds before anything is unpacked: a data section shorter than the values it declares, group
// lists that do not add up, widths beyond 32 bits are refused with a warning, never unpacked as
// garbage.  A packing without a row leaves every point missing, with a warning.
#include "grib2_internal.h"
#include "vykbase.h"
#include "vykmess.h"

#include <cmath>
#include <cstring>

namespace {

constexpr M_type M_TRACE = M_DEBUG_C;
constexpr int BITS_MAX = 32;  // widest packed value, group reference, width or length

/// Reads packed numbers of up to 32 bits, most significant bit first, from a buffer; reading
/// past its end gives 0 and sets over.
struct Bits {
    const unsigned char *p = nullptr;
    size_t n = 0;       // octets
    size_t bit = 0;     // position
    bool over = false;

    Bits(const unsigned char *data, size_t len) : p(data), n(len) {}
    void align() { bit = (bit + 7) & ~size_t{7}; }
    size_t left() const { return bit >= n * 8 ? 0 : n * 8 - bit; }
    uint32_t get(int w)
    {
        if (w <= 0) return 0;
        if (bit + size_t(w) > n * 8) {
            over = true;
            bit = n * 8;
            return 0;
        }
        const size_t byte = bit >> 3;
        const int off = int(bit & 7);
        uint64_t acc = 0;
        for (size_t i = 0; i < 5; i++) acc = (acc << 8) | (byte + i < n ? p[byte + i] : 0u);
        bit += size_t(w);
        return uint32_t((acc >> (40 - off - w)) & ((uint64_t{1} << w) - 1));
    }
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
    // run length
    int max_val = 0, num_map = 0;
    std::vector<float> map;
};

struct State {
    Drs drs;
    std::vector<unsigned char> bmb;  // the bit map in force
    bool has_bmb = false;
};
State st;

/// R, E and D of the templates that share octets 12 to 19.
void scale_of(const G2_section &s, Drs &d)
{
    d.ref = GRIB_ieee_float_conv(s.o.data() + 11);
    d.sfac = std::ldexp(1.0, s.s(16, 2));
    d.dscale = std::pow(10.0, -s.s(18, 2));
}

int bit_of(size_t k)
{
    if (!st.has_bmb) return 1;
    if ((k >> 3) >= st.bmb.size()) return 0;
    return (st.bmb[k >> 3] >> (7 - (k & 7))) & 1;
}

/// Array index of the k-th point in scanning order.
struct Scan {
    size_t nx, ny;
    int ydir, xalt;
    size_t at(size_t k) const
    {
        const size_t r = k / nx, c = k % nx;
        const size_t row = ydir == -1 ? r : ny - 1 - r;
        const size_t col = (xalt && (r & 1)) ? nx - 1 - c : c;
        return row * nx + col;
    }
};

Scan scan_of(const GRD_report *grd)
{
    const G2_grid &g = g2_grid();
    return Scan{size_t(grd->domain.nx), size_t(grd->domain.ny), g.ydir, g.xalt};
}

float value(const Drs &d, double x) { return float((d.ref + x * d.sfac) * d.dscale); }

int refuse(GRD_report *grd, const char *why)
{
    MESS_print(M_WARN, "GRIB_DS: %s\n", why);
    grd_drop_values(grd);
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Section 5 readers
// ---------------------------------------------------------------------------------------------

bool drs_simple(const G2_section &s, Drs &d)
{
    if (s.size() < 21) return false;
    MESS_print(M_TRACE, "Grid point - simple packing\n");
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

// ---------------------------------------------------------------------------------------------
// Unpackers
// ---------------------------------------------------------------------------------------------

/// Simple packing: one value of num_bits bits for each point the bit map keeps.
int ds_simple(const G2_section &s, GRD_report *grd)
{
    const Drs &d = st.drs;
    if (d.num_bits > BITS_MAX) return refuse(grd, "values wider than 32 bits are not unpacked");
    Bits b(s.o.data() + 5, s.size() - 5);
    if (uint64_t(d.data_pnts) * uint64_t(d.num_bits) > b.left())
        return refuse(grd, "a data section shorter than the values it declares is skipped");
    const Scan sc = scan_of(grd);
    const size_t total = sc.nx * sc.ny;
    float *g = grd->grid;
    size_t taken = 0;
    const double a = d.sfac * d.dscale, c = d.ref * d.dscale;
    if (!st.has_bmb && sc.ydir == -1 && !sc.xalt) {
        const size_t n = total < d.data_pnts ? total : size_t(d.data_pnts);
        for (size_t k = 0; k < n; k++) g[k] = float(c + a * double(b.get(d.num_bits)));
        return 1;
    }
    for (size_t k = 0; k < total; k++) {
        const size_t i = sc.at(k);
        if (!bit_of(k) || taken >= d.data_pnts) {
            g[i] = float(VYK_MISS);
            continue;
        }
        g[i] = float(c + a * double(b.get(d.num_bits)));
        taken++;
    }
    return 1;
}

/// Complex packing, with spatial differencing for template 5.3.
int ds_complex(const G2_section &s, GRD_report *grd)
{
    const Drs &d = st.drs;
    Bits b(s.o.data() + 5, s.size() - 5);
    const size_t npts = d.data_pnts;
    int64_t first = 0, second = 0, minimum = 0;
    if (d.temp == 3) {
        if (d.order != 1 && d.order != 2)
            return refuse(grd, "spatial differencing of an order other than 1 or 2");
        if (d.spat_bytes < 1 || d.spat_bytes > 3)
            return refuse(grd, "extra descriptors of more than three octets are not supported");
        G2_section ex;
        const size_t nb = size_t(d.spat_bytes);
        const size_t need = nb * size_t(d.order + 1);
        if (s.size() < 5 + need)
            return refuse(grd, "a data section shorter than the values it declares is skipped");
        ex.o.assign(s.o.begin() + 5, s.o.begin() + 5 + long(need));
        first = ex.s(1, d.spat_bytes);
        if (d.order == 2) second = ex.s(1 + nb, d.spat_bytes);
        minimum = ex.s(1 + nb * size_t(d.order), d.spat_bytes);
        MESS_print(M_TRACE, "DS1 %d %d %d\n", int(first), int(second), int(minimum));
        b.bit = need * 8;
    }
    const size_t ng = d.num_group;
    if (d.num_bits_gref > BITS_MAX || d.num_bits_gwidth > BITS_MAX || d.num_bits_glen > BITS_MAX)
        return refuse(grd, "group descriptors wider than 32 bits are not unpacked");
    if (ng > npts || (ng == 0 && npts > 0))
        return refuse(grd, "a group count the values cannot have");
    // The three lists must fit before they are allocated.
    const uint64_t list_bits = uint64_t(ng) * uint64_t(d.num_bits_gref + d.num_bits_gwidth +
                                                       d.num_bits_glen);
    if (list_bits > b.left())
        return refuse(grd, "a data section shorter than the values it declares is skipped");
    std::vector<uint32_t> gref(ng), gwidth(ng), glen(ng);
    b.align();
    for (size_t i = 0; i < ng; i++) gref[i] = b.get(d.num_bits_gref);
    b.align();
    for (size_t i = 0; i < ng; i++) {
        gwidth[i] = b.get(d.num_bits_gwidth) + uint32_t(d.ref_gwidth);
        if (gwidth[i] > BITS_MAX) return refuse(grd, "a group wider than 32 bits");
    }
    b.align();
    uint64_t sum = 0, value_bits = 0;
    for (size_t i = 0; i < ng; i++) {
        glen[i] = uint32_t(uint64_t(b.get(d.num_bits_glen)) * uint64_t(d.inc_glen) + d.ref_glen);
        if (i + 1 == ng) glen[i] = d.last_glen;
        sum += glen[i];
        value_bits += uint64_t(glen[i]) * gwidth[i];
    }
    b.align();
    if (b.over || sum != npts)
        return refuse(grd, "group lengths that do not add up to the values declared");
    if (value_bits > b.left())
        return refuse(grd, "a data section shorter than the values it declares is skipped");

    // Values, and with missing-value management a flag a point: 0 value, 1 primary missing,
    // 2 secondary missing.
    std::vector<int64_t> v(npts);
    std::vector<unsigned char> flag(d.miss_type ? npts : 0);
    size_t nv = 0, k = 0;
    const uint32_t gref_all = d.num_bits_gref >= 32 ? 0xFFFFFFFFu
                                                    : uint32_t((uint64_t{1} << d.num_bits_gref) - 1);
    for (size_t i = 0; i < ng; i++) {
        const uint32_t w = gwidth[i];
        const int64_t r = gref[i];
        if (!d.miss_type) {
            for (uint32_t j = 0; j < glen[i]; j++) v[nv++] = r + int64_t(b.get(int(w)));
            continue;
        }
        if (w == 0) {
            unsigned char f = 0;
            if (uint32_t(r) == gref_all) f = 1;
            else if (d.miss_type == 2 && gref_all > 0 && uint32_t(r) == gref_all - 1) f = 2;
            for (uint32_t j = 0; j < glen[i]; j++, k++) {
                flag[k] = f;
                if (!f) v[nv++] = r;
            }
            continue;
        }
        const uint32_t all = w >= 32 ? 0xFFFFFFFFu : uint32_t((uint64_t{1} << w) - 1);
        for (uint32_t j = 0; j < glen[i]; j++, k++) {
            const uint32_t x = b.get(int(w));
            unsigned char f = 0;
            if (x == all) f = 1;
            else if (d.miss_type == 2 && x == all - 1) f = 2;
            flag[k] = f;
            if (!f) v[nv++] = r + int64_t(x);
        }
    }
    if (d.temp == 3 && nv > 0) {
        if (d.order == 1) {
            v[0] = first;
            for (size_t i = 1; i < nv; i++) v[i] += minimum + v[i - 1];
        } else {
            v[0] = first;
            if (nv > 1) v[1] = second;
            for (size_t i = 2; i < nv; i++) v[i] += minimum + 2 * v[i - 1] - v[i - 2];
        }
    }
    const Scan sc = scan_of(grd);
    const size_t total = sc.nx * sc.ny;
    float *g = grd->grid;
    size_t taken = 0;
    for (size_t p = 0; p < total; p++) {
        const size_t i = sc.at(p);
        if (d.miss_type) {
            if (p >= npts || flag[p]) {
                g[i] = float(VYK_MISS);
                continue;
            }
            g[i] = value(d, double(v[taken++]));
            continue;
        }
        if (!bit_of(p) || taken >= npts) {
            g[i] = float(VYK_MISS);
            continue;
        }
        g[i] = value(d, double(v[taken++]));
    }
    return 1;
}

/// One packing: its section-5 reader and its unpacker.
struct Packing {
    int temp;
    const char *name;
    bool (*drs)(const G2_section &, Drs &);
    int (*ds)(const G2_section &, GRD_report *);
};

constexpr Packing PACKINGS[] = {
    {0, "simple packing", drs_simple, ds_simple},
    {2, "complex packing", drs_complex, ds_complex},
    {3, "complex packing with spatial differencing", drs_complex, ds_complex},
};

const Packing *packing_of(int temp)
{
    for (const Packing &p : PACKINGS)
        if (p.temp == temp) return &p;
    return nullptr;
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

int g2_drs(const G2_section &s)
{
    Drs d;
    if (s.size() < 11) {
        MESS_print(M_WARN, "GRIB_DRS: a data representation section of %zu octets\n", s.size());
        return 0;
    }
    d.data_pnts = s.u(6, 4);
    d.temp = int(s.u(10, 2));
    const Packing *p = packing_of(d.temp);
    if (p && !p->drs(s, d)) {
        MESS_print(M_WARN, "GRIB_DRS: a section too short for template 5.%d\n", d.temp);
        d.temp = -1;
    }
    st.drs = std::move(d);
    return 1;
}

int g2_bms(const G2_section &s)
{
    const int ind = s(6);
    if (ind == 254) {
        MESS_print(M_TRACE, "BMS reuse: %d %d %d\n", ind, int(st.bmb.size()), int(st.has_bmb));
        return st.has_bmb ? 1 : 0;
    }
    st.bmb.clear();
    st.has_bmb = false;
    if (ind == 255 || s.size() <= 6) return 0;
    st.bmb.assign(s.o.begin() + 6, s.o.end());
    st.has_bmb = true;
    MESS_print(M_TRACE, "BMS: %d %d %d\n", ind, int(st.bmb.size()), 1);
    return 1;
}

int g2_ds(const G2_section &s, GRD_report *grd)
{
    const G2_grid &g = g2_grid();
    grd->domain = g.dv;
    if (!g.known || g.dv.nx <= 0 || g.dv.ny <= 0) {
        grd_drop_values(grd);
        MESS_print(M_WARN, "GRIB_DS: the values of a grid this decoder does not know are not "
                           "unpacked\n");
        return 0;
    }
    const size_t total = size_t(g.dv.nx) * size_t(g.dv.ny);
    if (!grd_values(grd, total)) return 0;
    const Packing *p = packing_of(st.drs.temp);
    if (!p) {
        for (size_t i = 0; i < total; i++) grd->grid[i] = float(VYK_MISS);
        MESS_print(M_WARN, "GRIB_DS: packing template 5.%d is not supported: the field is "
                           "missing\n", st.drs.temp);
        return 0;
    }
    return p->ds(s, grd);
}

void g2_unpack_reset()
{
    st = State{};
}
