// Fuzz target of WMO character GRID messages: the input follows the word "GRID" (the kind's
// magic), so that the fuzzer works on the groups, the packing and the rows of values.  Every
// product is read as a header and with its values, then again out of order; a values read must
// give a whole octant grid of numbers.
#include "fuzz_util.h"
#include "vykgfile.h"
#include "vykgtab.h"

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
    int k = GRD_DETECT;
    const int fd = GRD_open(path, GRD_ACCESS_READ, &k);
    if (fd < 0) return;
    GRD_info info{};
    DATE_init(&info.date);
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
        num = n;
        if (GRD_read(fd, &g, GRD_READ_VALUES, &num) == 0) check(g);
    }
    for (int num : {n - 1, 0, n}) {
        int m = num;
        if (GRD_read(fd, &g, GRD_READ_VALUES, &m) == 0) check(g);
    }
    GRD_free(&g);
    GRD_close(fd);
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
