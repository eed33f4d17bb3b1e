// GRIB index files: written from a GRIB file, read back and used by a later open (headers from
// the index alone, values from the offsets it gives, forwards and backwards), the labels of
// hand-written indexes, and indexes that cannot be trusted: damaged, going backwards, pointing
// beyond the file, older than the file, or describing products that are not where it says.
#include <gtest/gtest.h>

#include "grib_fixture.h"
#include "test_util.h"
#include "grib.h"
#include "vykresrc.h"

#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace {

/// The codes of a product header.
struct Head {
    int version, var, ltype, level, time;
    bool operator==(const Head &o) const
    {
        return version == o.version && var == o.var && ltype == o.ltype && level == o.level &&
               time == o.time;
    }
};

std::vector<Head> scan(int slot)
{
    std::vector<Head> h;
    gribtest::Rec rec;
    for (int n = 0;; n++) {
        int num = n;
        if (GRD_read(slot, &rec.r, GRD_READ_HEADER, &num) != 0) break;
        h.push_back({rec.r.version, rec.r.var, rec.r.ltype, rec.r.level, rec.r.time});
    }
    return h;
}

std::vector<float> values(int slot, int product)
{
    gribtest::Rec rec;
    int num = product;
    EXPECT_EQ(GRD_read(slot, &rec.r, GRD_READ_VALUES, &num), 0) << product;
    EXPECT_EQ(num, product);
    if (!rec.r.grid) return {};
    return std::vector<float>(rec.r.grid,
                              rec.r.grid + size_t(rec.r.domain.nx) * size_t(rec.r.domain.ny));
}

std::vector<std::string> lines(const std::string &text)
{
    std::vector<std::string> l;
    std::istringstream in(text);
    std::string s;
    while (std::getline(in, s)) l.push_back(s);
    return l;
}

/// Copies of eccodes' edition-1 sample, one after another (three, or n); the length of one.
size_t three_messages(const std::string &file, int n = 3)
{
    const std::string one = gribtest::octets(gribtest::sample("GRIB1"));
    std::string all;
    for (int k = 0; k < n; k++) all += one;
    gribtest::put_octets(file, all);
    return one.size();
}

}  // namespace

/// An index written from a file of two framings' worth of messages, one of them holding 16
/// fields, lists every product; a later open reads the headers from it alone and the values
/// from its offsets, in any order.
TEST(GribIndex, WrittenRereadAndUsedForASecondOpen)
{
    RES_put("file_path", VYK_SOURCE_DIR "/etc");
    vyktest::TempDir dir;
    const std::string file = dir.file("mixed.grib2"), idx = dir.file("mixed.idx");
    gribtest::put_octets(file, gribtest::octets(gribtest::corpus(dir, "ds.critfireo.bin.xz")) +
                                   gribtest::octets(gribtest::corpus(dir, gribtest::JMA_16_FIELDS)));
    const int fields = int(lines(vyktest::run("grib_get -p count " + vyktest::quote(file)).out)
                               .size());
    ASSERT_GT(fields, 16);

    std::vector<Head> stream;
    {
        gribtest::Open g(file);
        ASSERT_EQ(g.info_result, 0);
        stream = scan(g.slot);
        ASSERT_EQ(int(stream.size()), fields);
        ASSERT_EQ(GRIB_write_index(g.slot, idx.c_str()), 0);
        EXPECT_EQ(scan(g.slot), stream);  // the slot is left rewound
    }
    const std::vector<std::string> l = lines(gribtest::octets(idx));
    ASSERT_EQ(int(l.size()), fields);
    long prev = -1;
    int later_fields = 0;
    for (const std::string &s : l) {
        long off = -1;
        char label[200] = "";
        ASSERT_EQ(std::sscanf(s.c_str(), "%ld %128[^\n]", &off, label), 2) << s;
        EXPECT_GE(off, prev) << s;
        prev = off;
        EXPECT_EQ(std::string(label).rfind("/ GRIB2 S", 0), 0u) << s;
        if (vyktest::has(s, " F")) later_fields++;
    }
    EXPECT_EQ(later_fields, 15);  // fields 1 to 15 of the JMA message

    gribtest::Open g(file, idx);
    ASSERT_EQ(g.index_result, 0);
    ASSERT_EQ(g.info_result, 0);
    ASSERT_NE(GRD_get_gfile(g.slot)->hfile, nullptr);
    EXPECT_EQ(scan(g.slot), stream);
    EXPECT_EQ(std::ftell(GRD_get_gfile(g.slot)->file), 0L);  // the GRIB file was not read
    gribtest::Open plain(file);
    for (int product : {fields - 1, 4, 1, fields - 12, 0}) {
        SCOPED_TRACE(product);
        const std::vector<float> want = values(plain.slot, product);
        ASSERT_FALSE(want.empty());
        EXPECT_EQ(values(g.slot, product), want);
    }
    EXPECT_NE(GRD_get_gfile(g.slot)->hfile, nullptr);  // still in use
    gribtest::Rec rec;
    int num = fields;
    EXPECT_EQ(GRD_read(g.slot, &rec.r, GRD_READ_HEADER, &num), -1);  // past the last line
}

