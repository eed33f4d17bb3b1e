// GIF files: files written here are read by ImageMagick and giflib's giftext and gifbuild
// (pixels, colour tables, code sizes, the clear code of a full string table, sub-block sizes);
// files made by ImageMagick (interlaced, with comments and application blocks) and by hand
// (local colour tables, extensions holding image separators) and by gifsicle (interlaced, with
// comments, loop extensions and local colour tables) are read here; broken files fail.
#include <gtest/gtest.h>

#include "test_util.h"

#include "gks.h"
#include "img.h"
#include "image_util.h"

#include <cstdlib>
#include <cstring>
#include <random>
#include <sstream>
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
using vyktest::write_ppm;
using vyktest::magick_rgb;

namespace {

std::vector<Rgb> record_rgb(const IMG_report &im)
{
    std::vector<Rgb> px;
    for (int y = 0; y < im.height; y++)
        for (int x = 0; x < im.width; x++) px.push_back(vyktest::record_rgb(im, x, y));
    return px;
}

/// n colours spread over the cube.
Rgb color_number(int i) { return {(i * 37) % 256, (i * 91) % 256, (i * 53 + 7) % 256}; }

std::vector<Rgb> pattern(int w, int h, int colors)
{
    std::vector<Rgb> px;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) px.push_back(color_number((x * 3 + y * 5) % colors));
    return px;
}

/// Offsets of a written GIF: the packed byte, the table size and where the image data starts.
struct Layout {
    int packed, entries;
    size_t descriptor, code_size;
};
Layout layout_of(const std::string &gif)
{
    Layout l{};
    l.packed = static_cast<unsigned char>(gif[10]);
    l.entries = 2 << (l.packed & 7);
    size_t p = 13 + 3 * static_cast<size_t>(l.entries);
    if (static_cast<unsigned char>(gif[p]) == 0x21) p += 8;
    l.descriptor = p;
    l.code_size = p + 10;
    return l;
}

/// The sizes of the data sub-blocks after the code size byte, the terminator included.
std::vector<int> sub_blocks(const std::string &gif, size_t code_size_at)
{
    std::vector<int> sizes;
    size_t p = code_size_at + 1;
    while (p < gif.size()) {
        const int n = static_cast<unsigned char>(gif[p]);
        sizes.push_back(n);
        if (n == 0) break;
        p += 1 + n;
    }
    return sizes;
}

class ImgGif : public ::testing::Test {
protected:
    void SetUp() override
    {
        GIF_interlace(0);
        GIF_transparent(0);
    }
    TempDir dir;
};

}  // namespace

TEST_F(ImgGif, WrittenFileIsReadByImageMagickAndGiflib)
{
    const int w = 30, h = 20;
    const std::vector<Rgb> px = pattern(w, h, 200);
    Image im;
    make_truecolor(&im.r, w, h, px);
    const std::string before(reinterpret_cast<char *>(im.r.data), 4 * w * h);
    const std::string file = dir.file("w.gif");
    ASSERT_EQ(GIF_write(file.c_str(), &im.r), 1);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(im.r.data), 4 * w * h), before)
        << "the caller's pixels stay as they were";

    EXPECT_EQ(magick_rgb(file, 0), px);
    const auto text = run("giftext " + quote(file));
    EXPECT_EQ(text.status, 0) << text.out << text.err;
    EXPECT_NE(text.out.find("Width = 30, Height = 20"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("GIF file terminated normally"), std::string::npos) << text.out;
    const auto build = run("gifbuild -d " + quote(file));
    EXPECT_EQ(build.status, 0) << build.err;
    EXPECT_NE(build.out.find("image bits 30 by 20"), std::string::npos) << build.out;

    // The indices giflib decodes are the first appearances of the colours, in order.
    const auto raw = run("giftext -r " + quote(file));
    ASSERT_EQ(raw.out.size(), static_cast<size_t>(w * h));
    std::vector<Rgb> seen;
    for (int i = 0; i < w * h; i++) {
        const size_t k = static_cast<unsigned char>(raw.out[i]);
        if (k == seen.size()) seen.push_back(px[i]);
        ASSERT_LT(k, seen.size()) << i;
        EXPECT_EQ(seen[k], px[i]) << i;
    }

    Image back;
    ASSERT_EQ(IMG_read(file.c_str(), &back.r, 0), 1);
    EXPECT_STREQ(back.r.info, "GIF");
    EXPECT_EQ(back.r.depth, 8);
    EXPECT_EQ(back.r.bytes_line, w);
    EXPECT_EQ(back.r.color_type, 1);
    EXPECT_EQ(back.r.num_colors, 256);
    EXPECT_EQ(record_rgb(back.r), px);
}

