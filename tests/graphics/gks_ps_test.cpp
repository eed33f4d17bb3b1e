// PostScript and EPS output: the prolog and trailer of every page kind, option and paper-size
// handling of the workstation open, the EPS bounding box against ghostscript's, the graphics
// state cache, grey and colour output, images, appending and print pipes.  Every file written
// here is rendered by ghostscript, and any PostScript error fails the test.
#include <gtest/gtest.h>

#include "test_util.h"

#include <png.h>

#include "gks.h"
#include "gks_internal.h"
#include "vyk.h"
#include "img.h"

#include <csignal>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

using vyktest::has_line;
using vyktest::CaptureStdio;
using vyktest::TempDir;

namespace {

std::vector<std::string> lines_of(const std::string &text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// Renders a PostScript file with ghostscript into a PNG (a letter page); any PostScript error
// fails.
::testing::AssertionResult renders(const std::string &ps, const std::string &png, int res = 72)
{
    const vyktest::RunResult r =
        vyktest::run("gs -dSAFER -dBATCH -dNOPAUSE -q -r" + std::to_string(res) +
                     " -sPAPERSIZE=letter -sDEVICE=png16m -sOutputFile=" + vyktest::quote(png) + " " +
                     vyktest::quote(ps));
    if (r.status != 0 || !r.err.empty() || r.out.find("Error") != std::string::npos)
        return ::testing::AssertionFailure()
               << "gs status " << r.status << "\nstdout: " << r.out << "\nstderr: " << r.err;
    return ::testing::AssertionSuccess();
}

struct Box {
    double llx = 0, lly = 0, urx = 0, ury = 0;
};

// The bounding box that ghostscript measures for the marks of a file.
Box gs_bbox(const std::string &ps)
{
    const vyktest::RunResult r = vyktest::run(
        "gs -dSAFER -dBATCH -dNOPAUSE -q -sDEVICE=bbox " + vyktest::quote(ps));
    EXPECT_EQ(r.status, 0) << r.err;
    Box box;
    const size_t at = r.err.find("%%HiResBoundingBox:");
    EXPECT_NE(at, std::string::npos) << r.err;
    if (at != std::string::npos)
        std::sscanf(r.err.c_str() + at, "%%%%HiResBoundingBox: %lf %lf %lf %lf", &box.llx,
                    &box.lly, &box.urx, &box.ury);
    return box;
}

// The bounding box a file declares.
Box file_bbox(const std::string &text)
{
    Box box;
    const size_t at = text.find("%%BoundingBox:");
    EXPECT_NE(at, std::string::npos);
    if (at != std::string::npos)
        std::sscanf(text.c_str() + at, "%%%%BoundingBox: %lf %lf %lf %lf", &box.llx, &box.lly,
                    &box.urx, &box.ury);
    return box;
}

struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    // The colour of a pixel as 0xRRGGBB.
    unsigned at(int x, int y) const
    {
        const size_t i = 3 * (static_cast<size_t>(y) * static_cast<size_t>(width) +
                              static_cast<size_t>(x));
        return (unsigned(rgb[i]) << 16) | (unsigned(rgb[i + 1]) << 8) | rgb[i + 2];
    }
};

Picture read_png(const std::string &path)
{
    Picture pic;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) {
        ADD_FAILURE() << "cannot read " << path;
        return pic;
    }
    image.format = PNG_FORMAT_RGB;
    pic.width = static_cast<int>(image.width);
    pic.height = static_cast<int>(image.height);
    pic.rgb.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pic.rgb.data(), 0, nullptr))
        ADD_FAILURE() << "cannot decode " << path;
    return pic;
}

// Opens the kernel and a PostScript workstation; the reports of the open are swallowed.
int open_ps(const std::string &conn, std::string *out = nullptr)
{
    CaptureStdio cap;
    gopen_gks(nullptr, 0);
    const int status = gopen_ws(1, conn.c_str(), GWS_PS);
    cap.finish();
    if (out) *out = cap.out() + cap.err();
    return status;
}

int close_ps(std::string *out = nullptr)
{
    CaptureStdio cap;
    const int status = gclose_ws(1);
    cap.finish();
    if (out) *out = cap.out() + cap.err();
    return status;
}

// Settings survive a close, so every open of a table case starts from the defaults.
#define RESET_KEEP_COLOR "land,noeps,scale=1,lwidth=1,letter"
const char *const RESET = RESET_KEEP_COLOR ",gray";

// What a complete page holds after its prolog.
std::string after_prolog(const std::string &text)
{
    const size_t at = text.find("%%VYK Plot:");
    if (at == std::string::npos) return "no prolog in: " + text;
    return text.substr(text.find('\n', at) + 1);
}

// Starts a page on an output opened with gps_open_file, without the kernel.
void start_page()
{
    gps_init();
    gps_set_size(11, 8.5f);
    gps_init_file();
}

// Fills the whole drawing area: the workstation window takes the area's shape and the viewport
// of transformation 1 all of it; then a huge square is filled, which the clip path cuts.
void fill_drawing_area()
{
    int w, h;
    gget_win_size(&w, &h);
    Glim ws{0, 1, 0, 1};
    if (w >= h) ws.y_max = static_cast<float>(h - 1) / static_cast<float>(w - 1);
    else ws.x_max = static_cast<float>(w - 1) / static_cast<float>(h - 1);
    gset_ws_win(1, &ws);
    gset_vp(1, &ws);
    gsel_norm_tran(1);
    gps_printf("np\n");
    gps_move_abs(-1e5f, -1e5f);
    gps_line_abs(-1e5f, 1e5f);
    gps_line_abs(1e5f, 1e5f);
    gps_line_abs(1e5f, -1e5f);
    gps_printf("cp\nfill\n");
}

