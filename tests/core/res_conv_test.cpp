// Resource value conversions.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "test_util.h"
#include "vykdom.h"
#include "vyk.h"
#include "vykresrc.h"

using vyktest::CaptureStdio;

TEST(ResConv, BatchModeWhateverTheText)
{
    FLAG_reset(VYK_MISS);
    EXPECT_EQ(RES_conv_data("no", nullptr, CV_batch), 1);
    EXPECT_EQ(FLAG_get(FLAG_BATCH), 1);
    EXPECT_EQ(MESS_get(), 0xFFu);  // print, error and warn only
    FLAG_reset(VYK_MISS);
    EXPECT_EQ(RES_conv_data(nullptr, nullptr, CV_batch), 1);
    EXPECT_EQ(FLAG_batch(), 1);
    EXPECT_EQ(RES_conv_data(nullptr, nullptr, CV_help), 1);
    EXPECT_EQ(FLAG_help(), 1);
}

TEST(ResConv, EmptyMessageSettingCountsAsTheUsers)
{
    const M_type start = MESS_get();
    EXPECT_EQ(RES_conv_data(nullptr, nullptr, CV_mess), 0);  // given without a value: nothing
    EXPECT_EQ(MESS_check_set(), 0);
    EXPECT_EQ(RES_conv_data("", nullptr, CV_mess), 1);
    EXPECT_NE(MESS_check_set(), 0);
    EXPECT_EQ(RES_conv_data("yes", nullptr, CV_batch), 1);
    EXPECT_EQ(MESS_get(), start);  // batch mode leaves the user's mask alone
}

TEST(ResConv, MessageSettingThenBatch)
{
    EXPECT_EQ(RES_conv_data("out1", nullptr, CV_mess), 1);
    EXPECT_EQ(MESS_get(), 0xFFFFu);
    RES_conv_data(nullptr, nullptr, CV_batch);
    EXPECT_EQ(MESS_get(), 0xFFFFu);
}

TEST(ResConv, Bool)
{
    struct Case {
        const char *text;
        int expect;
    } cases[] = {
        {nullptr, 1}, {"YES", 1}, {"true", 1}, {"On", 1}, {"no", 0},
        {"FALSE", 0}, {"off", 0}, {"maybe", 7}, {"", 7},  {"1", 7},
    };
    for (const Case &c : cases) {
        int v = 7;
        EXPECT_EQ(RES_conv_data(c.text, &v, CV_bool), 1) << (c.text ? c.text : "(none)");
        EXPECT_EQ(v, c.expect) << (c.text ? c.text : "(none)");
    }
    EXPECT_EQ(RES_conv_data("yes", nullptr, CV_bool), 0);
    EXPECT_EQ(RES_conv_data(nullptr, nullptr, CV_bool), 0);
}

TEST(ResConv, Int)
{
    struct Case {
        const char *text;
        int expect;
    } cases[] = {
        {"0x1f", 31},       {"0X10", 16},       {"-0x10", 0},   // a sign then 0: decimal
        {"42", 42},         {"-42", -42},       {"+7", 7},      {"12abc", 12},
        {"abc", 5},         {"", 5},            {"-", 5},       {"+x5", 5},
        {"0xFFFFFFFF", -1}, {"0x100000000", 5}, {"2147483647", 2147483647},
        {"2147483648", 5},  {"-2147483648", INT32_MIN},          {"99999999999999999999", 5},
    };
    for (const Case &c : cases) {
        int v = 5;
        EXPECT_EQ(RES_conv_data(c.text, &v, CV_int), 1) << c.text;
        EXPECT_EQ(v, c.expect) << c.text;
    }
}

TEST(ResConv, ShortLongFloatColor)
{
    struct ShortCase {
        const char *text;
        int16_t expect;
    } shorts[] = {{"-5", 9}, {"+5", 9}, {"123", 123}, {"32767", 32767}, {"40000", 9}, {"x", 9}};
    for (const ShortCase &c : shorts) {
        int16_t v = 9;
        EXPECT_EQ(RES_conv_data(c.text, &v, CV_short), 1) << c.text;
        EXPECT_EQ(v, c.expect) << c.text;
    }

    struct LongCase {
        const char *text;
        long expect;
    } longs[] = {{"123456789012", 123456789012L}, {"-5", 9}, {"abc", 9},
                 {"99999999999999999999", 9}};
    for (const LongCase &c : longs) {
        long v = 9;
        EXPECT_EQ(RES_conv_data(c.text, &v, CV_long), 1) << c.text;
        EXPECT_EQ(v, c.expect) << c.text;
    }

    float f = 9;
    EXPECT_EQ(RES_conv_data("2.5", &f, CV_float), 1);
    EXPECT_EQ(f, 2.5f);
    EXPECT_EQ(RES_conv_data("-1e2x", &f, CV_float), 1);
    EXPECT_EQ(f, -100.0f);
    EXPECT_EQ(RES_conv_data("abc", &f, CV_float), 1);
    EXPECT_EQ(f, 0.0f);

    long color = 9;
    EXPECT_EQ(RES_conv_data("12,3", &color, CV_color), 1);
    EXPECT_EQ(color, 12);
    EXPECT_EQ(RES_conv_data("red", &color, CV_color), 1);
    EXPECT_EQ(color, 0);
}

