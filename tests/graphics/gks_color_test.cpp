// Colour representation: pixel values of defined colours on a 24-bit TrueColor screen and on an
// 8-bit PseudoColor screen (read-write cells recoloured in place, the read-only fallback when
// the colormap runs out), find-or-create with its tolerance and with a full table, the
// background and inverse video, the own colormap, and the file workstations.
#include <gtest/gtest.h>

#include "test_util.h"

#include "gks.h"
#include "gks_x11.h"
#include "gks_internal.h"
#include "kernel_util.h"
#include "vyk.h"
#include "vykgks.h"

#include <X11/Xutil.h>

#include <csignal>
#include <cstdlib>
#include <memory>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using vyktest::has;
using vyktest::count;
using vyktest::CaptureStdio;

namespace {

using vyktest::PrivateX;
using vyktest::define;
using vyktest::pixel_world;

struct DisplayCloser {
    void operator()(Display *d) const
    {
        if (d) XCloseDisplay(d);
    }
};
using DisplayPtr = std::unique_ptr<Display, DisplayCloser>;

// The colour a pixel shows in a colormap, as 16-bit components.
XColor query(Display *display, Colormap cmap, unsigned long pixel)
{
    XColor c{};
    c.pixel = pixel;
    XQueryColor(display, cmap, &c);
    return c;
}

unsigned short comp16(float v) { return static_cast<unsigned short>(65535.0f * v); }

// The TrueColor pixel of 8-bit-per-component masks 0xff0000, 0xff00, 0xff.
unsigned long true_pixel(float r, float g, float b)
{
    return static_cast<unsigned long>(comp16(r) >> 8) << 16 |
           static_cast<unsigned long>(comp16(g) >> 8) << 8 | (comp16(b) >> 8);
}

unsigned long pixmap_pixel(int x, int y)
{
    XImage *img = XGetImage(gget_display(), gget_draw_window(), x, y, 1, 1, AllPlanes, ZPixmap);
    if (!img) return ~0UL;
    const unsigned long p = XGetPixel(img, 0, 0);
    XDestroyImage(img);
    return p;
}

// A thick horizontal line in colour ind centred on pixel row 511 - y.
void swatch(int ind, float y)
{
    gset_line_colr_ind(ind);
    gset_linewidth(6);
    const Gpt pts[2] = {{100, y}, {200, y}};
    gpolyline(2, pts);
}

void open_window(const char *display = "")
{
    ASSERT_EQ(gopen_gks(nullptr, 0), 0);
    ASSERT_EQ(gopen_ws(1, display, GWS_X11), 0);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TrueColor
// ---------------------------------------------------------------------------------------------

TEST(GksColor, PixelsOnTrueColorScreen)
{
    open_window();
    ASSERT_EQ(gget_win_depth(), 24);
    ASSERT_EQ(gget_red_mask(), 0xff0000u);
    ASSERT_EQ(gget_blu_mask(), 0xffu);
    pixel_world();
    struct Case {
        int ind;
        float r, g, b;
    };
    const Case cases[] = {
        {2, 1, 0, 0}, {3, 0.5f, 0.25f, 1}, {4, 0.2f, 0.4f, 0.6f}, {255, 0.1f, 0.9f, 0.05f},
    };
    MESS_set(1, M_DEBUG_C);
    CaptureStdio cap;
    float y = 400;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.ind);
        define(c.ind, c.r, c.g, c.b);
        const unsigned long want = true_pixel(c.r, c.g, c.b);
        EXPECT_EQ(static_cast<unsigned long>(gget_color_ind(c.ind)), want);
        EXPECT_EQ(gget_color_rgb_Xval(comp16(c.r), comp16(c.g), comp16(c.b)), want);
        float r, g, b;
        EXPECT_EQ(gget_color_rgb(c.ind, &r, &g, &b), 1);
        EXPECT_EQ(r, c.r);
        EXPECT_EQ(g, c.g);
        EXPECT_EQ(b, c.b);
        int r8, g8, b8;
        gget_color_rgb256(c.ind, &r8, &g8, &b8);
        EXPECT_EQ(r8, static_cast<int>(255.0f * c.r));
        EXPECT_EQ(b8, static_cast<int>(255.0f * c.b));
        // What is drawn in the colour carries that pixel.
        swatch(c.ind, y);
        EXPECT_EQ(pixmap_pixel(150, 511 - static_cast<int>(y)), want);
        y -= 20;
    }
    cap.finish();
    EXPECT_EQ(gget_max_colr(), 255);
    // A TrueColor visual grants no read-write cell: the first request is refused once, and
    // every colour is a shared cell from then on.
    EXPECT_EQ(count(cap.out(), "Allocated RW Cells: 0\n"), 1) << cap.out();
    EXPECT_TRUE(has(cap.out(), "Allocated new RW Cells: 2 16711680 (1.00 0.00 0.00) "
                               "(65535     0     0)\n"))
        << cap.out();
    EXPECT_TRUE(has(cap.out(), "mask: 16-8-255 8-8-255 0-8-255\n")) << cap.out();
    gclose_ws(1);
}

