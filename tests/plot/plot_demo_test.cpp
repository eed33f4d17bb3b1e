// The plot frame end to end through plot_demo, as a user drives it: the window with its data
// area and six labels (captured with xwd), zoom, return and resize re-plots typed with xdotool,
// image dumps of every kind checked by pngcheck, giftext and ImageMagick, frame series, batch
// runs on PostScript (rendered by ghostscript) and on the window, and outputs that cannot be
// written.
#include <gtest/gtest.h>

#include "image_util.h"
#include "test_util.h"

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using vyktest::PrivateX;
using vyktest::RgbImage;
using vyktest::run;
using vyktest::TempDir;
using vyktest::ToolProcess;
using vyktest::has;

namespace {

const char *const LATLON = "ll,0,0,41,21,1,1";  // 40 by 20 degrees: aspect 2


bool exists(const std::string &file)
{
    struct stat st;
    return stat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0;
}

std::string demo() { return vyktest::tool("plot_demo"); }
std::string etc() { return std::string(VYK_SOURCE_DIR) + "/etc"; }

std::vector<std::string> demo_args(std::vector<std::string> extra, const char *domain = LATLON)
{
    std::vector<std::string> args = {"-fp", etc()};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back(domain);
    return args;
}

// A shell command line running plot_demo (on display when it is not empty).
std::string demo_command(const std::string &display, const std::string &options,
                         const char *domain = LATLON)
{
    const std::string env = display.empty() ? "env -u DISPLAY " : "DISPLAY=" + display + " ";
    return env + vyktest::quote(demo()) + " -fp " + vyktest::quote(etc()) + " " + options + " " +
           vyktest::quote(domain);
}

struct PlotLine {
    int pass = 0, proj = 0, nx = 0, ny = 0, cursor = -1;
    double clat = 0, clon = 0, dx = 0, dy = 0;
};

// "plot N PROJ CLAT CLON DX DY NX NY cursor C"
PlotLine parse_plot(const std::string &line)
{
    PlotLine p;
    std::istringstream in(line);
    std::string word, cursor;
    in >> word >> p.pass >> p.proj >> p.clat >> p.clon >> p.dx >> p.dy >> p.nx >> p.ny >> cursor >>
        p.cursor;
    return p;
}

struct EventLine {
    std::string name;
    double x = 0, y = 0;
    int cursor = -1;
};

// "event NAME X Y cursor C"
EventLine parse_event(const std::string &line)
{
    EventLine e;
    std::istringstream in(line);
    std::string word, cursor;
    in >> word >> e.name >> e.x >> e.y >> cursor >> e.cursor;
    return e;
}

// "view X0 X1 Y0 Y1": the data area's width over its height.
double view_aspect(const std::string &line)
{
    std::istringstream in(line);
    std::string word;
    double x0, x1, y0, y1;
    in >> word >> x0 >> x1 >> y0 >> y1;
    return (x1 - x0) / (y1 - y0);
}

struct DemoX : PrivateX {
    DemoX() : PrivateX("1024x768x24", false) {}
    int xdo(const std::string &args) const { return run("DISPLAY=" + name() + " xdotool " + args).status; }
    RgbImage capture(const std::string &win) const
    {
        return vyktest::capture_xwd(std::stoul(win), name());
    }
};

// Waits for the window, points into it and types "s" until the hold reports it.
std::string start_holding(const DemoX &x, ToolProcess &tool)
{
    const std::string open = tool.wait_for("window ");
    if (open.empty()) return "";
    const std::string win = open.substr(7);
    x.xdo("mousemove --window " + win + " 100 80");
    for (int attempt = 0; attempt < 100; attempt++) {
        x.xdo("key s");
        std::string l;
        while (tool.line(l, 200))
            if (l.compare(0, 8, "event s ") == 0) return win;
    }
    return "";
}

// Types Return until the hold ends and returns the tool's "close" line ("" when it never
// comes).  A re-plot of the timer may run at any moment, and a key typed while it draws can be
// gone by the time the hold reads the window again: the key is typed again, as a user would,
// and the wait is bounded although the timer's lines keep coming.
std::string end_holding(const DemoX &x, ToolProcess &tool)
{
    for (int attempt = 0; attempt < 100; attempt++) {
        x.xdo("key Return");
        std::string l;
        while (tool.line(l, 200))
            if (l.compare(0, 6, "close ") == 0) return l;
    }
    return "";
}

// The first line of a text that begins with prefix.
std::string line_of(const std::string &text, const std::string &prefix)
{
    std::istringstream in(text);
    std::string l;
    while (std::getline(in, l))
        if (l.compare(0, prefix.size(), prefix) == 0) return l;
    return "";
}

bool white(const vyktest::Rgb &c) { return c.r > 200 && c.g > 200 && c.b > 200; }

// The border of the data area: its left, right, top and bottom pixel lines.
struct Border {
    int left = -1, right = -1, top = -1, bottom = -1;
};

Border find_border(const RgbImage &img)
{
    Border b;
    const int row = img.height / 2, col = img.width / 4;
    for (int x = 0; x < img.width; x++)
        if (white(img.at(x, row))) {
            if (b.left < 0) b.left = x;
            b.right = x;
        }
    for (int y = 0; y < img.height; y++)
        if (white(img.at(col, y))) {
            if (b.top < 0) b.top = y;
            b.bottom = y;
        }
    return b;
}

// The white pixels of one label zone: above (upper) or below the border, in a third of the
// width; their bounding box.
struct Zone {
    int count = 0, x0 = 1 << 30, x1 = -1, y0 = 1 << 30, y1 = -1;
};

Zone label_zone(const RgbImage &img, const Border &b, bool upper, int third)
{
    Zone z;
    const int ya = upper ? 0 : b.bottom + 1, yb = upper ? b.top - 1 : img.height - 1;
    const int xa = img.width * third / 3, xb = img.width * (third + 1) / 3 - 1;
    for (int y = ya; y <= yb; y++)
        for (int x = xa; x <= xb; x++)
            if (white(img.at(x, y))) {
                z.count++;
                z.x0 = std::min(z.x0, x);
                z.x1 = std::max(z.x1, x);
                z.y0 = std::min(z.y0, y);
                z.y1 = std::max(z.y1, y);
            }
    return z;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// The window
// ---------------------------------------------------------------------------------------------

TEST(PlotDemo, WindowDataAreaKeepsItsAspectAndTheLabelsTheirPlaces)
{
    DemoX x;
    ASSERT_FALSE(x.name().empty());
    ToolProcess tool(demo(), demo_args({"-la", "ll:,ur2:Extra"}), {"DISPLAY=" + x.name()});
    const std::string win = start_holding(x, tool);
    ASSERT_FALSE(win.empty()) << tool.output();
    const RgbImage img = x.capture(win);
    ASSERT_GT(img.width, 0);
    const Border b = find_border(img);
    ASSERT_GE(b.left, 0);
    ASSERT_GT(b.bottom, b.top);
    EXPECT_NEAR(static_cast<double>(b.right - b.left) / (b.bottom - b.top), 2.0, 0.02);

    // Each label stands by its corner of the data area; "ll:" emptied the lower left one.
    const int w = img.width;
    for (int pos = 0; pos < 6; pos++) {
        SCOPED_TRACE(pos);
        const bool upper = pos < 3;
        const Zone z = label_zone(img, b, upper, pos % 3);
        if (pos == 3) {
            EXPECT_EQ(z.count, 0);
            continue;
        }
        ASSERT_GT(z.count, 20);
        if (upper) {
            EXPECT_LT(z.y1, b.top);
            EXPECT_GE(z.y1, b.top - 6);  // the base line just above the border
        } else {
            EXPECT_GT(z.y0, b.bottom);
            EXPECT_LE(z.y0, b.bottom + 8);  // the cap line just below the border
        }
        const int col = pos % 3;
        const double edge = 0.01 * (b.right - b.left);
        const double at[3] = {z.x0 - (b.left + edge), (z.x0 + z.x1) / 2.0 - w / 2.0,
                              z.x1 - (b.right - edge)};
        EXPECT_NEAR(at[col], 0, 4);
    }
    ASSERT_EQ(x.xdo("key Return"), 0);
    EXPECT_EQ(tool.wait_for("close "), "close 0") << tool.output();
    EXPECT_EQ(tool.status(), 0);
}

TEST(PlotDemo, ZoomReturnAndResizeReplotThroughTheCallback)
{
    DemoX x;
    ASSERT_FALSE(x.name().empty());
    ToolProcess tool(demo(), demo_args({}), {"DISPLAY=" + x.name()});
    const std::string win = start_holding(x, tool);
    ASSERT_FALSE(win.empty()) << tool.output();
    const PlotLine p1 = parse_plot(line_of(tool.output(), "plot 1 "));
    EXPECT_EQ(p1.dx, 1);

    // Shift-drag a box: the release re-plots the box's domain with the wait cursor, and the
    // callback gets its own cursor back.
    ASSERT_EQ(x.xdo("mousemove --window " + win + " 200 200 keydown shift mousedown 1 "
                    "mousemove --window " + win + " 300 240 mousemove --window " + win +
                    " 420 300 mouseup 1 keyup shift"),
              0);
    const EventLine press = parse_event(tool.wait_for("event B1-P-Shft"));
    const std::string p2line = tool.wait_for("plot 2 ");
    ASSERT_FALSE(p2line.empty()) << tool.output();
    const PlotLine p2 = parse_plot(p2line);
    EXPECT_EQ(p2.cursor, 8);
    const EventLine release = parse_event(tool.wait_for("event B1-R"));
    EXPECT_EQ(release.cursor, 1) << tool.output();
    const double expect = std::max(std::fabs(release.x - press.x) / 40, std::fabs(release.y - press.y) / 20);
    EXPECT_NEAR(p2.dx, expect, 1e-3 * expect);
    EXPECT_EQ(p2.dx, p2.dy);
    EXPECT_EQ(p2.nx, 41);
    EXPECT_EQ(p2.proj, p1.proj);
    EXPECT_NEAR(p2.clat, (press.y + release.y) / 2, 0.05);
    EXPECT_NEAR(p2.clon, (press.x + release.x) / 2, 0.05);

    // Alt-u: back to the first domain.
    ASSERT_EQ(x.xdo("key alt+u"), 0);
    const PlotLine p3 = parse_plot(tool.wait_for("plot 3 "));
    EXPECT_EQ(p3.dx, p1.dx);
    EXPECT_EQ(p3.clat, p1.clat);
    EXPECT_EQ(p3.clon, p1.clon);
    EXPECT_EQ(parse_event(tool.wait_for("event u-Alt")).cursor, 1);

    // A resize re-plots the current domain into the new window, the aspect kept.
    ASSERT_EQ(x.xdo("windowsize " + win + " 500 300"), 0);
    const PlotLine p4 = parse_plot(tool.wait_for("plot 4 "));
    EXPECT_EQ(p4.cursor, 8);
    EXPECT_EQ(p4.dx, p1.dx);
    EXPECT_NEAR(view_aspect(tool.wait_for("view ")), 2, 1e-3);
    const EventLine size = parse_event(tool.wait_for("event size"));
    EXPECT_EQ(size.x, 500);
    EXPECT_EQ(size.cursor, 1);
    const RgbImage img = x.capture(win);
    EXPECT_EQ(img.width, 500);
    const Border b = find_border(img);
    EXPECT_NEAR(static_cast<double>(b.right - b.left) / (b.bottom - b.top), 2.0, 0.03);

    ASSERT_EQ(x.xdo("mousemove --window " + win + " 20 20 key Return"), 0);
    EXPECT_EQ(tool.wait_for("close "), "close 0") << tool.output();
    EXPECT_EQ(tool.status(), 0);
}

TEST(PlotDemo, TheTimerReplotsTheCurrentDomain)
{
    DemoX x;
    ASSERT_FALSE(x.name().empty());
    ToolProcess tool(demo(), demo_args({"--refresh", "1"}), {"DISPLAY=" + x.name()});
    const std::string win = start_holding(x, tool);
    ASSERT_FALSE(win.empty()) << tool.output();
    const PlotLine p1 = parse_plot(line_of(tool.output(), "plot 1 "));
    for (const char *pass : {"plot 2 ", "plot 3 "}) {
        const std::string line = tool.wait_for(pass);
        ASSERT_FALSE(line.empty()) << tool.output();
        const PlotLine p = parse_plot(line);
        EXPECT_EQ(p.cursor, 8);
        EXPECT_EQ(p.dx, p1.dx);
        EXPECT_EQ(p.clat, p1.clat);
    }
    const std::string closed = end_holding(x, tool);
    ASSERT_EQ(closed, "close 0") << tool.output();
    EXPECT_EQ(tool.status(), 0);
}

TEST(PlotDemo, ADiagramZoomsIntoItsValues)
{
    DemoX x;
    ASSERT_FALSE(x.name().empty());
    ToolProcess tool(demo(), demo_args({}, "cat,-1,-1000,20,18,14,18000"), {"DISPLAY=" + x.name()});
    const std::string win = start_holding(x, tool);
    ASSERT_FALSE(win.empty()) << tool.output();
    ASSERT_EQ(x.xdo("mousemove --window " + win + " 400 300 keydown shift mousedown 1 "
                    "mousemove --window " + win + " 300 200 mousemove --window " + win +
                    " 200 150 mouseup 1 keyup shift"),
              0);
    const PlotLine p2 = parse_plot(tool.wait_for("plot 2 "));
    EXPECT_EQ(p2.proj, 24);
    EXPECT_GT(p2.clat, -1);       // the box's left column, in files
    EXPECT_LT(p2.dx, 14);
    EXPECT_GT(p2.clon, -1000);    // its bottom, in metres
    EXPECT_LT(p2.dy, 18000);
    EXPECT_EQ(p2.nx, 20);
    ASSERT_EQ(x.xdo("key alt+q"), 0);
    EXPECT_EQ(tool.wait_for("close "), "close 0") << tool.output();
    EXPECT_EQ(tool.status(), 0);
}

// ---------------------------------------------------------------------------------------------
// Dumps
// ---------------------------------------------------------------------------------------------

TEST(PlotDemo, DumpsOfEveryKindCarryTheirOwnSuffix)
{
    DemoX x;
    ASSERT_FALSE(x.name().empty());
    TempDir dir;
    const std::string d = dir.path();
    const vyktest::RunResult r = run(demo_command(
        x.name(), "-pp gif_inter -of png=" + d + "/p.png,gif=" + d + "/p.gif,xwd=" + d +
                      "/p.xwd,img=" + d + "/p.img,vyk"));
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_TRUE(has(r.out, "close 0")) << r.out;
    EXPECT_TRUE(has(r.out, "Wrote PNG file: " + d + "/p.png")) << r.out;
    EXPECT_EQ(run("pngcheck " + d + "/p.png").status, 0);
    const vyktest::RunResult gif = run("giftext " + d + "/p.gif");
    EXPECT_EQ(gif.status, 0) << gif.err;
    EXPECT_TRUE(has(gif.out, "Image is Interlaced")) << gif.out;
    EXPECT_TRUE(has(run("identify " + d + "/p.xwd").out, "XWD"));
    EXPECT_EQ(vyktest::read_file(d + "/p.img").substr(0, 6), "VYKIMG");
    // The same picture in each file.
    const std::vector<vyktest::Rgb> png = vyktest::magick_rgb(d + "/p.png");
    ASSERT_EQ(png.size(), 640u * 512u);
    EXPECT_TRUE(png == vyktest::magick_rgb(d + "/p.gif"));
    EXPECT_TRUE(png == vyktest::magick_rgb(d + "/p.xwd"));

    // A name with another kind's suffix gets its own; the default names too.
    const vyktest::RunResult r2 = run("cd " + d + " && " +
                                      demo_command(x.name(), "-of png=" + d + "/same.gif,xwd"));
    ASSERT_EQ(r2.status, 0) << r2.err;
    EXPECT_TRUE(exists(d + "/same.png"));
    EXPECT_FALSE(exists(d + "/same.gif"));
    EXPECT_TRUE(exists(d + "/vyk_win.xwd"));  // the shipped convention of the default name
    EXPECT_TRUE(has(r2.err, "a PNG dump is named")) << r2.err;
}

TEST(PlotDemo, FramesOfASeriesGetDistinctNames)
{
    DemoX x;
    ASSERT_FALSE(x.name().empty());
    TempDir dir;
    const std::string d = dir.path();
    const vyktest::RunResult r = run(demo_command(
        x.name(), "--frames 3 -of gif=" + d + "/s.gif,png=" + d + "/t%i.png"));
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    for (int i = 0; i < 3; i++) {
        SCOPED_TRACE(i);
        char n[8];
        std::snprintf(n, sizeof n, "%2.2d", i);
        EXPECT_TRUE(exists(d + "/s-" + n + ".gif")) << r.out;
        EXPECT_TRUE(exists(d + "/t" + n + ".png")) << r.out;
    }
    EXPECT_FALSE(exists(d + "/s.gif"));
    // Each frame is its own picture: the bar under the plot grows.
    EXPECT_FALSE(vyktest::magick_rgb(d + "/t00.png") == vyktest::magick_rgb(d + "/t02.png"));
    EXPECT_TRUE(vyktest::magick_rgb(d + "/t01.png") == vyktest::magick_rgb(d + "/s-01.gif"));
}

TEST(PlotDemo, ADumpThatCannotBeWrittenFailsThePlot)
{
    DemoX x;
    ASSERT_FALSE(x.name().empty());
    TempDir dir;
    vyktest::write_file(dir.file("file"), "not a directory\n");
    const vyktest::RunResult r = run(demo_command(x.name(), "-of png=" + dir.file("file") + "/x.png"));
    EXPECT_EQ(r.status, 1) << r.out << r.err;
    EXPECT_TRUE(has(r.err, "PLT_dump: Unable to write PNG file: " + dir.file("file") + "/x.png")) << r.err;
    EXPECT_TRUE(has(r.out, "close -1")) << r.out;
}

// ---------------------------------------------------------------------------------------------
// Batch mode
// ---------------------------------------------------------------------------------------------

TEST(PlotDemo, BatchPostScriptEndsInTheForegroundWithItsStatus)
{
    TempDir dir;
    const std::string ps = dir.file("out.ps");
    const vyktest::RunResult r = run(demo_command("", "-ba -de p," + ps));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(has(r.out, "close 0")) << r.out;  // the foreground wrote it
    ASSERT_TRUE(exists(ps));
    const vyktest::RunResult gs = run("gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=ppmraw -r36 -sOutputFile=- " + ps);
    ASSERT_EQ(gs.status, 0) << gs.err;
    const RgbImage page = vyktest::parse_ppm(gs.out);
    int dark = 0;
    for (int y = 0; y < page.height; y++)
        for (int x0 = 0; x0 < page.width; x0++)
            if (page.at(x0, y).r < 128) dark++;
    EXPECT_GT(dark, 100);

    // An output directory that cannot be made: a message and a failure status.
    vyktest::write_file(dir.file("file"), "x");
    const vyktest::RunResult bad = run(demo_command("", "-ba -de p," + dir.file("file") + "/out.ps"));
    EXPECT_NE(bad.status, 0);
    EXPECT_FALSE(bad.err.empty());
    EXPECT_FALSE(has(bad.out, "close 0")) << bad.out;
}

TEST(PlotDemo, BatchWindowDetachesAndTheBackgroundHoldsIt)
{
    DemoX x;
    ASSERT_FALSE(x.name().empty());
    ToolProcess tool(demo(), demo_args({"-ba"}), {"DISPLAY=" + x.name()});
    const std::string open = tool.wait_for("window ");
    ASSERT_FALSE(open.empty()) << tool.output();
    const std::string win = open.substr(7);
    // The foreground ends with 0 and the output ends with it: the background's streams are
    // elsewhere (on /dev/null), and it never reaches the close.  The foreground's lines came
    // out before the fork (the tool's output is fully buffered in batch mode).
    EXPECT_EQ(tool.status(), 0);
    tool.rest(20000);
    EXPECT_TRUE(tool.output_closed());
    EXPECT_FALSE(has(tool.output(), "close ")) << tool.output();
    EXPECT_TRUE(has(tool.output(), "plot 1 ")) << tool.output();
    // The window stays until the background's hold ends.
    const std::string info = "xwininfo -display " + x.name() + " -id " + win;
    EXPECT_EQ(run(info).status, 0);
    bool gone = false;
    for (int attempt = 0; attempt < 100 && !gone; attempt++) {
        x.xdo("mousemove --window " + win + " 30 30 key Return");
        for (int wait = 0; wait < 5 && !gone; wait++) {
            gone = run(info).status != 0;
            if (!gone) usleep(20000);
        }
    }
    EXPECT_TRUE(gone);
}
