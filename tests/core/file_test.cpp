// Paths, file tests and opening files.
#include "test_util.h"
#include "vyk.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

using vyktest::quote;
using vyktest::read_file;
using vyktest::run;
using vyktest::TempDir;
using vyktest::write_file;

namespace {

std::string trimmed(std::string s)
{
    while (!s.empty() && (s.back() == '\n' || s.back() == ' '))
        s.pop_back();
    return s;
}

/// Home directory of the current user as the system's password database gives it.
std::string own_home()
{
    const std::string home = trimmed(run("getent passwd \"$(id -u)\" | cut -d: -f6").out);
    if (!home.empty())
        return home;
    const char *env = getenv("HOME");
    return env ? env : "";
}

/// Works in dir for the life of the object.
class InDir {
public:
    explicit InDir(const std::string &dir)
    {
        char buf[4096];
        saved_ = getcwd(buf, sizeof buf) ? buf : "/";
        EXPECT_EQ(chdir(dir.c_str()), 0);
    }
    ~InDir() { EXPECT_EQ(chdir(saved_.c_str()), 0); }

private:
    std::string saved_;
};

std::string read_stream(FILE *fp)
{
    std::string text;
    char buf[256];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, fp)) > 0)
        text.append(buf, n);
    return text;
}

/// A path of exactly length characters inside dir.
std::string path_of_length(const TempDir &dir, size_t length)
{
    const std::string prefix = dir.path() + "/";
    return prefix + std::string(length - prefix.size(), 'n');
}

bool exists_on_disk(const std::string &path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

}  // namespace

TEST(File, FullPathAndStdioNames)
{
    struct Case {
        const char *name;
        int fullpath;
        int stdio;
    };
    const Case cases[] = {
        {"/data/x", 1, 0}, {"./x", 1, 0}, {"../x", 1, 0}, {"~/x", 1, 0}, {"~user", 1, 0},
        {".hidden", 1, 0}, {"x.dat", 0, 0}, {"", 0, 1},   {"-", 0, 1},   {"std", 0, 1},
        {"STD", 0, 1},     {"Stdn", 0, 1}, {"stdin", 0, 0}, {"--", 0, 0}, {"|cat", 0, 0},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(FILE_fullpath(c.name), c.fullpath) << c.name;
        EXPECT_EQ(FILE_is_stdio(c.name), c.stdio) << c.name;
    }
    EXPECT_EQ(FILE_fullpath(nullptr), 0);
    EXPECT_EQ(FILE_is_stdio(nullptr), 0);
}

TEST(File, StoreNameKeepsWholeNamesOnly)
{
    const std::string longest(FILE_NAME_MAX, 'a');
    const std::string too_long = longest + "b";
    struct Case {
        const char *name;
        int result;
        std::string out;
    } cases[] = {
        {"data/file.prf", 0, "data/file.prf"},
        {longest.c_str(), 0, longest},
        {too_long.c_str(), -1, FILE_NAME_TOO_LONG},  // never cut into another name
        {nullptr, 0, ""},
    };
    for (const Case &c : cases) {
        char out[FILE_NAME_MAX + 1];
        EXPECT_EQ(FILE_store_name(c.name, out), c.result) << (c.name ? c.name : "(null)");
        EXPECT_EQ(out, c.out);
    }
}

TEST(File, AddPath)
{
    struct Case {
        const char *dir;
        const char *name;
        const char *out;
    };
    const Case cases[] = {
        {"/data", "x.dat", "/data/x.dat"}, {"/data/", "x.dat", "/data/x.dat"},
        {"/data", "./x.dat", "./x.dat"},   {"/data", "~/x.dat", "~/x.dat"},
        {"/data", "/abs/x", "/abs/x"},     {nullptr, "x.dat", "x.dat"},
        {"", "x.dat", "x.dat"},            {"rel", "x.dat", "rel/x.dat"},
        {"/data", "-", "-"},               {"/data", "std", "std"},
        {"/data", "", ""},                 {"/data", "STDN", "STDN"},
    };
    for (const Case &c : cases) {
        char out[FILE_NAME_MAX + 1];
        EXPECT_EQ(FILE_add_path(c.dir, c.name, out), out);
        EXPECT_STREQ(out, c.out) << (c.dir ? c.dir : "NULL") << " + " << c.name;
    }
    // The name may live in the output buffer itself.
    char buf[FILE_NAME_MAX + 1] = "x.dat";
    FILE_add_path("/data", buf, buf);
    EXPECT_STREQ(buf, "/data/x.dat");
}

