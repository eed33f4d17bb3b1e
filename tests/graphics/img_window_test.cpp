// Window images: indexed images drawn into the window on 24-bit TrueColor and 8-bit
// PseudoColor screens (checked in xwd captures converted by ImageMagick), overlays with a
// transparent background, the capture of the window (written as PNG, equal to an xwd capture),
// the save-image types, the pixel areas of unconverted depths and bad sizes, and images in
// PostScript output rendered by ghostscript.
#include <gtest/gtest.h>

#include "test_util.h"

#include "gks.h"
#include "gks_x11.h"
#include "gks_internal.h"
#include "vyk.h"
#include "vykgks.h"
#include "img.h"
#include "image_util.h"

#include <X11/Xutil.h>

#include <cctype>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using vyktest::CaptureStdio;
using vyktest::quote;
using vyktest::run;
using vyktest::TempDir;

namespace {

using vyktest::PrivateX;
using vyktest::Rgb;

constexpr Rgb RED = {255, 0, 0}, GREEN = {0, 255, 0}, BLUE = {0, 0, 255}, WHITE = {255, 255, 255};

using Picture = vyktest::RgbImage;

// A picture file read through ImageMagick.
Picture read_ppm(const std::string &path) { return vyktest::read_picture(path); }

// What the X server shows in the kernel's window, captured by xwd and converted by ImageMagick.
Picture capture_window(const std::string &display)
{
    return vyktest::capture_xwd(gget_root_window(), display);
}

// An indexed 8-bit image: the colour table's entries and one byte a pixel from `pixel(x, y)`.
template <typename F>
void make_indexed(IMG_report &image, int width, int height, const std::vector<Rgb> &table,
                  F pixel)
{
    IMG_init(&image);
    image.width = width;
    image.height = height;
    image.depth = 8;
    image.bits_pixel = 8;
    image.bytes_line = width;
    image.color_type = 1;
    image.num_colors = static_cast<int>(table.size());
    image.colors = static_cast<IMG_color *>(std::malloc(table.size() * sizeof(IMG_color)));
    for (size_t i = 0; i < table.size(); i++)
        image.colors[i] = {table[i].r / 255.0f, table[i].g / 255.0f, table[i].b / 255.0f};
    image.data = static_cast<unsigned char *>(std::malloc(static_cast<size_t>(width) * height));
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++)
            image.data[y * width + x] = static_cast<unsigned char>(pixel(x, y));
}

// 40 x 30: the left half red, the right half green above and blue below; column 5 holds the
// value 5, beyond the three-entry table, which counts as entry 0 (red).
void test_picture(IMG_report &image)
{
    make_indexed(image, 40, 30, {RED, GREEN, BLUE}, [](int x, int y) {
        if (x == 5) return 5;
        return x < 20 ? 0 : (y < 15 ? 1 : 2);
    });
}

void open_window(const std::string &display)
{
    ASSERT_EQ(gopen_gks(nullptr, 0), 0);
    ASSERT_EQ(gopen_ws(1, display.c_str(), GWS_X11), 0);
    // A viewport that does not start at the window's corner.
    const Glim vp = {0.1f, 0.9f, 0.1f, 0.7f};
    gset_vp(1, &vp);
    gsel_norm_tran(1);
}

Rgb background_rgb()
{
    int r = 0, g = 0, b = 0;
    gget_color_rgb256(-1, &r, &g, &b);
    return {r, g, b};
}

// The screens the window tests run on: 24-bit TrueColor and 8-bit PseudoColor.
class ImgWindowScreen : public ::testing::TestWithParam<const char *> {
protected:
    void SetUp() override
    {
        server_ = std::make_unique<PrivateX>(GetParam(), false);
        ASSERT_FALSE(server_->name().empty()) << "Xvfb did not start";
        open_window(server_->name());
        deep_ = std::string(GetParam()).find("x24") != std::string::npos;
        ASSERT_EQ(gget_win_depth(), deep_ ? 24 : 8);
    }
    void TearDown() override
    {
        if (gchk_graphics()) {
            gclose_ws(1);
            gclose_gks();
        }
        server_.reset();
    }
    std::unique_ptr<PrivateX> server_;
    bool deep_ = true;
    TempDir dir_;
};

}  // namespace

