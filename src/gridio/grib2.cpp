// GRIB edition 2 sections and templates: section headers, the identification (1), grid
// definition (3) and product definition (4) sections, the parameter table, and the row of
// edition 2 in the GRIB back end, which walks the fields of a message.
//
// Every section is read whole into a buffer sized by the length it states (bounded by the
// largest message taken), so a template never reads beyond its section.  A grid whose size is
// not known, or too large, is refused before any value is allocated.  What a later field of a
// message inherits (the discipline, centre, reference time and grid; the packing and bit map,
// grib2_unpack.cpp) belongs to the open file it was read from: files read by turns, or a field
// read without the fields before it, decode alike.
#include "grib2_internal.h"
#include "vykdate.h"
#include "dom.h"
#include "vykfile.h"
#include "grib1.h"
#include "grib2.h"
#include "map.h"
#include "vykresrc.h"
#include "vykstr.h"
#include "vykvar.h"

#include <array>
#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr M_type M_OCTETS = M_DEBUG_D;  // section headers
constexpr M_type M_TRACE = M_DEBUG_C;   // templates
constexpr M_type M_GRID = 0xF0000000;   // the grid definition
constexpr int MISS_CODE = VYK_MISS;
constexpr long SECTION_HEAD = 5;
constexpr int SIDE_MAX_LATLON = 10000;  // rows of a latitude-longitude grid
constexpr int SIDE_MAX_PROJ = 2000;     // rows of a projected grid
constexpr uint32_t ALL_ONES = 0xFFFFFFFFu;
constexpr int VAR_PROB = 191;

/// What a message carries from field to field: a later field inherits the indicator,
/// identification and grid sections read before it.  Each open file (slot) keeps its own, so
/// files read by turns never decode a field with another file's sections.
struct Carried {
    int discipline = 0;  // octet 7 of the indicator section
    int source = 0;      // section 1: originating centre
    Date date{};         // section 1: reference time
    G2_grid grid;        // the last grid definition section
};

struct State {
    int sect = 0;
    long slen = 0;
    long next_field = -1;  // after a field: offset of the next field of the message, or -1
    long message_end = -1; // after a field that ended its message: offset after "7777"
    std::array<Carried, GRD_MAX_FILES> files;  // by slot
    Carried loose;         // for a slot number outside the table (never carried)
};
State st;

Carried &carried(int grd_fd)
{
    if (grd_fd >= 0 && grd_fd < GRD_MAX_FILES) return st.files[size_t(grd_fd)];
    st.loose = Carried{};
    return st.loose;
}

/// Reads the rest of the current section (its header octets kept in front).  1, -1 short.
int read_body(FILE *fp, G2_section &s)
{
    s.o.assign(size_t(st.slen), 0);
    const uint32_t len = uint32_t(st.slen);
    s.o[0] = (unsigned char)(len >> 24);
    s.o[1] = (unsigned char)(len >> 16);
    s.o[2] = (unsigned char)(len >> 8);
    s.o[3] = (unsigned char)len;
    s.o[4] = (unsigned char)st.sect;
    if (st.slen > SECTION_HEAD && !grib_read(fp, s.o.data() + SECTION_HEAD,
                                             size_t(st.slen - SECTION_HEAD)))
        return -1;
    return 1;
}

// ---------------------------------------------------------------------------------------------
// Grid definition
// ---------------------------------------------------------------------------------------------

/// An angle in millionths of a degree (sign and magnitude).
float deg(const G2_section &s, size_t n) { return float(s.s(n, 4)) / 1e6f; }
void scanning(G2_grid &grid, int mode)
{
    grid.ydir = (mode & 0x40) || (mode & 0x02) ? 1 : -1;
    grid.xalt = (mode & 0x10) ? 1 : 0;
    MESS_print(M_TRACE, grid.ydir == 1 ? "Gridpoint direction: %x : south to north\n"
                                       : "Gridpoint direction: %x : north to south\n",
               mode);
}

/// The centre of a projected grid from its first point (the columns run west to east).
void projected_centre(const G2_grid &grid, Domain &d, float la1, float lo1)
{
    grib_projected_centre(d, la1, lo1, 1.0f, float(grid.ydir));
}