TEST(File, AddPathDelim)
{
    const char *cases[][2] = {{"/data", "/data/"}, {"/data/", "/data/"}, {"", ""}, {"a", "a/"}};
    for (const auto &c : cases) {
        char buf[32];
        strcpy(buf, c[0]);
        EXPECT_EQ(FILE_add_path_delim(buf), 0);
        EXPECT_STREQ(buf, c[1]);
    }
}

TEST(File, AddUserPath)
{
    const std::string home = own_home();
    ASSERT_FALSE(home.empty());
    const std::string root_home = trimmed(run("getent passwd root | cut -d: -f6").out);
    ASSERT_FALSE(root_home.empty());
    const std::string long_user = "~" + std::string(20, 'u') + "/x";
    struct Case {
        std::string name, out;
    };
    const Case cases[] = {
        {"~", home},
        {"~/x.dat", home + "/x.dat"},
        {"~root/x.dat", root_home + "/x.dat"},
        {"~root", root_home},
        {"~nosuchuserqq/x.dat", "~nosuchuserqq/x.dat"},
        {long_user, long_user},  // a user name of more than 19 characters is nobody's
        {"plain/x.dat", "plain/x.dat"},
        {"/a/~/b", "/a/~/b"},
    };
    for (const Case &c : cases) {
        char out[FILE_NAME_MAX + 1];
        EXPECT_EQ(FILE_add_user_path(c.name.c_str(), out), 0) << c.name;
        EXPECT_EQ(std::string(out), c.out) << c.name;
    }
    EXPECT_EQ(FILE_exist("~"), 1);
    EXPECT_EQ(FILE_is_dir("~/"), 1);
}

TEST(File, ExistAndKinds)
{
    TempDir dir;
    const std::string file = dir.file("f.dat"), fifo = dir.file("pipe"), sub = dir.file("sub");
    write_file(file, "abc");
    ASSERT_EQ(run("mkfifo " + quote(fifo) + " && mkdir " + quote(sub)).status, 0);
    struct Case {
        std::string name;
        int exist, dir, file, fifo, device;
    };
    const Case cases[] = {
        {file, 1, 0, 1, 0, 0},          {sub, 1, 1, 0, 0, 0},
        {fifo, 1, 0, 0, 1, 0},          {"/dev/null", 1, 0, 0, 0, 1},
        {dir.file("missing"), 0, 0, 0, 0, 0}, {"", 1, 0, 0, 0, 0},
        {"STD", 1, 0, 0, 0, 0},         {"-", 1, 0, 0, 0, 0},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(FILE_exist(c.name.c_str()), c.exist) << c.name;
        EXPECT_EQ(FILE_is_dir(c.name.c_str()), c.dir) << c.name;
        EXPECT_EQ(FILE_is_file(c.name.c_str()), c.file) << c.name;
        EXPECT_EQ(FILE_is_fifo(c.name.c_str()), c.fifo) << c.name;
        EXPECT_EQ(FILE_is_device(c.name.c_str()), c.device) << c.name;
    }
    EXPECT_EQ(FILE_exist(nullptr), 0);
}

// What a reader may take as its input: a FIFO (whose opening would wait for a writer), a
// directory or a device is refused with a warning naming it; a command or a standard stream
// named by the user, a regular file and a missing name (its opening fails) pass.
TEST(File, InputOkRefusesWhatIsNoRegularFile)
{
    TempDir dir;
    const std::string file = dir.file("f.dat"), fifo = dir.file("pipe"), sub = dir.file("sub");
    write_file(file, "abc");
    ASSERT_EQ(run("mkfifo " + quote(fifo) + " && mkdir " + quote(sub)).status, 0);
    struct Case {
        std::string name;
        int ok;
    };
    const Case cases[] = {
        {file, 1}, {dir.file("missing"), 1}, {"-", 1}, {"std", 1}, {"|cat " + fifo, 1},
        {fifo, 0}, {sub, 0},                 {"/dev/null", 0},
    };
    for (const Case &c : cases) {
        int ok = -1;
        const std::string err = vyktest::stderr_of([&] { ok = FILE_input_ok(c.name.c_str(), "reader"); });
        EXPECT_EQ(ok, c.ok) << c.name;
        EXPECT_EQ(err, c.ok ? "" : "reader: not a regular file, not read: " + c.name + "\n") << c.name;
    }
}

