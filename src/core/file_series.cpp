// Current and latest files and file series: which file the user means (a name, the current or
// the latest file, or a prompt answer), which file belongs to the present time or to a given
// date, and which files make up a series over a span of time or a list of names.  The names
// come from the current naming convention; the forced date (the `hour` resource) shapes them.
#include "vykbase.h"
#include "vykmess.h"
#include "vykflag.h"
#include "vykstr.h"
#include "vykfile.h"
#include "vykfname.h"
#include "vykdate.h"
#include "vykcdf.h"
#include "vykscan.h"
#include "vykproc.h"
#include "vykresrc.h"

#include <cctype>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <strings.h>
#include <vector>

namespace {

// The component's state; the member initialisers are the start values.
struct State {
    Date first_date = {VYK_MISS, VYK_MISS, VYK_MISS, VYK_MISS, VYK_MISS, VYK_MISS, VYK_MISS, 0};
    int64_t secs = 0;       // offset of the first file from the start
    int64_t nsecs = 0;      // offset of the next file
    int64_t offset = 3600;  // time between the files of the series
    int64_t skip = 0;       // step asked for by the user, else the period
    int64_t num_hour = 0;   // span; negative: back in time from the start
    int64_t def_hours = 0;  // span without the `num_hour` resource
    std::vector<std::string> files;  // the listed names of a series over a list
    size_t file_ind = 0;             // the next of them
};
State st;

constexpr int retry = 4;

bool is_digit(char c) { return isdigit(static_cast<unsigned char>(c)) != 0; }

// Reads a number at p as the scanf family reads "%d" (blanks, a sign, digits) and moves p past
// it; false (p unchanged) when there is none.  A number too large for an int is held at the
// int's limit.
bool read_int(const char *&p, int &value)
{
    const char *q = p;
    while (isspace(static_cast<unsigned char>(*q))) q++;
    bool neg = false;
    if (*q == '+' || *q == '-') neg = *q++ == '-';
    if (!is_digit(*q)) return false;
    int64_t v = 0;
    while (is_digit(*q)) {
        if (v <= INT_MAX) v = v * 10 + (*q - '0');
        q++;
    }
    if (v > INT_MAX) v = INT_MAX;
    value = static_cast<int>(neg ? -v : v);
    p = q;
    return true;
}

// "H:M" (or ":M"): hour and minute, each 0 when not read; false when neither was read.
bool read_hour_min(const char *p, int &hour, int &min)
{
    hour = 0;
    min = 0;
    if (read_int(p, hour)) {
        if (*p == ':') {
            const char *q = p + 1;
            read_int(q, min);
        }
        return true;
    }
    if (*p == ':') {
        const char *q = p + 1;
        return read_int(q, min);
    }
    return false;
}

// A date "YYYY[MM[DD[HH[NN]]]]": the year from up to four digits, each further field only
// while digits follow; the fields not given are the start of their period (month 1, day 1,
// hour 0, minute 0).  Moves p past the digits; false when no year is there.
bool read_base(const char *&p, Date &date)
{
    DATE_init(&date);
    date.month = 1;
    date.day = 1;
    date.hour = 0;
    date.min = 0;
    date.sec = 0;
    int n = 0, v = 0;
    while (n < 4 && is_digit(p[n])) v = v * 10 + (p[n++] - '0');
    if (n == 0) return false;
    date.year = v;
    p += n;
    int *fields[] = {&date.month, &date.day, &date.hour, &date.min};
    for (int *field : fields) {
        if (!is_digit(*p)) break;
        v = *p++ - '0';
        if (is_digit(*p)) v = v * 10 + (*p++ - '0');
        *field = v;
    }
    return true;
}

int64_t seconds_of(const Date &date)
{
    Date d = date;
    return DATE_num_sec(&d);
}

Date gmdate(int64_t t)
{
    Date d;
    DATE_get_gmdate(&t, &d);
    return d;
}

// Reads a sign: '+' forward (+1), '-' back (-1); anything else counts back and stays.
int read_sign(const char *&p)
{
    if (*p == '+') {
        p++;
        return 1;
    }
    if (*p == '-') p++;
    return -1;
}

// "H[:M]" at p (as far as given): moves p past what was read.
void read_clock(const char *&p, int &h, int &m)
{
    const char *q = p;
    int v = 0;
    if (!read_int(q, v)) return;
    h = v;
    p = q;
    if (*q == ':') {
        const char *r = q + 1;
        if (read_int(r, v)) {
            m = v;
            p = r;
        }
    }
}

// An offset "D d H : M" (as far as given) when the rest of the text holds a 'd', else "H : M";
// moves p past what was read and returns the offset in seconds.
int64_t read_offset(const char *&p, const char *label, int64_t base)
{
    int d = 0, h = 0, m = 0;
    const char *q = p;
    int v = 0;
    if (std::strchr(p, 'd') && read_int(q, v) && *q == 'd') {
        d = v;
        p = q + 1;
    }
    read_clock(p, h, m);
    MESS_print(M_DEBUG_C, "%s:%lld %d %d %d\n", label, static_cast<long long>(base), d, h, m);
    return 86400 * int64_t{d} + 3600 * int64_t{h} + 60 * int64_t{m};
}

// The period for stepping through files: the one the last template evaluation set, else the
// one the convention had before, else one hour.
int64_t usable_period(int64_t before)
{
    const int p = FILE_get_late_off();
    if (p > 0) return p;
    if (before > 0) return before;
    return 3600;
}

// The name for the series start plus an offset in seconds; returns the offset in periods.
int64_t name_at(int64_t off, char *out)
{
    if (off >= INT_MIN && off <= INT_MAX)
        return FILE_set_date_off(&st.first_date, static_cast<int>(off), out);
    Date d = gmdate(seconds_of(st.first_date) + off);
    FILE_set_date(&d, out);
    return off / FILE_get_offset();
}

bool list_mode() { return st.files.size() > 1 || (st.files.size() == 1 && st.num_hour == 0); }

// The items of the `filename` resource; empty when there are none.
std::vector<std::string> filename_items()
{
    std::vector<std::string> items;
    int count = 0;
    char **list = nullptr;
    RES_getvals("filename", &count, &list);
    for (int i = 0; i < count; i++) items.emplace_back(list[i] ? list[i] : "");
    if (list) free_parsed_array(count, list);
    return items;
}

// The current file name as the text of the `current` resource or of batch mode gives it.
bool current_file(const char *desc, char *out, bool quiet)
{
    char *cur = FILE_get_filename(nullptr);
    FILE_set_current(desc, cur);
    strfcpy(out, FILE_NAME_MAX + 1, cur);
    if (FILE_exist(cur)) {
        MESS_print(M_MESS, "Current filename: %s\n", cur);
        return true;
    }
    if (!quiet) MESS_print(M_WARN, "File not found: %s\n", cur);
    return false;
}

// One prompt answer into the current file name and out: true when the file exists (else a
// warning).
bool answer_file(const char *answer, char *out)
{
    char *cur = FILE_get_filename(nullptr);
    if (answer[0] == '#' || strncasecmp(answer, "la", 2) == 0) {
        FILE_set_current(answer, cur);
        MESS_print(M_MESS, "Current filename: %s\n", cur);
    } else if (strncasecmp(answer, "cu", 2) == 0) {
        FILE_set_current(answer + 2, cur);
        MESS_print(M_MESS, "Current filename: %s\n", cur);
    } else {
        FILE_set_file(answer, cur);
    }
    strfcpy(out, FILE_NAME_MAX + 1, cur);
    if (FILE_exist(cur)) return true;
    MESS_print(M_WARN, "File not found: %s\n", cur);
    return false;
}

// The first `filename` item into the current file name and out ("list" lists the candidate
// files and ends the program); user_given marks the name so.  True when the file exists.
bool item_file(const std::string &item, char *out, bool user_given)
{
    if (strcasecmp(item.c_str(), "list") == 0) {
        FILE_list_file();
        VYK_exit(VYK_EXIT_OK);
    }
    if (user_given) FILE_set_filename_type(1);
    char *cur = FILE_get_filename(nullptr);
    FILE_set_file(item.c_str(), cur);
    // A relative name with a directory of its own ("dir/file") that names a file as typed is
    // that file, where completing it under the data path names none.
    if (user_given && !FILE_exist(cur) && item.find('/') != std::string::npos &&
        FILE_exist(item.c_str()))
        FILE_store_name(item.c_str(), cur);
    strfcpy(out, FILE_NAME_MAX + 1, cur);
    return FILE_exist(cur);
}

void list_candidates()
{
    MESS_print(M_PRINT, "List of available files:\n");
    FILE_list_file();
    MESS_print(M_PRINT, "\n");
}

// The base time of a current-file text: a date after a leading '#' (p moves past it), else the
// time in `vykcurtime` when it holds one, else the clock.
int64_t base_time(const char *&p)
{
    Date date;
    if (*p == '#') {
        p++;
        return read_base(p, date) ? seconds_of(date) : DATE_get_time(nullptr);
    }
    const char *now = std::getenv("vykcurtime");
    if (now && (*now == '#' ? is_digit(now[1]) : is_digit(now[0]))) {
        const char *q = *now == '#' ? now + 1 : now;
        read_base(q, date);
        return seconds_of(date);
    }
    return DATE_get_time(nullptr);
}

// Steps back by one unit of the field above a forced field: a year, a month (on the calendar),
// a day or an hour (in seconds, the fields above taken from the new time).
void back_year(Date &d, int64_t &) { d.year--; }
void back_month(Date &d, int64_t &)
{
    if (d.month == 1) {
        d.month = 12;
        d.year--;
    } else {
        d.month--;
    }
}
void back_day(Date &d, int64_t &b)
{
    const Date t = gmdate(b -= 86400);
    d.year = t.year;
    d.month = t.month;
    d.day = t.day;
}
void back_hour(Date &d, int64_t &b)
{
    const Date t = gmdate(b -= 3600);
    d.year = t.year;
    d.month = t.month;
    d.day = t.day;
    d.hour = t.hour;
}

// The forced fields from the largest down.  A field is fixed when its forced value is not
// negative (negative values are unset or steps).  When the base's field is earlier, the base
// steps back one unit of the field above; a later month or day stays as it is (the name still
// shows the forced value), a forced hour or minute is always set.
struct Forced_field {
    int Date::*field;
    bool keep_later;
    void (*back)(Date &d, int64_t &b);
};
constexpr Forced_field FORCED_FIELDS[] = {
    {&Date::month, true, back_year},
    {&Date::day, true, back_month},
    {&Date::hour, false, back_day},
    {&Date::min, false, back_hour},
};

// Fits the forced date to the base time b: the latest time at or before b that it allows.
int64_t fit_forced(int64_t b)
{
    Date forced;
    FILE_get_time(&forced);
    Date d = gmdate(b);
    for (const Forced_field &f : FORCED_FIELDS) {
        const int want = forced.*f.field;
        if (want < 0) continue;
        if (d.*f.field < want) f.back(d, b);
        else if (f.keep_later) continue;
        d.*f.field = want;
        b = seconds_of(d);
        d = gmdate(b);
    }
    return b;
}

// The latest-file search of a current-file text at 'l' (p moves past "l", "la" and a "#N"
// limit, 500 by default): from b, steps of step seconds until the name built for the time
// names a file larger than the minimum size.  The time of the last name tried.
int64_t latest(const char *&p, int64_t b, int64_t step, char *name)
{
    p++;
    if (*p == 'a' || *p == 'A') p++;
    int limit = 500;
    if (*p == '#') {
        p++;
        int n = 0, v = 0;
        while (n < 4 && is_digit(p[n])) v = v * 10 + (p[n++] - '0');
        if (n > 0) limit = v;
        p += n;
    }
    long min_size = FILE_get_min_size();
    if (min_size < 0) min_size = 0;
    for (int i = 0; i < limit; i++) {
        const Date d = gmdate(b);
        FILE_set_date(&d, name);
        MESS_print(M_DEBUG_C, "LATE:%d %d %d %d %d\n", d.year, d.month, d.day, d.hour, d.min);
        MESS_print(M_DEBUG_C, "LATE: %s\n", name);
        if (FILE_size(name) > min_size) break;
        b += step;
    }
    return b;
}

}  // namespace

