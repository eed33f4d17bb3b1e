// GRIB edition 2: real files of operational centres decode to the values an independent
// decoder wrote for them (tests/data/grib2, see its README), field by field through the
// grid-file contract; the sections' codes; hostile sections.
#include <gtest/gtest.h>

#include "grib_fixture.h"
#include "test_util.h"
#include "vykgrib2.h"
#include "vykresrc.h"

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

/// The file of the corpus, unpacked into dir when it is compressed.
std::string corpus(const vyktest::TempDir &dir, const std::string &name)
{
    const std::string src = vyktest::data("grib2/" + name);
    if (name.size() > 3 && name.compare(name.size() - 3, 3, ".xz") == 0) {
        const std::string out = dir.file(name.substr(0, name.size() - 3));
        const vyktest::RunResult r =
            vyktest::run("xz -dc " + vyktest::quote(src) + " > " + vyktest::quote(out));
        EXPECT_EQ(r.status, 0) << r.err;
        return out;
    }
    return src;
}

/// Reference values: little-endian float32 in the order the message stores them.
std::vector<float> reference(const vyktest::TempDir &dir, const std::string &name)
{
    const std::string bytes = vyktest::read_file(corpus(dir, name));
    std::vector<float> v(bytes.size() / 4);
    std::memcpy(v.data(), bytes.data(), v.size() * 4);
    return v;
}

void use_tables()
{
    RES_put("file_path", VYK_SOURCE_DIR "/etc");
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

}  // namespace