TEST_F(ImgGif, ColourTableSizeAndCodeSize)
{
    struct Case {
        int colors, packed, entries, code_size;
    } cases[] = {{1, 0x80, 2, 2}, {2, 0x80, 2, 2}, {3, 0x91, 4, 2}, {5, 0xA2, 8, 3},
                 {200, 0xF7, 256, 8}, {256, 0xF7, 256, 8}};
    for (const Case &c : cases) {
        std::vector<Rgb> px;
        for (int i = 0; i < 256; i++) px.push_back(color_number(i % c.colors));
        Image im;
        make_truecolor(&im.r, 16, 16, px);
        const std::string file = dir.file("t.gif");
        ASSERT_EQ(GIF_write(file.c_str(), &im.r), 1);
        const std::string gif = read_file(file);
        EXPECT_EQ(gif.substr(0, 6), "GIF89a");
        const Layout l = layout_of(gif);
        EXPECT_EQ(l.packed, c.packed) << c.colors;
        EXPECT_EQ(l.entries, c.entries) << c.colors;
        EXPECT_EQ(gif[l.descriptor], 0x2C) << c.colors;
        EXPECT_EQ(gif[l.code_size], c.code_size) << c.colors;
        EXPECT_EQ(gif.substr(gif.size() - 2), std::string("\0\x3b", 2));
        // Entries after the colours are black.
        for (int e = c.colors; e < c.entries; e++)
            EXPECT_EQ(gif.substr(13 + 3 * e, 3), std::string(3, '\0')) << c.colors << " " << e;
        EXPECT_EQ(magick_rgb(file, 0), px) << c.colors;
        EXPECT_EQ(run("giftext " + quote(file)).status, 0) << c.colors;
    }
}

TEST_F(ImgGif, ColoursBeyondTheTwoHundredFiftySixthTakeIndexZero)
{
    const int w = 20, h = 20;
    std::vector<Rgb> px;
    for (int i = 0; i < w * h; i++) px.push_back({i % 256, i / 256, 9});
    Image im;
    make_truecolor(&im.r, w, h, px);
    ASSERT_EQ(GIF_write(dir.file("m.gif").c_str(), &im.r), 1);
    const std::vector<Rgb> got = magick_rgb(dir.file("m.gif"), 0);
    ASSERT_EQ(got.size(), px.size());
    for (int i = 0; i < w * h; i++) EXPECT_EQ(got[i], i < 256 ? px[i] : px[0]) << i;
}