void clear_env()
{
    for (const char *name : {"vykprint", "vykps_print", "PSPRINT", "vykps_param",
                             "vykps_geometry", "PSGEOMETRY", "PSCOLOR"})
        unsetenv(name);
}

// A thick frame around the unit square and a filled square inside it, in world coordinates
// of transformation 0 (the whole drawing area's square).
void draw_frame()
{
    gps_printf("%%%%PL:5\n");
    gps_printf("12 dot lw\n");
    gps_printf("np\n");
    gps_move(0, 0);
    gps_line(0, 1);
    gps_line(1, 1);
    gps_line(1, 0);
    gps_line(0, 0);
    gps_printf("stroke\n");
    gps_printf("%%%%FA:4\n");
    gps_printf("np\n");
    gps_move(0.25f, 0.25f);
    gps_line(0.25f, 0.75f);
    gps_line(0.75f, 0.75f);
    gps_line(0.75f, 0.25f);
    gps_printf("cp\n");
    gps_printf("fill\n");
}

// The PNG pixel (72 dots to the inch, letter page) of a device point of a page that is not
// EPS: landscape pages are turned by 90 degrees and moved by a quarter inch.
void page_pixel(bool landscape, float dx, float dy, int &col, int &row)
{
    double X, Y;
    if (landscape) {
        X = (8.5 - 0.25) * 72 - dy;
        Y = dx + 18;
    } else {
        X = dx + 18;
        Y = dy + 18;
    }
    col = static_cast<int>(X);
    row = static_cast<int>(792 - Y);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Numbers
// ---------------------------------------------------------------------------------------------

TEST(GksPS, PointsAreWrittenExactlyAsPrintfWritesThem)
{
    TempDir dir;
    const std::string path = dir.file("numbers.ps");
    CaptureStdio cap;
    ASSERT_NE(gps_open_file(path.c_str()), nullptr);
    start_page();
    // The points go into a procedure that is never run: ghostscript reads every number, while
    // "nan" and "inf" stay names.
    gps_printf("{\n");

    const float inf = std::numeric_limits<float>::infinity();
    std::vector<float> values = {
        0.0f, -0.0f, 0.005f, -0.005f, 0.015f, 0.125f, 0.375f, -0.125f, 0.625f, 1.005f,
        2.675f, 1.0f / 3, 99999.995f, 100000.0f, -100000.0f, 4095.875f, 8388607.5f,
        16777215.0f, 999999936.0f, 1e9f, -1e9f, 1e10f, 3.4e38f, -3.4e38f, inf, -inf,
        std::nanf(""), -std::nanf(""), 1e-40f, -1e-45f, 0.0049999f, 0.0050001f, 754.995f};
    std::mt19937 rng(20240611);
    std::uniform_real_distribution<float> page(-100000.0f, 100000.0f);
    std::uniform_real_distribution<float> small(-1000.0f, 1000.0f);
    std::uniform_int_distribution<int> eighths(-8000000, 8000000);
    std::uniform_int_distribution<unsigned> bits;
    for (int i = 0; i < 100000; i++) {
        values.push_back(page(rng));
        values.push_back(small(rng));
        values.push_back(static_cast<float>(eighths(rng)) / 8);  // many exact ties
        unsigned u = bits(rng);
        float any;
        std::memcpy(&any, &u, sizeof any);
        values.push_back(any);
    }
    if (values.size() % 2) values.push_back(1);

    std::string expected;
    char line[256];
    for (size_t i = 0; i < values.size(); i += 2) {
        if (i > 0 && (i / 2) % 1000 == 0) {  // procedures of a size the interpreter takes
            gps_printf("} pop\n{\n");
            expected += "} pop\n{\n";
        }
        const bool move = (i / 2) % 2 == 0;
        if (move) gps_move_abs(values[i], values[i + 1]);
        else gps_line_abs(values[i], values[i + 1]);
        std::snprintf(line, sizeof line, "%3.2f %3.2f %s\n", static_cast<double>(values[i]),
                      static_cast<double>(values[i + 1]), move ? "mv" : "ln");
        expected += line;
    }
    expected += "} pop\n%%End of plot\nsaveobj restore\nshowpage\nend\n%%EOF\n";
    gps_printf("} pop\n");
    ASSERT_EQ(gps_close_file(), 0);
    cap.finish();
    EXPECT_TRUE(renders(path, dir.file("numbers.png"), 10));

    const std::string text = vyktest::read_file(path);
    const std::vector<std::string> got = lines_of(text.substr(text.find("{\n") + 2));
    const std::vector<std::string> want = lines_of(expected);
    ASSERT_EQ(got.size(), want.size());
    size_t wrong = 0;
    for (size_t i = 0; i < got.size(); i++)
        if (got[i] != want[i] && ++wrong <= 5)
            ADD_FAILURE() << "line " << i << ": got \"" << got[i] << "\" want \"" << want[i]
                          << "\"";
    EXPECT_EQ(wrong, 0u);
}

// ---------------------------------------------------------------------------------------------
// Opening the workstation: prolog, options, paper sizes, trailer
// ---------------------------------------------------------------------------------------------

TEST(GksPS, LandscapeEpsFileFromStartToEnd)
{
    clear_env();
    TempDir dir;
    const std::string path = dir.file("land.eps");
    gset_win_title("Wind profile");
    ASSERT_EQ(open_ps(path + ",eps"), 0);
    int width, height;
    gget_win_size(&width, &height);
    EXPECT_EQ(width, 756);
    EXPECT_EQ(height, 576);
    draw_frame();
    ASSERT_EQ(close_ps(), 0);

    const std::string text = vyktest::read_file(path);
    const std::vector<std::string> lines = lines_of(text);
    const std::vector<std::string> head = {
        "%!PS-Adobe-3.0 EPSF-3.0",
        // The drawing area, 756 by 576 points, turned and moved down by the page height of
        // 8.5 inches: it covers x 36 to 612 and y 0 to 756, widened by the clip path's margin.
        "%%BoundingBox: 36 -1 613 756",
        "%%Title: VYK Graphics Display: Wind profile",
        "%%Creator: VYK Postscript Processor-2.0",
    };
    ASSERT_GT(lines.size(), 30u);
    for (size_t i = 0; i < head.size(); i++) EXPECT_EQ(lines[i], head[i]);
    EXPECT_TRUE(std::regex_match(
        lines[4], std::regex("%%CreationDate: (Mon|Tue|Wed|Thu|Fri|Sat|Sun) [A-Z][a-z]{2} "
                             "[ 0-9][0-9] [0-9]{2}:[0-9]{2}:[0-9]{2} [0-9]{4}")))
        << lines[4];
    const std::vector<std::string> rest = {
        "%%EndComments", "%%Postscript initialization", "/inch {72 mul} def",
        "/dot {.33 mul} def", "/mv {moveto} def", "/ln {lineto} def",
        "/lw {setlinewidth} def", "/np {newpath} def", "/cp {closepath} def", "90 rotate",
        "0. inch -8.50 inch translate", "0 setgray", "2 setlinejoin", "1 dot lw",
        "[] 0 setdash", "%%Begin plot", "%%VYK Plot: Wind profile",
        // the first clip path: the drawing area's square widened by 0.1
        "initclip", "np", "-0.10 -0.10 mv", "-0.10 575.10 ln", "575.10 575.10 ln",
        "575.10 -0.10 ln", "cp", "clip"};
    for (size_t i = 0; i < rest.size(); i++) EXPECT_EQ(lines[5 + i], rest[i]) << i;
    EXPECT_FALSE(has_line(lines, "30 dict begin"));
    EXPECT_FALSE(has_line(lines, "/saveobj save def"));
    const std::string tail = "%%End of plot\nshowpage\n%%EOF\n";
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
    EXPECT_TRUE(renders(path, dir.file("land.png")));
}

TEST(GksPS, OptionsPaperSizesAndGeometry)
{
    struct Case {
        const char *conn_options;  // after the reset items
        const char *param;         // vykps_param
        const char *geometry;      // PSGEOMETRY
        bool pscolor;  // PSCOLOR set, and no "gray" item
        int width, height, x, y;   // the drawing area
        std::vector<std::string> present, absent;
    };
    const Case cases[] = {
        {"", nullptr, nullptr, false, 756, 576, 0, 0,
         {"%!PS-Adobe-1.0", "30 dict begin", "/saveobj save def", "90 rotate",
          ".25 inch -8.25 inch translate", "0 setgray", "saveobj restore", "showpage", "end",
          "%%EOF"},
         {"%%BoundingBox: 36 -1 613 756", ".25 inch .25 inch translate"}},
        {"port", nullptr, nullptr, false, 756, 576, 0, 0,
         {"%!PS-Adobe-1.0", ".25 inch .25 inch translate"},
         {"90 rotate"}},
        {"port,eps", nullptr, nullptr, false, 756, 576, 0, 0,
         {"%!PS-Adobe-3.0 EPSF-3.0", "%%BoundingBox: -1 -1 756 576"},
         {"90 rotate", ".25 inch .25 inch translate", "30 dict begin"}},
        // The box follows the paper size: a4 is 11.69 by 8.26 inches.
        {"a4,eps", nullptr, nullptr, false, 805, 558, 0, 0,
         {"0. inch -8.26 inch translate", "%%BoundingBox: 37 -1 595 805"},
         {}},
        {"eps,scale=0.5", nullptr, nullptr, false, 756, 576, 0, 0,
         {"0.50 0.50 scale", "%%BoundingBox: 324 -1 613 378"},
         {}},
        // vykps_param first, then the connection items: later items win.
        {"noeps,gray,legal", "eps,color", nullptr, false, 972, 576, 0, 0,
         {"%!PS-Adobe-1.0", "0 setgray", ".25 inch -8.25 inch translate"},
         {"0 0 0 setrgbcolor", "%%BoundingBox: 36 -1 613 972"}},
        {"11x17,PORT", "", nullptr, false, 1188, 756, 0, 0, {".25 inch .25 inch translate"}, {}},
        {"ansid", nullptr, nullptr, false, 2412, 1548, 0, 0, {".25 inch -21.75 inch translate"},
         {}},
        {"sz=8.5x11", nullptr, nullptr, false, 576, 756, 0, 0,
         {".25 inch -10.75 inch translate"}, {}},
        {"B4,unknown_item", nullptr, nullptr, false, 995, 692, 0, 0, {}, {}},
        // Items without a value change nothing (and read nothing past their end).
        {"scale,lwidth,sz", nullptr, nullptr, false, 756, 576, 0, 0, {"1 dot lw"},
         {"0.00 0.00 scale"}},
        {"scale=0", nullptr, nullptr, false, 756, 576, 0, 0, {}, {"0.00 0.00 scale"}},
        {"", nullptr, nullptr, true, 756, 576, 0, 0, {"0 0 0 setrgbcolor"}, {"0 setgray"}},
        {"color", nullptr, nullptr, false, 756, 576, 0, 0, {"0 0 0 setrgbcolor"}, {"0 setgray"}},
        // Geometry in hundredths of an inch: size and offset, size only, offset only.
        {"eps", nullptr, "400x300+100+50", false, 288, 216, 72, 36,
         {"%%BoundingBox: 360 71 577 360"}, {}},
        {"", nullptr, "400x300", false, 288, 216, 0, 0, {}, {}},
        {"", nullptr, "+100+50", false, 756, 576, 72, 36, {}, {}},
        {"port,eps", nullptr, "P2x2+1+0", false, 378, 288, 378, 288,
         {"%%BoundingBox: 377 287 756 576"}, {}},
    };
    TempDir dir;
    int n = 0;
    for (const Case &c : cases) {
        const std::string path = dir.file("case" + std::to_string(n++) + ".ps");
        SCOPED_TRACE(std::string(c.conn_options) + " / " + (c.param ? c.param : "") + " / " +
                     (c.geometry ? c.geometry : ""));
        clear_env();
        if (c.param) setenv("vykps_param", c.param, 1);
        if (c.geometry) setenv("PSGEOMETRY", c.geometry, 1);
        if (c.pscolor) setenv("PSCOLOR", "", 1);
        std::string conn = path + "," + (c.pscolor ? RESET_KEEP_COLOR : RESET);
        if (c.conn_options[0]) conn += std::string(",") + c.conn_options;
        ASSERT_EQ(open_ps(conn), 0);
        int width, height, x, y;
        gget_win_size(&width, &height);
        gget_win_offset(&x, &y);
        EXPECT_EQ(width, c.width);
        EXPECT_EQ(height, c.height);
        EXPECT_EQ(x, c.x);
        EXPECT_EQ(y, c.y);
        draw_frame();
        ASSERT_EQ(close_ps(), 0);
        const std::vector<std::string> lines = lines_of(vyktest::read_file(path));
        for (const std::string &line : c.present) EXPECT_TRUE(has_line(lines, line)) << line;
        for (const std::string &line : c.absent) EXPECT_FALSE(has_line(lines, line)) << line;
        EXPECT_TRUE(renders(path, path + ".png", 10));
    }
    clear_env();
}

TEST(GksPS, EpsBoundingBoxHoldsWhatGhostscriptMeasures)
{
    struct Case {
        const char *options;
        const char *geometry;
    };
    const Case cases[] = {
        {"eps", nullptr},          {"eps,a4", nullptr},         {"eps,a3", nullptr},
        {"eps,port", nullptr},     {"eps,scale=0.5", nullptr},  {"eps,port,scale=1.25", nullptr},
        {"eps,sz=8.5x11", nullptr}, {"eps", "400x300+100+50"},   {"eps,port", "P2x2+1+1"},
        {"eps,b1,scale=0.33", nullptr},
    };
    TempDir dir;
    int n = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.options) + " " + (c.geometry ? c.geometry : ""));
        clear_env();
        if (c.geometry) setenv("vykps_geometry", c.geometry, 1);
        const std::string path = dir.file("box" + std::to_string(n++) + ".eps");
        ASSERT_EQ(open_ps(path + "," + RESET + "," + c.options), 0);
        // Fill the whole drawing area: the marks then reach the box on every side.
        fill_drawing_area();
        ASSERT_EQ(close_ps(), 0);
        const std::string text = vyktest::read_file(path);
        const Box declared = file_bbox(text);
        const Box measured = gs_bbox(path);
        // ghostscript does not see marks left of or below the page's origin.
        const double llx = std::max(declared.llx, 0.0), lly = std::max(declared.lly, 0.0);
        EXPECT_LE(llx, measured.llx);
        EXPECT_LE(lly, measured.lly);
        EXPECT_GE(declared.urx, measured.urx);
        EXPECT_GE(declared.ury, measured.ury);
        EXPECT_LT(measured.llx - llx, 1.0);
        EXPECT_LT(measured.lly - lly, 1.0);
        EXPECT_LT(declared.urx - measured.urx, 1.0);
        EXPECT_LT(declared.ury - measured.ury, 1.0);
        EXPECT_TRUE(renders(path, path + ".png", 10));
    }
    clear_env();
}

