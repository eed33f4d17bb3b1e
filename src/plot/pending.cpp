// Placeholders for functions of components that are not built yet.  Each prints
// "NAME: not available" and returns its failure value; it goes when the real function lands.
#include "vykcty.h"
#include "vykplot.h"

int MAP_latlon(float, float, int, int)
{
    MESS_print(M_WARN, "MAP_latlon: not available\n");
    return -1;
}

int CTY_get_loc(const char *, const char *, float *, float *)
{
    MESS_print(M_WARN, "CTY_get_loc: not available\n");
    return 0;
}

int CTY_set_id_type(int)
{
    MESS_print(M_WARN, "CTY_set_id_type: not available\n");
    return -1;
}

int CTY_search_loc(float, float, CTY_locate *)
{
    MESS_print(M_WARN, "CTY_search_loc: not available\n");
    return 0;
}

char *CTY_get_data(const char *)
{
    MESS_print(M_WARN, "CTY_get_data: not available\n");
    return nullptr;
}
