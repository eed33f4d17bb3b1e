// Placeholders for functions of components that are not built yet.  Each prints
// "NAME: not available" and returns its failure value; it goes when the real function lands.
#include "vykplot.h"

int MAP_latlon(float, float, int, int)
{
    MESS_print(M_WARN, "MAP_latlon: not available\n");
    return -1;
}
