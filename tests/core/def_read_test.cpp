// Defaults files and the environment lookup of resources.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

#include "test_util.h"
#include "vyk.h"
#include "vykresrc.h"

using vyktest::CaptureStdio;
using vyktest::TempDir;
using vyktest::write_file;

namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

/// Makes the program name `name` for keys (as the decoder does at start-up).
void set_program(const char *name)
{
    static std::string word;
    static char *argv[2];
    word = name;
    argv[0] = word.data();
    argv[1] = nullptr;
    RES_setCL(1, argv);
    DEF_prog();
}

/// Every entry DEF_get gives for the file or directory at path.
Entries read_entries(const std::string &path)
{
    Entries got;
    if (DEF_open(path.c_str()) != 0) return got;
    char key[DEF_KEY_LEN], value[DEF_VALUE_LEN];
    while (DEF_get(key, value) == 1) got.emplace_back(key, value);
    DEF_close();
    return got;
}

/// The values of the entries of a defaults file made of text.
std::string values_of(const TempDir &dir, const std::string &text, const char *name = "f")
{
    write_file(dir.file(name), text);
    std::string out;
    for (const auto &e : read_entries(dir.file(name))) out += e.second + " ";
    return out;
}

}  // namespace

TEST(Def, DirectoryContributesItsFirstDefaultsFile)
{
    TempDir dir;
    write_file(dir.file("vyk.cfg"), "*.a cfg\n");
    write_file(dir.file(".vykdef"), "*.a dot\n");
    write_file(dir.file("Vyk.res"), "*.a res\n");
    EXPECT_EQ(read_entries(dir.path()), (Entries{{"*.a", "cfg"}}));
    EXPECT_EQ(read_entries(dir.path() + "/"), (Entries{{"*.a", "cfg"}}));

    std::remove(dir.file("vyk.cfg").c_str());
    EXPECT_EQ(read_entries(dir.path()), (Entries{{"*.a", "dot"}}));
    std::remove(dir.file(".vykdef").c_str());
    EXPECT_EQ(read_entries(dir.path()), (Entries{{"*.a", "res"}}));

    TempDir empty;
    EXPECT_EQ(DEF_open(empty.path().c_str()), -1);
    char key[DEF_KEY_LEN], value[DEF_VALUE_LEN];
    EXPECT_EQ(DEF_get(key, value), -1);
    EXPECT_EQ(DEF_open(empty.file("missing").c_str()), -1);
    EXPECT_EQ(DEF_get(key, value), -1);
    EXPECT_EQ(DEF_close(), 0);
}

TEST(Def, MissingNameMeansDotVykdefHere)
{
    TempDir dir;
    write_file(dir.file(".vykdef"), "*.a here\n");
    char old[4096];
    ASSERT_NE(getcwd(old, sizeof old), nullptr);
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    EXPECT_EQ(read_entries(""), (Entries{{"*.a", "here"}}));
    EXPECT_EQ(DEF_open(nullptr), 0);
    DEF_close();
    ASSERT_EQ(chdir(old), 0);
}

TEST(Def, KeysMatchTheFullName)
{
    struct Case {
        const char *program, *title, *key;
        int match;
    } cases[] = {
        {"tool", "", "tool.file_path", 1},
        {"tool", "", "*.file_path", 1},
        {"tool", "", "*file_path", 1},
        {"tool", "", "t*.file_path", 1},
        {"tool", "", "*ool.file_path", 1},
        {"tool", "", "file_path", 0},
        {"tool", "", "tool.*", 0},
        {"tool", "", "*", 0},
        {"tool", "", "tool.file_param", 0},
        {"tool", "", "other.file_path", 0},
        {"tool", "", "tool.file_path2", 0},
        {"Tool", "", "tool.file_path", 0},  // keys are lowered: a capital name never matches
        {"tool", "+t", "tool.t.file_path", 1},
        {"tool", "+t", "*.t.file_path", 1},
        {"tool", "+t", "tool.file_path", 0},
        {"tool", "+t", "*.file_path", 1},
        {"tool", "t", "t.file_path", 1},
        {"tool", "t", "tool.file_path", 0},
        {"/usr/local/bin/tool", "", "tool.file_path", 1},
    };
    for (const Case &c : cases) {
        set_program(c.program);
        DEF_name(c.title);
        EXPECT_EQ(DEF_cmp("file_path", c.key), c.match) << c.program << " " << c.title << " " << c.key;
    }
}

