// Grid output files and loading the variable table: the out_file words as a table, saving under
// the overwrite rules (new, appended, left alone), output slots, reusing an existing output of
// the same region, and loading the grids of the variable table from a file, or from the piece
// files of a model mosaic, with the results saved under the naming convention.
#include <gtest/gtest.h>

#include "gfile_fixture.h"
#include "test_util.h"
#include "grd_output.h"

#include <filesystem>
#include <string>
#include <vector>

using gfiletest::Prod;
using gfiletest::Rec;

namespace {

using vyktest::stderr_of;

// No prompts: batch mode, the lookup files of etc/.
const bool setup = (FLAG_set(FLAG_BATCH, 1), RES_put("file_path", VYK_SOURCE_DIR "/etc"), true);

std::vector<std::string> files_in(const std::string &dir)
{
    std::vector<std::string> names;
    for (const auto &e : std::filesystem::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

int products_in(const std::string &path)
{
    const int fd = gfiletest::open_read(path);
    if (fd < 0) return -1;
    Rec rec;
    int n = 0;
    while (GRD_read(fd, &rec.r, GRD_READ_HEADER, &n) == 0) n++;
    GRD_close(fd);
    return n;
}

}  // namespace

TEST(GrdOutput, OutFileWords)
{
    struct Case {
        const char *words;  // nullptr: unset
        int type;
        int format;
        const char *conv;  // the convention's template
    };
    const Case cases[] = {
        {nullptr, 0, 0, "%Y%m%d%h_%x_%v_%l_%f.grd"},  // "grd_grd"
        {"cdf", 0, GRD_OUT_NETCDF, "%Y%m%d%h_%x_%v_%l_%f.nc"},
        {"cdf:@mygrid.nc", 0, GRD_OUT_NETCDF, "mygrid.nc"},
        {"vykb", 0, GRD_OUT_BINARY, "%Y%m%d%h_%x_%v_%l_%f.grd"},
        {"VYK", 3, GRD_OUT_TEXT, "%Y%m%d%h_%x_%v_%l_%f.grd"},
        {"@mylist.grd", 0, GRD_OUT_TEXT, "mylist.grd"},  // a convention alone: text
        {"none", 3, 3, "%Y%m%d%h_%x_%v_%l_%f.grd"},
        {"gif,none", 0, 0, "%Y%m%d%h_%x_%v_%l_%f.grd"},
        {"cdf,vykb", 0, GRD_OUT_BINARY, "%Y%m%d%h_%x_%v_%l_%f.grd"},  // the last word wins
        {"grib", 3, 3, "%Y%m%d%h_%x_%v_%l_%f.grd"},  // computed grids are not GRIB
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.words ? c.words : "unset");
        if (c.words) RES_put("out_file", c.words);
        FLAG_set(FLAG_GRID_FILE, VYK_MISS);
        int format = -1;
        const std::string err = stderr_of([&] { format = GRD_out_file(c.type); });
        EXPECT_EQ(format, c.format);
        EXPECT_STREQ(FILE_get_conv(), c.conv);
        EXPECT_EQ(FLAG_get(FLAG_GRID_FILE), c.format ? c.format : VYK_MISS);
        if (c.words && std::string(c.words) == "grib") {
            EXPECT_NE(err.find("not written as GRIB"), std::string::npos) << err;
        }
    }
}

TEST(GrdOutput, SavingUnderTheOverwriteRules)
{
    vyktest::TempDir dir;
    RES_put("grid_path", dir.path().c_str());
    Rec grid;
    Prod().fill(grid.r);
    GRD_info info = gfiletest::header();
    const std::string path = dir.file("out.grd");
    std::string out;
    {
        vyktest::CaptureStdio cap;
        EXPECT_EQ(GRD_save_file("out.grd", &grid.r, &info, GRD_OUT_TEXT), 1);  // new file
        cap.finish();
        out = cap.out();
    }
    EXPECT_NE(out.find("Creating grid file: " + path), std::string::npos) << out;
    EXPECT_EQ(products_in(path), 1);
    struct Case {
        int flag15;
        int type;
        int result;
        int products;
        const char *message;
    };
    const Case cases[] = {
        {FILE_WRITE, GRD_OUT_TEXT, 1, 1, ""},               // replaced
        {FILE_APPEND, GRD_OUT_BINARY, 1, 2, ""},            // appended
        {FILE_APPEND, GRD_OUT_TEXT, 1, 3, ""},
        {FILE_USE, GRD_OUT_TEXT, 0, 3, "Unable to overwrite grid file"},
        {VYK_MISS, GRD_OUT_TEXT, 0, 3, "Unable to overwrite grid file"},  // batch: left alone
        {FILE_WRITE, GRD_OUT_NONE, 0, 3, ""},               // no output
        {FILE_WRITE, GRD_GRIB, 0, 3, "not written as GRIB"},
        {FILE_APPEND, GRD_OUT_NETCDF, 0, 3, "not a netCDF grid file"},  // text file, netCDF asked
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.flag15) + " " + std::to_string(c.type));
        FLAG_set(FLAG_FILE_PARAM, c.flag15);
        int result = -1;
        const std::string err = stderr_of([&] { result = GRD_save_file("out.grd", &grid.r, &info, c.type); });
        EXPECT_EQ(result, c.result) << err;
        EXPECT_EQ(products_in(path), c.products);
        if (*c.message) {
            EXPECT_NE(err.find(c.message), std::string::npos) << err;
        }
    }
    // The record is not changed by the writer (units are written with '_').
    strfcpy(grid.r.units, "deg C");
    FLAG_set(FLAG_FILE_PARAM, FILE_WRITE);
    EXPECT_EQ(GRD_save_file("out.grd", &grid.r, &info, GRD_OUT_TEXT), 1);
    EXPECT_STREQ(grid.r.units, "deg C");
    EXPECT_NE(vyktest::read_file(path).find(":deg_C\n"), std::string::npos);
    // netCDF output takes its dimensions from the grid when the header has none.
    GRD_info bare{};
    EXPECT_EQ(GRD_save_file("out.nc", &grid.r, &bare, GRD_OUT_NETCDF), 1);
    EXPECT_EQ(products_in(dir.file("out.nc")), 1);
}

