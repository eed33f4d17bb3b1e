// netCDF access layer: reads of files made by ncgen, files written by the layer checked with
// ncdump, hostile and damaged files, outputs that fail or are refused.
#include "test_util.h"
#include "vyk.h"
#include "vykcdf.h"

#include <gtest/gtest.h>
#include <netcdf.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <vector>

using vyktest::quote;
using vyktest::run;
using vyktest::TempDir;

namespace {

constexpr int RECS = 12, LEVELS = 25, SLEN = 8;

const char *const NAMES[RECS] = {"A",     "BB",     "CCC",      "ABCDEFGH", "", "X Y",
                                 "tail ", "1234567", "zz",      "q",        "R", "end"};

float temp_at(int r, int l) { return r * 100 + l + 0.5f; }
double press_at(int r) { return 1000.125 - r * 0.25; }
int count_at(int r) { return r % 2 ? 2000000000 - r : -2000000000 + r; }
short code_at(int r) { return static_cast<short>(-300 * r); }
signed char qc_at(int r, int l) { return static_cast<signed char>((r * LEVELS + l) % 256 - 128); }

/// The profile fixture as CDL: 12 records of 25 levels, values computed from their indices.
std::string profile_cdl()
{
    std::string cdl = "netcdf prof {\n"
                      "dimensions:\n\trec = UNLIMITED ;\n\tlevel = 25 ;\n\tslen = 8 ;\n"
                      "\tbig = 100000000 ;\n"
                      "variables:\n"
                      "\tfloat temp(rec, level) ;\n\t\ttemp:units = \"K\" ;\n"
                      "\tdouble press(rec) ;\n\tint count(rec) ;\n\tshort code(rec) ;\n"
                      "\tbyte qc(rec, level) ;\n\tchar name(rec, slen) ;\n\tchar kind(rec) ;\n"
                      "\tfloat scalar ;\n"
                      "// global attributes:\n"
                      "\t:title = \"wind profiles\" ;\n\t:version = 3 ;\n"
                      "\t:history = \"" + std::string(3000, 'h') + "\" ;\n"
                      "data:\n";
    auto list = [&](const char *name, auto value, int n) {
        cdl += std::string(" ") + name + " = ";
        for (int i = 0; i < n; i++)
            cdl += (i ? ", " : "") + value(i);
        cdl += " ;\n";
    };
    list("temp", [](int i) { return std::to_string(temp_at(i / LEVELS, i % LEVELS)); },
         RECS * LEVELS);
    char buf[64];
    list("press", [&](int r) { snprintf(buf, sizeof buf, "%.17g", press_at(r)); return std::string(buf); },
         RECS);
    list("count", [](int r) { return std::to_string(count_at(r)); }, RECS);
    list("code", [](int r) { return std::to_string(code_at(r)); }, RECS);
    list("qc", [](int i) { return std::to_string(qc_at(i / LEVELS, i % LEVELS)); },
         RECS * LEVELS);
    list("name", [](int r) { return "\"" + std::string(NAMES[r]) + "\""; }, RECS);
    cdl += " kind = \"abcdefghijkl\" ;\n scalar = 42.25 ;\n}\n";
    return cdl;
}

/// Makes a classic netCDF file from CDL text with ncgen and returns its path.
std::string make_nc(const TempDir &dir, const std::string &name, const std::string &cdl)
{
    const std::string cdl_path = dir.file(name + ".cdl"), nc_path = dir.file(name + ".nc");
    vyktest::write_file(cdl_path, cdl);
    const auto r = run("ncgen -b -k nc3 -o " + quote(nc_path) + " " + quote(cdl_path));
    EXPECT_EQ(r.status, 0) << r.err;
    return nc_path;
}

std::string ncdump(const std::string &args, const std::string &path)
{
    const auto r = run("ncdump " + args + " " + quote(path));
    EXPECT_EQ(r.status, 0) << r.err;
    return r.out;
}

/// The data lines of one variable in ncdump output, blanks and line ends removed.
std::string dumped_values(const std::string &dump, const std::string &var)
{
    const auto at = dump.find("\n " + var + " =");
    if (at == std::string::npos)
        return "";
    std::string v;
    for (size_t i = dump.find('=', at) + 1; i < dump.size() && dump[i] != ';'; i++)
        if (dump[i] != ' ' && dump[i] != '\n')
            v += dump[i];
    return v;
}

class Cdf : public ::testing::Test {
protected:
    void TearDown() override { CDF_close(); }
    /// Makes the profile fixture and makes it the current file.
    void open_profile()
    {
        path = make_nc(dir, "prof", profile_cdl());
        ASSERT_GE(CDF_open(path.c_str(), 0), 0);
    }
    TempDir dir;
    std::string path;
};

}  // namespace

// A missing variable must not end the process: the library's default error option is fatal,
// and the layer switches it off before its first library call.  The statement runs in a fresh
// process, so nothing else has touched the library before.
TEST_F(Cdf, MissingVariableDoesNotExit)
{
    const std::string path = make_nc(dir, "one", "netcdf one {\nvariables:\n\tfloat x ;\ndata:\n x = 1 ;\n}\n");
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            int ok = CDF_open(path.c_str(), 0) >= 0;
            const int var = CDF_get_var("nosuch");
            ok = ok && var == -1 && CDF_get_float(var) == -9999.0f;
            ok = ok && CDF_open((path + ".none").c_str(), 0) == -1;
            ok = ok && (ncopts & NC_FATAL) == 0;
            fprintf(stderr, "went on\n");
            exit(ok ? 0 : 1);
        },
        testing::ExitedWithCode(0), "went on");
}

