// The profiler display program run from the shell as a user would (help, the station listing
// and prompt, batch mode, the file by name, by convention and through `current`), and its file
// wrappers in-process.
#include "test_util.h"
#include "vykprf.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

using vyktest::CaptureStdio;
using vyktest::quote;
using vyktest::read_file;
using vyktest::run;
using vyktest::RunResult;
using vyktest::TempDir;
using vyktest::write_file;

namespace {

/// Station layout with n stations S01, S02, ... and nothing but their identifiers and date.
std::string stations_cdl(int n)
{
    auto list = [n](auto value) {
        std::string s;
        for (int i = 1; i <= n; i++)
            s += (i > 1 ? ", " : "") + value(i);
        return s;
    };
    std::string cdl = "netcdf s {\ndimensions:\n station = UNLIMITED ;\n string_len = 6 ;\n"
                      "variables:\n char id(station, string_len) ;\n int year(station) ;\n"
                      " int month(station) ;\n int day(station) ;\n int hour(station) ;\n"
                      "data:\n";
    if (n > 0) {
        char id[16];  // room for any int
        cdl += " id = " + list([&](int i) {
                   snprintf(id, sizeof id, "\"S%02d\"", i);
                   return std::string(id);
               }) + " ;\n";
        for (const auto &[var, value] : {std::pair{"year", "2024"}, std::pair{"month", "5"},
                                         std::pair{"day", "14"}, std::pair{"hour", "6"}})
            cdl += std::string(" ") + var + " = " + list([&](int) { return std::string(value); }) +
                   " ;\n";
    }
    return cdl + "}\n";
}

class PrfDisp : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto r = run(quote(VYK_PRFGEN) + " " + quote(dir.file("data")));
        ASSERT_EQ(r.status, 0) << r.err;
        ASSERT_EQ(system(("mkdir " + quote(dir.file("empty"))).c_str()), 0);
    }

    /// Runs prfdisp in the scratch directory with only the environment given (and the lookup
    /// files of etc/ on the file path); a plot goes to a PostScript file.
    RunResult prfdisp(const std::string &args, const std::string &input = "",
                      const std::string &env = "")
    {
        return run("cd " + quote(dir.path()) + " && env -i HOME=" + quote(dir.path()) +
                       " PATH=/usr/bin:/bin vykfile=" + quote(std::string(VYK_SOURCE_DIR) + "/etc") +
                       " " + env + " " + quote(VYK_PRFDISP) + " -de p," +
                       quote(dir.file("plot.ps")) + " " + args,
                   input);
    }

    std::string make_nc(const std::string &name, const std::string &cdl)
    {
        write_file(dir.file(name + ".cdl"), cdl);
        const auto r = run("ncgen -b -k nc3 -o " + quote(dir.file(name)) + " " +
                           quote(dir.file(name + ".cdl")));
        EXPECT_EQ(r.status, 0) << r.err;
        return dir.file(name);
    }

    std::string banner() const
    {
        return std::string("      PROFILER DISPLAY PROGRAM (Ver ") + VYK_version() + ")\n\n";
    }

    TempDir dir;
};

TEST_F(PrfDisp, HelpPrintsTheUsageAndEnds)
{
    for (const char *args : {"-h", "-h data/station/2024051412.prf -ba"}) {
        SCOPED_TRACE(args);
        const RunResult r = prfdisp(args);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, "prfdisp: This program plots profiler data\n" +
                             read_file(vyktest::data("prfdisp_help.txt")));
        EXPECT_EQ(r.err, "");
    }
}

TEST_F(PrfDisp, ListsTheStationsAndAsks)
{
    const std::string line13 = "  S01   S02   S03   S04   S05   S06   S07   S08   S09   S10   S11"
                               "   S12   S13 \n";
    const struct {
        int n;
        std::string list;
        const char *date;  // of an empty file: none
    } cases[] = {
        {1, "  S01 \n", "0600Z 14 MAY 24"},
        {13, line13, "0600Z 14 MAY 24"},
        {14, line13 + "  S14 \n", "0600Z 14 MAY 24"},
        {0, "\n", ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.n);
        const std::string path = make_nc("s" + std::to_string(c.n), stations_cdl(c.n));
        // An empty answer names no station: the end, as in batch mode.
        const RunResult r = prfdisp(quote(path), "\n");
        EXPECT_EQ(r.status, 31);
        EXPECT_EQ(r.out, banner() + "\nDate: " + c.date + "\n\nAvailable stations:\n" + c.list +
                             "Enter the stations: ");
        EXPECT_NE(r.err.find("No station specified!\n"), std::string::npos) << r.err;
    }
}

