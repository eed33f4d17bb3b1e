// Placeholders for functions of components that are not built yet.  Each prints
// "NAME: not available" and returns its failure value; it goes when the real function lands.
#include "vyk.h"
#include "vykgtab.h"

int GRD_find_param_grids(int start, int, int, GRD_report **grids, float *)
{
    MESS_print(M_WARN, "GRD_find_param_grids: not available\n");
    if (grids) grids[0] = nullptr;
    return start;
}
