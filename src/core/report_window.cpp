// Report time window: the reports of a data file are accepted only when their time (hour and
// minute) lies in a window around the file's own time.  The base is the file's date with the
// decoding hour and minute applied (forced by the file layer or given by `decode_hour`); the
// window runs from min_pre to min_post minutes around it.  Everything is counted in seconds
// since 1970, so windows that cross midnight work.
#include "vykbase.h"
#include "vykmess.h"
#include "vykfname.h"
#include "vykdate.h"
#include "vykresrc.h"

#include <cctype>
#include <climits>
#include <cstdint>
#include <initializer_list>
#include <strings.h>

namespace {

// The component's state; the member initialisers are the start values.
struct State {
    Date file_date = {VYK_MISS, VYK_MISS, VYK_MISS, VYK_MISS,
                      VYK_MISS, VYK_MISS, VYK_MISS, VYK_MISS};
    int64_t base = 0;   // seconds of the file date with the decoding hour and minute
    int min_pre = -15;  // the window in minutes around the base
    int min_post = 10;
    int64_t begin = 60 * int64_t{min_pre};  // the window in seconds since 1970
    int64_t end = 60 * int64_t{min_post};
};
State st;

// Reads numbers from s as the C scanf family does with a pattern of %d directives and literal
// characters, storing them in order into the targets; returns how many were stored.  A number
// too large for an int is held at the int's limit.
int scan_ints(const char *s, const char *pattern, std::initializer_list<int *> targets)
{
    auto target = targets.begin();
    int stored = 0;
    for (const char *f = pattern; *f; f++) {
        if (*f == '%' && f[1] == 'd') {
            f++;
            while (isspace(static_cast<unsigned char>(*s))) s++;
            const char *p = s;
            bool neg = false;
            if (*p == '+' || *p == '-') neg = *p++ == '-';
            if (!isdigit(static_cast<unsigned char>(*p))) return stored;
            int64_t v = 0;
            while (isdigit(static_cast<unsigned char>(*p))) {
                if (v <= INT_MAX) v = v * 10 + (*p - '0');
                p++;
            }
            if (neg) v = -v;
            if (v > INT_MAX) v = INT_MAX;
            if (v < INT_MIN) v = INT_MIN;
            s = p;
            if (target == targets.end()) return stored;
            **target++ = static_cast<int>(v);
            stored++;
        } else if (isspace(static_cast<unsigned char>(*f))) {
            while (isspace(static_cast<unsigned char>(*s))) s++;
        } else {
            if (*s != *f) return stored;
            s++;
        }
    }
    return stored;
}

// Resolves a step code v = -(o*100 + k) against the value x: every k units from o.  A step of
// 0 means the fixed value o.  Against a value that is not known (-9999) the code stays as it is.
int resolve(int v, int x)
{
    if (v >= 0 || v == VYK_MISS || x == VYK_MISS) return v;
    const int64_t code = -int64_t{v};
    const int64_t k = code % 100;
    const int64_t o = code / 100;
    const int64_t r = k == 0 ? o : (x / k) * k + o;
    return r > INT_MAX ? INT_MAX : static_cast<int>(r);
}

// Moves the date by hours (negative: back) through its seconds since 1970.
void move_hours(Date &date, int hours)
{
    Date d = date;
    const int64_t secs = DATE_num_sec(&d) + 3600 * int64_t{hours};
    DATE_get_gmdate(&secs, &date);
}

// The current-time forms of the decode_hour text s ("cu:cu-B+A", "cu-T-B+A", "cu-B+A", "cu-T",
// "cu:M-B+A", "cu:M"): the decoding hour h and minute m from the file date (moved back T hours
// first) and the window.  Returns the number of fields that count.
int read_current_form(const char *s, int &h, int &m)
{
    int n;
    if (strncasecmp(s, "cu:cu", 5) == 0) {
        int back = 0;
        n = scan_ints(s + 5, "-%d+%d", {&back, &st.min_post});
        if (n == 2) st.min_pre = -back;
        h = st.file_date.hour;
        m = st.file_date.min;
        return n > 0 ? n + 2 : 2;
    }
    const char *r = s + 2;
    int t = 0, u = 0;
    h = st.file_date.hour;
    m = 0;
    n = scan_ints(r, "-%d-%d+%d", {&t, &u, &st.min_post});
    if (n == 3) {
        move_hours(st.file_date, -t);
        h = st.file_date.hour;
        m = st.file_date.min;
        st.min_pre = -u;
    } else if (n == 1) {
        n = scan_ints(r, "-%d+%d", {&u, &st.min_post});
        if (n == 2) {
            st.min_pre = -u;
        } else if (n == 1) {
            move_hours(st.file_date, -u);
            h = st.file_date.hour;
            m = st.file_date.min;
            n = 0;
        }
    } else if (n == 0) {
        n = scan_ints(r, ":%d-%d+%d", {&t, &u, &st.min_post});
        if (n == 3) {
            m = t;
            st.min_pre = -u;
        } else if (n == 1) {
            m = t;
        }
    }
    return n > 0 ? n + 2 : 2;
}

// Reads the decode_hour text s: the decoding hour and minute (into fhour and fmin, step codes
// resolved against the file date) and the window of minutes around them.
void read_decode_hour(const char *s, int &fhour, int &fmin)
{
    int h = 0, m = 0, count = 0;
    int n = scan_ints(s, "%d:%d-%d+%d", {&h, &m, &st.min_pre, &st.min_post});
    if (n >= 2) {
        count = n;
        if (n >= 3) st.min_pre = -st.min_pre;
    } else if ((n = scan_ints(s, "%d-%d+%d", {&h, &st.min_pre, &st.min_post})) >= 1) {
        if (n >= 2) st.min_pre = -st.min_pre;
        m = 0;
        count = n + 1;
    } else if ((n = scan_ints(s, ":-%d+%d", {&st.min_pre, &st.min_post})) >= 1) {
        // A window with no decoding time.  A start without an end (":-20") is a start before
        // the base as well: taking it as after the base would leave an empty window that
        // rejects every report.
        st.min_pre = -st.min_pre;
        count = 9;
    } else if (strncasecmp(s, "cu", 2) == 0) {
        count = read_current_form(s, h, m);
    }
    if (count >= 1 && count <= 8) {
        fhour = resolve(h, st.file_date.hour);
        fmin = resolve(m, st.file_date.min);
        MESS_print(M_MESS, "Decoding for: %2.2d:%2.2dZ\n", fhour, fmin);
    }
    if (count > 2) MESS_print(M_MESS, "Decoding range: %d +%d mins\n", st.min_pre, st.min_post);
    DATE_set_range(st.min_pre, st.min_post);
}

// A decoding hour or minute (a step resolved against the file's own) into field; a value of
// limit or more (24 hours, 60 minutes) leaves 0 there and returns its seconds to carry.
int64_t place(int forced, int &field, int limit, int64_t unit)
{
    if (forced == VYK_MISS) return 0;
    const int v = resolve(forced, field);
    if (v < 0) return 0;
    field = v;
    if (v < limit) return 0;
    field = 0;
    return unit * v;
}

// The decoding hour and minute replace the file's own; a step falls on or after it and may pass
// the end of the day (or hour), which is carried into the date.  Then the base and the window
// in seconds.
void place_window(int fhour, int fmin)
{
    const int64_t carry = place(fhour, st.file_date.hour, 24, 3600) +
                          place(fmin, st.file_date.min, 60, 60);
    if (st.file_date.min == VYK_MISS) st.file_date.min = 0;

    st.base = DATE_num_sec(&st.file_date);
    if (carry != 0) {
        st.base += carry;
        DATE_get_gmdate(&st.base, &st.file_date);
    }
    st.begin = st.base + 60 * int64_t{st.min_pre};
    st.end = st.base + 60 * int64_t{st.min_post};
}

}  // namespace