TEST(GksColor, InvalidIndicesPensAndBackground)
{
    {
        gopen_gks(nullptr, 0);
        CaptureStdio cap;
        const Gcolr_rep rep = {1, 0, 0};
        EXPECT_EQ(gset_colr_rep(1, 2, &rep), -1);
        cap.finish();
        EXPECT_EQ(cap.err(), "gset_colr_rep: GKS not opened\n\n");
    }
    open_window();
    const int max = gget_max_colr();
    const Gcolr_rep rep = {1, 0, 0};
    CaptureStdio cap;
    EXPECT_EQ(gset_colr_rep(1, 503, &rep), 0);  // a pen: nothing changes
    EXPECT_EQ(gget_color_ind(503), -1);
    EXPECT_EQ(gset_colr_rep(1, 600, &rep), -1);
    EXPECT_EQ(gset_colr_rep(1, -2, &rep), -1);
    cap.finish();
    EXPECT_EQ(cap.err(), "gset_colr_rep: invalid color index: 600\n\n"
                         "gset_colr_rep: invalid color index: -2\n\n");
    EXPECT_EQ(gget_max_colr(), max);

    const struct {
        int ind, valid;
    } valid[] = {{-2, 0},  {-1, 1},  {0, 1},   {256, 1}, {257, 0},
                 {499, 0}, {500, 1}, {508, 1}, {509, 0}};
    for (const auto &v : valid) EXPECT_EQ(gis_valid_colr(v.ind), v.valid) << v.ind;

    EXPECT_EQ(gget_color_ind(-1), gget_color_ind(256));
    EXPECT_EQ(gget_color_ind(-1), gget_back_color());
    EXPECT_EQ(static_cast<unsigned long>(gget_back_color()),
              BlackPixel(gget_display(), gget_screen()));
    EXPECT_EQ(gget_color_ind(7), -1);  // never defined: no cell
    gclose_ws(1);
}

