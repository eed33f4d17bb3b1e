// The image record and the own raster format: header forms and flag letters, raw, compressed
// and separate-pixel-file pixels (the compressed streams checked with python3's zlib), the
// projection tokens, conversion of deeper pixel layouts, copying, printing, sniffing by the
// first bytes, and hostile files that must fail quickly.
#include <gtest/gtest.h>

#include "test_util.h"

#include "gks.h"
#include "img.h"
#include "image_util.h"

#include <zlib.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using vyktest::CaptureStdio;
using vyktest::TempDir;
using vyktest::quote;
using vyktest::read_file;
using vyktest::run;
using vyktest::write_file;
using Image = vyktest::ImageRecord;

namespace {

/// An 8-bit record without colours: pixel (x, y) = (x * 7 + y * 13) % 256.
void make_grey(IMG_report *r, int w, int h)
{
    r->width = w;
    r->height = h;
    r->depth = 8;
    r->bits_pixel = 8;
    r->bytes_line = w;
    r->data = static_cast<unsigned char *>(std::malloc(static_cast<size_t>(w) * h));
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
            r->data[y * w + x] = static_cast<unsigned char>((x * 7 + y * 13) % 256);
}

std::string pixels_of(const IMG_report &r)
{
    return std::string(reinterpret_cast<const char *>(r.data),
                       static_cast<size_t>(r.bytes_line) * r.height);
}

std::string grey_bytes(int w, int h)
{
    std::string s(static_cast<size_t>(w) * h, '\0');
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) s[y * w + x] = static_cast<char>((x * 7 + y * 13) % 256);
    return s;
}

/// One zlib stream of the bytes.
std::string deflated(const std::string &bytes)
{
    uLongf n = compressBound(bytes.size());
    std::string out(n, '\0');
    compress(reinterpret_cast<Bytef *>(out.data()), &n,
             reinterpret_cast<const Bytef *>(bytes.data()), bytes.size());
    out.resize(n);
    return out;
}

/// The bytes after the first `lines` line ends.
std::string after_lines(const std::string &text, int lines)
{
    size_t p = 0;
    for (int i = 0; i < lines; i++) p = text.find('\n', p) + 1;
    return text.substr(p);
}

class Img : public ::testing::Test {
protected:
    void SetUp() override { IMG_set_read_wait(0, 0); }
    TempDir dir;
};

}  // namespace

TEST_F(Img, InitGivesAnEmptyRecord)
{
    IMG_report r;
    std::memset(&r, 0x5a, sizeof r);
    EXPECT_EQ(IMG_init(&r), 0);
    EXPECT_EQ(r.source, 0);
    EXPECT_EQ(r.width, 0);
    EXPECT_EQ(r.depth, 0);
    EXPECT_EQ(r.bytes_line, 0);
    EXPECT_EQ(r.num_colors, 0);
    EXPECT_STREQ(r.datim, "");
    EXPECT_STREQ(r.info, "");
    EXPECT_EQ(r.date.year, VYK_MISS);
    EXPECT_EQ(r.byte_order, 1);
    EXPECT_EQ(r.trans_color, -1);
    EXPECT_EQ(r.colors, nullptr);
    EXPECT_EQ(r.data, nullptr);
}

TEST_F(Img, RawFileOfTwoIntegersReadsTheBytesAfterTheLineEnd)
{
    const std::string pixels = grey_bytes(640, 480);
    write_file(dir.file("a.img"), "VYKIMG\n12Z 05 MAR 2024\nRadar picture\n640 480\n" + pixels);
    Image im;
    ASSERT_EQ(IMG_read(dir.file("a.img").c_str(), &im.r, 0), 1);
    EXPECT_EQ(im.r.source, IMG_SOURCE_VYK);
    EXPECT_EQ(im.r.width, 640);
    EXPECT_EQ(im.r.height, 480);
    EXPECT_EQ(im.r.depth, 8);
    EXPECT_EQ(im.r.bytes_line, 640);
    EXPECT_STREQ(im.r.datim, "12Z 05 MAR 2024");
    EXPECT_STREQ(im.r.info, "Radar picture");
    EXPECT_NE(im.r.domain.proj, 1);
    EXPECT_NE(im.r.domain.proj, 2);
    EXPECT_EQ(pixels_of(im.r), pixels);
}

