// Processes: the version, the end of the program, the process table and running children.
#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "test_util.h"
#include "vyk.h"
#include "vykresrc.h"

extern char **environ;

using vyktest::CaptureStdio;
using vyktest::quote;
using vyktest::read_file;
using vyktest::run;
using vyktest::TempDir;
using vyktest::tool;

namespace {

bool exists(const std::string &path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

// Polls for a condition that another process brings about; false after ten seconds.
template <class F> bool wait_for(F done)
{
    for (int i = 0; i < 10000; i++) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

char state_of(int pid)
{
    std::string stat = read_file("/proc/" + std::to_string(pid) + "/stat");
    size_t p = stat.rfind(')');
    return p == std::string::npos || p + 2 >= stat.size() ? '?' : stat[p + 2];
}

// An argument vector that owns its texts.
struct Args {
    std::vector<std::string> words;
    std::vector<char *> ptrs;
    Args(std::initializer_list<const char *> list) : words(list.begin(), list.end())
    {
        for (std::string &w : words) ptrs.push_back(w.data());
        ptrs.push_back(nullptr);
    }
    char *const *argv() { return ptrs.data(); }
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// Version, exit, table
// ---------------------------------------------------------------------------------------------

TEST(Proc, VersionAndPid)
{
    EXPECT_STREQ(VYK_version(), "5.60.2-LINUX-X11");
    EXPECT_EQ(VYK_get_pid(), static_cast<int>(getpid()));
}

TEST(Proc, ExitEndsWithStatusAfterHandlersAndFlush)
{
    for (int status : {0, 1, 2, 10, 43}) {
        auto r = run(quote(tool("proc_tool")) + " exit " + std::to_string(status));
        EXPECT_EQ(r.status, status);
        EXPECT_EQ(r.out, "buffered\nhandler\n") << status;
    }
}

TEST(Proc, TableTakesFirstFreeSlotAndCountNeverShrinks)
{
    EXPECT_EQ(VYK_numproc(), 0);
    EXPECT_EQ(VYK_proc_id(0), -1);
    EXPECT_STREQ(VYK_proc_name(0), "");

    EXPECT_EQ(VYK_add_proc(1001, "alpha"), 0);
    EXPECT_EQ(VYK_add_proc(1002, "a_very_long_program_name"), 1);
    EXPECT_EQ(VYK_add_proc(1003, "gamma"), 2);
    EXPECT_EQ(VYK_numproc(), 3);
    EXPECT_STREQ(VYK_proc_name(1), "a_very_long_pr");  // 14 characters kept
    EXPECT_EQ(VYK_proc(1003), 2);
    EXPECT_EQ(VYK_proc(4242), -1);

    EXPECT_EQ(VYK_clr_proc(1), 0);
    EXPECT_EQ(VYK_proc_id(1), -1);
    EXPECT_STREQ(VYK_proc_name(1), "");
    EXPECT_EQ(VYK_numproc(), 3);
    EXPECT_EQ(VYK_add_proc(1004, "delta"), 1);  // the freed slot first
    EXPECT_EQ(VYK_numproc(), 3);

    EXPECT_EQ(VYK_set_proc(2, 1005), 0);
    EXPECT_EQ(VYK_proc_id(2), 1005);
    EXPECT_EQ(VYK_proc(1005), 2);

    for (int i = 3; i < VYK_MAX_PROC; i++) EXPECT_EQ(VYK_add_proc(2000 + i, "x"), i);
    EXPECT_EQ(VYK_add_proc(3000, "full"), -1);
    EXPECT_EQ(VYK_numproc(), 10);

    // Positions outside the table are refused instead of reaching beyond it.
    for (int bad : {-1, 10, INT_MAX}) {
        EXPECT_EQ(VYK_proc_id(bad), -1);
        EXPECT_STREQ(VYK_proc_name(bad), "");
        EXPECT_EQ(VYK_set_proc(bad, 1), -1);
        EXPECT_EQ(VYK_clr_proc(bad), -1);
        EXPECT_EQ(VYK_chk_proc(bad), 0);
    }
}

TEST(Proc, ChkProcProbesAndFreesEndedProcesses)
{
    EXPECT_EQ(VYK_chk_proc(0), 0);  // free slot

    EXPECT_EQ(VYK_add_proc(getpid(), "self"), 0);
    EXPECT_EQ(VYK_chk_proc(0), 1);
    EXPECT_EQ(VYK_proc_id(0), getpid());

    pid_t pid = fork();
    if (pid == 0) _exit(0);
    ASSERT_GT(pid, 0);
    waitpid(pid, nullptr, 0);
    EXPECT_EQ(VYK_add_proc(pid, "gone"), 1);
    EXPECT_EQ(VYK_chk_proc(1), 0);
    EXPECT_EQ(VYK_proc_id(1), -1);
    EXPECT_STREQ(VYK_proc_name(1), "");
}

// ---------------------------------------------------------------------------------------------
// Running children
// ---------------------------------------------------------------------------------------------

TEST(Proc, RunForegroundStatuses)
{
    struct Case {
        const char *file;
        Args args;
        std::vector<const char *> env;  // empty: the program's environment
        int status;
        const char *err;
    } cases[] = {
        {"true", {"true"}, {}, 0, ""},
        {"/bin/sh", {"sh", "-c", "exit 3"}, {}, 3, ""},
        {"/bin/sh", {"sh", "-c", "exit $VYKTEST_CODE"}, {"VYKTEST_CODE=7"}, 7, ""},
        {"/bin/sh", {"sh", "-c", "kill -9 $$"}, {}, 137, ""},
        {"/bin/sh", {"sh", "-c", "kill -TERM $$"}, {}, 143, ""},
        {"no_such_program_vyk", {"no_such_program_vyk"}, {}, 2,
         "Running no_such_program_vyk: No such file or directory\n"},
    };
    for (Case &c : cases) {
        std::vector<char *> env;
        for (const char *e : c.env) env.push_back(const_cast<char *>(e));
        env.push_back(nullptr);
        CaptureStdio cap;
        int status = VYK_run(c.file, c.args.argv(), c.env.empty() ? environ : env.data(), 0);
        cap.finish();
        EXPECT_EQ(status, c.status) << c.args.words.back();
        EXPECT_EQ(cap.err(), c.err) << c.args.words.back();
    }
}

TEST(Proc, RunRedirectsStandardStreams)
{
    TempDir dir;
    const std::string in = dir.file("in"), out = dir.file("out");
    vyktest::write_file(in, "hello\n");
    vyktest::write_file(out, "old content that is longer\n");
    Args cat{"cat"};
    EXPECT_EQ(VYK_set_infile(in.c_str()), 1);
    EXPECT_EQ(VYK_set_outfile(out.c_str()), 1);
    EXPECT_EQ(VYK_run("cat", cat.argv(), environ, 0), 0);
    EXPECT_EQ(read_file(out), "hello\n");  // truncated, then written

    // The settings hold for later runs until they are set again.
    Args again{"sh", "-c", "read x; echo again $x"};
    EXPECT_EQ(VYK_run("/bin/sh", again.argv(), environ, 0), 0);
    EXPECT_EQ(read_file(out), "again hello\n");

    // Files that cannot be opened end the child with status 1.
    EXPECT_EQ(VYK_set_infile(dir.file("missing").c_str()), 1);
    EXPECT_EQ(VYK_run("cat", cat.argv(), environ, 0), 1);
    EXPECT_EQ(VYK_set_infile(in.c_str()), 1);
    EXPECT_EQ(VYK_set_outfile(dir.file("no/dir").c_str()), 1);
    EXPECT_EQ(VYK_run("cat", cat.argv(), environ, 0), 1);

    // Empty names switch the redirections off.
    VYK_set_infile("");
    VYK_set_outfile("");
    Args echo{"sh", "-c", "echo off"};
    CaptureStdio cap;
    EXPECT_EQ(VYK_run("/bin/sh", echo.argv(), environ, 0), 0);
    cap.finish();
    EXPECT_EQ(cap.out(), "off\n");
}

TEST(Proc, RedirectionPathsLongerThan69AreRefused)
{
    TempDir dir;
    std::string base = dir.path() + "/";
    const std::string fits = base + std::string(69 - base.size(), 'f');
    const std::string too_long = base + std::string(70 - base.size(), 'g');
    ASSERT_EQ(fits.size(), 69u);
    Args echo{"sh", "-c", "echo text"};

    EXPECT_EQ(VYK_set_outfile(fits.c_str()), 1);
    EXPECT_EQ(VYK_run("/bin/sh", echo.argv(), environ, 0), 0);
    EXPECT_EQ(read_file(fits), "text\n");

    for (auto setter : {VYK_set_outfile, VYK_set_infile}) {
        CaptureStdio cap;
        EXPECT_EQ(setter(too_long.c_str()), 0);
        cap.finish();
        EXPECT_NE(cap.err().find("longer than 69 characters"), std::string::npos);
        EXPECT_NE(cap.err().find(too_long), std::string::npos);
    }
    // The refusal switched the redirection off: the earlier file is not overwritten, and no
    // file with a cut-down name appears.
    Args other{"sh", "-c", "echo other"};
    CaptureStdio cap;
    EXPECT_EQ(VYK_run("/bin/sh", other.argv(), environ, 0), 0);
    cap.finish();
    EXPECT_EQ(cap.out(), "other\n");
    EXPECT_EQ(read_file(fits), "text\n");
    EXPECT_FALSE(exists(base + std::string(69 - base.size(), 'g')));
}

TEST(Proc, RunInBackground)
{
    TempDir dir;
    const std::string out = dir.file("out");
    VYK_set_outfile(out.c_str());
    // Standard input on /dev/null, a process group of its own.
    Args args{"sh", "-c", "readlink /proc/$$/fd/0; cut -d' ' -f5 /proc/$$/stat; echo $$"};
    int slot = VYK_run("/bin/sh", args.argv(), environ, 2);
    ASSERT_EQ(slot, 0);
    EXPECT_EQ(VYK_numproc(), 1);
    EXPECT_STREQ(VYK_proc_name(slot), "sh");
    int pid = VYK_proc_id(slot);
    int status = -1;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    std::string p = std::to_string(pid);
    EXPECT_EQ(read_file(out), "/dev/null\n" + p + "\n" + p + "\n");
}

TEST(Proc, ForegroundWaitFreesSlotsOfEndedBackgroundChildren)
{
    Args t{"true"};
    int slot = VYK_run("true", t.argv(), environ, 2);
    ASSERT_EQ(slot, 0);
    int pid = VYK_proc_id(slot);
    ASSERT_TRUE(wait_for([&] { return state_of(pid) == 'Z'; }));
    EXPECT_EQ(VYK_run("true", t.argv(), environ, 0), 0);
    EXPECT_EQ(VYK_proc_id(slot), -1);
    EXPECT_EQ(VYK_proc(pid), -1);
    EXPECT_EQ(VYK_numproc(), 1);
}

TEST(Proc, TenSlotsEverTakenRefuseBackgroundRuns)
{
    for (int i = 0; i < VYK_MAX_PROC; i++) ASSERT_EQ(VYK_add_proc(900000 + i, "fake"), i);
    for (int i = 0; i < VYK_MAX_PROC; i++) VYK_clr_proc(i);
    ASSERT_EQ(VYK_numproc(), 10);
    TempDir dir;
    VYK_set_outfile(dir.file("out").c_str());
    Args args{"sh", "-c", "echo started"};
    EXPECT_EQ(VYK_run("/bin/sh", args.argv(), environ, 2), 0);
    EXPECT_FALSE(exists(dir.file("out")));  // nothing was started
    EXPECT_EQ(VYK_proc_id(0), -1);
    // A foreground run is not limited by the table.
    EXPECT_EQ(VYK_run("/bin/sh", args.argv(), environ, 0), 0);
    EXPECT_EQ(read_file(dir.file("out")), "started\n");
}

TEST(Proc, RunFuncStatuses)
{
    struct Case {
        int (*func)(int);
        int arg;
        int status;
    } cases[] = {
        {+[](int a) { return a; }, 0, 0},
        {+[](int a) { return a; }, 7, 7},
        {+[](int) { return raise(SIGKILL); }, 0, 128 + SIGKILL},
        {+[](int) { return raise(SIGTERM); }, 0, 128 + SIGTERM},
    };
    for (const Case &c : cases) EXPECT_EQ(VYK_run_func(c.func, c.arg), c.status) << c.status;
}

TEST(Proc, ChildrenDoNotRepeatBufferedOutput)
{
    auto r = run(quote(tool("proc_tool")) + " func");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "before\nchild 5\nstatus 5\n");
}

TEST(Proc, BackProcDetachesOntoDevNull)
{
    TempDir dir;
    const std::string report = dir.file("report");
    auto r = run(quote(tool("proc_tool")) + " back " + quote(report));
    EXPECT_EQ(r.status, 0);
    // Written once, before the fork; the foreground ran no exit handler.
    EXPECT_EQ(r.out, "start\n");
    ASSERT_TRUE(wait_for([&] { return exists(report); }));
    std::ifstream in(report);
    std::string pid, fd0, fd1, fd2, result, own_group;
    in >> pid >> fd0 >> fd1 >> fd2 >> result >> own_group;
    EXPECT_NE(std::stoi(pid), getpid());
    EXPECT_EQ(fd0, "/dev/null");
    EXPECT_EQ(fd1, "/dev/null");
    EXPECT_EQ(fd2, "/dev/null");
    EXPECT_EQ(result, "1");
    EXPECT_EQ(own_group, "1");
}

TEST(Proc, FailedForkIsReported)
{
    struct Case {
        const char *what, *out, *err;
    } cases[] = {
        {"run", "result -1\n", "VYK_run: cannot fork: Resource temporarily unavailable\n"},
        {"func", "result -1\n", "VYK_run_func: cannot fork: Resource temporarily unavailable\n"},
        // The program goes on in the foreground instead of ending.
        {"back", "result 1\n", "VYK_back_proc: cannot fork, continuing in the foreground\n"},
    };
    for (const Case &c : cases) {
        // The leak checker itself needs to start a thread, which the fork filter forbids.
        auto r = run("ASAN_OPTIONS=detect_leaks=0 " + quote(tool("proc_tool")) + " forkfail " +
                     c.what);
        EXPECT_EQ(r.status, 0) << c.what;
        EXPECT_EQ(r.out, c.out) << c.what;
        EXPECT_EQ(r.err, c.err) << c.what;
    }
}
