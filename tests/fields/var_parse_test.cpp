// Tests of the variable language: variable texts and the slots they fill (rows of
// name|flag|type|time|ltype|level|var|units|format), macros from the variable file, the limits
// of the slots and of nesting, hostile texts, and the slot predicates.
#include "var_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Rows = std::vector<std::string>;
using vartest::rows;

struct Case {
    const char *var_text;
    Rows slots;
};

void check(const Case &c)
{
    SCOPED_TRACE(c.var_text);
    EXPECT_EQ(VAR_setup(nullptr, c.var_text), c.slots.empty() ? 0 : 1);
    EXPECT_EQ(rows(), c.slots);
}

TEST(VarParse, FillsSlotsFromVariableTexts)
{
    vartest::Files files;
    const Case cases[] = {
        {"tmp,dewp", {"tmp|0|2|0|-9999|-9999|11||", "dewp|0|2|0|-9999|-9999|17||"}},
        {"g{tmp,dewp}",
         {"g|5|2|0|-9999|-9999|0||", "tmp|1|2|0|-9999|-9999|11||", "dewp|1|2|0|-9999|-9999|17||"}},
        {"f(tmp)", {"f|2|2|0|-9999|-9999|0||", "tmp|10|2|0|-9999|-9999|11||"}},
        {"f(g{a})", {"f|2|2|0|-9999|-9999|0||", "g|15|2|0|-9999|-9999|0||", "a|11|2|0|-9999|-9999|0||"}},
        {"12:500mb:tmp", {"tmp|0|2|12|100|500|11||"}},
        {"12:500mb:f(tmp)", {"f|2|2|12|100|500|0||", "tmp|10|2|12|100|500|11||"}},
        {"24:sfc-500mb:g{tmp,6::dewp}",
         {"g|5|2|24|101|50190|0||", "tmp|1|2|24|101|50190|11||", "dewp|1|2|6|101|50190|17||"}},
        {"tmp:cf", {"tmp|0|2|0|-9999|-9999|11|cf|"}},
        {"tmp::cf:in=2", {"tmp|0|15|0|-9999|-9999|11||in=2"}},
        {"tmp:K:cf:in=2:co=red", {"tmp|0|15|0|-9999|-9999|11|K|in=2:co=red"}},
        {"tmp[K:cf:in=2]", {"tmp|0|15|0|-9999|-9999|11|K|in=2"}},
        {"f(tmp[K:cf:in=2])", {"f|2|2|0|-9999|-9999|0||", "tmp|10|2|0|-9999|-9999|11||"}},
        {"f(tmp)[K:ln]", {"f|2|12|0|-9999|-9999|0|K|", "tmp|10|2|0|-9999|-9999|11||"}},
        {"map,PLOT:in=3", {"map|4|6|-9999|-9999|-9999|-9999||", "plot|4|30|-9999|-9999|-9999|-9999||in=3"}},
        {"map[cf]", {"map|4|15|-9999|-9999|-9999|-9999||"}},
        {"a\\,b", {"a,b|0|2|0|-9999|-9999|0||"}},
        {"f\\(x\\)", {"f(x)|0|2|0|-9999|-9999|0||"}},
        {"grad(hgt)",
         {"grad|2|2|0|-9999|-9999|0||", "grad|8|2|0|-9999|-9999|0||", "hgt|10|2|0|-9999|-9999|7||"}},
        {"g{h{a}}", {"g|5|2|0|-9999|-9999|0||", "h|5|2|0|-9999|-9999|0||", "a|2|2|0|-9999|-9999|0||"}},
        {"v<uwnd,vwnd>",
         {"v|6|2|0|-9999|-9999|0||", "uwnd|1|2|0|-9999|-9999|33||", "vwnd|1|2|0|-9999|-9999|34||"}},
        {"f(a", {"f|2|2|0|-9999|-9999|0||"}},
        {"a,f(b),c[K",
         {"a|0|2|0|-9999|-9999|0||", "f|2|2|0|-9999|-9999|0||", "b|10|2|0|-9999|-9999|0||",
          "c|0|2|0|-9999|-9999|0||"}},
        {"(a)", {"|2|2|0|-9999|-9999|-9999||", "a|10|2|0|-9999|-9999|0||"}},
        {"wind,+tmp", {"wind|0|20|0|-9999|-9999|0||", "tmp|0|2|0|-9999|-9999|11||"}},
        {"\\ensmean\\[\\]tmp", {"ensmean[]tmp|0|2|0|-9999|-9999|19000011||"}},
        {"#5", {"#5|0|40|0|-9999|-9999|-9999||"}},
        {"", {}},
        {",,,", {}},
    };
    for (const Case &c : cases) check(c);
}