TEST_P(ImgWindowScreen, IndexedImageLandsAtViewportPlacesInItsColours)
{
    XRectangle vp;
    gget_xviewport(&vp);
    ASSERT_GT(vp.width, 100);
    IMG_report top, corner;
    test_picture(top);
    test_picture(corner);
    const std::vector<unsigned char> before(top.data, top.data + 40 * 30);

    gload_image(&top, 10, 20);           // from the viewport's top-left corner
    gload_image(&corner, -10, -10);      // from its bottom-right corner
    gupdate_window();
    const Picture pic = capture_window(server_->name());
    ASSERT_GT(pic.width, 0);

    const int tx = vp.x + 10, ty = vp.y + 20;
    const int cx = vp.x + vp.width - 10 - 40, cy = vp.y + vp.height - 10 - 30;
    for (auto [x, y] : {std::pair{tx, ty}, std::pair{cx, cy}}) {
        SCOPED_TRACE(std::to_string(x) + "," + std::to_string(y));
        EXPECT_EQ(pic.at(x, y), RED);
        EXPECT_EQ(pic.at(x + 5, y + 3), RED);  // the value beyond the table
        EXPECT_EQ(pic.at(x + 39, y), GREEN);
        EXPECT_EQ(pic.at(x + 25, y + 14), GREEN);
        EXPECT_EQ(pic.at(x + 25, y + 15), BLUE);
        EXPECT_EQ(pic.at(x + 39, y + 29), BLUE);
        // Nothing drawn around the image.
        EXPECT_EQ(pic.at(x - 1, y), background_rgb());
        EXPECT_EQ(pic.at(x + 40, y + 29), background_rgb());
        EXPECT_EQ(pic.at(x, y + 30), background_rgb());
    }

    if (deep_) {
        // TrueColor: the palette is converted, the record's pixels stay as they are.
        EXPECT_TRUE(std::equal(before.begin(), before.end(), top.data));
    } else {
        // Colour-mapped: the pixels became workstation pixels, one for each colour.
        const std::set<unsigned char> pixels(top.data, top.data + 40 * 30);
        EXPECT_EQ(pixels.size(), 3u);
        EXPECT_EQ(top.data[5], top.data[0]);
    }
    IMG_free(&top);
    IMG_free(&corner);
}

TEST_P(ImgWindowScreen, OverlayKeepsTheWindowUnderTheBackgroundColour)
{
    // Each background name on a fresh green square: the colour-table code and an X colour name.
    int x = 0;
    for (const char *background : {"#ffffff", "white"}) {
        SCOPED_TRACE(background);
        IMG_report square, overlay;
        make_indexed(square, 20, 20, {GREEN}, [](int, int) { return 0; });
        make_indexed(overlay, 20, 20, {WHITE, BLUE}, [](int px, int py) {
            return px >= 5 && px < 15 && py >= 5 && py < 15 ? 1 : 0;
        });
        gload_image(&square, x, 0);
        goverlay_image(&overlay, background, x, 0);
        IMG_free(&square);
        IMG_free(&overlay);
        x += 30;
    }
    gupdate_window();
    const Picture pic = capture_window(server_->name());
    ASSERT_GT(pic.width, 0);
    XRectangle vp;
    gget_xviewport(&vp);
    for (int i = 0; i < 2; i++) {
        const int x0 = vp.x + 30 * i, y0 = vp.y;
        EXPECT_EQ(pic.at(x0, y0), GREEN) << i;
        EXPECT_EQ(pic.at(x0 + 19, y0 + 19), GREEN) << i;
        EXPECT_EQ(pic.at(x0 + 4, y0 + 10), GREEN) << i;
        EXPECT_EQ(pic.at(x0 + 5, y0 + 5), BLUE) << i;
        EXPECT_EQ(pic.at(x0 + 14, y0 + 14), BLUE) << i;
    }
}

