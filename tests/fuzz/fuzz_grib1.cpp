// Fuzz target of the GRIB edition 1 decoder: the input is a GRIB stream (messages in any
// framing, junk between them), read through the grid-file layer: headers scanned, every product
// read with its values, products read again out of order, and raw copies of the current one.
#include "fuzz_grib.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const bool quiet = (GRIB_set_max_bad(5), true);
    (void)quiet;
    const char *path = vykfuzz::scratch_file();
    vykfuzz::write_bytes(path, reinterpret_cast<const char *>(data), size);
    vykfuzz::scan_grib(path);
    return 0;
}
