// The numbered program flags and the plot-component switches.
#include <gtest/gtest.h>

#include "vyk.h"

TEST(Flag, BoundsAndValues)
{
    EXPECT_EQ(FLAG_get(30), 0);
    EXPECT_EQ(FLAG_get(-1), 0);
    EXPECT_EQ(FLAG_getl(30), 0);
    EXPECT_EQ(FLAG_set(30, 1), -1);
    EXPECT_EQ(FLAG_set(-1, 1), -1);
    EXPECT_EQ(FLAG_set(29, -5), 0);
    EXPECT_EQ(FLAG_getl(29), -5);
    EXPECT_EQ(FLAG_setl(3, 0x100000002L), 0);
    EXPECT_EQ(FLAG_get(3), 2);  // the low 32 bits
    EXPECT_EQ(FLAG_getl(3), 0x100000002L);
    FLAG_reset(-9999);
    for (int i = 0; i < 30; i++) EXPECT_EQ(FLAG_get(i), -9999);
    EXPECT_EQ(FLAG_batch(), 0);  // -9999 reads as off
    EXPECT_EQ(FLAG_help(), 0);
    FLAG_set_batch(1);
    FLAG_set(FLAG_HELP, 2);
    EXPECT_EQ(FLAG_batch(), 1);
    EXPECT_EQ(FLAG_help(), 1);
    FLAG_resetl(7);
    EXPECT_EQ(FLAG_getl(0), 7);
}

TEST(Flag, PlotSwitchSums)
{
    EXPECT_EQ(FLAG_getplot(0), 1);
    EXPECT_EQ(FLAG_getplot(13), 0);
    EXPECT_EQ(FLAG_setplot(13, 1), -1);
    FLAG_setplot(0, 0);
    for (int i = 0; i <= 6; i++) EXPECT_EQ(FLAG_getplot(i), 0) << i;
    EXPECT_EQ(FLAG_getplot(12), 5);  // entries 7 to 11
    FLAG_setplot(2, 1);
    EXPECT_EQ(FLAG_getplot(0), 1);
    EXPECT_EQ(FLAG_getplot(12), 7);  // each text position counts twice
    FLAG_setplot(12, 0);
    for (int i = 0; i <= 12; i++) EXPECT_EQ(FLAG_getplot(i), 0) << i;
    FLAG_setplot(12, 1);
    EXPECT_EQ(FLAG_getplot(0), 6);
    EXPECT_EQ(FLAG_getplot(12), 17);
    FLAG_resetplot(3);
    for (int i = 0; i <= 12; i++) EXPECT_EQ(FLAG_getplot(i), 3) << i;
}
