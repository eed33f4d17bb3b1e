// Levelled messages: the mask, its option words, log and copy files, paging.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <regex>
#include <unistd.h>

#include "test_util.h"
#include "vyk.h"

using vyktest::CaptureStdio;
using vyktest::TempDir;

TEST(Mess, ClassWordsSetTheMask)
{
    struct Case {
        const char *option;
        M_type mask;
    } cases[] = {
        {"none", 0},
        {"xyz", 0},
        {"errorc", 0},       // error has no sub-level c
        {"*out2", 0},        // the star of the help text names no class
        {"out1b", 0x3FFF},
        {"mess", 0xFFF},
        {"out2", 0xFFFFF},
        {"warn", 0xFF},
        {"WARN", 0xFF},
        {"debug", 0xFFFFFFFF},
        {"print", 0xF},
        {"errora", 0x1F},
        {"+debug,-out2", 0xF000FFFF},  // applied to the default mask
        {"out3,-print", 0xFFFFF0},
        {"none,+error", 0x30},
    };
    for (const Case &c : cases) {
        MESS_set(10, 0xFFFFF);
        MESS_set_str(c.option);
        EXPECT_EQ(MESS_get(), c.mask) << c.option;
    }
}

TEST(Mess, SubLevelNamesAreTheOptionWords)
{
    // Each named sub-level is what "none,+<class><a-d>" leaves in force.
    struct Case {
        const char *word;
        M_type mask;
    } cases[] = {
        {"printa", M_PRINT_A}, {"printb", M_PRINT_B}, {"printc", M_PRINT_C}, {"printd", M_PRINT_D},
        {"errora", M_ERROR_A}, {"errorb", M_ERROR_B}, {"warnc", M_WARN_C},   {"warnd", M_WARN_D},
        {"messa", M_MESS_A},   {"messb", M_MESS_B},   {"messc", M_MESS_C},   {"messd", M_MESS_D},
        {"out1a", M_OUT1_A},   {"out1b", M_OUT1_B},   {"out1c", M_OUT1_C},   {"out1d", M_OUT1_D},
        {"out2a", M_OUT2_A},   {"out2b", M_OUT2_B},   {"out2c", M_OUT2_C},   {"out2d", M_OUT2_D},
        {"out3a", M_OUT3_A},   {"out3b", M_OUT3_B},   {"out3c", M_OUT3_C},   {"out3d", M_OUT3_D},
        {"out4a", M_OUT4_A},   {"out4b", M_OUT4_B},   {"out4c", M_OUT4_C},   {"out4d", M_OUT4_D},
        {"debuga", M_DEBUG_A}, {"debugb", M_DEBUG_B}, {"debugc", M_DEBUG_C}, {"debugd", M_DEBUG_D},
        {"error", M_ERROR},    {"warn", M_WARN},      {"mess", M_MESS},      {"debug", M_DEBUG},
    };
    for (const Case &c : cases) {
        MESS_set_str((std::string("none,+") + c.word).c_str());
        EXPECT_EQ(MESS_get(), c.mask) << c.word;
    }
    EXPECT_EQ(M_SUB_A | M_SUB_B | M_SUB_C | M_SUB_D, 0xFFFFFFFFu);
    EXPECT_EQ(M_WARN_C | M_WARN_D, M_WARN);
}