TEST_P(ImgWindowScreen, CaptureWrittenAsPngEqualsTheXwdCapture)
{
    IMG_report picture;
    test_picture(picture);
    gload_image(&picture, 0, 0);
    IMG_free(&picture);
    gupdate_window();

    IMG_report cap;
    ASSERT_EQ(gget_image(&cap), 1);
    int w = 0, h = 0;
    gget_win_size(&w, &h);
    EXPECT_EQ(cap.width, w);
    EXPECT_EQ(cap.height, h);
    EXPECT_STREQ(cap.info, gget_win_title());
    EXPECT_GE(cap.bytes_line, cap.width * cap.bits_pixel / 8);
    if (deep_) {
        EXPECT_EQ(cap.depth, 24);
        EXPECT_EQ(cap.color_type, 0);
        EXPECT_EQ(cap.num_colors, 0);
        EXPECT_EQ(cap.red, 0xff0000u);
        EXPECT_EQ(cap.blu, 0xffu);
    } else {
        EXPECT_EQ(cap.depth, 8);
        EXPECT_EQ(cap.color_type, 1);
        EXPECT_EQ(cap.num_colors, 256);
        ASSERT_NE(cap.colors, nullptr);
    }

    const std::string ours = dir_.path() + "/ours.png", theirs = dir_.path() + "/xwd.png";
    ASSERT_EQ(PNG_write(ours.c_str(), &cap), 1);
    IMG_free(&cap);
    const std::string grab = "xwd -display " + server_->name() + " -id " +
                             std::to_string(gget_root_window()) + " -nobdrs -silent" +
                             " | convert xwd:- png:" + quote(theirs);
    ASSERT_EQ(run(grab).status, 0);
    const auto cmp = run("compare -metric AE " + quote(ours) + " " + quote(theirs) + " null:");
    EXPECT_EQ(cmp.err, "0") << cmp.out << cmp.err;

    // A window without a name.
    XStoreName(gget_display(), gget_root_window(), "");
    ASSERT_EQ(gget_image(&cap), 1);
    EXPECT_STREQ(cap.info, "xwdump");
    IMG_free(&cap);
}

INSTANTIATE_TEST_SUITE_P(ImgWindow, ImgWindowScreen,
                         ::testing::Values("1280x1024x24", "1024x768x8"),
                         [](const auto &info) {
                             return std::string(info.param).find("x24") != std::string::npos
                                        ? std::string("TrueColor24")
                                        : std::string("PseudoColor8");
                         });

