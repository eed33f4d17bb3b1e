// WMO numbers and coded identifiers: the ranges' edges and forms as a table, the reverse
// reading of odd texts, and the round trip of every number from 0 to 99999.
#include <gtest/gtest.h>

#include "cty.h"
#include "vykplot.h"

#include <string>

namespace {

std::string coded(int wmo)
{
    char id[WMO_ID_LEN];
    wmo_to_id(id, wmo);
    return id;
}

TEST(WmoId, NumbersToIdentifiers)
{
    const struct {
        int wmo;
        const char *id;
    } rows[] = {
        {1000, "EN000"}, {1499, "EN499"}, {1500, "01500"}, {999, "00999"},
        {67753, "FL753"}, {67754, "67754"}, {67755, "FV755"}, {64360, "FZ360"}, {64361, "64361"},
        {64379, "64379"}, {20000, "U0000"}, {39999, "X9999"}, {55123, "Z5123"},
        {95999, "Y5999"}, {94099, "94099"}, {94100, "Y4100"}, {72469, "K2469"},
        {91700, "N1700"}, {40400, "OE400"}, {41100, "OE100"}, {41155, "OB155"},
        {35123, "X5123"}, {47000, "ZK000"}, {44000, "ZM000"}, {0, "00000"}, {99999, "99999"},
    };
    for (const auto &r : rows) EXPECT_EQ(coded(r.wmo), r.id) << r.wmo;
    EXPECT_EQ(coded(-5), "-00005");  // numbers outside the table keep their own digits
}

TEST(WmoId, IdentifiersToNumbers)
{
    const struct {
        const char *id;
        int wmo;
        int result;
    } rows[] = {
        {"72469", 72469, -1}, {"KBOS", WMO_NONE, -1}, {"K2469", 72469, 0}, {"kx469", 469, 0},
        {"QQ123", 123, 0},    {"U-123", 19877, 0},    {"UA123", 20000, 0}, {"OE300", 300, 0},
        {"OE301", 40301, 0},  {"OE299", 41299, 0},    {"ZK123", 47123, 0}, {"Z5123", 55123, 0},
        {"EN12A", WMO_NONE, -1}, {"1N123", WMO_NONE, -1}, {"", WMO_NONE, -1},
        {"EN1234", WMO_NONE, -1},
    };
    for (const auto &r : rows) {
        int wmo = -1;
        EXPECT_EQ(id_to_wmo(r.id, &wmo), r.result) << r.id;
        EXPECT_EQ(wmo, r.wmo) << r.id;
    }
}

TEST(WmoId, EveryNumberRoundTrips)
{
    for (int wmo = 0; wmo <= 99999; wmo++) {
        const std::string id = coded(wmo);
        ASSERT_EQ(id.size(), 5u) << wmo;
        int back = -1;
        const int result = id_to_wmo(id.c_str(), &back);
        ASSERT_EQ(back, wmo) << id;
        // The numbers that no range covers come back as plain numbers.
        const bool plain = id[0] >= '0' && id[0] <= '9';
        ASSERT_EQ(result, plain ? -1 : 0) << id;
    }
}

}  // namespace
