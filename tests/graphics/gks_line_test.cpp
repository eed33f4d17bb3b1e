// Polylines: the test sheet of gks_demo captured with xwd and read through ImageMagick on a
// 24-bit and an 8-bit screen (colours, dash patterns, widths), gks_demo drawing into the loop
// window stand-in, pixels of pens, thin lines, kept dashes and the rubber band read back from
// the pixmap, the attribute setters, and the metafile, PostScript and HP-GL/2 output.
#include <gtest/gtest.h>

#include "image_util.h"
#include "test_util.h"

#include "gks.h"
#include "gks_x11.h"
#include "gks_internal.h"
#include "kernel_util.h"
#include "vyk.h"

#include <X11/Xutil.h>

#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using vyktest::has;
using vyktest::count;
using vyktest::CaptureStdio;
using vyktest::run;

namespace {

using vyktest::PrivateX;
using vyktest::define;
using vyktest::pixel_world;

// ---------------------------------------------------------------------------------------------
// Captured images
// ---------------------------------------------------------------------------------------------

using RGB = vyktest::Rgb;
using Image = vyktest::RgbImage;

// The lengths of the alternating runs of colour c and other colours along row y from x0 to x1,
// beginning with a run of c.
std::vector<int> runs(const Image &img, int y, int x0, int x1, RGB c)
{
    std::vector<int> out;
    bool on = true;
    int len = 0;
    for (int x = x0; x <= x1; x++) {
        const bool is = img.at(x, y) == c;
        if (is == on) {
            len++;
        } else {
            out.push_back(len);
            on = is;
            len = 1;
        }
    }
    out.push_back(len);
    return out;
}

// The number of pixels of colour c in column x from y0 to y1.
int column_count(const Image &img, int x, int y0, int y1, RGB c)
{
    int n = 0;
    for (int y = y0; y <= y1; y++) n += img.at(x, y) == c;
    return n;
}

// The 8-bit component the servers show for a component given as 0..1.
int shown(float v) { return static_cast<unsigned short>(65535.0f * v) >> 8; }

bool near(const RGB &a, const RGB &b)
{
    return std::abs(a.r - b.r) <= 1 && std::abs(a.g - b.g) <= 1 && std::abs(a.b - b.b) <= 1;
}

// gks_demo's palette (its colour indices 0 to 15).
const float palette[16][3] = {
    {0, 0, 0}, {1, 1, 1},       {1, 0, 0},          {0, 1, 0},          {0, 0, 1},     {1, 1, 0},
    {0, 1, 1}, {1, 0, 1},       {1, 0.5f, 0},       {0.5f, 0.5f, 0.5f}, {0.6f, 0.3f, 0.1f},
    {0.4f, 0.6f, 1}, {1, 0.6f, 0.8f}, {0, 0.4f, 0}, {0, 0, 0.5f},    {0.5f, 0.5f, 0},
};

RGB palette_rgb(int k)
{
    return {shown(palette[k][0]), shown(palette[k][1]), shown(palette[k][2])};
}

// gks_demo run in the background: standard input ends its hold, standard output says when the
// sheet is ready.
struct Demo {
    pid_t pid = -1;
    int to_child = -1;
    FILE *from_child = nullptr;
    std::string err_file;

