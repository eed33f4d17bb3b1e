// Point-data files: the header and its field list, every read mode (value by value, by column
// number and name, by a NAME= search), the positioning between lines, the tokens, the writer's
// forms, the slots, hostile files, and outputs that cannot be written whole.
#include <gtest/gtest.h>

#include "dadodu.h"
#include "date_util.h"
#include "output_fault.h"
#include "test_util.h"

#include <cstring>
#include <string>
#include <sys/stat.h>

using vyktest::CaptureStdio;
using vyktest::TempDir;
using vyktest::has;
using vyktest::read_file;
using vyktest::write_file;

namespace {

// The standard date label of 12 UTC 10 December 2026.
std::string label_2026()
{
    Date d = vyktest::make_date(2026, 12, 10, 12, 0, VYK_MISS);
    char buf[DATE_LABEL_LEN];
    DATE_make_label(&d, buf);
    return buf;
}

const std::string HEADER_FILE =
    "DADODU\n" + label_2026() + "\n"
    "!Surface data\n"
    "id lat lon t:Temperature:value:%4.1f\n"
    "td $ the rest of the line\n"
    "\n"
    "72469 39.75 -104.87 12.5 3.1\n"
    "KBOU 40.01 -105.25 9.0:%5.2f -\n"
    "KDEN - - speed=15 270,15\n"
    "EMPTY 1 2\n"
    "\n"
    "AFTER 1 2 3 4\n";

struct RawFile : ::testing::Test {
    int open(const std::string &text, int type = RAW_TYPE_NONE)
    {
        write_file(dir.file("in.dat"), text);
        name = dir.file("in.dat");
        int t = type;
        return RAW_open(name.data(), RAW_READ, &t);
    }
    TempDir dir;
    std::string name;
};

TEST_F(RawFile, HeaderAndFieldList)
{
    EXPECT_EQ(RAW_chktype((write_file(dir.file("h"), HEADER_FILE), dir.file("h")).c_str()), 1);
    EXPECT_EQ(RAW_chktype((write_file(dir.file("v"), "Vx 1 2 3\n"), dir.file("v")).c_str()), 99);
    EXPECT_EQ(RAW_chktype((write_file(dir.file("e"), ""), dir.file("e")).c_str()), 99);
    EXPECT_EQ(RAW_chktype(dir.file("none").c_str()), -1);

    const int slot = open(HEADER_FILE);
    ASSERT_GE(slot, 0);
    RAW_info info{};
    ASSERT_EQ(RAW_getinfo(slot, &info), 0);
    EXPECT_EQ(info.datim, label_2026());
    EXPECT_EQ(info.date.year, 2026);
    EXPECT_EQ(info.date.hour, 12);
    EXPECT_STREQ(info.info, "Surface data");
    EXPECT_EQ(info.num_stat, VYK_MISS);
    EXPECT_EQ(RAW_get_num_field(slot), 5);
    EXPECT_STREQ(RAW_get_field_info(slot, "t"), "Temperature");
    EXPECT_STREQ(RAW_get_field_fmt(slot, RAW_field(10)), "value:%4.1f");
    EXPECT_STREQ(RAW_get_field_name(slot, RAW_field(11)), "td");
    EXPECT_EQ(RAW_get_field_info(slot, "td"), nullptr);
    EXPECT_EQ(RAW_get_field_ind(slot, RAW_field(12)), 5);  // beyond the list: still an index
    EXPECT_EQ(RAW_get_field_name(slot, RAW_field(12)), nullptr);
    EXPECT_EQ(RAW_get_field_ind(slot, RAW_field(2)), -1);   // before the first column
    EXPECT_EQ(RAW_get_field_ind(slot, RAW_field(VYK_MISS)), -1);
    EXPECT_EQ(RAW_get_field_ind(slot, "lat"), 1);

    RAW_report r{};
    int line = 0;
    ASSERT_EQ(RAW_read(slot, &r, RAW_field(10), &line), 0);
    EXPECT_STREQ(r.id, "72469");
    EXPECT_EQ(r.wmo, 72469);
    EXPECT_FLOAT_EQ(r.lat, 39.75f);
    EXPECT_FLOAT_EQ(r.lon, -104.87f);
    EXPECT_FLOAT_EQ(r.value[0], 12.5f);
    EXPECT_STREQ(r.format, "value:%4.1f");
    ASSERT_EQ(RAW_read(slot, &r, "td", &line), 0);
    EXPECT_FLOAT_EQ(r.value[0], 3.1f);
    ASSERT_EQ(RAW_read(slot, &r, "lat", &line), 0);
    EXPECT_FLOAT_EQ(r.value[0], 39.75f);
    ASSERT_EQ(RAW_read(slot, &r, "id", &line), 0);
    EXPECT_STREQ(r.data, "72469");

    // Value by value: the field index of each value, then 0 at the line's end.
    ASSERT_EQ(RAW_read(slot, &r, RAW_field(1), &line), 1);
    EXPECT_FLOAT_EQ(r.value[0], 12.5f);
    EXPECT_EQ(r.type, 3);
    ASSERT_EQ(RAW_read(slot, &r, RAW_field(1), &line), 1);
    EXPECT_FLOAT_EQ(r.value[0], 3.1f);
    EXPECT_EQ(r.type, 4);
    EXPECT_EQ(RAW_read(slot, &r, RAW_field(1), &line), 0);

    line = 1;
    ASSERT_EQ(RAW_read(slot, &r, RAW_field(10), &line), 0);
    EXPECT_STREQ(r.id, "KBOU");
    EXPECT_FLOAT_EQ(r.value[0], 9.0f);
    EXPECT_STREQ(r.format, "value:%4.1f:%5.2f");  // the token's own format follows
    ASSERT_EQ(RAW_read(slot, &r, "td", &line), 0);
    EXPECT_EQ(r.value[0], VYK_MISS);
    EXPECT_STREQ(r.data, "");

    line = 2;
    ASSERT_EQ(RAW_read(slot, &r, "speed", &line), 0);
    EXPECT_EQ(r.lat, VYK_MISS);
    EXPECT_FLOAT_EQ(r.value[0], 15);
    ASSERT_EQ(RAW_read(slot, &r, RAW_field(11), &line), 0);
    EXPECT_FLOAT_EQ(r.value[0], 270);
    EXPECT_FLOAT_EQ(r.value[1], 15);
    EXPECT_STREQ(r.data, "270,15");
    ASSERT_EQ(RAW_read(slot, &r, "gust", &line), 0);  // not on the line: missing, still 0
    EXPECT_EQ(r.value[0], VYK_MISS);
    EXPECT_EQ(r.type, VYK_MISS);

    // A line without values answers once with its location, then 0.
    line = 3;
    ASSERT_EQ(RAW_read(slot, &r, RAW_field(1), &line), 1);
    EXPECT_STREQ(r.id, "EMPTY");
    EXPECT_EQ(r.type, VYK_MISS);
    EXPECT_EQ(RAW_read(slot, &r, RAW_field(1), &line), 0);
    // The empty line ends the data.
    line = 4;
    EXPECT_EQ(RAW_read(slot, &r, RAW_field(10), &line), -1);
    EXPECT_EQ(RAW_read(slot, &r, RAW_field(10), &line), -1);
    EXPECT_EQ(RAW_close(slot), 0);
}

// Every data column of a full field list is reached by its number, the last ones (66 to 71,
// designators 76 to 81) too: a number is never taken for a name.  An entry beyond a full list
// and its '$' are passed over, not read as data lines.
TEST_F(RawFile, EveryColumnNumberOfAFullList)
{
    std::string list = "id lat lon", line = "S1 40 -105";
    for (int k = 0; k < RAW_FIELDS - 3; k++) {
        list += (k % 12 ? " c" : "\nc") + std::to_string(k);
        line += " " + std::to_string(k) + ".5";
    }
    const int slot = open("DADODU\n" + label_2026() + "\n!Wide\n" + list + " extra $\n" + line + "\n");
    ASSERT_GE(slot, 0);
    RAW_info info{};
    ASSERT_EQ(RAW_getinfo(slot, &info), 0);
    ASSERT_EQ(RAW_get_num_field(slot), RAW_FIELDS);
    for (int k : {0, 64, 65, 66, 70, RAW_FIELDS - 4}) {
        SCOPED_TRACE(k);
        const char *des = RAW_field(RAW_FIELD_DATA + k);
        EXPECT_EQ(RAW_get_field_ind(slot, des), 3 + k);
        EXPECT_STREQ(RAW_get_field_name(slot, des), ("c" + std::to_string(k)).c_str());
        RAW_report r{};
        int n = 0;
        ASSERT_EQ(RAW_read(slot, &r, des, &n), 0);
        EXPECT_STREQ(r.id, "S1");
        EXPECT_FLOAT_EQ(r.value[0], k + 0.5f);
    }
    RAW_report r{};
    int second = 1;
    EXPECT_EQ(RAW_read(slot, &r, RAW_field(RAW_FIELD_DATA), &second), -1);  // one data line
    // Beyond the list: a number still, and nothing there.
    EXPECT_EQ(RAW_get_field_name(slot, RAW_field(RAW_FIELD_LAST)), nullptr);
    EXPECT_EQ(RAW_get_field_ind(slot, RAW_field(RAW_FIELD_LAST)), -1);
    EXPECT_EQ(RAW_close(slot), 0);
}

// A FIFO or a directory named as the point-data file is refused with a message naming it,
// never waited on or read as an empty file: reading fails.  (The timeout turns a wait into a
// failure, not a stuck test.)
TEST_F(RawFile, InputsThatAreNotRegularFilesAreRefused)
{
    const std::string fifo = dir.file("fifo.dat"), sub = dir.file("sub.dat");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(mkdir(sub.c_str(), 0700), 0);
    for (const std::string &name : {fifo, sub}) {
        SCOPED_TRACE(name);
        const vyktest::RunResult r =
            vyktest::run("timeout 60 " + vyktest::tool("raw_tool") + " read " + name + " </dev/null");
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(has(r.err, "RAW_open: not a regular file, not read: " + name)) << r.err;
        // Appending reads the file's head first: refused the same way.
        int type = RAW_TYPE_HEADER;
        std::string path = name;
        EXPECT_EQ(vyktest::stderr_of([&] { EXPECT_EQ(RAW_open(path.data(), RAW_APPEND, &type), -1); }),
                  "RAW_open: not a regular file, not read: " + name + "\n");
    }
}

TEST_F(RawFile, PositioningBetweenLines)
{
    std::string text;
    for (int i = 0; i < 6; i++) text += "S" + std::to_string(i) + " 1 2 " + std::to_string(i) + "\n";
    const int slot = open(text);
    ASSERT_GE(slot, 0);
    RAW_report r{};
    for (int line : {0, 1, 2, 1, 2, 2, 5, 0, 4}) {
        ASSERT_EQ(RAW_read(slot, &r, RAW_field(10), &line), 0) << line;
        EXPECT_EQ(r.value[0], static_cast<float>(line));
        EXPECT_STREQ(r.id, ("S" + std::to_string(line)).c_str());
    }
    int line = 6;
    EXPECT_EQ(RAW_read(slot, &r, RAW_field(10), &line), -1);
    RAW_close(slot);
}

TEST_F(RawFile, HeaderlessLinesAndTokens)
{
    const int slot = open("A 39.8 -104.7 5\nB word 7\nC 1 2 -2.5e1 .5 abc -x\n");
    ASSERT_GE(slot, 0);
    RAW_info info{};
    EXPECT_EQ(RAW_getinfo(slot, &info), -1);
    RAW_report r{};
    int line = 0;
    ASSERT_EQ(RAW_read(slot, &r, RAW_field(10), &line), 0);
    EXPECT_FLOAT_EQ(r.lat, 39.8f);
    EXPECT_FLOAT_EQ(r.value[0], 5);
    line = 1;
    ASSERT_EQ(RAW_read(slot, &r, RAW_field(10), &line), 0);
    EXPECT_EQ(r.lat, VYK_MISS);
    EXPECT_EQ(r.lon, VYK_MISS);
    EXPECT_STREQ(r.data, "word");  // the values begin after the identifier
    EXPECT_EQ(r.value[0], VYK_MISS);
    line = 2;
    const struct {
        int col;
        float value;
        const char *data;
    } rows[] = {{10, -25, "-2.5e1"}, {11, 0.5f, ".5"}, {12, VYK_MISS, "abc"}, {13, VYK_MISS, "-x"}};
    for (const auto &c : rows) {
        ASSERT_EQ(RAW_read(slot, &r, RAW_field(c.col), &line), 0);
        EXPECT_EQ(r.value[0], c.value) << c.data;
        EXPECT_STREQ(r.data, c.data);
    }
    RAW_close(slot);
}

TEST_F(RawFile, WritesEachFormAndReadsItBack)
{
    std::string out = dir.file("sub/out.dat");
    int type = RAW_TYPE_HEADER;
    const int slot = RAW_open(out.data(), RAW_WRITE, &type);
    ASSERT_GE(slot, 0);
    RAW_set_field_name(slot, RAW_field(10), "wind");
    EXPECT_EQ(RAW_set_field_info(slot, RAW_field(10), "Wind at 10 m"), 1);
    EXPECT_EQ(RAW_set_field_fmt(slot, RAW_field(10), "cbarb:%5.1f"), 1);
    RAW_set_field_name(slot, RAW_field(11), "temp");
    EXPECT_EQ(RAW_set_field_info(slot, "nosuch", "x"), 0);
    RAW_info info{};
    std::strcpy(info.datim, "00Z 1 JAN 2026");
    std::strcpy(info.info, "Written here");
    ASSERT_EQ(RAW_putinfo(slot, &info), 0);
    RAW_report r{};
    std::strcpy(r.id, "72469");
    r.lat = 39.75f;
    r.lon = -104.87f;
    r.type = VAR_T_CBARB;
    r.value[0] = 270;
    r.value[1] = 15;
    EXPECT_EQ(RAW_write(slot, &r, RAW_START, nullptr), 0);
    EXPECT_EQ(RAW_write(slot, &r, RAW_VALUE, nullptr), 1);
    r.type = VAR_T_VALUE;
    r.value[0] = VYK_MISS;
    EXPECT_EQ(RAW_write(slot, &r, RAW_VALUE, nullptr), 1);
    EXPECT_EQ(RAW_write(slot, &r, RAW_END, nullptr), 0);
    r.lat = VYK_MISS;
    std::strcpy(r.id, "KTXT");
    r.type = VAR_T_TEXT;
    std::strcpy(r.data, "RA");
    std::strcpy(r.format, "ur");
    EXPECT_EQ(RAW_write(slot, &r, RAW_LINE, nullptr), 1);
    r.type = VAR_T_INT;
    r.value[0] = 12.7f;
    r.format[0] = '\0';
    EXPECT_EQ(RAW_write(slot, &r, RAW_LINE, nullptr), 1);
    RAW_close(slot);
    EXPECT_EQ(read_file(out),
              "DADODU\n00Z 1 JAN 2026\n!Written here\nid lat lon\nwind:Wind_at_10_m:cbarb:%5.1f\n"
              "temp::\n$\n"
              "72469  39.75 -104.87 270.000000,15.000000 -\n"
              "KTXT RA:ur\nKTXT 12\n\n");

    std::string again = out;
    int t = RAW_TYPE_NONE;
    const int in = RAW_open(again.data(), RAW_READ, &t);
    ASSERT_GE(in, 0);
    EXPECT_EQ(t, RAW_TYPE_HEADER);
    ASSERT_EQ(RAW_getinfo(in, &info), 0);
    EXPECT_EQ(RAW_get_num_field(in), 5);
    EXPECT_STREQ(RAW_get_field_info(in, "wind"), "Wind at 10 m");
    int line = 0;
    ASSERT_EQ(RAW_read(in, &r, "wind", &line), 0);
    EXPECT_FLOAT_EQ(r.value[0], 270);
    EXPECT_FLOAT_EQ(r.value[1], 15);
    ASSERT_EQ(RAW_read(in, &r, RAW_field(11), &line), 0);
    EXPECT_EQ(r.value[0], VYK_MISS);
    RAW_close(in);

    // Appending needs an existing header file; the headerless one is refused.
    int a = RAW_TYPE_NONE;
    EXPECT_GE(RAW_open(again.data(), RAW_APPEND, &a), 0);
    write_file(dir.file("plain"), "X 1 2 3\n");
    std::string plain = dir.file("plain");
    EXPECT_EQ(RAW_open(plain.data(), RAW_APPEND, &a), -1);
    int none = RAW_TYPE_NONE;
    EXPECT_EQ(RAW_open(plain.data(), RAW_WRITE, &none), -1);  // writing needs a type
}

TEST_F(RawFile, PlotFormatsThatAreNoNumberConversionAreRefused)
{
    std::string out = dir.file("f.dat");
    int type = RAW_TYPE_HEADER;
    const int slot = RAW_open(out.data(), RAW_WRITE, &type);
    ASSERT_GE(slot, 0);
    CaptureStdio cap;
    EXPECT_EQ(RAW_set_field_fmt(slot, RAW_field(10), "value:%s:co=red:%n"), 1);
    RES_put("plot_format", "%s%s");
    RAW_report r{};
    std::strcpy(r.id, "A");
    r.lat = VYK_MISS;
    r.type = VAR_T_VALUE;
    r.value[0] = 1.5f;
    RAW_write(slot, &r, RAW_LINE, nullptr);
    RES_put("plot_format", "%6.2f,text");  // later items win
    std::strcpy(r.data, "x");
    RAW_write(slot, &r, RAW_LINE, nullptr);
    RES_put("plot_format", "%3d");
    RAW_write(slot, &r, RAW_LINE, nullptr);
    cap.finish();
    EXPECT_STREQ(RAW_get_field_fmt(slot, RAW_field(10)), "value:co=red");
    RAW_close(slot);
    EXPECT_TRUE(has(read_file(out), "A 1.500000\nA x\nA   1\n")) << read_file(out);
}

TEST_F(RawFile, FiveSlots)
{
    write_file(dir.file("a"), "A 1 2 3\n");
    std::string names[6];
    int slots[6];
    for (int i = 0; i < 6; i++) {
        names[i] = dir.file("a");
        int t = RAW_TYPE_NONE;
        slots[i] = RAW_open(names[i].data(), RAW_READ, &t);
    }
    for (int i = 0; i < 5; i++) EXPECT_EQ(slots[i], i);
    EXPECT_EQ(slots[5], -1);
    RAW_close(2);
    int t = RAW_TYPE_NONE;
    EXPECT_EQ(RAW_open(names[5].data(), RAW_READ, &t), 2);
    std::string stdn = "stdn";
    EXPECT_EQ(RAW_open(stdn.data(), RAW_READ, &t), -1);  // all in use again
    RAW_close(4);
    EXPECT_EQ(RAW_open(stdn.data(), RAW_READ, &t), 4);
    EXPECT_STREQ(stdn.c_str(), "-");
    EXPECT_EQ(t, RAW_TYPE_PLAIN);
    RAW_report r{};
    int line = 0;
    EXPECT_EQ(RAW_read(-1, &r, RAW_field(10), &line), 0);
    EXPECT_EQ(RAW_close(-1), 0);
    EXPECT_EQ(RAW_get_num_field(-1), 0);
}

TEST_F(RawFile, HostileFiles)
{
    const std::string long_line = "L 1 2 " + std::string(10000, '9') + "\n";
    std::string many_fields = "DADODU\ndate\n!x\n";
    for (int i = 0; i < 200; i++) many_fields += "f" + std::to_string(i) + std::string(50, 'n') + ":" +
                                                 std::string(100, 'i') + ":%" + std::string(60, '9') + "f ";
    many_fields += "$\nA 1 2 3\n";
    const std::string texts[] = {
        long_line, many_fields, "DADODU\n", "DADODU\n" + std::string(300, 'd') + "\n!" + std::string(300, 'x'),
        std::string("\x01\x02\xff\xfe\x00 9 9\n", 9), "X 1e999 -1e999 nan inf 1e40,1e40\n",
        std::string(500, ' ') + "\n",
    };
    for (const std::string &text : texts) {
        CaptureStdio cap;
        const int slot = open(text);
        ASSERT_GE(slot, 0);
        RAW_info info{};
        RAW_getinfo(slot, &info);
        EXPECT_LT(std::strlen(info.datim), sizeof info.datim);
        EXPECT_LE(RAW_get_num_field(slot), RAW_FIELDS);
        RAW_report r{};
        for (int line = 0, n = 0; n < 50; n++) {
            const int got = RAW_read(slot, &r, RAW_field(1), &line);
            if (got < 0) break;
            if (got == 0) line++;
            EXPECT_LT(std::strlen(r.id), sizeof r.id);
            EXPECT_LT(std::strlen(r.data), sizeof r.data);
            EXPECT_LT(std::strlen(r.format), sizeof r.format);
        }
        RAW_close(slot);
        cap.finish();
        if (&text == &texts[0]) {
            EXPECT_TRUE(has(cap.err() + cap.out(), "longer than 400 characters")) << cap.err();
        }
    }
}

// The point-data writers run as users run them (raw_tool write, and the arithmetic's "="
// output in each form) on a full file system, on one with a little room left and on a full
// device: the run fails, a message names the file, no cut file is left, the device stays.
TEST_F(RawFile, OutputsThatCannotBeWrittenFailAndLeaveNoFile)
{
    std::string lines, data = "DADODU\n" + label_2026() + "\nStations\n";
    for (int k = 0; k < 200; k++) {
        const std::string line = "S" + std::to_string(1000 + k) + " 39.75 -104.87 " +
                                 std::to_string(k) + ".5\n";
        lines += line;
        data += line;
    }
    write_file(dir.file("lines"), lines);
    write_file(dir.file("a1"), data);
    write_file(dir.file("a2"), data);
    const std::string tool = vyktest::tool("raw_tool") + " -me print,error,warn ";
    const std::string a1 = " " + dir.file("a1"), a2 = " " + dir.file("a2");
    vyktest::expect_outputs_fail_cleanly({
        {"write", tool + "write {} Stations 12Z <" + dir.file("lines")},
        {"constant", tool + "math" + a1 + " add '#1' = {}"},
        {"two files", tool + "math" + a1 + " sub" + a2 + " = {}"},
        {"table", tool + "math sum" + a1 + a2 + " = {}"},
        {"extract", tool + "math ext" + a1 + "-0 = {}"},
        {"series", tool + "math series" + a1 + a2 + " = {}"},
    });
}

}  // namespace
