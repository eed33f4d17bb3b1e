// String utilities and word lists.
#include "vyk.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace {

using Words = std::vector<std::string>;

/// The fields of a word list of count entries.
Words words_of(int count, char **list)
{
    Words w;
    for (int i = 0; i < count; i++) w.emplace_back(list[i]);
    return w;
}

/// Printable form of a text with control and high bytes, for traces.
std::string show(const char *s)
{
    if (!s) return "(null)";
    std::string out;
    for (const char *p = s; *p; p++) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c < 32 || c > 126) {
            char hex[8];
            snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// In-place editing
// ---------------------------------------------------------------------------------------------

TEST(StringUtil, InPlaceEditing)
{
    struct Case {
        const char *name;
        std::function<int(char *)> op;
        const char *in;
        const char *out;
        int result;
    };
    const std::vector<Case> cases = {
        {"fill_string", [](char *s) { return fill_string(s, ',', ' '); }, "a,b,,c", "a b  c", 0},
        {"strip_string", [](char *s) { return strip_string(s, ','); }, ",a,b,,c,", "abc", 0},
        {"wsstrip_string", [](char *s) { return wsstrip_string(s); }, "a\r\nb \n", "ab ", 1},
        {"wstrim_string", [](char *s) { return wstrim_string(s); }, "line one  \r\n", "line one", 1},
        {"wstrim_string inner", [](char *s) { return wstrim_string(s); }, "a \rb \n ", "a b", 1},
        {"trim_string", [](char *s) { return trim_string(s); }, " ab c  ", " ab c", 0},
        {"trim_string blanks", [](char *s) { return trim_string(s); }, "   ", "", 0},
        {"trim_string tab kept", [](char *s) { return trim_string(s); }, "ab\t ", "ab\t", 0},
        {"trim_cr_string", [](char *s) { return trim_cr_string(s); }, "a\rb\r\r", "a\rb", 0},
        {"strip_spaces", [](char *s) { return strip_spaces(s); }, "   a   b c  ", " a b c", 0},
        {"strip_spaces plain", [](char *s) { return strip_spaces(s); }, "a b", "a b", 0},
        {"strip_escape", [](char *s) { return strip_escape(s); }, "a\\,b\\\\c\\n", "a,b\\cn", 0},
        {"strip_escape at end", [](char *s) { return strip_escape(s); }, "ab\\", "ab", 0},
        {"shift_string -2", [](char *s) { return shift_string(s, -2); }, "abcdef", "cdef", 0},
        {"shift_string 2", [](char *s) { return shift_string(s, 2); }, "abcdef", "abcd", 0},
        {"shift_string 0", [](char *s) { return shift_string(s, 0); }, "abcdef", "abcdef", 0},
        {"shift_string 6", [](char *s) { return shift_string(s, 6); }, "abcdef", "", 0},
        {"shift_string -9", [](char *s) { return shift_string(s, -9); }, "abcdef", "", 0},
        {"shift_string INT_MIN", [](char *s) { return shift_string(s, INT_MIN); }, "abcdef", "", 0},
        {"shift_string INT_MAX", [](char *s) { return shift_string(s, INT_MAX); }, "abcdef", "", 0},
        {"up_string", [](char *s) { return up_string(s); }, "aBz1-\xE4", "ABZ1-\xE4", 1},
        {"up_string empty", [](char *s) { return up_string(s); }, "", "", 0},
        {"low_string", [](char *s) { return low_string(s); }, "AbZ1-\xC4", "abz1-\xC4", 1},
        {"low_string empty", [](char *s) { return low_string(s); }, "", "", 0},
        {"clean_line", [](char *s) { return clean_line(s); }, "a\tb\x80" "c\x7F" "d\r\n", "a b c\x7F" "d", 1},
        {"clean_line control only", [](char *s) { return clean_line(s); }, "\n\r", "", 1},
        {"clean_line high byte at end", [](char *s) { return clean_line(s); }, "ab\xFF", "ab ", 1},
        {"clean_line empty", [](char *s) { return clean_line(s); }, "", "", 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.name) + " of \"" + show(c.in) + "\"");
        std::vector<char> buf(c.in, c.in + strlen(c.in) + 1);
        EXPECT_EQ(c.op(buf.data()), c.result);
        EXPECT_EQ(show(buf.data()), show(c.out));
    }
}

