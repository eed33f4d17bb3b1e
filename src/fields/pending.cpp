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
