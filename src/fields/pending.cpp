// Placeholders for functions of components that are not built yet.  Each prints
// "NAME: not available" and returns its failure value; it goes when the real function lands.
#include "vyk.h"
#include "vykcont.h"

// No legend without the vector module: off.
int VECT_get_vect()
{
    MESS_print(M_WARN, "VECT_get_vect: not available\n");
    return 0;
}

// The vector plots of the data-plotting driver's vector loop.
int VECT_set_type(int)
{
    MESS_print(M_WARN, "VECT_set_type: not available\n");
    return -1;
}

int VECT_set_format(int, const char *)
{
    MESS_print(M_WARN, "VECT_set_format: not available\n");
    return -1;
}

int VECT_plot_setup(int, int, GRD_report *, GRD_report *, Domain *, PLT_callback)
{
    MESS_print(M_WARN, "VECT_plot_setup: not available\n");
    return -1;
}

int VECT_draw(GRD_report *, GRD_report *)
{
    MESS_print(M_WARN, "VECT_draw: not available\n");
    return -1;
}

int VECT_draw_vect()
{
    MESS_print(M_WARN, "VECT_draw_vect: not available\n");
    return -1;
}
