// Current and latest files, and series of files over a span of time or a list of names.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "date_util.h"
#include "test_util.h"
#include "vyk.h"
#include "vykresrc.h"

using vyktest::make_date;
using vyktest::TempDir;

namespace {

// A naming-convention file in dir (selected through `file_path`) and the data directory
// dir/data (the `data_path` resource).
std::string setup(const TempDir &dir)
{
    vyktest::write_file(dir.file("name_conv"), "prf_dat %D/%Y%m%d%h.prf - 0\n"
                                               "prf_big %D/%Y%m%d%h.prf - 1000\n"
                                               "min_dat %D/%Y%m%d%h%n - 0\n"
                                               "fix_dat %D/static.dat - 0\n");
    RES_put("file_path", dir.path().c_str());
    const std::string data = dir.file("data");
    vyktest::run("mkdir -p " + vyktest::quote(data));
    RES_put("data_path", data.c_str());
    return data;
}

// Seconds since 1970 of a UTC time, as GNU date gives them.
int64_t gnu_seconds(const std::string &when)
{
    const vyktest::RunResult r = vyktest::run("date -u -d " + vyktest::quote(when) + " +%s");
    EXPECT_EQ(r.status, 0) << r.err;
    return std::strtoll(r.out.c_str(), nullptr, 10);
}

std::string current(const char *desc, int64_t *result = nullptr)
{
    char out[FILE_NAME_MAX + 1] = "";
    const int64_t r = FILE_set_current(desc, out);
    if (result) *result = r;
    return out;
}

std::vector<std::string> walk()
{
    std::vector<std::string> names;
    char out[FILE_NAME_MAX + 1];
    while (FILE_get_next(out) && names.size() < 1000) names.emplace_back(out);
    return names;
}

void set_forced(int month, int day, int hour, int min)
{
    Date f;
    DATE_init(&f);
    f.sec = 0;
    f.month = month;
    f.day = day;
    f.hour = hour;
    f.min = min;
    FILE_set_time(&f);
}

}  // namespace

// Offsets, base dates and the time taken as now; the results checked against GNU date.
TEST(FileSeries, CurrentSpecs)
{
    TempDir dir;
    const std::string data = setup(dir) + "/";
    FILE_set_name("prf_dat");
    struct Case {
        const char *now;
        const char *desc;
        const char *name;  // without the directory and ".prf"
        const char *base;  // the result, for GNU date
    } cases[] = {
        {"2024010112", "", "2024010112", "2024-01-01 12:00"},
        {"#2024010112", "", "2024010112", "2024-01-01 12:00"},
        {"2024010112", "6", "2024010106", "2024-01-01 06:00"},
        {"2024010112", "+6", "2024010118", "2024-01-01 18:00"},
        {"2024010112", "1d", "2023123112", "2023-12-31 12:00"},
        {"2024010112", "+1d", "2024010212", "2024-01-02 12:00"},
        {"2024010112", "2d6:30", "2023123005", "2023-12-30 05:00"},
        {"2024010112", "0:30", "2024010111", "2024-01-01 11:00"},
        {"2024010112", "-0:30", "2024010111", "2024-01-01 11:00"},
        {"2024010112", "+0:30", "2024010112", "2024-01-01 12:00"},
        // A base date: the fields not given are the start of their period.
        {"2024010112", "#2024", "2024010100", "2024-01-01 00:00"},
        {"2024010112", "#202403", "2024030100", "2024-03-01 00:00"},
        {"2024010112", "#20240305", "2024030500", "2024-03-05 00:00"},
        {"2024010112", "#2024030512", "2024030512", "2024-03-05 12:00"},
        {"2024010112", "#2024030512-3", "2024030509", "2024-03-05 09:00"},
        {"2024010112", "#20240305+1d", "2024030600", "2024-03-06 00:00"},
        {"2024", "", "2024010100", "2024-01-01 00:00"},
        // No file present: the search ends limit periods away from where it began.
        {"2024010112", "la#3", "2024010109", "2024-01-01 09:00"},
        {"2024010112", "+la#2", "2024010114", "2024-01-01 14:00"},
        {"2024010112", "la#2-1", "2024010109", "2024-01-01 09:00"},
        {"2024010112", "6la#0", "2024010106", "2024-01-01 06:00"},
        // Beyond 32-bit seconds.
        {"2099060112", "", "2099060112", "2099-06-01 12:00"},
    };
    for (const Case &k : cases) {
        setenv("vykcurtime", k.now, 1);
        int64_t result = 0;
        const std::string name = current(k.desc, &result);
        EXPECT_EQ(name, data + k.name + ".prf") << k.now << " " << k.desc;
        EXPECT_EQ(result, gnu_seconds(k.base)) << k.now << " " << k.desc;
        EXPECT_EQ(FILE_get_filename_type(), 0);
        EXPECT_STREQ(FILE_get_filename(nullptr), name.c_str());
    }
    // The date read back is the date of the name.
    setenv("vykcurtime", "2024010112", 1);
    current("1d");
    Date d;
    FILE_get_date(&d);
    EXPECT_EQ(d.year, 2023);
    EXPECT_EQ(d.month, 12);
    EXPECT_EQ(d.day, 31);
    EXPECT_EQ(d.hour, 12);
    unsetenv("vykcurtime");
}