TEST(GrdOutput, OutputSlotsAreTellableFromFailures)
{
    vyktest::TempDir dir;
    RES_put("grid_path", dir.path().c_str());
    FLAG_set(FLAG_FILE_PARAM, FILE_WRITE);
    EXPECT_EQ(GRD_open_out_file("a.grd", GRD_OUT_NONE), -1);
    const int fd = GRD_open_out_file("a.grd", GRD_OUT_TEXT);
    EXPECT_EQ(fd, 0);  // the first slot, a success
    Rec grid;
    Prod().fill(grid.r);
    GRD_info info = gfiletest::header();
    EXPECT_EQ(GRD_save_grid(fd, &grid.r, &info), 0);
    EXPECT_EQ(products_in(dir.file("a.grd")), 1);
    const std::string err = stderr_of([&] {
        EXPECT_EQ(GRD_open_out_file("no/such/dir/a.nc", GRD_OUT_NETCDF), -1);
    });
    EXPECT_NE(err.find("GRD_open_out_file: Unable to create grid file"), std::string::npos) << err;
}

TEST(GrdOutput, ReusingAnOutputOfTheSameRegion)
{
    vyktest::TempDir dir;
    RES_put("grid_path", dir.path().c_str());
    const Prod p;
    ASSERT_TRUE(gfiletest::write(dir.file("r.grd"), GRD_BINARY, {p}));
    Rec grid;
    GRD_info info{};
    int kind = -1;
    EXPECT_EQ(GRD_read_check("r.grd", &grid.r, &info, &kind, &p.dom), 1);
    EXPECT_EQ(kind, GRD_TEXT);
    EXPECT_EQ(gfiletest::values_of(grid.r), p.values);
    EXPECT_EQ(info.date.day, 5);

    Domain other = p.dom;
    other.clat = 41;
    Rec second;
    const std::string err = stderr_of([&] {
        EXPECT_EQ(GRD_read_check("r.grd", &second.r, &info, &kind, &other), 0);
    });
    EXPECT_NE(err.find("r.grd file does not correspond to selected region"), std::string::npos) << err;
    EXPECT_EQ(second.r.grid, nullptr);
    EXPECT_EQ(second.r.source, 0);

    FLAG_set(FLAG_FILE_PARAM, FILE_WRITE);  // recompute whatever is there
    EXPECT_EQ(GRD_read_check("r.grd", &second.r, &info, &kind, &p.dom), 0);
    FLAG_set(FLAG_FILE_PARAM, VYK_MISS);
    EXPECT_EQ(GRD_read_check("missing.grd", &second.r, &info, &kind, &p.dom), 0);
    EXPECT_EQ(GRD_read_check("", &second.r, &info, &kind, &p.dom), 0);
    EXPECT_EQ(GRD_read_check("-", &second.r, &info, &kind, &p.dom), 0);
}