bool latlon(const G2_section &s, G2_grid &grid)
{
    Domain &d = grid.dv;
    MESS_print(M_TRACE, "Lat-lon Grid\n");
    if (s.size() < 72) return false;
    const uint32_t ni = s.u(31, 4), nj = s.u(35, 4);
    if (nj == 0 || nj > uint32_t(SIDE_MAX_LATLON)) return false;
    d.ny = int(nj);
    scanning(grid, s(72));
    if (ni == ALL_ONES) {
        // Quasi-regular rows: one octet per row gives its points.
        if (s.size() < 72 + size_t(nj)) return false;
        grid.thin = true;
        grid.rows.resize(nj);
        int longest = 0;
        for (size_t j = 0; j < nj; j++) {
            grid.rows[j] = s(73 + j);
            if (grid.rows[j] > longest) longest = grid.rows[j];
        }
        d.nx = longest;
    } else {
        if (ni == 0 || ni > uint32_t(SIDE_MAX_LATLON) * 10) return false;
        d.nx = int(ni);
    }
    if (d.nx < 1) return false;
    const float la1 = deg(s, 47), la2 = deg(s, 56);
    const float lo1 = grib_lon180(deg(s, 51));
    float lo2 = grib_lon180(deg(s, 60));
    if (lo2 < lo1) lo2 += 360;
    d.proj = DOM_LATLON;
    d.plat = 0;
    d.plon = d.clon = grib_lon180((lo1 + lo2) / 2);
    d.clat = (la1 + la2) / 2;
    d.dx = d.nx > 1 ? std::fabs(lo2 - lo1) / float(d.nx - 1) : 0.0f;
    d.dy = d.ny > 1 ? std::fabs(la2 - la1) / float(d.ny - 1) : 0.0f;
    MESS_print(M_GRID, "Grid locate: %3.2f N, %3.2f E - %3.2f N %3.2f E %3.2f - %d %d\n",
               double(la1), double(lo1), double(la2), double(lo2), double(d.dx), d.nx, d.ny);
    DOM_print(M_GRID, &d);
    return true;
}

bool size_of(const G2_section &s, Domain &d)
{
    const uint32_t ni = s.u(31, 4), nj = s.u(35, 4);
    if (ni == 0 || nj == 0 || ni > uint32_t(SIDE_MAX_PROJ) * 10 || nj > uint32_t(SIDE_MAX_PROJ))
        return false;
    d.nx = int(ni);
    d.ny = int(nj);
    return true;
}

bool mercator(const G2_section &s, G2_grid &grid)
{
    Domain &d = grid.dv;
    MESS_print(M_TRACE, "Mercator Grid\n");
    if (s.size() < 60 || !size_of(s, d)) return false;
    scanning(grid, s(60));
    const float la1 = deg(s, 39), lo1 = grib_lon180(deg(s, 43));
    const float la2 = deg(s, 52), lo2 = grib_lon180(deg(s, 56));
    d.proj = DOM_MERC;
    d.plat = 0;
    d.plon = (lo1 + lo2) / 2;
    grib_mercator_grid(d, la1, lo1, la2, lo2);
    return true;
}

bool polar(const G2_section &s, G2_grid &grid)
{
    Domain &d = grid.dv;
    MESS_print(M_TRACE, "Polar Stereographic Grid\n");
    if (s.size() < 65 || !size_of(s, d)) return false;
    scanning(grid, s(65));
    d.proj = DOM_PSTEREO;
    d.plon = grib_lon180(deg(s, 52));
    d.plat = (s(64) & 0x80) ? -90.0f : 90.0f;
    d.param[0] = deg(s, 48);
    d.dx = float(s.u(56, 4)) * 1e-8f;
    d.dy = float(s.u(60, 4)) * 1e-8f;
    projected_centre(grid, d, deg(s, 39), grib_lon180(deg(s, 43)));
    return true;
}

bool lambert(const G2_section &s, G2_grid &grid)
{
    Domain &d = grid.dv;
    MESS_print(M_TRACE, "Lambert Conformal Grid\n");
    if (s.size() < 73 || !size_of(s, d)) return false;
    scanning(grid, s(65));
    d.proj = DOM_LAMB;
    d.plon = grib_lon180(deg(s, 52));
    d.plat = (s(64) & 0x80) ? -90.0f : 90.0f;
    d.param[0] = deg(s, 66);
    d.param[1] = deg(s, 70);
    d.param[2] = 1;
    MESS_print(M_TRACE, "Grid parallels: %3.2f N, %3.2f N\n", double(d.param[0]),
               double(d.param[1]));
    d.dx = float(s.u(56, 4)) * 1e-8f;
    d.dy = float(s.u(60, 4)) * 1e-8f;
    const float la1 = deg(s, 39), lo1 = grib_lon180(deg(s, 43));
    MESS_print(M_TRACE, "Grid start: %3.2f N, %3.2f E\n", double(la1), double(lo1));
    projected_centre(grid, d, la1, lo1);
    return true;
}

/// One grid template: its number and the reader of its domain, scanning and rows (false: a
/// grid that is too large or whose size cannot be known).
struct GridTemplate {
    int num;
    bool (*read)(const G2_section &, G2_grid &);
};
constexpr GridTemplate GRID_TEMPLATES[] = {
    {0, latlon}, {10, mercator}, {20, polar}, {30, lambert}};