TEST(VarParse, ExpandsMacrosOfTheVariableFile)
{
    vartest::Files files;
    ASSERT_EQ(VAR_open_file("test.var"), 1);
    const Case cases[] = {
        {"wbrb", {"wbrb|0|32|0|-9999|-9999|301|knt|"}},
        {"wbrb:m/s", {"wbrb|0|32|0|-9999|-9999|301|m/s|"}},
        {"wbrb[:cbarb]", {"wbrb|0|33|0|-9999|-9999|301|knt|"}},
        {"both", {"tmp|0|2|0|-9999|-9999|11||", "dewp|0|2|0|-9999|-9999|17||"}},
        {"24:700mb:both", {"tmp|0|2|24|100|700|11||", "dewp|0|2|24|100|700|17||"}},
        // A definition continued on the next line.
        {"pair", {"tmp|0|2|12|100|500|11||", "dewp|0|2|0|-9999|-9999|17||"}},
        {"g{both}", {"g|5|2|0|-9999|-9999|0||", "tmp|1|2|0|-9999|-9999|11||", "dewp|1|2|0|-9999|-9999|17||"}},
        // Macro names compare with letter case; '+' decodes without lookup.
        {"WBRB", {"WBRB|0|2|0|-9999|-9999|301||"}},
        {"+wbrb", {"wbrb|0|2|0|-9999|-9999|301||"}},
        // Printf formats of a definition must hold one numeric conversion.
        {"fmt", {"tmp|0|2|0|-9999|-9999|11|C|%5.1f:fm=%4.0f:co=red"}},
    };
    for (const Case &c : cases) check(c);
}

TEST(VarParse, FormatsOfTheUserAreCheckedToo)
{
    vyktest::CaptureStdio cap;
    check({"tmp:K:value:%d:%x:%5.1f%n", {"tmp|0|2|0|-9999|-9999|0|K|%d"}});
    check({"tmp[K:value:%08.3e:%*d:%1234f]", {"tmp|0|2|0|-9999|-9999|0|K|%08.3e"}});
    cap.finish();
    EXPECT_NE(cap.err().find("format left out (one numeric conversion wanted): %x"), std::string::npos);
    EXPECT_NE(cap.err().find("%5.1f%n"), std::string::npos);
    EXPECT_NE(cap.err().find("%*d"), std::string::npos);
    EXPECT_NE(cap.err().find("%1234f"), std::string::npos);
}

TEST(VarParse, SelfReferencingMacrosStopAtTheDepthLimit)
{
    vartest::Files files;
    ASSERT_EQ(VAR_open_file("test.var"), 1);
    vyktest::CaptureStdio cap;
    // "loop" is "tmp,loop": each expansion adds one slot until nine macros are open.
    EXPECT_EQ(VAR_setup(nullptr, "loop"), 1);
    EXPECT_EQ(VAR_get_num(), 10);
    EXPECT_STREQ(VAR_get_name(8), "tmp");
    EXPECT_STREQ(VAR_get_name(9), "loop");
    // "ping" is "pong" and "pong" is "ping".
    EXPECT_EQ(VAR_setup(nullptr, "ping"), 1);
    EXPECT_EQ(VAR_get_num(), 1);
    cap.finish();
    EXPECT_NE(cap.err().find("macro loop nested deeper than 9 levels"), std::string::npos);
    EXPECT_NE(cap.err().find("macro pong nested deeper than 9 levels"), std::string::npos);
}

TEST(VarParse, TheSixtySlotsAndTheTenContextsAreLimits)
{
    vartest::Files files;
    vyktest::CaptureStdio cap;
    std::string var_text;
    for (int i = 0; i < 70; i++) var_text += "a" + std::to_string(i) + ",";
    EXPECT_EQ(VAR_setup(nullptr, var_text.c_str()), 1);
    EXPECT_EQ(VAR_get_num(), 60);
    EXPECT_STREQ(VAR_get_name(59), "a59");
    // A vector-valued function in the last slot gets no second slot.
    var_text.clear();
    for (int i = 0; i < 59; i++) var_text += "a,";
    EXPECT_EQ(VAR_setup(nullptr, (var_text + "grad(z)").c_str()), 1);
    EXPECT_EQ(VAR_get_num(), 60);
    EXPECT_EQ(VAR_get_flag(59), 2);
    // Eleven nested functions: the tenth head has no room for its arguments.
    EXPECT_EQ(VAR_setup(nullptr, "f(f(f(f(f(f(f(f(f(f(f(a)))))))))))"), 1);
    EXPECT_EQ(VAR_get_num(), 10);
    EXPECT_EQ(VAR_get_flag(9), 92);
    // The rest of the variable text goes on after the refused brackets.
    EXPECT_EQ(VAR_setup(nullptr, "g{g{g{g{g{g{g{g{g{g{a}}}}}}}}}},b"), 1);
    EXPECT_EQ(VAR_get_num(), 11);
    EXPECT_STREQ(VAR_get_name(10), "b");
    cap.finish();
    EXPECT_NE(cap.err().find("more than 60 variables"), std::string::npos);
    EXPECT_NE(cap.err().find("function nested deeper than 9 levels"), std::string::npos);
    EXPECT_NE(cap.err().find("group nested deeper than 9 levels"), std::string::npos);
}