TEST(GksColor, FindOrCreateWithinTolerance)
{
    open_window();
    define(5, 0.2f, 0.2f, 0.2f);
    define(7, 0.8f, 0.8f, 0.8f);
    define(8, 0.805f, 0.8f, 0.8f);
    ASSERT_EQ(gget_max_colr(), 8);

    struct Near {
        int ind;
        float r, g, b;
        int flag, near;
    };
    const unsigned long pix7 = static_cast<unsigned long>(gget_color_ind(7));
    const Near cases[] = {
        {7, 0.8f, 0.8f, 0.8f, 0, 1},
        {7, 0.8f, 0.8f, 0.8099f, 0, 1},
        {7, 0.8f, 0.8f, 0.8101f, 0, 0},
        {7, 0.805f, 0.8f, 0.8051f, 0, 0},  // 0.005 + 0.0051 summed
        {-1, 0, 0, 0, 0, 0},
        {static_cast<int>(pix7), 0.8f, 0.8f, 0.8f, 1, 1},  // 7 and 8 differ in red only
        {0x123457, 0.8f, 0.8f, 0.8f, 1, 0},  // a pixel no index holds
    };
    for (const Near &c : cases)
        EXPECT_EQ(gis_color_near(c.ind, c.r, c.g, c.b, c.flag), c.near)
            << c.ind << " " << c.r << " " << c.g << " " << c.b;

    MESS_set(1, M_DEBUG_C);
    CaptureStdio cap;
    // Within the tolerance of 5: reused and set to the requested colour.
    const int pixel = galloc_colr(-1, 0.2f, 0.2f, 0.2095f);
    // Within the tolerance of both 7 and 8: the last one is taken.
    galloc_colr(-1, 0.803f, 0.8f, 0.8f);
    // Beyond the tolerance of every entry: a new index after the highest.
    const int fresh = galloc_colr(-1, 0.2f, 0.2f, 0.22f);
    cap.finish();
    EXPECT_TRUE(has(cap.out(), "Used existing ind: 5 (0.20 0.20 0.21)\n")) << cap.out();
    EXPECT_TRUE(has(cap.out(), "Used existing ind: 8 (0.80 0.80 0.80)\n")) << cap.out();
    EXPECT_TRUE(has(cap.out(), "Allocated new ind: 9 (0.20 0.20 0.22)\n")) << cap.out();
    EXPECT_EQ(pixel, gget_color_ind(5));
    EXPECT_EQ(static_cast<unsigned long>(pixel), true_pixel(0.2f, 0.2f, 0.2095f));
    EXPECT_EQ(fresh, gget_color_ind(9));
    EXPECT_EQ(gget_max_colr(), 9);
    float r, g, b;
    gget_color_rgb(8, &r, &g, &b);
    EXPECT_FLOAT_EQ(r, 0.803f);

    // Through the kernel call with index -1.
    const Gcolr_rep rep = {0.5f, 0.1f, 0.9f};
    EXPECT_EQ(gset_colr_rep(1, -1, &rep), 0);
    EXPECT_EQ(gget_max_colr(), 10);
    EXPECT_EQ(static_cast<unsigned long>(gget_color_ind(10)), true_pixel(0.5f, 0.1f, 0.9f));
    gclose_ws(1);
}

// With all 256 table entries defined, find-or-create takes the nearest entry and leaves it as it
// is: no index beyond the table, no colour of an existing entry changed.
TEST(GksColor, FullTableReusesNearestColour)
{
    open_window();
    auto level = [](int i, int steps) { return static_cast<float>(i) / static_cast<float>(steps); };
    for (int i = 0; i < 256; i++) define(i, level(i % 8, 7), level(i / 8 % 8, 7), level(i / 64, 3));
    ASSERT_EQ(gget_max_colr(), 255);

    MESS_set(1, M_DEBUG_C);
    CaptureStdio cap;
    const int pixel = galloc_colr(-1, 0.9f, 0.1f, 0.05f);  // nearest: 6/7, 1/7, 0 = index 14
    const Gcolr_rep rep = {0.05f, 0.95f, 0.97f};           // nearest: 0, 1, 1 = index 248
    EXPECT_EQ(gset_colr_rep(1, -1, &rep), 0);
    cap.finish();
    EXPECT_TRUE(has(cap.out(), "Used existing ind: 14 (0.90 0.10 0.05)\n")) << cap.out();
    EXPECT_TRUE(has(cap.out(), "Used existing ind: 248 (0.05 0.95 0.97)\n")) << cap.out();
    EXPECT_FALSE(has(cap.out(), "Allocated new ind")) << cap.out();
    EXPECT_EQ(pixel, gget_color_ind(14));
    EXPECT_EQ(gget_max_colr(), 255);
    float r, g, b;
    gget_color_rgb(14, &r, &g, &b);
    EXPECT_EQ(r, level(6, 7));
    EXPECT_EQ(g, level(1, 7));
    EXPECT_EQ(b, 0.0f);
    gget_color_rgb(248, &r, &g, &b);
    EXPECT_EQ(r, 0.0f);
    EXPECT_EQ(g, 1.0f);
    EXPECT_EQ(b, 1.0f);
    EXPECT_EQ(static_cast<unsigned long>(gget_color_ind(14)),
              true_pixel(level(6, 7), level(1, 7), 0));
    // The background is untouched.
    EXPECT_EQ(static_cast<unsigned long>(gget_back_color()),
              BlackPixel(gget_display(), gget_screen()));
    gclose_ws(1);
}

