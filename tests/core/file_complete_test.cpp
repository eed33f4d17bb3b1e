// Completing typed file names against the current naming convention.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "test_util.h"
#include "vyk.h"
#include "vykresrc.h"

using vyktest::TempDir;

namespace {

// A naming-convention file in dir with the profiler convention and a few others, selected
// through the `file_path` resource.
void write_conventions(const TempDir &dir)
{
    vyktest::write_file(dir.file("name_conv"),
                        "# type template header minimum\n"
                        "prf_dat %D/%Y%m%d%h.prf - 0\n"
                        "prf_lit %D/prf%Y%m%d%h - 0\n"
                        "grb_ext %Y%m%d%h.%e - 0\n"
                        "grb_mid %Y%m%d%h_%e.grb - 0\n"
                        "key_dat %x_%Y%m%d%h - 0\n"
                        "jul_dat %y%j%h - 0\n"
                        "mon_dat %d%b%Y - 0\n"
                        "blk_dat {raw_}%Y%m%d - 0\n"
                        "ast_dat %D/%Y%m%d* - 0\n"
                        "3hr_dat %Y%m%d_%3h - 0\n");
    RES_put("file_path", dir.path().c_str());
}

struct Completed {
    int status;
    std::string name;
    Date date;
};

Completed complete(const char *text)
{
    char out[FILE_NAME_MAX + 1];
    std::memset(out, 'x', sizeof out);
    Completed c;
    c.status = FILE_set_file(text, out);
    c.name = out;
    FILE_get_file_date(&c.date);
    return c;
}

}  // namespace

// The worked examples: a bare date, a full path, a date the template cannot finish.
TEST(FileComplete, WorkedExamples)
{
    TempDir dir;
    write_conventions(dir);
    RES_put("data_path", "/data/prf");
    ASSERT_EQ(FILE_set_name("prf_dat"), 1);

    struct Case {
        const char *text;
        const char *name;
        int year, month, day, hour;
    } cases[] = {
        {"2024010112", "/data/prf/2024010112.prf", 2024, 1, 1, 12},
        {"/other/2024010112.prf", "/other/2024010112.prf", 2024, 1, 1, 12},
        // The hour cannot be read at the end of the text: the rest of the text is kept after
        // the directory that the template put before it.
        {"20240101", "/data/prf/20240101", 2024, 1, 1, VYK_MISS},
        {"./2024123123.prf", "./2024123123.prf", 2024, 12, 31, 23},
        // A text that stops fitting is copied from that point on.
        {"2024ab0112", "/data/prf/2024ab0112", 2024, VYK_MISS, VYK_MISS, VYK_MISS},
    };
    for (const Case &k : cases) {
        const Completed c = complete(k.text);
        EXPECT_EQ(c.status, 0) << k.text;
        EXPECT_EQ(c.name, k.name) << k.text;
        EXPECT_EQ(c.date.year, k.year) << k.text;
        EXPECT_EQ(c.date.month, k.month) << k.text;
        EXPECT_EQ(c.date.day, k.day) << k.text;
        EXPECT_EQ(c.date.hour, k.hour) << k.text;
    }
    complete("2024010112");
    EXPECT_EQ(FILE_get_late_off(), 3600);
}

// Every name the convention builds completes to itself with the date it was built for.
TEST(FileComplete, BuiltNamesCompleteToThemselves)
{
    TempDir dir;
    write_conventions(dir);
    RES_put("data_path", "/data/prf");
    const struct {
        const char *type;
        int year, month, day, hour;
    } cases[] = {
        {"prf_dat", 2024, 3, 5, 7},  {"prf_dat", 1999, 12, 31, 23}, {"jul_dat", 2024, 3, 1, 6},
        {"jul_dat", 1987, 12, 31, 0}, {"mon_dat", 2024, 3, 5, 0},    {"mon_dat", 2023, 6, 30, 0},
    };
    for (const auto &k : cases) {
        FILE_set_name(k.type);
        Date d;
        DATE_init(&d);
        d.year = k.year;
        d.month = k.month;
        d.day = k.day;
        d.hour = k.hour;
        d.min = 0;
        char built[FILE_NAME_MAX + 1];
        ASSERT_EQ(FILE_set_date(&d, built), 0);
        const Completed c = complete(built);
        EXPECT_EQ(c.name, built) << k.type;
        EXPECT_EQ(c.date.year, k.year) << built;
        EXPECT_EQ(c.date.month, k.month) << built;
        EXPECT_EQ(c.date.day, k.day) << built;
        if (std::strcmp(k.type, "mon_dat") != 0) {
            EXPECT_EQ(c.date.hour, k.hour) << built;
        }
    }
}

