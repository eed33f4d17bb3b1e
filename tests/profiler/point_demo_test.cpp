// The point-datum plotter driven from a shell through point_demo: values in their formats,
// hostile formats, barbs, arrows, marks, clouds and symbols, position codes, the plot_param
// words, cut-offs, colour -1 and connecting lines, read back from the text metafile it writes;
// and a sheet of every kind on PostScript rendered by ghostscript.
#include <gtest/gtest.h>

#include "image_util.h"
#include "meta_fixture.h"
#include "test_util.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

using vyktest::RunResult;
using vyktest::TempDir;
using vyktest::quote;

struct Text {
    float x, y;
    std::string text;
};

/// What a metafile holds: its texts, and the polylines, marker and fill records.
struct Drawing {
    std::vector<Text> texts;
    int lines = 0, marks = 0, fills = 0;
    std::string texts_joined() const
    {
        std::string s;
        for (const Text &t : texts) s += (s.empty() ? "" : "|") + t.text;
        return s;
    }
};

Drawing read_meta(const std::string &path)
{
    Drawing d;
    for (const vyktest::MetaRecord &r : vyktest::meta_records(vyktest::read_file(path))) {
        if (r.kind == "TE") d.texts.push_back({r.pts[0].x, r.pts[0].y, r.text});
        d.lines += r.kind == "PL";
        d.marks += r.kind == "PM";
        d.fills += r.kind == "FA";
    }
    return d;
}

struct Outcome {
    RunResult result;
    Drawing drawing;
};

/// Runs point_demo on the metafile with the table and the extra options.
Outcome demo(const std::string &table, const std::string &options = "")
{
    TempDir dir;
    const std::string meta = dir.file("out.meta");
    Outcome r;
    r.result = vyktest::run(quote(vyktest::tool("point_demo")) + " -fp " + quote(VYK_SOURCE_DIR "/etc") +
                                " -de " + quote("m," + meta) + " " + options,
                            table);
    r.drawing = read_meta(meta);
    return r;
}

TEST(PointDemo, ValuesInTheirFormats)
{
    const struct {
        const char *line;
        const char *texts;  // drawn texts joined by '|'
        const char *out;    // the datum line: result, type written back, data
    } rows[] = {
        {"10 20 value %4.1f 12.34", "12.3", "datum 1 0 2 \n"},
        {"10 20 value - 12.6", "13", "datum 1 0 2 \n"},
        {"10 20 value %z1.2f 0.25", ".25", "datum 1 0 2 .25\n"},
        {"10 20 value %z1.2f -0.25", "-.25", "datum 1 0 2 -.25\n"},
        {"10 20 value %z1.2f 1.25", "1.25", "datum 1 0 2 1.25\n"},
        {"10 20 value - - - abc", "abc", "datum 1 0 2 abc\n"},
        {"10 20 value - -", "", "datum 1 0 2 \n"},
        // A value format names the value type, whatever the datum's type was.
        {"10 20 int %03d 7.9", "8", "datum 1 0 2 \n"},
        {"10 20 int - 7.9", "7", "datum 1 0 5 \n"},
        {"10 20 int - -7.9", "-7", "datum 1 0 5 \n"},
        {"10 20 text - - - hello", "hello", "datum 1 0 3 hello\n"},
        {"10 20 data - 5 - txt", "txt", "datum 1 0 1 txt\n"},
        // A type named in the format is written back: the last one named wins.
        {"10 20 wbarb %4.1f 270 15", "270.0", "datum 1 0 2 \n"},
        {"10 20 value tx=fixed 5", "fixed", "datum 1 0 2 \n"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.line);
        const Outcome r = demo(std::string(row.line) + "\n");
        ASSERT_EQ(r.result.status, 0) << r.result.err;
        EXPECT_EQ(r.drawing.texts_joined(), row.texts);
        EXPECT_NE(r.result.out.find(row.out), std::string::npos) << r.result.out;
    }
}

TEST(PointDemo, HostileFormatsDrawTheDefault)
{
    const std::string formats[] = {"%s", "%n", "%d%d", "%", "%s%s%s%s", "%5.1f%n",
                                   "%5.1f" + std::string(195, 'x')};
    for (const std::string &f : formats) {
        SCOPED_TRACE(f);
        const Outcome r = demo("10 20 value " + f + " 7.4\n");
        ASSERT_EQ(r.result.status, 0) << r.result.err;
        EXPECT_EQ(r.drawing.texts_joined(), "7");
        EXPECT_NE(r.result.err.find("RAW_"), std::string::npos) << r.result.err;  // a warning
    }
}

