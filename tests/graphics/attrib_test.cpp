// Attribute sets, attribute strings, fill-pattern and marker words.
#include <gtest/gtest.h>

#include "kernel_util.h"
#include "test_util.h"
#include "vykgks.h"
#include "vyk.h"
#include "vykresrc.h"

#include <string>

using vyktest::CaptureStdio;
using vyktest::TempDir;
using vyktest::write_file;

namespace {

constexpr int U = VYK_MISS;
constexpr float UF = -9999.0f;

using vyktest::Colours;

Gattribs unset()
{
    Gattribs a;
    ATTRIB_init(&a);
    return a;
}

/// A record with every field set, to show which fields a string leaves alone.
Gattribs filled()
{
    return Gattribs{9, 9.5f, 9.5f, 9.5f, 9, 9, 9};
}

std::string show(const Gattribs &a)
{
    return "color " + std::to_string(a.color) + " width " + std::to_string(a.width) + " height " +
           std::to_string(a.height) + " expan " + std::to_string(a.expan) + " style " +
           std::to_string(a.style) + " fill_pat " + std::to_string(a.fill_pat) + " font " +
           std::to_string(a.font);
}

bool same(const Gattribs &a, const Gattribs &b)
{
    return a.color == b.color && a.width == b.width && a.height == b.height &&
           a.expan == b.expan && a.style == b.style && a.fill_pat == b.fill_pat &&
           a.font == b.font;
}

}  // namespace

TEST(Attrib, InitSetsEveryFieldUnset)
{
    Gattribs a = filled();
    EXPECT_EQ(ATTRIB_init(&a), 0);
    EXPECT_EQ(a.color, U);
    EXPECT_EQ(a.width, UF);
    EXPECT_EQ(a.height, UF);
    EXPECT_EQ(a.expan, UF);
    EXPECT_EQ(a.style, U);
    EXPECT_EQ(a.fill_pat, U);
    EXPECT_EQ(a.font, U);
}

TEST(Attrib, ParseItems)
{
    Colours colours;
    struct Case {
        const char *str;
        Gattribs start;
        Gattribs want;  // color, width, height, expan, style, fill_pat, font
    };
    const Gattribs N = unset(), F = filled();
    const Case cases[] = {
        // A first item without '=' is a colour name.
        {"magenta:s4", N, {2, UF, UF, UF, 4, U, U}},
        {"MAGENTA", F, {2, 9.5f, 9.5f, 9.5f, 9, 9, 9}},
        {"blue", F, {-1, 9.5f, 9.5f, 9.5f, 9, 9, 9}},
        {"none:w1", N, {-1, 1, UF, UF, U, U, U}},
        {"end", N, {-2, UF, UF, UF, U, U, U}},
        {"12:s2", N, {12, UF, UF, UF, 2, U, U}},
        {"#00FF00", N, {4, UF, UF, UF, U, U, U}},
        // A later co= item wins over the leading name.
        {"red:co=green", N, {1, UF, UF, UF, U, U, U}},
        {"red:co=pbblk", N, {501, UF, UF, UF, U, U, U}},
        // Keyed items, keys in any case.
        {"co=white", N, {3, UF, UF, UF, U, U, U}},
        {"wi=2.5", N, {U, 2.5f, UF, UF, U, U, U}},
        {"WI=3", N, {U, 3, UF, UF, U, U, U}},
        {"st=sol", N, {U, UF, UF, UF, 1, U, U}},
        {"st=DSH", N, {U, UF, UF, UF, 2, U, U}},
        {"St=lsdsh", N, {U, UF, UF, UF, 3, U, U}},
        {"st=llsdsh", N, {U, UF, UF, UF, 4, U, U}},
        {"st=dot", N, {U, UF, UF, UF, 5, U, U}},
        {"st=7", N, {U, UF, UF, UF, 7, U, U}},
        {"st=dash", N, {U, UF, UF, UF, 0, U, U}},
        {"fi=hat", N, {U, UF, UF, UF, U, 9, U}},
        {"FP=xx", N, {U, UF, UF, UF, U, 9, U}},
        {"fp=12", N, {U, UF, UF, UF, U, 12, U}},
        {"sc=1.5", N, {U, UF, 1.5f, UF, U, U, U}},
        {"HI=0.75", N, {U, UF, 0.75f, UF, U, U, U}},
        {"te=0.8", N, {U, UF, UF, 0.8f, U, U, U}},
        // One-letter forms, lower case only.
        {"red:w2", N, {0, 2, UF, UF, U, U, U}},
        {"red:s3", N, {0, UF, UF, UF, 3, U, U}},
        {"red:t2", N, {0, UF, UF, UF, U, U, 2}},
        {"red:f3", N, {0, UF, UF, UF, U, 3, U}},
        {"red:fM", F, {0, 9.5f, 9.5f, 9.5f, 9, U, 9}},
        {"red:f3:fM", N, {0, UF, UF, UF, U, U, U}},
        {"red:h1.25", N, {0, UF, 1.25f, UF, U, U, U}},
        {"red:e2", N, {0, UF, UF, 2, U, U, U}},
        {"red:W2:S3:H1:E2:T2:F3", N, {0, UF, UF, UF, U, U, U}},
        {"red:wx:s", N, {0, 0, UF, UF, 0, U, U}},
        // A one-letter item placed first is a colour name.
        {"w2", N, {-1, UF, UF, UF, U, U, U}},
        {":w2", N, {U, 2, UF, UF, U, U, U}},
        // After a keyed first item a bare name is no colour: ignored, or read by its letter.
        {"wi=1:red", N, {U, 1, UF, UF, U, U, U}},
        {"wi=1:green", N, {U, 1, UF, UF, U, U, U}},
        {"wi=3:white", N, {U, 0, UF, UF, U, U, U}},
        {"st=2:st=dsh:s5", N, {U, UF, UF, UF, 5, U, U}},
        // Empty items between and after the separators.
        {"red::s4:::", N, {0, UF, UF, UF, 4, U, U}},
        {"", F, F},
        {":::", F, F},
        // Numbers are the leading number of their text; anything else gives 0.
        {"red:wi=abc:sc=2.5cm:te=-1", N, {0, 0, 2.5f, -1, U, U, U}},
        {"red:wi=nan:sc=inf:te=1e99", N, {0, 0, 0, 0, U, U, U}},
        {"red:s99999999999", N, {0, UF, UF, UF, 2147483647, U, U}},
    };
    for (const Case &c : cases) {
        Gattribs a = c.start;
        EXPECT_EQ(ATTRIB_parse(c.str, &a), 0);
        EXPECT_TRUE(same(a, c.want)) << "\"" << c.str << "\": got " << show(a) << ", want "
                                     << show(c.want);
    }
}