// The directives other than the plain numbers: extension, keys, literal blocks, literal prefix.
TEST(FileComplete, Directives)
{
    TempDir dir;
    write_conventions(dir);
    RES_put("data_path", "/data/prf");
    FILE_set_name("none");  // the first selection empties the keys
    FILE_set_key('x', "eta");
    struct Case {
        const char *type;
        const char *text;
        const char *name;
        const char *ext;
    } cases[] = {
        // Without an extension the typed text before the rest of the template becomes it.
        {"grb_ext", "2024010112.nam", "2024010112.nam", "nam"},
        {"grb_mid", "2024010112_gfs.grb", "2024010112_gfs.grb", "gfs"},
        {"grb_mid", "2024010112.grb", "2024010112.grb", ""},
        // A key writes its text and steps over as many typed characters.
        {"key_dat", "eta_2024010112", "eta_2024010112", nullptr},
        {"key_dat", "nam_2024010112", "eta_2024010112", nullptr},
        // A literal block is written from the template; the typed text does not hold it.
        {"blk_dat", "20240101", "raw_20240101", nullptr},
        // '*' takes the rest of the text as it is.
        {"ast_dat", "20240101_any.thing", "/data/prf/20240101_any.thing", nullptr},
        // A literal prefix that a text without '/' lacks, right after a path, takes one typed
        // character for each of its characters.
        {"prf_lit", "xyz2024010112", "/data/prf/prf2024010112", nullptr},
        {"prf_lit", "2024010112", "/data/prf/prf4010112", nullptr},
    };
    for (const Case &k : cases) {
        FILE_set_name(k.type);
        FILE_set_ext("");
        const Completed c = complete(k.text);
        EXPECT_EQ(c.name, k.name) << k.type << " " << k.text;
        if (k.ext) {
            EXPECT_STREQ(FILE_get_ext(), k.ext) << k.text;
        }
    }
    FILE_set_name("key_dat");
    FILE_set_key('x', "");
    EXPECT_EQ(complete("abc_2024010112").name, "abc_2024010112");  // no key: the text as typed

    FILE_set_name("grb_ext");
    FILE_set_ext("eta");
    EXPECT_EQ(complete("2024010112.nam").name, "2024010112.eta");

    // The step of a directive counts for the period, not for the value read.
    FILE_set_name("3hr_dat");
    const Completed c = complete("20240101_07");
    EXPECT_EQ(c.name, "20240101_07");
    EXPECT_EQ(c.date.hour, 7);
    EXPECT_EQ(FILE_get_late_off(), 10800);

    // A blank in the template stands for the '_' it becomes in the names built.
    FILE_set_name("@my file%h");
    EXPECT_EQ(complete("my_file07").name, "my_file07");
    EXPECT_EQ(complete("07").name, "07");
}

// A date suffix sets the forced date for every later name; a count after "la" is not one.
TEST(FileComplete, DateSuffixSetsTheForcedDate)
{
    TempDir dir;
    write_conventions(dir);
    RES_put("data_path", "/data/prf");
    FILE_set_name("prf_dat");
    Completed c = complete("2024010112.prf#20240102");
    EXPECT_EQ(c.name, "/data/prf/2024010112.prf");
    Date forced;
    FILE_get_time(&forced);
    EXPECT_EQ(forced.year, 2024);
    EXPECT_EQ(forced.month, 1);
    EXPECT_EQ(forced.day, 2);
    EXPECT_EQ(forced.hour, VYK_MISS);

    Date d;
    DATE_init(&d);
    d.year = 2023;
    d.month = 5;
    d.day = 5;
    d.hour = 7;
    char built[FILE_NAME_MAX + 1];
    FILE_set_date(&d, built);
    EXPECT_STREQ(built, "/data/prf/2024010207.prf");

    FILE_reset_time();
    setenv("vykcurtime", "2024010112", 1);
    c = complete("la#3");
    FILE_get_time(&forced);
    EXPECT_EQ(forced.year, VYK_MISS);
    EXPECT_EQ(c.name, "/data/prf/2024010109.prf");  // three hours tried, none present
    unsetenv("vykcurtime");
}