/// The grid number a definition is known by.
int grid_number(const G2_section &s, int temp)
{
    const bool ll = temp == 0;
    const int32_t lat = s.s(ll ? 47 : 39, 4), lon = s.s(ll ? 51 : 43, 4);
    const long long a = std::llabs(lat) / 10000000;
    long long b = std::llabs(lon) / 10000000;
    if (lon < 0) b = 36 - b;
    if (lat < 0) b += 36;
    long long d;
    if (ll) {
        const double lo1 = s.s(51, 4) / 1e6;
        double lo2 = s.s(60, 4) / 1e6;
        if (lo2 <= lo1) lo2 += 360;
        const uint32_t ni = s.u(31, 4);
        d = ni > 1 && ni != ALL_ONES ? (long long)(10 * (lo2 - lo1) / double(ni - 1)) : 0;
    } else {
        d = s.u(56, 4) / 1000000;
    }
    const long long ni = s.u(31, 4) == ALL_ONES ? 0 : s.u(31, 4);
    const long long t = temp * 10000000LL + a * 1000000 + b * 10000 + (ni / 10) * 100 + d;
    return t > 2147483647LL ? 2147483647 : int(t);
}

// ---------------------------------------------------------------------------------------------
// Product definition
// ---------------------------------------------------------------------------------------------

/// A scaled value: octet n the scale factor, n+1..n+4 the value; -9999 when missing.
float scaled(const G2_section &s, size_t n)
{
    if (s(n) == 255 || (s(n + 1) == 255 && s(n + 2) == 255)) return float(MISS_CODE);
    const int f = s.s(n, 1);
    const double v = double(s.s(n + 1, 4)) * std::pow(10.0, -f);
    // A scale factor can make a value no float holds: it is infinite.
    if (std::fabs(v) > double(FLT_MAX)) return v > 0 ? HUGE_VALF : -HUGE_VALF;
    return float(v);
}

/// The whole numbers a level is made of, truncated as C truncates; a value that is not finite
/// or lies beyond an int (a scale factor can make one) marks the level as one that cannot be.
struct LevelNumber {
    bool bad = false;
    long long operator()(float x)
    {
        if (!(double(x) > -2147483649.0 && double(x) < 2147483648.0)) {
            bad = true;
            return 0;
        }
        return static_cast<long long>(x);
    }
};

// The level value of a surface type from its first (a) and second (b) scaled values, in the
// units the level types count in.
using LevelValue = long long (*)(LevelNumber &n, float a, float b);

long long level_none(LevelNumber &, float, float) { return 0; }
long long level_whole(LevelNumber &n, float a, float) { return n(a); }
long long level_rounded(LevelNumber &n, float a, float) { return n(a + 0.5f); }
long long level_hecto(LevelNumber &n, float a, float) { return n(a / 100); }
long long level_centi(LevelNumber &n, float a, float) { return n(a * 100 + 0.01f); }
long long level_sigma(LevelNumber &n, float a, float) { return n(a * 10000 + 0.01f); }
long long level_micro(LevelNumber &n, float a, float)
{
    return a > 0 ? n(a * 1000000 + 0.01f) : n(a * 1000000 - 0.01f);
}
long long layer_kilo(LevelNumber &n, float a, float b) { return n(a / 1000) * 1000 + n(b / 1000); }
long long layer_hecto(LevelNumber &n, float a, float b) { return n(a / 100) * 1000 + n(b / 100); }
long long layer_hundreds(LevelNumber &n, float a, float b)
{
    return (n(a) / 100) * 1000 + n(b) / 100;
}
long long layer_centi(LevelNumber &n, float a, float b)
{
    return n(a * 100 + 0.01f) * 1000 + n(b * 100 + 0.01f);
}

/// One surface type (code table 4.5): the level type and value of a single surface, and of a
/// layer when a second surface is given.
struct SurfaceType {
    int code;
    int level_type;
    LevelValue level;
    int layer_type;
    LevelValue layer;
};
constexpr SurfaceType SURFACE_TYPES[] = {
    {100, 100, level_hecto, 101, layer_kilo},        // isobaric surface, Pa
    {101, 102, level_none, 102, level_none},         // mean sea level
    {102, 103, level_whole, 104, layer_hundreds},    // altitude above mean sea level, m
    {103, 105, level_rounded, 106, layer_hundreds},  // height above ground, m
    {104, 107, level_sigma, 108, layer_centi},       // sigma
    {105, 109, level_whole, 109, level_whole},       // hybrid level
    {106, 111, level_centi, 112, layer_centi},       // depth below land surface, m
    {107, 113, level_whole, 114, level_whole},       // isentropic level, K
    {108, 115, level_hecto, 116, layer_hecto},       // pressure difference from ground, Pa
    {109, 117, level_micro, 117, level_micro},       // potential vorticity surface
    {111, 119, level_whole, 120, level_whole},       // eta level
};

