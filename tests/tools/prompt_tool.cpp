// Runs one console prompt on standard input and prints what it returned.
//   prompt_tool s <length> <initial>   word prompt into a buffer holding <initial>
//   prompt_tool S <length>             word prompt into a buffer the prompt allocates
//   prompt_tool l <initial>            menu-answer prompt
//   prompt_tool f                      float prompt
//   prompt_tool d                      int prompt
#include "vyk.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char **argv)
{
    if (argc < 2) return 99;
    const std::string kind = argv[1];
    if (kind == "s" && argc == 4) {
        int length = atoi(argv[2]);
        char buf[256];
        snprintf(buf, sizeof buf, "%s", argv[3]);
        char *r = VYK_prompts("Word: ", buf, length);
        printf("\nresult [%s] same %d\n", r, r == buf);
    } else if (kind == "S" && argc == 3) {
        char *r = VYK_prompts("Word: ", nullptr, atoi(argv[2]));
        printf("\nresult [%s]\n", r ? r : "(null)");
        free(r);
    } else if (kind == "l" && argc == 3) {
        char buf[81];
        snprintf(buf, sizeof buf, "%s", argv[2]);
        printf("\nresult [%s]\n", VYK_promptl("Menu: ", buf));
    } else if (kind == "f") {
        printf("\nresult [%g]\n", VYK_promptf("Number: "));
    } else if (kind == "d") {
        printf("\nresult [%d]\n", VYK_promptd("Number: "));
    } else {
        return 99;
    }
    return 0;
}