// Texts asking for the current or latest file go to the current-file search.
TEST(FileComplete, CurrentAndLatestTexts)
{
    TempDir dir;
    write_conventions(dir);
    RES_put("data_path", dir.path().c_str());
    vyktest::write_file(dir.file("2024010110.prf"), "data");
    setenv("vykcurtime", "2024010112", 1);
    FILE_set_name("prf_dat");
    const struct {
        const char *text;
        const char *desc;
    } cases[] = {{"la", "la"}, {"LA", "LA"}, {"cu-3", "-3"}, {"CU", ""},
                 {"#2024010112", "#2024010112"}, {"cu#2024020304", "#2024020304"}};
    for (const auto &k : cases) {
        char direct[FILE_NAME_MAX + 1];
        FILE_set_current(k.desc, direct);
        const Completed c = complete(k.text);
        EXPECT_EQ(c.name, direct) << k.text;
        EXPECT_EQ(FILE_get_filename_type(), 0) << k.text;
    }
    EXPECT_EQ(complete("la").name, dir.file("2024010110.prf"));
    EXPECT_EQ(complete("LA").name, dir.file("2024010110.prf"));
    EXPECT_EQ(complete("cu-3").name, dir.file("2024010109.prf"));
    unsetenv("vykcurtime");
}

// Texts that are not matched: verbatim, standard streams, no template, full paths, "none".
TEST(FileComplete, TextsTakenAsTheyAre)
{
    TempDir dir;
    write_conventions(dir);
    FILE_set_name("none");
    Completed c = complete("some/file.dat");
    EXPECT_EQ(c.name, "some/file.dat");
    EXPECT_STREQ(FILE_get_filename(nullptr), "some/file.dat");
    EXPECT_EQ(FILE_get_filename_type(), 1);

    FILE_set_name("@/data/%Y%m%d%h");
    FILE_set_filename_type(0);
    c = complete("@any thing");
    EXPECT_EQ(c.name, "any thing");
    EXPECT_EQ(FILE_get_filename_type(), 1);
    EXPECT_EQ(complete("-").name, "-");
    EXPECT_EQ(complete("").name, "-");
    EXPECT_EQ(complete("None").name, "None");
    c = complete("/x/2024010112");  // template and text both full paths
    EXPECT_EQ(c.name, "/x/2024010112");
    EXPECT_EQ(c.date.year, VYK_MISS);
    EXPECT_EQ(c.date.hour, VYK_MISS);

    FILE_set_name("@-");
    EXPECT_EQ(complete("2024010112").name, "-");
}

// Name kind 1 moves a tail into the extra information.
TEST(FileComplete, ExtraInformation)
{
    FILE_set_name("none");
    FILE_set_type(1);
    EXPECT_EQ(complete("gfs.grb:type=1").name, "gfs.grb");
    EXPECT_STREQ(FILE_get_ext_info(), ":type=1");
    EXPECT_EQ(complete("gfs.grb").name, "gfs.grb");
    EXPECT_STREQ(FILE_get_ext_info(), ":type=1");  // no tail: kept

    const struct {
        const char *name;
        const char *cut;
        const char *info;
    } cases[] = {
        {"ab#cd", "ab", "#cd"}, {"a-b", "a-b", "old"}, {"x", "x", "old"},
        {"abc+1-2", "abc", "+1-2"}, {"", "", "old"},
    };
    for (const auto &k : cases) {
        FILE_set_ext_info("old");
        char buf[32];
        std::strcpy(buf, k.name);
        EXPECT_EQ(FILE_extract_extra_info(buf), 0);
        EXPECT_STREQ(buf, k.cut) << k.name;
        EXPECT_STREQ(FILE_get_ext_info(), k.info) << k.name;
    }
    FILE_set_ext_info(std::string(60, 'i').c_str());
    EXPECT_EQ(std::strlen(FILE_get_ext_info()), static_cast<size_t>(FILE_EXT_INFO_MAX));
}

// A completed name longer than a file name may be is refused, never cut or overrun.
TEST(FileComplete, NameTooLongFailsCleanly)
{
    TempDir dir;
    write_conventions(dir);
    const std::string long_path = "/" + std::string(150, 'p');
    RES_put("data_path", long_path.c_str());
    FILE_set_name("prf_dat");
    Completed c = complete("2024010112");
    EXPECT_EQ(c.status, -1);
    EXPECT_EQ(c.name, FILE_NAME_TOO_LONG);

    const std::string long_text = std::string(300, 'a');
    c = complete(long_text.c_str());
    EXPECT_EQ(c.status, -1);
    EXPECT_EQ(c.name, FILE_NAME_TOO_LONG);

    FILE_set_name("none");
    c = complete(long_text.c_str());
    EXPECT_EQ(c.status, -1);
    EXPECT_EQ(c.name, FILE_NAME_TOO_LONG);

    const std::string fits = std::string(FILE_NAME_MAX, 'b');
    c = complete(fits.c_str());
    EXPECT_EQ(c.status, 0);
    EXPECT_EQ(c.name, fits);
}

TEST(FileComplete, ExitEndsTheProgram)
{
    FILE_set_name("none");
    EXPECT_EXIT(complete("Exit"), testing::ExitedWithCode(0), "");
}