    Demo(const std::string &display, const std::vector<std::string> &args, const std::string &err)
        : err_file(err)
    {
        int to[2], from[2];
        if (pipe(to) != 0 || pipe(from) != 0) return;
        const std::string prog = vyktest::tool("gks_demo");
        std::vector<char *> argv;
        argv.push_back(const_cast<char *>(prog.c_str()));
        for (const std::string &a : args) argv.push_back(const_cast<char *>(a.c_str()));
        argv.push_back(nullptr);
        std::fflush(nullptr);
        pid = fork();
        if (pid == 0) {
            dup2(to[0], 0);
            dup2(from[1], 1);
            close(to[0]);
            close(to[1]);
            close(from[0]);
            close(from[1]);
            if (!freopen(err_file.c_str(), "w", stderr)) _exit(127);
            setenv("DISPLAY", display.c_str(), 1);
            execv(prog.c_str(), argv.data());
            _exit(127);
        }
        close(to[0]);
        close(from[1]);
        to_child = to[1];
        from_child = fdopen(from[0], "r");
    }
    ~Demo()
    {
        if (to_child >= 0) close(to_child);
        if (from_child) std::fclose(from_child);
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
    }
    std::string line()
    {
        char buf[200];
        if (!from_child || !std::fgets(buf, sizeof buf, from_child)) return "";
        return buf;
    }
    // Ends the hold; the exit status.
    int finish()
    {
        close(to_child);
        to_child = -1;
        int st = 0;
        waitpid(pid, &st, 0);
        pid = -1;
        return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    }
};

unsigned long field(const std::string &line, const std::string &name)
{
    const size_t p = line.find(name + "=");
    if (p == std::string::npos) return 0;
    return std::strtoul(line.c_str() + p + name.size() + 1, nullptr, 10);
}

// ---------------------------------------------------------------------------------------------
// In-process drawing read back from the pixmap
// ---------------------------------------------------------------------------------------------

Image pixmap_image()
{
    int w, h;
    gget_win_size(&w, &h);
    Image img;
    XImage *x = XGetImage(gget_display(), gget_draw_window(), 0, 0, static_cast<unsigned>(w),
                          static_cast<unsigned>(h), AllPlanes, ZPixmap);
    if (!x) return img;
    img.width = w;
    img.height = h;
    img.pixels.resize(static_cast<size_t>(w) * h * 3);
    const unsigned long rm = gget_red_mask(), gm = gget_grn_mask(), bm = gget_blu_mask();
    for (int y = 0; y < h; y++)
        for (int px = 0; px < w; px++) {
            const unsigned long p = XGetPixel(x, px, y);
            char *d = &img.pixels[(static_cast<size_t>(y) * w + px) * 3];
            d[0] = static_cast<char>((p & rm) >> 16);
            d[1] = static_cast<char>((p & gm) >> 8);
            d[2] = static_cast<char>(p & bm);
        }
    XDestroyImage(x);
    return img;
}

Gint line(float x0, float y0, float x1, float y1)
{
    const Gpt pts[2] = {{x0, y0}, {x1, y1}};
    return gpolyline(2, pts);
}

void open_window()
{
    ASSERT_EQ(gopen_gks(nullptr, 0), 0);
    ASSERT_EQ(gopen_ws(1, "", GWS_X11), 0);
    ASSERT_EQ(gget_red_mask(), 0xff0000u);
    pixel_world();
    define(1, 1, 1, 1);
    define(2, 1, 0, 0);
    define(3, 0, 1, 0);
}

const RGB white = {255, 255, 255}, red = {255, 0, 0}, green = {0, 255, 0}, black = {0, 0, 0};

}  // namespace

// ---------------------------------------------------------------------------------------------
// The test sheet
// ---------------------------------------------------------------------------------------------