TEST(Mess, UserSettingsOutrankDefaults)
{
    EXPECT_EQ(MESS_check_set(), 0);
    MESS_set(20, 0xFF);  // a default applies while the user has set nothing
    EXPECT_EQ(MESS_get(), 0xFFu);
    MESS_set_str("out1");
    EXPECT_EQ(MESS_check_set(), 1);
    MESS_set(20, 0xFF);  // now yields to the user's setting
    EXPECT_EQ(MESS_get(), 0xFFFFu);
    MESS_set(21, 0xF0000000);
    EXPECT_EQ(MESS_get(), 0xFFFFu);
    MESS_set(11, 0xF0000000);  // program settings always apply
    EXPECT_EQ(MESS_get(), 0xF000FFFFu);
    MESS_set(19, 0xF0000000);
    EXPECT_EQ(MESS_get(), 0xF000FFFFu);
    MESS_set(9, 0xF0000000);
    EXPECT_EQ(MESS_get(), 0xFFFFu);
    MESS_set(0, 0x100);  // a user code counts and sets with the fill below
    EXPECT_EQ(MESS_get(), 0x1FFu);
    MESS_set(-1, 0xF);
    EXPECT_EQ(MESS_get(), 0x1F0u);
    MESS_set(3, 0);  // any code up to 4 counts as a user setting, even when it does nothing
    EXPECT_EQ(MESS_check_set(), 4);
    EXPECT_EQ(MESS_check(0x100), 1);
    EXPECT_EQ(MESS_check(0x200), 0);
}

TEST(Mess, DefaultMaskAndStreams)
{
    CaptureStdio cap;
    EXPECT_EQ(MESS_print(M_OUT3, "out3 %d\n", 3), 0);
    EXPECT_EQ(MESS_print(M_OUT4, "out4\n"), 0);
    EXPECT_EQ(MESS_print(0x40000000, "debug\n"), 0);
    EXPECT_EQ(MESS_print(48, "error %s\n", "e"), 1);
    EXPECT_EQ(MESS_print(192, "warning\n"), 1);
    EXPECT_EQ(MESS_print(15, "prompt: "), 1);
    EXPECT_EQ(MESS_print(0x10000, "out2\n"), 1);
    cap.finish();
    EXPECT_EQ(cap.out(), "prompt: out2\n");
    EXPECT_EQ(cap.err(), "error e\nwarning\n");
}

TEST(Mess, LogWithTimePrefixHasTheScreenText)
{
    TempDir dir;
    std::string log = dir.file("run.log");
    MESS_set_str(("@fi=" + log).c_str());
    CaptureStdio cap;
    EXPECT_EQ(MESS_print(15, "value %d %.2f %s\n", 42, 3.5, "abc"), 1);
    EXPECT_EQ(MESS_print(48, "bad %s\n", "thing"), 1);
    cap.finish();
    EXPECT_EQ(cap.out(), "value 42 3.50 abc\n");
    EXPECT_EQ(cap.err(), "bad thing\n");
    std::string text = vyktest::read_file(log);
    std::regex line(R"(\d\d (JAN|FEB|MAR|APR|MAY|JUN|JUL|AUG|SEP|OCT|NOV|DEC) \d\d  \d\d:\d\d:\d\dZ -- )");
    std::smatch m;
    ASSERT_TRUE(std::regex_search(text, m, line)) << text;
    EXPECT_EQ(m.position(0), 0);
    std::string rest = std::regex_replace(text, line, "");
    EXPECT_EQ(rest, "value 42 3.50 abc\nbad thing\n");
}

TEST(Mess, FileOnlyAndCopyFiles)
{
    TempDir dir;
    std::string log = dir.file("only.log"), copy = dir.file("sub/copy.txt");
    MESS_file(copy.c_str(), "w");
    MESS_set_str(("fi=" + log).c_str());
    CaptureStdio cap;
    EXPECT_EQ(MESS_print(15, "hidden %d\n", 1), 0);
    EXPECT_EQ(MESS_print(48, "error %d\n", 2), 0);
    EXPECT_EQ(MESS_print(M_OUT4, "filtered\n"), 0);
    cap.finish();
    EXPECT_EQ(cap.out(), "");
    EXPECT_EQ(cap.err(), "");
    EXPECT_EQ(vyktest::read_file(log), "hidden 1\nerror 2\n");
    MESS_file_close();
    EXPECT_EQ(vyktest::read_file(copy), "hidden 1\nerror 2\n");
}

