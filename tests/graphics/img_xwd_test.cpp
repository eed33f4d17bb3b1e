// XWD files: dumps written here are read by netpbm's xwdtopnm and ImageMagick, dumps of the
// real xwd program (the test X server's root window) are read here, written dumps are shown by
// xwud and read back field for field, and broken or hostile dumps are refused with their messages.
#include <gtest/gtest.h>

#include "test_util.h"

#include "gks.h"
#include "img.h"
#include "image_util.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

using vyktest::parse_ppm;
using vyktest::magick_rgb;
using vyktest::CaptureStdio;
using vyktest::PrivateX;
using vyktest::TempDir;
using vyktest::quote;
using vyktest::read_file;
using vyktest::run;
using vyktest::write_file;
using Image = vyktest::ImageRecord;
using vyktest::Rgb;
using vyktest::be32;

namespace {

/// A PseudoColor record: 8-bit indices into a three-colour table, rows padded to 8 bytes.
void make_indexed(IMG_report *im)
{
    std::vector<unsigned char> data(24);
    for (int y = 0; y < 3; y++)
        for (int x = 0; x < 6; x++) data[y * 8 + x] = static_cast<unsigned char>((x + y) % 3);
    vyktest::set_pixels(im, 6, 3, 8, 8, 8, data);
    vyktest::set_table(im, 3, {{0, {1, 1, 1}}, {1, {1, 0, 0}}, {2, {0, 0.4f, 1}}});
    std::snprintf(im->info, sizeof im->info, "xwdump");
}

/// A TrueColor record of 4-byte pixels whose colours follow their column and row.
void make_truecolor(IMG_report *im, int w, int h)
{
    std::vector<Rgb> px;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) px.push_back({(255 - x) & 255, (y * 30) & 255, (x * 20) & 255});
    vyktest::make_truecolor(im, w, h, px);
    std::snprintf(im->info, sizeof im->info, "truecolour window");
}

/// A dump header with the given fields changed from a small 8-bit PseudoColor dump.
std::string header(std::vector<std::pair<int, uint32_t>> changes)
{
    uint32_t f[25] = {100 + 5, 7, 2, 8, 4, 2, 0, 1, 32, 1, 32, 8, 4, 3, 0, 0, 0, 8, 2, 2, 4, 2,
                      0, 0, 0};
    for (auto [i, v] : changes) f[i] = v;
    std::string s;
    for (uint32_t v : f) s += be32(v);
    return s;
}

std::string color_entry(uint32_t pixel, int r, int g, int b)
{
    std::string s = be32(pixel);
    for (int c : {r, g, b}) {
        s += static_cast<char>(c >> 8);
        s += static_cast<char>(c);
    }
    return s + std::string("\x07\0", 2);
}

class ImgXwd : public ::testing::Test {
protected:
    TempDir dir;
};

}  // namespace

TEST_F(ImgXwd, WrittenDumpsAreReadByNetpbmAndImageMagick)
{
    Image a, b;
    make_indexed(&a.r);
    make_truecolor(&b.r, 13, 7);
    for (IMG_report *im : {&a.r, &b.r}) {
        const std::string file = dir.file("w.xwd");
        ASSERT_EQ(XWD_write(file.c_str(), im), 1);
        std::vector<Rgb> want;
        for (int y = 0; y < im->height; y++)
            for (int x = 0; x < im->width; x++) want.push_back(vyktest::record_rgb(*im, x, y));

        const auto pnm = run("xwdtopnm " + quote(file));
        ASSERT_EQ(pnm.status, 0) << pnm.err;
        const vyktest::RgbImage netpbm = parse_ppm(pnm.out);
        EXPECT_EQ(netpbm.rgb(), want) << im->info;
        EXPECT_EQ(netpbm.width, im->width);
        EXPECT_EQ(netpbm.height, im->height);
        EXPECT_EQ(magick_rgb("xwd:" + file), want) << im->info;
    }
}