/// Labels written by hand: "/ GRIB" with pairs, six numbers, a source before the model, and a
/// label that describes nothing.
TEST(GribIndex, HeadersFromLabels)
{
    vyktest::TempDir dir;
    const std::string file = dir.file("three.grib1"), idx = dir.file("three.idx");
    const size_t len = three_messages(file, 4);
    const std::string a = std::to_string(len), b = std::to_string(2 * len);
    vyktest::write_file(idx, "0 / GRIB1 S7 M89 G211 T12 L100 H500 V7 X1 Q\n" + a +
                                 " / 89 211 12 100 500 7\n" + b + " /34:89 211 12 100 500 7\n" +
                                 std::to_string(3 * len) + " no description V5\n");
    gribtest::Open g(file, idx);
    ASSERT_EQ(g.info_result, 0);
    struct Row {
        int product, source;
        bool described;
    };
    for (const Row &row : {Row{0, 7, true}, Row{1, 7, true}, Row{2, 34, true}}) {
        SCOPED_TRACE(row.product);
        gribtest::Rec rec;
        int num = row.product;
        ASSERT_EQ(GRD_read(g.slot, &rec.r, GRD_READ_HEADER_DATA, &num), 0);
        EXPECT_EQ(rec.r.source, row.source);
        EXPECT_EQ(rec.r.version, 1);
        EXPECT_EQ(rec.r.model, 89);
        EXPECT_EQ(rec.r.type, 211);
        EXPECT_EQ(rec.r.time, 12);
        EXPECT_EQ(rec.r.ltype, 100);
        EXPECT_EQ(rec.r.level, 500);
        EXPECT_EQ(rec.r.var, 7);
        EXPECT_STREQ(rec.r.units, "m");
        EXPECT_EQ(rec.r.domain.proj, DOM_LAMB);  // grid 211's predefined domain
        EXPECT_EQ(rec.r.domain.nx, 93);
        EXPECT_EQ(rec.r.domain.ny, 65);
        EXPECT_NE(rec.r.info[0], '\0');
        EXPECT_NE(rec.r.datim[0], '\0');
    }
    gribtest::Rec rec;
    int num = 3;
    ASSERT_EQ(GRD_read(g.slot, &rec.r, GRD_READ_HEADER, &num), 0);
    EXPECT_EQ(rec.r.var, -9999);
    EXPECT_EQ(rec.r.source, 7);
}

