// PNG files: what the writer makes is checked by pngcheck and ImageMagick (palette of 256
// entries, texts, pixels); what ImageMagick makes in every colour type, bit depth and with
// interlace is read and compared pixel by pixel with ImageMagick's own decoding; broken files
// fail quickly.
#include <gtest/gtest.h>

#include "test_util.h"

#include "img.h"
#include "image_util.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <regex>
#include <string>
#include <vector>

using vyktest::CaptureStdio;
using vyktest::TempDir;
using vyktest::quote;
using vyktest::read_file;
using vyktest::run;
using vyktest::write_file;
using Image = vyktest::ImageRecord;
using vyktest::Rgb;
using vyktest::be32;
using vyktest::write_ppm;
using vyktest::magick_rgb;

namespace {

/// A source picture of 200 colours (or of `colors` colours).
std::vector<Rgb> source_colors(int w, int h, int colors)
{
    std::vector<Rgb> px;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            const int i = colors == 200 ? (x * 3 + y * 5) % 200 : (x + y) % colors;
            px.push_back({(i * 37) % 256, (i * 91) % 256, (i * 53) % 256});
        }
    return px;
}

std::string png_chunk(const std::string &type, const std::string &data)
{
    std::string out;
    const uint32_t n = static_cast<uint32_t>(data.size());
    for (int s = 24; s >= 0; s -= 8) out += static_cast<char>(n >> s);
    const std::string body = type + data;
    out += body;
    const uint32_t crc = static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef *>(body.data()), static_cast<uInt>(body.size())));
    for (int s = 24; s >= 0; s -= 8) out += static_cast<char>(crc >> s);
    return out;
}

class ImgPng : public ::testing::Test {
protected:
    TempDir dir;
};

}  // namespace

TEST_F(ImgPng, WrittenFileIsAValid256EntryPaletteImage)
{
    // Five colours, first met in this order when rows are taken from the top.
    const Rgb five[5] = {{200, 10, 10}, {10, 200, 10}, {10, 10, 200}, {255, 255, 0}, {1, 2, 3}};
    const int w = 20, h = 10;
    std::vector<Rgb> px;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) px.push_back(five[std::min(4, x / 4 + y / 5)]);
    Image im;
    make_truecolor(&im.r, w, h, px);
    const std::string file = dir.file("five.png");
    ASSERT_EQ(PNG_write(file.c_str(), &im.r), 1);

    const auto check = run("pngcheck -v " + quote(file));
    EXPECT_EQ(check.status, 0) << check.out << check.err;
    EXPECT_NE(check.out.find("8-bit palette"), std::string::npos) << check.out;
    EXPECT_NE(check.out.find("256 palette entries"), std::string::npos) << check.out;
    EXPECT_NE(check.out.find("non-interlaced"), std::string::npos) << check.out;

    const auto ident = run("identify -verbose " + quote(file));
    EXPECT_EQ(ident.status, 0) << ident.err;
    EXPECT_NE(ident.out.find("Colormap entries: 256"), std::string::npos) << ident.out;

    // The palette: the five colours in order of first appearance, then black.
    const auto pal = run("pngcheck -p " + quote(file));
    std::regex entry(R"((\d+):\s*\(\s*(\d+),\s*(\d+),\s*(\d+)\))");
    std::vector<Rgb> entries;
    for (std::sregex_iterator it(pal.out.begin(), pal.out.end(), entry), end; it != end; ++it)
        entries.push_back({std::stoi((*it)[2]), std::stoi((*it)[3]), std::stoi((*it)[4])});
    ASSERT_EQ(entries.size(), 256u) << pal.out;
    for (int i = 0; i < 5; i++) EXPECT_EQ(entries[i], five[i]) << i;
    for (int i = 5; i < 256; i++) EXPECT_EQ(entries[i], (Rgb{0, 0, 0})) << i;

    EXPECT_EQ(magick_rgb(file), px);
}