TEST(StringUtil, InPlaceEditingAcceptsNull)
{
    EXPECT_EQ(fill_string(nullptr, 'a', 'b'), 0);
    EXPECT_EQ(strip_string(nullptr, 'a'), 0);
    EXPECT_EQ(trim_string(nullptr), 0);
    EXPECT_EQ(strip_spaces(nullptr), 0);
    EXPECT_EQ(strip_escape(nullptr), 0);
    EXPECT_EQ(shift_string(nullptr, 3), 0);
    EXPECT_EQ(up_string(nullptr), 0);
    EXPECT_EQ(low_string(nullptr), 0);
    EXPECT_EQ(clean_line(nullptr), 0);
}

// ---------------------------------------------------------------------------------------------
// Tests
// ---------------------------------------------------------------------------------------------

TEST(StringUtil, CharacterClassTests)
{
    struct Case {
        const char *name;
        int (*op)(const char *);
        const char *text;
        int expected;
    };
    const std::vector<Case> cases = {
        {"string_is_float", string_is_float, "1.5", 1},
        {"string_is_float", string_is_float, "1E5", 1},
        {"string_is_float", string_is_float, "1e5", 0},
        {"string_is_float", string_is_float, "125", 0},
        {"string_is_float", string_is_float, "", 0},
        {"string_is_float", string_is_float, nullptr, 0},
        {"string_is_alpha", string_is_alpha, "abcXYZ", 1},
        {"string_is_alpha", string_is_alpha, "ab1", 0},
        {"string_is_alpha", string_is_alpha, "a b", 0},
        {"string_is_alpha", string_is_alpha, "\xE4", 0},
        {"string_is_alpha", string_is_alpha, "", 0},
        {"string_is_alpha", string_is_alpha, nullptr, 0},
        {"string_is_num", string_is_num, "0123", 1},
        {"string_is_num", string_is_num, "-12", 1},
        {"string_is_num", string_is_num, "-", 1},
        {"string_is_num", string_is_num, "+12", 0},
        {"string_is_num", string_is_num, "12 ", 0},
        {"string_is_num", string_is_num, "1.2", 0},
        {"string_is_num", string_is_num, "1-2", 0},
        {"string_is_num", string_is_num, "", 0},
        {"string_is_num", string_is_num, nullptr, 0},
        {"string_is_blank", string_is_blank, " \t\x01", 1},
        {"string_is_blank", string_is_blank, " \xA0\xFF", 1},
        {"string_is_blank", string_is_blank, "  a", 0},
        {"string_is_blank", string_is_blank, "", 1},
        {"string_is_blank", string_is_blank, nullptr, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.name) + " of \"" + show(c.text) + "\"");
        EXPECT_EQ(c.op(c.text), c.expected);
    }

    struct LenCase {
        const char *text;
        int n;
        int expected;
    };
    const std::vector<LenCase> len_cases = {
        {"12ab", 2, 1}, {"12ab", 3, 0}, {"1", 3, 0}, {"123", 3, 1}, {"", 2, 0}, {nullptr, 2, 0},
    };
    for (const LenCase &c : len_cases) {
        SCOPED_TRACE(std::string("string_is_num_len of \"") + show(c.text) + "\", " + std::to_string(c.n));
        EXPECT_EQ(string_is_num_len(c.text, c.n), c.expected);
    }
}

// ---------------------------------------------------------------------------------------------
// Allocation and word lists
// ---------------------------------------------------------------------------------------------

TEST(StringUtil, CreateStringAndStrcat)
{
    char *s = create_string("abc");
    ASSERT_NE(s, nullptr);
    EXPECT_STREQ(s, "abc");
    free(s);
    EXPECT_EQ(create_string(nullptr), nullptr);

    s = create_strcat("a,b", ",", "c");
    ASSERT_NE(s, nullptr);
    EXPECT_STREQ(s, "a,b,c");
    free(s);
    s = create_strcat("", "", "");
    ASSERT_NE(s, nullptr);
    EXPECT_STREQ(s, "");
    free(s);
    EXPECT_EQ(create_strcat("a", ",", nullptr), nullptr);
    // A missing old text or delimiter counts as empty.
    s = create_strcat(nullptr, nullptr, "c");
    ASSERT_NE(s, nullptr);
    EXPECT_STREQ(s, "c");
    free(s);
}

