// Placeholders for functions of components that are not built yet.  Each prints
// "NAME: not available" and returns its failure value; it goes when the real function lands.
#include "prf_internal.h"
#include "dadodu.h"

int RAW_plot_file(const char *, int)
{
    MESS_print(M_WARN, "RAW_plot_file: not available\n");
    return -1;
}
