// The grid calculator from the shell: every form of the command language as a table of cases
// over grid files written by the grid-file layer, the results read back through it; refusals
// and outputs that cannot be written whole write nothing.
#include <gtest/gtest.h>

#include "gfile_fixture.h"
#include "output_fault.h"
#include "test_util.h"
#include "grd_cmd.h"
#include "grd_kin.h"

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

using gfiletest::Prod;
using gfiletest::Rec;

namespace {

constexpr float M = VYK_MISS;

// Three grids of 3 by 2 points over 38.75 to 40.25 N and 102.5 to 99.5 W (Goodland, KGLD, at
// 39.37 N 101.70 W lies inside), one of 2 by 2 points, and one with every value missing.
struct Files {
    vyktest::TempDir dir;
    Files()
    {
        put("a.grd", {1, 2, 3, 4, 5, M});
        put("b.grd", {10, 20, 30, 40, 50, 60});
        put("c.grd", {100, 200, 300, 400, 500, 600});
        put("m.grd", {M, M, M, M, M, M});
        put("small.grd", {1, 2, 3, 4}, 2, 2);
    }
    void put(const std::string &name, const std::vector<float> &v, int nx = 3, int ny = 2)
    {
        Prod p(nx, ny);
        p.dom.clat = 39.5f;
        p.dom.clon = -101.0f;
        p.values = v;
        EXPECT_TRUE(gfiletest::write(dir.file(name), GRD_TEXT, {p}, gfiletest::header(nx, ny)));
    }
    std::string path(const std::string &name) const { return dir.file(name); }
};

// A command run from the shell; {NAME} in a word stands for the file's path.
vyktest::RunResult calc(const Files &f, const std::string &words, const std::string &opts = "")
{
    std::string cmd = vyktest::tool("grid_calc") + " -fp " VYK_SOURCE_DIR "/etc -me print,error,warn " + opts;
    std::istringstream in(words);
    for (std::string w; in >> w;) {
        for (size_t a; (a = w.find('{')) != std::string::npos;) {
            const size_t b = w.find('}', a);
            w = w.substr(0, a) + f.path(w.substr(a + 1, b - a - 1)) + w.substr(b + 1);
        }
        cmd += " " + vyktest::quote(w);
    }
    return vyktest::run(cmd);
}

// The values of the first product of a grid file (empty when it cannot be read).
std::vector<float> values(const std::string &path, Domain *dom = nullptr)
{
    const int fd = gfiletest::open_read(path);
    if (fd < 0) return {};
    Rec r;
    int num = 0;
    std::vector<float> v;
    if (GRD_read(fd, &r.r, GRD_READ_VALUES, &num) == 0) v = gfiletest::values_of(r.r);
    if (dom) *dom = r.r.domain;
    GRD_close(fd);
    return v;
}

bool exists(const std::string &path)
{
    struct stat s;
    return stat(path.c_str(), &s) == 0;
}

void expect_values(const std::vector<float> &got, const std::vector<float> &want, float tol = 1e-4f)
{
    ASSERT_EQ(got.size(), want.size());
    for (size_t k = 0; k < want.size(); k++) {
        if (VYK_is_miss(want[k])) EXPECT_EQ(got[k], M) << k;
        else EXPECT_NEAR(got[k], want[k], tol * (1 + std::fabs(want[k]))) << k;
    }
}

// The Coriolis parameter of the rows of the grids (1e-5 per second).
float coriolis(int row) { return static_cast<float>(14.584 * std::sin((40.25 - 1.5 * row) * M_PI / 180)); }

struct ResultCase {
    const char *words;  // the command; the result goes to {out.grd}
    std::vector<float> want;
};

TEST(GrdCmd, ResultsWritten)
{
    const float f0 = coriolis(0), f1 = coriolis(1);
    const ResultCase cases[] = {
        {"#10 sub {a.grd} = {out.grd}", {9, 8, 7, 6, 5, M}},
        {"{a.grd} add #5 {out.grd}", {6, 7, 8, 9, 10, M}},
        {"{a.grd} mul {b.grd} {out.grd}", {10, 40, 90, 160, 250, M}},
        {"{b.grd} div {a.grd} = {out.grd}", {10, 10, 10, 10, 10, M}},
        {"#cor sub {a.grd} = {out.grd}", {f0 - 1, f0 - 2, f0 - 3, f1 - 4, f1 - 5, M}},
        {"{b.grd} div #COR = {out.grd}", {10 / f0, 20 / f0, 30 / f0, 40 / f1, 50 / f1, 60 / f1}},
        {"avg {a.grd} {b.grd} {c.grd} = {out.grd}", {37, 74, 111, 148, 185, M}},
        // The average divides by the grids read: the missing file does not count.
        {"avg {a.grd} {b.grd} {none.grd} = {out.grd}", {5.5f, 11, 16.5f, 22, 27.5f, M}},
        // A grid of another size is left out (and not counted).
        {"avg {a.grd} {small.grd} = {out.grd}", {1, 2, 3, 4, 5, M}},
        {"max {a.grd} {b.grd} {c.grd} = {out.grd}", {100, 200, 300, 400, 500, M}},
        {"min {c.grd} {b.grd} = {out.grd}", {10, 20, 30, 40, 50, 60}},
        {"sum {b.grd} {c.grd} {b.grd} = {out.grd}", {120, 240, 360, 480, 600, 720}},
        {"sqrt {b.grd} = {out.grd}", {std::sqrt(10.f), std::sqrt(20.f), std::sqrt(30.f),
                                      std::sqrt(40.f), std::sqrt(50.f), std::sqrt(60.f)}},
        {"pow {a.grd} #2 = {out.grd}", {1, 4, 9, 16, 25, M}},
        {"sub {c.grd} {b.grd} = {out.grd}", {90, 180, 270, 360, 450, 540}},
        {"unit {b.grd} C = {out.grd}", {10 - 273.15f, 20 - 273.15f, 30 - 273.15f, 40 - 273.15f,
                                        50 - 273.15f, 60 - 273.15f}},
        {"remap {b.grd} ll,39.5,-101,3,2,1.5,1.5 = {out.grd}", {10, 20, 30, 40, 50, 60}},
        {"cutoff {a.grd} lower 3 0 = {out.grd}", {0, 0, 3, 4, 5, M}},
        {"cutoff {a.grd} higher 3 0 {out.grd}", {1, 2, 3, 0, 0, M}},
    };
    for (const ResultCase &c : cases) {
        SCOPED_TRACE(c.words);
        Files f;
        const vyktest::RunResult r = calc(f, c.words);
        EXPECT_EQ(r.status, 0) << r.err;
        expect_values(values(f.path("out.grd")), c.want);
    }
}

TEST(GrdCmd, PiecesMakeAMosaic)
{
    Files f;
    const vyktest::RunResult r = calc(f, "piece 2x2 {a.grd} {b.grd} {c.grd} {a.grd} = {out.grd}");
    ASSERT_EQ(r.status, 0) << r.err;
    Domain d;
    const std::vector<float> v = values(f.path("out.grd"), &d);
    ASSERT_EQ(d.nx, 5);
    ASSERT_EQ(d.ny, 3);
    // Pieces share their edges: the second of a row starts on the first one's last column.
    EXPECT_EQ(v[0], 1);
    EXPECT_EQ(v[4], 30);
    EXPECT_EQ(v[2 * 5 + 0], 400);
    EXPECT_EQ(v[2 * 5 + 4], M);
}

struct PrintCase {
    const char *words;
    const char *opts;
    int status;
    const char *out;  // the whole standard output, or NULL: only a part checked
    const char *part;
};

TEST(GrdCmd, PrintingForms)
{
    const PrintCase cases[] = {
        {"max {a.grd} =", "", 0, "5.000000 \n", nullptr},
        {"maxmin {a.grd} =", "", 0, "5.000000 1.000000 \n", nullptr},
        {"min {m.grd} =", "", 0, "-- \n", nullptr},
        {"avg {b.grd} =", "", 0, "35.000000 \n", nullptr},
        {"info {a.grd} =", "", 0, nullptr, "Domain: "},
        {"domain {a.grd} =", "", 0, nullptr, "Domain: "},
        {"info {a.grd}", "", 1, "", nullptr},
        {"val {b.grd} 1,1 ll 39.5,-101 id=KGLD 0.5,0", "", 0, nullptr,
         "50.000000\n35.000000\n"},
        {"val {b.grd} 2,0", "-fm %.2f", 0, "30.00\n", nullptr},
        {"val {b.grd} 2,0", "-fm %s%n", 0, "30.000000\n", nullptr},
        {"val {b.grd} 2,0 x", "", 1, nullptr, "30.000000\n"},
        {"loc {a.grd} 1,0", "", 0, "40.250000 -101.000000\n", nullptr},
        {"loc {a.grd} ll 39.5,-101", "", 0, "1.000000 0.500000\n", nullptr},
        {"loc {a.grd} abc", "", 1, "", nullptr},
    };
    for (const PrintCase &c : cases) {
        SCOPED_TRACE(c.words);
        Files f;
        const vyktest::RunResult r = calc(f, c.words, c.opts);
        EXPECT_EQ(r.status, c.status) << r.err;
        if (c.out) {
            EXPECT_EQ(r.out, c.out);
        }
        if (c.part) {
            EXPECT_TRUE(vyktest::has(r.out, c.part)) << r.out;
        }
    }
}

// The value at a station: Goodland's grid position on the latitude-longitude grid.
TEST(GrdCmd, StationValue)
{
    Files f;
    const vyktest::RunResult r = calc(f, "val {b.grd} id KGLD");
    ASSERT_EQ(r.status, 0) << r.err;
    const float gx = (-101.70f + 102.5f) / 1.5f, gy = (40.25f - 39.37f) / 1.5f;
    const float want = (1 - gy) * ((1 - gx) * 10 + gx * 20) + gy * ((1 - gx) * 40 + gx * 50);
    EXPECT_NEAR(std::stof(r.out), want, 1e-3);
}

// Refusals: nothing is written and the status says so.
TEST(GrdCmd, RefusalsWriteNothing)
{
    const char *const cases[] = {
        "{a.grd} add {small.grd} = {out.grd}",   // grids of different sizes
        "{a.grd} add {none.grd} = {out.grd}",    // an operand that cannot be read
        "grad {a.grd} {b.grd} = {out.grd}",      // two outputs
        "vdiff {a.grd} {b.grd} = {out.grd}",
        "wind {a.grd} {b.grd} = {out.grd}",      // a plotting marker computes nothing
        "mul {a.grd} {b.grd} {c.grd} {a.grd} = {out.grd}",  // more operands than slots
        "nosuch {a.grd} {b.grd} = {out.grd}",    // not a function
        "sqrt {none.grd} = {out.grd}",
        "atan2 {a.grd} {none.grd} = {out.grd}",  // a function's operand that cannot be read
        "sum {a.grd} = {out.grd}",               // a reduction without files
        "piece 2x2 {a.grd} {b.grd} {c.grd}",     // too few pieces
        "piece 2y2 {a.grd} {b.grd} {c.grd} {a.grd} {out.grd}",
        "piece 1000x1000 {a.grd} {b.grd} {c.grd} {a.grd} {out.grd}",
        "unit {a.grd}",
        "unit {a.grd} furlongs = {out.grd}",     // units that do not convert
        "remap {a.grd} nodomain = {out.grd}",
        "cutoff {a.grd} lower 3 0",               // no output word
        "cutoff {a.grd} lower x 0 {out.grd}",
        "{a.grd} add",
        "{a.grd} add #5 {a.grd}/out.grd",         // an output that cannot be written
        "{a.grd} add exit = {out.grd}",           // the word that ends a prompt is no operand
        "{a.grd} add EXIT#2024 = {out.grd}",
    };
    for (const char *words : cases) {
        SCOPED_TRACE(words);
        Files f;
        const vyktest::RunResult r = calc(f, words);
        EXPECT_EQ(r.status, 1) << r.out;
        EXPECT_FALSE(exists(f.path("out.grd")));
    }
}

// Without an output word the result goes to the standard output as a text grid file.
TEST(GrdCmd, StandardOutputByDefault)
{
    Files f;
    const vyktest::RunResult r = calc(f, "#10 sub {a.grd}");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(vyktest::has(r.out, "VYKGRID")) << r.out;
}

// The value format of text output comes from "grdfmt" only when it is one numeric conversion.
TEST(GrdCmd, GridFormat)
{
    Files f;
    vyktest::RunResult r = calc(f, "{a.grd} add #0.5 {out.grd}", "-pa grdfmt=%9.3f");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(vyktest::has(vyktest::read_file(f.path("out.grd")), "    1.500")) << vyktest::read_file(f.path("out.grd"));
    r = calc(f, "{a.grd} add #0.5 {out2.grd}", "-pa grdfmt=%s%n");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(vyktest::has(r.err, "GRD_set_format: not one numeric conversion")) << r.err;
    expect_values(values(f.path("out2.grd")), {1.5f, 2.5f, 3.5f, 4.5f, 5.5f, M});
}

// A result that cannot be written whole, in each output form, fails the command and leaves no
// file (the calculator never replaces an existing file in batch use, so the device is only
// refused).
TEST(GrdCmd, OutputsThatCannotBeWrittenFailAndLeaveNoFile)
{
    Files f;
    f.put("large.grd", std::vector<float>(40 * 40, 1.0f), 40, 40);
    const std::string calc =
        vyktest::tool("grid_calc") + " -fp " VYK_SOURCE_DIR "/etc -ba -me print,error,warn ";
    const std::string words = " " + f.path("large.grd") + " add '#5' = {}";
    vyktest::expect_outputs_fail_cleanly({
        {"netCDF", calc + "-of cdf" + words},
        {"text", calc + "-of vyk" + words},
        {"binary", calc + "-of vykb" + words},
    });
}

// In-process: fewer than 3 words, and reductions named otherwise, are refused.
TEST(GrdCmd, Arguments)
{
    char a[] = "max", b[] = "x";
    char *two[] = {a, b};
    EXPECT_EQ(GRD_math_command(2, two), 0);
    EXPECT_EQ(GRD_math_command(0, nullptr), 0);
    char *files[] = {b};
    EXPECT_EQ(GRD_math_file("thetae", files, 1), -1);
    EXPECT_EQ(GRD_math_file("nosuchname", files, 1), -1);
}

}  // namespace
