// GRIB edition 2: real files of operational centres decode to the values an independent
// decoder wrote for them (tests/data/grib2, see its README), field by field through the
// grid-file contract; the sections' codes; hostile sections.
#include <gtest/gtest.h>

#include "grib2_build.h"
#include "grib_fixture.h"
#include "test_util.h"
#include "vykform.h"
#include "grib2.h"
#include "vykresrc.h"

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

using gribtest::corpus;

/// Reference values: little-endian float32 in the order the message stores them.
std::vector<float> reference(const vyktest::TempDir &dir, const std::string &name)
{
    const std::string bytes = vyktest::read_file(corpus(dir, name));
    std::vector<float> v(bytes.size() / 4);
    std::memcpy(v.data(), bytes.data(), v.size() * 4);
    return v;
}

/// The decoder's warnings among what a read printed (lines of other components left out).
std::string decoder_warnings(const std::string &err)
{
    std::string out, line;
    for (char ch : err) {
        if (ch != '\n') {
            line += ch;
            continue;
        }
        if (line.rfind("GRIB", 0) == 0 || line.rfind("jpc_decode", 0) == 0) out += line + "\n";
        line.clear();
    }
    return out;
}

void use_tables()
{
    RES_put("file_path", VYK_SOURCE_DIR "/etc");
}

/// Reads the first product of a file with its values into rec: GRD_read's result (-1 when the
/// file does not open); err gets what the read printed.
int read_values(const std::string &file, gribtest::Rec &rec, std::string &err)
{
    gribtest::Open g(file);
    EXPECT_GE(g.slot, 0);
    if (g.slot < 0) return -1;
    int num = 0;
    vyktest::CaptureStdio cap;
    const int r = GRD_read(g.slot, &rec.r, GRD_READ_VALUES, &num);
    cap.finish();
    err = cap.err();
    return r;
}

struct CorpusCase {
    const char *file, *ref;
    int product;      // product number of the field in the file
    int nx, ny;
    bool north_first; // rows stored north to south
    bool alternate;   // adjacent rows stored in opposite directions
    double tol;       // relative tolerance of the packing
};

const CorpusCase CORPUS[] = {
    {"gdas.t12z.pgrb2.0p25.f000.12.xz", "gdas-12-wgrib2-le.bin.xz", 0, 1440, 721, true, false,
     1e-6},
    {"gdas.t12z.pgrb2.0p25.f000.46.xz", "gdas-46-wgrib2-le.bin.xz", 0, 1440, 721, true, false,
     1e-6},
    {"ds.critfireo.bin.xz", "ds.critfireo.bin.0.xz", 0, 2145, 1377, false, true, 1e-6},
    {"ds.critfireo.bin.xz", "ds.critfireo.bin.1.xz", 2, 2145, 1377, false, true, 1e-6},
    {"Z__C_RJTD_20170221120000_MSG_GPV_Gll0p5deg_Pys_B20170221120000_F2017022115-2017022212_"
     "grib2.bin.xz",
     "kousa-wgrib2-le.bin.xz", 3, 81, 61, true, false, 1e-6},
    // JPEG 2000, rows south to north
    {"CMC_glb_TMP_ISBL_1_latlon.24x.24_2021051800_P000.grib2", "cmc-glb-wgrib2-le.bin.xz", 0,
     1500, 751, false, false, 1e-6},
    // PNG, 8 bits
    {"MRMS_PrecipFlag_00.00_20260219-042400.grib2.gz", "mrms-precip-flag-wgrib2-le.bin.xz", 0,
     7000, 3500, true, false, 1e-6},
    // run length with level values, field 4 of the message
    {"Z__C_RJTD_20160822020000_NOWC_GPV_Ggis10km_Pphw10_FH0000-0100_grib2.bin",
     "tornado-wgrib2-le.bin.xz", 3, 256, 336, true, false, 1e-6},
};

TEST(Grib2Corpus, FieldsEqualTheReferenceValues)
{
    use_tables();
    for (const CorpusCase &c : CORPUS) {
        SCOPED_TRACE(std::string(c.file) + " product " + std::to_string(c.product));
        vyktest::TempDir dir;
        const std::string file = corpus(dir, c.file);
        const std::vector<float> ref = reference(dir, c.ref);
        ASSERT_EQ(ref.size(), size_t(c.nx) * size_t(c.ny));
        gribtest::Open g(file);
        ASSERT_GE(g.slot, 0);
        gribtest::Rec rec;
        int num = c.product;
        ASSERT_EQ(GRD_read(g.slot, &rec.r, GRD_READ_VALUES, &num), 0);
        ASSERT_EQ(rec.r.domain.nx, c.nx);
        ASSERT_EQ(rec.r.domain.ny, c.ny);
        ASSERT_NE(rec.r.grid, nullptr);
        size_t bad = 0, missing = 0;
        double worst = 0;
        for (size_t k = 0; k < ref.size(); k++) {
            const size_t r = k / size_t(c.nx), col0 = k % size_t(c.nx);
            const size_t row = c.north_first ? r : size_t(c.ny) - 1 - r;
            const size_t col = c.alternate && (r & 1) ? size_t(c.nx) - 1 - col0 : col0;
            const float got = rec.r.grid[row * size_t(c.nx) + col];
            if (ref[k] > 9e20f) {
                missing++;
                if (got != -9999.0f) bad++;
                continue;
            }
            const double err = std::fabs(double(got) - double(ref[k])) /
                               std::max(1.0, std::fabs(double(ref[k])));
            worst = std::max(worst, err);
            if (err > c.tol) bad++;
        }
        EXPECT_EQ(bad, 0u) << "worst relative error " << worst << ", missing " << missing;
    }
}

