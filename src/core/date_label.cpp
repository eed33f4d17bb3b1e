// date_label.cpp: the texts by which dates are shown on plots, in file headers and listings,
// and read back out of file headers: the standard label of a Date in the display time zone,
// forecast and analysis labels (forecast length, model name, valid time), the twelve-digit
// sequence, the format-driven label, and the decoding of labels and month names.
//
// A forecast-hour code is stat * 1000000 + first time * 1000 + second time; a time from 801 to
// 899 counts days (value - 800) and one above 900 months (value - 900); -9999 is no forecast.
// The valid time of a label is the base time plus the second time: hours, days of 24 hours or
// calendar months as the code counts them.
//
// Every maker writes into the caller's buffer of `size` bytes and never past it: a text that
// does not fit is cut and terminated.  The defaults (vyk.h) hold every label the maker writes
// for dates of the years 0 to 9999.
#include "vykbase.h"
#include "vykmess.h"
#include "vykdate.h"
#include "vykscan.h"
#include "vykmq.h"
#include "vykup.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

/// Appends to a caller's buffer of a fixed size, cutting what does not fit; the buffer is
/// always terminated (a size of 0 takes nothing at all).
class Out {
public:
    Out(char *buf, size_t size) : buf_(buf), size_(size)
    {
        if (size_ > 0) buf_[0] = '\0';
    }

    void put(const char *s)
    {
        if (size_ == 0) return;
        while (*s && len_ + 1 < size_) buf_[len_++] = *s++;
        buf_[len_] = '\0';
    }

    void put(char c)
    {
        if (len_ + 1 >= size_) return;
        buf_[len_++] = c;
        buf_[len_] = '\0';
    }

    void fmt(const char *format, ...) __attribute__((format(printf, 2, 3)))
    {
        if (len_ + 1 >= size_) return;
        va_list ap;
        va_start(ap, format);
        const int n = std::vsnprintf(buf_ + len_, size_ - len_, format, ap);
        va_end(ap);
        if (n < 0) {
            buf_[len_] = '\0';
            return;
        }
        len_ += static_cast<size_t>(n);
        if (len_ >= size_) len_ = size_ - 1;
    }

    size_t length() const { return len_; }

private:
    char *buf_;
    size_t size_;
    size_t len_ = 0;
};

/// The parts of a forecast-hour code.
struct Split {
    int t1;  // statistic
    int t2;  // first time
    int t3;  // second time; -9999 for the code -9999
    int t4;  // the main time: t2 for statistics above 5, else t3
};

Split split_code(int code)
{
    if (code == VYK_MISS) return {0, 0, VYK_MISS, VYK_MISS};
    Split s;
    s.t1 = code / 1000000;
    s.t2 = (code % 1000000) / 1000;
    s.t3 = code % 1000;
    if (s.t2 == 800 || s.t2 == 900) s.t2 = 0;
    if (s.t3 == 800 || s.t3 == 900) s.t3 = 0;
    s.t4 = s.t1 > 5 ? s.t2 : s.t3;
    return s;
}

int64_t add_sat(int64_t a, int64_t b)
{
    int64_t r;
    if (__builtin_add_overflow(a, b, &r)) return b > 0 ? INT64_MAX : INT64_MIN;
    return r;
}