TEST(File, SizeAndModificationTime)
{
    TempDir dir;
    const std::string empty = dir.file("empty"), five = dir.file("five");
    write_file(empty, "");
    write_file(five, "12345");
    EXPECT_EQ(FILE_size(dir.file("missing").c_str()), -1);
    EXPECT_EQ(FILE_size(empty.c_str()), 0);
    EXPECT_EQ(FILE_size(five.c_str()), 5);
    EXPECT_EQ(FILE_modtime(dir.file("missing").c_str()), -1);

    // Times after 2038 need 64 bits; GNU touch sets them and GNU date reads them back.
    for (const char *when : {"2001-02-03 04:05:06 UTC", "2100-01-01 00:00:00 UTC"}) {
        ASSERT_EQ(run("touch -d " + quote(when) + " " + quote(five)).status, 0);
        const std::string expected = trimmed(run("date -r " + quote(five) + " +%s").out);
        EXPECT_EQ(std::to_string(FILE_modtime(five.c_str())), expected) << when;
    }
    EXPECT_EQ(FILE_modtime(five.c_str()), int64_t{4102444800});
}

TEST(File, Delete)
{
    TempDir dir;
    InDir in(dir.path());
    write_file("victim", "x");
    write_file("-", "a file called minus");
    EXPECT_EQ(FILE_delete("victim"), 0);
    EXPECT_FALSE(exists_on_disk("victim"));
    EXPECT_EQ(FILE_delete("victim"), -1);
    // A standard-stream name is no file to remove.
    EXPECT_EQ(FILE_delete("-"), -1);
    EXPECT_TRUE(exists_on_disk("-"));
    EXPECT_EQ(FILE_delete(nullptr), -1);
}

TEST(File, OpenStandardStreams)
{
    struct Case {
        const char *name, *mode;
        FILE *expected;
    };
    const Case cases[] = {
        {"-", "r", stdin},   {"-", "w", stdout},  {"", "r", stdin},     {"", "a", stdout},
        {"STD", "r", stdin}, {"std", "w", stdout}, {"Stdn", "rb", stdin}, {"stdn", "wb", stdout},
    };
    for (const Case &c : cases) {
        FILE *fp = FILE_open(c.name, c.mode);
        EXPECT_EQ(fp, c.expected) << c.name << " " << c.mode;
        EXPECT_EQ(FILE_close(fp), 0);
    }
    // Closing left them open.
    EXPECT_NE(fcntl(fileno(stdout), F_GETFD), -1);
    EXPECT_NE(fcntl(fileno(stdin), F_GETFD), -1);
    EXPECT_EQ(FILE_open(nullptr, "r"), nullptr);
    EXPECT_EQ(FILE_open("x", nullptr), nullptr);
    EXPECT_EQ(FILE_close(nullptr), -1);
}

TEST(File, OpenForWritingCreatesDirectories)
{
    TempDir dir;
    const std::string name = dir.file("a/b/c.dat");
    FILE *fp = FILE_open(name.c_str(), "w");
    ASSERT_NE(fp, nullptr);
    fputs("one\n", fp);
    EXPECT_EQ(FILE_close(fp), 0);
    EXPECT_EQ(FILE_is_dir(dir.file("a").c_str()), 1);
    EXPECT_EQ(FILE_is_dir(dir.file("a/b").c_str()), 1);

    fp = FILE_open(dir.file("x/y/z.dat").c_str(), "a");
    ASSERT_NE(fp, nullptr);
    FILE_close(fp);
    EXPECT_EQ(FILE_is_file(dir.file("x/y/z.dat").c_str()), 1);

    fp = FILE_open(name.c_str(), "a");
    ASSERT_NE(fp, nullptr);
    fputs("two\n", fp);
    FILE_close(fp);
    fp = FILE_open(name.c_str(), "r");
    ASSERT_NE(fp, nullptr);
    EXPECT_EQ(read_stream(fp), "one\ntwo\n");
    EXPECT_EQ(FILE_close(fp), 0);

    // Reading creates nothing.
    EXPECT_EQ(FILE_open(dir.file("p/q/r.dat").c_str(), "r"), nullptr);
    EXPECT_FALSE(exists_on_disk(dir.file("p")));
}

