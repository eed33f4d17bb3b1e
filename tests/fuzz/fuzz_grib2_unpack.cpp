// Fuzz target of the GRIB edition 2 unpackers: the input chooses a packing template, a small
// grid and its scanning mode, and gives sections 5 (after the template number), 6 and 7 of one
// field; the message built around them is read through the grid-file layer.
//
// Input: octet 0 the packing (an index into PACKINGS), octets 1 and 2 nx and ny (1 to 64),
// octet 3 the scanning mode, octets 4-5 the number of values, octets 6 and 7 the lengths of
// the section-5 and section-6 parts; then those parts and, after them, section 7.
#include "../common/grib2_build.h"
#include "fuzz_grib.h"

#include <cstdint>
#include <string>

namespace {

constexpr int PACKINGS[] = {0, 2, 3, 4, 40, 41, 42, 200, 40000, 40010, 50};
constexpr size_t HEAD = 8;
constexpr int SIDE_MAX = 64;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < HEAD) return 0;
    const int temp = PACKINGS[data[0] % (sizeof PACKINGS / sizeof PACKINGS[0])];
    const uint32_t nx = 1 + data[1] % SIDE_MAX, ny = 1 + data[2] % SIDE_MAX;
    const int scan = data[3];
    const uint32_t points = (uint32_t(data[4]) << 8) | data[5];
    const char *p = reinterpret_cast<const char *>(data) + HEAD;
    size_t left = size - HEAD;
    const size_t n5 = data[6] < left ? data[6] : left;
    const std::string drs = grib2build::be(uint32_t(temp), 2) + std::string(p, n5);
    p += n5;
    left -= n5;
    const size_t n6 = data[7] < left ? data[7] : left;
    const std::string bms(p, n6);
    p += n6;
    left -= n6;
    const std::string msg = grib2build::message(nx, ny, scan, points, drs, bms, std::string(p, left));
    const char *path = vykfuzz::scratch_file();
    vykfuzz::write_bytes(path, msg.data(), msg.size());
    vykfuzz::scan_grib(path);
    return 0;
}