TEST_F(Img, WriteAndReadBackRawAndCompressed)
{
    for (int type : {0, 1}) {
        Image src;
        make_grey(&src.r, 250, 100);  // 25000 pixel bytes
        std::snprintf(src.r.datim, sizeof src.r.datim, "06Z 10 JUN 2025");
        std::snprintf(src.r.info, sizeof src.r.info, "Profiler section");
        const std::string name = dir.file("t" + std::to_string(type) + ".img");
        ASSERT_EQ(IMG_write(name.c_str(), &src.r, type), 1);
        const std::string text = read_file(name);
        EXPECT_EQ(text.substr(0, text.find('\n') + 1), type ? "VYKIMGZ\n" : "VYKIMG\n");
        const std::string header = "06Z 10 JUN 2025\nProfiler section\n250 100\n";
        EXPECT_EQ(after_lines(text, 1).substr(0, header.size()), header);
        if (type == 0) {
            EXPECT_EQ(after_lines(text, 4), pixels_of(src.r));
        }
        Image back;
        ASSERT_EQ(IMG_read(name.c_str(), &back.r, 0), 1) << type;
        EXPECT_EQ(back.r.width, 250);
        EXPECT_EQ(back.r.height, 100);
        EXPECT_STREQ(back.r.datim, "06Z 10 JUN 2025");
        EXPECT_STREQ(back.r.info, "Profiler section");
        EXPECT_EQ(pixels_of(back.r), pixels_of(src.r)) << type;
    }
}

TEST_F(Img, CompressedPixelsAreIndependentStreamsOfTenThousandBytes)
{
    Image src;
    make_grey(&src.r, 250, 100);
    const std::string name = dir.file("z.img");
    ASSERT_EQ(IMG_write(name.c_str(), &src.r, 1), 1);
    write_file(dir.file("streams"), after_lines(read_file(name), 4));
    // Each stream is decoded on its own by python's zlib; the unused tail begins the next.
    const std::string script =
        "import sys, zlib\n"
        "rest = open(sys.argv[1], 'rb').read()\n"
        "out = b''\n"
        "while rest:\n"
        "    d = zlib.decompressobj()\n"
        "    part = d.decompress(rest)\n"
        "    assert d.eof\n"
        "    print(len(part))\n"
        "    out += part\n"
        "    rest = d.unused_data\n"
        "open(sys.argv[2], 'wb').write(out)\n";
    write_file(dir.file("split.py"), script);
    const auto r = run("python3 " + quote(dir.file("split.py")) + " " + quote(dir.file("streams")) +
                       " " + quote(dir.file("pixels")));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "10000\n10000\n5000\n");
    EXPECT_EQ(read_file(dir.file("pixels")), pixels_of(src.r));
}

