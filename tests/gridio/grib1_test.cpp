// GRIB edition 1 decoding, cross-checked with eccodes: files made by grib_set and grib_filter
// from eccodes' samples (latitude-longitude in every scanning direction, polar stereographic,
// Lambert conformal, Gaussian, thinned Gaussian; with and without bit maps; bit widths from 0
// to 30; decimal and binary scales) decode to grib_get_data's values at grib_get_data's
// places, with grib_get's date, level, parameter and centre.  Then the product definition's
// codes and names as a table, the corrupt-data check, and hostile messages.
#include <gtest/gtest.h>

#include "gfile_fixture.h"
#include "grib_fixture.h"
#include "test_util.h"
#include "grib.h"
#include "grib1.h"

#include <cmath>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace {

/// Deterministic values with structure along both axes.
std::vector<double> field(int n, double base, double amp, int missing_every = 0)
{
    std::vector<double> v(static_cast<size_t>(n));
    for (int i = 0; i < n; i++) {
        v[size_t(i)] = base + amp * std::sin(i * 0.37) + 0.01 * i;
        if (missing_every && i % missing_every == 3) v[size_t(i)] = gribtest::MISSING;
    }
    return v;
}

struct GenCase {
    const char *name;
    const char *sample;
    std::string keys;
    std::string pre, post;
    int nx, ny;            // 0: from the file (thinned)
    double base, amp;
    int missing_every;     // a bit map with every such value missing
    bool latlon;           // places checked on the domain
};

const std::string NCEP = "centre=7,table2Version=2,generatingProcessIdentifier=96,"
                         "indicatorOfParameter=11,indicatorOfTypeOfLevel=100,level=850,"
                         "dataDate=20261211,dataTime=600,unitOfTimeRange=1,P1=12,";
const std::string LL16x11 =
    "Ni=16,Nj=11,iDirectionIncrementInDegrees=2.5,jDirectionIncrementInDegrees=2,";

const std::vector<GenCase> &gen_cases()
{
    static const std::vector<GenCase> cases = {
        {"latlon north to south, 16 bits, decimal scale", "GRIB1",
         NCEP + LL16x11 + "latitudeOfFirstGridPointInDegrees=60,latitudeOfLastGridPointInDegrees=40,"
                "longitudeOfFirstGridPointInDegrees=-20,longitudeOfLastGridPointInDegrees=17.5",
         "set bitsPerValue = 16;", "set decimalScaleFactor = 2;", 16, 11, 280, 30, 0, true},
        {"latlon south to north, 12 bits, bit map", "GRIB1",
         NCEP + LL16x11 + "jScansPositively=1,latitudeOfFirstGridPointInDegrees=40,"
                "latitudeOfLastGridPointInDegrees=60,longitudeOfFirstGridPointInDegrees=-20,"
                "longitudeOfLastGridPointInDegrees=17.5",
         "set bitsPerValue = 12;", "", 16, 11, 1000, 20, 7, true},
        {"latlon east to west, 24 bits", "GRIB1",
         NCEP + LL16x11 + "iScansNegatively=1,latitudeOfFirstGridPointInDegrees=60,"
                "latitudeOfLastGridPointInDegrees=40,longitudeOfFirstGridPointInDegrees=17.5,"
                "longitudeOfLastGridPointInDegrees=-20",
         "set bitsPerValue = 24;", "", 16, 11, 5, 2, 0, true},
        {"latlon east to west and south to north, 8 bits, binary scale", "GRIB1",
         NCEP + LL16x11 + "iScansNegatively=1,jScansPositively=1,"
                "latitudeOfFirstGridPointInDegrees=-10,latitudeOfLastGridPointInDegrees=10,"
                "longitudeOfFirstGridPointInDegrees=350,longitudeOfLastGridPointInDegrees=312.5",
         "set bitsPerValue = 8;", "", 16, 11, -50000, 40000, 0, true},
        {"latlon, 1 bit", "GRIB1",
         NCEP + LL16x11 + "latitudeOfFirstGridPointInDegrees=60,latitudeOfLastGridPointInDegrees=40,"
                "longitudeOfFirstGridPointInDegrees=0,longitudeOfLastGridPointInDegrees=37.5",
         "set bitsPerValue = 1;", "", 16, 11, 0.5, 0.6, 0, true},
        {"latlon, 30 bits, bit map", "GRIB1",
         NCEP + LL16x11 + "latitudeOfFirstGridPointInDegrees=60,latitudeOfLastGridPointInDegrees=40,"
                "longitudeOfFirstGridPointInDegrees=0,longitudeOfLastGridPointInDegrees=37.5",
         "set bitsPerValue = 30;", "", 16, 11, 101325, 3000, 5, true},
        {"latlon constant, 0 bits", "GRIB1",
         NCEP + LL16x11 + "latitudeOfFirstGridPointInDegrees=60,latitudeOfLastGridPointInDegrees=40,"
                "longitudeOfFirstGridPointInDegrees=0,longitudeOfLastGridPointInDegrees=37.5",
         "set bitsPerValue = 16;", "", 16, 11, 273.15, 0, 0, true},
        {"ECMWF temperature", "GRIB1",
         "indicatorOfParameter=130,Ni=9,Nj=5,iDirectionIncrementInDegrees=1,"
         "jDirectionIncrementInDegrees=1,latitudeOfFirstGridPointInDegrees=50,"
         "latitudeOfLastGridPointInDegrees=46,longitudeOfFirstGridPointInDegrees=0,"
         "longitudeOfLastGridPointInDegrees=8",
         "set bitsPerValue = 16;", "", 9, 5, 250, 10, 0, true},
        {"polar stereographic", "polar_stereographic_sfc_grib1",
         NCEP + "Nx=15,Ny=11,DxInMetres=100000,DyInMetres=100000,"
                "orientationOfTheGridInDegrees=-105,latitudeOfFirstGridPointInDegrees=35,"
                "longitudeOfFirstGridPointInDegrees=-115,jScansPositively=1",
         "set bitsPerValue = 16;", "", 15, 11, 290, 8, 0, false},
        {"Lambert conformal", "GRIB1",
         NCEP + "gridType=lambert,Nx=21,Ny=15,latitudeOfFirstGridPointInDegrees=30,"
                "longitudeOfFirstGridPointInDegrees=-110,LoVInDegrees=-95,DxInMetres=50000,"
                "DyInMetres=50000,Latin1InDegrees=35,Latin2InDegrees=45,jScansPositively=1",
         "set bitsPerValue = 14;", "", 21, 15, 1500, 100, 0, false},
        {"Gaussian", "regular_gg_sfc_grib1", NCEP.substr(0, NCEP.size() - 1),
         "set bitsPerValue = 16;", "", 128, 64, 100000, 2000, 0, false},
        {"Mercator", "GRIB1",
         // (eccodes places Mercator rows by its own earth: the values alone are compared)
         NCEP + "gridType=mercator,Ni=10,Nj=9,jScansPositively=1,"
                "latitudeOfFirstGridPointInDegrees=10,longitudeOfFirstGridPointInDegrees=-100,"
                "latitudeOfLastGridPointInDegrees=30,longitudeOfLastGridPointInDegrees=-80,"
                "LaDInDegrees=20,DiInMetres=200000,DjInMetres=250000",
         "set bitsPerValue = 20;", "", 10, 9, 10, 3, 0, false},
    };
    return cases;
}

