// File-name conventions: selecting a convention, building names from templates (checked against
// GNU date), the period, the forced date, keys, header names, offsets, the save slot, listing
// candidate files in-process, and names that would be too long.
#include "date_util.h"
#include "test_util.h"
#include "vyk.h"
#include "vykresrc.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstring>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

using vyktest::CaptureStdio;
using vyktest::make_date;
using vyktest::quote;
using vyktest::run;
using vyktest::TempDir;
using vyktest::write_file;

namespace {

constexpr int MISS = VYK_MISS;

/// A forced date with only the given fields forced.
Date forced(int day = MISS, int hour = MISS, int min = MISS, int year = MISS, int month = MISS)
{
    return make_date(year, month, day, hour, min);
}

/// The name that template builds for date.
std::string build(const std::string &tmpl, const Date &date, int *result = nullptr)
{
    EXPECT_EQ(FILE_set_name(("@" + tmpl).c_str()), 1);
    char out[FILE_NAME_MAX + 1] = "";
    const int r = FILE_set_date(&date, out);
    if (result)
        *result = r;
    return out;
}

/// Works in dir for the life of the object.
class InDir {
public:
    explicit InDir(const std::string &dir)
    {
        char buf[4096];
        saved_ = getcwd(buf, sizeof buf) ? buf : "/";
        EXPECT_EQ(chdir(dir.c_str()), 0);
    }
    ~InDir() { EXPECT_EQ(chdir(saved_.c_str()), 0); }

private:
    std::string saved_;
};

int64_t floor_div(int64_t a, int64_t b)
{
    int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

}  // namespace

// The edge cases of the template language, the forced date and the period, as one table.
TEST(FileName, TemplatesForcedDatesAndPeriods)
{
    struct Case {
        const char *tmpl;
        Date set;
        Date date;
        const char *name;
        int period;
    };
    const Date none = forced();
    const Date d0705 = make_date(2024, 3, 5, 7, 44);
    const Case cases[] = {
        {"%Y%m%d%h", none, make_date(2024, 3, 5, 7, 0), "2024030507", 3600},
        {"%Y%m%d_%3h", none, d0705, "20240305_06", 10800},
        {"%Y%m%d", none, d0705, "20240305", 86400},
        {"%Y%m", none, d0705, "202403", MISS},
        {"my file%h", none, d0705, "my_file07", 3600},
        {"%h", forced(MISS, -306), make_date(2024, 3, 5, 13, 0), "15", 21600},
        {"%h", forced(MISS, -306), make_date(2024, 3, 5, 11, 0), "09", 21600},
        {"%h", forced(MISS, -6), make_date(2024, 3, 5, 11, 0), "06", 21600},
        {"%h", forced(MISS, 12), d0705, "12", 3600},
        {"%Y%m%d%h", forced(MISS, 12), make_date(1999, 12, 31, 23, 0), "1999123112", 3600},
        {"%h%n", forced(MISS, MISS, -15), d0705, "0730", 900},
        {"%h%n", forced(MISS, MISS, 30), d0705, "0730", 60},
        {"%h%15n", none, d0705, "0730", 900},
        {"%d%h", forced(-2), d0705, "0407", 3600},
        {"%d%3h", forced(-2), d0705, "0406", 10800},
        {"%h%d", forced(-2), d0705, "0704", 172800},
        {"%d", forced(17), d0705, "17", 86400},
        {"%Y%m", forced(MISS, MISS, MISS, 2001, 7), d0705, "200107", MISS},
        {"%y%m", none, make_date(1987, 11, 1, 0, 0), "8711", MISS},
        {"%3y", none, make_date(2024, 3, 5, 0, 0), "24", MISS},
        {"%b", none, d0705, "mar", MISS},
        {"%b", none, make_date(2024, MISS, 5, 7, 0), "xxx", MISS},
        {"%Y-%m-%d", none, make_date(2024, MISS, MISS, 7, 0), "2024-00-00", 86400},
        {"%Y%h", none, make_date(MISS, 3, 5, 7, 0), "000007", 3600},
        {"%j", none, d0705, "065", 86400},
        {"%j", none, make_date(2023, 12, 31, 0, 0), "365", 86400},
        {"%2d", none, d0705, "04", 172800},
        {"%%%h{lit}", none, d0705, "%07lit", 3600},
        {"a}b{c", none, d0705, "abc", MISS},
        {"x%", none, d0705, "x%", MISS},
        {"x%12", none, d0705, "x%12", MISS},
        {"x%{data%h", none, d0705, "x%data07", 3600},  // no closing brace: '%' stays
        {"%{no_such_res}/f", none, d0705, "/f", MISS},
        {"%D/f%e", none, d0705, "./f", MISS},
        {"%x.%l", none, d0705, "0.0", MISS},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.tmpl);
        FILE_set_time(&c.set);
        EXPECT_EQ(build(c.tmpl, c.date), c.name);
        EXPECT_EQ(FILE_get_late_off(), c.period);
        char cur[FILE_NAME_MAX + 1];
        FILE_get_filename(cur);
        EXPECT_STREQ(cur, c.name);
    }
}