// ---------------------------------------------------------------------------------------------
// Output names: files, appending, print pipes
// ---------------------------------------------------------------------------------------------

TEST(GksPS, OutputNameFromConnectionOrEnvironment)
{
    TempDir dir;
    struct Case {
        const char *conn;      // item 0 (the directory is put in front)
        const char *vykps_print, *psprint;
        const char *written;   // the file that gets the plot
    };
    const Case cases[] = {
        {"conn.ps", "env1.ps", "env2.ps", "conn.ps"},
        {"", "env1.ps", "env2.ps", "env1.ps"},
        {"", nullptr, "env2.ps", "env2.ps"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.written);
        clear_env();
        if (c.vykps_print) setenv("vykps_print", dir.file(c.vykps_print).c_str(), 1);
        if (c.psprint) setenv("PSPRINT", dir.file(c.psprint).c_str(), 1);
        const std::string conn = (c.conn[0] ? dir.file(c.conn) : std::string()) + "," + RESET;
        std::string report;
        ASSERT_EQ(open_ps(conn, &report), 0);
        EXPECT_NE(report.find("Creating: " + dir.file(c.written)), std::string::npos) << report;
        draw_frame();
        ASSERT_EQ(close_ps(&report), 0);
        EXPECT_NE(report.find("Created Postscript file\n"), std::string::npos);
        EXPECT_TRUE(renders(dir.file(c.written), dir.file("out.png"), 10));
        std::remove(dir.file(c.written).c_str());
    }
    // Nothing named anywhere: "vyk.ps" in the working directory.  A print setting other than
    // "hpgl" leaves the output PostScript.
    clear_env();
    setenv("vykprint", "lpr", 1);
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    ASSERT_EQ(open_ps(std::string(",") + RESET), 0);
    ASSERT_EQ(close_ps(), 0);
    EXPECT_TRUE(renders(dir.file("vyk.ps"), dir.file("vyk.png"), 10));
    ASSERT_EQ(chdir(cwd), 0);
}

