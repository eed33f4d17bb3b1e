// Resource decoding and start-up: the command line, defaults files and the environment merged
// into the resource list, driven in-process through RES_init.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "test_util.h"
#include "vyk.h"
#include "vykresrc.h"

using vyktest::CaptureStdio;
using vyktest::TempDir;
using vyktest::write_file;

namespace {

// The defaults path of every test names only its own scratch directory, so no defaults file of
// the machine is read; the environment variables that the decoder reads start unset.
class ResDecode : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char *v : {"vyktz", "vykfile", "vyktool.file_path", "vykfile_path", "vyklevel",
                              "vykbatch", "vykmess", "vykfilename"})
            unsetenv(v);
        setenv("vykdefault", dir.path().c_str(), 1);
    }

    // Runs RES_init on the program "tool" with the words given.
    static void init(const std::vector<std::string> &words, std::vector<res_type> keys,
                     std::vector<res_type> pos = {})
    {
        static std::vector<std::string> store;
        store = words;
        store.insert(store.begin(), "/usr/bin/tool");
        static std::vector<char *> argv;
        argv.clear();
        for (std::string &s : store) argv.push_back(s.data());
        argv.push_back(nullptr);
        keys.push_back(RES_null);
        pos.push_back(RES_null);
        EXPECT_EQ(RES_init(static_cast<int>(store.size()), argv.data(), keys.data(), pos.data()), 1);
    }

    static std::string get(const char *name)
    {
        const char *v = RES_get(name);
        return v ? v : "(none)";
    }

    TempDir dir;
};

