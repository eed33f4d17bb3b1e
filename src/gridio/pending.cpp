// Placeholders for functions of components that are not built yet.  Each prints
// "NAME: not available" and returns its failure value; it goes when the real function lands.
#include "grd_file_internal.h"

// Raw GRIB products written through the grid-file contract.
int GRIB_grd_write(int, GRD_file *, GRD_report *, int *)
{
    MESS_print(M_WARN, "GRIB_grd_write: not available\n");
    return -1;
}

// WMO character GRID messages.
int GRID_getinfo(int, GRD_file *, GRD_info *)
{
    MESS_print(M_WARN, "GRID_getinfo: not available\n");
    return -1;
}

int GRID_read(int, GRD_file *, GRD_report *, int, int *)
{
    MESS_print(M_WARN, "GRID_read: not available\n");
    return -1;
}

// netCDF model-output grid files.
int CDF_model_getinfo(int, GRD_file *, GRD_info *)
{
    MESS_print(M_WARN, "CDF_model_getinfo: not available\n");
    return -1;
}

int CDF_model_read(int, GRD_file *, GRD_report *, int, int *)
{
    MESS_print(M_WARN, "CDF_model_read: not available\n");
    return -1;
}