TEST_F(Img, ProjectionTokensOfTheGeometryLine)
{
    const float M = static_cast<float>(VYK_MISS);
    struct Case {
        const char *token;
        int proj;
        float plat, plon, p0, p1, p2;
    } cases[] = {
        {"LL ", 2, M, M, M, M, M},
        {"ME ", 3, M, M, M, M, M},
        {"PS ", 1, M, M, M, M, M},
        {"PS:-105.000000 ", 1, M, -105, M, M, M},
        {"LC ", 4, M, M, M, M, M},
        {"LC:-95.000000 ", 4, M, -95, M, M, M},
        {"LC:25.0:-95.0:25.0:35.0:0.5 ", 4, 25, -95, 25, 35, 0.5f},
        {"SAT:0.000000:-75.000000:35786.0 ", 9, 0, -75, 35786, M, M},
        {"SAT:0.000000:-135.000000 ", 9, 0, -135, M, M, M},
    };
    const std::string pixels = grey_bytes(101, 81);
    const std::string zipped = deflated(pixels.substr(0, 5000)) + deflated(pixels.substr(5000));
    for (const Case &c : cases) {
        write_file(dir.file("p.img"), std::string("VYKIMGZ\n\ninfo\n") + c.token +
                                          "40 -105 0.25 0.25 101 81\n" + zipped);
        Image im;
        ASSERT_EQ(IMG_read(dir.file("p.img").c_str(), &im.r, 0), 1) << c.token;
        const Domain &d = im.r.domain;
        EXPECT_EQ(d.proj, c.proj) << c.token;
        EXPECT_FLOAT_EQ(d.clat, 40) << c.token;
        EXPECT_FLOAT_EQ(d.clon, -105) << c.token;
        EXPECT_FLOAT_EQ(d.dx, 0.25f) << c.token;
        EXPECT_FLOAT_EQ(d.dy, 0.25f) << c.token;
        EXPECT_EQ(d.nx, 101);
        EXPECT_EQ(d.ny, 81);
        EXPECT_EQ(im.r.width, 101);
        EXPECT_EQ(im.r.height, 81);
        // Fields that the token does not name keep what the empty domain holds.
        Image empty;
        auto expect = [&](float want, float got, float unset) {
            if (want == M) EXPECT_EQ(got, unset) << c.token;
            else EXPECT_FLOAT_EQ(got, want) << c.token;
        };
        expect(c.plat, d.plat, empty.r.domain.plat);
        expect(c.plon, d.plon, empty.r.domain.plon);
        expect(c.p0, d.param[0], empty.r.domain.param[0]);
        expect(c.p1, d.param[1], empty.r.domain.param[1]);
        expect(c.p2, d.param[2], empty.r.domain.param[2]);
        EXPECT_EQ(pixels_of(im.r), pixels) << c.token;
    }
}

TEST_F(Img, DomainWrittenAsTokenReadsBack)
{
    struct Case {
        int proj;
        float plat, plon, p0, p1, p2;
        const char *line;
    } cases[] = {
        {2, 0, 0, 0, 0, 0, "LL 40.000000 -105.000000 0.250000 0.500000 30 20\n"},
        {3, 0, 0, 0, 0, 0, "ME 40.000000 -105.000000 0.250000 0.500000 30 20\n"},
        {1, 60, -105, 0, 0, 0, "PS 40.000000 -105.000000 0.250000 0.500000 30 20\n"},
        {1, 60, -90, 0, 0, 0, "PS:-90.000000 40.000000 -105.000000 0.250000 0.500000 30 20\n"},
        {4, 25, -95, 25, 35, 0, "LC:25.000000:-95.000000:25.000000:35.000000:0.000000 "
                                "40.000000 -105.000000 0.250000 0.500000 30 20\n"},
        {9, 0, -75, 35786, 0, 0, "SAT:0.000000:-75.000000:35786.000000 "
                                 "40.000000 -105.000000 0.250000 0.500000 30 20\n"},
    };
    for (const Case &c : cases) {
        Image src;
        make_grey(&src.r, 30, 20);
        Domain &d = src.r.domain;
        d.proj = c.proj;
        d.plat = c.plat;
        d.plon = c.plon;
        d.param[0] = c.p0;
        d.param[1] = c.p1;
        d.param[2] = c.p2;
        d.clat = 40;
        d.clon = -105;
        d.dx = 0.25f;
        d.dy = 0.5f;
        d.nx = 30;
        d.ny = 20;
        const std::string name = dir.file("d.img");
        ASSERT_EQ(IMG_write(name.c_str(), &src.r, 0), 1);
        EXPECT_EQ(after_lines(read_file(name), 3).substr(0, std::strlen(c.line)), c.line);
        Image back;
        ASSERT_EQ(IMG_read(name.c_str(), &back.r, 0), 1);
        EXPECT_EQ(back.r.domain.proj, c.proj);
        EXPECT_FLOAT_EQ(back.r.domain.clat, 40);
        EXPECT_FLOAT_EQ(back.r.domain.dy, 0.5f);
        EXPECT_EQ(pixels_of(back.r), pixels_of(src.r));
    }
}