TEST_F(ImgGif, InterlacedFilesBothWays)
{
    const int w = 23, h = 19;  // rows of every pass, and a pass ending early
    const std::vector<Rgb> px = pattern(w, h, 150);
    Image im;
    make_truecolor(&im.r, w, h, px);
    GIF_interlace(1);
    const std::string file = dir.file("i.gif");
    ASSERT_EQ(GIF_write(file.c_str(), &im.r), 1);
    const std::string gif = read_file(file);
    EXPECT_EQ(gif[layout_of(gif).descriptor + 9], 0x40);
    EXPECT_EQ(magick_rgb(file, 0), px);
    EXPECT_NE(run("giftext " + quote(file)).out.find("Image is Interlaced"), std::string::npos);
    Image back;
    ASSERT_EQ(GIF_read(file.c_str(), &back.r, 0), 1);
    EXPECT_EQ(record_rgb(back.r), px);

    // Small heights, whose later passes hold nothing: the rows go out in pass order (as giflib
    // lists them) and read back in place.
    for (int height : {1, 2, 3, 4, 5, 9}) {
        std::vector<Rgb> rows;
        for (int y = 0; y < height; y++)
            for (int x = 0; x < 4; x++) rows.push_back(color_number(y));
        Image small;
        make_truecolor(&small.r, 4, height, rows);
        ASSERT_EQ(GIF_write(dir.file("s.gif").c_str(), &small.r), 1);
        std::string order;
        const std::string raw = run("giftext -r " + quote(dir.file("s.gif"))).out;
        for (size_t i = 0; i < raw.size(); i += 4) order += static_cast<char>('0' + raw[i]);
        const char *want[] = {"", "0", "01", "021", "0213", "04213", "", "", "", "084261357"};
        EXPECT_EQ(order, want[height]) << height;
        Image back_small;
        ASSERT_EQ(GIF_read(dir.file("s.gif").c_str(), &back_small.r, 0), 1);
        EXPECT_EQ(record_rgb(back_small.r), rows) << height;
    }

    // Interlaced by ImageMagick (whose writer misplaces rows of pictures 3 and 4 rows high).
    for (int height : {19, 1, 2, 5, 8, 9}) {
        write_ppm(dir.file("src.ppm"), w, height, pattern(w, height, 150));
        ASSERT_EQ(run("convert " + quote(dir.file("src.ppm")) + " -interlace GIF " +
                      quote(dir.file("m.gif")))
                      .status, 0);
        ASSERT_NE(run("giftext " + quote(dir.file("m.gif"))).out.find("Image is Interlaced"),
                  std::string::npos);
        Image mine;
        ASSERT_EQ(IMG_read(dir.file("m.gif").c_str(), &mine.r, 0), 1) << height;
        EXPECT_EQ(record_rgb(mine.r), pattern(w, height, 150)) << height;
    }
}

TEST_F(ImgGif, FullStringTableIsClearedAndReadsBack)
{
    const int w = 120, h = 120;
    std::mt19937 gen(7);
    std::vector<Rgb> px;
    for (int i = 0; i < w * h; i++) px.push_back(color_number(static_cast<int>(gen() % 256)));
    Image im;
    make_truecolor(&im.r, w, h, px);
    const std::string file = dir.file("noise.gif");
    ASSERT_EQ(GIF_write(file.c_str(), &im.r), 1);
    EXPECT_EQ(magick_rgb(file, 0), px);
    Image back;
    ASSERT_EQ(GIF_read(file.c_str(), &back.r, 0), 1);
    EXPECT_EQ(record_rgb(back.r), px);

    // giflib lists the codes: after the first clear, codes 258 to 4095 are defined by the codes
    // that follow, and the clear comes right after the first code emitted with the table full.
    const auto z = run("giftext -z " + quote(file));
    ASSERT_EQ(z.status, 0) << z.err;
    std::vector<int> codes;
    std::istringstream lines(z.out);
    std::string line;
    while (std::getline(lines, line)) {
        const size_t colon = line.find(':');
        if (colon != 5 || line.find_first_not_of("0123456789abcdef") != colon) continue;
        std::istringstream words(line.substr(colon + 1));
        std::string word;
        while (words >> word) codes.push_back(std::stoi(word, nullptr, 16));
    }
    std::vector<size_t> clears;
    for (size_t i = 0; i < codes.size(); i++)
        if (codes[i] == 256) clears.push_back(i);
    ASSERT_GE(clears.size(), 2u) << codes.size();
    EXPECT_EQ(clears[0], 0u);
    EXPECT_EQ(clears[1] - clears[0] - 1, static_cast<size_t>(4096 - 258 + 1));
}

