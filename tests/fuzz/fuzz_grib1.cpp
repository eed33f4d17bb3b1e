// Fuzz target of the GRIB edition 1 decoder: the input is a GRIB stream (messages in any
// framing, junk between them), read through the grid-file layer: headers scanned, every product
// read with its values, products read again out of order, and raw copies of the current one.
#include "fuzz_util.h"
#include "vykgfile.h"
#include "vykgrib.h"
#include "vykgtab.h"

#include <cstdint>
#include <string>

namespace {

constexpr int MAX_PRODUCTS = 16;

void scan(const char *path)
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
    for (; n < MAX_PRODUCTS; n++) {
        int num = n;
        if (GRD_read(fd, &g, GRD_READ_HEADER, &num) != 0) break;
    }
    for (int i = 0; i < n; i++) {
        int num = i;
        if (GRD_read(fd, &g, GRD_READ_VALUES, &num) != 0) continue;
        if (!g.grid || g.domain.nx <= 0 || g.domain.ny <= 0)
            vykfuzz::fail("a values read without a grid");
        const size_t points = static_cast<size_t>(g.domain.nx) * static_cast<size_t>(g.domain.ny);
        if (points > GRD_capacity(&g)) vykfuzz::fail("more points than values");
        volatile float sum = 0;
        for (size_t p = 0; p < points; p++) sum = sum + g.grid[p];
        unsigned char *raw = nullptr;
        long size = 0;
        if (GRIB_get_raw(fd, &raw, &size) > 0 && size <= 0) vykfuzz::fail("a raw copy of no size");
        delete[] raw;
    }
    for (int num : {n - 1, 0, n}) {
        int m = num;
        GRD_read(fd, &g, GRD_READ_VALUES, &m);
    }
    GRD_free(&g);
    GRD_close(fd);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const bool quiet = (GRIB_set_max_bad(5), true);
    (void)quiet;
    const char *path = vykfuzz::scratch_file();
    vykfuzz::write_bytes(path, reinterpret_cast<const char *>(data), size);
    scan(path);
    return 0;
}
