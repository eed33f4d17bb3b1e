// Fuzz target of the GRIB edition 2 sections: the input is a GRIB stream (edition-2 messages
// of one or several fields, junk between them), read through the grid-file layer as
// fuzz_grib1 reads edition 1.
#include "fuzz_grib.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const char *path = vykfuzz::scratch_file();
    vykfuzz::write_bytes(path, reinterpret_cast<const char *>(data), size);
    vykfuzz::scan_grib(path);
    return 0;
}
