// GRIB framing and message search: bare messages, heading lines, LDM bulletins and size lines;
// junk and stray letters before a magic; stated lengths refused; the file's first date; raw
// copies; the numeric conversions; the corrupt-data threshold.
#include <gtest/gtest.h>

#include "gfile_fixture.h"
#include "grib_fixture.h"
#include "test_util.h"
#include "grib.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

/// An edition-1 message of len octets (len at least 60): octets 9 on hold a product
/// definition with the date year, month, day, hour.
std::string ed1(long len, int year = 26, int month = 12, int day = 11, int hour = 6)
{
    std::string m = "GRIB";
    m += char(len >> 16);
    m += char(len >> 8);
    m += char(len);
    m += '\x01';
    std::string pds(28, '\0');
    pds[2] = 28;
    pds[4] = 7;  // centre
    pds[12] = char(year);
    pds[13] = char(month);
    pds[14] = char(day);
    pds[15] = char(hour);
    m += pds;
    m += std::string(size_t(len) - m.size() - 4, 'x');
    m += "7777";
    return m;
}

/// An edition-1 message whose length octets state len whatever it holds (60 octets).
std::string ed1_stating(long len)
{
    std::string m = ed1(60);
    m[4] = char(len >> 16);
    m[5] = char(len >> 8);
    m[6] = char(len);
    return m;
}

/// An edition-2 message of len octets: section 1 with the reference time 2025-09-12 12:30.
std::string ed2(long len)
{
    std::string m = "GRIB";
    m += std::string("\0\0\0\x02", 4);
    m += std::string(4, '\0');
    for (int s = 24; s >= 0; s -= 8) m += char(len >> s);
    std::string ids(21, '\0');
    ids[3] = 21;
    ids[4] = 1;
    ids[12] = char(2025 >> 8);
    ids[13] = char(2025 & 0xff);
    ids[14] = 9;
    ids[15] = 12;
    ids[16] = 12;
    ids[17] = 30;
    m += ids;
    m += std::string(size_t(len) - m.size() - 4, 'x');
    m += "7777";
    return m;
}

/// A stream opened in a slot.
struct Stream {
    vyktest::TempDir dir;
    int slot = -1;
    explicit Stream(const std::string &content)
    {
        const std::string f = dir.file("s.grib");
        vyktest::write_file(f, content);
        int kind = GRD_GRIB;
        slot = GRD_open(f.c_str(), GRD_ACCESS_READ, &kind);
    }
    ~Stream() { GRD_close(slot); }
    long pos() const { return std::ftell(GRD_get_gfile(slot)->file); }
    int itype() const { return GRD_get_gfile(slot)->itype; }
    std::string heading() const
    {
        char h[GRIB_WMO_HEADER_LEN + 1] = "";
        GRIB_get_WMO_header(slot, h);
        return std::string(h, strnlen(h, GRIB_WMO_HEADER_LEN));
    }
};

/// What each message of a stream is found as.
struct Found {
    long magic;     // offset of the magic
    long end;       // GRIB_next's end
    int itype;      // framing kind
    const char *heading;
    int version;
};

struct FramingCase {
    const char *name;
    std::string stream;
    std::vector<Found> found;
};

}  // namespace

