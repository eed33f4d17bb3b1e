// The upper-air report record's reset and the file header's date label.
#include "sounding_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace sndtest;

TEST(UpaReport, InitializeResetsEverythingButTheType)
{
    UPA_report r;
    std::memset(&r, 0x5a, sizeof r);
    r.type = 7;
    EXPECT_EQ(UPA_initialize(&r), 0);
    EXPECT_STREQ(r.id, "");
    EXPECT_STREQ(r.area, "");
    EXPECT_EQ(r.wmo, M);
    EXPECT_EQ(r.time, M);
    EXPECT_EQ(r.type, 7);
    EXPECT_EQ(r.lat, M);
    EXPECT_EQ(r.lon, M);
    EXPECT_EQ(r.elev, M);
    EXPECT_EQ(r.numman, 0);
    EXPECT_EQ(r.numsig, 0);
    EXPECT_EQ(r.numwnd, 0);
    for (const UPA_level &l : r.man)
        for (float v : {l.p, l.h, l.t, l.td, l.dir, l.spd}) ASSERT_EQ(v, M);
    for (const UPA_sig_level &s : r.sig)
        for (float v : {s.p, s.t, s.td}) ASSERT_EQ(v, M);
    for (const UPA_wnd_level &w : r.wnd)
        for (float v : {w.h, w.dir, w.spd}) ASSERT_EQ(v, M);
    EXPECT_EQ(UPA_initialize(nullptr), 0);
}

TEST(UpaReport, DateLabelOfTheFileHeader)
{
    EXPECT_STREQ(UPA_get_datim(), "");
    EXPECT_EQ(UPA_set_datim("12/11/26 1200"), 0);
    EXPECT_STREQ(UPA_get_datim(), "12/11/26 1200");
    EXPECT_STREQ(UPA_get_info()->datim, "12/11/26 1200");
    // At most 39 characters are kept.
    const std::string long_label(60, 'd');
    UPA_set_datim(long_label.c_str());
    EXPECT_EQ(std::string(UPA_get_datim()), long_label.substr(0, 39));
    UPA_set_datim(nullptr);
    EXPECT_STREQ(UPA_get_datim(), "");
    EXPECT_EQ(UPA_is_new_text(UPA_FILE_X), 1);
    EXPECT_EQ(UPA_is_new_text(UPA_FILE_OLD8), 0);
}