TEST(StringUtil, ParseStringCases)
{
    struct Case {
        const char *text;
        char delim;
        int rc;
        Words fields;
    };
    const std::vector<Case> cases = {
        {"a,,b,", ',', 0, {"a", "", "b"}},
        {",a", ',', 0, {"", "a"}},
        {",,,", ',', 0, {""}},
        {",", ',', 0, {""}},
        {"abc", ',', 0, {"abc"}},
        {" a , b ,, c,,,", ',', 0, {" a ", " b ", "", " c"}},
        {"\"a,b\",c\\,d", ',', 0, {"\"a", "b\"", "c\\", "d"}},
        {"one two  three", ' ', 0, {"one", "two", "", "three"}},
        {"line1\nline2\n", '\n', 0, {"line1", "line2"}},
        {"a,b", '\0', 0, {"a,b"}},
        {"", ',', -1, {}},
        {nullptr, ',', -1, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string("parse_string of \"") + show(c.text) + "\" at '" + show(std::string(1, c.delim).c_str()) + "'");
        int count = 99;
        char **list = reinterpret_cast<char **>(&count);  // must be reset
        EXPECT_EQ(parse_string(c.text, c.delim, &count, &list), c.rc);
        if (c.rc != 0) {
            EXPECT_EQ(count, 0);
            EXPECT_EQ(list, nullptr);
            continue;
        }
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(count, static_cast<int>(c.fields.size()));
        EXPECT_EQ(words_of(count, list), c.fields);
        EXPECT_EQ(free_parsed_array(count, list), 0);
    }
}

TEST(StringUtil, ParseStringEntriesPointIntoOneCopy)
{
    const char text[] = "ab,cd,,e";
    int count = 0;
    char **list = nullptr;
    ASSERT_EQ(parse_string(text, ',', &count, &list), 0);
    ASSERT_EQ(count, 4);
    EXPECT_NE(list[0], text);
    EXPECT_EQ(list[1], list[0] + 3);
    EXPECT_EQ(list[2], list[0] + 6);
    EXPECT_EQ(list[3], list[0] + 7);
    EXPECT_STREQ(text, "ab,cd,,e");  // the caller's text is untouched
    // The fields may be changed in place; releasing frees the copy and the array only.
    list[1][0] = 'X';
    EXPECT_STREQ(list[1], "Xd");
    EXPECT_EQ(free_parsed_array(count, list), 0);
}

TEST(StringUtil, ParseCommandCases)
{
    struct Case {
        const char *text;
        int rc;
        Words words;
    };
    const std::vector<Case> cases = {
        {"  one   two  ", 0, {"one", "two"}},
        {"say \"hello world\"", 0, {"say", "hello world"}},
        {"say \"hello  world\" again", 0, {"say", "hello  world", "again"}},
        {"   ", 0, {""}},
        {"single", 0, {"single"}},
        {"\"a b\" c", 0, {"\"a", "b\"", "c"}},            // the first word is taken as it stands
        {"cmd \"unclosed phrase  ", 0, {"cmd", "unclosed phrase"}},
        {"a \"b\"c d", 0, {"a", "b", "c", "d"}},          // a character after a closing quote
        {"a \"b\"\"c d\" e", 0, {"a", "b", "c d", "e"}},  // a quote right after a closing quote
        {"a \"\" b", 0, {"a", "", "b"}},
        {"a \"", 0, {"a", ""}},
        {"x mid\"quote y\"", 0, {"x", "mid\"quote", "y\""}},
        {"a\tb  c", 0, {"a\tb", "c"}},                   // only the space separates
        {"", -1, {}},
        {nullptr, -1, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string("parse_command of \"") + show(c.text) + "\"");
        int count = 99;
        char **list = nullptr;
        EXPECT_EQ(parse_command(c.text, &count, &list), c.rc);
        if (c.rc != 0) {
            EXPECT_EQ(count, 0);
            continue;
        }
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(count, static_cast<int>(c.words.size()));
        EXPECT_EQ(words_of(count, list), c.words);
        EXPECT_EQ(list[count], nullptr);
        EXPECT_EQ(free_parsed_array(count, list), 0);
    }
}

