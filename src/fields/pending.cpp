// Placeholders for functions of components that are not built yet.  Each prints
// "NAME: not available" and returns its failure value; it goes when the real function lands.
#include "vyk.h"
#include "vykcont.h"

int CONT_set_bar(int)
{
    MESS_print(M_WARN, "CONT_set_bar: not available\n");
    return -1;
}

// No bar mode without the contour module: none.
int CONT_get_bar()
{
    MESS_print(M_WARN, "CONT_get_bar: not available\n");
    return 0;
}

int CONT_set_bar_range(float, float)
{
    MESS_print(M_WARN, "CONT_set_bar_range: not available\n");
    return -1;
}

int CONT_set_skip(int, int)
{
    MESS_print(M_WARN, "CONT_set_skip: not available\n");
    return -1;
}

int CONT_set_plot_offset(float, float)
{
    MESS_print(M_WARN, "CONT_set_plot_offset: not available\n");
    return -1;
}

// No legend without the vector module: off.
int VECT_get_vect()
{
    MESS_print(M_WARN, "VECT_get_vect: not available\n");
    return 0;
}
