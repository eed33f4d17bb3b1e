// Tests of the contour settings and levels: the interval rule, the level layout, explicit
// levels, format words, plot-parameter words, con_base, the series memory and the setup's
// labels.
#include "cont_fixture.h"

#include "vykresrc.h"
#include "vykvar.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using conttest::Grid;

/// Sets resources as a command line would.
void resources(std::vector<std::string> args)
{
    static const res_type keys[] = {RES_con_interval, RES_con_base,   RES_plot_param,
                                    RES_plot_format,  RES_plot_scale, RES_color_fill,
                                    RES_batch,        RES_file_path,  RES_null};
    static const res_type pos[] = {RES_null};
    args.insert(args.begin(), "cont_test");
    std::vector<char *> argv;
    for (std::string &a : args) argv.push_back(a.data());
    RES_init(static_cast<int>(argv.size()), argv.data(), keys, pos);
}

struct IntervalCase {
    float max, min;
    int num;
    float expect;
};

TEST(Cont, IntervalRoundsUpToOneSignificantDigit)
{
    const IntervalCase cases[] = {
        {27.9f, 3.2f, 14, 2},      {5000, 0, 14, 400},       {1500, -500, 14, 200},
        {0.37f, 0.02f, 14, 0.03f}, {5, 5, 14, 1},            {140, 0, 14, 10},
        {1234, 1000, 14, 20},      {0, 0, 14, 1},            {30000, 0, 14, 3000},
        {14000, 0, 14, 1000},      {14001, 0, 14, 2000},     {4.2f, 0, 14, 0.3f},
        {3, 0, 10, 0.3f},          {0.9f, 0, 3, 0.3f},       {10, 0, 0, 10},
        {1, 0, 1, 1},              {2.1f, 0, 1, 3},
    };
    for (const IntervalCase &c : cases) {
        SCOPED_TRACE(testing::Message() << c.max << " " << c.min << " " << c.num);
        EXPECT_FLOAT_EQ(CONT_calc_intrvl(c.max, c.min, c.num), c.expect);
    }
    // Below 0.0001 the interval is returned unrounded; a negative range as it is.
    EXPECT_FLOAT_EQ(CONT_calc_intrvl(0.0013f, 0, 14), 0.0013f / 14);
    EXPECT_FLOAT_EQ(CONT_calc_intrvl(0, 14, 14), -1);
}

struct LayoutCase {
    float min, max, intrvl, base;
    float conlo, conhi;
    int num;
};

TEST(Cont, LaysOutLevelsOverTheRange)
{
    const LayoutCase cases[] = {
        {3.2f, 27.9f, 2, VYK_MISS, 2, 28, 13},
        {3.2f, 27.9f, 2, 1, 3, 29, 13},
        {0, 5000, 400, VYK_MISS, 0, 5200, 13},
        {-20, 0, 10, -5, -25, 15, 4},
        {0, 10, 5, VYK_MISS, 0, 15, 3},
        {0.1f, 0.9f, 0.1f, VYK_MISS, 0.1f, 1.0f, 9},
        // Reversed range: the ends as they are.
        {10, 5, 1, VYK_MISS, 5, 10, 5},
    };
    for (const LayoutCase &c : cases) {
        SCOPED_TRACE(testing::Message() << c.min << ".." << c.max << " in " << c.intrvl);
        CONT_init();
        CONT_set_fill_colors("1-15", 1);
        CONT_set_intrvl(c.intrvl);
        CONT_set_base(c.base);
        CONT_set_range(c.max, c.min);
        ASSERT_EQ(CONT_set_cont_ext(nullptr), 0);
        EXPECT_EQ(CONT_get_num_cont(), c.num);
        Gattribs a;
        // The lowest band takes the colour of the colour base (conlo or the base).
        CONT_get_fill_attrib(c.conlo, &a);
        EXPECT_NEAR(CONT_get_intrvl(), c.intrvl, 1e-6);
    }
}

TEST(Cont, DerivesTheIntervalFromTheColourCount)
{
    // 15 colours, no interval: 14 bands over 3.2 .. 27.9 give interval 2, 13 levels from 2.
    Grid g(3, 1, [](int i, int) { return i == 0 ? 3.2f : i == 1 ? 27.9f : 10.0f; });
    CONT_init();
    CONT_set_fill_colors("1-15", 1);
    CONT_set_intrvl(0);
    CONT_set_range(VYK_MISS, VYK_MISS);
    ASSERT_EQ(CONT_set_cont_ext(g.get()), 0);
    EXPECT_FLOAT_EQ(CONT_get_intrvl(), 2);
    EXPECT_EQ(CONT_get_num_cont(), 13);
    // The colour base is conlo (2): 2 takes colour entry 0 (colour 1), 4 entry 1.
    Gattribs a;
    CONT_get_fill_attrib(2, &a);
    EXPECT_EQ(a.color, 1);
    CONT_get_fill_attrib(4.5f, &a);
    EXPECT_EQ(a.color, 2);
}