// Date fields written for a date go back into the file date; missing forms store -9999.
TEST(FileName, FileDateFollowsTheNameBuilt)
{
    Date f;
    build("%Y%m%d%3h%n", make_date(2024, 3, 5, 7, 44), nullptr);
    FILE_get_file_date(&f);
    EXPECT_EQ(f.year, 2024);
    EXPECT_EQ(f.month, 3);
    EXPECT_EQ(f.day, 5);
    EXPECT_EQ(f.hour, 6);
    EXPECT_EQ(f.min, 44);

    build("%y%j", make_date(1999, 2, 1, 7, 44), nullptr);
    FILE_get_file_date(&f);
    EXPECT_EQ(f.year, 1999);
    EXPECT_EQ(f.month, 2);
    EXPECT_EQ(f.day, 1);
    EXPECT_EQ(f.jday, 32);
    EXPECT_EQ(f.hour, MISS);  // not in the template: emptied

    build("%Y%m", make_date(MISS, MISS, 5, 7, 0), nullptr);
    FILE_get_file_date(&f);
    EXPECT_EQ(f.year, MISS);
    EXPECT_EQ(f.month, MISS);

    // NULL builds the name for the file date itself.
    const Date start = make_date(2024, 1, 2, 3, 0);
    build("%Y%m%d%h", start, nullptr);
    char out[FILE_NAME_MAX + 1];
    EXPECT_EQ(FILE_set_date(nullptr, out), 0);
    EXPECT_STREQ(out, "2024010203");
}