TEST_F(ImgGif, DataSubBlocksAreFullExceptTheLast)
{
    std::mt19937 gen(3);
    std::vector<Rgb> px;
    for (int i = 0; i < 60 * 40; i++) px.push_back(color_number(static_cast<int>(gen() % 16)));
    Image im;
    make_truecolor(&im.r, 60, 40, px);
    ASSERT_EQ(GIF_write(dir.file("s.gif").c_str(), &im.r), 1);
    const std::string gif = read_file(dir.file("s.gif"));
    const std::vector<int> sizes = sub_blocks(gif, layout_of(gif).code_size);
    ASSERT_GE(sizes.size(), 3u);
    EXPECT_EQ(sizes.back(), 0);
    for (size_t i = 0; i + 2 < sizes.size(); i++) EXPECT_EQ(sizes[i], 254) << i;
    EXPECT_GT(sizes[sizes.size() - 2], 0);
    EXPECT_LE(sizes[sizes.size() - 2], 254);
}

TEST_F(ImgGif, CommentLineHeaderOnlyAndLocalColourTables)
{
    const std::vector<Rgb> px = pattern(9, 7, 5);
    Image im;
    make_truecolor(&im.r, 9, 7, px);
    ASSERT_EQ(GIF_write(dir.file("g.gif").c_str(), &im.r), 1);
    const std::string gif = read_file(dir.file("g.gif"));

    write_file(dir.file("c.gif"), "** made for the loop window\n" + gif);
    Image a;
    ASSERT_EQ(IMG_read(dir.file("c.gif").c_str(), &a.r, 0), 1);
    EXPECT_EQ(record_rgb(a.r), px);

    Image hdr;
    ASSERT_EQ(IMG_read(dir.file("g.gif").c_str(), &hdr.r, 1), 1);
    EXPECT_EQ(hdr.r.width, 9);
    EXPECT_EQ(hdr.r.height, 7);
    EXPECT_EQ(hdr.r.depth, 8);
    EXPECT_EQ(hdr.r.bits_pixel, 8);  // one byte a pixel, as the pixel area holds them
    EXPECT_EQ(hdr.r.data, nullptr);
    EXPECT_EQ(hdr.r.colors, nullptr);

    // A local table of two red entries after the descriptor: the global colours stay.
    const Layout l = layout_of(gif);
    std::string local = gif;
    local[l.descriptor + 9] = static_cast<char>(0x80);  // local table of 2 entries
    local.insert(l.descriptor + 10, std::string("\xff\0\0\xff\0\0", 6));
    write_file(dir.file("l.gif"), local);
    Image b;
    ASSERT_EQ(GIF_read(dir.file("l.gif").c_str(), &b.r, 0), 1);
    EXPECT_EQ(record_rgb(b.r), px);

    // Without a global table the local one gives the colours.
    std::string only = gif.substr(0, 10) + std::string(1, '\0') + gif.substr(11, 2) +
                       gif.substr(13 + 3 * l.entries, l.descriptor + 9 - 13 - 3 * l.entries) +
                       std::string(1, static_cast<char>(0x80 | (l.packed & 7))) +
                       gif.substr(13, 3 * l.entries) + gif.substr(l.descriptor + 10);
    write_file(dir.file("o.gif"), only);
    Image c;
    ASSERT_EQ(GIF_read(dir.file("o.gif").c_str(), &c.r, 0), 1);
    EXPECT_EQ(c.r.num_colors, l.entries);
    EXPECT_EQ(record_rgb(c.r), px);
    EXPECT_EQ(magick_rgb(dir.file("o.gif"), 0), px);
}

