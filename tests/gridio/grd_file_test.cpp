// The grid-file table's settings: the value format of text grid files (a user's printf format,
// taken only when it is one numeric conversion that fits) and the use of GRIB index files.
#include <gtest/gtest.h>

#include "test_util.h"
#include "vykgfile.h"

#include <string>

using vyktest::CaptureStdio;

namespace {

TEST(GrdFile, ValueFormats)
{
    EXPECT_STREQ(GRD_get_format(), "%14.8e");
    const struct {
        const char *format;
        int result;
        const char *in_force;  // the format afterwards
    } rows[] = {
        {"%8.2f", 0, "%8.2f"},
        {"", 0, "%14.8e"},           // empty restores the default
        {"%-12.5G;", 0, "%-12.5G;"},
        {nullptr, 0, "%14.8e"},
        {"%10.3e", 0, "%10.3e"},
        {"%s", -1, "%10.3e"},        // refused: the format in force stays
        {"%f %f", -1, "%10.3e"},
        {"%d", -1, "%10.3e"},        // the values are floats
        {"%n", -1, "%10.3e"},
        {"%123456789012.2f", -1, "%10.3e"},  // longer than 14 characters
        {"%14.7e", 0, "%14.7e"},
        {"value=%8.2f%%", 0, "value=%8.2f%%"},  // 14 characters
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(r.format ? r.format : "(null)");
        CaptureStdio cap;
        EXPECT_EQ(GRD_set_format(r.format), r.result);
        cap.finish();
        EXPECT_STREQ(GRD_get_format(), r.in_force);
        EXPECT_EQ(cap.err().find("GRD_set_format:") != std::string::npos, r.result != 0) << cap.err();
    }
}

TEST(GrdFile, IndexFiles)
{
    EXPECT_EQ(GRD_get_use_hdr_file(), 1);
    EXPECT_EQ(GRD_use_hdr_file(0), 0);
    EXPECT_EQ(GRD_get_use_hdr_file(), 0);
    EXPECT_EQ(GRD_use_hdr_file(7), 0);
    EXPECT_EQ(GRD_get_use_hdr_file(), 1);
}

}  // namespace
