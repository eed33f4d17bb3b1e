// netCDF model-output grid files, made by ncgen from CDL: the variables registered with their
// codes, products enumerated over variables, times and levels, headers by the file's class,
// georeference and row order, empty products, GRIDVAR, the reference date, the grid tool's
// listing, and hostile files.
#include <gtest/gtest.h>

#include "gfile_fixture.h"
#include "test_util.h"
#include "grd_file.h"

#include <cstdlib>
#include <string>
#include <vector>

using gfiletest::Rec;

namespace {

std::string ncgen(const vyktest::TempDir &dir, const std::string &cdl, const std::string &name = "m.nc")
{
    const std::string cdl_path = dir.file("m.cdl"), nc = dir.file(name);
    vyktest::write_file(cdl_path, cdl);
    const vyktest::RunResult r =
        vyktest::run("ncgen -b -k nc3 -o " + vyktest::quote(nc) + " " + vyktest::quote(cdl_path));
    EXPECT_EQ(r.status, 0) << "ncgen is needed (netcdf-bin): " << r.err;
    return nc;
}

// Z and T on 2 forecast times and 3 levels, sea-level pressure on the times alone; 4 rows from
// 5 S to 2.5 N and 3 columns from 10 E; value = 1000 h + 100 l + 10 row + column (+ 5000 for T).
std::string model_cdl(const std::string &title = "NMC Early Trop run", const std::string &date =
                      " year = 1994 ;\n month = 6 ;\n day = 12 ;\n hour = 12 ;\n")
{
    std::string z, t, p;
    for (int h = 0; h < 2; h++)
        for (int l = 0; l < 3; l++)
            for (int s = 0; s < 4; s++)
                for (int i = 0; i < 3; i++) {
                    const int v = 1000 * h + 100 * l + 10 * s + i;
                    z += (z.empty() ? "" : ", ") + std::to_string(v);
                    t += (t.empty() ? "" : ", ") + std::to_string(v + 5000);
                }
    for (int h = 0; h < 2; h++)
        for (int s = 0; s < 4; s++)
            for (int i = 0; i < 3; i++) p += (p.empty() ? "" : ", ") + std::to_string(100000 + 10 * s + i + h);
    return "netcdf m {\ndimensions:\n rtime = UNLIMITED ;\n frtime = 2 ;\n level = 3 ;\n lat = 4 ;\n"
           " lon = 3 ;\nvariables:\n"
           " float Z(rtime, frtime, level, lat, lon) ;\n  Z:units = \"gp m\" ;\n"
           " float T(rtime, frtime, level, lat, lon) ;\n  T:units = \"kelvin\" ;\n"
           " float Psl(rtime, frtime, lat, lon) ;\n  Psl:units = \"Pa\" ;\n"
           " float lat(lat) ;\n float lon(lon) ;\n int level(level) ;\n int frtime(frtime) ;\n"
           " short grib_center(frtime) ;\n short grib_model(frtime) ;\n"
           " int year(rtime) ;\n int month(rtime) ;\n int day(rtime) ;\n int hour(rtime) ;\n"
           " float other(lat) ;\n"
           "// global attributes:\n :title = \"" + title + "\" ;\n"
           "data:\n Z = " + z + " ;\n T = " + t + " ;\n Psl = " + p + " ;\n"
           " lat = -5, -2.5, 0, 2.5 ;\n lon = 10, 12, 14 ;\n level = 1000, 850, 500 ;\n"
           " frtime = 0, 12 ;\n grib_center = 7, 7 ;\n grib_model = 39, 39 ;\n" + date +
           " other = 1, 2, 3, 4 ;\n}\n";
}

struct Header {
    int var, ltype, level, time, source, model;
};

TEST(GrdCdfModel, ProductsOverVariablesTimesAndLevels)
{
    vyktest::TempDir dir;
    const std::string nc = ncgen(dir, model_cdl());
    GRD_info info{};
    const int fd = gfiletest::open_read(nc, GRD_DETECT, &info);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(info.date.year, 1994);
    EXPECT_EQ(info.date.month, 6);
    EXPECT_EQ(info.date.day, 12);
    EXPECT_EQ(info.date.hour, 12);
    EXPECT_EQ(GRD_get_gfile(fd)->itype, 11);  // "NMC Early" and "Trop"
    EXPECT_EQ(GRD_get_gfile(fd)->var_num, 3);
    std::vector<Header> want;
    for (int var : {102, 104})
        for (int h = 0; h < 2; h++)
            for (int l = 0; l < 3; l++) want.push_back({var, 10, l == 0 ? 1000 : l == 1 ? 850 : 500, 12 * h, 7, 39});
    for (int h = 0; h < 2; h++) want.push_back({101, 7, 0, 12 * h, 7, 39});  // class 11: type 7
    for (size_t n = 0; n < want.size(); n++) {
        SCOPED_TRACE("product " + std::to_string(n));
        Rec r;
        int num = static_cast<int>(n);
        ASSERT_EQ(GRD_read(fd, &r.r, GRD_READ_HEADER, &num), 0);
        const Header &w = want[n];
        EXPECT_EQ(r.r.var, w.var);
        EXPECT_EQ(r.r.ltype, w.ltype);
        EXPECT_EQ(r.r.level, w.level);
        EXPECT_EQ(r.r.time, w.time);
        EXPECT_EQ(r.r.source, w.source);
        EXPECT_EQ(r.r.model, w.model);
        EXPECT_EQ(r.r.type, 50);  // model 39
    }
    Rec r;
    int num = static_cast<int>(want.size());
    EXPECT_EQ(GRD_read(fd, &r.r, GRD_READ_HEADER, &num), -1);

    // Values of T at time 1, level 2 (product 11): the file's first row is the bottom row.
    num = 11;
    ASSERT_EQ(GRD_read(fd, &r.r, GRD_READ_VALUES, &num), 0);
    EXPECT_EQ(num, 11);
    const Domain &d = r.r.domain;
    EXPECT_EQ(d.proj, DOM_LATLON);
    EXPECT_EQ(d.nx, 3);
    EXPECT_EQ(d.ny, 4);
    EXPECT_FLOAT_EQ(d.dx, 2);
    EXPECT_FLOAT_EQ(d.dy, 2.5f);
    EXPECT_FLOAT_EQ(d.clat, -1.25f);
    EXPECT_FLOAT_EQ(d.clon, 12);
    for (int row = 0; row < 4; row++)
        for (int i = 0; i < 3; i++)
            EXPECT_EQ(r.r.grid[i + 3 * row], 5000 + 1000 + 200 + 10 * (3 - row) + i) << row << ',' << i;
    EXPECT_STREQ(r.r.units, "kelvin");
    EXPECT_NE(std::string(r.r.info), "");
    EXPECT_NE(std::string(r.r.datim), "");
    // Back to an earlier variable, and product 0 again.
    for (int n : {2, 0, 13}) {
        num = n;
        ASSERT_EQ(GRD_read(fd, &r.r, GRD_READ_VALUES, &num), 0) << n;
        EXPECT_EQ(r.r.var, n == 13 ? 101 : 102);
    }
    EXPECT_EQ(r.r.grid[0], 100000 + 30 + 1);
    GRD_close(fd);
}

// The class from the title: products with a time but no level get the level type it gives.
TEST(GrdCdfModel, ClassesFromTitles)
{
    struct Case {
        const char *title;
        int itype, psl_ltype;
    };
    const Case cases[] = {
        {"NMC Early Trop run", 11, 7}, {"NMC Extended Maximum wind", 22, 6},
        {"ECMWF: analysis", 30, 12},   {"NMC Global", 40, 12},
        {"NMC Globa Trop", 41, 12},     {"other", 0, 12},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.title);
        vyktest::TempDir dir;
        const int fd = gfiletest::open_read(ncgen(dir, model_cdl(c.title)));
        ASSERT_GE(fd, 0);
        EXPECT_EQ(GRD_get_gfile(fd)->itype, c.itype);
        Rec r;
        for (int n = 0; n <= 12; n++) {
            int num = n;
            ASSERT_EQ(GRD_read(fd, &r.r, GRD_READ_HEADER, &num), 0);
        }
        EXPECT_EQ(r.r.var, 101);
        EXPECT_EQ(r.r.ltype, c.psl_ltype);
        GRD_close(fd);
    }
}

