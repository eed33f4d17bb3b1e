// netCDF grid files in the system's own layout: written and read back, checked with ncdump,
// records reached directly, the coordinate layout, array reuse, fields that do not fit, files
// made by ncgen that stray from the layout, and appending records.
#include <gtest/gtest.h>

#include "gfile_fixture.h"
#include "test_util.h"
#include "grd_file.h"

#include <cstdlib>
#include <string>
#include <vector>

using gfiletest::Prod;
using gfiletest::Rec;

namespace {

using vyktest::stderr_of;

vyktest::RunResult ncdump(const std::string &args, const std::string &path)
{
    const vyktest::RunResult r = vyktest::run("ncdump " + args + " " + vyktest::quote(path));
    EXPECT_EQ(r.status, 0) << "ncdump is needed (netcdf-bin): " << r.err;
    return r;
}

/// A file made by ncgen from CDL.
std::string ncgen(const vyktest::TempDir &dir, const std::string &cdl)
{
    const std::string cdl_path = dir.file("f.cdl"), nc = dir.file("f.nc");
    vyktest::write_file(cdl_path, cdl);
    const vyktest::RunResult r =
        vyktest::run("ncgen -b -k nc3 -o " + vyktest::quote(nc) + " " + vyktest::quote(cdl_path));
    EXPECT_EQ(r.status, 0) << "ncgen is needed (netcdf-bin): " << r.err;
    return nc;
}

/// Three products on polar stereographic, latitude-longitude and Lambert grids.
std::vector<Prod> three_products()
{
    Prod a(3, 2, DOM_PSTEREO);
    a.dom.plon = -105;
    a.values[1] = VYK_MISS;
    Prod b(2, 2, DOM_LATLON);
    b.datim = "00Z 06 MAR 24";
    b.info = "850 mb Height (gpm)";
    b.var = 7;
    b.level = 850;
    b.values = {1, 2, 3, 4};
    Prod c(3, 1, DOM_LAMB);
    c.dom.plat = 25;
    c.dom.plon = -95;
    c.time = 24;
    c.values = {-1.5f, 0, 1e6f};
    return {a, b, c};
}

}  // namespace

