// The upper-air file layer's outputs as a user makes them (upa_tool convert): every written kind
// on a full file system, on one with a little room left and on a full device fails the run with
// a message naming the file, leaves no cut file and never removes the device.
#include "output_fault.h"
#include "upa_file_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <vector>

using namespace upatest;

namespace {

TEST(UpaFile, OutputsThatCannotBeWrittenFailAndLeaveNoFile)
{
    vyktest::TempDir dir;
    // Enough stations that every kind writes more than the short disk's room (the binary
    // summary holds 78 bytes of each).
    std::vector<UPA_report> reports;
    for (int k = 0; k < 100; k++) reports.push_back(sample_report("PIT", 72520, 8, 20));
    const std::string in = dir.file("in.upa");
    ASSERT_EQ(write_reports(in, UPA_FILE_TEXT, reports), 0);
    const std::string convert = vyktest::tool("upa_tool") + " -ba convert " + in + " {} ";
    vyktest::expect_outputs_fail_cleanly({
        {"text", convert + "3"},
        {"text x", convert + "5"},
        {"netCDF by station", convert + "11"},
        {"netCDF by report", convert + "12"},
        {"binary", convert + "41"},
        {"XML", convert + "51"},
    });
}

// A FIFO or a directory named as the upper-air file is refused with a message naming it,
// never waited on: the tool fails.  (The timeout turns a wait into a failure, not a stuck test.)
TEST(UpaFile, InputsThatAreNotRegularFilesAreRefused)
{
    vyktest::TempDir dir;
    const std::string fifo = dir.file("fifo.upa"), sub = dir.file("sub.upa");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(mkdir(sub.c_str(), 0700), 0);
    for (const std::string &name : {fifo, sub}) {
        SCOPED_TRACE(name);
        const vyktest::RunResult r = vyktest::run("timeout 60 " + vyktest::tool("upa_tool") +
                                                  " -ba dump " + name + " </dev/null");
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(vyktest::has(r.err, "UPA_open: not a regular file, not read: " + name)) << r.err;
    }
}

}  // namespace