/// Every product of a multi-field message is numbered; fields after the first inherit the
/// message's grid.
TEST(Grib2Corpus, FieldsOfAMessageAreProducts)
{
    use_tables();
    vyktest::TempDir dir;
    const std::string file = corpus(
        dir, "Z__C_RJTD_20170221120000_MSG_GPV_Gll0p5deg_Pys_B20170221120000_F2017022115-"
             "2017022212_grib2.bin.xz");
    // eccodes lists one line per field.
    const vyktest::RunResult r =
        vyktest::run("grib_get -p count " + vyktest::quote(file) + " | wc -l");
    ASSERT_EQ(r.status, 0);
    gribtest::Open g(file);
    ASSERT_GE(g.slot, 0);
    EXPECT_EQ(gribtest::count_products(g.slot), std::stoi(r.out));
    // Re-reading a later field with values after a header scan.
    gribtest::Rec rec;
    int num = 5;
    ASSERT_EQ(GRD_read(g.slot, &rec.r, GRD_READ_VALUES, &num), 0);
    EXPECT_EQ(num, 5);
    EXPECT_EQ(rec.r.domain.nx, 81);
    EXPECT_EQ(rec.r.version, 2);
    EXPECT_EQ(rec.r.source, 34);
}

const char *const CCSDS_FILE = "20250912120000-0h-oper-fc.grib2.89.xz";
const char *const CRITFIRE_FILE = "ds.critfireo.bin.xz";

/// Every GRIB file of the corpus (not the reference arrays).
std::vector<std::string> corpus_files()
{
    return {"gdas.t12z.pgrb2.0p25.f000.12.xz",
            "gdas.t12z.pgrb2.0p25.f000.46.xz",
            CRITFIRE_FILE,
            "CMC_glb_TMP_ISBL_1_latlon.24x.24_2021051800_P000.grib2",
            "MRMS_PrecipFlag_00.00_20260219-042400.grib2.gz",
            "Z__C_RJTD_20160822020000_NOWC_GPV_Ggis10km_Pphw10_FH0000-0100_grib2.bin",
            "Z__C_RJTD_20170221120000_MSG_GPV_Gll0p5deg_Pys_B20170221120000_F2017022115-"
            "2017022212_grib2.bin.xz",
            CCSDS_FILE};
}

/// Every product of every file is listed and read with its values, without a warning; the one
/// packing the decoder does not handle (CCSDS) is refused with a warning that names it, and the
/// probabilities of ds.critfireo.bin, whose codes no int holds, are read under no variable
/// number with a warning that names them.
TEST(Grib2Corpus, EveryFileDecodes)
{
    use_tables();
    for (const std::string &name : corpus_files()) {
        SCOPED_TRACE(name);
        vyktest::TempDir dir;
        const std::string file = corpus(dir, name);
        const vyktest::RunResult ec = vyktest::run("grib_count " + vyktest::quote(file));
        vyktest::CaptureStdio cap;
        int products = 0, decoded = 0;
        {
            gribtest::Open g(file);
            ASSERT_GE(g.slot, 0);
            products = gribtest::count_products(g.slot);
            for (int n = 0; n < products; n++) {
                gribtest::Rec rec;
                int num = n;
                if (GRD_read(g.slot, &rec.r, GRD_READ_VALUES, &num) == 0 && rec.r.grid) decoded++;
            }
        }
        cap.finish();
        EXPECT_GT(products, 0);
        if (name == CCSDS_FILE) {
            EXPECT_EQ(decoded, 0);
            EXPECT_TRUE(vyktest::has(cap.err(), "5.42 (CCSDS")) << cap.err();
            continue;
        }
        EXPECT_EQ(decoded, products);
        const std::string warnings = decoder_warnings(cap.err());
        if (name == CRITFIRE_FILE) {
            EXPECT_GE(vyktest::count(warnings, "has no variable number"), products) << warnings;
            EXPECT_EQ(vyktest::count(warnings, "\n"),
                      vyktest::count(warnings, "has no variable number"))
                << warnings;
        } else {
            EXPECT_EQ(warnings, "");
        }
        // eccodes counts messages; a message may hold several fields.
        if (ec.status == 0 && !ec.out.empty()) {
            EXPECT_GE(products, std::stoi(ec.out));
        }
    }
}

/// A field whose packing is not supported leaves no earlier values behind: every point is
/// missing, and the read fails.
TEST(Grib2Corpus, UnsupportedPackingLeavesEveryPointMissing)
{
    use_tables();
    vyktest::TempDir dir;
    gribtest::Rec rec;
    {
        gribtest::Open g(corpus(dir, "gdas.t12z.pgrb2.0p25.f000.12.xz"));
        int num = 0;
        ASSERT_EQ(GRD_read(g.slot, &rec.r, GRD_READ_VALUES, &num), 0);
    }
    gribtest::Open g(corpus(dir, CCSDS_FILE));
    int num = 0;
    vyktest::CaptureStdio cap;
    EXPECT_EQ(GRD_read(g.slot, &rec.r, GRD_READ_HEADER, &num), 0);
    EXPECT_EQ(GRD_read(g.slot, &rec.r, GRD_READ_VALUES, &num), -1);
    cap.finish();
    EXPECT_TRUE(vyktest::has(cap.err(), "is not supported")) << cap.err();
    ASSERT_NE(rec.r.grid, nullptr);
    for (size_t k = 0; k < 1440u * 721u; k++) ASSERT_EQ(rec.r.grid[k], -9999.0f) << k;
}

// ---------------------------------------------------------------------------------------------
// Messages built octet by octet: one field on a small latitude-longitude grid, its sections 5
// to 7 as a case gives them.
// ---------------------------------------------------------------------------------------------

using grib2build::be;
using grib2build::ieee;
using grib2build::message;

/// Template 5.0 (and the images' 5.40, 5.41): R, E = 0, D = 0, bits.
std::string drs_simple(int temp, float r, int bits)
{
    return be(uint32_t(temp), 2) + ieee(r) + be(0, 2) + be(0, 2) + char(bits) + char(0) +
           (temp == 0 ? "" : std::string(2, '\0'));
}

