// Test driver: asks FILE_overwrite about one file and prints the answer.
//
//   file_overwrite_tool NAME KIND [batch] [param=N]
//
// "batch" turns batch mode on, "param=N" sets the file parameter (flag 15) to N.  The prompt,
// when one is asked, reads its answer from standard input.  Prints "result=N".
#include "vyk.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: file_overwrite_tool NAME KIND [batch] [param=N]\n");
        return 2;
    }
    for (int i = 3; i < argc; i++) {
        if (std::strcmp(argv[i], "batch") == 0)
            FLAG_set_batch(1);
        else if (std::strncmp(argv[i], "param=", 6) == 0)
            FLAG_set(FLAG_FILE_PARAM, std::atoi(argv[i] + 6));
    }
    const int result = FILE_overwrite(argv[1], std::atoi(argv[2]));
    std::fflush(stdout);
    std::printf("\nresult=%d\n", result);
    return 0;
}