TEST(GrdCdf, RecordsReadBackAndNcdumpAgrees)
{
    vyktest::TempDir dir;
    const std::string path = dir.file("g.nc");
    const std::vector<Prod> prods = three_products();
    ASSERT_TRUE(gfiletest::write(path, GRD_NETCDF, prods));

    const vyktest::RunResult h = ncdump("-h", path);
    for (const char *want :
         {"grid = UNLIMITED ; // (3 currently)", "x = 3 ;", "y = 2 ;", "string_len = 50 ;",
          "float values(grid, x, y) ;", "values:_FillValue = -9999.f ;", "short proj(grid) ;",
          "lat1:units = \"DEG\" ;", "dx:units = \"100 KM\" ;", "char datim(grid, string_len) ;",
          "info:name = \"INFO\" ;", "time:units = \"HOUR\" ;", "short ny(grid) ;",
          ":source = \"VYK\" ;", ":version = \"1.0\" ;", ":grid_type = 0s ;", ":year = 2024s ;",
          ":month = 3s ;", ":day = 5s ;", ":hour = 12s ;"})
        EXPECT_NE(h.out.find(want), std::string::npos) << want << "\n" << h.out;
    EXPECT_EQ(h.out.find("x_coord"), std::string::npos);
    const vyktest::RunResult v = ncdump("-v values,datim,level,nx,proj,lon2", path);
    for (const char *want :
         {"values =\n  250, _,\n  250.5, 250.75,\n  251, 251.25,\n  1, 2,\n  3, 4,\n  _, _,\n"
          "  -1.5, _,\n  0, _,\n  1000000, _ ;",
          "\"12Z 05 MAR 24\",\n  \"00Z 06 MAR 24\",\n  \"12Z 05 MAR 24\" ;", "level = 500, 850, 500 ;",
          "nx = 3, 2, 3 ;", "proj = 1, 2, 4 ;", "lon2 = -105, -9999, -95 ;"})
        EXPECT_NE(v.out.find(want), std::string::npos) << want << "\n" << v.out;

    GRD_info info{};
    const int fd = gfiletest::open_read(path, GRD_DETECT, &info);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(info.date.year, 2024);
    EXPECT_EQ(info.date.month, 3);
    EXPECT_EQ(info.date.day, 5);
    EXPECT_EQ(info.date.hour, 12);
    char label[40];
    DATE_make_label(&info.date, label);
    EXPECT_STREQ(info.datim, label);
    EXPECT_EQ(GRD_get_gfile(fd)->max_num, 3);
    Rec rec;
    for (int k : {2, 0, 1}) {  // records are reached directly
        SCOPED_TRACE(k);
        const Prod &p = prods[static_cast<size_t>(k)];
        int num = k;
        ASSERT_EQ(GRD_read(fd, &rec.r, GRD_READ_VALUES, &num), 0);
        EXPECT_EQ(num, k);
        EXPECT_STREQ(rec.r.datim, p.datim.c_str());
        EXPECT_STREQ(rec.r.info, p.info.c_str());
        EXPECT_EQ(rec.r.source, p.source);
        EXPECT_EQ(rec.r.model, p.model);
        EXPECT_EQ(rec.r.type, p.type);
        EXPECT_EQ(rec.r.ltype, p.ltype);
        EXPECT_EQ(rec.r.level, p.level);
        EXPECT_EQ(rec.r.time, p.time);
        EXPECT_EQ(rec.r.var, p.var);
        EXPECT_EQ(rec.r.domain.proj, p.dom.proj);
        EXPECT_EQ(rec.r.domain.clat, p.dom.clat);
        EXPECT_EQ(rec.r.domain.clon, p.dom.clon);
        EXPECT_EQ(rec.r.domain.plat, p.dom.plat);
        EXPECT_EQ(rec.r.domain.plon, p.dom.plon);
        EXPECT_EQ(rec.r.domain.dx, p.dom.dx);
        EXPECT_EQ(rec.r.domain.nx, p.dom.nx);
        EXPECT_EQ(rec.r.domain.ny, p.dom.ny);
        EXPECT_EQ(gfiletest::values_of(rec.r), p.values);
    }
    int num = 3;
    EXPECT_EQ(GRD_read(fd, &rec.r, GRD_READ_HEADER, &num), -1);
    GRD_close(fd);
}

TEST(GrdCdf, CoordinateLayoutTakesTheProjectionFromTheModel)
{
    vyktest::TempDir dir;
    const std::string path = dir.file("c.nc");
    Prod a(2, 2), b(2, 2);
    a.model = 96;
    b.model = 5;
    ASSERT_TRUE(gfiletest::write(path, GRD_NETCDF, {a, b}, gfiletest::header(2, 2, 1)));
    const vyktest::RunResult h = ncdump("-h", path);
    EXPECT_NE(h.out.find("float x_coord(grid, x, y) ;"), std::string::npos) << h.out;
    EXPECT_NE(h.out.find("x_coord:units = \"DEG\" ;"), std::string::npos) << h.out;
    EXPECT_EQ(h.out.find("lat1"), std::string::npos) << h.out;
    EXPECT_NE(h.out.find(":grid_type = 1s ;"), std::string::npos) << h.out;
    GRD_info info{};
    const int fd = gfiletest::open_read(path, GRD_DETECT, &info);
    EXPECT_EQ(info.grid_type, 1);
    Rec rec;
    int num = 0;
    ASSERT_EQ(GRD_read(fd, &rec.r, GRD_READ_VALUES, &num), 0);
    EXPECT_EQ(rec.r.domain.proj, DOM_LATLON);  // model above 9
    EXPECT_EQ(rec.r.domain.clat, static_cast<float>(VYK_MISS));  // not in this layout
    num = 1;
    ASSERT_EQ(GRD_read(fd, &rec.r, GRD_READ_HEADER, &num), 0);
    EXPECT_EQ(rec.r.domain.proj, DOM_PSTEREO);
    GRD_close(fd);
}