TEST_F(ImgGif, ExtensionsArePassedOverByTheirLengths)
{
    const std::vector<Rgb> px = pattern(11, 6, 7);
    write_ppm(dir.file("src.ppm"), 11, 6, px);
    write_ppm(dir.file("src2.ppm"), 11, 6, pattern(11, 6, 3));
    ASSERT_EQ(run("cd " + quote(dir.path()) + " && convert src.ppm -comment 'a,b,,c' c.gif && " +
                  "convert -delay 10 -loop 0 src.ppm src2.ppm anim.gif")
                  .status, 0);
    for (const char *name : {"c.gif", "anim.gif"}) {
        Image im;
        ASSERT_EQ(IMG_read(dir.file(name).c_str(), &im.r, 0), 1) << name;
        EXPECT_EQ(record_rgb(im.r), px) << name;
    }

    // By hand: a comment of two sub-blocks and an unknown extension, both full of image
    // separators, a graphic control block and an application block before the image.
    Image im;
    make_truecolor(&im.r, 11, 6, px);
    ASSERT_EQ(GIF_write(dir.file("g.gif").c_str(), &im.r), 1);
    const std::string gif = read_file(dir.file("g.gif"));
    const Layout l = layout_of(gif);
    const std::string ext = std::string("\x21\xFE\x03,,,\x02,,\0", 10) +
                            std::string("\x21\x01\x05,,,,,\0", 9) +
                            std::string("\x21\xF9\x04\x05\x0a\x00\x01\0", 8) +
                            std::string("\x21\xFFNETSCAPE2.0", 2 + 11).insert(2, "\x0b") +
                            std::string("\x03\x01\x00\x00\0", 5);
    write_file(dir.file("e.gif"), gif.substr(0, l.descriptor) + ext + gif.substr(l.descriptor));
    Image back;
    ASSERT_EQ(GIF_read(dir.file("e.gif").c_str(), &back.r, 0), 1);
    EXPECT_EQ(record_rgb(back.r), px);
    EXPECT_EQ(magick_rgb(dir.file("e.gif"), 0), px);
}

TEST_F(ImgGif, TransparentBackgroundColour)
{
    // The background's pixel value comes from the kernel; the extension names its entry when
    // the picture holds it, and is left out when it does not.
    const long background = gget_color_ind(-1);
    std::vector<Rgb> px = pattern(8, 8, 4);
    if (background >= 0)
        px[10] = {static_cast<int>((background >> 16) & 255),
                  static_cast<int>((background >> 8) & 255), static_cast<int>(background & 255)};
    Image im;
    make_truecolor(&im.r, 8, 8, px);
    GIF_transparent(1);
    ASSERT_EQ(GIF_write(dir.file("t.gif").c_str(), &im.r), 1);
    const std::string gif = read_file(dir.file("t.gif"));
    const Layout l = layout_of(gif);
    const size_t after_table = 13 + 3 * static_cast<size_t>(l.entries);
    if (background >= 0) {
        ASSERT_EQ(gif.substr(after_table, 6), std::string("\x21\xF9\x04\x01\x0a\x00", 6));
        EXPECT_EQ(static_cast<unsigned char>(gif[after_table + 6]), 4);  // its first appearance
    } else {
        EXPECT_EQ(gif[after_table], 0x2C);
    }
    GIF_transparent(0);
    ASSERT_EQ(GIF_write(dir.file("n.gif").c_str(), &im.r), 1);
    EXPECT_EQ(read_file(dir.file("n.gif"))[after_table], 0x2C);
}

