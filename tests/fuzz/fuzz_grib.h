// What the GRIB fuzz targets share: a GRIB stream read through the grid-file layer (headers
// scanned, every product read with its values, products read again out of order, raw copies
// of the current one), failing when a read reports values it does not hold.
#ifndef VYK_FUZZ_GRIB_H
#define VYK_FUZZ_GRIB_H

#include "fuzz_util.h"
#include "vykgfile.h"
#include "vykgrib.h"
#include "vykgtab.h"

namespace vykfuzz {

constexpr int GRIB_PRODUCTS_MAX = 16;

inline void scan_grib(const char *path)
{
    int k = GRD_GRIB;
    const int fd = GRD_open(path, GRD_ACCESS_READ, &k);
    if (fd < 0) return;
    GRD_info info{};
    if (GRD_getinfo(fd, &info) != 0) {
        GRD_close(fd);
        return;
    }
    GRD_report g{};
    GRD_init(&g);
    DOM_init(&g.domain);
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
    GRD_free(&g);
    GRD_close(fd);
}

}  // namespace vykfuzz

#endif