/// Days from 1970-01-01 to a date of the proleptic Gregorian calendar (month 1 to 12).
int64_t days_from_civil(int64_t y, int m, int d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

/// The same time of day n calendar months later; a day past the end of the target month
/// becomes its last day (31 January plus one month is the end of February).
int64_t add_months(int64_t base, int n)
{
    const struct tm *tm = DATE_get_gmtime(base);
    if (!tm) return base;
    const int64_t year = int64_t{tm->tm_year} + 1900;
    const int month0 = tm->tm_mon;  // 0 to 11
    const int day = tm->tm_mday;
    const int64_t total = year * 12 + month0 + n;
    const int64_t new_year = total / 12;
    const int new_month = static_cast<int>(total % 12) + 1;
    const bool leap = new_year % 4 == 0 && (new_year % 100 != 0 || new_year % 400 == 0);
    const int *table = leap ? num_day_leap : num_day;
    const int last = table[new_month] - table[new_month - 1];
    const int new_day = day < last ? day : last;
    const int64_t delta =
        days_from_civil(new_year, new_month, new_day) - days_from_civil(year, month0 + 1, day);
    return add_sat(base, delta * 86400);
}

/// The valid moment of a base time and the second time of a code: hours up to 799, days for
/// 801 to 899, calendar months above 900; the code -9999 adds nothing.
int64_t valid_seconds(int64_t base, int t3)
{
    if (t3 == VYK_MISS) return base;
    if (t3 > 800 && t3 < 900) return add_sat(base, int64_t{t3 - 800} * 86400);
    if (t3 > 900) return add_months(base, t3 - 900);
    return add_sat(base, int64_t{t3} * 3600);
}

const char *weekday(int wday) { return wday >= 0 && wday <= 6 ? day_of_week[wday] : ""; }

int normal_year(int year) { return year < 0 ? 1980 : year; }
int normal_month(int month) { return month < 1 || month > 12 ? 1 : month; }
int normal_day(int day) { return day < 0 || day > 31 ? 1 : day; }
int normal_hour(int hour) { return hour < 0 || hour > 23 ? 0 : hour; }
int normal_min(int min) { return min < 0 || min > 59 ? 0 : min; }

/// How the hour-only text is written in the 24-hour mode.
enum class Hour24 { two_digits, plain };

/// The hour text of the display mode: hour only (min < 0) or hour and minute; in mode -1 the
/// UTC hour (and minute) of the same moment follows in brackets.
void hour_text(Out &out, int hour, int min, Hour24 form, int utc_hour, int utc_min)
{
    const int mode = DATE_get_tz_pm();
    const char *zone = DATE_get_tz_str();
    if (mode == 0) {
        if (min >= 0) out.fmt("%2.2d%2.2d%s", hour, min, zone);
        else if (form == Hour24::two_digits) out.fmt("%2.2d%s", hour, zone);
        else out.fmt("%d%s", hour, zone);
        return;
    }
    const char *half = hour >= 12 ? "PM" : "AM";
    const int h12 = hour % 12 == 0 ? 12 : hour % 12;
    if (min >= 0) out.fmt("%d:%2.2d %s%s", h12, min, half, zone);
    else out.fmt("%d %s%s", h12, half, zone);
    if (mode == -1) {
        if (min >= 0) out.fmt(" [%2.2d%2.2dZ]", utc_hour, utc_min);
        else out.fmt(" [%2.2dZ]", utc_hour);
    }
}

/// The forecast-length text of a time in hours.
void fhour_text(Out &out, int h, bool daily)
{
    if (h > 900) {
        out.fmt("%d month", h - 900);
    } else if (h > 800) {
        out.fmt("%d day", h - 800);
    } else if (daily && (h == 12 || h == 24 || h == 36 || h == 48 || h == 60)) {
        static const char *const days[] = {"0.5 day", "1 day", "1.5 day", "2 day", "2.5 day"};
        out.put(days[h / 12 - 1]);
    } else if (h > 60 && h % 24 == 0) {
        out.fmt("%d day", h / 24);
    } else if (h > 60 && h % 24 == 12) {
        out.fmt("%d.5 day", h / 24);
    } else if (h != 0 && h != VYK_MISS) {
        out.fmt("%d hour", h);
    }
}

/// The standard label of a date, appended.
void standard_label(Out &out, const Date *date)
{
    Date d = *date;
    int utc_hour = 0, utc_min = 0;
    if (DATE_get_tz_off() != 0) {
        int64_t s = DATE_num_sec(&d);
        utc_hour = d.hour;
        utc_min = d.min;
        s = add_sat(s, DATE_get_tz_off());
        DATE_get_gmdate(&s, &d);
    }
    const int yy = normal_year(d.year) % 100;
    if (d.month == VYK_MISS) {
        out.fmt("%2.2d", yy);
        return;
    }
    const char *mon = DATE_month(normal_month(d.month));
    if (d.day == VYK_MISS) {
        out.fmt("%3s %2.2d", mon, yy);
        return;
    }
    const int day = normal_day(d.day);
    if (d.hour == VYK_MISS) {
        out.fmt("%2d %3s %2.2d", day, mon, yy);
        return;
    }
    const int hour = normal_hour(d.hour);
    if (DATE_get_tz_off() == 0) utc_hour = hour;
    if (d.min == VYK_MISS) {
        hour_text(out, hour, -1, Hour24::two_digits, utc_hour, 0);
    } else {
        const int min = normal_min(d.min);
        if (DATE_get_tz_off() == 0) utc_min = min;
        hour_text(out, hour, min, Hour24::two_digits, utc_hour, utc_min);
    }
    out.fmt(" %2d %3s %2.2d", day, mon, yy);
}

/// A copy of a caller's date for the forecast labels: hour outside 0 to 23 (other than -9999)
/// 0, day of 0 or less or above 31 1, month outside 1 to 12 1, negative year 1980.
Date label_copy(const Date *date)
{
    Date d = *date;
    if (d.hour != VYK_MISS && (d.hour < 0 || d.hour > 23)) d.hour = 0;
    if (d.day <= 0 || d.day > 31) d.day = 1;
    d.month = normal_month(d.month);
    d.year = normal_year(d.year);
    return d;
}

/// The UTC fields of a moment and those of the moment shifted by the display offset.
void valid_fields(int64_t valid, Date *utc, Date *shown)
{
    DATE_get_gmdate(&valid, utc);
    const int64_t s = add_sat(valid, DATE_get_tz_off());
    DATE_get_gmdate(&s, shown);
}

}  // namespace