TEST(ResConv, StringsAndCopies)
{
    const char *text = "abcdefgh";
    const char *view = nullptr;
    EXPECT_EQ(RES_conv_data(text, &view, CV_string), 1);
    EXPECT_EQ(view, text);

    char small[5] = "zzzz";
    EXPECT_EQ(RES_conv_data(text, small, CV_strcpy, sizeof small), 1);
    EXPECT_STREQ(small, "abcd");

    // Without a size the destination holds FILE_NAME_MAX + 1 bytes.
    char buf[FILE_NAME_MAX + 1 + 8];
    std::memset(buf, '#', sizeof buf);
    const std::string big(300, 'n');
    EXPECT_EQ(RES_conv_data(big.c_str(), buf, CV_strcpy), 1);
    EXPECT_EQ(std::string(buf), std::string(FILE_NAME_MAX, 'n'));
    EXPECT_EQ(buf[FILE_NAME_MAX + 1], '#');
}

TEST(ResConv, Path)
{
    struct Case {
        const char *text, *expect;
    } cases[] = {{"/data", "/data/"}, {"/data/", "/data/"}, {"NONE", ""}, {"none", ""}, {"", ""},
                 {"rel", "rel/"}};
    for (const Case &c : cases) {
        char *path = nullptr;
        EXPECT_EQ(RES_conv_data(c.text, &path, CV_path), 1);
        ASSERT_NE(path, nullptr) << c.text;
        EXPECT_STREQ(path, c.expect);
        std::free(path);
    }
    char *path = nullptr;
    EXPECT_EQ(RES_conv_data(nullptr, &path, CV_path), 0);
    EXPECT_EQ(path, nullptr);
}

TEST(ResConv, Device)
{
    struct Case {
        const char *text;
        int device;
        const char *window;  // NULL: destination unchanged
    } cases[] = {
        {"p,out.ps", 4, "out.ps"}, {"w", 6, nullptr},        {"PS", 4, nullptr},
        {"h", 5, nullptr},         {"Q", 5, nullptr},        {"m,meta", 3, "meta"},
        {"W,3", 6, "3"},           {"d", 1, nullptr},        {"x,a,b", 1, "a,b"},
        {"p,", 4, nullptr},        {"", 1, nullptr},         {",name", 1, "name"},
    };
    for (const Case &c : cases) {
        FLAG_set(FLAG_DEVICE, VYK_MISS);
        const char *window = "unchanged";
        EXPECT_EQ(RES_conv_data(c.text, &window, CV_device), 1);
        EXPECT_EQ(FLAG_get(FLAG_DEVICE), c.device) << c.text;
        if (c.window) {
            EXPECT_STREQ(window, c.window) << c.text;
            EXPECT_EQ(window, c.text + std::strlen(c.text) - std::strlen(c.window));  // a view
        } else {
            EXPECT_STREQ(window, "unchanged") << c.text;
        }
    }
    EXPECT_EQ(RES_set_device(nullptr), 1);
    EXPECT_EQ(RES_set_device("q"), 5);
}