/// Level type and value of the edition-2 surface types; any other type keeps its code and the
/// first value.  A level whose value no int holds is missing.
void level_of(const G2_section &s, GRD_report *grd)
{
    const int t1 = s(23), t2 = s(29);
    const float a = scaled(s, 24), b = scaled(s, 30);
    const bool pair = t2 != 255;
    MESS_print(M_TRACE, "LEV %d %d %f %f\n", t1, t2, double(a), double(b));
    LevelNumber n;
    int lt = t1;
    long long lv = 0;
    const SurfaceType *type = nullptr;
    for (const SurfaceType &t : SURFACE_TYPES)
        if (t.code == t1) type = &t;
    if (!type) {
        lv = n(a);
    } else if (pair) {
        lt = type->layer_type;
        lv = type->layer(n, a, b);
    } else {
        lt = type->level_type;
        lv = type->level(n, a, b);
    }
    if (n.bad || lv > 2147483647LL || lv < -2147483647LL) lv = MISS_CODE;
    // A surface (a level type without a value) is level 0.
    if (a == float(MISS_CODE) && t1 != 100 && t1 != 102 && t1 != 103) lv = 0;
    if (t1 == 1) lv = 0;
    grd->ltype = lt;
    grd->level = int(lv);
}

/// Statistical process code of the time code (code table 4.10), 2 for any other.
int process_code(int k)
{
    switch (k) {
    case 0: return 3;
    case 1: return 4;
    case 2: return 6;
    case 3: return 7;
    case 4: return 5;
    default: return 2;
    }
}

int time_code(int code, long long p, long long l)
{
    const long long t = code * 1000000LL + p * 1001 + l;
    return t > 2147483647LL || t < -2147483647LL ? MISS_CODE : int(t);
}

/// Template 4.8: the overall time interval ends at octets 35 to 41 (ref_date: the message's
/// reference time).
int time_s8(const G2_section &s, const Date &ref_date)
{
    const int k = s(47), u = s(18);
    long long p = s.u(19, 4), l = s.u(50, 4);
    if (k == 255 && u == 1 && l > 250) {
        Date end{int(s.u(35, 2)), s(37), s(38), 0, 0, s(39), s(40), s(41)};
        Date ref = ref_date;
        ref.sec = 0;
        l = (DATE_num_sec(&end) - DATE_num_sec(&ref)) / 3600 - p;
    }
    if (u == 10) p *= 3;
    else if (u == 11) p *= 6;
    else if (u == 12) p *= 12;
    return time_code(process_code(k), p, l);
}

/// A probability limit: octet n the scale factor, n+1..n+4 the value; -9999 when missing or
/// not finite.
float limit(const G2_section &s, size_t n)
{
    const float v = scaled(s, n);
    return std::isfinite(v) ? v : float(MISS_CODE);
}

void probability(const G2_section &s, int temp)
{
    GRIB_ensemble &en = grib_ensemble();
    en.ens = 1;
    en.ens_type = 5;
    en.ens_id = 0;
    en.ens_prod = 0;
    en.ens_smooth = 0;
    const int gen = s(12), pt = s(37);
    int code = -1;
    if (gen == 4 || ((gen == 5 || gen == 2) && temp == 5)) {
        if (pt <= 2) code = pt + 1;
    } else if (gen == 5 && temp == 9) {
        if (pt <= 2) code = pt + 4;
    } else if (gen == 2 && temp == 9) {
        if (pt <= 4) code = pt + 4;
    }
    if (code > 0) en.ens_prob_type = code;
    en.ens_prob_low = limit(s, 38);
    en.ens_prob_up = limit(s, 43);
}

void member(const G2_section &s)
{
    GRIB_ensemble &en = grib_ensemble();
    en.ens = 1;
    const int t = s(35);
    if (t == 0 || t == 1) en.ens_type = 1;
    else if (t == 2) en.ens_type = 2;
    else if (t == 3) en.ens_type = 3;
    en.ens_id = s(36);
    en.ens_prod = 1;
    en.ens_smooth = 0;
}

void derived(const G2_section &s)
{
    GRIB_ensemble &en = grib_ensemble();
    en.ens = 1;
    if (s(35) == 1) en.ens_prod = 2;
    else if (s(35) == 2) en.ens_prod = 11;
}

/// Time of the templates with a statistical process at octet kn and length at ln.
int time_stat(const G2_section &s, size_t kn, size_t ln, int prev)
{
    const int k = s(kn);
    if (k > 4) return prev;
    return time_code(process_code(k), s.u(19, 4), s.u(ln, 4));
}

// The readers of the product templates: the ensemble description and the time code.
void analysis(const G2_section &s, const Date &, GRD_report *grd) { grd->time = int(s.u(19, 4)); }

void member_at(const G2_section &s, const Date &, GRD_report *grd)
{
    member(s);
    grd->time = int(s.u(19, 4));
}

void derived_at(const G2_section &s, const Date &, GRD_report *grd)
{
    GRIB_ensemble &en = grib_ensemble();
    en.ens_type = 5;
    en.ens_id = 0;
    en.ens_smooth = 0;
    derived(s);
    grd->time = int(s.u(19, 4));
}

