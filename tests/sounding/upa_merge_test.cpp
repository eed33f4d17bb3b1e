// Merging reports into working soundings: mandatory, significant, tropopause and maximum-wind
// levels into the pressure-ordered temperature sounding and the height-ordered wind sounding
// with their index lists; the potential-temperature check; the array merges; hostile reports.
#include "sounding_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

using namespace sndtest;

namespace {

UPA_report empty_report()
{
    UPA_report r;
    UPA_initialize(&r);
    r.type = 0;
    return r;
}

void add_sig(UPA_report &r, float p, float t, float td) { r.sig[r.numsig++] = {p, t, td}; }

void add_wnd(UPA_report &r, float feet, float dir, float spd)
{
    r.wnd[r.numwnd++] = {feet, dir, spd};
}

/// A report at an elevated station (980 mb, 250 m) with mandatory levels from 1000 (below the
/// ground) to 200 mb, significant levels, a tropopause and a maximum wind.
UPA_report station_report()
{
    UPA_report r = empty_report();
    strfcpy(r.id, "TST");
    r.numman = 1;
    r.man[0] = L(980, 250, 25, 20, 180, 10);
    r.man[1] = L(1000, 90, 26, 20);
    r.man[2] = L(925, 762, 21, 17, 200, 15);
    r.man[3] = L(850, 1500, 16, 10, 220, 20);
    r.man[4] = L(700, M, 6, -2, 230, 25);
    r.man[5] = L(500, 5800, -10, -20, 250, 35);
    r.man[7] = L(300, 9300, -40, -50, 265, 60);
    r.man[8] = L(250, 10500, -48, -58, 270, 70);
    r.man[9] = L(200, 11800, -55, -65, 275, 65);
    r.man[22] = L(220, M, -57, -67, 272, 68);
    r.man[23] = L(300, M, M, M, 270, 80);
    for (const float *s : {(const float[]){980, 25, 20}, (const float[]){950, 23, 18},
                           (const float[]){925, 22, 17}, (const float[]){900, 19, 14},
                           (const float[]){800, 12, 5}, (const float[]){600, -1, -10}})
        add_sig(r, s[0], s[1], s[2]);
    add_wnd(r, 0, 170, 8);        // below the station: overwritten
    add_wnd(r, 1000, 190, 12);    // 304.8 m
    add_wnd(r, 2000, 195, 13);    // 609.6 m
    add_wnd(r, 2500, 198, 14);    // 762 m: the 925 mb slot's height, passed over
    add_wnd(r, 4000, 210, 18);    // 1219.2 m
    add_wnd(r, 6000, M, 18);      // no direction: overwritten
    add_wnd(r, 8000, 235, 22);    // 2438.4 m
    add_wnd(r, 15000, 240, 30);   // 4572 m
    add_wnd(r, 30000, 260, 60);   // 9144 m
    add_wnd(r, 40000, 280, 50);   // 12192 m
    return r;
}

std::vector<float> pressures(const UPA_level *lev, int n)
{
    std::vector<float> p;
    for (int i = 0; i < n; i++) p.push_back(lev[i].p);
    return p;
}

std::vector<float> heights(const UPA_level *lev, int n)
{
    std::vector<float> h;
    for (int i = 0; i < n; i++) h.push_back(lev[i].h);
    return h;
}

}  // namespace

