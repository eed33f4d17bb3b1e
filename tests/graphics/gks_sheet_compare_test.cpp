// The same test sheet on the own X11 window and on PostScript looks alike: the window capture
// and the rendered page hold the sheet's frame with the same proportions, and a few known
// features (the solid square, the red disc, a square marker) sit at the same places relative to
// the frame, within a few percent.  The page prints the sheet turned a quarter (landscape on a
// portrait page), which the comparison undoes.
#include <gtest/gtest.h>

#include "image_util.h"
#include "test_util.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>

namespace {

// The frame's outline runs along these sheet coordinates (sheet 640 by 512, y upward).
constexpr double FRAME_X0 = 4, FRAME_X1 = 635, FRAME_Y0 = 4, FRAME_Y1 = 507;
constexpr double TOLERANCE = 0.02;  // in parts of the frame's width or height

using vyktest::Rgb;
using Image = vyktest::RgbImage;

// A box in sheet coordinates.
struct Box {
    double x0 = 1e9, x1 = -1e9, y0 = 1e9, y1 = -1e9;
    bool empty() const { return x0 > x1; }
    void add(double x, double y)
    {
        x0 = std::min(x0, x), x1 = std::max(x1, x);
        y0 = std::min(y0, y), y1 = std::max(y1, y);
    }
};

std::ostream &operator<<(std::ostream &os, const Box &b)
{
    return os << "x " << b.x0 << ".." << b.x1 << " y " << b.y0 << ".." << b.y1;
}

// The sheet as it shows in an image: the frame's bounding box in pixels and whether the sheet
// is turned a quarter (its x running up the image, its y to the left).
struct Sheet {
    const Image *img = nullptr;
    int left = 0, right = -1, top = 0, bottom = -1;
    bool turned = false;

    // Sheet coordinates of the pixel (px, py).
    void to_sheet(int px, int py, double *x, double *y) const
    {
        double u, v;  // 0 to 1 across the frame along the sheet's x and y
        if (turned) {
            u = static_cast<double>(bottom - py) / (bottom - top);
            v = static_cast<double>(right - px) / (right - left);
        } else {
            u = static_cast<double>(px - left) / (right - left);
            v = static_cast<double>(bottom - py) / (bottom - top);
        }
        *x = FRAME_X0 + u * (FRAME_X1 - FRAME_X0);
        *y = FRAME_Y0 + v * (FRAME_Y1 - FRAME_Y0);
    }

