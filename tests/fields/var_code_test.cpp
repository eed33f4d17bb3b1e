// Tests of the time, level and variable codes: the decoders of the words of an item, their
// inheritance from the flags, layer codes, ensemble and probability codes, plot types.
#include "var_fixture.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

struct TimeCase {
    const char *word;
    int result;
    int time;
};

TEST(VarCode, DecodesTimeWords)
{
    const TimeCase cases[] = {
        {"12", 2, 12},           {"2day", 2, 48},          {"2d", 2, 48},
        {"2.5day", 2, 60},       {"2e", 2, 60},            {"d2", 2, 48},
        {"e2", 2, 60},           {"24-6acc", 2, 4018024},  {"24-6", 2, 24},
        {"h12", 2, 12},          {"h12-6max", 2, 6006012}, {"anal-6acc", 2, 4006000},
        {"anal", 2, 0},          {"miss", 2, -9999},       {"init", 2, 0},
        {"in", 2, 0},            {"12hr", 2, 12},          {"24-24iavg", 2, 13000024},
        {"48-12xyz", 2, 2036048},                          {"24-6uavg", 2, 23018024},
        {"abc", 0, 777},         {"-5", 0, 777},           {"tmp", 0, 777},
        {"99999999999", 0, 777}, {"3000-9999999acc", 0, 777},
    };
    for (const TimeCase &c : cases) {
        SCOPED_TRACE(c.word);
        int time = 777;
        EXPECT_EQ(VAR_dec_time(c.word, &time), c.result);
        EXPECT_EQ(time, c.time);
    }
}

TEST(VarCode, EmptyAndContextTimesComeFromFlagSix)
{
    int time = 777;
    EXPECT_EQ(VAR_dec_time("", &time), 2);  // flag 6 unset: 0, written
    EXPECT_EQ(time, 0);
    FLAG_set(FLAG_FORECAST, 24);
    EXPECT_EQ(VAR_dec_time("", &time), 1);
    EXPECT_EQ(time, 24);
    const TimeCase cases[] = {{"time-6", 1, 18}, {"time-6avg", 1, 3018024}, {"TIME", 1, 24},
                              {"time-30", 1, -6}};
    for (const TimeCase &c : cases) {
        SCOPED_TRACE(c.word);
        EXPECT_EQ(VAR_dec_time(c.word, &time), c.result);
        EXPECT_EQ(time, c.time);
    }
}

struct LevelCase {
    const char *word;
    int ltype;
    int level;
};

TEST(VarCode, DecodesLevelWords)
{
    const LevelCase cases[] = {
        {"500", 100, 500},          {"500mb", 100, 500},        {"p500", 100, 500},
        {"1000-500", 101, 50100},   {"500-1000mb", 101, 50100}, {"p1000-500", 101, 50100},
        {"p500-1000", 101, 50100},  {"sfc-500mb", 101, 50190},  {"sfc[20]-500mb", 101, 50202},
        {"trop-500mb", 101, 50195}, {"maxt-500mb", 101, 50191}, {"1000ft", 103, 304},
        {"10m_ag", 105, 10},        {"h0-3000", 104, 30000},    {"a0-3000", 106, 30000},
        {"trop+1000m", 104, 10995}, {"trop-1000m", 104, 10996}, {"k300", 113, 300},
        {"k300-310", 114, 310300},  {"s0.5", 107, 5000},        {"s0.25-0.75", 108, 75025},
        {"0.5sig", 107, 5000},      {"-", 9, 0},                {"none", 0, 0},
        {"snd", 0, 0},              {"SFC", 1, 0},              {"sea", 1, 0},
        {"sl", 102, 0},             {"trop", 7, 0},             {"dconv_top", 252, 0},
        {"miss", -9999, -9999},     {"sfc[2]", 1, 2},           {"3000m", 103, 3000},
        {"10ft_ag", 105, 3},        {"300k", 113, 300},         {"5mb_ag", 115, 5},
        {"12lev", 109, 12},         {"2pv", 117, 2},            {"0.25eta", 119, 2500},
        {"0-3000m", 104, 30000},    {"0-10000ft", 104, 30000},  {"0-3000m_ag", 106, 30000},
        {"0-30mb_ag", 116, 30000},  {"290-300k", 114, 300290},  {"0.9-1.0eta", 120, 100090},
        // Sound behaviour: sigma and eta round (0.57 is 5700, not 5699), layers keep the
        // hundredths of their numbers, unit words compare whole and without case.
        {"s0.57", 107, 5700},       {"0.57sig", 107, 5700},     {"0.25-0.75sig", 108, 75025},
        {"0.57eta", 119, 5700},     {"500MB", 100, 500},        {"3000M", 103, 3000},
        {"10M_AG", 105, 10},        {"100mbx", 42, 43},         {"5m_agx", 42, 43},
        // Words that name no level leave the caller's type and value.
        {"abc", 42, 43},            {"pabc", 42, 43},           {"abc-def", 42, 43},
    };
    for (const LevelCase &c : cases) {
        SCOPED_TRACE(c.word);
        int ltype = 42, level = 43;
        EXPECT_EQ(VAR_dec_level(c.word, &ltype, &level), 2);
        EXPECT_EQ(ltype, c.ltype);
        EXPECT_EQ(level, c.level);
    }
}