TEST_F(PrfDisp, ListsTheStationsOfEitherLayout)
{
    for (const char *layout : {"station", "record"}) {
        SCOPED_TRACE(layout);
        const RunResult r =
            prfdisp(std::string("data/") + layout + "/2024051412.prf", ",\nlmno2,pltc2\n");
        EXPECT_EQ(r.out, banner() + "\nDate: 1200Z 14 MAY 24\n\nAvailable stations:\n"
                                    "PLTC2 NLGN1 LMNO2 HKLO2 WNFL1 WSMN5 \n"
                                    "Enter the stations: ");
        // An answer of empty entries names none either.
        EXPECT_EQ(r.status, 31);
        // A station given: the program goes on to the plot.
        const RunResult go = prfdisp(std::string("data/") + layout + "/2024051412.prf", "lmno2,x\n");
        EXPECT_EQ(go.status, 0) << go.err;
        EXPECT_EQ(go.err.find("No station specified!"), std::string::npos);
    }
}

TEST_F(PrfDisp, ListsTheStationsOfABulletinFile)
{
    // Bulletin files carry no file header: the date is that of the first report.
    const RunResult r = prfdisp("data/bufr/2024051412.prf", "\n");
    EXPECT_EQ(r.out, banner() + "\nDate: 1200Z 14 MAY 24\n\nAvailable stations:\n"
                                "74531 74532 74533 74534 74535 74536 \n"
                                "Enter the stations: ");
    EXPECT_EQ(r.status, 31);
    const RunResult go = prfdisp("data/bufr/2024051412.prf", "74533\n");
    EXPECT_EQ(go.status, 0) << go.err;
    EXPECT_EQ(go.err.find("No station specified!"), std::string::npos);
    EXPECT_EQ(go.err.find("PRF_read"), std::string::npos) << go.err;
}

TEST_F(PrfDisp, BatchModeWithoutAStation)
{
    const RunResult r = prfdisp("-ba data/record/2024051403.prf");
    EXPECT_EQ(r.status, 31);
    EXPECT_EQ(r.out, "");  // the listing and the banner are progress notes
    EXPECT_NE(r.err.find("No station specified!\n"), std::string::npos) << r.err;
    const RunResult shown = prfdisp("-ba -me +mess data/record/2024051403.prf");
    EXPECT_EQ(shown.status, 31);
    EXPECT_NE(shown.out.find("Available stations:\nPLTC2 NLGN1"), std::string::npos) << shown.out;
}

TEST_F(PrfDisp, StationOrLevelGivenNeedsNoPrompt)
{
    for (const char *args : {"-ba -id WNFL1 data/station/2024051403.prf",
                             "-ba -le 500 -dp data/station 2024051403.prf",
                             "-le 500 -dp data/station 2024051403.prf",
                             "-id ,WNFL1 data/station/2024051403.prf"}) {
        SCOPED_TRACE(args);
        const RunResult r = prfdisp(args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out.find("Available stations:"), std::string::npos);
        EXPECT_EQ(r.out.find("Enter the stations:"), std::string::npos);
    }
}

TEST_F(PrfDisp, FileByConventionAndCurrent)
{
    const std::string now = "vykcurtime=2024051412";
    const std::string record = "'@" + dir.file("data/record") + "/%Y%m%d%h.prf'";
    struct Case {
        std::string args;
        int status;
        const char *date;  // of the file listed, NULL for none
    } cases[] = {
        // The default convention "prf_dat" in data_path: the latest file.
        {"-dp data/station -cu", 31, "1200Z 14 MAY 24"},
        // in_file given twice: the second one holds; and the last of a list.
        {"-if nosuch -if " + record + " -cu", 31, "1200Z 14 MAY 24"},
        {"-dp empty -if " + record + " -if prf_dat -cu", 10, nullptr},
        {"-dp empty -if " + record + ",prf_dat -cu", 10, nullptr},
        // No file through current, or as the latest file in batch mode.
        {"-dp empty -cu", 10, nullptr},
        {"-dp empty -ba", 10, nullptr},
        // A named file that does not exist: nothing listed, the prompt.
        {"data/none.prf", 31, nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.args);
        const RunResult r = prfdisp(c.args, "\n", now);
        EXPECT_EQ(r.status, c.status) << r.err;
        if (c.date)
            EXPECT_NE(r.out.find(std::string("\nDate: ") + c.date + "\n"), std::string::npos)
                << r.out;
        else
            EXPECT_EQ(r.out.find("Available stations:"), std::string::npos) << r.out;
    }
}

