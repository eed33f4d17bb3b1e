// The text forms of upper-air files: each kind written and read back, the station walk, the
// read modes, the writers' choices and hostile files.
#include "upa_file_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

using namespace upatest;
using vyktest::read_file;
using vyktest::TempDir;
using vyktest::write_file;

namespace {

/// The report as the older forms carry it: their mandatory slots, the significant levels down
/// to floor mb (at most max), the winds at their fixed heights.
UPA_report as_older(const UPA_report &r, int kind)
{
    UPA_report want;
    UPA_initialize(&want);
    strfcpy(want.id, r.id);
    const bool k1 = kind == UPA_FILE_OLD4;
    want.numman = k1 ? 5 : 11;
    const std::vector<int> slots = k1 ? std::vector<int>{1, 3, 4, 5} : std::vector<int>{1, 3, 4, 5, 6, 7, 9, 11};
    for (int s : slots) want.man[s] = r.man[s];
    const float floor = k1 ? 500 : 100;
    for (int i = 0; i < r.numsig && want.numsig < (k1 ? 14 : 21); i++)
        if (r.sig[i].p >= floor) want.sig[want.numsig++] = r.sig[i];
    const std::vector<int> hght = k1 ? std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 14, 15, 16, 18}
                                     : std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 14, 16, 20, 25, 30, 35, 40, 45, 50};
    want.numwnd = static_cast<int>(hght.size());
    for (size_t e = 0; e < hght.size(); e++) {
        want.wnd[e] = {hght[e] * 1000.0f, M, M};
        for (int i = 0; i < r.numwnd; i++)
            if (r.wnd[i].h == hght[e] * 1000.0f) want.wnd[e] = r.wnd[i];
    }
    want.man[UPA_MAN_SFC] = r.man[UPA_MAN_SFC];
    return want;
}

/// The report as the newer forms carry it (kind 5 also the number and the position).
UPA_report as_newer(const UPA_report &r, int kind)
{
    UPA_report want = r;
    if (kind != UPA_FILE_X) {
        want.wmo = VYK_MISS;
        want.lat = want.lon = M;
    }
    return want;
}

std::string two_stations(const TempDir &dir, int kind)
{
    const std::string path = dir.file("upa" + std::to_string(kind));
    EXPECT_EQ(write_reports(path, kind, {sample_report("PIT", 72520), sample_report("kbuf", 72528, 8, 12)}), 0);
    return path;
}

}  // namespace

TEST(UpaText, EveryKindReadsBackWhatItWrote)
{
    TempDir dir;
    for (int kind : {UPA_FILE_OLD4, UPA_FILE_OLD8, UPA_FILE_TEXT, UPA_FILE_PLUS, UPA_FILE_X}) {
        SCOPED_TRACE("kind " + std::to_string(kind));
        const std::string path = two_stations(dir, kind);
        int detected = 0;
        UPA_info info{};
        const std::vector<UPA_report> got = read_reports(path, UPA_READ_ALL, &detected, &info);
        EXPECT_EQ(detected, kind);
        EXPECT_STREQ(info.datim, "12Z 15 MAR 96");
        EXPECT_EQ(info.date.hour, 12);
        EXPECT_EQ(info.date.day, 15);
        EXPECT_EQ(info.date.month, 3);
        ASSERT_EQ(got.size(), 2u);
        const UPA_report src[] = {sample_report("PIT", 72520), sample_report("kbuf", 72528, 8, 12)};
        for (int s = 0; s < 2; s++) {
            const bool older = kind <= UPA_FILE_OLD8;
            const UPA_report want = older ? as_older(src[s], kind) : as_newer(src[s], kind);
            EXPECT_STREQ(got[s].id, src[s].id);
            EXPECT_EQ(got[s].wmo, want.wmo);
            EXPECT_TRUE(near(got[s].lat, want.lat, 0.005f));
            EXPECT_TRUE(near(got[s].lon, want.lon, 0.005f));
            if (!older) {
                EXPECT_EQ(got[s].numman, 21);  // two levels above 10 mb
            }
            expect_same_levels(want, got[s]);
        }
    }
}