TEST_F(ImgGif, IndexedAndLowDepthRecords)
{
    // 8-bit indices with a table (and one index beyond it, written black, the record's own
    // byte left as it was), 4-bit.
    struct Case {
        const char *layout;
        int w, h, depth, bytes_line, colors;
        std::vector<std::pair<int, IMG_color>> table;
        std::vector<unsigned char> data;
        std::vector<Rgb> want;
    } cases[] = {
        {"indexed", 4, 1, 8, 4, 2, {{0, {0, 1, 0}}, {1, {1, 1, 1}}}, {1, 0, 9, 1},
         {{255, 255, 255}, {0, 255, 0}, {0, 0, 0}, {255, 255, 255}}},
        {"4-bit", 3, 2, 4, 2, 16, {{3, {1, 0, 0}}, {12, {0, 0, 1}}}, {0x3c, 0x30, 0xc3, 0xc0},
         {{255, 0, 0}, {0, 0, 255}, {255, 0, 0}, {0, 0, 255}, {255, 0, 0}, {0, 0, 255}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.layout);
        Image im;
        vyktest::set_pixels(&im.r, c.w, c.h, c.depth, c.depth, c.bytes_line, c.data);
        vyktest::set_table(&im.r, c.colors, c.table);
        const std::string file = dir.file(std::string(c.layout) + ".gif");
        ASSERT_EQ(GIF_write(file.c_str(), &im.r), 1);
        EXPECT_EQ(magick_rgb(file, 0), c.want);
        EXPECT_EQ(std::vector<unsigned char>(im.r.data, im.r.data + c.data.size()), c.data);
    }
}

TEST_F(ImgGif, FilesWithoutAnImageAndImagesBeyondTheScreen)
{
    // Screen descriptor with a two-entry table, then only the trailer.
    const std::string head = std::string("GIF89a\x04\0\x03\0\x80\0\0", 13) +
                             std::string("\xff\0\0\0\xff\0", 6);
    write_file(dir.file("empty.gif"), head + ";");
    Image a;
    ASSERT_EQ(GIF_read(dir.file("empty.gif").c_str(), &a.r, 0), 1);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(a.r.data), 12), std::string(12, '\0'));

    // An image of 6 x 2 on a screen of 4 x 3: what lies beyond the screen is dropped.  Codes
    // (3 bits): clear, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, end, packed by hand.
    Image src;
    std::vector<Rgb> px(12, Rgb{0, 255, 0});
    for (int i = 6; i < 12; i++) px[i] = {255, 0, 0};
    make_truecolor(&src.r, 6, 2, px);
    ASSERT_EQ(GIF_write(dir.file("six.gif").c_str(), &src.r), 1);
    const std::string six = read_file(dir.file("six.gif"));
    const Layout l = layout_of(six);
    write_file(dir.file("wide.gif"), head + six.substr(l.descriptor));
    Image b;
    ASSERT_EQ(GIF_read(dir.file("wide.gif").c_str(), &b.r, 0), 1);
    EXPECT_EQ(b.r.width, 4);
    EXPECT_EQ(b.r.height, 3);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(b.r.data), 12),
              std::string("\0\0\0\0\1\1\1\1\0\0\0\0", 12));
}

TEST_F(ImgGif, BrokenFilesFail)
{
    const std::vector<Rgb> px = pattern(40, 30, 64);
    Image im;
    make_truecolor(&im.r, 40, 30, px);
    ASSERT_EQ(GIF_write(dir.file("ok.gif").c_str(), &im.r), 1);
    const std::string gif = read_file(dir.file("ok.gif"));
    const Layout l = layout_of(gif);
    struct Case {
        std::string what, bytes, message;
    };
    std::vector<Case> cases = {
        {"empty", "", "Not a GIF file"},
        {"not gif", "GIT89a" + gif.substr(6), "Not a GIF file"},
        {"short screen", gif.substr(0, 9), "File ends early"},
        {"short table", gif.substr(0, 100), "File ends early"},
        {"short descriptor", gif.substr(0, l.descriptor + 5), "File ends early"},
        {"no code size", gif.substr(0, l.code_size), "File ends early"},
        {"short data", gif.substr(0, gif.size() / 2), "Image data ends early"},
        {"no data", gif.substr(0, l.code_size + 1) + std::string("\0;", 2),
         "Image data ends early"},
        {"code size 12", gif.substr(0, l.code_size) + "\x0c" + gif.substr(l.code_size + 1),
         "Invalid code size"},
        {"zero screen", gif.substr(0, 6) + std::string("\0\0\0\0", 4) + gif.substr(10),
         "Invalid image size"},
        {"short extension", gif.substr(0, l.descriptor) + std::string("\x21\xFE\x10" "abc", 6),
         "File ends early"},
    };
    // Seven-bit codes (code size 6): the clear code, a root, then a code far above the next
    // free code.
    std::string bad_codes = gif.substr(0, l.code_size) + "\x06";
    {
        const int codes[3] = {64, 1, 120};
        uint32_t acc = 0;
        int bits = 0;
        std::string data;
        for (int c : codes) {
            acc |= static_cast<uint32_t>(c) << bits;
            bits += 7;
            while (bits >= 8) {
                data += static_cast<char>(acc & 255);
                acc >>= 8;
                bits -= 8;
            }
        }
        if (bits) data += static_cast<char>(acc);
        bad_codes += static_cast<char>(data.size()) + data + std::string("\0;", 2);
    }
    cases.push_back({"code above next free", bad_codes, "Image data ends early"});
    for (const Case &c : cases) {
        write_file(dir.file("bad.gif"), c.bytes);
        Image b;
        CaptureStdio cap;
        EXPECT_EQ(GIF_read(dir.file("bad.gif").c_str(), &b.r, 0), 0) << c.what;
        IMG_free(&b.r);
        EXPECT_EQ(IMG_read(dir.file("bad.gif").c_str(), &b.r, 0), 0) << c.what;
        cap.finish();
        EXPECT_EQ(b.r.data, nullptr) << c.what;
        EXPECT_NE(cap.err().find(c.message), std::string::npos) << c.what << ": " << cap.err();
    }
}