TEST_F(PrfDisp, SeriesStepThatMakesNoColumns)
{
    // A step of 0 would divide by zero when the section's columns are counted: hourly columns.
    const struct {
        const char *step, *seconds;
    } cases[] = {{"0", "0"}, {"-1", "-3600"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.step);
        const RunResult r =
            prfdisp(std::string("-ba -nh -12,") + c.step + " data/station/2024051403.prf");
        EXPECT_EQ(r.status, 31) << r.err;
        EXPECT_NE(r.err.find(std::string("prfdisp: series step of ") + c.seconds +
                             " s is not usable; hourly columns\n"),
                  std::string::npos)
            << r.err;
    }
}

TEST_F(PrfDisp, UserMistakesEndWithAMessageAndAStatus)
{
    // The series as netCDF files named *.nc (no naming convention makes such names), an empty
    // file, a picture named as a profiler file, and a folder of lookup files without the
    // variable file.
    ASSERT_EQ(system(("mkdir " + quote(dir.file("nc")) + " " + quote(dir.file("lookup"))).c_str()), 0);
    for (int h = 0; h <= 12; h++) {
        char from[40], to[40];
        std::snprintf(from, sizeof from, "data/station/20240514%02d.prf", h);
        std::snprintf(to, sizeof to, "nc/20240514%02d.nc", h);
        write_file(dir.file(to), read_file(dir.file(from)));
    }
    write_file(dir.file("nothing.prf"), "");
    write_file(dir.file("picture.prf"), "\x89PNG\r\n\x1a\n");
    write_file(dir.file("lookup/name_conv"),
               read_file(std::string(VYK_SOURCE_DIR) + "/etc/name_conv"));
    const std::string station = "data/station/2024051412.prf";
    const struct {
        std::string args;
        int status;
        std::string message;  // in the standard error
    } rows[] = {
        // The named file is read for its column; the other hours are named once.
        {"-id PLTC2 -dp nc 2024051412.nc", 0,
         "PRF_plot: 12 of the 13 files of the series not found: nc/2024051400.prf ... "
         "nc/2024051411.prf\nPRF_plot: the names follow the naming convention prf_dat "
         "(%D/%Y%m%d%h.prf); in_file (-if) selects another\n"},
        // A relative name with its own directory is the file as typed, not one under -dp.
        {"-id PLTC2 -dp nc nc/2024051412.nc", 0,
         "PRF_plot: 12 of the 13 files of the series not found: nc/2024051400.prf ... "
         "nc/2024051411.prf\n"},
        {"-id PLTC2 data/none.prf", 10, "PRF_plot: cannot open ./data/none.prf: no such file\n"},
        {"-id PLTC2 empty", 10, "PRF_plot: cannot open ./empty: a directory\n"},
        {"-id PLTC2 nothing.prf", 10, "PRF_plot: not a profiler file: ./nothing.prf (empty)\n"},
        {"-id PLTC2 picture.prf", 10,
         "PRF_plot: not a profiler file: ./picture.prf (neither a bulletin nor a netCDF file)\n"},
        {"-id XXXX1 " + station, 31,
         "XXXX1 not found in any of the 13 files read; ./" + station +
             " has the stations:\nPLTC2 NLGN1 LMNO2 HKLO2 WNFL1 WSMN5 \n"},
        {"-id PLTC2 -va nosuch " + station, 44, "PRF_main: unknown variable: nosuch (the program "
         "plots city, temp, dewp, dewd, wdir, wspd, wbrbc, wbrb, wind, uwnd, vwnd, vvel, shear, "
         "hel)\n"},
        {"-le foo " + station, 44, "PRF_main: invalid level: foo ("},
        {"-le 30000m_ag -va wspd " + station, 45, "PRF_plot: no station of ./" + station +
         " has a value of 30000 m AG Wind speed (knt)\n"},
        {"-fp empty -id PLTC2 " + station, 10, "PRF_main: the naming convention prf_dat of "
         "profiler files is not known: no name_conv in the file path empty (set it with -fp)\n"},
        {"-fp lookup -id PLTC2 " + station, 10, "PRF_main: the variable file was not found in "
         "the file path lookup (set it with -fp)\n"},
        // An unknown option is named; the plot goes on.
        {"-zz 3 -id PLTC2 " + station, 0, "PRF_main: unknown option -zz (see -h for the options)\n"},
    };
    for (const auto &row : rows) {
        for (const char *mode : {"-ba ", ""}) {
            SCOPED_TRACE(mode + row.args);
            // Interactive runs name a variable where the row does not, so that no menu asks.
            const bool var = vyktest::has(row.args, "-va") || vyktest::has(row.args, "-le");
            const RunResult r = prfdisp(mode + row.args + (*mode || var ? "" : " -va wbrb"));
            EXPECT_EQ(r.status, row.status) << r.err;
            EXPECT_TRUE(vyktest::has(r.err, row.message)) << r.err;
            EXPECT_EQ(vyktest::count(r.err, "not found"), vyktest::count(row.message, "not found"))
                << r.err;
        }
    }
}

