// The system's own text and binary grid files: write then read back every kind, the product
// stepping rules (headers, values, skipping ahead, rewinding), the fields of a product as
// tables of hand-written files, values files, appending, and hostile files.
#include <gtest/gtest.h>

#include "gfile_fixture.h"
#include "test_util.h"
#include "grd_file.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

using gfiletest::Prod;
using gfiletest::Rec;

namespace {

/// Two products of different shapes, projections and units, with missing values.
std::vector<Prod> two_products()
{
    Prod a(3, 2, DOM_LATLON);
    a.values[4] = VYK_MISS;
    a.units = "deg C";  // written with '_'
    Prod b(2, 2, DOM_LAMB);
    b.datim = "00Z 06 MAR 24";
    b.info = "850 mb Height (gpm)";
    b.var = 7;
    b.level = 850;
    b.time = 1012;
    b.units = "gpm";
    b.dom.plat = 25;
    b.dom.plon = -95;
    b.dom.param[0] = 25;
    b.dom.param[1] = 25;
    b.dom.param[2] = 1;
    b.values = {5500.5f, VYK_MISS, -1.25e-3f, 3.0e7f};
    return {a, b};
}

void expect_product(const GRD_report &g, const Prod &p, bool exact, int format)
{
    EXPECT_STREQ(g.datim, p.datim.c_str());
    EXPECT_STREQ(g.info, p.info.c_str());
    EXPECT_EQ(g.source, p.source);
    EXPECT_EQ(g.version, p.version);  // the numbers line overrides the format number
    EXPECT_EQ(g.model, p.model);
    EXPECT_EQ(g.type, p.type);
    EXPECT_EQ(g.ltype, p.ltype);
    EXPECT_EQ(g.level, p.level);
    EXPECT_EQ(g.time, p.time);
    EXPECT_EQ(g.var, p.var);
    std::string units = p.units;
    for (char &c : units)
        if (c == ' ') c = '_';
    EXPECT_EQ(std::string(g.units), units);
    EXPECT_EQ(g.domain.proj, p.dom.proj);
    EXPECT_FLOAT_EQ(g.domain.clat, p.dom.clat);
    EXPECT_FLOAT_EQ(g.domain.clon, p.dom.clon);
    EXPECT_FLOAT_EQ(g.domain.dx, p.dom.dx);
    EXPECT_FLOAT_EQ(g.domain.dy, p.dom.dy);
    EXPECT_EQ(g.domain.nx, p.dom.nx);
    EXPECT_EQ(g.domain.ny, p.dom.ny);
    if (p.dom.proj == DOM_LAMB) {
        EXPECT_FLOAT_EQ(g.domain.plat, p.dom.plat);
        EXPECT_FLOAT_EQ(g.domain.plon, p.dom.plon);
        for (int k = 0; k < 3; k++) EXPECT_FLOAT_EQ(g.domain.param[k], p.dom.param[k]);
    }
    (void)format;
    const std::vector<float> v = gfiletest::values_of(g);
    ASSERT_EQ(v.size(), p.values.size());
    for (size_t k = 0; k < v.size(); k++) {
        if (exact || VYK_is_miss(p.values[k]))
            EXPECT_EQ(v[k], p.values[k]) << k;
        else
            EXPECT_NEAR(v[k], p.values[k], std::fabs(p.values[k]) * 1e-7 + 1e-30) << k;
    }
}

using vyktest::stderr_of;

/// Reads every product of a file with its values: the count read.
int read_all(const std::string &path, std::vector<std::vector<float>> *values = nullptr)
{
    const int fd = gfiletest::open_read(path);
    if (fd < 0) return -1;
    Rec rec;
    int n = 0;
    for (int num = 0; GRD_read(fd, &rec.r, GRD_READ_VALUES, &num) == 0; num = ++n)
        if (values) values->push_back(gfiletest::values_of(rec.r));
    GRD_close(fd);
    return n;
}

}  // namespace