TEST(GksPS, PrintCommandFromTheEnvironmentGetsThePage)
{
    clear_env();
    TempDir dir;
    const std::string path = dir.file("spooled.ps");
    const std::string command = "cat > " + vyktest::quote(path);
    setenv("vykps_print", ("|" + command).c_str(), 1);
    std::string report;
    ASSERT_EQ(open_ps(std::string(",") + RESET, &report), 0);
    EXPECT_NE(report.find("Spooling to: " + command + "\n"), std::string::npos) << report;
    draw_frame();
    ASSERT_EQ(close_ps(), 0);
    clear_env();
    const std::string text = vyktest::read_file(path);
    EXPECT_EQ(text.rfind("%!PS-Adobe-1.0\n", 0), 0u);
    EXPECT_NE(text.find("%%End of plot\nsaveobj restore\nshowpage\nend\n%%EOF\n"),
              std::string::npos);
    EXPECT_TRUE(renders(path, dir.file("spooled.png")));
    // The same through PSPRINT, with a command that fails: the close does not look at it.
    setenv("PSPRINT", "|cat > /dev/null; exit 3", 1);
    ASSERT_EQ(open_ps(std::string(",") + RESET), 0);
    EXPECT_EQ(close_ps(), 0);
    clear_env();
}

// A print command that reads nothing (here: one that ends at once) makes the writes fail; the
// program goes on and the close reports it.
TEST(GksPS, PrintCommandThatEndsEarlyDoesNotEndTheProgram)
{
    clear_env();
    CaptureStdio cap;
    ASSERT_NE(gps_open_file("|exit 0"), nullptr);
    start_page();
    for (int i = 0; i < 100000; i++) gps_line_abs(100, 200);
    EXPECT_EQ(gps_close_file(), -1);
    cap.finish();
    EXPECT_NE(cap.err().find("gps_close_file: unable to write postscript file\n"),
              std::string::npos)
        << cap.err();
    // SIGPIPE is back to what it was.
    struct sigaction now {};
    sigaction(SIGPIPE, nullptr, &now);
    EXPECT_EQ(now.sa_handler, SIG_DFL);
}

