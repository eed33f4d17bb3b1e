// Placeholders for functions of components that are not built yet.  Each prints
// "NAME: not available" and returns its failure value; it goes when the real function lands.
#include "vykplot.h"

// The station plot of the station database.
int CTY_plot()
{
    MESS_print(M_WARN, "CTY_plot: not available\n");
    return -1;
}