/// Our array index of eccodes' k-th point: the data run along rows in the scanning direction.
size_t our_index(size_t k, int nx, int ny, int scan)
{
    const int i = int(k % size_t(nx)), j = int(k / size_t(nx));
    const int row = (scan & 0x40) ? ny - 1 - j : j;
    const int col = (scan & 0x80) ? nx - 1 - i : i;
    return size_t(col) + size_t(row) * size_t(nx);
}

double wrap(double lon)
{
    while (lon > 180) lon -= 360;
    while (lon <= -180) lon += 360;
    return lon;
}

/// Reads product 0 of a file with its values.
int read_values(const std::string &file, gribtest::Rec &rec)
{
    gribtest::Open g(file);
    if (g.info_result != 0) return -1;
    int num = 0;
    return GRD_read(g.slot, &rec.r, GRD_READ_VALUES, &num);
}

}  // namespace

TEST(Grib1, EveryGeneratedFileEqualsEccodes)
{
    vyktest::TempDir dir;
    for (const GenCase &c : gen_cases()) {
        SCOPED_TRACE(c.name);
        const std::string file = dir.file("f.grib1");
        gribtest::make(file, gribtest::sample(c.sample), c.keys, c.pre,
                       field(c.nx * c.ny, c.base, c.amp, c.missing_every), c.post,
                       c.missing_every > 0);
        const std::vector<gribtest::Point> pts = gribtest::points(file);
        ASSERT_EQ(pts.size(), size_t(c.nx * c.ny));
        std::istringstream k(gribtest::keys(
            file, "dataDate,dataTime,indicatorOfTypeOfLevel:i,level,indicatorOfParameter:i,"
                  "centre:i,generatingProcessIdentifier,scanningMode"));
        long date = 0;
        int hhmm = 0, ltype = 0, level = 0, param = 0, centre = 0, model = 0, scan = 0;
        ASSERT_TRUE(k >> date >> hhmm >> ltype >> level >> param >> centre >> model >> scan);

        gribtest::Rec rec;
        ASSERT_EQ(read_values(file, rec), 0);
        const GRD_report &g = rec.r;
        ASSERT_NE(g.grid, nullptr);
        EXPECT_EQ(g.date.year * 10000 + g.date.month * 100 + g.date.day, date);
        EXPECT_EQ(g.date.hour * 100 + g.date.min, hhmm);
        EXPECT_EQ(g.ltype, ltype);
        EXPECT_EQ(g.level, level);
        EXPECT_EQ(g.source, centre);
        EXPECT_EQ(g.model, model);
        if (centre == 98) {
            EXPECT_EQ(param, 130);
            EXPECT_EQ(g.var, 11);  // ECMWF's temperature renumbered
            EXPECT_STREQ(g.units, "K");
        } else {
            EXPECT_EQ(g.var, param);
            EXPECT_EQ(g.time, 12);
        }
        EXPECT_EQ(g.domain.nx, c.nx);
        EXPECT_EQ(g.domain.ny, c.ny);
        EXPECT_NE(g.info[0], '\0');
        EXPECT_NE(g.datim[0], '\0');

        const Domain &d = g.domain;
        for (size_t n = 0; n < pts.size(); n++) {
            const gribtest::Point &p = pts[n];
            const size_t at = our_index(n, c.nx, c.ny, scan);
            const float v = g.grid[at];
            if (p.missing) {
                EXPECT_EQ(v, -9999.0f) << n;
            } else {
                EXPECT_NEAR(v, p.value, 1e-5 * std::max(1.0, std::fabs(p.value))) << n;
            }
            if (c.latlon) {
                // The place of our point from the domain: north row first, west to east.
                const int row = int(at / size_t(c.nx)), col = int(at % size_t(c.nx));
                const double lat = d.clat + d.dy * ((c.ny - 1) / 2.0 - row);
                const double lon = d.clon + d.dx * (col - (c.nx - 1) / 2.0);
                EXPECT_NEAR(lat, p.lat, 1e-3) << n;
                EXPECT_NEAR(wrap(lon - p.lon), 0, 1e-3) << n;
            }
        }
        if (!c.latlon && (c.nx % 2) && (c.ny % 2)) {
            // The centre of a projected grid is its middle point.
            const gribtest::Point &mid = pts[size_t(c.ny / 2 * c.nx + c.nx / 2)];
            EXPECT_NEAR(d.clat, mid.lat, 0.05);
            EXPECT_NEAR(wrap(d.clon - mid.lon), 0, 0.05);
        }
    }
}