/// Template 5.2 / 5.3 with 8-bit group references, widths and lengths, length increment 1.
std::string drs_complex(int temp, int miss_type, uint32_t groups, uint32_t last_len,
                        int order = 0, int spat_octets = 0)
{
    std::string s = be(uint32_t(temp), 2) + ieee(0) + be(0, 2) + be(0, 2) + char(8) + char(0) +
                    char(1) + char(miss_type) + ieee(0) + ieee(0) + be(groups, 4) + char(0) +
                    char(8) + be(0, 4) + char(1) + be(last_len, 4) + char(8);
    if (temp == 3) s += std::string(1, char(order)) + char(spat_octets);
    return s;
}

std::string octs(std::initializer_list<int> v)
{
    std::string s;
    for (int x : v) s += char(x);
    return s;
}

constexpr float M = -9999.0f;

struct BuiltCase {
    const char *name;
    int nx, ny, scan;
    uint32_t points;
    std::string drs, bms, ds;
    int status;                 // GRD_read's result
    std::vector<float> values;  // array order; empty: no values
    const char *warning;        // part of the warning printed, or "" for none
    std::vector<int> rows = {}; // points of each quasi-regular row
};

const std::vector<BuiltCase> &built_cases()
{
    static const std::vector<BuiltCase> cases = {
        {"simple, north to south", 3, 2, 0x00, 6, drs_simple(0, 0, 8), "",
         octs({1, 2, 3, 4, 5, 6}), 0, {1, 2, 3, 4, 5, 6}, ""},
        {"simple, south to north", 3, 2, 0x40, 6, drs_simple(0, 0, 8), "",
         octs({1, 2, 3, 4, 5, 6}), 0, {4, 5, 6, 1, 2, 3}, ""},
        {"simple, alternating rows", 3, 2, 0x10, 6, drs_simple(0, 0, 8), "",
         octs({1, 2, 3, 4, 5, 6}), 0, {1, 2, 3, 6, 5, 4}, ""},
        {"simple, 12 bits", 3, 1, 0x00, 3, drs_simple(0, 0.5f, 12), "",
         octs({0x00, 0x10, 0x02, 0xFF, 0xF0}), 0, {1.5f, 2.5f, 4095.5f}, ""},
        {"simple, 0 bits: every point R", 2, 2, 0x00, 4, drs_simple(0, 5.5f, 0), "", "", 0,
         {5.5f, 5.5f, 5.5f, 5.5f}, ""},
        {"simple, bit map 101", 3, 1, 0x00, 2, drs_simple(0, 0, 8), octs({0, 0xA0}),
         octs({7, 9}), 0, {7, M, 9}, ""},
        {"simple, data section shorter than its values", 3, 2, 0x00, 6, drs_simple(0, 0, 8), "",
         octs({1, 2, 3}), -1, {}, "shorter than the values it declares"},
        {"simple, values wider than 32 bits", 3, 1, 0x00, 3, drs_simple(0, 0, 40), "",
         std::string(15, '\1'), -1, {}, "wider than 32 bits"},
        {"complex, a wholly missing group", 2, 2, 0x00, 4, drs_complex(2, 1, 2, 2), "",
         // references 5, 255; widths 4, 0; lengths 2, (last 2); values 1, 2 of 4 bits
         octs({5, 255, 4, 0, 2, 0, 0x12}), 0, {6, 7, M, M}, ""},
        {"complex, secondary missing values", 2, 2, 0x00, 4, drs_complex(2, 2, 1, 4), "",
         // reference 1, width 2, values 3 (primary), 2 (secondary), 0, 1
         octs({1, 2, 0, 0xE1}), 0, {M, M, 1, 2}, ""},
        {"complex, group lengths that do not add up", 2, 2, 0x00, 4, drs_complex(2, 0, 2, 5), "",
         octs({0, 0, 0, 0, 1, 0}), -1, {}, "do not add up"},
        {"complex, more groups than values", 2, 2, 0x00, 4, drs_complex(2, 0, 0xFFFFFFFF, 1), "",
         octs({0, 0, 0}), -1, {}, "group count"},
        {"complex, a group wider than 32 bits", 2, 2, 0x00, 4, drs_complex(2, 0, 1, 4), "",
         octs({0, 40, 0}) + std::string(20, '\0'), -1, {}, "wider than 32 bits"},
        {"spatial differencing order 2", 2, 2, 0x00, 4, drs_complex(3, 0, 1, 4, 2, 2), "",
         // first 10, second 12, minimum 0 (2 octets each); one group of width 0
         be(10, 2) + be(12, 2) + be(0, 2) + octs({0, 0, 0}), 0, {10, 12, 14, 16}, ""},
        {"spatial differencing order 1, negative minimum", 2, 2, 0x00, 4,
         drs_complex(3, 0, 1, 4, 1, 1), "",
         // first 100, minimum -3; differences 0, 5, 1, 2 in 4 bits (the first is not used)
         octs({100, 0x83, 0, 4, 0, 0x05, 0x12}), 0, {100, 102, 100, 99}, ""},
        {"spatial differencing, descriptors of 4 octets", 2, 2, 0x00, 4,
         drs_complex(3, 0, 1, 4, 1, 4), "", std::string(12, '\0'), -1, {}, "three octets"},
        {"spatial differencing, descriptors of 0 octets", 2, 2, 0x00, 4,
         drs_complex(3, 0, 1, 4, 1, 0), "", std::string(12, '\0'), -1, {},
         "extra descriptors have no octets"},
        {"IEEE 32 bits", 2, 1, 0x00, 2, be(4, 2) + char(1), "", ieee(-1.25f) + ieee(3e5f), 0,
         {-1.25f, 3e5f}, ""},
        {"IEEE 64 bits", 1, 1, 0x00, 1, be(4, 2) + char(2), "", be(0x4009200000000000ULL, 8), 0,
         {3.140625f}, ""},
        {"IEEE, data section shorter", 2, 1, 0x00, 2, be(4, 2) + char(1), "", ieee(1), -1, {},
         "shorter"},
        // level 1 twice (digit 3 adds 1), then level 0: no data
        {"run length, level 0 is no data", 2, 2, 0x00, 4,
         be(200, 2) + char(2) + be(1, 2) + be(1, 2) + char(0) + be(42, 2), "", octs({0x70}), 0,
         {42, 42, M, M}, ""},
        // level 2 is the table's second value; the last run (digit 15: 12 more) is written
        {"run length, the last run is written", 2, 2, 0x00, 4,
         be(200, 2) + char(4) + be(2, 2) + be(2, 2) + char(1) + be(10, 2) + be(25, 2), "",
         octs({0x2F}), 0, {2.5f, 2.5f, 2.5f, 2.5f}, ""},
        {"JPEG 2000, 0 bits: every point R", 2, 2, 0x00, 4, drs_simple(40, 7.25f, 0), "", "", 0,
         {7.25f, 7.25f, 7.25f, 7.25f}, ""},
        {"JPEG 2000, a code stream that does not decode", 2, 2, 0x00, 4, drs_simple(40, 0, 8),
         "", std::string(40, '\x5A'), -1, {}, "jpc_decode error"},
        {"PNG, a stream that does not decode", 2, 2, 0x00, 4, drs_simple(41, 0, 8), "",
         std::string(40, '\x5A'), -1, {}, "PNG"},
        // rows of 3 and 2 points, the second widened to 3 along the row
        {"quasi-regular rows", 3, 2, 0x00, 5, drs_simple(0, 0, 8), "", octs({1, 2, 3, 4, 6}), 0,
         {1, 2, 3, 4, 5, 6}, "", {3, 2}},
        {"quasi-regular rows with a bit map", 3, 2, 0x00, 3, drs_simple(0, 0, 8),
         octs({0, 0xD8}), octs({1, 2, 4}), 0, {1, 1.5f, 2, M, 4, M}, "", {2, 3}},
        {"section 5 too short for its template", 2, 1, 0x00, 2, be(0, 2) + octs({0, 0, 0}), "",
         octs({1, 2}), -1, {M, M}, "no usable data representation"},
        {"CCSDS", 2, 2, 0x00, 4, be(42, 2) + std::string(15, '\0'), "", std::string(4, '\0'), -1,
         {M, M, M, M}, "5.42 (CCSDS"},
        {"spectral packing", 2, 2, 0x00, 4, be(50, 2) + std::string(15, '\0'), "",
         std::string(4, '\0'), -1, {M, M, M, M}, "5.50 is not supported"},
    };
    return cases;
}

