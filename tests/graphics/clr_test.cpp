// The named colour table: colour-table files, colour names and codes, the shipped vyk.clr.
#include <gtest/gtest.h>

#include "test_util.h"
#include "vykgks.h"
#include "vyk.h"
#include "vykresrc.h"

#include <cstdio>
#include <string>
#include <vector>

using vyktest::TempDir;
using vyktest::write_file;

namespace {

/// A scratch directory that is the file path for colour-table files.
class TableDir {
public:
    TableDir() { RES_put("file_path", dir_.path().c_str()); }
    void write(const std::string &name, const std::string &text) const
    {
        write_file(dir_.file(name), text);
    }

private:
    TempDir dir_;
};

struct Rgb {
    float r, g, b;
};

Rgb rgb_of(int ind)
{
    Rgb c{-1, -1, -1};
    CLR_get_rgb(ind, &c.r, &c.g, &c.b);
    return c;
}

void expect_rgb(int ind, float r, float g, float b)
{
    const Rgb c = rgb_of(ind);
    EXPECT_FLOAT_EQ(c.r, r) << "index " << ind;
    EXPECT_FLOAT_EQ(c.g, g) << "index " << ind;
    EXPECT_FLOAT_EQ(c.b, b) << "index " << ind;
}

/// A file of n entry lines "c<i> #RR0000" with RR = i % 256.
std::string ramp(int n)
{
    std::string text;
    char line[40];
    for (int i = 0; i < n; i++) {
        std::snprintf(line, sizeof line, "c%d #%02X0000\n", i, i % 256);
        text += line;
    }
    return text;
}

}  // namespace

TEST(Clr, EmptyAtStart)
{
    EXPECT_EQ(CLR_get_num(), 0);
    EXPECT_EQ(CLR_get_num_fill(), 0);
    EXPECT_STREQ(CLR_get_name(0), "");
    expect_rgb(5, 0, 0, 0);
}

TEST(Clr, EntryForms)
{
    TableDir t;
    t.write("t.clr",
            "# comment\n"
            "red 1 0 0\n"
            "half  0.5\t0.25 0.125\n"
            "code #FF8000\n"
            "lower #0a0B0c\n"
            "clamp 2 -1 nan\n"
            "short 1 0\n"
            "badhex #12345G\n"
            "longhex #1234567\n"
            "abcdefghijklmnopqrstuvwxyz 0 0 1\n"
            "crlf #00FF00\r\r\n"
            "trailing #0000FF   \n");
    EXPECT_EQ(CLR_read_table("t.clr"), 0);
    EXPECT_EQ(CLR_get_num(), 11);
    EXPECT_EQ(CLR_get_num_fill(), 0);

    EXPECT_STREQ(CLR_get_name(0), "red");
    expect_rgb(0, 1, 0, 0);
    expect_rgb(1, 0.5f, 0.25f, 0.125f);
    expect_rgb(2, 1, 128 / 255.0f, 0);
    expect_rgb(3, 10 / 255.0f, 11 / 255.0f, 12 / 255.0f);
    // Components outside 0..1 (and a value that is no number) are brought into range.
    expect_rgb(4, 1, 0, 0);
    // Lines of neither form still take their slot, as unnamed black entries.
    for (int ind : {5, 6, 7}) {
        EXPECT_STREQ(CLR_get_name(ind), "");
        expect_rgb(ind, 0, 0, 0);
    }
    // Names are cut to 19 characters.
    EXPECT_STREQ(CLR_get_name(8), "abcdefghijklmnopqrs");
    EXPECT_EQ(CLR_get_ind("abcdefghijklmnopqrs"), 8);
    EXPECT_STREQ(CLR_get_name(9), "crlf");
    expect_rgb(9, 0, 1, 0);
    EXPECT_STREQ(CLR_get_name(10), "trailing");
    EXPECT_EQ(CLR_get_ind("RED"), 0);
    EXPECT_EQ(CLR_get_ind("Trailing"), 10);
}

