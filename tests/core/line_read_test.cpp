// Line readers: lines, strings and raw strings read within a limit.
#include "line_scan.h"
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

using vyktest::scan_getnline;
using vyktest::scan_skipline;

struct Read {
    int result;
    std::string text;
};

/// Reads with fgetline until the end (and once more), recording results and texts.
std::vector<Read> all_lines(const std::string &content)
{
    vyktest::ByteStream s(content);
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
    vyktest::ByteStream s("last\n");
    char buf[FGETLINE_MAX + 1];
    ASSERT_EQ(fgetline(s.get(), buf), 4);
    strcpy(buf, "previous");
    EXPECT_EQ(fgetline(s.get(), buf), -1);
    EXPECT_STREQ(buf, "previous");
    for (int (*reader)(FILE *, char *, int) : {fgetnline, fgetstring, fget_rawstring}) {
        vyktest::ByteStream t("last\n");
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
    vyktest::ByteStream s(line + "\nnext\n");
    char buf[FGETLINE_MAX + 1];
    EXPECT_EQ(fgetnline(s.get(), buf, 160), 160);
    EXPECT_EQ(std::string(buf), line.substr(0, 160));
    EXPECT_EQ(fgetnline(s.get(), buf, 160), 40);
    EXPECT_EQ(std::string(buf), line.substr(160));
    EXPECT_EQ(fgetnline(s.get(), buf, 160), 4);
    EXPECT_STREQ(buf, "next");

    vyktest::ByteStream t(line + "\n");
    EXPECT_EQ(fgetline(t.get(), buf), 160);
    EXPECT_EQ(fgetline(t.get(), buf), 40);
    EXPECT_EQ(fgetline(t.get(), buf), -1);

    // A line of exactly the limit: its newline is skipped by the next read.
    vyktest::ByteStream u("abcd\nef\n");
    char small[5];
    EXPECT_EQ(fgetnline(u.get(), small, 4), 4);
    EXPECT_STREQ(small, "abcd");
    EXPECT_EQ(fgetnline(u.get(), small, 4), 2);
    EXPECT_STREQ(small, "ef");
}

TEST(LineRead, StringResults)
{
    vyktest::ByteStream s("word\n\nlast");
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
        vyktest::ByteStream s(c.line + "\n");
        char buf[64];
        EXPECT_EQ(fget_rawstring(s.get(), buf, 63), 1) << quote(c.line);
        EXPECT_EQ(std::string(buf), c.text) << quote(c.line);
    }
}

TEST(LineRead, SkipLine)
{
    vyktest::ByteStream s("first line\nsecond\n\nthird");
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

    vyktest::ByteStream t("no newline");
    EXPECT_EQ(fskipline(t.get()), -1);
    EXPECT_EQ(fgetline(t.get(), buf), -1);
}

TEST(LineRead, LimitOfZeroOrLessReadsNothing)
{
    vyktest::ByteStream s("abc\n");
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
                vyktest::ByteStream a(input), b(input);
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