// ---------------------------------------------------------------------------------------------
// PseudoColor
// ---------------------------------------------------------------------------------------------

TEST(GksColor, ReadWriteCellsRecolourWhatIsDrawn)
{
    PrivateX server("1024x768x8", false);
    ASSERT_FALSE(server.name().empty());
    DisplayPtr own(XOpenDisplay(server.name().c_str()));
    ASSERT_TRUE(own);
    const Colormap cmap = DefaultColormap(own.get(), DefaultScreen(own.get()));
    open_window(server.name().c_str());
    ASSERT_EQ(gget_win_depth(), 8);
    pixel_world();

    MESS_set(1, M_DEBUG_C);
    CaptureStdio cap;
    define(2, 1, 0, 0);
    define(3, 0, 0.5f, 1);
    cap.finish();
    EXPECT_EQ(count(cap.out(), "Allocated RW Cells: 1\n"), 2) << cap.out();
    const unsigned long red = static_cast<unsigned long>(gget_color_ind(2));
    EXPECT_TRUE(has(cap.out(), "Stored new RW Cells: 2 " + std::to_string(red) +
                                   " (1.00 0.00 0.00) (65535     0     0)\n"))
        << cap.out();
    // The server keeps 8 bits a component: 0.5 is held as 0x7f7f.
    XColor c = query(own.get(), cmap, static_cast<unsigned long>(gget_color_ind(3)));
    EXPECT_EQ(c.red, 0);
    EXPECT_EQ(c.green, 0x7f7f);
    EXPECT_EQ(c.blue, 0xffff);

    swatch(2, 400);
    EXPECT_EQ(pixmap_pixel(150, 111), red);
    // Redefined: the same cell takes the new colour, so the line already drawn turns blue.
    define(2, 0, 0, 1);
    EXPECT_EQ(static_cast<unsigned long>(gget_color_ind(2)), red);
    EXPECT_EQ(pixmap_pixel(150, 111), red);
    c = query(own.get(), cmap, red);
    EXPECT_EQ(c.red, 0);
    EXPECT_EQ(c.blue, 0xffff);

    // With read-only cells a redefinition takes another cell: what was drawn keeps its colour.
    gset_rw_colors(0);
    define(4, 0, 1, 0);
    const unsigned long green = static_cast<unsigned long>(gget_color_ind(4));
    swatch(4, 380);
    define(4, 1, 1, 0);
    EXPECT_NE(static_cast<unsigned long>(gget_color_ind(4)), green);
    EXPECT_EQ(pixmap_pixel(150, 131), green);
    c = query(own.get(), cmap, green);
    EXPECT_EQ(c.red, 0);
    EXPECT_EQ(c.green, 0xffff);
    c = query(own.get(), cmap, static_cast<unsigned long>(gget_color_ind(4)));
    EXPECT_EQ(c.red, 0xffff);
    EXPECT_EQ(c.green, 0xffff);
    gclose_ws(1);
}

