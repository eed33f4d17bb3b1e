// The station table: what CTY_store keeps (priority, patterns, domain), the keys and plot
// identifiers of each store type and id type, the nearest-station search against distances
// computed here, and the user buffers.
#include <gtest/gtest.h>

#include "test_util.h"
#include "cty.h"
#include "vykplot.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

using vyktest::TempDir;
using vyktest::write_file;

namespace {

const char *STATIONS =
    "Denver_Intl      CO US KDEN  3    39.85 -104.66  1655 72565\n"
    "Boulder          CO US KBOU  2    40.01 -105.25  1612 99999 7\n"
    "Platteville      CO US 1-PLT 5    40.18 -104.73  1524 72469\n"
    "Pueblo           CO US KPUB  1    38.29 -104.50  1439 72464\n"
    "Buoy_A           -- B_ 1-003 6    40.00 -100.20     0 44003\n"
    "Same_Cell        CO US KSAM  4    39.85 -104.66  1600 99999\n"
    "Far_Away         WA US KSEA  0    47.45 -122.31   130 72793\n";

class CtyStore : public ::testing::Test {
protected:
    void SetUp() override
    {
        write_file(dir.file("sao.cty"), STATIONS);
        RES_put("file_path", dir.path().c_str());
        ASSERT_GT(DOM_decode("ll,40,-100,41,21,0.5,0.5", &dom), 0);
    }
    int store(int type, int prior = VYK_MISS) { return CTY_store(nullptr, type, &dom, prior); }
    TempDir dir;
    Domain dom{};
};

TEST_F(CtyStore, KeepsThePriorityThePatternsAndTheDomain)
{
    ASSERT_GT(store(CTY_STORE_FULL), 0);
    CTY_data c;
    EXPECT_EQ(CTY_search("KDEN", &c), 1);
    EXPECT_EQ(c.wmo, 72565);
    EXPECT_EQ(CTY_search("KSEA", &c), 0);  // outside the domain
    EXPECT_EQ(CTY_search("72565", &c), 1);  // by WMO key
    EXPECT_STREQ(c.id, "KDEN");
    EXPECT_EQ(CTY_search("b44003", &c), 1);  // a buoy's WMO key
    EXPECT_STREQ(c.id, "1-003");
    EXPECT_EQ(CTY_search("99999", &c), 1);  // the first station without a number
    EXPECT_STREQ(c.id, "KBOU");
    EXPECT_EQ(CTY_search("K2469", &c), 1);  // a coded identifier finds the number
    EXPECT_STREQ(c.id, "1-PLT");

    ASSERT_GT(store(CTY_STORE_FULL, 2), 0);
    EXPECT_EQ(CTY_search("KDEN", &c), 0);
    EXPECT_EQ(CTY_search("KBOU", &c), 1);

    RES_put("identifier", "ST=CO:P<2,72464");
    ASSERT_GT(store(CTY_STORE_FULL), 0);
    EXPECT_EQ(CTY_search("KBOU", &c), 1);
    EXPECT_EQ(CTY_search("KPUB", &c), 1);
    EXPECT_EQ(CTY_search("KDEN", &c), 0);
    RES_put("identifier", "ALL");
    ASSERT_GT(store(CTY_STORE_FULL), 0);
    EXPECT_EQ(CTY_search("KDEN", &c), 1);

    CTY_clear();
    EXPECT_EQ(CTY_search("KDEN", &c), 0);
    RES_put("city_file", "none");
    EXPECT_EQ(store(CTY_STORE_FULL), 0);
}

TEST_F(CtyStore, PlotIdentifiersOfEachIdType)
{
    const struct {
        int id_type;
        const char *plt, *den, *bou, *buoy;
    } rows[] = {
        {CTY_ID_STATION, "72469", "KDEN", "KBOU", "b44003"},
        {CTY_ID_WMO, "72469", "72565", "KBOU", "b44003"},
        {CTY_ID_CODED, "K2469", "KDEN", "KBOU", "b44003"},
    };
    for (const auto &r : rows) {
        CTY_set_id_type(r.id_type);
        ASSERT_GT(store(CTY_STORE_XY), 0);
        CTY_locate loc{};
        for (const char *id : {r.plt, r.den, r.bou}) {
            // Each plot identifier finds its station (numbers through the WMO key).
            EXPECT_EQ(CTY_search(id, &loc), 1) << r.id_type << " " << id;
            EXPECT_STREQ(loc.id, id) << r.id_type;
        }
        EXPECT_EQ(CTY_search("b44003", &loc), 1);
        EXPECT_STREQ(loc.id, r.buoy) << r.id_type;
    }
    CTY_locate loc{};
    EXPECT_EQ(CTY_search("KPUB", &loc), 1);
    float x, y;
    MAP_tran(38.29f, -104.50f, &x, &y);
    EXPECT_FLOAT_EQ(loc.x, x);
    EXPECT_FLOAT_EQ(loc.y, y);
    EXPECT_EQ(loc.pr, 1);
    EXPECT_FLOAT_EQ(loc.el, 1439);
}

double haversine_km(double lat1, double lon1, double lat2, double lon2)
{
    const double r = M_PI / 180, dlat = (lat2 - lat1) * r, dlon = (lon2 - lon1) * r;
    const double a = std::pow(std::sin(dlat / 2), 2) +
                     std::cos(lat1 * r) * std::cos(lat2 * r) * std::pow(std::sin(dlon / 2), 2);
    return 2 * 6371.2 * std::asin(std::sqrt(a));
}

TEST_F(CtyStore, NearestStation)
{
    ASSERT_GT(store(CTY_STORE_XY_LOC), 0);
    const struct {
        float lat, lon;
    } points[] = {{39.84f, -104.67f}, {40.3f, -105.5f}, {38.0f, -104.0f}, {40.2f, -104.7f},
                  {39.0f, -101.0f}};
    const char *ids[] = {"KDEN", "KBOU", "72469", "KPUB", "b44003", "KSAM"};
    const float lats[] = {39.85f, 40.01f, 40.18f, 38.29f, 40.00f, 39.85f};
    const float lons[] = {-104.66f, -105.25f, -104.73f, -104.50f, -100.20f, -104.66f};
    for (const auto &p : points) {
        CTY_locate loc{};
        ASSERT_EQ(CTY_search_loc(p.lat, p.lon, &loc), 1) << p.lat << " " << p.lon;
        // The answer is the nearest station by great-circle distance (these points have no
        // near ties).
        int best = 0;
        for (int i = 1; i < 6; i++)
            if (haversine_km(p.lat, p.lon, lats[i], lons[i]) <
                haversine_km(p.lat, p.lon, lats[best], lons[best]))
                best = i;
        EXPECT_STREQ(loc.id, ids[best]) << p.lat << " " << p.lon;
    }
    CTY_locate loc{};
    // Two stations in one cell: the one stored first (found here on the ring's south-west
    // corner).
    EXPECT_EQ(CTY_search_loc(39.86f, -104.64f, &loc), 1);
    EXPECT_STREQ(loc.id, "KDEN");
    EXPECT_EQ(CTY_search_loc(10, 10, &loc), 0);  // nothing within 4.9 degrees
    // The south-west corner of a ring is searched too: the station lies 0.3 degrees south-west.
    EXPECT_EQ(CTY_search_loc(38.59f, -104.20f, &loc), 1);
    EXPECT_STREQ(loc.id, "KPUB");
    // Only the location-keyed table answers.
    ASSERT_GT(store(CTY_STORE_XY), 0);
    EXPECT_EQ(CTY_search_loc(39.9f, -104.7f, &loc), 0);
}

TEST_F(CtyStore, NegativeZeroKeysAreZero)
{
    write_file(dir.file("zero.cty"), "Zero XX XX ZERO 1 0.02 -0.03 0 99999\n");
    ASSERT_GT(DOM_decode("ll,0,0,41,21,0.5,0.5", &dom), 0);
    ASSERT_GT(CTY_store("zero.cty", CTY_STORE_XY_LOC, &dom, VYK_MISS), 0);
    CTY_locate loc{};
    EXPECT_EQ(CTY_search_loc(-0.01f, 0.01f, &loc), 1);
    EXPECT_STREQ(loc.id, "ZERO");
}

TEST_F(CtyStore, LargeFileKeepsItsBucketsAndFindsEveryStation)
{
    // 60,000 stations (more than 4,000 buckets hold in short chains): the table keeps the
    // bucket count of the file, and every station is found by identifier, by number and by
    // location; a station sharing a cell or a number with an earlier one leaves the earlier.
    std::string text;
    char line[96];
    const int n = 60000, rows = 300;
    for (int k = 0; k < n; k++) {
        std::snprintf(line, sizeof line, "S%06d XX XX S%06d 3 %.1f %.1f 0 %05d\n", k, k,
                      -60.0 + 0.2 * (k % rows), -170.0 + 0.5 * (k / rows), 10000 + k % 50000);
        text += line;
    }
    text += "Late XX XX LATE 3 -60.0 -170.0 0 10000\n";  // the cell and number of S000000
    write_file(dir.file("big.cty"), text);
    ASSERT_GT(DOM_decode("ll,0,0,361,181,1,1", &dom), 0);
    ASSERT_GT(CTY_store("big.cty", CTY_STORE_XY_LOC, &dom, VYK_MISS), 0);
    ASSERT_NE(CTY_get_table(), nullptr);
    EXPECT_EQ(CTY_get_table()->tab_size, 4000);
    EXPECT_EQ(CTY_get_table()->num_entry, n + 1);
    for (int k = 0; k < n; k += 199) {
        SCOPED_TRACE(k);
        char id[16], wmo[16];
        std::snprintf(id, sizeof id, "S%06d", k);
        std::snprintf(wmo, sizeof wmo, "%05d", 10000 + k % 50000);
        CTY_locate loc{};
        ASSERT_EQ(CTY_search(id, &loc), 1);
        EXPECT_STREQ(loc.id, id);
        ASSERT_EQ(CTY_search(wmo, &loc), 1);
        EXPECT_EQ(loc.wmo, 10000 + k % 50000);
        const float lat = static_cast<float>(-60.0 + 0.2 * (k % rows) + 0.04);
        const float lon = static_cast<float>(-170.0 + 0.5 * (k / rows) - 0.03);
        ASSERT_EQ(CTY_search_loc(lat, lon, &loc), 1);
        EXPECT_STREQ(loc.id, id);
    }
    CTY_locate loc{};
    ASSERT_EQ(CTY_search_loc(-60.0f, -170.0f, &loc), 1);
    EXPECT_STREQ(loc.id, "S000000");
    ASSERT_EQ(CTY_search("10000", &loc), 1);
    EXPECT_STREQ(loc.id, "S000000");
    ASSERT_EQ(CTY_search("LATE", &loc), 1);
    EXPECT_EQ(CTY_search_loc(80.0f, 0.0f, &loc), 0);  // nothing within 4.9 degrees
}

void fill(const CTY_data *city, char *buf) { std::snprintf(buf, 16, "%s!", city->id); }

TEST_F(CtyStore, UserBuffers)
{
    CTY_data_size(16);
    CTY_enter_func(fill);
    ASSERT_GT(store(CTY_STORE_FULL), 0);
    ASSERT_NE(CTY_get_data("KDEN"), nullptr);
    EXPECT_STREQ(CTY_get_data("KDEN"), "KDEN!");
    EXPECT_STREQ(CTY_get_data("72464"), "KPUB!");
    EXPECT_EQ(CTY_get_data("NONE"), nullptr);
    CTY_make_entry_simple("EXTRA", "12345");
    EXPECT_STREQ(CTY_get_data("12345"), "EXTRA!");
    int n = 0;
    for (char *b = CTY_next_data(0); b; b = CTY_next_data(1)) n++;
    EXPECT_EQ(n, 7);
    CTY_clear_data(1);
    EXPECT_STREQ(CTY_get_data("KDEN"), "");
    CTY_clear_data(0);
    EXPECT_EQ(CTY_get_data("KDEN"), nullptr);
    CTY_clear();
    EXPECT_EQ(CTY_get_data("KDEN"), nullptr);
    EXPECT_EQ(CTY_get_table(), nullptr);
}

}  // namespace