TEST_F(Img, DomainWithoutATokenIsWrittenAsSizeOnly)
{
    Image src;
    make_grey(&src.r, 30, 20);
    src.r.domain.proj = 24;  // a diagram space: no token names it
    src.r.domain.nx = 30;
    src.r.domain.ny = 20;
    ASSERT_EQ(IMG_write(dir.file("n.img").c_str(), &src.r, 0), 1);
    EXPECT_EQ(after_lines(read_file(dir.file("n.img")), 3).substr(0, 6), "30 20\n");
    Image back;
    EXPECT_EQ(IMG_read(dir.file("n.img").c_str(), &back.r, 0), 1);
}

TEST_F(Img, SeparatePixelFileAndSkippedBlocks)
{
    const std::string pixels = grey_bytes(40, 30);
    write_file(dir.file("pix.raw"), pixels);
    write_file(dir.file("s.img"), "VYKIMG*\ndate\ninfo\n40 30\n" + dir.file("pix.raw") + "\n");
    Image a;
    ASSERT_EQ(IMG_read(dir.file("s.img").c_str(), &a.r, 0), 1);
    EXPECT_EQ(pixels_of(a.r), pixels);

    // 'V': 1024 bytes skipped; 'C': 2 bytes, then 2 bytes whose second is a count of pairs.
    std::string skip(1024, 'v');
    std::string block = std::string("ab") + std::string("x\x03", 2) + "112233";
    write_file(dir.file("vc.img"), "VYKIMGVC\ndate\ninfo\n40 30\n" + skip + block + pixels);
    Image b;
    ASSERT_EQ(IMG_read(dir.file("vc.img").c_str(), &b.r, 0), 1);
    EXPECT_EQ(pixels_of(b.r), pixels);

    // A negative count is refused.
    block = std::string("ab") + std::string("x\xfe", 2);
    write_file(dir.file("neg.img"), "VYKIMGC\ndate\ninfo\n40 30\n" + block + pixels);
    Image c;
    CaptureStdio cap;
    EXPECT_EQ(IMG_read(dir.file("neg.img").c_str(), &c.r, 0), 0);
    cap.finish();
    EXPECT_NE(cap.err().find("IMG_read_vyk: Invalid block count: -2"), std::string::npos)
        << cap.err();
    EXPECT_EQ(c.r.data, nullptr);
}

TEST_F(Img, VersionFourTakesItsSizeFromTheDomainString)
{
    const char *domain = "ps:60.000:-105.000:::,40.000,-105.000,21,11,0.5000,0.5000";
    const std::string pixels = grey_bytes(21, 11);
    write_file(dir.file("v4.img"), std::string("VYKIMG4\ndate\ninfo\n") + domain + "\n" + pixels);
    Image im;
    ASSERT_EQ(IMG_read(dir.file("v4.img").c_str(), &im.r, 0), 1);
    EXPECT_EQ(im.r.width, 21);
    EXPECT_EQ(im.r.height, 11);
    EXPECT_EQ(pixels_of(im.r), pixels);
    const Domain &d = im.r.domain;
    EXPECT_EQ(d.proj, 1);
    EXPECT_FLOAT_EQ(d.plat, 60);
    EXPECT_FLOAT_EQ(d.plon, -105);
    EXPECT_FLOAT_EQ(d.clat, 40);
    EXPECT_FLOAT_EQ(d.clon, -105);
    EXPECT_FLOAT_EQ(d.dx, 0.5f);
    EXPECT_FLOAT_EQ(d.dy, 0.5f);

    // A domain line that is no domain gives no size: the file is refused, nothing allocated.
    write_file(dir.file("bad.img"), std::string("VYKIMG4\ndate\ninfo\nnowhere\n") + pixels);
    Image bad;
    CaptureStdio cap;
    EXPECT_EQ(IMG_read(dir.file("bad.img").c_str(), &bad.r, 0), 0);
    cap.finish();
    EXPECT_EQ(bad.r.data, nullptr);
}