TEST(Grib1, ProjectedGridsGetTheirDomain)
{
    vyktest::TempDir dir;
    const std::string file = dir.file("l.grib1");
    const GenCase &lam = gen_cases()[9];
    gribtest::make(file, gribtest::sample(lam.sample), lam.keys, lam.pre,
                   field(lam.nx * lam.ny, 1, 1), lam.post);
    gribtest::Rec rec;
    ASSERT_EQ(read_values(file, rec), 0);
    const Domain &d = rec.r.domain;
    EXPECT_EQ(d.proj, 4);
    EXPECT_FLOAT_EQ(d.plon, -95);
    EXPECT_FLOAT_EQ(d.plat, 90);
    EXPECT_FLOAT_EQ(d.param[0], 35);
    EXPECT_FLOAT_EQ(d.param[1], 45);
    EXPECT_FLOAT_EQ(d.dx, 0.5f);
    EXPECT_FLOAT_EQ(d.dy, 0.5f);
}

TEST(Grib1, ThinnedRowsInterpolatedAlongX)
{
    vyktest::TempDir dir;
    const std::string file = dir.file("r.grib1");
    const std::string from = gribtest::sample("reduced_gg_pl_32_grib1");
    const std::string n = vyktest::run("grib_get -p numberOfValues " + from).out;
    const int count = std::stoi(n);
    gribtest::make(file, from, NCEP.substr(0, NCEP.size() - 1), "set bitsPerValue = 16;",
                   field(count, 250, 30));
    const std::vector<gribtest::Point> pts = gribtest::points(file);
    ASSERT_EQ(pts.size(), size_t(count));
    gribtest::Rec rec;
    ASSERT_EQ(read_values(file, rec), 0);
    const int nx = rec.r.domain.nx, ny = rec.r.domain.ny;
    ASSERT_EQ(ny, 64);
    ASSERT_EQ(nx, 128);  // the longest row
    // Rows north to south in eccodes' order; each row's first and last points are its ends,
    // and a full row is taken as it stands.
    size_t k = 0;
    int full = 0;
    for (int row = 0; row < ny; row++) {
        size_t len = 1;
        while (k + len < pts.size() && pts[k + len].lat == pts[k].lat) len++;
        const float *r = rec.r.grid + size_t(row) * size_t(nx);
        EXPECT_NEAR(r[0], pts[k].value, 1e-3) << row;
        EXPECT_NEAR(r[nx - 1], pts[k + len - 1].value, 1e-3) << row;
        if (len == size_t(nx)) {
            full++;
            for (int i = 0; i < nx; i++) EXPECT_NEAR(r[i], pts[k + size_t(i)].value, 1e-3);
        } else {
            // Between the ends, each output point lies between two neighbouring points.
            const double step = double(len - 1) / double(nx - 1);
            const int i = nx / 3;
            const double pos = i * step;
            const size_t left = k + size_t(pos);
            const double want = pts[left].value + (pos - std::floor(pos)) *
                                (pts[std::min(left + 1, k + len - 1)].value - pts[left].value);
            EXPECT_NEAR(r[i], want, 1e-2) << row;
        }
        k += len;
    }
    EXPECT_GT(full, 0);
    EXPECT_EQ(k, pts.size());
}