TEST(GribFraming, FindsMessagesInEveryFraming)
{
    const std::string a = ed1(64), b = ed1(70), c = ed2(80);
    const std::string ldm1 = "\x01\r\r\n123 \r\r\nHRAA50 KWBC 111200\r\r\n";
    const std::string ldm2 = "\r\r\n\x03\x01\r\r\n124 \r\r\nHRAB50 KWBC 111200\r\r\n";
    const std::string size_head = "\x01\n001\nHTAA50 KWBC 111800\n";
    const std::string size_line_a = "GRIB: " + std::to_string(size_head.size() + a.size()) + "\n";
    const long s2 = long(size_line_a.size() + size_head.size() + a.size() + 1);
    const std::string size_line_b = "GRIB: " + std::to_string(size_head.size() + b.size()) + "\n";
    const std::vector<FramingCase> cases = {
        {"bare", a + b,
         {{0, 64, GRIB_FRAME_RAW, GRIB_RAW_HEADING, 1}, {64, 134, GRIB_FRAME_RAW, GRIB_RAW_HEADING, 1}}},
        {"junk and a stray G", "junk GG" + a + "\n\nmore junk BB" + b,
         {{7, 71, GRIB_FRAME_RAW, GRIB_RAW_HEADING, 1},
          {7 + 64 + 14, 7 + 64 + 14 + 70, GRIB_FRAME_RAW, GRIB_RAW_HEADING, 1}}},
        {"heading line, edition 2", "\r\r\n** HXAA50 KWBC 121200 /x\n" + c + "\r\r\n\x03",
         {{28, 28 + 80 + 4, GRIB_FRAME_HEADING, "HXAA50 KWBC 121200", 2}}},
        {"LDM bulletins", ldm1 + a + "\r\r\n\x03" + ldm2.substr(4) + b,
         {{long(ldm1.size()), long(ldm1.size() + 64 + 4), GRIB_FRAME_LDM, "HRAA50 KWBC 111200", 1},
          {long(ldm1.size() + 64 + 4 + ldm2.size() - 4), long(ldm1.size() + 68 + ldm2.size()) + 70,
           GRIB_FRAME_LDM, "HRAB50 KWBC 111200", 1}}},
        {"size lines", size_line_a + size_head + a + "\n" + size_line_b + size_head + b,
         {{long(size_line_a.size() + size_head.size()), s2, GRIB_FRAME_SIZE, "HTAA50 KWBC 111800", 1},
          {s2 + long(size_line_b.size() + size_head.size()),
           s2 + long(size_line_b.size() + size_head.size() + b.size() + 1), GRIB_FRAME_SIZE,
           "HTAA50 KWBC 111800", 1}}},
    };
    for (const FramingCase &fc : cases) {
        SCOPED_TRACE(fc.name);
        Stream s(fc.stream);
        ASSERT_GE(s.slot, 0);
        for (const Found &f : fc.found) {
            ASSERT_EQ(GRIB_header(s.slot), 1);
            const long after = s.pos();
            EXPECT_EQ(after - (f.version == 2 ? 16 : 8), f.magic);
            EXPECT_EQ(s.itype(), f.itype);
            EXPECT_EQ(s.heading(), f.heading);
            EXPECT_EQ(GRIB_get_version(), f.version);
            EXPECT_EQ(GRIB_get_type(), 'B');
            EXPECT_EQ(GRIB_next(s.slot, 0), f.end);
            EXPECT_EQ(s.pos(), after);  // not moved
            EXPECT_EQ(GRIB_next(s.slot, 1), f.end);
            EXPECT_EQ(s.pos(), f.end);
            EXPECT_EQ(GRIB_size_refused(), 0);
        }
        EXPECT_EQ(GRIB_header(s.slot), -1);
        EXPECT_EQ(GRIB_get_version(), fc.found.back().version);  // still the last one's
    }
}

TEST(GribFraming, LdmBulletinStartingWithSohAndAfterAnotherFraming)
{
    // The stream's framing is learnt once; a message in another framing is found by trying
    // them all, and the stream's own is tried first again for the next message.
    const std::string a = ed1(64);
    const std::string ldm = "\x01\r\r\n7 \r\r\nHRAA50 KWBC 111200\r\r\n";
    Stream s(ldm + a + "\r\r\n\x03" + a + ldm + a);
    ASSERT_EQ(GRIB_header(s.slot), 1);
    EXPECT_EQ(s.itype(), GRIB_FRAME_LDM);
    GRIB_next(s.slot, 1);
    ASSERT_EQ(GRIB_header(s.slot), 1);  // the bare one
    EXPECT_EQ(s.itype(), GRIB_FRAME_RAW);
    GRIB_next(s.slot, 1);
    ASSERT_EQ(GRIB_header(s.slot), 1);
    EXPECT_EQ(s.itype(), GRIB_FRAME_LDM);
    EXPECT_EQ(s.heading(), "HRAA50 KWBC 111200");
}

