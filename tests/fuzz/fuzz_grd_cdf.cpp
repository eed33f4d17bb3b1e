// Fuzz target of the netCDF grid-file reader: the input is the file, opened as a netCDF grid
// file (the own layout or model output, whichever it holds).  Every product is read as a header
// and with its values, then again out of order; a values read must give a grid that holds the
// size its domain states.
#include "fuzz_grid.h"

#include <cstdint>

namespace {

constexpr int MAX_PRODUCTS = 64;

void check(const GRD_report &g)
{
    const Domain &d = g.domain;
    if (!g.grid || d.nx <= 0 || d.ny <= 0) vykfuzz::fail("a values read without a grid");
    const size_t n = static_cast<size_t>(d.nx) * static_cast<size_t>(d.ny);
    if (GRD_capacity(&g) < n) vykfuzz::fail("a grid smaller than its domain");
    // Every value is read: the sanitizers see one beyond the array.
    volatile float sum = 0;
    for (size_t i = 0; i < n; i++) sum = sum + g.grid[i];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const char *path = vykfuzz::scratch_file();
    vykfuzz::write_bytes(path, data, size);
    vykfuzz::GridFile f(path, GRD_NETCDF);
    if (!f.has_info) return 0;
    int n = 0;
    for (; n < MAX_PRODUCTS; n++) {
        int num = n;
        if (GRD_read(f.fd, &f.g, GRD_READ_HEADER, &num) != 0) break;
        num = n;
        if (GRD_read(f.fd, &f.g, GRD_READ_VALUES, &num) == 0) check(f.g);
    }
    for (int num : {n - 1, 0, n}) {
        int m = num;
        if (GRD_read(f.fd, &f.g, GRD_READ_VALUES, &m) == 0) check(f.g);
    }
    return 0;
}
