// Line readers, byte order and small numerics.
#include "test_util.h"
#include "vyk.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

using vyktest::quote;
using vyktest::run;
using vyktest::TempDir;

namespace {

/// A stream holding the given bytes, read from the start.
class Stream {
public:
    explicit Stream(const std::string &content)
    {
        fp_ = tmpfile();
        if (fp_ != nullptr) {
            fwrite(content.data(), 1, content.size(), fp_);
            rewind(fp_);
        }
    }
    ~Stream()
    {
        if (fp_ != nullptr)
            fclose(fp_);
    }
    Stream(const Stream &) = delete;
    Stream &operator=(const Stream &) = delete;
    FILE *get() const { return fp_; }

private:
    FILE *fp_ = nullptr;
};

// The readers as the scans "%N[^\n]%n" and "%*c%N[^\n]%n" define them; the readers must give
// exactly the same results, buffers and stream positions.
int scan_getnline(FILE *fp, char *buf, int n)
{
    char first[32], second[32];
    snprintf(first, sizeof first, "%%%d[^\n]%%n", n);
    snprintf(second, sizeof second, "%%*c%%%d[^\n]%%n", n);
    int count = 0;
    int r = fscanf(fp, first, buf, &count);
    if (r == 1)
        return count;
    if (r == EOF)
        return -1;
    r = fscanf(fp, second, buf, &count);
    if (r == 1)
        return count - 1;
    if (r == EOF)
        return -1;
    buf[0] = '\0';
    return 0;
}

int scan_skipline(FILE *fp)
{
    return fscanf(fp, "%*[^\n]%*c");
}

struct Read {
    int result;
    std::string text;
};

/// Reads with fgetline until the end (and once more), recording results and texts.
std::vector<Read> all_lines(const std::string &content)
{
    Stream s(content);
    std::vector<Read> reads;
    char buf[FGETLINE_MAX + 1] = "unset";
    for (int i = 0; i < 100; i++) {
        const int r = fgetline(s.get(), buf);
        reads.push_back({r, buf});
        if (r == -1)
            break;
    }
    return reads;
}

}  // namespace

TEST(LineRead, Convention)
{
    struct Case {
        std::string content;
        std::vector<Read> reads;
    };
    const Case cases[] = {
        {"A\n\nB\n", {{1, "A"}, {0, ""}, {1, "B"}, {-1, "B"}}},
        {"A\n\nB", {{1, "A"}, {0, ""}, {1, "B"}, {-1, "B"}}},
        // An empty line at the very start is not seen; a second one is.
        {"\nB\n", {{1, "B"}, {-1, "B"}}},
        {"\n\nB\n", {{0, ""}, {1, "B"}, {-1, "B"}}},
        {"", {{-1, "unset"}}},
        {"\n", {{-1, "unset"}}},
        {"\n\n", {{0, ""}, {-1, ""}}},
        {"abc", {{3, "abc"}, {-1, "abc"}}},
        {"one two\r\nthree\n", {{8, "one two\r"}, {5, "three"}, {-1, "three"}}},
        {"x\n\n\n", {{1, "x"}, {0, ""}, {0, ""}, {-1, ""}}},
    };
    for (const Case &c : cases) {
        const std::vector<Read> got = all_lines(c.content);
        ASSERT_EQ(got.size(), c.reads.size()) << quote(c.content);
        for (size_t i = 0; i < got.size(); i++) {
            EXPECT_EQ(got[i].result, c.reads[i].result) << quote(c.content) << " read " << i;
            EXPECT_EQ(got[i].text, c.reads[i].text) << quote(c.content) << " read " << i;
        }
    }
}