TEST(ResConv, ForcedHourForms)
{
    constexpr int M = VYK_MISS;
    struct Case {
        const char *text;
        int year, month, day, hour, min;
    } cases[] = {
        {"#2024051512", 2024, 5, 15, 12, M},
        {"#202405151230", 2024, 5, 15, 12, 30},
        {"#2024", 2024, M, M, M, M},
        {"#20", 20, M, M, M, M},
        {"#2024x5", 2024, M, M, M, M},
        {"#x", M, M, M, M, M},
        {"051512", M, 5, 15, 12, M},
        {"1512", M, M, 15, 12, M},
        {"512", M, M, 5, 12, M},
        {"2d6:30", M, M, 2, 6, 30},
        {"-2d", M, M, -2, M, M},
        {":30", M, M, M, M, 30},
        {"-:30", M, M, M, M, -30},
        {"-0:30", M, M, M, M, -30},
        {"-0", M, M, M, M, M},  // no minute given: it stays unforced
        {"-6:30", M, M, M, -6, 30},
        {"-306", M, M, M, -306, M},
        {"12", M, M, M, 12, M},
        {"12:05", M, M, M, 12, 5},
        {"", M, M, M, M, M},
        {"abc", M, M, M, M, M},
        {"99999999999", M, M, M, M, M},
    };
    for (const Case &c : cases) {
        Date d;
        std::memset(&d, 0, sizeof d);
        EXPECT_EQ(RES_hour_date(c.text, &d), 0);
        EXPECT_EQ(d.year, c.year) << c.text;
        EXPECT_EQ(d.month, c.month) << c.text;
        EXPECT_EQ(d.day, c.day) << c.text;
        EXPECT_EQ(d.hour, c.hour) << c.text;
        EXPECT_EQ(d.min, c.min) << c.text;
        EXPECT_EQ(d.jday, M);
        EXPECT_EQ(d.wday, M);
        EXPECT_EQ(d.sec, M);
    }
    Date d;
    EXPECT_EQ(RES_hour_date(nullptr, &d), -1);
    EXPECT_EQ(RES_hour_date("12", nullptr), -1);
}

TEST(ResConv, ForcedStepOfZeroIsNoStep)
{
    // A step is written -(100 * offset + step): -300 would be every 0 hours from 3.
    constexpr int M = VYK_MISS;
    struct Case {
        const char *text;
        int hour, min;
        const char *warning;
    } cases[] = {
        {"-300", M, M, "RES_hour_date: hour step of 0 in -300 ignored\n"},
        {"-100:30", M, 30, "RES_hour_date: hour step of 0 in -100:30 ignored\n"},
        {"-:200", M, M, "RES_hour_date: minute step of 0 in -:200 ignored\n"},
        {"-0:100", M, M, "RES_hour_date: minute step of 0 in -0:100 ignored\n"},
        {"-301", -301, M, ""},  // every hour from 3
        {"-:30", M, -30, ""},
    };
    for (const Case &c : cases) {
        Date d;
        CaptureStdio cap;
        RES_hour_date(c.text, &d);
        cap.finish();
        EXPECT_EQ(d.hour, c.hour) << c.text;
        EXPECT_EQ(d.min, c.min) << c.text;
        EXPECT_EQ(cap.err(), c.warning) << c.text;
    }
}

TEST(ResConv, ForcedHourGoesToTheFileLayer)
{
    EXPECT_EQ(RES_conv_data("12", nullptr, CV_hour), 1);
    EXPECT_EQ(RES_conv_data(nullptr, nullptr, CV_hour), 0);
}

TEST(ResConv, PlotTypeAndFileParameter)
{
    struct Case {
        DEF_convert cvt;
        int flag;
        const char *text;
        int expect;
    } cases[] = {
        {CV_plot_type, FLAG_PLOT_TYPE, "CF", 15},     {CV_plot_type, FLAG_PLOT_TYPE, "raw", 0},
        {CV_plot_type, FLAG_PLOT_TYPE, "none", 99},   {CV_plot_type, FLAG_PLOT_TYPE, "gvalue", 17},
        {CV_plot_type, FLAG_PLOT_TYPE, "Stream", 23}, {CV_plot_type, FLAG_PLOT_TYPE, "number", 54},
        {CV_plot_type, FLAG_PLOT_TYPE, "hodo", 69},   {CV_plot_type, FLAG_PLOT_TYPE, "stuve", 61},
        {CV_plot_type, FLAG_PLOT_TYPE, "rteph", 65},  {CV_plot_type, FLAG_PLOT_TYPE, "ndln", 14},
        {CV_plot_type, FLAG_PLOT_TYPE, "cfx", 33},    {CV_file_param, FLAG_FILE_PARAM, "use", 3},
        {CV_file_param, FLAG_FILE_PARAM, "OVER", 1},  {CV_file_param, FLAG_FILE_PARAM, "calc", 1},
        {CV_file_param, FLAG_FILE_PARAM, "reuse", 3}, {CV_file_param, FLAG_FILE_PARAM, "recalc", 1},
        {CV_file_param, FLAG_FILE_PARAM, "app", 2},   {CV_file_param, FLAG_FILE_PARAM, "append", 33},
    };
    for (const Case &c : cases) {
        FLAG_set(c.flag, 33);
        EXPECT_EQ(RES_conv_data(c.text, nullptr, c.cvt), 1) << c.text;
        EXPECT_EQ(FLAG_get(c.flag), c.expect) << c.text;
    }
}