TEST(StringUtil, ParseCommandEntriesPointIntoOneCopy)
{
    int count = 0;
    char **list = nullptr;
    ASSERT_EQ(parse_command("  ab  \"c d\" e", &count, &list), 0);
    ASSERT_EQ(count, 3);
    EXPECT_STREQ(list[0], "ab");
    EXPECT_EQ(list[1], list[0] + 5);  // just after the opening quote
    EXPECT_EQ(list[2], list[0] + 10);
    EXPECT_EQ(list[3], nullptr);
    free_parsed_array(count, list);
}

TEST(StringUtil, ParseCommandLineCases)
{
    struct Case {
        const char *command;
        const char *text;
        int rc;
        Words words;
    };
    const std::vector<Case> cases = {
        {"ls", "  -l   file ", 0, {"ls", "-l", "file"}},
        {"cmd", "", 0, {"cmd"}},
        {"cmd", "\"x y\" z", 0, {"cmd", "x y", "z"}},
        {"", "a b", 0, {"a", "b"}},
        {"  ", "  a", 0, {"a"}},
        {"", "   ", 0, {""}},
        {nullptr, "a", 0, {"a"}},
        {"", "", -1, {}},
        {"cmd", nullptr, -1, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string("parse_command_line of \"") + show(c.command) + "\", \"" + show(c.text) + "\"");
        int count = 99;
        char **list = nullptr;
        EXPECT_EQ(parse_command_line(c.command, c.text, &count, &list), c.rc);
        if (c.rc != 0) {
            EXPECT_EQ(count, 0);
            continue;
        }
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(words_of(count, list), c.words);
        EXPECT_EQ(list[count], nullptr);
        free_parsed_array(count, list);
    }
}

TEST(StringUtil, FreeParsedArrayIgnoresEmptyLists)
{
    EXPECT_EQ(free_parsed_array(0, nullptr), 0);
    EXPECT_EQ(free_parsed_array(3, nullptr), 0);
    int count = 0;
    char **list = nullptr;
    ASSERT_EQ(parse_string("a,b", ',', &count, &list), 0);
    EXPECT_EQ(free_parsed_array(0, list), 0);  // releases nothing
    EXPECT_STREQ(list[1], "b");
    EXPECT_EQ(free_parsed_array(count, list), 0);
}

// ---------------------------------------------------------------------------------------------
// Comparison and search
// ---------------------------------------------------------------------------------------------

TEST(StringUtil, StricmpAndStrnicmp)
{
    struct Case {
        const char *a;
        const char *b;
        int n;        // -1: stricmp
        int expected;
    };
    const std::vector<Case> cases = {
        {"CONTOUR", "contour", -1, 0},
        {"Mixed_Case1", "mIXED_cASE1", -1, 0},
        {"abc", "abd", -1, 'c' - 'd'},
        {"ABC", "abd", -1, 'c' - 'd'},
        {"ab", "abc", -1, -'c'},
        {"abc", "ab", -1, 'c'},
        {"", "", -1, 0},
        {"[", "{", -1, '[' - '{'},      // not letters: compared as they are
        {"@", "`", -1, '@' - '`'},
        {"\xC4", "\xE4", -1, 0xC4 - 0xE4},  // bytes above 127 are not folded
        {nullptr, "a", -1, 1},
        {"a", nullptr, -1, 1},
        {nullptr, nullptr, -1, 1},
        {"Abcd", "aBC", 3, 0},
        {"abc", "abd", 2, 0},
        {"abc", "abd", 3, 'c' - 'd'},
        {"ab", "ab", 10, 0},
        {"ab", "abc", 10, -'c'},
        {"ax", "Ay", 1, 0},
        {"ax", "Ay", 0, 0},           // n of 0 still compares the first character
        {"a", "b", 0, 'a' - 'b'},
        {"", "b", 0, -'b'},
        {"a", nullptr, 3, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string("\"") + show(c.a) + "\" and \"" + show(c.b) + "\", n " + std::to_string(c.n));
        if (c.n < 0)
            EXPECT_EQ(stricmp(c.a, c.b), c.expected);
        else
            EXPECT_EQ(strnicmp(c.a, c.b, c.n), c.expected);
    }
}