TEST_F(Img, SniffingByTheFirstBytes)
{
    // Three letters send a file to the own-format reader, which wants all six.
    write_file(dir.file("grid"), "VYKGRID\n1 2 3\n");
    write_file(dir.file("dadodu"), std::string("DADODU\n") + std::string(200, '1'));
    Image a;
    CaptureStdio cap;
    EXPECT_EQ(IMG_read(dir.file("grid").c_str(), &a.r, 0), 0);
    EXPECT_EQ(IMG_read(dir.file("dadodu").c_str(), &a.r, 0), 0);
    EXPECT_EQ(IMG_read(dir.file("missing").c_str(), &a.r, 0), 0);
    cap.finish();
    EXPECT_NE(cap.err().find("IMG_read_vyk: Invalid image type"), std::string::npos) << cap.err();
    EXPECT_NE(cap.err().find("XWD file format version mismatch"), std::string::npos) << cap.err();
    EXPECT_NE(cap.err().find("IMG_read: Unable to open image file: " + dir.file("missing")),
              std::string::npos);
    EXPECT_EQ(a.r.data, nullptr);
}

TEST_F(Img, DeeperLayoutsAreWrittenOneBytePerPixel)
{
    // Two rows of three pixels, each layout with row padding; the byte written per pixel:
    // 32 bits the mean of the colour bytes, 24 and 16 bits the least significant byte.
    struct Case {
        int depth, bits, bytes_line, order;
        std::vector<unsigned char> data;
        std::string want;
    } cases[] = {
        {24, 32, 16, 1,
         {0, 30, 60, 90, 0, 3, 6, 9, 0, 255, 255, 255, 7, 7, 7, 7,
          0, 0, 0, 3, 0, 1, 1, 1, 0, 10, 20, 30, 7, 7, 7, 7},
         std::string("\x3c\x06\xff\x01\x01\x14", 6)},
        {24, 32, 12, 0,
         {90, 60, 30, 0, 9, 6, 3, 0, 255, 255, 255, 0,
          3, 0, 0, 0, 1, 1, 1, 0, 30, 20, 10, 0},
         std::string("\x3c\x06\xff\x01\x01\x14", 6)},
        {24, 24, 10, 1,
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0},
         std::string("\x03\x06\x09\x07\x04\x01", 6)},
        {16, 16, 8, 0,
         {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0},
         std::string("\x01\x03\x05\x07\x09\x0b", 6)},
        {4, 4, 4, 1, {0x12, 0x30, 0xff, 0xff, 0x45, 0x60, 0xff, 0xff},
         std::string("\x01\x02\x03\x04\x05\x06", 6)},
        {1, 1, 1, 1, {0x05, 0x02}, std::string("\x01\x00\x01\x00\x01\x00", 6)},
    };
    for (const Case &c : cases) {
        for (int type : {0, 1}) {
            Image src;
            src.r.width = 3;
            src.r.height = 2;
            src.r.depth = c.depth;
            src.r.bits_pixel = c.bits;
            src.r.bytes_line = c.bytes_line;
            src.r.byte_order = c.order;
            src.r.data = static_cast<unsigned char *>(std::malloc(c.data.size()));
            std::memcpy(src.r.data, c.data.data(), c.data.size());
            const std::string name = dir.file("deep.img");
            ASSERT_EQ(IMG_write(name.c_str(), &src.r, type), 1) << c.depth;
            Image back;
            ASSERT_EQ(IMG_read(name.c_str(), &back.r, 0), 1) << c.depth << " " << type;
            EXPECT_EQ(back.r.width, 3);
            EXPECT_EQ(pixels_of(back.r), c.want) << c.depth << " " << c.bits << " " << type;
        }
    }
}

TEST_F(Img, HeaderTextsStayOnTheirLines)
{
    Image src;
    make_grey(&src.r, 4, 2);
    std::memset(src.r.info, 'i', sizeof src.r.info);  // no terminator: the field bounds it
    src.r.info[3] = '\n';
    ASSERT_EQ(IMG_write(dir.file("t.img").c_str(), &src.r, 0), 1);
    Image back;
    ASSERT_EQ(IMG_read(dir.file("t.img").c_str(), &back.r, 0), 1);
    EXPECT_EQ(std::string(back.r.info), "iii " + std::string(IMG_INFO_LEN - 5, 'i'));
    EXPECT_EQ(pixels_of(back.r), pixels_of(src.r));
}