TEST(ResConv, DrawLists)
{
    struct Case {
        int start;         // every switch before
        const char *list;
        const char *on;    // the switches 1 to 11 that are on after, as letters a (1) to k (11)
    } cases[] = {
        {1, "data,map", "gh"},
        {0, "+map", "h"},
        {1, "-map", "abcdefgijk"},
        {0, "-all", "abcdefghijk"},
        {1, "+none", ""},
        {0, "text", "abcdefk"},
        {0, "text,-bord", "abcdef"},
        {1, "-text", "ghij"},
        {1, "text_ul,text_lr,sum", "afj"},
        {1, "DATA,,xyz,+grid", "gi"},
        {1, "xyz", ""},
        {1, "-data,map", "abcdefhijk"},  // a signed first item keeps the other switches
    };
    for (const Case &c : cases) {
        FLAG_resetplot(c.start);
        EXPECT_EQ(RES_conv_data(c.list, nullptr, CV_draw), 1);
        std::string on;
        int text = 0, all = 0;
        for (int i = 1; i <= 11; i++) {
            if (FLAG_getplot(i)) on += static_cast<char>('a' + i - 1);
            if (i <= 6) text += FLAG_getplot(i);
            all += FLAG_getplot(i);
        }
        EXPECT_EQ(on, c.on) << c.list;
        EXPECT_EQ(FLAG_getplot(PLOT_TEXT), text) << c.list;
        EXPECT_EQ(FLAG_getplot(PLOT_ALL), all + text) << c.list;
    }
}

TEST(ResConv, ResultsWithoutTextOrDestination)
{
    int v = 5;
    EXPECT_EQ(RES_conv_data(nullptr, &v, CV_int), 0);
    EXPECT_EQ(v, 5);
    EXPECT_EQ(RES_conv_data("3", nullptr, CV_int), 0);
    EXPECT_EQ(RES_conv_data("3", nullptr, CV_none), 0);
    EXPECT_EQ(RES_conv_data("3", &v, CV_none), 1);
    EXPECT_EQ(RES_conv_data("3", &v, CV_strings), 1);
    EXPECT_EQ(v, 5);
    EXPECT_EQ(RES_conv_data("3", nullptr, CV_mess), 1);
}

TEST(ResConv, GetvalUsesTheCallersKind)
{
    int v = 5;
    EXPECT_EQ(RES_getval("table", &v, CV_bool), 0);  // no such resource
    EXPECT_EQ(v, 5);

    ASSERT_EQ(RES_new(VYK_MISS, "table", nullptr, CV_string), 0);
    EXPECT_EQ(RES_getval("table", &v, CV_bool), 1);  // given without a value: on
    EXPECT_EQ(v, 1);
    EXPECT_EQ(RES_getval("Table", &v, CV_int), 0);   // names are compared exactly

    ASSERT_EQ(RES_new(3, "grid_type", "0x20", CV_string), 0);
    EXPECT_EQ(RES_getval("grid_type", &v, CV_int), 1);
    EXPECT_EQ(v, 32);
    EXPECT_EQ(RES_getval("grid_type", nullptr, CV_int), 0);

    ASSERT_EQ(RES_new(4, "device", "p,plot.ps", CV_device), 0);
    const char *name = nullptr;
    FLAG_set(FLAG_DEVICE, VYK_MISS);
    EXPECT_EQ(RES_getval("device", &name, CV_device), 1);
    EXPECT_EQ(FLAG_get(FLAG_DEVICE), 4);
    EXPECT_EQ(name, RES_get("device") + 2);  // a view into the resource's own text

    char copy[6];
    EXPECT_EQ(RES_getval("device", copy, CV_strcpy, sizeof copy), 1);
    EXPECT_STREQ(copy, "p,plo");
}

TEST(ResConv, DomainsGoToTheDomainDecoder)
{
    Domain dom{};
    EXPECT_EQ(RES_conv_data("us", &dom, CV_region), 1);
    EXPECT_EQ(RES_conv_data("1,40,-100", &dom, CV_domain), 1);
    EXPECT_EQ(RES_conv_data(nullptr, &dom, CV_domain), 0);
}