TEST_F(PrfDisp, OutputDirectoriesMadeAreNamed)
{
    const RunResult r = prfdisp("-ba -id PLTC2 -de p,out/sub/x.ps data/station/2024051412.prf");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Created directory: out/\nCreated directory: out/sub/\n");
    EXPECT_FALSE(read_file(dir.file("out/sub/x.ps")).empty());
}

TEST_F(PrfDisp, DefaultsFileOfTheCurrentDirectoryRunsNoCommand)
{
    // A ./.vykdef of the user's own (as unpacked from downloaded data) names the device: its
    // pipe is left out with a warning, so the plot goes to the program's own device instead.
    write_file(dir.file(".vykdef"), "*.device \"P,|touch ran\"\n");
    ASSERT_EQ(chmod(dir.file(".vykdef").c_str(), 0644), 0);
    const RunResult r = run("cd " + quote(dir.path()) + " && env -i HOME=" + quote(dir.path()) +
                            " PATH=/usr/bin:/bin vykfile=" +
                            quote(std::string(VYK_SOURCE_DIR) + "/etc") + " " +
                            quote(VYK_PRFDISP) + " -ba -id PLTC2 data/station/2024051412.prf");
    EXPECT_TRUE(vyktest::has(r.err, "RES_decode: *.device P,|touch ran ignored: no command is run "
                                    "from the current directory's defaults file\n"))
        << r.err;
    EXPECT_NE(access(dir.file("ran").c_str(), F_OK), 0);
    EXPECT_NE(r.status, 0) << r.err;  // no display to fall back on
}

TEST_F(PrfDisp, UnknownMenuVariableIsAskedAgain)
{
    const RunResult r = prfdisp("-id PLTC2 data/station/2024051412.prf", "nosuch\n8\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(vyktest::count(r.err, "PRF_main: unknown variable: nosuch"), 1) << r.err;
    EXPECT_EQ(vyktest::count(r.out, "Enter the variable: "), 2) << r.out;
}

TEST_F(PrfDisp, LongVariableIsCutWithAWarning)
{
    const std::string var(200, 'w');
    const RunResult r = prfdisp("-ba -id PLTC2 -va " + var + " data/station/2024051403.prf");
    EXPECT_NE(r.err.find("PRF_prompt_variable: variable cut to 79 characters: " +
                         std::string(79, 'w') + "\n"),
              std::string::npos)
        << r.err;
    // What is left names no variable of the program.
    EXPECT_EQ(r.status, 44) << r.err;
    EXPECT_TRUE(vyktest::has(r.err, "PRF_main: unknown variable: " + std::string(19, 'w') + " ("))
        << r.err;  // a name holds 19 characters
}

TEST_F(PrfDisp, FileWrappersAndStationSearch)
{
    const std::string path = dir.file("data/station/2024051405.prf");
    PRF_report r;
    ASSERT_EQ(PRF_open_file(path.c_str()), 1);
    int n = 0;
    while (PRF_read_next(&r) == 1)
        n++;
    EXPECT_EQ(n, 6);
    EXPECT_EQ(PRF_rewind_file(), 0);
    ASSERT_EQ(PRF_read_next(&r), 1);  // from the first station again
    EXPECT_STREQ(r.id, "PLTC2");
    PRF_close_file();
    EXPECT_EQ(PRF_open_file(dir.file("none").c_str()), 0);

    MESS_set_str("+out4");  // the station found is printed as detail
    CaptureStdio cap;
    EXPECT_EQ(PRF_read_station(path.c_str(), "wnfl1", &r), 1);
    EXPECT_EQ(PRF_read_station(path.c_str(), "nosuch", &r), 0);
    EXPECT_EQ(PRF_read_station(dir.file("none").c_str(), "WNFL1", &r), 0);
    cap.finish();
    EXPECT_EQ(cap.out().find("ID: WNFL1\nLAT:   31.90\nLON:  -92.78\nELEV:     56\nZ:    500  U:"),
              0u)
        << cap.out();
}

}  // namespace
