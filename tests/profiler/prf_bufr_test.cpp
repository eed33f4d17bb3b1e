// The BUFR side of the profiler reader: bulletins built here from the decoder's own element
// table (the edge cases as a table of expected reports, the heading forms, hostile bulletins as
// a table of files and warnings), and the sample series written by prfgen with eccodes, decoded
// both by the reader and by eccodes' bufr_dump and compared with the netCDF layouts.
#include "test_util.h"
#include "vykprf.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <ostream>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

using vyktest::CaptureStdio;
using vyktest::quote;
using vyktest::read_file;
using vyktest::run;
using vyktest::TempDir;
using vyktest::write_file;

namespace {

constexpr float M = VYK_MISS;
const double MISSING = NAN;  // an element written with all its bits set

// ---------------------------------------------------------------------------------------------
// Building bulletins
// ---------------------------------------------------------------------------------------------

/// Widths, scales and references of the elements the bulletins here use, as the decoder's own
/// table gives them (w, the spreads and the rain rate differ from WMO Table B).
struct Element_def {
    int x, y, bits;
    double scale;
    int reference;
};
const Element_def element_defs[] = {
    {1, 1, 7, 1, 0},        {1, 2, 10, 1, 0},      {5, 2, 15, 0.01, -9000},
    {6, 2, 16, 0.01, -18000}, {7, 1, 15, 1, -400}, {7, 5, 12, 1, -400},
    {4, 1, 12, 1, 0},       {8, 21, 5, 1, 0},      {11, 3, 13, 0.1, -4096},
    {11, 4, 13, 0.1, -4096}, {11, 6, 13, 0.1, -4096}, {11, 50, 12, 1, 0},
    {11, 51, 8, 1, 0},      {13, 14, 12, 1e-7, 0}, {21, 192, 7, 1, 0},
    {25, 32, 2, 1, 0},      {25, 34, 4, 1, 0},     {31, 2, 16, 1, 0},
};

const Element_def &def(int x, int y)
{
    for (const Element_def &d : element_defs)
        if (d.x == x && d.y == y)
            return d;
    ADD_FAILURE() << "no element " << x << " " << y;
    return element_defs[0];
}

/// The data of section 4, written most significant bit first.
class Data {
public:
    /// The raw value v in width bits.
    Data &raw(uint64_t v, int width)
    {
        for (int b = width - 1; b >= 0; b--) {
            acc_ = (acc_ << 1) | ((v >> b) & 1);
            if (++n_ == 8) {
                bytes_ += static_cast<char>(acc_);
                acc_ = 0;
                n_ = 0;
            }
        }
        bits_ += width;
        return *this;
    }
    /// Element x y with value v (MISSING: all bits set), extra bits wider than its table width.
    Data &el(int x, int y, double v, int extra = 0)
    {
        const Element_def &d = def(x, y);
        const int width = d.bits + extra;
        if (std::isnan(v))
            return raw((uint64_t{1} << width) - 1, width);
        return raw(static_cast<uint64_t>(std::llround(v / d.scale) - d.reference), width);
    }
    /// The octets, the last one filled with zero bits.
    std::string octets() const
    {
        std::string out = bytes_;
        if (n_ > 0)
            out += static_cast<char>(acc_ << (8 - n_));
        return out;
    }
    long bits() const { return bits_; }

private:
    std::string bytes_;
    uint64_t acc_ = 0;
    int n_ = 0;
    long bits_ = 0;
};

struct Desc {
    int f, x, y;
};

std::string u24(size_t v)
{
    return {static_cast<char>(v >> 16), static_cast<char>(v >> 8), static_cast<char>(v)};
}

/// One BUFR message.
struct Message {
    int edition = 3;
    std::vector<Desc> desc;
    int subsets = 1;
    bool compressed = false;
    bool pad3 = true;          // section 3 with its pad octet (an eccodes message has none)
    std::string section2;      // the optional section's contents (none when empty)
    std::string data;          // section 4's data
    long total_length = -1;    // the length written in section 0 (-1: the true length)
    int section1_extra = 0;    // added to section 1's stated length