TEST(UpaText, KindsAreDetectedByTheirFirstLines)
{
    TempDir dir;
    struct Case {
        const char *name, *text;
        int kind;
    } cases[] = {
        {"plus", "ZAZUDI+\n12Z 15 MAR 96\n", UPA_FILE_PLUS},
        {"x", "ZAZUDIx\n12Z 15 MAR 96\n", UPA_FILE_X},
        {"text", "ZAZUDI\n12Z 15 MAR 96\n", UPA_FILE_TEXT},
        // The single letter that once stood for the newer forms is no magic word.
        {"v", "VYKUPA\n12Z 15 MAR 96\n", -1},
        {"zazudix", "ZAZUDIxy\n12Z\n", -1},
        {"kind1", "12Z 15 MAR 96\nPIT 00111 22420 18507 85457 14240 21518\n12 978 24634\n", UPA_FILE_OLD4},
        {"kind2", "12Z 15 MAR 96\nPIT 00111 22420 18507 85457 14240 21518\n40739 19313 26045\n", UPA_FILE_OLD8},
        {"header only", "12Z 15 MAR 96\n", UPA_FILE_OLD4},
        {"no number", "12Z 15 MAR 96\nPIT\nabc\n", -1},
        {"junk", "hello world\n", -1},
        {"empty", "", -1},
        {"cdf junk", "CDF\001\377\377\377\377junk", -1},
    };
    for (const Case &c : cases) {
        const std::string path = dir.file(c.name);
        write_file(path, c.text);
        EXPECT_EQ(UPA_chktype(path.c_str()), c.kind) << c.name;
    }
    EXPECT_EQ(UPA_chktype(dir.file("absent").c_str()), -1);
    EXPECT_EQ(UPA_chktype(nullptr), -1);
}

TEST(UpaText, OpeningForWritingNeedsAKind)
{
    TempDir dir;
    int kind = UPA_FILE_DETECT;
    EXPECT_EQ(UPA_open(dir.file("out").c_str(), UPA_ACCESS_WRITE, &kind), -1);
    kind = 7;  // no such kind
    EXPECT_EQ(UPA_open(dir.file("out").c_str(), UPA_ACCESS_WRITE, &kind), -1);
    kind = UPA_FILE_PLUS;
    EXPECT_EQ(UPA_open(dir.file("out").c_str(), 2, &kind), -1);
    EXPECT_EQ(UPA_close(0), -1);  // nothing open
    EXPECT_EQ(UPA_rewind(0), -1);
}

TEST(UpaText, StationsAreReachedForwardBackwardAndAgain)
{
    TempDir dir;
    for (int kind : {UPA_FILE_OLD4, UPA_FILE_OLD8, UPA_FILE_TEXT, UPA_FILE_PLUS, UPA_FILE_X}) {
        SCOPED_TRACE("kind " + std::to_string(kind));
        const std::string path = dir.file("walk" + std::to_string(kind));
        std::vector<UPA_report> reps;
        const char *ids[] = {"AAA", "BBB", "CCC", "DDD", "EEE"};
        for (int i = 0; i < 5; i++) reps.push_back(sample_report(ids[i], 72500 + i, 3 + i, 2 + i));
        // Station 2 has no levels above 10 mb: kind 3 then has 12 lines for it, 13 for others.
        reps[2].man[17].p = reps[2].man[18].p = M;
        ASSERT_EQ(write_reports(path, kind, reps), 0);
        int k = 0;
        const int fd = UPA_open(path.c_str(), UPA_ACCESS_READ, &k);
        ASSERT_GE(fd, 0);
        UPA_report r;
        const int order[] = {3, 3, 2, 0, 4, 1, 1, 4};
        for (int n : order) {
            int statnum = n;
            ASSERT_EQ(UPA_read(fd, &r, UPA_READ_ALL, &statnum), 0) << n;
            EXPECT_EQ(statnum, n);
            EXPECT_STREQ(r.id, ids[n]);
            const UPA_report src = sample_report(ids[n], 72500 + n, 3 + n, 2 + n);
            const float floor = kind == UPA_FILE_OLD4 ? 500 : kind == UPA_FILE_OLD8 ? 100 : 0;
            int want = 0;
            for (int i = 0; i < src.numsig; i++) want += src.sig[i].p >= floor;
            EXPECT_EQ(r.numsig, want);
        }
        int past = 5;
        EXPECT_EQ(UPA_read(fd, &r, UPA_READ_ALL, &past), -1);
        EXPECT_EQ(UPA_rewind(fd), 0);
        int first = 0;
        EXPECT_EQ(UPA_read(fd, &r, UPA_READ_ID, &first), 0);
        EXPECT_STREQ(r.id, "AAA");
        EXPECT_EQ(UPA_close(fd), 0);
    }
}