TEST(GksLine, SheetOnTrueColorAndPseudoColorScreens)
{
    for (const char *screen : {"1024x768x24", "1024x768x8"}) {
        SCOPED_TRACE(screen);
        PrivateX server(screen, false);
        ASSERT_FALSE(server.name().empty());
        vyktest::TempDir dir;
        Demo demo(server.name(), {"--hold-stdin"}, dir.file("err"));
        const std::string ready = demo.line();
        ASSERT_TRUE(has(ready, "ready window=")) << ready << vyktest::read_file(dir.file("err"));
        const Image img =
            vyktest::capture_xwd(field(ready, "window"), server.name(), dir.file("sheet.png"));
        ASSERT_EQ(img.width, 640);
        ASSERT_EQ(img.height, 512);
        EXPECT_EQ(demo.finish(), 0) << vyktest::read_file(dir.file("err"));

        // Line types, colour 5, pixel rows 511 - y: solid, then the dash lists from the line's
        // start (the last run may be cut by the line's end).
        const RGB yellow = palette_rgb(5);
        struct Type {
            int row;
            std::vector<int> pattern;
        };
        const Type types[] = {
            {31, {}}, {55, {6, 6}}, {79, {3, 6}}, {103, {6, 6, 3, 6}}, {127, {2, 2}}};
        for (const Type &t : types) {
            SCOPED_TRACE(t.row);
            const std::vector<int> got = runs(img, t.row, 20, 300, yellow);
            if (t.pattern.empty()) {
                EXPECT_EQ(got, std::vector<int>{281});
                continue;
            }
            ASSERT_GT(got.size(), 8u);
            for (size_t i = 0; i + 1 < got.size(); i++)
                EXPECT_EQ(got[i], t.pattern[i % t.pattern.size()]) << "run " << i;
            EXPECT_EQ(img.at(19, t.row), black);
        }

        // Widths 0, 1, 2, 4, 8 and 12 in colour 6 at rows 171 + 30 k.
        const RGB cyan = palette_rgb(6);
        const int widths[] = {1, 1, 2, 4, 8, 12};
        for (int k = 0; k < 6; k++) {
            const int row = 171 + 30 * k;
            EXPECT_EQ(column_count(img, 160, row - 14, row + 14, cyan), widths[k]) << "width " << k;
            EXPECT_EQ(img.at(160, row), cyan);
        }
        // The matrix: solid lines of widths 3 and 6 at y 150 (row 361).
        EXPECT_EQ(column_count(img, 150, 350, 372, white), 3);
        EXPECT_EQ(column_count(img, 250, 350, 372, white), 6);

        // Swatches of the 16 palette colours.
        for (int k = 0; k < 16; k++) {
            const int x = 345 + 70 * (k % 4) + 25, y = 511 - (465 - 45 * (k / 4));
            EXPECT_TRUE(near(img.at(x, y), palette_rgb(k)))
                << "colour " << k << " " << img.at(x, y) << " want " << palette_rgb(k);
            EXPECT_TRUE(near(img.at(x - 24, y + 14), palette_rgb(k))) << "colour " << k;
        }
        // The frame and the background.
        EXPECT_EQ(img.at(4, 250), white);
        EXPECT_EQ(img.at(635, 250), white);
        EXPECT_EQ(img.at(320, 2), black);
        // The long wave (200 points, width 2, colour 3) has its crest at x 515, y 150.
        EXPECT_EQ(column_count(img, 515, 350, 372, palette_rgb(3)), 2);
    }
}

TEST(GksLine, DemoDrawsIntoTheLoopWindow)
{
    PrivateX server("800x600x24", false);
    ASSERT_FALSE(server.name().empty());
    vyktest::TempDir dir;
    const std::string prog = vyktest::tool("gks_loopwin_tool");
    std::fflush(nullptr);
    const pid_t loop = fork();
    if (loop == 0) {
        if (!freopen(dir.file("loop.out").c_str(), "w", stdout)) _exit(3);
        setenv("DISPLAY", server.name().c_str(), 1);
        execl(prog.c_str(), prog.c_str(), dir.path().c_str(), "answer", nullptr);
        _exit(3);
    }
    // However long the program takes to start, its window-id file is waited for until it
    // appears or the program ends.
    while (access(dir.file("vovadev.3").c_str(), R_OK) != 0 &&
           waitpid(loop, nullptr, WNOHANG) == 0)
        usleep(20000);
    unsigned long win = 0, pix = 0;
    const std::string desc = vyktest::read_file(dir.file("vovadev.3"));
    ASSERT_EQ(std::sscanf(desc.c_str(), "+%lu:%lu:", &win, &pix), 2);

    {
        Demo demo(server.name(),
                  {"-de", "w,,w3", "-fp", dir.path(), "--pix-mode", "9", "--hold-stdin"},
                  dir.file("err"));
        const std::string ready = demo.line();
        ASSERT_TRUE(has(ready, "ready window=")) << ready << vyktest::read_file(dir.file("err"));
        EXPECT_EQ(field(ready, "window"), win);
        EXPECT_EQ(field(ready, "pixmap"), pix);
        const Image img = vyktest::capture_xwd(win, server.name(), dir.file("loop.png"));
        ASSERT_EQ(img.width, 400);
        ASSERT_EQ(img.height, 300);
        // The sheet fills the 400 x 300 window with its aspect kept: 299 / 511 pixels a unit.
        const float s = 299.0f / 511.0f;
        for (int k : {2, 4, 5, 8}) {
            const float x = 345 + 70.0f * static_cast<float>(k % 4) + 25;
            const float y = 465 - 45.0f * static_cast<float>(k / 4);
            const int px = static_cast<int>(x * s + 0.5f);
            const int py = static_cast<int>((511 - y) * s + 0.5f);
            EXPECT_TRUE(near(img.at(px, py), palette_rgb(k)))
                << "colour " << k << " " << img.at(px, py);
        }
        // Line type 1 at y 480 in colour 5.
        EXPECT_EQ(img.at(static_cast<int>(150 * s), static_cast<int>(31 * s + 0.5f)),
                  palette_rgb(5));
        EXPECT_EQ(demo.finish(), 0) << vyktest::read_file(dir.file("err"));
    }
    // The close ended the loop window's hold.
    int st = 0;
    waitpid(loop, &st, 0);
    EXPECT_TRUE(WIFEXITED(st) && WEXITSTATUS(st) == 0);
    EXPECT_EQ(vyktest::read_file(dir.file("loop.out")), "notice 9\n");
}