TEST(VarParse, HostileTextsGiveASaneState)
{
    vartest::Files files;
    ASSERT_EQ(VAR_open_file("test.var"), 1);
    vyktest::CaptureStdio cap;
    const std::string big(10000, 'a');
    const std::string texts[] = {
        big,
        std::string(5000, '(') + std::string(5000, ')'),
        std::string(10000, '{'),
        std::string(10000, '['),
        std::string(10000, ']'),
        std::string(10000, ','),
        std::string(10000, '\\'),
        std::string(10000, ':'),
        "a" + std::string(5000, '<') + std::string(4999, '>'),
        "f(" + big + ")[" + big + "]",
        big + ":" + big + ":" + big + ":" + big,
        "fi:" + big,
        "fi:test.var:" + big,
        "wbrb[" + std::string(300, 'x') + ":cf:" + std::string(300, 'y') + "]",
        "ensprob\\[" + std::string(300, '9') + "\\]tmp",
        "ens\\[-99999999999\\]tmp",
        "99999999999:99999999999:tmp",
        "\x01\xff\x7f,\xfe(\x80)",
    };
    for (const std::string &t : texts) {
        VAR_setup(nullptr, t.c_str());
        ASSERT_GE(VAR_get_num(), 0);
        ASSERT_LE(VAR_get_num(), 60);
        for (int i = 0; i < VAR_get_num(); i++) {
            ASSERT_LT(strlen(VAR_get_name(i)), 20u);
            ASSERT_LT(strlen(VAR_get_units(i)), 15u);
            ASSERT_LT(strlen(VAR_get_format(i)), 101u);
        }
    }
    // And the language works normally afterwards.
    check({"tmp", {"tmp|0|2|0|-9999|-9999|11||"}});
    cap.finish();
}

TEST(VarParse, SetupOpensTheFileOfFi)
{
    vartest::Files files;
    EXPECT_EQ(VAR_setup(nullptr, "wbrb"), 1);
    EXPECT_STREQ(VAR_get_units(0), "");
    EXPECT_EQ(VAR_setup(nullptr, "fi:test.var:wbrb"), 1);
    EXPECT_STREQ(VAR_get_units(0), "knt");
    // The file stays open for later setups.
    EXPECT_EQ(VAR_setup(nullptr, "both"), 1);
    EXPECT_EQ(VAR_get_num(), 2);
    vyktest::CaptureStdio cap;
    EXPECT_EQ(VAR_setup("missing.var", "both"), 1);
    cap.finish();
    EXPECT_NE(cap.err().find("VAR_open_file: Unable to open var file: "), std::string::npos);
    EXPECT_EQ(VAR_get_num(), 1);  // no macros any more
}

TEST(VarParse, FlagsGiveTheDefaults)
{
    vartest::Files files;
    FLAG_set(FLAG_FORECAST, 12);
    FLAG_set(FLAG_LEVEL_TYPE, 105);
    FLAG_set(FLAG_LEVEL, 3000);
    check({"tmp,miss:sfc:dewp", {"tmp|0|2|12|105|3000|11||", "dewp|0|2|-9999|1|0|17||"}});
    // A plot type chosen on the command line: parameters may not change it.
    FLAG_set(FLAG_PLOT_TYPE, 12);
    check({"tmp[K:cf]", {"tmp|0|12|12|105|3000|11|K|"}});
    FLAG_set(FLAG_PLOT_TYPE, 99);
    check({"tmp[K:cf]", {"tmp|0|15|12|105|3000|11|K|"}});
}

