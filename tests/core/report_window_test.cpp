// The report time window around a file's date.
#include <gtest/gtest.h>

#include <string>

#include "date_util.h"
#include "test_util.h"
#include "vyk.h"
#include "vykresrc.h"

using vyktest::CaptureStdio;
using vyktest::make_date;

namespace {

void force_hour_min(int hour, int min)
{
    Date f;
    DATE_init(&f);
    f.sec = 0;
    f.hour = hour;
    f.min = min;
    FILE_set_time(&f);
}

}  // namespace

// The initial span of -15 and +10 minutes, across midnight.
TEST(ReportWindow, InitialSpanAroundMidnight)
{
    const Date base = make_date(2024, 1, 2, 0, 0);
    DATE_set_datim(&base);
    const struct {
        int t;
        int in;
    } cases[] = {
        {2350, 1}, {15, 0}, {-9999, 0}, {2345, 1}, {2344, 0}, {10, 1},
        {11, 0},   {0, 1},  {1200, 0},  {2359, 1},
    };
    for (const auto &k : cases) EXPECT_EQ(DATE_chk_range(k.t), k.in) << k.t;

    const Date late = make_date(2024, 1, 1, 23, 55);
    DATE_set_datim(&late);
    EXPECT_EQ(DATE_chk_range(5), 1);  // ten minutes after, on the next day
    EXPECT_EQ(DATE_chk_range(6), 0);
    EXPECT_EQ(DATE_chk_range(2340), 1);
}

// Without a decoding hour or a forced time the base is the file's date, a missing minute 0.
TEST(ReportWindow, BaseIsTheFileDate)
{
    const Date file = make_date(2024, 3, 5, 12, VYK_MISS);
    DATE_set_datim(&file);
    Date got;
    DATE_get_datim(&got);
    EXPECT_EQ(got.year, 2024);
    EXPECT_EQ(got.day, 5);
    EXPECT_EQ(got.hour, 12);
    EXPECT_EQ(got.min, 0);
    EXPECT_EQ(DATE_chk_range(1150), 1);
    EXPECT_EQ(DATE_chk_range(1210), 1);
    EXPECT_EQ(DATE_chk_range(1211), 0);

    DATE_set_range(-60, 60);  // the bounds follow at the next setting
    EXPECT_EQ(DATE_chk_range(1300), 0);
    DATE_set_datim(&file);
    EXPECT_EQ(DATE_chk_range(1300), 1);
    EXPECT_EQ(DATE_chk_range(1100), 1);
    EXPECT_EQ(DATE_chk_range(1059), 0);
}

