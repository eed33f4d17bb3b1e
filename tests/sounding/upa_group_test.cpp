// Group codes of the upper-air text forms: every group kind decoded from the coded examples
// and encoded back, the round trip of every mandatory pressure over the heights it can take,
// the missing markers of each kind of file, and tokens that no writer produces.
#include "sounding_fixture.h"

#include <gtest/gtest.h>

#include <string>

using namespace sndtest;

namespace {

struct Decoded {
    const char *token;
    int result;
    float a, b;
};

using Decoder = int (*)(const char *, float *, float *);

void expect_decodes(Decoder decode, const Decoded &c)
{
    float a = 0, b = 0;
    EXPECT_EQ(decode(c.token, &a, &b), c.result) << c.token;
    EXPECT_FLOAT_EQ(a, c.a) << c.token;
    EXPECT_FLOAT_EQ(b, c.b) << c.token;
}

std::string ph(float p, float h)
{
    encd_ph(p, h);
    return encd_get_group();
}

std::string td(float t, float d)
{
    encd_td(t, d);
    return encd_get_group();
}

std::string wd(float dir, float spd)
{
    encd_wd(dir, spd);
    return encd_get_group();
}

}  // namespace

TEST(UpaGroup, DecodesPressureHeightGroups)
{
    const Decoded cases[] = {
        {"00120", 0, 1000, 120},   {"00520", 0, 1000, -20},   {"92762", 0, 925, 762},
        {"85457", 0, 850, 1457},   {"70012", 0, 700, 3012},   {"70950", 0, 700, 2950},
        {"50576", 0, 500, 5760},   {"40723", 0, 400, 7230},   {"30023", 0, 300, 10230},
        {"30950", 0, 300, 9500},   {"25063", 0, 250, 10630},  {"20180", 0, 200, 11800},
        {"15360", 0, 150, 13600},  {"10620", 0, 100, 16200},  {"07850", 0, 70, 18500},
        {"05060", 0, 50, 20600},   {"05980", 0, 50, 19800},   {"03380", 0, 30, 23800},
        {"02650", 0, 20, 26500},   {"01080", 0, 10, 30800},   {"01560", 0, 10, 25600},
        {"-7350", 0, 7, 33500},    {"-5570", 0, 5, 35700},    {"-3600", 0, 3, 36000},
        {"-2200", 0, 2, 42000},    {"-1600", 0, 1, 46000},    {"-1100", 0, 1, 51000},
        {"88210", 0, 880, 210},    {"77300", 0, 770, 300},    {"85/", -1, 850, M},
        {"99999", -1, M, M},       {"X", -1, M, M},           {"//", -1, M, M},
        {"ab123", -1, M, M},
    };
    for (const Decoded &c : cases) expect_decodes(decd_ph, c);
}

TEST(UpaGroup, EncodesPressureHeightGroups)
{
    EXPECT_EQ(ph(1000, -20), "00520");
    EXPECT_EQ(ph(1000, 120), "00120");
    EXPECT_EQ(ph(850, 1457), "85457");
    EXPECT_EQ(ph(500, 5760), "50576");
    EXPECT_EQ(ph(300, 10230), "30023");
    EXPECT_EQ(ph(70, 18500), "07850");
    EXPECT_EQ(ph(7, 33500), "-7350");
    EXPECT_EQ(ph(850, M), "85/");
    // Tropopause and maximum wind carry a pressure in place of the height.
    EXPECT_EQ(ph(880, 210), "88210");
    EXPECT_EQ(ph(770, 300), "77300");
    float h = 0, p = 0;
    EXPECT_EQ(decd_ph("88210", &h, &p), 0);
    EXPECT_FLOAT_EQ(p, 210);

    // Every mandatory pressure decodes its own groups back over the heights it can take.
    struct Range {
        float p, h0, h1;
    } ranges[] = {{1000, -400, 499}, {925, 0, 999},     {850, 1000, 1999},  {700, 2501, 3500},
                  {500, 4000, 6500}, {400, 6000, 8500}, {300, 8000, 10500}, {250, 9500, 11500},
                  {200, 10500, 13000}, {150, 12500, 15000}, {100, 15000, 18000},
                  {70, 17000, 19999}, {50, 19000, 23000}, {30, 22000, 25999},
                  {20, 24000, 28000}, {10, 29000, 32000}, {7, 31000, 35000},
                  {5, 33000, 37000}, {3, 36000, 42000}, {2, 38000, 44000}, {1, 46000, 54000}};
    for (const Range &r : ranges) {
        const float step = r.p > 500 ? 1 : 10;
        for (float hh = r.h0; hh <= r.h1; hh += step) {
            ASSERT_EQ(encd_ph(r.p, hh), 0);
            float pd = 0, hd = 0;
            ASSERT_EQ(decd_ph(encd_get_group(), &pd, &hd), 0) << encd_get_group();
            ASSERT_EQ(pd, r.p) << encd_get_group();
            ASSERT_EQ(hd, hh) << r.p << " " << encd_get_group();
        }
    }
}

