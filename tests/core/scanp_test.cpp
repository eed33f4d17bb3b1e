// Pattern scanner: directives, missing values, the cursor, and destinations that are never
// written past their size.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "test_util.h"
#include "vyk.h"

using vyktest::CaptureStdio;

namespace {

// Runs one pattern on a fresh cursor over a copy of the line.
struct Scan {
    char line[256];
    parse_param c{};
    explicit Scan(const char *text)
    {
        std::snprintf(line, sizeof line, "%s", text);
        scanp_set(&c, line);
    }
};

}  // namespace

TEST(Scanp, TextConversions)
{
    // untouched: the destination keeps its filler; size: the destination's size.
    struct Case {
        const char *line, *pattern;
        int result, len, done;
        const char *text;  // nullptr: destination untouched
        size_t size;
    } cases[] = {
        {"abcdef", "%<3s", 1, 3, 1, "abc", 64},
        {"ab cd", "%3s", 0, 0, 0, nullptr, 64},  // only 2 characters before the blank
        {"ab cd", "%s %s", 1, 3, 0, "ab", 64},  // second destination missing: stops there
        {"SW", "%(N|S|E|W)", 1, 1, 1, "S", 64},
        {"SW", "%(S|SW)", 1, 1, 1, "S", 64},  // the first alternative wins
        {"q", "%(a|b)", 0, 0, 0, nullptr, 64},
        {"q", "%<(a|b)", 1, 0, 1, nullptr, 64},  // optional: matched, nothing written
        {"abc", "%(|a)", 1, 0, 1, "", 64},       // the empty alternative always matches
        {"-x", "%!-x!(a|b)", 1, 2, 1, "", 64},   // the missing text is consumed
        {"-y", "%!-x!(a|b)", 1, 1, 1, "", 64},   // as far as it stands
        {"12.5x", "%[/N.]", 1, 4, 1, "12.5", 64},
        {"N12x", "%[/N]", 1, 3, 1, "N12", 64},  // the letter of a code is a member
        {"a/b1", "%[/A//]", 1, 3, 1, "a/b", 64},
        {"xyz 1", "%[^ ]", 1, 3, 1, "xyz", 64},
        {"x]", "%[]]", 0, 0, 0, nullptr, 64},  // the set ends at the first ']' and is empty
        {"abc123", "%A", 1, 3, 1, "abc", 64},
        {"123abc", "%N", 1, 3, 1, "123", 64},
        {" \t\nx", "%w", 1, 3, 1, " \t\n", 64},
        {" \t\nx", "%W", 1, 2, 1, " \t", 64},
        {"hello world", "%S", 1, 11, 1, "hello world", 64},
        {"ab", "x%s", 0, 0, 0, nullptr, 64},
        {"az", "a%*<3z", 0, 2, 1, nullptr, 64},  // unknown conversion: 'z' is a literal
        {"abc", "%(a|b", 0, 0, 0, nullptr, 64},  // unclosed alternatives
        {"abc", "%[abc", 0, 0, 0, nullptr, 64},  // unclosed set
        {"a  b", "a  b", 0, 3, 0, nullptr, 64},  // each pattern blank needs its own run
        // Over-long fields are cut to the destination and consumed whole.
        {"abcdefghijklmnop", "%S", 1, 16, 1, "abcdefg", 8},
        {"a-p-b", "%[a-p]", 1, 4, 1, "a-p-", 8},  // '-' is a literal member, not a range
        {"abcdefghijklmnop rest", "%A ", 1, 17, 1, "abc", 4},
        {"abcdef", "%(abcdef)", 1, 6, 1, "ab", 3},
        {"abcdef", "%s", 1, 6, 1, "", 1},
        {"abcdef", "%s", 1, 6, 1, nullptr, 0},
    };
    for (const Case &k : cases) {
        Scan s(k.line);
        char buf[128];
        std::memset(buf, '#', sizeof buf);
        buf[sizeof buf - 1] = '\0';
        EXPECT_EQ(scanp(&s.c, k.pattern, scanp_text(buf, k.size)), k.result) << k.pattern << " on " << k.line;
        EXPECT_EQ(s.c.len, k.len) << k.pattern << " on " << k.line;
        EXPECT_EQ(s.c.done, k.done) << k.pattern << " on " << k.line;
        if (k.text) {
            EXPECT_STREQ(buf, k.text) << k.pattern << " on " << k.line;
        } else {
            EXPECT_EQ(buf[0], '#') << k.pattern << " on " << k.line;
        }
        // Nothing beyond the destination's size is ever written.
        for (size_t i = k.size; i < sizeof buf - 1; ++i) ASSERT_EQ(buf[i], '#') << k.pattern << " on " << k.line;
        EXPECT_EQ(s.c.off, 0);  // scanp never moves the cursor
    }
}