TEST_F(Cdf, NoFileOrVariableGivesMissingValues)
{
    const std::string path = make_nc(dir, "one", "netcdf one {\nvariables:\n\tfloat x ;\ndata:\n x = 1 ;\n}\n");
    for (const bool with_file : {false, true}) {
        SCOPED_TRACE(with_file);
        if (with_file)
            ASSERT_GE(CDF_open(path.c_str(), 0), 0);
        else
            EXPECT_EQ(CDF_open(dir.file("absent.nc").c_str(), 0), -1);
        // With no file current every variable counts as absent.
        const int var = with_file ? CDF_get_var("nosuch") : 0;
        if (with_file) {
            EXPECT_EQ(var, -1);
        }
        vyktest::CaptureStdio cap;
        EXPECT_EQ(CDF_get_float(var), -9999.0f);
        EXPECT_EQ(CDF_get_double(var), -9999.0);
        EXPECT_EQ(CDF_get_long(var), -9999L);
        EXPECT_EQ(CDF_get_byte(var), static_cast<char>(-1));
        EXPECT_EQ(CDF_get_char(var), ' ');
        float fa[2] = {7, 7};
        double da[2] = {7, 7};
        char ba[2] = {7, 7}, str[4] = "abc";
        EXPECT_EQ(CDF_get_float_array(var, fa), -1);
        EXPECT_EQ(CDF_get_double_array(var, da), -1);
        EXPECT_EQ(CDF_get_byte_array(var, ba), -1);
        EXPECT_EQ(CDF_get_str(var, 3, str), 0);
        EXPECT_EQ(fa[0], 7);
        EXPECT_EQ(da[0], 7);
        EXPECT_EQ(ba[0], 7);
        EXPECT_STREQ(str, "abc");
        EXPECT_EQ(CDF_put_float(var, 1), 0);
        EXPECT_EQ(CDF_put_long(var, 1), 0);
        EXPECT_EQ(CDF_put_str(var, "x"), 0);
        cap.finish();
        EXPECT_EQ(cap.out() + cap.err(), "");  // no library call was made
        CDF_close();
    }
}

TEST_F(Cdf, PrintErrorsSwitchesTheLibraryMessages)
{
    for (const int val : {1, 0}) {
        CDF_print_errors(val);
        vyktest::CaptureStdio cap;
        EXPECT_EQ(CDF_open(dir.file("absent.nc").c_str(), 0), -1);
        cap.finish();
        EXPECT_EQ(ncopts, val ? NC_VERBOSE : 0);
        EXPECT_EQ(cap.err().empty(), val == 0) << cap.err();
    }
}

TEST_F(Cdf, SingleValuesOfEveryType)
{
    open_profile();
    const int temp = CDF_get_var("temp"), press = CDF_get_var("press"), count = CDF_get_var("count"),
              qc = CDF_get_var("qc"), kind = CDF_get_var("kind"), scalar = CDF_get_var("scalar");
    for (const int v : {temp, press, count, qc, kind, scalar})
        ASSERT_GE(v, 0);
    const struct {
        int rec, lev;
    } cases[] = {{0, 0}, {3, 24}, {11, 0}, {11, 24}, {6, 13}};
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.rec << "," << c.lev);
        EXPECT_EQ(CDF_set_pos(2, c.rec, c.lev), 0);
        EXPECT_EQ(CDF_get_float(temp), temp_at(c.rec, c.lev));
        EXPECT_EQ(CDF_get_byte(qc), static_cast<char>(qc_at(c.rec, c.lev)));
        EXPECT_EQ(CDF_set_pos(1, c.rec), 0);
        EXPECT_EQ(CDF_get_double(press), press_at(c.rec));
        EXPECT_EQ(CDF_get_long(count), count_at(c.rec));
        EXPECT_EQ(CDF_get_char(kind), "abcdefghijkl"[c.rec]);
    }
    // A scalar takes no position entries.
    EXPECT_EQ(CDF_set_pos(0), 0);
    EXPECT_EQ(CDF_get_float(scalar), 42.25f);

    // Outside the variable: the missing value.
    CDF_print_errors(0);
    EXPECT_EQ(CDF_set_pos(2, 12, 0), 0);
    EXPECT_EQ(CDF_get_float(temp), -9999.0f);
    EXPECT_EQ(CDF_set_pos(1, 40), 0);
    EXPECT_EQ(CDF_get_char(kind), ' ');
    EXPECT_EQ(CDF_get_long(count), -9999L);
}

TEST_F(Cdf, DimensionsAndRecords)
{
    open_profile();
    EXPECT_EQ(CDF_get_dim_size(-1), RECS);
    EXPECT_EQ(CDF_get_dim_size(CDF_get_dim("level")), LEVELS);
    EXPECT_EQ(CDF_get_dim_size(CDF_get_dim("slen")), SLEN);
    EXPECT_EQ(CDF_get_dim("rec"), 0);
    CDF_print_errors(0);
    EXPECT_EQ(CDF_get_dim("nosuch"), -1);
    EXPECT_EQ(CDF_get_dim_size(42), -1);
    // A length beyond any sane profile file is refused rather than handed to an allocation.
    EXPECT_EQ(CDF_get_dim_size(CDF_get_dim("big")), -1);
}

TEST_F(Cdf, Blocks)
{
    open_profile();
    const int temp = CDF_get_var("temp"), press = CDF_get_var("press"), qc = CDF_get_var("qc");
    const struct {
        int rs, rc, ls, lc;
    } cases[] = {{3, 1, 0, 25}, {0, 12, 0, 25}, {2, 3, 5, 4}, {11, 1, 24, 1}, {5, 2, 7, 0}};
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.rs << "+" << c.rc << "," << c.ls << "+" << c.lc);
        ASSERT_EQ(CDF_set_range(2, c.rs, c.rc, c.ls, c.lc), 0);
        const size_t n = static_cast<size_t>(c.rc * c.lc);
        std::vector<float> f(n + 1, 1.0f);
        std::vector<char> b(n + 1, 1);
        EXPECT_EQ(CDF_get_float_array(temp, f.data()), 0);
        EXPECT_EQ(CDF_get_byte_array(qc, b.data()), 0);
        for (size_t i = 0; i < n; i++) {
            const int r = c.rs + static_cast<int>(i) / c.lc, l = c.ls + static_cast<int>(i) % c.lc;
            EXPECT_EQ(f[i], temp_at(r, l)) << i;
            EXPECT_EQ(b[i], static_cast<char>(qc_at(r, l))) << i;
        }
        EXPECT_EQ(f[n], 1.0f);  // nothing beyond the block
        EXPECT_EQ(b[n], 1);
    }
    ASSERT_EQ(CDF_set_range(1, 4, 8), 0);
    double d[9];
    d[8] = 1;
    EXPECT_EQ(CDF_get_double_array(press, d), 0);
    for (int i = 0; i < 8; i++)
        EXPECT_EQ(d[i], press_at(4 + i));
    EXPECT_EQ(d[8], 1);

    // A block outside the variable fails and leaves the missing value in every place.
    CDF_print_errors(0);
    ASSERT_EQ(CDF_set_range(2, 10, 3, 0, 2), 0);
    float f[6] = {1, 1, 1, 1, 1, 1};
    char b[6] = {1, 1, 1, 1, 1, 1};
    EXPECT_EQ(CDF_get_float_array(temp, f), -1);
    EXPECT_EQ(CDF_get_byte_array(qc, b), -1);
    for (int i = 0; i < 6; i++) {
        EXPECT_EQ(f[i], -9999.0f);
        EXPECT_EQ(b[i], -1);
    }
}