// The forced date picks the latest time at or before now that it allows.
TEST(FileSeries, ForcedDateFitsTheBase)
{
    TempDir dir;
    const std::string data = setup(dir) + "/";
    struct Case {
        const char *now;
        int month, day, hour, min;
        const char *type;
        const char *name;
    } cases[] = {
        {"2024010109", VYK_MISS, VYK_MISS, 12, VYK_MISS, "prf_dat", "2023123112.prf"},
        {"2024010115", VYK_MISS, VYK_MISS, 12, VYK_MISS, "prf_dat", "2024010112.prf"},
        {"202401011015", VYK_MISS, VYK_MISS, VYK_MISS, 30, "min_dat", "202401010930"},
        {"202401011045", VYK_MISS, VYK_MISS, VYK_MISS, 30, "min_dat", "202401011030"},
        {"2024011512", 6, VYK_MISS, VYK_MISS, VYK_MISS, "prf_dat", "2023061512.prf"},
        {"2024011512", VYK_MISS, 20, VYK_MISS, VYK_MISS, "prf_dat", "2023122012.prf"},
        {"2024031512", VYK_MISS, 20, VYK_MISS, VYK_MISS, "prf_dat", "2024022012.prf"},
        // A later month or day stays in the base (the name shows the forced value); the fields
        // below step back across the larger ones.
        {"2024081512", 6, VYK_MISS, VYK_MISS, VYK_MISS, "prf_dat", "2024061512.prf"},
        {"2024082512", VYK_MISS, 20, VYK_MISS, VYK_MISS, "prf_dat", "2024082012.prf"},
        {"202401010015", VYK_MISS, VYK_MISS, 0, 30, "min_dat", "202312310030"},
        {"202401011015", 12, 31, 23, 30, "min_dat", "202312312330"},
    };
    for (const Case &k : cases) {
        FILE_set_name(k.type);
        set_forced(k.month, k.day, k.hour, k.min);
        setenv("vykcurtime", k.now, 1);
        EXPECT_EQ(current(""), data + k.name) << k.now;
    }
    unsetenv("vykcurtime");
}

