// The BUFR back end of the profiler reader: bulletin files opened as a stream.  The decoding of
// the messages into reports is PRF_bufr_read's; opening and rewinding start the file again at
// its first message.
#include "prf_internal.h"

#include <cstdio>

namespace {

/// Handle of an open bulletin file (there is one at most).
constexpr int BUFR_HANDLE = 1;

struct State {
    FILE *fp = nullptr;
};
State state;

int open_file(const char *filename, int access)
{
    if (access != 0)  // bulletin files are read only
        return -1;
    FILE *fp = std::fopen(filename, "rb");
    if (fp == nullptr)
        return -1;
    state = State();
    state.fp = fp;
    return BUFR_HANDLE;
}

int getinfo(PRF_info *)
{
    return 0;
}

int read_report(PRF_report *report, int *)
{
    if (state.fp == nullptr)
        return -1;
    return PRF_bufr_read(state.fp, report);
}

/// Back to the start; the first line of a bulletin file is passed over.
int rewind_file()
{
    if (state.fp != nullptr) {
        std::rewind(state.fp);
        fskipline(state.fp);
    }
    return 0;
}

int close_file()
{
    if (state.fp != nullptr)
        std::fclose(state.fp);
    state = State();
    return 0;
}

}  // namespace

const PRF_backend PRF_bufr = {open_file, getinfo, read_report, rewind_file, close_file};