TEST(GksPS, AppendingWritesOnlyTheResetAndThePlot)
{
    clear_env();
    TempDir dir;
    const std::string path = dir.file("book.eps");
    gset_win_title("first");
    ASSERT_EQ(open_ps(path + "," + RESET + ",eps"), 0);
    draw_frame();
    ASSERT_EQ(close_ps(), 0);
    const std::string first = vyktest::read_file(path);

    gset_win_title("second\nshowpage");  // a line end would end the comment
    std::string report;
    ASSERT_EQ(open_ps("+" + path, &report), 0);
    EXPECT_NE(report.find("Appending to: " + path + "\n"), std::string::npos) << report;
    gps_printf("np\n");
    gps_move(0.5f, 0.5f);
    gps_line(1, 1);
    gps_printf("stroke\n");
    ASSERT_EQ(close_ps(), 0);
    const std::string all = vyktest::read_file(path);
    ASSERT_EQ(all.substr(0, first.size()), first);
    EXPECT_EQ(all.substr(first.size()),
              "0 setgray\n1 dot lw\n[] 0 setdash\n%%VYK Plot: second showpage\n"
              "initclip\nnp\n-0.10 -0.10 mv\n-0.10 575.10 ln\n575.10 575.10 ln\n"
              "575.10 -0.10 ln\ncp\nclip\n"
              "np\n287.50 287.50 mv\n575.00 575.00 ln\nstroke\n%%End of plot\n");
    // The EPS keeps its definitions, so the appended plot runs after it without an error.
    EXPECT_TRUE(renders(path, dir.file("book.png"), 10));
}

TEST(GksPS, FailuresAreReported)
{
    clear_env();
    TempDir dir;
    CaptureStdio cap;
    EXPECT_EQ(gps_close_file(), -1);                 // nothing open
    EXPECT_EQ(gps_printf("np\n"), 0);                // written nowhere
    EXPECT_EQ(gps_open_file("/dev/null/x.ps"), nullptr);
    EXPECT_EQ(gps_close_file(), -1);
    // A full device: the close tells.
    ASSERT_NE(gps_open_file("/dev/full"), nullptr);
    gps_init();
    gps_set_size(11, 8.5f);
    gps_init_file();
    for (int i = 0; i < 20000; i++) gps_line_abs(1, 2);
    EXPECT_EQ(gps_close_file(), -1);
    cap.finish();
    EXPECT_NE(cap.out().find("Creating: /dev/null/x.ps\n"), std::string::npos);
    EXPECT_NE(cap.err().find("gps_close_file: unable to write postscript file\n"),
              std::string::npos)
        << cap.err();
    EXPECT_EQ(cap.out().find("Created Postscript file"), std::string::npos);
    // The kernel's report when the output cannot be opened.
    std::string report;
    EXPECT_EQ(open_ps("/dev/null/y.ps", &report), -1);
    EXPECT_NE(report.find("gopen_ws: unable to open postscript file"), std::string::npos);
}

