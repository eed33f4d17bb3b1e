// Fuzz target of the line readers: arbitrary bytes read through fgetnline, fget_rawstring and
// fskipline.  The first byte chooses the line limit, the second the order of the calls.  Every
// read of fgetnline is also checked against the scan formats that define the line convention.
#include "../common/line_scan.h"
#include "vyk.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

using vyktest::scan_getnline;

FILE *open_bytes(const uint8_t *data, size_t size)
{
    // fmemopen wants a writable buffer that it does not own.
    return fmemopen(const_cast<uint8_t *>(data), size, "r");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 3)
        return 0;
    const int n = 1 + data[0] % 200;
    const unsigned order = data[1];
    data += 2;
    size -= 2;

    // The readers must agree with the scans, result by result and byte by byte.
    FILE *a = open_bytes(data, size);
    FILE *b = open_bytes(data, size);
    if (a == nullptr || b == nullptr)
        abort();
    std::vector<char> abuf(static_cast<size_t>(n) + 1, '#'), bbuf(static_cast<size_t>(n) + 1, '#');
    for (size_t step = 0; step <= size + 1; step++) {
        const int ra = fgetnline(a, abuf.data(), n);
        const int rb = scan_getnline(b, bbuf.data(), n);
        if (ra != rb || abuf != bbuf || ftell(a) != ftell(b))
            abort();
        if (ra == -1)
            break;
    }
    fclose(a);
    fclose(b);

    // Mixed calls, bounded: a skip standing at a newline does not move the stream.
    FILE *fp = open_bytes(data, size);
    if (fp == nullptr)
        abort();
    std::vector<char> buf(static_cast<size_t>(n) + 1);
    for (size_t step = 0; step <= 2 * size + 2; step++) {
        int r;
        switch ((order >> (2 * (step % 4))) & 3) {
        case 0:
            r = fgetnline(fp, buf.data(), n);
            if (r > n)
                abort();
            break;
        case 1:
            r = fget_rawstring(fp, buf.data(), n);
            if (r == 1) {
                for (const char *p = buf.data(); *p; p++)
                    if (static_cast<signed char>(*p) < 32 || *p == '\r')
                        abort();
            }
            break;
        case 2:
            r = fskipline(fp);
            break;
        default:
            r = fgetstring(fp, buf.data(), n);
            break;
        }
        if (r == -1 && feof(fp))
            break;
    }
    fclose(fp);
    return 0;
}
