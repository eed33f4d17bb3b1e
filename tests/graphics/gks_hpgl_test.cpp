// HP-GL/2 output: the file framing with and without PCL, the options from vykhp_param and the
// connection, the drawing area and geometry, the shade, width, line-type and fill caches, the
// line breaks of polylines, and a picture that hp2xx renders.
#include <gtest/gtest.h>

#include "test_util.h"

#include "gks.h"
#include "vyk.h"

#include <cstdio>
#include <cstdlib>
#include <string>

using vyktest::CaptureStdio;
using vyktest::TempDir;
using vyktest::read_file;
using vyktest::run;
using vyktest::write_file;

namespace {

const std::string PCL_START = "\033E\033%1B\033&l1O\n";
const std::string PCL_END = "\033%0A\033E";
// The first input window: the unit square on the default 10150 by 7612 area at 10, 10.
const std::string FIRST_IW = "IW 10,10,7621,7621;\n";

void clear_environment()
{
    for (const char *name : {"vykhp_out", "vykhp_param", "vykhp_geometry", "vykprint", "PSCOLOR",
                             "vykps_param", "vykps_print", "PSPRINT"})
        unsetenv(name);
}

void open_hpgl(const std::string &conn)
{
    ASSERT_EQ(gopen_gks(nullptr, 0), 0);
    ASSERT_EQ(gopen_ws(1, conn.c_str(), GWS_HPGL), 0);
}

// Opens the driver alone on a file without PCL framing.
void open_driver(const std::string &file)
{
    ASSERT_NE(ghpgl_open_file(file.c_str()), nullptr);
    ghpgl_init();
    ghpgl_set_pcl(0);
    ghpgl_init_file();
}

// What the driver wrote between its start ("IN;SP1;PA;" and the pen line) and "SP;PG;".
std::string driver_body(const std::string &file)
{
    const std::string text = read_file(file);
    const std::string start = "IN;SP1;PA;\nPW0.2;SV;LT;\n", end = "SP;PG;";
    if (text.compare(0, start.size(), start) != 0 || text.size() < start.size() + end.size() ||
        text.compare(text.size() - end.size(), end.size(), end) != 0)
        return "unexpected framing: " + text;
    return text.substr(start.size(), text.size() - start.size() - end.size());
}

}  // namespace

TEST(GksHpgl, DefaultFramingAndDrawingArea)
{
    clear_environment();
    TempDir dir;
    const std::string file = dir.file("plot.hpgl");
    CaptureStdio cap;
    open_hpgl(file);
    int width = 0, height = 0, x = -1, y = -1;
    gget_win_size(&width, &height);
    gget_win_offset(&x, &y);
    EXPECT_EQ(width, 10150);
    EXPECT_EQ(height, 7612);
    EXPECT_EQ(x, 10);
    EXPECT_EQ(y, 10);
    EXPECT_EQ(gclose_ws(1), 0);
    cap.finish();
    EXPECT_EQ(read_file(file),
              PCL_START + "IN;SP1;PA;\nPW0.2;SV;LT;\n" + FIRST_IW + "SP;PG;" + PCL_END);
    EXPECT_NE(cap.out().find("Creating: " + file + "\n"), std::string::npos);
    EXPECT_NE(cap.out().find("Created HPGL file\n"), std::string::npos);
}