TEST(File, OpenRelativeDirectoriesNamedLikeStreams)
{
    // "std/x" and "-/x" are files in directories, and the directories get made.
    TempDir dir;
    InDir in(dir.path());
    for (const char *name : {"std/x.dat", "-/y.dat", "STDN/z.dat"}) {
        FILE *fp = FILE_open(name, "w");
        ASSERT_NE(fp, nullptr) << name;
        EXPECT_NE(fp, stdout);
        EXPECT_EQ(FILE_close(fp), 0);
        EXPECT_TRUE(exists_on_disk(name)) << name;
    }
}

TEST(File, PipeReadsTheOutputOfACommand)
{
    TempDir dir;
    const std::string text = "line one\nline two\n";
    write_file(dir.file("data.txt"), text);
    ASSERT_EQ(run("gzip -k " + quote(dir.file("data.txt"))).status, 0);
    FILE *fp = FILE_open(("|gzip -dc " + quote(dir.file("data.txt.gz"))).c_str(), "r");
    ASSERT_NE(fp, nullptr);
    EXPECT_EQ(read_stream(fp), text);
    EXPECT_EQ(FILE_close(fp), 0);
}

TEST(File, PipeFeedsACommand)
{
    TempDir dir;
    const std::string gz = dir.file("out.gz");
    FILE *fp = FILE_open(("|gzip -c > " + quote(gz)).c_str(), "w");
    ASSERT_NE(fp, nullptr);
    fputs("to the command\n", fp);
    EXPECT_EQ(FILE_close(fp), 0);
    EXPECT_EQ(run("gzip -dc " + quote(gz)).out, "to the command\n");
}

TEST(File, ClosingAPipeGivesTheCommandStatus)
{
    FILE *fp = FILE_open("|exit 3", "r");
    ASSERT_NE(fp, nullptr);
    read_stream(fp);
    const int status = FILE_close(fp);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 3);
}

TEST(File, MakeDir)
{
    TempDir dir;
    struct Case {
        std::string path;
        int flag;
        int result;
        std::vector<std::string> dirs;     // made
        std::vector<std::string> not_dirs; // not made
    };
    const Case cases[] = {
        {dir.file("a/b/c.dat"), 1, 0, {"a", "a/b"}, {"a/b/c.dat"}},
        {dir.file("a/b/d.dat"), 1, 1, {}, {"a/b/d.dat"}},  // the parent exists
        {dir.file("e/f/g"), 0, 0, {"e", "e/f", "e/f/g"}, {}},
        {dir.file("h/i/j.dat"), 2, 0, {"h"}, {"h/i"}},
        {dir.file("k//l/m.dat"), 1, 0, {"k", "k/l"}, {"k/l/m.dat"}},
        {dir.file("n/o/"), 1, 0, {"n"}, {"n/o"}},  // a trailing '/' ends no component
    };
    for (const Case &c : cases) {
        std::vector<char> buf(c.path.begin(), c.path.end());
        buf.push_back('\0');
        EXPECT_EQ(FILE_make_dir(buf.data(), c.flag), c.result) << c.path;
        for (const std::string &d : c.dirs)
            EXPECT_EQ(FILE_is_dir(dir.file(d).c_str()), 1) << c.path << ": " << d;
        for (const std::string &d : c.not_dirs)
            EXPECT_FALSE(exists_on_disk(dir.file(d))) << c.path << ": " << d;
    }

    // Backslashes become slashes in the caller's text.
    char path[FILE_NAME_MAX + 1];
    snprintf(path, sizeof path, "%s\\p\\q.dat", dir.path().c_str());
    EXPECT_EQ(FILE_make_dir(path, 1), 0);
    EXPECT_EQ(std::string(path), dir.file("p/q.dat"));
    EXPECT_EQ(FILE_is_dir(dir.file("p").c_str()), 1);
}