TEST_F(ImgGif, FilesMadeByGifsicleAreRead)
{
    // Sources written here; gifsicle rewrites them with its own encoder and extensions.  The
    // second picture's 200 colours do not fit beside the first's 150, so gifsicle gives the
    // later frames local colour tables.
    const int w = 23, h = 19;
    const std::vector<Rgb> px = pattern(w, h, 150);
    std::vector<Rgb> other;
    for (int i = 0; i < w * h; i++) {
        const int k = i % 200;
        other.push_back({k * 11 % 256, (k * 29 + 100) % 256, (k * 71 + 3) % 256});
    }
    Image a, c;
    make_truecolor(&a.r, w, h, px);
    make_truecolor(&c.r, w, h, other);
    GIF_interlace(0);
    const std::string first = dir.file("a.gif"), second = dir.file("c.gif");
    ASSERT_EQ(GIF_write(first.c_str(), &a.r), 1);
    ASSERT_EQ(GIF_write(second.c_str(), &c.r), 1);
    const std::string two = quote(first) + " " + quote(second) + " " + quote(second);

    struct Case {
        const char *what, *options, *shown;
        bool frames;
    };
    const Case cases[] = {
        {"interlaced", "-i", "interlaced", false},
        {"comment", "-c 'made by gifsicle'", "comment made by gifsicle", false},
        {"loop forever", "-l", "loop forever", false},
        {"loop count", "--loopcount=3", "loop count 3", false},
        {"local colour tables", "", "local color table", true},
        {"everything", "-i -l -c 'made by gifsicle'", "local color table", true},
    };
    for (const Case &k : cases) {
        const std::string out = dir.file("g.gif");
        const auto made = run(std::string("gifsicle ") + k.options + " " +
                              (k.frames ? two : quote(first)) + " > " + quote(out));
        ASSERT_EQ(made.status, 0) << k.what << ": " << made.err;
        const auto info = run("gifsicle --info " + quote(out));
        ASSERT_NE(info.out.find(k.shown), std::string::npos) << k.what << ":\n" << info.out;
        Image back;
        ASSERT_EQ(GIF_read(out.c_str(), &back.r, 0), 1) << k.what;
        EXPECT_EQ(back.r.width, w) << k.what;
        EXPECT_EQ(back.r.height, h) << k.what;
        EXPECT_EQ(record_rgb(back.r), px) << k.what;
        Image sniffed;
        ASSERT_EQ(IMG_read(out.c_str(), &sniffed.r, 0), 1) << k.what;
        EXPECT_EQ(record_rgb(sniffed.r), px) << k.what;
    }

    // The second frame, cut out of the file where its colours were a local table, is read with
    // its own colours.
    const std::string frames = dir.file("f.gif"), cut = dir.file("cut.gif");
    ASSERT_EQ(run("gifsicle " + two + " > " + quote(frames)).status, 0);
    ASSERT_EQ(run("gifsicle " + quote(frames) + " '#1' > " + quote(cut)).status, 0);
    Image one;
    ASSERT_EQ(GIF_read(cut.c_str(), &one.r, 0), 1);
    EXPECT_EQ(record_rgb(one.r), other);
}
