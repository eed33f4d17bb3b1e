// Sleeping, elapsed time and the process's virtual memory size.
#include "vykcdf.h"
#include "vykscan.h"
#include "vykproc.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/time.h>
#include <unistd.h>

namespace {

// The component's state; the member initialisers are the start values.
struct State {
    timeval start = {0, 0};    // clock reading of the last VYK_init_time
    timeval current = {0, 0};  // latest reading of VYK_elapse_time
    float elapse = 0;          // seconds slept through VYK_sleep since the last VYK_init_time
};
State st;

}  // namespace

int VYK_sleep(float secs)
{
    if (!(secs > 0)) return -1;  // zero, negative or not a number
    double whole = std::floor(static_cast<double>(secs));
    timespec ts;
    // A request beyond what the clock type holds sleeps as long as it can.
    constexpr double max_secs = 9.2e18;
    ts.tv_sec = whole > max_secs ? static_cast<time_t>(max_secs) : static_cast<time_t>(whole);
    long usec = std::lround((static_cast<double>(secs) - whole) * 1e6);
    if (usec >= 1000000) {
        usec -= 1000000;
        ts.tv_sec++;
    }
    ts.tv_nsec = usec * 1000;
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
    st.elapse += secs;
    return 0;
}

int VYK_init_time()
{
    gettimeofday(&st.start, nullptr);
    st.elapse = 0;
    return 0;
}

float VYK_elapse_time()
{
    gettimeofday(&st.current, nullptr);
    // A reading without a microsecond part is taken for a clock that has none: the account of
    // the time slept is the better measure then.
    if (st.current.tv_usec == 0) return st.elapse;
    long long sec = static_cast<long long>(st.current.tv_sec) - st.start.tv_sec;
    long long usec = static_cast<long long>(st.current.tv_usec) - st.start.tv_usec;
    if (usec < 0) {
        usec += 1000000;
        sec--;
    }
    return static_cast<float>(static_cast<double>(sec) + static_cast<double>(usec) / 1000000.0);
}

long VYK_get_virt_mem()
{
    char path[64];
    snprintf(path, sizeof path, "/proc/%d/stat", static_cast<int>(getpid()));
    int fd = open(path, O_RDONLY);
    if (fd < 0) return 0;
    // The line is short; the fields needed lie well inside the first kilobyte.
    char buf[4096];
    size_t len = 0;
    while (len < sizeof buf - 1) {
        ssize_t n = read(fd, buf + len, sizeof buf - 1 - len);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        len += static_cast<size_t>(n);
    }
    close(fd);
    buf[len] = '\0';
    // The command name (field 2) stands in parentheses and may itself hold blanks and
    // parentheses: the fields are counted from after the last ')'.  Field 3 comes first there;
    // field 23 is the virtual memory size in bytes.
    char *p = strrchr(buf, ')');
    if (!p) return 0;
    p++;
    for (int field = 3; field < 23; field++) {
        while (*p == ' ') p++;
        if (!*p) return 0;
        while (*p && *p != ' ') p++;
    }
    char *end = nullptr;
    unsigned long long v = strtoull(p, &end, 10);
    if (end == p) return 0;
    return static_cast<long>(v);
}
