// The profiler file reader: both netCDF layouts from CDL fixtures made with ncgen (the edge
// cases as a table of expected reports), detection of the file kind, opening, rewinding, and
// hostile files (truncated, huge dimensions, wrong types, absurd record counts).
#include "test_util.h"
#include "vykcdf.h"
#include "vykprf.h"

#include <gtest/gtest.h>
#include <netcdf.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using vyktest::CaptureStdio;
using vyktest::quote;
using vyktest::read_file;
using vyktest::run;
using vyktest::TempDir;
using vyktest::write_file;

namespace {

constexpr float M = VYK_MISS;

std::string fixture(const std::string &name)
{
    return read_file(vyktest::data("profiler/" + name));
}

/// Makes a classic netCDF file from CDL text with ncgen and returns its path.
std::string make_nc(const TempDir &dir, const std::string &name, const std::string &cdl)
{
    const std::string cdl_path = dir.file(name + ".cdl"), nc_path = dir.file(name + ".nc");
    write_file(cdl_path, cdl);
    const auto r = run("ncgen -b -k nc3 -o " + quote(nc_path) + " " + quote(cdl_path));
    EXPECT_EQ(r.status, 0) << r.err;
    return nc_path;
}

/// text with every `from` replaced by `to` (at least one must be there).
std::string replaced(std::string text, const std::string &from, const std::string &to)
{
    size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    for (; at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

struct File_reports {
    int handle = -1;
    int kind = 0;
    PRF_info info = {};
    std::vector<PRF_report> reports;
};

/// Opens a file with detection and reads every report at the reader's own position.
File_reports read_all(const std::string &path, size_t limit = 1000)
{
    File_reports f;
    f.handle = PRF_open(path.c_str(), 0, &f.kind);
    if (f.handle == -1)
        return f;
    EXPECT_EQ(PRF_getinfo(f.handle, &f.info), 0);
    PRF_report r;
    while (f.reports.size() < limit && PRF_read(f.handle, &r, 0, nullptr) == 1)
        f.reports.push_back(r);
    EXPECT_EQ(PRF_close(f.handle), 0);
    return f;
}

class Prf : public ::testing::Test {
protected:
    void TearDown() override { PRF_close(0); }
    std::string station() { return make_nc(dir, "station", fixture("station.cdl")); }
    std::string record() { return make_nc(dir, "record", fixture("record.cdl")); }
    TempDir dir;
};

// ---------------------------------------------------------------------------------------------
// The edge cases of both layouts
// ---------------------------------------------------------------------------------------------

struct Level_row {
    float h, u, v, w, hdev, vdev;
    int q;
};

struct Report_row {
    const char *file;  // fixture
    size_t index;      // report read in that order
    const char *id;
    float lat, lon, elev;
    float pres, temp, dewp, dir, spd, rain;
    std::vector<Level_row> levels;
};

const Report_row report_rows[] = {
    // Longitude 105 read as -105; quality 10 with u = 150 keeps v and w; quality 9 loses all
    // five; 2000 m twice keeps the low level; 2500 m three times keeps the first.
    {"station", 0, "ST1", 40.5f, -105, 1500, 850, 20, 10, 180, 5, 0,
     {{500, M, 1.5f, 0.1f, 1.1f, 0.5f, 10},
      {1000, 2, 2.5f, 0.2f, 1.2f, 0.6f, 10},
      {1500, M, M, M, M, M, 9},
      {2000, 4, 4.5f, 0.4f, 1.4f, 0.8f, 10},
      {2500, 25, 26, 0.6f, 2.2f, 1.6f, 10}}},
    // -80 read as 80; limits kept, values beyond them missing; 2000 m: the low u is missing so
    // the high level's values are taken; 2500 m: the first has no u, the second's are taken.
    {"station", 1, "ST2", 42.25f, 80, 524, M, M, 100, 360, M, M,
     {{500, 1, 1.5f, 0.1f, 1.1f, 0.5f, 10},
      {1000, 2, 2.5f, 0.2f, 1.2f, 0.6f, 10},
      {1500, 3, 3.5f, 0.3f, 1.3f, 0.7f, 10},
      {2000, 20, 21, 0.5f, 2.1f, 1.5f, 10},
      {2500, 26, 27, 0.7f, 2.3f, 1.7f, 10}}},
    // The identifier with a control character is passed over: ST4 comes third.
    {"station", 2, "ST4", 31.875f, -92.5f, 56, 1010, 30, 20, 190, 3, 1.25f,
     {{500, -1, -1.5f, 0, 1, 1, 10},
      {1000, -2, -2.5f, 0, 1, 1, 10},
      {1500, -3, -3.5f, 0, 1, 1, 10},
      {2000, -4, -4.5f, 0, 1, 1, 10},
      {2500, -25, -26, 0, 2, 1, 10}}},
    // Relative humidity in the dew-point field (85 % at 25 C: a dew point of 22.3 C by Bolton's
    // formula; RC2's 101 % is out of range); quality 9 kept (range screen only); 1000 m: the
    // first level's u = 150 is out of range, so the second level's values are taken.
    {"record", 0, "RC1", 36.5f, -97.5f, 300, 980, 25, 22.3f, 170, 4, 0.5f,
     {{500, 1, 1.5f, 0.1f, 1.1f, 0.5f, 9},
      {1000, 3, 3.5f, 0.3f, 1.3f, 0.7f, 10},
      {1500, 4, 4.5f, 0.4f, 1.4f, 0.8f, 0}}},
    {"record", 1, "RC2", 35.75f, -95.875f, 219, 985, 24, M, 175, 6, 0,
     {{500, 1, 1.5f, 0.1f, 1.1f, 0.5f, 10},
      {1000, 2, 2.5f, 0.2f, 1.2f, 0.6f, 10},
      {1500, 4, 4.5f, 0.4f, 1.4f, 0.8f, 10}}},
};

TEST_F(Prf, EdgeCasesOfBothLayouts)
{
    const File_reports st = read_all(station()), rc = read_all(record());
    EXPECT_EQ(st.kind, PRF_STATION);
    EXPECT_EQ(rc.kind, PRF_RECORD);
    ASSERT_EQ(st.reports.size(), 3u);
    ASSERT_EQ(rc.reports.size(), 2u);
    for (const Report_row &row : report_rows) {
        SCOPED_TRACE(std::string(row.file) + " " + row.id);
        const PRF_report &r = (std::string(row.file) == "station" ? st : rc).reports[row.index];
        EXPECT_STREQ(r.id, row.id);
        const float got[] = {r.lat, r.lon, r.elev, r.pres, r.temp, r.dewp, r.dir, r.spd, r.rain};
        const float want[] = {row.lat, row.lon, row.elev, row.pres, row.temp,
                              row.dewp, row.dir, row.spd, row.rain};
        for (size_t k = 0; k < std::size(got); k++) {
            if (&got[k] == &got[5])  // the dew point: a derived one within rounding
                EXPECT_NEAR(got[k], want[k], 0.05) << "dew point";
            else
                EXPECT_FLOAT_EQ(got[k], want[k]) << "station field " << k;
        }
        ASSERT_EQ(r.num_levels, static_cast<int>(row.levels.size()));
        for (size_t i = 0; i < row.levels.size(); i++) {
            const PRF_level &l = r.lev[i];
            const Level_row &e = row.levels[i];
            SCOPED_TRACE("level " + std::to_string(i));
            EXPECT_FLOAT_EQ(l.h, e.h);
            EXPECT_FLOAT_EQ(l.u, e.u);
            EXPECT_FLOAT_EQ(l.v, e.v);
            EXPECT_FLOAT_EQ(l.w, e.w);
            EXPECT_FLOAT_EQ(l.hdev, e.hdev);
            EXPECT_FLOAT_EQ(l.vdev, e.vdev);
            EXPECT_EQ(l.q, e.q);
        }
        // Levels beyond those in use are empty.
        for (int i = r.num_levels; i < PRF_MAX_LEVELS; i++)
            ASSERT_TRUE(VYK_is_miss(r.lev[i].h) && VYK_is_miss(r.lev[i].u)) << i;
    }
}

TEST_F(Prf, HeaderHoldsTheDateAndTheRecordCount)
{
    for (const std::string &path : {station(), record()}) {
        SCOPED_TRACE(path);
        const File_reports f = read_all(path);
        EXPECT_EQ(f.info.num_stat, path == dir.file("station.nc") ? 4 : 2);
        EXPECT_EQ(f.info.date.year, 2024);
        EXPECT_EQ(f.info.date.month, 5);
        EXPECT_EQ(f.info.date.day, 14);
        EXPECT_EQ(f.info.date.hour, 12);
        EXPECT_STREQ(f.info.datim, "1200Z 14 MAY 24");
    }
}

TEST_F(Prf, BlankFirstIdentifierYieldsNoReports)
{
    const std::string path =
        make_nc(dir, "blank", replaced(fixture("station.cdl"), "\"ST1\"", "\"      \""));
    const File_reports f = read_all(path);
    EXPECT_EQ(f.info.num_stat, 4);
    EXPECT_TRUE(f.reports.empty());
}

TEST_F(Prf, RefusedIdentifierMovesTheCallersCounterOn)
{
    const std::string path = station();
    int kind = 0;
    const int fd = PRF_open(path.c_str(), 0, &kind);
    PRF_info info = {};
    PRF_getinfo(fd, &info);
    PRF_report r;
    int counter = 2;
    CaptureStdio cap;
    EXPECT_EQ(PRF_read(fd, &r, 0, &counter), 1);
    cap.finish();
    EXPECT_STREQ(r.id, "ST4");
    EXPECT_EQ(counter, 3);
    EXPECT_EQ(cap.err(), "PRF_read: record 2: station identifier with characters that are not "
                         "printable; skipped\n");
    counter = 4;
    EXPECT_EQ(PRF_read(fd, &r, 0, &counter), -1);
    counter = -5;
    EXPECT_EQ(PRF_read(fd, &r, 0, &counter), -1);
}

TEST_F(Prf, RewindWithAndWithoutACounter)
{
    const std::string path = record();
    struct Case {
        int counter;     // after the rewind; -1 reads at the reader's own position
        const char *id;  // what is read
    } cases[] = {{-1, "RC1"}, {0, "RC1"}, {1, "RC2"}, {2, nullptr}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.counter);
        int kind = 0;
        const int fd = PRF_open(path.c_str(), 0, &kind);
        PRF_info info = {};
        PRF_getinfo(fd, &info);
        PRF_report r;
        // Own position: every report once, then the end, again and again.
        EXPECT_EQ(PRF_read(fd, &r, 0, nullptr), 1);
        EXPECT_STREQ(r.id, "RC1");
        int own = -1;
        EXPECT_EQ(PRF_read(fd, &r, 0, &own), 1);
        EXPECT_STREQ(r.id, "RC2");
        EXPECT_EQ(PRF_read(fd, &r, 0, nullptr), -1);
        EXPECT_EQ(PRF_read(fd, &r, 0, nullptr), -1);
        EXPECT_EQ(PRF_rewind(fd), 0);
        int counter = c.counter;
        const int result = PRF_read(fd, &r, 0, &counter);
        if (c.id == nullptr) {
            EXPECT_EQ(result, -1);
        } else {
            EXPECT_EQ(result, 1);
            EXPECT_STREQ(r.id, c.id);
        }
        EXPECT_EQ(PRF_close(fd), 0);
    }
}

TEST_F(Prf, PrintedReport)
{
    const File_reports f = read_all(record());
    CaptureStdio cap;
    PRF_print_report(M_PRINT, &f.reports[0]);
    PRF_print_report(M_DEBUG_D, &f.reports[0]);  // not shown
    cap.finish();
    EXPECT_EQ(cap.out(),
              "ID: RC1\n"
              "LAT:   36.50\n"
              "LON:  -97.50\n"
              "ELEV:    300\n"
              "Z:    500  U:    1.00 V:    1.50 W:    0.10 HDev:    1.10 VDev:    0.50   9\n"
              "Z:   1000  U:    3.00 V:    3.50 W:    0.30 HDev:    1.30 VDev:    0.70  10\n"
              "Z:   1500  U:    4.00 V:    4.50 W:    0.40 HDev:    1.40 VDev:    0.80   0\n");
}

TEST_F(Prf, InitializeEmptiesAReport)
{
    PRF_report r;
    std::memset(&r, 0x55, sizeof r);
    r.wmo = 72469;
    EXPECT_EQ(PRF_initialize(&r), 0);
    EXPECT_STREQ(r.id, "");
    EXPECT_EQ(r.wmo, 72469);
    for (float f : {r.lat, r.lon, r.elev, r.pres, r.temp, r.dewp, r.dir, r.spd, r.rain})
        EXPECT_TRUE(VYK_is_miss(f));
    EXPECT_EQ(r.num_levels, 0);
    for (const PRF_level &l : r.lev)
        ASSERT_TRUE(VYK_is_miss(l.h) && VYK_is_miss(l.vdev) && l.q == VYK_MISS);
}

// ---------------------------------------------------------------------------------------------
// Detection and opening
// ---------------------------------------------------------------------------------------------

TEST_F(Prf, KindOfAFile)
{
    write_file(dir.file("stars"), "****\nBUFR....7777");
    write_file(dir.file("newline"), "\n\nBUFR");
    write_file(dir.file("heading"), "GZUS55 KWBC 141200\r\r\nBUFR");
    write_file(dir.file("text"), "profiler report\n");
    write_file(dir.file("cdf_text"), "CDF is a text here\n");
    write_file(dir.file("empty"), "");
    write_file(dir.file("bare_bufr"), "BUFR");
    const struct {
        std::string path;
        int kind;
    } cases[] = {
        {dir.file("stars"), PRF_BUFR},     {dir.file("newline"), PRF_BUFR},
        {dir.file("heading"), PRF_BUFR},   {station(), PRF_STATION},
        {record(), PRF_RECORD},            {dir.file("text"), -1},
        {dir.file("cdf_text"), -1},        {dir.file("empty"), -1},
        {dir.file("bare_bufr"), -1},       {dir.file("missing"), -1},
        {dir.path(), -1},                  {"", -1},
        {"-", -1},  // never the standard input
        {"|touch " + dir.file("ran"), -1},  // never a command
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path);
        CaptureStdio cap;
        EXPECT_EQ(PRF_chktype(c.path.c_str()), c.kind);
        cap.finish();
        EXPECT_EQ(cap.out() + cap.err(), "");  // detection is silent
    }
    EXPECT_EQ(PRF_chktype(nullptr), -1);
    EXPECT_TRUE(read_file(dir.file("ran")).empty() && access(dir.file("ran").c_str(), F_OK) != 0);
}

TEST_F(Prf, NetcdfReportsAreOnAgainAfterATrialOpen)
{
    write_file(dir.file("cdf_text"), "CDF is a text here\n");
    for (const std::string &path : {dir.file("cdf_text"), station()}) {
        SCOPED_TRACE(path);
        CDF_print_errors(0);
        int kind = 0;
        PRF_chktype(path.c_str());
        EXPECT_TRUE(ncopts & NC_VERBOSE);
        CDF_print_errors(0);
        const int fd = PRF_open(path.c_str(), 0, &kind);
        EXPECT_TRUE(ncopts & NC_VERBOSE);
        CDF_print_errors(0);
        kind = PRF_RECORD;  // a failed open of a given kind
        PRF_open((path + ".none").c_str(), 0, &kind);
        EXPECT_TRUE(ncopts & NC_VERBOSE);
        if (fd != -1)
            PRF_close(fd);
    }
}

TEST_F(Prf, OpenAndClose)
{
    const std::string path = station();
    const std::string before = read_file(path);
    int kind = 0;
    EXPECT_EQ(PRF_open(path.c_str(), 1, &kind), -1);  // detection reads only
    EXPECT_EQ(kind, 0);
    kind = PRF_STATION;
    EXPECT_EQ(PRF_open(path.c_str(), 1, &kind), -1);  // never made anew
    EXPECT_EQ(read_file(path), before);
    kind = 42;
    EXPECT_EQ(PRF_open(path.c_str(), 0, &kind), -1);
    EXPECT_EQ(PRF_open(path.c_str(), 0, nullptr), -1);
    EXPECT_EQ(PRF_open(nullptr, 0, &kind), -1);

    // Nothing open: every operation fails.
    PRF_info info = {};
    PRF_report r;
    EXPECT_EQ(PRF_getinfo(0, &info), -1);
    EXPECT_EQ(PRF_read(0, &r, 0, nullptr), -1);
    EXPECT_EQ(PRF_rewind(0), -1);
    EXPECT_EQ(PRF_close(0), -1);

    // A second open replaces the first (which is closed); a close ends both.
    kind = 0;
    EXPECT_GE(PRF_open(path.c_str(), 0, &kind), 0);
    kind = 0;
    const int fd = PRF_open(record().c_str(), 0, &kind);
    EXPECT_GE(fd, 0);
    EXPECT_EQ(kind, PRF_RECORD);
    EXPECT_EQ(PRF_getinfo(fd, &info), 0);
    EXPECT_EQ(PRF_read(fd, &r, 0, nullptr), 1);
    EXPECT_STREQ(r.id, "RC1");
    EXPECT_EQ(PRF_close(fd), 0);
    EXPECT_EQ(PRF_close(fd), -1);
}

/// The number of file descriptors this process holds.
int open_descriptors()
{
    const auto r = run("ls /proc/" + std::to_string(getpid()) + "/fd | wc -l");
    return std::stoi(r.out);
}

TEST_F(Prf, DetectedFilesAreOpenedOnceAndClosedWithTheReader)
{
    const std::string paths[] = {station(), record()};
    PRF_chktype(paths[0].c_str());  // whatever the netCDF library keeps open from its first use
    const int before = open_descriptors();
    for (int round = 0; round < 3; round++)
        for (const std::string &path : paths) {
            SCOPED_TRACE(path);
            int kind = 0;
            const int fd = PRF_open(path.c_str(), 0, &kind);
            ASSERT_GE(fd, 0);
            // The detection's descriptor is the one the file is read through, whole: none
            // stays open while the file is read (two, when the library opened it again).
            EXPECT_EQ(open_descriptors(), before);
            PRF_info info = {};
            PRF_report r;
            EXPECT_EQ(PRF_getinfo(fd, &info), 0);
            EXPECT_EQ(PRF_read(fd, &r, 0, nullptr), 1);
            EXPECT_EQ(PRF_close(fd), 0);
            EXPECT_EQ(open_descriptors(), before);
            int format = 0;
            EXPECT_EQ(nc_inq_format(fd, &format), NC_EBADID);  // the library's file is closed
        }
    // A second file opened over the first: the first is closed.
    int kind = 0;
    const int first = PRF_open(paths[0].c_str(), 0, &kind);
    ASSERT_GE(first, 0);
    kind = 0;
    const int fd = PRF_open(paths[1].c_str(), 0, &kind);
    ASSERT_GE(fd, 0);
    int format = 0;
    EXPECT_EQ(nc_inq_format(first, &format), NC_EBADID);
    EXPECT_EQ(nc_inq_format(fd, &format), NC_NOERR);
    EXPECT_EQ(open_descriptors(), before);
    EXPECT_EQ(PRF_close(fd), 0);
    EXPECT_EQ(nc_inq_format(fd, &format), NC_EBADID);
    EXPECT_EQ(open_descriptors(), before);
}

TEST_F(Prf, BulletinFilesOpenAndTheirReadsEnd)
{
    write_file(dir.file("bulletin"), "****\nBUFR....7777\n");
    int kind = 0;
    EXPECT_EQ(PRF_open(dir.file("bulletin").c_str(), 0, &kind), 1);
    EXPECT_EQ(kind, PRF_BUFR);
    PRF_info info = {};
    info.num_stat = 77;
    EXPECT_EQ(PRF_getinfo(1, &info), 0);
    EXPECT_EQ(info.num_stat, 77);  // nothing to read for bulletins
    PRF_report r;
    CaptureStdio cap;
    EXPECT_EQ(PRF_read(1, &r, 0, nullptr), -1);
    cap.finish();
    EXPECT_EQ(cap.err(), "PRF_read: message at offset 5: edition 46 is not read; skipped\n");
    EXPECT_EQ(PRF_rewind(1), 0);
    EXPECT_EQ(PRF_close(1), 0);
    kind = PRF_BUFR;
    EXPECT_EQ(PRF_open(dir.file("bulletin").c_str(), 2, &kind), -1);  // read only
}

// ---------------------------------------------------------------------------------------------
// Hostile files
// ---------------------------------------------------------------------------------------------

/// A copy of a file cut to n bytes.
std::string cut_copy(const TempDir &dir, const std::string &path, size_t n, const char *name)
{
    write_file(dir.file(name), read_file(path).substr(0, n));
    return dir.file(name);
}

/// A copy of a classic file whose number of records (bytes 4 to 7) is replaced.
std::string records_copy(const TempDir &dir, const std::string &path, uint32_t n,
                         const char *name)
{
    std::string bytes = read_file(path);
    for (int k = 0; k < 4; k++)
        bytes[4 + k] = static_cast<char>(n >> (24 - 8 * k));
    write_file(dir.file(name), bytes);
    return dir.file(name);
}

TEST_F(Prf, HostileFiles)
{
    const std::string st = fixture("station.cdl");
    const std::string whole = station();
    const size_t size = read_file(whole).size();
    const struct Case {
        const char *what;
        std::string path;
        int kind;                 // of the open, -1 when refused
        size_t max_reports;       // at most
        const char *message;      // expected in the messages ("" none)
    } cases[] = {
        {"data cut short", cut_copy(dir, whole, size * 2 / 3, "cut_data"), PRF_STATION, 3, ""},
        {"header cut short", cut_copy(dir, whole, 200, "cut_header"), -1, 0, ""},
        {"100000 levels", make_nc(dir, "deep", replaced(st, "low_level = 4 ;", "low_level = 100000 ;")),
         PRF_STATION, 3, ""},
        {"no unlimited dimension",
         make_nc(dir, "fixed", replaced(st, "station = UNLIMITED ;", "station = 4 ;")), PRF_STATION,
         3, ""},
        {"absurd record count", records_copy(dir, whole, 0x7fffffff, "absurd"), PRF_STATION, 0,
         "PRF_getinfo: no usable record dimension\n"},
        {"more records than data", records_copy(dir, whole, 1000, "short"), PRF_STATION, 3, ""},
        {"identifier of numbers",
         make_nc(dir, "numid", replaced(replaced(st, "char id(station, string_len)", "int id(station)"),
                                        "\"ST1\", \"ST2\", \"S\\001T3\", \"ST4\"", "1, 2, 3, 4")),
         PRF_STATION, 0, "PRF_getinfo: variable id is not usable (type 4, 1 dimensions)"},
        {"heights over two dimensions",
         make_nc(dir, "heights2",
                 replaced(replaced(st, "float low_level(low_level)", "float low_level(station, low_level)"),
                          "low_level = 500, 1000, 1500, 2000 ;",
                          "low_level = 500, 1000, 1500, 2000, 500, 1000, 1500, 2000, 500, 1000, "
                          "1500, 2000, 500, 1000, 1500, 2000 ;")),
         PRF_STATION, 3, "PRF_getinfo: variable low_level is not usable (type 5, 2 dimensions)"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        CaptureStdio cap;
        const File_reports f = read_all(c.path);
        cap.finish();
        EXPECT_EQ(f.handle == -1 ? -1 : f.kind, c.kind);
        EXPECT_LE(f.reports.size(), c.max_reports);
        EXPECT_NE((cap.out() + cap.err()).find(c.message), std::string::npos) << cap.err();
        for (const PRF_report &r : f.reports)
            EXPECT_LE(r.num_levels, 72);
    }
}

TEST_F(Prf, ValuesOfOtherTypesAreConverted)
{
    std::string cdl = fixture("station.cdl");
    cdl = replaced(cdl, "float lat(station)", "double lat(station)");
    cdl = replaced(cdl, "int elev(station)", "float elev(station)");
    cdl = replaced(cdl, "float low_u_wind(station, low_level)", "short low_u_wind(station, low_level)");
    cdl = replaced(cdl, "byte low_qual_indicator(", "int low_qual_indicator(");
    cdl = replaced(cdl, "float low_level(low_level)", "double low_level(low_level)");
    cdl = replaced(cdl, "int year(station)", "short year(station)");
    cdl = replaced(cdl, "float sfc_t(station)", "char sfc_t(station)");
    cdl = replaced(cdl, "sfc_t = 20, -150, 25, 30 ;", "sfc_t = \"abcd\" ;");
    const std::string path = make_nc(dir, "types", cdl);
    CaptureStdio cap;
    const File_reports f = read_all(path);
    cap.finish();
    EXPECT_EQ(cap.err().find("PRF_getinfo: variable sfc_t is not usable (type 2, 1 dimensions)\n"),
              0u) << cap.err();
    EXPECT_EQ(cap.err().find("PRF_getinfo", 1), std::string::npos);  // the only one refused
    ASSERT_EQ(f.reports.size(), 3u);
    const PRF_report &r = f.reports[0];
    EXPECT_FLOAT_EQ(r.lat, 40.5f);
    EXPECT_FLOAT_EQ(r.elev, 1500);
    EXPECT_TRUE(VYK_is_miss(r.temp));
    EXPECT_EQ(f.info.date.year, 2024);
    ASSERT_EQ(r.num_levels, 5);
    EXPECT_FLOAT_EQ(r.lev[1].h, 1000);
    EXPECT_FLOAT_EQ(r.lev[1].u, 2);
    EXPECT_EQ(r.lev[2].q, 9);
    EXPECT_TRUE(VYK_is_miss(r.lev[2].v));
}

TEST_F(Prf, MissingLongitudeStaysMissing)
{
    // West longitudes are stored positive in the station layout: a missing one is not turned
    // into 9999.
    const std::string path =
        make_nc(dir, "nolon", replaced(fixture("station.cdl"), "lon = 105,", "lon = -9999,"));
    const File_reports f = read_all(path);
    ASSERT_EQ(f.reports.size(), 3u);
    EXPECT_TRUE(VYK_is_miss(f.reports[0].lon));
    EXPECT_FLOAT_EQ(f.reports[1].lon, 80);
}

TEST_F(Prf, FewerLevelsThanALayoutHolds)
{
    // Two low-mode levels in the file: the others are not in the report, and missing or
    // non-finite values are missing.
    std::string cdl = fixture("station.cdl");
    cdl = replaced(cdl, "low_level = 4 ;", "low_level = 2 ;");
    cdl = replaced(cdl, "low_level = 500, 1000, 1500, 2000 ;", "low_level = 500, NaN ;");
    for (const char *var : {"low_u_wind", "low_v_wind", "low_w_wind", "low_moment2_n",
                            "low_moment2_e", "low_moment2_v", "low_qual_indicator"}) {
        const size_t at = cdl.find(std::string(" ") + var + " =");
        const size_t end = cdl.find(';', at);
        cdl.replace(at, end - at, std::string(" ") + var + " = 7, 8, 9, 10, 11, 12, 13, 14 ");
    }
    const File_reports f = read_all(make_nc(dir, "short", cdl));
    ASSERT_EQ(f.reports.size(), 3u);
    const PRF_report &r = f.reports[0];
    ASSERT_EQ(r.num_levels, 3);  // 500, then 2000 and 2500 of the high mode
    EXPECT_FLOAT_EQ(r.lev[0].h, 500);
    EXPECT_TRUE(VYK_is_miss(r.lev[0].u));  // quality 7
    EXPECT_EQ(r.lev[0].q, 7);
    EXPECT_FLOAT_EQ(r.lev[1].h, 2000);
    EXPECT_FLOAT_EQ(r.lev[1].u, 20);
    EXPECT_FLOAT_EQ(r.lev[2].h, 2500);
}

}  // namespace