TEST(UpaText, NewerTextFormLinesPerStation)
{
    TempDir dir;
    const std::string path = dir.file("lines");
    UPA_report a = sample_report("AAA", 1), b = sample_report("BBB", 2);
    b.man[17].p = b.man[18].p = M;
    ASSERT_EQ(write_reports(path, UPA_FILE_TEXT, {a, b}), 0);
    const std::string text = read_file(path);
    // Two header lines, 13 lines with levels above 10 mb, 12 without.
    EXPECT_EQ(vyktest::count(text, "\n"), 2 + 13 + 12);
    EXPECT_EQ(text.rfind("ZAZUDI\n12Z 15 MAR 96\nAAA 00111 22422 18507 ", 0), 0u);
}

TEST(UpaText, Kind3WithoutA925GroupPutsItsDataAt850)
{
    TempDir dir;
    const std::string path = dir.file("no925");
    UPA_report r = sample_report();
    UPA_level_init(&r.man[2]);
    ASSERT_EQ(write_reports(path, UPA_FILE_TEXT, {r}), 0);
    EXPECT_FALSE(vyktest::has(read_file(path), " 92"));
    const std::vector<UPA_report> got = read_reports(path);
    ASSERT_EQ(got.size(), 1u);
    expect_same_levels(r, got[0]);
    // The single-level modes agree: 925 mb is missing, 850 mb is there.
    const std::vector<UPA_report> at925 = read_reports(path, 2), at850 = read_reports(path, 3);
    EXPECT_EQ(at925[0].man[0].p, M);
    EXPECT_EQ(at850[0].man[0].p, 850);
    EXPECT_EQ(at850[0].man[0].h, 1457);
    EXPECT_EQ(at850[0].numman, 1);
}

TEST(UpaText, ReadModesTakeOnePartOfAStation)
{
    TempDir dir;
    for (int kind : {UPA_FILE_OLD4, UPA_FILE_OLD8, UPA_FILE_TEXT, UPA_FILE_PLUS, UPA_FILE_X}) {
        SCOPED_TRACE("kind " + std::to_string(kind));
        const std::string path = two_stations(dir, kind);
        const UPA_report src = sample_report("PIT", 72520);
        const bool older = kind <= UPA_FILE_OLD8;
        struct Mode {
            int mode;
            UPA_level want;
        } modes[] = {
            {3, src.man[3]},  // 850 mb, not the 700 mb group after it
            {4, src.man[4]},
            {2, older ? UPA_level{M, M, M, M, M, M} : src.man[2]},
            {6, kind == UPA_FILE_OLD4 ? UPA_level{M, M, M, M, M, M} : src.man[6]},
            {UPA_READ_TROP, older ? UPA_level{M, M, M, M, M, M} : src.man[UPA_MAN_TROP]},
            {UPA_READ_MWND, older ? UPA_level{M, M, M, M, M, M} : src.man[UPA_MAN_MWND]},
            {UPA_READ_SFC, {978, M, 24.6f, 21.2f, 180, 5}},
        };
        for (const Mode &m : modes) {
            const std::vector<UPA_report> got = read_reports(path, m.mode);
            ASSERT_EQ(got.size(), 2u) << m.mode;
            const UPA_level &l = got[0].man[0];
            const float a[] = {l.p, l.h, l.t, l.td, l.dir, l.spd};
            const float b[] = {m.want.p, m.want.h, m.want.t, m.want.td, m.want.dir, m.want.spd};
            for (int f = 0; f < 6; f++) EXPECT_TRUE(near(a[f], b[f], 0.01f)) << "mode " << m.mode << " field " << f;
            if (m.mode == UPA_READ_SFC) EXPECT_EQ(got[0].numsig, kind == UPA_FILE_OLD4 ? 4 : kind == UPA_FILE_OLD8 ? 6 : M);
            else EXPECT_EQ(got[0].numman, 1);
            EXPECT_STREQ(got[1].id, "kbuf");
        }
        const std::vector<UPA_report> ids = read_reports(path, UPA_READ_ID);
        ASSERT_EQ(ids.size(), 2u);
        EXPECT_STREQ(ids[1].id, "kbuf");
        EXPECT_EQ(ids[1].numsig, 0);
    }
}

