// Tests of the texts of codes: short time and level texts, the long level texts of labels, and
// the variable labels under each label type.
#include "var_fixture.h"
#include "vykplot.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using vyktest::CaptureStdio;

std::string time_text(int time)
{
    char buf[40];
    return VAR_time(buf, time);
}

std::string level_text(int ltype, int level)
{
    char buf[60] = "unchanged";
    return VAR_level(buf, ltype, level);
}

std::string long_level(int time, int ltype, int level)
{
    char buf[VAR_LABEL_LEN];
    VAR_make_datalevel(time, ltype, level, buf);
    return buf;
}

TEST(VarLabel, ShortTimeTexts)
{
    struct Case {
        int time;
        const char *text;
    } cases[] = {{12, "12hr"},          {0, "init"},          {4018024, "24hr-6acc "},
                 {13000024, "24hr-24iavg "}, {6006012, "12hr-6max "}, {2036048, "48hr-12rng "},
                 {99000012, "12hr-12"},   {1000012, "12hr"},     {-9999, "miss"}};
    for (const Case &c : cases) EXPECT_EQ(time_text(c.time), c.text) << c.time;
}

TEST(VarLabel, ShortLevelTexts)
{
    struct Case {
        int ltype, level;
        const char *text;
    } cases[] = {
        {100, 500, "500mb"},           {101, 50100, "500-1000mb"},   {1, 2005, "sfc[5]"},
        {1, 5, "sfc[5]"},              {1, 0, "sfc"},                {107, 9900, "0.99sig"},
        {101, 50190, "sfc-500mb"},     {101, 50202, "sfc[20]-500mb"}, {101, 510, ""},
        {104, 30000, "0-3000m"},       {106, 30000, "0-3000m_ag"},   {105, 10, "10m_ag"},
        {108, 75025, "0.25-0.75sig"},  {120, 100090, "0.90-1.00eta"}, {119, 2500, "0.25eta"},
        {114, 310300, "300-310K"},     {116, 30000, "0-30mb_ag"},    {112, 10000, "0-10cm_bg"},
        {117, 2, "2*10^-6Km2/kgs"},    {2, 0, "cld_bot"},            {7, 0, "trop"},
        {102, 0, "sl"},                {206, 0, "gscld_bot"},        {252, 0, "dccld_top"},
        {0, 0, ""},                    {9, 0, ""},                   {-9999, -9999, "unchanged"},
    };
    for (const Case &c : cases) EXPECT_EQ(level_text(c.ltype, c.level), c.text) << c.ltype << " " << c.level;
    CaptureStdio cap;
    EXPECT_EQ(level_text(250, 0), "unchanged");
    cap.finish();
    EXPECT_NE(cap.err().find("VAR_make_datatype: no ltype: 250\n"), std::string::npos);
}