TEST(GksColor, ReadOnlyFallbackWhenTheColormapIsFull)
{
    PrivateX server("1024x768x8", false);
    ASSERT_FALSE(server.name().empty());
    DisplayPtr own(XOpenDisplay(server.name().c_str()));
    ASSERT_TRUE(own);
    const Colormap cmap = DefaultColormap(own.get(), DefaultScreen(own.get()));
    open_window(server.name().c_str());

    // Another client takes a shared orange and then every free cell.
    XColor orange{};
    orange.red = 0xffff;
    orange.green = 0x8080;
    orange.flags = DoRed | DoGreen | DoBlue;
    ASSERT_TRUE(XAllocColor(own.get(), cmap, &orange));
    unsigned long pixel, planes;
    int taken = 0;
    while (XAllocColorCells(own.get(), cmap, False, &planes, 0, &pixel, 1)) taken++;
    ASSERT_GT(taken, 100);

    MESS_set(1, M_DEBUG_C);
    CaptureStdio cap;
    // Refused as a private cell, then no shared cell is left for the exact colour: the nearest
    // colour of the colormap stands in.
    EXPECT_EQ(static_cast<unsigned long>(galloc_colr(2, 1, 0.5f, 0)), orange.pixel);
    // Read-only from now on: white is shared with the server's white.
    EXPECT_EQ(static_cast<unsigned long>(galloc_colr(3, 1, 1, 1)),
              WhitePixel(own.get(), DefaultScreen(own.get())));
    EXPECT_EQ(static_cast<unsigned long>(galloc_colr(4, 0.9f, 0.45f, 0.1f)), orange.pixel);
    cap.finish();
    EXPECT_EQ(count(cap.out(), "Allocated RW Cells: 0\n"), 1) << cap.out();
    EXPECT_EQ(count(cap.out(), "Allocated RW Cells: "), 1) << cap.out();
    EXPECT_EQ(count(cap.out(), "Allocated new RW Cells: "), 3) << cap.out();
    EXPECT_EQ(gget_color_ind(2), gget_color_ind(4));
    // Lines in these colours are accepted.
    EXPECT_EQ(gset_line_colr_ind(2), 0);
    gclose_ws(1);
}

// A closed window's cells go back to the colormap: an 8-bit screen does not run out of cells
// after a few plots.
TEST(GksColor, CellsOfAClosedWindowAreReleased)
{
    PrivateX server("1024x768x8", false);
    ASSERT_FALSE(server.name().empty());
    gopen_gks(nullptr, 0);
    MESS_set(1, M_DEBUG_C);
    CaptureStdio cap;
    for (int round = 0; round < 4; round++) {
        ASSERT_EQ(gopen_ws(1, server.name().c_str(), GWS_X11), 0);
        for (int i = 0; i < 120; i++) define(i, static_cast<float>(i) / 120, 0.5f, 0.25f);
        ASSERT_EQ(gclose_ws(1), 0);
    }
    cap.finish();
    EXPECT_EQ(count(cap.out(), "Allocated RW Cells: 1\n"), 480);
    EXPECT_EQ(count(cap.out(), "Allocated RW Cells: 0\n"), 0);
    EXPECT_FALSE(has(cap.out(), "X11 error")) << cap.out();
    EXPECT_FALSE(has(cap.err(), "X11 error")) << cap.err();
}

