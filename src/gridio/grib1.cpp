// GRIB edition 1 decoding: product definition, grid description, bit map and binary data
// sections of one message into a grid record.
//
// Every section is taken by the length it states: octets a section holds beyond what is
// decoded are stepped over, and nothing is read past a section's end.  A grid that cannot be
// decoded faithfully (spherical harmonics, second-order packing, points stored column by column,
// thinned rows of fewer than two points, a data section shorter than its values) is refused
// with a warning rather than unpacked as garbage.  Values are unpacked one at a time from the
// stream through a 64-bit accumulator fed by a bounded buffer; the data section is never held
// whole.
#include "grib_internal.h"
#include "grib1.h"
#include "grib_table.h"
#include "vykplot.h"
#include "vykvar.h"

#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace {

// Section sizes.
constexpr int PDS_FIRST = 20;    // octets read first after the indicator section
constexpr int PDS_MAX = 470;     // octets of a PDS that are kept
constexpr int PDS_MIN_1 = 28;    // shortest PDS of edition 1
constexpr int PDS_MIN_0 = 24;    // shortest PDS of edition 0
constexpr int GDS_HEAD = 32;     // octets of every GDS decoded
constexpr int GDS_MAX = 65536;   // longest GDS taken
constexpr int BMS_HEAD = 6;
constexpr int BDS_HEAD = 11;
constexpr int SIDE_MAX = 2000;   // points along one side
constexpr int BITS_MAX = 32;     // widest packed value
constexpr int RING = 20;         // values the corrupt-data check looks back on
constexpr unsigned MISSING_U16 = 0xFFFF;

// Flags.
constexpr unsigned PDS_GDS = 0x80, PDS_BMS = 0x40;                 // PDS octet 8
constexpr unsigned SCAN_WEST = 0x80, SCAN_NORTH = 0x40, SCAN_COLUMNS = 0x20,
                   SCAN_NORTH_ALT = 0x02;                          // GDS octet 28
constexpr unsigned RES_GIVEN = 0x80;                               // GDS octet 17
constexpr unsigned POLE_SOUTH = 0x80;                              // GDS octet 27
constexpr unsigned BDS_HARMONICS = 0x80, BDS_SECOND_ORDER = 0x40;  // BDS octet 4

// Grid types of GDS octet 6.
enum { GDS_LATLON = 0, GDS_MERCATOR = 1, GDS_LAMBERT = 3, GDS_GAUSSIAN = 4, GDS_POLAR = 5 };

/// Names of the grid types (code table 6) this decoder does not place, for its warnings.
struct GridKind {
    int type;
    const char *name;
};
constexpr GridKind UNPLACED_KINDS[] = {
    {2, "gnomonic"},
    {6, "Universal Transverse Mercator"},
    {7, "simple polyconic"},
    {8, "Albers equal-area"},
    {9, "Miller cylindrical"},
    {10, "rotated latitude-longitude"},
    {13, "oblique Lambert conformal"},
    {14, "rotated Gaussian"},
    {20, "stretched latitude-longitude"},
    {24, "stretched Gaussian"},
    {30, "stretched and rotated latitude-longitude"},
    {34, "stretched and rotated Gaussian"},
    {50, "spherical harmonics"},
    {60, "rotated spherical harmonics"},
    {70, "stretched spherical harmonics"},
    {80, "stretched and rotated spherical harmonics"},
    {90, "space view"},
};

const char *unplaced_kind(int type)
{
    for (const GridKind &k : UNPLACED_KINDS)
        if (k.type == type) return k.name;
    return "unknown";
}
// Time range indicators of PDS octet 21 and time units of octet 18.
enum { UNIT_DAY = 2, UNIT_MONTH = 3, UNIT_12H = 12 };
// Predefined grids with special layouts.
constexpr int GRID_50 = 50;
constexpr int ECMWF = 98, NCEP = 7, NCEP_ENSEMBLE = 2;
constexpr int VAR_PROB = 191, VAR_NORM_PROB = 192;
constexpr int LTYPE_SURFACE = 1, LTYPE_MAX_WIND = 6, LTYPE_TROPOPAUSE = 7;

// Debug traces.
constexpr M_type M_OCTETS = M_DEBUG_D;  // octets and section headers
constexpr M_type M_VALUES = M_DEBUG_C;  // values

/// A data section's packed octets, fetched from the stream through a bounded buffer and never
/// beyond the section's end.
struct BitReader {
    FILE *fp = nullptr;
    long left = 0;          // octets of the section not yet fetched
    std::array<unsigned char, 65536> buf{};
    size_t pos = 0, len = 0;
    uint64_t acc = 0;       // bits held
    int held = 0;
    long bytes = 0;         // octets consumed
    bool ended = false;     // a read ran past the section's data

