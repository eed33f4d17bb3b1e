// date.cpp: the calendar of the system: the Date record, month and weekday names, the leap-year
// rule, seconds since 1970-01-01 00:00 UTC and back, day numbers and days of the year, the
// current time and its printed forms, and the display time zone used by the date labels.
//
// All times are UTC except DATE_get_localtime and DATE_get_localdate.  Seconds since 1970 are
// 64-bit signed integers throughout.
#include "vykbase.h"
#include "vykmess.h"
#include "vykdate.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <ctime>

const char *const months[12] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
const char *const months_lc[12] = {"jan", "feb", "mar", "apr", "may", "jun",
                                   "jul", "aug", "sep", "oct", "nov", "dec"};
const char *const months_long[12] = {"January", "February", "March",     "April",
                                     "May",     "June",     "July",      "August",
                                     "September", "October", "November", "December"};
const char *const day_of_week[7] = {"SUN", "MON", "TUE", "WED", "THU", "FRI", "SAT"};
const int num_day[13] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365};
const int num_day_leap[13] = {0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335, 366};

namespace {

// The component's state; the member initialisers are the start values.
struct State {
    // Display time zone: the text appended to hours in labels (a blank and up to four
    // characters of name, or the initial "Z"), the seconds added to UTC before a label is
    // formatted, and the display mode (0 24-hour, +1 12-hour with AM/PM, -1 the same followed
    // by the UTC hour).
    char tz_str[8] = "Z";
    int tz_off = 0;
    int tz_pm = 0;
    // The record that DATE_to_struct fills and returns.
    Date to_struct_date = {VYK_MISS, VYK_MISS, VYK_MISS, VYK_MISS,
                           VYK_MISS, VYK_MISS, VYK_MISS, VYK_MISS};
};
State st;

// Leap days since 1970 by the four-year rule: trunc((year - 1900) / 4) - 17, one less in
// January and February of a year divisible by four.
int64_t leap_days(int64_t year, int month)
{
    int64_t y = year - 1900;
    int64_t l = y / 4 - 17;
    if ((month == 1 || month == 2) && y % 4 == 0) l--;
    return l;
}

int clamp_int(int64_t v)
{
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return static_cast<int>(v);
}

// Fills a Date from a broken-down time; all fields -9999 when there is none.
int date_from_tm(const struct tm *tm, Date *date)
{
    if (!tm) {
        DATE_init(date);
        return -1;
    }
    date->year = tm->tm_year + 1900;
    date->month = tm->tm_mon + 1;
    date->day = tm->tm_mday;
    date->jday = tm->tm_yday + 1;
    date->wday = tm->tm_wday;
    date->hour = tm->tm_hour;
    date->min = tm->tm_min;
    date->sec = tm->tm_sec;
    return 0;
}

// The clock broken down in UTC; NULL (buf emptied) when the system cannot give it.
const struct tm *now_utc(char *buf)
{
    const time_t now = time(nullptr);
    const struct tm *tm = gmtime(&now);
    if (!tm) buf[0] = '\0';
    return tm;
}

}  // namespace

const char *DATE_month(int month)
{
    return (month >= 1 && month <= 12) ? months[month - 1] : "";
}

const char *DATE_month_lower(int month)
{
    return (month >= 1 && month <= 12) ? months_lc[month - 1] : "";
}

const char *DATE_month_long(int month)
{
    return (month >= 1 && month <= 12) ? months_long[month - 1] : "";
}

int DATE_init(Date *date)
{
    date->year = date->month = date->day = date->jday = date->wday = VYK_MISS;
    date->hour = date->min = date->sec = VYK_MISS;
    return 0;
}

int DATE_print(M_type level, const Date *date)
{
    MESS_print(level, "%d/%d/%d %2.2d:%2.2d:%2.2d\n", date->year, date->month, date->day,
               date->hour, date->min, date->sec);
    return 0;
}

