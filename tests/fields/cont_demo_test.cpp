// End-to-end tests of contouring through cont_demo: filled, labelled contours with a colour bar
// on PostScript (rendered by ghostscript), on the window (dumped to PNG), on a metafile, and
// from grid files.
#include "image_util.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <tuple>

namespace {

using vyktest::has;
using vyktest::run;
using vyktest::TempDir;

std::string etc() { return std::string(VYK_SOURCE_DIR) + "/etc"; }

std::string demo(const std::string &options, const std::string &what, bool display = false)
{
    const std::string env = display ? "" : "env -u DISPLAY ";
    return env + vyktest::quote(vyktest::tool("cont_demo")) + " -fp " + vyktest::quote(etc()) +
           " " + options + " " + vyktest::quote(what);
}

/// Distinct colours of a picture.
size_t colours(const std::vector<vyktest::Rgb> &px)
{
    std::set<std::tuple<int, int, int>> seen;
    for (const vyktest::Rgb &c : px) seen.insert({c.r, c.g, c.b});
    return seen.size();
}

TEST(ContDemo, FilledLabelledContoursWithABarOnPostScript)
{
    TempDir dir;
    const std::string ps = dir.file("hill.ps");
    const auto r = run(demo("-de P," + ps + " -fm lcf:lab=22 -in 10", "hill"));
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_TRUE(has(r.out, "levels 0 10 11 16 ")) << r.out;
    EXPECT_TRUE(has(r.out, "close 0")) << r.out;
    const auto gs = run("gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=ppmraw -r36 -sOutputFile=- " + ps);
    ASSERT_EQ(gs.status, 0) << gs.err;
    const vyktest::RgbImage page = vyktest::parse_ppm(gs.out);
    EXPECT_GT(colours(page.rgb()), 8u);
}

TEST(ContDemo, LabelsAndTheHighOnTheMetafile)
{
    TempDir dir;
    const std::string meta = dir.file("hill.meta");
    const auto r = run(demo("-de M," + meta + " -fm lcf:lab=22 -in 10", "hill"));
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    const std::string text = vyktest::read_file(meta);
    // One high, at the centre of the hill (grid index 20, 15), its value under it.
    EXPECT_EQ(vyktest::count(text, " H\n"), 1) << text.substr(0, 2000);
    EXPECT_TRUE(has(text, "TE 20.000000,15.000000 H\n")) << text.substr(0, 2000);
    EXPECT_TRUE(has(text, " 100\n")) << "the high's value";
    // Labels of the levels, every second one from 0: 10 is not labelled, 20 is.
    EXPECT_TRUE(has(text, " 20\n"));
    EXPECT_TRUE(has(text, " 40\n"));
}

TEST(ContDemo, ExplicitLevelsBringTheBar)
{
    TempDir dir;
    const std::string meta = dir.file("bar.meta");
    const auto r = run(demo("-de M," + meta + " -fm cf -cof 0:blue,20:green,40:yellow,60:red,80:magenta",
                            "hill"));
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_TRUE(has(r.out, "bar 0")) << r.out;
    const std::string text = vyktest::read_file(meta);
    // The bar's labels: each level as typed.
    for (const char *label : {"TE", "0\n", "20\n", "40\n", "60\n", "80\n"})
        EXPECT_TRUE(has(text, label)) << label;
}

TEST(ContDemo, WindowDumpShowsTheFill)
{
    vyktest::PrivateX x("1024x768x24", false);
    ASSERT_FALSE(x.name().empty());
    TempDir dir;
    const std::string png = dir.file("w.png");
    const auto r = run("DISPLAY=" + x.name() + " " +
                       demo("-fm cf:bar -in 10 -of png=" + png, "saddle", true));
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(run("pngcheck " + png).status, 0);
    EXPECT_GT(colours(vyktest::magick_rgb(png)), 8u);
}

TEST(ContDemo, ContoursAGridReadFromAFile)
{
    TempDir dir;
    for (const char *kind : {"2", "11"}) {
        SCOPED_TRACE(kind);
        const std::string grid = dir.file(std::string("hill") + kind + ".grd");
        auto w = run(demo(std::string("--kind ") + kind + " --write " + grid, "hill"));
        ASSERT_EQ(w.status, 0) << w.out << w.err;
        const std::string meta = dir.file(std::string("file") + kind + ".meta");
        const auto r = run(demo("-de M," + meta + " -fm ln -in 20", grid));
        ASSERT_EQ(r.status, 0) << r.out << r.err;
        EXPECT_TRUE(has(r.out, "grid 41 31")) << r.out;
        EXPECT_TRUE(has(r.out, "levels 0 20 6 12 ")) << r.out;
        EXPECT_GT(vyktest::count(vyktest::read_file(meta), "PL 2 "), 50);
    }
    const auto bad = run(demo("-de M," + dir.file("x.meta"), dir.file("absent.grd")));
    EXPECT_EQ(bad.status, 2);
    EXPECT_TRUE(has(bad.err, "cannot open")) << bad.err;
}

TEST(ContDemo, DerivedVariablesContourFromGridsInAFile)
{
    TempDir dir;
    const std::string grid = dir.file("winds.grd");
    auto w = run(demo("--write " + grid, "winds"));
    ASSERT_EQ(w.status, 0) << w.out << w.err;
    struct Case {
        const char *var_text;
        const char *math;
    };
    const Case cases[] = {
        {"12:500mb:rvort(12:500mb:uwnd,12:500mb:vwnd)", "grid 41 31 -0.358599 2.36483"},
        {"12:500mb:thick(12:500mb:hgt,12:1000mb:hgt)", "grid 41 31 5381.83 5500.5"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.var_text);
        const std::string meta = dir.file("derived.meta");
        const auto r = run(demo("-ba -de M," + meta + " -fm ln --var " + vyktest::quote(c.var_text),
                                grid));
        ASSERT_EQ(r.status, 0) << r.out << r.err;
        EXPECT_TRUE(has(r.out, c.math)) << r.out;
        EXPECT_TRUE(has(r.out, "close 0")) << r.out;
        EXPECT_GT(vyktest::count(vyktest::read_file(meta), "PL 2 "), 20);
    }
}

TEST(ContDemo, DatelineFieldOnWholeEarthMaps)
{
    TempDir dir;
    for (const char *domain : {"ll,0,0,361,181,1,1", "mo,0,0,201,101,2,2"}) {
        SCOPED_TRACE(domain);
        const std::string ps = dir.file("d.ps");
        const auto r = run(demo("-de P," + ps + " -fm lcf -in 10 --domain " + domain, "dateline"));
        ASSERT_EQ(r.status, 0) << r.out << r.err;
        EXPECT_TRUE(has(r.out, "close 0")) << r.out;
    }
}

TEST(ContDemo, WindVectorsBarbsAndStreamlinesOnPostScript)
{
    // The vortex of the winds file through the stand-alone vector plot: arrows, barbs and
    // streamlines each on a PostScript page that ghostscript renders, of the vortex's largest
    // speed (20 r exp(-r^2) at r = 0.707: 8.58 m/s).
    TempDir dir;
    const std::string grid = dir.file("winds.grd");
    auto w = run(demo("--write " + grid, "winds"));
    ASSERT_EQ(w.status, 0) << w.out << w.err;
    for (auto [kind, type] : {std::pair{"vect", 21}, {"barb", 22}, {"strm", 23}}) {
        SCOPED_TRACE(kind);
        const std::string ps = dir.file(std::string(kind) + ".ps");
        const auto r = run(demo(std::string("-ba -pl ") + kind + " -pp vbar -de P," + ps +
                                    " --vect 1 --var " +
                                    vyktest::quote("12:500mb:uwnd,12:500mb:vwnd"),
                                grid));
        ASSERT_EQ(r.status, 0) << r.out << r.err;
        int got = 0;
        double max = 0, size = 0;
        const size_t at = r.out.find("vect ");
        ASSERT_NE(at, std::string::npos) << r.out;
        std::istringstream(r.out.substr(at + 5)) >> got >> max >> size;
        EXPECT_EQ(got, type);
        EXPECT_NEAR(max, 8.58, 0.01);
        const auto gs =
            run("gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=ppmraw -r36 -sOutputFile=- " + ps);
        ASSERT_EQ(gs.status, 0) << gs.err;
        EXPECT_TRUE(gs.err.empty()) << gs.err;
        int ink = 0;
        for (const vyktest::Rgb &c : vyktest::parse_ppm(gs.out).rgb())
            ink += c.r < 200 || c.g < 200 || c.b < 200 ? 1 : 0;
        EXPECT_GT(ink, 500);
    }
}

}  // namespace