    void begin(FILE *f, long octets)
    {
        fp = f;
        left = octets > 0 ? octets : 0;
        pos = len = 0;
        acc = 0;
        held = 0;
        bytes = 0;
        ended = false;
    }
    bool refill()
    {
        if (left <= 0 || !fp) return false;
        const size_t want = left < long(buf.size()) ? size_t(left) : buf.size();
        len = std::fread(buf.data(), 1, want, fp);
        pos = 0;
        left -= long(want);
        if (len < want) left = 0;  // the stream ended inside the section
        return len > 0;
    }
    long read(int bits)
    {
        while (held < bits) {
            if (pos == len && !refill()) {
                ended = true;
                return -1;
            }
            acc = (acc << 8) | buf[pos++];
            held += 8;
            bytes++;
        }
        held -= bits;
        return long((acc >> held) & ((uint64_t{1} << bits) - 1));
    }
    /// n values of whole octets (1 or 2 of them) straight from the buffer while no bits are
    /// held, each a * X + b; the rest (across a refill) one at a time.  The values written,
    /// fewer than n when the data end first.
    template <int OCTETS> int whole_octets(float *out, int n, double a, double b)
    {
        int i = 0;
        while (i < n) {
            size_t avail = (len - pos) / OCTETS;
            if (avail == 0 || held != 0) {
                const long x = read(8 * OCTETS);
                if (x < 0) return i;
                out[i++] = float(a * double(x) + b);
                continue;
            }
            const int m = int(avail < size_t(n - i) ? avail : size_t(n - i));
            const unsigned char *p = buf.data() + pos;
            for (int k = 0; k < m; k++) {
                const unsigned x = OCTETS == 1 ? p[k] : (unsigned(p[2 * k]) << 8) | p[2 * k + 1];
                out[i + k] = float(a * double(x) + b);
            }
            pos += size_t(m) * OCTETS;
            bytes += long(m) * OCTETS;
            i += m;
        }
        return i;
    }
    /// n values of bits bits each, a * X + b: the values written (fewer at the end of data).
    int values(float *out, int n, int bits, double a, double b)
    {
        if (bits == 8) return whole_octets<1>(out, n, a, b);
        if (bits == 16) return whole_octets<2>(out, n, a, b);
        for (int i = 0; i < n; i++) {
            const long x = read(bits);
            if (x < 0) return i;
            out[i] = float(a * double(x) + b);
        }
        return n;
    }
};

struct State {
    unsigned char pds[PDS_MAX + 1] = {};  // pds[m]: octet m of the current PDS
    int grid_id = 0;
    double dscale = 1;   // 10 to the power -D
    int ydir = 1;        // 1 rows south to north, -1 north to south
    bool west = false;   // columns run east to west
    int pole = 0;        // the first or last row is one pole value
    float lat = 0;       // latitude of the next data row
    bool thin = false;
    std::vector<int> rows;               // points of each thinned row
    std::vector<unsigned char> bmb;      // the bit map, when has_bmb
    bool has_bmb = false;
    size_t bmoff = 0, bm_bits = 0;
    bool bm_overrun = false;
    int bpval = 0;
    double sfac = 1, ref = 0;
    BitReader bits;
    long bad_limit = 0;
    int bad = -9;        // 1 once the data section is judged corrupt
    int bad_test = 0;
    std::array<bool, RING> valid{};
    long prev = -1;
};

State st;
GRIB_ensemble en;  // shared with edition 2 through grib_ensemble()

int oct(int m) { return m >= 1 && m <= PDS_MAX ? st.pds[m] : 0; }

void trace_octets(const unsigned char *p, int n)
{
    for (int i = 0; i < n; i++)
        MESS_print(M_OCTETS, (i % 8 == 7) ? "[%2.2X]\n" : "[%2.2X]", p[i]);
}

// ---------------------------------------------------------------------------------------------
// Product definition
// ---------------------------------------------------------------------------------------------

int adjust(int p, int unit)
{
    switch (unit) {
    case UNIT_DAY: return p + 800;
    case UNIT_MONTH: return p + 900;
    case UNIT_12H: return p * 12;
    default: return p;
    }
}

int time_code(int unit, int p1, int p2, int range, int n)
{
    const int a1 = adjust(p1, unit), a2 = adjust(p2, unit);
    int span = n * p2;
    if (unit == UNIT_DAY) span += 800;
    if (unit == UNIT_MONTH) span += 900;
    switch (range) {
    case 0: return a1;
    case 1: return 0;
    case 2:
    case 3:
    case 4:
    case 5: return range * 1000000 + a1 * 1000 + a2;
    case 10: return p1 * 256 + p2;
    case 113: return 13000000 + a1 * 1000 + span;
    case 118: return 18000000 + a1 * 1000 + span;
    case 123: return 23000000 + span;
    default: return VYK_MISS;
    }
}

struct LevelRule {
    int kind;  // 0: level 0; 1: o11*256 + o12; 2: o11*1000 + o12
    int types[10];
};
constexpr LevelRule LEVEL_RULES[] = {
    {0, {1, 4, 6, 7, 102, 200}},
    {1, {5, 100, 103, 105, 107, 109, 111, 113, 117, 119}},
    {2, {101, 104, 106, 108, 112, 114, 116, 120}},
};

int level_code(int ltype, int o11, int o12)
{
    for (const LevelRule &r : LEVEL_RULES)
        for (int t : r.types)
            if (t != 0 && t == ltype)
                return r.kind == 0 ? 0 : r.kind == 1 ? o11 * 256 + o12 : o11 * 1000 + o12;
    return VYK_MISS;
}

