// GRIB framing and message search: the framing before each message (heading line, LDM
// bulletin, size line, none), the WMO heading, the indicator section and the edition, the
// message's end, the file's first date, raw copies of a message, and the two numeric
// conversions of GRIB edition 1 (IBM floating point, power-of-two scale factors).
//
// The magic is found with a sliding window, so a magic right after a stray 'G' or 'B' ("GGRIB")
// is found.  The framings are tried in the order heading line, LDM, size line, bare.  Stated lengths are checked before the stream moves by them: a message too long to
// be taken is stepped over by its length, one too short to hold its sections is left behind
// its indicator section, both with a warning.
#include "grib_internal.h"

#include <cctype>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <vector>

namespace {

/// Octets of the indicator section: editions 0 and 1, edition 2.
constexpr int IND_LEN_1 = 8;
constexpr int IND_LEN_2 = 16;
/// The smallest edition-1 message: indicator, product definition, data header, end section.
constexpr long MIN_SIZE_1 = 8 + 28 + 11 + 4;
/// The smallest edition-2 message: indicator, identification, end section.
constexpr long MIN_SIZE_2 = 16 + 21 + 4;
/// Octets after the message that the heading-line and LDM framings add (CR CR LF ETX); one
/// after an edition-1 message in the heading-line framing.
constexpr long TRAILER_2 = 4;
constexpr long TRAILER_1_HEADING = 1, TRAILER_1_LDM = 4;
/// Octets GRIB_get_info reads after the indicator section.
constexpr size_t INFO_LEN = 40;

constexpr int SOH = 0x01, ETX = 0x03;

constexpr uint32_t magic(const char *m)
{
    return (uint32_t(uint8_t(m[0])) << 24) | (uint32_t(uint8_t(m[1])) << 16) |
           (uint32_t(uint8_t(m[2])) << 8) | uint32_t(uint8_t(m[3]));
}
constexpr uint32_t MAGIC_GRIB = magic("GRIB"), MAGIC_GRID = magic("GRID"),
                   MAGIC_BUFR = magic("BUFR");

struct State {
    unsigned char ind[IND_LEN_2] = {};  // indicator section of the current message
    char wmo_header[GRIB_HEADING_MAX + 1] = "";
    int version = -1;       // edition of the last message found
    int discipline = -1;    // discipline octet of the last edition-2 message
    long grid_size = 0;     // size-line framing: the absolute end of the message
    long cur_pos = 0;       // start of the message GRIB_get_raw copied last
    long new_pos = 0;       // its end (after a search: the position behind octet 8)
    int bad_max = -1;       // threshold of the edition-1 corrupt-data check; -1 off
    bool refused = false;   // the last GRIB_next refused the stated length
};

State st;

bool is_ws(int c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// ---------------------------------------------------------------------------------------------
// A small scanner with the rules of the C library's formatted input: a white-space directive
// takes any run of white space (none too), a literal must match or the mismatching character
// stays in the stream, a conversion takes at least one character.
// ---------------------------------------------------------------------------------------------

enum Scan { SCAN_OK, SCAN_NO, SCAN_EOF };

void skip_ws(FILE *fp)
{
    int c;
    while ((c = std::getc(fp)) != EOF && is_ws(c)) {
    }
    if (c != EOF) std::ungetc(c, fp);
}

Scan literal(FILE *fp, int want)
{
    const int c = std::getc(fp);
    if (c == EOF) return SCAN_EOF;
    if (c == want) return SCAN_OK;
    std::ungetc(c, fp);
    return SCAN_NO;
}

/// Up to max characters none of which is in stop (and none a NUL), at least one: %max[^stop].
Scan chars_until(FILE *fp, const char *stop, char *out, int max)
{
    int n = 0, c = EOF;
    while (n < max && (c = std::getc(fp)) != EOF) {
        if (std::strchr(stop, c) != nullptr && c != '\0') {
            std::ungetc(c, fp);
            break;
        }
        if (out) out[n] = static_cast<char>(c);
        n++;
    }
    if (out) out[n] = '\0';
    if (n == 0) return c == EOF ? SCAN_EOF : SCAN_NO;
    return SCAN_OK;
}

/// A decimal number after optional white space: %ld.
Scan number(FILE *fp, long *v)
{
    skip_ws(fp);
    int c = std::getc(fp);
    if (c == EOF) return SCAN_EOF;
    bool neg = false;
    if (c == '-' || c == '+') {
        neg = c == '-';
        c = std::getc(fp);
    }
    if (c == EOF || !std::isdigit(c)) {
        if (c != EOF) std::ungetc(c, fp);
        return SCAN_NO;
    }
    long r = 0;
    while (c != EOF && std::isdigit(c)) {
        if (r < 100000000000L) r = r * 10 + (c - '0');
        c = std::getc(fp);
    }
    if (c != EOF) std::ungetc(c, fp);
    *v = neg ? -r : r;
    return SCAN_OK;
}

/// A literal text; the first mismatch ends it.
Scan text(FILE *fp, const char *s)
{
    for (; *s; s++) {
        const Scan r = literal(fp, static_cast<unsigned char>(*s));
        if (r != SCAN_OK) return r;
    }
    return SCAN_OK;
}

/// The heading of the LDM and size-line framings: white space, up to 30 characters up to CR
/// or LF, white space.
Scan heading(FILE *fp)
{
    skip_ws(fp);
    char h[GRIB_HEADING_MAX + 1];
    const Scan r = chars_until(fp, "\r\n", h, GRIB_HEADING_MAX);
    if (r != SCAN_OK) return r;
    skip_ws(fp);
    strfcpy(st.wmo_header, h);
    return SCAN_OK;
}

/// The slot's record when it holds an open stream, else NULL.
GRD_file *stream_file(int grd_fd)
{
    GRD_file *f = GRD_get_gfile(grd_fd);
    return f && f->file ? f : nullptr;
}

/// The octets 5 to 8 (and 9 to 16 for edition 2) of an indicator section whose magic is in
/// st.ind; the result of GRIB_search.
int read_indicator(FILE *fp)
{
    std::memset(st.ind + 4, 0, sizeof st.ind - 4);
    if (!grib_read(fp, st.ind + 4, 4)) return -1;
    st.new_pos = std::ftell(fp);
    const uint32_t m = grib_uint(st.ind, 4);
    if (st.ind[7] == 2 && m == MAGIC_GRIB) {
        if (!grib_read(fp, st.ind + IND_LEN_1, IND_LEN_2 - IND_LEN_1)) return -1;
        st.discipline = st.ind[6];
        st.version = 2;
        return IND_LEN_2 - IND_LEN_1;
    }
    if (st.ind[7] == 1 && (m == MAGIC_GRIB || m == MAGIC_BUFR)) st.version = 1;
    return 4;
}

/// Result of a framing whose pattern matched: the search's.
int after_match(int grd_fd, GRD_file *f, int kind)
{
    f->itype = kind;
    return GRIB_search(grd_fd) < 0 ? -1 : 1;
}

/// The end of a message that carries no length: past a run of at least three '7' characters,
/// at the next 'G' or 'B' or just past the next '*' or ETX.  -1 at the end of the stream.
long scan_end(FILE *fp)
{
    int sevens = 0, c;
    while (sevens < 3 && (c = std::getc(fp)) != EOF) sevens = c == '7' ? sevens + 1 : 0;
    if (sevens < 3) return -1;
    while ((c = std::getc(fp)) != EOF) {
        if (c == 'G' || c == 'B') return std::ftell(fp) - 1;
        if (c == '*' || c == ETX) return std::ftell(fp);
    }
    return -1;
}

/// The end of a message whose length the indicator states (edition 1 in octets 5-7, edition 2
/// in octets 13-16), from the position after the indicator section.
long stated_end(long pos, long len, long ind_len, long min_len, long trailer)
{
    if (len > GRIB_MAX_SIZE) {
        MESS_print(M_WARN, "Invalid product size: %ld\n", len);
        st.refused = true;
        return pos + len - ind_len + trailer;  // stepped over by its length
    }
    if (len < min_len) {
        MESS_print(M_WARN, "Invalid product size: %ld\n", len);
        st.refused = true;
        return pos;  // the search goes on behind the indicator section
    }
    return pos + len - ind_len + trailer;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Octets and streams
// ---------------------------------------------------------------------------------------------

FILE *grib_stream(int grd_fd)
{
    GRD_file *f = stream_file(grd_fd);
    return f ? f->file : nullptr;
}

bool grib_read(FILE *fp, unsigned char *buf, size_t n)
{
    return n == 0 || std::fread(buf, 1, n, fp) == n;
}

bool grib_skip(FILE *fp, long n)
{
    if (n <= 0) return n == 0;
    const long pos = std::ftell(fp);
    if (pos >= 0 && std::fseek(fp, pos + n, SEEK_SET) == 0) return true;
    unsigned char buf[4096];
    while (n > 0) {
        const size_t want = n < long(sizeof buf) ? size_t(n) : sizeof buf;
        if (std::fread(buf, 1, want, fp) != want) return false;
        n -= long(want);
    }
    return true;
}

bool grib_seek(FILE *fp, long pos) { return pos >= 0 && std::fseek(fp, pos, SEEK_SET) == 0; }

const unsigned char *grib_indicator() { return st.ind; }

// ---------------------------------------------------------------------------------------------
// Framing
// ---------------------------------------------------------------------------------------------

int GRIB_header(int grd_fd)
{
    GRD_file *f = stream_file(grd_fd);
    if (!f) return -1;
    st.ind[0] = 0;
    const long old_pos = std::ftell(f->file);
    // The framing to try first again: the stream's own, kept with its read positions.
    int &prev = grd_pos(f).frame_prev;
    if (prev != GRIB_FRAME_UNKNOWN) {
        f->itype = prev;
        prev = GRIB_FRAME_UNKNOWN;
    }
    if (f->itype != GRIB_FRAME_UNKNOWN) {
        int r = 0;
        switch (f->itype) {
        case GRIB_FRAME_HEADING: r = GRIB_header_vyk(grd_fd); break;
        case GRIB_FRAME_LDM: r = GRIB_header_ldm(grd_fd, old_pos); break;
        case GRIB_FRAME_SIZE: r = GRIB_header_old_vyk(grd_fd); break;
        case GRIB_FRAME_RAW: r = GRIB_header_raw(grd_fd, old_pos); break;
        default: break;
        }
        if (r != 0) return r;
        if (f->itype != GRIB_FRAME_RAW) prev = f->itype;
        f->itype = GRIB_FRAME_UNKNOWN;
    }
    // The size line before the bare message: a size line begins with the magic's letters, so
    // the bare framing would take "GRIB:" for a message; a bare message whose magic the size
    // line's trial took is completed by the bare framing.
    int r = GRIB_header_vyk(grd_fd);
    if (r == 0) r = GRIB_header_ldm(grd_fd, old_pos);
    if (r == 0) r = GRIB_header_old_vyk(grd_fd);
    if (r == 0) r = GRIB_header_raw(grd_fd, old_pos);
    return r;
}

int GRIB_header_vyk(int grd_fd)
{
    GRD_file *f = stream_file(grd_fd);
    if (!f) return -1;
    FILE *fp = f->file;
    int c = std::getc(fp);
    if (c == EOF) return -1;
    if (c == '\r' || c == '\n' || c == ETX) {
        while ((c = std::getc(fp)) != EOF && (c == '\r' || c == '\n' || c == ETX)) {
        }
        if (c == EOF) return -1;
    }
    std::ungetc(c, fp);
    Scan r = text(fp, "**");
    if (r != SCAN_OK) return r == SCAN_EOF ? -1 : 0;
    skip_ws(fp);
    char h[GRIB_HEADING_MAX + 1];
    r = chars_until(fp, "\n", h, GRIB_HEADING_MAX);
    if (r != SCAN_OK) return r == SCAN_EOF ? -1 : 0;
    skip_ws(fp);
    const size_t n = std::strlen(h);
    h[n >= 3 ? n - 3 : 0] = '\0';
    strfcpy(st.wmo_header, h);
    return after_match(grd_fd, f, GRIB_FRAME_HEADING);
}

int GRIB_header_ldm(int grd_fd, long old_pos)
{
    GRD_file *f = stream_file(grd_fd);
    if (!f) return -1;
    FILE *fp = f->file;
    if (std::ftell(fp) != old_pos) return 0;
    long seq = 0;
    auto bulletin = [&] {
        return literal(fp, SOH) == SCAN_OK && number(fp, &seq) == SCAN_OK &&
               heading(fp) == SCAN_OK;
    };
    if (bulletin()) return after_match(grd_fd, f, GRIB_FRAME_LDM);
    if (std::ftell(fp) != old_pos) return 0;
    // The remains of the previous bulletin (white space and ETX) before this one.
    skip_ws(fp);
    if (literal(fp, ETX) == SCAN_OK) {
        skip_ws(fp);
        if (bulletin()) return after_match(grd_fd, f, GRIB_FRAME_LDM);
    }
    return 0;
}

int GRIB_header_raw(int grd_fd, long old_pos)
{
    GRD_file *f = stream_file(grd_fd);
    if (!f) return -1;
    f->itype = GRIB_FRAME_RAW;
    strfcpy(st.wmo_header, GRIB_RAW_HEADING);
    if (std::ftell(f->file) == old_pos + 4) {
        // An earlier trial took the magic "GRIB".
        std::memcpy(st.ind, "GRIB", 4);
        return read_indicator(f->file) < 0 ? -1 : 1;
    }
    return GRIB_search(grd_fd) < 0 ? -1 : 1;  // the search ends only at the end of the stream
}

int GRIB_header_old_vyk(int grd_fd)
{
    GRD_file *f = stream_file(grd_fd);
    if (!f) return -1;
    FILE *fp = f->file;
    const long start = std::ftell(fp);
    Scan r = text(fp, "GRIB:");
    long size = 0;
    if (r == SCAN_OK) r = number(fp, &size);
    if (r == SCAN_EOF) return -1;
    if (r != SCAN_OK) {
        grib_seek(fp, start);  // the letters it took may begin a message
        return 0;
    }
    skip_ws(fp);
    st.grid_size = size + std::ftell(fp);
    // SOH, the sequence-number line, the heading.
    if (literal(fp, SOH) == SCAN_OK) {
        skip_ws(fp);
        chars_until(fp, "\n", nullptr, 1 << 20);
        heading(fp);
    }
    return after_match(grd_fd, f, GRIB_FRAME_SIZE);
}

int GRIB_search(int grd_fd)
{
    FILE *fp = grib_stream(grd_fd);
    if (!fp) return -1;
    uint32_t window = 0;
    int seen = 0, c;
    for (;;) {
        if ((c = std::getc(fp)) == EOF) return -1;
        window = (window << 8) | static_cast<uint32_t>(c);
        if (++seen >= 4 &&
            (window == MAGIC_GRIB || window == MAGIC_GRID || window == MAGIC_BUFR))
            break;
    }
    for (int i = 0; i < 4; i++) st.ind[i] = static_cast<unsigned char>(window >> (24 - 8 * i));
    return read_indicator(fp);
}

long GRIB_next(int grd_fd, int where)
{
    GRD_file *f = stream_file(grd_fd);
    if (!f) return -1;
    FILE *fp = f->file;
    st.refused = false;
    const long pos = std::ftell(fp);
    const uint32_t m = grib_uint(st.ind, 4);
    long end = -1;
    switch (f->itype) {
    case GRIB_FRAME_HEADING:
    case GRIB_FRAME_LDM:
    case GRIB_FRAME_RAW:
        if (m == MAGIC_GRIB && st.ind[7] == 2) {
            const long trailer = f->itype == GRIB_FRAME_RAW ? 0 : TRAILER_2;
            end = stated_end(pos, long(grib_uint(st.ind + 12, 4)), IND_LEN_2, MIN_SIZE_2,
                             trailer);
        } else if ((m == MAGIC_GRIB || m == MAGIC_BUFR) && st.ind[7] == 1) {
            const long trailer = f->itype == GRIB_FRAME_HEADING ? TRAILER_1_HEADING
                                 : f->itype == GRIB_FRAME_LDM   ? TRAILER_1_LDM
                                                                : 0;
            end = stated_end(pos, long(grib_uint(st.ind + 4, 3)), IND_LEN_1, MIN_SIZE_1,
                             trailer);
        } else {
            end = scan_end(fp);
            st.version = 0;
            if (!where || end < 0) grib_seek(fp, pos);
        }
        break;
    case GRIB_FRAME_SIZE:
        if (st.grid_size < 0 || st.grid_size - pos > GRIB_MAX_SIZE) return -1;
        end = st.grid_size + 1;
        break;
    default: return -1;
    }
    if (where && end > 0) grib_seek(fp, end);
    return end;
}

int GRIB_size_refused() { return st.refused ? 1 : 0; }

int GRIB_get_version() { return st.version; }

int GRIB_get_edition() { return st.ind[7]; }

char GRIB_get_type() { return static_cast<char>(st.ind[3]); }

int GRIB_get_WMO_header(int, char *header)
{
    if (header) std::memcpy(header, st.wmo_header, GRIB_WMO_HEADER_LEN);
    return 0;
}

int GRIB_get_info(int grd_fd, GRD_info *info)
{
    GRD_file *f = stream_file(grd_fd);
    if (!f || !info) return -1;
    unsigned char b[INFO_LEN];
    if (!grib_read(f->file, b, sizeof b)) return -1;
    Date date{};
    if (st.ind[7] == 2) {
        // Section 1: year in octets 13-14, month, day, hour, minute.
        date.year = int(grib_uint(b + 12, 2));
        date.month = b[14];
        date.day = b[15];
        date.hour = b[16];
        date.min = b[17];
        f->grid = 2;
    } else {
        // The product definition section: edition 1 from message octet 9; edition 0 began at
        // octet 5, so its octet n is b[n - 5].
        unsigned char pds[INFO_LEN + 4];
        if (st.ind[7] == 1) {
            std::memcpy(pds, b, INFO_LEN);
        } else {
            std::memcpy(pds, st.ind + 4, 4);
            std::memcpy(pds + 4, b, INFO_LEN);
        }
        f->grid = st.ind[7] == 0 && pds[4] == 98 ? 10 : st.ind[7];
        auto o = [&](int n) { return int(pds[n - 1]); };  // octet n
        date.year = grib_year(o(13));
        date.month = o(14) > 12 ? 1 : o(14);
        date.day = o(15);
        date.hour = o(16);
        date.min = 0;
    }
    info->date = date;
    DATE_make_label(&date, info->datim, sizeof info->datim);
    return 0;
}

namespace {

/// Hands the octets of a copy to the caller: into *data, or a new array when *data is NULL.
long hand_over(const unsigned char *octets, long n, unsigned char **data, long *size)
{
    if (*data && *size < n) {
        MESS_print(M_WARN, "GRIB_get_raw: the product needs %ld octets, the buffer holds %ld\n",
                   n, *size);
        return -1;
    }
    unsigned char *buf = *data;
    if (!buf) {
        buf = new (std::nothrow) unsigned char[size_t(n)];
        if (!buf) return -1;
        *data = buf;
    }
    std::memcpy(buf, octets, size_t(n));
    *size = n;
    return n;
}

}  // namespace

long GRIB_get_raw(int grd_fd, unsigned char **data, long *size)
{
    GRD_file *f = stream_file(grd_fd);
    if (!f || !data || !size) return -1;
    FILE *fp = f->file;
    const GRD_pos &p = grd_pos(f);
    std::vector<unsigned char> octets;
    if (p.cont || p.pcont) {
        // A field of a message that holds several: a message of its own, holding the sections
        // the field inherits and its own.
        st.cur_pos = p.msg_pos;
        const bool ok = grib2_field_copy(grd_fd, p.msg_pos, p.field, octets);
        grib_seek(fp, p.cur_pos);
        if (!ok) return -1;
        st.new_pos = st.cur_pos + long(octets.size());
        return hand_over(octets.data(), long(octets.size()), data, size);
    }
    st.cur_pos = GRD_get_pos(grd_fd);
    if (!grib_seek(fp, st.cur_pos) || GRIB_header(grd_fd) != 1) return -1;
    st.new_pos = GRIB_next(grd_fd, 1);
    const bool refused = GRIB_size_refused();
    grib_seek(fp, st.cur_pos);
    const long n = st.new_pos - st.cur_pos;
    if (refused || st.new_pos < 0 || n < 1 || n > GRIB_MAX_SIZE) return -1;
    octets.resize(size_t(n));
    const size_t got = std::fread(octets.data(), 1, size_t(n), fp);
    grib_seek(fp, st.cur_pos);
    if (got == 0) return -1;
    return hand_over(octets.data(), long(got), data, size);
}

int GRIB_set_max_bad(int n)
{
    st.bad_max = n;
    return 0;
}

int GRIB_get_max_bad() { return st.bad_max; }

// ---------------------------------------------------------------------------------------------
// Grid definitions
// ---------------------------------------------------------------------------------------------

void grib_projected_centre(Domain &d, float la1, float lo1, float xdir, float ydir)
{
    const MAP_keep keep;
    Domain tmp = d;
    tmp.clat = la1;
    tmp.clon = lo1;
    MAP_domain(&tmp);
    float x1, y1;
    MAP_tran(la1, lo1, &x1, &y1);
    const float cx = x1 + xdir * float(d.nx - 1) / 2.0f * d.dx;
    const float cy = y1 + ydir * float(d.ny - 1) / 2.0f * d.dy;
    MAP_untran(cx, cy, &d.clat, &d.clon);
}

void grib_mercator_grid(Domain &d, float la1, float lo1, float la2, float lo2)
{
    const MAP_keep keep;
    Domain tmp = d;
    tmp.clat = (la1 + la2) / 2;
    tmp.clon = d.plon;
    MAP_domain(&tmp);
    float x1, y1, x2, y2;
    MAP_tran(la1, lo1, &x1, &y1);
    MAP_tran(la2, lo2, &x2, &y2);
    d.dx = d.nx > 1 ? std::fabs(x2 - x1) / float(d.nx - 1) : 0.0f;
    d.dy = d.ny > 1 ? std::fabs(y2 - y1) / float(d.ny - 1) : 0.0f;
    MAP_untran((x1 + x2) / 2, (y1 + y2) / 2, &d.clat, &d.clon);
}

// ---------------------------------------------------------------------------------------------
// Conversions
// ---------------------------------------------------------------------------------------------

float GRIB_flt_conv(const unsigned char *pc)
{
    if (pc[0] == 0) return 0.0f;
    const int exponent = (pc[0] & 0x7f) - 64;
    const double mantissa = pc[1] / 256.0 + pc[2] / 65536.0 + pc[3] / 16777216.0;
    double v = std::ldexp(mantissa, 4 * exponent);
    if (v > double(std::numeric_limits<float>::max())) v = double(HUGE_VALF);
    return static_cast<float>((pc[0] & 0x80) ? -v : v);
}

float GRIB_scl_conv(const unsigned char *pc)
{
    if (pc[0] == 0 && pc[1] == 0) return 1.0f;
    int e = (pc[0] & 0x7f) * 256 + pc[1];
    if (pc[0] & 0x80) e = -e;
    const double v = std::ldexp(1.0, e);
    return v > double(std::numeric_limits<float>::max()) ? HUGE_VALF : static_cast<float>(v);
}