// Runs body in a child process (the resource list and flags are process-wide) and expects the
// text it returns to equal want.
void expect_in_child(const std::function<std::string()> &body, const std::string &want)
{
    EXPECT_EXIT(
        {
            const std::string got = body();
            fprintf(stderr, "got [%s] want [%s]\n", got.c_str(), want.c_str());
            exit(got == want ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

const std::vector<res_type> kPathKeys = {RES_help, RES_batch, RES_message, RES_file_path,
                                         RES_file_param, RES_level, RES_icon};

}  // namespace

TEST_F(ResDecode, KeyedOptionSpellings)
{
    struct Case {
        std::vector<std::string> words;
        const char *name;
        const char *value;
    } cases[] = {
        {{"-fp", "/data"}, "file_path", "/data"},
        {{"-fp=/data"}, "file_path", "/data"},
        {{"--fp=/data"}, "file_path", "/data"},
        {{"--file_path", "/data"}, "file_path", "/data"},
        {{"-FP", "/data"}, "file_path", "/data"},          // letter case ignored
        {{"-File_Path=/data"}, "file_path", "/data"},
        {{"-file", "/data"}, "file_path", "/data"},        // leading part: first row wins
        {{"-fp=a=b"}, "file_path", "a=b"},                 // cut at the first '='
        {{"-fp="}, "file_path", ""},
        {{"-fp"}, "file_path", ""},                        // no value: exists without one
        {{"-fp", "-le", "3"}, "file_path", ""},            // an option is not a value
        {{"-le", "-5"}, "level", "-5"},                    // a dash and a digit is a value
        {{"-le", "-"}, "level", "-"},
        {{"-le", "--"}, "level", "--"},
        {{"-x", "5"}, "x", "5"},                           // no row: free-form, as typed
        {{"-X", "5"}, "X", "5"},
        {{"--Xy=7"}, "Xy", "7"},
        {{"-default_x", "/p"}, "default_x", "(none)"},     // taken by the pre-pass only
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.words[0]);
        expect_in_child(
            [&] {
                init(c.words, kPathKeys);
                return get(c.name);
            },
            c.value);
    }
}

TEST_F(ResDecode, FirstRowInTableOrderWins)
{
    // input and con_interval share the abbreviation "in"; file_path and file_param both begin
    // with "file".
    struct Case {
        std::vector<res_type> keys;
        std::vector<std::string> words;
        const char *set;
        const char *unset;
    } cases[] = {
        {{RES_input, RES_con_interval}, {"-in", "2"}, "input", "con_interval"},
        {{RES_con_interval, RES_input}, {"-in", "2"}, "con_interval", "input"},
        {{RES_file_path, RES_file_param}, {"-file", "2"}, "file_path", "file_param"},
        {{RES_file_param, RES_file_path}, {"-file", "2"}, "file_param", "file_path"},
        {{RES_inputg, RES_input}, {"-inp", "2"}, "input", "(none)"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.set);
        expect_in_child(
            [&] {
                init(c.words, c.keys);
                // The record carries the row that set it: row 0.
                int index = -1;
                for (const resource *r = RES_first(); r; r = r->next)
                    if (std::string(r->name) == c.set) index = r->index;
                return get(c.set) + " " + get(c.unset) + " " + std::to_string(index);
            },
            "2 (none) 0");
    }
}

TEST_F(ResDecode, TitleAndDefaultsPathOptions)
{
    TempDir env_dir, opt_dir;
    write_file(env_dir.file("vyk.cfg"), "*.file_path /from_env_path\n");
    write_file(opt_dir.file("vyk.cfg"), "*.file_path /from_option_path\n");
    setenv("vykdefault", env_dir.path().c_str(), 1);
    // The swallowed options and their values leave no trace in the list.
    const char *plain = "default file_path";
    const char *positional = "default file_path filename";
    const char *titled = "default name file_path";
    struct Case {
        std::vector<std::string> words;
        const char *file_path;
        const char *name;
        const char *filename;  // the first positional word
        const char *list;      // the names of the resource list, in its order
    } cases[] = {
        {{"-df", opt_dir.path()}, "/from_option_path", "(none)", "(none)", plain},
        {{"-df=" + opt_dir.path()}, "/from_option_path", "(none)", "(none)", plain},
        {{"-defaults", opt_dir.path()}, "/from_option_path", "(none)", "(none)", plain},
        {{"-df", opt_dir.path(), "--df", "x"}, "/from_option_path", "(none)", "(none)", plain},
        // Upper case: neither the pre-pass nor the decoder takes it, and its value goes too.
        {{"-DF", opt_dir.path(), "a"}, "/from_env_path", "(none)", "a", positional},
        {{"-NA", "t", "a"}, "/from_env_path", "(none)", "a", positional},
        {{"--na", "t", "a"}, "/from_env_path", "(none)", "a", positional},
        {{"-n", "t"}, "/from_env_path", "t", "(none)", titled},
        {{"-name=t"}, "/from_env_path", "t", "(none)", titled},
        {{"-na", "+title"}, "/from_env_path", "+title", "(none)", titled},
        {{"-na"}, "/from_env_path", "(none)", "(none)", plain},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.words[0]);
        expect_in_child(
            [&] {
                init(c.words, kPathKeys, {RES_filename});
                std::string list;
                for (const resource *r = RES_first(); r; r = r->next)
                    list += (list.empty() ? "" : " ") + std::string(r->name);
                return get("file_path") + " " + get("name") + " " + get("filename") + " [" +
                       list + "]";
            },
            std::string(c.file_path) + " " + c.name + " " + c.filename + " [" + c.list + "]");
    }
}

TEST_F(ResDecode, TitleShapesTheDefaultsKeys)
{
    write_file(dir.file("vyk.cfg"),
               "tool.title.file_path /titled\n"
               "tool.file_path /plain\n"
               "*.level 500\n");
    init({"-na", "+title"}, kPathKeys);
    EXPECT_EQ(get("file_path"), "/titled");
    EXPECT_EQ(get("name"), "+title");
    EXPECT_EQ(get("level"), "500");
}

TEST_F(ResDecode, BooleanKindsGiveBackTheNextWord)
{
    struct Case {
        std::vector<std::string> words;
        const char *name;
        const char *value;
        const char *filename;
        int batch;
        int help;
    } cases[] = {
        {{"-ba", "false"}, "batch", "", "false", 1, VYK_MISS},
        {{"-ba=false"}, "batch", "false", "(none)", 1, VYK_MISS},
        {{"-h", "x"}, "help", "", "x", VYK_MISS, 1},
        {{"-ic", "no"}, "icon", "", "no", VYK_MISS, VYK_MISS},
        {{"-ic=no"}, "icon", "no", "(none)", VYK_MISS, VYK_MISS},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.words[0]);
        expect_in_child(
            [&] {
                init(c.words, kPathKeys, {RES_filename});
                return get(c.name) + " " + get("filename") + " " +
                       std::to_string(FLAG_get(FLAG_BATCH)) + " " +
                       std::to_string(FLAG_get(FLAG_HELP));
            },
            std::string(c.value) + " " + c.filename + " " + std::to_string(c.batch) + " " +
                std::to_string(c.help));
    }
}