TEST(LineRead, EndAfterSkippedNewlineKeepsTheBuffer)
{
    Stream s("last\n");
    char buf[FGETLINE_MAX + 1];
    ASSERT_EQ(fgetline(s.get(), buf), 4);
    strcpy(buf, "previous");
    EXPECT_EQ(fgetline(s.get(), buf), -1);
    EXPECT_STREQ(buf, "previous");
    for (int (*reader)(FILE *, char *, int) : {fgetnline, fgetstring, fget_rawstring}) {
        Stream t("last\n");
        char b[16];
        ASSERT_GE(reader(t.get(), b, 10), 1);
        strcpy(b, "previous");
        EXPECT_EQ(reader(t.get(), b, 10), -1);
        EXPECT_STREQ(b, "previous");
    }
}

TEST(LineRead, LongLinesComeInPieces)
{
    const std::string line(200, 'q');
    Stream s(line + "\nnext\n");
    char buf[FGETLINE_MAX + 1];
    EXPECT_EQ(fgetnline(s.get(), buf, 160), 160);
    EXPECT_EQ(std::string(buf), line.substr(0, 160));
    EXPECT_EQ(fgetnline(s.get(), buf, 160), 40);
    EXPECT_EQ(std::string(buf), line.substr(160));
    EXPECT_EQ(fgetnline(s.get(), buf, 160), 4);
    EXPECT_STREQ(buf, "next");

    Stream t(line + "\n");
    EXPECT_EQ(fgetline(t.get(), buf), 160);
    EXPECT_EQ(fgetline(t.get(), buf), 40);
    EXPECT_EQ(fgetline(t.get(), buf), -1);

    // A line of exactly the limit: its newline is skipped by the next read.
    Stream u("abcd\nef\n");
    char small[5];
    EXPECT_EQ(fgetnline(u.get(), small, 4), 4);
    EXPECT_STREQ(small, "abcd");
    EXPECT_EQ(fgetnline(u.get(), small, 4), 2);
    EXPECT_STREQ(small, "ef");
}

TEST(LineRead, StringResults)
{
    Stream s("word\n\nlast");
    char buf[16] = "unset";
    EXPECT_EQ(fgetstring(s.get(), buf, 15), 1);
    EXPECT_STREQ(buf, "word");
    EXPECT_EQ(fgetstring(s.get(), buf, 15), 0);
    EXPECT_STREQ(buf, "");
    EXPECT_EQ(fgetstring(s.get(), buf, 15), 1);
    EXPECT_STREQ(buf, "last");
    EXPECT_EQ(fgetstring(s.get(), buf, 15), -1);
}

TEST(LineRead, RawStringCleaning)
{
    struct Case {
        std::string line, text;
    };
    const Case cases[] = {
        {"abc\r", "abc"},
        {"a\tb c", "a b c"},
        {"x\x01y\x1fz", "x y z"},
        {"caf\xc3\xa9!", "caf  !"},
        {"one\rtwo\r", "one"},
        {"del\x7f", "del\x7f"},
        {"\r", ""},
    };
    for (const Case &c : cases) {
        Stream s(c.line + "\n");
        char buf[64];
        EXPECT_EQ(fget_rawstring(s.get(), buf, 63), 1) << quote(c.line);
        EXPECT_EQ(std::string(buf), c.text) << quote(c.line);
    }
}

TEST(LineRead, SkipLine)
{
    Stream s("first line\nsecond\n\nthird");
    char buf[FGETLINE_MAX + 1];
    EXPECT_EQ(fskipline(s.get()), 0);  // the whole first line and its newline
    EXPECT_EQ(fgetline(s.get(), buf), 6);
    EXPECT_STREQ(buf, "second");
    // Standing at a newline nothing is skipped.
    EXPECT_EQ(fskipline(s.get()), 0);
    EXPECT_EQ(fskipline(s.get()), 0);
    EXPECT_EQ(fgetline(s.get(), buf), 0);
    EXPECT_EQ(fgetline(s.get(), buf), 5);
    EXPECT_STREQ(buf, "third");
    EXPECT_EQ(fskipline(s.get()), -1);

    Stream t("no newline");
    EXPECT_EQ(fskipline(t.get()), -1);
    EXPECT_EQ(fgetline(t.get(), buf), -1);
}

