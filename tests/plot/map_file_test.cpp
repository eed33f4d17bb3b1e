// Map files: the text and binary forms give the same lines; the form is told from the first
// header and a binary file is read from its first byte; records end at a record of 0 points or
// the end of the file; lines are split where they wrap around the plot; hostile files give a
// message and the failure value, never a crash or a hang.
#include <gtest/gtest.h>

#include "map_fixture.h"
#include "test_util.h"
#include "vykplot.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

using maptest::Drawing;
using maptest::Record;
using vyktest::has;

namespace {

using Line = std::vector<EarthPoint>;

std::string be16(unsigned v) { return {static_cast<char>(v >> 8), static_cast<char>(v & 0xFF)}; }

std::string be_float(float f)
{
    uint32_t u;
    std::memcpy(&u, &f, 4);
    return {static_cast<char>(u >> 24), static_cast<char>(u >> 16), static_cast<char>(u >> 8),
            static_cast<char>(u)};
}

/// A binary record: count, bounds, offset and points.
std::string binary_record(const Line &line, unsigned count)
{
    std::string s = be16(count);
    for (int i = 0; i < 4; i++) s += be_float(0);
    s += std::string(4, '\0');
    for (const EarthPoint &p : line) s += be_float(p.lat) + be_float(p.lon);
    return s;
}

std::string binary_file(const std::vector<Line> &lines)
{
    std::string s;
    for (const Line &l : lines) s += binary_record(l, static_cast<unsigned>(l.size()));
    return s + binary_record({}, 0);
}

std::string text_file(const std::vector<Line> &lines)
{
    std::string s;
    char buf[64];
    for (const Line &l : lines) {
        s += std::to_string(l.size()) + " 90.0 -90.0 180.0 -180.0 0\n";
        for (const EarthPoint &p : l) {
            std::snprintf(buf, sizeof buf, "%.9g %.9g\n", static_cast<double>(p.lat),
                          static_cast<double>(p.lon));
            s += buf;
        }
    }
    return s + "0 0 0 0 0 0\n";
}

/// Draws a map file of the given bytes with MAP_map; its result and what was drawn.
struct Drawn {
    int result = 99;
    std::vector<Record> records;
    std::string err;
};

Drawn draw_bytes(const Domain &dom, const std::string &bytes, const char *attr = nullptr)
{
    Drawing d(dom);
    d.write("f.map", bytes);
    Drawn out;
    vyktest::CaptureStdio cap;
    if (attr) {
        MAP_file((std::string("f.map:") + attr).c_str());
        MAP_draw(7);
    } else {
        FILE *fp = std::fopen(d.dir().file("f.map").c_str(), "r");
        out.result = MAP_map(fp);
        std::fclose(fp);
    }
    cap.finish();
    out.err = cap.err();
    out.records = d.records();
    return out;
}

Domain mercator()
{
    Domain d;
    DOM_decode("merc,0,0,201,51,2,2", &d);
    return d;
}

Domain world(float plon = 0)
{
    Domain d = vyktest::make_domain(DOM_LATLON, 0, plon, 2, 2, 181, 91);
    d.plon = plon;
    return d;
}

std::string lines_text(const std::vector<Record> &rs)
{
    std::string s;
    char buf[64];
    for (const Record &r : rs) {
        s += r.kind;
        for (const Gpt &p : r.pts) {
            std::snprintf(buf, sizeof buf, " %.4f,%.4f", static_cast<double>(p.x),
                          static_cast<double>(p.y));
            s += buf;
        }
        s += "\n";
    }
    return s;
}

const std::vector<Line> SAMPLE = {
    {{36.0f, -5.6f}, {35.9f, -5.3f}, {36.2f, -5.0f}},
    {{10, 170}, {10, 179}, {10, -179}, {11, -170}},  // across the date line
    {{-89.5f, 0}, {-89.9f, 90}},
    {{60.25f, -140.125f}, {61.5f, -141.75f}, {62, -142}, {62.5f, -143}, {63, -144}},
};

}  // namespace

