// Scratch files of the fuzz targets: a work directory of the process's own, removed at exit, a
// single scratch file, writing an input into a file, and failing with the target's name.
#ifndef VYK_FUZZ_UTIL_H
#define VYK_FUZZ_UTIL_H

#include "vyk.h"

#include <errno.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace vykfuzz {

/// Reports a broken promise ("<target>: what") and aborts, so that the fuzzer keeps the input.
[[noreturn]] inline void fail(const char *what)
{
    fprintf(stderr, "%s: %s\n", program_invocation_short_name, what);
    abort();
}

// The work directory's path, kept in a plain array: the exit handler runs after the
// destructors of function statics.
inline char work_path[64];

inline void remove_work_dir()
{
    std::error_code ec;
    std::filesystem::remove_all(work_path, ec);
}

/// The directory of this process's temporary files, /tmp/vyk_<target>_<pid>: made on the first
/// call and removed at exit.
inline const char *work_dir()
{
    if (work_path[0] == '\0') {
        snprintf(work_path, sizeof work_path, "/tmp/vyk_%s_%d", program_invocation_short_name,
                 static_cast<int>(getpid()));
        std::filesystem::create_directories(work_path);
        std::atexit(remove_work_dir);
    }
    return work_path;
}

/// The name of a single scratch file in the work directory (so it goes at exit with it); the
/// first call also silences the library's messages.
inline const char *scratch_file()
{
    static char name[96] = "";
    if (name[0] == '\0') {
        std::snprintf(name, sizeof name, "%s/scratch", work_dir());
        MESS_set(0, 0);
    }
    return name;
}

/// Writes size bytes to the file at path (fails when it cannot).
inline void write_bytes(const std::string &path, const void *data, size_t size)
{
    FILE *fp = fopen(path.c_str(), "wb");
    if (fp == nullptr)
        fail("no temporary file");
    if (size > 0 && fwrite(data, 1, size, fp) != size)
        fail("short write");
    fclose(fp);
}

}  // namespace vykfuzz

#endif
