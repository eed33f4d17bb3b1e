// Placeholders for functions of components that are not built yet.  Each prints
// "NAME: not available" and returns its failure value; it goes when the real function lands.
#include "grd_file_internal.h"

// Raw GRIB products written through the grid-file contract.
int GRIB_grd_write(int, GRD_file *, GRD_report *, int *)
{
    MESS_print(M_WARN, "GRIB_grd_write: not available\n");
    return -1;
}