TEST(GksHpgl, OptionsFromEnvironmentAndConnection)
{
    struct Case {
        const char *env;    // vykhp_param, NULL unset
        const char *items;  // connection items after the name
        std::string start;  // the file up to the pen line
        const char *pen;    // the pen line
        int width, height;  // the drawing area
        bool pcl;
    };
    const std::string in = "IN;SP1;PA;\n";
    const Case cases[] = {
        {nullptr, "", PCL_START + in, "PW0.2;SV;LT;\n", 10150, 7612, true},
        {nullptr, ",nopcl", in, "PW0.2;SV;LT;\n", 10150, 7612, false},
        {"nopcl", ",PCL", PCL_START + in, "PW0.2;SV;LT;\n", 10150, 7612, true},
        {"NoPcl", "", in, "PW0.2;SV;LT;\n", 10150, 7612, false},
        {nullptr, ",lj", PCL_START + in + "RO90;\n", "PW0.2;SV;LT;\n", 10150, 7612, true},
        {nullptr, ",lj,port", PCL_START + in + "RO90;\nRO90;\n", "PW0.2;SV;LT;\n", 10150, 7612,
         true},
        {"port", ",land", PCL_START + in, "PW0.2;SV;LT;\n", 10150, 7612, true},
        {nullptr, ",rot=180", PCL_START + in + "RO180;\n", "PW0.2;SV;LT;\n", 10150, 7612, true},
        {nullptr, ",rot=270,nopcl", in + "RO270;\n", "PW0.2;SV;LT;\n", 10150, 7612, false},
        {nullptr, ",rot=45", PCL_START + in, "PW0.2;SV;LT;\n", 10150, 7612, true},
        {nullptr, ",a4", PCL_START + in, "PW0.2;SV;LT;\n", 11357, 7876, true},
        {nullptr, ",letter", PCL_START + in, "PW0.2;SV;LT;\n", 10657, 8120, true},
        {"a3", ",sz=20x10", PCL_START + in, "PW0.2;SV;LT;\n", 19792, 9642, true},
        {nullptr, ",lwidth=0.5", PCL_START + in, "PW0.5;SV;LT;\n", 10150, 7612, true},
        {nullptr, ",scale=2", PCL_START + in, "PW0.2;SV;LT;\n", 10150, 7612, true},
        {"roll=36", "", PCL_START + in, "PW0.2;SV;LT;\n", 36032, 23345, true},
        {nullptr, ",roll=36", PCL_START + in, "PW0.2;SV;LT;\n", 10150, 7612, true},  // env only
        {nullptr, ",unknown,,", PCL_START + in, "PW0.2;SV;LT;\n", 10150, 7612, true},
        // keywords without a value: nothing is read past the item, nothing is applied
        {nullptr, ",lwidth,scale,sz,sz=,lwidth=", PCL_START + in, "PW0.2;SV;LT;\n", 10150, 7612,
         true},
        {nullptr, ",rot,nopcl", in, "PW0.2;SV;LT;\n", 10150, 7612, false},
        // a rotation or roll without its number keeps the setting before it
        {"port", ",rot", PCL_START + in + "RO90;\n", "PW0.2;SV;LT;\n", 10150, 7612, true},
        {"port,rot=,rot=x", "", PCL_START + in + "RO90;\n", "PW0.2;SV;LT;\n", 10150, 7612,
         true},
        {"roll", "", PCL_START + in, "PW0.2;SV;LT;\n", 10150, 7612, true},
        {"roll=,roll=wide,roll=0.2", "", PCL_START + in, "PW0.2;SV;LT;\n", 10150, 7612, true},
        {"roll=36,roll", "", PCL_START + in, "PW0.2;SV;LT;\n", 36032, 23345, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.env ? c.env : "-") + " " + c.items);
        clear_environment();
        if (c.env) setenv("vykhp_param", c.env, 1);
        // Rotation, scale and base width survive a close: start each case from the defaults.
        ghpgl_set_rotate(0);
        ghpgl_set_base_width(0.2f);
        TempDir dir;
        const std::string file = dir.file("o.hpgl");
        CaptureStdio cap;
        open_hpgl(file + c.items);
        int width = 0, height = 0;
        gget_win_size(&width, &height);
        gclose_ws(1);
        cap.finish();
        EXPECT_EQ(width, c.width);
        EXPECT_EQ(height, c.height);
        const std::string text = read_file(file);
        const std::string head = c.start + c.pen;
        EXPECT_EQ(text.substr(0, head.size()), head);
        const std::string end = c.pcl ? "SP;PG;" + PCL_END : "SP;PG;";
        ASSERT_GE(text.size(), end.size());
        EXPECT_EQ(text.substr(text.size() - end.size()), end);
    }
}