TEST(VarCode, LevelsOutOfRangeAreRefused)
{
    vyktest::CaptureStdio cap;
    int ltype = 42, level = 43;
    VAR_dec_level("k2000000-3000000", &ltype, &level);
    EXPECT_EQ(ltype, 114);
    EXPECT_EQ(level, -9999);
    ltype = 42;
    VAR_dec_level("99999999999mb", &ltype, &level);  // no number that fits: nothing matched
    EXPECT_EQ(ltype, 42);
    VAR_dec_level("s999999999", &ltype, &level);
    EXPECT_EQ(ltype, 42);
    cap.finish();
    EXPECT_NE(cap.err().find("level out of range: k2000000-3000000"), std::string::npos);
}

TEST(VarCode, EmptyLevelComesFromFlagsSevenAndEight)
{
    int ltype = 42, level = 43;
    EXPECT_EQ(VAR_dec_level("", &ltype, &level), 2);  // flag 7 unset: nothing written
    EXPECT_EQ(ltype, 42);
    EXPECT_EQ(level, 43);
    FLAG_set(FLAG_LEVEL_TYPE, 105);
    FLAG_set(FLAG_LEVEL, 3000);
    EXPECT_EQ(VAR_dec_level("", &ltype, &level), 1);
    EXPECT_EQ(ltype, 105);
    EXPECT_EQ(level, 3000);
    ltype = level = 0;
    EXPECT_EQ(VAR_dec_level("Level", &ltype, &level), 1);
    EXPECT_EQ(ltype, 105);
    EXPECT_EQ(level, 3000);
}

TEST(VarCode, SplitsAndEncodesLayers)
{
    struct Case {
        int ltype, level;
        float l1, l2;
    } cases[] = {{101, 50100, 1000, 500}, {100, 500, 500, -9999}, {104, 30000, 3000, 0},
                 {106, 10005, 1000, 500}, {114, 310300, 310, 300}, {116, 30000, 30, 0},
                 {108, 75025, 75025, -9999}};
    for (const Case &c : cases) {
        float l1 = 0, l2 = 0;
        EXPECT_EQ(VAR_get_level(c.ltype, c.level, &l1, &l2), 0);
        EXPECT_EQ(l1, c.l1) << c.ltype << " " << c.level;
        EXPECT_EQ(l2, c.l2) << c.ltype << " " << c.level;
    }
    struct Enc {
        int coord;
        float l1, l2;
        int ltype, level;
    } encs[] = {{100, 1000, 500, 101, 50100},  {100, 500, -9999, 100, 500},
                {105, 0, 3000, 106, 30000},    {103, 0, 3000, 104, 30000},
                {113, 300, 310, 114, 310300},  {107, 25, 75, 108, 75025},
                {1, 0, -9999, 1, 0},           {100, 1e20f, 500, 101, -9999}};
    for (const Enc &e : encs) {
        int ltype = 0, level = 0;
        EXPECT_EQ(VAR_enc_level(e.coord, e.l1, e.l2, &ltype, &level), 0);
        EXPECT_EQ(ltype, e.ltype) << e.coord << " " << e.l1;
        EXPECT_EQ(level, e.level) << e.coord << " " << e.l1;
    }
}

TEST(VarCode, PlotTypeKeywords)
{
    struct Case {
        const char *word;
        int code;
    } cases[] = {{"cf", 15}, {"CF", 15}, {"lcf", 16}, {"ln", 12}, {"mk", 4}, {"track", 23},
                 {"wx", 36}, {"wbarb", 32}, {"grid", -1}, {"lcont", -1}, {"", -1}, {"xyz", -1}};
    for (const Case &c : cases) EXPECT_EQ(VAR_dec_type(c.word), c.code) << c.word;
    EXPECT_STREQ(VAR_print_type(16), "bcont");
    EXPECT_STREQ(VAR_print_type(10), "grid");
    EXPECT_STREQ(VAR_print_type(40), "const");
    EXPECT_STREQ(VAR_print_type(9), "----");
    EXPECT_STREQ(VAR_print_type(-9999), "----");
}