TEST(UpaMerge, TemperatureSoundingInPressureOrder)
{
    const UPA_report r = station_report();
    UPA_level sm[UPA_MAX_LEVELS];
    int index[25];
    std::fill(std::begin(index), std::end(index), 77);
    const int n = UPA_sm_merge(&r, sm, index);
    const std::vector<float> want = {1000, 980, 950, 925, 900, 850, 800, 700,
                                     600,  500, 300, 250, 220, 200};
    EXPECT_EQ(pressures(sm, n), want);
    // The surface once, from its slot; the significant 925 mb level gives way to the slot's.
    EXPECT_EQ(index[0], 1);
    EXPECT_FLOAT_EQ(sm[1].h, 250);
    EXPECT_FLOAT_EQ(sm[1].dir, 180);
    EXPECT_EQ(index[2], 3);
    EXPECT_FLOAT_EQ(sm[3].t, 21);
    EXPECT_FLOAT_EQ(sm[3].h, 762);
    EXPECT_EQ(sm[2].h, M);  // significant levels have their heights filled later
    const int want_index[] = {1, 0, 3, 5, 7, 9, VYK_MISS, 10, 11, 13};
    for (int k = 0; k < 10; k++) EXPECT_EQ(index[k], want_index[k]) << k;
    for (int k = 10; k <= 21; k++) EXPECT_EQ(index[k], M) << k;
    // The tropopause is inserted without a height; the maximum wind takes the 300 mb level's
    // place with its wind and a temperature between its neighbours.
    EXPECT_EQ(index[22], 12);
    EXPECT_EQ(sm[12].h, M);
    EXPECT_FLOAT_EQ(sm[12].t, -57);
    EXPECT_EQ(index[23], 10);
    EXPECT_FLOAT_EQ(sm[10].h, 9300);
    EXPECT_FLOAT_EQ(sm[10].spd, 80);
    EXPECT_FLOAT_EQ(sm[10].t, interp_temp(-10, -48, 500, 250, 300));
    EXPECT_FLOAT_EQ(sm[10].td, interp_temp(-20, -58, 500, 250, 300));
    EXPECT_EQ(index[24], 77);  // past the list a merge writes
}

TEST(UpaMerge, PotentialTemperatureCheckDropsLevels)
{
    // Surface and 1000 mb slot share a level; a significant level at 950 mb whose potential
    // temperature is 3.5 K (dropped) or 2.5 K (kept) below the surface's.
    for (float below : {3.5f, 2.5f}) {
        UPA_report r = empty_report();
        r.numman = 1;
        r.man[0] = L(1000, 100, 20, 15);
        r.man[1] = L(1000, 100, 20, 15);
        r.man[3] = L(850, 1500, 16, 10);
        const float theta = 293.15f - below;
        add_sig(r, 950, theta / std::pow(1000.0f / 950, 0.286f) - 273.15f, 5);
        UPA_level sm[UPA_MAX_LEVELS];
        int index[25];
        const int n = UPA_sm_merge(&r, sm, index);
        EXPECT_EQ(index[0], 0);
        EXPECT_EQ(index[1], 0);
        if (below > 3) {
            EXPECT_EQ(pressures(sm, n), (std::vector<float>{1000, 850}));
            EXPECT_EQ(index[3], 1);  // still valid, one lower
        } else {
            EXPECT_EQ(pressures(sm, n), (std::vector<float>{1000, 950, 850}));
            EXPECT_EQ(index[3], 2);
        }
    }
    // A level without a temperature goes; so does a mandatory one, with its index.
    UPA_report r = empty_report();
    r.numman = 1;
    r.man[0] = L(1000, 100, 20, 15);
    r.man[3] = L(850, 1500, M, M);
    r.man[5] = L(500, 5700, -10, -20);
    UPA_level sm[UPA_MAX_LEVELS];
    int index[25];
    const int n = UPA_sm_merge(&r, sm, index);
    EXPECT_EQ(pressures(sm, n), (std::vector<float>{1000, 500}));
    EXPECT_EQ(index[3], M);
    EXPECT_EQ(index[5], 1);
}