TEST(LineRead, LimitOfZeroOrLessReadsNothing)
{
    Stream s("abc\n");
    char buf[8] = "keep";
    for (int n : {0, -1, std::numeric_limits<int>::min()}) {
        EXPECT_EQ(fgetnline(s.get(), buf, n), -1);
        EXPECT_EQ(fgetstring(s.get(), buf, n), -1);
        EXPECT_EQ(fget_rawstring(s.get(), buf, n), -1);
        EXPECT_STREQ(buf, "keep");
    }
    EXPECT_EQ(fgetnline(s.get(), buf, 7), 3);
    EXPECT_STREQ(buf, "abc");
}

TEST(LineRead, SameAsTheScanFormats)
{
    const std::string inputs[] = {
        "", "\n", "\n\n", "\n\n\n", "A", "A\n", "A\nB", "A\n\nB\n", "\nB\n", "ab\ncd\n\nef",
        "abcdef\n", "abcdef", std::string("nul\0byte\n\0\nx", 13), "\r\n\r\n", "  lead\n\ttab\n",
        std::string(400, 'L') + "\n" + std::string(161, 'M') + "\n\n" + std::string(160, 'N'),
    };
    for (const std::string &input : inputs) {
        for (int n : {1, 2, 3, 6, 7, 160, 161}) {
            // Reads alone, and reads mixed with skips.
            for (int mix = 0; mix < 3; mix++) {
                Stream a(input), b(input);
                std::vector<char> abuf(n + 1, '#'), bbuf(n + 1, '#');
                for (int step = 0; step < 2000; step++) {
                    const bool skip = mix > 0 && step % (mix + 1) == 1;
                    int ra, rb;
                    if (skip) {
                        ra = fskipline(a.get());
                        rb = scan_skipline(b.get());
                    } else {
                        ra = fgetnline(a.get(), abuf.data(), n);
                        rb = scan_getnline(b.get(), bbuf.data(), n);
                    }
                    const std::string where = quote(input.substr(0, 20)) + " n " + std::to_string(n) +
                                              " mix " + std::to_string(mix) + " step " + std::to_string(step);
                    ASSERT_EQ(ra, rb) << where;
                    ASSERT_EQ(abuf, bbuf) << where;
                    ASSERT_EQ(ftell(a.get()), ftell(b.get())) << where;
                    if (ra == -1)
                        break;
                }
            }
        }
    }
}

TEST(Swap, SetupAndReaders)
{
    const int one = 1;
    unsigned char first;
    memcpy(&first, &one, 1);
    ASSERT_EQ(first, 1) << "the expected values are for a little-endian host";
    const std::string bytes("\x00\x00\x01\x00", 4);
    struct Case {
        int flag;
        int32_t value;
    };
    const Case cases[] = {{1, 256}, {2, 65536}, {-1, 65536}, {0, 256}, {7, 256}};
    for (const Case &c : cases) {
        swap_setup(c.flag);
        Stream s(bytes);
        int32_t v = 0;
        EXPECT_EQ(fread_long_swap(&v, s.get()), 1);
        EXPECT_EQ(v, c.value) << "flag " << c.flag;
    }
}

TEST(Swap, InPlace)
{
    swap_setup(0);
    uint16_t s = 0x0102;
    EXPECT_EQ(swap_short(&s), 0);
    EXPECT_EQ(s, 0x0201);
    uint32_t l = 0x01020304;
    EXPECT_EQ(swap_long(&l), 0);
    EXPECT_EQ(l, 0x04030201u);
    uint64_t d = 0x0102030405060708ull;
    EXPECT_EQ(swap_double(&d), 0);
    EXPECT_EQ(d, 0x0807060504030201ull);
    uint16_t shorts[3] = {0x0102, 0x0304, 0x0506};
    EXPECT_EQ(swap_shorts(shorts, 3), 0);
    EXPECT_EQ(shorts[0], 0x0201);
    EXPECT_EQ(shorts[2], 0x0605);
    uint32_t longs[2] = {0x01020304, 0x0a0b0c0d};
    EXPECT_EQ(swap_longs(longs, 2), 0);
    EXPECT_EQ(longs[0], 0x04030201u);
    EXPECT_EQ(longs[1], 0x0d0c0b0au);

    swap_setup(-1);
    l = 0x01020304;
    EXPECT_EQ(swap_long(&l), -1);
    EXPECT_EQ(l, 0x01020304u);
    EXPECT_EQ(swap_short(&s), -1);
    EXPECT_EQ(swap_double(&d), -1);
    EXPECT_EQ(swap_longs(longs, 2), -1);
    EXPECT_EQ(longs[0], 0x04030201u);
}