TEST(Grib2Unpack, BuiltFields)
{
    use_tables();
    for (const BuiltCase &c : built_cases()) {
        SCOPED_TRACE(c.name);
        vyktest::TempDir dir;
        const std::string file = dir.file("f.grib2");
        vyktest::write_file(file,
                            message(c.nx, c.ny, c.scan, c.points, c.drs, c.bms, c.ds, c.rows));
        gribtest::Rec rec;
        std::string err;
        const int r = read_values(file, rec, err);
        EXPECT_EQ(r, c.status);
        if (*c.warning) {
            EXPECT_TRUE(vyktest::has(err, c.warning)) << err;
        } else {
            EXPECT_EQ(decoder_warnings(err), "");
        }
        if (c.values.empty()) {
            EXPECT_EQ(rec.r.grid, nullptr);
            continue;
        }
        ASSERT_NE(rec.r.grid, nullptr);
        ASSERT_EQ(rec.r.domain.nx, c.nx);
        ASSERT_EQ(rec.r.domain.ny, c.ny);
        for (size_t k = 0; k < c.values.size(); k++)
            EXPECT_FLOAT_EQ(rec.r.grid[k], c.values[k]) << "point " << k;
    }
}

// ---------------------------------------------------------------------------------------------
// Fields packed by eccodes: a field written from its GRIB2 sample, repacked with
// grib_set -r -s packingType=..., decodes to what grib_get_data lists.
// ---------------------------------------------------------------------------------------------

struct EcCase {
    const char *packing;
    bool south_first;  // rows stored south to north
    bool bitmap;       // every 7th value missing, through a bit map
};

const EcCase EC_CASES[] = {
    {"grid_simple", false, false},
    {"grid_simple", true, true},
    {"grid_complex", false, false},
    {"grid_complex", true, true},
    // eccodes writes this template with spatial differencing of order 0 (none); the orders 1
    // and 2 come from the real GDAS field and the built messages above.
    {"grid_complex_spatial_differencing", false, false},
    {"grid_complex_spatial_differencing", false, true},
    {"grid_jpeg", false, false},
    {"grid_jpeg", true, false},
    {"grid_jpeg", false, true},
    {"grid_png", false, false},
    {"grid_png", true, true},
    {"grid_ieee", false, false},
    {"grid_ieee", true, true},
};

constexpr int EC_NX = 64, EC_NY = 33;

std::string ec_grid(bool south_first)
{
    const std::string la = south_first ? "latitudeOfFirstGridPointInDegrees=28,"
                                         "latitudeOfLastGridPointInDegrees=60,jScansPositively=1,"
                                       : "latitudeOfFirstGridPointInDegrees=60,"
                                         "latitudeOfLastGridPointInDegrees=28,";
    return "Ni=64,Nj=33,iDirectionIncrementInDegrees=1,jDirectionIncrementInDegrees=1," + la +
           "longitudeOfFirstGridPointInDegrees=0,longitudeOfLastGridPointInDegrees=63";
}

