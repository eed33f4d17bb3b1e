// Placeholders for functions of components that are not built yet.  Each prints
// "NAME: not available" and returns its failure value; it goes when the real function lands.
#include "vyk.h"

int DOM_decode(const char *, Domain *)
{
    MESS_print(192, "DOM_decode: not available\n");
    return -1;
}
