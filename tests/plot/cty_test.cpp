// The station file: fields and their marks, lines that are not stations, the choice of the
// database file, and lookups by identifier, name and WMO number.
#include <gtest/gtest.h>

#include "test_util.h"
#include "cty.h"
#include "vykplot.h"

#include <string>

using vyktest::CaptureStdio;
using vyktest::TempDir;
using vyktest::has;
using vyktest::write_file;

namespace {

const char *STATIONS =
    "Denver_Intl      CO US KDEN  *3*  39.85 -104.66  1655 72565\n"
    "Boulder          CO US KBOU  3    40.01 -105.25  1612 99999 7\n"
    "Platteville      CO US PLT   *5   40.18 -104.73  1524 99999\n"
    "no_station_here\n"
    "Pikes_Peak       CO US KPIK  x    38.84 -105.04  4300 99999\n"
    "Summit           CO US KSUM  4    north -105.00  3000 99999\n"
    "\n"
    "Mount_Everest_Base_Camp_Long NP NP VNEVEREST99 9 27.98 86.92 9001 44454 12\n"
    "Buoy_1           -- B_ 1-003  6    40.00  -70.00  0 44003\n";

class Cty : public ::testing::Test {
protected:
    void SetUp() override
    {
        write_file(dir.file("sao.cty"), STATIONS);
        RES_put("file_path", dir.path().c_str());
    }
    TempDir dir;
};

TEST_F(Cty, ReadsStationsAndPassesOverLinesThatAreNone)
{
    CaptureStdio cap;
    ASSERT_GE(CTY_open(dir.file("sao.cty").c_str(), 0, 7), 0);
    CTY_info info{};
    EXPECT_EQ(CTY_getinfo(0, &info), 0);
    EXPECT_EQ(info.dtype, 7);
    CTY_data c;
    CTY_data_init(&c);
    ASSERT_EQ(CTY_read(0, &c), 9);
    EXPECT_STREQ(c.name, "Denver_Intl");
    EXPECT_STREQ(c.state, "CO");
    EXPECT_STREQ(c.region, "US");
    EXPECT_STREQ(c.id, "KDEN");
    EXPECT_EQ(c.prior, 3);
    EXPECT_EQ(c.mos, '*');
    EXPECT_EQ(c.ua, '*');
    EXPECT_FLOAT_EQ(c.lat, 39.85f);
    EXPECT_FLOAT_EQ(c.lon, -104.66f);
    EXPECT_FLOAT_EQ(c.el, 1655);
    EXPECT_EQ(c.wmo, 72565);
    EXPECT_EQ(c.num, 0);
    ASSERT_EQ(CTY_read(0, &c), 10);
    EXPECT_STREQ(c.id, "KBOU");
    EXPECT_EQ(c.mos, ' ');
    EXPECT_EQ(c.ua, ' ');
    EXPECT_EQ(c.num, 7);
    ASSERT_EQ(CTY_read(0, &c), 9);  // a line of nine fields leaves num 0
    EXPECT_STREQ(c.id, "PLT");
    EXPECT_EQ(c.num, 0);
    EXPECT_EQ(c.mos, '*');
    EXPECT_EQ(c.ua, ' ');
    // Four lines that are no stations (no fields, a priority that is no digit, a latitude that
    // is no number, a name so long that the fields after it shift) are passed over: the next
    // station is whole.
    ASSERT_EQ(CTY_read(0, &c), 9);
    EXPECT_STREQ(c.id, "1-003");
    EXPECT_STREQ(c.region, "B_");
    EXPECT_EQ(c.wmo, 44003);
    EXPECT_EQ(c.num, 0);
    EXPECT_EQ(CTY_read(0, &c), -1);
    cap.finish();
    EXPECT_EQ(vyktest::count(cap.out() + cap.err(), "is no station"), 4) << cap.err();
    EXPECT_TRUE(has(cap.out() + cap.err(), "line 4 ")) << cap.err();
    CTY_close(0);
}

TEST_F(Cty, ElevationsAboveTheLimitAreMissing)
{
    write_file(dir.file("el.cty"),
               "A XX XX AAAA 1 10 10 9000 99999\nB XX XX BBBB 1 10 10 9000.5 99999\n");
    CTY_data c;
    CTY_data_init(&c);
    ASSERT_GE(CTY_open(dir.file("el.cty").c_str(), 0, 0), 0);
    ASSERT_GT(CTY_read(0, &c), 0);
    EXPECT_FLOAT_EQ(c.el, 9000);
    ASSERT_GT(CTY_read(0, &c), 0);
    EXPECT_EQ(c.el, VYK_MISS);
    EXPECT_EQ(CTY_read(0, &c), -1);
    EXPECT_EQ(CTY_close(0), 0);
    EXPECT_EQ(CTY_close(0), -1);
    EXPECT_EQ(CTY_read(0, &c), -1);
    EXPECT_EQ(CTY_rewind(0), -1);
    EXPECT_EQ(CTY_open(dir.file("el.cty").c_str(), 2, 0), -1);
}

TEST_F(Cty, LooksStationsUpByIdNameAndNumber)
{
    CTY_data c;
    CTY_data_init(&c);
    EXPECT_EQ(CTY_get(nullptr, "kden", &c), 1);
    EXPECT_STREQ(c.id, "KDEN");
    EXPECT_EQ(CTY_get(nullptr, "boulder", &c), 1);
    EXPECT_STREQ(c.id, "KBOU");
    EXPECT_EQ(CTY_get(nullptr, "72565", &c), 1);
    EXPECT_STREQ(c.id, "KDEN");
    EXPECT_EQ(CTY_get(nullptr, "KXXX", &c), 0);
    float lat = 1, lon = 2;
    EXPECT_EQ(CTY_get_loc(nullptr, "KBOU", &lat, &lon), 1);
    EXPECT_FLOAT_EQ(lat, 40.01f);
    EXPECT_FLOAT_EQ(lon, -105.25f);
    lat = lon = 5;
    EXPECT_EQ(CTY_get_loc(nullptr, "NOPE", &lat, &lon), 0);
    EXPECT_EQ(lat, 5);

    // The resource names the file; "none" means no database, without a message.
    RES_put("city_file", "none");
    CaptureStdio cap;
    EXPECT_EQ(CTY_get(nullptr, "KDEN", &c), 0);
    RES_put("city_file", "missing.cty");
    EXPECT_EQ(CTY_get(nullptr, "KDEN", &c), 0);
    cap.finish();
    EXPECT_FALSE(has(cap.out() + cap.err(), "none"));
    EXPECT_TRUE(has(cap.out() + cap.err(), "CTY_open_file: Database file not found: " +
                                               dir.file("missing.cty")));
}

TEST_F(Cty, TableSizeFromTheFileSize)
{
    write_file(dir.file("tiny.cty"), "A XX XX AAAA 1 10 10 0 99999\n");  // under 59 bytes
    int num = -1;
    ASSERT_GE(CTY_open_file("tiny.cty", &num), 0);
    EXPECT_EQ(num, 1);
    write_file(dir.file("big.cty"), std::string(59 * 5000, ' '));
    ASSERT_GE(CTY_open_file("big.cty", &num), 0);
    EXPECT_EQ(num, 4000);
    ASSERT_GE(CTY_open_file("sao.cty", &num), 0);
    EXPECT_EQ(num, static_cast<int>(std::string(STATIONS).size() / 59));
    CTY_close(0);
}

TEST(CtyPrior, FromTheResource)
{
    EXPECT_EQ(CTY_get_prior(), 10);
    RES_put("stat_prior", "4");
    EXPECT_EQ(CTY_get_prior(), 4);
}

}  // namespace
