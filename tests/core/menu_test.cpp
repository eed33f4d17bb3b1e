// Console menus, driven through the menu_tool driver with answers on standard input.
#include "vyk.h"

#include <gtest/gtest.h>

#include <string>

#include "test_util.h"

namespace {

// Runs the driver with the given arguments and answers.
vyktest::RunResult menu(const std::string &args, const std::string &answers)
{
    return vyktest::run(vyktest::tool("menu_tool") + " " + args, answers);
}

// The standard output of a run up to and including the prompt: the menu as printed.
std::string printed_menu(const std::string &out)
{
    size_t p = out.find("Choice: ");
    return p == std::string::npos ? out : out.substr(0, p);
}

std::string result_line(const std::string &out)
{
    size_t p = out.find("result [");
    return p == std::string::npos ? "" : out.substr(p);
}

const std::string TITLE = "\n        Test Menu\n\n";

std::string item(int k) { return "Region number " + std::to_string(k); }

// One cell " %2d: %-30s" as the menu pads it.
std::string cell(int k, const std::string &name)
{
    char buf[80];
    snprintf(buf, sizeof buf, " %2d: %-30s", k, name.c_str());
    return buf;
}

const std::string SEPARATOR = " --------------------               ";
const std::string EXIT_CELL = " -1: Exit program                  \n";
const std::string BACK_CELL = "  0: Return to previous menu       ";

}  // namespace

TEST(Menu, OneColumnUpToTwelveItems)
{
    std::string expected = TITLE;
    for (int k = 1; k <= 12; k++) expected += cell(k, item(k)) + "\n";
    expected += BACK_CELL + "\n" + EXIT_CELL + "\n";
    auto r = menu("12 3", "1\n");
    EXPECT_EQ(printed_menu(r.out), expected);
}

TEST(Menu, TwoColumnsFromThirteenItems)
{
    struct Case {
        int n;
        int rows;
    } cases[] = {{13, 7}, {14, 7}, {21, 11}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.n);
        std::string expected = TITLE;
        for (int k = 1; k < c.rows; k++)
            expected += cell(k, item(k)) + " " + cell(k + c.rows, item(k + c.rows)) + "\n";
        expected += cell(c.rows, item(c.rows));
        if (c.n % 2 == 0) expected += " " + cell(2 * c.rows, item(2 * c.rows));
        expected += "\n";
        // The back and exit choices share the last line.
        expected += BACK_CELL + " " + EXIT_CELL + "\n";
        auto r = menu(std::to_string(c.n) + " 3", "1\n");
        EXPECT_EQ(printed_menu(r.out), expected);
    }
}

TEST(Menu, ClosingChoicesFollowTheFlags)
{
    std::string items;
    for (int k = 1; k <= 3; k++) items += cell(k, item(k)) + "\n";
    struct Case {
        int flag;
        std::string closing;
    } cases[] = {
        {0, ""},
        {1, "  0: Exit program                  \n"},
        {2, BACK_CELL + "\n"},
        {3, BACK_CELL + "\n" + EXIT_CELL},
        {7, " 99: Help                          \n" + BACK_CELL + "\n" + EXIT_CELL},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.flag);
        auto r = menu("3 " + std::to_string(c.flag), "1\n");
        EXPECT_EQ(printed_menu(r.out), TITLE + items + c.closing + "\n");
    }
}

TEST(Menu, SeparatorTakesANumber)
{
    auto r = menu("3 3 -s 2", "2\n");
    EXPECT_EQ(printed_menu(r.out), TITLE + cell(1, item(1)) + "\n" + SEPARATOR + "\n" +
                                       cell(3, item(3)) + "\n" + BACK_CELL + "\n" + EXIT_CELL +
                                       "\n");
    EXPECT_EQ(result_line(r.out), "result [102] string [Reg2]\n");

    // In two columns a separator fills a left or a right cell.
    r = menu("13 0 -s 2 -s 9", "9\n");
    std::string expected = TITLE;
    for (int k = 1; k < 7; k++) {
        // Both left cells are 36 characters wide: the item's ends in a blank.
        expected += k == 2 ? SEPARATOR : cell(k, item(k)) + " ";
        expected += k + 7 == 9 ? SEPARATOR + "\n" : cell(k + 7, item(k + 7)) + "\n";
    }
    expected += cell(7, item(7)) + "\n\n";
    EXPECT_EQ(printed_menu(r.out), expected);
    EXPECT_EQ(result_line(r.out), "result [109] string [Reg9]\n");
}