TEST(File, LongNamesFailInsteadOfBeingCut)
{
    TempDir dir;
    const std::string name159 = path_of_length(dir, FILE_NAME_MAX);
    const std::string name160 = name159 + "n";
    ASSERT_EQ(name159.size(), 159u);
    write_file(name159, "the file of 159 characters");

    FILE *fp = FILE_open(name159.c_str(), "r");
    ASSERT_NE(fp, nullptr);
    FILE_close(fp);
    EXPECT_EQ(FILE_exist(name159.c_str()), 1);

    // Cut to 159 characters the longer name would be the other file: it must fail.
    EXPECT_EQ(FILE_open(name160.c_str(), "r"), nullptr);
    EXPECT_EQ(FILE_open(name160.c_str(), "w"), nullptr);
    EXPECT_EQ(FILE_open(name160.c_str(), "a"), nullptr);
    EXPECT_EQ(read_file(name159), "the file of 159 characters");
    EXPECT_EQ(FILE_exist(name160.c_str()), 0);
    EXPECT_EQ(FILE_is_file(name160.c_str()), 0);
    EXPECT_EQ(FILE_size(name160.c_str()), -1);
    EXPECT_EQ(FILE_modtime(name160.c_str()), -1);
    EXPECT_EQ(FILE_type(name160.c_str()), -1);
    EXPECT_EQ(FILE_delete(name160.c_str()), -1);
    EXPECT_TRUE(exists_on_disk(name159));

    // Joining: exactly 159 characters is a name, one more gives the refused marker.
    const std::string base = name159.substr(dir.path().size() + 1);
    char out[FILE_NAME_MAX + 1];
    FILE_add_path(dir.path().c_str(), base.c_str(), out);
    EXPECT_EQ(std::string(out), name159);
    FILE_add_path(dir.path().c_str(), (base + "n").c_str(), out);
    EXPECT_STREQ(out, FILE_NAME_TOO_LONG);
    EXPECT_EQ(FILE_open(out, "r"), nullptr);
    EXPECT_EQ(FILE_open(out, "w"), nullptr);
    EXPECT_EQ(FILE_exist(out), 0);
    EXPECT_EQ(FILE_open((std::string(out) + ".gz").c_str(), "w"), nullptr);
    FILE_add_path(nullptr, name160.c_str(), out);
    EXPECT_STREQ(out, FILE_NAME_TOO_LONG);

    // Home expansion that grows past the limit.
    const std::string tilde = "~/" + std::string(FILE_NAME_MAX - 2, 'h');
    EXPECT_EQ(FILE_add_user_path(tilde.c_str(), out), -1);
    EXPECT_STREQ(out, FILE_NAME_TOO_LONG);
    EXPECT_EQ(FILE_exist(tilde.c_str()), 0);
    EXPECT_EQ(FILE_open(tilde.c_str(), "w"), nullptr);
}

TEST(File, TypeByMagic)
{
    TempDir dir;
    struct Case {
        std::string content;
        int code;
    };
    const Case cases[] = {
        {"VYKSFC 1\n", FILE_TYPE_SFC}, {"ZAZUDI", FILE_TYPE_UPA},
        {"DADODU\nx", FILE_TYPE_RAW},  {"VYKGRID4\n", FILE_TYPE_GRID},
        {"VYKGRID", FILE_TYPE_GRID},   {"VYKMETA 2", FILE_TYPE_META},
        {"VYKIMG", FILE_TYPE_IMAGE},   {"VYKIMGRID", FILE_TYPE_IMAGE},
        {"VYKGRI", -1},                {"DADOD", -1},
        {"vyksfc", -1},                {" VYKSFC", -1},
        {"", -1},                      {std::string("VYK\0SFC", 7), -1},
    };
    int i = 0;
    for (const Case &c : cases) {
        const std::string name = dir.file("f" + std::to_string(i++));
        write_file(name, c.content);
        EXPECT_EQ(FILE_type(name.c_str()), c.code) << c.content;
    }
    EXPECT_EQ(FILE_type(dir.file("missing").c_str()), -1);
    EXPECT_EQ(FILE_type(dir.path().c_str()), -1);

    // A name with a suffix after '-' falls back to the part before it.
    write_file(dir.file("data.raw"), "DADODU\n");
    EXPECT_EQ(FILE_type(dir.file("data.raw-extra").c_str()), FILE_TYPE_RAW);
    EXPECT_EQ(FILE_type(dir.file("nothing-extra").c_str()), -1);
}