TEST(Grib1, GridToolListsAndDumps)
{
    vyktest::TempDir dir;
    const GenCase &c = gen_cases()[0];
    const std::string one = dir.file("one.grib1"), two = dir.file("two.grib1");
    gribtest::make(one, gribtest::sample(c.sample), c.keys, c.pre, field(c.nx * c.ny, 280, 30),
                   c.post);
    gribtest::make(two, gribtest::sample(c.sample), c.keys + ",level=500", c.pre,
                   field(c.nx * c.ny, 250, 30), c.post);
    const std::string both = dir.file("both.grib1");
    vyktest::write_file(both, "junk" + vyktest::read_file(one) + "\n" + vyktest::read_file(two));
    const vyktest::RunResult list = vyktest::run(vyktest::tool("grid_tool") + " list " + both);
    EXPECT_EQ(list.status, 0) << list.err;
    EXPECT_NE(list.out.find("kind 21 (GRIB)"), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("product 0 |"), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("| 7 1 96 255 100 850 12 11 | K | 2 50 -1.25 "), std::string::npos)
        << list.out;
    EXPECT_NE(list.out.find("| 7 1 96 255 100 500 12 11 |"), std::string::npos) << list.out;
    EXPECT_EQ(list.out.find("product 2"), std::string::npos);
    const vyktest::RunResult dump = vyktest::run(vyktest::tool("grid_tool") + " dump " + both + " 1");
    EXPECT_EQ(dump.status, 0) << dump.err;
    EXPECT_EQ(vyktest::count(dump.out, "\n"), 2 + c.ny) << dump.out;
    EXPECT_NE(dump.out.find("product 1 |"), std::string::npos);
}

// ---------------------------------------------------------------------------------------------
// Product definition codes and names
// ---------------------------------------------------------------------------------------------

namespace {

/// A product definition: octet m at [m].
struct Pds {
    unsigned char o[64] = {};
    Pds()
    {
        o[3] = 56;   // length
        o[4] = 2;    // table
        o[5] = 7;    // centre
        o[6] = 96;   // model
        o[7] = 255;  // grid
        o[9] = 11;   // parameter
        o[10] = 100;
        o[11] = 0x03;
        o[12] = 0x52;
        o[13] = 26;
        o[14] = 12;
        o[15] = 11;
        o[16] = 6;
        o[18] = 1;
        o[19] = 12;
    }
};

struct PdsCase {
    const char *name;
    std::vector<std::pair<int, int>> octets;
    int time, ltype, level, var, year;
    const char *units;
    const char *info_part;  // text the name holds
};

}  // namespace