TEST(Cont, NoRangeLeavesTheLevels)
{
    CONT_init();
    CONT_set_intrvl(5);
    CONT_set_range(VYK_MISS, VYK_MISS);
    EXPECT_EQ(CONT_set_cont_ext(nullptr), -1);
}

TEST(Cont, LevelCountSlackIsRelativeToTheInterval)
{
    // With an interval of 0.001 an absolute slack of 0.01 would add ten levels.
    CONT_init();
    CONT_set_fill_colors("1-15", 1);
    CONT_set_intrvl(0.001f);
    CONT_set_range(0.0095f, 0.0001f);
    ASSERT_EQ(CONT_set_cont_ext(nullptr), 0);
    EXPECT_EQ(CONT_get_num_cont(), 10);
}

TEST(Cont, ExplicitLevelsTakeWhatIsGiven)
{
    CONT_init();
    const float values[] = {0, 10, 20, VYK_MISS, 40};
    ASSERT_EQ(CONT_set_values(values, 5), 0);
    float got[8] = {};
    EXPECT_EQ(CONT_get_values(got), 3);
    EXPECT_EQ(got[2], 20);
    EXPECT_FLOAT_EQ(CONT_get_intrvl(), 10);
    // One value: no interval is read past it.
    CONT_init();
    CONT_set_intrvl(7);
    const float one[] = {5};
    ASSERT_EQ(CONT_set_values(one, 1), 0);
    EXPECT_EQ(CONT_get_values(nullptr), 1);
    EXPECT_FLOAT_EQ(CONT_get_intrvl(), 7);
    // None: no explicit levels.
    CONT_init();
    ASSERT_EQ(CONT_set_values(one, 0), 0);
    EXPECT_EQ(CONT_get_values(nullptr), 0);
    // At most 256 are taken.
    CONT_init();
    std::vector<float> many(300);
    for (size_t k = 0; k < many.size(); k++) many[k] = static_cast<float>(k);
    ASSERT_EQ(CONT_set_values(many.data(), 300), 0);
    EXPECT_EQ(CONT_get_values(nullptr), 256);
    // Refused while the colour table is latched.
    CONT_init();
    CONT_set_fill_colors("1-4", 1);
    EXPECT_EQ(CONT_set_values(values, 3), -1);
    CONT_reset_fill_set();
    EXPECT_EQ(CONT_set_values(values, 3), 0);
    CONT_reset_values();
    EXPECT_EQ(CONT_get_values(nullptr), 0);
}

TEST(Cont, FormatWordsSetTypeDashAndSettings)
{
    CONT_init();
    ASSERT_EQ(CONT_format_decode_type("ndln:in=5:cb=0:lab=31:%5.1f:sk=2:xy=1 2"), 0);
    EXPECT_EQ(CONT_get_type(), 12);
    EXPECT_FLOAT_EQ(CONT_get_intrvl(), 5);
    EXPECT_FLOAT_EQ(CONT_get_base(), 0);
    EXPECT_EQ(CONT_format_decode_type(nullptr), -1);
    // Type words, case ignored; 52 is stored as 15.
    const std::pair<const char *, int> types[] = {
        {"value", 17}, {"GVALUE", 17}, {"cf", 15}, {"LCF", 16}, {"ln", 12}, {"dln", 12},
        {"junk", -9999}};
    for (const auto &t : types) {
        CONT_init();
        CONT_format_decode_type(t.first);
        EXPECT_EQ(CONT_get_type(), t.second) << t.first;
    }
    CONT_set_type(52);
    EXPECT_EQ(CONT_get_type(), 15);
    // bar and nobar.
    CONT_set_bar(0);
    CONT_format_decode_type("bar");
    EXPECT_EQ(CONT_get_bar(), 3);
    CONT_format_decode_type("nobar");
    EXPECT_EQ(CONT_get_bar(), -2);
    CONT_set_bar(0);
}