void decode_ensemble(GRD_report *grd)
{
    en.ens = 0;
    if (grd->source == NCEP && oct(26) == NCEP_ENSEMBLE) {
        en.ens = 1;
        en.ens_type = oct(42);
        en.ens_id = oct(43);
        en.ens_prod = oct(44);
        en.ens_smooth = oct(45);
        MESS_print(M_OCTETS, "Ens: %d %d %d %d\n", en.ens_type, en.ens_id, en.ens_prod,
                   en.ens_smooth);
    }
    if (grd->var == VAR_PROB || grd->var == VAR_NORM_PROB) {
        en.ens_prob_var = oct(46);
        const int var = grd->var;
        grd->var = en.ens_prob_var;
        GRIB_units(grd);
        grd->var = var;
        en.ens_prob_type = oct(47);
        en.ens_prob_low = GRIB_flt_conv(st.pds + 48);
        en.ens_prob_up = GRIB_flt_conv(st.pds + 52);
    }
}

// ---------------------------------------------------------------------------------------------
// Product names
// ---------------------------------------------------------------------------------------------

std::string var_name(int var, const char *units)
{
    char s[VAR_LABEL_LEN];
    VAR_str(s, var, units);
    return s;
}

std::string fmt(const char *format, double a, double b = 0)
{
    char s[64];
    std::snprintf(s, sizeof s, format, a, b);
    return s;
}

int clamp_int(long long v)
{
    if (v > 2147483647LL) return 2147483647;
    if (v < -2147483647LL) return -2147483647;
    return int(v);
}

/// The name and code of a probability product.  A code beyond the int range (a parameter whose
/// own number is large, as edition 2 numbers the parameters its table lacks, or a huge limit)
/// cannot be given: such a product gets no variable number (-9999, which no selector matches),
/// with a warning that names it, rather than a code it would share with others.
std::string probability(GRD_report *grd)
{
    std::string s = en.ens_prob_type > 3       ? "Prob (%) "
                    : grd->var == VAR_PROB     ? "Ens prob (%) "
                                               : "Ens norm prob (%) ";
    long long q = 10000000LL * grd->var + 10000LL * en.ens_prob_var + 1000LL * en.ens_prob_type;
    s += var_name(en.ens_prob_var, "");
    float first = en.ens_prob_low;
    bool named = true;
    switch (en.ens_prob_type) {
    case 1:
    case 4: s += fmt(" below %.2f", en.ens_prob_low); break;
    case 2:
    case 5:
        s += fmt(" above %.2f", en.ens_prob_up);
        first = en.ens_prob_up;
        break;
    case 3:
    case 6: s += fmt(" in %.2f-%.2f", en.ens_prob_low, en.ens_prob_up); break;
    case 7: s += fmt(" above %.2f", en.ens_prob_low); break;
    case 8:
        s += fmt(" below %.2f", en.ens_prob_up);
        first = en.ens_prob_up;
        break;
    default: named = false; break;
    }
    if (named) {
        const int t = float2int(first);
        q += t >= 0 ? t : 5000 - t;
    }
    if (grd->units[0]) s += std::string(" ") + grd->units;
    strfcpy(grd->units, "%");
    if (q > 2147483647LL || q < 0) {
        MESS_print(M_WARN, "GRIB_set_var: %s (probability of variable %d) has no variable "
                           "number: its code would lie beyond the codes a product can have\n",
                   s.c_str(), en.ens_prob_var);
        grd->var = VYK_MISS;
        return s;
    }
    grd->var = int(q);
    return s;
}

// ---------------------------------------------------------------------------------------------
// Grid description
// ---------------------------------------------------------------------------------------------

/// The GDS in memory: g(m) is octet m, 0 beyond its end.
struct Gds {
    std::vector<unsigned char> o;
    int operator()(int m) const { return m >= 1 && size_t(m) <= o.size() ? o[size_t(m - 1)] : 0; }
    int u2(int m) const { return (*this)(m) * 256 + (*this)(m + 1); }
    int u3(int m) const { return ((*this)(m) << 16) | ((*this)(m + 1) << 8) | (*this)(m + 2); }
    /// A 3-octet sign-and-magnitude number of millidegrees, in degrees.
    float deg(int m) const
    {
        const int v = u3(m);
        const int mag = v & 0x7FFFFF;
        return float((v & 0x800000) ? -mag : mag) / 1000.0f;
    }
};

/// Centre of a projected grid from its first point (westward when the columns run east to west).
void projected_centre(Domain &d, float la1, float lo1)
{
    grib_projected_centre(d, la1, lo1, st.west ? -1.0f : 1.0f, float(st.ydir));
}