/// An index that cannot be trusted is dropped with a warning that says why, and the GRIB file
/// is read by itself.
TEST(GribIndex, UntrustedIndexesAreDropped)
{
    vyktest::TempDir dir;
    const std::string file = dir.file("three.grib1"), idx = dir.file("three.idx");
    const size_t len = three_messages(file);
    const std::string a = std::to_string(len), b = std::to_string(2 * len);
    struct Case {
        const char *name;
        std::string index;
        bool older;
        const char *why;
    };
    const Case cases[] = {
        {"backwards", "0 / GRIB1 V1\n" + b + " / GRIB1 V2\n" + a + " / GRIB1 V3\n", false,
         "the offsets go backwards"},
        {"a field twice", "0 / GRIB1 V1\n" + a + " / GRIB2 V2 F1\n" + a + " / GRIB2 V3 F1\n",
         false, "the offsets go backwards"},
        {"beyond the file", "0 / GRIB1 V1\n" + std::to_string(3 * len) + " / GRIB1 V2\n", false,
         "beyond the GRIB file"},
        {"damaged", "0 / GRIB1 V1\njunk\n", false, "holds no offset"},
        {"negative", "-5 / GRIB1 V1\n", false, "holds no offset"},
        {"empty", "", false, "lists no product"},
        {"older", "0 / GRIB1 V1\n" + a + " / GRIB1 V2\n" + b + " / GRIB1 V3\n", true,
         "older than the GRIB file"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        vyktest::write_file(idx, c.index);
        if (c.older) {
            ASSERT_EQ(vyktest::run("touch -d '1 hour ago' " + vyktest::quote(idx)).status, 0);
        }
        vyktest::CaptureStdio cap;
        gribtest::Open g(file, idx);
        cap.finish();
        ASSERT_EQ(g.info_result, 0);
        EXPECT_TRUE(vyktest::has(cap.err(), c.why)) << cap.err();
        EXPECT_EQ(GRD_get_gfile(g.slot)->hfile, nullptr);
        const std::vector<Head> h = scan(g.slot);
        ASSERT_EQ(h.size(), 3u);
        EXPECT_NE(h[0].var, 1);  // from the GRIB file, not the index
    }
}

/// An index whose lines describe other products than those at their offsets serves headers
/// until a read with values finds out; that read and every later one come from the GRIB file.
TEST(GribIndex, StaleLinesAreFoundOutByAReadWithValues)
{
    vyktest::TempDir dir;
    const std::string file = dir.file("three.grib1"), idx = dir.file("three.idx");
    const size_t len = three_messages(file);
    vyktest::write_file(idx, "0 / GRIB1 V201\n" + std::to_string(len) + " / GRIB1 V202\n" +
                                 std::to_string(2 * len) + " / GRIB1 V203\n");
    gribtest::Open plain(file);
    const std::vector<Head> real = scan(plain.slot);
    ASSERT_EQ(real.size(), 3u);
    gribtest::Open g(file, idx);
    ASSERT_EQ(g.info_result, 0);
    gribtest::Rec rec;
    int num = 1;
    ASSERT_EQ(GRD_read(g.slot, &rec.r, GRD_READ_HEADER, &num), 0);
    EXPECT_EQ(rec.r.var, 202);
    vyktest::CaptureStdio cap;
    ASSERT_EQ(GRD_read(g.slot, &rec.r, GRD_READ_VALUES, &num), 0);
    cap.finish();
    EXPECT_TRUE(vyktest::has(cap.err(), "read without the index")) << cap.err();
    EXPECT_EQ(num, 1);
    EXPECT_EQ(rec.r.var, real[1].var);
    EXPECT_NE(rec.r.grid, nullptr);
    EXPECT_EQ(GRD_get_gfile(g.slot)->hfile, nullptr);
    EXPECT_EQ(scan(g.slot), real);
}

/// Index files are written only to plain files of a GRIB slot.
TEST(GribIndex, WritingRefusesCommandsAndOtherKinds)
{
    vyktest::TempDir dir;
    const std::string file = dir.file("three.grib1");
    three_messages(file);
    gribtest::Open g(file);
    const std::string names[] = {"|cat > " + dir.file("x"), "-", "std", "", file + "/x"};
    for (const std::string &name : names) {
        SCOPED_TRACE(name);
        vyktest::CaptureStdio cap;
        const int r = GRIB_write_index(g.slot, name.c_str());
        cap.finish();
        EXPECT_EQ(r, -1);
    }
    vyktest::CaptureStdio cap;
    const int other = GRIB_write_index(g.slot + 1, dir.file("y").c_str());
    cap.finish();
    EXPECT_EQ(other, -1);
    EXPECT_FALSE(vyktest::has(vyktest::run("ls " + dir.path()).out, "x"));
}

/// Edition-1 messages in LDM bulletins: each line's offset is where the bulletin begins, and the
/// values through the index equal those read from the stream.
TEST(GribIndex, OffsetsOfFramedMessages)
{
    vyktest::TempDir dir;
    const std::string file = dir.file("ldm.grib1"), idx = dir.file("ldm.idx");
    const std::string one = gribtest::octets(gribtest::sample("GRIB1"));
    std::string all;
    std::vector<long> starts;
    for (int k = 0; k < 3; k++) {
        starts.push_back(long(all.size()));
        all += "\x01\r\r\n" + std::to_string(120 + k) + " \r\r\nHRAA50 KWBC 111200\r\r\n" + one +
               "\r\r\n\x03";
    }
    gribtest::put_octets(file, all);
    {
        gribtest::Open g(file);
        ASSERT_EQ(g.info_result, 0);
        ASSERT_EQ(GRIB_write_index(g.slot, idx.c_str()), 0);
    }
    const std::vector<std::string> l = lines(gribtest::octets(idx));
    ASSERT_EQ(l.size(), 3u);
    for (size_t k = 0; k < 3; k++)
        EXPECT_EQ(l[k].rfind(std::to_string(starts[k]) + " / GRIB1 S", 0), 0u) << l[k];
    gribtest::Open plain(file), g(file, idx);
    ASSERT_EQ(g.info_result, 0);
    for (int product : {2, 0, 1}) {
        const std::vector<float> want = values(plain.slot, product);
        ASSERT_FALSE(want.empty());
        EXPECT_EQ(values(g.slot, product), want) << product;
    }
    EXPECT_NE(GRD_get_gfile(g.slot)->hfile, nullptr);
}