TEST(StringUtil, CaseFoldingIgnoresLocale)
{
    // In a Turkish single-byte locale the C library maps 'I' to a dotless i (0xFD) and 'i' to a
    // dotted capital I (0xDD), and counts 0xE7 as a letter.  The keyword functions must not.
    vyktest::TempDir dir;
    const vyktest::RunResult made =
        vyktest::run(std::string("localedef -i tr_TR -f ISO-8859-9 ") + vyktest::quote(dir.file("tr_TR.ISO-8859-9")));
    ASSERT_EQ(made.status, 0) << made.err;
    ASSERT_EQ(setenv("LOCPATH", dir.path().c_str(), 1), 0);
    ASSERT_NE(setlocale(LC_CTYPE, "tr_TR.ISO-8859-9"), nullptr);
    ASSERT_EQ(tolower('I'), 0xFD);  // the locale really is in force

    EXPECT_EQ(stricmp("FILE", "file"), 0);
    EXPECT_EQ(strnicmp("LIST", "list", 4), 0);
    EXPECT_EQ(stricmp("\xDD", "i"), 0xDD - 'i');
    const char *const names[] = {"print", "exit"};
    EXPECT_EQ(searchstr(names, 2, "EXIT"), 1);
    EXPECT_EQ(chk_arg("PRINT", names, 2), 0);
    char up[] = "file";
    up_string(up);
    EXPECT_STREQ(up, "FILE");
    char low[] = "LIST\xDD";
    low_string(low);
    EXPECT_STREQ(low, "list\xDD");
    EXPECT_EQ(string_is_alpha("\xE7"), 0);
    EXPECT_EQ(string_is_alpha("Izmir"), 1);

    setlocale(LC_CTYPE, "C");
    unsetenv("LOCPATH");
}

TEST(StringUtil, SearchstrAndChkArg)
{
    const char *const names[] = {"alpha", "Beta", "gamma"};
    EXPECT_EQ(searchstr(names, 3, "BETA"), 1);
    EXPECT_EQ(searchstr(names, 3, "delta"), 0);
    EXPECT_EQ(searchstr(names, 2, "gamma"), 0);  // only the first n entries
    EXPECT_EQ(searchstr(names, 0, "alpha"), 0);
    EXPECT_EQ(searchstr(nullptr, 3, "alpha"), 0);
    EXPECT_EQ(searchstr(names, 3, nullptr), 0);

    struct Case {
        const char *word;
        int expected;
    };
    const std::vector<Case> cases = {
        {"2", 2}, {"beta", 1}, {"ALPHA", 0}, {"0", VYK_MISS}, {"4", VYK_MISS}, {"-1", VYK_MISS},
        {"x", VYK_MISS}, {"", VYK_MISS}, {" 3", 3}, {"3rd", 3}, {"99999999999", VYK_MISS},
        {nullptr, VYK_MISS},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string("chk_arg of \"") + show(c.word) + "\"");
        EXPECT_EQ(chk_arg(c.word, names, 3), c.expected);
    }
    // A name that looks like a number is matched as a name first.
    const char *const numeric[] = {"x", "1"};
    EXPECT_EQ(chk_arg("1", numeric, 2), 1);
}

TEST(StringUtil, Strlstr)
{
    const char text[] = "abcabc";
    EXPECT_EQ(strlstr(text, "bc"), text + 4);
    EXPECT_EQ(strlstr(text, "abcabc"), text);
    EXPECT_EQ(strlstr(text, "c"), text + 5);
    EXPECT_EQ(strlstr(text, "x"), nullptr);
    EXPECT_EQ(strlstr(text, "abcabcd"), nullptr);
    EXPECT_EQ(strlstr(text, "ABC"), nullptr);  // byte for byte
    EXPECT_EQ(strlstr(text, ""), text + 6);
    EXPECT_EQ(strlstr("", "a"), nullptr);
    EXPECT_EQ(strlstr(nullptr, "a"), nullptr);
    EXPECT_EQ(strlstr(text, nullptr), nullptr);
}

// ---------------------------------------------------------------------------------------------
// Bounded copying and formatting
// ---------------------------------------------------------------------------------------------