TEST(Clr, SlotNumbering)
{
    struct Case {
        const char *what;
        const char *text;
        int num;
        std::vector<std::pair<const char *, int>> slots;  // name and the slot it must be in
    };
    // Names differ from case to case: a load leaves the names of slots 0 to 15 in place
    // until a file overwrites them.
    const Case cases[] = {
        {"plain", "a 1 0 0\nb 0 1 0\nc 0 0 1\n", 3, {{"a", 0}, {"b", 1}, {"c", 2}}},
        {"slot number moves the position", "d 1 0 0\n20 e #00FF00\nf #0000FF\n", 22,
         {{"d", 0}, {"e", 20}, {"f", 21}}},
        {"slot number backwards", "g 1 0 0\nh 1 0 0\ni 1 0 0\n1 j 0 1 0\nk 0 0 1\n", 4,
         {{"g", 0}, {"j", 1}, {"k", 2}}},
        {"comment takes no slot", "l 1 0 0\n# note\nm 0 1 0\n", 2, {{"l", 0}, {"m", 1}}},
        {"comment at the end counts one more", "n 1 0 0\no 0 1 0\n# end\n", 3,
         {{"n", 0}, {"o", 1}}},
        {"END at the end counts one more", "p 1 0 0\nq 0 1 0\nend\n", 3, {{"p", 0}, {"q", 1}}},
        {"blank line takes a slot", "r 1 0 0\n\ns 0 1 0\n", 3, {{"r", 0}, {"s", 2}}},
        {"a last line with a slot number is kept", "t 1 0 0\n40 u 0 1 0\n", 41,
         {{"t", 0}, {"u", 40}}},
        {"slot number past the table is ignored", "v 1 0 0\n300 big 1 1 1\nw 0 1 0\n", 2,
         {{"v", 0}, {"w", 1}, {"big", -1}}},
        {"slot 255 is the last", "255 last #FFFFFF\nafter #000000\n", 256,
         {{"last", 255}, {"after", -1}}},
        {"digits that begin a name", "3D 1 0 0\n", 1, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TableDir t;
        t.write("t.clr", c.text);
        CLR_clear_table();
        CLR_read_table("t.clr");
        EXPECT_EQ(CLR_get_num(), c.num);
        for (const auto &[name, slot] : c.slots) {
            EXPECT_EQ(CLR_get_ind(name), slot) << name;
            if (slot >= 0) {
                EXPECT_STREQ(CLR_get_name(slot), name);
            }
        }
    }
}

TEST(Clr, LinesPastTheTableAreIgnored)
{
    TableDir t;
    t.write("big.clr", ramp(300));
    CLR_read_table("big.clr");
    EXPECT_EQ(CLR_get_num(), 256);
    EXPECT_EQ(CLR_get_ind("c255"), 255);
    EXPECT_EQ(CLR_get_ind("c256"), -1);
}

TEST(Clr, LongLineIsReadInPieces)
{
    TableDir t;
    std::string first = "long 1 0 0";
    first.resize(100, ' ');
    t.write("t.clr", first + "next 0 1 0\n");
    CLR_read_table("t.clr");
    EXPECT_EQ(CLR_get_num(), 2);
    EXPECT_EQ(CLR_get_ind("long"), 0);
    EXPECT_EQ(CLR_get_ind("next"), 1);
}

TEST(Clr, FillCount)
{
    const std::string with_end = "a 1 0 0\nb 0 1 0\nEND\nc 0 0 1\n";
    const std::string without_end = "a 1 0 0\nb 0 1 0\nc 0 0 1\n";
    struct Case {
        const char *what;
        const std::string &text;
        bool by_resource;  // named by the color_table resource, else the default name
        int num, fill;
    };
    const Case cases[] = {
        // The default name leaves the fill count as it was (0 at start).
        {"END, default name", with_end, false, 3, 0},
        {"no END, default name", without_end, false, 3, 0},
        {"END, through the resource", with_end, true, 3, 2},
        {"no END, through the resource", without_end, true, 3, 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TableDir t;
        if (c.by_resource) {
            t.write("mine.clr", c.text);
            RES_put("color_table", "mine.clr");
        } else {
            t.write("vyk.clr", c.text);
            RES_put("color_table", "");
        }
        CLR_read_table(nullptr);
        EXPECT_EQ(CLR_get_num(), c.num);
        EXPECT_EQ(CLR_get_num_fill(), c.fill);
        EXPECT_EQ(CLR_get_ind("c"), 2);
    }
}

TEST(Clr, FillCountKeptByOtherLoads)
{
    TableDir t;
    t.write("fill.clr", "a 1 0 0\nEND\nb 0 1 0\n");
    t.write("other.clr", "a 1 0 0\nb 0 1 0\nc 0 0 1\nEND\n");
    RES_put("color_table", "fill.clr");
    CLR_read_table(nullptr);
    EXPECT_EQ(CLR_get_num_fill(), 1);
    // A file named by the caller does not set the fill count, even with an END line.
    CLR_read_table("other.clr");
    EXPECT_EQ(CLR_get_num(), 4);
    EXPECT_EQ(CLR_get_num_fill(), 1);
}

TEST(Clr, SecondFileFollowsTheFirst)
{
    TableDir t;
    t.write("one.clr", "a 1 0 0\nb 0 1 0\nEND\nc 0 0 1\n");
    t.write("two.clr", "d #FFFFFF\nEND\n2 e #808080\n");
    RES_put("color_table", "one.clr,missing.clr,two.clr");
    CLR_read_table(nullptr);
    EXPECT_EQ(CLR_get_num(), 6);
    EXPECT_EQ(CLR_get_num_fill(), 2);  // only the first file's END counts
    EXPECT_EQ(CLR_get_ind("d"), 3);
    EXPECT_EQ(CLR_get_ind("e"), 5);    // its slot number counts from the first file's end
    expect_rgb(5, 128 / 255.0f, 128 / 255.0f, 128 / 255.0f);

    // A second file cannot reach past the table with its slot numbers either.
    t.write("full.clr", ramp(250));
    t.write("late.clr", "x #FFFFFF\n10 y #FFFFFF\nz #FFFFFF\n");
    CLR_read_table("full.clr,late.clr");
    EXPECT_EQ(CLR_get_num(), 252);
    EXPECT_EQ(CLR_get_ind("x"), 250);
    EXPECT_EQ(CLR_get_ind("y"), -1);
    EXPECT_EQ(CLR_get_ind("z"), 251);
}

TEST(Clr, FirstFileMissingSetsNoFillCount)
{
    TableDir t;
    t.write("two.clr", "a 1 0 0\nEND\nb 0 1 0\n");
    RES_put("color_table", "missing.clr,two.clr");
    CLR_read_table(nullptr);
    EXPECT_EQ(CLR_get_num(), 2);
    EXPECT_EQ(CLR_get_num_fill(), 0);
}

TEST(Clr, ReloadKeepsBaseNamesOnly)
{
    TableDir t;
    t.write("t.clr", ramp(20));
    CLR_read_table("t.clr");
    ASSERT_EQ(CLR_get_num(), 20);
    // No file opens: the count stays, names from slot 16 on are gone, slots 0..15 stay.
    CLR_read_table("missing.clr");
    EXPECT_EQ(CLR_get_num(), 20);
    EXPECT_EQ(CLR_get_ind("c15"), 15);
    EXPECT_EQ(CLR_get_ind("c16"), -1);
    expect_rgb(16, 16 / 255.0f, 0, 0);
    // A directory is no table: neither is an empty name in the list.
    CLR_read_table(",.");
    EXPECT_EQ(CLR_get_num(), 20);
    CLR_clear_table();
    EXPECT_EQ(CLR_get_num(), 0);
    EXPECT_EQ(CLR_get_ind("c0"), -1);
}

TEST(Clr, Names)
{
    TableDir t;
    t.write("t.clr", "Red 1 0 0\nGreen 0 1 0\nred 0.5 0 0\n");
    CLR_read_table("t.clr");
    struct Case {
        const char *name;
        int ind;
    };
    const Case cases[] = {
        {nullptr, -1}, {"", -1}, {"end", -2}, {"END", -2}, {"none", -1}, {"Off", -1},
        {"BACK", -1}, {"pblk", 500}, {"pbblk", 501}, {"ptblk", 502}, {"pwht", 503},
        {"pbwht", 504}, {"ptwht", 505}, {"pgry", 506}, {"pbgry", 507}, {"PTGRY", 508},
        {"red", 0}, {"RED", 0}, {"green", 1}, {"blue", -1}, {"ende", -1},
        // Digits give their number, whatever the table holds.
        {"7", 7}, {"42", 42}, {"300", 300}, {"7abc", 7}, {"0", 0},
        {"99999999999999", 2147483647},
        // A colour code with anything but its digits names no colour.
        {"#12345G", -1}, {"#-12345", -1}, {"# 12345", -1}, {"#12a456789", -1},
        {"#1234567", -1}, {"#12345", -1}, {"#", -1},
    };
    for (const Case &c : cases)
        EXPECT_EQ(CLR_get_ind(c.name), c.ind) << (c.name ? c.name : "(null)");
    EXPECT_EQ(CLR_get_num(), 3);
}

TEST(Clr, ColourCodesAddEntries)
{
    EXPECT_EQ(CLR_get_ind("#FF8000"), 0);
    EXPECT_STREQ(CLR_get_name(0), "#FF8000");
    expect_rgb(0, 1, 128 / 255.0f, 0);
    EXPECT_EQ(CLR_get_num(), 1);
    // The same code again finds its entry; the letter case of a hexadecimal code does not
    // matter to the lookup.
    EXPECT_EQ(CLR_get_ind("#FF8000"), 0);
    EXPECT_EQ(CLR_get_ind("#ff8000"), 0);
    EXPECT_EQ(CLR_get_num(), 1);
    // The same colour as a decimal code is a second entry under that name.
    EXPECT_EQ(CLR_get_ind("#255128000"), 1);
    expect_rgb(1, 1, 128 / 255.0f, 0);
    EXPECT_EQ(CLR_get_num(), 2);
    // Decimal components above 255 stand for 255.
    EXPECT_EQ(CLR_get_ind("#999256000"), 2);
    expect_rgb(2, 1, 1, 0);
    EXPECT_EQ(CLR_get_ind("#000000"), 3);
    expect_rgb(3, 0, 0, 0);
}

TEST(Clr, CodeAfterLoadFollowsTheTable)
{
    TableDir t;
    t.write("t.clr", "a 1 0 0\nb 0 1 0\n");
    CLR_read_table("t.clr");
    EXPECT_EQ(CLR_get_ind("#00FF00"), 2);
    EXPECT_EQ(CLR_add("mine", 0.25f, 0.5f, 0.75f), 3);
    EXPECT_EQ(CLR_get_ind("MINE"), 3);
    expect_rgb(3, 0.25f, 0.5f, 0.75f);
    // The next load drops what was added.
    CLR_read_table("t.clr");
    EXPECT_EQ(CLR_get_num(), 2);
    EXPECT_EQ(CLR_get_ind("mine"), -1);
}

TEST(Clr, FullTableReusesTheNearestColour)
{
    TableDir t;
    t.write("full.clr", ramp(256));
    CLR_read_table("full.clr");
    ASSERT_EQ(CLR_get_num(), 256);
    EXPECT_EQ(CLR_add("new", 100 / 255.0f, 0, 0), 100);
    EXPECT_EQ(CLR_add("near", 101 / 255.0f, 0.002f, 0), 101);
    EXPECT_EQ(CLR_get_ind("#FA0000"), 250);
    EXPECT_EQ(CLR_get_ind("#255000000"), 255);
    EXPECT_EQ(CLR_get_num(), 256);
    EXPECT_STREQ(CLR_get_name(100), "c100");
    EXPECT_EQ(CLR_get_ind("new"), -1);
}

TEST(Clr, IndexPastTheLastReadsTheLast)
{
    TableDir t;
    t.write("t.clr", "a 1 0 0\nb 0 0.5 0\n");
    CLR_read_table("t.clr");
    EXPECT_STREQ(CLR_get_name(1), "b");
    EXPECT_STREQ(CLR_get_name(2), "b");
    EXPECT_STREQ(CLR_get_name(1000), "b");
    expect_rgb(255, 0, 0.5f, 0);
    EXPECT_EQ(CLR_get_rgb(0, nullptr, nullptr, nullptr), 0);
}

TEST(Clr, ShippedTable)
{
    RES_put("file_path", VYK_SOURCE_DIR "/etc");
    CLR_read_table(nullptr);
    const int num = CLR_get_num();
    EXPECT_GE(num, 20);
    EXPECT_EQ(CLR_get_num_fill(), 0);
    const char *names[] = {
        "Magenta", "LMagenta", "Blue", "LBlue", "Cyan", "LCyan", "Green", "LGreen", "Brown",
        "Yellow", "Red", "LRed", "DGray", "LGray", "White", "black", "tan", "grey", "gray",
        "magenta", "red", "green", "blue", "yellow", "brown", "white", "cyan",
    };
    for (const char *name : names) {
        const int ind = CLR_get_ind(name);
        EXPECT_GE(ind, 0) << name;
        EXPECT_LT(ind, num) << name;
    }
    // Black under the background, white as the colour lines start in.
    EXPECT_EQ(CLR_get_ind("black"), 0);
    EXPECT_EQ(CLR_get_ind("white"), 1);
    expect_rgb(0, 0, 0, 0);
    expect_rgb(1, 1, 1, 1);
    expect_rgb(CLR_get_ind("red"), 1, 0, 0);
    expect_rgb(CLR_get_ind("tan"), 0xD2 / 255.0f, 0xB4 / 255.0f, 0x8C / 255.0f);
    // No entry is unnamed: every line of the file is a comment, END or a colour.
    for (int i = 0; i < num; i++) EXPECT_STRNE(CLR_get_name(i), "") << "slot " << i;

    // Named by the resource, the base colours are the fill colours.
    RES_put("color_table", "vyk.clr");
    CLR_read_table(nullptr);
    EXPECT_EQ(CLR_get_num(), num);
    EXPECT_EQ(CLR_get_num_fill(), 16);
}
