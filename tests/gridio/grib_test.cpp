// The GRIB framing state: the threshold of the edition-1 corrupt-data check.
#include <gtest/gtest.h>

#include "vykgrib.h"

namespace {

TEST(Grib, CorruptDataThreshold)
{
    EXPECT_EQ(GRIB_get_max_bad(), -1);  // off until set
    EXPECT_EQ(GRIB_set_max_bad(5), 0);
    EXPECT_EQ(GRIB_get_max_bad(), 5);
    EXPECT_EQ(GRIB_set_max_bad(0), 0);
    EXPECT_EQ(GRIB_get_max_bad(), 0);
}

}  // namespace