TEST_F(Img, CopyOwnsItsPixelsAndColours)
{
    Image src;
    src.r.width = 5;  // padded rows: 8 bytes for 5 pixels
    src.r.height = 3;
    src.r.depth = 8;
    src.r.bits_pixel = 8;
    src.r.bytes_line = 8;
    src.r.data = static_cast<unsigned char *>(std::malloc(24));
    for (int i = 0; i < 24; i++) src.r.data[i] = static_cast<unsigned char>(i);
    src.r.num_colors = 2;
    src.r.colors = static_cast<IMG_color *>(std::calloc(2, sizeof(IMG_color)));
    src.r.colors[1] = {1, 0.5f, 0};
    std::snprintf(src.r.info, sizeof src.r.info, "copy me");
    Image dst;
    ASSERT_EQ(IMG_copy(&dst.r, &src.r), 0);
    EXPECT_NE(dst.r.data, src.r.data);
    EXPECT_NE(dst.r.colors, src.r.colors);
    EXPECT_EQ(pixels_of(dst.r), pixels_of(src.r));  // all bytes_line x height bytes
    EXPECT_FLOAT_EQ(dst.r.colors[1].g, 0.5f);
    EXPECT_STREQ(dst.r.info, "copy me");
    EXPECT_EQ(dst.r.num_colors, 2);
    IMG_free(&src.r);
    EXPECT_EQ(dst.r.data[23], 23);  // still its own after the source is released
}

TEST_F(Img, PrintShowsEveryField)
{
    Image im;
    make_grey(&im.r, 64, 32);
    std::snprintf(im.r.datim, sizeof im.r.datim, "00Z 01 JAN 2025");
    std::snprintf(im.r.info, sizeof im.r.info, "printed");
    CaptureStdio cap;
    IMG_print(M_PRINT, &im.r);
    cap.finish();
    const std::string want =
        "Source: 0\nVersion: 0\nDate: 00Z 01 JAN 2025\nInfo: printed\nType: 0\nSize: 64x32\n"
        "Resolution: 0.00x0.00\nOffset: 0.00x0.00\nDepth: 8\nBits per pixel: 8\n"
        "Bytes per line: 64\nBytes order: 1\nNumber of colors: 0\nTranparent colors: -1\n";
    EXPECT_EQ(cap.out().substr(0, want.size()), want);
}

TEST_F(Img, DumpFailsWithoutACapture)
{
    CaptureStdio cap;
    EXPECT_EQ(IMG_dump(dir.file("dump.img").c_str()), 0);
    cap.finish();
    EXPECT_EQ(access(dir.file("dump.img").c_str(), F_OK), -1);
}

TEST_F(Img, DumpsOfTheWindowPicture)
{
    ASSERT_EQ(gopen_gks(nullptr, 0), 0);
    ASSERT_EQ(gopen_ws(1, "", GWS_X11), 0) << "needs an X server";
    int w = 0, h = 0;
    gget_win_size(&w, &h);
    ASSERT_GT(w, 0);
    ASSERT_EQ(IMG_dump(dir.file("dump.img").c_str()), 1);
    ASSERT_EQ(XWD_dump(dir.file("dump.xwd").c_str()), 1);
    ASSERT_EQ(PNG_dump(dir.file("dump.png").c_str()), 1);
    ASSERT_EQ(GIF_dump(dir.file("dump.gif").c_str()), 1);
    gclose_ws(1);
    gclose_gks();

    // The own format: the picture's size, one byte per pixel, the title cut to its field.
    Image im;
    ASSERT_EQ(IMG_read(dir.file("dump.img").c_str(), &im.r, 0), 1);
    EXPECT_EQ(im.r.width, w);
    EXPECT_EQ(im.r.height, h);
    EXPECT_LT(std::strlen(im.r.info), static_cast<size_t>(IMG_INFO_LEN));
    EXPECT_EQ(read_file(dir.file("dump.img")).substr(0, 7), "VYKIMG\n");
    const std::string size = std::to_string(w) + " " + std::to_string(h);
    EXPECT_EQ(after_lines(read_file(dir.file("dump.img")), 3).substr(0, size.size() + 1),
              size + "\n");

    const auto xwd = run("xwdtopnm " + quote(dir.file("dump.xwd")) + " | head -c 2");
    EXPECT_EQ(xwd.out, "P6") << xwd.err;
    EXPECT_EQ(run("pngcheck " + quote(dir.file("dump.png"))).status, 0);
    const auto gif = run("giftext " + quote(dir.file("dump.gif")));
    EXPECT_NE(gif.out.find("Width = " + std::to_string(w) + ", Height = " + std::to_string(h)),
              std::string::npos)
        << gif.out;
}