TEST(Def, ValidKeysAndTheirLastComponent)
{
    set_program("tool");
    struct Case {
        const char *key;
        int valid;
        const char *name;
    } cases[] = {
        {"*.xyz", 1, "xyz"},      {"tool.xyz", 1, "xyz"}, {"*xyz", 1, "xyz"},
        {"other.xyz", 0, "xyz"},  {"xyz", 0, "xyz"},      {"tool.a.b", 0, "b"},
        {"*b", 1, "b"},           {"tool.", 1, ""},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(DEF_valid(c.key), c.valid) << c.key;
        char name[DEF_KEY_LEN] = "junk";
        EXPECT_EQ(DEF_parse_name(c.key, name), 1);
        EXPECT_STREQ(name, c.name) << c.key;
    }
}

TEST(Def, EntryLines)
{
    TempDir dir;
    write_file(dir.file("f"),
               "# a comment\n"
               "\n"
               "   \t \n"
               "*.label \"Upper air\" ignored\n"
               "*.FILE_PATH: /data more words\n"
               "Tool.file_path /x\n"
               "*.title \"to the end\n"
               "*.empty \"\"\n"
               "*.novalue\n"
               "  *.indented\tv\r\n"
               "*.a b");  // no newline at the end
    EXPECT_EQ(read_entries(dir.file("f")), (Entries{{"*.label", "Upper air"},
                                                     {"*.file_path", "/data"},
                                                     {"tool.file_path", "/x"},
                                                     {"*.title", "to the end"},
                                                     {"*.empty", ""},
                                                     {"*.indented", "v"},
                                                     {"*.a", "b"}}));
    set_program("tool");
    EXPECT_EQ(DEF_cmp("file_path", "tool.file_path"), 1);
}

TEST(Def, Conditionals)
{
    struct Case {
        std::vector<const char *> tags;
        const char *text;
        const char *values;
    } cases[] = {
        {{"x"}, "IF x\n*.a A\nELSE\n*.a B\nEND\n", "A "},
        {{}, "IF x\n*.a A\nELSE\n*.a B\nEND\n", "B "},
        {{"X"}, "IF x\n*.a A\nEND\n", "A "},  // tags ignore letter case
        {{"x", "y"}, "IF x\n*.a 1\nELIF y\n*.a 2\nELSE\n*.a 3\nEND\n", "1 "},
        {{"y"}, "IF x\n*.a 1\nELIF y\n*.a 2\nELSE\n*.a 3\nEND\n", "2 "},
        {{}, "IF x\n*.a 1\nELIF y\n*.a 2\nELSE\n*.a 3\nEND\n", "3 "},
        {{"y"}, "IF x\nIF y\n*.a 1\nEND\n*.a 2\nEND\n*.a 3\n", "3 "},
        {{}, "IF x\nDEF y\nEND\nIF y\n*.a 1\nEND\n", "1 "},  // DEF acts in a skipped block
        {{}, "DEF x\nIF x\n*.a 1\nEND\n", "x 1 "},           // a DEF line is an entry too
        {{"x"}, "UNDEF x\nIF x\n*.a 1\nELSE\n*.a 2\nEND\n", "x 2 "},
        {{"x"}, "UNDEF y\nIF x\n*.a 1\nEND\n", "y 1 "},      // undefined tag: nothing changes
        {{}, "IF\n*.a 1\nELIF\n*.a 2\n", "1 2 "},            // no tag word: not a directive
        {{}, "DEF\nUNDEF\n*.a 1\n", "1 "},
        {{}, "if x\n*.a 1\n", "x 1 "},                       // directives are upper case only
        {{"x"}, "IF x\n*.a 1\nELSE\n*.a 2\nELSE\n*.a 3\nEND\n", "1 "},
    };
    for (const Case &c : cases) {
        TempDir dir;
        DEF_clr_tag();
        for (const char *t : c.tags) DEF_tag(t);
        EXPECT_EQ(values_of(dir, c.text), c.values) << c.text;
    }
}

TEST(Def, MisplacedDirectivesWarn)
{
    TempDir dir;
    CaptureStdio cap;
    const std::string got = values_of(dir, "ELSE\n*.a 1\nELIF x\n*.a 2\nEND\n*.a 3\n");
    cap.finish();
    EXPECT_EQ(got, "1 2 3 ");
    EXPECT_EQ(cap.err(), "DEF_get: else without an if\nDEF_get: elif without an if\n"
                         "DEF_get: end without an if\n");
}

