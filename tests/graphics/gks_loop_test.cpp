// Animation frames and zoom on the own window of the test X server: frames made, selected,
// shown (the window captured with xwd and read back with ImageMagick) and deleted; the checks of
// frame indexes against the table; stepping and delays; magnification by pixel replication; the
// frame keys of the hold loop typed with xdotool into the frames tool.
#include <gtest/gtest.h>

#include "test_util.h"

#include "gks.h"
#include "gks_x11.h"
#include "vyk.h"
#include "image_util.h"

#include <X11/Xutil.h>

#include <chrono>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using vyktest::has;
using vyktest::CaptureStdio;
using vyktest::run;

namespace {

using vyktest::PrivateX;
using vyktest::Rgb;

using Image = vyktest::RgbImage;

// The window as the screen shows it, through xwd and ImageMagick.
Image capture()
{
    gupdate_window();
    const Image img = vyktest::capture_xwd(gget_root_window());
    EXPECT_EQ(img.width, gget_window_width());
    EXPECT_EQ(img.height, gget_window_height());
    return img;
}

unsigned long component(int value, unsigned long mask)
{
    if (!mask) return 0;
    int shift = 0;
    while (!((mask >> shift) & 1)) shift++;
    int bits = 0;
    while ((mask >> (shift + bits)) & 1) bits++;
    return (static_cast<unsigned long>(value) >> (8 - bits) << shift) & mask;
}

unsigned long pixel(const Rgb &c)
{
    return component(c.r, gget_red_mask()) | component(c.g, gget_grn_mask()) |
           component(c.b, gget_blu_mask());
}

// The test pattern: every pixel names its own column and row (and a marker of the picture).
Rgb pattern(int x, int y, int marker)
{
    return {x & 255, y & 255, marker | ((x >> 8) << 4) | (y >> 8)};
}

void decode(const Rgb &c, int &x, int &y, int &marker)
{
    x = c.r | (((c.b >> 4) & 7) << 8);
    y = c.g | ((c.b & 15) << 8);
    marker = c.b & 0x80;
}

void fill_pattern(Drawable target, int marker)
{
    Display *display = gget_display();
    int W, H;
    gget_win_size(&W, &H);
    XImage *img = XCreateImage(display, gget_visual(), static_cast<unsigned>(gget_win_depth()),
                               ZPixmap, 0, nullptr, static_cast<unsigned>(W),
                               static_cast<unsigned>(H), 32, 0);
    ASSERT_NE(img, nullptr);
    img->data = static_cast<char *>(std::malloc(static_cast<size_t>(img->bytes_per_line) * H));
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++) XPutPixel(img, x, y, pixel(pattern(x, y, marker)));
    GC gc = XCreateGC(display, target, 0, nullptr);
    XPutImage(display, target, gc, img, 0, 0, 0, 0, static_cast<unsigned>(W),
              static_cast<unsigned>(H));
    XFreeGC(display, gc);
    XDestroyImage(img);
    XSync(display, False);
}

void fill(Drawable target, const Rgb &c)
{
    Display *display = gget_display();
    GC gc = XCreateGC(display, target, 0, nullptr);
    XSetForeground(display, gc, pixel(c));
    XFillRectangle(display, target, gc, 0, 0, static_cast<unsigned>(gget_window_width()),
                   static_cast<unsigned>(gget_window_height()));
    XFreeGC(display, gc);
    XSync(display, False);
}

void open_window(const char *geometry = nullptr)
{
    if (geometry) gset_geometry(geometry);
    ASSERT_EQ(gopen_gks(nullptr, 0), 0);
    ASSERT_EQ(gopen_ws(1, "", GWS_X11), 0);
    ASSERT_GE(gget_win_depth(), 24) << "the pattern needs 8 bits per colour";
}