// Numbers of any numeric type, converted to double, and what a variable's shape is: what a
// reader of files of several producers needs.
TEST_F(Cdf, NumbersOfAnyTypeAndVariableShapes)
{
    open_profile();
    const int temp = CDF_get_var("temp"), press = CDF_get_var("press"), count = CDF_get_var("count"),
              code = CDF_get_var("code"), qc = CDF_get_var("qc"), name = CDF_get_var("name"),
              scalar = CDF_get_var("scalar");
    int type = 0;
    long dims[CDF_MAX_DIMS] = {};
    EXPECT_EQ(CDF_get_var_info(temp, &type, dims), 2);
    EXPECT_EQ(type, CDF_FLOAT);
    EXPECT_EQ(dims[0], RECS);
    EXPECT_EQ(dims[1], LEVELS);
    EXPECT_EQ(CDF_get_var_info(name, &type, dims), 2);
    EXPECT_EQ(type, CDF_CHAR);
    EXPECT_EQ(dims[1], SLEN);
    EXPECT_EQ(CDF_get_var_info(code, &type, nullptr), 1);
    EXPECT_EQ(type, CDF_SHORT);
    EXPECT_EQ(CDF_get_var_info(scalar, nullptr, nullptr), 0);
    EXPECT_EQ(CDF_get_var_info(99, &type, dims), -1);
    EXPECT_EQ(CDF_get_var_info(-1, &type, dims), -1);

    for (const int rec : {0, 5, 11}) {
        SCOPED_TRACE(rec);
        ASSERT_EQ(CDF_set_pos(2, rec, 3), 0);
        EXPECT_EQ(CDF_get_number(temp), temp_at(rec, 3));
        EXPECT_EQ(CDF_get_number(qc), qc_at(rec, 3));
        ASSERT_EQ(CDF_set_pos(1, rec), 0);
        EXPECT_EQ(CDF_get_number(press), press_at(rec));
        EXPECT_EQ(CDF_get_number(count), count_at(rec));
        EXPECT_EQ(CDF_get_number(code), code_at(rec));
    }
    CDF_print_errors(0);
    EXPECT_EQ(CDF_get_number(name), -9999.0);  // text is not a number
    EXPECT_EQ(CDF_get_number(-1), -9999.0);

    double a[11];
    a[10] = 1;
    ASSERT_EQ(CDF_set_range(2, 2, 2, 20, 5), 0);
    EXPECT_EQ(CDF_get_number_array(qc, a), 0);
    for (int i = 0; i < 10; i++)
        EXPECT_EQ(a[i], qc_at(2 + i / 5, 20 + i % 5)) << i;
    EXPECT_EQ(CDF_get_number_array(temp, a), 0);
    EXPECT_EQ(a[9], temp_at(3, 24));
    EXPECT_EQ(a[10], 1);  // nothing beyond the block
    ASSERT_EQ(CDF_set_range(1, 3, 4), 0);
    EXPECT_EQ(CDF_get_number_array(code, a), 0);
    EXPECT_EQ(a[3], code_at(6));
    EXPECT_EQ(CDF_get_number_array(count, a), 0);
    EXPECT_EQ(a[0], count_at(3));
    // Refused: text, a block that does not fit the variable's dimensions, a block outside it.
    for (const int var : {name, temp}) {
        std::fill_n(a, 10, 1.0);
        EXPECT_EQ(CDF_get_number_array(var, a), -1);
        EXPECT_EQ(a[0], -9999.0);
        EXPECT_EQ(a[3], -9999.0);
        EXPECT_EQ(a[4], 1);
    }
    ASSERT_EQ(CDF_set_range(1, 10, 4), 0);
    EXPECT_EQ(CDF_get_number_array(code, a), -1);
    EXPECT_EQ(CDF_get_number_array(code, nullptr), -1);
}

TEST_F(Cdf, DoublesWritten)
{
    const std::string path = dir.file("double.nc");
    ASSERT_GE(CDF_open(path.c_str(), 1), 0);
    const int rec = CDF_def_dim("rec", 0);
    const int t = CDF_def_var("t", CDF_DOUBLE, 1, rec), f = CDF_def_var("f", CDF_FLOAT, 1, rec);
    EXPECT_EQ(CDF_end_def(), 0);
    for (int r = 0; r < 2; r++) {
        ASSERT_EQ(CDF_set_pos(1, r), 0);
        EXPECT_EQ(CDF_put_double(t, 1715688000.25 + r), 0);
    }
    CDF_print_errors(0);
    EXPECT_EQ(CDF_put_double(f, 1), -1);  // another type
    EXPECT_EQ(CDF_put_double(-1, 1), 0);  // nothing named: nothing written
    EXPECT_EQ(CDF_close(), 0);
    EXPECT_EQ(dumped_values(ncdump("-p 9,17 -v t", path), "t"), "1715688000.25,1715688001.25");
}