int64_t FILE_set_current(const char *desc, char *out)
{
    if (!desc) desc = "la";
    FILE_set_filename_type(0);
    const int64_t period_before = FILE_get_late_off();
    char name[FILE_NAME_MAX + 1] = "";
    const char *p = desc;

    int64_t b = fit_forced(base_time(p));
    int sign = read_sign(p);
    if (is_digit(*p)) {
        b += sign * read_offset(p, "CUR1", b);
        MESS_print(M_DEBUG_C, "CUR1:%s %lld\n", p, static_cast<long long>(b));
        sign = read_sign(p);
    }
    if (*p == 'l' || *p == 'L') {
        b = latest(p, b, sign * usable_period(period_before), name);
        MESS_print(M_DEBUG_C, "LATEST: %s %s %lld\n", p, name, static_cast<long long>(b));
        sign = read_sign(p);
    }
    if (is_digit(*p)) {
        b += sign * read_offset(p, "CUR2", b);
        MESS_print(M_DEBUG_C, "CUR2:%lld\n", static_cast<long long>(b));
    }

    const Date d = gmdate(b);
    MESS_print(M_DEBUG_C, "%d %d %d %d\n", d.year, d.day, d.hour, d.min);
    FILE_set_date(&d, name);
    strfcpy(out, FILE_NAME_MAX + 1, name);
    const int64_t period = usable_period(period_before);
    int64_t q = b / period;
    if (b % period != 0 && b < 0) q--;
    return q * period;
}

