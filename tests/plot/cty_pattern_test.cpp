// The identifier patterns as a table: each rule, plain entries, parts that need their
// followers, numbers that do not parse, and the prefilter of identifiers alone.
#include <gtest/gtest.h>

#include "cty.h"
#include "vykplot.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

CTY_data station()
{
    CTY_data c;
    std::memset(&c, 0, sizeof c);
    std::strcpy(c.name, "Boulder_Mesa");
    std::strcpy(c.state, "CO");
    std::strcpy(c.region, "US");
    std::strcpy(c.id, "KBOU");
    c.prior = 3;
    c.lat = 40.0f;
    c.lon = -105.25f;
    c.el = 1612;
    c.wmo = 72469;
    return c;
}

int cmp(const std::vector<std::string> &entries, const CTY_data &c)
{
    std::vector<char *> ids;
    for (const std::string &e : entries) ids.push_back(const_cast<char *>(e.c_str()));
    return CTY_data_cmp(static_cast<int>(ids.size()), ids.data(), &c);
}

TEST(CtyPattern, EntriesAsATable)
{
    const CTY_data c = station();
    const struct {
        const char *entry;
        bool match;
    } rows[] = {
        {"KBOU", true}, {"kbou", true}, {"KDEN", false}, {"72469", true}, {"72468", false},
        {"Bould", true}, {"boulder_m", true}, {"Boul", false},  // name beginnings of 5 or more
        {"Name=boul", true}, {"Name=Mesa", false}, {"ST=CO", true}, {"st=co", true},
        {"ST=CO_US", true}, {"ST=CO_CA", false}, {"ST=C", false}, {"ST:CO", true},
        {"ST:CO_US", true}, {"ST", false}, {"ST:WY", false}, {"CN=US", true}, {"CN:US", true},
        {"CN=CA", false}, {"CN", false}, {"ID=kbou", true}, {"ID=KBO", false},
        {"P=3", true}, {"P<3", true}, {"P>3", true}, {"P<2", false}, {"P>4", false},
        {"P=x", false}, {"P=3.5", false}, {"Lat>40", true}, {"Lat<40", true}, {"Lat=40", true},
        {"Lat>40.1", false}, {"Lon<-105", true}, {"Lon>-105", false}, {"Elev>1600", true},
        {"Elev<1600", false}, {"WMO=72469", true}, {"WMO<72469", true}, {"WMO>72470", false},
        {"CN=US:P<2", false}, {"CN=US:P<3", true}, {"CN=US:ST:CO:P>1", true},
        {"RA<40:-105:30", true},   // 21 km away
        {"RA<40:-105:20", false},
        {"RA<40:-105", false},     // the distance is missing
        {"RA<40:x:30", false}, {"CN=US:bogus", false}, {"", false}, {":", false},
    };
    for (const auto &r : rows) EXPECT_EQ(cmp({r.entry}, c), r.match ? 0 : -1) << r.entry;
}

TEST(CtyPattern, FirstMatchingEntryAndThePlainTestOfAPattern)
{
    CTY_data c = station();
    EXPECT_EQ(cmp({}, c), 1);
    EXPECT_EQ(cmp({"KDEN", "CN=CA", "P<5", "KBOU"}, c), 2);
    // An id that equals the whole entry matches whatever the pattern says.
    std::strcpy(c.id, "P<1");
    EXPECT_EQ(cmp({"P<1"}, c), 0);
}

TEST(CtyPattern, IdentifiersAlone)
{
    std::vector<std::string> plain = {"KDEN", "kbou"};
    std::vector<char *> ids;
    for (std::string &e : plain) ids.push_back(e.data());
    EXPECT_EQ(CTY_ids_cmp(0, nullptr, "KXXX"), 1);
    EXPECT_EQ(CTY_ids_cmp(2, ids.data(), "KBOU"), 1);
    EXPECT_EQ(CTY_ids_cmp(2, ids.data(), "KXXX"), 0);
    std::string pattern = "ST=CO";
    char *with[] = {ids[0], pattern.data()};
    EXPECT_EQ(CTY_ids_cmp(2, with, "KXXX"), 1);  // a pattern lets every identifier through
    EXPECT_EQ(CTY_id_cmp("lat<5", "X"), 1);
    EXPECT_EQ(CTY_id_cmp("KDEN", "kden"), 1);
    EXPECT_EQ(CTY_id_cmp("KDEN", "KBOU"), 0);
    EXPECT_EQ(CTY_id_cmp("STX", "KBOU"), 0);
}

}  // namespace
