// prfdisp: the wind-profiler display program.
#include "vykprf.h"

int main(int argc, char **argv)
{
    return PRF_main(argc, argv);
}
