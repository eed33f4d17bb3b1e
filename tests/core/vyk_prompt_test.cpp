// Prompts: answers of the typed prompts and the "set" command.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_util.h"
#include "vyk.h"
#include "vykresrc.h"

using vyktest::CaptureStdio;
using vyktest::quote;
using vyktest::run;
using vyktest::tool;

namespace {

// Counts the occurrences of needle in text.
int count_of(const std::string &text, const std::string &needle)
{
    int n = 0;
    for (size_t p = text.find(needle); p != std::string::npos; p = text.find(needle, p + 1)) n++;
    return n;
}

}  // namespace

TEST(Prompt, Answers)
{
    const std::string x79(79, 'x');
    struct Case {
        const char *args;
        std::string input;
        int status;
        std::string result;  // "" when the program ended at the prompt
        int asked;           // how often the prompt was printed
    } cases[] = {
        {"s 4 keep", "alpha beta\n", 0, "[alp] same 1", 1},
        {"s 10 keep", "  word  \n", 0, "[word] same 1", 1},
        {"s 1 keep", "xyz\n", 0, "[x] same 1", 1},  // length below 2 counts as 2
        {"s 10 keep", "\n", 0, "[keep] same 1", 1},
        {"s 10 keep", " \t \n", 0, "[keep] same 1", 1},
        {"s 10 keep", "", 0, "[keep] same 1", 1},  // end of input is an empty answer
        {"S 10", "word\n", 0, "[word]", 1},
        {"S 10", "\n", 0, "[]", 1},
        {"l keep", "abcdefghijklmnopqrstuvwxyz\n", 0, "[abcdefghijklmnopqrs]", 1},
        {"l keep", "\n", 0, "[keep]", 1},
        {"f", "3.5 4\n", 0, "[3.5]", 1},
        {"f", "abc\n-2e3\n", 0, "[-2000]", 2},
        {"f", "\n", 0, "[0]", 1},
        {"f", "abc\n", 0, "[0]", 2},
        {"d", "12abc\n", 0, "[12]", 1},
        {"d", "abc\n", 0, "[0]", 2},
        {"d", "", 0, "[0]", 1},
        {"d", "-7\n", 0, "[-7]", 1},
        // A line of exactly 79 characters is one answer; a longer one comes in pieces.
        {"d", x79 + "\n7\n", 0, "[7]", 2},
        {"d", x79 + "12\n", 0, "[12]", 2},
        {"s 200 keep", x79 + "tail\n", 0, "[" + x79 + "] same 1", 1},
        // "set" answers store or list and ask again; the buffer keeps its value meanwhile.
        {"s 10 keep", "SET file_path=/data\n\n", 0, "[keep] same 1", 2},
        {"s 10 keep", "set name value\nset\n\n", 0, "[keep] same 1", 3},
        {"s 10 keep", "set\nnew\n", 0, "[new] same 1", 2},
        {"s 10 keep", "setup\n\n", 0, "[keep] same 1", 2},
        {"d", "set level = 500\n5\n", 0, "[5]", 2},
        {"l keep", "set name value\nx\n", 0, "[x]", 2},
        // "exit" in any letter case ends the program with status 0.
        {"s 10 keep", "exit\n", 0, "", 1},
        {"l keep", "Exit now\n", 0, "", 1},
        {"f", "EXIT\n", 0, "", 1},
        {"d", "abc\nexit\n", 0, "", 2},
    };
    for (const Case &c : cases) {
        auto r = run(quote(tool("prompt_tool")) + " " + c.args, c.input);
        std::string what = std::string(c.args) + " <<" + c.input;
        EXPECT_EQ(r.status, c.status) << what;
        std::string prompt = c.args[0] == 's' || c.args[0] == 'S' ? "Word: "
                             : c.args[0] == 'l'                   ? "Menu: "
                                                                  : "Number: ";
        EXPECT_EQ(r.out.rfind(prompt, 0), 0u) << what;  // printed first, as it is
        EXPECT_EQ(count_of(r.out, prompt), c.asked) << what;
        if (c.result.empty())
            EXPECT_EQ(r.out.find("result"), std::string::npos) << what;
        else
            EXPECT_NE(r.out.find("\nresult " + c.result + "\n"), std::string::npos)
                << what << r.out;
    }
}

TEST(Prompt, SetAnswersReachTheResourceList)
{
    auto r = run(quote(tool("prompt_tool")) + " d",
                 "SET file_path=/data\nset level = 500 mb\nset\n1\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(count_of(r.out, "Number: "), 4);
    EXPECT_NE(r.out.find("Set resources\nfile_path: /data\nlevel: 500 mb\n\nNumber: "),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("\nresult [1]\n"), std::string::npos);
}

TEST(Prompt, SetCommandRecognisesLines)
{
    struct Case {
        const char *line;
        int result;
        const char *name, *value;  // what the resource list holds afterwards
    } cases[] = {
        {"hello", 0, "hello", nullptr},
        {"", 0, "", nullptr},
        {"exi", 0, "exi", nullptr},
        {" set a b", 0, "a", nullptr},  // the command starts the line
        {"set a b", 1, "a", "b"},
        {"Set a=c", 1, "a", "c"},
        {"SET title = two words  inside", 1, "title", "two words  inside"},
        {"setup x==1", 1, "x", "1"},
        {"set\tname value", 1, "name", "value"},
        {"set alone", 1, "alone", ""},  // a name without a value stores ""
    };
    for (const Case &c : cases) {
        EXPECT_EQ(VYK_set_command(c.line), c.result) << c.line;
        const char *got = RES_get(c.name);
        if (!c.value) EXPECT_EQ(got, nullptr) << c.line;
        else EXPECT_STREQ(got, c.value) << c.line;
    }
    EXPECT_EQ(VYK_set_command(nullptr), 0);

    for (const char *line : {"set", "set =", "Set   "}) {
        CaptureStdio cap;
        EXPECT_EQ(VYK_set_command(line), 1);
        cap.finish();
        EXPECT_EQ(cap.out(), "Set resources\na: c\ntitle: two words  inside\nx: 1\nname: value\n"
                             "alone: \n\n")
            << line;
    }
    EXPECT_EXIT(VYK_set_command("eXiT"), testing::ExitedWithCode(0), "");
}