TEST(VarLabel, LongLevelTexts)
{
    struct Case {
        int time, ltype, level;
        const char *text;
    } cases[] = {
        {4018024, 100, 500, "6 hour acc 500 mb"}, {0, 101, 50190, "sfc-500 mb"},
        {0, 101, 510, "1000-500 mb"},             {0, 101, 508, "850-500 mb"},
        {0, 101, 599, "SFC-500 mb"},              {0, 101, 600, ""},
        {0, 104, 10995, "trop+1000 m"},           {0, 104, 10996, "trop-1000 m"},
        {0, 104, 30000, "0-3000 m"},              {0, 105, 10, "10 m AG"},
        {0, 101, 50191, "1910-500 mb"},           {0, 101, 50195, "trop-500 mb"},
        {0, 101, 50202, "sfc[20]-500 mb"},        {0, 101, 50100, "1000-500 mb"},
        {4800801, 1, 0, "1 day acc Surface"},     {3900902, 1, 2003, "2 month avg Surface[3]"},
        {13000024, 0, 0, "24 hour iavg "},        {0, 7, 0, "Tropopause"},
        {0, 107, 5000, "0.50 sigma"},             {0, 120, 75025, "0.25-0.75 Eta"},
        {0, 114, 310300, "300-310 K"},            {0, 248, 0, "Shal Conv cld bot lvl"},
        {0, 102, 0, "Sea level"},                 {12, 100, 850, "850 mb"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(long_level(c.time, c.ltype, c.level), c.text) << c.time << " " << c.ltype << " " << c.level;
    CaptureStdio cap;
    EXPECT_EQ(long_level(0, 250, 0), "");
    EXPECT_EQ(long_level(0, -5, 0), "");
    cap.finish();
    EXPECT_NE(cap.err().find("VAR_make_datatype: no ltype: 250\n"), std::string::npos);
}

TEST(VarLabel, LabelsFollowTheLabelType)
{
    vartest::Files files;
    ASSERT_EQ(VAR_setup(nullptr, "h24-6acc:500mb:tmp:K:cf:in=2,wbrb"), 1);
    struct Case {
        int lab_type;
        const char *slot0, *slot1, *plain;
    } cases[] = {
        {-2, "tmp (K)", "wbrb", "uwnd (m/s)"},
        {-1, "6 hour acc 500 mb tmp (K)", "wbrb", "500 mb uwnd (m/s)"},
        {0, "6 hour acc 500 mb Temperature (K)", "Wind barbs", "500 mb U-component of wind (m/s)"},
        {1, "6 hour acc 500 mb Temperature (K) - in=2", "Wind barbs", "500 mb U-component of wind (m/s)"},
        {2, "Temperature (K) - in=2", "Wind barbs", "U-component of wind (m/s)"},
        {-3, "tmp (K)", "wbrb", "uwnd (m/s)"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.lab_type);
        PLT_set_label_type(c.lab_type);
        char buf[VAR_LABEL_LEN];
        VAR_make_var_form_datatype(0, buf);
        EXPECT_STREQ(buf, c.slot0);
        VAR_make_vardata_form_datatype(VAR_get_var(1), buf);
        EXPECT_STREQ(buf, c.slot1);
        VAR_make_datatype(0, 100, 500, 33, "m/s", buf);
        EXPECT_STREQ(buf, c.plain);
    }
    PLT_set_label_type(0);
    char buf[VAR_LABEL_LEN];
    VAR_make_var_datatype(0, buf);
    EXPECT_STREQ(buf, "6 hour acc 500 mb Temperature (K)");
    VAR_make_devtype(0, 100, 500, "Gradient", "m", buf);
    EXPECT_STREQ(buf, "500 mb Gradient (m)");
    VAR_make_devtype(0, 0, 0, "Gradient", "", buf);
    EXPECT_STREQ(buf, "Gradient ()");
    char small[5];
    VAR_make_var_datatype(0, small);
    EXPECT_STREQ(small, "6 ho");
    CaptureStdio cap;
    VAR_print_info(M_PRINT, VAR_get_var(0));
    cap.finish();
    EXPECT_EQ(cap.out(), "6 hour acc 500 mb Temperature (K)\n");
}

TEST(VarLabel, VariableTexts)
{
    vartest::Files files;
    char buf[VAR_LABEL_LEN];
    EXPECT_STREQ(VAR_str(buf, 19000011, ""), "Temperature");
    EXPECT_STREQ(VAR_str(buf, 250, nullptr), "v250");
    EXPECT_STREQ(VAR_str(buf, 11, "K"), "Temperature (K)");
    EXPECT_STREQ(VAR_abbr(buf, 33), "uwnd");
    EXPECT_STREQ(VAR_abbr(buf, 19000011), "");
    PLT_set_label_type(-1);
    EXPECT_STREQ(VAR_str(buf, 2011, "K"), "tmp (K)");
}

TEST(VarLabel, PlotParametersSetTheLabelType)
{
    EXPECT_EQ(PLT_get_label_type(), 0);
    RES_put("plot_param", "lower,labcomp,x");
    VAR_param_decode();
    EXPECT_EQ(PLT_get_label_type(), 1);
    RES_put("plot_param", "LABSIMP,lab,labminimal");
    VAR_param_decode();
    EXPECT_EQ(PLT_get_label_type(), -2);
    RES_put("plot_param", "nothing");
    VAR_param_decode();
    EXPECT_EQ(PLT_get_label_type(), -2);
    RES_put("plot_param", "labnorm");
    VAR_setup(nullptr, "tmp");  // the setup applies them
    EXPECT_EQ(PLT_get_label_type(), 0);
}

}  // namespace