TEST_F(ResDecode, ADrawListAfterItsOptionMayBeginWithAMinus)
{
    struct Case {
        std::vector<std::string> words;
        const char *switches;  // data, map, grid, then batch and map_file
    } cases[] = {
        {{"-dr", "-map,-grid"}, "1 0 0 -9999 (none)"},
        {{"-dr=-map,-grid"}, "1 0 0 -9999 (none)"},
        {{"-dr", "-Map", "-ba"}, "1 0 1 1 (none)"},
        {{"-dr", "+grid,-data"}, "0 1 1 -9999 (none)"},
        {{"-dr", "-ba"}, "1 1 1 1 (none)"},                 // an option, not a draw word
        {{"-dr", "-map,-x.map"}, "1 1 1 -9999 (none)"},     // not a draw list: left alone
        {{"-dr", "data", "-map", "a.map"}, "1 0 0 -9999 a.map"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.words[1 % c.words.size()]);
        expect_in_child(
            [&] {
                init(c.words, {RES_draw, RES_batch, RES_map_file});
                return std::to_string(FLAG_getplot(PLOT_DATA)) + " " +
                       std::to_string(FLAG_getplot(PLOT_MAP)) + " " +
                       std::to_string(FLAG_getplot(PLOT_GRID)) + " " +
                       std::to_string(FLAG_get(FLAG_BATCH)) + " " + get("map_file");
            },
            c.switches);
    }
}

TEST_F(ResDecode, PositionalWords)
{
    struct Case {
        std::vector<res_type> pos;
        std::vector<std::string> words;
        const char *filename;
    } cases[] = {
        {{RES_filenames}, {"a", "b", "c"}, "a\nb\nc"},
        {{RES_filename}, {"a", "b", "c"}, "a"},
        {{RES_filename, RES_filenames}, {"a", "b", "c"}, "a\nb\nc"},
        {{RES_filenames}, {"a", "--", "-", "-5"}, "a\n-\n-5"},  // "--" alone is skipped
        {{RES_filenames}, {"a", "-le", "3", "b"}, "a\nb"},
        {{}, {"a", "b"}, "(none)"},                                // no slot: dropped
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.words.size());
        expect_in_child(
            [&] {
                init(c.words, kPathKeys, c.pos);
                return get("filename");
            },
            c.filename);
    }
}

TEST_F(ResDecode, PositionalWordsOfSlotTenAppendToEarlierSources)
{
    write_file(dir.file("vyk.cfg"), "*.filename from_file\n");
    init({"a", "b"}, kPathKeys, {RES_filenames});
    EXPECT_EQ(get("filename"), "a\nb");  // the first word replaces, the others append
}

TEST_F(ResDecode, PrecedenceDefaultsEnvironmentCommandLine)
{
    write_file(dir.file("vyk.cfg"), "*.file_path /data\n*.level 850\n");
    struct Case {
        const char *env;
        std::vector<std::string> words;
        const char *file_path;
    } cases[] = {
        {nullptr, {}, "/data"},
        {"/env", {}, "/env"},
        {"/env", {"-fp", "/cmd"}, "/cmd"},
        {nullptr, {"-fp", "/cmd"}, "/cmd"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file_path);
        expect_in_child(
            [&] {
                if (c.env) setenv("vykfile", c.env, 1);
                init(c.words, kPathKeys);
                return get("file_path") + " " + get("level");
            },
            std::string(c.file_path) + " 850");
    }
}