TEST(Def, BlocksAndTagsCarryOverToTheNextFile)
{
    TempDir dir;
    DEF_clr_tag();
    EXPECT_EQ(values_of(dir, "DEF x\nIF y\n*.a 1\n", "first"), "x ");
    EXPECT_EQ(values_of(dir, "*.a 2\nEND\n*.a 3\nIF x\n*.a 4\nEND\n", "second"), "3 4 ");
}

TEST(Def, DeepNestingSkipsAndStillBalances)
{
    TempDir dir;
    DEF_clr_tag();
    DEF_tag("x");
    std::string text;
    for (int i = 0; i < 12; i++) text += "IF x\n*.a in" + std::to_string(i + 1) + "\n";
    text += "ELSE\n*.a else12\n";
    for (int i = 0; i < 12; i++) text += "END\n";
    text += "*.a after\nEND\n";
    CaptureStdio cap;
    const std::string got = values_of(dir, text);
    cap.finish();
    EXPECT_EQ(got, "in1 in2 in3 in4 in5 in6 in7 in8 in9 in10 after ");
    EXPECT_EQ(cap.err(), "DEF_get: if nested deeper than 10 levels, block skipped\n"
                         "DEF_get: if nested deeper than 10 levels, block skipped\n"
                         "DEF_get: end without an if\n");
}

TEST(Def, LongLinesGiveNoPieces)
{
    TempDir dir;
    // The tail of the first line, beyond the reader's 249 characters, would read as an entry
    // of its own if the line were taken in pieces.
    const std::string filler(249 - 6, ' ');
    const std::string text = "*.a v1" + filler + "*.evil bad\n" +
                             "*.b " + std::string(245, 'x') + "\n" +  // exactly 249
                             "*.c v3\n";
    write_file(dir.file("f"), text);
    CaptureStdio cap;
    const Entries got = read_entries(dir.file("f"));
    cap.finish();
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0], (std::pair<std::string, std::string>{"*.a", "v1"}));
    EXPECT_EQ(got[1].first, "*.b");
    EXPECT_EQ(got[1].second, std::string(199, 'x'));  // values hold 199 characters
    EXPECT_EQ(got[2], (std::pair<std::string, std::string>{"*.c", "v3"}));
    EXPECT_EQ(cap.err(), "DEF_get: line too long, rest skipped\n");

    // A directive on an over-long line still counts, so the blocks stay balanced.
    DEF_clr_tag();
    EXPECT_EQ(values_of(dir, "IF x " + std::string(300, 'y') + "\n*.a 1\nEND\n*.a 2\n"), "2 ");
}

TEST(Def, KeysTooLongAreSkipped)
{
    TempDir dir;
    const std::string k49 = "*." + std::string(47, 'k');
    const std::string k50 = "*." + std::string(48, 'k');
    CaptureStdio cap;
    write_file(dir.file("f"), k49 + ": a\n" + k50 + " b\n*.c c\n");
    const Entries got = read_entries(dir.file("f"));
    cap.finish();
    EXPECT_EQ(got, (Entries{{k49, "a"}, {"*.c", "c"}}));
    EXPECT_EQ(cap.err(), "DEF_get: key too long, skipped: " + k50 + "\n");
}

TEST(Def, TagsAreCopiedAndLimited)
{
    TempDir dir;
    DEF_clr_tag();
    char word[8] = "x";
    EXPECT_EQ(DEF_tag(word), 0);
    std::strcpy(word, "zz");  // the caller's text may change: the tag list has its own copy
    for (int i = 1; i < 10; i++) EXPECT_EQ(DEF_tag("t"), 0);
    EXPECT_EQ(DEF_tag("y"), -1);
    EXPECT_EQ(values_of(dir, "IF x\n*.a 1\nEND\nIF y\n*.a 2\nEND\nDEF y\nIF y\n*.a 3\nEND\n"),
              "1 y ");
    DEF_clr_tag();
    EXPECT_EQ(values_of(dir, "IF x\n*.a 1\nEND\n"), "");
}

