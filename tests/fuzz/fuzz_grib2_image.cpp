// Fuzz target of the image packings of GRIB edition 2: the input is the image in a data
// section (a JPEG 2000 code stream or a PNG file, chosen by its first octets), packed with 12
// bits on a 64 by 33 grid (every value, or those of a bit map with every 7th point missing,
// chosen by the input's length), and read through the grid-file layer.
#include "../common/grib2_build.h"
#include "fuzz_grib.h"

#include <cstdint>
#include <string>

namespace {

constexpr uint32_t NX = 64, NY = 33;
constexpr int TEMPLATE_JPEG = 40, TEMPLATE_PNG = 41;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string image(reinterpret_cast<const char *>(data), size);
    const bool png = size >= 4 && data[1] == 'P' && data[2] == 'N' && data[3] == 'G';
    const bool bitmap = size % 2 == 1;
    std::string bms;
    uint32_t points = NX * NY;
    if (bitmap) {
        bms = std::string(1, '\0');
        std::string bits((NX * NY + 7) / 8, '\0');
        points = 0;
        for (uint32_t k = 0; k < NX * NY; k++) {
            if (k % 7 == 3) continue;
            bits[k / 8] = char(bits[k / 8] | (0x80 >> (k % 8)));
            points++;
        }
        bms += bits;
    }
    const std::string drs = grib2build::be(png ? TEMPLATE_PNG : TEMPLATE_JPEG, 2) +
                            grib2build::ieee(250) + grib2build::be(0, 2) + grib2build::be(0, 2) +
                            char(12) + char(0) + char(0) + char(255);
    const std::string msg = grib2build::message(NX, NY, 0, points, drs, bms, image);
    const char *path = vykfuzz::scratch_file();
    vykfuzz::write_bytes(path, msg.data(), msg.size());
    vykfuzz::scan_grib(path);
    return 0;
}