TEST(PointDemo, GlyphsOfEachType)
{
    const Outcome blank = demo("");
    ASSERT_EQ(blank.result.status, 0) << blank.result.err;
    const Drawing base = blank.drawing;
    const struct {
        const char *line;
        int lines;  // polylines more than the empty plot; -1: at least one
        int marks;
        const char *texts;
    } rows[] = {
        {"10 20 wbarb - 270 15", -1, 0, ""},
        {"10 20 wbarb - 270 0", 1, 0, ""},      // calm: one circle
        {"10 20 wbarb - -9999 15", 0, 0, ""},   // no direction: nothing
        {"10 20 wbarb - 270 -9999", 0, 0, ""},  // no speed: nothing
        {"10 20 cbarb - 0 0", 1, 0, ""},
        {"10 20 dbarb - 0 0", 2, 0, ""},        // two concentric circles
        {"10 20 dbarb - 200 25", -1, 0, ""},
        {"10 20 vbarb - 90 20", -1, 0, ""},
        {"10 20 vbarb - 90 0", 0, 0, ""},
        {"10 20 track - 90 20", -1, 0, ""},
        {"10 20 mark - - - plus", 0, 1, ""},
        {"10 20 mark - - - 6", 0, 1, ""},
        {"10 20 cloud - - - 5", -1, 0, ""},
        {"10 20 symb - - - TSRA", -1, 0, ""},
        {"10 20 vect - 270 15", 0, 0, ""},      // grids' vectors are not point data
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.line);
        const Outcome r = demo(std::string(row.line) + "\n");
        ASSERT_EQ(r.result.status, 0) << r.result.err;
        const int more = r.drawing.lines - base.lines;
        if (row.lines < 0) EXPECT_GT(more, 0);
        else EXPECT_EQ(more, row.lines);
        EXPECT_EQ(r.drawing.marks - base.marks, row.marks);
        EXPECT_EQ(r.drawing.texts_joined(), row.texts);
    }
}

TEST(PointDemo, PositionCodesMoveTheText)
{
    // The plot window is 20 units high: "ur" moves the text by 0.012 and 0.02 of it, "sc=2"
    // doubles that.
    const Outcome r = demo("10 20 value cc 1\n10 20 value ur 2\n10 20 value ur:sc=2 3\n"
                       "10 20 value bl 4\n10 20 value ll 5\n");
    ASSERT_EQ(r.result.status, 0) << r.result.err;
    ASSERT_EQ(r.drawing.texts.size(), 5u);
    const Text &c = r.drawing.texts[0];
    const struct {
        float dx, dy;
    } want[] = {{0, 0}, {0.24f, 0.4f}, {0.48f, 0.8f}, {-0.24f, -0.24f}, {-0.24f, -0.4f}};
    for (size_t k = 0; k < 5; k++) {
        EXPECT_NEAR(r.drawing.texts[k].x - c.x, want[k].dx, 1e-3) << k;
        EXPECT_NEAR(r.drawing.texts[k].y - c.y, want[k].dy, 1e-3) << k;
    }
}

TEST(PointDemo, PlotParamWords)
{
    const Outcome blank = demo("");
    // "mark=cld": every datum with a text or a value is an empty circle; one without falls
    // through to its own drawing.
    Outcome r = demo("10 20 value - 5\n12 22 text - - - abc\n14 24 wbarb - -\n", "-pp mark=cld");
    ASSERT_EQ(r.result.status, 0) << r.result.err;
    EXPECT_EQ(r.drawing.lines - blank.drawing.lines, 2);
    EXPECT_EQ(r.drawing.texts_joined(), "");
    // "text=+": a plus sign instead of every datum, at its offset.
    r = demo("10 20 value - 5\n12 22 wbarb - 270 15\n", "-pp text=+,ur");
    ASSERT_EQ(r.result.status, 0) << r.result.err;
    EXPECT_EQ(r.drawing.texts_joined(), "+|+");
    EXPECT_EQ(r.drawing.lines, blank.drawing.lines);
    // "mark=x": markers.
    r = demo("10 20 value - 5\n12 22 value - 6\n", "-pp mark=x");
    EXPECT_EQ(r.drawing.marks - blank.drawing.marks, 2);
}