// 24-bit images of 4- and 3-byte pixels in either byte order, with red in the high or the low
// byte, drawn opaque and overlaid on a 24-bit window: a white frame around a (200, 100, 30)
// centre, on top of green squares.
TEST(ImgWindow, DeepImagesOfEitherLayoutDrawAndOverlay)
{
    PrivateX server("1280x1024x24", false);
    ASSERT_FALSE(server.name().empty());
    open_window(server.name());
    struct Layout {
        int bytes, byte_order;
        bool red_low;
    };
    const Layout layouts[] = {{4, 1, false}, {4, 1, true}, {4, 0, false}, {4, 0, true},
                              {3, 1, false}, {3, 1, true}, {3, 0, false}, {3, 0, true}};
    constexpr Rgb CENTRE = {200, 100, 30};
    int x = 0;
    for (const Layout &l : layouts) {
        for (int overlay = 0; overlay < 2; overlay++, x += 15) {
            IMG_report square;
            make_indexed(square, 12, 12, {GREEN}, [](int, int) { return 0; });
            gload_image(&square, x, 0);
            IMG_free(&square);

            IMG_report image;
            IMG_init(&image);
            image.width = image.height = 12;
            image.depth = 24;
            image.bits_pixel = 8 * l.bytes;
            image.bytes_line = 12 * l.bytes + 4;  // padded rows
            image.byte_order = l.byte_order;
            const int rs = l.red_low ? 0 : 16, bs = l.red_low ? 16 : 0;
            image.red = 0xffu << rs;
            image.grn = 0xff00;
            image.blu = 0xffu << bs;
            image.data = static_cast<unsigned char *>(std::calloc(image.bytes_line * 12, 1));
            for (int py = 0; py < 12; py++)
                for (int px = 0; px < 12; px++) {
                    const bool frame = px < 2 || py < 2 || px >= 10 || py >= 10;
                    const Rgb c = frame ? WHITE : CENTRE;
                    const unsigned v = static_cast<unsigned>(c.r) << rs |
                                       static_cast<unsigned>(c.g) << 8 |
                                       static_cast<unsigned>(c.b) << bs;
                    unsigned char *p = image.data + py * image.bytes_line + px * l.bytes;
                    for (int k = 0; k < l.bytes; k++) {
                        const int shift = l.byte_order ? 8 * (l.bytes - 1 - k) : 8 * k;
                        p[k] = static_cast<unsigned char>(v >> shift);
                    }
                }
            if (overlay)
                goverlay_image(&image, "#ffffff", x, 0);
            else
                gload_image(&image, x, 0);
            IMG_free(&image);
        }
    }
    gupdate_window();
    TempDir dir;
    const Picture pic = capture_window(server.name());
    ASSERT_GT(pic.width, 0);
    XRectangle vp;
    gget_xviewport(&vp);
    x = 0;
    for (const Layout &l : layouts) {
        for (int overlay = 0; overlay < 2; overlay++, x += 15) {
            SCOPED_TRACE(std::to_string(l.bytes) + " bytes, order " +
                         std::to_string(l.byte_order) + (l.red_low ? ", red low" : "") +
                         (overlay ? ", overlay" : ""));
            const int x0 = vp.x + x, y0 = vp.y;
            EXPECT_EQ(pic.at(x0 + 5, y0 + 5), CENTRE);
            EXPECT_EQ(pic.at(x0 + 9, y0 + 9), CENTRE);
            EXPECT_EQ(pic.at(x0, y0), overlay ? GREEN : WHITE);
            EXPECT_EQ(pic.at(x0 + 11, y0 + 11), overlay ? GREEN : WHITE);
        }
    }
    gclose_ws(1);
    gclose_gks();
}

TEST(ImgWindow, SaveImageFileWritesTheSelectedType)
{
    PrivateX server("1280x1024x24", false);
    ASSERT_FALSE(server.name().empty());
    EXPECT_EQ(gget_save_image_type(), 56);  // GIF until another type is set
    open_window(server.name());
    TempDir dir;
    struct Case {
        int type;  // 0: left as it is
        std::string magic;
    };
    const Case cases[] = {{0, "GIF8"}, {58, "\x89PNG"}, {1, ""}};
    int w = 0, h = 0;
    gget_win_size(&w, &h);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.type);
        if (c.type) gset_save_image_type(c.type);
        const std::string file = dir.path() + "/save" + std::to_string(c.type);
        ASSERT_EQ(gsave_image_file(file.c_str()), 1);
        const std::string bytes = vyktest::read_file(file);
        if (!c.magic.empty()) {
            EXPECT_EQ(bytes.substr(0, c.magic.size()), c.magic);
        } else {
            // XWD: its reader brings the window back.
            IMG_report back;
            IMG_init(&back);
            back.depth = 32;
            ASSERT_EQ(XWD_read(file.c_str(), &back, 0), 1);
            EXPECT_EQ(back.width, w);
            EXPECT_EQ(back.height, h);
            IMG_free(&back);
        }
    }
    EXPECT_EQ(gget_save_image_type(), 1);
    gclose_ws(1);
    gclose_gks();
}