// ---------------------------------------------------------------------------------------------
// Pixels of the pixmap
// ---------------------------------------------------------------------------------------------

TEST(GksLine, PensThinLinesKeptDashesAndEdges)
{
    open_window();
    // A pen draws in colour 1 on X11.
    EXPECT_EQ(gset_line_colr_ind(503), 0);
    EXPECT_EQ(gget_line_colr(), 1);
    EXPECT_EQ(line(20, 500, 200, 500), 0);

    // Width 0.5 is the thin line.
    gset_line_colr_ind(2);
    EXPECT_EQ(gset_linewidth(0.5f), 0);
    line(20, 480, 200, 480);
    // Width 4.
    gset_linewidth(4);
    line(20, 440, 200, 440);

    // Type 7 keeps the dash list of type 2.
    gset_linewidth(1);
    EXPECT_EQ(gset_linetype(2), 0);
    EXPECT_EQ(gset_linetype(7), 0);
    line(20, 460, 200, 460);
    gset_linetype(1);

    // A line wholly beside the window is culled; one touching its edge is drawn.
    gset_line_colr_ind(3);
    EXPECT_EQ(line(700, 300, 800, 300), 0);
    EXPECT_EQ(line(600, 300, 639, 300), 0);
    EXPECT_EQ(line(639, 300, 700, 300), 0);
    // A long polyline.
    std::vector<Gpt> pts(1000);
    for (int i = 0; i < 1000; i++)
        pts[static_cast<size_t>(i)] = {20 + 0.6f * static_cast<float>(i), 420};
    EXPECT_EQ(gpolyline(1000, pts.data()), 0);

    const Image img = pixmap_image();
    EXPECT_EQ(runs(img, 11, 20, 200, white), std::vector<int>{181});
    EXPECT_EQ(column_count(img, 100, 20, 40, red), 1);
    EXPECT_EQ(img.at(100, 31), red);
    EXPECT_EQ(column_count(img, 100, 60, 80, red), 4);
    const std::vector<int> dashes = runs(img, 51, 20, 200, red);
    ASSERT_GT(dashes.size(), 10u);
    for (size_t i = 0; i + 1 < dashes.size(); i++) EXPECT_EQ(dashes[i], 6) << i;
    EXPECT_EQ(img.at(639, 211), green);
    EXPECT_EQ(img.at(620, 211), green);
    EXPECT_EQ(runs(img, 91, 20, 618, green), std::vector<int>{599});
    gclose_ws(1);
}

TEST(GksLine, RubberBandInExclusiveOr)
{
    open_window();
    const Image before = pixmap_image();
    const Drawable pix = gget_draw_window();
    const XPoint a = {300, 200}, b = {200, 100};
    EXPECT_EQ(gget_line_gc_func(), GXcopy);
    EXPECT_EQ(gset_line_gc_func(GXxor), 0);
    EXPECT_EQ(gget_line_gc_func(), GXxor);
    gxrect(pix, &a, &b);
    gxline(pix, &a, &b);
    const Image once = pixmap_image();
    EXPECT_NE(once.at(200, 150), before.at(200, 150));  // the left side
    EXPECT_NE(once.at(250, 100), before.at(250, 100));  // the top
    EXPECT_NE(once.at(300, 150), before.at(300, 150));  // the right side
    EXPECT_NE(once.at(250, 200), before.at(250, 200));  // the bottom
    EXPECT_NE(once.at(250, 150), before.at(250, 150));  // the diagonal
    EXPECT_EQ(once.at(201, 120), before.at(201, 120));  // inside
    // Drawn again, the band is gone.
    gxrect(pix, &a, &b);
    gxline(pix, &a, &b);
    const Image twice = pixmap_image();
    EXPECT_EQ(twice.pixels, before.pixels);
    gset_line_gc_func(GXcopy);
    gxline(pix, &a, &b);
    EXPECT_EQ(pixmap_image().at(250, 150), white);
    gclose_ws(1);
}