TEST_F(Cdf, Strings)
{
    open_profile();
    const int name = CDF_get_var("name");
    for (int r = 0; r < RECS; r++) {
        SCOPED_TRACE(r);
        char str[SLEN + 2];
        memset(str, '#', sizeof str);
        ASSERT_EQ(CDF_set_pos(1, r), 0);
        EXPECT_EQ(CDF_get_str(name, SLEN, str), 1);
        EXPECT_STREQ(str, NAMES[r]);  // a stored NUL ends the text; a full one is terminated
        EXPECT_EQ(str[SLEN + 1], '#');
        // Fewer characters than stored.
        EXPECT_EQ(CDF_get_str(name, 2, str), 1);
        EXPECT_EQ(std::string(str), std::string(NAMES[r]).substr(0, 2));
    }
    // A range does not widen a string read: the position names one string.
    ASSERT_EQ(CDF_set_range(1, 3, 5), 0);
    char str[SLEN + 1];
    EXPECT_EQ(CDF_get_str(name, SLEN, str), 1);
    EXPECT_STREQ(str, "ABCDEFGH");

    // Reads that fail leave the empty text.
    CDF_print_errors(0);
    const struct {
        const char *what;
        int var, rec, len;
    } bad[] = {{"longer than stored", name, 0, SLEN + 1},
               {"record outside", name, RECS + 3, SLEN},
               {"not a text", CDF_get_var("temp"), 0, 4},
               {"one dimension only", CDF_get_var("kind"), 0, 1}};
    for (const auto &c : bad) {
        SCOPED_TRACE(c.what);
        char s[SLEN + 2] = "old";
        ASSERT_EQ(CDF_set_pos(1, c.rec), 0);
        EXPECT_EQ(CDF_get_str(c.var, c.len, s), 0);
        EXPECT_STREQ(s, "");
    }
}

TEST_F(Cdf, GlobalAttributes)
{
    open_profile();
    char title[32];
    EXPECT_EQ(CDF_get_glob_att("title", title), 0);
    EXPECT_STREQ(title, "wind profiles");
    // Cut to the caller's field and terminated.
    char small[5];
    EXPECT_EQ(CDF_get_glob_att("title", small), 0);
    EXPECT_STREQ(small, "wind");
    char hist[64];
    EXPECT_EQ(CDF_get_glob_att("history", hist, 10), 0);
    EXPECT_STREQ(hist, "hhhhhhhhh");
    // A numeric attribute arrives as stored.
    char raw[8];
    EXPECT_EQ(CDF_get_glob_att("version", raw), 0);
    int version;
    memcpy(&version, raw, sizeof version);
    EXPECT_EQ(version, 3);
    CDF_print_errors(0);
    EXPECT_EQ(CDF_get_glob_att("nosuch", title), -1);
    EXPECT_STREQ(title, "");
}

// Files are untrusted: a variable of another type or shape than the operation expects is refused
// before the library moves a single value.
TEST_F(Cdf, RefusesVariablesThatDoNotFit)
{
    std::string cdl = "netcdf odd {\ndimensions:\n\tn = 4 ;\n\tone = 1 ;\nvariables:\n"
                      "\tdouble d(n) ;\n\tfloat f(n) ;\n\tint i(n) ;\n\tfloat deep(";
    for (int k = 0; k < 12; k++)
        cdl += k ? ", one" : "one";
    cdl += ") ;\ndata:\n d = 1, 2, 3, 4 ;\n f = 1, 2, 3, 4 ;\n i = 1, 2, 3, 4 ;\n deep = 5 ;\n}\n";
    const std::string path = make_nc(dir, "odd", cdl);
    ASSERT_GE(CDF_open(path.c_str(), 2), 0);
    CDF_print_errors(0);
    const int d = CDF_get_var("d"), f = CDF_get_var("f"), i = CDF_get_var("i"),
              deep = CDF_get_var("deep");
    ASSERT_EQ(CDF_set_pos(1, 0), 0);
    EXPECT_EQ(CDF_get_float(d), -9999.0f);  // a double would not fit the float
    EXPECT_EQ(CDF_get_double(f), -9999.0);
    EXPECT_EQ(CDF_get_long(f), -9999L);
    EXPECT_EQ(CDF_get_float(i), -9999.0f);
    EXPECT_EQ(CDF_get_byte(f), static_cast<char>(-1));
    EXPECT_EQ(CDF_get_char(d), ' ');
    EXPECT_EQ(CDF_get_float(deep), -9999.0f);  // more dimensions than a position holds
    EXPECT_EQ(CDF_put_char(f, 'x'), -1);
    EXPECT_EQ(CDF_put_short(i, 1), -1);
    EXPECT_EQ(CDF_put_float(f, 9.5f), 0);
    ASSERT_EQ(CDF_set_range(1, 0, 4), 0);
    char b[4];
    float fa[4];
    EXPECT_EQ(CDF_get_byte_array(f, b), -1);  // four floats would not fit four bytes
    EXPECT_EQ(b[3], -1);
    EXPECT_EQ(CDF_get_float_array(d, fa), -1);
    EXPECT_EQ(fa[3], -9999.0f);
    EXPECT_EQ(CDF_put_byte_array(f, b), -1);
    // Dimensions that the block does not name.
    ASSERT_EQ(CDF_set_range(2, 0, 1, 0, 4), 0);
    EXPECT_EQ(CDF_get_float_array(f, fa), -1);
    EXPECT_EQ(CDF_put_float_array(f, fa), -1);
    EXPECT_EQ(CDF_close(), 0);
    EXPECT_EQ(dumped_values(ncdump("-v f", path), "f"), "9.5,2,3,4");
}