TEST(GksHpgl, OutputNames)
{
    clear_environment();
    TempDir dir;
    // vykhp_out names the output when the connection does not.
    const std::string named = dir.file("env.hpgl");
    setenv("vykhp_out", named.c_str(), 1);
    {
        CaptureStdio cap;
        open_hpgl(",nopcl");
        gclose_ws(1);
    }
    EXPECT_EQ(read_file(named), "IN;SP1;PA;\nPW0.2;SV;LT;\n" + FIRST_IW + "SP;PG;");
    unsetenv("vykhp_out");

    // A PostScript request turns into HP-GL/2 with vykprint=hpgl.
    const std::string turned = dir.file("turned.out");
    setenv("vykprint", "HPGL", 1);
    {
        CaptureStdio cap;
        ASSERT_EQ(gopen_ws(1, (turned + ",nopcl").c_str(), GWS_PS), 0);
        EXPECT_EQ(gtype_is_HPGL(), 1);
        gclose_ws(1);
    }
    EXPECT_EQ(read_file(turned), "IN;SP1;PA;\nPW0.2;SV;LT;\n" + FIRST_IW + "SP;PG;");
    unsetenv("vykprint");

    // A print command typed by the user, waited for at the close.
    const std::string piped = dir.file("piped.hpgl");
    {
        CaptureStdio cap;
        open_hpgl("|cat > " + vyktest::quote(piped) + ",nopcl");
        gclose_ws(1);
        cap.finish();
        EXPECT_NE(cap.out().find("Spooling to: cat > "), std::string::npos);
    }
    EXPECT_EQ(read_file(piped), "IN;SP1;PA;\nPW0.2;SV;LT;\n" + FIRST_IW + "SP;PG;");

    // An output that cannot be opened.
    {
        CaptureStdio cap;
        EXPECT_EQ(gopen_ws(1, "/dev/null/x.hpgl", GWS_HPGL), -1);
        cap.finish();
        EXPECT_NE(cap.err().find("gopen_ws: unable to open HPGL file\n"), std::string::npos);
    }
    EXPECT_EQ(ghpgl_close_file(), -1);
}

TEST(GksHpgl, AppendedOutputHoldsOnlyPenLineAndDrawing)
{
    clear_environment();
    TempDir dir;
    const std::string file = dir.file("more.hpgl");
    write_file(file, "before\n");
    CaptureStdio cap;
    open_hpgl("+" + file);
    gclose_ws(1);
    cap.finish();
    EXPECT_NE(cap.out().find("Appending to: " + file + "\n"), std::string::npos);
    EXPECT_EQ(read_file(file), "before\nPW0.2;SV;LT;\n" + FIRST_IW);
}

