// WMO character GRID messages from small fixtures built as text: identification, levels,
// dates, scaling and signs, constant rows, wind components, octant grids and row order; a file
// of several messages scanned to its end; digits per value outside 3 to 5; hostile files.
#include <gtest/gtest.h>

#include "gfile_fixture.h"
#include "test_util.h"
#include "grd_file.h"

#include <cmath>
#include <string>
#include <vector>

using gfiletest::Rec;

namespace {

constexpr float M = VYK_MISS;

/// One message: its first word, identification groups, packing groups and coded values per
/// row (one string of words per row; a row whose first word begins with 9 holds one value).
struct Msg {
    std::string first = "07003";
    std::vector<std::string> ident = {"111", "250", "69403", "71212", "80012"};
    std::vector<std::string> packing = {"23"};
    std::vector<std::string> rows;
    std::vector<std::string> row_words;  // the first word of each row (default "10000")

    /// Rows of coded values: value(s, i) for row s and column i.
    template <class F> Msg &fill(F value)
    {
        rows.clear();
        for (int s = 0; s < 15; s++) {
            std::string r;
            for (int i = 0; i < 19; i++) r += (i ? " " : "") + value(s, i);
            rows.push_back(r);
        }
        return *this;
    }
    std::string text() const
    {
        std::string t = "GRID " + first + " 00000 00000";
        for (const std::string &g : ident) t += " " + g;
        t += " 44444";
        for (const std::string &g : packing) t += " " + g;
        for (size_t s = 0; s < rows.size(); s++)
            t += "\n" + (s < row_words.size() ? row_words[s] : std::string("10000")) + " 00000 " + rows[s];
        return t + "\n77777\n";
    }
};

std::string three(int v)
{
    char b[8];
    std::snprintf(b, sizeof b, "%03d", v);
    return b;
}

/// Opens a file of messages with its header read; the slot.
int open_grid(const vyktest::TempDir &dir, const std::string &text, GRD_info *info = nullptr)
{
    const std::string path = dir.file("g.txt");
    vyktest::write_file(path, text);
    int k = GRD_DETECT;
    const int fd = GRD_open(path.c_str(), GRD_ACCESS_READ, &k);
    EXPECT_EQ(k, GRD_WMO_GRID);
    GRD_info local{};
    DATE_init(&local.date);
    if (fd >= 0) {
        EXPECT_EQ(GRD_getinfo(fd, info ? info : &local), 0);
    }
    return fd;
}

TEST(GrdGrid, IdentificationLevelDateAndOctant)
{
    vyktest::TempDir dir;
    Msg m;
    m.fill([](int s, int i) { return three(10 * s + i); });
    GRD_info info{};
    DATE_init(&info.date);
    const int fd = open_grid(dir, m.text(), &info);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(info.date.year, 1994);
    EXPECT_EQ(info.date.month, 3);
    EXPECT_EQ(info.date.day, 12);
    EXPECT_EQ(info.date.hour, 12);
    Rec r;
    int num = 0;
    ASSERT_EQ(GRD_read(fd, &r.r, GRD_READ_VALUES, &num), 0);
    EXPECT_EQ(r.r.source, 7);
    EXPECT_EQ(r.r.model, 7);
    EXPECT_EQ(r.r.type, 73);
    EXPECT_EQ(r.r.var, 11);
    EXPECT_EQ(r.r.ltype, 10);
    EXPECT_EQ(r.r.level, 500);
    EXPECT_EQ(r.r.time, 12);
    EXPECT_EQ(r.r.version, 1);
    EXPECT_EQ(r.r.date.year, 1994);
    const Domain &d = r.r.domain;
    EXPECT_EQ(d.proj, DOM_LATLON);
    EXPECT_EQ(d.nx, 19);
    EXPECT_EQ(d.ny, 15);
    EXPECT_EQ(d.dx, 5);
    EXPECT_EQ(d.clat, 55);
    EXPECT_EQ(d.clon, 135);
    // Octant 3: the first row is the bottom row.
    EXPECT_EQ(r.r.grid[14 * 19 + 0], 0);
    EXPECT_EQ(r.r.grid[14 * 19 + 18], 18);
    EXPECT_EQ(r.r.grid[0], 140);
    EXPECT_NE(std::string(r.r.info), "");
    num = 1;
    EXPECT_EQ(GRD_read(fd, &r.r, GRD_READ_HEADER, &num), -1);
    GRD_close(fd);
}

// Levels, scaling, signs and the row order of each octant group, as a table.
TEST(GrdGrid, DecodingCases)
{
    struct Case {
        const char *name;
        std::string first;
        std::vector<std::string> ident, packing;
        std::string coded;  // every value of the grid
        int ltype, level;
        float value;  // the decoded value
    };
    const Case cases[] = {
        {"isobaric 500", "07002", {"111", "250"}, {"23"}, "123", 10, 500, 123},
        {"level 0", "07006", {"111", "300"}, {"23"}, "123", 12, 0, 123},
        {"level 300", "07012", {"111", "330"}, {"23"}, "123", 13, 300, 123},
        {"scale 0.1, reference 500", "07001", {"111"}, {"23", "31", "500"}, "123", VYK_MISS, VYK_MISS, 62.3f},
        {"element 4: reference negated", "07001", {"104"}, {"23", "31", "500"}, "123", VYK_MISS, VYK_MISS, -37.7f},
        {"scale 100", "07001", {"111"}, {"23", "36", "0"}, "012", VYK_MISS, VYK_MISS, 1200},
        {"sign digit 1 negates", "07001", {"111"}, {"10001", "24"}, "1123", VYK_MISS, VYK_MISS, -123},
        {"sign digit 0", "07001", {"111"}, {"10001", "24"}, "0045", VYK_MISS, VYK_MISS, 45},
        {"all negative", "07001", {"111"}, {"10003", "23"}, "045", VYK_MISS, VYK_MISS, -45},
        {"five digits", "07001", {"111"}, {"25"}, "12345", VYK_MISS, VYK_MISS, 12345},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        vyktest::TempDir dir;
        Msg m;
        m.first = c.first;
        m.ident = c.ident;
        m.packing = c.packing;
        m.fill([&](int, int) { return c.coded; });
        const int fd = open_grid(dir, m.text());
        ASSERT_GE(fd, 0);
        Rec r;
        int num = 0;
        ASSERT_EQ(GRD_read(fd, &r.r, GRD_READ_VALUES, &num), 0);
        EXPECT_EQ(r.r.ltype, c.ltype);
        EXPECT_EQ(r.r.level, c.level);
        EXPECT_NEAR(r.r.grid[7], c.value, 1e-3);
        EXPECT_NEAR(r.r.grid[19 * 15 - 1], c.value, 1e-3);
        GRD_close(fd);
    }
}

// Octants 1 to 4 begin at their southern row, 5 to 12 at their northern one.
TEST(GrdGrid, RowOrderByOctant)
{
    for (int o = 1; o <= 12; o++) {
        SCOPED_TRACE(o);
        vyktest::TempDir dir;
        Msg m;
        m.first = "07" + three(o);
        m.fill([](int s, int) { return three(s); });
        const int fd = open_grid(dir, m.text());
        ASSERT_GE(fd, 0);
        Rec r;
        int num = 0;
        ASSERT_EQ(GRD_read(fd, &r.r, GRD_READ_VALUES, &num), 0);
        const float top = r.r.grid[0], bottom = r.r.grid[14 * 19];
        EXPECT_EQ(o <= 4 ? bottom : top, 0);
        EXPECT_EQ(o <= 4 ? top : bottom, 14);
        EXPECT_EQ(r.r.type, 70 + o);
        GRD_close(fd);
    }
}

TEST(GrdGrid, ConstantRows)
{
    vyktest::TempDir dir;
    Msg m;
    m.first = "07005";
    m.fill([](int s, int i) { return three(s + i); });
    m.rows[2] = "777";
    m.row_words = {"10000", "10000", "90000"};
    const int fd = open_grid(dir, m.text());
    ASSERT_GE(fd, 0);
    Rec r;
    int num = 0;
    ASSERT_EQ(GRD_read(fd, &r.r, GRD_READ_VALUES, &num), 0);
    for (int i = 0; i < 19; i++) EXPECT_EQ(r.r.grid[2 * 19 + i], 777) << i;
    EXPECT_EQ(r.r.grid[3 * 19 + 1], 4);
    GRD_close(fd);
}

// A wind message gives two products: its u and then its v component; a scan over a file of
// several messages reaches each and ends at the end of the file.
TEST(GrdGrid, WindComponentsAndScans)
{
    vyktest::TempDir dir;
    Msg t, w, z;
    t.fill([](int, int) { return std::string("100"); });
    w.ident = {"122", "250"};
    w.packing = {"25"};
    w.fill([](int, int) { return std::string("27015"); });
    z.ident = {"101", "250"};
    z.fill([](int, int) { return std::string("555"); });
    const int fd = open_grid(dir, t.text() + w.text() + z.text());
    ASSERT_GE(fd, 0);
    const int vars[] = {11, 23, 24, 1};
    Rec r;
    for (int n = 0; n < 4; n++) {
        int num = n;
        ASSERT_EQ(GRD_read(fd, &r.r, GRD_READ_HEADER, &num), 0) << n;
        EXPECT_EQ(r.r.var, vars[n]);
    }
    int num = 4;
    EXPECT_EQ(GRD_read(fd, &r.r, GRD_READ_HEADER, &num), -1);
    num = 1;
    ASSERT_EQ(GRD_read(fd, &r.r, GRD_READ_VALUES, &num), 0);
    EXPECT_NEAR(r.r.grid[0], 15, 1e-4);
    num = 2;
    ASSERT_EQ(GRD_read(fd, &r.r, GRD_READ_VALUES, &num), 0);
    EXPECT_NEAR(r.r.grid[0], 0, 1e-4);
    num = 3;
    ASSERT_EQ(GRD_read(fd, &r.r, GRD_READ_VALUES, &num), 0);
    EXPECT_EQ(r.r.grid[0], 555);
    EXPECT_EQ(r.r.var, 1);
    GRD_close(fd);
    // The grid tool lists the four products.
    const vyktest::RunResult out = vyktest::run(vyktest::tool("grid_tool") + " list " + vyktest::quote(dir.file("g.txt")));
    EXPECT_EQ(out.status, 0) << out.err;
    EXPECT_EQ(vyktest::count(out.out, "product "), 4) << out.out;
}

// Digits per value outside 3 to 5 give a warning and missing values, never stale ones.
TEST(GrdGrid, DigitsOutOfRange)
{
    for (const char *g : {"22", "26", "29"}) {
        SCOPED_TRACE(g);
        vyktest::TempDir dir;
        Msg m;
        m.packing = {g};
        m.fill([](int, int) { return std::string("123"); });
        const int fd = open_grid(dir, m.text());
        ASSERT_GE(fd, 0);
        Rec r;
        int num = 0;
        vyktest::CaptureStdio cap;
        ASSERT_EQ(GRD_read(fd, &r.r, GRD_READ_VALUES, &num), 0);
        cap.finish();
        EXPECT_TRUE(vyktest::has(cap.err(), "digits per value are not read")) << cap.err();
        for (int k = 0; k < 19 * 15; k++) ASSERT_EQ(r.r.grid[k], M) << k;
        GRD_close(fd);
    }
}

// A message without the group of digits per value takes them from the message before it in
// its own file, whatever was read before: another file read between two messages, or the
// message read first.
TEST(GrdGrid, DigitsPerValueBelongToTheirFile)
{
    vyktest::TempDir dir;
    Msg a0, a1, b0;
    a0.fill([](int, int) { return std::string("123"); });  // 3 digits ("23")
    a1.packing = {"10000"};                                // no digits group
    a1.fill([](int, int) { return std::string("456"); });
    b0.packing = {"25"};
    b0.fill([](int, int) { return std::string("12345"); });
    const std::string pa = dir.file("a.txt"), pb = dir.file("b.txt");
    vyktest::write_file(pa, a0.text() + a1.text());
    vyktest::write_file(pb, b0.text());
    auto open = [](const std::string &path) {
        int k = GRD_DETECT;
        const int fd = GRD_open(path.c_str(), GRD_ACCESS_READ, &k);
        GRD_info info{};
        DATE_init(&info.date);
        EXPECT_EQ(GRD_getinfo(fd, &info), 0);
        return fd;
    };
    auto first_value = [](int fd, int n) {
        Rec r;
        int num = n;
        EXPECT_EQ(GRD_read(fd, &r.r, GRD_READ_VALUES, &num), 0);
        return r.r.grid ? r.r.grid[0] : -1.0f;
    };
    const int fa = open(pa), fb = open(pb);
    ASSERT_GE(fa, 0);
    ASSERT_GE(fb, 0);
    vyktest::CaptureStdio cap;
    EXPECT_EQ(first_value(fa, 0), 123);
    EXPECT_EQ(first_value(fb, 0), 12345);
    EXPECT_EQ(first_value(fa, 1), 456);
    GRD_close(fa);
    // Message 1 read first, in a file opened afresh after the other file's 5 digits.
    EXPECT_EQ(first_value(fb, 0), 12345);
    const int again = open(pa);
    EXPECT_EQ(first_value(again, 1), 456);
    GRD_close(again);
    GRD_close(fb);
    cap.finish();
    EXPECT_FALSE(vyktest::has(cap.err(), "digits per value")) << cap.err();
}

// Hostile files: truncated messages, words of letters, an unknown octant, long words, no
// message at all.  Reads end; values that do not read are missing.
TEST(GrdGrid, HostileFiles)
{
    Msg good;
    good.fill([](int, int) { return std::string("123"); });
    const std::string whole = good.text();
    const std::vector<std::string> files = {
        whole.substr(0, whole.size() / 2),
        "GRID",
        "GRID\n",
        "GRIDxyz 07003",
        "GRID abcde fghij klmno 1xx 2yy 6zz 7ww 8vv\n",
        "GRID 07099 00000 00000 111 44444 23 10000 00000 123\n",
        "GRID " + std::string(5000, '7') + "\nGRID 07003\n",
        "GRID 07003 0 0 111 44444 23\n" + std::string(100, '9'),
        whole + "GRID 07003 00000 00000 111 44444 23 10000 00000 12x 4 5\n",
    };
    for (const std::string &text : files) {
        SCOPED_TRACE(text.substr(0, 60));
        vyktest::TempDir dir;
        const std::string path = dir.file("g.txt");
        vyktest::write_file(path, text);
        int k = GRD_DETECT;
        const int fd = GRD_open(path.c_str(), GRD_ACCESS_READ, &k);
        if (fd < 0) continue;
        GRD_info info{};
        DATE_init(&info.date);
        vyktest::CaptureStdio cap;
        if (GRD_getinfo(fd, &info) == 0) {
            Rec r;
            int n = 0;
            for (; n < 10; n++) {
                int num = n;
                if (GRD_read(fd, &r.r, GRD_READ_HEADER, &num) != 0) break;
                num = n;
                if (GRD_read(fd, &r.r, GRD_READ_VALUES, &num) == 0) {
                    for (int p = 0; p < 19 * 15; p++) ASSERT_TRUE(std::isfinite(r.r.grid[p]));
                }
            }
            EXPECT_LT(n, 10);
        }
        cap.finish();
        GRD_close(fd);
    }
}

}  // namespace