TEST_F(ResDecode, DefaultsPathItemsInOrder)
{
    TempDir second;
    write_file(dir.file("vyk.cfg"), "*.file_path /first\n*.level 1\n*.myres mine\nother.x 1\n");
    write_file(second.file(".vykdef"), "IF blue\n*.file_path /blue\nELSE\n*.file_path /second\nEND\n");
    struct Case {
        std::string path;
        const char *file_path;
    } cases[] = {
        {dir.path() + ":" + second.path(), "/second"},
        {second.path() + ":" + dir.path(), "/first"},
        {"+blue:" + dir.path() + ":" + second.path(), "/blue"},
        {dir.path() + ":/no/such/dir:" + second.path() + "/.vykdef", "/second"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path);
        expect_in_child(
            [&] {
                init({"-df", c.path}, kPathKeys);
                // Keys that apply to the program but name no row become free-form resources.
                return get("file_path") + " " + get("level") + " " + get("myres") + " " + get("x");
            },
            std::string(c.file_path) + " 1 mine (none)");
    }
}

TEST_F(ResDecode, EmptyPathItemReadsVykdefOfTheCurrentDirectory)
{
    write_file(dir.file(".vykdef"), "*.level 700\n");
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    init({"-df", "/no/such:"}, kPathKeys);
    EXPECT_EQ(get("level"), "700");
}

TEST_F(ResDecode, CurrentDirectoryFileOfTheBuiltInPathMustBeTheUsersOwn)
{
    // The built-in path begins with the current directory: its file is read only when it is
    // the user's own and nobody else may write it.  A path the user named reads it as named.
    write_file(dir.file(".vykdef"), "*.level 700\n");
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    struct Case {
        mode_t mode;
        bool named;  // the path named in vykdefault
        const char *level;
        bool warned;
    };
    const Case cases[] = {
        {0644, false, "700", false}, {0600, false, "700", false}, {0664, false, "(none)", true},
        {0646, false, "(none)", true}, {0666, true, "700", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.mode) + (c.named ? " named" : ""));
        ASSERT_EQ(chmod(dir.file(".vykdef").c_str(), c.mode), 0);
        if (c.named) setenv("vykdefault", ".", 1);
        else unsetenv("vykdefault");
        expect_in_child(
            [] {
                CaptureStdio cap;
                init({}, kPathKeys);
                cap.finish();
                const size_t n = std::count(cap.err().begin(), cap.err().end(), '\n');
                const bool one = n == 1 && cap.err().find("DEF_open: ./.vykdef ignored: not your "
                                                          "own or writable by others") == 0;
                return get("level") + (one ? " warned" : n == 0 ? "" : " " + cap.err());
            },
            std::string(c.level) + (c.warned ? " warned" : ""));
    }
    // A file of another user is not read either.
    ASSERT_EQ(chmod(dir.file(".vykdef").c_str(), 0644), 0);
    unsetenv("vykdefault");
    if (chown(dir.file(".vykdef").c_str(), getuid() + 1, static_cast<gid_t>(-1)) == 0) {
        expect_in_child(
            [] {
                CaptureStdio cap;
                init({}, kPathKeys);
                cap.finish();
                return get("level");
            },
            "(none)");
    }
}