TEST_F(ImgXwd, WrittenDumpReadsBackFieldForField)
{
    Image a, b;
    make_indexed(&a.r);
    make_truecolor(&b.r, 13, 7);
    for (IMG_report *im : {&a.r, &b.r}) {
        const std::string file = dir.file("r.xwd");
        ASSERT_EQ(XWD_write(file.c_str(), im), 1);
        const std::string bytes = read_file(file);
        EXPECT_EQ(bytes.substr(0, 4), be32(100 + static_cast<uint32_t>(std::strlen(im->info)) + 1));
        Image back;
        back.r.depth = 32;
        ASSERT_EQ(XWD_read(file.c_str(), &back.r, 0), 1);
        EXPECT_STREQ(back.r.info, im->info);
        EXPECT_EQ(back.r.width, im->width);
        EXPECT_EQ(back.r.height, im->height);
        EXPECT_EQ(back.r.depth, im->depth);
        EXPECT_EQ(back.r.bits_pixel, im->bits_pixel);
        EXPECT_EQ(back.r.bytes_line, im->bytes_line);
        EXPECT_EQ(back.r.byte_order, im->byte_order);
        EXPECT_EQ(back.r.color_type, im->color_type);
        EXPECT_EQ(back.r.num_colors, im->num_colors);
        if (im->color_type == 0) {
            EXPECT_EQ(back.r.red, im->red);
            EXPECT_EQ(back.r.grn, im->grn);
            EXPECT_EQ(back.r.blu, im->blu);
        }
        for (int i = 0; i < im->num_colors; i++) {
            EXPECT_NEAR(back.r.colors[i].r, im->colors[i].r, 1e-4f);
            EXPECT_NEAR(back.r.colors[i].g, im->colors[i].g, 1e-4f);
            EXPECT_NEAR(back.r.colors[i].b, im->colors[i].b, 1e-4f);
        }
        EXPECT_EQ(std::memcmp(back.r.data, im->data,
                              static_cast<size_t>(im->bytes_line) * im->height), 0);
    }
    // The name "xwdump" makes a header of 107 bytes.
    ASSERT_EQ(XWD_write(dir.file("x.xwd").c_str(), &a.r), 1);
    EXPECT_EQ(read_file(dir.file("x.xwd")).substr(0, 4), be32(107));
}

TEST_F(ImgXwd, DumpOfTheRealXwdProgramIsRead)
{
    const std::string file = dir.file("root.xwd");
    const auto dump = run("xwd -root -silent > " + quote(file));
    ASSERT_EQ(dump.status, 0) << "needs an X server: " << dump.err;
    const auto pnm = run("xwdtopnm " + quote(file));
    ASSERT_EQ(pnm.status, 0) << pnm.err;
    const vyktest::RgbImage netpbm = parse_ppm(pnm.out);
    const int w = netpbm.width, h = netpbm.height;
    const std::vector<Rgb> want = netpbm.rgb();
    ASSERT_FALSE(want.empty());

    Image im;
    im.r.depth = 32;
    ASSERT_EQ(XWD_read(file.c_str(), &im.r, 0), 1);
    EXPECT_STREQ(im.r.info, "xwdump");
    ASSERT_EQ(im.r.width, w);
    ASSERT_EQ(im.r.height, h);
    ASSERT_EQ(im.r.color_type, 0) << "a TrueColor screen is expected";
    int bad = 0;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
            if (!(vyktest::record_rgb(im.r, x, y) == want[static_cast<size_t>(y) * w + x])) bad++;
    EXPECT_EQ(bad, 0);

    // Through the sniffing reader: a header-only read accepts any depth; a whole read accepts
    // what the open window can show.
    Image hdr;
    ASSERT_EQ(IMG_read(file.c_str(), &hdr.r, 1), 1);
    EXPECT_EQ(hdr.r.width, w);
    ASSERT_EQ(gopen_gks(nullptr, 0), 0);
    ASSERT_EQ(gopen_ws(1, "", GWS_X11), 0);
    Image whole;
    EXPECT_EQ(IMG_read(file.c_str(), &whole.r, 0), 1);
    EXPECT_EQ(whole.r.height, h);
    gclose_ws(1);
    gclose_gks();
}

TEST_F(ImgXwd, DumpsThatAreRefused)
{
    const std::string name = std::string("abcd", 5);
    const std::string map = color_entry(0, 0, 0, 0) + color_entry(1, 65535, 0, 0);
    const std::string pixels(8, '\1');
    struct Case {
        const char *what;
        std::string bytes;
        int depth;
        const char *message;
    } cases[] = {
        {"version 6", header({{1, 6}}) + name + map + pixels, 32,
         "XWD file format version mismatch"},
        {"too deep", header({{3, 24}, {11, 32}, {12, 16}}) + name + map + pixels, 8,
         "Incorrect depth: 24 > 8"},
        {"small header", header({{0, 60}}) + name, 32, "XWD header size is too small."},
        {"short header", header({}).substr(0, 70), 32, "Unable to read dump file header"},
        {"short name", header({{0, 100 + 4000}}) + name, 32,
         "Unable to read window name from dump file."},
        {"short map", header({}) + name + map.substr(0, 20), 32,
         "Unable to read color map from dump file."},
        {"short pixels", header({}) + name + map + pixels.substr(0, 5), 32,
         "Unable to read pixmap from dump file."},
        {"narrow rows", header({{12, 3}}) + name + map + pixels, 32, "Invalid image size"},
        {"no width", header({{4, 0}}) + name + map + pixels, 32, "Invalid image size"},
        {"huge", header({{4, 0x10000000}, {5, 0x10000000}, {12, 0x10000000}}) + name, 32,
         "Invalid image size"},
        {"wrapping rows", header({{4, 0x7fffffff}, {12, 0x80000000}}) + name, 32,
         "Invalid image size"},
        {"odd bits", header({{11, 7}}) + name + map + pixels, 32, "pixel layout not supported"},
        {"many colours", header({{19, 0x40000000}}) + name, 32, "colour map is too large"},
        {"planes", header({{2, 1}}) + name + map + pixels, 32, "pixmap format not supported"},
    };
    for (const Case &c : cases) {
        write_file(dir.file("bad.xwd"), c.bytes);
        Image im;
        im.r.depth = c.depth;
        CaptureStdio cap;
        EXPECT_EQ(XWD_read(dir.file("bad.xwd").c_str(), &im.r, 0), 0) << c.what;
        cap.finish();
        EXPECT_NE(cap.err().find(c.message), std::string::npos) << c.what << ": " << cap.err();
        IMG_free(&im.r);
    }
}

