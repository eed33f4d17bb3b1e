// Grid selectors and the searches of grid files: the selector forms as a table, the match
// rules as a table, searches that fill several slots from a file of several times, levels and
// variables, grids and domains read from named and dated files, and mosaic pieces.
#include <gtest/gtest.h>

#include "gfile_fixture.h"
#include "test_util.h"
#include "grd_search.h"

#include <string>
#include <vector>

using gfiletest::Prod;
using gfiletest::Rec;

namespace {

using vyktest::stderr_of;

/// The lookup files of the shipped etc/ folder (variables, units, conventions).
const bool on_etc = (RES_put("file_path", VYK_SOURCE_DIR "/etc"), true);

Prod product(int var, int ltype, int level, int time, int type = 3, float base = 0)
{
    Prod p(2, 2);
    p.var = var;
    p.ltype = ltype;
    p.level = level;
    p.time = time;
    p.type = type;
    p.units = "K";
    for (float &v : p.values) v += base;
    return p;
}

/// A file of several times, levels and variables (products 0 to 5).
std::vector<Prod> several()
{
    return {
        product(7, 100, 500, 12, 3, 5000),    // 0: height 500 mb at 12 h
        product(7, 100, 850, 12, 3, 1000),    // 1: height 850 mb
        product(11, 100, 500, 12, 3, 0),      // 2: temperature 500 mb at 12 h
        product(11, 100, 500, 24, 3, 10),     // 3: at 24 h
        product(11, 100, 500, 3012012, 3, 20),  // 4: a time range ending at 12 h
        product(52, 100, 700, 1012, 2, 60),   // 5: humidity, 10 days 12 h, grid type 2
    };
}

VAR_data selector(const char *str, int *type = nullptr)
{
    VAR_data p{};
    int t = VYK_MISS;
    GRD_parse_params(str, &p, type ? type : &t);
    return p;
}

}  // namespace

TEST(GrdSearch, SelectorForms)
{
    int t12 = 0, ltype = VYK_MISS, p5 = VYK_MISS, lt500 = VYK_MISS, p500 = VYK_MISS;
    VAR_dec_time("12", &t12);
    VAR_dec_level("p5", &ltype, &p5);
    VAR_dec_level("p500", &lt500, &p500);
    ASSERT_EQ(lt500, 100);
    ASSERT_EQ(p500, 500);
    const int M = VYK_MISS;
    struct Case {
        const char *str;
        int result, time, ltype, level, var, type;
        const char *units;
    };
    const Case cases[] = {
        {nullptr, M, M, M, M, M, M, ""},
        {"", M, M, M, M, M, M, ""},
        {"-", M, M, M, M, M, M, ""},
        {"#3:C", 3, M, M, M, M, M, "C"},
        {"#0", 0, M, M, M, M, M, ""},
        {":C", M, M, M, M, M, M, "C"},
        {"-12p5hh", -1, t12, ltype, p5, 7, M, ""},  // each word exactly two characters
        {"-12p5hh:F", -1, t12, ltype, p5, 7, M, "F"},
        {"-12p5pr", -1, t12, ltype, p5, 1, M, ""},
        {"-12p5PR", -1, t12, ltype, p5, 0, M, ""},  // capitals: not the pressure word
        {"-12p5st", -1, t12, ltype, p5, 11, M, ""},
        {"-12", -1, t12, M, M, M, M, ""},
        {"+h12:p500:st", -1, 12, 100, 500, 11, M, ""},
        {"+h12:p500:st:C:2", -1, 12, 100, 500, 11, 2, "C"},
        {"+:p500:rh", -1, M, 100, 500, 52, M, ""},
        {"+h12:p500:hgt", -1, 12, 100, 500, 7, M, ""},  // through the variable table
        {"+h12:p500:st:C:x", -1, 12, 100, 500, 11, M, "C"},
        {"+h12:p500:st:averyveryverylongunitsword", -1, 12, 100, 500, 11, M, "averyveryveryl"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.str ? c.str : "NULL");
        VAR_data p{};
        p.units[0] = 'x';
        int type = M;
        int result = 0;
        stderr_of([&] { result = GRD_parse_params(c.str, &p, &type); });
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(p.time, c.time);
        EXPECT_EQ(p.ltype, c.ltype);
        EXPECT_EQ(p.level, c.level);
        EXPECT_EQ(p.var[0], c.var);
        EXPECT_EQ(type, c.type);
        EXPECT_STREQ(p.units, c.units);
    }
    // Words are read within their limits; what is not a selector is said.
    const std::string err = stderr_of([&] {
        VAR_data p{};
        int type = M;
        EXPECT_EQ(GRD_parse_params("#abc", &p, &type), M);
        EXPECT_EQ(GRD_parse_params("+h12:p500:st:C:x", &p, &type), -1);
        EXPECT_EQ(GRD_parse_params(("+" + std::string(300, '1') + ":" + std::string(300, 'p') +
                                    ":" + std::string(300, 'v')).c_str(),
                                   &p, &type),
                  -1);
        EXPECT_EQ(GRD_parse_params("x12", &p, &type), M);
    });
    EXPECT_NE(err.find("no product number in selector #abc"), std::string::npos) << err;
    EXPECT_NE(err.find("grid type is not a number: x"), std::string::npos) << err;
    EXPECT_NE(err.find("time word cut to 9 characters"), std::string::npos) << err;
    EXPECT_NE(err.find("level word cut to 19 characters"), std::string::npos) << err;
    EXPECT_NE(err.find("variable word cut to 39 characters"), std::string::npos) << err;
    EXPECT_NE(err.find("not a grid selector: x12"), std::string::npos) << err;
    // The grid_type resource gives the type unless the selector names one.
    RES_put("grid_type", "5");
    int type = M;
    VAR_data p{};
    GRD_parse_params("+h12:p500:st", &p, &type);
    EXPECT_EQ(type, 5);
    GRD_parse_params("+h12:p500:st:C:2", &p, &type);
    EXPECT_EQ(type, 2);
}