// The latest search finds the newest non-empty file, as find | sort | tail does.
TEST(FileSeries, LatestFileAgainstFind)
{
    const std::vector<std::set<int>> empty_hours = {
        {12, 11}, {12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1}, {}, {12, 5, 3}, {11}};
    for (const std::set<int> &empty : empty_hours) {
        TempDir dir;
        const std::string data = setup(dir);
        FILE_set_name("prf_dat");
        for (int h = 0; h <= 12; h++) {
            char file[32];
            std::snprintf(file, sizeof file, "/20240101%02d.prf", h);
            vyktest::write_file(data + file, empty.count(h) ? "" : "wind profile\n");
        }
        const vyktest::RunResult r =
            vyktest::run("find " + vyktest::quote(data) + " -type f -size +0 | sort | tail -1");
        ASSERT_EQ(r.status, 0);
        std::string expect = r.out;
        while (!expect.empty() && expect.back() == '\n') expect.pop_back();

        setenv("vykcurtime", "2024010112", 1);
        int64_t result = 0;
        EXPECT_EQ(current("la", &result), expect);
        EXPECT_EQ(current(nullptr), expect);
        const std::string hour = expect.substr(expect.size() - 6, 2);
        EXPECT_EQ(result, gnu_seconds("2024-01-01 " + hour + ":00"));
    }
    unsetenv("vykcurtime");
}

// Minimum sizes: the caller's when set, else the convention's.
TEST(FileSeries, LatestFileMinimumSize)
{
    TempDir dir;
    const std::string data = setup(dir);
    vyktest::write_file(data + "/2024010111.prf", std::string(500, 'x'));
    vyktest::write_file(data + "/2024010109.prf", std::string(2000, 'x'));
    setenv("vykcurtime", "2024010112", 1);
    FILE_set_name("prf_dat");
    EXPECT_EQ(current("la"), data + "/2024010111.prf");
    FILE_set_min_size(1000);
    EXPECT_EQ(current("la"), data + "/2024010109.prf");
    FILE_set_min_size(0);
    FILE_set_name("prf_big");
    EXPECT_EQ(current("la"), data + "/2024010109.prf");
    EXPECT_EQ(current("la#2"), data + "/2024010110.prf");  // two tried, none qualified
    unsetenv("vykcurtime");
}

// A template without a time directive leaves the period unknown: the search steps by the
// period the convention had (one hour at start) and the result is rounded by it.
TEST(FileSeries, LatestFileWithUnknownPeriod)
{
    TempDir dir;
    const std::string data = setup(dir);
    setenv("vykcurtime", "2024010112", 1);
    FILE_set_name("fix_dat");
    int64_t result = 0;
    EXPECT_EQ(current("la#3", &result), data + "/static.dat");
    EXPECT_EQ(result, gnu_seconds("2024-01-01 09:00"));
    EXPECT_EQ(FILE_get_late_off(), VYK_MISS);

    FILE_set_late_off(86400);
    EXPECT_EQ(current("la#3", &result), data + "/static.dat");
    EXPECT_EQ(result, gnu_seconds("2023-12-29 00:00"));

    vyktest::write_file(data + "/static.dat", "x");
    EXPECT_EQ(current("la", &result), data + "/static.dat");
    EXPECT_EQ(result, gnu_seconds("2024-01-01 12:00"));  // one hour once more
    unsetenv("vykcurtime");
}