void probability_at(const G2_section &s, const Date &, GRD_report *grd)
{
    probability(s, 5);
    grd->time = int(s.u(19, 4));
}

void statistics(const G2_section &s, const Date &ref_date, GRD_report *grd)
{
    grd->time = time_s8(s, ref_date);
}

void probability_over(const G2_section &s, const Date &, GRD_report *grd)
{
    probability(s, 9);
    const int k = s(60);
    if (k <= 4) {
        long long p = s.u(19, 4);
        if (s(18) == 2) p += 800;
        else if (s(18) == 3) p += 900;
        grd->time = time_code(process_code(k), p, s.u(63, 4));
    }
}

void member_over(const G2_section &s, const Date &, GRD_report *grd)
{
    member(s);
    grd->time = time_stat(s, 50, 53, grd->time);
}

void derived_over(const G2_section &s, const Date &, GRD_report *grd)
{
    derived(s);
    grd->time = time_stat(s, 49, 52, grd->time);
}

/// One product template: its number and title, whether its field is a probability, and the
/// reader of its ensemble and time (ref_date: the message's reference time).
struct ProductTemplate {
    int num;
    const char *title;
    bool probability;
    void (*read)(const G2_section &s, const Date &ref_date, GRD_report *grd);
};
constexpr ProductTemplate PRODUCT_TEMPLATES[] = {
    {0, "Analysis or forecast on horizontal level at a fixed time", false, analysis},
    {1, "Individual ensemble member, horizontal level, fixed time", false, member_at},
    {2, "Derived forecast based on all ensemble members, horizontal level, fixed time", false,
     derived_at},
    {5, "Probability forecast, horizontal level, fixed time", true, probability_at},
    {8, "Average, accumulation or extreme value on horizontal level at a fixed time", false,
     statistics},
    {9, "Probability forecast, horizontal level/layer, time range", true, probability_over},
    {11, "Individual ensemble member, horizontal level, time range", false, member_over},
    {12, "Derived forecast based on all ensemble members, horizontal level, time range", false,
     derived_over},
};

/// The product template numbered temp, or NULL when it is not read (JMA's local 50008 is read
/// apart).
const ProductTemplate *product_template(int temp)
{
    for (const ProductTemplate &t : PRODUCT_TEMPLATES)
        if (t.num == temp) return &t;
    return nullptr;
}

// ---------------------------------------------------------------------------------------------
// The parameter table
// ---------------------------------------------------------------------------------------------

struct ParamTable {
    std::string path;
    std::vector<GribParam> rows;
};
ParamTable table;

/// The number of a parameter the table does not name: discipline*1000000 + category*1000 +
/// parameter, each an octet of the message; -9999 for numbers no octet holds.
int coded_param(int disc, int cat, int param)
{
    const auto octet = [](int v) { return v >= 0 && v < 256; };
    return octet(disc) && octet(cat) && octet(param) ? disc * 1000000 + cat * 1000 + param
                                                     : MISS_CODE;
}

/// Longest line of the parameter table.
constexpr int TABLE_LINE_MAX = 200;

/// A whole number of a table line at p (blanks before it skipped), p moved past it: false when
/// there is none or it lies beyond an int.
bool table_number(const char *&p, int &v)
{
    char *end = nullptr;
    errno = 0;
    const long x = std::strtol(p, &end, 10);
    if (end == p || errno == ERANGE || x < -2147483647L || x > 2147483647L) return false;
    if (*end != '\0' && *end != ' ' && *end != '\t' && *end != '\r') return false;
    v = int(x);
    p = end;
    return true;
}

/// One row of the table from a line: centre, discipline, category and parameter, the name, the
/// units and the long name (optional).  false for a line that is not a row.
bool table_row(const char *line, GribParam &r)
{
    GribParam_init(&r);
    const char *p = line;
    if (!table_number(p, r.src) || !table_number(p, r.disc) || !table_number(p, r.cat) ||
        !table_number(p, r.param))
        return false;
    return std::sscanf(p, "%19s %29s %79[^\n]", r.name, r.units, r.lname) >= 2;
}

void load_table(const char *path)
{
    if (table.path == path) return;
    table.path = path;
    table.rows.clear();
    FILE *fp = FILE_open(path, "r");
    if (!fp) return;
    char line[TABLE_LINE_MAX + 1];
    int got;
    while ((got = fgetnline(fp, line, TABLE_LINE_MAX)) >= 0) {
        if (got == TABLE_LINE_MAX) {
            // A longer line would come in pieces, each read as a line: it is left out.
            const int c = std::getc(fp);
            if (c != EOF) std::ungetc(c, fp);
            if (c != EOF && c != '\n') {
                fskipline(fp);
                MESS_print(M_WARN, "GRIB_get_ver2_param: a line longer than %d characters in "
                                   "%s is left out\n", TABLE_LINE_MAX, path);
                continue;
            }
        }
        if (got == 0 || line[0] == '#') continue;
        GribParam r;
        if (table_row(line, r)) table.rows.push_back(r);
    }
    FILE_close(fp);
}