TEST(GksHpgl, GeometryFromEnvironment)
{
    struct Case {
        const char *geometry;
        int width, height, x, y;
        const char *iw;
    };
    const Case cases[] = {
        // 10.15 units to the hundredth of an inch, fraction dropped (10.15 x 400 in single
        // precision is just below 4060)
        {"400x300+100+50", 4059, 3045, 1025, 517, "IW 1025,517,4069,3561;\n"},
        {"400x300", 4059, 3045, 10, 10, "IW 10,10,3054,3054;\n"},
        {"+100+50", 10150, 7612, 1025, 517, "IW 1025,517,8636,8128;\n"},
        {"P2x2+1+1", 5075, 3806, 5075, 0, "IW 5075,-0,8880,3805;\n"},  // -0.1 rounded
        {"nonsense", 10150, 7612, 10, 10, "IW 10,10,7621,7621;\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.geometry);
        clear_environment();
        setenv("vykhp_geometry", c.geometry, 1);
        TempDir dir;
        const std::string file = dir.file("g.hpgl");
        CaptureStdio cap;
        open_hpgl(file + ",nopcl");
        int width = 0, height = 0, x = -1, y = -1;
        gget_win_size(&width, &height);
        gget_win_offset(&x, &y);
        gclose_ws(1);
        cap.finish();
        EXPECT_EQ(width, c.width);
        EXPECT_EQ(height, c.height);
        EXPECT_EQ(x, c.x);
        EXPECT_EQ(y, c.y);
        EXPECT_EQ(read_file(file), std::string("IN;SP1;PA;\nPW0.2;SV;LT;\n") + c.iw + "SP;PG;");
    }
}

TEST(GksHpgl, PolylineBreaksAfterEveryTenthPoint)
{
    clear_environment();
    TempDir dir;
    const std::string file = dir.file("line.hpgl");
    CaptureStdio cap;
    open_hpgl(file + ",nopcl");
    Gpt points[25];
    for (int i = 0; i < 25; i++) points[i] = {static_cast<float>(i) / 24, i % 2 ? 1.0f : 0.0f};
    EXPECT_EQ(gpolyline(25, points), 0);
    gclose_ws(1);
    cap.finish();
    // x: 10 + 7611 i / 24, y alternately 10 and 7621.
    std::string expected;
    for (int i = 0; i < 25; i++) {
        char pen[40];
        std::snprintf(pen, sizeof pen, "%s%.0f,%.0f;", i == 0 ? "PU" : "PD",
                      xW_ps(points[i].x), yW_ps(points[i].y));
        expected += pen;
        if (i % 10 == 9) expected += "\n";
    }
    expected += "\n";
    EXPECT_EQ(read_file(file), "IN;SP1;PA;\nPW0.2;SV;LT;\n" + FIRST_IW + expected + "SP;PG;");
    EXPECT_EQ(expected.substr(0, 30), "PU10,10;PD327,7621;PD644,10;PD");
}

TEST(GksHpgl, ShadeWidthAndLineTypeAreWrittenOnChange)
{
    clear_environment();
    TempDir dir;
    const std::string file = dir.file("pens.hpgl");
    CaptureStdio cap;
    open_driver(file);
    // Shades: every ordinary colour index is black, pens 503-505 white, 506-508 grey.
    for (int ind = 0; ind <= 255; ind++) ghpgl_set_color(ind);
    ghpgl_printf("|");
    for (int ind : {500, 503, 504, 505, 506, 508, 7, 502, 503}) ghpgl_set_color(ind);
    ghpgl_printf("|");
    // Widths: base 0.2 mm times 2 or 4 for the bold and thick pens, else the print-bold factor.
    ghpgl_set_width(1, 1);
    ghpgl_set_width(1, 0);  // 0 is taken as 1
    ghpgl_set_width(501, 1);
    ghpgl_set_width(504, 1);
    ghpgl_set_width(502, 1.5f);
    ghpgl_set_width(3, 2);
    ghpgl_set_width(3, 1);
    ghpgl_printf("|");
    // Line types 1 to 5; other types write nothing but are remembered.
    for (int type : {1, 2, 3, 3, 4, 5, 7, 5, 1}) ghpgl_set_type(type);
    ghpgl_printf("|");
    ghpgl_move_abs(12.4f, 99.6f);
    ghpgl_line_abs(-3, 100000);
    ghpgl_close_file();
    cap.finish();
    EXPECT_EQ(driver_body(file),
              "|SV1,0;SV1,30;SV;SV1,0;"
              "|PW0.4;PW1.2;PW0.4;PW0.2;"
              "|LT2,5,1;LT5,8,1;LT6,10,1;LT2,1,1;LT2,1,1;LT;"
              "|PU12,100;PD-3,100000;");
}

TEST(GksHpgl, FillShadingFollowsTheGreyTable)
{
    clear_environment();
    TempDir dir;
    const std::string file = dir.file("fill.hpgl");
    CaptureStdio cap;
    open_driver(file);
    gps_set_color_rep(5, 0.25f, 0.25f, 0.25f);  // grey level 0.25
    gps_set_color_rep(6, 1, 0, 0);              // grey level 1/3
    ghpgl_set_fill_color(5);
    ghpgl_set_fill_color(5);
    ghpgl_set_fill_color(6);
    ghpgl_printf("|");
    ghpgl_set_fill_color(-1);  // the background: white
    ghpgl_set_fill_color(-1);
    ghpgl_printf("|");
    gset_fill_print_solid(1);
    ghpgl_set_fill_color(5);  // full fill every time
    ghpgl_set_fill_color(-1);
    gset_fill_print_solid(0);
    ghpgl_printf("|");
    ghpgl_set_fill_color(-1);
    ghpgl_close_file();
    cap.finish();
    EXPECT_EQ(driver_body(file), "FT10,75;FT10,67;|FT10,0;|FT1;FT1;|FT10,0;");
}

TEST(GksHpgl, FillShadeStartsAfreshInEveryOutput)
{
    // The plotter starts every page with its solid fill: a background fill in a second output
    // is written again, although the first output's last fill was the background too.
    clear_environment();
    TempDir dir;
    CaptureStdio cap;
    for (const char *name : {"one.hpgl", "two.hpgl"}) {
        const std::string file = dir.file(name);
        open_driver(file);
        ghpgl_set_fill_color(-1);
        ghpgl_close_file();
        EXPECT_EQ(driver_body(file), "FT10,0;") << name;
    }
}

TEST(GksHpgl, StoredOnlySettings)
{
    clear_environment();
    EXPECT_EQ(ghpgl_get_colorPS(), 0);
    EXPECT_EQ(ghpgl_set_colorPS(1), 1);
    EXPECT_EQ(ghpgl_get_colorPS(), 1);
    EXPECT_EQ(ghpgl_set_reverse(1), 1);
    EXPECT_EQ(ghpgl_set_color_rep(3, 1, 0, 0), 0);
    EXPECT_EQ(ghpgl_set_color_rep(-1, 1, 1, 1), 0);
    EXPECT_EQ(ghpgl_set_color_rep(5000, 1, 1, 1), 0);  // outside the table: ignored
    EXPECT_EQ(ghpgl_set_color_rep(-7, 1, 1, 1), 0);
    EXPECT_EQ(ghpgl_set_scale(2), 0);
    EXPECT_EQ(ghpgl_printf("nothing is open %d", 1), 0);
    // PSCOLOR switches the colour flag when an output opens.
    ghpgl_set_colorPS(0);
    setenv("PSCOLOR", "", 1);
    TempDir dir;
    CaptureStdio cap;
    ASSERT_NE(ghpgl_open_file(dir.file("c.hpgl").c_str()), nullptr);
    EXPECT_EQ(ghpgl_get_colorPS(), 1);
    EXPECT_EQ(ghpgl_close_file(), 0);
}

TEST(GksHpgl, Hp2xxRendersThePicture)
{
    // A frame, a dashed diagonal, a solid square and markers without PCL framing: hp2xx reads
    // every command but the screened-vector settings (which it does not implement), finds the
    // coordinates inside the drawing area, and draws them where they belong.
    clear_environment();
    TempDir dir;
    const std::string file = dir.file("pic.hpgl"), png = dir.file("pic.png");
    {
        CaptureStdio cap;
        open_hpgl(file + ",nopcl");
        const Glim win = {0, 100, 0, 100}, vp = {0, 1, 0, 1};
        gset_win(1, &win);
        gset_vp(1, &vp);
        gsel_norm_tran(1);
        const Gpt frame[5] = {{0, 0}, {100, 0}, {100, 100}, {0, 100}, {0, 0}};
        gpolyline(5, frame);
        gset_linetype(2);
        const Gpt diagonal[2] = {{0, 50}, {50, 0}};
        gpolyline(2, diagonal);
        gset_fill_print_solid(1);
        const Gpt square[4] = {{60, 60}, {90, 60}, {90, 90}, {60, 90}};
        gfill_area(4, square);
        gset_marker_type(2);
        const Gpt marks[2] = {{70, 10}, {80, 10}};
        gpolymarker(2, marks);
        gclose_ws(1);
    }
    const auto r = run("hp2xx -m png -f " + vyktest::quote(png) + " " + vyktest::quote(file) +
                       " 2>&1");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("Unexpected event(s):  0"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("invalid"), std::string::npos) << r.out;
    // Only SV is ignored.
    for (size_t pos = 0; (pos = r.out.find(": ignored", pos)) != std::string::npos; pos++)
        EXPECT_EQ(r.out.substr(pos - 2, 2), "SV") << r.out;
    // The drawing spans the input window 10 to 7621 (hp2xx's own dashing may round).
    const size_t range = r.out.find("Coordinate range: ");
    ASSERT_NE(range, std::string::npos) << r.out;
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    ASSERT_EQ(std::sscanf(r.out.c_str() + range, "Coordinate range: (%lf, %lf) ... (%lf, %lf)",
                          &x0, &y0, &x1, &y1),
              4);
    for (double v : {x0, y0}) EXPECT_NEAR(v, 10, 0.01);
    for (double v : {x1, y1}) EXPECT_NEAR(v, 7621, 0.01);
    ASSERT_EQ(run("pngcheck -q " + vyktest::quote(png)).status, 0);
    // hp2xx draws a full fill as lines one pen width apart: the square (0.6 to 0.9 of the plot)
    // is mostly dark, areas of its size below it and to its left white.
    const auto size = run("identify -format '%w %h' " + vyktest::quote(png));
    int w = 0, h = 0;
    ASSERT_EQ(std::sscanf(size.out.c_str(), "%d %d", &w, &h), 2) << size.out;
    auto mean = [&](double fx, double fy) {
        const int cw = static_cast<int>(0.3 * w) - 4, ch = static_cast<int>(0.3 * h) - 4;
        const int cx = static_cast<int>(fx * w) + 2, cy = static_cast<int>((1 - fy - 0.3) * h) + 2;
        const auto m = run("convert " + vyktest::quote(png) + " -crop " + std::to_string(cw) +
                           "x" + std::to_string(ch) + "+" + std::to_string(cx) + "+" +
                           std::to_string(cy) + " -format '%[fx:mean]' info:");
        return std::atof(m.out.c_str());
    };
    EXPECT_LT(mean(0.6, 0.6), 0.7);
    EXPECT_GT(mean(0.6, 0.25), 0.99);
    EXPECT_GT(mean(0.1, 0.6), 0.99);
}
