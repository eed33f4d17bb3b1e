// Fuzz target of the own text grid files (kinds 1, 2 and 4 as detected, else read as kind 2):
// the input is a grid file; its header is read and its products are scanned header by header,
// read with their values, read again, skipped ahead to and rewound.  Every record that a read
// reports as filled must hold a grid of its domain's size with terminated labels.
#include "fuzz_grid.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr int MAX_PRODUCTS = 32;

void check(const GRD_report &g)
{
    if (std::memchr(g.datim, 0, sizeof g.datim) == nullptr ||
        std::memchr(g.info, 0, sizeof g.info) == nullptr ||
        std::memchr(g.units, 0, sizeof g.units) == nullptr)
        vykfuzz::fail("a label is not terminated");
    if (g.domain.nx <= 0 || g.domain.ny <= 0 ||
        static_cast<size_t>(g.domain.nx) * static_cast<size_t>(g.domain.ny) > GRD_MAX_POINTS)
        vykfuzz::fail("a grid read has no size");
}

void scan(const char *path, int kind)
{
    vykfuzz::GridFile f(path, kind);
    if (f.fd < 0) return;
    if (std::memchr(f.info.datim, 0, sizeof f.info.datim) == nullptr) vykfuzz::fail("header label");
    const int fd = f.fd;
    GRD_report &g = f.g;
    int n = 0;
    for (; n < MAX_PRODUCTS; n++) {
        int num = n;
        if (GRD_read(fd, &g, GRD_READ_HEADER, &num) != 0) break;
        if (g.grid) vykfuzz::fail("a header read keeps values");
        num = n;
        if (GRD_read(fd, &g, GRD_READ_VALUES, &num) == 0) {
            check(g);
            if (!g.grid || num != n) vykfuzz::fail("a values read without values");
            const size_t points = static_cast<size_t>(g.domain.nx) * static_cast<size_t>(g.domain.ny);
            volatile float sum = 0;
            for (size_t i = 0; i < points; i++) sum = sum + g.grid[i];
        }
    }
    // Skipping ahead and back.
    for (int num : {n - 1, 0, n / 2, n + 1}) {
        int m = num;
        if (GRD_read(fd, &g, GRD_READ_VALUES, &m) == 0) check(g);
    }
    GRD_rewind(fd);
    int zero = 0;
    if (GRD_read(fd, &g, GRD_READ_HEADER, &zero) == 0 && g.grid) vykfuzz::fail("header values");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const char *path = vykfuzz::scratch_file();
    vykfuzz::write_bytes(path, data, size);
    const int kind = GRD_chktype(path);
    scan(path, kind == GRD_TEXT_PLAIN || kind == GRD_TEXT || kind == GRD_TEXT_DOMAIN ? kind
                                                                                     : GRD_TEXT);
    return 0;
}