TEST(GrdCdf, ArraysAreReusedWhenTheyHoldTheGrid)
{
    vyktest::TempDir dir;
    const std::string path = dir.file("r.nc");
    Prod big(3, 2), small(2, 2);
    small.values = {1, 2, 3, 4};
    ASSERT_TRUE(gfiletest::write(path, GRD_NETCDF, {big, small}));
    const int fd = gfiletest::open_read(path);
    Rec rec;
    rec.r.domain.nx = 2;
    rec.r.domain.ny = 2;
    ASSERT_EQ(GRD_alloc(&rec.r), 1);  // room for 4 values
    float *const own = rec.r.grid;
    int num = 1;
    ASSERT_EQ(GRD_read(fd, &rec.r, GRD_READ_VALUES, &num), 0);
    EXPECT_EQ(rec.r.grid, own);  // filled in place
    EXPECT_EQ(gfiletest::values_of(rec.r), small.values);
    num = 0;
    ASSERT_EQ(GRD_read(fd, &rec.r, GRD_READ_VALUES, &num), 0);  // 6 values do not fit in 4
    EXPECT_GE(GRD_capacity(&rec.r), 6u);
    EXPECT_EQ(gfiletest::values_of(rec.r), big.values);
    // An array whose size the record does not know is not written into: it goes by
    // GRD_free's rule (released, since no record owns it) and a new one, whose size is known,
    // takes the values.  (The allocator may hand out the released address again.)
    GRD_free(&rec.r);
    auto *heap = static_cast<float *>(std::malloc(4 * sizeof(float)));
    rec.r.grid = heap;
    EXPECT_EQ(GRD_capacity(&rec.r), 0u);
    num = 1;
    ASSERT_EQ(GRD_read(fd, &rec.r, GRD_READ_VALUES, &num), 0);
    EXPECT_GE(GRD_capacity(&rec.r), 4u);
    EXPECT_EQ(gfiletest::values_of(rec.r), small.values);
    // Too small an array that another record owns stays that record's, untouched.
    Rec other;
    other.r.domain.nx = other.r.domain.ny = 1;
    ASSERT_EQ(GRD_alloc(&other.r), 1);
    other.r.grid[0] = 42;
    GRD_free(&rec.r);
    rec.r.grid = other.r.grid;
    num = 1;
    ASSERT_EQ(GRD_read(fd, &rec.r, GRD_READ_VALUES, &num), 0);
    EXPECT_NE(rec.r.grid, other.r.grid);
    EXPECT_EQ(other.r.grid[0], 42);
    EXPECT_EQ(gfiletest::values_of(rec.r), small.values);
    GRD_close(fd);
}

TEST(GrdCdf, FieldsThatDoNotFitAreCutOrMissing)
{
    vyktest::TempDir dir;
    const std::string path = dir.file("f.nc");
    Prod p(2, 1);
    p.info = std::string(60, 'i');
    p.datim = std::string(49, 'd');
    p.level = 100050;     // a layer code
    p.time = 3012012;     // a time range
    p.var = -40000;
    std::string err = stderr_of([&] { ASSERT_TRUE(gfiletest::write(path, GRD_NETCDF, {p})); });
    EXPECT_NE(err.find("level 100050 does not fit the 16 bits"), std::string::npos) << err;
    EXPECT_NE(err.find("time 3012012 does not fit"), std::string::npos) << err;
    EXPECT_NE(err.find("var -40000 does not fit"), std::string::npos) << err;
    const int fd = gfiletest::open_read(path);
    Rec rec;
    int num = 0;
    ASSERT_EQ(GRD_read(fd, &rec.r, GRD_READ_VALUES, &num), 0);
    EXPECT_EQ(std::string(rec.r.info), std::string(49, 'i'));  // cut, not dropped
    EXPECT_EQ(std::string(rec.r.datim), std::string(49, 'd'));
    EXPECT_EQ(rec.r.level, VYK_MISS);
    EXPECT_EQ(rec.r.time, VYK_MISS);
    EXPECT_EQ(rec.r.var, VYK_MISS);
    EXPECT_EQ(rec.r.ltype, 100);
    GRD_close(fd);
    // A grid larger than the file's dimensions is refused before anything is written.
    int k = GRD_NETCDF;
    const int wfd = GRD_open(dir.file("s.nc").c_str(), GRD_ACCESS_CREATE, &k);
    GRD_info info = gfiletest::header(2, 2);
    ASSERT_EQ(GRD_putinfo(wfd, &info), 0);
    Rec big;
    Prod(3, 2).fill(big.r);
    num = 0;
    err = stderr_of([&] { EXPECT_EQ(GRD_write(wfd, &big.r, 0, &num), -1); });
    EXPECT_NE(err.find("does not fit the 2 x 2"), std::string::npos) << err;
    GRD_close(wfd);
    // A header without a size is refused.
    k = GRD_NETCDF;
    const int zfd = GRD_open(dir.file("z.nc").c_str(), GRD_ACCESS_CREATE, &k);
    GRD_info zero = gfiletest::header(0, 2);
    err = stderr_of([&] { EXPECT_EQ(GRD_putinfo(zfd, &zero), -1); });
    EXPECT_NE(err.find("Invalid grid size 0 x 2"), std::string::npos) << err;
    GRD_close(zfd);
}