// Every pixel of the shown picture must be source pixel (a + k/f, b + r/f) of the picture with
// the given marker, clamped to the last column and row.
void expect_replicated(const Image &img, int a, int b, int f, int marker)
{
    int wrong = 0;
    for (int r = 0; r < img.height && wrong < 5; r++)
        for (int k = 0; k < img.width && wrong < 5; k++) {
            const int sx = std::min(a + k / f, img.width - 1);
            const int sy = std::min(b + r / f, img.height - 1);
            int x, y, m;
            decode(img.at(k, r), x, y, m);
            if (x != sx || y != sy || m != marker) {
                ADD_FAILURE() << "pixel " << k << "," << r << " shows " << x << "," << y << " ("
                              << m << "), expected " << sx << "," << sy << " (" << marker << ")";
                wrong++;
            }
        }
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Frames
// ---------------------------------------------------------------------------------------------

TEST(GksLoop, FramesAreCreatedSelectedShownAndDeleted)
{
    PrivateX server;  // nothing of other tests covers the capture
    ASSERT_FALSE(server.name().empty());
    open_window();
    const Rgb colours[] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    for (int i = 0; i < 3; i++) EXPECT_EQ(gcreate_frame(-1), i);
    EXPECT_EQ(gget_num_images(), 3);
    EXPECT_EQ(gget_cur_frame(), -1);
    EXPECT_FLOAT_EQ(gget_frame_delay(0), 0.5f);
    EXPECT_FLOAT_EQ(gget_frame_delay(1), 0.5f);
    EXPECT_FLOAT_EQ(gget_frame_delay(2), 1.0f);

    for (int i = 0; i < 3; i++) {
        ASSERT_EQ(gselect_frame(i), 0);
        EXPECT_EQ(gget_draw_window(), gget_frame_id(i));
        EXPECT_NE(gget_frame_id(i), gget_base_window());
        fill(gget_draw_window(), colours[i]);
    }
    EXPECT_EQ(gget_redraw(), 0) << "drawing into frames is not recorded";
    ASSERT_EQ(gselect_frame(-3), 0);
    EXPECT_EQ(gget_draw_window(), gget_base_window());

    for (int i : {1, 2, 0}) {
        ASSERT_EQ(gdisplay_frame(i), 0);
        EXPECT_EQ(gget_cur_frame(), i);
        const Image img = capture();
        EXPECT_EQ(img.at(0, 0), colours[i]) << "frame " << i;
        EXPECT_EQ(img.at(img.width - 1, img.height - 1), colours[i]) << "frame " << i;
        char extra[80];
        gget_win_title_extra(extra, sizeof extra);
        EXPECT_EQ(std::string(extra), "[" + std::to_string(i) + "]");
    }

    // The current middle frame: the frame that moves into its place is shown.
    ASSERT_EQ(gdisplay_frame(1), 0);
    EXPECT_EQ(gdelete_frame(-2), 1);
    EXPECT_EQ(gget_num_images(), 2);
    EXPECT_EQ(gget_cur_frame(), 1);
    EXPECT_EQ(capture().at(5, 5), colours[2]);
    EXPECT_FLOAT_EQ(gget_frame_delay(0), 0.5f);
    EXPECT_FLOAT_EQ(gget_frame_delay(1), 1.0f);

    // The current last frame: the one before becomes current without being shown.
    EXPECT_EQ(gdelete_frame(-2), 1);
    EXPECT_EQ(gget_num_images(), 1);
    EXPECT_EQ(gget_cur_frame(), 0);
    EXPECT_EQ(capture().at(5, 5), colours[2]);
    EXPECT_FLOAT_EQ(gget_frame_delay(0), 1.0f);

    EXPECT_EQ(gdelete_frame(0), 1);
    EXPECT_EQ(gget_num_images(), 0);
    EXPECT_EQ(gget_frame_id(0), 0u);
    // Nothing left to delete: the requests change nothing.
    EXPECT_EQ(gdelete_frame(-1), 0);
    EXPECT_EQ(gdelete_frame(-2), 0);
    EXPECT_EQ(gget_num_images(), 0);
    gclose_ws(1);
}

TEST(GksLoop, SwitchAndCopyKeepTheDrawingTargetWithItsFrame)
{
    PrivateX server;  // nothing of other tests covers the capture
    ASSERT_FALSE(server.name().empty());
    open_window();
    ASSERT_EQ(gcreate_frame(0), 0);
    const Pixmap frame = gget_frame_id(0), base = gget_base_window();
    fill(frame, {255, 255, 0});
    fill(base, {0, 255, 255});
    ASSERT_EQ(gselect_frame(-3), 0);  // drawing into the base pixmap
    ASSERT_EQ(gswitch_frame(0, -3), 0);
    EXPECT_EQ(gget_frame_id(0), base);
    EXPECT_EQ(gget_base_window(), frame);
    EXPECT_EQ(gget_draw_window(), frame) << "the target follows the base";
    EXPECT_EQ(capture().at(3, 3), (Rgb{255, 255, 0}));

    ASSERT_EQ(gcreate_frame(-1), 1);
    ASSERT_EQ(gcopy_frame(1, 0), 0);
    ASSERT_EQ(gdisplay_frame(1), 0);
    EXPECT_EQ(capture().at(3, 3), (Rgb{0, 255, 255}));

    CaptureStdio cap;
    EXPECT_EQ(gprint_frame_ids(), 0);
    cap.finish();
    const std::string expected =
        "ROOT: " + std::to_string(gget_root_window()) + "\n WIN: " + std::to_string(frame) +
        "\n   0: " + std::to_string(base) + "\n   1: " + std::to_string(gget_frame_id(1)) + "\n";
    EXPECT_EQ(cap.out(), expected);
    gclose_ws(1);
}

TEST(GksLoop, FrameIndexesAreCheckedAgainstTheTable)
{
    open_window("64x48");
    ASSERT_EQ(gget_window_width(), 64);
    ASSERT_EQ(gcreate_frame(-1), 0);
    const Drawable target = gget_draw_window();
    for (int ind : {128, 129, 1000, INT_MAX}) {
        SCOPED_TRACE(ind);
        EXPECT_EQ(gcreate_frame(ind), 0);
        EXPECT_EQ(gdelete_frame(ind), 0);
        EXPECT_EQ(gselect_frame(ind), -1);
        EXPECT_EQ(gclear_frame(ind), -1);
        EXPECT_EQ(gswitch_frame(0, ind), -1);
        EXPECT_EQ(gset_loop_delay(ind, 3.0f), -1);
        EXPECT_FLOAT_EQ(gget_frame_delay(ind), 0.0f);
        EXPECT_EQ(gget_frame_id(ind), 0u);
        EXPECT_EQ(gset_frame_id(ind, 1), -1);
        EXPECT_EQ(gset_image_data(ind, "x", 1), -1);
        EXPECT_EQ(gdisplay_frame(ind), -1);
    }
    for (int ind : {-3, -4, -5, INT_MIN}) {
        SCOPED_TRACE(ind);
        EXPECT_EQ(gdelete_frame(ind), 0);
        EXPECT_EQ(gset_frame_id(ind, 1), -1);
    }
    EXPECT_EQ(gselect_frame(5), -1) << "a slot without a pixmap";
    EXPECT_EQ(gswitch_frame(5, -3), -1) << "the base pixmap cannot be given away for nothing";
    EXPECT_EQ(gget_draw_window(), target);
    EXPECT_EQ(gget_num_images(), 1);

    // Data kept with a frame: at most 50 bytes.
    unsigned char in[60], out[60];
    for (int i = 0; i < 60; i++) in[i] = static_cast<unsigned char>(i + 1);
    std::memset(out, 0xEE, sizeof out);
    EXPECT_EQ(gset_image_data(-1, in, 60), 0);
    EXPECT_EQ(gget_image_data(0, out), 0);
    EXPECT_EQ(std::memcmp(in, out, 50), 0);
    EXPECT_EQ(out[50], 0xEE);

    // The table fills up at 128 frames; a further append makes nothing.
    for (int i = 1; i < 128; i++) ASSERT_EQ(gcreate_frame(-1), i);
    EXPECT_EQ(gget_num_images(), 128);
    EXPECT_EQ(gcreate_frame(-1), 0);
    EXPECT_EQ(gget_num_images(), 128);
    EXPECT_FLOAT_EQ(gget_frame_delay(127), 1.0f);
    EXPECT_FLOAT_EQ(gget_frame_delay(126), 0.5f);
    EXPECT_EQ(ginc_frame(0), 0);
    ASSERT_EQ(gdisplay_frame(-1), 0);  // no current frame: frame 0
    EXPECT_EQ(gget_cur_frame(), 0);
    EXPECT_EQ(gdelete_frame(-1), 1);
    EXPECT_EQ(gget_num_images(), 127);
    EXPECT_FLOAT_EQ(gget_frame_delay(126), 1.0f);
    gclose_ws(1);
}

TEST(GksLoop, StepsThroughFramesInEachDirection)
{
    open_window("64x48");
    for (int i = 0; i < 4; i++) ASSERT_EQ(gcreate_frame(-1), i);
    struct Case {
        int direct, start;
        std::vector<int> next;
        std::vector<int> direct_after;
    };
    const Case cases[] = {
        {1, 0, {1, 2, 3, 0}, {1, 1, 1, 1}},
        {0, 0, {3, 2, 1, 0, 3}, {0, 0, 0, 0, 0}},
        {3, 3, {2, 1, 0, 1, 2, 3}, {2, 2, 2, 3, 3, 3}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.direct);
        gset_loop_direct(c.direct);
        ASSERT_EQ(gdisplay_frame(c.start), 0);
        for (size_t i = 0; i < c.next.size(); i++) {
            const int next = ginc_frame(0);
            EXPECT_EQ(next, c.next[i]) << "step " << i;
            EXPECT_EQ(gget_loop_direct(), c.direct_after[i]) << "step " << i;
            gdisplay_frame(next);
        }
    }
    gset_loop_direct(1);
    ASSERT_EQ(gdisplay_frame(1), 0);
    EXPECT_EQ(ginc_frame(2), 3);
    EXPECT_EQ(ginc_frame(-2), 3) << "before frame 0: the last";
    EXPECT_EQ(ginc_frame(INT_MAX), 0) << "beyond the last: frame 0";
    // A single frame going back and forth stays on it.
    while (gget_num_images() > 1) gdelete_frame(-1);
    gset_loop_direct(3);
    ASSERT_EQ(gdisplay_frame(0), 0);
    EXPECT_EQ(ginc_frame(0), 0);
    gdelete_frame(0);
    EXPECT_EQ(ginc_frame(0), -1);
    gclose_ws(1);
}

TEST(GksLoop, LoopDelaysAndSleep)
{
    open_window("64x48");
    MESS_set(1, M_OUT4);
    for (int i = 0; i < 3; i++) ASSERT_EQ(gcreate_frame(-1), i);
    EXPECT_EQ(gloop_sleep(), -1) << "no current frame";
    {
        CaptureStdio cap;
        EXPECT_EQ(ginc_loop_delay(-1.0f), 0);
        cap.finish();
        EXPECT_TRUE(has(cap.out() + cap.err(), "Loop delay decremented to: 0.00\n"));
    }
    EXPECT_FLOAT_EQ(gget_loop_delay(), 0.0f);
    EXPECT_FLOAT_EQ(gget_frame_delay(0), 0.0f);
    EXPECT_FLOAT_EQ(gget_frame_delay(1), 0.0f);
    EXPECT_FLOAT_EQ(gget_frame_delay(2), 1.0f) << "the last keeps the loop pause";
    {
        CaptureStdio cap;
        EXPECT_EQ(ginc_loop_delay(0.25f), 0);
        cap.finish();
        EXPECT_TRUE(has(cap.out() + cap.err(), "Loop delay incremented to: 0.25\n"));
    }
    EXPECT_EQ(gset_loop_delay(-4, 0.1f), 0);
    EXPECT_FLOAT_EQ(gget_frame_delay(1), 0.1f);
    EXPECT_FLOAT_EQ(gget_frame_delay(2), 1.0f);
    EXPECT_EQ(gset_loop_delay(-1, 0.3f), 0);
    EXPECT_FLOAT_EQ(gget_frame_delay(2), 0.3f);

    // The current frame is held at least its delay, counted from the restart of the clock.
    ASSERT_EQ(gdisplay_frame(2), 0);
    VYK_init_time();
    EXPECT_EQ(gloop_sleep(), 0);
    EXPECT_GE(VYK_elapse_time(), 0.3f);

    {
        CaptureStdio cap;
        gset_looping(1);
        EXPECT_EQ(gget_looping(), 1);
        gtoggle_loop(-1);
        EXPECT_EQ(gget_looping(), 0);
        gtoggle_loop(5);
        EXPECT_EQ(gget_looping(), 1);
        gtoggle_loop(0);
        EXPECT_EQ(gget_looping(), 0);
        cap.finish();
        const std::string text = cap.out() + cap.err();
        EXPECT_TRUE(has(text, "Looping initiated\n"));
        EXPECT_TRUE(has(text, "Looping stopped\n"));
    }
    gclose_ws(1);
}

// ---------------------------------------------------------------------------------------------
// Zoom
// ---------------------------------------------------------------------------------------------

TEST(GksLoop, ZoomReplicatesPixelsAndClampsAtTheEdges)
{
    PrivateX server;  // nothing of other tests covers the capture
    ASSERT_FALSE(server.name().empty());
    open_window();
    ASSERT_EQ(gget_window_width(), 640);
    ASSERT_EQ(gget_window_height(), 512);
    fill_pattern(gget_base_window(), 0);
    EXPECT_EQ(gget_zoom(), 1);
    EXPECT_FLOAT_EQ(xZ_p(100), 100.0f);

    // By 2 near the right edge: columns 320 to 639.
    ASSERT_EQ(gzoom(-2, 630, 250, 2, 0), 1);
    EXPECT_EQ(gget_zoom(), 2);
    EXPECT_FLOAT_EQ(xZ_p(0), 320.0f);
    EXPECT_FLOAT_EQ(xZ_p(640), 640.0f);
    EXPECT_FLOAT_EQ(yZ_p(256), 250.0f);
    expect_replicated(capture(), 320, 122, 2, 0);
    ASSERT_EQ(gunzoom(), 0);
    EXPECT_EQ(gget_zoom(), 1);
    expect_replicated(capture(), 0, 0, 1, 0);

    // Near the left edge: columns 0 to 319.
    ASSERT_EQ(gzoom(-2, 5, 5, 2, 0), 1);
    EXPECT_FLOAT_EQ(xZ_p(320), 160.0f);
    expect_replicated(capture(), 0, 0, 2, 0);
    ASSERT_EQ(gunzoom(), 0);

    // By 3 at the lower right corner: the last output column would read column 640.
    ASSERT_EQ(gzoom(-2, 630, 500, 3, 0), 1);
    const Image img = capture();
    expect_replicated(img, 427, 341, 3, 0);
    int x, y, m;
    decode(img.at(639, 511), x, y, m);
    EXPECT_EQ(x, 639);
    EXPECT_EQ(y, 511);
    ASSERT_EQ(gunzoom(), 0);

    // Twice by 2 (the Alt-z key) doubles the picture as shown; one unzoom restores it.
    ASSERT_EQ(gzoom(-2, 320, 256, -2, 0), 1);
    ASSERT_EQ(gzoom(-2, 320, 256, -2, 0), 1);
    EXPECT_EQ(gget_zoom(), 4);
    expect_replicated(capture(), 240, 192, 4, 0);
    EXPECT_FLOAT_EQ(xZ_p(0), 240.0f);
    EXPECT_FLOAT_EQ(yZ_p(512), 320.0f);
    ASSERT_EQ(gunzoom(), 0);
    EXPECT_EQ(gget_zoom(), 1);
    expect_replicated(capture(), 0, 0, 1, 0);
    gclose_ws(1);
}

TEST(GksLoop, ZoomRefusesFactorZeroAndTotalsPast1024)
{
    PrivateX server;  // nothing of other tests covers the capture
    ASSERT_FALSE(server.name().empty());
    open_window("64x48");
    fill_pattern(gget_base_window(), 0);
    struct Case {
        int first;     // factor of a first magnification (0: none)
        int factor;    // the request
        int expected;  // its result
        int zoom;      // the total afterwards
        const char *message;
    };
    const Case cases[] = {
        {0, 0, 0, 1, "gzoom: Invalid zoom factor: 0\n"},
        {2, 0, 0, 2, "gzoom: Invalid zoom factor: 0\n"},
        {0, 1025, 0, 1, "gzoom: Cannot zoom past 1024x\n"},
        {0, 1024, 1, 1024, nullptr},
        {1024, -2, 0, 1024, "gzoom: Cannot zoom past 1024x\n"},
        {512, -4, 0, 512, "gzoom: Cannot zoom past 1024x\n"},
        {512, -2, 1, 1024, nullptr},
        {2, INT_MIN, 0, 2, "gzoom: Cannot zoom past 1024x\n"},
        {2, INT_MAX, 0, 2, "gzoom: Cannot zoom past 1024x\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.factor);
        if (c.first) {
            ASSERT_EQ(gzoom(-2, 32, 24, c.first, 0), 1);
        }
        const Image before = capture();
        CaptureStdio cap;
        EXPECT_EQ(gzoom(-2, 10, 10, c.factor, 0), c.expected);
        cap.finish();
        EXPECT_EQ(gget_zoom(), c.zoom);
        if (c.message) {
            EXPECT_TRUE(has(cap.err() + cap.out(), c.message)) << cap.err();
            EXPECT_EQ(capture().pixels, before.pixels) << "the picture is left as it was";
        }
        gunzoom();
        EXPECT_EQ(gget_zoom(), 1);
        expect_replicated(capture(), 0, 0, 1, 0);
    }
    gclose_ws(1);
}

TEST(GksLoop, ZoomedFrameStepShowsTheNextFrameMagnified)
{
    PrivateX server;  // nothing of other tests covers the capture
    ASSERT_FALSE(server.name().empty());
    open_window();
    ASSERT_EQ(gcreate_frame(-1), 0);
    ASSERT_EQ(gcreate_frame(-1), 1);
    fill_pattern(gget_frame_id(0), 0);
    fill_pattern(gget_frame_id(1), 0x80);
    ASSERT_EQ(gdisplay_frame(0), 0);
    ASSERT_EQ(gzoom(-2, 100, 100, 2, 0), 1);
    expect_replicated(capture(), 0, 0, 2, 0);
    EXPECT_FLOAT_EQ(xZ_p(320), 160.0f);
    ASSERT_EQ(gdisplay_frame(ginc_frame(1)), 0);
    EXPECT_EQ(gget_cur_frame(), 1);
    expect_replicated(capture(), 0, 0, 2, 0x80);
    // A further doubling magnifies the unmagnified frame by the total, about the same point.
    ASSERT_EQ(gzoom(-2, 320, 256, -2, 0), 1);
    EXPECT_EQ(gget_zoom(), 4);
    expect_replicated(capture(), 80, 64, 4, 0x80);
    ASSERT_EQ(gunzoom(), 0);
    expect_replicated(capture(), 0, 0, 1, 0x80);
    gclose_ws(1);
}

// Pixels of one byte (8-bit PseudoColor) and two bytes (16-bit TrueColor): the pixel values of
// the base pixmap, read back with XGetImage, are replicated and clamped at the edges.
namespace {

void zoom_on_screen(const char *screen)
{
    PrivateX server(screen, false);
    ASSERT_FALSE(server.name().empty()) << "Xvfb did not start";
    ASSERT_EQ(gopen_gks(nullptr, 0), 0);
    ASSERT_EQ(gopen_ws(1, server.name().c_str(), GWS_X11), 0);
    Display *display = gget_display();
    int W, H;
    gget_win_size(&W, &H);
    ASSERT_EQ(W, 640);
    ASSERT_EQ(H, 512);
    const int depth = gget_win_depth();
    const unsigned long mask = (1ul << depth) - 1;
    auto value = [mask](int x, int y) {
        return (static_cast<unsigned long>(x) * 3 + static_cast<unsigned long>(y) * 7) & mask;
    };
    XImage *img = XGetImage(display, gget_base_window(), 0, 0, W, H, AllPlanes, ZPixmap);
    ASSERT_NE(img, nullptr);
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++) XPutPixel(img, x, y, value(x, y));
    XPutImage(display, gget_base_window(), gget_root_gc(), img, 0, 0, 0, 0, W, H);
    XDestroyImage(img);

    ASSERT_EQ(gzoom(-2, 630, 500, 3, 0), 1);
    img = XGetImage(display, gget_base_window(), 0, 0, W, H, AllPlanes, ZPixmap);
    ASSERT_NE(img, nullptr);
    int wrong = 0;
    for (int r = 0; r < H && wrong < 5; r++)
        for (int k = 0; k < W && wrong < 5; k++) {
            const unsigned long want =
                value(std::min(427 + k / 3, W - 1), std::min(341 + r / 3, H - 1));
            if (XGetPixel(img, k, r) != want) {
                ADD_FAILURE() << "pixel " << k << "," << r;
                wrong++;
            }
        }
    XDestroyImage(img);
    ASSERT_EQ(gunzoom(), 0);
    img = XGetImage(display, gget_base_window(), 0, 0, W, H, AllPlanes, ZPixmap);
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(XGetPixel(img, 639, 511), value(639, 511));
    EXPECT_EQ(XGetPixel(img, 100, 7), value(100, 7));
    XDestroyImage(img);
    gclose_ws(1);
    gclose_gks();
}

}  // namespace

// One screen per test: the kernel keeps its display connection for the life of the process.
TEST(GksLoop, ZoomReplicatesOneBytePixels) { zoom_on_screen("1024x768x8"); }
TEST(GksLoop, ZoomReplicatesTwoBytePixels) { zoom_on_screen("1024x768x16"); }

// ---------------------------------------------------------------------------------------------
// Background
// ---------------------------------------------------------------------------------------------

TEST(GksLoop, BackgroundIsPaintedAtOpenAndIntoNewFrames)
{
    PrivateX server;  // nothing of other tests covers or takes the window between captures
    gset_background("rgb:ff/80/00");
    open_window("64x48");
    const Rgb orange = {255, 128, 0};
    EXPECT_EQ(capture().at(10, 10), orange);
    ASSERT_EQ(gcreate_frame(-1), 0);
    fill(gget_base_window(), {0, 0, 255});
    ASSERT_EQ(gdisplay_frame(0), 0);
    const Image img = capture();
    EXPECT_EQ(img.at(0, 0), orange);
    EXPECT_EQ(img.at(63, 47), orange);
    gclose_ws(1);
}

// ---------------------------------------------------------------------------------------------
// Frame keys of the hold loop, typed with xdotool into the frames tool
// ---------------------------------------------------------------------------------------------

namespace {

// The frames tool holding on a server of the test's own; the keys go to its window.
class FramesTool {
public:
    FramesTool()
    {
        if (x_.name().empty()) return;
        const auto start = run(vyktest::quote(vyktest::tool("gks_frames_tool")) + " > " +
                               vyktest::quote(dir_.file("out")) + " 2>&1 & echo $!");
        pid_ = std::atoi(start.out.c_str());
        // The tool prints its window once the frames are made, right before it holds.
        for (int k = 0; k < 600 && output().find("window ") == std::string::npos; k++)
            usleep(50000);
        const auto found =
            run("timeout 30 xdotool search --sync --onlyvisible --name '^Frames tool'");
        win_ = found.out.substr(0, found.out.find('\n'));
        if (!win_.empty()) run("xdotool mousemove --window " + win_ + " 50 50");
        // The title is read on a connection of the test's own: quick enough to see every frame
        // of a loop even under load.
        display_ = XOpenDisplay(x_.name().c_str());
    }
    ~FramesTool()
    {
        if (display_) XCloseDisplay(display_);
        if (pid_ > 0) kill(pid_, SIGKILL);
    }
    FramesTool(const FramesTool &) = delete;
    FramesTool &operator=(const FramesTool &) = delete;
    const std::string &window() const { return win_; }
    std::string output() const { return vyktest::read_file(dir_.file("out")); }
    std::string title() const
    {
        if (!display_ || win_.empty()) return "";
        char *name = nullptr;
        std::string t;
        if (XFetchName(display_, std::strtoul(win_.c_str(), nullptr, 10), &name) && name) t = name;
        if (name) XFree(name);
        return t;
    }
    /// Waits (20 seconds at most) for the title to show frame i.
    bool shows(int i) const
    {
        const std::string want = "Frames tool [" + std::to_string(i) + "]";
        for (int k = 0; k < 400; k++) {
            if (title() == want) return true;
            usleep(50000);
        }
        return false;
    }
    /// The title once it has stayed the same for 2.5 seconds of looks less than 0.9 seconds
    /// apart: a looping window shows each frame for at most a second and the others for at
    /// least one, so such looks see a change.  "" when it does not settle within 40 seconds.
    std::string settled() const
    {
        using clock = std::chrono::steady_clock;
        const auto give_up = clock::now() + std::chrono::seconds(40);
        std::string same = title();
        auto since = clock::now(), last = since;
        while (clock::now() < give_up) {
            usleep(200000);
            const std::string now = title();
            const auto at = clock::now();
            if (now != same || at - last >= std::chrono::milliseconds(900)) {
                same = now;
                since = at;
            } else if (at - since >= std::chrono::milliseconds(2500)) {
                return same;
            }
            last = at;
        }
        return "";
    }
    /// The colour in the middle of the window.
    Rgb middle() const
    {
        const auto r = run("xwd -id " + win_ +
                           " -silent | convert xwd:- -crop 1x1+50+50 -depth 8 rgb:-");
        if (r.out.size() < 3) return {-1, -1, -1};
        return {static_cast<unsigned char>(r.out[0]), static_cast<unsigned char>(r.out[1]),
                static_cast<unsigned char>(r.out[2])};
    }
    int key(const std::string &keys) const { return run("xdotool key " + keys).status; }
    /// Ends the hold with Return; true when the tool reports it.
    bool finish()
    {
        key("Return");
        for (int k = 0; k < 400; k++) {
            if (has(output(), "hold 0")) {
                pid_ = -1;
                return true;
            }
            usleep(50000);
        }
        return false;
    }

private:
    vyktest::PrivateX x_;
    vyktest::TempDir dir_;
    int pid_ = -1;
    std::string win_;
    Display *display_ = nullptr;
};

}  // namespace

TEST(GksLoop, FrameKeysStepBothWaysAndWrap)
{
    FramesTool t;
    ASSERT_FALSE(t.window().empty()) << t.output();
    ASSERT_TRUE(t.shows(0)) << t.title();
    const Rgb colours[3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    EXPECT_EQ(t.middle(), colours[0]);
    struct Step {
        const char *keys;
        int frame;
    };
    const Step steps[] = {
        {"alt+bracketright", 1}, {"alt+bracketright", 2}, {"alt+bracketright", 0},
        {"alt+bracketleft", 2},  {"alt+bracketleft", 1},
        // Without Alt the key only reaches the callback: the Alt+[ after it steps from 1.
        {"bracketright alt+bracketleft", 0},
    };
    for (const Step &s : steps) {
        SCOPED_TRACE(s.keys);
        ASSERT_EQ(t.key(s.keys), 0);
        ASSERT_TRUE(t.shows(s.frame)) << t.title();
        EXPECT_EQ(t.middle(), colours[s.frame]);
    }
    EXPECT_TRUE(t.finish()) << t.output();
}

TEST(GksLoop, LoopKeyRunsThroughTheFramesAndStops)
{
    FramesTool t;
    ASSERT_FALSE(t.window().empty()) << t.output();
    ASSERT_TRUE(t.shows(0)) << t.title();
    ASSERT_EQ(t.key("alt+l"), 0);
    // Looping, the frames follow each other without keys, wrapping to the first.
    for (int frame : {1, 2, 0, 1}) EXPECT_TRUE(t.shows(frame)) << frame << ": " << t.title();
    ASSERT_EQ(t.key("alt+l"), 0);
    // Stopped (the title stays the same for longer than the longest frame delay): the step
    // keys work again from wherever the loop stopped.
    const std::string stopped = t.settled();
    ASSERT_EQ(stopped.compare(0, 13, "Frames tool ["), 0) << stopped;
    const int at = stopped[13] - '0';
    ASSERT_EQ(t.key("alt+bracketright"), 0);
    EXPECT_TRUE(t.shows((at + 1) % 3)) << t.title();
    EXPECT_TRUE(t.finish()) << t.output();
}