// Names from templates with steps against GNU date over many instants of 1901..2099: the
// rounded instant (floor of the seconds to the step) formatted by date is the expected name.
// One run of date for all.
TEST(FileName, AgreesWithGnuDate)
{
    struct Form {
        const char *tmpl;
        int step_secs;  // the step as seconds, dividing a day
        int period;
    };
    const Form forms[] = {
        {"%Y%m%d%h", 3600, 3600},           {"%Y%m%d_%2h", 7200, 7200},
        {"%Y%m%d_%3h", 10800, 10800},       {"%Y%m%d%6h", 21600, 21600},
        {"d/%y%b%d.%12h", 43200, 43200},    {"%Y%j%h%n", 60, 60},
        {"%Y%m%d%h%5n", 300, 300},          {"%Y%m%d%h%15n.x", 900, 900},
        {"%y%m%d%h%30n", 1800, 1800},       {"%Y%m%d", 86400, 86400},
    };
    // The fields of date's output and the template item each one stands for.
    const char *date_format = "+%Y %y %m %b %d %j %H %M";

    std::vector<int64_t> instants;
    uint32_t r = 2024;
    for (int y = 1901; y <= 2099; y += 3) {
        for (int k = 0; k < 3; k++) {
            r = r * 1103515245u + 12345u;
            const int64_t year_start = (int64_t{y} - 1970) * 31556952;  // about a year
            instants.push_back(year_start + static_cast<int64_t>((r >> 4) % 31536000u));
        }
    }
    instants.push_back(0);
    instants.push_back(-1);
    instants.push_back(951782400 + 86399);  // 2000-02-29 23:59:59
    instants.push_back(2147483647);

    TempDir dir;
    std::string lines;
    for (int64_t t : instants)
        for (const Form &f : forms)
            lines += "@" + std::to_string(floor_div(t, f.step_secs) * f.step_secs) + "\n";
    for (int64_t t : instants)
        lines += "@" + std::to_string(t) + "\n";
    write_file(dir.file("instants"), lines);
    vyktest::RunResult res = run("LC_ALL=C date -u -f " + quote(dir.file("instants")) + " " +
                                 quote(date_format));
    ASSERT_EQ(res.status, 0) << res.err;

    struct Fields {
        std::string Y, y, m, b, d, j, H, M;
    };
    std::istringstream in(res.out);
    auto read_fields = [&in]() {
        Fields f;
        EXPECT_TRUE(in >> f.Y >> f.y >> f.m >> f.b >> f.d >> f.j >> f.H >> f.M);
        for (char &c : f.b)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return f;
    };
    std::vector<std::vector<Fields>> rounded;
    for (size_t i = 0; i < instants.size(); i++) {
        rounded.emplace_back();
        for (size_t k = 0; k < std::size(forms); k++)
            rounded.back().push_back(read_fields());
    }
    std::vector<Fields> exact;
    for (size_t i = 0; i < instants.size(); i++)
        exact.push_back(read_fields());

    for (size_t i = 0; i < instants.size(); i++) {
        const Fields &e = exact[i];
        const Date date = make_date(std::stoi(e.Y), std::stoi(e.m), std::stoi(e.d),
                                    std::stoi(e.H), std::stoi(e.M));
        for (size_t k = 0; k < std::size(forms); k++) {
            const Fields &w = rounded[i][k];
            // The expected name: each directive replaced by date's field of the rounded
            // instant, the rest copied.
            std::string expect;
            const std::string t = forms[k].tmpl;
            for (size_t p = 0; p < t.size(); p++) {
                if (t[p] != '%') {
                    expect += t[p];
                    continue;
                }
                while (std::isdigit(static_cast<unsigned char>(t[++p]))) {
                }
                switch (t[p]) {
                case 'Y': expect += w.Y; break;
                case 'y': expect += w.y; break;
                case 'm': expect += w.m; break;
                case 'b': expect += w.b; break;
                case 'd': expect += w.d; break;
                case 'j': expect += w.j; break;
                case 'h': expect += w.H; break;
                case 'n': expect += w.M; break;
                }
            }
            SCOPED_TRACE(testing::Message() << forms[k].tmpl << " at @" << instants[i]);
            EXPECT_EQ(build(forms[k].tmpl, date), expect);
            EXPECT_EQ(FILE_get_late_off(), forms[k].period);
        }
    }
}

// A step of 0 in a directive or in a forced step code means no step, with a warning, instead
// of a division by zero.
TEST(FileName, StepZeroIsNoStepWithAWarning)
{
    const Date d = make_date(2024, 3, 5, 7, 44);
    struct Case {
        const char *tmpl;
        Date set;
        const char *name;
        int period;
        const char *warning;
    };
    const Case cases[] = {
        {"%0h", forced(), "07", 3600, "%0h: a step or width of 0 is taken as none"},
        {"%h%0n", forced(), "0744", 60, "%0n: a step or width of 0 is taken as none"},
        {"%0x", forced(), "0", MISS, "%0x: a step or width of 0 is taken as none"},
        {"%h", forced(MISS, -300), "07", 3600, "Forced hour step 0 means no step"},
        {"%2h", forced(MISS, -100), "06", 7200, "Forced hour step 0 means no step"},
        {"%n", forced(MISS, MISS, -1500), "44", 60, "Forced minute step 0 means no step"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.tmpl);
        FILE_set_time(&c.set);
        CaptureStdio cap;
        const std::string name = build(c.tmpl, d);
        cap.finish();
        EXPECT_EQ(name, c.name);
        EXPECT_EQ(FILE_get_late_off(), c.period);
        EXPECT_NE(cap.err().find(c.warning), std::string::npos) << cap.err();
    }
    // The period rule alone treats a step of 0 as 1.
    FILE_set_late_off(MISS);
    EXPECT_EQ(FILE_period_rule('h', 0), 3600);
}