TEST(Def, EnvironmentPrecedence)
{
    set_program("tool");
    DEF_name("");
    char value[DEF_VALUE_LEN] = "unchanged";
    EXPECT_EQ(DEF_env("file_path", "vykfile", value), 0);
    EXPECT_STREQ(value, "unchanged");

    setenv("vykfile_path", "/general", 1);
    EXPECT_EQ(DEF_env("file_path", "vykfile", value), 1);
    EXPECT_STREQ(value, "/general");
    setenv("vykfile", "/row", 1);
    EXPECT_EQ(DEF_env("file_path", "vykfile", value), 1);
    EXPECT_STREQ(value, "/row");
    setenv("vyktool.file_path", "/program", 1);
    EXPECT_EQ(DEF_env("file_path", "vykfile", value), 1);
    EXPECT_STREQ(value, "/program");

    DEF_name("+t");
    EXPECT_EQ(DEF_env("file_path", "vykfile", value), 1);
    EXPECT_STREQ(value, "/row");
    setenv("vyktool.t.file_path", "/titled", 1);
    EXPECT_EQ(DEF_env("file_path", "vykfile", value), 1);
    EXPECT_STREQ(value, "/titled");
    DEF_name("t");
    setenv("vykt.file_path", "/title", 1);
    EXPECT_EQ(DEF_env("file_path", "", value), 1);
    EXPECT_STREQ(value, "/title");

    setenv("vykbig", std::string(300, 'v').c_str(), 1);
    EXPECT_EQ(DEF_env("other", "vykbig", value), 1);
    EXPECT_EQ(std::string(value), std::string(199, 'v'));
}

TEST(Def, NamesThatDoNotFitMatchNothing)
{
    // A program name of 30 characters cannot be used in keys: no key names it, not even by
    // wildcards, and its environment variable is not looked up.
    const std::string name(30, 'p');
    set_program(name.c_str());
    DEF_name("");
    EXPECT_EQ(DEF_cmp("file_path", (name + ".file_path").c_str()), 0);
    EXPECT_EQ(DEF_cmp("file_path", "*.file_path"), 0);
    setenv(("vyk" + name + ".file_path").c_str(), "/program", 1);
    setenv("vykfile", "/row", 1);
    char value[DEF_VALUE_LEN];
    EXPECT_EQ(DEF_env("file_path", "vykfile", value), 1);
    EXPECT_STREQ(value, "/row");

    // 29 characters still fit the name; the full name then holds 29 + 1 + 9 = 39.
    const std::string fits(29, 'p');
    set_program(fits.c_str());
    EXPECT_EQ(DEF_cmp("file_path", "*.file_path"), 1);
    EXPECT_EQ(DEF_cmp("file_paths", "*.file_paths"), 0);  // 40 characters
    EXPECT_EQ(DEF_valid("*.file_paths"), 1);              // DEF_valid allows 59

    // Variable names: the row's own variable and "vyk" with the resource name hold 19.
    set_program("tool");
    const std::string env20 = "vyk" + std::string(17, 'e');
    const std::string env19 = "vyk" + std::string(16, 'e');
    setenv(env20.c_str(), "/long", 1);
    EXPECT_EQ(DEF_env("nothing_here", env20.c_str(), value), 0);
    setenv(env19.c_str(), "/ok", 1);
    EXPECT_EQ(DEF_env("nothing_here", env19.c_str(), value), 1);
    EXPECT_STREQ(value, "/ok");
    setenv("vykabcdefghijklmnopq", "/x", 1);  // 20 characters
    EXPECT_EQ(DEF_env("abcdefghijklmnopq", nullptr, value), 0);
    setenv("vykabcdefghijklmnop", "/y", 1);  // 19 characters
    EXPECT_EQ(DEF_env("abcdefghijklmnop", nullptr, value), 1);
    EXPECT_STREQ(value, "/y");
}

TEST(Def, LongFileNamesAreNotOpened)
{
    TempDir dir;
    std::string sub = dir.path();
    while (sub.size() < 72) sub += "/d";
    std::filesystem::create_directories(sub);
    write_file(sub + "/vyk.cfg", "*.a 1\n");
    CaptureStdio cap;
    const int result = DEF_open(sub.c_str());  // the file's name has more than 79 characters
    cap.finish();
    EXPECT_EQ(result, -1);
    EXPECT_EQ(cap.err(), "DEF_open: file name too long: " + sub + "/vyk.cfg\n");
}

TEST(Def, GetNeedsAnOpenFileAndBuffers)
{
    TempDir dir;
    write_file(dir.file("f"), "*.a 1\n");
    char key[DEF_KEY_LEN], value[DEF_VALUE_LEN];
    EXPECT_EQ(DEF_get(key, value), -1);
    ASSERT_EQ(DEF_open(dir.file("f").c_str()), 0);
    EXPECT_EQ(DEF_get(nullptr, value), -1);
    EXPECT_EQ(DEF_get(key, value), 1);
    EXPECT_EQ(DEF_get(key, value), -1);
    DEF_close();
    EXPECT_EQ(DEF_get(key, value), -1);
}