TEST(GrdVyk, EveryKindReadsBackWhatWasWritten)
{
    vyktest::TempDir dir;
    const std::vector<Prod> prods = two_products();
    struct Case {
        int kind;
        int detected;
        const char *start;
        bool exact;
    };
    const Case cases[] = {
        {GRD_TEXT, GRD_TEXT, "VYKGRID\n12Z 05 MAR 24\n2-500 mb", false},
        {GRD_BINARY, GRD_TEXT, "VYKGRID\n12Z 05 MAR 24\n3-500 mb", true},
        {GRD_TEXT_PLAIN, GRD_TEXT_PLAIN, "12Z 05 MAR 24\n2-500 mb", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.kind);
        const std::string path = dir.file("g" + std::to_string(c.kind));
        ASSERT_TRUE(gfiletest::write(path, c.kind, prods));
        EXPECT_EQ(vyktest::read_file(path).rfind(c.start, 0), 0u);
        GRD_info info{};
        const int fd = gfiletest::open_read(path, GRD_DETECT, &info);
        ASSERT_GE(fd, 0);
        EXPECT_EQ(GRD_get_gfile(fd)->type, c.detected);
        EXPECT_STREQ(info.datim, "12Z 05 MAR 24");
        EXPECT_EQ(info.date.year, 2024);
        EXPECT_EQ(info.date.month, 3);
        EXPECT_EQ(info.date.day, 5);
        EXPECT_EQ(info.date.hour, 12);
        Rec rec;
        for (int pass = 0; pass < 2; pass++) {
            for (int k = 0; k < 2; k++) {
                int num = k;
                ASSERT_EQ(GRD_read(fd, &rec.r, GRD_READ_VALUES, &num), 0);
                EXPECT_EQ(num, k);
                expect_product(rec.r, prods[static_cast<size_t>(k)], c.exact, c.kind);
            }
            int num = 2;
            EXPECT_EQ(GRD_read(fd, &rec.r, GRD_READ_HEADER, &num), -1);  // the end
            EXPECT_EQ(GRD_rewind(fd), 0);
        }
        GRD_close(fd);
    }
}

TEST(GrdVyk, ProductStepping)
{
    vyktest::TempDir dir;
    std::vector<Prod> prods;
    for (int k = 0; k < 4; k++) {
        Prod p(2, 2);
        p.var = 10 + k;
        for (float &v : p.values) v += static_cast<float>(100 * k);
        prods.push_back(p);
    }
    const std::string path = dir.file("four.grd");
    ASSERT_TRUE(gfiletest::write(path, GRD_TEXT, prods));
    const int fd = gfiletest::open_read(path);
    Rec rec;
    struct Step {
        int rep;
        int num;
        int var;    // expected product (10 + index), -1 for the end
        int after;  // num after the call
    };
    const Step steps[] = {
        {GRD_READ_HEADER, 0, 10, 0}, {GRD_READ_HEADER, 1, 11, 1}, {GRD_READ_VALUES, 1, 11, 1},
        {GRD_READ_VALUES, 0, 10, 0},   // a lower number rewinds
        {GRD_READ_VALUES, 3, 13, 3},   // more than one ahead: the products between are passed
        {GRD_READ_VALUES, 3, 13, 3},   // the current one again
        {GRD_READ_HEADER, 4, -1, 4},   // the end
        {GRD_READ_VALUES, 2, 12, 2},
        {GRD_READ_VALUES, -1, 12, 2},  // a negative number: the current product
    };
    for (const Step &s : steps) {
        SCOPED_TRACE(std::to_string(s.rep) + " " + std::to_string(s.num));
        int num = s.num;
        const int r = GRD_read(fd, &rec.r, s.rep, &num);
        if (s.var < 0) {
            EXPECT_EQ(r, -1);
            continue;
        }
        ASSERT_EQ(r, 0);
        EXPECT_EQ(rec.r.var, s.var);
        EXPECT_EQ(num, s.after);
        if (s.rep == GRD_READ_VALUES) {
            EXPECT_EQ(rec.r.grid[0], 250.0f + 100.0f * static_cast<float>(s.var - 10));
        } else {
            EXPECT_EQ(rec.r.grid, nullptr);  // a header read releases the values
        }
    }
    // The next product right after opening, before any was read.
    GRD_close(fd);
    const int fd2 = gfiletest::open_read(path);
    int num = 1;
    ASSERT_EQ(GRD_read(fd2, &rec.r, GRD_READ_VALUES, &num), 0);
    EXPECT_EQ(rec.r.var, 11);
    // GRD_rewind, then product 0: the first one, not the one read before the rewind.
    EXPECT_EQ(GRD_rewind(fd2), 0);
    num = 0;
    ASSERT_EQ(GRD_read(fd2, &rec.r, GRD_READ_VALUES, &num), 0);
    EXPECT_EQ(rec.r.var, 10);
    GRD_close(fd2);
}

