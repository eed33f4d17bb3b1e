// Fuzz target of WMO character GRID messages: the input follows the word "GRID" (the kind's
// magic), so that the fuzzer works on the groups, the packing and the rows of values.  Every
// product is read as a header and with its values, then again out of order; a values read must
// give a whole octant grid of numbers.
#include "fuzz_grid.h"

#include <cmath>
#include <cstdint>
#include <string>

namespace {

constexpr int MAX_PRODUCTS = 64;

void check(const GRD_report &g)
{
    if (!g.grid || g.domain.nx != 19 || g.domain.ny != 15) vykfuzz::fail("a values read without an octant grid");
    for (int i = 0; i < 19 * 15; i++)
        if (!std::isfinite(g.grid[i])) vykfuzz::fail("a value that is not a number");
}

void scan(const char *path)
{
    vykfuzz::GridFile f(path, GRD_DETECT);
    if (!f.has_info) return;
    const int fd = f.fd;
    GRD_report &g = f.g;
    int n = 0;
    for (; n < MAX_PRODUCTS; n++) {
        int num = n;
        if (GRD_read(fd, &g, GRD_READ_HEADER, &num) != 0) break;
        num = n;
        if (GRD_read(fd, &g, GRD_READ_VALUES, &num) == 0) check(g);
    }
    for (int num : {n - 1, 0, n}) {
        int m = num;
        if (GRD_read(fd, &g, GRD_READ_VALUES, &m) == 0) check(g);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string file = "GRID ";
    file.append(reinterpret_cast<const char *>(data), size);
    const char *path = vykfuzz::scratch_file();
    vykfuzz::write_bytes(path, file.data(), file.size());
    scan(path);
    return 0;
}