// Latitudes from -90 to 90 every 2.5: dy 2.5 and clat 0, the southernmost row at the bottom;
// falling latitudes put the first row at the top.  A first value of 1e30 empties the header.
TEST(GrdCdfModel, GlobalGridRowsAndEmptyProducts)
{
    for (bool falling : {false, true}) {
        SCOPED_TRACE(falling ? "falling" : "rising");
        std::string lat, v;
        for (int k = 0; k < 73; k++) {
            lat += (k ? ", " : "") + std::to_string(falling ? 90 - 2.5 * k : -90 + 2.5 * k);
            v += (k ? ", " : "") + std::string(k == 0 ? "1e30, 7" : std::to_string(k) + ", 7");
        }
        vyktest::TempDir dir;
        const std::string nc = ncgen(
            dir, "netcdf g {\ndimensions:\n lat = 73 ;\n lon = 2 ;\n reftime_len = 16 ;\n"
                 "variables:\n float RH(lat, lon) ;\n float lat(lat) ;\n float lon(lon) ;\n"
                 " char reftime(reftime_len) ;\n short grib_center(lat) ;\n"
                 "data:\n RH = " + v + " ;\n lat = " + lat + " ;\n lon = 0, 5 ;\n"
                 " reftime = \"2024-03-05 06:00\" ;\n grib_center = 7 ;\n}\n");
        GRD_info info{};
        const int fd = gfiletest::open_read(nc, GRD_DETECT, &info);
        ASSERT_GE(fd, 0);
        EXPECT_EQ(info.date.year, 2024);
        EXPECT_EQ(info.date.hour, 6);
        Rec r;
        int num = 0;
        ASSERT_EQ(GRD_read(fd, &r.r, GRD_READ_VALUES, &num), 0);
        EXPECT_EQ(r.r.source, 0);  // the first value is 1e30
        EXPECT_EQ(r.r.var, 0);
        EXPECT_FLOAT_EQ(r.r.domain.dy, 2.5f);
        EXPECT_FLOAT_EQ(r.r.domain.clat, 0);
        EXPECT_EQ(r.r.domain.ny, 73);
        // The southernmost row (first in a rising file) is the bottom row.
        const float *bottom = r.r.grid + 72 * 2, *top = r.r.grid;
        if (!falling) {
            EXPECT_EQ(bottom[0], VYK_MISS);
            EXPECT_EQ(top[0], 72);
        } else {
            EXPECT_EQ(top[0], VYK_MISS);
            EXPECT_EQ(bottom[0], 72);
        }
        EXPECT_EQ(r.r.date.year, 2024);
        GRD_close(fd);
    }
}