// The header check lets every sound file through, whatever its format.
TEST_F(Cdf, OpensEveryFormat)
{
    const std::string cdl = "netcdf f {\ndimensions:\n\trec = UNLIMITED ;\n\tn = 3 ;\n"
                            "variables:\n\tdouble d(rec, n) ;\n\t\td:units = \"m\" ;\n"
                            "\tchar s(rec, n) ;\n\t:title = \"t\" ;\n"
                            "data:\n d = 1, 2, 3, 4, 5, 6 ;\n s = \"ab\", \"xyz\" ;\n}\n";
    for (const char *kind : {"nc3", "nc6", "nc5", "nc4", "nc7"}) {
        SCOPED_TRACE(kind);
        const std::string cdl_path = dir.file("f.cdl"), nc = dir.file(std::string("f_") + kind + ".nc");
        vyktest::write_file(cdl_path, cdl);
        const auto made = run(std::string("ncgen -b -k ") + kind + " -o " + quote(nc) + " " + quote(cdl_path));
        ASSERT_EQ(made.status, 0) << made.err;
        ASSERT_GE(CDF_open(nc.c_str(), 0), 0);
        EXPECT_EQ(CDF_get_dim_size(-1), 2);
        ASSERT_EQ(CDF_set_pos(2, 1, 2), 0);
        EXPECT_EQ(CDF_get_double(CDF_get_var("d")), 6.0);
        char str[4];
        ASSERT_EQ(CDF_set_pos(1, 1), 0);
        EXPECT_EQ(CDF_get_str(CDF_get_var("s"), 3, str), 1);
        EXPECT_STREQ(str, "xyz");
        char title[4];
        EXPECT_EQ(CDF_get_glob_att("title", title), 0);
        EXPECT_STREQ(title, "t");
        EXPECT_EQ(CDF_close(), 0);
    }
}

TEST_F(Cdf, PositionsAreChecked)
{
    EXPECT_EQ(CDF_set_pos(11, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0), -1);
    EXPECT_EQ(CDF_set_pos(2, 1), -1);
    EXPECT_EQ(CDF_set_pos(1, -1), -1);
    EXPECT_EQ(CDF_set_range(1, 0, -2), -1);
    EXPECT_EQ(CDF_set_shape(1, -3), -1);
    EXPECT_EQ(CDF_set_pos(10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0), 0);
    EXPECT_EQ(CDF_def_var("x", CDF_FLOAT, 2, 0), -1);
    const int many[11] = {};
    EXPECT_EQ(CDF_def_var_list("x", CDF_FLOAT, 11, many), -1);
}

