// The netCDF layouts of upper-air files: both written, checked with ncdump and read back; files
// made by ncgen for the layouts the writer does not make (no 925 mb entry, the old layout, a
// date under its older name); hostile files.
#include "upa_file_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace upatest;
using vyktest::has;
using vyktest::read_file;
using vyktest::run;
using vyktest::TempDir;
using vyktest::write_file;

namespace {

std::string ncdump(const std::string &args, const std::string &path)
{
    const vyktest::RunResult r = run("ncdump " + args + " " + vyktest::quote(path));
    EXPECT_EQ(r.status, 0) << r.err;
    return r.out;
}

/// A small file of the given layout made by ncgen from CDL: one station with mandatory entries
/// p (heights and temperatures from the pressure), and the given global attributes.
std::string make_cdl_file(const TempDir &dir, const std::string &name, const std::vector<float> &p,
                          const std::string &globals, bool metric = false)
{
    const std::string rec = metric ? "report" : "station";
    auto var = [&](const char *lower, const char *upper) { return std::string(metric ? upper : lower); };
    std::string cdl = "netcdf t {\ndimensions:\n " + rec + " = UNLIMITED ;\n mant_level = 25 ;\n"
                      " sigt_level = 200 ;\n sigw_level = 100 ;\n string_len = 11 ;\nvariables:\n"
                      " char id(" + rec + ", string_len) ;\n int idn(" + rec + ") ;\n"
                      " float lat(" + rec + ") ;\n float lon(" + rec + ") ;\n"
                      " int num_mant(" + rec + ") ;\n int num_sigt(" + rec + ") ;\n int num_sigw(" + rec + ") ;\n";
    for (const auto &[l, u] : std::vector<std::pair<const char *, const char *>>{
             {"p_man", "P_man"}, {"z_man", "Z_man"}, {"t_man", "T_man"}, {"td_man", "TD_man"},
             {"dir_man", "DIR_man"}, {"spd_man", "SPD_man"}})
        cdl += " float " + var(l, u) + "(" + rec + ", mant_level) ;\n";
    cdl += globals + "data:\n id = \"ABC\" ;\n idn = 72520 ;\n lat = 40.5 ;\n lon = 80.25 ;\n";
    cdl += " num_mant = " + std::to_string(p.size()) + " ;\n num_sigt = 0 ;\n num_sigw = 0 ;\n";
    auto row = [&](const std::string &v, auto f) {
        cdl += " " + v + " = ";
        for (int k = 0; k < 25; k++)
            cdl += (k < static_cast<int>(p.size()) ? std::to_string(f(p[k], k)) : "-9999") + (k < 24 ? ", " : " ;\n");
    };
    row(var("p_man", "P_man"), [](float v, int) { return v; });
    row(var("z_man", "Z_man"), [](float, int k) { return 100.0f * k; });
    row(var("t_man", "T_man"), [](float, int k) { return 20.0f - k; });
    row(var("td_man", "TD_man"), [](float, int k) { return 10.0f - k; });
    row(var("dir_man", "DIR_man"), [](float, int k) { return 10.0f * k; });
    row(var("spd_man", "SPD_man"), [](float, int k) { return 1.0f * k; });
    cdl += "}\n";
    const std::string cdl_path = dir.file(name + ".cdl"), nc = dir.file(name + ".nc");
    write_file(cdl_path, cdl);
    const vyktest::RunResult r = run("ncgen -o " + vyktest::quote(nc) + " " + vyktest::quote(cdl_path));
    EXPECT_EQ(r.status, 0) << r.err;
    return nc;
}

}  // namespace