TEST(Attrib, ParseFont)
{
    Gattribs a = unset();
    ATTRIB_parse("fo=3", &a);
    EXPECT_EQ(a.font, gget_font_index("3"));
    ATTRIB_parse("FO=helvetica:t5", &a);
    EXPECT_EQ(a.font, 5);
}

TEST(Attrib, ParseNothing)
{
    Gattribs a = filled();
    EXPECT_EQ(ATTRIB_parse(nullptr, &a), 0);
    EXPECT_TRUE(same(a, filled()));
    EXPECT_EQ(ATTRIB_parse("red", nullptr), 0);
}

TEST(Attrib, Get)
{
    Colours colours;
    Gattribs a = unset();
    // Resource not set: the default alone.
    EXPECT_EQ(ATTRIB_get("color_line", "magenta:s4", &a), 0);
    EXPECT_TRUE(same(a, Gattribs{2, UF, UF, UF, 4, U, U})) << show(a);

    // Resource set: applied over the default.
    RES_put("color_line", "green:w2");
    a = unset();
    EXPECT_EQ(ATTRIB_get("color_line", "magenta:s4", &a), 1);
    EXPECT_TRUE(same(a, Gattribs{1, 2, UF, UF, 4, U, U})) << show(a);

    // Set without a value: counts as set, changes nothing.
    RES_put("color_cont", nullptr);
    a = unset();
    EXPECT_EQ(ATTRIB_get("color_cont", "white", &a), 1);
    EXPECT_EQ(a.color, 3);

    a = unset();
    EXPECT_EQ(ATTRIB_get(nullptr, nullptr, &a), 0);
    EXPECT_TRUE(same(a, unset()));
}

TEST(Attrib, UpdateCopiesSetFields)
{
    Gattribs a = filled();
    Gattribs b = unset();
    EXPECT_EQ(ATTRIB_update(&a, &b), 0);
    EXPECT_TRUE(same(a, filled()));

    b.color = -1;
    b.height = 0.5f;
    b.fill_pat = 0;
    EXPECT_EQ(ATTRIB_update(&a, &b), 0);
    EXPECT_TRUE(same(a, Gattribs{-1, 9.5f, 0.5f, 9.5f, 9, 0, 9})) << show(a);

    const Gattribs all{1, 2, 3, 4, 5, 6, 7};
    EXPECT_EQ(ATTRIB_update(&a, &all), 0);
    EXPECT_TRUE(same(a, all));
}

TEST(Attrib, Print)
{
    const Gattribs a{3, 1.5f, 0.25f, 1, 2, U, 4};
    CaptureStdio cap;
    EXPECT_EQ(ATTRIB_print(&a), 0);
    cap.finish();
    EXPECT_EQ(cap.out(),
              "Color: 3\nStyle: 2\nHeight:  0.25\nWidth:  1.50\nExpansion:  1.00\nFill: -9999\n"
              "Font: 4\n");
}

TEST(Attrib, FillPatternWords)
{
    struct Case {
        const char *word;
        int pat;
    };
    const Case cases[] = {
        {"sol", 0},  {"SOL", 0}, {"st", 1},   {"ost", 2},  {"rst", 3},  {"lst", 4},
        {"vln", 5},  {"||", 5},  {"dlr", 6},  {"\\\\", 6}, {"drl", 7},  {"//", 7},
        {"hln", 8},  {"--", 8},  {"hat", 9},  {"XX", 9},   {"xx", 9},   {"clr", 10},
        {"0%", 10},  {"1%", 11}, {"2%", 12},  {"3%", 13},  {"4%", 14},  {"5%", 15},
        {"6%", 16},  {"7%", 17}, {"8%", 18},  {"9%", 19},  {"12", 12},  {"hatch", 0},
        {"10%", 10}, {"", 0},    {"-3", -3},  {nullptr, 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ATTR_parse_fill_pat(c.word), c.pat) << (c.word ? c.word : "(null)");
}

TEST(Attrib, MarkerWords)
{
    struct Case {
        const char *word;
        int type;
    };
    const Case cases[] = {
        {"pnt", 1},    {".", 1},       {"plus", 2},   {"PLUSSES", 2}, {"+", 2},
        {"star", 3},   {"*", 3},       {"crcl", 4},   {"circle", 4},  {"o", 4},
        {"oval", 4},   {"x", 5},       {"X-mark", 5}, {"sqr", 6},     {"square", 6},
        {"#", 6},      {"tri", 7},     {"^", 7},      {"itri", 9},    {"v", 9},
        {"vee", 9},    {"dot", 8},     {"DOTTED", 8}, {"7", 7},       {"12abc", 12},
        {"abc", 0},    {"", 0},        {nullptr, 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ATTR_parse_marker(c.word), c.type) << (c.word ? c.word : "(null)");
}