TEST(Swap, WritersGiveBigEndianBytesCheckedByOd)
{
    TempDir dir;
    const std::string name = dir.file("big.bin");
    swap_setup(1);
    FILE *fp = fopen(name.c_str(), "wb");
    ASSERT_NE(fp, nullptr);
    int32_t values[] = {0x01020304, 256, -2, 2147483647};
    for (int32_t &v : values) {
        const int32_t before = v;
        EXPECT_EQ(fwrite_long_swap(&v, fp), 1);
        int32_t expect_swapped = before;
        swap_long(&expect_swapped);
        EXPECT_EQ(v, expect_swapped);  // the caller's value stays swapped
    }
    int16_t shorts[] = {0x0a0b, -300};
    for (int16_t &v : shorts)
        EXPECT_EQ(fwrite_short_swap(&v, fp), 1);
    fclose(fp);

    const vyktest::RunResult hex = run("od -An -tx1 -v " + quote(name) + " | tr -s ' \\n' ' '");
    EXPECT_EQ(hex.out, " 01 02 03 04 00 00 01 00 ff ff ff fe 7f ff ff ff 0a 0b fe d4 ");
    const vyktest::RunResult longs =
        run("head -c 16 " + quote(name) + " | od --endian=big -An -td4 | tr -s ' \\n' ' '");
    EXPECT_EQ(longs.out, " 16909060 256 -2 2147483647 ");
    const vyktest::RunResult two =
        run("tail -c 4 " + quote(name) + " | od --endian=big -An -td2 | tr -s ' \\n' ' '");
    EXPECT_EQ(two.out, " 2571 -300 ");

    // Read back through the swapping readers.
    fp = fopen(name.c_str(), "rb");
    ASSERT_NE(fp, nullptr);
    for (int32_t expected : {0x01020304, 256, -2, 2147483647}) {
        int32_t v = 0;
        EXPECT_EQ(fread_long_swap(&v, fp), 1);
        EXPECT_EQ(v, expected);
    }
    for (int16_t expected : {int16_t{0x0a0b}, int16_t{-300}}) {
        int16_t v = 0;
        EXPECT_EQ(fread_short_swap(&v, fp), 1);
        EXPECT_EQ(v, expected);
    }
    int16_t v = 77;
    EXPECT_EQ(fread_short_swap(&v, fp), 0);
    EXPECT_EQ(v, 77);
    fclose(fp);
}

TEST(Swap, UnswappedWriterGivesHostOrder)
{
    TempDir dir;
    const std::string name = dir.file("little.bin");
    swap_setup(2);  // little-endian data on a little-endian host: nothing to swap
    FILE *fp = fopen(name.c_str(), "wb");
    ASSERT_NE(fp, nullptr);
    int32_t v = 0x01020304;
    EXPECT_EQ(fwrite_long_swap(&v, fp), 1);
    EXPECT_EQ(v, 0x01020304);
    fclose(fp);
    EXPECT_EQ(run("od --endian=little -An -td4 " + quote(name) + " | tr -d ' \\n'").out, "16909060");
}