TEST(UpaCdf, BothLayoutsReadBackWhatTheyWrote)
{
    TempDir dir;
    for (int kind : {UPA_FILE_CDF_STN, UPA_FILE_CDF_REP}) {
        SCOPED_TRACE("kind " + std::to_string(kind));
        const std::string path = dir.file("upa" + std::to_string(kind) + ".nc");
        UPA_report a = sample_report("PIT", 72520, 200, 100), b = sample_report("KBUF", 72528, 3, 4);
        strfcpy(a.area, "NA");
        ASSERT_EQ(write_reports(path, kind, {a, b}), 0);
        int detected = 0;
        UPA_info info{};
        const std::vector<UPA_report> got = read_reports(path, UPA_READ_ALL, &detected, &info);
        EXPECT_EQ(detected, kind);
        EXPECT_STREQ(info.datim, "12Z 15 MAR 96");
        EXPECT_EQ(info.date.day, 15);
        ASSERT_EQ(got.size(), 2u);
        const float tol = kind == UPA_FILE_CDF_REP ? 0.1f : 0.001f;
        for (int s = 0; s < 2; s++) {
            const UPA_report &want = s == 0 ? a : b;
            EXPECT_STREQ(got[s].id, want.id);
            EXPECT_EQ(got[s].wmo, want.wmo);
            EXPECT_FLOAT_EQ(got[s].lat, want.lat);
            EXPECT_FLOAT_EQ(got[s].lon, want.lon);
            EXPECT_EQ(got[s].numman, UPA_NUM_MAN);
            EXPECT_EQ(got[s].elev, want.man[0].h);
            expect_same_levels(want, got[s], tol);
        }
        EXPECT_STREQ(got[0].area, "NA");

        const std::string header = ncdump("-h", path);
        const char *rec = kind == UPA_FILE_CDF_STN ? "station = UNLIMITED ; // (2 currently)" : "report = UNLIMITED ; // (2 currently)";
        EXPECT_TRUE(has(header, rec)) << header;
        for (const char *part : {"mant_level = 25 ;", "sigt_level = 200 ;", "sigw_level = 100 ;", "string_len = 11 ;",
                                 "num_mant:valid_range = 0, 25 ;", "num_sigt:valid_range = 0, 200 ;",
                                 "num_sigw:valid_range = 0, 100 ;", ":title = \"Upper Air Observations\" ;",
                                 ":version = \"2.0\" ;", ":history = \"Upper air converted file from VYK decoders\" ;",
                                 ":filetime = \"12Z 15 MAR 96\" ;", ":yymmddhh = \"96031512\" ;",
                                 "lat:valid_range = -90.f, 90.f ;", "num_mant:_FillValue = 0 ;"})
            EXPECT_TRUE(has(header, part)) << part << "\n" << header;
        if (kind == UPA_FILE_CDF_REP) {
            EXPECT_TRUE(has(header, "float SPD_sigw(report, sigw_level) ;"));
            EXPECT_TRUE(has(header, "SPD_man:units = \"meters/second\" ;"));
            EXPECT_TRUE(has(header, "Z_sigw:units = \"meters\" ;"));
        } else {
            EXPECT_TRUE(has(header, "float spd_sigw(station, sigw_level) ;"));
            EXPECT_TRUE(has(header, "z_sigw:units = \"feet\" ;"));
            EXPECT_TRUE(has(header, "z_sigw:valid_range = -500.f, 330000.f ;"));
        }
    }
}

TEST(UpaCdf, MetricLayoutStoresMetresPerSecondAndMetres)
{
    TempDir dir;
    const std::string path = dir.file("m.nc");
    UPA_report r = sample_report("PIT", 72520, 1, 2);
    r.wnd[1] = {1000, 270, 10};
    ASSERT_EQ(write_reports(path, UPA_FILE_CDF_REP, {r}), 0);
    const std::string z = ncdump("-v Z_sigw", path), spd = ncdump("-v SPD_sigw", path);
    EXPECT_TRUE(has(z, "Z_sigw =\n  0, 304.8, _,")) << z;
    EXPECT_TRUE(has(spd, "SPD_sigw =\n  2.572, 5.144, _,")) << spd;
    const std::vector<UPA_report> got = read_reports(path);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_NEAR(got[0].wnd[1].spd, 10, 0.01);
    EXPECT_NEAR(got[0].wnd[1].h, 1000, 0.1);
}