/// A field of EC_NX by EC_NY points written from eccodes' GRIB2 sample and repacked by
/// grib_set -r -s packingType=...; with a bit map every 7th value is missing.
std::string ec_packed(const vyktest::TempDir &dir, const std::string &packing, bool south_first,
                      bool bitmap)
{
    std::vector<double> v(size_t(EC_NX * EC_NY));
    for (size_t k = 0; k < v.size(); k++) {
        const double x = double(k % EC_NX), y = double(k / EC_NX);
        v[k] = 280 + 30 * std::sin(x * 0.05) * std::cos(y * 0.07) + 0.37 * double(k % 5);
        if (bitmap && k % 7 == 3) v[k] = gribtest::MISSING;
    }
    const std::string base = dir.file("base.grib2"), file = dir.file(packing + ".grib2");
    gribtest::make(base, gribtest::sample("GRIB2"), ec_grid(south_first), "set bitsPerValue = 16;",
                   v, "set decimalScaleFactor = 2;", bitmap);
    const std::string cmd = "grib_set -r -s packingType=" + packing + " " + vyktest::quote(base) +
                            " " + vyktest::quote(file);
    const vyktest::RunResult r = vyktest::run(cmd);
    EXPECT_EQ(r.status, 0) << cmd << "\n" << r.err;
    EXPECT_TRUE(vyktest::has(gribtest::keys(file, "packingType"), packing));
    return file;
}

TEST(Grib2Eccodes, PackingsDecodeAsGribGetData)
{
    use_tables();
    for (const EcCase &c : EC_CASES) {
        SCOPED_TRACE(std::string(c.packing) + (c.south_first ? ", south to north" : "") +
                     (c.bitmap ? ", bit map" : ""));
        vyktest::TempDir dir;
        const std::string file = ec_packed(dir, c.packing, c.south_first, c.bitmap);
        if (HasFailure()) return;
        const std::vector<gribtest::Point> pts = gribtest::points(file);
        ASSERT_EQ(pts.size(), size_t(EC_NX * EC_NY));
        gribtest::Rec rec;
        std::string err;
        ASSERT_EQ(read_values(file, rec, err), 0);
        EXPECT_EQ(decoder_warnings(err), "");
        ASSERT_EQ(rec.r.domain.nx, EC_NX);
        ASSERT_EQ(rec.r.domain.ny, EC_NY);
        size_t bad = 0, missing = 0;
        for (size_t k = 0; k < pts.size(); k++) {
            const size_t row = c.south_first ? EC_NY - 1 - k / EC_NX : k / EC_NX;
            const float got = rec.r.grid[row * EC_NX + k % EC_NX];
            if (pts[k].missing) {
                missing++;
                if (got != -9999.0f) bad++;
            } else if (std::fabs(double(got) - pts[k].value) > 1e-6 * std::fabs(pts[k].value)) {
                bad++;
            }
        }
        EXPECT_EQ(bad, 0u);
        EXPECT_EQ(missing > 0, c.bitmap);
    }
}

/// Section 7's octets after its header, from the first message of a file.
std::string data_section(const std::string &msg)
{
    size_t at = 16;
    while (at + 5 <= msg.size()) {
        const size_t len = (size_t((unsigned char)msg[at]) << 24) |
                           (size_t((unsigned char)msg[at + 1]) << 16) |
                           (size_t((unsigned char)msg[at + 2]) << 8) | (unsigned char)msg[at + 3];
        if (msg[at + 4] == 7) return msg.substr(at + 5, len - 5);
        if (len < 5) break;
        at += len;
    }
    return "";
}

uint32_t crc32(const std::string &s)
{
    uint32_t c = 0xFFFFFFFFu;
    for (unsigned char ch : s) {
        c ^= ch;
        for (int k = 0; k < 8; k++) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
    }
    return ~c;
}