TEST(VarParse, AccessorsAndKeys)
{
    vartest::Files files;
    ASSERT_EQ(VAR_setup(nullptr, "12:p1000-500:tmp,h24-6acc:500:dewp"), 1);
    const char *k0 = VAR_get_level_key(0);
    const char *k1 = VAR_get_level_key(1);
    EXPECT_STREQ(k0, "50100");
    EXPECT_STREQ(k1, "500");  // both keys stay valid at once
    EXPECT_STREQ(VAR_get_time_key(1), "4018024");
    VAR_get_var(0)->level = -2147483647 - 1;
    EXPECT_STREQ(VAR_get_level_key(0), "-2147483648");
    EXPECT_STREQ(VAR_get_level_key(60), "");
    EXPECT_EQ(VAR_get_time(-1), -9999);
    EXPECT_EQ(VAR_set_type(99, 5), 1);
    EXPECT_EQ(VAR_get_type(99), -9999);
    EXPECT_STREQ(VAR_get_name(1000), "");
    VAR_set_model_str("a model name longer than nineteen");
    EXPECT_STREQ(VAR_get_model_str(), "a model name longer");
    EXPECT_EQ(VAR_reset(), 0);
    EXPECT_EQ(VAR_get_num(), 0);
    VAR_set_num(500);
    EXPECT_EQ(VAR_get_num(), 60);
    VAR_data copy;
    VAR_copy(&copy, VAR_get_var(1));
    EXPECT_EQ(copy.type, 0);
    EXPECT_STREQ(copy.name, "dewp");
    EXPECT_EQ(copy.time, 4018024);
}

TEST(VarParse, PrintsSlots)
{
    vartest::Files files;
    ASSERT_EQ(VAR_setup(nullptr, "12:500mb:tmp:K:cf:in=2"), 1);
    vyktest::CaptureStdio cap;
    VAR_print_all(M_PRINT);
    cap.finish();
    EXPECT_EQ(cap.out(), "V: tmp        U: K          FH:      12 LT:    100 L:     500 VN:     11 "
                         "T: fcont F:  0 FM: in=2\n");
}

// Predicates on slots of given flags and types: one row per slot, the expected answers in the
// order of the columns below.
TEST(VarParse, SlotPredicates)
{
    using Pred = int (*)(int);
    const Pred preds[] = {VAR_is_REG,         VAR_is_SUBREG,      VAR_is_FUNC,
                          VAR_is_SUBFUNC,     VAR_is_COMP,        VAR_is_VECT,
                          VAR_is_FUNC_VECT,   VAR_is_SUBFUNC_VECT, VAR_is_LABEL,
                          VAR_is_PLOT,        VAR_is_SUBPLOT,     VAR_is_DATA,
                          VAR_is_CALC,        VAR_is_type_MAP,    VAR_is_FRAME,
                          VAR_is_PANEL,       VAR_is_type_PLOT,   VAR_is_type_GRID,
                          VAR_is_type_CONT,   VAR_is_type_VECT,   VAR_is_plot_PLOT,
                          VAR_is_plot_VECT,   VAR_is_plot_FUNC,   VAR_is_plot_FUNC_VECT,
                          VAR_is_plot_GRID,   VAR_is_subplot_GRID, VAR_is_plot_CONT,
                          VAR_is_calc_GRID,   VAR_is_fit_GRID,    VAR_is_get_GRID};
    struct Row {
        int flag, type;
        const char *expect;
    } slots[] = {
        {0, 2, "100000001111100010001000000000"},
        {1, 15, "010000000111100001100000111011"},
        {2, 10, "001000101111000001100011100100"},
        {8, 10, "000000100001000000100001000001"},
        {5, 2, "000010001001000010000000000000"},
        {6, 20, "000001001000000000010100000001"},
        {4, 6, "000000000101010000000000000000"},
        {10, 12, "100000000011100001100000011011"},
        {13, 11, "000100000000000001100000001101"},
        {19, 2, "000000010000000010000000000000"},
        {3, 7, "000100000101001000000000000000"},
        {11, 8, "010000000000100100000000000000"},
        {22, 23, "001000000000000001010000000100"},
        {9, 30, "000000010001000010000000000000"},
    };
    const int n = sizeof slots / sizeof slots[0];
    VAR_init();
    VAR_set_num(n);
    for (int i = 0; i < n; i++) {
        VAR_set_flag(i, slots[i].flag);
        VAR_set_type(i, slots[i].type);
    }
    for (int i = 0; i < n; i++) {
        std::string got;
        for (Pred p : preds) got += static_cast<char>('0' + p(i));
        EXPECT_EQ(got, slots[i].expect)
            << "slot " << i << " flag " << slots[i].flag << " type " << slots[i].type;
    }
    // Out of range: an empty slot (flag 0, type unset).
    EXPECT_EQ(VAR_is_REG(60), 1);
    EXPECT_EQ(VAR_is_type_GRID(-5), 0);
}

}  // namespace