// ---------------------------------------------------------------------------------------------
// Fields of a message
// ---------------------------------------------------------------------------------------------

/// Reads the sections of one field, from the stream's position to its data section; then the
/// header that follows tells where the next field or message begins.
int read_field(int grd_fd, GRD_report *grd, int rep_type)
{
    FILE *fp = grib_stream(grd_fd);
    if (!fp) return GRIB_SHORT;
    st.next_field = st.message_end = -1;
    bool complete = false, values_ok = true;
    while (GRIB_read_section(grd_fd)) {
        int r = 1;
        switch (st.sect) {
        case 1: r = GRIB_IDS(grd_fd, grd); break;
        case 3:
            r = GRIB_GDS(grd_fd, grd);
            if (r < 1) return r < 0 ? GRIB_SHORT : GRIB_NO_PRODUCT;
            break;
        case 4: r = GRIB_PDS(grd_fd, grd); break;
        case 5: r = GRIB_DRS(grd_fd, grd); break;
        case 6: r = GRIB_BMS(grd_fd) < 0 ? -1 : 1; break;
        case 7:
            if (rep_type == GRD_READ_VALUES) {
                r = GRIB_DS(grd_fd, grd);
                if (r == 0) values_ok = false;
            } else {
                r = GRIB_skip_section(grd_fd) ? 1 : -1;
            }
            complete = true;
            break;
        default: r = GRIB_skip_section(grd_fd) ? 1 : -1; break;
        }
        if (r < 0) return GRIB_SHORT;
        if (complete) break;
    }
    if (!complete) {
        if (st.sect == -1 || feof(fp) == 0) MESS_print(M_WARN, "No product found\n");
        return GRIB_NO_PRODUCT;
    }
    // What follows the field.
    const long here = std::ftell(fp);
    if (GRIB_read_section(grd_fd) && st.sect >= 1 && st.sect <= 7)
        st.next_field = std::ftell(fp) - SECTION_HEAD;
    else if (st.sect == -1)
        st.message_end = std::ftell(fp);
    if (here >= 0 && st.next_field < 0 && st.message_end < 0) st.message_end = here;
    return values_ok ? GRIB_DECODED : GRIB_NO_VALUES;
}

/// The first field of a message: nothing of an earlier message is carried into it.
int decode_edition_2(int grd_fd, GRD_report *grd, int rep_type)
{
    Carried &c = carried(grd_fd);
    c = Carried{};
    DOM_init(&c.grid.dv);
    c.discipline = grib_indicator()[6];
    g2_unpack_reset(grd_fd);
    return read_field(grd_fd, grd, rep_type);
}

}  // namespace

const G2_grid &g2_grid(int grd_fd) { return carried(grd_fd).grid; }

int grib2_continue(int grd_fd, GRD_report *grd, int rep_type)
{
    return read_field(grd_fd, grd, rep_type);
}

long grib2_next_field() { return st.next_field; }
long grib2_message_end() { return st.message_end; }

// ---------------------------------------------------------------------------------------------
// Sections
// ---------------------------------------------------------------------------------------------

int GRIB_read_section(int grd_fd)
{
    FILE *fp = grib_stream(grd_fd);
    unsigned char h[5];
    if (!fp || !grib_read(fp, h, 4)) return 0;
    if (h[0] == '7' && h[1] == '7') {
        st.sect = -1;
        return 0;
    }
    if (!grib_read(fp, h + 4, 1)) return 0;
    st.slen = long(grib_uint(h, 4));
    st.sect = h[4];
    MESS_print(M_OCTETS, "section: %d %d - %ld\n", st.sect, int(st.slen), std::ftell(fp));
    if (st.slen < SECTION_HEAD || st.slen > GRIB_MAX_SIZE) {
        MESS_print(M_WARN, "GRIB: a section %d of %ld octets ends the message\n", st.sect,
                   st.slen);
        st.sect = 9;
        return 0;
    }
    return st.sect < 9;
}

int GRIB_get_sect() { return st.sect; }
int GRIB_get_slen() { return int(st.slen); }

int GRIB_skip_section(int grd_fd)
{
    MESS_print(M_OCTETS, "skip section: %d - %ld\n", st.sect, st.slen);
    FILE *fp = grib_stream(grd_fd);
    return fp && grib_skip(fp, st.slen - SECTION_HEAD) ? 1 : 0;
}

int GRIB_IDS(int grd_fd, GRD_report *grd)
{
    FILE *fp = grib_stream(grd_fd);
    G2_section s;
    if (!fp || read_body(fp, s) < 0) return -1;
    if (s.size() < 18) return 0;
    Carried &c = carried(grd_fd);
    c.source = int(s.u(6, 2));
    c.date = Date{int(s.u(13, 2)), s(15), s(16), 0, 0, s(17), s(18), 0};
    grd->version = 2;
    grd->source = c.source;
    grd->date = c.date;
    grd->type = 0;
    return 1;
}