TEST(MapFile, BothFormsGiveTheSameLines)
{
    for (const Domain &dom : {world(), world(-100), vyktest::make_domain(DOM_PSTEREO, 90, -100, 4, 4, 41, 41),
                              mercator()}) {
        const Drawn text = draw_bytes(dom, text_file(SAMPLE));
        const Drawn bin = draw_bytes(dom, binary_file(SAMPLE));
        EXPECT_EQ(text.result, 0);
        EXPECT_EQ(bin.result, 0);
        EXPECT_TRUE(text.err.empty()) << text.err;
        EXPECT_TRUE(bin.err.empty()) << bin.err;
        const std::string t = lines_text(maptest::of_kind(text.records, "PL"));
        EXPECT_FALSE(t.empty());
        EXPECT_EQ(t, lines_text(maptest::of_kind(bin.records, "PL"))) << dom.proj;
    }
}

TEST(MapFile, RecordsEndAtARecordOfNoPoints)
{
    // A text file whose second record has 0 points ends after its first record.
    const Drawn t = draw_bytes(world(), "2 0 0 0 0 0\n10 10\n11 11\n0 0 0 0 0 0\n2 0 0 0 0 0\n"
                                        "20 20\n21 21\n");
    EXPECT_EQ(t.result, 0);
    EXPECT_EQ(maptest::of_kind(t.records, "PL").size(), 1u);
    // A binary file beginning with the bytes 00 03 has a first record of 3 points.
    const Drawn b = draw_bytes(world(), binary_file({{{1, 1}, {2, 2}, {3, 3}}}));
    const std::vector<Record> pl = maptest::of_kind(b.records, "PL");
    ASSERT_EQ(pl.size(), 1u);
    EXPECT_EQ(pl[0].pts.size(), 3u);
    // A file that ends without a record of 0 points ends normally.
    const Drawn e = draw_bytes(world(), binary_record({{1, 1}, {2, 2}}, 2));
    EXPECT_EQ(e.result, -1);
    EXPECT_TRUE(e.err.empty()) << e.err;
    EXPECT_EQ(maptest::of_kind(e.records, "PL").size(), 1u);
}

TEST(MapFile, ABinaryFileIsReadFromItsFirstByte)
{
    // A count of 0x2032 begins with the bytes " 2": the text reading of the header takes the 2
    // and stops at the bounds.  The binary reading starts again at the first byte.
    Line line;
    for (int i = 0; i < 0x2032; i++)
        line.push_back({static_cast<float>(-60 + i * 0.01), static_cast<float>(i % 7)});
    const std::string bytes = binary_file({line});
    ASSERT_EQ(bytes.substr(0, 2), " 2");
    const Drawn bin = draw_bytes(world(), bytes);
    EXPECT_EQ(bin.result, 0);
    EXPECT_TRUE(bin.err.empty()) << bin.err;
    const Drawn text = draw_bytes(world(), text_file({line}));
    const std::vector<Record> pl = maptest::of_kind(bin.records, "PL");
    ASSERT_EQ(pl.size(), 1u);
    EXPECT_EQ(pl[0].pts.size(), line.size());
    EXPECT_EQ(lines_text(pl), lines_text(maptest::of_kind(text.records, "PL")));
}

TEST(MapFile, LinesAcrossTheCutAreSplit)
{
    // plon 0: from 179 to -179 the line runs to the moved point 181, beyond the right edge, and
    // goes on from -179; no line crosses the plot.
    const Drawn d = draw_bytes(world(), text_file({{{10, 178}, {10, 179}, {10, -179}, {10, -178}}}));
    const std::vector<Record> pl = maptest::of_kind(d.records, "PL");
    ASSERT_EQ(pl.size(), 2u);
    ASSERT_EQ(pl[0].pts.size(), 3u);
    EXPECT_TRUE(maptest::near(pl[0].pts[2], 181, 10));
    ASSERT_EQ(pl[1].pts.size(), 2u);
    EXPECT_TRUE(maptest::near(pl[1].pts[0], -179, 10));
    // The other way, and on Mercator with its own width.
    const Drawn w = draw_bytes(world(), text_file({{{10, -179}, {10, 179}}}));
    const std::vector<Record> wl = maptest::of_kind(w.records, "PL");
    ASSERT_EQ(wl.size(), 1u);
    EXPECT_TRUE(maptest::near(wl[0].pts[1], -181, 10));
    const Drawn m = draw_bytes(mercator(),
                               text_file({{{0, 179}, {0, -179}}}));
    const std::vector<Record> ml = maptest::of_kind(m.records, "PL");
    ASSERT_EQ(ml.size(), 1u);
    const double half = 400.31555892808814 / 2;
    EXPECT_NEAR(ml[0].pts[1].x - ml[0].pts[0].x, 2.0 / 360 * 2 * half, 1e-3);
    // A point that the projection hides ends the piece: the south pole seen from the north.
    const Drawn p = draw_bytes(vyktest::make_domain(DOM_ORTHO, 90, 0, 2, 2, 65, 65),
                               text_file({{{10, 0}, {11, 0}, {-80, 0}, {12, 10}, {13, 10}}}));
    EXPECT_EQ(maptest::of_kind(p.records, "PL").size(), 2u);
}