TEST(Grib1, ProductDefinitionCodes)
{
    const std::vector<PdsCase> cases = {
        {"plain", {}, 12, 100, 850, 11, 2026, "K", "850"},
        {"accumulation 0-6 h", {{21, 4}, {18, 1}, {19, 0}, {20, 6}}, 4000006, 100, 850, 11, 2026, "K", ""},
        {"accumulation in days", {{21, 4}, {18, 2}, {19, 1}, {20, 2}}, 4801802, 100, 850, 11, 2026, "K", ""},
        {"monthly mean", {{21, 118}, {18, 3}, {19, 0}, {22, 0}, {23, 12}, {20, 1}}, 18900912, 100, 850, 11, 2026, "K", ""},
        {"twelve-hour units", {{18, 12}, {19, 2}}, 24, 100, 850, 11, 2026, "K", ""},
        {"two-octet period", {{21, 10}, {19, 1}, {20, 2}}, 258, 100, 850, 11, 2026, "K", ""},
        {"analysis product", {{21, 1}}, 0, 100, 850, 11, 2026, "K", ""},
        {"unknown time range", {{21, 77}}, -9999, 100, 850, 11, 2026, "K", ""},
        {"layer between heights", {{10, 101}, {11, 50}, {12, 70}}, 12, 101, 50070, 11, 2026, "K", ""},
        {"surface", {{10, 1}, {11, 9}, {12, 9}}, 12, 1, 0, 11, 2026, "K", ""},
        {"unknown level type", {{10, 8}}, 12, 8, -9999, 11, 2026, "K", ""},
        {"year 49", {{13, 49}}, 12, 100, 850, 11, 2049, "K", ""},
        {"year 50", {{13, 50}}, 12, 100, 850, 11, 1950, "K", ""},
        {"radar table", {{4, 129}, {9, 212}}, 12, 100, 850, 491, 2026, "dBZ", ""},
        {"parameter 177", {{9, 177}}, 12, 100, 850, 571, 2026, "deg", ""},
        {"ensemble member",
         {{9, 7}, {26, 2}, {41, 1}, {42, 3}, {43, 2}, {44, 1}}, 12, 100, 850, 19342007, 2026, "m", "Ens[+2] "},
        {"ensemble mean", {{9, 7}, {26, 2}, {42, 1}, {44, 2}}, 12, 100, 850, 19000007, 2026, "m", "Ens mean "},
        {"ensemble spread", {{9, 7}, {26, 2}, {42, 1}, {44, 11}}, 12, 100, 850, 19001007, 2026, "m", "Ens std dev "},
        // Probability of precipitation (61, kg/m^2) below 0.254: IBM float 0x40 0x41 0x06 0x25.
        {"probability",
         {{9, 191}, {26, 2}, {42, 1}, {44, 0}, {46, 61}, {47, 1}, {48, 0x40}, {49, 0x41}, {50, 0x06}, {51, 0x25}},
         12, 100, 850, 1910611000 + 954, 2026, "%", " below 0.25 kg/m^2"},
        {"surface height of model 44", {{9, 7}, {10, 1}, {6, 44}}, 12, 1, 0, 161, 2026, "m", ""},
    };
    for (const PdsCase &c : cases) {
        SCOPED_TRACE(c.name);
        Pds p;
        for (auto [m, v] : c.octets) p.o[m] = static_cast<unsigned char>(v);
        gribtest::Rec rec;
        rec.r.version = 1;
        // A product decoded before must leave nothing behind.
        Pds before;
        before.o[10] = 105;
        before.o[11] = 0;
        before.o[12] = 2;
        before.o[21] = 4;
        GRIB_decode_PDB(before.o, &rec.r);
        EXPECT_EQ(GRIB_decode_PDB(p.o, &rec.r), 1);
        EXPECT_EQ(GRIB_set_var(&rec.r), 0);
        EXPECT_EQ(rec.r.source, 7);
        EXPECT_EQ(rec.r.type, 255);
        EXPECT_EQ(rec.r.time, c.time);
        EXPECT_EQ(rec.r.ltype, c.ltype);
        EXPECT_EQ(rec.r.level, c.level);
        EXPECT_EQ(rec.r.var, c.var);
        EXPECT_EQ(rec.r.date.year, c.year);
        EXPECT_STREQ(rec.r.units, c.units);
        EXPECT_NE(std::string(rec.r.info).find(c.info_part), std::string::npos) << rec.r.info;
    }
}

// ---------------------------------------------------------------------------------------------
// Corrupt data and hostile messages
// ---------------------------------------------------------------------------------------------

namespace {

uint32_t u3(const std::string &m, size_t at)
{
    return (uint32_t(uint8_t(m[at])) << 16) | (uint32_t(uint8_t(m[at + 1])) << 8) |
           uint32_t(uint8_t(m[at + 2]));
}

void put3(std::string &m, size_t at, uint32_t v)
{
    m[at] = char(v >> 16);
    m[at + 1] = char(v >> 8);
    m[at + 2] = char(v);
}

/// Where the sections of an edition-1 message begin.
struct Sections {
    size_t pds = 8, gds = 0, bms = 0, bds = 0;
    explicit Sections(const std::string &m)
    {
        const uint8_t flags = uint8_t(m[pds + 7]);
        size_t at = pds + u3(m, pds);
        if (flags & 0x80) {
            gds = at;
            at += u3(m, at);
        }
        if (flags & 0x40) {
            bms = at;
            at += u3(m, at);
        }
        bds = at;
    }
};

/// Gives the section at `at` the length len: octets of zero added at its end, or its last
/// octets removed; the total length follows.
void resize_section(std::string &m, size_t at, uint32_t len)
{
    const uint32_t old = u3(m, at);
    if (len > old)
        m.insert(at + old, std::string(len - old, '\0'));
    else
        m.erase(at + len, old - len);
    put3(m, at, len);
    put3(m, 4, uint32_t(m.size()));
}

/// Reads every product of a stream: headers counted, then values of each; the warnings.
struct ReadAll {
    int headers = 0;
    std::vector<int> values;  // GRD_read's result with values, per product
    std::vector<float> first;  // first value of each product read
    std::string err;
};

ReadAll read_all(const std::string &file)
{
    ReadAll r;
    vyktest::CaptureStdio cap;
    {
        gribtest::Open g(file);
        if (g.info_result == 0) {
            r.headers = gribtest::count_products(g.slot);
            for (int n = 0; n < r.headers; n++) {
                gribtest::Rec rec;
                int num = n;
                r.values.push_back(GRD_read(g.slot, &rec.r, GRD_READ_VALUES, &num));
                r.first.push_back(rec.r.grid ? rec.r.grid[0] : -1.0f);
            }
        }
    }
    cap.finish();
    r.err = cap.err();
    return r;
}

/// The octets of a good message: the first generated case with a smooth field, made by eccodes
/// in dir.
std::string base_message(const vyktest::TempDir &dir)
{
    const GenCase &c = gen_cases()[0];
    const std::string base = dir.file("base.grib1");
    gribtest::make(base, gribtest::sample(c.sample), c.keys, c.pre, field(c.nx * c.ny, 280, 30),
                   c.post);
    return gribtest::octets(base);
}

struct HostileCase {
    const char *name;
    void (*patch)(std::string &m);
    int headers;          // products a header scan finds in patched + good
    int first_values;     // GRD_read with values of product 0
    const char *warning;  // part of the warnings
};

}  // namespace