TEST_F(ResDecode, CurrentDirectoryFileNamesNoCommand)
{
    // The user's own ./.vykdef of the built-in path is read, but a value that could open a
    // command ('|' anywhere: a device after its comma, a path item, a file) is left out with a
    // warning.  A path the user named, and the command line, may still name one.
    write_file(dir.file(".vykdef"), "*.level 700\n*.device \"P,|touch ran\"\n*.file_path "
                                    "/a:|cat\n*.out_file |cat\n*.color_table x|y\n");
    ASSERT_EQ(chmod(dir.file(".vykdef").c_str(), 0644), 0);
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    struct Case {
        bool named;  // the path named in vykdefault
        std::vector<std::string> words;
        const char *want;
    } cases[] = {
        {false, {}, "700 (none) (none) (none) (none) 4 warned"},
        {true, {}, "700 P,|touch ran /a:|cat |cat x|y 0"},
        {false, {"-de", "p,|lpr"}, "700 p,|lpr (none) (none) (none) 4 warned"},
    };
    const std::vector<res_type> keys = {RES_level, RES_device, RES_file_path, RES_out_file,
                                        RES_color_table};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.want);
        if (c.named) setenv("vykdefault", ".", 1);
        else unsetenv("vykdefault");
        expect_in_child(
            [&] {
                CaptureStdio cap;
                init(c.words, keys);
                cap.finish();
                const std::string &err = cap.err();
                const size_t n = std::count(err.begin(), err.end(), '\n');
                const bool device = err.find("RES_decode: *.device P,|touch ran ignored: no "
                                             "command is run from the current directory's "
                                             "defaults file\n") != std::string::npos;
                return get("level") + " " + get("device") + " " + get("file_path") + " " +
                       get("out_file") + " " + get("color_table") + " " + std::to_string(n) +
                       (device ? " warned" : "");
            },
            c.want);
    }
    EXPECT_NE(access(dir.file("ran").c_str(), F_OK), 0);
}

TEST_F(ResDecode, NoArgumentsNoDefaults)
{
    ASSERT_EQ(chdir(dir.path().c_str()), 0);  // the default path begins with "."
    unsetenv("vykdefault");
    init({}, kPathKeys);
    for (int f = 0; f < FLAG_NUM; f++) EXPECT_EQ(FLAG_get(f), VYK_MISS) << f;
    EXPECT_EQ(MESS_get(), 0xFFFFFu);
    EXPECT_EQ(MESS_check_set(), 0);
    EXPECT_EQ(RES_get("default"), nullptr);
    EXPECT_EQ(RES_get("file_path"), nullptr);
}

TEST_F(ResDecode, ConversionsRunInOrderOfCreation)
{
    struct Case {
        std::vector<std::string> words;
        M_type mask;
    } cases[] = {
        {{"-ba", "-me", "+out1"}, 0xF0FF},  // batch first sets 0xFF, then out1 is added
        {{"-me", "+out1", "-ba"}, 0xFFFFF}, // the user's setting stands
        {{"-ba"}, 0xFF},
        {{"-me=", "-ba"}, 0xFFFFF},        // an empty setting is the user's too
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.words[0] + " " + std::to_string(c.words.size()));
        expect_in_child(
            [&] {
                init(c.words, kPathKeys);
                return std::to_string(MESS_get());
            },
            std::to_string(c.mask));
    }
}

TEST_F(ResDecode, StartUpConversionsReachTheFlags)
{
    init({"-pf", "use", "-pl", "CF"}, {RES_file_param, RES_plot_type});
    EXPECT_EQ(FLAG_get(FLAG_FILE_PARAM), 3);
    EXPECT_EQ(FLAG_get(FLAG_PLOT_TYPE), 15);
}

TEST_F(ResDecode, StartUpSplitsWordListsIntoRowOutputs)
{
    char **files = nullptr;
    int count = 0;
    RES_defobj table[2] = {};
    RES_enter(&table[0], RES_filenames);
    table[0].out = &files;
    table[0].num = &count;
    table[1].def = nullptr;
    char prog[] = "tool", a[] = "a", b[] = "b";
    char *argv[] = {prog, a, b, nullptr};
    EXPECT_EQ(RES_decode("tool", "Vyk", 3, argv, table), 0);
    ASSERT_EQ(count, 2);
    EXPECT_STREQ(files[0], "a");
    EXPECT_STREQ(files[1], "b");
    free_parsed_array(count, files);
}