TEST(UpaCdf, NothingOfOneStationReachesTheNext)
{
    TempDir dir;
    const std::string path = dir.file("stale.nc");
    UPA_report a = sample_report("AAA", 1, 30, 40), b = sample_report("BBB", 2, 5, 3);
    b.numman = 0;
    UPA_level_init(&b.man[7]);
    ASSERT_EQ(write_reports(path, UPA_FILE_CDF_STN, {a, b}), 0);
    // The second record holds fill values after its own levels.
    const std::string p = ncdump("-v p_sigt", path);
    const size_t second = p.find("\n  ", p.find("p_sigt =") + 10);
    ASSERT_NE(second, std::string::npos);
    EXPECT_TRUE(has(p.substr(second), "633, 455, _, _, _")) << p;
    EXPECT_TRUE(has(ncdump("-v num_mant", path), "num_mant = 25, _ ;"));
    // Read into one report in turn: the second has none of the first's levels.
    int k = 0;
    const int fd = UPA_open(path.c_str(), UPA_ACCESS_READ, &k);
    ASSERT_GE(fd, 0);
    UPA_report r;
    UPA_initialize(&r);
    int n = 0;
    ASSERT_EQ(UPA_read(fd, &r, UPA_READ_ALL, &n), 0);
    EXPECT_EQ(r.numsig, 30);
    n = 1;
    ASSERT_EQ(UPA_read(fd, &r, UPA_READ_ALL, &n), 0);
    EXPECT_EQ(r.numsig, 5);
    EXPECT_EQ(r.numman, 0);
    for (int i = 5; i < UPA_NUM_SIG; i++) ASSERT_EQ(r.sig[i].p, M) << i;
    for (int i = 3; i < UPA_NUM_WND; i++) ASSERT_EQ(r.wnd[i].h, M) << i;
    for (const UPA_level &l : r.man) ASSERT_EQ(l.p, M);
    n = 2;
    EXPECT_EQ(UPA_read(fd, &r, UPA_READ_ALL, &n), -1);
    UPA_close(fd);
}

TEST(UpaCdf, FileWithoutA925EntryShiftsItsEntries)
{
    TempDir dir;
    std::vector<float> p = {1013, 1000, 850, 700, 500, 400, 300, 250, 200, 150, 100, 70, 50, 30, 20, 10,
                            7, 5, 3, 2, 1, 205};
    const std::string path = make_cdl_file(dir, "no925", p, " :version = \"2.0\" ;\n :filetime = \"00Z 1 JAN 00\" ;\n");
    const std::vector<UPA_report> got = read_reports(path);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].man[2].p, M);
    EXPECT_EQ(got[0].man[2].t, M);
    EXPECT_EQ(got[0].man[3].p, 850);
    EXPECT_EQ(got[0].man[3].h, 200);  // entry 2
    EXPECT_EQ(got[0].man[22].p, 205); // entry 21
    EXPECT_EQ(got[0].lon, 80.25f);
    const std::vector<UPA_report> trop = read_reports(path, UPA_READ_TROP), at925 = read_reports(path, 2),
                                  at850 = read_reports(path, 3);
    EXPECT_EQ(trop[0].man[0].p, 205);
    EXPECT_EQ(at925[0].man[0].p, M);
    EXPECT_EQ(at850[0].man[0].p, 850);
    EXPECT_EQ(at850[0].elev, 0);
}

TEST(UpaCdf, OldLayoutNegatesLongitudesAndOlderDateNameIsRead)
{
    TempDir dir;
    const std::string old = make_cdl_file(dir, "old", {1000, 925}, " :datetime = \"06Z 2 FEB 01\" ;\n");
    const std::string cur = make_cdl_file(dir, "cur", {1000, 925}, " :version = \"2.0\" ;\n");
    UPA_info info{};
    const std::vector<UPA_report> a = read_reports(old, UPA_READ_ALL, nullptr, &info);
    ASSERT_EQ(a.size(), 1u);
    EXPECT_EQ(a[0].lon, -80.25f);
    EXPECT_STREQ(info.datim, "06Z 2 FEB 01");
    EXPECT_EQ(info.date.hour, 6);
    EXPECT_STREQ(a[0].area, "UN");  // no region variable
    const std::vector<UPA_report> b = read_reports(cur);
    ASSERT_EQ(b.size(), 1u);
    EXPECT_EQ(b[0].lon, 80.25f);
    // The metric layout converts its speeds to knots.
    const std::string metric = make_cdl_file(dir, "metric", {1013, 1000, 925}, " :version = \"2.0\" ;\n", true);
    int kind = 0;
    const std::vector<UPA_report> c = read_reports(metric, UPA_READ_ALL, &kind);
    EXPECT_EQ(kind, UPA_FILE_CDF_REP);
    ASSERT_EQ(c.size(), 1u);
    EXPECT_NEAR(c[0].man[2].spd, 2 * 1.944, 0.001);
}

