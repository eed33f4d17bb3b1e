// Fuzz target of the station file reader: every station read from the input holds terminated
// fields within their sizes, a priority digit, a position on the earth and an elevation no
// higher than the limit; the lookups by identifier and the station table run over it too.
#include "fuzz_util.h"
#include "cty.h"
#include "vykplot.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr int MAX_STATIONS = 256;

void check(const CTY_data &c)
{
    if (!std::memchr(c.name, 0, sizeof c.name) || !std::memchr(c.state, 0, sizeof c.state) ||
        !std::memchr(c.region, 0, sizeof c.region) || !std::memchr(c.id, 0, sizeof c.id))
        vykfuzz::fail("a field not terminated");
    if (c.prior < 0 || c.prior > 9) vykfuzz::fail("priority out of range");
    if (!(c.lat >= -90 && c.lat <= 90) || !(c.lon >= -360 && c.lon <= 360))
        vykfuzz::fail("position off the earth");
    if (c.el > CTY_ELEV_MAX) vykfuzz::fail("elevation above the limit");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const char *path = vykfuzz::scratch_file();
    vykfuzz::write_bytes(path, data, size);
    if (CTY_open(path, 0, 0) < 0) vykfuzz::fail("the file does not open");
    CTY_data c;
    CTY_data_init(&c);
    for (int n = 0; n < MAX_STATIONS && CTY_read(0, &c) > 0; n++) check(c);
    CTY_close(0);

    static bool domain_set = false;
    static Domain dom;
    if (!domain_set) {
        DOM_decode("ll,0,0,73,37,5,5", &dom);
        domain_set = true;
    }
    RES_put("city_file", path);
    if (CTY_store(nullptr, CTY_STORE_XY_LOC, &dom, 9) > 0) {
        CTY_locate loc;
        CTY_search_loc(0, 0, &loc);
        CTY_search("KDEN", &loc);
        CTY_close(0);
    }
    CTY_clear();
    return 0;
}
