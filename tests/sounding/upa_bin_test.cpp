// The binary summary form of upper-air files, checked byte by byte.
#include "upa_file_fixture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

using namespace upatest;
using vyktest::read_file;
using vyktest::TempDir;

namespace {

int16_t at(const std::string &bytes, size_t offset)
{
    return static_cast<int16_t>(static_cast<uint8_t>(bytes[offset]) | static_cast<uint8_t>(bytes[offset + 1]) << 8);
}

}  // namespace

TEST(UpaBin, HeaderAndRecordsHaveTheirFixedLayout)
{
    TempDir dir;
    const std::string path = dir.file("upa.bin");
    UPA_report a = sample_report("PITTSBURGH", 72520);
    a.man[UPA_MAN_TROP].h = 12500;
    a.time = 1200;
    UPA_report b = sample_report("7XYZ", M);
    b.man[5].h = M;
    b.lat = M;
    int k = UPA_FILE_BINARY, n = 0;
    const int fd = UPA_open(path.c_str(), UPA_ACCESS_WRITE, &k);
    ASSERT_GE(fd, 0);
    UPA_info info{};
    info.date = {1996, 3, 15, 75, 5, 12, 0, 0};
    ASSERT_EQ(UPA_putinfo(fd, &info), 0);
    ASSERT_EQ(UPA_write(fd, &a, UPA_READ_ALL, &n), 0);
    ASSERT_EQ(UPA_write(fd, &b, UPA_READ_ALL, &n), 0);
    EXPECT_EQ(n, 2);
    ASSERT_EQ(UPA_close(fd), 0);
    const std::string bytes = read_file(path);
    ASSERT_EQ(bytes.size(), 22u + 2 * 78u);
    EXPECT_EQ(bytes.substr(0, 22), "12:00Z XXX MAR 15 1996");
    const std::string r = bytes.substr(22, 78);
    EXPECT_EQ(r.substr(0, 5), "PITTS");
    EXPECT_EQ(r.substr(5, 7), std::string("72520\0\0", 7));
    struct Field {
        size_t offset;
        int value;
    } fields[] = {
        {12, 4053}, {14, -8021},          // trunc(40.53 * 100 + 0.1), trunc(-80.22 * 100 + 0.1)
        {16, 14}, {18, 0}, {20, 5}, {22, -8}, {24, 0},  // trunc(t + 0.5)
        {26, 1457}, {28, 3012}, {30, 5760}, {32, 0}, {40, 0},
        {42, 21}, {44, 24}, {46, 25}, {48, 0},          // tens of degrees
        {50, 18}, {52, 25}, {54, 37}, {56, 0},
        {58, 4}, {60, 6}, {62, 12},                     // depressions
        {64, 12500}, {66, 5760 - 111}, {68, 1200}, {70, 0}, {76, 0},
    };
    for (const Field &f : fields) EXPECT_EQ(at(r, f.offset), f.value) << "offset " << f.offset;
    const std::string s = bytes.substr(22 + 78, 78);
    EXPECT_EQ(s.substr(0, 5), std::string(5, '\0'));  // no leading letter
    EXPECT_EQ(s.substr(5, 7), std::string("99999\0\0", 7));
    EXPECT_EQ(at(s, 12), 9999);
    EXPECT_EQ(at(s, 30), 9999);   // the missing 500 mb height
    EXPECT_EQ(at(s, 66), 9999);   // and the thickness without it
    EXPECT_EQ(at(s, 64), 9999);
    EXPECT_EQ(at(s, 68), 9999);   // no time
}