TEST(Grib1, HostileMessagesAreSkippedWithAWarning)
{
    vyktest::TempDir dir;
    const std::string good = base_message(dir);
    const std::vector<HostileCase> cases = {
        {"total length 0", [](std::string &m) { put3(m, 4, 0); }, 1, 0, "Invalid product size: 0"},
        {"total length 2^24 - 1", [](std::string &m) { put3(m, 4, 0xFFFFFF); }, 0, 0,
         "Invalid product size: 16777215"},
        {"0 bits per value: a constant field", [](std::string &m) { m[Sections(m).bds + 10] = 0; },
         2, 0, ""},
        {"255 bits per value", [](std::string &m) { m[Sections(m).bds + 10] = char(255); }, 2, -1,
         "255 bits per value"},
        {"spherical harmonics", [](std::string &m) { m[Sections(m).bds + 3] |= char(0x80); }, 2, -1,
         "spherical harmonics"},
        {"second-order packing", [](std::string &m) { m[Sections(m).bds + 3] |= char(0x40); }, 2,
         -1, "second-order packing"},
        {"65535 columns", [](std::string &m) { m[Sections(m).gds + 6] = m[Sections(m).gds + 7] = char(0xFF); },
         1, 0, "65535 by 11 points"},
        {"0 rows", [](std::string &m) { m[Sections(m).gds + 8] = m[Sections(m).gds + 9] = 0; }, 1, 0,
         "16 by 0 points"},
        {"2000 by 2000 points, data for 176",
         [](std::string &m) {
             const size_t g = Sections(m).gds;
             m[g + 6] = m[g + 8] = char(2000 >> 8);
             m[g + 7] = m[g + 9] = char(2000 & 0xff);
         },
         2, -1, "shorter than the values it declares"},
        {"data section cut short", [](std::string &m) { resize_section(m, Sections(m).bds, 11 + 100); },
         2, -1, "shorter than the values it declares"},
        {"data section shorter than its header", [](std::string &m) { put3(m, Sections(m).bds, 5); },
         2, -1, "shorter than its header"},
        {"points stored column by column", [](std::string &m) { m[Sections(m).gds + 27] |= char(0x20); },
         1, 0, "column by column"},
        // A grid kind the decoder does not place would decode with no georeference at all.
        {"rotated latitude-longitude grid", [](std::string &m) { m[Sections(m).gds + 5] = 10; },
         1, 0, "grids of type 10 (rotated latitude-longitude) are not decoded"},
        {"space view grid", [](std::string &m) { m[Sections(m).gds + 5] = 90; }, 1, 0,
         "grids of type 90 (space view) are not decoded"},
        {"product definition of 600 octets",
         [](std::string &m) { resize_section(m, Sections(m).pds, 600); }, 2, 0, ""},
        {"product definition of 10 octets", [](std::string &m) { put3(m, 8, 10); }, 1, 0,
         "too short"},
        {"grid description longer than decoded",
         [](std::string &m) { resize_section(m, Sections(m).gds, u3(m, Sections(m).gds) + 40); }, 2,
         0, ""},
        {"grid description of 2^24 - 1 octets", [](std::string &m) { put3(m, Sections(m).gds, 0xFFFFFF); },
         1, 0, "grid description of 16777215 octets"},
    };
    for (const HostileCase &h : cases) {
        SCOPED_TRACE(h.name);
        std::string m = good;
        h.patch(m);
        const std::string file = dir.file("h.grib1");
        gribtest::put_octets(file, m + good);
        const ReadAll r = read_all(file);
        EXPECT_EQ(r.headers, h.headers) << r.err;
        EXPECT_NE(r.err.find(h.warning), std::string::npos) << r.err;
        if (h.headers == 0) continue;  // stepped over by its length, the good one too
        EXPECT_EQ(r.values[0], h.first_values) << r.err;
        // The good message after it reads with its values.
        EXPECT_EQ(r.values.back(), 0) << r.err;
    }
}

/// eccodes' rotated latitude-longitude sample is refused as a whole, never listed without a
/// place; a good message after it still reads.
TEST(Grib1, RotatedGridOfEccodesIsNotDecoded)
{
    vyktest::TempDir dir;
    const std::string file = dir.file("r.grib1");
    gribtest::put_octets(file, gribtest::octets(gribtest::sample("rotated_ll_sfc_grib1")) +
                                   base_message(dir));
    const ReadAll r = read_all(file);
    EXPECT_EQ(r.headers, 1) << r.err;
    EXPECT_TRUE(vyktest::has(r.err, "(rotated latitude-longitude) are not decoded")) << r.err;
    ASSERT_EQ(r.values.size(), 1u);
    EXPECT_EQ(r.values[0], 0);
}