TEST_F(ImgPng, TextEntries)
{
    Image im;
    make_truecolor(&im.r, 4, 4, std::vector<Rgb>(16, Rgb{9, 9, 9}));
    const std::string file = dir.file("t.png");
    ASSERT_EQ(PNG_write(file.c_str(), &im.r), 1);
    const auto t = run("pngcheck -t " + quote(file));
    EXPECT_EQ(t.status, 0) << t.out;
    EXPECT_NE(t.out.find("Title:"), std::string::npos) << t.out;
    EXPECT_NE(t.out.find("VYK - Halcyra v5.0"), std::string::npos) << t.out;
    std::smatch m;
    ASSERT_TRUE(std::regex_search(t.out, m,
                                  std::regex(R"(Creation Time:\s+(\d\d) ([A-Z][a-z][a-z]) (\d{4}) )"
                                             R"((\d\d):(\d\d):(\d\d) GMT)")))
        << t.out;
    EXPECT_EQ(m[2].str() + "\n", run("LC_ALL=C date -u '+%b'").out);
    EXPECT_LT(t.out.find("Title"), t.out.find("Software"));
    EXPECT_LT(t.out.find("Software"), t.out.find("Creation Time"));
}

TEST_F(ImgPng, ColoursBeyondTheTwoHundredFiftySixthTakeEntryZero)
{
    const int w = 20, h = 20;  // 400 distinct colours
    std::vector<Rgb> px;
    for (int i = 0; i < w * h; i++) px.push_back({i % 256, i / 256, 100});
    Image im;
    make_truecolor(&im.r, w, h, px);
    const std::string file = dir.file("many.png");
    ASSERT_EQ(PNG_write(file.c_str(), &im.r), 1);
    const std::vector<Rgb> got = magick_rgb(file);
    ASSERT_EQ(got.size(), px.size());
    for (int i = 0; i < w * h; i++) EXPECT_EQ(got[i], i < 256 ? px[i] : px[0]) << i;
}