int GRIB_GDS(int grd_fd, GRD_report *grd)
{
    FILE *fp = grib_stream(grd_fd);
    G2_section s;
    if (!fp || read_body(fp, s) < 0) return -1;
    G2_grid &grid = carried(grd_fd).grid;
    grid = G2_grid{};
    DOM_init(&grid.dv);
    if (s.size() < 14) return 0;
    const int temp = int(s.u(13, 2));
    MESS_print(M_TRACE, "GDS: %d\n", temp);
    const GridTemplate *row = nullptr;
    for (const GridTemplate &t : GRID_TEMPLATES)
        if (t.num == temp) row = &t;
    if (row) {
        if (!row->read(s, grid)) {
            MESS_print(M_WARN, "GRIB_GDS: a grid of template 3.%d whose size is not known or "
                               "too large is refused\n", temp);
            DOM_init(&grid.dv);
            grid.thin = false;
            grid.rows.clear();
            return 0;
        }
        const size_t points = size_t(grid.dv.nx) * size_t(grid.dv.ny);
        if (points > GRD_MAX_POINTS) {
            MESS_print(M_WARN, "GRIB_GDS: a grid of %zu points is refused\n", points);
            DOM_init(&grid.dv);
            return 0;
        }
        grid.known = true;
        grid.type = grid_number(s, temp);
    } else {
        MESS_print(M_WARN, "GRIB_GDS: grid template 3.%d is not supported: the field's values "
                           "are not unpacked\n", temp);
    }
    grd->type = grid.type;
    grd->domain = grid.dv;
    return 1;
}

int GRIB_PDS(int grd_fd, GRD_report *grd)
{
    GRIB_ensemble &en = grib_ensemble();
    FILE *fp = grib_stream(grd_fd);
    G2_section s;
    if (!fp || read_body(fp, s) < 0) return -1;
    // What the field inherits from its message, whichever field of it is read first.
    const Carried &c = carried(grd_fd);
    grd->version = 2;
    grd->source = c.source;
    grd->date = c.date;
    grd->type = c.grid.type;
    grd->domain = c.grid.dv;
    grd->model = 0;
    grd->time = grd->ltype = grd->level = grd->var = MISS_CODE;
    grd->units[0] = '\0';
    grd->info[0] = grd->datim[0] = '\0';
    en.ens = 0;
    if (s.size() < 11) return 0;
    const int temp = int(s.u(8, 2));
    if (temp == 50008) {
        MESS_print(M_TRACE, "JMA local sect 50008\n");
        const GribParam p = GRIB_get_ver2_param(c.source, 0, s(10), s(11));
        grd->var = p.ind;
        strfcpy(grd->units, sizeof grd->units, p.units);
        grd->ltype = 1;
        grd->level = 0;
        grd->time = 0;
    } else {
        if (s.size() < 34) return 1;
        const GribParam p = GRIB_get_ver2_param(c.source, c.discipline, s(10), s(11));
        const ProductTemplate *t = product_template(temp);
        if (!t) {
            MESS_print(M_WARN, "GRIB_PDS: product template 4.%d is not supported\n", temp);
            return 1;
        }
        MESS_print(M_TRACE, "4.%d: %s\n", t->num, t->title);
        t->read(s, c.date, grd);
        if (t->probability) {
            grd->var = VAR_PROB;
            en.ens_prob_var = p.ind;
        } else {
            grd->var = p.ind;
        }
        strfcpy(grd->units, sizeof grd->units, p.units);
        grd->model = s(14);
        level_of(s, grd);
    }
    MESS_print(M_TRACE, "Source: %d\n", grd->source);
    MESS_print(M_TRACE, "Model: %d\n", grd->model);
    MESS_print(M_TRACE, "Init time: %d/%d/%d %2.2d:%2.2d\n", grd->date.year, grd->date.month,
               grd->date.day, grd->date.hour, grd->date.min);
    MESS_print(M_TRACE, "Grid type: %d\n", grd->type);
    MESS_print(M_TRACE, "Grid time: %d\n", grd->time);
    MESS_print(M_TRACE, "Level type: %d\n", grd->ltype);
    MESS_print(M_TRACE, "Level: %d\n", grd->level);
    MESS_print(M_TRACE, "Variable: %d %s\n", grd->var, grd->units);
    GRIB_set_var(grd);
    DATE_make_label_for_time(grd->time, grd->source * 1000 + grd->model, &grd->date, grd->datim,
                             sizeof grd->datim);
    return 1;
}

int GRIB_DRS(int grd_fd, GRD_report * /*grd*/)
{
    FILE *fp = grib_stream(grd_fd);
    G2_section s;
    if (!fp || read_body(fp, s) < 0) return -1;
    return g2_drs(grd_fd, s);
}