TEST(ImgWindow, UnconvertedDepthIsZeroFilledAndBadSizesAreRefused)
{
    PrivateX server("1280x1024x24", false);
    ASSERT_FALSE(server.name().empty());
    open_window(server.name());

    // A 16-bit image on a 24-bit window: an area of its own, zeros.
    IMG_report image;
    IMG_init(&image);
    image.width = 7;
    image.height = 5;
    image.depth = 16;
    image.bits_pixel = 16;
    image.bytes_line = 14;
    image.data = static_cast<unsigned char *>(std::malloc(14 * 5));
    std::memset(image.data, 0xff, 14 * 5);
    XImage xi;
    ASSERT_EQ(gset_ximage_params(&image, &xi), 1);
    ASSERT_NE(reinterpret_cast<unsigned char *>(xi.data), image.data);
    EXPECT_EQ(xi.bytes_per_line, 7 * 3);
    for (int i = 0; i < xi.bytes_per_line * xi.height; i++)
        ASSERT_EQ(xi.data[i], 0) << i;
    std::free(xi.data);

    // Records whose pixel area does not hold their rows: nothing is built or drawn.
    struct Bad {
        const char *what;
        int width, height, depth, bits_pixel, bytes_line;
    };
    const Bad bad[] = {
        {"8-bit rows shorter than the width", 14, 5, 8, 8, 10},
        {"24-bit rows shorter than the width", 7, 5, 24, 32, 14},
        {"width beyond any image", 70000, 5, 8, 8, 70000},
        {"no height", 7, 0, 8, 8, 7},
    };
    for (const Bad &b : bad) {
        SCOPED_TRACE(b.what);
        image.width = b.width;
        image.height = b.height;
        image.depth = b.depth;
        image.bits_pixel = b.bits_pixel;
        image.bytes_line = b.bytes_line;
        CaptureStdio cap;
        EXPECT_EQ(gset_ximage_params(&image, &xi), 0);
        EXPECT_EQ(gload_image(&image, 0, 0), 0);
        cap.finish();
        const std::string said = cap.out() + cap.err();
        EXPECT_NE(said.find("gset_ximage_params: Invalid image size"), std::string::npos)
            << said;
    }
    IMG_free(&image);
    gclose_ws(1);
    gclose_gks();
}

TEST(ImgWindow, NothingWithoutAWindow)
{
    IMG_report image;
    EXPECT_EQ(gget_image(&image), 0);
    EXPECT_EQ(image.data, nullptr);
    EXPECT_EQ(gload_image_file("/nonexistent.img", 0, 0), 0);
    EXPECT_EQ(goverlay_image_file("/nonexistent.img", nullptr, 0, 0), 0);
}

TEST(ImgWindow, ImageInPostScriptRendersInGhostscript)
{
    TempDir dir;
    const std::string ps = dir.path() + "/pic.ps", png = dir.path() + "/pic.ppm";
    const std::string own = dir.path() + "/pic.vyk";
    IMG_report image;
    make_indexed(image, 64, 48, {RED, GREEN, BLUE}, [](int x, int) { return x * 3 / 64; });
    ASSERT_EQ(IMG_write(own.c_str(), &image, 0), 1);

    CaptureStdio cap;
    ASSERT_EQ(gopen_gks(nullptr, 0), 0);
    ASSERT_EQ(gopen_ws(1, ps.c_str(), GWS_PS), 0);
    gload_image(&image, 0, 0);
    // The file form draws into PostScript as well.
    EXPECT_EQ(gload_image_file(own.c_str(), 0, 0), 1);
    gclose_ws(1);
    gclose_gks();
    cap.finish();
    IMG_free(&image);

    const std::string text = vyktest::read_file(ps);
    EXPECT_NE(text.find("readhexstring"), std::string::npos);
    const auto gs = run("gs -dSAFER -dBATCH -dNOPAUSE -q -sDEVICE=ppmraw -r72 -sOutputFile=" +
                        quote(png) + " " + quote(ps));
    ASSERT_EQ(gs.status, 0) << gs.out << gs.err;
    EXPECT_EQ(gs.err.find("Error"), std::string::npos) << gs.err;
    const Picture pic = read_ppm(png);
    ASSERT_GT(pic.width, 0);
    // One point a pixel: the 64 x 48 pixels of the image (both draws at the same place) are
    // the only marks on the page.
    long dark = 0;
    for (int y = 0; y < pic.height; y++)
        for (int x = 0; x < pic.width; x++)
            if (!(pic.at(x, y) == WHITE)) dark++;
    EXPECT_GE(dark, 64 * 48 * 9 / 10);
    EXPECT_LE(dark, 64 * 48 * 11 / 10);
}