TEST(MapFile, FilledItemsDrawAreas)
{
    const Drawn d = draw_bytes(world(), text_file({{{0, 0}, {0, 10}, {10, 10}, {0, 0}}}), "red:f0");
    EXPECT_TRUE(maptest::of_kind(d.records, "PL").empty());
    ASSERT_EQ(maptest::of_kind(d.records, "FA").size(), 1u);
}

struct HostileCase {
    const char *name;
    std::string bytes;
    int result;
    const char *message;  // nullptr: none
    size_t lines;         // lines drawn before the fault
};

const HostileCase hostile[] = {
    {"Empty", "", -1, nullptr, 0},
    {"OnlySpaceIsATruncatedBinaryFile", " \n\n", -1, "MAP_map: The file ends within a record header", 0},
    {"TruncatedBinaryHeader", binary_record({{1, 1}, {2, 2}}, 2) + std::string("\0\3\0\0", 4), -1,
     "MAP_map: The file ends within a record header", 1},
    {"BinaryCountBeyondTheData", binary_record({{1, 1}, {2, 2}}, 2) + binary_record({{3, 3}}, 65535),
     -1, "MAP_map: Record of 65535 points runs past the end of the file", 1},
    {"TruncatedText", "2 0 0 0 0 0\n1 1\n2 2\n3 0 0 0 0 0\n1 1\n2", -1,
     "MAP_map: Record of 3 points ends after 1 of them", 1},
    {"BinaryJunkInText", "2 0 0 0 0 0\n1 1\n2 2\n2 0 0 0 0 0\n1 \x01\xff\x7f junk", -1,
     "MAP_map: Record of 2 points ends after 0 of them", 1},
    {"JunkForAHeader", "2 0 0 0 0 0\n1 1\n2 2\nnot a header\n", -1,
     "MAP_map: Unreadable record header", 1},
    {"NegativeTextCountIsUnsigned", "-1 0 0 0 0 0\n1 1\n2 2\n", -1,
     "MAP_map: Record of 65535 points ends after 2 of them", 0},
    {"NotANumberHidesAPoint", "3 0 0 0 0 0\nnan 1\n2 2\n3 3\n0 0 0 0 0 0\n", 0, nullptr, 1},
};

class MapFileHostile : public testing::TestWithParam<HostileCase> {};

TEST_P(MapFileHostile, GivesAMessageAndTheFailureValue)
{
    const HostileCase &c = GetParam();
    const Drawn d = draw_bytes(world(), c.bytes);
    EXPECT_EQ(d.result, c.result);
    if (c.message) EXPECT_TRUE(has(d.err, c.message)) << d.err;
    else EXPECT_TRUE(d.err.empty()) << d.err;
    EXPECT_EQ(maptest::of_kind(d.records, "PL").size(), c.lines);
}

INSTANTIATE_TEST_SUITE_P(Cases, MapFileHostile, testing::ValuesIn(hostile),
                         [](const testing::TestParamInfo<HostileCase> &i) { return i.param.name; });

TEST(MapFile, TheShippedFilesAreWholeMaps)
{
    for (const char *name : {"cont.map", "country.map", "vyk.map"}) {
        const std::string bytes = vyktest::read_file(std::string(VYK_SOURCE_DIR "/etc/") + name);
        ASSERT_GT(bytes.size(), 1000u) << name;
        EXPECT_LT(bytes.size(), 400000u) << name;  // compact
        const Drawn d = draw_bytes(world(), bytes);
        EXPECT_EQ(d.result, 0) << name;  // ends with its record of 0 points
        EXPECT_TRUE(d.err.empty()) << d.err;
        EXPECT_GT(maptest::of_kind(d.records, "PL").size(), 100u) << name;
    }
}
