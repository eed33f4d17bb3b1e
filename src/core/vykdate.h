// vykdate.h: dates and times (date.cpp), date labels (date_label.cpp) and the report time
// window (report_window.cpp).
#ifndef VYKDATE_H
#define VYKDATE_H

#include "vykmess.h"

#include <cstddef>
#include <cstdint>
#include <ctime>

// ---------------------------------------------------------------------------------------------
// Dates and times (date.cpp)
// ---------------------------------------------------------------------------------------------

struct Date {
    int year;   // full year
    int month;  // 1 to 12
    int day;    // 1 to 31
    int jday;   // day of the year, 1 to 366
    int wday;   // day of the week, 0 = Sunday
    int hour;
    int min;
    int sec;
};

extern const char *const months[12];
extern const char *const months_lc[12];
extern const char *const months_long[12];
extern const char *const day_of_week[7];
extern const int num_day[13];
extern const int num_day_leap[13];

/// Buffer size for DATE_get_current_str and DATE_get_simple_current_str.
constexpr int DATE_STR_LEN = 21;

const char *DATE_month(int month);
const char *DATE_month_lower(int month);
const char *DATE_month_long(int month);
int DATE_init(Date *date);
int DATE_print(M_type level, const Date *date);
int DATE_set_TZ(const char *zone);
int DATE_get_tz_off();
const char *DATE_get_tz_str();
int DATE_get_tz_pm();
int DATE_print_current(M_type level);
int DATE_get_current_str(char *buf);
int DATE_get_simple_current_str(char *buf);
int DATE_get_current_gmdate(Date *date);
int DATE_is_leap(int year);
int64_t DATE_num_sec(Date *date);
int64_t DATE_num_sec_tm(const struct tm *tm);
int DATE_date_days(int year, int month, int day);
int DATE_days_date(int days, int *year, int *month, int *day);
int DATE_time_date(int secs, int *hour, int *min, int *sec);
int64_t DATE_get_time(int64_t *secs);
struct tm *DATE_get_gmtime(int64_t secs);
struct tm *DATE_get_localtime(int64_t secs);
Date *DATE_to_struct(int year, int month, int day, int hour, int min);
int DATE_get_gmdate(const int64_t *secs, Date *date);
int DATE_get_localdate(const int64_t *secs, Date *date);
int DATE_julian_monday(int year, int jday, int *month, int *day);
int DATE_monday_julian(int year, int month, int day, int *jday);

// ---------------------------------------------------------------------------------------------
// Date labels (date_label.cpp)
// ---------------------------------------------------------------------------------------------

// A forecast-hour code is stat * 1000000 + first time * 1000 + second time; a time from 801 to
// 899 counts days and one above 900 months; -9999 is none.  The valid time of a label is the
// base time plus the second time in hours, days or calendar months as the code counts them.
// Every maker writes at most `size` bytes (the text cut to fit, always terminated); the default
// sizes below hold every label of a date of the years 0 to 9999.

/// DATE_make_label and DATE_make_label_valid_time.
constexpr size_t DATE_LABEL_LEN = 40;
/// DATE_make_seq: twelve digits and the end.
constexpr size_t DATE_SEQ_LEN = 13;
/// DATE_fhour_label.
constexpr size_t DATE_FHOUR_LEN = 20;
/// DATE_make_label_for, DATE_make_label_for_time(_mod) (with a model name of up to
/// VAR_MODEL_LEN - 1 characters) and DATE_format_label.
constexpr size_t DATE_LABEL_FOR_LEN = 160;
/// The model name that DATE_make_label_for_time puts in its label: at most 9 characters.
constexpr size_t DATE_MODEL_NAME_LEN = 10;

int DATE_make_label(const Date *date, char *buf, size_t size = DATE_LABEL_LEN);
int DATE_make_seq(Date *date, char *buf, size_t size = DATE_SEQ_LEN);
int DATE_decode_seq(const char *text, Date *date);
int DATE_decode_label(const char *text, Date *date);
int DATE_decode_month(const char *text);
char *DATE_fhour_label(char *buf, int h, int daily, size_t size = DATE_FHOUR_LEN);
int DATE_format_label(char *buf, const char *format, int code, const char *model,
                      const Date *date, size_t size = DATE_LABEL_FOR_LEN);
int DATE_make_label_for(int code, int model, int64_t seconds, char *buf,
                        size_t size = DATE_LABEL_FOR_LEN);
int DATE_make_label_for_time(int code, int model, const Date *date, char *buf,
                             size_t size = DATE_LABEL_FOR_LEN);
int DATE_make_label_for_time_mod(int code, const char *model, const Date *date, char *buf,
                                 size_t size = DATE_LABEL_FOR_LEN);
int DATE_make_label_valid_time(int code, const Date *date, char *buf,
                               size_t size = DATE_LABEL_LEN);

// ---------------------------------------------------------------------------------------------
// Report time window (report_window.cpp)
// ---------------------------------------------------------------------------------------------

// Report times are hour * 100 + minute (HHMM), -9999 for none; the window is min_pre to
// min_post minutes around the file's date with the decoding hour and minute applied.

int DATE_set_datim(const Date *date);
int DATE_get_datim(Date *date);
/// Minutes before (negative) and after the base; the bounds follow at the next DATE_set_datim.
int DATE_set_range(int pre, int post);
/// 1 when the report time lies in the window, else 0.
int DATE_chk_range(int t);

#endif