TEST(StringUtil, StrntcpyStopsAtShorterSource)
{
    // A source allocated to its exact length: reading past its terminator would be caught.
    char *src = create_string("ab");
    ASSERT_NE(src, nullptr);
    char dest[16];
    memset(dest, 'Z', sizeof dest);
    EXPECT_EQ(strntcpy(dest, src, 10), 1);
    EXPECT_STREQ(dest, "ab");
    EXPECT_EQ(dest[3], 'Z');  // nothing written past the terminator
    free(src);

    struct Case {
        const char *src;
        int n;
        const char *out;
    };
    const std::vector<Case> cases = {
        {"abcdef", 3, "abc"}, {"abc", 3, "abc"}, {"abc", 0, ""}, {"abc", -4, ""}, {"", 5, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string("strntcpy of \"") + show(c.src) + "\", " + std::to_string(c.n));
        char out[16];
        memset(out, 'Z', sizeof out);
        EXPECT_EQ(strntcpy(out, c.src, c.n), 1);
        EXPECT_STREQ(out, c.out);
    }
}

TEST(StringUtil, StrfcpyFillsAFieldBounded)
{
    struct Case {
        const char *src;
        size_t n;          // source characters at most
        size_t copied;
        const char *out;   // the field of 6 bytes
    };
    const std::vector<Case> cases = {
        {"abc", SIZE_MAX, 3, "abc"},     {"abcde", SIZE_MAX, 5, "abcde"},
        {"abcdef", SIZE_MAX, 5, "abcde"}, {"abcdefghij", SIZE_MAX, 5, "abcde"},
        {"abcdef", 2, 2, "ab"},          {"", SIZE_MAX, 0, ""},
        {nullptr, SIZE_MAX, 0, ""},      {"abc", 0, 0, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string("strfcpy of \"") + show(c.src) + "\", n " + std::to_string(c.n));
        char field[8];
        memset(field, 'Z', sizeof field);
        EXPECT_EQ(strfcpy(field, 6, c.src, c.n), c.copied);
        EXPECT_STREQ(field, c.out);
        EXPECT_EQ(field[6], 'Z');  // never past the field
        EXPECT_EQ(field[7], 'Z');
    }

    // The template takes the size of the array.
    char small[4];
    EXPECT_EQ(strfcpy(small, "abcdef"), 3u);
    EXPECT_STREQ(small, "abc");

    // A source without a terminator is read no further than n.
    const char raw[3] = {'x', 'y', 'z'};
    char field[8];
    EXPECT_EQ(strfcpy(field, raw, sizeof raw), 3u);
    EXPECT_STREQ(field, "xyz");

    // The same or overlapping buffers.
    char text[16] = "hello world";
    EXPECT_EQ(strfcpy(text, text), 11u);
    EXPECT_STREQ(text, "hello world");
    strfcpy(text, text + 6);
    EXPECT_STREQ(text, "world");

    // Nothing is written into no field.
    EXPECT_EQ(strfcpy(nullptr, 4, "abc"), 0u);
    field[0] = 'Q';
    EXPECT_EQ(strfcpy(field, 0, "abc"), 0u);
    EXPECT_EQ(field[0], 'Q');
}

TEST(StringUtil, Strmcat)
{
    struct Case {
        const char *dest;
        const char *src;
        int m;
        int result;
        const char *out;
    };
    const std::vector<Case> cases = {
        {"abcde", "0123456789", 8, 1, "abcde012"},
        {"abcde", "0123456789", 5, 0, "abcde"},
        {"abcde", "0123456789", 3, 0, "abcde"},
        {"abcde", "0123456789", 20, 1, "abcde0123456789"},
        {"abcde", "01", 8, 1, "abcde01"},
        {"", "xyz", 2, 1, "xy"},
        {"ab", "", 8, 1, "ab"},
        {"ab", "cd", -1, 0, "ab"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string("strmcat of \"") + show(c.dest) + "\", \"" + show(c.src) + "\", " + std::to_string(c.m));
        char buf[32];
        snprintf(buf, sizeof buf, "%s", c.dest);
        EXPECT_EQ(strmcat(buf, c.src, c.m), c.result);
        EXPECT_STREQ(buf, c.out);
    }
    char buf[8] = "ab";
    EXPECT_EQ(strmcat(buf, nullptr, 7), 0);
    EXPECT_EQ(strmcat(nullptr, "x", 7), 0);
    EXPECT_STREQ(buf, "ab");
}

