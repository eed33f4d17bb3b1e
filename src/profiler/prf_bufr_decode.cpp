// Decoding of WMO BUFR messages of wind-profiler reports (FM 94, editions 2 and 3): sections 1
// to 4 of one message, its list of descriptors, and one data subset per call into a report.
//
// The decoder does not use WMO's master tables.  It knows the elements of profiler messages
// from a small table of its own, replication by a fixed count, and the two operators that
// change the width of data (2-01 for the following elements, 2-06 for the next one).  A
// message it cannot decode correctly is refused with one warning instead of being read as
// garbage: compressed data, sequence descriptors (F = 3), other operators, elements it does not
// know, delayed or nested replication.  Every read stays within the data section; data that
// end before a subset does abandon the message.
#include "prf_internal.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <iterator>

namespace {

// ---------------------------------------------------------------------------------------------
// The element table
// ---------------------------------------------------------------------------------------------

enum Element_kind { NUMERIC = 1, CODE_TABLE = 2 };

/// An element: X and Y as in WMO Table B, the name and unit of traces, the kind, the width in
/// bits, and value = scale * (raw + reference) (the scale is a multiplier, not a power of ten).
struct Element {
    int x, y;
    const char *name;
    const char *unit;
    int kind;
    int bits;
    float scale;
    int reference;
};

// This table is the decoder's own and is kept as it stands, since stored bulletins were written
// with it.  It agrees with today's WMO Table B for every element the plots use (station,
// position, time, wind speed and direction, u, v, pressure, temperature, relative humidity).
// For four elements its scale or reference differs from today's Table B, so bulletins written
// with the WMO table decode to other values there:
//   0 11 006 w:             here 0.1 m/s,    WMO 0.01 m/s  (both reference -4096, 13 bits)
//   0 11 050 spread of u,v: here 1 m/s,      WMO 0.1 m/s   (12 bits)
//   0 11 051 spread of w:   here 1 m/s,      WMO 0.1 m/s   (8 bits)
//   0 13 014 rain rate:     here 1e-7,       WMO 1e-4 kg m-2 s-1  (12 bits)
// 0 21 192 is a local element (signal power of the spectral peak).
constexpr Element elements[] = {
    {1, 1, "WMO block", "", NUMERIC, 7, 1, 0},
    {1, 2, "WMO stat", "", NUMERIC, 10, 1, 0},
    {5, 2, "Lat", "", NUMERIC, 15, 0.01f, -9000},
    {6, 2, "Lon", "", NUMERIC, 16, 0.01f, -18000},
    {7, 1, "Elev", "", NUMERIC, 15, 1, -400},
    {4, 1, "Year", "", NUMERIC, 12, 1, 0},
    {4, 2, "Month", "", NUMERIC, 4, 1, 0},
    {4, 3, "Day", "", NUMERIC, 6, 1, 0},
    {4, 4, "Hour", "", NUMERIC, 5, 1, 0},
    {4, 5, "Min", "", NUMERIC, 6, 1, 0},
    {8, 21, "Time Sig", "", CODE_TABLE, 5, 1, 0},
    {4, 25, "Time Disp", "min", NUMERIC, 12, 1, -2048},
    {11, 2, "Wind Spd", "m/s", NUMERIC, 12, 0.1f, 0},
    {11, 1, "Wind Dir", "deg", NUMERIC, 9, 1, 0},
    {10, 51, "SL Press", "Pas", NUMERIC, 14, 10, 0},
    {12, 1, "Temp", "K", NUMERIC, 12, 0.1f, 0},
    {13, 14, "Rain Rate", "kg/m2/s", NUMERIC, 12, 0.0000001f, 0},
    {13, 3, "Rel Hum", "%", NUMERIC, 7, 1, 0},
    {7, 5, "Hght incr", "m", NUMERIC, 12, 1, -400},
    {25, 33, "Prof Submode", "", CODE_TABLE, 2, 1, 0},
    {25, 32, "Prof H/L mode", "", CODE_TABLE, 2, 1, 0},
    {25, 34, "Prof QC test", "", CODE_TABLE, 4, 1, 0},
    {8, 22, "Total Number", "", NUMERIC, 16, 1, 0},
    {11, 3, "U wind", "m/s", NUMERIC, 13, 0.1f, -4096},
    {11, 4, "V wind", "m/s", NUMERIC, 13, 0.1f, -4096},
    {11, 50, "Std dev Hor Wnd", "m/s", NUMERIC, 12, 1, 0},
    {21, 192, "Spectral Pk 0 Mom", "Db", NUMERIC, 7, 1, 0},
    {11, 6, "W wind", "m/s", NUMERIC, 13, 0.1f, -4096},
    {11, 51, "Std dev Ver Wnd", "m/s", NUMERIC, 8, 1, 0},
};
constexpr int NUM_ELEMENTS = static_cast<int>(std::size(elements));

/// What an element gives the report; the others are decoded and dropped.
enum Role {
    DROPPED, BLOCK, STATION, LAT, LON, ELEV, HEIGHT_INC, U, V, W, HDEV, VDEV, QUALITY,
    YEAR, MONTH, DAY, HOUR, MINUTE
};

struct Role_row {
    int x, y;
    Role role;
};
constexpr Role_row roles[] = {
    {1, 1, BLOCK}, {1, 2, STATION}, {5, 2, LAT},  {6, 2, LON},   {7, 1, ELEV},
    {7, 5, HEIGHT_INC}, {11, 3, U}, {11, 4, V},   {11, 6, W},    {11, 50, HDEV},
    {11, 51, VDEV},     {25, 34, QUALITY},
    {4, 1, YEAR}, {4, 2, MONTH}, {4, 3, DAY}, {4, 4, HOUR}, {4, 5, MINUTE},
};

/// The role of each row of the element table.
constexpr std::array<Role, NUM_ELEMENTS> row_roles = [] {
    std::array<Role, NUM_ELEMENTS> r{};
    for (int i = 0; i < NUM_ELEMENTS; i++)
        for (const Role_row &row : roles)
            if (row.x == elements[i].x && row.y == elements[i].y)
                r[i] = row.role;
    return r;
}();

/// Winds and spreads at or above this are not stored (it drops values beyond what the
/// elements can hold as well).
constexpr float WIND_LIMIT = 200;
/// Valid WMO block and station numbers.
constexpr int MAX_BLOCK = 99, MAX_STATION = 999;
/// Largest date fields of a subset's time (a year's four digits).
constexpr int MAX_YEAR = 9999, MAX_MONTH = 12, MAX_DAY = 31, MAX_HOUR = 23, MAX_MINUTE = 59;
/// Widest field the bit reader takes.
constexpr int MAX_WIDTH = 32;
/// The levels whose quality is 0 before a subset sets it (the levels of the netCDF files).
constexpr int QUALITY_LEVELS = 72;

/// Section 1 and section 3 octets.
constexpr int S1_FLAG = 8, S1_LAST = 17;
constexpr int S3_SUBSETS = 5, S3_FLAGS = 7, S3_DESC = 8;
constexpr unsigned S3_COMPRESSED = 0x40;
constexpr int S4_DATA = 5;
/// Smallest lengths of sections 1 to 4 (section 1: the octets read from it).
constexpr size_t MIN_SECTION[5] = {0, S1_LAST, 4, 7, 4};
/// Operators: data width changed for the following elements, and for the next one only.
constexpr int OP_WIDTH_CHANGE = 1, OP_WIDTH_OVERRIDE = 6;
constexpr int F_ELEMENT = 0, F_REPLICATION = 1, F_OPERATOR = 2, F_SEQUENCE = 3;

int find_element(int x, int y)
{
    for (int i = 0; i < NUM_ELEMENTS; i++)
        if (elements[i].x == x && elements[i].y == y)
            return i;
    return -1;
}

unsigned u24(const unsigned char *p)
{
    return (unsigned{p[0]} << 16) | (unsigned{p[1]} << 8) | p[2];
}

bool tracing()
{
    return MESS_check(M_DEBUG) != 0;
}

/// One warning for a message that is not decoded (or not further): "PRF_read: message at
/// offset N: <what>; skipped".  Returns 0.
int refuse(const PRF_bufr_message &msg, const char *format, ...)
    __attribute__((format(printf, 2, 3)));
int refuse(const PRF_bufr_message &msg, const char *format, ...)
{
    if (!MESS_check(M_WARN)) return 0;
    char what[160];
    va_list ap;
    va_start(ap, format);
    std::vsnprintf(what, sizeof what, format, ap);
    va_end(ap);
    MESS_print(M_WARN, "PRF_read: message at offset %lld: %s; skipped\n", msg.offset, what);
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Bits
// ---------------------------------------------------------------------------------------------

/// The next width bits (1 to 32) as an unsigned value.
inline uint32_t read_bits(PRF_bufr_bits &b, int width)
{
    while (b.pending < width) {
        if (b.next == b.end) {
            b.overrun = true;
            return 0;
        }
        b.acc = (b.acc << 8) | *b.next++;
        b.pending += 8;
    }
    b.pending -= width;
    const uint64_t mask = (uint64_t{1} << width) - 1;
    return static_cast<uint32_t>((b.acc >> b.pending) & mask);
}

// ---------------------------------------------------------------------------------------------
// Sections
// ---------------------------------------------------------------------------------------------

/// The starts and lengths of sections 1 to 4 within the octets after section 0.
struct Sections {
    size_t start[5] = {};
    size_t length[5] = {};
    bool has_section2 = false;
};

/// Finds the sections: false when a length is too small, runs past the message, or the
/// lengths do not add up to the total length.
bool find_sections(const unsigned char *o, size_t size, Sections *s, const PRF_bufr_message &msg)
{
    const size_t body = size - 4;  // before "7777"
    size_t pos = 0;
    for (int k = 1; k <= 4; k++) {
        if (k == 2 && !s->has_section2)
            continue;
        if (pos + 3 > body)
            return refuse(msg, "section %d missing", k);
        const size_t len = u24(o + pos);
        if (len < MIN_SECTION[k] || len > body - pos)
            return refuse(msg, "section %d length %zu does not fit the total length %zu", k,
                          len, size + 8);
        s->start[k] = pos;
        s->length[k] = len;
        if (k == 1)
            s->has_section2 = o[pos + S1_FLAG - 1] != 0;
        pos += len;
    }
    if (pos != body)
        return refuse(msg, "section lengths add up to %zu octets, the total length is %zu",
                      pos + 12, size + 8);
    return true;
}

void trace_section1(const unsigned char *s1, int edition)
{
    auto octet = [s1](int n) { return static_cast<int>(s1[n - 1]); };
    const int centre = edition >= 3 ? octet(6) : octet(5) * 256 + octet(6);
    const int subcentre = edition >= 3 ? octet(5) : 0;
    MESS_print(M_DEBUG, "Centre %d/%d  category %d/%d  tables %d/%d  %02d-%02d-%02d %02d:%02d\n",
               centre, subcentre, octet(9), octet(10), octet(11), octet(12), octet(13),
               octet(14), octet(15), octet(16), octet(17));
}

/// Reads the descriptors of section 3 into msg: false when they are too many or none.
bool read_descriptors(const unsigned char *s3, size_t length, PRF_bufr_message *msg)
{
    const size_t n = (length - (S3_DESC - 1)) / 2;  // without or with a pad octet
    if (n == 0)
        return refuse(*msg, "no descriptors");
    if (n > PRF_BUFR_MAX_DESC)
        return refuse(*msg, "%zu descriptors, at most %d are read", n, PRF_BUFR_MAX_DESC);
    msg->num_desc = static_cast<int>(n);
    const unsigned char *p = s3 + S3_DESC - 1;
    for (size_t i = 0; i < n; i++, p += 2) {
        PRF_bufr_desc &d = msg->desc[i];
        d.f = p[0] >> 6;
        d.x = p[0] & 0x3f;
        d.y = p[1];
        d.row = d.f == F_ELEMENT ? find_element(d.x, d.y) : -1;
    }
    return true;
}

/// Checks that every descriptor can be decoded: false (with the warning) at the first that
/// cannot.
bool check_descriptors(const PRF_bufr_message &msg)
{
    int block_end = -1;  // last position of the replicated block being checked
    for (int i = 0; i < msg.num_desc; i++) {
        const PRF_bufr_desc &d = msg.desc[i];
        const bool after_override =
            i > 0 && msg.desc[i - 1].f == F_OPERATOR && msg.desc[i - 1].x == OP_WIDTH_OVERRIDE;
        switch (d.f) {
        case F_ELEMENT:
            if (d.row == -1 && !after_override)
                return refuse(msg, "element 0 %02d %03d is not known", d.x, d.y);
            break;
        case F_REPLICATION:
            if (d.y == 0)
                return refuse(msg, "delayed replication 1 %02d 000 is not read", d.x);
            if (d.x == 0 || i + d.x >= msg.num_desc)
                return refuse(msg, "replication 1 %02d %03d does not fit the descriptors", d.x,
                              d.y);
            if (i <= block_end)
                return refuse(msg, "nested replication 1 %02d %03d is not read", d.x, d.y);
            block_end = i + d.x;
            break;
        case F_OPERATOR:
            if (d.x != OP_WIDTH_CHANGE && d.x != OP_WIDTH_OVERRIDE)
                return refuse(msg, "operator 2 %02d %03d is not read", d.x, d.y);
            if (d.x == OP_WIDTH_OVERRIDE &&
                (i + 1 >= msg.num_desc || msg.desc[i + 1].f != F_ELEMENT))
                return refuse(msg, "operator 2 06 %03d is not followed by an element", d.y);
            break;
        case F_SEQUENCE:
            return refuse(msg, "sequence descriptor 3 %02d %03d is not read", d.x, d.y);
        }
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// One subset
// ---------------------------------------------------------------------------------------------

/// The state of the walk through the descriptors for one subset.
struct Walk {
    PRF_bufr_message *msg;
    PRF_report *report;
    bool trace;
    int width_change = 0;    // from 2-01, for the following numeric elements
    int width_override = 0;  // from 2-06, for the next element
    int rep_first = -1, rep_last = -1;  // positions of the replicated block
    int rep_count = 0, rep_pass = 0;
    float height = 0, increment = 0;    // running height and its increment, m
    int level = 0;                      // index of the current level
    int block = -1, station = -1;       // WMO numbers, -1 when missing
    bool bad_width = false;
};

/// The width of the next value of element row, after the operators in force.
int width_of(Walk &w, int row)
{
    int width = row >= 0 ? elements[row].bits : 0;
    if (row >= 0 && elements[row].kind == NUMERIC)
        width += w.width_change;
    if (w.width_override != 0) {
        width = w.width_override;
        w.width_override = 0;
    }
    return width;
}

/// Decodes the next value of element row: VYK_MISS when all its bits are set.
float get_value(Walk &w, int row, int width)
{
    const uint32_t raw = read_bits(w.msg->bits, width);
    const uint32_t all_ones = static_cast<uint32_t>((uint64_t{1} << width) - 1);
    if (raw == all_ones)
        return VYK_MISS;
    const Element &e = elements[row];
    return e.scale * static_cast<float>(static_cast<int64_t>(raw) + e.reference);
}

/// A wind value worth storing: present and below the limit.
bool wind_value(float v)
{
    return !VYK_is_miss(v) && v < WIND_LIMIT;
}

int whole_number(float v, int max)
{
    return VYK_is_miss(v) || v < 0 || v > static_cast<float>(max) ? -1 : static_cast<int>(v);
}

/// A field of the subset's time: missing when it is not a whole number within lo to hi.
int date_field(float v, int lo, int hi)
{
    return !VYK_is_miss(v) && v >= static_cast<float>(lo) && v <= static_cast<float>(hi) &&
                   v == std::trunc(v)
               ? static_cast<int>(v)
               : VYK_MISS;
}

void store(Walk &w, Role role, float v)
{
    PRF_report *r = w.report;
    PRF_level *lev = w.level < PRF_MAX_LEVELS ? &r->lev[w.level] : nullptr;
    switch (role) {
    case BLOCK: w.block = whole_number(v, MAX_BLOCK); break;
    case STATION: w.station = whole_number(v, MAX_STATION); break;
    case LAT: r->lat = !VYK_is_miss(v) && v >= -90 && v <= 90 ? v : VYK_MISS; break;
    case LON: r->lon = !VYK_is_miss(v) && v >= -180 && v <= 180 ? v : VYK_MISS; break;
    case ELEV: r->elev = v; break;
    case HEIGHT_INC:
        // A missing increment leaves the heights that follow unknown.
        if (VYK_is_miss(v)) {
            w.height = VYK_MISS;
        } else {
            if (!VYK_is_miss(w.height))
                w.height += v;
            w.increment = v;
        }
        break;
    case U:
        if (lev != nullptr) {
            lev->h = w.height;
            if (wind_value(v))
                lev->u = v;
        }
        break;
    case V: if (lev != nullptr && wind_value(v)) lev->v = v; break;
    case W: if (lev != nullptr && wind_value(v)) lev->w = v; break;
    case HDEV: if (lev != nullptr && wind_value(v)) lev->hdev = v; break;
    case VDEV: if (lev != nullptr && wind_value(v)) lev->vdev = v; break;
    case QUALITY: if (lev != nullptr && !VYK_is_miss(v)) lev->q = static_cast<int>(v); break;
    case YEAR: w.msg->date.year = date_field(v, 1, MAX_YEAR); break;
    case MONTH: w.msg->date.month = date_field(v, 1, MAX_MONTH); break;
    case DAY: w.msg->date.day = date_field(v, 1, MAX_DAY); break;
    case HOUR: w.msg->date.hour = date_field(v, 0, MAX_HOUR); break;
    case MINUTE: w.msg->date.min = date_field(v, 0, MAX_MINUTE); break;
    case DROPPED: break;
    }
}

/// Decodes the element at descriptor d.
void element(Walk &w, const PRF_bufr_desc &d)
{
    const int width = width_of(w, d.row);
    if (width < 1 || width > MAX_WIDTH) {
        w.bad_width = true;
        return;
    }
    if (d.row == -1) {  // an element the table lacks, its width given by 2-06: passed over
        const uint32_t raw = read_bits(w.msg->bits, width);
        if (w.trace)
            MESS_print(M_DEBUG, "0 %02d %03d (%d bits) %u passed over\n", d.x, d.y, width, raw);
        return;
    }
    const float v = get_value(w, d.row, width);
    if (w.trace)
        MESS_print(M_DEBUG, "%-15s %f\n", elements[d.row].name, v);
    store(w, row_roles[d.row], v);
}

void operate(Walk &w, const PRF_bufr_desc &d)
{
    if (d.x == OP_WIDTH_CHANGE)
        w.width_change = d.y == 0 ? 0 : d.y - 128;
    else
        w.width_override = d.y;
}

/// At the last position of a replicated block: the next level, and the position to go on from.
int end_of_pass(Walk &w, int i)
{
    w.level++;
    if (++w.rep_pass < w.rep_count) {
        if (!VYK_is_miss(w.height))
            w.height += w.increment;
        return w.rep_first - 1;
    }
    w.rep_last = -1;
    return i;
}

/// Walks the descriptors once: false when the data or a width gave out.
bool walk_subset(Walk &w)
{
    const PRF_bufr_message &msg = *w.msg;
    for (int i = 0; i < msg.num_desc; i++) {
        const PRF_bufr_desc &d = msg.desc[i];
        switch (d.f) {
        case F_ELEMENT: element(w, d); break;
        case F_REPLICATION:
            w.rep_first = i + 1;
            w.rep_last = i + d.x;
            w.rep_count = d.y;
            w.rep_pass = 0;
            if (w.trace)
                MESS_print(M_DEBUG, "Replication: %d descriptors %d times\n", d.x, d.y);
            break;
        case F_OPERATOR: operate(w, d); break;
        default: break;  // refused by the parse
        }
        if (msg.bits.overrun || w.bad_width)
            return false;
        if (i == w.rep_last)
            i = end_of_pass(w, i);
    }
    return true;
}

/// The report's identifier, levels and level count after the walk.
void finish_report(const Walk &w)
{
    PRF_report *r = w.report;
    if (w.block >= 0 && w.station >= 0)
        std::snprintf(r->id, sizeof r->id, "%2.2d%3.3d", w.block, w.station);
    if (w.level > PRF_MAX_LEVELS)
        MESS_print(M_WARN, "PRF_read: message at offset %lld, subset %d: %d levels; those "
                           "beyond %d dropped\n", w.msg->offset, w.msg->subset + 1, w.level,
                   PRF_MAX_LEVELS);
    const int levels = std::min(w.level, PRF_MAX_LEVELS);
    // Winds met after the last pass fill no level of the report: the levels beyond its count
    // go back to how the set-up left them.
    for (int k = levels; k < PRF_MAX_LEVELS; k++) {
        r->lev[k] = PRF_NO_LEVEL;
        if (k < QUALITY_LEVELS)
            r->lev[k].q = 0;
    }
    r->num_levels = PRF_drop_levels_without_height(r->lev, levels);
}

}  // namespace

int PRF_bufr_parse(const unsigned char *octets, size_t size, PRF_bufr_message *msg)
{
    msg->num_desc = msg->num_subsets = msg->subset = 0;
    Sections s;
    if (!find_sections(octets, size, &s, *msg))
        return 0;
    const unsigned char *s1 = octets + s.start[1], *s3 = octets + s.start[3],
                        *s4 = octets + s.start[4];
    const bool trace = tracing();
    if (trace) {
        MESS_print(M_DEBUG, "Sections: %zu %zu %zu %zu\n", s.length[1], s.length[2],
                   s.length[3], s.length[4]);
        trace_section1(s1, msg->edition);
    }
    if (s3[S3_FLAGS - 1] & S3_COMPRESSED)
        return refuse(*msg, "compressed data are not read");
    msg->num_subsets = (s3[S3_SUBSETS - 1] << 8) | s3[S3_SUBSETS];
    if (msg->num_subsets == 0)
        return refuse(*msg, "no data subsets");
    if (!read_descriptors(s3, s.length[3], msg) || !check_descriptors(*msg))
        return 0;
    if (trace) {
        MESS_print(M_DEBUG, "Subsets: %d  descriptors: %d\n", msg->num_subsets, msg->num_desc);
        for (int i = 0; i < msg->num_desc; i++)
            MESS_print(M_DEBUG, "Descriptor %d %02d %03d\n", msg->desc[i].f, msg->desc[i].x,
                       msg->desc[i].y);
    }
    msg->bits = PRF_bufr_bits();
    msg->bits.next = s4 + S4_DATA - 1;
    msg->bits.end = s4 + s.length[4];
    return 1;
}

int PRF_bufr_subset(PRF_bufr_message *msg, PRF_report *report)
{
    if (msg->subset >= msg->num_subsets)
        return 0;
    PRF_initialize(report);
    DATE_init(&msg->date);
    report->wmo = VYK_MISS;
    for (int i = 0; i < QUALITY_LEVELS; i++)
        report->lev[i].q = 0;
    Walk w{msg, report, tracing()};
    if (!walk_subset(w)) {
        if (w.bad_width)
            refuse(*msg, "subset %d: a data width beyond 1 to %d bits", msg->subset + 1,
                   MAX_WIDTH);
        else
            refuse(*msg, "subset %d runs past the end of the data section", msg->subset + 1);
        PRF_initialize(report);
        msg->subset = msg->num_subsets;
        return 0;
    }
    finish_report(w);
    msg->subset++;
    if (w.trace)
        MESS_print(M_DEBUG, "Subset %d of %d decoded; %td octets of data left\n", msg->subset,
                   msg->num_subsets, msg->bits.end - msg->bits.next);
    return 1;
}