TEST(File, TypeNeverReadsStreamsOrRunsCommands)
{
    TempDir dir;
    // Standard input holds a magic that must stay unread.
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    ASSERT_EQ(write(fds[1], "VYKSFC\n", 7), 7);
    close(fds[1]);
    const int saved = dup(0);
    dup2(fds[0], 0);
    close(fds[0]);
    clearerr(stdin);

    const std::string marker = dir.file("ran");
    const std::string names[] = {"", "-", "std", "STDN", "std-x", "-x", "Stdn-abc",
                                 "|touch " + marker, "|touch " + marker + "-x"};
    for (const std::string &name : names)
        EXPECT_EQ(FILE_type(name.c_str()), -1) << name;
    EXPECT_EQ(FILE_type(nullptr), -1);

    char buf[16];
    const ssize_t got = read(0, buf, sizeof buf);
    dup2(saved, 0);
    close(saved);
    EXPECT_EQ(std::string(buf, got > 0 ? static_cast<size_t>(got) : 0), "VYKSFC\n");
    EXPECT_FALSE(exists_on_disk(marker));
    EXPECT_FALSE(exists_on_disk(marker + "-x"));

    // A FIFO is not opened (it would wait for a writer and lose its data).
    const std::string fifo = dir.file("fifo");
    ASSERT_EQ(run("mkfifo " + quote(fifo)).status, 0);
    EXPECT_EQ(FILE_type(fifo.c_str()), -1);
}

TEST(File, OverwriteWithoutAsking)
{
    TempDir dir;
    const std::string existing = dir.file("old.dat");
    write_file(existing, "x");
    const std::string missing = dir.file("new.dat");
    const std::string t = vyktest::tool("file_overwrite_tool");
    struct Case {
        std::string args;
        int result;
    };
    const Case cases[] = {
        {quote(missing) + " 2", FILE_WRITE},
        {quote(missing) + " 2 batch", FILE_WRITE},
        {"- 1", FILE_WRITE},
        {"std 2", FILE_WRITE},
        {quote(existing) + " 2 batch", FILE_USE},
        {quote(existing) + " 1 batch", FILE_USE},
        {quote(existing) + " 2 param=2", FILE_APPEND},
        {quote(existing) + " 1 batch param=1", FILE_WRITE},
        {quote(existing) + " 2 param=3", FILE_USE},
        {quote(existing) + " 5", FILE_NO_QUESTION},
    };
    for (const Case &c : cases) {
        const vyktest::RunResult r = run(t + " " + c.args, "y\n");
        EXPECT_EQ(r.status, 0) << c.args;
        EXPECT_EQ(r.out.find("exists overwrite"), std::string::npos) << c.args;
        EXPECT_NE(r.out.find("result=" + std::to_string(c.result) + "\n"), std::string::npos)
            << c.args << ": " << r.out;
    }
}