TEST(UpaMerge, ReportsWithoutMandatoryOrSignificantData)
{
    UPA_report r = empty_report();
    r.man[0] = L(990, 150, 20, 15);  // numman 0: the slots are not used
    add_sig(r, 990, 20, 15);
    add_sig(r, 900, 15, 10);
    add_wnd(r, 100, 180, 5);
    add_wnd(r, 3000, 200, 10);
    UPA_level lev[UPA_MAX_LEVELS];
    int index[25];
    std::fill(std::begin(index), std::end(index), 5);
    ASSERT_EQ(UPA_sm_merge(&r, lev, index), 2);
    EXPECT_FLOAT_EQ(lev[0].h, 150);  // the station elevation
    EXPECT_EQ(lev[1].h, M);
    EXPECT_EQ(index[0], 5);  // the list is left alone
    ASSERT_EQ(UPA_wm_merge(&r, lev, index), 2);
    EXPECT_FLOAT_EQ(lev[0].h, 150);  // 30.5 m is below 300 m: the station elevation
    EXPECT_NEAR(lev[1].h, 914.4, 1e-3);
    EXPECT_EQ(lev[1].p, M);

    // Mandatory levels only: the surface once, then the levels above it.
    UPA_report m = empty_report();
    m.numman = 1;
    m.man[0] = L(960, 400, 20, 10, 0, 0);
    m.man[2] = L(925, 700, 18, 9, 10, 5);
    m.man[3] = L(850, 1400, 14, 6, 20, 10);
    ASSERT_EQ(UPA_sm_merge(&m, lev, index), 3);
    EXPECT_EQ(pressures(lev, 3), (std::vector<float>{960, 925, 850}));
    EXPECT_EQ(index[0], 0);
    EXPECT_EQ(index[1], M);

    // Nothing at all: no levels.
    UPA_report none = empty_report();
    EXPECT_EQ(UPA_sm_merge(&none, lev, index), 0);
    EXPECT_EQ(UPA_wm_merge(&none, lev, index), 0);
}

TEST(UpaMerge, WindSoundingInHeightOrder)
{
    const UPA_report r = station_report();
    UPA_level wm[UPA_MAX_LEVELS];
    int index[25];
    const int n = UPA_wm_merge(&r, wm, index);
    const float h700 = UPA_std_height(700);
    const float h220 = 10500 + 1300 * std::log(250.0f / 220) / std::log(250.0f / 200);
    const std::vector<float> want = {250,  304.8f, 609.6f, 762,  1219.2f, 1500, 2438.4f, h700,
                                     4572, 5800,   9144,   9300, 10500,   h220, 11800,   12192};
    const std::vector<float> got = heights(wm, n);
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < want.size(); i++) EXPECT_NEAR(got[i], want[i], 0.01) << i;
    EXPECT_FLOAT_EQ(wm[0].dir, 180);  // the surface slot, not the wind below the station
    EXPECT_FLOAT_EQ(wm[6].dir, 235);  // the level without a direction was overwritten
    EXPECT_FLOAT_EQ(wm[3].dir, 200);  // the slot stands for the wind level at its height
    const int want_index[] = {0, VYK_MISS, 3, 5, 7, 9, VYK_MISS, 11, 12, 14};
    for (int k = 0; k < 10; k++) EXPECT_EQ(index[k], want_index[k]) << k;
    // Without heights of their own the tropopause and the maximum wind go where their
    // pressures lie in the sounding: the maximum wind on the 300 mb level.
    EXPECT_EQ(index[22], 13);
    EXPECT_FLOAT_EQ(wm[13].p, 220);
    EXPECT_EQ(index[23], 11);
    EXPECT_FLOAT_EQ(wm[11].p, 300);
    EXPECT_FLOAT_EQ(wm[11].spd, 80);
    // The standard atmosphere's heights of three mandatory pressures.
    EXPECT_NEAR(UPA_std_height(1000), 110.9, 0.1);
    EXPECT_NEAR(UPA_std_height(850), 1457.3, 0.1);
    EXPECT_NEAR(UPA_std_height(500), 5574.4, 0.1);

    // The older merge keeps missing slot heights, places no special levels and leaves their
    // indices alone.
    int old_index[25];
    std::fill(std::begin(old_index), std::end(old_index), 42);
    const int no = UPA_sw_merge(&r, wm, old_index);
    EXPECT_EQ(old_index[22], 42);
    EXPECT_EQ(old_index[23], 42);
    EXPECT_EQ(old_index[4], 6);
    EXPECT_EQ(wm[6].h, M);
    EXPECT_EQ(no, 15);
}

TEST(UpaMerge, SurfaceWindAtSeaLevel)
{
    // At a station at 0 m a first wind level at 0 ft repeats the surface and is passed over.
    UPA_report r = empty_report();
    r.numman = 1;
    r.man[0] = L(1012, 0, 20, 15, 90, 5);
    r.man[3] = L(850, 1500, 14, 8, 180, 20);
    add_wnd(r, 0, 95, 6);
    add_wnd(r, 3000, 120, 10);
    UPA_level wm[UPA_MAX_LEVELS];
    int index[25];
    const int n = UPA_wm_merge(&r, wm, index);
    EXPECT_EQ(heights(wm, n), (std::vector<float>{0, 3000 * 0.3048f, 1500}));
    EXPECT_FLOAT_EQ(wm[0].dir, 90);
}