// A series of 13 hourly files walked back and forward, with a step, and a file missing.
TEST(FileSeries, HourlySeries)
{
    TempDir dir;
    const std::string data = setup(dir) + "/";
    FILE_set_name("prf_dat");
    for (int h = 0; h <= 12; h++) {
        if (h == 6) continue;
        char file[32];
        std::snprintf(file, sizeof file, "20240101%02d.prf", h);
        vyktest::write_file(data + file, "wind profile\n");
    }
    const Date start = make_date(2024, 1, 1, 12);
    char name[FILE_NAME_MAX + 1];
    FILE_set_date(&start, name);

    FILE_set_def_hours(-12);
    FILE_first(&start);
    EXPECT_EQ(FILE_get_num_hour(), -43200);
    EXPECT_EQ(FILE_get_num_file(), -43200);
    std::vector<std::string> names = walk();
    ASSERT_EQ(names.size(), 13u);
    int missing = 0;
    for (int h = 0; h <= 12; h++) {
        char file[32];
        std::snprintf(file, sizeof file, "20240101%02d.prf", h);
        EXPECT_EQ(names[h], data + file);
        if (!FILE_exist(names[h].c_str())) {
            missing++;
            EXPECT_EQ(h, 6);
        }
    }
    EXPECT_EQ(missing, 1);
    EXPECT_EQ(FILE_get_next(name), 0);

    FILE_first(&start);
    FILE_next_file(name);
    EXPECT_EQ(std::string(name), data + "2024010101.prf");
    FILE_prev_file(name);
    EXPECT_EQ(std::string(name), data + "2023123123.prf");
    EXPECT_EQ(FILE_get_nsecs(), -43200);  // neither moves the series

    RES_put("num_hour", "12");
    Date first = make_date(2024, 1, 1, 0);
    FILE_first(&first);
    names = walk();
    ASSERT_EQ(names.size(), 13u);
    EXPECT_EQ(names.front(), data + "2024010100.prf");
    EXPECT_EQ(names.back(), data + "2024010112.prf");

    RES_put("num_hour", "-12,3");
    FILE_first(&start);
    EXPECT_EQ(FILE_get_skip(), 10800);
    names = walk();
    const std::vector<std::string> every3 = {data + "2024010100.prf", data + "2024010103.prf",
                                             data + "2024010106.prf", data + "2024010109.prf",
                                             data + "2024010112.prf"};
    EXPECT_EQ(names, every3);

    RES_put("num_hour", "6");
    FILE_first(&first);
    EXPECT_EQ(walk().size(), 7u);

    RES_put("num_hour", "0");  // a span of 0: the current file only
    FILE_first(&start);
    names = walk();
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(names[0], FILE_get_filename(nullptr));
}

// The span and step texts.
TEST(FileSeries, SpanAndStep)
{
    FILE_set_def_hours(-12);
    EXPECT_EQ(FILE_num_hour(), -43200);  // no resource: the default span
    EXPECT_EQ(FILE_get_skip(), FILE_get_late_off());
    const struct {
        const char *text;
        int64_t span, skip;
    } cases[] = {
        {"6", 21600, 3600},        {":30", 1800, 3600},       {"-0:30", -1800, 3600},
        {"-:30", -1800, 3600},     {"-6", -21600, 3600},      {"-6:30", -23400, 3600},
        {"1:30,0:30", 5400, 1800}, {"-12,:30", -43200, 1800}, {"-12,3", -43200, 10800},
        {"24,-1", 86400, -3600},   {"x", 0, 3600},
    };
    FILE_set_late_off(3600);
    for (const auto &k : cases) {
        RES_put("num_hour", k.text);
        EXPECT_EQ(FILE_num_hour(), k.span) << k.text;
        EXPECT_EQ(FILE_get_skip(), k.skip) << k.text;
    }
    // Spans past 32-bit seconds.
    RES_put("num_hour", "-1000000");
    EXPECT_EQ(FILE_num_hour(), -3600000000LL);
}

// A list of names is walked name by name.
TEST(FileSeries, ListOfNames)
{
    TempDir dir;
    const std::string data = setup(dir) + "/";
    FILE_set_name("prf_dat");
    vyktest::write_file(data + "2024010105.prf", "x");
    RES_put("filename", "2024010101,2024010105,2024010109");
    const Date start = make_date(2024, 1, 1, 12);
    FILE_set_def_hours(-12);
    FILE_first(&start);
    EXPECT_EQ(FILE_get_num_file(), 2);
    const std::vector<std::string> names = walk();
    const std::vector<std::string> expect = {data + "2024010101.prf", data + "2024010105.prf",
                                             data + "2024010109.prf"};
    EXPECT_EQ(names, expect);

    RES_put("filename", "la");  // the latest file is no list: the walk is in time
    FILE_first(&start);
    EXPECT_EQ(walk().size(), 13u);

    RES_put("filename", "2024010105");  // one name with a span of 0 is a list
    FILE_set_def_hours(0);
    FILE_first(&start);
    EXPECT_EQ(FILE_get_num_file(), 0);
    EXPECT_EQ(walk(), std::vector<std::string>{data + "2024010105.prf"});
}