TEST_F(ResDecode, EnvironmentLookups)
{
    struct Case {
        const char *var;
        const char *value;
        const char *name;
    } cases[] = {
        {"vykfile", "/row", "file_path"},
        {"vyktool.file_path", "/program", "file_path"},
        {"vykfile_path", "/generic", "file_path"},
        {"vyklevel", "300", "level"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.var);
        expect_in_child(
            [&] {
                setenv(c.var, c.value, 1);
                init({}, kPathKeys);
                return get(c.name);
            },
            c.value);
    }
}

TEST_F(ResDecode, TimeZoneFromEnvironment)
{
    setenv("vyktz", "EST:-5", 1);
    init({}, kPathKeys);
    EXPECT_STREQ(DATE_get_tz_str(), " EST");
    EXPECT_EQ(DATE_get_tz_off(), -5 * 3600);
}

TEST_F(ResDecode, OptionNamesAreCutAt49Characters)
{
    const std::string longname(60, 'z');
    init({"-" + longname + "=v"}, kPathKeys);
    EXPECT_EQ(get(longname.substr(0, 49).c_str()), "v");
    EXPECT_EQ(RES_get(longname.c_str()), nullptr);
}

TEST_F(ResDecode, TableIsBoundedAtItsLimit)
{
    // 80 kinds: the first 74 rows are kept, the rest ignored with a warning.
    std::vector<res_type> keys(RES_MAX_DEF, RES_level);
    keys.push_back(RES_file_path);
    for (int i = 0; i < 5; i++) keys.push_back(RES_batch);
    CaptureStdio cap;
    init({"-fp", "/x", "-le", "3"}, keys);
    cap.finish();
    EXPECT_EQ(get("level"), "3");
    EXPECT_EQ(get("file_path"), "(none)");
    EXPECT_EQ(get("fp"), "/x");  // no row: free-form
    EXPECT_NE(cap.err().find("RES_init: more than 74 resource kinds, 6 ignored"), std::string::npos)
        << cap.err();
}

TEST_F(ResDecode, LoopWindowItemWithoutServerWarnsAndGoesOn)
{
    write_file(dir.file("vyk.cfg"), "*.file_path /after\n");
    CaptureStdio cap;
    init({"-df", "#5:" + dir.path(), "-le", "2"}, kPathKeys);
    cap.finish();
    EXPECT_NE(cap.err().find("VOVadev window: 5 not running or no message queue exists\n"),
              std::string::npos)
        << cap.err();
    EXPECT_EQ(get("file_path"), "/after");
    EXPECT_EQ(get("level"), "2");
}

// ---------------------------------------------------------------------------------------------
// End to end: the profiler display's resource list, started as the program "prfdisp" from the
// shell with its own home, working directory, environment and defaults directory.
// ---------------------------------------------------------------------------------------------

namespace {

class ResDecodeProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(symlink(vyktest::tool("res_tool").c_str(), home.file("prfdisp").c_str()), 0);
        ASSERT_EQ(mkdir(home.file("etc").c_str(), 0755), 0);
        write_file(home.file("etc/vyk.cfg"),
                   "# standing settings\n"
                   "*.file_path /cfg/path\n"
                   "*.LEVEL: 500\n"
                   "prfdisp.label \"Upper air\"\n"
                   "other.variable nothing\n"
                   "*.myopt hello\n"
                   "IF fast\n"
                   "*.plot_type cf\n"
                   "ELSE\n"
                   "*.plot_type ln\n"
                   "END\n"
                   "DEF blue\n"
                   "IF blue\n"
                   "*.color_data blue\n"
                   "END\n"
                   "prfdisp.late.variable late_title\n");
        write_file(home.file("other.cfg"), "*.file_path /other/path\n");
    }

    // Runs prfdisp in the home directory with only the environment given.
    vyktest::RunResult prfdisp(const std::string &env, const std::string &args)
    {
        return vyktest::run("cd " + vyktest::quote(home.path()) + " && env -i HOME=" +
                            vyktest::quote(home.path()) + " PATH=/usr/bin:/bin " + env +
                            " ./prfdisp " + args);
    }

    TempDir home;
};

}  // namespace