// Texts of `decode_hour`: decoding time, span and the notes printed.
TEST(ReportWindow, DecodeHourTexts)
{
    struct Case {
        const char *text;
        int hour, min;           // the base after setting (file date 2024-03-05 07:40)
        int pre, post;           // the span
        const char *notes;
    } cases[] = {
        {"12:30-20+5", 12, 30, -20, 5,
         "Decoding for: 12:30Z\nDecoding range: -20 +5 mins\n"},
        {"12", 12, 0, -15, 10, "Decoding for: 12:00Z\n"},
        {"12:30", 12, 30, -15, 10, "Decoding for: 12:30Z\n"},
        {"6-30+0", 6, 0, -30, 0, "Decoding for: 06:00Z\nDecoding range: -30 +0 mins\n"},
        {":-20+5", 7, 40, -20, 5, "Decoding range: -20 +5 mins\n"},
        {":-20", 7, 40, -20, 10, "Decoding range: -20 +10 mins\n"},
        {"cu:cu-30+15", 7, 40, -30, 15, "Decoding for: 07:40Z\nDecoding range: -30 +15 mins\n"},
        {"cu-20+5", 7, 0, -20, 5, "Decoding for: 07:00Z\nDecoding range: -20 +5 mins\n"},
        {"cu-3-20+5", 4, 40, -20, 5, "Decoding for: 04:40Z\nDecoding range: -20 +5 mins\n"},
        {"cu-3", 4, 40, -15, 10, "Decoding for: 04:40Z\n"},
        {"CU:45-10+10", 7, 45, -10, 10, "Decoding for: 07:45Z\nDecoding range: -10 +10 mins\n"},
        {"cu:45", 7, 45, -15, 10, "Decoding for: 07:45Z\nDecoding range: -15 +10 mins\n"},
        {"cu", 7, 0, -15, 10, "Decoding for: 07:00Z\n"},
        {"none", 7, 40, -15, 10, ""},
        // Step codes: every 3 hours from 2; a step of 0 is the fixed value.
        {"-203", 8, 0, -15, 10, "Decoding for: 08:00Z\n"},
        {"-300", 3, 0, -15, 10, "Decoding for: 03:00Z\n"},
    };
    for (const Case &k : cases) {
        RES_put("decode_hour", k.text);
        DATE_set_range(-15, 10);
        const Date file = make_date(2024, 3, 5, 7, 40);
        CaptureStdio cap;
        DATE_set_datim(&file);
        cap.finish();
        EXPECT_EQ(cap.out(), k.notes) << k.text;
        Date got;
        DATE_get_datim(&got);
        EXPECT_EQ(got.hour, k.hour) << k.text;
        EXPECT_EQ(got.min, k.min) << k.text;
        const int base = k.hour * 100 + k.min;
        auto shift = [](int hhmm, int minutes) {
            int m = (hhmm / 100) * 60 + hhmm % 100 + minutes;
            m = (m + 1440) % 1440;
            return (m / 60) * 100 + m % 60;
        };
        EXPECT_EQ(DATE_chk_range(shift(base, k.pre)), 1) << k.text;
        EXPECT_EQ(DATE_chk_range(shift(base, k.pre - 1)), 0) << k.text;
        EXPECT_EQ(DATE_chk_range(shift(base, k.post)), 1) << k.text;
        EXPECT_EQ(DATE_chk_range(shift(base, k.post + 1)), 0) << k.text;
    }
}

// The forced hour and minute of the file layer give the base; steps are resolved against the
// file's own time, and a step past the end of the day moves to the next day.
TEST(ReportWindow, ForcedTime)
{
    const struct {
        int fhour, fmin;
        int day, hour, min;  // file date 2024-01-31 (day, hour, min)
        int bday, bhour, bmin;
    } cases[] = {
        {12, VYK_MISS, 31, 7, 40, 31, 12, 40},
        {-203, VYK_MISS, 31, 15, 0, 31, 17, 0},
        {-203, VYK_MISS, 31, 16, 5, 31, 17, 5},
        {-203, VYK_MISS, 31, 17, 0, 31, 17, 0},
        {-203, VYK_MISS, 31, 18, 0, 31, 20, 0},
        {-306, VYK_MISS, 31, 23, 0, 31, 21, 0},
        {-303, VYK_MISS, 31, 22, 0, 32, 0, 0},  // 24 h: 1 February, 00 h
        {VYK_MISS, 30, 31, 7, 40, 31, 7, 30},
        {VYK_MISS, -15, 31, 7, 40, 31, 7, 30},
        {VYK_MISS, -3010, 31, 7, 40, 31, 7, 70},  // 07:70 is 08:10
    };
    for (const auto &k : cases) {
        force_hour_min(k.fhour, k.fmin);
        const Date file = make_date(2024, 1, k.day, k.hour, k.min);
        DATE_set_datim(&file);
        Date got;
        DATE_get_datim(&got);
        const int want_month = k.bday > 31 ? 2 : 1;
        const int want_day = k.bday > 31 ? k.bday - 31 : k.bday;
        int want_hour = k.bhour, want_min = k.bmin;
        if (want_min >= 60) {
            want_min -= 60;
            want_hour++;
        }
        EXPECT_EQ(got.month, want_month) << k.fhour << " " << k.fmin;
        EXPECT_EQ(got.day, want_day) << k.fhour << " " << k.fmin;
        EXPECT_EQ(got.hour, want_hour) << k.fhour << " " << k.fmin;
        EXPECT_EQ(got.min, want_min) << k.fhour << " " << k.fmin;
    }
}
