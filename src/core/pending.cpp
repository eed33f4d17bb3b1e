// Placeholders for functions of components that are not built yet.  Each prints
// "NAME: not available" and returns its failure value; it goes when the real function lands.
#include "vyk.h"

int MQ_open(int)
{
    MESS_print(192, "MQ_open: not available\n");
    return -1;
}

int MQ_connect(int)
{
    MESS_print(192, "MQ_connect: not available\n");
    return -1;
}

int MQ_put(int, int, const char *, ...)
{
    MESS_print(192, "MQ_put: not available\n");
    return -1;
}

int MQ_get(int, int, char *item)
{
    MESS_print(192, "MQ_get: not available\n");
    if (item) item[0] = '\0';
    return -1;
}

int FILE_set_time(const Date *)
{
    MESS_print(192, "FILE_set_time: not available\n");
    return -1;
}