TEST(GrdCdfModel, GridvarComesFirst)
{
    vyktest::TempDir dir;
    std::string cdl = model_cdl();
    cdl.replace(cdl.find(" float other(lat) ;\n"), 20,
                " float other(lat) ;\n  other:long_name = \"Other field\" ;\n  other:units = \"m\" ;\n");
    const std::string nc = ncgen(dir, cdl);
    setenv("GRIDVAR", "other", 1);
    const int fd = gfiletest::open_read(nc);
    unsetenv("GRIDVAR");
    ASSERT_GE(fd, 0);
    EXPECT_EQ(GRD_get_gfile(fd)->var_num, 4);
    Rec r;
    int num = 0;
    ASSERT_EQ(GRD_read(fd, &r.r, GRD_READ_HEADER, &num), 0);
    EXPECT_EQ(r.r.var, 0);
    num = 1;
    ASSERT_EQ(GRD_read(fd, &r.r, GRD_READ_VALUES, &num), 0);
    EXPECT_EQ(r.r.var, 102);
    EXPECT_STREQ(r.r.info, "Other field (m)");
    GRD_close(fd);
}

// Years outside 1900 to 2100 are refused, never replaced.
TEST(GrdCdfModel, YearsOutOfRangeRefused)
{
    for (const char *year : {"1850", "2101", "0"}) {
        SCOPED_TRACE(year);
        vyktest::TempDir dir;
        const std::string nc =
            ncgen(dir, model_cdl("x", std::string(" year = ") + year + " ;\n month = 6 ;\n day = 12 ;\n hour = 12 ;\n"));
        int k = GRD_DETECT;
        const int fd = GRD_open(nc.c_str(), GRD_ACCESS_READ, &k);
        ASSERT_GE(fd, 0);
        GRD_info info{};
        vyktest::CaptureStdio cap;
        EXPECT_EQ(GRD_getinfo(fd, &info), -1);
        cap.finish();
        EXPECT_TRUE(vyktest::has(cap.err(), "no year from 1900 to 2100")) << cap.err();
        GRD_close(fd);
    }
}