TEST(UpaGroup, TemperatureGroupsBothWays)
{
    const Decoded cases[] = {
        {"12315", 0, -12.3f, -13.8f}, {"12299", 0, 12.2f, M},   {"12356", 0, -12.3f, -18.3f},
        {"12215", 0, 12.2f, 10.7f},   {"00050", 0, 0, -5},      {"12398", 0, -12.3f, -60.3f},
        {"99999", -1, M, M},          {"X", -1, M, M},          {"123//", 0, -12.3f, M},
        {"/////", -1, M, M},
    };
    for (const Decoded &c : cases) expect_decodes(decd_td, c);
    EXPECT_EQ(td(12.3f, 10.8f), "12215");
    EXPECT_EQ(td(-12.3f, -20.5f), "12358");
    EXPECT_EQ(td(-0.1f, -0.1f), "00000");  // trunc(10 (-0.1 + 0.01)) is 0: 0.0 C
    EXPECT_EQ(td(5, M), "05099");
    EXPECT_EQ(td(5, 0), "05050");           // 5.0 degrees: 50
    EXPECT_EQ(td(5, 0.2f), "05048");        // 4.8 degrees in tenths
    EXPECT_EQ(td(5, 0.5f), "05045");
    EXPECT_EQ(td(5, -0.2f), "05050");       // 5.2 degrees: 50
    EXPECT_EQ(td(5, 6), "05000");           // a dew point above the temperature: saturated
    EXPECT_EQ(td(20, -40), "20099");        // a depression of 60 degrees cannot be coded
    // Round trip: temperatures to the even (positive) or odd (negative) tenth, depressions in
    // tenths up to 5 degrees and in whole degrees above.
    for (int ti = -800; ti <= 450; ti += 7) {
        const float t = static_cast<float>(ti) / 10;
        for (float dep : {0.0f, 0.3f, 4.9f, 6.0f, 17.0f, 48.0f}) {
            ASSERT_EQ(encd_td(t, t - dep), 0);
            float tt = 0, dd = 0;
            ASSERT_EQ(decd_td(encd_get_group(), &tt, &dd), 0);
            EXPECT_NEAR(tt, t, 0.11) << encd_get_group();
            EXPECT_NEAR(tt - dd, dep, 1e-3) << encd_get_group();
        }
    }
}

TEST(UpaGroup, WindGroupsBothWays)
{
    const Decoded cases[] = {
        {"27125", 0, 270, 125}, {"36099", 0, 360, 99}, {"27960", 0, M, M},  // 460 knots
        {"00000", 0, 0, 0},     {"99999", 0, M, M},    {"36510", 0, M, M},  // 365 degrees
        {"X", -1, M, M},        {"270//", -1, M, M},
    };
    for (const Decoded &c : cases) expect_decodes(decd_wd, c);
    EXPECT_EQ(wd(270, 125), "27125");
    EXPECT_EQ(wd(272.4f, 10), "27010");
    EXPECT_EQ(wd(272.6f, 10), "27510");
    EXPECT_EQ(wd(358, 5), "36005");
    EXPECT_EQ(wd(90, 250), "09250");
    // 500 knots and more would change the direction: stored as missing.
    encd_set_kind(UPA_FILE_PLUS);
    EXPECT_EQ(encd_wd(90, 500), -1);
    EXPECT_STREQ(encd_get_group(), "X");
    EXPECT_EQ(encd_wd(90, 499), 0);
    EXPECT_STREQ(encd_get_group(), "09499");
    for (int d = 0; d <= 360; d += 5)
        for (int s : {0, 7, 99, 100, 199, 250}) {
            ASSERT_EQ(encd_wd(static_cast<float>(d), static_cast<float>(s)), 0);
            float dd = 0, ss = 0;
            ASSERT_EQ(decd_wd(encd_get_group(), &dd, &ss), 0);
            ASSERT_EQ(dd, d) << encd_get_group();
            ASSERT_EQ(ss, s) << encd_get_group();
        }
}

TEST(UpaGroup, MissingMarkerFollowsTheKindOfFile)
{
    struct Case {
        int kind;
        const char *marker;
    } cases[] = {{UPA_FILE_DETECT, "99999"}, {UPA_FILE_OLD4, "99999"}, {UPA_FILE_OLD8, "99999"},
                 {UPA_FILE_TEXT, "X"},       {UPA_FILE_PLUS, "X"},     {UPA_FILE_X, "X"},
                 {UPA_FILE_CDF_STN, "99999"}};
    for (const Case &c : cases) {
        encd_set_kind(c.kind);
        EXPECT_EQ(encd_wd(M, M), -1);
        EXPECT_STREQ(encd_get_group(), c.marker) << c.kind;
        EXPECT_EQ(encd_td(M, M), -1);
        EXPECT_STREQ(encd_get_group(), c.marker);
        EXPECT_EQ(encd_ph(M, M), -1);
        EXPECT_STREQ(encd_get_group(), c.marker);
        // No group carries a height without its pressure, or a dew point without its
        // temperature.
        EXPECT_EQ(encd_ph(M, 1500), -1);
        EXPECT_STREQ(encd_get_group(), c.marker);
        EXPECT_EQ(encd_td(M, 5), -1);
    }
    // Values no group can hold.
    encd_set_kind(UPA_FILE_TEXT);
    EXPECT_EQ(encd_ph(850, 3e9f), -1);
    EXPECT_EQ(encd_td(150, 10), -1);
    EXPECT_EQ(encd_wd(400, 10), -1);
    float a, b;
    EXPECT_EQ(decd_ph(nullptr, &a, &b), -1);
    EXPECT_EQ(a, M);
}
