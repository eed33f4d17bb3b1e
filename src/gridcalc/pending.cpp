// Placeholders for functions of components that are not built yet.  Each prints
// "NAME: not available" and returns its failure value; it goes when the real function lands.
#include "vyk.h"
#include "vykcalc.h"

int GRD_set_grid_factor(int)
{
    MESS_print(M_WARN, "GRD_set_grid_factor: not available\n");
    return -1;
}

GRD_report *GRD_get_grid(int)
{
    MESS_print(M_WARN, "GRD_get_grid: not available\n");
    return nullptr;
}

int GRD_find_param_grids(int start, int, int, GRD_report **grids, float *)
{
    MESS_print(M_WARN, "GRD_find_param_grids: not available\n");
    if (grids) grids[0] = nullptr;
    return start;
}

int GRD_print_value(float, float, const GRD_report *)
{
    MESS_print(M_WARN, "GRD_print_value: not available\n");
    return -1;
}

int GRD_print_value2(float, float, const GRD_report *, const GRD_report *)
{
    MESS_print(M_WARN, "GRD_print_value2: not available\n");
    return -1;
}

int GRD_edit_value(const char *, float, float, GRD_report *)
{
    MESS_print(M_WARN, "GRD_edit_value: not available\n");
    return -1;
}