TEST(File, OverwriteAnswers)
{
    TempDir dir;
    const std::string existing = dir.file("old.dat");
    write_file(existing, "x");
    const std::string t = vyktest::tool("file_overwrite_tool");
    struct Case {
        int kind;
        const char *answer;
        int result;
    };
    const Case cases[] = {
        {2, "y\n", 1}, {2, "Yes\n", 1}, {2, "n\n", 3}, {2, "N\n", 3}, {2, "o\n", 1},
        {2, "Over\n", 1}, {2, "u\n", 3}, {2, "U\n", 3}, {2, "a\n", 2}, {2, "App\n", 2},
        {2, "x\n", 3}, {2, "\n", 3}, {2, "  \n", 3},
        {1, "y\n", 1}, {1, "O\n", 1}, {1, "a\n", 3}, {1, "n\n", 3}, {1, "u\n", 3}, {1, "\n", 3},
    };
    for (const Case &c : cases) {
        const vyktest::RunResult r = run(t + " " + quote(existing) + " " + std::to_string(c.kind), c.answer);
        const std::string prompt = existing + (c.kind == 2 ? ": exists overwrite (Y,N,Use,Over,App): "
                                                           : ": exists overwrite (Y,N,Use,Over): ");
        EXPECT_EQ(r.status, 0);
        EXPECT_NE(r.out.find(prompt), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("result=" + std::to_string(c.result) + "\n"), std::string::npos)
            << "kind " << c.kind << " answer '" << c.answer << "': " << r.out;
    }
}

TEST(File, OverwriteInProcess)
{
    TempDir dir;
    const std::string existing = dir.file("old.dat");
    write_file(existing, "x");
    FLAG_set_batch(1);
    EXPECT_EQ(FILE_overwrite(existing.c_str(), 2), FILE_USE);
    EXPECT_EQ(FILE_overwrite(dir.file("missing").c_str(), 2), FILE_WRITE);
    FLAG_set(FLAG_FILE_PARAM, FILE_APPEND);
    EXPECT_EQ(FILE_overwrite(existing.c_str(), 1), FILE_APPEND);
}

TEST(File, Share)
{
    EXPECT_EQ(VYK_share(0), 0);
    EXPECT_EQ(VYK_share(1), 0);
}

// An output that could not be written whole leaves no cut file: a file made for it goes, a
// file appended to is cut back to what it held; a whole output stays; pipes and devices are
// only closed.
TEST(File, CloseOutputUndoesAFailedOutput)
{
    TempDir dir;
    struct Case {
        const char *what;
        const char *mode;
        bool writer_failed;
        const char *device;  // written instead of a file of dir
        int result;
        const char *left;  // the file's content afterwards; nullptr: removed
    };
    const Case cases[] = {
        {"whole new file", "w", false, nullptr, 0, "before+new"},
        {"failed new file", "w", true, nullptr, -1, nullptr},
        {"whole append", "a", false, nullptr, 0, "before+new"},
        {"failed append", "a", true, nullptr, -1, "before"},
        {"full device", "w", false, "/dev/full", -1, nullptr},
        {"null device", "w", true, "/dev/null", -1, nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = c.device ? c.device : dir.file("out");
        if (!c.device) write_file(path, "before");
        FILE *fp = FILE_open(path.c_str(), c.mode);
        ASSERT_NE(fp, nullptr);
        const long start = FILE_output_start(fp, c.mode[0] == 'a');
        EXPECT_EQ(start, c.mode[0] == 'a' && !c.device ? 6 : -1);
        std::fputs(c.mode[0] == 'w' && !c.device ? "before+new" : "+new", fp);
        EXPECT_EQ(FILE_close_output(fp, start, c.writer_failed), c.result);
        if (c.device) {
            struct stat sb;
            EXPECT_EQ(stat(c.device, &sb), 0);
            EXPECT_TRUE(S_ISCHR(sb.st_mode));
        } else if (c.left) {
            EXPECT_EQ(read_file(path), c.left);
        } else {
            EXPECT_NE(access(path.c_str(), F_OK), 0);
        }
    }
    // A pipe is only closed: the command's status is its own, a failed write is reported.
    FILE *fp = FILE_open(("|cat > " + quote(dir.file("piped"))).c_str(), "w");
    ASSERT_NE(fp, nullptr);
    std::fputs("text", fp);
    EXPECT_EQ(FILE_close_output(fp, -1, 0), 0);
    EXPECT_EQ(read_file(dir.file("piped")), "text");
    fp = FILE_open("|exit 3", "w");
    ASSERT_NE(fp, nullptr);
    EXPECT_EQ(FILE_close_output(fp, -1, 0), 0);
    EXPECT_EQ(FILE_close_output(nullptr, -1, 0), -1);
}