TEST_F(ImgPng, OtherRecordLayoutsAreWrittenWithTheirColours)
{
    struct Case {
        const char *layout;
        int w, h, depth, bits, bytes_line, colors;  // colors 0: no table
        std::vector<std::pair<int, IMG_color>> table;
        std::vector<unsigned char> data;
        std::vector<Rgb> want;
    } cases[] = {
        // An indexed record with an index beyond its table (black) and padded rows.
        {"indexed", 3, 2, 8, 8, 4, 2, {{0, {1, 0, 0}}, {1, {0, 0, 1}}},
         {0, 1, 7, 0xee, 1, 0, 0, 0xee},
         {{255, 0, 0}, {0, 0, 255}, {0, 0, 0}, {0, 0, 255}, {255, 0, 0}, {255, 0, 0}}},
        // A grey record as the own format gives it (no table, no masks).
        {"grey", 3, 1, 8, 0, 3, 0, {}, {0, 128, 255},
         {{0, 0, 0}, {128, 128, 128}, {255, 255, 255}}},
        // 4-bit pixels, the high half-byte first; 1-bit pixels, the least significant bit first.
        {"4-bit", 3, 1, 4, 4, 2, 16, {{2, {0, 1, 0}}, {5, {1, 1, 1}}}, {0x25, 0x20},
         {{0, 255, 0}, {255, 255, 255}, {0, 255, 0}}},
        {"1-bit", 3, 1, 1, 1, 1, 2, {{1, {1, 1, 0}}}, {0x06},
         {{0, 0, 0}, {255, 255, 0}, {255, 255, 0}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.layout);
        Image im;
        vyktest::set_pixels(&im.r, c.w, c.h, c.depth, c.bits, c.bytes_line, c.data);
        if (c.colors > 0) vyktest::set_table(&im.r, c.colors, c.table);
        const std::string file = dir.file(std::string(c.layout) + ".png");
        ASSERT_EQ(PNG_write(file.c_str(), &im.r), 1);
        EXPECT_EQ(magick_rgb(file), c.want);
    }
}

TEST_F(ImgPng, WriterRefusesRecordsItCannotRead)
{
    Image empty;
    Image odd;
    vyktest::set_pixels(&odd.r, 4, 4, 12, 0, 8, std::vector<unsigned char>(32));
    Image narrow;
    vyktest::set_pixels(&narrow.r, 10, 2, 8, 0, 4, std::vector<unsigned char>(8));
    Image fine;
    vyktest::set_pixels(&fine.r, 2, 2, 8, 0, 2, std::vector<unsigned char>(4));
    CaptureStdio cap;
    EXPECT_EQ(PNG_write(dir.file("e.png").c_str(), &empty.r), 0);
    EXPECT_EQ(PNG_write(dir.file("o.png").c_str(), &odd.r), 0);
    EXPECT_EQ(PNG_write(dir.file("w.png").c_str(), &narrow.r), 0);
    write_file(dir.file("plain"), "a file, not a directory");
    EXPECT_EQ(PNG_write(dir.file("plain/x.png").c_str(), &fine.r), 0);
    cap.finish();
    EXPECT_NE(cap.err().find("PNG_write: No image to write"), std::string::npos);
    EXPECT_NE(cap.err().find("PNG_write: Unsupported pixel layout"), std::string::npos);
    EXPECT_NE(cap.err().find("PNG_write: Rows of 4 bytes are too short for 10 pixels"),
              std::string::npos);
    EXPECT_NE(cap.err().find("Unable to open PNG file"), std::string::npos);
}

TEST_F(ImgPng, FilesMadeByImageMagickReadAsImageMagickSeesThem)
{
    const int w = 37, h = 23;
    write_ppm(dir.file("src.ppm"), w, h, source_colors(w, h, 200));
    write_ppm(dir.file("src12.ppm"), w, h, source_colors(w, h, 12));
    write_ppm(dir.file("src2.ppm"), w, h, source_colors(w, h, 2));
    struct Case {
        const char *name, *source, *options;
        int bit_depth, color_type, interlace;
        int tolerance;  // 16-bit channels are cut to their high byte, ImageMagick rounds
    } cases[] = {
        {"png8", "src.ppm", "PNG8:", 8, 3, 0, 0},
        {"png24", "src.ppm", "PNG24:", 8, 2, 0, 0},
        {"png32", "src.ppm", "PNG32:", 8, 6, 0, 0},
        {"png48", "src.ppm", "PNG48:", 16, 2, 0, 1},
        {"png64", "src.ppm", "PNG64:", 16, 6, 0, 1},
        {"interlaced rgb", "src.ppm", "-interlace PNG PNG24:", 8, 2, 1, 0},
        {"interlaced rgba 16-bit", "src.ppm", "-interlace PNG PNG64:", 16, 6, 1, 1},
        {"interlaced palette", "src.ppm", "-interlace PNG PNG8:", 8, 3, 1, 0},
        {"palette 4-bit", "src12.ppm", "-define png:bit-depth=4 -define png:color-type=3 PNG8:",
         4, 3, 0, 0},
        {"palette 1-bit", "src2.ppm", "-define png:bit-depth=1 -define png:color-type=3 PNG8:", 1,
         3, 0, 0},
        {"interlaced palette 2-bit", "src2.ppm",
         "-interlace PNG -define png:bit-depth=2 -define png:color-type=3 PNG8:", 2, 3, 1, 0},
        {"grey 1-bit", "src.ppm", "-colorspace Gray -threshold 50% -type Bilevel PNG:", 1, 0, 0,
         0},
        {"grey 4-bit interlaced", "src.ppm",
         "-colorspace Gray -interlace PNG -define png:color-type=0 -define png:bit-depth=4 PNG:",
         4, 0, 1, 0},
        {"grey 16-bit", "src.ppm", "-colorspace Gray -depth 16 PNG:", 16, 0, 0, 1},
        {"grey alpha", "src.ppm", "-colorspace Gray -alpha set -define png:color-type=4 PNG:", 8,
         4, 0, 0},
        {"grey alpha 16-bit", "src.ppm",
         "-colorspace Gray -alpha set -define png:color-type=4 -define png:bit-depth=16 PNG:", 16,
         4, 0, 1},
    };
    const std::vector<Rgb> original = source_colors(w, h, 200);
    for (const Case &c : cases) {
        const std::string file = dir.file("m.png");
        const auto made = run("convert " + quote(dir.file(c.source)) + " " + c.options +
                              quote(file));
        ASSERT_EQ(made.status, 0) << c.name << made.err;
        const std::string bytes = read_file(file);
        ASSERT_GT(bytes.size(), 29u);
        ASSERT_EQ(bytes[24], c.bit_depth) << c.name;  // the case is the one meant
        ASSERT_EQ(bytes[25], c.color_type) << c.name;
        ASSERT_EQ(bytes[28], c.interlace) << c.name;

        Image im;
        ASSERT_EQ(IMG_read(file.c_str(), &im.r, 0), 1) << c.name;
        EXPECT_STREQ(im.r.info, "PNG");
        EXPECT_EQ(im.r.width, w);
        EXPECT_EQ(im.r.height, h);
        const std::vector<Rgb> want = magick_rgb(file);
        ASSERT_EQ(want.size(), static_cast<size_t>(w * h)) << c.name;
        int bad = 0;
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++) {
                const Rgb got = vyktest::record_rgb(im.r, x, y);
                const Rgb &ref = want[y * w + x];
                if (std::abs(got.r - ref.r) > c.tolerance ||
                    std::abs(got.g - ref.g) > c.tolerance || std::abs(got.b - ref.b) > c.tolerance)
                    bad++;
            }
        EXPECT_EQ(bad, 0) << c.name;
        if (std::string(c.source) == "src.ppm" && c.color_type != 0 && c.color_type != 4) {
            int off = 0;
            for (int i = 0; i < w * h; i++)
                if (!(vyktest::record_rgb(im.r, i % w, i / w) == original[i])) off++;
            EXPECT_EQ(off, 0) << c.name << ": differs from the original";
        }
    }
}

