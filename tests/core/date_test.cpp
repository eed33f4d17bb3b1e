// Tests of the calendar: seconds since 1970 against GNU date, normalisation and widening of
// years, day numbers, days of the year, names, the display time zone and the current time.
#include "date_util.h"
#include "test_util.h"
#include "vyk.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Instant {
    int year, month, day, hour, min, sec;
};

// Days in a month by the Gregorian rule, written independently of the code under test.
int month_length(int year, int month)
{
    static const int len[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : len[month - 1];
}

// Year and month boundaries of every year 1901..2099, the leap-day boundaries, one
// pseudo-random instant per year and the instants where 32-bit counts end.
std::vector<Instant> sample_instants()
{
    std::vector<Instant> v;
    uint32_t r = 12345;
    auto next = [&r](int n) {
        r = r * 1103515245u + 12345u;
        return static_cast<int>((r >> 8) % static_cast<uint32_t>(n));
    };
    for (int y = 1901; y <= 2099; y++) {
        v.push_back({y, 1, 1, 0, 0, 0});
        v.push_back({y, 12, 31, 23, 59, 59});
        int m = 1 + next(12);
        v.push_back({y, m, 1 + next(month_length(y, m)), next(24), next(60), next(60)});
        if (y % 4 == 0) {
            v.push_back({y, 2, 28, 12, 0, 0});
            v.push_back({y, 2, 29, 23, 59, 59});
            v.push_back({y, 3, 1, 0, 0, 0});
        }
    }
    for (int m = 1; m <= 12; m++) {
        v.push_back({2023, m, month_length(2023, m), 23, 59, 59});
        v.push_back({2024, m, month_length(2024, m), 23, 59, 59});
    }
    const Instant special[] = {
        {1901, 12, 13, 20, 45, 52}, {1969, 12, 31, 23, 59, 59}, {1970, 1, 1, 0, 0, 0},
        {1970, 1, 1, 0, 0, 1},      {1970, 3, 1, 0, 0, 0},      {1980, 1, 1, 0, 0, 0},
        {2000, 2, 29, 0, 0, 0},     {2000, 2, 29, 23, 59, 59},  {2038, 1, 19, 3, 14, 7},
        {2038, 1, 19, 3, 14, 8},    {2039, 1, 1, 0, 0, 0},      {2099, 12, 31, 23, 59, 59},
    };
    v.insert(v.end(), std::begin(special), std::end(special));
    return v;
}

Date make_date(const Instant &t)
{
    return vyktest::make_date(t.year, t.month, t.day, t.hour, t.min, t.sec);
}

int64_t floor_div(int64_t a, int64_t b)
{
    int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

}  // namespace

// Every conversion against GNU date over 1901..2099: seconds both ways, day of the year and
// weekday, day numbers both ways, and day of the year both ways.  One run of date for all.
TEST(Date, AgreesWithGnuDateFrom1901To2099)
{
    const std::vector<Instant> instants = sample_instants();
    vyktest::TempDir dir;
    std::string text;
    char line[64];
    for (const Instant &t : instants) {
        snprintf(line, sizeof line, "%04d-%02d-%02d %02d:%02d:%02d\n", t.year, t.month, t.day,
                 t.hour, t.min, t.sec);
        text += line;
    }
    vyktest::write_file(dir.file("dates"), text);
    vyktest::RunResult res =
        vyktest::run("LC_ALL=C date -u -f " + vyktest::quote(dir.file("dates")) + " '+%s %j %w'");
    ASSERT_EQ(res.status, 0) << res.err;

    std::istringstream out(res.out);
    size_t checked = 0;
    for (const Instant &t : instants) {
        int64_t secs = 0;
        int jday = 0, wday = 0;
        ASSERT_TRUE(out >> secs >> jday >> wday) << "date printed too few lines";
        SCOPED_TRACE(testing::Message() << t.year << "-" << t.month << "-" << t.day << " "
                                        << t.hour << ":" << t.min << ":" << t.sec);

        Date d = make_date(t);
        EXPECT_EQ(DATE_num_sec(&d), secs);
        EXPECT_EQ(d.year, t.year);
        EXPECT_EQ(d.month, t.month);
        EXPECT_EQ(d.day, t.day);

        Date g;
        ASSERT_EQ(DATE_get_gmdate(&secs, &g), 0);
        EXPECT_EQ(g.year, t.year);
        EXPECT_EQ(g.month, t.month);
        EXPECT_EQ(g.day, t.day);
        EXPECT_EQ(g.hour, t.hour);
        EXPECT_EQ(g.min, t.min);
        EXPECT_EQ(g.sec, t.sec);
        EXPECT_EQ(g.jday, jday);
        EXPECT_EQ(g.wday, wday);
        // Callers fill tm_year with the year as read (full, two-digit or since 1900).
        struct tm tm = *DATE_get_gmtime(secs);
        EXPECT_EQ(tm.tm_year, t.year - 1900);
        tm.tm_year = t.year;
        EXPECT_EQ(DATE_num_sec_tm(&tm), secs);

        int days = DATE_date_days(t.year, t.month, t.day);
        EXPECT_EQ(days, floor_div(secs, 86400) + 1);
        if (days >= 1) {
            int y = 0, m = 0, dd = 0;
            DATE_days_date(days, &y, &m, &dd);
            EXPECT_EQ(y, t.year);
            EXPECT_EQ(m, t.month);
            EXPECT_EQ(dd, t.day);
        }

        int j = 0, m = 0, dd = 0;
        DATE_monday_julian(t.year, t.month, t.day, &j);
        EXPECT_EQ(j, jday);
        DATE_julian_monday(t.year, jday, &m, &dd);
        EXPECT_EQ(m, t.month);
        EXPECT_EQ(dd, t.day);
        checked++;
    }
    EXPECT_EQ(checked, instants.size());
    std::string rest;
    EXPECT_FALSE(out >> rest) << "date printed more lines than dates given";
}

TEST(Date, WidensTwoDigitYearsAndYearsSince1900)
{
    const struct {
        int year, widened;
    } cases[] = {
        {0, 2000},   {49, 2049},  {50, 1950},   {99, 1999},   {100, 2000},
        {124, 2024}, {199, 2099}, {-1, 1980},   {-9999, 1980}, {1901, 1901},
    };
    for (const auto &c : cases) {
        Date d = make_date({c.year, 6, 15, 12, 0, 0});
        Date full = make_date({c.widened, 6, 15, 12, 0, 0});
        EXPECT_EQ(DATE_num_sec(&d), DATE_num_sec(&full)) << c.year;
        EXPECT_EQ(d.year, c.widened) << c.year;
    }
}

TEST(Date, AllFieldsMissingMeansStartOf1980)
{
    Date d;
    DATE_init(&d);
    EXPECT_EQ(d.year, -9999);
    EXPECT_EQ(d.jday, -9999);
    EXPECT_EQ(d.sec, -9999);
    EXPECT_EQ(DATE_num_sec(&d), 315532800);  // date -u -d 1980-01-01 +%s
    EXPECT_EQ(d.year, 1980);
    EXPECT_EQ(d.month, 1);
    EXPECT_EQ(d.day, 1);
    EXPECT_EQ(d.hour, 0);
    EXPECT_EQ(d.min, 0);
    EXPECT_EQ(d.sec, 0);
    EXPECT_EQ(d.jday, -9999);
    EXPECT_EQ(d.wday, -9999);
}

// Out-of-range fields are normalised in place; day 0 is kept and counts as the day before the
// first, and days past the end of a month run into the next.
TEST(Date, NormalisesOutOfRangeFields)
{
    const struct {
        Instant in, normalised;
        Instant same_as;
    } cases[] = {
        {{2024, 0, 5, 1, 2, 3}, {2024, 1, 5, 1, 2, 3}, {2024, 1, 5, 1, 2, 3}},
        {{2024, 13, 5, 1, 2, 3}, {2024, 1, 5, 1, 2, 3}, {2024, 1, 5, 1, 2, 3}},
        {{2024, 3, -1, 1, 2, 3}, {2024, 3, 1, 1, 2, 3}, {2024, 3, 1, 1, 2, 3}},
        {{2024, 3, 32, 1, 2, 3}, {2024, 3, 1, 1, 2, 3}, {2024, 3, 1, 1, 2, 3}},
        {{2024, 3, 5, 24, 60, 60}, {2024, 3, 5, 0, 0, 0}, {2024, 3, 5, 0, 0, 0}},
        {{2024, 3, 5, -1, -1, -1}, {2024, 3, 5, 0, 0, 0}, {2024, 3, 5, 0, 0, 0}},
        {{2024, 3, 0, 0, 0, 0}, {2024, 3, 0, 0, 0, 0}, {2024, 2, 29, 0, 0, 0}},
        {{2023, 4, 31, 6, 0, 0}, {2023, 4, 31, 6, 0, 0}, {2023, 5, 1, 6, 0, 0}},
    };
    for (const auto &c : cases) {
        Date d = make_date(c.in), ref = make_date(c.same_as);
        int64_t s = DATE_num_sec(&d);
        EXPECT_EQ(s, DATE_num_sec(&ref));
        EXPECT_EQ(d.year, c.normalised.year);
        EXPECT_EQ(d.month, c.normalised.month);
        EXPECT_EQ(d.day, c.normalised.day);
        EXPECT_EQ(d.hour, c.normalised.hour);
        EXPECT_EQ(d.min, c.normalised.min);
        EXPECT_EQ(d.sec, c.normalised.sec);
    }
}

TEST(Date, SecondsBeyondThirtyTwoBits)
{
    Date d = make_date({2039, 1, 1, 0, 0, 0});
    int64_t s = DATE_num_sec(&d);
    EXPECT_GT(s, int64_t{INT32_MAX});
    EXPECT_EQ(s, int64_t{2177452800});
    Date g;
    ASSERT_EQ(DATE_get_gmdate(&s, &g), 0);
    EXPECT_EQ(g.year, 2039);
    EXPECT_EQ(g.jday, 1);
}

TEST(Date, NumSecFromBrokenDownTimeWidensYearsSince1900)
{
    struct tm tm = {};
    tm.tm_year = 124;
    tm.tm_mon = 2;
    tm.tm_mday = 5;
    tm.tm_hour = 12;
    tm.tm_min = 30;
    tm.tm_sec = 15;
    Date d = make_date({2024, 3, 5, 12, 30, 15});
    EXPECT_EQ(DATE_num_sec_tm(&tm), DATE_num_sec(&d));
}

TEST(Date, LeapYearRule)
{
    const struct {
        int year, leap;
    } cases[] = {{1600, 1}, {1900, 0}, {1970, 0}, {2000, 1}, {2023, 0}, {2024, 1}, {2100, 0}};
    for (const auto &c : cases) EXPECT_EQ(DATE_is_leap(c.year), c.leap) << c.year;
}

TEST(Date, DayNumbers)
{
    const struct {
        int year, month, day, days;
    } cases[] = {
        {1970, 1, 1, 1},    {1970, 3, 1, 60},    {1969, 12, 31, 0},  {1970, 12, 31, 365},
        {1971, 1, 1, 366},  {1972, 3, 1, 791},   {2000, 1, 1, 10958},
        {1970, 13, 5, 5},   {1970, 0, 5, 5},  // a month outside 1..12 adds no days
    };
    for (const auto &c : cases)
        EXPECT_EQ(DATE_date_days(c.year, c.month, c.day), c.days)
            << c.year << "-" << c.month << "-" << c.day;
    // Beyond the int range the day number is clamped rather than wrapped.
    EXPECT_EQ(DATE_date_days(INT_MAX, 12, 31), INT_MAX);
    EXPECT_EQ(DATE_date_days(INT_MIN, 1, 1), INT_MIN);

    const struct {
        int days, year, month, day;
    } back[] = {
        {1, 1970, 1, 1},    {60, 1970, 3, 1},   {365, 1970, 12, 31},
        {366, 1971, 1, 1},  {791, 1972, 3, 1},  {10958, 2000, 1, 1},
    };
    for (const auto &c : back) {
        int y = 0, m = 0, d = 0;
        EXPECT_EQ(DATE_days_date(c.days, &y, &m, &d), 0);
        EXPECT_EQ(y, c.year) << c.days;
        EXPECT_EQ(m, c.month) << c.days;
        EXPECT_EQ(d, c.day) << c.days;
    }
}

// A day number below 1 matches no month: the month is 13 and the day is not written.
TEST(Date, DayNumberBelowOneLeavesMonthThirteen)
{
    for (int days : {0, -1, -400, INT_MIN}) {
        int y = 0, m = 0, d = 777;
        EXPECT_EQ(DATE_days_date(days, &y, &m, &d), 0);
        EXPECT_EQ(y, 1970) << days;
        EXPECT_EQ(m, 13) << days;
        EXPECT_EQ(d, 777) << days;
    }
}

TEST(Date, DayOfYearBothWays)
{
    const struct {
        int year, jday, month, day;
    } to_date[] = {
        {2024, 60, 2, 29}, {2023, 366, 12, 31}, {2023, 59, 2, 28},  {2023, 60, 3, 1},
        {2024, 366, 12, 31}, {2024, 367, 12, 31}, {2024, 0, 1, 1},  {2024, -50, 1, 1},
        {1900, 60, 3, 1},  {2000, 60, 2, 29},   {2023, 1, 1, 1},    {2023, INT_MAX, 12, 31},
    };
    for (const auto &c : to_date) {
        int m = 0, d = 0;
        EXPECT_EQ(DATE_julian_monday(c.year, c.jday, &m, &d), 0);
        EXPECT_EQ(m, c.month) << c.year << " " << c.jday;
        EXPECT_EQ(d, c.day) << c.year << " " << c.jday;
    }

    const struct {
        int year, month, day, jday;
    } to_jday[] = {
        {2024, 3, 1, 61},   {2023, 3, 1, 60},   {2024, 0, 5, 5},     {2024, 13, 1, 336},
        {2023, -7, 2, 2},   {2023, 2, 31, 62},  {2024, 12, 31, 366}, {2024, 1, INT_MAX, INT_MAX},
    };
    for (const auto &c : to_jday) {
        int j = 0;
        EXPECT_EQ(DATE_monday_julian(c.year, c.month, c.day, &j), 0);
        EXPECT_EQ(j, c.jday) << c.year << "-" << c.month << "-" << c.day;
    }
}

TEST(Date, MonthNames)
{
    const char *upper[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                           "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
    const char *lower[] = {"jan", "feb", "mar", "apr", "may", "jun",
                           "jul", "aug", "sep", "oct", "nov", "dec"};
    const char *full[] = {"January", "February", "March",     "April",   "May",      "June",
                          "July",    "August",   "September", "October", "November", "December"};
    for (int m = 1; m <= 12; m++) {
        EXPECT_STREQ(DATE_month(m), upper[m - 1]);
        EXPECT_STREQ(DATE_month_lower(m), lower[m - 1]);
        EXPECT_STREQ(DATE_month_long(m), full[m - 1]);
    }
    for (int m : {0, 13, -1, -9999, INT_MIN, INT_MAX}) {
        EXPECT_STREQ(DATE_month(m), "") << m;
        EXPECT_STREQ(DATE_month_lower(m), "") << m;
        EXPECT_STREQ(DATE_month_long(m), "") << m;
    }
    EXPECT_STREQ(day_of_week[0], "SUN");
    EXPECT_STREQ(day_of_week[6], "SAT");
    EXPECT_EQ(num_day[12], 365);
    EXPECT_EQ(num_day_leap[12], 366);
    EXPECT_EQ(num_day_leap[2], 60);
}

TEST(Date, TimeOfDayFromSeconds)
{
    const struct {
        int secs, hour, min, sec;
    } cases[] = {
        {0, 0, 0, 0}, {3661, 1, 1, 1}, {86399, 23, 59, 59}, {90000, 25, 0, 0}, {-5, 0, 0, -5},
    };
    for (const auto &c : cases) {
        int h = 9, m = 9, s = 9;
        EXPECT_EQ(DATE_time_date(c.secs, &h, &m, &s), 1);
        EXPECT_EQ(h, c.hour) << c.secs;
        EXPECT_EQ(m, c.min) << c.secs;
        EXPECT_EQ(s, c.sec) << c.secs;
    }
}

TEST(Date, ToStructFillsTheSharedRecord)
{
    Date *a = DATE_to_struct(2024, 3, 5, 12, 30);
    EXPECT_EQ(a->year, 2024);
    EXPECT_EQ(a->month, 3);
    EXPECT_EQ(a->day, 5);
    EXPECT_EQ(a->hour, 12);
    EXPECT_EQ(a->min, 30);
    EXPECT_EQ(a->sec, 0);
    EXPECT_EQ(a->jday, -9999);
    EXPECT_EQ(a->wday, -9999);
    a->jday = 65;
    Date *b = DATE_to_struct(1999, 12, 31, 23, 59);
    EXPECT_EQ(a, b);
    EXPECT_EQ(b->year, 1999);
    EXPECT_EQ(b->jday, 65);  // untouched
}

// Seconds whose year no broken-down time holds give all fields missing and -1, not a crash.
TEST(Date, SecondsOutOfCalendarRangeGiveMissingDate)
{
    const int64_t huge = INT64_MAX;
    Date d = make_date({2024, 1, 1, 0, 0, 0});
    EXPECT_EQ(DATE_get_gmdate(&huge, &d), -1);
    EXPECT_EQ(d.year, -9999);
    EXPECT_EQ(d.month, -9999);
    EXPECT_EQ(d.sec, -9999);
    d = make_date({2024, 1, 1, 0, 0, 0});
    EXPECT_EQ(DATE_get_localdate(&huge, &d), -1);
    EXPECT_EQ(d.day, -9999);
}

TEST(Date, LocalTimeFollowsTheProcessZone)
{
    setenv("TZ", "XYZ-3", 1);  // three hours east of UTC
    tzset();
    const int64_t secs = 0;
    Date d;
    ASSERT_EQ(DATE_get_localdate(&secs, &d), 0);
    EXPECT_EQ(d.year, 1970);
    EXPECT_EQ(d.month, 1);
    EXPECT_EQ(d.day, 1);
    EXPECT_EQ(d.hour, 3);
    EXPECT_EQ(d.jday, 1);
    EXPECT_EQ(d.wday, 4);  // a Thursday
    EXPECT_EQ(DATE_get_localtime(-3 * 3600)->tm_hour, 0);
    ASSERT_EQ(DATE_get_gmdate(&secs, &d), 0);
    EXPECT_EQ(d.hour, 0);
}

TEST(Date, CurrentTime)
{
    int64_t before = 0;
    DATE_get_time(&before);
    Date now;
    ASSERT_EQ(DATE_get_current_gmdate(&now), 0);
    Date null_secs;
    ASSERT_EQ(DATE_get_gmdate(nullptr, &null_secs), 0);
    char str[DATE_STR_LEN], simple[DATE_STR_LEN];
    DATE_get_current_str(str);
    DATE_get_simple_current_str(simple);
    int64_t after = DATE_get_time(nullptr);
    ASSERT_LE(before, after);

    // Each text must be the one of some second between the two clock readings.
    auto matches = [&](auto make, const char *text) {
        for (int64_t s = before; s <= after; s++) {
            Date d;
            DATE_get_gmdate(&s, &d);
            if (make(d) == text) return true;
        }
        return false;
    };
    char buf[64];
    EXPECT_TRUE(matches(
        [&](const Date &d) {
            snprintf(buf, sizeof buf, "%2.2d %s %2.2d  %2.2d:%2.2d:%2.2dZ", d.year % 100,
                     DATE_month(d.month), d.day, d.hour, d.min, d.sec);
            return std::string(buf);
        },
        str))
        << str;
    EXPECT_EQ(strlen(str), 20u);
    EXPECT_TRUE(matches(
        [&](const Date &d) {
            snprintf(buf, sizeof buf, "%2.2d-%2.2d:%2.2dZ", d.day, d.hour, d.min);
            return std::string(buf);
        },
        simple))
        << simple;
    Date nd = now;
    int64_t s = DATE_num_sec(&nd);
    EXPECT_GE(s, before);
    EXPECT_LE(s, after);
    EXPECT_GE(now.jday, 1);
    EXPECT_GE(now.wday, 0);
}

TEST(Date, PrintWritesThroughMessages)
{
    Date d = make_date({2024, 3, 1, 5, 6, 7});
    vyktest::CaptureStdio cap;
    EXPECT_EQ(DATE_print(15, &d), 0);
    EXPECT_EQ(DATE_print_current(15), 0);
    cap.finish();
    std::regex form("2024/3/1 05:06:07\n[0-9]{2} [A-Z]{3} [0-9]{2}  [0-9]{2}:[0-9]{2}:[0-9]{2}Z");
    EXPECT_TRUE(std::regex_match(cap.out(), form)) << cap.out();
    EXPECT_EQ(cap.err(), "");
}

// Display time zone: each case is a sequence of texts given to DATE_set_TZ in one process.
struct TzCase {
    std::vector<const char *> texts;
    const char *str;
    int off, pm;
};

// Shows the sequence of texts in test names and messages.
void PrintTo(const TzCase &c, std::ostream *os)
{
    *os << "{";
    for (size_t i = 0; i < c.texts.size(); i++)
        *os << (i ? ", " : "") << (c.texts[i] ? "\"" + std::string(c.texts[i]) + "\"" : "NULL");
    *os << "}";
}

class DateTz : public testing::TestWithParam<TzCase> {};

TEST_P(DateTz, SetsZoneTextOffsetAndMode)
{
    const TzCase &c = GetParam();
    for (const char *t : c.texts) EXPECT_EQ(DATE_set_TZ(t), 0);
    EXPECT_STREQ(DATE_get_tz_str(), c.str);
    EXPECT_EQ(DATE_get_tz_off(), c.off);
    EXPECT_EQ(DATE_get_tz_pm(), c.pm);
}

INSTANTIATE_TEST_SUITE_P(
    Date, DateTz,
    testing::Values(
        TzCase{{}, "Z", 0, 0},
        TzCase{{"-EST:-5"}, " EST", -18000, -1},
        TzCase{{"CET:1"}, " CET", 3600, 0},
        TzCase{{"+EST:-5", "UTC:0"}, " UTC", 0, 1},
        TzCase{{"-EST:-5", "CET:1"}, " CET", 3600, -1},
        TzCase{{"IST:5.5"}, " IST", 19800, 0},
        TzCase{{"NPT:+5.75"}, " NPT", 20700, 0},
        TzCase{{"CET:1", "GMT"}, " GMT", 0, 0},         // no hours: offset 0
        TzCase{{"CET:1", "GMT:"}, " GMT", 0, 0},
        TzCase{{"CET:1", "GMT:x"}, " GMT", 0, 0},
        TzCase{{"LONGNAME:3"}, " LONG", 0, 0},          // four characters, then no ':'
        TzCase{{"ABCD:2"}, " ABCD", 7200, 0},
        TzCase{{":5"}, " ", 0, 0},                       // no name: only the blank is set
        TzCase{{"-CET:1", ":5"}, " CET", 0, -1},
        TzCase{{"-"}, " ", 0, -1},
        TzCase{{"CET:1", ""}, " CET", 3600, 0},         // empty text changes nothing
        TzCase{{"+CET:1", nullptr}, " CET", 3600, 1},   // and NULL neither
        TzCase{{"X:nan"}, " X", 0, 0},                  // not a number: offset 0
        TzCase{{"X:1e30"}, " X", INT_MAX, 0},           // clamped to the int range
        TzCase{{"X:-1e30"}, " X", INT_MIN, 0}));