TEST_F(ResDecodeProgram, SourcesAndPrecedence)
{
    const std::string etc = home.file("etc");
    struct Case {
        std::string env;
        std::string args;
        std::vector<std::string> lines;  // each expected as a whole output line
    } cases[] = {
        // Defaults only: tags from the path, conditionals, quoted values, free-form keys.
        {"vykdefault=+fast:" + etc, "",
         {"file_path=/cfg/path", "level=500", "plot_type=cf", "color_data=blue",
          "label=Upper air", "myopt=hello", "default=+fast:" + etc,
          "flag19=-9999 flag20=-9999 mask=0xFFFFF tz=[Z]"}},
        {"vykdefault=" + etc, "", {"plot_type=ln", "color_data=blue"}},
        // The environment over the defaults, the command line over both.
        {"vykdefault=" + etc + " vykfile=/env/path vyklevel=700 vyktz=EST:-5", "",
         {"file_path=/env/path", "level=700", "flag19=-9999 flag20=-9999 mask=0xFFFFF tz=[ EST]"}},
        {"vykdefault=" + etc + " vykfile=/env/path", "-fp /cmd -le=850",
         {"file_path=/cmd", "level=850"}},
        {"vykdefault=" + etc + " vykprfdisp.file_path=/prog vykfile=/env", "",
         {"file_path=/prog"}},
        // Abbreviation, full name, leading part, "--name=value", positional files.
        {"vykdefault=" + etc, "--plot_type=DLN -plot_s 2 -col red a.nc -cocd x b.nc --co c.nc",
         {"plot_type=DLN", "plot_scale=2", "color_table=red", "color_cloud=x",
          "con_path=c.nc", "filename=a.nc", "b.nc"}},  // --co: the first name beginning co
        {"vykdefault=" + etc, "-in 5 -if prf -ba -me +out1",
         {"con_interval=5", "in_file=prf", "batch", "message=+out1",
          "flag19=1 flag20=-9999 mask=0xF0FF tz=[Z]"}},
        {"vykdefault=" + etc, "-unknown 5 -X", {"unknown=5", "X"}},
        // -df over vykdefault; the title shapes the keys.
        {"vykdefault=" + etc, "-df " + home.file("other.cfg"), {"file_path=/other/path"}},
        {"vykdefault=" + etc, "-na +late", {"variable=late_title", "name=+late"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.env + " | " + c.args);
        const vyktest::RunResult r = prfdisp(c.env, c.args);
        EXPECT_EQ(r.status, 0) << r.err;
        const std::string out = "\n" + r.out;
        for (const std::string &line : c.lines)
            EXPECT_NE(out.find("\n" + line + "\n"), std::string::npos) << line << "\n" << r.out;
        EXPECT_EQ(out.find("\nvariable=nothing\n"), std::string::npos) << r.out;
    }
}

TEST_F(ResDecodeProgram, LoopWindowThatIsNotRunning)
{
    const vyktest::RunResult r = prfdisp("", "-df '#7:" + home.file("etc") + "' -le 3");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "VOVadev window: 7 not running or no message queue exists\n");
    const std::string out = "\n" + r.out;
    EXPECT_NE(out.find("\nfile_path=/cfg/path\n"), std::string::npos) << r.out;
    EXPECT_NE(out.find("\nlevel=3\n"), std::string::npos) << r.out;
}

TEST_F(ResDecodeProgram, HelpPrintsTheUsageAndEnds)
{
    for (const char *args : {"-h", "--help", "-help", "-h x -fp /p"}) {
        SCOPED_TRACE(args);
        const vyktest::RunResult r = prfdisp("vykdefault=" + home.file("etc"), args);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, "prfdisp: This program plots profiler data\n" +
                             vyktest::read_file(vyktest::data("prfdisp_help.txt")));
        EXPECT_EQ(r.err, "");
    }
}