int FILE_get_date(Date *date)
{
    return FILE_get_file_date(date);
}

int FILE_get_file(const char *prompt, char *out)
{
    const std::vector<std::string> items = filename_items();
    if (!items.empty()) return item_file(items[0], out, true);
    if (const char *desc = RES_get("current")) {
        if (!current_file(desc, out, false)) VYK_exit(VYK_EXIT_NO_FILE);
        return 1;
    }
    if (FLAG_batch()) {
        if (!current_file("la", out, false)) VYK_exit(VYK_EXIT_NO_FILE);
        return 1;
    }

    list_candidates();
    for (int attempt = 0; attempt < retry; attempt++) {
        FILE_set_filename_type(1);
        char answer[80] = "";
        VYK_prompts(prompt, answer, 79);
        if (strcasecmp(answer, "exit") == 0) VYK_exit(VYK_EXIT_OK);
        if (strcasecmp(answer, "list") == 0) {
            FILE_list_file();
            continue;
        }
        if (answer_file(answer, out)) return 1;
    }
    VYK_exit(VYK_EXIT_NO_FILE);
}

int FILE_get_file_only(const char *prompt, char *out)
{
    const std::vector<std::string> items = filename_items();
    if (!items.empty()) return item_file(items[0], out, false);
    if (const char *desc = RES_get("current")) return current_file(desc, out, true) ? 1 : 0;
    if (FLAG_batch()) return current_file("la", out, true) ? 1 : 0;

    list_candidates();
    char answer[80] = "";
    VYK_prompts(prompt, answer, 79);
    FILE_set_filename_type(1);
    if (strcasecmp(answer, "exit") == 0) VYK_exit(VYK_EXIT_OK);
    if (strcasecmp(answer, "list") == 0) {
        FILE_list_file();
        return 0;
    }
    return answer_file(answer, out) ? 1 : 0;
}