TEST(GrdSearch, MatchRules)
{
    const int M = VYK_MISS;
    struct Case {
        const char *name;
        int want_time, want_ltype, want_level, want_var, type;
        int time, ltype, level, var, grid_type;
        int match;
    };
    const Case cases[] = {
        {"all given", 12, 100, 500, 11, 3, 12, 100, 500, 11, 3, 1},
        {"any time, level and type", M, M, M, 11, M, 36, 105, 2, 11, 9, 1},
        {"a plain hour matches a time range ending there", 12, M, M, 11, M, 3012012, 1, 0, 11, 0, 1},
        {"and a day code", 12, M, M, 11, M, 1012, 1, 0, 11, 0, 1},
        {"a time above 1000 matches only itself", 1012, M, M, 11, M, 12, 1, 0, 11, 0, 0},
        {"a time above 1000 matches itself", 1012, M, M, 11, M, 1012, 1, 0, 11, 0, 1},
        {"other variable", 12, M, M, 7, M, 12, 1, 0, 11, 0, 0},
        {"other level type", M, 100, M, 11, M, 12, 105, 0, 11, 0, 0},
        {"other level", M, M, 500, 11, M, 12, 100, 850, 11, 0, 0},
        {"other grid type", M, M, M, 11, 2, 12, 100, 850, 11, 3, 0},
        {"no variable wanted matches nothing", M, M, M, M, M, 12, 100, 500, 11, 3, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        VAR_data p = selector("");
        p.time = c.want_time;
        p.ltype = c.want_ltype;
        p.level = c.want_level;
        p.var[0] = c.want_var;
        GRD_report g{};
        GRD_init(&g);
        g.time = c.time;
        g.ltype = c.ltype;
        g.level = c.level;
        g.var = c.var;
        g.type = c.grid_type;
        EXPECT_EQ(GRD_test(&g, &p, c.type), c.match);
    }
    // Any of the five variable numbers.
    VAR_data p = selector("");
    GRD_set_params(&p, 12, 100, 500, 33);
    EXPECT_EQ(p.var[1], 0);
    p.var[3] = 11;
    GRD_report g{};
    GRD_init(&g);
    g.time = 12;
    g.ltype = 100;
    g.level = 500;
    g.var = 11;
    EXPECT_EQ(GRD_test(&g, &p, VYK_MISS), 1);
}

TEST(GrdSearch, SearchesFillSeveralSlotsFromOneScan)
{
    vyktest::TempDir dir;
    const std::string path = dir.file("several.grd");
    ASSERT_TRUE(gfiletest::write(path, GRD_TEXT, several()));
    const int fd = gfiletest::open_read(path);
    std::vector<VAR_data> params = {selector("+12:500mb:st"), selector("+24:500mb:st"),
                                    selector("+12:850mb:hh"), selector("+12:500mb:st:C"),
                                    selector("+12:700mb:rh"), selector("+12:300mb:st")};
    Rec slots[6];
    slots[1].r.source = 9;  // a slot that holds a grid already counts as found
    EXPECT_EQ(GRD_search(fd, &slots[0].r, params.data(), VYK_MISS, -6), 0);  // 300 mb is absent
    EXPECT_EQ(slots[0].r.var, 11);
    EXPECT_EQ(slots[0].r.time, 12);
    EXPECT_EQ(slots[0].r.grid[0], 250.0f);        // the first match in file order
    EXPECT_EQ(slots[1].r.grid, nullptr);          // kept as it was
    EXPECT_EQ(slots[2].r.level, 850);
    EXPECT_EQ(slots[2].r.grid[0], 1250.0f);
    EXPECT_FLOAT_EQ(slots[3].r.grid[0], 250.0f - 273.15f);  // converted to the selector's units
    EXPECT_EQ(slots[4].r.time, 1012);
    EXPECT_EQ(slots[5].r.source, 0);
    // With the grid type 2 only the humidity is found.
    Rec one;
    VAR_data rh = selector("+12:700mb:rh");
    EXPECT_EQ(GRD_search(fd, &one.r, &rh, 2, -1), 1);
    VAR_data st = selector("+12:500mb:st");
    Rec none;
    EXPECT_EQ(GRD_search(fd, &none.r, &st, 2, -1), 0);
    GRD_close(fd);
}

TEST(GrdSearch, ProductsOfSourceZeroFillTheirSlotOnce)
{
    // A file may give its products source 0, the mark of an empty record: the slot filled by
    // the first match stays filled and is counted once.
    vyktest::TempDir dir;
    const std::string path = dir.file("zero.grd");
    std::vector<Prod> prods = {product(11, 100, 500, 12, 3, 0), product(11, 100, 500, 3012012, 3, 20)};
    for (Prod &p : prods) p.source = 0;
    ASSERT_TRUE(gfiletest::write(path, GRD_TEXT, prods));
    const int fd = gfiletest::open_read(path);
    VAR_data params[2] = {selector("+12:500mb:st"), selector("+12:850mb:hh")};
    Rec slots[2];
    EXPECT_EQ(GRD_search(fd, &slots[0].r, params, VYK_MISS, -2), 0);  // the height is absent
    ASSERT_NE(slots[0].r.grid, nullptr);
    EXPECT_EQ(slots[0].r.time, 12);  // the first match, not the time range after it
    EXPECT_EQ(slots[0].r.grid[0], 250.0f);
    GRD_rewind(fd);
    Rec one;
    EXPECT_EQ(GRD_search(fd, &one.r, params, VYK_MISS, -1), 1);
    EXPECT_EQ(one.r.time, 12);
    GRD_close(fd);
}

TEST(GrdSearch, GridsFromNamedFiles)
{
    vyktest::TempDir dir;
    ASSERT_TRUE(gfiletest::write(dir.file("several.grd"), GRD_TEXT, several()));
    RES_put("grid_path", dir.path().c_str());
    struct Case {
        const char *name;
        int result;
        int var, time;
        float first;
    };
    const Case cases[] = {
        {"several.grd", 1, 7, 12, 5250.0f},               // no selector: product 0
        {"several.grd#5", 1, 52, 1012, 310.0f},
        {"several.grd#3:C", 1, 11, 24, 260.0f - 273.15f},
        {"several.grd-24p5st", 0, 0, 0, 0},           // 24 h, 5 mb: not there
        {"several.grd+h12:p500:st", 1, 11, 12, 250.0f},
        {"several.grd+h12:p500:st::2", 0, 0, 0, 0},   // grid type 2: not there
        {"several.grd#9", 0, 0, 0, 0},
        {"missing.grd", -1, 0, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Rec rec;
        GRD_info info{};
        int kind = GRD_DETECT;
        int result = 0;
        const std::string err = stderr_of([&] { result = GRD_read_file(c.name, &rec.r, &info, &kind); });
        EXPECT_EQ(result, c.result) << err;
        if (c.result == 1) {
            EXPECT_EQ(kind, GRD_TEXT);
            EXPECT_EQ(rec.r.var, c.var);
            EXPECT_EQ(rec.r.time, c.time);
            EXPECT_FLOAT_EQ(rec.r.grid[0], c.first);
            EXPECT_STREQ(info.datim, "12Z 05 MAR 24");
        } else if (c.result == 0) {
            EXPECT_NE(err.find("GRD_read_file: Grid not found in file"), std::string::npos) << err;
        } else {
            EXPECT_NE(err.find("GRD_read_file: Unable to open grid file: " + dir.file("missing.grd")),
                      std::string::npos)
                << err;
        }
    }
    // A name without a selector never takes one left from an earlier name.
    Rec rec;
    GRD_info info{};
    int kind = GRD_DETECT;
    ASSERT_EQ(GRD_read_file("several.grd#5", &rec.r, &info, &kind), 1);
    GRD_free(&rec.r);
    ASSERT_EQ(GRD_read_file("several.grd", &rec.r, &info, &kind), 1);
    EXPECT_EQ(rec.r.var, 7);
}

TEST(GrdSearch, GridsAndDomainsOfDatedFiles)
{
    vyktest::TempDir dir;
    RES_put("grid_path", dir.path().c_str());
    std::vector<Prod> prods = several();
    prods[5].dom.clat = 55;
    ASSERT_TRUE(gfiletest::write(dir.file("g_2024030512.grd"), GRD_BINARY, prods));
    FILE_set_name("@%G/g_%Y%m%d%h.grd");
    Date date;
    DATE_init(&date);
    date.year = 2024;
    date.month = 3;
    date.day = 5;
    date.hour = 12;
    Rec rec;
    GRD_info info{};
    int kind = GRD_DETECT;
    std::string out;
    {
        vyktest::CaptureStdio cap;
        EXPECT_EQ(GRD_read_file_date(&date, "+12:700mb:rh", &rec.r, &info, &kind), 1);
        cap.finish();
        out = cap.out();
    }
    EXPECT_EQ(rec.r.var, 52);
    EXPECT_EQ(rec.r.grid[0], 310.0f);
    EXPECT_EQ(info.date.hour, 12);
    EXPECT_NE(out.find("Reading from grid file: " + dir.file("g_2024030512.grd")), std::string::npos)
        << out;
    // The domain of the first product, or of the first of the grid_type resource's type.
    Domain dom;
    GRD_set_date(&date);
    EXPECT_EQ(GRD_get_file_date_domain(nullptr, &dom), 1);
    EXPECT_EQ(dom.clat, 40);
    RES_put("grid_type", "2");
    EXPECT_EQ(GRD_get_file_domain(dir.file("g_2024030512.grd").c_str(), &dom), 1);
    EXPECT_EQ(dom.clat, 55);
    RES_put("grid_type", "77");
    std::string err = stderr_of([&] {
        EXPECT_EQ(GRD_get_file_domain(dir.file("g_2024030512.grd").c_str(), &dom), 0);
    });
    EXPECT_NE(err.find("No grid of type 77"), std::string::npos) << err;
    date.hour = 18;
    err = stderr_of([&] {
        EXPECT_EQ(GRD_read_file_date(&date, "", &rec.r, &info, &kind), -1);
        EXPECT_EQ(GRD_get_file_date_domain(&date, &dom), -1);
        EXPECT_EQ(GRD_get_file_domain(dir.file("none").c_str(), &dom), -1);
    });
    EXPECT_NE(err.find("GRD_read_file_date: Unable to open grid file: " + dir.file("g_2024030518.grd")),
              std::string::npos)
        << err;
    EXPECT_NE(err.find("GRD_get_file_date_domain: Unable to open grid file:"), std::string::npos);
    EXPECT_NE(err.find("GRD_get_file_domain: Unable to open grid file:"), std::string::npos);
}