// Keys: blanks become '_', at most 29 characters, width, and every byte value a key of its own
// (bytes of 128 and more included, whether passed as char or as unsigned value).
TEST(FileName, Keys)
{
    FILE_set_name("none");  // the first selection empties the keys
    FILE_set_key('x', "eta model");
    char out[FILE_KEY_MAX + 1];
    FILE_get_key('x', out);
    EXPECT_STREQ(out, "eta_model");
    const Date d = make_date(2024, 3, 5, 7, 0);
    EXPECT_EQ(build("%x_%3x_%h", d), "eta_model_eta_07");
    EXPECT_EQ(build("%20x", d), "eta_model");  // shorter than the width: the whole key

    FILE_set_key('v', std::string(40, 'v').c_str());
    FILE_get_key('v', out);
    EXPECT_EQ(std::string(out), std::string(29, 'v'));

    const char high = static_cast<char>(0xE9);
    FILE_set_key(high, "accent");
    FILE_get_key(0xE9, out);
    EXPECT_STREQ(out, "accent");
    FILE_set_key(0xFF, "top");
    FILE_get_key(static_cast<char>(0xFF), out);
    EXPECT_STREQ(out, "top");
    FILE_get_key(0x7F, out);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(build(std::string("%") + high + "-%\xFF", d), "accent-top");

    FILE_set_key('x', nullptr);
    FILE_get_key('x', out);
    EXPECT_STREQ(out, "");
}

// Keys often come from data files: one that could take the name into another directory is
// refused with a warning and no name is built; keys that only look alike are written.
TEST(FileName, KeysThatLeaveTheDirectoryAreRefused)
{
    const Date d = make_date(2024, 3, 5, 7, 0);
    struct Case {
        const char *key;
        const char *tmpl;
        const char *name;  // nullptr: refused
    };
    const Case cases[] = {
        {"../../etc/passwd", "data/%s_%h", nullptr},
        {"a/b", "data/%s_%h", nullptr},
        {"/abs", "%s", nullptr},
        {".", "data/%s/%h", nullptr},
        {"..", "data/%s/%h", nullptr},
        {"..x", "data/%2s/%h", nullptr},  // the width leaves ".."
        {"x/..", "data/%1s/%h", "data/x/07"},  // the width leaves "x"
        {"...", "data/%s/%h", "data/.../07"},
        {"a.b", "data/%s.%h", "data/a.b.07"},
        {".hidden", "data/%s", "data/.hidden"},
        {"", "data/%s/%h", "data/0/07"},
    };
    FILE_set_name("none");
    for (const Case &c : cases) {
        SCOPED_TRACE(c.key);
        FILE_set_key('s', c.key);
        CaptureStdio cap;
        int result = 0;
        const std::string name = build(c.tmpl, d, &result);
        cap.finish();
        if (c.name) {
            EXPECT_EQ(name, c.name);
            EXPECT_EQ(result, 0);
            EXPECT_EQ(cap.err(), "");
        } else {
            EXPECT_EQ(name, FILE_NAME_TOO_LONG);
            EXPECT_EQ(result, -1);
            EXPECT_EQ(cap.err(), std::string("FILE_set_date: key s refused in a file name: ") +
                                     c.key + "\n");
        }
    }
}