// The input-file series "prf_dat" in a scratch folder (data: its data folder), the current
// time 12 UTC 1 January 2024; out takes the names.
class FileInput : public ::testing::Test {
protected:
    void SetUp() override
    {
        data = setup(dir) + "/";
        FILE_set_name("prf_dat");
        setenv("vykcurtime", "2024010112", 1);
    }
    TempDir dir;
    std::string data;
    char out[FILE_NAME_MAX + 1] = "";
};

// The input file from the `filename` resource, the `current` resource or batch mode.
TEST_F(FileInput, InputFileFromResources)
{
    vyktest::write_file(data + "2024010110.prf", "x");

    RES_put("filename", "2024010110");
    EXPECT_EQ(FILE_get_file("Enter: ", out), 1);
    EXPECT_EQ(std::string(out), data + "2024010110.prf");
    EXPECT_STREQ(FILE_get_filename(nullptr), out);
    EXPECT_EQ(FILE_get_filename_type(), 1);
    RES_put("filename", "2024010111");
    EXPECT_EQ(FILE_get_file("Enter: ", out), 0);
    EXPECT_EQ(FILE_get_file_only("Enter: ", out), 0);
    EXPECT_EXIT(
        {
            RES_put("filename", "LIST");
            FILE_get_file("Enter: ", out);
        },
        testing::ExitedWithCode(0), "");
}

TEST_F(FileInput, InputFileCurrentAndBatch)
{
    vyktest::write_file(data + "2024010110.prf", "x");

    RES_put("current", "la");
    EXPECT_EQ(FILE_get_file("Enter: ", out), 1);
    EXPECT_EQ(std::string(out), data + "2024010110.prf");
    EXPECT_EQ(FILE_get_filename_type(), 0);
    RES_put("current", "1");
    EXPECT_EQ(FILE_get_file_only("Enter: ", out), 0);
    EXPECT_EQ(std::string(out), data + "2024010111.prf");
    EXPECT_EXIT(FILE_get_file("Enter: ", out), testing::ExitedWithCode(10), "File not found");
}

TEST_F(FileInput, InputFileInBatchMode)
{
    FLAG_set_batch(1);
    EXPECT_EQ(FILE_get_file_only("Enter: ", out), 0);
    EXPECT_EXIT(FILE_get_file("Enter: ", out), testing::ExitedWithCode(10), "File not found");
    vyktest::write_file(data + "2024010103.prf", "x");
    EXPECT_EQ(FILE_get_file("Enter: ", out), 1);
    EXPECT_EQ(std::string(out), data + "2024010103.prf");
}

// Prompt answers: a missing name is asked again, at most four times.
TEST_F(FileInput, InputFileFromPrompt)
{
    vyktest::write_file(data + "2024010110.prf", "x");
    const struct {
        const char *answers;
        int status;  // -1: the call returns 1 with the name
        const char *name;
    } cases[] = {
        {"2024010111\nlist\n2024010110\n", -1, "2024010110.prf"},
        {"la\n", -1, "2024010110.prf"},
        {"CU-2\n", -1, "2024010110.prf"},
        {"#2024010110\n", -1, "2024010110.prf"},
        {"a\nb\nc\nd\n2024010110\n", 10, nullptr},
        {"exit\n", 0, nullptr},
    };
    for (const auto &k : cases) {
        const std::string answers = dir.file("answers");
        vyktest::write_file(answers, k.answers);
        if (k.status < 0) {
            ASSERT_NE(std::freopen(answers.c_str(), "r", stdin), nullptr);
            EXPECT_EQ(FILE_get_file("Enter the profiler filename: ", out), 1) << k.answers;
            EXPECT_EQ(std::string(out), data + k.name) << k.answers;
        } else {
            EXPECT_EXIT(
                {
                    std::freopen(answers.c_str(), "r", stdin);
                    FILE_get_file("Enter the profiler filename: ", out);
                },
                testing::ExitedWithCode(k.status), "")
                << k.answers;
        }
    }
    // One question only, and an empty answer names the standard input.
    const std::string answers = dir.file("answers");
    vyktest::write_file(answers, "2024010111\n2024010110\n");
    ASSERT_NE(std::freopen(answers.c_str(), "r", stdin), nullptr);
    EXPECT_EQ(FILE_get_file_only("Enter: ", out), 0);
    vyktest::write_file(answers, "\n");
    ASSERT_NE(std::freopen(answers.c_str(), "r", stdin), nullptr);
    EXPECT_EQ(FILE_get_file_only("Enter: ", out), 1);
    EXPECT_STREQ(out, "-");
}