TEST_F(ImgPng, RecordFieldsOfPaletteRgbAndRgbaFiles)
{
    write_ppm(dir.file("src.ppm"), 8, 4, source_colors(8, 4, 200));
    for (const char *kind : {"PNG8:p.png", "PNG32:a.png", "PNG24:c.png"})
        ASSERT_EQ(run("cd " + quote(dir.path()) + " && convert src.ppm " + kind).status, 0);
    Image p;
    ASSERT_EQ(PNG_read(dir.file("p.png").c_str(), &p.r, 0), 1);
    EXPECT_EQ(p.r.color_type, 1);
    EXPECT_EQ(p.r.depth, 8);
    EXPECT_EQ(p.r.bits_pixel, 8);
    EXPECT_EQ(p.r.bytes_line, 8);
    EXPECT_GE(p.r.num_colors, 1);
    EXPECT_NE(p.r.colors, nullptr);

    Image a;
    ASSERT_EQ(PNG_read(dir.file("a.png").c_str(), &a.r, 0), 1);
    EXPECT_EQ(a.r.color_type, 0);
    EXPECT_EQ(a.r.depth, 24);
    EXPECT_EQ(a.r.bits_pixel, 32);
    EXPECT_EQ(a.r.bytes_line, 32);
    EXPECT_EQ(a.r.byte_order, 1);
    EXPECT_EQ(a.r.red, 0xff0000u);
    EXPECT_EQ(a.r.grn, 0xff00u);
    EXPECT_EQ(a.r.blu, 0xffu);
    EXPECT_EQ(a.r.num_colors, 0);

    Image c;
    ASSERT_EQ(PNG_read(dir.file("c.png").c_str(), &c.r, 0), 1);
    EXPECT_EQ(c.r.depth, 24);
    EXPECT_EQ(c.r.bits_pixel, 24);
    EXPECT_EQ(c.r.bytes_line, 24);

    // A header-only read: size and depth, no pixels.
    Image hdr;
    ASSERT_EQ(IMG_read(dir.file("a.png").c_str(), &hdr.r, 1), 1);
    EXPECT_EQ(hdr.r.width, 8);
    EXPECT_EQ(hdr.r.height, 4);
    EXPECT_EQ(hdr.r.depth, 24);
    EXPECT_EQ(hdr.r.data, nullptr);
    EXPECT_EQ(hdr.r.colors, nullptr);
}

TEST_F(ImgPng, OwnWrittenFileReadsBack)
{
    const int w = 30, h = 17;
    const std::vector<Rgb> px = source_colors(w, h, 200);
    Image src;
    make_truecolor(&src.r, w, h, px);
    ASSERT_EQ(PNG_write(dir.file("own.png").c_str(), &src.r), 1);
    Image back;
    ASSERT_EQ(IMG_read(dir.file("own.png").c_str(), &back.r, 0), 1);
    EXPECT_EQ(back.r.num_colors, 256);
    for (int i = 0; i < w * h; i++) EXPECT_EQ(vyktest::record_rgb(back.r, i % w, i / w), px[i]) << i;
}

