// Placeholders for functions of components that are not built yet.  Each prints
// "NAME: not available" and returns its failure value; it goes when the real function lands.
#include "vykplot.h"

int DOM_decode(const char *, Domain *)
{
    MESS_print(M_WARN, "DOM_decode: not available\n");
    return -1;
}

int DOM_init(Domain *)
{
    MESS_print(M_WARN, "DOM_init: not available\n");
    return -1;
}

int DOM_print(M_type, const Domain *)
{
    MESS_print(M_WARN, "DOM_print: not available\n");
    return -1;
}

Domain *MAP_get_domain(Domain *)
{
    MESS_print(M_WARN, "MAP_get_domain: not available\n");
    return nullptr;
}

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

int DOM_get_region(Domain *, int)
{
    MESS_print(M_WARN, "DOM_get_region: not available\n");
    return -1;
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