// Selecting conventions from a convention file found on file_path.
TEST(FileName, SelectsConventionsFromTheFile)
{
    TempDir dir;
    write_file(dir.file("conv"),
               "# comment grd nothing\n"
               "\n"
               // Lines longer than 160 characters are left out whole: read in pieces, their
               // second pieces would be lines of their own.
               "#" + std::string(159, 'c') + "prf_dat x y\n"
               "bad" + std::string(157, ' ') + "prf_dat nope -\n"
               "grib %D/%Y%m%d%h.grb %D/%Y%m%d%h.idx 1000\n"
               "grib_eta never -\n"
               "GRD %Y%m%d%h_%x_%l.grd - -5\n"
               "upa\t%Y%m%d.upa\t-\t200\n");
    RES_put("file_path", dir.path().c_str());
    RES_put("name_conv", "conv");

    struct Case {
        const char *type;
        int result;
        const char *conv, *hconv, *ext;
        int min_size;
    };
    const Case cases[] = {
        {"grib_eta", 1, "%D/%Y%m%d%h.grb", "%D/%Y%m%d%h.idx", "eta", 1000},
        {"GRIB", 1, "%D/%Y%m%d%h.grb", "%D/%Y%m%d%h.idx", "", 1000},
        {"gribx", 1, "%D/%Y%m%d%h.grb", "%D/%Y%m%d%h.idx", "", 1000},
        {"grd:x=eta:l=500", 1, "%Y%m%d%h_%x_%l.grd", "", "", 0},
        {"upa", 1, "%Y%m%d.upa", "", "", 200},
        {"prf_dat", 0, "prf_dat", "", "", 0},  // only in a comment and a long line
        {"grid_eta", 0, "grid_eta", "", "", 0},
        {"x:y", 0, "x:y", "", "", 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.type);
        CaptureStdio cap;
        EXPECT_EQ(FILE_set_name(c.type), c.result);
        cap.finish();
        EXPECT_STREQ(FILE_get_conv(), c.conv);
        EXPECT_STREQ(FILE_get_hconv(), c.hconv);
        EXPECT_STREQ(FILE_get_ext(), c.ext);
        EXPECT_EQ(FILE_get_min_size(), c.min_size);
    }
    char key[FILE_KEY_MAX + 1];
    FILE_get_key('x', key);
    EXPECT_STREQ(key, "eta");
    FILE_get_key('l', key);
    EXPECT_STREQ(key, "500");
    EXPECT_EQ(build("%Y%m%d%h_%x_%l.grd", make_date(2024, 1, 1, 0, 0)), "2024010100_eta_500.grd");

    // "none" empties the template; '@' takes the rest and keeps the rest of the state.
    FILE_set_name("grib_eta");
    EXPECT_EQ(FILE_set_name("NONE"), 0);
    EXPECT_STREQ(FILE_get_conv(), "");
    EXPECT_EQ(FILE_set_name("@%h.x"), 1);
    EXPECT_STREQ(FILE_get_conv(), "%h.x");
    EXPECT_STREQ(FILE_get_hconv(), "%D/%Y%m%d%h.idx");
    EXPECT_STREQ(FILE_get_ext(), "eta");

    // The caller minimum wins when set; a negative one counts as none.
    FILE_set_name("grib");
    FILE_set_min_size(5000);
    EXPECT_EQ(FILE_get_min_size(), 5000);
    FILE_set_min_size(-3);
    EXPECT_EQ(FILE_get_min_size(), 1000);
}

// Without a convention file the type is the template, with a warning.
TEST(FileName, MissingConventionFile)
{
    TempDir dir;
    RES_put("file_path", dir.path().c_str());
    CaptureStdio cap;
    EXPECT_EQ(FILE_set_name("%Y%h.dat"), 0);
    cap.finish();
    EXPECT_NE(cap.err().find("FILE_set_name: No file name convention file: " + dir.path() +
                             "/name_conv\n"),
              std::string::npos)
        << cap.err();
    EXPECT_STREQ(FILE_get_conv(), "%Y%h.dat");
    char out[FILE_NAME_MAX + 1];
    const Date d = make_date(2024, 3, 5, 7, 0);
    EXPECT_EQ(FILE_set_date(&d, out), 0);
    EXPECT_STREQ(out, "202407.dat");

    // The standard input is never read as the convention file.
    RES_put("name_conv", "-");
    CaptureStdio cap2;
    EXPECT_EQ(FILE_set_name("x"), 0);
    cap2.finish();
    EXPECT_NE(cap2.err().find("No file name convention file"), std::string::npos);
}