TEST_F(ImgXwd, LongNamesAreCutAndStrayColourEntriesSkipped)
{
    const std::string name = std::string(200, 'n') + std::string(1, '\0');
    // Two entries: pixel 1 belongs to the table of two, pixel 300 does not.
    const std::string map = color_entry(300, 65535, 65535, 65535) + color_entry(1, 0, 65535, 0);
    write_file(dir.file("odd.xwd"), header({{0, 100 + 201}}) + name + map + std::string(8, '\1'));
    Image im;
    im.r.depth = 8;
    ASSERT_EQ(XWD_read(dir.file("odd.xwd").c_str(), &im.r, 0), 1);
    EXPECT_EQ(std::string(im.r.info), std::string(IMG_INFO_LEN - 1, 'n'));
    ASSERT_EQ(im.r.num_colors, 2);
    EXPECT_FLOAT_EQ(im.r.colors[0].r, 0);  // untouched: the stray entry went nowhere
    EXPECT_FLOAT_EQ(im.r.colors[1].g, 1);
    EXPECT_EQ(im.r.width, 4);
    EXPECT_EQ(im.r.data[7], 1);
}

TEST_F(ImgXwd, WriterFailures)
{
    Image empty;
    Image fine;
    make_indexed(&fine.r);
    write_file(dir.file("plain"), "a file");
    CaptureStdio cap;
    EXPECT_EQ(XWD_write(dir.file("e.xwd").c_str(), &empty.r), 0);
    EXPECT_EQ(XWD_write(dir.file("plain/x.xwd").c_str(), &fine.r), 0);
    EXPECT_EQ(XWD_dump(dir.file("d.xwd").c_str()), 0);  // no window to capture
    cap.finish();
    EXPECT_NE(cap.err().find("XWD_write: No image to write"), std::string::npos);
    EXPECT_NE(cap.err().find("Unable to open dump file"), std::string::npos);
}

TEST_F(ImgXwd, WrittenDumpsAreShownByXwud)
{
    PrivateX x;
    ASSERT_FALSE(x.name().empty()) << "Xvfb could not be started";
    Image a, b;
    make_indexed(&a.r);
    make_truecolor(&b.r, 40, 30);
    std::snprintf(a.r.info, sizeof a.r.info, "xwud indexed");
    std::snprintf(b.r.info, sizeof b.r.info, "xwud truecolour");
    for (IMG_report *im : {&a.r, &b.r}) {
        const std::string file = dir.file("show.xwd");
        ASSERT_EQ(XWD_write(file.c_str(), im), 1);
        // The viewer names its window "xwud: " and the name in the dump.
        const auto start = run("xwud -in " + quote(file) + " >/dev/null 2>&1 & echo $!");
        ASSERT_EQ(start.status, 0) << start.err;
        const int pid = std::atoi(start.out.c_str());
        ASSERT_GT(pid, 0);
        const auto found = run("timeout 30 xdotool search --sync --onlyvisible --name " +
                               quote(std::string("^xwud: ") + im->info + "$"));
        const std::string win = found.out.substr(0, found.out.find('\n'));
        EXPECT_EQ(found.status, 0) << im->info << ": no window appeared " << found.err;
        if (found.status == 0 && !win.empty()) {
            // The window may be mapped before its first exposure is painted: look again then.
            int w = 0, h = 0, bad = -1;
            for (int attempt = 0; attempt < 200 && bad != 0; attempt++) {
                if (attempt) usleep(100000);
                const auto shot = run("xwd -id " + win + " -silent | xwdtopnm");
                ASSERT_EQ(shot.status, 0) << shot.err;
                const vyktest::RgbImage shown = parse_ppm(shot.out);
                const std::vector<Rgb> seen = shown.rgb();
                w = shown.width;
                h = shown.height;
                if (w != im->width || h != im->height) continue;
                bad = 0;
                for (int y = 0; y < h; y++)
                    for (int xx = 0; xx < w; xx++) {
                        const Rgb want = vyktest::record_rgb(*im, xx, y);
                        const Rgb got = seen[static_cast<size_t>(y) * w + xx];
                        if (std::abs(want.r - got.r) > 1 || std::abs(want.g - got.g) > 1 ||
                            std::abs(want.b - got.b) > 1)
                            bad++;
                    }
            }
            EXPECT_EQ(w, im->width) << im->info;
            EXPECT_EQ(h, im->height) << im->info;
            EXPECT_EQ(bad, 0) << im->info;
        }
        kill(pid, SIGTERM);
    }
}
