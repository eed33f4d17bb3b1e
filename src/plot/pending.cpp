// Placeholders for functions of components that are not built yet.  Each prints
// "NAME: not available" and returns its failure value; it goes when the real function lands.
#include "vykcty.h"
#include "vykplot.h"

const char *PLT_get_label(int, int)
{
    MESS_print(M_WARN, "PLT_get_label: not available\n");
    return nullptr;
}

float PLT_get_view_offset()
{
    MESS_print(M_WARN, "PLT_get_view_offset: not available\n");
    return -1.0f;
}

int MAP_latlon(float, float, int, int)
{
    MESS_print(M_WARN, "MAP_latlon: not available\n");
    return -1;
}

int PLT_set_view_offsets(float, float, float, float)
{
    MESS_print(M_WARN, "PLT_set_view_offsets: not available\n");
    return -1;
}

int CTY_get_loc(const char *, const char *, float *, float *)
{
    MESS_print(M_WARN, "CTY_get_loc: not available\n");
    return 0;
}