    std::string build() const
    {
        std::string s1 = u24(18 + section1_extra) + std::string(1, 0) + std::string(1, 0) +
                         std::string(1, 59) + std::string(1, 0) +
                         std::string(1, section2.empty() ? 0 : static_cast<char>(0x80)) +
                         std::string(1, 2) + std::string(1, 0) + std::string(1, 13) +
                         std::string(1, 1) + std::string("\x18\x05\x0e\x0c\x00", 5) + std::string(1, 0);
        std::string s2;
        if (!section2.empty())
            s2 = u24(4 + section2.size()) + std::string(1, 0) + section2;
        std::string d;
        for (const Desc &e : desc)
            d += {static_cast<char>((e.f << 6) | e.x), static_cast<char>(e.y)};
        const size_t s3_len = 7 + d.size() + (pad3 ? 1 : 0);
        std::string s3 = u24(s3_len) + std::string(1, 0) +
                         std::string{static_cast<char>(subsets >> 8), static_cast<char>(subsets)} +
                         std::string(1, static_cast<char>(compressed ? 0xc0 : 0x80)) + d +
                         (pad3 ? std::string(1, 0) : "");
        std::string s4_data = data;
        if ((4 + s4_data.size()) % 2)
            s4_data += '\0';
        const std::string s4 = u24(4 + s4_data.size()) + std::string(1, 0) + s4_data;
        const std::string body = s1 + s2 + s3 + s4 + "7777";
        const size_t total = 8 + body.size();
        return "BUFR" + u24(total_length < 0 ? total : size_t(total_length)) +
               std::string(1, static_cast<char>(edition)) + body;
    }
};

/// The heading line of the sample bulletins before a message.
std::string star_heading(const std::string &msg)
{
    char line[32];
    snprintf(line, sizeof line, "****%010zu****\n", msg.size());
    return line + msg;
}

/// The descriptors of a small profiler message: station, position, elevation, an increment
/// pair and n levels of q, u, v, w and the two spreads by fixed replication.
std::vector<Desc> profile_desc(int n)
{
    return {{0, 1, 1},  {0, 1, 2},  {0, 5, 2},  {0, 6, 2},  {0, 7, 1},  {0, 7, 5},
            {0, 7, 5},  {1, 6, n},  {0, 25, 34}, {0, 11, 3}, {0, 11, 4}, {0, 11, 6},
            {0, 11, 50}, {0, 11, 51}};
}

struct Level_in {
    double u, v, w, hdev, vdev, q;
};

/// The data of one subset of profile_desc: level k gets u = base + k, v = -u, and so on.
void profile_data(Data &d, int block, int station, double lat, double lon, double elev,
                  double first_inc, double step, int n, double base = 1)
{
    d.el(1, 1, block).el(1, 2, station).el(5, 2, lat).el(6, 2, lon).el(7, 1, elev);
    d.el(7, 5, first_inc).el(7, 5, step);
    for (int k = 0; k < n; k++)
        d.el(25, 34, k % 2 ? 8 : 0)
            .el(11, 3, base + k)
            .el(11, 4, -(base + k))
            .el(11, 6, 0.1 * k)
            .el(11, 50, 1 + k % 3)
            .el(11, 51, 1);
}

/// A message of one station of n levels from 500 m every 250 m.
std::string station_msg(int block, int station, int n = 3, double base = 1)
{
    Message m;
    m.desc = profile_desc(n);
    Data d;
    profile_data(d, block, station, 40.18, -104.73, 1503, 250, 250, n, base);
    m.data = d.octets();
    return m.build();
}

// ---------------------------------------------------------------------------------------------
// Reading
// ---------------------------------------------------------------------------------------------

struct Read_result {
    int kind = 0;
    std::vector<PRF_report> reports;
    std::string warnings;
};

/// Reads every report of a file (detected, or opened as bulletins), capturing the warnings.
Read_result read_reports(const std::string &path, bool detect = false, size_t limit = 1000)
{
    Read_result res;
    CaptureStdio cap;
    res.kind = detect ? 0 : PRF_BUFR;
    const int fd = PRF_open(path.c_str(), 0, &res.kind);
    PRF_info info = {};
    if (fd != -1)
        PRF_getinfo(fd, &info);
    PRF_report r;
    while (fd != -1 && res.reports.size() < limit && PRF_read(fd, &r, 0, nullptr) == 1)
        res.reports.push_back(r);
    if (fd != -1)
        PRF_close(fd);
    cap.finish();
    res.warnings = cap.err();
    return res;
}

std::vector<std::string> ids(const Read_result &r)
{
    std::vector<std::string> out;
    for (const PRF_report &rep : r.reports)
        out.push_back(rep.id);
    return out;
}

class PrfBufr : public ::testing::Test {
protected:
    void TearDown() override { PRF_close(0); }
    std::string file(const std::string &content)
    {
        const std::string path = dir.file("f" + std::to_string(n_++) + ".prf");
        write_file(path, content);
        return path;
    }
    TempDir dir;

private:
    int n_ = 0;
};

// ---------------------------------------------------------------------------------------------
// Edge cases
// ---------------------------------------------------------------------------------------------

struct Level_row {
    int index;
    float h, u, v, w, hdev, vdev;
    int q;
};

struct Report_expect {
    const char *id;
    float lat, lon, elev;
    int num_levels;
    std::vector<Level_row> levels;  // levels checked
};

struct Edge_row {
    const char *name;
    std::function<std::string()> bulletin;
    std::vector<Report_expect> reports;
    const char *warning;  // in the warnings ("" none)
};

std::string two_subsets()
{
    Message m;
    m.desc = profile_desc(2);
    m.subsets = 2;
    Data d;
    profile_data(d, 7, 45, 36.69, -97.48, 306, 250, 250, 2);
    EXPECT_NE(d.bits() % 8, 0) << "the second subset must not start on an octet";
    // The second subset has no position (nothing of the first carries over), starts higher and
    // has a u of 300 m/s, which is dropped.
    d.el(1, 1, 7).el(1, 2, 46).el(5, 2, MISSING).el(6, 2, MISSING).el(7, 1, MISSING);
    d.el(7, 5, 1000).el(7, 5, 500);
    d.el(25, 34, 0).el(11, 3, 300).el(11, 4, 5).el(11, 6, MISSING).el(11, 50, MISSING).el(11, 51, 2);
    d.el(25, 34, MISSING).el(11, 3, MISSING).el(11, 4, 6).el(11, 6, 1.5).el(11, 50, 2).el(11, 51, 3);
    m.data = d.octets();
    return star_heading(m.build());
}

/// One replication of 10 descriptors 20 times, with a height increment inside the block's
/// neighbours only: heights rise by the last increment between passes.
std::string replication_of_ten()
{
    Message m;
    m.desc = {{0, 1, 1},  {0, 1, 2},  {0, 7, 5},  {0, 7, 5},  {1, 10, 20}, {0, 25, 34},
              {0, 11, 3}, {0, 11, 4}, {0, 11, 6}, {0, 11, 50}, {0, 11, 51}, {0, 21, 192},
              {0, 25, 32}, {0, 8, 21}, {0, 13, 14}};
    Data d;
    d.el(1, 1, 74).el(1, 2, 531).el(7, 5, 100).el(7, 5, 200);
    for (int k = 0; k < 20; k++)
        d.el(25, 34, 0).el(11, 3, k).el(11, 4, 0).el(11, 6, 0).el(11, 50, 0).el(11, 51, 0)
            .el(21, 192, 40).el(25, 32, 1).el(8, 21, 2).el(13, 14, 1e-5);
    m.data = d.octets();
    return star_heading(m.build());
}

/// 2-01-130 widens the following numeric elements by 2 bits until 2-01-000; the code-table
/// quality flag keeps its width.
std::string width_change()
{
    Message m;
    m.desc = {{0, 1, 1},  {0, 1, 2},   {2, 1, 130}, {0, 5, 2},  {0, 7, 5},  {0, 7, 5},
              {1, 3, 2},  {0, 25, 34}, {0, 11, 3},  {0, 11, 4}, {2, 1, 0},  {0, 6, 2}};
    Data d;
    d.el(1, 1, 1).el(1, 2, 2).el(5, 2, 12.5, 2).el(7, 5, 250, 2).el(7, 5, 250, 2);
    d.el(25, 34, 8).el(11, 3, 4.5, 2).el(11, 4, -4.5, 2);
    d.el(25, 34, 0).el(11, 3, 5.5, 2).el(11, 4, -5.5, 2);
    d.el(6, 2, 100.25);
    m.data = d.octets();
    return star_heading(m.build());
}

/// 2-06-010 before a local element the table lacks passes it over; 2-06-009 before a known
/// element gives that element's width once.
std::string width_override()
{
    Message m;
    m.desc = {{0, 1, 1}, {0, 1, 2}, {2, 6, 10}, {0, 48, 200}, {2, 6, 9}, {0, 7, 1}, {0, 5, 2}};
    Data d;
    d.el(1, 1, 3).el(1, 2, 4).raw(1022, 10).raw(50 + 400, 9).el(5, 2, -33.5);
    m.data = d.octets();
    return star_heading(m.build());
}

/// Values of 200 or more are dropped; all bits set is missing for every element.
std::string limits()
{
    Message m;
    m.desc = profile_desc(2);
    Data d;
    d.el(1, 1, MISSING).el(1, 2, 45).el(5, 2, MISSING).el(6, 2, 180).el(7, 1, -400);
    d.el(7, 5, 250).el(7, 5, 250);
    d.el(25, 34, 15).el(11, 3, 199.9).el(11, 4, 200).el(11, 6, -409.6).el(11, 50, 255).el(11, 51, 199);
    d.el(25, 34, 3).el(11, 3, MISSING).el(11, 4, 409.4).el(11, 6, 0).el(11, 50, MISSING).el(11, 51, MISSING);
    m.data = d.octets();
    return star_heading(m.build());
}

/// Section 3 written without its pad octet, as eccodes writes it: the last descriptor (the
/// spread of w) is still read.
std::string no_pad()
{
    Message m;
    m.desc = profile_desc(1);
    m.pad3 = false;
    Data d;
    profile_data(d, 10, 1, 50, 10, 100, 250, 250, 1, 3);
    m.data = d.octets();
    return star_heading(m.build());
}

/// 120 passes: the levels beyond 100 are read and dropped, and the next subset is read right.
std::string surplus_levels()
{
    Message m;
    m.desc = profile_desc(120);
    m.subsets = 2;
    Data d;
    profile_data(d, 74, 1, 40, -100, 300, 250, 250, 120);
    profile_data(d, 74, 2, 41, -101, 400, 250, 250, 120);
    m.data = d.octets();
    return star_heading(m.build());
}

/// A missing height increment leaves the heights after it unknown: those levels go.
std::string missing_increment()
{
    Message m;
    m.desc = {{0, 1, 1}, {0, 1, 2}, {0, 7, 5}, {1, 2, 2}, {0, 11, 3}, {0, 11, 4},
              {0, 7, 5}, {1, 2, 2}, {0, 11, 3}, {0, 11, 4}};
    Data d;
    d.el(1, 1, 74).el(1, 2, 9).el(7, 5, 500);
    d.el(11, 3, 1).el(11, 4, 1).el(11, 3, 2).el(11, 4, 2);
    d.el(7, 5, MISSING).el(11, 3, 3).el(11, 4, 3).el(11, 3, 4).el(11, 4, 4);
    m.data = d.octets();
    return star_heading(m.build());
}

/// A wind after the last pass of a replication fills no level: the count stays at the passes
/// and nothing of it is left behind the count.
std::string wind_after_the_passes()
{
    Message m;
    m.desc = {{0, 1, 1}, {0, 1, 2}, {0, 7, 5}, {1, 2, 2}, {0, 11, 3}, {0, 11, 4}, {0, 11, 3}, {0, 11, 4}};
    Data d;
    d.el(1, 1, 74).el(1, 2, 10).el(7, 5, 500);
    d.el(11, 3, 1).el(11, 4, 1).el(11, 3, 2).el(11, 4, 2);
    d.el(11, 3, 9).el(11, 4, 9);
    m.data = d.octets();
    return star_heading(m.build());
}

/// Octets left in the data section after the last subset are not decoded as a further one.
std::string trailing_octets()
{
    Message m;
    m.desc = profile_desc(2);
    Data d;
    profile_data(d, 74, 3, 40, -100, 300, 250, 250, 2);
    m.data = d.octets() + std::string(8, '\0');
    return star_heading(m.build());
}

const Edge_row edge_rows[] = {
    {"StarHeadingAndBlock7Station45", [] { return star_heading(station_msg(7, 45)); },
     {{"07045", 40.18f, -104.73f, 1503, 3,
       {{0, 500, 1, -1, 0, 1, 1, 0}, {1, 750, 2, -2, 0.1f, 2, 1, 8}, {2, 1000, 3, -3, 0.2f, 3, 1, 0}}}},
     ""},
    {"TwoSubsetsTwoCalls", two_subsets,
     {{"07045", 36.69f, -97.48f, 306, 2, {{0, 500, 1, -1, 0, 1, 1, 0}, {1, 750, 2, -2, 0.1f, 2, 1, 8}}},
      {"07046", M, M, M, 2, {{0, 1500, M, 5, M, M, 2, 0}, {1, 2000, M, 6, 1.5f, 2, 3, 0}}}},
     ""},
    {"ReplicationOfTenTwentyTimes", replication_of_ten,
     {{"74531", M, M, M, 20,
       {{0, 300, 0, 0, 0, 0, 0, 0}, {1, 500, 1, 0, 0, 0, 0, 0}, {19, 4100, 19, 0, 0, 0, 0, 0}}}},
     ""},
    {"WidthChangeNotForCodeTables", width_change,
     {{"01002", 12.5f, 100.25f, M, 2, {{0, 500, 4.5f, -4.5f, M, M, M, 8}, {1, 750, 5.5f, -5.5f, M, M, M, 0}}}},
     ""},
    {"WidthOverride", width_override, {{"03004", -33.5f, M, 50, 0, {}}}, ""},
    {"LimitsAndMissingValues", limits,
     {{"", M, 180, -400, 2,
       {{0, 500, 199.9f, M, -409.6f, M, 199, 0}, {1, 750, M, M, 0, M, M, 3}}}},
     ""},
    {"SectionThreeWithoutPad", no_pad, {{"10001", 50, 10, 100, 1, {{0, 500, 3, -3, 0, 1, 1, 0}}}}, ""},
    {"LevelsBeyondAHundred", surplus_levels,
     {{"74001", 40, -100, 300, 100, {{0, 500, 1, -1, 0, 1, 1, 0}, {99, 25250, 100, -100, 9.9f, 1, 1, 8}}},
      {"74002", 41, -101, 400, 100, {{0, 500, 1, -1, 0, 1, 1, 0}}}},
     "120 levels; those beyond 100 dropped"},
    {"SubsetsCountedNotGuessed", trailing_octets,
     {{"74003", 40, -100, 300, 2, {{1, 750, 2, -2, 0.1f, 2, 1, 8}}}}, ""},
    {"WindAfterThePassesFillsNoLevel", wind_after_the_passes,
     {{"74010", M, M, M, 2, {{0, 500, 1, 1, M, M, M, 0}, {1, 1000, 2, 2, M, M, M, 0}}}},
     ""},
    {"MissingIncrementDropsTheLevelsAfterIt", missing_increment,
     {{"74009", M, M, M, 2, {{0, 500, 1, 1, M, M, M, 0}, {1, 1000, 2, 2, M, M, M, 0}}}},
     ""},
};

void PrintTo(const Edge_row &row, std::ostream *os)
{
    *os << row.name;
}

class PrfBufrEdge : public PrfBufr, public ::testing::WithParamInterface<Edge_row> {};

TEST_P(PrfBufrEdge, Reports)
{
    const Edge_row &row = GetParam();
    const Read_result res = read_reports(file(row.bulletin()), true);
    EXPECT_EQ(res.kind, PRF_BUFR);
    if (row.warning[0] == '\0')
        EXPECT_EQ(res.warnings, "");
    else
        EXPECT_NE(res.warnings.find(row.warning), std::string::npos) << res.warnings;
    ASSERT_EQ(res.reports.size(), row.reports.size());
    for (size_t i = 0; i < row.reports.size(); i++) {
        const Report_expect &e = row.reports[i];
        const PRF_report &r = res.reports[i];
        SCOPED_TRACE(i);
        EXPECT_STREQ(r.id, e.id);
        EXPECT_FLOAT_EQ(r.lat, e.lat);
        EXPECT_FLOAT_EQ(r.lon, e.lon);
        EXPECT_FLOAT_EQ(r.elev, e.elev);
        for (float v : {r.pres, r.temp, r.dewp, r.dir, r.spd, r.rain})
            EXPECT_EQ(v, M);
        EXPECT_EQ(r.wmo, VYK_MISS);
        ASSERT_EQ(r.num_levels, e.num_levels);
        for (const Level_row &l : e.levels) {
            const PRF_level &got = r.lev[l.index];
            SCOPED_TRACE(l.index);
            EXPECT_FLOAT_EQ(got.h, l.h);
            EXPECT_NEAR(got.u, l.u, 1e-4);
            EXPECT_NEAR(got.v, l.v, 1e-4);
            EXPECT_NEAR(got.w, l.w, 1e-4);
            EXPECT_NEAR(got.hdev, l.hdev, 1e-4);
            EXPECT_NEAR(got.vdev, l.vdev, 1e-4);
            EXPECT_EQ(got.q, l.q);
        }
        for (int k = r.num_levels; k < PRF_MAX_LEVELS; k++)
            ASSERT_EQ(r.lev[k].h, M) << k;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, PrfBufrEdge, ::testing::ValuesIn(edge_rows),
                         [](const auto &info) { return std::string(info.param.name); });

std::string with(std::function<void(Message &)> change, int station = 99)
{
    Message m;
    m.desc = profile_desc(3);
    Data d;
    profile_data(d, 74, station, 40, -100, 300, 250, 250, 3);
    m.data = d.octets();
    change(m);
    return star_heading(m.build());
}

std::string good(int station)
{
    return star_heading(station_msg(74, station));
}

// ---------------------------------------------------------------------------------------------
// Headings, several bulletins, rewind
// ---------------------------------------------------------------------------------------------

TEST_F(PrfBufr, HeadingFormsAndRewind)
{
    // A line of asterisks; WMO framing with start and end controls and carriage returns; a
    // heading beginning 'G'; an empty line and a newline after "7777"; no heading at all.
    const std::string content =
        star_heading(station_msg(74, 1)) +
        "\r\r\n\x01\r\r\n123\r\r\nIUPB41 KBOU 141200\r\r\n" + station_msg(74, 2) + "\r\r\n\x03" +
        "GTS\nIUPB42 KBOU 141200\nPIN\n" + station_msg(74, 3) + "\n\n" +
        station_msg(74, 4) + "\n";
    const std::string path = file(content);
    const Read_result res = read_reports(path, true);
    EXPECT_EQ(res.kind, PRF_BUFR);
    EXPECT_EQ(res.warnings, "");
    const std::vector<std::string> want = {"74001", "74002", "74003", "74004"};
    EXPECT_EQ(ids(res), want);

    // A rewind reads again from the first message, whatever the first line holds; so does a
    // rewind in the middle of a message of several subsets.
    int kind = PRF_BUFR;
    const int fd = PRF_open(path.c_str(), 0, &kind);
    ASSERT_EQ(fd, 1);
    PRF_report r;
    for (int pass = 0; pass < 3; pass++) {
        std::vector<std::string> got;
        while (PRF_read(fd, &r, 0, nullptr) == 1)
            got.push_back(r.id);
        EXPECT_EQ(got, want) << pass;
        EXPECT_EQ(PRF_rewind(fd), 0);
    }
    ASSERT_EQ(PRF_read(fd, &r, 0, nullptr), 1);
    EXPECT_EQ(PRF_rewind(fd), 0);
    ASSERT_EQ(PRF_read(fd, &r, 0, nullptr), 1);
    EXPECT_STREQ(r.id, "74001");
    EXPECT_EQ(PRF_close(fd), 0);

    // A file that begins with a message (opened as bulletins: it is not detected as one) whose
    // first line ends inside the message: the rewind must not pass over a line.
    const std::string bare = file(with([](Message &m) { m.section2 = "\n"; }, 1) .substr(19) +
                                  good(2));
    ASSERT_EQ(PRF_open(bare.c_str(), 0, &kind), 1);
    for (int pass = 0; pass < 2; pass++) {
        for (const char *id : {"74001", "74002"}) {
            ASSERT_EQ(PRF_read(1, &r, 0, nullptr), 1);
            EXPECT_STREQ(r.id, id);
        }
        EXPECT_EQ(PRF_read(1, &r, 0, nullptr), -1);
        EXPECT_EQ(PRF_rewind(1), 0);
    }
    // A file beginning with a heading line of 'G' is a bulletin file.
    EXPECT_EQ(PRF_chktype(file("GTS\n" + station_msg(74, 7)).c_str()), PRF_BUFR);

    const std::string two = file(two_subsets());
    ASSERT_EQ(PRF_open(two.c_str(), 0, &kind), 1);
    ASSERT_EQ(PRF_read(1, &r, 0, nullptr), 1);
    EXPECT_EQ(PRF_rewind(1), 0);
    for (const char *id : {"07045", "07046"}) {
        ASSERT_EQ(PRF_read(1, &r, 0, nullptr), 1);
        EXPECT_STREQ(r.id, id);
    }
    EXPECT_EQ(PRF_read(1, &r, 0, nullptr), -1);
}

// ---------------------------------------------------------------------------------------------
// Hostile bulletins
// ---------------------------------------------------------------------------------------------

struct Hostile_row {
    const char *name;
    std::function<std::string()> content;
    std::vector<std::string> ids;  // reports read
    const char *warning;           // in the warnings ("" none)
};

const Hostile_row hostile_rows[] = {
    {"TruncatedSectionZero", [] { return good(1) + std::string("****\nBUFR\0", 10); }, {"74001"}, "truncated in section 0"},
    {"TruncatedMessage", [] { const std::string m = good(2); return good(1) + m.substr(0, m.size() - 30) + good(3); },
     {"74001", "74003"}, "does not end in \"7777\""},
    {"TruncatedAtTheEnd", [] { const std::string m = good(2); return good(1) + m.substr(0, m.size() - 30); },
     {"74001"}, "truncated: "},
    {"TotalLengthZero", [] { return with([](Message &m) { m.total_length = 0; }) + good(2); },
     {"74002"}, "total length 0 is too small"},
    {"TotalLengthTwoToThe24", [] { return with([](Message &m) { m.total_length = 0xffffff; }) + good(2); },
     {"74002"}, "total length 16777215 is beyond the 20000 octets read"},
    // A message longer than the buffer is skipped by its length: the message inside its
    // optional section is not read, the one after it is.
    {"LongerThanTheBufferSkippedByItsLength",
     [] { return with([](Message &m) { m.section2 = std::string(20000, '\0') + good(5); }) + good(2); },
     {"74002"}, "beyond the 20000 octets read"},
    {"SectionLengthZero", [] { return with([](Message &m) { m.section1_extra = -18; }) + good(2); },
     {"74002"}, "section 1 length 0 does not fit"},
    {"SectionLengthTwoToThe24",
     [] { return with([](Message &m) { m.section1_extra = 0xffffff - 18; }) + good(2); },
     {"74002"}, "section 1 length 16777215 does not fit"},
    {"SectionLengthsDisagree", [] { return with([](Message &m) { m.section1_extra = 2; }) + good(2); },
     {"74002"}, "section"},
    {"NoEndMark", [] { std::string m = with([](Message &) {}); m[m.size() - 1] = 'X'; return m + good(2); },
     {"74002"}, "does not end in \"7777\""},
    {"ReplicationCount65535",
     [] {
         return with([](Message &m) {
                    m.desc = {{0, 1, 1}, {0, 1, 2}, {1, 2, 0}, {0, 31, 2}, {0, 11, 3}, {0, 11, 4}};
                    Data d;
                    d.el(1, 1, 74).el(1, 2, 99).el(31, 2, 65535);
                    m.data = d.octets();
                }) + good(2);
     },
     {"74002"}, "delayed replication 1 02 000 is not read"},
    {"FixedReplicationBeyondTheData",
     [] {
         return with([](Message &m) {
                    m.desc = {{0, 1, 1}, {0, 1, 2}, {1, 2, 255}, {0, 11, 3}, {0, 11, 4}};
                    Data d;
                    d.el(1, 1, 74).el(1, 2, 99).el(11, 3, 1).el(11, 4, 2);
                    m.data = d.octets();
                }) + good(2);
     },
     {"74002"}, "subset 1 runs past the end of the data section"},
    {"ElementNotInTheTable", [] { return with([](Message &m) { m.desc[4] = {0, 12, 101}; }) + good(2); },
     {"74002"}, "element 0 12 101 is not known"},
    {"SequenceDescriptor", [] { return with([](Message &m) { m.desc[0] = {3, 1, 1}; m.desc.erase(m.desc.begin() + 1); }) + good(2); },
     {"74002"}, "sequence descriptor 3 01 001 is not read"},
    {"OtherOperator", [] { return with([](Message &m) { m.desc.insert(m.desc.begin(), {2, 2, 129}); }) + good(2); },
     {"74002"}, "operator 2 02 129 is not read"},
    {"CompressedData", [] { return with([](Message &m) { m.compressed = true; }) + good(2); },
     {"74002"}, "compressed data are not read"},
    {"TooManyDescriptors", [] { return with([](Message &m) { m.desc.resize(101, {0, 11, 3}); }) + good(2); },
     {"74002"}, "101 descriptors, at most 100 are read"},
    {"NestedReplication", [] { return with([](Message &m) { m.desc.insert(m.desc.begin() + 8, {1, 2, 2}); }) + good(2); },
     {"74002"}, "nested replication"},
    {"ReplicationBeyondTheDescriptors", [] { return with([](Message &m) { m.desc[7] = {1, 63, 3}; }) + good(2); },
     {"74002"}, "replication 1 63 003 does not fit the descriptors"},
    {"WidthBeyondThirtyTwoBits", [] { return with([](Message &m) { m.desc.insert(m.desc.begin(), {2, 1, 255}); }) + good(2); },
     {"74002"}, "a data width beyond 1 to 32 bits"},
    {"NoSubsets", [] { return with([](Message &m) { m.subsets = 0; }) + good(2); }, {"74002"}, "no data subsets"},
    {"Edition4", [] { return with([](Message &m) { m.edition = 4; }) + good(2); }, {"74002"}, "edition 4 is not read"},
    {"JunkBetweenMessages", [] { return good(1) + std::string("\x00\xff\x80junk\x07", 8) + good(2); },
     {"74001", "74002"}, "27 octets at offset"},
    {"MarkInJunk", [] { return good(1) + "BUFRBUFR****" + good(2); }, {"74001", "74002"}, "edition 82 is not read"},
    {"JunkOnly", [] { return "****\n" + std::string(5000, '\xee'); }, {}, "5005 octets at offset 0 that are not a bulletin heading"},
    {"HeadingWithoutMessage", [] { return std::string("****0000000100****\n"); }, {}, ""},
};

void PrintTo(const Hostile_row &row, std::ostream *os)
{
    *os << row.name;
}

class PrfBufrHostile : public PrfBufr, public ::testing::WithParamInterface<Hostile_row> {};

TEST_P(PrfBufrHostile, SkippedWithAWarning)
{
    const Hostile_row &row = GetParam();
    const Read_result res = read_reports(file(row.content()), true, 100);
    EXPECT_EQ(res.kind, PRF_BUFR);
    EXPECT_EQ(ids(res), row.ids);
    if (row.warning[0] == '\0')
        EXPECT_EQ(res.warnings, "");
    else
        EXPECT_NE(res.warnings.find(row.warning), std::string::npos) << res.warnings;
    // One warning per refused message, each a line of its own naming the reader.
    std::istringstream lines(res.warnings);
    for (std::string line; std::getline(lines, line);)
        EXPECT_EQ(line.rfind("PRF_read: ", 0), 0u) << line;
}

INSTANTIATE_TEST_SUITE_P(Cases, PrfBufrHostile, ::testing::ValuesIn(hostile_rows),
                         [](const auto &info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------
// The sample series against eccodes and against the netCDF layouts
// ---------------------------------------------------------------------------------------------

constexpr int FILES = 13, STATIONS = 6;

std::string hour_file(const TempDir &dir, const char *kind, int hour)
{
    char name[40];
    snprintf(name, sizeof name, "/%s/20240514%02d.prf", kind, hour);
    return dir.path() + name;
}

/// The decoder's element names (as traced) and eccodes' keys, with each element's precision.
struct Key_row {
    const char *name;
    const char *key;
    double precision;
};
const Key_row key_rows[] = {
    {"WMO block", "blockNumber", 1},
    {"WMO stat", "stationNumber", 1},
    {"Lat", "latitude", 0.01},
    {"Lon", "longitude", 0.01},
    {"Elev", "heightOfStation", 1},
    {"Year", "year", 1},
    {"Month", "month", 1},
    {"Day", "day", 1},
    {"Hour", "hour", 1},
    {"Min", "minute", 1},
    {"Time Sig", "timeSignificance", 1},
    {"Time Disp", "timePeriod", 1},
    {"Total Number", "totalNumberWithRespectToAccumulationOrAverage", 1},
    {"Wind Spd", "windSpeed", 0.1},
    {"Wind Dir", "windDirection", 1},
    {"SL Press", "pressureReducedToMeanSeaLevel", 10},
    {"Temp", "airTemperature", 0.1},
    {"Rain Rate", "rainfallOrWaterEquivalentOfSnowAveragedRate", 1e-6},  // traced to 1e-6
    {"Rel Hum", "relativeHumidity", 1},
    {"Hght incr", "heightIncrement", 1},
    {"Prof Submode", "windProfilerSubmodeInformation", 1},
    {"Prof H/L mode", "windProfilerModeInformation", 1},
    {"Prof QC test", "windProfilerQualityControlTestResults", 1},
    {"U wind", "u", 0.1},
    {"V wind", "v", 0.1},
    {"Std dev Hor Wnd", "standardDeviationOfHorizontalWindSpeed", 1},
    {"Spectral Pk 0 Mom", "spectralPeakOfZerothMoment", 1},
    {"W wind", "w", 0.1},
    {"Std dev Ver Wnd", "standardDeviationOfVerticalWindSpeed", 1},
};

struct Value {
    std::string key;
    double value;  // NAN for missing
};

/// The elements of a file as the reader decodes them, from its trace ("name value" lines).
std::vector<Value> reader_elements(const std::string &path, int *reports)
{
    std::map<std::string, std::string> keys;
    for (const Key_row &k : key_rows)
        keys[k.name] = k.key;
    MESS_set(MESS_PROG_ADD, M_DEBUG);
    CaptureStdio cap;
    int kind = 0;
    const int fd = PRF_open(path.c_str(), 0, &kind);
    PRF_report r;
    *reports = 0;
    while (fd != -1 && PRF_read(fd, &r, 0, nullptr) == 1)
        ++*reports;
    PRF_close(fd);
    cap.finish();
    MESS_set(MESS_PROG_CLEAR, M_DEBUG);
    EXPECT_EQ(cap.err(), "");
    std::vector<Value> out;
    std::istringstream lines(cap.out());
    for (std::string line; std::getline(lines, line);) {
        const size_t last = line.find_last_of(' ');
        if (last == std::string::npos)
            continue;
        std::string name = line.substr(0, last);
        name.erase(name.find_last_not_of(' ') + 1);
        const auto k = keys.find(name);
        if (k == keys.end())
            continue;
        const double v = std::stod(line.substr(last + 1));
        out.push_back({k->second, v == VYK_MISS ? NAN : v});
    }
    return out;
}

/// The elements of a file as eccodes decodes them (bufr_dump -jf, the generator's local table
/// on the definitions path).
std::vector<Value> eccodes_elements(const std::string &path)
{
    const auto r = run("ECCODES_EXTRA_DEFINITION_PATH=" +
                       quote(std::string(VYK_SOURCE_DIR) + "/tools/eccodes") + " bufr_dump -jf " +
                       quote(path));
    EXPECT_EQ(r.status, 0) << "bufr_dump (libeccodes-tools) must be installed: " << r.err;
    std::vector<Value> out;
    std::istringstream lines(r.out);
    std::string key;
    for (std::string line; std::getline(lines, line);) {
        const size_t k = line.find("\"key\" : \"");
        if (k != std::string::npos) {
            key = line.substr(k + 9, line.find('"', k + 9) - (k + 9));
            continue;
        }
        const size_t v = line.find("\"value\" : ");
        if (v == std::string::npos || key.empty() || key == "subsetNumber")
            continue;
        std::string text = line.substr(v + 10);
        if (!text.empty() && text.back() == ',')
            text.pop_back();
        out.push_back({key, text == "null" ? NAN : std::stod(text)});
        key.clear();
    }
    return out;
}

TEST(PrfBufrSeries, EveryElementAgreesWithEccodes)
{
    TempDir dir;
    const auto g = run(quote(VYK_PRFGEN) + " -l bufr " + quote(dir.path()));
    ASSERT_EQ(g.status, 0) << g.err;
    std::map<std::string, double> precision;
    for (const Key_row &k : key_rows)
        precision[k.key] = k.precision;
    for (int h = 0; h < FILES; h++) {
        SCOPED_TRACE(h);
        const std::string path = hour_file(dir, "bufr", h);
        int reports = 0;
        const std::vector<Value> ours = reader_elements(path, &reports);
        const std::vector<Value> theirs = eccodes_elements(path);
        EXPECT_EQ(reports, STATIONS);
        // 19 elements of the station, 2 x (4 + 36 x 7) of the modes.
        ASSERT_EQ(theirs.size(), size_t{STATIONS * (19 + 2 * (4 + 36 * 7))});
        ASSERT_EQ(ours.size(), theirs.size());
        for (size_t i = 0; i < ours.size(); i++) {
            ASSERT_EQ(ours[i].key, theirs[i].key) << i;
            if (std::isnan(theirs[i].value)) {
                EXPECT_TRUE(std::isnan(ours[i].value)) << i << " " << ours[i].key;
                continue;
            }
            EXPECT_NEAR(ours[i].value, theirs[i].value, precision[ours[i].key] / 2)
                << i << " " << ours[i].key;
        }
    }
}

/// The level of a report at height h: the first or the last of that height.
const PRF_level *level_at(const PRF_report &r, float h, bool last = false)
{
    const PRF_level *found = nullptr;
    for (int i = 0; i < r.num_levels; i++)
        if (r.lev[i].h == h) {
            found = &r.lev[i];
            if (!last)
                break;
        }
    return found;
}

TEST(PrfBufrSeries, SameWindsAsTheNetcdfLayouts)
{
    TempDir dir;
    const auto g = run(quote(VYK_PRFGEN) + " -l record,bufr " + quote(dir.path()));
    ASSERT_EQ(g.status, 0) << g.err;
    const char *const netcdf_ids[STATIONS] = {"PLTC2", "NLGN1", "LMNO2", "HKLO2", "WNFL1", "WSMN5"};
    int out_of_range = 0, merged_from_high = 0;
    for (int h = 0; h < FILES; h++) {
        SCOPED_TRACE(h);
        const Read_result b = read_reports(hour_file(dir, "bufr", h), true);
        const Read_result c = read_reports(hour_file(dir, "record", h), true);
        EXPECT_EQ(b.warnings, "");
        ASSERT_EQ(b.kind, PRF_BUFR);
        ASSERT_EQ(b.reports.size(), size_t{STATIONS});
        ASSERT_EQ(c.reports.size(), size_t{STATIONS});
        for (int s = 0; s < STATIONS; s++) {
            const PRF_report &rb = b.reports[s], &rc = c.reports[s];
            SCOPED_TRACE(rc.id);
            EXPECT_STREQ(rc.id, netcdf_ids[s]);
            EXPECT_EQ(rb.id, std::to_string(74531 + s));
            EXPECT_NEAR(rb.lat, rc.lat, 0.005);
            EXPECT_NEAR(rb.lon, rc.lon, 0.005);
            EXPECT_FLOAT_EQ(rb.elev, rc.elev);
            // Both modes as sent (72 levels, 9250 m twice); the record layout merges them.
            ASSERT_EQ(rb.num_levels, 72);
            ASSERT_EQ(rc.num_levels, 71);
            for (int i = 0; i < rc.num_levels; i++) {
                const PRF_level &l = rc.lev[i];
                SCOPED_TRACE(l.h);
                const PRF_level *first = level_at(rb, l.h), *last = level_at(rb, l.h, true);
                ASSERT_NE(first, nullptr);
                // Merged: the low mode's values, or the high mode's where the low u is missing.
                const PRF_level *lb = VYK_is_miss(first->u) ? last : first;
                merged_from_high += lb != first;
                // The record layout drops components beyond 100 m/s; the bulletin keeps them.
                if (VYK_is_miss(l.u) && !VYK_is_miss(lb->u)) {
                    EXPECT_FLOAT_EQ(lb->u, 150);
                    out_of_range++;
                } else {
                    EXPECT_EQ(VYK_is_miss(lb->u), VYK_is_miss(l.u));
                    if (!VYK_is_miss(l.u)) {
                        EXPECT_NEAR(lb->u, l.u, 0.05 + 1e-4);
                    }
                }
                for (auto [got, want, tol] : {std::tuple{lb->v, l.v, 0.05}, {lb->w, l.w, 0.05},
                                              {lb->hdev, l.hdev, 0.5}, {lb->vdev, l.vdev, 0.5}}) {
                    EXPECT_EQ(VYK_is_miss(got), VYK_is_miss(want));
                    if (!VYK_is_miss(want)) {
                        EXPECT_NEAR(got, want, tol + 1e-4);
                    }
                }
                // Quality: 10 good and 9 suspect in the netCDF files, flags 0 and 8 (test A
                // failed) in the bulletins; 0 where there is no signal.
                EXPECT_EQ(lb->q, l.q == 10 ? 0 : l.q == 9 ? 8 : 0) << l.q;
            }
        }
    }
    EXPECT_EQ(out_of_range, FILES);          // station 2, 1750 m, every hour
    EXPECT_EQ(merged_from_high, FILES * 3);  // the even stations' 9250 m
}

}  // namespace