TEST_F(Img, HostileFilesFailQuickly)
{
    const std::string pixels = grey_bytes(40, 30);
    const std::string z = deflated(pixels);
    struct Case {
        const char *what;
        std::string bytes;
        const char *message;
    } cases[] = {
        {"empty", "", "Unable to read dump file header"},
        {"bad magic", "VYKING\n", "Invalid image type"},
        {"magic only", "VYKIMG\n", "Image header ends early"},
        {"no geometry", "VYKIMG\ndate\ninfo", "Invalid geometry line"},
        {"zero size", "VYKIMG\nd\ni\n0 30\n" + pixels, "Invalid image size"},
        {"negative size", "VYKIMG\nd\ni\n-40 30\n" + pixels, "Invalid image size"},
        {"too wide", "VYKIMG\nd\ni\n70000 2\n" + pixels, "Invalid image size"},
        {"too many bytes", "VYKIMG\nd\ni\n60000 60000\n" + pixels, "Invalid image size"},
        {"int overflow", "VYKIMG\nd\ni\n2147483647 2147483647\n", "Invalid image size"},
        {"token size", "VYKIMG\nd\ni\nLL 40 -105 0.1 0.1 -3 5\n", "Invalid image size"},
        {"token short", "VYKIMG\nd\ni\nLL 40 -105 0.1\n", "Invalid geometry line"},
        {"short raw", "VYKIMG\nd\ni\n40 30\n" + pixels.substr(0, 700), "ends after 700 of 1200"},
        {"short zlib", "VYKIMGZ\nd\ni\n40 30\n" + z.substr(0, z.size() / 2), "ends after"},
        {"bad zlib", "VYKIMGZ\nd\ni\n40 30\n" + std::string(300, '\x55'), "Bad compressed data"},
        {"no pixel file", "VYKIMG*\nd\ni\n40 30\n" + dir.file("none"), "Unable to open"},
        {"short V", "VYKIMGV\nd\ni\n40 30\n" + std::string(100, 'v'), "header ends early"},
    };
    for (const Case &c : cases) {
        write_file(dir.file("h.img"), c.bytes);
        Image im;
        CaptureStdio cap;
        EXPECT_EQ(IMG_read(dir.file("h.img").c_str(), &im.r, 0), 0) << c.what;
        cap.finish();
        EXPECT_NE(cap.err().find(c.message), std::string::npos) << c.what << ": " << cap.err();
        EXPECT_EQ(im.r.data, nullptr) << c.what;
    }
}

TEST_F(Img, ShortRawReadLeavesZeros)
{
    const std::string pixels = grey_bytes(40, 30);
    write_file(dir.file("short.img"), "VYKIMG\nd\ni\n40 30\n" + pixels.substr(0, 700));
    Image im;
    CaptureStdio cap;
    EXPECT_EQ(IMG_read_vyk(dir.file("short.img").c_str(), &im.r, 0), 0);
    cap.finish();
    ASSERT_NE(im.r.data, nullptr);
    EXPECT_EQ(pixels_of(im.r), pixels.substr(0, 700) + std::string(500, '\0'));
}

TEST_F(Img, InflatedBytesBeyondThePixelAreaAreNotStored)
{
    const std::string pixels = grey_bytes(40, 30);
    // One stream of twice the pixel bytes, then another stream.
    write_file(dir.file("long.img"), "VYKIMGZ\nd\ni\n40 30\n" + deflated(pixels + pixels) +
                                         deflated(pixels));
    Image im;
    ASSERT_EQ(IMG_read(dir.file("long.img").c_str(), &im.r, 0), 1);
    EXPECT_EQ(pixels_of(im.r), pixels);
}

