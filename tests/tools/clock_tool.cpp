// Runs the timing services against a scripted clock.  Each argument is a step:
//   clock:S.U   the next clock readings are S seconds and U microseconds
//   init        VYK_init_time
//   sleep:X     VYK_sleep(X), prints its result
//   elapse      prints VYK_elapse_time
#include "vyk.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/time.h>

namespace {
timeval reading = {0, 0};
}

// The clock of this program: the reading set by the last clock step.
extern "C" int gettimeofday(struct timeval *tv, void *)
{
    *tv = reading;
    return 0;
}

int main(int argc, char **argv)
{
    for (int i = 1; i < argc; i++) {
        const char *step = argv[i];
        if (strncmp(step, "clock:", 6) == 0) {
            long s = 0, u = 0;
            if (sscanf(step + 6, "%ld.%ld", &s, &u) != 2) return 99;
            reading.tv_sec = s;
            reading.tv_usec = u;
        } else if (strcmp(step, "init") == 0) {
            VYK_init_time();
        } else if (strncmp(step, "sleep:", 6) == 0) {
            printf("sleep %d\n", VYK_sleep(strtof(step + 6, nullptr)));
        } else if (strcmp(step, "elapse") == 0) {
            printf("elapse %.9g\n", VYK_elapse_time());
        } else {
            return 99;
        }
    }
    return 0;
}