TEST_F(ImgPng, BrokenFilesFailQuickly)
{
    write_ppm(dir.file("src.ppm"), 64, 48, source_colors(64, 48, 200));
    ASSERT_EQ(run("convert " + quote(dir.file("src.ppm")) + " PNG24:" + quote(dir.file("ok.png")))
                  .status, 0);
    const std::string good = read_file(dir.file("ok.png"));
    std::vector<std::pair<std::string, std::string>> cases;
    for (size_t cut : {size_t(4), size_t(8), size_t(20), size_t(33), size_t(60), good.size() / 2,
                       good.size() - 13})
        cases.push_back({"cut at " + std::to_string(cut), good.substr(0, cut)});
    std::string flipped = good;
    flipped[good.size() / 2] ^= 0x40;  // a data byte: the chunk's checksum fails
    cases.push_back({"flipped", flipped});
    const std::string sig = good.substr(0, 8);
    auto header_only = [&](uint32_t w, uint32_t h, const char *depth_and_type) {
        const std::string ihdr = be32(w) + be32(h) + std::string(depth_and_type, 2) +
                                 std::string(3, '\0');
        return sig + png_chunk("IHDR", ihdr) + png_chunk("IEND", "");
    };
    cases.push_back({"absurd width", header_only(100000, 3, "\x08\x02")});
    cases.push_back({"absurd area", header_only(60000, 60000, "\x08\x06")});
    cases.push_back({"no image data", header_only(10, 10, "\x08\x02")});
    cases.push_back({"not png", std::string("\x89PNX\r\n\x1a\n", 8) + good.substr(8)});
    for (const auto &[what, bytes] : cases) {
        write_file(dir.file("bad.png"), bytes);
        Image im;
        CaptureStdio cap;
        EXPECT_EQ(PNG_read(dir.file("bad.png").c_str(), &im.r, 0), 0) << what;
        cap.finish();
        EXPECT_NE(cap.err().find("PNG_read:"), std::string::npos) << what << ": " << cap.err();
        EXPECT_EQ(im.r.data, nullptr) << what;
        EXPECT_EQ(im.r.colors, nullptr) << what;
    }
}

TEST_F(ImgPng, HostileChunksFailWithoutAHugeAllocation)
{
    // Chunks that declare about 2 GB: the reader must refuse them at once, without asking for
    // more memory than its own size cap allows.
    const std::string sig("\x89PNG\r\n\x1a\n", 8);
    const std::string ihdr =
        png_chunk("IHDR", be32(4) + be32(4) + std::string("\x08\x02\0\0\0", 5));
    auto declared = [](const char *type, uint32_t length, const std::string &data) {
        return be32(length) + type + data;  // the data stops far short of the length
    };
    const std::string text = std::string("Comment\0", 8) + std::string(30, 'x');
    const struct {
        const char *what;
        std::string bytes;
    } cases[] = {
        {"text chunk", sig + ihdr + declared("tEXt", 0x7ffffff0, text)},
        {"compressed text before the header",
         sig + declared("zTXt", 0x7ffffff0, std::string("Comment\0\0", 9) + "xx")},
        {"international text", sig + ihdr + declared("iTXt", 0x7ffffff0, text)},
        {"unknown chunk", sig + ihdr + declared("prVt", 0x7ffffff0, text)},
        {"profile", sig + ihdr + declared("iCCP", 0x7ffffff0, text)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        write_file(dir.file("hostile.png"), c.bytes);
        Image im;
        vyktest::AllocationWatch watch;
        CaptureStdio cap;
        EXPECT_EQ(PNG_read(dir.file("hostile.png").c_str(), &im.r, 0), 0);
        cap.finish();
        EXPECT_LE(watch.largest(), static_cast<size_t>(IMG_MAX_BYTES));
        EXPECT_NE(cap.err().find("PNG_read:"), std::string::npos) << cap.err();
        EXPECT_EQ(im.r.data, nullptr);
    }
}