TEST(GrdCdf, FilesThatStrayFromTheLayout)
{
    vyktest::TempDir dir;
    const std::string head =
        "netcdf f {\ndimensions:\n grid = UNLIMITED ;\n x = 2 ;\n y = 2 ;\n string_len = 4 ;\n"
        "variables:\n";
    struct Case {
        const char *name;
        std::string vars;
        std::string data;
        int result;
        const char *message;
        std::vector<float> values;
        const char *datim;
    };
    const Case cases[] = {
        {"values stored as doubles are left out",
         " double values(grid, x, y) ;\n short nx(grid) ;\n short ny(grid) ;\n",
         " values = 1, 2, 3, 4 ;\n nx = 2 ;\n ny = 2 ;\n", -1, "not of this layout", {}, ""},
        {"a grid larger than the dimensions",
         " float values(grid, x, y) ;\n short nx(grid) ;\n short ny(grid) ;\n",
         " values = 1, 2, 3, 4 ;\n nx = 3 ;\n ny = 2 ;\n", -1, "holds no 3 x 2 grid", {}, ""},
        {"texts without an end are ended within their field",
         " float values(grid, x, y) ;\n char datim(grid, string_len) ;\n short nx(grid) ;\n"
         " short ny(grid) ;\n :year = \"2024\" ;\n",
         " values = 1, 2, 3, 4 ;\n datim = \"ABCD\" ;\n nx = 2 ;\n ny = 2 ;\n", 0, "",
         {1, 2, 3, 4}, "ABCD"},
        {"a smaller grid in larger dimensions",
         " float values(grid, x, y) ;\n short nx(grid) ;\n short ny(grid) ;\n short proj(grid) ;\n",
         " values = 1, 2, _, _ ;\n nx = 1 ;\n ny = 2 ;\n proj = 3 ;\n", 0, "", {1, 2}, ""},
        {"not a number is missing", " float values(grid, x, y) ;\n short nx(grid) ;\n short ny(grid) ;\n",
         " values = NaNf, 2, 3, Infinityf ;\n nx = 2 ;\n ny = 2 ;\n", 0, "",
         {VYK_MISS, 2, 3, VYK_MISS}, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string nc = ncgen(dir, head + c.vars + "data:\n" + c.data + "}\n");
        Rec rec;
        int num = 0, fd = -1;
        const std::string err = stderr_of([&] {
            fd = gfiletest::open_read(nc);
            ASSERT_GE(fd, 0);
            EXPECT_EQ(GRD_read(fd, &rec.r, GRD_READ_VALUES, &num), c.result);
        });
        if (*c.message) {
            EXPECT_NE(err.find(c.message), std::string::npos) << err;
        }
        if (c.result == 0) {
            EXPECT_EQ(gfiletest::values_of(rec.r), c.values);
            EXPECT_STREQ(rec.r.datim, c.datim);
        }
        GRD_close(fd);
    }
}

TEST(GrdCdf, AppendingAddsRecords)
{
    vyktest::TempDir dir;
    const std::string path = dir.file("a.nc");
    const std::vector<Prod> prods = three_products();
    ASSERT_TRUE(gfiletest::write(path, GRD_NETCDF, {prods[0]}));
    int k = GRD_NETCDF;
    const int fd = GRD_open(path.c_str(), GRD_ACCESS_APPEND, &k);
    ASSERT_GE(fd, 0);
    GRD_info info = gfiletest::header();
    EXPECT_EQ(GRD_putinfo(fd, &info), 0);
    for (int n = 0; n < 2; n++) {
        Rec rec;
        prods[static_cast<size_t>(n + 1)].fill(rec.r);
        int num = n;
        EXPECT_EQ(GRD_write(fd, &rec.r, 0, &num), 0);
    }
    GRD_close(fd);
    EXPECT_NE(ncdump("-h", path).out.find("(3 currently)"), std::string::npos);
    const int rfd = gfiletest::open_read(path);
    Rec rec;
    int num = 2;
    ASSERT_EQ(GRD_read(rfd, &rec.r, GRD_READ_VALUES, &num), 0);
    EXPECT_EQ(gfiletest::values_of(rec.r), prods[2].values);
    GRD_close(rfd);
    // Appending to a netCDF file of another layout is refused.
    const std::string other = ncgen(dir, "netcdf o {\ndimensions:\n t = 1 ;\nvariables:\n int a(t) ;\n}\n");
    k = GRD_NETCDF;
    const std::string err =
        stderr_of([&] { EXPECT_EQ(GRD_open(other.c_str(), GRD_ACCESS_APPEND, &k), -1); });
    EXPECT_NE(err.find("not a netCDF grid file of this system's layout"), std::string::npos) << err;
}

TEST(GrdCdf, ModelOutputFilesGoToTheirOwnReader)
{
    vyktest::TempDir dir;
    const std::string nc = ncgen(dir, "netcdf m {\ndimensions:\n lat = 2 ;\n lon = 2 ;\n"
                                      "variables:\n float T(lat, lon) ;\ndata:\n T = 1, 2, 3, 4 ;\n}\n");
    int k = GRD_DETECT;
    const int fd = GRD_open(nc.c_str(), GRD_ACCESS_READ, &k);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(k, GRD_NETCDF);
    GRD_info info{};
    // A model-output file without a reference date is refused by that reader.
    const std::string err = stderr_of([&] { EXPECT_EQ(GRD_getinfo(fd, &info), -1); });
    EXPECT_NE(err.find("no year from 1900 to 2100"), std::string::npos) << err;
    EXPECT_EQ(GRD_get_gfile(fd)->itype, 1);
    GRD_close(fd);
}

// A header claiming far more dimensions than the file holds (a few bytes changed in a small
// file) is refused by the screening before the library reads it, for reading (a file of the
// own layout, a model-output file) and for appending, with a message naming the file.
TEST(GrdCdf, InflatedHeaderCountsAreRefusedBeforeTheLibraryReadsThem)
{
    vyktest::TempDir dir;
    const std::string own = dir.file("own.nc");
    ASSERT_TRUE(gfiletest::write(own, GRD_NETCDF, {three_products()[1]}));
    const std::string model = ncgen(dir, "netcdf m {\ndimensions:\n lat = 2 ;\n lon = 2 ;\n"
                                         "variables:\n float T(lat, lon) ;\n int year ;\n"
                                         "data:\n T = 1, 2, 3, 4 ;\n year = 2000 ;\n}\n");
    for (const std::string &path : {own, model}) {
        SCOPED_TRACE(path);
        std::string bytes = vyktest::read_file(path);
        ASSERT_EQ(bytes.substr(8, 4), std::string("\0\0\0\x0a", 4));  // the dimension list
        bytes.replace(12, 4, "\x3f\xff\xff\xff");
        vyktest::write_file(path, bytes);
        const vyktest::RunResult r = vyktest::run(vyktest::tool("grid_tool") + " list " + path);
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("GRD_open: " + path + ": damaged netCDF header"), std::string::npos)
            << r.err;
        int k = GRD_NETCDF;
        const std::string err =
            stderr_of([&] { EXPECT_EQ(GRD_open(path.c_str(), GRD_ACCESS_APPEND, &k), -1); });
        EXPECT_NE(err.find("nothing appended"), std::string::npos) << err;
    }
}
