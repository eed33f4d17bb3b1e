// Timing and memory: sleeping, elapsed time and the process's virtual memory.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <unistd.h>

#include "test_util.h"
#include "vyk.h"

using vyktest::quote;
using vyktest::run;
using vyktest::TempDir;
using vyktest::tool;

TEST(Timing, SleepRefusesNonPositiveTimes)
{
    for (float secs : {0.0f, -1.0f, -0.001f, NAN}) EXPECT_EQ(VYK_sleep(secs), -1) << secs;
    EXPECT_EQ(VYK_sleep(0.001f), 0);
}

TEST(Timing, ElapsedTimeAndSleepAccount)
{
    struct Case {
        const char *steps, *out;
    } cases[] = {
        // Whole seconds and microseconds, borrowing a second.
        {"clock:100.900000 init clock:102.100000 elapse", "elapse 1.20000005\n"},
        {"clock:100.000001 init clock:100.500001 elapse", "elapse 0.5\n"},
        // A reading without microseconds gives the account of the time slept.
        {"clock:100.500000 init sleep:0.0078125 sleep:0 sleep:-1 sleep:0.00390625 "
         "clock:200.000000 elapse",
         "sleep 0\nsleep -1\nsleep -1\nsleep 0\nelapse 0.01171875\n"},
        {"sleep:0.0078125 init clock:300.000000 elapse", "sleep 0\nelapse 0\n"},
    };
    for (const Case &c : cases) {
        auto r = run(quote(tool("clock_tool")) + " " + c.steps);
        EXPECT_EQ(r.status, 0) << c.steps;
        EXPECT_EQ(r.out, c.out) << c.steps;
    }
}

TEST(Timing, VirtualMemoryMatchesTheKernel)
{
    EXPECT_GT(VYK_get_virt_mem(), 0);
    // A command name with blanks and parentheses: fields are counted after the last ')'.
    TempDir dir;
    const std::string link = dir.file("a) b (c");
    ASSERT_EQ(symlink(tool("proc_tool").c_str(), link.c_str()), 0);
    auto r = run(quote(link) + " virt");
    ASSERT_EQ(r.status, 0);
    long mine = 0, kernel = 0;
    ASSERT_EQ(sscanf(r.out.c_str(), "%ld %ld", &mine, &kernel), 2) << r.out;
    EXPECT_GT(mine, 0);
    EXPECT_EQ(mine, kernel);
}
