// Tests of the program's variable file and the variable menu: display patterns, display
// conditions, piped menu answers, "list", batch mode, macro lookup with continuation lines, and
// files with over-long lines or binary content.
#include "var_fixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

using vyktest::CaptureStdio;

TEST(VarFile, DisplayPatterns)
{
    struct Case {
        const char *pattern, *text;
        int holds;
    } cases[] = {
        {"eta*|ngm", "eta12", 1}, {"eta*|ngm", "ngm", 1},   {"eta*|ngm", "ngm2", 0},
        {"eta*|ngm", "ngmx", 0},  {"~ngm*", "eta", 1},      {"~ngm*", "ngm12", 0},
        {"[0-9]*", "12hr", 1},    {"[0-9]*", "x12", 0},     {"??", "12", 1},
        {"??", "123", 0},         {"??", "1", 0},           {"ngm|eta", "ngm2", 0},
        {"..", "ab", 1},          {"[a-c]x", "bx", 1},      {"[a-c]x", "dx", 0},
        {"[-a]", "_", 1},         {"[a-]", "-", 1},         {"a*c", "abbbc", 1},
        {"a*c", "abbb", 0},       {"a*", "a", 1},           {"*", "anything", 1},
        {"ETA", "eta", 0},        {"~", "abc", 1},          {"[abc", "b", 1},
        {"~eta|~ngm", "eta", 1},  {"~eta|~eta", "eta", 0},  {"a||b", "b", 1},
        {"", "eta", 0},           {"eta", "", 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(VAR_menu_display(c.pattern, c.text), c.holds) << c.pattern << " " << c.text;
    EXPECT_EQ(VAR_menu_display(nullptr, "a"), 0);
    EXPECT_EQ(VAR_menu_display("a", nullptr), 0);
}

/// Runs the menu with answers on standard input; returns its result, the answer in answer and
/// what it printed in out.
int run_menu(const std::string &input, std::string &answer, std::string &out, int flag = 3)
{
    vyktest::TempDir dir;
    vyktest::write_file(dir.file("in"), input);
    EXPECT_NE(std::freopen(dir.file("in").c_str(), "r", stdin), nullptr);
    char buf[81] = "";
    CaptureStdio cap;
    const int r = VAR_menu("Variable Menu\n", "Enter the variable: ", buf, flag);
    cap.finish();
    answer = buf;
    out = cap.out();
    return r;
}

/// The abbreviations the menu offers ("?" lists them).
std::string offered()
{
    std::string answer, out;
    run_menu("?\n", answer, out);
    const std::string prompt = "Enter the variable: ";
    const size_t start = out.find(prompt);
    if (start == std::string::npos) return out;
    const size_t from = start + prompt.size();
    return out.substr(from, out.find('\n', from) - from);
}

TEST(VarFile, MenuOffersTheShownRecords)
{
    vartest::Files files;
    ASSERT_EQ(VAR_open_file("test.var"), 1);
    ASSERT_EQ(VAR_read_menu(), 1);
    // "hid" has display word 0, "eta12" and "either" conditions that no text meets yet; the
    // continuation line of "pair" is no record.
    EXPECT_EQ(offered(), "back,wbrb,both,pair,loop,ping,pong,fmt");
    VAR_set_model_str("eta");
    VAR_read_menu();
    EXPECT_EQ(offered(), "back,wbrb,both,pair,loop,ping,pong,either,fmt");
    VAR_set_time_str("12");
    VAR_read_menu();
    EXPECT_EQ(offered(), "back,wbrb,both,pair,loop,ping,pong,eta12,either,fmt");
    VAR_set_model_str("ngm");
    VAR_read_menu();
    EXPECT_EQ(offered(), "back,wbrb,both,pair,loop,ping,pong,either,fmt");
}

TEST(VarFile, MenuAnswers)
{
    vartest::Files files;
    ASSERT_EQ(VAR_open_file("test.var"), 1);
    ASSERT_EQ(VAR_read_menu(), 1);
    std::string answer, out;
    EXPECT_EQ(run_menu("both\n", answer, out), 1);
    EXPECT_EQ(answer, "both");
    EXPECT_NE(out.find("Temp and dew"), std::string::npos);  // '_' shown as blanks
    EXPECT_EQ(run_menu("1\n", answer, out), 1);
    EXPECT_EQ(answer, "wbrb");
    EXPECT_EQ(run_menu("PING\n", answer, out), 1);
    EXPECT_EQ(answer, "ping");
    EXPECT_EQ(run_menu("nothing\n", answer, out), -9999);
    // "list" lists the file and asks again.
    EXPECT_EQ(run_menu("list\nfmt\n", answer, out), 1);
    EXPECT_EQ(answer, "fmt");
    EXPECT_NE(out.find(" Abbr    Description\n"), std::string::npos);
    EXPECT_NE(out.find("hid      Hidden"), std::string::npos);
    // "list" at the end of the input ends the menu.
    EXPECT_EQ(run_menu("list\n", answer, out), -9999);
    EXPECT_EQ(answer, "");
    EXPECT_EQ(run_menu("exit\n", answer, out, 1), 0);
}

TEST(VarFile, BatchMenuTakesTheFirstEntry)
{
    vartest::Files files("hid Hidden 0 tmp\nfirst First 1 tmp\n");
    ASSERT_EQ(VAR_open_file("test.var"), 1);
    ASSERT_EQ(VAR_read_menu(), 1);
    FLAG_set(FLAG_BATCH, 1);
    char buf[20] = "x";
    EXPECT_EQ(VAR_menu("t", "p", buf, 3), 1);
    EXPECT_STREQ(buf, "first");
    vyktest::write_file(files.file("test.var"), "hid Hidden 0 tmp\n");
    ASSERT_EQ(VAR_open_file("test.var"), 1);
    VAR_read_menu();
    EXPECT_EQ(VAR_menu("t", "p", buf, 3), 1);
    EXPECT_STREQ(buf, "def");
}

TEST(VarFile, LookupJoinsContinuationLines)
{
    vartest::Files files(
        "a  A 1 x ,  y \\\n"
        "   z\\\r\n"
        " , w   \r\n"
        "b  B 1 b\n"
        "\n"
        "c C 1\n");
    EXPECT_EQ(VAR_lookup("a", nullptr, 0), 0);  // no file open yet
    ASSERT_EQ(VAR_open_file("test.var"), 1);
    char def[VAR_DEF_LEN];
    EXPECT_EQ(VAR_lookup("a", def, sizeof def), 1);
    EXPECT_STREQ(def, "x,yz,w");
    EXPECT_EQ(VAR_lookup("b", def, sizeof def), 1);
    EXPECT_STREQ(def, "b");
    EXPECT_EQ(VAR_lookup("c", def, sizeof def), 1);
    EXPECT_STREQ(def, "");
    EXPECT_EQ(VAR_lookup("z", def, sizeof def), 0);  // a continuation line is no record
    EXPECT_EQ(VAR_lookup("B", def, sizeof def), 0);
    EXPECT_EQ(VAR_lookup("", def, sizeof def), 0);
    char small[4];
    EXPECT_EQ(VAR_lookup("a", small, sizeof small), 1);
    EXPECT_STREQ(small, "x,y");
    char name[VAR_MENU_DESC_LEN];
    EXPECT_EQ(VAR_search_name_file("B", name), 1);
    EXPECT_STREQ(name, "B");
    EXPECT_EQ(VAR_search_name_file("w", name), 0);
}

TEST(VarFile, LongLinesAreCutAndNeverReadAsRecords)
{
    const std::string tail(3000, 'q');
    std::string def(990, 'd');
    const std::string text = "long Long_record 1 tmp" + std::string(1500, ' ') + "x second S 1 y\n" +
                             "cont Continued 1 " + def + "\\\n" + def + "\\\n" + def + "\n" +
                             "toolongabbr " + std::string(40, 'D') + " 1 tmp\n" + "after After 1 z\n";
    vartest::Files files(text);
    ASSERT_EQ(VAR_open_file("test.var"), 1);
    CaptureStdio cap;
    ASSERT_EQ(VAR_read_menu(), 1);
    char buf[VAR_DEF_LEN];
    EXPECT_EQ(VAR_lookup("second", buf, sizeof buf), 0);
    EXPECT_EQ(VAR_lookup("cont", buf, sizeof buf), 1);
    EXPECT_EQ(std::string(buf), std::string(999, 'd'));
    EXPECT_EQ(VAR_lookup("after", buf, sizeof buf), 1);
    EXPECT_STREQ(buf, "z");
    cap.finish();
    EXPECT_NE(cap.err().find("line longer than 1200 characters cut"), std::string::npos);
    EXPECT_NE(cap.err().find("definition of cont cut to 999 characters"), std::string::npos);
    EXPECT_NE(cap.err().find("abbreviation cut to 8 characters: toolongabbr"), std::string::npos);
    EXPECT_NE(cap.err().find("description cut to 30 characters"), std::string::npos);
    EXPECT_EQ(offered(), "back,long,cont,toolonga,after");
}

TEST(VarFile, BinaryFilesGiveASaneState)
{
    std::string bytes;
    unsigned v = 12345;
    for (int i = 0; i < 20000; i++) {
        v = v * 1103515245u + 12345u;
        bytes += static_cast<char>(v >> 16);
    }
    vartest::Files files(bytes + "\nlast Last 1 tmp\n", bytes);
    ASSERT_EQ(VAR_open_file("test.var"), 1);
    CaptureStdio cap;
    EXPECT_EQ(VAR_read_menu(), 1);
    VAR_setup(nullptr, "last,tmp,a,b,c");
    cap.finish();
    EXPECT_LE(VAR_get_num(), 60);
    EXPECT_STREQ(VAR_get_name(0), "tmp");
    EXPECT_NE(offered().find(",last"), std::string::npos);
}

TEST(VarFile, DefaultFileIsNamedAfterTheProgram)
{
    vartest::Files files;
    char prog[FILE_NAME_MAX + 1];
    RES_get_progname(prog, sizeof prog);
    vyktest::write_file(files.file(std::string(prog) + ".var"), "own Own 1 tmp\n");
    ASSERT_EQ(VAR_open_file(nullptr), 1);
    char name[VAR_MENU_DESC_LEN];
    EXPECT_EQ(VAR_search_name_file("own", name), 1);
    CaptureStdio cap;
    EXPECT_EQ(VAR_open_file("none.var"), 0);
    cap.finish();
    EXPECT_NE(cap.err().find("VAR_open_file: Unable to open var file: " + files.file("none.var")),
              std::string::npos);
    EXPECT_EQ(VAR_read_menu(), 0);
    EXPECT_EQ(VAR_print_file(), -1);
}

}  // namespace

namespace {

TEST(VarFile, ConditionsOnTheLevelAndUnknownKeys)
{
    vartest::Files files(
        "a A le=500*|850* tmp\n"
        "b B xx=1 tmp\n"
        "c C LE=700mb tmp\n"
        "d D mo=eta&le=500mb,ft=0 tmp\n"
        "e E mo=eta& tmp\n");
    ASSERT_EQ(VAR_open_file("test.var"), 1);
    VAR_read_menu();
    EXPECT_EQ(offered(), "back");
    VAR_set_level_str("500mb");
    VAR_read_menu();
    EXPECT_EQ(offered(), "back,a");
    VAR_set_model_str("eta");
    VAR_read_menu();
    EXPECT_EQ(offered(), "back,a,d");
    VAR_set_level_str("700mb");
    VAR_set_time_str("0");
    VAR_read_menu();
    EXPECT_EQ(offered(), "back,c,d");
}

}  // namespace