void latlon_domain(const Gds &g, Domain &d)
{
    MESS_print(M_OCTETS, "Lat-Lon Grid\n");
    d.proj = DOM_LATLON;
    const float la1 = g.deg(11), lo1 = g.deg(14), la2 = g.deg(18);
    st.lat = la1;
    MESS_print(M_OCTETS, "Res/comp flag: %X\n", g(17));
    MESS_print(M_OCTETS, "Grid locate: %3.2f N, %3.2f E\n", double(la1), double(lo1));
    if ((g(17) & RES_GIVEN) && unsigned(g.u2(24)) != MISSING_U16) {
        d.dx = float(g.u2(24)) / 1000.0f;
        d.dy = float(g.u2(26)) / 1000.0f;
    } else {
        d.dx = d.dy = d.ny > 1 ? (la2 - la1) * float(st.ydir) / float(d.ny - 1) : 0.0f;
    }
    if (st.grid_id >= 37 && st.grid_id <= 44 && d.dx > 30) d.dx = 1.25f;
    MESS_print(M_OCTETS, "Grid size: %3.2fx%3.2f\n", double(d.dx), double(d.dy));
    const float xdir = st.west ? -1.0f : 1.0f;
    d.clon = grib_lon180(lo1 + xdir * d.dx * float(d.nx - 1) / 2.0f);
    d.clat = la1 + d.dy * float(st.ydir) * float(d.ny - 1) / 2.0f;
}

void mercator_domain(const Gds &g, Domain &d)
{
    MESS_print(M_OCTETS, "Mercator Grid\n");
    d.proj = DOM_MERC;
    const float la1 = g.deg(11), lo1 = g.deg(14), la2 = g.deg(18), lo2 = g.deg(21);
    float plon = lo1 <= lo2 ? (lo1 + lo2) / 2 : (lo1 - 360 + lo2) / 2;
    if (plon < -180) plon += 360;
    d.plon = plon;
    d.plat = 0;
    grib_mercator_grid(d, la1, lo1, la2, lo2);
}

void lambert_domain(const Gds &g, Domain &d)
{
    MESS_print(M_OCTETS, "Lambert Conformal Grid\n");
    d.proj = DOM_LAMB;
    d.plon = grib_lon180(g.deg(18));
    d.plat = (g(27) & POLE_SOUTH) ? -90.0f : 90.0f;
    d.param[0] = g.deg(29);
    d.param[1] = g.deg(32);
    d.param[2] = 1;
    MESS_print(M_OCTETS, "Grid parallels: %3.2f N, %3.2f N\n", double(d.param[0]),
               double(d.param[1]));
    d.dx = float(g.u3(21)) / 100000.0f;
    d.dy = float(g.u3(24)) / 100000.0f;
    projected_centre(d, g.deg(11), g.deg(14));
}

void polar_domain(const Gds &g, Domain &d, int source)
{
    MESS_print(M_OCTETS, "Polar Stereographic Grid\n");
    d.proj = DOM_PSTEREO;
    d.plon = grib_lon180(g.deg(18));
    if (source == ECMWF && st.grid_id == 45) d.plon = 0;
    const bool south = g(27) & POLE_SOUTH;
    d.plat = south ? -90.0f : 90.0f;
    d.param[0] = south ? -60.0f : 60.0f;
    d.dx = float(g.u3(21)) / 100000.0f;
    d.dy = float(g.u3(24)) / 100000.0f;
    const float la1 = g.deg(11), lo1 = g.deg(14);
    MESS_print(M_DEBUG, "Grid locate: %3.2f N, %3.2f E - %3.2f E %f %f\n", double(la1),
               double(lo1), double(d.plon), double(d.dx), double(d.dy));
    projected_centre(d, la1, lo1);
    MESS_print(M_DEBUG, "Grid locate: %3.2f N, %3.2f E - %3.2f E %f %f\n", double(d.clat),
               double(d.clon), double(d.plon), double(d.dx), double(d.dy));
}

/// The row lengths of a thinned grid: false (a warning) when they cannot be used.
bool thinned_rows(const Gds &g, int ny, int *nx)
{
    MESS_print(M_OCTETS, "Thinning grid\n");
    // The list follows the vertical coordinate parameters (4 octets each), when there are any.
    const int at = g(5) + 4 * g(4);
    if (ny < 1 || ny > SIDE_MAX || size_t(at + 2 * ny - 1) > g.o.size()) {
        MESS_print(M_WARN, "GRIB_GDB: the row lengths of the thinned grid lie outside its "
                           "description\n");
        return false;
    }
    st.rows.resize(size_t(ny));
    int longest = 0;
    for (int j = 0; j < ny; j++) {
        const int n = g.u2(at + 2 * j);
        if (n < 2 || n > SIDE_MAX) {
            MESS_print(M_WARN, "GRIB_GDB: a thinned row of %d points is not decoded\n", n);
            return false;
        }
        st.rows[size_t(j)] = n;
        if (n > longest) longest = n;
    }
    *nx = longest;
    st.thin = true;
    return true;
}

// ---------------------------------------------------------------------------------------------
// Data
// ---------------------------------------------------------------------------------------------

/// A decoded value as it is stored: one that a float cannot hold is missing.
inline float stored(double v)
{
    return std::fabs(v) <= double(std::numeric_limits<float>::max()) ? float(v) : float(VYK_MISS);
}

/// The next value of a grid point: missing where the bit map says so (no packed value is then
/// consumed) and while the data section is judged corrupt.
struct Unpack {
    double a, b;  // value = a * X + b
    float next()
    {
        if (!GRIB_BMB_read()) return float(VYK_MISS);
        const long x = GRIB_bit_read(0);
        if (x < 0 || st.bad == 1) return float(VYK_MISS);
        return stored(a * double(x) + b);
    }
};