TEST(GribFraming, OtherMessagesEndAtTheirEndSection)
{
    // A GRID message carries no length: its end is found after "7777".
    const std::string grid = "GRID abc 123 7777\r\r\n";
    Stream s(grid + ed1(64));
    ASSERT_EQ(GRIB_header(s.slot), 1);
    EXPECT_EQ(GRIB_get_type(), 'D');
    EXPECT_EQ(GRIB_next(s.slot, 1), long(grid.size()));
    EXPECT_EQ(GRIB_get_version(), 0);
    ASSERT_EQ(GRIB_header(s.slot), 1);
    EXPECT_EQ(GRIB_get_type(), 'B');
}

TEST(GribFraming, StatedLengthsRefused)
{
    struct Case {
        long stated;
        long end;  // GRIB_next's end, from a stream of that message and a good one after it
    };
    const Case cases[] = {
        {0, 8},                   // too short: the search goes on after the indicator section
        {20, 8},
        {0xFFFFFF, 0xFFFFFF},     // too long: stepped over by its length
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.stated);
        Stream s(ed1_stating(c.stated) + ed1(64));
        ASSERT_EQ(GRIB_header(s.slot), 1);
        vyktest::CaptureStdio cap;
        const long end = GRIB_next(s.slot, 1);
        cap.finish();
        EXPECT_EQ(end, c.end);
        EXPECT_EQ(GRIB_size_refused(), 1);
        EXPECT_NE(cap.err().find("Invalid product size: " + std::to_string(c.stated)),
                  std::string::npos)
            << cap.err();
    }
    // The next message is still found after a short one.
    Stream s(ed1_stating(0) + ed1(64));
    ASSERT_EQ(GRIB_header(s.slot), 1);
    {
        vyktest::CaptureStdio cap;
        GRIB_next(s.slot, 1);
    }
    ASSERT_EQ(GRIB_header(s.slot), 1);
    EXPECT_EQ(s.pos(), 60 + 8);
    EXPECT_EQ(GRIB_next(s.slot, 0), 60 + 64);
    EXPECT_EQ(GRIB_size_refused(), 0);
}

TEST(GribFraming, TruncatedStreams)
{
    // A magic at the very end, an indicator section cut short, nothing at all.
    for (const std::string &content :
         {std::string("xxGRIB"), std::string("GRIB\x00\x00"), std::string(""), ed2(80).substr(0, 12)}) {
        Stream s(content);
        EXPECT_EQ(GRIB_header(s.slot), -1);
    }
    // A last message cut short is found; its end lies past the end of the file.
    const std::string a = ed1(64);
    Stream s(a + a.substr(0, 30));
    ASSERT_EQ(GRIB_header(s.slot), 1);
    GRIB_next(s.slot, 1);
    ASSERT_EQ(GRIB_header(s.slot), 1);
    EXPECT_EQ(GRIB_next(s.slot, 0), 128);
}

TEST(GribFraming, FirstDateOfTheFile)
{
    struct Case {
        std::string stream;
        int year, month, day, hour, min, mark;
    };
    std::string ed0 = "GRIB";
    ed0 += std::string("\0\0\x18\x01", 4);  // PDS octets 1-4 (length 24, table 1)
    std::string ed0_rest(40, '\0');
    ed0_rest[0] = 98;  // centre (PDS octet 5)
    ed0_rest[8] = 88;  // year octet 13
    ed0_rest[9] = 13;  // month above 12: 1
    ed0_rest[10] = 2;
    ed0_rest[11] = 18;
    ed0[7] = 0;  // edition octet 0
    const Case cases[] = {
        {ed1(64, 99, 3, 4, 5), 1999, 3, 4, 5, 0, 1},
        {ed1(64, 5, 3, 4, 5), 2005, 3, 4, 5, 0, 1},
        {ed1(64, 100, 1, 2, 0), 2000, 1, 2, 0, 0, 1},
        {ed2(80), 2025, 9, 12, 12, 30, 2},
        {ed0 + ed0_rest + "7777", 1988, 1, 2, 18, 0, 10},
    };
    for (const Case &c : cases) {
        Stream s(c.stream);
        ASSERT_EQ(GRIB_header(s.slot), 1);
        GRD_info info{};
        ASSERT_EQ(GRIB_get_info(s.slot, &info), 0);
        EXPECT_EQ(info.date.year, c.year);
        EXPECT_EQ(info.date.month, c.month);
        EXPECT_EQ(info.date.day, c.day);
        EXPECT_EQ(info.date.hour, c.hour);
        EXPECT_EQ(info.date.min, c.min);
        EXPECT_EQ(GRD_get_gfile(s.slot)->grid, c.mark);
        EXPECT_NE(info.datim[0], '\0');
    }
    Stream s(ed1(64).substr(0, 30));
    ASSERT_EQ(GRIB_header(s.slot), 1);
    GRD_info info{};
    EXPECT_EQ(GRIB_get_info(s.slot, &info), -1);
}