TEST(VarCode, DecodesVariableWords)
{
    vartest::Files files;
    struct Case {
        const char *word;
        int result;
        const char *name;
        int var1;
    } cases[] = {
        {"tmp", 11, "tmp", -9999},
        {"TMP", 11, "TMP", -9999},
        {"uwnd", 33, "uwnd", 133},
        {"11", 11, "Temperature", -9999},           // a number takes the description
        {"250", 250, "250", -9999},                  // no entry: the number, the word
        {"thick-hgt", 7, "thick-hgt", -9999},        // the name part after the '-'
        {"ensmean[]tmp", 19000011, "ensmean[]tmp", -9999},
        {"ensdev[]tmp", 19001011, "ensdev[]tmp", -9999},
        {"ens[-3]tmp", 19323011, "ens[-3]tmp", -9999},
        {"ens[+2]tmp", 19342011, "ens[+2]tmp", -9999},
        {"ens[c0]tmp", 19300011, "ens[c0]tmp", -9999},
        {"ens[5]tmp", 19300011, "ens[5]tmp", -9999},
        {"ens[12]tmp", 11, "ens[12]tmp", -9999},
        {"ensprob[>273.15]tmp", 110000 + 1910002000 + 227, "ensprob[>273.15]tmp", -9999},
        {"ensprob[<-5]tmp", 110000 + 1910006000 + 50, "ensprob[<-5]tmp", -9999},
        {"ensprob[^0]tmp", 110000 + 1910003000, "ensprob[^0]tmp", -9999},
        {"ensprob[!5]tmp", 11, "ensprob[!5]tmp", -9999},
        {"xyz", 0, "xyz", -9999},
        {"a_very_long_variable_word", 0, "a_very_long_variabl", -9999},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.word);
        VAR_data d;
        VAR_data_init(&d);
        EXPECT_EQ(VAR_dec_var(c.word, &d), c.result);
        EXPECT_EQ(d.var[0], c.result);
        EXPECT_STREQ(d.name, c.name);
        EXPECT_EQ(d.var[1], c.var1);
        EXPECT_EQ(d.type, 2);  // the default type
    }
}

TEST(VarCode, RefusesProbabilityCodesThatOverflow)
{
    vartest::Files files;
    vyktest::CaptureStdio cap;
    VAR_data d;
    VAR_data_init(&d);
    // 300000 x 10000 does not fit an int: the code is refused, the number stays.
    EXPECT_EQ(VAR_dec_var("ensprob[>1]big", &d), 300000);
    EXPECT_EQ(VAR_dec_var("ensmean[]huge", &d), 2147483000);
    EXPECT_EQ(VAR_dec_var("ens[+9]huge", &d), 2147483000);
    EXPECT_EQ(VAR_dec_var("ensprob[>1]tmp", &d), 1910112010);
    cap.finish();
    EXPECT_NE(cap.err().find("code out of range"), std::string::npos);
}

TEST(VarCode, ConstantsEmptyWordsAndTypes)
{
    vartest::Files files;
    VAR_data d;
    VAR_data_init(&d);
    EXPECT_EQ(VAR_dec_var("#5", &d), 1);
    EXPECT_EQ(d.type, 40);
    EXPECT_EQ(d.var[0], -9999);
    VAR_data_init(&d);
    EXPECT_EQ(VAR_dec_var("", &d), 0);
    EXPECT_EQ(d.type, 2);
    // Flag 11 forces contour and vector types on plain items.
    FLAG_set(FLAG_PLOT_TYPE, 15);
    VAR_data_init(&d);
    VAR_dec_var("tmp", &d);
    EXPECT_EQ(d.type, 15);
    FLAG_set(FLAG_PLOT_TYPE, 30);
    VAR_data_init(&d);
    d.type = 22;
    VAR_dec_var("tmp", &d);
    EXPECT_EQ(d.type, 22);  // a type already set stays
    // A vector head (kind 6) is a grid.
    d.flag = 6;
    VAR_dec_var("v", &d);
    EXPECT_EQ(d.type, 10);
    // A grid function two groups deep (kind 2) takes its function's type.
    FLAG_set(FLAG_PLOT_TYPE, VYK_MISS);
    d.flag = 2;
    VAR_dec_var("wind", &d);
    EXPECT_EQ(d.type, 20);
    VAR_set_def_type(1);
    VAR_data_init(&d);
    VAR_dec_var("tmp", &d);
    EXPECT_EQ(d.type, 1);
}

TEST(VarCode, FormatWordsAndUnits)
{
    VAR_data d;
    VAR_data_init(&d);
    EXPECT_EQ(VAR_dec_format("cf", &d), 2);
    EXPECT_EQ(d.type, 15);
    EXPECT_EQ(VAR_dec_format("xyz", &d), 0);
    FLAG_set(FLAG_PLOT_TYPE, 12);
    EXPECT_EQ(VAR_dec_format("xyz", &d), 1);
    EXPECT_EQ(d.type, 11);
    d.type = 20;
    EXPECT_EQ(VAR_dec_format("xyz", &d), 0);
    EXPECT_EQ(d.type, 20);
    VAR_dec_units("K", &d);
    EXPECT_STREQ(d.units, "K");
    VAR_dec_units("", &d);
    EXPECT_STREQ(d.units, "K");
    VAR_dec_units("units far too long for the field", &d);
    EXPECT_STREQ(d.units, "units far too ");
}

}  // namespace