// Sets the display time zone from [sign]name[:hours].  The first character of the zone text
// becomes a blank; '-' selects 12-hour hours with the UTC hour in brackets and '+' 12-hour hours
// (without a sign the mode is kept); up to four characters before ':' become the name; the
// offset is 3600 times the hours, or 0 when no hours follow.  A NULL or empty text changes
// nothing.
int DATE_set_TZ(const char *zone)
{
    if (!zone || !*zone) return 0;
    st.tz_str[0] = ' ';
    if (*zone == '-') {
        st.tz_pm = -1;
        zone++;
    } else if (*zone == '+') {
        st.tz_pm = 1;
        zone++;
    }
    float hours = 0.0f;
    // The name goes after the blank: at most four characters and a terminator, within tz_str.
    if (std::sscanf(zone, "%4[^:]:%f", st.tz_str + 1, &hours) < 2) hours = 0.0f;
    // Offsets that no int holds (or not a number) are clamped to the int range (0 for NaN).
    float s = 3600.0f * hours;
    if (std::isnan(s)) st.tz_off = 0;
    else if (s >= 2147483647.0f) st.tz_off = INT_MAX;
    else if (s <= -2147483648.0f) st.tz_off = INT_MIN;
    else st.tz_off = static_cast<int>(s);
    return 0;
}

int DATE_get_tz_off() { return st.tz_off; }

const char *DATE_get_tz_str() { return st.tz_str; }

int DATE_get_tz_pm() { return st.tz_pm; }

int DATE_get_current_str(char *buf)
{
    const struct tm *tm = now_utc(buf);
    if (!tm) return 0;
    snprintf(buf, DATE_STR_LEN, "%2.2d %s %2.2d  %2.2d:%2.2d:%2.2dZ", tm->tm_year % 100,
             DATE_month(tm->tm_mon + 1), tm->tm_mday, tm->tm_hour, tm->tm_min, tm->tm_sec);
    return 0;
}

int DATE_print_current(M_type level)
{
    char buf[DATE_STR_LEN];
    DATE_get_current_str(buf);
    MESS_print(level, "%s", buf);
    return 0;
}

int DATE_get_simple_current_str(char *buf)
{
    const struct tm *tm = now_utc(buf);
    if (!tm) return 0;
    snprintf(buf, DATE_STR_LEN, "%2.2d-%2.2d:%2.2dZ", tm->tm_mday, tm->tm_hour, tm->tm_min);
    return 0;
}

int DATE_get_current_gmdate(Date *date)
{
    return DATE_get_gmdate(nullptr, date);
}

int DATE_is_leap(int year)
{
    return (year % 4 == 0 && (year % 100 != 0 || year % 400 == 0)) ? 1 : 0;
}

// Seconds since 1970 of a date, normalised in place first: a negative year becomes 1980, years
// up to 49 gain 2000 and then years up to 199 gain 1900; months outside 1..12 become 1, days
// below 0 or above 31 become 1 (day 0 is kept), hours, minutes and seconds out of range become 0.
// Leap days follow the four-year rule, exact from 1901 through 2099.
int64_t DATE_num_sec(Date *date)
{
    if (date->year < 0) date->year = 1980;
    if (date->year <= 49) date->year += 2000;
    if (date->year <= 199) date->year += 1900;
    if (date->month <= 0 || date->month > 12) date->month = 1;
    if (date->day < 0 || date->day > 31) date->day = 1;
    if (date->hour < 0 || date->hour > 23) date->hour = 0;
    if (date->min < 0 || date->min > 59) date->min = 0;
    if (date->sec < 0 || date->sec > 59) date->sec = 0;

    int64_t year = date->year;
    return int64_t{date->sec} + 60 * int64_t{date->min} + 3600 * int64_t{date->hour} +
           86400 * (int64_t{date->day} - 1) + 86400 * int64_t{num_day[date->month - 1]} +
           86400 * leap_days(year, date->month) + 31536000 * (year - 1970);
}