// The grid tool lists model-output products like any other.
TEST(GrdCdfModel, GridToolListing)
{
    vyktest::TempDir dir;
    const std::string nc = ncgen(dir, model_cdl());
    const vyktest::RunResult r = vyktest::run(vyktest::tool("grid_tool") + " list " + vyktest::quote(nc));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(vyktest::count(r.out, "product "), 14) << r.out;
    EXPECT_TRUE(vyktest::has(r.out, "kind 11")) << r.out;
}

// Hostile files: variables of other shapes, sizes beyond a grid, text where numbers belong.
TEST(GrdCdfModel, HostileFiles)
{
    const char *const cases[] = {
        // longitude before latitude: no grid of this layout
        "netcdf h {\ndimensions:\n lat = 2 ;\n lon = 2 ;\nvariables:\n float T(lon, lat) ;\n"
        " int year ;\ndata:\n T = 1, 2, 3, 4 ;\n year = 2000 ;\n}\n",
        // a grid far larger than any allowed, with no records behind it
        "netcdf h {\ndimensions:\n rtime = UNLIMITED ;\n lat = 20000 ;\n lon = 20000 ;\n"
        "variables:\n float T(rtime, lat, lon) ;\n int year ;\ndata:\n year = 2000 ;\n}\n",
        // latitudes as text, a single latitude
        "netcdf h {\ndimensions:\n lat = 1 ;\n lon = 1 ;\nvariables:\n float T(lat, lon) ;\n"
        " char lat(lat) ;\n int year ;\ndata:\n T = 1 ;\n lat = \"a\" ;\n year = 2000 ;\n}\n",
        // a level dimension without a level variable, time without times
        "netcdf h {\ndimensions:\n level = 2 ;\n frtime = 2 ;\n lat = 2 ;\n lon = 2 ;\n"
        "variables:\n float U(frtime, level, lat, lon) ;\n int year ;\n"
        "data:\n U = 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16 ;\n year = 2000 ;\n}\n",
    };
    for (const char *cdl : cases) {
        SCOPED_TRACE(cdl);
        vyktest::TempDir dir;
        const std::string nc = ncgen(dir, cdl);
        const int fd = gfiletest::open_read(nc);
        ASSERT_GE(fd, 0);
        Rec r;
        vyktest::CaptureStdio cap;
        for (int n = 0; n < 8; n++) {
            int num = n;
            if (GRD_read(fd, &r.r, GRD_READ_VALUES, &num) != 0) continue;
            ASSERT_NE(r.r.grid, nullptr);
            EXPECT_GT(r.r.domain.nx, 0);
        }
        cap.finish();
        GRD_close(fd);
    }
}

}  // namespace