TEST(UpaText, OlderWritersPlaceWindsAtTheirFixedHeights)
{
    TempDir dir;
    UPA_report r = sample_report("PIT", 72520, 6, 0);
    r.numwnd = 3;
    r.wnd[0] = {0, 180, 5};
    r.wnd[1] = {30000, 270, 95};
    r.wnd[2] = {20000, 265, 80};
    const std::string k2 = dir.file("k2"), k1 = dir.file("k1");
    ASSERT_EQ(write_reports(k2, UPA_FILE_OLD8, {r}), 0);
    ASSERT_EQ(write_reports(k1, UPA_FILE_OLD4, {r}), 0);
    const std::vector<UPA_report> got2 = read_reports(k2), got1 = read_reports(k1);
    ASSERT_EQ(got2.size(), 1u);
    EXPECT_EQ(got2[0].wnd[16].h, 30000);
    EXPECT_EQ(got2[0].wnd[16].dir, 270);
    EXPECT_EQ(got2[0].wnd[14].spd, 80);  // 20000 ft
    EXPECT_EQ(got2[0].wnd[15].dir, M);
    // Kind 2's wind lines: 11 groups, then 10; empty entries are 99999.
    const std::string text = read_file(k2);
    EXPECT_TRUE(vyktest::has(text, "18005 99999 99999 99999 99999 99999 99999 99999 99999 99999 99999\n"));
    ASSERT_EQ(got1.size(), 1u);
    for (int e = 1; e < 16; e++) EXPECT_EQ(got1[0].wnd[e].dir, M) << e;  // 20000 ft has no entry
}

TEST(UpaText, PressuresOfTheListsReadBackAsWritten)
{
    TempDir dir;
    UPA_report r = sample_report("PIT", 72520, 0, 2);
    const float pres[] = {1012, 850.0f, 432, 99, 9.96f, 7.5f, 5, 1.2f, 0.5f};
    r.numsig = 9;
    for (int i = 0; i < 9; i++) r.sig[i] = {pres[i], -20.1f, -30.1f};
    r.man[3].h = M;  // an 850 mb level without a mandatory height is written
    const float want[] = {1012, 850, 432, 99, 10, 7.5f, 5, 1.2f, 0.5f};
    for (int kind : {UPA_FILE_TEXT, UPA_FILE_PLUS, UPA_FILE_X}) {
        SCOPED_TRACE("kind " + std::to_string(kind));
        const std::string path = dir.file("p" + std::to_string(kind));
        UPA_report copy = r;
        ASSERT_EQ(write_reports(path, kind, {copy}), 0);
        const std::string text = read_file(path);
        EXPECT_TRUE(vyktest::has(text, "012 "));
        EXPECT_TRUE(vyktest::has(text, " 10 "));  // 9.96 keeps the three-character field
        EXPECT_FALSE(vyktest::has(text, "10.0"));
        EXPECT_TRUE(vyktest::has(text, "5.0 "));
        const std::vector<UPA_report> got = read_reports(path);
        ASSERT_EQ(got.size(), 1u);
        ASSERT_EQ(got[0].numsig, 9);
        for (int i = 0; i < 9; i++) {
            EXPECT_TRUE(near(got[0].sig[i].p, want[i], 0.001f)) << i << ": " << got[0].sig[i].p;
            EXPECT_TRUE(near(got[0].sig[i].t, -20.1f, 0.001f)) << i;
        }
        EXPECT_EQ(got[0].numwnd, 2);  // the winds after the list are intact
        EXPECT_EQ(got[0].wnd[1].h, 1000);
    }
}