// The conventions shipped in etc/, found through file_path.
TEST(FileName, ShippedConventions)
{
    RES_put("file_path", VYK_SOURCE_DIR "/etc");
    RES_put("data_path", "/data/prf");
    RES_put("image_path", "/img");
    EXPECT_EQ(FILE_set_name("prf_dat"), 1);
    const Date d = make_date(2024, 1, 1, 12, 30);
    char out[FILE_NAME_MAX + 1];
    EXPECT_EQ(FILE_set_date(&d, out), 0);
    EXPECT_STREQ(out, "/data/prf/2024010112.prf");
    EXPECT_EQ(FILE_get_late_off(), 3600);
    EXPECT_EQ(FILE_get_min_size(), 0);

    for (const char *kind : {"gif", "png", "xwd"}) {
        SCOPED_TRACE(kind);
        EXPECT_EQ(FILE_set_name((std::string("vyk.") + kind).c_str()), 1);
        FILE_set_key('i', "03");
        EXPECT_EQ(FILE_set_date(&d, out), 0);
        EXPECT_EQ(std::string(out), std::string("vyk_03.") + kind);
        FILE_set_key('i', "win");
        EXPECT_EQ(FILE_set_date(&d, out), 0);
        EXPECT_EQ(std::string(out), std::string("vyk_win.") + kind);
    }
}

// Names that come from elsewhere than the template, and header names.
TEST(FileName, NamesFromElsewhereAndHeaders)
{
    char out[FILE_NAME_MAX + 1];
    const Date d = make_date(2024, 3, 5, 7, 0);

    FILE_set_name("none");
    EXPECT_EQ(FILE_set_date(&d, out), 1);
    EXPECT_STREQ(out, "filename");
    EXPECT_EQ(FILE_get_filename_type(), 1);
    FILE_set_filename("given.dat");
    EXPECT_EQ(FILE_set_date(&d, out), 1);
    EXPECT_STREQ(out, "given.dat");

    FILE_set_name("@-");
    EXPECT_EQ(FILE_set_date(&d, out), 1);
    EXPECT_STREQ(out, "-");
    EXPECT_EQ(FILE_get_filename_type(), 0);

    // A date with an unknown year keeps the current name.
    FILE_set_name("@%Y%m%d%h");
    FILE_set_filename("mine.dat");
    const Date unknown = make_date(MISS, 3, 5, 7, 0);
    EXPECT_EQ(FILE_set_date(&unknown, out), 1);
    EXPECT_STREQ(out, "mine.dat");

    // Header names use the header template; none gives an empty name and 0.
    FILE_set_name_conv("3600 %Y%m%d%h.grb %Y%m%d.idx");
    EXPECT_EQ(FILE_hdr_set_date(&d, out), 1);
    EXPECT_STREQ(out, "20240305.idx");
    EXPECT_EQ(FILE_get_header(), 0);
    EXPECT_EQ(FILE_set_date(&d, out), 0);
    EXPECT_STREQ(out, "2024030507.grb");
    std::strcpy(out, "untouched");
    EXPECT_EQ(FILE_hdr_set_date(&unknown, out), 0);
    EXPECT_STREQ(out, "untouched");
    FILE_set_name_conv("3600 %Y%m%d%h.grb");
    EXPECT_EQ(FILE_hdr_set_date(&d, out), 0);
    EXPECT_STREQ(out, "");
    EXPECT_STREQ(FILE_get_filename(nullptr), "");
}