TEST(GksPS, OpeningAgainFinishesThePreviousOutput)
{
    TempDir dir;
    CaptureStdio cap;
    ASSERT_NE(gps_open_file(dir.file("a.ps").c_str()), nullptr);
    start_page();
    gps_move_abs(5, 5);
    gps_line_abs(10, 10);
    ASSERT_NE(gps_open_file(dir.file("b.ps").c_str()), nullptr);
    start_page();
    EXPECT_EQ(gps_close_file(), 0);
    cap.finish();
    EXPECT_NE(cap.out().find("Created Postscript file\nCreating: " + dir.file("b.ps")),
              std::string::npos)
        << cap.out();
    EXPECT_EQ(after_prolog(vyktest::read_file(dir.file("a.ps"))),
              "5.00 5.00 mv\n10.00 10.00 ln\n"
              "%%End of plot\nsaveobj restore\nshowpage\nend\n%%EOF\n");
    EXPECT_EQ(after_prolog(vyktest::read_file(dir.file("b.ps"))),
              "%%End of plot\nsaveobj restore\nshowpage\nend\n%%EOF\n");
    EXPECT_TRUE(renders(dir.file("a.ps"), dir.file("a.png"), 10));
    EXPECT_TRUE(renders(dir.file("b.ps"), dir.file("b.png"), 10));
}

// The display-list print starts a page without setting its size: a letter page.  Sizes below
// a quarter inch still give a translation that PostScript reads.
TEST(GksPS, PageSizeNeverSetIsLetter)
{
    struct Case {
        float width, height;
        const char *translate;
    };
    const Case cases[] = {{0, 0, ".25 inch -8.25 inch translate"},
                          {-3, 2, ".25 inch -8.25 inch translate"},
                          {3, 0.2f, ".25 inch 0.05 inch translate"}};
    TempDir dir;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.translate);
        const std::string path = dir.file("size.ps");
        CaptureStdio cap;
        ASSERT_NE(gps_open_file(path.c_str()), nullptr);
        gps_set_orient(0);
        gps_set_EPS(0);
        gps_init();
        gps_set_size(c.width, c.height);
        gps_init_file();
        gps_printf("np\n");
        gps_move_abs(10, 10);
        gps_line_abs(100, 100);
        gps_printf("stroke\n");
        EXPECT_EQ(gps_close_file(), 0);
        cap.finish();
        EXPECT_TRUE(has_line(lines_of(vyktest::read_file(path)), c.translate));
        EXPECT_TRUE(renders(path, dir.file("size.png"), 10));
    }
}

// ---------------------------------------------------------------------------------------------
// Grey levels and the state cache
// ---------------------------------------------------------------------------------------------

TEST(GksPS, GreyLevels)
{
    struct Case {
        float r, g, b;
        int reverse;
        float grey;
    };
    const Case cases[] = {
        {1, 0, 0, 0, 1.0f / 3}, {0, 1, 0, 0, 1 / 2.7f},  {0, 0, 1, 0, 0.8f / 2.7f},
        {1, 1, 1, 0, 1},        {0, 0, 0, 0, 0},         {1, 0, 0, 1, 2.0f / 3},
        {1, 1, 1, 1, 1},        {0, 0, 0, 1, 0},         {0.5f, 0.5f, 0.5f, 1, 0.5f},
    };
    for (const Case &c : cases) {
        gps_set_reverse(c.reverse);
        EXPECT_EQ(gps_set_color_rep(7, c.r, c.g, c.b), 0);
        EXPECT_NEAR(gps_get_gray(7), c.grey, 1e-6) << c.r << " " << c.g << " " << c.b;
    }
    gps_set_reverse(0);
    EXPECT_EQ(gps_set_color_rep(-1, 1, 1, 1), 0);  // the background
    EXPECT_EQ(gps_get_gray(-1), 1.0f);
    EXPECT_EQ(gps_get_gray(256), 1.0f);
    EXPECT_EQ(gps_set_color_rep(257, 1, 1, 1), -1);
    EXPECT_EQ(gps_set_color_rep(-2, 1, 1, 1), -1);
    EXPECT_EQ(gps_get_gray(501), 0.0f);
    EXPECT_EQ(gps_get_gray(504), 1.0f);
    EXPECT_EQ(gps_get_gray(508), 0.7f);
    EXPECT_EQ(gps_get_gray(9999), 0.0f);
}

TEST(GksPS, SettingsAreWrittenOnlyWhenTheyChange)
{
    TempDir dir;
    const std::string path = dir.file("cache.ps");
    CaptureStdio cap;
    ASSERT_NE(gps_open_file(path.c_str()), nullptr);
    gps_set_colorPS(0);
    start_page();
    gps_set_color_rep(3, 1, 0, 0);
    gps_set_color_rep(4, 0, 0, 1);
    gps_printf("%%%%fills\n");
    gps_set_fill_color(-1);
    gps_set_fill_color(-1);   // background twice: once
    gps_set_fill_color(3);
    gps_set_fill_color(3);
    gps_set_fill_color(4);
    gps_set_fill_color(502);  // a black pen
    gps_printf("%%%%lines\n");
    gps_set_color(3);         // lines are black in grey output
    gps_set_color(3);
    gps_set_color(504);
    gps_set_color(505);
    gps_set_color(507);
    gps_set_color(9);
    gps_printf("%%%%dashes\n");
    for (int type : {1, 2, 2, 3, 4, 5, 9, 1, 1}) gps_set_type(type);
    gps_printf("%%%%widths\n");
    gps_set_base_width(3);
    gps_set_width(1, 1);        // 1 x 1 remembered already
    gps_set_width(1, 2);
    gps_set_width(501, 1.5f);   // bold pen: 2 x 3 x 1.5
    gps_set_width(502, 1.5f);   // thick pen: 4 x 3 x 1.5
    gps_set_width(505, 1.5f);   // same remembered width
    gps_set_width(9, 0.5f);
    gps_set_base_width(0);      // ignored: keeps 3
    gps_set_width(9, 1);
    EXPECT_EQ(gps_close_file(), 0);
    cap.finish();
    EXPECT_EQ(after_prolog(vyktest::read_file(path)),
              "%%fills\n1 setgray\n0.333 setgray\n0.296 setgray\n0.000 setgray\n"
              "%%lines\n1 setgray\n.7 setgray\n0 setgray\n"
              "%%dashes\n[6] 0 setdash\n[3 6] 0 setdash\n[6 6 3 6] 0 setdash\n[2] 0 setdash\n"
              "[] 0 setdash\n"
              "%%widths\n6.0 dot lw\n9 dot lw\n18 dot lw\n1.5 dot lw\n3.0 dot lw\n"
              "%%End of plot\nsaveobj restore\nshowpage\nend\n%%EOF\n");
    EXPECT_TRUE(renders(path, dir.file("cache.png"), 10));
}