/// Image streams patched into hostile ones (sizes beyond the grid, cut short, fewer pixels than
/// the values declared) are skipped with a warning: no values, never a crash.
TEST(Grib2Unpack, HostileImagesAreSkipped)
{
    use_tables();
    vyktest::TempDir dir;
    const std::string jpeg = data_section(gribtest::octets(ec_packed(dir, "grid_jpeg", false, false)));
    const std::string png = data_section(gribtest::octets(ec_packed(dir, "grid_png", false, false)));
    ASSERT_EQ(jpeg.substr(0, 4), "\xFF\x4F\xFF\x51");
    ASSERT_EQ(png.substr(1, 3), "PNG");
    std::string jpeg_huge = jpeg;  // image and tile 4096 x 4096 in the SIZ marker
    for (size_t at : {8, 12, 24, 28}) jpeg_huge.replace(at, 4, be(4096, 4));
    std::string jpeg_tiles = jpeg; // 11075840 x 1 points in tiles of 425 x 1
    jpeg_tiles.replace(8, 8, be(11075840, 4) + be(1, 4));
    jpeg_tiles.replace(24, 8, be(425, 4) + be(1, 4));
    std::string png_huge = png;    // IHDR of 100000 x 100000, its CRC made again
    png_huge.replace(16, 8, be(100000, 4) + be(100000, 4));
    png_huge.replace(29, 4, be(crc32(png_huge.substr(12, 17)), 4));
    struct Case {
        const char *name;
        int temp;
        uint32_t ny;
        std::string image;
        const char *warning;
    };
    const uint32_t ny = EC_NY;
    const Case cases[] = {
        {"JPEG 2000 as packed", 40, ny, jpeg, ""},
        {"PNG as packed", 41, ny, png, ""},
        {"JPEG 2000 image larger than the grid", 40, ny, jpeg_huge, "does not fit a grid"},
        {"JPEG 2000 image of 26061 tiles", 40, ny, jpeg_tiles, "does not fit a grid"},
        {"PNG image larger than the grid", 41, ny, png_huge, "does not fit a grid"},
        {"JPEG 2000 stream cut short", 40, ny, jpeg.substr(0, jpeg.size() / 2), "jpc_decode error"},
        {"PNG stream cut short", 41, ny, png.substr(0, png.size() / 2), "GRIB_DS: PNG"},
        {"JPEG 2000 image of fewer points than values", 40, ny + 1, jpeg, "fewer than"},
        {"PNG image of fewer points than values", 41, ny + 1, png, "fewer than"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string drs = be(uint32_t(c.temp), 2) + ieee(0) + be(0, 2) + be(0, 2) +
                                char(16) + char(0) + char(0) + char(255);
        const std::string file = dir.file("hostile.grib2");
        vyktest::write_file(file, message(EC_NX, c.ny, 0, EC_NX * c.ny, drs, "", c.image));
        gribtest::Rec rec;
        std::string err;
        const int r = read_values(file, rec, err);
        if (!*c.warning) {
            EXPECT_EQ(r, 0);
            EXPECT_EQ(decoder_warnings(err), "");
            continue;
        }
        EXPECT_EQ(r, -1);
        EXPECT_EQ(rec.r.grid, nullptr);
        EXPECT_TRUE(vyktest::has(err, c.warning)) << err;
    }
}

/// A product of a file made from eccodes' edition-2 sample with keys set (none: the sample).
struct Made {
    int var = 0;
    std::string info, units;
};
Made made(const vyktest::TempDir &dir, const std::string &name, const std::string &keys)
{
    const std::string file = dir.file(name);
    const std::string cmd = keys.empty()
                                ? "cp " + gribtest::sample("GRIB2") + " " + vyktest::quote(file)
                                : "grib_set -s " + keys + " " + gribtest::sample("GRIB2") + " " +
                                      vyktest::quote(file);
    const vyktest::RunResult r = vyktest::run(cmd);
    EXPECT_EQ(r.status, 0) << cmd << r.err;
    gribtest::Open g(file);
    gribtest::Rec rec;
    int num = 0;
    EXPECT_EQ(GRD_read(g.slot, &rec.r, GRD_READ_HEADER, &num), 0) << keys;
    return {rec.r.var, rec.r.info, rec.r.units};
}

/// A probability limit as the variable number codes it.
long long coded(float limit)
{
    const int t = float2int(limit);
    return t >= 0 ? t : 5000 - t;
}

/// Ensemble members, means, spreads and probabilities of edition 2 get the names and codes of
/// edition 1's.
TEST(Grib2Products, EnsemblesAndProbabilitiesAreNamed)
{
    use_tables();
    vyktest::TempDir dir;
    const Made plain = made(dir, "plain", "");
    ASSERT_GT(plain.var, -1);
    EXPECT_EQ(plain.info.find("Ens"), std::string::npos) << plain.info;
    struct Case {
        const char *keys;
        long long var;      // expected variable number (plain.var added when add is set)
        bool add;
        const char *words;  // expected in the name
        const char *units;  // expected units, or NULL for the parameter's
    };
    const Case cases[] = {
        {"productDefinitionTemplateNumber=1,typeOfEnsembleForecast=3,perturbationNumber=3",
         19343000, true, "Ens[+3] ", nullptr},
        {"productDefinitionTemplateNumber=1,typeOfEnsembleForecast=2,perturbationNumber=4",
         19324000, true, "Ens[-4] ", nullptr},
        {"productDefinitionTemplateNumber=1,typeOfEnsembleForecast=0,perturbationNumber=0",
         19300000, true, "Ens[0] ", nullptr},
        {"productDefinitionTemplateNumber=2,derivedForecast=1", 19000000, true, "Ens mean ",
         nullptr},
        {"productDefinitionTemplateNumber=2,derivedForecast=2", 19001000, true, "Ens std dev ",
         nullptr},
        {"productDefinitionTemplateNumber=11,typeOfEnsembleForecast=3,perturbationNumber=1",
         19341000, true, "Ens[+1] ", nullptr},
        {"productDefinitionTemplateNumber=5,typeOfGeneratingProcess=4,probabilityType=0,"
         "scaleFactorOfLowerLimit=3,scaledValueOfLowerLimit=254",
         1910000000LL + 10000LL * plain.var + 1000 + coded(0.254f), false, "Ens prob (%) ",
         "%"},
        {"productDefinitionTemplateNumber=5,typeOfGeneratingProcess=4,probabilityType=1,"
         "scaleFactorOfUpperLimit=0,scaledValueOfUpperLimit=300",
         1910000000LL + 10000LL * plain.var + 2000 + coded(300.0f), false, " above 300.00", "%"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.keys);
        const Made m = made(dir, "e.grib2", c.keys);
        const long long want = c.add ? c.var + plain.var : c.var;
        EXPECT_EQ(m.var, want);
        EXPECT_NE(m.info.find(c.words), std::string::npos) << m.info;
        EXPECT_EQ(m.units, c.units ? std::string(c.units) : plain.units);
    }
    // The lower limit of a probability below a value names it.
    const Made below = made(dir, "b.grib2", cases[6].keys);
    EXPECT_NE(below.info.find(" below 0.25"), std::string::npos) << below.info;
}

/// A probability whose code would lie beyond an int (a parameter the table lacks, numbered
/// discipline*1000000 + category*1000 + parameter, as NDFD's critical fire weather, 0.192.192
/// of ds.critfireo.bin) gets no variable number, with a warning that names it, never a code
/// clamped to the largest int and shared with every other such product; a probability whose
/// code fits keeps it.
TEST(Grib2Products, ProbabilitiesBeyondTheCodesGetNoNumber)
{
    use_tables();
    vyktest::TempDir dir;
    const std::string prob = "productDefinitionTemplateNumber=5,typeOfGeneratingProcess=4,"
                             "probabilityType=1,scaleFactorOfUpperLimit=0,"
                             "scaledValueOfUpperLimit=0,";
    struct Case {
        const char *param;
        long long var;  // -9999: none
        const char *named;
    };
    const Case cases[] = {
        {"parameterCategory=192,parameterNumber=192", -9999, "variable 192192"},
        {"parameterCategory=192,parameterNumber=193", -9999, "variable 192193"},
        {"discipline=10,parameterCategory=191,parameterNumber=0", -9999, "variable 10191000"},
        // 19200: the largest category that fits below 2^31 is 23
        {"parameterCategory=19,parameterNumber=200", 1910000000LL + 10000LL * 19200 + 2000,
         nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.param);
        vyktest::CaptureStdio cap;
        const Made m = made(dir, "p.grib2", prob + c.param);
        cap.finish();
        EXPECT_EQ(m.var, c.var);
        EXPECT_EQ(m.units, "%");
        EXPECT_TRUE(vyktest::has(m.info, "Ens prob (%) ")) << m.info;
        if (c.named) {
            EXPECT_TRUE(vyktest::has(cap.err(), "has no variable number")) << cap.err();
            EXPECT_TRUE(vyktest::has(cap.err(), c.named)) << cap.err();
        } else {
            EXPECT_EQ(decoder_warnings(cap.err()), "");
        }
    }
    // The four products of the corpus file: no number, each with its own label and values.
    const std::string file = corpus(dir, "ds.critfireo.bin.xz");
    gribtest::Open g(file);
    vyktest::CaptureStdio cap;
    for (int n = 0; n < 4; n++) {
        gribtest::Rec rec;
        int num = n;
        ASSERT_EQ(GRD_read(g.slot, &rec.r, GRD_READ_VALUES, &num), 0);
        EXPECT_EQ(rec.r.var, -9999);
        EXPECT_NE(rec.r.grid, nullptr);
    }
    cap.finish();
    EXPECT_GE(vyktest::count(cap.err(), "(probability of variable 192192) has no variable number"),
              4)
        << cap.err();
    EXPECT_EQ(vyktest::count(decoder_warnings(cap.err()), "\n"),
              vyktest::count(cap.err(), "has no variable number"));
}

/// The parameter table: comments, rows of any centre or of one, a line longer than 200
/// characters left out with a warning (its tail is not read as a row of its own), numbers no
/// int holds and lines without a name are not rows.
TEST(Grib2Products, ParameterTable)
{
    vyktest::TempDir dir;
    vyktest::write_file(dir.file("variable.lup"),
                        vyktest::read_file(VYK_SOURCE_DIR "/etc/variable.lup"));
    const std::string pad(180, 'x');
    vyktest::write_file(dir.file("grib2_var.lup"),
                        "# centre discipline category parameter name units long-name\n"
                        "0 0 0 0 tmp K Temperature\n"
                        "7 0 1 8 apcp kg/m2 Total precipitation of centre 7\n"
                        "0 0 2 2 uwnd m/s " + pad + " 0 0 2 3 vwnd m/s tail\n"
                        "0 4294967296 0 1 vtmp K Virtual temperature\n"
                        "0 0 0 4\n"
                        "0 0 0 6 dewp K Dew point\n");
    RES_put("file_path", dir.path().c_str());
    struct Case {
        int src, disc, cat, param;
        int ind;
        const char *units;
    };
    const Case cases[] = {
        {34, 0, 0, 0, 11, "K"},      // centre 0: any centre
        {7, 0, 1, 8, 61, "kg/m2"},   // the centre's own row
        {98, 0, 1, 8, 1008, ""},     // not for another centre: the coded number
        {7, 0, 2, 2, 2002, ""},      // the long line is left out
        {7, 0, 2, 3, 2003, ""},      // and its tail is not a row
        {7, 0, 0, 1, 1, ""},         // 4294967296 is no discipline 0
        {7, 0, 0, 4, 4, ""},         // no name
        {7, 0, 0, 6, 17, "K"},       // the rows after them are read
        {7, 256, 0, 0, -9999, ""},   // numbers no octet holds have no code
    };
    vyktest::CaptureStdio cap;
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.disc) + "." + std::to_string(c.cat) + "." +
                     std::to_string(c.param));
        const GribParam p = GRIB_get_ver2_param(c.src, c.disc, c.cat, c.param);
        EXPECT_EQ(p.ind, c.ind);
        EXPECT_STREQ(p.units, c.units);
    }
    cap.finish();
    EXPECT_EQ(vyktest::count(cap.err(), "a line longer than 200 characters"), 1) << cap.err();
}