TEST(Grib1, TruncatedLastMessage)
{
    vyktest::TempDir dir;
    const std::string good = base_message(dir);
    const std::string file = dir.file("t.grib1");
    for (size_t cut : {good.size() - 10, size_t(Sections(good).bds + 5), size_t(40), size_t(9)}) {
        SCOPED_TRACE(cut);
        gribtest::put_octets(file, good + good.substr(0, cut));
        const ReadAll r = read_all(file);
        ASSERT_GE(r.headers, 1);
        EXPECT_LE(r.headers, 2);
        EXPECT_EQ(r.values[0], 0);
        if (r.headers == 2) {
            EXPECT_EQ(r.values[1], -1);
            EXPECT_NE(r.err.find("GRIB"), std::string::npos) << r.err;  // a warning
        }
    }
}

TEST(Grib1, BitMapShorterThanTheGrid)
{
    vyktest::TempDir dir;
    const GenCase &c = gen_cases()[1];
    const std::string base = dir.file("base.grib1");
    gribtest::make(base, gribtest::sample(c.sample), c.keys, c.pre,
                   field(c.nx * c.ny, c.base, c.amp, c.missing_every), c.post, true);
    std::string m = gribtest::octets(base);
    const Sections s(m);
    ASSERT_NE(s.bms, 0u);
    resize_section(m, s.bms, 6 + 10);  // 80 bits for 176 points
    const std::string file = dir.file("b.grib1");
    gribtest::put_octets(file, m);
    const ReadAll r = read_all(file);
    ASSERT_EQ(r.headers, 1);
    EXPECT_EQ(r.values[0], 0);
    EXPECT_NE(r.err.find("bit map is shorter than the grid"), std::string::npos) << r.err;
}

TEST(Grib1, ThinnedRowOfOnePointRefused)
{
    vyktest::TempDir dir;
    const std::string from = gribtest::sample("reduced_gg_pl_32_grib1");
    const int count = std::stoi(vyktest::run("grib_get -p numberOfValues " + from).out);
    const std::string base = dir.file("base.grib1");
    gribtest::make(base, from, "", "set bitsPerValue = 16;", field(count, 250, 30));
    std::string m = gribtest::octets(base);
    const size_t g = Sections(m).gds;
    const size_t pl = g + uint8_t(m[g + 4]) - 1 + 4 * uint8_t(m[g + 3]);
    m[pl] = 0;
    m[pl + 1] = 1;
    const std::string file = dir.file("r.grib1");
    gribtest::put_octets(file, m);
    const ReadAll r = read_all(file);
    EXPECT_EQ(r.headers, 0);
    EXPECT_NE(r.err.find("thinned row of 1 points"), std::string::npos) << r.err;
}

TEST(Grib1, CorruptDataCheck)
{
    gfiletest::KeepSettings keep;
    // Values of 8 bits that jump by more than half their range six times within a row: with
    // the check at 5 the rest of the data section is missing; with the check off it is not.
    vyktest::TempDir dir;
    const std::string file = dir.file("c.grib1");
    std::vector<double> v(16 * 11, 100);
    for (int i = 4; i < 16; i++) v[size_t(i)] = (i % 2) ? 0 : 255;
    const GenCase &c = gen_cases()[0];
    gribtest::make(file, gribtest::sample(c.sample), c.keys, "set bitsPerValue = 8;", v);
    {
        gribtest::Rec rec;
        ASSERT_EQ(read_values(file, rec), 0);
        for (size_t i = 0; i < v.size(); i++) EXPECT_NEAR(rec.r.grid[i], v[i], 1.0) << i;
    }
    GRIB_set_max_bad(5);
    gribtest::Rec rec;
    ASSERT_EQ(read_values(file, rec), 0);
    for (size_t i = 0; i < 9; i++) EXPECT_NEAR(rec.r.grid[i], v[i], 1.0) << i;
    for (size_t i = 9; i < v.size(); i++) EXPECT_EQ(rec.r.grid[i], -9999.0f) << i;
}

// ---------------------------------------------------------------------------------------------
// Predefined grids named by number alone (no grid description)
// ---------------------------------------------------------------------------------------------

