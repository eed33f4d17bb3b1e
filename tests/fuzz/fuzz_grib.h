// What the GRIB fuzz targets share: a GRIB stream read through the grid-file layer (headers
// scanned, every product read with its values, products read again out of order, raw copies
// of the current one), failing when a read reports values it does not hold.
#ifndef VYK_FUZZ_GRIB_H
#define VYK_FUZZ_GRIB_H

#include "fuzz_grid.h"
#include "grib.h"

namespace vykfuzz {

constexpr int GRIB_PRODUCTS_MAX = 16;

inline void scan_grib(const char *path)
{
    GridFile f(path, GRD_GRIB);
    if (!f.has_info) return;
    const int fd = f.fd;
    GRD_report &g = f.g;
    int n = 0;
    for (; n < GRIB_PRODUCTS_MAX; n++) {
        int num = n;
        if (GRD_read(fd, &g, GRD_READ_HEADER, &num) != 0) break;
    }
    for (int i = 0; i < n; i++) {
        int num = i;
        if (GRD_read(fd, &g, GRD_READ_VALUES, &num) != 0) continue;
        if (!g.grid || g.domain.nx <= 0 || g.domain.ny <= 0) fail("a values read without a grid");
        const size_t points = static_cast<size_t>(g.domain.nx) * static_cast<size_t>(g.domain.ny);
        if (points > GRD_capacity(&g)) fail("more points than values");
        volatile float sum = 0;
        for (size_t p = 0; p < points; p++) sum = sum + g.grid[p];
        unsigned char *raw = nullptr;
        long size = 0;
        if (GRIB_get_raw(fd, &raw, &size) > 0 && size <= 0) fail("a raw copy of no size");
        delete[] raw;
    }
    for (int num : {n - 1, 0, n}) {
        int m = num;
        GRD_read(fd, &g, GRD_READ_VALUES, &m);
    }
}

}  // namespace vykfuzz

#endif
