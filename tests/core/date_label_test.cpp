// Tests of the date labels: the standard label in every display-zone mode, the twelve-digit
// sequence, label and month-name decoding, forecast-length texts, the format-driven label, the
// forecast and analysis labels (valid times cross-checked with GNU date, including forecasts
// counted in days and months) and the bounds of the caller's buffers.
#include "date_util.h"
#include "test_util.h"
#include "vyk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The seconds stay missing, as DATE_init leaves them.
Date make(int year, int month, int day, int hour, int min)
{
    return vyktest::make_date(year, month, day, hour, min, VYK_MISS);
}

int64_t seconds_of(int year, int month, int day, int hour)
{
    Date d = make(year, month, day, hour, 0);
    d.sec = 0;
    return DATE_num_sec(&d);
}

std::string label(const Date &d)
{
    char buf[DATE_LABEL_LEN];
    EXPECT_EQ(DATE_make_label(&d, buf), 0);
    return buf;
}

// A model table in a scratch directory on the file path: model 81 of NCEP is GFS, model 5
// (any source) has a name longer than the nine characters a label takes.
class ModelTable {
public:
    ModelTable()
    {
        vyktest::write_file(dir_.file("mod_name.lup"), "7:81 GFS\n5 VERYLONGMODELNAME\n");
        RES_put("file_path", dir_.path().c_str());
    }

private:
    vyktest::TempDir dir_;
};