    // The box of the pixels inside `region` that `match` accepts, in sheet coordinates.
    Box find(const Box &region, const std::function<bool(const Rgb &)> &match) const
    {
        Box found;
        for (int py = top; py <= bottom; py++) {
            for (int px = left; px <= right; px++) {
                double x, y;
                to_sheet(px, py, &x, &y);
                if (x < region.x0 || x > region.x1 || y < region.y0 || y > region.y1) continue;
                if (match(img->at(px, py))) found.add(x, y);
            }
        }
        return found;
    }
};

// The frame is the outermost drawing: the box of everything unlike the corner pixel.
Sheet find_sheet(const Image &img)
{
    Sheet s;
    s.img = &img;
    if (img.width == 0) return s;
    const Rgb background = img.at(0, 0);
    s.left = img.width, s.top = img.height;
    for (int y = 0; y < img.height; y++) {
        for (int x = 0; x < img.width; x++) {
            if (img.at(x, y) != background) {
                s.left = std::min(s.left, x), s.right = std::max(s.right, x);
                s.top = std::min(s.top, y), s.bottom = std::max(s.bottom, y);
            }
        }
    }
    s.turned = s.bottom - s.top > s.right - s.left;
    return s;
}

bool red(const Rgb &c) { return c.r > 200 && c.g < 80 && c.b < 80; }
bool cyan(const Rgb &c) { return c.r < 80 && c.g > 200 && c.b > 200; }
bool yellow(const Rgb &c) { return c.r > 200 && c.g > 200 && c.b < 80; }

struct Feature {
    const char *what;
    Box region;    // where to look, sheet coordinates
    Box expected;  // where the sheet program draws it
    bool (*match)(const Rgb &);
    bool compare_extent;  // false: only the centre (sizes of markers may differ a little)
};

const Feature features[] = {
    {"solid square, pattern 0", {10, 78, 322, 388}, {20, 70, 330, 380}, cyan, true},
    {"red disc", {570, 632, 210, 270}, {580, 620, 220, 260}, red, true},
    {"square marker of size 3", {340, 390, 418, 464}, {365, 365, 440, 440}, yellow, false},
};

// Distances in parts of the frame.
double dx(double a, double b) { return std::abs(a - b) / (FRAME_X1 - FRAME_X0); }
double dy(double a, double b) { return std::abs(a - b) / (FRAME_Y1 - FRAME_Y0); }

void expect_near(const Box &got, const Box &want, bool extent, const std::string &what)
{
    SCOPED_TRACE(what);
    ASSERT_FALSE(got.empty());
    EXPECT_LT(dx((got.x0 + got.x1) / 2, (want.x0 + want.x1) / 2), TOLERANCE) << got;
    EXPECT_LT(dy((got.y0 + got.y1) / 2, (want.y0 + want.y1) / 2), TOLERANCE) << got;
    if (!extent) return;
    EXPECT_LT(dx(got.x0, want.x0), TOLERANCE) << got;
    EXPECT_LT(dx(got.x1, want.x1), TOLERANCE) << got;
    EXPECT_LT(dy(got.y0, want.y0), TOLERANCE) << got;
    EXPECT_LT(dy(got.y1, want.y1), TOLERANCE) << got;
}

const char SECTIONS[] = "frame,markers,fills";

std::string demo_command(const std::string &device)
{
    return vyktest::quote(vyktest::tool("gks_demo")) + " -de " + vyktest::quote(device) +
           " -fp " + vyktest::quote(VYK_SOURCE_DIR "/etc") + " --sections " + SECTIONS;
}

// Draws the sheet on the own window of a private X server and captures it into `png`.
void capture_window(const std::string &png)
{
    vyktest::PrivateX x;  // nothing of other tests covers the window
    ASSERT_FALSE(x.name().empty()) << "no X server";
    // The program keeps its window until a line arrives on its standard input (or that input
    // ends); the reading end is handed to it, the writing end stays here.
    int hold[2];
    ASSERT_EQ(pipe2(hold, O_CLOEXEC), 0);
    fcntl(hold[0], F_SETFD, 0);
    const std::string command = demo_command("d") + " --hold-stdin 0<&" +
                                std::to_string(hold[0]) + " " + std::to_string(hold[0]) +
                                "<&- 2>&1";
    std::fflush(nullptr);
    FILE *demo = popen(command.c_str(), "r");
    close(hold[0]);
    if (!demo) {
        close(hold[1]);
        FAIL() << "cannot start gks_demo";
    }
    std::string output, window;
    char line[512];
    while (window.empty() && std::fgets(line, sizeof line, demo)) {
        output += line;
        unsigned long id = 0;
        if (std::sscanf(line, "ready window=%lu", &id) == 1) window = std::to_string(id);
    }
    vyktest::RunResult xwd;
    if (!window.empty())
        xwd = vyktest::run("xwd -id " + window + " -nobdrs -silent | convert xwd:- png:" +
                           vyktest::quote(png));
    const ssize_t wrote = write(hold[1], "\n", 1);
    close(hold[1]);
    while (std::fgets(line, sizeof line, demo)) output += line;
    const int status = pclose(demo);
    EXPECT_EQ(wrote, 1);
    EXPECT_EQ(status, 0) << output;
    ASSERT_FALSE(window.empty()) << output;
    ASSERT_EQ(xwd.status, 0) << xwd.err;
}

void render_postscript(const std::string &ps, const std::string &png)
{
    const vyktest::RunResult demo = vyktest::run(demo_command("p," + ps + ",color"));
    ASSERT_EQ(demo.status, 0) << demo.out << demo.err;
    const vyktest::RunResult gs =
        vyktest::run("gs -dSAFER -dBATCH -dNOPAUSE -q -sDEVICE=png16m -r72 -sOutputFile=" +
                     vyktest::quote(png) + " " + vyktest::quote(ps));
    ASSERT_EQ(gs.status, 0) << gs.out << gs.err;
}

}  // namespace

TEST(GksSheet, WindowAndPostScriptAgree)
{
    vyktest::TempDir dir;
    const std::string window_png = dir.file("window.png"), ps = dir.file("sheet.ps"),
                      page_png = dir.file("page.png");
    ASSERT_NO_FATAL_FAILURE(capture_window(window_png));
    ASSERT_NO_FATAL_FAILURE(render_postscript(ps, page_png));

    const Image window_img = vyktest::read_picture(window_png), page_img = vyktest::read_picture(page_png);
    const Sheet window = find_sheet(window_img), page = find_sheet(page_img);
    ASSERT_GT(window.right - window.left, 100);
    ASSERT_GT(page.right - page.left, 100);

    // The window shows the sheet upright, pixel for pixel; the portrait page turns it.
    EXPECT_FALSE(window.turned);
    EXPECT_EQ(window.right - window.left, 635 - 4);
    EXPECT_EQ(window.bottom - window.top, 507 - 4);
    EXPECT_TRUE(page.turned);

    // The same proportions of the frame.
    const auto aspect = [](const Sheet &s) {
        const double w = s.right - s.left, h = s.bottom - s.top;
        return s.turned ? h / w : w / h;
    };
    EXPECT_NEAR(aspect(page) / aspect(window), 1.0, TOLERANCE);

    for (const Feature &f : features) {
        const Box on_window = window.find(f.region, f.match);
        const Box on_page = page.find(f.region, f.match);
        expect_near(on_window, f.expected, f.compare_extent, std::string(f.what) + " on the window");
        expect_near(on_page, f.expected, f.compare_extent, std::string(f.what) + " on the page");
        // The two agree with each other, extent included.
        expect_near(on_page, on_window, true, std::string(f.what) + ": page against window");
    }
}