TEST(GribFraming, RawCopyOfTheCurrentProduct)
{
    const std::string ldm = "\x01\r\r\n7 \r\r\nHRAA50 KWBC 111200\r\r\n";
    const std::string a = ldm + ed1(64) + "\r\r\n\x03";
    const std::string b = ldm + ed1(70) + "\r\r\n\x03";
    vyktest::TempDir dir;
    const std::string f = dir.file("two.grib");
    vyktest::write_file(f, a + b);
    gribtest::Open g(f);
    ASSERT_EQ(g.info_result, 0);
    gribtest::Rec rec;
    int num = 1;
    ASSERT_EQ(GRD_read(g.slot, &rec.r, GRD_READ_HEADER, &num), 0);
    // Into a new buffer: the second product with its framing.
    unsigned char *data = nullptr;
    long size = 0;
    ASSERT_EQ(GRIB_get_raw(g.slot, &data, &size), long(b.size()));
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(size, long(b.size()));
    EXPECT_EQ(std::string(reinterpret_cast<char *>(data), size_t(size)), b);
    delete[] data;
    // Into the caller's buffer: it must hold the product.
    std::vector<unsigned char> buf(b.size());
    unsigned char *p = buf.data();
    size = long(buf.size());
    EXPECT_EQ(GRIB_get_raw(g.slot, &p, &size), long(b.size()));
    EXPECT_EQ(std::memcmp(buf.data(), b.data(), b.size()), 0);
    size = long(b.size()) - 1;
    vyktest::CaptureStdio cap;
    EXPECT_EQ(GRIB_get_raw(g.slot, &p, &size), -1);
    cap.finish();
    EXPECT_NE(cap.err().find("buffer holds"), std::string::npos) << cap.err();
}

TEST(GribFraming, Conversions)
{
    struct FltCase {
        unsigned char o[4];
        float v;
    };
    const FltCase flt[] = {
        {{0x42, 0x64, 0x00, 0x00}, 100.0f},  {{0xC2, 0x64, 0x00, 0x00}, -100.0f},
        {{0x00, 0x64, 0x00, 0x00}, 0.0f},    {{0x41, 0x10, 0x00, 0x00}, 1.0f},
        {{0x40, 0x80, 0x00, 0x00}, 0.5f},    {{0x44, 0x01, 0x00, 0x00}, 256.0f},
    };
    for (const FltCase &c : flt) EXPECT_FLOAT_EQ(GRIB_flt_conv(c.o), c.v);
    struct SclCase {
        unsigned char o[2];
        float v;
    };
    const SclCase scl[] = {
        {{0x80, 0x03}, 0.125f}, {{0x00, 0x00}, 1.0f}, {{0x00, 0x04}, 16.0f}, {{0x80, 0x00}, 1.0f},
    };
    for (const SclCase &c : scl) EXPECT_FLOAT_EQ(GRIB_scl_conv(c.o), c.v);
}

TEST(GribFraming, CorruptDataThreshold)
{
    gfiletest::KeepSettings keep;
    EXPECT_EQ(GRIB_get_max_bad(), -1);  // off until set
    EXPECT_EQ(GRIB_set_max_bad(5), 0);
    EXPECT_EQ(GRIB_get_max_bad(), 5);
    EXPECT_EQ(GRIB_set_max_bad(0), 0);
    EXPECT_EQ(GRIB_get_max_bad(), 0);
}