/// A level whose scale factor makes its value infinite or larger than an int holds is missing
/// (-9999), its level type kept; levels in range and surfaces decode as ever.
TEST(Grib2Products, LevelsBeyondAnIntAreMissing)
{
    use_tables();
    vyktest::TempDir dir;
    const std::vector<std::string> s =
        gribtest::sections(gribtest::octets(gribtest::sample("GRIB2")));
    ASSERT_GE(s[4].size(), 34u);
    struct Case {
        int t1, scale;  // scale: the octet, sign and magnitude
        uint32_t value;
        int ltype, level;
    };
    constexpr int NEG = 0x80;
    const Case cases[] = {
        {100, 0, 85000, 100, 850},
        {100, NEG | 126, 5, 100, -9999},      // 5e126 Pa: no float holds it
        {103, NEG | 9, 3, 105, -9999},        // 3e9 m above ground
        {104, NEG | 6, 3, 107, -9999},        // sigma 3e6, times 10000
        {109, NEG | 3, 5000, 117, -9999},     // potential vorticity 5e6, times 1e6
        {150, NEG | 20, 1, 150, -9999},       // another type: the value itself
        {100, NEG | 8, 5, 100, 5000000},      // 5e6 hPa fits
        {1, NEG | 126, 5, 1, 0},              // the ground has no value
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.t1) + " " + std::to_string(c.scale) + " " +
                     std::to_string(c.value));
        std::string pds = s[4];
        pds[22] = char(c.t1);
        pds[23] = char(c.scale);
        for (int k = 0; k < 4; k++) pds[size_t(24 + k)] = char(c.value >> (24 - 8 * k));
        pds[28] = char(255);  // no second surface
        const std::string file = dir.file("l.grib2");
        gribtest::put_octets(file, gribtest::message(s[0], {s[1], s[3], pds, s[5], s[6], s[7]}));
        gribtest::Open g(file);
        gribtest::Rec rec;
        int num = 0;
        ASSERT_EQ(GRD_read(g.slot, &rec.r, GRD_READ_VALUES, &num), 0);
        EXPECT_EQ(rec.r.ltype, c.ltype);
        EXPECT_EQ(rec.r.level, c.level);
    }
}