TEST(UpaText, TheFirstWindAfterAFullListIsKept)
{
    TempDir dir;
    for (int kind : {UPA_FILE_PLUS, UPA_FILE_X}) {
        for (int numsig : {49, 50, 51, 200}) {
            SCOPED_TRACE("kind " + std::to_string(kind) + ", " + std::to_string(numsig) + " levels");
            const std::string path = dir.file("full" + std::to_string(kind) + "_" + std::to_string(numsig));
            const UPA_report r = sample_report("PIT", 72520, numsig, 100);
            ASSERT_EQ(write_reports(path, kind, {r, sample_report("NEXT", 1)}), 0);
            const std::vector<UPA_report> got = read_reports(path);
            ASSERT_EQ(got.size(), 2u);
            expect_same_levels(as_newer(r, kind), got[0]);
            EXPECT_EQ(got[0].wnd[0].h, 0);
            EXPECT_STREQ(got[1].id, "NEXT");
        }
    }
}

TEST(UpaText, WritersGiveTheSurfaceToAReportWithoutLevels)
{
    TempDir dir;
    for (int kind : {UPA_FILE_OLD4, UPA_FILE_OLD8, UPA_FILE_TEXT, UPA_FILE_PLUS, UPA_FILE_X}) {
        SCOPED_TRACE("kind " + std::to_string(kind));
        UPA_report r = sample_report("PIT", 72520, 0, 0);
        r.man[0] = {990, 300, 20.2f, 15.2f, 200, 10};
        const std::string path = dir.file("sfc" + std::to_string(kind));
        int k = kind, n = 0;
        const int fd = UPA_open(path.c_str(), UPA_ACCESS_WRITE, &k);
        ASSERT_GE(fd, 0);
        UPA_info info{};
        strfcpy(info.datim, "00Z 1 JAN 00");
        UPA_putinfo(fd, &info);
        ASSERT_EQ(UPA_write(fd, &r, UPA_READ_ALL, &n), 0);
        EXPECT_EQ(n, 1);
        ASSERT_EQ(UPA_close(fd), 0);
        EXPECT_EQ(r.numsig, 1);  // the caller's report changed
        EXPECT_EQ(r.sig[0].p, 990);
        EXPECT_EQ(r.numwnd, 1);
        EXPECT_EQ(r.wnd[0].h, 0);
        EXPECT_EQ(r.wnd[0].dir, 200);
        const std::vector<UPA_report> got = read_reports(path);
        ASSERT_EQ(got.size(), 1u);
        EXPECT_EQ(got[0].sig[0].p, 990);
        EXPECT_EQ(got[0].man[0].p, 990);
        EXPECT_EQ(got[0].man[0].dir, 200);
    }
}