TEST(Mess, LogFileReplacedEmptiedAndReopened)
{
    TempDir dir;
    std::string a = dir.file("a.log"), b = dir.file("b.log"), d = dir.file("d.log");
    vyktest::write_file(b, "old\n");
    MESS_set_str(("+fi=" + a).c_str());
    CaptureStdio cap;
    MESS_print(15, "one\n");
    MESS_set_str(("-fi=" + b).c_str());  // emptied, and the log now goes there only
    MESS_print(15, "two\n");
    MESS_set_str(("dfi=" + d).c_str());
    MESS_print(15, "three\n");
    vyktest::write_file(d, "");  // reopened for every message
    MESS_print(15, "four\n");
    cap.finish();
    EXPECT_EQ(cap.out(), "one\ntwo\nthree\nfour\n");
    EXPECT_EQ(vyktest::read_file(a), "one\n");
    EXPECT_EQ(vyktest::read_file(b), "two\n");
    EXPECT_EQ(vyktest::read_file(d), "four\n");
}

TEST(Mess, UnopenableLogKeepsTheScreen)
{
    // Messages are never lost for lack of a log file, the file-only option included.
    CaptureStdio cap;
    MESS_set_str("fi=/dev/null/x.log");
    EXPECT_EQ(MESS_print(15, "still shown\n"), 1);
    MESS_set_str(("dfi=" + std::string(200, 'x')).c_str());  // too long a name: no file
    EXPECT_EQ(MESS_print(15, "shown too\n"), 1);
    cap.finish();
    EXPECT_EQ(cap.out(), "still shown\nshown too\n");
}

TEST(Mess, PagingWaitsAfterMaxLines)
{
    TempDir dir;
    vyktest::write_file(dir.file("keys"), "\n\n\n");
    int fd = open(dir.file("keys").c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    dup2(fd, 0);
    close(fd);

    MESS_set_str("line=0");
    EXPECT_EQ(MESS_get_max_lines(), 22);
    MESS_set_str("page,line=3");
    EXPECT_EQ(MESS_get_max_lines(), 3);
    CaptureStdio cap;
    MESS_print(15, "1\n");
    MESS_print(15, "2\n3\n");
    MESS_print(15, "%s", "not counted\n\n");  // newlines of the format, not of the result
    MESS_print(15, "4\n");                     // the fourth newline brings the hold
    MESS_print(15, "5\n");
    cap.finish();
    EXPECT_EQ(cap.out(), "1\n2\n3\nnot counted\n\n4\nPress return to continue\n5\n");

    MESS_set_str("nopage");
    CaptureStdio cap2;
    for (int i = 0; i < 6; i++) MESS_print(15, "x\n");
    cap2.finish();
    EXPECT_EQ(cap2.out(), "x\nx\nx\nx\nx\nx\n");
}

TEST(Mess, HoldIsSkippedInBatchOrWhenFiltered)
{
    MESS_set_page(2);
    CaptureStdio cap;
    FLAG_set_batch(1);
    EXPECT_EQ(MESS_hold(15, "wait\n"), 0);
    FLAG_set_batch(0);
    EXPECT_EQ(MESS_hold(M_OUT4, "wait\n"), 0);
    MESS_set_page(0);
    EXPECT_EQ(MESS_hold(15, "wait\n"), 0);
    cap.finish();
    EXPECT_EQ(cap.out(), "");
}

TEST(Mess, ProgramTitle)
{
    CaptureStdio cap;
    MESS_print_prog("PROFILER DISPLAY PROGRAM");
    cap.finish();
    EXPECT_EQ(cap.out(), std::string("      PROFILER DISPLAY PROGRAM (Ver ") + VYK_version() + ")\n\n");
}

TEST(Mess, LongMessagesAreWhole)
{
    std::string big(5000, 'q');
    CaptureStdio cap;
    EXPECT_EQ(MESS_print(15, "%s|%d\n", big.c_str(), 7), 1);
    cap.finish();
    EXPECT_EQ(cap.out(), big + "|7\n");
}