TEST(GksLine, RedefinedColourReloadsTheContext)
{
    open_window();
    gset_line_colr_ind(2);
    line(20, 300, 200, 300);
    define(2, 0, 1, 0);  // the current line colour changes
    line(20, 280, 200, 280);
    const Image img = pixmap_image();
    EXPECT_EQ(img.at(100, 211), red);  // shared cells: what was drawn stays
    EXPECT_EQ(img.at(100, 231), green);
    gclose_ws(1);
}

// A second workstation gets a context of its own: the first one's was freed at its close.
TEST(GksLine, EveryWorkstationGetsItsOwnContext)
{
    CaptureStdio cap;
    for (int round = 0; round < 3; round++) {
        open_window();
        ASSERT_NE(gget_line_gc(), nullptr);
        gset_line_colr_ind(2);
        gset_linewidth(3);
        line(20, 300, 200, 300);
        EXPECT_EQ(column_count(pixmap_image(), 100, 200, 220, red), 3) << round;
        gclose_ws(1);
    }
    cap.finish();
    EXPECT_FALSE(has(cap.err(), "X11 error")) << cap.err();
}

// ---------------------------------------------------------------------------------------------
// Attributes and the file workstations
// ---------------------------------------------------------------------------------------------

TEST(GksLine, SettersCheckTheirValues)
{
    gopen_gks(nullptr, 0);
    {
        CaptureStdio cap;
        EXPECT_EQ(gpolyline(2, nullptr), -1);
        EXPECT_EQ(gset_line_colr_ind(1), -1);
        EXPECT_EQ(gset_linewidth(1), -1);
        EXPECT_EQ(gset_linetype(1), -1);
        cap.finish();
        EXPECT_EQ(cap.err(), "gpolyline: GKS not opened\n\ngset_line_colr_ind: GKS not opened\n\n"
                             "gset_linewidth: GKS not opened\n\ngset_linetype: GKS not opened\n\n");
    }
    open_window();
    const Gpt one[1] = {{1, 1}};
    struct Case {
        Gint result;
        const char *message;
    };
    CaptureStdio cap;
    const Case cases[] = {
        {gpolyline(1, one), "gpolyline: invalid number of points: 1\n\n"},
        {gpolyline(0, one), "gpolyline: invalid number of points: 0\n\n"},
        {gset_line_colr_ind(600), "gset_line_colr_ind: invalid color index: 600\n\n"},
        {gset_line_colr_ind(40), "gset_line_colr_ind: color index not initialized\n\n"},
        {gset_linewidth(-1), "gset_linewidth: invalid line width: -1.000000\n\n"},
        {gset_linewidth(NAN), "gset_linewidth: invalid line width: nan\n\n"},
        {gset_linetype(-2), "gset_linetype: invalid line type: -2\n\n"},
    };
    cap.finish();
    std::string want;
    for (const Case &c : cases) {
        EXPECT_EQ(c.result, -1) << c.message;
        want += c.message;
    }
    EXPECT_EQ(cap.err(), want);
    EXPECT_EQ(gget_line_colr(), 1);
    EXPECT_EQ(gset_line_print_bold(0), 0);
    EXPECT_EQ(gget_line_print_bold(), 1);
    EXPECT_EQ(gset_line_print_bold(3), 0);
    EXPECT_EQ(gget_line_print_bold(), 3);
    gclose_ws(1);
}