int GRIB_BMS(int grd_fd)
{
    FILE *fp = grib_stream(grd_fd);
    G2_section s;
    if (!fp || read_body(fp, s) < 0) return -1;
    return g2_bms(grd_fd, s);
}

int GRIB_DS(int grd_fd, GRD_report *grd)
{
    FILE *fp = grib_stream(grd_fd);
    G2_section s;
    if (!fp || read_body(fp, s) < 0) return -1;
    return g2_ds(grd_fd, s, grd);
}

int GribParam_init(GribParam *param)
{
    *param = GribParam{};
    param->ind = param->src = param->disc = param->cat = param->param = MISS_CODE;
    param->ver = 0;
    return 1;
}

GribParam GRIB_get_ver2_param(int src, int disc, int cat, int param)
{
    GribParam r;
    GribParam_init(&r);
    char path[FILE_NAME_MAX + 1];
    FILE_add_path(RES_get("file_path"), GRIB2_VAR_FILE, path);
    load_table(path);
    MESS_print(M_TRACE, "get_ver2_param %d %d %d %d\n", src, disc, cat, param);
    for (const GribParam &row : table.rows) {
        if ((row.src == 0 || row.src == src) && row.disc == disc && row.cat == cat &&
            row.param == param) {
            r = row;
            r.ind = VAR_search_var_num(row.name);
            if (r.ind <= 0) r.ind = coded_param(disc, cat, param);
            return r;
        }
    }
    // Parameters the table lacks keep their numbers.
    r.ind = coded_param(disc, cat, param);
    return r;
}

const GRIB_edition grib_edition_2 = {2, 2, "GRIB edition 2", decode_edition_2};

// ---------------------------------------------------------------------------------------------
// A field copied out as a message of its own
// ---------------------------------------------------------------------------------------------

namespace {

/// Section 6 indicator: a bit map follows; the bit map of an earlier field applies.
constexpr int BITMAP_HERE = 0, BITMAP_EARLIER = 254;

/// Appends a section's octets.
void put(std::vector<unsigned char> &out, const std::vector<unsigned char> &sec)
{
    out.insert(out.end(), sec.begin(), sec.end());
}

}  // namespace

bool grib2_field_copy(int grd_fd, long msg_pos, int field, std::vector<unsigned char> &out)
{
    out.clear();
    FILE *fp = grib_stream(grd_fd);
    if (!fp || field < 0 || !grib_seek(fp, msg_pos) || GRIB_header(grd_fd) != 1 ||
        GRIB_get_edition() != 2 || GRIB_get_type() != 'B') {
        MESS_print(M_WARN, "GRIB_get_raw: no edition-2 message at offset %ld\n", msg_pos);
        return false;
    }
    const unsigned char *ind = grib_indicator();
    unsigned char head[16];
    std::memcpy(head, ind, sizeof head);
    const long stated = long(grib_uint(head + 12, 4));
    long left = stated - 16;  // octets of the message after the indicator section
    // The sections in force: 1, 2 and 3 of the message, the last bit map written out, and the
    // current field's 4 to 7.
    std::vector<unsigned char> in_force[8], bitmap;
    int seen = 0;
    while (left >= 4) {
        unsigned char h[5];
        if (!grib_read(fp, h, 4)) break;
        if (std::memcmp(h, "7777", 4) == 0) break;
        if (left < 5 || !grib_read(fp, h + 4, 1)) break;
        const long len = long(grib_uint(h, 4));
        const int sect = h[4];
        if (len < SECTION_HEAD || len > left || sect < 1 || sect > 7) break;
        std::vector<unsigned char> &sec = in_force[sect];
        sec.assign(h, h + SECTION_HEAD);
        sec.resize(size_t(len));
        if (!grib_read(fp, sec.data() + SECTION_HEAD, size_t(len - SECTION_HEAD))) break;
        left -= len;
        if (sect == 6 && len > 5 && sec[5] == BITMAP_HERE) bitmap = sec;
        if (sect != 7) continue;
        if (seen++ < field) continue;
        // The field is whole: sections 1 and 3 at least, 4, 5 and 7 of its own.
        std::vector<unsigned char> six = in_force[6];
        if (six.size() > 5 && six[5] == BITMAP_EARLIER) {
            if (bitmap.empty()) break;
            six = bitmap;
        }
        if (in_force[1].empty() || in_force[3].empty() || in_force[4].empty() ||
            in_force[5].empty())
            break;
        out.assign(head, head + sizeof head);
        for (int k = 1; k <= 5; k++) put(out, in_force[k]);
        put(out, six);
        put(out, in_force[7]);
        out.insert(out.end(), {'7', '7', '7', '7'});
        const uint64_t total = out.size();
        for (int k = 0; k < 8; k++) out[size_t(8 + k)] = (unsigned char)(total >> (56 - 8 * k));
        return true;
    }
    MESS_print(M_WARN, "GRIB_get_raw: the message at offset %ld holds no whole field %d\n",
               msg_pos, field);
    out.clear();
    return false;
}