// A user-given full path: the series continues in that directory.
TEST(FileName, ExtractedPath)
{
    RES_put("data_path", "/data/prf");
    FILE_set_name("@%D/%Y/%m%d%h.prf");
    FILE_set_filename("/other/dir/2024/0101012.prf");
    char out[FILE_NAME_MAX + 1];
    const Date d = make_date(2024, 1, 1, 13, 0);
    EXPECT_EQ(FILE_set_date(&d, out), 0);
    EXPECT_STREQ(out, "/other/dir/2024/010113.prf");
    // Built names do not move the directory.
    FILE_set_filename_type(0);
    EXPECT_EQ(FILE_set_date(&d, out), 0);
    EXPECT_STREQ(out, "/data/prf/2024/010113.prf");
}

// Offsets, the save slot and the text form of a convention.
TEST(FileName, OffsetsSaveAndRestore)
{
    FILE_set_name("@%Y%m%d%h");
    const Date d = make_date(2024, 3, 1, 1, 0);
    char out[FILE_NAME_MAX + 1];
    EXPECT_EQ(FILE_set_date_off(&d, -7200, out), -2);
    EXPECT_STREQ(out, "2024022923");
    EXPECT_EQ(FILE_set_date_off(&d, 86400 * 366, out), 8784);
    EXPECT_STREQ(out, "2025030201");
    EXPECT_EQ(FILE_get_offset(), 3600);

    FILE_set_name("@%Y%m");
    EXPECT_EQ(FILE_set_date_off(&d, 250000, out), 2);  // period unknown: div 100000
    EXPECT_EQ(FILE_get_offset(), 100000);

    char text[FILE_NAME_CONV_LEN];
    FILE_set_name_conv("10800 %Y%m%d_%3h.a %Y.h");
    FILE_get_name_conv(text);
    EXPECT_STREQ(text, "10800 %Y%m%d_%3h.a %Y.h");
    FILE_set_filename("kept.a");
    FILE_save_name_conv();
    FILE_set_name_conv("60 other");
    EXPECT_STREQ(FILE_get_hconv(), "");
    FILE_set_filename_type(0);
    FILE_set_filename("changed");
    FILE_restore_name_conv();
    FILE_get_name_conv(text);
    EXPECT_STREQ(text, "10800 %Y%m%d_%3h.a %Y.h");
    EXPECT_STREQ(FILE_get_filename(nullptr), "kept.a");
    EXPECT_EQ(FILE_get_filename_type(), 1);

    // The forced date: set, get and reset.
    Date f = forced(MISS, -306);
    f.sec = 7;
    FILE_set_time(&f);
    Date g;
    FILE_get_time(&g);
    EXPECT_EQ(g.hour, -306);
    EXPECT_EQ(g.sec, 7);
    FILE_reset_time();
    FILE_get_time(&g);
    EXPECT_EQ(g.hour, MISS);
    EXPECT_EQ(g.sec, 7);
}

// Names longer than FILE_NAME_MAX fail instead of being cut into another file's name.
TEST(FileName, TooLongNamesFail)
{
    const Date d = make_date(2024, 3, 5, 7, 0);
    CaptureStdio cap;
    FILE_set_name("none");
    FILE_set_key('x', std::string(29, 'k').c_str());
    int result = 0;
    EXPECT_EQ(build(std::string(140, 'a') + "%x", d, &result), FILE_NAME_TOO_LONG);
    EXPECT_EQ(result, -1);
    EXPECT_STREQ(FILE_get_filename(nullptr), FILE_NAME_TOO_LONG);
    EXPECT_EQ(build(std::string(149, 'a') + "%Y%m%d%h", d, &result), std::string(149, 'a') +
                                                                          "2024030507");
    EXPECT_EQ(result, 0);
    EXPECT_EQ(build(std::string(150, 'a') + "%Y%m%d%h", d, &result), FILE_NAME_TOO_LONG);
    EXPECT_EQ(result, -1);

    // Templates longer than FILE_CONV_MAX are refused whole.
    EXPECT_EQ(build(std::string(200, 'b'), d, &result), FILE_NAME_TOO_LONG);
    EXPECT_EQ(result, -1);

    // A long extension is never cut.
    FILE_set_ext(std::string(300, 'e').c_str());
    FILE_set_name("@x.%e");
    char out[FILE_NAME_MAX + 1];
    EXPECT_EQ(FILE_set_date(&d, out), -1);
    EXPECT_STREQ(out, FILE_NAME_TOO_LONG);

    FILE_set_filename(std::string(200, 'f').c_str());
    EXPECT_STREQ(FILE_get_filename(nullptr), FILE_NAME_TOO_LONG);
    cap.finish();
    EXPECT_NE(cap.err().find("FILE_set_date: File name longer than 159 characters"),
              std::string::npos);
}