TEST(GksLine, MetafileRecordsAndRepeatedSettings)
{
    vyktest::TempDir dir;
    const std::string file = dir.file("out.meta");
    gopen_gks(nullptr, 0);
    ASSERT_EQ(gopen_ws(1, (file + ",vyk").c_str(), GWS_META), 0);
    define(2, 1, 0, 0);
    EXPECT_EQ(gset_line_colr_ind(2), 0);
    EXPECT_EQ(gset_line_colr_ind(2), 0);
    EXPECT_EQ(gset_linewidth(2.5f), 0);
    EXPECT_EQ(gset_linewidth(2.5f), 0);
    EXPECT_EQ(gset_linetype(3), 0);
    EXPECT_EQ(gset_linetype(3), 0);
    Gpt eight[8];
    for (int i = 0; i < 8; i++) eight[i] = {0.1f * static_cast<float>(i + 1), 0.5f};
    EXPECT_EQ(gpolyline(8, eight), 1);
    EXPECT_EQ(gpolyline(4, eight), 1);
    const Gpt beside[2] = {{2, 2}, {3, 3}};
    EXPECT_EQ(gpolyline(2, beside), 0);
    gclose_ws(1);
    const std::string text = vyktest::read_file(file);
    EXPECT_EQ(count(text, "PL_CLR 2\n"), 1) << text;
    EXPECT_EQ(count(text, "PL_LW 2.500000\n"), 1) << text;
    EXPECT_EQ(count(text, "PL_TYPE 3\n"), 1) << text;
    EXPECT_TRUE(has(text, "PL 8 0.100000,0.500000 0.200000,0.500000 0.300000,0.500000 "
                          "0.400000,0.500000 \n   0.500000,0.500000 0.600000,0.500000 "
                          "0.700000,0.500000 0.800000,0.500000 \n"))
        << text;
    EXPECT_TRUE(has(text, "PL 4 0.100000,0.500000 0.200000,0.500000 0.300000,0.500000 "
                          "0.400000,0.500000 \n"))
        << text;
    EXPECT_FALSE(has(text, "PL 2 ")) << text;
}

TEST(GksLine, PostScriptAndHpglPaths)
{
    vyktest::TempDir dir;
    gopen_gks(nullptr, 0);

    const std::string ps = dir.file("out.ps");
    ASSERT_EQ(gopen_ws(1, ps.c_str(), GWS_PS), 0);
    define(2, 1, 0, 0);
    EXPECT_EQ(gset_linewidth(0), 0);  // stored as 1 on paper
    EXPECT_EQ(gset_linewidth(1), 0);
    const Gpt three[3] = {{0.1f, 0.1f}, {0.5f, 0.5f}, {0.9f, 0.1f}};
    EXPECT_EQ(gpolyline(3, three), 0);
    gclose_ws(1);
    const std::string pstext = vyktest::read_file(ps);
    const size_t at = pstext.find("%%PL:3\n");
    ASSERT_NE(at, std::string::npos) << pstext;
    const std::string path = pstext.substr(at);
    EXPECT_TRUE(has(path, "np\n")) << path;
    EXPECT_LT(path.find(" mv\n"), path.find(" ln\n"));
    EXPECT_EQ(count(path.substr(0, path.find("stroke\n")), " ln\n"), 2) << path;
    // Ghostscript draws it.
    const auto gs = run("gs -dSAFER -dBATCH -dNOPAUSE -q -sDEVICE=png16m -r72 -sOutputFile=" +
                        vyktest::quote(dir.file("ps.png")) + " " + vyktest::quote(ps));
    EXPECT_EQ(gs.status, 0) << gs.err;

    // HP-GL/2: a 25-point line breaks after the points numbered 9 and 19.
    const std::string hp = dir.file("out.hpgl");
    ASSERT_EQ(gopen_ws(1, hp.c_str(), GWS_HPGL), 0);
    Gpt pts[25];
    for (int i = 0; i < 25; i++) pts[i] = {0.02f + 0.03f * static_cast<float>(i), 0.5f};
    EXPECT_EQ(gpolyline(25, pts), 0);
    gclose_ws(1);
    const std::string hptext = vyktest::read_file(hp);
    const size_t start = hptext.rfind("PU", hptext.find("PD"));
    ASSERT_NE(start, std::string::npos) << hptext;
    std::vector<int> per_line;
    size_t p = start;
    for (int k = 0; k < 3; k++) {
        const size_t end = hptext.find('\n', p);
        ASSERT_NE(end, std::string::npos);
        per_line.push_back(count(hptext.substr(p, end - p), "PD"));
        p = end + 1;
    }
    EXPECT_EQ(per_line, (std::vector<int>{9, 10, 5})) << hptext;
}