TEST(StringUtil, SetNum)
{
    struct Case {
        const char *format;
        float x;
        const char *out;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const std::vector<Case> cases = {
        {"3.3.0", 123.4f, "123"},
        {"3.3.0", 12.34f, "12.3"},
        {"3.3.0", 1.234f, "1.23"},
        {"3.3.0", 0.01234f, "0.0123"},
        {"3.3.0", -0.01234f, "-0.0123"},
        {"3.3.0", 0.0f, "  0"},
        {"3.3.0", 5e-6f, "  0"},          // below 1e-5 is taken as 0
        {"3.3.0", -5e-6f, "  0"},
        {"1.1.0", 7.6f, "8"},
        {"1.2.0", -0.5f, "-0.50"},
        {"2.2.0", 45.0f, "45"},
        {"5.3.1", 1234.5f, "1234.5"},    // at least D decimals
        {"5.3.1", 2.5f, " 2.50"},
        {"5.1.1", 250.0f, "250.0"},
        {"1.1.1", 0.0f, "0.0"},
        {"0.2.0", 3.14159f, "3.1"},      // W of 0 becomes S + 1
        {"-4.2.0", 3.14159f, "3.1"},
        {"12.2.0", 3.0f, "      3.0"},   // W above 9 becomes 9
        {"abc", 2.0f, "2"},              // missing numbers count as 0
        {"3.3.0", nan, "nan"},
        {"3.3.0", inf, "inf"},
        {"3.3.0", -inf, "-inf"},
        {"3.3.0", 3.0e38f, "300000000549775575777803994281145270272"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string("set_num \"") + c.format + "\" of " + std::to_string(c.x));
        char buf[64];
        EXPECT_EQ(set_num(buf, c.format, c.x), buf);
        EXPECT_STREQ(buf, c.out);
    }
}

TEST(StringUtil, SetNumStaysInTheBuffer)
{
    char storage[12];
    memset(storage, '#', sizeof storage);
    char *buf = storage + 4;
    EXPECT_EQ(set_num(buf, 4, "9.3.0", 123.4f), buf);
    EXPECT_STREQ(buf, "   ");  // "      123" cut to three characters and the terminator
    for (int i = 0; i < 4; i++) EXPECT_EQ(storage[i], '#');
    for (int i = 8; i < 12; i++) EXPECT_EQ(storage[i], '#');

    char small[4];
    EXPECT_EQ(set_num(small, "3.3.0", 0.01234f), small);  // the array overload knows its size
    EXPECT_STREQ(small, "0.0");

    memset(storage, '#', sizeof storage);
    EXPECT_EQ(set_num(storage, 0, "3.3.0", 1.0f), storage);
    EXPECT_EQ(storage[0], '#');
    EXPECT_EQ(set_num(nullptr, 8, "3.3.0", 1.0f), nullptr);
}

TEST(StringUtil, UserFormatsHoldOneNumericConversion)
{
    struct Case {
        const char *format, *convs;
        int ok;
    } cases[] = {
        {"%5.1f", "efgEG", 1},    {"%-+ #05.2e", "efgEG", 1}, {"T=%g K", "efgEG", 1},
        {"%.3G%%", "efgEG", 1},   {"%d", "d", 1},             {"%4d", "efgEG", 0},
        {"%f", "d", 0},           {"%s", "efgEGd", 0},        {"%n", "efgEGd", 0},
        {"%f%f", "efgEG", 0},     {"plain", "efgEG", 0},      {"%%", "efgEG", 0},
        {"%*f", "efgEG", 0},      {"%lf", "efgEG", 0},        {"%1234f", "efgEG", 0},
        {"%5.1234f", "efgEG", 0}, {"%999.999f", "efgEG", 1},  {"%", "efgEG", 0},
        {"%5.", "efgEG", 0},      {"%5.f", "efgEG", 1},       {"", "efgEG", 0},
    };
    for (const Case &c : cases) EXPECT_EQ(format_one_conv(c.format, c.convs), c.ok) << c.format;
    EXPECT_EQ(format_one_conv(nullptr, "f"), 0);
    EXPECT_EQ(format_one_conv("%f", nullptr), 0);
}