// Candidate files are listed in-process, laid out as ls -x lays them out; names with blanks,
// quotes, ';' and glob characters in directories and keys are plain text, nothing is run.
TEST(FileName, ListsCandidateFilesInProcess)
{
    TempDir tmp;
    InDir in(tmp.path());
    const std::string sub = "d e'f\";g[1]";
    ASSERT_EQ(mkdir(sub.c_str(), 0755), 0);
    const char *names[] = {"2024030500.prf", "2024030501.prf", "2024030502.prf",
                           "2024030503.prf", "2024030504.prf", "2024030505.prf",
                           "2024030506.prf", "2024030507.prf", "2024030508.prf",
                           "20240305.prf",   "2024030509.dat", "x2024030510.prf",
                           "2024030511.prf; touch pwned"};
    for (const char *n : names)
        write_file(sub + "/" + n, "x");
    RES_put("data_path", sub.c_str());

    auto listing = [](const std::string &tmpl) {
        FILE_set_name(("@" + tmpl).c_str());
        CaptureStdio cap;
        EXPECT_EQ(FILE_list_file(), 0);
        cap.finish();
        return cap.out();
    };

    // The same layout as GNU ls -x over the same names (expanded here by the shell of the test).
    const std::string ours = listing("%D/%Y%m%d%h.prf");
    vyktest::RunResult ls =
        run("LC_ALL=C ls -x -w 80 -T 0 --quoting-style=literal -d -- " + quote(sub) +
            "/?[0-9]??[0-9]?[0-9]?[0-9]?.prf");
    ASSERT_EQ(ls.status, 0) << ls.err;
    EXPECT_EQ(ours, ls.out);
    EXPECT_NE(ours.find(sub + "/2024030508.prf"), std::string::npos);
    EXPECT_EQ(ours.find("20240305.prf"), std::string::npos);
    EXPECT_EQ(ours.find(".dat"), std::string::npos);

    // %e without an extension is any tail; the name with ';' is only printed.
    const std::string any = listing("%D/%Y%m%d%h%e");
    EXPECT_NE(any.find("2024030511.prf; touch pwned"), std::string::npos);
    EXPECT_NE(any.find("2024030509.dat"), std::string::npos);

    // A key's text is literal; an empty key with a width is that many characters.
    write_file(sub + "/k;$(touch${IFS}pwned)*_2024030500", "x");
    write_file(sub + "/kX_2024030500", "x");
    FILE_set_key('k', "k;$(touch${IFS}pwned)*");
    const std::string keyed = listing("%D/%k_%Y%m%d%h");
    EXPECT_NE(keyed.find("k;$(touch${IFS}pwned)*_2024030500"), std::string::npos);
    EXPECT_EQ(keyed.find("kX_"), std::string::npos);
    FILE_set_key('k', "");
    EXPECT_NE(listing("%D/%2k_%Y%m%d%h").find("kX_2024030500"), std::string::npos);

    // Nothing matching: a warning, no listing.
    FILE_set_name("@%D/%Y.none");
    CaptureStdio cap;
    FILE_list_file();
    cap.finish();
    EXPECT_EQ(cap.out(), "");
    EXPECT_NE(cap.err().find("FILE_list_file: No files match"), std::string::npos);

    struct stat st;
    EXPECT_NE(stat("pwned", &st), 0);
    EXPECT_NE(stat((sub + "/pwned").c_str(), &st), 0);
}