// The writer as the upper-air module uses it; ncdump is the independent reader.
TEST_F(Cdf, WrittenFileReadByNcdump)
{
    const std::string path = dir.file("out.nc");
    vyktest::write_file(path, "not a netCDF file");  // replaced by the create
    const int fd = CDF_open(path.c_str(), 1);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(CDF_open(path.c_str(), 3), fd);  // no such access: the current file stays
    const int rec = CDF_def_dim("rec", 0), level = CDF_def_dim("level", 4),
              slen = CDF_def_dim("slen", 8);
    ASSERT_EQ(CDF_set_shape(2, rec, slen), 0);
    const int station = CDF_def_char_var("station");
    ASSERT_EQ(CDF_set_shape(1, rec), 0);
    const int lat = CDF_def_float_var("lat"), time = CDF_def_long_var("time"),
              flag = CDF_def_short_var("flag"), qc = CDF_def_byte_var("qc"),
              kind = CDF_def_char_var("kind");
    ASSERT_EQ(CDF_set_shape(2, rec, level), 0);
    const int temp = CDF_def_float_var("temp"), qcl = CDF_def_byte_var("qcl");
    const int height = CDF_def_var("height", CDF_FLOAT, 1, level);
    for (const int v : {station, lat, time, flag, qc, kind, temp, qcl, height})
        ASSERT_GE(v, 0);
    EXPECT_EQ(CDF_put_base_att(temp, "Temperature", "K"), 0);
    EXPECT_EQ(CDF_put_base_att(lat, "Latitude", nullptr), 0);
    EXPECT_EQ(CDF_put_float_range_att(temp, 150.0f, 350.5f), 0);
    EXPECT_EQ(CDF_put_fill_att(temp), 0);
    EXPECT_EQ(CDF_put_long_range_att(time, 0, 20), 0);
    EXPECT_EQ(CDF_put_long_fill_att(time, -99), 0);
    EXPECT_EQ(CDF_put_long_range_att(flag, 1L << 40, 0), -1);  // not a 32-bit integer
    EXPECT_EQ(CDF_put_glob_att("title", "upper air"), 0);
    CDF_print_errors(0);
    EXPECT_EQ(CDF_put_base_att(99, "Nothing", "m"), -1);  // a failed write is not a success
    CDF_print_errors(1);
    EXPECT_EQ(CDF_end_def(), 0);

    const char *const names[] = {"EDZE", "", "10410ab"};
    for (int r = 0; r < 3; r++) {
        ASSERT_EQ(CDF_set_pos(1, r), 0);
        EXPECT_EQ(CDF_put_float(lat, 50.5f + r), 0);
        EXPECT_EQ(CDF_put_long(time, 1700000000L + r), 0);
        EXPECT_EQ(CDF_put_short(flag, static_cast<short>(-7 * r)), 0);
        EXPECT_EQ(CDF_put_byte(qc, static_cast<char>(-r)), 0);
        EXPECT_EQ(CDF_put_char(kind, static_cast<char>('a' + r)), 0);
        EXPECT_EQ(CDF_put_str(station, names[r]), 0);
        ASSERT_EQ(CDF_set_range(2, r, 1, 0, 4), 0);
        const float t[4] = {280.25f + r, 270, 260, -9999};
        const char q[4] = {1, static_cast<char>(r), -1, 127};
        EXPECT_EQ(CDF_put_float_array(temp, t), 0);
        EXPECT_EQ(CDF_put_byte_array(qcl, q), 0);
    }
    // Record 7: a long text, then a short one over it; the short one's NUL is stored too.
    ASSERT_EQ(CDF_set_pos(1, 7), 0);
    EXPECT_EQ(CDF_put_str(station, "ZZZZZZZ"), 0);
    EXPECT_EQ(CDF_put_str(station, "ABCDE"), 0);
    CDF_print_errors(0);
    EXPECT_EQ(CDF_put_str(station, "ABCDEFGH"), -1);  // no room for its NUL
    EXPECT_EQ(CDF_put_long(time, 1L << 33), -1);
    ASSERT_EQ(CDF_set_range(1, 0, 4), 0);
    const float h[4] = {10, 20, 30.5f, 40};
    EXPECT_EQ(CDF_put_float_array(height, h), 0);
    EXPECT_EQ(CDF_close(), 0);

    const std::string head = ncdump("-h", path);
    for (const char *line : {"\trec = UNLIMITED ; // (8 currently)\n", "\tlevel = 4 ;\n",
                             "\tchar station(rec, slen) ;\n", "\tfloat lat(rec) ;\n",
                             "\t\tlat:long_name = \"Latitude\" ;\n", "\tint time(rec) ;\n",
                             "\t\ttime:valid_range = 0, 20 ;\n", "\t\ttime:_FillValue = -99 ;\n",
                             "\tshort flag(rec) ;\n", "\tbyte qc(rec) ;\n", "\tchar kind(rec) ;\n",
                             "\tfloat temp(rec, level) ;\n",
                             "\t\ttemp:long_name = \"Temperature\" ;\n", "\t\ttemp:units = \"K\" ;\n",
                             "\t\ttemp:valid_range = 150.f, 350.5f ;\n",
                             "\t\ttemp:_FillValue = -9999.f ;\n", "\tbyte qcl(rec, level) ;\n",
                             "\tfloat height(level) ;\n", "\t\t:title = \"upper air\" ;\n"})
        EXPECT_NE(head.find(line), std::string::npos) << line << head;
    EXPECT_EQ(head.find("lat:units"), std::string::npos);
    EXPECT_EQ(head.find("flag:valid_range"), std::string::npos);

    const std::string all = ncdump("-v lat,time,flag,qc,kind,temp,qcl,height", path);
    std::string fill_bytes;
    for (int i = 0; i < 20; i++)
        fill_bytes += i ? ",-127" : "-127";
    const struct {
        const char *var;
        std::string values;
    } dumped[] = {
        {"lat", "50.5,51.5,52.5,_,_,_,_,_"},
        {"time", "1700000000,1700000001,1700000002,_,_,_,_,_"},
        {"flag", "0,-7,-14,_,_,_,_,_"},
        {"qc", "0,-1,-2,-127,-127,-127,-127,-127"},  // ncdump shows the byte fill as a number
        {"kind", "\"abc\""},
        {"temp", "280.25,270,260,_,281.25,270,260,_,282.25,270,260,_,_,_,_,_,_,_,_,_,_,_,_,_,_,_,_,"
                 "_,_,_,_,_"},
        {"qcl", "1,0,-1,127,1,1,-1,127,1,2,-1,127," + fill_bytes},
        {"height", "10,20,30.5,40"},
    };
    for (const auto &c : dumped)
        EXPECT_EQ(dumped_values(all, c.var), c.values) << c.var << "\n" << all;

    // Read back through the layer, then change a value in place.
    ASSERT_GE(CDF_open(path.c_str(), 0), 0);
    char str[9];
    const int st = CDF_get_var("station");
    for (int r = 0; r < 3; r++) {
        ASSERT_EQ(CDF_set_pos(1, r), 0);
        EXPECT_EQ(CDF_get_str(st, 8, str), 1);
        EXPECT_STREQ(str, names[r]);
    }
    ASSERT_EQ(CDF_set_pos(1, 7), 0);
    EXPECT_EQ(CDF_get_str(st, 8, str), 1);
    EXPECT_EQ(std::string(str, 8), std::string("ABCDE\0Z\0", 8));
    EXPECT_EQ(CDF_get_dim_size(-1), 8);
    EXPECT_EQ(CDF_close(), 0);
    EXPECT_EQ(CDF_close(), -1);  // nothing current any more

    ASSERT_GE(CDF_open(path.c_str(), 2), 0);
    ASSERT_EQ(CDF_set_pos(1, 1), 0);
    EXPECT_EQ(CDF_put_float(CDF_get_var("lat"), -3.25f), 0);
    EXPECT_EQ(CDF_close(), 0);
    EXPECT_EQ(dumped_values(ncdump("-v lat", path), "lat"), "50.5,-3.25,52.5,_,_,_,_,_");
}

TEST_F(Cdf, CreateReplacesAnExistingFile)
{
    const std::string path = make_nc(dir, "old", "netcdf old {\nvariables:\n\tfloat x ;\ndata:\n x = 1 ;\n}\n");
    ASSERT_GE(CDF_open(path.c_str(), 1), 0);
    EXPECT_EQ(CDF_put_glob_att("new", "yes"), 0);
    EXPECT_EQ(CDF_close(), 0);
    const std::string head = ncdump("-h", path);
    EXPECT_EQ(head.find("float x"), std::string::npos) << head;
    EXPECT_NE(head.find(":new = \"yes\" ;"), std::string::npos) << head;
}