int DATE_make_label(const Date *date, char *buf, size_t size)
{
    if (!buf || !date || size == 0) return -1;
    Out out(buf, size);
    standard_label(out, date);
    return 0;
}

int DATE_make_seq(Date *date, char *buf, size_t size)
{
    if (!buf || !date || size == 0) return -1;
    date->year = normal_year(date->year);
    date->month = normal_month(date->month);
    date->day = normal_day(date->day);
    date->hour = normal_hour(date->hour);
    date->min = normal_min(date->min);
    Out out(buf, size);
    out.fmt("%4.4d%2.2d%2.2d%2.2d%2.2d", date->year, date->month, date->day, date->hour,
            date->min);
    return 0;
}

int DATE_decode_seq(const char *text, Date *date)
{
    if (!text || !date) return -1;
    std::sscanf(text, "%4d%2d%2d%2d%2d", &date->year, &date->month, &date->day, &date->hour,
                &date->min);
    return 0;
}

int DATE_decode_label(const char *text, Date *date)
{
    if (!date) return -1;
    DATE_init(date);
    if (!text) return 0;
    const size_t len = std::strlen(text);
    char mon[4] = "";
    int year = VYK_MISS, month = VYK_MISS;
    bool done = std::sscanf(text, "%2dZ %2d %3s %2d", &date->hour, &date->day, mon, &year) == 4;
    if (!done && len >= 15) {
        const char *p = text + len - 15;
        done = std::sscanf(p, "%2d%2dZ %2d %3s %2d", &date->hour, &date->min, &date->day, mon,
                           &year) == 5;
        // A one-digit hour before the minute: " 930Z ..." is 9:30, not 93 and 0.
        if (p[0] == ' ') std::sscanf(p, "%1d%2d", &date->hour, &date->min);
    }
    if (!done && len >= 19) {
        done = std::sscanf(text + len - 19, "%2d:%2d:%2dZ %2d %3s %2d", &date->hour, &date->min,
                           &date->sec, &date->day, mon, &year) == 6;
    }
    if (!done && len >= 13) {
        done = std::sscanf(text + len - 13, "%2dZ %2d %3s %2d", &date->hour, &date->day, mon,
                           &year) == 4;
    }
    if (!done) std::sscanf(text, "%2d %2d %2d %2d", &year, &month, &date->day, &date->hour);

    if (year != VYK_MISS) {
        if (year <= 49) year += 2000;
        if (year <= 199) year += 1900;
    }
    date->year = year;
    date->month = mon[0] ? DATE_decode_month(mon) : month;
    return 0;
}

int DATE_decode_month(const char *text)
{
    if (!text || !text[0]) return 0;
    const char c0 = text[0];
    const char c1 = text[1];
    const char c2 = c1 ? text[2] : '\0';
    switch (c0) {
    case 'F': case 'f': return 2;
    case 'S': case 's': return 9;
    case 'O': case 'o': return 10;
    case 'N': case 'n': return 11;
    case 'D': case 'd': return 12;
    default: break;
    }
    // The later letter must have the letter case of the first.
    if ((c0 == 'J' && c1 == 'A') || (c0 == 'j' && c1 == 'a')) return 1;
    if ((c0 == 'J' && c2 == 'N') || (c0 == 'j' && c2 == 'n')) return 6;
    if ((c0 == 'J' && c2 == 'L') || (c0 == 'j' && c2 == 'l')) return 7;
    if ((c0 == 'M' && c2 == 'R') || (c0 == 'm' && c2 == 'r')) return 3;
    if ((c0 == 'M' && c2 == 'Y') || (c0 == 'm' && c2 == 'y')) return 5;
    if ((c0 == 'A' && c2 == 'R') || (c0 == 'a' && c2 == 'r')) return 4;
    if ((c0 == 'A' && c2 == 'G') || (c0 == 'a' && c2 == 'g')) return 8;
    return 0;
}

char *DATE_fhour_label(char *buf, int h, int daily, size_t size)
{
    if (!buf || size == 0) return nullptr;
    Out out(buf, size);
    fhour_text(out, h, daily != 0);
    return buf;
}