TEST(Scanp, IntConversions)
{
    constexpr int UNTOUCHED = 12345;
    struct Case {
        const char *line, *pattern;
        int result, len, done, value;
    } cases[] = {
        {"42abc", "%d", 1, 2, 1, 42},
        {"-7 ", "%d ", 1, 3, 1, -7},
        {"123  ", "%5d", 0, 0, 0, UNTOUCHED},  // three digits are not five characters
        {"123  ", "%5D", 1, 5, 1, 123},        // trailing blanks belong to the column
        {"   12", "%5D", 1, 5, 1, 12},
        {"-x", "%d", 0, 0, 0, UNTOUCHED},
        {"--", "%!--!d", 1, 2, 1, -9999},
        {"-x", "%!--!d-x", 0, 2, 1, UNTOUCHED},  // passed over; the literals match in its place
        {"  -  ", "%5!-!D", 0, 0, 1, UNTOUCHED},  // the missing text must stand at the cursor
        {"99999999999", "%d", 0, 0, 0, UNTOUCHED},  // beyond the int range
        {"5", "%%d", 1, 1, 1, 5},  // two percent signs: the second begins a directive
        {"ab c", "ab %n", 1, 3, 1, 3},
        {"abc", "%n", 1, 0, 1, 0},
        {"12345", "%<3d", 1, 3, 1, 123},
        {"12", "%*d%n", 2, 2, 1, 2},  // '*' takes no destination
    };
    for (const Case &k : cases) {
        Scan s(k.line);
        int v = UNTOUCHED;
        EXPECT_EQ(scanp(&s.c, k.pattern, &v), k.result) << k.pattern << " on " << k.line;
        EXPECT_EQ(s.c.len, k.len) << k.pattern << " on " << k.line;
        EXPECT_EQ(s.c.done, k.done) << k.pattern << " on " << k.line;
        EXPECT_EQ(v, k.value) << k.pattern << " on " << k.line;
    }
}

TEST(Scanp, FloatConversions)
{
    constexpr float UNTOUCHED = 12345.0f;
    struct Case {
        const char *line, *pattern;
        int result, len, done;
        float value;
    } cases[] = {
        {"12.5 x", "%f ", 1, 5, 1, 12.5f},
        {"12.5", "%f ", 1, 4, 0, 12.5f},  // the last token: the pattern blank fails at the end
        {"1.5e3x", "%f", 1, 5, 1, 1500.0f},
        {"-2.5E-1", "%f", 1, 7, 1, -0.25f},
        {"2e", "%f", 1, 1, 1, 2.0f},   // no exponent digit: the letter is not consumed
        {"2e+x", "%f", 1, 1, 1, 2.0f},
        {"1.2.3", "%f", 1, 3, 1, 1.2f},  // a second point ends the number
        {".5", "%f", 1, 2, 1, 0.5f},
        {"  3.5  |", "%7F|", 1, 8, 1, 3.5f},
        {"-", "%f", 0, 0, 0, UNTOUCHED},
        {"-", "%!-!f", 1, 1, 1, -9999.0f},
        {"x", "%!-!f", 0, 0, 1, UNTOUCHED},  // passed over
        {"1e50", "%f", 0, 0, 0, UNTOUCHED},  // too large for a float
        {"1e-50", "%f", 1, 5, 1, 0.0f},
        {"12.5", "%5f", 0, 0, 0, UNTOUCHED},
    };
    for (const Case &k : cases) {
        Scan s(k.line);
        float v = UNTOUCHED;
        EXPECT_EQ(scanp(&s.c, k.pattern, &v), k.result) << k.pattern << " on " << k.line;
        EXPECT_EQ(s.c.len, k.len) << k.pattern << " on " << k.line;
        EXPECT_EQ(s.c.done, k.done) << k.pattern << " on " << k.line;
        EXPECT_EQ(v, k.value) << k.pattern << " on " << k.line;
    }
}

TEST(Scanp, MissingValuesAlongALine)
{
    Scan s("12.5 -  7");
    float a = 0, b = 0, c = 0;
    int n = 0;
    EXPECT_EQ(scanp(&s.c, "%!-!f %n%!-!f ", &a, &n, &b), 3);
    EXPECT_EQ(a, 12.5f);
    EXPECT_EQ(n, 5);
    EXPECT_EQ(b, -9999.0f);
    EXPECT_EQ(s.c.done, 1);
    EXPECT_EQ(s.c.assigned, 3);
    EXPECT_EQ(s.c.matched, 3);
    EXPECT_EQ(s.c.len, 8);
    scanp_inc(&s.c);
    EXPECT_EQ(scanp_get_off(&s.c), 8);
    EXPECT_EQ(scanp(&s.c, "%!-!f ", &c), 1);
    EXPECT_EQ(c, 7.0f);
    scanp_inc(&s.c);
    // At the end of the line nothing can be scanned.
    EXPECT_EQ(scanp(&s.c, "%f", &c), -1);
    EXPECT_EQ(s.c.matched, 0);
    scanp_off(&s.c, 0);
    EXPECT_EQ(scanp(&s.c, "", &c), -1);
}