// The UTC texts GNU date gives for a list of "date -d" texts, in one run.
std::vector<std::string> gnu_date(const std::vector<std::string> &when, const std::string &fmt)
{
    std::string cmd;
    for (const auto &w : when)
        cmd += "date -u -d " + vyktest::quote(w) + " " + vyktest::quote(fmt) + " && ";
    cmd += "true";
    const auto r = vyktest::run(cmd);
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<std::string> lines;
    std::istringstream in(r.out);
    for (std::string line; std::getline(in, line);) {
        std::transform(line.begin(), line.end(), line.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        lines.push_back(line);
    }
    EXPECT_EQ(lines.size(), when.size());
    lines.resize(when.size());
    return lines;
}

TEST(DateLabel, StandardLabelShortensWithTheFirstMissingField)
{
    struct Case {
        Date date;
        const char *text;
    } cases[] = {
        {make(2024, 3, 5, 12, 30), "1230Z  5 MAR 24"},
        {make(2024, 3, 5, 12, VYK_MISS), "12Z  5 MAR 24"},
        {make(2024, 3, 5, VYK_MISS, 30), " 5 MAR 24"},
        {make(2024, 3, VYK_MISS, 12, 30), "MAR 24"},
        {make(2024, VYK_MISS, 5, 12, 30), "24"},
        {make(2024, 12, 31, 9, 5), "0905Z 31 DEC 24"},
        // Out-of-range fields that the form prints are normalised.
        {make(2024, 13, 40, 24, 60), "0000Z  1 JAN 24"},
        {make(-5, 3, 5, VYK_MISS, VYK_MISS), " 5 MAR 80"},
        {make(VYK_MISS, VYK_MISS, 1, 1, 1), "80"},
        {make(1999, 7, 0, 7, VYK_MISS), "07Z  0 JUL 99"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(label(c.date), c.text);
    }
}

TEST(DateLabel, StandardLabelInEveryZoneMode)
{
    // The zone texts are applied in this order in one process (a text without a sign keeps
    // the mode of the one before).  Columns: 2024-03-05 12:30, the same hour without a
    // minute, and March 2024 without a day.
    struct Case {
        const char *zone;  // NULL: the initial zone
        const char *full, *hour, *month;
    } cases[] = {
        {nullptr, "1230Z  5 MAR 24", "12Z  5 MAR 24", "MAR 24"},
        {"CET:1", "1330 CET  5 MAR 24", "1300 CET  5 MAR 24", "0100 CET  1 MAR 24"},
        {"UTC:0", "1230 UTC  5 MAR 24", "12 UTC  5 MAR 24", "MAR 24"},
        {"+EST:-5", "7:30 AM EST  5 MAR 24", "7:00 AM EST  5 MAR 24", "7:00 PM EST 29 FEB 24"},
        {"+UTC:0", "12:30 PM UTC  5 MAR 24", "12 PM UTC  5 MAR 24", "MAR 24"},
        {"-EST:-5", "7:30 AM EST [1230Z]  5 MAR 24", "7:00 AM EST [1200Z]  5 MAR 24",
         "7:00 PM EST [0000Z] 29 FEB 24"},
        {"-UTC:0", "12:30 PM UTC [1230Z]  5 MAR 24", "12 PM UTC [12Z]  5 MAR 24", "MAR 24"},
        {"-JST:9", "9:30 PM JST [1230Z]  5 MAR 24", "9:00 PM JST [1200Z]  5 MAR 24",
         "9:00 AM JST [0000Z]  1 MAR 24"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.zone ? c.zone : "initial");
        if (c.zone) DATE_set_TZ(c.zone);
        EXPECT_EQ(label(make(2024, 3, 5, 12, 30)), c.full);
        EXPECT_EQ(label(make(2024, 3, 5, 12, VYK_MISS)), c.hour);
        EXPECT_EQ(label(make(2024, 3, VYK_MISS, VYK_MISS, VYK_MISS)), c.month);
    }
}

TEST(DateLabel, TwelveHourTexts)
{
    DATE_set_TZ("+UTC:0");
    struct Case {
        int hour, min;
        const char *text;
    } cases[] = {
        {0, VYK_MISS, "12 AM UTC"}, {1, VYK_MISS, "1 AM UTC"},   {11, VYK_MISS, "11 AM UTC"},
        {12, VYK_MISS, "12 PM UTC"}, {13, VYK_MISS, "1 PM UTC"}, {23, VYK_MISS, "11 PM UTC"},
        {0, 5, "12:05 AM UTC"},      {12, 0, "12:00 PM UTC"},    {23, 59, "11:59 PM UTC"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(label(make(2024, 3, 5, c.hour, c.min)), std::string(c.text) + "  5 MAR 24");
    }
}

TEST(DateLabel, SequenceNormalisesAndReadsBack)
{
    struct Case {
        Date date;
        const char *seq;
        Date normal;
    } cases[] = {
        {make(2024, 3, 5, 12, 30), "202403051230", make(2024, 3, 5, 12, 30)},
        {make(-1, 0, 32, 24, 60), "198001010000", make(1980, 1, 1, 0, 0)},
        {make(2024, 2, 0, VYK_MISS, VYK_MISS), "202402000000", make(2024, 2, 0, 0, 0)},
        {make(24, 3, 5, 1, 2), "002403050102", make(24, 3, 5, 1, 2)},  // no widening
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.seq);
        Date d = c.date;
        char buf[DATE_SEQ_LEN];
        EXPECT_EQ(DATE_make_seq(&d, buf), 0);
        EXPECT_STREQ(buf, c.seq);
        EXPECT_EQ(d.year, c.normal.year);
        EXPECT_EQ(d.month, c.normal.month);
        EXPECT_EQ(d.day, c.normal.day);
        EXPECT_EQ(d.hour, c.normal.hour);
        EXPECT_EQ(d.min, c.normal.min);

        Date back;
        DATE_init(&back);
        EXPECT_EQ(DATE_decode_seq(buf, &back), 0);
        EXPECT_EQ(back.year, d.year);
        EXPECT_EQ(back.month, d.month);
        EXPECT_EQ(back.day, d.day);
        EXPECT_EQ(back.hour, d.hour);
        EXPECT_EQ(back.min, d.min);
    }

    // Fields that a short text does not reach keep their values.
    Date d = make(1, 2, 3, 4, 5);
    EXPECT_EQ(DATE_decode_seq("2024031", &d), 0);
    EXPECT_EQ(d.year, 2024);
    EXPECT_EQ(d.month, 3);
    EXPECT_EQ(d.day, 1);
    EXPECT_EQ(d.hour, 4);
    EXPECT_EQ(d.min, 5);

    char buf[DATE_SEQ_LEN];
    EXPECT_EQ(DATE_make_seq(&d, nullptr), -1);
    EXPECT_EQ(DATE_make_seq(nullptr, buf), -1);
    EXPECT_EQ(DATE_decode_seq(nullptr, &d), -1);
}

TEST(DateLabel, DecodeLabelForms)
{
    const int M = VYK_MISS;
    struct Case {
        const char *text;
        int year, month, day, hour, min, sec;
    } cases[] = {
        {"12Z  5 MAR 24", 2024, 3, 5, 12, M, M},                  // start of the text
        {"Analysis for 1230Z  5 MAR 24", 2024, 3, 5, 12, 30, M},  // last 15 characters
        {"valid  930Z  5 MAR 24", 2024, 3, 5, 9, 30, M},          // one-digit hour re-read
        {"obs at 12:30:45Z  5 MAR 24", 2024, 3, 5, 12, 30, 45},   // last 19 characters
        {"valid 06Z 31 DEC 99", 1999, 12, 31, 6, M, M},           // last 13 characters
        {"24 03 05 12", 2024, 3, 5, 12, M, M},                    // four numbers
        {"50 12 31 23", 1950, 12, 31, 23, M, M},
        {"12Z  5 jan 49", 2049, 1, 5, 12, M, M},  // years widened
        {"12Z  5 DEC 99", 1999, 12, 5, 12, M, M},
        {"12Z  5 Jan 24", 2024, 0, 5, 12, M, M},   // a capitalised Jan is no month
        {"no date here", M, M, M, M, M, M},
        {"", M, M, M, M, M, M},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        Date d = make(1, 1, 1, 1, 1);
        EXPECT_EQ(DATE_decode_label(c.text, &d), 0);
        EXPECT_EQ(d.year, c.year);
        EXPECT_EQ(d.month, c.month);
        EXPECT_EQ(d.day, c.day);
        EXPECT_EQ(d.hour, c.hour);
        EXPECT_EQ(d.min, c.min);
        EXPECT_EQ(d.sec, c.sec);
        EXPECT_EQ(d.jday, M);
        EXPECT_EQ(d.wday, M);
    }
}

TEST(DateLabel, DecodeReadsBackTheStandardLabels)
{
    // Hour-only labels from the start of the text, hour-and-minute labels at the end of a
    // longer one, for a spread of dates 1950 to 2049.
    for (int year = 1950; year <= 2049; year += 7) {
        for (int month = 1; month <= 12; month++) {
            const int day = 1 + (year + 3 * month) % 28;
            const int hour = (year + month) % 24;
            const int min = (7 * month + year) % 60;
            SCOPED_TRACE(testing::Message() << year << "-" << month << "-" << day);

            Date d;
            EXPECT_EQ(DATE_decode_label(label(make(year, month, day, hour, VYK_MISS)).c_str(), &d),
                      0);
            EXPECT_EQ(d.year, year);
            EXPECT_EQ(d.month, month);
            EXPECT_EQ(d.day, day);
            EXPECT_EQ(d.hour, hour);
            EXPECT_EQ(d.min, VYK_MISS);

            const std::string text = "12 hour GFS valid " + label(make(year, month, day, hour, min));
            EXPECT_EQ(DATE_decode_label(text.c_str(), &d), 0);
            EXPECT_EQ(d.year, year);
            EXPECT_EQ(d.month, month);
            EXPECT_EQ(d.day, day);
            EXPECT_EQ(d.hour, hour);
            EXPECT_EQ(d.min, min);
        }
    }
}

TEST(DateLabel, DecodeMonthNames)
{
    struct Case {
        const char *text;
        int month;
    } cases[] = {
        {"JAN", 1}, {"jan", 1}, {"Jan", 0}, {"FEB", 2},  {"Feb", 2},  {"feb", 2}, {"MAR", 3},
        {"mar", 3}, {"Mar", 0}, {"APR", 4}, {"Apr", 0},  {"MAY", 5},  {"may", 5}, {"May", 0},
        {"JUN", 6}, {"jun", 6}, {"Jun", 0}, {"JUL", 7},  {"Jul", 0},  {"AUG", 8}, {"aug", 8},
        {"Aug", 0}, {"Sep", 9}, {"oCT", 10}, {"Nov", 11}, {"dec", 12}, {"JA", 1}, {"MARCH", 3},
        {"March", 0}, {"J", 0}, {"", 0},  {"xyz", 0},  {"12", 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(DATE_decode_month(c.text), c.month);
    }
    EXPECT_EQ(DATE_decode_month(nullptr), 0);
}

TEST(DateLabel, ForecastLengthTexts)
{
    struct Case {
        int h, daily;
        const char *text;
    } cases[] = {
        {24, 1, "1 day"},   {24, 0, "24 hour"},   {12, 1, "0.5 day"}, {36, 1, "1.5 day"},
        {48, 1, "2 day"},   {60, 1, "2.5 day"},   {60, 0, "60 hour"}, {6, 1, "6 hour"},
        {72, 0, "3 day"},   {84, 0, "3.5 day"},   {90, 0, "90 hour"}, {803, 0, "3 day"},
        {902, 1, "2 month"}, {0, 0, ""},          {VYK_MISS, 1, ""},  {-6, 0, "-6 hour"},
        {INT_MAX, 0, "2147482747 month"},          {INT_MIN, 0, "-2147483648 hour"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        char buf[DATE_FHOUR_LEN];
        std::memset(buf, 'x', sizeof buf);
        EXPECT_EQ(DATE_fhour_label(buf, c.h, c.daily), buf);
        EXPECT_STREQ(buf, c.text);
    }
    EXPECT_EQ(DATE_fhour_label(nullptr, 12, 0), nullptr);
}

TEST(DateLabel, FormatLabelCodes)
{
    const Date d = make(2024, 3, 5, 6, VYK_MISS);
    const Date daily = make(2024, 3, 5, VYK_MISS, VYK_MISS);
    const Date full = make(2005, 11, 9, 18, 7);
    struct Case {
        const char *format;
        int code;
        const char *model;
        const Date *date;
        const char *text;
    } cases[] = {
        {"%y%m%d%h", 12, "GFS", &d, "24030506"},
        {"%M %d, %y", 12, "GFS", &d, "MAR 05, 24"},
        {"%F %x valid", 12, "GFS", &d, "12 hour GFS valid"},
        {"%F", 24, nullptr, &daily, "1 day"},
        {"%F", 24, nullptr, &d, "24 hour"},
        {"%F", 6012024, nullptr, &d, "12 hour"},  // statistic above 5: the first time
        {"[%x]", 12, nullptr, &d, "[]"},
        {"%f", 4018024, nullptr, &d, "4018024"},
        {"%h:%n", 0, nullptr, &d, "06:"},
        {"%h%n", 0, nullptr, &daily, ""},
        {"%y%m%d%h%n %M", 0, nullptr, &full, "0511091807 NOV"},
        {"100%%y", 0, nullptr, &d, "10024"},  // the second '%' begins a code
        {"a%qb%", 0, nullptr, &d, "aqb"},     // not a code: the '%' goes
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.format);
        char buf[DATE_LABEL_FOR_LEN];
        EXPECT_EQ(DATE_format_label(buf, c.format, c.code, c.model, c.date), 0);
        EXPECT_STREQ(buf, c.text);
    }
    char buf[DATE_LABEL_FOR_LEN];
    EXPECT_EQ(DATE_format_label(nullptr, "%y", 0, nullptr, &d), -1);
    EXPECT_EQ(DATE_format_label(buf, nullptr, 0, nullptr, &d), -1);
}

TEST(DateLabel, LabelForSeconds)
{
    ModelTable table;
    const int64_t base = seconds_of(2024, 3, 5, 0);
    struct Case {
        int code, model;
        int64_t base;
        int result;
        const char *text;
    } cases[] = {
        {12, 7081, base, 0, "12 hour GFS valid 12Z TUE  5 MAR 24"},
        {0, 7081, base, 0, "GFS analysis for 00Z  5 MAR 24"},
        {6000, 7081, base, 0, "GFS analysis valid 00Z  5 MAR 24"},
        {VYK_MISS, 7081, base, 0, "GFS valid 00Z TUE  5 MAR 24"},  // valid at the base time
        {36, 7081, base, 0, "36 hour GFS valid 12Z WED  6 MAR 24"},
        {12, 9999, base, 0, "12 hour  valid 12Z TUE  5 MAR 24"},  // no such model
        {12, 7081, 0, -1, "12 hour GFS"},
        {0, 7081, 0, -1, "GFS analysis"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        char buf[DATE_LABEL_FOR_LEN];
        EXPECT_EQ(DATE_make_label_for(c.code, c.model, c.base, buf), c.result);
        EXPECT_STREQ(buf, c.text);
    }

    DATE_set_TZ("-EST:-5");
    char buf[DATE_LABEL_FOR_LEN];
    EXPECT_EQ(DATE_make_label_for(12, 7081, base, buf), 0);
    EXPECT_STREQ(buf, "12 hour GFS valid 7 AM EST [12Z] TUE  5 MAR 24");
    EXPECT_EQ(DATE_make_label_for(2, 7081, base, buf), 0);
    EXPECT_STREQ(buf, "2 hour GFS valid 9 PM EST [02Z] MON  4 MAR 24");
    EXPECT_EQ(DATE_make_label_for(12, 7081, base, nullptr), -1);
}

TEST(DateLabel, LabelForDate)
{
    const Date hour12 = make(2024, 3, 5, 12, VYK_MISS);
    const Date hour0 = make(2024, 3, 5, 0, 30);
    const Date daily = make(2024, 3, 5, VYK_MISS, VYK_MISS);
    const Date daily05 = make(2005, 3, 5, VYK_MISS, VYK_MISS);
    struct Case {
        int code;
        const char *model;
        const Date *date;
        const char *text;
    } cases[] = {
        {0, nullptr, &hour12, "Analysis for 12Z  5 MAR 24"},
        {0, "", &hour12, "Analysis for 12Z  5 MAR 24"},
        {0, "GFS", &hour12, "GFS analysis for 12Z  5 MAR 24"},
        {VYK_MISS, "GFS", &hour0, "GFS analysis for 0030Z  5 MAR 24"},
        {0, "GFS", &daily, "GFS analysis for  5 MAR 24"},
        {12, "GFS", &hour0, "12 hour GFS valid 12Z TUE  5 MAR 24"},  // the minute is dropped
        {6, "GFS", &hour0, "6 hour GFS valid 6Z TUE  5 MAR 24"},
        {12, nullptr, &hour0, "12 hour  valid 12Z TUE  5 MAR 24"},
        {24, "GFS", &daily, "1 day GFS valid WED  6 MAR 24"},
        {24, "GFS", &daily05, "1 day GFS valid SUN  6 MAR  5"},
        {4006000, "GFS", &hour0, "GFS analysis valid 0Z  5 MAR 24"},
        {4006000, nullptr, &hour0, "Analysis valid 0Z  5 MAR 24"},
        {4006000, nullptr, &daily05, "Analysis valid  5 MAR  5"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        char buf[DATE_LABEL_FOR_LEN];
        EXPECT_EQ(DATE_make_label_for_time_mod(c.code, c.model, c.date, buf), 0);
        EXPECT_STREQ(buf, c.text);
    }

    char buf[DATE_LABEL_FOR_LEN];
    DATE_set_TZ("CET:1");
    EXPECT_EQ(DATE_make_label_for_time_mod(12, "GFS", &hour0, buf), 0);
    EXPECT_STREQ(buf, "12 hour GFS valid 13 CET TUE  5 MAR 24");
    DATE_set_TZ("-EST:-5");
    EXPECT_EQ(DATE_make_label_for_time_mod(12, "GFS", &hour0, buf), 0);
    EXPECT_STREQ(buf, "12 hour GFS valid 7 AM EST [12Z] TUE  5 MAR 24");
    EXPECT_EQ(DATE_make_label_for_time_mod(0, nullptr, &hour12, buf), 0);
    EXPECT_STREQ(buf, "Analysis for 7:00 AM EST [1200Z]  5 MAR 24");
    EXPECT_EQ(DATE_make_label_for_time_mod(0, nullptr, nullptr, buf), -1);
}

TEST(DateLabel, LabelForDateTakesTheModelName)
{
    ModelTable table;
    const Date d = make(2024, 3, 5, 0, VYK_MISS);
    char buf[DATE_LABEL_FOR_LEN];
    EXPECT_EQ(DATE_make_label_for_time(12, 7081, &d, buf), 0);
    EXPECT_STREQ(buf, "12 hour GFS valid 12Z TUE  5 MAR 24");
    // The name in these labels holds at most nine characters.
    EXPECT_EQ(DATE_make_label_for_time(12, 5, &d, buf), 0);
    EXPECT_STREQ(buf, "12 hour VERYLONGM valid 12Z TUE  5 MAR 24");
    EXPECT_EQ(DATE_make_label_for_time(0, 4, &d, buf), 0);
    EXPECT_STREQ(buf, "Analysis for 00Z  5 MAR 24");
}

TEST(DateLabel, LabelForDateWithoutModelTable)
{
    vyktest::TempDir empty;
    RES_put("file_path", empty.path().c_str());
    const Date d = make(2024, 3, 5, 0, VYK_MISS);
    char buf[DATE_LABEL_FOR_LEN];
    vyktest::CaptureStdio cap;
    EXPECT_EQ(DATE_make_label_for_time(12, 7081, &d, buf), 0);
    cap.finish();
    EXPECT_STREQ(buf, "12 hour  valid 12Z TUE  5 MAR 24");
    EXPECT_NE(cap.err().find("VAR_model: Unable to open file: "), std::string::npos);
}

TEST(DateLabel, ValidTimeAlone)
{
    struct Case {
        int code;
        Date date;
        const char *text;
    } cases[] = {
        {12, make(2024, 3, 5, 0, VYK_MISS), "12Z TUE  5 MAR 24"},
        {VYK_MISS, make(2024, 3, 5, 6, 45), "6Z TUE  5 MAR 24"},
        {24, make(2024, 3, 5, VYK_MISS, VYK_MISS), "WED  6 MAR 24"},
        {48, make(2024, 2, 28, 12, VYK_MISS), "12Z FRI  1 MAR 24"},
        {6000, make(2024, 3, 5, 0, VYK_MISS), "0Z TUE  5 MAR 24"},  // second time 0
        {12, make(-1, 0, 0, 30, VYK_MISS), "12Z TUE  1 JAN 80"},     // normalised copy
        {800, make(2024, 3, 5, 6, VYK_MISS), "6Z TUE  5 MAR 24"},    // 800 and 900 count 0
        {900, make(2024, 3, 5, 6, VYK_MISS), "6Z TUE  5 MAR 24"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        char buf[DATE_LABEL_LEN];
        EXPECT_EQ(DATE_make_label_valid_time(c.code, &c.date, buf), 0);
        EXPECT_STREQ(buf, c.text);
    }
    DATE_set_TZ("-EST:-5");
    const Date d = make(2024, 3, 5, 0, VYK_MISS);
    char buf[DATE_LABEL_LEN];
    EXPECT_EQ(DATE_make_label_valid_time(12, &d, buf), 0);
    EXPECT_STREQ(buf, "7 AM EST [12Z] TUE  5 MAR 24");
    EXPECT_EQ(DATE_make_label_valid_time(12, &d, nullptr), -1);
}

// Forecasts counted in days (800 + n) and months (900 + n) are valid n days or n calendar
// months after the base time, in every label maker; checked against GNU date.
TEST(DateLabel, DayAndMonthForecastsAreValidDaysAndMonthsLater)
{
    struct Case {
        const char *base;  // GNU date text of the base time
        Date date;
        int code;
        const char *step;  // GNU date relative item
    } cases[] = {
        {"2024-03-05 00:00", make(2024, 3, 5, 0, VYK_MISS), 12, "+12 hours"},
        {"2024-03-05 06:00", make(2024, 3, 5, 6, VYK_MISS), 801, "+1 day"},
        {"2024-03-05 06:00", make(2024, 3, 5, 6, VYK_MISS), 803, "+3 days"},
        {"2024-02-27 18:00", make(2024, 2, 27, 18, VYK_MISS), 803, "+3 days"},
        {"2023-12-30 00:00", make(2023, 12, 30, 0, VYK_MISS), 899, "+99 days"},
        {"2024-03-05 06:00", make(2024, 3, 5, 6, VYK_MISS), 901, "+1 month"},
        {"2024-01-28 12:00", make(2024, 1, 28, 12, VYK_MISS), 902, "+2 months"},
        {"2024-11-15 00:00", make(2024, 11, 15, 0, VYK_MISS), 903, "+3 months"},
        {"2024-03-05 06:00", make(2024, 3, 5, 6, VYK_MISS), 999, "+99 months"},
        {"2024-03-05 06:00", make(2024, 3, 5, 6, VYK_MISS), 4012803, "+3 days"},
    };
    std::vector<std::string> when;
    for (const auto &c : cases) when.push_back(std::string(c.base) + " UTC " + c.step);
    const auto valid_hour = gnu_date(when, "+%-HZ %a %e %b %y");
    const auto valid_2h = gnu_date(when, "+%HZ %a %e %b %y");

    ModelTable table;
    for (size_t i = 0; i < std::size(cases); i++) {
        const auto &c = cases[i];
        SCOPED_TRACE(when[i]);
        char buf[DATE_LABEL_FOR_LEN];
        EXPECT_EQ(DATE_make_label_valid_time(c.code, &c.date, buf), 0);
        EXPECT_EQ(buf, valid_hour[i]);

        EXPECT_EQ(DATE_make_label_for_time_mod(c.code, "GFS", &c.date, buf), 0);
        const std::string text = buf;
        EXPECT_EQ(text.substr(text.size() - valid_hour[i].size()), valid_hour[i]) << text;

        Date base = c.date;
        base.min = 0;
        base.sec = 0;
        if (DATE_make_label_for(c.code, 7081, DATE_num_sec(&base), buf) == 0) {
            const std::string t = buf;
            EXPECT_EQ(t.substr(t.size() - valid_2h[i].size()), valid_2h[i]) << t;
        }
    }

    // The forecast length is shown as days or months.
    const Date d = make(2024, 3, 5, 6, VYK_MISS);
    char buf[DATE_LABEL_FOR_LEN];
    EXPECT_EQ(DATE_make_label_for_time_mod(803, "GFS", &d, buf), 0);
    EXPECT_STREQ(buf, "3 day GFS valid 6Z FRI  8 MAR 24");
    EXPECT_EQ(DATE_make_label_for_time_mod(902, "GFS", &d, buf), 0);
    EXPECT_STREQ(buf, "2 month GFS valid 6Z SUN  5 MAY 24");
}

TEST(DateLabel, MonthForecastFromTheEndOfAMonthEndsAtTheLastDay)
{
    struct Case {
        Date date;
        int code;
        const char *text;
    } cases[] = {
        {make(2024, 1, 31, 6, VYK_MISS), 901, "6Z THU 29 FEB 24"},
        {make(2023, 1, 31, 6, VYK_MISS), 901, "6Z TUE 28 FEB 23"},
        {make(2024, 3, 31, 6, VYK_MISS), 901, "6Z TUE 30 APR 24"},
        {make(2024, 12, 31, 23, VYK_MISS), 902, "23Z FRI 28 FEB 25"},
        {make(2024, 1, 31, 6, VYK_MISS), 902, "6Z SUN 31 MAR 24"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        char buf[DATE_LABEL_LEN];
        EXPECT_EQ(DATE_make_label_valid_time(c.code, &c.date, buf), 0);
        EXPECT_STREQ(buf, c.text);
    }
}

TEST(DateLabel, WeekdaysAgreeWithGnuDate)
{
    // Forecast labels over a spread of base times and hour codes.
    std::vector<std::string> when;
    std::vector<std::pair<Date, int>> labels;
    for (int i = 0; i < 40; i++) {
        const int year = 1970 + (i * 7) % 99;
        const int month = 1 + i % 12;
        const int day = 1 + (i * 5) % 28;
        const int hour = (i * 5) % 24;
        const int code = (i * 37) % 800;
        char base[64];
        std::snprintf(base, sizeof base, "%04d-%02d-%02d %02d:00 UTC +%d hours", year, month,
                      day, hour, code);
        when.push_back(base);
        labels.push_back({make(year, month, day, hour, VYK_MISS), code});
    }
    const auto expected = gnu_date(when, "+%-HZ %a %e %b %y");
    for (size_t i = 0; i < labels.size(); i++) {
        SCOPED_TRACE(when[i]);
        char buf[DATE_LABEL_LEN];
        EXPECT_EQ(DATE_make_label_valid_time(labels[i].second, &labels[i].first, buf), 0);
        EXPECT_EQ(buf, expected[i]);
    }
}

TEST(DateLabel, EveryMakerStaysInsideTheBuffer)
{
    ModelTable table;
    DATE_set_TZ("-EST:-5");
    const Date d = make(2024, 3, 5, 12, 30);
    Date seq = d;
    const int64_t base = seconds_of(2024, 3, 5, 0);
    using Maker = int (*)(char *, size_t, const Date *, int64_t, Date *);
    const Maker makers[] = {
        [](char *b, size_t n, const Date *date, int64_t, Date *) {
            return DATE_make_label(date, b, n);
        },
        [](char *b, size_t n, const Date *, int64_t, Date *s) { return DATE_make_seq(s, b, n); },
        [](char *b, size_t n, const Date *, int64_t, Date *) {
            return DATE_fhour_label(b, 902, 0, n) ? 0 : -1;
        },
        [](char *b, size_t n, const Date *date, int64_t, Date *) {
            return DATE_format_label(b, "%F %x %y%m%d%h%n", 803, "GFS", date, n);
        },
        [](char *b, size_t n, const Date *, int64_t s, Date *) {
            return DATE_make_label_for(12, 7081, s, b, n);
        },
        [](char *b, size_t n, const Date *date, int64_t, Date *) {
            return DATE_make_label_for_time(12, 7081, date, b, n);
        },
        [](char *b, size_t n, const Date *date, int64_t, Date *) {
            return DATE_make_label_for_time_mod(0, "GFS", date, b, n);
        },
        [](char *b, size_t n, const Date *date, int64_t, Date *) {
            return DATE_make_label_valid_time(12, date, b, n);
        },
    };
    for (size_t m = 0; m < std::size(makers); m++) {
        SCOPED_TRACE(testing::Message() << "maker " << m);
        char whole[DATE_LABEL_FOR_LEN];
        ASSERT_EQ(makers[m](whole, sizeof whole, &d, base, &seq), 0);
        const std::string full = whole;
        ASSERT_FALSE(full.empty());
        for (size_t size = 1; size <= full.size() + 1; size++) {
            char buf[DATE_LABEL_FOR_LEN + 8];
            std::memset(buf, '#', sizeof buf);
            EXPECT_EQ(makers[m](buf, size, &d, base, &seq), 0);
            EXPECT_EQ(std::string(buf), full.substr(0, size - 1));
            for (size_t k = size; k < sizeof buf; k++) ASSERT_EQ(buf[k], '#') << size;
        }
        char none[1] = {'#'};
        EXPECT_EQ(makers[m](none, 0, &d, base, &seq), -1);
        EXPECT_EQ(none[0], '#');
    }
}

TEST(DateLabel, LabelsOfExtremeTimesStayBounded)
{
    // A base time far outside the calendar, and codes at the ends of the int range.
    char buf[DATE_LABEL_FOR_LEN];
    EXPECT_EQ(DATE_make_label_for(999, 1, INT64_MAX, buf), 0);
    EXPECT_LT(std::strlen(buf), sizeof buf);
    EXPECT_EQ(DATE_make_label_for(INT_MIN, 1, INT64_MIN, buf), 0);
    EXPECT_LT(std::strlen(buf), sizeof buf);
    const Date d = make(INT_MAX, INT_MAX, INT_MAX, INT_MAX, INT_MAX);
    EXPECT_EQ(DATE_make_label_for_time_mod(INT_MAX, "GFS", &d, buf), 0);
    EXPECT_LT(std::strlen(buf), sizeof buf);
    char small[DATE_LABEL_LEN];
    EXPECT_EQ(DATE_make_label_valid_time(999, &d, small), 0);
    EXPECT_LT(std::strlen(small), sizeof small);
    DATE_set_TZ("-EST:-5");
    EXPECT_EQ(DATE_make_label(&d, small), 0);
    EXPECT_LT(std::strlen(small), sizeof small);
}

}  // namespace