int DATE_format_label(char *buf, const char *format, int code, const char *model,
                      const Date *date, size_t size)
{
    if (!buf || !format || !date || size == 0) return -1;
    Out out(buf, size);
    for (const char *p = format; *p; p++) {
        if (*p != '%') {
            out.put(*p);
            continue;
        }
        switch (p[1]) {
        case 'F': fhour_text(out, split_code(code).t4, date->hour == VYK_MISS); break;
        case 'f': out.fmt("%d", code); break;
        case 'x': if (model) out.put(model); break;
        case 'y': out.fmt("%2.2d", date->year % 100); break;
        case 'm': out.fmt("%2.2d", date->month); break;
        case 'M': out.fmt("%3.3s", DATE_month(date->month)); break;
        case 'd': out.fmt("%2.2d", date->day); break;
        case 'h': if (date->hour != VYK_MISS) out.fmt("%2.2d", date->hour); break;
        case 'n': if (date->min != VYK_MISS) out.fmt("%2.2d", date->min); break;
        default:
            // Not a code: the '%' goes and the next character is read as format text.
            continue;
        }
        p++;
    }
    return 0;
}

int DATE_make_label_for(int code, int model, int64_t seconds, char *buf, size_t size)
{
    if (!buf || size == 0) return -1;
    const Split s = split_code(code);
    Out out(buf, size);
    fhour_text(out, s.t4, false);
    if (s.t4 != 0 && s.t4 != VYK_MISS) out.put(' ');
    char name[VAR_MODEL_LEN];
    if (VAR_model(name, model, sizeof name)) out.put(name);
    if (seconds == 0) {
        if (s.t4 == 0) out.put(" analysis");
        return -1;
    }
    bool forecast = false;
    if (s.t2 > 5 && s.t3 == 0) {
        out.put(" analysis valid");
    } else if (s.t4 == 0) {
        out.put(" analysis for");
    } else {
        out.put(" valid");
        forecast = true;
    }
    Date utc, shown;
    valid_fields(valid_seconds(seconds, s.t3), &utc, &shown);
    out.put(' ');
    hour_text(out, shown.hour, -1, Hour24::two_digits, utc.hour, 0);
    if (forecast) out.fmt(" %3s", weekday(shown.wday));
    out.fmt(" %2d %3s %2.2d", shown.day, DATE_month(shown.month), shown.year % 100);
    return 0;
}

int DATE_make_label_for_time(int code, int model, const Date *date, char *buf, size_t size)
{
    // The model name of these labels holds at most DATE_MODEL_NAME_LEN - 1 characters.
    char name[DATE_MODEL_NAME_LEN];
    if (!VAR_model(name, model, sizeof name)) name[0] = '\0';
    return DATE_make_label_for_time_mod(code, name, date, buf, size);
}

int DATE_make_label_for_time_mod(int code, const char *model, const Date *date, char *buf,
                                 size_t size)
{
    if (!buf || !date || size == 0) return -1;
    const Split s = split_code(code);
    const bool daily = date->hour == VYK_MISS;
    const bool named = model && model[0];
    Out out(buf, size);
    fhour_text(out, s.t4, daily);
    if (s.t4 != 0 && s.t4 != VYK_MISS) out.put(' ');
    if (model) out.put(model);

    Date copy = label_copy(date);
    if (s.t1 == 0 && (s.t4 == 0 || s.t4 == VYK_MISS)) {
        out.put(named ? " analysis for " : "Analysis for ");
        standard_label(out, &copy);
        return 0;
    }
    bool forecast = false;
    if (s.t2 > 0 && s.t3 == 0) {
        out.put(named ? " analysis valid" : "Analysis valid");
    } else {
        out.put(" valid");
        forecast = true;
    }
    if (copy.min == VYK_MISS) copy.min = 0;
    if (copy.hour == VYK_MISS) copy.hour = 0;
    Date utc, shown;
    valid_fields(valid_seconds(DATE_num_sec(&copy), s.t3), &utc, &shown);
    const char *mon = DATE_month(shown.month);
    if (daily) {
        if (forecast) out.fmt(" %3s", weekday(shown.wday));
        out.fmt(" %2d %3s %2d", shown.day, mon, shown.year % 100);
    } else {
        out.put(' ');
        hour_text(out, shown.hour, -1, Hour24::plain, utc.hour, 0);
        if (forecast) out.fmt(" %3s", weekday(shown.wday));
        out.fmt(" %2d %3s %2.2d", shown.day, mon, shown.year % 100);
    }
    return 0;
}

int DATE_make_label_valid_time(int code, const Date *date, char *buf, size_t size)
{
    if (!buf || !date || size == 0) return -1;
    const Split s = split_code(code);
    Date copy = label_copy(date);
    if (copy.min == VYK_MISS) copy.min = 0;
    if (copy.hour == VYK_MISS) copy.hour = 0;
    Date utc, shown;
    valid_fields(valid_seconds(DATE_num_sec(&copy), s.t3), &utc, &shown);
    Out out(buf, size);
    if (date->hour != VYK_MISS) {
        hour_text(out, shown.hour, -1, Hour24::plain, utc.hour, 0);
        out.put(' ');
    }
    out.fmt("%3s %2d %3s %2.2d", weekday(shown.wday), shown.day, DATE_month(shown.month),
            shown.year % 100);
    return 0;
}