TEST(Cont, FormatAttributeItems)
{
    CONT_init();
    CONT_set_format(12, "ln:co=5:wi=2.5:st=3:other");
    Gattribs a;
    ATTRIB_init(&a);
    CONT_format_decode_attrib(&a);
    EXPECT_EQ(a.color, 5);
    EXPECT_FLOAT_EQ(a.width, 2.5f);
    EXPECT_EQ(a.style, 3);
    // Format types: 13 dashed lines, 14 lines dashed below the base; a long format is cut.
    CONT_set_format(13, std::string(300, 'x').c_str());
    EXPECT_EQ(CONT_get_type(), 12);
}

TEST(Cont, ConBasePlotScaleAndParamWords)
{
    resources({"-cb", ">0,<100", "-pp", "conmin=-5,lab=3:1,grid,mapcon", "-sc", "-2", "-ba"});
    conttest::colors();
    Grid g(4, 4, [](int i, int j) { return static_cast<float>(i * 10 + j); });
    VAR_reset();
    CONT_plot_setup(0, 0, g.get(), nullptr, nullptr);
    // ">0" sets the base and the lower cut-off; "<100" the upper cut-off.
    EXPECT_FLOAT_EQ(CONT_get_base(), 0);
    Gattribs a;
    CONT_get_fill_attrib(-1, &a);
    EXPECT_EQ(a.color, -1);
    CONT_get_fill_attrib(100, &a);
    EXPECT_NE(a.color, -1);
    CONT_get_fill_attrib(100.5f, &a);
    EXPECT_EQ(a.color, -1);
    // Batch mode, no type anywhere: colour fill.
    EXPECT_EQ(CONT_get_type(), 15);
}

TEST(Cont, SeriesFramesKeepTheFirstFramesSettings)
{
    resources({"-ba"});
    Grid g1(5, 5, [](int i, int j) { return static_cast<float>(i + j); });
    Grid g2(5, 5, [](int i, int j) { return static_cast<float>(100 * (i + j)); });
    VAR_reset();
    CONT_plot_setup(0, 0, g1.get(), nullptr, nullptr);
    const float first = CONT_get_intrvl();
    const int type = CONT_get_type();
    CONT_plot_setup(1, 0, g2.get(), nullptr, nullptr);
    EXPECT_FLOAT_EQ(CONT_get_intrvl(), first);
    EXPECT_EQ(CONT_get_type(), type);
    // A new first frame takes its own.
    CONT_plot_setup(0, 0, g2.get(), nullptr, nullptr);
    EXPECT_GT(CONT_get_intrvl(), first);
}

TEST(Cont, SetupLabelsStayWithinTheLabelStore)
{
    resources({"-ba", "-cof", "0:red,1:blue,2:green,3:red,4:blue,5:green,6:red,7:blue,8:green,"
                              "9:red,10:blue,11:green,12:red,13:blue,14:green,15:red,16:blue,"
                              "17:green,18:red,19:blue,20:green,21:red,22:blue,23:green"});
    conttest::colors();
    Grid g(5, 5, [](int i, int j) { return static_cast<float>(i + j); });
    VAR_reset();
    PLT_init_labels();
    PLT_set_overlay(0);
    CONT_plot_setup(0, 0, g.get(), nullptr, nullptr);
    const std::string levels = PLT_get_label(3, 0);
    EXPECT_EQ(levels.rfind("LEVELS: 0.0,1.0,2.0", 0), 0u) << levels;
    EXPECT_LE(levels.size(), 68u);
    // Explicit levels bring a bar.
    EXPECT_EQ(CONT_get_bar(), 1);
    EXPECT_EQ(std::string(PLT_get_label(5, 0)).rfind("LO:", 0), 0u);
}

TEST(Cont, PromptedTypeAndInterval)
{
    // Flag 11 value 13 gives dashed lines without a prompt.
    CONT_init();
    FLAG_set(FLAG_PLOT_TYPE, 13);
    EXPECT_EQ(CONT_prompt_type(), 12);
    FLAG_set(FLAG_PLOT_TYPE, 0);
    const std::pair<const char *, int> answers[] = {
        {"C\n", 15}, {"yes\n", 15}, {"x\n", 12}, {"ndln\n", 12}, {"none\n", 99},
        {"lcf\n", 16}, {"gvalue\n", 17}, {"\n", 12}};
    for (const auto &a : answers) {
        CONT_init();
        FLAG_set_batch(0);
        FILE *in = fmemopen(const_cast<char *>(a.first), std::strlen(a.first), "r");
        FILE *saved = stdin;
        stdin = in;
        const int type = CONT_prompt_type();
        stdin = saved;
        std::fclose(in);
        EXPECT_EQ(type, a.second) << a.first;
    }
}

}  // namespace