TEST(GrdOutput, LoadingTheVariableTableAndSavingItsGrids)
{
    vyktest::TempDir dir, out;
    RES_put("grid_path", out.path().c_str());
    RES_put("out_file", "vyk");
    FLAG_set(FLAG_FILE_PARAM, FILE_WRITE);
    Prod t(2, 2), h(2, 2), w(2, 2);
    t.var = 11;
    t.values = {280, 281, 282, 283};
    h.var = 7;
    h.level = 850;
    h.units = "gpm";
    w.var = 33;
    ASSERT_TRUE(gfiletest::write(dir.file("in.grd"), GRD_TEXT, {w, h, t}));
    ASSERT_TRUE(VAR_setup(nullptr, "12:500mb:temp:C:cont,12:850mb:hgt::cont,12:300mb:rhum::cont"));
    VAR_set_model_str("eta");
    std::string err;
    {
        vyktest::CaptureStdio cap;
        EXPECT_EQ(GRD_search_file(dir.file("in.grd").c_str()), 1);
        cap.finish();
        err = cap.err();
    }
    const GRD_report *g = GRD_get_grids();
    EXPECT_EQ(g[0].var, 11);
    EXPECT_FLOAT_EQ(g[0].grid[0], 280 - 273.15f);  // in the variable's units
    EXPECT_EQ(g[1].var, 7);
    EXPECT_EQ(g[2].source, 0);
    EXPECT_NE(err.find("GRD_search_file: grid not found in file: 2 300 mb"), std::string::npos) << err;
    EXPECT_EQ(files_in(out.path()),
              (std::vector<std::string>{"2024030512_eta_hgt_850_12.grd",
                                        "2024030512_eta_temp_500_12.grd"}));
    // Loading again keeps nothing of the last load (checked by the leak sanitizer).
    EXPECT_EQ(GRD_search_file(dir.file("in.grd").c_str()), 1);
    stderr_of([&] { EXPECT_EQ(GRD_search_file(dir.file("none.grd").c_str()), -1); });
    GRD_free_grids();
}

TEST(GrdOutput, LoadingFromTheFilesOfAModelMosaic)
{
    vyktest::TempDir dir;
    for (const char *f : {"variable.lup", "units.lup"})
        std::filesystem::copy_file(std::string(VYK_SOURCE_DIR "/etc/") + f, dir.file(f));
    vyktest::write_file(dir.file("model.lup"), "quad 2x2 qa,qb,qc,qd\n");
    vyktest::write_file(dir.file("name_conv"), "qa %G/qa_%Y%m%d%h.grd -\nqb %G/qb_%Y%m%d%h.grd -\n"
                                               "qc %G/qc_%Y%m%d%h.grd -\nqd %G/qd_%Y%m%d%h.grd -\n");
    RES_put("file_path", dir.path().c_str());
    RES_put("grid_path", dir.path().c_str());
    RES_put("model", "quad");
    GRD_in_file();
    ASSERT_EQ(GRD_get_num_piece(), 4);
    for (int k = 0; k < 3; k++) {
        Prod t(2, 2);
        t.var = 11;
        t.values = std::vector<float>(4, static_cast<float>(k + 1));
        std::vector<Prod> prods = {t};
        if (k == 1) {
            Prod h(2, 2);
            h.var = 7;
            h.level = 850;
            prods.push_back(h);
        }
        const std::string name = std::string("q") + static_cast<char>('a' + k) + "_2024030512.grd";
        ASSERT_TRUE(gfiletest::write(dir.file(name), GRD_TEXT, prods));
    }
    ASSERT_TRUE(VAR_setup(nullptr, "12:500mb:temp::cont,12:850mb:hgt::cont"));
    Date date;
    DATE_init(&date);
    date.year = 2024;
    date.month = 3;
    date.day = 5;
    date.hour = 12;
    std::string err;
    {
        vyktest::CaptureStdio cap;
        EXPECT_EQ(GRD_search_file_date(&date), 1);
        cap.finish();
        err = cap.err();
    }
    const GRD_report *g = GRD_get_grids();
    ASSERT_NE(g[0].grid, nullptr);
    EXPECT_EQ(g[0].domain.nx, 3);
    EXPECT_EQ(g[0].domain.ny, 3);
    EXPECT_EQ(g[0].grid[0], 1.0f);             // piece a, top left
    EXPECT_EQ(g[0].grid[2], 2.0f);             // piece b, top right
    EXPECT_EQ(g[0].grid[6], 3.0f);             // piece c, bottom left
    EXPECT_EQ(g[0].grid[8], static_cast<float>(VYK_MISS));  // piece d's file is missing
    EXPECT_EQ(g[1].domain.nx, 3);              // the height came from piece b alone
    EXPECT_EQ(g[1].grid[1], 250.0f);
    EXPECT_EQ(g[1].grid[2], 250.25f);
    EXPECT_EQ(g[1].grid[0], static_cast<float>(VYK_MISS));
    // The height is missing after the first piece only; the fourth file is said missing.
    size_t first = err.find("Grid missing: 12 100 850 7");
    EXPECT_NE(first, std::string::npos) << err;
    EXPECT_EQ(err.find("Grid missing", first + 1), std::string::npos) << err;
    EXPECT_NE(err.find("unable to open file: " + dir.file("qd_2024030512.grd")), std::string::npos)
        << err;
    GRD_free_grids();
}
