// Starts up with the profiler display's resource list and prints what the decoder made of the
// command line, the environment and the defaults files: every resource as "name=value" (a
// resource without a value as "name"), then the batch and help flags and the message mask.
// With help requested it prints the usage and ends with status 0, as the program does.
#include "vyk.h"
#include "vykprf.h"
#include "vykresrc.h"

#include <cstdio>

int main(int argc, char **argv)
{
    const res_type *res_key = PRF_res_keys(), *res_pos = PRF_res_positions();
    RES_init(argc, argv, res_key, res_pos);
    if (FLAG_help()) {
        char prog[FILE_NAME_MAX + 1];
        RES_get_progname(prog, sizeof prog);
        MESS_print(15, "%s: This program plots profiler data\n", prog);
        RES_help_print(prog, res_key, res_pos);
        VYK_exit(0);
    }
    for (const resource *r = RES_first(); r; r = r->next) {
        if (r->data) printf("%s=%s\n", r->name, r->data);
        else printf("%s\n", r->name);
    }
    printf("flag19=%d flag20=%d mask=0x%X tz=[%s]\n", FLAG_get(FLAG_BATCH), FLAG_get(FLAG_HELP),
           static_cast<unsigned>(MESS_get()), DATE_get_tz_str());
    return 0;
}