TEST(UpaText, NumberAndPositionTokenIsReadWithinItsFields)
{
    TempDir dir;
    struct Case {
        const char *token;
        int wmo;
        const char *id;
        float lat, lon;
    } cases[] = {
        {"72520:PIT:40.53:-80.22", 72520, "PIT", 40.53f, -80.22f},
        {"72520:ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456", 72520, "ABCDEFGHIJ", M, M},
        {"-9999::40.00:10.00", VYK_MISS, "", 40, 10},
        {"72520", 72520, "", M, M},
        {"x:y:z", VYK_MISS, "", M, M},
        {"99999999999999999999:A:nan:inf", VYK_MISS, "A", M, M},
        {"1:B:12.5", 1, "B", 12.5f, M},
    };
    for (const Case &c : cases) {
        const std::string path = dir.file("tok");
        std::string text = "ZAZUDIx\n12Z 15 MAR 96\n" + std::string(c.token) + " ";
        for (int i = 0; i < 48; i++) text += "X ";
        text += "\nX X X X X\nX\n$\n";
        write_file(path, text);
        const std::vector<UPA_report> got = read_reports(path);
        ASSERT_EQ(got.size(), 1u) << c.token;
        EXPECT_EQ(got[0].wmo, c.wmo) << c.token;
        EXPECT_STREQ(got[0].id, c.id) << c.token;
        EXPECT_TRUE(near(got[0].lat, c.lat, 0.001f)) << c.token;
        EXPECT_TRUE(near(got[0].lon, c.lon, 0.001f)) << c.token;
    }
}

TEST(UpaText, StationTokenBeginningWithADollarIsNoEndMarker)
{
    // The end marker of a station is a "$" word after its token: a token "$AB" is a name.
    TempDir dir;
    for (int kind : {UPA_FILE_PLUS, UPA_FILE_X}) {
        SCOPED_TRACE("kind " + std::to_string(kind));
        const std::string path = dir.file("dollar" + std::to_string(kind));
        const UPA_report src[] = {sample_report("$AB", 72520), sample_report("BBB", 72528, 8, 12)};
        ASSERT_EQ(write_reports(path, kind, {src[0], src[1]}), 0);
        const std::vector<UPA_report> got = read_reports(path);
        ASSERT_EQ(got.size(), 2u);
        for (int s = 0; s < 2; s++) {
            EXPECT_STREQ(got[s].id, src[s].id);
            expect_same_levels(as_newer(src[s], kind), got[s]);
        }
    }
}

TEST(UpaText, HostileFilesEndTheStationsWithoutHarm)
{
    TempDir dir;
    // Every cut of a written file of each kind reads some stations and ends.
    for (int kind : {UPA_FILE_OLD4, UPA_FILE_OLD8, UPA_FILE_TEXT, UPA_FILE_PLUS, UPA_FILE_X}) {
        const std::string full = read_file(two_stations(dir, kind));
        for (size_t cut = 0; cut < full.size(); cut += 7) {
            const std::string path = dir.file("cut");
            write_file(path, full.substr(0, cut));
            const std::vector<UPA_report> got = read_reports(path);
            EXPECT_LE(got.size(), 2u);
            for (const UPA_report &r : got) {
                EXPECT_LE(r.numsig, UPA_NUM_SIG);
                EXPECT_LE(r.numwnd, UPA_NUM_WND);
                EXPECT_NE(std::memchr(r.id, 0, sizeof r.id), nullptr);
            }
        }
    }
    const std::string huge_count = "12Z 15 MAR 96\nPIT 00111 22420 18507 85457 14240 21518 70012 04656 24025 "
                                   "50576 91062 25537\n99 978 24634 941 20230\n";
    const std::string long_tokens = "ZAZUDI+\n12Z\n" + std::string(5000, 'A') + " " + std::string(3000, '-') + "\n$\n";
    std::string junk = "ZAZUDI\n12Z\n";
    for (int i = 0; i < 4000; i++) junk += static_cast<char>((i * 131 + 7) % 256);
    const std::string markers = "ZAZUDIx\n12Z\n$ $ $\nX X X X X X X X\n";
    for (const std::string &text : {huge_count, long_tokens, junk, markers}) {
        const std::string path = dir.file("hostile");
        write_file(path, text);
        const std::vector<UPA_report> got = read_reports(path);
        EXPECT_LE(got.size(), 10u);
        for (const UPA_report &r : got) {
            EXPECT_LE(r.numsig, UPA_NUM_SIG);
            EXPECT_LE(r.numwnd, UPA_NUM_WND);
        }
    }
}
