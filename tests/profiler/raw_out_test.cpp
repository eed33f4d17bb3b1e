// File arguments with a column and a format, and the output of plotted point data: a
// point plot's stations and values written to a file and read back as drawn.
#include <gtest/gtest.h>

#include "dadodu.h"
#include "test_util.h"

#include <sys/stat.h>

#include <cstring>
#include <string>
#include <vector>

using vyktest::CaptureStdio;
using vyktest::TempDir;
using vyktest::has;
using vyktest::read_file;
using vyktest::write_file;

namespace {

TEST(RawOut, FileArguments)
{
    TempDir dir;
    write_file(dir.file("-pts"), "A 1 2 3\n");
    write_file(dir.file("pts"), "A 1 2 3\n");
    RES_put("raw_path", dir.path().c_str());
    const struct {
        const char *file_arg, *name;
        int designator;  // -1: a name
        const char *column, *format;
    } rows[] = {
        {"pts-3:%5.1f", "pts", 13, nullptr, "%5.1f"},
        {"pts-66", "pts", RAW_FIELD_DATA + 66, nullptr, nullptr},  // every column of a full list
        {"pts-74", "pts", RAW_FIELD_LAST, nullptr, nullptr},
        {"pts-75", "pts", VYK_MISS, nullptr, nullptr},
        {"pts-temp", "pts", -1, "temp", nullptr},
        {"pts:%4.0f", "pts", RAW_FIELD_EACH, nullptr, "%4.0f"},
        {"pts", "pts", RAW_FIELD_EACH, nullptr, nullptr},
        {"-pts-temp:x", "-pts", -1, "temp", "x"},  // the first two characters never separate
    };
    for (const auto &r : rows) {
        char file_arg[64];
        std::strcpy(file_arg, r.file_arg);
        const char *des = nullptr, *fmt = nullptr;
        const int slot = RAW_file_open(file_arg, &des, &fmt, RAW_READ);
        EXPECT_GE(slot, 0) << r.file_arg;
        EXPECT_STREQ(file_arg, r.name);
        if (r.designator != -1) EXPECT_EQ(des, RAW_field(r.designator)) << r.file_arg;
        else EXPECT_STREQ(des, r.column);
        if (r.format) EXPECT_STREQ(fmt, r.format) << r.file_arg;
        else EXPECT_EQ(fmt, nullptr) << r.file_arg;
        RAW_close(slot);
    }
    CaptureStdio cap;
    char missing[] = "absent-2";
    const char *des, *fmt;
    EXPECT_EQ(RAW_file_open(missing, &des, &fmt, RAW_READ), -1);
    cap.finish();
    EXPECT_TRUE(has(cap.err() + cap.out(), "RAW_file_open: Unable to open file:" + dir.file("absent")));
}

TEST(RawOut, DirectoriesWithDashesStayInTheName)
{
    TempDir dir;
    const std::string sub = dir.file("my-dir");
    ASSERT_EQ(mkdir(sub.c_str(), 0700), 0);
    write_file(sub + "/pts", "A 1 2 3\n");
    write_file(sub + "/-pts", "A 1 2 3\n");
    write_file(sub + "/a", "A 1 2 3\n");
    RES_put("raw_path", dir.path().c_str());
    const struct {
        std::string file_arg, name;
        int designator;  // -1: a name
        const char *column, *format;
    } rows[] = {
        {sub + "/pts", sub + "/pts", RAW_FIELD_EACH, nullptr, nullptr},
        {sub + "/pts-3:%5.1f", sub + "/pts", 13, nullptr, "%5.1f"},
        {sub + "/pts:%4.0f", sub + "/pts", RAW_FIELD_EACH, nullptr, "%4.0f"},
        {sub + "/-pts-temp", sub + "/-pts", -1, "temp", nullptr},  // a name may begin with '-'
        {sub + "/a-2", sub + "/a", 12, nullptr, nullptr},
        {"my-dir/pts-temp:x", "my-dir/pts", -1, "temp", "x"},  // under raw_path
        {"my-dir/pts:a/b-c", "my-dir/pts", RAW_FIELD_EACH, nullptr, "a/b-c"},
    };
    for (const auto &r : rows) {
        std::vector<char> file_arg(r.file_arg.begin(), r.file_arg.end());
        file_arg.push_back('\0');
        const char *des = nullptr, *fmt = nullptr;
        const int slot = RAW_file_open(file_arg.data(), &des, &fmt, RAW_READ);
        EXPECT_GE(slot, 0) << r.file_arg;
        EXPECT_EQ(std::string(file_arg.data()), r.name);
        if (r.designator >= 0) EXPECT_EQ(des, RAW_field(r.designator)) << r.file_arg;
        else EXPECT_STREQ(des, r.column);
        if (r.format) EXPECT_STREQ(fmt, r.format) << r.file_arg;
        else EXPECT_EQ(fmt, nullptr) << r.file_arg;
        if (slot >= 0) RAW_close(slot);
    }
}

TEST(RawOut, PlottedDataReadBackAsDrawn)
{
    TempDir dir;
    RES_put("raw_path", dir.path().c_str());
    FILE_set_name(("@" + dir.file("out_%v.dat")).c_str());
    ASSERT_EQ(VAR_setup(nullptr, "temp:value:%4.1f,wspd:int"), 1);
    Domain dom;
    ASSERT_GT(DOM_decode("ll,40,-100,41,21,0.5,0.5", &dom), 0);
    MAP_domain(&dom);
    Date date;
    DATE_init(&date);
    date.year = 2026;
    date.month = 12;
    date.day = 10;
    date.hour = 12;
    date.min = 0;
    CaptureStdio cap;
    ASSERT_EQ(RAW_date_open(&date), 2);
    const struct {
        const char *id;
        float lat, lon, t, w;
    } drawn[] = {{"KDEN", 39.85f, -104.66f, 12.5f, 7}, {"KBOU", 40.0f, -105.25f, -3.25f, 12}};
    for (const auto &d : drawn) {
        CTY_locate loc{};
        std::strcpy(loc.id, d.id);
        MAP_tran(d.lat, d.lon, &loc.x, &loc.y);
        EXPECT_EQ(RAW_save_station(&loc), 0);
        RAW_data datum{};
        datum.type = VAR_T_VALUE;
        datum.value[0] = d.t;
        datum.value[1] = VYK_MISS;
        EXPECT_EQ(RAW_save_data(&datum), 0);
        datum.type = VAR_T_INT;
        datum.value[0] = d.w;
        EXPECT_EQ(RAW_save_data(&datum), 0);
        EXPECT_EQ(RAW_save_end(), 0);
    }
    EXPECT_EQ(RAW_close_file(), 0);
    EXPECT_EQ(RAW_close_file(), -1);
    EXPECT_EQ(RAW_save_end(), -1);
    cap.finish();

    std::string name = dir.file("out_temp.dat");
    const std::string text = read_file(name);
    EXPECT_TRUE(has(text, "temp:")) << text;
    int type = RAW_TYPE_NONE;
    const int slot = RAW_open(name.data(), RAW_READ, &type);
    ASSERT_GE(slot, 0) << text << cap.err();
    RAW_info info{};
    RAW_getinfo(slot, &info);
    EXPECT_EQ(info.date.hour, 12);
    EXPECT_EQ(RAW_get_num_field(slot), 5);
    for (int line = 0; line < 2; line++) {
        RAW_report r{};
        ASSERT_EQ(RAW_read(slot, &r, "temp", &line), 0);
        EXPECT_STREQ(r.id, drawn[line].id);
        EXPECT_NEAR(r.lat, drawn[line].lat, 0.006);
        EXPECT_NEAR(r.lon, drawn[line].lon, 0.006);
        EXPECT_FLOAT_EQ(r.value[0], drawn[line].t);
        ASSERT_EQ(RAW_read(slot, &r, "wspd", &line), 0);
        EXPECT_FLOAT_EQ(r.value[0], drawn[line].w);
    }
    RAW_close(slot);
}

TEST(RawOut, StationTextsKeepTheirSize)
{
    VAR_data var;
    VAR_data_init(&var);
    std::strcpy(var.name, "temp");
    var.flag = 0;
    RAW_data datum{};
    char text[120];
    std::memset(text, 'x', 109);
    text[109] = '\0';
    CaptureStdio cap;
    RAW_set_var_string(&var, &datum, text, sizeof text);
    EXPECT_EQ(std::string(text), std::string(109, 'x').substr(0, 109) + "temp= ");
    RAW_set_var_string(&var, &datum, text, sizeof text);  // 110 and more: replaced
    EXPECT_STREQ(text, "");
    std::strcpy(text, "temp=1 wspd=2 ");
    RAW_set_var_string(&var, &datum, text, sizeof text);  // begins with the variable: starts over
    EXPECT_STREQ(text, "temp= ");
    char small[8] = "";
    RAW_set_var_string(&var, &datum, small, sizeof small);
    EXPECT_STREQ(small, "temp= ");
    std::strcpy(small, "ab");
    RAW_set_var_string(&var, &datum, small, sizeof small);
    EXPECT_STREQ(small, "abtemp=");  // cut to the buffer
    cap.finish();
}

}  // namespace