TEST(PointDemo, CutOffsAndHiddenData)
{
    // con_base "<30" and ">-10": data above 30 or below -10 are not drawn.
    Outcome r = demo("10 20 value - 31\n10 20 value - -11\n10 20 value - 20\n10 20 value - -\n",
                 "-cb " + quote("<30,>-10"));
    ASSERT_EQ(r.result.status, 0) << r.result.err;
    EXPECT_NE(r.result.out.find("datum 1 -1 "), std::string::npos) << r.result.out;
    EXPECT_NE(r.result.out.find("datum 2 -1 "), std::string::npos);
    EXPECT_NE(r.result.out.find("datum 3 0 "), std::string::npos);
    EXPECT_EQ(r.drawing.texts_joined(), "20");
    // The format's own cut-offs act on later data only; colour -1 hides a datum.
    r = demo("10 20 value mx=3 5\n10 20 value co=none 5\n10 20 wbarb co=none 270 10\n");
    ASSERT_EQ(r.result.status, 0) << r.result.err;
    EXPECT_EQ(r.drawing.texts_joined(), "5");
    EXPECT_NE(r.result.out.find("datum 2 -1 "), std::string::npos) << r.result.out;
    EXPECT_NE(r.result.out.find("datum 3 -1 "), std::string::npos);
}

TEST(PointDemo, ConnectingLines)
{
    const Outcome blank = demo("");
    // A line datum at the first position has no end point: nothing.
    Outcome r = demo("10 20 line - - - x\n");
    EXPECT_EQ(r.drawing.lines, blank.drawing.lines);
    // "post" then a datum elsewhere: the segment between them when the second arrives.
    r = demo("10 20 line - - - post\n12 24 value - -\n");
    EXPECT_EQ(r.drawing.lines - blank.drawing.lines, 1);
    // A line datum with a latitude and longitude: the segment from there to the datum.
    r = demo("10 20 line - 5 5 x\n");
    EXPECT_EQ(r.drawing.lines - blank.drawing.lines, 1);
    // "pre": from the previous position to this one.
    r = demo("10 20 value - -\n12 24 line - - - pre\n");
    EXPECT_EQ(r.drawing.lines - blank.drawing.lines, 1);
    // plot_param "line": every datum joined to the one before.
    r = demo("10 20 value - 1\n12 24 value - 2\n14 20 value - 3\n", "-pp line");
    EXPECT_EQ(r.drawing.lines - blank.drawing.lines, 2);
}

TEST(PointDemo, SheetOnPostScriptRenders)
{
    // Values in red, barbs in blue, symbols in the weather colour: each shows on the page.
    TempDir dir;
    const std::string ps = dir.file("sheet.ps"), png = dir.file("sheet.png");
    const std::string table =
        "5 5 value %5.1f:co=red 12.5\n5 15 value %z1.2f:co=red 0.5\n"
        "10 10 wbarb co=blue:sc=3 270 65\n15 10 dbarb co=blue:sc=3 200 25\n"
        "10 25 vbarb co=blue 90 50\n15 30 symb co=yellow:sc=3 - - TSRA\n"
        "5 30 mark co=red:sc=3 - - star\n12 34 cloud co=blue:sc=3 - - 7\n";
    const RunResult r = vyktest::run(quote(vyktest::tool("point_demo")) + " -fp " +
                                         quote(VYK_SOURCE_DIR "/etc") + " -de " +
                                         quote("p," + ps + ",color"),
                                     table);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err.find("RAW_"), std::string::npos) << r.err;
    const RunResult gs = vyktest::run("gs -dSAFER -dBATCH -dNOPAUSE -q -r60 -sDEVICE=png16m -sOutputFile=" +
                                      quote(png) + " " + quote(ps));
    ASSERT_EQ(gs.status, 0) << gs.err;
    bool red = false, blue = false, yellow = false;
    for (const vyktest::Rgb &c : vyktest::magick_rgb(png)) {
        red = red || (c.r > 200 && c.g < 60 && c.b < 60);
        blue = blue || (c.r < 60 && c.g < 60 && c.b > 200);
        yellow = yellow || (c.r > 200 && c.g > 200 && c.b < 60);
    }
    EXPECT_TRUE(red);
    EXPECT_TRUE(blue);
    EXPECT_TRUE(yellow);
}

}  // namespace