TEST(Swap, DoubleReaderAgainstOd)
{
    TempDir dir;
    const std::string name = dir.file("d.bin");
    // Big-endian bytes of -1.5 and 1e300, written by printf and checked with od.
    ASSERT_EQ(run("printf '\\277\\370\\000\\000\\000\\000\\000\\000\\176\\067\\344\\074\\210\\000\\165\\234' > " +
                  quote(name)).status, 0);
    EXPECT_EQ(run("od --endian=big -An -tf8 " + quote(name) + " | tr -s ' \\n' ' '").out, " -1.5 1e+300 ");
    swap_setup(1);
    FILE *fp = fopen(name.c_str(), "rb");
    ASSERT_NE(fp, nullptr);
    double d = 0;
    EXPECT_EQ(fread_double_swap(&d, fp), 1);
    EXPECT_EQ(d, -1.5);
    EXPECT_EQ(fread_double_swap(&d, fp), 1);
    EXPECT_EQ(d, 1e300);
    d = 4.0;
    EXPECT_EQ(fread_double_swap(&d, fp), 0);
    EXPECT_EQ(d, 4.0);
    fclose(fp);
}

TEST(Swap, PartialValueLeavesTheCallersValue)
{
    Stream s(std::string("\x01\x02", 2));
    swap_setup(1);
    int32_t v = 12345;
    EXPECT_EQ(fread_long_swap(&v, s.get()), 0);
    EXPECT_EQ(v, 12345);
}

TEST(Numeric, Float2Int)
{
    struct Case {
        float x;
        int code;
    };
    const Case cases[] = {
        {0.0f, 0},      {5.0f, 50},     {25.0f, 125},   {250.0f, 225},  {2500.0f, 325},
        {-25.0f, -125}, {0.25f, 950},   {0.5f, 900},    {7.3f, 73},     {-0.25f, -950},
        {1.0f, 10},     {10.0f, 110},   {99.0f, 199},   {0.05f, 800},   {0.025f, 850},   {-0.0f, 0},
        {1234.0f, 312},
    };
    for (const Case &c : cases)
        EXPECT_EQ(float2int(c.x), c.code) << c.x;
    // Not finite: no code.
    EXPECT_EQ(float2int(std::numeric_limits<float>::infinity()), VYK_MISS);
    EXPECT_EQ(float2int(-std::numeric_limits<float>::infinity()), VYK_MISS);
    EXPECT_EQ(float2int(std::numeric_limits<float>::quiet_NaN()), VYK_MISS);
    // The extremes of float stay in range.
    EXPECT_EQ(float2int(std::numeric_limits<float>::max()), 3834);
    const int tiny = float2int(std::numeric_limits<float>::denorm_min());
    EXPECT_GT(tiny, -10000);
    EXPECT_LT(tiny, 10000);
}

TEST(Numeric, LinearInterpAndFswap)
{
    EXPECT_EQ(linear_interp(5, 0, 10, 100, 200), 150.0f);
    EXPECT_EQ(linear_interp(0, 0, 10, 100, 200), 100.0f);
    EXPECT_EQ(linear_interp(10, 0, 10, 100, 200), 200.0f);
    EXPECT_EQ(linear_interp(-5, 0, 10, 100, 200), 50.0f);
    EXPECT_EQ(linear_interp(850, 1000, 700, 20, -10), 5.0f);
    // Float arithmetic: (x - x1) * (y2 - y1) / (x2 - x1) + y1 rounded at every step.
    const float x = 0.1f, x1 = 0.0f, x2 = 0.3f, y1 = 1.0f, y2 = 2.0f;
    const float step1 = x - x1, step2 = y2 - y1, step3 = x2 - x1;
    const float product = step1 * step2;
    const float quotient = product / step3;
    EXPECT_EQ(linear_interp(x, x1, x2, y1, y2), quotient + y1);

    float a = 1.5f, b = -2.0f;
    EXPECT_EQ(fswap(&a, &b), 0);
    EXPECT_EQ(a, -2.0f);
    EXPECT_EQ(b, 1.5f);
}