TEST_F(Img, CompressedReaderWaitsForAFileStillBeingWritten)
{
    const std::string pixels = grey_bytes(200, 150);
    const std::string z = deflated(pixels.substr(0, 10000)) + deflated(pixels.substr(10000));
    const std::string head = "VYKIMGZ\nd\ni\n200 150\n";
    const std::string name = dir.file("growing.img");
    write_file(name, head + z.substr(0, z.size() / 3));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        usleep(200000);
        FILE *fp = std::fopen(name.c_str(), "ab");
        std::fwrite(z.data() + z.size() / 3, 1, z.size() - z.size() / 3, fp);
        std::fclose(fp);
        _exit(0);
    }
    IMG_set_read_wait(400, 0.05f);  // far longer than the writer needs, even under load
    Image im;
    const int r = IMG_read(name.c_str(), &im.r, 0);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_EQ(r, 1);
    EXPECT_EQ(pixels_of(im.r), pixels);
}

TEST_F(Img, ReadOpensTheFileOnce)
{
    // Every kind through a command (which must run once) and through standard input (whose
    // first bytes must reach the reader).  (XWD files want a window's depth: not here.)
    Image src;
    make_grey(&src.r, 40, 30);
    struct Kind {
        const char *file;
        int (*write)(const char *, IMG_report *);
    };
    const Kind kinds[] = {
        {"own.img", [](const char *f, IMG_report *r) { return IMG_write(f, r, IMG_WRITE_ZLIB); }},
        {"a.gif", GIF_write},
        {"a.png", PNG_write},
    };
    for (const Kind &k : kinds) {
        SCOPED_TRACE(k.file);
        const std::string file = dir.file(k.file), count = dir.file("count");
        ASSERT_EQ(k.write(file.c_str(), &src.r), 1);
        std::remove(count.c_str());
        const std::string command = "|echo run >> " + quote(count) + "; cat " + quote(file);
        Image piped;
        ASSERT_EQ(IMG_read(command.c_str(), &piped.r, 0), 1);
        EXPECT_EQ(read_file(count), "run\n");
        EXPECT_EQ(piped.r.width, 40);
        EXPECT_EQ(piped.r.height, 30);

        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const int fd = open(file.c_str(), O_RDONLY);
            if (fd < 0 || dup2(fd, 0) < 0) _exit(3);
            MESS_set(0, 0);
            IMG_report r;
            _exit(IMG_read("-", &r, 0) == 1 && r.width == 40 && r.height == 30 ? 0 : 1);
        }
        int status = -1;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    // A first comment line goes to the reader too.
    write_file(dir.file("commented.gif"), "** a comment\n" + read_file(dir.file("a.gif")));
    Image commented;
    EXPECT_EQ(IMG_read(dir.file("commented.gif").c_str(), &commented.r, 0), 1);
}

TEST_F(Img, WritersOnAFullDiskFailAndLeaveNoCutFile)
{
    struct Kind {
        const char *file;
        int (*write)(const char *, IMG_report *);
    };
    const Kind kinds[] = {
        {"raw.img", [](const char *f, IMG_report *r) { return IMG_write(f, r, IMG_WRITE_RAW); }},
        {"z.img", [](const char *f, IMG_report *r) { return IMG_write(f, r, IMG_WRITE_ZLIB); }},
        {"a.gif", GIF_write},
        {"a.png", PNG_write},
        {"a.xwd", XWD_write},
    };
    for (const Kind &k : kinds) {
        SCOPED_TRACE(k.file);
        const std::string result = vyktest::on_full_disk([&](const std::string &dir) {
            const std::string path = dir.empty() ? "/dev/full" : dir + "/" + k.file;
            Image src;
            make_grey(&src.r, 300, 200);
            MESS_set(0, 0);
            const int written = k.write(path.c_str(), &src.r);
            const std::string left =
                dir.empty() ? "device" : access(path.c_str(), F_OK) == 0 ? "left" : "gone";
            return std::to_string(written) + " " + left;
        });
        EXPECT_TRUE(result == "0 gone" || result == "0 device") << result;
    }
}
