// upa_text.cpp: the text forms of upper-air files, reading side: the older fixed forms (kinds 1
// and 2) and the forms "ZAZUDI", "ZAZUDI+" and "ZAZUDIx" (kinds 3, 4 and 5).  Stations are
// reached by skipping whole stations (lines for kinds 1 to 3, up to the "$" line for kinds 4
// and 5); a station is read token by token, and the stream then goes on from the station's
// start by one skip, so that every read leaves it at the start of the next station.
// The writing side is upa_text_out.cpp.
#include "vyk.h"
#include "upa_level.h"
#include "upa_report.h"
#include "upa_group.h"
#include "upa_file.h"
#include "upa_file_internal.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

constexpr float MISS = VYK_MISS;
constexpr int TOKEN_MAX = 39;     // a station token
constexpr int GROUP_MAX = 9;      // a group token (groups are 5 characters)
constexpr int PRES_MAX = 3;       // a significant-level pressure token
constexpr int HGHT_MAX = 2;       // a wind height token (thousands of feet)
constexpr int COUNT_MAX = 2;      // the significant-level count of the older forms
constexpr int ABOVE_10MB = 5;     // levels above 10 mb
constexpr float FEET_PER_TOKEN = 1000;

struct State {
    FILE *fp = nullptr;
    int kind = 0;
    int access = UPA_ACCESS_READ;
    long out_start = -1;
    int at = -1;        // number of the station at which the stream stands; -1 unknown
    int last = -1;      // number of the station last read
    long offset = -1;   // where that station begins
};

State st;

bool older() { return st.kind == UPA_FILE_OLD4 || st.kind == UPA_FILE_OLD8; }

// ----- the stream -------------------------------------------------------------------------

