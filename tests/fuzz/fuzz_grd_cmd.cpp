// Fuzz target of the grid calculator's command language: the input's blank-separated words (at
// most 16) are one command, run with GRD_math_command in the work directory over two small text
// grid files, a.grd (a latitude-longitude product and a polar stereographic one) and b.grd (the
// same grids with other values), written afresh for every input, and an empty grid table.  The words stay within the
// work directory: '/', '|', '~', '$', '\\' and '`' in them become '_', so no word reaches
// another directory, a command or the environment.  The result must be 0 or 1; files the
// command wrote are removed after it, and what it prints goes to /dev/null.
#include "fuzz_util.h"
#include "vyk.h"
#include "grd_cmd.h"
#include "grd_tool.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using vykfuzz::fail;
using vykfuzz::work_dir;
using vykfuzz::write_bytes;

constexpr size_t MAX_WORDS = 16;

const char A_GRD[] = "VYKGRID\n12Z 05 MAR 24\n2-500 mb Temperature (K)\n"
                     "7 2 96 3 100 500 12 11:K\nLL 40.0 -100.0 1.0 1.0 3 2\n"
                     "250.5 251 252\n253 -9999 255\n12Z 05 MAR 24\n2-500 mb Height (gpm)\n"
                     "7 2 96 3 100 500 12 7\nPS:-105 60 -100 1 1 2 2\n5500 5510\n5520 5530\n";
const char B_GRD[] = "VYKGRID\n12Z 05 MAR 24\n2-500 mb Temperature (K)\n"
                     "7 2 96 3 100 500 12 11:K\nLL 40.0 -100.0 1.0 1.0 3 2\n"
                     "1 2 3\n4 5 0\n12Z 05 MAR 24\n2-500 mb Height (gpm)\n"
                     "7 2 96 3 100 500 12 7\nPS:-105 60 -100 1 1 2 2\n-1 0 \n2 1e30\n";

/// The words of the input, each kept within the work directory.
std::vector<std::string> words_of(const uint8_t *data, size_t size)
{
    std::vector<std::string> words;
    std::string cur;
    for (size_t i = 0; i <= size && words.size() < MAX_WORDS; i++) {
        const char c = i < size ? static_cast<char>(data[i]) : ' ';
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\0') {
            if (!cur.empty()) words.push_back(cur);
            cur.clear();
        } else {
            cur += std::strchr("/|~$\\`", c) ? '_' : c;
        }
    }
    return words;
}

/// Removes every file of the work directory but the two grid files.
void remove_outputs()
{
    std::error_code ec;
    for (const auto &e : std::filesystem::directory_iterator(work_dir(), ec)) {
        const std::string name = e.path().filename().string();
        if (name != "a.grd" && name != "b.grd") std::filesystem::remove_all(e.path(), ec);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const bool ready = [] {
        MESS_set(0, 0);
        if (!std::freopen("/dev/null", "w", stdout)) fail("no /dev/null");
        RES_put("file_path", work_dir());
        RES_put("grid_path", work_dir());
        return true;
    }();
    (void)ready;
    const std::string dir = work_dir();
    write_bytes(dir + "/a.grd", A_GRD, sizeof A_GRD - 1);
    write_bytes(dir + "/b.grd", B_GRD, sizeof B_GRD - 1);

    std::vector<std::string> words = words_of(data, size);
    std::vector<char *> argv;
    for (std::string &w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    // The command runs in the work directory; the fuzzer's own files are named from where it
    // was started.
    static const int home = open(".", O_RDONLY | O_DIRECTORY);
    if (home < 0 || chdir(work_dir()) != 0) fail("no work directory");
    const int r = GRD_math_command(static_cast<int>(words.size()), argv.data());
    if (fchdir(home) != 0) fail("the start directory is gone");
    if (r != 0 && r != 1) fail("GRD_math_command result out of range");
    GRD_free_grids();  // every input starts from an empty grid table
    remove_outputs();
    return 0;
}