// From a shell: a typed name completed through "prf_dat", its date, and the 12-hour series.
TEST(FileSeries, SeriesToolFromTheShell)
{
    TempDir dir;
    const std::string data = setup(dir);
    for (int h = 0; h <= 12; h++) {
        if (h == 6) continue;
        char file[32];
        std::snprintf(file, sizeof file, "/20240101%02d.prf", h);
        vyktest::write_file(data + file, "wind profile\n");
    }
    const std::string cmd = vyktest::quote(vyktest::tool("series_tool")) + " -fp " +
                            vyktest::quote(dir.path()) + " -dp " + vyktest::quote(data);
    vyktest::RunResult r = vyktest::run(cmd + " 2024010112");
    ASSERT_EQ(r.status, 0) << r.err;
    std::string expect = "name: " + data + "/2024010112.prf\ndate: 2024-01-01 12\n";
    for (int h = 0; h <= 12; h++) {
        char file[48];
        std::snprintf(file, sizeof file, "/20240101%02d.prf%s\n", h, h == 6 ? " missing" : "");
        expect += data + file;
    }
    expect += "files: 13\n";
    EXPECT_EQ(r.out, expect);

    // The same through the shipped naming conventions.
    r = vyktest::run(vyktest::quote(vyktest::tool("series_tool")) + " -fp " +
                     vyktest::quote(std::string(VYK_SOURCE_DIR) + "/etc") + " -dp " +
                     vyktest::quote(data) + " 2024010112");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, expect);

    r = vyktest::run(cmd + " -nh=-12,6 " + vyktest::quote(data + "/2024010110.prf"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "name: " + data + "/2024010110.prf\ndate: 2024-01-01 10\n" + data +
                         "/2023123122.prf missing\n" + data + "/2024010104.prf\n" + data +
                         "/2024010110.prf\nfiles: 3\n");

    r = vyktest::run("vykcurtime=2024010118 " + cmd + " -ba");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("name: " + data + "/2024010112.prf\n"), std::string::npos) << r.out;

    r = vyktest::run(cmd + " -ba", "");
    EXPECT_EQ(r.status, 10);
}

// Offsets beyond 32-bit seconds: a span of a million hours in steps of half a million.
TEST(FileSeries, SpanBeyond32BitSeconds)
{
    TempDir dir;
    const std::string data = setup(dir) + "/";
    FILE_set_name("prf_dat");
    RES_put("num_hour", "-1000000,500000");
    const Date start = make_date(2024, 1, 1, 12);
    FILE_first(&start);
    EXPECT_EQ(FILE_get_nsecs(), -3600000000LL);
    const std::vector<std::string> names = walk();
    ASSERT_EQ(names.size(), 3u);
    const int64_t base = gnu_seconds("2024-01-01 12:00");
    for (int i = 0; i < 3; i++) {
        const int64_t t = base - 3600000000LL + i * 1800000000LL;
        const vyktest::RunResult r =
            vyktest::run("date -u -d @" + std::to_string(t) + " +%Y%m%d%H");
        ASSERT_EQ(r.status, 0);
        EXPECT_EQ(names[i], data + r.out.substr(0, 10) + ".prf");
    }
}