TEST(GksColor, OwnColormap)
{
    PrivateX server("1024x768x8", false);
    ASSERT_FALSE(server.name().empty());
    DisplayPtr own(XOpenDisplay(server.name().c_str()));
    ASSERT_TRUE(own);
    const Colormap def = DefaultColormap(own.get(), DefaultScreen(own.get()));

    gset_local_colormap(1);
    open_window(server.name().c_str());
    const Colormap mine = gget_user_cmap();
    ASSERT_NE(mine, 0u);
    EXPECT_NE(mine, def);
    EXPECT_EQ(gget_colormap(), mine);
    EXPECT_EQ(gget_def_cmap(), def);
    XWindowAttributes attrs;
    ASSERT_TRUE(XGetWindowAttributes(own.get(), gget_root_window(), &attrs));
    EXPECT_EQ(attrs.colormap, mine);
    define(2, 1, 0, 0);
    const XColor c = query(own.get(), mine, static_cast<unsigned long>(gget_color_ind(2)));
    EXPECT_EQ(c.red, 0xffff);
    EXPECT_EQ(c.green, 0);
    gclose_ws(1);
    EXPECT_EQ(gget_user_cmap(), 0u);

    // Without the setting the environment asks for one.
    gset_local_colormap(0);
    setenv("LOCAL_CMAP", "", 1);
    ASSERT_EQ(gopen_ws(1, server.name().c_str(), GWS_X11), 0);
    EXPECT_NE(gget_user_cmap(), 0u);
    EXPECT_NE(gget_user_cmap(), def);
    gclose_ws(1);
    unsetenv("LOCAL_CMAP");
    ASSERT_EQ(gopen_ws(1, server.name().c_str(), GWS_X11), 0);
    EXPECT_EQ(gget_user_cmap(), 0u);
    EXPECT_EQ(gget_colormap(), def);
    gclose_ws(1);
}

// ---------------------------------------------------------------------------------------------
// Background and inverse video on both screens
// ---------------------------------------------------------------------------------------------

TEST(GksColor, BackgroundAndInverseVideo)
{
    PrivateX server("1024x768x8", false);
    ASSERT_FALSE(server.name().empty());
    RES_put("file_path", VYK_SOURCE_DIR "/etc");
    CLR_read_table("vyk.clr");

    struct Case {
        const char *background;  // nullptr: none
        bool inverse;
        int r, g, b;             // 8-bit components of the background
        const char *message;
    };
    const Case cases[] = {
        {nullptr, false, 0, 0, 0, nullptr},
        {nullptr, true, 255, 255, 255, nullptr},
        {"none", true, 255, 255, 255, nullptr},
        {"Red", false, 255, 0, 0, nullptr},              // a name of the colour table
        {"#336699", false, 0x33, 0x66, 0x99, nullptr},   // a colour code joins the table
        {"rgb:80/c0/10", true, 0x80, 0xc0, 0x10, nullptr},  // an X colour name
        {"nosuchcolour", false, 0, 0, 0,
         "ginit_background: unknown background colour: nosuchcolour"},
    };
    gopen_gks(nullptr, 0);
    for (const char *display : {"", server.name().c_str()}) {
        for (const Case &c : cases) {
            SCOPED_TRACE(std::string(display) + " " + (c.background ? c.background : "(none)") +
                         (c.inverse ? " inverse" : ""));
            gset_background(c.background ? c.background : "");
            if (c.inverse) setenv("vykinverse", "", 1);
            gset_inverse(0);
            CaptureStdio cap;
            const int status = gopen_ws(1, display, GWS_X11);
            cap.finish();
            unsetenv("vykinverse");
            ASSERT_EQ(status, 0);
            EXPECT_EQ(gget_inverse(), c.inverse ? 1 : 0);
            if (c.message) {
                EXPECT_TRUE(has(cap.err(), c.message)) << cap.err();
            } else {
                EXPECT_FALSE(has(cap.err(), "ginit_background")) << cap.err();
            }

            Display *d = gget_display();
            const unsigned long pixel = static_cast<unsigned long>(gget_back_color());
            EXPECT_EQ(pixel, static_cast<unsigned long>(gget_color_ind(-1)));
            if (!c.background || c.message || std::string(c.background) == "none") {
                EXPECT_EQ(pixel, c.inverse ? WhitePixel(d, gget_screen())
                                           : BlackPixel(d, gget_screen()));
            }
            const XColor shown = query(d, gget_colormap(), pixel);
            EXPECT_EQ(shown.red >> 8, c.r);
            EXPECT_EQ(shown.green >> 8, c.g);
            EXPECT_EQ(shown.blue >> 8, c.b);
            float r, g, b;
            gget_color_rgb(-1, &r, &g, &b);
            EXPECT_EQ(r, shown.red / 65535.0f);
            EXPECT_EQ(b, shown.blue / 65535.0f);
            gclose_ws(1);
        }
    }
    // The colour code was added to the named colour table on the way.
    EXPECT_GE(CLR_get_ind("#336699"), 0);
}