// Outputs: a name that is not a regular file is never created over (the library would remove it
// when the creation fails); a writer that failed leaves no file, but only the file it made goes.
TEST_F(Cdf, OutputsRefuseOtherFilesAndLeaveNoFailedOne)
{
    const std::string device = dir.file("device"), fifo = dir.file("fifo"), sub = dir.file("sub");
    const bool have_device = mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 7)) == 0;
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(mkdir(sub.c_str(), 0700), 0);
    for (const std::string &name : {device, fifo, sub}) {
        if (name == device && !have_device) continue;
        SCOPED_TRACE(name);
        struct stat before, after;
        ASSERT_EQ(stat(name.c_str(), &before), 0);
        const std::string err = vyktest::stderr_of([&] {
            EXPECT_EQ(CDF_create_output(name.c_str()), -1);
            EXPECT_EQ(CDF_open(name.c_str(), 1), -1);
        });
        EXPECT_NE(err.find("not a regular file, left as it is: " + name), std::string::npos) << err;
        ASSERT_EQ(stat(name.c_str(), &after), 0);
        EXPECT_EQ(after.st_mode, before.st_mode);
        EXPECT_EQ(after.st_rdev, before.st_rdev);
    }

    // Closed whole: kept.  Closed after the writer failed: removed.
    const std::string kept = dir.file("kept.nc"), failed = dir.file("failed.nc");
    const int k = CDF_create_output(kept.c_str()), f = CDF_create_output(failed.c_str());
    ASSERT_GE(k, 0);
    ASSERT_GE(f, 0);
    EXPECT_EQ(CDF_close_output(k, 0), 0);
    EXPECT_EQ(CDF_close_output(f, 1), -1);
    EXPECT_NE(ncdump("-h", kept).find("netcdf kept"), std::string::npos);
    EXPECT_NE(access(failed.c_str(), F_OK), 0);

    // A file put under the name meanwhile is not the output's: it stays.
    const std::string moved = dir.file("moved.nc"), other = dir.file("other");
    const int m = CDF_create_output(moved.c_str());
    ASSERT_GE(m, 0);
    vyktest::write_file(other, "someone else's");
    ASSERT_EQ(rename(other.c_str(), moved.c_str()), 0);
    EXPECT_EQ(CDF_close_output(m, 1), -1);
    EXPECT_EQ(vyktest::read_file(moved), "someone else's");
}

// A FIFO or a directory is no file to read or write in place: refused with a message naming
// it, never waited on (the alarm ends a wait as a failure).
TEST_F(Cdf, InputsThatAreNotRegularFilesAreRefused)
{
    const std::string fifo = dir.file("fifo"), sub = dir.file("sub");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(mkdir(sub.c_str(), 0700), 0);
    alarm(60);
    for (const std::string &name : {fifo, sub})
        for (int access : {0, 2}) {
            SCOPED_TRACE(name + " " + std::to_string(access));
            const std::string err =
                vyktest::stderr_of([&] { EXPECT_EQ(CDF_open(name.c_str(), access), -1); });
            EXPECT_EQ(err, "CDF_open: not a regular file, not read: " + name + "\n");
        }
    alarm(0);
}

// Two files open at once, each selected before its access.
TEST_F(Cdf, SelectsTheCurrentFile)
{
    const std::string a = make_nc(dir, "a", "netcdf a {\nvariables:\n\tfloat x ;\ndata:\n x = 1 ;\n}\n");
    const std::string b = make_nc(dir, "b", "netcdf b {\nvariables:\n\tfloat x ;\ndata:\n x = 2 ;\n}\n");
    const int fa = CDF_open(a.c_str(), 0), fb = CDF_open(b.c_str(), 0);
    ASSERT_GE(fa, 0);
    ASSERT_GE(fb, 0);
    CDF_set_pos(0);
    for (const int fd : {fa, fb, fa}) {
        EXPECT_EQ(CDF_set_fd(fd), 0);
        EXPECT_EQ(CDF_get_float(CDF_get_var("x")), fd == fa ? 1.0f : 2.0f);
    }
    CDF_close();
    CDF_set_fd(fb);
    CDF_close();
}