TEST(Menu, Answers)
{
    struct Case {
        const char *args;
        const char *answers;
        const char *result;
    } cases[] = {
        // By number: the item's index and its abbreviation; 0 and -1 as offered.
        {"3 3", "1\n", "result [101] string [Reg1]\n"},
        {"3 3", "3\n", "result [103] string [Reg3]\n"},
        {"3 3", "0\n", "result [0] string [0]\n"},
        {"3 3", "-1\n", "result [-1] string [-1]\n"},
        {"3 2", "-1\n", "result [-9999] string [-1]\n"},
        {"3 1", "-1\n", "result [-1] string [-1]\n"},
        {"3 0", "0\n", "result [-9999] string [0]\n"},
        {"3 3", "4\n", "result [-9999] string [4]\n"},
        {"3 3", "99999999999\n", "result [-9999] string [99999999999]\n"},
        {"3 7", "99\n", "result [-9999] string [99]\n"},
        {"3 3", "2 3\n", "result [102] string [Reg2]\n"},
        // By abbreviation in another letter case, or by name.
        {"3 3", "REG2\n", "result [102] string [Reg2]\n"},
        {"3 3 -n 2=Midwest", "midWEST\n", "result [102] string [Reg2]\n"},
        {"3 0", "BACK\n", "result [0] string [back]\n"},
        // A hidden entry is not among the answers.
        {"3 3", "hid\n", "result [-9999] string [hid]\n"},
        {"3 3", "nowhere\n", "result [-9999] string [nowhere]\n"},
        // The built-in answers.
        {"3 3", "main\n", "result [0] string [main]\n"},
        {"3 2", "MAIN\n", "result [0] string [MAIN]\n"},
        {"3 1", "main\n", "result [-9999] string [main]\n"},
        // An empty answer takes the preset text.
        {"3 3 -p Reg2", "\n", "result [102] string [Reg2]\n"},
        {"3 3 -p reg3", "\n", "result [103] string [Reg3]\n"},
        {"3 3 -p Midwest -n 1=Midwest", "\n", "result [101] string [Reg1]\n"},
        {"3 3 -p ''", "\n", "result [-9999] string []\n"},
        // Beyond the numbers of a long menu.
        {"21 3", "21\n", "result [121] string [Reg21]\n"},
        {"21 3", "22\n", "result [-9999] string [22]\n"},
        {"21 3", "500\n", "result [-9999] string [500]\n"},
        {"21 3 -a 4=500", "500\n", "result [104] string [500]\n"},
        {"21 3 -a 4=LongAbbreviation_24", "4\n", "result [104] string [LongAbbreviation_24]\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.args) + " / " + c.answers);
        auto r = menu(c.args, c.answers);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(result_line(r.out), c.result);
        EXPECT_EQ(r.err, "");
    }
}

TEST(Menu, QuestionMarkListsAbbreviationsAndAsksAgain)
{
    auto r = menu("3 3 -s 2", "?\n3\n");
    EXPECT_EQ(r.status, 0);
    std::string expected = TITLE + cell(1, item(1)) + "\n" + SEPARATOR + "\n" + cell(3, item(3)) +
                           "\n" + BACK_CELL + "\n" + EXIT_CELL + "\n" +
                           "Choice: back,Reg1,Reg2,Reg3\n\nChoice: \nresult [103] string [Reg3]\n";
    EXPECT_EQ(r.out, expected);
}

// After "?" an empty answer takes the caller's preset text, not the question mark; at the end of
// the input the menu therefore returns instead of asking forever.
TEST(Menu, EmptyAnswerAfterQuestionMarkTakesThePreset)
{
    struct Case {
        const char *args;
        const char *answers;
        const char *result;
    } cases[] = {
        {"3 3 -p reg3", "?\n\n", "result [103] string [Reg3]\n"},
        {"3 3", "?\n", "result [-9999] string []\n"},
        {"3 3 -p '?'", "?\n", "result [-9999] string []\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.args);
        // timeout turns a menu that keeps asking into a failure instead of a stalled suite.
        auto r = vyktest::run("timeout 20 " + vyktest::tool("menu_tool") + " " + c.args, c.answers);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(result_line(r.out), c.result);
    }
}

TEST(Menu, ExitAnswerEndsTheProgram)
{
    for (const char *flag : {"3", "0"}) {
        SCOPED_TRACE(flag);
        auto r = menu(std::string("3 ") + flag, "exit\n");
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(result_line(r.out), "");
        EXPECT_NE(r.out.find("Choice: "), std::string::npos);
    }
}

TEST(Menu, LookupsByTextAndIndex)
{
    MENU_item table[] = {
        {"Return to previous menu", "back", 0, {1, 1}},
        {"United States", "us", 1, {1, 0}},
        {"Northeast", "ne", 2, {0, 1}},
        {"Also northeast", "ne2", 2, {1, 1}},
        {nullptr, nullptr, 0, {}},
    };
    EXPECT_EQ(MENU_search("US", table), 1);
    EXPECT_EQ(MENU_search("northeast", table), 2);
    EXPECT_EQ(MENU_search("Back", table), 0);
    EXPECT_EQ(MENU_search("return to previous menu", table), 0);
    EXPECT_EQ(MENU_search("se", table), VYK_MISS);
    EXPECT_EQ(MENU_search(nullptr, table), VYK_MISS);

    EXPECT_STREQ(MENU_get_abbr(2, table), "ne");
    EXPECT_STREQ(MENU_get_abbr(0, table), "back");
    EXPECT_EQ(MENU_get_abbr(9, table), nullptr);

    // The first entry with the index decides.
    EXPECT_EQ(MENU_check(2, table, 0), 0);
    EXPECT_EQ(MENU_check(2, table, 1), 1);
    EXPECT_EQ(MENU_check(1, table, 0), 1);
    EXPECT_EQ(MENU_check(9, table, 0), 0);
    EXPECT_EQ(MENU_check(1, table, 10), 0);
    EXPECT_EQ(MENU_check(1, table, -1), 0);
}
