// Tests of the contour colour table and the colour bar: colour lists, ranges, level files,
// "def" and "miss", values to colours, hidden colours, and the bar drawn and looked up.
#include "cont_fixture.h"

#include "vykresrc.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using conttest::Drawing;
using conttest::only;
using conttest::Record;

void resources(std::vector<std::string> args)
{
    static const res_type keys[] = {RES_color_fill, RES_file_path, RES_con_interval,
                                    RES_con_base, RES_null};
    static const res_type pos[] = {RES_null};
    args.insert(args.begin(), "cont_color_test");
    std::vector<char *> argv;
    for (std::string &a : args) argv.push_back(a.data());
    RES_init(static_cast<int>(argv.size()), argv.data(), keys, pos);
}

int color_of(float v)
{
    Gattribs a;
    CONT_get_fill_attrib(v, &a);
    return a.color;
}

struct ListCase {
    const char *list;
    int count;                  // colours in the table
    std::vector<float> levels;  // explicit levels (empty: none)
};

TEST(ContColor, ColourListsAsRows)
{
    conttest::colors();
    const int blue = CLR_get_ind("blue"), red = CLR_get_ind("red");
    ASSERT_GE(blue, 0);
    ASSERT_GE(red, 0);
    const ListCase cases[] = {
        {"0:green,10:yellow,20:red", 3, {0, 10, 20}},
        {"0:blue,lblue,cyan,30:green", 4, {0, 10, 20, 30}},
        {"0:blue,green,yellow,30:red", 4, {0, 10, 20, 30}},
        {"white:la=Calm,blue,red", 3, {}},
        {"-5:LBlue,5:red", 2, {-5, 5}},
        {"blue,red,end,green", 2, {}},
        {"Blue-Blue", 1, {}},
        {"5,7", 2, {5, 7}},
        {"2-6", 5, {}},
        {"6-2", 5, {}},
    };
    for (const ListCase &c : cases) {
        SCOPED_TRACE(c.list);
        CONT_init();
        ASSERT_EQ(CONT_set_fill_colors(c.list, 1), 0);
        std::vector<float> got(c.levels.size() + 1);
        EXPECT_EQ(CONT_get_values(got.data()), static_cast<int>(c.levels.size()));
        for (size_t k = 0; k < c.levels.size(); k++) EXPECT_FLOAT_EQ(got[k], c.levels[k]);
        Gattribs end;
        CONT_get_fill_attrib_ind(c.count, &end);
        EXPECT_EQ(end.color, -2);
        Gattribs last;
        CONT_get_fill_attrib_ind(c.count - 1, &last);
        EXPECT_NE(last.color, -2);
    }
    // A range counts through the indices, up or down.
    CONT_init();
    CONT_set_fill_colors("6-2", 1);
    Gattribs a;
    CONT_get_fill_attrib_ind(0, &a);
    EXPECT_EQ(a.color, 6);
    CONT_get_fill_attrib_ind(4, &a);
    EXPECT_EQ(a.color, 2);
    // A second build is refused until the latch is cleared.
    EXPECT_EQ(CONT_set_fill_colors("blue,red", 1), -1);
    CONT_reset_fill_set();
    EXPECT_EQ(CONT_set_fill_colors("blue,red", 1), 0);
    CONT_get_fill_attrib_ind(0, &a);
    EXPECT_EQ(a.color, blue);
}

TEST(ContColor, ValuesToColours)
{
    conttest::colors();
    // Explicit levels 0, 10, 20: below the first is not drawn, the last band takes the rest.
    CONT_init();
    CONT_set_fill_colors("0:1,10:2,20:3", 1);
    EXPECT_EQ(color_of(-1), -1);
    EXPECT_EQ(color_of(0), 1);
    EXPECT_EQ(color_of(10), 2);
    EXPECT_EQ(color_of(25), 3);
    EXPECT_EQ(color_of(1000), 3);
    EXPECT_EQ(color_of(VYK_MISS), -1);
    // Computed bands with colour base 0, interval 5, 15 colours.
    CONT_init();
    CONT_set_fill_colors("1-15", 1);
    CONT_set_intrvl(5);
    CONT_set_base(0);
    CONT_set_range(50, 0);
    CONT_set_cont_ext(nullptr);
    EXPECT_EQ(color_of(4.96f), 2);   // band 1
    EXPECT_EQ(color_of(4.9f), 1);    // band 0
    EXPECT_EQ(color_of(-3), 15);     // band 14
    EXPECT_EQ(color_of(77), 1);      // 15 wraps to 0
    // Cut-offs: values equal to them are drawn.
    CONT_set_cutoff(30, 10);
    EXPECT_NE(color_of(30), -1);
    EXPECT_EQ(color_of(30.5f), -1);
    EXPECT_NE(color_of(10), -1);
    EXPECT_EQ(color_of(9.9f), -1);
    // A hidden colour: "none" draws nothing.
    CONT_init();
    CONT_set_fill_colors("none,red", 1);
    CONT_set_intrvl(1);
    CONT_set_base(0);
    CONT_set_range(2, 0);
    CONT_set_cont_ext(nullptr);
    EXPECT_EQ(color_of(0.5f), -1);
    EXPECT_EQ(color_of(1.5f), CLR_get_ind("red"));
}