/// Every surface type gives its level type and value, for a single surface and for a layer
/// between two surfaces; a type without a row keeps its code and its first value.
TEST(Grib2Products, SurfaceTypesGiveLevelTypesAndValues)
{
    use_tables();
    vyktest::TempDir dir;
    const std::vector<std::string> s =
        gribtest::sections(gribtest::octets(gribtest::sample("GRIB2")));
    ASSERT_GE(s[4].size(), 34u);
    struct Surface {
        int scale;  // decimal scale factor of the value
        uint32_t value;
    };
    struct Case {
        int t1;
        Surface a;
        int t2;  // 255: a single surface
        Surface b;
        int ltype, level;
    };
    const Case cases[] = {
        {100, {0, 85000}, 255, {0, 0}, 100, 850},         // isobaric, hPa
        {100, {0, 50000}, 100, {0, 100000}, 101, 50100},  // layer, kPa
        {101, {0, 0}, 255, {0, 0}, 102, 0},               // mean sea level
        {101, {0, 0}, 101, {0, 0}, 102, 0},
        {102, {0, 1500}, 255, {0, 0}, 103, 1500},        // altitude, m
        {102, {0, 1000}, 102, {0, 500}, 104, 10005},     // layer, hm
        {103, {1, 25}, 255, {0, 0}, 105, 3},             // height above ground, rounded
        {103, {0, 0}, 103, {0, 3000}, 106, 30},
        {104, {3, 995}, 255, {0, 0}, 107, 9950},         // sigma
        {104, {3, 995}, 104, {1, 5}, 108, 99050},
        {105, {0, 10}, 255, {0, 0}, 109, 10},            // hybrid
        {105, {0, 10}, 105, {0, 20}, 109, 10},
        {106, {1, 1}, 255, {0, 0}, 111, 10},             // depth below land, cm
        {106, {0, 0}, 106, {1, 1}, 112, 10},
        {107, {0, 300}, 255, {0, 0}, 113, 300},          // isentropic, K
        {107, {0, 300}, 107, {0, 310}, 114, 300},
        {108, {0, 3000}, 255, {0, 0}, 115, 30},          // pressure from ground, hPa
        {108, {0, 3000}, 108, {0, 0}, 116, 30000},
        {109, {6, 2}, 255, {0, 0}, 117, 2},              // potential vorticity
        {109, {6, 2}, 109, {6, 1}, 117, 2},
        {111, {0, 1}, 255, {0, 0}, 119, 1},              // eta
        {111, {0, 1}, 111, {0, 0}, 120, 1},
        {150, {0, 7}, 150, {0, 9}, 150, 7},              // no row
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.t1) + " " + std::to_string(c.t2));
        std::string pds = s[4];
        pds[22] = char(c.t1);
        pds[23] = char(c.a.scale);
        pds[28] = char(c.t2);
        pds[29] = char(c.b.scale);
        for (int k = 0; k < 4; k++) {
            pds[size_t(24 + k)] = char(c.a.value >> (24 - 8 * k));
            pds[size_t(30 + k)] = char(c.b.value >> (24 - 8 * k));
        }
        const std::string file = dir.file("l.grib2");
        gribtest::put_octets(file, gribtest::message(s[0], {s[1], s[3], pds, s[5], s[6], s[7]}));
        gribtest::Open g(file);
        gribtest::Rec rec;
        int num = 0;
        ASSERT_EQ(GRD_read(g.slot, &rec.r, GRD_READ_VALUES, &num), 0);
        EXPECT_EQ(rec.r.ltype, c.ltype);
        EXPECT_EQ(rec.r.level, c.level);
    }
}

/// A field that follows an ensemble member in the same message carries no ensemble code.
TEST(Grib2Products, EnsembleCodesDoNotPassToTheNextField)
{
    use_tables();
    vyktest::TempDir dir;
    const std::string member = dir.file("m.grib2"), plain = dir.file("p.grib2");
    ASSERT_EQ(vyktest::run("grib_set -s productDefinitionTemplateNumber=1,"
                           "typeOfEnsembleForecast=3,perturbationNumber=3 " +
                           gribtest::sample("GRIB2") + " " + vyktest::quote(member))
                  .status,
              0);
    const std::vector<std::string> a = gribtest::sections(gribtest::octets(member));
    const std::vector<std::string> b =
        gribtest::sections(gribtest::octets(gribtest::sample("GRIB2")));
    const std::string two = dir.file("two.grib2");
    gribtest::put_octets(two, gribtest::message(a[0], {a[1], a[2], a[3], a[4], a[5], a[6], a[7],
                                                       b[4], b[5], b[6], b[7]}));
    ASSERT_EQ(gribtest::keys(two, "productDefinitionTemplateNumber"), "1\n0\n");
    gribtest::Open g(two);
    gribtest::Rec rec;
    int num = 0;
    ASSERT_EQ(GRD_read(g.slot, &rec.r, GRD_READ_VALUES, &num), 0);
    const int member_var = rec.r.var;
    EXPECT_NE(std::string(rec.r.info).find("Ens[+3]"), std::string::npos) << rec.r.info;
    num = 1;
    ASSERT_EQ(GRD_read(g.slot, &rec.r, GRD_READ_VALUES, &num), 0);
    EXPECT_EQ(member_var - rec.r.var, 19343000);
    EXPECT_EQ(std::string(rec.r.info).find("Ens"), std::string::npos) << rec.r.info;
}

}  // namespace