int FILE_set_def_hours(int hours)
{
    st.def_hours = 3600 * int64_t{hours};
    return 0;
}

int64_t FILE_num_hour()
{
    const char *text = RES_get("num_hour");
    if (!text) return st.def_hours;
    int hour = 0, min = 0;
    // "-:M" is the minutes-only span taken back in time, as "-0:M" is.
    const char *p = (text[0] == '-' && text[1] == ':') ? text + 1 : text;
    read_hour_min(p, hour, min);
    if ((hour == 0 && text[0] == '-') || hour < 0) min = -min;
    return 3600 * int64_t{hour} + 60 * int64_t{min};
}

int64_t FILE_get_skip()
{
    const char *text = RES_get("num_hour");
    const char *comma = text ? std::strchr(text, ',') : nullptr;
    if (!comma) return FILE_get_late_off();
    int hour = 0, min = 0;
    read_hour_min(comma + 1, hour, min);
    return 3600 * int64_t{hour} + 60 * int64_t{min};
}

int FILE_first(const Date *date)
{
    st.files = filename_items();
    if (!st.files.empty() && (strncasecmp(st.files[0].c_str(), "la", 2) == 0 ||
                              strncasecmp(st.files[0].c_str(), "cu", 2) == 0))
        st.files.clear();
    st.file_ind = 0;

    if (date) st.first_date = *date;
    else DATE_init(&st.first_date);
    st.num_hour = FILE_num_hour();
    st.skip = FILE_get_skip();
    st.offset = FILE_get_offset();
    if (st.skip > 0 && st.skip / st.offset > 0) st.offset = (st.skip / st.offset) * st.offset;
    st.secs = st.num_hour < 0 ? ((st.num_hour - st.offset + 1) / st.offset) * st.offset : 0;
    st.nsecs = st.secs;
    return 0;
}

