// Fuzz target of the own grid files with binary values: the input follows a first line that
// makes every product binary ("VYKGRID4B", domain strings) or, when its first byte is odd, a
// first line "VYKGRID" and a product header announcing binary values (format 3), so that the
// fuzzer works on the headers and the big-endian values behind them.  Products are scanned,
// read with their values, skipped over and read again.
#include "fuzz_grid.h"

#include <cstdint>
#include <cstring>
#include <string>

namespace {

constexpr int MAX_PRODUCTS = 32;

void scan(const char *path)
{
    vykfuzz::GridFile f(path, GRD_DETECT);
    if (f.fd < 0) return;
    const int fd = f.fd;
    GRD_report &g = f.g;
    int n = 0;
    for (; n < MAX_PRODUCTS; n++) {
        int num = n;
        if (GRD_read(fd, &g, GRD_READ_VALUES, &num) != 0) break;
        if (!g.grid || g.domain.nx <= 0 || g.domain.ny <= 0)
            vykfuzz::fail("a values read without a grid");
        const size_t points = static_cast<size_t>(g.domain.nx) * static_cast<size_t>(g.domain.ny);
        for (size_t i = 0; i < points; i++)
            if (g.grid[i] != g.grid[i]) vykfuzz::fail("a value that is not a number");
    }
    for (int num : {n, 0, n - 1}) {
        int m = num;
        GRD_read(fd, &g, GRD_READ_HEADER, &m);
        m = num;
        GRD_read(fd, &g, GRD_READ_VALUES, &m);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1) return 0;
    std::string file = data[0] & 1 ? "VYKGRID\n12Z 05 MAR 24\n3-x\n7 2 96 3 100 500 12 11\n"
                                   : "VYKGRID4B\n";
    file.append(reinterpret_cast<const char *>(data + 1), size - 1);
    const char *path = vykfuzz::scratch_file();
    vykfuzz::write_bytes(path, file.data(), file.size());
    scan(path);
    return 0;
}