namespace {

/// A message of grid number `grid` without a grid description whose data are the n values v
/// (16 bits): eccodes packs them as a row of n points, then the description is taken out.
std::string predefined(const vyktest::TempDir &dir, int grid, const std::vector<double> &v)
{
    const std::string file = dir.file("row.grib1");
    gribtest::make(file, gribtest::sample("GRIB1"),
                   "centre=7,indicatorOfParameter=11,Ni=" + std::to_string(v.size()) +
                       ",Nj=1,iDirectionIncrementInDegrees=0.001,"
                       "latitudeOfFirstGridPointInDegrees=0,latitudeOfLastGridPointInDegrees=0,"
                       "longitudeOfFirstGridPointInDegrees=0,longitudeOfLastGridPointInDegrees=" +
                       std::to_string(0.001 * double(v.size() - 1)),
                   "set bitsPerValue = 16;", v);
    std::string m = gribtest::octets(file);
    const Sections s(m);
    m.erase(s.gds, u3(m, s.gds));
    m[s.pds + 6] = char(grid);
    m[s.pds + 7] = 0;  // no grid description, no bit map
    put3(m, 4, uint32_t(m.size()));
    return m;
}

/// The values eccodes decodes from the row message (in data order).
std::vector<double> packed(const vyktest::TempDir &dir)
{
    std::vector<double> v;
    for (const gribtest::Point &p : gribtest::points(dir.file("row.grib1"))) v.push_back(p.value);
    return v;
}

}  // namespace

TEST(Grib1, PredefinedGridLayouts)
{
    vyktest::TempDir dir;
    struct Case {
        int grid, values;
    };
    for (const Case c : {Case{21, 36 * 37 + 1}, Case{23, 36 * 37 + 1}, Case{25, 18 * 72 + 1},
                         Case{50, 0}}) {
        SCOPED_TRACE(c.grid);
        int count = c.values;
        if (c.grid == 50)
            for (int j = 0; j < 33; j++) count += 36 - 2 * std::max(0, (j - 1) / 4);
        const std::string file = dir.file("p.grib1");
        gribtest::put_octets(file, predefined(dir, c.grid, field(count, 500, 100)));
        const std::vector<double> v = packed(dir);
        ASSERT_EQ(v.size(), size_t(count));
        gribtest::Rec rec;
        ASSERT_EQ(read_values(file, rec), 0);
        const int nx = rec.r.domain.nx, ny = rec.r.domain.ny;
        const float *g = rec.r.grid;
        auto at = [&](int row, int col) { return double(g[size_t(row) * size_t(nx) + size_t(col)]); };
        size_t k = 0;
        switch (c.grid) {
        case 21:  // rows from the equator north, the pole last: the first array row
        case 23:  // the pole first, rows north to the equator: the last array row
            ASSERT_EQ(nx, 37);
            ASSERT_EQ(ny, 37);
            if (c.grid == 23) {
                for (int i = 0; i < nx; i++) EXPECT_NEAR(at(36, i), v[0], 1e-3);
            }
            k = c.grid == 23 ? 1 : 0;
            for (int r = c.grid == 23 ? 1 : 0; r < (c.grid == 23 ? 37 : 36); r++)
                for (int i = 0; i < nx; i++) EXPECT_NEAR(at(36 - r, i), v[k++], 1e-3) << r;
            if (c.grid == 21) {
                for (int i = 0; i < nx; i++) EXPECT_NEAR(at(0, i), v[k], 1e-3);
            }
            break;
        case 25:  // each row's last point repeats its first
            ASSERT_EQ(nx, 73);
            ASSERT_EQ(ny, 19);
            for (int r = 0; r < 18; r++) {
                for (int i = 0; i < 72; i++) EXPECT_NEAR(at(18 - r, i), v[k++], 1e-3);
                EXPECT_EQ(at(18 - r, 72), at(18 - r, 0));
            }
            for (int i = 0; i < nx; i++) EXPECT_NEAR(at(0, i), v[k], 1e-3);
            break;
        case 50:  // rows narrowing to the south, missing points at both ends
            ASSERT_EQ(nx, 36);
            ASSERT_EQ(ny, 33);
            for (int j = 32; j >= 0; j--) {
                const int m = std::max(0, (j - 1) / 4);
                for (int i = 0; i < nx; i++) {
                    if (i < m || i >= nx - m)
                        EXPECT_EQ(at(j, i), -9999.0);
                    else
                        EXPECT_NEAR(at(j, i), v[k++], 1e-3);
                }
            }
            EXPECT_EQ(k, v.size());
            break;
        }
        EXPECT_EQ(rec.r.type, c.grid);
    }
}

TEST(Grib1, OtherMessagesArePassedOver)
{
    // A GRID message and a BUFR message before a product: one product.
    vyktest::TempDir dir;
    std::string bufr = "BUFR";
    bufr += std::string("\0\0\x40\x04", 4) + std::string(52, 'x') + "7777";
    const std::string file = dir.file("o.grib");
    gribtest::put_octets(file, "GRID 1 2 3\n7777\n" + bufr + base_message(dir));
    const ReadAll r = read_all(file);
    EXPECT_EQ(r.headers, 1);
    ASSERT_EQ(r.values.size(), 1u);
    EXPECT_EQ(r.values[0], 0);
    EXPECT_NE(r.err.find("a GRID message"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("a BUFR message"), std::string::npos) << r.err;
}