TEST(GrdVyk, FieldsOfHandWrittenProducts)
{
    vyktest::TempDir dir;
    struct Case {
        const char *name;
        std::string product;  // after the file's first line
        std::string info;
        int version, proj;
        float clat, clon, plat, plon, dx, dy, p0, p1, p2;
        int nx, ny, var;
        std::string units;
    };
    const float M = VYK_MISS;
    const Case cases[] = {
        {"format 0, numbers in the description", "L\n12-hour forecast\nLL 40 -100 1 1 1 1\n5\n",
         "hour forecast", 12, 2, 40, -100, M, -100, 1, 1, M, M, M, 1, 1, 0, ""},
        {"no number: format 0 and the whole line", "L\nTemperature - 2 m\nLL 40 -100 1 1 1 1\n5\n",
         "Temperature - 2 m", 0, 2, 40, -100, M, -100, 1, 1, M, M, M, 1, 1, 0, ""},
        {"format 2 alone", "L\n2-\n1 2 3 4 5 6 7 8\nME 1 2 3 4 1 1\n5\n", "", 2, 3, 1, 2, M, M,
         3, 4, M, M, M, 1, 1, 8, ""},
        {"format 1 negates clon (and the pole that follows it)",
         "L\n1-west\nPS 60 100 1 1 1 1\n5\n", "west", 1, 1, 60, -100, M, -100, 1, 1, M, M, M,
         1, 1, 0, ""},
        {"PS with a pole", "L\n0-x\nPS:-105 60 -100 1 1 1 1\n5\n", "x", 0, 1, 60, -100, M, -105,
         1, 1, M, M, M, 1, 1, 0, ""},
        {"LC with a pole only", "L\n0-x\nLC:-95 40 -100 1 1 1 1\n5\n", "x", 0, 4, 40, -100, M,
         -95, 1, 1, M, M, M, 1, 1, 0, ""},
        {"LC with five numbers", "L\n0-x\nLC:25:-95:25:25:1 40 -100 1 1 1 1\n5\n", "x", 0, 4, 40,
         -100, 25, -95, 1, 1, 25, 25, 1, 1, 1, 0, ""},
        {"old form: the token is clat", "L\n0-x\n60.5 -100 1.5 1 1\n5\n", "x", 0, 1, 60.5f,
         -100, M, -100, 1.5f, 1.5f, M, M, M, 1, 1, 0, ""},
        {"units word before the token", "L\n0-x\n:deg_C LL 40 -100 1 1 1 1\n5\n", "x", 0, 2, 40,
         -100, M, -100, 1, 1, M, M, M, 1, 1, 0, "deg_C"},
        {"units after the eighth number", "L\n2-x\n7 2 96 3 100 500 12 11:K\nLL 0 0 1 1 1 1\n5\n",
         "x", 2, 2, 0, 0, M, 0, 1, 1, M, M, M, 1, 1, 11, "K"},
        {"numbers that are not numbers keep the reset", "L\n2-x\n7 x 96 3 y 500 12 z\nLL 0 0 1 1 1 1\n5\n",
         "x", 2, 2, 0, 0, M, 0, 1, 1, M, M, M, 1, 1, 0, ""},
        {"a CR LF file", "L\r\n2-x\r\n7 2 96 3 100 500 12 11\r\nLL 0 0 1 1 1 1\r\n5\r\n", "x", 2,
         2, 0, 0, M, 0, 1, 1, M, M, M, 1, 1, 11, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.file("f.grd");
        vyktest::write_file(path, "VYKGRID\n" + c.product);
        const int fd = gfiletest::open_read(path);
        ASSERT_GE(fd, 0);
        Rec rec;
        int num = 0;
        ASSERT_EQ(GRD_read(fd, &rec.r, GRD_READ_VALUES, &num), 0);
        GRD_close(fd);
        const GRD_report &g = rec.r;
        EXPECT_EQ(std::string(g.info), c.info);
        EXPECT_EQ(g.version, c.version);
        EXPECT_EQ(g.domain.proj, c.proj);
        EXPECT_FLOAT_EQ(g.domain.clat, c.clat);
        EXPECT_FLOAT_EQ(g.domain.clon, c.clon);
        EXPECT_FLOAT_EQ(g.domain.plat, c.plat);
        EXPECT_FLOAT_EQ(g.domain.plon, c.plon);
        EXPECT_FLOAT_EQ(g.domain.dx, c.dx);
        EXPECT_FLOAT_EQ(g.domain.dy, c.dy);
        EXPECT_FLOAT_EQ(g.domain.param[0], c.p0);
        EXPECT_FLOAT_EQ(g.domain.param[1], c.p1);
        EXPECT_FLOAT_EQ(g.domain.param[2], c.p2);
        EXPECT_EQ(g.domain.nx, c.nx);
        EXPECT_EQ(g.domain.ny, c.ny);
        EXPECT_EQ(g.var, c.var);
        EXPECT_EQ(std::string(g.units), c.units);
        EXPECT_NE(g.source, 0);
        EXPECT_STREQ(g.datim, "L");
        ASSERT_NE(g.grid, nullptr);
        EXPECT_EQ(g.grid[0], 5.0f);
    }
}

TEST(GrdVyk, LongLabelsAndDescriptionsAreCut)
{
    vyktest::TempDir dir;
    const std::string label(80, 'L'), info(100, 'I');
    const std::string path = dir.file("f.grd");
    vyktest::write_file(path, "VYKGRID\n" + label + "\n0-" + info + "\nLL 0 0 1 1 2 1\n1 2\n" + label +
                                  "\n0-x\nLL 0 0 1 1 1 1\n3\n");
    GRD_info hdr{};
    const int fd = gfiletest::open_read(path, GRD_DETECT, &hdr);
    EXPECT_EQ(std::string(hdr.datim), std::string(39, 'L'));
    Rec rec;
    for (int num = 0; num < 2; num++) {
        int n = num;
        ASSERT_EQ(GRD_read(fd, &rec.r, GRD_READ_VALUES, &n), 0);
        EXPECT_EQ(std::string(rec.r.datim), std::string(49, 'L'));
    }
    EXPECT_EQ(rec.r.grid[0], 3.0f);
    int n = 0;
    ASSERT_EQ(GRD_read(fd, &rec.r, GRD_READ_VALUES, &n), 0);
    EXPECT_EQ(std::string(rec.r.info), std::string(69, 'I'));
    GRD_close(fd);
}

TEST(GrdVyk, DomainTokenFiles)
{
    vyktest::TempDir dir;
    // Binary: the ninth character of the first line 'B' makes every product format 3.
    std::string bin = "VYKGRID4B\n12Z 05 MAR 24\n9-ignored\n7 2 96 3 100 500 12 11\n";
    bin += "LL,40,-100,2,1,1.5,1.5\n";
    const unsigned char be[] = {0x42, 0xC8, 0, 0, 0xC0, 0x20, 0, 0};  // 100, -2.5
    bin.append(reinterpret_cast<const char *>(be), sizeof be);
    bin += "\n12Z 05 MAR 24\n0-x\n1 2 3 4 5 6 7 8\nLL,0,0,1,1,1,1\n";
    bin.append(reinterpret_cast<const char *>(be), 4);
    bin += "\n";
    const std::string path = dir.file("b.grd");
    vyktest::write_file(path, bin);
    GRD_info info{};
    const int fd = gfiletest::open_read(path, GRD_DETECT, &info);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(GRD_get_gfile(fd)->type, GRD_TEXT_DOMAIN);
    EXPECT_EQ(GRD_get_gfile(fd)->itype, 3);
    Rec rec;
    int num = 0;
    ASSERT_EQ(GRD_read(fd, &rec.r, GRD_READ_VALUES, &num), 0);
    EXPECT_EQ(rec.r.version, 2);
    EXPECT_EQ(rec.r.var, 11);
    EXPECT_EQ(rec.r.domain.proj, DOM_LATLON);
    EXPECT_EQ(rec.r.domain.nx, 2);
    EXPECT_EQ(gfiletest::values_of(rec.r), (std::vector<float>{100.0f, -2.5f}));
    num = 1;
    ASSERT_EQ(GRD_read(fd, &rec.r, GRD_READ_VALUES, &num), 0);
    EXPECT_EQ(rec.r.var, 8);
    EXPECT_EQ(gfiletest::values_of(rec.r), (std::vector<float>{100.0f}));
    // Kind 4 is read only.
    GRD_info out = gfiletest::header();
    int k = GRD_TEXT_DOMAIN;
    const int wfd = GRD_open(dir.file("w.grd").c_str(), GRD_ACCESS_CREATE, &k);
    const std::string err = stderr_of([&] { EXPECT_EQ(GRD_putinfo(wfd, &out), -1); });
    EXPECT_NE(err.find("read only"), std::string::npos);
    GRD_close(wfd);
    GRD_close(fd);
    // Text: no numbers line, decimal values after the domain string.
    vyktest::write_file(path, "VYKGRID4\nL\n0-x\nPS,60,-100,2,2,1,1\n1 2\n3 4\nL\n0-bad domain\n"
                              "nonsense\n1\n");
    const int tfd = gfiletest::open_read(path);
    num = 0;
    ASSERT_EQ(GRD_read(tfd, &rec.r, GRD_READ_VALUES, &num), 0);
    EXPECT_EQ(rec.r.domain.proj, DOM_PSTEREO);
    EXPECT_EQ(gfiletest::values_of(rec.r), (std::vector<float>{1, 2, 3, 4}));
    num = 1;
    const std::string err2 = stderr_of([&] { EXPECT_EQ(GRD_read(tfd, &rec.r, GRD_READ_VALUES, &num), -1); });
    EXPECT_NE(err2.find("Invalid domain"), std::string::npos) << err2;
    EXPECT_EQ(rec.r.source, 0);
    GRD_close(tfd);
}

TEST(GrdVyk, ValuesFiles)
{
    vyktest::TempDir dir;
    // 2 x 2 floats after 8 bytes to skip, in the machine's byte order.
    const float raw[] = {0, 0, 1, 2, 3, 4};
    vyktest::write_file(dir.file("v.bin"), std::string(reinterpret_cast<const char *>(raw), sizeof raw));
    vyktest::write_file(dir.file("v.txt"), "1 2\n3 x\n");
    const std::string mark = dir.file("ran");
    struct Case {
        const char *name;
        std::string ref;
        std::vector<float> values;  // empty: refused
    };
    const Case cases[] = {
        {"binary, x order 0, y order 1: the first value at the right of the top row",
         "F " + dir.file("v.bin") + " 8 0 1", {2, 1, 4, 3}},
        {"binary, rows from the bottom", "F " + dir.file("v.bin") + " 8 1 0", {3, 4, 1, 2}},
        {"text, a word that is not a number is missing", "A " + dir.file("v.txt") + " 0 1 1",
         {1, 2, 3, VYK_MISS}},
        {"too short", "F " + dir.file("v.bin") + " 12 1 1", {}},
        {"missing", "F " + dir.file("none") + " 0 1 1", {}},
        {"a command is a plain (missing) file", "F |touch" + mark + " 0 1 1", {}},
        {"a negative skip", "F " + dir.file("v.bin") + " -8 1 1", {}},
        {"a device is no values file", "F /dev/zero 0 1 1", {}},
        {"fields missing", "F " + dir.file("v.bin"), {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.file("r.grd");
        vyktest::write_file(path, "VYKGRID\nL\n4-ref\n7 2 96 3 100 500 12 11\nLL 0 0 1 1 2 2\n" +
                                      c.ref + "\nL\n0-next\nLL 0 0 1 1 1 1\n9\n");
        const int fd = gfiletest::open_read(path);
        Rec rec;
        int num = 0;
        const std::string err = stderr_of([&] {
            EXPECT_EQ(GRD_read(fd, &rec.r, GRD_READ_VALUES, &num), c.values.empty() ? -1 : 0);
        });
        if (!c.values.empty()) {
            EXPECT_EQ(gfiletest::values_of(rec.r), c.values);
        } else {
            EXPECT_FALSE(err.empty());
            EXPECT_EQ(rec.r.source, 0);
        }
        // A header scan passes over the reference line.
        num = 1;
        ASSERT_EQ(GRD_read(fd, &rec.r, GRD_READ_HEADER, &num), 0);
        EXPECT_STREQ(rec.r.info, "next");
        GRD_close(fd);
    }
    EXPECT_FALSE(FILE_exist(mark.c_str()));
}

TEST(GrdVyk, MissingValuesSurviveEveryFormat)
{
    gfiletest::KeepSettings keep;
    vyktest::TempDir dir;
    Prod p(3, 1);
    p.values = {VYK_MISS, 1234.5f, VYK_MISS};
    for (const char *fmt : {"%.1e", "%8.2f", "%g", ""}) {
        SCOPED_TRACE(fmt);
        GRD_set_format(fmt);
        const std::string path = dir.file("m.grd");
        ASSERT_TRUE(gfiletest::write(path, GRD_TEXT, {p}));
        std::vector<std::vector<float>> v;
        ASSERT_EQ(read_all(path, &v), 1);
        EXPECT_EQ(v[0][0], static_cast<float>(VYK_MISS));
        EXPECT_EQ(v[0][2], static_cast<float>(VYK_MISS));
        EXPECT_NEAR(v[0][1], 1234.5f, 50.0f);
    }
}

TEST(GrdVyk, ValuesThatAreNotFiniteAreMissing)
{
    // A NaN or an infinity in a file would poison every extreme and contour: it reads as -9999.
    vyktest::TempDir dir;
    Prod p(4, 1);
    p.values = {std::numeric_limits<float>::quiet_NaN(), 1.5f,
                std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity()};
    const float miss = static_cast<float>(VYK_MISS);
    const std::vector<float> want = {miss, 1.5f, miss, miss};
    for (int kind : {GRD_BINARY, GRD_TEXT}) {
        SCOPED_TRACE(kind);
        const std::string path = dir.file("nf.grd");
        ASSERT_TRUE(gfiletest::write(path, kind, {p}));
        std::vector<std::vector<float>> v;
        ASSERT_EQ(read_all(path, &v), 1);
        EXPECT_EQ(v[0], want);
    }
}

TEST(GrdVyk, WritingRefusesWhatCannotBeReadBack)
{
    vyktest::TempDir dir;
    Prod ortho(2, 2, DOM_ORTHO);
    Prod empty(2, 2);
    empty.dom.nx = 0;
    int k = GRD_TEXT;
    const int fd = GRD_open(dir.file("w.grd").c_str(), GRD_ACCESS_CREATE, &k);
    GRD_info info = gfiletest::header();
    GRD_putinfo(fd, &info);
    Rec rec, none;
    int num = 0;
    std::string err = stderr_of([&] {
        ortho.fill(rec.r);
        EXPECT_EQ(GRD_write(fd, &rec.r, 0, &num), -1);
        EXPECT_EQ(GRD_write(fd, &none.r, 0, &num), -1);  // no values
        GRD_free(&rec.r);
        Prod(2, 2).fill(rec.r);
        rec.r.domain.nx = 0;
        EXPECT_EQ(GRD_write(fd, &rec.r, 0, &num), -1);
    });
    EXPECT_NE(err.find("projection 5 cannot be written"), std::string::npos) << err;
    EXPECT_NE(err.find("no values"), std::string::npos) << err;
    EXPECT_NE(err.find("Invalid grid size 0 x 2"), std::string::npos) << err;
    GRD_close(fd);
    // A full device: the failure is said, never reported as success.
    k = GRD_BINARY;
    const int full = GRD_open("/dev/full", GRD_ACCESS_CREATE, &k);
    ASSERT_GE(full, 0);
    rec.r.domain.nx = 2;
    err = stderr_of([&] { EXPECT_EQ(GRD_write(full, &rec.r, 0, &num), -1); });
    EXPECT_NE(err.find("Unable to write grid file: /dev/full"), std::string::npos) << err;
    GRD_close(full);
}

TEST(GrdVyk, AppendingAddsProducts)
{
    vyktest::TempDir dir;
    const std::vector<Prod> prods = two_products();
    const std::string path = dir.file("a.grd");
    ASSERT_TRUE(gfiletest::write(path, GRD_TEXT, {prods[0]}));
    GRD_info info = gfiletest::header();
    for (int kind : {GRD_BINARY, GRD_TEXT}) {
        int k = kind;
        const int fd = GRD_open(path.c_str(), GRD_ACCESS_APPEND, &k);
        ASSERT_GE(fd, 0);
        EXPECT_EQ(GRD_putinfo(fd, &info), 0);  // no second first line
        Rec rec;
        prods[1].fill(rec.r);
        int num = 0;
        EXPECT_EQ(GRD_write(fd, &rec.r, 0, &num), 0);
        GRD_close(fd);
    }
    const std::string text = vyktest::read_file(path);
    EXPECT_EQ(text.find("VYKGRID", 1), std::string::npos);
    std::vector<std::vector<float>> v;
    EXPECT_EQ(read_all(path, &v), 3);
    EXPECT_EQ(v[1], prods[1].values);  // the binary product, exact
    // A missing file is created with its first line; a file of another kind is left alone.
    int k = GRD_TEXT;
    int fd = GRD_open(dir.file("new.grd").c_str(), GRD_ACCESS_APPEND, &k);
    GRD_putinfo(fd, &info);
    GRD_close(fd);
    EXPECT_EQ(vyktest::read_file(dir.file("new.grd")), "VYKGRID\n");
    vyktest::write_file(dir.file("four.grd"), "VYKGRID4\nL\n");
    const std::string err = stderr_of([&] {
        k = GRD_TEXT;
        EXPECT_EQ(GRD_open(dir.file("four.grd").c_str(), GRD_ACCESS_APPEND, &k), -1);
    });
    EXPECT_NE(err.find("cannot be appended"), std::string::npos) << err;
}

TEST(GrdVyk, HostileFilesGiveMessagesNotGrids)
{
    vyktest::TempDir dir;
    std::string big_binary = "VYKGRID\nL\n3-x\n1 3 1 1 1 1 1 1\nLL 0 0 1 1 1000 1000\n";
    big_binary += std::string(100, '\0');
    struct Case {
        const char *name;
        std::string content;
        const char *message;  // empty: a quiet end of the file
    };
    const Case cases[] = {
        {"values end early", "VYKGRID\nL\n0-x\nLL 0 0 1 1 3 3\n1 2 3\n", "too short"},
        {"values end early, long numbers", "VYKGRID\nL\n0-x\nLL 0 0 1 1 2 2\n1.000000000 2.0000000000\n",
         "ends within the values"},
        {"binary values end early", big_binary, "too short"},
        {"absurd size", "VYKGRID\nL\n0-x\nLL 0 0 1 1 100000 100000\n1\n", "Invalid grid size"},
        {"size beyond an int", "VYKGRID\nL\n0-x\nLL 0 0 1 1 99999999999 2\n1\n",
         "Invalid grid size"},
        {"negative size", "VYKGRID\nL\n0-x\nLL 0 0 1 1 -3 2\n1\n", "Invalid grid size"},
        {"no size", "VYKGRID\nL\n0-x\nLL 0 0 1 1 a b\n1\n", "Invalid grid size"},
        {"header ends", "VYKGRID\nL\n2-x\n1 2 3\n", "ends within a product's header"},
        {"projection line ends", "VYKGRID\nL\n0-x\nLL 0 0\n", "ends within a product's header"},
        {"only a label", "VYKGRID\nL\n", ""},
        {"only the first line", "VYKGRID\n", ""},
        {"junk", "VYKGRID\n\x01\x02\x03\n\xff\xfe\n\n\n", "ends within a product's header"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.file("h.grd");
        vyktest::write_file(path, c.content);
        const int fd = gfiletest::open_read(path);
        ASSERT_GE(fd, 0);
        Rec rec;
        for (int rep : {GRD_READ_HEADER, GRD_READ_VALUES}) {
            int num = 0;
            const std::string err = stderr_of([&] {
                EXPECT_EQ(GRD_read(fd, &rec.r, rep, &num), -1);
            });
            if (*c.message)
                EXPECT_NE(err.find(c.message), std::string::npos) << err;
            else
                EXPECT_EQ(err, "");
            EXPECT_EQ(rec.r.grid, nullptr);
            EXPECT_EQ(rec.r.source, 0);
        }
        GRD_close(fd);
    }
    // Words that are not numbers are missing values, said once per product.
    const std::string path = dir.file("w.grd");
    vyktest::write_file(path, "VYKGRID\nL\n0-x\nLL 0 0 1 1 4 1\n1 abc 1e99 nan\n");
    const int fd = gfiletest::open_read(path);
    Rec rec;
    int num = 0;
    const std::string err = stderr_of([&] { EXPECT_EQ(GRD_read(fd, &rec.r, 0, &num), 0); });
    EXPECT_NE(err.find("2 values of grid file"), std::string::npos) << err;
    EXPECT_EQ(gfiletest::values_of(rec.r), (std::vector<float>{1, VYK_MISS, VYK_MISS, VYK_MISS}));
    GRD_close(fd);
}

TEST(GrdVyk, StandardInputIsReadOnceInOrder)
{
    vyktest::TempDir dir;
    const std::string path = dir.file("s.grd");
    ASSERT_TRUE(gfiletest::write(path, GRD_BINARY, two_products()));
    // The grid tool lists a file given on the standard input.
    const vyktest::RunResult r =
        vyktest::run(vyktest::tool("grid_tool") + " list - < " + vyktest::quote(path));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("file - | kind 2"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("product 0 | 12Z 05 MAR 24 | 500 mb Temperature (K)"), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("product 1 | 00Z 06 MAR 24 | 850 mb Height (gpm)"), std::string::npos)
        << r.out;
    const vyktest::RunResult d =
        vyktest::run(vyktest::tool("grid_tool") + " dump - 0 < " + vyktest::quote(path));
    EXPECT_EQ(d.status, 0) << d.err;
    EXPECT_NE(d.out.find("250 250.25 250.5\n250.75 -9999 251.25\n"), std::string::npos) << d.out;
}