int FILE_get_next(char *out)
{
    if (list_mode()) {
        if (st.file_ind >= st.files.size()) return 0;
        FILE_set_file(st.files[st.file_ind++].c_str(), out);
        return 1;
    }
    if ((st.num_hour < 0 && st.nsecs > 0) || (st.num_hour >= 0 && st.nsecs > st.num_hour)) return 0;
    if (st.num_hour != 0) {
        const int64_t periods = name_at(st.nsecs, out);
        if (MESS_check(M_DEBUG_C)) {
            MESS_print(M_DEBUG_C, " in: ");
            DATE_print(M_DEBUG_C, &st.first_date);
            MESS_print(M_DEBUG_C, "out: ");
            DATE_print(M_DEBUG_C, &st.first_date);
        }
        MESS_print(M_DEBUG_C, "NEXT: %lld %lld %lld %lld %lld %s\n",
                   static_cast<long long>(st.nsecs), static_cast<long long>(st.offset),
                   static_cast<long long>(st.skip), static_cast<long long>(st.num_hour),
                   static_cast<long long>(periods), out);
    } else {
        FILE_get_filename(out);
    }
    st.nsecs += st.offset;
    return 1;
}

int FILE_next_file(char *out)
{
    name_at(st.secs + st.offset, out);
    return 1;
}

int FILE_prev_file(char *out)
{
    name_at(st.secs - st.offset, out);
    return 1;
}

int64_t FILE_get_num_file()
{
    if (list_mode()) return static_cast<int64_t>(st.files.size()) - 1;
    return st.num_hour;
}

int64_t FILE_get_nsecs() { return st.nsecs; }

int FILE_set_nsecs(int64_t value)
{
    st.nsecs = value;
    return 0;
}

int64_t FILE_get_num_hour() { return st.num_hour; }

int FILE_print_first_date(const char *text)
{
    MESS_print(M_DEBUG, "%s", text ? text : "");
    DATE_print(M_DEBUG, &st.first_date);
    return 0;
}