void start_row()
{
    st.bad_test = 0;
    st.valid.fill(false);
}

/// Array row of data row r: the array runs north row first.
int array_row(int r, int ny) { return st.ydir == -1 ? r : ny - 1 - r; }

void put(float *row, int nx, int i, float v) { row[st.west ? nx - 1 - i : i] = v; }

void fill(float *row, int nx, float v)
{
    for (int i = 0; i < nx; i++) row[i] = v;
}

/// Rows of nx values, one value for a pole row.
void unpack_regular(float *grid, const Domain &d, Unpack &u)
{
    const int nx = d.nx, ny = d.ny;
    const bool repeat_first = st.grid_id == 25 || st.grid_id == 26;
    int r = 0;
    auto at_pole = [] { return std::fabs(st.lat) == 90.0f; };
    if (st.pole && at_pole()) {
        start_row();
        fill(grid + size_t(array_row(r, ny)) * size_t(nx), nx, u.next());
        r++;
        st.lat += float(st.ydir) * d.dy;
    }
    // Without a bit map, the check or reversed columns, and with every value within a float's
    // range, rows are unpacked in one go.
    const double top = u.a * (std::ldexp(1.0, st.bpval) - 1) + u.b;
    const double most = double(std::numeric_limits<float>::max());
    const bool fast = !st.has_bmb && !st.west && GRIB_get_max_bad() <= 0 && !repeat_first &&
                      std::fabs(u.b) <= most && std::fabs(top) <= most;
    for (; r < ny && (!st.pole || !at_pole()); r++) {
        float *row = grid + size_t(array_row(r, ny)) * size_t(nx);
        start_row();
        if (fast) {
            const int got = st.bits.values(row, nx, st.bpval, u.a, u.b);
            for (int i = got; i < nx; i++) row[i] = float(VYK_MISS);
        } else {
            const int packed = repeat_first ? nx - 1 : nx;
            for (int i = 0; i < packed; i++) put(row, nx, i, u.next());
            if (repeat_first) put(row, nx, nx - 1, row[st.west ? nx - 1 : 0]);
        }
        st.lat += float(st.ydir) * d.dy;
    }
    if (st.pole && r < ny && at_pole()) {
        start_row();
        fill(grid + size_t(array_row(r, ny)) * size_t(nx), nx, u.next());
        r++;
    }
    for (; r < ny; r++) fill(grid + size_t(array_row(r, ny)) * size_t(nx), nx, float(VYK_MISS));
}

/// Grid 50: rows narrowing to the south, padded with missing points.
void unpack_grid50(float *grid, const Domain &d, Unpack &u)
{
    const int nx = d.nx;
    for (int j = d.ny - 1; j >= 0; j--) {
        int m = 0;
        for (int k = 1; 4 * k < j; k++) m++;
        if (2 * m > nx) m = nx / 2;
        float *row = grid + size_t(j) * size_t(nx);
        start_row();
        for (int i = 0; i < nx; i++) row[i] = (i < m || i >= nx - m) ? float(VYK_MISS) : u.next();
    }
}

/// Thinned rows, each interpolated along x to nx points.
void unpack_thinned(float *grid, const Domain &d, Unpack &u)
{
    const int nx = d.nx, ny = d.ny;
    for (int r = 0; r < ny; r++) {
        const int n = st.rows[size_t(r)];
        float *row = grid + size_t(array_row(r, ny)) * size_t(nx);
        start_row();
        float left = u.next(), right = u.next();
        start_row();
        int consumed = 2;
        double p = 0;
        const double step = nx > 1 ? double(n - 1) / double(nx - 1) : 0;
        for (int i = 0; i < nx; i++) {
            if (p >= 1 && consumed < n) {
                left = right;
                right = u.next();
                p -= 1;
                consumed++;
            }
            const bool miss = VYK_is_miss(left) || VYK_is_miss(right);
            put(row, nx, i, miss ? float(VYK_MISS) : float(p * right + (1 - p) * left));
            p += step;
        }
        for (; consumed < n; consumed++) u.next();
    }
}

void release_maps()
{
    st.bmb.clear();
    st.bmb.shrink_to_fit();
    st.has_bmb = false;
    st.rows.clear();
    st.thin = false;
}