// Truncated and damaged files: the open fails or the reads give their failure values; nothing
// crashes or reads beyond the caller's buffers (the sanitizers watch).
TEST_F(Cdf, DamagedFilesDoNotCrash)
{
    const std::string good = vyktest::read_file(make_nc(dir, "prof", profile_cdl()));
    ASSERT_GT(good.size(), 2000u);
    const size_t header = good.find("wind profiles");  // inside the header
    // The variable list (eight variables) and the first variable, temp(rec, level).
    const size_t vars = good.find(std::string("\0\0\0\x0b\0\0\0\x08", 8));
    ASSERT_NE(vars, std::string::npos);
    const size_t temp_dims = vars + 16;
    ASSERT_EQ(good.substr(temp_dims - 4, 4), "temp");
    const std::string huge("\x7f\xff\xff\xff", 4);
    auto patched = [&](size_t at, const std::string &bytes) {
        std::string s = good;
        s.replace(at, bytes.size(), bytes);
        return s;
    };
    const struct {
        const char *what;
        std::string content;
        bool must_fail;  // the open must fail; otherwise the reads must stay safe
    } cases[] = {
        {"empty", "", true},
        {"magic only", good.substr(0, 4), true},
        {"cut in the header", good.substr(0, header), true},
        {"cut in the data", good.substr(0, good.size() - 100), false},
        {"cut after the header", good.substr(0, 4000), false},
        {"text", "hello, this is no netCDF file at all\n", true},
        {"huge record count", patched(4, std::string("\x7f\xff\xff\xff", 4)), false},
        {"attribute longer than the file", patched(header - 4, std::string("\x00\x10\x00\x00", 4)), true},
        {"garbage header", patched(8, std::string(200, '\xa5')), false},
        // Header counts that the library would allocate by before noticing the file's end.
        {"variable count beyond the file", patched(vars + 4, std::string("\x84\0\0\0", 4)), true},
        {"attribute count beyond the file", patched(header - 24, huge), true},
        {"dimension count beyond the file", patched(12, huge), true},
        {"variable dimensions beyond the format", patched(temp_dims, huge), true},
        {"dimension id outside the list", patched(temp_dims + 8, std::string("\0\0\0\x63", 4)), true},
        {"name longer than allowed", patched(16, std::string("\0\0\x10\0", 4)), true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = dir.file("bad.nc");
        vyktest::write_file(path, c.content);
        CDF_print_errors(0);
        const int fd = CDF_open(path.c_str(), 0);
        if (fd < 0) {
            EXPECT_EQ(fd, -1);
            continue;
        }
        EXPECT_FALSE(c.must_fail) << "opened";
        const int temp = CDF_get_var("temp"), name = CDF_get_var("name");
        float f[RECS * LEVELS];
        char s[SLEN + 1] = "old", t[16];
        const int nrec = CDF_get_dim_size(-1);
        EXPECT_GE(nrec, -1);
        ASSERT_EQ(CDF_set_range(2, RECS - 1, 1, 0, LEVELS), 0);
        const int r = CDF_get_float_array(temp, f);
        EXPECT_TRUE(r == 0 || (r == -1 && f[0] == -9999.0f));
        ASSERT_EQ(CDF_set_pos(1, RECS - 1), 0);
        if (CDF_get_str(name, SLEN, s) == 0) {
            EXPECT_STREQ(s, "");
        }
        EXPECT_LT(strlen(s), sizeof s);
        if (CDF_get_glob_att("title", t) == 0) {
            EXPECT_LT(strlen(t), sizeof t);
        }
        CDF_close();
    }
}

// A reader that has the file open already hands its descriptor over: the layer reads the file
// through it alone (here the name no longer leads to the file), a damaged header is refused
// the same way, and a file larger than the layer reads whole is read by name.
TEST_F(Cdf, OpensThroughTheCallersDescriptor)
{
    const std::string good = vyktest::read_file(make_nc(dir, "prof", profile_cdl()));
    const std::string big_cdl = "netcdf big {\ndimensions:\n\tn = 5000000 ;\n"
                                "variables:\n\tfloat fill(n) ;\n\tfloat x ;\ndata:\n x = 7.5 ;\n}\n";
    const std::string big = make_nc(dir, "big", big_cdl);
    struct stat sb {};
    ASSERT_EQ(stat(big.c_str(), &sb), 0);
    ASSERT_GT(sb.st_size, 16 << 20);

    path = dir.file("gone.nc");
    vyktest::write_file(path, good);
    int fd = open(path.c_str(), O_RDONLY);
    ASSERT_NE(fd, -1);
    ASSERT_EQ(unlink(path.c_str()), 0);
    ASSERT_GE(CDF_open_fd(path.c_str(), fd), 0);
    close(fd);
    const int temp = CDF_get_var("temp"), name = CDF_get_var("name");
    ASSERT_EQ(CDF_set_pos(2, RECS - 1, LEVELS - 1), 0);
    EXPECT_EQ(CDF_get_float(temp), temp_at(RECS - 1, LEVELS - 1));
    char s[SLEN + 1];
    ASSERT_EQ(CDF_set_pos(1, 2), 0);
    ASSERT_EQ(CDF_get_str(name, SLEN, s), 1);
    EXPECT_STREQ(s, NAMES[2]);
    EXPECT_EQ(CDF_close(), 0);

    // Damaged: the header's variable list cut off.
    path = dir.file("damaged.nc");
    vyktest::write_file(path, good.substr(0, 40));
    fd = open(path.c_str(), O_RDONLY);
    ASSERT_NE(fd, -1);
    CDF_print_errors(1);
    vyktest::CaptureStdio cap;
    EXPECT_EQ(CDF_open_fd(path.c_str(), fd), -1);
    cap.finish();
    close(fd);
    EXPECT_NE((cap.out() + cap.err()).find("damaged netCDF header"), std::string::npos)
        << cap.out() << cap.err();

    ASSERT_GE(CDF_open(big.c_str(), 0), 0);
    EXPECT_EQ(CDF_get_float(CDF_get_var("x")), 7.5f);
    EXPECT_EQ(CDF_close(), 0);
}

TEST_F(Cdf, ReadsPastTheEndOfAFileCutShortFail)
{
    // The last 100 bytes are gone: the end of the last record's temp and everything after it
    // in that record.  Reads that need them fail with a message and the missing value; reads
    // of what the file still holds succeed.
    const std::string good = vyktest::read_file(make_nc(dir, "prof", profile_cdl()));
    path = dir.file("cut.nc");
    vyktest::write_file(path, good.substr(0, good.size() - 100));
    ASSERT_GE(CDF_open(path.c_str(), 0), 0);
    const int temp = CDF_get_var("temp"), press = CDF_get_var("press"),
              name = CDF_get_var("name"), count = CDF_get_var("count");
    float f[LEVELS];
    char s[SLEN + 1];
    ASSERT_EQ(CDF_set_range(2, RECS - 2, 1, 0, LEVELS), 0);
    ASSERT_EQ(CDF_get_float_array(temp, f), 0);
    EXPECT_EQ(f[LEVELS - 1], temp_at(RECS - 2, LEVELS - 1));
    ASSERT_EQ(CDF_set_range(2, RECS - 1, 1, 0, 10), 0);
    ASSERT_EQ(CDF_get_float_array(temp, f), 0);  // the first levels are still there
    EXPECT_EQ(f[9], temp_at(RECS - 1, 9));

    vyktest::CaptureStdio cap;
    ASSERT_EQ(CDF_set_range(2, RECS - 1, 1, 0, LEVELS), 0);
    EXPECT_EQ(CDF_get_float_array(temp, f), -1);
    EXPECT_EQ(f[0], -9999.0f);
    EXPECT_EQ(f[LEVELS - 1], -9999.0f);
    ASSERT_EQ(CDF_set_pos(1, RECS - 1), 0);
    EXPECT_EQ(CDF_get_double(press), -9999.0);
    EXPECT_EQ(CDF_get_long(count), -9999);
    EXPECT_EQ(CDF_get_number(press), -9999.0);
    double d[1];
    ASSERT_EQ(CDF_set_range(1, RECS - 1, 1), 0);
    EXPECT_EQ(CDF_get_number_array(press, d), -1);
    EXPECT_EQ(d[0], -9999.0);
    ASSERT_EQ(CDF_set_pos(1, RECS - 1), 0);
    std::strcpy(s, "old");
    EXPECT_EQ(CDF_get_str(name, SLEN, s), 0);
    EXPECT_STREQ(s, "");
    cap.finish();
    EXPECT_NE(cap.err().find("CDF_get_float_array: variable 0 lies past the end of the file"),
              std::string::npos)
        << cap.err();

    // The record before is whole.
    ASSERT_EQ(CDF_set_pos(1, RECS - 2), 0);
    EXPECT_EQ(CDF_get_double(press), press_at(RECS - 2));
    EXPECT_EQ(CDF_get_str(name, SLEN, s), 1);
    EXPECT_STREQ(s, NAMES[RECS - 2]);
}