// Without a background setting or resource, the X default "background" of the program's name.
TEST(GksColor, BackgroundFromXDefaults)
{
    PrivateX server("1024x768x8", false);
    ASSERT_FALSE(server.name().empty());
    vyktest::TempDir dir;
    vyktest::write_file(dir.file("db"), "GksColorTest.background: rgb:20/40/60\n");
    const std::string xrdb = "xrdb -display " + server.name() + " -nocpp -merge " + dir.file("db");
    ASSERT_EQ(vyktest::run(xrdb).status, 0);
    gset_prog_name("GksColorTest");
    open_window(server.name().c_str());
    XColor c =
        query(gget_display(), gget_colormap(), static_cast<unsigned long>(gget_back_color()));
    EXPECT_EQ(c.red >> 8, 0x20);
    EXPECT_EQ(c.green >> 8, 0x40);
    EXPECT_EQ(c.blue >> 8, 0x60);
    gclose_ws(1);
    // The resource comes first.
    RES_put("background", "rgb:00/00/ff");
    ASSERT_EQ(gopen_ws(1, server.name().c_str(), GWS_X11), 0);
    c = query(gget_display(), gget_colormap(), static_cast<unsigned long>(gget_back_color()));
    EXPECT_EQ(c.red, 0);
    EXPECT_EQ(c.blue, 0xffff);
    gclose_ws(1);
}

// ---------------------------------------------------------------------------------------------
// File workstations
// ---------------------------------------------------------------------------------------------

// Without colour cells a defined index is marked -2, and the line colour setter takes it; the
// metafile writes the definition; PostScript paper is white.
TEST(GksColor, FileWorkstationsNeedNoCells)
{
    vyktest::TempDir dir;
    gopen_gks(nullptr, 0);
    const Gcolr_rep rep = {0.1f, 0.2f, 0.3f};
    struct Case {
        Gws_type type;
        const char *file;
        int ind;
    };
    const Case cases[] = {
        {GWS_PS, "out.ps", 7}, {GWS_HPGL, "out.hpgl", 17}, {GWS_META, "out.meta", 27}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        const std::string file = dir.file(c.file);
        ASSERT_EQ(gopen_ws(1, file.c_str(), c.type), 0);
        EXPECT_EQ(gget_color_ind(c.ind), -1);
        EXPECT_EQ(gset_colr_rep(1, c.ind, &rep), 0);
        EXPECT_EQ(gget_color_ind(c.ind), -2);
        EXPECT_EQ(gset_line_colr_ind(c.ind), 0);
        EXPECT_EQ(gget_line_colr(), c.ind);
        if (c.type == GWS_PS) {
            float r, g, b;
            gget_color_rgb(-1, &r, &g, &b);
            EXPECT_EQ(r + g + b, 3.0f);
            EXPECT_EQ(gset_line_colr_ind(502), 0);  // the pen itself on paper
            EXPECT_EQ(gget_line_colr(), 502);
        }
        CaptureStdio cap;
        EXPECT_EQ(gset_line_colr_ind(9), -1);
        cap.finish();
        EXPECT_EQ(cap.err(), "gset_line_colr_ind: color index not initialized\n\n");
        gclose_ws(1);
        if (c.type == GWS_META) {
            const std::string text = vyktest::read_file(file);
            EXPECT_TRUE(has(text, "CLR 1 27 0.100000 0.200000 0.300000\n")) << text;
            EXPECT_TRUE(has(text, "PL_CLR 27\n")) << text;
        }
    }
}