TEST(UpaCdf, ReadModesOfTheStationFields)
{
    TempDir dir;
    const std::string path = dir.file("modes.nc");
    UPA_report a = sample_report("PIT", 72520);
    a.man[0].h = 360;
    ASSERT_EQ(write_reports(path, UPA_FILE_CDF_STN, {a}), 0);
    int k = 0;
    const int fd = UPA_open(path.c_str(), UPA_ACCESS_READ, &k);
    ASSERT_GE(fd, 0);
    UPA_report r;
    UPA_initialize(&r);
    r.lat = 1;  // modes that do not read a field leave it
    int n = 0;
    ASSERT_EQ(UPA_read(fd, &r, UPA_READ_ID, &n), 0);
    EXPECT_STREQ(r.id, "PIT");
    EXPECT_EQ(r.wmo, 72520);
    EXPECT_EQ(r.lat, 1);
    ASSERT_EQ(UPA_read(fd, &r, UPA_READ_STATION, &n), 0);
    EXPECT_FLOAT_EQ(r.lat, 40.53f);
    EXPECT_EQ(r.elev, 360);
    EXPECT_EQ(r.numsig, 0);
    ASSERT_EQ(UPA_read(fd, &r, 5, &n), 0);
    EXPECT_EQ(r.man[0].p, 500);
    EXPECT_EQ(r.man[0].h, 5760);
    // A mode the netCDF kinds do not read is a failure with a warning, never a station read;
    // the report stays as it was.
    for (int mode : {-1, 17, 21, 24, 29, 33, 44}) {
        SCOPED_TRACE(mode);
        int got = 0;
        const std::string err = vyktest::stderr_of([&] { got = UPA_read(fd, &r, mode, &n); });
        EXPECT_EQ(got, -1);
        EXPECT_TRUE(has(err, "read mode " + std::to_string(mode) + " is not one of a netCDF")) << err;
        EXPECT_EQ(r.man[0].p, 500);
    }
    EXPECT_EQ(UPA_close(fd), 0);
}

TEST(UpaCdf, HostileFilesGiveNoStationsOrTheirOwn)
{
    TempDir dir;
    const std::string good = dir.file("good.nc");
    ASSERT_EQ(write_reports(good, UPA_FILE_CDF_STN, {sample_report(), sample_report("B", 2)}), 0);
    const std::string full = read_file(good);
    for (size_t cut : {size_t{4}, size_t{40}, size_t{300}, full.size() / 2, full.size() - 100}) {
        const std::string path = dir.file("cut.nc");
        write_file(path, full.substr(0, cut));
        const std::vector<UPA_report> got = read_reports(path);
        EXPECT_LE(got.size(), 2u) << cut;
        for (const UPA_report &r : got) {
            EXPECT_LE(r.numsig, UPA_NUM_SIG);
            EXPECT_GE(r.numsig, 0);
        }
    }
    // A classic header claiming a huge dimension is refused before the library sizes it.
    std::string huge = full;
    const size_t at = huge.find("mant_level");
    ASSERT_NE(at, std::string::npos);
    huge[at + 12] = '\x7f';
    const std::string hpath = dir.file("huge.nc");
    write_file(hpath, huge);
    EXPECT_LE(read_reports(hpath).size(), 2u);
    // Counts beyond the record's slots are cut.
    const std::string counts = make_cdl_file(dir, "counts", {1000, 925, 850}, " :version = \"2.0\" ;\n");
    std::string cdl = read_file(dir.file("counts.cdl"));
    cdl.replace(cdl.find("num_mant = 3"), 12, "num_mant = 9999");
    cdl.replace(cdl.find("num_sigt = 0"), 12, "num_sigt = -5");
    write_file(dir.file("counts.cdl"), cdl);
    ASSERT_EQ(run("ncgen -o " + vyktest::quote(counts) + " " + vyktest::quote(dir.file("counts.cdl"))).status, 0);
    const std::vector<UPA_report> got = read_reports(counts);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].numman, UPA_NUM_MAN);
    EXPECT_EQ(got[0].numsig, 0);
}