/// The values a BDS cannot give: a warning, the section stepped over, no values.
int refuse_data(FILE *fp, GRD_report *grd, long rest, const char *why)
{
    MESS_print(M_WARN, "GRIB_BDB: %s\n", why);
    grib_skip(fp, rest);
    grd_drop_values(grd);
    release_maps();
    return 0;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// The operations
// ---------------------------------------------------------------------------------------------

int GRIB_PDB(int grd_fd, GRD_report *grd, int /*rep_type*/)
{
    FILE *fp = grib_stream(grd_fd);
    if (!fp || !grd) return -1;
    const unsigned char *ind = grib_indicator();
    const int edition = ind[7];
    grd->version = edition;
    std::memset(st.pds, 0, sizeof st.pds);
    // Edition 1: the PDS begins at message octet 9; edition 0: at octet 5, so its first four
    // octets came with the indicator section.
    int have = 0;
    if (edition != 1) {
        std::memcpy(st.pds + 1, ind + 4, 4);
        have = 4;
    }
    if (!grib_read(fp, st.pds + 1 + have, PDS_FIRST)) return -1;
    have += PDS_FIRST;
    const long len = long(grib_uint(st.pds + 1, 3));
    if (len < (edition == 1 ? PDS_MIN_1 : PDS_MIN_0)) {
        MESS_print(M_WARN, "GRIB_PDB: a product definition of %ld octets is too short\n", len);
        return 0;
    }
    const long keep = len < PDS_MAX ? len : PDS_MAX;
    if (keep > have && !grib_read(fp, st.pds + 1 + have, size_t(keep - have))) return -1;
    if (len > keep && !grib_skip(fp, len - keep)) return -1;
    trace_octets(st.pds + 1, 32);
    GRIB_decode_PDB(st.pds, grd);
    GRIB_set_var(grd);
    DATE_make_label_for_time(grd->time, grd->source * 1000 + grd->model, &grd->date, grd->datim,
                             sizeof grd->datim);
    return 1;
}

int GRIB_decode_PDB(const unsigned char *data, GRD_report *grd)
{
    if (data != st.pds) std::memcpy(st.pds + 1, data + 1, 55);
    grd->source = oct(5);
    grd->model = oct(6);
    st.grid_id = grd->type = oct(7);
    grd->time = time_code(oct(18), oct(19), oct(20), oct(21), oct(22) * 256 + oct(23));
    grd->date.year = grib_year(oct(13));
    grd->date.month = oct(14);
    grd->date.day = oct(15);
    grd->date.hour = oct(16);
    grd->date.min = oct(17);
    grd->ltype = oct(10);
    grd->level = level_code(grd->ltype, oct(11), oct(12));
    const int param = oct(9), table = oct(4);
    grd->var = table == 129 && param == 212 ? 491 : table != 129 && param == 177 ? 571 : param;
    GRIB_units(grd);
    st.dscale = 1;
    decode_ensemble(grd);
    if (grd->version == 1) {
        if (grd->ltype == LTYPE_SURFACE && grd->model == 44 && grd->var == 7) grd->var = 161;
        const int d = ((oct(27) & 0x7F) << 8) | oct(28);
        st.dscale = std::pow(10.0, (oct(27) & 0x80) ? d : -d);
    }
    DOM_init(&grd->domain);
    MESS_print(M_OCTETS, "Level: [%d %d %d] %d\n", grd->ltype, oct(11), oct(12), grd->level);
    MESS_print(M_OCTETS, "Variable: [%d] %d %s\n", param, grd->var, grd->units);
    st.ydir = 1;
    st.west = false;
    st.pole = 0;
    GRIB_set_domain(st.grid_id, &grd->domain);
    const int g = st.grid_id;
    if ((g >= 21 && g <= 26) || (g >= 61 && g <= 64)) st.pole = 1;
    if (g == 21 || g == 22 || g == 25 || g == 61 || g == 62) st.lat = 0;
    if (g == 23 || g == 24 || g == 26 || g == 63 || g == 64) st.lat = -90;
    return 1;
}

GRIB_ensemble &grib_ensemble() { return en; }

int GRIB_set_var(GRD_report *grd)
{
    std::string s;
    auto level_words = [&] {
        char w[VAR_LABEL_LEN];
        VAR_make_datalevel(grd->time, grd->ltype, grd->level, w);
        s = w;
        if (!s.empty()) s += ' ';
    };
    const bool prob = grd->var == VAR_PROB || grd->var == VAR_NORM_PROB;
    if (en.ens == 1 && en.ens_prod == 1) {
        level_words();
        static const char *const member[] = {"", "Ens[%d] ", "Ens[-%d] ", "Ens[+%d] ",
                                             "Ens[c%d] ", "Ens[w%d] "};
        if (en.ens_type >= 1 && en.ens_type <= 5) {
            char m[32];
            std::snprintf(m, sizeof m, member[en.ens_type], en.ens_id);
            s += m;
        }
        s += var_name(grd->var, grd->units);
        grd->var = clamp_int(grd->var + 19280000LL + en.ens_type * 20000LL + en.ens_id * 1000LL);
    } else if (en.ens == 1 && en.ens_prod == 2) {
        level_words();
        s += "Ens mean ";
        grd->var = clamp_int(grd->var + 19000000LL);
        s += var_name(grd->var, grd->units);
    } else if (en.ens == 1 && (en.ens_prod == 11 || en.ens_prod == 12)) {
        level_words();
        s += "Ens std dev ";
        grd->var = clamp_int(grd->var + 19001000LL);
        s += var_name(grd->var, grd->units);
    } else if (en.ens == 1 && prob) {
        level_words();
        s += probability(grd);
    } else {
        VAR_make_datatype(grd->time, grd->ltype, grd->level, grd->var, grd->units, grd->info);
        return 0;
    }
    strfcpy(grd->info, s.c_str());
    return 0;
}

int GRIB_GDB(int grd_fd, GRD_report *grd)
{
    st.thin = false;
    st.rows.clear();
    if (!(oct(8) & PDS_GDS)) return 1;
    FILE *fp = grib_stream(grd_fd);
    if (!fp || !grd) return -1;
    Gds g;
    g.o.resize(GDS_HEAD);
    if (!grib_read(fp, g.o.data(), GDS_HEAD)) return -1;
    const long len = g.u3(1);
    if (len < GDS_HEAD || len > GDS_MAX) {
        MESS_print(M_WARN, "GRIB_GDB: a grid description of %ld octets is not decoded\n", len);
        return 0;
    }
    g.o.resize(size_t(len));
    if (!grib_read(fp, g.o.data() + GDS_HEAD, size_t(len - GDS_HEAD))) return -1;
    MESS_print(M_OCTETS, "Grid description block\n");
    trace_octets(g.o.data(), GDS_HEAD);
    const int type = g(6);
    MESS_print(M_OCTETS, "Grid type: %d\n", type);
    const int scan = g(28);
    st.ydir = (scan & SCAN_NORTH) || (scan & SCAN_NORTH_ALT) ? 1 : -1;
    st.west = scan & SCAN_WEST;
    MESS_print(M_OCTETS, "Gridpoint direction: %x : %s\n", unsigned(scan),
               st.ydir == 1 ? "south to north" : "north to south");
    if (scan & SCAN_COLUMNS) {
        MESS_print(M_WARN, "GRIB_GDB: grids stored column by column are not decoded\n");
        return 0;
    }
    Domain &d = grd->domain;
    int nx = g.u2(7), ny = g.u2(9);
    if (g(5) != 0 && g(5) != 255 && unsigned(nx) == MISSING_U16 && !thinned_rows(g, ny, &nx))
        return 0;
    if (nx < 1 || nx > SIDE_MAX || ny < 1 || ny > SIDE_MAX) {
        MESS_print(M_WARN, "GRIB_GDB: a grid of %d by %d points is not decoded\n", nx, ny);
        return 0;
    }
    d.nx = nx;
    d.ny = ny;
    MESS_print(M_OCTETS, "Number of gridpoints: %dx%d\n", nx, ny);
    switch (type) {
    case GDS_LATLON: latlon_domain(g, d); break;
    case GDS_MERCATOR: mercator_domain(g, d); break;
    case GDS_LAMBERT: lambert_domain(g, d); break;
    case GDS_POLAR: polar_domain(g, d, grd->source); break;
    case GDS_GAUSSIAN: break;  // rows of latitude circles: their sizes are taken
    default:
        // The rest of the domain is that of the predefined grid; a grid kind without one would
        // have no place at all: the product is not decoded.
        if (VYK_is_miss(d.proj)) {
            MESS_print(M_WARN, "GRIB_GDB: grids of type %d (%s) are not decoded\n", type,
                       unplaced_kind(type));
            return 0;
        }
        break;
    }
    return 1;
}

int GRIB_BMB(int grd_fd)
{
    st.bmb.clear();
    st.has_bmb = false;
    st.bmoff = st.bm_bits = 0;
    st.bm_overrun = false;
    if (!(oct(8) & PDS_BMS)) return 1;
    FILE *fp = grib_stream(grd_fd);
    if (!fp) return -1;
    MESS_print(M_OCTETS, "Bit Map section\n");
    unsigned char h[BMS_HEAD];
    if (!grib_read(fp, h, sizeof h)) return -1;
    const long len = long(grib_uint(h, 3));
    if (len < BMS_HEAD) {
        MESS_print(M_WARN, "GRIB_BMB: a bit map of %ld octets is not decoded\n", len);
        return 0;
    }
    if (grib_uint(h + 4, 2) != 0) {
        MESS_print(M_WARN, "GRIB_BMB: predefined bit map %u is not known\n", grib_uint(h + 4, 2));
        grib_skip(fp, len - BMS_HEAD);
        return 0;
    }
    // Keep the bits the largest grid can use; step over the rest.
    const long most = long(SIDE_MAX) * SIDE_MAX / 8 + 1;
    const long keep = len - BMS_HEAD < most ? len - BMS_HEAD : most;
    st.bmb.resize(size_t(keep));
    if (!grib_read(fp, st.bmb.data(), size_t(keep))) return -1;
    if (!grib_skip(fp, len - BMS_HEAD - keep)) return -1;
    const long unused = h[3] & 0x0F;
    st.bm_bits = size_t(keep * 8 - (keep == len - BMS_HEAD ? unused : 0));
    st.has_bmb = true;
    return 1;
}

int GRIB_BDB(int grd_fd, GRD_report *grd)
{
    FILE *fp = grib_stream(grd_fd);
    if (!fp || !grd) return -1;
    unsigned char h[BDS_HEAD];
    if (!grib_read(fp, h, sizeof h)) {
        release_maps();
        return -1;
    }
    const long len = long(grib_uint(h, 3));
    const long rest = len - BDS_HEAD;
    const int flags = h[3];
    st.sfac = GRIB_scl_conv(h + 4);
    st.ref = GRIB_flt_conv(h + 6);
    st.bpval = h[10];
    if (rest < 0) return refuse_data(fp, grd, 0, "a data section shorter than its header");
    if (flags & BDS_HARMONICS)
        return refuse_data(fp, grd, rest, "spherical harmonics are not decoded");
    if (flags & BDS_SECOND_ORDER)
        return refuse_data(fp, grd, rest, "second-order packing is not decoded");
    if (st.bpval > BITS_MAX) {
        MESS_print(M_WARN, "GRIB_BDB: %d bits per value\n", st.bpval);
        return refuse_data(fp, grd, rest, "packed values wider than 32 bits are not decoded");
    }
    Domain &d = grd->domain;
    if (d.nx < 1 || d.ny < 1 || d.nx > SIDE_MAX || d.ny > SIDE_MAX)
        return refuse_data(fp, grd, rest, "the product names no grid of a known size");
    // Maximum-wind and tropopause products jump between neighbours by nature: every jump is
    // accepted there, in every data section.
    const int lt = grd->ltype;
    const bool relaxed = lt == LTYPE_MAX_WIND || lt == LTYPE_TROPOPAUSE;
    st.bad_limit = st.bpval == 0 ? 0 : long(1) << (relaxed ? st.bpval : st.bpval - 1);
    st.bad = 0;
    st.valid.fill(false);
    st.prev = -1;
    st.bad_test = 0;
    MESS_print(M_OCTETS, "Decimal Scale factor: %f\n", st.dscale);
    MESS_print(M_OCTETS, "Scale factor: %f\n", st.sfac);
    MESS_print(M_OCTETS, "Reference value: %f\n", st.ref);
    MESS_print(M_OCTETS, "Bits per value: %d\n", st.bpval);
    MESS_print(M_OCTETS, "Bad limit value: %ld\n", st.bad_limit);
    const size_t points = size_t(d.nx) * size_t(d.ny);
    if (!grd_values(grd, points)) {
        grib_skip(fp, rest);
        release_maps();
        return 0;
    }
    st.bits.begin(fp, rest);
    Unpack u{st.dscale * st.sfac, st.dscale * st.ref};
    if (st.thin)
        unpack_thinned(grd->grid, d, u);
    else if (st.grid_id == GRID_50 && d.nx == 36 && d.ny == 33)
        unpack_grid50(grd->grid, d, u);
    else
        unpack_regular(grd->grid, d, u);
    if (st.bits.ended)
        return refuse_data(fp, grd, st.bits.left,
                           "a data section shorter than the values it declares is skipped");
    if (st.bm_overrun)
        MESS_print(M_WARN, "GRIB_BDB: the bit map is shorter than the grid; the points "
                           "beyond it are missing\n");
    MESS_print(M_VALUES, "Values: %zu, first %g\n", points, double(grd->grid[0]));
    grib_skip(fp, st.bits.left);
    release_maps();
    return 1;
}

long GRIB_bit_read(int /*grd_fd*/)
{
    const long v = st.bits.read(st.bpval);
    if (v < 0) return -1;
    const int bad_max = GRIB_get_max_bad();
    if (bad_max > 0) {
        const size_t slot = size_t(st.bad_test % RING);
        st.valid[slot] = false;
        if (st.bad_test > 0 && st.prev >= 0 && std::labs(v - st.prev) > st.bad_limit) {
            st.valid[slot] = true;
            int count = 0;
            for (bool b : st.valid) count += b ? 1 : 0;
            if (count > bad_max) st.bad = 1;
            MESS_print(M_OCTETS, "BAD: %6ld %6ld %6ld %2d %2d\n", st.bad_limit, st.prev, v, count,
                       st.bad);
        }
        st.bad_test++;
    }
    st.prev = v;
    return v;
}

int GRIB_BMB_read()
{
    if (!st.has_bmb) return 1;
    if (st.bmoff >= st.bm_bits) {
        st.bm_overrun = true;
        return 0;
    }
    const int bit = (st.bmb[st.bmoff >> 3] >> (7 - (st.bmoff & 7))) & 1;
    st.bmoff++;
    return bit;
}

// ---------------------------------------------------------------------------------------------
// The row of editions 0 and 1 in the GRIB back end
// ---------------------------------------------------------------------------------------------

namespace {

int decode_edition_1(int grd_fd, GRD_report *grd, int rep_type)
{
    int r = GRIB_PDB(grd_fd, grd, rep_type);
    if (r < 1) return r < 0 ? GRIB_SHORT : GRIB_NO_PRODUCT;
    r = GRIB_GDB(grd_fd, grd);
    if (r < 1) return r < 0 ? GRIB_SHORT : GRIB_NO_PRODUCT;
    if (rep_type != GRD_READ_VALUES) return GRIB_DECODED;
    r = GRIB_BMB(grd_fd);
    if (r < 1) {
        release_maps();
        grd_drop_values(grd);
        return r < 0 ? GRIB_SHORT : GRIB_NO_VALUES;
    }
    r = GRIB_BDB(grd_fd, grd);
    return r < 0 ? GRIB_SHORT : r == 0 ? GRIB_NO_VALUES : GRIB_DECODED;
}

}  // namespace

const GRIB_edition grib_edition_1 = {0, 1, "GRIB edition 1", decode_edition_1};