int64_t DATE_num_sec_tm(const struct tm *tm)
{
    Date date;
    DATE_init(&date);
    date.year = tm->tm_year;
    date.month = tm->tm_mon + 1;
    date.day = tm->tm_mday;
    date.hour = tm->tm_hour;
    date.min = tm->tm_min;
    date.sec = tm->tm_sec;
    return DATE_num_sec(&date);
}

// Day number of a date, 1 = 1 January 1970; the year is taken as given.  Results beyond the
// range of an int are clamped to it.
int DATE_date_days(int year, int month, int day)
{
    int64_t days = day;
    if (month >= 1 && month <= 12) days += num_day[month - 1];
    days += leap_days(year, month) + 365 * (int64_t{year} - 1970);
    return clamp_int(days);
}

// Date of a day number.  A day number below 1 leaves the year at 1970, the month at 13 and the
// day unwritten.
int DATE_days_date(int days, int *year, int *month, int *day)
{
    int y = 1970;
    while (days > 365 + DATE_is_leap(y)) {
        days -= 365 + DATE_is_leap(y);
        y++;
    }
    const int *table = (y % 4 == 0) ? num_day_leap : num_day;
    int m = 1;
    while (m <= 12 && !(table[m - 1] < days && days <= table[m])) m++;
    *year = y;
    *month = m;
    if (m <= 12) *day = days - table[m - 1];
    return 0;
}

// Splits a count of seconds into hours, minutes and seconds; a negative count is all seconds.
int DATE_time_date(int secs, int *hour, int *min, int *sec)
{
    if (secs < 0) {
        *hour = 0;
        *min = 0;
        *sec = secs;
        return 1;
    }
    *hour = secs / 3600;
    *min = (secs % 3600) / 60;
    *sec = secs % 60;
    return 1;
}

int64_t DATE_get_time(int64_t *secs)
{
    int64_t now = static_cast<int64_t>(time(nullptr));
    if (secs) *secs = now;
    return now;
}

struct tm *DATE_get_gmtime(int64_t secs)
{
    time_t t = static_cast<time_t>(secs);
    return gmtime(&t);
}

struct tm *DATE_get_localtime(int64_t secs)
{
    time_t t = static_cast<time_t>(secs);
    return localtime(&t);
}

Date *DATE_to_struct(int year, int month, int day, int hour, int min)
{
    st.to_struct_date.year = year;
    st.to_struct_date.month = month;
    st.to_struct_date.day = day;
    st.to_struct_date.hour = hour;
    st.to_struct_date.min = min;
    st.to_struct_date.sec = 0;
    return &st.to_struct_date;
}

// Fills a date from seconds since 1970 in UTC (the current time for NULL).  Seconds whose year
// no broken-down time can hold leave every field -9999 and give -1.
int DATE_get_gmdate(const int64_t *secs, Date *date)
{
    int64_t s = secs ? *secs : DATE_get_time(nullptr);
    return date_from_tm(DATE_get_gmtime(s), date);
}

int DATE_get_localdate(const int64_t *secs, Date *date)
{
    int64_t s = secs ? *secs : DATE_get_time(nullptr);
    return date_from_tm(DATE_get_localtime(s), date);
}

// Month and day of a day of the year, the day of the year clamped to the days of the year.
int DATE_julian_monday(int year, int jday, int *month, int *day)
{
    const int *table = DATE_is_leap(year) ? num_day_leap : num_day;
    int last = table[12];
    if (jday < 1) jday = 1;
    if (jday > last) jday = last;
    int m = 1;
    while (m < 12 && table[m] < jday) m++;
    *month = m;
    *day = jday - table[m - 1];
    return 0;
}

// Day of the year of a date, the month clamped to 1..12 and the day taken as it is.
int DATE_monday_julian(int year, int month, int day, int *jday)
{
    const int *table = DATE_is_leap(year) ? num_day_leap : num_day;
    if (month < 1) month = 1;
    if (month > 12) month = 12;
    *jday = clamp_int(int64_t{table[month - 1]} + day);
    return 0;
}