int DATE_set_range(int pre, int post)
{
    st.min_pre = pre;
    st.min_post = post;
    return 0;
}

int DATE_get_datim(Date *date)
{
    if (date) *date = st.file_date;
    return 0;
}

int DATE_set_datim(const Date *date)
{
    if (date) st.file_date = *date;
    else DATE_init(&st.file_date);

    Date forced;
    FILE_get_time(&forced);
    int fhour = forced.hour;
    int fmin = forced.min;
    if (const char *s = RES_get("decode_hour")) read_decode_hour(s, fhour, fmin);
    place_window(fhour, fmin);
    return 0;
}

int DATE_chk_range(int t)
{
    if (t == VYK_MISS) return 0;
    const int64_t h = t / 100;
    const int64_t m = t % 100;
    int64_t d = h - st.file_date.hour;
    if (d > 11) d -= 24;
    else if (d < -11) d += 24;
    const int64_t when = st.base + 3600 * d + 60 * (m - st.file_date.min);
    const int ok = (st.begin <= when && when <= st.end) ? 1 : 0;
    MESS_print(M_DEBUG_C, "%d %lld %lld-%lld = %d\n", t, static_cast<long long>(when - st.base),
               static_cast<long long>(st.begin - st.base),
               static_cast<long long>(st.end - st.base), ok);
    return ok;
}