// The prolog's "1 dot lw" is multiplier 1 only at base width 1: with another base width the
// first width is written.
TEST(GksPS, BaseWidthIsStatedAtTheFirstLine)
{
    clear_env();
    TempDir dir;
    const std::string path = dir.file("lwidth.ps");
    ASSERT_EQ(open_ps(path + "," + RESET + ",lwidth=2.7"), 0);
    gps_set_width(1, 1);
    gps_set_width(1, 1);
    ASSERT_EQ(close_ps(), 0);
    const std::string text = vyktest::read_file(path);
    EXPECT_NE(text.find("clip\n2.0 dot lw\n%%End of plot"), std::string::npos) << text;
    EXPECT_TRUE(renders(path, dir.file("lwidth.png"), 10));
}

// ---------------------------------------------------------------------------------------------
// What the page shows
// ---------------------------------------------------------------------------------------------

TEST(GksPS, GreyPagesShowFillShadesAndBlackLines)
{
    struct Case {
        const char *options;
        bool landscape;
    };
    for (const Case &c : {Case{"land", true}, Case{"port", false}}) {
        SCOPED_TRACE(c.options);
        clear_env();
        TempDir dir;
        const std::string path = dir.file("grey.ps");
        ASSERT_EQ(open_ps(path + "," + RESET + "," + c.options), 0);
        gps_set_color_rep(5, 1, 0, 0);    // grey 1/3
        gps_set_color_rep(-1, 1, 1, 1);
        // A red square filled with its shade, with a thick line of the same colour across it.
        gps_printf("%%%%FA:4\nnp\n");
        gps_move(0.1f, 0.1f);
        gps_line(0.1f, 0.5f);
        gps_line(0.5f, 0.5f);
        gps_line(0.5f, 0.1f);
        gps_printf("cp\n");
        gps_set_fill_color(5);
        gps_printf("fill\n");
        gps_set_color(5);
        gps_printf("30 dot lw\nnp\n");
        gps_move(0.1f, 0.3f);
        gps_line(0.5f, 0.3f);
        gps_printf("stroke\n");
        // A cleared square inside: the background is white.
        Glim clear{0.35f, 0.45f, 0.35f, 0.45f};
        gclear_region(&clear);
        ASSERT_EQ(close_ps(), 0);
        const std::string png = dir.file("grey.png");
        ASSERT_TRUE(renders(path, png));
        const Picture pic = read_png(png);
        ASSERT_EQ(pic.width, 612);
        ASSERT_EQ(pic.height, 792);
        int col, row;
        page_pixel(c.landscape, xW_ps(0.2f), yW_ps(0.2f), col, row);
        EXPECT_EQ(pic.at(col, row), 0x555555u);  // 0.333 of 255
        page_pixel(c.landscape, xW_ps(0.2f), yW_ps(0.3f), col, row);
        EXPECT_EQ(pic.at(col, row), 0x000000u);  // the line
        page_pixel(c.landscape, xW_ps(0.4f), yW_ps(0.4f), col, row);
        EXPECT_EQ(pic.at(col, row), 0xFFFFFFu);  // cleared
        page_pixel(c.landscape, xW_ps(0.7f), yW_ps(0.7f), col, row);
        EXPECT_EQ(pic.at(col, row), 0xFFFFFFu);  // nothing drawn
        gclose_gks();
    }
    clear_env();
}

