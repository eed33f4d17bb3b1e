// The glyph sheet program: barbs, arrows, tracks, sky-cover circles and every weather symbol
// drawn on PostScript and EPS (rendered by ghostscript without errors) and on the own window
// (dumped as PNG), each showing the colours of every section.
#include <gtest/gtest.h>

#include "image_util.h"
#include "test_util.h"

#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace {

std::string demo(const std::string &options)
{
    return vyktest::quote(vyktest::tool("glyph_demo")) + " -fp " +
           vyktest::quote(VYK_SOURCE_DIR "/etc") + " " + options;
}

// Which of the sections' colours show: yellow barbs, cyan rosette, green arrows, red tracks,
// brown symbols.
std::set<std::string> section_colours(const std::vector<vyktest::Rgb> &pixels)
{
    std::set<std::string> seen;
    for (const vyktest::Rgb &c : pixels) {
        if (c.r > 220 && c.g > 220 && c.b < 40) seen.insert("yellow");
        else if (c.r < 40 && c.g > 220 && c.b > 220) seen.insert("cyan");
        else if (c.r < 40 && c.g > 160 && c.b < 40) seen.insert("green");
        else if (c.r > 220 && c.g < 40 && c.b < 40) seen.insert("red");
        else if (c.r > 120 && c.r < 190 && c.g > 50 && c.g < 110 && c.b < 60) seen.insert("brown");
    }
    return seen;
}

const std::set<std::string> all_sections = {"yellow", "cyan", "green", "red", "brown"};

}  // namespace

TEST(GlyphDemo, SheetOnPostScriptRenders)
{
    vyktest::TempDir dir;
    for (const char *options : {",color", ",color,eps"}) {
        SCOPED_TRACE(options);
        const std::string ps = dir.file("sheet.ps"), png = dir.file("sheet.png");
        const vyktest::RunResult r = vyktest::run(demo("-de " + vyktest::quote("p," + ps + options)));
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.out.find("ready\n"), std::string::npos) << r.out;
        EXPECT_EQ(r.err, "");
        const vyktest::RunResult gs =
            vyktest::run("gs -dSAFER -dBATCH -dNOPAUSE -q -r60 -sDEVICE=png16m -sOutputFile=" +
                         vyktest::quote(png) + " " + vyktest::quote(ps));
        ASSERT_EQ(gs.status, 0) << gs.err;
        EXPECT_EQ(gs.err, "");
        EXPECT_EQ(gs.out.find("Error"), std::string::npos) << gs.out;
        EXPECT_EQ(section_colours(vyktest::magick_rgb(png)), all_sections);
    }
}

TEST(GlyphDemo, SheetOnTheWindow)
{
    vyktest::PrivateX x;
    ASSERT_FALSE(x.name().empty());
    vyktest::TempDir dir;
    const std::string png = dir.file("sheet.png");
    const vyktest::RunResult r = vyktest::run(demo("-de d -ge 800x600 --dump=png:" + vyktest::quote(png)));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("ready window="), std::string::npos) << r.out;
    const vyktest::RunResult check = vyktest::run("pngcheck -q " + vyktest::quote(png));
    EXPECT_EQ(check.status, 0) << check.out << check.err;
    const vyktest::RunResult size = vyktest::run("identify -format '%w %h' " + vyktest::quote(png));
    EXPECT_EQ(size.out, "800 600");
    EXPECT_EQ(section_colours(vyktest::magick_rgb(png)), all_sections);
}