bool is_blank(int c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

/// Skips blanks and line breaks; false at the end of the stream.
bool skip_space()
{
    int c;
    do c = getc(st.fp); while (c != EOF && is_blank(c));
    if (c == EOF) return false;
    ungetc(c, st.fp);
    return true;
}

/// The next word of at most max characters (the rest of a longer word stays in the stream);
/// false, with buf empty, at the end of the stream.
bool word(char *buf, int max)
{
    buf[0] = '\0';
    if (!skip_space()) return false;
    int n = 0;
    int c = getc(st.fp);
    while (c != EOF && !is_blank(c) && n < max) {
        buf[n++] = static_cast<char>(c);
        if (n < max) c = getc(st.fp);
    }
    if (n < max && c != EOF) ungetc(c, st.fp);
    buf[n] = '\0';
    return n > 0;
}

/// Passes the rest of the current line; false at the end of the stream.
bool skip_line()
{
    for (int c = getc(st.fp); c != EOF; c = getc(st.fp))
        if (c == '\n') return true;
    return false;
}

/// Passes the rest of the current line and reports whether a word on it begins with '-'.
bool line_has_dash()
{
    bool dash = false, start = true;
    for (int c = getc(st.fp); c != EOF && c != '\n'; c = getc(st.fp)) {
        if (start && c == '-') dash = true;
        start = is_blank(c);
    }
    return dash;
}

/// Passes one station from its start: its lines (kinds 1 to 3; a kind 3 station with levels
/// above 10 mb has one more), or its token and everything after it up to a "$" word and the
/// end of its line (a token may itself begin with '$').
void skip_station()
{
    switch (st.kind) {
    case UPA_FILE_OLD4:
        for (int i = 0; i < 5; i++) skip_line();
        return;
    case UPA_FILE_OLD8:
        for (int i = 0; i < 7; i++) skip_line();
        return;
    case UPA_FILE_TEXT: {
        for (int i = 0; i < 3; i++) skip_line();
        const int more = line_has_dash() ? 8 + 1 : 8;  // line 4 holds the levels above 10 mb
        for (int i = 0; i < more; i++) skip_line();
        return;
    }
    default: {
        int c = getc(st.fp);
        while (c != EOF && !is_blank(c)) c = getc(st.fp);  // the station's token
        bool start = true;
        for (; c != EOF; c = getc(st.fp)) {
            if (start && c == '$') {
                skip_line();
                return;
            }
            start = is_blank(c);
        }
        return;
    }
    }
}

/// Back to the first station: the header skipped.
void rewind_stream()
{
    std::rewind(st.fp);
    skip_line();
    if (!older()) skip_line();
    st.at = 0;
}

/// Takes the stream to the start of station n; false when the file ends before it.
bool reach(int n)
{
    if (n == st.last && st.offset >= 0 && std::fseek(st.fp, st.offset, SEEK_SET) == 0) {
        st.at = n;
    } else if (st.at < 0 || n < st.at) {
        rewind_stream();
    }
    while (st.at < n) {
        if (!skip_space()) return false;
        skip_station();
        st.at++;
    }
    if (!skip_space()) return false;
    st.offset = std::ftell(st.fp);
    st.last = n;
    return true;
}

// ----- values of tokens --------------------------------------------------------------------

/// A finite number of the whole token, else -9999.
float number(const char *tok)
{
    char *end = nullptr;
    errno = 0;
    const float v = std::strtof(tok, &end);
    if (end == tok || *end || errno == ERANGE || !std::isfinite(v)) return MISS;
    return v;
}

/// A significant-level pressure token: three digits beginning with '0' carry 1000 mb and above
/// ("012" is 1012 mb); any other number is the pressure itself ("5.0", "850").
float pressure_token(const char *tok)
{
    float p = number(tok);
    const bool thousands = std::strlen(tok) == 3 && tok[0] == '0' && std::isdigit(static_cast<unsigned char>(tok[1])) &&
                           std::isdigit(static_cast<unsigned char>(tok[2]));
    if (!VYK_is_miss(p) && p < 100 && thousands) p += 1000;
    return p;
}

// ----- one station -------------------------------------------------------------------------

/// What a station holds beyond its report, for the modes that read one part of it.
struct Parsed {
    UPA_report r;
    int count = 0;            // older forms: the significant-level count
    char first_sig[PRES_MAX + 1] = "";  // the first significant-level pressure token
    float sig_t = MISS, sig_td = MISS;  // the group after it
    char first_hght[HGHT_MAX + 1] = ""; // newer forms: the first wind height token
    float wnd_dir = MISS, wnd_spd = MISS;  // the group after it (older forms: the first wind)
    bool no_850_pres = false; // kind 3: the group in the 925 mb place had no pressure
};

// Mandatory slots of the older forms, in file order.
constexpr int OLD4_SLOTS[] = {1, 3, 4, 5};
constexpr int OLD8_SLOTS[] = {1, 3, 4, 5, 6, 7, 9, 11};
// Fixed wind heights of the older forms, thousands of feet.
constexpr int OLD4_HGHT[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 14, 15, 16, 18};
constexpr int OLD8_HGHT[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 14, 16, 20, 25, 30, 35, 40, 45, 50};
constexpr int TEXT_SIG = 28, TEXT_WND = 28;  // fixed list lengths of kind 3
constexpr int OLD4_SIG = 14, OLD8_SIG = 21;  // and of the older forms

/// The next group token; "" at the end (decoded as missing).
const char *group(char *buf)
{
    word(buf, GROUP_MAX);
    return buf;
}

void read_ph(UPA_level &l)
{
    char g[GROUP_MAX + 1];
    decd_ph(group(g), &l.p, &l.h);
}

void read_td(float &t, float &td)
{
    char g[GROUP_MAX + 1];
    decd_td(group(g), &t, &td);
}

void read_wd(float &dir, float &spd)
{
    char g[GROUP_MAX + 1];
    decd_wd(group(g), &dir, &spd);
}

void read_slot(UPA_level &l)
{
    read_ph(l);
    read_td(l.t, l.td);
    read_wd(l.dir, l.spd);
}

void skip_words(int n)
{
    char g[GROUP_MAX + 1];
    for (int i = 0; i < n && word(g, GROUP_MAX); i++) {
    }
}

/// kind 5: "wmo:id:lat:lon", each part after the first optional; id at most 10 characters.
void parse_x_token(const char *tok, UPA_report &r)
{
    char *end = nullptr;
    errno = 0;
    const long wmo = std::strtol(tok, &end, 10);
    if (end == tok) return;
    r.wmo = errno == ERANGE || wmo < -99999 || wmo > 99999 ? VYK_MISS : static_cast<int>(wmo);
    if (*end != ':') return;
    const char *id = end + 1;
    const char *colon = std::strchr(id, ':');
    strfcpy(r.id, sizeof r.id, id, colon ? static_cast<size_t>(colon - id) : SIZE_MAX);
    if (!colon) return;
    const char *p = colon + 1;
    const float lat = std::strtof(p, &end);
    if (end == p) return;
    r.lat = std::isfinite(lat) ? lat : MISS;
    if (*end != ':') return;
    p = end + 1;
    const float lon = std::strtof(p, &end);
    if (end != p) r.lon = std::isfinite(lon) ? lon : MISS;
}

/// The station token into the report; false when there is none.
bool read_token(UPA_report &r)
{
    char tok[TOKEN_MAX + 1];
    if (!word(tok, TOKEN_MAX)) return false;
    if (st.kind == UPA_FILE_X) parse_x_token(tok, r);
    else strfcpy(r.id, tok);
    return true;
}

void read_mandatory(Parsed &ps)
{
    UPA_report &r = ps.r;
    if (older()) {
        if (st.kind == UPA_FILE_OLD4) for (int s : OLD4_SLOTS) read_slot(r.man[s]);
        else for (int s : OLD8_SLOTS) read_slot(r.man[s]);
        return;
    }
    for (int s = 1; s <= UPA_MAN_10MB; s++) {
        if (s == 2 && st.kind == UPA_FILE_TEXT) {
            // The 925 mb group is left out when it has no pressure: a group of 850 mb or
            // without a pressure in its place belongs to 850 mb.
            UPA_level l;
            UPA_level_init(&l);
            read_ph(l);
            if (l.p == 850 || VYK_is_miss(l.p)) {
                ps.no_850_pres = VYK_is_miss(l.p);
                r.man[3].p = 850;
                r.man[3].h = l.h;
                read_td(r.man[3].t, r.man[3].td);
                read_wd(r.man[3].dir, r.man[3].spd);
                s = 3;
                continue;
            }
            r.man[2].p = l.p;
            r.man[2].h = l.h;
            read_td(r.man[2].t, r.man[2].td);
            read_wd(r.man[2].dir, r.man[2].spd);
            continue;
        }
        read_slot(r.man[s]);
    }
}

/// Newer forms: the levels above 10 mb, the tropopause and the maximum wind.
void read_special(UPA_report &r)
{
    char tok[GROUP_MAX + 1];
    r.numman = UPA_MAN_LAST - 2;  // 19
    word(tok, GROUP_MAX);
    for (int k = 0; tok[0] == '-' && k < ABOVE_10MB; k++) {
        UPA_level &l = r.man[UPA_MAN_ABOVE + k];
        decd_ph(tok, &l.p, &l.h);
        read_td(l.t, l.td);
        read_wd(l.dir, l.spd);
        r.numman++;
        word(tok, GROUP_MAX);
    }
    float h;
    UPA_level &trop = r.man[UPA_MAN_TROP];
    decd_ph(tok, &h, &trop.p);
    trop.h = MISS;
    read_td(trop.t, trop.td);
    read_wd(trop.dir, trop.spd);
    UPA_level &mwnd = r.man[UPA_MAN_MWND];
    decd_ph(group(tok), &h, &mwnd.p);
    mwnd.h = MISS;
    read_wd(mwnd.dir, mwnd.spd);
}

/// The significant levels; the padding of the fixed forms and the end marker are passed.
void read_sig(Parsed &ps)
{
    UPA_report &r = ps.r;
    char tok[PRES_MAX + 1];
    if (older()) {
        word(tok, COUNT_MAX);
        const float count = number(tok);
        r.numsig = upa_count(VYK_is_miss(count) ? 0 : static_cast<long>(count), r.numsig);
        ps.count = r.numsig;
    }
    const int limit = r.numsig;
    int i = 0;
    bool ended = false;  // by an end marker
    for (; i < limit; i++) {
        if (!word(tok, PRES_MAX)) break;
        if (i == 0) strfcpy(ps.first_sig, tok);
        if (tok[0] == 'X') {
            ended = true;
            break;
        }
        UPA_sig_level &s = r.sig[i];
        s.p = pressure_token(tok);
        read_td(s.t, s.td);
        if (i == 0) {
            ps.sig_t = s.t;
            ps.sig_td = s.td;
            if (!VYK_is_miss(s.p) && s.p > 500) r.man[UPA_MAN_SFC] = {s.p, MISS, s.t, s.td, MISS, MISS};
        }
    }
    r.numsig = i;
    if (older()) {
        const int entries = st.kind == UPA_FILE_OLD4 ? OLD4_SIG : OLD8_SIG;
        skip_words(2 * (entries - i) - (ended ? 1 : 0));
    } else if (st.kind == UPA_FILE_TEXT) {
        skip_words(TEXT_SIG - i - (ended ? 1 : 0));
    } else if (!ended) {
        // A full list still has its end marker before the winds.
        const long at = std::ftell(st.fp);
        if (!word(tok, PRES_MAX) || tok[0] != 'X') std::fseek(st.fp, at, SEEK_SET);
    }
}

void read_winds(Parsed &ps)
{
    UPA_report &r = ps.r;
    const int limit = r.numwnd;
    int i = 0;
    bool ended = false;
    for (; i < limit; i++) {
        UPA_wnd_level &w = r.wnd[i];
        if (!older()) {
            char tok[HGHT_MAX + 1];
            if (!word(tok, HGHT_MAX)) break;
            if (i == 0) strfcpy(ps.first_hght, tok);
            if (tok[0] == 'X' || tok[0] == '$') {
                ended = true;
                break;
            }
            const float h = number(tok);
            w.h = VYK_is_miss(h) ? MISS : h * FEET_PER_TOKEN;
        }
        char g[GROUP_MAX + 1];
        if (!word(g, GROUP_MAX)) break;
        decd_wd(g, &w.dir, &w.spd);
        if (i == 0) {
            ps.wnd_dir = w.dir;
            ps.wnd_spd = w.spd;
            if (w.h == 0) {
                r.man[UPA_MAN_SFC].dir = w.dir;
                r.man[UPA_MAN_SFC].spd = w.spd;
            }
        }
    }
    r.numwnd = i;
    for (int k = i; k < limit; k++) r.wnd[k] = {MISS, MISS, MISS};
    if (st.kind == UPA_FILE_TEXT) skip_words(TEXT_WND - i - (ended ? 1 : 0));
}

/// Reads the whole station at the stream into ps; false when it has no token.
bool parse_station(Parsed &ps)
{
    UPA_report &r = ps.r;
    UPA_initialize(&r);
    const int *hght = nullptr;
    switch (st.kind) {
    case UPA_FILE_OLD4:
        r.numman = 5, r.numsig = OLD4_SIG, r.numwnd = 16, hght = OLD4_HGHT;
        break;
    case UPA_FILE_OLD8:
        r.numman = 11, r.numsig = OLD8_SIG, r.numwnd = 21, hght = OLD8_HGHT;
        break;
    case UPA_FILE_TEXT:
        r.numman = 17, r.numsig = TEXT_SIG, r.numwnd = TEXT_WND;
        break;
    default:
        r.numman = 17, r.numsig = UPA_NUM_SIG, r.numwnd = UPA_NUM_WND;
        break;
    }
    for (int i = 0; hght && i < r.numwnd; i++) r.wnd[i].h = hght[i] * FEET_PER_TOKEN;
    if (!read_token(r)) return false;
    read_mandatory(ps);
    if (!older()) read_special(r);
    read_sig(ps);
    read_winds(ps);
    if (r.numsig == 0) {
        UPA_level *m = r.man;
        if (VYK_is_miss(m[1].t)) m[UPA_MAN_SFC].p = m[1].p;
        else if (VYK_is_miss(m[2].t)) m[UPA_MAN_SFC].p = m[2].p;
    }
    return true;
}

/// Mode 0: the surface from the first significant level and the first wind.
void surface(const Parsed &ps, UPA_report *report)
{
    UPA_level &sfc = report->man[UPA_MAN_SFC];
    report->numsig = older() ? ps.count : VYK_MISS;
    const bool none = ps.first_sig[0] == 'X' || ps.first_sig[0] == '\0' || (older() && ps.count == 0);
    if (!none) {
        const float p = pressure_token(ps.first_sig);
        if (!VYK_is_miss(p) && p >= 500) {
            sfc.p = p;
            sfc.t = ps.sig_t;
            sfc.td = ps.sig_td;
        }
    }
    const bool wind = older() ? ps.r.numwnd > 0
                              : std::strlen(ps.first_hght) >= 2 && number(ps.first_hght) == 0;
    if (wind) {
        sfc.dir = ps.wnd_dir;
        sfc.spd = ps.wnd_spd;
    }
}

/// Whether the form carries mandatory slot s.
bool carries(int s, const Parsed &ps)
{
    if (st.kind == UPA_FILE_OLD4) return s == 1 || s == 3 || s == 4 || s == 5;
    if (st.kind == UPA_FILE_OLD8) {
        for (int k : OLD8_SLOTS)
            if (k == s) return true;
        return false;
    }
    if (s == 3 && ps.no_850_pres) return false;
    return (s >= 1 && s <= UPA_MAN_10MB) || s == UPA_MAN_TROP || s == UPA_MAN_MWND;
}

int read_station(UPA_report *report, int mode, int n)
{
    if (!reach(n)) return -1;
    Parsed ps;
    const bool got = parse_station(ps);
    std::fseek(st.fp, st.offset, SEEK_SET);
    skip_station();
    st.at = n + 1;
    if (!got) return -1;
    UPA_initialize(report);
    if (mode == UPA_READ_ALL) {
        const int type = report->type;
        *report = ps.r;
        report->type = type;
        return 0;
    }
    strfcpy(report->id, ps.r.id);
    report->wmo = ps.r.wmo;
    report->lat = ps.r.lat;
    report->lon = ps.r.lon;
    if (mode == UPA_READ_ID) return 0;
    if (mode == UPA_READ_SFC) {
        surface(ps, report);
        return 0;
    }
    if (mode > 0 && mode < UPA_NUM_MAN && carries(mode, ps)) report->man[UPA_MAN_SFC] = ps.r.man[mode];
    report->numman = 1;
    return 0;
}

// ----- the back end -----------------------------------------------------------------------

int text_open(const char *name, int access, int kind)
{
    long start = -1;
    FILE *fp = upa_open_stream(name, access, false, &start);
    if (!fp) return -1;
    st = State{};
    st.fp = fp;
    st.kind = kind;
    st.access = access;
    st.out_start = start;
    return fileno(fp);
}

int text_close()
{
    const int result = upa_close_stream(st.fp, st.access, st.out_start);
    st = State{};
    return result;
}

int text_rewind()
{
    if (st.access != UPA_ACCESS_READ) return -1;
    rewind_stream();
    st.last = -1;
    st.offset = -1;
    return 0;
}

int text_getinfo(UPA_info *info)
{
    if (st.access != UPA_ACCESS_READ) return 0;
    std::rewind(st.fp);
    if (!older()) skip_line();
    char line[sizeof info->datim] = "";
    int n = 0;
    for (int c = getc(st.fp); c != EOF && c != '\n'; c = getc(st.fp))
        if (n < static_cast<int>(sizeof line) - 1 && c != '\r') line[n++] = static_cast<char>(c);
    line[n] = '\0';
    strfcpy(info->datim, line);
    DATE_decode_label(info->datim, &info->date);
    st.at = -1;
    st.last = -1;
    st.offset = -1;
    return 0;
}

int text_putinfo(UPA_info *info) { return upa_text_putinfo(st.fp, st.kind, info); }

int text_read(UPA_report *report, int mode, int statnum) { return read_station(report, mode, statnum); }

int text_write(UPA_report *report, int *statnum)
{
    upa_text_write(st.fp, st.kind, report);
    (*statnum)++;
    return 0;
}

}  // namespace

const UPA_backend UPA_text_backend = {text_open, text_close, text_rewind, text_getinfo,
                                      text_putinfo, text_read, text_write};