TEST(GksPS, ImagesFillTheViewport)
{
    clear_env();
    TempDir dir;
    const std::string path = dir.file("image.ps");
    ASSERT_EQ(open_ps(path + "," + RESET + ",port"), 0);
    Glim vp{0.1f, 0.3f, 0.1f, 0.2f};
    gset_vp(1, &vp);
    gsel_norm_tran(1);
    Grectangle rect;
    gget_gviewport(&rect);
    // 3 by 2 pixels of values 0x10, 0x20 ...; shifted by (-1, 0): one blank column first.
    unsigned char pixels[6] = {0x10, 0x20, 0x30, 0x40, 0x50, 0x60};
    IMG_report image{};
    image.width = 3;
    image.height = 2;
    image.bytes_line = 3;
    image.data = pixels;
    EXPECT_EQ(gps_image(&image, -1, 0), 0);
    ASSERT_EQ(close_ps(), 0);
    const std::string text = vyktest::read_file(path);
    const std::string head = "gsave\n" + std::to_string(rect.x) + " " + std::to_string(rect.y) +
                             " translate\n" + std::to_string(rect.width) + " " +
                             std::to_string(rect.height) + " scale\n";
    const size_t at = text.find(head);
    ASSERT_NE(at, std::string::npos) << text;
    const std::vector<std::string> lines = lines_of(text.substr(at));
    ASSERT_GT(rect.width, 90);
    ASSERT_LT(rect.width, 160);  // so a row takes two text lines
    EXPECT_EQ(lines[3], "/picstr " + std::to_string(rect.width) + " string def");
    EXPECT_EQ(lines[6], "image");
    const std::string blanks(2 * 76, 'F');
    EXPECT_EQ(lines[7], "FF102030" + blanks);
    EXPECT_EQ(lines[8], std::string(2 * (rect.width - 80), 'F'));
    EXPECT_EQ(lines[9], "FF405060" + blanks);
    EXPECT_EQ(lines[10], std::string(2 * (rect.width - 80), 'F'));
    for (int r = 2; r < rect.height; r++) {
        EXPECT_EQ(lines[7 + 2 * r], std::string(160, 'F'));
        EXPECT_EQ(lines[8 + 2 * r], std::string(2 * (rect.width - 80), 'F'));
    }
    EXPECT_EQ(lines[7 + 2 * rect.height], "grestore");
    const std::string png = dir.file("image.png");
    ASSERT_TRUE(renders(path, png));
    // The image's second row, one point below the top (the top row lies mostly outside the
    // clip path): the blank column, then the pixels 0x40 and 0x50.
    const Picture pic = read_png(png);
    const float y = static_cast<float>(rect.y + rect.height) - 1.5f;
    const unsigned want[] = {0xFFFFFFu, 0x404040u, 0x505050u, 0x606060u, 0xFFFFFFu};
    for (int i = 0; i < 5; i++) {
        int col, row_px;
        page_pixel(false, static_cast<float>(rect.x + i) + 0.5f, y, col, row_px);
        EXPECT_EQ(pic.at(col, row_px), want[i]) << i;
    }
}

TEST(GksPS, ImagesWithTheirOwnColourTableUseIt)
{
    clear_env();
    TempDir dir;
    const std::string path = dir.file("own.ps");
    setenv("PSCOLOR", "", 1);
    ASSERT_EQ(open_ps(path + "," + RESET_KEEP_COLOR + ",port"), 0);
    IMG_color colors[2] = {{1.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 1.0f}};
    unsigned char pixels[2] = {0, 1};
    IMG_report image{};
    image.width = 2;
    image.height = 1;
    image.bytes_line = 2;
    image.data = pixels;
    image.color_type = 1;
    image.num_colors = 2;
    image.colors = colors;
    EXPECT_EQ(gps_image(&image, 0, 0), 0);
    ASSERT_EQ(close_ps(), 0);
    const std::string text = vyktest::read_file(path);
    EXPECT_NE(text.find("colorimage"), std::string::npos) << text;
    EXPECT_NE(text.find("\nFF00000000FF"), std::string::npos);  // red, then blue
    ASSERT_TRUE(renders(path, dir.file("own.png")));
    clear_env();
}

// ---------------------------------------------------------------------------------------------
// Through the kernel's primitives
// ---------------------------------------------------------------------------------------------

TEST(GksPS, KernelPrimitivesInColourAndGrey)
{
    struct Case {
        const char *options;
        unsigned fill, line;  // the page's pixels of a red fill and a blue line
    };
    const Case cases[] = {{"color", 0xFF0000u, 0x0000FFu}, {"gray", 0x555555u, 0x000000u}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.options);
        clear_env();
        TempDir dir;
        const std::string path = dir.file("kernel.ps");
        ASSERT_EQ(open_ps(path + "," + RESET_KEEP_COLOR + "," + c.options), 0);
        CaptureStdio cap;
        const Gcolr_rep red{1, 0, 0}, blue{0, 0, 1};
        EXPECT_EQ(gset_colr_rep(1, 20, &red), 0);
        EXPECT_EQ(gset_colr_rep(1, 21, &blue), 0);
        const Gpt square[4] = {{0.1f, 0.1f}, {0.1f, 0.5f}, {0.5f, 0.5f}, {0.5f, 0.1f}};
        gset_fill_int_style(GSOLID);
        gset_fill_colr_ind(20);
        EXPECT_EQ(gfill_area(4, square), 0);
        const Gpt across[2] = {{0.1f, 0.7f}, {0.9f, 0.7f}};
        gset_line_colr_ind(21);
        gset_linewidth(20);
        EXPECT_EQ(gpolyline(2, across), 0);
        gset_linetype(2);
        const Gpt dashed[3] = {{0.6f, 0.1f}, {0.6f, 0.5f}, {0.8f, 0.5f}};
        EXPECT_EQ(gpolyline(3, dashed), 0);
        cap.finish();
        ASSERT_EQ(close_ps(), 0);

        const std::string text = after_prolog(vyktest::read_file(path));
        EXPECT_NE(text.find("%%FA:4\nnp\n"), std::string::npos) << text;
        EXPECT_NE(text.find("%%PL:2\n"), std::string::npos) << text;
        EXPECT_NE(text.find("[6] 0 setdash\nnp\n345.00 57.50 mv\n345.00 287.50 ln\n"
                            "460.00 287.50 ln\nstroke\n"),
                  std::string::npos)
            << text;
        const std::string png = dir.file("kernel.png");
        ASSERT_TRUE(renders(path, png));
        const Picture pic = read_png(png);
        int col, row;
        page_pixel(true, xW_ps(0.3f), yW_ps(0.3f), col, row);
        EXPECT_EQ(pic.at(col, row), c.fill);
        page_pixel(true, xW_ps(0.5f), yW_ps(0.7f), col, row);
        EXPECT_EQ(pic.at(col, row), c.line);
        page_pixel(true, xW_ps(0.3f), yW_ps(0.9f), col, row);
        EXPECT_EQ(pic.at(col, row), 0xFFFFFFu);
        gclose_gks();
    }
    clear_env();
}
