// The table of open grid files: kind detection, the slots, the open rules for standard streams
// and commands, the settings, and the kinds whose readers are not built yet.
#include <gtest/gtest.h>

#include "gfile_fixture.h"
#include "test_util.h"
#include "grd_file.h"

#include <fstream>
#include <string>

using gfiletest::Rec;
using vyktest::stderr_of;

TEST(GrdFile, KindsFromTheFirstBytes)
{
    vyktest::TempDir dir;
    const std::string grib_behind_letters = "Heading line\n" + std::string(40, 'x') + "GRIB\x01";
    struct Case {
        const char *name;
        std::string bytes;
        int kind;
    };
    const Case cases[] = {
        {"kind 4 binary", "VYKGRID4B\n12Z\n", GRD_TEXT_DOMAIN},
        {"kind 4 text", "VYKGRID4\n", GRD_TEXT_DOMAIN},
        {"kind 2", "VYKGRID\n12Z 05 MAR 24\n", GRD_TEXT},
        {"kind 1, blank", " 12Z 05 MAR 24\n", GRD_TEXT_PLAIN},
        {"kind 1, digit", "12Z 05 MAR 24\n", GRD_TEXT_PLAIN},
        {"WMO GRID", "GRID 12345\n", GRD_WMO_GRID},
        {"netCDF", std::string("CDF\x01", 4), GRD_NETCDF},
        {"GRIB at the start", "GRIB....", GRD_GRIB},
        {"GRIB framing star", "****0001", GRD_GRIB},
        {"GRIB framing SOH", std::string("\x01\r\r\n", 4), GRD_GRIB},
        {"GRIB behind a heading of letters", grib_behind_letters, GRD_GRIB},
        {"GRIB behind a heading of digits", "1" + grib_behind_letters, GRD_TEXT_PLAIN},
        {"GRIB beyond 200 bytes", "Heading" + std::string(200, 'x') + "GRIB", -1},
        {"empty", "", -1},
        {"junk", "junk junk", -1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.file("f");
        vyktest::write_file(path, c.bytes);
        EXPECT_EQ(GRD_chktype(path.c_str()), c.kind);
        int k = GRD_DETECT;
        const int fd = GRD_open(path.c_str(), GRD_ACCESS_READ, &k);
        if (c.kind < 0 || c.kind == GRD_NETCDF) {  // four bytes are no netCDF file
            EXPECT_EQ(fd, -1);
        } else {
            EXPECT_EQ(k, c.kind);
            ASSERT_GE(fd, 0);
            EXPECT_EQ(GRD_get_gfile(fd)->type, c.kind);
            EXPECT_EQ(GRD_close(fd), 0);
        }
    }
    EXPECT_EQ(GRD_chktype(dir.file("missing").c_str()), -1);
}

TEST(GrdFile, FifteenSlotsTheLowestEmptyFirst)
{
    vyktest::TempDir dir;
    const std::string path = dir.file("a.grd");
    vyktest::write_file(path, "VYKGRID\n");
    int fds[GRD_MAX_FILES];
    for (int i = 0; i < GRD_MAX_FILES; i++) {
        int k = GRD_DETECT;
        fds[i] = GRD_open(path.c_str(), GRD_ACCESS_READ, &k);
        EXPECT_EQ(fds[i], i);
    }
    int k = GRD_DETECT;
    EXPECT_EQ(GRD_open(path.c_str(), GRD_ACCESS_READ, &k), -1);
    EXPECT_EQ(GRD_close(6), 0);
    EXPECT_EQ(GRD_close(3), 0);
    k = GRD_DETECT;
    EXPECT_EQ(GRD_open(path.c_str(), GRD_ACCESS_READ, &k), 3);
    for (int i = 0; i < GRD_MAX_FILES; i++) GRD_close(i);
}

TEST(GrdFile, EmptyAndBadSlotsAreRefused)
{
    Rec rec;
    GRD_info info{};
    int num = 0;
    char header[160];
    const std::string err = stderr_of([&] {
        EXPECT_EQ(GRD_close(2), 0);  // an empty slot in range
        EXPECT_EQ(GRD_close(GRD_MAX_FILES), -1);
        EXPECT_EQ(GRD_close(-1), -1);
        for (int slot : {2, -1, GRD_MAX_FILES}) {
            SCOPED_TRACE(slot);
            EXPECT_EQ(GRD_getinfo(slot, &info), -1);
            EXPECT_EQ(GRD_putinfo(slot, &info), -1);
            EXPECT_EQ(GRD_read(slot, &rec.r, GRD_READ_HEADER, &num), -1);
            EXPECT_EQ(GRD_write(slot, &rec.r, 0, &num), -1);
            EXPECT_EQ(GRD_rewind(slot), -1);
            EXPECT_EQ(GRD_get_header(slot, header), -1);
            EXPECT_EQ(GRD_get_gfile(slot), nullptr);
            EXPECT_EQ(GRD_hdr_open(slot, "x"), -1);
        }
    });
    EXPECT_NE(err.find("No grid file open in slot 2"), std::string::npos) << err;
    EXPECT_NE(err.find("Invalid grid file slot: 15"), std::string::npos) << err;
}

TEST(GrdFile, OpenRules)
{
    vyktest::TempDir dir;
    const std::string path = dir.file("a.grd");
    vyktest::write_file(path, "VYKGRID\n");
    struct Case {
        std::string name;
        int access;
        int kind;
        int opened;  // kind of the slot, -1 refused
    };
    const Case cases[] = {
        {"", GRD_ACCESS_READ, GRD_DETECT, GRD_TEXT},         // standard input, kind 2
        {"-", GRD_ACCESS_READ, GRD_NETCDF, GRD_TEXT},        // not netCDF: kind 2
        {"-", GRD_ACCESS_READ, GRD_GRIB, GRD_GRIB},          // GRIB on the standard input
        {"std", GRD_ACCESS_READ, GRD_DETECT, GRD_TEXT},      // never detected (it would be used up)
        {"-", GRD_ACCESS_CREATE, GRD_BINARY, GRD_BINARY},    // standard output
        {path, GRD_ACCESS_CREATE, GRD_DETECT, -1},   // detection only for reading
        {path, 5, GRD_TEXT, -1},                     // no such access
        {path, GRD_ACCESS_READ, 7, -1},              // no such kind
        {dir.file("none/x.grd"), GRD_ACCESS_READ, GRD_TEXT, -1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name + " " + std::to_string(c.access) + " " + std::to_string(c.kind));
        int k = c.kind;
        const int fd = GRD_open(c.name.c_str(), c.access, &k);
        if (c.opened < 0) {
            EXPECT_EQ(fd, -1);
            continue;
        }
        ASSERT_GE(fd, 0);
        EXPECT_EQ(k, c.opened);
        EXPECT_EQ(GRD_get_gfile(fd)->type, c.opened);
        EXPECT_EQ(GRD_get_gfile(fd)->std_stream, 1);
        EXPECT_EQ(GRD_rewind(fd), 0);  // nothing happens on a standard stream
        EXPECT_EQ(GRD_close(fd), 0);
    }
}

TEST(GrdFile, CommandsAreNeverReadNorDetected)
{
    vyktest::TempDir dir;
    const std::string mark = dir.file("ran");
    const std::string cmd = "|touch " + mark + "; echo VYKGRID";
    int k = GRD_DETECT;
    const std::string err = stderr_of([&] {
        EXPECT_EQ(GRD_chktype(cmd.c_str()), -1);
        EXPECT_EQ(GRD_open(cmd.c_str(), GRD_ACCESS_READ, &k), -1);
        k = GRD_TEXT;
        EXPECT_EQ(GRD_open(cmd.c_str(), GRD_ACCESS_READ, &k), -1);
        k = GRD_NETCDF;
        EXPECT_EQ(GRD_open(cmd.c_str(), GRD_ACCESS_CREATE, &k), -1);
    });
    EXPECT_NE(err.find("a command is not a grid file"), std::string::npos) << err;
    EXPECT_FALSE(FILE_exist(mark.c_str()));
    // A text grid file may be written to a command.
    const std::string out = dir.file("out.grd");
    k = GRD_TEXT;
    const int fd = GRD_open(("|cat > " + out).c_str(), GRD_ACCESS_CREATE, &k);
    ASSERT_GE(fd, 0);
    GRD_info info = gfiletest::header();
    EXPECT_EQ(GRD_putinfo(fd, &info), 0);
    Rec rec;
    gfiletest::Prod().fill(rec.r);
    int num = 0;
    EXPECT_EQ(GRD_write(fd, &rec.r, 0, &num), 0);
    EXPECT_EQ(GRD_close(fd), 0);
    EXPECT_EQ(vyktest::read_file(out).rfind("VYKGRID\n12Z 05 MAR 24\n2-500 mb", 0), 0u);
}

TEST(GrdFile, TheValueFormatHoldsOneNumericConversion)
{
    gfiletest::KeepSettings keep;
    vyktest::TempDir dir;
    gfiletest::Prod p(2, 1);
    p.values = {1.5f, -2.25f};
    auto values_text = [&] {
        const std::string path = dir.file("f.grd");
        EXPECT_TRUE(gfiletest::write(path, GRD_TEXT, {p}));
        const std::string text = vyktest::read_file(path);
        return text.substr(text.find(" 2 1\n") + 5);
    };
    EXPECT_EQ(values_text(), "1.50000000e+00\n-2.25000000e+00\n");
    EXPECT_EQ(GRD_set_format("%8.2f"), 0);
    EXPECT_STREQ(GRD_get_format(), "%8.2f");
    EXPECT_EQ(values_text(), "    1.50\n   -2.25\n");
    const std::string err = stderr_of([&] {
        for (const char *bad : {"%s", "%8.2f%f", "%n", "%d", "%123456789012345f", "x"})
            EXPECT_EQ(GRD_set_format(bad), -1) << bad;
    });
    EXPECT_NE(err.find("not one numeric conversion"), std::string::npos);
    EXPECT_NE(err.find("longer than 14"), std::string::npos);
    EXPECT_STREQ(GRD_get_format(), "%8.2f");  // a refused format keeps the one set
    EXPECT_EQ(GRD_set_format("value=%g"), 0);
    EXPECT_EQ(GRD_set_format(""), 0);
    EXPECT_STREQ(GRD_get_format(), "%14.8e");
    EXPECT_EQ(GRD_set_format(nullptr), 0);
    EXPECT_EQ(values_text(), "1.50000000e+00\n-2.25000000e+00\n");
}

TEST(GrdFile, IndexFilesAttachToGribSlotsOnly)
{
    gfiletest::KeepSettings keep;
    vyktest::TempDir dir;
    const std::string grib = dir.file("a.grb"), idx = dir.file("a.idx"), text = dir.file("a.grd");
    vyktest::write_file(grib, "GRIB");
    vyktest::write_file(idx, "0 / GRIB1 S 7\n");
    vyktest::write_file(text, "VYKGRID\n");
    int k = GRD_DETECT;
    const int g = GRD_open(grib.c_str(), GRD_ACCESS_READ, &k);
    k = GRD_DETECT;
    const int t = GRD_open(text.c_str(), GRD_ACCESS_READ, &k);
    ASSERT_GE(g, 0);
    ASSERT_GE(t, 0);
    EXPECT_EQ(GRD_hdr_open(t, idx.c_str()), -1);
    EXPECT_EQ(GRD_hdr_open(g, ""), -1);
    EXPECT_EQ(GRD_hdr_open(g, dir.file("missing").c_str()), -1);
    EXPECT_EQ(GRD_hdr_open(g, ("|cat " + idx).c_str()), -1);
    EXPECT_EQ(GRD_hdr_open(g, idx.c_str()), 0);
    EXPECT_NE(GRD_get_gfile(g)->hfile, nullptr);
    EXPECT_EQ(GRD_get_use_hdr_file(), 1);
    EXPECT_EQ(GRD_use_hdr_file(0), 0);
    EXPECT_EQ(GRD_get_use_hdr_file(), 0);
    EXPECT_EQ(GRD_hdr_open(g, idx.c_str()), -1);
    EXPECT_EQ(GRD_close(g), 0);
    EXPECT_EQ(GRD_close(t), 0);
}

TEST(GrdFile, KindsOfLaterComponentsSayTheyAreNotAvailable)
{
    vyktest::TempDir dir;
    const std::string grib = dir.file("a.grb"), grid = dir.file("a.txt");
    vyktest::write_file(grib, "GRIB");
    vyktest::write_file(grid, "GRID 12345\n");
    GRD_info info{};
    Rec rec;
    int num = 0;
    const std::string err = stderr_of([&] {
        int k = GRD_DETECT;
        int fd = GRD_open(grib.c_str(), GRD_ACCESS_READ, &k);
        EXPECT_EQ(GRD_getinfo(fd, &info), -1);
        EXPECT_EQ(GRD_read(fd, &rec.r, GRD_READ_HEADER, &num), -1);
        GRD_close(fd);
        k = GRD_DETECT;
        fd = GRD_open(grid.c_str(), GRD_ACCESS_READ, &k);
        EXPECT_EQ(GRD_getinfo(fd, &info), 0);  // one message
        num = 1;
        EXPECT_EQ(GRD_read(fd, &rec.r, GRD_READ_HEADER, &num), -1);  // past the last one
        EXPECT_EQ(GRD_putinfo(fd, &info), 0);  // a kind without a header writes none
        EXPECT_EQ(GRD_write(fd, &rec.r, 0, &num), -1);
        GRD_close(fd);
    });
    EXPECT_NE(err.find("WMO GRID files are not written"), std::string::npos) << err;
}

TEST(GrdFile, HeaderBytesAndPositionsOfTheCurrentProduct)
{
    vyktest::TempDir dir;
    const std::string path = dir.file("a.grb");
    std::string bytes = "GRIB";
    for (int i = 0; i < 200; i++) bytes += static_cast<char>('A' + i % 26);
    vyktest::write_file(path, bytes);
    int k = GRD_DETECT;
    const int fd = GRD_open(path.c_str(), GRD_ACCESS_READ, &k);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(GRD_setpos(fd, 10, 3), 1);
    EXPECT_EQ(GRD_get_gfile(fd)->num, 3);
    char header[160];
    EXPECT_EQ(GRD_get_header(fd, header), 0);  // from cur_pos, 0 here
    EXPECT_EQ(std::string(header, 6), "GRIBAB");
    EXPECT_EQ(GRD_get_pos(fd), 0);
    GRD_close(fd);
}

TEST(GrdFile, ValueFormats)
{
    gfiletest::KeepSettings keep;
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
        vyktest::CaptureStdio cap;
        EXPECT_EQ(GRD_set_format(r.format), r.result);
        cap.finish();
        EXPECT_STREQ(GRD_get_format(), r.in_force);
        EXPECT_EQ(cap.err().find("GRD_set_format:") != std::string::npos, r.result != 0) << cap.err();
    }
}

TEST(GrdFile, IndexFiles)
{
    gfiletest::KeepSettings keep;
    EXPECT_EQ(GRD_get_use_hdr_file(), 1);
    EXPECT_EQ(GRD_use_hdr_file(0), 0);
    EXPECT_EQ(GRD_get_use_hdr_file(), 0);
    EXPECT_EQ(GRD_use_hdr_file(7), 0);
    EXPECT_EQ(GRD_get_use_hdr_file(), 1);
}