TEST(UpaMerge, ArrayMerges)
{
    const UPA_level a[] = {L(1000, 100, 20), L(850, M, 10), L(700, 3000, 2)};
    const UPA_level b[] = {L(1010, 10, 21), L(850, 1500, 11, 5), L(800, 2000, 8), L(500, 5000)};
    UPA_level out[UPA_MAX_LEVELS];
    const int n = UPA_merge_array(a, 3, b, 4, out);
    // The second array's 500 mb level lies beyond the first's last level: not copied.
    EXPECT_EQ(pressures(out, n), (std::vector<float>{1010, 1000, 850, 800, 700}));
    EXPECT_FLOAT_EQ(out[2].h, 1500);  // combined: the first's values, the second's where missing
    EXPECT_FLOAT_EQ(out[2].t, 10);
    EXPECT_FLOAT_EQ(out[2].td, 5);

    const UPA_level w1[] = {L(M, 0, M, M, 90, 5), L(M, 500, M, M, M, 7), L(M, 1000, M, M, 120, 9)};
    const UPA_level w2[] = {L(M, 200, M, M, 100, 6), L(M, 300, M, M, M, 6),
                            L(M, 1000, 900, M, M, 10), L(M, 2000, M, M, 150, 12)};
    const int m = UPA_wnd_merge_array(w1, 3, w2, 4, out);
    EXPECT_EQ(heights(out, m), (std::vector<float>{0, 200, 1000}));
    EXPECT_FLOAT_EQ(out[2].dir, 120);
    EXPECT_FLOAT_EQ(out[2].p, M);  // the first array's pressure
    EXPECT_FLOAT_EQ(out[2].t, 900);

    // Counts beyond the working limit are held to it.
    std::vector<UPA_level> many(1000, L(500, 5000, -10));
    for (int i = 0; i < 1000; i++) many[i].p = 1000 - 0.5f * i;
    std::vector<UPA_level> big(UPA_MAX_LEVELS + 5);
    EXPECT_EQ(UPA_merge_array(many.data(), 1000, many.data(), 1000, big.data()), UPA_MAX_LEVELS);
    EXPECT_EQ(UPA_merge_array(nullptr, 3, b, 4, big.data()), 0);
}

TEST(UpaMerge, HostileReports)
{
    // Counts beyond the record's slots, pressures out of order, every value missing.
    UPA_report r = station_report();
    r.numsig = 1000;
    r.numwnd = 5000;
    for (int i = 6; i < UPA_NUM_SIG; i++) r.sig[i] = {static_cast<float>(100 + (i * 37) % 900), 5, 0};
    for (int i = 10; i < UPA_NUM_WND; i++) r.wnd[i] = {static_cast<float>((i * 7919) % 60000), 200, 10};
    UPA_level lev[UPA_MAX_LEVELS];
    int index[25];
    const int n = UPA_sm_merge(&r, lev, index);
    EXPECT_GT(n, 0);
    EXPECT_LE(n, 224);
    for (int k = 0; k < UPA_NUM_INDEX; k++) EXPECT_TRUE(index[k] == M || (index[k] >= 0 && index[k] < n));
    const int w = UPA_wm_merge(&r, lev, index);
    EXPECT_GT(w, 0);
    EXPECT_LE(w, 124);
    r.numsig = -5;
    r.numwnd = -5;
    EXPECT_LE(UPA_sm_merge(&r, lev, index), 24);

    UPA_report blank = empty_report();
    blank.numman = 1;
    blank.numsig = 200;
    blank.numwnd = 100;
    EXPECT_GE(UPA_sm_merge(&blank, lev, index), 0);
    EXPECT_GE(UPA_wm_merge(&blank, lev, index), 0);
    EXPECT_EQ(UPA_sm_merge(nullptr, lev, index), 0);
}