TEST(ContColor, DefAndMissGiveTheBuiltInList)
{
    conttest::colors();
    for (const char *word : {"def", "DEFAULT", "miss", ""}) {
        SCOPED_TRACE(word);
        resources({"-cof", word});
        CONT_init();
        const int r = CONT_set_fill_colors(nullptr, 0);
        Gattribs a;
        CONT_get_fill_attrib_ind(0, &a);
        if (CLR_get_num_fill() > 0) {
            EXPECT_EQ(r, -1);  // the named table's fill colours
            EXPECT_EQ(a.color, 0);
        } else {
            EXPECT_EQ(r, 0);
            EXPECT_EQ(a.color, CLR_get_ind("Magenta"));
            CONT_get_fill_attrib_ind(15, &a);
            EXPECT_EQ(a.color, -2);
        }
    }
}

TEST(ContColor, LevelFiles)
{
    conttest::colors();
    vyktest::TempDir dir;
    vyktest::write_file(dir.file("temp.lvl"), "# levels\n\n0:blue\n@ skipped\n10:green   \n"
                                              "20:red:la=hot\n");
    resources({"-cof", "temp.lvl", "-fp", dir.path()});
    CONT_init();
    ASSERT_EQ(CONT_set_fill_colors(nullptr, 0), 0);
    float v[4];
    ASSERT_EQ(CONT_get_values(v), 3);
    EXPECT_FLOAT_EQ(v[2], 20);
    EXPECT_EQ(color_of(15), CLR_get_ind("green"));
    // A level file that cannot be read on the first plot: the message, and the built-in list
    // (never a colour number taken modulo an empty table).
    resources({"-cof", "absent.lvl", "-fp", dir.path()});
    CONT_init();
    CONT_set_fill_attribs(nullptr);
    vyktest::CaptureStdio cap;
    EXPECT_EQ(CONT_set_fill_colors(nullptr, 0), 0);
    cap.finish();
    EXPECT_TRUE(vyktest::has(cap.out() + cap.err(),
                             "CONT_set_fill_colors: Unable to read contour level file:"));
    CONT_set_intrvl(1);
    CONT_set_base(0);
    CONT_set_range(3, 0);
    CONT_set_cont_ext(nullptr);
    EXPECT_GE(color_of(1.5f), 0);
}

TEST(ContColor, LevelFilesFromFormatsNeverRunCommands)
{
    vyktest::TempDir dir;
    const std::string mark = dir.file("ran");
    // From a format ("cof=" of data): a '|' name is a plain file name, which does not exist.
    CONT_init();
    vyktest::CaptureStdio cap;
    CONT_set_fill_colors(("|touch " + mark).c_str(), 1);
    cap.finish();
    EXPECT_FALSE(vyktest::has(vyktest::run("ls " + dir.path()).out, "ran"));
    EXPECT_TRUE(vyktest::has(cap.out() + cap.err(), "Unable to read contour level file"));
}

TEST(ContColor, UserTypedPipeKeepsItsMeaning)
{
    conttest::colors();
    resources({"-cof", "|printf '0:blue\\n10:red\\n'"});
    CONT_init();
    ASSERT_EQ(CONT_set_fill_colors(nullptr, 0), 0);
    EXPECT_EQ(CONT_get_values(nullptr), 2);
}

TEST(ContColor, BarRefusedWithoutLevels)
{
    CONT_init();
    CONT_set_fill_colors("1-15", 1);
    CONT_set_intrvl(0.001f);
    CONT_set_range(1, 0);
    CONT_set_cont_ext(nullptr);
    Drawing d;
    EXPECT_EQ(CONT_draw_bar(1, ""), -1);  // 1000 levels
    EXPECT_EQ(CONT_draw_bar(2, ""), -1);  // no such orientation
    EXPECT_TRUE(d.records().empty());
    EXPECT_EQ(CONT_get_bar_value(0.5f, 0.5f), VYK_MISS);  // no bar drawn yet
}

}  // namespace