TEST(Scanp, CharactersAndLongTokens)
{
    Scan s("abcdef");
    char buf[8];
    std::memset(buf, '#', sizeof buf);
    EXPECT_EQ(scanp(&s.c, "%c", buf), 1);  // one character, no terminator
    EXPECT_EQ(std::string(buf, 2), "a#");
    EXPECT_EQ(scanp(&s.c, "%3c", scanp_text(buf, 2)), 1);  // cut to the destination
    EXPECT_EQ(s.c.len, 3);
    EXPECT_EQ(std::string(buf, 3), "ab#");
    EXPECT_EQ(scanp(&s.c, "%9c", buf), 0);  // an exact width past the end of the line

    // %s takes at most 80 characters of a longer token.
    Scan l(std::string(100, 'x').c_str());
    char tok[81];
    char small[10];
    EXPECT_EQ(scanp(&l.c, "%s", tok), 1);
    EXPECT_EQ(l.c.len, 80);
    EXPECT_EQ(std::strlen(tok), 80u);
    EXPECT_EQ(scanp(&l.c, "%s ", small), 1);  // cut to 9 characters, 80 consumed
    EXPECT_EQ(std::string(small), std::string(9, 'x'));
    EXPECT_EQ(l.c.done, 0);
    // %S takes a whole 200-character line and stores what fits.
    char longline[256];
    std::memset(longline, 'y', 200);
    longline[200] = '\0';
    parse_param c{};
    scanp_set(&c, longline);
    EXPECT_EQ(scanp(&c, "%S", small), 1);
    EXPECT_EQ(c.len, 200);
    EXPECT_EQ(std::strlen(small), 9u);
}

TEST(Scanp, DestinationsMustSuitTheirDirectives)
{
    Scan s("12 34");
    float f = 0;
    int i = 0, j = 0;
    CaptureStdio cap;
    EXPECT_EQ(scanp(&s.c, "%d %d", &f), 0);  // a float for %d: nothing stored
    EXPECT_EQ(scanp(&s.c, "%d %d", &i), 1);  // too few destinations: the scan stops
    cap.finish();
    EXPECT_EQ(f, 0.0f);
    EXPECT_EQ(i, 12);
    EXPECT_EQ(s.c.done, 0);
    EXPECT_NE(cap.err().find("scanp: destination 1 does not suit %d"), std::string::npos) << cap.err();
    EXPECT_NE(cap.err().find("scanp: destination 2 does not suit %d"), std::string::npos) << cap.err();
    EXPECT_EQ(scanp(&s.c, "%d %d", &i, &j), 2);
    EXPECT_EQ(j, 34);
}

TEST(Scanp, CursorOperations)
{
    Scan s("abc def abc");
    scanp_off(&s.c, 8);
    EXPECT_STREQ(scanp_str(&s.c), "abc");
    EXPECT_EQ(scanp_search(&s.c, "abc"), 1);  // found before the cursor too
    EXPECT_EQ(scanp_get_off(&s.c), 0);
    EXPECT_EQ(scanp_search(&s.c, "def"), 1);
    EXPECT_EQ(scanp_get_off(&s.c), 4);
    EXPECT_EQ(scanp_search(&s.c, "xyz"), 0);
    EXPECT_EQ(scanp_get_off(&s.c), 4);
    scanp_inc_off(&s.c, 2);
    EXPECT_EQ(scanp_char(&s.c, 0), 'f');
    EXPECT_EQ(scanp_char(&s.c, -6), 'a');
    EXPECT_EQ(scanp_replace(&s.c, 0, 'X'), 'X');
    EXPECT_STREQ(s.line, "abc deX abc");
    // Outside the line there is nothing to read or write.
    EXPECT_EQ(scanp_char(&s.c, 100), 0);
    EXPECT_EQ(scanp_char(&s.c, -7), 0);
    EXPECT_EQ(scanp_replace(&s.c, 5, 'Z'), -1);
    EXPECT_EQ(scanp_replace(&s.c, -7, 'Z'), -1);
    EXPECT_STREQ(s.line, "abc deX abc");
    scanp_off(&s.c, 50);
    EXPECT_STREQ(scanp_str(&s.c), "");
    EXPECT_EQ(scanp(&s.c, "%s"), -1);
    scanp_off(&s.c, -3);
    EXPECT_EQ(scanp(&s.c, "%s"), -1);

    // A line cut short by a terminator written into it ends there.
    scanp_off(&s.c, 0);
    scanp_replace(&s.c, 3, '\0');
    char buf[16];
    EXPECT_EQ(scanp(&s.c, "%S", buf), 1);
    EXPECT_STREQ(buf, "abc");
}

TEST(Scanp, PrintAndTrace)
{
    Scan s("12 ab");
    int v = 0;
    MESS_set(11, 0x80000000);
    CaptureStdio cap;
    scanp(&s.c, "%d %d", &v, &v);
    scanp_print(&s.c);
    cap.finish();
    EXPECT_NE(cap.out().find("     : %d: ab:\n"), std::string::npos) << cap.out();
    EXPECT_NE(cap.out().find("SCANP:12 ab:%d %d:0:3:0:1:1\n"), std::string::npos) << cap.out();
    EXPECT_NE(cap.out().find("scanp:12 ab:3:0:1:1\n"), std::string::npos) << cap.out();
}
